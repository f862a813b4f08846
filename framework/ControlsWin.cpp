// TWinControl: children, tab order, focus entry points, the align engine
// and the widget's colours; TGraphicControl and TCustomControl painting.
#include "Controls.h"

#include "ControlsDragInternal.h"
#include "ControlsWidget.h"
#include "Forms.h"

#include <QtCore/QScopedValueRollback>
#include <QtCore/QVariant>
#include <QtGui/QFocusEvent>
#include <QtGui/QGuiApplication>
#include <QtGui/QInputMethod>
#include <QtGui/QPaintEvent>
#include <QtGui/QPainter>
#include <QtGui/QPalette>
#include <QtWidgets/QWidget>

#include <algorithm>

TCanvasBinding::TCanvasBinding(TCanvas& canvas, QPainter& painter, const QPaintEvent& event)
    : TCanvasBinding(canvas, painter, PaintArea(event)) {}

TRect PaintArea(const QPaintEvent& event) {
    const QRect r = event.rect();
    return Bounds(r.left(), r.top(), r.width(), r.height());
}

// ------------------------------------------------------------ life

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner), padding_(std::make_unique<TPadding>()) {
    padding_->OnChange = [this](TObject*) { Realign(); };
}

TWinControl::~TWinControl() {
    Destroying();
    if (TCustomForm* form = GetParentForm(this); form && form != this && !form->IsDestroying())
        form->DefocusControl(this, true);
    while (!controls_.empty()) delete controls_.back();
}

void TWinControl::insertControl(TControl* control) {
    control->parent_ = this;
    controls_.push_back(control);
    if (auto* win = dynamic_cast<TWinControl*>(control)) tabList_.push_back(win);
}

void TWinControl::removeControl(TControl* control) {
    auto* win = dynamic_cast<TWinControl*>(control);
    if (win && !IsDestroying()) {
        if (TCustomForm* form = GetParentForm(this); form && !form->IsDestroying()) form->DefocusControl(win, true);
    }
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    // By address: a control being destroyed no longer knows it is windowed.
    tabList_.erase(std::remove_if(tabList_.begin(), tabList_.end(),
                                  [control](TWinControl* t) { return static_cast<TControl*>(t) == control; }),
                   tabList_.end());
    control->parent_ = nullptr;
    DragManager::ClientRemoved(*this, *control);
    // Without a parent window the control's widget cannot stay.
    if (win) win->destroyWidgetTree();
    else control->DestroyWidget();
    if (!IsDestroying()) Realign();
}

void TWinControl::destroyWidgetTree() {
    for (TControl* c : controls_) {
        if (auto* win = dynamic_cast<TWinControl*>(c)) win->destroyWidgetTree();
        else c->DestroyWidget();
    }
    if (HandleAllocated()) DestroyWnd();
    DestroyWidget();
}

TControl* TWinControl::Controls(Integer index) const {
    if (index < 0 || index >= ControlCount())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return controls_[size_t(index)];
}

bool TWinControl::ContainsControl(const TControl* control) const {
    for (const TControl* c = control; c; c = c->Parent()) {
        if (c == this) return true;
    }
    return false;
}

TControl* TWinControl::FindChildControl(const QString& name) const {
    if (name.isEmpty()) return nullptr;
    for (TControl* c : controls_) {
        if (c->Name().compare(name, Qt::CaseInsensitive) == 0) return c;
    }
    return nullptr;
}

void TWinControl::Broadcast(TMessage& Message) {
    const std::vector<TControl*> children = controls_;
    for (TControl* c : children) {
        c->WndProc(Message);
        if (Message.Result != 0) return;
    }
}

void TWinControl::NotifyControls(Cardinal Msg) {
    TMessage m;
    m.Msg = Msg;
    Broadcast(m);
}

void TWinControl::restack() {
    // Windowless controls under windowed ones, each kind in list order.
    for (TControl* c : controls_) {
        if (!dynamic_cast<TWinControl*>(c) && c->Widget()) c->Widget()->raise();
    }
    for (TControl* c : controls_) {
        if (dynamic_cast<TWinControl*>(c) && c->Widget()) c->Widget()->raise();
    }
}

// ------------------------------------------------------------ widget

QWidget* TWinControl::CreateWidget(QWidget* parent) {
    return new TControlWidget<QWidget>(this, parent);
}

QWidget* TWinControl::ClientWidget() {
    return Handle();
}

void TWinControl::InitWidget() {
    TControl::InitWidget();
    QWidget* w = Widget();
    w->setFocusPolicy(TakesFocusOnClick() ? Qt::ClickFocus : Qt::NoFocus);
    imeByClass_ = w->testAttribute(Qt::WA_InputMethodEnabled);
    if (imeMode_ == imDisable || imeMode_ == imClose) w->setAttribute(Qt::WA_InputMethodEnabled, false);
    applyColors();
    {
        const QScopedValueRollback<bool> making(makingChildren_, true);
        for (TControl* c : std::vector<TControl*>(controls_)) c->HandleNeeded();
    }
    restack();
    CreateWnd();
}

void TWinControl::applyColors() {
    QWidget* w = Widget();
    if (!w) return;
    QPalette pal = w->palette();
    const QColor back = ToQColor(ColorToRGB(Color()));
    const QColor fore = ToQColor(ColorToRGB(Font()->Color()));
    // A disabled control writes in grey, whatever its font's colour.
    const QColor grey = ToQColor(ColorToRGB(clGrayText));
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor text = g == QPalette::Disabled ? grey : fore;
        pal.setColor(g, QPalette::Window, back);
        pal.setColor(g, QPalette::Base, back);
        pal.setColor(g, QPalette::Button, back);
        pal.setColor(g, QPalette::WindowText, text);
        pal.setColor(g, QPalette::Text, text);
        pal.setColor(g, QPalette::ButtonText, text);
    }
    w->setPalette(pal);
    w->setAutoFillBackground(!ControlStyle().Contains(csParentBackground));
}

void TWinControl::RecreateWnd() {
    Perform(CM_RECREATEWND);
}

void TWinControl::SetImeMode(TImeMode mode) {
    imeMode_ = mode;
    if (QWidget* w = Widget()) {
        const bool off = mode == imDisable || mode == imClose;
        w->setAttribute(Qt::WA_InputMethodEnabled, off ? false : imeByClass_);
        // The input method asks again when the focus moves; a box that has
        // it tells it now.
        if (w->hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
    }
}

// Qt's line edit answers the input method without looking at
// WA_InputMethodEnabled: the closing modes answer here.
QVariant TWinControl::ImeQuery(Qt::InputMethodQuery query, const QVariant& native) const {
    if (imeMode_ != imClose && imeMode_ != imDisable) return native;
    switch (query) {
    case Qt::ImEnabled: return false;
    case Qt::ImHints: return int(Qt::InputMethodHints::fromInt(native.toInt()) | ImeClosedHints());
    default: return native;
    }
}

Qt::InputMethodHints TWinControl::ImeClosedHints() const {
    return Qt::ImhLatinOnly | Qt::ImhPreferLatin;
}

void TWinControl::SetCtl3D(bool on) {
    if (ctl3D_ == on) return;
    ctl3D_ = on;
    parentCtl3D_ = false;
    Perform(CM_CTL3DCHANGED);
    NotifyControls(CM_PARENTCTL3DCHANGED);
    Invalidate();
}

void TWinControl::SetParentCtl3D(bool on) {
    if (parentCtl3D_ == on) return;
    parentCtl3D_ = on;
    if (on) Perform(CM_PARENTCTL3DCHANGED);
}

void TWinControl::takeParentCtl3D() {
    if (!parentCtl3D_ || !Parent()) return;
    SetCtl3D(Parent()->Ctl3D());
    parentCtl3D_ = true;
}

// ------------------------------------------------------------ messages

void TWinControl::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_SETFOCUS: {
        // The form runs the exit and entry steps first; when they moved the
        // focus on, this control's own focus handling does not happen.
        TCustomForm* form = GetParentForm(this);
        if (form && !form->SetFocusedControl(this)) return;
        WMSetFocus(Message);
        return;
    }
    case WM_KILLFOCUS:
        if (ControlState().Contains(csFocusing)) return;
        WMKillFocus(Message);
        return;
    case WM_SIZE: WMSize(Message); return;
    case CM_CHILDKEY:
        if (Parent()) Message.Result = Parent()->Perform(Message.Msg, Message.WParam, Message.LParam);
        return;
    case CM_ENTER: DoEnter(); return;
    case CM_EXIT: DoExit(); return;
    case CM_DOCKCLIENT: CMDockClient(Message); return;
    case CM_PARENTCTL3DCHANGED: takeParentCtl3D(); return;
    case CM_RECREATEWND:
        if (HandleAllocated()) {
            const bool focused = Focused();
            destroyWidgetTree();
            HandleNeeded();
            // The same control keeps the focus: no exit or entry step.
            if (focused && CanFocus()) Handle()->setFocus(Qt::OtherFocusReason);
        }
        return;
    default: TControl::WndProc(Message); return;
    }
}

void TWinControl::WMSetFocus(TMessage& Message) {
    DefaultHandler(Message);
}

void TWinControl::WMKillFocus(TMessage& Message) {
    DefaultHandler(Message);
}

void TWinControl::WMSize(TMessage&) {
    Realign();
    if (!IsLoading()) Resize();
}

void TWinControl::Loaded() {
    TControl::Loaded();
    Realign();
}

void TWinControl::CMFontChanged(TMessage& Message) {
    TControl::CMFontChanged(Message);
    applyColors();
    NotifyControls(CM_PARENTFONTCHANGED);
}

void TWinControl::CMColorChanged(TMessage& Message) {
    TControl::CMColorChanged(Message);
    applyColors();
    NotifyControls(CM_PARENTCOLORCHANGED);
}

void TWinControl::CMDialogKey(TMessage& Message) {
    Broadcast(Message);
}

void TWinControl::CMDialogChar(TMessage& Message) {
    Broadcast(Message);
}

// ------------------------------------------------------------ tab order and focus

void TWinControl::SetTabStop(bool on) {
    tabStop_ = on;
}

Integer TWinControl::TabOrder() const {
    if (!Parent()) return -1;
    const auto& list = Parent()->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : Integer(it - list.begin());
}

void TWinControl::SetTabOrder(Integer order) {
    if (!Parent()) return;
    auto& list = Parent()->tabList_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    order = std::clamp(order, 0, Integer(list.size()));
    list.insert(list.begin() + order, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
    for (TWinControl* c : tabList_) {
        list.push_back(c);
        c->GetTabOrderList(list);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                          bool checkParent) const {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    const Integer n = Integer(list.size());
    if (n == 0) return nullptr;
    auto it = std::find(list.begin(), list.end(), current);
    Integer start = it == list.end() ? (goForward ? n - 1 : 0) : Integer(it - list.begin());
    Integer i = start;
    do {
        i = goForward ? (i + 1) % n : (i + n - 1) % n;
        TWinControl* c = list[size_t(i)];
        if (c->CanFocus() && (!checkTabStop || c->TabStop()) && (!checkParent || c->Parent() == this)) return c;
    } while (i != start);
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
    if (TWinControl* next = FindNextControl(current, goForward, checkTabStop, !checkTabStop)) next->SetFocus();
}

bool TWinControl::CanFocus() const {
    const TCustomForm* form = GetParentForm(this);
    if (!form) return false;
    for (const TControl* c = this; c != form; c = c->Parent()) {
        if (!c->Visible() || !c->Enabled()) return false;
    }
    return true;
}

bool TWinControl::Focused() const {
    return Widget() && Widget()->hasFocus();
}

void TWinControl::SetFocus() {
    ValidParentForm(this)->FocusControl(this);
}

void TWinControl::DoEnter() {
    if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
    if (OnExit) OnExit(this);
}

void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyPress(WideChar& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

namespace {

// One key step: the form previews the key (KeyPreview), then the control's
// own step runs unless the preview used it up or freed the control; true
// when the key is used up.
template <class Preview, class Own>
bool KeyStep(TWinControl& control, Preview preview, Own own) {
    TCustomForm* form = GetParentForm(&control);
    const auto guard = control.Guard();
    if (form && form != &control && form->KeyPreview() && preview(*form)) return true;
    if (guard.expired()) return true;
    return !control.ControlStyle().Contains(csNoStdEvents) && own();
}

}  // namespace

bool TWinControl::DoKeyDown(Word& Key, TShiftState Shift) {
    return KeyStep(*this, [&](TCustomForm& form) { return form.DoKeyDown(Key, Shift); },
                   [&] {
                       KeyDown(Key, Shift);
                       return Key == 0;
                   });
}

bool TWinControl::DoKeyPress(WideChar& Key) {
    return KeyStep(*this, [&](TCustomForm& form) { return form.DoKeyPress(Key); },
                   [&] {
                       KeyPress(Key);
                       return Key.isNull();
                   });
}

bool TWinControl::DoKeyUp(Word& Key, TShiftState Shift) {
    return KeyStep(*this, [&](TCustomForm& form) { return form.DoKeyUp(Key, Shift); },
                   [&] {
                       KeyUp(Key, Shift);
                       return Key == 0;
                   });
}

// ------------------------------------------------------------ align engine

bool TWinControl::CanAutoSize(Integer& NewWidth, Integer& NewHeight) {
    TRect area = ClientRect();
    AdjustClientRect(area);
    // Stretched sides of aligned children tell nothing about the extent.
    Integer right = 0, bottom = 0, across = 0, down = 0, fillW = 0, fillH = 0;
    for (TControl* c : controls_) {
        if (!c->Visible()) continue;
        switch (c->Align()) {
        case alTop: case alBottom: down += c->Height(); break;
        case alLeft: case alRight: across += c->Width(); break;
        case alClient:
            fillW = std::max(fillW, c->Width());
            fillH = std::max(fillH, c->Height());
            break;
        default:
            right = std::max(right, c->Left() + c->Width() - area.Left);
            bottom = std::max(bottom, c->Top() + c->Height() - area.Top);
            break;
        }
    }
    const TAlign align = Align();
    if (align == alNone || align == alLeft || align == alRight)
        NewWidth = std::max(right, across + fillW) + Width() - area.Width();
    if (align == alNone || align == alTop || align == alBottom)
        NewHeight = std::max(bottom, down + fillH) + Height() - area.Height();
    return true;
}

void TWinControl::DisableAlign() {
    ++alignLevel_;
}

void TWinControl::EnableAlign() {
    if (alignLevel_ > 0) --alignLevel_;
    if (alignLevel_ == 0 && alignPending_) Realign();
}

void TWinControl::Realign() {
    alignControl(nullptr);
}

void TWinControl::alignControl(TControl* control) {
    if (IsDestroying()) return;
    if (alignLevel_ > 0 || IsLoading()) {
        alignPending_ = true;
        return;
    }
    DisableAlign();
    try {
        TRect r = ClientRect();
        AlignControls(control, r);
    } catch (...) {
        alignPending_ = false;
        EnableAlign();
        throw;
    }
    // Requests made by the children while they were placed are answered.
    alignPending_ = false;
    EnableAlign();
    // An auto-sized container follows its children.
    Integer w = Width(), h = Height();
    if (AutoSize() && CanAutoSize(w, h) && (w != Width() || h != Height())) AdjustSize();
}

void TWinControl::AdjustClientRect(TRect& Rect) {
    Rect.Left += padding_->Left();
    Rect.Top += padding_->Top();
    Rect.Right -= padding_->Right();
    Rect.Bottom -= padding_->Bottom();
}

namespace {

// Whether c1 goes before c2 among the controls of one alignment.
bool AlignsBefore(const TControl* c1, const TControl* c2, TAlign align) {
    switch (align) {
    case alTop: return c1->Top() < c2->Top();
    case alBottom: return c1->Top() + c1->Height() >= c2->Top() + c2->Height();
    case alLeft: return c1->Left() < c2->Left();
    case alRight: return c1->Left() + c1->Width() >= c2->Left() + c2->Width();
    default: return false;
    }
}

}  // namespace

void TWinControl::alignGroup(TAlign align, TControl* AControl, TRect& Rect) {
    std::vector<TControl*> list;
    if (AControl && AControl->Align() == align && AControl->Visible()) list.push_back(AControl);
    for (TControl* c : controls_) {
        if (c == AControl || c->Align() != align || !c->Visible()) continue;
        size_t j = 0;
        while (j < list.size() && !AlignsBefore(c, list[j], align)) ++j;
        list.insert(list.begin() + Integer(j), c);
    }
    for (TControl* c : list) {
        if (c->Anchors() != AnchorAlign(align)) c->anchorMove(TPoint(ClientWidth(), ClientHeight()));
        Integer w = Rect.Width(), h = Rect.Height();
        if (w < 0 || align == alLeft || align == alRight) w = c->Width();
        if (h < 0 || align == alTop || align == alBottom) h = c->Height();
        Integer l = Rect.Left, t = Rect.Top;
        switch (align) {
        case alTop: Rect.Top += h; break;
        case alBottom: Rect.Bottom -= h; t = Rect.Bottom; break;
        case alLeft: Rect.Left += w; break;
        case alRight: Rect.Right -= w; l = Rect.Right; break;
        default: break;
        }
        c->anchorMove_ = true;
        try {
            c->SetBounds(l, t, w, h);
        } catch (...) {
            c->anchorMove_ = false;
            throw;
        }
        c->anchorMove_ = false;
        // A control that kept another size gives the difference back.
        const Integer dw = w - c->Width(), dh = h - c->Height();
        switch (align) {
        case alTop: Rect.Top -= dh; break;
        case alBottom: Rect.Bottom += dh; break;
        case alLeft: Rect.Left -= dw; break;
        case alRight: Rect.Right += dw; break;
        case alClient: Rect.Right += dw; Rect.Bottom += dh; break;
        default: break;
        }
    }
}

void TWinControl::AlignControls(TControl* AControl, TRect& Rect) {
    AdjustClientRect(Rect);
    for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) alignGroup(a, AControl, Rect);
    const TPoint size(ClientWidth(), ClientHeight());
    for (TControl* c : std::vector<TControl*>(controls_)) {
        if (c->Align() == alNone && c->Anchors() != TAnchors{akLeft, akTop}) c->anchorMove(size);
    }
}

// ------------------------------------------------------------ Qt events

bool TWinControl::WidgetEvent(TControlWidgetLink& link, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::InputMethod:
        return KeyPipeline::Handle(*this, link, event);
    case QEvent::FocusIn: {
        // A closing pop-up hands the focus back to where it was: no move.
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason) return link.BaseEvent(event);
        KeyPipeline::FocusArrived();
        TNativeScope scope(link, event, WM_SETFOCUS);
        Perform(WM_SETFOCUS);
        return true;
    }
    case QEvent::FocusOut: {
        TNativeScope scope(link, event, WM_KILLFOCUS);
        Perform(WM_KILLFOCUS);
        return true;
    }
    default:
        return TControl::WidgetEvent(link, event);
    }
}

// ------------------------------------------------------------ painted controls

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), canvas_(std::make_unique<TControlCanvas>()) {
    canvas_->SetControl(this);
}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::PaintWidget(TControlWidgetLink& link, QPaintEvent* event) {
    QPainter painter(link.Widget());
    TCanvasBinding binding(*canvas_, painter, *event);
    Paint();
}

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), canvas_(std::make_unique<TControlCanvas>()) {
    canvas_->SetControl(this);
}

TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWidget(TControlWidgetLink& link, QPaintEvent* event) {
    QPainter painter(link.Widget());
    const TPoint offset = widgetClientOffset();
    if (offset.X != 0 || offset.Y != 0 || !(BorderInsets() == TRect())) {
        if (Parent()) {
            TCanvasBinding border(*canvas_, painter, TRect());
            PaintBorder(canvas_.get());
        }
        painter.translate(offset.X, offset.Y);
    }
    const TRect client = ClientRect();
    painter.setClipRect(QRect(client.Left, client.Top, client.Width(), client.Height()));
    TRect area = PaintArea(*event);
    area.Offset(-offset.X, -offset.Y);
    TRect clip;
    if (!IntersectRect(clip, area, client)) return;
    TCanvasBinding binding(*canvas_, painter, clip);
    Paint();
}
