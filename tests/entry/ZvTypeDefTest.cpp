#include "ZvTypeDef.h"

#include <gtest/gtest.h>

#include <QtCore/QFile>
#include <QtCore/QStringList>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

const QString kPair = QStringLiteral("\U0001F600");  // one character, two units
const QChar kHigh(char16_t(0xD83D));
const QChar kLow(char16_t(0xDE00));

QString units(std::initializer_list<char16_t> list) {
    QString s;
    for (char16_t u : list) s += QChar(u);
    return s;
}

TEST(ZvTypeDef, OrdinalsAndNamesFollowTheDeclaredOrder) {
    // Set bits and stored identifiers depend on these positions.
    EXPECT_EQ(int(ekMouse), 6);
    EXPECT_EQ(TExitKeys({ekReturn, ekMouse}).Bits(), 0x41u);
    EXPECT_EQ(int(ntgWareki), 9);
    EXPECT_EQ(int(erNeeded), 7);
    EXPECT_EQ(int(crBottomMost), 11);
    EXPECT_EQ(int(daTemp), 4);
    EXPECT_EQ(int(vaClient), 4);
    EXPECT_STREQ(NumericTypeNames[ntZeroFillInteger], "ntZeroFillInteger");
    EXPECT_STREQ(NumericTypeNames[ntTimehms], "ntTimehms");
    EXPECT_EQ(std::size(NumericTypeNames), size_t(ntTimehms) + 1);
    EXPECT_STREQ(CharTypeNames[ctDQuoted], "ctDQuoted");
    EXPECT_EQ(std::size(CharTypeNames), size_t(ctDQuoted) + 1);
    EXPECT_STREQ(AlignmentNames[taCenter], "taCenter");
}

TEST(ZvTypeDef, AFlagScopePutsTheOldValueBackAlsoWhenAnErrorLeavesIt) {
    bool flag = false;
    {
        TFlagScope guard(flag);
        EXPECT_TRUE(flag);
        {
            TFlagScope inner(flag, false);
            EXPECT_FALSE(flag);
        }
        EXPECT_TRUE(flag);
    }
    EXPECT_FALSE(flag);
    try {
        TFlagScope guard(flag);
        throw std::runtime_error("step failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(flag) << "a failed step leaves no guard set behind";
}

TEST(TextRoutines, SurrogateRangesEndExactly) {
    EXPECT_FALSE(IsHighSurrogate(QChar(char16_t(0xD7FF))));
    EXPECT_TRUE(IsHighSurrogate(QChar(char16_t(0xD800))));
    EXPECT_TRUE(IsHighSurrogate(QChar(char16_t(0xDBFF))));
    EXPECT_FALSE(IsHighSurrogate(QChar(char16_t(0xDC00))));
    EXPECT_TRUE(IsLowSurrogate(QChar(char16_t(0xDC00))));
    EXPECT_TRUE(IsLowSurrogate(QChar(char16_t(0xDFFF))));
    EXPECT_FALSE(IsLowSurrogate(QChar(char16_t(0xE000))));
    EXPECT_FALSE(IsLowSurrogate(QChar(char16_t(0xDBFF))));
}

TEST(TextRoutines, CodePointCountCountsAPairOnce) {
    EXPECT_EQ(CodePointCount(QStringLiteral("A") + kPair), 2);
    EXPECT_EQ(CodePointCount(QString(kLow)), 0);   // a lone low surrogate counts nothing
    EXPECT_EQ(CodePointCount(QString(kHigh)), 1);  // a lone high surrogate counts one
    EXPECT_EQ(CodePointCount(QString()), 0);
    EXPECT_EQ(CodePointCount(QStringLiteral("日本語")), 3);
    EXPECT_EQ(CodePointCount(units({u'a', 0, u'b'})), 1);  // stops at a zero unit
    EXPECT_EQ(CodePointCountBuf(nullptr), 0);
}

TEST(TextRoutines, CodePointRangeFindsUnitPositions) {
    const QString s = QStringLiteral("a") + kPair + QStringLiteral("b");
    TCodePointRange r;
    CodePointRange(s, 2, 1, r);
    EXPECT_EQ(r.First, 2);
    EXPECT_EQ(r.Last, 3);
    EXPECT_EQ(r.Len, 2);
    CodePointRange(s, 2, 5, r);  // past the end: up to the last unit
    EXPECT_EQ(r.First, 2);
    EXPECT_EQ(r.Last, 4);
    EXPECT_EQ(r.Len, 3);
    CodePointRange(s, 4, 1, r);  // beyond the last character
    EXPECT_EQ(r.First, 0);
    CodePointRange(QString(), 3, 2, r);  // an empty text keeps the preset
    EXPECT_EQ(r.First, 3);
    EXPECT_EQ(r.Last, 4);
    EXPECT_EQ(r.Len, 2);
    // A high surrogate ending the text is one unit: the range stays inside.
    CodePointRange(QStringLiteral("a") + kHigh, 2, 1, r);
    EXPECT_EQ(r.First, 2);
    EXPECT_EQ(r.Last, 2);
    EXPECT_EQ(r.Len, 1);
}

TEST(TextRoutines, CopyCodePointsKeepsPairsWhole) {
    const QString s = QStringLiteral("a") + kPair + QStringLiteral("b");
    EXPECT_EQ(CopyCodePoints(s, 2, 1), kPair);
    EXPECT_EQ(CopyCodePoints(s, 1, 2), QStringLiteral("a") + kPair);
    EXPECT_EQ(CopyCodePoints(s, 3, 1), QStringLiteral("b"));
    EXPECT_EQ(CopyCodePoints(s, 4, 1), QString());
    EXPECT_EQ(CopyCodePoints(s, 2, 10), kPair + QStringLiteral("b"));
    EXPECT_EQ(CopyCodePoints(s, 1, 0), QString());
    EXPECT_EQ(CopyCodePoints(s, 2, 0), QString());
    EXPECT_EQ(CopyCodePoints(s, 0, 2), QString());
    EXPECT_EQ(CopyCodePoints(s, 1, -1), QString());
    EXPECT_EQ(CopyCodePoints(QString(), 1, 1), QString());
    EXPECT_EQ(CopyCodePoints(s, 2, std::numeric_limits<Integer>::max()), kPair + QStringLiteral("b"));
    // The walk counts a lone low surrogate as a character of its own.
    EXPECT_EQ(CopyCodePoints(QStringLiteral("a") + kLow + QStringLiteral("b"), 2, 1), QString(kLow));
}

TEST(TextRoutines, DisplayWidthOfTheTwoNarrowRanges) {
    EXPECT_EQ(StrDisplayWidth(QStringLiteral("ｱｲｳ")), 3);
    EXPECT_EQ(StrDisplayWidth(QStringLiteral("アイウ")), 6);
    EXPECT_EQ(StrDisplayWidth(QStringLiteral("ａ")), 1);  // full-width lower case counts narrow
    EXPECT_EQ(StrDisplayWidth(QStringLiteral("Ａ")), 2);
    EXPECT_EQ(StrDisplayWidth(QStringLiteral("~")), 1);
    EXPECT_EQ(StrDisplayWidth(QStringLiteral(" ")), 1);
    EXPECT_EQ(StrDisplayWidth(QStringLiteral("\t")), 2);
    EXPECT_EQ(StrDisplayWidth(QString(QChar(char16_t(0x7F)))), 2);
    EXPECT_EQ(StrDisplayWidth(QString(QChar(char16_t(0xFF3F)))), 2);  // ＿ just below the range
    EXPECT_EQ(StrDisplayWidth(QString(QChar(char16_t(0xFF40)))), 1);
    EXPECT_EQ(StrDisplayWidth(QString(QChar(char16_t(0xFF5B)))), 1);
    EXPECT_EQ(StrDisplayWidth(QString(QChar(char16_t(0xFF60)))), 1);
    EXPECT_EQ(StrDisplayWidth(QString(QChar(char16_t(0xFF61)))), 1);
    EXPECT_EQ(StrDisplayWidth(QString(QChar(char16_t(0xFF9F)))), 1);
    EXPECT_EQ(StrDisplayWidth(QString(QChar(char16_t(0xFFA0)))), 2);
    EXPECT_EQ(StrDisplayWidth(QString(QChar(char16_t(0x3000)))), 2);
    EXPECT_EQ(StrDisplayWidth(kPair), 2);
    EXPECT_EQ(StrDisplayWidth(QString()), 0);
    EXPECT_EQ(StrDisplayWidth(QStringLiteral("Aｱア") + kPair), 6);
}

// The width as its definition reads: character by character through the
// public routines, comparing each character as a string.
Integer widthByDefinition(const QString& s) {
    Integer width = 0;
    for (Integer k = 1; k <= CodePointCount(s); ++k) {
        const QString c = CopyCodePoints(s, k, 1);
        const bool narrow = (c >= QStringLiteral(" ") && c <= QStringLiteral("~")) ||
                            (c >= QString(QChar(char16_t(0xFF40))) && c <= QString(QChar(char16_t(0xFF9F))));
        width += narrow ? 1 : 2;
    }
    return width;
}

TEST(TextRoutines, DisplayWidthMatchesItsDefinitionOnOddTexts) {
    const std::vector<char16_t> alphabet = {u'a', u'~', 0x7F, u'\t', 0xFF71, 0x30A2, 0xFF40, 0xFF60, 0xFF3F,
                                            0xFFA0, 0xD83D, 0xDE00, 0xDBFF, 0xDC00, 0x3000, 0xFF41, 0};
    std::mt19937 rng(1234);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 7);
    for (int round = 0; round < 5000; ++round) {
        QString s;
        for (int i = length(rng); i > 0; --i) s += QChar(alphabet[pick(rng)]);
        ASSERT_EQ(StrDisplayWidth(s), widthByDefinition(s)) << "units: " << s.toUcs4().size();
    }
}

TEST(TextRoutines, CutToDisplayWidthKeepsWholeCharactersWithinTheWidth) {
    EXPECT_EQ(CutToDisplayWidth(QStringLiteral("あいう"), 4), QStringLiteral("あい"));
    EXPECT_EQ(CutToDisplayWidth(QStringLiteral("aあ"), 2), QStringLiteral("a"));  // a wide character is not split
    EXPECT_EQ(CutToDisplayWidth(QStringLiteral("a") + kPair + QStringLiteral("b"), 3), QStringLiteral("a") + kPair);
    EXPECT_EQ(CutToDisplayWidth(QStringLiteral("ab"), 0), QString());
    EXPECT_EQ(CutToDisplayWidth(QStringLiteral("ab"), 5), QStringLiteral("ab"));
    EXPECT_EQ(CutToDisplayWidth(QString(), 3), QString());
    EXPECT_EQ(CutToDisplayWidth(units({u'a', 0, u'b'}), 3), QStringLiteral("a"));  // ends at a zero unit
}

// The longest prefix of whole characters whose width by definition fits.
QString cutByDefinition(const QString& s, Integer width) {
    QString kept;
    for (Integer n = 1; n <= CodePointCount(s); ++n) {
        const QString prefix = CopyCodePoints(s, 1, n);
        if (widthByDefinition(prefix) > width) break;
        kept = prefix;
    }
    return kept;
}

TEST(TextRoutines, CutToDisplayWidthMatchesItsDefinition) {
    const QStringList alphabet = {QStringLiteral("a"), QStringLiteral("~"), QStringLiteral("\t"), QStringLiteral("ｱ"),
                                  QStringLiteral("ア"), QStringLiteral("ａ"), QStringLiteral("Ａ"), kPair};
    std::mt19937 rng(4321);
    std::uniform_int_distribution<qsizetype> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 9);
    std::uniform_int_distribution<int> width(0, 12);
    for (int round = 0; round < 5000; ++round) {
        QString s;
        for (int i = length(rng); i > 0; --i) s += alphabet[pick(rng)];
        const Integer w = width(rng);
        ASSERT_EQ(CutToDisplayWidth(s, w), cutByDefinition(s, w)) << "width " << w;
    }
}

TEST(TextRoutines, ToHalfWidthConvertsThroughTheTable) {
    EXPECT_EQ(ToHalfWidth(QStringLiteral("ガ")), QStringLiteral("ｶﾞ"));
    EXPECT_EQ(ToHalfWidth(QStringLiteral("パピプペポ")), QStringLiteral("ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ"));
    EXPECT_EQ(ToHalfWidth(QStringLiteral("、")), QStringLiteral(","));
    EXPECT_EQ(ToHalfWidth(QStringLiteral("，")), QStringLiteral("，"));
    EXPECT_EQ(ToHalfWidth(QStringLiteral("ABC")), QStringLiteral("ABC"));
    EXPECT_EQ(ToHalfWidth(QString(QChar(char16_t(0x3000)))), QStringLiteral(" "));
    EXPECT_EQ(ToHalfWidth(QStringLiteral("・ヴ＼")), QStringLiteral("・ヴ＼"));
    EXPECT_EQ(ToHalfWidth(QStringLiteral("￥\u201D\u2019")), QStringLiteral("\\\"'"));
    EXPECT_EQ(ToHalfWidth(QStringLiteral("ＡＢＣ１２３ａｂｃ漢字")), QStringLiteral("ABC123abc漢字"));
    EXPECT_EQ(ToHalfWidth(QStringLiteral("ｶﾞ") + kPair), QStringLiteral("ｶﾞ") + kPair);
    EXPECT_EQ(ToHalfWidth(QString()), QString());
}

// The pairs of the table as the edit controls read it: one half-width
// character each for the first 158, two for the voiced letters after them.
std::vector<std::pair<QString, QString>> tablePairs() {
    const QString& full = FullWidthTable();
    const QString& half = HalfWidthTable();
    std::vector<std::pair<QString, QString>> pairs;
    qsizetype h = 0;
    for (qsizetype k = 0; k < full.size(); ++k) {
        const qsizetype n = k < 158 ? 1 : 2;
        pairs.emplace_back(QString(full[k]), half.mid(h, n));
        h += n;
    }
    return pairs;
}

// tests/entry/golden/halfwidth_table.txt, written by halfwidth_table.py
// from Python's NFKC mappings and the table's deliberate departures.
std::vector<std::pair<QString, QString>> goldenPairs() {
    QFile file(QStringLiteral(VELMORA_SOURCE_DIR "/tests/entry/golden/halfwidth_table.txt"));
    std::vector<std::pair<QString, QString>> pairs;
    if (!file.open(QIODevice::ReadOnly)) return pairs;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.isEmpty()) continue;
        const QList<QByteArray> fields = line.split('\t');
        QString half;
        for (const QByteArray& code : fields.value(1).split(' ')) half += QChar(char16_t(code.toUInt(nullptr, 16)));
        pairs.emplace_back(QString(QChar(char16_t(fields[0].toUInt(nullptr, 16)))), half);
    }
    return pairs;
}

TEST(TextRoutines, HalfWidthTableMatchesUnicodeMappings) {
    EXPECT_EQ(FullWidthTable().size(), 183);
    EXPECT_EQ(HalfWidthTable().size(), 208);
    const auto golden = goldenPairs();
    ASSERT_EQ(golden.size(), 183u) << "golden table missing";

    auto ours = tablePairs();
    EXPECT_EQ(ours.size(), 183u);
    auto expected = golden;
    std::sort(ours.begin(), ours.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ours, expected);

    // Each full-width character converts to its first partner.
    QStringList seen;
    for (const auto& [full, half] : golden) {
        if (seen.contains(full)) continue;
        seen << full;
        EXPECT_EQ(ToHalfWidth(full), half) << "U+" << QString::number(full[0].unicode(), 16).toStdString();
    }
}

}  // namespace
