#include "SysUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

std::string str(const QString& s) { return s.toStdString(); }
constexpr Int64 kMax = std::numeric_limits<Int64>::max();
constexpr Int64 kMin = std::numeric_limits<Int64>::min();

TEST(SysUtilsIntegers, StrToIntRaisesAndTheDefaultFormsDoNot) {
    EXPECT_EQ(StrToInt(QStringLiteral("-2147483648")), std::numeric_limits<Integer>::min());
    EXPECT_THROW(StrToInt(QStringLiteral("2147483648")), EConvertError);
    EXPECT_THROW(StrToInt(QStringLiteral("")), EConvertError);
    EXPECT_THROW(StrToInt(QStringLiteral("1e3")), EConvertError);
    EXPECT_THROW(StrToInt(QStringLiteral("１２")), EConvertError);  // full-width digits are not digits here
    EXPECT_EQ(StrToInt(QStringLiteral("\t7")), 7);
    EXPECT_EQ(StrToInt64(QStringLiteral("-$8000000000000000")), kMin);
    Integer i = 5;
    EXPECT_FALSE(TryStrToInt(QStringLiteral("x"), i));
    EXPECT_TRUE(TryStrToInt(QStringLiteral("0x1f"), i));
    EXPECT_EQ(i, 31);
    Int64 l = 0;
    EXPECT_FALSE(TryStrToInt64(QStringLiteral("99999999999999999999"), l));
}

TEST(SysUtilsIntegers, IntToStrAndIntToHex) {
    EXPECT_EQ(str(IntToStr(kMin)), "-9223372036854775808");
    EXPECT_EQ(str(IntToHex(255, 4)), "00FF");
    EXPECT_EQ(str(IntToHex(-1, 2)), "FFFFFFFF");
    EXPECT_EQ(str(IntToHex(kMin, 1)), "8000000000000000");
}

TEST(SysUtilsFloats, ParsesWithTheDecimalSeparatorOfTheSettings) {
    TFormatSettings fs = JapaneseFormatSettings();
    fs.DecimalSeparator = u',';
    SetFormatSettings(fs);
    EXPECT_EQ(StrToFloat(QStringLiteral("1,5")), 1.5L);
    EXPECT_THROW(StrToFloat(QStringLiteral("1.5")), EConvertError);
    EXPECT_EQ(str(FloatToStr(2.25)), "2,25");
    SetFormatSettings(JapaneseFormatSettings());
    EXPECT_EQ(str(FloatToStr(2.25)), "2.25");
}

TEST(SysUtilsFloats, NonFiniteValuesHaveTexts) {
    EXPECT_EQ(str(FloatToStr(std::numeric_limits<double>::infinity())), "INF");
    EXPECT_EQ(str(FloatToStr(-std::numeric_limits<double>::infinity())), "-INF");
    EXPECT_EQ(str(FloatToStr(std::nan(""))), "NAN");
    EXPECT_THROW(StrToFloat(QStringLiteral("INF")), EConvertError);
    EXPECT_THROW(StrToFloat(QStringLiteral("\t1")), EConvertError);
}

TEST(SysUtilsFloats, ExtendedKeepsDigitsADoubleWouldLose) {
    // 2^64 + 1 needs 65 bits; the extended value differs from the double one.
    const Extended v = StrToFloat(QStringLiteral("18446744073709551617"));
    EXPECT_EQ(str(FloatToStr(v)), "1.84467440737096E19");
    EXPECT_EQ(str(FloatToStr(StrToFloat(QStringLiteral("0.1")) * 3)), "0.3");
}

TEST(SysUtilsRounding, RoundTruncFracInt) {
    EXPECT_EQ(Round(-0.5L), 0);
    EXPECT_EQ(Round(-1.5L), -2);
    EXPECT_EQ(Round(0.49999999999999994L), 0);
    EXPECT_EQ(Trunc(-2.9L), -2);
    EXPECT_EQ(Trunc(9223372036854775808.0L - 1024), 9223372036854774784);  // 2^63 - 1024
    EXPECT_THROW(Trunc(9.3e18L), EInvalidOp);
    EXPECT_THROW(Trunc(std::nanl("")), EInvalidOp);
    EXPECT_THROW(Round(std::numeric_limits<long double>::infinity()), EInvalidOp);
    EXPECT_EQ(Frac(-2.25L), -0.25L);
    EXPECT_EQ(Int(-2.75L), -2.0L);
}

TEST(SysUtilsCurrency, ExactDecimalArithmetic) {
    const Currency tenth = StrToCurr(QStringLiteral("0.1"));
    Currency sum;
    for (int i = 0; i < 10; ++i) sum += tenth;
    EXPECT_EQ(sum, Currency(1));
    EXPECT_EQ(str(CurrToStr(StrToCurr(QStringLiteral("1234.5678")) - Currency(1234))), "0.5678");
    EXPECT_EQ(str(CurrToStr(-StrToCurr(QStringLiteral("0.0001")))), "-0.0001");
    EXPECT_EQ(str(CurrToStr(Currency::FromRaw(kMin))), "-922337203685477.5808");
    EXPECT_EQ(str(CurrToStr(Currency::FromRaw(kMax))), "922337203685477.5807");
}

TEST(SysUtilsCurrency, ProductAndQuotientRoundTheLastDigitHalfToEven) {
    // 0.0005 x 0.5 = 0.00025 -> 0.0002; 0.0015 x 0.5 = 0.00075 -> 0.0008.
    EXPECT_EQ((Currency::FromRaw(5) * StrToCurr(QStringLiteral("0.5"))).Raw(), 2);
    EXPECT_EQ((Currency::FromRaw(15) * StrToCurr(QStringLiteral("0.5"))).Raw(), 8);
    EXPECT_EQ((Currency(1) / Currency(3)).Raw(), 3333);
    EXPECT_EQ((Currency(2) / Currency(3)).Raw(), 6667);
    EXPECT_EQ((Currency(-2) / Currency(3)).Raw(), -6667);
    EXPECT_EQ((Currency::FromRaw(1) / Currency(2)).Raw(), 0);  // 0.00005 -> 0.0000 (even)
    EXPECT_EQ((Currency::FromRaw(3) / Currency(2)).Raw(), 2);  // 0.00015 -> 0.0002
    EXPECT_EQ((StrToCurr(QStringLiteral("1.08")) * StrToCurr(QStringLiteral("12345.67"))).Raw(), 133333236);
}

TEST(SysUtilsCurrency, OverflowAndDivisionByZeroRaise) {
    const Currency big = Currency::FromRaw(kMax);
    EXPECT_THROW(big + Currency::FromRaw(1), EOverflow);
    EXPECT_THROW(Currency::FromRaw(kMin) - Currency::FromRaw(1), EOverflow);
    EXPECT_THROW(-Currency::FromRaw(kMin), EOverflow);
    EXPECT_THROW(big * Currency(2), EOverflow);
    EXPECT_THROW(Currency(1) / Currency(), EZeroDivide);
    EXPECT_THROW(big / StrToCurr(QStringLiteral("0.5")), EOverflow);
    Currency out = Currency(7);
    EXPECT_FALSE(Currency::TryAdd(big, big, out));
    EXPECT_EQ(out, Currency(7));  // untouched on failure
    EXPECT_FALSE(Currency::TryMul(big, big, out));
    EXPECT_TRUE(Currency::TrySub(Currency(1), Currency(3), out));
    EXPECT_EQ(out, Currency(-2));
}

TEST(SysUtilsCurrency, FromDoubleRoundsHalfToEvenAndChecksRange) {
    EXPECT_EQ(Currency::FromDouble(1.005).Raw(), 10050);
    EXPECT_EQ(Currency::FromDouble(0.00005L).Raw(), 0);
    EXPECT_EQ(Currency::FromDouble(0.00015L).Raw(), 2);
    EXPECT_EQ(Currency::FromDouble(-12.5).Raw(), -125000);
    EXPECT_THROW(Currency::FromDouble(1e15), EOverflow);
    EXPECT_THROW(Currency::FromDouble(std::nanl("")), EInvalidOp);
    Currency c;
    EXPECT_FALSE(Currency::TryFromDouble(-1e15, c));
    EXPECT_EQ(Currency::FromDouble(-922337203685477.5L).Raw(), -9223372036854775000);
}

TEST(SysUtilsCurrency, StrToCurrForms) {
    EXPECT_EQ(StrToCurrDef(QStringLiteral("x"), Currency(9)), Currency(9));
    EXPECT_EQ(StrToCurrDef(QStringLiteral(" -1.5 "), Currency(9)).Raw(), -15000);
    EXPECT_THROW(StrToCurr(QStringLiteral("1,000")), EConvertError);
    EXPECT_THROW(StrToCurr(QStringLiteral("1e15")), EConvertError);
    EXPECT_EQ(StrToCurr(QStringLiteral("0.000049999")).Raw(), 0);
    EXPECT_EQ(StrToCurr(QStringLiteral("0.00005000001")).Raw(), 1);
}

}  // namespace
