// The component-list window: its codes read back by zbar from the window,
// its function-key bar driven by real keys and clicks inside its modal run.
#include "UnDemo.h"

#include "CBarCode.h"
#include "DemoTestSupport.h"
#include "SBtn.h"
#include "SDBGrid.h"
#include "SEdit.h"
#include "TestSupport.h"
#include "ZbarDecode.h"
#include "ZvStdCtrls.h"

#include <QtGui/QImage>
#include <QtCore/QTimer>
#include <QtTest/QTest>
#include <QtWidgets/QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

class ComponentListWindow : public ::testing::Test {
protected:
    void SetUp() override {
        KeyStateReset();
        form = std::make_unique<TFrmDemo>(nullptr);
        form->AfterConstruction();
    }
    void TearDown() override { KeyStateReset(); }

    // Runs the window modally while drive works inside the run; a run that
    // drive leaves open is closed. Whether drive closed it comes back.
    bool RunModal(const std::function<void()>& drive) {
        bool closedByDrive = false;
        // Once the modal loop runs; a window shown again is not always
        // activated on the offscreen platform by itself.
        QTimer::singleShot(0, [&] {
            QWidget* w = form->Handle();
            w->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(w));
            drive();
            closedByDrive = form->ModalResult() != mrNone;
            if (!closedByDrive) form->SetModalResult(mrCancel);
        });
        form->ShowModal();
        return closedByDrive;
    }

    QString Caption(Integer n) const { return form->FnButton(n)->Caption(); }

    std::unique_ptr<TFrmDemo> form;
};

TEST_F(ComponentListWindow, ShowsItsCodesAndControlsWithoutOverlap) {
    EXPECT_EQ(form->Caption(), "コンポーネント一覧");
    EXPECT_EQ(form->ClientWidth(), 781);
    EXPECT_EQ(form->ClientHeight(), 493);
    ShowActive(form.get());
    const QImage shot = GrabForm(form.get());
    SaveTestImage(shot, QStringLiteral("component_list_window"));
    QImage big = shot.scaled(shot.size() * 2);  // zbar misses one-pixel bars
    bool qr = false, codabar = false;
    for (const ZbarSymbol& s : ZbarDecode(big, {"codabar.min-length=1"})) {
        // The QR code holds the text in the ANSI code page.
        qr |= s.type == "QR-Code" && s.data == QByteArray("\x8f\xcb" "Velmora");
        codabar |= s.type == "Codabar" && s.data == "A123456789012A";
    }
    EXPECT_TRUE(qr);
    EXPECT_TRUE(codabar);
    // The tagged display controls keep their captions through the
    // window's preparation.
    EXPECT_EQ(form->TexturePanel1->Caption(), " テクスチャ パネル");
    EXPECT_EQ(form->ZvVLabel1->Caption(), "回転ラベル");
    ExpectTidyLayout(form.get());
}

TEST_F(ComponentListWindow, TheQuitCaptionDoesNothingUntilAKeyIsPressed) {
    EXPECT_EQ(Caption(1), "終了");
    const bool closed = RunModal([&] {
        ClickControl(form->FnButton(1));
        EXPECT_EQ(form->ModalResult(), mrNone);
    });
    EXPECT_FALSE(closed);
}

TEST_F(ComponentListWindow, F1Closes) {
    EXPECT_TRUE(RunModal([&] {
        KeyClick(form.get(), Qt::Key_Shift);  // any key event sets the captions
        EXPECT_EQ(Caption(1), "閉じる");
        for (Integer n = 2; n <= 12; ++n) EXPECT_EQ(Caption(n), "") << n;
        EXPECT_EQ(form->FnButton(12)->Guide(), "F12");
        KeyClick(form.get(), Qt::Key_F1);
    }));
}

TEST_F(ComponentListWindow, ShiftOrCtrlEmptiesEveryCaptionSoF1DoesNothing) {
    for (Qt::Key modifier : {Qt::Key_Shift, Qt::Key_Control}) {
        const Qt::KeyboardModifiers mods = modifier == Qt::Key_Shift ? Qt::ShiftModifier : Qt::ControlModifier;
        const bool closed = RunModal([&] {
            KeyPress(form.get(), modifier, mods);
            for (Integer n = 1; n <= 12; ++n) EXPECT_EQ(Caption(n), "") << n;
            KeyClick(form.get(), Qt::Key_F1, mods);
            EXPECT_EQ(form->ModalResult(), mrNone);
            KeyRelease(form.get(), modifier);
            EXPECT_EQ(Caption(1), "閉じる");
        });
        EXPECT_FALSE(closed);
    }
}

TEST_F(ComponentListWindow, F1HeldWhileClosingLeavesNoButtonDownNextTime) {
    EXPECT_TRUE(RunModal([&] {
        KeyClick(form.get(), Qt::Key_Shift);
        KeyPress(form.get(), Qt::Key_F1);
    }));
    // The release goes to the window that is active once this one has gone.
    TForm other(nullptr);
    ShowActive(&other);
    KeyRelease(&other, Qt::Key_F1);
    RunModal([&] {
        for (Integer n = 1; n <= 12; ++n) EXPECT_FALSE(form->FnButton(n)->Down()) << n;
    });
}

// A user types an amount and a date and goes on to the grid: every
// box lets the focus go once its value is sound.
TEST_F(ComponentListWindow, TypedValuesLetTheFocusMoveOn) {
    RunModal([&] {
        ClickControl(form->SEdit1);
        KeyClicks(form.get(), QStringLiteral("12345"));
        ClickControl(form->SEdit2);
        EXPECT_EQ(form->SEdit1->ErrorType(), erNone);
        EXPECT_EQ(form->ActiveControl(), form->SEdit2);
        KeyClicks(form.get(), QStringLiteral("2026/12/31"));
        ClickControl(form->SDBGrid1);
        EXPECT_EQ(form->SEdit2->ErrorType(), erNone);
        EXPECT_EQ(form->ActiveControl(), form->SDBGrid1);
    });
}

TEST_F(ComponentListWindow, ResizingRecentresTheButtonGroups) {
    ShowActive(form.get());
    const Integer width = form->FnButton(1)->Width();
    form->SetClientWidth(900);
    EXPECT_EQ(form->FnButton(1)->Width(), width);
    // Three groups of four, the spare width shared by the two gaps.
    const Integer gap = form->FnButton(5)->Left() - form->FnButton(4)->Left() - width;
    EXPECT_EQ(form->FnButton(9)->Left() - form->FnButton(8)->Left() - width, gap);
    EXPECT_GE(gap, (900 - 12 * width) / 2 - 1);
}

}  // namespace
