// The report's print dialog on Qt's print dialog.
#include "QRPrnSu.h"

#include "Forms.h"
#include "Printers.h"

#include <QtCore/QEvent>
#include <QtGui/QScreen>
#include <QtPrintSupport/QPrintDialog>
#include <QtPrintSupport/QPrinter>
#include <QtWidgets/QWidget>

#include <cmath>

namespace {

// Moves the dialog as it is shown and tells the component it opened.
class TPlacement : public QObject {
public:
    TPlacement(QDialog& dialog, TQRCommonDialog& owner) : owner_(owner) { dialog.installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            auto* dialog = static_cast<QWidget*>(watched);
            if (const QScreen* screen = dialog->screen()) {
                const QRect area = screen->geometry();
                dialog->move(area.left() + (area.width() - dialog->width()) / 2,
                             area.top() + (area.height() - dialog->height()) / 3);
            }
            if (owner_.OnShow) owner_.OnShow(&owner_);
        }
        return false;
    }

private:
    TQRCommonDialog& owner_;
};

// Qt's dialog keeps its page range choices whatever the options say.
void DisablePageRange(QDialog& dialog) {
    for (const char* name : {"printRange", "pagesRadioButton", "from", "to", "pagesLineEdit"})
        if (auto* widget = dialog.findChild<QWidget*>(QLatin1String(name))) widget->setEnabled(false);
}

bool IsPdfPrinter(const TPrinter& printer) {
    return printer.PrinterIndex() == 0;
}

SmallInt ModeDuplex(QPrinter::DuplexMode mode, SmallInt current) {
    switch (mode) {
        case QPrinter::DuplexNone: return DMDUP_SIMPLEX;
        case QPrinter::DuplexLongSide: return DMDUP_VERTICAL;
        case QPrinter::DuplexShortSide: return DMDUP_HORIZONTAL;
        default: return current;
    }
}

QPrinter::DuplexMode QtDuplex(SmallInt code) {
    switch (code) {
        case DMDUP_VERTICAL: return QPrinter::DuplexLongSide;
        case DMDUP_HORIZONTAL: return QPrinter::DuplexShortSide;
        default: return QPrinter::DuplexNone;
    }
}

}  // namespace

TQRBasePrintDialog::TQRBasePrintDialog(TComponent* AOwner) : TQRCommonDialog(AOwner), printer_(::Printer()) {}

void TQRPrintDialog::SetCopies(Integer value) {
    copies_ = value;
    printer_->SetCopies(value);
}

// The Qt job the dialog edits, set up as the printer and the properties.
void TQRPrintDialog::Prepare(QPrinter& job) const {
    const DevMode& mode = printer_->Mode();
    if (IsPdfPrinter(*printer_) || PrintToFile) {
        job.setOutputFormat(QPrinter::PdfFormat);
    } else {
        job.setPrinterName(printer_->Driver().DeviceName());
    }
    QSizeF paper = DevModePaperSize(mode);
    if (!paper.isEmpty()) job.setPageSize(QPageSize(paper, QPageSize::Millimeter));
    job.setPageOrientation(mode.dmOrientation == DMORIENT_LANDSCAPE ? QPageLayout::Landscape
                                                                    : QPageLayout::Portrait);
    job.setCopyCount(printer_->Copies());
    job.setCollateCopies(Collate != 0);
    job.setDuplex(QtDuplex(mode.dmDuplex));
    job.setColorMode(mode.dmColor == DMCOLOR_MONOCHROME ? QPrinter::GrayScale : QPrinter::Color);
    job.setPrintRange(PrintRange == prSelection   ? QPrinter::Selection
                      : PrintRange == prPageNums ? QPrinter::PageRange
                                                 : QPrinter::AllPages);
    job.setFromTo(FromPage, ToPage);
}

bool TQRPrintDialog::Execute() {
    QPrinter job(QPrinter::HighResolution);
    Prepare(job);
    QWidget* parent = Application->MainForm() ? Application->MainForm()->Handle() : nullptr;
    QPrintDialog dialog(&job, parent);
    QAbstractPrintDialog::PrintDialogOptions options = QAbstractPrintDialog::PrintCollateCopies |
                                                       QAbstractPrintDialog::PrintShowPageSize;
    if (Options.Contains(poPrintToFile) && !Options.Contains(poDisablePrintToFile))
        options |= QAbstractPrintDialog::PrintToFile;
    if (Options.Contains(poPageNums)) options |= QAbstractPrintDialog::PrintPageRange;
    if (Options.Contains(poSelection)) options |= QAbstractPrintDialog::PrintSelection;
    dialog.setOptions(options);
    dialog.setMinMax(MinPage, MaxPage);
    // Qt sets the page range choices up as the dialog shows: after that.
    if (!Options.Contains(poPageNums))
        QMetaObject::invokeMethod(&dialog, [&dialog] { DisablePageRange(dialog); }, Qt::QueuedConnection);
    TPlacement placement(dialog, *this);
    const bool ok = dialog.exec() == QDialog::Accepted;
    if (OnClose) OnClose(this);
    if (ok) ReadBack(job);
    return ok;
}

void TQRPrintDialog::ReadBack(const QPrinter& job) {
    QString device = job.printerName();
    if (job.outputFormat() == QPrinter::PdfFormat || printer_->Printers()->IndexOf(device) < 0)
        device = printer_->Printers()->Get(0);
    DevMode mode = printer_->Mode();
    const QPageLayout layout = job.pageLayout();
    const QSizeF mm = layout.pageSize().size(QPageSize::Millimeter);
    const int code = layout.pageSize().windowsId();
    mode.dmPaperSize = SmallInt(code > 0 ? code : DMPAPER_USER);
    mode.dmPaperWidth = SmallInt(std::lround(mm.width() * 10));
    mode.dmPaperLength = SmallInt(std::lround(mm.height() * 10));
    mode.dmOrientation = layout.orientation() == QPageLayout::Landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    mode.dmCopies = SmallInt(std::max(1, job.copyCount()));
    mode.dmCollate = job.collateCopies() ? DMCOLLATE_TRUE : DMCOLLATE_FALSE;
    mode.dmDuplex = ModeDuplex(job.duplex(), mode.dmDuplex);
    mode.dmColor = job.colorMode() == QPrinter::GrayScale ? DMCOLOR_MONOCHROME : DMCOLOR_COLOR;
    mode.dmFields |= DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH | DM_ORIENTATION | DM_COPIES | DM_COLLATE |
                     DM_DUPLEX | DM_COLOR;
    printer_->SetPrinter(device, QString(), QString(), &mode);

    PrintToFile = Options.Contains(poPrintToFile) && !job.outputFileName().isEmpty();
    PrintRange = job.printRange() == QPrinter::Selection && Options.Contains(poSelection) ? prSelection
                 : job.printRange() == QPrinter::PageRange && Options.Contains(poPageNums) ? prPageNums
                                                                                           : prAllPages;
    if (PrintRange == prPageNums) {
        FromPage = job.fromPage();
        ToPage = job.toPage();
    }
    copies_ = job.copyCount() == 1 ? printer_->Copies() : job.copyCount();
    const DevMode& taken = printer_->Mode();
    Fields = taken.dmFields;
    OutputBin = taken.dmDefaultSource;
    PaperSize = taken.dmPaperSize;
    Paperwidth = taken.dmPaperWidth;
    Paperlength = taken.dmPaperLength;
    Orientation = taken.dmOrientation;
    PrintQuality = taken.dmPrintQuality;
    ColorOption = taken.dmColor;
    DuplexCode = taken.dmDuplex;
    Duplex = taken.dmDuplex != DMDUP_SIMPLEX;
    Collate = taken.dmCollate;
}
