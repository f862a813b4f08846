// The folder tree view against QDir::entryList (sorted, same filters) over
// the same folders, in one run: expanding a folder of many sub-folders
// (which reads the folder and each sub-folder, for their expand buttons),
// and searching every folder of a tree of files for a pattern. Prints the
// time ratio (ours / QDir) per case at three sizes.
// Usage: dirtree_bench [base folder]   (default: /dev/shm, else the temp folder)
#include "DirectoryView.h"
#include "Forms.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtWidgets/QApplication>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

class OneVolume : public TVolumeSource {
public:
    explicit OneVolume(QString path) : path_(std::move(path)) {}
    std::vector<TVolume> Volumes() override { return {{path_, dtDRIVE_FIXED}}; }

private:
    QString path_;
};

template <class F>
double Seconds(F f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The same filters as the tree's full attribute mask: hidden and system
// entries included, sorted by name regardless of case.
constexpr QDir::Filters kFolders = QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
constexpr QDir::Filters kEntries = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
constexpr QDir::SortFlags kSort = QDir::Name | QDir::IgnoreCase;

void MakeFolders(const QString& parent, int count) {
    const QByteArray base = QFile::encodeName(parent) + "/sub";
    for (int i = 0; i < count; ++i) mkdir((base + QByteArray::number(i)).constData(), 0755);
}

void MakeFiles(const QString& folder, int count) {
    mkdir(QFile::encodeName(folder).constData(), 0755);
    for (int i = 0; i < count; ++i) QFile(folder + QStringLiteral("/file%1.txt").arg(i)).open(QIODevice::WriteOnly);
}

// The best of a few runs: the machine's other work only ever adds time.
template <class F>
double Best(F f) {
    double best = 1e9;
    for (int run = 0; run < 5; ++run) best = std::min(best, Seconds(f));
    return best;
}

// shown: the tree on a form on the screen, so that every node gets its Qt item.
void BenchExpand(const QString& base, int folders, bool shown) {
    QTemporaryDir dir(base + QStringLiteral("/velmora-expand-XXXXXX"));
    const QString big = dir.filePath(QStringLiteral("big"));
    QDir().mkpath(big);
    MakeFolders(big, folders);

    TForm form(nullptr);
    auto* view = new TDirectoryView(&form);
    view->SetParent(&form);
    view->SetBounds(0, 0, 300, 400);
    if (shown) form.Show();
    view->SetVolumeSource(std::make_shared<OneVolume>(dir.path()));
    view->BuildDriveList(true);
    // Opening the root reads "big" for its expand button; opening "big" reads it again and every sub-folder.
    view->Items()->GetFirstNode()->Expand(false);
    TTreeNode* node = view->Items()->GetFirstNode()->Item(0);
    const double ours = Best([&] {
        node->Collapse(false);
        node->Expand(false);
        QCoreApplication::processEvents();
    });

    qsizetype seen = 0;
    const double qdir = Best([&] {
        seen = 0;
        const QStringList names = QDir(big).entryList(kFolders, kSort);
        for (const QString& name : names) seen += QDir(big + u'/' + name).entryList(kFolders, kSort).size();
        seen += names.size();
    });
    if (node->Count() != folders || seen != folders)
        std::printf("mismatch: %d nodes, %lld names\n", node->Count(), static_cast<long long>(seen));
    std::printf("expand %d sub-folders%s: ours %.1f ms, QDir %.1f ms, time ratio ours/QDir %.3f\n", folders,
                shown ? " (tree shown)" : "", ours * 1000, qdir * 1000, ours / qdir);
}

void BenchSearch(const QString& base, int folders, int filesPerFolder) {
    QTemporaryDir dir(base + QStringLiteral("/velmora-search-XXXXXX"));
    for (int f = 0; f < folders; ++f) MakeFiles(dir.filePath(QStringLiteral("folder%1").arg(f)), filesPerFolder);

    TDirectoryView view(nullptr);
    view.SetVolumeSource(std::make_shared<OneVolume>(dir.path()));
    view.BuildDriveList(true);
    TTreeNode* root = view.Items()->GetFirstNode();
    const QString pattern = QStringLiteral("FILE%1?.*").arg(filesPerFolder / 20);
    view.SetSearchFile(pattern);
    int oursFound = 0;
    view.OnFind = [&](TObject*, const QString&, const QString&) { ++oursFound; };
    const double ours = Best([&] {
        oursFound = 0;
        view.SetSelected(nullptr);
        for (Integer i = 0; i < root->Count(); ++i) view.SetSelected(root->Item(i));
    });

    int qdirFound = 0;
    const double qdir = Best([&] {
        qdirFound = 0;
        for (int f = 0; f < folders; ++f) {
            const QStringList names =
                QDir(dir.filePath(QStringLiteral("folder%1").arg(f))).entryList({pattern}, kEntries, kSort);
            if (!names.isEmpty()) ++qdirFound;
        }
    });
    if (oursFound != qdirFound) std::printf("mismatch: ours found %d, QDir %d\n", oursFound, qdirFound);
    std::printf("search %d files in %d folders: ours %.1f ms, QDir %.1f ms, time ratio ours/QDir %.3f\n",
                folders * filesPerFolder, folders, ours * 1000, qdir * 1000, ours / qdir);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const QString base = argc > 1                                       ? QString::fromLocal8Bit(argv[1])
                         : QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm")
                                                                               : QDir::tempPath();
    for (bool shown : {false, true}) {
        for (int folders : {200, 2000, 20000}) BenchExpand(base, folders, shown);
    }
    for (int folders : {10, 100, 1000}) BenchSearch(base, folders, 100);
    for (int files : {100, 1000}) BenchSearch(base, 100, files);
    return 0;
}
