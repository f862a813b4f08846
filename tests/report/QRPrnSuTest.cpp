// Print dialog: placement, what it offers, and what it reads back, driven
// with real keys and clicks.
#include "QRPrnSu.h"
#include "QRPrntrPrinterSupport.h"

#include "Forms.h"
#include "DialogTestSupport.h"

#include <QtGui/QScreen>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QDialog>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QSpinBox>

#include <gtest/gtest.h>

#include <functional>

namespace {

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
    WhenPrintDialogShows([&](QDialog& d) {
        const QRect screen = d.screen()->geometry();
        placed = d.pos();
        expected = QPoint((screen.width() - d.width()) / 2, (screen.height() - d.height()) / 3);
        ClickNearLeft(DialogChild<QRadioButton>(d, "pageNums"));
        Retype(DialogChild<QSpinBox>(d, "to"), "3");
        Retype(DialogChild<QSpinBox>(d, "from"), "2");
        Retype(DialogChild<QSpinBox>(d, "copies"), "2");
        auto* colour = DialogChild<QComboBox>(d, "color");
        colour->setFocus();
        QTest::keyClick(colour, Qt::Key_Down);
        Accept(d);
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
    EXPECT_FALSE(dialog.PrintToFile) << "print to file was not offered";
}

TEST_F(QRPrintDialogTest, WithoutOptionsOffersNoRangeAndCancelChangesNothing) {
    Printer()->SetPrinterIndex(1);
    const DevMode before = Printer()->Mode();
    TQRPrintDialog dialog(nullptr);
    dialog.FromPage = 4;
    bool rangeOffered = true, selectionOffered = true, fileOffered = true;
    WhenPrintDialogShows([&](QDialog& d) {
        rangeOffered = Offered(d, DialogChild<QRadioButton>(d, "pageNums"));
        selectionOffered = Offered(d, DialogChild<QRadioButton>(d, "selection"));
        fileOffered = Offered(d, DialogChild<QCheckBox>(d, "printToFile"));
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_FALSE(rangeOffered);
    EXPECT_FALSE(selectionOffered);
    EXPECT_FALSE(fileOffered);
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
