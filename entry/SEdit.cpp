// The edit box's value model: the text routines, validation and
// reformatting, the typed values, the setters that keep the input rules
// consistent, and Update. Keys, focus and the input method are in
// SEditKeys.cpp, the navigation shared with the combo box in SEditBox.cpp.
#include "SEdit.h"

#include "DB.h"
#include "Dialogs.h"

#include <algorithm>
#include <cmath>

bool SuppressExit = false;
TWinControl* ImeCurrentEdit = nullptr;
Cardinal SEditAnsiCodePage = 0;

namespace {

// The unit records the code page once, however often it is initialised.
Integer initCount = 0;
struct UnitInit {
    UnitInit() {
        if (initCount++ == 0) SEditAnsiCodePage = GetACP();
    }
} unitInit;

const QString kDateFormat = QStringLiteral("yyyy/mm/dd");
const QString kMonthFormat = QStringLiteral("yyyy/mm");
const QString kTimeFormat = QStringLiteral("hh:nn");
const QString kSecondsFormat = QStringLiteral("hh:nn:ss");

bool IsDecimalKind(TNumericType kind) { return kind == ntExtend || kind == ntCurrency; }

// Only digits, '.', '+' and '-' may stand in a number (',' is removed first).
bool HasNumberCharsOnly(const QString& s) {
    for (QChar c : s) {
        const char16_t u = c.unicode();
        if (!((u >= u'0' && u <= u'9') || u == u'.' || u == u'+' || u == u'-')) return false;
    }
    return true;
}

QString WithoutCommas(const QString& s) {
    QString t = Trim(s);
    t.remove(u',');
    return t;
}

// The whole part of v when an Int64 holds it.
bool WholeInt64(Extended v, Int64& out) {
    constexpr Extended twoTo63 = 9223372036854775808.0L;
    const Extended whole = Int(v);
    if (!(whole >= -twoTo63 && whole < twoTo63)) return false;
    out = Int64(whole);
    return true;
}

QString WithoutSeparators(const QString& s) {
    QString t = s;
    t.remove(u'/');
    t.remove(u':');
    return t;
}

QString FormatOf(TNumericType kind) {
    switch (kind) {
    case ntDateym: return kMonthFormat;
    case ntDateymd: return kDateFormat;
    case ntTimehm: return kTimeFormat;
    default: return kSecondsFormat;
    }
}

Integer IntegerPiece(const QString& piece) {
    return StrToIntDef(Trim(piece), 0);
}

// Digits with separators put in: "20090513" → "2009/05/13", "0905" → "09:05".
QString InsertSeparators(TNumericType kind, const QString& digits) {
    for (QChar c : digits) {
        if (c < u'0' || c > u'9') return QString();
    }
    if (kind == ntDateymd && digits.size() == 8) return digits.left(4) + '/' + digits.mid(4, 2) + '/' + digits.mid(6);
    if (kind == ntDateym && digits.size() == 6) return digits.left(4) + '/' + digits.mid(4);
    if (IsTimeKind(kind) && digits.size() == 4) return digits.left(2) + ':' + digits.mid(2);
    if (IsTimeKind(kind) && digits.size() == 6) return digits.left(2) + ':' + digits.mid(2, 2) + ':' + digits.mid(4);
    return QString();
}

}  // namespace

// ------------------------------------------------------------ text routines

bool TryParseNumber(const QString& S, Int64& Value) {
    Value = 0;
    if (Trim(S).isEmpty()) return true;
    const QString t = WithoutCommas(S);
    if (!HasNumberCharsOnly(t)) return false;
    // Read exactly in decimal and rounded to 1/10000, halves to even.
    Currency c;
    if (!TryStrToCurr(t, c)) return false;
    Value = c.Raw();
    return true;
}

Int64 ParseNumber(const QString& S) {
    Int64 v = 0;
    return TryParseNumber(S, v) ? v : 0;
}

QString UnformatNumber(const QString& S) {
    const QString t = WithoutCommas(S);
    if (t.isEmpty() || !HasNumberCharsOnly(t)) return QStringLiteral("0");
    return FloatToStr(StrToFloatDef(t, 0));
}

QString FormatGrouped(const QString& S, Integer D) {
    const QString t = Trim(S);
    if (t.isEmpty()) return QStringLiteral("0");
    return Format(QStringLiteral("%.%1n").arg(D), {StrToFloatDef(t, 0)});
}

Integer SplitText(const QString& S, QChar Sep, TStrings* List) {
    if (!List) return 0;
    List->Clear();
    QString piece;
    bool quoted = false;
    for (QChar c : S) {
        if (c == u'"') {
            quoted = !quoted;
        } else if (c == Sep && !quoted) {
            List->Add(piece);
            piece.clear();
        } else {
            piece += c;
        }
    }
    List->Add(piece);
    return List->Count();
}

QString NormalizeDate(const TCEdit* Box, const QString& S) {
    if (!Box || Trim(S).isEmpty()) return QString();
    const TNumericType kind = Box->NumericType();
    const QString t = kind == ntDateym ? S + QStringLiteral("/1") : S;
    const QStringList pieces = t.split(u'/');
    if (kind != ntDateym) {
        Integer month = 0, day = 0;
        if (pieces.size() == 2) {
            month = IntegerPiece(pieces[0]);
            day = IntegerPiece(pieces[1]);
        } else if (pieces.size() == 3) {
            month = IntegerPiece(pieces[1]);
            day = IntegerPiece(pieces[2]);
        }
        if (month < 1 || month > 12 || day < 1 || day > 31) return QString();
    }
    // A date that does not exist is not turned into a default one.
    TDateTime value = 0;
    if (!TryStrToDateTime(t, value)) return QString();
    return FormatDateTime(kind == ntDateym ? kMonthFormat : kDateFormat, value);
}

QString NormalizeTime(const TCEdit* Box, const QString& S) {
    if (!Box || Trim(S).isEmpty()) return QString();
    const TNumericType kind = Box->NumericType();
    QString t = QStringLiteral("1/1/1 ") + S;
    if (kind == ntTimehm) t += QStringLiteral(":0");
    TDateTime value = 0;
    if (!TryStrToDateTime(t, value)) return QString();
    return FormatDateTime(kind == ntTimehm ? kTimeFormat : kSecondsFormat, value);
}

namespace {

TErrorType ValidateNumber(TCEdit* box, bool reportBadValue, bool& caretStep) {
    const QString text = box->Text();
    Int64 v = 0;
    caretStep = false;
    if (!TryParseNumber(text, v)) return erNotValue;
    if (v == 0) {
        if (box->Need() && Trim(text).isEmpty()) return erNeeded;
        if (!box->ZeroDisp()) box->SetText(QString());
        else if (!Trim(box->AcceptedText()).isEmpty() && !box->Modified()) box->SetText(box->AcceptedText());
        return erNone;
    }
    TErrorType result = erNone;
    if (v < box->MinValue() * Currency::Scale) result = erMinValue;
    if (v > box->MaxValue() * Currency::Scale) result = erMaxValue;
    if (result != erNone) return result;
    caretStep = true;
    const Integer d = box->CharTypes().Contains(ctPeriod) ? box->fpLength() : 0;
    try {
        if (box->CharTypes().Contains(ctConmma))
            box->SetText(FormatGrouped(UnformatNumber(text), d));
        else
            box->SetText(Format(QStringLiteral("%.%1f").arg(d), {Extended(v) / Currency::Scale}));
    } catch (const EConvertError&) {
        box->SetText(FormatGrouped(QStringLiteral("0"), d));
        return reportBadValue ? erNotValue : erNone;
    }
    return erNone;
}

TErrorType ValidateZeroFill(TCEdit* box, bool& caretStep) {
    const Integer width = Integer(FloatToStr(box->MaxValue()).size());
    const QString text = Trim(box->Text());
    caretStep = false;
    if (text.isEmpty()) {
        if (box->Need()) return erNeeded;
        box->SetText(box->ZeroDisp() && !box->Modified() ? StringOfChar(u'0', width) : QString());
        caretStep = true;
        return erNone;
    }
    Int64 v = 0;
    if (!TryStrToInt64(text, v)) return erNotValue;
    TErrorType result = erNone;
    if (v < box->MinValue()) result = erMinValue;
    if (v > box->MaxValue()) result = erMaxValue;
    if (result != erNone) return result;
    if (v == 0 && !box->ZeroDisp()) {
        box->SetText(QString());
        return erNone;
    }
    box->SetText(Format(QStringLiteral("%.%1d").arg(width), {v}));
    caretStep = true;
    return erNone;
}

// Dates and times: an unreadable text stays as typed; a blank one passes
// (emptied) unless input is needed.
TErrorType ValidateDateTime(TCEdit* box, bool& caretStep) {
    const TNumericType kind = box->NumericType();
    const QString r = IsDateKind(kind) ? NormalizeDate(box, box->Text()) : NormalizeTime(box, box->Text());
    const TErrorType bad = IsDateKind(kind) ? erDate : erTime;
    caretStep = true;
    if (!r.isEmpty()) {
        box->SetText(r);
        return erNone;
    }
    if (!Trim(box->Text()).isEmpty()) {
        caretStep = false;
        return bad;
    }
    if (box->Need()) {
        caretStep = false;
        return erNeeded;
    }
    box->SetText(QString());
    return bad;
}

}  // namespace

TErrorType Validate(TCEdit* Box, bool ReportBadValue) {
    if (!Box) return erNone;
    bool caretStep = true;
    TErrorType result = erNone;
    const TNumericType kind = Box->NumericType();
    if (Box->plainNumber()) result = ValidateNumber(Box, ReportBadValue, caretStep);
    else if (kind == ntZeroFillInteger) result = ValidateZeroFill(Box, caretStep);
    else if (kind != ntDontCare) result = ValidateDateTime(Box, caretStep);
    if (caretStep && Box->rightAligned()) Box->caretToEnd();
    return result;
}

// ------------------------------------------------------------ TCEdit: life

TCEdit::TCEdit(TComponent* AOwner) : TCustomEdit(AOwner), TEntryBox(static_cast<TWinControl&>(*this)) {
    SetBorderStyle(bsNone);
    DecideThemes();
    SetText(QString());
}

TCEdit::~TCEdit() {
    if (ImeCurrentEdit == this) ImeCurrentEdit = nullptr;
}

void TCEdit::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomEdit::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (ImeCurrentEdit && static_cast<TComponent*>(ImeCurrentEdit) == AComponent) ImeCurrentEdit = nullptr;
    if (dataSet_ && static_cast<TComponent*>(dataSet_) == AComponent) dataSet_ = nullptr;
    ForgetComponent(AComponent);
}

void TCEdit::SetDataSet(TDataSet* dataSet) {
    dataSet_ = dataSet;
    if (dataSet) FreeNotification(dataSet);
}

bool TCEdit::IsDateTime() const { return IsDateKind(numericType_) || IsTimeKind(numericType_); }

bool TCEdit::IsNull() const { return Trim(Text()).isEmpty(); }

bool TCEdit::IsNumeric() const { return numericType_ >= ntInteger && numericType_ <= ntCurrency; }

bool TCEdit::plainNumber() const {
    return numericType_ == ntInteger || numericType_ == ntExtend || numericType_ == ntCurrency;
}

void TCEdit::caretToEnd() {
    SetSelStart(Integer(Text().size()));
}

void TCEdit::Clear() {
    TCustomEdit::Clear();
    SetAcceptedText(QString());
}

void TCEdit::SetAlignment(TAlignment alignment) {
    if (alignment == Alignment()) return;
    TCustomEdit::SetAlignment(alignment);
    SetAutoSelect(alignment != taRightJustify);
    RecreateWnd();
}

void TCEdit::SetAutoSize(bool on) {
    if (on == AutoSize()) return;
    TCustomEdit::SetAutoSize(on);
    Layout();
}

void TCEdit::SetDisplayWidth(Integer width) {
    displayWidth_ = std::max(0, width);
    Layout();
}

void TCEdit::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
    TCustomEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (!IsLoading()) Layout();
}

void TCEdit::DoSetMaxLength(Integer Value) {
    TCustomEdit::DoSetMaxLength(Value);
    if (MaxLength() != 0 && displayWidth_ == 0) SetDisplayWidth(MaxLength());
}

// ------------------------------------------------------------ rule setters

void TCEdit::SetNumericType(TNumericType type) {
    if (type == numericType_) return;
    TCharTypes c = charTypes_;
    if (!(type == ntDontCare || IsDecimalKind(type))) c.Exclude(ctPeriod);
    if (type == ntZeroFillInteger || IsDateKind(type) || IsTimeKind(type)) {
        c.Exclude(ctMinus);
        c.Exclude(ctConmma);
    }
    c.Exclude(ctQuoted);
    c.Exclude(ctDQuoted);
    switch (type) {
    case ntZeroFillInteger: minValue_ = 0; break;
    case ntDateym: case ntDateymd: case ntTimehm: case ntTimehms:
        minValue_ = 0;
        maxValue_ = 0;
        SetMaxLength(type == ntDateym ? 7 : type == ntDateymd ? 10 : type == ntTimehm ? 5 : 8);
        break;
    case ntDontCare:
        minValue_ = 0;
        maxValue_ = 0;
        SetMaxLength(0);
        break;
    default: break;
    }
    // The old kind still decides what the character setter takes.
    SetCharTypes(c);
    if (!charTypes_.Contains(ctPeriod) && !IsLoading()) fpLength_ = 0;
    numericType_ = type;
}

void TCEdit::SetCharTypes(TCharTypes types) {
    if (types == charTypes_) return;
    if (numericType_ == ntDontCare) {
        charTypes_ = types;
        return;
    }
    TCharTypes result = charTypes_;
    const TCharTypes changed = TCharTypes::FromBits(types.Bits() ^ charTypes_.Bits());
    if (changed.Contains(ctPeriod) && IsDecimalKind(numericType_)) {
        if (!types.Contains(ctPeriod)) {
            result.Exclude(ctPeriod);
            if (!IsLoading()) fpLength_ = 0;
        } else if (fpLength_ > 0) {
            result.Include(ctPeriod);
        }
    }
    if (IsNumeric()) {
        for (TCharType t : {ctMinus, ctConmma}) {
            if (!changed.Contains(t)) continue;
            if (types.Contains(t)) result.Include(t);
            else result.Exclude(t);
        }
    }
    charTypes_ = result;
    // Grouping needs room in a whole-number box.
    if (changed.Contains(ctConmma) && numericType_ == ntInteger && (maxValue_ != 0 || minValue_ != 0))
        SetMaxLength(integerMaxLength());
}

void TCEdit::SetfpLength(Integer length) {
    if (length == fpLength_ || length < 0 || length > 10) return;
    if (length == 0) {
        if (charTypes_.Contains(ctPeriod)) SetCharTypes(charTypes_ - ctPeriod);
        fpLength_ = 0;
        return;
    }
    if (!IsDecimalKind(numericType_) && !IsLoading()) {
        fpLength_ = 0;
        return;
    }
    fpLength_ = length;
    // A length derived from the range keeps room for the decimals.
    if (IsDecimalKind(numericType_) && (maxValue_ != 0 || minValue_ != 0)) SetMaxLength(numberMaxLength());
    else if (MaxLength() != 0 && MaxLength() < length + 2) SetMaxLength(MaxLength() + length + 2);
    SetCharTypes(charTypes_ + ctPeriod);
}

// The longest whole number of the range, with its grouping commas and the
// sign of a negative minimum.
Integer TCEdit::integerMaxLength() const {
    const bool comma = charTypes_.Contains(ctConmma);
    const Integer high = Integer(FormatFloat(comma ? QStringLiteral("#,###") : QStringLiteral("#"), maxValue_).size());
    const Integer low = Integer(FormatFloat(comma ? QStringLiteral("-#,###") : QStringLiteral("-#"), minValue_).size());
    return std::max(high, low);
}

// As integerMaxLength, with the decimals of ntExtend and ntCurrency.
Integer TCEdit::numberMaxLength() const {
    return integerMaxLength() + (fpLength_ > 0 ? fpLength_ + 1 : 0);
}

void TCEdit::SetMaxValue(Int64 value) {
    if (value == maxValue_) return;
    maxValue_ = value;
    const auto plainLength = [](Int64 v) { return Integer(FloatToStr(v).size()); };
    switch (numericType_) {
    case ntZeroFillInteger:
        if (value < 0) {
            ShowMessage(NoMinusInZeroFillMessage);
            maxValue_ = 99999;
            SetMaxLength(5);
        } else if (value < minValue_) {
            ShowMessage(MaxBelowMinMessage);
            maxValue_ = minValue_;
            SetMaxLength(plainLength(maxValue_));
        } else {
            SetMaxLength(plainLength(value));
        }
        break;
    case ntInteger:
        if (value < minValue_) {
            ShowMessage(MaxBelowMinMessage);
            maxValue_ = minValue_;
        }
        SetMaxLength(integerMaxLength());
        break;
    case ntExtend: case ntCurrency:
        if (value < minValue_) {
            ShowMessage(MaxBelowMinMessage);
            maxValue_ = minValue_;
            SetMaxLength(Integer(IntToStr(maxValue_).size()));
            break;
        }
        SetCharTypes(minValue_ < 0 ? charTypes_ + ctMinus : charTypes_ - ctMinus);
        SetMaxLength(numberMaxLength());
        break;
    default: break;
    }
}

void TCEdit::SetMinValue(Int64 value) {
    if (value == minValue_) return;
    minValue_ = value;
    switch (numericType_) {
    case ntInteger: case ntZeroFillInteger:
        if (maxValue_ < value) {
            ShowMessage(MinAboveMaxMessage);
            minValue_ = maxValue_;
        } else if (numericType_ == ntZeroFillInteger && value < 0) {
            ShowMessage(NoMinusInZeroFillMessage);
            minValue_ = 0;
        }
        if (numericType_ == ntInteger) SetMaxLength(integerMaxLength());
        break;
    case ntExtend: case ntCurrency:
        if (maxValue_ < value) {
            ShowMessage(MinAboveMaxMessage);
            minValue_ = maxValue_;
            break;
        }
        SetCharTypes(minValue_ < 0 ? charTypes_ + ctMinus : charTypes_ - ctMinus);
        SetMaxLength(numberMaxLength());
        break;
    default: break;
    }
}

// ------------------------------------------------------------ typed values

Currency TCEdit::AsCurrency() const {
    if (IsNumeric()) return Currency::FromRaw(ParseNumber(Text()));
    if (numericType_ == ntDontCare) return StrToCurrDef(Text(), Currency());
    if (integerResult_) return StrToCurrDef(WithoutSeparators(Text()), Currency());
    Currency c;
    return Currency::TryFromDouble(AsDateTime(), c) ? c : Currency();
}

Extended TCEdit::AsFloat() const {
    if (IsNumeric()) return Extended(ParseNumber(Text())) / Currency::Scale;
    if (numericType_ == ntDontCare) return StrToFloatDef(Text(), 0);
    if (integerResult_) return StrToFloatDef(WithoutSeparators(Text()), 0);
    return AsDateTime();
}

Int64 TCEdit::AsInteger() const {
    // A half rounds upwards: 2.5 gives 3, -2.5 gives -2.
    if (IsNumeric()) return Round((Extended(ParseNumber(Text())) + 0.01L) / Currency::Scale);
    if (numericType_ == ntDontCare) return StrToInt64Def(Text(), 0);
    if (integerResult_) return StrToInt64Def(WithoutSeparators(Text()), 0);
    return Trunc(AsDateTime());
}

TDateTime TCEdit::AsDateTime() const {
    const QString t = Trim(Text());
    switch (numericType_) {
    case ntDateym:
        return StrToDateTimeDef(t.isEmpty() ? QStringLiteral("1900/01/01") : t + QStringLiteral("/01"), 1.0);
    case ntDateymd:
        return StrToDateTimeDef(t.isEmpty() ? QStringLiteral("1900/01/01") : t, 1.0);
    case ntTimehm: case ntTimehms: {
        QString s = QStringLiteral("1899/12/30 ");
        if (t.isEmpty()) s += QStringLiteral("00:00:00");
        else s += numericType_ == ntTimehm ? Text() + QStringLiteral(":00") : Text();
        return double(Frac(StrToDateTimeDef(s, 1.0)));
    }
    default:
        return -1.0;
    }
}

QString TCEdit::AsString() {
    if (Validate(this, true) != erNone) return QString();
    QString t = Text();
    if (numericType_ == ntZeroFillInteger)
        return Format(QStringLiteral("%.%1d").arg(MaxLength()), {StrToInt64Def(Trim(t), 0)});
    if (IsNumeric()) {
        if (supressConmma_ && charTypes_.Contains(ctConmma)) t.remove(u',');
        return t;
    }
    if (IsDateTime() && integerResult_) return WithoutSeparators(t);
    if (localSQLDate_) {
        const QStringList pieces = t.split(u'/');
        if (pieces.size() == 3) return pieces[1] + '/' + pieces[2] + '/' + pieces[0];
    }
    return t;
}

void TCEdit::acceptText(const QString& text) {
    if (text == Text()) return;
    SetText(text);
    SetAcceptedText(text);
    Update();
}

QString TCEdit::dateTimeText(TDateTime value) const {
    return FormatDateTime(FormatOf(numericType_), value);
}

// A value that names no date or time goes in as the number it is, so that
// validation flags it as it flags such a number in a number box.
void TCEdit::acceptDateTime(TDateTime value) {
    acceptText(std::isfinite(value) ? dateTimeText(value) : FloatToStr(value));
}

// Whole digits as a date or time ("20090513", "0905"); a number of another
// length leaves the box as it is.
void TCEdit::setDigitsText(Int64 digits) {
    if (digits < 0) return;
    QString text = IntToStr(digits);
    if (IsTimeKind(numericType_)) text = text.rightJustified(numericType_ == ntTimehm ? 4 : 6, u'0');
    const QString formatted = InsertSeparators(numericType_, text);
    if (!formatted.isEmpty()) acceptText(formatted);
}

// Digits that no Int64 holds are flagged as in a number box.
void TCEdit::setDigits(Extended value) {
    Int64 digits = 0;
    if (WholeInt64(value, digits)) setDigitsText(digits);
    else acceptText(FloatToStr(value));
}

void TCEdit::SetAsCurrency(Currency value) {
    if (IsNumeric()) acceptText(FormatCurr(QStringLiteral("#0.####"), value));
    else if (IsDateTime() && integerResult_) setDigitsText(value.Raw() / Currency::Scale);
    else if (IsDateTime()) acceptText(dateTimeText(value.ToDouble()));
}

void TCEdit::SetAsFloat(Extended value) {
    if (IsNumeric()) acceptText(FormatFloat(QStringLiteral("#0.##########"), value));
    else if (IsDateTime() && integerResult_) setDigits(value);
    else if (IsDateTime()) acceptDateTime(double(value));
}

void TCEdit::SetAsInteger(Int64 value) {
    if (IsNumeric()) acceptText(IntToStr(value));
    else if (IsDateTime() && integerResult_) setDigitsText(value);
    else if (IsDateKind(numericType_)) acceptText(dateTimeText(double(value)));
    else if (IsTimeKind(numericType_)) Clear();
}

void TCEdit::SetAsDateTime(TDateTime value) {
    const QString mask = QStringLiteral("#0.##########");
    switch (numericType_) {
    case ntInteger: case ntZeroFillInteger: acceptText(FormatFloat(mask, Int(value))); break;
    case ntExtend: case ntCurrency: acceptText(FormatFloat(mask, value)); break;
    case ntDateym: case ntDateymd:
        if (value > 2.0 || !std::isfinite(value)) acceptDateTime(value);
        else Clear();
        break;
    case ntTimehm: case ntTimehms: acceptDateTime(value); break;
    default: acceptText(FormatDateTime(QStringLiteral("yyyy/mm/dd hh:nn:ss"), value)); break;
    }
}

void TCEdit::SetAsString(const QString& value) {
    QString text = value;
    if (IsDateTime() && integerResult_) {
        const QString formatted = InsertSeparators(numericType_, value);
        if (!formatted.isEmpty()) text = formatted;
    }
    SetText(text);
    if (Validate(this, true) == erNone) {
        SetAcceptedText(Text());
        Update();
    } else {
        SetText(AcceptedText());
    }
}

// ------------------------------------------------------------ update

// Validation, accepted text and Modified, as Update and its refresh share.
void TCEdit::refreshValue() {
    errorType_ = Validate(this, false);
    SetAcceptedText(Text());
    SetModified(false);
}

void TCEdit::Update() {
    stamp_ = NextStamp();
    refreshValue();
    // The focused box shows the editing form of a readable number.
    if (Focused() && plainNumber() && errorType_ != erNotValue) SetText(UnformatNumber(Text()));
    if (rightAligned()) caretToEnd();
    RefreshNeighbours(stamp_);
    TCustomEdit::Update();
}

void TCEdit::StampedRefresh(UInt64 stamp) {
    if (stamp_ == stamp) return;
    stamp_ = stamp;
    refreshValue();
    if (rightAligned()) caretToEnd();
    RefreshNeighbours(stamp);
}

bool TCEdit::IsSameAsEntry() const {
    const QString now = Trim(Text());
    const QString entry = Trim(AcceptedText());
    const auto asDate = [](const QString& s, const QString& suffix) {
        return StrToDateTimeDef(s.isEmpty() ? QStringLiteral("1900/01/01") : s + suffix, 1.0);
    };
    const auto asTime = [](const QString& s, const QString& suffix) {
        TDateTime t = 1.0;
        if (!TryStrToTime(s.isEmpty() ? QStringLiteral("00:00:00") : s + suffix, t)) t = 1.0;
        return t;
    };
    switch (numericType_) {
    case ntDontCare: return now == entry;
    case ntDateym: return asDate(now, QStringLiteral("/01")) == asDate(entry, QStringLiteral("/01"));
    case ntDateymd: return asDate(now, QString()) == asDate(entry, QString());
    case ntTimehm: return asTime(now, QStringLiteral(":00")) == asTime(entry, QStringLiteral(":00"));
    case ntTimehms: return asTime(now, QString()) == asTime(entry, QString());
    default:
        if (zeroDisp_) return now == entry;
        return ParseNumber(now) == ParseNumber(entry);
    }
}

// ------------------------------------------------------------ input method

Qt::InputMethodHints TCEdit::ImeClosedHints() const {
    switch (numericType_) {
    case ntDontCare: return TCustomEdit::ImeClosedHints();
    case ntDateym: case ntDateymd: return Qt::ImhDate | Qt::ImhPreferNumbers;
    case ntTimehm: case ntTimehms: return Qt::ImhTime | Qt::ImhPreferNumbers;
    case ntZeroFillInteger: return Qt::ImhDigitsOnly;
    case ntInteger: return charTypes_.Contains(ctMinus) ? Qt::ImhFormattedNumbersOnly : Qt::ImhDigitsOnly;
    default: return Qt::ImhFormattedNumbersOnly;
    }
}
