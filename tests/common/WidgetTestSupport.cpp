#include "WidgetTestSupport.h"

#include "TestSupport.h"

#include <QtCore/QEventLoop>
#include <QtCore/QTimer>
#include <QtGui/QImage>
#include <QtGui/QWindow>
#include <QtTest/QTest>
#include <QtWidgets/QWidget>

#include <gtest/gtest.h>

std::unique_ptr<TForm> WhiteForm(Integer width, Integer height) {
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, width, height);
    form->SetColor(clWhite);
    return form;
}

void ShowActive(TCustomForm* form) {
    form->Show();
    QWidget* w = form->Handle();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
}

QImage ShowAndGrab(TCustomForm* form, const QString& name) {
    if (!form->Visible()) ShowActive(form);
    const QImage shot = form->Handle()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (!name.isEmpty()) SaveTestImage(shot, name);
    return shot;
}

QWindow* WindowOf(TCustomForm* form) {
    return form->Handle()->windowHandle();
}

void KeyClick(TCustomForm* form, Qt::Key key, Qt::KeyboardModifiers mods) {
    QTest::keyClick(WindowOf(form), key, mods);
}

void KeyPress(TCustomForm* form, Qt::Key key, Qt::KeyboardModifiers mods) {
    QTest::keyPress(WindowOf(form), key, mods);
}

void KeyRelease(TCustomForm* form, Qt::Key key, Qt::KeyboardModifiers mods) {
    QTest::keyRelease(WindowOf(form), key, mods);
}

void KeyClicks(TCustomForm* form, const QString& text) {
    for (QChar c : text) QTest::keyClick(WindowOf(form), c.toLatin1());
}

void MouseClick(TCustomForm* form, QPoint pos, Qt::MouseButton button) {
    QTest::mouseClick(WindowOf(form), button, Qt::NoModifier, pos);
}

void MousePress(TCustomForm* form, QPoint pos, Qt::MouseButton button) {
    QTest::mousePress(WindowOf(form), button, Qt::NoModifier, pos);
}

void MouseRelease(TCustomForm* form, QPoint pos, Qt::MouseButton button) {
    QTest::mouseRelease(WindowOf(form), button, Qt::NoModifier, pos);
}

void MouseDClick(TCustomForm* form, QPoint pos, Qt::MouseButton button) {
    QTest::mouseDClick(WindowOf(form), button, Qt::NoModifier, pos);
}

void ClickControl(TControl* control) {
    TCustomForm* form = GetParentForm(control);
    ASSERT_NE(form, nullptr);
    const TPoint centre = form->ScreenToClient(control->ClientToScreen(
        TPoint(control->ClientWidth() / 2, control->ClientHeight() / 2)));
    MouseClick(form, QPoint(centre.X, centre.Y));
}

void RunEventLoop(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}
