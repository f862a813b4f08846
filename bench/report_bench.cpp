// The grouped list report (page header and footer with the page number, a
// group on the customer with header and footer totals, five fields and a
// rule per record, a summary) printed as a user prints it, against the same
// texts and rules drawn by hand straight into Qt's QPdfWriter, in the same
// font, size and resolution:
//   (a) Print: the report drawn on the built-in PDF printer;
//   (b) the preview's road: the run into the page store, then the stored
//       pages printed to the PDF printer.
// Every side runs in a child process of its own, so that its peak RSS
// (getrusage ru_maxrss) is its own, over the same in-memory SQLite query,
// filled before timing. A warm-up round, then rounds alternating the sides
// in turn; the best round of each counts. The PDFs of the last round must
// hold the same page count and, on a sample of pages, the same text
// (pdftotext). Each comparison is one line ending in its time ratio.
// The "pages" mode makes a report of one record per page (100,000 pages by
// default) into the page store, whose pages spill to its temporary file.
// Usage: report_bench [list [records...] | pages [pages...]]
//        (ROUNDS in the environment: timed rounds, 5 by default)
//        report_bench side direct|print|preview|pages COUNT FOLDER  (a child)
#include "BenchSupport.h"
#include "ListReport.h"

#include <QtCore/QDir>
#include <QtCore/QLocale>
#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>
#include <QtGui/QFontMetrics>
#include <QtGui/QPainter>
#include <QtGui/QPdfWriter>
#include <QtWidgets/QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

namespace {

using namespace bench;
using Clock = std::chrono::steady_clock;

// ------------------------------------------------------------ direct

// The PDF printer's resolution and the report's font (the framework's
// default face, 9 points), so both sides draw the same glyphs at the same
// device sizes.
constexpr int kDpi = 600;
constexpr double kFontPoints = 9;

// The same pages drawn by hand: positions in 0.1 mm, A4, 10 mm margins,
// each text's cell top 0.5 mm below its band's top.
class TDirectList {
public:
    TDirectList(const QString& file, TDataSet& data)
        : writer_(file), data_(data), locale_(QLocale::English) {
        writer_.setPageSize(QPageSize(QPageSize::A4));
        writer_.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer_.setResolution(kDpi);
        painter_.begin(&writer_);
        QFont font(QStringLiteral("IPAPGothic"));
        font.setPixelSize(qRound(kFontPoints * kDpi / 72));
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
            if (current != customer) {
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
            Fit(kDetail);
            const Int64 amount = fields[4]->AsInteger();
            for (size_t i = 0; i < std::size(kFields); ++i)
                Text(kFields[i].Left, i == 4 ? locale_.toString(amount) : fields[i]->AsString());
            painter_.drawLine(QPoint(Px(100), Px(y_ + 47)), QPoint(Px(2000), Px(y_ + 47)));
            y_ += kDetail * 10;
            ++groupCount;
            groupSum += amount;
            total += amount;
        }
        if (customer != noCustomer)
            GroupFooter(groupCount, groupSum);
        Fit(kSummary);
        Text(0, QStringLiteral("Grand total"));
        Text(130, locale_.toString(total));
        EndPage();
        painter_.end();
        return page_;
    }

private:
    static int Px(double tenthMm) { return qRound(tenthMm * kDpi / 254); }

    void GroupFooter(int count, Int64 sum) {
        Fit(kGroupFooter);
        Text(0, QStringLiteral("Total"));
        Text(25, QString::number(count));
        Text(130, locale_.toString(sum));
        y_ += kGroupFooter * 10;
    }

    void Text(double left, const QString& text) {
        painter_.drawText(QPoint(Px(100 + left * 10), Px(y_ + 5) + ascent_), text);
    }

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
    QLocale locale_;
    int ascent_ = 0;
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

// Runs one road over count records; its PDF goes into folder.
int RunSide(const QString& road, int count, const QString& folder) {
    InitializeQRExpr();
    const QString database = QStringLiteral(":memory:");
    FillList(database, count);
    std::unique_ptr<TQuery> data = OpenList(database, false);
    qputenv("VELMORA_PDF_DIR", folder.toUtf8());
    const auto start = Clock::now();
    int pages = 0;
    Int64 storeBytes = 0;
    bool inFile = false;
    try {
        if (road == QLatin1String("direct")) {
            pages = TDirectList(QDir(folder).filePath(QStringLiteral("direct.pdf")), *data).Run();
        } else if (road == QLatin1String("print")) {
            pages = TListReport(data.get(), false).Print();
        } else if (road == QLatin1String("preview")) {
            pages = TListReport(data.get(), false).PrintStored();
        } else {
            pages = TListReport(data.get(), true).Run(storeBytes, inFile);
        }
    } catch (const Exception& e) {
        // The page store ends at 2 GB (32-bit offsets): some 800,000 one-record pages.
        std::fprintf(stderr, "%s %d: %s\n", qPrintable(road), count, qPrintable(e.Message()));
        return 1;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("RESULT %.6f %d %ld %lld %d\n", seconds, pages, PeakRssKb(), static_cast<long long>(storeBytes),
                inFile ? 1 : 0);
    return 0;
}

// ------------------------------------------------------------ the parent

// Runs one road in a child process and reads its figures.
Result RunRoad(const QString& road, int count, const QString& folder) {
    QDir().mkpath(folder);
    const QList<QByteArray> f = RunChild({QStringLiteral("side"), road, QString::number(count), folder});
    if (f.size() < 5)
        return {};
    return {f[0].toDouble(), f[1].toInt(), f[2].toLong(), f[3].toLongLong(), f[4].toInt() != 0};
}

// The one PDF a road left in its folder.
QString PdfIn(const QString& folder) {
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files);
    return files.size() == 1 ? QDir(folder).filePath(files.front()) : QString();
}

// The text lines of one page of a PDF as pdftotext reads them, sorted:
// a text placed a pixel higher may be read before its neighbour.
QString PageText(const QString& pdf, int page) {
    QProcess tool;
    const QString n = QString::number(page);
    tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-f"), n, QStringLiteral("-l"), n, QStringLiteral("-enc"),
                                             QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    tool.waitForFinished(-1);
    QStringList lines;
    for (const QString& line : QString::fromUtf8(tool.readAllStandardOutput()).split(u'\n'))
        if (!line.trimmed().isEmpty())
            lines << line.simplified();
    lines.sort();
    return lines.join(u'\n');
}

// "same text on pages 1, 2, ..." or what differs.
QString CompareText(const QString& ours, const QString& direct, int pages) {
    if (ours.isEmpty() || direct.isEmpty())
        return QStringLiteral("NO PDF to compare");
    std::vector<int> sample = {1, 2, pages / 2, pages};
    sample.erase(std::remove_if(sample.begin(), sample.end(), [pages](int p) { return p < 1 || p > pages; }),
                 sample.end());
    std::sort(sample.begin(), sample.end());
    sample.erase(std::unique(sample.begin(), sample.end()), sample.end());
    QStringList checked;
    for (int page : sample) {
        const QString a = PageText(ours, page), b = PageText(direct, page);
        if (a.isEmpty() || a != b)
            return QStringLiteral("TEXT DIFFERS on page %1").arg(page);
        checked << QString::number(page);
    }
    return QStringLiteral("same text on pages ") + checked.join(QStringLiteral(", "));
}

int Rounds() {
    const int rounds = qEnvironmentVariableIntValue("ROUNDS");
    return rounds > 0 ? rounds : 5;
}

const char* const kRoads[] = {"direct", "print", "preview"};

struct Best {
    Result Time;    // the fastest round
    long RssKb = 0;  // the highest peak of all rounds
    int Pages = -1;  // -1 before the first round; 0 once rounds disagree
};

// Seconds of the best round of each road, per record count, for the growth lines.
std::map<QString, std::vector<std::pair<int, double>>> g_growth;

void CompareList(int records) {
    QTemporaryDir dir;
    std::map<QString, Best> best;
    const int rounds = Rounds();
    // Round 0 warms up; the order of the roads turns round by round.
    for (int round = 0; round <= rounds; ++round)
        for (size_t i = 0; i < std::size(kRoads); ++i) {
            const QString road = QLatin1String(kRoads[(i + size_t(round)) % std::size(kRoads)]);
            const QString folder = dir.filePath(road);
            QDir(folder).removeRecursively();
            const Result r = RunRoad(road, records, folder);
            if (round == 0)
                continue;
            Best& b = best[road];
            if (b.Time.Pages == 0 || r.Seconds < b.Time.Seconds)
                b.Time = r;
            b.RssKb = std::max(b.RssKb, r.RssKb);
            b.Pages = b.Pages == -1 || b.Pages == r.Pages ? r.Pages : 0;
        }
    const Best& direct = best[QStringLiteral("direct")];
    const QString directPdf = PdfIn(dir.filePath(QStringLiteral("direct")));
    const auto line = [&](const char* road, const char* what) {
        const Best& ours = best[QLatin1String(road)];
        const bool samePages = ours.Pages > 0 && ours.Pages == direct.Pages;
        const QString text = samePages ? CompareText(PdfIn(dir.filePath(QLatin1String(road))), directPdf, ours.Pages)
                                       : QStringLiteral("PAGE COUNTS DIFFER");
        const Result& o = ours.Time;
        const Result& d = direct.Time;
        std::printf("list %6d records, %s: ours %4d pages %7.3f s %5.0f pages/s peak RSS %5.1f MB | "
                    "QPdfWriter %4d pages %7.3f s %5.0f pages/s peak RSS %5.1f MB | %s | "
                    "time ratio ours/direct %.3f\n",
                    records, what, o.Pages, o.Seconds, o.Pages / o.Seconds, ours.RssKb / 1024.0, d.Pages, d.Seconds,
                    d.Pages / d.Seconds, direct.RssKb / 1024.0, qPrintable(text), o.Seconds / d.Seconds);
        std::fflush(stdout);
    };
    line("print", "(a) Print to the PDF printer   ");
    line("preview", "(b) page store, then printed  ");
    for (const char* road : kRoads)
        g_growth[QLatin1String(road)].push_back({records, best[QLatin1String(road)].Time.Seconds});
}

// How the best time grows with the records, against the smallest count.
void PrintGrowth() {
    for (const char* road : kRoads) {
        const auto& points = g_growth[QLatin1String(road)];
        if (points.size() < 2)
            return;
        QString growth;
        for (size_t i = 1; i < points.size(); ++i)
            growth += QStringLiteral(" %1x records: %2x time;")
                          .arg(double(points[i].first) / points.front().first, 0, 'g', 4)
                          .arg(points[i].second / points.front().second, 0, 'f', 1);
        std::printf("growth of %-7s from %d records:%s\n", road, points.front().first, qPrintable(growth));
    }
}

void PagesOnly(int pages) {
    QTemporaryDir dir;
    const Result ours = RunRoad(QStringLiteral("pages"), pages, dir.path());
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
    PrintGrowth();
    return 0;
}
