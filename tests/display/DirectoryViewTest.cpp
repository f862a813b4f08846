// The folder tree view on temporary folder trees: roots, filling on
// demand, icons, the search with its patterns, and real clicks and keys.
#include "Classes.h"
#include "DirectoryView.h"
#include "Forms.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QSet>
#include <QtCore/QTemporaryDir>
#include <QtCore/QTimer>
#include <QtGui/QKeyEvent>
#include <QtGui/QPainter>
#include <QtTest/QTest>
#include <QtWidgets/QTreeWidget>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

class FixedVolumes : public TVolumeSource {
public:
    explicit FixedVolumes(std::vector<TVolume> volumes, std::vector<quint64> pseudo = {})
        : volumes_(std::move(volumes)), pseudo_(std::move(pseudo)) {}
    std::vector<TVolume> Volumes() override { return volumes_; }
    std::vector<quint64> PseudoDevices() override { return pseudo_; }
    std::vector<TVolume> volumes_;
    std::vector<quint64> pseudo_;
};

using Log = std::vector<std::string>;

std::string Utf8(const QString& s) {
    return s.toStdString();
}

std::vector<QString> ChildTexts(TTreeNode* node) {
    std::vector<QString> texts;
    for (Integer i = 0; i < node->Count(); ++i) texts.push_back(node->Item(i)->Text());
    return texts;
}

TTreeNode* Child(TTreeNode* node, const QString& text) {
    for (Integer i = 0; i < node->Count(); ++i) {
        if (node->Item(i)->Text() == text) return node->Item(i);
    }
    return nullptr;
}

// A temporary folder tree with the given folders and empty files.
class TempTree {
public:
    // base: the folder the tree goes in (a RAM disk keeps large trees quick to make and remove).
    TempTree(std::initializer_list<const char*> folders, std::initializer_list<const char*> files,
             const QString& base = QDir::tempPath())
        : dir(base + QStringLiteral("/velmora-tree-XXXXXX")) {
        for (const char* f : folders) EXPECT_TRUE(QDir(dir.path()).mkpath(QString::fromUtf8(f)));
        for (const char* f : files) {
            QFile file(Path(f));
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        }
    }
    QString Path(const char* relative = "") const { return dir.filePath(QString::fromUtf8(relative)); }
    QTemporaryDir dir;
};

QString RamDiskOrTemp() {
    return QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath();
}

class DirectoryViewTest : public ::testing::Test {
protected:
    DirectoryViewTest()
        : tree({"Windows/System", "Windows/Fonts", "bin", "Apps/a1/deep", ".hidden/inner", "Data"},
               {"a.txt", "b.txt", "B.log", "a.log", "C.log", "semi;colon.txt", "x", "x.dat", "xy", "Windows/win.ini",
                ".secret.txt", "Data/readme"}),
          second({"only"}, {}) {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 420, 360);
        view = new TDirectoryView(form.get());
        view->SetParent(form.get());
        view->SetBounds(8, 8, 380, 300);
        view->SetVolumeSource(std::make_shared<FixedVolumes>(std::vector<TVolume>{
            {tree.Path(), dtDRIVE_FIXED},
            {second.Path(), dtDRIVE_REMOVABLE},
            {QStringLiteral("/nonexistent-velmora-volume"), dtDRIVE_FIXED},
        }));
        view->OnChanging = [this](TObject*, TTreeNode* n, bool& allow) {
            log.push_back("changing:" + Utf8(n ? n->Text() : QStringLiteral("nil")));
            allow = allowChange;
        };
        view->OnChange = [this](TObject*, TTreeNode* n) { log.push_back("change:" + Utf8(n->Text())); };
        view->OnFind = [this](TObject* sender, const QString& dir, const QString& names) {
            EXPECT_EQ(sender, view);
            log.push_back("find:" + Utf8(QDir(tree.Path()).relativeFilePath(dir)) + ":" + Utf8(names));
        };
    }
    TTreeNode* Root() const { return view->Items()->GetFirstNode(); }
    QTreeWidget* Qt() const { return static_cast<QTreeWidget*>(view->Widget()); }
    // Clicks the start of the node's text in the Qt tree (which must show it).
    void ClickNode(TTreeNode* node) {
        QTreeWidgetItem* item = nullptr;
        for (QTreeWidgetItemIterator it(Qt()); *it; ++it) {
            if ((*it)->text(0) == node->Text()) item = *it;
        }
        ASSERT_NE(item, nullptr);
        const QRect r = Qt()->visualItemRect(item);
        const QPoint text(r.left() + view->ImageSize() + 6, r.center().y());
        const QPoint p = Qt()->viewport()->mapTo(form->Handle(), text);
        MouseClick(form.get(), p);
    }

    TempTree tree;
    TempTree second;
    std::unique_ptr<TForm> form;
    TDirectoryView* view = nullptr;
    Log log;
    bool allowChange = true;
};

}  // namespace

TEST_F(DirectoryViewTest, StartsEmptyWithItsDefaults) {
    EXPECT_EQ(view->Items()->Count(), 0);
    EXPECT_FALSE(view->DriveListBuilt());
    EXPECT_EQ(view->DriveType(), TDriveTypes{dtDRIVE_FIXED});
    EXPECT_EQ(view->AttributeMask(), 55);
    EXPECT_TRUE(view->ReadOnly());
    EXPECT_EQ(view->ImageSize(), 16);
    EXPECT_EQ(view->Images()->Count(), 9);
    EXPECT_TRUE(view->Directory().isEmpty());
    EXPECT_TRUE(view->SearchFile().isEmpty());
    view->SetAttributes({atReadOnly, atDirectory, atArchive});
    EXPECT_EQ(view->AttributeMask(), 49);
    TStringList domains;
    domains.Add(QStringLiteral("workgroup"));
    view->SetDomainList(&domains);
    EXPECT_EQ(view->DomainList()->Get(0), QStringLiteral("WORKGROUP"));
}

TEST_F(DirectoryViewTest, RootsForTheWantedVolumeTypesWithTheirFoldersSorted) {
    view->BuildDriveList(false);  // false rebuilds as well
    EXPECT_TRUE(view->DriveListBuilt());
    ASSERT_EQ(view->Items()->GetFirstNode()->getNextSibling()->Text(), "[/nonexistent-velmora-volume]");
    TTreeNode* root = Root();
    EXPECT_EQ(root->Text(), "[" + tree.Path() + "]");
    EXPECT_EQ(view->NodePath(root), tree.Path() + "/");
    EXPECT_EQ(root->ImageIndex(), 0);
    EXPECT_EQ(root->SelectedIndex(), 0);
    // Folders only, hidden ones included under the full mask, in the locale's order.
    EXPECT_EQ(ChildTexts(root), (std::vector<QString>{".hidden", "Apps", "bin", "Data", "Windows"}));
    EXPECT_EQ(root->Item(1)->ImageIndex(), 4);
    EXPECT_EQ(view->NodePath(root->Item(4)), tree.Path() + "/Windows/");
    // A missing volume is a root without children.
    EXPECT_EQ(root->getNextSibling()->Count(), 0);

    // The type set and the mask apply at the next build only.
    view->SetDriveType({dtDRIVE_REMOVABLE, dtDRIVE_FIXED});
    view->SetAttributes({atReadOnly, atDirectory, atArchive});
    EXPECT_EQ(view->Items()->Count(), 2 + 5);
    view->BuildDriveList(true);
    ASSERT_EQ(Root()->getNextSibling()->Text(), "[" + second.Path() + "]");
    EXPECT_EQ(Root()->getNextSibling()->ImageIndex(), 8);
    EXPECT_EQ(ChildTexts(Root()), (std::vector<QString>{"Apps", "bin", "Data", "Windows"}));
    // Without the directory bit the tree shows no folders.
    view->SetAttributes({atReadOnly, atHidden, atArchive});
    view->BuildDriveList(true);
    EXPECT_EQ(Root()->Count(), 0);
}

TEST_F(DirectoryViewTest, RootOfTheWholeFileSystemGivesPathsWithOneSlash) {
    view->SetVolumeSource(std::make_shared<FixedVolumes>(std::vector<TVolume>{{"/", dtDRIVE_FIXED}}));
    view->BuildDriveList(true);
    ASSERT_EQ(Root()->Text(), "[/]");
    EXPECT_EQ(view->NodePath(Root()), "/");
    TTreeNode* tmp = Child(Root(), QStringLiteral("tmp"));
    ASSERT_NE(tmp, nullptr);
    EXPECT_EQ(view->NodePath(tmp), "/tmp/");
}

TEST_F(DirectoryViewTest, ExpandingFillsTwoLevelsAndSwapsTheFolderIcons) {
    view->BuildDriveList(true);
    TTreeNode* apps = Child(Root(), "Apps");
    ASSERT_NE(apps, nullptr);
    EXPECT_EQ(apps->Count(), 0);  // the first level below a root only
    Root()->Expand(false);
    EXPECT_EQ(Root()->ImageIndex(), 0);  // roots keep their drive icon
    apps = Child(Root(), "Apps");
    ASSERT_EQ(ChildTexts(apps), (std::vector<QString>{"a1"}));
    EXPECT_TRUE(apps->HasChildren());
    apps->Expand(false);
    EXPECT_EQ(apps->ImageIndex(), 5);
    EXPECT_EQ(apps->SelectedIndex(), 5);
    ASSERT_EQ(ChildTexts(apps->Item(0)), (std::vector<QString>{"deep"}));
    apps->Collapse(false);
    EXPECT_EQ(apps->ImageIndex(), 4);
    EXPECT_FALSE(apps->Expanded());
}

TEST_F(DirectoryViewTest, AVanishedFolderOpensEmptyAndRaisesNothing) {
    view->BuildDriveList(true);
    Root()->Expand(false);
    TTreeNode* apps = Child(Root(), "Apps");
    ASSERT_TRUE(QDir(tree.Path("Apps")).removeRecursively());
    apps->Expand(false);
    EXPECT_EQ(apps->Count(), 0);
    view->SetSearchFile(QStringLiteral("*.*"));
    view->SetSelected(apps);
    EXPECT_EQ(view->Directory(), tree.Path("Apps") + "/");
    EXPECT_TRUE(view->FileName().isEmpty());
}

TEST_F(DirectoryViewTest, SearchReportsEachPatternsFirstMatchInOneFind) {
    view->BuildDriveList(true);
    view->SetSearchFile(QStringLiteral("a.txt;b.txt"));
    EXPECT_EQ(log, Log{});  // nothing selected yet: no search
    view->SetSelected(Root());
    EXPECT_EQ(log, (Log{"changing:[" + Utf8(tree.Path()) + "]", "find:.:a.txt;b.txt",
                        "change:[" + Utf8(tree.Path()) + "]"}));
    EXPECT_EQ(view->Directory(), tree.Path() + "/");
    EXPECT_EQ(view->FileName(), "a.txt;b.txt");

    // A new pattern list searches the selected folder again, without OnChange.
    log.clear();
    view->SetSearchFile(QStringLiteral("*.LOG;missing.txt;\"semi;colon.txt\""));
    EXPECT_EQ(log, (Log{"changing:[" + Utf8(tree.Path()) + "]", "find:.:a.log;semi;colon.txt"}));
    // The same list again searches nothing.
    log.clear();
    view->SetSearchFile(QStringLiteral("*.LOG;missing.txt;\"semi;colon.txt\""));
    EXPECT_EQ(log, Log{});

    // Nothing found: no OnFind, but the folder is still taken.
    TTreeNode* windows = Child(Root(), "Windows");
    view->SetSearchFile(QStringLiteral("nothing.here"));
    log.clear();
    view->SetSelected(windows);
    EXPECT_EQ(log, (Log{"changing:Windows", "change:Windows"}));
    EXPECT_EQ(view->Directory(), tree.Path("Windows") + "/");
    EXPECT_TRUE(view->FileName().isEmpty());
}

TEST_F(DirectoryViewTest, SearchFollowsTheWildcardRulesAndTheAttributeMask) {
    view->BuildDriveList(true);
    view->SetSelected(Root());
    const auto found = [&](const char* patterns) {
        view->SetSearchFile(QString());
        view->SetSearchFile(QString::fromUtf8(patterns));
        return view->FileName();
    };
    EXPECT_EQ(found("x.*"), "x");            // no extension counts
    EXPECT_EQ(found("x.d?t"), "x.dat");
    EXPECT_EQ(found("*.*"), ".hidden");     // folders and hidden entries too under mask 55
    EXPECT_EQ(found("*.txt"), ".secret.txt");
    EXPECT_EQ(found("X?"), "xy");
    EXPECT_EQ(found(";"), "");               // empty patterns match nothing
    view->SetAttributes({atReadOnly, atDirectory, atArchive});  // 49: no hidden entries
    EXPECT_EQ(found("*.txt"), "a.txt");
    EXPECT_EQ(found("*.*"), "a.log");
    view->SetAttributes({atReadOnly, atArchive});  // no folders either
    EXPECT_EQ(found("win*;bin;a*"), "a.log");
}

TEST_F(DirectoryViewTest, LinksAreFollowedAndABrokenLinkIsAFile) {
    ASSERT_TRUE(QFile::link(tree.Path("Windows"), tree.Path("linked")));
    ASSERT_TRUE(QFile::link(tree.Path("gone"), tree.Path("dangling.txt")));
    view->BuildDriveList(true);
    EXPECT_NE(Child(Root(), "linked"), nullptr);
    EXPECT_EQ(Child(Root(), "dangling.txt"), nullptr);
    view->SetSearchFile(QStringLiteral("dangling.*"));
    view->SetSelected(Root());
    EXPECT_EQ(view->FileName(), "dangling.txt");
    Root()->Expand(false);
    EXPECT_EQ(ChildTexts(Child(Root(), "linked")), (std::vector<QString>{"Fonts", "System"}));
}

TEST_F(DirectoryViewTest, ClicksAndKeysSelectExpandAndCollapse) {
    view->BuildDriveList(true);
    view->SetSearchFile(QStringLiteral("win.ini"));
    ShowActive(form.get());
    view->SetFocus();
    EXPECT_EQ(view->Selected(), Root());  // the focus selects the first root
    ClickNode(Root());
    EXPECT_EQ(view->Selected(), Root());
    KeyClick(form.get(), Qt::Key_Right);
    EXPECT_TRUE(Root()->Expanded());
    EXPECT_TRUE(Qt()->topLevelItem(0)->isExpanded());
    TTreeNode* windows = Child(Root(), "Windows");
    ASSERT_EQ(ChildTexts(windows), (std::vector<QString>{"Fonts", "System"}));

    // The handler's veto is not used: the selection always moves.
    allowChange = false;
    log.clear();
    ClickNode(windows);
    EXPECT_EQ(view->Selected(), windows);
    EXPECT_EQ(log, (Log{"changing:Windows", "find:Windows:win.ini", "change:Windows"}));
    EXPECT_EQ(Qt()->currentItem()->text(0), "Windows");

    KeyClick(form.get(), Qt::Key_Right);
    EXPECT_TRUE(windows->Expanded());
    EXPECT_EQ(windows->ImageIndex(), 5);
    KeyClick(form.get(), Qt::Key_Down);
    EXPECT_EQ(view->Selected()->Text(), "Fonts");
    EXPECT_EQ(view->Directory(), tree.Path("Windows/Fonts") + "/");
    KeyClick(form.get(), Qt::Key_Left);  // to the parent
    KeyClick(form.get(), Qt::Key_Left);  // collapses it
    EXPECT_EQ(view->Selected(), windows);
    EXPECT_FALSE(windows->Expanded());
    EXPECT_EQ(windows->ImageIndex(), 4);
    SaveTestImage(form->Handle()->grab().toImage(), QStringLiteral("directory_view_tree"));
}

TEST_F(DirectoryViewTest, RebuildingWithANodeSelectedStartsCollapsedAndAsksNothing) {
    view->BuildDriveList(true);
    ShowActive(form.get());
    Root()->Expand(false);
    view->SetSelected(Child(Root(), "bin"));
    log.clear();
    view->SetDriveType({dtDRIVE_REMOVABLE});
    view->BuildDriveList(true);
    EXPECT_EQ(view->Selected(), nullptr);
    EXPECT_EQ(log, Log{});
    ASSERT_EQ(Qt()->topLevelItemCount(), 1);
    EXPECT_EQ(Qt()->topLevelItem(0)->text(0), "[" + second.Path() + "]");
    EXPECT_FALSE(Root()->Expanded());
}

TEST_F(DirectoryViewTest, IconsAreScaledToTheImageSizeWithWhiteTransparent) {
    for (Integer size : {8, 64, 16}) {
        view->SetImageSize(size);
        ASSERT_EQ(view->Images()->Count(), 9);
        for (Integer i = 0; i < 9; ++i) {
            EXPECT_EQ(view->Images()->Image(i).size(), QSize(size, size));
        }
    }
    view->SetImageSize(100);
    EXPECT_EQ(view->ImageSize(), 64);
    view->SetImageSize(16);
    const QImage folder = view->Images()->Image(TDirectoryView::IconFolder);
    EXPECT_EQ(qAlpha(folder.pixel(0, 0)), 0);  // the white corner
    const QColor middle(folder.pixel(8, 10));
    EXPECT_EQ(middle.alpha(), 255);
    EXPECT_GT(middle.red(), 200);  // yellow
    EXPECT_LT(middle.blue(), 150);
    QImage strip(16 * 9, 16, QImage::Format_ARGB32);
    strip.fill(Qt::white);
    QPainter painter(&strip);
    for (Integer i = 0; i < 9; ++i) painter.drawImage(i * 16, 0, view->Images()->Image(i));
    painter.end();
    SaveTestImage(strip.scaled(strip.size() * 4), QStringLiteral("directory_view_icons"));
}

TEST_F(DirectoryViewTest, AFolderOfTwentyThousandSubfoldersFillsInOnePass) {
    TempTree big({}, {}, RamDiskOrTemp());
    const QByteArray base = QFile::encodeName(big.Path()) + "/d";
    for (int i = 0; i < 20000; ++i) ASSERT_EQ(mkdir((base + QByteArray::number(i)).constData(), 0755), 0);
    view->SetVolumeSource(std::make_shared<FixedVolumes>(std::vector<TVolume>{{big.Path(), dtDRIVE_FIXED}}));
    view->BuildDriveList(true);
    ShowActive(form.get());
    ASSERT_EQ(Root()->Count(), 20000);
    Root()->Expand(false);
    ASSERT_EQ(Root()->Count(), 20000);
    EXPECT_EQ(Root()->Item(0)->Text(), "d0");
    EXPECT_EQ(Root()->Item(1)->Text(), "d1");
    EXPECT_EQ(Root()->Item(2)->Text(), "d10");
    EXPECT_EQ(Root()->Item(19999)->Text(), "d9999");
    EXPECT_EQ(Qt()->topLevelItem(0)->childCount(), 20000);
    view->SetSearchFile(QStringLiteral("d1999?"));
    view->SetSelected(Root()->Item(5));
    EXPECT_TRUE(view->FileName().isEmpty());
    view->SetSelected(Root());
    EXPECT_EQ(view->FileName(), "d19990");
}

namespace {

// Lists the real folders and notes the screen cursor while it reads.
class CursorWatchingLister : public TFileSystemLister {
public:
    std::vector<TDirEntry> List(const QString& path, TFolderId* folder) override {
        cursors.push_back(Screen->Cursor());
        return TFileSystemLister::List(path, folder);
    }
    std::vector<TCursor> cursors;
};

}  // namespace

TEST_F(DirectoryViewTest, FoldersAreReadUnderTheHourglassAndTheCursorComesBack) {
    auto lister = std::make_shared<CursorWatchingLister>();
    view->SetDirectoryLister(lister);
    Screen->SetCursor(crDefault);
    view->BuildDriveList(true);
    Root()->Expand(false);
    ASSERT_FALSE(lister->cursors.empty());
    for (TCursor cursor : lister->cursors) EXPECT_EQ(cursor, crHourGlass);
    EXPECT_EQ(Screen->Cursor(), crDefault);
    // A lister that fails midway leaves the cursor as it was too.
    class FailingLister : public TDirectoryLister {
    public:
        std::vector<TDirEntry> List(const QString&, TFolderId*) override { throw EInvalidOperation(QStringLiteral("gone")); }
    };
    view->SetDirectoryLister(std::make_shared<FailingLister>());
    Root()->Collapse(false);
    EXPECT_THROW(Root()->Expand(false), EInvalidOperation);
    EXPECT_EQ(Screen->Cursor(), crDefault);
    EXPECT_FALSE(Root()->Expanded());
}

TEST(Wildcards, MatchCaseInsensitivelyWithTheSpecialForms) {
    EXPECT_TRUE(MatchesWildcard("*.*", "README"));
    EXPECT_TRUE(MatchesWildcard("*.*", ".profile"));
    EXPECT_TRUE(MatchesWildcard("*", "anything.at.all"));
    EXPECT_TRUE(MatchesWildcard("X.*", "x"));
    EXPECT_TRUE(MatchesWildcard("x.*", "X.TXT"));
    EXPECT_FALSE(MatchesWildcard("x.*", "xy"));
    EXPECT_TRUE(MatchesWildcard("?.txt", "a.txt"));
    EXPECT_FALSE(MatchesWildcard("?.txt", "ab.txt"));
    EXPECT_FALSE(MatchesWildcard("?.txt", ".txt"));
    EXPECT_TRUE(MatchesWildcard("a*b*c", "aXbYbZc"));
    EXPECT_FALSE(MatchesWildcard("a*b*c", "aXbYbZ"));
    EXPECT_TRUE(MatchesWildcard("*.tar.gz", "x.tar.gz"));
    EXPECT_TRUE(MatchesWildcard(QStringLiteral("Ä*.TXT"), QStringLiteral("äpfel.txt")));
    EXPECT_TRUE(MatchesWildcard(QStringLiteral("ﾃｽﾄ.*"), QStringLiteral("ﾃｽﾄ")));
    EXPECT_FALSE(MatchesWildcard("", ""));
    EXPECT_FALSE(MatchesWildcard("", "a"));
    EXPECT_FALSE(MatchesWildcard("a", ""));
    // A long run of stars against a long name ends quickly.
    EXPECT_FALSE(MatchesWildcard(QString(200, u'*') + "b", QString(5000, u'a')));
}

TEST(SplitListTest, CutsAtTheSeparatorAndHonoursQuotes) {
    TStringList list;
    const auto split = [&](const QString& text) {
        const Integer n = SplitList(text, u';', &list);
        EXPECT_EQ(n, list.Count());
        std::vector<QString> parts;
        for (Integer i = 0; i < n; ++i) parts.push_back(list.Get(i));
        return parts;
    };
    using V = std::vector<QString>;
    EXPECT_EQ(split("a.txt;b.txt"), (V{"a.txt", "b.txt"}));
    EXPECT_EQ(split("a.txt;"), (V{"a.txt", ""}));  // a trailing ";" leaves an empty last entry
    EXPECT_EQ(split(""), (V{""}));
    EXPECT_EQ(split("\"x;y\""), (V{"x;y"}));
    EXPECT_EQ(split("\"a;b\".txt;c"), (V{".txt", "c"}));  // text after a quoted run replaces it
    EXPECT_EQ(split("ab\"cd\""), (V{"abcd"}));            // a quoted run continues an unquoted one
    EXPECT_EQ(split("\"open;end"), (V{"open;end"}));      // an unclosed quote runs to the end
    EXPECT_EQ(split(";;"), (V{"", "", ""}));
    EXPECT_EQ(SplitList("a,b", u',', &list), 2);
}


// A folder whose name is not valid UTF-8 opens and is searched like any
// other, and two such names differing only in those bytes stay apart.
TEST_F(DirectoryViewTest, FoldersNamedWithBytesThatAreNotUtf8OpenAndAreSearched) {
    const QByteArray base = EncodeFileName(tree.Path());
    for (const QByteArray& name : {QByteArray("odd\xff"), QByteArray("odd\xfe")}) {
        ASSERT_EQ(mkdir((base + "/" + name).constData(), 0755), 0);
        ASSERT_EQ(mkdir((base + "/" + name + "/inner").constData(), 0755), 0);
    }
    FILE* file = fopen((base + "/odd\xff/found.txt").constData(), "w");
    ASSERT_NE(file, nullptr);
    fclose(file);
    view->BuildDriveList(true);
    view->SetSearchFile(QStringLiteral("found.txt"));
    Root()->Expand(false);
    std::vector<TTreeNode*> odd;
    for (Integer i = 0; i < Root()->Count(); ++i)
        if (Root()->Item(i)->Text().startsWith("odd")) odd.push_back(Root()->Item(i));
    ASSERT_EQ(odd.size(), 2u);
    EXPECT_NE(odd[0]->Text(), odd[1]->Text());
    for (TTreeNode* node : odd) EXPECT_EQ(ChildTexts(node), std::vector<QString>{"inner"});
    TTreeNode* withFile = EncodeFileName(odd[0]->Text()).endsWith("\xff") ? odd[0] : odd[1];
    view->SetSelected(withFile);
    EXPECT_EQ(view->FileName(), "found.txt");
    EXPECT_EQ(EncodeFileName(view->Directory()), base + "/odd\xff/");
    ShowActive(form.get());
    SaveTestImage(form->Handle()->grab().toImage(), QStringLiteral("directory_view_odd_names"));
}

TEST(FileNames, BytesThatAreNotUtf8SurviveTheRoundTrip) {
    const QByteArray cases[] = {"plain", "\xe6\xbc\xa2\xe5\xad\x97", "\xff", "a\xc3", "\xc3(", "\xed\xa0\x80",
                                "\xc0\xaf", "\xf4\x90\x80\x80", "\xf0\x9f\x98\x80\x80x"};
    for (const QByteArray& bytes : cases) {
        SCOPED_TRACE(bytes.toHex().toStdString());
        EXPECT_EQ(EncodeFileName(DecodeFileName(bytes)), bytes);
    }
    EXPECT_EQ(DecodeFileName("\xe6\xbc\xa2"), QStringLiteral("漢"));
    EXPECT_EQ(DecodeFileName("a\xff" "b"), QStringLiteral("a") + QChar(0xDCFF) + QStringLiteral("b"));
    // A real character whose low half lies in the escape range stays a character.
    const QString pair = QString::fromUcs4(U"\U00010080");
    EXPECT_EQ(EncodeFileName(pair), pair.toUtf8());
}

// The lister reads a folder in one go whatever its size, tells which
// folder it read (through a link too) and the kind of each entry.
TEST(FileSystemLister, TellsWhichFolderItReadAndWhatEachEntryIs) {
    QTemporaryDir dir(RamDiskOrTemp() + QStringLiteral("/velmora-list-XXXXXX"));
    const QDir top(dir.path());
    ASSERT_TRUE(top.mkpath(QStringLiteral("sub/inner")) && top.mkdir(QStringLiteral(".hidden")));
    ASSERT_EQ(symlink("sub", QFile::encodeName(top.filePath("link")).constData()), 0);
    ASSERT_EQ(symlink("gone", QFile::encodeName(top.filePath("broken")).constData()), 0);
    ASSERT_EQ(mkfifo(QFile::encodeName(top.filePath("pipe")).constData(), 0600), 0);
    // Far more entries than one read from the kernel holds.
    const QString many = QStringLiteral("many-files-with-rather-long-names-%1");
    for (int i = 0; i < 3000; ++i) {
        QFile file(top.filePath(many.arg(i)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    TFileSystemLister lister;
    TFolderId id;
    const std::vector<TDirEntry> entries = lister.List(top.path(), &id);
    EXPECT_TRUE(id.Known());
    EXPECT_EQ(id, lister.Identify(top.path()));
    ASSERT_EQ(entries.size(), 3005u);
    std::map<QString, Integer> attrs;
    for (const TDirEntry& entry : entries) attrs[entry.Name] = entry.Attr;
    EXPECT_EQ(attrs.size(), 3005u);
    EXPECT_EQ(attrs["sub"], faDirectory);
    EXPECT_EQ(attrs["link"], faDirectory);
    EXPECT_EQ(attrs[".hidden"], faDirectory | faHidden);
    EXPECT_EQ(attrs["broken"], 0);
    EXPECT_EQ(attrs["pipe"], faSysFile);
    EXPECT_EQ(attrs[many.arg(2999)], 0);

    EXPECT_EQ(lister.List(top.filePath("link"), &id).size(), 1u);
    EXPECT_EQ(id, lister.Identify(top.filePath("sub")));
    EXPECT_NE(id, lister.Identify(top.path()));
    for (const QString& none : {top.filePath("pipe"), top.filePath("broken"), top.filePath("missing")}) {
        SCOPED_TRACE(none.toStdString());
        EXPECT_TRUE(lister.List(none, &id).empty());
        EXPECT_FALSE(id.Known());
    }
}

// ---- the "*" key

namespace {

// The real folders, counted; past a limit it reads nothing more, so that a
// walk that would never end ends (and fails on its count).
class BoundedLister : public TFileSystemLister {
public:
    std::vector<TDirEntry> List(const QString& path, TFolderId* folder) override {
        cursors.push_back(Screen->Cursor());
        if (++reads > 2000) return {};
        return TFileSystemLister::List(path, folder);
    }
    int reads = 0;
    std::vector<TCursor> cursors;
};

void Link(const QString& target, const QString& link) {
    ASSERT_EQ(symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()), 0);
}

}  // namespace

class DirectoryViewStarTest : public DirectoryViewTest {
protected:
    // T: a (b (c (top -> T), up -> ../..), self -> ., side -> ../d), d (e (back -> ../../a)).
    DirectoryViewStarTest() : loops({"a/b/c", "d/e"}, {}) {
        Link(QStringLiteral("."), loops.Path("a/self"));
        Link(QStringLiteral("../.."), loops.Path("a/b/up"));
        Link(loops.Path(), loops.Path("a/b/c/top"));
        Link(QStringLiteral("../d"), loops.Path("a/side"));
        Link(QStringLiteral("../../a"), loops.Path("d/e/back"));
        view->SetDirectoryLister(lister);
    }
    void Use(const QString& path, std::vector<quint64> pseudo = {}) {
        view->SetVolumeSource(
            std::make_shared<FixedVolumes>(std::vector<TVolume>{{path, dtDRIVE_FIXED}}, std::move(pseudo)));
        view->BuildDriveList(true);
        ShowActive(form.get());
        view->SetFocus();
    }
    void Star(TTreeNode* node) {
        ClickNode(node);
        ASSERT_EQ(view->Selected(), node);
        KeyClick(form.get(), Qt::Key_Asterisk, Qt::KeypadModifier);
    }
    TTreeNode* At(const QString& path) {
        TTreeNode* node = Root();
        for (const QString& name : path.split(u'/')) {
            node = node ? Child(node, name) : nullptr;
        }
        return node;
    }

    TempTree loops;
    std::shared_ptr<BoundedLister> lister = std::make_shared<BoundedLister>();
};

TEST_F(DirectoryViewStarTest, LinkLoopsAreShownButNeverOpenedSoTheWalkEnds) {
    Use(loops.Path());
    Star(Root());
    EXPECT_LT(lister->reads, 100);
    // Every folder once on each way down that does not lead back up.
    EXPECT_EQ(view->Items()->Count(), 19);
    for (const char* loop : {"a/self", "a/b/up", "a/b/c/top", "a/side/e/back", "d/e/back/self", "d/e/back/side",
                             "d/e/back/b/up", "d/e/back/b/c/top"}) {
        SCOPED_TRACE(loop);
        TTreeNode* node = At(QString::fromLatin1(loop));
        ASSERT_NE(node, nullptr);
        EXPECT_FALSE(node->HasChildren());
        EXPECT_FALSE(node->Expanded());
    }
    for (const char* open : {"a", "a/b", "a/b/c", "a/side", "a/side/e", "d", "d/e", "d/e/back", "d/e/back/b/c"}) {
        SCOPED_TRACE(open);
        ASSERT_NE(At(QString::fromLatin1(open)), nullptr);
        EXPECT_TRUE(At(QString::fromLatin1(open))->Expanded());
    }
    // Opened by hand, a link to an ancestor stays shut too.
    TTreeNode* self = At(QStringLiteral("a/self"));
    self->Expand(false);
    EXPECT_FALSE(self->Expanded());
    EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST_F(DirectoryViewStarTest, PseudoFileSystemsAreNotWalkedBelowWhereTheWalkStarts) {
    struct stat proc {};
    if (stat("/proc/self", &proc) != 0) GTEST_SKIP() << "no /proc here";
    TempTree top({"real/inner/deep"}, {});
    Link(QStringLiteral("/proc"), top.Path("proc"));
    Use(top.Path(), {quint64(proc.st_dev)});
    lister->reads = 0;
    Star(Root());
    TTreeNode* link = Child(Root(), QStringLiteral("proc"));
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(At(QStringLiteral("real/inner"))->Expanded());
    EXPECT_GT(link->Count(), 0);  // listed for its button
    EXPECT_FALSE(link->Expanded());
    // The root, its two folders, then inner and deep: nothing below the link.
    EXPECT_EQ(lister->reads, 5);
    // Started there, the walk opens it and reads nothing below its folders.
    lister->reads = 0;
    Star(link);
    EXPECT_TRUE(link->Expanded());
    EXPECT_EQ(lister->reads, 1 + link->Count());
}

TEST_F(DirectoryViewStarTest, TheWalkRunsUnderTheHourglassAnswersTheWindowAndStopsAtEsc) {
    Use(loops.Path());
    Screen->SetCursor(crDefault);
    lister->cursors.clear();
    // Esc arrives while the first folder opens: the walk must take the
    // window's events to see it.
    view->OnExpanding = [this](TObject*, TTreeNode*, bool&) {
        QCoreApplication::postEvent(Qt(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        view->OnExpanding = nullptr;
    };
    Star(Root());
    EXPECT_TRUE(Root()->Expanded());
    EXPECT_FALSE(Child(Root(), QStringLiteral("a"))->Expanded());
    EXPECT_FALSE(Child(Root(), QStringLiteral("d"))->Expanded());
    ASSERT_FALSE(lister->cursors.empty());
    for (TCursor cursor : lister->cursors) EXPECT_EQ(cursor, crHourGlass);
    EXPECT_EQ(Screen->Cursor(), crDefault);
    // A new "*" walks again, to the end.
    Star(Root());
    EXPECT_EQ(view->Items()->Count(), 19);
}

// Started below the root, the walk still knows the folders above where it
// started: links back up to them stay shut.
TEST_F(DirectoryViewStarTest, AWalkStartedBelowTheRootKeepsLinksUpToTheRootShut) {
    Use(loops.Path());
    Root()->Expand(false);
    lister->reads = 0;
    Star(At(QStringLiteral("a")));
    EXPECT_LT(lister->reads, 100);
    for (const char* shut : {"a/self", "a/b/up", "a/b/c/top", "a/side/e/back"}) {
        SCOPED_TRACE(shut);
        ASSERT_NE(At(QString::fromLatin1(shut)), nullptr);
        EXPECT_FALSE(At(QString::fromLatin1(shut))->HasChildren());
    }
    for (const char* open : {"a", "a/b", "a/b/c", "a/side", "a/side/e"}) {
        SCOPED_TRACE(open);
        EXPECT_TRUE(At(QString::fromLatin1(open))->Expanded());
    }
}

// What a walk read is not kept past it: a folder that gains a folder after
// a stopped walk filled it shows that folder when opened by a new walk or
// by hand.
TEST_F(DirectoryViewStarTest, FoldersMadeAfterAStoppedWalkFilledTheirParentAreShownWhenItOpens) {
    Use(loops.Path());
    view->OnExpanding = [this](TObject*, TTreeNode*, bool&) {
        QCoreApplication::postEvent(Qt(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        view->OnExpanding = nullptr;
    };
    Star(Root());
    ASSERT_EQ(ChildTexts(At(QStringLiteral("d"))), std::vector<QString>{"e"});
    ASSERT_FALSE(At(QStringLiteral("d"))->Expanded());
    ASSERT_TRUE(QDir(loops.Path("a")).mkpath(QStringLiteral("new/inner")));
    ASSERT_TRUE(QDir(loops.Path("d")).mkdir(QStringLiteral("new")));
    Star(At(QStringLiteral("a")));
    ASSERT_NE(At(QStringLiteral("a/new")), nullptr);
    EXPECT_TRUE(At(QStringLiteral("a/new"))->Expanded());
    EXPECT_EQ(ChildTexts(At(QStringLiteral("a/new"))), std::vector<QString>{"inner"});
    At(QStringLiteral("d"))->Expand(false);
    EXPECT_EQ(ChildTexts(At(QStringLiteral("d"))), (std::vector<QString>{"e", "new"}));
}

TEST_F(DirectoryViewStarTest, ARebuildWhileTheWalkWaitsEndsIt) {
    Use(loops.Path());
    view->OnExpanding = [this](TObject*, TTreeNode*, bool&) {
        QTimer::singleShot(0, form->Handle(), [this] { view->BuildDriveList(true); });
        view->OnExpanding = nullptr;
    };
    Star(Root());
    EXPECT_EQ(view->Items()->Count(), 3);  // the root and its two folders, fresh
    EXPECT_FALSE(Root()->Expanded());
    EXPECT_EQ(view->Selected(), nullptr);
}


namespace {

// Image plugins mapped into this process.
int ImagePluginsLoaded() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly)) return -1;
    QSet<QByteArray> plugins;
    for (const QByteArray& line : maps.readAll().split('\n'))
        if (line.contains("/imageformats/")) plugins.insert(line.mid(line.lastIndexOf(' ') + 1));
    return int(plugins.size());
}

}  // namespace

// The icons are read as bitmaps by their names: no image plugin is asked
// (and loaded) to guess their format, which cost a program making a folder
// tree at start-up several libraries.
TEST(DirectoryViewIcons, LoadWithoutLoadingAnImagePlugin) {
    const int before = ImagePluginsLoaded();
    ASSERT_GE(before, 0);
    TDirectoryView view(nullptr);
    ASSERT_EQ(view.Images()->Count(), 9);
    EXPECT_EQ(view.Images()->Image(4).size(), QSize(16, 16));
    EXPECT_FALSE(view.Images()->Image(4).isNull());
    EXPECT_EQ(ImagePluginsLoaded(), before);
}
