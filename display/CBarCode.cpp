// The picture image base of unit CBarCode.
#include "CBarCode.h"

#include "SysUtils.h"

#include <cmath>

namespace CBarCode {

TCustomImage::TCustomImage(TComponent* AOwner) : TGraphicControl(AOwner), picture_(std::make_unique<TPicture>()) {
    SetControlStyle(ControlStyle() + TControlStyle{csReplicatable, csPannable});
    picture_->OnChange = [this](TObject* Sender) { PictureChanged(Sender); };
    SetBounds(Left(), Top(), 105, 105);
}

TCustomImage::~TCustomImage() { picture_->OnChange = nullptr; }

TCanvas* TCustomImage::GetCanvas() {
    if (!picture_->Graphic()) {
        TBitmap bitmap;
        bitmap.SetSize(Width(), Height());
        picture_->SetGraphic(&bitmap);
    }
    auto* bitmap = dynamic_cast<TBitmap*>(picture_->Graphic());
    if (!bitmap) throw EInvalidOperation(QStringLiteral("ビットマップを持っているときのみイメージの変更が可能です"));
    return bitmap->Canvas();
}

void TCustomImage::SetStretch(bool on) {
    if (on == stretch_) return;
    stretch_ = on;
    PictureChanged(this);
}

void TCustomImage::SetCenter(bool on) {
    if (on == center_) return;
    center_ = on;
    PictureChanged(this);
}

void TCustomImage::SetTransparent(bool on) {
    if (on == transparent_) return;
    transparent_ = on;
    PictureChanged(this);
}

void TCustomImage::SetProportional(bool on) {
    if (on == proportional_) return;
    proportional_ = on;
    PictureChanged(this);
}

TRect TCustomImage::DestRect() const {
    Integer w = picture_->Width();
    Integer h = picture_->Height();
    const Integer cw = ClientWidth();
    const Integer ch = ClientHeight();
    if (stretch_ || (proportional_ && (w > cw || h > ch))) {
        if (proportional_ && w > 0 && h > 0) {
            const double ratio = double(w) / double(h);
            if (h < w) {
                w = cw;
                h = Integer(std::trunc(cw / ratio));
                if (h > ch) {
                    h = ch;
                    w = Integer(std::trunc(ch * ratio));
                }
            } else {
                h = ch;
                w = Integer(std::trunc(ch * ratio));
                if (w > cw) {
                    w = cw;
                    h = Integer(std::trunc(cw / ratio));
                }
            }
        } else {
            w = cw;
            h = ch;
        }
    }
    TRect r(0, 0, w, h);
    // Integer division truncates toward zero: a larger picture is centred too.
    if (center_) r.Offset((cw - w) / 2, (ch - h) / 2);
    return r;
}

void TCustomImage::Paint() {
    TGraphic* graphic = picture_->Graphic();
    if (!graphic) return;
    const bool wasDrawing = drawing_;
    drawing_ = true;
    TGraphicControl::Canvas()->StretchDraw(DestRect(), graphic);
    drawing_ = wasDrawing;
}

void TCustomImage::PictureChanged(TObject*) {
    if (AutoSize() && picture_->Width() > 0 && picture_->Height() > 0)
        SetBounds(Left(), Top(), picture_->Width(), picture_->Height());
    bool opaque = false;
    if (TGraphic* graphic = picture_->Graphic()) {
        if (!dynamic_cast<TIcon*>(graphic)) graphic->SetTransparent(transparent_);
        const TRect r = DestRect();
        opaque = !graphic->Transparent() && r.Left <= 0 && r.Top <= 0 && r.Right >= Width() && r.Bottom >= Height();
    }
    SetControlStyle(opaque ? ControlStyle() + csOpaque : ControlStyle() - csOpaque);
    if (!drawing_) Invalidate();
}

bool TCustomImage::CanAutoSize(Integer& NewWidth, Integer& NewHeight) {
    const TAlign align = Align();
    if (align == alNone || align == alLeft || align == alRight) NewWidth = picture_->Width();
    if (align == alNone || align == alTop || align == alBottom) NewHeight = picture_->Height();
    return true;
}

}  // namespace CBarCode
