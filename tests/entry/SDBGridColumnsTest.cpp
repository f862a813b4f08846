// The grid's column objects: defaults, the rule setters' cascade with its
// corrections and messages, fonts as heights and sizes, Assign, and the
// refresh of the grid that column changes cause.
#include "EntryTestSupport.h"

#include <limits>

namespace {

class SDBGridColumnsTest : public GridFormTest {
protected:
    void SetUp() override {
        GridFormTest::SetUp();
        column = grid->GridColumns()->Add();
        boxes.texts.clear();
    }

    TGridColumn* column = nullptr;
};

TEST_F(SDBGridColumnsTest, ANewColumnHasItsDefaults) {
    EXPECT_TRUE(column->Stay());
    EXPECT_EQ(column->Width(), 64);
    EXPECT_EQ(column->ImeMode(), imClose);
    EXPECT_EQ(column->CharTypes(), (TSCharTypes{ctgPeriod, ctgMinus, ctgConmma, ctgQuoted, ctgDQuoted}));
    EXPECT_EQ(column->ExitKeys(), (TSExitKeys{ekgReturn, ekgRight, ekgLeft, ekgUp, ekgDown, ekgTab}));
    EXPECT_EQ(column->FixedKeys(), (TSExitKeys{ekgReturn, ekgTab}));
    EXPECT_EQ(column->AutoSequence(), -1);
    EXPECT_TRUE(column->SupressConmma());
    EXPECT_TRUE(column->AutoSelect());
    EXPECT_EQ(column->TitleAlignment(), taCenter);
    EXPECT_EQ(column->Layout(), tlCenter);
    EXPECT_EQ(column->CellColor(), clWindow);
    EXPECT_EQ(column->MaskOriginal(), "%s%2d%s%2d%s%2d%s");
    // -17 pixels at 96 dpi: 17 * 72 / 96 = 12.75 points, rounded away from zero.
    EXPECT_EQ(column->FontHeight(), -17);
    EXPECT_EQ(column->FontSize(), 13);
    EXPECT_EQ(column->DisplayName(), "TGridColumn");
    column->SetText(QStringLiteral("単価"));
    EXPECT_EQ(column->DisplayName(), "単価");
}

TEST_F(SDBGridColumnsTest, IntegerKindKeepsMinusAndGroupingAndDropsPeriodAndQuotes) {
    column->SetNumericType(ntgInteger);
    EXPECT_EQ(column->CharTypes(), (TSCharTypes{ctgMinus, ctgConmma}));
    EXPECT_EQ(column->MaxLength(), 10);
    EXPECT_EQ(column->MinValue(), -2147483648.0L);
    EXPECT_EQ(column->MaxValue(), 2147483647.0L);
    EXPECT_TRUE(column->IsNumeric());
    EXPECT_FALSE(column->IsDateTime());
    // The kind's own setter runs the cascade once only.
    column->SetNumericType(ntgInteger);
    EXPECT_EQ(column->MaxLength(), 10);
}

TEST_F(SDBGridColumnsTest, DateAndZeroFillKindsDropEveryPunctuation) {
    column->SetNumericType(ntgDateymd);
    EXPECT_TRUE(column->CharTypes().Empty());
    EXPECT_EQ(column->MaxLength(), 10);
    EXPECT_TRUE(column->IsDateTime());
    // Nothing changes the set of a date column any more.
    column->SetCharTypes({ctgMinus, ctgConmma});
    EXPECT_TRUE(column->CharTypes().Empty());
}

TEST_F(SDBGridColumnsTest, ZeroFillRefusesANegativeMaximumWithItsOwnMessage) {
    column->SetNumericType(ntgZeroFillInteger);
    EXPECT_EQ(column->MinValue(), 0);
    EXPECT_EQ(column->MaxValue(), 99999);
    EXPECT_EQ(column->MaxLength(), 5);
    column->SetMaxValue(-1);
    EXPECT_EQ(boxes.texts, (std::vector<std::string>{"ZeroFillInteger にはマイナスは使えません"}));
    EXPECT_EQ(column->MaxValue(), 99999);
    EXPECT_EQ(column->MaxLength(), 5);
    column->SetMinValue(-3);
    EXPECT_EQ(column->MinValue(), 0);
    EXPECT_EQ(boxes.texts.size(), 2u);
}

TEST_F(SDBGridColumnsTest, IntegerRangeIsLimitedToTenDigitsAndWholeNumbers) {
    column->SetNumericType(ntgInteger);
    column->SetMaxValue(12345678901.0L);
    EXPECT_EQ(boxes.texts, (std::vector<std::string>{"絶対値が大きすぎます(Max10桁)"}));
    EXPECT_EQ(column->MaxValue(), 2147483647.0L);
    column->SetMaxValue(12.7L);
    EXPECT_EQ(column->MaxValue(), 12);
    EXPECT_EQ(column->MaxLength(), 2);
    // From 1E15 the float text turns to exponent form; the magnitude still counts.
    column->SetMaxValue(1e15L);
    EXPECT_EQ(boxes.texts.back(), "絶対値が大きすぎます(Max10桁)");
    EXPECT_EQ(column->MaxValue(), 12);
    // A tiny value is not read back from its exponent text ("1.5E-7" -> 1).
    column->SetMinValue(0);
    column->SetMaxValue(1.5e-7L);
    EXPECT_EQ(column->MaxValue(), 0);
    // Both ends not below zero: the minus goes.
    EXPECT_FALSE(column->CharTypes().Contains(ctgMinus));
}

TEST_F(SDBGridColumnsTest, MoneyRangeCountsPlainDigitsAndEighteenDigitsAtMost) {
    column->SetNumericType(ntgExtend);
    column->SetMaxValue(1e15L);
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(column->MaxValue(), 1e15L);
    // "1000000000000000", not "1E15".
    EXPECT_EQ(column->MaxLength(), 16);
    column->SetMaxValue(1e18L);
    EXPECT_EQ(boxes.texts, (std::vector<std::string>{"絶対値が大きすぎます(Max18桁)"}));
    EXPECT_EQ(column->MaxValue(), 1e15L);
    boxes.texts.clear();
    column->SetMaxValue(std::numeric_limits<Extended>::quiet_NaN());
    column->SetMinValue(-std::numeric_limits<Extended>::infinity());
    EXPECT_EQ(boxes.texts.size(), 2u) << "no range is checked against what is no number";
    EXPECT_EQ(column->MaxValue(), 1e15L);
    EXPECT_EQ(column->MinValue(), -2147483648.0L);
    column->SetMinValue(-5);
    EXPECT_EQ(column->MaxLength(), 16);
    EXPECT_TRUE(column->CharTypes().Contains(ctgMinus));
    column->SetMinValue(100);
    EXPECT_FALSE(column->CharTypes().Contains(ctgMinus));
    column->SetMaxValue(50);
    EXPECT_EQ(boxes.texts.back(), "最大値が最小値を下回っています");
    EXPECT_EQ(column->MaxValue(), 100);
    column->SetMinValue(200);
    EXPECT_EQ(boxes.texts.back(), "最小値が最大値を上回っています");
    EXPECT_EQ(column->MinValue(), 100);
}

TEST_F(SDBGridColumnsTest, DecimalsOnlyForMoneyKindsAndTheyBringThePeriod) {
    column->SetNumericType(ntgInteger);
    column->SetfpLength(2);
    EXPECT_EQ(column->fpLength(), 0);
    column->SetNumericType(ntgCurrency);
    column->SetCharTypes({});
    column->SetfpLength(2);
    EXPECT_EQ(column->fpLength(), 2);
    EXPECT_TRUE(column->CharTypes().Contains(ctgPeriod));
    column->SetfpLength(11);
    EXPECT_EQ(column->fpLength(), 2);
    // Removing the period takes the decimals with it, and the reverse.
    column->SetCharTypes(column->CharTypes() - ctgPeriod);
    EXPECT_EQ(column->fpLength(), 0);
    column->SetfpLength(3);
    column->SetfpLength(0);
    EXPECT_FALSE(column->CharTypes().Contains(ctgPeriod));
    // With decimals the maximum's length makes room for them.
    column->SetfpLength(1);
    column->SetMaxValue(9999);
    EXPECT_EQ(column->MaxLength(), std::max(4, 11) + 1 + 1);
}

TEST_F(SDBGridColumnsTest, AMinusIsOnlyAddedWhileTheMinimumIsNegative) {
    column->SetNumericType(ntgInteger);
    column->SetMinValue(0);
    EXPECT_FALSE(column->CharTypes().Contains(ctgMinus));
    column->SetCharTypes(column->CharTypes() + ctgMinus);
    EXPECT_FALSE(column->CharTypes().Contains(ctgMinus));
    column->SetMinValue(-10);
    EXPECT_TRUE(column->CharTypes().Contains(ctgMinus));
}

TEST_F(SDBGridColumnsTest, StayAndFixedTextExcludeEachOther) {
    column->SetFixedText(QStringLiteral("x"));
    EXPECT_EQ(column->FixedText(), "");
    column->SetStay(false);
    column->SetFixedText(QStringLiteral("固定"));
    EXPECT_EQ(column->FixedText(), "固定");
    column->SetFixedFontHeight(-20);
    EXPECT_EQ(column->FixedFontHeight(), -20);
    EXPECT_EQ(column->FixedFontSize(), 15);
    column->SetStay(true);
    EXPECT_EQ(column->FixedText(), "");
    column->SetFixedFontHeight(-30);
    EXPECT_EQ(column->FixedFontHeight(), -20);
}

TEST_F(SDBGridColumnsTest, FontSizeSetsTheHeightAndTheReverse) {
    column->SetCellFontSize(9);
    EXPECT_EQ(column->CellFontHeight(), -12);
    column->SetCellFontHeight(-15);
    EXPECT_EQ(column->CellFontSize(), 11);
}

TEST_F(SDBGridColumnsTest, OnlyOneColumnHasAutoSize) {
    TGridColumn* other = grid->GridColumns()->Add();
    column->SetAutoSize(true);
    other->SetAutoSize(true);
    EXPECT_FALSE(column->AutoSize());
    EXPECT_TRUE(other->AutoSize());
}

TEST_F(SDBGridColumnsTest, AssignCopiesTheRuleAndFontsButNotTitleOrAutoSize) {
    column->SetText(QStringLiteral("単価"));
    column->SetNumericType(ntgCurrency);
    column->SetfpLength(1);
    column->SetMinValue(0);
    column->SetMaxValue(5000);
    column->SetCellFontHeight(-20);
    column->SetCellColor(clYellow);
    column->SetAlignment(taRightJustify);
    column->SetAutoSize(true);
    column->SetMask(QStringLiteral("#,##0"));
    column->Lookup()->Add(QStringLiteral("a"));
    TGridColumn* copy = grid->GridColumns()->Add();
    copy->Assign(column);
    EXPECT_EQ(copy->Text(), "");
    EXPECT_FALSE(copy->AutoSize());
    EXPECT_EQ(copy->NumericType(), ntgCurrency);
    EXPECT_EQ(copy->fpLength(), 1);
    EXPECT_EQ(copy->MinValue(), 0);
    EXPECT_EQ(copy->MaxValue(), 5000);
    EXPECT_EQ(copy->MaxLength(), column->MaxLength());
    EXPECT_EQ(copy->CharTypes(), column->CharTypes());
    EXPECT_EQ(copy->CellFontHeight(), -20);
    EXPECT_EQ(copy->CellColor(), clYellow);
    EXPECT_EQ(copy->Alignment(), taRightJustify);
    EXPECT_EQ(copy->Lookup()->Count(), 1);
    EXPECT_EQ(copy->Mask(), "");
    EXPECT_THROW(copy->Assign(grid->Font()), EConvertError);
}

// ------------------------------------------------------------ the grid's refresh

TEST_F(SDBGridColumnsTest, ColumnsGiveTheGridItsCountTitlesAndWidths) {
    // Two columns from the constructor, one added by the fixture.
    EXPECT_EQ(grid->ColCount(), 3);
    column->SetText(QStringLiteral("品名"));
    EXPECT_EQ(grid->Cells(2, 0), "品名");
    column->SetWidth(120);
    EXPECT_EQ(grid->ColWidths(2), 120);
    // A fixed column never stops the cursor nor needs input.
    TGridColumn* first = grid->GridColumns()->Items(0);
    first->SetStay(true);
    first->SetNeed(true);
    first->SetText(QStringLiteral("行"));
    EXPECT_FALSE(first->Stay());
    EXPECT_FALSE(first->Need());
    // Only the first, fixed column keeps a row numbering.
    column->SetAutoSequence(5);
    EXPECT_EQ(column->AutoSequence(), -1);
    grid->GridColumns()->Delete(2);
    EXPECT_EQ(grid->ColCount(), 2);
}

TEST_F(SDBGridColumnsTest, TheFirstColumnNumbersTheRows) {
    TGridColumn* first = grid->GridColumns()->Items(0);
    first->SetNumericType(ntgZeroFillInteger);
    first->SetMaxValue(999);
    first->SetAutoSequence(1);
    grid->SetRowCount(4);
    EXPECT_EQ(grid->Cells(0, 1), "001");
    EXPECT_EQ(grid->Cells(0, 3), "003");
    first->SetNumericType(ntgInteger);
    first->SetAutoSequence(10);
    EXPECT_EQ(grid->Cells(0, 2), "11");
}

TEST_F(SDBGridColumnsTest, ColumnsFollowTheGridsColumnCount) {
    grid->SetColCount(6);
    EXPECT_EQ(grid->GridColumns()->Count(), 6);
    Integer old = -1;
    grid->OnSizeChanged = [&](TObject*, Integer oldCols, Integer) { old = oldCols; };
    grid->SetColCount(4);
    EXPECT_EQ(grid->GridColumns()->Count(), 4);
    EXPECT_EQ(old, 6);
}

TEST_F(SDBGridColumnsTest, AWidthChangedInTheGridAsksAndMayBeRefused) {
    std::vector<std::string> asked;
    bool accept = true;
    grid->OnColWidthChanged = [&](TObject*, Integer c, Integer, bool& a) {
        asked.push_back(std::to_string(c));
        a = accept;
    };
    grid->SetColWidths(2, 90);
    EXPECT_EQ(column->Width(), 90);
    accept = false;
    grid->SetColWidths(2, 40);
    EXPECT_EQ(grid->ColWidths(2), 90);
    EXPECT_EQ(column->Width(), 90);
    EXPECT_EQ(asked, (std::vector<std::string>{"2", "2"}));
}

}  // namespace
