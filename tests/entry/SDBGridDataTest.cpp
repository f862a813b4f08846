// Cells by column title: texts, money and whole numbers with the three
// rounding modes, writing in the column's form, dates and times, the cell
// accessor, totals over many rows, and era dates checked against ICU's
// Japanese calendar.
#include "EntryTestSupport.h"

#include <unicode/ucal.h>
#include <unicode/udat.h>
#include <unicode/ustring.h>

#include <random>

namespace {

class SDBGridDataTest : public GridFormTest {
protected:
    void SetUp() override {
        GridFormTest::SetUp();
        form->VoucherColumns();
        grid->SetColCount(11);
        auto* date = grid->GridColumns()->Items(8);
        date->SetText(QStringLiteral("日付"));
        date->SetNumericType(ntgDateymd);
        auto* time = grid->GridColumns()->Items(9);
        time->SetText(QStringLiteral("Time"));
        time->SetNumericType(ntgTimehm);
        auto* era = grid->GridColumns()->Items(10);
        era->SetText(QStringLiteral("和暦"));
        era->SetNumericType(ntgWareki);
        grid->ResetRows(3, true);
    }
    // The value of a cell given as text, read as money.
    Currency MoneyOf(const QString& cell) {
        grid->SetCells(4, 2, cell);
        QString text;
        return grid->GetCurrencyByName(QStringLiteral("数量"), 2, text);
    }
    Integer IntegerOf(const QString& cell, const QString& mode) {
        grid->SetCells(4, 2, cell);
        QString text = mode;
        return grid->GetIntegerByName(QStringLiteral("数量"), 2, text);
    }
};

TEST_F(SDBGridDataTest, TitlesAreFoundWithoutRegardToCaseAndBadRowsAreRefused) {
    EXPECT_EQ(grid->FieldIndex(QStringLiteral("単価")), 5);
    EXPECT_EQ(grid->FieldIndex(QStringLiteral("time")), 9);
    EXPECT_EQ(grid->FieldIndex(QStringLiteral("none")), -1);
    QString text;
    grid->GetTextByName(QStringLiteral("none"), 1, text);
    EXPECT_EQ(text, "Invalid Field Name");
    grid->GetTextByName(QStringLiteral("数量"), 0, text);
    EXPECT_EQ(text, "Invalid Row");
    grid->GetTextByName(QStringLiteral("数量"), 4, text);
    EXPECT_EQ(text, "Invalid Row");
    EXPECT_EQ(grid->GetCurrencyByName(QStringLiteral("品名"), 1, text), Currency());
    EXPECT_EQ(text, "Invalid Value Field");
    EXPECT_EQ(grid->LastText(), "Invalid Value Field");
    text = QString();
    EXPECT_EQ(grid->GetIntegerByName(QStringLiteral("備考"), 1, text), 0);
    EXPECT_EQ(text, "Invalid Value Field");
}

TEST_F(SDBGridDataTest, TextsComeWithoutGroupingAndZeroFilledAtTheirWidth) {
    grid->SetCells(4, 1, QStringLiteral("1,200"));
    QString text;
    grid->GetTextByName(QStringLiteral("数量"), -1, text);
    EXPECT_EQ(text, "1200");
    grid->GetTextByName(QStringLiteral("数量"), 2, text);
    EXPECT_EQ(text, "");
    grid->GridColumns()->Items(4)->SetZeroDisp(true);
    grid->GetTextByName(QStringLiteral("数量"), 2, text);
    EXPECT_EQ(text, "0");
    grid->SetCells(2, 1, QStringLiteral("12"));
    grid->GetTextByName(QStringLiteral("品番"), 1, text);
    EXPECT_EQ(text, "00012");
    grid->SetCells(3, 1, QStringLiteral(" x "));
    grid->GetTextByName(QStringLiteral("品名"), 1, text);
    EXPECT_EQ(text, " x ");
}

TEST_F(SDBGridDataTest, MoneyIsTheValueTimesTenThousandAndOverflowIsAnError) {
    EXPECT_EQ(MoneyOf(QStringLiteral("1,234.5")).Raw(), 12345000);
    EXPECT_EQ(grid->LastText(), "1234.5");
    EXPECT_EQ(MoneyOf(QStringLiteral("-0.0001")).Raw(), -1);
    EXPECT_EQ(MoneyOf(QString()).Raw(), 0);
    EXPECT_EQ(grid->LastText(), "");
    EXPECT_EQ(MoneyOf(QStringLiteral("abc")).Raw(), 0);
    EXPECT_EQ(grid->LastText(), "abc");
    EXPECT_EQ(MoneyOf(QStringLiteral("922,337,203,685,477.5807")).Raw(), INT64_MAX);
    EXPECT_EQ(MoneyOf(QStringLiteral("922337203685477.5808")).Raw(), 0);
    EXPECT_EQ(grid->LastText(), "Invalid Format");
    EXPECT_EQ(MoneyOf(QStringLiteral("1E300")).Raw(), 0);
    EXPECT_EQ(grid->LastText(), "Invalid Format");
}

// Expected values: Python's math.floor(v + 0.5), math.ceil(v), math.trunc(v).
TEST_F(SDBGridDataTest, WholeNumbersByTheThreeRoundingModes) {
    struct Case {
        const char* cell;
        Integer round, up, trunc;
    };
    const Case cases[] = {
        {"2.5", 3, 3, 2},    {"2.1", 2, 3, 2},          {"-2.5", -2, -2, -2}, {"-2.1", -2, -2, -2},
        {"3.5", 4, 4, 3},    {"-0.5", 0, 0, 0},         {"0.5", 1, 1, 0},     {"1,234.49", 1234, 1235, 1234},
        {"7", 7, 7, 7},
    };
    for (const Case& c : cases) {
        const QString cell = QString::fromUtf8(c.cell);
        EXPECT_EQ(IntegerOf(cell, QStringLiteral("ROUND")), c.round) << c.cell;
        EXPECT_EQ(IntegerOf(cell, QString()), c.round) << c.cell;
        EXPECT_EQ(IntegerOf(cell, QStringLiteral("roundup")), c.up) << c.cell;
        EXPECT_EQ(IntegerOf(cell, QStringLiteral("TRUNC")), c.trunc) << c.cell;
    }
    EXPECT_EQ(IntegerOf(QStringLiteral("2.5"), QStringLiteral("anything")), 3);
    EXPECT_EQ(grid->LastText(), "3");
    // Beyond an Integer: the error result, not a wrapped number.
    EXPECT_EQ(IntegerOf(QStringLiteral("3000000000"), QString()), 0);
    EXPECT_EQ(grid->LastText(), "Invalid Format");
}

// Clearing and filling walk the same few rows for each row written, so ten
// times the rows cost ten times the steps, not a hundred.
TEST_F(SDBGridDataTest, ResettingAndFillingAColumnCostTheSameForEveryRow) {
    form->ShowActive();
    auto stepsFor = [&](Integer rows) {
        const qint64 before = TCustomGrid::AxisWalkSteps();
        grid->ResetRows(rows, true);
        QString text;
        for (Integer r = 1; r <= rows; ++r) grid->SetCurrencyByName(QStringLiteral("金額"), r, text, Currency(r));
        return TCustomGrid::AxisWalkSteps() - before;
    };
    const qint64 small = stepsFor(500);
    const qint64 large = stepsFor(5000);
    EXPECT_GT(small, 0);
    EXPECT_LT(large, 12 * small);
    QString text;
    EXPECT_EQ(grid->GetCurrencyByName(QStringLiteral("金額"), 4321, text), Currency(4321));
    EXPECT_EQ(grid->Cells(0, 5000), "5000");
}

// Day numbers: Python's (date(...) - date(1899, 12, 30)).days.
TEST_F(SDBGridDataTest, DatesAndTimesByTitle) {
    grid->SetCells(8, 1, QStringLiteral("2024/05/03"));
    QString text;
    EXPECT_EQ(grid->GetIntegerByName(QStringLiteral("日付"), 1, text), 45415);
    EXPECT_EQ(grid->LastText(), "2024/05/03");
    EXPECT_EQ(grid->GetIntegerByName(QStringLiteral("日付"), 2, text), 2);
    EXPECT_EQ(grid->LastText(), "1900/01/01");
    grid->SetCells(8, 2, QStringLiteral("soon"));
    text = QString();
    EXPECT_EQ(grid->GetIntegerByName(QStringLiteral("日付"), 2, text), 0);
    EXPECT_EQ(text, "Invalid Format");
    EXPECT_EQ(grid->GetDateTimeByName(QStringLiteral("日付"), 1, text), 45415);
    grid->SetCells(9, 1, QStringLiteral("12:30"));
    EXPECT_NEAR(grid->GetDateTimeByName(QStringLiteral("Time"), 1, text), 0.5208333333333334, 1e-9);
    grid->SetCells(10, 1, QStringLiteral("4010108"));
    EXPECT_EQ(grid->GetDateTimeByName(QStringLiteral("和暦"), 1, text), 32516);
    EXPECT_EQ(text, "平成 1年 1月 8日");
    grid->SetCells(10, 1, QStringLiteral("4010230"));
    EXPECT_EQ(grid->GetDateTimeByName(QStringLiteral("和暦"), 1, text), -1);
    EXPECT_EQ(text, "Invalid Format");
    EXPECT_EQ(grid->GetDateTimeByName(QStringLiteral("数量"), 1, text), 0);
    EXPECT_EQ(text, "Invalid Value Field");
}

TEST_F(SDBGridDataTest, WritingByTitleUsesTheColumnsForm) {
    QString res;
    grid->SetTextByName(QStringLiteral("数量"), 1, res, QStringLiteral("1234567"));
    EXPECT_EQ(grid->Cells(4, 1), "1,234,567");
    EXPECT_EQ(res, "1,234,567");
    grid->SetTextByName(QStringLiteral("品番"), 1, res, QStringLiteral("42"));
    EXPECT_EQ(grid->Cells(2, 1), "00042");
    grid->SetTextByName(QStringLiteral("日付"), 1, res, QStringLiteral("2024/5/3"));
    EXPECT_EQ(grid->Cells(8, 1), "2024/05/03");
    grid->SetTextByName(QStringLiteral("日付"), 1, res, QStringLiteral("2024/13/3"));
    EXPECT_EQ(res, "Invalid Date Format");
    EXPECT_EQ(grid->Cells(8, 1), "2024/05/03");
    grid->SetTextByName(QStringLiteral("Time"), 1, res, QStringLiteral("25:00"));
    EXPECT_EQ(res, "Invalid Time Format");
    grid->SetTextByName(QStringLiteral("数量"), 1, res, QStringLiteral("twelve"));
    EXPECT_EQ(res, "Invalid Format");
    EXPECT_EQ(grid->Cells(4, 1), "1,234,567");
    grid->SetTextByName(QStringLiteral("数量"), 1, res, QStringLiteral(" "));
    EXPECT_EQ(grid->Cells(4, 1), "");
    grid->SetTextByName(QStringLiteral("数量"), 0, res, QStringLiteral("1"));
    EXPECT_EQ(res, "Invalid Row");
    // Money is written with the column's decimals, halves away from zero
    // (Python: Decimal("1234.5").quantize(Decimal("1"), ROUND_HALF_UP)).
    QString text;
    grid->SetCurrencyByName(QStringLiteral("単価"), 2, text, Currency::FromRaw(12345000));
    EXPECT_EQ(text, "1,235");
    grid->SetCurrencyByName(QStringLiteral("品名"), 2, text, Currency(1));
    EXPECT_EQ(text, "Invalid Value Field");
}

TEST_F(SDBGridDataTest, WritingTheCurrentCellEntersItAgain) {
    form->ShowActive();
    grid->SetCol(4);
    QString res;
    grid->SetTextByName(QStringLiteral("数量"), -1, res, QStringLiteral("2500"));
    EXPECT_EQ(grid->OldData(), "2,500");
    EXPECT_EQ(grid->Cells(4, 1), "2500");
    EXPECT_EQ(grid->InplaceEditor()->Text(), "2500");
    // Left now, the cell reports no change: the write was the program's.
    grid->SetCol(5);
    EXPECT_TRUE(form->With("Modified").empty());
    EXPECT_EQ(grid->Cells(4, 1), "2,500");
}

TEST_F(SDBGridDataTest, AccessorsAreValuesAndOneCellCanBeAssignedToAnother) {
    grid->SetCells(5, 1, QStringLiteral("300"));
    grid->SetCells(5, 2, QStringLiteral("7"));
    auto price1 = grid->FieldByName(QStringLiteral("単価"), 1);
    auto price2 = grid->FieldByName(QStringLiteral("単価"), 2);
    ASSERT_TRUE(price1 && price2);
    price2->SetAsCurrency(price1->AsCurrency());
    EXPECT_EQ(grid->Cells(5, 2), "300");
    EXPECT_EQ(grid->Cells(5, 1), "300");
    grid->FieldByName(QStringLiteral("数量"), 1)->SetAsInteger(grid->FieldByName(QStringLiteral("単価"), 2)->AsInteger());
    EXPECT_EQ(grid->Cells(4, 1), "300");
    EXPECT_FALSE(grid->FieldByName(QStringLiteral("none"), 1).has_value());
    TCellData outside(grid, 42, 1);
    EXPECT_EQ(outside.Col(), -1);
    EXPECT_EQ(outside.AsInteger(), 0);
    outside.SetAsCurrency(Currency(5));
    // A row out of range means the current row.
    EXPECT_EQ(grid->FieldByName(QStringLiteral("数量"), 99)->Row(), grid->Row());
}

TEST_F(SDBGridDataTest, TotalsByTitleOverAThousandRows) {
    grid->ResetRows(1000, true);
    std::mt19937 random(20240503);
    std::uniform_int_distribution<Int64> amount(-5000000, 99999999);  // tenths of a yen
    Int64 expected = 0;
    QString res;
    for (Integer r = 1; r <= 1000; ++r) {
        const Int64 tenths = amount(random);
        expected += tenths * 1000;
        // Written with grouping, read back through the title.
        grid->SetCells(6, r, Format(QStringLiteral("%.1n"), {Extended(tenths) / 10}));
    }
    Currency total;
    QString text;
    for (Integer r = 1; r <= 1000; ++r) total += grid->GetCurrencyByName(QStringLiteral("金額"), r, text);
    EXPECT_EQ(total.Raw(), expected);
    EXPECT_EQ(grid->Cells(0, 1000), "1000");
}

// Day numbers: Python's (date(...) - date(1899, 12, 30)).days.
TEST_F(SDBGridDataTest, TheEraTableHoldsReiwaAndIsReadAgainWhenReplaced) {
    TStrings* eras = grid->GStrings();
    EXPECT_EQ(eras->Values(QStringLiteral("4G")), "32516");
    EXPECT_EQ(eras->Values(QStringLiteral("5")), "令和");
    EXPECT_EQ(eras->Values(QStringLiteral("5G")), "43586");
    EXPECT_EQ(grid->EraText(QStringLiteral("3640101"), grid->GridColumns()->Items(0)->MaskOriginal()),
              "昭和64年 1月 1日");
    EXPECT_EQ(grid->EraText(QStringLiteral("9010101"), QStringLiteral("%s")), "9010101");
    // The application's own table: other marks and a sixth era.
    TStringList mine;
    mine.SetText(QStringLiteral("6=新元\r\n6S=2040\r\n6G=2041/01/01\r\n年=/\r\n月=/\r\n日=\r\n"));
    grid->SetGStrings(&mine);
    EXPECT_EQ(grid->EraText(QStringLiteral("6021231"), QStringLiteral("%s%d%s%d%s%d%s")), "新元2/12/31");
    EXPECT_EQ(eras->Values(QStringLiteral("6G")), "51502");
    TDateTime d = 0;
    EXPECT_FALSE(grid->EraDate(QStringLiteral("4010108"), d));
}

// ------------------------------------------------------------ against ICU

class IcuJapanese {
public:
    IcuJapanese() {
        UErrorCode status = U_ZERO_ERROR;
        const UChar utc[] = {'U', 'T', 'C', 0};
        gregorian_ = ucal_open(utc, -1, "en_US@calendar=gregorian", UCAL_GREGORIAN, &status);
        japanese_ = ucal_open(utc, -1, "ja_JP@calendar=japanese", UCAL_TRADITIONAL, &status);
        const UChar pattern[] = {'G', 'G', 'G', 'G', 0};
        eraFormat_ = udat_open(UDAT_PATTERN, UDAT_PATTERN, "ja_JP@calendar=japanese", utc, -1, pattern, -1, &status);
        ok_ = U_SUCCESS(status);
    }
    ~IcuJapanese() {
        udat_close(eraFormat_);
        ucal_close(japanese_);
        ucal_close(gregorian_);
    }
    bool Ok() const { return ok_; }
    // The era index, the year of the era and the era's name of a date.
    void Era(int y, int m, int d, int& era, int& year, QString& name) {
        UErrorCode status = U_ZERO_ERROR;
        ucal_clear(gregorian_);
        ucal_setDate(gregorian_, y, m - 1, d, &status);
        const UDate millis = ucal_getMillis(gregorian_, &status);
        ucal_setMillis(japanese_, millis, &status);
        era = ucal_get(japanese_, UCAL_ERA, &status);
        year = ucal_get(japanese_, UCAL_YEAR, &status);
        UChar buffer[32];
        const int32_t n = udat_format(eraFormat_, millis, buffer, 32, nullptr, &status);
        name = QString::fromUtf16(reinterpret_cast<const char16_t*>(buffer), n);
        EXPECT_TRUE(U_SUCCESS(status));
    }

private:
    UCalendar* gregorian_ = nullptr;
    UCalendar* japanese_ = nullptr;
    UDateFormat* eraFormat_ = nullptr;
    bool ok_ = false;
};

TEST_F(SDBGridDataTest, EraCodesNameTheDatesIcusJapaneseCalendarGives) {
    IcuJapanese icu;
    ASSERT_TRUE(icu.Ok());
    // ICU numbers the eras from the seventh century; 明治 is its 232nd.
    constexpr int MeijiIndex = 232;
    TDateTime day = EncodeDate(1868, 9, 8);
    const TDateTime last = EncodeDate(2035, 12, 31);
    int checked = 0;
    for (; day <= last; day += 1) {
        Word y = 0, m = 0, d = 0;
        DecodeDate(day, y, m, d);
        int era = 0, year = 0;
        QString name;
        icu.Era(y, m, d, era, year, name);
        const int number = era - MeijiIndex + 1;
        ASSERT_GE(number, 1);
        ASSERT_LE(number, 5);
        const QString code = Format(QStringLiteral("%d%.2d%.2d%.2d"), {number, year, int(m), int(d)});
        TDateTime read = 0;
        ASSERT_TRUE(grid->EraDate(code, read)) << Utf8(code);
        ASSERT_EQ(read, day) << Utf8(code);
        ASSERT_EQ(grid->GStrings()->Values(QString::number(number)), name) << Utf8(code);
        ++checked;
    }
    EXPECT_GT(checked, 60000);
    // The turns of the eras, as ICU names them.
    struct Turn {
        int y, m, d;
        const char* era;
        int year;
    };
    for (const Turn& t : {Turn{1989, 1, 7, "昭和", 64}, Turn{1989, 1, 8, "平成", 1}, Turn{2019, 4, 30, "平成", 31},
                          Turn{2019, 5, 1, "令和", 1}}) {
        int era = 0, year = 0;
        QString name;
        icu.Era(t.y, t.m, t.d, era, year, name);
        EXPECT_EQ(Utf8(name), t.era);
        EXPECT_EQ(year, t.year);
    }
    TDateTime d = 0;
    ASSERT_TRUE(grid->EraDate(QStringLiteral("3640101"), d));
    EXPECT_EQ(d, EncodeDate(1989, 1, 1));
}

}  // namespace
