// "*" (expand everything below the selection) in the folder tree.
// First as the demonstration shows it: the folder-tree window's first root
// over the real volumes and file system, the root clicked, "*" pressed;
// prints the nodes, the folders read, the time and the memory. A walk
// still running after the time limit is reported as it stands and the
// program ends. That walk has no peer: the live file system (/proc, /tmp)
// changes from one walk to the next, so no two walks do the same work.
// Then on fixed trees of 1,000, 10,000 and 100,000 folders: ours against a
// shown QTreeWidget filled with an item per folder by QDir, then "*"
// pressed on it too, in turns (BenchSupport.h); both must show the same
// folders. One line per size ending with the ratio of wall-clock times
// ours / QTreeWidget.
// Usage: expandall_bench [seconds]   (default 120)
#include "BenchSupport.h"
#include "FolderBench.h"
#include "UnDirectoryView.h"

#include <QtCore/QElapsedTimer>
#include <QtCore/QTemporaryDir>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QTreeWidget>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

using bench::RssKb;

// The real file system, counted; past the limit the figures so far are printed.
class WatchedLister : public TFileSystemLister {
public:
    WatchedLister(TDirectoryView* view, qint64 limitMs) : view_(view), limitMs_(limitMs) {}
    std::vector<TDirEntry> List(const QString& path, TFolderId* folder) override {
        ++folders;
        if (clock.isValid() && clock.elapsed() >= nextSampleMs_) {
            std::printf("  %5.0f s: %ld folders read, RSS %ld KiB\n", clock.elapsed() / 1000.0, folders, RssKb());
            std::fflush(stdout);
            nextSampleMs_ += 10000;
        }
        if (clock.isValid() && clock.elapsed() > limitMs_) {
            std::printf("no return after %.0f s: %d nodes, %ld folders read, RSS %ld KiB\n", clock.elapsed() / 1000.0,
                        view_->Items()->Count(), folders, RssKb());
            std::fflush(stdout);
            std::_Exit(1);
        }
        return TFileSystemLister::List(path, folder);
    }
    QElapsedTimer clock;
    long folders = 0;

private:
    TDirectoryView* view_;
    qint64 limitMs_;
    qint64 nextSampleMs_ = 10000;
};

// "*" on the tree widget, with its selection as it stands.
void PressStar(QWidget* tree) { QTest::keyClick(tree, Qt::Key_Asterisk, Qt::KeypadModifier); }

int TheDemonstration(qint64 limitMs) {
    TForm2 form(nullptr);
    TDirectoryView* view = form.DirectoryView1;
    auto lister = std::make_shared<WatchedLister>(view, limitMs);
    view->SetDirectoryLister(lister);
    form.AfterConstruction();
    form.Show();
    if (!QTest::qWaitForWindowExposed(form.Handle())) return 1;
    TTreeNode* root = view->Items()->GetFirstNode();
    if (!root) {
        std::printf("no volume to show\n");
        return 1;
    }
    auto* tree = static_cast<QTreeWidget*>(view->Widget());
    const QRect row = tree->visualItemRect(tree->topLevelItem(0));
    const QPoint at(row.left() + view->ImageSize() + 6, row.center().y());  // on the text
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    std::printf("first root %s, %d nodes, RSS %ld KiB\n", qPrintable(root->Text()), view->Items()->Count(), RssKb());
    std::fflush(stdout);

    const long rssBefore = RssKb();
    lister->folders = 0;
    lister->clock.start();
    PressStar(tree);
    const double seconds = lister->clock.elapsed() / 1000.0;
    std::printf("\"*\" returned after %.2f s: %d nodes, %ld folders read, RSS %ld KiB (+%ld); no peer: the live file "
                "system changes from walk to walk\n",
                seconds, view->Items()->Count(), lister->folders, RssKb(), RssKb() - rssBefore);
    return 0;
}

// ------------------------------------------------------------ fixed trees

// count folders below root, ten to a folder, level by level.
void MakeTree(const QString& root, int count) {
    std::vector<QByteArray> level{QFile::encodeName(root)};
    int made = 0;
    while (made < count) {
        std::vector<QByteArray> next;
        for (const QByteArray& parent : level)
            for (int i = 0; i < 10 && made < count; ++i, ++made) {
                next.push_back(parent + "/d" + QByteArray::number(i));
                mkdir(next.back().constData(), 0755);
            }
        level = std::move(next);
    }
}

// Every folder below the top, as "parent/child/..." paths, sorted.
using Paths = QStringList;

void PathsBelow(const TTreeNode* node, const QString& prefix, Paths& paths) {
    for (Integer i = 0; i < node->Count(); ++i) {
        const TTreeNode* child = node->Item(i);
        paths << prefix + child->Text();
        PathsBelow(child, paths.back() + u'/', paths);
    }
}

void PathsBelow(const QTreeWidgetItem* item, const QString& prefix, Paths& paths) {
    for (int i = 0; i < item->childCount(); ++i) {
        const QTreeWidgetItem* child = item->child(i);
        paths << prefix + child->text(0);
        PathsBelow(child, paths.back() + u'/', paths);
    }
}

// Ours: the folder tree over the fixed tree alone, shown, its root selected.
class OursSide {
public:
    explicit OursSide(const QString& root) {
        form_.SetBounds(0, 0, 320, 420);
        view_ = new TDirectoryView(&form_);
        view_->SetParent(&form_);
        view_->SetBounds(0, 0, 300, 400);
        form_.Show();
        view_->SetVolumeSource(std::make_shared<bench::OneVolume>(root));
        view_->BuildDriveList(true);
        view_->SetSelected(view_->Items()->GetFirstNode());
        QApplication::processEvents();
    }
    void Star() {
        PressStar(view_->Widget());
        QApplication::processEvents();
    }
    Paths Shown() const {
        Paths paths;
        PathsBelow(view_->Items()->GetFirstNode(), {}, paths);
        return paths;
    }

private:
    TForm form_{nullptr};
    TDirectoryView* view_ = nullptr;
};

// The peer: a shown QTreeWidget with the root's item current; "*" reads
// every folder into an item, then Qt's own "*" expands them all.
class PeerSide {
public:
    explicit PeerSide(const QString& root) : root_(root), top_(new QTreeWidgetItem(&tree_, {root})) {
        tree_.resize(300, 400);
        tree_.show();
        tree_.setCurrentItem(top_);
        QApplication::processEvents();
    }
    void Star() {
        Fill(top_, root_);
        PressStar(&tree_);
        QApplication::processEvents();
    }
    Paths Shown() const {
        Paths paths;
        PathsBelow(top_, {}, paths);
        return paths;
    }

private:
    static void Fill(QTreeWidgetItem* item, const QString& path) {
        for (const QString& name : QDir(path).entryList(bench::kFolders, bench::kSort)) {
            auto* child = new QTreeWidgetItem(item, {name});
            Fill(child, path + u'/' + name);
        }
    }

    QString root_;
    QTreeWidget tree_;
    QTreeWidgetItem* top_;
};

std::string DifferentPaths(const Paths& ours, const Paths& peer) {
    if (ours == peer) return {};
    return bench::Format("%lld folders shown against %lld", (long long)ours.size(), (long long)peer.size());
}

void CompareOnTree(const QString& base, int folders, bench::Growth& growth) {
    QTemporaryDir dir(base + QStringLiteral("/velmora-star-XXXXXX"));
    MakeTree(dir.path(), folders);
    const std::string label = bench::Format("\"*\" over %d folders", folders);
    bench::Best best;
    for (bench::Turns turns(label); turns.Next();) {
        // Fresh sides every round: "*" finds everything collapsed and unread.
        OursSide ours(dir.path());
        PeerSide peer(dir.path());
        turns.Time(best, [&] { ours.Star(); }, [&] { peer.Star(); });
        const Paths shown = ours.Shown();
        turns.Check("folders", shown.size() == folders ? DifferentPaths(shown, peer.Shown())
                                                       : bench::Format("ours shows %lld", (long long)shown.size()));
    }
    bench::PrintTimeRatio(label, "QTreeWidget", best, bench::kMinRounds, false, "the same folders shown");
    growth.Add("ours, \"*\"", folders, best.Ours.Wall);
    growth.Add("QTreeWidget, \"*\"", folders, best.Peer.Wall);
}

}  // namespace

int main(int argc, char** argv) {
    bench::OffscreenUnlessSet();
    QApplication app(argc, argv);
    const qint64 limitMs = (argc > 1 ? std::atol(argv[1]) : 120) * 1000;
    if (const int failed = TheDemonstration(limitMs)) return failed;
    const QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    bench::Growth growth;
    for (int folders : {1000, 10000, 100000}) CompareOnTree(base, folders, growth);
    growth.Print();
    return 0;
}
