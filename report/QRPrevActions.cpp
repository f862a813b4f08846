// The standard preview window's toolbar actions: zoom, pages, go to, copy,
// printer set-up, print, load, save and cancel.
#include "QRPrev.h"

#include "Clipbrd.h"
#include "ComCtrls.h"
#include "Dialogs.h"
#include "Grids.h"
#include "Metafile.h"
#include "QRReportInternal.h"

#include <QtCore/QFileInfo>

#include <algorithm>
#include <utility>

namespace {

const char* const kSaveTypeExtensions[] = {".VOZ", ".PDF", ".XLS", ".HTML", ".RTF", ".CSV", ".TXT", ".XML"};

// An extension without its leading "." keeps the three characters after it.
QString DropDot(const QString& extension) {
    return extension.startsWith(QLatin1Char('.')) ? extension.mid(1, 3) : extension;
}

}  // namespace

// ------------------------------------------------------------ zoom and pages

void TQRStandardPreview::ZoomFitClick() {
    Application->ProcessMessages();
    QRPreview->ZoomToFit();
}

void TQRStandardPreview::ZoomToWidthClick() {
    Application->ProcessMessages();
    QRPreview->ZoomToWidth();
}

void TQRStandardPreview::Zoom100Click() {
    Application->ProcessMessages();
    QRPreview->SetZoom(100);
}

void TQRStandardPreview::GotoPage(Integer page) {
    QRPreview->SetPageNumber(page);
    UpdateStatus();
    const TQRPrinter* printer = QRPrinter();
    if (!printer || page < 1 || page > printer->PageCount() || page > ThumbGrid->RowCount()) return;
    goingToPage_ = true;
    ThumbGrid->SetRow(page - 1);
    goingToPage_ = false;
}

void TQRStandardPreview::FirstPageClick() {
    GotoPage(1);
}

void TQRStandardPreview::PreviousPageClick() {
    GotoPage(QRPreview->PageNumber() - 1);
}

void TQRStandardPreview::NextPageClick() {
    GotoPage(QRPreview->PageNumber() + 1);
}

void TQRStandardPreview::LastPageClick() {
    const TQRPrinter* printer = QRPrinter();
    if (!printer) return;
    GotoPage(printer->Status() == mpFinished ? printer->PageCount() : printer->PageCount() - 1);
}

// A number out of range, or no number at all, shows page 1.
void TQRStandardPreview::GotoPageClick() {
    const TQRPrinter* printer = QRPrinter();
    if (!printer) return;
    const Integer count = printer->PageCount();
    const QString text = InputBox(QStringLiteral("Select a page from 1 to %1").arg(count),
                                  QStringLiteral("Enter page number"), QString::number(QRPreview->PageNumber()));
    const Integer page = StrToIntDef(text.trimmed(), 0);
    GotoPage(page < 1 || page > count ? 1 : page);
}

// ------------------------------------------------------------ copy, set-up, print

void TQRStandardPreview::CopyClick() {
    if (Fire(spCopy, QStringLiteral("Copy"))) return;
    if (TMetafile* page = QRPreview->PreviewImage()->PageMetafile()) Clipboard()->Assign(page);
}

void TQRStandardPreview::PrintSetupClick() {
    if (Fire(spPrintSetup, QStringLiteral("PrintSetup"))) return;
    TCustomRazorUze* report = CurrentReport();
    TQRPrinter* printer = QRPrinter();
    if (!report || !printer) return;
    report->PrinterSetup();
    const TRazorUzePrinterSettings& chosen = *report->PrinterSettings();
    if (chosen.PrinterIndex >= 0) printer->SetPrinterIndex(chosen.PrinterIndex);
    TPrinterSettings& settings = printer->PrinterSettings();
    settings.SetCopies(chosen.Copies);
    settings.Collate = chosen.Collate;
    settings.SetDuplex(chosen.Duplex);
    settings.SetOutputBin(chosen.OutputBin);
    // The range chosen is the printer's until the next set-up: the prints
    // from this window take it. Every page is no range, so that a report
    // that grew meanwhile prints whole.
    if (report->Tag() != 0) return;
    const TRazorUzePrinterSettings& dialog = *report->DialogSettings();
    const bool whole = dialog.FirstPage <= 1 && dialog.LastPage >= printer->PageCount();
    printer->FirstPage = whole ? 0 : dialog.FirstPage;
    printer->LastPage = whole ? 0 : dialog.LastPage;
}

void TQRStandardPreview::PrintClick() {
    if (Fire(spPrint, QStringLiteral("Print"))) return;
    TQRPrinter* printer = QRPrinter();
    if (!printer || printing_ || printer->Status() == mpBusy) return;
    closeWhenDone_ = false;
    RunPrint(*printer);
    if (closeWhenDone_) Close();
}

// The report prints again when it can, else the pages kept print. A range
// that holds none of the pages printed nothing: the user is told.
void TQRStandardPreview::RunPrint(TQRPrinter& printer) {
    TCustomRazorUze* report = CurrentReport();
    const bool again = !printer.Loaded() && report;
    SetPrinting(true);
    try {
        if (again)
            PrintReportAgain(*report, printer);
        else
            printer.Print();
    } catch (...) {
        SetPrinting(false);
        throw;
    }
    SetPrinting(false);
    if (again && report->Cancelled()) return;
    const Integer pages = again ? report->PageNumber() : printer.PageCount();
    const Integer first = std::max<Integer>(printer.FirstPage, 1);
    const Integer last = printer.LastPage < 1 ? pages : std::min(printer.LastPage, pages);
    if ((printer.FirstPage > 0 || printer.LastPage > 0) && first > last) {
        const QString to = printer.LastPage > 0 ? QString::number(printer.LastPage) : QStringLiteral("the end");
        MessageBox(this,
                   QStringLiteral("Pages %1 to %2 are not in the report (it has %3): nothing was printed")
                       .arg(first)
                       .arg(to)
                       .arg(pages),
                   Caption(), MB_OK | MB_ICONWARNING);
    }
}

// The report's printer takes its range from the report's settings: for
// this print, the range of the printer shown.
void TQRStandardPreview::PrintReportAgain(TCustomRazorUze& report, const TQRPrinter& printer) {
    TRazorUzePrinterSettings& settings = *report.PrinterSettings();
    const Integer first = std::exchange(settings.FirstPage, printer.FirstPage);
    const Integer last = std::exchange(settings.LastPage, printer.LastPage);
    const ScopeExit restore([&] {
        settings.FirstPage = first;
        settings.LastPage = last;
    });
    report.Print();
}

// While a print runs its Cancel stands ready, and no second print, set-up,
// search or file load can start in the middle of it.
void TQRStandardPreview::SetPrinting(bool value) {
    printing_ = value;
    CancelButton->SetEnabled(value);
    for (TToolButton* button : {PrintSetup, Print, FindButton, LoadReport}) button->SetEnabled(!value);
}

// A stopped print is cancelled: its document is dropped, not ended.
void TQRStandardPreview::StopPrint() {
    TCustomRazorUze* report = CurrentReport();
    if (report && !report->Available()) {
        report->Run().StopRequest = true;
        report->Cancel();
    } else if (TQRPrinter* printer = QRPrinter()) {
        printer->Cancel();
    }
}

// Stops the print or the search started here; false when neither runs.
bool TQRStandardPreview::StopOwnWork() {
    if (printing_)
        StopPrint();
    else if (searching_)
        stopSearch_ = true;
    else
        return false;
    return true;
}

void TQRStandardPreview::CancelClick() {
    if (StopOwnWork() || Fire(spCancel, QStringLiteral("Cancel"))) return;
    if (TCustomRazorUze* report = CurrentReport()) report->Run().StopRequest = true;
}

// A modal window closes without asking first: its work stops here.
void TQRStandardPreview::ExitClick() {
    StopOwnWork();
    Close();
}

// ------------------------------------------------------------ load and save

void TQRStandardPreview::LoadReportClick() {
    if (Fire(spLoad, QStringLiteral("Load"))) return;
    TQRPrinter* printer = QRPrinter();
    if (!printer) return;
    TOpenDialog dialog(Application);
    dialog.SetTitle(QStringLiteral("Load report"));
    dialog.SetFilter(QStringLiteral("RazorUzeort file (*.VOZ)|*.VOZ"));
    if (!dialog.Execute()) return;
    const QString fileName = dialog.FileName();
    if (!FileExists(fileName)) {
        MessageBox(this, QStringLiteral("File does not exist"), Caption(), MB_OK);
        return;
    }
    // A damaged file is found before the pages shown now are given up.
    try {
        TQRPageList probe;
        probe.LoadFromFile(fileName);
    } catch (const Exception& e) {
        MessageBox(this, QStringLiteral("The report file %1 cannot be read: %2").arg(fileName, e.Message()),
                   Caption(), MB_OK | MB_ICONERROR);
        return;
    }
    printer->Load(fileName);
    title_ = fileName;
    thumbs_.clear();
    QRPreview->SetPageNumber(1);
    QRPreview->PreviewImage()->SetPageNumber(1);
    TPrinterSettings& settings = printer->PrinterSettings();
    orientation_ = settings.Orientation();
    if (TCustomRazorUze* report = CurrentReport()) {
        report->Page()->SetOrientation(orientation_ == 1 ? poLandscape : poPortrait);
        report->Page()->SetPaperSize(settings.PaperSize());
    }
    QRPreview->UpdateZoom();
    ThumbLayout();
    PageAvailable(printer->PageCount());
    goingToPage_ = true;
    ThumbGrid->SetRow(0);
    goingToPage_ = false;
    Print->SetEnabled(true);
    SaveReport->SetEnabled(false);
    SaveReport->SetVisible(false);
    UpdateStatus();
}

void TQRStandardPreview::SaveReportClick() {
    if (Fire(spSave, QStringLiteral("Save"))) return;
    const TCustomRazorUze* report = CurrentReport();
    const QString extension =
        QString::fromLatin1(kSaveTypeExtensions[report ? report->PreviewSettings().PreviewDefaultSaveType : stVOZ]);
    TSaveDialog dialog(Application);
    dialog.SetTitle(QStringLiteral("Save report"));
    dialog.SetFilter(extension + QStringLiteral("|*") + extension + QLatin1Char('|') +
                     QRExportFilterLibrary().SaveDialogFilter());
    dialog.SetFileName(QLatin1Char('*') + extension);
    if (dialog.Execute()) SaveAs(dialog.FileName(), dialog.FilterIndex());
}

// A name without an extension takes the one of the filter line chosen.
void TQRStandardPreview::SaveAs(QString fileName, Integer filterIndex) {
    TQRPrinter* printer = QRPrinter();
    if (!printer) return;
    const TCustomRazorUze* report = CurrentReport();
    QString extension = ExtractFileExt(fileName).toUpper();
    if (extension.isEmpty()) {
        if (filterIndex == 1)
            extension = QString::fromLatin1(kSaveTypeExtensions[report ? report->PreviewSettings().PreviewDefaultSaveType : stVOZ]);
        else if (filterIndex == 2)
            extension = QStringLiteral("VOZ");
        extension = DropDot(extension);
        fileName += QLatin1Char('.') + extension;
    }
    extension = DropDot(extension);
    if (extension == QLatin1String("VOZ")) {
        printer->Save(fileName);
        return;
    }
    // The filter library names its filters but cannot make one: other
    // types are refused aloud rather than written by nobody.
    MessageBox(this, QStringLiteral("No export filter can save %1 files: the report was not saved").arg(extension),
               Caption(), MB_OK | MB_ICONWARNING);
}
