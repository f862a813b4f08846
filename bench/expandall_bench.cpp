// The folder-tree window's "*" (expand everything below the selection) on
// its first root, as the demonstration shows it: the real volumes and file
// system, the root clicked, "*" pressed. Prints the nodes, the folders
// read, the time and the memory; a walk still running after the time limit
// is reported as it stands and the program ends.
// Usage: expandall_bench [seconds]   (default 120)
#include "BenchSupport.h"
#include "DirectoryView.h"
#include "UnDirectoryView.h"

#include <QtCore/QElapsedTimer>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QTreeWidget>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

using bench::RssKb;

// The real file system, counted; past the limit the figures so far are printed.
class WatchedLister : public TFileSystemLister {
public:
    WatchedLister(TDirectoryView* view, qint64 limitMs) : view_(view), limitMs_(limitMs) {}
    std::vector<TDirEntry> List(const QString& path) override {
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
        return TFileSystemLister::List(path);
    }
    QElapsedTimer clock;
    long folders = 0;

private:
    TDirectoryView* view_;
    qint64 limitMs_;
    qint64 nextSampleMs_ = 10000;
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const qint64 limitMs = (argc > 1 ? std::atol(argv[1]) : 120) * 1000;

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
    QTest::keyClick(tree, Qt::Key_Asterisk, Qt::KeypadModifier);
    const double seconds = lister->clock.elapsed() / 1000.0;
    std::printf("\"*\" returned after %.2f s: %d nodes, %ld folders read, RSS %ld KiB (+%ld)\n", seconds,
                view->Items()->Count(), lister->folders, RssKb(), RssKb() - rssBefore);
    return 0;
}
