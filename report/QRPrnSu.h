// The report's print dialog: range and copies as any print dialog, and the
// paper, bin, orientation, quality, colour, duplex and collation the user
// chose for the printer. It opens centred across, a third of the way down.
#pragma once

#include "Classes.h"
#include "PrintDialogs.h"

class TPrinter;

class TQRCommonDialog : public TComponent {
public:
    using TComponent::TComponent;

    bool Ctl3D = true;
    Integer HelpContext = 0;
    TNotifyEvent OnClose;
    TNotifyEvent OnShow;
};

class TQRBasePrintDialog : public TQRCommonDialog {
public:
    explicit TQRBasePrintDialog(TComponent* AOwner);
    TPrinter* Printer() const { return printer_; }

protected:
    TPrinter* printer_;
};

class TQRPrintDialog : public TQRBasePrintDialog {
public:
    using TQRBasePrintDialog::TQRBasePrintDialog;

    // Runs the dialog; on OK the printer takes the chosen printer and mode
    // and the properties read them back.
    bool Execute();

    Integer Copies() const { return copies_; }
    // Also sets the printer's copies.
    void SetCopies(Integer value);

    Integer FromPage = 0;
    Integer ToPage = 0;
    Integer MinPage = 0;
    Integer MaxPage = 0;
    Integer Collate = 0;
    TPrintDialogOptions Options;
    bool PrintToFile = false;
    TPrintRange PrintRange = prAllPages;
    Integer PrintQuality = 0;
    Integer ColorOption = 0;
    Integer OutputBin = 0;
    Integer PaperSize = 0;
    bool Duplex = false;
    Extended Paperwidth = 0;
    Extended Paperlength = 0;
    SmallInt Orientation = 0;
    Integer DuplexCode = 0;
    // dmFields of the mode read back.
    Cardinal Fields = 0;

private:
    void ReadBack(const TPrintDialogChoice& choice);

    Integer copies_ = 0;
};
