// The printing progress form.
#include "QRPrgres.h"

#include "ComCtrls.h"
#include "QRPrntr.h"
#include "QRReport.h"
#include "StdCtrls.h"

TQRProgressForm::TQRProgressForm(TComponent* AOwner, TQRPrinter* printer) : TForm(AOwner), printer_(printer) {
    SetBorderStyle(bsDialog);
    SetFormStyle(fsStayOnTop);
    SetPosition(poScreenCenter);
    SetClientSize(149, 97);
    SetCaption(QStringLiteral("Printing progress"));
    Gauge = new TProgressBar(this);
    Gauge->SetParent(this);
    Gauge->SetBounds(8, 8, 133, 18);
    Info = new TLabel(this);
    Info->SetParent(this);
    Info->SetAlignment(taCenter);
    Info->SetBounds(8, 32, 133, 16);
    CancelButton = new TButton(this);
    CancelButton->SetParent(this);
    CancelButton->SetBounds(37, 60, 75, 25);
    CancelButton->SetCaption(QStringLiteral("Cancel"));
    CancelButton->OnClick = [this](TObject*) { CancelClick(); };
}

// A running report is cancelled, not only stopped, so that its document is
// dropped rather than ended as if it were whole.
void TQRProgressForm::CancelClick() {
    if (!printer_) return;
    if (auto* report = dynamic_cast<TCustomRazorUze*>(printer_->ParentReport())) {
        report->Run().StopRequest = true;
        report->Cancel();
    }
    printer_->Cancel();
}

void TQRProgressForm::WndProc(TMessage& Message) {
    if (Message.Msg != WM_USER || !printer_) {
        TForm::WndProc(Message);
        return;
    }
    const Integer progress = printer_->Progress();
    if (progress % 5 != 0) return;
    Gauge->SetPosition(progress);
    Info->SetCaption(QString::number(progress) + QStringLiteral("% ") + QStringLiteral(" Completed"));
    Application->ProcessMessages();
}
