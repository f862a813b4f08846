// The form routines: the function-key bar's layout, the key-down handler
// run again with the held modifiers, and a new window's preparation.
#include "ZvFormUtils.h"

#include "ExtCtrls.h"
#include "Forms.h"
#include "SBtn.h"
#include "SEdit.h"
#include "StdCtrls.h"
#include "StdCtrlsEdit.h"
#include "WidgetTestSupport.h"

#include <QtTest/QTest>
#include <QtWidgets/QWidget>

#include <gtest/gtest.h>

#include <vector>

namespace {

class FnKeyBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 800, 200);
        panel = new TPanel(form.get());
        panel->SetParent(form.get());
        panel->SetBevelOuter(bvNone);
        panel->SetBounds(0, 100, 500, 50);
        for (int i = 1; i <= 12; ++i) {
            auto* b = new TSBtn(form.get());
            b->SetName(QStringLiteral("SBtn%1").arg(i));
            b->SetParent(panel);
            b->SetHeight(40);
            keys.push_back(b);
        }
    }

    std::vector<Integer> Lefts() const {
        std::vector<Integer> out;
        for (TControl* k : keys) out.push_back(k->Left());
        return out;
    }

    std::unique_ptr<TForm> form;
    TPanel* panel = nullptr;
    std::vector<TControl*> keys;
};

TEST_F(FnKeyBarTest, EvenWidthGivesThreeGroupsOfFourAndTheWidthStaysWhenThePanelGrows) {
    ASSERT_EQ(panel->ClientWidth(), 500);
    LayoutFnKeyBar(panel, true, QStringLiteral("SBtn"));
    // (500 - 8) div 12 = 41; gap (500 - 492) div 2 = 4.
    EXPECT_EQ(Lefts(), (std::vector<Integer>{0, 41, 82, 123, 168, 209, 250, 291, 336, 377, 418, 459}));
    for (TControl* k : keys) {
        EXPECT_EQ(k->Width(), 41);
        EXPECT_EQ(k->Height(), 40);
        EXPECT_EQ(k->Top(), 5);
    }
    EXPECT_EQ(static_cast<TSBtn*>(keys[0])->FnKeyBarWidth(), 41);
    panel->SetWidth(600);
    LayoutFnKeyBar(panel, true, QStringLiteral("SBtn"));
    // Width kept at 41; gap (600 - 492) div 2 = 54.
    EXPECT_EQ(Lefts(), (std::vector<Integer>{0, 41, 82, 123, 218, 259, 300, 341, 436, 477, 518, 559}));
    EXPECT_EQ(keys[11]->Width(), 41);
    EXPECT_EQ(keys[4]->Left() - keys[3]->Left() - 41, keys[8]->Left() - keys[7]->Left() - 41) << "equal gaps";
}

TEST_F(FnKeyBarTest, WithoutEvenWidthTheFirstButtonsWidthIsUsedAndRemembered) {
    panel->SetWidth(700);
    keys[0]->SetWidth(45);
    LayoutFnKeyBar(panel, false, QStringLiteral("SBtn"));
    // Gap (700 - 540) div 2 = 80.
    EXPECT_EQ(keys[3]->Left(), 135);
    EXPECT_EQ(keys[4]->Left(), 260);
    EXPECT_EQ(keys[8]->Left(), 520);
    LayoutFnKeyBar(panel, true, QStringLiteral("SBtn"));
    EXPECT_EQ(keys[5]->Width(), 45) << "the first layout fixed the width";
}

TEST_F(FnKeyBarTest, RingButtonsOverlapByOnePixelAndTakeTheFirstOnesBevel) {
    for (TControl* k : keys) static_cast<TSBtn*>(k)->SetGradientType(gtNormal);
    static_cast<TSBtn*>(keys[0])->SetThinBevel(true);
    static_cast<TSBtn*>(keys[6])->SetTransparent(false);
    LayoutFnKeyBar(panel, true, QStringLiteral("SBtn"));
    EXPECT_EQ(keys[1]->Left(), 41);
    EXPECT_EQ(keys[1]->Width(), 42);
    for (TControl* k : keys) {
        EXPECT_TRUE(static_cast<TSBtn*>(k)->ThinBevel());
        EXPECT_TRUE(static_cast<TSBtn*>(k)->Transparent());
    }
}

TEST_F(FnKeyBarTest, MissingButtonsLeaveTheirPlaceEmpty) {
    delete keys[6];
    keys.erase(keys.begin() + 6);
    LayoutFnKeyBar(panel, true, QStringLiteral("SBtn"));
    EXPECT_EQ(keys[5]->Left(), 209);  // SBtn6
    EXPECT_EQ(keys[6]->Left(), 291);  // SBtn8 keeps its place
}

TEST_F(FnKeyBarTest, NothingHappensForAnotherReceiverOrWithoutTheFirstButton) {
    const auto before = Lefts();
    LayoutFnKeyBar(form.get(), true, QStringLiteral("SBtn"));
    LayoutFnKeyBar(nullptr, true, QStringLiteral("SBtn"));
    LayoutFnKeyBar(panel, true, QStringLiteral("Key"));
    TComponent owner(nullptr);
    auto* loose = new TPanel(&owner);
    LayoutFnKeyBar(loose, true, QStringLiteral("SBtn"));
    EXPECT_EQ(Lefts(), before);
}

TEST_F(FnKeyBarTest, PlainButtonsAreLaidOutWithoutRememberingAWidth) {
    TForm other(nullptr);
    auto* bar = new TPanel(&other);
    bar->SetParent(&other);
    bar->SetBevelOuter(bvNone);
    bar->SetBounds(0, 0, 500, 30);
    std::vector<TSpeedButton*> plain;
    for (int i = 1; i <= 12; ++i) {
        auto* b = new TSpeedButton(&other);
        b->SetName(QStringLiteral("F%1").arg(i));
        b->SetParent(bar);
        plain.push_back(b);
    }
    LayoutFnKeyBar(bar, true, QStringLiteral("F"));
    EXPECT_EQ(plain[4]->Left(), 168);
    EXPECT_EQ(plain[4]->Top(), 4);  // (30 - 22) div 2
    bar->SetWidth(620);
    LayoutFnKeyBar(bar, true, QStringLiteral("F"));
    EXPECT_EQ(plain[4]->Width(), 51) << "(620 - 8) div 12, nothing remembered";
}

// ------------------------------------------------------------ RefireKeyState

class RefireTest : public ::testing::Test {
protected:
    void SetUp() override {
        KeyStateReset();
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(100, 100, 300, 200);
        form->SetKeyPreview(true);
        form->OnKeyDown = [this](TObject* sender, Word& key, TShiftState shift) {
            if (key == 0 && sender == form.get()) refired.push_back(shift);
        };
    }
    void TearDown() override { KeyStateReset(); }


    std::unique_ptr<TForm> form;
    std::vector<TShiftState> refired;
};

TEST_F(RefireTest, AHeldShiftIsSeenWhateverItsToggleBit) {
    ShowActive(form.get());
    // The second press leaves the toggle bit clear: the state byte is 0x80.
    KeyClick(form.get(), Qt::Key_Shift);
    KeyPress(form.get(), Qt::Key_Shift, Qt::ShiftModifier);
    TKeyboardState state;
    GetKeyboardState(state);
    ASSERT_EQ(state[VK_SHIFT], 0x80);
    RefireKeyState(form.get());
    KeyRelease(form.get(), Qt::Key_Shift, Qt::ShiftModifier);
    RefireKeyState(form.get());
    ASSERT_EQ(refired.size(), 2u);
    EXPECT_EQ(refired[0], TShiftState{ssShift});
    EXPECT_EQ(refired[1], TShiftState{});
}

TEST_F(RefireTest, ControlCountsFromEitherSide) {
    ShowActive(form.get());
    KeyPress(form.get(), Qt::Key_Control);
    RefireKeyState(form.get());
    KeyRelease(form.get(), Qt::Key_Control, Qt::ControlModifier);
    KeyStateSetDown(VK_RCONTROL, true);
    KeyStateSetDown(VK_LSHIFT, true);
    RefireKeyState(form.get());
    ASSERT_EQ(refired.size(), 2u);
    EXPECT_EQ(refired[0], TShiftState{ssCtrl});
    EXPECT_EQ(refired[1], (TShiftState{ssShift, ssCtrl}));
}

TEST_F(RefireTest, OnlyAFormWithAKeyDownHandlerIsCalled) {
    RefireKeyState(nullptr);
    TPanel panel(nullptr);
    RefireKeyState(&panel);
    form->OnKeyDown = nullptr;
    RefireKeyState(form.get());
    EXPECT_TRUE(refired.empty());
}

// ------------------------------------------------------------ InitFormControls

TEST(InitFormControls, UntaggedCaptionsAndBoxesAreEmptiedAndNoTabStopsRemain) {
    TForm form(nullptr);
    std::vector<std::string> log;
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetCaption(QStringLiteral("panel"));
    panel->OnResize = [&](TObject* s) { log.push_back(s == panel ? "resize:panel" : "?"); };
    auto* fixedPanel = new TPanel(&form);
    fixedPanel->SetParent(&form);
    fixedPanel->SetTag(1);
    fixedPanel->SetCaption(QStringLiteral("fixed"));
    fixedPanel->OnResize = [&](TObject*) { log.push_back("resize:fixed"); };
    auto* label = new TLabel(&form);
    label->SetCaption(QStringLiteral("label"));
    auto* fixedLabel = new TLabel(&form);
    fixedLabel->SetTag(-1);
    fixedLabel->SetCaption(QStringLiteral("&fixed"));
    auto* edit = new TEdit(&form);
    edit->SetParent(panel);
    edit->SetTabStop(true);
    edit->SetText(QStringLiteral("text"));
    edit->OnChange = [&](TObject*) { log.push_back("change"); };
    edit->OnExit = [&](TObject* s) { log.push_back(s == edit ? "exit:edit" : "?"); };
    auto* fixedEdit = new TEdit(&form);
    fixedEdit->SetParent(panel);
    fixedEdit->SetTag(1);
    fixedEdit->SetText(QStringLiteral("kept"));
    auto* sedit = new TSEdit(&form);
    sedit->SetParent(panel);
    sedit->SetText(QStringLiteral("123"));
    sedit->OnChange = [&](TObject*) { log.push_back("change:sedit"); };
    auto* button = new TButton(&form);
    button->SetParent(&form);
    button->SetTabStop(true);

    InitFormControls(&form);

    EXPECT_TRUE(panel->Caption().isEmpty());
    EXPECT_FALSE(panel->ParentBackground());
    EXPECT_EQ(fixedPanel->Caption(), QStringLiteral("fixed"));
    EXPECT_TRUE(label->Caption().isEmpty());
    EXPECT_EQ(fixedLabel->Caption(), QStringLiteral("&fixed"));
    EXPECT_FALSE(fixedLabel->ShowAccelChar());
    EXPECT_FALSE(label->ShowAccelChar());
    EXPECT_TRUE(edit->Text().isEmpty());
    EXPECT_EQ(fixedEdit->Text(), QStringLiteral("kept"));
    EXPECT_TRUE(sedit->Text().isEmpty());
    EXPECT_TRUE(edit->OnChange) << "the handler is put back";
    EXPECT_EQ(log, (std::vector<std::string>{"resize:panel", "resize:fixed", "exit:edit"}));
    for (TWinControl* w : std::initializer_list<TWinControl*>{panel, fixedPanel, edit, fixedEdit, sedit, button})
        EXPECT_FALSE(w->TabStop());
    InitFormControls(nullptr);
}

}  // namespace
