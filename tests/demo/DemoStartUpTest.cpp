// The program's start-up makes its seven windows; a window's Qt widgets
// are made when it is first shown, so the six windows behind the main one
// cost no widgets until they are opened, and show then what they were given.
#include "DemoTestSupport.h"
#include "SEdit.h"
#include "SDBGrid.h"
#include "UnAVLabel.h"
#include "UnBarCode.h"
#include "UnDemo.h"
#include "UnDirectoryView.h"
#include "UnGridTest.h"
#include "UnShape.h"
#include "UnVLabel.h"

#include <QtGui/QImage>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLineEdit>

#include <gtest/gtest.h>

#include <functional>
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

// The form as the program makes it; early makes its widgets once its
// controls are built, before its OnCreate sets them up.
template <class T>
T* Make(TComponent* owner, bool early = false) {
    auto* form = new T(owner);
    if (early) form->HandleNeeded();
    form->AfterConstruction();
    return form;
}

// The program's seven windows, the main one first.
using Maker = std::function<TCustomForm*(TComponent*, bool)>;
const std::vector<Maker> kWindows{Make<TForm1>, Make<TForm2>,        Make<TForm3>,  Make<TFrmZvVLabel>,
                                  Make<TForm6>, Make<TFrmZvAVLabel>, Make<TFrmDemo>};

}  // namespace

TEST(DemoStartUp, WindowsMakeTheirWidgetsWhenFirstShown) {
    KeyStateReset();
    TComponent owner(nullptr);
    auto* main = Make<TForm1>(&owner);
    std::vector<TCustomForm*> others;
    for (size_t i = 1; i < kWindows.size(); ++i) others.push_back(kWindows[i](&owner, false));
    EXPECT_EQ(FirstWithWidget(main), QString());
    for (TCustomForm* form : others) EXPECT_EQ(FirstWithWidget(form), QString()) << form->Name().toStdString();

    ShowActive(main);
    EXPECT_TRUE(main->SDBGrid1->HandleAllocated());
    for (TCustomForm* form : others) EXPECT_EQ(FirstWithWidget(form), QString()) << form->Name().toStdString();
    KeyStateReset();
}

// A window looks the same and has the same control focused whether its
// widgets are made when it is shown or before its OnCreate: a control that
// takes a change into its widget only while none exists (or only into a
// widget that exists) shows here.
TEST(DemoStartUp, EachWindowShowsTheSameWithItsWidgetsMadeAtOnceOrWhenShown) {
    for (const Maker& make : kWindows) {
        QImage shots[2];
        QString focused[2];
        for (int early = 0; early < 2; ++early) {
            KeyStateReset();
            TComponent owner(nullptr);
            TCustomForm* form = make(&owner, early);
            ShowActive(form);
            shots[early] = GrabForm(form);
            focused[early] = form->ActiveControl() ? form->ActiveControl()->Name() : QString();
        }
        EXPECT_EQ(focused[0], focused[1]);
        EXPECT_TRUE(shots[0] == shots[1]) << focused[0].toStdString() << " in a window of " << shots[0].width()
                                          << " x " << shots[0].height();
    }
    KeyStateReset();
}

// What a hidden window's controls are given before their widgets exist is
// what they answer, and what the widgets show and where the focus lands
// once the window is shown.
TEST(DemoStartUp, AHiddenWindowsControlsKeepWhatTheyAreGivenUntilItsWidgetsAreMade) {
    KeyStateReset();
    TComponent owner(nullptr);
    auto* form = Make<TForm6>(&owner);
    EXPECT_EQ(form->SEdit1->Text(), "1234567890");
    EXPECT_EQ(form->ScbBarType->Text(), "btNW7");
    form->SEdit2->SetText(QStringLiteral("Demo 42"));
    form->SEdit2->SetSelStart(1);
    form->SEdit2->SetSelLength(3);
    EXPECT_EQ(form->SEdit2->SelText(), "emo");
    form->ScbAngle->SetItemIndex(1);
    form->SetActiveControl(form->SEdit1);
    EXPECT_EQ(FirstWithWidget(form), QString());

    ShowActive(form);
    auto* edit = qobject_cast<QLineEdit*>(form->SEdit2->Widget());
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), "Demo 42");
    // Unfocused, the box may hide its selection; it still holds it.
    EXPECT_EQ(form->SEdit2->SelText(), "emo");
    EXPECT_TRUE(form->SEdit1->Widget()->hasFocus());
    auto* angle = qobject_cast<QComboBox*>(form->ScbAngle->Widget());
    ASSERT_NE(angle, nullptr);
    EXPECT_EQ(angle->currentIndex(), 1);
    EXPECT_EQ(angle->currentText(), form->ScbAngle->Text());
    KeyStateReset();
}
