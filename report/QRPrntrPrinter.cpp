// The report printer: pages recorded as metafiles or drawn on a printer,
// progress posted to the preview, report files loaded and printed.
#include "QRPrntr.h"

#include "Controls.h"
#include "Forms.h"
#include "Metafile.h"
#include "Printers.h"
#include "QRPrev.h"
#include "QRReport.h"
#include "Windows.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>

namespace {

TQRProgressFormFactory& ProgressFormFactory() {
    static TQRProgressFormFactory factory;
    return factory;
}

TQRPreviewInterfaceFactory& PreviewInterfaceFactory() {
    static TQRPreviewInterfaceFactory factory = [](TComponent* owner) {
        return std::make_unique<TQRPreviewInterface>(owner);
    };
    return factory;
}

bool& ReportLoadedFlag() {
    static bool loaded = false;
    return loaded;
}

Extended ScreenFactor() {
    return Extended(Screen->PixelsPerInch()) / 254;
}

Integer RoundInt(Extended value) {
    return Integer(std::llround(value));
}

// Posted messages of the printer.
constexpr Cardinal kProgressMessage = WM_USER;
constexpr Cardinal kPagesMessage = WM_USER + 1;
constexpr Cardinal kPrintAgainMessage = WM_USER + 2;
constexpr Cardinal kPreviewClosedMessage = WM_USER + 4;

}  // namespace

TQRProgressFormFactory RegisterQRProgressForm(TQRProgressFormFactory factory) {
    return std::exchange(ProgressFormFactory(), std::move(factory));
}

std::unique_ptr<TCustomForm> NewQRProgressForm(TQRPrinter* printer) {
    return ProgressFormFactory() ? ProgressFormFactory()(printer) : nullptr;
}

bool QRReportLoaded() {
    return ReportLoadedFlag();
}

// ------------------------------------------------------------ TQRControlLink

void TQRControlLink::Set(TControl* control) {
    if (control_) RemoveFreeNotification(control_);
    control_ = control;
    if (control_) FreeNotification(control_);
}

void TQRControlLink::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == control_) control_ = nullptr;
}

// ------------------------------------------------------------ TQRPrinter

TQRPrinter::TQRPrinter(TComponent* parentReport)
    : parentReport_(parentReport), settings_(std::make_unique<TPrinterSettings>()),
      pageList_(std::make_unique<TQRPageList>()) {
    if (auto* report = dynamic_cast<TCustomRazorUze*>(parentReport)) {
        settings_->UseStandardprinter = report->PrinterSettings()->UseStandardprinter;
        settings_->MemoryLimit = report->PrinterSettings()->MemoryLimit;
    }
    if (settings_->UseStandardprinter) {
        printer_ = ::Printer();
    } else {
        ownPrinter_ = std::make_unique<TPrinter>();
        printer_ = ownPrinter_.get();
    }
    printerPresent_ = printer_->Printers()->Count() > 0;
    if (printerPresent_) {
        settings_->SetPrinter(printer_);
        Application->ProcessMessages();
    }
}

TQRPrinter::~TQRPrinter() {
    if (status_ != mpReady) Cleanup();
    if (auto* preview = dynamic_cast<TQRPreview*>(PreviewControl())) preview->PrinterFreed(this);
}

void TQRPrinter::BeginDoc() {
    page_.reset();
    availablePages_ = 0;
    cancelled_ = false;
    if (Destination == qrdPrinter) settings_->ApplySettings();
    leftOffset_ = Destination == qrdPrinter ? settings_->LeftOffset() : 0;
    topOffset_ = Destination == qrdPrinter ? settings_->TopOffset() : 0;
    if (status_ != mpReady) throw EQRError(QStringLiteral("QRPrinter not ready"));
    pageNumber_ = 0;
    pageCount_ = 0;
    status_ = mpBusy;
    if (Destination == qrdMetafile) {
        pageList_->SetStream(std::make_unique<TQRStream>(settings_->MemoryLimit));
        UseScreenFactors();
    } else {
        UsePrinterFactors(0.37795L);
    }
}

void TQRPrinter::UseScreenFactors() {
    yFactor_ = ScreenFactor();
    xFactor_ = yFactor_;
}

void TQRPrinter::UsePrinterFactors(Extended fallbackY) {
    xFactor_ = Extended(printer_->DeviceCaps(LOGPIXELSX)) / 254;
    yFactor_ = Extended(printer_->DeviceCaps(LOGPIXELSY)) / 254;
    if (xFactor_ < 0.1L) xFactor_ = 0.37795L;
    if (yFactor_ < 0.1L) yFactor_ = fallbackY;
}

bool TQRPrinter::InRange() const {
    return (LastPage < 1 || LastPage >= pageCount_) && (FirstPage < 1 || FirstPage <= pageCount_);
}

void TQRPrinter::NewPage() {
    if (status_ != mpBusy) throw EQRError(QStringLiteral("Illegal call to NewPage"));
    if (pageNumber_ > 0) {
        if (Destination == qrdMetafile) {
            ClosePage(true);
        } else if (!InRange()) {
            ClosePage(false);
        } else if (!LastOfRange() && printer_->Printing()) {
            printer_->NewPage();
        }
        PageAvailable();
    }
    ++pageCount_;
    ++pageNumber_;
    if (Destination == qrdMetafile || !InRange())
        OpenMetafilePage();
    else
        OpenPrinterPage();
}

// A page of the store, or one printed nowhere (outside the print range).
void TQRPrinter::OpenMetafilePage() {
    page_ = std::make_unique<TMetafile>();
    UseScreenFactors();
    page_->SetWidth(XSize(PaperWidth()));
    page_->SetHeight(YSize(PaperLength()));
    pageCanvas_ = std::make_unique<TMetafileCanvas>(page_.get());
    canvas_ = pageCanvas_.get();
}

void TQRPrinter::OpenPrinterPage() {
    if (printer_->Printing()) {
        StartPage(printer_->Canvas()->Handle());
    } else {
        printer_->SetTitle(Title);
        printer_->BeginDoc();
    }
    canvas_ = printer_->Canvas();
    UsePrinterFactors(1.0L);
}

// Ends the open metafile page; store puts it into the page store. The page
// is let go first: one the store refuses is not offered again on the way
// out of the run.
void TQRPrinter::ClosePage(bool store) {
    if (!page_) return;
    pageCanvas_.reset();
    canvas_ = nullptr;
    const std::unique_ptr<TMetafile> page = std::move(page_);
    if (store) pageList_->AddPage(*page);
}

// Pages drawn on a printer are kept nowhere a reader could fetch them: the
// preview whose window a print borrowed hears nothing of them.
void TQRPrinter::PageAvailable() {
    ++availablePages_;
    if (Destination != qrdMetafile) return;
    if (TControl* preview = PreviewControl()) PostMessage(preview, kPagesMessage, WPARAM(availablePages_));
}

void TQRPrinter::EndDoc() {
    if (status_ != mpBusy) return;
    if (Destination == qrdPrinter) {
        if (printer_->Printing()) printer_->EndDoc();
        ClosePage(false);
    } else {
        ClosePage(true);
    }
    canvas_ = nullptr;
    status_ = mpFinished;
    PageAvailable();
    Application->ProcessMessages();
    if (Destination == qrdMetafile)
        pageList_->WriteFileHeader();
    else if (OnEndOfPrint)
        OnEndOfPrint(this);
}

// Also the way out of a run that failed: the pages stored so far stay, and
// the header counts them, so that a saved copy reads back whole; that holds
// too when the open page cannot be stored.
void TQRPrinter::AbortDoc() {
    canvas_ = nullptr;
    status_ = mpFinished;
    if (Destination == qrdPrinter) {
        if (printer_->Printing()) printer_->Abort();
        ClosePage(false);
        return;
    }
    if (ParentExporting) {
        ClosePage(false);
        return;
    }
    try {
        ClosePage(true);
    } catch (...) {
        KeepStoredPages();
        throw;
    }
    KeepStoredPages();
}

void TQRPrinter::KeepStoredPages() {
    pageCount_ = pageList_->PageCount();
    if (pageList_->Stream()) pageList_->WriteFileHeader();
}

void TQRPrinter::Cleanup() {
    if (status_ == mpBusy) cancelled_ = true;
    if (Destination == qrdPrinter && printer_->Printing()) printer_->Abort();
    ClosePage(false);
    canvas_ = nullptr;
    pageList_->SetStream(nullptr);
    pageList_->Clear();
    status_ = mpReady;
}

std::unique_ptr<TMetafile> TQRPrinter::GetPage(Integer n) {
    if (status_ == mpReady || n < 1 || n > pageCount_ || !pageList_->Stream()) return nullptr;
    return pageList_->GetPage(n);
}

// A damaged file keeps the pages before the damage, as the page list does,
// and its error passes on once they are in place.
void TQRPrinter::Load(const QString& fileName) {
    if (status_ != mpReady) Cleanup();
    std::exception_ptr damage;
    try {
        pageList_->LoadFromFile(fileName);
    } catch (const Exception&) {
        if (!pageList_->Stream()) throw;
        damage = std::current_exception();
    }
    pageCount_ = pageList_->PageCount();
    UseScreenFactors();
    status_ = mpFinished;
    loaded_ = true;
    ReportLoadedFlag() = true;
    if (pageCount_ > 0) GuessPaper();
    if (damage) std::rethrow_exception(damage);
}

// The first page's size in whole 4 mm units against the papers Letter to
// E sheet, upright and turned; the last match wins. A page was rounded to
// whole pixels when recorded, so one pixel more may put it back into the
// bucket of its paper (420 mm recorded at 96 dpi measures 419.9 mm).
void TQRPrinter::GuessPaper() {
    const auto first = pageList_->GetPage(1);
    if (!first) return;
    const auto fits = [](Integer size, Integer pixels, Extended factor) {
        return size == Integer(pixels / factor / 40) || size == Integer((Int64(pixels) + 1) / factor / 40);
    };
    const Integer w = first->Width(), h = first->Height();
    for (int i = int(TQRPaperSize::Letter); i <= int(TQRPaperSize::ESheet); ++i) {
        const TQRPaperDimension& paper = QRPaperDimension(TQRPaperSize(i));
        const auto width = Integer(paper.Width / 4);
        const auto length = Integer(paper.Length / 4);
        if (fits(width, w, xFactor_) && fits(length, h, yFactor_)) {
            settings_->SetPaperSize(TQRPaperSize(i));
            settings_->SetOrientation(0);
        }
        if (fits(length, w, xFactor_) && fits(width, h, yFactor_)) {
            settings_->SetPaperSize(TQRPaperSize(i));
            settings_->SetOrientation(1);
        }
    }
}

void TQRPrinter::Save(const QString& fileName) {
    if (status_ == mpFinished) pageList_->SaveToFile(fileName);
}

void TQRPrinter::SetProgress(Integer value) {
    progress_ = value;
    if (TControl* preview = PreviewControl()) PostMessage(preview, kProgressMessage, WPARAM(value));
}

void TQRPrinter::Print() {
    if (Client() && !loaded_ && !settings_->PrintMetafile && status_ == mpFinished) {
        PostMessage(Client(), kPrintAgainMessage);
        return;
    }
    // Pages drawn straight on a printer were not kept: nothing to print.
    if (status_ != mpFinished || !printerPresent_ || !pageList_->Stream()) return;
    const Integer first = FirstPage < 1 ? 1 : FirstPage;
    const Integer last = LastPage < 1 ? pageCount_ : std::min(LastPage, pageCount_);
    if (first > last) return;
    cancelled_ = false;
    printer_->SetTitle(Title);
    if (printer_->Printing()) printer_->Abort();
    settings_->ApplySettings();
    printer_->BeginDoc();
    try {
        PrintPages(first, last, ShowsProgress());
    } catch (...) {
        if (printer_->Printing()) printer_->Abort();
        throw;
    }
    if (auto* report = dynamic_cast<TCustomRazorUze*>(parentReport_); report && report->AfterPrint)
        report->AfterPrint(report);
    if (printer_->Printing()) printer_->EndDoc();
}

bool TQRPrinter::ShowsProgress() const {
    if (auto* report = dynamic_cast<TCustomRazorUze*>(parentReport_)) return report->ShowProgress();
    return ShowProgress;
}

// The progress form stands in for the preview while printing; the preview
// gets its messages back afterwards, if it still exists.
void TQRPrinter::PrintPages(Integer first, Integer last, bool showProgress) {
    TQRControlLink saved;
    saved.Set(PreviewControl());
    struct Restore {
        TQRPrinter& printer;
        TQRControlLink& saved;
        ~Restore() { printer.SetPreviewControl(saved.Get()); }
    } restore{*this, saved};
    std::unique_ptr<TCustomForm> progressForm;
    if (showProgress) progressForm = NewQRProgressForm(this);
    if (progressForm) {
        SetPreviewControl(progressForm.get());
        progressForm->Show();
    }
    for (Integer page = first; page <= last; ++page) {
        Application->ProcessMessages();
        if (cancelled_) break;
        if (progressForm) SetProgress(Integer(Round(Extended(page - first + 1) / (last - first + 1) * 100)));
        pageNumber_ = page;
        PrintPage(page);
        if (cancelled_) break;
        if (page != last) printer_->NewPage();
    }
    if (cancelled_ && printer_->Printing()) printer_->Abort();
}

// Draws a stored page over the whole paper: the canvas starts at the
// printable area, so the page is moved up and left by the margins.
void TQRPrinter::PrintPage(Integer page) {
    const auto metafile = GetPage(page);
    if (!metafile) return;
    const Extended dpiX = settings_->XResolution();
    const Extended dpiY = settings_->YResolution();
    const Extended left = settings_->LeftOffset();
    const Extended top = settings_->TopOffset();
    const TRect area(-RoundInt(left * dpiX / 254), -RoundInt(top * dpiY / 254),
                     RoundInt((PaperWidth() - left) * dpiX / 254), RoundInt((PaperLength() - top) * dpiY / 254));
    printer_->Canvas()->StretchDraw(area, metafile.get());
}

void TQRPrinter::ClosePreview() {
    if (previewOpen_) {
        previewOpen_ = false;
        if (status_ == mpBusy) cancelled_ = true;
        if (OnPreviewClosed) OnPreviewClosed(this);
    }
    if (TControl* client = Client()) SendMessage(client, kPreviewClosedMessage, 0, LPARAM(this));
}

Integer TQRPrinter::XPos(Extended value) const {
    return RoundInt((value - leftOffset_) * xFactor_);
}

Integer TQRPrinter::YPos(Extended value) const {
    return RoundInt((value - topOffset_) * yFactor_);
}

Integer TQRPrinter::XSize(Extended value) const {
    return RoundInt(value * xFactor_);
}

Integer TQRPrinter::YSize(Extended value) const {
    return RoundInt(value * yFactor_);
}

Integer TQRPrinter::PaperWidth() const {
    return settings_->Orientation() == 1 ? settings_->PrintPaperLength() : settings_->PrintPaperWidth();
}

Integer TQRPrinter::PaperLength() const {
    return settings_->Orientation() == 1 ? settings_->PrintPaperWidth() : settings_->PrintPaperLength();
}

Integer TQRPrinter::PrinterIndex() const {
    return printer_->PrinterIndex();
}

void TQRPrinter::SetPrinterIndex(Integer index) {
    if (printer_->PrinterIndex() == index) return;
    printer_->SetPrinterIndex(index);
    settings_->ReadFromPrinter();
}

// ------------------------------------------------------------ registries

TCustomForm* TQRPreviewInterface::Show(TQRPrinter*) {
    return nullptr;
}

TCustomForm* TQRPreviewInterface::ShowModal(TQRPrinter*) {
    return nullptr;
}

void RegisterQRPreviewInterface(TQRPreviewInterfaceFactory factory) {
    PreviewInterfaceFactory() = std::move(factory);
}

std::unique_ptr<TQRPreviewInterface> NewQRPreviewInterface(TComponent* owner) {
    return PreviewInterfaceFactory()(owner);
}

QString TQRExportFilterLibrary::SaveDialogFilter() const {
    QString filter = QStringLiteral("RazorUzeort file(*.VOZ)|*.VOZ");
    for (const Entry& entry : entries_)
        filter += QStringLiteral("|%1 (*.%2)|*.%2").arg(entry.Description, entry.Extension);
    return filter;
}

const TQRExportFilterLibrary::Entry* TQRExportFilterLibrary::Find(const QString& extension) const {
    for (const Entry& entry : entries_)
        if (entry.Extension == extension) return &entry;
    return nullptr;
}

TQRExportFilterLibrary& QRExportFilterLibrary() {
    static TQRExportFilterLibrary library;
    return library;
}
