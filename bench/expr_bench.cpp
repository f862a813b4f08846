// Report expressions over a client data set against a compiled script
// engine. Each expression is prepared once and its aggregates updated on
// every record, as a report's expression control does; the peer is a
// QJSEngine function, compiled once and called per record with the same
// field values. A pass over the data set is one round of each side, in
// turns (BenchSupport.h); both must give the same value. Prints one line
// per expression and size ending with the ratio of processor times
// ours / QJSEngine, then how the times grow with the records.
// Usage: expr_bench [records...]   (default: 10000 100000 1000000)
#include "BenchSupport.h"
#include "DBClient.h"
#include "QRExpr.h"

#include <QtCore/QCoreApplication>
#include <QtQml/QJSEngine>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

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

// What an expression gave: a number, or else its text.
struct Value {
    bool numeric = false;
    double number = 0;
    QString text;

    std::string Show() const { return numeric ? bench::Format("%.17g", number) : text.toStdString(); }
};

// Equal texts, or numbers whose relative difference is below kTolerance
// (both sides add in the same order, in doubles).
constexpr double kTolerance = 1e-12;

std::string Differ(const Value& ours, const Value& peer) {
    const bool same = ours.numeric == peer.numeric &&
                      (ours.numeric ? std::abs(ours.number - peer.number) <=
                                          kTolerance * std::max(std::abs(ours.number), std::abs(peer.number))
                                    : ours.text == peer.text);
    return same ? std::string() : ours.Show() + " against " + peer.Show();
}

// Our pass: the aggregates started over, updated on every record, then the value.
class OursSide {
public:
    OursSide(TClientDataSet& ds, TQRDataSetList& sets, const Case& c) : ds_(ds) {
        e_.SetDataSets(&sets);
        e_.Prepare(QString::fromLatin1(c.expression));
    }
    Value Pass() {
        e_.Reset();
        for (ds_.First(); !ds_.Eof(); ds_.Next()) e_.UpdateAggregates();
        const EvalResult r = e_.Value();
        if (r.IsError()) return {false, 0, QStringLiteral("error: ") + r.Message()};
        return r.IsNumeric() ? Value{true, r.AsFloat(), {}} : Value{false, 0, r.Text()};
    }

private:
    TClientDataSet& ds_;
    TQREvaluator e_;
};

QJSValue FieldValue(const TField* f) {
    switch (f->DataType()) {
    case ftInteger: return QJSValue(f->AsInteger());
    case ftFloat: return QJSValue(f->AsFloat());
    default: return QJSValue(f->AsString());
    }
}

// The script's pass: reset(), step(...) with the fields' values on every
// record (one argument list, refilled), then value().
class PeerSide {
public:
    PeerSide(TClientDataSet& ds, const Case& c) : ds_(ds) {
        engine_.evaluate(QString::fromLatin1(c.script));
        const QJSValue global = engine_.globalObject();
        reset_ = global.property(QStringLiteral("reset"));
        step_ = global.property(QStringLiteral("step"));
        value_ = global.property(QStringLiteral("value"));
        for (const char* name : c.fields) fields_.push_back(ds.FieldByName(QString::fromLatin1(name)));
        args_ = QJSValueList(qsizetype(fields_.size()));
    }
    Value Pass() {
        reset_.call();
        for (ds_.First(); !ds_.Eof(); ds_.Next()) {
            for (size_t i = 0; i < fields_.size(); ++i) args_[qsizetype(i)] = FieldValue(fields_[i]);
            step_.call(args_);
        }
        const QJSValue v = value_.call();
        return v.isNumber() ? Value{true, v.toNumber(), {}} : Value{false, 0, v.toString()};
    }

private:
    TClientDataSet& ds_;
    QJSEngine engine_;
    QJSValue reset_, step_, value_;
    std::vector<const TField*> fields_;
    QJSValueList args_;
};

// Short passes get more rounds, so that a quiet moment is among them.
int RoundsFor(int records) { return std::max(bench::kMinRounds, 2000000 / records); }

void Compare(TClientDataSet& ds, TQRDataSetList& sets, const Case& c, int records, bench::Growth& growth) {
    OursSide ours(ds, sets, c);
    PeerSide peer(ds, c);
    Value shown;
    const std::string label = bench::Format("%-30s %8d records", c.expression, records);
    const int rounds = RoundsFor(records);
    const bench::Best best = bench::Compare(
        label, [&] { return shown = ours.Pass(); }, [&] { return peer.Pass(); }, Differ, rounds);
    bench::PrintTimeRatio(label, "QJSEngine", best, rounds, true, "both " + shown.Show());
    growth.Add(std::string("ours, ") + c.expression, records, best.Ours.Cpu);
    growth.Add(std::string("QJSEngine, ") + c.expression, records, best.Peer.Cpu);
}

void RunSize(int records, bench::Growth& growth) {
    TClientDataSet ds(nullptr);
    Fill(ds, records);
    TQRDataSetList sets{&ds};
    for (const Case& c : kCases) Compare(ds, sets, c, records, growth);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    InitializeQRExpr();
    bench::Growth growth;
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {10000, 100000, 1000000};
    for (int records : sizes) RunSize(records, growth);
    // Time per record must not grow with the data set.
    growth.Print();
    FinalizeQRExpr();
    return 0;
}
