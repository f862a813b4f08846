// The program's start-up makes its seven windows; a window's Qt widgets
// are made when it is first shown, so the six windows behind the main one
// cost no widgets until they are opened.
#include "DemoTestSupport.h"
#include "SDBGrid.h"
#include "UnAVLabel.h"
#include "UnBarCode.h"
#include "UnDemo.h"
#include "UnDirectoryView.h"
#include "UnGridTest.h"
#include "UnShape.h"
#include "UnVLabel.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// The form or one of its controls has a widget; names the first found.
QString FirstWithWidget(TCustomForm* form) {
    if (form->HandleAllocated()) return form->Name();
    for (Integer i = 0; i < form->ComponentCount(); ++i) {
        auto* control = dynamic_cast<TControl*>(form->Components(i));
        if (control && control->HandleAllocated()) return control->Name();
    }
    return {};
}

template <class T>
T* Make(TComponent* owner) {
    auto* form = new T(owner);
    form->AfterConstruction();
    return form;
}

}  // namespace

TEST(DemoStartUp, WindowsMakeTheirWidgetsWhenFirstShown) {
    KeyStateReset();
    TComponent owner(nullptr);
    auto* main = Make<TForm1>(&owner);
    const std::vector<TCustomForm*> others{Make<TForm2>(&owner),       Make<TForm3>(&owner),
                                           Make<TFrmZvVLabel>(&owner), Make<TForm6>(&owner),
                                           Make<TFrmZvAVLabel>(&owner), Make<TFrmDemo>(&owner)};
    EXPECT_EQ(FirstWithWidget(main), QString());
    for (TCustomForm* form : others) EXPECT_EQ(FirstWithWidget(form), QString()) << form->Name().toStdString();

    ShowActive(main);
    EXPECT_TRUE(main->SDBGrid1->HandleAllocated());
    for (TCustomForm* form : others) EXPECT_EQ(FirstWithWidget(form), QString()) << form->Name().toStdString();
    KeyStateReset();
}
