// Heap allocations of expressions, counted and measured by a malloc that
// stands in for the C library's in this executable only (operator new and
// Qt's containers both come through it): how many blocks evaluations take,
// the most memory reading takes at once, and what an allocation that fails
// does. The results are checked against the same computation in plain C++
// over the same records.
#include "DBClient.h"
#include "QRExpr.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <cstdlib>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void __libc_free(void* block);
}

namespace {
// Only the thread that opened a count is counted.
thread_local bool t_counting = false;
thread_local long t_allocations = 0;
thread_local long t_bytes = 0;      // in use, counted from the start
thread_local long t_peakBytes = 0;
thread_local long t_budget = -1;    // bytes that may be in use; -1: no limit

// Whether size more bytes fit the budget; counts the request.
bool Admit(size_t size) {
    if (!t_counting) return true;
    ++t_allocations;
    return t_budget < 0 || t_bytes + long(size) <= t_budget;
}

void Taken(void* block) {
    if (!t_counting || !block) return;
    t_bytes += long(malloc_usable_size(block));
    t_peakBytes = std::max(t_peakBytes, t_bytes);
}

void Given(void* block) {
    if (t_counting && block) t_bytes -= long(malloc_usable_size(block));
}
}  // namespace

extern "C" void* malloc(size_t size) {
    if (!Admit(size)) return nullptr;
    void* block = __libc_malloc(size);
    Taken(block);
    return block;
}

extern "C" void* calloc(size_t count, size_t size) {
    if (!Admit(count * size)) return nullptr;
    void* block = __libc_calloc(count, size);
    Taken(block);
    return block;
}

extern "C" void* realloc(void* block, size_t size) {
    if (!Admit(size)) return nullptr;
    Given(block);
    void* moved = __libc_realloc(block, size);
    Taken(moved ? moved : block);
    return moved;
}

extern "C" void free(void* block) {
    Given(block);
    __libc_free(block);
}

namespace {

// Counts the allocations of the current thread while it exists, and the
// most bytes in use at once; with a budget, an allocation beyond it fails.
class AllocationCount {
public:
    explicit AllocationCount(long budget = -1) {
        t_allocations = 0;
        t_bytes = 0;
        t_peakBytes = 0;
        t_budget = budget;
        t_counting = true;
    }
    ~AllocationCount() {
        t_counting = false;
        t_budget = -1;
    }
    AllocationCount(const AllocationCount&) = delete;
    AllocationCount& operator=(const AllocationCount&) = delete;
    long Count() const { return t_allocations; }
    long PeakBytes() const { return t_peakBytes; }
};

TEST(AllocationCount, SeesOperatorNewAndQtContainers) {
    long withNew = 0;
    long withQString = 0;
    {
        AllocationCount count;
        delete new int(1);
        withNew = count.Count();
    }
    {
        AllocationCount count;
        const QString text = QString::number(123456789) + QStringLiteral("abc");
        withQString = count.Count();
    }
    EXPECT_GE(withNew, 1);
    EXPECT_GE(withQString, 1);
}

// head repeated count times, then middle, then tail repeated count times.
QString Nested(const char* head, const char* middle, const char* tail, int count) {
    return QString::fromLatin1(head).repeated(count) + QString::fromLatin1(middle) +
           QString::fromLatin1(tail).repeated(count);
}

TEST(ReadingMemory, GrowsWithTheTextNotWithItsNestingTimesItsLength) {
    InitializeQRExpr();
    using namespace QRExprText;
    const QString tooDeep = QRExprMessage(TooDeep);
    const QString appName = TQREvaluator().Calculate("APPNAME").Text();
    constexpr int kCount = 10000;
    const struct {
        QString text;
        QString expected;  // the value's text or the error's message
    } cases[] = {
        {Nested("IF(TRUE,", "1", ",2)", kCount), tooDeep},
        {Nested("(", "1", ")", kCount), tooDeep},
        {Nested("not ", "TRUE", "", kCount), tooDeep},
        {Nested("UPPER(", "'a'", ")", kCount), tooDeep},
        {Nested("1+", "1", "", kCount), QString::number(kCount + 1)},
        {Nested("'a'+", "'a'", "", kCount), QString(TQRShortString::MaxLength, u'a')},
        {Nested("IF(TRUE,1,2)+", "1", "", kCount), QString::number(kCount + 1)},
        {"TYPEOF(" + Nested("1,", "1", "", kCount) + ")", QRExprMessage(WrongArguments, "TypeOf")},
        {Nested("APPNAME+", "APPNAME", "", kCount), appName.repeated(kCount + 1).left(TQRShortString::MaxLength)},
        {Nested("X+", "X", "", kCount), QRExprMessage(UnknownFunction, "X")},
        {Nested("1-", "1", "", kCount), QString::number(1 - kCount)},
        {Nested("-", "1", "", kCount), QRExprMessage(NumericConstant, "0-")},
        {Nested("-1+", "-1", "", kCount), QString::number(-kCount - 1)},
        {Nested("(1<2) or ", "(1<2)", "", kCount), QString::fromLatin1(True)},
        {Nested("TRUE and FALSE or ", "FALSE", "", kCount), QString::fromLatin1(False)},
    };
    for (const auto& c : cases) {
        TQREvaluator e;
        EvalResult r;
        long peak = 0;
        {
            AllocationCount count;
            r = e.Calculate(c.text);
            peak = count.PeakBytes();
        }
        EXPECT_EQ(r.IsError() ? r.Message() : r.Text(), c.expected) << c.text.left(20).toStdString();
        // Under four dozen bytes per character, whatever the terms and
        // operators: the queue of a flat text, the reader's own copy of a
        // nested one.
        EXPECT_LT(peak, 48 * c.text.size()) << c.text.left(20).toStdString();
    }
}

TEST(ReadingMemory, RunningOutIsAnErrorValue) {
    InitializeQRExpr();
    const QString outOfMemory = QRExprMessage(QRExprText::OutOfMemory);
    constexpr int kCount = 20000;
    const QString longSum = Nested("1+", "1", "", kCount);
    TQREvaluator e;
    EvalResult r;
    {
        AllocationCount count(64 * 1024);
        EXPECT_NO_THROW(r = e.Calculate(longSum));
    }
    EXPECT_EQ(r.Kind, rkError);
    EXPECT_EQ(r.Message(), outOfMemory);
    // Evaluating: a number joined to a string becomes text first.
    e.Prepare(QStringLiteral("12345+'a'"));
    {
        AllocationCount count(0);
        EXPECT_NO_THROW(r = e.Value());
    }
    EXPECT_EQ(r.Message(), outOfMemory);
    // Nothing is left behind: with memory again the same texts evaluate.
    EXPECT_EQ(e.Value().Text(), QStringLiteral("12345a"));
    EXPECT_EQ(e.Calculate(longSum).IntResult, kCount + 1);
}

constexpr int kRecords = 300;

class PreparedEvaluation : public ::testing::Test {
protected:
    void SetUp() override {
        InitializeQRExpr();
        ds_.SetName("SALES");
        ds_.FieldDefs().Add("QTY", ftInteger);
        ds_.FieldDefs().Add("PRICE", ftFloat);
        ds_.FieldDefs().Add("NAME", ftString, 20);
        ds_.CreateDataSet();
        for (int i = 0; i < kRecords; ++i) {
            ds_.Append();
            ds_.FieldByName("QTY")->SetAsInteger(i % 17 + 1);
            ds_.FieldByName("PRICE")->SetAsFloat(100.0 + (i % 101) * 0.25);
            ds_.FieldByName("NAME")->SetAsString(QStringLiteral("item%1").arg(i % 97));
            ds_.Post();
        }
        sets_.push_back(&ds_);
    }

    // Updates the aggregates on every record and reads the value; the heap
    // allocations of all of it, from the first evaluation after preparing.
    long Run(TQREvaluator& e, EvalResult& result) {
        long allocations = 0;
        for (ds_.First(); !ds_.Eof(); ds_.Next()) {
            AllocationCount count;
            e.UpdateAggregates();
            e.Evaluate(result);
            allocations += count.Count();
        }
        return allocations;
    }

    template <class Step>
    void ForEachRecord(Step step) {
        for (ds_.First(); !ds_.Eof(); ds_.Next())
            step(ds_.FieldByName("QTY")->AsInteger(), ds_.FieldByName("PRICE")->AsFloat(),
                 ds_.FieldByName("NAME")->AsString());
    }

    TClientDataSet ds_{nullptr};
    TQRDataSetList sets_;
};

TEST_F(PreparedEvaluation, TheBenchmarkExpressionsAllocateNothingAndKeepTheirResults) {
    double sum = 0;
    Integer quantities = 0;
    double maxIf = 0;
    QString maxName;
    int count = 0;
    ForEachRecord([&](Integer qty, double price, const QString& name) {
        sum += qty * price;
        quantities += qty;
        const double v = qty > 5 ? qty * price : 0;
        if (count == 0 || v > maxIf) maxIf = v;
        if (count == 0 || name > maxName) maxName = name;
        ++count;
    });
    double priceSum = 0;
    double average = 0;
    int seen = 0;
    ForEachRecord([&](Integer, double price, const QString&) {
        priceSum += price;
        average = priceSum / ++seen;
    });
    struct Case {
        const char* text;
        EvalResult expected;
    };
    const Case cases[] = {
        {"SUM(QTY*PRICE)", EvalResult::FromFloat(sum)},
        {"SUM(SALES.QTY)+COUNT", EvalResult::FromInteger(quantities + count)},
        {"AVERAGE(PRICE)", EvalResult::FromFloat(average)},
        {"MAX(IF(QTY>5, QTY*PRICE, 0))", EvalResult::FromFloat(maxIf)},
        {"SUM(QTY*PRICE)/COUNT", EvalResult::FromFloat(sum / count)},
        {"MAX(NAME)", EvalResult::FromString(maxName)},
    };
    for (const Case& c : cases) {
        TQREvaluator e;
        e.SetDataSets(&sets_);
        e.Prepare(QString::fromLatin1(c.text));
        e.Reset();
        EvalResult result;
        EXPECT_EQ(Run(e, result), 0) << c.text;
        EXPECT_EQ(result.Kind, c.expected.Kind) << c.text;
        EXPECT_EQ(result.Text(), c.expected.Text()) << c.text;
        if (result.Kind == rkFloat) {
            EXPECT_EQ(result.FloatResult, c.expected.FloatResult) << c.text;
        }
        // A second run after a reset gives the same, still without allocating.
        e.Reset();
        EvalResult again;
        EXPECT_EQ(Run(e, again), 0) << c.text;
        EXPECT_EQ(again.Text(), result.Text()) << c.text;
    }
}

TEST_F(PreparedEvaluation, EntriesChainsAndPlainFunctionsAllocateNothing) {
    TQREvEnvironment env;
    env.SetDataSets(&sets_);
    env.AddFunction("AMOUNT", "QTY*PRICE");
    env.Prepare();
    const char* const texts[] = {
        "SUM(AMOUNT)",
        "1+2+3+4+5+6+7+8+9+10-QTY-QTY*2",
        "IF(NAME='item3', 1, 0)+IF((QTY>=3) and (QTY<>7), DIV(QTY, 2), INT(PRICE))",
        "MIN(SQRT(PRICE)*FRAC(PRICE))",
        "not (QTY>10) or FALSE",
    };
    for (const char* text : texts) {
        TQREvaluator e;
        e.SetDataSets(&sets_);
        e.SetEnvironment(&env);
        e.Prepare(QString::fromLatin1(text));
        e.Reset();
        EvalResult result;
        EXPECT_EQ(Run(e, result), 0) << text;
        EXPECT_FALSE(result.IsError()) << text << ": " << result.Message().toStdString();
    }
    env.Unprepare();
}

}  // namespace
