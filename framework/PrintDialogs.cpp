#include "PrintDialogs.h"

#include <QtGui/QPageLayout>
#include <QtPrintSupport/QPrintDialog>
#include <QtPrintSupport/QPrinter>

namespace {

TPrintDialogHook& DialogHook() {
    static TPrintDialogHook hook;
    return hook;
}

QPrinter::DuplexMode QtDuplex(SmallInt code) {
    switch (code) {
        case DMDUP_VERTICAL: return QPrinter::DuplexLongSide;
        case DMDUP_HORIZONTAL: return QPrinter::DuplexShortSide;
        default: return QPrinter::DuplexNone;
    }
}

SmallInt DuplexCode(QPrinter::DuplexMode mode, SmallInt unchanged) {
    switch (mode) {
        case QPrinter::DuplexNone: return DMDUP_SIMPLEX;
        case QPrinter::DuplexLongSide: return DMDUP_VERTICAL;
        case QPrinter::DuplexShortSide: return DMDUP_HORIZONTAL;
        default: return unchanged;
    }
}

// A Qt printer showing printer's choice and device mode: a queue by its
// name, any other printer as Qt's PDF output.
void LoadQtPrinter(QPrinter& qt, const TPrinter& printer) {
    const QString queue = printer.Driver().QueueName();
    if (queue.isEmpty()) {
        qt.setOutputFormat(QPrinter::PdfFormat);
        qt.setOutputFileName(PdfJobFileName(PdfPrinterFolder(), printer.Title()));
    } else {
        qt.setPrinterName(queue);
    }
    const DevMode& mode = printer.Mode();
    qt.setPageSize(DevModePageSize(mode));
    qt.setPageOrientation(printer.Orientation() == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    qt.setCopyCount(mode.dmCopies);
    qt.setCollateCopies(mode.dmCollate == DMCOLLATE_TRUE);
    qt.setDuplex(QtDuplex(mode.dmDuplex));
    qt.setColorMode(mode.dmColor == DMCOLOR_MONOCHROME ? QPrinter::GrayScale : QPrinter::Color);
}

// The printer the user chose: Qt's PDF output is the current printer when
// that is no queue, else the PDF printer (first in the list).
Integer ChosenPrinter(const QPrinter& qt, const TPrinter& printer) {
    const Integer count = printer.Printers()->Count();
    if (qt.outputFormat() == QPrinter::PdfFormat)
        return printer.Driver().QueueName().isEmpty() ? printer.PrinterIndex() : 0;
    for (Integer i = 0; i < count; ++i)
        if (printer.Driver(i).QueueName() == qt.printerName()) return i;
    return printer.PrinterIndex();
}

// Selects the chosen printer with the paper, orientation, copies,
// collation, duplex and colour set in the Qt printer.
void StoreQtPrinter(const QPrinter& qt, TPrinter& printer) {
    const Integer index = ChosenPrinter(qt, printer);
    DevMode mode = index == printer.PrinterIndex() ? printer.Mode() : printer.Driver(index).DefaultMode();
    const QPageLayout layout = qt.pageLayout();
    const QSizeF mm = layout.pageSize().size(QPageSize::Millimeter);
    const int code = layout.pageSize().windowsId();
    mode.dmFields |= DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_ORIENTATION | DM_COPIES | DM_COLLATE |
                     DM_DUPLEX | DM_COLOR;
    mode.dmPaperSize = SmallInt(code > 0 ? code : DMPAPER_USER);
    mode.dmPaperWidth = SmallInt(qRound(mm.width() * 10));
    mode.dmPaperLength = SmallInt(qRound(mm.height() * 10));
    mode.dmOrientation = layout.orientation() == QPageLayout::Landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    mode.dmCopies = SmallInt(qt.copyCount());
    mode.dmCollate = qt.collateCopies() ? DMCOLLATE_TRUE : DMCOLLATE_FALSE;
    mode.dmDuplex = DuplexCode(qt.duplex(), mode.dmDuplex);
    mode.dmColor = qt.colorMode() == QPrinter::GrayScale ? DMCOLOR_MONOCHROME : DMCOLOR_COLOR;
    const TPrinterDriver& driver = printer.Driver(index);
    printer.SetPrinter(driver.DeviceName(), driver.DriverName(), driver.PortName(), &mode);
}

}  // namespace

void SetPrintDialogHook(TPrintDialogHook hook) {
    DialogHook() = std::move(hook);
}

bool TCommonDialog::Run(QDialog& dialog) {
    if (OnShow) OnShow(this);
    const int result = DialogHook() ? DialogHook()(dialog) : dialog.exec();
    if (OnClose) OnClose(this);
    return result == QDialog::Accepted;
}

// ------------------------------------------------------------ print dialog

void TPrintDialog::SetCopies(Integer copies) {
    copies_ = copies;
    Printer()->SetCopies(copies);
}

bool TPrintDialog::Execute() {
    TPrinter& printer = *Printer();
    QPrinter qt(QPrinter::HighResolution);
    LoadQtPrinter(qt, printer);
    Prepare(qt);
    QPrintDialog dialog(&qt);
    // Qt offers the PDF printer as its print-to-file entry: always there.
    QAbstractPrintDialog::PrintDialogOptions options = QAbstractPrintDialog::PrintCollateCopies |
                                                       QAbstractPrintDialog::PrintShowPageSize |
                                                       QAbstractPrintDialog::PrintToFile;
    if (options_.Contains(poPageNums)) options |= QAbstractPrintDialog::PrintPageRange;
    if (options_.Contains(poSelection)) options |= QAbstractPrintDialog::PrintSelection;
    dialog.setOptions(options);
    if (maxPage_ > 0 && maxPage_ >= minPage_) dialog.setMinMax(minPage_, maxPage_);
    if (!Run(dialog)) return false;
    StoreQtPrinter(qt, printer);
    ReadBack(qt);
    return true;
}

void TPrintDialog::Prepare(QPrinter& qt) const {
    if (copies_ > 0) qt.setCopyCount(copies_);
    qt.setCollateCopies(collate_);
    switch (printRange_) {
        case prAllPages: qt.setPrintRange(QPrinter::AllPages); break;
        case prSelection: qt.setPrintRange(QPrinter::Selection); break;
        case prPageNums: qt.setPrintRange(QPrinter::PageRange); break;
    }
    if (fromPage_ > 0 && toPage_ >= fromPage_) qt.setFromTo(fromPage_, toPage_);
}

void TPrintDialog::ReadBack(const QPrinter& qt) {
    switch (qt.printRange()) {
        case QPrinter::Selection: printRange_ = prSelection; break;
        case QPrinter::PageRange: printRange_ = prPageNums; break;
        default: printRange_ = prAllPages; break;
    }
    if (printRange_ == prPageNums) {
        fromPage_ = qt.fromPage();
        toPage_ = qt.toPage();
    }
    copies_ = qt.copyCount();
    collate_ = qt.collateCopies();
    printToFile_ = qt.outputFormat() == QPrinter::PdfFormat;
}

// ------------------------------------------------------------ set-up

// Qt's page set-up dialog refuses the PDF printer, so the set-up runs the
// print dialog without range choices: printer, paper, orientation.
bool TPrinterSetupDialog::Execute() {
    TPrinter& printer = *Printer();
    QPrinter qt(QPrinter::HighResolution);
    LoadQtPrinter(qt, printer);
    QPrintDialog dialog(&qt);
    dialog.setOptions(QAbstractPrintDialog::PrintShowPageSize | QAbstractPrintDialog::PrintToFile);
    if (!Run(dialog)) return false;
    StoreQtPrinter(qt, printer);
    return true;
}
