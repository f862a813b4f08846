// Decimal digits of a number, as the runtime's formatting routines see it.
// Private to the SysUtils sources.
#pragma once

#include "SysUtils.h"

#include <string>

namespace sysutils_detail {

// value = 0.d1 d2 d3 ... x 10^Exponent; Digits holds no leading or trailing
// zeros, and is empty for zero.
struct Decimal {
    enum KindValue { Finite, Infinite, NotANumber };
    KindValue Kind = Finite;
    bool Negative = false;
    std::string Digits;
    int Exponent = 0;

    bool IsZero() const { return Kind == Finite && Digits.empty(); }
};

// At most 18 significant digits, correctly rounded. A value that a double
// holds exactly is read as the shortest decimal naming that double, so a
// double 1.005 formats as the extended constant 1.005 would.
Decimal ToDecimal(Extended v);
Decimal ToDecimal(Currency c);  // exact
// From a digit string whose point lies before digit pointPos.
Decimal MakeDecimal(bool negative, std::string digits, int pointPos);

// Both round half away from zero on the decimal digits.
void RoundToSignificant(Decimal& d, int count);
void RoundToDecimals(Decimal& d, int decimals);

// The platform's general number format: fixed unless the point lies more
// than precision digits to the right or the value is below 1E-4; the
// exponent has at least expDigits digits ("1E15", "1.5E-5").
QString FormatGeneral(Decimal d, int precision, int expDigits);
// "INF", "-INF" or "NAN" for the non-finite kinds.
QString NonFiniteText(const Decimal& d);
// "E" exponent digits: at least minDigits, '-' when negative, '+' on request.
QString ExponentText(int exponent, int minDigits, bool plusSign);
// The digits before the point ("" when the integer part is zero).
std::string IntegerDigits(const Decimal& d);
// The first `decimals` fraction digits, zeros included.
std::string FractionDigits(const Decimal& d, int decimals);
// Groups of three digits separated by the thousand separator.
QString GroupThousands(const std::string& digits, QChar separator);

// The bits an integer shows in unsigned and hexadecimal forms: a negative
// value that fits 32 bits shows its 32-bit pattern.
inline UInt64 UnsignedBits(Int64 v) {
    return (v < 0 && v >= INT32_MIN) ? UInt64(Cardinal(v)) : UInt64(v);
}

}  // namespace sysutils_detail
