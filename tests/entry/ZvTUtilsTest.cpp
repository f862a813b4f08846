// The call-history log, the start-up facts, the path routines and the
// code-page unit.
#include "ZvCodePage.h"
#include "ZvTUtils.h"

#include "SysUtils.h"
#include "TestSupport.h"

#include <QtCore/QDateTime>
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// A fixed clock for the stamps: 2024/05/03 12:34:56.789.
class FixedClock {
public:
    FixedClock() {
        SetClockForTesting([] { return EncodeDate(2024, 5, 3) + EncodeTime(12, 34, 56, 789); });
    }
    ~FixedClock() { SetClockForTesting(nullptr); }
};

const QString kStamp = QStringLiteral("[2024/05/03 12:34:56.789]");

THistory* ActiveHistory(std::initializer_list<const char*> names) {
    auto* h = new THistory;
    h->SetActive(true);
    for (const char* n : names) h->Push(QString::fromLatin1(n));
    return h;
}

// ------------------------------------------------------------ THistory

TEST(History, AnInactiveLogIgnoresPushAndPopAndReportsEmpty) {
    FixedClock clock;
    THistory h;
    EXPECT_FALSE(h.Active());
    EXPECT_TRUE(h.TrimName());
    h.Push(QStringLiteral("A"));
    EXPECT_EQ(h.Lines().Count(), 0);
    QString s = QStringLiteral("x");
    h.GetItem(0, s);
    EXPECT_TRUE(s.isEmpty());
    h.GetMethodName(0, s);
    EXPECT_TRUE(s.isEmpty());
    h.List(s);
    EXPECT_TRUE(s.isEmpty());
    h.SetActive(true);
    h.Push(QStringLiteral("A"));
    h.SetActive(false);
    h.Pop();
    EXPECT_EQ(h.Lines().Count(), 1) << "Pop does nothing while inactive";
}

TEST(History, LinesCarryTheStampAndOneBlankPerLevel) {
    FixedClock clock;
    std::unique_ptr<THistory> h(ActiveHistory({"Main", "Load", "Read"}));
    ASSERT_EQ(h->Lines().Count(), 3);
    EXPECT_EQ(h->Lines().Get(0), kStamp + QStringLiteral(" Main"));
    EXPECT_EQ(h->Lines().Get(1), kStamp + QStringLiteral("  Load"));
    EXPECT_EQ(h->Lines().Get(2), kStamp + QStringLiteral("   Read"));
    EXPECT_EQ(h->LastTime(), EncodeDate(2024, 5, 3) + EncodeTime(12, 34, 56, 789));
    EXPECT_EQ(h->Count(), 0) << "the inherited list stays empty";
    h->Pop();
    h->Push(QStringLiteral("Write"));
    EXPECT_EQ(h->Lines().Get(2), kStamp + QStringLiteral("   Write"));
    for (int i = 0; i < 5; ++i) h->Pop();
    EXPECT_EQ(h->Lines().Count(), 0) << "unbalanced pops only empty the log";
}

TEST(History, ItemsCountFromTheNewestAndAnIndexPastTheEndReadsTheNewest) {
    FixedClock clock;
    std::unique_ptr<THistory> h(ActiveHistory({"A", "B", "C"}));
    QString s;
    h->GetItem(0, s);
    EXPECT_EQ(s, kStamp + QStringLiteral("   C"));
    h->GetItem(2, s);
    EXPECT_EQ(s, kStamp + QStringLiteral(" A"));
    h->GetItem(5, s);
    EXPECT_EQ(s, kStamp + QStringLiteral("   C"));
    h->GetItem(3, s);
    EXPECT_EQ(s, kStamp + QStringLiteral("   C"));
}

TEST(History, MethodNameAndTimeSplitTheLineAtTheFirstBracket) {
    FixedClock clock;
    std::unique_ptr<THistory> h(ActiveHistory({"A", "B", "C", "Deep]Name"}));
    QString s;
    h->GetMethodName(0, s);
    EXPECT_EQ(s, QStringLiteral("Deep]Name"));
    h->SetTrimName(false);
    h->GetMethodName(0, s);
    EXPECT_EQ(s, QStringLiteral("    Deep]Name")) << "the stamp's blank and three indent blanks";
    h->GetMethodTime(1, s);
    EXPECT_EQ(s, kStamp);
}

TEST(History, TheListingJoinsTheLinesOldestFirst) {
    FixedClock clock;
    std::unique_ptr<THistory> h(ActiveHistory({}));
    QString s;
    h->List(s);
    EXPECT_EQ(s, QStringLiteral("*** History Listing ***\r\n"));
    h->Push(QStringLiteral("A"));
    h->Push(QStringLiteral("B"));
    h->List(s);
    EXPECT_EQ(s, QStringLiteral("*** History Listing ***\r\n") + kStamp + QStringLiteral(" A\r\n") + kStamp +
                     QStringLiteral("  B"));
}

// ------------------------------------------------------------ routines

TEST(ZvTUtils, SmallRoutines) {
    QString s = QStringLiteral("x");
    DateTimeToStrIfSet(QStringLiteral("yyyy/mm/dd"), 999.9, s);
    EXPECT_TRUE(s.isEmpty());
    DateTimeToStrIfSet(QStringLiteral("yyyy/mm/dd"), 1000.0, s);
    EXPECT_EQ(s, QStringLiteral("1902/09/26"));
    IncludeTrailingBackslash(QString(), s);
    EXPECT_TRUE(s.isEmpty());
    IncludeTrailingBackslash(QStringLiteral("/tmp"), s);
    EXPECT_EQ(s, QStringLiteral("/tmp/"));
    IncludeTrailingBackslash(QStringLiteral("/tmp/"), s);
    EXPECT_EQ(s, QStringLiteral("/tmp/"));
    GetWindowsDir(s);
    EXPECT_TRUE(s.isEmpty());
    GetSystemDir(s);
    EXPECT_TRUE(s.isEmpty());
}

TEST(ZvTUtils, FileSearchAdmitsFoldersAndHiddenEntriesOnlyWhenAsked) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Sub")));
    QFile(dir.path() + QStringLiteral("/Sub/Data.txt")).open(QIODevice::WriteOnly);
    QFile(dir.path() + QStringLiteral("/.hidden")).open(QIODevice::WriteOnly);
    QString r;
    FindRealFileName(dir.path() + QStringLiteral("/Sub/Data.txt"), faAnyFile, r);
    EXPECT_EQ(r, QStringLiteral("Data.txt"));
    FindRealFileName(dir.path() + QStringLiteral("/Sub"), faReadOnly | faArchive, r);
    EXPECT_TRUE(r.isEmpty());
    FindRealFileName(dir.path() + QStringLiteral("/Sub"), faDirectory, r);
    EXPECT_EQ(r, QStringLiteral("Sub"));
    FindRealFileName(dir.path() + QStringLiteral("/.hidden"), faArchive, r);
    EXPECT_TRUE(r.isEmpty());
    FindRealFileName(dir.path() + QStringLiteral("/.hidden"), faAnyFile, r);
    EXPECT_EQ(r, QStringLiteral(".hidden"));
    FindRealFileName(dir.path() + QStringLiteral("/missing"), faAnyFile, r);
    EXPECT_TRUE(r.isEmpty());
}

TEST(ZvTUtils, ExpandLongPathNameKeepsExistingPartsAndDropsAMissingFileName) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("A/B")));
    QFile(dir.path() + QStringLiteral("/A/B/f.txt")).open(QIODevice::WriteOnly);
    QString r;
    ExpandLongPathName(dir.path() + QStringLiteral("/A/B/f.txt"), r);
    EXPECT_EQ(r, dir.path() + QStringLiteral("/A/B/f.txt"));
    ExpandLongPathName(dir.path() + QStringLiteral("/A/B/none.txt"), r);
    EXPECT_EQ(r, dir.path() + QStringLiteral("/A/B/"));
    ExpandLongPathName(dir.path() + QStringLiteral("/A/B/"), r);
    EXPECT_EQ(r, dir.path() + QStringLiteral("/A/B"));
    // Folders that do not exist stay as written.
    ExpandLongPathName(QStringLiteral("/no-such-folder-zv/Deeper/x.txt"), r);
    EXPECT_EQ(r, QStringLiteral("/no-such-folder-zv/Deeper/"));
    ExpandLongPathName(QStringLiteral("/"), r);
    EXPECT_EQ(r, QStringLiteral("/"));
}

TEST(ZvTUtils, TheTemporaryFolderComesFromTheSystem) {
    QTemporaryDir dir;
    QString r;
    {
        ScopedEnv env("TMPDIR", dir.path());
        GetTempDir(r);
        EXPECT_EQ(r, dir.path() + QStringLiteral("/"));
    }
    {
        ScopedEnv env("TMPDIR", QStringLiteral("/no-such-temp-zv"));
        GetTempDir(r);
        EXPECT_TRUE(r.isEmpty()) << "a failure reads empty";
    }
}

TEST(ZvTUtils, TheVersionStampIsTheExecutablesLocalWriteTime) {
    const QFileInfo exe(ExecutablePath());
    ASSERT_TRUE(exe.exists());
    EXPECT_EQ(exe.fileName(), QStringLiteral("entry_tests"));
    FixedClock clock;
    THistory* const started = ZvHistory;
    ZvHistory = new THistory;
    ZvHistory->SetActive(true);
    QString r;
    GetVersionDateTime(r);
    EXPECT_EQ(r, exe.lastModified().toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")));
    EXPECT_EQ(ZvHistory->Lines().Count(), 0) << "its push is popped again";
    EXPECT_GT(ZvHistory->LastTime(), 0.0) << "but it was pushed";
    delete ZvHistory;
    ZvHistory = nullptr;
    GetVersionDateTime(r);
    EXPECT_FALSE(r.isEmpty()) << "works without a history too";
    ZvHistory = started;
}

TEST(ZvTUtils, OSNameTextUsesThePrettyNameAndTheKernelNumbers) {
    EXPECT_EQ(OSNameText(QStringLiteral("NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"),
                         QStringLiteral("6.1.0-18-amd64")),
              QStringLiteral("Debian GNU/Linux 12 (bookworm) (6.1 0)  "));
    EXPECT_EQ(OSNameText(QStringLiteral("PRETTY_NAME=Plain\n"), QStringLiteral("5.15.7")),
              QStringLiteral("Plain (5.15 7)  "));
    EXPECT_EQ(OSNameText(QString(), QStringLiteral("garbage")), QStringLiteral("Unknown (0.0 0)  "));
    EXPECT_EQ(GetOSName(), 0);
    EXPECT_TRUE(ZvOSName.endsWith(QStringLiteral(" ")));
}

TEST(ZvTUtils, StartUpFillsTheVariablesAndShutDownFreesTheHistory) {
    FixedClock clock;
    ZvTUtilsFinalize();  // started with the application
    ZvTUtilsInitialize();
    ASSERT_NE(ZvHistory, nullptr);
    EXPECT_TRUE(ZvHistory->Active());
    ASSERT_EQ(ZvHistory->Lines().Count(), 1);
    EXPECT_EQ(ZvHistory->Lines().Get(0), kStamp + QStringLiteral(" ZvTUtils"));
    const QFileInfo exe(ExecutablePath());
    EXPECT_EQ(ZvProgramDir, exe.absolutePath() + QStringLiteral("/"));
    EXPECT_TRUE(ZvTempDir.endsWith(QStringLiteral("/")));
    EXPECT_TRUE(ZvWindowsDir.isEmpty());
    EXPECT_TRUE(ZvSystemDir.isEmpty());
    const QDateTime written = exe.lastModified().toLocalTime();
    EXPECT_EQ(ZvExeDateTime, written.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")));
    EXPECT_EQ(ZvVersionStamp, QStringLiteral(" ") + written.toString(QStringLiteral("yyMMddHHmm")));
    EXPECT_FALSE(ZvOSName.isEmpty());
    ZvTUtilsFinalize();
    EXPECT_EQ(ZvHistory, nullptr);
}

TEST(ZvTUtils, AStartUpWhileStartedChangesNothing) {
    ZvTUtilsInitialize();
    THistory* history = ZvHistory;
    ASSERT_NE(history, nullptr);
    const Integer lines = history->Lines().Count();
    ZvTUtilsInitialize();
    EXPECT_EQ(ZvHistory, history);
    EXPECT_EQ(ZvHistory->Lines().Count(), lines);
}

TEST(ZvCodePage, StartUpRecordsTheCodePagesAndTheLocale) {
    ZvCodePageInitialize();
    EXPECT_EQ(ZvAnsiCodePage, 932u);
    EXPECT_EQ(ZvOemCodePage, 932u);
    EXPECT_EQ(ZvUserLocale, 0x0411u);
}

}  // namespace
