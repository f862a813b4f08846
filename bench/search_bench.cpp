// Searching every page of the grouped list report from the standard preview
// window, a text found once on every page ("Sales list", the page header):
// the window's Search for Text, answered as a user answers its dialog, until
// the results list holds every page, against the plain text of every page
// taken from the page store: each page fetched, all its text records
// decoded and the text looked for (the search itself leaves a page at its
// first hit). Both sides' page lists must be equal. The report runs once per size (not timed); by
// default 10,900, 89,150 and 875,960 records: 231, 1,889 and 18,556 pages.
// Usage: search_bench [records...]   (ROUNDS in the environment, 5 by default)
#include "BenchSupport.h"
#include "ListReport.h"

#include "ComCtrls.h"
#include "Metafile.h"
#include "QRPrev.h"
#include "QRSearchDlg.h"
#include "StdCtrls.h"
#include "StdCtrlsEdit.h"
#include "Buttons.h"

#include <QtCore/QTimer>
#include <QtCore/QtEndian>
#include <QtWidgets/QApplication>

#include <cstdio>
#include <vector>

namespace {

using namespace bench;
using Pages = std::vector<Integer>;

const QString kText = QStringLiteral("Sales list");

// Answers the search dialog with kText once it is up.
void AnswerSearchDialog() {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer] {
        for (Integer i = 0; i < Screen->FormCount(); ++i) {
            auto* dialog = dynamic_cast<TSearchDlg*>(Screen->Forms(i));
            if (!dialog || !dialog->Visible()) continue;
            timer->stop();
            timer->deleteLater();
            dialog->Edit1->SetText(kText);
            dialog->SpeedButton2->Click();
            return;
        }
    });
    timer->start(1);
}

// The pages the window's results list names.
Pages Listed(const TQRStandardPreview& window) {
    Pages pages;
    const TStrings* lines = window.SearchResultBox->Items();
    for (Integer i = 0; i < lines->Count(); ++i)
        pages.push_back(Integer(reinterpret_cast<qintptr>(lines->Objects(i))));
    return pages;
}

Pages SearchInWindow(TQRStandardPreview& window) {
    AnswerSearchDialog();
    window.FindClick();
    return Listed(window);
}

// The text of a wide text record: its character count at 44, the offset of
// its string at 48.
QString WideText(const TMetafileRecord& record) {
    const char* bytes = record.Bytes.data();
    const quint32 count = qFromLittleEndian<quint32>(bytes + 44);
    const quint32 offset = qFromLittleEndian<quint32>(bytes + 48);
    return QString(reinterpret_cast<const QChar*>(bytes + offset), qsizetype(count));
}

Pages ExtractText(TQRPrinter& store) {
    Pages pages;
    for (Integer page = 1; page <= store.PageCount(); ++page) {
        TMetafile metafile;
        metafile.SetData(store.PageList().GetPageData(page));
        QString text;
        EnumMetafileRecords(metafile, [&](const TMetafileRecord& record) {
            if (record.Type == EMR_EXTTEXTOUTW) text += WideText(record) + QLatin1Char('\n');
            return true;
        });
        if (text.contains(kText)) pages.push_back(page);
    }
    return pages;
}

std::string Differ(const Pages& ours, const Pages& peer) {
    if (ours == peer) return {};
    return Format("the window lists %zu pages, the text is on %zu", ours.size(), peer.size());
}

int Rounds() {
    const int rounds = qEnvironmentVariableIntValue("ROUNDS");
    return rounds > 0 ? rounds : kMinRounds;
}

void CompareSearch(int records, Growth& growth) {
    const QString database = QStringLiteral(":memory:");
    Exec(database, QStringLiteral("DROP TABLE IF EXISTS list"));  // one database for every size
    FillList(database, records);
    std::unique_ptr<TQuery> data = OpenList(database, false);
    TListReport report(data.get(), false);
    TQRPrinter store(&report.Report());
    report.RunInto(store);
    TQRStandardPreview window(nullptr, &store);
    window.SetWindowState(wsNormal);
    window.Show();
    Application->ProcessMessages();
    const Integer pages = store.PageCount();
    const Best best = Compare(
        Format("search %d pages", pages), [&] { return SearchInWindow(window); }, [&] { return ExtractText(store); },
        Differ, Rounds());
    PrintTimeRatio(Format("search of %d pages, %d results", pages, pages), "text of every page", best, Rounds());
    growth.Add("the window's search", pages, best.Ours.Wall);
    growth.Add("the text of every page", pages, best.Peer.Wall);
}

}  // namespace

int main(int argc, char** argv) {
    OffscreenUnlessSet();
    QApplication app(argc, argv);
    InitializeQRExpr();
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
    if (counts.empty()) counts = {10900, 89150, 875960};
    Growth growth;
    for (int records : counts) CompareSearch(records, growth);
    growth.Print();
    return 0;
}
