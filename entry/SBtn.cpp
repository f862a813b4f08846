// The gradient button: faces, hot-track frame, guide and even-pitch caption.
#include "SBtn.h"

#include "ActnList.h"
#include "Forms.h"
#include "SysUtils.h"
#include "ZvTypeDef.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

Integer instances = 0;

Integer screenPixelsPerInch() {
    return Screen ? Screen->PixelsPerInch() : 96;
}

// Draws each unit centred in its cell; a surrogate pair is drawn once over
// the cells of both its units.
void drawEvenPitch(TCanvas* canvas, const QString& caption, const TRect& r, Integer margin) {
    const std::vector<TRect> cells = EvenPitchCells(caption, r, margin);
    canvas->Brush()->SetStyle(bsClear);
    for (size_t i = 0; i < cells.size(); ++i) {
        TRect cell = cells[i];
        const QChar unit = caption[qsizetype(i)];
        QString text(unit);
        if (IsHighSurrogate(unit) && i + 1 < cells.size() && IsLowSurrogate(caption[qsizetype(i + 1)])) {
            text += caption[qsizetype(i + 1)];
            cell.Right = cells[++i].Right;
        }
        DrawTextW(canvas, text, -1, cell, DT_CENTER);
    }
}

}  // namespace

// ------------------------------------------------------------ face rules

Integer RingCount(Integer width, Integer height) {
    return Integer(Round(Extended(std::min(width, height)) / 2 + 0.5L));
}

TColor RingColor(TColor from, TColor to, Integer count, Integer ratio, Integer i) {
    const TColor f = ColorToRGB(from), t = ColorToRGB(to);
    auto channel = [&](Byte fc, Byte tc) {
        const auto step = static_cast<float>(Extended(Integer(tc) - Integer(fc)) / count * ratio);
        const Integer v = Integer(std::trunc(Extended(i) * step)) + fc;
        return Byte(step > 0 ? std::min<Integer>(v, tc) : std::max<Integer>(v, tc));
    };
    return RGB(channel(GetRValue(f), GetRValue(t)), channel(GetGValue(f), GetGValue(t)),
               channel(GetBValue(f), GetBValue(t)));
}

Integer EvenPitchUnitWidth(QChar unit) {
    const char16_t u = unit.unicode();
    return u <= 0x7E || (u >= 0xFF40 && u <= 0xFF9F) ? 1 : 2;
}

std::vector<TRect> EvenPitchCells(const QString& caption, const TRect& r, Integer margin) {
    Integer total = 0;
    for (QChar u : caption) total += EvenPitchUnitWidth(u);
    std::vector<TRect> cells;
    if (total == 0) return cells;
    const Extended step = Extended(r.Right - r.Left - 2 * margin) / total;
    Integer pos = 0;
    for (QChar u : caption) {
        const Integer w = EvenPitchUnitWidth(u);
        const Integer left = Integer(Round(step * pos)) + r.Left + margin;
        const Integer right = Integer(Round(step * w + left));
        cells.emplace_back(left, r.Top, right, r.Bottom);
        pos += w;
    }
    return cells;
}

Integer SBtnInstanceCount() {
    return instances;
}

// ------------------------------------------------------------ TSBtnGlyph

void TSBtnGlyph::SetVerticalMargin(Integer margin) {
    verticalMargin_ = margin;
    Invalidate();
}

void TSBtnGlyph::DrawEx(TCanvas* canvas, const TRect& client, const TPoint& offset, const QString& caption,
                        TButtonLayout layout, Integer margin, Integer spacing, TButtonState state, bool transparent,
                        bool avPitch, bool guideVisible, const QString& guide) {
    TPoint glyphPos;
    TRect textBounds;
    CalcButtonLayout(canvas, client, offset, caption, layout, margin, spacing, glyphPos, textBounds);
    DrawButtonGlyph(canvas, glyphPos, state, transparent);

    TFont saved;
    saved.Assign(canvas->Font());
    TRect c = client;
    c.Offset(offset.X, offset.Y);
    TRect measure = c;
    DrawText(canvas, caption, -1, measure, DT_CALCRECT | DT_CENTER);
    const Integer h = caption.isEmpty() ? 0 : measure.Height();
    const bool hasGlyph = !Glyph()->Empty();
    const Integer vm = verticalMargin_;

    TRect r = c;
    TRect g(c.Left + margin, c.Top + vm, c.Right, c.Bottom);
    Cardinal flags = DT_CENTER;
    auto centre = [&] {
        r.Top = c.Top + (c.Height() - h) / 2;
        r.Bottom = r.Top + h;
    };
    switch (layout) {
    case blGlyphLeft:
    case blGlyphRight:
        if (!hasGlyph) {
            centre();
            break;
        }
        if (guideVisible) r.Top = r.Bottom - h;
        else centre();
        if (layout == blGlyphLeft) r.Left += GlyphSize().cx + margin;
        else r.Right -= GlyphSize().cx + margin;
        flags |= DT_BOTTOM;
        break;
    case blGlyphTop:
        if (!hasGlyph && !guideVisible) centre();
        else r.Top = r.Bottom - h - vm;
        flags |= DT_BOTTOM;
        break;
    case blGlyphBottom:
        if (hasGlyph || guideVisible) r.Top = c.Top + vm;
        else centre();
        if (hasGlyph) {
            g.Top = c.Bottom - textBounds.Height() - vm;
        } else {
            canvas->Font()->SetHeight(guideFontHeight_);
            g.Top = c.Bottom - canvas->TextHeight(guide) - vm;
            canvas->SetFont(&saved);
        }
        break;
    }

    if (avPitch) drawEvenPitch(canvas, caption, r, margin);
    else DrawButtonText(canvas, caption, r, state, flags);

    canvas->SetFont(&saved);
    canvas->Font()->SetHeight(guideFontHeight_);
    canvas->Brush()->SetStyle(bsClear);
    DrawText(canvas, guide, -1, g, 0);
    canvas->SetFont(&saved);
}

// ------------------------------------------------------------ TSBtn

TSBtn::TSBtn(TComponent* AOwner) : TSpeedButton(AOwner, std::make_unique<TSBtnGlyph>()) {
    ++instances;
    SetBounds(Left(), Top(), 60, 40);
    SetColor(clBtnFace);
    SetMargin(2);
    SetSpacing(4);
}

TSBtn::~TSBtn() {
    --instances;
}

template <class T>
void TSBtn::set(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Invalidate();
}

void TSBtn::SetAVPitch(bool on) { set(avPitch_, on); }
void TSBtn::SetCurve(TPositiveInt curve) { set(curve_, curve); }
void TSBtn::SetGuide(const QString& text) { set(guide_, text); }
void TSBtn::SetGuideBase(const QString& text) { set(guideBase_, text); }
void TSBtn::SetGuideSpace(const QString& text) { set(guideSpace_, text); }
void TSBtn::SetGuideVisible(bool on) { set(guideVisible_, on); }
void TSBtn::SetGradient(bool on) { set(gradient_, on); }
void TSBtn::SetGradientDirection(TGradientDirection direction) { set(gradientDirection_, direction); }
void TSBtn::SetGradientStartColor(TColor color) { set(startColor_, color); }
void TSBtn::SetGradientEndColor(TColor color) { set(endColor_, color); }
void TSBtn::SetGradientRatio(TPositiveInt ratio) { set(gradientRatio_, ratio); }
void TSBtn::SetInvertGradient(bool on) { set(invertGradient_, on); }
void TSBtn::SetHotTrack(bool on) { set(hotTrack_, on); }
void TSBtn::SetOnTrackColor(TColor color) { set(onTrackColor_, color); }
void TSBtn::SetOffTrackColor(TColor color) { set(offTrackColor_, color); }
void TSBtn::SetUseDownColor(bool on) { set(useDownColor_, on); }
void TSBtn::SetDownColor(TColor color) { set(downColor_, color); }
void TSBtn::SetThinBevel(bool on) { set(thinBevel_, on); }

void TSBtn::SetGuideFontHeight(Integer height) {
    if (guideFontHeight_ == height) return;
    guideFontHeight_ = height;
    guideFontSize_ = -MulDiv(height, 72, screenPixelsPerInch());
    glyph()->SetGuideFontHeight(height);
    Invalidate();
}

void TSBtn::SetGuideFontSize(Integer size) {
    guideFontSize_ = size;
    SetGuideFontHeight(-MulDiv(size, screenPixelsPerInch(), 72));
    Invalidate();
}

void TSBtn::SetVerticalMargin(Integer margin) {
    if (verticalMargin_ == margin) return;
    verticalMargin_ = margin;
    glyph()->SetVerticalMargin(margin);
    Invalidate();
}

void TSBtn::SetGradientType(TGradientType type) {
    if (gradientType_ == type) return;
    const TColor dualEnd = TColor(0x00E6F8FF);
    if (type == gtDual && endColor_ == clBtnFace && startColor_ == clBtnShadow) endColor_ = dualEnd;
    else if (type == gtNormal && endColor_ == dualEnd && startColor_ == clBtnShadow) endColor_ = clBtnFace;
    gradientType_ = type;
    Invalidate();
}

QString TSBtn::GuideText() const {
    if (!guideVisible_) return QString();
    return guideBase_.isEmpty() ? guide_ : guideBase_ + guideSpace_ + guide_;
}

// ---- painting

void TSBtn::fill(const TRect& r, TColor color) {
    Canvas()->Brush()->SetStyle(bsSolid);
    Canvas()->Brush()->SetColor(color);
    Canvas()->FillRect(r);
}

void TSBtn::rings(TColor from, TColor to) {
    const Integer count = RingCount(Width(), Height());
    TBrush brush;
    for (Integer i = 0; i <= count; ++i) {
        brush.SetColor(RingColor(from, to, count, gradientRatio_, i));
        std::unique_ptr<TRegion> region(CreateRoundRectRgn(i, i, Width() - i, Height() - i, curve_, curve_));
        FillRgn(Canvas(), region.get(), &brush);
    }
}

void TSBtn::dualHalves(TColor from, TColor to) {
    const Integer w = Width(), h = Height();
    TRect first, second;
    if (gradientDirection_ == gdHorizontal) {
        first = TRect(0, 0, w / 2, h - 1);
        second = TRect(w / 2, 0, w, h - 1);
    } else {
        first = TRect(0, 0, w - 1, h / 2);
        second = TRect(0, h / 2, w - 1, h);
    }
    Canvas()->GradientFill(first, from, to, gradientDirection_);
    Canvas()->GradientFill(second, to, from, gradientDirection_);
}

void TSBtn::upFace(const TRect& r, TColor a, TColor b) {
    if (!gradient_) fill(r, Color());
    else if (gradientType_ == gtDual) dualHalves(a, b);
    else rings(a, b);
}

void TSBtn::downFace(const TRect& r, TColor a, TColor b) {
    if (gradient_ && !useDownColor_) {
        if (gradientType_ == gtDual) dualHalves(b, a);
        else rings(b, a);
    } else if (gradient_ && gradientType_ == gtNormal) {
        rings(downColor_, downColor_);
    } else {
        fill(r, downColor_);
    }
}

void TSBtn::edge(const TRect& r) {
    if (gradientType_ != gtDual) return;
    TRect area = r;
    DrawEdge(Canvas(), area, pressed() ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT | (Transparent() ? 0 : BF_MIDDLE));
}

void TSBtn::paintFlat(TRect& paintRect, TColor a, TColor b) {
    if (MouseInControl() && Enabled()) {
        if (pressed()) {
            if (gradient_) {
                ++paintRect.Left;
                --paintRect.Right;
            }
            downFace(paintRect, a, b);
            edge(paintRect);
        } else {
            edge(paintRect);
            upFace(paintRect, a, b);
        }
    } else if (!Transparent()) {
        TRect face = paintRect;
        if (gradient_) face.Inflate(-1, 0);
        upFace(face, a, b);
    }
    paintRect.Inflate(-1, -1);
}

void TSBtn::paintRaised(TRect& paintRect, TColor a, TColor b) {
    if (!pressed()) {
        if (gradient_) {
            edge(paintRect);
            upFace(paintRect, a, b);
        }
        if (!thinBevel_) {
            if (!gradient_) DrawFrameControl(Canvas(), paintRect, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT);
        } else {
            edge(paintRect);
        }
    } else if (thinBevel_) {
        paintRect.Inflate(-1, -1);
        downFace(paintRect, a, b);
        edge(paintRect);
    } else {
        if (gradientType_ == gtDual) {
            TRect frame = paintRect;
            DrawFrameControl(Canvas(), frame, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED);
        }
        const bool inset = gradient_ && !useDownColor_;
        if (inset) paintRect.Inflate(-1, -1);
        downFace(paintRect, a, b);
        if (inset) paintRect.Inflate(1, 1);
    }
}

void TSBtn::hotTrackFrame() {
    const Integer corner = gradientType_ == gtNormal ? curve_ : 0;
    std::unique_ptr<TRegion> region(CreateRoundRectRgn(0, 0, Width(), Height(), corner, corner));
    TBrush brush;
    brush.SetColor(mouseOver_ && State() != bsDown ? onTrackColor_ : offTrackColor_);
    FrameRgn(Canvas(), region.get(), &brush, 1, 1);
}

void TSBtn::Paint() {
    if (Width() <= 0 || Height() <= 0) return;
    UpdateStateForPaint();
    TCanvas* canvas = Canvas();
    canvas->SetFont(Font());
    TRect paintRect(0, 0, Width(), Height());
    TColor a = startColor_, b = endColor_;
    if (gradient_ && invertGradient_) std::swap(a, b);

    if (Flat()) paintFlat(paintRect, a, b);
    else paintRaised(paintRect, a, b);
    if (State() == bsExclusive) {
        if (gradient_ && !useDownColor_) downFace(paintRect, a, b);
        else fill(paintRect, downColor_);
    }
    const TPoint offset = pressed() ? TPoint(1, 1) : TPoint(0, 0);
    const QString guide = GuideText();
    paintRect.Inflate(-1, -1);
    if (hotTrack_) hotTrackFrame();
    glyph()->DrawEx(canvas, paintRect, offset, Caption(), Layout(), Margin(), Spacing(), State(), Transparent(),
                    avPitch_, guideVisible_, guide);
}

void TSBtn::ActionChange(TObject* Sender, bool CheckDefaults) {
    TSpeedButton::ActionChange(Sender, CheckDefaults);
    auto* action = dynamic_cast<TCustomAction*>(Sender);
    if (!action || !Glyph()->Empty() || !action->ActionList()) return;
    TImageList* images = action->ActionList()->Images();
    const Integer index = action->ImageIndex();
    if (!images || index < 0 || index >= images->Count()) return;
    // The image over clFuchsia: where it is transparent the glyph is too.
    TBitmap image;
    image.SetSize(images->Width(), images->Height());
    image.Canvas()->Brush()->SetColor(clFuchsia);
    image.Canvas()->FillRect(TRect(0, 0, image.Width(), image.Height()));
    images->Draw(image.Canvas(), 0, 0, index);
    SetGlyph(&image);
}

void TSBtn::CMMouseEnter(TMessage& Message) {
    TSpeedButton::CMMouseEnter(Message);
    mouseOver_ = true;
    Repaint();
}

void TSBtn::CMMouseLeave(TMessage& Message) {
    TSpeedButton::CMMouseLeave(Message);
    mouseOver_ = false;
    Invalidate();
}
