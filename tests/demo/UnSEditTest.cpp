// The edit-box window: its buttons clicked for real, row heights and
// captions read back, and the keyboard moves along the rebuilt map.
#include "UnSEdit.h"

#include "DemoTestSupport.h"
#include "ExtCtrls.h"
#include "Graphics.h"
#include "SBtn.h"
#include "SEdit.h"
#include "StdCtrls.h"
#include "TestSupport.h"

#include <QtGui/QImage>
#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>

#include <gtest/gtest.h>

#include <malloc.h>

#include <memory>

namespace {

class EditBoxWindow : public ::testing::Test {
protected:
    void SetUp() override {
        KeyStateReset();
        form = std::make_unique<TForm5>(nullptr);
        form->AfterConstruction();
        ShowActive(form.get());
    }
    void TearDown() override { KeyStateReset(); }

    void Click(Integer n) { ClickControl(form->SBtn[n - 1]); }
    TWinControl* Focused() const { return form->ActiveControl(); }
    void Key(Qt::Key key) { KeyClick(form.get(), key); }

    // The boxes of a row's host panels.
    static std::vector<TEntryBox*> BoxesOf(TPanel* row) {
        std::vector<TEntryBox*> boxes;
        for (Integer j = 0; j < row->ControlCount(); ++j)
            if (auto* host = dynamic_cast<TWinControl*>(row->Controls(j)))
                for (Integer k = 0; k < host->ControlCount(); ++k)
                    if (auto* box = dynamic_cast<TEntryBox*>(host->Controls(k))) boxes.push_back(box);
        return boxes;
    }

    // Nothing is cut off: every host panel lies inside its row, is as high
    // as its box asks, and shows the whole box inside its bevels.
    static void ExpectEveryBoxWhole(TPanel* row) {
        for (TEntryBox* entry : BoxesOf(row)) {
            auto* box = dynamic_cast<TControl*>(entry);
            TWinControl* host = box->Parent();
            TRect usable = host->ClientRect();
            host->AdjustClientRect(usable);
            EXPECT_LE(host->Top() + host->Height(), row->ClientHeight()) << host->Name().toStdString();
            EXPECT_GE(host->Height(), entry->RequiredHeight()) << host->Name().toStdString();
            EXPECT_GE(box->Top(), 0) << box->Name().toStdString();
            EXPECT_LE(box->Top() + box->Height(), usable.Bottom) << box->Name().toStdString();
        }
    }

    std::unique_ptr<TForm5> form;
};

TEST_F(EditBoxWindow, OpensWithEveryRowCaptionedByItsHeight) {
    EXPECT_EQ(form->Caption(), "Form5");
    ASSERT_EQ(form->Rows.size(), 7u);
    for (TPanel* row : form->Rows) EXPECT_EQ(row->Caption(), QStringLiteral("Height:%1").arg(row->Height(), 3));
    EXPECT_EQ(form->SBtn[1]->Caption(), "＋");
    EXPECT_EQ(form->SBtn[1]->Guide(), "パネルの高さ");
    ExpectTidyLayout(form.get());
    SaveTestImage(GrabForm(form.get()), QStringLiteral("edit_box_window"));
}

TEST_F(EditBoxWindow, EveryButtonCaptionStandsClearOfItsFrame) {
    for (TSBtn* button : form->SBtn) ExpectCaptionInside(button);
}

TEST_F(EditBoxWindow, PlusTenTimesGrowsEachRowByTenAndMinusShrinksIt) {
    std::vector<Integer> before;
    for (TPanel* row : form->Rows) before.push_back(row->Height());
    for (int i = 0; i < 10; ++i) Click(2);
    for (size_t i = 0; i < 6; ++i) {
        TPanel* row = form->Rows[i];
        EXPECT_EQ(row->Height(), before[i] + 10) << row->Name().toStdString();
        EXPECT_EQ(row->Caption(), QStringLiteral("Height: %1").arg(before[i] + 10)) << row->Name().toStdString();
    }
    EXPECT_EQ(form->Rows[6]->Height(), before[6]) << "the plain row stays";
    Click(1);
    EXPECT_EQ(form->Rows[0]->Height(), before[0] + 9);
}

TEST_F(EditBoxWindow, FullyAutomaticFitsEveryRowToItsTallestBox) {
    Click(7);
    for (size_t i = 0; i < 6; ++i) {
        TPanel* row = form->Rows[i];
        Integer tallest = 0;
        for (TEntryBox* box : BoxesOf(row)) tallest = std::max(tallest, box->RequiredHeight());
        EXPECT_GT(tallest, 0);
        EXPECT_EQ(row->ClientHeight(), tallest) << row->Name().toStdString();
        ExpectEveryBoxWhole(row);
    }
    // Larger fonts need taller rows.
    EXPECT_GT(form->Rows[4]->Height(), form->Rows[0]->Height());
    EXPECT_EQ(Focused(), form->SEdit1());
    SaveTestImage(GrabForm(form.get()), QStringLiteral("edit_box_window_automatic"));
}

// Without arranging first the boxes keep their places and sizes: each row
// still gets room for its tallest box, combo boxes included.
TEST_F(EditBoxWindow, FittingHeightsAloneCutsNoBox) {
    Click(6);
    for (size_t i = 1; i < 6; ++i) ExpectEveryBoxWhole(form->Rows[i]);
    SaveTestImage(GrabForm(form.get()), QStringLiteral("edit_box_window_heights"));
}

TEST_F(EditBoxWindow, EnablingAllMakesTheReadOnlyBoxesEditable) {
    TSEdit* readOnly = form->Edits[4];
    ASSERT_TRUE(readOnly->ReadOnly());
    ASSERT_FALSE(readOnly->Parent()->Enabled());
    Click(5);
    EXPECT_FALSE(readOnly->ReadOnly());
    EXPECT_TRUE(readOnly->Parent()->Enabled());
    EXPECT_FALSE(form->Combos[2]->ReadOnly());
    readOnly->SetFocus();
    KeyClicks(form.get(), QStringLiteral("77"));
    EXPECT_EQ(readOnly->Text(), "77");
}

// The box of the disabled host is drawn in DisabledColor until
// "全てｲﾈｰﾌﾞﾙ" enables its host.
TEST_F(EditBoxWindow, ABoxInADisabledHostShowsTheDisabledColourUntilEnabled) {
    TSEdit* box = form->Edits[4];
    const auto shownColour = [&](const char* name) {
        const QImage image = GrabForm(form.get());
        SaveTestImage(image, QString::fromLatin1(name));
        const TPoint middle = box->ClientToScreen(TPoint(box->Width() / 2, 3));
        const TPoint onForm = form->ScreenToClient(middle);
        return image.pixelColor(onForm.X, onForm.Y);
    };
    EXPECT_EQ(box->Color(), box->DisabledColor());
    EXPECT_EQ(shownColour("edit_box_window_disabled"), ToQColor(box->DisabledColor()));
    EXPECT_EQ(form->Edits[5]->Color(), form->Edits[5]->InActiveColor()) << "its enabled neighbour";
    Click(5);
    EXPECT_EQ(box->Color(), box->InActiveColor());
    EXPECT_EQ(shownColour("edit_box_window_enabled"), ToQColor(box->InActiveColor()));
}

TEST_F(EditBoxWindow, ArrowsAndEnterFollowTheRebuiltMap) {
    Click(7);
    ASSERT_EQ(Focused(), form->SEdit1());
    TEntryBox* first = TEntryBox::Of(form->SEdit1());
    // Each key lands where the rebuilt links point, along the rows as
    // they now stand.
    TWinControl* right = first->mvRight();
    TWinControl* down = first->mvDown();
    ASSERT_NE(right, nullptr);
    ASSERT_NE(down, nullptr);
    EXPECT_EQ(right, form->Edits[1]) << "the next box of the row";
    EXPECT_EQ(down->Parent()->Parent(), form->Rows[1]) << "a box of the second row";
    Key(Qt::Key_Right);
    EXPECT_EQ(Focused(), right);
    Key(Qt::Key_Left);
    EXPECT_EQ(Focused(), form->SEdit1());
    Key(Qt::Key_Down);
    EXPECT_EQ(Focused(), down);
    Key(Qt::Key_Up);
    EXPECT_EQ(Focused()->Parent()->Parent(), form->Rows[0]);
    form->SEdit1()->SetFocus();
    Key(Qt::Key_Return);
    EXPECT_EQ(Focused(), right);
}

TEST_F(EditBoxWindow, CloseButtonCloses) {
    Click(8);
    EXPECT_FALSE(form->Visible());
}

// Opens the window as the main window does and closes it by its button.
void OpenAndClose() {
    WhenModalActive([](QWidget* modal) {
        for (Integer i = 0; i < Screen->FormCount(); ++i) {
            auto* form = dynamic_cast<TForm5*>(Screen->Forms(i));
            if (form && form->Handle() == modal) ClickControl(form->SBtn[7]);
        }
    });
    ShowEditBoxWindow();
}

// Each opening is freed whole: after fifty the windows, widgets and buttons
// are as many as before, and the heap in use grew by less than a few kB an
// opening (Qt's caches of the freed widgets included).
TEST(EditBoxWindowLife, FiftyOpeningsLeaveNothingBehind) {
    OpenAndClose();  // caches filled once (fonts, style pictures)
    const Integer forms = Screen->FormCount();
    const auto widgets = QApplication::allWidgets().size();
    const Integer buttons = SBtnInstanceCount();
    const size_t heap = mallinfo2().uordblks;
    for (int i = 0; i < 50; ++i) OpenAndClose();
    EXPECT_EQ(Screen->FormCount(), forms);
    EXPECT_EQ(QApplication::allWidgets().size(), widgets);
    EXPECT_EQ(SBtnInstanceCount(), buttons);
    EXPECT_LT(mallinfo2().uordblks, heap + 256 * 1024);
}

}  // namespace
