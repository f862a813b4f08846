// Report expressions over a client data set against a compiled script
// engine. Each expression is prepared once and its aggregates updated on
// every record, as a report's expression control does; the peer is a
// QJSEngine function, compiled once and called per record with the same
// field values. Each side runs passes over the data set for at least half a
// second. Prints records per second and the time ratio ours / QJSEngine.
#include "DBClient.h"
#include "QRExpr.h"

#include <QtCore/QCoreApplication>
#include <QtQml/QJSEngine>

#include <chrono>
#include <cstdio>
#include <functional>

namespace {

constexpr double kMinSeconds = 0.5;

using Clock = std::chrono::steady_clock;

void Fill(TClientDataSet& ds, int records) {
    ds.SetName("SALES");
    ds.FieldDefs().Add("QTY", ftInteger);
    ds.FieldDefs().Add("PRICE", ftFloat);
    ds.FieldDefs().Add("NAME", ftString, 20);
    ds.CreateDataSet();
    TField* qty = ds.FieldByName("QTY");
    TField* price = ds.FieldByName("PRICE");
    TField* name = ds.FieldByName("NAME");
    for (int i = 0; i < records; ++i) {
        ds.Append();
        qty->SetAsInteger(i % 17 + 1);
        price->SetAsFloat(100.0 + (i % 101) * 0.25);
        name->SetAsString(QStringLiteral("item%1").arg(i % 1000));
        ds.Post();
    }
}

// An expression and the same computation for the script engine: a script
// defining step(...) (called per record with the fields' values in Fields
// order) and value() (the result), both starting over on reset().
struct Case {
    const char* expression;
    const char* script;
    std::vector<const char*> fields;
};

const Case kCases[] = {
    {"SUM(QTY*PRICE)",
     "var s; function reset() { s = 0; } function step(q, p) { s += q * p; } function value() { return s; }",
     {"QTY", "PRICE"}},
    {"SUM(SALES.QTY)+COUNT",
     "var s, c; function reset() { s = 0; c = 0; } function step(q) { s += q; c++; }"
     " function value() { return s + c; }",
     {"QTY"}},
    {"AVERAGE(PRICE)",
     "var s, c; function reset() { s = 0; c = 0; } function step(p) { s += p; c++; }"
     " function value() { return s / c; }",
     {"PRICE"}},
    {"MAX(IF(QTY>5, QTY*PRICE, 0))",
     "var m; function reset() { m = undefined; }"
     " function step(q, p) { var v = q > 5 ? q * p : 0; if (m === undefined || v > m) m = v; }"
     " function value() { return m; }",
     {"QTY", "PRICE"}},
    {"SUM(QTY*PRICE)/COUNT",
     "var s, c; function reset() { s = 0; c = 0; } function step(q, p) { s += q * p; c++; }"
     " function value() { return s / c; }",
     {"QTY", "PRICE"}},
    {"MAX(NAME)",
     "var m; function reset() { m = undefined; }"
     " function step(n) { if (m === undefined || n > m) m = n; } function value() { return m; }",
     {"NAME"}},
};

// Runs pass() over the data set until kMinSeconds have gone by; records per second.
double Rate(TClientDataSet& ds, const std::function<void()>& perRecord,
            const std::function<void()>& startPass) {
    Int64 records = 0;
    const auto start = Clock::now();
    double seconds = 0;
    do {
        startPass();
        for (ds.First(); !ds.Eof(); ds.Next()) perRecord();
        records += ds.RecordCount();
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
    } while (seconds < kMinSeconds);
    return double(records) / seconds;
}

double RunOurs(TClientDataSet& ds, TQRDataSetList& sets, const Case& c, QString& shown) {
    TQREvaluator e;
    e.SetDataSets(&sets);
    e.Prepare(QString::fromLatin1(c.expression));
    const double rate = Rate(ds, [&] { e.UpdateAggregates(); }, [&] { e.Reset(); });
    const EvalResult result = e.Value();
    shown = result.IsError() ? QStringLiteral("error: ") + result.Message() : result.Text();
    return rate;
}

QJSValue FieldValue(const TField* f) {
    switch (f->DataType()) {
    case ftInteger: return QJSValue(f->AsInteger());
    case ftFloat: return QJSValue(f->AsFloat());
    default: return QJSValue(f->AsString());
    }
}

double RunPeer(TClientDataSet& ds, const Case& c, QString& shown) {
    QJSEngine engine;
    engine.evaluate(QString::fromLatin1(c.script));
    const QJSValue global = engine.globalObject();
    QJSValue reset = global.property(QStringLiteral("reset"));
    QJSValue step = global.property(QStringLiteral("step"));
    std::vector<const TField*> fields;
    for (const char* name : c.fields) fields.push_back(ds.FieldByName(QString::fromLatin1(name)));
    // One argument list, refilled per record.
    QJSValueList args(qsizetype(fields.size()));
    const double rate = Rate(
        ds,
        [&] {
            for (size_t i = 0; i < fields.size(); ++i) args[qsizetype(i)] = FieldValue(fields[i]);
            step.call(args);
        },
        [&] { reset.call(); });
    shown = global.property(QStringLiteral("value")).call().toString();
    return rate;
}

void Compare(TClientDataSet& ds, TQRDataSetList& sets, const Case& c, const char* label) {
    QString ours;
    QString peer;
    const double ourRate = RunOurs(ds, sets, c, ours);
    const double peerRate = RunPeer(ds, c, peer);
    std::printf("%-30s %-8s ours %6.2f M records/s (%s)  QJSEngine %6.2f M records/s (%s)  ratio %.2f\n",
                c.expression, label, ourRate / 1e6, qPrintable(ours), peerRate / 1e6,
                qPrintable(peer), peerRate / ourRate);
}

void RunSize(int records, bool allCases) {
    TClientDataSet ds(nullptr);
    Fill(ds, records);
    TQRDataSetList sets{&ds};
    const QByteArray label = QByteArray::number(records / 1000) + "k";
    if (allCases) {
        for (const Case& c : kCases) Compare(ds, sets, c, label.constData());
    } else {
        Compare(ds, sets, kCases[0], label.constData());
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    InitializeQRExpr();
    std::printf("Each ratio is ours / QJSEngine in time per record (at or below 1 is as fast or faster).\n");
    RunSize(100000, true);
    // Time per record must not grow with the data set.
    std::printf("Sizes:\n");
    RunSize(10000, false);
    RunSize(1000000, false);
    FinalizeQRExpr();
    return 0;
}
