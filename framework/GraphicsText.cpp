// TCanvas text: measuring with whole-pixel, unkerned advances and output
// through ExtTextOut, the one text primitive.
#include "GraphicsInternal.h"

#include <QtGui/QFontMetrics>
#include <QtGui/QGlyphRun>
#include <QtGui/QPainter>
#include <QtGui/QTransform>

#include <algorithm>
#include <deque>
#include <numeric>
#include <unordered_map>

using namespace GraphicsRaster;

// ------------------------------------------------------------ fonts and measuring

// A font's metrics on a device of one resolution (x, y dots per inch).
// Qt finds the font's engine again for every question: what a canvas asks
// for every text is asked once.
struct TCanvas::Impl::Measures {
    Measures(QPoint resolution, const QFont& font, const QPaintDevice* device)
        : dpi(resolution), fm(font, const_cast<QPaintDevice*>(device)), ascent(fm.ascent()), descent(fm.descent()) {}

    Integer Advance(QChar ch) const {
        auto [it, added] = advances.try_emplace(ch.unicode(), 0);
        if (added) it->second = fm.horizontalAdvance(ch);
        return it->second;
    }

    QPoint dpi;
    QFontMetrics fm;
    Integer ascent, descent;
    mutable std::unordered_map<char16_t, Integer> advances;
};

// Qt fonts of the last few fonts, newest first, shared by the canvases of
// a thread: a font selected and restored around each text, or measured on
// a canvas made for one text, keeps its Qt font, the glyph engine that font
// has found and its metrics.
struct TCanvas::Impl::RecentFont {
    QString name;
    Integer height;
    TFontStyles style;
    TFontPitch pitch;
    Integer pixelsPerInch;
    QFont font;
    // By the measuring device's resolution; a deque keeps them in place.
    std::deque<Measures> measures;
    // Its first face, made when first drawn with.
    std::optional<QRawFont> raw;

    // What ToQFont reads of the font.
    bool Describes(const TFont& f) const {
        return name == f.Name() && height == f.Height() && style == f.Style() && pitch == f.Pitch() &&
               pixelsPerInch == f.PixelsPerInch();
    }
};

bool TCanvas::Impl::FontIsRecent() const {
    return recent && recent->Describes(*c.font_);
}

std::vector<std::shared_ptr<TCanvas::Impl::RecentFont>>& TCanvas::Impl::RecentFonts() {
    thread_local std::vector<std::shared_ptr<RecentFont>> fonts;
    return fonts;
}

const QFont& TCanvas::Impl::Font() {
    if (recent) return recent->font;
    const TFont& f = *c.font_;
    auto& recentFonts = RecentFonts();
    auto it = std::find_if(recentFonts.begin(), recentFonts.end(),
                           [&f](const std::shared_ptr<RecentFont>& r) { return r->Describes(f); });
    if (it == recentFonts.end()) {
        constexpr size_t Kept = 8;
        if (recentFonts.size() == Kept) recentFonts.pop_back();
        it = recentFonts.insert(recentFonts.begin(),
                                std::make_shared<RecentFont>(RecentFont{f.Name(), f.Height(), f.Style(), f.Pitch(),
                                                                        f.PixelsPerInch(), f.ToQFont(), {}, {}}));
    }
    recent = *it;
    return recent->font;
}

// The device text is measured for: the target's, or a 96-dpi image.
const QPaintDevice* TCanvas::Impl::MeasuringDevice() const {
    static const QImage reference = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(3780);
        return image;
    }();
    if (painter && painter->device()) return painter->device();
    if (c.device_) return c.device_;
    return &reference;
}

// Metrics depend on the font and on the device's resolution only.
const TCanvas::Impl::Measures& TCanvas::Impl::Measured() {
    const QPaintDevice* device = MeasuringDevice();
    const QPoint dpi(device->logicalDpiX(), device->logicalDpiY());
    if (measures && measures->dpi == dpi) return *measures;
    const QFont& font = Font();
    auto& known = recent->measures;
    auto it = std::find_if(known.begin(), known.end(), [&dpi](const Measures& m) { return m.dpi == dpi; });
    measures = it != known.end() ? &*it : &known.emplace_back(dpi, font, device);
    return *measures;
}

Integer TCanvas::TextWidth(const QString& text) {
    return TextExtent(text).cx;
}

// The cell height, whatever the text.
Integer TCanvas::TextHeight(const QString&) {
    const Impl::Measures& m = d_->Measured();
    return m.ascent + m.descent;
}

Integer TCanvas::TextAscent() {
    return d_->Measured().ascent;
}

Integer TCanvas::TextDescent() {
    return d_->Measured().descent;
}

Integer TCanvas::AverageCharWidth() {
    return d_->Measured().fm.averageCharWidth();
}

namespace {

// Texts longer than the Integer range reaches stop at its ends: nothing
// past them can be drawn or measured.
Integer clamped(Int64 value) {
    return Integer(std::clamp<Int64>(value, std::numeric_limits<Integer>::min(), std::numeric_limits<Integer>::max()));
}

QRect rectOf(Int64 left, Int64 top, Int64 width, Int64 height) {
    return QRect(QPoint(clamped(left), clamped(top)), QPoint(clamped(left + width - 1), clamped(top + height - 1)));
}

Integer sumOf(const Integer* advances, qsizetype count) {
    return clamped(std::accumulate(advances, advances + count, Int64(0)));
}

bool surrogatePairAt(const QString& text, qsizetype i) {
    return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
}

// Text the layout draws: as one string, or with advances of its own one
// character (or surrogate pair) at a time.
void drawLaidOut(QPainter& p, QPoint start, const QString& text, const Integer* dx) {
    if (!dx) {
        p.drawText(start, text);
        return;
    }
    Int64 pen = start.x();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = surrogatePairAt(text, i);
        p.drawText(QPoint(clamped(pen), start.y()), text.mid(i, pair ? 2 : 1));
        pen += dx[i] + (pair ? dx[i + 1] : 0);
        if (pair) ++i;
    }
}

}  // namespace

std::vector<Integer> TCanvas::Impl::AdvancesOf(const QString& text) {
    const Measures& m = Measured();
    std::vector<Integer> advances(size_t(text.size()), 0);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = surrogatePairAt(text, i);
        advances[size_t(i)] = pair ? m.fm.horizontalAdvance(text.mid(i, 2)) : m.Advance(text[i]);
        if (pair) ++i;
    }
    return advances;
}

// The width is the sum of the characters' advances, as text is placed.
TSize TCanvas::TextExtent(const QString& text) {
    const std::vector<Integer> advances = d_->AdvancesOf(text);
    return {sumOf(advances.data(), text.size()), TextHeight(text)};
}

std::vector<Integer> TCanvas::CharAdvances(const QString& text) {
    return d_->AdvancesOf(text);
}

// ------------------------------------------------------------ output

// Printable ASCII that the font's first face holds, drawn upright as its
// glyphs at the advances given (one per character): where the text layout
// would place them, without shaping the text again. False for anything
// else, which the layout draws.
bool TCanvas::Impl::DrawPlainGlyphs(QPainter& p, QPoint origin, const QString& text, const Integer* advances) {
    const QFont& font = Font();
    if (text.isEmpty() || font.underline() || font.strikeOut() || c.font_->Orientation() % 3600 != 0 ||
        p.layoutDirection() == Qt::RightToLeft)
        return false;
    for (QChar ch : text)
        if (ch.unicode() < 0x20 || ch.unicode() > 0x7E) return false;
    std::optional<QRawFont>& rawFont = recent->raw;
    if (!rawFont) rawFont = QRawFont::fromFont(font);
    const QList<quint32> glyphs = rawFont->glyphIndexesForString(text);
    if (glyphs.size() != text.size() || glyphs.contains(0)) return false;
    QList<QPointF> positions;
    positions.reserve(text.size());
    Int64 x = origin.x();
    for (qsizetype i = 0; i < text.size(); ++i) {
        positions.append(QPointF(qreal(x), origin.y()));
        x += advances[i];
    }
    QGlyphRun run;
    run.setRawFont(*rawFont);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    p.drawGlyphRun(QPointF(0, 0), run);
    return true;
}

void TCanvas::TextOut(Integer x, Integer y, const QString& text) {
    ExtTextOut(x, y, 0, nullptr, text);
    if (!(textAlign_ & TA_UPDATECP)) penPos_ = {clamped(Int64(x) + TextWidth(text)), y};
}

void TCanvas::TextRect(const TRect& r, Integer x, Integer y, const QString& text) {
    const Cardinal options = ETO_CLIPPED | (brush_->Style() != bsClear ? ETO_OPAQUE : 0);
    ExtTextOut(x, y, options, &r, text);
}

// Where text goes: its reference point, which TextAlign places on the
// cell, and the cell's top left from that point.
struct TCanvas::Impl::Placement {
    TPoint at;
    Integer left, top, width, height, ascent;
};

TCanvas::Impl::Placement TCanvas::Impl::Place(Integer x, Integer y, const QString& text, const Integer* dx,
                                              const std::vector<Integer>& own) {
    const Measures& m = Measured();
    Placement place{};
    place.at = (c.textAlign_ & TA_UPDATECP) ? c.penPos_ : TPoint{x, y};
    place.ascent = m.ascent;
    place.height = m.ascent + m.descent;
    place.width = sumOf(dx ? dx : own.data(), text.size());
    const Cardinal horizontal = c.textAlign_ & TA_CENTER;
    const Cardinal vertical = c.textAlign_ & TA_BASELINE;
    place.left = horizontal == TA_CENTER ? -(place.width / 2) : horizontal == TA_RIGHT ? -place.width : 0;
    place.top = vertical == TA_BASELINE ? -place.ascent : vertical == TA_BOTTOM ? -place.height : 0;
    return place;
}

TRect TCanvas::TextCell(Integer x, Integer y, const QString& text, const Integer* dx) {
    const Impl::Placement place = d_->Place(x, y, text, dx, d_->AdvancesOf(text));
    const Int64 left = Int64(place.at.X) + place.left, top = Int64(place.at.Y) + place.top;
    return TRect(clamped(left), clamped(top), clamped(left + place.width), clamped(top + place.height));
}

// The reference point (x, y) is placed on the text cell by TextAlign, in
// the text's own (possibly rotated) direction. Upright text, unclipped and
// in the painter's reading order, is drawn at its place on the page without
// saving and restoring the painter: a printer's painter writes every state
// change into the page.
void TCanvas::ExtTextOut(Integer x, Integer y, Cardinal options, const TRect* rect, const QString& text,
                         const Integer* dx) {
    Changing();
    QPainter* p = Prepared();
    if (!p) {
        Changed();
        return;
    }
    const std::vector<Integer> own = d_->AdvancesOf(text);
    const Impl::Placement place = d_->Place(x, y, text, dx, own);
    x = place.at.X;
    y = place.at.Y;
    const Integer left = place.left, top = place.top, width = place.width;
    const bool clipped = rect && (options & ETO_CLIPPED);
    const bool rotated = font_->Orientation() % 3600 != 0;
    const bool rightToLeft = (options & ETO_RTLREADING) || (textAlign_ & TA_RTLREADING);
    const bool ownState = clipped || rotated || rightToLeft;

    if (ownState) p->save();
    if (clipped) p->setClipRect(toQRect(*rect), Qt::IntersectClip);
    if (rect && (options & ETO_OPAQUE) && !rect->IsEmpty()) p->fillRect(toQRect(*rect), ToQColor(bkColor_));
    QPoint origin(x, y);
    if (ownState) {
        p->translate(x, y);
        if (rotated) p->rotate(-(font_->Orientation() / 10.0));
        origin = QPoint(0, 0);
    }
    if (bkMode_ == OPAQUE && width > 0)
        p->fillRect(rectOf(Int64(origin.x()) + left, Int64(origin.y()) + top, width, place.height), ToQColor(bkColor_));
    if (const QFont& font = d_->Font(); p->font() != font) p->setFont(font);
    p->setPen(ToQColor(textColor_));
    if (rightToLeft) p->setLayoutDirection(Qt::RightToLeft);
    const QPoint start(clamped(Int64(origin.x()) + left), clamped(Int64(origin.y()) + top + place.ascent));
    // Advances that are the font's own draw as one string, as TextOut does.
    if (dx && std::equal(own.begin(), own.end(), dx)) dx = nullptr;
    if (!d_->DrawPlainGlyphs(*p, start, text, dx ? dx : own.data())) drawLaidOut(*p, start, text, dx);
    if (ownState) p->restore();
    const Cardinal horizontal = textAlign_ & TA_CENTER;
    if (textAlign_ & TA_UPDATECP)
        penPos_.X = clamped(Int64(x) + (horizontal == TA_RIGHT ? -width : horizontal == TA_CENTER ? 0 : width));
    Changed();
}
