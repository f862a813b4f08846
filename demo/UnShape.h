// The shape window ("Form3"): every kind of the library's shape control in
// several pen and brush settings, and the framework's own shapes below for
// comparison. A click on the window background closes it.
#pragma once

#include "Forms.h"

#include <vector>

class TLabel;
class TShape;
class TZvShape;

class TForm3 : public TForm {
public:
    explicit TForm3(TComponent* AOwner);

    std::vector<TZvShape*> ZvShapes;  // ZvShape1..ZvShape76
    std::vector<TShape*> Shapes;      // Shape1..Shape7
    TLabel* Label1;
    TLabel* Label2;

    void FormShow(TObject* Sender);
    void FormClick(TObject* Sender);

private:
    void buildForm();
    void buildZvShapes();
    void buildShapes();
};

extern TForm3* Form3;
