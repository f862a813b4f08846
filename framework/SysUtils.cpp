// Strings, file names, format settings and assertions of the runtime routines.
// Numbers are in SysUtilsNumbers.cpp, Format/FormatFloat in SysUtilsFormat.cpp,
// dates in SysUtilsDates.cpp.
#include "SysUtils.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

QChar asciiUpper(QChar c) {
    return (c >= u'a' && c <= u'z') ? QChar(c.unicode() - 32) : c;
}

QChar asciiLower(QChar c) {
    return (c >= u'A' && c <= u'Z') ? QChar(c.unicode() + 32) : c;
}

bool isBlank(QChar c) { return c.unicode() <= 0x20; }

// Full-width letters and accented Latin letters change case as well; the
// length never changes (unlike QString::toUpper, which turns "ß" into "SS").
template <typename Map>
QString mapChars(const QString& s, Map map) {
    QString r = s;
    for (QChar& c : r) c = map(c);
    return r;
}

TFormatSettings& currentSettings() {
    static TFormatSettings settings = JapaneseFormatSettings();
    return settings;
}

}  // namespace

void Assert(bool cond, const QString& message) {
    if (cond) return;
    throw EAssertionFailed(message.isEmpty() ? QStringLiteral("アサートの失敗") : message);
}

// ------------------------------------------------------------ format settings

const TFormatSettings& FormatSettings() { return currentSettings(); }
void SetFormatSettings(const TFormatSettings& settings) { currentSettings() = settings; }
TFormatSettings JapaneseFormatSettings() { return TFormatSettings(); }

// -------------------------------------------------------------------- strings

QString Trim(const QString& s) { return TrimRight(TrimLeft(s)); }

QString TrimLeft(const QString& s) {
    qsizetype i = 0;
    while (i < s.size() && isBlank(s[i])) ++i;
    return s.mid(i);
}

QString TrimRight(const QString& s) {
    qsizetype n = s.size();
    while (n > 0 && isBlank(s[n - 1])) --n;
    return s.left(n);
}

QString UpperCase(const QString& s) { return mapChars(s, asciiUpper); }
QString LowerCase(const QString& s) { return mapChars(s, asciiLower); }
QString AnsiUpperCase(const QString& s) { return mapChars(s, [](QChar c) { return c.toUpper(); }); }
QString AnsiLowerCase(const QString& s) { return mapChars(s, [](QChar c) { return c.toLower(); }); }

Integer CompareText(const QString& a, const QString& b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int d = int(asciiUpper(a[i]).unicode()) - int(asciiUpper(b[i]).unicode());
        if (d != 0) return d;
    }
    return Integer(a.size() - b.size());
}

Integer CompareStr(const QString& a, const QString& b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int d = int(a[i].unicode()) - int(b[i].unicode());
        if (d != 0) return d;
    }
    return Integer(a.size() - b.size());
}

Integer AnsiCompareText(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive);
}

bool SameText(const QString& a, const QString& b) {
    return a.size() == b.size() && CompareText(a, b) == 0;
}

Integer Pos(const QString& sub, const QString& s) {
    if (sub.isEmpty()) return 0;
    return Integer(s.indexOf(sub) + 1);
}

QString Copy(const QString& s, Integer index, Integer count) {
    const Int64 start = std::max<Int64>(index, 1) - 1;
    if (count <= 0 || start >= s.size()) return QString();
    const Int64 n = std::min<Int64>(count, s.size() - start);
    return s.mid(qsizetype(start), qsizetype(n));
}

QString StringOfChar(QChar c, Integer count) {
    return count > 0 ? QString(count, c) : QString();
}

QString StringReplaceAll(const QString& s, const QString& from, const QString& to) {
    if (from.isEmpty()) return s;
    QString r = s;
    return r.replace(from, to);
}

QString QuotedStr(const QString& s) {
    QString r = s;
    r.replace(u'\'', QStringLiteral("''"));
    return u'\'' + r + u'\'';
}

// ----------------------------------------------------------------- file names

namespace {
qsizetype nameStart(const QString& path) { return path.lastIndexOf(u'/') + 1; }
qsizetype extStart(const QString& path) {
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot >= nameStart(path) ? dot : -1;
}
}  // namespace

QString ExtractFileName(const QString& path) { return path.mid(nameStart(path)); }
QString ExtractFilePath(const QString& path) { return path.left(nameStart(path)); }

QString ExtractFileExt(const QString& path) {
    const qsizetype dot = extStart(path);
    return dot < 0 ? QString() : path.mid(dot);
}

QString ChangeFileExt(const QString& path, const QString& ext) {
    const qsizetype dot = extStart(path);
    return (dot < 0 ? path : path.left(dot)) + ext;
}

QString IncludeTrailingPathDelimiter(const QString& path) {
    return path.endsWith(u'/') ? path : path + u'/';
}

bool FileExists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

bool DirectoryExists(const QString& path) { return QFileInfo(path).isDir(); }
bool DeleteFile(const QString& path) { return FileExists(path) && QFile::remove(path); }

QString SysErrorMessage(Integer errorCode) { return QString::fromLocal8Bit(std::strerror(errorCode)); }

QString TempFolder() {
    // Qt's temporary path is empty for a TMPDIR that does not exist, and
    // files made there would land in the root folder.
    const QByteArray chosen = qgetenv("TMPDIR");
    struct stat st {};
    if (!chosen.isEmpty() && ::stat(chosen.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
        ::access(chosen.constData(), W_OK | X_OK) == 0)
        return QDir::cleanPath(QFile::decodeName(chosen));
    return QStringLiteral("/tmp");
}

QString CreateTempFile(const QString& folder, const QString& pattern) {
    const qsizetype unique = pattern.lastIndexOf(QStringLiteral("XXXXXX"));
    const int suffix = unique < 0 ? 0 : int(QFile::encodeName(pattern.mid(unique + 6)).size());
    QByteArray path = QFile::encodeName(folder + u'/' + pattern);
    const int fd = ::mkostemps(path.data(), suffix, O_CLOEXEC);
    if (fd < 0)
        throw EFCreateError(
            QStringLiteral("Cannot create a temporary file in \"%1\". %2").arg(folder, SysErrorMessage(errno)));
    ::close(fd);
    return QFile::decodeName(path);
}

QString FileCreateErrorMessage(const QString& fileName, Integer error) {
    return QStringLiteral("Cannot create file \"%1\". %2")
        .arg(QFileInfo(fileName).absoluteFilePath(), SysErrorMessage(error));
}

QString FileWriteErrorMessage(const QString& fileName, Integer error) {
    return QStringLiteral("Cannot write to file \"%1\". %2")
        .arg(QFileInfo(fileName).absoluteFilePath(), SysErrorMessage(error));
}

TFileReplacement::TFileReplacement(const QString& target) : target_(QFileInfo(target).absoluteFilePath()) {
    QByteArray path = QFile::encodeName(target_) + ".XXXXXX";
    const int fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) throw EFCreateError(FileCreateErrorMessage(target_, errno));
    ::close(fd);
    fileName_ = QFile::decodeName(path);
}

TFileReplacement::~TFileReplacement() {
    if (!committed_) QFile::remove(fileName_);
}

void TFileReplacement::Commit() {
    const QFileDevice::Permissions permissions =
        QFile::exists(target_) ? QFile::permissions(target_)
                               : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                     QFileDevice::ReadOther;
    QFile::setPermissions(fileName_, permissions);
    if (std::rename(QFile::encodeName(fileName_).constData(), QFile::encodeName(target_).constData()) != 0)
        throw EFCreateError(FileCreateErrorMessage(target_, errno));
    committed_ = true;
}
