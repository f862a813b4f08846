// A program that uses the library: it fills an in-memory data set, lays out
// a one-page report over it and prints the report on the selected printer,
// the built-in PDF printer unless another one was chosen.
#include "DBClient.h"
#include "QRCtrls.h"
#include "QRReport.h"

#include <QtWidgets/QApplication>

#include <utility>

namespace {

// Expressions find their data sets among the components of the report's
// form or owner, by name ("SALES.AMOUNT").
TClientDataSet* SalesTable(TComponent* owner) {
    auto* sales = new TClientDataSet(owner);
    sales->SetName(QStringLiteral("SALES"));
    sales->FieldDefs().Add(QStringLiteral("CUSTOMER"), ftString, 20);
    sales->FieldDefs().Add(QStringLiteral("AMOUNT"), ftInteger);
    sales->CreateDataSet();  // makes the table and opens it
    for (const auto& [customer, amount] : {std::pair{"tanaka", 1200}, {"suzuki", 800}, {"sato", 2500}}) {
        sales->Append();
        sales->FieldByName(QStringLiteral("CUSTOMER"))->SetAsString(QString::fromLatin1(customer));
        sales->FieldByName(QStringLiteral("AMOUNT"))->SetAsInteger(amount);
        sales->Post();
    }
    return sales;
}

TQRBand* AddBand(TRazorUze* report, TQRBandType type) {
    auto* band = new TQRBand(report->Owner());
    band->SetParent(report);
    band->SetBandType(type);
    band->Size()->SetHeight(8);
    return band;
}

void AddExpr(TQRBand* band, Extended left, const QString& expression) {
    auto* expr = new TQRExpr(band->Owner());
    expr->SetParent(band);
    expr->Size()->SetLeft(left);
    expr->SetExpression(expression);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);  // the library's units start here
    TComponent owner(nullptr);
    TClientDataSet* sales = SalesTable(&owner);

    auto* report = new TRazorUze(&owner);
    report->SetUnits(TQRUnit::MM);
    report->SetReportTitle(QStringLiteral("Sales"));  // the PDF is Sales.pdf
    report->SetShowProgress(false);
    report->SetDataSet(sales);  // open before the run, or the report is empty

    AddExpr(AddBand(report, rbTitle), 0, QStringLiteral("UPPER('sales by customer')"));
    TQRBand* detail = AddBand(report, rbDetail);
    AddExpr(detail, 0, QStringLiteral("COUNT"));
    AddExpr(detail, 20, QStringLiteral("SALES.CUSTOMER"));
    AddExpr(detail, 60, QStringLiteral("'amount ' + STR(SALES.AMOUNT)"));
    AddExpr(detail, 110, QStringLiteral("IF(SALES.AMOUNT > 1000, 'large', 'small')"));
    AddExpr(AddBand(report, rbSummary), 0, QStringLiteral("'total ' + STR(SUM(SALES.AMOUNT))"));

    report->Print();
    return 0;
}
