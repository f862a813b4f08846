// The folder tree view against QDir::entryList (sorted, same filters) over
// the same folders, in one run: expanding a folder of many sub-folders
// (which reads the folder and each sub-folder, for their expand buttons),
// hidden and shown (then against a QTreeWidget showing the same names),
// and searching every folder of a tree of files for a pattern. The two
// sides take turns (BenchSupport.h) and must show or find the same names.
// Prints the ratio of wall-clock times (the work is mostly the kernel's)
// ours / peer per case at three sizes, then how the times grow.
// Usage: dirtree_bench [base folder]   (default: /dev/shm, else the temp folder)
#include "BenchSupport.h"
#include "FolderBench.h"
#include "Forms.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtWidgets/QApplication>
#include <QtWidgets/QTreeWidget>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

namespace {

using namespace bench;

void MakeFolders(const QString& parent, int count) {
    const QByteArray base = QFile::encodeName(parent) + "/sub";
    for (int i = 0; i < count; ++i) mkdir((base + QByteArray::number(i)).constData(), 0755);
}

void MakeFiles(const QString& folder, int count) {
    mkdir(QFile::encodeName(folder).constData(), 0755);
    for (int i = 0; i < count; ++i) QFile(folder + QStringLiteral("/file%1.txt").arg(i)).open(QIODevice::WriteOnly);
}

// The peer of the shown tree: a shown QTreeWidget whose item for the folder
// gets one child item per sub-folder, with an expand button where that
// sub-folder has sub-folders of its own, as ours shows them.
class PeerTree {
public:
    PeerTree() : folder_(new QTreeWidgetItem(&tree_, {QStringLiteral("big")})) {
        tree_.resize(300, 400);
        tree_.show();
    }
    QStringList Expand(const QString& path) {
        qDeleteAll(folder_->takeChildren());
        const QStringList names = QDir(path).entryList(kFolders, kSort);
        QList<QTreeWidgetItem*> items;
        for (const QString& name : names) {
            auto* item = new QTreeWidgetItem({name});
            item->setChildIndicatorPolicy(QDir(path + u'/' + name).entryList(kFolders, kSort).isEmpty()
                                              ? QTreeWidgetItem::DontShowIndicator
                                              : QTreeWidgetItem::ShowIndicator);
            items << item;
        }
        folder_->addChildren(items);
        folder_->setExpanded(true);
        QCoreApplication::processEvents();
        return names;
    }

private:
    QTreeWidget tree_;
    QTreeWidgetItem* folder_;
};

// The folder and each sub-folder read, as ours reads them to know the expand buttons.
QStringList ListOnly(const QString& path) {
    const QStringList names = QDir(path).entryList(kFolders, kSort);
    for (const QString& name : names) QDir(path + u'/' + name).entryList(kFolders, kSort);
    return names;
}

QStringList Names(const TTreeNode* node) {
    QStringList names;
    for (Integer i = 0; i < node->Count(); ++i) names << node->Item(i)->Text();
    return names;
}

std::string DifferentNames(const QStringList& ours, const QStringList& peer) {
    if (ours == peer) return {};
    return bench::Format("%lld names against %lld", (long long)ours.size(), (long long)peer.size());
}

// shown: the tree on a form on the screen, so that every node gets its Qt
// item, against a shown QTreeWidget; else ours' nodes against the listing.
void BenchExpand(const QString& base, int folders, bool shown, bench::Growth& growth) {
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
    PeerTree peerTree;

    const std::string label = bench::Format("expand %d sub-folders%s", folders, shown ? " (tree shown)" : "");
    bench::Best best;
    for (bench::Turns turns(label); turns.Next();) {
        QStringList peer;
        turns.Time(
            best,
            [&] {
                node->Collapse(false);
                node->Expand(false);
                QCoreApplication::processEvents();
            },
            [&] { peer = shown ? peerTree.Expand(big) : ListOnly(big); });
        turns.Check("names", DifferentNames(Names(node), peer));
    }
    bench::PrintTimeRatio(label, shown ? "QTreeWidget" : "QDir", best, bench::kMinRounds, false,
                          shown ? "the same names shown on both sides"
                                : "the same names; ours makes its nodes, QDir only lists (no view on either side)");
    growth.Add(std::string("ours, expand") + (shown ? " shown" : ""), folders, best.Ours.Wall);
    growth.Add(std::string(shown ? "QTreeWidget" : "QDir") + ", expand", folders, best.Peer.Wall);
}

// Per folder searched, the folder and the first name matching the pattern.
using Finds = QStringList;

void BenchSearch(const QString& base, int folders, int filesPerFolder, const char* series, bench::Growth& growth) {
    QTemporaryDir dir(base + QStringLiteral("/velmora-search-XXXXXX"));
    for (int f = 0; f < folders; ++f) MakeFiles(dir.filePath(QStringLiteral("folder%1").arg(f)), filesPerFolder);

    TDirectoryView view(nullptr);
    view.SetVolumeSource(std::make_shared<OneVolume>(dir.path()));
    view.BuildDriveList(true);
    TTreeNode* root = view.Items()->GetFirstNode();
    const QString pattern = QStringLiteral("FILE%1?.*").arg(filesPerFolder / 20);
    view.SetSearchFile(pattern);
    Finds* finds = nullptr;
    view.OnFind = [&](TObject*, const QString& folder, const QString& name) {
        *finds << QDir(folder).dirName() + u'/' + name;
    };
    const auto ours = [&] {
        Finds found;
        finds = &found;
        view.SetSelected(nullptr);
        for (Integer i = 0; i < root->Count(); ++i) view.SetSelected(root->Item(i));
        return found;
    };
    const auto peer = [&] {
        Finds found;
        for (int f = 0; f < folders; ++f) {
            const QString folder = QStringLiteral("folder%1").arg(f);
            const QStringList names = QDir(dir.filePath(folder)).entryList({pattern}, kEntries, kSort);
            if (!names.isEmpty()) found << folder + u'/' + names.front();
        }
        return found;
    };
    const std::string label =
        bench::Format("search %d files in %d folders", folders * filesPerFolder, folders);
    // Ours walks its folders in name order, the peer in number order.
    const bench::Best best = bench::Compare(label, ours, peer, [](Finds a, Finds b) {
        a.sort();
        b.sort();
        return DifferentNames(a, b);
    });
    bench::PrintTimeRatio(label, "QDir", best, bench::kMinRounds, false, "the same first names found");
    growth.Add(std::string("ours, search ") + series, double(folders) * filesPerFolder, best.Ours.Wall);
    growth.Add(std::string("QDir, search ") + series, double(folders) * filesPerFolder, best.Peer.Wall);
}

}  // namespace

int main(int argc, char** argv) {
    bench::OffscreenUnlessSet();
    QApplication app(argc, argv);
    const QString base = argc > 1                                       ? QString::fromLocal8Bit(argv[1])
                         : QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm")
                                                                               : QDir::tempPath();
    bench::Growth growth;
    for (bool shown : {false, true}) {
        for (int folders : {200, 2000, 20000}) BenchExpand(base, folders, shown, growth);
    }
    for (int folders : {10, 100, 1000}) BenchSearch(base, folders, 100, "in more folders", growth);
    for (int files : {100, 1000}) BenchSearch(base, 100, files, "in fuller folders", growth);
    growth.Print();
    return 0;
}
