// ResampleBitmap: area average of the bilinear surface through the source
// pixel centres, in double precision, rounded half to even.
#include "DirectoryView.h"

#include "ComCtrls.h"
#include "SysUtils.h"

#include <cmath>
#include <memory>
#include <vector>

namespace {

// The integral of the bilinear surface over a rectangle splits into one
// weight per source column times one per source row: over the covered part
// [lo, hi] of a cell the left pixel weighs the integral of (1 - u), the right
// one that of u. So the picture is scaled along x, then along y.
struct Tap {
    Integer index;
    double weight;
};

// For every destination index along an axis, the source pixels it reads
// and their weights (edge pixels repeat: their weights add up).
struct AxisTaps {
    std::vector<Tap> taps;
    std::vector<size_t> start;  // taps of index i: start[i] .. start[i + 1]
};

// The indices of a destination pixel's taps never decrease (cells run
// left to right, clamping keeps the order): a repeat can only be the last
// tap. Searching them all made a large shrink quadratic.
void AddTap(std::vector<Tap>& taps, size_t first, Integer index, double weight) {
    if (taps.size() > first && taps.back().index == index) taps.back().weight += weight;
    else taps.push_back({index, weight});
}

AxisTaps TapsOf(Integer sourceSize, Integer destSize) {
    AxisTaps axis;
    const double scale = double(sourceSize) / destSize;
    const Integer last = sourceSize - 1;
    axis.start.reserve(size_t(destSize) + 1);
    for (Integer i = 0; i < destSize; ++i) {
        const size_t first = axis.taps.size();
        axis.start.push_back(first);
        const double from = i * scale - 0.5;
        // The excess keeps an interval ending on a whole coordinate out of the next cell.
        const double to = (i + 1) * scale - 0.500001;
        for (Integer cell = Integer(std::floor(from)); cell <= Integer(std::floor(to)); ++cell) {
            const double lo = std::max(from - cell, 0.0);
            const double hi = std::min(to - cell, 1.0);
            const double length = hi - lo;
            const double middle = (lo + hi) / 2;
            AddTap(axis.taps, first, std::clamp(cell, 0, last), length * (1 - middle));
            AddTap(axis.taps, first, std::clamp(cell + 1, 0, last), length * middle);
        }
    }
    axis.start.push_back(axis.taps.size());
    return axis;
}

// One row scaled along x: three sums per destination column.
template <class T>
void FilterRow(const T* row, const AxisTaps& columns, Integer width, double* out) {
    for (Integer x = 0; x < width; ++x) {
        double b = 0, g = 0, r = 0;
        for (size_t t = columns.start[size_t(x)]; t < columns.start[size_t(x) + 1]; ++t) {
            const T* p = row + columns.taps[t].index * 3;
            const double w = columns.taps[t].weight;
            b += w * p[0];
            g += w * p[1];
            r += w * p[2];
        }
        out[size_t(x) * 3] = b;
        out[size_t(x) * 3 + 1] = g;
        out[size_t(x) * 3 + 2] = r;
    }
}


struct Scaling {
    const std::vector<const Byte*>& sourceRows;
    const std::vector<Byte*>& destRows;
    const AxisTaps& columns;
    const AxisTaps& rows;
    Integer width;
    Integer newWidth;
    Integer newHeight;
    double area;
    TProgressBar* progress;
};

// The averages rounded into a destination row. Adding and taking away
// 1.5 x 2^52 leaves no fraction bits: the sum is rounded half to even, as
// nearbyint does, without a library call. Two plain loops: the first one
// (divisions and rounding) runs on whole vectors of doubles.
void Store(std::vector<double>& sums, double area, Byte* out) {
    constexpr double kShift = 6755399441055744.0;
    for (double& v : sums) v = std::clamp((v / area + kShift) - kShift, 0.0, 255.0);
    for (size_t i = 0; i < sums.size(); ++i) out[i] = Byte(int(sums[i]));
}

// Source rows scaled along x, each once, then combined along y. The rows a
// destination row reads are a run that only moves down, so a ring of the
// longest run holds them.
void AlongXFirst(const Scaling& s) {
    const AxisTaps& rows = s.rows;
    size_t ring = 1;
    for (Integer y = 0; y < s.newHeight; ++y) {
        const size_t first = rows.start[size_t(y)], end = rows.start[size_t(y) + 1];
        ring = std::max(ring, size_t(rows.taps[end - 1].index - rows.taps[first].index + 1));
    }
    const size_t stride = size_t(s.newWidth) * 3;
    std::vector<double> filtered(ring * stride);
    std::vector<double> sums(stride);
    Integer nextRow = 0;
    for (Integer y = 0; y < s.newHeight; ++y) {
        if (s.progress) s.progress->StepIt();
        const size_t first = rows.start[size_t(y)], end = rows.start[size_t(y) + 1];
        nextRow = std::max(nextRow, rows.taps[first].index);
        for (; nextRow <= rows.taps[end - 1].index; ++nextRow)
            FilterRow(s.sourceRows[size_t(nextRow)], s.columns, s.newWidth, &filtered[size_t(nextRow) % ring * stride]);
        std::fill(sums.begin(), sums.end(), 0.0);
        for (size_t t = first; t < end; ++t) {
            const double weight = rows.taps[t].weight;
            const double* row = &filtered[size_t(rows.taps[t].index) % ring * stride];
            for (size_t i = 0; i < stride; ++i) sums[i] += weight * row[i];
        }
        Store(sums, s.area, s.destRows[size_t(y)]);
    }
}

// For each destination row the source rows it covers combined along y, then
// that one row scaled along x (the cheaper order when shrinking).
void AlongYFirst(const Scaling& s) {
    const size_t sourceStride = size_t(s.width) * 3;
    std::vector<double> combined(sourceStride);
    std::vector<double> sums(size_t(s.newWidth) * 3);
    for (Integer y = 0; y < s.newHeight; ++y) {
        if (s.progress) s.progress->StepIt();
        std::fill(combined.begin(), combined.end(), 0.0);
        for (size_t t = s.rows.start[size_t(y)]; t < s.rows.start[size_t(y) + 1]; ++t) {
            const double weight = s.rows.taps[t].weight;
            const Byte* row = s.sourceRows[size_t(s.rows.taps[t].index)];
            for (size_t i = 0; i < sourceStride; ++i) combined[i] += weight * row[i];
        }
        FilterRow(combined.data(), s.columns, s.newWidth, sums.data());
        Store(sums, s.area, s.destRows[size_t(y)]);
    }
}

}  // namespace

TBitmap* ResampleBitmap(TBitmap* Source, Integer NewWidth, Integer NewHeight, TProgressBar* Progress) {
    Assert(Source && !Source->Empty());
    if (NewWidth < 1 || NewHeight < 1)
        throw EInvalidGraphic(QStringLiteral("Invalid bitmap size %1 x %2").arg(NewWidth).arg(NewHeight));

    const QImage source = Source->Image().convertToFormat(QImage::Format_BGR888);
    const Integer width = source.width();
    const Integer height = source.height();
    auto result = std::make_unique<TBitmap>();
    result->SetPixelFormat(pf24bit);
    result->SetSize(NewWidth, NewHeight);
    if (result->Image().isNull())
        throw EInvalidGraphic(QStringLiteral("Bitmap of %1 x %2 pixels cannot be made").arg(NewWidth).arg(NewHeight));

    std::vector<const Byte*> sourceRows(static_cast<size_t>(height));
    for (Integer y = 0; y < height; ++y) sourceRows[size_t(y)] = source.constScanLine(y);
    std::vector<Byte*> destRows(static_cast<size_t>(NewHeight));
    for (Integer y = 0; y < NewHeight; ++y) destRows[size_t(y)] = static_cast<Byte*>(result->ScanLine(y));

    const AxisTaps columns = TapsOf(width, NewWidth);
    const AxisTaps rows = TapsOf(height, NewHeight);
    const double area = double(width) * height / NewWidth / NewHeight;

    if (Progress) {
        Progress->SetMin(0);
        Progress->SetPosition(0);
        Progress->SetMax(NewHeight - 1);
        Progress->SetStep(1);
    }
    const Scaling scaling{sourceRows, destRows, columns, rows, width, NewWidth, NewHeight, area, Progress};
    // Reading pixels by index along x costs more than running along whole
    // rows: scale along whichever axis makes fewer of those reads first.
    const double readsAlongXFirst = double(height) * columns.taps.size();
    const double readsAlongYFirst = double(NewHeight) * columns.taps.size();
    const double rowWorkXFirst = double(rows.taps.size()) * NewWidth;
    const double rowWorkYFirst = double(rows.taps.size()) * width;
    if (3 * readsAlongXFirst + rowWorkXFirst <= 3 * readsAlongYFirst + rowWorkYFirst) AlongXFirst(scaling);
    else AlongYFirst(scaling);
    if (Progress) Progress->SetPosition(0);
    result->Changed();
    return result.release();
}
