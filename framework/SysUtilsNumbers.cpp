// Integer and float conversions, Currency arithmetic and rounding.
#include "SysUtils.h"
#include "SysUtilsDecimal.h"

#include <charconv>
#include <cmath>
#include <limits>

using sysutils_detail::Decimal;

namespace {

constexpr long double kTwoTo63 = 9223372036854775808.0L;

[[noreturn]] void invalidOp() { throw EInvalidOp(QStringLiteral("Invalid floating point operation")); }
[[noreturn]] void overflow() { throw EOverflow(QStringLiteral("Floating point overflow")); }

// ------------------------------------------------------------------ integers

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    return -1;
}

// Leading blanks, a sign, then decimal digits or "$"/"0x" and hex digits,
// nothing after. Decimal values must fit T; hex ones may use the full
// unsigned range and wrap, as the platform reads "$FFFFFFFF" as -1.
template <typename T>
bool parseInteger(const QString& s, T& out) {
    using U = std::make_unsigned_t<T>;
    qsizetype i = 0;
    while (i < s.size() && (s[i] == u' ' || s[i] == u'\t')) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
    int base = 10;
    if (i < s.size() && s[i] == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i == s.size()) return false;
    UInt64 magnitude = 0;
    const UInt64 limit = base == 16 ? UInt64(std::numeric_limits<U>::max())
                                    : UInt64(std::numeric_limits<T>::max()) + (negative ? 1 : 0);
    for (; i < s.size(); ++i) {
        const int digit = hexDigit(s[i]);
        if (digit < 0 || digit >= base) return false;
        if (magnitude > (limit - UInt64(digit)) / UInt64(base)) return false;
        magnitude = magnitude * UInt64(base) + UInt64(digit);
    }
    const U bits = U(magnitude);
    out = T(negative ? U(U(0) - bits) : bits);
    return true;
}

[[noreturn]] void notInteger(const QString& s) {
    throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(s));
}

// ------------------------------------------------------------------- floats

// Blanks around, a sign, digits with one decimal separator (at least one
// digit), then an optional exponent "E" [sign] digits.
bool scanNumber(const QString& s, Decimal& out) {
    qsizetype i = 0;
    qsizetype end = s.size();
    while (i < end && s[i] == u' ') ++i;
    while (end > i && s[end - 1] == u' ') --end;
    bool negative = false;
    if (i < end && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
    std::string digits;
    int pointPos = -1;
    const QChar point = FormatSettings().DecimalSeparator;
    for (; i < end; ++i) {
        const QChar c = s[i];
        if (c >= u'0' && c <= u'9') {
            digits += char(c.unicode());
        } else if (c == point && pointPos < 0) {
            pointPos = int(digits.size());
        } else {
            break;
        }
    }
    if (digits.empty()) return false;
    if (pointPos < 0) pointPos = int(digits.size());
    long exponent = 0;
    if (i < end && (s[i] == u'E' || s[i] == u'e')) {
        ++i;
        bool expNegative = false;
        if (i < end && (s[i] == u'+' || s[i] == u'-')) expNegative = s[i++] == u'-';
        if (i == end) return false;
        for (; i < end && s[i] >= u'0' && s[i] <= u'9'; ++i) {
            exponent = std::min(exponent * 10 + (s[i].unicode() - u'0'), 1000000L);
        }
        if (expNegative) exponent = -exponent;
    }
    if (i != end) return false;
    out = sysutils_detail::MakeDecimal(negative, std::move(digits), int(pointPos + exponent));
    return true;
}

bool decimalToExtended(const Decimal& d, Extended& out) {
    if (d.IsZero()) {
        out = 0;
        return true;
    }
    const std::string text = "0." + d.Digits + "e" + std::to_string(d.Exponent);
    long double v = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec == std::errc::result_out_of_range) {
        if (d.Exponent > 0) return false;
        v = 0;  // underflow reads as zero
    } else if (r.ec != std::errc()) {
        return false;
    }
    out = d.Negative ? -v : v;
    return true;
}

// Rounds the decimal to four places half to even, as the platform's
// currency conversion does, and checks the 64-bit range.
bool decimalToCurrency(const Decimal& d, Currency& out) {
    if (d.IsZero()) {
        out = Currency();
        return true;
    }
    const int intDigits = d.Exponent + 4;  // digits of value x 10000 before its point
    if (intDigits > 19) return false;
    unsigned __int128 raw = 0;
    for (int i = 0; i < intDigits; ++i) {
        raw = raw * 10 + (size_t(i) < d.Digits.size() ? unsigned(d.Digits[size_t(i)] - '0') : 0u);
    }
    const size_t restAt = size_t(std::max(intDigits, 0));
    if (restAt < d.Digits.size()) {
        const int first = intDigits < 0 ? 0 : d.Digits[restAt] - '0';
        const bool moreAfter = restAt + 1 < d.Digits.size();  // digits hold no trailing zeros
        if (intDigits >= 0 && (first > 5 || (first == 5 && (moreAfter || (raw & 1))))) ++raw;
    }
    using U128 = unsigned __int128;
    const U128 limit = U128(std::numeric_limits<Int64>::max()) + (d.Negative ? 1 : 0);
    if (raw > limit) return false;
    const UInt64 bits = UInt64(raw);
    out = Currency::FromRaw(Int64(d.Negative ? UInt64(0) - bits : bits));
    return true;
}

[[noreturn]] void notFloat(const QString& s) {
    throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(s));
}

// Quotient of a / b rounded half to even.
bool divideHalfEven(__int128 a, __int128 b, Int64& out) {
    __int128 q = a / b;
    const __int128 r = a % b;
    const __int128 twiceR = r < 0 ? -2 * r : 2 * r;
    const __int128 absB = b < 0 ? -b : b;
    if (twiceR > absB || (twiceR == absB && (q & 1))) q += ((a < 0) != (b < 0)) ? -1 : 1;
    if (q > std::numeric_limits<Int64>::max() || q < std::numeric_limits<Int64>::min()) return false;
    out = Int64(q);
    return true;
}

}  // namespace

// ------------------------------------------------------------------ integers

QString IntToStr(Int64 v) { return QString::number(v); }

QString IntToHex(Int64 v, Integer digits) {
    QString text = QString::number(sysutils_detail::UnsignedBits(v), 16).toUpper();
    if (text.size() < digits) text = QString(digits - text.size(), u'0') + text;
    return text;
}

Integer StrToInt(const QString& s) {
    Integer v = 0;
    if (!parseInteger(s, v)) notInteger(s);
    return v;
}

Int64 StrToInt64(const QString& s) {
    Int64 v = 0;
    if (!parseInteger(s, v)) notInteger(s);
    return v;
}

Integer StrToIntDef(const QString& s, Integer def) {
    Integer v = 0;
    return parseInteger(s, v) ? v : def;
}

Int64 StrToInt64Def(const QString& s, Int64 def) {
    Int64 v = 0;
    return parseInteger(s, v) ? v : def;
}

bool TryStrToInt(const QString& s, Integer& out) { return parseInteger(s, out); }
bool TryStrToInt64(const QString& s, Int64& out) { return parseInteger(s, out); }

// -------------------------------------------------------------------- floats

QString FloatToStr(Extended v) { return sysutils_detail::FormatGeneral(sysutils_detail::ToDecimal(v), 15, 0); }

QString CurrToStr(Currency v) { return sysutils_detail::FormatGeneral(sysutils_detail::ToDecimal(v), 19, 0); }

bool TryStrToFloat(const QString& s, Extended& out) {
    Decimal d;
    return scanNumber(s, d) && decimalToExtended(d, out);
}

Extended StrToFloat(const QString& s) {
    Extended v = 0;
    if (!TryStrToFloat(s, v)) notFloat(s);
    return v;
}

Extended StrToFloatDef(const QString& s, Extended def) {
    Extended v = 0;
    return TryStrToFloat(s, v) ? v : def;
}

bool TryStrToCurr(const QString& s, Currency& out) {
    Decimal d;
    return scanNumber(s, d) && decimalToCurrency(d, out);
}

Currency StrToCurr(const QString& s) {
    Currency v;
    if (!TryStrToCurr(s, v)) notFloat(s);
    return v;
}

Currency StrToCurrDef(const QString& s, Currency def) {
    Currency v;
    return TryStrToCurr(s, v) ? v : def;
}

// ------------------------------------------------------------------ rounding

Int64 Round(Extended v) {
    // The default mode rounds halves to even; rint, unlike nearbyint, does
    // not save and restore the floating-point environment on every call.
    const long double r = std::rint(v);
    if (!(r >= -kTwoTo63 && r < kTwoTo63)) invalidOp();
    return Int64(r);
}

Int64 Trunc(Extended v) {
    const long double r = std::trunc(v);
    if (!(r >= -kTwoTo63 && r < kTwoTo63)) invalidOp();
    return Int64(r);
}

Extended Int(Extended v) { return std::trunc(v); }

Extended Frac(Extended v) { return v - std::trunc(v); }

// ------------------------------------------------------------------ Currency

Currency Currency::FromDouble(long double v) {
    Currency c;
    if (std::isnan(v)) invalidOp();
    if (!TryFromDouble(v, c)) overflow();
    return c;
}

bool Currency::TryFromDouble(long double v, Currency& out) {
    const long double scaled = std::nearbyint(v * Scale);
    if (!(scaled >= -kTwoTo63 && scaled < kTwoTo63)) return false;
    out = FromRaw(Int64(scaled));
    return true;
}

bool Currency::TryAdd(Currency a, Currency b, Currency& out) {
    Int64 r = 0;
    if (__builtin_add_overflow(a.raw_, b.raw_, &r)) return false;
    out = FromRaw(r);
    return true;
}

bool Currency::TrySub(Currency a, Currency b, Currency& out) {
    Int64 r = 0;
    if (__builtin_sub_overflow(a.raw_, b.raw_, &r)) return false;
    out = FromRaw(r);
    return true;
}

bool Currency::TryMul(Currency a, Currency b, Currency& out) {
    Int64 r = 0;
    if (!divideHalfEven(__int128(a.raw_) * b.raw_, Scale, r)) return false;
    out = FromRaw(r);
    return true;
}

Currency Currency::operator+(Currency o) const {
    Currency r;
    if (!TryAdd(*this, o, r)) overflow();
    return r;
}

Currency Currency::operator-(Currency o) const {
    Currency r;
    if (!TrySub(*this, o, r)) overflow();
    return r;
}

Currency Currency::operator-() const { return Currency() - *this; }

Currency Currency::operator*(Currency o) const {
    Currency r;
    if (!TryMul(*this, o, r)) overflow();
    return r;
}

Currency Currency::operator/(Currency o) const {
    if (o.raw_ == 0) throw EZeroDivide(QStringLiteral("Floating point division by zero"));
    Int64 r = 0;
    if (!divideHalfEven(__int128(raw_) * Scale, o.raw_, r)) overflow();
    return FromRaw(r);
}
