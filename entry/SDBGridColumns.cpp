// The grid's column objects and their collection: defaults, the rule
// setters with their corrections and messages, Assign, and the change
// signal that makes the grid refresh.
#include "SDBGrid.h"

#include "Dialogs.h"
#include "Forms.h"

#include <cmath>

namespace {

// While set, AutoSize setters do nothing (one column's change clears the
// others'); shared by every grid of the program.
bool AutoSizeChanging = false;

Integer ScreenPixelsPerInch() {
    return Screen ? Screen->PixelsPerInch() : 96;
}

Integer SizeOfHeight(Integer height) {
    return -MulDiv(height, 72, ScreenPixelsPerInch());
}

Integer HeightOfSize(Integer size) {
    return -MulDiv(size, ScreenPixelsPerInch(), 72);
}

// The digits of a number as written out, never in exponent form.
QString PlainText(Extended v) {
    const QString s = FloatToStr(v);
    if (!s.contains(QLatin1Char('E'))) return s;
    return FormatFloat(QStringLiteral("0.##########"), v);
}

Integer PlainLength(Extended v) {
    return Integer(PlainText(v).size());
}

constexpr Extended DesignLow = -2147483648.0L;
constexpr Extended DesignHigh = 2147483647.0L;

bool IsIntegerKind(TSNumericType kind) {
    return kind == ntgInteger || kind == ntgZeroFillInteger;
}

bool IsMoneyKind(TSNumericType kind) {
    return kind == ntgExtend || kind == ntgCurrency;
}

bool IsDateOrTimeKind(TSNumericType kind) {
    return kind >= ntgDateym && kind <= ntgTimehms;
}

const QString TooLarge18 = QStringLiteral("絶対値が大きすぎます(Max18桁)");
const QString TooLarge10 = QStringLiteral("絶対値が大きすぎます(Max10桁)");

}  // namespace

// ------------------------------------------------------------ life

TGridColumn::TGridColumn(TCollection* Collection)
    : TCollectionItem(Collection), lookup_(std::make_unique<TStringList>()) {}

TGridColumn::~TGridColumn() = default;

TSDBGrid* TGridColumn::Grid() const {
    auto* columns = dynamic_cast<TGridColumns*>(Collection());
    return columns ? columns->Grid() : nullptr;
}

bool TGridColumn::designing() const {
    const TSDBGrid* grid = Grid();
    return grid && grid->ComponentState().Contains(csDesigning);
}

QString TGridColumn::DisplayName() const {
    return text_.isEmpty() ? TCollectionItem::DisplayName() : text_;
}

// The kind goes first and the range is taken as the source holds it: set
// one by one after the other rule setters, a kind set late drops the
// decimals and the period, and a range set against the old one is refused.
void TGridColumn::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TGridColumn*>(Source);
    if (!s) {
        TCollectionItem::Assign(Source);
        return;
    }
    SetNumericType(s->numericType_);
    SetAlignment(s->alignment_);
    SetAutoSelect(s->autoSelect_);
    SetAutoSequence(s->autoSequence_);
    SetAutoSize(false);
    SetCellColor(s->cellColor_);
    SetCellFontColor(s->cellFontColor_);
    SetCellFontSize(s->cellFontSize_);
    SetCellFontHeight(s->cellFontHeight_);
    SetCharCase(s->charCase_);
    SetCharTypes(s->charTypes_);
    dataSet_ = s->dataSet_;
    SetExitKeys(s->exitKeys_);
    SetFixedFontColor(s->fixedFontColor_);
    SetFixedFontSize(s->fixedFontSize_);
    SetFixedFontHeight(s->fixedFontHeight_);
    SetFixedText(s->fixedText_);
    SetFontColor(s->fontColor_);
    SetFontSize(s->fontSize_);
    SetFontHeight(s->fontHeight_);
    SetfpLength(s->fpLength_);
    SetImeMode(s->imeMode_);
    lookup_->SetText(s->lookup_->Text());
    maxValue_ = s->maxValue_;
    minValue_ = s->minValue_;
    SetMaxLength(s->maxLength_);
    SetNeed(s->need_);
    SetStay(s->stay_);
    SetText(QString());
    SetTimeStamp(s->timeStamp_);
    SetTitleAlignment(s->titleAlignment_);
    SetWidth(s->width_);
    SetWordWrap(s->wordWrap_);
    SetZeroDisp(s->zeroDisp_);
    signal();
}

// ------------------------------------------------------------ plain setters

template <class T>
void TGridColumn::storeAndSignal(T& field, const T& value) {
    if (field == value) return;
    field = value;
    signal();
}

void TGridColumn::SetText(const QString& value) { storeAndSignal(text_, value); }
void TGridColumn::SetWidth(Integer value) { storeAndSignal(width_, value); }
void TGridColumn::SetAlignment(TAlignment value) { storeAndSignal(alignment_, value); }
void TGridColumn::SetTitleAlignment(TAlignment value) { storeAndSignal(titleAlignment_, value); }
void TGridColumn::SetLayout(TTextLayout value) { storeAndSignal(layout_, value); }
void TGridColumn::SetWordWrap(bool value) { storeAndSignal(wordWrap_, value); }
void TGridColumn::SetMaxLength(Integer value) { storeAndSignal(maxLength_, value); }
void TGridColumn::SetMask(const QString& value) { storeAndSignal(mask_, value); }
void TGridColumn::SetFontColor(TColor value) { storeAndSignal(fontColor_, value); }
void TGridColumn::SetCellColor(TColor value) { storeAndSignal(cellColor_, value); }
void TGridColumn::SetCellFontColor(TColor value) { storeAndSignal(cellFontColor_, value); }
void TGridColumn::SetAutoSequence(Integer value) { storeAndSignal(autoSequence_, value); }

void TGridColumn::SetStay(bool value) {
    stay_ = value;
    if (stay_ && !fixedText_.isEmpty()) SetFixedText(QString());
}

// A column the cursor stops in shows its cells, never a fixed text.
void TGridColumn::SetFixedText(const QString& value) {
    if (value == fixedText_) return;
    fixedText_ = stay_ ? QString() : value;
    signal();
}

void TGridColumn::SetLookup(TStrings* value) {
    lookup_->Assign(value);
}

// ------------------------------------------------------------ fonts

void TGridColumn::setHeight(Integer& height, Integer& size, Integer value) {
    if (value == height) return;
    height = value;
    size = SizeOfHeight(value);
    signal();
}

void TGridColumn::setSize(Integer& height, Integer& size, Integer value) {
    if (value == size) return;
    size = value;
    setHeight(height, size, HeightOfSize(value));
    signal();
}

void TGridColumn::SetFontHeight(Integer value) { setHeight(fontHeight_, fontSize_, value); }
void TGridColumn::SetFontSize(Integer value) { setSize(fontHeight_, fontSize_, value); }
void TGridColumn::SetCellFontHeight(Integer value) { setHeight(cellFontHeight_, cellFontSize_, value); }
void TGridColumn::SetCellFontSize(Integer value) { setSize(cellFontHeight_, cellFontSize_, value); }

void TGridColumn::SetFixedFontColor(TColor value) {
    if (!stay_) storeAndSignal(fixedFontColor_, value);
}

void TGridColumn::SetFixedFontHeight(Integer value) {
    if (!stay_) setHeight(fixedFontHeight_, fixedFontSize_, value);
}

void TGridColumn::SetFixedFontSize(Integer value) {
    if (!stay_) setSize(fixedFontHeight_, fixedFontSize_, value);
}

// ------------------------------------------------------------ AutoSize

void TGridColumn::SetAutoSize(bool value) {
    if (value == autoSize_ || AutoSizeChanging) return;
    TFlagScope guard(AutoSizeChanging);
    if (Collection()) {
        for (Integer i = 0; i < Collection()->Count(); ++i)
            static_cast<TGridColumn*>(Collection()->Items(i))->autoSize_ = false;
    }
    autoSize_ = value;
    if (!designing()) signal();
}

// ------------------------------------------------------------ the rule

bool TGridColumn::IsNumeric() const {
    return numericType_ >= ntgInteger && numericType_ <= ntgCurrency;
}

bool TGridColumn::IsDateTime() const {
    return numericType_ >= ntgDateym && numericType_ <= ntgWareki;
}

void TGridColumn::SetNumericType(TSNumericType value) {
    if (value == numericType_) return;
    switch (value) {
    case ntgInteger: minValue_ = DesignLow; maxValue_ = DesignHigh; maxLength_ = 10; break;
    case ntgZeroFillInteger: minValue_ = 0; maxValue_ = 99999; maxLength_ = 5; break;
    case ntgExtend: case ntgCurrency: minValue_ = DesignLow; maxValue_ = DesignHigh; maxLength_ = 12; break;
    case ntgDateym: case ntgWareki: minValue_ = 0; maxValue_ = 0; maxLength_ = 7; break;
    case ntgDateymd: minValue_ = 0; maxValue_ = 0; maxLength_ = 10; break;
    case ntgTimehm: minValue_ = 0; maxValue_ = 0; maxLength_ = 5; break;
    case ntgTimehms: minValue_ = 0; maxValue_ = 0; maxLength_ = 8; break;
    default: minValue_ = 0; maxValue_ = 0; maxLength_ = 0; break;
    }
    const bool plainNumber = value != ntgZeroFillInteger && !IsDateOrTimeKind(value);
    TSCharTypes kept;
    if (charTypes_.Contains(ctgPeriod) && (value == ntgDontCare || IsMoneyKind(value)) && fpLength_ > 0)
        kept << ctgPeriod;
    if (charTypes_.Contains(ctgMinus) && plainNumber && minValue_ < 0) kept << ctgMinus;
    if (charTypes_.Contains(ctgConmma) && plainNumber) kept << ctgConmma;
    // The set goes through the setter under the old kind's rules.
    SetCharTypes(kept);
    if (!charTypes_.Contains(ctgPeriod)) SetfpLength(0);
    numericType_ = value;
}

void TGridColumn::SetCharTypes(TSCharTypes value) {
    if (value == charTypes_) return;
    if (numericType_ == ntgDontCare) {
        charTypes_ = value;
        return;
    }
    auto differs = [&](TSCharType t) { return value.Contains(t) != charTypes_.Contains(t); };
    if (IsMoneyKind(numericType_) && differs(ctgPeriod)) {
        if (!value.Contains(ctgPeriod)) {
            // Stored first: the decimals setter asks for the period again.
            charTypes_.Exclude(ctgPeriod);
            SetfpLength(0);
        } else if (fpLength_ > 0) {
            charTypes_.Include(ctgPeriod);
        }
    }
    if (IsNumeric() && differs(ctgMinus)) {
        if (!value.Contains(ctgMinus)) charTypes_.Exclude(ctgMinus);
        else if (minValue_ < 0) charTypes_.Include(ctgMinus);
    }
    if (IsNumeric() && differs(ctgConmma)) {
        if (value.Contains(ctgConmma)) charTypes_.Include(ctgConmma);
        else charTypes_.Exclude(ctgConmma);
    }
}

void TGridColumn::SetfpLength(Integer value) {
    if (value == fpLength_ || value > 10) return;
    if (value >= 1) {
        if (!IsMoneyKind(numericType_)) {
            fpLength_ = 0;
            return;
        }
        if (maxLength_ != 0 && maxLength_ < value + 2) maxLength_ = maxLength_ + value + 2;
        fpLength_ = value;
        SetCharTypes(charTypes_ + ctgPeriod);
        return;
    }
    if (charTypes_.Contains(ctgPeriod)) SetCharTypes(charTypes_ - ctgPeriod);
    fpLength_ = 0;
}

// The checks both range setters make first: the design-time range and the
// 18 digits of the fixed point, by magnitude. What is no number at all (an
// infinity, NaN) is refused as too large: no range could be checked against
// it.
bool TGridColumn::rangeAccepted(Extended value) const {
    if (designing() && (value < DesignLow || value > DesignHigh)) {
        ShowMessage(Format(QStringLiteral("設計時には%d～%dしか指定できません。"), {-2147483648LL, 2147483647LL}));
        return false;
    }
    if (!(std::fabs(value) < 1e18L)) {
        ShowMessage(TooLarge18);
        return false;
    }
    if (IsIntegerKind(numericType_) && std::fabs(value) >= 1e10L) {
        ShowMessage(TooLarge10);
        return false;
    }
    return true;
}

void TGridColumn::SetMaxValue(Extended value) {
    if (value == maxValue_ || !rangeAccepted(value)) return;
    if (IsIntegerKind(numericType_)) {
        if (numericType_ == ntgZeroFillInteger && value < 0) {
            ShowMessage(NoMinusInZeroFillMessage);
            maxValue_ = 99999;
            maxLength_ = 5;
            return;
        }
        if (minValue_ > value) {
            ShowMessage(MaxBelowMinMessage);
            maxValue_ = minValue_;
            maxLength_ = PlainLength(maxValue_);
            return;
        }
        maxValue_ = std::trunc(value);
        maxLength_ = PlainLength(maxValue_);
        if (minValue_ >= 0 && maxValue_ >= 0) SetCharTypes(charTypes_ - ctgMinus);
    } else if (IsMoneyKind(numericType_)) {
        if (minValue_ > value) {
            ShowMessage(MaxBelowMinMessage);
            maxValue_ = minValue_;
            maxLength_ = PlainLength(maxValue_);
            return;
        }
        maxValue_ = value;
        maxLength_ = std::max(PlainLength(maxValue_), PlainLength(minValue_));
        SetCharTypes(minValue_ >= 0 ? charTypes_ - ctgMinus : charTypes_ + ctgMinus);
        if (fpLength_ > 0) SetMaxLength(maxLength_ + fpLength_ + 1);
    } else {
        maxValue_ = 0;
    }
    signal();
}

void TGridColumn::SetMinValue(Extended value) {
    if (value == minValue_ || !rangeAccepted(value)) return;
    if (IsIntegerKind(numericType_)) {
        if (numericType_ == ntgZeroFillInteger && value < 0) {
            ShowMessage(NoMinusInZeroFillMessage);
            minValue_ = 0;
            return;
        }
        if (value > maxValue_) {
            ShowMessage(MinAboveMaxMessage);
            minValue_ = maxValue_;
            return;
        }
        minValue_ = std::trunc(value);
    } else if (IsMoneyKind(numericType_)) {
        if (value > maxValue_) {
            ShowMessage(MinAboveMaxMessage);
            minValue_ = maxValue_;
            return;
        }
        minValue_ = value;
        maxLength_ = std::max(PlainLength(maxValue_), PlainLength(minValue_));
        if (fpLength_ > 0) SetMaxLength(maxLength_ + fpLength_ + 1);
    } else {
        minValue_ = 0;
        return;
    }
    SetCharTypes(minValue_ < 0 ? charTypes_ + ctgMinus : charTypes_ - ctgMinus);
}

// ------------------------------------------------------------ TGridColumns

TGridColumns::TGridColumns(TSDBGrid* Grid)
    : TCollection([](TCollection* c) { return new TGridColumn(c); }), grid_(Grid) {
    SetOwner(Grid);
}

void TGridColumns::Update(TCollectionItem* Item) {
    if (grid_) grid_->columnsUpdate(static_cast<TGridColumn*>(Item));
}
