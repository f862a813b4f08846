#include "DemoTestSupport.h"

#include <QtCore/QElapsedTimer>
#include <QtCore/QTimer>
#include <QtGui/QImage>
#include <QtGui/QWindow>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>

#include <gtest/gtest.h>

namespace {

QWindow* WindowOf(TCustomForm* form) {
    return form->Handle()->windowHandle();
}

}  // namespace

void ShowActive(TCustomForm* form) {
    form->Show();
    QWidget* w = form->Handle();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
}

void ClickControl(TControl* control) {
    TCustomForm* form = GetParentForm(control);
    ASSERT_NE(form, nullptr);
    const TPoint centre = form->ScreenToClient(control->ClientToScreen(
        TPoint(control->ClientWidth() / 2, control->ClientHeight() / 2)));
    QTest::mouseClick(WindowOf(form), Qt::LeftButton, Qt::NoModifier, QPoint(centre.X, centre.Y));
}

void PressKey(TCustomForm* form, Qt::Key key, Qt::KeyboardModifiers mods) {
    QTest::keyPress(WindowOf(form), key, mods);
}

void ReleaseKey(TCustomForm* form, Qt::Key key, Qt::KeyboardModifiers mods) {
    QTest::keyRelease(WindowOf(form), key, mods);
}

void TapKey(TCustomForm* form, Qt::Key key, Qt::KeyboardModifiers mods) {
    QTest::keyClick(WindowOf(form), key, mods);
}

void TypeText(TCustomForm* form, const QString& text) {
    for (QChar c : text) QTest::keyClick(WindowOf(form), c.toLatin1());
}

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
