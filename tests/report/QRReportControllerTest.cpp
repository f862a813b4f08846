// The data walk of a report: which bands print for each record, in which
// order, with which record current, and where the walk stops. Bands log
// their name and the record they see in BeforePrint; OnBandPlaced gives
// the page each band went to. A4 portrait, 10 mm margins: 277 mm per page.
#include "QRReport.h"

#include "DBClient.h"
#include "DBTables.h"
#include "Forms.h"

#include <QtCore/QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

// Readable failure messages.
static void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {

using Log = std::vector<QString>;

// Counts the detail prints it is told of.
class TNotifyCounter : public TQRPrintable {
public:
    using TQRPrintable::TQRPrintable;
    std::function<void(TQRPrintable*)> Register;
    int Told = 0;

    void Prepare() override
    {
        TQRPrintable::Prepare();
        if (Register)
            Register(this);
    }
    void Notify(TObject* Sender, Integer Operation) override
    {
        if (Operation == 0)
            ++Told;
        TQRPrintable::Notify(Sender, Operation);
    }
};

class QRControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitializeQRExpr();
        report = std::make_unique<TRazorUze>(nullptr);
        report->SetName(QStringLiteral("Report"));
        report->SetUnits(TQRUnit::MM);
        report->Page()->SetPaperSize(TQRPaperSize::A4);
        report->OnBandPlaced = [this](const TQRBandPlaced& p) {
            const QString name = p.Band->Name();
            pages[name].push_back(p.Page);
            const auto show = shows.find(name);
            log.push_back(show != shows.end() && show->second ? name + QLatin1Char(' ') + show->second() : name);
        };
    }

    // Sales rows: country, city, amount, in walk order.
    std::unique_ptr<TClientDataSet> Sales(const std::vector<std::tuple<QString, QString, int>>& rows)
    {
        auto ds = std::make_unique<TClientDataSet>(nullptr);
        ds->SetName(QStringLiteral("SALES"));
        ds->FieldDefs().Add(QStringLiteral("COUNTRY"), ftString, 10);
        ds->FieldDefs().Add(QStringLiteral("CITY"), ftString, 10);
        ds->FieldDefs().Add(QStringLiteral("AMOUNT"), ftInteger);
        ds->CreateDataSet();
        for (const auto& [country, city, amount] : rows) {
            ds->Append();
            ds->FieldByName(QStringLiteral("COUNTRY"))->SetAsString(country);
            ds->FieldByName(QStringLiteral("CITY"))->SetAsString(city);
            ds->FieldByName(QStringLiteral("AMOUNT"))->SetAsInteger(amount);
            ds->Post();
        }
        return ds;
    }

    // The band logs "Name" or "Name value" as it is placed, where value is
    // what show reads from the current record.
    template <class Band = TQRBand>
    Band* Make(const QString& name, long double heightMM, std::function<QString()> show = {})
    {
        auto* band = new Band(report.get());
        band->SetName(name);
        band->SetParent(report.get());
        band->Size()->SetHeight(heightMM);
        shows[name] = std::move(show);
        return band;
    }

    TQRBand* Make(const QString& name, TQRBandType type, long double heightMM, std::function<QString()> show = {})
    {
        TQRBand* band = Make<TQRBand>(name, heightMM, std::move(show));
        band->SetBandType(type);
        return band;
    }

    TQRGroup* Group(const QString& name, const QString& expression, TQRBand* footer,
                    std::function<QString()> show = {})
    {
        auto* group = Make<TQRGroup>(name, 10, std::move(show));
        group->SetExpression(expression);
        group->SetFooterBand(footer);
        return group;
    }

    static std::function<QString()> Field(TDataSet* ds, const QString& field)
    {
        return [ds, field] { return ds->FieldByName(field)->AsString(); };
    }

    // Each run into a fresh report printer.
    void Run()
    {
        printer = std::make_unique<TQRPrinter>(report.get());
        report->SetQRPrinter(printer.get());
        report->CreateReport(false);
    }

    // Declared first: freed after the report that refers to them.
    std::unique_ptr<TClientDataSet> data;
    std::unique_ptr<TRazorUze> report;
    std::unique_ptr<TQRPrinter> printer;
    Log log;
    std::map<QString, std::function<QString()>> shows;
    std::map<QString, std::vector<Integer>> pages;
};

// ------------------------------------------------------------ groups

class QRGroups : public QRControllerTest {
protected:
    void SetUp() override
    {
        QRControllerTest::SetUp();
        data = Sales({{"JP", "Osaka", 1}, {"JP", "Tokyo", 2}, {"JP", "Tokyo", 3}, {"US", "Boston", 4}});
        report->SetDataSet(data.get());
        auto city = Field(data.get(), QStringLiteral("CITY"));
        Make(QStringLiteral("Title"), rbTitle, 10);
        Make(QStringLiteral("Summary"), rbSummary, 10, city);
        TQRBand* countryFooter = Make(QStringLiteral("CountryFoot"), rbGroupFooter, 10, city);
        TQRBand* cityFooter = Make(QStringLiteral("CityFoot"), rbGroupFooter, 10, city);
        // Created first: the outer group.
        country = Group(QStringLiteral("Country"), QStringLiteral("SALES.COUNTRY"), countryFooter,
                        Field(data.get(), QStringLiteral("COUNTRY")));
        Group(QStringLiteral("City"), QStringLiteral("SALES.CITY"), cityFooter, city);
        detail = Make(QStringLiteral("Detail"), rbDetail, 10, Field(data.get(), QStringLiteral("AMOUNT")));
    }

    TQRGroup* country = nullptr;
    TQRBand* detail = nullptr;
};

TEST_F(QRGroups, HeadersOuterFirstFootersInnerFirstWithTheClosingRecord)
{
    Run();
    const Log expected = {"Title",          "Country JP",       "City Osaka",        "Detail 1",
                          "CityFoot Osaka", "City Tokyo",       "Detail 2",          "Detail 3",
                          "CityFoot Tokyo", "CountryFoot Tokyo", "Country US",       "City Boston",
                          "Detail 4",       "CityFoot Boston",  "CountryFoot Boston", "Summary Boston"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(report->Controller()->Groups().size(), 2u);
    EXPECT_EQ(report->Controller()->Groups().front(), country);
}

TEST_F(QRGroups, DesignOrderPutsGroupsAroundTheDetail)
{
    std::vector<QString> names;
    for (const TQRCustomBand* band : report->PrintOrder())
        names.push_back(band->Name());
    const std::vector<QString> expected = {"Title",    "Country",     "City",   "Detail",
                                           "CityFoot", "CountryFoot", "Summary"};
    EXPECT_EQ(names, expected);
}

TEST_F(QRGroups, ProgressReachesAllRecordsOfTheReportDataSet)
{
    std::vector<Integer> seen;
    detail->AfterPrint = [&](TQRCustomBand*, bool) { seen.push_back(printer->Progress()); };
    Run();
    // Each record's share is posted after it printed.
    EXPECT_EQ(seen, (std::vector<Integer>{0, 25, 50, 75}));
    EXPECT_EQ(printer->Progress(), 100);
}

TEST_F(QRGroups, CancelStopsTheWalkWithoutFootersOrSummary)
{
    detail->AfterPrint = [&](TQRCustomBand*, bool) {
        if (data->FieldByName(QStringLiteral("AMOUNT"))->AsInteger() == 2)
            report->Cancel();
    };
    Run();
    const Log expected = {"Title", "Country JP", "City Osaka", "Detail 1", "CityFoot Osaka", "City Tokyo", "Detail 2"};
    EXPECT_EQ(log, expected);
    EXPECT_TRUE(report->Available());
}

TEST_F(QRGroups, AStopRequestEndsTheWalkWithFootersAndSummary)
{
    detail->AfterPrint = [&](TQRCustomBand*, bool) {
        if (data->FieldByName(QStringLiteral("AMOUNT"))->AsInteger() == 2)
            report->Run().StopRequest = true;
    };
    Run();
    const Log expected = {"Title",    "Country JP",     "City Osaka", "Detail 1",          "CityFoot Osaka",
                          "City Tokyo", "Detail 2", "CityFoot Tokyo", "CountryFoot Tokyo", "Summary Tokyo"};
    EXPECT_EQ(log, expected);
}

TEST_F(QRGroups, AFailingExpressionBreaksOnlyOnce)
{
    country->SetExpression(QStringLiteral("NOSUCH.FIELD"));
    Run();
    EXPECT_EQ(std::count(log.begin(), log.end(), QStringLiteral("Country JP")), 1);
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const QString& s) { return s.startsWith("CountryFoot"); }),
              1);
    EXPECT_EQ(log.back(), QStringLiteral("Summary Boston"));
}

TEST(QRGroupCheck, AChangeOfResultKindBreaks)
{
    InitializeQRExpr();
    TClientDataSet ds(nullptr);
    ds.SetName(QStringLiteral("T"));
    ds.FieldDefs().Add(QStringLiteral("FLAG"), ftBoolean);
    ds.CreateDataSet();
    for (bool flag : {true, true, false, false, true}) {
        ds.Append();
        ds.FieldByName(QStringLiteral("FLAG"))->SetAsBoolean(flag);
        ds.Post();
    }
    TRazorUze report(nullptr);
    report.SetUnits(TQRUnit::MM);
    TQRPrinter printer(&report);
    report.SetQRPrinter(&printer);
    report.SetDataSet(&ds);
    auto* detail = new TQRBand(&report);
    detail->SetParent(&report);
    detail->SetBandType(rbDetail);
    // 0 and '0' hold the same digit but differ in kind.
    auto* group = new TQRGroup(&report);
    group->SetParent(&report);
    group->SetExpression(QStringLiteral("IF(T.FLAG, 0, '0')"));
    std::vector<int> headers;
    int record = 0;
    detail->AfterPrint = [&](TQRCustomBand*, bool) { ++record; };
    group->AfterPrint = [&](TQRCustomBand*, bool) { headers.push_back(record); };
    report.CreateReport(false);
    EXPECT_EQ(headers, (std::vector<int>{0, 2, 4}));
    EXPECT_EQ(group->LastValue().Kind, rkInteger);
}

// ------------------------------------------------------------ empty data and OnNeedData

class QREmpty : public QRControllerTest {
protected:
    void SetUp() override
    {
        QRControllerTest::SetUp();
        Make(QStringLiteral("Title"), rbTitle, 10);
        Make(QStringLiteral("Detail"), rbDetail, 10);
        Make(QStringLiteral("Summary"), rbSummary, 10);
    }
};

TEST_F(QREmpty, AnEmptyDataSetPrintsTheEmptyReportOnlyWhenAsked)
{
    data = Sales({});
    report->SetDataSet(data.get());
    Run();
    EXPECT_EQ(log, (Log{"Title", "Detail", "Summary"}));
    log.clear();
    report->SetPrintIfEmpty(false);
    Run();
    EXPECT_TRUE(log.empty());
}

TEST_F(QREmpty, NoDataSetAndNoNeedDataPrintsTheEmptyReportOnce)
{
    Run();
    EXPECT_EQ(log, (Log{"Title", "Detail", "Summary"}));
}

TEST_F(QREmpty, NeedDataAnsweringFalseAtOncePrintsNothing)
{
    int asked = 0;
    report->SetOnNeedData([&](TObject* sender, bool& more) {
        EXPECT_EQ(sender, report.get());
        ++asked;
        more = false;
    });
    Run();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(log.empty());
}

TEST_F(QREmpty, NeedDataDrivesTheWalkUntilItAnswersFalse)
{
    const std::vector<QString> items = {"a", "b", "c"};
    size_t next = 0;
    QString current;
    report->SetOnNeedData([&](TObject*, bool& more) {
        more = next < items.size();
        if (more)
            current = items[next++];
    });
    shows["Detail"] = [&] { return current; };
    Run();
    EXPECT_EQ(log, (Log{"Title", "Detail a", "Detail b", "Detail c", "Summary"}));
    EXPECT_EQ(static_cast<TQRController*>(report->Controller())->RecordNumber(), 3);
}

TEST_F(QREmpty, AStandAloneControllerServingTheReportWalksBeforeOrAfterTheDetail)
{
    data = Sales({{"JP", "Osaka", 1}, {"US", "Boston", 2}});
    auto* lines = new TQRController(report.get());
    lines->SetMaster(report.get());
    lines->SetDataSet(data.get());
    lines->SetDetail(Make(QStringLiteral("Line"), rbSubDetail, 10, Field(data.get(), QStringLiteral("CITY"))));
    Run();
    EXPECT_EQ(log, (Log{"Title", "Detail", "Line Osaka", "Line Boston", "Summary"}));
    log.clear();
    lines->SetPrintBefore(true);
    Run();
    EXPECT_EQ(log, (Log{"Title", "Line Osaka", "Line Boston", "Detail", "Summary"}));
}

// ------------------------------------------------------------ notify clients

TEST_F(QREmpty, ClientsHearOfEveryDetailPrintButNotOfAVeto)
{
    data = Sales({{"JP", "A", 1}, {"JP", "B", 2}, {"JP", "C", 3}});
    report->SetDataSet(data.get());
    TQRCustomBand* detail = report->BandOfType(rbDetail);
    auto* counter = new TNotifyCounter(report.get());
    counter->SetParent(report->BandOfType(rbTitle));
    counter->Register = [this](TQRPrintable* p) { report->AddNotifyClient(p); };
    Run();
    EXPECT_EQ(counter->Told, 3);

    counter->Told = 0;
    detail->BeforePrint = [&](TQRCustomBand*, bool& print) {
        print = data->FieldByName(QStringLiteral("AMOUNT"))->AsInteger() != 2;
    };
    Run();
    EXPECT_EQ(counter->Told, 2);

    // A disabled detail band still counts as printed.
    counter->Told = 0;
    detail->SetEnabled(false);
    Run();
    EXPECT_EQ(counter->Told, 3);
    // The run leaves no controller on the band.
    EXPECT_EQ(detail->NotifyController(), nullptr);

    // Each run starts with no clients.
    counter->Told = 0;
    counter->Register = nullptr;
    Run();
    EXPECT_EQ(counter->Told, 0);
}

// ------------------------------------------------------------ pages

TEST_F(QREmpty, PagesInPreviewStopsAfterTheRecordThatOpenedTheNextPage)
{
    std::vector<std::tuple<QString, QString, int>> rows;
    for (int i = 1; i <= 12; ++i)
        rows.emplace_back("JP", "X", i);
    data = Sales(rows);
    report->SetDataSet(data.get());
    delete report->BandOfType(rbTitle);
    // Two 100 mm details fit on a page of 277 mm.
    report->BandOfType(rbDetail)->Size()->SetHeight(100);
    TQRBand* footer = Make(QStringLiteral("Foot"), rbGroupFooter, 10);
    TQRGroup* group = Group(QStringLiteral("Group"), QStringLiteral("SALES.COUNTRY"), footer);
    report->SetPagesInPreview(2);
    Run();
    EXPECT_EQ(pages["Detail"], (std::vector<Integer>{1, 1, 2, 2, 3}));
    EXPECT_EQ(pages["Foot"], (std::vector<Integer>{3}));
    EXPECT_EQ(pages["Summary"], (std::vector<Integer>{3}));
    EXPECT_EQ(pages["Group"], (std::vector<Integer>{1}));
    EXPECT_FALSE(group->HeaderPrinted());
}

class QRReprint : public QRControllerTest {
protected:
    void SetUp() override
    {
        QRControllerTest::SetUp();
        std::vector<std::tuple<QString, QString, int>> rows;
        for (int i = 1; i <= 3; ++i)
            rows.emplace_back("JP", "X", i);
        data = Sales(rows);
        report->SetDataSet(data.get());
        Make(QStringLiteral("PageHead"), rbPageHeader, 10);
        Make(QStringLiteral("ColHead"), rbColumnHeader, 10);
        detail = Make(QStringLiteral("Detail"), rbDetail, 100, Field(data.get(), QStringLiteral("AMOUNT")));
        footer = Make(QStringLiteral("Foot"), rbGroupFooter, 10);
        group = Group(QStringLiteral("Group"), QStringLiteral("SALES.COUNTRY"), footer);
        group->SetReprintOnNewPage(true);
    }

    TQRBand* detail = nullptr;
    TQRBand* footer = nullptr;
    TQRGroup* group = nullptr;
};

TEST_F(QRReprint, TheHeaderRepeatsAtTheTopOfTheNextPageAfterTheColumnHeader)
{
    Run();
    // Page 1: 10 + 10 + 10 + 2 x 100 = 230 of 277; the third detail opens page 2.
    const Log expected = {"PageHead", "ColHead", "Group", "Detail 1", "Detail 2",
                          "PageHead", "ColHead", "Group", "Detail 3", "Foot"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(pages["Group"], (std::vector<Integer>{1, 2}));
    group->SetReprintOnNewPage(false);
    log.clear();
    Run();
    EXPECT_EQ(std::count(log.begin(), log.end(), QStringLiteral("Group")), 1);
}

TEST_F(QRReprint, AHeaderWhoseFirstDetailBreaksThePageIsRepeated)
{
    // Page 1: 10 + 100 (title) + 10 + 10 = 130, 147 left: the group header
    // fits, its first 150 mm detail does not. Later pages hold one detail.
    Make(QStringLiteral("Title"), rbTitle, 100);
    detail->Size()->SetHeight(150);
    Run();
    const Log expected = {"PageHead", "Title",    "ColHead",  "Group",    "PageHead", "ColHead", "Group",
                          "Detail 1", "PageHead", "ColHead",  "Group",    "Detail 2", "PageHead", "ColHead",
                          "Group",    "Detail 3", "Foot"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(pages["Group"], (std::vector<Integer>{1, 2, 3, 4}));
}

TEST_F(QRReprint, AFooterOnANewPageIsNotPrecededByItsHeader)
{
    // Page 2 holds 10 + 10 + 10 + 100 = 130: the 200 mm footer opens page 3.
    footer->Size()->SetHeight(200);
    Run();
    EXPECT_EQ(pages["Group"], (std::vector<Integer>{1, 2}));
    EXPECT_EQ(pages["Foot"], (std::vector<Integer>{3}));
    EXPECT_EQ(log.back(), QStringLiteral("Foot"));
    EXPECT_EQ(log[log.size() - 2], QStringLiteral("ColHead"));
}

// ------------------------------------------------------------ sub-details

class QRSubDetails : public QRControllerTest {
protected:
    void SetUp() override
    {
        QRControllerTest::SetUp();
        data = std::make_unique<TClientDataSet>(nullptr);
        data->SetName(QStringLiteral("CUST"));
        data->FieldDefs().Add(QStringLiteral("ID"), ftInteger);
        data->CreateDataSet();
        for (int id : {1, 2, 3})
            AddRow(*data, {id});
        orders = std::make_unique<TClientDataSet>(nullptr);
        orders->SetName(QStringLiteral("ORDERS"));
        orders->FieldDefs().Add(QStringLiteral("CUSTID"), ftInteger);
        orders->FieldDefs().Add(QStringLiteral("ITEM"), ftInteger);
        orders->CreateDataSet();
        // Customer 2 has no orders.
        for (auto [cust, item] : {std::pair{1, 10}, {1, 11}, {3, 30}})
            AddRow(*orders, {cust, item});
        source = std::make_unique<TDataSource>(nullptr);
        source->SetDataSet(data.get());
        orders->SetIndexFieldNames(QStringLiteral("CUSTID"));
        orders->SetMasterFields(QStringLiteral("ID"));
        orders->SetMasterSource(source.get());

        report->SetDataSet(data.get());
        Make(QStringLiteral("Detail"), rbDetail, 10, Field(data.get(), QStringLiteral("ID")));
        sub = Make<TQRSubDetail>(QStringLiteral("Sub"), 10, Field(orders.get(), QStringLiteral("ITEM")));
        sub->SetDataSet(orders.get());
        sub->Bands()->SetHasHeader(true);
        sub->Bands()->SetHasFooter(true);
        sub->HeaderBand()->SetName(QStringLiteral("SubHead"));
        sub->FooterBand()->SetName(QStringLiteral("SubFoot"));
    }

    static void AddRow(TDataSet& ds, std::vector<int> values)
    {
        ds.Append();
        for (size_t i = 0; i < values.size(); ++i)
            ds.Fields(Integer(i))->SetAsInteger(values[i]);
        ds.Post();
    }

    std::unique_ptr<TClientDataSet> orders;
    std::unique_ptr<TDataSource> source;
    TQRSubDetail* sub = nullptr;
};

TEST_F(QRSubDetails, PrintAfterTheMasterDetailWithHeaderAndFooter)
{
    Run();
    // Customer 2's sub-detail prints its empty report: header, band, footer once.
    const Log expected = {"Detail 1", "SubHead", "Sub 10",  "Sub 11",  "SubFoot", "Detail 2", "SubHead",
                          "Sub ",     "SubFoot", "Detail 3", "SubHead", "Sub 30",  "SubFoot"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(sub->HeaderBand()->BandType(), rbGroupHeader);
    EXPECT_EQ(sub->FooterBand()->BandType(), rbGroupFooter);
}

TEST_F(QRSubDetails, PrintBeforeTheMasterDetailAndSkipEmptyOnes)
{
    sub->SetPrintBefore(true);
    sub->SetPrintIfEmpty(false);
    Run();
    const Log expected = {"SubHead", "Sub 10", "Sub 11",  "SubFoot", "Detail 1", "Detail 2",
                          "SubHead", "Sub 30", "SubFoot", "Detail 3"};
    EXPECT_EQ(log, expected);
    std::vector<QString> order;
    for (const TQRCustomBand* band : report->PrintOrder())
        order.push_back(band->Name());
    EXPECT_EQ(order, (std::vector<QString>{"SubHead", "Sub", "SubFoot", "Detail"}));
}

TEST_F(QRSubDetails, GroupsOfASubDetailStartAfreshForEachMasterRecord)
{
    TQRBand* groupFooter = Make(QStringLiteral("InnerFoot"), rbGroupFooter, 10);
    // The same value for every order: only a new walk breaks the group.
    TQRGroup* group = Group(QStringLiteral("InnerGroup"), QStringLiteral("'all'"), groupFooter);
    group->SetMaster(sub);
    sub->SetPrintIfEmpty(false);
    Run();
    const Log expected = {"Detail 1", "SubHead",    "InnerGroup", "Sub 10",    "Sub 11",     "InnerFoot",
                          "SubFoot",  "Detail 2",   "Detail 3",   "SubHead",   "InnerGroup", "Sub 30",
                          "InnerFoot", "SubFoot"};
    EXPECT_EQ(log, expected);
    EXPECT_TRUE(report->Controller()->Groups().empty());
    std::vector<QString> order;
    for (const TQRCustomBand* band : report->PrintOrder())
        order.push_back(band->Name());
    EXPECT_EQ(order, (std::vector<QString>{"Detail", "SubHead", "InnerGroup", "Sub", "InnerFoot", "SubFoot"}));
}

TEST_F(QRSubDetails, ClientsOfTheSubDetailHearOfItsPrints)
{
    auto* counter = new TNotifyCounter(report.get());
    counter->SetParent(sub);
    counter->Register = [this](TQRPrintable* p) { sub->AddNotifyClient(p); };
    Run();
    // Two orders, the empty print for customer 2, one order.
    EXPECT_EQ(counter->Told, 4);
}

TEST_F(QRSubDetails, FreeingDataSetsAndBandsClearsTheProperties)
{
    sub->Bands()->SetHasHeader(false);
    EXPECT_EQ(sub->HeaderBand(), nullptr);
    EXPECT_FALSE(sub->Bands()->HasHeader());
    orders.reset();
    EXPECT_EQ(sub->DataSet(), nullptr);
    source->SetDataSet(nullptr);
    data.reset();
    EXPECT_EQ(report->DataSet(), nullptr);
    // The walk without data prints the empty report.
    shows.clear();
    Run();
    EXPECT_EQ(log, (Log{"Detail", "Sub", "SubFoot"}));
}

TEST_F(QRSubDetails, ASubDetailOfASubDetailRunsForEachOfItsRecords)
{
    auto* inner = Make<TQRSubDetail>(QStringLiteral("Inner"), 10);
    inner->SetMaster(sub);
    int left = 0;
    inner->SetOnNeedData([&](TObject* sender, bool& more) {
        EXPECT_EQ(sender, inner);
        more = left-- > 0;
    });
    // Each walk of the inner band starts with two records.
    sub->AfterPrint = [&](TQRCustomBand*, bool) { left = 2; };
    sub->SetPrintIfEmpty(false);
    // A master chain leading back to the band is refused.
    sub->SetMaster(inner);
    EXPECT_EQ(sub->Master(), report.get());
    Run();
    const Log expected = {"Detail 1", "SubHead",  "Sub 10",  "Inner",  "Inner",   "Sub 11",   "Inner", "Inner",
                          "SubFoot",  "Detail 2", "Detail 3", "SubHead", "Sub 30", "Inner", "Inner", "SubFoot"};
    EXPECT_EQ(log, expected);
    ASSERT_EQ(sub->Controller()->AfterList().size(), 1u);
    EXPECT_EQ(sub->Controller()->AfterList().front(), inner->Controller());
}

// A report in millimetres over queries on a scratch database.
class QRQueryReport : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitializeQRExpr();
        report.SetUnits(TQRUnit::MM);
        report.SetQRPrinter(&printer);
    }

    void Exec(const QString& sql)
    {
        TQuery query(nullptr);
        Point(query, sql);
        query.ExecSQL();
    }

    void Point(TQuery& query, const QString& sql)
    {
        query.SetDatabaseName(dir.filePath(QStringLiteral("data.db")));
        query.SQL()->SetText(sql);
    }

    // Logs the field of the current record each time the band prints.
    void LogField(TQRCustomBand* band, TDataSet& data, const QString& field)
    {
        band->SetParent(&report);
        band->BeforePrint = [this, &data, field](TQRCustomBand*, bool&) {
            log.push_back(data.FieldByName(field)->AsString());
        };
    }

    TQRBand* LoggingDetail(TDataSet& data, const QString& field)
    {
        auto* detail = new TQRBand(&report);
        LogField(detail, data, field);
        detail->SetBandType(rbDetail);
        return detail;
    }

    QTemporaryDir dir;
    Log log;
    TRazorUze report{nullptr};
    TQRPrinter printer{&report};
};

TEST_F(QRQueryReport, AParameterNamedInFunctionsTakesTheMasterValue)
{
    Exec("CREATE TABLE cust (id INTEGER, name VARCHAR(10))");
    Exec("CREATE TABLE orders (cust INTEGER, item VARCHAR(10))");
    Exec("INSERT INTO cust VALUES (1, 'Aoki'), (2, 'Baba'), (3, 'Chiba')");
    Exec("INSERT INTO orders VALUES (1, 'pen'), (3, 'ink'), (1, 'cap'), (2, 'pad')");
    TQuery cust(nullptr);
    cust.SetName(QStringLiteral("CUST"));
    Point(cust, QStringLiteral("SELECT * FROM cust ORDER BY id"));
    cust.Open();
    TQuery orders(nullptr);
    Point(orders, QStringLiteral("SELECT item FROM orders WHERE cust = :CUSTID ORDER BY item"));
    orders.ParamByName(QStringLiteral("CUSTID"))->SetDataType(ftInteger);
    orders.Open();

    report.SetDataSet(&cust);
    report.Functions()->AddFunction(QStringLiteral("CUSTID"), QStringLiteral("CUST.ID"));
    LoggingDetail(cust, QStringLiteral("NAME"));
    auto* sub = new TQRSubDetail(&report);
    LogField(sub, orders, QStringLiteral("ITEM"));
    sub->SetDataSet(&orders);
    report.CreateReport(false);
    EXPECT_EQ(log, (Log{"Aoki", "cap", "pen", "Baba", "pad", "Chiba", "ink"}));
    EXPECT_TRUE(sub->Controller()->ParamsBound());
    EXPECT_EQ(orders.ParamByName(QStringLiteral("CUSTID"))->AsInteger(), 3);
}

TEST_F(QRQueryReport, EachParameterTakesAValueOfItsOwnKindOnly)
{
    Exec("CREATE TABLE ev (day DATE, kind VARCHAR(5), pri INTEGER, done BOOLEAN, price REAL, tag VARCHAR(5), "
         "name VARCHAR(10))");
    Exec("INSERT INTO ev VALUES ('2024-02-29', 'b', 2, 1, 2.5, 'x', 'hit'), "
         "('2024-02-28', 'b', 2, 1, 2.5, 'x', 'day'), ('2024-02-29', 'a', 2, 1, 2.5, 'x', 'kind'), "
         "('2024-02-29', 'b', 3, 1, 2.5, 'x', 'pri'), ('2024-02-29', 'b', 2, 0, 2.5, 'x', 'done'), "
         "('2024-02-29', 'b', 2, 1, 1.5, 'x', 'price'), ('2024-02-29', 'b', 2, 1, 2.5, '3', 'tag')");
    TQuery query(nullptr);
    Point(query, QStringLiteral("SELECT name FROM ev WHERE day = :DAY AND kind = :KIND AND pri = :PRI "
                                "AND done = :DONE AND price = :PRICE AND tag = :TAG"));
    query.ParamByName(QStringLiteral("DAY"))->SetDataType(ftDate);
    query.ParamByName(QStringLiteral("KIND"))->SetDataType(ftString);
    query.ParamByName(QStringLiteral("PRI"))->SetDataType(ftSmallint);
    query.ParamByName(QStringLiteral("DONE"))->SetDataType(ftBoolean);
    query.ParamByName(QStringLiteral("PRICE"))->SetDataType(ftCurrency);
    query.ParamByName(QStringLiteral("TAG"))->SetAsString(QStringLiteral("x"));
    query.Open();

    report.SetDataSet(&query);
    report.SetPrintIfEmpty(false);
    TQREvEnvironment& functions = *report.Functions();
    functions.AddFunction(QStringLiteral("DAY"), QStringLiteral("'2024/02/29'"));
    functions.AddFunction(QStringLiteral("KIND"), QStringLiteral("'b'"));
    functions.AddFunction(QStringLiteral("PRI"), QStringLiteral("1+1"));
    functions.AddFunction(QStringLiteral("DONE"), QStringLiteral("1=1"));
    functions.AddFunction(QStringLiteral("PRICE"), QStringLiteral("5/2"));
    // A number for a text parameter: the parameter keeps its value.
    functions.AddFunction(QStringLiteral("TAG"), QStringLiteral("3"));
    LoggingDetail(query, QStringLiteral("NAME"));
    report.CreateReport(false);
    EXPECT_EQ(log, (Log{"hit"}));
    EXPECT_EQ(query.ParamByName(QStringLiteral("DAY"))->AsDate(), EncodeDate(2024, 2, 29));
    EXPECT_EQ(query.ParamByName(QStringLiteral("TAG"))->AsString(), QStringLiteral("x"));
}

TEST_F(QRQueryReport, AUniDirectionalQueryPrintsGroupFootersWithTheClosingRecord)
{
    Exec("CREATE TABLE sales (country VARCHAR(5), amount INTEGER)");
    Exec("INSERT INTO sales VALUES ('JP', 1), ('JP', 2), ('US', 3), ('DE', 4), ('DE', 5)");
    TQuery sales(nullptr);
    sales.SetName(QStringLiteral("SALES"));
    Point(sales, QStringLiteral("SELECT * FROM sales"));
    sales.SetUniDirectional(true);
    sales.Open();
    report.SetDataSet(&sales);
    auto* footer = new TQRBand(&report);
    LogField(footer, sales, QStringLiteral("COUNTRY"));
    auto* group = new TQRGroup(&report);
    LogField(group, sales, QStringLiteral("COUNTRY"));
    group->SetExpression(QStringLiteral("SALES.COUNTRY"));
    group->SetFooterBand(footer);
    LoggingDetail(sales, QStringLiteral("AMOUNT"));
    const Log once = {"JP", "1", "2", "JP", "US", "3", "US", "DE", "4", "5", "DE"};
    report.CreateReport(false);
    EXPECT_EQ(log, once);
    // A second run reads the records again from the first.
    log.clear();
    TQRPrinter again(&report);
    report.SetQRPrinter(&again);
    report.CreateReport(false);
    report.SetQRPrinter(&printer);
    EXPECT_EQ(log, once);
}

// ------------------------------------------------------------ the data set list

TEST(QRDataSetList, HoldsTheDataSetsOfTheFormDuringARunOnly)
{
    InitializeQRExpr();
    TForm form(nullptr);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    auto* onForm = new TClientDataSet(&form);
    auto* inPanel = new TClientDataSet(panel);
    auto* report = new TRazorUze(&form);
    report->SetParent(&form);
    report->SetUnits(TQRUnit::MM);
    TQRPrinter printer(report);
    report->SetQRPrinter(&printer);
    auto* detail = new TQRBand(&form);
    detail->SetParent(report);
    detail->SetBandType(rbDetail);
    TQRDataSetList during;
    detail->BeforePrint = [&](TQRCustomBand*, bool&) { during = *report->AllDataSets(); };
    EXPECT_EQ(report->AllDataSets(), nullptr);
    report->CreateReport(false);
    EXPECT_EQ(during, (TQRDataSetList{inPanel, onForm}));
    EXPECT_EQ(report->AllDataSets(), nullptr);
}

}  // namespace
