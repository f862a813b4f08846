// Report expressions: any text prepares and evaluates without a fault over a
// small data set and a local environment. Input: the expression, then
// optionally two named expressions A and B, separated by newlines.
// Invariants: nothing raises; every error carries a message; no string
// result ends in half a double-byte character.
#include "FuzzSupport.h"

#include "DBClient.h"
#include "QRExpr.h"
#include "Windows.h"

namespace {

struct Fixture {
    Fixture() {
        InitializeQRExpr();
        ds.SetName("DS");
        ds.FieldDefs().Add("QTY", ftInteger);
        ds.FieldDefs().Add("PRICE", ftFloat);
        ds.FieldDefs().Add("NAME", ftString);
        ds.FieldDefs().Add("PAID", ftBoolean);
        ds.FieldDefs().Add("DAY", ftDate);
        ds.CreateDataSet();
        const char* names[] = {"apple", "\xe3\x82\x8a\xe3\x82\x93\xe3\x81\x94", ""};
        for (int i = 0; i < 3; ++i) {
            ds.Append();
            ds.FieldByName("QTY")->SetAsInteger(i == 2 ? 2147483647 : i * 3 - 1);
            ds.FieldByName("PRICE")->SetAsFloat(i * 1.25);
            ds.FieldByName("NAME")->SetAsString(QString::fromUtf8(names[i]));
            ds.FieldByName("PAID")->SetAsBoolean(i % 2);
            ds.FieldByName("DAY")->SetAsDateTime(45000 + i);
            ds.Post();
        }
        sets.push_back(&ds);
    }
    TClientDataSet ds{nullptr};
    TQRDataSetList sets;
};

void Check(const EvalResult& r, const QString& text) {
    FUZZ_CHECK(r.Kind <= rkError, "kind %d for %s", int(r.Kind), qPrintable(text));
    if (r.Kind == rkError) {
        FUZZ_CHECK(r.StrResult.Length() > 0, "error without a message for %s", qPrintable(text));
        return;
    }
    if (r.Kind == rkString) {
        const TQRShortString& s = r.StrResult;
        int i = 0;
        while (i < s.Length()) i += IsDBCSLeadByte(s.At(i)) ? 2 : 1;
        FUZZ_CHECK(i == s.Length(), "half a character at the end for %s", qPrintable(text));
    }
    r.Text();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Fixture fixture;
    const QStringList parts = FuzzText(data, size).split(u'\n');
    const QString text = parts[0];
    try {
        TQREvEnvironment env;
        env.SetDataSets(&fixture.sets);
        if (parts.size() > 1) env.AddFunction("A", parts[1]);
        if (parts.size() > 2) env.AddFunction("B", parts[2]);
        env.Prepare();
        TQREvaluator e;
        e.SetDataSets(&fixture.sets);
        e.SetEnvironment(&env);
        e.Prepare(text);
        for (fixture.ds.First(); !fixture.ds.Eof(); fixture.ds.Next()) {
            e.UpdateAggregates();
            Check(e.Value(), text);
        }
        e.Reset();
        Check(e.Value(), text);
        Check(env.Value("A"), text);
        e.Unprepare();
        env.Unprepare();
    } catch (const std::exception& ex) {
        FUZZ_CHECK(false, "exception %s for %s", ex.what(), qPrintable(text));
    }
    return 0;
}
