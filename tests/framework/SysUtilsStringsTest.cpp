#include "SysUtils.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QRegularExpression>
#include <QtCore/QTemporaryDir>

namespace {

std::string str(const QString& s) { return s.toStdString(); }

TEST(SysUtilsStrings, TrimRemovesControlsAndSpacesButKeepsIdeographicSpace) {
    EXPECT_EQ(str(Trim(QStringLiteral(" \t\r\n\x01" "abc \x1f"))), "abc");
    EXPECT_EQ(str(Trim(QStringLiteral("\u3000abc\u3000"))), "\u3000abc\u3000");
    EXPECT_EQ(str(Trim(QStringLiteral("\u00a0x"))), "\u00a0x");  // no-break space is above U+0020
    EXPECT_EQ(str(TrimLeft(QStringLiteral("  a b  "))), "a b  ");
    EXPECT_EQ(str(TrimRight(QStringLiteral("  a b  "))), "  a b");
    EXPECT_TRUE(Trim(QStringLiteral("   ")).isEmpty());
}

TEST(SysUtilsStrings, CaseMappingAsciiOnlyVersusAnsi) {
    EXPECT_EQ(str(UpperCase(QStringLiteral("abcÿｚé"))), "ABCÿｚé");
    EXPECT_EQ(str(LowerCase(QStringLiteral("ABCÉＺ"))), "abcÉＺ");
    EXPECT_EQ(str(AnsiUpperCase(QStringLiteral("abcéｚ"))), "ABCÉＺ");
    EXPECT_EQ(str(AnsiLowerCase(QStringLiteral("ABCÉＺ"))), "abcéｚ");
    // Length never changes, unlike a full Unicode upper-casing of "ß".
    EXPECT_EQ(AnsiUpperCase(QStringLiteral("ß")).size(), 1);
}

TEST(SysUtilsStrings, CompareTextIgnoresAsciiCaseOnly) {
    EXPECT_EQ(CompareText(QStringLiteral("Field"), QStringLiteral("FIELD")), 0);
    EXPECT_LT(CompareText(QStringLiteral("a"), QStringLiteral("B")), 0);
    EXPECT_GT(CompareText(QStringLiteral("ab"), QStringLiteral("A")), 0);
    // '_' (0x5F) sorts after the upper-cased letters, as in the platform.
    EXPECT_GT(CompareText(QStringLiteral("_"), QStringLiteral("z")), 0);
    EXPECT_TRUE(SameText(QStringLiteral("abc"), QStringLiteral("ABC")));
    EXPECT_FALSE(SameText(QStringLiteral("é"), QStringLiteral("É")));
    EXPECT_FALSE(SameText(QStringLiteral("abc"), QStringLiteral("abcd")));
    EXPECT_LT(CompareStr(QStringLiteral("B"), QStringLiteral("a")), 0);
    EXPECT_EQ(AnsiCompareText(QStringLiteral("é"), QStringLiteral("É")), 0);
}

TEST(SysUtilsStrings, PosAndCopyAreOneBasedAndClipped) {
    EXPECT_EQ(Pos(QStringLiteral("c"), QStringLiteral("abcabc")), 3);
    EXPECT_EQ(Pos(QStringLiteral("x"), QStringLiteral("abc")), 0);
    EXPECT_EQ(Pos(QString(), QStringLiteral("abc")), 0);
    EXPECT_EQ(str(Copy(QStringLiteral("abcdef"), 2, 3)), "bcd");
    EXPECT_EQ(str(Copy(QStringLiteral("abcdef"), 0, 2)), "ab");
    EXPECT_EQ(str(Copy(QStringLiteral("abcdef"), 5, 100)), "ef");
    EXPECT_EQ(str(Copy(QStringLiteral("abcdef"), 7, 1)), "");
    EXPECT_EQ(str(Copy(QStringLiteral("abcdef"), 2, -1)), "");
    EXPECT_EQ(str(Copy(QStringLiteral("abcdef"), 3, 2147483647)), "cdef");  // no overflow of index + count
}

TEST(SysUtilsStrings, SmallHelpers) {
    EXPECT_EQ(str(StringOfChar(u'*', 3)), "***");
    EXPECT_EQ(str(StringOfChar(u'*', -1)), "");
    EXPECT_EQ(str(QuotedStr(QStringLiteral("it's"))), "'it''s'");
    EXPECT_EQ(str(StringReplaceAll(QStringLiteral("a,b,,c"), QStringLiteral(","), QString())), "abc");
    EXPECT_EQ(str(StringReplaceAll(QStringLiteral("abc"), QString(), QStringLiteral("x"))), "abc");
}

TEST(SysUtilsStrings, FileNameParts) {
    EXPECT_EQ(str(ExtractFileName(QStringLiteral("/home/u/report.voz"))), "report.voz");
    EXPECT_EQ(str(ExtractFilePath(QStringLiteral("/home/u/report.voz"))), "/home/u/");
    EXPECT_EQ(str(ExtractFileExt(QStringLiteral("/home/u/report.voz"))), ".voz");
    EXPECT_EQ(str(ExtractFileExt(QStringLiteral("/home/u.d/report"))), "");
    EXPECT_EQ(str(ExtractFileExt(QStringLiteral("archive.tar.gz"))), ".gz");
    EXPECT_EQ(str(ChangeFileExt(QStringLiteral("/a.b/c.txt"), QStringLiteral(".bak"))), "/a.b/c.bak");
    EXPECT_EQ(str(ChangeFileExt(QStringLiteral("/a.b/c"), QStringLiteral(".bak"))), "/a.b/c.bak");
    EXPECT_EQ(str(IncludeTrailingPathDelimiter(QStringLiteral("/tmp"))), "/tmp/");
    EXPECT_EQ(str(IncludeTrailingPathDelimiter(QStringLiteral("/tmp/"))), "/tmp/");
}

TEST(SysUtilsStrings, FileAndDirectoryChecks) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("f.txt"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(dir.path()));
    EXPECT_TRUE(DirectoryExists(dir.path()));
    EXPECT_FALSE(DirectoryExists(file));
    EXPECT_FALSE(DeleteFile(dir.path()));
    EXPECT_TRUE(DeleteFile(file));
    EXPECT_FALSE(FileExists(file));
    EXPECT_FALSE(DeleteFile(file));
}

// A TMPDIR that names no folder to write in gives way to /tmp (Qt's
// temporary path is then empty, and files would land in "/").
TEST(SysUtilsStrings, TempFolderFallsBackWhenTmpdirIsUnusable) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("plain"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    {
        ScopedEnv env("TMPDIR", dir.path() + QStringLiteral("/"));
        EXPECT_EQ(TempFolder(), dir.path());
    }
    for (const QString& unusable : {dir.filePath(QStringLiteral("missing")), file, QString()}) {
        ScopedEnv env("TMPDIR", unusable);
        EXPECT_EQ(str(TempFolder()), "/tmp") << str(unusable);
    }
}

TEST(SysUtilsStrings, CreateTempFileMakesNewFilesOrNamesTheFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString first = CreateTempFile(dir.path(), QStringLiteral("VOZXXXXXX.tmp"));
    const QString second = CreateTempFile(dir.path(), QStringLiteral("VOZXXXXXX.tmp"));
    EXPECT_NE(first, second);
    const QRegularExpression named(QStringLiteral("^%1/VOZ\\w{6}\\.tmp$").arg(QRegularExpression::escape(dir.path())));
    for (const QString& name : {first, second}) {
        EXPECT_TRUE(named.match(name).hasMatch()) << str(name);
        EXPECT_TRUE(QFileInfo(name).isFile());
    }
    const QString missing = dir.filePath(QStringLiteral("gone"));
    try {
        CreateTempFile(missing, QStringLiteral("VOZXXXXXX.tmp"));
        FAIL() << "no exception";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral("Cannot create a temporary file in \"%1\". No such file or directory").arg(missing));
    }
}

TEST(SysUtilsStrings, AssertRaisesWithTheDefaultText) {
    EXPECT_NO_THROW(Assert(true));
    try {
        Assert(false);
        FAIL() << "no exception";
    } catch (const EAssertionFailed& e) {
        EXPECT_EQ(str(e.Message()), "アサートの失敗");
    }
    EXPECT_THROW(Assert(false, QStringLiteral("custom")), EAssertionFailed);
}

}  // namespace
