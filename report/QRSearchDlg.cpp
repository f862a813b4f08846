// The text search dialog.
#include "QRSearchDlg.h"

#include "StdCtrls.h"
#include "StdCtrlsEdit.h"

TSearchDlg::TSearchDlg(TComponent* AOwner) : TForm(AOwner) {
    SetBorderStyle(bsDialog);
    SetBorderIcons({});
    SetPosition(poScreenCenter);
    SetClientSize(305, 118);
    SetCaption(QStringLiteral("Search for Text"));

    Label1 = new TLabel(this);
    Label1->SetParent(this);
    Label1->SetBounds(8, 10, 280, 16);
    Label1->SetCaption(QStringLiteral("Search Text"));
    Edit1 = new TEdit(this);
    Edit1->SetParent(this);
    Edit1->SetBounds(8, 30, 289, 24);
    CheckBox1 = new TCheckBox(this);
    CheckBox1->SetParent(this);
    CheckBox1->SetBounds(8, 62, 180, 20);
    CheckBox1->SetCaption(QStringLiteral("Match case"));
    SpeedButton2 = new TButton(this);
    SpeedButton2->SetParent(this);
    SpeedButton2->SetBounds(136, 88, 78, 24);
    SpeedButton2->SetCaption(QStringLiteral("Search"));
    SpeedButton2->SetDefault(true);
    SpeedButton2->OnClick = [this](TObject*) { Finish(false); };
    SpeedButton1 = new TButton(this);
    SpeedButton1->SetParent(this);
    SpeedButton1->SetBounds(219, 88, 78, 24);
    SpeedButton1->SetCaption(QStringLiteral("Cancel"));
    SpeedButton1->SetCancel(true);
    SpeedButton1->OnClick = [this](TObject*) { Finish(true); };
    SetActiveControl(Edit1);
}

void TSearchDlg::Finish(bool cancelled) {
    cancelled_ = cancelled;
    Close();
}
