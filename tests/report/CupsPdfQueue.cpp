#include "CupsPdfQueue.h"

#include "SysUtils.h"
#include "TestSupport.h"

#include <QtCore/QDir>
#include <QtCore/QElapsedTimer>
#include <QtCore/QFile>
#include <QtCore/QRegularExpression>
#include <QtCore/QThread>

#include <dlfcn.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kScheduler = QStringLiteral("/usr/sbin/cupsd");
const QString kBackend = QStringLiteral("/usr/lib/cups/backend/cups-pdf");
const QString kPpd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
constexpr int kMinute = 60000;

// A CUPS tool's standard output (empty when it cannot run) and exit code.
QString Tool(const QString& program, const QStringList& arguments, int* exitCode = nullptr) {
    QProcess process;
    process.start(program, arguments);
    const bool done = process.waitForFinished(kMinute);
    if (!done) process.kill();
    process.waitForFinished();
    if (exitCode) *exitCode = done && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// Where cups-pdf puts this user's files: its "Out" setting.
QString CupsPdfFolder() {
    QString out = QStringLiteral("${HOME}/PDF");
    QFile config(QStringLiteral("/etc/cups/cups-pdf.conf"));
    if (config.open(QIODevice::ReadOnly))
        for (const QByteArray& line : config.readAll().split('\n'))
            if (line.startsWith("Out ")) out = QString::fromLocal8Bit(line.mid(4).trimmed());
    const passwd* user = getpwuid(getuid());
    return out.replace(QStringLiteral("${HOME}"), user ? QString::fromLocal8Bit(user->pw_dir) : QDir::homePath());
}

// libcups keeps the scheduler it found first: this makes it read
// CUPS_SERVER again, for Qt's printer list and for jobs.
void ForgetServer() {
    void* library = dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!library) return;
    if (auto set = reinterpret_cast<void (*)(const char*)>(dlsym(library, "cupsSetServer"))) set(nullptr);
    dlclose(library);
}

void WriteText(const QString& path, const QString& text) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(text.toUtf8());
}

}  // namespace

TCupsPdfQueue::TCupsPdfQueue() {
    FindRunningQueue();
    if (name_.isEmpty()) StartOwnQueue();
    outputFolder_ = CupsPdfFolder();
}

TCupsPdfQueue::~TCupsPdfQueue() {
    if (!scheduler_) return;
    scheduler_->terminate();
    if (!scheduler_->waitForFinished(10000)) scheduler_->kill();
    scheduler_->waitForFinished();
    server_.reset();
    ForgetServer();
}

void TCupsPdfQueue::FindRunningQueue() {
    static const QRegularExpression device(QStringLiteral("^device for (\\S+): cups-pdf:/"),
                                           QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = device.match(Tool(QStringLiteral("lpstat"), {QStringLiteral("-v")}));
    if (match.hasMatch()) name_ = match.captured(1);
}

void TCupsPdfQueue::StartOwnQueue() {
    if (geteuid() != 0) {
        missing_ = QStringLiteral("no cups-pdf queue runs, and only root can start one");
        return;
    }
    for (const QString& file : {kScheduler, kBackend, kPpd})
        if (!QFile::exists(file)) {
            missing_ = QStringLiteral("%1 is missing (scripts/install-deps.sh installs CUPS and cups-pdf)").arg(file);
            return;
        }
    missing_ = StartScheduler();
    if (!missing_.isEmpty()) return;
    int exitCode = -1;
    Tool(QStringLiteral("lpadmin"), {"-p", "PDF", "-E", "-v", "cups-pdf:/", "-P", kPpd}, &exitCode);
    if (exitCode != 0) missing_ = QStringLiteral("lpadmin could not add a cups-pdf queue");
    else name_ = QStringLiteral("PDF");
}

// cupsd in a folder of its own, listening on a socket there only. Its
// filters run as another user, who must reach the folder and its spool.
QString TCupsPdfQueue::StartScheduler() {
    folder_ = std::make_unique<QTemporaryDir>(TempFolder() + QStringLiteral("/velmora-cups-XXXXXX"));
    if (!folder_->isValid()) return QStringLiteral("no folder for cupsd: %1").arg(folder_->errorString());
    const QString root = folder_->path();
    ::chmod(QFile::encodeName(root).constData(), 0755);
    for (const char* sub : {"etc", "spool", "tmp", "cache", "state", "log"}) QDir(root).mkpath(QLatin1String(sub));
    ::chmod(QFile::encodeName(root + QStringLiteral("/tmp")).constData(), 01777);
    const QString socket = root + QStringLiteral("/cups.sock");
    WriteText(root + QStringLiteral("/etc/cupsd.conf"),
              QStringLiteral("Listen %1\nBrowsing No\n<Location />\n  Order allow,deny\n  Allow all\n</Location>\n")
                  .arg(socket));
    const QString files = QStringLiteral("ServerRoot %1/etc\nRequestRoot %1/spool\nTempDir %1/tmp\nCacheDir %1/cache\n"
                                         "StateDir %1/state\nPrintcap %1/printcap\nAccessLog %1/log/access_log\n"
                                         "ErrorLog %1/log/error_log\nPageLog %1/log/page_log\n")
                              .arg(root);
    WriteText(root + QStringLiteral("/etc/cups-files.conf"), files);
    scheduler_ = std::make_unique<QProcess>();
    scheduler_->start(kScheduler, {"-f", "-c", root + QStringLiteral("/etc/cupsd.conf"), "-s",
                                   root + QStringLiteral("/etc/cups-files.conf")});
    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(socket) && scheduler_->state() != QProcess::NotRunning && clock.elapsed() < kMinute)
        QThread::msleep(50);
    if (!QFile::exists(socket))
        return QStringLiteral("cupsd did not start: %1")
            .arg(QString::fromLocal8Bit(scheduler_->readAllStandardError()));
    server_ = std::make_unique<ScopedEnv>("CUPS_SERVER", socket);
    ForgetServer();
    return {};
}

QStringList TCupsPdfQueue::Output(const QString& title) const {
    const QDir folder(outputFolder_);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kMinute) {
        const QStringList names = folder.entryList({title + QStringLiteral("*.pdf")}, QDir::Files);
        if (!names.isEmpty() && Tool(QStringLiteral("lpstat"), {QStringLiteral("-o"), name_}).trimmed().isEmpty()) {
            QStringList files;
            for (const QString& name : names) files << folder.filePath(name);
            return files;
        }
        QThread::msleep(100);
    }
    return {};
}
