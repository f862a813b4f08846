// The bridge between a control and its Qt widget: the widget of any Qt
// class forwards every event to its control, which turns it into the
// framework's messages and calls and hands it back to the Qt class for the
// native behaviour (DefaultHandler). Included by the units that define
// controls; not part of the public surface of Controls.h.
#pragma once

#include "Controls.h"

#include <QtCore/QVariant>
#include <QtWidgets/QWidget>

#include <utility>

class QKeyEvent;
class QMouseEvent;
class QPaintEvent;
class QPainter;

// The control side of a widget; a widget holds one while its control lives.
class TControlWidgetLink {
public:
    explicit TControlWidgetLink(TControl* control) : control_(control) {}
    virtual ~TControlWidgetLink() = default;
    TControl* Control() const { return control_; }
    // The control is going: later events only reach the Qt class.
    void Detach() { control_ = nullptr; }
    virtual QWidget* Widget() = 0;
    // The Qt class's own handling of the event.
    virtual bool BaseEvent(QEvent* event) = 0;

protected:
    bool Forward(QEvent* event);

private:
    TControl* control_;
};

// A widget of Qt class Base that belongs to a control.
template <class Base>
class TControlWidget : public Base, public TControlWidgetLink {
public:
    template <class... Args>
    explicit TControlWidget(TControl* control, Args&&... args)
        : Base(std::forward<Args>(args)...), TControlWidgetLink(control) {}
    QWidget* Widget() override { return this; }
    bool BaseEvent(QEvent* event) override { return Base::event(event); }
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override {
        const QVariant native = Base::inputMethodQuery(query);
        const auto* control = dynamic_cast<const TWinControl*>(Control());
        return control ? control->ImeQuery(query, native) : native;
    }

protected:
    bool event(QEvent* event) override { return Forward(event); }
    // The focus moves only through the framework (dialog keys, SetFocus).
    bool focusNextPrevChild(bool) override { return true; }
};

// Cuts the control's own handlers off a widget it is letting go: those
// connected with the widget itself as their context. Qt's own connections
// stay, among them the watch of the accessibility cache on destroyed(),
// without which every freed widget's accessible objects would stay behind.
inline void DisconnectControlHandlers(QObject* widget) {
    QObject::disconnect(widget, nullptr, widget, nullptr);
}

// The Qt event a message came from while it is being handled, so that
// DefaultHandler can give it to the Qt class.
struct TNativeEvent {
    TControlWidgetLink* Link = nullptr;
    QEvent* Event = nullptr;
    Cardinal Msg = 0;
    bool Delivered = false;
    TNativeEvent* Outer = nullptr;
};

// The Qt shape of a cursor.
Qt::CursorShape CursorShapeOf(TCursor cursor);

// The current native event of the control being dispatched (nil when the
// message did not come from Qt).
TNativeEvent*& CurrentNativeEvent();

// Delivers the native event of Msg to the Qt class once; false when the
// message does not stand for the current Qt event of that widget.
bool DeliverNativeEvent(const TMessage& Message, const TControlWidgetLink* link);

// Makes a Qt event of a widget the current native event while its message
// is handled.
class TNativeScope {
public:
    TNativeScope(TControlWidgetLink& link, QEvent* event, Cardinal msg) {
        native_.Link = &link;
        native_.Event = event;
        native_.Msg = msg;
        native_.Outer = CurrentNativeEvent();
        CurrentNativeEvent() = &native_;
    }
    ~TNativeScope() { CurrentNativeEvent() = native_.Outer; }
    TNativeScope(const TNativeScope&) = delete;
    TNativeScope& operator=(const TNativeScope&) = delete;

private:
    TNativeEvent native_;
};

// Binds a canvas to the painter of a paint event for as long as it lives;
// the canvas may paint the event's area only.
class TCanvasBinding {
public:
    TCanvasBinding(TCanvas& canvas, QPainter& painter, const QPaintEvent& event);
    TCanvasBinding(TCanvas& canvas, QPainter& painter, const TRect& clip) : canvas_(canvas) {
        canvas_.Bind(&painter, clip);
    }
    ~TCanvasBinding() { canvas_.Unbind(); }
    TCanvasBinding(const TCanvasBinding&) = delete;
    TCanvasBinding& operator=(const TCanvasBinding&) = delete;

private:
    TCanvas& canvas_;
};

// The area a paint event asks for.
TRect PaintArea(const QPaintEvent& event);

// The key pipeline of a windowed control: dialog keys, KeyPreview, KeyDown,
// KeyPress per character and the native editing; input-method commits.
struct KeyPipeline {
    static bool Handle(TWinControl& control, TControlWidgetLink& link, QEvent* event);
    // A control got the focus: an input-method composition elsewhere ends.
    static void FocusArrived();
};

// ---- key translation, shared by the key pipeline and the key-state tracker

// The virtual-key code of a Qt key event (0 when it has none): keypad keys
// by the keypad modifier, main-row keys by their physical key where the
// platform reports it.
Word VirtualKeyOf(const QKeyEvent& event);
// The shift state of a key event; a modifier key's own press already
// carries its state, its release no longer does.
TShiftState ShiftStateOf(const QKeyEvent& event);
// The characters a key press produces, control characters included (Enter
// #13, Backspace #8, Esc #27, Tab #9, Ctrl+letter #1..#26); empty for keys
// that produce none and for Alt combinations.
QString KeyCharsOf(const QKeyEvent& event);
// The left or right variant of a modifier key (VK_LSHIFT...), else 0.
Word SideKeyOf(const QKeyEvent& event);
// Starts the application-wide key-state tracker (idempotent).
void InstallKeyStateTracking();

// ---- the mouse and the cursor beyond one widget (ControlsMouse.cpp, ControlsDrag.cpp)

// Starts the application-wide mouse filter (idempotent): the last mouse
// position and WM_MOUSEACTIVATE before a press reaches its widget.
void InstallMouseTracking();
// Where the mouse was last seen on the screen.
TPoint LastMousePos();
// A mouse event of a scroll area's viewport moved into the area's own
// coordinates, as the area's other events and its control see them.
QMouseEvent ViewportMouseInArea(const QMouseEvent& event, const QWidget& viewport);
// Shows the one override cursor of the application: the screen's when it
// is set, else the cursor of a drag in progress, else none.
void RefreshOverrideCursor();
