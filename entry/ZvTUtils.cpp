// Start-up facts and the call-history log.
#include "ZvTUtils.h"

#include "SysInit.h"
#include "SysUtils.h"

#include <QtCore/QDateTime>
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QRegularExpression>

#include <sys/utsname.h>

// ------------------------------------------------------------ THistory

THistory::THistory() : lines_(std::make_unique<TStringList>()) {}

THistory::~THistory() = default;

void THistory::Push(const QString& Name) {
    if (!active_) return;
    lastTime_ = Now();
    const QString stamp = QLatin1Char('[') + FormatDateTime(QStringLiteral("yyyy/mm/dd hh:nn:ss.zzz"), lastTime_) +
                          QStringLiteral("] ");
    lines_->Add(stamp + QString(lines_->Count(), QLatin1Char(' ')) + Name);
}

void THistory::Pop() {
    if (active_ && lines_->Count() > 0) lines_->Delete(lines_->Count() - 1);
}

void THistory::GetItem(Integer Index, QString& S) const {
    S.clear();
    const Integer count = lines_->Count();
    if (!active_ || count == 0) return;
    if (Index >= count) Index = 0;
    S = lines_->Get(count - 1 - Index);
}

void THistory::GetMethodName(Integer Index, QString& S) const {
    QString line;
    GetItem(Index, line);
    S = line.mid(line.indexOf(QLatin1Char(']')) + 1);
    if (trimName_) S = TrimLeft(S);
}

void THistory::GetMethodTime(Integer Index, QString& S) const {
    QString line;
    GetItem(Index, line);
    S = line.left(line.indexOf(QLatin1Char(']')) + 1);
}

void THistory::List(QString& S) const {
    S.clear();
    if (!active_) return;
    QStringList lines{QStringLiteral("*** History Listing ***")};
    for (Integer i = 0; i < lines_->Count(); ++i) lines << lines_->Get(i);
    if (lines_->Count() == 0) lines << QString();
    S = lines.join(QStringLiteral("\r\n"));
}

// ------------------------------------------------------------ unit variables

THistory* ZvHistory = nullptr;
QString ZvTempDir;
QString ZvProgramDir;
QString ZvWindowsDir;
QString ZvSystemDir;
QString ZvExeDateTime;
QString ZvVersionStamp;
QString ZvOSName;

namespace {

void pushHistory(const QString& name) {
    if (ZvHistory) ZvHistory->Push(name);
}

void popHistory() {
    if (ZvHistory) ZvHistory->Pop();
}

// The folder part of a path without its trailing delimiter; the root keeps it.
QString folderOf(const QString& path) {
    QString dir = ExtractFilePath(path);
    if (dir.size() > 1 && dir.endsWith(QLatin1Char('/'))) dir.chop(1);
    return dir;
}

QString withDelimiter(const QString& s) {
    QString r;
    IncludeTrailingBackslash(s, r);
    return r;
}

// Each folder of the chain in the form the file system holds it.
QString longFolder(const QString& folder) {
    const QString parent = folderOf(folder);
    if (parent == folder || parent == QStringLiteral("//")) return folder;
    QString component;
    FindRealFileName(folder, faHidden | faSysFile | faDirectory, component);
    if (component.isEmpty()) {
        const QString prefix = withDelimiter(parent);
        component = folder.startsWith(prefix, Qt::CaseInsensitive) ? folder.mid(prefix.size()) : folder;
    }
    return withDelimiter(longFolder(parent)) + component;
}

}  // namespace

void ZvTUtilsInitialize() {
    if (ZvHistory) return;
    AddExitProc(ZvTUtilsFinalize);
    ZvHistory = new THistory;
    ZvHistory->SetActive(true);
    GetTempDir(ZvTempDir);
    QString program;
    ExpandLongPathName(folderOf(ExecutablePath()), program);
    IncludeTrailingBackslash(program, ZvProgramDir);
    GetWindowsDir(ZvWindowsDir);
    GetSystemDir(ZvSystemDir);
    GetVersionDateTime(ZvExeDateTime);
    QString digits = ZvExeDateTime;
    digits.remove(QRegularExpression(QStringLiteral("[/: ]")));
    ZvVersionStamp = QLatin1Char(' ') + Copy(digits, 3, 10);
    GetOSName();
    ZvHistory->Push(QStringLiteral("ZvTUtils"));
}

void ZvTUtilsFinalize() {
    if (!ZvHistory) return;
    ZvHistory->Pop();
    delete ZvHistory;
    ZvHistory = nullptr;
}

VELMORA_UNIT_START_UP(ZvTUtils, ZvTUtilsInitialize)

// ------------------------------------------------------------ routines

QString OSNameText(const QString& osRelease, const QString& kernelRelease) {
    QString name = QStringLiteral("Unknown");
    const QRegularExpression pretty(QStringLiteral("^PRETTY_NAME=(.*)$"), QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = pretty.match(osRelease);
    if (m.hasMatch()) {
        QString value = m.captured(1).trimmed();
        if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        value.replace(QStringLiteral("\\\""), QStringLiteral("\""));
        if (!value.isEmpty()) name = value;
    }
    const QRegularExpressionMatch v =
        QRegularExpression(QStringLiteral("^(\\d+)(?:\\.(\\d+))?(?:\\.(\\d+))?")).match(kernelRelease);
    const Integer major = v.captured(1).toInt(), minor = v.captured(2).toInt(), build = v.captured(3).toInt();
    return Format(QStringLiteral("%s (%d.%d %d) %s "), {name, major, minor, build, QString()});
}

Integer GetOSName() {
    ZvOSName = QStringLiteral("Unknown");
    utsname info{};
    if (uname(&info) != 0) return 0;
    QString osRelease;
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        QFile file(QString::fromLatin1(path));
        if (file.open(QIODevice::ReadOnly)) {
            osRelease = QString::fromUtf8(file.readAll());
            break;
        }
    }
    ZvOSName = OSNameText(osRelease, QString::fromLocal8Bit(info.release));
    return 0;
}

void DateTimeToStrIfSet(const QString& Format, TDateTime DT, QString& S) {
    S = DT >= 1000.0 ? FormatDateTime(Format, DT) : QString();
}

void IncludeTrailingBackslash(const QString& S, QString& R) {
    R = S.isEmpty() ? S : IncludeTrailingPathDelimiter(S);
}

void FindRealFileName(const QString& Path, Integer Attr, QString& R) {
    R.clear();
    const QFileInfo info(Path);
    if (!info.exists() || info.fileName().isEmpty()) return;
    if (info.isDir() && !(Attr & faDirectory)) return;
    if (info.isHidden() && !(Attr & faHidden)) return;
    R = info.fileName();
}

void ExpandLongPathName(const QString& Path, QString& R) {
    const QString longDir = longFolder(folderOf(Path));
    const QString name = ExtractFileName(Path);
    if (name.isEmpty()) {
        R = longDir;
        return;
    }
    QString found;
    FindRealFileName(Path, faAnyFile, found);
    R = withDelimiter(longDir) + found;
}

void GetTempDir(QString& R) {
    // Qt answers TMPDIR (else /tmp) resolved, or empty when it does not exist.
    R = QDir::tempPath();
    QString s = R;
    if (s.size() <= 1) return;
    if (s.endsWith(QLatin1Char('/'))) s.chop(1);
    ExpandLongPathName(s, s);
    // A folder gone meanwhile expands to its parent with the delimiter
    // already there: never double it.
    if (!s.isEmpty()) IncludeTrailingBackslash(s, R);
}

void GetWindowsDir(QString& R) {
    R.clear();
}

void GetSystemDir(QString& R) {
    R.clear();
}

QString ExecutablePath() {
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

void GetVersionDateTime(QString& R) {
    pushHistory(QStringLiteral("GetVersionDateTime"));
    R.clear();
    const QFileInfo info(ExecutablePath());
    if (info.exists()) {
        const QDateTime t = info.lastModified().toLocalTime();
        const QDate d = t.date();
        const QTime h = t.time();
        const QString text = Format(QStringLiteral("%.4d/%.2d/%.2d %.2d:%.2d:%.2d"),
                                    {d.year(), d.month(), d.day(), h.hour(), h.minute(), h.second()});
        TDateTime value = 0;
        if (TryStrToDateTime(text, value)) DateTimeToStrIfSet(QStringLiteral("yyyy/mm/dd hh:nn:ss"), value, R);
    }
    popHistory();
}
