// TStream, TMemoryStream and TFileStream.
#include "Classes.h"

#include <QtCore/QFile>
#include <QtCore/QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>

namespace {

const QString kReadError = QStringLiteral("Stream read error");
const QString kWriteError = QStringLiteral("Stream write error");

QString fullName(const QString& fileName) { return QFileInfo(fileName).absoluteFilePath(); }

}  // namespace

// ------------------------------------------------------------ TStream

Int64 TStream::Size() {
    const Int64 pos = Seek(0, soCurrent);
    const Int64 size = Seek(0, soEnd);
    Seek(pos, soBeginning);
    return size;
}

void TStream::SetSize(Int64) {}

QByteArray TStream::ReadToEnd() {
    constexpr Int64 kMax = std::numeric_limits<Integer>::max();
    const Int64 remaining = std::max<Int64>(Size() - Position(), 0);
    if (remaining > kMax) throw EReadError(kReadError);
    QByteArray bytes(qsizetype(remaining), '\0');
    ReadBuffer(bytes.data(), Integer(remaining));
    // A stream that cannot tell its size (the files of /proc report none)
    // is read on until it ends.
    char chunk[65536];
    for (Integer n; (n = Read(chunk, Integer(sizeof chunk))) > 0;) {
        if (bytes.size() + n > kMax) throw EReadError(kReadError);
        bytes.append(chunk, n);
    }
    return bytes;
}

void TStream::ReadBuffer(void* buffer, Integer count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError(kReadError);
}

void TStream::WriteBuffer(const void* buffer, Integer count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError(WriteErrorMessage());
}

QString TStream::WriteErrorMessage() {
    return kWriteError;
}

Int64 TStream::CopyFrom(TStream& source, Int64 count) {
    if (count <= 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    constexpr Integer chunk = 0xF000;
    QByteArray buffer(qsizetype(std::min<Int64>(count, chunk)), '\0');
    for (Int64 left = count; left > 0;) {
        const Integer n = Integer(std::min<Int64>(left, chunk));
        source.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.constData(), n);
        left -= n;
    }
    return count;
}

QByteArray TStream::ReadBytes(Integer count) {
    QByteArray bytes(qsizetype(std::max(count, 0)), '\0');
    bytes.truncate(std::max(Read(bytes.data(), Integer(bytes.size())), 0));
    return bytes;
}

void TStream::WriteBytes(const QByteArray& bytes) {
    if (bytes.size() > std::numeric_limits<Integer>::max()) throw EWriteError(kWriteError);
    WriteBuffer(bytes.constData(), Integer(bytes.size()));
}

// ------------------------------------------------------------ TMemoryStream

Integer TMemoryStream::Read(void* buffer, Integer count) {
    if (position_ < 0 || count <= 0) return 0;
    const Int64 available = Int64(data_.size()) - position_;
    if (available <= 0) return 0;
    const Integer n = Integer(std::min<Int64>(available, count));
    std::memcpy(buffer, data_.constData() + position_, size_t(n));
    position_ += n;
    return n;
}

Integer TMemoryStream::Write(const void* buffer, Integer count) {
    if (position_ < 0 || count <= 0 || position_ > std::numeric_limits<Int64>::max() - count) return 0;
    const Int64 end = position_ + count;
    // A write past the end fills the gap with zeros.
    if (end > Int64(data_.size())) SetSize(end);
    std::memcpy(data_.data() + position_, buffer, size_t(count));
    position_ = end;
    return count;
}

Int64 TMemoryStream::Seek(Int64 offset, TSeekOrigin origin) {
    const Int64 base = origin == soBeginning ? 0 : origin == soCurrent ? position_ : Int64(data_.size());
    Int64 target = 0;
    if (__builtin_add_overflow(base, offset, &target) || target < 0) return -1;
    position_ = target;
    return position_;
}

void TMemoryStream::SetSize(Int64 size) {
    if (size < 0 || size > std::numeric_limits<qsizetype>::max())
        throw EStreamError(QStringLiteral("Invalid stream size (%1)").arg(size));
    const qsizetype old = data_.size();
    try {
        data_.resize(qsizetype(size));
    } catch (const std::bad_alloc&) {
        throw EStreamError(QStringLiteral("Out of memory while expanding memory stream"));
    }
    if (data_.size() > old) std::memset(data_.data() + old, 0, size_t(data_.size() - old));
    if (position_ > size) position_ = size;
}

void TMemoryStream::Clear() {
    data_.clear();
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
    stream.SetPosition(0);
    const QByteArray bytes = stream.ReadToEnd();
    SetSize(bytes.size());
    if (!bytes.isEmpty()) std::memcpy(data_.data(), bytes.constData(), size_t(bytes.size()));
}

void TMemoryStream::SaveToStream(TStream& stream) {
    if (data_.size() > std::numeric_limits<Integer>::max()) throw EWriteError(kWriteError);
    stream.WriteBuffer(data_.constData(), Integer(data_.size()));
}

void TMemoryStream::LoadFromFile(const QString& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

void TMemoryStream::SaveToFile(const QString& fileName) {
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}

// ------------------------------------------------------------ TFileStream

// Share modes have no meaning here: Linux does not lock files on open.
TFileStream::TFileStream(const QString& fileName, Word mode) : fileName_(fileName) {
    const QByteArray path = QFile::encodeName(fileName);
    if ((mode & fmCreate) == fmCreate) {
        fd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd_ < 0)
            throw EFCreateError(FileCreateErrorMessage(fileName, errno));
        return;
    }
    int flags = -1;
    switch (mode & 0x0003) {
    case fmOpenRead: flags = O_RDONLY; break;
    case fmOpenWrite: flags = O_WRONLY; break;
    case fmOpenReadWrite: flags = O_RDWR; break;
    }
    fd_ = flags < 0 ? -1 : ::open(path.constData(), flags | O_CLOEXEC);
    int error = flags < 0 ? EINVAL : errno;
    // A folder opens for reading but is no file.
    struct stat st {};
    if (fd_ >= 0 && ::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        error = EISDIR;
    }
    if (fd_ < 0)
        throw EFOpenError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(fullName(fileName), SysErrorMessage(error)));
}

TFileStream::~TFileStream() {
    if (fd_ >= 0) ::close(fd_);
}

Integer TFileStream::Read(void* buffer, Integer count) {
    if (count <= 0) return 0;
    Integer done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd_, static_cast<char*>(buffer) + done, size_t(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += Integer(n);
    }
    return done;
}

Integer TFileStream::Write(const void* buffer, Integer count) {
    writeError_ = 0;
    if (count <= 0) return 0;
    Integer done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd_, static_cast<const char*>(buffer) + done, size_t(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) writeError_ = errno;
        if (n <= 0) break;
        done += Integer(n);
    }
    return done;
}

QString TFileStream::WriteErrorMessage() {
    if (writeError_ == 0) return TStream::WriteErrorMessage();
    return FileWriteErrorMessage(fileName_, writeError_);
}

Int64 TFileStream::Seek(Int64 offset, TSeekOrigin origin) {
    static constexpr int whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    return Int64(::lseek(fd_, off_t(offset), whence[origin]));
}

void TFileStream::SetSize(Int64 size) {
    if (size < 0 || ::ftruncate(fd_, off_t(size)) != 0)
        throw EStreamError(QStringLiteral("Cannot set the size of \"%1\". %2")
                               .arg(fullName(fileName_), SysErrorMessage(size < 0 ? EINVAL : errno)));
    Seek(size, soBeginning);
}
