// Printers: jobs through the built-in PDF printer read back with poppler,
// page starts, device modes, device capabilities and broken drivers.
#include "Graphics.h"
#include "PdfTools.h"
#include "Printers.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QLocale>
#include <QtCore/QTemporaryDir>
#include <QtGui/QImage>

#include <gtest/gtest.h>

#include <link.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;

// Pixels of r (right and bottom exclusive) darker than a light grey.
int InkIn(const QImage& image, const TRect& r) {
    int n = 0;
    for (int y = std::max(0, r.Top); y < std::min(image.height(), r.Bottom); ++y)
        for (int x = std::max(0, r.Left); x < std::min(image.width(), r.Right); ++x)
            if (qGray(image.pixel(x, y)) < 224) ++n;
    return n;
}

// A printer that behaves like the PDF printer but with margins, a
// resolution and capabilities of the test's choosing; jobs it submits are
// counted.
class TTestDriver : public TPrinterDriver {
public:
    explicit TTestDriver(QString name) : name_(std::move(name)) {}

    QString DeviceName() const override { return name_; }
    QString DriverName() const override { return QStringLiteral("test driver"); }
    QString PortName() const override { return QStringLiteral("test:"); }
    DevMode DefaultMode() const override {
        DevMode mode = pdf_->DefaultMode();
        mode.dmDeviceName = name_;
        mode.dmFields |= extraFields;
        return mode;
    }
    std::vector<Word> Papers() const override { return papers.empty() ? pdf_->Papers() : papers; }
    std::vector<Word> Bins() const override { return {DMBIN_UPPER, DMBIN_LOWER, DMBIN_AUTO}; }
    QStringList BinNames() const override { return {"Upper", "Lower", "Auto"}; }
    Integer Resolution(const DevMode& mode) const override { return resolution < 0 ? pdf_->Resolution(mode) : resolution; }
    QMarginsF Margins(const DevMode& mode) const override {
        return mode.dmOrientation == DMORIENT_LANDSCAPE ? QMarginsF(margins.top(), margins.right(), margins.bottom(),
                                                                    margins.left())
                                                        : margins;
    }
    QString JobFile(const QString& title) const override { return pdf_->JobFile(title); }
    bool Submit(const QString&, const QString&, const DevMode& mode, QString& message) override {
        submitted.push_back(mode);
        if (!refuse.isEmpty()) message = refuse;
        return refuse.isEmpty();
    }

    Integer resolution = -1;  // -1: the PDF printer's
    QMarginsF margins;
    Cardinal extraFields = 0;
    std::vector<Word> papers;
    QString refuse;
    std::vector<DevMode> submitted;

private:
    QString name_;
    std::unique_ptr<TPrinterDriver> pdf_ = NewPdfPrinterDriver();
};

class PrintersTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        qputenv("VELMORA_PDF_DIR", folder.path().toUtf8());
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    }
    void TearDown() override {
        qunsetenv("VELMORA_PDF_DIR");
        QLocale::setDefault(QLocale::c());
    }

    // A printer of one test driver (kept in driver) after the PDF printer.
    std::unique_ptr<TPrinter> WithTestDriver(std::function<void(TTestDriver&)> setup) {
        auto test = std::make_unique<TTestDriver>(QStringLiteral("Test printer"));
        setup(*test);
        driver = test.get();
        std::vector<std::unique_ptr<TPrinterDriver>> drivers;
        drivers.push_back(NewPdfPrinterDriver());
        drivers.push_back(std::move(test));
        auto printer = std::make_unique<TPrinter>(std::move(drivers));
        printer->SetPrinterIndex(1);
        return printer;
    }

    static void WritePage(TPrinter& printer, const QString& text) {
        printer.Canvas()->Font()->SetName(QStringLiteral("Arial"));
        printer.Canvas()->Font()->SetSize(14);
        printer.Canvas()->TextOut(printer.PageWidth() / 10, printer.PageHeight() / 10, text);
    }

    // Prints pages 1..count, each showing "Page n", as a report does for the
    // range first..last: pages outside it are skipped, the first printed
    // one begins the job, the others follow NewPage and a second start.
    static void PrintRange(TPrinter& printer, int count, int first, int last) {
        bool begun = false;
        for (int page = 1; page <= count; ++page) {
            if (page < first || page > last) continue;
            if (!begun) {
                printer.BeginDoc();
                begun = true;
            } else {
                printer.NewPage();
                StartPage(printer.Canvas()->Handle());
            }
            WritePage(printer, QStringLiteral("Page %1").arg(page));
        }
        if (begun) printer.EndDoc();
    }

    static bool SameSize(QSizeF points, QSizeF mm) {
        // Qt writes page sizes in whole points.
        return std::abs(points.width() - mm.width() * kPointsPerMm) <= 0.6 &&
               std::abs(points.height() - mm.height() * kPointsPerMm) <= 0.6;
    }

    QTemporaryDir folder;
    TTestDriver* driver = nullptr;
};

TEST_F(PrintersTest, ThreePagesGiveAThreePageA4PdfWhoseTextReadsBack) {
    TPrinter printer;
    ASSERT_GE(printer.Printers()->Count(), 1);
    EXPECT_EQ(printer.Printers()->Get(0), "Velmora PDF");
    EXPECT_EQ(printer.Mode().dmPaperSize, DMPAPER_A4);
    printer.SetTitle(QStringLiteral("月次請求書"));
    std::vector<Integer> numbers;
    printer.BeginDoc();
    EXPECT_TRUE(printer.Printing());
    for (int page = 1; page <= 3; ++page) {
        if (page > 1) printer.NewPage();
        numbers.push_back(printer.PageNumber());
        printer.Canvas()->Rectangle(0, 0, printer.PageWidth(), printer.PageHeight());
        printer.Canvas()->Ellipse(printer.PageWidth() / 4, printer.PageHeight() / 4, printer.PageWidth() * 3 / 4,
                                  printer.PageHeight() / 2);
        WritePage(printer, QStringLiteral("Page %1 請求書").arg(page));
    }
    printer.EndDoc();
    EXPECT_FALSE(printer.Printing());
    EXPECT_EQ(numbers, (std::vector<Integer>{1, 2, 3}));

    const QString file = printer.OutputFileName();
    EXPECT_EQ(QFileInfo(file).dir().path(), folder.path());
    EXPECT_EQ(QFileInfo(file).fileName(), QStringLiteral("月次請求書.pdf"));
    const auto sizes = PdfPageSizes(file);
    ASSERT_EQ(sizes.size(), 3u);
    for (const QSizeF& size : sizes) EXPECT_TRUE(SameSize(size, {210, 297})) << size.width() << "x" << size.height();
    EXPECT_TRUE(QFile::exists(SavePdfPage(file, 2, "printers_three_pages_p2")));
    const QStringList texts = PdfPageTexts(file);
    ASSERT_EQ(texts.size(), 3);
    for (int page = 1; page <= 3; ++page) {
        EXPECT_TRUE(texts[page - 1].contains(QStringLiteral("Page %1").arg(page))) << texts[page - 1].toStdString();
        EXPECT_TRUE(texts[page - 1].contains(QStringLiteral("請求書")));
    }

    // A second job with the same title does not overwrite the first.
    printer.BeginDoc();
    printer.EndDoc();
    EXPECT_NE(printer.OutputFileName(), file);
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(PdfPageSizes(printer.OutputFileName()).size(), 1u);
}

// The paper under what a page holds: a white fill over printed text,
// lines, figures and pictures still covers them, on pages begun by NewPage
// or by drawing after EndPage too, and a fill clipped around text leaves
// the text to be covered later.
TEST_F(PrintersTest, WhiteFillsStillCoverWhatIsPrinted) {
    TPrinter printer;
    printer.BeginDoc();
    TCanvas* c = printer.Canvas();
    c->Font()->SetName(QStringLiteral("Arial"));
    c->Font()->SetSize(14);
    std::vector<TRect> covered;
    const auto cover = [c, &covered](const TRect& r, bool keep = true) {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(clWhite);
        c->FillRect(r);
        if (keep) covered.push_back(r);
    };
    const TSize cell = c->TextExtent(QStringLiteral("Covered"));
    const auto around = [&cell](Integer x, Integer y) { return TRect(x - 40, y - 40, x + cell.cx + 40, y + cell.cy + 40); };
    c->TextOut(300, 300, QStringLiteral("Covered"));
    cover(around(300, 300));
    c->MoveTo(300, 800);
    c->LineTo(2000, 800);
    cover(TRect(280, 780, 2020, 820));
    c->TextOut(300, 1200, QStringLiteral("Covered"));
    ExcludeClipRect(c->Handle(), 260, 1160, 340 + cell.cx, 1240 + cell.cy);
    cover(TRect(0, 1000, 3000, 1700), false);
    SelectClipRgn(c->Handle(), nullptr);
    cover(around(300, 1200));
    c->TextOut(300, 1800, QStringLiteral("Kept"));
    c->Brush()->SetColor(clGray);
    c->Rectangle(300, 2200, 900, 2500);
    c->Ellipse(1000, 2200, 1600, 2500);
    auto image = std::make_unique<TBitmap>();
    image->SetSize(8, 8);
    image->Canvas()->Brush()->SetColor(clNavy);
    image->Canvas()->FillRect(TRect(0, 0, 8, 8));
    c->StretchDraw(TRect(1700, 2200, 2300, 2500), image.get());
    for (const TRect& figure : {TRect(280, 2180, 920, 2520), TRect(980, 2180, 1620, 2520), TRect(1680, 2180, 2320, 2520)})
        cover(figure);
    for (int page = 2; page <= 3; ++page) {
        if (page == 2) printer.NewPage();
        else EndPage(c->Handle());
        c->TextOut(300, 300, QStringLiteral("Covered"));
        cover(around(300, 300), false);
        c->TextOut(300, 800, QStringLiteral("Kept"));
    }
    printer.EndDoc();

    const QString file = printer.OutputFileName();
    const int dpi = 100;
    const int device = printer.DeviceCaps(LOGPIXELSX);
    const auto inkIn = [&](const QImage& page, const TRect& r) {
        return InkIn(page, TRect(r.Left * dpi / device, r.Top * dpi / device, r.Right * dpi / device + 1,
                                 r.Bottom * dpi / device + 1));
    };
    ASSERT_EQ(PdfPageSizes(file).size(), 3u);
    for (int page = 1; page <= 3; ++page) {
        SCOPED_TRACE(page);
        const QImage image(SavePdfPage(file, page, QStringLiteral("printers_white_fills_p%1").arg(page), dpi));
        ASSERT_FALSE(image.isNull());
        for (const TRect& r : page == 1 ? covered : std::vector<TRect>{around(300, 300)})
            EXPECT_EQ(inkIn(image, r), 0) << r.Left << "," << r.Top;
        EXPECT_GT(inkIn(image, page == 1 ? around(300, 1800) : around(300, 800)), 20);
    }
}

// White fills on paper nothing was printed on print nothing: a page of
// two thousand of them is no bigger than the page without them.
TEST_F(PrintersTest, WhiteFillsOnBlankPaperCostThePageNothing) {
    TPrinter printer;
    const auto print = [&printer](bool fills) {
        printer.BeginDoc();
        WritePage(printer, QStringLiteral("Fills"));
        TCanvas* c = printer.Canvas();
        c->Brush()->SetColor(clWhite);
        for (int i = 0; fills && i < 2000; ++i)
            c->FillRect(Bounds(100 + (i % 40) * 100, 1500 + (i / 40) * 100, 90 - i % 7, 90 - i % 5));
        printer.EndDoc();
        return QFileInfo(printer.OutputFileName()).size();
    };
    const qint64 plain = print(false);
    EXPECT_LE(print(true), plain + 64);
}

TEST_F(PrintersTest, PageRangePrintsOnlyThosePagesWithoutBlankOnes) {
    TPrinter printer;
    PrintRange(printer, 5, 2, 3);
    const QStringList texts = PdfPageTexts(printer.OutputFileName());
    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(texts[0].contains("Page 2"));
    EXPECT_TRUE(texts[1].contains("Page 3"));
    EXPECT_FALSE(texts.join(QString()).contains("Page 1"));
    EXPECT_FALSE(texts.join(QString()).contains("Page 4"));

    PrintRange(printer, 5, 1, 5);
    EXPECT_EQ(PdfPageTexts(printer.OutputFileName()).size(), 5);
}

TEST_F(PrintersTest, ThePdfPrinterWritesTheCopiesCollatedOrNot) {
    TPrinter printer;
    const auto job = [&printer](SmallInt copies, SmallInt collate) {
        DevMode mode = printer.Mode();
        mode.dmCopies = copies;
        mode.dmCollate = collate;
        printer.SetPrinter(QStringLiteral("Velmora PDF"), QString(), QString(), &mode);
        PrintRange(printer, 3, 1, 3);
        QStringList pages;
        for (const QString& text : PdfPageTexts(printer.OutputFileName())) pages << text.trimmed();
        return pages;
    };
    const QString p1 = QStringLiteral("Page 1"), p2 = QStringLiteral("Page 2"), p3 = QStringLiteral("Page 3");
    EXPECT_EQ(job(3, DMCOLLATE_TRUE), (QStringList{p1, p2, p3, p1, p2, p3, p1, p2, p3}));
    EXPECT_EQ(job(3, DMCOLLATE_FALSE), (QStringList{p1, p1, p1, p2, p2, p2, p3, p3, p3}));
    EXPECT_EQ(job(1, DMCOLLATE_TRUE), (QStringList{p1, p2, p3}));
    EXPECT_TRUE(QFile::exists(SavePdfPage(printer.OutputFileName(), 3, "printers_copies_p3")));
}

TEST_F(PrintersTest, CopiesRefuseAFileThatIsNoPdf) {
    const QString file = folder.filePath(QStringLiteral("not.pdf"));
    QFile junk(file);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("%PDF-1.4\nnothing else\n");
    junk.close();
    QString message;
    EXPECT_FALSE(WritePdfCopies(file, 2, true, message));
    EXPECT_TRUE(message.contains(file)) << message.toStdString();
    EXPECT_TRUE(WritePdfCopies(file, 1, true, message)) << "one copy is the file as it is";
    EXPECT_FALSE(WritePdfCopies(folder.filePath(QStringLiteral("missing.pdf")), 2, false, message));
}

TEST_F(PrintersTest, PageStartsAndEnds) {
    TPrinter printer;
    printer.BeginDoc();
    StartPage(printer.Handle());  // page 1 is already started
    WritePage(printer, "one");
    EndPage(printer.Handle());
    WritePage(printer, "two");  // drawing after an end starts the next page
    EXPECT_EQ(printer.PageNumber(), 2);
    printer.NewPage();
    printer.NewPage();  // an intended blank page
    WritePage(printer, "four");
    EndPage(printer.Handle());
    printer.EndDoc();
    const QStringList texts = PdfPageTexts(printer.OutputFileName());
    ASSERT_EQ(texts.size(), 4);
    EXPECT_TRUE(texts[0].contains("one"));
    EXPECT_TRUE(texts[1].contains("two"));
    EXPECT_TRUE(texts[2].trimmed().isEmpty());
    EXPECT_TRUE(texts[3].contains("four"));
    // Outside a job the brackets do nothing and drawing is dropped.
    EXPECT_EQ(StartPage(printer.Handle()), 0);
    printer.Canvas()->TextOut(0, 0, "lost");
    EXPECT_FALSE(printer.Printing());
}

TEST_F(PrintersTest, JobCallsOutOfOrderRaiseAndAbortLeavesNoFile) {
    TPrinter printer;
    EXPECT_THROW(printer.NewPage(), EPrinter);
    EXPECT_THROW(printer.EndDoc(), EPrinter);
    EXPECT_THROW(printer.Abort(), EPrinter);
    printer.SetTitle("aborted");
    printer.BeginDoc();
    EXPECT_THROW(printer.BeginDoc(), EPrinter);
    EXPECT_THROW(printer.SetPrinterIndex(0), EPrinter);
    EXPECT_THROW(printer.SetOrientation(poLandscape), EPrinter);
    WritePage(printer, "draft");
    printer.Abort();
    EXPECT_TRUE(printer.Aborted());
    EXPECT_FALSE(printer.Printing());
    EXPECT_TRUE(printer.OutputFileName().isEmpty());
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
    printer.BeginDoc();
    EXPECT_FALSE(printer.Aborted());
    printer.EndDoc();
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"aborted.pdf"});
}

TEST_F(PrintersTest, LandscapeAndLetterPages) {
    TPrinter printer;
    printer.SetOrientation(poLandscape);
    EXPECT_EQ(printer.Mode().dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_GT(printer.PageWidth(), printer.PageHeight());
    PrintRange(printer, 1, 1, 1);
    auto sizes = PdfPageSizes(printer.OutputFileName());
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_TRUE(SameSize(sizes[0], {297, 210}));

    QString device, driverName, port;
    DevMode* mode = nullptr;
    printer.GetPrinter(device, driverName, port, mode);
    mode->dmPaperSize = DMPAPER_LETTER;
    mode->dmOrientation = DMORIENT_PORTRAIT;
    printer.SetPrinter(device, driverName, port, mode);
    EXPECT_EQ(printer.Orientation(), poPortrait);
    PrintRange(printer, 2, 1, 2);
    sizes = PdfPageSizes(printer.OutputFileName());
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_TRUE(SameSize(sizes[1], {215.9, 279.4}));
}

TEST_F(PrintersTest, DefaultPaperFollowsTheMeasurementSetting) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    TPrinter us;
    EXPECT_EQ(us.Mode().dmPaperSize, DMPAPER_LETTER);
    PrintRange(us, 1, 1, 1);
    EXPECT_TRUE(SameSize(PdfPageSizes(us.OutputFileName()).at(0), {215.9, 279.4}));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(TPrinter().Mode().dmPaperSize, DMPAPER_A4);
}

TEST_F(PrintersTest, DeviceCapsMatchThePaperInEitherOrientation) {
    auto printer = WithTestDriver([](TTestDriver& d) { d.margins = QMarginsF(5, 4, 6, 8); });
    const HDC dc = printer->Handle();
    const auto pixels = [](double mm, int dpi) { return int(std::lround(mm * dpi / 25.4)); };
    for (const int dpi : {600, 300}) {
        QString device, driverName, port;
        DevMode* mode = nullptr;
        printer->GetPrinter(device, driverName, port, mode);
        mode->dmPrintQuality = SmallInt(dpi);
        printer->SetPrinter(device, driverName, port, mode);
        EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), dpi);
        EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), dpi);
        EXPECT_NEAR(GetDeviceCaps(dc, PHYSICALWIDTH), pixels(210, dpi), 1);
        EXPECT_NEAR(GetDeviceCaps(dc, PHYSICALHEIGHT), pixels(297, dpi), 1);
        EXPECT_NEAR(GetDeviceCaps(dc, PHYSICALOFFSETX), pixels(5, dpi), 1);
        EXPECT_NEAR(GetDeviceCaps(dc, PHYSICALOFFSETY), pixels(4, dpi), 1);
        EXPECT_NEAR(printer->PageWidth(), pixels(210 - 5 - 6, dpi), 1);
        EXPECT_NEAR(printer->PageHeight(), pixels(297 - 4 - 8, dpi), 1);
        EXPECT_EQ(printer->Canvas()->PixelsPerInch(), dpi);
    }
    const Integer portraitWidth = GetDeviceCaps(dc, PHYSICALWIDTH);
    const Integer portraitHeight = GetDeviceCaps(dc, PHYSICALHEIGHT);
    printer->SetOrientation(poLandscape);
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), portraitHeight);
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALHEIGHT), portraitWidth);
    EXPECT_NEAR(GetDeviceCaps(dc, PHYSICALOFFSETX), pixels(4, 300), 1);
}

TEST_F(PrintersTest, CanvasOriginIsTheTopLeftOfThePrintableArea) {
    auto printer = WithTestDriver([](TTestDriver& d) { d.margins = QMarginsF(20, 30, 0, 0); });
    printer->BeginDoc();
    printer->Canvas()->Font()->SetName(QStringLiteral("Arial"));
    printer->Canvas()->Font()->SetSize(12);
    printer->Canvas()->TextOut(0, 0, "Origin");
    const TSize extent = printer->Canvas()->TextExtent("Far");
    printer->Canvas()->TextOut(printer->PageWidth() - extent.cx, printer->PageHeight() - extent.cy, "Far");
    printer->NewPage();
    printer->Canvas()->TextOut(0, 0, "Second");
    printer->EndDoc();
    ASSERT_EQ(driver->submitted.size(), 1u);
    const QRectF origin = PdfWordBox(printer->OutputFileName(), "Origin");
    ASSERT_FALSE(origin.isEmpty());
    EXPECT_NEAR(origin.left(), 20 * kPointsPerMm, 2.0);
    EXPECT_NEAR(origin.top(), 30 * kPointsPerMm, 3.0);
    const QRectF far = PdfWordBox(printer->OutputFileName(), "Far");
    ASSERT_FALSE(far.isEmpty());
    EXPECT_NEAR(far.right(), 210 * kPointsPerMm, 2.0);
    EXPECT_NEAR(far.bottom(), 297 * kPointsPerMm, 3.0);
    const QRectF second = PdfWordBox(printer->OutputFileName(), "Second");
    EXPECT_NEAR(second.left(), origin.left(), 0.5);
    EXPECT_NEAR(second.top(), origin.top(), 0.5);
}

TEST_F(PrintersTest, PrinterWithoutResolutionReportsZeroAndStillPrints) {
    auto printer = WithTestDriver([](TTestDriver& d) { d.resolution = 0; });
    for (const Integer index : {LOGPIXELSX, LOGPIXELSY, PHYSICALWIDTH, PHYSICALHEIGHT, PHYSICALOFFSETX,
                                PHYSICALOFFSETY, HORZRES, VERTRES})
        EXPECT_EQ(GetDeviceCaps(printer->Handle(), index), 0) << index;
    EXPECT_EQ(printer->PageWidth(), 0);
    EXPECT_GT(printer->Canvas()->PixelsPerInch(), 0);
    printer->BeginDoc();
    WritePage(*printer, "still");
    printer->Canvas()->Rectangle(0, 0, 100, 100);
    printer->EndDoc();
    EXPECT_TRUE(PdfPageTexts(printer->OutputFileName()).join(QString()).contains("still"));
}

TEST_F(PrintersTest, SetPrinterTakesOnlyWhatTheDriverSupports) {
    auto printer = WithTestDriver([](TTestDriver& d) {
        d.extraFields = DM_DUPLEX | DM_COPIES | DM_COLLATE;
        d.papers = {DMPAPER_LETTER, DMPAPER_A4, DMPAPER_B5};
    });
    DevMode wanted = printer->Mode();
    wanted.dmDuplex = DMDUP_HORIZONTAL;
    wanted.dmCopies = 3;
    wanted.dmCollate = DMCOLLATE_TRUE;
    wanted.dmDefaultSource = DMBIN_LOWER;
    wanted.dmPaperSize = DMPAPER_B5;
    printer->SetPrinter("Test printer", "", "", &wanted);
    EXPECT_EQ(printer->Mode().dmDuplex, DMDUP_HORIZONTAL);
    EXPECT_EQ(printer->Copies(), 3);
    EXPECT_EQ(printer->Mode().dmDefaultSource, DMBIN_LOWER);
    EXPECT_EQ(printer->Mode().dmPaperSize, DMPAPER_B5);

    // Values the driver cannot take leave its defaults.
    DevMode bad = printer->Mode();
    bad.dmPaperSize = DMPAPER_A3;  // not in its paper list
    bad.dmDefaultSource = DMBIN_CASSETTE;
    bad.dmDuplex = 7;
    bad.dmOrientation = 0;
    printer->SetPrinter("Test printer", "", "", &bad);
    const DevMode defaults = printer->Driver().DefaultMode();
    EXPECT_EQ(printer->Mode().dmPaperSize, defaults.dmPaperSize);
    EXPECT_EQ(printer->Mode().dmDefaultSource, defaults.dmDefaultSource);
    EXPECT_EQ(printer->Mode().dmDuplex, defaults.dmDuplex);
    EXPECT_EQ(printer->Mode().dmOrientation, DMORIENT_PORTRAIT);
    EXPECT_THROW(printer->SetPrinter("No such printer", "", "", nullptr), EPrinter);
    EXPECT_THROW(printer->SetPrinterIndex(2), EPrinter);

    // The PDF printer has no duplex; it takes copies and collation.
    DevMode pdf = printer->Mode();
    pdf.dmDuplex = DMDUP_VERTICAL;
    pdf.dmCopies = 4;
    printer->SetPrinter("Velmora PDF", "", "", &pdf);
    EXPECT_EQ(printer->PrinterIndex(), 0);
    EXPECT_FALSE(printer->Mode().dmFields & DM_DUPLEX);
    EXPECT_EQ(printer->Copies(), 4);
    EXPECT_EQ(printer->Mode().dmCollate, DMCOLLATE_TRUE);
    printer->SetPrinter("Test printer", "", "", nullptr);
    EXPECT_EQ(printer->Mode(), printer->Driver().DefaultMode());
}

TEST_F(PrintersTest, UserPaperSizePrintsAtItsLengthAndWidth) {
    TPrinter printer;
    DevMode mode = printer.Mode();
    mode.dmPaperSize = DMPAPER_USER;
    mode.dmPaperWidth = 1000;
    mode.dmPaperLength = 1480;
    printer.SetPrinter("Velmora PDF", "", "", &mode);
    EXPECT_EQ(DevModePaperSize(printer.Mode()), QSizeF(100, 148));
    PrintRange(printer, 1, 1, 1);
    EXPECT_TRUE(SameSize(PdfPageSizes(printer.OutputFileName()).at(0), {100, 148}));
    // A user size without its length and width falls back to the default paper.
    mode.dmPaperWidth = mode.dmPaperLength = 0;
    printer.SetPrinter("Velmora PDF", "", "", &mode);
    EXPECT_EQ(printer.Mode().dmPaperSize, DMPAPER_A4);
}

TEST_F(PrintersTest, SubmitFailureIsReportedAndThePrinterStaysUsable) {
    auto printer = WithTestDriver([](TTestDriver& d) { d.refuse = QStringLiteral("queue stopped"); });
    printer->BeginDoc();
    try {
        printer->EndDoc();
        FAIL() << "no error";
    } catch (const EPrinter& e) {
        EXPECT_TRUE(e.Message().contains("queue stopped"));
        EXPECT_TRUE(e.Message().contains("Test printer"));
    }
    EXPECT_FALSE(printer->Printing());
    driver->refuse.clear();
    printer->BeginDoc();
    printer->EndDoc();
    EXPECT_EQ(driver->submitted.size(), 2u);
}

TEST_F(PrintersTest, PaperAndBinListsAsThePlatformAsksThem) {
    TPrinter& printer = *Printer();
    const QString pdf = printer.Printers()->Get(0);
    const Integer count = DeviceCapabilities(pdf, "", DC_PAPERS, nullptr);
    ASSERT_GT(count, 10);
    std::vector<Word> codes(size_t(count), 0);
    EXPECT_EQ(DeviceCapabilities(pdf, "", DC_PAPERS, codes.data()), count);
    EXPECT_EQ(codes, printer.Papers());
    std::vector<TPoint> sizes(static_cast<size_t>(count));
    DeviceCapabilities(pdf, "", DC_PAPERSIZE, sizes.data());
    std::vector<WideChar> names(size_t(count) * 64);
    DeviceCapabilities(pdf, "", DC_PAPERNAMES, names.data());
    const auto a4 = std::find(codes.begin(), codes.end(), Word(DMPAPER_A4)) - codes.begin();
    ASSERT_LT(a4, count);
    EXPECT_EQ(sizes[size_t(a4)].X, 2100);
    EXPECT_EQ(sizes[size_t(a4)].Y, 2970);
    EXPECT_TRUE(QString(&names[size_t(a4) * 64]).startsWith("A4"));
    EXPECT_EQ(DeviceCapabilities(pdf, "", DC_BINS, nullptr), Integer(printer.Bins().size()));
    EXPECT_EQ(DeviceCapabilities(pdf, "", DC_DUPLEX, nullptr), 0);
    EXPECT_EQ(DeviceCapabilities(pdf, "", DC_COLORDEVICE, nullptr), 1);
    EXPECT_EQ(DeviceCapabilities("No such printer", "", DC_PAPERS, nullptr), -1);
    EXPECT_EQ(DeviceCapabilities(pdf, "", 9999, nullptr), -1);
}

TEST_F(PrintersTest, CupsOptionsFollowTheDeviceMode) {
    DevMode mode;
    mode.dmFields = DM_PAPERSIZE | DM_COPIES | DM_COLLATE | DM_DUPLEX | DM_COLOR | DM_DEFAULTSOURCE;
    mode.dmPaperSize = DMPAPER_A4;
    mode.dmCopies = 2;
    mode.dmCollate = DMCOLLATE_TRUE;
    mode.dmDuplex = DMDUP_VERTICAL;
    mode.dmColor = DMCOLOR_MONOCHROME;
    mode.dmDefaultSource = DMBIN_MANUAL;
    using Options = std::vector<std::pair<QByteArray, QByteArray>>;
    EXPECT_EQ(CupsJobOptions(mode), (Options{{"media", "A4"},
                                             {"copies", "2"},
                                             {"collate", "true"},
                                             {"sides", "two-sided-long-edge"},
                                             {"print-color-mode", "monochrome"},
                                             {"media-source", "manual"}}));
    mode.dmFields = DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_DUPLEX;
    mode.dmPaperSize = DMPAPER_USER;
    mode.dmPaperWidth = 1000;
    mode.dmPaperLength = 1485;
    mode.dmDuplex = DMDUP_HORIZONTAL;
    EXPECT_EQ(CupsJobOptions(mode), (Options{{"media", "Custom.100x148.5mm"}, {"sides", "two-sided-short-edge"}}));
}

TEST_F(PrintersTest, JobFileNamesAreSafeAndNew) {
    EXPECT_EQ(QFileInfo(PdfJobFileName(folder.path(), "a/b:c*?")).fileName(), "a_b_c__.pdf");
    EXPECT_EQ(QFileInfo(PdfJobFileName(folder.path(), "  ")).fileName(), "document.pdf");
    EXPECT_EQ(QFileInfo(PdfJobFileName(folder.path(), "../up")).fileName(), "document.._up.pdf");
    QFile taken(folder.filePath("report.pdf"));
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    EXPECT_EQ(QFileInfo(PdfJobFileName(folder.path(), "report")).fileName(), "report (2).pdf");
    EXPECT_EQ(PdfPrinterFolder(), folder.path());
    qunsetenv("VELMORA_PDF_DIR");
    EXPECT_TRUE(PdfPrinterFolder().endsWith("/VelmoraPDF"));
}

// libcups (and the TLS, Kerberos and service-discovery libraries behind
// it) loads with the first job for a queue, not with every program.
TEST(CupsLibrary, IsNotLinkedIntoPrograms) {
    const char* strings = nullptr;
    for (const ElfW(Dyn)* d = _DYNAMIC; d->d_tag != DT_NULL; ++d)
        if (d->d_tag == DT_STRTAB) strings = reinterpret_cast<const char*>(d->d_un.d_ptr);
    ASSERT_NE(strings, nullptr);
    std::vector<std::string> needed;
    for (const ElfW(Dyn)* d = _DYNAMIC; d->d_tag != DT_NULL; ++d)
        if (d->d_tag == DT_NEEDED) needed.emplace_back(strings + d->d_un.d_val);
    EXPECT_NE(std::find(needed.begin(), needed.end(), "libQt6PrintSupport.so.6"), needed.end());
    for (const std::string& library : needed) EXPECT_EQ(library.find("libcups"), std::string::npos) << library;
}

}  // namespace
