// Driving the framework's Qt-made dialogs (print and set-up) by their
// named children, with real keys and clicks.
#pragma once

#include <QtCore/QLatin1String>
#include <QtTest/QTest>
#include <QtWidgets/QDialog>
#include <QtWidgets/QSpinBox>

#include <gtest/gtest.h>

template <class T>
T* DialogChild(QDialog& dialog, const char* name) {
    T* child = dialog.findChild<T*>(QLatin1String(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

// Shown and enabled.
inline bool Offered(QDialog& dialog, QWidget* widget) {
    return widget && widget->isVisibleTo(&dialog) && widget->isEnabled();
}

// A click near the left end, where check and radio buttons have their box.
inline void ClickNearLeft(QWidget* widget) {
    if (widget) QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(4, widget->height() / 2));
}

// Replaces a spin box's text by typing, then leaves it.
inline void Retype(QSpinBox* box, const QString& text) {
    if (!box) return;
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Tab);
}
