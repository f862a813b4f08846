// Decimal digits of extended and currency values, rounding on the decimal
// digits, and the general number format built on them.
#include "SysUtilsDecimal.h"

#include <charconv>
#include <cmath>

namespace sysutils_detail {

namespace {

Decimal normalized(bool negative, std::string digits, int pointPos) {
    Decimal d;
    const size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) return d;
    const size_t last = digits.find_last_not_of('0');
    d.Digits = digits.substr(first, last - first + 1);
    d.Exponent = pointPos - int(first);
    d.Negative = negative;
    return d;
}

// Reads the "d.ddde+xx" text of std::to_chars in scientific form.
Decimal fromScientific(const char* begin, const char* end, bool negative) {
    std::string digits;
    const char* p = begin;
    for (; p != end && *p != 'e'; ++p) {
        if (*p != '.') digits += *p;
    }
    int exponent = 0;
    if (p != end) {
        ++p;
        if (*p == '+') ++p;
        std::from_chars(p, end, exponent);
    }
    return normalized(negative, std::move(digits), exponent + 1);
}

void stripTrailingZeros(Decimal& d) {
    const size_t last = d.Digits.find_last_not_of('0');
    d.Digits.resize(last == std::string::npos ? 0 : last + 1);
    if (d.Digits.empty()) d.Exponent = 0;
}

// Keeps the first `keep` digits, rounding half away from zero.
void roundAt(Decimal& d, int keep) {
    if (keep < 0 || size_t(keep) >= d.Digits.size()) {
        if (keep < 0) d.Digits.clear();
        stripTrailingZeros(d);
        return;
    }
    const bool up = d.Digits[size_t(keep)] >= '5';
    d.Digits.resize(size_t(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.Digits[size_t(i)] == '9') d.Digits[size_t(i--)] = '0';
        if (i >= 0) {
            ++d.Digits[size_t(i)];
        } else {
            d.Digits.insert(d.Digits.begin(), '1');
            ++d.Exponent;
        }
    }
    stripTrailingZeros(d);
}

}  // namespace

Decimal ToDecimal(Extended v) {
    Decimal d;
    if (std::isnan(v)) {
        d.Kind = Decimal::NotANumber;
        return d;
    }
    d.Negative = std::signbit(v);
    if (std::isinf(v)) {
        d.Kind = Decimal::Infinite;
        return d;
    }
    if (v == 0) return Decimal();
    char buf[64];
    const long double magnitude = std::fabs(v);
    const double asDouble = double(magnitude);
    std::to_chars_result r;
    if (std::isfinite(asDouble) && static_cast<long double>(asDouble) == magnitude) {
        r = std::to_chars(buf, buf + sizeof buf, asDouble, std::chars_format::scientific);
    } else {
        r = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 17);
    }
    return fromScientific(buf, r.ptr, d.Negative);
}

Decimal ToDecimal(Currency c) {
    const Int64 raw = c.Raw();
    const UInt64 magnitude = raw < 0 ? UInt64(0) - UInt64(raw) : UInt64(raw);
    std::string digits = std::to_string(magnitude);
    const int pointPos = int(digits.size()) - 4;
    return normalized(raw < 0, std::move(digits), pointPos);
}

Decimal MakeDecimal(bool negative, std::string digits, int pointPos) {
    return normalized(negative, std::move(digits), pointPos);
}

void RoundToSignificant(Decimal& d, int count) { roundAt(d, count); }

void RoundToDecimals(Decimal& d, int decimals) {
    if (d.IsZero()) return;
    roundAt(d, d.Exponent + decimals);
}

QString NonFiniteText(const Decimal& d) {
    if (d.Kind == Decimal::NotANumber) return QStringLiteral("NAN");
    return d.Negative ? QStringLiteral("-INF") : QStringLiteral("INF");
}

QString FormatGeneral(Decimal d, int precision, int expDigits) {
    if (d.Kind != Decimal::Finite) return NonFiniteText(d);
    RoundToSignificant(d, precision);
    if (d.IsZero()) return QStringLiteral("0");
    const QChar point = FormatSettings().DecimalSeparator;
    const QString digits = QString::fromLatin1(d.Digits);
    QString text;
    if (d.Exponent > precision || d.Exponent < -3) {
        text = digits.left(1);
        if (digits.size() > 1) text += point + digits.mid(1);
        text += u'E' + ExponentText(d.Exponent - 1, expDigits, false);
    } else if (d.Exponent <= 0) {
        text = QStringLiteral("0") + point + QString(-d.Exponent, u'0') + digits;
    } else {
        text = digits.left(d.Exponent);
        if (text.size() < d.Exponent) text += QString(d.Exponent - text.size(), u'0');
        if (digits.size() > d.Exponent) text += point + digits.mid(d.Exponent);
    }
    return d.Negative ? u'-' + text : text;
}

QString ExponentText(int exponent, int minDigits, bool plusSign) {
    QString digits = QString::number(std::abs(exponent));
    if (digits.size() < minDigits) digits = QString(minDigits - digits.size(), u'0') + digits;
    if (exponent < 0) return u'-' + digits;
    return plusSign ? u'+' + digits : digits;
}

std::string IntegerDigits(const Decimal& d) {
    if (d.Exponent <= 0) return std::string();
    std::string r = d.Digits.substr(0, size_t(d.Exponent));
    r.resize(size_t(d.Exponent), '0');
    return r;
}

std::string FractionDigits(const Decimal& d, int decimals) {
    std::string r;
    r.reserve(size_t(std::max(decimals, 0)));
    for (int i = 0; i < decimals; ++i) {
        const int index = d.Exponent + i;  // position in Digits
        r += (index >= 0 && size_t(index) < d.Digits.size()) ? d.Digits[size_t(index)] : '0';
    }
    return r;
}

QString GroupThousands(const std::string& digits, QChar separator) {
    QString r;
    const size_t n = digits.size();
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) r += separator;
        r += QLatin1Char(digits[i]);
    }
    return r;
}

}  // namespace sysutils_detail
