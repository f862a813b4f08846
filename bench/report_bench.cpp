// A grouped list report (page header and footer with the page number, a
// group on the customer with header and footer totals, five fields and a
// rule per record, a summary) run into the report printer's page store,
// against a hand-written loop drawing the same texts and lines straight into
// Qt's QPdfWriter. Both read the same in-memory SQLite query, filled before
// timing. Each side runs in a child process of its own, so that its peak
// RSS (getrusage ru_maxrss) is its own. Prints the time ratio (ours /
// direct), pages per second and peak RSS of each.
// The "pages" mode makes a report of one record per page (100,000 pages by
// default) into the page store, whose pages spill to its temporary file.
// Usage: report_bench [list [records...] | pages [pages...] | side list|pages count ours|direct]
#include "ListReport.h"

#include <QtCore/QLocale>
#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>
#include <QtGui/QPainter>
#include <QtGui/QPdfWriter>
#include <QtWidgets/QApplication>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using namespace bench;
using Clock = std::chrono::steady_clock;

long PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// ------------------------------------------------------------ direct

// The same page, drawn by hand: 0.1 mm units, A4, 10 mm margins.
class TDirectList {
public:
    TDirectList(const QString& file, TDataSet& data, bool onePerPage)
        : writer_(file), data_(data), onePerPage_(onePerPage), locale_(QLocale::English) {
        writer_.setPageSize(QPageSize(QPageSize::A4));
        writer_.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer_.setResolution(254);
        painter_.begin(&writer_);
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPointSize(10);
        painter_.setFont(font);
        ascent_ = painter_.fontMetrics().ascent();
    }

    int Run() {
        StartPage();
        const QString noCustomer = QStringLiteral("\x01");
        QString customer = noCustomer;
        Int64 groupSum = 0, total = 0;
        int groupCount = 0;
        TField* fields[std::size(kFields)];
        for (size_t i = 0; i < std::size(kFields); ++i)
            fields[i] = data_.FieldByName(QLatin1String(kFields[i].Name));
        TField* customerField = data_.FieldByName(QStringLiteral("CUSTOMER"));
        for (data_.First(); !data_.Eof(); data_.Next()) {
            const QString current = customerField->AsString();
            if (!onePerPage_ && current != customer) {
                if (customer != noCustomer)
                    GroupFooter(groupCount, groupSum);
                customer = current;
                groupCount = 0;
                groupSum = 0;
                Fit(kGroupHeader);
                Text(0, QStringLiteral("Customer"));
                Text(25, customer);
                y_ += kGroupHeader * 10;
            }
            Fit(onePerPage_ ? kTallDetail : kDetail);
            const Int64 amount = fields[4]->AsInteger();
            for (size_t i = 0; i < std::size(kFields); ++i)
                Text(kFields[i].Left, i == 4 ? locale_.toString(amount) : fields[i]->AsString());
            painter_.drawLine(QPointF(100, y_ + 47), QPointF(2000, y_ + 47));
            y_ += (onePerPage_ ? kTallDetail : kDetail) * 10;
            ++groupCount;
            groupSum += amount;
            total += amount;
        }
        if (!onePerPage_ && customer != noCustomer)
            GroupFooter(groupCount, groupSum);
        Fit(kSummary);
        Text(0, QStringLiteral("Grand total"));
        Text(130, locale_.toString(total));
        EndPage();
        painter_.end();
        return page_;
    }

private:
    void GroupFooter(int count, Int64 sum) {
        Fit(kGroupFooter);
        Text(0, QStringLiteral("Total"));
        Text(25, QString::number(count));
        Text(130, locale_.toString(sum));
        y_ += kGroupFooter * 10;
    }

    void Text(double left, const QString& text) { painter_.drawText(QPointF(100 + left * 10, y_ + 5 + ascent_), text); }

    void StartPage() {
        ++page_;
        y_ = 100;
        Text(0, QStringLiteral("Sales list"));
        Text(160, QStringLiteral("Page %1").arg(page_));
        y_ += kHeader * 10;
    }

    void EndPage() {
        y_ = 2870 - kFooter * 10;
        Text(90, QStringLiteral("- %1 -").arg(page_));
    }

    // A new page when a band of height mm does not fit above the footer.
    void Fit(double height) {
        if (y_ + height * 10 <= 2870 - kFooter * 10)
            return;
        EndPage();
        writer_.newPage();
        StartPage();
    }

    QPdfWriter writer_;
    QPainter painter_;
    TDataSet& data_;
    bool onePerPage_;
    QLocale locale_;
    double ascent_ = 0;
    double y_ = 0;
    int page_ = 0;
};

// ------------------------------------------------------------ one side, in this process

struct Result {
    double Seconds = 0;
    int Pages = 0;
    long RssKb = 0;
    Int64 StoreBytes = 0;
    bool InFile = false;
};

int RunSide(const QString& mode, int count, const QString& side) {
    InitializeQRExpr();
    const QString database = QStringLiteral(":memory:");
    FillList(database, count);
    std::unique_ptr<TQuery> data = OpenList(database, false);
    const bool onePerPage = mode == QLatin1String("pages");
    QTemporaryDir dir;
    const auto start = Clock::now();
    int pages = 0;
    Int64 storeBytes = 0;
    bool inFile = false;
    try {
        if (side == QLatin1String("ours")) {
            TListReport report(data.get(), onePerPage);
            pages = report.Run(storeBytes, inFile);
        } else {
            TDirectList direct(dir.filePath(QStringLiteral("direct.pdf")), *data, onePerPage);
            pages = direct.Run();
        }
    } catch (const Exception& e) {
        // The page store ends at 2 GB (32-bit offsets): some 800,000 one-record pages.
        std::fprintf(stderr, "%s %d %s: %s\n", qPrintable(mode), count, qPrintable(side), qPrintable(e.Message()));
        return 1;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("RESULT %.6f %d %ld %lld %d\n", seconds, pages, PeakRssKb(), static_cast<long long>(storeBytes),
                inFile ? 1 : 0);
    return 0;
}

// Runs one side in a child process and reads its figures.
Result RunChild(const QString& mode, int count, const QString& side) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("side"), mode, QString::number(count), side});
    child.waitForFinished(-1);
    Result result;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n'))
        if (line.startsWith("RESULT ")) {
            const QList<QByteArray> parts = line.split(' ');
            result = {parts[1].toDouble(), parts[2].toInt(), parts[3].toLong(), parts[4].toLongLong(),
                      parts[5].toInt() != 0};
        }
    if (result.Pages == 0)
        std::fprintf(stderr, "%s %d %s: the child gave no figures (exit %d)\n", qPrintable(mode), count,
                     qPrintable(side), child.exitCode());
    return result;
}

void CompareList(int records) {
    const Result ours = RunChild(QStringLiteral("list"), records, QStringLiteral("ours"));
    const Result direct = RunChild(QStringLiteral("list"), records, QStringLiteral("direct"));
    std::printf("list %8d records: ours %5d pages %8.3f s %8.0f pages/s peak RSS %6.1f MB | "
                "QPdfWriter %5d pages %8.3f s %8.0f pages/s peak RSS %6.1f MB | time ratio ours/direct %.3f\n",
                records, ours.Pages, ours.Seconds, ours.Pages / ours.Seconds, ours.RssKb / 1024.0, direct.Pages,
                direct.Seconds, direct.Pages / direct.Seconds, direct.RssKb / 1024.0, ours.Seconds / direct.Seconds);
}

void PagesOnly(int pages) {
    const Result ours = RunChild(QStringLiteral("pages"), pages, QStringLiteral("ours"));
    std::printf("pages %7d records: ours %7d pages %8.3f s %8.0f pages/s peak RSS %6.1f MB (limit 200 MB: %s), "
                "page store %.1f MB %s\n",
                pages, ours.Pages, ours.Seconds, ours.Pages / ours.Seconds, ours.RssKb / 1024.0,
                ours.RssKb < 200 * 1024 ? "under" : "OVER", ours.StoreBytes / 1048576.0,
                ours.InFile ? "in its temporary file" : "in memory");
}

std::vector<int> Counts(const QStringList& args, int from, std::vector<int> defaults) {
    std::vector<int> counts;
    for (int i = from; i < args.size(); ++i)
        counts.push_back(args[i].toInt());
    return counts.empty() ? defaults : counts;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString mode = args.size() > 1 ? args[1] : QStringLiteral("list");
    if (mode == QLatin1String("side") && args.size() == 5)
        return RunSide(args[2], args[3].toInt(), args[4]);
    if (mode == QLatin1String("pages")) {
        for (int pages : Counts(args, 2, {1000, 10000, 100000}))
            PagesOnly(pages);
        return 0;
    }
    if (mode != QLatin1String("list")) {
        std::fprintf(stderr, "usage: report_bench [list [records...] | pages [pages...]]\n");
        return 2;
    }
    for (int records : Counts(args, 2, {1000, 10000, 100000}))
        CompareList(records);
    return 0;
}
