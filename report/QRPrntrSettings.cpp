// Printer settings: the paper and bin tables and the report's view of a
// printer's device mode.
#include "QRPrntr.h"

#include "Forms.h"
#include "Printers.h"
#include "Windows.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr TQRPaperDimension kPapers[QRPaperSizeCount] = {
    {0, 0},           {215.9, 279.4},   {215.9, 279.4},    {279.4, 431.8},   {431.8, 279.4},
    {215.9, 355.6},   {139.7, 215.9},   {184.15, 266.7},   {297, 420},       {210, 297},
    {210, 297},       {148, 210},       {250, 354},        {182, 257},       {215.9, 330.2},
    {215, 275},       {254, 355.6},     {279.4, 431.8},    {215.9, 279.4},   {98.425, 225.425},
    {104.775, 241.3}, {114.3, 263.525}, {120.65, 279.4},   {127, 292.1},     {431.8, 558.8},
    {558.8, 863.6},   {863.6, 1117.6},  {110, 220},        {162, 229},       {324, 458},
    {229, 324},       {114, 162},       {114, 229},        {250, 353},       {176, 250},
    {176, 125},       {110, 230},       {98.425, 190.5},   {92.075, 165.1},  {377.825, 279.4},
    {215.9, 304.8},   {215.9, 330.2},   {250, 353},        {100, 148},       {228.6, 279.4},
    {254, 279.4},     {381, 279.4},     {220, 220},        {100, 100},       {100, 100},
    {241.3, 304.8},   {241.3, 381},     {296.926, 457.2},  {236, 322},       {279.4, 215.9},
    {297, 210},       {304.8, 241.3},   {227, 356},        {305, 487},       {215.9, 322.326},
    {210, 330},       {210, 148},       {257, 182},        {322, 445},       {174, 235},
    {201, 276},       {420, 594},       {420, 297},        {445, 322},       {0, 0},
};

constexpr Integer kBinCodes[QRBinCount] = {1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 14, 14};

const char* const kPaperNames[QRPaperSizeCount] = {
    "Default size", "Letter 8 1/2 x 11 in", "Letter Small 8 1/2 x 11 in", "Tabloid 11 x 17 in",
    "Ledger 17 x 11 in", "Legal 8 1/2 x 14 in", "Statement 5 1/2 x 8 1/2 in", "Executive 7 1/2 x 10 in",
    "A3 297 x 420 mm", "A4 210 x 297 mm", "A4 Small 210 x 297 mm", "A5 148 x 210 mm", "B4 250 x 354 mm",
    "B5 182 x 257 mm", "Folio 8 1/2 x 13 in", "Quarto 215 x 275 mm", "10 x 14 in", "11 x 17 in",
    "Note 8 1/2 x 11 in", "Envelope #9 3 7/8 x 8 7/8", "Envelope #10 4 1/8 x 9 1/2",
    "Envelope #11 4 1/2 x 10 3/8", "Envelope #12 4 3/4 x 11", "Envelope #14 5 x 11 1/2", "C sheet 17 x 22 in",
    "D sheet 22 x 34 in", "E sheet 34 x 44 in", "Envelope DL 110 x 220 mm", "Envelope C5 162 x 229 mm",
    "Envelope C3 324 x 458 mm", "Envelope C4 229 x 324 mm", "Envelope C6 114 x 162 mm",
    "Envelope C65 114 x 229 mm", "Envelope B4 (JIS) 250 x 353 mm", "Envelope B5 (JIS) 176 x 250 mm",
    "Envelope B6 176 x 125 mm", "Envelope 110 x 230 mm", "Envelope Monarch 3.875 x 7.5 in",
    "6 3/4 Envelope 3 5/8 x 6 1/2 in", "US Std Fanfold 14 7/8 x 11 in", "German Std Fanfold 8 1/2 x 12 in",
    "German Legal Fanfold 8 1/2 x 13 in", "B4 (ISO) 250 x 353 mm", "Japanese Postcard 100 x 148 mm",
    "9 x 11 in", "10 x 11 in", "15 x 11 in", "Envelope Invite 220 x 220 mm", "RESERVED--DO NOT USE",
    "RESERVED--DO NOT USE", "Letter Extra 9 1/2 x 12 in", "Legal Extra 9 1/2 x 15 in",
    "Tabloid Extra 11.69 x 18 in", "A4 Extra 236 x 322 mm", "Letter Transverse 11 x 8 1/2 in",
    "A4 Transverse 297 z 210 mm", "Letter Extra Transverse 12 x 9 1/2 in", "SuperASuperAA4 227 x 356 mm",
    "SuperBSuperBA3 305 x 487 mm", "Letter Plus 8.5 x 12.69 in", "A4 Plus 210 x 330 mm",
    "A5 Transverse 210 x 148 mm", "B5 (JIS) Transverse 257 x 182 mm", "A3 Extra 322 x 445 mm",
    "A5 Extra 174 x 235 mm", "B5 (ISO) Extra 201 x 276 mm", "A2 420 x 594 mm", "A3 Transverse 420 z 297 mm",
    "A3 Extra Transverse 445 z 322 mm", "Custom Size",
};

Integer Tenths(Integer dots, Integer dpi) {
    return Integer(std::lround(double(dots) / dpi * 254));
}

// Device modes hold 0.1 mm in 16 bits.
SmallInt ModeTenths(Integer value) {
    return SmallInt(std::clamp(value, 0, 32767));
}

// Device modes hold paper and bin codes in 16 bits too: a larger code
// would silently become another paper or bin, so it is refused.
SmallInt ModeCode(const char* what, Integer code) {
    if (code < 1 || code > 32767)
        throw EQRError(QStringLiteral("%1 %2 is out of range (1 to 32767)").arg(QLatin1String(what)).arg(code));
    return SmallInt(code);
}

}  // namespace

Integer QRPaperCode(TQRPaperSize paper) {
    return paper == TQRPaperSize::Custom ? DMPAPER_USER : Integer(paper);
}

const TQRPaperDimension& QRPaperDimension(TQRPaperSize paper) {
    return kPapers[size_t(paper)];
}

const QString& QRPaperName(TQRPaperSize paper) {
    static const auto names = [] {
        std::array<QString, QRPaperSizeCount> list;
        for (int i = 0; i < QRPaperSizeCount; ++i) list[size_t(i)] = QString::fromLatin1(kPaperNames[i]);
        return list;
    }();
    return names[size_t(paper)];
}

Integer QRBinCode(TQRBin bin) {
    return kBinCodes[size_t(bin)];
}

TQRPaperSize QRPaperOfCode(Integer code) {
    for (int i = 0; i < QRPaperSizeCount; ++i)
        if (QRPaperCode(TQRPaperSize(i)) == code) return TQRPaperSize(i);
    return TQRPaperSize::Default;
}

TQRBin QRBinOfCode(Integer code) {
    for (int i = 0; i < QRBinCount; ++i)
        if (kBinCodes[i] == code) return TQRBin(i);
    return TQRBin::First;
}

// ------------------------------------------------------------ TPrinterSettings

TPrinterSettings::TPrinterSettings() = default;
TPrinterSettings::~TPrinterSettings() = default;

void TPrinterSettings::SetPrinter(TPrinter* printer) {
    printer_ = printer;
    lastIndexRead_ = -1;
    if (printer_ && printer_->Printers()->Count() > 0) ReadFromPrinter();
}

void TPrinterSettings::ReadFromPrinter() {
    if (!printer_) return;
    Application->ProcessMessages();
    DevMode* mode = nullptr;
    printer_->GetPrinter(device_, driver_, port_, mode);
    if (!mode) return;
    mode_ = std::make_unique<DevMode>(*mode);
    if (printer_->PrinterIndex() == lastIndexRead_) return;
    if (OnGetDeviceMode) {
        bool cancel = false;
        OnGetDeviceMode(this, cancel, mode_.get());
        if (cancel) return;
    }
    ReadCapabilities(*mode_);
    copies_ = (mode_->dmFields & DM_COPIES) ? mode_->dmCopies : 1;
    outputBin_ = (mode_->dmFields & DM_DEFAULTSOURCE) ? QRBinOfCode(mode_->dmDefaultSource) : TQRBin::First;
    if (mode_->dmFields & DM_DUPLEX) {
        duplex_ = mode_->dmDuplex != DMDUP_SIMPLEX;
        ExtendedDuplex = mode_->dmDuplex;
    }
    paperSize_ = (mode_->dmFields & DM_PAPERSIZE) ? QRPaperOfCode(mode_->dmPaperSize) : TQRPaperSize::Default;
    ReadPapers();
    PrintQuality = mode_->dmPrintQuality;
    Collate = mode_->dmCollate;
    ColorOption = mode_->dmColor;
    lastIndexRead_ = printer_->PrinterIndex();
}

// Resolution, physical paper and unprintable offsets. A printer that
// answers 0 for any of them is measured as the built-in PDF printer with
// the same device mode would be, so nothing divides by zero later.
void TPrinterSettings::ReadCapabilities(const DevMode& mode) {
    const auto usable = [](const TPrinter& p) {
        return p.DeviceCaps(LOGPIXELSX) > 0 && p.DeviceCaps(LOGPIXELSY) > 0 && p.DeviceCaps(PHYSICALWIDTH) > 0 &&
               p.DeviceCaps(PHYSICALHEIGHT) > 0;
    };
    std::unique_ptr<TPrinter> fallback;
    const TPrinter* source = printer_;
    if (!usable(*printer_)) {
        std::vector<std::unique_ptr<TPrinterDriver>> drivers;
        drivers.push_back(NewPdfPrinterDriver());
        fallback = std::make_unique<TPrinter>(std::move(drivers));
        DevMode wanted = mode;
        wanted.dmDeviceName = fallback->Printers()->Get(0);
        fallback->SetPrinter(wanted.dmDeviceName, QString(), QString(), &wanted);
        if (!usable(*fallback)) fallback->SetPrinter(wanted.dmDeviceName, QString(), QString(), nullptr);
        source = fallback.get();
    }
    xResolution_ = source->DeviceCaps(LOGPIXELSX);
    yResolution_ = source->DeviceCaps(LOGPIXELSY);
    leftOffset_ = Tenths(source->DeviceCaps(PHYSICALOFFSETX), xResolution_);
    topOffset_ = Tenths(source->DeviceCaps(PHYSICALOFFSETY), yResolution_);
    paperWidth_ = Tenths(source->DeviceCaps(PHYSICALWIDTH), xResolution_);
    paperLength_ = Tenths(source->DeviceCaps(PHYSICALHEIGHT), yResolution_);
    // Width and length are kept portrait, as a device mode counts them.
    if (source->Orientation() == poLandscape) std::swap(paperWidth_, paperLength_);
}

void TPrinterSettings::ReadPapers() {
    supported_.fill(false);
    for (Word code : printer_->Papers()) {
        for (int i = 1; i < QRPaperSizeCount; ++i) {
            if (QRPaperCode(TQRPaperSize(i)) == code) {
                supported_[size_t(i)] = true;
                break;
            }
        }
    }
    supported_[size_t(TQRPaperSize::Custom)] = true;
}

void TPrinterSettings::ApplySettings() {
    if (!printer_) return;
    DevMode* current = nullptr;
    printer_->GetPrinter(device_, driver_, port_, current);
    if (!current) return;
    DevMode mode = *current;
    mode.dmFields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
    mode.dmPaperLength = ModeTenths(PrintPaperLength());
    mode.dmPaperWidth = ModeTenths(PrintPaperWidth());
    if ((current->dmFields & DM_PAPERSIZE) && paperSize_ != TQRPaperSize::Default) {
        mode.dmFields |= DM_PAPERSIZE;
        mode.dmPaperSize = UseCustomPaperCode ? ModeCode("Custom paper code", CustomPaperCode)
                                              : SmallInt(QRPaperCode(paperSize_));
    }
    mode.dmFields |= DM_COPIES;
    mode.dmCopies = SmallInt(copies_);
    if (current->dmFields & DM_DUPLEX) {
        mode.dmDuplex = SmallInt(ExtendedDuplex != 0 ? ExtendedDuplex : duplex_ ? DMDUP_HORIZONTAL : DMDUP_SIMPLEX);
    }
    mode.dmFields |= DM_DEFAULTSOURCE;
    mode.dmDefaultSource = UseCustomBinCode ? ModeCode("Custom bin code", CustomBinCode)
                                            : SmallInt(QRBinCode(outputBin_));
    mode.dmFields |= DM_ORIENTATION;
    mode.dmOrientation = orientation_ == 1 ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    if (current->dmFields & DM_COLLATE) mode.dmCollate = SmallInt(Collate);
    bool cancel = false;
    if (OnApplySettings) OnApplySettings(this, cancel, &mode);
    if (!cancel) printer_->SetPrinter(device_, driver_, port_, &mode);
}

bool TPrinterSettings::Supports(Cardinal flag) const {
    return printer_ && mode_ && (mode_->dmFields & flag) == flag;
}

void TPrinterSettings::SetCopies(Integer value) {
    if (Supports(DM_COPIES)) copies_ = value;
}

void TPrinterSettings::SetOrientation(Integer value) {
    if (Supports(DM_ORIENTATION)) orientation_ = value;
}

void TPrinterSettings::SetDuplex(bool value) {
    if (Supports(DM_DUPLEX)) duplex_ = value;
}

void TPrinterSettings::SetOutputBin(TQRBin value) {
    if (Supports(DM_DEFAULTSOURCE)) outputBin_ = value;
}

void TPrinterSettings::SetPaperSize(TQRPaperSize value) {
    if (value == TQRPaperSize::Default || supported_[size_t(value)]) paperSize_ = value;
}

Integer TPrinterSettings::PrintPaperWidth() const {
    if (paperSize_ == TQRPaperSize::Default || paperSize_ == TQRPaperSize::Custom) return paperWidth_;
    return Integer(std::lround(QRPaperDimension(paperSize_).Width * 10));
}

Integer TPrinterSettings::PrintPaperLength() const {
    if (paperSize_ == TQRPaperSize::Default || paperSize_ == TQRPaperSize::Custom) return paperLength_;
    return Integer(std::lround(QRPaperDimension(paperSize_).Length * 10));
}

TQRPaperSize DefaultPrinterPaperSize() {
    const DevMode& mode = Printer()->Mode();
    return (mode.dmFields & DM_PAPERSIZE) ? QRPaperOfCode(mode.dmPaperSize) : TQRPaperSize::Default;
}

void TQRPrinterSettings::ResetDeviceMode(TPrinter& printer) {
    QString device, driver, port;
    DevMode* mode = nullptr;
    printer.GetPrinter(device, driver, port, mode);
    printer.SetPrinter(device, driver, port, nullptr);
}
