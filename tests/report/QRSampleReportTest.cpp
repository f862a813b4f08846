// A whole report over a real SQLite file, printed to the PDF printer and
// read back with independent tools: sqlite3 works out the groups, counts,
// sums and averages over the same file, pdftotext shows what was printed and
// in which order, pdfinfo counts the pages.
#include "QRCtrls.h"
#include "QRReport.h"

#include "DBTables.h"
#include "PdfTools.h"
#include "QRPrntrPrinterSupport.h"
#include "SampleSalesData.h"
#include "TestSupport.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QRegularExpression>
#include <QtCore/QTemporaryDir>
#include <QtGui/QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// One printed line as the test reads it: the kind and its fields, and the
// average of a footer (compared to the cent, since printing rounds it).
struct Printed {
    QString Text;
    double Average = 0;

    bool operator==(const Printed& other) const
    {
        return Text == other.Text && std::abs(Average - other.Average) <= 0.0051;
    }
};

void PrintTo(const Printed& p, std::ostream* os) { *os << p.Text.toStdString() << " avg " << p.Average; }

// The sample report: title, page header and footer with the page number,
// groups on country and customer, the orders as details, each order's lines
// in a sub-detail with a footer, totals in the group footers and a summary.
class TSampleReport {
public:
    // Unidirectional, the queries keep no record behind their cursor.
    explicit TSampleReport(const QString& database, bool uniDirectional = false)
        : form_(std::make_unique<TComponent>(nullptr))
    {
        orders_ = Query(QStringLiteral("ORDERS"), database, QString::fromUtf8(kSampleOrdersSql));
        lines_ = Query(QStringLiteral("LINES"), database, QString::fromUtf8(kSampleLinesSql));
        orders_->SetUniDirectional(uniDirectional);
        lines_->SetUniDirectional(uniDirectional);
        lines_->ParamByName(QStringLiteral("ORDERID"))->SetDataType(ftInteger);
        orders_->Open();
        lines_->Open();

        report_ = new TRazorUze(form_.get());
        report_->SetUnits(TQRUnit::MM);
        report_->Page()->SetPaperSize(TQRPaperSize::A4);
        report_->Font()->SetName(QStringLiteral("MS Gothic"));
        report_->Font()->SetSize(9);
        report_->SetShowProgress(false);
        report_->SetDataSet(orders_);
        report_->Functions()->AddFunction(QStringLiteral("ORDERID"), QStringLiteral("ORDERS.ID"));
        Build();
    }

    TRazorUze* Report() const { return report_; }
    TQuery* Lines() const { return lines_; }

private:
    TQuery* Query(const QString& name, const QString& database, const QString& sql)
    {
        auto* query = new TQuery(form_.get());
        query->SetName(name);
        query->SetDatabaseName(database);
        query->SQL()->SetText(sql);
        return query;
    }

    TQRBand* Band(TQRBandType type, Extended height)
    {
        auto* band = new TQRBand(form_.get());
        band->SetParent(report_);
        band->SetBandType(type);
        band->Size()->SetHeight(height);
        return band;
    }

    static void Place(TQRPrintable* control, TWinControl* band, Extended left)
    {
        control->SetParent(band);
        control->Size()->SetLeft(left);
        control->Size()->SetTop(1);
    }

    void Label(TWinControl* band, Extended left, const QString& text)
    {
        auto* label = new TQRLabel(form_.get());
        Place(label, band, left);
        label->SetCaption(text);
    }

    TQRExpr* Expr(TWinControl* band, Extended left, const QString& expression, const QString& mask = {})
    {
        auto* expr = new TQRExpr(form_.get());
        Place(expr, band, left);
        expr->SetExpression(expression);
        expr->SetMask(mask);
        return expr;
    }

    // "orders", COUNT, "amount", SUM and "average", AVERAGE of the orders.
    void Totals(TWinControl* band, bool reset)
    {
        Label(band, 70, QStringLiteral("orders"));
        Label(band, 100, QStringLiteral("amount"));
        Label(band, 140, QStringLiteral("average"));
        for (TQRExpr* expr : {Expr(band, 85, QStringLiteral("COUNT")),
                              Expr(band, 115, QStringLiteral("SUM(ORDERS.AMOUNT)"), QStringLiteral("#,##0")),
                              Expr(band, 160, QStringLiteral("AVERAGE(ORDERS.AMOUNT)"), QStringLiteral("#,##0.00"))})
            expr->SetResetAfterPrint(reset);
    }

    void Build()
    {
        TQRBand* title = Band(rbTitle, 12);
        Label(title, 0, QStringLiteral("Orders by country and customer"));
        TQRBand* header = Band(rbPageHeader, 8);
        Label(header, 0, QStringLiteral("Sample sales"));
        Expr(header, 160, QStringLiteral("'Page ' + PAGENUMBER"));
        TQRBand* footer = Band(rbPageFooter, 8);
        Expr(footer, 90, QStringLiteral("'- ' + PAGENUMBER + ' -'"));

        // The outer group first: creation order sets the nesting.
        Group(QStringLiteral("ORDERS.COUNTRY"), 8, QStringLiteral("Country"), 0, 25);
        Group(QStringLiteral("ORDERS.CUSTOMER"), 7, QStringLiteral("Customer"), 5, 30);

        TQRBand* detail = Band(rbDetail, 6);
        Label(detail, 10, QStringLiteral("Order"));
        Expr(detail, 25, QStringLiteral("ORDERS.ID"));
        Expr(detail, 45, QStringLiteral("ORDERS.ORDERDATE"));
        Expr(detail, 80, QStringLiteral("ORDERS.AMOUNT"), QStringLiteral("#,##0"));

        auto* sub = new TQRSubDetail(form_.get());
        sub->SetParent(report_);
        sub->Size()->SetHeight(5);
        sub->SetDataSet(lines_);
        Label(sub, 20, QStringLiteral("line"));
        Expr(sub, 30, QStringLiteral("LINES.LINENO"));
        Expr(sub, 40, QStringLiteral("LINES.PRODUCT"));
        Expr(sub, 70, QStringLiteral("LINES.QTY"));
        Expr(sub, 90, QStringLiteral("LINES.PRICE"));
        Expr(sub, 110, QStringLiteral("LINES.AMOUNT"), QStringLiteral("#,##0"));
        sub->Bands()->SetHasFooter(true);
        TQRCustomBand* subFooter = sub->FooterBand();
        subFooter->Size()->SetHeight(6);
        Label(subFooter, 20, QStringLiteral("Lines"));
        Label(subFooter, 50, QStringLiteral("sum"));
        for (TQRExpr* expr : {Expr(subFooter, 35, QStringLiteral("COUNT")),
                              Expr(subFooter, 65, QStringLiteral("SUM(LINES.AMOUNT)"), QStringLiteral("#,##0"))}) {
            expr->SetMaster(sub);
            expr->SetResetAfterPrint(true);
        }

        TQRBand* summary = Band(rbSummary, 10);
        Label(summary, 5, QStringLiteral("Grand total"));
        Totals(summary, false);
    }

    // A group with its caption and value in the header; its footer has
    // "<caption> total", the value and the group's totals.
    void Group(const QString& expression, Extended height, const QString& caption, Extended left, Extended valueLeft)
    {
        auto* group = new TQRGroup(form_.get());
        group->SetParent(report_);
        group->SetExpression(expression);
        group->Size()->SetHeight(height);
        Label(group, left, caption);
        Expr(group, valueLeft, expression);
        TQRBand* footer = Band(rbGroupFooter, 7);
        group->SetFooterBand(footer);
        Label(footer, left, caption + QStringLiteral(" total"));
        Expr(footer, 35, expression);
        Totals(footer, true);
    }

    std::unique_ptr<TComponent> form_;
    TRazorUze* report_ = nullptr;
    TQuery* orders_ = nullptr;
    TQuery* lines_ = nullptr;
};

double Number(const QString& text) { return QString(text).remove(QLatin1Char(',')).toDouble(); }

// The report's lines, in print order, as tokens; page headers and footers
// are left out here and checked per page.
std::vector<Printed> ReadTokens(const QStringList& pages)
{
    static const QRegularExpression totals(
        QStringLiteral(R"(^\s*(Grand total|Country total|Customer total)\s*(\S*)\s+orders\s+(\d+)\s+amount\s+([\d,]+)\s+average\s+([\d,.]+)\s*$)"));
    static const QRegularExpression country(QStringLiteral(R"(^\s*Country\s+(\S+)\s*$)"));
    static const QRegularExpression customer(QStringLiteral(R"(^\s*Customer\s+(\S+)\s*$)"));
    static const QRegularExpression order(QStringLiteral(R"(^\s*Order\s+(\d+)\s+(\S+)\s+([\d,]+)\s*$)"));
    static const QRegularExpression line(QStringLiteral(R"(^\s*line\s+(\d+)\s+(.+?)\s+(\d+)\s+(\d+)\s+([\d,]+)\s*$)"));
    static const QRegularExpression lineTotal(QStringLiteral(R"(^\s*Lines\s+(\d+)\s+sum\s+([\d,]+)\s*$)"));
    std::vector<Printed> tokens;
    for (const QString& page : pages)
        for (const QString& text : page.split(QLatin1Char('\n'))) {
            QRegularExpressionMatch m;
            if ((m = totals.match(text)).hasMatch())
                tokens.push_back({QStringList{m.captured(1), m.captured(2), m.captured(3),
                                              QString::number(Number(m.captured(4)), 'f', 0)}
                                      .join(QLatin1Char('|')),
                                  Number(m.captured(5))});
            else if ((m = country.match(text)).hasMatch())
                tokens.push_back({QStringLiteral("Country|") + m.captured(1)});
            else if ((m = customer.match(text)).hasMatch())
                tokens.push_back({QStringLiteral("Customer|") + m.captured(1)});
            else if ((m = order.match(text)).hasMatch())
                tokens.push_back({QStringList{QStringLiteral("Order"), m.captured(1), m.captured(2),
                                              QString::number(Number(m.captured(3)), 'f', 0)}
                                      .join(QLatin1Char('|'))});
            else if ((m = line.match(text)).hasMatch())
                tokens.push_back({QStringList{QStringLiteral("line"), m.captured(1), m.captured(2), m.captured(3),
                                              m.captured(4), QString::number(Number(m.captured(5)), 'f', 0)}
                                      .join(QLatin1Char('|'))});
            else if ((m = lineTotal.match(text)).hasMatch())
                tokens.push_back({QStringList{QStringLiteral("Lines"), m.captured(1),
                                              QString::number(Number(m.captured(2)), 'f', 0)}
                                      .join(QLatin1Char('|'))});
        }
    return tokens;
}

// What the report must print, worked out by sqlite3 alone over the file.
std::vector<Printed> ExpectedTokens(const QString& database)
{
    const QString amounts = QStringLiteral(
        "(SELECT o.id AS oid, c.id AS cid, c.country AS country, c.name AS name, o.order_date AS day, "
        "SUM(l.qty * l.price) AS amount, COUNT(*) AS lines FROM orders o JOIN customers c ON c.id = o.customer_id "
        "JOIN lines l ON l.order_id = o.id GROUP BY o.id)");
    const auto countries = Sqlite3Rows(database, QStringLiteral("SELECT country, COUNT(*), SUM(amount), AVG(amount) "
                                                                "FROM %1 GROUP BY country ORDER BY country").arg(amounts));
    const auto customers = Sqlite3Rows(
        database, QStringLiteral("SELECT country, name, COUNT(*), SUM(amount), AVG(amount), cid FROM %1 "
                                 "GROUP BY cid ORDER BY country, cid").arg(amounts));
    const auto orders = Sqlite3Rows(database, QStringLiteral("SELECT cid, oid, day, amount, lines FROM %1 "
                                                             "ORDER BY country, cid, oid").arg(amounts));
    const auto lines = Sqlite3Rows(database, QStringLiteral("SELECT order_id, line_no, product, qty, price, qty * "
                                                            "price FROM lines ORDER BY order_id, line_no"));
    const auto grand = Sqlite3Rows(database, QStringLiteral("SELECT COUNT(*), SUM(amount), AVG(amount) FROM %1")
                                                 .arg(amounts));
    std::vector<Printed> tokens;
    auto total = [&](const QString& kind, const QString& name, const QStringList& row, int at) {
        tokens.push_back({QStringList{kind, name, row[at], row[at + 1]}.join(QLatin1Char('|')), row[at + 2].toDouble()});
    };
    for (const QStringList& c : countries) {
        tokens.push_back({QStringLiteral("Country|") + c[0]});
        for (const QStringList& k : customers) {
            if (k[0] != c[0])
                continue;
            tokens.push_back({QStringLiteral("Customer|") + k[1]});
            for (const QStringList& o : orders) {
                if (o[0] != k[5])
                    continue;
                tokens.push_back({QStringList{QStringLiteral("Order"), o[1], o[2], o[3]}.join(QLatin1Char('|'))});
                for (const QStringList& l : lines)
                    if (l[0] == o[1])
                        tokens.push_back({(QStringList{QStringLiteral("line")} + l.mid(1)).join(QLatin1Char('|'))});
                tokens.push_back({QStringList{QStringLiteral("Lines"), o[4], o[3]}.join(QLatin1Char('|'))});
            }
            total(QStringLiteral("Customer total"), k[1], k, 2);
        }
        total(QStringLiteral("Country total"), c[0], c, 1);
    }
    total(QStringLiteral("Grand total"), QString(), grand.at(0), 0);
    return tokens;
}

// The words of a page that pdftotext reads but that do not show whole on
// the page rendered at dpi (painted over, even in part, by something
// printed later): the report's font is of even pitch, so each character's
// share of the word's box needs ink.
QString HiddenWords(const QString& pdf, int page, const QString& png, int dpi)
{
    const QImage image(png);
    EXPECT_FALSE(image.isNull()) << png.toStdString();
    const double scale = dpi / 72.0;
    const auto inked = [&image](const QRect& box) {
        for (int y = std::max(0, box.top()); y <= std::min(image.height() - 1, box.bottom()); ++y)
            for (int x = std::max(0, box.left()); x <= std::min(image.width() - 1, box.right()); ++x)
                if (qGray(image.pixel(x, y)) < 192)
                    return true;
        return false;
    };
    QStringList hidden;
    for (const PdfWord& word : PdfWords(pdf)) {
        if (word.Page != page)
            continue;
        const QRectF box(word.Box.topLeft() * scale, word.Box.bottomRight() * scale);
        const int parts = int(word.Text.size());
        for (int i = 0; i < parts; ++i) {
            const double w = box.width() / parts;
            if (!inked(QRectF(box.left() + i * w, box.top(), w, box.height()).toAlignedRect())) {
                hidden << word.Text;
                break;
            }
        }
    }
    return hidden.join(QLatin1Char(' '));
}

QString TheOnlyPdf(const QString& folder)
{
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files);
    EXPECT_EQ(files.size(), 1);
    return files.isEmpty() ? QString() : folder + QLatin1Char('/') + files.first();
}

class QRSampleReport : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitializeQRExpr();
        database = dir.filePath(QStringLiteral("sales.db"));
    }

    // Runs the report into a page store and prints it to the PDF printer;
    // returns the pages' text laid out as printed.
    QStringList Print(TSampleReport& sample, Integer& storedPages)
    {
        TRazorUze* report = sample.Report();
        TQRPrinter store(report);
        report->SetQRPrinter(&store);
        report->CreateReport(false);
        storedPages = store.PageCount();
        report->SetQRPrinter(nullptr);
        report->Print();
        pdf = TheOnlyPdf(pdfFolder.Path());
        // Kept beside the page pictures for a look.
        const QString kept = TestOutputDir() + QStringLiteral("/qrsample-%1.pdf")
                                                   .arg(QLatin1String(
                                                       ::testing::UnitTest::GetInstance()->current_test_info()->name()));
        QFile::remove(kept);
        QFile::copy(pdf, kept);
        return PdfPageTexts(pdf, true);
    }

    QTemporaryDir dir;
    TPdfFolder pdfFolder;
    QString database;
    QString pdf;
};

}  // namespace

TEST_F(QRSampleReport, PrintsTheGroupsTotalsAndLinesSqliteFinds)
{
    const int lineCount = WriteSampleSalesDatabase(database, 20261207);
    ASSERT_GE(lineCount, 200);
    // The data must exercise both kinds of break: a customer change within a
    // country, and a change of country.
    const auto spread = Sqlite3Rows(database, QStringLiteral("SELECT COUNT(DISTINCT country), MAX(n) FROM (SELECT "
                                                             "country, COUNT(*) AS n FROM customers GROUP BY country)"));
    ASSERT_GE(spread.at(0).at(0).toInt(), 3);
    ASSERT_GE(spread.at(0).at(1).toInt(), 2);

    TSampleReport sample(database);
    Integer storedPages = 0;
    const QStringList pages = Print(sample, storedPages);
    EXPECT_EQ(PdfPageSizes(pdf).size(), size_t(storedPages));
    ASSERT_EQ(pages.size(), storedPages);
    ASSERT_GE(storedPages, 3);

    const std::vector<Printed> printed = ReadTokens(pages);
    const std::vector<Printed> expected = ExpectedTokens(database);
    EXPECT_EQ(printed, expected);

    // Every page starts with its header and ends with its footer, numbered in turn.
    for (int p = 0; p < pages.size(); ++p) {
        const QStringList text = pages[p].split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_GE(text.size(), 2);
        EXPECT_TRUE(text.first().contains(QRegularExpression(QStringLiteral("Sample sales\\s+Page %1$").arg(p + 1))))
            << text.first().toStdString();
        EXPECT_EQ(text.last().trimmed(), QStringLiteral("- %1 -").arg(p + 1));
    }
    EXPECT_TRUE(pages.first().contains(QStringLiteral("Orders by country and customer")));
    // What the text layer holds must also show: no control paints over another.
    for (int p = 1; p <= std::min<int>(3, storedPages); ++p) {
        SavePdfPage(pdf, p, QStringLiteral("qrsample-page%1").arg(p), 60);
        const QString png = SavePdfPage(pdf, p, QStringLiteral("qrsample-check%1").arg(p), 150);
        EXPECT_EQ(HiddenWords(pdf, p, png, 150).toStdString(), "") << "page " << p;
    }
}

TEST_F(QRSampleReport, OneRecordOpensAndClosesEveryLevel)
{
    // The first record is the last: headers outer first, then at the end of
    // the data the footers inner first, then the summary.
    WriteSampleSalesDatabase(database, 7, {1, 1, 1, 1});
    TSampleReport sample(database);
    Integer storedPages = 0;
    const std::vector<Printed> printed = ReadTokens(Print(sample, storedPages));
    EXPECT_EQ(storedPages, 1);
    EXPECT_EQ(printed, ExpectedTokens(database));
    QStringList kinds;
    for (const Printed& p : printed)
        kinds << p.Text.section(QLatin1Char('|'), 0, 0);
    EXPECT_EQ(kinds, (QStringList{"Country", "Customer", "Order", "line", "Lines", "Customer total", "Country total",
                                  "Grand total"}));
}

TEST_F(QRSampleReport, PrintsTheSameThroughQueriesThatOnlyMoveForward)
{
    WriteSampleSalesDatabase(database, 20261207);
    TSampleReport sample(database, true);
    Integer storedPages = 0;
    // Stored, then printed: the second run reads the records again.
    const QStringList pages = Print(sample, storedPages);
    ASSERT_EQ(pages.size(), storedPages);
    EXPECT_EQ(ReadTokens(pages), ExpectedTokens(database));
}
