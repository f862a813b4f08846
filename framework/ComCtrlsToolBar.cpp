#include "ComCtrls.h"
#include "ActnList.h"
#include "Windows.h"

namespace {

// Group indexes of tool buttons stay clear of those programs give speed buttons.
Integer NextOwnGroup() {
    static Integer next = 0x40000000;
    return next++;
}

constexpr Integer kGapWidth = 8;
constexpr Integer kTopEdge = 2;

}  // namespace

// ------------------------------------------------------------ TToolButton

TToolButton::TToolButton(TComponent* AOwner) : TSpeedButton(AOwner), ownGroup_(NextOwnGroup()) {
    SetFlat(true);
    SetBounds(0, 0, 23, 22);
}

TToolButton::~TToolButton() = default;

TToolBar* TToolButton::ToolBar() const { return dynamic_cast<TToolBar*>(Parent()); }

void TToolButton::SetStyle(TToolButtonStyle style) {
    if (style_ == style) return;
    const bool wasGap = IsSeparator();
    style_ = style;
    if (IsSeparator() && !wasGap) SetWidth(kGapWidth);
    StyleChanged();
}

void TToolButton::SetGrouped(bool on) {
    if (grouped_ == on) return;
    grouped_ = on;
    StyleChanged();
}

void TToolButton::SetAllowAllUp(bool on) {
    if (allowAllUp_ == on) return;
    allowAllUp_ = on;
    StyleChanged();
}

void TToolButton::SetImageIndex(Integer index) {
    if (imageIndex_ == index) return;
    imageIndex_ = index;
    Invalidate();
}

void TToolButton::ActionChange(TObject* Sender, bool CheckDefaults) {
    TSpeedButton::ActionChange(Sender, CheckDefaults);
    auto* action = dynamic_cast<TCustomAction*>(Sender);
    if (action && (!CheckDefaults || imageIndex_ == -1)) SetImageIndex(action->ImageIndex());
}

void TToolButton::StyleChanged() {
    if (TToolBar* bar = ToolBar()) bar->Realign();
    else SetGroup(style_ == tbsCheck ? ownGroup_ : 0, true);
    Invalidate();
}

void TToolButton::SetGroup(Integer group, bool allowAllUp) {
    if (group == 0) {
        TSpeedButton::SetAllowAllUp(true);
        SetDown(false);
    }
    TSpeedButton::SetAllowAllUp(allowAllUp);
    SetGroupIndex(group);
}

void TToolButton::Paint() {
    TCanvas* canvas = Canvas();
    if (style_ == tbsSeparator) return;
    if (style_ == tbsDivider) {
        TRect line(Width() / 2 - 1, 0, Width() / 2 + 1, Height());
        DrawEdge(canvas, line, EDGE_ETCHED, BF_LEFT);
        return;
    }
    TSpeedButton::Paint();
    // A down button keeps its sunken edge also when the mouse is elsewhere.
    if (Down() && !MouseInControl()) {
        TRect edge(0, 0, Width(), Height());
        DrawEdge(canvas, edge, BDR_SUNKENOUTER, BF_RECT);
    }
    TToolBar* bar = ToolBar();
    TImageList* images = bar ? bar->Images() : nullptr;
    if (!images || imageIndex_ < 0 || imageIndex_ >= images->Count()) return;
    const Integer shift = State() == bsDown || State() == bsExclusive ? 1 : 0;
    images->Draw(canvas, (Width() - images->Width()) / 2 + shift, (Height() - images->Height()) / 2 + shift,
                 imageIndex_, Enabled());
}

void TToolButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (IsSeparator()) TControl::MouseDown(Button, Shift, X, Y);
    else TSpeedButton::MouseDown(Button, Shift, X, Y);
}

void TToolButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (IsSeparator()) TControl::MouseUp(Button, Shift, X, Y);
    else TSpeedButton::MouseUp(Button, Shift, X, Y);
}

// ------------------------------------------------------------ TToolBar

TToolBar::TToolBar(TComponent* AOwner) : TWinControl(AOwner) {
    SetBounds(0, 0, 150, buttonHeight_ + 2 * kTopEdge);
    SetAlign(alTop);
}

TToolBar::~TToolBar() { SetImages(nullptr); }

void TToolBar::SetButtonWidth(Integer width) {
    if (width < 1 || width == buttonWidth_) return;
    buttonWidth_ = width;
    Realign();
}

void TToolBar::SetButtonHeight(Integer height) {
    if (height < 1 || height == buttonHeight_) return;
    buttonHeight_ = height;
    Realign();
}

void TToolBar::SetFlat(bool on) {
    if (flat_ == on) return;
    flat_ = on;
    for (TToolButton* b : ToolButtons()) b->SetFlat(on);
}

void TToolBar::SetImages(TImageList* images) {
    if (images_ == images) return;
    if (images_) images_->RemoveFreeNotification(this);
    images_ = images;
    if (images_) images_->FreeNotification(this);
    for (TToolButton* b : ToolButtons()) b->Invalidate();
}

void TToolBar::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == images_) images_ = nullptr;
}

std::vector<TToolButton*> TToolBar::ToolButtons() const {
    std::vector<TToolButton*> buttons;
    for (Integer i = 0; i < ControlCount(); ++i)
        if (auto* b = dynamic_cast<TToolButton*>(Controls(i))) buttons.push_back(b);
    return buttons;
}

Integer TToolBar::ButtonCount() const { return Integer(ToolButtons().size()); }

TToolButton* TToolBar::Buttons(Integer index) const {
    const std::vector<TToolButton*> buttons = ToolButtons();
    if (index < 0 || index >= Integer(buttons.size()))
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return buttons[size_t(index)];
}

void TToolBar::AlignControls(TControl*, TRect& Rect) {
    Integer x = Rect.Left;
    for (Integer i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (!c->Visible()) continue;
        auto* b = dynamic_cast<TToolButton*>(c);
        if (b) b->SetFlat(flat_);
        const Integer width = b && !b->IsSeparator() ? buttonWidth_ : c->Width();
        const Integer height = b ? buttonHeight_ : c->Height();
        c->SetBounds(x, Rect.Top + kTopEdge, width, height);
        x += width;
    }
    UpdateGroups();
}

// Side-by-side grouped check buttons share the first one's group; any other
// button or gap ends a run.
void TToolBar::UpdateGroups() {
    Integer runGroup = 0;
    for (TToolButton* b : ToolButtons()) {
        if (b->style_ != tbsCheck) {
            b->SetGroup(0, true);
            runGroup = 0;
        } else if (!b->grouped_) {
            b->SetGroup(b->ownGroup_, true);
            runGroup = 0;
        } else {
            if (runGroup == 0) runGroup = b->ownGroup_;
            b->SetGroup(runGroup, b->allowAllUp_);
        }
    }
}
