// The preview control: zoom limits and modes, centring, page changes, the
// printer's notices, the painted page and its links.
#include "QRPrev.h"
#include "QRPrevTestSupport.h"

#include "Metafile.h"
#include "ShellAPI.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"

#include <QtGui/QImage>
#include <QtGui/QWindow>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

class QRPreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TForm>(nullptr);
        form->SetClientSize(600, 500);
        preview = new TQRPreview(form.get());
        preview->SetParent(form.get());
        preview->SetAlign(alClient);
    }
    void TearDown() override {
        SetShellOpenHook(nullptr);
        ClearQRHyperlinkHandlers();
    }

    // A point of the page image in the form's client area.
    QPoint ImagePoint(int x, int y) const {
        const TPoint screen = preview->PreviewImage()->ClientToScreen(TPoint(x, y));
        const TPoint client = form->ScreenToClient(screen);
        return QPoint(client.X, client.Y);
    }

    std::unique_ptr<TForm> form;
    TQRPreview* preview;
};

TEST_F(QRPreviewTest, ZoomTakesTwoTo2000AndSizesTheLetterPageWithoutPrinter) {
    TQRPreviewImage* image = preview->PreviewImage();
    EXPECT_EQ(preview->Zoom(), 100);
    preview->SetZoom(100);
    EXPECT_EQ(image->Width(), 220);
    EXPECT_EQ(image->Height(), 283);
    preview->SetZoom(1);
    EXPECT_EQ(preview->Zoom(), 100);
    preview->SetZoom(2001);
    EXPECT_EQ(preview->Zoom(), 100);
    EXPECT_EQ(image->Width(), 220);
    preview->SetZoom(2);
    EXPECT_EQ(preview->Zoom(), 2);
    EXPECT_EQ(image->Width(), 4 + 4);  // round(4.318) + shadow
    EXPECT_EQ(image->Zoom(), 2);
    preview->SetZoom(2000);
    EXPECT_EQ(preview->Zoom(), 2000);
    EXPECT_EQ(image->Width(), 4318 + 4);
    EXPECT_EQ(image->Height(), 5588 + 4);
    EXPECT_EQ(preview->ZoomState(), qrZoomOther);
}

TEST_F(QRPreviewTest, NarrowPageIsCentredAndAWidePageStartsAtTheEdge) {
    preview->SetZoom(100);
    TQRPreviewImage* image = preview->PreviewImage();
    EXPECT_EQ(image->Left(), (preview->ClientWidth() - 220) / 2);
    EXPECT_EQ(image->Top(), (preview->ClientHeight() - 283) / 2);
    preview->SetZoom(400);
    EXPECT_EQ(image->Left(), 0);
    EXPECT_EQ(image->Top(), 0);
}

TEST_F(QRPreviewTest, PagesOutsideThePrintersRangeAreIgnored) {
    TQRPrinter printer;
    ProducePages(printer, 3);
    preview->SetQRPrinter(&printer);
    EXPECT_EQ(printer.PreviewControl(), preview);
    EXPECT_TRUE(printer.ShowingPreview());
    ASSERT_NE(preview->PreviewImage()->PageMetafile(), nullptr);
    preview->SetPageNumber(0);
    EXPECT_EQ(preview->PageNumber(), 1);
    preview->SetPageNumber(4);
    EXPECT_EQ(preview->PageNumber(), 1);
    preview->SetZoom(300);
    ShowActive(form.get());
    preview->VertScrollBar()->SetPosition(200);
    ASSERT_EQ(preview->VertScrollBar()->Position(), 200);
    preview->SetPageNumber(3);
    EXPECT_EQ(preview->PageNumber(), 3);
    EXPECT_EQ(preview->PreviewImage()->PageNumber(), 3);
    EXPECT_EQ(preview->VertScrollBar()->Position(), 0);
}

TEST_F(QRPreviewTest, FitAndWidthFollowThePaperAndTheSizeOfThePreview) {
    TQRPrinter printer;
    ProducePages(printer, 1);
    preview->SetQRPrinter(&printer);
    const double pw = printer.XSize(printer.PaperWidth());
    const double ph = printer.YSize(printer.PaperLength());
    preview->ZoomToFit();
    EXPECT_EQ(preview->ZoomState(), qrZoomToFit);
    EXPECT_EQ(preview->Zoom(), std::min(int(std::nearbyint(preview->ClientHeight() / ph * 95)),
                                        int(std::nearbyint(preview->ClientWidth() / pw * 95))));
    preview->ZoomToWidth();
    EXPECT_EQ(preview->ZoomState(), qrZoomToWidth);
    EXPECT_EQ(preview->Zoom(), int(std::nearbyint(preview->ClientWidth() / pw * 90)));
    // The width mode follows a resize; a plain zoom only re-centres.
    form->SetClientSize(900, 500);
    EXPECT_EQ(preview->Zoom(), int(std::nearbyint(preview->ClientWidth() / pw * 90)));
    preview->SetZoom(50);
    form->SetClientSize(600, 500);
    EXPECT_EQ(preview->Zoom(), 50);
    EXPECT_EQ(preview->PreviewImage()->Left(), (preview->ClientWidth() - preview->PreviewImage()->Width()) / 2);
}

TEST_F(QRPreviewTest, FitAndWidthLeaveTheZoomAloneOnAPaperWithoutSize) {
    TQRPrinter printer;
    printer.PrinterSettings().SetPaperSize(TQRPaperSize::Default);
    printer.PrinterSettings().SetPaperWidth(0);
    printer.PrinterSettings().SetPaperLength(2970);
    preview->SetQRPrinter(&printer);
    preview->SetZoom(80);
    preview->ZoomToFit();
    EXPECT_EQ(preview->Zoom(), 80);
    EXPECT_EQ(preview->ZoomState(), qrZoomOther);
    printer.PrinterSettings().SetPaperWidth(2100);
    printer.PrinterSettings().SetPaperLength(-5);
    preview->ZoomToWidth();
    EXPECT_EQ(preview->Zoom(), 80);
    EXPECT_EQ(preview->ZoomState(), qrZoomOther);
}

TEST_F(QRPreviewTest, NoticesOfThePrinterReachTheEventsAndFillTheFirstPage) {
    TQRPrinter printer;
    std::vector<Integer> progress, pages;
    preview->OnProgressUpdate = [&](TObject*, Integer value) { progress.push_back(value); };
    preview->OnPageAvailable = [&](TObject*, Integer value) {
        pages.push_back(value);
        // The first page shows as soon as it is announced.
        if (value == 1) {
            EXPECT_NE(preview->PreviewImage()->PageMetafile(), nullptr);
        }
    };
    preview->SetQRPrinter(&printer);
    EXPECT_EQ(preview->PreviewImage()->PageMetafile(), nullptr);
    ProducePages(printer, 3, [&](int n) {
        printer.SetProgress(n * 30);
        Application->ProcessMessages();
    });
    Application->ProcessMessages();
    EXPECT_EQ(progress, (std::vector<Integer>{30, 60, 90}));
    EXPECT_EQ(pages, (std::vector<Integer>{1, 2, 3}));
    EXPECT_NE(preview->PreviewImage()->PageMetafile(), nullptr);
}

TEST_F(QRPreviewTest, AnotherPrinterReleasesTheFirstAndCancelsItsRun) {
    TQRPrinter first, second;
    int closed = 0;
    first.OnPreviewClosed = [&](TObject*) { ++closed; };
    preview->SetQRPrinter(&first);
    first.BeginDoc();
    first.NewPage();
    preview->SetQRPrinter(&second);
    EXPECT_EQ(closed, 1);
    EXPECT_TRUE(first.Cancelled());
    EXPECT_EQ(first.PreviewControl(), nullptr);
    EXPECT_EQ(second.PreviewControl(), preview);
    first.EndDoc();
    {
        TQRPrinter gone;
        ProducePages(gone, 1);
        preview->SetQRPrinter(&gone);
    }
    EXPECT_EQ(preview->QRPrinter(), nullptr);
    EXPECT_EQ(preview->PreviewImage()->PageMetafile(), nullptr);
}

TEST_F(QRPreviewTest, DragHandlersOfThePreviewActOnThePage) {
    TQRPrinter printer;
    ProducePages(printer, 1);
    TQRPreviewImage* image = preview->PreviewImage();
    std::vector<std::string> seen;
    auto who = [&](TObject* o) { return std::string(o == image ? "image" : o ? "other" : "nil"); };
    preview->OnDragOver = [&](TObject* sender, TObject* source, Integer, Integer, TDragState state, bool&) {
        seen.push_back(who(sender) + (state == dsDragEnter ? " enter " : state == dsDragLeave ? " leave " : " move ") +
                       who(source));
    };
    preview->OnDragDrop = [&](TObject* sender, TObject*, Integer, Integer) { seen.push_back(who(sender) + " drop"); };
    preview->OnEndDrag = [&](TObject* sender, TObject* target, Integer, Integer) {
        seen.push_back(who(sender) + " end " + who(target));
    };
    preview->SetQRPrinter(&printer);
    image->SetDragMode(dmAutomatic);
    ShowActive(form.get());
    QTest::mousePress(WindowOf(form.get()), Qt::LeftButton, Qt::NoModifier, ImagePoint(20, 20));
    QTest::mouseMove(WindowOf(form.get()), ImagePoint(40, 40));
    QTest::mouseRelease(WindowOf(form.get()), Qt::LeftButton, Qt::NoModifier, ImagePoint(40, 40));
    EXPECT_EQ(seen, (std::vector<std::string>{"image enter image", "image leave image", "image drop",
                                              "image end image"}));
}

TEST_F(QRPreviewTest, PageIsPaintedOnAWhiteSheetWithFrameAndShadow) {
    TQRPrinter printer;
    ProducePages(printer, 2);
    preview->SetQRPrinter(&printer);
    preview->SetZoom(60);
    ShowActive(form.get());
    QTest::qWait(20);
    TQRPreviewImage* image = preview->PreviewImage();
    const QImage shot = GrabControl(image);
    SaveTestImage(GrabControl(form.get()), "qrprev_control");
    const int w = image->Width(), h = image->Height();
    ASSERT_EQ(shot.width(), w);
    EXPECT_EQ(shot.pixelColor(0, 0), QColor(Qt::black));               // frame
    EXPECT_EQ(shot.pixelColor(w - 3, h / 2), QColor(Qt::black));       // frame, right
    EXPECT_EQ(shot.pixelColor(w - 1, h / 2), QColor(Qt::black));       // shadow
    EXPECT_EQ(shot.pixelColor(w / 2, h - 1), QColor(Qt::black));       // shadow below
    EXPECT_NE(shot.pixelColor(w - 1, 0), QColor(Qt::black));           // no shadow at the top corner
    EXPECT_EQ(shot.pixelColor(5, h - 10), QColor(Qt::white));          // the sheet
    // Text drawn: some dark pixels inside the page.
    int dark = 0;
    for (int y = 4; y < h - 4; ++y)
        for (int x = 4; x < w - 4; ++x) dark += shot.pixelColor(x, y).lightness() < 100;
    EXPECT_GT(dark, 50);
}

TEST_F(QRPreviewTest, LinksAreFoundAtZoom100CoordinatesAndOpenedThroughTheDispatcher) {
    TQRPrinter printer;
    ProducePages(printer, 1);
    preview->SetQRPrinter(&printer);
    preview->SetZoom(200);
    TQRPreviewImage* image = preview->PreviewImage();
    image->HyperlinkAreas().push_back({TRect(10, 10, 40, 20), QStringLiteral("ext:https://example.org/a")});
    image->HyperlinkAreas().push_back({TRect(10, 30, 40, 40), QStringLiteral("INT:chapter2")});
    image->HyperlinkAreas().push_back({TRect(10, 50, 40, 60), QStringLiteral("plain-target")});
    // (10, 10) shows at (20, 20); 19 / 2 rounds half to even, up to 10.
    EXPECT_EQ(image->LinkAt(18, 18), QString());
    EXPECT_EQ(image->LinkAt(19, 19), "ext:https://example.org/a");
    EXPECT_EQ(image->LinkAt(81, 41), "ext:https://example.org/a");  // edges included
    EXPECT_EQ(image->LinkAt(82, 40), QString());

    std::vector<QString> opened, handled, events;
    SetShellOpenHook([&](const QUrl& target) {
        opened.push_back(target.toString());
        return true;
    });
    AddQRHyperlinkHandler(QStringLiteral("chap"), [&](TObject*, const QString& rest) { handled.push_back(rest); });
    bool veto = false;
    preview->SetOnHyperlink([&](TObject* sender, TQRHyperlinkEventType type, const QString& link, bool& done) {
        EXPECT_EQ(sender, &printer);
        events.push_back(QString::number(type) + link);
        done = veto;
    });
    ShowActive(form.get());
    QTest::mouseMove(WindowOf(form.get()), ImagePoint(50, 30));
    EXPECT_EQ(image->Cursor(), crHandPoint);
    EXPECT_TRUE(image->OverLink());
    QTest::mouseMove(WindowOf(form.get()), ImagePoint(150, 150));
    EXPECT_EQ(image->Cursor(), crDefault);
    MouseClick(form.get(), ImagePoint(50, 30));
    MouseClick(form.get(), ImagePoint(50, 70));
    MouseClick(form.get(), ImagePoint(50, 110));
    veto = true;
    MouseClick(form.get(), ImagePoint(50, 30));
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], "https://example.org/a");
    EXPECT_TRUE(opened[1].endsWith("plain-target"));
    EXPECT_EQ(handled, (std::vector<QString>{"ter2"}));
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0], QString::number(heCursorMoveOver) + "ext:https://example.org/a");
    EXPECT_EQ(events[1], QString::number(heCursorMoveAway));
    EXPECT_EQ(events.back(), QString::number(heGoto) + "ext:https://example.org/a");
}

TEST_F(QRPreviewTest, DispatcherHandsUnprefixedLinksToAHandlerBeforeTheShell) {
    std::vector<QString> opened, handled;
    SetShellOpenHook([&](const QUrl& target) {
        opened.push_back(target.toString());
        return true;
    });
    AddQRHyperlinkHandler(QStringLiteral("doc:"), [&](TObject*, const QString& rest) { handled.push_back(rest); });
    AddQRHyperlinkHandler(QStringLiteral("doc:"), [&](TObject*, const QString&) { handled.push_back("second"); });
    OpenHyperlink(preview, QStringLiteral("doc:42"));
    OpenHyperlink(preview, QStringLiteral("DOC:42"));  // prefixes compare case-sensitively
    OpenHyperlink(preview, QStringLiteral("INT:unknown"));
    OpenHyperlink(preview, QStringLiteral("Ext:/tmp/report.txt"));
    EXPECT_EQ(handled, (std::vector<QString>{"42"}));
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_TRUE(opened[0].endsWith(":42", Qt::CaseInsensitive));
    EXPECT_TRUE(opened[1].endsWith("/tmp/report.txt"));
}

}  // namespace
