// A report run: where each band goes (page, column, position in tenths of
// a millimetre), worked out by hand for an A4 portrait page with 10 mm
// margins (printable length 2770 from y 100 to 2870).
#include "QRReport.h"

#include "EmfSvg.h"
#include "Metafile.h"
#include "PdfTools.h"
#include "QRPrntrPrinterSupport.h"
#include "QRPrntrTestSupport.h"
#include "QRReportTestSupport.h"
#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <cmath>
#include <limits>
#include <memory>
#include <tuple>

namespace {

// A control that asks for more height, line by line, while it prints.
class TStretcher : public TQRPrintable {
public:
    using TQRPrintable::TQRPrintable;
    int Grow = 0;
    Extended Step = 0;
    std::vector<bool> Answers;

    void Print(Integer X, Integer Y) override
    {
        auto* band = static_cast<TQRCustomBand*>(Parent());
        bool done = false;
        for (int i = 0; i < Grow; ++i) {
            Extended height = 0;
            Answers.push_back(ParentReport()->ExpandBand(band, Step, height, done));
        }
        TQRPrintable::Print(X, Y);
    }
};

// A control with more to print in the next column, Columns times over
// (or for ever when Columns < 0).
class TSpanner : public TQRPrintable {
public:
    using TQRPrintable::TQRPrintable;
    int Columns = 0;
    int Printed = 0;

    void Print(Integer X, Integer Y) override
    {
        ++Printed;
        SetFinished(Columns >= 0 && Printed >= Columns);
        TQRPrintable::Print(X, Y);
    }
};

using Placed = std::tuple<QString, Integer, Integer, Integer, Integer, Integer>;  // name, page, column, x, y, h

class QRRun : public QRReportFixture {
protected:
    void SetUp() override
    {
        QRReportFixture::SetUp();
        report->OnBandPlaced = [this](const TQRBandPlaced& p) {
            placed.emplace_back(p.Band->Name(), p.Page, p.Column, p.X, p.Y, p.Height);
        };
    }

    std::vector<Placed> OnPage(Integer page) const
    {
        std::vector<Placed> list;
        for (const Placed& p : placed)
            if (std::get<1>(p) == page)
                list.push_back(p);
        return list;
    }

    // Runs walk and answers where each page ends in the page store.
    std::vector<Integer> RecordEndsOf(const std::function<void(TScriptReport&)>& walk)
    {
        printer->PageList().SetSizeLimit(std::numeric_limits<Integer>::max());
        Run(walk);
        const QString file = QDir(TestOutputDir()).filePath(QStringLiteral("qrrun-measure.VOZ"));
        printer->Save(file);
        return RecordEnds(ReadFileBytes(file));
    }

    std::vector<Placed> placed;
};

}  // namespace

TEST_F(QRRun, PagesHeadersFootersAndSummary)
{
    TQRBand* detail = Band("Detail", rbDetail, 10);
    TQRBand* title = Band("Title", rbTitle, 20);
    Band("Header", rbPageHeader, 10);
    Band("Footer", rbPageFooter, 15);
    TQRBand* summary = Band("Summary", rbSummary, 5);
    Run([&](TScriptReport& r) {
        r.PrintBand(title);
        for (int i = 0; i < 30; ++i)
            r.PrintBand(detail);
        r.PrintBand(summary);
    });

    // Page 1: header at 100, title at 200, details from 400; the footer
    // keeps 150 free, so 23 details fit (the last ends at 2700 <= 2720).
    std::vector<Placed> page1 = {{"Header", 1, 1, 100, 100, 100}, {"Title", 1, 1, 100, 200, 200}};
    for (int i = 0; i < 23; ++i)
        page1.emplace_back("Detail", 1, 1, 100, 400 + 100 * i, 100);
    page1.emplace_back("Footer", 1, 1, 100, 2720, 150);
    EXPECT_EQ(OnPage(1), page1);

    std::vector<Placed> page2 = {{"Header", 2, 1, 100, 100, 100}};
    for (int i = 0; i < 7; ++i)
        page2.emplace_back("Detail", 2, 1, 100, 200 + 100 * i, 100);
    page2.emplace_back("Summary", 2, 1, 100, 900, 50);
    page2.emplace_back("Footer", 2, 1, 100, 2720, 150);
    EXPECT_EQ(OnPage(2), page2);
    EXPECT_EQ(printer->PageCount(), 2);
    EXPECT_TRUE(report->Available());
    EXPECT_EQ(report->Units(), TQRUnit::MM);
}

TEST_F(QRRun, FirstPageHeaderAndLastPageFooterOff)
{
    TQRBand* detail = Band("Detail", rbDetail, 100);
    Band("Header", rbPageHeader, 10);
    Band("Footer", rbPageFooter, 10);
    report->SetOptions({});
    Run([&](TScriptReport& r) {
        for (int i = 0; i < 3; ++i)
            r.PrintBand(detail);
    });
    // 2970 - 100 - 100 (footer) - 100 = 2670 per page: two 1000 details.
    const std::vector<Placed> expected = {
        {"Detail", 1, 1, 100, 100, 1000}, {"Detail", 1, 1, 100, 1100, 1000}, {"Footer", 1, 1, 100, 2770, 100},
        {"Header", 2, 1, 100, 100, 100},  {"Detail", 2, 1, 100, 200, 1000},
    };
    EXPECT_EQ(placed, expected);
}

TEST_F(QRRun, ThreeColumns)
{
    report->Page()->SetColumns(3);
    report->Page()->SetColumnSpace(5);
    report->SetReportTitle(QStringLiteral("Sales by area"));
    TQRBand* detail = Band("Detail", rbDetail, 100);
    // The report's named expressions follow the page and column.
    std::vector<std::pair<Integer, Integer>> numbers;
    detail->AfterPrint = [&](TQRCustomBand*, bool) {
        numbers.emplace_back(report->Functions()->Value("PAGENUMBER").IntResult,
                             report->Functions()->Value("COLUMNNUMBER").IntResult);
        EXPECT_EQ(report->Functions()->Value("REPORTTITLE").Text(), QStringLiteral("Sales by area"));
    };
    Run([&](TScriptReport& r) {
        for (int i = 0; i < 7; ++i)
            r.PrintBand(detail);
    });
    EXPECT_EQ(numbers, (std::vector<std::pair<Integer, Integer>>{{1, 1}, {1, 1}, {1, 2}, {1, 2}, {1, 3}, {1, 3}, {2, 1}}));
    EXPECT_FALSE(report->Functions()->Prepared()) << "released after the run";
    // Column width (1900 - 2 x 50) / 3 = 600: columns at 100, 750, 1400.
    const std::vector<Placed> expected = {
        {"Detail", 1, 1, 100, 100, 1000},  {"Detail", 1, 1, 100, 1100, 1000},
        {"Detail", 1, 2, 750, 100, 1000},  {"Detail", 1, 2, 750, 1100, 1000},
        {"Detail", 1, 3, 1400, 100, 1000}, {"Detail", 1, 3, 1400, 1100, 1000},
        {"Detail", 2, 1, 100, 100, 1000},
    };
    EXPECT_EQ(placed, expected);
}

TEST_F(QRRun, ABandTallerThanThePagePrintsInPlace)
{
    TQRBand* tall = Band("Tall", rbDetail, 300);
    TQRBand* small = Band("Small", rbDetail, 5);
    Run([&](TScriptReport& r) {
        r.PrintBand(tall);
        r.PrintBand(small);
        r.PrintBand(tall);
    });
    const std::vector<Placed> expected = {
        {"Tall", 1, 1, 100, 100, 3000}, {"Small", 2, 1, 100, 100, 50}, {"Tall", 2, 1, 100, 150, 3000}};
    EXPECT_EQ(placed, expected);
}

TEST_F(QRRun, DisabledBandsAndBeforePrintVeto)
{
    TQRBand* off = Band("Off", rbDetail, 10);
    TQRBand* veto = Band("Veto", rbDetail, 10);
    TQRBand* on = Band("On", rbDetail, 10);
    off->SetEnabled(false);
    std::vector<QString> events;
    for (TQRBand* b : {off, veto, on}) {
        b->BeforePrint = [&](TQRCustomBand* s, bool& print) {
            events.push_back("before " + s->Name());
            if (s == veto)
                print = false;
        };
        b->AfterPrint = [&](TQRCustomBand* s, bool printed) {
            events.push_back("after " + s->Name() + (printed ? " yes" : " no"));
        };
    }
    Run([&](TScriptReport& r) {
        r.PrintBand(off);
        r.PrintBand(veto);
        EXPECT_EQ(r.PageNumber(), 0) << "nothing printed yet, no page begun";
        r.PrintBand(on);
    });
    EXPECT_EQ(events, (std::vector<QString>{"after Off no", "before Veto", "after Veto no", "before On", "after On yes"}));
    EXPECT_EQ(placed, (std::vector<Placed>{{"On", 1, 1, 100, 100, 100}}));
}

TEST_F(QRRun, ChildBandsBeforeAndAfter)
{
    TQRBand* detail = Band("Detail", rbDetail, 10);
    detail->SetHasChild(true);
    TQRChildBand* child = detail->ChildBand();
    child->SetName("Child");
    child->Size()->SetHeight(4);
    child->SetPrintOrder(cboBeforeAndAfter);
    Run([&](TScriptReport& r) { r.PrintBand(detail); });
    const std::vector<Placed> expected = {
        {"Child", 1, 1, 100, 100, 40}, {"Detail", 1, 1, 100, 140, 100}, {"Child", 1, 1, 100, 240, 40}};
    EXPECT_EQ(placed, expected);
}

TEST_F(QRRun, FirstForcedBreakIsTakenWithoutATitle)
{
    TQRBand* detail = Band("Detail", rbDetail, 10);
    TQRBand* summary = Band("Summary", rbSummary, 10);
    summary->SetForceNewPage(true);
    Run([&](TScriptReport& r) {
        r.PrintBand(detail);
        r.PrintBand(summary);
    });
    EXPECT_EQ(placed, (std::vector<Placed>{{"Detail", 1, 1, 100, 100, 100}, {"Summary", 2, 1, 100, 100, 100}}));
}

TEST_F(QRRun, OneForcedBreakRightAfterTheTitleIsSwallowed)
{
    TQRBand* title = Band("Title", rbTitle, 10);
    TQRBand* group = Band("Group", rbDetail, 10);
    group->SetForceNewPage(true);
    Run([&](TScriptReport& r) {
        r.PrintBand(title);
        r.PrintBand(group);
        r.PrintBand(group);
    });
    const std::vector<Placed> expected = {
        {"Title", 1, 1, 100, 100, 100}, {"Group", 1, 1, 100, 200, 100}, {"Group", 2, 1, 100, 100, 100}};
    EXPECT_EQ(placed, expected);
}

TEST_F(QRRun, SwallowedForcedBreakStillChecksTheSpace)
{
    TQRBand* title = Band("Title", rbTitle, 270);
    TQRBand* group = Band("Group", rbDetail, 10);
    group->SetForceNewPage(true);
    Run([&](TScriptReport& r) {
        r.PrintBand(title);
        r.PrintBand(group);  // 70 left below the title: too little
    });
    EXPECT_EQ(placed, (std::vector<Placed>{{"Title", 1, 1, 100, 100, 2700}, {"Group", 2, 1, 100, 100, 100}}));
}

TEST_F(QRRun, PageHeaderTallerThanThePageEndsWithoutRecursion)
{
    Band("Header", rbPageHeader, 300);
    TQRBand* detail = Band("Detail", rbDetail, 10);
    Run([&](TScriptReport& r) {
        for (int i = 0; i < 3; ++i)
            r.PrintBand(detail);
    });
    // Each detail finds no room below the header and takes a page of its own.
    EXPECT_EQ(printer->PageCount(), 3);
    EXPECT_EQ(OnPage(3).back(), Placed("Detail", 3, 1, 100, 3100, 100));
}

TEST_F(QRRun, PaperOfLengthZeroPrintsOnePage)
{
    TQRPage* page = report->Page();
    page->SetPaperSize(TQRPaperSize::Custom);
    page->SetLength(0);
    TQRBand* detail = Band("Detail", rbDetail, 10);
    Run([&](TScriptReport& r) {
        for (int i = 0; i < 3; ++i)
            r.PrintBand(detail);
    });
    EXPECT_EQ(placed.size(), 3u);
    EXPECT_EQ(std::get<1>(placed.back()), 1);
    EXPECT_EQ(page->TopMargin(), 0) << "negative printable length drops the margins";
}

TEST_F(QRRun, StretchingControlsKeepGrowingWhileTheBandFits)
{
    TQRBand* detail = Band("Detail", rbDetail, 10);
    auto* stretcher = new TStretcher(report.get());
    stretcher->SetParent(detail);
    stretcher->Grow = 3;
    stretcher->Step = 50;
    Run([&](TScriptReport& r) { r.PrintBand(detail); });
    EXPECT_EQ(stretcher->Answers, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(placed, (std::vector<Placed>{{"Detail", 1, 1, 100, 100, 250}}));
    EXPECT_FALSE(stretcher->IsPrinting()) << "unprepared after the run";
}

TEST_F(QRRun, AColumnHeaderAfterABreakCannotForceASecondPage)
{
    Band("Header", rbPageHeader, 10);
    TQRBand* column = Band("Columns", rbColumnHeader, 10);
    column->SetForceNewPage(true);
    TQRBand* detail = Band("Detail", rbDetail, 100);
    Run([&](TScriptReport& r) {
        for (int i = 0; i < 4; ++i)
            r.PrintBand(detail);
    });
    // Page 1: header, two details (to 2200; 2870 - 2200 < 1000). Page 2:
    // header, column header, details: never a page of headers only.
    EXPECT_EQ(printer->PageCount(), 2);
    const std::vector<Placed> page2 = {{"Header", 2, 1, 100, 100, 100},
                                       {"Columns", 2, 1, 100, 200, 100},
                                       {"Detail", 2, 1, 100, 300, 1000},
                                       {"Detail", 2, 1, 100, 1300, 1000}};
    EXPECT_EQ(OnPage(2), page2);
}

TEST_F(QRRun, SummaryUsesTheFooterSpaceOnlyForItsFitTest)
{
    report->SetOptions({TRazorUzeortOption::FirstPageHeader});  // no footer on the last page
    Band("Footer", rbPageFooter, 15);
    TQRBand* filler = Band("Filler", rbDetail, 262);  // 100 .. 2720: no room left above the footer
    TQRBand* summary = Band("Summary", rbSummary, 20);
    Run([&](TScriptReport& r) {
        r.PrintBand(filler);
        r.PrintBand(summary);  // 150 left with the footer's space: still too little
    });
    // The summary breaks; page 1's footer stays where footers go.
    const std::vector<Placed> expected = {
        {"Filler", 1, 1, 100, 100, 2620}, {"Footer", 1, 1, 100, 2720, 150}, {"Summary", 2, 1, 100, 100, 200}};
    EXPECT_EQ(placed, expected);
}

TEST_F(QRRun, SummaryMayTakeTheFooterSpaceOnTheLastPage)
{
    report->SetOptions({TRazorUzeortOption::FirstPageHeader});
    Band("Footer", rbPageFooter, 15);
    TQRBand* filler = Band("Filler", rbDetail, 262);
    TQRBand* summary = Band("Summary", rbSummary, 10);
    Run([&](TScriptReport& r) {
        r.PrintBand(filler);
        r.PrintBand(summary);
    });
    EXPECT_EQ(placed, (std::vector<Placed>{{"Filler", 1, 1, 100, 100, 2620}, {"Summary", 1, 1, 100, 2720, 100}}));
}

TEST_F(QRRun, LinkedHeightsAddTenthsOnly)
{
    TQRBand* first = Band("First", rbDetail, 7);
    TQRBand* detail = Band("Detail", rbDetail, 10);
    TQRBand* linked = Band("Linked", rbDetail, 10);
    TQRBand* a = Band("A", rbDetail, 10);
    a->SetLinkBand(linked);
    Run([&](TScriptReport& r) {
        r.PrintBand(first);
        for (int i = 0; i < 25; ++i)
            r.PrintBand(detail);
        r.PrintBand(a);  // 200 left: exactly A and its linked band
    });
    EXPECT_EQ(placed.back(), Placed("A", 1, 1, 100, 2670, 100));
}

TEST_F(QRRun, AlignToBottom)
{
    Band("Footer", rbPageFooter, 15);
    TQRBand* detail = Band("Detail", rbDetail, 10);
    TQRBand* big = Band("Big", rbDetail, 200);
    big->SetAlignToBottom(true);
    TQRBand* bottom = Band("Bottom", rbSummary, 5);
    bottom->SetAlignToBottom(true);
    Run([&](TScriptReport& r) {
        r.PrintBand(detail);
        r.PrintBand(detail);
        r.PrintBand(big);     // 2000 + 100 + 150 <= 2970 - 300: y = 2970 - 2000 - 250 = 720
        r.PrintBand(bottom);  // 50 + 250 > 2970 - 2720: stays, then breaks to page 2
        r.PrintBand(bottom);  // y = 2970 - 50 - 250 = 2670
    });
    const std::vector<Placed> expected = {
        {"Detail", 1, 1, 100, 100, 100}, {"Detail", 1, 1, 100, 200, 100}, {"Big", 1, 1, 100, 720, 2000},
        {"Footer", 1, 1, 100, 2720, 150}, {"Bottom", 2, 1, 100, 100, 50},  {"Bottom", 2, 1, 100, 2670, 50},
        {"Footer", 2, 1, 100, 2720, 150},
    };
    EXPECT_EQ(placed, expected);
}

TEST_F(QRRun, AControlThatNeverFinishesEndsWithAnError)
{
    TQRBand* detail = Band("Detail", rbDetail, 10);
    auto* spanner = new TSpanner(report.get());
    spanner->SetParent(detail);
    spanner->Columns = -1;
    EXPECT_THROW(Run([&](TScriptReport& r) { r.PrintBand(detail); }), EQRError);
    EXPECT_EQ(spanner->Printed, QRMaxBandPasses);
    // The run unwound: the report, its units, its controls and the printer are free again.
    EXPECT_TRUE(report->Available());
    EXPECT_EQ(report->Units(), TQRUnit::MM);
    EXPECT_FALSE(spanner->IsPrinting());
    EXPECT_EQ(printer->Status(), mpFinished);
}

TEST_F(QRRun, AControlOverThreeColumnsPrintsAloneInTheLaterOnes)
{
    report->Page()->SetColumns(3);
    TQRBand* detail = Band("Detail", rbDetail, 10);
    auto* spanner = new TSpanner(report.get());
    spanner->SetParent(detail);
    spanner->Columns = 3;
    auto* other = new TSpanner(report.get());
    other->SetParent(detail);
    other->Columns = 1;
    Run([&](TScriptReport& r) { r.PrintBand(detail); });
    EXPECT_EQ(spanner->Printed, 3);
    EXPECT_EQ(other->Printed, 1);
    // Placed where it began; it ends in the third column.
    EXPECT_EQ(placed, (std::vector<Placed>{{"Detail", 1, 1, 100, 100, 100}}));
    EXPECT_EQ(printer->PageCount(), 1) << "three columns of page 1";
}

TEST_F(QRRun, AnErrorInABandUnwindsTheRun)
{
    TQRBand* detail = Band("Detail", rbDetail, 10);
    auto* control = new TQRPrintable(report.get());
    control->SetParent(detail);
    detail->BeforePrint = [](TQRCustomBand*, bool&) { throw EQRError("no data"); };
    EXPECT_THROW(Run([&](TScriptReport& r) { r.PrintBand(detail); }), EQRError);
    EXPECT_TRUE(report->Available());
    EXPECT_EQ(report->Units(), TQRUnit::MM);
    EXPECT_EQ(detail->Size()->Units(), TQRUnit::MM);
    EXPECT_FALSE(control->IsPrinting());
    EXPECT_EQ(printer->Status(), mpFinished);

    // The next run works.
    detail->BeforePrint = nullptr;
    printer->Cleanup();
    Run([&](TScriptReport& r) { r.PrintBand(detail); });
    EXPECT_EQ(placed, (std::vector<Placed>{{"Detail", 1, 1, 100, 100, 100}}));
}

// A store that reaches its size limit (2 GB; lowered here) on page 4, when
// a page break stores it and when the end of the document does: the run
// ends with that error, the three pages before it stay whole (a saved copy
// reads back), and the temporary file goes with the pages.
TEST_F(QRRun, AStoreFullAtItsLimitEndsTheRunWithItsErrorAndKeepsThePages)
{
    QTemporaryDir tmp;
    ScopedEnv env("TMPDIR", tmp.path());
    const auto vozFiles = [&] { return QDir(tmp.path()).entryList({QStringLiteral("VOZ*")}, QDir::Files); };
    TQRBand* detail = Band("Detail", rbDetail, 100);  // two to a page
    for (const int details : {40, 8}) {
        const auto walk = [&](TScriptReport& r) {
            for (int i = 0; i < details; ++i)
                r.PrintBand(detail);
        };
        const Integer limit = RecordEndsOf(walk).at(2);
        std::vector<QByteArray> pages;
        for (Integer n = 1; n <= 3; ++n)
            pages.push_back(printer->GetPage(n)->Data());
        printer->Cleanup();

        printer->PrinterSettings().MemoryLimit = 0;  // every page goes to the temporary file
        printer->PageList().SetSizeLimit(limit);
        try {
            Run(walk);
            ADD_FAILURE() << "the run went past the limit";
        } catch (const EOverflow& e) {
            EXPECT_EQ(e.Message(),
                      "The report page store has grown past 2 GB at page 4; the pages before it are kept");
        }
        EXPECT_TRUE(report->Available());
        EXPECT_EQ(printer->Status(), mpFinished) << details;
        ASSERT_EQ(printer->PageCount(), 3) << details;
        for (Integer n = 1; n <= 3; ++n)
            EXPECT_EQ(printer->GetPage(n)->Data(), pages[size_t(n - 1)]) << n;
        EXPECT_EQ(printer->GetPage(4), nullptr);
        const QString kept = tmp.filePath(QStringLiteral("kept.VOZ"));
        printer->Save(kept);
        TQRPrinter reader;
        reader.Load(kept);
        EXPECT_EQ(reader.PageCount(), 3);
        EXPECT_EQ(vozFiles().size(), 1);
        printer->Cleanup();
        EXPECT_TRUE(vozFiles().isEmpty());
    }
}

// An error in a band on a page the store has no room for: closing the
// document fails too, and the band's error is the one the caller gets.
TEST_F(QRRun, AnErrorWhileTheRunUnwindsGivesWayToTheFirst)
{
    TQRBand* detail = Band("Detail", rbDetail, 100);
    const auto walk = [&](TScriptReport& r) {
        for (int i = 0; i < 7; ++i)
            r.PrintBand(detail);
    };
    const Integer limit = RecordEndsOf(walk).at(2);
    printer->Cleanup();
    printer->PageList().SetSizeLimit(limit);
    try {
        Run([&](TScriptReport& r) {
            walk(r);
            throw EQRError("no data");
        });
        ADD_FAILURE() << "no error";
    } catch (const EQRError& e) {
        EXPECT_EQ(e.Message(), "no data");
    }
    EXPECT_TRUE(report->Available());
    EXPECT_EQ(printer->Status(), mpFinished);
    EXPECT_EQ(printer->PageCount(), 3);
}

TEST_F(QRRun, ReportBeforePrintVetoBeginsNoDocument)
{
    TQRBand* detail = Band("Detail", rbDetail, 10);
    report->BeforePrint = [](TCustomRazorUze*, bool& print) { print = false; };
    Run([&](TScriptReport& r) { r.PrintBand(detail); });
    EXPECT_TRUE(placed.empty());
    EXPECT_EQ(printer->Status(), mpReady);
    EXPECT_TRUE(report->Available());
}

TEST_F(QRRun, PagesInTheStoreReadByAnotherReader)
{
    if (ConverterMissing())
        GTEST_SKIP() << "emf2svg-conv is not installed (scripts/install-deps.sh installs it)";
    TQRBand* title = Band("Title", rbTitle, 20);
    title->SetColor(clYellow);
    TQRBand* detail = Band("Detail", rbDetail, 10);
    detail->SetColor(clAqua);
    Run([&](TScriptReport& r) {
        r.PrintBand(title);
        r.PrintBand(detail);
    });
    ASSERT_EQ(printer->PageCount(), 1);
    const auto page = printer->GetPage(1);
    ASSERT_NE(page, nullptr);
    const auto svg = ConvertToSvg(*page, QStringLiteral("qrreport-run-page1"));
    // Band fills at 96 dpi: x 100 -> 38, title y 100..300 -> 38..113,
    // detail y 300..400 -> 113..151, width 1900 -> 718 (38..756).
    // The reader draws a fill as a closed path "M x,y L ... Z": take its bounds.
    struct Box { double x, y, w, h; QString fill; };
    std::vector<Box> boxes;
    for (const SvgElement& e : Named(svg, "path")) {
        const QStringList numbers = e.attributes.value(QLatin1String("d")).toString().split(
            QRegularExpression(QStringLiteral("[^0-9.]+")), Qt::SkipEmptyParts);
        if (numbers.size() < 8)
            continue;
        double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
        for (qsizetype i = 0; i + 1 < numbers.size(); i += 2) {
            x0 = std::min(x0, numbers[i].toDouble());
            x1 = std::max(x1, numbers[i].toDouble());
            y0 = std::min(y0, numbers[i + 1].toDouble());
            y1 = std::max(y1, numbers[i + 1].toDouble());
        }
        boxes.push_back({x0, y0, x1 - x0, y1 - y0, e.attributes.value(QLatin1String("style")).toString()});
    }
    auto found = [&](double x, double y, double w, double h, const char* fill) {
        for (const Box& b : boxes)
            if (std::abs(b.x - x) <= 1 && std::abs(b.y - y) <= 1 && std::abs(b.w - w) <= 1 &&
                std::abs(b.h - h) <= 1 && b.fill.contains(QLatin1String(fill)))
                return true;
        return false;
    };
    EXPECT_TRUE(found(38, 38, 718, 75, "#ffff00")) << "title band";
    EXPECT_TRUE(found(38, 113, 718, 38, "#00ffff")) << "detail band";
}

TEST_F(QRRun, PrintGoesToThePrinterAsAPdf)
{
    TPdfFolder pdf;
    TQRBand* detail = Band("Detail", rbDetail, 100);
    report->Walk = [&](TScriptReport& r) {
        for (int i = 0; i < 5; ++i)
            r.PrintBand(detail);
    };
    report->Print();
    EXPECT_EQ(report->QRPrinter(), printer.get()) << "the previous report printer is back";
    EXPECT_TRUE(report->Available());
    const QStringList files = QDir(pdf.Path()).entryList({QStringLiteral("*.pdf")}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    // Two 100 mm details to a page: three A4 pages.
    const std::vector<QSizeF> pages = PdfPageSizes(pdf.Path() + QLatin1Char('/') + files[0]);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_NEAR(pages[0].width(), 595, 1);
    EXPECT_NEAR(pages[0].height(), 842, 1);
    EXPECT_EQ(placed.size(), 5u);
}

TEST_F(QRRun, CancelEndsTheDocumentUnfinished)
{
    Band("Footer", rbPageFooter, 10);
    TQRBand* detail = Band("Detail", rbDetail, 100);
    Run([&](TScriptReport& r) {
        r.PrintBand(detail);
        r.Cancel();
        EXPECT_TRUE(r.Cancelled());
        EXPECT_TRUE(printer->Cancelled());
    });
    // No footer on the cancelled last page.
    EXPECT_EQ(placed, (std::vector<Placed>{{"Detail", 1, 1, 100, 100, 1000}}));
    EXPECT_EQ(printer->Status(), mpFinished);
    EXPECT_TRUE(report->Available());
    report->Cancel();
    EXPECT_TRUE(report->Cancelled()) << "outside a run Cancel leaves the run's answer";
}

TEST_F(QRRun, TheFirstForcedColumnOfARunOnlyMarksItself)
{
    report->Page()->SetColumns(3);
    TQRBand* detail = Band("Detail", rbDetail, 10);
    detail->SetForceNewColumn(true);
    Run([&](TScriptReport& r) {
        for (int i = 0; i < 4; ++i)
            r.PrintBand(detail);
    });
    const std::vector<Placed> expected = {
        {"Detail", 1, 1, 100, 100, 100}, {"Detail", 1, 1, 100, 200, 100},
        {"Detail", 1, 2, 100 + 633, 100, 100}, {"Detail", 1, 3, 100 + 2 * 633, 100, 100}};
    EXPECT_EQ(placed, expected);
}
