// The text search dialog of the preview window.
#pragma once

#include "Forms.h"

class TButton;
class TCheckBox;
class TEdit;
class TLabel;

// Asks for a text and whether its case must match; Search (also Enter) and
// Cancel (also Esc) both close it, Cancelled tells which.
class TSearchDlg : public TForm {
public:
    explicit TSearchDlg(TComponent* AOwner);

    bool Cancelled() const { return cancelled_; }

    TLabel* Label1 = nullptr;
    TEdit* Edit1 = nullptr;
    TCheckBox* CheckBox1 = nullptr;
    TButton* SpeedButton1 = nullptr;  // cancel
    TButton* SpeedButton2 = nullptr;  // search, the default button

private:
    void Finish(bool cancelled);
    bool cancelled_ = true;
};
