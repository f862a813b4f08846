// Report printer: recording pages, printing them through the PDF printer
// (read back with poppler), ranges, paper guesses, messages, cancelling.
#include "CupsPdfQueue.h"
#include "QRPrntrPrinterSupport.h"
#include "QRPrntrTestSupport.h"

#include "Controls.h"
#include "Forms.h"
#include "Graphics.h"
#include "Metafile.h"
#include "PdfTools.h"
#include "Printers.h"
#include "QRReport.h"
#include "StdCtrls.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"

#include <QtCore/QDir>
#include <QtCore/QFileInfo>
#include <QtCore/QtEndian>
#include <QtCore/QTimer>
#include <QtGui/QImage>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <tuple>
#include <utility>

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;

// Records the report messages it receives.
class TMessageSink : public TControl {
public:
    explicit TMessageSink(TComponent* owner = nullptr) : TControl(owner) {}
    void WndProc(TMessage& message) override {
        if (message.Msg >= WM_USER && message.Msg <= WM_USER + 4) received.push_back(message);
        TControl::WndProc(message);
    }
    std::vector<WPARAM> Values(Cardinal msg) const {
        std::vector<WPARAM> values;
        for (const TMessage& m : received)
            if (m.Msg == msg) values.push_back(m.WParam);
        return values;
    }
    std::vector<TMessage> received;
};

// A report that asks for the application's printer.
std::unique_ptr<TCustomRazorUze> ReportOnTheApplicationPrinter() {
    auto report = std::make_unique<TCustomRazorUze>(nullptr);
    report->PrinterSettings()->UseStandardprinter = true;
    return report;
}

class QRPrinterTest : public ::testing::Test {
protected:
    // Records count pages, each showing "Page n" near its top left.
    static void Produce(TQRPrinter& printer, int count) {
        printer.BeginDoc();
        for (int n = 1; n <= count; ++n) {
            printer.NewPage();
            TCanvas* canvas = printer.Canvas();
            ASSERT_NE(canvas, nullptr);
            canvas->Rectangle(printer.XPos(100), printer.YPos(100), printer.XPos(printer.PaperWidth() - 100),
                              printer.YPos(printer.PaperLength() - 100));
            canvas->Font()->SetName(QStringLiteral("Arial"));
            canvas->Font()->SetHeight(-printer.YSize(60));
            canvas->TextOut(printer.XPos(200), printer.YPos(200), QStringLiteral("Page %1").arg(n));
        }
        printer.EndDoc();
    }

    QStringList PdfFiles() const {
        return QDir(pdf.Path()).entryList({"*.pdf"}, QDir::Files);
    }

    static QStringList Trimmed(QStringList texts) {
        for (QString& text : texts) text = text.simplified();
        return texts;
    }

    TPdfFolder pdf;
};

TEST_F(QRPrinterTest, StoresPagesAsMetafilesAndAnnouncesThem) {
    TQRPrinter printer;
    TMessageSink preview;
    printer.SetPreviewControl(&preview);
    EXPECT_EQ(printer.Status(), mpReady);
    Produce(printer, 3);
    EXPECT_EQ(printer.Status(), mpFinished);
    EXPECT_EQ(printer.PageCount(), 3);
    EXPECT_EQ(printer.AvailablePages(), 3);
    Application->ProcessMessages();
    EXPECT_EQ(preview.Values(WM_USER + 1), (std::vector<WPARAM>{1, 2, 3}));

    const auto page = printer.GetPage(2);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Width(), 794);  // 210 mm at 96 dpi
    EXPECT_EQ(page->Height(), 1123);
    EXPECT_EQ(printer.GetPage(0), nullptr);
    EXPECT_EQ(printer.GetPage(4), nullptr);

    printer.Cleanup();
    EXPECT_EQ(printer.Status(), mpReady);
    EXPECT_EQ(printer.GetPage(1), nullptr);
}

TEST_F(QRPrinterTest, CallsOutOfOrderRaise) {
    TQRPrinter printer;
    EXPECT_THROW(printer.NewPage(), EQRError);
    printer.BeginDoc();
    try {
        printer.BeginDoc();
        ADD_FAILURE() << "a second BeginDoc was taken";
    } catch (const EQRError& e) {
        EXPECT_EQ(e.Message(), "QRPrinter not ready");
    }
    printer.EndDoc();
    try {
        printer.NewPage();
        ADD_FAILURE() << "NewPage after EndDoc was taken";
    } catch (const EQRError& e) {
        EXPECT_EQ(e.Message(), "Illegal call to NewPage");
    }
    printer.Save(pdf.Path() + "/empty.voz");  // finished with no page: a header only
    EXPECT_TRUE(QFile::exists(pdf.Path() + "/empty.voz"));
}

TEST_F(QRPrinterTest, OnePageReportWritesItsCountIntoTheFile) {
    TQRPrinter printer;
    Produce(printer, 1);
    const QString file = pdf.Path() + "/one.voz";
    printer.Save(file);
    QFile in(file);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray bytes = in.readAll();
    ASSERT_GT(bytes.size(), 12);
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 8), 1);

    TQRPrinter reader;
    reader.Load(file);
    EXPECT_EQ(reader.Status(), mpFinished);
    EXPECT_EQ(reader.PageCount(), 1);
    EXPECT_TRUE(reader.Loaded());
    EXPECT_TRUE(QRReportLoaded());
}

// A file cut inside page 4 of 5: the pages before the damage stay loaded
// and the error says where the file is damaged.
TEST_F(QRPrinterTest, LoadingADamagedFileKeepsThePagesBeforeTheDamage) {
    const QString file = pdf.Path() + "/cut.voz";
    {
        TQRPrinter writer;
        Produce(writer, 5);
        writer.Save(file);
    }
    const QByteArray whole = ReadFileBytes(file);
    const std::vector<Integer> ends = RecordEnds(whole);
    ASSERT_EQ(ends.size(), 5u);
    WriteFileBytes(file, whole.left(ends[2] + (ends[3] - ends[2]) / 2));

    TQRPrinter reader;
    try {
        reader.Load(file);
        ADD_FAILURE() << "no error";
    } catch (const EReadError& e) {
        EXPECT_TRUE(e.Message().startsWith("The report file is damaged after page 3")) << e.what();
    }
    EXPECT_EQ(reader.Status(), mpFinished);
    EXPECT_TRUE(reader.Loaded());
    EXPECT_EQ(reader.PageCount(), 3);
    EXPECT_EQ(reader.PrinterSettings().PaperSize(), TQRPaperSize::A4Small);
    for (Integer n = 1; n <= 3; ++n) EXPECT_NE(reader.GetPage(n), nullptr) << n;
    EXPECT_EQ(reader.GetPage(4), nullptr);

    // A file that cannot be opened leaves nothing loaded.
    TQRPrinter other;
    EXPECT_THROW(other.Load(pdf.Path() + "/missing.voz"), EFOpenError);
    EXPECT_EQ(other.Status(), mpReady);
    EXPECT_EQ(other.PageCount(), 0);
}

// Prints stored pages on the built-in PDF printer and reads them back.
TEST_F(QRPrinterTest, PrintsARangeOfStoredPagesToPdf) {
    TQRPrinter printer;
    Produce(printer, 5);
    printer.FirstPage = 2;
    printer.LastPage = 3;
    printer.Print();
    const QString file = printer.Printer()->OutputFileName();
    ASSERT_FALSE(file.isEmpty());
    EXPECT_EQ(Trimmed(PdfPageTexts(file)), (QStringList{"Page 2", "Page 3"}));
    const auto sizes = PdfPageSizes(file);
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_NEAR(sizes[0].width(), 210 * kPointsPerMm, 1);
    EXPECT_NEAR(sizes[0].height(), 297 * kPointsPerMm, 1);
    SavePdfPage(file, 1, "qrprinter_range_page2");
    // The text stands 20 mm from the paper's left edge, as recorded.
    EXPECT_NEAR(PdfWordBox(file, "Page").left(), 20 * kPointsPerMm, 1.5);
}

TEST_F(QRPrinterTest, PrintsLetterInLandscape) {
    TQRPrinter printer;
    printer.PrinterSettings().SetPaperSize(TQRPaperSize::Letter);
    printer.PrinterSettings().SetOrientation(1);
    EXPECT_EQ(printer.PaperWidth(), 2794);
    EXPECT_EQ(printer.PaperLength(), 2159);
    Produce(printer, 2);
    printer.Print();
    const QString file = printer.Printer()->OutputFileName();
    const auto sizes = PdfPageSizes(file);
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_NEAR(sizes[1].width(), 792, 1);
    EXPECT_NEAR(sizes[1].height(), 612, 1);
    EXPECT_EQ(Trimmed(PdfPageTexts(file)), (QStringList{"Page 1", "Page 2"}));
    SavePdfPage(file, 2, "qrprinter_letter_landscape");
}

// Qt's PDF writer keeps quiet about writes that fail: a full disk still
// stops the job with the file and the system's reason, leaves no broken
// PDF, and a PDF already there keeps its bytes. A folder that takes no file
// gives its reason too.
TEST_F(QRPrinterTest, AFileThatCannotBeWrittenFailsThePrintWithTheReasonAndLeavesNoBrokenPdf) {
    TQRPrinter printer;
    printer.Title = QStringLiteral("full");
    Produce(printer, 5);
    const auto failsWith = [&printer](const QString& message) {
        try {
            printer.Print();
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), message);
        }
        EXPECT_FALSE(printer.Printer()->Printing());
    };
    printer.Print();
    const QByteArray old = ReadFileBytes(printer.Printer()->OutputFileName());
    {
        FileSizeLimit full(old.size() / 2);
        failsWith(QStringLiteral("Cannot write to file \"%1/full (2).pdf\". File too large").arg(pdf.Path()));
    }
    EXPECT_EQ(QDir(pdf.Path()).entryList(QDir::Files), QStringList{"full.pdf"}) << "no half file, no temporary";
    EXPECT_EQ(ReadFileBytes(pdf.Path() + "/full.pdf"), old);

    const ScopedEnv folder("VELMORA_PDF_DIR", QStringLiteral("/sys"));
    const int fd = ::open("/sys/velmora-probe.pdf", O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_LT(fd, 0) << "a file could be made in /sys";
    failsWith(QStringLiteral("Cannot create file \"/sys/full.pdf\". %1").arg(SysErrorMessage(errno)));
}

// Two renderings of a page compared in cells of 4 x 4 pixels: the cells
// where b holds ink, and those whose mean grey differs by more than 96 of
// 255. Bolder or thinner strokes and a shift by a pixel stay within that; a
// word missing, moved or changed does not.
std::pair<int, int> InkAndDifferingCells(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return {0, 0};
    const QImage grey[2] = {a.convertToFormat(QImage::Format_Grayscale8), b.convertToFormat(QImage::Format_Grayscale8)};
    int ink = 0, differing = 0;
    for (int top = 0; top + 4 <= a.height(); top += 4)
        for (int left = 0; left + 4 <= a.width(); left += 4) {
            int difference = 0, darkest = 255;
            for (int y = top; y < top + 4; ++y)
                for (int x = left; x < left + 4; ++x) {
                    difference += grey[0].constScanLine(y)[x] - grey[1].constScanLine(y)[x];
                    darkest = std::min<int>(darkest, grey[1].constScanLine(y)[x]);
                }
            ink += darkest < 128;
            differing += std::abs(difference) > 96 * 16;
        }
    return {ink, differing};
}

// A CUPS queue that writes its jobs as PDF files (cups-pdf) gets the A4
// pages drawn, Japanese text and all. It re-encodes the fonts, so its pages
// are compared with the PDF printer's as rendered.
TEST_F(QRPrinterTest, AJobReachesACupsPdfQueueAsTheA4PagesDrawn) {
    const TCupsPdfQueue queue;
    if (!queue.Missing().isEmpty()) GTEST_SKIP() << queue.Missing().toStdString();
    TQRPrinter printer;
    printer.Title = QStringLiteral("Velmora%1").arg(getpid());  // letters and digits, this process's own
    const QStringList lines{QStringLiteral("御請求書"), QStringLiteral("山田商事　御中"),
                            QStringLiteral("金額　￥１２３，４５０")};
    printer.BeginDoc();
    for (const QString& line : lines) {
        printer.NewPage();
        printer.Canvas()->Font()->SetName(QStringLiteral("ＭＳ 明朝"));
        printer.Canvas()->Font()->SetHeight(-printer.YSize(150));
        printer.Canvas()->TextOut(printer.XPos(200), printer.YPos(200), line);
    }
    printer.EndDoc();
    printer.SetPrinterIndex(printer.Printer()->Printers()->IndexOf(queue.Name()));
    printer.Print();
    EXPECT_TRUE(PdfFiles().isEmpty());  // the queue had the job, not the PDF printer
    printer.SetPrinterIndex(0);
    printer.Print();

    const QStringList queued = queue.Output(printer.Title);
    ASSERT_EQ(queued.size(), 1) << queued.join(' ').toStdString();
    const std::vector<QSizeF> sizes = PdfPageSizes(queued[0]);
    ASSERT_EQ(sizes.size(), size_t(lines.size()));
    for (int page = 1; page <= lines.size(); ++page) {
        EXPECT_NEAR(sizes[page - 1].width(), 210 * kPointsPerMm, 1) << page;
        EXPECT_NEAR(sizes[page - 1].height(), 297 * kPointsPerMm, 1) << page;
        const QString name = QStringLiteral("cups_page%1").arg(page);
        const auto [ink, differing] =
            InkAndDifferingCells(QImage(SavePdfPage(queued[0], page, name + "_queued", 60)),
                                 QImage(SavePdfPage(printer.Printer()->OutputFileName(), page, name + "_drawn", 60)));
        EXPECT_GT(ink, 100) << page;
        EXPECT_LT(differing * 100, ink) << page << ": " << differing << " of " << ink;
    }
    QFile::remove(queued[0]);
}

// Drawing straight onto the printer: pages outside the range go nowhere,
// and a page start right after NewPage adds no blank page.
TEST_F(QRPrinterTest, DirectPrintKeepsToTheRangeWithoutBlankPages) {
    TQRPrinter printer;
    printer.Destination = qrdPrinter;
    printer.Title = QStringLiteral("direct");
    printer.FirstPage = 2;
    printer.LastPage = 4;
    Produce(printer, 5);
    const QString file = printer.Printer()->OutputFileName();
    EXPECT_EQ(QFileInfo(file).fileName(), "direct.pdf");
    EXPECT_EQ(Trimmed(PdfPageTexts(file)), (QStringList{"Page 2", "Page 3", "Page 4"}));

    TQRPrinter all;
    all.Destination = qrdPrinter;
    Produce(all, 3);
    EXPECT_EQ(PdfPageSizes(all.Printer()->OutputFileName()).size(), 3u);
    // Those pages were not kept: printing them again prints nothing.
    const int files = PdfFiles().size();
    all.Print();
    EXPECT_EQ(PdfFiles().size(), files);
}

TEST_F(QRPrinterTest, PrinterUnitsFollowItsResolutionAndMargins) {
    std::unique_ptr<TPrinter> previous(SetPrinter(NewFakePrinter([](TFakePrinterDriver&) {}).release()));
    {
        const auto report = ReportOnTheApplicationPrinter();
        TQRPrinter printer(report.get());
        printer.Destination = qrdPrinter;
        printer.BeginDoc();
        EXPECT_EQ(printer.LeftOffset(), 50);
        EXPECT_EQ(printer.TopOffset(), 40);
        EXPECT_EQ(printer.XPos(50), 0);
        EXPECT_EQ(printer.XPos(304), 300);  // 1 inch right of the margin at 300 dpi
        EXPECT_EQ(printer.YSize(254), 300);
        printer.AbortDoc();
        EXPECT_EQ(printer.Status(), mpFinished);
    }
    delete SetPrinter(previous.release());
}

TEST_F(QRPrinterTest, PrinterWithoutResolutionUsesFallbackFactors) {
    std::unique_ptr<TPrinter> previous(
        SetPrinter(NewFakePrinter([](TFakePrinterDriver& d) { d.resolution = 0; }).release()));
    {
        const auto report = ReportOnTheApplicationPrinter();
        TQRPrinter printer(report.get());
        printer.Destination = qrdPrinter;
        printer.BeginDoc();
        EXPECT_NEAR(double(printer.XFactor()), 0.37795, 1e-9);
        EXPECT_NEAR(double(printer.YFactor()), 0.37795, 1e-9);
        printer.NewPage();
        EXPECT_NEAR(double(printer.YFactor()), 1.0, 1e-9);
        printer.EndDoc();
    }
    delete SetPrinter(previous.release());
}

// Made for a report, the printer takes the report's printer switch and
// memory limit.
TEST_F(QRPrinterTest, MadeForAReportItTakesTheReportsPrinterAndMemoryLimit) {
    const auto report = ReportOnTheApplicationPrinter();
    report->PrinterSettings()->MemoryLimit = 1000;
    TQRPrinter standard(report.get());
    EXPECT_EQ(standard.Printer(), Printer());
    Produce(standard, 2);
    EXPECT_FALSE(standard.PageList().Stream()->InMemory()) << "two pages pass 1000 bytes";

    report->PrinterSettings()->UseStandardprinter = false;
    TQRPrinter own(report.get());
    EXPECT_NE(own.Printer(), Printer());
}

// The printer's settings are its PrinterSettings'.
TEST_F(QRPrinterTest, SettingsPassThroughToPrinterSettings) {
    std::unique_ptr<TPrinter> previous(SetPrinter(NewFakePrinter([](TFakePrinterDriver&) {}).release()));
    {
        const auto report = ReportOnTheApplicationPrinter();
        TQRPrinter printer(report.get());
        printer.SetCopies(3);
        printer.SetDuplex(true);
        printer.SetOutputBin(TQRBin::Lower);
        printer.SetOrientation(1);
        printer.SetPaperSize(TQRPaperSize::B5);
        printer.SetUseCustomBinCode(true);
        printer.SetCustomBinCode(260);
        printer.SetUseCustomPaperCode(true);
        printer.SetCustomPaperCode(300);
        printer.SetPrintMetafile(true);
        const TPrinterSettings& s = printer.PrinterSettings();
        const auto wanted = std::tuple{3, true, TQRBin::Lower, 1, TQRPaperSize::B5, true, 260, true, 300, true};
        EXPECT_EQ(std::tuple(s.Copies(), s.Duplex(), s.OutputBin(), s.Orientation(), s.PaperSize(), s.UseCustomBinCode,
                             s.CustomBinCode, s.UseCustomPaperCode, s.CustomPaperCode, s.PrintMetafile),
                  wanted);
        EXPECT_EQ(printer.PaperSize(), TQRPaperSize::B5);  // read back through the printer
    }
    delete SetPrinter(previous.release());
}

// The first page's size picks the paper; among equal sizes the later one.
TEST_F(QRPrinterTest, LoadGuessesThePaperFromTheFirstPage) {
    struct Case {
        TQRPaperSize paper;
        Integer orientation;
        TQRPaperSize guessed;
    };
    for (const Case c : {Case{TQRPaperSize::A4, 0, TQRPaperSize::A4Small}, Case{TQRPaperSize::A3, 1, TQRPaperSize::A3},
                         Case{TQRPaperSize::Letter, 0, TQRPaperSize::Note}}) {
        const QString file = pdf.Path() + QStringLiteral("/guess%1.voz").arg(int(c.paper));
        {
            TQRPrinter writer;
            writer.PrinterSettings().SetPaperSize(c.paper);
            writer.PrinterSettings().SetOrientation(c.orientation);
            Produce(writer, 2);
            writer.Save(file);
        }
        TQRPrinter reader;
        reader.PrinterSettings().SetOrientation(1 - c.orientation);
        reader.Load(file);
        EXPECT_EQ(reader.PrinterSettings().PaperSize(), c.guessed) << int(c.paper);
        EXPECT_EQ(reader.PrinterSettings().Orientation(), c.orientation) << int(c.paper);
        EXPECT_EQ(reader.PageCount(), 2);
    }
}

TEST_F(QRPrinterTest, PrintOfAReportThatCanRunAgainAsksTheReport) {
    TQRPrinter printer;
    TMessageSink report;
    printer.SetClient(&report);
    Produce(printer, 2);
    printer.Print();
    Application->ProcessMessages();
    EXPECT_EQ(report.Values(WM_USER + 2).size(), 1u);
    EXPECT_TRUE(PdfFiles().isEmpty());

    printer.PrinterSettings().PrintMetafile = true;
    printer.Print();
    EXPECT_EQ(PdfFiles().size(), 1);
}

TEST_F(QRPrinterTest, ClosingThePreviewCancelsARunAndTellsTheReport) {
    TQRPrinter printer;
    TMessageSink report;
    printer.SetClient(&report);
    int closed = 0;
    printer.OnPreviewClosed = [&closed](TObject*) { ++closed; };
    printer.SetShowingPreview(true);
    printer.BeginDoc();
    printer.NewPage();
    printer.ClosePreview();
    EXPECT_TRUE(printer.Cancelled());
    EXPECT_EQ(closed, 1);
    ASSERT_EQ(report.received.size(), 1u);
    EXPECT_EQ(report.received[0].Msg, WM_USER + 4);
    EXPECT_EQ(report.received[0].LParam, LPARAM(&printer));
    printer.ClosePreview();  // already closed: the report hears again, no second event
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(report.received.size(), 2u);
}

TEST_F(QRPrinterTest, MessagesToFreedControlsAreNotSent) {
    TQRPrinter printer;
    auto* report = new TMessageSink;
    printer.SetClient(report);
    printer.SetPreviewControl(report);
    delete report;
    EXPECT_EQ(printer.Client(), nullptr);
    EXPECT_EQ(printer.PreviewControl(), nullptr);
    printer.ClosePreview();
    Produce(printer, 1);
}

// A progress form that cancels the print when its button is clicked.
class TTestProgressForm : public TForm {
public:
    explicit TTestProgressForm(TQRPrinter* printer) : TForm(Application), cancel(new TButton(this)) {
        SetBounds(100, 100, 200, 100);
        cancel->SetParent(this);
        cancel->SetBounds(50, 30, 100, 30);
        cancel->SetCaption(QStringLiteral("Cancel"));
        cancel->OnClick = [printer](TObject*) { printer->Cancel(); };
    }
    void WndProc(TMessage& message) override {
        if (message.Msg == WM_USER) progress().push_back(Integer(message.WParam));
        TForm::WndProc(message);
    }
    static std::vector<Integer>& progress() {
        static std::vector<Integer> values;
        return values;
    }
    TButton* cancel;
    static inline TTestProgressForm* shown = nullptr;
};

class QRPrinterProgressTest : public QRPrinterTest {
protected:
    void SetUp() override {
        TTestProgressForm::progress().clear();
        RegisterQRProgressForm([](TQRPrinter* printer) {
            auto form = std::make_unique<TTestProgressForm>(printer);
            TTestProgressForm::shown = form.get();
            return form;
        });
    }
    void TearDown() override {
        RegisterQRProgressForm(nullptr);
        TTestProgressForm::shown = nullptr;
    }
};

TEST_F(QRPrinterProgressTest, ProgressCountsFromTheFirstPageOfTheRange) {
    TQRPrinter printer;
    TMessageSink preview;
    printer.SetPreviewControl(&preview);
    Produce(printer, 6);
    Application->ProcessMessages();
    preview.received.clear();
    printer.ShowProgress = true;
    printer.FirstPage = 3;
    printer.LastPage = 6;
    printer.Print();
    EXPECT_EQ(printer.Progress(), 100);
    // the last notice goes out as the form closes
    EXPECT_EQ(TTestProgressForm::progress(), (std::vector<Integer>{25, 50, 75}));
    EXPECT_EQ(printer.PreviewControl(), &preview);
    Application->ProcessMessages();
    EXPECT_TRUE(preview.received.empty());  // the form had the messages
    EXPECT_EQ(PdfPageSizes(printer.Printer()->OutputFileName()).size(), 4u);
}

TEST_F(QRPrinterProgressTest, ProgressRoundsHalvesToEvenAndAnEmptyRangePrintsNothing) {
    TQRPrinter printer;
    Produce(printer, 10);
    printer.ShowProgress = true;
    printer.FirstPage = 5;
    printer.LastPage = 4;
    printer.Print();
    EXPECT_TRUE(PdfFiles().isEmpty());
    EXPECT_TRUE(TTestProgressForm::progress().empty());

    printer.FirstPage = 3;
    printer.LastPage = 0;  // to the last page
    printer.Print();
    EXPECT_EQ(TTestProgressForm::progress(), (std::vector<Integer>{12, 25, 38, 50, 62, 75, 88}));
    EXPECT_EQ(printer.Progress(), 100);
}

TEST_F(QRPrinterProgressTest, CancelFromTheProgressFormStopsAtThePageItWasOn) {
    TQRPrinter printer;
    auto* preview = new TMessageSink;
    printer.SetPreviewControl(preview);
    Produce(printer, 5);
    printer.ShowProgress = true;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (printer.PageNumber() == 2 && TTestProgressForm::shown) {
            timer.stop();
            delete preview;  // the preview goes away meanwhile too
            ClickControl(TTestProgressForm::shown->cancel);
        }
    });
    timer.start(0);
    printer.Print();
    EXPECT_TRUE(printer.Cancelled());
    EXPECT_EQ(printer.PageNumber(), 2);
    EXPECT_TRUE(printer.Printer()->Aborted());
    EXPECT_FALSE(printer.Printer()->Printing());
    EXPECT_TRUE(PdfFiles().isEmpty());
    EXPECT_EQ(printer.PreviewControl(), nullptr);

    // The next print starts afresh.
    printer.Print();
    EXPECT_EQ(PdfPageSizes(printer.Printer()->OutputFileName()).size(), 5u);
}

TEST(QRPrinterRegistryTest, SaveFilterListsTheReportFileThenEachFilter) {
    TQRExportFilterLibrary library;
    EXPECT_EQ(library.SaveDialogFilter(), "RazorUzeort file(*.VOZ)|*.VOZ");
    EXPECT_EQ(library.Find("VOZ"), nullptr);
    library.Add({"Text file", "TXT"});
    library.Add({"Comma separated", "CSV"});
    EXPECT_EQ(library.SaveDialogFilter(),
              "RazorUzeort file(*.VOZ)|*.VOZ|Text file (*.TXT)|*.TXT|Comma separated (*.CSV)|*.CSV");
    ASSERT_NE(library.Find("CSV"), nullptr);
    EXPECT_EQ(library.Find("CSV")->Description, "Comma separated");
    EXPECT_EQ(library.Find("csv"), nullptr);
    EXPECT_EQ(QRExportFilterLibrary().SaveDialogFilter(), "RazorUzeort file(*.VOZ)|*.VOZ");

    TQRPrinter printer;
    TQRPreviewInterface base(nullptr);
    EXPECT_EQ(base.Show(&printer), nullptr);
    EXPECT_EQ(base.ShowModal(&printer), nullptr);
}

}  // namespace
