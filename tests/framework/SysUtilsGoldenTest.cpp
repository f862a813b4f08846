// Replays tests/framework/golden/runtime_golden.tsv, whose expectations
// gen_runtime.py computes independently (Python decimal, datetime, cp932).
#include "SysUtils.h"
#include "Windows.h"

#include <gtest/gtest.h>

#include <QtCore/QFile>
#include <QtCore/QStringList>

#include <cmath>
#include <cstdlib>
#include <map>
#include <vector>

namespace {

struct Row {
    int line;
    QStringList fields;  // fields[0] is the kind
};

const std::map<QString, std::vector<Row>>& goldenRows() {
    static const std::map<QString, std::vector<Row>> rows = [] {
        std::map<QString, std::vector<Row>> byKind;
        QFile file(QStringLiteral(VELMORA_SOURCE_DIR "/tests/framework/golden/runtime_golden.tsv"));
        if (!file.open(QIODevice::ReadOnly)) return byKind;
        int line = 0;
        while (!file.atEnd()) {
            QString text = QString::fromUtf8(file.readLine());
            ++line;
            if (text.endsWith(u'\n')) text.chop(1);
            if (text.startsWith(u'#') || text.isEmpty()) continue;
            QStringList fields = text.split(u'\t');
            byKind[fields[0]].push_back({line, fields});
        }
        return byKind;
    }();
    return rows;
}

const std::vector<Row>& rowsOf(const char* kind) {
    static const std::vector<Row> none;
    const auto& all = goldenRows();
    const auto it = all.find(QString::fromLatin1(kind));
    return it == all.end() ? none : it->second;
}

// "d:<hex>" is a double, "L:<hex>" an extended; both read by the C library.
bool isExtended(const QString& field) { return field.startsWith(u'L'); }
long double numberOf(const QString& field) {
    const QByteArray text = field.mid(2).toLatin1();
    return isExtended(field) ? std::strtold(text.constData(), nullptr) : std::strtod(text.constData(), nullptr);
}
TVarRec argOf(const QString& field) {
    return isExtended(field) ? TVarRec(numberOf(field)) : TVarRec(double(numberOf(field)));
}

QString codePoints(const QString& s) {
    QStringList parts;
    for (char32_t c : s.toUcs4()) parts << QString::number(c, 16).toUpper().rightJustified(4, u'0');
    return parts.join(u' ');
}

QString fromCodePoints(const QString& hex) {
    std::vector<char32_t> cps;
    for (const QString& p : hex.split(u' ', Qt::SkipEmptyParts)) cps.push_back(char32_t(p.toUInt(nullptr, 16)));
    return QString::fromUcs4(cps.data(), qsizetype(cps.size()));
}

TDateTime dateTimeOf(const QString& days, const QString& ms) {
    const double d = days.toDouble();
    const double t = ms.toDouble() / 86400000.0;
    return d < 0 ? d - t : d + t;
}

std::string str(const QString& s) { return s.toStdString(); }

class Golden : public ::testing::Test {
protected:
    void SetUp() override {
        SetFormatSettings(JapaneseFormatSettings());
        SetClockForTesting([] { return EncodeDate(2025, 6, 15) + 10.0 / 24; });
    }
    void TearDown() override { SetClockForTesting(nullptr); }
};

#define FOR_ROWS(kind)                                                     \
    ASSERT_FALSE(rowsOf(kind).empty()) << "no golden rows of kind " kind; \
    for (const Row& row : rowsOf(kind))
#define TRACE_ROW SCOPED_TRACE("runtime_golden.tsv line " + std::to_string(row.line))

TEST_F(Golden, FloatToStrFifteenDigitsAndExponentThresholds) {
    FOR_ROWS("FloatToStr") {
        TRACE_ROW;
        EXPECT_EQ(str(FloatToStr(numberOf(row.fields[1]))), str(row.fields[2]));
    }
}

TEST_F(Golden, FormatFloatMasks) {
    FOR_ROWS("FormatFloat") {
        TRACE_ROW;
        EXPECT_EQ(str(FormatFloat(row.fields[1], numberOf(row.fields[2]))), str(row.fields[3])) << "mask " << row.fields[1].toStdString();
    }
}

TEST_F(Golden, FormatFloatSpecifiers) {
    FOR_ROWS("Format") {
        TRACE_ROW;
        EXPECT_EQ(str(Format(row.fields[1], {argOf(row.fields[2])})), str(row.fields[3])) << row.fields[1].toStdString();
    }
}

TEST_F(Golden, FormatIntegerSpecifiers) {
    FOR_ROWS("FormatInt") {
        TRACE_ROW;
        EXPECT_EQ(str(Format(row.fields[1], {row.fields[2].toLongLong()})), str(row.fields[3])) << row.fields[1].toStdString();
    }
}

TEST_F(Golden, RoundHalvesToEvenAndRejectsOutOfRange) {
    FOR_ROWS("Round") {
        TRACE_ROW;
        const long double v = std::strtod(row.fields[1].toLatin1().constData(), nullptr);
        if (row.fields[2] == u"EInvalidOp") EXPECT_THROW(Round(v), EInvalidOp);
        else EXPECT_EQ(Round(v), row.fields[2].toLongLong());
    }
    FOR_ROWS("RoundL") {
        TRACE_ROW;
        EXPECT_EQ(Round(std::strtold(row.fields[1].toLatin1().constData(), nullptr)), row.fields[2].toLongLong());
    }
}

TEST_F(Golden, MulDivHalvesAwayFromZero) {
    FOR_ROWS("MulDiv") {
        TRACE_ROW;
        EXPECT_EQ(MulDiv(row.fields[1].toInt(), row.fields[2].toInt(), row.fields[3].toInt()), row.fields[4].toInt());
    }
}

TEST_F(Golden, StrToFloatStrictAndLenient) {
    FOR_ROWS("StrToFloat") {
        TRACE_ROW;
        const QString& text = row.fields[1];
        if (row.fields[2] == u"FAIL") {
            EXPECT_THROW(StrToFloat(text), EConvertError) << text.toStdString();
            EXPECT_EQ(StrToFloatDef(text, 42.5L), 42.5L);
        } else {
            const long double expected = std::strtold(row.fields[2].toLatin1().constData(), nullptr);
            EXPECT_EQ(StrToFloat(text), expected) << text.toStdString();
            EXPECT_EQ(StrToFloatDef(text, 42.5L), expected);
        }
    }
}

TEST_F(Golden, StrToIntegerForms) {
    FOR_ROWS("StrToInt64Def") {
        TRACE_ROW;
        EXPECT_EQ(StrToInt64Def(row.fields[1], 777), row.fields[2].toLongLong()) << row.fields[1].toStdString();
    }
    FOR_ROWS("StrToIntDef") {
        TRACE_ROW;
        EXPECT_EQ(StrToIntDef(row.fields[1], 777), row.fields[2].toInt()) << row.fields[1].toStdString();
    }
}

TEST_F(Golden, StrToCurrRoundsToFourPlaces) {
    FOR_ROWS("StrToCurr") {
        TRACE_ROW;
        Currency c;
        const bool ok = TryStrToCurr(row.fields[1], c);
        if (row.fields[2] == u"FAIL") {
            EXPECT_FALSE(ok) << row.fields[1].toStdString();
        } else {
            ASSERT_TRUE(ok) << row.fields[1].toStdString();
            EXPECT_EQ(c.Raw(), row.fields[2].toLongLong()) << row.fields[1].toStdString();
        }
    }
}

TEST_F(Golden, StrToDateTimeParser) {
    FOR_ROWS("StrToDateTime") {
        TRACE_ROW;
        TDateTime d = 0;
        const bool ok = TryStrToDateTime(row.fields[1], d);
        if (row.fields[2] == u"FAIL") {
            EXPECT_FALSE(ok) << row.fields[1].toStdString();
            EXPECT_EQ(StrToDateTimeDef(row.fields[1], 1.0), 1.0);
        } else {
            ASSERT_TRUE(ok) << row.fields[1].toStdString();
            EXPECT_EQ(std::llround(d * 86400000.0), std::llround(dateTimeOf(row.fields[2], row.fields[3]) * 86400000.0))
                << row.fields[1].toStdString();
        }
    }
}

TEST_F(Golden, FormatDateTimeTokens) {
    FOR_ROWS("FormatDateTime") {
        TRACE_ROW;
        EXPECT_EQ(str(FormatDateTime(row.fields[1], dateTimeOf(row.fields[2], row.fields[3]))), str(row.fields[4]))
            << row.fields[1].toStdString() << " on day " << row.fields[2].toStdString();
    }
}

TEST_F(Golden, Cp932Conversion) {
    FOR_ROWS("WideToAnsi") {
        TRACE_ROW;
        EXPECT_EQ(WideToAnsi(fromCodePoints(row.fields[1])).toHex().toStdString(), str(row.fields[2])) << row.fields[1].toStdString();
    }
    FOR_ROWS("AnsiToWide") {
        TRACE_ROW;
        EXPECT_EQ(str(codePoints(AnsiToWide(QByteArray::fromHex(row.fields[1].toLatin1())))), str(row.fields[2]))
            << row.fields[1].toStdString();
    }
}

}  // namespace
