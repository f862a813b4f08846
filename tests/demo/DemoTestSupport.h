// Driving the demonstration's windows: what they show, and their modal
// runs. Keys and clicks come from the shared widget test support.
#pragma once

#include "Forms.h"
#include "WidgetTestSupport.h"

#include <functional>
#include <ostream>

class QImage;
class QWidget;
class TSBtn;

// What the form's window (or a control's widget) shows.
QImage GrabForm(TCustomForm* form);
QImage GrabControl(TControl* control);

// The caption is whole and clear of the button's frame: a pixel of face
// is left between it and the frame on each side.
void ExpectCaptionInside(TSBtn* button);

// Runs action once a window of the application other than excluded is
// modal and active, from inside its modal loop; gives up after timeoutMs.
void WhenModalActive(std::function<void(QWidget* modal)> action, QWidget* excluded = nullptr, int timeoutMs = 5000);

// Every visible control of parent, at any depth, lies inside its parent
// (a window's client area) and overlaps none of its visible siblings; a failure names
// the controls.
void ExpectTidyLayout(TWinControl* parent);

// Readable failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
