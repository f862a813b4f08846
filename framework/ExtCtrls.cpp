#include "ExtCtrls.h"

#include "Metafile.h"

#include <algorithm>

void BevelColors(TBevelCut cut, TColor& top, TColor& bottom) {
    top = cut == bvLowered ? clBtnShadow : clBtnHighlight;
    bottom = cut == bvLowered ? clBtnHighlight : clBtnShadow;
}

TRect PanelBorderInsets(TBorderStyle style, bool ctl3D) {
    if (style != bsSingle) return TRect();
    const Integer b = ctl3D ? 2 : 1;
    return TRect(b, b, b, b);
}

void PaintPanelBorder(TCanvas* canvas, Integer width, Integer height, bool ctl3D) {
    TRect r(0, 0, width, height);
    if (ctl3D) {
        Frame3D(canvas, r, clBtnShadow, clBtnHighlight, 1);
        Frame3D(canvas, r, cl3DDkShadow, cl3DLight, 1);
    } else {
        Frame3D(canvas, r, clWindowFrame, clWindowFrame, 1);
    }
}

void Frame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, Integer width) {
    canvas->Pen()->SetWidth(1);
    --rect.Right;
    --rect.Bottom;
    for (Integer i = 0; i < width; ++i) {
        canvas->Pen()->SetColor(topColor);
        canvas->Polyline({{rect.Left, rect.Bottom}, {rect.Left, rect.Top}, {rect.Right, rect.Top}});
        canvas->Pen()->SetColor(bottomColor);
        canvas->Polyline({{rect.Right, rect.Top}, {rect.Right, rect.Bottom}, {rect.Left - 1, rect.Bottom}});
        InflateRect(rect, -1, -1);
    }
    ++rect.Right;
    ++rect.Bottom;
}

// ------------------------------------------------------------ TBevelPanelControl

TBevelPanelControl::TBevelPanelControl(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque, csDoubleClicks,
                     csReplicatable});
    SetBounds(0, 0, 185, 41);
    SetColor(clBtnFace);
}

void TBevelPanelControl::SetAlignment(TAlignment alignment) {
    alignment_ = alignment;
    Invalidate();
}

void TBevelPanelControl::bevelsChanged() {
    Realign();
    Invalidate();
}

void TBevelPanelControl::SetBevelInner(TBevelCut cut) {
    if (bevelInner_ == cut) return;
    bevelInner_ = cut;
    bevelsChanged();
}

void TBevelPanelControl::SetBevelOuter(TBevelCut cut) {
    if (bevelOuter_ == cut) return;
    bevelOuter_ = cut;
    bevelsChanged();
}

void TBevelPanelControl::SetBevelWidth(TBevelWidth width) {
    if (bevelWidth_ == width || width < 1) return;
    bevelWidth_ = width;
    bevelsChanged();
}

void TBevelPanelControl::SetBorderWidth(TBorderWidth width) {
    if (borderWidth_ == width || width < 0) return;
    borderWidth_ = width;
    bevelsChanged();
}

void TBevelPanelControl::SetBorderStyle(TBorderStyle style) {
    if (style != bsNone) style = bsSingle;
    if (borderStyle_ == style) return;
    borderStyle_ = style;
    // The client area moves inside the widget: the children's widgets are
    // placed again, as the platform re-creates the window.
    RecreateWnd();
    Perform(CM_BORDERCHANGED);
    bevelsChanged();
}

TRect TBevelPanelControl::BorderInsets() const {
    return PanelBorderInsets(borderStyle_, Ctl3D());
}

void TBevelPanelControl::AdjustClientRect(TRect& Rect) {
    TCustomControl::AdjustClientRect(Rect);
    InflateRect(Rect, -borderWidth_, -borderWidth_);
    Integer bevel = 0;
    if (bevelOuter_ != bvNone) bevel += bevelWidth_;
    if (bevelInner_ != bvNone) bevel += bevelWidth_;
    InflateRect(Rect, -bevel, -bevel);
}

void TBevelPanelControl::WndProc(TMessage& Message) {
    TCustomControl::WndProc(Message);
    if (Message.Msg == CM_CTL3DCHANGED && borderStyle_ == bsSingle) bevelsChanged();
}

void TBevelPanelControl::CMTextChanged(TMessage& Message) {
    TCustomControl::CMTextChanged(Message);
    Invalidate();
}

void TBevelPanelControl::PaintBorder(TCanvas* canvas) {
    PaintPanelBorder(canvas, Width(), Height(), Ctl3D());
}

void TBevelPanelControl::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    TColor top, bottom;
    if (bevelOuter_ != bvNone) {
        BevelColors(bevelOuter_, top, bottom);
        Frame3D(c, r, top, bottom, bevelWidth_);
    }
    PaintFace(c, r);
    if (bevelInner_ != bvNone) {
        BevelColors(bevelInner_, top, bottom);
        Frame3D(c, r, top, bottom, bevelWidth_);
    }
    c->Brush()->SetStyle(bsClear);
    c->SetFont(Font());
    // The caption is centred on the height of "W" whatever it holds.
    const Integer h = c->TextHeight(QStringLiteral("W"));
    r.Top = (r.Top + r.Bottom - h) / 2;
    r.Bottom = r.Top + h;
    const Cardinal format = DT_EXPANDTABS | DT_VCENTER | DrawTextAlignment(alignment_);
    if (Enabled()) DrawText(c->Handle(), Caption(), -1, r, format);
    else DrawDisabledText(c, Caption(), r, format);
    if (OnPaint) OnPaint(this);
}

// ------------------------------------------------------------ TCustomPanel

TCustomPanel::TCustomPanel(TComponent* AOwner) : TBevelPanelControl(AOwner) {
    SetControlStyle(ControlStyle() + csParentBackground);
}

void TCustomPanel::SetParentBackground(bool on) {
    if (ParentBackground() == on) return;
    SetControlStyle(on ? ControlStyle() + csParentBackground : ControlStyle() - csParentBackground);
    // Repaints with (or without) the panel's own colour.
    Perform(CM_COLORCHANGED);
}

void TCustomPanel::PaintFace(TCanvas* canvas, TRect& r) {
    if (!ParentBackground()) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(r);
    }
    InflateRect(r, -BorderWidth(), -BorderWidth());
}

// ------------------------------------------------------------ TBevel

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetControlStyle(ControlStyle() + csReplicatable);
    SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape shape) {
    if (shape_ == shape) return;
    shape_ = shape;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle style) {
    if (style_ == style) return;
    style_ = style;
    Invalidate();
}

void TBevel::Paint() {
    TCanvas* c = Canvas();
    TColor shadow = style_ == bsLowered ? clBtnShadow : clBtnHighlight;
    TColor light = style_ == bsLowered ? clBtnHighlight : clBtnShadow;
    c->Pen()->SetWidth(1);
    c->Pen()->SetStyle(psSolid);
    const Integer w = Width(), h = Height();
    auto line = [c](TColor color, Integer x1, Integer y1, Integer x2, Integer y2) {
        c->Pen()->SetColor(color);
        c->MoveTo(x1, y1);
        c->LineTo(x2, y2);
    };
    // Top and left in the first colour, bottom and right in the second.
    auto box = [c](TColor first, TColor second, const TRect& r) {
        c->Pen()->SetColor(first);
        c->Polyline({{r.Left, r.Bottom}, {r.Left, r.Top}, {r.Right, r.Top}});
        c->Pen()->SetColor(second);
        c->Polyline({{r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left, r.Bottom}});
    };
    switch (shape_) {
    case bsBox: box(shadow, light, TRect(0, 0, w - 1, h - 1)); break;
    case bsFrame:
        box(light, light, TRect(1, 1, w - 1, h - 1));
        box(shadow, shadow, TRect(0, 0, w - 2, h - 2));
        break;
    case bsTopLine:
        line(shadow, 0, 0, w, 0);
        line(light, 0, 1, w, 1);
        break;
    case bsBottomLine:
        line(shadow, 0, h - 2, w, h - 2);
        line(light, 0, h - 1, w, h - 1);
        break;
    case bsLeftLine:
        line(shadow, 0, 0, 0, h);
        line(light, 1, 0, 1, h);
        break;
    case bsRightLine:
        line(shadow, w - 2, 0, w - 2, h);
        line(light, w - 1, 0, w - 1, h);
        break;
    case bsSpacer: break;
    }
}

// ------------------------------------------------------------ TShape

TShapeBox ShapeBox(Integer width, Integer height, Integer penWidth, bool square) {
    TShapeBox b;
    b.X = penWidth / 2;
    b.Y = b.X;
    b.W = width - penWidth + 1;
    b.H = height - penWidth + 1;
    if (penWidth == 0) {
        --b.W;
        --b.H;
    }
    b.S = std::min(b.W, b.H);
    if (square) {
        b.X += (b.W - b.S) / 2;
        b.Y += (b.H - b.S) / 2;
        b.W = b.S;
        b.H = b.S;
    }
    return b;
}

TShape::TShape(TComponent* AOwner)
    : TGraphicControl(AOwner), pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>()) {
    SetControlStyle(ControlStyle() + csReplicatable);
    SetBounds(0, 0, 65, 65);
    pen_->OnChange = [this](TObject*) { Invalidate(); };
    brush_->OnChange = [this](TObject*) { Invalidate(); };
}

TShape::~TShape() = default;

void TShape::SetShape(TShapeType shape) {
    if (shape_ == shape) return;
    shape_ = shape;
    Invalidate();
}

void TShape::Paint() {
    TCanvas* c = Canvas();
    c->SetPen(pen_.get());
    c->SetBrush(brush_.get());
    const bool square = shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle;
    const TShapeBox b = ShapeBox(Width(), Height(), pen_->Width(), square);
    switch (shape_) {
    case stRectangle: case stSquare: c->Rectangle(b.X, b.Y, b.X + b.W, b.Y + b.H); break;
    case stRoundRect: case stRoundSquare: c->RoundRect(b.X, b.Y, b.X + b.W, b.Y + b.H, b.S / 4, b.S / 4); break;
    case stEllipse: case stCircle: c->Ellipse(b.X, b.Y, b.X + b.W, b.Y + b.H); break;
    }
}

// ------------------------------------------------------------ TPaintBox

TPaintBox::TPaintBox(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetControlStyle(ControlStyle() + csReplicatable);
    SetBounds(0, 0, 105, 105);
}

void TPaintBox::Paint() {
    if (!OnPaint) return;
    Canvas()->SetFont(Font());
    Canvas()->Brush()->SetColor(Color());
    OnPaint(this);
}

// ------------------------------------------------------------ TImage

TRect ImageDestRect(Integer pictureWidth, Integer pictureHeight, Integer clientWidth, Integer clientHeight,
                    bool stretch, bool proportional, bool center) {
    Integer w = pictureWidth, h = pictureHeight;
    const Integer cw = clientWidth, ch = clientHeight;
    if (stretch || (proportional && (w > cw || h > ch))) {
        if (proportional && w > 0 && h > 0) {
            const double ratio = double(w) / double(h);
            if (w > h) {
                w = cw;
                h = Integer(cw / ratio);
                if (h > ch) {
                    h = ch;
                    w = Integer(ch * ratio);
                }
            } else {
                h = ch;
                w = Integer(ch * ratio);
                if (w > cw) {
                    w = cw;
                    h = Integer(cw / ratio);
                }
            }
        } else {
            w = cw;
            h = ch;
        }
    }
    TRect r(0, 0, w, h);
    if (center) r.Offset((cw - w) / 2, (ch - h) / 2);
    return r;
}

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), picture_(std::make_unique<TPicture>()) {
    SetControlStyle(ControlStyle() + csReplicatable + csPannable);
    SetBounds(0, 0, 105, 105);
    picture_->OnChange = [this](TObject* Sender) { PictureChanged(Sender); };
    picture_->OnProgress = [this](TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow,
                                  const TRect& R, const QString& Msg) {
        Progress(Sender, Stage, PercentDone, RedrawNow, R, Msg);
    };
}

TImage::~TImage() = default;

TCanvas* TImage::Canvas() {
    if (!picture_->Graphic()) {
        TBitmap bitmap;
        bitmap.SetSize(Width(), Height());
        picture_->SetGraphic(&bitmap);
    }
    auto* bitmap = dynamic_cast<TBitmap*>(picture_->Graphic());
    if (!bitmap) throw EInvalidOperation(QStringLiteral("ビットマップを持っているときのみイメージの変更が可能です"));
    return bitmap->Canvas();
}

TRect TImage::DestRect() const {
    return ImageDestRect(picture_->Width(), picture_->Height(), ClientWidth(), ClientHeight(), stretch_,
                         proportional_, center_);
}

void TImage::SetStretch(bool on) {
    if (stretch_ == on) return;
    stretch_ = on;
    PictureChanged(this);
}

void TImage::SetCenter(bool on) {
    if (center_ == on) return;
    center_ = on;
    PictureChanged(this);
}

void TImage::SetProportional(bool on) {
    if (proportional_ == on) return;
    proportional_ = on;
    PictureChanged(this);
}

void TImage::SetTransparent(bool on) {
    if (transparent_ == on) return;
    transparent_ = on;
    PictureChanged(this);
}

void TImage::PictureChanged(TObject*) {
    if (AutoSize() && picture_->Width() > 0 && picture_->Height() > 0) SetBounds(Left(), Top(), picture_->Width(), picture_->Height());
    TGraphic* g = picture_->Graphic();
    bool opaque = false;
    if (g) {
        // Icons and metafiles keep their own transparency.
        if (!dynamic_cast<TIcon*>(g) && !dynamic_cast<TMetafile*>(g)) g->SetTransparent(transparent_);
        const TRect d = DestRect();
        opaque = !g->Transparent() && d.Left <= 0 && d.Top <= 0 && d.Right >= Width() && d.Bottom >= Height();
    }
    SetControlStyle(opaque ? ControlStyle() + csOpaque : ControlStyle() - csOpaque);
    if (!drawing_) Invalidate();
}

// Palettes are not kept here, so the redraw is always a paint.
void TImage::Progress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow, const TRect& R,
                      const QString& Msg) {
    const auto guard = Guard();
    if (incrementalDisplay_ && RedrawNow) Repaint();
    if (!guard.expired() && OnProgress) OnProgress(Sender, Stage, PercentDone, RedrawNow, R, Msg);
}

bool TImage::CanAutoSize(Integer& NewWidth, Integer& NewHeight) {
    if (Align() == alNone || Align() == alLeft || Align() == alRight) NewWidth = picture_->Width();
    if (Align() == alNone || Align() == alTop || Align() == alBottom) NewHeight = picture_->Height();
    return true;
}

void TImage::Paint() {
    TGraphic* g = picture_->Graphic();
    if (!g || g->Empty()) return;
    drawing_ = true;
    try {
        TGraphicControl::Canvas()->StretchDraw(DestRect(), g);
    } catch (...) {
        drawing_ = false;
        throw;
    }
    drawing_ = false;
}
