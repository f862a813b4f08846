// The text search dialog of the preview window.
#pragma once

#include "Forms.h"

class TCheckBox;
class TEdit;
class TLabel;
class TSpeedButton;

// Asks for a text and whether its case must match; Search and Cancel both
// close it, Cancelled tells which.
class TSearchDlg : public TForm {
public:
    explicit TSearchDlg(TComponent* AOwner);

    bool Cancelled() const { return cancelled_; }

    TLabel* Label1 = nullptr;
    TEdit* Edit1 = nullptr;
    TCheckBox* CheckBox1 = nullptr;
    TSpeedButton* SpeedButton1 = nullptr;  // cancel
    TSpeedButton* SpeedButton2 = nullptr;  // search

private:
    void Finish(bool cancelled);
    bool cancelled_ = true;
};
