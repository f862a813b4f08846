// The expression control: a value's text by kind and mask, the caption at
// design time, and aggregates kept in step with the records of its master
// in real runs (printed values caught as they are printed).
#include "QRCtrls.h"

#include "DBClient.h"
#include "EmfSvg.h"
#include "Metafile.h"

#include <QtCore/QVariant>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

TEST(QRExprText, NumbersFollowTheMask)
{
    EXPECT_EQ(QRValueText(EvalResult::FromInteger(1234), "#,##0.00"), "1,234.00");
    EXPECT_EQ(QRValueText(EvalResult::FromInteger(-1234), "#,##0;(#,##0)"), "(1,234)");
    EXPECT_EQ(QRValueText(EvalResult::FromInteger(1234), ""), "1234");
    EXPECT_EQ(QRValueText(EvalResult::FromFloat(2.5), "0.00"), "2.50");
    EXPECT_EQ(QRValueText(EvalResult::FromFloat(0.1 + 0.2), ""), "0.3");
}

TEST(QRExprText, CurrencyMasksGoThroughFormat)
{
    // Japanese currency: the yen sign before the amount, no decimals.
    EXPECT_EQ(QRValueText(EvalResult::FromFloat(1234.5), "%m"), QString::fromUtf8("\xC2\xA5" "1,235"));
    EXPECT_EQ(QRValueText(EvalResult::FromFloat(1234.5), "Total %m"), QString::fromUtf8("Total \xC2\xA5" "1,235"));
    EXPECT_EQ(QRValueText(EvalResult::FromFloat(-5), "%m%%"), QString::fromUtf8("-\xC2\xA5" "5%"));
}

TEST(QRExprText, CurrencyMasksWithOtherSpecifiersAreRefused)
{
    const QString invalid = QStringLiteral("Invalid format or value specified");
    for (const char* mask : {"%m %d", "%m %m", "%m%*m", "%m%999999999m", "%m %", "%s%m", "%m%0:d"})
        EXPECT_EQ(QRValueText(EvalResult::FromFloat(1), mask), invalid) << mask;
}

TEST(QRExprText, BooleansStringsAndErrors)
{
    EXPECT_EQ(QRValueText(EvalResult::FromBoolean(true), "#,##0.00"), "True");
    EXPECT_EQ(QRValueText(EvalResult::FromBoolean(false), "%m"), "False");
    EXPECT_EQ(QRValueText(EvalResult::FromString("abc"), "0.00"), "abc");
    EXPECT_EQ(QRValueText(EvalResult::Error("Cannot divide by 0"), "0"), "Cannot divide by 0");
}

TEST(QRExprControl, CaptionShowsTheExpressionOrNone)
{
    InitializeQRExpr();
    TQRExpr expr(nullptr);
    EXPECT_EQ(expr.Caption(), "(none)");
    expr.SetExpression("SUM(SALES.AMOUNT)");
    EXPECT_EQ(expr.Caption(), "SUM(SALES.AMOUNT)");
    expr.SetMask("#,##0");
    EXPECT_EQ(expr.Caption(), "SUM(SALES.AMOUNT)");
    EXPECT_EQ(expr.Mask(), "#,##0");
    expr.SetExpression(QString());
    EXPECT_EQ(expr.PrintText(), "(none)");
}

TEST(QRExprControl, PrintedBeforeBeingPreparedRaises)
{
    InitializeQRExpr();
    TQRExpr expr(nullptr);
    expr.SetExpression("1+1");
    EXPECT_THROW(expr.Print(0, 0), Exception);
}

TEST(QRExprControl, AMasterThatGoesAwayIsForgotten)
{
    auto report = std::make_unique<TRazorUze>(nullptr);
    TQRExpr expr(nullptr);
    expr.SetMaster(report.get());
    EXPECT_EQ(expr.Master(), report.get());
    report.reset();
    EXPECT_EQ(expr.Master(), nullptr);
}

// ------------------------------------------------------------ in a run

namespace {

class QRExprRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitializeQRExpr();
        report = std::make_unique<TRazorUze>(nullptr);
        report->SetUnits(TQRUnit::MM);
        report->Page()->SetPaperSize(TQRPaperSize::A4);
    }

    static std::unique_ptr<TClientDataSet> Table(const QString& name, const QStringList& fields,
                                                 const std::vector<std::vector<QVariant>>& rows)
    {
        auto ds = std::make_unique<TClientDataSet>(nullptr);
        ds->SetName(name);
        for (const QString& field : fields)
            ds->FieldDefs().Add(field, field == "COUNTRY" ? ftString : ftInteger, 10);
        ds->CreateDataSet();
        for (const auto& row : rows) {
            ds->Append();
            for (size_t i = 0; i < row.size(); ++i) {
                if (row[i].typeId() == QMetaType::QString)
                    ds->Fields(Integer(i))->SetAsString(row[i].toString());
                else
                    ds->Fields(Integer(i))->SetAsInteger(row[i].toInt());
            }
            ds->Post();
        }
        return ds;
    }

    template <class Band = TQRBand> Band* Make(const QString& name, TComponent* parent = nullptr)
    {
        auto* band = new Band(report.get());
        band->SetName(name);
        band->SetParent(parent ? static_cast<TWinControl*>(parent) : report.get());
        band->Size()->SetHeight(8);
        return band;
    }

    // An expression control on band whose printed texts are collected.
    TQRExpr* Expr(TQRCustomBand* band, const QString& expression, std::vector<QString>& printed)
    {
        auto* expr = new TQRExpr(report.get());
        expr->SetParent(band);
        expr->SetExpression(expression);
        expr->OnPrint = [&printed](TObject*, QString& value) { printed.push_back(value); };
        return expr;
    }

    void Run()
    {
        printer = std::make_unique<TQRPrinter>(report.get());
        report->SetQRPrinter(printer.get());
        report->CreateReport(false);
    }

    // Declared first: freed after the report that refers to them.
    std::unique_ptr<TClientDataSet> data;
    std::unique_ptr<TClientDataSet> orders;
    std::unique_ptr<TDataSource> source;
    std::unique_ptr<TRazorUze> report;
    std::unique_ptr<TQRPrinter> printer;
};

}  // namespace

TEST_F(QRExprRun, GroupFooterSumsWithAndWithoutResetAfterPrint)
{
    data = Table("SALES", {"COUNTRY", "AMOUNT"}, {{"JP", 10}, {"JP", 20}, {"US", 5}, {"US", 7}, {"UK", 1}});
    report->SetDataSet(data.get());
    TQRBand* detail = Make("Detail");
    detail->SetBandType(rbDetail);
    TQRBand* footer = Make("Footer");
    footer->SetBandType(rbGroupFooter);
    auto* group = Make<TQRGroup>("Group");
    group->SetExpression("SALES.COUNTRY");
    group->SetFooterBand(footer);
    std::vector<QString> perGroup, running, amounts;
    Expr(footer, "SUM(SALES.AMOUNT)", perGroup)->SetResetAfterPrint(true);
    Expr(footer, "SUM(SALES.AMOUNT)", running);
    Expr(detail, "SALES.AMOUNT", amounts)->SetMask("#,##0.00");
    Run();
    EXPECT_EQ(perGroup, std::vector<QString>({"30", "12", "1"}));
    EXPECT_EQ(running, std::vector<QString>({"30", "42", "43"}));
    EXPECT_EQ(amounts, std::vector<QString>({"10.00", "20.00", "5.00", "7.00", "1.00"}));
}

TEST_F(QRExprRun, CountWithASubDetailMasterCountsThatBandsRecords)
{
    data = Table("CUST", {"ID"}, {{QVariant(1)}, {QVariant(2)}, {QVariant(3)}});
    orders = Table("ORDERS", {"CUSTID", "ITEM"}, {{1, 10}, {1, 11}, {2, 20}, {3, 30}, {3, 31}, {3, 32}});
    source = std::make_unique<TDataSource>(nullptr);
    source->SetDataSet(data.get());
    orders->SetIndexFieldNames("CUSTID");
    orders->SetMasterFields("ID");
    orders->SetMasterSource(source.get());
    report->SetDataSet(data.get());
    TQRBand* detail = Make("Detail");
    detail->SetBandType(rbDetail);
    auto* sub = Make<TQRSubDetail>("Sub");
    sub->SetDataSet(orders.get());
    sub->Bands()->SetHasFooter(true);
    TQRBand* summary = Make("Summary");
    summary->SetBandType(rbSummary);

    std::vector<QString> perCustomer, customers, orderTotal;
    TQRExpr* count = Expr(sub->FooterBand(), "COUNT", perCustomer);
    count->SetMaster(sub);
    count->SetResetAfterPrint(true);
    Expr(summary, "COUNT", customers)->SetMaster(report.get());
    Expr(summary, "COUNT", orderTotal)->SetMaster(sub);
    Run();
    EXPECT_EQ(perCustomer, std::vector<QString>({"2", "1", "3"}));
    EXPECT_EQ(customers, std::vector<QString>({"3"}));
    EXPECT_EQ(orderTotal, std::vector<QString>({"6"}));
}

TEST_F(QRExprRun, BooleansAndErrorsPrintAsText)
{
    if (ConverterMissing())
        GTEST_SKIP() << "emf2svg-conv is not installed (scripts/install-deps.sh installs it)";
    data = Table("SALES", {"AMOUNT"}, {{QVariant(3)}});
    report->SetDataSet(data.get());
    TQRBand* detail = Make("Detail");
    detail->SetBandType(rbDetail);
    std::vector<QString> printed;
    TQRExpr* truth = Expr(detail, "SALES.AMOUNT > 2", printed);
    truth->SetMask("#,##0.00");
    TQRExpr* error = Expr(detail, "FOO(1)", printed);
    error->SetLeft(300);
    Run();
    ASSERT_EQ(printed.size(), 2u);
    EXPECT_EQ(printed[0], "True");
    EXPECT_EQ(printed[1], "Unknown function : FOO");
    // The page carries both texts; the design captions are back after the run.
    const auto page = printer->GetPage(1);
    ASSERT_NE(page, nullptr);
    QStringList texts;
    for (const SvgElement& e : Named(ConvertToSvg(*page, "qrexpr-texts"), "text"))
        texts << e.text;
    EXPECT_TRUE(texts.contains("True")) << texts.join('|').toStdString();
    EXPECT_TRUE(texts.contains("Unknown function : FOO")) << texts.join('|').toStdString();
    EXPECT_EQ(truth->Caption(), "SALES.AMOUNT > 2");
    EXPECT_EQ(truth->PrintText(), "SALES.AMOUNT > 2");
}
