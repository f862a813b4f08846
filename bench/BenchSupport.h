// What the benchmark programs share: ours and a peer doing the same job,
// timed in turns, and the lines they print.
//
// A comparison runs a warm-up round (not counted), then at least five
// rounds in which the two sides take turns, ours first in odd rounds and
// the peer first in even ones, so that neither always meets warm caches or
// a quiet machine; the best round of each side counts. Both sides' outputs
// are checked alike after every round, and a difference ends the program.
// Each comparison prints one line holding "ratio", its last figure ours /
// peer (below 1: ours is faster).
#pragma once

#include <QtCore/QCoreApplication>
#include <QtCore/QProcess>

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

namespace bench {

constexpr int kMinRounds = 5;

// Widgets draw off screen unless the caller named a platform (an X server
// to watch them on, say).
inline void OffscreenUnlessSet() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

// printf into a std::string.
inline std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
inline std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(size_t(std::max(length, 0)), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    return text;
}

// ------------------------------------------------------------ clocks and memory

// Processor time of every thread of the process: work a library spreads
// over a pool of threads counts in full.
inline double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

inline double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The highest resident set of the process so far, as getrusage counts it.
inline long PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The resident set now (VmRSS of /proc/self/status); 0 where unreadable.
inline long RssKb() {
    FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) return 0;
    char line[256];
    long kb = 0;
    while (std::fgets(line, sizeof line, status))
        if (std::strncmp(line, "VmRSS:", 6) == 0) kb = std::atol(line + 6);
    std::fclose(status);
    return kb;
}

// Runs this program again with args, a measurement in a process of its own
// (so that its peak memory is its own), and returns the figures of the
// "RESULT ..." line it printed; none when it printed none.
inline QList<QByteArray> RunChild(const QStringList& args) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), args);
    child.waitForFinished(-1);
    for (const QByteArray& line : child.readAllStandardOutput().split('\n'))
        if (line.startsWith("RESULT ")) return line.split(' ').mid(1);
    std::fprintf(stderr, "%s: the child gave no figures (exit %d)\n", qPrintable(args.join(u' ')),
                 child.exitCode());
    return {};
}

// Wall-clock and processor seconds of one run, or the least of several.
struct Times {
    double Wall = std::numeric_limits<double>::infinity();
    double Cpu = std::numeric_limits<double>::infinity();

    void KeepBest(const Times& t) {
        Wall = std::min(Wall, t.Wall);
        Cpu = std::min(Cpu, t.Cpu);
    }
};

template <class Work>
Times Measure(Work&& work) {
    const double wall = WallSeconds();
    const double cpu = CpuSeconds();
    work();
    return {WallSeconds() - wall, CpuSeconds() - cpu};
}

// The best times of both sides of one comparison.
struct Best {
    Times Ours;
    Times Peer;
    double WallRatio() const { return Ours.Wall / Peer.Wall; }
    double CpuRatio() const { return Ours.Cpu / Peer.Cpu; }
};

// ------------------------------------------------------------ rounds in turns

// The round loop, for comparisons of several steps a round (a step may
// leave the state the next one works on):
//     for (bench::Turns turns(label); turns.Next();) {
//         turns.Time(fill, [&] { ours.Fill(); }, [&] { peer.Fill(); });
//         turns.Check("fill", ours.Cells() == peer.Cells() ? "" : "the cells differ");
//         ...
//     }
class Turns {
public:
    // label names the comparison in a difference's message; rounds below
    // kMinRounds are raised to it.
    explicit Turns(std::string label, int rounds = kMinRounds)
        : label_(std::move(label)), rounds_(std::max(rounds, kMinRounds)) {}

    // Starts the next round: round 0 warms up, then 1..Rounds().
    bool Next() { return ++round_ <= rounds_; }
    int Round() const { return round_; }
    int Rounds() const { return rounds_; }
    bool WarmingUp() const { return round_ == 0; }
    bool OursFirst() const { return round_ % 2 == 1; }

    // Runs both sides in this round's order; their times count in best
    // after the warm-up.
    template <class Ours, class Peer>
    void Time(Best& best, Ours&& ours, Peer&& peer) {
        Times o, p;
        if (OursFirst()) {
            o = Measure(ours);
            p = Measure(peer);
        } else {
            p = Measure(peer);
            o = Measure(ours);
        }
        if (WarmingUp()) return;
        best.Ours.KeepBest(o);
        best.Peer.KeepBest(p);
    }

    // A non-empty difference ends the program with a message naming the
    // step and the round.
    void Check(const char* step, const std::string& difference) const {
        if (difference.empty()) return;
        std::fflush(stdout);
        std::fprintf(stderr, "%s, %s, round %d: the two sides differ: %s\n", label_.c_str(), step, round_,
                     difference.c_str());
        std::exit(1);
    }

private:
    std::string label_;
    int rounds_;
    int round_ = -1;
};

// One comparison of a single step: ours() and peer() each return what they
// made (a default-constructible value), and differ(oursOutput, peerOutput)
// says how the two differ (empty when they do not), after every round.
template <class Ours, class Peer, class Differ>
Best Compare(const std::string& label, Ours&& ours, Peer&& peer, Differ&& differ, int rounds = kMinRounds) {
    Best best;
    for (Turns turns(label, rounds); turns.Next();) {
        std::decay_t<decltype(ours())> oursOutput{};
        std::decay_t<decltype(peer())> peerOutput{};
        turns.Time(best, [&] { oursOutput = ours(); }, [&] { peerOutput = peer(); });
        turns.Check("output", differ(oursOutput, peerOutput));
    }
    return best;
}

// The differ of outputs with ==, shown with printf's format (one
// conversion) when they differ.
template <class T>
auto Equal(const char* format) {
    return [format](const T& ours, const T& peer) {
        return ours == peer ? std::string() : Format(format, ours) + " against " + Format(format, peer);
    };
}

// ------------------------------------------------------------ lines

// "12.3 us", "4.56 ms", "1.234 s".
inline std::string Duration(double seconds) {
    if (seconds < 1e-3) return Format("%.1f us", seconds * 1e6);
    if (seconds < 1) return Format("%.3f ms", seconds * 1e3);
    return Format("%.3f s", seconds);
}

// One comparison: "<what>, ratio <ours / peer>".
inline void PrintRatio(const std::string& what, double ratio) {
    std::printf("%s, ratio %.3f\n", what.c_str(), ratio);
    std::fflush(stdout);
}

// "<what>: ours <time>, <peer> <time>[, <note>], best of N, ratio <ours / peer>";
// cpu picks the processor times over the wall-clock ones.
inline void PrintTimeRatio(const std::string& what, const char* peer, const Best& best, int rounds, bool cpu = false,
                           const std::string& note = {}) {
    const double ours = cpu ? best.Ours.Cpu : best.Ours.Wall;
    const double theirs = cpu ? best.Peer.Cpu : best.Peer.Wall;
    PrintRatio(Format("%s: ours %s, %s %s%s%s, best of %d%s", what.c_str(), Duration(ours).c_str(), peer,
                      Duration(theirs).c_str(), note.empty() ? "" : ", ", note.c_str(), rounds,
                      cpu ? " (processor time)" : ""),
               ours / theirs);
}

// How times grow with the size of the work, per series, against the
// series' first size: "growth of <series> from <size>: 10x size 9.8x time; ...".
class Growth {
public:
    void Add(const std::string& series, double size, double seconds) {
        if (points_.find(series) == points_.end()) order_.push_back(series);
        points_[series].push_back({size, seconds});
    }
    void Print() const {
        for (const std::string& series : order_) {
            const auto& points = points_.at(series);
            if (points.size() < 2) continue;
            std::string line = Format("growth of %s from %.6g:", series.c_str(), points.front().first);
            for (size_t i = 1; i < points.size(); ++i)
                line += Format(" %.3gx size %.3gx time;", points[i].first / points.front().first,
                               points[i].second / points.front().second);
            std::printf("%s\n", line.c_str());
        }
        std::fflush(stdout);
    }

private:
    std::vector<std::string> order_;
    std::map<std::string, std::vector<std::pair<double, double>>> points_;
};

}  // namespace bench
