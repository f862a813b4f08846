// The even-label window ("FrmZvAVLabel"): the even-pitch shadowed label with
// and without even pitch, under each of the four shadow placements and
// without a shadow. A click on the window background closes it.
#pragma once

#include "Forms.h"

#include <vector>

class TZvAVLabel;

class TFrmZvAVLabel : public TForm {
public:
    explicit TFrmZvAVLabel(TComponent* AOwner);

    std::vector<TZvAVLabel*> Labels;  // ZvAVLabel1..ZvAVLabel20

    void FormShow(TObject* Sender);
    void FormClick(TObject* Sender);

private:
    void buildForm();
};

extern TFrmZvAVLabel* FrmZvAVLabel;
