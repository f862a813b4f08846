// TCanvas text: measuring with whole-pixel, unkerned advances and output
// through ExtTextOut, the one text primitive.
#include "GraphicsInternal.h"

#include <QtGui/QFontMetrics>
#include <QtGui/QGlyphRun>
#include <QtGui/QPainter>
#include <QtGui/QTransform>

#include <algorithm>
#include <numeric>

using namespace GraphicsRaster;

// ------------------------------------------------------------ fonts and measuring

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
    // Metrics by the measuring device's resolution (x, y dots per inch).
    std::vector<std::pair<QPoint, QFontMetrics>> metrics;
};

std::vector<std::shared_ptr<TCanvas::Impl::RecentFont>>& TCanvas::Impl::RecentFonts() {
    thread_local std::vector<std::shared_ptr<RecentFont>> fonts;
    return fonts;
}

const QFont& TCanvas::Impl::Font() {
    if (recent) return recent->font;
    const TFont& f = *c.font_;
    // What ToQFont reads of the font.
    const auto same = [&f](const std::shared_ptr<RecentFont>& r) {
        return r->name == f.Name() && r->height == f.Height() && r->style == f.Style() && r->pitch == f.Pitch() &&
               r->pixelsPerInch == f.PixelsPerInch();
    };
    auto& recentFonts = RecentFonts();
    auto it = std::find_if(recentFonts.begin(), recentFonts.end(), same);
    if (it == recentFonts.end()) {
        constexpr size_t Kept = 8;
        if (recentFonts.size() == Kept) recentFonts.pop_back();
        it = recentFonts.insert(recentFonts.begin(),
                                std::make_shared<RecentFont>(RecentFont{f.Name(), f.Height(), f.Style(), f.Pitch(),
                                                                        f.PixelsPerInch(), f.ToQFont(), {}}));
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
const QFontMetrics& TCanvas::Impl::Metrics() {
    const QPaintDevice* device = MeasuringDevice();
    const QPoint dpi(device->logicalDpiX(), device->logicalDpiY());
    if (metrics && metricsDpi == dpi) return *metrics;
    const QFont& font = Font();
    auto& known = recent->metrics;
    auto it = std::find_if(known.begin(), known.end(), [&dpi](const auto& m) { return m.first == dpi; });
    if (it == known.end()) it = known.insert(known.end(), {dpi, QFontMetrics(font, const_cast<QPaintDevice*>(device))});
    metrics = it->second;
    metricsDpi = dpi;
    return *metrics;
}

Integer TCanvas::TextWidth(const QString& text) {
    return TextExtent(text).cx;
}

// The cell height, whatever the text.
Integer TCanvas::TextHeight(const QString&) {
    const QFontMetrics& fm = d_->Metrics();
    return fm.ascent() + fm.descent();
}

Integer TCanvas::TextAscent() {
    return d_->Metrics().ascent();
}

Integer TCanvas::TextDescent() {
    return d_->Metrics().descent();
}

Integer TCanvas::AverageCharWidth() {
    return d_->Metrics().averageCharWidth();
}

namespace {

bool surrogatePairAt(const QString& text, qsizetype i) {
    return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
}

std::vector<Integer> advancesOf(const QFontMetrics& fm, const QString& text) {
    std::vector<Integer> advances(size_t(text.size()), 0);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = surrogatePairAt(text, i);
        advances[size_t(i)] = pair ? fm.horizontalAdvance(text.mid(i, 2)) : fm.horizontalAdvance(text[i]);
        if (pair) ++i;
    }
    return advances;
}

}  // namespace

// The width is the sum of the characters' advances, as text is placed.
TSize TCanvas::TextExtent(const QString& text) {
    const QFontMetrics& fm = d_->Metrics();
    const std::vector<Integer> advances = advancesOf(fm, text);
    return {std::accumulate(advances.begin(), advances.end(), 0), fm.ascent() + fm.descent()};
}

std::vector<Integer> TCanvas::CharAdvances(const QString& text) {
    return advancesOf(d_->Metrics(), text);
}

// ------------------------------------------------------------ output

// Printable ASCII that the font's first face holds, drawn upright as its
// glyphs at the advances measured: where the text layout would place
// them, without shaping the text again. False for anything else, which
// the layout draws.
bool TCanvas::Impl::DrawPlainGlyphs(QPainter& p, QPoint origin, const QString& text,
                                    const std::vector<Integer>& advances) {
    const QFont& font = Font();
    if (text.isEmpty() || font.underline() || font.strikeOut() || c.font_->Orientation() % 3600 != 0 ||
        p.layoutDirection() == Qt::RightToLeft)
        return false;
    for (QChar ch : text)
        if (ch.unicode() < 0x20 || ch.unicode() > 0x7E) return false;
    if (!rawFont) rawFont = QRawFont::fromFont(font);
    const QList<quint32> glyphs = rawFont->glyphIndexesForString(text);
    if (glyphs.size() != text.size() || glyphs.contains(0)) return false;
    QList<QPointF> positions;
    positions.reserve(text.size());
    Integer x = origin.x();
    for (Integer advance : advances) {
        positions.append(QPointF(x, origin.y()));
        x += advance;
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
    if (!(textAlign_ & TA_UPDATECP)) penPos_ = {x + TextWidth(text), y};
}

void TCanvas::TextRect(const TRect& r, Integer x, Integer y, const QString& text) {
    const Cardinal options = ETO_CLIPPED | (brush_->Style() != bsClear ? ETO_OPAQUE : 0);
    ExtTextOut(x, y, options, &r, text);
}

// The reference point (x, y) is placed on the text cell by TextAlign, in
// the text's own (possibly rotated) direction; the cell's top left is
// (left, top) from it.
void TCanvas::ExtTextOut(Integer x, Integer y, Cardinal options, const TRect* rect, const QString& text,
                         const Integer* dx) {
    Changing();
    QPainter* p = Prepared();
    if (!p) {
        Changed();
        return;
    }
    const QFontMetrics& fm = d_->Metrics();
    const Integer ascent = fm.ascent(), height = fm.ascent() + fm.descent();
    const std::vector<Integer> own = advancesOf(fm, text);
    const Integer width = std::accumulate(dx ? dx : own.data(), (dx ? dx : own.data()) + text.size(), 0);
    if (textAlign_ & TA_UPDATECP) {
        x = penPos_.X;
        y = penPos_.Y;
    }
    const Cardinal horizontal = textAlign_ & TA_CENTER;
    const Cardinal vertical = textAlign_ & TA_BASELINE;
    const Integer left = horizontal == TA_CENTER ? -(width / 2) : horizontal == TA_RIGHT ? -width : 0;
    const Integer top = vertical == TA_BASELINE ? -ascent : vertical == TA_BOTTOM ? -height : 0;

    p->save();
    if (rect && (options & ETO_CLIPPED)) p->setClipRect(toQRect(*rect), Qt::IntersectClip);
    if (rect && (options & ETO_OPAQUE) && !rect->IsEmpty()) p->fillRect(toQRect(*rect), ToQColor(bkColor_));
    p->translate(x, y);
    if (font_->Orientation() % 3600 != 0) p->rotate(-(font_->Orientation() / 10.0));
    if (bkMode_ == OPAQUE && width > 0) p->fillRect(QRect(left, top, width, height), ToQColor(bkColor_));
    p->setFont(d_->Font());
    p->setPen(ToQColor(textColor_));
    if ((options & ETO_RTLREADING) || (textAlign_ & TA_RTLREADING)) p->setLayoutDirection(Qt::RightToLeft);
    const Integer baseline = top + ascent;
    // Advances that are the font's own draw as one string, as TextOut does.
    if (dx && std::equal(own.begin(), own.end(), dx)) dx = nullptr;
    if (!dx) {
        if (!d_->DrawPlainGlyphs(*p, QPoint(left, baseline), text, own)) p->drawText(QPoint(left, baseline), text);
    } else {
        Integer pen = left;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const bool pair = surrogatePairAt(text, i);
            p->drawText(QPoint(pen, baseline), text.mid(i, pair ? 2 : 1));
            pen += dx[i] + (pair ? dx[i + 1] : 0);
            if (pair) ++i;
        }
    }
    p->restore();
    if (textAlign_ & TA_UPDATECP) penPos_.X = x + (horizontal == TA_RIGHT ? -width : horizontal == TA_CENTER ? 0 : width);
    Changed();
}
