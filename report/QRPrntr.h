// The report printer's page store: the page coder, the stream that moves
// itself from memory to a temporary file, and the page list that lays the
// pages into that stream as linked records behind the report file header.
#pragma once

#include "Classes.h"
#include "SysUtils.h"

#include <QtCore/QByteArray>
#include <QtCore/QString>

#include <limits>
#include <memory>
#include <mutex>

class TMetafile;

// ------------------------------------------------------------ page coder

// Adaptive prefix coder over a semi-splay tree: every byte is sent as its
// path from the root, then the tree is semi-splayed. No header, no length,
// no end marker: the page record carries the uncompressed length. One
// object codes one page in one direction.
class TQRCompress : public TObject {
public:
    // Expanding reads at most codeLimit code bytes from stream; asking for
    // more bytes than those hold yields zero bits and sets Overrun.
    TQRCompress(TStream& stream, bool compress, Int64 codeLimit = std::numeric_limits<Int64>::max());
    // Compressing: writes the last partly filled code byte (see Finish).
    ~TQRCompress() override;

    void CompressByte(Byte c);
    Byte ExpandByte();
    void CompressBytes(const Byte* data, Int64 count);
    void ExpandBytes(Byte* data, Int64 count);

    // Compressing: writes out every pending code byte. Expanding: leaves the
    // stream right after the last code byte used. Errors of the stream pass
    // on from here; the destructor finishes quietly when this was not called.
    void Finish();
    bool Overrun() const { return overrun_; }

private:
    static constexpr int kChunk = 4096;

    // The work of CompressByte and ExpandByte, inlined into the loops.
    void CodeByte(Byte c);
    Byte DecodeByte();
    void EmitBits(quint64 bits, int count);
    void FlushOutput();
    void Refill();
    void LoadBits();

    TStream& stream_;
    bool compress_;
    bool finished_ = false;
    bool overrun_ = false;
    // child_[2n] is the left, child_[2n + 1] the right child of internal
    // node n. up_[m] of nodes 1..512 is 2 * parent + the side m hangs on
    // (kept up to date when compressing), so walking up reads one word.
    Word child_[512];
    Word up_[513];
    // Code bits not yet written (compressing) or not yet used (expanding),
    // the next one in the lowest bit.
    quint64 bits_ = 0;
    int bitCount_ = 0;
    // Code bytes go through this buffer, so the stream sees chunks.
    Byte buffer_[kChunk];
    int bufferPos_ = 0;
    int bufferEnd_ = 0;
    Int64 codeLeft_;
    // Expanding: bits taken so far from the bytes read, to give back the
    // bytes read ahead and not begun.
    Int64 bitsRead_ = 0;
    Int64 bitsUsed_ = 0;
};

// ------------------------------------------------------------ page stream

// A stream that lives in memory until its size passes MemoryLimit and then
// moves itself to a temporary file "VOZ…" in the system's temporary folder,
// deleted when the stream is freed. Every operation holds the stream's
// re-entrant lock.
class TQRStream : public TStream {
public:
    explicit TQRStream(Integer memoryLimit);
    // A report file opened read-only, in file mode for its whole life.
    static std::unique_ptr<TQRStream> CreateFromFile(const QString& fileName);
    ~TQRStream() override;

    Integer Read(void* buffer, Integer count) override;
    Integer Write(const void* buffer, Integer count) override;
    Int64 Seek(Int64 offset, TSeekOrigin origin) override;
    Int64 Size() override;
    void SetSize(Int64 size) override;

    // Copies the whole stream from its start in chunks of 10240 bytes.
    void SaveToStream(TStream& dest);

    void Lock() { lock_.lock(); }
    void Unlock() { lock_.unlock(); }

    Integer MemoryLimit() const { return memoryLimit_; }
    bool InMemory() const { return memory_ != nullptr; }
    const QString& TempFileName() const { return tempFileName_; }

private:
    TQRStream(Integer memoryLimit, std::unique_ptr<TFileStream> file);
    TStream& Inner();
    void MoveToFile();

    std::recursive_mutex lock_;
    std::unique_ptr<TMemoryStream> memory_;
    std::unique_ptr<TFileStream> file_;
    QString tempFileName_;
    Integer memoryLimit_;
};

// ------------------------------------------------------------ page list

// Pages as linked records behind the 128-byte report file header:
//   page number (i32) | offset after this record (i32) | body | record start (i32)
// The body is the page's metafile, or with compression its length (i32)
// followed by the coded bytes. Loaded files are checked record by record.
class TQRPageList : public TObject {
public:
    static constexpr Integer HeaderSize128 = 128;

    TQRPageList();
    ~TQRPageList() override;

    void AddPage(TMetafile& page);
    // Page n as a new metafile, or nullptr when there is no page n.
    std::unique_ptr<TMetafile> GetPage(Integer n);
    // A page as its metafile bytes (a whole EMF: its header's nBytes at
    // offset 48 is its length); an empty array when there is no page n.
    void AddPageData(const QByteArray& emf);
    QByteArray GetPageData(Integer n);

    void WriteFileHeader();
    void ReadFileHeader();
    // Opens a report file read-only. A damaged file keeps the pages before
    // the damage readable and raises EReadError saying where it is damaged.
    void LoadFromFile(const QString& fileName);
    // Writes a temporary file beside fileName and renames it into place, so
    // saving over the file the pages were loaded from keeps it whole.
    void SaveToFile(const QString& fileName);
    void Clear();

    Integer PageCount() const { return pageCount_; }
    bool Compression() const { return compression_; }
    void SetCompression(bool value) { compression_ = value; }
    Integer HeaderSize() const { return headerSize_; }

    // The page list owns its stream; the report printer gives it a fresh
    // one per document and may drop it (nullptr).
    TQRStream* Stream() const { return stream_.get(); }
    void SetStream(std::unique_ptr<TQRStream> stream);

private:
    struct Record {
        Integer number = 0;
        Int64 start = 0;
        Int64 next = 0;
    };

    TQRStream& RequireStream();
    Integer DetectHeaderSize();
    Integer CountRecords(QString& damage);
    bool ReadRecordAt(Int64 start, Record& record, Integer maxNumber);
    QString CheckBody(const Record& record);
    Record LocatePage(Integer n);
    QByteArray ReadBody(const Record& record);
    void WriteBody(const QByteArray& emf);

    std::recursive_mutex lock_;
    std::unique_ptr<TQRStream> stream_;
    bool compression_ = false;
    Integer pageCount_ = 0;
    Integer headerSize_ = HeaderSize128;
    // Start of the last record and end of the last record, so that a walk
    // never reads bytes past the pages known to be whole.
    Int64 lastRecord_ = 0;
    Int64 recordsEnd_ = HeaderSize128;
};
