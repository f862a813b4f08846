// Driving the report engine's dialogs, which wait in loops of their own:
// a script of steps runs beside them, each step waiting until the dialog
// is ready for it and then acting with real clicks and keys.
#pragma once

#include "Forms.h"

#include <QtCore/QTimer>

#include <deque>
#include <functional>

class TListBox;

class UiScript {
public:
    UiScript();
    ~UiScript();
    // Acts once ready() holds and the previous action has started.
    UiScript& Then(std::function<bool()> ready, std::function<void()> act);
    void Start();
    bool Finished() const { return steps_.empty() && started_; }
    // Steps that never became ready are reported and the open modal
    // windows cancelled, so a broken dialog fails instead of hanging.
    static constexpr int StepTimeoutMs = 15000;

private:
    struct Step {
        std::function<bool()> ready;
        std::function<void()> act;
    };
    void poll();
    void abandon();

    std::deque<Step> steps_;
    QTimer timer_;
    int waitedMs_ = 0;
    int stepNumber_ = 0;
    bool started_ = true;  // the last posted action has begun
};

// The visible form of class T created last, or nil.
template <class T>
T* TopForm() {
    for (Integer i = Screen->FormCount() - 1; i >= 0; --i) {
        if (auto* form = dynamic_cast<T*>(Screen->Forms(i)); form && form->Visible()) return form;
    }
    return nullptr;
}

// Clicks (or double-clicks) item index of a list box with the mouse.
void ClickListItem(TListBox* list, Integer index, bool doubleClick = false);
// Types an ASCII text into whatever has the focus in control's window.
void TypeInto(TControl* control, const QString& text);
// Saves a picture of the form's window as <name>.png and returns its size.
QSize SaveFormPicture(TCustomForm* form, const QString& name);
