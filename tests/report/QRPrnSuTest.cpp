// Print dialog: placement, the printers it lists, what it offers, and
// what it reads back, driven with real keys and clicks.
#include "QRPrnSu.h"
#include "QRPrntrPrinterSupport.h"

#include "Forms.h"
#include "TestSupport.h"

#include <QtGui/QScreen>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QDialog>
#include <QtWidgets/QLabel>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QSpinBox>

#include <gtest/gtest.h>

#include <functional>

namespace {

template <class T>
T* Child(QDialog& dialog, const char* name) {
    T* child = dialog.findChild<T*>(QLatin1String(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

// Shown and enabled.
bool Offered(QDialog& dialog, QWidget* widget) {
    return widget && widget->isVisibleTo(&dialog) && widget->isEnabled();
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

QStringList Items(QComboBox* box) {
    QStringList items;
    for (int i = 0; box && i < box->count(); ++i) items << box->itemText(i);
    return items;
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
    WhenPrintDialogShows([&](QDialog& d) {
        const QRect screen = d.screen()->geometry();
        placed = d.pos();
        expected = QPoint((screen.width() - d.width()) / 2, (screen.height() - d.height()) / 3);
        Click(Child<QRadioButton>(d, "pageNums"));
        Type(Child<QSpinBox>(d, "to"), "3");
        Type(Child<QSpinBox>(d, "from"), "2");
        Type(Child<QSpinBox>(d, "copies"), "2");
        auto* colour = Child<QComboBox>(d, "color");
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
    QStringList printers;
    int current = -1;
    QString type, location;
    WhenPrintDialogShows([&](QDialog& d) {
        rangeOffered = Offered(d, Child<QRadioButton>(d, "pageNums"));
        selectionOffered = Offered(d, Child<QRadioButton>(d, "selection"));
        fileOffered = Offered(d, Child<QCheckBox>(d, "printToFile"));
        printers = Items(Child<QComboBox>(d, "printer"));
        current = Child<QComboBox>(d, "printer")->currentIndex();
        type = Child<QLabel>(d, "type")->text();
        location = Child<QLabel>(d, "location")->text();
        SaveTestImage(d.grab().toImage(), "qrprnsu_print_dialog");
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_FALSE(rangeOffered);
    EXPECT_FALSE(selectionOffered);
    EXPECT_FALSE(fileOffered);
    // Every printer by name, the PDF printer first, the current one chosen.
    EXPECT_EQ(printers, (QStringList{QStringLiteral("Velmora PDF"), QStringLiteral("Fake printer")}));
    EXPECT_EQ(current, 1);
    EXPECT_EQ(type, QStringLiteral("fake driver"));
    EXPECT_EQ(location, QStringLiteral("fake:"));
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
