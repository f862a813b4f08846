// Shared pieces of the edit-box tests: a form shown and active on the
// offscreen platform, boxes whose events write to one log, and real keys.
#pragma once

#include "Dialogs.h"
#include "Forms.h"
#include "SEdit.h"

#include <QtGui/QWindow>
#include <QtTest/QTest>
#include <QtWidgets/QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using Trace = std::vector<std::string>;

inline std::string Utf8(const QString& s) {
    return s.toStdString();
}

// A form with boxes whose events are logged as "Event:name[:detail]".
class TraceForm : public TForm {
public:
    TraceForm() : TForm(nullptr) {
        SetBounds(100, 100, 480, 320);
        SetCaption(QStringLiteral("Boxes"));
    }

    TSEdit* AddEdit(const QString& name, Integer left, Integer top, Integer width = 80, Integer height = 24) {
        auto* e = new TSEdit(this);
        e->SetName(name);
        e->SetParent(this);
        e->SetBounds(left, top, width, height);
        Wire(e);
        return e;
    }

    void Wire(TSEdit* e) {
        const std::string n = Utf8(e->Name());
        e->OnEnter = [this, n](TObject*) { log.push_back("Enter:" + n); };
        e->OnExit = [this, n](TObject*) { log.push_back("Exit:" + n); };
        e->OnEditError = [this, n](TObject*) { log.push_back("EditError:" + n); };
        e->OnModified = [this, n](TObject*) { log.push_back("Modified:" + n); };
        e->OnModifyEx = [this, n](TObject*, bool& accept) {
            log.push_back("ModifyEx:" + n);
            if (refuse) accept = false;
        };
        e->OnMove = [this, n](TObject*, Word direction) { log.push_back("Move:" + n + ":" + std::to_string(direction)); };
    }

    TSComboBox* AddCombo(const QString& name, Integer left, Integer top, Integer width = 100) {
        auto* c = new TSComboBox(this);
        c->SetName(name);
        c->SetParent(this);
        c->SetBounds(left, top, width, 24);
        const std::string n = Utf8(name);
        c->OnEnter = [this, n](TObject*) { log.push_back("Enter:" + n); };
        c->OnExit = [this, n](TObject*) { log.push_back("Exit:" + n); };
        c->OnClick = [this, n](TObject*) { log.push_back("Click:" + n); };
        c->OnChange = [this, n](TObject*) { log.push_back("Change:" + n); };
        c->OnModified = [this, n](TObject*) { log.push_back("Modified:" + n); };
        c->OnModifyEx = [this, n](TObject*, bool& accept) {
            log.push_back("ModifyEx:" + n);
            if (refuse) accept = false;
        };
        c->OnMove = [this, n](TObject*, Word direction) { log.push_back("Move:" + n + ":" + std::to_string(direction)); };
        return c;
    }

    void ShowActive() {
        Show();
        QWidget* w = Handle();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }

    QWindow* Window() { return Handle()->windowHandle(); }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(Window(), key, mods); }
    void KeyDown(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyPress(Window(), key, mods); }
    void KeyUp(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyRelease(Window(), key, mods); }
    void Type(const QString& text) {
        for (QChar c : text) QTest::keyClick(Window(), char(c.unicode()));
    }
    // A left click in the middle of a control.
    void Click(TControl* control) {
        const TPoint p = control->ClientToScreen(TPoint(control->Width() / 2, control->Height() / 2));
        const TPoint origin = ClientToScreen(TPoint(0, 0));
        QTest::mouseClick(Window(), Qt::LeftButton, Qt::NoModifier, QPoint(p.X - origin.X, p.Y - origin.Y));
    }

    Trace log;
    bool refuse = false;
};

// Counts the message boxes the rule setters show, and answers them.
class MessageCounter {
public:
    MessageCounter() {
        SetMessageBoxHook([this](const TMessageBoxRequest& r) {
            texts.push_back(Utf8(r.Text));
            return IDOK;
        });
    }
    ~MessageCounter() { SetMessageBoxHook(nullptr); }
    MessageCounter(const MessageCounter&) = delete;
    MessageCounter& operator=(const MessageCounter&) = delete;
    std::vector<std::string> texts;
};
