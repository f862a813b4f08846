// The page stream, the page list and report files, checked against the
// reference reader in tools/voz_reader.py.
#include "QRPrntrTestSupport.h"

#include "Metafile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QtCore/QDir>
#include <QtCore/QDirIterator>
#include <QtCore/QFile>
#include <QtCore/QRegularExpression>

#include <atomic>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace {

// Every test gets its own temporary folder, so that leftover "VOZ" files
// can be counted.
class QRStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        oldTmp_ = qgetenv("TMPDIR");
        qputenv("TMPDIR", dir_.path().toLocal8Bit());
    }
    void TearDown() override { qputenv("TMPDIR", oldTmp_); }

    QString path(const QString& name) const { return dir_.filePath(name); }
    QStringList vozFiles() const { return QDir(dir_.path()).entryList({QStringLiteral("VOZ*")}, QDir::Files); }

    QTemporaryDir dir_;
    QByteArray oldTmp_;
};

std::vector<QByteArray> somePages(int count, quint32 seed = 1) {
    std::vector<QByteArray> pages;
    for (int i = 0; i < count; ++i)
        pages.push_back(i % 2 ? MakeEmfBytes(seed + i, 300 + 97 * i) : MakeReportLikePage(seed + i, 20 + 5 * i));
    return pages;
}

void addAll(TQRPageList& list, const std::vector<QByteArray>& pages) {
    for (const QByteArray& page : pages) list.AddPageData(page);
    list.WriteFileHeader();
}

Integer intAt(const QByteArray& bytes, qsizetype at) {
    Integer v;
    std::memcpy(&v, bytes.constData() + at, 4);
    return v;
}

void setInt(QByteArray& bytes, qsizetype at, Integer v) { std::memcpy(bytes.data() + at, &v, 4); }

// The message of the write error that fn raises.
template <class F> QString writeError(F fn) {
    try {
        fn();
    } catch (const EWriteError& e) {
        return e.Message();
    }
    ADD_FAILURE() << "no write error";
    return {};
}

}  // namespace

// ------------------------------------------------------------ TQRStream

TEST_F(QRStoreTest, StreamAtTheLimitStaysInMemoryOneByteMoreSpills) {
    const QByteArray data = MakeEmfBytes(5, 1000);
    {
        TQRStream stream(1000);
        stream.WriteBytes(data.left(600));
        stream.WriteBytes(data.mid(600));
        EXPECT_TRUE(stream.InMemory());
        EXPECT_TRUE(vozFiles().isEmpty());

        stream.WriteBytes("!");
        EXPECT_FALSE(stream.InMemory());
        ASSERT_EQ(vozFiles().size(), 1);
        EXPECT_EQ(QFileInfo(stream.TempFileName()).absolutePath(), QFileInfo(dir_.path()).absoluteFilePath());
        EXPECT_TRUE(QFileInfo(stream.TempFileName()).fileName().startsWith("VOZ"));
        EXPECT_EQ(stream.Position(), 1001);
        EXPECT_EQ(stream.Size(), 1001);

        // The file carries on as the memory did.
        stream.Seek(10, soBeginning);
        stream.WriteBytes("xyz");
        stream.SetPosition(0);
        QByteArray expected = data + "!";
        expected.replace(10, 3, "xyz");
        EXPECT_EQ(stream.ReadBytes(5000), expected);
        EXPECT_EQ(ReadFileBytes(stream.TempFileName()), expected);
    }
    EXPECT_TRUE(vozFiles().isEmpty());
}

TEST_F(QRStoreTest, ATmpdirThatDoesNotExistSpillsIntoTheSystemFolder) {
    ScopedEnv env("TMPDIR", path("missing"));
    QString name;
    {
        TQRStream stream(10);
        stream.WriteBytes(MakeEmfBytes(3, 100));
        ASSERT_FALSE(stream.InMemory());
        name = stream.TempFileName();
        EXPECT_EQ(QFileInfo(name).absolutePath(), QStringLiteral("/tmp"));
        EXPECT_TRUE(QFileInfo(name).fileName().startsWith("VOZ"));
        EXPECT_EQ(ReadFileBytes(name), MakeEmfBytes(3, 100));
    }
    EXPECT_FALSE(QFile::exists(name));
}

// A full disk, while the pages move to the temporary file and once they
// are there: the error names the file and the reason, and the pages before
// stay readable.
TEST_F(QRStoreTest, AFullDiskWhileSpillingNamesTheFileAndKeepsThePages) {
    const std::vector<QByteArray> pages = somePages(5, 81);
    const QRegularExpression spillError(QStringLiteral("Cannot write to file \"%1/VOZ\\w{6}\\.tmp\". File too large")
                                            .arg(QRegularExpression::escape(dir_.path())));
    auto list = NewPageList(false, Integer(140 + pages[0].size()));  // room for the first page only
    list->AddPageData(pages[0]);
    ASSERT_TRUE(list->Stream()->InMemory());
    {
        FileSizeLimit full(200);
        const QString moving = writeError([&] { list->AddPageData(pages[1]); });
        EXPECT_TRUE(spillError.match(moving).hasMatch()) << moving.toStdString();
    }
    EXPECT_TRUE(list->Stream()->InMemory());
    EXPECT_TRUE(vozFiles().isEmpty()) << "the half-made temporary file is gone";
    EXPECT_EQ(list->PageCount(), 1);

    list->AddPageData(pages[1]);
    list->AddPageData(pages[2]);
    ASSERT_FALSE(list->Stream()->InMemory());
    const Int64 size = list->Stream()->Size();
    {
        FileSizeLimit full(size + 100);
        const QString growing = writeError([&] { list->AddPageData(pages[3]); });
        EXPECT_EQ(growing,
                  QStringLiteral("Cannot write to file \"%1\". File too large").arg(list->Stream()->TempFileName()));
    }
    EXPECT_EQ(list->PageCount(), 3);
    EXPECT_EQ(list->Stream()->Size(), size);
    for (int n : {3, 1, 2}) EXPECT_EQ(list->GetPageData(n), pages[n - 1]) << n;
    // With room again the store goes on.
    list->AddPageData(pages[3]);
    EXPECT_EQ(list->GetPageData(4), pages[3]);
}

TEST_F(QRStoreTest, AFullDiskWhileSavingNamesTheFileAndLeavesTheOldOne) {
    const QString file = path("kept.VOZ");
    WriteFileBytes(file, "old report");
    auto list = NewPageList(false);
    addAll(*list, somePages(4, 91));
    {
        FileSizeLimit full(300);
        const QString message = writeError([&] { list->SaveToFile(file); });
        EXPECT_EQ(message,
                  QStringLiteral("Cannot write to file \"%1\". File too large").arg(QFileInfo(file).absoluteFilePath()));
        EXPECT_TRUE(writeError([&] { list->SaveToFile(path("new.VOZ")); }).contains("new.VOZ"));
    }
    EXPECT_EQ(ReadFileBytes(file), "old report");
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{"kept.VOZ"}) << "no half file, no temporary";
}

TEST_F(QRStoreTest, TemporaryFileGoesAwayWhenAnErrorUnwinds) {
    try {
        auto list = NewPageList(false, 100);
        list->AddPageData(MakeEmfBytes(1, 400));
        EXPECT_EQ(vozFiles().size(), 1);
        list->AddPageData(QByteArray(60, 'x'));  // not a metafile: raises
        FAIL() << "no error raised";
    } catch (const EWriteError&) {
    }
    EXPECT_TRUE(vozFiles().isEmpty());
}

TEST_F(QRStoreTest, SaveToStreamCopiesEverythingInChunks) {
    TQRStream stream(0);  // spills on the first byte
    const QByteArray data = MakeEmfBytes(9, 3 * 10240 + 17);
    stream.WriteBytes(data);
    stream.Seek(5, soBeginning);

    struct CountingStream : TMemoryStream {
        int writes = 0;
        Integer Write(const void* buffer, Integer count) override {
            ++writes;
            return TMemoryStream::Write(buffer, count);
        }
    } copy;
    stream.SaveToStream(copy);
    EXPECT_EQ(copy.Bytes(), data);
    EXPECT_EQ(copy.writes, 4);
}

TEST_F(QRStoreTest, LockIsReentrantAndHoldsOtherThreadsOff) {
    TQRStream stream(1000);
    stream.WriteBytes("abcdef");
    std::atomic<bool> done{false};
    stream.Lock();
    stream.Lock();
    std::thread other([&] {
        stream.Seek(0, soBeginning);
        done = true;
    });
    stream.Seek(3, soBeginning);  // the owner still gets through
    EXPECT_EQ(stream.ReadBytes(3), QByteArray("def"));
    stream.Unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(done);
    stream.Unlock();
    other.join();
    EXPECT_TRUE(done);
    EXPECT_EQ(stream.Position(), 0);
}

// ------------------------------------------------------------ page list

TEST_F(QRStoreTest, OnePageFileHasTheDocumentedLayout) {
    for (bool compression : {false, true}) {
        auto list = NewPageList(compression);
        const QByteArray page = MakeReportLikePage(4, 30);
        list->AddPageData(page);
        list->WriteFileHeader();
        const QString file = path(compression ? "one-c.VOZ" : "one.VOZ");
        list->SaveToFile(file);
        const QByteArray bytes = ReadFileBytes(file);

        ASSERT_GT(bytes.size(), 140);
        EXPECT_EQ(intAt(bytes, 0), 3 + (50 << 16));
        EXPECT_EQ(intAt(bytes, 8), 1);
        EXPECT_EQ(bytes[25], char(compression));
        EXPECT_EQ(bytes.mid(26, 100), QByteArray(100, 'H'));
        double created;
        std::memcpy(&created, bytes.constData() + 16, 8);
        EXPECT_NEAR(created, Now(), 1.0 / 24 / 60);
        EXPECT_EQ(intAt(bytes, 128), 1);
        EXPECT_EQ(intAt(bytes, 132), bytes.size());  // the next field is the end
        EXPECT_EQ(intAt(bytes, bytes.size() - 4), 128);
        if (compression) {
            EXPECT_EQ(intAt(bytes, 136), page.size());
            EXPECT_EQ(bytes.mid(140, bytes.size() - 144), CompressBytes(page));
        } else {
            EXPECT_EQ(bytes.mid(136, bytes.size() - 140), page);
        }
    }
}

TEST_F(QRStoreTest, ReferenceReaderReadsWhatTheStoreWrites) {
    const std::vector<QByteArray> pages = somePages(7);
    for (bool compression : {false, true}) {
        for (Integer limit : {250000, 500}) {
            auto list = NewPageList(compression, limit);
            addAll(*list, pages);
            EXPECT_EQ(list->Stream()->InMemory(), limit == 250000);
            const QString file = path(QStringLiteral("r%1%2.VOZ").arg(compression).arg(limit));
            list->SaveToFile(file);
            const QString out = path(QStringLiteral("out%1%2").arg(compression).arg(limit));
            QDir().mkpath(out);
            const QByteArray summary = RunTool("voz_reader.py", {file, out});
            EXPECT_TRUE(summary.startsWith(QStringLiteral("pages=7 compressed=%1").arg(compression).toLatin1()))
                << summary.toStdString();
            for (int i = 0; i < 7; ++i)
                EXPECT_EQ(ReadFileBytes(QStringLiteral("%1/page%2.emf").arg(out).arg(i + 1)), pages[i]) << i;
        }
    }
}

TEST_F(QRStoreTest, PagesComeBackInAnyOrder) {
    const std::vector<QByteArray> pages = somePages(6, 40);
    for (bool compression : {false, true}) {
        for (Integer limit : {250000, 300}) {
            auto list = NewPageList(compression, limit);
            addAll(*list, pages);
            for (int n : {3, 1, 6, 2, 2, 5, 4, 1, 6})
                EXPECT_EQ(list->GetPageData(n), pages[n - 1]) << n << " " << compression << " " << limit;
            EXPECT_TRUE(list->GetPageData(7).isEmpty());
            EXPECT_TRUE(list->GetPageData(0).isEmpty());
            EXPECT_TRUE(list->GetPageData(-1).isEmpty());
        }
    }
}

TEST_F(QRStoreTest, ReadsBetweenAppendsSeeWholePages) {
    const std::vector<QByteArray> pages = somePages(5, 70);
    auto list = NewPageList(true, 600);
    for (int i = 0; i < 5; ++i) {
        list->AddPageData(pages[i]);
        EXPECT_EQ(list->PageCount(), i + 1);
        EXPECT_EQ(list->GetPageData(i + 1), pages[i]);
        EXPECT_EQ(list->GetPageData(1), pages[0]);  // leaves the stream at record 2
    }
    list->WriteFileHeader();  // leaves it at the first record
    EXPECT_EQ(list->GetPageData(5), pages[4]);
    const QString file = path("between.VOZ");
    list->SaveToFile(file);
    RunTool("voz_reader.py", {file, dir_.path()});
}

TEST_F(QRStoreTest, ANewDocumentReplacesTheOldPages) {
    auto list = NewPageList(false);
    addAll(*list, somePages(4));
    list->Clear();
    const std::vector<QByteArray> second = somePages(2, 90);
    addAll(*list, second);
    EXPECT_EQ(list->PageCount(), 2);
    const QString file = path("second.VOZ");
    list->SaveToFile(file);
    EXPECT_TRUE(RunTool("voz_reader.py", {file, dir_.path()}).startsWith("pages=2"));
}

// ------------------------------------------------------------ report files

TEST_F(QRStoreTest, LoadedFileReadsBackWithItsOwnCompressionFlag) {
    const std::vector<QByteArray> pages = somePages(5, 11);
    for (bool compression : {false, true}) {
        const QString file = path(QStringLiteral("load%1.VOZ").arg(compression));
        {
            auto list = NewPageList(compression);
            addAll(*list, pages);
            list->SaveToFile(file);
        }
        TQRPageList loaded;
        loaded.SetCompression(!compression);  // the header decides
        loaded.LoadFromFile(file);
        EXPECT_EQ(loaded.HeaderSize(), 128);
        EXPECT_EQ(loaded.Compression(), compression);
        ASSERT_EQ(loaded.PageCount(), 5);
        for (int n : {5, 3, 1, 4, 2}) EXPECT_EQ(loaded.GetPageData(n), pages[n - 1]) << n;
        EXPECT_TRUE(loaded.GetPageData(6).isEmpty());
        EXPECT_TRUE(loaded.GetPageData(0).isEmpty());
        EXPECT_THROW(loaded.AddPageData(pages[0]), EWriteError);
        EXPECT_EQ(loaded.PageCount(), 5);
        EXPECT_EQ(loaded.GetPageData(5), pages[4]);
    }
}

TEST_F(QRStoreTest, SavingOverTheLoadedFileKeepsItWhole) {
    const std::vector<QByteArray> pages = somePages(4, 21);
    const QString file = path("self.VOZ");
    {
        auto list = NewPageList(true);
        addAll(*list, pages);
        list->SaveToFile(file);
    }
    const QByteArray before = ReadFileBytes(file);
    TQRPageList loaded;
    loaded.LoadFromFile(file);
    loaded.SaveToFile(file);
    EXPECT_EQ(ReadFileBytes(file), before);
    EXPECT_EQ(loaded.GetPageData(2), pages[1]);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{"self.VOZ"});  // no temporary left
}

TEST_F(QRStoreTest, FailedSaveLeavesTheOldFileAlone) {
    auto list = NewPageList(false);
    addAll(*list, somePages(2));
    EXPECT_THROW(list->SaveToFile(path("no/such/folder/x.VOZ")), EFCreateError);
    list->SetStream(nullptr);
    EXPECT_THROW(list->SaveToFile(path("x.VOZ")), EStreamError);
    EXPECT_FALSE(QFile::exists(path("x.VOZ")));
}

// Files with older headers: the same records behind a header of another
// size, the record offsets moved along.
QByteArray withHeader(const QByteArray& file, const QByteArray& header) {
    const Integer shift = Integer(header.size()) - 128;
    QByteArray out = header;
    for (qsizetype at = 128; at < file.size();) {
        const Integer number = intAt(file, at), next = intAt(file, at + 4);
        QByteArray record = file.mid(at, next - at);
        setInt(record, 4, next + shift);
        setInt(record, record.size() - 4, Integer(at) + shift);
        out += record;
        Q_UNUSED(number);
        at = next;
    }
    return out;
}

TEST_F(QRStoreTest, OlderHeadersAreDetectedAndCounted) {
    const std::vector<QByteArray> pages = somePages(3, 31);
    auto list = NewPageList(false);
    addAll(*list, pages);
    const QString file = path("new.VOZ");
    list->SaveToFile(file);
    const QByteArray current = ReadFileBytes(file);

    QByteArray header124(124, 'H');
    setInt(header124, 0, 3 + (50 << 16));
    setInt(header124, 4, 0);
    setInt(header124, 8, 3);  // page count
    header124[21] = 0;        // compression flag
    QByteArray header96(96, '\0');
    setInt(header96, 8, 77);  // no count there: the links give it
    const struct {
        QByteArray header;
        Integer pages;
    } cases[] = {{header124, 3}, {QByteArray(120, '\0'), 1}, {header96, 3}};
    for (const auto& c : cases) {
        const QString old = path(QStringLiteral("old%1.VOZ").arg(c.header.size()));
        WriteFileBytes(old, withHeader(current, c.header));
        TQRPageList loaded;
        loaded.LoadFromFile(old);
        EXPECT_EQ(loaded.HeaderSize(), c.header.size());
        ASSERT_EQ(loaded.PageCount(), c.pages) << c.header.size();
        for (Integer n = c.pages; n >= 1; --n) EXPECT_EQ(loaded.GetPageData(n), pages[n - 1]);
        EXPECT_TRUE(loaded.GetPageData(0).isEmpty());
    }
}

TEST_F(QRStoreTest, HeaderFoundByScanningWhenNoProbeMatches) {
    const std::vector<QByteArray> pages = somePages(2, 51);
    auto list = NewPageList(false);
    addAll(*list, pages);
    const QString file = path("scan.VOZ");
    list->SaveToFile(file);
    const QString odd = path("odd.VOZ");
    WriteFileBytes(odd, withHeader(ReadFileBytes(file), QByteArray(200, '\0')));
    TQRPageList loaded;
    loaded.LoadFromFile(odd);
    EXPECT_EQ(loaded.HeaderSize(), 200);
    EXPECT_EQ(loaded.PageCount(), 2);  // a 200-byte header has no count: the links give it
    EXPECT_EQ(loaded.GetPageData(2), pages[1]);
}

// ------------------------------------------------------------ damaged files

class QRDamagedFileTest : public QRStoreTest {
protected:
    void SetUp() override {
        QRStoreTest::SetUp();
        pages_ = somePages(4, 61);
    }
    QByteArray goodFile(bool compression) {
        auto list = NewPageList(compression);
        addAll(*list, pages_);
        const QString file = path("good.VOZ");
        list->SaveToFile(file);
        return ReadFileBytes(file);
    }
    // Loads bytes; expects an error naming the damage after goodPages and
    // those pages readable.
    void expectDamaged(const QByteArray& bytes, Integer goodPages, const char* what) {
        const QString file = path("bad.VOZ");
        WriteFileBytes(file, bytes);
        TQRPageList loaded;
        try {
            loaded.LoadFromFile(file);
            ADD_FAILURE() << what << ": no error";
        } catch (const EReadError& e) {
            EXPECT_TRUE(e.Message().contains(QStringLiteral("damaged after page %1").arg(goodPages)))
                << what << ": " << e.what();
        }
        EXPECT_EQ(loaded.PageCount(), goodPages) << what;
        for (Integer n = goodPages; n >= 1; --n) EXPECT_EQ(loaded.GetPageData(n), pages_[n - 1]) << what;
        EXPECT_TRUE(loaded.GetPageData(goodPages + 1).isEmpty()) << what;
    }
    std::vector<QByteArray> pages_;
};

TEST_F(QRDamagedFileTest, BrokenLinksStopTheLoadAtThePagesBeforeThem) {
    for (bool compression : {false, true}) {
        const QByteArray good = goodFile(compression);
        const Integer second = intAt(good, 132), third = intAt(good, second + 4);

        QByteArray cut = good.left(third + 20);
        expectDamaged(cut, 2, "truncated in page 3");

        QByteArray loop = good;
        setInt(loop, second + 4, 128);  // page 2 links back to page 1
        expectDamaged(loop, 1, "link backwards");

        QByteArray self = good;
        setInt(self, second + 4, second);
        expectDamaged(self, 1, "link to itself");

        QByteArray far = good;
        setInt(far, 132, 0x7FFFFFF0);
        expectDamaged(far, 0, "link past the end");

        QByteArray negative = good;
        setInt(negative, third + 4, -8);
        expectDamaged(negative, 2, "negative link");

        QByteArray trailer = good;
        setInt(trailer, third - 4, 400);
        expectDamaged(trailer, 1, "wrong trailer");

        QByteArray renumbered = good;
        setInt(renumbered, third, 9);
        expectDamaged(renumbered, 2, "wrong page number");

        QByteArray fewer = good;
        setInt(fewer, 8, 9);
        expectDamaged(fewer, 4, "header counts more pages");

        QByteArray more = good;
        setInt(more, 8, 2);
        expectDamaged(more, 2, "header counts fewer pages");
    }
}

TEST_F(QRDamagedFileTest, LengthsPastTheirRecordsAreRefused) {
    const QByteArray plain = goodFile(false);
    const Integer second = intAt(plain, 132);
    QByteArray longEmf = plain;
    setInt(longEmf, second + 8 + 48, intAt(plain, second + 4) + 1000);
    expectDamaged(longEmf, 1, "metafile length past its record");

    QByteArray shortEmf = plain;
    setInt(shortEmf, second + 8 + 48, 4);
    expectDamaged(shortEmf, 1, "metafile length below its header");

    const QByteArray packed = goodFile(true);
    const Integer next = intAt(packed, 132);
    for (Integer length : {-1, 0, 51, 0x7FFFFFFF, (next - 144) * 8 + 1}) {
        QByteArray huge = packed;
        setInt(huge, 136, length);
        expectDamaged(huge, 0, "compressed length");
    }
}

TEST_F(QRDamagedFileTest, GarbledCodeIsReportedWhenThePageIsRead) {
    QByteArray bytes = goodFile(true);
    const Integer next = intAt(bytes, 132);
    // Fewer code bytes than the length needs: zeros take the shortest
    // path in no tree, so the expander runs out of code.
    setInt(bytes, 136, (next - 144) * 8);
    const QString file = path("garbled.VOZ");
    WriteFileBytes(file, bytes);
    TQRPageList loaded;
    loaded.LoadFromFile(file);
    EXPECT_THROW(loaded.GetPageData(1), EReadError);
    EXPECT_EQ(loaded.GetPageData(3), pages_[2]);  // the others read on
    EXPECT_THROW(loaded.GetPageData(1), EReadError);
    EXPECT_EQ(loaded.GetPageData(2), pages_[1]);
}

TEST_F(QRDamagedFileTest, CodeThatIsNoMetafileIsReportedWhenThePageIsRead) {
    QByteArray bytes = goodFile(true);
    const Integer next = intAt(bytes, 132);
    // Page 1's code, expanded to fewer bytes than its metafile states.
    setInt(bytes, 136, intAt(bytes, 136) - 1);
    const QString file = path("short.VOZ");
    WriteFileBytes(file, bytes);
    TQRPageList loaded;
    loaded.LoadFromFile(file);
    try {
        loaded.GetPageData(1);
        ADD_FAILURE() << "no error";
    } catch (const EReadError& e) {
        EXPECT_TRUE(e.Message().contains("does not expand to a metafile")) << e.what();
    }
    EXPECT_EQ(loaded.GetPageData(2), pages_[1]);
    EXPECT_EQ(intAt(bytes, next), 2);
}

TEST_F(QRDamagedFileTest, FilesTooShortOrMissingRaise) {
    const QString file = path("tiny.VOZ");
    WriteFileBytes(file, QByteArray(50, 'H'));
    TQRPageList loaded;
    EXPECT_THROW(loaded.LoadFromFile(file), EReadError);
    EXPECT_EQ(loaded.PageCount(), 0);
    EXPECT_THROW(loaded.LoadFromFile(path("missing.VOZ")), EFOpenError);
    EXPECT_EQ(loaded.PageCount(), 0);
    EXPECT_TRUE(loaded.GetPageData(1).isEmpty());

    QByteArray headerOnly = goodFile(false).left(128);
    WriteFileBytes(file, headerOnly);
    EXPECT_THROW(loaded.LoadFromFile(file), EReadError);  // it counts 4 pages
    EXPECT_EQ(loaded.PageCount(), 0);
    setInt(headerOnly, 8, 0);
    WriteFileBytes(file, headerOnly);
    loaded.LoadFromFile(file);
    EXPECT_EQ(loaded.PageCount(), 0);
    EXPECT_TRUE(loaded.GetPageData(1).isEmpty());
}

// The fuzz corpus of report files (the first byte of each is the harness's
// mode): whole files load with their pages, damaged ones raise a framework
// error and keep what comes before the damage.
TEST_F(QRStoreTest, CorruptFileCorpusLoadsOrFailsCleanly) {
    const QMap<QString, Integer> whole = {{"plain2", 2}, {"packed2", 2}, {"old124", 1}, {"old96", 1}, {"old120", 1}};
    QDirIterator it(QStringLiteral(VELMORA_SOURCE_DIR "/fuzz/corpus/report_file"), QDir::Files);
    int files = 0;
    while (it.hasNext()) {
        const QString name = QFileInfo(it.next()).fileName();
        const QByteArray input = ReadFileBytes(it.filePath());
        if (input.isEmpty() || input[0] % 2 != 0) continue;
        ++files;
        const QString file = path(name);
        WriteFileBytes(file, input.mid(1));
        TQRPageList list;
        bool failed = false;
        try {
            list.LoadFromFile(file);
        } catch (const Exception&) {
            failed = true;
        }
        EXPECT_LE(Int64(list.PageCount()) * 12, input.size()) << name.toStdString();
        if (whole.contains(name)) {
            EXPECT_FALSE(failed) << name.toStdString();
            EXPECT_EQ(list.PageCount(), whole[name]) << name.toStdString();
        }
        for (Integer n = 1; n <= list.PageCount(); ++n) {
            try {
                if (whole.contains(name))
                    EXPECT_TRUE(list.GetPage(n)) << name.toStdString() << " page " << n;
                else
                    EXPECT_GE(list.GetPageData(n).size(), 52) << name.toStdString() << " page " << n;
            } catch (const EReadError&) {
                EXPECT_FALSE(whole.contains(name)) << name.toStdString();
            }
        }
    }
    EXPECT_GE(files, 15);
}
