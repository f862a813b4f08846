// Start-up of the demonstration against a bare Qt program showing a window
// with a QTableWidget (startup_peer), both under one private Xvfb started
// here. Each start is timed from just before the process is spawned to the
// map of its first top-level window, which an X client of our own sees on
// the root window (the same watcher for both sides). The peak memory
// (VmHWM) is read once the window has been up for half a second; then the
// program is killed. A warm-up round, then rounds in turns (BenchSupport.h);
// the best of each side counts, the medians are shown beside.
//
// Usage: startup_bench [demo-executable [peer-executable]]
#include "BenchSupport.h"

#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRounds = 10;
constexpr int kSettleMs = 500;
constexpr int kMapTimeoutMs = 30000;

// The private X server, ended also when the bench fails.
pid_t serverPid = 0;

[[noreturn]] void Fail(const std::string& why) {
    std::fprintf(stderr, "startup_bench: %s\n", why.c_str());
    if (serverPid) kill(serverPid, SIGTERM);
    std::exit(1);
}

pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env, int stdoutFd) {
    std::vector<char*> argv, envp;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) Fail("cannot start " + args[0] + ": " + std::strerror(rc));
    return pid;
}

void Stop(pid_t pid, int signal = SIGKILL) {
    kill(pid, signal);
    waitpid(pid, nullptr, 0);
}

// A private Xvfb on a display it picks itself; ended with the bench.
class XServer {
public:
    XServer() {
        int fds[2];
        if (pipe(fds) != 0) Fail("pipe");
        fcntl(fds[0], F_SETFD, FD_CLOEXEC);
        const int devNull = open("/dev/null", O_WRONLY);
        pid_ = Spawn({"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x800x24", "-dpi",
                      "96", "-nolisten", "tcp"},
                     Environment(), devNull);
        serverPid = pid_;
        close(devNull);
        close(fds[1]);
        // The number comes in two writes, the digits then the line end:
        // closing the pipe in between ends the server.
        std::string number;
        while (number.empty() || number.back() != '\n') {
            char c = 0;
            pollfd p{fds[0], POLLIN, 0};
            if (poll(&p, 1, 10000) <= 0 || read(fds[0], &c, 1) != 1) Fail("Xvfb did not start");
            number += c;
        }
        close(fds[0]);
        display_ = ":" + std::to_string(std::atoi(number.c_str()));
    }
    // Ended, not killed: it removes its socket and lock, which a later
    // server picking a free display would otherwise trip over.
    ~XServer() { Stop(pid_, SIGTERM); }
    const std::string& Display() const { return display_; }

    // The environment without DISPLAY and the platform choice.
    static std::vector<std::string> Environment() {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e)
            if (std::strncmp(*e, "DISPLAY=", 8) != 0 && std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0)
                env.emplace_back(*e);
        return env;
    }

private:
    pid_t pid_ = 0;
    std::string display_;
};

// Sees every top-level window mapped on the server.
class MapWatcher {
public:
    explicit MapWatcher(const std::string& display) {
        for (int attempt = 0; attempt < 50; ++attempt) {
            if (connection_) xcb_disconnect(connection_);
            connection_ = xcb_connect(display.c_str(), nullptr);
            if (!xcb_connection_has_error(connection_)) break;
            usleep(100 * 1000);
        }
        if (xcb_connection_has_error(connection_)) Fail("cannot reach " + display);
        fcntl(xcb_get_file_descriptor(connection_), F_SETFD, FD_CLOEXEC);  // not the programs' own
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_request_check(connection_, xcb_change_window_attributes_checked(connection_, root, XCB_CW_EVENT_MASK, &mask));
        root_ = root;
    }
    ~MapWatcher() { xcb_disconnect(connection_); }

    // Waits until a top-level window is mapped or the program ends; false
    // when none came.
    bool WaitForMap(pid_t pid) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(kMapTimeoutMs);
        while (Clock::now() < deadline) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
                const bool mapped = IsTopLevelMap(event);
                std::free(event);
                if (mapped) return true;
            }
            if (waitpid(pid, nullptr, WNOHANG) == pid) return false;
            pollfd p{xcb_get_file_descriptor(connection_), POLLIN, 0};
            poll(&p, 1, 10);
        }
        return false;
    }
    // Forgets the events of the program before.
    void Drain() {
        Sync();
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) std::free(event);
    }

private:
    bool IsTopLevelMap(xcb_generic_event_t* event) const {
        if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY) return false;
        const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
        return map->event == root_ && !map->override_redirect;
    }
    void Sync() { std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr)); }

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
};

long PeakKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

struct Start {
    double ms;
    long peakKb;
};

struct Side {
    std::string exe;
    std::vector<Start> starts;
    double BestMs() const {
        double best = starts.front().ms;
        for (const auto& s : starts) best = std::min(best, s.ms);
        return best;
    }
    double MedianMs() const {
        std::vector<double> ms;
        for (const auto& s : starts) ms.push_back(s.ms);
        std::sort(ms.begin(), ms.end());
        const size_t n = ms.size();
        return n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    }
    long PeakKb() const {
        long peak = 0;
        for (const auto& s : starts) peak = std::max(peak, s.peakKb);
        return peak;
    }
};

Start Run(const Side& side, const XServer& server, MapWatcher& watcher) {
    auto env = XServer::Environment();
    env.push_back("DISPLAY=" + server.Display());
    env.push_back("QT_QPA_PLATFORM=xcb");
    const int devNull = open("/dev/null", O_WRONLY);
    watcher.Drain();
    const auto start = Clock::now();
    const pid_t pid = Spawn({side.exe}, env, devNull);
    close(devNull);
    if (!watcher.WaitForMap(pid)) {
        Stop(pid);
        Fail(side.exe + " showed no window");
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    usleep(kSettleMs * 1000);
    const long peak = PeakKb(pid);
    Stop(pid);
    return {ms, peak};
}

}  // namespace

int main(int argc, char** argv) {
    signal(SIGPIPE, SIG_IGN);  // a reader gone (| head) still lets the server end
    Side ours{argc > 1 ? argv[1] : STARTUP_DEMO, {}};
    Side peer{argc > 2 ? argv[2] : STARTUP_PEER, {}};
    XServer server;
    MapWatcher watcher(server.Display());
    // The warm-up brings files and fonts into the page cache.
    for (bench::Turns turns("start-up", kRounds); turns.Next();) {
        Side& first = turns.OursFirst() ? ours : peer;
        Side& second = turns.OursFirst() ? peer : ours;
        const Start a = Run(first, server, watcher);
        const Start b = Run(second, server, watcher);
        if (turns.WarmingUp()) continue;
        first.starts.push_back(a);
        second.starts.push_back(b);
    }
    bench::PrintRatio(bench::Format("start-up to the first mapped window: ours %.1f ms, QTableWidget %.1f ms, best of "
                                    "%d (medians %.1f ms and %.1f ms)",
                                    ours.BestMs(), peer.BestMs(), kRounds, ours.MedianMs(), peer.MedianMs()),
                      ours.BestMs() / peer.BestMs());
    bench::PrintRatio(bench::Format("peak memory %d ms after the map: ours %ld kB, QTableWidget %ld kB", kSettleMs,
                                    ours.PeakKb(), peer.PeakKb()),
                      double(ours.PeakKb()) / double(peer.PeakKb()));
    return 0;
}
