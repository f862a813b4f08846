// The texture panel and the texture label.
#include "ZvStdCtrls.h"

#include "ExtCtrls.h"
#include "ZvFormUtils.h"

namespace {

// Copies graphic into the control's texture; nil empties it.
void AssignTexture(TBitmap* texture, TGraphic* graphic) {
    if (graphic) {
        texture->Assign(graphic);
    } else {
        texture->SetSize(0, 0);
        texture->Changed();
    }
}

// Fills r with the texture tiled from the canvas's brush origin, or with
// color when the texture is empty.
void FillTextured(TCanvas* c, TBitmap* texture, TColor color, const TRect& r) {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(color);
    c->Brush()->SetBitmap(texture->Empty() ? nullptr : texture);
    c->FillRect(r);
    c->Brush()->SetBitmap(nullptr);
}

// The form routine that prepares a window sits below this unit and cannot
// name the texture panel; it asks this test instead.
const bool texturePanelRegistered = [] {
    RegisterTexturePanelTest([](TComponent* c) { return dynamic_cast<TTexturePanel*>(c) != nullptr; });
    return true;
}();

}  // namespace

// ------------------------------------------------------------ TTextureCustomPanel

TTextureCustomPanel::TTextureCustomPanel(TComponent* AOwner)
    : TCustomControl(AOwner), texture_(std::make_unique<TBitmap>()) {
    (void)texturePanelRegistered;
    SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque, csDoubleClicks,
                     csReplicatable});
    SetBounds(0, 0, 185, 41);
    SetColor(clBtnFace);
    texture_->OnChange = [this](TObject*) { Invalidate(); };
}

TTextureCustomPanel::~TTextureCustomPanel() = default;

void TTextureCustomPanel::SetAlignment(TAlignment alignment) {
    alignment_ = alignment;
    Invalidate();
}

void TTextureCustomPanel::bevelsChanged() {
    Realign();
    Invalidate();
}

void TTextureCustomPanel::SetBevelInner(TBevelCut cut) {
    bevelInner_ = cut;
    bevelsChanged();
}

void TTextureCustomPanel::SetBevelOuter(TBevelCut cut) {
    bevelOuter_ = cut;
    bevelsChanged();
}

void TTextureCustomPanel::SetBevelWidth(TBevelWidth width) {
    if (width < 1) return;
    bevelWidth_ = width;
    bevelsChanged();
}

void TTextureCustomPanel::SetBorderWidth(TBorderWidth width) {
    if (width < 0) return;
    borderWidth_ = width;
    bevelsChanged();
}

void TTextureCustomPanel::SetBorderStyle(TBorderStyle style) {
    if (style != bsNone) style = bsSingle;
    if (borderStyle_ == style) return;
    borderStyle_ = style;
    // The client area moves inside the widget, as when the platform
    // re-creates the window.
    RecreateWnd();
    Perform(CM_BORDERCHANGED);
}

void TTextureCustomPanel::SetTexture(TGraphic* graphic) {
    AssignTexture(texture_.get(), graphic);
}

TRect TTextureCustomPanel::BorderInsets() const {
    return PanelBorderInsets(borderStyle_, Ctl3D());
}

void TTextureCustomPanel::PaintBorder(TCanvas* canvas) {
    PaintPanelBorder(canvas, Width(), Height(), Ctl3D());
}

void TTextureCustomPanel::AdjustClientRect(TRect& Rect) {
    TCustomControl::AdjustClientRect(Rect);
    InflateRect(Rect, -borderWidth_, -borderWidth_);
    if (bevelOuter_ != bvNone) InflateRect(Rect, -bevelWidth_, -bevelWidth_);
    if (bevelInner_ != bvNone) InflateRect(Rect, -bevelWidth_, -bevelWidth_);
}

void TTextureCustomPanel::WndProc(TMessage& Message) {
    TCustomControl::WndProc(Message);
    if (Message.Msg == CM_BORDERCHANGED) bevelsChanged();
    else if (Message.Msg == CM_CTL3DCHANGED && borderStyle_ == bsSingle) bevelsChanged();
}

void TTextureCustomPanel::CMTextChanged(TMessage& Message) {
    TCustomControl::CMTextChanged(Message);
    Invalidate();
}

void TTextureCustomPanel::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    TColor top, bottom;
    if (bevelOuter_ != bvNone) {
        BevelColors(bevelOuter_, top, bottom);
        Frame3D(c, r, top, bottom, bevelWidth_);
    }
    // The texture goes under the border strip too; it tiles from the
    // client origin.
    c->SetBrushOrigin(TPoint(0, 0));
    FillTextured(c, texture_.get(), Color(), r);
    InflateRect(r, -borderWidth_, -borderWidth_);
    if (bevelInner_ != bvNone) {
        BevelColors(bevelInner_, top, bottom);
        Frame3D(c, r, top, bottom, bevelWidth_);
    }
    c->Brush()->SetStyle(bsClear);
    c->SetFont(Font());
    // Centred on the height of "W" whatever the caption holds.
    const Integer h = c->TextHeight(QStringLiteral("W"));
    r.Top = (r.Top + r.Bottom - h) / 2;
    r.Bottom = r.Top + h;
    DrawText(c->Handle(), Caption(), -1, r, DT_EXPANDTABS | DT_VCENTER | DrawTextAlignment(alignment_));
    if (OnPaint) OnPaint(this);
}

// ------------------------------------------------------------ TCustomTextureLabel

TCustomTextureLabel::TCustomTextureLabel(TComponent* AOwner)
    : TCaptionControl(AOwner), texture_(std::make_unique<TBitmap>()) {
    texture_->OnChange = [this](TObject*) { Invalidate(); };
}

TCustomTextureLabel::~TCustomTextureLabel() = default;

void TCustomTextureLabel::SetTexture(TGraphic* graphic) {
    AssignTexture(texture_.get(), graphic);
}

void TCustomTextureLabel::PaintBackground(TCanvas* canvas) {
    // Pattern brushes tile from the client origin of the window being
    // painted, which for a windowless label is its parent's: the label
    // continues the pattern of a panel with the same texture.
    canvas->SetBrushOrigin(TPoint(-Left(), -Top()));
    FillTextured(canvas, texture_.get(), Color(), ClientRect());
}
