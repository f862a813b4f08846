// TCanvas: targets, device-context state, clipping and figures. Text is in
// GraphicsText.cpp. Figures are rasterised here (spans of whole pixels),
// not by Qt's curve code, so that outlines are symmetric and repeatable.
#include "GraphicsInternal.h"

#include <QtGui/QPainter>
#include <QtGui/QPaintDevice>
#include <QtGui/QPaintEngine>

#include <algorithm>
#include <cmath>
#include <optional>

using namespace GraphicsRaster;

TCanvas::TCanvas()
    : font_(std::make_unique<TFont>()),
      pen_(std::make_unique<TPen>()),
      brush_(std::make_unique<TBrush>()),
      d_(std::make_unique<Impl>(*this)),
      copyMode_(0x00CC0020),
      bkMode_(OPAQUE),
      bkColor_(clWhite),
      textColor_(ColorToRGB(clWindowText)) {
    font_->OnChange = [this](TObject*) { d_->ObjectChanged(csFontValid); };
    pen_->OnChange = [this](TObject*) { d_->ObjectChanged(csPenValid); };
    brush_->OnChange = [this](TObject*) { d_->ObjectChanged(csBrushValid); };
}

TCanvas::~TCanvas() {
    Unbind();
    ReleaseHandle();
}

// The platform reselects an object into the device context when it
// changes: a solid brush sets an opaque background of its colour, other
// brushes a transparent one; the font sets the text colour.
void TCanvas::Impl::ObjectChanged(TCanvasStates what) {
    if (what == csFontValid) {
        // The same font selected again keeps its Qt font and metrics.
        if (!FontIsRecent()) {
            recent.reset();
            measures = nullptr;
        }
        c.textColor_ = ColorToRGB(c.font_->Color());
    } else if (what == csBrushValid) {
        const TColor rgb = ColorToRGB(c.brush_->Color());
        const bool solid = c.brush_->Style() == bsSolid;
        c.bkColor_ = solid ? rgb : (~rgb & 0xFFFFFF);
        c.bkMode_ = solid ? OPAQUE : TRANSPARENT;
    }
}

// ------------------------------------------------------------ targets

namespace {

// Pixels are placed exactly: no antialiasing of figures, text or images.
void noSmoothing(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
}

}  // namespace

void TCanvas::Bind(QPainter* painter, const TRect& clip) {
    Unbind();
    ReleaseHandle();
    if (!painter) return;
    painter->save();
    d_->painter = painter;
    std::optional<QRegion> area;
    if (painter->hasClipping()) area = painter->clipRegion();
    if (!clip.IsEmpty()) {
        const QRegion r(toQRect(clip));
        area = area ? *area & r : r;
    }
    d_->paintArea = area;
    d_->clip.reset();
    d_->saved.clear();
    font_->SetPixelsPerInch(PixelsPerInch());
    noSmoothing(*painter);
    d_->ApplyClip(*painter);
}

void TCanvas::Unbind() {
    if (!d_->painter || d_->own) return;
    d_->painter->restore();
    d_->painter = nullptr;
    d_->paintArea.reset();
    d_->clip.reset();
    d_->saved.clear();
}

void TCanvas::SetDevice(QPaintDevice* device) {
    Unbind();
    ReleaseHandle();
    d_->clip.reset();
    d_->saved.clear();
    device_ = device;
    font_->SetPixelsPerInch(PixelsPerInch());
}

void TCanvas::ReleaseHandle() {
    if (!d_->own) return;
    d_->own->end();
    d_->own.reset();
    d_->painter = nullptr;
}

bool TCanvas::HandleAllocated() const {
    return d_->painter != nullptr;
}

QPainter* TCanvas::Painter() {
    if (d_->painter || !device_) return d_->painter;
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(device_)) return nullptr;
    noSmoothing(*painter);
    d_->own = std::move(painter);
    d_->painter = d_->own.get();
    d_->ApplyClip(*d_->painter);
    return d_->painter;
}

QPainter* TCanvas::Prepared() {
    QPainter* p = Painter();
    if (p) {
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
        p->setBrushOrigin(brushOrigin_.X, brushOrigin_.Y);
    }
    return p;
}

Integer TCanvas::PixelsPerInch() const {
    const QPaintDevice* device = d_->painter ? d_->painter->device() : device_;
    return device ? device->logicalDpiY() : 96;
}

const QImage* TCanvas::RasterImage() const {
    const QPaintDevice* device = d_->painter ? d_->painter->device() : device_;
    if (!device || device->devType() != QInternal::Image) return nullptr;
    return static_cast<const QImage*>(device);
}

void TCanvas::SetBrushOrigin(TPoint origin) {
    brushOrigin_ = origin;
}

void TCanvas::Changing() {
    if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
    if (OnChange) OnChange(this);
}

// ------------------------------------------------------------ clipping

void TCanvas::Impl::ApplyClip(QPainter& p) const {
    std::optional<QRegion> effective = paintArea;
    if (clip) effective = effective ? *effective & *clip : *clip;
    if (effective) p.setClipRegion(*effective);
    // Only a change: a printer's painter writes every clip change into the page.
    else if (p.hasClipping()) p.setClipping(false);
}

TRect TCanvas::ClipRect() const {
    QRect box;
    const QPaintDevice* device = d_->painter ? d_->painter->device() : device_;
    if (device) box = QRect(0, 0, device->width(), device->height());
    if (d_->paintArea) box = d_->paintArea->boundingRect();
    if (d_->clip) box = box & d_->clip->boundingRect();
    return fromQRect(box);
}

void TCanvas::SelectClipRegion(const TRegion* region) {
    if (region) d_->clip = region->Area;
    else d_->clip.reset();
    if (QPainter* p = Painter()) d_->ApplyClip(*p);
}

void TCanvas::IntersectClipRect(const TRect& r) {
    const QRegion rect(toQRect(r));
    if (d_->clip) d_->clip = *d_->clip & rect;
    else if (d_->paintArea) d_->clip = *d_->paintArea & rect;
    else d_->clip = rect;
    if (QPainter* p = Painter()) d_->ApplyClip(*p);
}

void TCanvas::ExcludeClipRect(const TRect& r) {
    QRegion base = d_->clip ? *d_->clip : d_->paintArea ? *d_->paintArea : QRegion(toQRect(ClipRect()));
    d_->clip = base - QRegion(toQRect(r));
    if (QPainter* p = Painter()) d_->ApplyClip(*p);
}

Integer TCanvas::SaveDC() {
    auto state = std::make_unique<DCState>();
    state->textAlign = textAlign_;
    state->bkMode = bkMode_;
    state->bkColor = bkColor_;
    state->textColor = textColor_;
    state->penPos = penPos_;
    state->clip = d_->clip;
    state->font.Assign(font_.get());
    state->pen.Assign(pen_.get());
    state->brush.Assign(brush_.get());
    d_->saved.push_back(std::move(state));
    return Integer(d_->saved.size());
}

bool TCanvas::RestoreDC(Integer level) {
    const Integer count = Integer(d_->saved.size());
    const Integer target = level < 0 ? count + level + 1 : level;
    if (target < 1 || target > count) return false;
    std::unique_ptr<DCState> state = std::move(d_->saved[size_t(target - 1)]);
    d_->saved.resize(size_t(target - 1));
    font_->Assign(&state->font);
    pen_->Assign(&state->pen);
    brush_->Assign(&state->brush);
    textAlign_ = state->textAlign;
    bkMode_ = state->bkMode;
    bkColor_ = state->bkColor;
    textColor_ = state->textColor;
    penPos_ = state->penPos;
    d_->clip = state->clip;
    if (d_->painter) d_->ApplyClip(*d_->painter);
    return true;
}

Cardinal TCanvas::SetTextAlign(Cardinal align) {
    return std::exchange(textAlign_, align);
}

Integer TCanvas::SetBkMode(Integer mode) {
    if (mode != TRANSPARENT && mode != OPAQUE) return 0;
    return std::exchange(bkMode_, mode);
}

TColor TCanvas::SetBkColor(TColor color) {
    return std::exchange(bkColor_, ColorToRGB(color));
}

TColor TCanvas::SetTextColor(TColor color) {
    return std::exchange(textColor_, ColorToRGB(color));
}

// ------------------------------------------------------------ pens and brushes

namespace {

QPainter::CompositionMode penComposition(TPenMode mode) {
    switch (mode) {
        case pmBlack: return QPainter::RasterOp_ClearDestination;
        case pmWhite: return QPainter::RasterOp_SetDestination;
        case pmNot: return QPainter::RasterOp_NotDestination;
        case pmNotCopy: return QPainter::RasterOp_NotSource;
        case pmMergePenNot: return QPainter::RasterOp_SourceOrNotDestination;
        case pmMaskPenNot: return QPainter::RasterOp_SourceAndNotDestination;
        case pmMergeNotPen: return QPainter::RasterOp_NotSourceOrDestination;
        case pmMaskNotPen: return QPainter::RasterOp_NotSourceAndDestination;
        case pmMerge: return QPainter::RasterOp_SourceOrDestination;
        case pmNotMerge: return QPainter::RasterOp_NotSourceAndNotDestination;
        case pmMask: return QPainter::RasterOp_SourceAndDestination;
        case pmNotMask: return QPainter::RasterOp_NotSourceOrNotDestination;
        case pmXor: return QPainter::RasterOp_SourceXorDestination;
        case pmNotXor: return QPainter::RasterOp_NotSourceXorDestination;
        default: return QPainter::CompositionMode_SourceOver;
    }
}

// On and off lengths, in pixels, of the 1-pixel pen styles.
std::vector<Integer> dashLengths(TPenStyle style) {
    switch (style) {
        case psDash: return {18, 6};
        case psDot: return {3, 3};
        case psDashDot: return {9, 6, 3, 6};
        case psDashDotDot: return {9, 3, 3, 3, 3, 3};
        default: return {};
    }
}

// Pictures and widgets (painted into a picture of the backing store) have
// pixels to combine with raster operations; printers and PDF have none.
bool hasRasterOps(const QPainter& p) {
    return p.paintEngine() && p.paintEngine()->type() == QPaintEngine::Raster;
}

}  // namespace

// Pen width 0 draws as 1; wider pens draw solid.
Integer TCanvas::Impl::PenPixels() const {
    return std::max<Integer>(1, c.pen_->Width());
}

void TCanvas::Impl::ApplyPenMode(QPainter& p) const {
    if (hasRasterOps(p)) p.setCompositionMode(penComposition(c.pen_->Mode()));
}

QBrush TCanvas::Impl::ToQBrush(TBrush* brush) const {
    if (brush->Style() == bsClear) return QBrush(Qt::NoBrush);
    if (brush->Bitmap() && !brush->Bitmap()->Empty()) return QBrush(brush->Bitmap()->Image());
    const QColor color = ToQColor(brush->Color());
    switch (brush->Style()) {
        case bsHorizontal: return QBrush(color, Qt::HorPattern);
        case bsVertical: return QBrush(color, Qt::VerPattern);
        case bsFDiagonal: return QBrush(color, Qt::FDiagPattern);
        case bsBDiagonal: return QBrush(color, Qt::BDiagPattern);
        case bsCross: return QBrush(color, Qt::CrossPattern);
        case bsDiagCross: return QBrush(color, Qt::DiagCrossPattern);
        default: return QBrush(color);
    }
}

void TCanvas::Impl::FillSpans(QPainter& p, const Spans& spans, TBrush* brush) const {
    if (!spans.empty()) FillRects(p, MergedRects(spans), brush);
}

// Hatches lie over the background colour when the background mode is opaque.
void TCanvas::Impl::FillRects(QPainter& p, const std::vector<QRect>& rects, TBrush* brush) const {
    const QBrush b = ToQBrush(brush);
    if (b.style() == Qt::NoBrush) return;
    const bool hatched = b.style() != Qt::SolidPattern && b.style() != Qt::TexturePattern;
    const QColor background = ToQColor(c.bkColor_);
    for (const QRect& r : rects) {
        if (hatched && c.bkMode_ == OPAQUE) p.fillRect(r, background);
        p.fillRect(r, b);
    }
}

// ------------------------------------------------------------ lines

// Steps a 1-pixel line, drawing the pen's dashes (gaps in the background
// colour when the background mode is opaque); dashPhase carries the pattern
// from segment to segment.
void TCanvas::Impl::StrokeLine(QPainter& p, TPoint from, TPoint to, bool includeEnd, Int64& dashPhase) const {
    const std::vector<Integer> dashes = dashLengths(c.pen_->Style());
    Integer period = 0;
    for (Integer n : dashes) period += n;
    const QColor on = ToQColor(c.pen_->Color());
    if (period == 0 && (from.X == to.X || from.Y == to.Y)) {
        // A solid line along an axis is one run of pixels.
        if (const QRect run = AxisLineRect(from, to, includeEnd, WorkArea()); !run.isEmpty()) p.fillRect(run, on);
        return;
    }
    const QColor off = ToQColor(c.bkColor_);
    const bool paintGaps = c.bkMode_ == OPAQUE;
    RunPainter runs(p);
    const Int64 steps = ForEachLinePixel(from, to, includeEnd, WorkArea(), [&](Integer x, Integer y, Int64 step) {
        bool lit = true;
        if (period > 0) {
            Int64 at = (dashPhase + step) % period;
            size_t i = 0;
            while (at >= dashes[i]) at -= dashes[i++];
            lit = i % 2 == 0;
        }
        if (lit) runs.Add(x, y, on);
        else if (paintGaps) runs.Add(x, y, off);
        else runs.Break();
    });
    if (period > 0) dashPhase = (dashPhase + steps) % period;
}

void TCanvas::Impl::StrokePolyline(const std::vector<TPoint>& points, bool closed, bool includeEnd) {
    if (points.empty() || c.pen_->Style() == psClear || c.pen_->Mode() == pmNop) return;
    QPainter* p = c.Prepared();
    if (!p) return;
    ApplyPenMode(*p);
    if (PenPixels() == 1) {
        Int64 phase = 0;
        for (size_t i = 1; i < points.size(); ++i)
            StrokeLine(*p, points[i - 1], points[i], includeEnd && !closed && i + 1 == points.size(), phase);
        if (closed && points.size() > 1) StrokeLine(*p, points.back(), points.front(), false, phase);
        return;
    }
    p->setPen(QPen(ToQColor(c.pen_->Color()), PenPixels(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p->setBrush(Qt::NoBrush);
    QPolygon poly;
    for (const TPoint& pt : points) poly << QPoint(pt.X, pt.Y);
    if (closed) p->drawPolygon(poly);
    else p->drawPolyline(poly);
}

void TCanvas::MoveTo(Integer x, Integer y) {
    penPos_ = {x, y};
}

void TCanvas::LineTo(Integer x, Integer y) {
    Changing();
    d_->StrokePolyline({penPos_, {x, y}}, false, false);
    penPos_ = {x, y};
    Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
    Changing();
    d_->StrokePolyline(points, false, false);
    if (!points.empty()) penPos_ = points.back();
    Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
    if (points.size() < 2) return;
    Changing();
    if (QPainter* p = Prepared()) {
        d_->ApplyPenMode(*p);
        QPolygon poly;
        for (const TPoint& pt : points) poly << QPoint(pt.X, pt.Y);
        const QBrush b = d_->ToQBrush(brush_.get());
        if (b.style() != Qt::NoBrush) {
            p->setPen(Qt::NoPen);
            if (b.style() != Qt::SolidPattern && b.style() != Qt::TexturePattern && bkMode_ == OPAQUE) {
                p->setBrush(ToQColor(bkColor_));
                p->drawPolygon(poly, Qt::OddEvenFill);
            }
            p->setBrush(b);
            p->drawPolygon(poly, Qt::OddEvenFill);
        }
    }
    d_->StrokePolyline(points, true, false);
    Changed();
}

// ------------------------------------------------------------ closed figures

// A figure's path runs through the pixel centres of its box (right and
// bottom exclusive): a pen w wide covers w/2 pixels outside the path and
// the rest inside; psInsideFrame keeps it all inside the box.
TRect TCanvas::Impl::OuterBox(const TRect& box) const {
    const Integer w = PenPixels();
    if (c.pen_->Style() == psInsideFrame || w == 1) return box;
    const auto moved = [](Integer v, Integer by) { return Integer(std::clamp<Int64>(Int64(v) + by, INT32_MIN, INT32_MAX)); };
    return TRect(moved(box.Left, -w / 2), moved(box.Top, -w / 2), moved(box.Right, (w - 1) / 2),
                 moved(box.Bottom, (w - 1) / 2));
}

// Fills the inside of a figure with the brush and its border with the pen.
// shape(box, grow) gives the figure's spans in box, its corners grown by
// grow pixels. Without a pen the figure is one pixel smaller on the right
// and bottom, as on the platform.
// Only the paintable area and a pen's width around it are worked out, so
// that a huge figure costs what its visible part costs.
TRect TCanvas::Impl::WorkArea() const {
    TRect area = c.ClipRect();
    area.Inflate(PenPixels() + 1, PenPixels() + 1);
    return area;
}

void TCanvas::Impl::DrawFigure(const TRect& box, const Shape& shape) {
    c.Changing();
    if (QPainter* p = c.Prepared()) {
        ApplyPenMode(*p);
        const bool outline = c.pen_->Style() != psClear && c.pen_->Mode() != pmNop;
        const TRect area = WorkArea();
        if (!outline) {
            FillSpans(*p, shape(TRect(box.Left, box.Top, box.Right - 1, box.Bottom - 1), -1, area), c.brush_.get());
        } else {
            const TRect outer = OuterBox(box);
            const Spans all = shape(outer, Integer(WidthOf(outer) - WidthOf(box)), area);
            const Spans inner = Erode(all, PenPixels());
            FillSpans(*p, inner, c.brush_.get());
            RunPainter(*p).Fill(Subtract(all, inner), ToQColor(c.pen_->Color()));
        }
    }
    c.Changed();
}

void TCanvas::Rectangle(Integer x1, Integer y1, Integer x2, Integer y2) {
    const TRect box = normalized(x1, y1, x2, y2);
    const bool styled = dashLengths(pen_->Style()).size() > 0 && d_->PenPixels() == 1;
    if (!styled || WidthOf(box) < 3 || HeightOf(box) < 3) {
        d_->DrawFigure(box, [](const TRect& r, Integer, const TRect& window) { return RectSpans(r, window); });
        return;
    }
    // Dashes run round the border.
    Changing();
    if (QPainter* p = Prepared()) {
        d_->ApplyPenMode(*p);
        d_->FillSpans(*p, RectSpans(TRect(box.Left + 1, box.Top + 1, box.Right - 1, box.Bottom - 1), d_->WorkArea()),
                      brush_.get());
    }
    d_->StrokePolyline({{box.Left, box.Top}, {box.Right - 1, box.Top}, {box.Right - 1, box.Bottom - 1},
                        {box.Left, box.Bottom - 1}},
                       true, false);
    Changed();
}

void TCanvas::RoundRect(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3) {
    const Integer cw = std::abs(x3), ch = std::abs(y3);
    d_->DrawFigure(normalized(x1, y1, x2, y2), [cw, ch](const TRect& r, Integer grow, const TRect& window) {
        return RoundRectSpans(r, Int64(cw) + grow, Int64(ch) + grow, window);
    });
}

void TCanvas::Ellipse(Integer x1, Integer y1, Integer x2, Integer y2) {
    d_->DrawFigure(normalized(x1, y1, x2, y2),
                   [](const TRect& r, Integer, const TRect& window) { return EllipseSpans(r, window); });
}

// A pie, or with chord a chord: the border of the cut figure holds its
// radial or chord lines.
void TCanvas::Impl::ArcFigure(bool chord, const TRect& box, TPoint start, TPoint end) {
    const ArcGeometry arc(box, start, end);
    DrawFigure(box, [&](const TRect& r, Integer, const TRect& window) {
        return arc.Clip(EllipseSpans(r, window), chord);
    });
}

void TCanvas::Pie(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4) {
    d_->ArcFigure(false, normalized(x1, y1, x2, y2), {x3, y3}, {x4, y4});
}

void TCanvas::Chord(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4) {
    d_->ArcFigure(true, normalized(x1, y1, x2, y2), {x3, y3}, {x4, y4});
}

// ------------------------------------------------------------ fills

void TCanvas::FillRect(const TRect& r) {
    if (r.IsEmpty()) return;
    Changing();
    TRect inside;
    if (QPainter* p = Prepared(); p && IntersectRect(inside, r, d_->WorkArea()))
        d_->FillRects(*p, {toQRect(inside)}, brush_.get());
    Changed();
}

void TCanvas::FrameRect(const TRect& r) {
    if (r.IsEmpty()) return;
    Changing();
    if (QPainter* p = Prepared()) {
        const Spans all = RectSpans(r, d_->WorkArea());
        d_->FillSpans(*p, Subtract(all, Erode(all, 1)), brush_.get());
    }
    Changed();
}

void TCanvas::DrawFocusRect(const TRect& r) {
    if (r.IsEmpty()) return;
    Changing();
    if (QPainter* p = Prepared(); p && hasRasterOps(*p)) {
        p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        const Spans all = RectSpans(r, d_->WorkArea());
        RunPainter runs(*p);
        for (const Span& s : Subtract(all, Erode(all, 1)))
            for (Integer x = s.x0; x < s.x1; ++x) {
                if ((x + s.y) % 2 == 0) runs.Add(x, s.y, QColor(Qt::white));
                else runs.Break();
            }
    }
    Changed();
}

void TCanvas::FillRegion(const TRegion& region, TBrush* brush) {
    Changing();
    if (QPainter* p = Prepared()) d_->FillSpans(*p, RegionSpans(region.Area), brush ? brush : brush_.get());
    Changed();
}

void TCanvas::FrameRegion(const TRegion& region, TBrush* brush, Integer width, Integer height) {
    Changing();
    if (QPainter* p = Prepared())
        d_->FillSpans(*p, RegionSpans(FrameArea(region.Area, width, height)), brush ? brush : brush_.get());
    Changed();
}

// Only the lines inside the work area are painted, each cut to it.
void TCanvas::GradientFill(const TRect& r, TColor start, TColor end, TGradientDirection direction) {
    TRect visible;
    if (r.IsEmpty()) return;
    Changing();
    if (QPainter* p = Prepared(); p && IntersectRect(visible, r, d_->WorkArea())) {
        const bool horizontal = direction == gdHorizontal;
        const Int64 lines = horizontal ? WidthOf(r) : HeightOf(r);
        const Integer from = horizontal ? visible.Left : visible.Top, to = horizontal ? visible.Right : visible.Bottom;
        for (Integer at = from; at < to; ++at) {
            const Int64 i = Int64(at) - (horizontal ? r.Left : r.Top);
            const QRect line = horizontal ? QRect(at, visible.Top, 1, visible.Height())
                                          : QRect(visible.Left, at, visible.Width(), 1);
            p->fillRect(line, ToQColor(GradientColor(start, end, i, lines)));
        }
    }
    Changed();
}

void TCanvas::FloodFill(Integer x, Integer y, TColor color, TFillStyle style) {
    const QImage* image = RasterImage();
    if (!image || !image->rect().contains(x, y)) return;
    const Spans spans = FloodSpans(*image, x, y, ToQColor(color).rgb(), style == fsSurface);
    Changing();
    if (QPainter* p = Prepared()) d_->FillSpans(*p, spans, brush_.get());
    Changed();
}

void GradientFillCanvas(TCanvas* canvas, TColor startColor, TColor endColor, const TRect& r,
                        TGradientDirection direction) {
    if (canvas) canvas->GradientFill(r, startColor, endColor, direction);
}

// ------------------------------------------------------------ pixels and pictures

TColor TCanvas::Pixel(Integer x, Integer y) const {
    const QImage* image = RasterImage();
    if (!image || !image->rect().contains(x, y)) return -1;
    return FromQColor(QColor(image->pixel(x, y)));
}

void TCanvas::SetPixel(Integer x, Integer y, TColor color) {
    Changing();
    if (QPainter* p = Prepared()) p->fillRect(QRect(x, y, 1, 1), ToQColor(color));
    Changed();
}

void TCanvas::Draw(Integer x, Integer y, TGraphic* graphic) {
    if (!graphic || graphic->Empty()) return;
    graphic->Draw(this, TRect(x, y, x + graphic->Width(), y + graphic->Height()));
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic) {
    if (!graphic || graphic->Empty()) return;
    graphic->Draw(this, r);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect) {
    if (!source) return;
    const QImage* image = source->RasterImage();
    if (!image) return;
    StretchImage(dest, image->copy(toQRect(sourceRect)), TRect(0, 0, sourceRect.Width(), sourceRect.Height()));
}

// A target wider or taller than a QRect holds is drawn by its part inside
// the work area, from the part of the source that maps onto it.
void TCanvas::StretchImage(const TRect& dest, const QImage& source, const TRect& sourceRect) {
    if (dest.IsEmpty() || source.isNull() || sourceRect.IsEmpty()) return;
    Changing();
    if (QPainter* p = Prepared()) {
        p->setRenderHint(QPainter::SmoothPixmapTransform, false);
        if (!source.hasAlphaChannel()) p->setCompositionMode(QPainter::CompositionMode_Source);
        TRect visible;
        if (WidthOf(dest) <= INT32_MAX && HeightOf(dest) <= INT32_MAX) {
            p->drawImage(toQRect(dest), source, toQRect(sourceRect));
        } else if (IntersectRect(visible, dest, d_->WorkArea())) {
            const double sx = double(WidthOf(sourceRect)) / double(WidthOf(dest));
            const double sy = double(HeightOf(sourceRect)) / double(HeightOf(dest));
            const QRectF part(sourceRect.Left + (double(visible.Left) - dest.Left) * sx,
                              sourceRect.Top + (double(visible.Top) - dest.Top) * sy, visible.Width() * sx,
                              visible.Height() * sy);
            p->drawImage(QRectF(toQRect(visible)), source, part);
        }
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    Changed();
}
