// The main window's launchers: Shift+F6..F12 open the other windows
// modally; each closes by its own key or button, and afterwards the main
// window's captions follow the keys held then.
#include "UnGridTest.h"

#include "DemoTestSupport.h"
#include "SBtn.h"
#include "TestSupport.h"
#include "UnAVLabel.h"
#include "UnBarCode.h"
#include "UnDemo.h"
#include "UnDirectoryView.h"
#include "UnSEdit.h"
#include "UnShape.h"
#include "UnVLabel.h"

#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>

#include <gtest/gtest.h>

namespace {

class Launchers : public ::testing::Test {
protected:
    void SetUp() override {
        KeyStateReset();
        main = new TForm1(nullptr);
        main->AfterConstruction();
        Form2 = new TForm2(main);
        Form3 = new TForm3(main);
        FrmZvVLabel = new TFrmZvVLabel(main);
        Form6 = new TForm6(main);
        FrmZvAVLabel = new TFrmZvAVLabel(main);
        FrmDemo = new TFrmDemo(main);
        ShowActive(main);
    }
    void TearDown() override {
        delete main;
        Form2 = nullptr;
        Form3 = nullptr;
        FrmZvVLabel = nullptr;
        Form6 = nullptr;
        FrmZvAVLabel = nullptr;
        FrmDemo = nullptr;
        KeyStateReset();
    }

    // Shift+key on the main window; inside the modal run, the caption of
    // the window that opened, and close runs. Shift is let go at once.
    QString Launch(Qt::Key key, const std::function<void(QWidget*)>& close) {
        QString caption;
        WhenModalActive(
            [&](QWidget* modal) {
                caption = modal->windowTitle();
                close(modal);
                if (QApplication::activeModalWidget() == modal) modal->close();
            },
            main->Handle());
        KeyPress(main, Qt::Key_Shift, Qt::ShiftModifier);
        KeyClick(main, key, Qt::ShiftModifier);
        KeyRelease(main, Qt::Key_Shift);
        return caption;
    }

    TForm1* main = nullptr;
};

TEST_F(Launchers, ShiftFunctionKeysOpenTheWindowsThatTheirCaptionsName) {
    KeyPress(main, Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_EQ(main->FnButton(6)->Caption(), "ｺﾝﾎﾟ");
    EXPECT_EQ(main->FnButton(12)->Caption(), "ﾊﾞｰｺｰﾄﾞ");
    KeyRelease(main, Qt::Key_Shift);

    // Each by what closes it: F1, a button, or a click on the background.
    EXPECT_EQ(Launch(Qt::Key_F6, [](QWidget*) {
                  KeyClick(FrmDemo, Qt::Key_Shift);
                  KeyClick(FrmDemo, Qt::Key_F1);
                  EXPECT_NE(FrmDemo->ModalResult(), mrNone);
              }),
              "コンポーネント一覧");
    EXPECT_EQ(Launch(Qt::Key_F7, [](QWidget*) {
                  ClickControl(Form2->SBtn2);
                  EXPECT_NE(Form2->ModalResult(), mrNone);
              }),
              "DirectoryViewの例");
    EXPECT_EQ(Launch(Qt::Key_F8, [](QWidget*) {
                  MouseClick(Form3, QPoint(750, 360));
                  EXPECT_NE(Form3->ModalResult(), mrNone);
              }),
              "Form3");
    EXPECT_EQ(Launch(Qt::Key_F9, [](QWidget*) {
                  MouseClick(FrmZvVLabel, QPoint(710, 336));
                  EXPECT_NE(FrmZvVLabel->ModalResult(), mrNone);
              }),
              "FrmZvVLabel");
    EXPECT_EQ(Launch(Qt::Key_F10, [](QWidget*) {
                  MouseClick(FrmZvAVLabel, QPoint(598, 189));
                  EXPECT_NE(FrmZvAVLabel->ModalResult(), mrNone);
              }),
              "FrmZvAVLabel");
    EXPECT_EQ(Launch(Qt::Key_F11, [](QWidget* modal) {
                  // The edit-box window is made for this run.
                  TForm5* edit = nullptr;
                  for (Integer i = 0; i < Screen->FormCount(); ++i)
                      if (Screen->Forms(i)->Handle() == modal) edit = dynamic_cast<TForm5*>(Screen->Forms(i));
                  ASSERT_NE(edit, nullptr);
                  ClickControl(edit->SBtn[7]);
                  EXPECT_NE(edit->ModalResult(), mrNone);
              }),
              "Form5");
    EXPECT_EQ(Launch(Qt::Key_F12, [](QWidget*) {
                  ClickControl(Form6->SBtn1);
                  EXPECT_NE(Form6->ModalResult(), mrNone);
              }),
              "Form6");

    // Back in the main window with no key held: its own captions again, and
    // it still works (Shift shows the launchers once more).
    EXPECT_EQ(main->FnButton(1)->Caption(), "終了");
    EXPECT_EQ(main->FnButton(6)->Caption(), "");
    // The edit-box window was freed after its run.
    for (Integer i = 0; i < Screen->FormCount(); ++i) EXPECT_EQ(dynamic_cast<TForm5*>(Screen->Forms(i)), nullptr);
    KeyPress(main, Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_EQ(main->FnButton(7)->Caption(), "ﾌｧｲﾙ");
    KeyRelease(main, Qt::Key_Shift);
}

}  // namespace

namespace {

// The window inside a modal run, as a user opened it: grabbed for a look,
// laid out tidily, then closed by the window's own way out.
TEST_F(Launchers, EachWindowOpenedFromTheMainWindowShowsTidily) {
    struct Case {
        Qt::Key key;
        const char* shot;
    };
    for (const Case& c : {Case{Qt::Key_F6, "walk_components"}, Case{Qt::Key_F7, "walk_folders"},
                          Case{Qt::Key_F8, "walk_shapes"}, Case{Qt::Key_F9, "walk_vlabels"},
                          Case{Qt::Key_F10, "walk_avlabels"}, Case{Qt::Key_F11, "walk_edits"},
                          Case{Qt::Key_F12, "walk_barcodes"}}) {
        Launch(c.key, [&](QWidget* modal) {
            TCustomForm* form = nullptr;
            for (Integer i = 0; i < Screen->FormCount(); ++i)
                if (Screen->Forms(i)->Handle() == modal) form = Screen->Forms(i);
            ASSERT_NE(form, nullptr);
            SaveTestImage(GrabForm(form), QString::fromLatin1(c.shot));
            ExpectTidyLayout(form);
        });
    }
}

}  // namespace

namespace {

// Opened and closed again and again, by keys a user may still hold: the
// main window comes back working each time and nothing is left behind.
TEST_F(Launchers, RepeatedOpeningAndClosingLeavesTheMainWindowWorking) {
    const Integer forms = Screen->FormCount();
    for (int i = 0; i < 5; ++i) {
        // F1 held while the component list closes: the release reaches the
        // main window.
        Launch(Qt::Key_F6, [](QWidget*) {
            KeyClick(FrmDemo, Qt::Key_Shift);
            KeyPress(FrmDemo, Qt::Key_F1);
            EXPECT_NE(FrmDemo->ModalResult(), mrNone);
        });
        KeyRelease(main, Qt::Key_F1);
        // The edit-box window, made and freed each time.
        Launch(Qt::Key_F11, [](QWidget* modal) { modal->close(); });
        // Shift still held as the barcode window closes.
        Launch(Qt::Key_F12, [&](QWidget*) {
            KeyPress(Form6, Qt::Key_Shift, Qt::ShiftModifier);
            ClickControl(Form6->SBtn1);
        });
        KeyRelease(main, Qt::Key_Shift);
        EXPECT_EQ(Screen->FormCount(), forms) << i;
        for (Integer n = 1; n <= 12; ++n) EXPECT_FALSE(main->FnButton(n)->Down()) << i << " F" << n;
        EXPECT_EQ(main->FnButton(1)->Caption(), "終了") << i;
    }
    KeyPress(main, Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_EQ(main->FnButton(12)->Caption(), "ﾊﾞｰｺｰﾄﾞ");
    KeyRelease(main, Qt::Key_Shift);
}

}  // namespace
