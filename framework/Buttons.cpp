// The speed button and its glyph objects.
#include "Buttons.h"

#include "ActnList.h"
#include "SysUtils.h"

#include <QtGui/QGuiApplication>

#include <algorithm>

// ------------------------------------------------------------ TGlyphList

Integer TGlyphList::Add(const QImage& image) {
    auto free = std::find(used_.begin(), used_.end(), false);
    const auto index = Integer(free - used_.begin());
    if (free == used_.end()) {
        images_.push_back(image);
        used_.push_back(true);
    } else {
        images_[size_t(index)] = image;
        *free = true;
    }
    ++count_;
    return index;
}

void TGlyphList::Delete(Integer index) {
    if (index < 0 || index >= Integer(used_.size()) || !used_[size_t(index)]) return;
    used_[size_t(index)] = false;
    images_[size_t(index)] = QImage();
    --count_;
}

const QImage& TGlyphList::Image(Integer index) const {
    if (index < 0 || index >= Integer(used_.size()) || !used_[size_t(index)])
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return images_[size_t(index)];
}

// ------------------------------------------------------------ TGlyphCache

namespace {

TGlyphCache* cache = nullptr;
Integer glyphCount = 0;

}  // namespace

TGlyphCache* GlyphCache() {
    return cache;
}

TGlyphList* TGlyphCache::GetList(Integer width, Integer height) {
    for (auto& list : lists_) {
        if (list->Width() == width && list->Height() == height) return list.get();
    }
    lists_.push_back(std::make_unique<TGlyphList>(width, height));
    return lists_.back().get();
}

void TGlyphCache::ReturnList(TGlyphList* list) {
    if (!list || list->Count() != 0) return;
    lists_.erase(std::remove_if(lists_.begin(), lists_.end(), [list](const auto& l) { return l.get() == list; }),
                 lists_.end());
}

// ------------------------------------------------------------ TButtonGlyph

TButtonGlyph::TButtonGlyph() : original_(std::make_unique<TBitmap>()) {
    original_->OnChange = [this](TObject*) { glyphChanged(); };
    if (glyphCount++ == 0) cache = new TGlyphCache;
}

TButtonGlyph::~TButtonGlyph() {
    Invalidate();
    if (--glyphCount == 0 && cache && cache->Empty()) {
        delete cache;
        cache = nullptr;
    }
}

void TButtonGlyph::glyphChanged() {
    Invalidate();
    if (!original_->Empty()) transparentColor_ = original_->TransparentColor();
    if (OnChange) OnChange(nullptr);
}

void TButtonGlyph::SetGlyph(TBitmap* value) {
    Invalidate();
    if (value) original_->Assign(value);
    else original_->SetSize(0, 0);
    if (value && value->Height() > 0 && value->Width() % value->Height() == 0) {
        const Integer glyphs = value->Width() / value->Height();
        SetNumGlyphs(glyphs > 4 ? 1 : glyphs);
    }
}

void TButtonGlyph::SetNumGlyphs(TNumGlyphs value) {
    value = std::clamp(value, 1, 4);
    if (value == numGlyphs_) return;
    Invalidate();
    numGlyphs_ = value;
    if (OnChange) OnChange(nullptr);
}

TSize TButtonGlyph::GlyphSize() const {
    if (original_->Empty()) return TSize();
    return TSize{original_->Width() / numGlyphs_, original_->Height()};
}

void TButtonGlyph::Invalidate() {
    if (!glyphList_) return;
    for (Integer& index : indexes_) {
        glyphList_->Delete(index);
        index = -1;
    }
    if (cache) cache->ReturnList(glyphList_);
    glyphList_ = nullptr;
}

Integer TButtonGlyph::CreateButtonGlyph(TButtonState state) {
    Integer& index = indexes_[size_t(state)];
    if (index != -1) return index;
    const TSize size = GlyphSize();
    if (size.cx <= 0 || size.cy <= 0 || !cache) return -1;
    if (!glyphList_) glyphList_ = cache->GetList(size.cx, size.cy);
    const Integer piece = Integer(state) < numGlyphs_ ? Integer(state) : 0;
    QImage image = original_->Image().convertToFormat(QImage::Format_ARGB32).copy(piece * size.cx, 0, size.cx, size.cy);
    const QRgb key = ToQColor(ColorToRGB(transparentColor_)).rgb() & 0xFFFFFF;
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((row[x] & 0xFFFFFF) == key) row[x] = 0;
    }
    if (state == bsDisabled && numGlyphs_ == 1) image = EmbossedGlyph(image);
    index = glyphList_->Add(image);
    return index;
}

QImage TButtonGlyph::StateImage(TButtonState state) {
    const Integer index = CreateButtonGlyph(state);
    return index < 0 ? QImage() : glyphList_->Image(index);
}

QImage EmbossedGlyph(const QImage& image) {
    QImage out(image.size(), QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    const QRgb highlight = ToQColor(ColorToRGB(clBtnHighlight)).rgba();
    const QRgb shadow = ToQColor(ColorToRGB(clBtnShadow)).rgba();
    auto ink = [&image](int x, int y) {
        const QRgb p = image.pixel(x, y);
        return qAlpha(p) != 0 && (p & 0xFFFFFF) != 0xFFFFFF;
    };
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (ink(x, y) && x + 1 < out.width() && y + 1 < out.height()) out.setPixel(x + 1, y + 1, highlight);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (ink(x, y)) out.setPixel(x, y, shadow);
    return out;
}

void TButtonGlyph::CalcButtonLayout(TCanvas* canvas, const TRect& client, const TPoint& offset,
                                    const QString& caption, TButtonLayout layout, Integer margin, Integer spacing,
                                    TPoint& glyphPos, TRect& textBounds) {
    const TPoint clientSize(client.Width(), client.Height());
    const TSize glyph = GlyphSize();
    const TPoint glyphSize(glyph.cx, glyph.cy);
    TPoint textSize;
    if (!caption.isEmpty()) {
        textBounds = TRect(0, 0, client.Width(), 0);
        DrawText(canvas, caption, -1, textBounds, DT_CALCRECT);
        textSize = TPoint(textBounds.Width(), textBounds.Height());
    }
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    // Along the layout axis (a) and across it.
    auto along = [horizontal](const TPoint& p) { return horizontal ? p.X : p.Y; };
    TPoint textPos;
    if (horizontal) {
        glyphPos.Y = (clientSize.Y - glyphSize.Y + 1) / 2;
        textPos.Y = (clientSize.Y - textSize.Y + 1) / 2;
    } else {
        glyphPos.X = (clientSize.X - glyphSize.X + 1) / 2;
        textPos.X = (clientSize.X - textSize.X + 1) / 2;
    }
    if (textSize.X == 0 || glyphSize.X == 0) spacing = 0;
    if (margin == -1) {
        if (spacing == -1) {
            margin = (along(clientSize) - along(glyphSize) - along(textSize)) / 3;
            spacing = margin;
        } else {
            margin = (along(clientSize) - (along(glyphSize) + spacing + along(textSize)) + 1) / 2;
        }
    } else if (spacing == -1) {
        spacing = (along(clientSize) - (margin + along(glyphSize)) - along(textSize)) / 2;
    }
    switch (layout) {
    case blGlyphLeft:
        glyphPos.X = margin;
        textPos.X = glyphPos.X + glyphSize.X + spacing;
        break;
    case blGlyphRight:
        glyphPos.X = clientSize.X - margin - glyphSize.X;
        textPos.X = glyphPos.X - spacing - textSize.X;
        break;
    case blGlyphTop:
        glyphPos.Y = margin;
        textPos.Y = glyphPos.Y + glyphSize.Y + spacing;
        break;
    case blGlyphBottom:
        glyphPos.Y = clientSize.Y - margin - glyphSize.Y;
        textPos.Y = glyphPos.Y - spacing - textSize.Y;
        break;
    }
    glyphPos.X += client.Left + offset.X;
    glyphPos.Y += client.Top + offset.Y;
    textBounds = Bounds(textPos.X + client.Left + offset.X, textPos.Y + client.Top + offset.Y, textSize.X, textSize.Y);
}

void TButtonGlyph::DrawButtonGlyph(TCanvas* canvas, const TPoint& glyphPos, TButtonState state, bool transparent) {
    const QImage image = StateImage(state);
    if (image.isNull()) return;
    const TRect dest = Bounds(glyphPos.X, glyphPos.Y, image.width(), image.height());
    if (!transparent && state != bsExclusive) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(clBtnFace);
        canvas->FillRect(dest);
    }
    canvas->StretchImage(dest, image, TRect(0, 0, image.width(), image.height()));
}

void TButtonGlyph::DrawButtonText(TCanvas* canvas, const QString& caption, TRect bounds, TButtonState state,
                                  Cardinal flags) {
    canvas->Brush()->SetStyle(bsClear);
    const Cardinal format = DT_CENTER | DT_VCENTER | flags;
    if (state == bsDisabled) DrawDisabledText(canvas, caption, bounds, format);
    else DrawText(canvas, caption, -1, bounds, format);
}

TRect TButtonGlyph::Draw(TCanvas* canvas, const TRect& client, const TPoint& offset, const QString& caption,
                         TButtonLayout layout, Integer margin, Integer spacing, TButtonState state, bool transparent) {
    TPoint glyphPos;
    TRect textBounds;
    CalcButtonLayout(canvas, client, offset, caption, layout, margin, spacing, glyphPos, textBounds);
    DrawButtonGlyph(canvas, glyphPos, state, transparent);
    DrawButtonText(canvas, caption, textBounds, state, 0);
    return textBounds;
}

// ------------------------------------------------------------ TSpeedButton

TSpeedButton::TSpeedButton(TComponent* AOwner) : TSpeedButton(AOwner, std::make_unique<TButtonGlyph>()) {}

TSpeedButton::TSpeedButton(TComponent* AOwner, std::unique_ptr<TButtonGlyph> glyph)
    : TGraphicControl(AOwner), glyph_(std::move(glyph)) {
    SetBounds(0, 0, 23, 22);
    SetControlStyle({csCaptureMouse, csDoubleClicks});
    glyph_->OnChange = [this](TObject*) { Invalidate(); };
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetAllowAllUp(bool on) {
    if (allowAllUp_ == on) return;
    allowAllUp_ = on;
    UpdateExclusive();
}

void TSpeedButton::SetGroupIndex(Integer index) {
    if (groupIndex_ == index) return;
    groupIndex_ = index;
    UpdateExclusive();
}

void TSpeedButton::SetDown(bool on) {
    if (groupIndex_ == 0) on = false;
    if (on == down_) return;
    if (down_ && !allowAllUp_) return;
    down_ = on;
    if (on) {
        if (state_ == bsUp) Invalidate();
        state_ = bsExclusive;
        UpdateExclusive();
    } else {
        state_ = bsUp;
        Repaint();
    }
}

void TSpeedButton::ActionChange(TObject* Sender, bool CheckDefaults) {
    TGraphicControl::ActionChange(Sender, CheckDefaults);
    auto* action = dynamic_cast<TCustomAction*>(Sender);
    if (action && groupIndex_ != 0 && (!CheckDefaults || !down_)) SetDown(action->Checked());
}

void TSpeedButton::SetFlat(bool on) {
    if (flat_ == on) return;
    flat_ = on;
    Invalidate();
}

void TSpeedButton::SetGlyph(TBitmap* bitmap) {
    glyph_->SetGlyph(bitmap);
    Invalidate();
}

void TSpeedButton::SetNumGlyphs(TNumGlyphs value) {
    glyph_->SetNumGlyphs(value);
    Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout layout) {
    if (layout_ == layout) return;
    layout_ = layout;
    Invalidate();
}

void TSpeedButton::SetMargin(Integer margin) {
    if (margin_ == margin || margin < -1) return;
    margin_ = margin;
    Invalidate();
}

void TSpeedButton::SetSpacing(Integer spacing) {
    if (spacing_ == spacing) return;
    spacing_ = spacing;
    Invalidate();
}

void TSpeedButton::SetTransparent(bool on) {
    if (Transparent() == on) return;
    SetControlStyle(on ? ControlStyle() - csOpaque : ControlStyle() + csOpaque);
    Invalidate();
}

void TSpeedButton::UpdateExclusive() {
    if (groupIndex_ == 0 || !Parent()) return;
    TMessage m;
    m.Msg = CM_BUTTONPRESSED;
    m.WParam = WPARAM(groupIndex_);
    m.LParam = LPARAM(reinterpret_cast<intptr_t>(this));
    Parent()->Broadcast(m);
}

void TSpeedButton::CMButtonPressed(TMessage& Message) {
    if (Message.WParam != WPARAM(groupIndex_)) return;
    auto* sender = reinterpret_cast<TSpeedButton*>(intptr_t(Message.LParam));
    if (sender == this) return;
    if (sender->Down() && down_) {
        down_ = false;
        state_ = bsUp;
        Invalidate();
    }
    allowAllUp_ = sender->AllowAllUp();
}

void TSpeedButton::UpdateStateForPaint() {
    if (!Enabled()) {
        state_ = bsDisabled;
        dragging_ = false;
    } else if (state_ == bsDisabled) {
        state_ = down_ && groupIndex_ != 0 ? bsExclusive : bsUp;
    }
}

void TSpeedButton::UpdateTracking() {
    if (!flat_ || !Enabled()) return;
    // The enter or leave step settles the flag and repaints.
    mouseInControl_ = !MouseOverControl(this);
    Perform(mouseInControl_ ? CM_MOUSELEAVE : CM_MOUSEENTER);
}

void TSpeedButton::Paint() {
    UpdateStateForPaint();
    TCanvas* canvas = Canvas();
    canvas->SetFont(Font());
    TRect paintRect(0, 0, Width(), Height());
    const bool pressed = state_ == bsDown || state_ == bsExclusive;
    if (!flat_) {
        DrawFrameControl(canvas, paintRect, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (pressed ? DFCS_PUSHED : 0));
    } else {
        if (mouseInControl_ && Enabled()) {
            TRect edge = paintRect;
            DrawEdge(canvas, edge, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        } else if (!Transparent()) {
            canvas->Brush()->SetStyle(bsSolid);
            canvas->Brush()->SetColor(Color());
            canvas->FillRect(paintRect);
        }
        paintRect.Inflate(-1, -1);
    }
    if (state_ == bsExclusive && (!flat_ || !mouseInControl_)) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(cl3DLight);
        canvas->FillRect(paintRect);
    }
    const TPoint offset = pressed ? TPoint(1, 1) : TPoint(0, 0);
    glyph_->Draw(canvas, paintRect, offset, FaceCaption(), layout_, margin_, spacing_, state_, Transparent());
}

void TSpeedButton::Loaded() {
    TGraphicControl::Loaded();
    state_ = Enabled() ? bsUp : bsDisabled;
    glyph_->CreateButtonGlyph(state_);
}

bool TSpeedButton::insideClient(Integer x, Integer y) const {
    // The bottom edge counts as inside, as the platform's button has it.
    return x >= 0 && x < ClientWidth() && y >= 0 && y <= ClientHeight();
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Enabled()) return;
    if (!down_) {
        state_ = bsDown;
        Invalidate();
    }
    dragging_ = true;
}

void TSpeedButton::MouseMove(TShiftState Shift, Integer X, Integer Y) {
    TGraphicControl::MouseMove(Shift, X, Y);
    if (dragging_) {
        TButtonState newState = down_ ? bsExclusive : bsUp;
        if (insideClient(X, Y)) newState = down_ ? bsExclusive : bsDown;
        if (newState != state_) {
            state_ = newState;
            Invalidate();
        }
    } else if (!mouseInControl_) {
        UpdateTracking();
    }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    const auto guard = Guard();
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (guard.expired() || !dragging_) return;
    dragging_ = false;
    const bool doClick = insideClient(X, Y);
    if (groupIndex_ == 0) {
        state_ = bsUp;
        mouseInControl_ = false;
        // Also after a release outside: the face must not stay pressed.
        Invalidate();
    } else if (doClick) {
        SetDown(!down_);
        if (down_) Repaint();
    } else {
        state_ = down_ ? bsExclusive : bsUp;
        Repaint();
    }
    if (doClick) Click();
    if (guard.expired()) return;
    UpdateTracking();
}

void TSpeedButton::WndProc(TMessage& Message) {
    if (Message.Msg == CM_BUTTONPRESSED) {
        CMButtonPressed(Message);
        return;
    }
    const auto guard = Guard();
    TGraphicControl::WndProc(Message);
    if (Message.Msg == WM_LBUTTONDBLCLK && !guard.expired() && down_) DblClick();
}

void TSpeedButton::CMEnabledChanged(TMessage& Message) {
    TGraphicControl::CMEnabledChanged(Message);
    glyph_->CreateButtonGlyph(Enabled() ? bsUp : bsDisabled);
    UpdateTracking();
    Repaint();
}

void TSpeedButton::CMDialogChar(TMessage& Message) {
    const WideChar key(char16_t(Message.WParam));
    if (IsAccel(key, Caption()) && Enabled() && Visible() && Parent() && Parent()->Showing()) {
        Click();
        Message.Result = 1;
        return;
    }
    TGraphicControl::CMDialogChar(Message);
}

void TSpeedButton::CMSysColorChange(TMessage& Message) {
    glyph_->Invalidate();
    TGraphicControl::CMSysColorChange(Message);
}

void TSpeedButton::CMMouseEnter(TMessage& Message) {
    TGraphicControl::CMMouseEnter(Message);
    const bool captured = QGuiApplication::mouseButtons() != Qt::NoButton;
    if (flat_ && !mouseInControl_ && Enabled() && DragMode() != dmAutomatic && !captured) {
        mouseInControl_ = true;
        Repaint();
    }
}

void TSpeedButton::CMMouseLeave(TMessage& Message) {
    TGraphicControl::CMMouseLeave(Message);
    if (flat_ && mouseInControl_ && Enabled() && !dragging_) {
        mouseInControl_ = false;
        Invalidate();
    }
}
