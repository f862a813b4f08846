// Tax, amount texts and lenient number reading of the voucher window,
// against values computed with Python's decimal module
// (golden/voucher_golden.py).
#include "UnGridTest.h"

#include "DemoTestSupport.h"

#include <QtCore/QFile>
#include <QtCore/QTextStream>

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

std::vector<QStringList> GoldenLines(const QString& kind) {
    QFile file(QStringLiteral(VELMORA_SOURCE_DIR "/tests/demo/golden/voucher_golden.tsv"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    std::vector<QStringList> lines;
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    while (!in.atEnd()) {
        const QStringList fields = in.readLine().split(u'\t');
        if (fields.size() > 1 && fields[0] == kind) lines.push_back(fields.mid(1));
    }
    return lines;
}

TEST(CalcTax, MatchesDecimalArithmeticInAllModes) {
    const auto lines = GoldenLines(QStringLiteral("tax"));
    ASSERT_GE(lines.size(), 20u);
    for (const QStringList& f : lines) {
        const Currency amount = StrToCurr(f[2]);
        const Currency rate = StrToCurr(f[3]);
        const Currency tax = CalcTax(f[0].toInt(), f[1].toInt(), amount, rate);
        EXPECT_EQ(tax, StrToCurr(f[4])) << "kind " << f[0].toStdString() << " mode " << f[1].toStdString()
                                        << " amount " << f[2].toStdString() << " rate " << f[3].toStdString();
    }
}

TEST(CalcTax, FivePerCentTableOfTheVoucher) {
    const std::pair<int, int> table[] = {{50, 3}, {70, 4}, {9, 0}, {30, 2}, {29, 1}, {10, 1}, {-300, -15}};
    for (auto [amount, tax] : table) EXPECT_EQ(CalcTax(2, 1, Currency(amount), Currency(5)), Currency(tax)) << amount;
}

TEST(CalcTax, ATaxThatDoesNotFitRaisesInsteadOfWrapping) {
    const Currency huge = Currency::FromRaw(std::numeric_limits<Int64>::max());
    EXPECT_THROW(CalcTax(2, 2, huge, Currency(200)), EOverflow);
    const Currency lowest = Currency::FromRaw(std::numeric_limits<Int64>::min());
    EXPECT_THROW(CalcTax(2, 1, lowest, Currency(100)), EOverflow);
    EXPECT_EQ(CalcTax(2, 1, lowest, Currency(5)), StrToCurr(QStringLiteral("-46116860184274")));
}

TEST(FormatAmount, GroupsAndRoundsAsTheDecimalModuleDoes) {
    const auto lines = GoldenLines(QStringLiteral("text"));
    ASSERT_GE(lines.size(), 10u);
    for (const QStringList& f : lines) {
        EXPECT_EQ(FormatAmount(f[0], f[1].toInt()), f[2]) << '"' << f[0].toStdString() << "\" with " << f[1].toStdString();
    }
}

TEST(FormatAmount, BadDecimalsGiveZeroNotAnError) {
    EXPECT_EQ(FormatAmount(QStringLiteral("12"), -3), QStringLiteral("0"));
}

TEST(StrToFloatSafe, ReadsNumbersLeniently) {
    EXPECT_EQ(StrToFloatSafe(QStringLiteral(" 1,234.5 ")), 1234.5L);
    EXPECT_EQ(StrToFloatSafe(QStringLiteral("-0.25")), -0.25L);
    EXPECT_EQ(StrToFloatSafe(QStringLiteral("+7")), 7.0L);
    EXPECT_EQ(StrToFloatSafe(QString()), 0.0L);
    EXPECT_EQ(StrToFloatSafe(QStringLiteral(",")), 0.0L);
    // Any other character, or text that is no number, gives 0.
    EXPECT_EQ(StrToFloatSafe(QStringLiteral("12a")), 0.0L);
    EXPECT_EQ(StrToFloatSafe(QStringLiteral("1E5")), 0.0L);
    EXPECT_EQ(StrToFloatSafe(QStringLiteral("1-2")), 0.0L);
    EXPECT_EQ(StrToFloatSafe(QStringLiteral("..")), 0.0L);
    EXPECT_EQ(StrToFloatSafe(QStringLiteral("１２")), 0.0L) << "full-width digits are not read";
}

}  // namespace
