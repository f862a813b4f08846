#include "Printers.h"

#include "Graphics.h"

#include <QtCore/QFile>
#include <QtGui/QPageLayout>
#include <QtGui/QPageSize>
#include <QtPrintSupport/QPrinter>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <optional>

namespace {

// The boxes of what a page holds, by bands of rows, so that asking about a
// box looks at the few boxes near it. Past a bound on the boxes kept, the
// whole page counts as covered.
class TInkMap {
public:
    void Clear(Integer pageHeight) {
        rows_.assign(size_t(std::max(pageHeight, 0) / kBand + 1), {});
        kept_ = 0;
        full_ = false;
    }
    void CoverAll() { full_ = true; }
    void Add(const TRect& box) {
        if (full_ || box.IsEmpty()) return;
        const auto [first, last] = Bands(box);
        kept_ += last - first + 1;
        if (kept_ > kMaxKept) {
            full_ = true;
            return;
        }
        for (size_t band = first; band <= last; ++band) rows_[band].push_back(box);
    }
    // Paper again: the boxes wholly inside r go.
    void Erase(const TRect& r) {
        if (full_) return;
        const auto [first, last] = Bands(r);
        for (size_t band = first; band <= last; ++band) {
            std::vector<TRect>& boxes = rows_[band];
            const auto gone = std::remove_if(boxes.begin(), boxes.end(), [&r](const TRect& box) {
                return box.Left >= r.Left && box.Top >= r.Top && box.Right <= r.Right && box.Bottom <= r.Bottom;
            });
            kept_ -= size_t(boxes.end() - gone);
            boxes.erase(gone, boxes.end());
        }
    }
    bool Touches(const TRect& r) const {
        if (full_) return true;
        const auto [first, last] = Bands(r);
        for (size_t band = first; band <= last; ++band)
            for (const TRect& box : rows_[band])
                if (box.Left < r.Right && r.Left < box.Right && box.Top < r.Bottom && r.Top < box.Bottom)
                    return true;
        return false;
    }

private:
    static constexpr Integer kBand = 128;  // rows of pixels per band
    static constexpr size_t kMaxKept = 1 << 16;

    // Rows above the page fall in the first band, below it in the last.
    std::pair<size_t, size_t> Bands(const TRect& r) const {
        const auto band = [this](Int64 y) { return size_t(std::clamp<Int64>(y / kBand, 0, Int64(rows_.size()) - 1)); };
        return {band(r.Top), band(Int64(r.Bottom) - 1)};
    }

    std::vector<std::vector<TRect>> rows_ = std::vector<std::vector<TRect>>(1);
    size_t kept_ = 0;
    bool full_ = false;
};

TRect Inflated(const TRect& r, Int64 dx, Int64 dy) {
    const auto clamped = [](Int64 v) { return Integer(std::clamp<Int64>(v, INT32_MIN, INT32_MAX)); };
    return TRect(clamped(r.Left - dx), clamped(r.Top - dy), clamped(Int64(r.Right) + dx), clamped(Int64(r.Bottom) + dy));
}

}  // namespace

// The printer's canvas: draws on the job's pages only while a job runs,
// starts the next page when drawing follows EndPage, and answers the
// printer's device capabilities.
//
// Paper takes no ink where nothing has been printed, so a white fill there
// changes nothing; yet a PDF page pays dearly for each fill (its painter
// switches the pen off and on again around it). The canvas keeps the boxes
// of what the page holds so far and leaves such fills out; a white fill it
// does draw, unclipped, turns what lies wholly under it back into paper.
// Drawing whose box it does not work out counts as covering the whole page.
class TPrinterCanvas : public TCanvas {
public:
    explicit TPrinterCanvas(TPrinter& printer) : printer_(printer) {}
    TPrinter& Printer() const { return printer_; }

    QPainter* Painter() override {
        if (!printer_.Printing()) return nullptr;
        QPainter* painter = TCanvas::Painter();
        if (painter) printer_.StartPage();
        return painter;
    }
    // Opens the job's painter (the first page) without starting a page,
    // its origin at the top left of the printable area.
    bool Open() {
        QPainter* painter = TCanvas::Painter();
        if (painter)
            painter->translate(printer_.DeviceCaps(PHYSICALOFFSETX), printer_.DeviceCaps(PHYSICALOFFSETY));
        return painter != nullptr;
    }

    bool DeviceCaps(Integer index, Integer& value) const override {
        switch (index) {
            case LOGPIXELSX:
            case LOGPIXELSY:
            case PHYSICALWIDTH:
            case PHYSICALHEIGHT:
            case PHYSICALOFFSETX:
            case PHYSICALOFFSETY:
            case HORZRES:
            case VERTRES: value = printer_.DeviceCaps(index); return true;
            default: return false;
        }
    }

    // The page is done: what comes next goes on a blank one.
    void PageEnded() { ink_.Clear(printer_.PageHeight()); }

    void FillRect(const TRect& r) override {
        const bool white = WhiteBrush();
        if (white && !r.IsEmpty() && !ink_.Touches(r)) {
            TCanvas::Changing();
            TCanvas::Changed();
            return;
        }
        Drawing drawing(*this, Known{r, white});
        TCanvas::FillRect(r);
    }

    void LineTo(Integer x, Integer y) override {
        const Int64 reach = std::max<Integer>(1, Pen()->Width()) / 2 + 2;
        const TPoint from = PenPos();
        const TRect line(std::min(from.X, x), std::min(from.Y, y), std::max(from.X, x), std::max(from.Y, y));
        Drawing drawing(*this, Known{Inflated(line, reach, reach), false});
        TCanvas::LineTo(x, y);
    }

    void Rectangle(Integer x1, Integer y1, Integer x2, Integer y2) override {
        Drawing drawing(*this, Figure(x1, y1, x2, y2));
        TCanvas::Rectangle(x1, y1, x2, y2);
    }
    void RoundRect(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3) override {
        Drawing drawing(*this, Figure(x1, y1, x2, y2));
        TCanvas::RoundRect(x1, y1, x2, y2, x3, y3);
    }
    void Ellipse(Integer x1, Integer y1, Integer x2, Integer y2) override {
        Drawing drawing(*this, Figure(x1, y1, x2, y2));
        TCanvas::Ellipse(x1, y1, x2, y2);
    }
    void StretchImage(const TRect& dest, const QImage& source, const TRect& sourceRect) override {
        Drawing drawing(*this, Known{dest, false});
        TCanvas::StretchImage(dest, source, sourceRect);
    }

    // Glyphs may reach past their cell: by its height sideways (slanted
    // faces) and by a quarter of it up and down.
    void ExtTextOut(Integer x, Integer y, Cardinal options, const TRect* rect, const QString& text,
                    const Integer* dx = nullptr) override {
        std::optional<Known> known;
        if (Font()->Orientation() % 3600 == 0) {
            const TRect cell = TextCell(x, y, text, dx);
            TRect box = Inflated(cell, cell.Height(), cell.Height() / 4 + 1);
            if (rect)
                box = TRect(std::min(box.Left, rect->Left), std::min(box.Top, rect->Top),
                            std::max(box.Right, rect->Right), std::max(box.Bottom, rect->Bottom));
            known = Known{box, false};
        }
        Drawing drawing(*this, known);
        TCanvas::ExtTextOut(x, y, options, rect, text, dx);
    }

    // Clipping kept: a white fill then may not cover all it is given.
    void SelectClipRegion(const TRegion* region) override {
        clipped_ = region != nullptr;
        TCanvas::SelectClipRegion(region);
    }
    void IntersectClipRect(const TRect& r) override {
        clipped_ = true;
        TCanvas::IntersectClipRect(r);
    }
    void ExcludeClipRect(const TRect& r) override {
        clipped_ = true;
        TCanvas::ExcludeClipRect(r);
    }
    bool RestoreDC(Integer level) override {
        clipped_ = true;
        return TCanvas::RestoreDC(level);
    }

protected:
    void Changing() override {
        if (!drawing_) ink_.CoverAll();
        else if (!drawing_->paper) ink_.Add(drawing_->box);
        else if (!clipped_) ink_.Erase(drawing_->box);
        TCanvas::Changing();
    }

private:
    // Where the drawing under way puts ink, or paper (a white fill).
    struct Known {
        TRect box;
        bool paper;
    };
    // Tells Changing what is being drawn (none: not known) while it runs.
    class Drawing {
    public:
        Drawing(TPrinterCanvas& canvas, std::optional<Known> known)
            : canvas_(canvas), saved_(std::exchange(canvas.drawing_, known)) {}
        ~Drawing() { canvas_.drawing_ = saved_; }

    private:
        TPrinterCanvas& canvas_;
        std::optional<Known> saved_;
    };

    // A figure's box with its pen around it.
    Known Figure(Integer x1, Integer y1, Integer x2, Integer y2) const {
        const Int64 reach = std::max<Integer>(1, Pen()->Width()) + 1;
        const TRect box(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));
        return Known{Inflated(box, reach, reach), false};
    }

    bool WhiteBrush() const {
        const TBrush& brush = *Brush();
        return brush.Style() == bsSolid && !(brush.Bitmap() && !brush.Bitmap()->Empty()) &&
               ColorToRGB(brush.Color()) == clWhite;
    }

    TPrinter& printer_;
    std::optional<Known> drawing_;
    TInkMap ink_;
    bool clipped_ = false;
};

namespace {

template <typename T, typename V>
bool Holds(const std::vector<T>& list, V value) {
    return std::find(list.begin(), list.end(), T(value)) != list.end();
}

bool InRange(SmallInt value, SmallInt low, SmallInt high) {
    return value >= low && value <= high;
}

// The driver's defaults with the fields of wanted that the driver supports
// and whose values it can take.
DevMode Sanitized(const TPrinterDriver& driver, const DevMode* wanted) {
    DevMode mode = driver.DefaultMode();
    if (!wanted) return mode;
    const DevMode defaults = mode;
    const Cardinal take = wanted->dmFields & mode.dmFields;
    const auto has = [take](Cardinal field) { return (take & field) != 0; };
    if (has(DM_ORIENTATION) && InRange(wanted->dmOrientation, DMORIENT_PORTRAIT, DMORIENT_LANDSCAPE))
        mode.dmOrientation = wanted->dmOrientation;
    if (has(DM_PAPERSIZE) && (Holds(driver.Papers(), wanted->dmPaperSize) || wanted->dmPaperSize == DMPAPER_USER))
        mode.dmPaperSize = wanted->dmPaperSize;
    if (has(DM_PAPERLENGTH) && wanted->dmPaperLength >= 0) mode.dmPaperLength = wanted->dmPaperLength;
    if (has(DM_PAPERWIDTH) && wanted->dmPaperWidth >= 0) mode.dmPaperWidth = wanted->dmPaperWidth;
    if (DevModePaperSize(mode).isEmpty()) {
        mode.dmPaperSize = defaults.dmPaperSize;
        mode.dmPaperLength = defaults.dmPaperLength;
        mode.dmPaperWidth = defaults.dmPaperWidth;
    }
    if (has(DM_COPIES)) mode.dmCopies = std::clamp<SmallInt>(wanted->dmCopies, 1, 9999);
    if (has(DM_DEFAULTSOURCE) && Holds(driver.Bins(), wanted->dmDefaultSource))
        mode.dmDefaultSource = wanted->dmDefaultSource;
    if (has(DM_PRINTQUALITY) && (wanted->dmPrintQuality > 0 || InRange(wanted->dmPrintQuality, DMRES_HIGH, DMRES_DRAFT)))
        mode.dmPrintQuality = wanted->dmPrintQuality;
    if (has(DM_YRESOLUTION) && wanted->dmYResolution > 0) mode.dmYResolution = wanted->dmYResolution;
    if (has(DM_COLOR) && InRange(wanted->dmColor, DMCOLOR_MONOCHROME, DMCOLOR_COLOR)) mode.dmColor = wanted->dmColor;
    if (has(DM_DUPLEX) && InRange(wanted->dmDuplex, DMDUP_SIMPLEX, DMDUP_HORIZONTAL)) mode.dmDuplex = wanted->dmDuplex;
    if (has(DM_COLLATE) && InRange(wanted->dmCollate, DMCOLLATE_FALSE, DMCOLLATE_TRUE))
        mode.dmCollate = wanted->dmCollate;
    return mode;
}

// Resolution a job draws at when the driver cannot tell one.
constexpr Integer kFallbackResolution = 72;

// The system's reason why the job's file cannot be written, as it answers
// one more byte; the file is thrown away.
[[noreturn]] void RaiseWriteError(const TFileReplacement& file) {
    TFileStream stream(file.FileName(), fmOpenWrite);
    stream.Seek(0, soEnd);
    const char byte = 0;
    stream.Write(&byte, 1);
    throw EWriteError(FileWriteErrorMessage(file.Target(), stream.LastWriteError() ? stream.LastWriteError() : EIO));
}

std::vector<std::unique_ptr<TPrinterDriver>> SystemDrivers() {
    std::vector<std::unique_ptr<TPrinterDriver>> drivers;
    drivers.push_back(NewPdfPrinterDriver());
    for (auto& queue : CupsPrinterDrivers()) drivers.push_back(std::move(queue));
    return drivers;
}

std::unique_ptr<TPrinter>& GlobalPrinter() {
    static std::unique_ptr<TPrinter> printer;
    return printer;
}

}  // namespace

QPageSize DevModePageSize(const DevMode& mode) {
    const QSizeF mm = DevModePaperSize(mode);
    const QPageSize named(QPageSize::id(int(mode.dmPaperSize)));
    if (named.isValid() && named.id() != QPageSize::Custom && named.size(QPageSize::Millimeter) == mm) return named;
    return QPageSize(mm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
}

// ------------------------------------------------------------ TPrinter

TPrinter::TPrinter() : TPrinter(SystemDrivers()) {}

TPrinter::TPrinter(std::vector<std::unique_ptr<TPrinterDriver>> drivers)
    : drivers_(std::move(drivers)), names_(std::make_unique<TStringList>()),
      canvas_(std::make_unique<TPrinterCanvas>(*this)) {
    if (drivers_.empty()) throw EPrinter(QStringLiteral("There is no default printer currently selected"));
    for (const auto& driver : drivers_) names_->Add(driver->DeviceName());
    SetPrinterIndex(0);
}

TPrinter::~TPrinter() {
    if (Printing()) Abort();
    canvas_->SetDevice(nullptr);
}

void TPrinter::RequireIdle() const {
    if (Printing()) throw EPrinter(QStringLiteral("Printing in progress"));
}

void TPrinter::RequirePrinting() const {
    if (!Printing()) throw EPrinter(QStringLiteral("Printer is not currently printing"));
}

void TPrinter::SetPrinterIndex(Integer index) {
    RequireIdle();
    if (index == -1) index = 0;
    if (index < 0 || index >= Integer(drivers_.size()))
        throw EPrinter(QStringLiteral("Printer selected is not valid"));
    index_ = index;
    mode_ = Driver().DefaultMode();
    ConfigureJob();
}

void TPrinter::GetPrinter(QString& device, QString& driver, QString& port, DevMode*& mode) {
    device = Driver().DeviceName();
    driver = Driver().DriverName();
    port = Driver().PortName();
    mode = &mode_;
}

void TPrinter::SetPrinter(const QString& device, const QString&, const QString&, const DevMode* mode) {
    RequireIdle();
    const Integer index = names_->IndexOf(device);
    if (index < 0) throw EPrinter(QStringLiteral("Printer selected is not valid"));
    const DevMode wanted = mode ? *mode : DevMode();  // copy: mode may be our own
    index_ = index;
    mode_ = Sanitized(Driver(), mode ? &wanted : nullptr);
    ConfigureJob();
}

void TPrinter::SetTitle(const QString& title) {
    title_ = title;
}

TPrinterOrientation TPrinter::Orientation() const {
    return mode_.dmOrientation == DMORIENT_LANDSCAPE ? poLandscape : poPortrait;
}

void TPrinter::SetOrientation(TPrinterOrientation orientation) {
    RequireIdle();
    DevMode wanted = mode_;
    wanted.dmOrientation = orientation == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    mode_ = Sanitized(Driver(), &wanted);
    ConfigureJob();
}

void TPrinter::SetCopies(Integer copies) {
    RequireIdle();
    DevMode wanted = mode_;
    wanted.dmCopies = SmallInt(std::clamp(copies, 1, 9999));
    mode_ = Sanitized(Driver(), &wanted);
}

// A fresh Qt printer set up as the selected printer with its device mode;
// the canvas measures and draws on it.
void TPrinter::ConfigureJob() {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    const Integer resolution = Driver().Resolution(mode_);
    printer->setResolution(resolution > 0 ? resolution : kFallbackResolution);
    const auto orientation = Orientation() == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait;
    printer->setPageLayout(QPageLayout(DevModePageSize(mode_), orientation, QMarginsF(), QPageLayout::Millimeter));
    printer->setFullPage(true);  // the canvas moves its origin to the printable area itself
    printer->setColorMode(mode_.dmColor == DMCOLOR_MONOCHROME ? QPrinter::GrayScale : QPrinter::Color);
    printer->setCreator(QStringLiteral("Velmora"));
    canvas_->SetDevice(printer.get());
    job_ = std::move(printer);
}

// From the paper's true size: the PDF pages Qt writes round it to whole
// points, which must not leak into what the printer reports.
Integer TPrinter::DeviceCaps(Integer index) const {
    const Integer resolution = Driver().Resolution(mode_);
    if (resolution <= 0) return 0;
    QSizeF paper = DevModePaperSize(mode_);
    if (Orientation() == poLandscape) paper.transpose();
    const QMarginsF margins = Driver().Margins(mode_);
    const auto pixels = [resolution](qreal mm) { return Integer(std::lround(mm * resolution / 25.4)); };
    switch (index) {
        case LOGPIXELSX:
        case LOGPIXELSY: return resolution;
        case PHYSICALWIDTH: return pixels(paper.width());
        case PHYSICALHEIGHT: return pixels(paper.height());
        case PHYSICALOFFSETX: return pixels(margins.left());
        case PHYSICALOFFSETY: return pixels(margins.top());
        case HORZRES: return pixels(paper.width() - margins.left() - margins.right());
        case VERTRES: return pixels(paper.height() - margins.top() - margins.bottom());
        default: return 0;
    }
}

TCanvas* TPrinter::Canvas() const {
    return canvas_.get();
}

HDC TPrinter::Handle() const {
    return canvas_.get();
}

QStringList PaperNames(const TPrinterDriver& driver) {
    QStringList names;
    for (Word code : driver.Papers()) names << QPageSize(QPageSize::id(int(code))).name();
    return names;
}

std::vector<TPoint> PaperSizes(const TPrinterDriver& driver) {
    std::vector<TPoint> sizes;
    for (Word code : driver.Papers()) {
        const QSizeF mm = QPageSize(QPageSize::id(int(code))).size(QPageSize::Millimeter);
        sizes.push_back({qRound(mm.width() * 10), qRound(mm.height() * 10)});
    }
    return sizes;
}

// ------------------------------------------------------------ jobs

void TPrinter::BeginDoc() {
    RequireIdle();
    aborted_ = false;
    outputFile_.clear();
    auto file = std::make_unique<TFileReplacement>(Driver().JobFile(title_));
    ConfigureJob();
    job_->setOutputFileName(file->FileName());
    job_->setDocName(title_);
    state_ = TPrinterState::Printing;
    if (!canvas_->Open()) {
        state_ = TPrinterState::Idle;
        RaiseWriteError(*file);
    }
    jobFile_ = std::move(file);
    pageNumber_ = 1;
    pageOpen_ = true;
    canvas_->PageEnded();
}

void TPrinter::StartPage() {
    RequirePrinting();
    if (pageOpen_) return;
    job_->newPage();
    ++pageNumber_;
    pageOpen_ = true;
}

void TPrinter::EndPage() {
    RequirePrinting();
    pageOpen_ = false;
    canvas_->PageEnded();
}

void TPrinter::NewPage() {
    EndPage();
    StartPage();
}

void TPrinter::EndDoc() {
    RequirePrinting();
    FinishJob(true);
}

void TPrinter::Abort() {
    RequirePrinting();
    FinishJob(false);
    aborted_ = true;
}

// Closes the job's file and either hands it on or removes it; the printer
// is idle afterwards whatever happens. Qt's PDF writer does not tell of
// writes that failed, so the file is read back before anything takes it;
// the driver gets it under its temporary name and, when it leaves it
// there, the file then takes its own name.
void TPrinter::FinishJob(bool keep) {
    canvas_->ReleaseHandle();
    state_ = TPrinterState::Idle;
    pageOpen_ = false;
    pageNumber_ = 0;
    const std::unique_ptr<TFileReplacement> file = std::move(jobFile_);
    ConfigureJob();
    if (!keep) return;
    if (!PdfFileIsWhole(file->FileName())) RaiseWriteError(*file);
    QString message;
    if (!Driver().Submit(file->FileName(), title_, mode_, message))
        throw EPrinter(QStringLiteral("The print job could not be sent to %1: %2").arg(Driver().DeviceName(), message));
    if (!QFile::exists(file->FileName())) return;
    file->Commit();
    outputFile_ = file->Target();
}

// ------------------------------------------------------------ globals

TPrinter* Printer() {
    auto& printer = GlobalPrinter();
    if (!printer) printer = std::make_unique<TPrinter>();
    return printer.get();
}

TPrinter* SetPrinter(TPrinter* printer) {
    TPrinter* old = GlobalPrinter().release();
    GlobalPrinter().reset(printer);
    return old;
}

Integer StartPage(HDC dc) {
    auto* canvas = dynamic_cast<TPrinterCanvas*>(dc);
    if (!canvas || !canvas->Printer().Printing()) return 0;
    canvas->Printer().StartPage();
    return 1;
}

Integer EndPage(HDC dc) {
    auto* canvas = dynamic_cast<TPrinterCanvas*>(dc);
    if (!canvas || !canvas->Printer().Printing()) return 0;
    canvas->Printer().EndPage();
    return 1;
}

namespace {

template <typename T>
Integer Fill(const std::vector<T>& items, void* output) {
    if (output) std::copy(items.begin(), items.end(), static_cast<T*>(output));
    return Integer(items.size());
}

// Names in fixed-width cells of WideChars, cut to fit with their terminator.
Integer FillNames(const QStringList& names, Integer width, void* output) {
    if (output) {
        auto* cells = static_cast<WideChar*>(output);
        for (const QString& name : names) {
            const QString cut = name.left(width - 1);
            std::fill(cells, cells + width, QChar(0));
            std::copy(cut.begin(), cut.end(), cells);
            cells += width;
        }
    }
    return Integer(names.size());
}

Integer Capable(const DevMode& mode, Cardinal field, Integer yes) {
    return (mode.dmFields & field) ? yes : 0;
}

}  // namespace

Integer DeviceCapabilities(const QString& device, const QString&, Word capability, void* output) {
    TPrinter* printer = Printer();
    const Integer index = printer->Printers()->IndexOf(device);
    if (index < 0) return -1;
    const TPrinterDriver& driver = printer->Driver(index);
    const DevMode mode = driver.DefaultMode();
    switch (capability) {
        case DC_PAPERS: return Fill(driver.Papers(), output);
        case DC_BINS: return Fill(driver.Bins(), output);
        case DC_PAPERSIZE: return Fill(PaperSizes(driver), output);
        case DC_PAPERNAMES: return FillNames(PaperNames(driver), 64, output);
        case DC_BINNAMES: return FillNames(driver.BinNames(), 24, output);
        case DC_COPIES: return (mode.dmFields & DM_COPIES) ? 9999 : 1;
        case DC_DUPLEX: return Capable(mode, DM_DUPLEX, 1);
        case DC_COLLATE: return Capable(mode, DM_COLLATE, 1);
        case DC_COLORDEVICE: return Capable(mode, DM_COLOR, 1);
        default: return -1;
    }
}
