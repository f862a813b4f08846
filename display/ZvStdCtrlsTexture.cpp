// The texture panel and the texture label.
#include "ZvStdCtrls.h"

#include "ExtCtrls.h"
#include "ZvFormUtils.h"
#include "ZvTypeDef.h"

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
    : TBevelPanelControl(AOwner), texture_(std::make_unique<TBitmap>()) {
    (void)texturePanelRegistered;
    texture_->OnChange = [this](TObject*) { Invalidate(); };
    SetUseDockManager(true);
}

TTextureCustomPanel::~TTextureCustomPanel() = default;

bool TTextureCustomPanel::CanAutoSize(Integer& NewWidth, Integer& NewHeight) {
    return !autoSizeDocking_ && TBevelPanelControl::CanAutoSize(NewWidth, NewHeight);
}

void TTextureCustomPanel::CMDockClient(TMessage& Message) {
    if (!AutoSize()) return TBevelPanelControl::CMDockClient(Message);
    TFlagScope docking(autoSizeDocking_);
    const TRect r = reinterpret_cast<TDragDockObject*>(Message.WParam)->DockRect();
    switch (Align()) {
    case alTop: if (Height() == 0) SetHeight(r.Height()); break;
    case alBottom: if (Height() == 0) SetBounds(Left(), Top() - r.Height(), Width(), r.Height()); break;
    case alLeft: if (Width() == 0) SetWidth(r.Width()); break;
    case alRight: if (Width() == 0) SetBounds(Left() - r.Width(), Top(), r.Width(), Height()); break;
    default: break;
    }
    TBevelPanelControl::CMDockClient(Message);
}

void TTextureCustomPanel::SetTexture(TGraphic* graphic) {
    AssignTexture(texture_.get(), graphic);
}

void TTextureCustomPanel::PaintFace(TCanvas* canvas, TRect& r) {
    // The texture goes under the border strip too; it tiles from the
    // client origin.
    canvas->SetBrushOrigin(TPoint(0, 0));
    FillTextured(canvas, texture_.get(), Color(), r);
    InflateRect(r, -BorderWidth(), -BorderWidth());
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
