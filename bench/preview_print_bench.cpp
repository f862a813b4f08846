// The standard preview window on the grouped list report (ListReport.h), as
// a user meets it:
//   print: the report run into an open preview window, then the window's
//          Print pressed, against the report's own Print() of the same
//          report with no preview; both print to the built-in PDF printer,
//          and the two PDFs of every round must hold the same page count
//          and text (pdfinfo, pdftotext). The run into the preview is not
//          timed, only the print.
//   run:   the report run into its page store while an open preview window
//          shows the pages as they come, against the same run with no
//          preview; both stores must hold the same pages and bytes.
// A warm-up round, then rounds in turns; the best round of each side counts.
// Usage: preview_print_bench [print [records...]] [run [records...]]
//        (ROUNDS in the environment: timed rounds, 5 by default)
#include "BenchSupport.h"
#include "ListReport.h"

#include "Forms.h"
#include "QRPrev.h"

#include <QtCore/QDir>
#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>
#include <QtWidgets/QApplication>
#include <QtTest/QTest>

#include <cstdio>

namespace {

using namespace bench;

int Rounds() {
    const int rounds = qEnvironmentVariableIntValue("ROUNDS");
    return rounds > 0 ? rounds : kMinRounds;
}

// The list's records in a database file of their own, opened twice: one
// report for each side, so that the peer's report has never seen a preview.
class TTwoReports {
public:
    explicit TTwoReports(int records) {
        const QString database = folder_.filePath(QStringLiteral("list.db"));
        FillList(database, records);
        oursData_ = OpenList(database, false);
        peerData_ = OpenList(database, false);
        ours_ = std::make_unique<TListReport>(oursData_.get(), false);
        peer_ = std::make_unique<TListReport>(peerData_.get(), false);
    }
    TRazorUze& Ours() const { return ours_->Report(); }
    TRazorUze& Peer() const { return peer_->Report(); }

private:
    QTemporaryDir folder_;
    std::unique_ptr<TQuery> oursData_, peerData_;
    std::unique_ptr<TListReport> ours_, peer_;
};

// The standard preview window over a page store of the report, open on the
// screen; the report runs into it and prints from it.
class TOpenPreview {
public:
    explicit TOpenPreview(TRazorUze& report) : report_(report), store_(&report) {
        window_ = dynamic_cast<TQRStandardPreview*>(NewQRPreviewInterface(nullptr)->Show(&store_));
        window_->Handle()->activateWindow();
        if (!QTest::qWaitForWindowExposed(window_->Handle())) std::fprintf(stderr, "the preview was not shown\n");
    }
    ~TOpenPreview() {
        window_->Close();
        Application->ProcessMessages();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        report_.SetQRPrinter(nullptr);
    }
    TQRPrinter& Store() { return store_; }
    void Run() {
        report_.SetQRPrinter(&store_);
        report_.CreateReport(false);
        Application->ProcessMessages();
    }
    void PressPrint() {
        window_->PrintClick();
        Application->ProcessMessages();
    }

private:
    TRazorUze& report_;
    TQRPrinter store_;
    TQRStandardPreview* window_ = nullptr;
};

// ------------------------------------------------------------ print

QString Tool(const QString& tool, const QStringList& args) {
    QProcess process;
    process.start(tool, args);
    process.waitForFinished(-1);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The page count and the text of the one PDF in folder.
struct TPdf {
    QString Pages;
    QString Text;
    bool operator==(const TPdf& other) const { return Pages == other.Pages && Text == other.Text; }
};

TPdf ReadPdf(const QString& folder) {
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files);
    if (files.size() != 1) return {QStringLiteral("%1 PDF files").arg(files.size()), {}};
    const QString file = QDir(folder).filePath(files.front());
    TPdf pdf;
    for (const QString& line : Tool(QStringLiteral("pdfinfo"), {file}).split(u'\n'))
        if (line.startsWith(QLatin1String("Pages:"))) pdf.Pages = line.mid(6).trimmed();
    pdf.Text = Tool(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), file, QStringLiteral("-")});
    return pdf;
}

// Prints into an empty folder of its own, so that the PDF left is this print's.
template <class Work>
void PrintInto(const QString& folder, Work&& work) {
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    qputenv("VELMORA_PDF_DIR", folder.toUtf8());
    work();
}

void ComparePrint(int records) {
    const TTwoReports reports(records);
    QTemporaryDir dir;
    const QString oursFolder = dir.filePath(QStringLiteral("preview"));
    const QString peerFolder = dir.filePath(QStringLiteral("print"));
    Best best;
    int pages = 0;
    for (Turns turns("print", Rounds()); turns.Next();) {
        TOpenPreview preview(reports.Ours());
        preview.Run();
        pages = preview.Store().PageCount();
        turns.Time(best, [&] { PrintInto(oursFolder, [&] { preview.PressPrint(); }); },
                   [&] { PrintInto(peerFolder, [&] { reports.Peer().Print(); }); });
        const TPdf ours = ReadPdf(oursFolder), peer = ReadPdf(peerFolder);
        turns.Check("pdf", ours.Pages.isEmpty() || !(ours == peer)
                               ? Format("pages %s against %s, text %s", qPrintable(ours.Pages), qPrintable(peer.Pages),
                                        ours.Text == peer.Text ? "equal" : "differs")
                               : std::string());
    }
    PrintTimeRatio(Format("print %d pages (%d records) from an open preview against Print() alone", pages, records),
                   "Print()", best, Rounds());
}

// ------------------------------------------------------------ run

struct TStoreFigures {
    Integer Pages = 0;
    Int64 Bytes = 0;
    bool operator==(const TStoreFigures& other) const { return Pages == other.Pages && Bytes == other.Bytes; }
};

TStoreFigures Figures(TQRPrinter& store) {
    return {store.PageCount(), store.PageList().Stream()->Size()};
}

void CompareRun(int records) {
    const TTwoReports reports(records);
    Best best;
    TStoreFigures ours, peer;
    for (Turns turns("run", Rounds()); turns.Next();) {
        TOpenPreview preview(reports.Ours());
        TQRPrinter store(&reports.Peer());
        turns.Time(best, [&] { preview.Run(); },
                   [&] {
                       reports.Peer().SetQRPrinter(&store);
                       reports.Peer().CreateReport(false);
                       reports.Peer().SetQRPrinter(nullptr);
                   });
        ours = Figures(preview.Store());
        peer = Figures(store);
        turns.Check("store", ours == peer ? std::string()
                                          : Format("%d pages, %lld bytes against %d pages, %lld bytes", ours.Pages,
                                                   static_cast<long long>(ours.Bytes), peer.Pages,
                                                   static_cast<long long>(peer.Bytes)));
    }
    PrintTimeRatio(Format("run of %d pages (%d records) shown in an open preview against no preview", ours.Pages,
                          records),
                   "no preview", best, Rounds());
}

}  // namespace

int main(int argc, char** argv) {
    OffscreenUnlessSet();
    QApplication app(argc, argv);
    InitializeQRExpr();
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        // 231 and 1,889 pages; 18,557 pages.
        for (int records : {10900, 89150}) ComparePrint(records);
        CompareRun(876000);
        return 0;
    }
    void (*compare)(int) = nullptr;
    for (const QString& arg : args) {
        if (arg == QLatin1String("print") || arg == QLatin1String("run")) {
            compare = arg == QLatin1String("print") ? ComparePrint : CompareRun;
        } else if (compare && arg.toInt() > 0) {
            compare(arg.toInt());
        } else {
            std::fprintf(stderr, "usage: preview_print_bench [print [records...]] [run [records...]]\n");
            return 2;
        }
    }
    return 0;
}
