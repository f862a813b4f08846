// The entry grid on a shown form: a new grid, leaving a cell (validation,
// OnEditError, OnModified), cell entry, the row operations, the empty-row
// test, the AutoSize column and the width cut while typing.
#include "EntryTestSupport.h"

namespace {

class SDBGridTest : public GridFormTest {
protected:
    void Show() { form->ShowActive(); }
    // Three data columns after the fixed one: text, number, need.
    void ThreeColumns() {
        grid->SetColCount(4);
        grid->SetRowCount(4);
        auto* text = grid->GridColumns()->Items(1);
        text->SetText(QStringLiteral("名前"));
        auto* number = grid->GridColumns()->Items(2);
        number->SetText(QStringLiteral("数量"));
        number->SetNumericType(ntgInteger);
        number->SetCharTypes({ctgConmma, ctgMinus});
        number->SetAlignment(taRightJustify);
        auto* need = grid->GridColumns()->Items(3);
        need->SetText(QStringLiteral("必須"));
        need->SetNeed(true);
    }
};

TEST_F(SDBGridTest, ANewGridHasOneDataRowAndTheCursorInColumnOne) {
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(grid->ColCount(), 2);
    EXPECT_EQ(grid->GridColumns()->Count(), 2);
    EXPECT_EQ(grid->FixedCols(), 1);
    EXPECT_FALSE(grid->GridColumns()->Items(0)->Stay());
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_FALSE(grid->DefaultDrawing());
    EXPECT_EQ(grid->FixedColor(), 0xB0D0B0);
    EXPECT_TRUE(grid->Options().Contains(goAlwaysShowEditor));
    EXPECT_EQ(grid->MaxRows(), 99);
    EXPECT_EQ(grid->Direction(), crGoodCol);
}

TEST_F(SDBGridTest, ANumberIsGroupedWhenLeftAndPlainWhileEdited) {
    ThreeColumns();
    Show();
    grid->SetCells(2, 1, QStringLiteral("1,234"));
    grid->SetCol(2);
    EXPECT_EQ(grid->Cells(2, 1), "1234");
    EXPECT_EQ(grid->OldData(), "1,234");
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    EXPECT_EQ(grid->InplaceEditor()->Text(), "1234");
    grid->SetCol(1);
    EXPECT_EQ(grid->Cells(2, 1), "1,234");
    // Unchanged in value, though not in text: no OnModified.
    EXPECT_TRUE(form->With("Modified").empty());
    // Without grouping the number stays plain.
    grid->GridColumns()->Items(2)->SetCharTypes({});
    grid->SetCol(2);
    grid->SetCol(1);
    EXPECT_EQ(grid->Cells(2, 1), "1234");
}

TEST_F(SDBGridTest, ABlankNeededCellKeepsTheCursor) {
    ThreeColumns();
    Show();
    grid->SetCol(3);
    grid->SetCol(2);
    EXPECT_EQ(form->Cursor(), "3,1");
    EXPECT_EQ(form->log, (Trace{"EditError:3,1"}));
    EXPECT_EQ(grid->ErrorType(), erNeeded);
    // A blank number cell without Need may be left and stays blank.
    grid->SetCells(3, 1, QStringLiteral("x"));
    grid->SetCol(2);
    grid->SetCol(1);
    EXPECT_EQ(grid->Cells(2, 1), "");
    EXPECT_EQ(form->Cursor(), "1,1");
    // With ZeroDisp it shows 0.
    grid->GridColumns()->Items(2)->SetZeroDisp(true);
    grid->SetCol(2);
    grid->SetCol(1);
    EXPECT_EQ(grid->Cells(2, 1), "0");
}

TEST_F(SDBGridTest, AValueOutOfRangeKeepsTheCursorWithItsError) {
    ThreeColumns();
    grid->GridColumns()->Items(2)->SetMaxValue(100);
    Show();
    grid->SetCol(2);
    grid->SetCells(2, 1, QStringLiteral("500"));
    grid->SetCol(1);
    EXPECT_EQ(form->Cursor(), "2,1");
    EXPECT_EQ(grid->ErrorType(), erMaxValue);
    EXPECT_EQ(grid->Cells(2, 1), "500");
    EXPECT_EQ(form->log, (Trace{"EditError:2,1"}));
}

TEST_F(SDBGridTest, AChangedValueRaisesOnModifiedWhichMayRefuse) {
    ThreeColumns();
    Show();
    grid->SetCol(2);
    grid->SetCells(2, 1, QStringLiteral("7"));
    form->refuseModified = true;
    grid->SetCol(1);
    EXPECT_EQ(form->Cursor(), "2,1");
    form->refuseModified = false;
    grid->SetCol(1);
    EXPECT_EQ(form->Cursor(), "1,1");
    EXPECT_EQ(form->log, (Trace{"Modified:2,1", "Modified:2,1"}));
    // The value is confirmed: leaving again reports nothing.
    grid->SetCol(2);
    grid->SetCol(1);
    EXPECT_EQ(form->log.size(), 2u);
}

TEST_F(SDBGridTest, DatesAndTimesAreNormalisedOrRefused) {
    ThreeColumns();
    grid->GridColumns()->Items(1)->SetNumericType(ntgDateymd);
    grid->GridColumns()->Items(2)->SetNumericType(ntgTimehm);
    Show();
    grid->SetCells(1, 1, QStringLiteral("2024/2/9"));
    grid->SetCol(2);
    EXPECT_EQ(grid->Cells(1, 1), "2024/02/09");
    grid->SetCells(2, 1, QStringLiteral("9:5"));
    grid->SetCol(1);
    EXPECT_EQ(grid->Cells(2, 1), "09:05");
    grid->SetCells(1, 1, QStringLiteral("2023/2/30"));
    grid->SetCol(2);
    EXPECT_EQ(grid->ErrorType(), erDate);
    EXPECT_EQ(form->Cursor(), "1,1");
    EXPECT_EQ(grid->Cells(1, 1), "2023/2/30");
    EXPECT_EQ(grid->ColumnDateText(1, QStringLiteral("xx")), "Bad Format");
    EXPECT_EQ(grid->ColumnDateText(9, QStringLiteral("2024/1/1")), "Bad Column");
    EXPECT_EQ(grid->ColumnTimeText(2, QString()), "");
}

TEST_F(SDBGridTest, ResetRowsLeavesTheCursorOnAnExistingRow) {
    ThreeColumns();
    auto* first = grid->GridColumns()->Items(0);
    first->SetAutoSequence(1);
    grid->SetRowCount(8);
    Show();
    grid->SetRow(5);
    grid->SetCells(1, 5, QStringLiteral("abc"));
    grid->ResetRows(1, true);
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(form->Cursor(), "1,1");
    EXPECT_EQ(grid->Cells(0, 1), "1");
    EXPECT_TRUE(grid->IsRowNull(1));
    // Zero rows still leave one empty data row.
    grid->ResetRows(0, true);
    EXPECT_EQ(grid->RowCount(), 2);
    // Without clearing, the row numbers stay.
    grid->ResetRows(3, false);
    EXPECT_EQ(grid->Cells(0, 3), "3");
    EXPECT_TRUE(form->log.empty());
}

// Clearing numbers the rows again, over whatever the first column held;
// a fixed column that numbers nothing is emptied with the rest.
TEST_F(SDBGridTest, ResetRowsNumbersTheRowsAgainOrEmptiesTheFixedColumn) {
    ThreeColumns();
    auto* first = grid->GridColumns()->Items(0);
    first->SetNumericType(ntgZeroFillInteger);
    first->SetAutoSequence(0);
    Show();
    grid->SetCells(0, 2, QStringLiteral("x"));
    grid->SetCells(1, 2, QStringLiteral("abc"));
    grid->ResetRows(3, true);
    EXPECT_EQ(grid->Cells(0, 1), "00000");
    EXPECT_EQ(grid->Cells(0, 2), "00001");
    EXPECT_EQ(grid->Cells(0, 3), "00002");
    EXPECT_EQ(grid->Cells(1, 2), "");
    // Zero-filled to MaxLength digits; other kinds write plain digits.
    first->SetMaxLength(0);
    EXPECT_EQ(grid->Cells(0, 3), "2");
    first->SetMaxLength(3);
    EXPECT_EQ(grid->Cells(0, 3), "002");
    EXPECT_THROW(first->SetMaxLength(-1), EConvertError);
    first->SetNumericType(ntgInteger);
    first->SetMaxLength(4);
    EXPECT_EQ(grid->Cells(0, 3), "2");
    first->SetAutoSequence(-1);
    grid->ResetRows(3, true);
    for (Integer r = 1; r <= 3; ++r) EXPECT_EQ(grid->Cells(0, r), "") << r;
    EXPECT_TRUE(form->log.empty());
}

TEST_F(SDBGridTest, ShrinkingTheRowsUnderTheCursorMovesItUp) {
    ThreeColumns();
    grid->SetRowCount(8);
    Show();
    grid->SetRow(6);
    grid->SetRowCount(3);
    EXPECT_EQ(grid->Row(), 2);
}

TEST_F(SDBGridTest, ARowOfZerosIsEmpty) {
    ThreeColumns();
    grid->SetCells(2, 2, QStringLiteral("0"));
    EXPECT_TRUE(grid->IsRowNull(2));
    grid->SetCells(2, 2, QStringLiteral("0.5"));
    EXPECT_FALSE(grid->IsRowNull(2));
    grid->SetCells(2, 2, QString());
    grid->SetCells(1, 2, QStringLiteral(" "));
    EXPECT_TRUE(grid->IsRowNull(2));
    grid->SetCells(1, 2, QStringLiteral("a"));
    EXPECT_FALSE(grid->IsRowNull(2));
    EXPECT_FALSE(grid->IsRowNull(0));
    grid->OnCheckRowIsNull = [](TObject*, Integer row, bool& null) { null = row == 2; };
    EXPECT_TRUE(grid->IsRowNull(2));
}

TEST_F(SDBGridTest, ClearRowAndAppendRow) {
    ThreeColumns();
    grid->GridColumns()->Items(0)->SetAutoSequence(1);
    Show();
    grid->SetCells(1, 2, QStringLiteral("a"));
    grid->SetCells(2, 2, QStringLiteral("5"));
    grid->ClearRow(2);
    EXPECT_TRUE(grid->IsRowNull(2));
    EXPECT_EQ(grid->Cells(0, 2), "2");
    grid->AppendRow();
    EXPECT_EQ(grid->RowCount(), 5);
    EXPECT_EQ(grid->Row(), 4);
    EXPECT_EQ(grid->Cells(0, 4), "4");
    EXPECT_EQ(grid->InplaceEditor()->BoundsRect(), grid->CellRect(grid->Col(), 4));
}

TEST_F(SDBGridTest, MovesToTheFirstAndLastStayColumns) {
    ThreeColumns();
    grid->GridColumns()->Items(1)->SetStay(false);
    Show();
    EXPECT_EQ(grid->MoveToLastStayColumn(true), 3);
    EXPECT_EQ(grid->MoveToFirstStayColumn(false), -1);
    EXPECT_EQ(grid->Col(), 3);
    grid->SetCells(3, 1, QStringLiteral("x"));
    EXPECT_EQ(grid->MoveToFirstStayColumn(true), 2);
}

TEST_F(SDBGridTest, TheAutoSizeColumnTakesTheRestAndNeverLess) {
    ThreeColumns();
    auto* last = grid->GridColumns()->Items(3);
    last->SetAutoSize(true);
    Show();
    const Integer width = last->Width();
    EXPECT_EQ(grid->ColWidths(3), width);
    EXPECT_EQ(width, grid->ClientWidth() - 3 * (64 + 1));
    grid->SetWidth(grid->Width() + 50);
    EXPECT_EQ(last->Width(), width + 50);
    grid->SetWidth(100);
    EXPECT_EQ(last->Width(), 0);
}

TEST_F(SDBGridTest, TypingIsCutToTheColumnsDisplayWidth) {
    ThreeColumns();
    grid->GridColumns()->Items(1)->SetMaxLength(5);
    Show();
    grid->SetFocus();
    for (const char* c : {"a", "b", "漢", "字"}) {
        QTest::sendKeyEvent(QTest::Click, form->Window(), Qt::Key_unknown, QString::fromUtf8(c), Qt::NoModifier);
    }
    // Two narrow and two wide characters would fill six halves of five.
    EXPECT_EQ(grid->InplaceEditor()->Text(), "ab漢");
    EXPECT_EQ(grid->Cells(1, 1), "ab漢");
    EXPECT_EQ(grid->InplaceEditor()->SelStart(), 3);
    form->Type(QStringLiteral("cd"));
    EXPECT_EQ(grid->InplaceEditor()->Text(), "ab漢c");
}

TEST_F(SDBGridTest, LeavingTheGridDropsAnUnconfirmedEdit) {
    ThreeColumns();
    auto* other = new TEdit(form.get());
    other->SetParent(form.get());
    other->SetBounds(8, 300, 100, 24);
    Show();
    grid->SetFocus();
    grid->InplaceEditor()->SetText(QStringLiteral("draft"));
    EXPECT_EQ(grid->Cells(1, 1), "draft");
    other->SetFocus();
    EXPECT_EQ(grid->Cells(1, 1), "");
    EXPECT_FALSE(grid->InplaceEditor()->Shown() && grid->InplaceEditor()->Focused());
}

}  // namespace
