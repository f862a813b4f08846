// Printing from the standard preview window with real clicks and keys, and
// a running report counted on its screen a few times a second.
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
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QRadioButton>

#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <utility>

namespace {

// Two records a page, each page headed "Sheet n", run into a page store
// that the window shows; the window's thumbnails count their drawing.
class QRPreviewPrintTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitializeQRExpr();
        SetMessageBoxHook([this](const TMessageBoxRequest& request) {
            messages << request.Text;
            return IDOK;
        });
        report->SetUnits(TQRUnit::MM);
        report->Page()->SetPaperSize(TQRPaperSize::A4);
        report->SetShowProgress(false);
        auto* sheet = new TQRExpr(report.get());
        sheet->SetParent(Band(rbPageHeader, 10));
        sheet->SetExpression(QStringLiteral("'Sheet ' + PAGENUMBER"));
        Band(rbDetail, 120);
        static_cast<TQRController*>(report->Controller())->OnNeedData = [this](TObject*, bool& more) {
            more = given++ < records;
        };
        report->BeforePrint = [this](TCustomRazorUze*, bool&) { given = 0; };
        // The stop comes from the event loop once the print has ended page 2.
        report->OnEndPage = [this](TCustomRazorUze* sender) {
            if (stop && sender->PageNumber() == 2) QTimer::singleShot(0, std::exchange(stop, nullptr));
        };
    }
    void TearDown() override {
        CloseWindow();
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
    void Open(TQRPrinter& printer) {
        window = new TQRStandardPreview(nullptr, &printer);
        guard = window->Guard();
        ShowActive(window);
        TDrawCellEvent draw = window->ThumbGrid->OnDrawCell;
        window->ThumbGrid->OnDrawCell = [this, draw](TObject* s, Integer c, Integer r, TRect rect, TGridDrawState st) {
            ++thumbsDrawn;
            draw(s, c, r, rect, st);
        };
    }
    // A window on a new page store, and the report run into it.
    void OpenPreview() {
        store = std::make_unique<TQRPrinter>(report.get());
        report->SetQRPrinter(store.get());
        Open(*store);
        report->CreateReport(false);
        RunEventLoop(20);  // the run's notices and their drawing are over
        thumbsDrawn = 0;
    }
    QStringList Sheets() const {
        QStringList sheets;
        for (const QString& file : QDir(pdf.Path()).entryList({"*.pdf"}, QDir::Files))
            for (const QString& text : PdfPageTexts(QDir(pdf.Path()).filePath(file))) sheets << text.simplified();
        return sheets;
    }
    bool WindowAlive() const {
        auto alive = guard.lock();
        return alive && *alive;
    }
    void CloseWindow() {
        if (WindowAlive()) delete window;
    }

    TPdfFolder pdf;
    std::unique_ptr<TRazorUze> report = std::make_unique<TRazorUze>(nullptr);
    std::unique_ptr<TQRPrinter> store;
    int records = 10, given = 0, thumbsDrawn = 0;
    std::function<void()> stop;
    TQRStandardPreview* window = nullptr;
    std::weak_ptr<TControl*> guard;
    QStringList messages;
};

TEST_F(QRPreviewPrintTest, PrintingLeavesThePagesShownAlone) {
    OpenPreview();
    ClickControl(window->Print);
    EXPECT_EQ(Sheets().size(), 5);
    EXPECT_EQ(thumbsDrawn, 0);
}

// Cancel and Esc stop the print and keep the window, Close stops it and then
// closes, the progress form's Cancel stops it: no PDF is left behind.
TEST_F(QRPreviewPrintTest, CancelEscCloseAndTheProgressFormStopAPrintStartedHere) {
    const auto progressCancel = [] {
        for (Integer i = 0; i < Screen->FormCount(); ++i)
            if (auto* form = dynamic_cast<TQRProgressForm*>(Screen->Forms(i))) ClickControl(form->CancelButton);
    };
    const std::tuple<const char*, std::function<void()>, bool> ways[] = {
        {"Cancel", [this] { ClickControl(window->CancelButton); }, false},
        {"Esc", [this] { KeyClick(window, Qt::Key_Escape); }, false},
        {"Close", [this] { ClickControl(window->ExitButton); }, false},
        {"progress", progressCancel, true},
    };
    for (const auto& [way, act, progress] : ways) {
        report->SetShowProgress(progress);
        OpenPreview();
        stop = act;
        ClickControl(window->Print);
        QTest::qWait(10);
        EXPECT_LT(report->PageNumber(), 5) << way;
        EXPECT_TRUE(Sheets().isEmpty()) << way;
        EXPECT_EQ(WindowAlive(), way != std::string("Close")) << way;
        if (WindowAlive()) {
            EXPECT_TRUE(window->Print->Enabled() && !window->CancelButton->Enabled()) << way;
        }
        CloseWindow();
    }
}

// Pages 2 to 3, two collated copies; a report that shrank below the range
// meanwhile prints nothing and says so.
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
    EXPECT_EQ(Sheets().join('|'), "Sheet 2|Sheet 3|Sheet 2|Sheet 3");
    records = 2;
    ClickControl(window->Print);
    EXPECT_EQ(Sheets().size(), 4);
    EXPECT_EQ(messages, QStringList{"Pages 2 to 3 are not in the report (it has 1): nothing was printed"});
}

// Sixty pages made at once are drawn a few times, not sixty; the last pages
// announced show when the interval is over, all of them when the run ends.
TEST_F(QRPreviewPrintTest, ARunningReportIsCountedOnTheScreenAFewTimesASecond) {
    TQRPrinter printer;
    Open(printer);
    ProducePages(printer, 60, [](int) { Application->ProcessMessages(); }, true);
    EXPECT_LT(thumbsDrawn, 20);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->StatusBar->Panels()->Items(1)->Text() == "Page 1 of 60"; }));
    EXPECT_EQ(window->ThumbGrid->RowCount(), 59);
    printer.EndDoc();
    Application->ProcessMessages();
    EXPECT_EQ(window->ThumbGrid->RowCount(), 60);
    EXPECT_FALSE(window->CancelButton->Enabled());
}

}  // namespace
