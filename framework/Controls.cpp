// TControl: bounds, state, parent font and colour, the widget bridge, the
// mouse and the message dispatch. TWinControl, the align engine and the
// painted controls are in ControlsWin.cpp; keys in ControlsKeys.cpp.
#include "Controls.h"

#include "ActnList.h"
#include "ControlsDragInternal.h"
#include "ControlsWidget.h"
#include "Forms.h"
#include "Menus.h"
#include "WidgetStyle.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QPointer>
#include <QtGui/QContextMenuEvent>
#include <QtGui/QCursor>
#include <QtGui/QMouseEvent>
#include <QtGui/QWheelEvent>
#include <QtWidgets/QApplication>
#include <QtWidgets/QToolTip>
#include <QtWidgets/QWidget>

#include <algorithm>

// ------------------------------------------------------------ widget bridge

bool TControlWidgetLink::Forward(QEvent* event) {
    TControl* control = control_;
    if (!control) return BaseEvent(event);
    try {
        return control->WidgetEvent(*this, event);
    } catch (...) {
        if (Application) Application->HandleException(control);
        return true;
    }
}

TNativeEvent*& CurrentNativeEvent() {
    static TNativeEvent* current = nullptr;
    return current;
}

bool DeliverNativeEvent(const TMessage& Message, const TControlWidgetLink* link) {
    TNativeEvent* native = CurrentNativeEvent();
    if (!native || !link || native->Link != link || native->Msg != Message.Msg || native->Delivered) return false;
    native->Delivered = true;
    native->Link->BaseEvent(native->Event);
    return true;
}

Qt::CursorShape CursorShapeOf(TCursor cursor) {
    switch (cursor) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass: case crSQLWait: return Qt::WaitCursor;
    case crDrag: case crMultiDrag: return Qt::DragCopyCursor;
    case crNoDrop: case crNo: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
    }
}

namespace {

LPARAM PointToLParam(const QPoint& p) {
    return LPARAM(MakeLong(Word(SmallInt(p.x())), Word(SmallInt(p.y()))));
}

TPoint LParamToPoint(LPARAM l) {
    return TPoint(SmallInt(LoWord(Cardinal(l))), SmallInt(HiWord(Cardinal(l))));
}

// The MK_ flags of a mouse or wheel event.
WPARAM MouseKeys(const QSinglePointEvent& e) {
    WPARAM keys = 0;
    if (e.buttons() & Qt::LeftButton) keys |= MK_LBUTTON;
    if (e.buttons() & Qt::RightButton) keys |= MK_RBUTTON;
    if (e.buttons() & Qt::MiddleButton) keys |= MK_MBUTTON;
    if (e.modifiers() & Qt::ShiftModifier) keys |= MK_SHIFT;
    if (e.modifiers() & Qt::ControlModifier) keys |= MK_CONTROL;
    return keys;
}

TShiftState KeysToShiftState(WPARAM keys) {
    TShiftState s;
    if (keys & MK_SHIFT) s << ssShift;
    if (keys & MK_CONTROL) s << ssCtrl;
    if (keys & MK_LBUTTON) s << ssLeft;
    if (keys & MK_RBUTTON) s << ssRight;
    if (keys & MK_MBUTTON) s << ssMiddle;
    if (GetKeyState(VK_MENU) < 0) s << ssAlt;
    return s;
}

Cardinal MouseMessage(const QMouseEvent& e) {
    const bool dbl = e.type() == QEvent::MouseButtonDblClick;
    const bool up = e.type() == QEvent::MouseButtonRelease;
    if (e.type() == QEvent::MouseMove) return WM_MOUSEMOVE;
    switch (e.button()) {
    case Qt::LeftButton: return dbl ? WM_LBUTTONDBLCLK : up ? WM_LBUTTONUP : WM_LBUTTONDOWN;
    case Qt::RightButton: return dbl ? WM_RBUTTONDBLCLK : up ? WM_RBUTTONUP : WM_RBUTTONDOWN;
    case Qt::MiddleButton: return dbl ? WM_MBUTTONDBLCLK : up ? WM_MBUTTONUP : WM_MBUTTONDOWN;
    default: return 0;
    }
}

bool IsMouseMessage(Cardinal msg) { return msg >= WM_MOUSEMOVE && msg <= WM_MBUTTONDBLCLK; }

// The error of a control that needs a parent window and has none.
[[noreturn]] void ThrowNoParentWindow(const TControl* control) {
    const QString name = control ? control->Name() : QString();
    throw EInvalidOperation(QStringLiteral("Control '%1' has no parent window").arg(name));
}

// ---- posted messages

const QEvent::Type PostedMessageEvent = QEvent::Type(QEvent::registerEventType());

class PostedMessage : public QEvent {
public:
    PostedMessage(std::weak_ptr<TControl*> target, const TMessage& message)
        : QEvent(PostedMessageEvent), Target(std::move(target)), Message(message) {}
    std::weak_ptr<TControl*> Target;
    TMessage Message;
};

class MessageDispatcher : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() != PostedMessageEvent) return QObject::event(e);
        auto* posted = static_cast<PostedMessage*>(e);
        if (auto alive = posted->Target.lock()) {
            TControl* control = *alive;
            try {
                control->Perform(posted->Message.Msg, posted->Message.WParam, posted->Message.LParam);
            } catch (...) {
                if (Application) Application->HandleException(control);
            }
        }
        return true;
    }
};

MessageDispatcher* Dispatcher() {
    static QPointer<MessageDispatcher> dispatcher;
    if (!dispatcher) {
        dispatcher = new MessageDispatcher;
        dispatcher->setParent(QCoreApplication::instance());
    }
    return dispatcher;
}

}  // namespace

LRESULT SendMessage(TControl* control, Cardinal msg, WPARAM wParam, LPARAM lParam) {
    return control ? control->Perform(msg, wParam, lParam) : 0;
}

bool PostMessage(TControl* control, Cardinal msg, WPARAM wParam, LPARAM lParam) {
    if (!control || !QCoreApplication::instance()) return false;
    TMessage m;
    m.Msg = msg;
    m.WParam = wParam;
    m.LParam = lParam;
    QCoreApplication::postEvent(Dispatcher(), new PostedMessage(control->Guard(), m));
    return true;
}

// ------------------------------------------------------------ small types

TAnchors AnchorAlign(TAlign align) {
    switch (align) {
    case alTop: return {akLeft, akTop, akRight};
    case alBottom: return {akLeft, akRight, akBottom};
    case alLeft: return {akLeft, akTop, akBottom};
    case alRight: return {akRight, akTop, akBottom};
    case alClient: return {akLeft, akTop, akRight, akBottom};
    default: return {akLeft, akTop};
    }
}

void TSizeConstraints::set(Integer& field, Integer v) {
    v = std::max(v, 0);
    if (field == v) return;
    field = v;
    if (OnChange) OnChange(this);
}

void TSizeConstraints::SetMinWidth(Integer v) {
    set(minWidth_, v);
    if (maxWidth_ > 0 && minWidth_ > maxWidth_) set(maxWidth_, minWidth_);
}

void TSizeConstraints::SetMinHeight(Integer v) {
    set(minHeight_, v);
    if (maxHeight_ > 0 && minHeight_ > maxHeight_) set(maxHeight_, minHeight_);
}

void TSizeConstraints::SetMaxWidth(Integer v) {
    set(maxWidth_, v);
    if (maxWidth_ > 0 && minWidth_ > maxWidth_) set(minWidth_, maxWidth_);
}

void TSizeConstraints::SetMaxHeight(Integer v) {
    set(maxHeight_, v);
    if (maxHeight_ > 0 && minHeight_ > maxHeight_) set(minHeight_, maxHeight_);
}

void TSizeConstraints::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TSizeConstraints*>(Source);
    if (!s) return TPersistent::Assign(Source);
    minWidth_ = s->minWidth_;
    minHeight_ = s->minHeight_;
    maxWidth_ = s->maxWidth_;
    maxHeight_ = s->maxHeight_;
    if (OnChange) OnChange(this);
}

void TPadding::SetBounds(Integer left, Integer top, Integer right, Integer bottom) {
    if (left_ == left && top_ == top && right_ == right && bottom_ == bottom) return;
    left_ = left;
    top_ = top;
    right_ = right;
    bottom_ = bottom;
    if (OnChange) OnChange(this);
}

void TPadding::SetLeft(Integer v) { SetBounds(v, top_, right_, bottom_); }
void TPadding::SetTop(Integer v) { SetBounds(left_, v, right_, bottom_); }
void TPadding::SetRight(Integer v) { SetBounds(left_, top_, v, bottom_); }
void TPadding::SetBottom(Integer v) { SetBounds(left_, top_, right_, v); }

void TPadding::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TPadding*>(Source);
    if (!s) return TPersistent::Assign(Source);
    SetBounds(s->left_, s->top_, s->right_, s->bottom_);
}

// ------------------------------------------------------------ TControl: life

TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner), self_(std::make_shared<TControl*>(this)),
      constraints_(std::make_unique<TSizeConstraints>()), font_(std::make_unique<TFont>()) {
    font_->OnChange = [this](TObject*) { fontChanged(); };
    constraints_->OnChange = [this](TObject*) { constraintsChanged(); };
    controlStyle_ = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
}

TControl::~TControl() {
    actionLink_.reset();
    DragManager::ControlDestroyed(this);
    self_.reset();
    if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
    if (parent_) parent_->removeControl(this);
    parent_ = nullptr;
    DestroyWidget();
}

void TControl::DestroyWidget() {
    if (!widget_) return;
    QWidget* w = widget_;
    if (link_) link_->Detach();
    widget_ = nullptr;
    link_ = nullptr;
    DisconnectControlHandlers(w);
    delete w;
}

void TControl::SetParent(TWinControl* AParent) {
    if (parent_ == AParent) return;
    // A parent inside the control would make a loop of parents.
    for (const TControl* p = AParent; p; p = p->Parent()) {
        if (p == this)
            throw EInvalidOperation(QStringLiteral("A control cannot have itself or its child as its parent"));
    }
    if (parent_) parent_->removeControl(this);
    if (AParent) {
        AParent->insertControl(this);
        Perform(CM_PARENTCOLORCHANGED);
        Perform(CM_PARENTFONTCHANGED);
        Perform(CM_PARENTBIDIMODECHANGED);
        Perform(CM_PARENTCTL3DCHANGED);
        if (AParent->HandleAllocated()) HandleNeeded();
        RequestAlign();
    }
}

QWidget* TControl::Handle() {
    if (widget_) return widget_;
    QWidget* parentWidget = nullptr;
    if (parent_) {
        parentWidget = parent_->ClientWidget();
        // Making the parent's widget made the children's, this one's too.
        if (widget_) return widget_;
    } else if (!dynamic_cast<TCustomForm*>(this)) {
        ThrowNoParentWindow(this);
    }
    InstallKeyStateTracking();
    InstallMouseTracking();
    InstallWidgetStyle();
    QWidget* w = CreateWidget(parentWidget);
    link_ = dynamic_cast<TControlWidgetLink*>(w);
    if (!link_) {
        delete w;
        throw EInvalidOperation(QStringLiteral("The widget of '%1' does not belong to it").arg(Name()));
    }
    widget_ = w;
    InitWidget();
    if (parent_ && !parent_->makingChildren_) parent_->restack();
    return widget_;
}

QWidget* TControl::CreateWidget(QWidget* parent) {
    return new TControlWidget<QWidget>(this, parent);
}

void TControl::InitWidget() {
    QWidget* w = widget_;
    w->setMouseTracking(true);
    w->setFocusPolicy(Qt::NoFocus);
    w->setFont(font_->ToQFont());
    w->setEnabled(enabled_);
    if (cursor_ != crDefault) w->setCursor(CursorShapeOf(cursor_));
    placeWidget();
    if (parent_) w->setVisible(visible_);
}

void TControl::placeWidget() {
    if (!widget_) return;
    if (!parent_) {
        if (auto* form = dynamic_cast<TCustomForm*>(this)) form->placeWindow();
        return;
    }
    TPoint offset;
    if (parent_->parent_ && parent_->ClientWidget() == parent_->widget_) offset = parent_->BorderInsets().TopLeft();
    widget_->setGeometry(left_ + offset.X, top_ + offset.Y, width_, height_);
}

void TControl::Loaded() {
    TComponent::Loaded();
    updateAnchorRules();
    if (autoSize_) AdjustSize();
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == popupMenu_) popupMenu_ = nullptr;
}

// ------------------------------------------------------------ TControl: bounds

void TControl::applyConstraints(Integer& width, Integer& height) {
    Integer minW = constraints_->MinWidth(), minH = constraints_->MinHeight();
    Integer maxW = constraints_->MaxWidth(), maxH = constraints_->MaxHeight();
    ConstrainedResize(minW, minH, maxW, maxH);
    if (maxW > 0 && width > maxW) width = maxW;
    else if (minW > 0 && width < minW) width = minW;
    if (maxH > 0 && height > maxH) height = maxH;
    else if (minH > 0 && height < minH) height = minH;
}

bool TControl::checkNewSize(Integer& width, Integer& height) {
    Integer w = std::max(width, 0), h = std::max(height, 0);
    if (!CanResize(w, h)) return false;
    applyConstraints(w, h);
    if (autoSize_) {
        Integer w2 = w, h2 = h;
        if (CanAutoSize(w2, h2) && (w2 != w || h2 != h)) {
            if (!CanResize(w2, h2)) return false;
            applyConstraints(w2, h2);
            w = w2;
            h = h2;
        }
    }
    width = w;
    height = h;
    return true;
}

void TControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
    if (!checkNewSize(AWidth, AHeight)) return;
    const bool sized = AWidth != width_ || AHeight != height_;
    if (!sized && ALeft == left_ && ATop == top_) return;
    if (!dynamic_cast<TWinControl*>(this)) Invalidate();
    left_ = ALeft;
    top_ = ATop;
    width_ = AWidth;
    height_ = AHeight;
    updateAnchorRules();
    placeWidget();
    Perform(WM_WINDOWPOSCHANGED);
    if (dynamic_cast<TWinControl*>(this)) {
        if (sized) Perform(WM_SIZE, 0, LPARAM(MakeLong(Word(ClientWidth()), Word(ClientHeight()))));
        RequestAlign();
    } else {
        Invalidate();
        RequestAlign();
        if (!IsLoading()) Resize();
    }
}

TRect TControl::ClientRect() const {
    const TRect b = BorderInsets();
    return TRect(0, 0, std::max(0, width_ - b.Left - b.Right), std::max(0, height_ - b.Top - b.Bottom));
}

void TControl::SetClientSize(Integer width, Integer height) {
    const TRect c = ClientRect();
    SetBounds(left_, top_, width_ - c.Width() + width, height_ - c.Height() + height);
}

void TControl::SetClientWidth(Integer v) { SetClientSize(v, ClientHeight()); }
void TControl::SetClientHeight(Integer v) { SetClientSize(ClientWidth(), v); }

TPoint TControl::ClientOrigin() const {
    const TPoint own = ClientOffset();
    if (!parent_) return TPoint(left_ + own.X, top_ + own.Y);
    const TPoint p = parent_->ClientOrigin();
    return TPoint(p.X + left_ + own.X, p.Y + top_ + own.Y);
}

TPoint TControl::ClientOffset() const {
    return BorderInsets().TopLeft();
}

TPoint TControl::widgetClientOffset() const {
    return parent_ ? BorderInsets().TopLeft() : TPoint();
}

TPoint TControl::ClientToScreen(const TPoint& p) const {
    const TPoint o = ClientOrigin();
    return TPoint(p.X + o.X, p.Y + o.Y);
}

TPoint TControl::ScreenToClient(const TPoint& p) const {
    const TPoint o = ClientOrigin();
    return TPoint(p.X - o.X, p.Y - o.Y);
}

TPoint TControl::ClientToParent(const TPoint& p, TWinControl* AParent) const {
    if (!AParent) AParent = parent_;
    if (!AParent) ThrowNoParentWindow(this);
    return AParent->ScreenToClient(ClientToScreen(p));
}

TPoint TControl::ParentToClient(const TPoint& p, TWinControl* AParent) const {
    if (!AParent) AParent = parent_;
    if (!AParent) ThrowNoParentWindow(this);
    return ScreenToClient(AParent->ClientToScreen(p));
}

void TControl::SetAlign(TAlign align) {
    if (align_ == align) return;
    align_ = align;
    anchors_ = AnchorAlign(align);
    RequestAlign();
}

void TControl::SetAnchors(TAnchors anchors) {
    if (anchors_ == anchors) return;
    anchors_ = anchors;
    updateAnchorRules();
}

void TControl::updateAnchorRules() {
    if (anchorMove_ || IsLoading()) return;
    if (anchors_ == TAnchors{akLeft, akTop}) {
        originalParentSize_ = TPoint();
        return;
    }
    if (anchors_.Contains(akRight)) anchorRules_.X = anchors_.Contains(akLeft) ? width_ : left_;
    else anchorRules_.X = left_ + width_ / 2;
    if (anchors_.Contains(akBottom)) anchorRules_.Y = anchors_.Contains(akTop) ? height_ : top_;
    else anchorRules_.Y = top_ + height_ / 2;
    if (parent_) originalParentSize_ = TPoint(parent_->ClientWidth(), parent_->ClientHeight());
}

// Moves the control after its parent's client area became parentSize,
// keeping the distances its anchors hold.
void TControl::anchorMove(TPoint parentSize) {
    if (originalParentSize_.X == 0 || originalParentSize_.Y == 0) return;
    Integer l = left_, t = top_, w = width_, h = height_;
    const Integer dx = parentSize.X - originalParentSize_.X;
    const Integer dy = parentSize.Y - originalParentSize_.Y;
    if (anchors_.Contains(akRight)) {
        if (anchors_.Contains(akLeft)) w = anchorRules_.X + dx;
        else l = anchorRules_.X + dx;
    } else if (!anchors_.Contains(akLeft)) {
        l = MulDiv(anchorRules_.X, parentSize.X, originalParentSize_.X) - w / 2;
    }
    if (anchors_.Contains(akBottom)) {
        if (anchors_.Contains(akTop)) h = anchorRules_.Y + dy;
        else t = anchorRules_.Y + dy;
    } else if (!anchors_.Contains(akTop)) {
        t = MulDiv(anchorRules_.Y, parentSize.Y, originalParentSize_.Y) - h / 2;
    }
    anchorMove_ = true;
    try {
        SetBounds(l, t, w, h);
    } catch (...) {
        anchorMove_ = false;
        throw;
    }
    anchorMove_ = false;
}

void TControl::SetAutoSize(bool on) {
    if (autoSize_ == on) return;
    autoSize_ = on;
    if (on) AdjustSize();
}

bool TControl::CanAutoSize(Integer&, Integer&) {
    return false;
}

void TControl::AdjustSize() {
    if (IsLoading()) return;
    SetBounds(left_, top_, width_, height_);
}

bool TControl::CanResize(Integer& NewWidth, Integer& NewHeight) {
    bool resize = true;
    if (OnCanResize) OnCanResize(this, NewWidth, NewHeight, resize);
    return resize;
}

void TControl::ConstrainedResize(Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight) {
    if (OnConstrainedResize) OnConstrainedResize(this, MinWidth, MinHeight, MaxWidth, MaxHeight);
}

void TControl::constraintsChanged() {
    SetBounds(left_, top_, width_, height_);
}

void TControl::Resize() {
    if (OnResize) OnResize(this);
}

void TControl::RequestAlign() {
    if (parent_) parent_->alignControl(this);
}

// ------------------------------------------------------------ TControl: state

bool TControl::Showing() const {
    if (!visible_) return false;
    return parent_ ? parent_->Showing() : dynamic_cast<const TCustomForm*>(this) != nullptr;
}

void TControl::SetVisible(bool on) {
    if (visible_ == on) return;
    if (!on) giveUpFocus();
    visible_ = on;
    Perform(CM_VISIBLECHANGED, on ? 1 : 0);
    RequestAlign();
}

void TControl::SetEnabled(bool on) {
    if (enabled_ == on) return;
    if (!on) giveUpFocus();
    enabled_ = on;
    Perform(CM_ENABLEDCHANGED);
}

// A windowed control going hidden or disabled: the focus leaves it first.
void TControl::giveUpFocus() {
    auto* self = dynamic_cast<TWinControl*>(this);
    if (!self) return;
    if (TCustomForm* form = GetParentForm(this); form && form != this) form->DefocusControl(self, false);
}

void TControl::fontChanged() {
    if (!fontFromParent_) parentFont_ = false;
    Perform(CM_FONTCHANGED);
}

void TControl::SetParentFont(bool on) {
    if (parentFont_ == on) return;
    parentFont_ = on;
    if (on) Perform(CM_PARENTFONTCHANGED);
}

void TControl::SetColor(TColor color) {
    if (color_ == color && !parentColor_) return;
    color_ = color;
    parentColor_ = false;
    Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool on) {
    if (parentColor_ == on) return;
    parentColor_ = on;
    if (on) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::SetBiDiMode(TBiDiMode mode) {
    parentBiDiMode_ = false;
    if (biDiMode_ == mode) return;
    biDiMode_ = mode;
    Perform(CM_BIDIMODECHANGED);
}

void TControl::SetParentBiDiMode(bool on) {
    if (parentBiDiMode_ == on) return;
    parentBiDiMode_ = on;
    if (on) Perform(CM_PARENTBIDIMODECHANGED);
}

QString TControl::GetText() const {
    return text_;
}

void TControl::SetText(const QString& text) {
    if (GetText() == text) return;
    text_ = text;
    Perform(CM_TEXTCHANGED);
}

bool TControl::ShowHint() const {
    return parentShowHint_ && parent_ ? parent_->ShowHint() : showHint_;
}

void TControl::SetShowHint(bool on) {
    showHint_ = on;
    parentShowHint_ = false;
}

void TControl::SetCursor(TCursor cursor) {
    if (cursor_ == cursor) return;
    cursor_ = cursor;
    if (widget_) {
        if (cursor == crDefault) widget_->unsetCursor();
        else widget_->setCursor(CursorShapeOf(cursor));
    }
    Perform(CM_CURSORCHANGED);
}

void TControl::SetControlStyle(TControlStyle style) {
    controlStyle_ = style;
    if (widget_) widget_->setAttribute(Qt::WA_OpaquePaintEvent, style.Contains(csOpaque));
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
    if (popupMenu_ == menu) return;
    if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
    popupMenu_ = menu;
    if (menu) menu->FreeNotification(this);
}

// ------------------------------------------------------------ TControl: painting

void TControl::Invalidate() {
    if (widget_) widget_->update();
}

void TControl::Update() {
    if (widget_ && widget_->isVisible()) widget_->repaint();
}

void TControl::Repaint() {
    Invalidate();
    Update();
}

void TControl::BringToFront() {
    if (!parent_) {
        if (widget_) widget_->activateWindow();
        return;
    }
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    list.push_back(this);
    parent_->restack();
}

void TControl::SendToBack() {
    if (!parent_) {
        if (widget_) widget_->lower();
        return;
    }
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    list.insert(list.begin(), this);
    parent_->restack();
}

void TControl::PaintWidget(TControlWidgetLink& link, QPaintEvent* event) {
    link.BaseEvent(reinterpret_cast<QEvent*>(event));
}

// ------------------------------------------------------------ TControl: messages

LRESULT TControl::Perform(Cardinal Msg, WPARAM WParam, LPARAM LParam) {
    TMessage m;
    m.Msg = Msg;
    m.WParam = WParam;
    m.LParam = LParam;
    WndProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& Message) {
    if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) && dragMode_ == dmAutomatic) {
        // The press belongs to the drag it starts.
        BeginDrag(false);
        return;
    }
    if (IsMouseMessage(Message.Msg)) {
        if (!controlStyle_.Contains(csDoubleClicks)) {
            if (Message.Msg == WM_LBUTTONDBLCLK) Message.Msg = WM_LBUTTONDOWN;
            else if (Message.Msg == WM_RBUTTONDBLCLK) Message.Msg = WM_RBUTTONDOWN;
            else if (Message.Msg == WM_MBUTTONDBLCLK) Message.Msg = WM_MBUTTONDOWN;
            if (TNativeEvent* n = CurrentNativeEvent(); n && n->Link == link_) n->Msg = Message.Msg;
        }
        WMMouse(Message);
        return;
    }
    switch (Message.Msg) {
    case WM_CONTEXTMENU: WMContextMenu(Message); return;
    case WM_MOUSEWHEEL: WMMouseWheel(Message); return;
    case WM_MOUSEACTIVATE: WMMouseActivate(Message); return;
    case CM_FONTCHANGED: CMFontChanged(Message); return;
    case CM_TEXTCHANGED: CMTextChanged(Message); return;
    case CM_COLORCHANGED: CMColorChanged(Message); return;
    case CM_ENABLEDCHANGED: CMEnabledChanged(Message); return;
    case CM_VISIBLECHANGED: CMVisibleChanged(Message); return;
    case CM_MOUSEENTER: CMMouseEnter(Message); return;
    case CM_MOUSELEAVE: CMMouseLeave(Message); return;
    case CM_DIALOGCHAR: CMDialogChar(Message); return;
    case CM_DIALOGKEY: CMDialogKey(Message); return;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(Message); return;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(Message); return;
    case CM_SYSCOLORCHANGE: CMSysColorChange(Message); return;
    case CM_BIDIMODECHANGED: CMBiDiModeChanged(Message); return;
    case CM_PARENTBIDIMODECHANGED: CMParentBiDiModeChanged(Message); return;
    default: DefaultHandler(Message); return;
    }
}

void TControl::DefaultHandler(TMessage& Message) {
    if (Message.Msg == WM_CONTEXTMENU) {
        OfferToWidgetThenParent(Message);
        return;
    }
    DeliverNativeEvent(Message, link_);
}

// The widget's own handling of the event being delivered, then the parent's
// turn, as the platform's default handling does.
void TControl::OfferToWidgetThenParent(TMessage& Message) {
    if (TNativeEvent* native = CurrentNativeEvent();
        native && native->Link == link_ && native->Msg == Message.Msg && !native->Delivered) {
        native->Event->ignore();
        DeliverNativeEvent(Message, link_);
        if (native->Event->isAccepted()) {
            Message.Result = 1;
            return;
        }
    }
    if (parent_) {
        TNativeEvent* saved = CurrentNativeEvent();
        CurrentNativeEvent() = nullptr;
        Message.Result = parent_->Perform(Message.Msg, Message.WParam, Message.LParam);
        CurrentNativeEvent() = saved;
    }
}

void TControl::CMFontChanged(TMessage&) {
    if (widget_) widget_->setFont(font_->ToQFont());
    Invalidate();
}

void TControl::CMTextChanged(TMessage&) {
    Invalidate();
}

void TControl::CMColorChanged(TMessage&) {
    Invalidate();
}

void TControl::CMEnabledChanged(TMessage&) {
    if (widget_) widget_->setEnabled(enabled_);
    Invalidate();
}

void TControl::CMVisibleChanged(TMessage&) {
    if (widget_ && parent_) widget_->setVisible(visible_);
}

void TControl::CMMouseEnter(TMessage& Message) {
    if (Message.LParam == 0 && OnMouseEnter) OnMouseEnter(this);
}

void TControl::CMMouseLeave(TMessage& Message) {
    if (Message.LParam == 0 && OnMouseLeave) OnMouseLeave(this);
}

void TControl::CMDialogChar(TMessage&) {}

void TControl::CMDialogKey(TMessage&) {}

void TControl::CMParentFontChanged(TMessage&) {
    if (!parentFont_ || !parent_) return;
    fontFromParent_ = true;
    try {
        font_->Assign(parent_->Font());
    } catch (...) {
        fontFromParent_ = false;
        throw;
    }
    fontFromParent_ = false;
}

void TControl::CMParentColorChanged(TMessage&) {
    if (!parentColor_ || !parent_) return;
    SetColor(parent_->Color());
    parentColor_ = true;
}

void TControl::CMSysColorChange(TMessage&) {
    Invalidate();
}

void TControl::CMBiDiModeChanged(TMessage&) {
    if (auto* win = dynamic_cast<TWinControl*>(this)) win->NotifyControls(CM_PARENTBIDIMODECHANGED);
    Invalidate();
}

void TControl::CMParentBiDiModeChanged(TMessage&) {
    if (!parentBiDiMode_ || !parent_) return;
    SetBiDiMode(parent_->BiDiMode());
    parentBiDiMode_ = true;
}

void TControl::WMContextMenu(TMessage& Message) {
    if (Message.Result != 0) return;
    const TPoint screen = LParamToPoint(Message.LParam);
    const bool byKeyboard = screen.X == -1 && screen.Y == -1;
    TPoint pos = screen;
    if (!byKeyboard) {
        pos = ScreenToClient(screen);
        if (!ClientRect().Contains(pos)) {
            DefaultHandler(Message);
            return;
        }
    }
    bool handled = false;
    DoContextPopup(pos, handled);
    if (handled) {
        Message.Result = 1;
        return;
    }
    if (popupMenu_ && popupMenu_->AutoPopup()) {
        popupMenu_->SetPopupComponent(this);
        const TPoint at = byKeyboard ? ClientToScreen(TPoint(0, 0)) : screen;
        popupMenu_->Popup(at.X, at.Y);
        Message.Result = 1;
        return;
    }
    DefaultHandler(Message);
}

void TControl::DoContextPopup(TPoint MousePos, bool& Handled) {
    if (OnContextPopup) OnContextPopup(this, MousePos, Handled);
}

void TControl::WMMouse(TMessage& Message) {
    DefaultHandler(Message);
    const TPoint pos = LParamToPoint(Message.LParam);
    const TShiftState shift = KeysToShiftState(Message.WParam);
    switch (Message.Msg) {
    case WM_MOUSEMOVE:
        if (!controlStyle_.Contains(csNoStdEvents)) MouseMove(shift, pos.X, pos.Y);
        break;
    case WM_LBUTTONDOWN: mouseDown(mbLeft, shift, pos, false); break;
    case WM_LBUTTONDBLCLK: mouseDown(mbLeft, shift, pos, true); break;
    case WM_RBUTTONDOWN: mouseDown(mbRight, shift, pos, false); break;
    case WM_RBUTTONDBLCLK: mouseDown(mbRight, shift, pos, true); break;
    case WM_MBUTTONDOWN: mouseDown(mbMiddle, shift, pos, false); break;
    case WM_MBUTTONDBLCLK: mouseDown(mbMiddle, shift, pos, true); break;
    case WM_LBUTTONUP: mouseUp(mbLeft, shift, pos); break;
    case WM_RBUTTONUP: mouseUp(mbRight, shift, pos); break;
    case WM_MBUTTONUP: mouseUp(mbMiddle, shift, pos); break;
    default: break;
    }
}

bool TControl::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
    bool handled = false;
    if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
    if (handled) return true;
    const TMouseWheelUpDownEvent& upDown = WheelDelta < 0 ? OnMouseWheelDown : OnMouseWheelUp;
    if (upDown) upDown(this, Shift, MousePos, handled);
    return handled;
}

void TControl::WMMouseWheel(TMessage& Message) {
    const Integer delta = SmallInt(HiWord(Cardinal(Message.WParam)));
    if (DoMouseWheel(KeysToShiftState(Message.WParam), delta, LParamToPoint(Message.LParam))) {
        Message.Result = 1;
        return;
    }
    OfferToWidgetThenParent(Message);
}

void TControl::mouseDown(TMouseButton button, TShiftState shift, TPoint pos, bool dbl) {
    if (button == mbLeft) {
        if (dbl) {
            if (controlStyle_.Contains(csClickEvents)) DblClick();
        } else if (controlStyle_.Contains(csClickEvents)) {
            controlState_ << csClicked;
        }
        controlState_ << csLButtonDown;
    }
    if (dbl) shift << ssDouble;
    if (!controlStyle_.Contains(csNoStdEvents)) MouseDown(button, shift, pos.X, pos.Y);
}

void TControl::mouseUp(TMouseButton button, TShiftState shift, TPoint pos) {
    auto guard = Guard();
    if (button == mbLeft) {
        controlState_ >> csLButtonDown;
        if (controlState_.Contains(csClicked)) {
            controlState_ >> csClicked;
            if (ClientRect().Contains(pos)) Click();
            if (guard.expired()) return;
        }
    }
    if (!controlStyle_.Contains(csNoStdEvents)) MouseUp(button, shift, pos.X, pos.Y);
}

void TControl::Click() {
    if (OnClick) OnClick(this);
    else if (actionLink_) actionLink_->Execute(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, Integer X, Integer Y) {
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

// ------------------------------------------------------------ TControl: Qt events

bool TControl::WidgetEvent(TControlWidgetLink& link, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(event);
        if (!enabled_) {
            // A disabled control lets its parent have the mouse.
            me->ignore();
            return false;
        }
        const Cardinal msg = MouseMessage(*me);
        if (msg == 0) return link.BaseEvent(event);
        TNativeScope scope(link, event, msg);
        const TPoint offset = widgetClientOffset();
        Perform(msg, MouseKeys(*me), PointToLParam(me->position().toPoint() - QPoint(offset.X, offset.Y)));
        event->accept();
        return true;
    }
    case QEvent::Wheel: {
        // The control chain has its turn here; Qt's own walk up the
        // parent widgets would hand the wheel to the same parents again.
        auto* we = static_cast<QWheelEvent*>(event);
        if (!enabled_) {
            we->ignore();
            return false;
        }
        const WPARAM wParam = WPARAM(MakeLong(Word(MouseKeys(*we)), Word(SmallInt(we->angleDelta().y()))));
        TNativeScope scope(link, event, WM_MOUSEWHEEL);
        Perform(WM_MOUSEWHEEL, wParam, PointToLParam(we->globalPosition().toPoint()));
        event->accept();
        return true;
    }
    case QEvent::ContextMenu: {
        auto* ce = static_cast<QContextMenuEvent*>(event);
        const bool byKeyboard = ce->reason() == QContextMenuEvent::Keyboard;
        const LPARAM pos = byKeyboard ? LPARAM(MakeLong(Word(-1), Word(-1))) : PointToLParam(ce->globalPos());
        TNativeScope scope(link, event, WM_CONTEXTMENU);
        Perform(WM_CONTEXTMENU, 0, pos);
        event->accept();
        return true;
    }
    case QEvent::ToolTip: {
        // Asked when the mouse rests: a control without a hint lets its parent answer.
        const QString hint = hint_.section(u'|', 0, 0);
        if (!ShowHint() || hint.isEmpty()) {
            event->ignore();
            return false;
        }
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), hint, widget_);
        return true;
    }
    case QEvent::Enter:
        Perform(CM_MOUSEENTER);
        return link.BaseEvent(event);
    case QEvent::Leave:
        Perform(CM_MOUSELEAVE);
        return link.BaseEvent(event);
    case QEvent::Paint:
        PaintWidget(link, static_cast<QPaintEvent*>(event));
        return true;
    default:
        return link.BaseEvent(event);
    }
}

bool TControl::IsAccel(WideChar Key, const QString& text) {
    const WideChar hot = GetHotkey(text);
    return !hot.isNull() && hot.toUpper() == Key.toUpper();
}

// ------------------------------------------------------------ routines

TCustomForm* GetParentForm(const TControl* control) {
    if (!control) return nullptr;
    const TControl* top = control;
    while (top->Parent()) top = top->Parent();
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(top));
}

TCustomForm* ValidParentForm(const TControl* control) {
    TCustomForm* form = GetParentForm(control);
    if (!form) ThrowNoParentWindow(control);
    return form;
}

TControl* FindControl(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (auto* link = dynamic_cast<const TControlWidgetLink*>(w)) {
            if (link->Control()) return link->Control();
        }
    }
    return nullptr;
}

TControl* FindDragTarget(const TPoint& screenPos, bool allowDisabled) {
    QWidget* w = QApplication::widgetAt(QPoint(screenPos.X, screenPos.Y));
    TControl* control = FindControl(w);
    while (control && !allowDisabled && !control->Enabled()) control = control->Parent();
    return control;
}

bool MouseOverControl(TControl* control) {
    if (!control || !control->HandleAllocated()) return false;
    const QPoint p = QCursor::pos();
    return FindDragTarget(TPoint(p.x(), p.y()), true) == control;
}

WideChar GetHotkey(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&')) continue;
        if (text[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return text[i + 1];
    }
    return WideChar();
}

QString StripHotkey(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) ++i;
        else if (text[i] == QLatin1Char('&')) continue;
        out += text[i];
    }
    return out;
}
