// A program that calls no start-up routine of the library: its units have
// started with the application object, which the shared test main builds.
// Nothing here names the report classes' registration, so only the
// library's own link keeps it.
#include "DBClient.h"
#include "QRCtrls.h"
#include "QRExpr.h"
#include "QRPrntr.h"
#include "QRReport.h"
#include "ZvCodePage.h"
#include "ZvTUtils.h"

#include <gtest/gtest.h>

namespace {

TEST(UnitStartUp, TheApplicationStartsTheLibrarysUnits) {
    EXPECT_EQ(ZvAnsiCodePage, 932u);
    EXPECT_EQ(ZvUserLocale, 0x0411u);
    ASSERT_NE(ZvHistory, nullptr);
    EXPECT_EQ(ZvHistory->Lines().Count(), 1);
    EXPECT_FALSE(ZvOSName.isEmpty());
    // Its functions and classes are checked by the report below.
    EXPECT_NE(QRFunctionLibrary(), nullptr);
    EXPECT_NE(GlobalEnvironment(), nullptr);
}

// A report made of classes found by name, over an open data set; every
// expression control collects what it prints.
class StartedReport : public ::testing::Test {
protected:
    void SetUp() override {
        auto* sales = new TClientDataSet(&owner);
        sales->SetName(QStringLiteral("SALES"));
        sales->FieldDefs().Add(QStringLiteral("CUSTOMER"), ftString, 20);
        sales->FieldDefs().Add(QStringLiteral("AMOUNT"), ftInteger);
        sales->CreateDataSet();
        for (const auto& [customer, amount] : {std::pair{"tanaka", 1200}, {"suzuki", 800}, {"sato", 2500}}) {
            sales->Append();
            sales->FieldByName(QStringLiteral("CUSTOMER"))->SetAsString(QString::fromLatin1(customer));
            sales->FieldByName(QStringLiteral("AMOUNT"))->SetAsInteger(amount);
            sales->Post();
        }
        report = dynamic_cast<TRazorUze*>(FindClass(QStringLiteral("TRazorUze"))(&owner));
        ASSERT_NE(report, nullptr);
        report->SetDataSet(sales);
    }

    TQRBand* AddBand(TQRBandType type) {
        auto* band = dynamic_cast<TQRBand*>(FindClass(QStringLiteral("TQRBand"))(&owner));
        band->SetParent(report);
        band->SetBandType(type);
        return band;
    }

    void AddExpr(TQRBand* band, const QString& expression) {
        auto* expr = dynamic_cast<TQRExpr*>(FindClass(QStringLiteral("TQRExpr"))(&owner));
        expr->SetParent(band);
        expr->SetExpression(expression);
        expr->OnPrint = [this](TObject*, QString& value) { printed << value; };
    }

    QStringList Run() {
        TQRPrinter printer(report);
        report->SetQRPrinter(&printer);
        report->CreateReport(false);
        report->SetQRPrinter(nullptr);
        return printed;
    }

    TComponent owner{nullptr};
    TRazorUze* report = nullptr;
    QStringList printed;
};

TEST_F(StartedReport, PrintsEveryFunctionsValue) {
    AddExpr(AddBand(rbTitle), QStringLiteral("UPPER('sales')"));
    TQRBand* detail = AddBand(rbDetail);
    AddExpr(detail, QStringLiteral("COUNT"));
    AddExpr(detail, QStringLiteral("STR(SALES.AMOUNT) + ' ' + IF(SALES.AMOUNT > 1000, 'large', 'small')"));
    AddExpr(AddBand(rbSummary), QStringLiteral("SUM(SALES.AMOUNT)"));
    EXPECT_EQ(Run(), QStringList({"SALES", "1", "1200 large", "2", "800 small", "3", "2500 large", "4500"}));
}

}  // namespace
