// Pixel spans of figures and regions, their arithmetic, runs of pixels and
// arc geometry for the canvas.
#include "GraphicsInternal.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace GraphicsRaster {

Spans RectSpans(const TRect& r, const TRect& window) {
    TRect inside;
    if (!IntersectRect(inside, r, window)) return {};
    Spans spans;
    spans.reserve(size_t(HeightOf(inside)));
    for (Integer y = inside.Top; y < inside.Bottom; ++y) spans.push_back({y, inside.Left, inside.Right});
    return spans;
}

namespace {

// Pixels cut off row `k` (counted from the nearer edge) by a corner ellipse
// of diameters cw x ch.
Int64 cornerInset(Int64 k, Int64 cw, Int64 ch) {
    const double a = cw / 2.0, b = ch / 2.0;
    const double dy = b - (k + 0.5);
    if (dy <= 0) return 0;
    const double half = a * std::sqrt(std::max(0.0, 1.0 - (dy / b) * (dy / b)));
    return std::max<Int64>(0, Int64(std::ceil(a - half - 0.5 - 1e-9)));
}

}  // namespace

Spans RoundRectSpans(const TRect& r, Int64 cornerWidth, Int64 cornerHeight, const TRect& window) {
    if (r.IsEmpty()) return {};
    const Int64 cw = std::clamp<Int64>(cornerWidth, 0, WidthOf(r));
    const Int64 ch = std::clamp<Int64>(cornerHeight, 0, HeightOf(r));
    if (cw < 2 || ch < 2) return RectSpans(r, window);
    Spans spans;
    const Integer top = std::max(r.Top, window.Top), bottom = std::min(r.Bottom, window.Bottom);
    for (Integer y = top; y < bottom; ++y) {
        const Int64 inset = cornerInset(std::min<Int64>(Int64(y) - r.Top, Int64(r.Bottom) - 1 - y), cw, ch);
        const Int64 x0 = std::max<Int64>(r.Left + inset, window.Left), x1 = std::min<Int64>(r.Right - inset, window.Right);
        if (x0 < x1) spans.push_back({y, Integer(x0), Integer(x1)});
    }
    return spans;
}

Spans EllipseSpans(const TRect& r, const TRect& window) {
    return RoundRectSpans(r, WidthOf(r), HeightOf(r), window);
}

Spans RegionSpans(const QRegion& region) {
    Spans spans;
    for (const QRect& rect : region)
        for (Integer y = rect.top(); y <= rect.bottom(); ++y) spans.push_back({y, rect.left(), rect.right() + 1});
    std::sort(spans.begin(), spans.end(),
              [](const Span& a, const Span& b) { return a.y != b.y ? a.y < b.y : a.x0 < b.x0; });
    return spans;
}

QRegion SpansRegion(const Spans& spans) {
    QRegion region;
    for (const Span& s : spans) region += QRect(s.x0, s.y, s.x1 - s.x0, 1);
    return region;
}

Spans Erode(const Spans& spans, Integer times) {
    QRegion r = SpansRegion(spans);
    for (Integer i = 0; i < times && !r.isEmpty(); ++i)
        r = r & r.translated(1, 0) & r.translated(-1, 0) & r.translated(0, 1) & r.translated(0, -1);
    return RegionSpans(r);
}

Spans Subtract(const Spans& a, const Spans& b) {
    return RegionSpans(SpansRegion(a) - SpansRegion(b));
}

Spans FloodSpans(const QImage& image, Integer x, Integer y, QRgb color, bool surface) {
    const Integer w = image.width(), h = image.height();
    auto fillable = [&](Integer px, Integer py) {
        const bool same = (image.pixel(px, py) & 0xFFFFFF) == (color & 0xFFFFFF);
        return surface ? same : !same;
    };
    if (!fillable(x, y)) return {};
    std::vector<bool> seen(size_t(w) * size_t(h), false);
    std::vector<TPoint> stack{{x, y}};
    Spans spans;
    while (!stack.empty()) {
        const TPoint p = stack.back();
        stack.pop_back();
        if (seen[size_t(p.Y) * size_t(w) + size_t(p.X)] || !fillable(p.X, p.Y)) continue;
        Integer x0 = p.X, x1 = p.X + 1;
        while (x0 > 0 && !seen[size_t(p.Y) * size_t(w) + size_t(x0 - 1)] && fillable(x0 - 1, p.Y)) --x0;
        while (x1 < w && !seen[size_t(p.Y) * size_t(w) + size_t(x1)] && fillable(x1, p.Y)) ++x1;
        for (Integer i = x0; i < x1; ++i) {
            seen[size_t(p.Y) * size_t(w) + size_t(i)] = true;
            if (p.Y > 0) stack.push_back({i, p.Y - 1});
            if (p.Y + 1 < h) stack.push_back({i, p.Y + 1});
        }
        spans.push_back({p.Y, x0, x1});
    }
    return RegionSpans(SpansRegion(spans));
}

// Halves round away from zero, as MulDiv does; the quotient is exact in a
// double for channel differences times any 32-bit index.
TColor GradientColor(TColor start, TColor end, Int64 index, Int64 count) {
    const TColor s = ColorToRGB(start), e = ColorToRGB(end);
    if (count <= 1) return s;
    auto channel = [&](int shift) {
        const Integer a = (s >> shift) & 0xFF, b = (e >> shift) & 0xFF;
        return Integer(a + std::llround(double(b - a) * double(index) / double(count - 1))) << shift;
    };
    return channel(0) | channel(8) | channel(16);
}

// ------------------------------------------------------------ runs

void RunPainter::Add(Integer x, Integer y, const QColor& color) {
    if (!run_.isNull() && color == color_) {
        if (run_.height() == 1 && y == run_.top() && x == run_.right() + 1) {
            run_.setRight(x);
            return;
        }
        if (run_.width() == 1 && x == run_.left() && y == run_.bottom() + 1) {
            run_.setBottom(y);
            return;
        }
    }
    Break();
    run_ = QRect(x, y, 1, 1);
    color_ = color;
}

void RunPainter::Break() {
    if (run_.isNull()) return;
    p_.fillRect(run_, color_);
    run_ = QRect();
}

void RunPainter::Fill(const Spans& spans, const QColor& color) {
    Break();
    for (const QRect& r : MergedRects(spans)) p_.fillRect(r, color);
}

// Rows are walked in order; a span continues the rectangle of the equal
// span on the row above, found by stepping through that row's spans.
std::vector<QRect> MergedRects(const Spans& spans) {
    std::vector<QRect> out;
    std::vector<std::pair<Span, size_t>> above, current;
    size_t j = 0;
    for (size_t i = 0; i < spans.size(); ++i) {
        const Span& s = spans[i];
        if (i == 0 || s.y != spans[i - 1].y) {
            above.clear();
            if (i > 0 && s.y == spans[i - 1].y + 1) above.swap(current);
            current.clear();
            j = 0;
        }
        while (j < above.size() && above[j].first.x0 < s.x0) ++j;
        if (j < above.size() && above[j].first.x0 == s.x0 && above[j].first.x1 == s.x1) {
            out[above[j].second].setBottom(s.y);
            current.push_back({s, above[j].second});
        } else {
            out.push_back(QRect(s.x0, s.y, s.x1 - s.x0, 1));
            current.push_back({s, out.size() - 1});
        }
    }
    return out;
}

// ------------------------------------------------------------ arcs

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

double normalizedAngle(double a) {
    a = std::fmod(a, kTwoPi);
    return a < 0 ? a + kTwoPi : a;
}

}  // namespace

ArcGeometry::ArcGeometry(const TRect& box, TPoint start, TPoint end)
    : cx_((double(box.Left) + box.Right) / 2),
      cy_((double(box.Top) + box.Bottom) / 2),
      a_(WidthOf(box) / 2.0),
      b_(HeightOf(box) / 2.0) {
    start_ = normalizedAngle(std::atan2(cy_ - start.Y, start.X - cx_));
    const double endAngle = normalizedAngle(std::atan2(cy_ - end.Y, end.X - cx_));
    span_ = normalizedAngle(endAngle - start_);
    full_ = start == end || span_ < 1e-12;
    if (full_) span_ = kTwoPi;
}

bool ArcGeometry::inside(double px, double py, bool chord) const {
    if (full_) return true;
    if (chord) {
        // Left of the chord from the end point back to the start point (y up).
        const QPointF ps = boundary(start_), pe = boundary(start_ + span_);
        const double x = px - cx_, y = cy_ - py;
        return (ps.x() - pe.x()) * (y - pe.y()) - (ps.y() - pe.y()) * (x - pe.x()) >= 0;
    }
    const double angle = normalizedAngle(std::atan2(cy_ - py, px - cx_) - start_);
    return angle <= span_;
}

Spans ArcGeometry::Clip(const Spans& spans, bool chord) const {
    if (full_) return spans;
    Spans out;
    for (const Span& s : spans) {
        std::optional<Integer> runStart;
        for (Int64 x = s.x0; x <= s.x1; ++x) {
            const bool in = x < s.x1 && inside(double(x) + 0.5, s.y + 0.5, chord);
            if (in && !runStart) runStart = Integer(x);
            if (!in && runStart) {
                out.push_back({s.y, *runStart, Integer(x)});
                runStart.reset();
            }
        }
    }
    return out;
}

// The point where the radial at angle meets the ellipse, relative to the
// centre with y up.
QPointF ArcGeometry::boundary(double angle) const {
    const double c = std::cos(angle), s = std::sin(angle);
    const double denom = std::sqrt((b_ * c) * (b_ * c) + (a_ * s) * (a_ * s));
    const double r = denom > 0 ? a_ * b_ / denom : 0;
    return {r * c, r * s};
}

QRegion FrameArea(const QRegion& region, Integer width, Integer height) {
    QRegion inner = region;
    for (Integer i = 0; i < std::max(width, 1); ++i) inner = inner & inner.translated(1, 0) & inner.translated(-1, 0);
    for (Integer i = 0; i < std::max(height, 1); ++i) inner = inner & inner.translated(0, 1) & inner.translated(0, -1);
    return region - inner;
}

}  // namespace GraphicsRaster
