// Measurements in tenths of a millimetre: units, page, band and printable
// sizes, "Values" streaming and the unit routines.
#include "QRReport.h"

#include "Controls.h"
#include "DB.h"
#include "Forms.h"

#include <QLocale>
#include <cmath>
#include <cstring>

namespace {

bool& MeasurementFlag()
{
    static bool us = QLocale::system().measurementSystem() == QLocale::ImperialUSSystem;
    return us;
}

TQRUnit DefaultUnit() { return QRMeasurementIsUS() ? TQRUnit::Inches : TQRUnit::MM; }

// Font size used for Characters when there is no report or its size is 0.
constexpr Integer FallbackFontSize = 10;

// The largest measurement taken from a stream, tenths of a millimetre
// (10 km): every unit and zoom still gives a pixel size in range.
constexpr Extended MaxMeasurement = 1e8L;

// Stream value types of a "Values" list.
constexpr Byte vaNull = 0;
constexpr Byte vaList = 1;
constexpr Byte vaExtended = 5;

// An 80-bit value in the one encoding the FPU computes with: the explicit
// integer bit is set exactly when the exponent is not zero.
bool WellFormed(const unsigned char raw[10])
{
    quint64 mantissa = 0;
    quint16 signAndExponent = 0;
    std::memcpy(&mantissa, raw, 8);
    std::memcpy(&signAndExponent, raw + 8, 2);
    const bool integerBit = (mantissa >> 63) != 0;
    return (signAndExponent & 0x7FFF) == 0 ? !integerBit : integerBit;
}

Byte ReadByte(TStream& stream)
{
    Byte b = 0;
    stream.ReadBuffer(&b, 1);
    return b;
}

}  // namespace

bool QRMeasurementIsUS() { return MeasurementFlag(); }
void SetQRMeasurementIsUS(bool us) { MeasurementFlag() = us; }

// ------------------------------------------------------------ TQRUnitBase

TQRUnitBase::TQRUnitBase() : TQRUnitBase({}, {}) {}

TQRUnitBase::TQRUnitBase(std::vector<Extended> defaults, std::vector<bool> horizontal)
    : values_(std::move(defaults)),
      horizontal_(std::move(horizontal)),
      screenPixelsPerInch_(Screen ? Screen->PixelsPerInch() : 96),
      units_(DefaultUnit()),
      savedUnits_(units_)
{
}

void TQRUnitBase::SetUnits(TQRUnit value) { units_ = value; }

void TQRUnitBase::SetZoom(Integer value)
{
    if (value > 0)
        zoom_ = value;
}

Extended TQRUnitBase::CharacterSize(bool horizontal) const
{
    Integer size = parentReport_ ? std::abs(parentReport_->Font()->Size()) : FallbackFontSize;
    if (size == 0)
        size = FallbackFontSize;
    return (horizontal ? 80.0L : 145.3L) / size / 2.54L;
}

Extended TQRUnitBase::FromNative(Extended value, bool horizontal) const
{
    switch (units_) {
    case TQRUnit::MM: return value / 10;
    case TQRUnit::Inches: return value / 254;
    case TQRUnit::Pixels: return value / (254.0L / screenPixelsPerInch_) * zoom_ / 100;
    case TQRUnit::Characters: return value / CharacterSize(horizontal) / 10;
    case TQRUnit::Native: break;
    }
    return value;
}

Extended TQRUnitBase::ToNative(Extended value, bool horizontal) const
{
    switch (units_) {
    case TQRUnit::MM: return value * 10;
    case TQRUnit::Inches: return value * 254;
    case TQRUnit::Pixels: return 254.0L / screenPixelsPerInch_ * value / zoom_ * 100;
    case TQRUnit::Characters: return CharacterSize(horizontal) * value * 10;
    case TQRUnit::Native: break;
    }
    return value;
}

Extended TQRUnitBase::Value(int index) const { return FromNative(values_[size_t(index)], horizontal_[size_t(index)]); }

void TQRUnitBase::StoreValue(int index, Extended value)
{
    values_[size_t(index)] = ToNative(value, horizontal_[size_t(index)]);
}

template <class F> void TQRUnitBase::WhileUpdating(F f)
{
    const bool was = updating_;
    updating_ = true;
    try {
        f();
    } catch (...) {
        updating_ = was;
        throw;
    }
    updating_ = was;
}

void TQRUnitBase::WriteValues(TStream& stream) const
{
    stream.WriteBuffer(&vaList, 1);
    for (Extended v : values_) {
        unsigned char raw[10];
        std::memcpy(raw, &v, sizeof raw);  // the 80-bit x87 layout
        stream.WriteBuffer(&vaExtended, 1);
        stream.WriteBuffer(raw, sizeof raw);
    }
    stream.WriteBuffer(&vaNull, 1);
}

void TQRUnitBase::ReadValues(TStream& stream)
{
    if (ReadByte(stream) != vaList)
        throw EReadError("Invalid Values list");
    std::vector<Extended> read;
    for (Byte type = ReadByte(stream); type != vaNull; type = ReadByte(stream)) {
        if (type != vaExtended || read.size() == values_.size())
            throw EReadError("Invalid Values list");
        unsigned char raw[10];
        stream.ReadBuffer(raw, sizeof raw);
        Extended v = 0;
        std::memcpy(&v, raw, sizeof raw);
        // NaN and infinities fail the comparison; far larger values would
        // overflow the pixel bounds.
        if (!WellFormed(raw) || !(std::fabs(v) <= MaxMeasurement))
            throw EReadError("Invalid Values list");
        read.push_back(v);
    }
    if (read.size() != values_.size())
        throw EReadError("Invalid Values list");
    values_ = std::move(read);
    Changed();
}

// ------------------------------------------------------------ TQRUnitSwitch

TQRUnitSwitch::TQRUnitSwitch(TQRUnitBase& target, TQRUnit unit) : target_(target), saved_(target.Units())
{
    target_.savedUnits_ = saved_;
    target_.SetUnits(unit);
}

TQRUnitSwitch::~TQRUnitSwitch() { target_.SetUnits(saved_); }

// ------------------------------------------------------------ TQRPage

TQRPage::TQRPage()
    : TQRUnitBase(std::vector<Extended>(7, 0), {false, false, false, true, true, true, true})
{
    const bool us = QRMeasurementIsUS();
    SetPaperSize(us ? TQRPaperSize::Letter : TQRPaperSize::A4);
    const Extended margin = us ? 0.5L : 10.0L;
    for (int i : {iBottomMargin, iTopMargin, iLeftMargin, iRightMargin})
        StoreValue(i, margin);
}

void TQRPage::SetValue(int index, Extended value)
{
    const bool paperValue = index == iLength || index == iWidth;
    if (paperValue && paperSize_ != TQRPaperSize::Custom)
        return;
    StoreValue(index, value);
    if (paperValue || index == iBottomMargin)
        Update();
    LayoutReport();
    if (!paperValue && index != iBottomMargin)
        RepaintReport();
}

void TQRPage::SetPaperSize(TQRPaperSize value)
{
    if (value != TQRPaperSize::Default && value != TQRPaperSize::Custom) {
        const TQRPaperDimension& paper = QRPaperDimension(value);
        TQRUnitSwitch mm(*this, TQRUnit::MM);
        paperSize_ = TQRPaperSize::Custom;
        const bool portrait = orientation_ == poPortrait;
        SetWidth(portrait ? paper.Width : paper.Length);
        SetLength(portrait ? paper.Length : paper.Width);
    }
    paperSize_ = value;
    LayoutReport();
}

void TQRPage::SetOrientation(TPrinterOrientation value)
{
    orientation_ = value;
    SetPaperSize(paperSize_);
}

void TQRPage::SetColumns(Integer value)
{
    if (value <= 0 || value == columns_)
        return;
    columns_ = value;
    LayoutReport();
    RepaintReport();
}

void TQRPage::SetRuler(bool value)
{
    if (value == ruler_)
        return;
    ruler_ = value;
    RepaintReport();
    // The bands draw their part of the ruler in the report's unit.
    if (auto* report = dynamic_cast<TCustomRazorUze*>(ParentReport()))
        report->SetUnits(report->Units());
}

void TQRPage::SetUnits(TQRUnit value)
{
    TQRUnitBase::SetUnits(value);
    RepaintReport();
}

void TQRPage::Update()
{
    TWinControl* report = ParentReport();
    if (Updating() || !report)
        return;
    TQRUnitSwitch pixels(*this, TQRUnit::Pixels);
    WhileUpdating([&] {
        report->SetBounds(report->Left(), report->Top(), Integer(Round(Width())), Integer(Round(Length())));
    });
}

void TQRPage::TakeBounds(Integer width, Integer height)
{
    const TWinControl* report = ParentReport();
    if (Updating() || !report || paperSize_ != TQRPaperSize::Custom)
        return;
    TQRUnitSwitch pixels(*this, TQRUnit::Pixels);
    if (width != report->Width())
        StoreValue(iWidth, width);
    if (height != report->Height())
        StoreValue(iLength, height);
}

void TQRPage::RepaintReport() const
{
    if (ParentReport())
        ParentReport()->Invalidate();
}

void TQRPage::LayoutReport() const
{
    if (ParentReport())
        ParentReport()->Realign();
}

// ------------------------------------------------------------ band and printable sizes

TQRBandSize::TQRBandSize(TControl* band) : TQRUnitBase({20, 40}, {false, true}), band_(band) {}

void TQRBandSize::Update()
{
    if (!band_)
        return;
    TQRUnitSwitch pixels(*this, TQRUnit::Pixels);
    WhileUpdating([&] {
        band_->SetBounds(band_->Left(), band_->Top(), Integer(Round(Width())), Integer(Round(Height())));
    });
}

void TQRBandSize::TakeBounds(Integer width, Integer height)
{
    if (Updating())
        return;
    TQRUnitSwitch pixels(*this, TQRUnit::Pixels);
    if (Round(Width()) != width)
        StoreValue(iWidth, width);
    if (Round(Height()) != height)
        StoreValue(iHeight, height);
}

TQRPrintableSize::TQRPrintableSize(TControl* control)
    : TQRUnitBase({20, 20, 20, 20}, {false, true, false, true}), control_(control)
{
}

void TQRPrintableSize::Update()
{
    if (!control_)
        return;
    TQRUnitSwitch pixels(*this, TQRUnit::Pixels);
    WhileUpdating([&] {
        control_->SetBounds(Integer(Round(Left())), Integer(Round(Top())), Integer(Round(Width())),
                            Integer(Round(Height())));
    });
}

void TQRPrintableSize::TakeBounds(Integer left, Integer top, Integer width, Integer height)
{
    if (Updating())
        return;
    TQRUnitSwitch pixels(*this, TQRUnit::Pixels);
    const std::pair<int, Integer> bounds[] = {{iLeft, left}, {iTop, top}, {iWidth, width}, {iHeight, height}};
    for (const auto& [index, pixelValue] : bounds)
        if (Round(Value(index)) != pixelValue)
            StoreValue(index, pixelValue);
}

// ------------------------------------------------------------ unit routines

QString UniqueName(const TComponent* owner, const QString& base)
{
    for (int n = 1;; ++n) {
        const QString name = base + QString::number(n);
        if (!owner || !owner->FindComponent(name))
            return name;
    }
}

bool IsActive(const TDataSet* dataSet) { return dataSet && dataSet->Active(); }
