// Peak memory and time of reading and evaluating very long expressions:
// nested function calls, parentheses, NOT and UPPER() as deep as the text
// allows, and flat texts of every kind of term and operator. Each text is
// calculated in a child process of its own, so that its peak RSS
// (getrusage ru_maxrss) is its own; the line also gives the resident set
// before the calculation, with the text made. Then each shape is read at
// 10 and 100 times the size, to show that time grows with the text. At
// 1 MB a line ends with its peak over the goal set for it ("ratio").
// Usage: expr_memory                 every case
//        expr_memory CASE BYTES      one case (a child)
#include "BenchSupport.h"
#include "QRExpr.h"

#include <QtCore/QCoreApplication>

#include <cstdio>

namespace {

using namespace bench;

// A text of about bytes characters: head repeated, middle, tail repeated
// as often as head.
QString Nested(qsizetype bytes, const char* head, const char* middle, const char* tail) {
    const qsizetype unit = qsizetype(std::strlen(head) + std::strlen(tail));
    const qsizetype count = std::max<qsizetype>(1, bytes / unit);
    return QString::fromLatin1(head).repeated(count) + QString::fromLatin1(middle) +
           QString::fromLatin1(tail).repeated(count);
}

// A text of about bytes characters: term joined to itself by op.
QString Flat(qsizetype bytes, const char* term, const char* op) {
    return Nested(bytes, QByteArray(term).append(op).constData(), term, "");
}

struct Case {
    const char* name;
    QString (*make)(qsizetype bytes);
    long goalMb;  // at 1 MB; 0: no goal
};

const Case kCases[] = {
    {"if", [](qsizetype n) { return Nested(n, "IF(TRUE,", "1", ",2)"); }, 200},
    {"parentheses", [](qsizetype n) { return Nested(n, "(", "1", ")"); }, 200},
    {"not", [](qsizetype n) { return Nested(n, "not ", "TRUE", ""); }, 200},
    {"upper", [](qsizetype n) { return Nested(n, "UPPER(", "'a'", ")"); }, 200},
    {"flat", [](qsizetype n) { return Flat(n, "1", "+"); }, 100},
    {"floats", [](qsizetype n) { return Flat(n, "1.5", "*"); }, 100},
    {"strings", [](qsizetype n) { return Flat(n, "'a'", "+"); }, 100},
    {"calls", [](qsizetype n) { return Flat(n, "IF(TRUE,1,2)", "+"); }, 100},
    {"arguments", [](qsizetype n) { return "TYPEOF(" + Flat(n, "1", ",") + ")"; }, 100},
    {"names", [](qsizetype n) { return Flat(n, "APPNAME", "+"); }, 100},
    {"unknown", [](qsizetype n) { return Flat(n, "X", "+"); }, 100},
    {"minus", [](qsizetype n) { return Flat(n, "1", "-"); }, 100},
    {"signs", [](qsizetype n) { return Nested(n, "-", "1", ""); }, 100},
    {"negatives", [](qsizetype n) { return Flat(n, "-1", "+"); }, 100},
    {"compare", [](qsizetype n) { return Flat(n, "(1<2)", " or "); }, 100},
    {"relations", [](qsizetype n) { return Flat(n, "1<2", " or "); }, 100},
    {"andor", [](qsizetype n) { return Flat(n, "TRUE and FALSE", " or "); }, 100},
};

const Case* FindCase(const QString& name) {
    for (const Case& c : kCases)
        if (name == QLatin1String(c.name)) return &c;
    return nullptr;
}

// The child: calculates the text and prints its outcome and figures.
int Calculate(const Case& c, qsizetype bytes) {
    const QString text = c.make(bytes);
    const long before = RssKb();
    TQREvaluator evaluator;
    const double start = WallSeconds();
    const EvalResult r = evaluator.Calculate(text);
    const double seconds = WallSeconds() - start;
    const QString outcome = r.IsError() ? QStringLiteral("error:") + r.Message() : r.Text();
    std::printf("RESULT %lld %ld %ld %.6f %s\n", static_cast<long long>(text.size()), before, PeakRssKb(),
                seconds, qPrintable(QString(outcome).replace(u' ', u'_')));
    return 0;
}

constexpr qsizetype kGoalBytes = 1'000'000;

// Runs one case in a child and prints its line; its time in seconds, or a
// negative number when the child gave no figures.
double Measure(const Case& c, qsizetype bytes) {
    const QList<QByteArray> f = RunChild({QLatin1String(c.name), QString::number(bytes)});
    if (f.size() < 5) {
        std::printf("%-12s %8.1f kB: no figures (the child failed)\n", c.name, bytes / 1000.0);
        return -1;
    }
    const double peakMb = f[2].toLong() / 1024.0;
    // At the size the goals are set for, peak over goal ends the line.
    const QByteArray goal = c.goalMb == 0 || bytes != kGoalBytes
                                ? QByteArray()
                                : " goal under " + QByteArray::number(c.goalMb) + " MB " +
                                      (peakMb < c.goalMb ? "met" : "MISSED") + ", peak/goal ratio " +
                                      QByteArray::number(peakMb / double(c.goalMb), 'f', 3);
    std::printf("%-12s %8.1f kB: %-40s %8.4f s  RSS before %6.1f MB  peak RSS %7.1f MB%s\n", c.name,
                f[0].toLong() / 1000.0, QByteArray(f[4]).replace('_', ' ').left(40).constData(), f[3].toDouble(),
                f[1].toLong() / 1024.0, peakMb, goal.constData());
    std::fflush(stdout);
    return f[3].toDouble();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3) {
        const Case* c = FindCase(args[1]);
        return c ? Calculate(*c, args[2].toLongLong()) : 2;
    }
    Growth growth;
    for (const Case& c : kCases)
        for (qsizetype bytes : {kGoalBytes / 10, kGoalBytes, kGoalBytes * 10}) {
            const double seconds = Measure(c, bytes);
            if (seconds >= 0) growth.Add(c.name, double(bytes), seconds);
        }
    // Time must grow with the text, not faster.
    growth.Print();
    return 0;
}
