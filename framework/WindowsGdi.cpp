// The GDI routines of Windows.h on the canvas: DrawText, DrawEdge,
// DrawFrameControl, text settings, regions, clipping and device caps. They
// use only the canvas's public primitives, so a recording canvas records
// what they draw.
#include "GraphicsInternal.h"

#include <QtGui/QPaintDevice>

using namespace GraphicsRaster;

namespace {

// Fills r with one colour without touching the canvas's objects: an opaque
// ExtTextOut of no text, the platform's own idiom for solid rectangles.
void fillSolid(HDC dc, const TRect& r, TColor color) {
    if (r.IsEmpty()) return;
    const TColor old = dc->SetBkColor(color);
    dc->ExtTextOut(r.Left, r.Top, ETO_OPAQUE, &r, QString());
    dc->SetBkColor(old);
}

// ------------------------------------------------------------ DrawText

struct TextLine {
    QString text;
    std::vector<Integer> advances;
    std::vector<bool> underlined;
    Integer width = 0;
};

// Lines may break beside a full-width (double-byte) character.
bool isWide(QChar c) {
    return c.unicode() > 0x7F && !(c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F);
}

class TextLayout {
public:
    TextLayout(HDC dc, Cardinal format) : dc_(dc), format_(format) {
        tabWidth_ = 8 * std::max<Integer>(1, dc->AverageCharWidth());
    }

    std::vector<TextLine> Lay(const QString& source, Integer maxWidth) {
        QString text;
        std::vector<bool> marks;
        stripPrefixes(source, text, marks);
        std::vector<TextLine> lines;
        for (const auto& [start, end] : paragraphs(text)) {
            if (!(format_ & DT_WORDBREAK) || (format_ & DT_SINGLELINE)) {
                lines.push_back(makeLine(text, marks, start, end));
                continue;
            }
            wrap(text, marks, start, end, maxWidth, lines);
        }
        return lines;
    }

private:
    // "&&" is "&", "&x" underlines x, a last lone "&" goes.
    void stripPrefixes(const QString& source, QString& text, std::vector<bool>& marks) const {
        const bool prefixes = !(format_ & DT_NOPREFIX);
        for (qsizetype i = 0; i < source.size(); ++i) {
            bool mark = false;
            if (prefixes && source[i] == QLatin1Char('&')) {
                if (i + 1 >= source.size()) break;
                ++i;
                mark = source[i] != QLatin1Char('&');
            }
            text += source[i];
            marks.push_back(mark && !(format_ & DT_HIDEPREFIX));
        }
    }

    std::vector<std::pair<qsizetype, qsizetype>> paragraphs(const QString& text) const {
        std::vector<std::pair<qsizetype, qsizetype>> out;
        if (text.isEmpty()) return out;
        if (format_ & DT_SINGLELINE) {
            out.push_back({0, text.size()});
            return out;
        }
        qsizetype start = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] != QLatin1Char('\r') && text[i] != QLatin1Char('\n')) continue;
            out.push_back({start, i});
            if (text[i] == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
            start = i + 1;
        }
        if (start < text.size()) out.push_back({start, text.size()});
        return out;
    }

    TextLine makeLine(const QString& text, const std::vector<bool>& marks, qsizetype start, qsizetype end) {
        TextLine line;
        for (qsizetype i = start; i < end; ++i) {
            if ((format_ & DT_SINGLELINE) && (text[i] == QLatin1Char('\r') || text[i] == QLatin1Char('\n'))) continue;
            line.text += text[i];
            line.underlined.push_back(marks[size_t(i)]);
        }
        line.advances = dc_->CharAdvances(line.text);
        for (qsizetype i = 0; i < line.text.size(); ++i) {
            if (line.text[i] == QLatin1Char('\t') && (format_ & DT_EXPANDTABS))
                line.advances[size_t(i)] = tabWidth_ - line.width % tabWidth_;
            line.width += line.advances[size_t(i)];
        }
        return line;
    }

    static bool breakBefore(const QString& text, qsizetype i) {
        const QChar prev = text[i - 1], next = text[i];
        if (next == QLatin1Char(' ')) return false;
        return prev == QLatin1Char(' ') || isWide(prev) || isWide(next);
    }

    static qsizetype trimEnd(const QString& text, qsizetype start, qsizetype end) {
        while (end > start && text[end - 1] == QLatin1Char(' ')) --end;
        return end;
    }

    // Greedy: each line takes as many words as fit; a word wider than the
    // line stands alone (and is clipped); blanks at a break vanish.
    void wrap(const QString& text, const std::vector<bool>& marks, qsizetype start, qsizetype end,
              Integer maxWidth, std::vector<TextLine>& lines) {
        // Widths from the start of the paragraph; tab stops depend on where
        // a line starts, so lines with tabs are measured whole.
        const qsizetype origin = start;
        const std::vector<Integer> advances = dc_->CharAdvances(text.mid(origin, end - origin));
        std::vector<Integer> offset(advances.size() + 1, 0);
        for (size_t i = 0; i < advances.size(); ++i) offset[i + 1] = offset[i] + advances[i];
        const bool tabs = (format_ & DT_EXPANDTABS) && text.mid(origin, end - origin).contains(QLatin1Char('\t'));
        auto width = [&](qsizetype from, qsizetype to) {
            return tabs ? makeLine(text, marks, from, to).width : offset[size_t(to - origin)] - offset[size_t(from - origin)];
        };
        while (start < end) {
            qsizetype fit = -1;
            const qsizetype lineStart = start;
            for (qsizetype b = start + 1; b <= end; ++b) {
                if (b < end && !breakBefore(text, b)) continue;
                const bool fits = width(lineStart, trimEnd(text, lineStart, b)) <= maxWidth;
                if (fits || fit < 0) fit = b;
                if (!fits) break;
            }
            lines.push_back(makeLine(text, marks, start, trimEnd(text, start, fit)));
            start = fit;
            while (start < end && text[start] == QLatin1Char(' ')) ++start;
        }
    }

    HDC dc_;
    Cardinal format_;
    Integer tabWidth_;
};

void drawUnderlines(HDC dc, const TextLine& line, Integer x, Integer y, const TRect& clip, bool clipped) {
    const Integer lineY = y + dc->TextAscent() + 1;
    Integer pen = x;
    for (size_t i = 0; i < line.advances.size(); ++i) {
        if (line.underlined[i]) {
            TRect bar(pen, lineY, pen + line.advances[i], lineY + 1);
            if (!clipped || IntersectRect(bar, bar, clip)) fillSolid(dc, bar, dc->TextColor());
        }
        pen += line.advances[i];
    }
}

}  // namespace

Integer DrawText(HDC dc, const QString& text, Integer count, TRect& rect, Cardinal format) {
    if (!dc) return 0;
    const QString source = count < 0 ? text : text.left(count);
    const std::vector<TextLine> lines = TextLayout(dc, format).Lay(source, rect.Width());
    TTextMetric metric;
    GetTextMetrics(dc, metric);
    const Integer lineHeight = metric.tmHeight + ((format & DT_EXTERNALLEADING) ? metric.tmExternalLeading : 0);
    const Integer height = Integer(lines.size()) * lineHeight;
    if (format & DT_CALCRECT) {
        Integer widest = 0;
        for (const TextLine& line : lines) widest = std::max(widest, line.width);
        rect.Right = rect.Left + widest;
        rect.Bottom = rect.Top + height;
        return height;
    }
    Integer y = rect.Top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER) y = (rect.Top + rect.Bottom - height) / 2;
        else if (format & DT_BOTTOM) y = rect.Bottom - height;
    }
    const bool clipped = !(format & DT_NOCLIP);
    const Cardinal options = (clipped ? ETO_CLIPPED : 0) | ((format & DT_RTLREADING) ? ETO_RTLREADING : 0);
    const Cardinal oldAlign = dc->SetTextAlign(TA_LEFT | TA_TOP);
    for (const TextLine& line : lines) {
        Integer x = rect.Left;
        if (format & DT_CENTER) x = (rect.Left + rect.Right - line.width) / 2;
        else if (format & DT_RIGHT) x = rect.Right - line.width;
        if (!line.text.isEmpty()) dc->ExtTextOut(x, y, options, &rect, line.text, line.advances.data());
        drawUnderlines(dc, line, x, y, rect, clipped);
        y += lineHeight;
    }
    dc->SetTextAlign(oldAlign);
    return height;
}

void DrawDisabledText(TCanvas* canvas, const QString& text, const TRect& r, Cardinal format) {
    if (!canvas) return;
    const TColor saved = canvas->Font()->Color();
    TRect shifted = r;
    shifted.Offset(1, 1);
    canvas->Font()->SetColor(clBtnHighlight);
    DrawText(canvas, text, -1, shifted, format);
    TRect in = r;
    canvas->Font()->SetColor(clGrayText);
    DrawText(canvas, text, -1, in, format);
    canvas->Font()->SetColor(saved);
}

// ------------------------------------------------------------ edges and frame controls

namespace {

struct EdgeColors {
    TColor light;
    TColor dark;
};

EdgeColors outerColors(Cardinal edge, Cardinal flags) {
    if (flags & BF_MONO) return {clWindowFrame, clWindowFrame};
    if (flags & BF_FLAT) return {clBtnShadow, clBtnShadow};
    if (edge & BDR_RAISEDOUTER) return {(flags & BF_SOFT) ? clBtnHighlight : cl3DLight, cl3DDkShadow};
    return {clBtnShadow, clBtnHighlight};
}

EdgeColors innerColors(Cardinal edge, Cardinal flags) {
    if (flags & (BF_MONO | BF_FLAT)) return {clBtnFace, clBtnFace};
    if (edge & BDR_RAISEDINNER) return {(flags & BF_SOFT) ? cl3DLight : clBtnHighlight, clBtnShadow};
    return {cl3DDkShadow, cl3DLight};
}

// One 1-pixel ring on the sides in flags; the dark sides own the top-right
// and bottom-left corners.
void drawRing(HDC dc, TRect& r, EdgeColors colors, Cardinal flags) {
    if (r.IsEmpty()) return;
    const Integer rightCut = (flags & BF_RIGHT) ? 1 : 0, bottomCut = (flags & BF_BOTTOM) ? 1 : 0;
    if (flags & BF_TOP) fillSolid(dc, TRect(r.Left, r.Top, r.Right - rightCut, r.Top + 1), colors.light);
    if (flags & BF_LEFT) fillSolid(dc, TRect(r.Left, r.Top, r.Left + 1, r.Bottom - bottomCut), colors.light);
    if (flags & BF_BOTTOM) fillSolid(dc, TRect(r.Left, r.Bottom - 1, r.Right, r.Bottom), colors.dark);
    if (flags & BF_RIGHT) fillSolid(dc, TRect(r.Right - 1, r.Top, r.Right, r.Bottom), colors.dark);
    if (flags & BF_LEFT) ++r.Left;
    if (flags & BF_TOP) ++r.Top;
    if (flags & BF_RIGHT) --r.Right;
    if (flags & BF_BOTTOM) --r.Bottom;
}

// A filled triangle pointing `direction` (0 up, 1 down, 2 left, 3 right)
// centred in r.
void drawArrow(HDC dc, const TRect& r, Cardinal direction, TColor color) {
    const bool vertical = direction <= 1;
    Integer base = (std::min(r.Width(), r.Height()) / 2) | 1;
    base = std::max<Integer>(base, 3);
    const Integer depth = (base + 1) / 2;
    const Integer left = r.Left + (r.Width() - (vertical ? base : depth)) / 2;
    const Integer top = r.Top + (r.Height() - (vertical ? depth : base)) / 2;
    for (Integer i = 0; i < depth; ++i) {
        const Integer narrow = 1 + 2 * i, wide = base - 2 * i;
        switch (direction) {
            case 0: fillSolid(dc, Bounds(left + (base - narrow) / 2, top + i, narrow, 1), color); break;
            case 1: fillSolid(dc, Bounds(left + i, top + i, wide, 1), color); break;
            case 2: fillSolid(dc, Bounds(left + i, top + (base - narrow) / 2, 1, narrow), color); break;
            default: fillSolid(dc, Bounds(left + i, top + i, 1, wide), color); break;
        }
    }
}

}  // namespace

bool DrawEdge(HDC dc, TRect& rect, Cardinal edge, Cardinal flags) {
    if (!dc) return false;
    TRect r = rect;
    if (edge & BDR_OUTER) drawRing(dc, r, outerColors(edge, flags), flags);
    if (edge & BDR_INNER) drawRing(dc, r, innerColors(edge, flags), flags);
    if (flags & BF_MIDDLE) fillSolid(dc, r, (flags & BF_MONO) ? clWindow : clBtnFace);
    if (flags & BF_ADJUST) rect = r;
    return true;
}

bool DrawFrameControl(HDC dc, TRect& rect, Cardinal type, Cardinal state) {
    if (!dc || (type != DFC_BUTTON && type != DFC_SCROLL)) return false;
    if (type == DFC_BUTTON && (state & 0xFF) != DFCS_BUTTONPUSH) return false;
    TRect face = rect;
    const bool pushed = state & (DFCS_PUSHED | DFCS_CHECKED);
    if (state & DFCS_FLAT) {
        drawRing(dc, face, {clBtnShadow, clBtnShadow}, BF_RECT);
    } else {
        const Cardinal edge = pushed ? EDGE_SUNKEN : EDGE_RAISED;
        drawRing(dc, face, outerColors(edge, BF_SOFT), BF_RECT);
        drawRing(dc, face, innerColors(edge, BF_SOFT), BF_RECT);
    }
    fillSolid(dc, face, clBtnFace);
    if (type == DFC_SCROLL) {
        TRect glyph = face;
        if (pushed) glyph.Offset(1, 1);
        const Cardinal kind = state & 0xFF;
        const Cardinal direction = kind == DFCS_SCROLLCOMBOBOX ? 1 : kind & 0x3;
        drawArrow(dc, glyph, direction, (state & DFCS_INACTIVE) ? clGrayText : clBtnText);
    }
    if (state & DFCS_ADJUSTRECT) rect = face;
    return true;
}

// ------------------------------------------------------------ text settings

Cardinal SetTextAlign(HDC dc, Cardinal align) {
    return dc ? dc->SetTextAlign(align) : 0;
}

Cardinal GetTextAlign(HDC dc) {
    return dc ? dc->TextAlign() : 0;
}

bool ExtTextOut(HDC dc, Integer x, Integer y, Cardinal options, const TRect* rect, const QString& text, Integer count,
                const Integer* dx) {
    if (!dc) return false;
    dc->ExtTextOut(x, y, options, rect, count < 0 ? text : text.left(count), dx);
    return true;
}

Integer SetBkMode(HDC dc, Integer mode) {
    return dc ? dc->SetBkMode(mode) : 0;
}

Integer GetBkMode(HDC dc) {
    return dc ? dc->BkMode() : 0;
}

TColor SetBkColor(HDC dc, TColor color) {
    return dc ? dc->SetBkColor(color) : -1;
}

TColor SetTextColor(HDC dc, TColor color) {
    return dc ? dc->SetTextColor(color) : -1;
}

bool GetTextExtentPoint32(HDC dc, const QString& text, Integer count, TSize& size) {
    if (!dc) return false;
    size = dc->TextExtent(count < 0 ? text : text.left(count));
    return true;
}

bool GetTextMetrics(HDC dc, TTextMetric& metric) {
    if (!dc) return false;
    metric.tmAscent = dc->TextAscent();
    metric.tmDescent = dc->TextDescent();
    metric.tmHeight = metric.tmAscent + metric.tmDescent;
    const Integer em = std::abs(dc->Font()->ToQFont().pixelSize());
    metric.tmInternalLeading = std::max<Integer>(0, metric.tmHeight - em);
    metric.tmExternalLeading = 0;
    metric.tmAveCharWidth = dc->AverageCharWidth();
    metric.tmMaxCharWidth = std::max(metric.tmAveCharWidth, dc->TextWidth(QStringLiteral("W")));
    return true;
}

// ------------------------------------------------------------ regions

HRGN CreateRectRgn(Integer left, Integer top, Integer right, Integer bottom) {
    return new TRegion{SpansRegion(RectSpans(normalized(left, top, right, bottom)))};
}

HRGN CreateRoundRectRgn(Integer left, Integer top, Integer right, Integer bottom, Integer width, Integer height) {
    const TRect r = normalized(left, top, right, bottom);
    return new TRegion{SpansRegion(RoundRectSpans(r, std::abs(width), std::abs(height)))};
}

HRGN CreateEllipticRgn(Integer left, Integer top, Integer right, Integer bottom) {
    return new TRegion{SpansRegion(EllipseSpans(normalized(left, top, right, bottom)))};
}

namespace {

Integer regionKind(const QRegion& region) {
    if (region.isEmpty()) return NULLREGION;
    return region.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

}  // namespace

Integer CombineRgn(HRGN dest, HRGN a, HRGN b, Integer mode) {
    if (!dest || !a || (mode != RGN_COPY && !b)) return ERROR;
    switch (mode) {
        case RGN_AND: dest->Area = a->Area & b->Area; break;
        case RGN_OR: dest->Area = a->Area | b->Area; break;
        case RGN_XOR: dest->Area = a->Area ^ b->Area; break;
        case RGN_DIFF: dest->Area = a->Area - b->Area; break;
        case RGN_COPY: dest->Area = a->Area; break;
        default: return ERROR;
    }
    return regionKind(dest->Area);
}

bool PtInRegion(HRGN region, Integer x, Integer y) {
    return region && region->Area.contains(QPoint(x, y));
}

bool FillRgn(HDC dc, HRGN region, HBRUSH brush) {
    if (!dc || !region || !brush) return false;
    dc->FillRegion(*region, brush);
    return true;
}

bool FrameRgn(HDC dc, HRGN region, HBRUSH brush, Integer width, Integer height) {
    if (!dc || !region || !brush) return false;
    dc->FrameRegion(*region, brush, width, height);
    return true;
}

HBRUSH CreateSolidBrush(TColor color) {
    auto* brush = new TBrush;
    brush->SetColor(color);
    return brush;
}

bool DeleteObject(HRGN region) {
    delete region;
    return region != nullptr;
}

bool DeleteObject(HBRUSH brush) {
    delete brush;
    return brush != nullptr;
}

Integer FillRect(HDC dc, const TRect& rect, HBRUSH brush) {
    if (!dc || !brush) return 0;
    TRegion region{QRegion(toQRect(rect))};
    if (!rect.IsEmpty()) dc->FillRegion(region, brush);
    return 1;
}

// ------------------------------------------------------------ clipping

Integer SelectClipRgn(HDC dc, HRGN region) {
    if (!dc) return ERROR;
    dc->SelectClipRegion(region);
    return region ? regionKind(region->Area) : SIMPLEREGION;
}

Integer IntersectClipRect(HDC dc, Integer left, Integer top, Integer right, Integer bottom) {
    if (!dc) return ERROR;
    dc->IntersectClipRect(TRect(left, top, right, bottom));
    return dc->ClipRect().IsEmpty() ? NULLREGION : SIMPLEREGION;
}

Integer ExcludeClipRect(HDC dc, Integer left, Integer top, Integer right, Integer bottom) {
    if (!dc) return ERROR;
    dc->ExcludeClipRect(TRect(left, top, right, bottom));
    return dc->ClipRect().IsEmpty() ? NULLREGION : COMPLEXREGION;
}

Integer SaveDC(HDC dc) {
    return dc ? dc->SaveDC() : 0;
}

bool RestoreDC(HDC dc, Integer savedDC) {
    return dc && dc->RestoreDC(savedDC);
}

Integer GetDeviceCaps(HDC dc, Integer index) {
    if (Integer own = 0; dc && dc->DeviceCaps(index, own)) return own;
    const QPaintDevice* device = dc ? dc->Device() : nullptr;
    if (dc && dc->HandleAllocated() && dc->Painter()) device = dc->Painter()->device();
    switch (index) {
        case LOGPIXELSX: return device ? device->logicalDpiX() : 96;
        case LOGPIXELSY: return device ? device->logicalDpiY() : 96;
        case HORZRES:
        case PHYSICALWIDTH: return device ? device->width() : 0;
        case VERTRES:
        case PHYSICALHEIGHT: return device ? device->height() : 0;
        default: return 0;
    }
}
