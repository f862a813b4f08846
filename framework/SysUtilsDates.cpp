// Dates and times: TDateTime counts days since 1899-12-30, the time of day
// as the fraction. Before that day the fraction still counts forward from
// midnight (-1.25 is 1899-12-29 06:00).
#include "SysUtils.h"

#include <QtCore/QDateTime>

#include <cmath>

namespace {

constexpr Int64 kMSecsPerDay = 86400000;
constexpr Int64 kDaysTo1970 = 25569;  // 1970-01-01 as a TDateTime
constexpr long double kMinDate = -693593;  // 0001-01-01
constexpr long double kMaxDate = 2958466;  // 10000-01-01

std::function<TDateTime()>& clockOverride() {
    static std::function<TDateTime()> clock;
    return clock;
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
Int64 daysFromCivil(Int64 y, unsigned m, unsigned d) {
    y -= m <= 2;
    const Int64 era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + Int64(doe) - 719468;
}

void civilFromDays(Int64 z, Word& year, Word& month, Word& day) {
    z += 719468;
    const Int64 era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = Word(doy - (153 * mp + 2) / 5 + 1);
    month = Word(mp < 10 ? mp + 3 : mp - 9);
    year = Word(Int64(yoe) + era * 400 + (month <= 2));
}

// Whole days (toward zero) and milliseconds since midnight; false when the
// value lies outside years 1..9999 or is not a number.
bool splitDateTime(TDateTime d, Int64& days, Int64& msecs) {
    if (!(d >= kMinDate && d < kMaxDate)) return false;
    const Int64 total = Int64(std::nearbyint(std::fabs(static_cast<long double>(d)) * kMSecsPerDay));
    days = total / kMSecsPerDay;
    msecs = total % kMSecsPerDay;
    if (d < 0) days = -days;
    return true;
}

TDateTime combine(TDateTime date, TDateTime time) { return date < 0 ? date - time : date + time; }

TDateTime fromQDateTime(const QDateTime& dt) {
    const QDate date = dt.date();
    const QTime time = dt.time();
    return combine(EncodeDate(Word(date.year()), Word(date.month()), Word(date.day())),
                   EncodeTime(Word(time.hour()), Word(time.minute()), Word(time.second()), Word(time.msec())));
}

[[noreturn]] void badDate(const QString& what) { throw EConvertError(what); }

// ------------------------------------------------------------------ parsing

// Reads dates in year-month-day order and times h:n[:s[.z]] with the
// separators of the format settings; blanks may stand around each item.
class DateTimeScanner {
public:
    explicit DateTimeScanner(const QString& s) : s_(s) {}

    bool date(TDateTime& out) {
        const QChar sep = FormatSettings().DateSeparator;
        int n1 = 0, n2 = 0, n3 = 0, yearDigits = 0, ignored = 0;
        if (!number(n1, yearDigits) || !ch(sep) || !number(n2, ignored)) return false;
        int year, month, day;
        const qsizetype afterTwo = pos_;
        if (ch(sep) && number(n3, ignored)) {
            year = windowYear(n1, yearDigits);
            month = n2;
            day = n3;
        } else {
            pos_ = afterTwo;
            Word y, m, d;
            DecodeDate(Now(), y, m, d);
            year = y;
            month = n1;
            day = n2;
        }
        return TryEncodeDate(Word(year), Word(month), Word(day), out);
    }

    bool time(TDateTime& out) {
        const QChar sep = FormatSettings().TimeSeparator;
        int h = 0, n = 0, s = 0, ms = 0, digits = 0;
        if (!number(h, digits) || !ch(sep) || !number(n, digits)) return false;
        const qsizetype afterMinutes = pos_;
        if (ch(sep) && number(s, digits)) {
            const qsizetype afterSeconds = pos_;
            if (!(ch(FormatSettings().DecimalSeparator) && number(ms, digits))) pos_ = afterSeconds;
        } else {
            pos_ = afterMinutes;
        }
        return TryEncodeTime(Word(h), Word(n), Word(s), Word(ms), out);
    }

    bool atEnd() {
        blanks();
        return pos_ == s_.size();
    }
    void restart() { pos_ = 0; }

private:
    void blanks() {
        while (pos_ < s_.size() && s_[pos_] == u' ') ++pos_;
    }

    bool ch(QChar c) {
        blanks();
        if (pos_ < s_.size() && s_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    // One to four digits.
    bool number(int& value, int& digits) {
        blanks();
        value = 0;
        digits = 0;
        while (pos_ < s_.size() && s_[pos_] >= u'0' && s_[pos_] <= u'9') {
            if (++digits > 4) return false;
            value = value * 10 + (s_[pos_++].unicode() - u'0');
        }
        return digits > 0;
    }

    // A year of one or two digits lies within the window of years that ends
    // TwoDigitYearCenturyWindow years before the current one.
    static int windowYear(int year, int digits) {
        const Word window = FormatSettings().TwoDigitYearCenturyWindow;
        if (digits > 2 || window == 0) return year;
        Word y, m, d;
        DecodeDate(Now(), y, m, d);
        const int start = int(y) - window;
        year += start / 100 * 100;
        if (year < start) year += 100;
        return year;
    }

    const QString& s_;
    qsizetype pos_ = 0;
};

// --------------------------------------------------------------- formatting

QString twoDigits(int v) { return QString::number(v).rightJustified(2, u'0'); }

class DateTimeFormatter {
public:
    explicit DateTimeFormatter(TDateTime d) {
        Int64 days = 0, msecs = 0;
        if (splitDateTime(d, days, msecs)) {
            DecodeDate(d, year_, month_, day_);
            DecodeTime(d, hour_, minute_, second_, msec_);
            dayOfWeek_ = DayOfWeek(d);
        }
    }

    QString run(const QString& fmt, int depth = 0) {
        const bool twelveHour = hasAmPm(fmt);
        QString out;
        for (qsizetype i = 0; i < fmt.size();) i = token(fmt, i, twelveHour, depth, out);
        return out;
    }

private:
    static bool hasAmPm(const QString& fmt) {
        return fmt.contains(QLatin1String("am/pm"), Qt::CaseInsensitive) ||
               fmt.contains(QLatin1String("a/p"), Qt::CaseInsensitive) ||
               fmt.contains(QLatin1String("ampm"), Qt::CaseInsensitive);
    }

    // The length of the run of one letter at i, counted up to limit: a
    // token takes at most a few letters of a run, and counting it whole at
    // every token would cost the square of a long run.
    static qsizetype runLength(const QString& fmt, qsizetype i, qsizetype limit) {
        const QChar c = fmt[i].toLower();
        qsizetype n = 1;
        while (n < limit && i + n < fmt.size() && fmt[i + n].toLower() == c) ++n;
        return n;
    }

    // Writes the token at i and returns where the next one starts.
    qsizetype token(const QString& fmt, qsizetype i, bool twelveHour, int depth, QString& out) {
        const TFormatSettings& fs = FormatSettings();
        const QChar c = fmt[i];
        // A run of y is taken whole; no other token takes more than six.
        const qsizetype n = runLength(fmt, i, c.toLower() == u'y' ? fmt.size() : 6);
        switch (c.toLower().unicode()) {
        case u'"':
        case u'\'': {
            const qsizetype close = fmt.indexOf(c, i + 1);
            const qsizetype end = close < 0 ? fmt.size() : close;
            out += fmt.mid(i + 1, end - i - 1);
            return close < 0 ? fmt.size() : close + 1;
        }
        case u'y':
            out += n <= 2 ? twoDigits(year_ % 100) : QString::number(year_).rightJustified(4, u'0');
            last_ = u'y';
            return i + n;
        case u'm':
            if (last_ == u'h') {
                out += n == 1 ? QString::number(minute_) : twoDigits(minute_);
                last_ = u'n';
                return i + std::min<qsizetype>(n, 2);
            }
            out += monthText(std::min<qsizetype>(n, 4));
            last_ = u'm';
            return i + std::min<qsizetype>(n, 4);
        case u'd':
            out += dayText(std::min<qsizetype>(n, 6), depth);
            last_ = u'd';
            return i + std::min<qsizetype>(n, 6);
        case u'h': {
            int h = hour_;
            if (twelveHour) h = h % 12 == 0 ? 12 : h % 12;
            out += n == 1 ? QString::number(h) : twoDigits(h);
            last_ = u'h';
            return i + std::min<qsizetype>(n, 2);
        }
        case u'n':
            out += n == 1 ? QString::number(minute_) : twoDigits(minute_);
            last_ = u'n';
            return i + std::min<qsizetype>(n, 2);
        case u's':
            out += n == 1 ? QString::number(second_) : twoDigits(second_);
            last_ = u's';
            return i + std::min<qsizetype>(n, 2);
        case u'z':
            out += n >= 3 ? QString::number(msec_).rightJustified(3, u'0') : QString::number(msec_);
            return i + (n >= 3 ? 3 : 1);
        case u't':
            out += nested(n == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, depth);
            last_ = u'h';
            return i + std::min<qsizetype>(n, 2);
        case u'c':
            out += nested(fs.ShortDateFormat, depth);
            if (hour_ || minute_ || second_ || msec_) out += u' ' + nested(fs.LongTimeFormat, depth);
            return i + 1;
        case u'a':
            return amPm(fmt, i, out);
        case u'/':
            out += fs.DateSeparator;
            return i + 1;
        case u':':
            out += fs.TimeSeparator;
            return i + 1;
        default:
            out += c;
            return i + 1;
        }
    }

    QString nested(const QString& fmt, int depth) {
        if (depth > 2) return QString();  // settings that name each other
        return run(fmt, depth + 1);
    }

    QString monthText(qsizetype n) const {
        const TFormatSettings& fs = FormatSettings();
        if (n <= 2) return n == 1 ? QString::number(month_) : twoDigits(month_);
        if (month_ < 1 || month_ > 12) return QString();
        return n == 3 ? fs.ShortMonthNames[month_ - 1] : fs.LongMonthNames[month_ - 1];
    }

    QString dayText(qsizetype n, int depth) {
        const TFormatSettings& fs = FormatSettings();
        switch (n) {
        case 1: return QString::number(day_);
        case 2: return twoDigits(day_);
        case 3: return dayOfWeek_ ? fs.ShortDayNames[dayOfWeek_ - 1] : QString();
        case 4: return dayOfWeek_ ? fs.LongDayNames[dayOfWeek_ - 1] : QString();
        case 5: return nested(fs.ShortDateFormat, depth);
        default: return nested(fs.LongDateFormat, depth);
        }
    }

    // "am/pm" and "a/p" keep the case written; "ampm" uses the settings.
    qsizetype amPm(const QString& fmt, qsizetype i, QString& out) const {
        const bool pm = hour_ >= 12;
        const QStringView rest = QStringView(fmt).mid(i);
        if (rest.startsWith(QLatin1String("am/pm"), Qt::CaseInsensitive)) {
            out += rest.mid(pm ? 3 : 0, 2);
            return i + 5;
        }
        if (rest.startsWith(QLatin1String("a/p"), Qt::CaseInsensitive)) {
            out += rest.mid(pm ? 2 : 0, 1);
            return i + 3;
        }
        if (rest.startsWith(QLatin1String("ampm"), Qt::CaseInsensitive)) {
            out += pm ? FormatSettings().TimePMString : FormatSettings().TimeAMString;
            return i + 4;
        }
        out += fmt[i];
        return i + 1;
    }

    Word year_ = 0, month_ = 0, day_ = 0, hour_ = 0, minute_ = 0, second_ = 0, msec_ = 0, dayOfWeek_ = 0;
    char16_t last_ = 0;
};

}  // namespace

// ------------------------------------------------------------ calendar

bool IsLeapYear(Word year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

Word DaysInAMonth(Word year, Word month) {
    static const Word kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidDate(Word year, Word month, Word day) {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInAMonth(year, month);
}

bool IsValidTime(Word hour, Word min, Word sec, Word msec) {
    return hour < 24 && min < 60 && sec < 60 && msec < 1000;
}

bool TryEncodeDate(Word year, Word month, Word day, TDateTime& out) {
    if (!IsValidDate(year, month, day)) return false;
    out = TDateTime(daysFromCivil(year, month, day) + kDaysTo1970);
    return true;
}

TDateTime EncodeDate(Word year, Word month, Word day) {
    TDateTime d = 0;
    if (!TryEncodeDate(year, month, day, d)) badDate(QStringLiteral("Invalid argument to date encode"));
    return d;
}

bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& out) {
    if (!IsValidTime(hour, min, sec, msec)) return false;
    out = TDateTime(((Int64(hour) * 60 + min) * 60 + sec) * 1000 + msec) / kMSecsPerDay;
    return true;
}

TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec) {
    TDateTime t = 0;
    if (!TryEncodeTime(hour, min, sec, msec, t)) badDate(QStringLiteral("Invalid argument to time encode"));
    return t;
}

// Values outside years 1..9999 (and NaN) decode as all zeros.
void DecodeDate(TDateTime d, Word& year, Word& month, Word& day) {
    Int64 days = 0, msecs = 0;
    year = month = day = 0;
    if (splitDateTime(d, days, msecs)) civilFromDays(days - kDaysTo1970, year, month, day);
}

void DecodeTime(TDateTime d, Word& hour, Word& min, Word& sec, Word& msec) {
    Int64 days = 0, msecs = 0;
    if (!splitDateTime(d, days, msecs)) msecs = 0;
    hour = Word(msecs / 3600000);
    min = Word(msecs / 60000 % 60);
    sec = Word(msecs / 1000 % 60);
    msec = Word(msecs % 1000);
}

Word DayOfWeek(TDateTime d) {
    Int64 days = 0, msecs = 0;
    if (!splitDateTime(d, days, msecs)) return 0;
    return Word(((days + 6) % 7 + 7) % 7 + 1);  // 1899-12-30 was a Saturday
}

// ------------------------------------------------------------ parsing

bool TryStrToDate(const QString& s, TDateTime& out) {
    DateTimeScanner scan(s);
    return scan.date(out) && scan.atEnd();
}

bool TryStrToTime(const QString& s, TDateTime& out) {
    DateTimeScanner scan(s);
    return scan.time(out) && scan.atEnd();
}

bool TryStrToDateTime(const QString& s, TDateTime& out) {
    DateTimeScanner scan(s);
    TDateTime date = 0, time = 0;
    if (scan.date(date)) {
        if (scan.atEnd() || (scan.time(time) && scan.atEnd())) {
            out = combine(date, time);
            return true;
        }
        return false;
    }
    scan.restart();
    if (scan.time(time) && scan.atEnd()) {
        out = time;
        return true;
    }
    return false;
}

TDateTime StrToDate(const QString& s) {
    TDateTime d = 0;
    if (!TryStrToDate(s, d)) badDate(QStringLiteral("'%1' is not a valid date").arg(s));
    return d;
}

TDateTime StrToTime(const QString& s) {
    TDateTime d = 0;
    if (!TryStrToTime(s, d)) badDate(QStringLiteral("'%1' is not a valid time").arg(s));
    return d;
}

TDateTime StrToDateTime(const QString& s) {
    TDateTime d = 0;
    if (!TryStrToDateTime(s, d)) badDate(QStringLiteral("'%1' is not a valid date and time").arg(s));
    return d;
}

TDateTime StrToDateDef(const QString& s, TDateTime def) {
    TDateTime d = 0;
    return TryStrToDate(s, d) ? d : def;
}

TDateTime StrToDateTimeDef(const QString& s, TDateTime def) {
    TDateTime d = 0;
    return TryStrToDateTime(s, d) ? d : def;
}

// ------------------------------------------------------------ formatting

QString FormatDateTime(const QString& fmt, TDateTime d) { return DateTimeFormatter(d).run(fmt); }
QString DateToStr(TDateTime d) { return FormatDateTime(QStringLiteral("ddddd"), d); }
QString TimeToStr(TDateTime d) { return FormatDateTime(QStringLiteral("tt"), d); }
QString DateTimeToStr(TDateTime d) { return FormatDateTime(QStringLiteral("c"), d); }

// ------------------------------------------------------------ clock

TDateTime Now() {
    const auto& clock = clockOverride();
    return clock ? clock() : fromQDateTime(QDateTime::currentDateTime());
}

TDateTime Date() { return std::trunc(Now()); }

TDateTime Time() {
    const TDateTime now = Now();
    return std::fabs(now - std::trunc(now));
}

void SetClockForTesting(std::function<TDateTime()> clock) { clockOverride() = std::move(clock); }

TDateTime FileDateToDateTime(Int64 unixSeconds) {
    return fromQDateTime(QDateTime::fromSecsSinceEpoch(unixSeconds));
}
