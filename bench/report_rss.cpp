// Peak memory of the grouped list report over a SQLite file printed to the
// PDF printer, and of a walk through a statement whose result never ends.
// Each measurement runs in a child process of its own, so that its peak RSS
// (getrusage ru_maxrss, as /usr/bin/time -v reports it) is its own; the
// database file is written before, by the parent.
// Usage: report_rss [rows...]               the report over each count (1,000,000 and
//                                           10,000,000 by default), then the walks
//        report_rss report FILE uni|bidi     one report (a child)
//        report_rss endless ROWS uni|bidi    one walk (a child)
#include "BenchSupport.h"
#include "ListReport.h"

#include <QtCore/QDir>
#include <QtCore/QTemporaryDir>
#include <QtWidgets/QApplication>

#include <chrono>
#include <cstdio>

namespace {

using namespace bench;
using Clock = std::chrono::steady_clock;

// The rows 1, 2, ... without end, each with a text of 80 characters.
const char* const kEndless =
    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT x, printf('%080d', x) AS pad FROM c";

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// ------------------------------------------------------------ children

int PrintReport(const QString& file, bool uniDirectional) {
    InitializeQRExpr();
    const auto start = Clock::now();
    std::unique_ptr<TQuery> data = OpenList(file, uniDirectional);
    TListReport report(data.get(), false);
    const Integer pages = report.Print();
    std::printf("RESULT %d %.3f %ld\n", pages, Since(start), PeakRssKb());
    return 0;
}

int WalkEndless(int rows, bool uniDirectional) {
    const auto start = Clock::now();
    QTemporaryDir dir;
    TQuery query(nullptr);
    query.SetDatabaseName(dir.filePath(QStringLiteral("endless.db")));
    query.SetUniDirectional(uniDirectional);
    query.SQL()->SetText(QString::fromLatin1(kEndless));
    query.Open();
    Int64 sum = 0;
    for (int i = 0; i < rows; ++i, query.Next())
        sum += query.Fields(0)->AsInteger() + query.Fields(1)->AsString().size();
    const Int64 expected = Int64(rows) * (rows + 1) / 2 + Int64(rows) * 80;
    std::printf("RESULT %d %.3f %ld\n", sum == expected ? rows : -1, Since(start), PeakRssKb());
    return 0;
}

// ------------------------------------------------------------ the parent

struct Figures {
    int Count = 0;
    double Seconds = 0;
    long RssKb = 0;
};

Figures Run(const QStringList& args) {
    const QList<QByteArray> figures = RunChild(args);
    if (figures.size() < 3) return {};
    return {figures[0].toInt(), figures[1].toDouble(), figures[2].toLong()};
}

const char* Under200(long kb) { return kb < 200 * 1024 ? "under" : "OVER"; }

void MeasureReport(int rows, bool alsoBidirectional) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("list.db"));
    FillList(file, rows);
    qputenv("VELMORA_PDF_DIR", dir.path().toUtf8());
    for (const char* mode : {"uni", "bidi"}) {
        if (!alsoBidirectional && mode[0] == 'b')
            continue;
        const Figures f = Run({QStringLiteral("report"), file, QLatin1String(mode)});
        qint64 pdfBytes = 0;
        for (const QFileInfo& pdf : QDir(dir.path()).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files)) {
            pdfBytes += pdf.size();
            QFile::remove(pdf.filePath());
        }
        std::printf("report %9d rows, %s query, SQLite file, PDF printer: %7d pages %8.1f s  PDF %7.1f MB  "
                    "peak RSS %7.1f MB (limit 200 MB: %s)\n",
                    rows, mode[0] == 'u' ? "unidirectional" : "bidirectional ", f.Count, f.Seconds,
                    pdfBytes / 1048576.0, f.RssKb / 1024.0, Under200(f.RssKb));
    }
}

void MeasureEndless(int rows) {
    for (const char* mode : {"uni", "bidi"}) {
        const Figures f = Run({QStringLiteral("endless"), QString::number(rows), QLatin1String(mode)});
        std::printf("endless statement, %s query, %d rows walked%s: %8.2f s  peak RSS %7.1f MB\n",
                    mode[0] == 'u' ? "unidirectional" : "bidirectional ", rows,
                    f.Count == rows ? "" : " (WRONG SUM)", f.Seconds, f.RssKb / 1024.0);
    }
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("report"))
        return PrintReport(args[2], args[3] == QLatin1String("uni"));
    if (args.size() == 4 && args[1] == QLatin1String("endless"))
        return WalkEndless(args[2].toInt(), args[3] == QLatin1String("uni"));
    std::vector<int> counts;
    for (int i = 1; i < args.size(); ++i)
        counts.push_back(args[i].toInt());
    if (counts.empty())
        counts = {1000000, 10000000};
    // Kept, ten million rows would take gigabytes: only smaller counts compare both kinds.
    for (int rows : counts)
        MeasureReport(rows, rows <= 1000000);
    MeasureEndless(1000000);
    return 0;
}
