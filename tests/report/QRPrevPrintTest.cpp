// Printing from the standard preview window, with real clicks and keys: the
// print leaves the window's pages alone, stops on Cancel, Esc, Close and the
// progress form's Cancel, and takes the page range of Print Setup; a
// running report is counted on the screen a few times a second.
#include "QRCtrls.h"
#include "QRPrev.h"
#include "QRPrevTestSupport.h"
#include "QRPrgres.h"
#include "QRPrntrPrinterSupport.h"

#include "ComCtrls.h"
#include "DialogTestSupport.h"
#include "Dialogs.h"
#include "Grids.h"
#include "PdfTools.h"
#include "WidgetTestSupport.h"

#include <QtCore/QDir>
#include <QtCore/QTimer>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QSpinBox>
#include <QtWidgets/QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// Counts the paint events of a widget and of the widgets inside it.
class TPaintCounter : public QObject {
public:
    explicit TPaintCounter(QWidget* widget) : widget_(widget) { qApp->installEventFilter(this); }
    ~TPaintCounter() override { qApp->removeEventFilter(this); }
    int Paints = 0;

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(object);
        if (event->type() == QEvent::Paint && widget && (widget == widget_ || widget_->isAncestorOf(widget)))
            ++Paints;
        return false;
    }

private:
    QWidget* widget_;
};

// A report of two records a page, each page headed "Sheet n", run into a
// page store that the preview window shows.
class QRPreviewPrintTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitializeQRExpr();
        SetMessageBoxHook([this](const TMessageBoxRequest& request) {
            messages << request.Text;
            return IDOK;
        });
        report = std::make_unique<TRazorUze>(nullptr);
        report->SetUnits(TQRUnit::MM);
        report->Page()->SetPaperSize(TQRPaperSize::A4);
        report->SetShowProgress(false);
        auto* sheet = new TQRExpr(report.get());
        sheet->SetParent(Band(rbPageHeader, 10));
        sheet->SetExpression(QStringLiteral("'Sheet ' + PAGENUMBER"));
        Band(rbDetail, 120);
        static_cast<TQRController*>(report->Controller())->OnNeedData = [this](TObject*, bool& more) {
            more = given < records;
            ++given;
        };
        report->BeforePrint = [this](TCustomRazorUze*, bool&) { given = 0; };
        report->OnEndPage = [this](TCustomRazorUze* sender) {
            if (atPage == 0 || sender->PageNumber() != atPage) return;
            atPage = 0;
            QTimer::singleShot(0, act);
        };
    }
    void TearDown() override {
        if (WindowAlive()) delete window;
        report->SetQRPrinter(nullptr);
        SetMessageBoxHook(nullptr);
    }

    TQRBand* Band(TQRBandType type, long double heightMM) {
        auto* band = new TQRBand(report.get());
        band->SetParent(report.get());
        band->SetBandType(type);
        band->Size()->SetHeight(heightMM);
        return band;
    }
    // A window shown on a new page store, and the report run into it.
    void OpenPreview() {
        store = std::make_unique<TQRPrinter>(report.get());
        report->SetQRPrinter(store.get());
        window = new TQRStandardPreview(nullptr, store.get());
        guard = window->Guard();
        ShowActive(window);
        report->CreateReport(false);
        RunEventLoop(20);  // the run's notices and their drawing are over
    }
    bool WindowAlive() const {
        auto alive = guard.lock();
        return alive && *alive;
    }
    QString Panel(int index) const { return window->StatusBar->Panels()->Items(index)->Text(); }
    // Presses Print; stop runs from the event loop once the print has
    // ended its second page.
    void PrintStoppedBy(std::function<void()> stop) {
        act = std::move(stop);
        atPage = 2;
        ClickControl(window->Print);
        atPage = 0;
    }
    QStringList PdfFiles() const { return QDir(pdf.Path()).entryList({"*.pdf"}, QDir::Files); }

    TPdfFolder pdf;
    std::unique_ptr<TRazorUze> report;
    std::unique_ptr<TQRPrinter> store;
    int records = 10;
    int given = 0;
    int atPage = 0;
    std::function<void()> act;
    TQRStandardPreview* window = nullptr;
    std::weak_ptr<TControl*> guard;
    QStringList messages;
};

TEST_F(QRPreviewPrintTest, PrintingLeavesThePagesShownAlone) {
    OpenPreview();
    ASSERT_EQ(store->PageCount(), 5);
    TPaintCounter thumbs(window->ThumbGrid->Handle());
    ClickControl(window->Print);
    ASSERT_EQ(PdfFiles().size(), 1);
    EXPECT_EQ(PdfPageSizes(QDir(pdf.Path()).filePath(PdfFiles()[0])).size(), 5u);
    EXPECT_EQ(thumbs.Paints, 0);
    EXPECT_EQ(Panel(1), "Page 1 of 5");
}

// Cancel and Esc stop the print and keep the window, Close stops it and then
// closes; with the progress form shown its Cancel stops it. A stopped print
// leaves no PDF file behind.
TEST_F(QRPreviewPrintTest, CancelEscCloseAndTheProgressFormStopAPrintStartedHere) {
    const auto progressCancel = [] {
        for (Integer i = 0; i < Screen->FormCount(); ++i)
            if (auto* form = dynamic_cast<TQRProgressForm*>(Screen->Forms(i))) ClickControl(form->CancelButton);
    };
    struct Way {
        const char* name;
        std::function<void()> stop;
        bool progress;
        bool closes;
    };
    const Way ways[] = {
        {"Cancel", [this] { ClickControl(window->CancelButton); }, false, false},
        {"Esc", [this] { KeyClick(window, Qt::Key_Escape); }, false, false},
        {"Close", [this] { ClickControl(window->ExitButton); }, false, true},
        {"the progress form's Cancel", progressCancel, true, false},
    };
    for (const Way& way : ways) {
        report->SetShowProgress(way.progress);
        OpenPreview();
        PrintStoppedBy(way.stop);
        QTest::qWait(10);
        EXPECT_LT(report->PageNumber(), 5) << way.name;
        EXPECT_TRUE(PdfFiles().isEmpty()) << way.name;
        EXPECT_TRUE(report->Available()) << way.name;
        EXPECT_EQ(WindowAlive(), !way.closes) << way.name;
        if (WindowAlive()) {
            EXPECT_FALSE(window->CancelButton->Enabled()) << way.name;
            EXPECT_TRUE(window->Print->Enabled()) << way.name;
            delete window;
        }
    }
}

// Pages 2 to 3, two collated copies: what the next Print prints. A report
// that shrank below the range meanwhile prints nothing, and says so.
TEST_F(QRPreviewPrintTest, PrintSetupsRangeCopiesAndCollationArePrinted) {
    OpenPreview();
    WhenPrintDialogShows([](QDialog& d) {
        ClickNearLeft(DialogChild<QRadioButton>(d, "pageNums"));
        Retype(DialogChild<QSpinBox>(d, "from"), "2");
        Retype(DialogChild<QSpinBox>(d, "to"), "3");
        Retype(DialogChild<QSpinBox>(d, "copies"), "2");
        ClickNearLeft(DialogChild<QCheckBox>(d, "collate"));
        Accept(d);
    });
    ClickControl(window->PrintSetup);
    ClickControl(window->Print);
    ASSERT_EQ(PdfFiles().size(), 1);
    QStringList sheets;
    for (const QString& text : PdfPageTexts(QDir(pdf.Path()).filePath(PdfFiles()[0]))) sheets << text.simplified();
    EXPECT_EQ(sheets.join('|'), "Sheet 2|Sheet 3|Sheet 2|Sheet 3");
    EXPECT_TRUE(messages.isEmpty());

    records = 2;
    ClickControl(window->Print);
    EXPECT_EQ(PdfFiles().size(), 1);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], "Pages 2 to 3 are not in the report (it has 1): nothing was printed");
}

// Sixty pages made at once are drawn a few times, not sixty; the last pages
// announced show when the interval is over, all of them once the run ends.
TEST_F(QRPreviewPrintTest, ARunningReportIsCountedOnTheScreenAFewTimesASecond) {
    TQRPrinter printer;
    window = new TQRStandardPreview(nullptr, &printer);
    guard = window->Guard();
    ShowActive(window);
    TPaintCounter thumbs(window->ThumbGrid->Handle());
    ProducePages(printer, 60, [](int) { Application->ProcessMessages(); }, true);
    EXPECT_LT(thumbs.Paints, 10);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Panel(1) == "Page 1 of 60"; }));
    EXPECT_EQ(window->ThumbGrid->RowCount(), 59);
    EXPECT_TRUE(window->CancelButton->Enabled());
    printer.EndDoc();
    Application->ProcessMessages();
    EXPECT_EQ(window->ThumbGrid->RowCount(), 60);
    EXPECT_FALSE(window->CancelButton->Enabled());
    EXPECT_TRUE(window->nextPage->Enabled());
    delete window;
}

}  // namespace
