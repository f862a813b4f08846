// ResampleBitmap against QImage::scaled with smooth transformation, on the
// same 24-bit pictures, shrinking and enlarging at three sizes ten times
// the pixels apart. Each round scales once on each side, in turns
// (BenchSupport.h), and the two pictures must agree within kTolerance: the
// filters differ (ours averages the bilinear surface over each destination
// pixel, Qt averages boxes when shrinking and interpolates when enlarging),
// so they are equal only up to that. Qt spreads large scalings over a pool
// of threads, ours runs on the calling thread: the processor time of the
// process compares the work, the wall-clock time what a user waits; each
// has its ratio line.
#include "BenchSupport.h"
#include "DirectoryView.h"

#include <QtGui/QImage>

#include <cstdlib>
#include <memory>
#include <random>

namespace {

// The most one channel of one pixel may differ between the two pictures,
// and the most the channels may differ on average.
constexpr int kTolerance = 12;
constexpr double kMeanTolerance = 1.0;

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

struct Difference {
    int most = 0;
    double mean = 0;
};

Difference Measure(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB888);
    const QImage y = b.convertToFormat(QImage::Format_RGB888);
    Difference d;
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar* p = x.constScanLine(row);
        const uchar* q = y.constScanLine(row);
        for (int i = 0; i < x.width() * 3; ++i) {
            const int diff = std::abs(int(p[i]) - int(q[i]));
            d.most = std::max(d.most, diff);
            sum += diff;
        }
    }
    d.mean = sum / (double(x.width()) * x.height() * 3);
    return d;
}

// Checks the two pictures, keeping how much they differ in last.
auto Differ(Difference& last) {
    return [&last](const std::unique_ptr<TBitmap>& ours, const QImage& qt) {
        if (!ours || ours->Width() != qt.width() || ours->Height() != qt.height()) return std::string("the sizes differ");
        last = Measure(ours->Image(), qt);
        if (last.most <= kTolerance && last.mean <= kMeanTolerance) return std::string();
        return bench::Format("a channel differs by %d, %.2f on average", last.most, last.mean);
    };
}

// Short scalings get more rounds, so that a quiet moment is among them.
int RoundsFor(Int64 pixels) { return int(std::clamp<Int64>(30000000 / pixels, bench::kMinRounds, 200)); }

void Compare(const char* what, Integer width, Integer height, Integer newWidth, Integer newHeight,
             bench::Growth& growth) {
    auto source = Picture(width, height);
    const QImage image = source->Image();
    const std::string label = bench::Format("%s %dx%d -> %dx%d", what, width, height, newWidth, newHeight);
    const int rounds = RoundsFor(Int64(width) * height + Int64(newWidth) * newHeight);
    Difference d;
    const bench::Best best = bench::Compare(
        label, [&] { return std::unique_ptr<TBitmap>(ResampleBitmap(source.get(), newWidth, newHeight, nullptr)); },
        [&] { return image.scaled(newWidth, newHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation); },
        Differ(d), rounds);
    const std::string note = bench::Format("pictures within %d a channel, %.1f on average (at most %d, %.2f)",
                                           kTolerance, kMeanTolerance, d.most, d.mean);
    bench::PrintTimeRatio(label + ", wall clock", "Qt", best, rounds, false, note);
    bench::PrintTimeRatio(label + ", processor", "Qt", best, rounds, true, note);
    const double pixels = double(width) * height + double(newWidth) * newHeight;
    growth.Add(std::string("ours, ") + what, pixels, best.Ours.Cpu);
    growth.Add(std::string("Qt (processor time), ") + what, pixels, best.Peer.Cpu);
}

}  // namespace

int main() {
    bench::Growth growth;
    // Ten and a hundred times the pixels on both sides of each scaling.
    Compare("shrink", 632, 474, 200, 150, growth);
    Compare("shrink", 2000, 1500, 632, 474, growth);
    Compare("shrink", 6320, 4740, 2000, 1500, growth);
    Compare("enlarge", 64, 48, 200, 150, growth);
    Compare("enlarge", 200, 150, 632, 474, growth);
    Compare("enlarge", 632, 474, 2000, 1500, growth);
    growth.Print();
    return 0;
}
