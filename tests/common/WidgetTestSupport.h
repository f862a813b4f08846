// Driving forms with real key and mouse events on the offscreen platform,
// shared by the widget tests of every folder.
#pragma once

#include "Forms.h"

#include <QtCore/QPoint>
#include <QtCore/QString>
#include <QtCore/Qt>

#include <memory>

class QImage;
class QWindow;

// A borderless white form of the given size, not shown yet: what controls
// draw on it is read back with ShowAndGrab.
std::unique_ptr<TForm> WhiteForm(Integer width, Integer height);
// Shows the form and waits until its window is active.
void ShowActive(TCustomForm* form);
// The whole form as it is drawn now (shown first if it is hidden), in
// 32-bit RGB, saved under name when one is given.
QImage ShowAndGrab(TCustomForm* form, const QString& name = QString());

// Real keys through the form's window: they reach whatever widget has the
// focus at that moment, press and release alike.
QWindow* WindowOf(TCustomForm* form);
void KeyClick(TCustomForm* form, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier);
void KeyPress(TCustomForm* form, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier);
void KeyRelease(TCustomForm* form, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier);
// Each character of an ASCII text as a key click.
void KeyClicks(TCustomForm* form, const QString& text);

// Real mouse buttons through the form's window at a client point: the
// widget under the point gets them, and what it leaves goes to its parents.
void MouseClick(TCustomForm* form, QPoint pos, Qt::MouseButton button = Qt::LeftButton);
void MousePress(TCustomForm* form, QPoint pos, Qt::MouseButton button = Qt::LeftButton);
void MouseRelease(TCustomForm* form, QPoint pos, Qt::MouseButton button = Qt::LeftButton);
void MouseDClick(TCustomForm* form, QPoint pos, Qt::MouseButton button = Qt::LeftButton);
// A left click in the middle of a control, through its form's window.
void ClickControl(TControl* control);

// Runs a real event loop for ms milliseconds, so that the application
// runs out of messages and takes its idle step (QTest's waits never do).
void RunEventLoop(int ms = 50);

