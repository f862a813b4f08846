// Edit boxes at work in an active window, driven by real keys and clicks:
// the exact order of OnEnter, OnExit, OnEditError, OnModified, OnModifyEx
// and OnMove for each kind of move, refused moves, pass-through, the mouse
// rule, Tab on key-up, the key filter per kind, MoveFullChar, the cut to
// MaxLength in display width and the first-press clearing.
#include "EntryTestSupport.h"

#include "ExtCtrls.h"

#include <QtGui/QClipboard>
#include <QtWidgets/QApplication>

namespace {

class SEditKeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TraceForm>();
        a = form->AddEdit("A", 10, 10);
        b = form->AddEdit("B", 110, 10);
        c = form->AddEdit("C", 210, 10);
        a->SetmvRight(b);
        b->SetmvLeft(a);
        b->SetmvRight(c);
        c->SetmvLeft(b);
        form->ShowActive();
        a->SetFocus();
        form->log.clear();
    }
    void TearDown() override {
        SetBeepHook(nullptr);
        form.reset();
    }

    std::unique_ptr<TraceForm> form;
    TSEdit* a = nullptr;
    TSEdit* b = nullptr;
    TSEdit* c = nullptr;
};

// ------------------------------------------------------------ moves

TEST_F(SEditKeysTest, RightArrowAtTheEndMovesAndRaisesOnMoveAfterTheFocusLeft) {
    a->SetText("ab");
    a->Update();
    a->SetSelStart(1);
    form->Key(Qt::Key_Right);
    EXPECT_TRUE(a->Focused());
    EXPECT_EQ(a->SelStart(), 2);
    EXPECT_TRUE(form->log.empty());
    form->Key(Qt::Key_Right);
    EXPECT_TRUE(b->Focused());
    EXPECT_EQ(b->EntryKey(), 39);
    EXPECT_EQ(form->log, (Trace{"Exit:A", "Enter:B", "Move:A:39"}));
}

TEST_F(SEditKeysTest, RightArrowAtTheEndOfFullWidthTextMovesToo) {
    a->SetText(QStringLiteral("あいう"));
    a->SetSelStart(3);
    form->Key(Qt::Key_Right);
    EXPECT_TRUE(b->Focused());
}

TEST_F(SEditKeysTest, ArrowsLeaveAWhollySelectedTextOnlyWithoutShiftAndOnlyAsExitKeys) {
    b->SetText("xyz");
    b->SetFocus();
    b->SelectAll();
    form->log.clear();
    form->Key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_TRUE(b->Focused()) << "Shift extends the selection";
    b->SelectAll();
    b->SetExitKeys(b->ExitKeys() - ekRight);
    form->Key(Qt::Key_Right);
    EXPECT_TRUE(b->Focused()) << "Right is no exit key of the box";
    b->SelectAll();
    form->Key(Qt::Key_Left);
    EXPECT_TRUE(a->Focused());
    EXPECT_EQ(form->log, (Trace{"Exit:B", "Enter:A", "Move:B:37"}));
    // A right-aligned box leaves by Left wherever its caret stands, unless
    // Left is no exit key.
    b->SetAlignment(taRightJustify);
    b->SetFocus();
    b->SetSelStart(1);
    b->SetExitKeys(b->ExitKeys() - ekLeft);
    form->Key(Qt::Key_Left);
    EXPECT_TRUE(b->Focused());
    b->SetExitKeys(b->ExitKeys() + ekLeft);
    b->SetSelStart(1);
    form->Key(Qt::Key_Left);
    EXPECT_TRUE(a->Focused());
}

TEST_F(SEditKeysTest, AChangedValueRaisesModifiedAndModifyExBeforeExit) {
    form->Type("x");
    form->Key(Qt::Key_Return);
    EXPECT_TRUE(b->Focused());
    EXPECT_EQ(form->log, (Trace{"Modified:A", "ModifyEx:A", "Exit:A", "Enter:B", "Move:A:39"}));
    EXPECT_EQ(Utf8(a->AcceptedText()), "x");
    EXPECT_EQ(b->EntryKey(), 39);
}

TEST_F(SEditKeysTest, EnterGoesWhereMoveReturnSays) {
    a->SetmvDown(c);
    a->SetMoveReturn(mkDown);
    form->Key(Qt::Key_Return);
    EXPECT_TRUE(c->Focused());
    EXPECT_EQ(c->EntryKey(), 40);
    EXPECT_EQ(form->log, (Trace{"Exit:A", "Enter:C", "Move:A:40"}));
}

TEST_F(SEditKeysTest, EnterOnASelectionOnlyCollapsesIt) {
    a->SetText("abc");
    a->SelectAll();
    form->Key(Qt::Key_Return);
    EXPECT_TRUE(a->Focused());
    EXPECT_EQ(a->SelLength(), 0);
    EXPECT_EQ(a->SelStart(), 0);
    EXPECT_TRUE(form->log.empty());
}

TEST_F(SEditKeysTest, AValidationErrorKeepsTheFocusAndRaisesOnEditErrorOncePerKey) {
    a->SetNumericType(ntInteger);
    a->SetMaxValue(100);
    a->SetText("150");
    a->SetSelStart(3);
    form->Key(Qt::Key_Return);
    EXPECT_TRUE(a->Focused());
    EXPECT_EQ(a->ErrorType(), erMaxValue);
    EXPECT_EQ(form->log, (Trace{"EditError:A"}));
    form->log.clear();
    a->SetSelStart(3);
    form->Key(Qt::Key_Right);
    EXPECT_EQ(form->log, (Trace{"EditError:A"}));
    EXPECT_EQ(Utf8(a->Text()), "150");
}

TEST_F(SEditKeysTest, ARefusedChangeHoldsOnEveryAttemptAndIsNeverAccepted) {
    form->refuse = true;
    form->Type("x");
    form->Key(Qt::Key_Return);
    EXPECT_TRUE(a->Focused());
    EXPECT_EQ(form->log, (Trace{"Modified:A", "ModifyEx:A"}));
    EXPECT_EQ(Utf8(a->AcceptedText()), "");
    // The focus came back by program: AutoSelect selected the text, and
    // the next Enter only collapses the selection.
    EXPECT_EQ(a->SelLength(), 1);
    form->log.clear();
    form->Key(Qt::Key_Return);
    EXPECT_TRUE(form->log.empty());
    form->Key(Qt::Key_Return);
    EXPECT_TRUE(a->Focused());
    EXPECT_EQ(form->log, (Trace{"Modified:A", "ModifyEx:A"}));
    // A click elsewhere is refused the same way.
    form->log.clear();
    form->ClickOn(c);
    EXPECT_TRUE(a->Focused());
    EXPECT_EQ(form->log, (Trace{"Modified:A", "ModifyEx:A"}));
    EXPECT_EQ(Utf8(a->AcceptedText()), "");
    form->refuse = false;
    form->log.clear();
    form->Key(Qt::Key_Return);
    form->Key(Qt::Key_Return);
    EXPECT_TRUE(b->Focused());
    EXPECT_EQ(form->log, (Trace{"Modified:A", "ModifyEx:A", "Exit:A", "Enter:B", "Move:A:39"}));
}

TEST_F(SEditKeysTest, AReadOnlyNeighbourPassesTheFocusOnWithoutOnEnter) {
    b->SetReadOnly(true);
    form->Key(Qt::Key_Right);
    EXPECT_TRUE(c->Focused());
    EXPECT_EQ(c->EntryKey(), 39);
    EXPECT_EQ(form->log, (Trace{"Exit:A", "Enter:C", "Move:A:39"}));
    // And back from the right by Left arrow.
    form->log.clear();
    form->Key(Qt::Key_Left);
    EXPECT_TRUE(a->Focused());
    EXPECT_EQ(form->log, (Trace{"Exit:C", "Enter:A", "Move:C:37"}));
}

TEST_F(SEditKeysTest, ABoxOnADisabledPanelIsSteppedOver) {
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(100, 60, 120, 40);
    auto* onPanel = form->AddEdit("P", 10, 70);
    onPanel->SetParent(panel);
    onPanel->SetBounds(4, 4, 80, 24);
    a->SetmvRight(onPanel);
    onPanel->SetmvRight(c);
    panel->SetEnabled(false);
    form->Key(Qt::Key_Right);
    EXPECT_TRUE(c->Focused());
    EXPECT_EQ(c->EntryKey(), 39);
    EXPECT_EQ(onPanel->EntryKey(), 39);
    EXPECT_EQ(form->log, (Trace{"Exit:A", "Enter:C", "Move:A:39"}));
}

TEST_F(SEditKeysTest, WhenNothingBeyondCanTakeTheFocusTheBoxStaysAndRunsItsStepsInPlace) {
    b->SetEnabled(false);
    c->SetEnabled(false);
    form->Key(Qt::Key_Right);
    EXPECT_TRUE(a->Focused());
    EXPECT_EQ(form->log, (Trace{"Exit:A", "Enter:A"}));
}

TEST_F(SEditKeysTest, ARingOfBoxesThatCannotKeepTheFocusEnds) {
    b->SetEnabled(false);
    b->SetmvRight(a);
    form->Key(Qt::Key_Right);
    EXPECT_TRUE(a->Focused());
    // Read-only boxes linked in a ring: the walk follows each once.
    b->SetEnabled(true);
    b->SetReadOnly(true);
    c->SetReadOnly(true);
    b->SetmvRight(c);
    c->SetmvRight(b);
    form->log.clear();
    form->Key(Qt::Key_Right);
    EXPECT_TRUE(c->Focused());
    EXPECT_EQ(form->log, (Trace{"Exit:A", "Move:A:39"}));
}

TEST_F(SEditKeysTest, AnArrowWithoutNeighbourRaisesOnMoveAndStays) {
    form->Key(Qt::Key_Up);
    EXPECT_TRUE(a->Focused());
    EXPECT_EQ(form->log, (Trace{"Move:A:38"}));
}

TEST_F(SEditKeysTest, EnterWithoutNeighbourRunsExitAndEntryInPlace) {
    c->SetFocus();
    c->SetNumericType(ntInteger);
    c->SetMaxValue(99999);
    c->SetAlignment(taRightJustify);
    form->log.clear();
    form->Type("1234");
    form->Key(Qt::Key_Return);
    EXPECT_TRUE(c->Focused());
    EXPECT_EQ(form->log, (Trace{"Modified:C", "ModifyEx:C", "Exit:C", "Enter:C"}));
    EXPECT_EQ(Utf8(c->AcceptedText()), "1,234");
    EXPECT_EQ(Utf8(c->Text()), "1234");
}

TEST_F(SEditKeysTest, LeftArrowInARightAlignedBoxAlwaysMoves) {
    b->SetFocus();
    b->SetAlignment(taRightJustify);
    b->SetText("abc");
    b->SetSelStart(3);
    form->log.clear();
    form->Key(Qt::Key_Left);
    EXPECT_TRUE(a->Focused());
    EXPECT_EQ(a->EntryKey(), 37);
}

TEST_F(SEditKeysTest, KeyPreviewShowsMoveKeysToOnKeyDown) {
    std::vector<Word> keys;
    a->OnKeyDown = [&](TObject*, Word& key, TShiftState) { keys.push_back(key); };
    form->Key(Qt::Key_Down);
    EXPECT_TRUE(keys.empty());
    a->SetmvDown(c);
    form->Key(Qt::Key_Down);
    EXPECT_TRUE(c->Focused());
    EXPECT_TRUE(keys.empty());
    a->SetKeyPreview(true);
    a->SetFocus();
    form->Key(Qt::Key_Down);
    EXPECT_EQ(keys, (std::vector<Word>{40}));
}

// ------------------------------------------------------------ Tab and mouse

TEST_F(SEditKeysTest, TabMovesOnKeyUpWithoutOnMove) {
    form->PressKey(Qt::Key_Tab);
    EXPECT_TRUE(a->Focused());
    form->ReleaseKey(Qt::Key_Tab);
    EXPECT_TRUE(b->Focused());
    EXPECT_EQ(b->EntryKey(), 39);
    form->PressKey(Qt::Key_Backtab, Qt::ShiftModifier);
    form->ReleaseKey(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(a->Focused());
    EXPECT_EQ(form->log, (Trace{"Exit:A", "Enter:B", "Exit:B", "Enter:A"}));
}

TEST_F(SEditKeysTest, ATabStopBoxLeavesTabToTheForm) {
    b->SetTabStop(true);
    form->Key(Qt::Key_Tab);
    EXPECT_TRUE(b->Focused());
    // B's own key-up does not move again.
    EXPECT_EQ(form->log, (Trace{"Exit:A", "Enter:B"}));
}

TEST_F(SEditKeysTest, WithoutEkMouseAClickGoesBackToTheGroupsCurrentBox) {
    // A is the group's current box since it was entered.
    EXPECT_EQ(b->GroupCurrent(), a);
    b->SetExitKeys(b->ExitKeys() - ekMouse);
    form->ClickOn(b);
    EXPECT_TRUE(a->Focused());
    EXPECT_EQ(form->log, (Trace{"Exit:A", "Enter:A"}));
    // With ekMouse the click keeps its box, which becomes the current one.
    form->log.clear();
    form->ClickOn(c);
    EXPECT_TRUE(c->Focused());
    EXPECT_EQ(c->EntryKey(), 0);
    EXPECT_EQ(form->log, (Trace{"Exit:A", "Enter:C"}));
    EXPECT_EQ(a->GroupCurrent(), c);
}

TEST_F(SEditKeysTest, AutoSelectSelectsAllForTheKeyboardButNotForTheMouse) {
    b->SetText("hello");
    b->Update();
    form->Key(Qt::Key_Right);
    EXPECT_TRUE(b->Focused());
    EXPECT_EQ(b->SelLength(), 5);
    form->ClickOn(a);
    form->ClickOn(b);
    EXPECT_TRUE(b->Focused());
    EXPECT_EQ(b->SelLength(), 0);
}

TEST_F(SEditKeysTest, AClickInARightAlignedBoxPutsTheCaretAtTheEnd) {
    b->SetAlignment(taRightJustify);
    b->SetText("abcdef");
    b->Update();
    form->ClickOn(b);
    EXPECT_TRUE(b->Focused());
    EXPECT_EQ(b->SelStart(), 6);
    EXPECT_EQ(b->SelLength(), 0);
    EXPECT_FALSE(b->AutoSelect());
}

TEST_F(SEditKeysTest, TheUnitAndTheBoxesKnowTheirPlatform) {
    EXPECT_EQ(SEditAnsiCodePage, 932u);
    EXPECT_TRUE(a->RuntimeThemes());
    EXPECT_TRUE(a->Themed());
    EXPECT_EQ(a->BorderStyle(), bsNone);
}

TEST_F(SEditKeysTest, ColoursFollowTheFocus) {
    EXPECT_EQ(a->Color(), a->ActiveColor());
    form->Key(Qt::Key_Right);
    EXPECT_EQ(a->Color(), a->InActiveColor());
    EXPECT_EQ(b->Color(), TColor(0x00F9E0D0));
    c->SetEnabled(false);
    c->UpdateColor();
    EXPECT_EQ(c->Color(), TColor(0x00F0FBFF));
}

// ------------------------------------------------------------ key filter

TEST_F(SEditKeysTest, WholeNumbersTakeDigitsAndALeadingMinusOnly) {
    int beeps = 0;
    SetBeepHook([&](Cardinal) { ++beeps; });
    a->SetNumericType(ntInteger);
    a->SetMaxValue(99999);
    a->SetMinValue(-99999);
    a->SetText("");
    form->Type("1a2.3,4-5");
    EXPECT_EQ(Utf8(a->Text()), "12345");
    a->SetSelStart(0);
    form->Type("-");
    EXPECT_EQ(Utf8(a->Text()), "-12345");
    form->Type("-");
    EXPECT_EQ(Utf8(a->Text()), "-12345");
    EXPECT_EQ(beeps, 0);
}

TEST_F(SEditKeysTest, DecimalsTakeOnePeriod) {
    a->SetNumericType(ntExtend);
    a->SetfpLength(2);
    a->SetMaxValue(999);
    a->SetText("");
    form->Type("1.2.3");
    EXPECT_EQ(Utf8(a->Text()), "1.23");
}

TEST_F(SEditKeysTest, DateAndTimeBoxesTurnPunctuationIntoTheirSeparator) {
    a->SetNumericType(ntDateymd);
    a->SetText("");
    form->Type("2009.5-3");
    EXPECT_EQ(Utf8(a->Text()), "2009/5/3");
    a->SetText("");
    form->Type("1:2*3+4");
    EXPECT_EQ(Utf8(a->Text()), "1/2/3/4");
    a->SetText("2009/5/3");
    b->SetNumericType(ntTimehm);
    b->SetFocus();
    b->SetText("");
    form->Type("9/5");
    EXPECT_EQ(Utf8(b->Text()), "9:5");
    b->SetText("");
    form->Type("1.2a");
    EXPECT_EQ(Utf8(b->Text()), "1:2");
}

TEST_F(SEditKeysTest, FreeTextRefusesPunctuationItsRulesLeaveOut) {
    a->SetCharTypes({ctPeriod});
    form->Type("a.b,c-d'e\"f");
    EXPECT_EQ(Utf8(a->Text()), "a.bcdef");
    EXPECT_TRUE(a->Modified());
}

TEST_F(SEditKeysTest, ReturnNextSwallowsTheEnterCharacterAfterOnKeyPress) {
    std::vector<int> chars;
    a->OnKeyPress = [&](TObject*, WideChar& key) { chars.push_back(key.unicode()); };
    a->SetmvRight(nullptr);
    form->Key(Qt::Key_Return);
    EXPECT_EQ(chars, (std::vector<int>{13}));
    EXPECT_EQ(Utf8(a->Text()), "");
}

TEST_F(SEditKeysTest, MoveFullCharInsertsAtTheCaretThenMovesAsEnterWould) {
    a->SetMaxLength(3);
    a->SetMoveFullChar(true);
    a->SetText("ab");
    a->SetSelStart(0);
    form->Type("x");
    EXPECT_EQ(Utf8(a->Text()), "xab");
    EXPECT_TRUE(b->Focused());
    EXPECT_EQ(form->log, (Trace{"Modified:A", "ModifyEx:A", "Exit:A", "Enter:B"}));
    // Typing over a selection is not a full box.
    a->SetFocus();
    a->SelectAll();
    form->Type("z");
    EXPECT_TRUE(a->Focused());
    EXPECT_EQ(Utf8(a->Text()), "z");
}

TEST_F(SEditKeysTest, AReadOnlyBoxIsNeitherFilledNorClearedByKeys) {
    a->SetMaxLength(3);
    a->SetMoveFullChar(true);
    a->SetText("ab");
    a->SetReadOnly(true);
    a->SetSelStart(2);
    form->Type("c");
    EXPECT_EQ(Utf8(a->Text()), "ab");
    EXPECT_TRUE(a->Focused());
    EXPECT_FALSE(a->Modified());
    // Nor does the first digit clear a right-aligned number.
    a->SetMoveFullChar(false);
    a->SetNumericType(ntInteger);
    a->SetMaxValue(999);
    a->SetAlignment(taRightJustify);
    a->SetFirstPressClear(true);
    a->SetText("12");
    form->Type("7");
    EXPECT_EQ(Utf8(a->Text()), "12");
    EXPECT_TRUE(form->log.empty());
}

TEST_F(SEditKeysTest, PastedFullWidthTextIsCutToTheDisplayWidth) {
    a->SetMaxLength(4);
    QApplication::clipboard()->setText(QStringLiteral("あいう"));
    form->Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Utf8(a->Text()), "あい");
    EXPECT_EQ(a->SelStart(), 2);
    a->SetText(QStringLiteral("ab\U0001F600c"));
    EXPECT_EQ(Utf8(a->Text()), "ab\U0001F600");
}

TEST_F(SEditKeysTest, ANumericBoxBlocksClipboardKeys) {
    a->SetNumericType(ntInteger);
    a->SetMaxValue(100);
    QApplication::clipboard()->setText(QStringLiteral("12"));
    form->Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Utf8(a->Text()), "");
}

TEST_F(SEditKeysTest, FirstPressClearReplacesTheTextWithTheFirstDigit) {
    b->SetNumericType(ntInteger);
    b->SetMaxValue(99999);
    b->SetAlignment(taRightJustify);
    b->SetFirstPressClear(true);
    b->SetText("123");
    b->SetFocus();
    form->Type("45");
    EXPECT_EQ(Utf8(b->Text()), "45");
    // Only the first key of an unmodified box clears.
    b->SetFirstPressClear(false);
    form->Type("6");
    EXPECT_EQ(Utf8(b->Text()), "456");
}

TEST_F(SEditKeysTest, EscGoesBackToTheAcceptedValueInItsEditingForm) {
    b->SetNumericType(ntCurrency);
    b->SetMaxValue(99999);
    b->SetfpLength(2);
    b->SetText("1,234.50");
    b->Update();
    b->SetFocus();
    EXPECT_EQ(Utf8(b->Text()), "1234.5");
    form->Type("99");
    form->Key(Qt::Key_Escape);
    EXPECT_EQ(Utf8(b->Text()), "1234.5");
    EXPECT_FALSE(b->Modified());
}

TEST_F(SEditKeysTest, RightAlignedBoxesSwallowHomeAndClearOnDelete) {
    b->SetAlignment(taRightJustify);
    b->SetText("abc");
    b->SetFocus();
    EXPECT_EQ(b->SelStart(), 3);
    form->Key(Qt::Key_Home);
    EXPECT_EQ(b->SelStart(), 3);
    form->Key(Qt::Key_Delete);
    EXPECT_EQ(Utf8(b->Text()), "");
    EXPECT_TRUE(b->Modified());
}

TEST_F(SEditKeysTest, ARefusedDateLeavesTheBoxAsOnEntryAndAFullBoxIsNeverCleared) {
    a->SetNumericType(ntDateymd);
    a->SetAlignment(taRightJustify);
    a->SetFirstPressClear(true);
    a->SetAsString("2026/01/15");
    form->Type("2026/2/30");
    form->Key(Qt::Key_Return);
    EXPECT_FALSE(a->Modified());
    EXPECT_EQ(Utf8(a->AcceptedText()), "2026/01/15");
    form->Type("12/31");
    EXPECT_EQ(Utf8(a->Text()), "12/31");
    // Keys past the length limit change nothing.
    form->Type("/20265/3");
    EXPECT_EQ(Utf8(a->Text()), "12/31/2026");
}

}  // namespace
