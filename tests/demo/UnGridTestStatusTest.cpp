// The routines the demonstration's windows share: the six-panel status bar
// and its owner-drawn panels, the changed mark and the discard question,
// the clearing of a window, and the re-run of the key-down handler.
#include "UnGridTest.h"

#include "DemoTestSupport.h"
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "SEdit.h"
#include "StdCtrls.h"
#include "TestSupport.h"

#include <QtGui/QImage>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// A window with a status bar, as the main window has.
struct BarWindow {
    std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
    TStatusBar* bar = nullptr;
    BarWindow() {
        form->SetClientSize(620, 60);
        auto* filler = new TPanel(form.get());  // a child before the bar
        filler->SetParent(form.get());
        bar = new TStatusBar(form.get());
        bar->SetParent(form.get());
        bar->OnDrawPanel = sb1DrawPanel;
    }
};

struct FixedClock {
    FixedClock() { SetClockForTesting([] { return EncodeDate(2009, 5, 13) + 0.5; }); }
    ~FixedClock() { SetClockForTesting(nullptr); }
};

TEST(SetupStatusBar, SixCentredPanelsWithTheDateAndTheMakersName) {
    FixedClock clock;
    BarWindow w;
    w.bar->Panels()->Add()->SetText(QStringLiteral("old"));
    SetupStatusBar(w.form.get());
    ASSERT_EQ(w.bar->Panels()->Count(), 6);
    const Integer widths[] = {80, 112, 50, 140, -1, 100};
    const TStatusPanelStyle styles[] = {psOwnerDraw, psText, psOwnerDraw, psText, psText, psText};
    for (Integer i = 0; i < 6; ++i) {
        TStatusPanel* p = w.bar->Panels()->Items(i);
        if (widths[i] >= 0) {
            EXPECT_EQ(p->Width(), widths[i]) << i;
        }
        EXPECT_EQ(p->Style(), styles[i]) << i;
        EXPECT_EQ(p->Alignment(), taCenter) << i;
    }
    EXPECT_EQ(w.bar->Panels()->Items(1)->Text(), QStringLiteral("2009/05/13"));
    EXPECT_EQ(w.bar->Panels()->Items(4)->Text(), QStringLiteral("Velmora"));
    // "Velmora" in 10-point IPAPGothic (13 pixels) is some 45 pixels wide.
    EXPECT_GT(w.bar->Panels()->Items(4)->Width(), 30);
    EXPECT_LT(w.bar->Panels()->Items(4)->Width(), 70);
    EXPECT_EQ(w.bar->Font()->Size(), 10);
    EXPECT_EQ(w.bar->Panels()->Items(0)->Text(), QString()) << "the old panels are gone";
}

TEST(SetupStatusBar, OnlyWindowsWithABarChange) {
    TForm form(nullptr);
    SetupStatusBar(&form);  // no bar: nothing to do
    SetupStatusBar(nullptr);
    auto* owned = new TStatusBar(&form);  // owned by the form but not its child
    SetupStatusBar(&form);
    EXPECT_EQ(owned->Panels()->Count(), 0);
}

// The colour at the middle of a panel's left edge area, inside its bevel.
QRgb PanelColour(const QImage& image, TStatusBar* bar, Integer index) {
    const TRect r = bar->PanelRect(index);
    return image.pixel(r.Left + 2, r.Top + 2);
}

TEST(sb1DrawPanel, YellowUnderTheChangedAndLoadingMarks) {
    BarWindow w;
    SetupStatusBar(w.form.get());
    ShowActive(w.form.get());
    w.bar->Panels()->Items(0)->SetText(QStringLiteral("読込中"));
    SetModified(w.bar, true);
    QImage shot = GrabControl(w.bar);
    SaveTestImage(shot, QStringLiteral("status-bar-changed"));
    const QRgb yellow = qRgb(255, 255, 0);
    EXPECT_EQ(PanelColour(shot, w.bar, 0), yellow);
    EXPECT_EQ(PanelColour(shot, w.bar, 2), yellow);

    w.bar->Panels()->Items(0)->SetText(QStringLiteral("完了"));
    SetModified(w.bar, false);
    shot = GrabControl(w.bar);
    const QRgb face = ToQColor(w.bar->Color()).rgb();
    EXPECT_EQ(PanelColour(shot, w.bar, 0), face) << "\"完了\" keeps the bar's colour";
    EXPECT_EQ(PanelColour(shot, w.bar, 2), face);
}

TEST(sb1DrawPanel, TheTextIsCentredBothWays) {
    BarWindow w;
    SetupStatusBar(w.form.get());
    w.bar->SetHeight(30);
    ShowActive(w.form.get());
    SetModified(w.bar, true);
    const QImage shot = GrabControl(w.bar);
    const TRect r = w.bar->PanelRect(2);
    // The rows and columns that hold dark text pixels.
    Integer top = r.Bottom, bottom = r.Top, left = r.Right, right = r.Left;
    for (Integer y = r.Top; y < r.Bottom; ++y) {
        for (Integer x = r.Left; x < r.Right; ++x) {
            if (qGray(shot.pixel(x, y)) > 100) continue;
            top = std::min(top, y);
            bottom = std::max(bottom, y + 1);
            left = std::min(left, x);
            right = std::max(right, x + 1);
        }
    }
    ASSERT_LT(top, bottom) << "no text drawn";
    EXPECT_LE(std::abs((top - r.Top) - (r.Bottom - bottom)), 4) << "vertical margins";
    EXPECT_LE(std::abs((left - r.Left) - (r.Right - right)), 3) << "horizontal margins";
}

TEST(ChangedMark, LivesInTheOwnersTagAndShowsInPanelTwo) {
    BarWindow w;
    SetupStatusBar(w.form.get());
    EXPECT_FALSE(IsModified(w.bar));
    SetModified(w.bar, true);
    EXPECT_EQ(w.form->Tag(), 1);
    EXPECT_TRUE(IsModified(w.bar));
    EXPECT_EQ(w.bar->Panels()->Items(2)->Text(), QStringLiteral("変更"));
    SetModified(w.bar, false);
    EXPECT_EQ(w.form->Tag(), 0);
    EXPECT_EQ(w.bar->Panels()->Items(2)->Text(), QString());
    // Only the low byte is read.
    w.form->SetTag(0x100);
    EXPECT_FALSE(IsModified(w.bar));
    w.form->SetTag(0x101);
    EXPECT_TRUE(IsModified(w.bar));
}

TEST(ChangedMark, ABarWithoutPanelsOrOwnerIsNoProblem) {
    TStatusBar orphan(nullptr);
    SetModified(&orphan, true);
    EXPECT_FALSE(IsModified(&orphan));
    EXPECT_TRUE(ConfirmDiscard(&orphan, QStringLiteral("?")));
    BarWindow w;
    SetModified(w.bar, true);  // no panels yet
    EXPECT_TRUE(IsModified(w.bar));
}

// Answers every message box with answer and records the requests.
struct BoxAnswers {
    std::vector<TMessageBoxRequest> asked;
    explicit BoxAnswers(Integer answer) {
        SetMessageBoxHook([this, answer](const TMessageBoxRequest& r) {
            asked.push_back(r);
            return answer;
        });
    }
    ~BoxAnswers() { SetMessageBoxHook(nullptr); }
};

TEST(ConfirmDiscard, AsksOnlyWhenChanged) {
    BarWindow w;
    SetupStatusBar(w.form.get());
    BoxAnswers no(IDNO);
    EXPECT_TRUE(ConfirmDiscard(w.bar, QStringLiteral("捨てますか")));
    EXPECT_TRUE(no.asked.empty());

    SetModified(w.bar, true);
    EXPECT_FALSE(ConfirmDiscard(w.bar, QStringLiteral("捨てますか")));
    ASSERT_EQ(no.asked.size(), 1u);
    EXPECT_EQ(no.asked[0].Text, QStringLiteral("捨てますか"));
    EXPECT_EQ(no.asked[0].Caption, QStringLiteral("確認"));
    EXPECT_EQ(no.asked[0].Buttons, (std::vector<Integer>{IDYES, IDNO}));
    EXPECT_EQ(no.asked[0].Owner, w.form.get());
    EXPECT_TRUE(IsModified(w.bar)) << "a declined question keeps the mark";
}

TEST(ConfirmDiscard, YesClearsTheMark) {
    BarWindow w;
    SetupStatusBar(w.form.get());
    SetModified(w.bar, true);
    BoxAnswers yes(IDYES);
    EXPECT_TRUE(ConfirmDiscard(w.bar, QStringLiteral("捨てますか")));
    EXPECT_FALSE(IsModified(w.bar));
    EXPECT_EQ(w.bar->Panels()->Items(2)->Text(), QString());
}

TEST(ClearSlip, EmptiesUntaggedCaptionsAndBoxesOnly) {
    TForm form(nullptr);
    std::vector<std::string> log;
    const auto make = [&form](auto* control, Integer tag, const QString& text) {
        control->SetParent(&form);
        control->SetTag(tag);
        control->SetText(text);
        return control;
    };
    TPanel* panel0 = make(new TPanel(&form), 0, QStringLiteral("p0"));
    TPanel* panel1 = make(new TPanel(&form), 1, QStringLiteral("p1"));
    panel0->OnResize = [&log](TObject*) { log.push_back("resize p0"); };
    panel1->OnResize = [&log](TObject*) { log.push_back("resize p1"); };
    TLabel* label0 = make(new TLabel(&form), 0, QStringLiteral("l0"));
    TLabel* label1 = make(new TLabel(&form), -1, QStringLiteral("l1"));
    TSEdit* box0 = make(new TSEdit(&form), 0, QStringLiteral("b0"));
    TSEdit* box1 = make(new TSEdit(&form), 1, QStringLiteral("b1"));
    box0->OnChange = [&log](TObject*) { log.push_back("change b0"); };
    box0->OnExit = [&log, box0](TObject* s) { log.push_back(s == box0 ? "exit b0" : "exit ?"); };
    TEdit* edit0 = make(new TEdit(&form), 0, QStringLiteral("e0"));
    edit0->SetTabStop(true);
    box1->SetTabStop(true);

    ClearSlip(&form);
    EXPECT_EQ(panel0->Caption(), QString());
    EXPECT_EQ(panel1->Caption(), QStringLiteral("p1"));
    EXPECT_EQ(label0->Caption(), QString());
    EXPECT_EQ(label1->Caption(), QStringLiteral("l1"));
    EXPECT_FALSE(label0->ShowAccelChar());
    EXPECT_FALSE(label1->ShowAccelChar());
    EXPECT_EQ(box0->Text(), QString());
    EXPECT_EQ(box0->AcceptedText(), QString());
    EXPECT_EQ(box1->Text(), QStringLiteral("b1"));
    EXPECT_EQ(edit0->Text(), QString());
    EXPECT_FALSE(edit0->TabStop());
    EXPECT_FALSE(box1->TabStop());
    EXPECT_EQ(log, (std::vector<std::string>{"resize p0", "resize p1", "exit b0"}))
        << "panels re-laid out whatever their tag; the box cleared without OnChange";
    ASSERT_TRUE(box0->OnChange) << "OnChange is put back";
}

// A form whose key-down handler records the Shift state it is called with.
struct KeyForm {
    TForm form{nullptr};
    std::vector<TShiftState> calls;
    std::vector<Word> keys;
    KeyForm() {
        form.OnKeyDown = [this](TObject*, Word& key, TShiftState shift) {
            keys.push_back(key);
            calls.push_back(shift);
        };
    }
    ~KeyForm() { KeyStateReset(); }
};

TEST(RefireShiftCtrlState, PassesTheHeldShiftAndCtrl) {
    KeyForm k;
    KeyStateReset();
    RefireShiftCtrlState(&k.form);
    KeyStateSetDown(VK_SHIFT, true);
    RefireShiftCtrlState(&k.form);
    KeyStateSetDown(VK_CONTROL, true);
    RefireShiftCtrlState(&k.form);
    ASSERT_EQ(k.calls.size(), 3u);
    EXPECT_EQ(k.calls[0], TShiftState());
    EXPECT_EQ(k.calls[1], TShiftState{ssShift});
    EXPECT_EQ(k.calls[2], (TShiftState{ssShift, ssCtrl}));
    EXPECT_EQ(k.keys, (std::vector<Word>{0, 0, 0}));
}

TEST(RefireShiftCtrlState, EveryHeldShiftCountsWhateverItsToggleBit) {
    KeyForm k;
    KeyStateReset();
    // Second press: the toggle bit is off again and the state byte is 0x80.
    KeyStateSetDown(VK_SHIFT, true);
    KeyStateSetDown(VK_SHIFT, false);
    KeyStateSetDown(VK_SHIFT, true);
    TKeyboardState state{};
    GetKeyboardState(state);
    ASSERT_EQ(state[VK_SHIFT], 0x80);
    RefireShiftCtrlState(&k.form);
    ASSERT_EQ(k.calls.size(), 1u);
    EXPECT_EQ(k.calls[0], TShiftState{ssShift});
}

TEST(RefireShiftCtrlState, OnlyFormsWithAHandler) {
    TForm bare(nullptr);
    RefireShiftCtrlState(&bare);  // no handler: nothing to call
    RefireShiftCtrlState(nullptr);
    // A control that is no form keeps its key handler to itself.
    TPanel panel(nullptr);
    Integer calls = 0;
    panel.OnKeyDown = [&calls](TObject*, Word&, TShiftState) { ++calls; };
    RefireShiftCtrlState(&panel);
    EXPECT_EQ(calls, 0);
}

}  // namespace
