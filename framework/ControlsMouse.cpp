// The mouse beyond one widget: an application filter that remembers where
// the mouse was last (a drag begins there) and, before Qt moves the focus,
// asks the control under a press whether its window activates and gets the
// press (WM_MOUSEACTIVATE, OnMouseActivate).
#include "Controls.h"

#include "ControlsDragInternal.h"
#include "ControlsWidget.h"
#include "Forms.h"

#include <QtCore/QCoreApplication>
#include <QtGui/QGuiApplication>
#include <QtGui/QMouseEvent>
#include <QtGui/QWindow>
#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>

namespace {

TPoint lastMouse;

QWidget* TopWidgetOf(const QWindow* window) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->windowHandle() == window) return w;
    }
    return nullptr;
}

Cardinal PressMessage(Qt::MouseButton button) {
    switch (button) {
    case Qt::RightButton: return WM_RBUTTONDOWN;
    case Qt::MiddleButton: return WM_MBUTTONDOWN;
    default: return WM_LBUTTONDOWN;
    }
}

// The enabled control under a press in the window; a disabled one leaves
// the press to its parent.
TControl* PressedControl(QWidget* top, const QPoint& pos) {
    QWidget* child = top->childAt(pos);
    TControl* control = FindControl(child ? child : top);
    while (control && !control->Enabled()) control = control->Parent();
    return control;
}

// True when the control's answer eats the press.
bool MouseActivate(const QWindow* window, const QMouseEvent& event) {
    QWidget* top = TopWidgetOf(window);
    TControl* control = top ? PressedControl(top, event.position().toPoint()) : nullptr;
    if (!control || DragManager::Active()) return false;
    const LRESULT answer =
        control->Perform(WM_MOUSEACTIVATE, 0, LPARAM(MakeLong(Word(HTCLIENT), Word(PressMessage(event.button())))));
    if ((answer == MA_ACTIVATE || answer == MA_ACTIVATEANDEAT) && !top->isActiveWindow()) top->activateWindow();
    return answer == MA_ACTIVATEANDEAT || answer == MA_NOACTIVATEANDEAT;
}

class MouseFilter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick: {
            const auto* me = static_cast<const QMouseEvent*>(event);
            const QPoint p = me->globalPosition().toPoint();
            lastMouse = TPoint(p.x(), p.y());
            // The window sees the press before Qt gives the focus to the widget.
            if (event->type() != QEvent::MouseButtonPress || !watched->isWindowType()) return false;
            try {
                return MouseActivate(static_cast<QWindow*>(watched), *me);
            } catch (...) {
                // An error of a handler never reaches Qt.
                if (Application) Application->HandleException(nullptr);
                return false;
            }
        }
        default: return false;
        }
    }
};

}  // namespace

void InstallMouseTracking() {
    static bool installed = false;
    QCoreApplication* app = QCoreApplication::instance();
    if (installed || !app) return;
    installed = true;
    auto* filter = new MouseFilter;
    filter->setParent(app);
    app->installEventFilter(filter);
}

TPoint LastMousePos() {
    return lastMouse;
}

QMouseEvent ViewportMouseInArea(const QMouseEvent& event, const QWidget& viewport) {
    return QMouseEvent(event.type(), event.position() + QPointF(viewport.pos()), event.scenePosition(),
                       event.globalPosition(), event.button(), event.buttons(), event.modifiers(),
                       event.pointingDevice());
}

TMouseActivate TControl::MouseActivate(TMouseButton Button, TShiftState Shift, Integer X, Integer Y,
                                       Integer HitTest) {
    TMouseActivate result = maDefault;
    if (OnMouseActivate) OnMouseActivate(this, Button, Shift, X, Y, HitTest, result);
    return result;
}

void TControl::WMMouseActivate(TMessage& Message) {
    const auto guard = Guard();
    const TPoint pos = ScreenToClient(lastMouse);
    TShiftState shift;
    TMouseButton button = mbLeft;
    switch (HiWord(Cardinal(Message.LParam))) {
    case WM_RBUTTONDOWN: button = mbRight; shift << ssRight; break;
    case WM_MBUTTONDOWN: button = mbMiddle; shift << ssMiddle; break;
    default: shift << ssLeft; break;
    }
    if (GetKeyState(VK_SHIFT) < 0) shift << ssShift;
    if (GetKeyState(VK_CONTROL) < 0) shift << ssCtrl;
    if (GetKeyState(VK_MENU) < 0) shift << ssAlt;
    const TMouseActivate answer = MouseActivate(button, shift, pos.X, pos.Y, LoWord(Cardinal(Message.LParam)));
    if (guard.expired()) {
        Message.Result = MA_ACTIVATE;
        return;
    }
    // The answers' ordinals are the MA_ values.
    if (answer != maDefault) Message.Result = LRESULT(answer);
    else if (Parent()) Message.Result = Parent()->Perform(Message.Msg, Message.WParam, Message.LParam);
    else Message.Result = MA_ACTIVATE;
}
