// Helpers shared by the test executables.
#pragma once

#include <QtCore/QString>

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>

class QImage;

// Folder under the build tree where tests leave pictures to look at.
QString TestOutputDir();
// Saves image as <TestOutputDir>/<name>.png and returns the path.
QString SaveTestImage(const QImage& image, const QString& name);
// Whether every pixel of image is the one colour rgb (0xRRGGBB).
bool IsOneColour(const QImage& image, unsigned rgb);

// Sets an environment variable for the life of the guard.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QString& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = QString::fromLocal8Bit(old), had_ = true;
        setenv(name, value.toLocal8Bit().constData(), 1);
    }
    ~ScopedEnv() {
        if (had_) setenv(name_, old_.toLocal8Bit().constData(), 1);
        else unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    QString old_;
    bool had_ = false;
};

// Files of this process may not grow past bytes while the guard lives: a
// write past it fails (EFBIG) as on a full disk, with no signal.
class FileSizeLimit {
public:
    explicit FileSizeLimit(long long bytes) : handler_(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = rlim_t(bytes);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, handler_);
    }

private:
    rlimit old_{};
    void (*handler_)(int);
};
