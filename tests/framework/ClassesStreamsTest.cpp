#include "Classes.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>

#include <cerrno>
#include <limits>

namespace {

QByteArray bytes(const char* text) { return QByteArray(text); }

TEST(MemoryStream, ReadsShortAtTheEndAndReadBufferRaises) {
    TMemoryStream s;
    s.WriteBytes(bytes("hello"));
    EXPECT_EQ(s.Position(), 5);
    EXPECT_EQ(s.Size(), 5);
    s.SetPosition(3);
    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, 8), 2);
    EXPECT_EQ(QByteArray(buf, 2), bytes("lo"));
    EXPECT_EQ(s.Read(buf, 8), 0);
    s.SetPosition(3);
    try {
        s.ReadBuffer(buf, 3);
        FAIL() << "no exception";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Stream read error"));
    }
    s.ReadBuffer(buf, 0);  // nothing asked, nothing raised
}

TEST(MemoryStream, SeekOriginsAndWritingPastTheEnd) {
    TMemoryStream s;
    s.WriteBytes(bytes("abcdef"));
    EXPECT_EQ(s.Seek(-2, soEnd), 4);
    EXPECT_EQ(s.Seek(-1, soCurrent), 3);
    EXPECT_EQ(s.Seek(1, soBeginning), 1);
    s.WriteBytes(bytes("XY"));
    EXPECT_EQ(s.Bytes(), bytes("aXYdef"));
    s.Seek(2, soEnd);  // beyond the end: the gap reads as zeros
    s.WriteBytes(bytes("Z"));
    EXPECT_EQ(s.Bytes(), QByteArray("aXYdef\0\0Z", 9));

    s.SetPosition(-1);  // refused: the position stays at the end
    char c = 0;
    EXPECT_EQ(s.Read(&c, 1), 0);
    EXPECT_EQ(s.Position(), 9);
}

TEST(MemoryStream, APositionTooFarOutRaisesAndKeepsTheData) {
    TMemoryStream s;
    s.WriteBytes(bytes("abc"));
    const char c = 'x';
    s.SetPosition(std::numeric_limits<Int64>::max());
    EXPECT_THROW(s.WriteBuffer(&c, 1), EWriteError);
    s.SetPosition(Int64(1) << 62);
    EXPECT_THROW(s.WriteBuffer(&c, 1), EStreamError);
    EXPECT_THROW(s.SetSize(Int64(1) << 62), EStreamError);
    s.SetPosition(std::numeric_limits<Int64>::max());
    EXPECT_EQ(s.Seek(1, soCurrent), -1);  // past the largest position
    EXPECT_EQ(s.Position(), std::numeric_limits<Int64>::max());
    EXPECT_EQ(s.Bytes(), bytes("abc"));
}

TEST(MemoryStream, SetSizeKeepsThePositionInside) {
    TMemoryStream s;
    s.WriteBytes(bytes("abcdef"));
    s.SetSize(3);
    EXPECT_EQ(s.Position(), 3);
    EXPECT_EQ(s.Bytes(), bytes("abc"));
    s.SetPosition(1);
    s.SetSize(5);
    EXPECT_EQ(s.Position(), 1);
    EXPECT_EQ(s.Bytes(), QByteArray("abc\0\0", 5));
    EXPECT_THROW(s.SetSize(-1), EStreamError);
    s.Clear();
    EXPECT_EQ(s.Size(), 0);
    EXPECT_EQ(s.Position(), 0);
}

TEST(MemoryStream, CopyFromCountZeroTakesTheWholeSource) {
    TMemoryStream source;
    QByteArray big(100000, '\0');
    for (int i = 0; i < big.size(); ++i) big[i] = char(i * 7);
    source.WriteBytes(big);  // larger than one copy chunk
    source.SetPosition(50);

    TMemoryStream dest;
    EXPECT_EQ(dest.CopyFrom(source, 0), Int64(big.size()));
    EXPECT_EQ(dest.Bytes(), big);

    source.SetPosition(10);
    TMemoryStream part;
    EXPECT_EQ(part.CopyFrom(source, 5), 5);
    EXPECT_EQ(part.Bytes(), big.mid(10, 5));
    source.SetPosition(big.size() - 2);
    EXPECT_THROW(part.CopyFrom(source, 5), EReadError);
}

TEST(MemoryStream, ReadBytesReturnsWhatIsThere) {
    TMemoryStream s;
    s.WriteBytes(bytes("abc"));
    s.SetPosition(1);
    EXPECT_EQ(s.ReadBytes(10), bytes("bc"));
    EXPECT_EQ(s.ReadBytes(10), QByteArray());
    EXPECT_EQ(s.ReadBytes(-3), QByteArray());
}

TEST(MemoryStream, ANegativeTargetFailsAndThePositionStays) {
    TMemoryStream s;
    s.WriteBytes(bytes("abcdef"));
    s.SetPosition(4);
    EXPECT_EQ(s.Seek(-5, soCurrent), -1);
    EXPECT_EQ(s.Seek(-1, soBeginning), -1);
    EXPECT_EQ(s.Seek(-7, soEnd), -1);
    EXPECT_EQ(s.Position(), 4);
    EXPECT_EQ(s.ReadBytes(2), bytes("ef"));
    EXPECT_EQ(s.Seek(-6, soEnd), 0) << "the start itself is a place";
}

class FileStreamTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
};

TEST_F(FileStreamTest, CreateTruncatesAndOpenModesLimitAccess) {
    const QString name = path("data.bin");
    {
        TFileStream f(name, fmCreate);
        f.WriteBytes(bytes("0123456789"));
        EXPECT_EQ(f.Size(), 10);
        EXPECT_EQ(f.Position(), 10);
    }
    {
        TFileStream f(name, fmOpenRead | fmShareDenyNone);
        char c = 'x';
        EXPECT_EQ(f.Write(&c, 1), 0);
        EXPECT_THROW(f.WriteBuffer(&c, 1), EWriteError);
        f.Seek(-3, soEnd);
        EXPECT_EQ(f.ReadBytes(10), bytes("789"));
    }
    {
        TFileStream f(name, fmOpenWrite);
        f.Seek(2, soBeginning);
        f.WriteBytes(bytes("ab"));
        char c;
        EXPECT_EQ(f.Read(&c, 1), 0);
    }
    {
        TFileStream f(name, fmOpenReadWrite);
        EXPECT_EQ(f.ReadBytes(5), bytes("01ab4"));
        f.WriteBytes(bytes("Z"));
        f.SetPosition(0);
        EXPECT_EQ(f.ReadBytes(20), bytes("01ab4Z6789"));
    }
    {
        TFileStream f(name, fmCreate);  // truncates
        EXPECT_EQ(f.Size(), 0);
    }
}

TEST_F(FileStreamTest, OpenAndCreateErrorsNameTheFile) {
    const QString missing = path("missing.txt");
    try {
        TFileStream f(missing, fmOpenRead);
        FAIL() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Cannot open file \"%1\".").arg(missing)))
            << e.Message().toStdString();
    }
    const QString inMissingDir = path("no/such/dir/out.txt");
    try {
        TFileStream f(inMissingDir, fmCreate);
        FAIL() << "no exception";
    } catch (const EFCreateError& e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Cannot create file \"%1\".").arg(inMissingDir)))
            << e.Message().toStdString();
    }
    // Both are stream errors to a caller that catches broadly.
    EXPECT_THROW(TFileStream(missing, fmOpenReadWrite), EStreamError);
}

TEST_F(FileStreamTest, AFolderIsRefusedAsAFileWithTheOpenError) {
    for (Word mode : {Word(fmOpenRead), Word(fmOpenReadWrite), Word(fmCreate)}) {
        try {
            TFileStream f(dir.path(), mode);
            FAIL() << "a folder opened as a file, mode " << mode;
        } catch (const EStreamError& e) {
            EXPECT_TRUE(e.Message().contains(dir.path())) << e.Message().toStdString();
        }
    }
    EXPECT_THROW(TFileStream(dir.path(), fmOpenRead), EFOpenError);
    TMemoryStream memory;
    EXPECT_THROW(memory.LoadFromFile(dir.path()), EFOpenError);
    TStringList lines;
    EXPECT_THROW(lines.LoadFromFile(dir.path()), EFOpenError);
}

// A full disk (/dev/full answers every write with ENOSPC) is told with the
// file's name and the system's reason, not only "Stream write error".
TEST_F(FileStreamTest, AFailedWriteNamesTheFileAndTheReason) {
    if (!QFile::exists(QStringLiteral("/dev/full"))) GTEST_SKIP() << "no /dev/full";
    TFileStream full(QStringLiteral("/dev/full"), fmOpenWrite);
    try {
        full.WriteBytes(bytes("page"));
        FAIL() << "no exception";
    } catch (const EWriteError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot write to file \"/dev/full\". No space left on device"));
    }
    EXPECT_EQ(full.LastWriteError(), ENOSPC);
}

// The files of /proc tell no size: they are read to their end.
TEST_F(FileStreamTest, AFileOfUnknownSizeIsReadToItsEnd) {
    TStringList lines;
    lines.LoadFromFile(QStringLiteral("/proc/self/status"));
    ASSERT_GT(lines.Count(), 3);
    EXPECT_TRUE(lines.Get(0).startsWith(QStringLiteral("Name:"))) << lines.Get(0).toStdString();
    TMemoryStream memory;
    memory.LoadFromFile(QStringLiteral("/proc/self/status"));
    EXPECT_TRUE(memory.Bytes().contains("Pid:"));
    EXPECT_EQ(memory.Position(), 0);
    // A file that does tell its size is read exactly.
    QFile plain(path("plain.txt"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("one\r\ntwo\r\n");
    plain.close();
    memory.LoadFromFile(plain.fileName());
    EXPECT_EQ(memory.Bytes(), bytes("one\r\ntwo\r\n"));
}

TEST_F(FileStreamTest, SetSizeCutsAndExtendsAndMovesToTheEnd) {
    const QString name = path("size.bin");
    TFileStream f(name, fmCreate);
    f.WriteBytes(bytes("abcdef"));
    f.SetPosition(1);
    f.SetSize(3);
    EXPECT_EQ(f.Size(), 3);
    EXPECT_EQ(f.Position(), 3);
    f.SetSize(5);
    f.SetPosition(0);
    EXPECT_EQ(f.ReadBytes(10), QByteArray("abc\0\0", 5));
    EXPECT_THROW(f.SetSize(-1), EStreamError);
}

TEST_F(FileStreamTest, PositionsBeyondFourGigabytes) {
    // A sparse file: the position and size need more than 32 bits.
    const QString name = path("sparse.bin");
    TFileStream f(name, fmCreate);
    const Int64 far = (Int64(1) << 32) + 10;
    EXPECT_EQ(f.Seek(far, soBeginning), far);
    f.WriteBytes(bytes("end"));
    EXPECT_EQ(f.Size(), far + 3);
    EXPECT_EQ(f.Seek(-3, soEnd), far);
    EXPECT_EQ(f.ReadBytes(3), bytes("end"));
    f.SetSize(0);
}

TEST_F(FileStreamTest, MemoryStreamAndStringListFileRoundTrip) {
    const QString name = path("list.txt");
    TStringList list;
    list.SetStringList({QStringLiteral("一"), QStringLiteral("two")});
    list.SaveToFile(name);

    TMemoryStream m;
    m.LoadFromFile(name);
    EXPECT_EQ(m.Bytes(), QByteArray::fromHex("88ea0d0a74776f0d0a"));  // Python's cp932 of the text
    m.SaveToFile(path("copy.txt"));

    TStringList back;
    back.LoadFromFile(path("copy.txt"));
    EXPECT_TRUE(back.Equals(list));
    EXPECT_THROW(back.LoadFromFile(path("absent.txt")), EFOpenError);
}

}  // namespace
