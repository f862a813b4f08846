// Print and printer set-up dialogs: the printers they list, what they offer
// and what they read back, driven with real keys and clicks in their modal
// run and through the hook.
#include "DialogTestSupport.h"
#include "Graphics.h"
#include "PrintDialogs.h"
#include "TestSupport.h"

#include <QtCore/QTemporaryDir>
#include <QtCore/QTimer>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QDialog>
#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QSpinBox>

#include <gtest/gtest.h>

namespace {

// A CUPS queue as the dialog sees it: the PDF printer's abilities under a
// queue's name and port.
class TQueueDriver : public TPrinterDriver {
public:
    explicit TQueueDriver(QString name) : name_(std::move(name)) {}
    QString DeviceName() const override { return name_; }
    QString DriverName() const override { return QStringLiteral("Laser 5000 Series"); }
    QString PortName() const override { return QStringLiteral("cups:") + name_; }
    QString QueueName() const override { return name_; }
    DevMode DefaultMode() const override {
        DevMode mode = pdf_->DefaultMode();
        mode.dmDeviceName = name_;
        mode.dmFields |= DM_DUPLEX;
        mode.dmPaperSize = DMPAPER_LETTER;
        return mode;
    }
    std::vector<Word> Papers() const override { return {DMPAPER_LETTER, DMPAPER_A4, DMPAPER_B5}; }
    std::vector<Word> Bins() const override { return pdf_->Bins(); }
    QStringList BinNames() const override { return pdf_->BinNames(); }
    Integer Resolution(const DevMode& mode) const override { return pdf_->Resolution(mode); }
    QMarginsF Margins(const DevMode& mode) const override { return pdf_->Margins(mode); }
    QString JobFile(const QString& title) const override { return pdf_->JobFile(title); }
    bool Submit(const QString&, const QString&, const DevMode&, QString&) override { return true; }

private:
    QString name_;
    std::unique_ptr<TPrinterDriver> pdf_ = NewPdfPrinterDriver();
};

QPushButton* OkButton(QDialog& dialog) {
    auto* box = dialog.findChild<QDialogButtonBox*>();
    return box ? box->button(QDialogButtonBox::Ok) : nullptr;
}

class PrintDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        qputenv("VELMORA_PDF_DIR", folder.path().toUtf8());
        std::vector<std::unique_ptr<TPrinterDriver>> drivers;
        drivers.push_back(NewPdfPrinterDriver());
        drivers.push_back(std::make_unique<TQueueDriver>(QStringLiteral("Office laser")));
        drivers.push_back(std::make_unique<TQueueDriver>(QStringLiteral("Back office")));
        saved = SetPrinter(new TPrinter(std::move(drivers)));
    }
    void TearDown() override {
        SetPrintDialogHook(nullptr);
        delete SetPrinter(saved);
        qunsetenv("VELMORA_PDF_DIR");
    }

    // Lets act drive the next dialog in its modal run once it is active.
    static void WhenShown(std::function<void(QDialog&)> act) {
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [timer, act] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isActiveWindow()) return;
            timer->stop();
            timer->deleteLater();
            act(*dialog);
        });
        timer->start(10);
    }
    // Answers the next dialog through the hook after inspect looked at it.
    void Answer(int answer, std::function<void(QDialog&)> inspect = nullptr) {
        SetPrintDialogHook([this, answer, inspect](QDialog& dialog) {
            ++shown;
            if (inspect) inspect(dialog);
            return answer;
        });
    }

    QTemporaryDir folder;
    TPrinter* saved = nullptr;
    int shown = 0;
};

TEST_F(PrintDialogsTest, ListsThePrintersByNameAndTakesTheOneChosen) {
    Printer()->SetPrinterIndex(1);
    TPrintDialog dialog(nullptr);
    QStringList names;
    int current = -1;
    QString type, location, pdfType, pdfLocation;
    WhenShown([&](QDialog& d) {
        auto* printers = DialogChild<QComboBox>(d, "printer");
        for (int i = 0; i < printers->count(); ++i) names << printers->itemText(i);
        current = printers->currentIndex();
        type = DialogChild<QLabel>(d, "type")->text();
        location = DialogChild<QLabel>(d, "location")->text();
        SaveTestImage(d.grab().toImage(), "print_dialog_queue");
        printers->setFocus();
        QTest::keyClick(printers, Qt::Key_Home);
        pdfType = DialogChild<QLabel>(d, "type")->text();
        pdfLocation = DialogChild<QLabel>(d, "location")->text();
        QTest::keyClick(&d, Qt::Key_Return);
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(names, (QStringList{"Velmora PDF", "Office laser", "Back office"}));
    EXPECT_EQ(current, 1);
    EXPECT_EQ(type, QStringLiteral("Laser 5000 Series"));
    EXPECT_EQ(location, QStringLiteral("cups:Office laser"));
    EXPECT_EQ(pdfType, QStringLiteral("Velmora PDF"));
    EXPECT_EQ(pdfLocation, PdfPrinterFolder());
    EXPECT_EQ(Printer()->PrinterIndex(), 0);
    EXPECT_EQ(Printer()->Mode().dmPaperSize, DMPAPER_A4) << "the PDF printer's own paper";
    EXPECT_TRUE(dialog.PrintToFile());
}

TEST_F(PrintDialogsTest, RangeCopiesAndCollationChosenAreReadBackAndGoToThePrinter) {
    TPrintDialog dialog(nullptr);
    dialog.SetOptions(TPrintDialogOptions() << poPageNums);
    dialog.SetMinPage(1);
    dialog.SetMaxPage(5);
    std::vector<std::string> events;
    dialog.OnShow = [&events](TObject*) { events.push_back("show"); };
    dialog.OnClose = [&events](TObject*) { events.push_back("close"); };
    int fromMax = 0;
    WhenShown([&](QDialog& d) {
        events.push_back("run");
        fromMax = DialogChild<QSpinBox>(d, "from")->maximum();
        Retype(DialogChild<QSpinBox>(d, "from"), "2");
        Retype(DialogChild<QSpinBox>(d, "to"), "3");
        Retype(DialogChild<QSpinBox>(d, "copies"), "2");
        ClickNearLeft(DialogChild<QCheckBox>(d, "collate"));
        ClickNearLeft(DialogChild<QRadioButton>(d, "landscape"));
        SaveTestImage(d.grab().toImage(), "print_dialog_chosen");
        ClickNearLeft(OkButton(d));
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(events, (std::vector<std::string>{"show", "run", "close"}));
    EXPECT_EQ(fromMax, 5);
    EXPECT_EQ(dialog.PrintRange(), prPageNums) << "typing a page chooses the pages";
    EXPECT_EQ(dialog.FromPage(), 2);
    EXPECT_EQ(dialog.ToPage(), 3);
    EXPECT_EQ(dialog.Copies(), 2);
    EXPECT_TRUE(dialog.Collate());
    EXPECT_EQ(Printer()->Orientation(), poLandscape);

    // The printer takes the choice: what it prints next comes twice, collated.
    EXPECT_EQ(Printer()->Copies(), 2);
    EXPECT_EQ(Printer()->Mode().dmCollate, DMCOLLATE_TRUE);
    EXPECT_GT(Printer()->PageWidth(), Printer()->PageHeight());
}

TEST_F(PrintDialogsTest, OptionsDecideTheRangeSelectionAndPrintToFileOffered) {
    struct Offer {
        bool pages, selection, file;
    };
    const auto offered = [this](TPrintDialogOptions options) {
        Offer offer{};
        Answer(QDialog::Rejected, [&offer](QDialog& d) {
            offer = {Offered(d, DialogChild<QRadioButton>(d, "pageNums")), Offered(d, DialogChild<QRadioButton>(d, "selection")),
                     Offered(d, DialogChild<QCheckBox>(d, "printToFile"))};
        });
        TPrintDialog dialog(nullptr);
        dialog.SetOptions(options);
        EXPECT_FALSE(dialog.Execute());
        return offer;
    };
    const Offer none = offered(TPrintDialogOptions());
    EXPECT_FALSE(none.pages || none.selection || none.file);
    const Offer all = offered(TPrintDialogOptions() << poPageNums << poSelection << poPrintToFile);
    EXPECT_TRUE(all.pages && all.selection && all.file);
    EXPECT_FALSE(offered(TPrintDialogOptions() << poPrintToFile << poDisablePrintToFile).file);
    EXPECT_EQ(shown, 3);
}

// Print to file is the printer that writes files: ticking it chooses the
// PDF printer, unticking it the queue chosen before.
TEST_F(PrintDialogsTest, PrintToFileSwitchesToThePdfPrinterAndBack) {
    Printer()->SetPrinterIndex(2);
    TPrintDialog dialog(nullptr);
    dialog.SetOptions(TPrintDialogOptions() << poPrintToFile);
    std::vector<int> chosen;
    bool tickedOnPdf = false;
    WhenShown([&](QDialog& d) {
        auto* printers = DialogChild<QComboBox>(d, "printer");
        auto* toFile = DialogChild<QCheckBox>(d, "printToFile");
        chosen.push_back(printers->currentIndex());
        ClickNearLeft(toFile);
        chosen.push_back(printers->currentIndex());
        ClickNearLeft(toFile);
        chosen.push_back(printers->currentIndex());
        printers->setFocus();
        QTest::keyClick(printers, Qt::Key_Home);
        tickedOnPdf = toFile->isChecked();
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(chosen, (std::vector<int>{2, 0, 2}));
    EXPECT_TRUE(tickedOnPdf);
    EXPECT_EQ(Printer()->PrinterIndex(), 2) << "cancelled";
}

TEST_F(PrintDialogsTest, CancelChangesNothing) {
    TPrintDialog dialog(nullptr);
    dialog.SetOptions(TPrintDialogOptions() << poPageNums);
    dialog.SetFromPage(1);
    dialog.SetToPage(4);
    const DevMode before = Printer()->Mode();
    WhenShown([](QDialog& d) {
        Retype(DialogChild<QSpinBox>(d, "to"), "2");
        ClickNearLeft(DialogChild<QRadioButton>(d, "landscape"));
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.FromPage(), 1);
    EXPECT_EQ(dialog.ToPage(), 4);
    EXPECT_EQ(dialog.PrintRange(), prAllPages);
    EXPECT_EQ(Printer()->Mode(), before);
}

TEST_F(PrintDialogsTest, SetupDialogChangesPrinterPaperAndOrientation) {
    TPrinterSetupDialog setup(nullptr);
    bool rangeShown = true, copiesShown = true;
    QString paper;
    WhenShown([&](QDialog& d) {
        rangeShown = DialogChild<QRadioButton>(d, "allPages")->isVisibleTo(&d);
        copiesShown = DialogChild<QSpinBox>(d, "copies")->isVisibleTo(&d);
        auto* printers = DialogChild<QComboBox>(d, "printer");
        printers->setFocus();
        QTest::keyClick(printers, Qt::Key_Down);  // Office laser, on Letter
        paper = DialogChild<QComboBox>(d, "paper")->currentText();
        auto* papers = DialogChild<QComboBox>(d, "paper");
        papers->setFocus();
        QTest::keyClick(papers, Qt::Key_End);  // its last paper: JIS B5
        ClickNearLeft(DialogChild<QRadioButton>(d, "landscape"));
        SaveTestImage(d.grab().toImage(), "printer_setup_dialog");
        ClickNearLeft(OkButton(d));
    });
    ASSERT_TRUE(setup.Execute());
    EXPECT_FALSE(rangeShown);
    EXPECT_FALSE(copiesShown);
    EXPECT_EQ(paper, QPageSize(QPageSize::Letter).name());
    EXPECT_EQ(Printer()->PrinterIndex(), 1);
    EXPECT_EQ(Printer()->Mode().dmPaperSize, DMPAPER_B5);
    EXPECT_EQ(Printer()->Orientation(), poLandscape);
    EXPECT_GT(Printer()->PageWidth(), Printer()->PageHeight());
}

// A paper the printer has no name for is offered at its own size.
TEST_F(PrintDialogsTest, AUserPaperSizeIsOfferedAsItIs) {
    DevMode mode = Printer()->Mode();
    mode.dmPaperSize = DMPAPER_USER;
    mode.dmPaperWidth = 1230;
    mode.dmPaperLength = 2345;
    Printer()->SetPrinter(QStringLiteral("Velmora PDF"), QString(), QString(), &mode);
    QString shownPaper;
    Answer(QDialog::Accepted, [&](QDialog& d) { shownPaper = DialogChild<QComboBox>(d, "paper")->currentText(); });
    TPrinterSetupDialog setup(nullptr);
    ASSERT_TRUE(setup.Execute());
    EXPECT_EQ(shownPaper, QStringLiteral("ユーザー定義 (123 x 234.5 mm)"));
    EXPECT_EQ(DevModePaperSize(Printer()->Mode()), QSizeF(123, 234.5));
}

}  // namespace
