#include "SysUtils.h"

#include <gtest/gtest.h>

namespace {

std::string str(const QString& s) { return s.toStdString(); }

// Restores the Japanese settings after a test that changes them.
class SysUtilsFormat : public ::testing::Test {
protected:
    void TearDown() override { SetFormatSettings(JapaneseFormatSettings()); }
};

TEST_F(SysUtilsFormat, StringsIndexesWidthsAndStars) {
    EXPECT_EQ(str(Format(QStringLiteral("%s (%d.%d %d) %s "), {"Linux", 6, 1, 0, ""})), "Linux (6.1 0)  ");
    EXPECT_EQ(str(Format(QStringLiteral("Height:%3d"), {7})), "Height:  7");
    EXPECT_EQ(str(Format(QStringLiteral("BITMAP%.2d"), {3})), "BITMAP03");
    EXPECT_EQ(str(Format(QStringLiteral("%-4s|%4s|%.2s"), {"ab", "cd", "xyz"})), "ab  |  cd|xy");
    EXPECT_EQ(str(Format(QStringLiteral("%*d|%-*d|%.*f"), {4, 1, 3, 2, 1, 2.25})), "   1|2  |2.3");
    EXPECT_EQ(str(Format(QStringLiteral("%1:s%0:s%s"), {"a", "b"})), "bab");
    EXPECT_EQ(str(Format(QStringLiteral("100%%"), {})), "100%");
    EXPECT_EQ(str(Format(QStringLiteral("%u"), {-1})), "4294967295");
    EXPECT_EQ(str(Format(QStringLiteral("%x|%.4x|%6x|%-4X|"), {-1, 255, 171, 10})), "FFFFFFFF|00FF|    AB|A   |");
    EXPECT_EQ(str(Format(QStringLiteral("設計時には%d～%dしか指定できません。"), {-2147483648LL, 2147483647})),
              "設計時には-2147483648～2147483647しか指定できません。");
}

TEST_F(SysUtilsFormat, WrongArgumentsRaiseConvertError) {
    EXPECT_THROW(Format(QStringLiteral("%d"), {1.5}), EConvertError);
    EXPECT_THROW(Format(QStringLiteral("%f"), {1}), EConvertError);
    EXPECT_THROW(Format(QStringLiteral("%s"), {1}), EConvertError);
    EXPECT_THROW(Format(QStringLiteral("%d %d"), {1}), EConvertError);
    EXPECT_THROW(Format(QStringLiteral("%q"), {1}), EConvertError);
    EXPECT_THROW(Format(QStringLiteral("abc %"), {1}), EConvertError);
    EXPECT_THROW(Format(QStringLiteral("%5:d"), {1}), EConvertError);
    EXPECT_THROW(Format(QStringLiteral("%*d"), {"x", 1}), EConvertError);
}

TEST_F(SysUtilsFormat, FloatSpecifiersTakeCurrencyExactly) {
    const Currency c = StrToCurr(QStringLiteral("1234.5"));
    EXPECT_EQ(str(Format(QStringLiteral("%m"), {c})), "¥1,235");
    EXPECT_EQ(str(Format(QStringLiteral("%.2n"), {c})), "1,234.50");
    EXPECT_EQ(str(Format(QStringLiteral("%.0f"), {StrToCurr(QStringLiteral("-0.5"))})), "-1");
    EXPECT_EQ(str(Format(QStringLiteral("%.0f"), {-0.4})), "0");  // no "-0"
}

TEST_F(SysUtilsFormat, CalculatorCaptionsAndTotals) {
    EXPECT_EQ(str(Format(QStringLiteral("%.3f →"), {0.0})), "0.000 →");
    EXPECT_EQ(str(Trim(Format(QStringLiteral("%15.0n"), {370.5}))), "371");
    EXPECT_EQ(str(Trim(Format(QStringLiteral("%15.2n"), {-1234567.125}))), "-1,234,567.13");
}

TEST_F(SysUtilsFormat, CurrencyPlacementFollowsTheSettings) {
    TFormatSettings fs = JapaneseFormatSettings();
    fs.CurrencyString = QStringLiteral("EUR");
    fs.CurrencyFormat = 3;   // "1 EUR"
    fs.NegCurrFormat = 15;   // "(1 EUR)"
    fs.CurrencyDecimals = 2;
    fs.ThousandSeparator = u'.';
    fs.DecimalSeparator = u',';
    SetFormatSettings(fs);
    EXPECT_EQ(str(Format(QStringLiteral("%m"), {1234.5})), "1.234,50 EUR");
    EXPECT_EQ(str(Format(QStringLiteral("%m"), {-1234.5})), "(1.234,50 EUR)");
    EXPECT_EQ(str(FormatFloat(QStringLiteral("#,##0.00"), 1234.5)), "1.234,50");
}

TEST_F(SysUtilsFormat, FormatCurrUsesTheExactValue) {
    EXPECT_EQ(str(FormatCurr(QStringLiteral("#,##0.0000"), Currency::FromRaw(-9223372036854775807LL - 1))),
              "-922,337,203,685,477.5808");
    EXPECT_EQ(str(FormatCurr(QStringLiteral("0.00"), StrToCurr(QStringLiteral("0.005")))), "0.01");
    EXPECT_EQ(str(FormatCurr(QString(), StrToCurr(QStringLiteral("12.3400")))), "12.34");
}

TEST_F(SysUtilsFormat, FormatFloatEdgeCases) {
    EXPECT_EQ(str(FormatFloat(QStringLiteral("0.00"), std::numeric_limits<double>::infinity())), "INF");
    EXPECT_EQ(str(FormatFloat(QStringLiteral("0.00"), -0.001)), "0.00");  // a value that rounds to zero has no sign
    EXPECT_EQ(str(FormatFloat(QStringLiteral("0.00;(0.00)"), -0.001)), "0.00");
    EXPECT_EQ(str(FormatFloat(QStringLiteral("\"total\" #,##0 'yen'"), 1234)), "total 1,234 yen");
    EXPECT_EQ(str(FormatFloat(QStringLiteral("\"a;b\"0;(0)"), -3)), "(3)");  // ';' inside quotes
    EXPECT_EQ(str(FormatFloat(QStringLiteral("abc"), 5)), "abc");
    EXPECT_EQ(str(FormatFloat(QStringLiteral("0\"unclosed"), 5)), "5unclosed");
    EXPECT_EQ(str(FormatFloat(QStringLiteral("0.00e-00"), 0.000123)), "1.23e-04");
    EXPECT_EQ(str(FormatFloat(QStringLiteral("0.00E+00"), 0)), "0.00E+00");
    EXPECT_EQ(str(FormatFloat(QStringLiteral("#,##0"), 1e300)), "1E300");
}

}  // namespace
