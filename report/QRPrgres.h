// The form that shows how far printing has come and lets it be cancelled.
#pragma once

#include "Forms.h"

class TButton;
class TLabel;
class TProgressBar;
class TQRPrinter;

class TQRProgressForm : public TForm {
public:
    TQRProgressForm(TComponent* AOwner, TQRPrinter* printer);

    TQRPrinter* QRPrinter() const { return printer_; }
    void CancelClick();

    TProgressBar* Gauge = nullptr;
    TLabel* Info = nullptr;
    TButton* CancelButton = nullptr;

protected:
    // WM_USER: the printer's progress.
    void WndProc(TMessage& Message) override;

private:
    TQRPrinter* printer_;
};
