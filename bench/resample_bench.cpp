// ResampleBitmap against QImage::scaled with smooth transformation on the
// same pictures, in one run; prints the time ratios (ours / Qt) per case.
// Qt spreads large scalings over a pool of threads, ours runs on the calling
// thread: the CPU time of the process compares the work, the wall-clock
// time what a user waits.
// Usage: resample_bench [rounds]
#include "DirectoryView.h"

#include <QtGui/QImage>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <memory>
#include <random>

namespace {

using Clock = std::chrono::steady_clock;

// A smooth picture with some noise, so neither side meets flat areas only.
std::unique_ptr<TBitmap> Picture(Integer width, Integer height) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(width, height);
    std::mt19937 rng(5);
    for (Integer y = 0; y < height; ++y) {
        auto* row = static_cast<Byte*>(bitmap->ScanLine(y));
        for (Integer x = 0; x < width; ++x) {
            row[x * 3] = Byte(x * 255 / width);
            row[x * 3 + 1] = Byte(y * 255 / height);
            row[x * 3 + 2] = Byte(rng() & 63);
        }
    }
    bitmap->Changed();
    return bitmap;
}

struct Seconds {
    double wall;
    double cpu;
};

double CpuNow() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// The fastest of the rounds: the machine's other work only ever adds time.
template <class F>
Seconds SecondsFor(int rounds, F f) {
    f();  // warm up
    Seconds best{1e9, 1e9};
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        const double cpuStart = CpuNow();
        f();
        best.cpu = std::min(best.cpu, CpuNow() - cpuStart);
        best.wall = std::min(best.wall, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

void Compare(Integer width, Integer height, Integer newWidth, Integer newHeight, int rounds) {
    auto source = Picture(width, height);
    const QImage image = source->Image();
    long checksum = 0;
    const Seconds ours = SecondsFor(rounds, [&] {
        std::unique_ptr<TBitmap> scaled(ResampleBitmap(source.get(), newWidth, newHeight, nullptr));
        checksum += static_cast<const Byte*>(scaled->ScanLine(newHeight / 2))[0];
    });
    const Seconds qt = SecondsFor(rounds, [&] {
        const QImage scaled = image.scaled(newWidth, newHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        checksum += scaled.constScanLine(newHeight / 2)[0];
    });
    std::printf("%dx%d -> %dx%d: ours %.3f ms, Qt %.3f ms wall (checksum %ld), wall time ratio ours/Qt %.3f\n", width,
                height, newWidth, newHeight, ours.wall * 1000, qt.wall * 1000, checksum,
                ours.wall / qt.wall);
    std::printf("%dx%d -> %dx%d: ours %.3f ms, Qt %.3f ms CPU, CPU time ratio ours/Qt %.3f\n", width, height,
                newWidth, newHeight, ours.cpu * 1000, qt.cpu * 1000, ours.cpu / qt.cpu);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    Compare(2000, 1500, 640, 480, rounds);
    Compare(64, 64, 256, 256, rounds * 20);
    // Ten and a hundred times the pixels: the cost grows with the source and destination areas.
    Compare(200, 150, 64, 48, rounds * 100);
    Compare(640, 480, 203, 152, rounds * 10);
    Compare(32, 32, 8, 8, rounds * 1000);
    return 0;
}
