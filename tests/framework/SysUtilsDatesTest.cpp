#include "SysUtils.h"

#include <gtest/gtest.h>

#include <QtCore/QDateTime>
#include <QtCore/QElapsedTimer>

#include <cmath>

namespace {

std::string str(const QString& s) { return s.toStdString(); }

class SysUtilsDates : public ::testing::Test {
protected:
    void TearDown() override {
        SetClockForTesting(nullptr);
        SetFormatSettings(JapaneseFormatSettings());
    }
};

TEST_F(SysUtilsDates, EncodeAndDecodeAroundTheEpoch) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(2024, 5, 3), 45415.0);
    EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
    EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465.0);
    EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
    EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    Word y, m, d, h, n, s, z;
    // Before the epoch the fraction still counts forward from midnight.
    DecodeDate(-1.25, y, m, d);
    DecodeTime(-1.25, h, n, s, z);
    EXPECT_EQ((std::vector<int>{y, m, d, h, n, s, z}), (std::vector<int>{1899, 12, 29, 6, 0, 0, 0}));
    DecodeDate(EncodeDate(2000, 2, 29) + EncodeTime(23, 59, 59, 999), y, m, d);
    DecodeTime(EncodeDate(2000, 2, 29) + EncodeTime(23, 59, 59, 999), h, n, s, z);
    EXPECT_EQ((std::vector<int>{y, m, d, h, n, s, z}), (std::vector<int>{2000, 2, 29, 23, 59, 59, 999}));
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 5, 3)), 6);  // Friday
    EXPECT_EQ(DayOfWeek(-1), 6);                      // 1899-12-29, a Friday too
}

TEST_F(SysUtilsDates, OutOfRangeValuesDecodeAsZeros) {
    Word y = 1, m = 1, d = 1;
    DecodeDate(std::nan(""), y, m, d);
    EXPECT_EQ(y + m + d, 0);
    DecodeDate(1e300, y, m, d);
    EXPECT_EQ(y + m + d, 0);
    EXPECT_EQ(DayOfWeek(-1e9), 0);
    EXPECT_EQ(str(FormatDateTime(QStringLiteral("yyyy/mm/dd"), std::nan(""))), "0000/00/00");
}

TEST_F(SysUtilsDates, CalendarHelpers) {
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_EQ(DaysInAMonth(2024, 2), 29);
    EXPECT_EQ(DaysInAMonth(2024, 13), 0);
    EXPECT_TRUE(IsValidDate(2024, 2, 29));
    EXPECT_FALSE(IsValidDate(2024, 4, 31));
    EXPECT_FALSE(IsValidTime(12, 60, 0, 0));
}

TEST_F(SysUtilsDates, ShortYearsFollowTheClock) {
    SetClockForTesting([] { return EncodeDate(2060, 1, 1); });
    EXPECT_EQ(StrToDate(QStringLiteral("10/1/1")), EncodeDate(2010, 1, 1));  // window 2010..2109
    EXPECT_EQ(StrToDate(QStringLiteral("9/1/1")), EncodeDate(2109, 1, 1));
    EXPECT_EQ(StrToDate(QStringLiteral("2/29")), EncodeDate(2060, 2, 29));
    SetClockForTesting([] { return EncodeDate(2061, 1, 1); });
    EXPECT_THROW(StrToDate(QStringLiteral("2/29")), EConvertError);  // 2061 has no 29 February
    TFormatSettings fs = JapaneseFormatSettings();
    fs.TwoDigitYearCenturyWindow = 0;
    SetFormatSettings(fs);
    EXPECT_EQ(StrToDate(QStringLiteral("24/5/3")), EncodeDate(24, 5, 3));
}

TEST_F(SysUtilsDates, StrictAndLenientForms) {
    EXPECT_THROW(StrToDateTime(QStringLiteral("2009/2/30")), EConvertError);
    EXPECT_EQ(StrToDateTimeDef(QStringLiteral("2009/2/30"), 1.0), 1.0);
    EXPECT_EQ(StrToDateDef(QStringLiteral("2009/2/28 10:00"), 1.0), 1.0);  // a date alone
    EXPECT_THROW(StrToTime(QStringLiteral("2009/2/28")), EConvertError);
    EXPECT_NEAR(StrToTime(QStringLiteral("6:00")), 0.25, 1e-12);
    // Before the epoch the time is subtracted, so it still reads forward.
    EXPECT_NEAR(StrToDateTime(QStringLiteral("1899/12/29 06:00")), -1.25, 1e-12);
    TDateTime out = 5;
    EXPECT_FALSE(TryStrToDateTime(QStringLiteral("12:30 2024/1/1"), out));
    EXPECT_EQ(out, 5.0);
}

TEST_F(SysUtilsDates, ParserUsesTheSeparatorsOfTheSettings) {
    TFormatSettings fs = JapaneseFormatSettings();
    fs.DateSeparator = u'-';
    fs.TimeSeparator = u'.';
    SetFormatSettings(fs);
    EXPECT_NEAR(StrToDateTime(QStringLiteral("2024-5-3 13.30")), EncodeDate(2024, 5, 3) + 13.5 / 24, 1e-9);
    EXPECT_THROW(StrToDate(QStringLiteral("2024/5/3")), EConvertError);
    EXPECT_EQ(str(FormatDateTime(QStringLiteral("yyyy/mm/dd hh:nn"), EncodeDate(2024, 5, 3))), "2024-05-03 00.00");
}

TEST_F(SysUtilsDates, FormatDateTimeNamedTokens) {
    const TDateTime d = EncodeDate(2024, 5, 3) + EncodeTime(15, 4, 5, 6);
    EXPECT_EQ(str(FormatDateTime(QStringLiteral("c"), d)), "2024/05/03 15:04:05");
    EXPECT_EQ(str(FormatDateTime(QStringLiteral("c"), EncodeDate(2024, 5, 3))), "2024/05/03");
    EXPECT_EQ(str(DateToStr(d)), "2024/05/03");
    EXPECT_EQ(str(TimeToStr(d)), "15:04:05");
    EXPECT_EQ(str(DateTimeToStr(d)), "2024/05/03 15:04:05");
    EXPECT_EQ(str(FormatDateTime(QStringLiteral("dddddd"), d)), "2024年5月3日");
    EXPECT_EQ(str(FormatDateTime(QStringLiteral("t|tt"), d)), "15:04|15:04:05");
    EXPECT_EQ(str(FormatDateTime(QStringLiteral("h:nn am/pm|h AMPM|a/p|z|zzz"), d)), "3:04 pm|3 午後|p|6|006");
    EXPECT_EQ(str(FormatDateTime(QStringLiteral("h AM/PM"), EncodeTime(0, 30, 0, 0))), "12 AM");
    EXPECT_EQ(str(FormatDateTime(QStringLiteral("HH:MM YYYY"), d)), "15:04 2024");
}

TEST_F(SysUtilsDates, SettingsThatNameEachOtherStop) {
    TFormatSettings fs = JapaneseFormatSettings();
    fs.ShortDateFormat = QStringLiteral("c");
    SetFormatSettings(fs);
    EXPECT_NO_THROW(FormatDateTime(QStringLiteral("c"), 1.5));
}

TEST_F(SysUtilsDates, ClockCanBeFixedAndRestored) {
    SetClockForTesting([] { return 45415.75; });
    EXPECT_EQ(Now(), 45415.75);
    EXPECT_EQ(Date(), 45415.0);
    EXPECT_EQ(Time(), 0.75);
    SetClockForTesting(nullptr);
    const QDate today = QDate::currentDate();
    const TDateTime now = Now();
    // The system clock again (allowing for a midnight between the two reads).
    EXPECT_GE(now, EncodeDate(Word(today.year()), Word(today.month()), Word(today.day())));
    EXPECT_LT(now, EncodeDate(Word(today.year()), Word(today.month()), Word(today.day())) + 2);
}

TEST_F(SysUtilsDates, FileDatesAreLocalTime) {
    const QDateTime local = QDateTime::fromSecsSinceEpoch(1714700000);
    const TDateTime d = FileDateToDateTime(1714700000);
    EXPECT_EQ(str(FormatDateTime(QStringLiteral("yyyy/mm/dd hh:nn:ss"), d)),
              str(local.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"))));
}

// A long run of one letter (or of quotes) costs its length, not its
// square: a million letters would take minutes otherwise.
TEST_F(SysUtilsDates, LongRunsOfOneLetterFormatInLinearTime) {
    const TDateTime d = EncodeDate(2009, 5, 13) + EncodeTime(7, 8, 9, 0);
    QElapsedTimer clock;
    clock.start();
    const QString days = FormatDateTime(QString(1000002, u'd'), d);
    const QString quotes = FormatDateTime(QString(1000000, u'"'), d);
    const QString minutes = FormatDateTime(QStringLiteral("h") + QString(1000000, u'm'), d);
    EXPECT_LT(clock.elapsed(), 10000);
    // 166,667 runs of six: the long date each time.
    EXPECT_EQ(days.size(), 166667 * FormatDateTime(QStringLiteral("dddddd"), d).size());
    EXPECT_EQ(quotes, QString());
    EXPECT_TRUE(minutes.startsWith(QStringLiteral("708")));
    EXPECT_EQ(FormatDateTime(QStringLiteral("yyyyyy/ddddddd"), d),
              FormatDateTime(QStringLiteral("yyyy/dddddd"), d) + QStringLiteral("13"));
}

}  // namespace
