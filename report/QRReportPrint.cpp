// Printing a report: Print on the selected printer with its progress
// form, the printer set-up dialog, the report's window messages and the
// composite run of several reports in one document.
#include "QRReport.h"
#include "QRReportInternal.h"

#include "Controls.h"
#include "Forms.h"
#include "Metafile.h"
#include "Printers.h"
#include "QRPrnSu.h"
#include "Windows.h"


namespace {

constexpr Cardinal kFirstPagesMessage = WM_USER + 1;
constexpr Cardinal kPrintAgainMessage = WM_USER + 2;
constexpr Cardinal kCloseMessage = WM_USER + 4;

// Highest page offered by the print dialog before anything is produced.
constexpr Integer kUnknownLastPage = 9999;

// The progress form of a print, made the printer's progress receiver.
std::unique_ptr<TCustomForm> PrintProgressForm(TQRPrinter& printer)
{
    std::unique_ptr<TCustomForm> form = NewQRProgressForm(&printer);
    if (form) {
        printer.SetPreviewControl(form.get());
        form->Show();
    }
    return form;
}

}  // namespace

void TCustomRazorUze::Print()
{
    if (compositeRun_) {
        const std::unique_ptr<TQRPrinter> printer = NewQRPrinter();
        if (!printer->PrinterPresent())
            return;
        printer->Destination = qrdPrinter;
        TQRCompositeRun& run = *compositeRun_;
        TQRPrinter* const shared = run.Printer;
        run.Printer = printer.get();
        ScopeExit restore([&] { run.Printer = shared; });
        CompositeApplySettings(run);
        CompositeBeginDoc(run);
        CompositeRunReports(run);
        CompositeEndDoc(run);
        return;
    }
    if (!available_)
        return;
    TQRPrinter* previous = qrPrinter_;
    const std::unique_ptr<TQRPrinter> printer = NewQRPrinter();
    if (previous)
        printer->SetPreviewControl(previous->PreviewControl());
    printer->OnEndOfPrint = [this](TObject*) {
        if (AfterPrint)
            AfterPrint(this);
    };
    printer->OnPreviewClosed = [this](TObject*) {
        if (AfterPreview)
            AfterPreview(this);
    };
    qrPrinter_ = printer.get();
    ScopeExit restore([&] { qrPrinter_ = previous; });
    if (!printer->PrinterPresent())
        return;
    printer->Destination = qrdPrinter;
    const std::unique_ptr<TCustomForm> progress = showProgress_ ? PrintProgressForm(*printer) : nullptr;
    CreateReport(false);
}

std::unique_ptr<TQRPrinter> TCustomRazorUze::NewQRPrinter()
{
    return std::make_unique<TQRPrinter>(this);
}

void TCustomRazorUze::PrinterSetup()
{
    TQRPrintDialog dialog(nullptr);
    TRazorUzePrinterSettings& own = *printerSettings_;
    if (own.PrinterIndex >= 0 && own.PrinterIndex < dialog.Printer()->Printers()->Count())
        dialog.Printer()->SetPrinterIndex(own.PrinterIndex);
    dialog.SetCopies(own.Copies);
    dialog.Printer()->SetOrientation(page_->Orientation());
    dialog.Options = {poPageNums};
    if (qrPrinter_ && qrPrinter_->Status() == mpFinished) {
        dialog.MinPage = 1;
        dialog.MaxPage = qrPrinter_->PageCount();
        dialog.FromPage = 1;
        dialog.ToPage = qrPrinter_->PageCount();
    } else {
        dialog.MinPage = 0;
        dialog.MaxPage = kUnknownLastPage;
    }
    if (!dialog.Execute()) {
        SetTag(1);
        return;
    }
    const TPrinterOrientation orientation = dialog.Orientation == DMORIENT_LANDSCAPE ? poLandscape : poPortrait;
    own.Copies = dialog.Copies();
    // Collation too, so that the copies print as the dialog showed them.
    own.Collate = dialog.Collate;
    own.PrinterIndex = dialog.Printer()->PrinterIndex();
    page_->SetOrientation(orientation);

    TRazorUzePrinterSettings& chosen = *dialogSettings_;
    chosen.Copies = dialog.Copies();
    chosen.Orientation = orientation;
    chosen.FirstPage = dialog.FromPage;
    chosen.LastPage = dialog.ToPage;
    chosen.Duplex = dialog.Duplex;
    chosen.PrintQuality = dialog.PrintQuality;
    chosen.Collate = dialog.Collate;
    chosen.ColorOption = dialog.ColorOption;
    // Drivers number their own bins from 256 up; the table has the standard ones.
    const Integer bin = dialog.OutputBin > 255 ? dialog.OutputBin - 256 : dialog.OutputBin;
    chosen.OutputBin = own.OutputBin;
    for (int i = 0; i < QRBinCount; ++i)
        if (QRBinCode(TQRBin(i)) == bin)
            chosen.OutputBin = TQRBin(i);
    SetTag(0);
}

void TCustomRazorUze::AdoptQRPrinter(std::unique_ptr<TQRPrinter> printer)
{
    ownPrinter_ = std::move(printer);
    qrPrinter_ = ownPrinter_.get();
}

void TCustomRazorUze::ContinueRun(Integer x, Integer y, Integer pageNumber, Integer column)
{
    currentX_ = x;
    currentY_ = y;
    pageNumber_ = pageNumber;
    currentColumn_ = column;
}

void TCustomRazorUze::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case kFirstPagesMessage:
        if (Message.WParam == 1 && qrPrinter_) {
            designPage_ = qrPrinter_->GetPage(1);
            Invalidate();
        }
        return;
    case kPrintAgainMessage:
        Print();
        return;
    case kCloseMessage:
        if (!available_) {
            Cancel();
        } else {
            ReleasePrinter();
        }
        return;
    default:
        TQRBasePanel::WndProc(Message);
    }
}

// The preview is done with the report printer: its window closes first
// (marked closed beforehand, so closing does not ask again) and the
// printer goes.
void TCustomRazorUze::ReleasePrinter()
{
    if (qrPrinter_ && qrPrinter_->ShowingPreview()) {
        qrPrinter_->SetShowingPreview(false);
        TControl* preview = qrPrinter_->PreviewControl();
        if (TCustomForm* window = preview ? GetParentForm(preview) : nullptr)
            window->Close();
    }
    qrPrinter_ = nullptr;
    ownPrinter_.reset();
}

// ------------------------------------------------------------ composite runs

void CompositeApplySettings(TQRCompositeRun& run)
{
    if (!run.Reports.empty() && run.Printer)
        run.Reports.front()->CopySettingsTo(*run.Printer);
}

void CompositeBeginDoc(TQRCompositeRun& run)
{
    run.Cancelled = false;
    // An exported run hands its pages to the filter, not to the store.
    run.Printer->ParentExporting = run.Filter != nullptr;
    run.Printer->BeginDoc();
}

void CompositeRunReports(TQRCompositeRun& run)
{
    Integer x = 0, y = -1, page = 0, column = 1;
    for (size_t i = 0; i < run.Reports.size() && !run.Cancelled; ++i) {
        TCustomRazorUze& report = *run.Reports[i];
        const bool last = i + 1 == run.Reports.size();
        const Integer oldTag = report.Tag();
        TQRPrinter* const oldPrinter = report.QRPrinter();
        ScopeExit restore([&] {
            report.SetTag(oldTag);
            report.SetQRPrinter(oldPrinter);
        });
        if (last)
            report.SetTag(999);
        report.SetQRPrinter(run.Printer);
        report.ContinueRun(x, y, page, column);
        if (run.Filter)
            report.ExportToFilter(run.Filter, run.Printer);
        else
            report.CreateReport(true);
        if (report.AfterPrint)
            report.AfterPrint(&report);
        run.Cancelled = report.Cancelled();
        x = report.CurrentX();
        y = report.CurrentY();
        page = report.PageNumber();
        column = report.CurrentColumn();
    }
}

void CompositeEndDoc(TQRCompositeRun& run)
{
    if (run.Cancelled || run.Filter)
        run.Printer->AbortDoc();
    else
        run.Printer->EndDoc();
}
