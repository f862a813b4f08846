// The QR code image of unit CBarCode.
#include "CBarCode.h"

#include "Windows.h"

#include <algorithm>

TCQRImage::TCQRImage(TComponent* AOwner) : TCustomImage(AOwner), encoder_(std::make_unique<TCQRCode>()) {
    SetAutoSize(false);
    SetCenter(true);
    SetIncrementalDisplay(false);
    SetProportional(false);
    SetStretch(false);
    SetTransparent(false);
}

TCQRImage::~TCQRImage() = default;

void TCQRImage::SetText(const QString& text) {
    caption_ = text;
    DrawQRCode();
}

void TCQRImage::SetAutoExpand(bool on) {
    autoExpand_ = on;
    DrawQRCode();
}

void TCQRImage::SetCorrectLevel(TQRLevel level) {
    correctLevel_ = TQRLevel(std::clamp<Integer>(level, qrLevel0L, qrLevel3H));
    DrawQRCode();
}

void TCQRImage::SetMaskingNo(TMaskingNo mask) {
    maskingNo_ = TMaskingNo(std::clamp<Integer>(mask, -1, 7));
    DrawQRCode();
}

// Kept within 1..20: a larger cell would make a bitmap of gigabytes.
void TCQRImage::SetCellSize(TCellSize size) {
    cellSize_ = TCellSize(std::clamp<Integer>(size, 1, 20));
    DrawQRCode();
}

void TCQRImage::SetQRVersion(TQRVersion version) {
    qrVersion_ = TQRVersion(std::min<Integer>(version, 40));
    DrawQRCode();
}

bool TCQRImage::DrawQRCode() {
    if (encoder_->Encode(correctLevel_, qrVersion_, autoExpand_, maskingNo_, WideToAnsi(caption_), 0)) {
        PaintSymbol();
        return true;
    }
    // No symbol: a white area the size of the control, or nothing when no
    // symbol was ever drawn.
    TBitmap* bitmap = Picture()->Bitmap();
    if (!bitmap->Empty()) {
        bitmap->SetSize(Width(), Height());
        TCanvas* canvas = bitmap->Canvas();
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(clWhite);
        canvas->FillRect(Rect(0, 0, Width(), Height()));
    }
    return false;
}

// One square of CellSize pixels per dark module, four modules of white around.
void TCQRImage::PaintSymbol() {
    const Integer n = encoder_->Size();
    const Integer c = cellSize_;
    const Integer side = c * (n + 8);
    TBitmap* bitmap = Picture()->Bitmap();
    bitmap->SetSize(0, 0);
    bitmap->SetSize(side, side);
    TCanvas* canvas = bitmap->Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clWhite);
    canvas->FillRect(Rect(0, 0, side, side));
    canvas->Brush()->SetColor(clBlack);
    for (Integer y = 0; y < n; ++y) {
        for (Integer x = 0; x < n; ++x) {
            if (encoder_->Modules(x, y)) canvas->FillRect(Bounds(c * (x + 4), c * (y + 4), c, c));
        }
    }
}
