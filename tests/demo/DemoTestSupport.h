// Driving the demonstration's windows with real key and mouse events on
// the offscreen platform.
#pragma once

#include "Forms.h"

#include <QtCore/Qt>

#include <functional>

class QImage;

// Shows the form and waits until its window is active.
void ShowActive(TCustomForm* form);
// A left click in the middle of a control, through its form's window.
void ClickControl(TControl* control);
// Keys through the form's window: they reach the focused widget.
void PressKey(TCustomForm* form, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier);
void ReleaseKey(TCustomForm* form, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier);
void TapKey(TCustomForm* form, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier);
// Each character of an ASCII text as a key click.
void TypeText(TCustomForm* form, const QString& text);
// What the form's window (or a control's widget) shows.
QImage GrabForm(TCustomForm* form);
QImage GrabControl(TControl* control);

// Runs action once a window of the application other than excluded is
// modal and active, from inside its modal loop; gives up after timeoutMs.
void WhenModalActive(std::function<void(QWidget* modal)> action, QWidget* excluded = nullptr, int timeoutMs = 5000);

// Readable failure messages.
#include <ostream>
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
