// The entry grid's keyboard with the eight columns of the voucher window,
// driven by real key events: Enter in voucher order past the display-only
// columns, refused and changed values, auto-append up to MaxRows, the
// edges (OnOutOfCells), the key filter per column kind with its beeps, and
// input-method text.
#include "EntryTestSupport.h"
#include "TestSupport.h"

#include <QtGui/QInputMethodEvent>
#include <QtWidgets/QApplication>

namespace {

class SDBGridKeysTest : public GridFormTest {
protected:
    void SetUp() override {
        GridFormTest::SetUp();
        form->VoucherColumns();
        form->ShowActive();
        form->log.clear();
        boxes.beeps = 0;
    }
    void Enter() { form->Key(Qt::Key_Return); }
    // Types into the current cell and confirms it with Enter.
    void TypeEnter(const QString& text) {
        form->Type(text);
        Enter();
    }
    QString EditorText() const { return grid->InplaceEditor()->Text(); }
};

TEST_F(SDBGridKeysTest, TheVoucherColumnsStandAsTheWindowSetsThem) {
    EXPECT_EQ(grid->ColCount(), 8);
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(form->Cursor(), "2,1");
    EXPECT_EQ(grid->Cells(0, 1), "001");
    EXPECT_EQ(grid->Cells(5, 0), "単価");
    // The rule setters' cascade as the window leaves it: the grouping set
    // after the decimal takes the period and with it the decimal.
    auto* price = grid->GridColumns()->Items(5);
    EXPECT_EQ(price->CharTypes(), (TSCharTypes{ctgConmma}));
    EXPECT_EQ(price->fpLength(), 0);
    EXPECT_EQ(price->MaxLength(), 12);
    auto* code = grid->GridColumns()->Items(2);
    EXPECT_TRUE(code->CharTypes().Empty());
    EXPECT_EQ(code->MaxLength(), 5);
    auto* note = grid->GridColumns()->Items(7);
    EXPECT_EQ(note->CharTypes(), (TSCharTypes{ctgMinus}));
    EXPECT_EQ(grid->ColWidths(7), note->Width());
    EXPECT_GT(note->Width(), 64);
    EXPECT_TRUE(grid->InplaceEditor()->Focused());
    EXPECT_EQ(form->ActiveControl(), grid);
}

TEST_F(SDBGridKeysTest, EnterWalksTheLineSkippingDisplayOnlyColumnsAndAppends) {
    Trace cursor;
    TypeEnter("12");
    cursor.push_back(form->Cursor());
    TypeEnter("abc");
    cursor.push_back(form->Cursor());
    TypeEnter("3");
    cursor.push_back(form->Cursor());
    TypeEnter("2500");
    cursor.push_back(form->Cursor());
    TypeEnter("x");
    cursor.push_back(form->Cursor());
    EXPECT_EQ(cursor, (Trace{"3,1", "4,1", "5,1", "7,1", "2,2"}));
    EXPECT_EQ(grid->Cells(2, 1), "00012");
    EXPECT_EQ(grid->Cells(3, 1), "abc");
    EXPECT_EQ(grid->Cells(4, 1), "3");
    EXPECT_EQ(grid->Cells(5, 1), "2,500");
    EXPECT_EQ(grid->Cells(7, 1), "x");
    EXPECT_EQ(grid->RowCount(), 3);
    EXPECT_EQ(grid->Cells(0, 2), "002");
    // One OnModified per changed cell, also for the leave across 金額, and
    // for the last cell before the new row.
    EXPECT_EQ(form->log, (Trace{"Modified:2,1", "Modified:3,1", "Modified:4,1", "Modified:5,1", "Modified:7,1",
                                    "AutoAppended:2,2"}));
    EXPECT_EQ(grid->InplaceEditor()->BoundsRect(), grid->CellRect(2, 2));
    EXPECT_TRUE(grid->InplaceEditor()->Focused());
}

TEST_F(SDBGridKeysTest, EnterMovesOnceWhetherTheEditorIsShownOrHidden) {
    Enter();
    EXPECT_EQ(form->Cursor(), "3,1");
    grid->InplaceEditor()->Hide();
    ASSERT_TRUE(grid->Focused());
    Enter();
    EXPECT_EQ(form->Cursor(), "4,1");
    // An Enter whose key-down went elsewhere does not move the grid.
    QTest::keyRelease(form->Window(), Qt::Key_Return);
    EXPECT_EQ(form->Cursor(), "4,1");
    Enter();
    EXPECT_EQ(form->Cursor(), "5,1");
}

TEST_F(SDBGridKeysTest, ABadValueKeepsTheCursorAndRaisesOnEditErrorOnce) {
    grid->GridColumns()->Items(4)->SetMaxValue(100);
    Enter();
    Enter();
    ASSERT_EQ(form->Cursor(), "4,1");
    TypeEnter("500");
    EXPECT_EQ(form->Cursor(), "4,1");
    EXPECT_EQ(form->log, (Trace{"EditError:4,1"}));
    EXPECT_EQ(grid->ErrorType(), erMaxValue);
    // The arrows are refused the same way, once per key.
    form->Key(Qt::Key_Down);
    EXPECT_EQ(form->With("EditError"), (Trace{"EditError:4,1", "EditError:4,1"}));
    EXPECT_TRUE(form->With("OutOfCells").empty());
    // The editor came back with its text selected: typing replaces it.
    EXPECT_EQ(EditorText(), "500");
    EXPECT_EQ(grid->InplaceEditor()->SelLength(), 3);
    TypeEnter("50");
    EXPECT_EQ(form->Cursor(), "5,1");
    EXPECT_EQ(grid->Cells(4, 1), "50");
}

TEST_F(SDBGridKeysTest, AChangedValueIsReportedOnceAndARefusalKeepsTheCursor) {
    Enter();
    Enter();
    form->refuseModified = true;
    form->onModified = [this](Integer, Integer, bool&) { grid->RestoreOldData(); };
    TypeEnter("8");
    EXPECT_EQ(form->Cursor(), "4,1");
    EXPECT_EQ(form->log, (Trace{"Modified:4,1"}));
    // The handler put the entry text back; unchanged now, the cell is left.
    EXPECT_EQ(grid->Cells(4, 1), "");
    form->refuseModified = false;
    form->onModified = nullptr;
    Enter();
    EXPECT_EQ(form->Cursor(), "5,1");
    EXPECT_EQ(form->log.size(), 1u);
}

TEST_F(SDBGridKeysTest, AutoAppendStopsAtMaxRows) {
    grid->ResetRows(8, true);
    grid->SetRow(8);
    grid->SetCol(7);
    form->log.clear();
    Enter();
    EXPECT_EQ(grid->RowCount(), 10);
    EXPECT_EQ(form->Cursor(), "2,9");
    EXPECT_EQ(form->log, (Trace{"AutoAppended:2,9"}));
    grid->SetCol(7);
    form->log.clear();
    Enter();
    EXPECT_EQ(grid->RowCount(), 10);
    EXPECT_EQ(form->Cursor(), "7,9");
    EXPECT_TRUE(form->log.empty());
    // Tab at the limit reports the edge.
    form->Key(Qt::Key_Tab);
    EXPECT_EQ(form->log, (Trace{"OutOfCells:" + std::to_string(crFwd)}));
    EXPECT_EQ(form->Cursor(), "7,9");
}

TEST_F(SDBGridKeysTest, TheEdgesOfTheGridAreReported) {
    form->Key(Qt::Key_Up);
    EXPECT_EQ(form->log, (Trace{"OutOfCells:" + std::to_string(crUp)}));
    EXPECT_EQ(form->Cursor(), "2,1");
    form->log.clear();
    form->Key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(form->log, (Trace{"OutOfCells:" + std::to_string(crRev)}));
    // Without auto-append, Tab in the last cell stays and reports.
    grid->SetAutoAppendLine(false);
    grid->SetCol(7);
    form->log.clear();
    form->Key(Qt::Key_Tab);
    EXPECT_EQ(form->log, (Trace{"OutOfCells:" + std::to_string(crFwd)}));
    EXPECT_EQ(form->Cursor(), "7,1");
}

TEST_F(SDBGridKeysTest, ArrowsAndTabMoveThroughTheLines) {
    grid->ResetRows(3, true);
    form->Key(Qt::Key_Down);
    EXPECT_EQ(form->Cursor(), "2,2");
    form->Key(Qt::Key_Tab);
    EXPECT_EQ(form->Cursor(), "3,2");
    form->Key(Qt::Key_Right);
    EXPECT_EQ(form->Cursor(), "4,2");
    // Left with the whole text selected leaves the cell.
    form->Key(Qt::Key_Left);
    EXPECT_EQ(form->Cursor(), "3,2");
    form->Key(Qt::Key_Left);
    EXPECT_EQ(form->Cursor(), "2,2");
    // At the start of a row Left goes to the last stay cell of the one above.
    form->Key(Qt::Key_Left);
    EXPECT_EQ(form->Cursor(), "7,1");
    form->Key(Qt::Key_Right);
    EXPECT_EQ(form->Cursor(), "2,2");
    // Typed text stays in the cell while the caret moves inside it.
    form->Type("12");
    form->Key(Qt::Key_Left);
    EXPECT_EQ(form->Cursor(), "2,2");
    EXPECT_EQ(grid->InplaceEditor()->SelStart(), 1);
}

TEST_F(SDBGridKeysTest, EscapeDropsTheEditAndRaisesOnChanged) {
    Integer changed = 0;
    grid->OnChanged = [&](TObject*, Integer, Integer) { ++changed; };
    form->Type("77");
    EXPECT_EQ(grid->Cells(2, 1), "77");
    changed = 0;
    form->Key(Qt::Key_Escape);
    EXPECT_EQ(grid->Cells(2, 1), "");
    EXPECT_EQ(EditorText(), "");
    EXPECT_GE(changed, 1);
    Enter();
    EXPECT_TRUE(form->With("Modified").empty());
}

TEST_F(SDBGridKeysTest, TheKeyFilterFollowsTheColumnKindAndBeepsOnRefusal) {
    // 品番: zero-filled, five digits, no punctuation at all.
    form->Type("1-2a");
    EXPECT_EQ(EditorText(), "12");
    EXPECT_EQ(boxes.beeps, 2);
    form->Type("3456");
    EXPECT_EQ(EditorText(), "12345");
    EXPECT_EQ(boxes.beeps, 3);
    Enter();
    // 品名: free text with period and minus only.
    boxes.beeps = 0;
    form->Type("a.b-c,d'e");
    EXPECT_EQ(EditorText(), "a.b-cde");
    EXPECT_EQ(boxes.beeps, 2);
    Enter();
    // 数量: digits and grouping typed as digits only.
    boxes.beeps = 0;
    form->Type("1,2-.3");
    EXPECT_EQ(EditorText(), "123");
    EXPECT_EQ(boxes.beeps, 3);
    Enter();
    // 単価 as the window leaves it has no decimals; given two, the digits
    // past them are dropped without a beep.
    boxes.beeps = 0;
    form->Type("1.5");
    EXPECT_EQ(EditorText(), "15");
    EXPECT_EQ(boxes.beeps, 1);
    form->Key(Qt::Key_Escape);
    grid->GridColumns()->Items(5)->SetfpLength(2);
    boxes.beeps = 0;
    form->Type("12.345");
    EXPECT_EQ(EditorText(), "12.34");
    EXPECT_EQ(boxes.beeps, 0);
    form->Type(".");
    EXPECT_EQ(boxes.beeps, 1);
    Enter();
    EXPECT_EQ(grid->Cells(5, 1), "12.34");
}

TEST_F(SDBGridKeysTest, ACharacterTypedWithTheEditorHiddenIsFilteredOnce) {
    grid->InplaceEditor()->Hide();
    ASSERT_TRUE(grid->Focused());
    form->Type("-");
    EXPECT_EQ(boxes.beeps, 1);
    EXPECT_TRUE(grid->InplaceEditor()->Shown());
    form->Type("7");
    EXPECT_EQ(EditorText(), "7");
    EXPECT_EQ(boxes.beeps, 1);
}

TEST_F(SDBGridKeysTest, MinusOnlyInFrontAndOnlyOnce) {
    auto* qty = grid->GridColumns()->Items(4);
    qty->SetCharTypes({ctgConmma, ctgMinus});
    Enter();
    Enter();
    form->Type("5");
    form->Key(Qt::Key_Home);
    form->Type("-");
    EXPECT_EQ(EditorText(), "-5");
    form->Type("-");
    EXPECT_EQ(boxes.beeps, 1);
    form->Key(Qt::Key_End);
    form->Type("-");
    EXPECT_EQ(EditorText(), "-5");
    EXPECT_EQ(boxes.beeps, 2);
}

TEST_F(SDBGridKeysTest, DateAndTimeColumnsTurnSeparatorsIntoTheirOwn) {
    grid->GridColumns()->Items(3)->SetNumericType(ntgDateymd);
    grid->GridColumns()->Items(4)->SetNumericType(ntgTimehm);
    Enter();
    form->Type("2024:5*3");
    EXPECT_EQ(EditorText(), "2024/5/3");
    Enter();
    EXPECT_EQ(grid->Cells(3, 1), "2024/05/03");
    form->Type("9.5");
    EXPECT_EQ(EditorText(), "9:5");
    Enter();
    EXPECT_EQ(grid->Cells(4, 1), "09:05");
    EXPECT_EQ(boxes.beeps, 0);
}

TEST_F(SDBGridKeysTest, InputMethodTextIntoANumberCellIsFiltered) {
    Enter();
    Enter();
    QWidget* editor = grid->InplaceEditor()->Widget();
    ASSERT_TRUE(editor->hasFocus());
    QInputMethodEvent preedit(QStringLiteral("１２"), {});
    QApplication::sendEvent(editor, &preedit);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("１２3"));
    QApplication::sendEvent(editor, &commit);
    EXPECT_EQ(EditorText(), "3");
    EXPECT_EQ(boxes.beeps, 2);
    // The Enter that confirmed the composition does not move on.
    QTest::keyRelease(form->Window(), Qt::Key_Return);
    EXPECT_EQ(form->Cursor(), "4,1");
    Enter();
    EXPECT_EQ(form->Cursor(), "5,1");
}

TEST_F(SDBGridKeysTest, ALineWithoutAStopAheadReportsTheEdgeOncePerKey) {
    grid->SetAutoAppendLine(false);
    grid->ResetRows(2, true);
    grid->SetCol(3);
    for (Integer c : {2, 4, 5, 7}) grid->GridColumns()->Items(c)->SetStay(false);
    // The only stop of the second line refuses the cursor.
    grid->OnSelectCell = [](TObject*, Integer c, Integer r, bool& can) { can = !(c == 3 && r == 2); };
    ASSERT_EQ(form->Cursor(), "3,1");
    form->log.clear();
    Enter();
    EXPECT_EQ(form->Cursor(), "3,1");
    EXPECT_EQ(form->log, (Trace{"OutOfCells:" + std::to_string(crFwd)}));
    Enter();
    EXPECT_EQ(form->Cursor(), "3,1");
    EXPECT_EQ(form->log.size(), 2u);
    EXPECT_EQ(grid->InplaceEditor()->BoundsRect(), grid->CellRect(3, 1));
}

TEST_F(SDBGridKeysTest, ACellLeftForANewRowKeepsTheFormItsCheckGaveIt) {
    Enter();
    Enter();
    ASSERT_EQ(form->Cursor(), "4,1");
    form->Type("1234");
    form->Key(Qt::Key_Down);
    EXPECT_EQ(grid->RowCount(), 3);
    EXPECT_EQ(form->Cursor(), "2,2");
    EXPECT_EQ(grid->Cells(4, 1), "1,234");
    EXPECT_EQ(form->log, (Trace{"Modified:4,1", "AutoAppended:2,2"}));
    // The same when Enter appends from the last cell of a number column.
    grid->GridColumns()->Items(7)->SetNumericType(ntgInteger);
    grid->GridColumns()->Items(7)->SetCharTypes({ctgConmma});
    grid->SetCol(7);
    form->Type("56789");
    Enter();
    EXPECT_EQ(grid->RowCount(), 4);
    EXPECT_EQ(grid->Cells(7, 2), "56,789");
}

TEST_F(SDBGridKeysTest, DeleteInAGridWithoutEditingIsUsedUpOnItsKeyUp) {
    grid->SetCells(3, 1, QStringLiteral("abc"));
    grid->SetCol(3);
    TGridOptions options = grid->Options();
    options.Exclude(goEditing);
    options.Exclude(goAlwaysShowEditor);
    grid->SetOptions(options);
    std::vector<Word> ups;
    grid->OnKeyUp = [&](TObject*, Word& key, TShiftState) { ups.push_back(key); };
    form->Key(Qt::Key_Delete);
    form->Key(Qt::Key_F5);
    EXPECT_EQ(ups, (std::vector<Word>{0, VK_F5}));
    EXPECT_EQ(grid->Cells(3, 1), "abc");
}

TEST_F(SDBGridKeysTest, AnArrowThatIsNoFixedKeyDropsTheTypedText) {
    grid->ResetRows(3, true);
    grid->SetCol(5);
    form->Type("350");
    form->Key(Qt::Key_Down);
    EXPECT_EQ(form->Cursor(), "5,2");
    EXPECT_EQ(grid->Cells(5, 1), "");
    // Enter is a fixed key of the column: what was typed stays.
    form->Type("40");
    Enter();
    EXPECT_EQ(grid->Cells(5, 2), "40");
    EXPECT_EQ(form->log, (Trace{"Modified:5,2"}));
}

TEST_F(SDBGridKeysTest, AValueTakenAtTheLeftEdgeStaysTaken) {
    // The first stop of the line is right of a display-only column: going
    // back from it checks and takes the value, then finds the edge.
    form->Type("12");
    form->Key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(form->Cursor(), "2,1");
    EXPECT_EQ(form->log, (Trace{"Modified:2,1", "OutOfCells:" + std::to_string(crRev)}));
    EXPECT_EQ(grid->OldData(), "00012");
    // Taken once: leaving the cell later reports nothing more.
    Enter();
    EXPECT_EQ(form->Cursor(), "3,1");
    EXPECT_EQ(form->log.size(), 2u);
    // The focus leaving the grid at the edge keeps it too.
    auto* other = new TEdit(form.get());
    other->SetParent(form.get());
    other->SetBounds(8, 300, 100, 24);
    grid->OnOutOfCells = [&](TObject*, crDirection) { other->SetFocus(); };
    form->Key(Qt::Key_Tab, Qt::ShiftModifier);
    form->Type("34");
    form->Key(Qt::Key_Home);
    form->Key(Qt::Key_Left);
    EXPECT_TRUE(other->Focused());
    EXPECT_EQ(grid->Cells(2, 1), "00034");
    EXPECT_EQ(form->With("Modified"), (Trace{"Modified:2,1", "Modified:2,1"}));
}

TEST_F(SDBGridKeysTest, AClickOnADisplayOnlyCellLeavesNoTraceForTheNextMove) {
    Enter();
    Enter();
    Enter();
    ASSERT_EQ(form->Cursor(), "5,1");
    // After a typed key no move is under way: 金額 cannot be chosen by the
    // mouse and the cursor stays.
    form->Type("3");
    const TRect amount = grid->CellRect(6, 1);
    QWidget* viewport = grid->InplaceEditor()->Widget()->parentWidget();
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, QPoint(amount.Left + 4, amount.Top + 4));
    EXPECT_EQ(form->Cursor(), "5,1");
    // Enter still steps over it to 備考.
    Enter();
    EXPECT_EQ(form->Cursor(), "7,1");
    EXPECT_TRUE(form->With("OutOfCells").empty());
}

TEST_F(SDBGridKeysTest, ASkipEndingAtAnEdgeLeavesNoTraceForTheNextMove) {
    grid->SetAutoAppendLine(false);
    grid->GridColumns()->Items(7)->SetStay(false);
    grid->SetCol(5);
    // The application answers the edge with a new line of its own.
    grid->OnOutOfCells = [this](TObject*, crDirection) {
        form->log.push_back("OutOfCells");
        if (grid->RowCount() == 2) grid->SetRowCount(3);
    };
    Enter();
    EXPECT_EQ(form->Cursor(), "5,1");
    EXPECT_EQ(form->log, (Trace{"OutOfCells"}));
    // The next Enter finds the new line: 金額 is skipped afresh, not taken
    // for the start of a full turn.
    Enter();
    EXPECT_EQ(form->Cursor(), "2,2");
    EXPECT_EQ(form->log.size(), 1u);
}

TEST_F(SDBGridKeysTest, ScreenshotOfTypedLines) {
    TypeEnter("101");
    TypeEnter("Widget");
    TypeEnter("1200");
    TypeEnter("350");
    TypeEnter("-");
    TypeEnter("7");
    TypeEnter("Bolt");
    TypeEnter("40");
    TypeEnter("12");
    EXPECT_EQ(grid->Cells(4, 1), "1,200");
    EXPECT_EQ(grid->Cells(5, 1), "350");
    EXPECT_EQ(grid->Cells(2, 2), "00007");
    QApplication::processEvents();
    const QImage image = form->Handle()->grab().toImage();
    SaveTestImage(image, "sdbgrid-typed-lines");
    EXPECT_FALSE(image.isNull());
}

}  // namespace
