// Building a window in code the way a form resource is read: each control
// is created by the window, named, placed on its parent and given its
// bounds before its other settings.
#pragma once

#include "Controls.h"

template <class T>
T* MakeControl(TComponent* owner, TWinControl* parent, const QString& name, const TRect& bounds) {
    T* control = new T(owner);
    control->SetName(name);
    control->SetParent(parent);
    control->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    return control;
}
