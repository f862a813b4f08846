// Shared pieces of the framework's widget tests: a form shown and active
// on the offscreen platform, an event log, a fixture holding both, and a
// test control on a native QLineEdit (the way edit boxes put their widget
// under a control).
#pragma once

#include "ControlsWidget.h"
#include "Forms.h"
#include "Ime.h"
#include "WidgetTestSupport.h"

#include <QtWidgets/QLineEdit>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// Events in the order they happened.
class EventLog {
public:
    void Add(const std::string& entry) { entries_.push_back(entry); }
    const std::vector<std::string>& Entries() const { return entries_; }
    void Clear() { entries_.clear(); }
    // Entries starting with the prefix only.
    std::vector<std::string> With(const std::string& prefix) const;

private:
    std::vector<std::string> entries_;
};

std::string Utf8(const QString& s);
std::string KeyName(Word key);
std::string CharName(WideChar c);

// An edit-like control on a QLineEdit that writes its steps to a log.
class TLineProbe : public TWinControl {
public:
    TLineProbe(TComponent* owner, EventLog& log, const QString& name);
    QLineEdit* Edit() const;
    QString EditText() const;

    std::function<void(Word& Key)> KeyDownAction;
    std::function<void(WideChar& Key)> KeyPressAction;
    std::function<void()> ExitAction;
    std::function<void()> EnterAction;

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    bool TakesFocusOnClick() const override { return true; }
    void WndProc(TMessage& Message) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(WideChar& Key) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void DoEnter() override;
    void DoExit() override;

private:
    EventLog& log_;
};

// A form with the log wired to its key events (KeyPreview on).
class TLoggedForm : public TForm {
public:
    TLoggedForm(EventLog& log);
    // Shows the form and waits until its window is active.
    void ShowActive();

private:
    EventLog& log_;
};

// A test with a logged form, made before the test and freed after it
// (before the members of a derived fixture, which its handlers may use).
class LoggedFormTest : public ::testing::Test {
protected:
    LoggedFormTest() : form(std::make_unique<TLoggedForm>(log)) {}
    void TearDown() override { form.reset(); }
    // Shows the form active, focuses first and empties the log.
    void ShowWithFocus(TWinControl* first) {
        form->ShowActive();
        first->SetFocus();
        log.Clear();
    }

    EventLog log;
    std::unique_ptr<TLoggedForm> form;
};

// Places a control on a parent at the given bounds.
template <class T>
T* Place(T* control, TWinControl* parent, Integer left, Integer top, Integer width, Integer height) {
    control->SetParent(parent);
    control->SetBounds(left, top, width, height);
    return control;
}

// Waits (processing events) until cond holds or the time runs out.
bool WaitFor(const std::function<bool()>& cond, int ms = 2000);
// Runs action from the event loop once a modal window (not excluded) is up.
void WhenModalShown(std::function<void(QWidget* modal)> action, QWidget* excluded = nullptr);
