// The even-pitch shadowed label and the rotated label.
#include "ZvStdCtrls.h"

#include "ZvTypeDef.h"

#include <cmath>
#include <cstdlib>
#include <numeric>
#include <vector>

namespace {

// The background of a label: the part to repaint in its colour, or a clear
// brush for the text of a transparent one.
void FillLabelBackground(TCanvas* c, bool transparent, TColor color) {
    if (transparent) {
        c->Brush()->SetStyle(bsClear);
        return;
    }
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(color);
    c->FillRect(c->ClipRect());
}

// Which edge the text keeps on one axis.
enum class Edge { Start, End, Centre };

// Moves the text rectangle's edges (rs, re) or the shadow rectangle's
// (ss, se) on one axis so that the shadow lies d pixels from the text:
// the side held by the placement stays, half the offset goes to each side
// of a centred text.
void SeparateFromShadow(Integer& rs, Integer& re, Integer& ss, Integer& se, Integer d, Edge held) {
    const Integer h = d / 2;
    switch (held) {
    case Edge::Start:
        if (d < 0) rs -= d;
        else ss += d;
        break;
    case Edge::End:
        if (d < 0) se += d;
        else re -= d;
        break;
    case Edge::Centre:
        if (d < 0) {
            rs -= h;
            se += d - h;
        } else {
            ss += h;
            re -= d - h;
        }
        break;
    }
}

}  // namespace

// ------------------------------------------------------------ TZvAVLabel

TZvAVLabel::TZvAVLabel(TComponent* AOwner) : TCustomLabel(AOwner) {
    SetAutoSize(false);
    SetShowAccelChar(false);
}

template <typename T>
void TZvAVLabel::change(T& field, T value) {
    if (field == value) return;
    field = value;
    Invalidate();
}

void TZvAVLabel::SetAVPitch(bool on) { change(avPitch_, on); }
void TZvAVLabel::SetJustFontSize(bool on) { change(justFontSize_, on); }
void TZvAVLabel::SetShadowColor(TColor color) { change(shadowColor_, color); }
void TZvAVLabel::SetShadowType(TShadowType type) { change(shadowType_, type); }
void TZvAVLabel::SetShadowWidth(Integer width) { change(shadowWidth_, width); }

TPoint TZvAVLabel::ShadowOffset() const {
    const Integer w = shadowWidth_;
    if (Font()->Color() == shadowColor_ || w < 1) return TPoint(0, 0);
    switch (shadowType_) {
    case TShadowType::stLeftTop: return TPoint(-w, -w);
    case TShadowType::stRightTop: return TPoint(w, -w);
    case TShadowType::stLeftBottom: return TPoint(-w, w);
    case TShadowType::stRightBottom: return TPoint(w, w);
    default: return TPoint(0, 0);
    }
}

Integer TZvAVLabel::layoutOffset(Integer textHeight) const {
    const TRect r = ClientRect();
    switch (Layout()) {
    case tlCenter: return ((r.Bottom - r.Top) - textHeight) / 2;
    case tlBottom: return r.Bottom - textHeight;
    default: return 0;
    }
}

void TZvAVLabel::Paint() {
    TCanvas* c = Canvas();
    FillLabelBackground(c, Transparent(), Color());
    const TPoint shadow = ShadowOffset();
    c->SetFont(Font());
    if (avPitch_) paintEvenPitch(shadow);
    else paintPlain(shadow);
    c->Font()->SetColor(Font()->Color());
}

// Two DrawText passes: the shadow rectangle S in ShadowColor, then the text
// rectangle R in the font colour. Each side moves in the direction that
// keeps the caption whole: a shadow below the text moves the shadow's top
// down at every layout, and at the bottom layout only the shadow moves, up
// or down (moving the caption there would cut its bottom rows).
void TZvAVLabel::paintPlain(TPoint shadow) {
    TCanvas* c = Canvas();
    const QString text = Caption();
    Cardinal flags = (WordWrap() ? DT_WORDBREAK : 0) | (ShowAccelChar() ? 0 : DT_NOPREFIX);
    TRect measured = ClientRect();
    const Integer th = DrawText(c->Handle(), text, -1, measured, flags | DT_CALCRECT);
    flags |= DrawTextAlignment(Alignment());
    TRect r = ClientRect();
    r.Top += layoutOffset(th);
    TRect s = r;
    if (shadow.X != 0 || shadow.Y != 0) {
        c->Brush()->SetStyle(bsClear);
        const Edge along = Alignment() == taLeftJustify ? Edge::Start
                           : Alignment() == taRightJustify ? Edge::End : Edge::Centre;
        SeparateFromShadow(r.Left, r.Right, s.Left, s.Right, shadow.X, along);
        if (Layout() == tlBottom) {
            s.Top += shadow.Y;
        } else {
            const Edge across = Layout() == tlCenter ? Edge::Centre : Edge::Start;
            SeparateFromShadow(r.Top, r.Bottom, s.Top, s.Bottom, shadow.Y, across);
        }
    }
    c->Font()->SetColor(shadowColor_);
    DrawText(c->Handle(), text, -1, s, flags);
    c->Font()->SetColor(Font()->Color());
    DrawText(c->Handle(), text, -1, r, flags);
}

// The fitting loops are bounded: shrinking stops at a one-pixel font,
// growing stops once the text fills the width or the height, and an empty
// caption keeps the font. The height keeps its sign (character or cell
// height) and only its size changes.
Integer TZvAVLabel::FittedFontHeight() {
    TCanvas* c = Canvas();
    c->SetFont(Font());
    const Integer height = Font()->Height();
    const QString text = Caption();
    if (!justFontSize_ || text.isEmpty() || height == 0) return height;
    const Integer sign = height < 0 ? -1 : 1;
    Integer size = std::abs(height);
    const Integer cw = ClientWidth(), ch = ClientHeight();
    auto measure = [&] {
        c->Font()->SetHeight(sign * size);
        return c->TextWidth(text);
    };
    Integer tw = c->TextWidth(text);
    if (tw > cw) {
        while (tw > cw && size > 1) {
            --size;
            tw = measure();
        }
    } else if (tw < cw) {
        while (tw < cw && c->TextHeight(text) <= ch && size <= ch) {
            ++size;
            tw = measure();
        }
        if (tw > cw && size > 1) --size;
    }
    c->Font()->SetHeight(sign * size);
    return sign * size;
}

// Each character centred in a cell whose width is its share of the text
// width scaled to the control's width. Widths come from one measure of the
// caption (text is never kerned, so a prefix's width is the sum of its
// characters'): measuring every prefix anew made long captions quadratic.
void TZvAVLabel::paintEvenPitch(TPoint shadow) {
    TCanvas* c = Canvas();
    const QString text = Caption();
    c->Font()->SetHeight(FittedFontHeight());
    const Integer th = c->TextHeight(text);
    const Integer y = ClientRect().Top + layoutOffset(th);
    c->Brush()->SetStyle(bsClear);
    const std::vector<Integer> advances = c->CharAdvances(text);
    const Integer total = std::accumulate(advances.begin(), advances.end(), 0);
    if (total <= 0) return;
    const double W = Width();
    const TPoint step(shadow.X - shadow.X / 2, shadow.Y - shadow.Y / 2);
    Integer prefix = 0;
    for (qsizetype start = 0; start < text.size();) {
        // A character runs to the next unit that starts one: a surrogate
        // pair (and any stray low surrogate after it) stays whole.
        qsizetype end = start + 1;
        while (end < text.size() && IsLowSurrogate(text[end])) ++end;
        const QString ch = text.mid(start, end - start);
        const Integer wc = std::accumulate(advances.begin() + start, advances.begin() + end, 0);
        const double cell = W * wc / total;
        const Integer x = Integer(std::trunc(ClientRect().Left + W * prefix / total + (cell - wc) / 2));
        c->Font()->SetColor(shadowColor_);
        c->TextOut(x + step.X, y + step.Y, ch);
        c->Font()->SetColor(Font()->Color());
        c->TextOut(x, y, ch);
        prefix += wc;
        start = end;
    }
}

// ------------------------------------------------------------ TZvVLabel

TZvVLabel::TZvVLabel(TComponent* AOwner) : TCustomLabel(AOwner) {
    SetAutoSize(false);
}

void TZvVLabel::SetAngle(TVLabelAngle angle) {
    if (angle_ == angle) return;
    angle_ = angle;
    Invalidate();
}

TPoint TZvVLabel::StartPoint(Integer tw, Integer th) const {
    const Integer cw = ClientWidth(), ch = ClientHeight();
    const TAlignment a = Alignment();
    const TTextLayout l = Layout();
    // along: by Alignment over the length L; across: by Layout over the
    // breadth B. Each picks its first, last or middle value.
    auto along = [a](Integer left, Integer right, Integer centre) {
        return a == taLeftJustify ? left : a == taRightJustify ? right : centre;
    };
    auto across = [l](Integer top, Integer bottom, Integer centre) {
        return l == tlTop ? top : l == tlBottom ? bottom : centre;
    };
    switch (angle_) {
    case TVLabelAngle::va90:
        return TPoint(across(0, cw - th, (cw - th) / 2), along(ch, tw, (ch + tw) / 2));
    case TVLabelAngle::va180:
        return TPoint(along(cw, tw, (cw + tw) / 2), across(ch, th, (ch + th) / 2));
    case TVLabelAngle::va270:
        return TPoint(across(cw, th, (cw + th) / 2), along(0, ch - tw, (ch - tw) / 2));
    default:
        return TPoint(along(0, cw - tw, (cw - tw) / 2), across(0, ch - th, (ch - th) / 2));
    }
}

void TZvVLabel::Paint() {
    TCanvas* c = Canvas();
    FillLabelBackground(c, Transparent(), Color());
    const QString text = Caption();
    if (!Enabled() || text.isEmpty()) return;
    // A font of the control's face, height and character set at normal
    // weight, upright, turned by the angle.
    TFont rotated;
    rotated.SetName(Font()->Name());
    rotated.SetHeight(Font()->Height());
    rotated.SetCharset(Font()->Charset());
    rotated.SetOrientation(Integer(angle_) * 900);
    rotated.SetColor(ColorToRGB(Font()->Color()));
    c->SetFont(&rotated);
    c->Brush()->SetStyle(bsClear);
    const TSize extent = c->TextExtent(text);
    const TPoint start = StartPoint(extent.cx, extent.cy);
    c->TextOut(start.X, start.Y, text);
}
