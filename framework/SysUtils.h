// Runtime routines of the framework: exceptions, Currency, conversions and
// formatting with the platform's exact results (not the C library's), dates,
// and the Japanese format settings.
#pragma once

#include "Types.h"

#include <QtCore/QString>

#include <array>
#include <exception>
#include <functional>
#include <initializer_list>
#include <string>

// ---------------------------------------------------------------- exceptions

class Exception : public std::exception {
public:
    explicit Exception(const QString& message) : message_(message), utf8_(message.toStdString()) {}
    const QString& Message() const { return message_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    QString message_;
    std::string utf8_;
};

#define VELMORA_EXCEPTION(Name, Base) \
    class Name : public Base {        \
    public:                           \
        using Base::Base;             \
    }

VELMORA_EXCEPTION(EConvertError, Exception);
VELMORA_EXCEPTION(EInvalidOperation, Exception);
VELMORA_EXCEPTION(EInvalidOp, Exception);
VELMORA_EXCEPTION(EZeroDivide, Exception);
VELMORA_EXCEPTION(EOverflow, Exception);
VELMORA_EXCEPTION(EReadError, Exception);
VELMORA_EXCEPTION(EWriteError, Exception);
VELMORA_EXCEPTION(EStreamError, Exception);
VELMORA_EXCEPTION(EFOpenError, EStreamError);
VELMORA_EXCEPTION(EFCreateError, EStreamError);
VELMORA_EXCEPTION(EListError, Exception);
VELMORA_EXCEPTION(EComponentError, Exception);
VELMORA_EXCEPTION(EClassNotFound, Exception);
VELMORA_EXCEPTION(EAssertionFailed, Exception);

// Raises EAssertionFailed with the platform's Japanese text when cond is false.
void Assert(bool cond, const QString& message = QString());

// ------------------------------------------------------------------ Currency

// Fixed point: the value times 10000 in 64 bits. Arithmetic is exact;
// a result that does not fit raises EOverflow.
class Currency {
public:
    static constexpr Int64 Scale = 10000;

    constexpr Currency() = default;
    constexpr Currency(int v) : raw_(Int64(v) * Scale) {}
    static constexpr Currency FromRaw(Int64 raw) { Currency c; c.raw_ = raw; return c; }
    // Rounds v x 10000 half to even; EOverflow when it does not fit.
    static Currency FromDouble(long double v);
    static bool TryFromDouble(long double v, Currency& out);

    constexpr Int64 Raw() const { return raw_; }
    long double ToExtended() const { return static_cast<long double>(raw_) / Scale; }
    double ToDouble() const { return static_cast<double>(ToExtended()); }

    Currency operator+(Currency o) const;
    Currency operator-(Currency o) const;
    Currency operator-() const;
    Currency operator*(Currency o) const;  // rounds the last digit half to even
    Currency operator/(Currency o) const;  // EZeroDivide on zero
    Currency& operator+=(Currency o) { return *this = *this + o; }
    Currency& operator-=(Currency o) { return *this = *this - o; }
    constexpr auto operator<=>(const Currency&) const = default;

    // Checked forms that report overflow instead of raising.
    static bool TryAdd(Currency a, Currency b, Currency& out);
    static bool TrySub(Currency a, Currency b, Currency& out);
    static bool TryMul(Currency a, Currency b, Currency& out);

private:
    Int64 raw_ = 0;
};

// ------------------------------------------------------------ format settings

// The Japanese settings, fixed whatever the Linux locale. Tests may replace
// them through SetFormatSettings and restore the defaults afterwards.
struct TFormatSettings {
    QChar DecimalSeparator = u'.';
    QChar ThousandSeparator = u',';
    QChar DateSeparator = u'/';
    QChar TimeSeparator = u':';
    QString ShortDateFormat = QStringLiteral("yyyy/mm/dd");
    QString LongDateFormat = QStringLiteral("yyyy'年'm'月'd'日'");
    QString ShortTimeFormat = QStringLiteral("h:mm");
    QString LongTimeFormat = QStringLiteral("h:mm:ss");
    QString TimeAMString = QStringLiteral("午前");
    QString TimePMString = QStringLiteral("午後");
    QString CurrencyString = QStringLiteral("\u00A5");
    Byte CurrencyFormat = 0;   // "¥1"
    Byte NegCurrFormat = 1;    // "-¥1"
    Byte CurrencyDecimals = 0;
    Word TwoDigitYearCenturyWindow = 50;
    std::array<QString, 12> ShortMonthNames{"1月", "2月", "3月", "4月", "5月", "6月",
                                            "7月", "8月", "9月", "10月", "11月", "12月"};
    std::array<QString, 12> LongMonthNames = ShortMonthNames;
    std::array<QString, 7> ShortDayNames{"日", "月", "火", "水", "木", "金", "土"};  // Sunday first
    std::array<QString, 7> LongDayNames{"日曜日", "月曜日", "火曜日", "水曜日",
                                        "木曜日", "金曜日", "土曜日"};
};

const TFormatSettings& FormatSettings();
void SetFormatSettings(const TFormatSettings& settings);
TFormatSettings JapaneseFormatSettings();

// -------------------------------------------------------------------- strings

QString Trim(const QString& s);       // removes characters up to U+0020 only
QString TrimLeft(const QString& s);
QString TrimRight(const QString& s);
QString UpperCase(const QString& s);  // ASCII letters only
QString LowerCase(const QString& s);
QString AnsiUpperCase(const QString& s);
QString AnsiLowerCase(const QString& s);
Integer CompareText(const QString& a, const QString& b);  // ASCII case-insensitive
Integer CompareStr(const QString& a, const QString& b);
Integer AnsiCompareText(const QString& a, const QString& b);
bool SameText(const QString& a, const QString& b);
Integer Pos(const QString& sub, const QString& s);              // 1-based, 0 when absent
QString Copy(const QString& s, Integer index, Integer count);   // 1-based, clipped
QString StringOfChar(QChar c, Integer count);
QString StringReplaceAll(const QString& s, const QString& from, const QString& to);
QString QuotedStr(const QString& s);
QString ExtractFileName(const QString& path);
QString ExtractFilePath(const QString& path);
QString ExtractFileExt(const QString& path);
QString ChangeFileExt(const QString& path, const QString& ext);
QString IncludeTrailingPathDelimiter(const QString& path);
bool FileExists(const QString& path);
bool DirectoryExists(const QString& path);
bool DeleteFile(const QString& path);
// The system's text for an errno value ("No space left on device").
QString SysErrorMessage(Integer errorCode);
// The folder for temporary files: $TMPDIR when it names a folder this
// process may write in, else /tmp.
QString TempFolder();
// Makes a new empty file in folder, named after pattern with its last
// "XXXXXX" made unique, and answers its path; EFCreateError naming the
// folder and the system's reason when that fails.
QString CreateTempFile(const QString& folder, const QString& pattern);
// The texts of a file that cannot be made or written, with the system's
// reason for errno value error: Cannot write to file "<full name>". <reason>
QString FileCreateErrorMessage(const QString& fileName, Integer error);
QString FileWriteErrorMessage(const QString& fileName, Integer error);

// A new version of a file, written under a temporary name beside it and
// renamed over it only once whole, so that the file is never seen half
// written. The temporary file goes with this object unless committed.
class TFileReplacement {
public:
    // Makes the temporary file; EFCreateError naming target when it cannot.
    explicit TFileReplacement(const QString& target);
    ~TFileReplacement();
    TFileReplacement(const TFileReplacement&) = delete;
    TFileReplacement& operator=(const TFileReplacement&) = delete;

    const QString& FileName() const { return fileName_; }
    const QString& Target() const { return target_; }
    // Renames the file over the target, which keeps its permissions (a new
    // one is readable by all, writable by its owner); EFCreateError naming
    // the target when the rename fails.
    void Commit();

private:
    QString target_;
    QString fileName_;
    bool committed_ = false;
};

// -------------------------------------------------------------------- numbers

QString IntToStr(Int64 v);
QString IntToHex(Int64 v, Integer digits);
Integer StrToInt(const QString& s);  // EConvertError; "$" hex accepted
Int64 StrToInt64(const QString& s);
Integer StrToIntDef(const QString& s, Integer def);
Int64 StrToInt64Def(const QString& s, Int64 def);
bool TryStrToInt(const QString& s, Integer& out);
bool TryStrToInt64(const QString& s, Int64& out);

// 15 significant digits; "1E15", "1E-5", "-1.5E20"; "INF", "-INF", "NAN".
QString FloatToStr(Extended v);
QString CurrToStr(Currency v);
// Strict parse (EConvertError) and lenient forms. Blanks around the number,
// an optional sign, digits, the decimal separator and an exponent.
Extended StrToFloat(const QString& s);
bool TryStrToFloat(const QString& s, Extended& out);
Extended StrToFloatDef(const QString& s, Extended def);
Currency StrToCurr(const QString& s);
Currency StrToCurrDef(const QString& s, Currency def);
bool TryStrToCurr(const QString& s, Currency& out);

// Formatting reads an Extended as at most 18 significant digits. A value a
// double holds exactly is read as the shortest decimal naming that double,
// so a double 1.005 formats as the constant 1.005 would, not as
// 1.00499999999999989. Rounding then takes halves away from zero.
//
// Masks: up to three ';' sections, '0' '#' '.' ',' "E+" "E-" "e+" "e-",
// quoted literals. A section without placeholders writes its literals only;
// a value that rounds to zero is formatted as zero (section 3, no '-');
// values from 1E18 up take the general format.
QString FormatFloat(const QString& mask, Extended v);
QString FormatCurr(const QString& mask, Currency v);

// One argument of Format.
class TVarRec {
public:
    enum Kind { vtInteger, vtExtended, vtString, vtCurrency, vtPointer };
    TVarRec(int v) : kind_(vtInteger), int_(v) {}
    TVarRec(long v) : kind_(vtInteger), int_(v) {}
    TVarRec(long long v) : kind_(vtInteger), int_(v) {}
    TVarRec(unsigned v) : kind_(vtInteger), int_(v) {}
    TVarRec(double v) : kind_(vtExtended), ext_(v) {}
    TVarRec(long double v) : kind_(vtExtended), ext_(v) {}
    TVarRec(const QString& v) : kind_(vtString), str_(v) {}
    TVarRec(const char* v) : kind_(vtString), str_(QString::fromUtf8(v)) {}
    TVarRec(Currency v) : kind_(vtCurrency), cur_(v) {}
    TVarRec(const void* v) : kind_(vtPointer), ptr_(v) {}

    Kind VType() const { return kind_; }
    Int64 AsInt64() const { return int_; }
    Extended AsExtended() const { return ext_; }
    const QString& AsString() const { return str_; }
    Currency AsCurrency() const { return cur_; }
    const void* AsPointer() const { return ptr_; }

private:
    Kind kind_;
    Int64 int_ = 0;
    Extended ext_ = 0;
    QString str_;
    Currency cur_;
    const void* ptr_ = nullptr;
};

// %s %d %u %x %e %f %g %n %m %p %%, with index, '-', width and precision
// ("*" takes them from the arguments). A wrong argument kind or a missing
// argument raises EConvertError.
QString Format(const QString& fmt, std::initializer_list<TVarRec> args);

// Banker's rounding (halves to even), truncation, fraction; EInvalidOp when
// the value does not fit 64 bits.
Int64 Round(Extended v);
Int64 Trunc(Extended v);
Extended Frac(Extended v);
Extended Int(Extended v);

// ----------------------------------------------------------------------- dates

bool IsLeapYear(Word year);
Word DaysInAMonth(Word year, Word month);
bool IsValidDate(Word year, Word month, Word day);
bool IsValidTime(Word hour, Word min, Word sec, Word msec);
TDateTime EncodeDate(Word year, Word month, Word day);  // EConvertError
bool TryEncodeDate(Word year, Word month, Word day, TDateTime& out);
void DecodeDate(TDateTime d, Word& year, Word& month, Word& day);
TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec);  // EConvertError
bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& out);
void DecodeTime(TDateTime d, Word& hour, Word& min, Word& sec, Word& msec);
Word DayOfWeek(TDateTime d);  // 1 = Sunday

// Year-month-day order with the date separator; two numbers are month/day of
// the current year; one- or two-digit years go through the century window;
// an optional time part h:n[:s]; impossible dates fail.
bool TryStrToDate(const QString& s, TDateTime& out);
bool TryStrToTime(const QString& s, TDateTime& out);
bool TryStrToDateTime(const QString& s, TDateTime& out);
TDateTime StrToDate(const QString& s);      // EConvertError
TDateTime StrToTime(const QString& s);      // EConvertError
TDateTime StrToDateTime(const QString& s);  // EConvertError
TDateTime StrToDateDef(const QString& s, TDateTime def);
TDateTime StrToDateTimeDef(const QString& s, TDateTime def);

// yyyy yy mmmm mmm mm m dddd ddd dd d hh h nn n ss s zzz z am/pm ampm
// "/" ":" and quoted literals; "m" right after "h" or "hh" means minutes.
QString FormatDateTime(const QString& fmt, TDateTime d);
QString DateToStr(TDateTime d);
QString TimeToStr(TDateTime d);
QString DateTimeToStr(TDateTime d);

// The clock; tests can fix it (a zero function restores the system clock).
TDateTime Now();
TDateTime Date();
TDateTime Time();
void SetClockForTesting(std::function<TDateTime()> clock);

TDateTime FileDateToDateTime(Int64 unixSeconds);  // local time
