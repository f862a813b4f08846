// Print dialog: placement, what it offers, and what it reads back, driven
// with real keys and clicks on Qt's print dialog.
#include "QRPrnSu.h"
#include "QRPrntrPrinterSupport.h"

#include "Forms.h"

#include <QtCore/QTimer>
#include <QtGui/QScreen>
#include <QtPrintSupport/QPrintDialog>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QSpinBox>
#include <QtWidgets/QTabWidget>

#include <gtest/gtest.h>

#include <functional>

namespace {

template <class T>
T* Child(QPrintDialog& dialog, const char* name) {
    T* child = dialog.findChild<T*>(QLatin1String(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

QPushButton* Button(QPrintDialog& dialog, QDialogButtonBox::ButtonRole role) {
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        auto* box = qobject_cast<QDialogButtonBox*>(button->parentWidget());
        if (box && box->buttonRole(button) == role) return button;
    }
    ADD_FAILURE() << "no button of role " << role;
    return nullptr;
}

// Shown (once the options are unfolded) and enabled, in it and its boxes.
bool Offered(QWidget* widget) {
    for (QWidget* w = widget; w && !w->isWindow(); w = w->parentWidget())
        if (w->isHidden() && !w->inherits("QTabWidget") && w->objectName() != "QPrintSettingsOutput") return false;
    return widget && widget->isEnabled();
}

void Click(QWidget* widget) {
    if (widget) QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(4, widget->height() / 2));
}

// Replaces a spin box's text by typing.
void Type(QSpinBox* box, const QString& text) {
    if (!box) return;
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Tab);
}

class QRPrintDialogTest : public ::testing::Test {
protected:
    void SetUp() override { previous.reset(SetPrinter(NewFakePrinter([](TFakePrinterDriver&) {}).release())); }
    void TearDown() override { delete SetPrinter(previous.release()); }

    std::unique_ptr<TPrinter> previous;
};

TEST_F(QRPrintDialogTest, ReadsBackRangeCopiesAndTheChosenMode) {
    Printer()->SetPrinterIndex(0);  // the PDF printer
    TQRPrintDialog dialog(nullptr);
    dialog.Options = {poPageNums};
    dialog.MinPage = 1;
    dialog.MaxPage = 9;
    dialog.FromPage = 1;
    dialog.ToPage = 9;
    int shown = 0, closed = 0;
    dialog.OnShow = [&shown](TObject*) { ++shown; };
    dialog.OnClose = [&closed](TObject*) { ++closed; };
    QPoint placed, expected;
    WhenPrintDialogShows([&](QPrintDialog& d) {
        const QRect screen = d.screen()->geometry();
        placed = d.pos();
        expected = QPoint((screen.width() - d.width()) / 2, (screen.height() - d.height()) / 3);
        for (QPushButton* button : d.findChildren<QPushButton*>())
            if (button->text().contains("Options")) Click(button);
        Click(Child<QRadioButton>(d, "printRange"));
        Type(Child<QSpinBox>(d, "to"), "3");
        Type(Child<QSpinBox>(d, "from"), "2");
        Type(Child<QSpinBox>(d, "copies"), "2");
        auto* tabs = Child<QTabWidget>(d, "tabs");
        if (tabs) tabs->setCurrentWidget(Child<QWidget>(d, "optionsTab"));
        Click(Child<QRadioButton>(d, "grayscale"));
        Click(Button(d, QDialogButtonBox::AcceptRole));
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(placed, expected);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(dialog.PrintRange, prPageNums);
    EXPECT_EQ(dialog.FromPage, 2);
    EXPECT_EQ(dialog.ToPage, 3);
    EXPECT_EQ(dialog.Copies(), 2);
    EXPECT_EQ(dialog.ColorOption, DMCOLOR_MONOCHROME);
    EXPECT_EQ(Printer()->Mode().dmColor, DMCOLOR_MONOCHROME);
    EXPECT_EQ(dialog.PaperSize, DMPAPER_A4);
    EXPECT_EQ(double(dialog.Paperwidth), 2100);
    EXPECT_EQ(double(dialog.Paperlength), 2970);
    EXPECT_EQ(dialog.Orientation, DMORIENT_PORTRAIT);
    EXPECT_EQ(dialog.OutputBin, DMBIN_AUTO);
    // The PDF printer prints on one side only.
    EXPECT_FALSE(dialog.Duplex);
    EXPECT_EQ(dialog.DuplexCode, DMDUP_SIMPLEX);
    EXPECT_EQ(dialog.Fields, Printer()->Mode().dmFields);
    EXPECT_EQ(Printer()->PrinterIndex(), 0);
}

TEST_F(QRPrintDialogTest, WithoutOptionsOffersNoRangeAndCancelChangesNothing) {
    Printer()->SetPrinterIndex(1);
    const DevMode before = Printer()->Mode();
    TQRPrintDialog dialog(nullptr);
    dialog.FromPage = 4;
    bool rangeOffered = true, selectionOffered = true;
    WhenPrintDialogShows([&](QPrintDialog& d) {
        rangeOffered = Offered(Child<QRadioButton>(d, "printRange"));
        selectionOffered = Offered(Child<QRadioButton>(d, "printSelection"));
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_FALSE(rangeOffered);
    EXPECT_FALSE(selectionOffered);
    EXPECT_EQ(dialog.FromPage, 4);
    EXPECT_EQ(dialog.Copies(), 0);
    EXPECT_EQ(Printer()->Mode(), before);
    EXPECT_EQ(Printer()->PrinterIndex(), 1);
}

TEST_F(QRPrintDialogTest, CopiesSetTheNumberOnThePrinter) {
    Printer()->SetPrinterIndex(1);  // a printer that takes copies
    TQRPrintDialog dialog(nullptr);
    dialog.SetCopies(3);
    EXPECT_EQ(dialog.Copies(), 3);
    EXPECT_EQ(Printer()->Copies(), 3);
}

}  // namespace
