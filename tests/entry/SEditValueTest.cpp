// The edit box's value model without a window: the number routines, the
// validation matrix by kind, the rule setters with their messages, the
// typed values and the stamped refresh through neighbour links.
#include "EntryTestSupport.h"

#include "Classes.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A box of the given kind, with the clock fixed on 2024/06/15.
class SEditValueTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetClockForTesting([] { return EncodeDate(2024, 6, 15) + 0.5; });
        box = std::make_unique<TSEdit>(nullptr);
    }
    void TearDown() override {
        box.reset();
        SetClockForTesting(nullptr);
    }
    // Validates text in the box; returns the result and leaves the text.
    TErrorType check(const QString& text) {
        box->SetText(text);
        return Validate(box.get(), false);
    }
    std::string text() const { return Utf8(box->Text()); }

    BoxAndBeepCounter messages;
    std::unique_ptr<TSEdit> box;
};

// ------------------------------------------------------------ routines

TEST(SEditRoutines, ParseNumberCountsTenThousandthsRoundingHalvesToEven) {
    EXPECT_EQ(ParseNumber("1,234.5"), 12345000);
    EXPECT_EQ(ParseNumber("  -0.25 "), -2500);
    EXPECT_EQ(ParseNumber("+7"), 70000);
    EXPECT_EQ(ParseNumber(""), 0);
    // Decimal rounding (Python's ROUND_HALF_EVEN): 1.00005 → 1.0000, 1.00015 → 1.0002.
    EXPECT_EQ(ParseNumber("1.00005"), 10000);
    EXPECT_EQ(ParseNumber("1.00015"), 10002);
    EXPECT_EQ(ParseNumber("922337203685477.5807"), INT64_MAX);
}

TEST(SEditRoutines, TextThatIsNoNumberIsReportedNotReadAsZero) {
    Int64 v = 99;
    for (const char* bad : {"12a", "1-2", "1..2", "-", ".", "1e5", "１２", "99999999999999999"}) {
        EXPECT_FALSE(TryParseNumber(bad, v)) << bad;
        EXPECT_EQ(ParseNumber(bad), 0) << bad;
    }
    EXPECT_TRUE(TryParseNumber("  ", v));
    EXPECT_EQ(v, 0);
}

TEST(SEditRoutines, UnformatAndGroup) {
    EXPECT_EQ(UnformatNumber("1,234.50"), "1234.5");
    EXPECT_EQ(UnformatNumber(""), "0");
    EXPECT_EQ(UnformatNumber("12a"), "0");
    EXPECT_EQ(UnformatNumber("-0.10"), "-0.1");
    EXPECT_EQ(FormatGrouped("1234.5", 2), "1,234.50");
    EXPECT_EQ(FormatGrouped("1234567", 0), "1,234,567");
    EXPECT_EQ(FormatGrouped("", 3), "0");
    EXPECT_EQ(FormatGrouped("-1234.565", 2), "-1,234.57");
}

TEST(SEditRoutines, SplitTextKeepsQuotedSeparatorsAndTheLastPiece) {
    TStringList list;
    EXPECT_EQ(SplitText("a/b//c", u'/', &list), 4);
    EXPECT_EQ(list.Text(), "a\r\nb\r\n\r\nc\r\n");
    EXPECT_EQ(SplitText("x,\"y,z\",", u',', &list), 3);
    EXPECT_EQ(list.Get(1), "y,z");
    EXPECT_EQ(list.Get(2), "");
    EXPECT_EQ(SplitText("", u'/', &list), 1);
}

// ------------------------------------------------------------ validation

TEST_F(SEditValueTest, WholeNumbersAgainstTheirRange) {
    box->SetNumericType(ntInteger);
    box->SetMaxValue(100);
    box->SetMinValue(1);
    EXPECT_EQ(check("150"), erMaxValue);
    EXPECT_EQ(text(), "150");
    EXPECT_EQ(check("-5"), erMinValue);
    EXPECT_EQ(text(), "-5");
    EXPECT_EQ(check(" 42 "), erNone);
    EXPECT_EQ(text(), "42");
    EXPECT_EQ(check(""), erNone);
    box->SetNeed(true);
    EXPECT_EQ(check("  "), erNeeded);
}

TEST_F(SEditValueTest, UnreadableNumbersKeepTheirTextEvenWhenNeeded) {
    box->SetNumericType(ntInteger);
    box->SetMaxValue(1000);
    box->SetNeed(true);
    for (const char* bad : {"12a", "1-2", "1..2"}) {
        EXPECT_EQ(check(bad), erNotValue) << bad;
        EXPECT_EQ(text(), bad);
    }
}

TEST_F(SEditValueTest, ZeroIsBlankUnlessZeroDisp) {
    box->SetNumericType(ntCurrency);
    box->SetMaxValue(99999);
    EXPECT_EQ(check("0"), erNone);
    EXPECT_EQ(text(), "");
    box->SetZeroDisp(true);
    EXPECT_EQ(check("0.00"), erNone);
    EXPECT_EQ(text(), "0.00");
    // Unmodified with an accepted value: back to the accepted text.
    box->SetText("5");
    box->Update();
    box->SetText("0");
    box->SetModified(false);
    EXPECT_EQ(Validate(box.get(), false), erNone);
    EXPECT_EQ(text(), "5");
}

TEST_F(SEditValueTest, MoneyIsGroupedWithItsDecimals) {
    box->SetNumericType(ntCurrency);
    box->SetfpLength(2);
    box->SetMaxValue(99999);
    EXPECT_EQ(check("1234.5"), erNone);
    EXPECT_EQ(text(), "1,234.50");
    EXPECT_EQ(check("1,234.567"), erNone);
    EXPECT_EQ(text(), "1,234.57");
    box->SetCharTypes(box->CharTypes() - ctConmma);
    EXPECT_EQ(check("1234.5"), erNone);
    EXPECT_EQ(text(), "1234.50");
}

TEST_F(SEditValueTest, DecimalsNeedThePeriodRule) {
    box->SetNumericType(ntExtend);
    box->SetMaxValue(100);
    box->SetfpLength(3);
    box->SetCharTypes(box->CharTypes() - ctConmma);
    EXPECT_EQ(check("1.23456"), erNone);
    EXPECT_EQ(text(), "1.235");
    // Without ctPeriod no decimals are shown and fpLength is 0.
    box->SetCharTypes(box->CharTypes() - ctPeriod);
    EXPECT_EQ(box->fpLength(), 0);
    EXPECT_EQ(check("2.5"), erNone);
    EXPECT_EQ(text(), "3");
}

TEST_F(SEditValueTest, ZeroFilledNumbers) {
    box->SetNumericType(ntZeroFillInteger);
    box->SetMaxValue(9999);
    EXPECT_EQ(box->MaxLength(), 4);
    EXPECT_EQ(check("12"), erNone);
    EXPECT_EQ(text(), "0012");
    box->SetMaxValue(500);
    EXPECT_EQ(check("600"), erMaxValue);
    EXPECT_EQ(text(), "600");
    box->SetMaxValue(9999);
    EXPECT_EQ(check("0"), erNone);
    EXPECT_EQ(text(), "");
    box->SetZeroDisp(true);
    box->SetModified(false);
    EXPECT_EQ(check(""), erNone);
    EXPECT_EQ(text(), "0000");
    EXPECT_EQ(check("x1"), erNotValue);
    box->SetNeed(true);
    EXPECT_EQ(check(""), erNeeded);
}

TEST_F(SEditValueTest, DatesThatDoNotExistAreErrorsAndKeepTheirText) {
    box->SetNumericType(ntDateymd);
    EXPECT_EQ(check("5/3"), erNone);
    EXPECT_EQ(text(), "2024/05/03");
    EXPECT_EQ(check("2009/2/28"), erNone);
    EXPECT_EQ(text(), "2009/02/28");
    for (const char* bad : {"2009/13/01", "2009/2/30", "2009/2/29", "abc", "2009/5"}) {
        EXPECT_EQ(check(bad), erDate) << bad;
        EXPECT_EQ(text(), bad);
    }
    EXPECT_EQ(check("2008/2/29"), erNone);
    // A blank box is emptied and reported; the exit step lets it pass.
    EXPECT_EQ(check(" "), erDate);
    EXPECT_EQ(text(), "");
    box->SetNeed(true);
    EXPECT_EQ(check(""), erNeeded);
}

TEST_F(SEditValueTest, YearMonths) {
    box->SetNumericType(ntDateym);
    EXPECT_EQ(check("2009/5"), erNone);
    EXPECT_EQ(text(), "2009/05");
    EXPECT_EQ(check("2009/13"), erDate);
    EXPECT_EQ(text(), "2009/13");
    EXPECT_EQ(check("5"), erNone);
    EXPECT_EQ(text(), "2024/05");
}

TEST_F(SEditValueTest, TimesThatCannotBeReadAreErrorsAndKeepTheirText) {
    box->SetNumericType(ntTimehm);
    EXPECT_EQ(check("9:5"), erNone);
    EXPECT_EQ(text(), "09:05");
    for (const char* bad : {"25:00", "ab", "9:60", "9:5:3"}) {
        EXPECT_EQ(check(bad), erTime) << bad;
        EXPECT_EQ(text(), bad);
    }
    box->SetNumericType(ntTimehms);
    EXPECT_EQ(check("9:5:7"), erNone);
    EXPECT_EQ(text(), "09:05:07");
    EXPECT_EQ(check("23:59"), erNone);
    EXPECT_EQ(text(), "23:59:00");
}

TEST_F(SEditValueTest, FreeTextIsNeverChecked) {
    EXPECT_EQ(check("anything 12a"), erNone);
    box->SetNeed(true);
    EXPECT_EQ(check(""), erNone);
}

// ------------------------------------------------------------ rule setters

TEST_F(SEditValueTest, ChoosingADateKindSetsLengthAndDropsNumberRules) {
    box->SetNumericType(ntInteger);
    box->SetMaxValue(500);
    box->SetNumericType(ntDateymd);
    EXPECT_EQ(box->MaxLength(), 10);
    EXPECT_EQ(box->MaxValue(), 0);
    EXPECT_EQ(box->MinValue(), 0);
    EXPECT_TRUE(box->CharTypes().Empty());
    EXPECT_TRUE(box->IsDateTime());
    box->SetNumericType(ntDontCare);
    EXPECT_EQ(box->MaxLength(), 0);
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(SEditValueTest, ZeroFillRefusesANegativeMaximum) {
    box->SetNumericType(ntZeroFillInteger);
    box->SetMaxValue(-1);
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"ZeroFillInteger にはマイナスは使えません"}));
    EXPECT_EQ(box->MaxValue(), 99999);
    EXPECT_EQ(box->MaxLength(), 5);
    box->SetMinValue(-3);
    EXPECT_EQ(box->MinValue(), 0);
    EXPECT_EQ(messages.texts.size(), 2u);
}

TEST_F(SEditValueTest, AMaximumBelowTheMinimumIsCorrectedWithAMessage) {
    box->SetNumericType(ntInteger);
    box->SetMaxValue(50);
    box->SetMinValue(60);
    EXPECT_EQ(box->MinValue(), 50);
    box->SetMaxValue(10);
    EXPECT_EQ(box->MaxValue(), 50);
    EXPECT_EQ(messages.texts,
              (std::vector<std::string>{"最小値が最大値を上回っています", "最大値が最小値を下回っています"}));
}

TEST_F(SEditValueTest, WholeNumberLengthLeavesRoomForCommasAndSign) {
    box->SetNumericType(ntInteger);
    box->SetMaxValue(1000000);
    EXPECT_EQ(box->MaxLength(), 9);  // "1,000,000"
    box->SetMinValue(-1000);
    EXPECT_GE(box->MaxLength(), 9);
    EXPECT_GE(box->MaxLength(), 6);  // "-1,000"
    box->SetCharTypes(box->CharTypes() - ctConmma);
    EXPECT_EQ(box->MaxLength(), 7);  // "1000000"
    // The reformatted text of the largest value is never cut.
    box->SetCharTypes(box->CharTypes() + ctConmma);
    box->SetText("1000000");
    EXPECT_EQ(Validate(box.get(), false), erNone);
    EXPECT_EQ(text(), "1,000,000");
}

TEST_F(SEditValueTest, DecimalNumberLengthKeepsGroupingWhateverTheOrder) {
    box->SetNumericType(ntExtend);
    box->SetfpLength(2);
    box->SetMaxValue(99999);
    EXPECT_EQ(box->MaxLength(), 9);  // "99,999.00"
    box->SetMinValue(-5);
    EXPECT_TRUE(box->CharTypes().Contains(ctMinus));
    EXPECT_EQ(box->MaxLength(), 9);
    box->SetText("99999");
    EXPECT_EQ(Validate(box.get(), false), erNone);
    EXPECT_EQ(text(), "99,999.00");
    box->SetMinValue(0);
    EXPECT_FALSE(box->CharTypes().Contains(ctMinus));
}

TEST_F(SEditValueTest, DecimalsOnlyForDecimalKindsExceptWhileLoading) {
    box->SetNumericType(ntInteger);
    box->SetfpLength(2);
    EXPECT_EQ(box->fpLength(), 0);
    box->BeginLoading();
    box->SetfpLength(2);
    box->EndLoading();
    EXPECT_EQ(box->fpLength(), 2);
    EXPECT_FALSE(box->CharTypes().Contains(ctPeriod));
    box->SetfpLength(11);
    EXPECT_EQ(box->fpLength(), 2);
}

TEST_F(SEditValueTest, ThePeriodRuleFollowsfpLength) {
    box->SetNumericType(ntCurrency);
    box->SetCharTypes(box->CharTypes() - ctPeriod);
    box->SetCharTypes(box->CharTypes() + ctPeriod);
    EXPECT_FALSE(box->CharTypes().Contains(ctPeriod));  // no decimals to show
    box->SetfpLength(1);
    EXPECT_TRUE(box->CharTypes().Contains(ctPeriod));
    box->SetfpLength(0);
    EXPECT_FALSE(box->CharTypes().Contains(ctPeriod));
    // Quotes never change for a number kind.
    box->SetCharTypes(box->CharTypes() + ctQuoted);
    EXPECT_FALSE(box->CharTypes().Contains(ctQuoted));
}

TEST_F(SEditValueTest, DisplayWidthTakesMaxLengthWhileUnset) {
    box->SetMaxLength(6);
    EXPECT_EQ(box->DisplayWidth(), 6);
    box->SetMaxLength(8);
    EXPECT_EQ(box->DisplayWidth(), 6);
}

// ------------------------------------------------------------ typed values

TEST_F(SEditValueTest, NumbersAsTypedValues) {
    box->SetNumericType(ntExtend);
    box->SetMaxValue(1000);
    box->SetMinValue(-1000);
    box->SetMaxLength(20);
    box->SetText("2.5");
    EXPECT_EQ(box->AsInteger(), 3);
    box->SetText("-2.5");
    EXPECT_EQ(box->AsInteger(), -2);
    box->SetText("1,234.5678");
    EXPECT_EQ(box->AsCurrency().Raw(), 12345678);
    EXPECT_DOUBLE_EQ(double(box->AsFloat()), 1234.5678);
    EXPECT_EQ(box->AsDateTime(), -1.0);
    box->SetAsFloat(12.25);
    EXPECT_EQ(text(), "12");
    box->SetfpLength(2);
    box->SetAsCurrency(Currency::FromRaw(-15000));
    EXPECT_EQ(text(), "-1.50");
}

TEST_F(SEditValueTest, AsStringDropsCommasAndGivesNothingOnAnError) {
    box->SetNumericType(ntInteger);
    box->SetMaxValue(99999);
    box->SetText("1,234");
    EXPECT_EQ(Utf8(box->AsString()), "1234");
    box->SetSupressConmma(false);
    EXPECT_EQ(Utf8(box->AsString()), "1,234");
    box->SetText("100000");
    EXPECT_EQ(Utf8(box->AsString()), "");
}

TEST_F(SEditValueTest, ZeroFillAsStringReadsTheWholeInt64) {
    box->SetNumericType(ntZeroFillInteger);
    box->SetMaxValue(9999999999LL);
    box->SetText("3000000000");
    EXPECT_EQ(Utf8(box->AsString()), "3000000000");
    box->SetText("42");
    EXPECT_EQ(Utf8(box->AsString()), "0000000042");
}

TEST_F(SEditValueTest, DatesAsTypedValues) {
    box->SetNumericType(ntDateymd);
    box->SetText("2009/05/13");
    EXPECT_EQ(box->AsDateTime(), 39946.0);  // Python: date(2009,5,13) - date(1899,12,30)
    EXPECT_EQ(box->AsInteger(), 39946);
    box->SetLocalSQLDate(true);
    EXPECT_EQ(Utf8(box->AsString()), "05/13/2009");
    box->SetAsDateTime(39947.75);
    EXPECT_EQ(text(), "2009/05/14");
    box->SetAsDateTime(1.5);
    EXPECT_EQ(text(), "");
    box->SetText("");
    EXPECT_EQ(box->AsDateTime(), 2.0);  // a blank box reads as 1900/01/01
}

TEST_F(SEditValueTest, IntegerResultDatesTravelAsDigits) {
    box->SetNumericType(ntDateymd);
    box->SetIntegerResult(true);
    box->SetAsInteger(20090513);
    EXPECT_EQ(text(), "2009/05/13");
    EXPECT_EQ(box->AsInteger(), 20090513);
    EXPECT_EQ(Utf8(box->AsString()), "20090513");
    box->SetAsInteger(123);  // neither 8 digits: unchanged
    EXPECT_EQ(text(), "2009/05/13");
    box->SetAsString("20101231");
    EXPECT_EQ(text(), "2010/12/31");
}

TEST_F(SEditValueTest, IntegerResultTimesTravelAsDigits) {
    box->SetNumericType(ntTimehm);
    box->SetIntegerResult(true);
    box->SetAsString("0905");
    EXPECT_EQ(text(), "09:05");
    EXPECT_EQ(box->AsInteger(), 905);
    box->SetAsString(box->AsString());
    EXPECT_EQ(text(), "09:05");
    box->SetAsInteger(1430);
    EXPECT_EQ(text(), "14:30");
    box->SetNumericType(ntTimehms);
    box->SetAsInteger(93005);
    EXPECT_EQ(text(), "09:30:05");
    box->SetIntegerResult(false);
    box->SetAsInteger(5);
    EXPECT_EQ(text(), "");
}

TEST_F(SEditValueTest, ValuesNoDateOrTimeBoxCanHoldAreFlaggedAsErrors) {
    for (TNumericType kind : {ntDateymd, ntTimehm}) {
        box->SetNumericType(kind);
        for (Extended v : {Extended(NAN), -Extended(INFINITY), 1e19L}) {
            for (bool digits : {true, false}) {
                box->SetIntegerResult(digits);
                box->SetAsString(kind == ntTimehm ? "09:05" : "2009/05/13");
                box->SetAsFloat(v);
                // Without IntegerResult a finite value is a date-time.
                if (!digits && std::isfinite(v)) continue;
                EXPECT_EQ(box->ErrorType(), kind == ntTimehm ? erTime : erDate) << kind << digits << double(v);
            }
        }
    }
    box->SetAsDateTime(NAN);
    EXPECT_EQ(text(), "NAN");
}

TEST_F(SEditValueTest, ABadAsStringGoesBackToTheAcceptedText) {
    box->SetNumericType(ntInteger);
    box->SetMaxValue(10);
    box->SetAsString("7");
    EXPECT_EQ(text(), "7");
    EXPECT_EQ(box->ErrorType(), erNone);
    box->SetAsString("70");
    EXPECT_EQ(text(), "7");
    EXPECT_EQ(box->ErrorType(), erNone);
}

TEST_F(SEditValueTest, SameAsEntryComparesValuesByKind) {
    box->SetNumericType(ntInteger);
    box->SetMaxValue(99999);
    box->SetText("1000");
    box->Update();
    box->SetText("1,000");
    EXPECT_TRUE(box->IsSameAsEntry());
    box->SetText("1001");
    EXPECT_FALSE(box->IsSameAsEntry());
    box->SetNumericType(ntTimehm);
    box->SetText("9:05");
    box->Update();
    box->SetText("09:05");
    EXPECT_TRUE(box->IsSameAsEntry());
}

// ------------------------------------------------------------ update

TEST_F(SEditValueTest, UpdateRefreshesEveryLinkedBoxOnceAndEndsInARing) {
    TSEdit b(nullptr), c(nullptr);
    for (TSEdit* e : {box.get(), &b, &c}) {
        e->SetNumericType(ntInteger);
        e->SetMaxValue(100);
    }
    box->SetmvRight(&b);
    b.SetmvRight(&c);
    c.SetmvRight(box.get());
    c.SetmvDown(&b);
    b.SetText("150");
    c.SetText("42");
    c.SetModified(true);
    box->Update();
    EXPECT_EQ(b.ErrorType(), erMaxValue);
    EXPECT_EQ(Utf8(c.AcceptedText()), "42");
    EXPECT_FALSE(c.Modified());
    EXPECT_FALSE(box->TabStop());
}

TEST_F(SEditValueTest, NoRefreshIsLostToAnEqualStampOfAnotherBox) {
    TSEdit other(nullptr);
    other.SetNumericType(ntInteger);
    other.SetMaxValue(10);
    box->SetNumericType(ntInteger);
    box->SetMaxValue(10);
    other.Update();
    box->Update();
    box->SetmvLeft(&other);
    other.SetText("99");
    box->Update();
    EXPECT_EQ(other.ErrorType(), erMaxValue);
}

TEST_F(SEditValueTest, AFreedNeighbourIsForgotten) {
    auto n = std::make_unique<TSEdit>(nullptr);
    box->SetmvUp(n.get());
    n->SetmvDown(box.get());
    n.reset();
    EXPECT_EQ(box->mvUp(), nullptr);
    box->Update();
}

}  // namespace
