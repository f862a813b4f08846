// TQRStream and TQRPageList: the page store and the report file.
#include "QRPrntr.h"

#include "Metafile.h"

#include <QtCore/QFile>

#include <algorithm>
#include <cstring>

namespace {

using Guard = std::lock_guard<std::recursive_mutex>;

class StreamLock {
public:
    explicit StreamLock(TQRStream& stream) : stream_(stream) { stream_.Lock(); }
    ~StreamLock() { stream_.Unlock(); }
    StreamLock(const StreamLock&) = delete;
    StreamLock& operator=(const StreamLock&) = delete;

private:
    TQRStream& stream_;
};

constexpr Integer kCopyChunk = 10240;
constexpr Word kFormatCode = 3;
constexpr Word kFormatCode2 = 50;
constexpr int kFillerOffset = 26;
constexpr int kFillerSize = 100;
constexpr char kFiller = 'H';
constexpr int kEmfSizeOffset = 48;
constexpr int kEmfMinSize = 52;
// Record head (page number, next offset) and trailer.
constexpr Int64 kRecordOverhead = 12;
// "EMF" and the first byte of the version: they stand 41 bytes into the
// first page's EMF header, i.e. header size + 49 into the file.
constexpr char kEmfMark[4] = {'E', 'M', 'F', '\0'};
constexpr int kMarkDistance = 49;
constexpr struct {
    Int64 offset;
    Integer headerSize;
} kHeaderProbes[] = {{173, 124}, {169, 120}, {145, 96}, {177, 128}};
constexpr Int64 kMarkScanEnd = 1001;

Integer readInt(TStream& s) {
    quint32 v = 0;
    Byte b[4];
    s.ReadBuffer(b, 4);
    for (int i = 3; i >= 0; --i) v = (v << 8) | b[i];
    return Integer(v);
}

void writeInt(TStream& s, Integer value) {
    const quint32 v = quint32(value);
    const Byte b[4] = {Byte(v), Byte(v >> 8), Byte(v >> 16), Byte(v >> 24)};
    s.WriteBuffer(b, 4);
}

Integer intAt(const QByteArray& bytes, qsizetype at) {
    quint32 v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | Byte(bytes[at + i]);
    return Integer(v);
}

void putInt(QByteArray& bytes, qsizetype at, Integer value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = char(quint32(value) >> (8 * i));
}

QString damaged(Integer goodPages, const QString& what) {
    return QStringLiteral("The report file is damaged after page %1: %2").arg(goodPages).arg(what);
}

}  // namespace

// ============================================================ TQRStream

TQRStream::TQRStream(Integer memoryLimit)
    : memory_(std::make_unique<TMemoryStream>()), memoryLimit_(memoryLimit) {}

TQRStream::TQRStream(Integer memoryLimit, std::unique_ptr<TFileStream> file)
    : file_(std::move(file)), memoryLimit_(memoryLimit) {}

std::unique_ptr<TQRStream> TQRStream::CreateFromFile(const QString& fileName) {
    auto file = std::make_unique<TFileStream>(fileName, fmOpenRead | fmShareDenyNone);
    return std::unique_ptr<TQRStream>(new TQRStream(0, std::move(file)));
}

TQRStream::~TQRStream() {
    Guard guard(lock_);
    memory_.reset();
    file_.reset();
    if (!tempFileName_.isEmpty() && QFile::exists(tempFileName_)) QFile::remove(tempFileName_);
}

TStream& TQRStream::Inner() {
    if (memory_) return *memory_;
    return *file_;
}

Integer TQRStream::Read(void* buffer, Integer count) {
    Guard guard(lock_);
    return Inner().Read(buffer, count);
}

Integer TQRStream::Write(const void* buffer, Integer count) {
    Guard guard(lock_);
    const Integer written = Inner().Write(buffer, count);
    if (memory_ && memory_->Size() > memoryLimit_) MoveToFile();
    return written;
}

Int64 TQRStream::Seek(Int64 offset, TSeekOrigin origin) {
    Guard guard(lock_);
    return Inner().Seek(offset, origin);
}

Int64 TQRStream::Size() {
    Guard guard(lock_);
    return Inner().Size();
}

void TQRStream::SetSize(Int64 size) {
    Guard guard(lock_);
    Inner().SetSize(size);
}

void TQRStream::MoveToFile() {
    const QString name = CreateTempFile(TempFolder(), QStringLiteral("VOZXXXXXX.tmp"));
    // Until the copy is complete the pages stay in memory only.
    try {
        // The new file is empty: opened without truncating it, the file
        // system keeps its pages in memory instead of writing them out when
        // the file is closed, and deleting it does not wait for the disk.
        auto file = std::make_unique<TFileStream>(name, fmOpenReadWrite);
        const Int64 position = memory_->Position();
        memory_->SaveToStream(*file);
        file->Seek(position, soBeginning);
        file_ = std::move(file);
    } catch (...) {
        QFile::remove(name);
        throw;
    }
    tempFileName_ = name;
    memory_.reset();
}

QString TQRStream::WriteErrorMessage() {
    Guard guard(lock_);
    return Inner().WriteErrorMessage();
}

void TQRStream::SaveToStream(TStream& dest) {
    Guard guard(lock_);
    Seek(0, soBeginning);
    QByteArray chunk(kCopyChunk, '\0');
    for (Integer n; (n = Read(chunk.data(), kCopyChunk)) > 0;) dest.WriteBuffer(chunk.constData(), n);
}

// ============================================================ TQRPageList

TQRPageList::TQRPageList() = default;
TQRPageList::~TQRPageList() = default;

void TQRPageList::SetStream(std::unique_ptr<TQRStream> stream) {
    Guard guard(lock_);
    stream_ = std::move(stream);
    headerSize_ = HeaderSize128;
    lastRecord_ = 0;
    recordsEnd_ = HeaderSize128;
}

void TQRPageList::Clear() {
    Guard guard(lock_);
    pageCount_ = 0;
    lastRecord_ = 0;
    recordsEnd_ = headerSize_;
}

TQRStream& TQRPageList::RequireStream() {
    if (!stream_) throw EStreamError(QStringLiteral("The report has no page stream"));
    return *stream_;
}

// ------------------------------------------------------------ writing

void TQRPageList::WriteFileHeader() {
    Guard guard(lock_);
    TQRStream& s = RequireStream();
    StreamLock streamLock(s);
    QByteArray header(HeaderSize128, '\0');
    header[0] = char(kFormatCode);
    header[2] = char(kFormatCode2);
    putInt(header, 8, pageCount_);
    const double created = Now();
    std::memcpy(header.data() + 16, &created, sizeof created);
    header[25] = char(compression_ ? 1 : 0);
    std::memset(header.data() + kFillerOffset, kFiller, kFillerSize);
    s.Seek(0, soBeginning);
    s.WriteBytes(header);
}

void TQRPageList::AddPage(TMetafile& page) { AddPageData(page.Data()); }

void TQRPageList::AddPageData(const QByteArray& emf) {
    if (emf.size() < kEmfMinSize || intAt(emf, kEmfSizeOffset) != emf.size())
        throw EWriteError(QStringLiteral("A report page must be a whole metafile"));
    Guard guard(lock_);
    TQRStream& s = RequireStream();
    StreamLock streamLock(s);
    const Integer number = pageCount_ + 1;
    try {
        if (number == 1) {
            pageCount_ = 1;
            WriteFileHeader();
            s.SetSize(HeaderSize128);  // drop the pages of an earlier document
        }
        const Int64 start = std::max<Int64>(recordsEnd_, HeaderSize128);
        s.Seek(start, soBeginning);
        writeInt(s, number);
        writeInt(s, Integer(start + 4));
        WriteBody(emf);
        const Int64 end = s.Position() + 4;
        if (end > sizeLimit_)
            throw EOverflow(
                QStringLiteral("The report page store has grown past 2 GB at page %1; the pages before it are kept")
                    .arg(number));
        writeInt(s, Integer(start));
        s.Seek(start + 4, soBeginning);
        writeInt(s, Integer(end));
        s.Seek(end, soBeginning);
        pageCount_ = number;
        lastRecord_ = start;
        recordsEnd_ = end;
    } catch (...) {
        // The half-written record is dropped; the pages before it stay whole.
        pageCount_ = number - 1;
        try {
            s.SetSize(recordsEnd_);
        } catch (const std::exception&) {
        }
        throw;
    }
}

void TQRPageList::WriteBody(const QByteArray& emf) {
    TQRStream& s = *stream_;
    if (!compression_) {
        s.WriteBytes(emf);
        return;
    }
    writeInt(s, Integer(emf.size()));
    TQRCompress coder(s, true);
    coder.CompressBytes(reinterpret_cast<const Byte*>(emf.constData()), emf.size());
    coder.Finish();
}

// ------------------------------------------------------------ reading

bool TQRPageList::ReadRecordAt(Int64 start, Record& record, Integer maxNumber) {
    TQRStream& s = *stream_;
    if (start < headerSize_ || start > recordsEnd_ - kRecordOverhead) return false;
    s.Seek(start, soBeginning);
    record.start = start;
    record.number = readInt(s);
    record.next = readInt(s);
    if (record.number < 1 || record.number > maxNumber) return false;
    if (record.next < start + kRecordOverhead || record.next > recordsEnd_) return false;
    s.Seek(record.next - 4, soBeginning);
    return readInt(s) == start;
}

TQRPageList::Record TQRPageList::LocatePage(Integer n) {
    const QString broken = QStringLiteral("The report page store is damaged near page %1");
    Record at;
    const Int64 position = stream_->Position();
    if (n == 1 || !ReadRecordAt(position, at, pageCount_)) {
        // Page 1, or the stream stands at the end: start from the first or
        // the last record, whichever is nearer.
        const Int64 from = n == 1 || n <= pageCount_ / 2 ? headerSize_ : lastRecord_;
        if (!ReadRecordAt(from, at, pageCount_)) throw EReadError(broken.arg(n));
    }
    while (at.number != n) {
        Record step;
        Int64 from = at.next;
        if (n < at.number) {
            stream_->Seek(at.start - 4, soBeginning);
            from = at.start - 4 >= headerSize_ ? readInt(*stream_) : -1;
        }
        const Integer expected = n < at.number ? at.number - 1 : at.number + 1;
        if (!ReadRecordAt(from, step, pageCount_) || step.number != expected) throw EReadError(broken.arg(n));
        at = step;
    }
    return at;
}

QByteArray TQRPageList::ReadBody(const Record& record) {
    TQRStream& s = *stream_;
    const Int64 bodyStart = record.start + 8;
    const Int64 bodySize = record.next - 4 - bodyStart;
    const QString problem = CheckBody(record);
    if (!problem.isEmpty()) throw EReadError(QStringLiteral("Page %1: %2").arg(record.number).arg(problem));
    if (!compression_) {
        s.Seek(bodyStart + kEmfSizeOffset, soBeginning);
        const Integer length = readInt(s);
        s.Seek(bodyStart, soBeginning);
        return s.ReadBytes(length);
    }
    s.Seek(bodyStart, soBeginning);
    const Integer length = readInt(s);
    QByteArray page(length, '\0');
    TQRCompress coder(s, false, bodySize - 4);
    coder.ExpandBytes(reinterpret_cast<Byte*>(page.data()), length);
    coder.Finish();
    if (coder.Overrun())
        throw EReadError(QStringLiteral("Page %1: the compressed page ends too early").arg(record.number));
    if (intAt(page, kEmfSizeOffset) != length)
        throw EReadError(QStringLiteral("Page %1: the compressed page does not expand to a metafile").arg(record.number));
    return page;
}

// Empty when the body's stated length fits the record.
QString TQRPageList::CheckBody(const Record& record) {
    TQRStream& s = *stream_;
    const Int64 bodySize = record.next - kRecordOverhead - record.start;
    if (compression_) {
        if (bodySize < 4) return QStringLiteral("the compressed page has no length");
        s.Seek(record.start + 8, soBeginning);
        const Integer length = readInt(s);
        // Every byte costs at least one code bit.
        if (length < kEmfMinSize || Int64(length) > (bodySize - 4) * 8)
            return QStringLiteral("the compressed page states %1 bytes").arg(length);
        return {};
    }
    if (bodySize < kEmfMinSize) return QStringLiteral("the page is too short to hold a metafile");
    s.Seek(record.start + 8 + kEmfSizeOffset, soBeginning);
    const Integer length = readInt(s);
    if (length < kEmfMinSize || length > bodySize)
        return QStringLiteral("the metafile length %1 does not fit its record of %2 bytes").arg(length).arg(bodySize);
    return {};
}

QByteArray TQRPageList::GetPageData(Integer n) {
    Guard guard(lock_);
    if (n < 1 || n > pageCount_ || !stream_) return {};
    StreamLock streamLock(*stream_);
    const Record record = LocatePage(n);
    QByteArray page;
    try {
        page = ReadBody(record);
    } catch (...) {
        stream_->Seek(record.start, soBeginning);
        throw;
    }
    stream_->Seek(record.next, soBeginning);
    return page;
}

std::unique_ptr<TMetafile> TQRPageList::GetPage(Integer n) {
    const QByteArray bytes = GetPageData(n);
    if (bytes.isEmpty()) return nullptr;
    auto page = std::make_unique<TMetafile>();
    page->SetData(bytes);
    return page;
}

// ------------------------------------------------------------ report files

Integer TQRPageList::DetectHeaderSize() {
    TQRStream& s = *stream_;
    const Int64 size = s.Size();
    auto markAt = [&](Int64 offset) {
        if (offset + 4 > size) return false;
        char bytes[4];
        s.Seek(offset, soBeginning);
        s.ReadBuffer(bytes, 4);
        return std::memcmp(bytes, kEmfMark, 4) == 0;
    };
    for (const auto& probe : kHeaderProbes)
        if (markAt(probe.offset)) return probe.headerSize;
    const Int64 last = std::min(kMarkScanEnd, size - 4);
    s.Seek(0, soBeginning);
    const QByteArray head = s.ReadBytes(Integer(std::max<Int64>(last + 4, 0)));
    // A mark nearer the start than a record's head cannot follow a header.
    const qsizetype at = QByteArrayView(head).indexOf(QByteArrayView(kEmfMark, 4), kMarkDistance);
    return at >= 0 ? Integer(at - kMarkDistance) : HeaderSize128;
}

void TQRPageList::ReadFileHeader() {
    Guard guard(lock_);
    TQRStream& s = RequireStream();
    StreamLock streamLock(s);
    headerSize_ = DetectHeaderSize();
    s.Seek(0, soBeginning);
    const QByteArray raw = s.ReadBytes(headerSize_);
    if (raw.size() < headerSize_)
        throw EReadError(QStringLiteral("The report file is too short to hold its header"));
    QByteArray header = raw;
    if (headerSize_ == 124) {
        header = QByteArray(HeaderSize128, '\0');
        std::memcpy(header.data(), raw.constData(), 5);
        std::memcpy(header.data() + 8, raw.constData() + 8, 4);
        std::memcpy(header.data() + 16, raw.constData() + 12, 8);
        header[24] = raw[20];
        header[25] = raw[21];
        std::memcpy(header.data() + 26, raw.constData() + 22, 101);
    }
    // The count of the header, checked against the records; a 120-byte
    // header holds one page, the others none the links do not give.
    const bool counted = headerSize_ == HeaderSize128 || headerSize_ == 124;
    Integer stated = std::numeric_limits<Integer>::max();
    if (counted) {
        stated = intAt(header, 8);
        compression_ = header[25] == 1;
    } else if (headerSize_ == 120) {
        stated = 1;
    }
    QString damage;
    const Integer linked = CountRecords(damage);
    pageCount_ = std::clamp(stated, 0, linked);
    if (damage.isEmpty() && counted && stated != linked)
        damage = damaged(pageCount_, QStringLiteral("the header counts %1 pages, the file holds %2").arg(stated).arg(linked));
    if (pageCount_ < linked) {
        // Pages past the stated count are not part of the report.
        Record record;
        ReadRecordAt(headerSize_, record, linked);
        for (Integer i = 1; i < pageCount_; ++i) ReadRecordAt(record.next, record, linked);
        lastRecord_ = pageCount_ > 0 ? record.start : 0;
        recordsEnd_ = pageCount_ > 0 ? record.next : headerSize_;
    }
    s.Seek(recordsEnd_, soBeginning);
    if (!damage.isEmpty()) throw EReadError(damage);
}

// Follows the record links from the first record; stops at the first
// record that is not whole and tells why in damage.
Integer TQRPageList::CountRecords(QString& damage) {
    TQRStream& s = *stream_;
    const Int64 size = s.Size();
    recordsEnd_ = size;
    Int64 start = headerSize_;
    Int64 lastGood = 0;
    Integer count = 0;
    while (start < size) {
        Record record;
        if (!ReadRecordAt(start, record, count + 1) || record.number != count + 1) {
            damage = damaged(count, QStringLiteral("record %1 at offset %2 is broken").arg(count + 1).arg(start));
            break;
        }
        const QString body = CheckBody(record);
        if (!body.isEmpty()) {
            damage = damaged(count, QStringLiteral("page %1: %2").arg(count + 1).arg(body));
            break;
        }
        ++count;
        lastGood = start;
        start = record.next;
    }
    lastRecord_ = lastGood;
    recordsEnd_ = count > 0 ? start : headerSize_;
    return count;
}

void TQRPageList::LoadFromFile(const QString& fileName) {
    Guard guard(lock_);
    stream_.reset();
    pageCount_ = 0;
    SetStream(TQRStream::CreateFromFile(fileName));
    ReadFileHeader();
}

void TQRPageList::SaveToFile(const QString& fileName) {
    Guard guard(lock_);
    TQRStream& s = RequireStream();
    TFileReplacement replacement(fileName);
    {
        TFileStream file(replacement.FileName(), fmOpenWrite);
        try {
            s.SaveToStream(file);
        } catch (const EWriteError&) {
            // The temporary name means nothing to the caller: name the file.
            if (file.LastWriteError() == 0) throw;
            throw EWriteError(FileWriteErrorMessage(replacement.Target(), file.LastWriteError()));
        }
    }
    replacement.Commit();
    s.Seek(recordsEnd_, soBeginning);
}
