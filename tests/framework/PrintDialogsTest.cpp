// Print and printer set-up dialogs: what they show of the printer, what
// they read back, driven through the hook and through their real modal run.
#include "Graphics.h"
#include "PdfTools.h"
#include "PrintDialogs.h"
#include "TestSupport.h"

#include <QtCore/QTemporaryDir>
#include <QtCore/QTimer>
#include <QtPrintSupport/QPrintDialog>
#include <QtPrintSupport/QPrinter>
#include <QtWidgets/QApplication>

#include <gtest/gtest.h>

namespace {

class PrintDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        qputenv("VELMORA_PDF_DIR", folder.path().toUtf8());
        std::vector<std::unique_ptr<TPrinterDriver>> drivers;
        drivers.push_back(NewPdfPrinterDriver());
        saved = SetPrinter(new TPrinter(std::move(drivers)));
    }
    void TearDown() override {
        SetPrintDialogHook(nullptr);
        delete SetPrinter(saved);
        qunsetenv("VELMORA_PDF_DIR");
    }

    // Answers the next dialog with answer after letting choose change its printer.
    void Answer(int answer, std::function<void(QDialog&, QPrinter&)> choose = nullptr) {
        SetPrintDialogHook([this, answer, choose](QDialog& dialog) {
            ++shown;
            QPrinter* printer = nullptr;
            if (auto* print = qobject_cast<QPrintDialog*>(&dialog)) printer = print->printer();
            if (printer && choose) choose(dialog, *printer);
            return answer;
        });
    }

    QTemporaryDir folder;
    TPrinter* saved = nullptr;
    int shown = 0;
};

TEST_F(PrintDialogsTest, ShowsTheRangeAndOptionsAndReadsBackTheChoice) {
    TPrintDialog dialog(nullptr);
    dialog.SetOptions(TPrintDialogOptions() << poPageNums << poPrintToFile);
    dialog.SetMinPage(1);
    dialog.SetMaxPage(5);
    dialog.SetFromPage(1);
    dialog.SetToPage(5);
    dialog.SetPrintRange(prPageNums);
    std::vector<std::string> events;
    dialog.OnShow = [&events](TObject*) { events.push_back("show"); };
    dialog.OnClose = [&events](TObject*) { events.push_back("close"); };
    Answer(QDialog::Accepted, [&events](QDialog& shownDialog, QPrinter& printer) {
        events.push_back("run");
        auto& print = static_cast<QPrintDialog&>(shownDialog);
        EXPECT_EQ(print.minPage(), 1);
        EXPECT_EQ(print.maxPage(), 5);
        EXPECT_TRUE(print.testOption(QAbstractPrintDialog::PrintPageRange));
        EXPECT_TRUE(print.testOption(QAbstractPrintDialog::PrintToFile));
        EXPECT_FALSE(print.testOption(QAbstractPrintDialog::PrintSelection));
        EXPECT_EQ(printer.printRange(), QPrinter::PageRange);
        EXPECT_EQ(printer.fromPage(), 1);
        EXPECT_EQ(printer.toPage(), 5);
        EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A4);
        // The user's choice.
        printer.setFromTo(2, 3);
        printer.setPageOrientation(QPageLayout::Landscape);
        printer.setPageSize(QPageSize(QPageSize::Letter));
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(events, (std::vector<std::string>{"show", "run", "close"}));
    EXPECT_EQ(dialog.PrintRange(), prPageNums);
    EXPECT_EQ(dialog.FromPage(), 2);
    EXPECT_EQ(dialog.ToPage(), 3);
    EXPECT_TRUE(dialog.PrintToFile());
    EXPECT_EQ(Printer()->Orientation(), poLandscape);
    EXPECT_EQ(Printer()->Mode().dmPaperSize, DMPAPER_LETTER);

    // The range chosen prints only those pages, on the paper chosen.
    TPrinter& printer = *Printer();
    for (int page = dialog.FromPage(); page <= dialog.ToPage(); ++page) {
        if (page == dialog.FromPage()) printer.BeginDoc();
        else printer.NewPage();
        printer.Canvas()->TextOut(100, 100, QStringLiteral("Page %1").arg(page));
    }
    printer.EndDoc();
    const QStringList texts = PdfPageTexts(printer.OutputFileName());
    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(texts[0].contains("Page 2"));
    EXPECT_TRUE(texts[1].contains("Page 3"));
    const auto sizes = PdfPageSizes(printer.OutputFileName());
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_NEAR(sizes[0].width(), 792, 0.6);
    EXPECT_NEAR(sizes[0].height(), 612, 0.6);
}

TEST_F(PrintDialogsTest, NoOptionsOffersNoRangeOrSelectionButThePdfPrinter) {
    TPrintDialog dialog(nullptr);
    Answer(QDialog::Rejected, [](QDialog& shownDialog, QPrinter& printer) {
        auto& print = static_cast<QPrintDialog&>(shownDialog);
        EXPECT_FALSE(print.testOption(QAbstractPrintDialog::PrintPageRange));
        EXPECT_FALSE(print.testOption(QAbstractPrintDialog::PrintSelection));
        EXPECT_TRUE(print.testOption(QAbstractPrintDialog::PrintToFile));
        EXPECT_EQ(printer.outputFormat(), QPrinter::PdfFormat);
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(shown, 1);
}

TEST_F(PrintDialogsTest, CancelChangesNothing) {
    TPrintDialog dialog(nullptr);
    dialog.SetOptions(TPrintDialogOptions() << poPageNums);
    dialog.SetFromPage(1);
    dialog.SetToPage(4);
    const DevMode before = Printer()->Mode();
    Answer(QDialog::Rejected, [](QDialog&, QPrinter& printer) {
        printer.setFromTo(2, 2);
        printer.setPageOrientation(QPageLayout::Landscape);
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.FromPage(), 1);
    EXPECT_EQ(dialog.ToPage(), 4);
    EXPECT_EQ(dialog.PrintRange(), prAllPages);
    EXPECT_EQ(Printer()->Mode(), before);
}

TEST_F(PrintDialogsTest, SetupDialogChangesPaperAndOrientation) {
    TPrinterSetupDialog setup(nullptr);
    Answer(QDialog::Accepted, [](QDialog& shownDialog, QPrinter& printer) {
        auto& print = static_cast<QPrintDialog&>(shownDialog);
        EXPECT_FALSE(print.testOption(QAbstractPrintDialog::PrintPageRange));
        EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);
        printer.setPageSize(QPageSize(QPageSize::JisB5));
        printer.setPageOrientation(QPageLayout::Landscape);
    });
    ASSERT_TRUE(setup.Execute());
    EXPECT_EQ(Printer()->Mode().dmPaperSize, DMPAPER_B5);
    EXPECT_EQ(Printer()->Orientation(), poLandscape);
    EXPECT_GT(Printer()->PageWidth(), Printer()->PageHeight());

    // A paper without a code of its own comes back as a user size.
    Answer(QDialog::Accepted, [](QDialog&, QPrinter& printer) { printer.setPageSize(QPageSize(QPageSize::B5)); });
    ASSERT_TRUE(setup.Execute());
    EXPECT_EQ(DevModePaperSize(Printer()->Mode()), QSizeF(176, 250));
}

// The real modal loops, closed by a timer as a user would close them.
TEST_F(PrintDialogsTest, RealDialogsRunModallyAndKeepTheSettings) {
    const auto closeWith = [](bool accept) {
        QTimer::singleShot(50, [accept] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            SaveTestImage(dialog->grab().toImage(), accept ? "print_dialog_accepted" : "print_dialog_rejected");
            if (accept) dialog->accept();
            else dialog->reject();
        });
    };
    Printer()->SetOrientation(poLandscape);
    TPrintDialog print(nullptr);
    closeWith(true);
    EXPECT_TRUE(print.Execute());
    EXPECT_EQ(Printer()->Orientation(), poLandscape);
    EXPECT_EQ(Printer()->Mode().dmPaperSize, DMPAPER_A4);
    EXPECT_TRUE(print.PrintToFile());

    TPrinterSetupDialog setup(nullptr);
    closeWith(false);
    EXPECT_FALSE(setup.Execute());
    closeWith(true);
    EXPECT_TRUE(setup.Execute());
    EXPECT_EQ(Printer()->Orientation(), poLandscape);
    EXPECT_EQ(Printer()->Mode().dmPaperSize, DMPAPER_A4);
}

}  // namespace
