// Report expressions over a 100,000-record client data set: each expression
// is prepared once, then its aggregates are updated on every record, as a
// report's expression control does. Prints records per second.
#include "DBClient.h"
#include "QRExpr.h"

#include <QtCore/QCoreApplication>

#include <chrono>
#include <cstdio>

namespace {

constexpr int kRecords = 100000;

void Fill(TClientDataSet& ds) {
    ds.SetName("SALES");
    ds.FieldDefs().Add("QTY", ftInteger);
    ds.FieldDefs().Add("PRICE", ftFloat);
    ds.FieldDefs().Add("NAME", ftString, 20);
    ds.CreateDataSet();
    TField* qty = ds.FieldByName("QTY");
    TField* price = ds.FieldByName("PRICE");
    TField* name = ds.FieldByName("NAME");
    for (int i = 0; i < kRecords; ++i) {
        ds.Append();
        qty->SetAsInteger(i % 17 + 1);
        price->SetAsFloat(100.0 + (i % 101) * 0.25);
        name->SetAsString(QStringLiteral("item%1").arg(i % 1000));
        ds.Post();
    }
}

void Run(TClientDataSet& ds, TQRDataSetList& sets, const char* text) {
    TQREvaluator e;
    e.SetDataSets(&sets);
    e.Prepare(QString::fromLatin1(text));
    e.Reset();
    const auto start = std::chrono::steady_clock::now();
    for (ds.First(); !ds.Eof(); ds.Next()) e.UpdateAggregates();
    const EvalResult result = e.Value();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const QString shown = result.IsError() ? QStringLiteral("error: ") + result.Message() : result.Text();
    std::printf("%-40s %12.0f records/s  (%s)\n", text, kRecords / seconds, qPrintable(shown));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    InitializeQRExpr();
    {
        TClientDataSet ds(nullptr);
        Fill(ds);
        TQRDataSetList sets{&ds};
        for (const char* text : {"SUM(QTY*PRICE)", "SUM(SALES.QTY)+COUNT", "AVERAGE(PRICE)",
                                 "MAX(IF(QTY>5, QTY*PRICE, 0))", "SUM(QTY*PRICE)/COUNT",
                                 "MAX(NAME)"})
            Run(ds, sets, text);
    }
    FinalizeQRExpr();
    return 0;
}
