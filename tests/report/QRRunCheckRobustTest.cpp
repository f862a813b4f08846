// Runs that stop early or are started again: a cancel or an error from a
// handler in the middle of a run, the same report run twice, and hostile
// sizes and values. A later run must print as if nothing had happened.
#include "QRRunCheckSupport.h"

#include "DBClient.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

class QRRunCheckRobust : public QRRunCheckFixture {
protected:
    // No data set: the detail prints once, its label stretching over pages.
    TQRLabel* StretchingLabel(int lines)
    {
        TQRBand* detail = Make("Detail", rbDetail, 5);
        QStringList text;
        for (int i = 1; i <= lines; ++i)
            text << QStringLiteral("L%1").arg(i, 3, 10, QLatin1Char('0'));
        TQRLabel* label = Label(detail, text.join(QStringLiteral("\r\n")), 0);
        label->SetAutoStretch(true);
        return label;
    }

    static QStringList Flat(const std::vector<QStringList>& lines)
    {
        QStringList all;
        for (const QStringList& line : lines)
            all << line;
        return all;
    }

    void Sales(int rows)
    {
        Sql("CREATE TABLE sales (id INTEGER, region TEXT, amount INTEGER);");
        QString insert;
        for (int i = 1; i <= rows; ++i)
            insert += QStringLiteral("INSERT INTO sales VALUES (%1, '%2', %3);").arg(i).arg(QChar(u'A' + i % 4)).arg(i * 3);
        Sql(insert);
    }
};

}  // namespace

TEST_F(QRRunCheckRobust, AStretchingLabelRunsOverSeveralPagesInOrder)
{
    StretchingLabel(250);
    Run();
    ASSERT_GE(printer->PageCount(), 3);
    QStringList expected;
    for (int i = 1; i <= 250; ++i)
        expected << QStringLiteral("L%1").arg(i, 3, 10, QLatin1Char('0'));
    EXPECT_EQ(Flat(PrintedLines()), expected);
    // Every page's text starts at the top margin, 10 mm = 37.8 px, and the
    // band grows a line at a time while it fits: the pages before the last
    // end within one line of the bottom margin, 287 mm = 1084.7 px.
    for (Integer n = 1; n < printer->PageCount(); ++n) {
        const std::vector<PageText> texts = TextsOnPage(n, QStringLiteral("lines"));
        ASSERT_GE(texts.size(), 2u);
        const double pitch = texts[1].y - texts[0].y;
        const double lastBottom = 37.8 + texts.back().y - texts.front().y + pitch;
        EXPECT_LE(lastBottom, 1084.7 + 1) << "page " << n;
        EXPECT_GT(lastBottom + pitch, 1084.7 - 1) << "page " << n;
    }
    EXPECT_EQ(placed.size(), 1u) << "one band print";
}

TEST_F(QRRunCheckRobust, AnErrorFromAHandlerMidStretchLeavesTheNextRunWhole)
{
    StretchingLabel(250);
    TQRBand* header = Make("Header", rbPageHeader, 10);
    bool fail = true;
    header->BeforePrint = [&](TQRCustomBand*, bool&) {
        if (fail && report->PageNumber() == 2)
            throw Exception(QStringLiteral("handler failed"));
    };
    EXPECT_THROW(Run(), Exception);
    EXPECT_TRUE(report->Available());
    fail = false;
    Run();
    const QStringList second = Flat(PrintedLines(QStringLiteral("second")));
    ASSERT_FALSE(second.isEmpty());
    EXPECT_EQ(second.first(), "L001") << "the new run starts the text again";
    EXPECT_EQ(second.size(), 250);
}

TEST_F(QRRunCheckRobust, TheSameReportRunTwicePrintsTheSame)
{
    Sales(45);
    TQuery& sales = Query("SALES", "SELECT * FROM sales ORDER BY region, id");
    report->SetDataSet(&sales);
    TQRBand* detail = Make("Detail", rbDetail, 12);
    Text(detail, "SALES.ID", 0);
    TQRBand* footer = Make("Foot", rbGroupFooter, 10);
    Text(footer, "SUM(SALES.AMOUNT)", 0)->SetResetAfterPrint(true);
    auto* group = Group("Group", 10, "SALES.REGION");
    group->SetFooterBand(footer);
    group->SetReprintOnNewPage(true);
    Make("Summary", rbSummary, 10);
    // A run asked for from inside the run is refused, not nested.
    int nested = 0;
    detail->BeforePrint = [&](TQRCustomBand*, bool&) {
        ++nested;
        report->CreateReport(false);
    };
    Run();
    const std::vector<Placed> first = placed;
    const std::vector<QStringList> firstText = PrintedLines(QStringLiteral("first"));
    EXPECT_EQ(nested, 45);
    Run();
    ASSERT_EQ(placed.size(), first.size());
    for (size_t i = 0; i < first.size(); ++i)
        EXPECT_TRUE(placed[i].name == first[i].name && placed[i].page == first[i].page && placed[i].y == first[i].y)
            << i << " " << placed[i].name.toStdString();
    EXPECT_EQ(PrintedLines(QStringLiteral("second")), firstText);
    QStringList sums;
    for (const QStringList& line : firstText)
        if (line.size() == 1 && line.first().toInt() > 45)
            sums << line.first();
    // Group sums above 45 (all are) told apart from the ids by value.
    EXPECT_EQ(sums, SqliteLines("SELECT SUM(amount) FROM sales GROUP BY region ORDER BY region;"));
}

TEST_F(QRRunCheckRobust, ACancelMidRunThenAWholeRun)
{
    Sales(40);
    TQuery& sales = Query("SALES", "SELECT * FROM sales ORDER BY id");
    report->SetDataSet(&sales);
    TQRBand* detail = Make("Detail", rbDetail, 30);
    Make("Summary", rbSummary, 10);
    Make("Footer", rbPageFooter, 10);
    int seen = 0;
    detail->BeforePrint = [&](TQRCustomBand*, bool&) {
        if (++seen == 12)
            report->Cancel();
    };
    Run();
    // The walk ends at the next record: 12 details, no summary, no footer
    // on the last page, and the document is left unfinished.
    EXPECT_EQ(std::count_if(placed.begin(), placed.end(), [](const Placed& p) { return p.name == "Detail"; }), 12);
    EXPECT_TRUE(PlacedOn("Summary", 2).empty());
    EXPECT_TRUE(report->Cancelled());
    EXPECT_TRUE(report->Available());
    detail->BeforePrint = nullptr;
    Run();
    EXPECT_FALSE(report->Cancelled());
    EXPECT_EQ(std::count_if(placed.begin(), placed.end(), [](const Placed& p) { return p.name == "Detail"; }), 40);
    // 30 mm details end by 2870 - 100 = 2770: 8 to a page, 5 pages; the
    // summary follows the 40th at 100 + 8 x 300 = 2500 on page 5.
    EXPECT_EQ(printer->PageCount(), 5);
    EXPECT_EQ(PlacedOn("Summary", 5), std::vector<Integer>{2500});
    EXPECT_EQ(printer->Status(), mpFinished);
}

TEST_F(QRRunCheckRobust, StretchingTextInPageHeadersAndFootersIsCutWhereTheyEnd)
{
    TQRBand* header = Make("Header", rbPageHeader, 5);
    Label(header, "H1\r\nH2\r\nH3", 0)->SetAutoStretch(true);
    TQRBand* footer = Make("Footer", rbPageFooter, 5);
    Label(footer, "F1\r\nF2\r\nF3\r\nF4\r\nF5\r\nF6", 0)->SetAutoStretch(true);
    Sales(6);
    TQuery& sales = Query("SALES", "SELECT * FROM sales ORDER BY id");
    report->SetDataSet(&sales);
    TQRBand* detail = Make("Detail", rbDetail, 100);
    Text(detail, "SALES.ID", 0);
    Run();
    // The header may grow down the page; the footer sits on the bottom
    // margin and has no room to grow: every page shows the same first
    // lines of it, never the rest on a page of its own.
    ASSERT_EQ(printer->PageCount(), 3);
    QStringList footerOnPage1;
    for (Integer n = 1; n <= 3; ++n) {
        QStringList header, footer;
        for (const PageText& t : TextsOnPage(n, QStringLiteral("cut"))) {
            if (t.text.startsWith(QLatin1Char('H')))
                header << t.text;
            else if (t.text.startsWith(QLatin1Char('F')))
                footer << t.text;
        }
        EXPECT_EQ(header, (QStringList{"H1", "H2", "H3"})) << n;
        ASSERT_FALSE(footer.isEmpty()) << n;
        EXPECT_EQ(footer.first(), "F1") << n;
        EXPECT_LT(footer.size(), 6) << n;
        if (n == 1)
            footerOnPage1 = footer;
        EXPECT_EQ(footer, footerOnPage1) << n;
    }
}
