// Format and the FormatFloat masks, with the platform's rounding: values are
// taken to 18 significant digits, then rounded half away from zero on the
// decimal digits.
#include "SysUtils.h"
#include "SysUtilsDecimal.h"

#include <algorithm>
#include <vector>

using namespace sysutils_detail;

namespace {

constexpr int kMaxDigits = 18;

// ------------------------------------------------------------ shared texts

QString withSign(const Decimal& d, QString text) {
    return (d.Negative && !d.IsZero()) ? u'-' + text : text;
}

// Digits before and after the point of a value already rounded to
// `decimals` places: "1,234.50".
QString fixedDigits(const Decimal& d, int decimals, bool grouping) {
    const TFormatSettings& fs = FormatSettings();
    const std::string whole = IntegerDigits(d);
    QString text = whole.empty() ? QStringLiteral("0")
                   : grouping    ? GroupThousands(whole, fs.ThousandSeparator)
                                 : QString::fromLatin1(whole);
    if (decimals > 0) text += fs.DecimalSeparator + QString::fromLatin1(FractionDigits(d, decimals));
    return text;
}

// ffFixed and ffNumber: the general format takes over past 18 integer digits.
QString fixedText(Decimal d, int decimals, bool grouping) {
    if (d.Kind != Decimal::Finite) return NonFiniteText(d);
    if (d.Exponent > kMaxDigits) return FormatGeneral(d, kMaxDigits, 0);
    RoundToDecimals(d, decimals);
    return withSign(d, fixedDigits(d, decimals, grouping));
}

// ffExponent: "-d.dddE+ddd" with `precision` significant digits.
QString exponentText(Decimal d, int precision) {
    if (d.Kind != Decimal::Finite) return NonFiniteText(d);
    RoundToSignificant(d, precision);
    const std::string digits = FractionDigits(Decimal{Decimal::Finite, false, d.Digits, 0}, precision);
    QString text = QString(QLatin1Char(digits[0]));
    if (precision > 1) text += FormatSettings().DecimalSeparator + QString::fromLatin1(digits.substr(1));
    const int exponent = d.IsZero() ? 0 : d.Exponent - 1;
    return withSign(d, text + u'E' + ExponentText(exponent, 3, true));
}

// Places the amount per CurrencyFormat / NegCurrFormat ('$' the currency
// string, '1' the amount).
QString currencyText(Decimal d, int decimals) {
    static const char* const kPositive[] = {"$1", "1$", "$ 1", "1 $"};
    static const char* const kNegative[] = {"($1)", "-$1", "$-1", "$1-", "(1$)", "-1$",
                                            "1-$", "1$-", "-1 $", "-$ 1", "1 $-", "$ 1-",
                                            "$ -1", "1- $", "($ 1)", "(1 $)"};
    if (d.Kind != Decimal::Finite) return NonFiniteText(d);
    if (d.Exponent > kMaxDigits) return FormatGeneral(d, kMaxDigits, 0);
    const TFormatSettings& fs = FormatSettings();
    RoundToDecimals(d, decimals);
    const bool negative = d.Negative && !d.IsZero();
    const char* pattern = negative ? kNegative[std::min<int>(fs.NegCurrFormat, 15)]
                                   : kPositive[std::min<int>(fs.CurrencyFormat, 3)];
    QString text;
    for (const char* p = pattern; *p; ++p) {
        if (*p == '$') text += fs.CurrencyString;
        else if (*p == '1') text += fixedDigits(d, decimals, true);
        else text += QLatin1Char(*p);
    }
    return text;
}

// -------------------------------------------------------------- FormatFloat

// One section of a mask, read once: where the placeholders are.
struct MaskLayout {
    int intPlaceholders = 0;
    int forcedInt = 0;  // '0' placeholders from the first '0' to the point
    int decPlaceholders = 0;
    int forcedDec = 0;  // decimal places up to the last '0'
    bool hasPoint = false;
    bool grouping = false;
    bool scientific = false;
};

bool isQuote(QChar c) { return c == u'"' || c == u'\''; }

// Start of "E+", "E-", "e+", "e-" at i.
bool isExponentAt(const QString& s, qsizetype i) {
    return (s[i] == u'E' || s[i] == u'e') && i + 1 < s.size() && (s[i + 1] == u'+' || s[i + 1] == u'-');
}

qsizetype skipQuoted(const QString& s, qsizetype i) {
    const QChar quote = s[i];
    const qsizetype close = s.indexOf(quote, i + 1);
    return close < 0 ? s.size() : close + 1;
}

std::vector<QString> splitSections(const QString& mask) {
    std::vector<QString> sections;
    qsizetype start = 0;
    for (qsizetype i = 0; i < mask.size();) {
        if (isQuote(mask[i])) {
            i = skipQuoted(mask, i);
        } else if (mask[i] == u';') {
            sections.push_back(mask.mid(start, i - start));
            start = ++i;
        } else {
            ++i;
        }
    }
    sections.push_back(mask.mid(start));
    if (sections.size() > 3) sections.resize(3);
    return sections;
}

MaskLayout readLayout(const QString& s) {
    MaskLayout m;
    int firstZero = -1;
    for (qsizetype i = 0; i < s.size() && !m.scientific;) {
        const QChar c = s[i];
        if (isQuote(c)) {
            i = skipQuoted(s, i);
            continue;
        }
        if (c == u'0' || c == u'#') {
            if (m.hasPoint) {
                ++m.decPlaceholders;
                if (c == u'0') m.forcedDec = m.decPlaceholders;
            } else {
                if (c == u'0' && firstZero < 0) firstZero = m.intPlaceholders;
                ++m.intPlaceholders;
            }
        } else if (c == u'.') {
            m.hasPoint = true;
        } else if (c == u',') {
            m.grouping = true;
        } else if (isExponentAt(s, i)) {
            m.scientific = true;
        }
        ++i;
    }
    if (firstZero >= 0) m.forcedInt = m.intPlaceholders - firstZero;
    return m;
}

// The digits a layout writes, placeholder by placeholder.
struct MaskDigits {
    std::string whole;     // integer digits, zero-padded to forcedInt
    std::string fraction;  // decimals, trailing zeros cut down to forcedDec
    QString exponent;      // scientific only: sign and digits after "E"
};

std::string trimFraction(std::string fraction, int forced) {
    while (int(fraction.size()) > forced && fraction.back() == '0') fraction.pop_back();
    return fraction;
}

MaskDigits fixedMaskDigits(const Decimal& d, const MaskLayout& m) {
    MaskDigits out;
    out.whole = IntegerDigits(d);
    if (int(out.whole.size()) < m.forcedInt) out.whole.insert(0, size_t(m.forcedInt) - out.whole.size(), '0');
    out.fraction = trimFraction(FractionDigits(d, m.decPlaceholders), m.forcedDec);
    return out;
}

// Scientific: as many integer digits as integer placeholders (at least one).
MaskDigits scientificMaskDigits(const Decimal& d, const MaskLayout& m, int expDigits, bool plusSign) {
    const int intCount = std::max(m.intPlaceholders, 1);
    const Decimal mantissa{Decimal::Finite, false, d.Digits, intCount};
    MaskDigits out;
    out.whole = FractionDigits(Decimal{Decimal::Finite, false, d.Digits, 0}, intCount);
    out.fraction = trimFraction(FractionDigits(mantissa, m.decPlaceholders), m.forcedDec);
    const int exponent = d.IsZero() ? 0 : d.Exponent - intCount;
    out.exponent = ExponentText(exponent, expDigits, plusSign);
    return out;
}

// Writes one section with its digits; literals stay where they are.
class MaskWriter {
public:
    MaskWriter(const QString& section, const MaskLayout& layout, const Decimal& value)
        : s_(section), m_(layout), value_(value) {}

    QString write() {
        digits_ = m_.scientific ? scientificMaskDigits(value_, m_, exponentDigits(), exponentPlus())
                                : fixedMaskDigits(value_, m_);
        // A section without placeholders or point writes its literals only.
        for (qsizetype i = 0; i < s_.size();) i = writeAt(i);
        return out_;
    }

private:
    qsizetype writeAt(qsizetype i) {
        const QChar c = s_[i];
        if (isQuote(c)) {
            const qsizetype next = skipQuoted(s_, i);
            const bool closed = next <= s_.size() && s_[next - 1] == c && next - i >= 2;
            out_ += s_.mid(i + 1, next - i - (closed ? 2 : 1));
            return next;
        }
        if (exponentWritten_ && (c == u'0' || c == u'#')) return i + 1;
        if (c == u'0' || c == u'#') {
            if (inFraction_) writeFractionDigit();
            else writeWholeDigit();
        } else if (c == u'.' && !pointSeen_) {
            pointSeen_ = true;
            if (m_.intPlaceholders == 0) writeWhole();
            inFraction_ = true;
            if (!digits_.fraction.empty()) out_ += FormatSettings().DecimalSeparator;
        } else if (m_.scientific && isExponentAt(s_, i)) {
            return writeExponent(i);
        } else if (c != u',') {
            out_ += c;
        }
        return i + 1;
    }

    void writeWholeDigit() {
        const int n = int(digits_.whole.size());
        const int excess = n - m_.intPlaceholders;
        const int from = placeholder_ == 0 ? 0 : std::max(excess + placeholder_, 0);
        const int to = std::max(excess + placeholder_ + 1, 0);
        for (int k = from; k < to && k < n; ++k) writeWholeChar(k, n);
        ++placeholder_;
    }

    void writeWhole() {
        const int n = int(digits_.whole.size());
        for (int k = 0; k < n; ++k) writeWholeChar(k, n);
    }

    void writeWholeChar(int k, int n) {
        if (m_.grouping && !m_.scientific && k > 0 && (n - k) % 3 == 0) out_ += FormatSettings().ThousandSeparator;
        out_ += QLatin1Char(digits_.whole[size_t(k)]);
    }

    void writeFractionDigit() {
        if (size_t(fractionIndex_) < digits_.fraction.size()) out_ += QLatin1Char(digits_.fraction[size_t(fractionIndex_)]);
        ++fractionIndex_;
    }

    qsizetype writeExponent(qsizetype i) {
        out_ += s_[i];
        i += 2;
        while (i < s_.size() && (s_[i] == u'0' || s_[i] == u'#')) ++i;
        out_ += digits_.exponent;
        exponentWritten_ = true;
        return i;
    }

    int exponentDigits() const {
        const qsizetype e = exponentAt();
        int n = 0;
        for (qsizetype i = e + 2; i < s_.size() && s_[i] == u'0' && n < 4; ++i) ++n;
        return n;
    }
    bool exponentPlus() const { return s_[exponentAt() + 1] == u'+'; }
    qsizetype exponentAt() const {
        for (qsizetype i = 0; i < s_.size();) {
            if (isQuote(s_[i])) i = skipQuoted(s_, i);
            else if (isExponentAt(s_, i)) return i;
            else ++i;
        }
        return -1;
    }

    const QString& s_;
    const MaskLayout& m_;
    const Decimal& value_;
    MaskDigits digits_;
    QString out_;
    int placeholder_ = 0;
    int fractionIndex_ = 0;
    bool inFraction_ = false;
    bool pointSeen_ = false;
    bool exponentWritten_ = false;
};

Decimal roundedFor(Decimal d, const MaskLayout& m) {
    if (m.scientific) RoundToSignificant(d, std::max(m.intPlaceholders, 1) + m.decPlaceholders);
    else RoundToDecimals(d, m.decPlaceholders);
    return d;
}

// Section 2 for negatives and 3 for zero when they exist and are not empty.
size_t sectionFor(const std::vector<QString>& sections, const Decimal& d) {
    if (d.IsZero()) return sections.size() >= 3 && !sections[2].isEmpty() ? 2 : 0;
    if (d.Negative) return sections.size() >= 2 && !sections[1].isEmpty() ? 1 : 0;
    return 0;
}

QString formatMasked(const QString& mask, const Decimal& value, int generalPrecision) {
    if (value.Kind != Decimal::Finite) return NonFiniteText(value);
    const std::vector<QString> sections = splitSections(mask);
    size_t index = sectionFor(sections, value);
    if (sections[index].isEmpty()) return FormatGeneral(value, generalPrecision, 0);
    MaskLayout layout = readLayout(sections[index]);
    if (!layout.scientific && value.Exponent > kMaxDigits) return FormatGeneral(value, 15, 0);
    Decimal rounded = roundedFor(value, layout);
    if (rounded.IsZero() && index != sectionFor(sections, rounded)) {
        index = sectionFor(sections, rounded);
        if (sections[index].isEmpty()) return QStringLiteral("0");
        layout = readLayout(sections[index]);
    }
    QString text = MaskWriter(sections[index], layout, rounded).write();
    // The first section prints a negative value with a '-' of its own.
    if (index == 0 && rounded.Negative && !rounded.IsZero()) text.prepend(u'-');
    return text;
}

// ------------------------------------------------------------------- Format

[[noreturn]] void badFormat(const QString& fmt) {
    throw EConvertError(QStringLiteral("Format '%1' invalid or incompatible with argument").arg(fmt));
}

// One "%[index:][-][width][.precision]type" item.
struct FormatSpec {
    bool leftJustify = false;
    int width = -1;
    int precision = -1;
    QChar type;
};

class Formatter {
public:
    Formatter(const QString& fmt, std::initializer_list<TVarRec> args) : fmt_(fmt), args_(args) {}

    QString run() {
        QString out;
        for (qsizetype i = 0; i < fmt_.size();) {
            const qsizetype pct = fmt_.indexOf(u'%', i);
            if (pct < 0) {
                out += QStringView(fmt_).mid(i);
                break;
            }
            out += QStringView(fmt_).mid(i, pct - i);
            pos_ = pct + 1;
            if (pos_ < fmt_.size() && fmt_[pos_] == u'%') {
                out += u'%';
                i = pos_ + 1;
                continue;
            }
            out += item(readSpec());
            i = pos_;
        }
        return out;
    }

private:
    QChar peek() const { return pos_ < fmt_.size() ? fmt_[pos_] : QChar(); }

    // Digits or '*' (taken from the arguments); -1 when neither is there.
    int readNumber() {
        if (peek() == u'*') {
            ++pos_;
            const TVarRec& a = nextArg();
            if (a.VType() != TVarRec::vtInteger) badFormat(fmt_);
            return int(std::clamp<Int64>(a.AsInt64(), -1, 1 << 20));
        }
        if (peek() < u'0' || peek() > u'9') return -1;
        int n = 0;
        while (pos_ < fmt_.size() && fmt_[pos_] >= u'0' && fmt_[pos_] <= u'9') {
            n = std::min(n * 10 + (fmt_[pos_++].unicode() - u'0'), 1 << 20);
        }
        return n;
    }

    // "n:" before the rest sets the index of the next argument.
    void readIndex() {
        qsizetype end = pos_;
        while (end < fmt_.size() && fmt_[end] >= u'0' && fmt_[end] <= u'9') ++end;
        if (end == pos_ || end >= fmt_.size() || fmt_[end] != u':') return;
        next_ = readNumber();
        ++pos_;
    }

    FormatSpec readSpec() {
        FormatSpec conv;
        readIndex();
        if (peek() == u'-') {
            conv.leftJustify = true;
            ++pos_;
        }
        conv.width = readNumber();
        if (peek() == u'.') {
            ++pos_;
            conv.precision = std::max(readNumber(), 0);
        }
        if (pos_ >= fmt_.size()) badFormat(fmt_);
        conv.type = fmt_[pos_++].toUpper();
        return conv;
    }

    const TVarRec& nextArg() {
        if (size_t(next_) >= args_.size()) {
            throw EConvertError(QStringLiteral("No argument for format '%1'").arg(fmt_));
        }
        return args_.begin()[next_++];
    }

    QString item(const FormatSpec& conv) {
        const TVarRec& a = nextArg();
        QString text = convert(conv, a);
        if (conv.width > text.size()) {
            const QString pad(conv.width - text.size(), u' ');
            text = conv.leftJustify ? text + pad : pad + text;
        }
        return text;
    }

    QString convert(const FormatSpec& conv, const TVarRec& a) {
        switch (conv.type.unicode()) {
        case u'D': return integerText(conv, a);
        case u'U': return unsignedText(conv, a);
        case u'X': return hexText(conv, a);
        case u'S': return stringText(conv, a);
        case u'P': return pointerText(a);
        case u'E': return exponentText(floatArg(a), std::clamp(conv.precision < 0 ? 15 : conv.precision, 1, kMaxDigits));
        case u'F': return fixedText(floatArg(a), decimals(conv, 2), false);
        case u'N': return fixedText(floatArg(a), decimals(conv, 2), true);
        case u'M': return currencyText(floatArg(a), decimals(conv, FormatSettings().CurrencyDecimals));
        case u'G':
            return FormatGeneral(floatArg(a), std::clamp(conv.precision < 0 ? 15 : conv.precision, 1, kMaxDigits), 0);
        default: badFormat(fmt_);
        }
    }

    static int decimals(const FormatSpec& conv, int byDefault) {
        return std::min(conv.precision < 0 ? byDefault : conv.precision, kMaxDigits);
    }

    Decimal floatArg(const TVarRec& a) const {
        if (a.VType() == TVarRec::vtExtended) return ToDecimal(a.AsExtended());
        if (a.VType() == TVarRec::vtCurrency) return ToDecimal(a.AsCurrency());
        badFormat(fmt_);
    }

    Int64 intArg(const TVarRec& a) const {
        if (a.VType() != TVarRec::vtInteger) badFormat(fmt_);
        return a.AsInt64();
    }

    // Zeros after the sign up to `precision` digits: "%.3d" of -5 is "-005".
    static QString padDigits(QString digits, int precision) {
        if (precision > digits.size()) digits.prepend(QString(precision - digits.size(), u'0'));
        return digits;
    }

    QString integerText(const FormatSpec& conv, const TVarRec& a) const {
        const Int64 v = intArg(a);
        const UInt64 magnitude = v < 0 ? UInt64(0) - UInt64(v) : UInt64(v);
        const QString digits = padDigits(QString::number(magnitude), conv.precision);
        return v < 0 ? u'-' + digits : digits;
    }

    QString unsignedText(const FormatSpec& conv, const TVarRec& a) const {
        return padDigits(QString::number(UnsignedBits(intArg(a))), conv.precision);
    }

    QString hexText(const FormatSpec& conv, const TVarRec& a) const { return IntToHex(intArg(a), conv.precision); }

    QString stringText(const FormatSpec& conv, const TVarRec& a) const {
        if (a.VType() != TVarRec::vtString) badFormat(fmt_);
        return conv.precision >= 0 ? a.AsString().left(conv.precision) : a.AsString();
    }

    QString pointerText(const TVarRec& a) const {
        if (a.VType() != TVarRec::vtPointer) badFormat(fmt_);
        return QString::number(quintptr(a.AsPointer()), 16).toUpper().rightJustified(16, u'0');
    }

    const QString& fmt_;
    std::initializer_list<TVarRec> args_;
    qsizetype pos_ = 0;
    int next_ = 0;
};

}  // namespace

QString FormatFloat(const QString& mask, Extended v) { return formatMasked(mask, ToDecimal(v), 15); }

QString FormatCurr(const QString& mask, Currency v) { return formatMasked(mask, ToDecimal(v), 19); }

QString Format(const QString& fmt, std::initializer_list<TVarRec> args) { return Formatter(fmt, args).run(); }
