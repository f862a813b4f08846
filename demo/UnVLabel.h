// The rotated-label window ("FrmZvVLabel"): the rotated label at each of its
// four angles in every combination of horizontal alignment and vertical
// layout. A click on the window background closes it.
#pragma once

#include "Forms.h"

#include <vector>

class TZvVLabel;

class TFrmZvVLabel : public TForm {
public:
    explicit TFrmZvVLabel(TComponent* AOwner);

    std::vector<TZvVLabel*> Labels;  // ZvVLabel1..ZvVLabel36

    void FormShow(TObject* Sender);
    void FormClick(TObject* Sender);

private:
    void buildForm();
};

extern TFrmZvVLabel* FrmZvVLabel;
