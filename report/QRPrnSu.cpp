// The report's print dialog on the framework's print dialog window.
#include "QRPrnSu.h"

#include "Forms.h"
#include "Printers.h"

#include <QtGui/QScreen>
#include <QtWidgets/QDialog>

namespace {

// Centred across, a third of the way down the screen.
void Place(QDialog& dialog) {
    if (const QScreen* screen = dialog.screen()) {
        const QRect area = screen->geometry();
        dialog.move(area.left() + (area.width() - dialog.width()) / 2,
                    area.top() + (area.height() - dialog.height()) / 3);
    }
}

}  // namespace

TQRBasePrintDialog::TQRBasePrintDialog(TComponent* AOwner) : TQRCommonDialog(AOwner), printer_(::Printer()) {}

void TQRPrintDialog::SetCopies(Integer value) {
    copies_ = value;
    printer_->SetCopies(value);
}

bool TQRPrintDialog::Execute() {
    TPrintDialogChoice choice = PrinterChoice(*printer_);
    choice.Mode.dmCollate = Collate != 0 ? DMCOLLATE_TRUE : DMCOLLATE_FALSE;
    OfferPageRange(choice, PrintRange, FromPage, ToPage, MinPage, MaxPage);
    choice.PrintToFile = choice.PrintToFile || PrintToFile;
    QWidget* parent = Application->MainForm() ? Application->MainForm()->Handle() : nullptr;
    const bool ok = RunPrintDialog(*printer_, choice, Options, false, parent, [this](QDialog& dialog) {
        Place(dialog);
        if (OnShow) OnShow(this);
    });
    if (OnClose) OnClose(this);
    if (ok) ReadBack(choice);
    return ok;
}

void TQRPrintDialog::ReadBack(const TPrintDialogChoice& choice) {
    TakePrintDialogChoice(*printer_, choice);
    PrintToFile = Options.Contains(poPrintToFile) && choice.PrintToFile;
    TakePageRange(choice, PrintRange, FromPage, ToPage);
    copies_ = choice.Mode.dmCopies == 1 ? printer_->Copies() : choice.Mode.dmCopies;
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
