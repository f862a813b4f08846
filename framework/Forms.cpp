// TCustomForm: the top window, showing and closing, modal runs, and the
// per-form focus manager. The application, the screen and the scroll box
// are in FormsApplication.cpp.
#include "Forms.h"

#include "ActnList.h"
#include "ControlsWidget.h"
#include "Ime.h"

#include <QtCore/QEventLoop>
#include <QtGui/QGuiApplication>
#include <QtGui/QCloseEvent>
#include <QtGui/QPainter>
#include <QtGui/QPaintEvent>
#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>

namespace {

const QString CannotFocus = QStringLiteral("Cannot focus a disabled or invisible window");

bool FixedBorder(TBorderStyle style) {
    return style == bsSingle || style == bsDialog || style == bsToolWindow;
}

}  // namespace

TRect FormFrame(TBorderStyle style) {
    switch (style) {
    case bsNone: return TRect(0, 0, 0, 0);
    case bsSizeable: case bsSizeToolWin: return TRect(4, 13, 4, 4);
    default: return TRect(3, 29, 3, 3);
    }
}

namespace {

// Motif window-manager hints.
constexpr uint32_t MwmHintsFunctions = 1, MwmHintsDecorations = 2;
constexpr uint32_t MwmFuncResize = 2, MwmFuncMove = 4, MwmFuncMinimize = 8, MwmFuncMaximize = 16,
                   MwmFuncClose = 32;
constexpr uint32_t MwmDecorBorder = 2, MwmDecorResizeH = 4, MwmDecorTitle = 8, MwmDecorMenu = 16,
                   MwmDecorMinimize = 32, MwmDecorMaximize = 64;

bool Sizeable(TBorderStyle style) {
    return style == bsSizeable || style == bsSizeToolWin;
}

// Minimise and maximise buttons belong to plain windows only.
bool HasWindowButtons(TBorderStyle style) {
    return style == bsSingle || style == bsSizeable;
}

// Writes the hints on the native X11 window of w (nothing elsewhere).
void SetMotifHints(QWidget* w, const TFrameHints& hints) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection() || !w->testAttribute(Qt::WA_WState_Created)) return;
    xcb_connection_t* connection = x11->connection();
    static const char name[] = "_MOTIF_WM_HINTS";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof(name) - 1, name), nullptr);
    if (!atom) return;
    const uint32_t data[5] = {hints.Flags, hints.Functions, hints.Decorations, 0, 0};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(w->winId()), atom->atom, atom->atom, 32, 5,
                        data);
    xcb_flush(connection);
    std::free(atom);
}

}  // namespace

TFrameHints FrameHintsFor(TBorderStyle style, TBorderIcons icons) {
    TFrameHints h;
    if (style == bsNone) return h;
    h.Flags = MwmHintsFunctions | MwmHintsDecorations;
    h.Functions = MwmFuncMove;
    h.Decorations = MwmDecorBorder | MwmDecorTitle;
    if (Sizeable(style)) {
        h.Functions |= MwmFuncResize;
        h.Decorations |= MwmDecorResizeH;
    }
    if (icons.Contains(biSystemMenu)) {
        h.Functions |= MwmFuncClose;
        h.Decorations |= MwmDecorMenu;
    }
    if (HasWindowButtons(style) && icons.Contains(biMinimize)) {
        h.Functions |= MwmFuncMinimize;
        h.Decorations |= MwmDecorMinimize;
    }
    if (HasWindowButtons(style) && icons.Contains(biMaximize)) {
        h.Functions |= MwmFuncMaximize;
        h.Decorations |= MwmDecorMaximize;
    }
    return h;
}

// ------------------------------------------------------------ life

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner), canvas_(std::make_unique<TControlCanvas>()) {
    canvas_->SetControl(this);
    visible_ = false;
    parentFont_ = false;
    parentColor_ = false;
    color_ = clBtnFace;
    SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
    width_ = 320;
    height_ = 240;
    if (Screen) Screen->forms_.push_back(this);
}

TCustomForm::~TCustomForm() {
    Destroying();
    try {
        DoDestroy();
    } catch (...) {
        if (Application) Application->HandleException(this);
    }
    if (modalLoop_) modalLoop_->exit();
    if (Screen) {
        auto& forms = Screen->forms_;
        forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
        if (Screen->activeForm_ == this) Screen->activeForm_ = nullptr;
    }
    if (Application && Application->mainForm_ == this) Application->mainForm_ = nullptr;
}

void TCustomForm::AfterConstruction() {
    if (created_) return;
    created_ = true;
    DoCreate();
}

void TCustomForm::DoCreate() {
    if (OnCreate) OnCreate(this);
}

void TCustomForm::DoDestroy() {
    if (OnDestroy) OnDestroy(this);
}

void TCustomForm::DoShow() {
    if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
    if (OnHide) OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& Action) {
    if (OnClose) OnClose(this, Action);
}

void TCustomForm::Activate() {
    if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
    if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::Paint() {
    if (OnPaint) OnPaint(this);
}

// ------------------------------------------------------------ the window

QWidget* TCustomForm::CreateWidget(QWidget* parent) {
    // A form placed on a control is a plain child window of it.
    if (Parent()) return new TControlWidget<QWidget>(this, parent);
    auto* w = new TControlWidget<QWidget>(this, nullptr, Qt::Window);
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    return w;
}

void TCustomForm::InitWidget() {
    TWinControl::InitWidget();
    if (Parent()) return;
    QWidget* w = Widget();
    w->setWindowTitle(Caption());
    applyWindowFlags();
    placeWindow();
}

void TCustomForm::applyWindowFlags() {
    QWidget* w = Widget();
    if (!w || Parent()) return;
    Qt::WindowFlags flags;
    switch (borderStyle_) {
    case bsNone: flags = Qt::Window | Qt::FramelessWindowHint; break;
    case bsDialog: flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint; break;
    case bsToolWindow: case bsSizeToolWin: flags = Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint; break;
    default:
        flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (borderIcons_.Contains(biMinimize)) flags |= Qt::WindowMinimizeButtonHint;
        if (borderIcons_.Contains(biMaximize)) flags |= Qt::WindowMaximizeButtonHint;
        break;
    }
    if (borderIcons_.Contains(biSystemMenu)) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (formStyle_ == fsStayOnTop) flags |= Qt::WindowStaysOnTopHint;
    if (w->windowFlags() != flags) {
        const bool shown = w->isVisible();
        w->setWindowFlags(flags);
        if (shown) w->show();
    }
    applyFrameHints();
}

void TCustomForm::applyFrameHints() {
    if (QWidget* w = Widget(); w && borderStyle_ != bsNone) SetMotifHints(w, FrameHintsFor(borderStyle_, borderIcons_));
}

// Puts the Qt window where the outer bounds say: the window is the client
// area, the frame is the window manager's.
void TCustomForm::placeWindow() {
    QWidget* w = Widget();
    if (!w || placing_) return;
    placing_ = true;
    const TRect c = ClientRect();
    const TRect frame = FormFrame(borderStyle_);
    w->move(Left(), Top());
    if (FixedBorder(borderStyle_)) {
        w->setFixedSize(c.Width(), c.Height());
    } else {
        const Integer fw = frame.Left + frame.Right, fh = frame.Top + frame.Bottom;
        const TSizeConstraints* k = Constraints();
        w->setMinimumSize(k->MinWidth() > 0 ? std::max(0, k->MinWidth() - fw) : 0,
                          k->MinHeight() > 0 ? std::max(0, k->MinHeight() - fh) : 0);
        w->setMaximumSize(k->MaxWidth() > 0 ? std::max(0, k->MaxWidth() - fw) : QWIDGETSIZE_MAX,
                          k->MaxHeight() > 0 ? std::max(0, k->MaxHeight() - fh) : QWIDGETSIZE_MAX);
        w->resize(c.Width(), c.Height());
    }
    placing_ = false;
}

TRect TCustomForm::ClientRect() const {
    const TRect f = FormFrame(borderStyle_);
    return TRect(0, 0, std::max(0, Width() - f.Left - f.Right), std::max(0, Height() - f.Top - f.Bottom));
}

TPoint TCustomForm::ClientOffset() const {
    if (Parent()) return TWinControl::ClientOffset();
    QWidget* w = Widget();
    if (w && w->isVisible()) {
        const QPoint origin = w->mapToGlobal(QPoint(0, 0));
        return TPoint(origin.x() - Left(), origin.y() - Top());
    }
    return FormFrame(borderStyle_).TopLeft();
}

void TCustomForm::SetBorderStyle(TBorderStyle style) {
    if (borderStyle_ == style) return;
    const TRect c = ClientRect();
    borderStyle_ = style;
    applyWindowFlags();
    // The client area keeps its size; the outer size follows the frame.
    SetClientSize(c.Width(), c.Height());
    placeWindow();
}

void TCustomForm::SetBorderIcons(TBorderIcons icons) {
    borderIcons_ = icons;
    applyWindowFlags();
}

void TCustomForm::SetFormStyle(TFormStyle style) {
    formStyle_ = style;
    applyWindowFlags();
}

void TCustomForm::SetWindowState(TWindowState state) {
    windowState_ = state;
    QWidget* w = Widget();
    if (!w || !w->isVisible()) return;
    switch (state) {
    case wsMinimized: w->showMinimized(); break;
    case wsMaximized: w->showMaximized(); break;
    default: w->showNormal(); break;
    }
}

void TCustomForm::CMTextChanged(TMessage& Message) {
    TWinControl::CMTextChanged(Message);
    if (QWidget* w = Widget()) w->setWindowTitle(Caption());
}

// ------------------------------------------------------------ actions

namespace {

// An update handler may hide, free or add controls meanwhile.
void UpdateActionsOf(TWinControl* container) {
    const auto guard = container->Guard();
    for (Integer i = 0; !guard.expired() && container->Showing() && i < container->ControlCount(); ++i) {
        TControl* control = container->Controls(i);
        const auto alive = control->Guard();
        if (control->ControlStyle().Contains(csActionClient) && control->Visible()) control->InitiateAction();
        auto* inner = dynamic_cast<TWinControl*>(control);
        if (!alive.expired() && inner && inner->ControlCount() > 0) UpdateActionsOf(inner);
    }
}

}  // namespace

void TCustomForm::UpdateActions() {
    if (!Showing()) return;
    const auto guard = Guard();
    InitiateAction();
    if (!guard.expired()) UpdateActionsOf(this);
}

bool TCustomForm::IsShortCut(Word Key, TShiftState Shift) {
    for (Integer i = 0; i < ComponentCount(); ++i) {
        if (auto* list = dynamic_cast<TCustomActionList*>(Components(i)); list && list->IsShortCut(Key, Shift))
            return true;
    }
    return false;
}

// ------------------------------------------------------------ showing and closing

void TCustomForm::Show() {
    SetVisible(true);
    if (QWidget* w = Widget()) w->activateWindow();
}

void TCustomForm::Hide() {
    SetVisible(false);
}

void TCustomForm::CMVisibleChanged(TMessage&) {
    if (Visible()) {
        AfterConstruction();
        Application->installIdle();
        HandleNeeded();
        DoShow();
        if (!Visible()) return;
        showWindow();
    } else {
        DoHide();
        if (QWidget* w = Widget()) w->hide();
        active_ = false;
    }
}

void TCustomForm::showWindow() {
    if (Parent()) {
        Widget()->show();
        return;
    }
    if (position_ == poScreenCenter || position_ == poDesktopCenter) {
        SetBounds((Screen->Width() - Width()) / 2, (Screen->Height() - Height()) / 2, Width(), Height());
    } else if (position_ == poMainFormCenter || position_ == poOwnerFormCenter) {
        TCustomForm* center = position_ == poOwnerFormCenter ? dynamic_cast<TCustomForm*>(Owner()) : nullptr;
        if (!center && Application) center = Application->MainForm();
        if (center && center != this) {
            SetBounds(center->Left() + (center->Width() - Width()) / 2,
                      center->Top() + (center->Height() - Height()) / 2, Width(), Height());
        }
    }
    placeWindow();
    QWidget* w = Widget();
    switch (windowState_) {
    case wsMinimized: w->showMinimized(); break;
    case wsMaximized: w->showMaximized(); break;
    default: w->show(); break;
    }
    w->activateWindow();
}

bool TCustomForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Close() {
    if (modal_) {
        SetModalResult(mrCancel);
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = formStyle_ == fsMDIChild ? caMinimize : caHide;
    DoClose(action);
    if (action == caNone) return;
    if (Application && Application->MainForm() == this) Application->Terminate();
    else if (action == caHide) Hide();
    else if (action == caMinimize) SetWindowState(wsMinimized);
    else Release();
}

void TCustomForm::Release() {
    PostMessage(this, CM_RELEASE);
}

void TCustomForm::SetModalResult(TModalResult result) {
    modalResult_ = result;
    if (result != mrNone && modalLoop_) modalLoop_->exit();
}

TModalResult TCustomForm::ShowModal() {
    if (Visible() || !Enabled() || modal_)
        throw EInvalidOperation(QStringLiteral("Cannot make a visible window modal"));
    AfterConstruction();
    QWidget* w = Handle();
    QWidget* previous = QApplication::activeWindow();
    modal_ = true;
    modalResult_ = mrNone;
    w->setWindowModality(Qt::ApplicationModal);
    auto guard = Guard();
    auto finish = [&] {
        if (guard.expired()) return;
        modal_ = false;
        Hide();
        if (QWidget* own = Widget()) own->setWindowModality(Qt::NonModal);
        if (previous && previous != Widget() && previous->isVisible()) previous->activateWindow();
    };
    try {
        Show();
        for (;;) {
            if (modalResult_ == mrNone && !Application->Terminated()) {
                QEventLoop loop;
                modalLoop_ = &loop;
                Application->modalLoops_.push_back(&loop);
                loop.exec();
                auto& loops = Application->modalLoops_;
                loops.erase(std::remove(loops.begin(), loops.end(), &loop), loops.end());
                if (guard.expired()) return mrCancel;
                modalLoop_ = nullptr;
            }
            if (Application->Terminated()) {
                modalResult_ = mrCancel;
                break;
            }
            if (modalResult_ != mrNone) {
                closeModal();
                if (modalResult_ != mrNone) break;
            }
        }
    } catch (...) {
        modalLoop_ = nullptr;
        finish();
        throw;
    }
    const TModalResult result = modalResult_;
    finish();
    return result;
}

void TCustomForm::closeModal() {
    TCloseAction action = caNone;
    if (CloseQuery()) {
        action = caHide;
        DoClose(action);
    }
    if (action == caNone) modalResult_ = mrNone;
    else if (action == caFree) Release();
}

// ------------------------------------------------------------ messages and Qt events

void TCustomForm::WndProc(TMessage& Message) {
    if (Message.Msg == CM_RELEASE) {
        delete this;
        return;
    }
    TWinControl::WndProc(Message);
}

void TCustomForm::CMDialogKey(TMessage& Message) {
    const TShiftState shift = KeyDataToShiftState(Message.LParam);
    if (!shift.Contains(ssAlt)) {
        switch (Message.WParam) {
        case VK_TAB:
            if (!shift.Contains(ssCtrl)) {
                // Consumed even when no control takes the focus.
                SelectNext(activeControl_, !shift.Contains(ssShift), true);
                Message.Result = 1;
                return;
            }
            break;
        case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
            if (activeControl_ && activeControl_->Parent()) {
                activeControl_->Parent()->SelectNext(activeControl_,
                                                     Message.WParam == VK_RIGHT || Message.WParam == VK_DOWN, false);
                Message.Result = 1;
            }
            return;
        default: break;
        }
    }
    TWinControl::CMDialogKey(Message);
}

bool TCustomForm::WidgetEvent(TControlWidgetLink& link, QEvent* event) {
    // A form on a control has no window of its own to close, move or activate.
    if (Parent()) return TWinControl::WidgetEvent(link, event);
    switch (event->type()) {
    case QEvent::Close:
        // The framework closes (or hides) the window itself.
        event->ignore();
        Close();
        return true;
    case QEvent::WinIdChange:
        // Qt wrote its own hints on the new native window.
        link.BaseEvent(event);
        applyFrameHints();
        return true;
    case QEvent::WindowActivate:
        link.BaseEvent(event);
        windowActivated();
        return true;
    case QEvent::WindowDeactivate:
        link.BaseEvent(event);
        windowDeactivated();
        return true;
    case QEvent::Move:
    case QEvent::Resize: {
        link.BaseEvent(event);
        QWidget* w = link.Widget();
        if (!placing_ && w->isVisible() && event->spontaneous()) {
            const TRect frame = FormFrame(borderStyle_);
            const QPoint pos = w->frameGeometry().topLeft();
            placing_ = true;
            SetBounds(pos.x(), pos.y(), w->width() + frame.Left + frame.Right,
                      w->height() + frame.Top + frame.Bottom);
            placing_ = false;
        }
        return true;
    }
    default:
        return TWinControl::WidgetEvent(link, event);
    }
}

void TCustomForm::PaintWidget(TControlWidgetLink&, QPaintEvent* event) {
    QPainter painter(Widget());
    TCanvasBinding binding(*canvas_, painter, *event);
    Paint();
}

void TCustomForm::windowActivated() {
    active_ = true;
    if (Screen) Screen->activeForm_ = this;
    Perform(CM_ACTIVATE);
    Activate();
    if (!active_) return;
    if (!activeControl_) activeControl_ = FindNextControl(nullptr, true, true, false);
    setWindowFocus();
}

void TCustomForm::windowDeactivated() {
    active_ = false;
    Perform(CM_DEACTIVATE);
    Deactivate();
}

// ------------------------------------------------------------ the focus manager

TWinControl* TCustomForm::ActiveControl() const {
    TWinControl* c = activeControl_;
    while (c && c->FocusUnitPart() && c->Parent()) c = c->Parent();
    return c;
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
    if (activeControl_ == Control) return;
    if (Control && !(Control != this && GetParentForm(Control) == this && (IsLoading() || Control->CanFocus())))
        throw EInvalidOperation(CannotFocus);
    activeControl_ = Control;
    if (!IsLoading() && active_) setWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* Control) {
    const bool wasActive = active_;
    SetActiveControl(Control);
    if (!wasActive) SetFocus();
}

void TCustomForm::SetFocus() {
    if (active_) return;
    if (!Visible() || !Enabled()) throw EInvalidOperation(CannotFocus);
    setWindowFocus();
    if (QWidget* w = Widget(); w && w->isVisible()) w->activateWindow();
}

// Gives the Qt focus to the active control (or the form). Qt sends no
// focus events to an inactive window; the exit and entry steps still run
// now, so that SetFocus stays synchronous.
void TCustomForm::setWindowFocus() {
    TWinControl* target = activeControl_ && activeControl_->CanFocus() ? activeControl_ : this;
    ImeCompleteComposition(target->Handle());
    const Integer count = focusCount_;
    target->Handle()->setFocus(Qt::OtherFocusReason);
    if (count == focusCount_ && focusedControl_ != target) SetFocusedControl(target);
}

bool TCustomForm::sendFocusMessage(TWinControl* control, Cardinal msg) {
    const Integer count = focusCount_;
    control->Perform(msg);
    return count == focusCount_;
}

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
    ++focusCount_;
    activeControl_ = Control != this ? Control : nullptr;
    if (Screen) Screen->activeForm_ = this;
    if (Control->ControlState().Contains(csFocusing)) return false;
    const auto guard = Control->Guard();
    Control->SetControlState(Control->ControlState() + csFocusing);
    bool done = false;
    try {
        if (!focusedControl_) focusedControl_ = this;
        done = true;
        // Exit from the old control up to the common parent. A control whose
        // exit step is running counts as left already.
        while (focusedControl_ && !focusedControl_->ContainsControl(Control)) {
            TWinControl* leaving = focusedControl_;
            if (std::find(exiting_.begin(), exiting_.end(), leaving) == exiting_.end()) {
                exiting_.push_back(leaving);
                const bool kept = sendFocusMessage(leaving, CM_EXIT);
                exiting_.erase(std::remove(exiting_.begin(), exiting_.end(), leaving), exiting_.end());
                if (!kept) {
                    done = false;
                    break;
                }
            }
            focusedControl_ = leaving->Parent();
        }
        // Entry from the common parent down to Control.
        while (done && focusedControl_ && focusedControl_ != Control) {
            TWinControl* next = Control;
            while (next->Parent() && next->Parent() != focusedControl_) next = next->Parent();
            focusedControl_ = next;
            if (!sendFocusMessage(next, CM_ENTER)) done = false;
        }
    } catch (...) {
        if (!guard.expired()) Control->SetControlState(Control->ControlState() - csFocusing);
        throw;
    }
    if (!guard.expired()) Control->SetControlState(Control->ControlState() - csFocusing);
    return done;
}

void TCustomForm::DefocusControl(TWinControl* Control, bool Removing) {
    if (Removing && Control->ContainsControl(focusedControl_)) {
        focusedControl_ = Control->Parent();
        ++focusCount_;
    }
    exiting_.erase(std::remove_if(exiting_.begin(), exiting_.end(),
                                  [Control](TWinControl* c) { return Control->ContainsControl(c); }),
                   exiting_.end());
    if (Control->ContainsControl(activeControl_)) {
        // A part of a focus unit (a grid's cell editor) leaves the unit
        // active, also while the form is inactive: the grid gets the keys
        // when the window comes back.
        TWinControl* unit = Control->FocusUnitPart() ? Control->Parent() : nullptr;
        activeControl_ = unit && unit->CanFocus() ? unit : nullptr;
        if (!IsLoading() && active_ && !IsDestroying()) setWindowFocus();
    }
}
