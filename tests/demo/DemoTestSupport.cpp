#include "DemoTestSupport.h"

#include <QtCore/QElapsedTimer>
#include <QtCore/QTimer>
#include <QtGui/QImage>
#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>

#include <gtest/gtest.h>

QImage GrabForm(TCustomForm* form) {
    return form->Handle()->grab().toImage();
}

QImage GrabControl(TControl* control) {
    return control->Handle()->grab().toImage();
}

void WhenModalActive(std::function<void(QWidget* modal)> action, QWidget* excluded, int timeoutMs) {
    auto* timer = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, action, excluded, timeoutMs] {
        QWidget* modal = QApplication::activeModalWidget();
        const bool ready = modal && modal != excluded && modal->isVisible() && modal->isActiveWindow();
        if (!ready && clock->elapsed() < timeoutMs) return;
        timer->stop();
        timer->deleteLater();
        delete clock;
        if (ready) {
            action(modal);
            return;
        }
        ADD_FAILURE() << "no modal window became active";
        if (modal) modal->close();
    });
    timer->start();
}
