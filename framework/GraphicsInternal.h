// Internals shared by the canvas sources: pixel spans and their arithmetic,
// line stepping, and the canvas's private state. Not for use outside
// framework/Graphics*.cpp and WindowsGdi.cpp.
#pragma once

#include "Graphics.h"

#include <QtGui/QFontMetrics>
#include <QtGui/QPainter>
#include <QtGui/QRawFont>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace GraphicsRaster {

// Pixels x0..x1-1 of row y.
struct Span {
    Integer y = 0;
    Integer x0 = 0;
    Integer x1 = 0;
};
// Ordered by row, then column; spans do not overlap.
using Spans = std::vector<Span>;

inline QRect toQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }
// The rectangle of two corners given in any order.
inline TRect normalized(Integer x1, Integer y1, Integer x2, Integer y2) {
    return TRect(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));
}
inline TRect fromQRect(const QRect& r) {
    return r.isNull() ? TRect() : TRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}

// Every figure's spans are worked out inside a window only (the area that
// can be painted), so that a figure of any size costs what its visible part
// costs; sizes are taken in 64 bits, as a box may span the whole Integer range.
constexpr TRect Everywhere(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
inline Int64 WidthOf(const TRect& r) { return Int64(r.Right) - r.Left; }
inline Int64 HeightOf(const TRect& r) { return Int64(r.Bottom) - r.Top; }

Spans RectSpans(const TRect& r, const TRect& window = Everywhere);
// A rectangle with corner ellipses cornerWidth x cornerHeight (diameters),
// sampled at pixel centres and symmetric about both axes of r.
Spans RoundRectSpans(const TRect& r, Int64 cornerWidth, Int64 cornerHeight, const TRect& window = Everywhere);
Spans EllipseSpans(const TRect& r, const TRect& window = Everywhere);
Spans RegionSpans(const QRegion& region);
QRegion SpansRegion(const Spans& spans);
// The pixels that keep all four neighbours inside, `times` times over.
Spans Erode(const Spans& spans, Integer times);
Spans Subtract(const Spans& a, const Spans& b);
// The spans as rectangles: equal spans on consecutive rows become one.
std::vector<QRect> MergedRects(const Spans& spans);
// The border of region, width pixels wide at the sides and height pixels
// at the top and bottom (at least one).
QRegion FrameArea(const QRegion& region, Integer width, Integer height);
// The 4-connected area at (x, y): pixels of `color` (surface) or pixels up
// to a border of `color` (border).
Spans FloodSpans(const QImage& image, Integer x, Integer y, QRgb color, bool surface);
// Colour `index` of `count` from start to end, channel by channel; the first
// is start and the last end.
TColor GradientColor(TColor start, TColor end, Int64 index, Int64 count);

// The steps [first, end) of a line that lie within window along its major
// axis: from `from`, `to` step `stepping` (1 or -1) of `steps` in all.
inline std::pair<Int64, Int64> StepsWithin(Int64 from, Int64 stepping, Int64 steps, Integer low, Integer high) {
    const Int64 a = stepping > 0 ? low - from : from - high + 1, b = stepping > 0 ? high - from : from - low + 1;
    return {std::clamp<Int64>(a, 0, steps), std::clamp<Int64>(b, 0, steps)};
}

// Calls f(x, y, i) for each pixel i of the line from `from` to `to` (0 is
// `from`), the end included only when includeEnd, skipping the steps that
// fall outside window along the line's major axis; the pixels visited are
// those the whole walk would visit. Returns the number of steps of the line.
template <typename F>
Int64 ForEachLinePixel(TPoint from, TPoint to, bool includeEnd, const TRect& window, F&& f) {
    const Int64 dx = std::abs(Int64(to.X) - from.X), dy = std::abs(Int64(to.Y) - from.Y);
    const Int64 sx = from.X < to.X ? 1 : -1, sy = from.Y < to.Y ? 1 : -1;
    const bool flat = dx >= dy;
    const Int64 major = flat ? dx : dy, minor = flat ? dy : dx;
    const Int64 steps = major + (includeEnd ? 1 : 0);
    const auto [first, end] = flat ? StepsWithin(from.X, sx, steps, window.Left, window.Right)
                                   : StepsWithin(from.Y, sy, steps, window.Top, window.Bottom);
    // After i steps the minor axis has moved k times, the smallest k that
    // keeps the error term (major / 2 - i * minor + k * major) at 0 or more;
    // i * minor may pass 64 bits.
    const __int128 behind = __int128(first) * minor - major / 2;
    Int64 moved = behind <= 0 ? 0 : Int64((behind + major - 1) / major);
    Int64 err = Int64(__int128(moved) * major - behind);
    for (Int64 i = first; i < end; ++i) {
        const Int64 along = (flat ? sx : sy) * i, across = (flat ? sy : sx) * moved;
        f(Integer(from.X + (flat ? along : across)), Integer(from.Y + (flat ? across : along)), i);
        err -= minor;
        if (err < 0) { ++moved; err += major; }
    }
    return steps;
}

// The pixels ForEachLinePixel visits on a line along an axis (from and to
// share a row or a column), as one rectangle.
inline QRect AxisLineRect(TPoint from, TPoint to, bool includeEnd, const TRect& window) {
    const bool flat = from.Y == to.Y;
    const Int64 start = flat ? from.X : from.Y, stop = flat ? to.X : to.Y;
    const Int64 stepping = start < stop ? 1 : -1;
    const Int64 steps = std::abs(stop - start) + (includeEnd ? 1 : 0);
    const auto [first, end] = flat ? StepsWithin(start, stepping, steps, window.Left, window.Right)
                                   : StepsWithin(start, stepping, steps, window.Top, window.Bottom);
    if (first >= end) return QRect();
    const Int64 low = stepping > 0 ? start + first : start - (end - 1);
    const int length = int(end - first);
    return flat ? QRect(int(low), from.Y, length, 1) : QRect(from.X, int(low), 1, length);
}

// Paints single pixels, merging neighbours of one colour on a row or a
// column into one rectangle.
class RunPainter {
public:
    explicit RunPainter(QPainter& p) : p_(p) {}
    ~RunPainter() { Break(); }
    void Add(Integer x, Integer y, const QColor& color);
    void Break();
    void Fill(const Spans& spans, const QColor& color);

private:
    QPainter& p_;
    QRect run_;
    QColor color_;
};

// An elliptic arc from the radial through `start` counter-clockwise to the
// radial through `end`, on the ellipse inscribed in box.
class ArcGeometry {
public:
    ArcGeometry(const TRect& box, TPoint start, TPoint end);
    // The pixels within the angle, or with chord those on the arc's side of
    // the chord.
    Spans Clip(const Spans& spans, bool chord) const;

private:
    bool inside(double px, double py, bool chord) const;
    QPointF boundary(double angle) const;
    double cx_, cy_, a_, b_, start_, span_;
    bool full_;  // equal radials: the whole ellipse
};

}  // namespace GraphicsRaster

// What SaveDC keeps.
struct TCanvas::DCState {
    Cardinal textAlign = 0;
    Integer bkMode = OPAQUE;
    TColor bkColor = clWhite;
    TColor textColor = clBlack;
    TPoint penPos;
    std::optional<QRegion> clip;
    TFont font;
    TPen pen;
    TBrush brush;
};

struct TCanvas::Impl {
    explicit Impl(TCanvas& canvas) : c(canvas) {}

    TCanvas& c;
    QPainter* painter = nullptr;         // the painter in use, bound or own
    std::unique_ptr<QPainter> own;       // opened on the device
    std::optional<QRegion> paintArea;    // what a bound painter may paint
    std::optional<QRegion> clip;         // narrowed by the clip calls
    std::vector<std::unique_ptr<DCState>> saved;
    struct RecentFont;
    // The thread's recent fonts, newest first.
    static std::vector<std::shared_ptr<RecentFont>>& RecentFonts();
    // The font's entry among the thread's recent fonts, its Qt font and its
    // metrics on the measuring device; all dropped when the font changes.
    struct Measures;
    std::shared_ptr<RecentFont> recent;
    const Measures* measures = nullptr;  // held by recent

    void ObjectChanged(TCanvasStates what);
    // The font's entry among the recent fonts is still the one held.
    bool FontIsRecent() const;
    void ApplyClip(QPainter& p) const;

    Integer PenPixels() const;
    void ApplyPenMode(QPainter& p) const;
    QBrush ToQBrush(TBrush* brush) const;
    void FillSpans(QPainter& p, const GraphicsRaster::Spans& spans, TBrush* brush) const;
    void FillRects(QPainter& p, const std::vector<QRect>& rects, TBrush* brush) const;
    void StrokeLine(QPainter& p, TPoint from, TPoint to, bool includeEnd, Int64& dashPhase) const;
    void StrokePolyline(const std::vector<TPoint>& points, bool closed, bool includeEnd);
    TRect OuterBox(const TRect& box) const;
    // The paintable area and the margin a pen's border needs around it.
    TRect WorkArea() const;
    // shape(box, grow, window) gives the figure's spans in box within window,
    // its corners grown by grow pixels.
    using Shape = std::function<GraphicsRaster::Spans(const TRect&, Integer, const TRect&)>;
    void DrawFigure(const TRect& box, const Shape& shape);
    void ArcFigure(bool chord, const TRect& box, TPoint start, TPoint end);

    const QFont& Font();
    bool DrawPlainGlyphs(QPainter& p, QPoint origin, const QString& text, const Integer* advances);
    const Measures& Measured();
    struct Placement;
    Placement Place(Integer x, Integer y, const QString& text, const Integer* dx, const std::vector<Integer>& own);
    // Each character's advance (a surrogate pair's at its first unit, 0 at its second).
    std::vector<Integer> AdvancesOf(const QString& text);
    const QPaintDevice* MeasuringDevice() const;
};
