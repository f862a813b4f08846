// The grouped list report of the benchmarks: a page header and footer with
// the page number, a group on the customer with header and footer totals,
// five fields and a rule per record, a summary; and the records it lists.
#pragma once

#include "DBTables.h"
#include "QRCtrls.h"
#include "QRReport.h"

#include <cstring>
#include <memory>

namespace bench {

// Customers change every 37 records, so groups straddle pages.
constexpr int kGroupSize = 37;

inline void Exec(const QString& database, const QString& sql) {
    TQuery query(nullptr);
    query.SetDatabaseName(database);
    query.SQL()->SetText(sql);
    query.ExecSQL();
}

// Writes the list's records into the database.
inline void FillList(const QString& database, int records) {
    Exec(database, QStringLiteral("CREATE TABLE list (id INTEGER PRIMARY KEY, customer VARCHAR(30), "
                                  "item VARCHAR(30), qty INTEGER, price INTEGER)"));
    Exec(database, QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                  "INSERT INTO list SELECT i, '得意先 ' || (i / %2), 'Item ' || (i * 7919 % 1000), "
                                  "1 + i % 17, 100 + (i * 31 % 900) FROM n")
                       .arg(records)
                       .arg(kGroupSize));
}

// The list's records, opened.
inline std::unique_ptr<TQuery> OpenList(const QString& database, bool uniDirectional) {
    auto query = std::make_unique<TQuery>(nullptr);
    query->SetName(QStringLiteral("LIST"));
    query->SetDatabaseName(database);
    query->SetUniDirectional(uniDirectional);
    query->SQL()->SetText(QStringLiteral(
        "SELECT id AS ID, customer AS CUSTOMER, item AS ITEM, qty AS QTY, price AS PRICE, qty * price AS AMOUNT "
        "FROM list ORDER BY id"));
    query->Open();
    return query;
}

// ------------------------------------------------------------ layout, in millimetres

struct Field {
    const char* Name;
    double Left;
};
const Field kFields[] = {{"ID", 5}, {"ITEM", 25}, {"QTY", 80}, {"PRICE", 100}, {"AMOUNT", 130}};
constexpr double kHeader = 10, kGroupHeader = 8, kDetail = 5, kGroupFooter = 8, kFooter = 8, kSummary = 10;
// One record per page in the pages mode.
constexpr double kTallDetail = 240;
const char* const kAmountMask = "#,##0";

class TListReport {
public:
    TListReport(TDataSet* data, bool onePerPage) : report_(std::make_unique<TRazorUze>(nullptr)) {
        report_->SetUnits(TQRUnit::MM);
        report_->Page()->SetPaperSize(TQRPaperSize::A4);
        report_->SetShowProgress(false);
        report_->SetDataSet(data);
        TQRBand* header = Band(rbPageHeader, kHeader);
        Label(header, 0, QStringLiteral("Sales list"));
        Expr(header, 160, QStringLiteral("'Page ' + PAGENUMBER"));
        TQRBand* footer = Band(rbPageFooter, kFooter);
        Expr(footer, 90, QStringLiteral("'- ' + PAGENUMBER + ' -'"));
        TQRBand* detail = Band(rbDetail, onePerPage ? kTallDetail : kDetail);
        for (const Field& f : kFields)
            Expr(detail, f.Left, QStringLiteral("LIST.") + QLatin1String(f.Name),
                 std::strcmp(f.Name, "AMOUNT") == 0 ? QString::fromLatin1(kAmountMask) : QString());
        Rule(detail);
        if (!onePerPage)
            AddGroup();
        TQRBand* summary = Band(rbSummary, kSummary);
        Label(summary, 0, QStringLiteral("Grand total"));
        Expr(summary, 130, QStringLiteral("SUM(LIST.AMOUNT)"), QString::fromLatin1(kAmountMask));
    }

    TRazorUze& Report() const { return *report_; }

    // The page count; storeBytes is the size of the page store, in a
    // temporary file once it passed the memory limit (inFile).
    Integer Run(Int64& storeBytes, bool& inFile) {
        TQRPrinter store(report_.get());
        RunInto(store);
        storeBytes = store.PageList().Stream()->Size();
        inFile = !store.PageList().Stream()->InMemory();
        return store.PageCount();
    }

    // Prints to the application's printer; the page count.
    Integer Print() {
        report_->Print();
        return report_->PageNumber();
    }

    // The preview's road: runs into the page store, then prints the stored
    // pages to the application's printer; the page count.
    Integer PrintStored() {
        TQRPrinter store(report_.get());
        RunInto(store);
        store.Print();
        return store.PageCount();
    }

    // Runs the report into store, a printer made for this report, which
    // keeps the pages.
    void RunInto(TQRPrinter& store) {
        report_->SetQRPrinter(&store);
        report_->CreateReport(false);
        report_->SetQRPrinter(nullptr);
    }

private:
    void AddGroup() {
        auto* group = new TQRGroup(report_.get());
        group->SetParent(report_.get());
        group->SetExpression(QStringLiteral("LIST.CUSTOMER"));
        group->Size()->SetHeight(kGroupHeader);
        Label(group, 0, QStringLiteral("Customer"));
        Expr(group, 25, QStringLiteral("LIST.CUSTOMER"));
        TQRBand* footer = Band(rbGroupFooter, kGroupFooter);
        group->SetFooterBand(footer);
        Label(footer, 0, QStringLiteral("Total"));
        Expr(footer, 25, QStringLiteral("COUNT"))->SetResetAfterPrint(true);
        Expr(footer, 130, QStringLiteral("SUM(LIST.AMOUNT)"), QString::fromLatin1(kAmountMask))
            ->SetResetAfterPrint(true);
    }

    TQRBand* Band(TQRBandType type, double height) {
        auto* band = new TQRBand(report_.get());
        band->SetParent(report_.get());
        band->SetBandType(type);
        band->Size()->SetHeight(height);
        return band;
    }

    template <class T> T* Place(TWinControl* band, double left) {
        auto* control = new T(report_.get());
        control->SetParent(band);
        control->Size()->SetLeft(left);
        control->Size()->SetTop(0.5);
        return control;
    }

    void Label(TWinControl* band, double left, const QString& text) { Place<TQRLabel>(band, left)->SetCaption(text); }

    TQRExpr* Expr(TWinControl* band, double left, const QString& expression, const QString& mask = {}) {
        auto* expr = Place<TQRExpr>(band, left);
        expr->SetExpression(expression);
        expr->SetMask(mask);
        return expr;
    }

    // A rule along the bottom of the detail.
    void Rule(TWinControl* band) {
        auto* rule = Place<TQRShape>(band, 0);
        rule->SetShape(qrsHorLine);
        rule->Size()->SetTop(4.5);
        rule->Size()->SetHeight(0.5);
        rule->Size()->SetWidth(190);
    }

    std::unique_ptr<TRazorUze> report_;
};

}  // namespace bench
