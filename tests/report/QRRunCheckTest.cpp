// Whole report runs over SQLite data, checked by independent means: the
// page metafiles read back with emf2svg-conv, the rows summed again by the
// sqlite3 tool, and band positions worked out by hand. A4 portrait with
// 10 mm margins: the printable area runs from y 100 to 2870 (0.1 mm).
#include "QRRunCheckSupport.h"

#include "PdfTools.h"
#include "QRCtrls.h"
#include "QRPrntrPrinterSupport.h"

#include <QtCore/QDir>

#include <gtest/gtest.h>

namespace {

class QRRunCheck : public QRRunCheckFixture {};

// Region, amount: 3 regions, sums with two decimals.
void FillSales(QRRunCheckFixture& f, int rows)
{
    f.Sql("CREATE TABLE sales (id INTEGER, region TEXT, amount REAL);");
    QString insert;
    for (int i = 1; i <= rows; ++i)
        insert += QStringLiteral("INSERT INTO sales VALUES (%1, '%2', %3.%4);")
                      .arg(i)
                      .arg(QLatin1Char(char('A' + (i * 7) % 3)))
                      .arg(i * 13 % 50)
                      .arg(i * 37 % 100, 2, 10, QLatin1Char('0'));
    f.Sql(insert);
}

}  // namespace

TEST_F(QRRunCheck, GroupFootersAddUpAsSqliteDoes)
{
    FillSales(*this, 70);
    TQuery& sales = Query("SALES", "SELECT * FROM sales ORDER BY region, id");
    report->SetDataSet(&sales);
    TQRBand* detail = Make("Detail", rbDetail, 10);
    Text(detail, "SALES.REGION", 0);
    Text(detail, "SALES.AMOUNT", 40, "0.00");
    TQRBand* footer = Make("Footer", rbGroupFooter, 10);
    Label(footer, "Total", 0);
    Text(footer, "SUM(SALES.AMOUNT)", 40, "0.00")->SetResetAfterPrint(true);
    Text(footer, "COUNT", 80)->SetResetAfterPrint(true);
    Text(footer, "AVERAGE(SALES.AMOUNT)", 120, "0.00")->SetResetAfterPrint(true);
    // A running total beside them: never reset.
    Text(footer, "SUM(SALES.AMOUNT)", 160, "0.00");
    auto* group = Group("Group", 10, "SALES.REGION");
    group->SetFooterBand(footer);
    Run();

    QStringList totals;
    for (const QStringList& line : PrintedLines())
        if (line.first() == "Total")
            totals << line.mid(1).join(' ');
    const QStringList expected = SqliteLines(
        "SELECT printf('%.2f', SUM(amount)), COUNT(*), printf('%.2f', AVG(amount)),"
        " printf('%.2f', (SELECT SUM(amount) FROM sales s WHERE s.region <= t.region))"
        " FROM sales t GROUP BY region ORDER BY region;");
    EXPECT_EQ(totals, expected);
    ASSERT_GE(printer->PageCount(), 3);
    ExpectPagesFilledInTurn(0);
}

TEST_F(QRRunCheck, DetailsFillEachPageToTheLastBandThatFits)
{
    FillSales(*this, 80);
    TQuery& sales = Query("SALES", "SELECT * FROM sales ORDER BY id");
    report->SetDataSet(&sales);
    Make("Title", rbTitle, 25);
    Make("Header", rbPageHeader, 12.5L);
    Make("Footer", rbPageFooter, 8);
    TQRBand* detail = Make("Detail", rbDetail, 7.3L);
    Text(detail, "SALES.ID", 0);
    Run();
    // Page 1: header 100..225, title 225..475, details of 73 from 475 while
    // they end by 2870 - 80 = 2790: (2790 - 475) div 73 = 31 details.
    // Later pages: details from 225, (2790 - 225) div 73 = 35 each.
    EXPECT_EQ(PlacedOn("Detail", 1).size(), 31u);
    EXPECT_EQ(PlacedOn("Detail", 2).size(), 35u);
    EXPECT_EQ(PlacedOn("Title", 1), std::vector<Integer>{225});
    EXPECT_EQ(PlacedOn("Detail", 2).front(), 225);
    EXPECT_EQ(PlacedOn("Footer", 1), std::vector<Integer>{2790});
    EXPECT_EQ(PlacedOn("Footer", 2), std::vector<Integer>{2790});
    // 73 is 7.3 mm: every detail is 73 below the one before.
    const std::vector<Integer> y = PlacedOn("Detail", 2);
    for (size_t i = 1; i < y.size(); ++i)
        EXPECT_EQ(y[i] - y[i - 1], 73);
    // The ids printed on the pages are the rows in order, each once.
    QStringList ids;
    for (const QStringList& line : PrintedLines())
        ids << line;
    EXPECT_EQ(ids, SqliteLines("SELECT id FROM sales ORDER BY id;"));
}

TEST_F(QRRunCheck, TheSummaryMayUseTheFooterSpaceOfTheLastPage)
{
    FillSales(*this, 26);
    TQuery& sales = Query("SALES", "SELECT * FROM sales ORDER BY id");
    report->SetDataSet(&sales);
    report->SetOptions({TRazorUzeortOption::FirstPageHeader});
    Make("Footer", rbPageFooter, 10);
    Make("Detail", rbDetail, 10);
    Make("Summary", rbSummary, 15);
    Run();
    // 26 details end at 100 + 2600 = 2700; the page's end less the footer
    // is 2770, too short for 150, but with no footer on the last page the
    // summary has until 2870.
    EXPECT_EQ(printer->PageCount(), 1);
    EXPECT_EQ(PlacedOn("Summary", 1), std::vector<Integer>{2700});
    EXPECT_TRUE(PlacedOn("Footer", 1).empty());
}

TEST_F(QRRunCheck, ASubDetailWithHeaderAndFooterAcrossAPageEnd)
{
    Sql("CREATE TABLE cust (id INTEGER, name TEXT);"
        "INSERT INTO cust VALUES (1, 'Aoki'), (2, 'Baba');"
        "CREATE TABLE orders (cust INTEGER, item TEXT);");
    QString insert;
    for (int i = 0; i < 30; ++i)
        insert += QStringLiteral("INSERT INTO orders VALUES (%1, 'item%2');").arg(1 + i / 25).arg(i, 2, 10, QLatin1Char('0'));
    Sql(insert);
    TQuery& cust = Query("CUST", "SELECT * FROM cust ORDER BY id");
    TQuery& orders = Query("ORDERS", "SELECT * FROM orders WHERE cust = :CUSTID ORDER BY item",
                           [](TQuery& q) { q.ParamByName("CUSTID")->SetDataType(ftInteger); });
    report->Functions()->AddFunction("CUSTID", "CUST.ID");
    report->SetDataSet(&cust);
    Make("Detail", rbDetail, 20);
    auto* sub = Make<TQRSubDetail>("Orders", 10);
    sub->SetDataSet(&orders);
    Text(sub, "ORDERS.ITEM", 0);
    TQRBand* head = Make("OrdersHead", rbGroupHeader, 10);
    TQRBand* foot = Make("OrdersFoot", rbGroupFooter, 15);
    TQRExpr* count = Text(foot, "COUNT", 0);
    count->SetMaster(sub);
    count->SetResetAfterPrint(true);
    sub->SetHeaderBand(head);
    sub->SetFooterBand(foot);
    Run();
    // Customer 1: detail 100..300, header 300..400, then orders of 100
    // while they end by 2870: 24 (to 2800); the 25th opens page 2 at 100,
    // the footer follows at 200.
    EXPECT_EQ(PlacedOn("OrdersHead", 1), (std::vector<Integer>{300}));
    EXPECT_EQ(PlacedOn("Orders", 1).size(), 24u);
    EXPECT_EQ(PlacedOn("Orders", 2).front(), 100);
    EXPECT_EQ(PlacedOn("OrdersFoot", 2).front(), 200);
    // Customer 2 goes on below: detail 350..550, header 550, 5 orders, footer.
    EXPECT_EQ(PlacedOn("Detail", 2), std::vector<Integer>{350});
    EXPECT_EQ(PlacedOn("OrdersFoot", 2).back(), 650 + 500);
    QStringList counts;
    for (const QStringList& line : PrintedLines())
        if (line.size() == 1 && !line.first().startsWith("item"))
            counts << line.first();
    EXPECT_EQ(counts, SqliteLines("SELECT COUNT(*) FROM orders GROUP BY cust ORDER BY cust;"));
}

TEST_F(QRRunCheck, ColumnHeadersStartEveryColumnOfEveryPage)
{
    FillSales(*this, 120);
    TQuery& sales = Query("SALES", "SELECT * FROM sales ORDER BY id");
    report->SetDataSet(&sales);
    report->Page()->SetColumnSpace(5);
    report->Page()->SetColumns(3);
    Make("Title", rbTitle, 20);
    Make("Heads", rbColumnHeader, 10);
    TQRBand* detail = Make("Detail", rbDetail, 50);
    Text(detail, "SALES.ID", 0);
    Run();
    // Column width (1900 - 2 x 50) / 3 = 600: columns at x 100, 750, 1400.
    // Page 1: columns start below the title at 300, later pages at 100.
    // Below its header each column holds (2870 - 400) div 500 = 4 details
    // on page 1, (2870 - 200) div 500 = 5 later.
    std::vector<std::tuple<Integer, Integer, Integer, Integer>> heads;  // page, column, x, y
    for (const Placed& p : placed)
        if (p.name == "Heads")
            heads.emplace_back(p.page, p.column, p.x, p.y);
    ASSERT_GE(heads.size(), 6u);
    const Integer xs[] = {100, 750, 1400};
    for (size_t i = 0; i < 6; ++i) {
        const Integer page = Integer(i / 3) + 1, column = Integer(i % 3) + 1;
        EXPECT_EQ(heads[i], std::make_tuple(page, column, xs[column - 1], page == 1 ? 300 : 100)) << i;
    }
    const size_t onPage1 = PlacedOn("Detail", 1).size(), onPage2 = PlacedOn("Detail", 2).size();
    EXPECT_EQ(onPage1, 3u * 4);
    EXPECT_EQ(onPage2, 3u * 5);
    QStringList ids;
    for (const QStringList& line : PrintedLines())
        ids << line;
    ids.sort();
    QStringList expected = SqliteLines("SELECT id FROM sales;");
    expected.sort();
    EXPECT_EQ(ids, expected);
}

TEST_F(QRRunCheck, OneGroupToAPageWithChildBands)
{
    FillSales(*this, 21);
    TQuery& sales = Query("SALES", "SELECT * FROM sales ORDER BY region, id");
    report->SetDataSet(&sales);
    Make("Title", rbTitle, 20);
    Make("Detail", rbDetail, 10);
    auto* group = ShowingGroup("Group", 10, "SALES.REGION");
    group->SetForceNewPage(true);
    auto* child = Make<TQRChildBand>("Under", 5);
    child->SetParentBand(group);
    child->SetPrintOrder(cboAfterParent);
    Run();
    // The first region follows the title on page 1; every later one opens a
    // page, its child right below it.
    const QStringList regions = SqliteLines("SELECT DISTINCT region FROM sales ORDER BY region;");
    ASSERT_EQ(printer->PageCount(), regions.size());
    for (Integer page = 1; page <= regions.size(); ++page) {
        const Integer top = page == 1 ? 300 : 100;
        EXPECT_EQ(PlacedOn("Group", page), std::vector<Integer>{top}) << page;
        EXPECT_EQ(PlacedOn("Under", page), std::vector<Integer>{top + 100}) << page;
    }
    QStringList printed;
    for (const QStringList& line : PrintedLines())
        printed << line;
    EXPECT_EQ(printed, regions);
}

TEST_F(QRRunCheck, AnOuterHeaderRepeatsAboveAnInnerHeaderThatOpensThePage)
{
    Sql("CREATE TABLE s (id INTEGER, country TEXT, city TEXT);");
    QString insert;
    for (int i = 1; i <= 60; ++i)
        insert += QStringLiteral("INSERT INTO s VALUES (%1, 'JP', 'C%2');").arg(i).arg(i / 9);
    Sql(insert);
    TQuery& s = Query("S", "SELECT * FROM s ORDER BY id");
    report->SetDataSet(&s);
    Make("Heads", rbColumnHeader, 10);
    Make("Detail", rbDetail, 10);
    auto* country = ShowingGroup("Country", 10, "S.COUNTRY");
    country->SetReprintOnNewPage(true);
    Group("City", 30, "S.CITY");
    Run();
    // Page 1: column header 100, country 200, city C0 300..600, its 8
    // details to 1400, C1 1400..1700 with 9 to 2600; C2 would end at 2900,
    // past 2870, and opens page 2 below the column and country headers:
    // C2 at 300, 9 details to 1500, C3 at 1500, 9 to 2700. Pages 3 and 4
    // go on the same way.
    const QStringList cities = SqliteLines("SELECT COUNT(DISTINCT city) FROM s;");
    ASSERT_EQ(printer->PageCount(), (cities.first().toInt() + 1) / 2);
    for (Integer page = 1; page <= printer->PageCount(); ++page) {
        EXPECT_EQ(PlacedOn("Heads", page), std::vector<Integer>{100}) << page;
        EXPECT_EQ(PlacedOn("Country", page), std::vector<Integer>{200}) << page;
        EXPECT_EQ(PlacedOn("City", page).front(), 300) << page;
        const std::vector<PageText> texts = TextsOnPage(page, QStringLiteral("reprint"));
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(texts.front().text, "JP") << page;
    }
    EXPECT_EQ(PlacedOn("City", 1), (std::vector<Integer>{300, 1400}));
    EXPECT_EQ(PlacedOn("City", 2), (std::vector<Integer>{300, 1500}));
}

TEST_F(QRRunCheck, PrintedToPdfTheTotalsAndRepeatedHeadersReadBack)
{
    TPdfFolder pdf;
    FillSales(*this, 90);
    TQuery& sales = Query("SALES", "SELECT * FROM sales ORDER BY region, id");
    report->SetDataSet(&sales);
    TQRBand* detail = Make("Detail", rbDetail, 8);
    Text(detail, "SALES.ID", 0);
    TQRBand* footer = Make("Footer", rbGroupFooter, 10);
    Label(footer, "Total", 0);
    Text(footer, "SUM(SALES.AMOUNT)", 40, "0.00")->SetResetAfterPrint(true);
    auto* group = Group("Group", 10, "SALES.REGION");
    group->SetReprintOnNewPage(true);
    group->SetFooterBand(footer);
    Text(group, "'Region ' + SALES.REGION", 0);
    report->Print();
    const QStringList files = QDir(pdf.Path()).entryList({QStringLiteral("*.pdf")}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    const QString file = pdf.Path() + QLatin1Char('/') + files.first();
    const QStringList pages = PdfPageTexts(file, true);
    ASSERT_GE(pages.size(), 3);
    ASSERT_EQ(PdfPageSizes(file).size(), size_t(pages.size()));
    // Every page opens with the header of the region it goes on with.
    for (const QString& page : pages)
        EXPECT_TRUE(page.trimmed().startsWith(QLatin1String("Region "))) << page.left(40).toStdString();
    QStringList totals;
    for (const QString& page : pages)
        for (const QString& line : page.split(QLatin1Char('\n')))
            if (line.trimmed().startsWith(QLatin1String("Total")))
                totals << line.trimmed().mid(5).simplified();
    EXPECT_EQ(totals, SqliteLines("SELECT printf('%.2f', SUM(amount)) FROM sales GROUP BY region ORDER BY region;"));
    // The first footer's top in points: 0.1 mm x 72 / 254, text a little below.
    const std::vector<Integer> firstFooter = PlacedOn("Footer", 1);
    ASSERT_FALSE(firstFooter.empty());
    const QRectF total = PdfWordBox(file, QStringLiteral("Total"));
    EXPECT_NEAR(total.top(), firstFooter.front() * 72.0 / 254, 4);
}

TEST_F(QRRunCheck, AStretchingLabelGoesOnInTheNextColumnsBelowTheirHeaders)
{
    Sql("CREATE TABLE memo (id INTEGER); INSERT INTO memo VALUES (1);");
    TQuery& memo = Query("MEMO", "SELECT * FROM memo");
    report->SetDataSet(&memo);
    report->Page()->SetColumnSpace(10);
    report->Page()->SetColumns(2);
    Make("Title", rbTitle, 20);
    Make("Heads", rbColumnHeader, 10);
    TQRBand* detail = Make("Detail", rbDetail, 5);
    QStringList lines;
    for (int i = 1; i <= 200; ++i)
        lines << QStringLiteral("M%1").arg(i, 3, 10, QLatin1Char('0'));
    Label(detail, lines.join(QStringLiteral("\r\n")), 0)->SetAutoStretch(true);
    auto* under = Make<TQRChildBand>("Under", 10);
    under->SetParentBand(detail);
    under->SetPrintOrder(cboAfterParent);
    Run();
    // Columns (1900 - 100) / 2 = 900 wide at x 100 and 1100 (37.8 and
    // 415.7 px). On page 1 both start below the title and the column
    // header at 400 (151.2 px), on page 2 below the header at 200 (75.6 px).
    struct Column { Integer page; bool second; double top; };
    std::vector<Column> columns;
    QStringList printed;
    double offset = 0, pitch = 0, lastY = 0;
    for (Integer n = 1; n <= printer->PageCount(); ++n) {
        std::vector<PageText> texts = TextsOnPage(n, QStringLiteral("columns"));
        std::stable_sort(texts.begin(), texts.end(), [](const PageText& a, const PageText& b) { return a.x < b.x - 100; });
        for (size_t i = 0; i < texts.size(); ++i) {
            const bool second = texts[i].x > 415.7 - 1;
            EXPECT_NEAR(texts[i].x, second ? 415.7 : 37.8, 1.5) << texts[i].text.toStdString();
            if (i == 0 || second != (texts[i - 1].x > 415.7 - 1))
                columns.push_back({n, second, texts[i].y});
            else if (pitch == 0)
                pitch = texts[i].y - texts[i - 1].y;
            printed << texts[i].text;
            lastY = texts[i].y;
        }
    }
    EXPECT_EQ(printed, lines);
    ASSERT_GE(columns.size(), 3u);
    offset = columns[0].top - 151.2;
    EXPECT_EQ(columns[1].page, 1);
    EXPECT_TRUE(columns[1].second);
    EXPECT_NEAR(columns[1].top - offset, 151.2, 1.5);
    EXPECT_EQ(columns[2].page, 2);
    EXPECT_FALSE(columns[2].second);
    EXPECT_NEAR(columns[2].top - offset, 75.6, 1.5);
    // The child follows the last line, in the column where the text ended.
    ASSERT_EQ(placed.back().name, "Under");
    EXPECT_EQ(placed.back().page, columns.back().page);
    EXPECT_EQ(placed.back().column, columns.back().second ? 2 : 1);
    const double lastBottom = lastY - offset + pitch;
    EXPECT_NEAR(placed.back().y * 96 / 254.0, lastBottom, pitch + 1);
    EXPECT_GE(placed.back().y * 96 / 254.0, lastBottom - 1);
}

TEST_F(QRRunCheck, PageAndColumnNumbersInHeadersAndFooters)
{
    FillSales(*this, 40);
    TQuery& sales = Query("SALES", "SELECT * FROM sales ORDER BY id");
    report->SetDataSet(&sales);
    report->SetReportTitle("Sales");
    report->Page()->SetColumns(2);
    TQRBand* heads = Make("Heads", rbColumnHeader, 10);
    Text(heads, "'Col ' + STR(COLUMNNUMBER)", 0);
    TQRBand* footer = Make("Footer", rbPageFooter, 10);
    Text(footer, "REPORTTITLE + ' page ' + STR(PAGENUMBER)", 0);
    Make("Detail", rbDetail, 30);
    Run();
    // Below the column header (100..200) 30 mm details end by 2870 less
    // the footer's 100: 8 to a column (to 2600), 16 to a page; 40 rows
    // take 3 pages, the last with one column.
    ASSERT_EQ(printer->PageCount(), 3);
    for (Integer n = 1; n <= 3; ++n) {
        QStringList texts;
        for (const PageText& t : TextsOnPage(n, QStringLiteral("numbers")))
            texts << t.text;
        const QStringList columns = n < 3 ? QStringList{"Col 1", "Col 2"} : QStringList{"Col 1"};
        EXPECT_EQ(texts, columns + QStringList{QStringLiteral("Sales page %1").arg(n)}) << n;
    }
}

TEST_F(QRRunCheck, ASummaryAfterTheFirstColumnStartsAPageOfItsOwn)
{
    FillSales(*this, 12);
    TQuery& sales = Query("SALES", "SELECT * FROM sales ORDER BY id");
    report->SetDataSet(&sales);
    report->Page()->SetColumns(2);
    TQRBand* detail = Make("Detail", rbDetail, 30);
    Text(detail, "SALES.ID", 0);
    TQRBand* summary = Make("Summary", rbSummary, 20);
    Text(summary, "'Rows ' + STR(COUNT)", 0);
    Run();
    // 9 details of 300 fill column 1 (100..2800), 3 go on in column 2 to
    // 1000. The summary spans both columns: at 1000 it would cover column
    // 1's rows, so it opens page 2 at the top margin, column 1.
    EXPECT_EQ(PlacedOn("Detail", 1).size(), 12u);
    ASSERT_EQ(printer->PageCount(), 2);
    EXPECT_EQ(PlacedOn("Summary", 2), std::vector<Integer>{100});
    EXPECT_EQ(placed.back().x, 100);
    const std::vector<PageText> page2 = TextsOnPage(2, QStringLiteral("summary"));
    ASSERT_EQ(page2.size(), 1u);
    EXPECT_EQ(page2.front().text, "Rows " + SqliteLines("SELECT COUNT(*) FROM sales;").first());
    // In column 1 the columns to its right are empty: it stays.
    Sql("DELETE FROM sales WHERE id > 5;");
    sales.Close();
    sales.Open();
    Run();
    EXPECT_EQ(printer->PageCount(), 1);
    EXPECT_EQ(PlacedOn("Summary", 1), std::vector<Integer>{100 + 5 * 300});
}
