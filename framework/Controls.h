// The control core: controls that own one Qt widget each (created on
// demand), bounds and the align engine, parents that own their children,
// painting, messages, the mouse, the key pipeline and focus. The per-form
// focus manager and the application live in Forms.h; README.md tells how a
// key and a focus change travel through these classes.
#pragma once

#include "Classes.h"
#include "Graphics.h"
#include "Types.h"
#include "Windows.h"

#include <functional>
#include <memory>
#include <vector>

class QEvent;
class QVariant;
class QPaintEvent;
class QWidget;
class TBasicAction;
class TControl;
class TControlActionLink;
class TControlWidgetLink;
class TCustomForm;
class TPopupMenu;
class TWinControl;

// ------------------------------------------------------------ messages

// Window messages that controls receive beside those of Windows.h.
constexpr Cardinal WM_MOVE = 0x0003;
constexpr Cardinal WM_SIZE = 0x0005;
constexpr Cardinal WM_ACTIVATE = 0x0006;
constexpr Cardinal WM_SETTEXT = 0x000C;
constexpr Cardinal WM_ERASEBKGND = 0x0014;
constexpr Cardinal WM_CANCELMODE = 0x001F;
constexpr Cardinal WM_MOUSEACTIVATE = 0x0021;
constexpr Cardinal WM_WINDOWPOSCHANGED = 0x0047;
constexpr Cardinal WM_CONTEXTMENU = 0x007B;
constexpr Cardinal WM_GETDLGCODE = 0x0087;
constexpr Cardinal WM_SYSKEYUP = 0x0105;
constexpr Cardinal WM_SYSCHAR = 0x0106;
constexpr Cardinal WM_IME_STARTCOMPOSITION = 0x010D;
constexpr Cardinal WM_IME_ENDCOMPOSITION = 0x010E;
constexpr Cardinal WM_COMMAND = 0x0111;
constexpr Cardinal WM_MOUSEMOVE = 0x0200;
constexpr Cardinal WM_LBUTTONDOWN = 0x0201;
constexpr Cardinal WM_LBUTTONUP = 0x0202;
constexpr Cardinal WM_LBUTTONDBLCLK = 0x0203;
constexpr Cardinal WM_RBUTTONDOWN = 0x0204;
constexpr Cardinal WM_RBUTTONUP = 0x0205;
constexpr Cardinal WM_RBUTTONDBLCLK = 0x0206;
constexpr Cardinal WM_MBUTTONDOWN = 0x0207;
constexpr Cardinal WM_MBUTTONUP = 0x0208;
constexpr Cardinal WM_MBUTTONDBLCLK = 0x0209;
// WParam: low word MK_ flags, high word the signed wheel delta (120 a notch);
// LParam: the screen point.
constexpr Cardinal WM_MOUSEWHEEL = 0x020A;
constexpr Integer WHEEL_DELTA = 120;

// WM_GETDLGCODE answers: the keys a control keeps from dialog navigation.
constexpr LRESULT DLGC_WANTARROWS = 0x0001;
constexpr LRESULT DLGC_WANTTAB = 0x0002;
constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
constexpr LRESULT DLGC_HASSETSEL = 0x0008;
constexpr LRESULT DLGC_DEFPUSHBUTTON = 0x0010;
constexpr LRESULT DLGC_UNDEFPUSHBUTTON = 0x0020;
constexpr LRESULT DLGC_RADIOBUTTON = 0x0040;
constexpr LRESULT DLGC_WANTCHARS = 0x0080;
constexpr LRESULT DLGC_STATIC = 0x0100;
constexpr LRESULT DLGC_BUTTON = 0x2000;

// Mouse-button and key flags of the mouse messages' WParam.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;

// Component messages: notifications between controls of the framework.
constexpr Cardinal CM_BASE = 0xB000;
constexpr Cardinal CM_ACTIVATE = CM_BASE + 0;
constexpr Cardinal CM_DEACTIVATE = CM_BASE + 1;
constexpr Cardinal CM_DIALOGKEY = CM_BASE + 2;      // WParam key, LParam KeyData; Result 1 = used
constexpr Cardinal CM_DIALOGCHAR = CM_BASE + 3;     // WParam char, LParam KeyData; Result 1 = used
constexpr Cardinal CM_PARENTFONTCHANGED = CM_BASE + 4;
constexpr Cardinal CM_PARENTCOLORCHANGED = CM_BASE + 5;
constexpr Cardinal CM_VISIBLECHANGED = CM_BASE + 6;
constexpr Cardinal CM_ENABLEDCHANGED = CM_BASE + 7;
constexpr Cardinal CM_COLORCHANGED = CM_BASE + 8;
constexpr Cardinal CM_FONTCHANGED = CM_BASE + 9;
constexpr Cardinal CM_CURSORCHANGED = CM_BASE + 10;
constexpr Cardinal CM_TEXTCHANGED = CM_BASE + 11;
constexpr Cardinal CM_MOUSEENTER = CM_BASE + 12;
constexpr Cardinal CM_MOUSELEAVE = CM_BASE + 13;
constexpr Cardinal CM_ENTER = CM_BASE + 14;
constexpr Cardinal CM_EXIT = CM_BASE + 15;
constexpr Cardinal CM_BUTTONPRESSED = CM_BASE + 16;  // WParam group index, LParam the button
constexpr Cardinal CM_SHOWINGCHANGED = CM_BASE + 17;
constexpr Cardinal CM_SYSCOLORCHANGE = CM_BASE + 18;
constexpr Cardinal CM_WANTSPECIALKEY = CM_BASE + 19;  // Result 1 = the control takes the key itself
constexpr Cardinal CM_CHILDKEY = CM_BASE + 20;        // WParam key, LParam the control; Result 1 = used
constexpr Cardinal CM_RECREATEWND = CM_BASE + 21;
constexpr Cardinal CM_BORDERCHANGED = CM_BASE + 22;
constexpr Cardinal CM_RELEASE = CM_BASE + 23;
constexpr Cardinal CM_CTL3DCHANGED = CM_BASE + 24;
constexpr Cardinal CM_CANCELMODE = CM_BASE + 25;
constexpr Cardinal CM_DOCKCLIENT = CM_BASE + 26;  // WParam the TDragDockObject, LParam the point (site client)
constexpr Cardinal CM_BIDIMODECHANGED = CM_BASE + 27;
constexpr Cardinal CM_PARENTBIDIMODECHANGED = CM_BASE + 28;
constexpr Cardinal CM_PARENTCTL3DCHANGED = CM_BASE + 29;

// WM_MOUSEACTIVATE: LParam low word the hit test, high word the mouse
// message; the answer says whether the window activates and gets the press.
constexpr LRESULT MA_ACTIVATE = 1, MA_ACTIVATEANDEAT = 2, MA_NOACTIVATE = 3, MA_NOACTIVATEANDEAT = 4;
constexpr Integer HTCLIENT = 1;

// KeyData of the key messages and CM_DIALOGKEY/CM_DIALOGCHAR: the shift state.
inline LPARAM ShiftStateToKeyData(TShiftState shift) { return LPARAM(shift.Bits()); }
inline TShiftState KeyDataToShiftState(LPARAM keyData) { return TShiftState::FromBits(uint64_t(keyData)); }

// The message a control receives; controls posted to after they were
// destroyed drop the message. SendMessage is Perform.
LRESULT SendMessage(TControl* control, Cardinal msg, WPARAM wParam = 0, LPARAM lParam = 0);
bool PostMessage(TControl* control, Cardinal msg, WPARAM wParam = 0, LPARAM lParam = 0);

// ------------------------------------------------------------ enumerations

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
using TAlignSet = Set<TAlign>;
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = Set<TAnchorKind>;
// The anchors an alignment implies.
TAnchors AnchorAlign(TAlign align);

enum TControlStyleValue {
    csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed, csSetCaption,
    csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable,
    csNoStdEvents, csDisplayDragImage, csReflector, csActionClient, csMenuEvents, csNeedsBorderPaint,
    csParentBackground, csPannable
};
using TControlStyle = Set<TControlStyleValue>;

enum TControlStateValue {
    csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing, csCreating,
    csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking, csAligning
};
using TControlState = Set<TControlStateValue>;

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TFormBorderStyle = TBorderStyle;
using TBevelWidth = Integer;
using TBorderWidth = Integer;
enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TImeMode {
    imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata,
    imChinese, imSHanguel, imHanguel
};
enum TDragMode { dmManual, dmAutomatic };
enum TDragKind { dkDrag, dkDock };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
enum TMouseActivate { maDefault, maActivate, maActivateAndEat, maNoActivate, maNoActivateAndEat };
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// Mouse cursors; negative values are the stock shapes.
using TCursor = SmallInt;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSize = -22,
                  crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10,
                  crHourGlass = -11, crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15,
                  crMultiDrag = -16, crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20,
                  crHandPoint = -21, crSizeAll = -22;

// ------------------------------------------------------------ event types

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, Integer X, Integer Y)>;
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, Integer WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent = std::function<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, WideChar& Key)>;
using TContextPopupEvent = std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)>;
using TCanResizeEvent = std::function<void(TObject* Sender, Integer& NewWidth, Integer& NewHeight, bool& Resize)>;
using TConstrainedResizeEvent =
    std::function<void(TObject* Sender, Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight)>;
using TMouseActivateEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X,
                                               Integer Y, Integer HitTest, TMouseActivate& MouseActivate)>;

class TDragObject;
class TDragDockObject;
// Source is the dragged control, or the drag object OnStartDrag made when
// that is not a TDragControlObject.
using TStartDragEvent = std::function<void(TObject* Sender, TDragObject*& DragObject)>;
using TDragOverEvent =
    std::function<void(TObject* Sender, TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, Integer X, Integer Y)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, Integer X, Integer Y)>;
using TStartDockEvent = std::function<void(TObject* Sender, TDragDockObject*& DragObject)>;
using TDockOverEvent = std::function<void(TObject* Sender, TDragDockObject* Source, Integer X, Integer Y,
                                          TDragState State, bool& Accept)>;
using TDockDropEvent = std::function<void(TObject* Sender, TDragDockObject* Source, Integer X, Integer Y)>;
using TGetSiteInfoEvent = std::function<void(TObject* Sender, TControl* DockClient, TRect& InfluenceRect,
                                             TPoint MousePos, bool& CanDock)>;
using TUnDockEvent = std::function<void(TObject* Sender, TControl* Client, TWinControl* NewTarget, bool& Allow)>;

// ------------------------------------------------------------ size constraints, padding

class TControl;

// Least and greatest size of a control (0: no limit); OnChange re-applies them.
class TSizeConstraints : public TPersistent {
public:
    Integer MinWidth() const { return minWidth_; }
    Integer MinHeight() const { return minHeight_; }
    Integer MaxWidth() const { return maxWidth_; }
    Integer MaxHeight() const { return maxHeight_; }
    void SetMinWidth(Integer v);
    void SetMinHeight(Integer v);
    void SetMaxWidth(Integer v);
    void SetMaxHeight(Integer v);
    void Assign(TPersistent* Source) override;

    TNotifyEvent OnChange;

private:
    void set(Integer& field, Integer v);
    Integer minWidth_ = 0;
    Integer minHeight_ = 0;
    Integer maxWidth_ = 0;
    Integer maxHeight_ = 0;
};

// Space kept free inside a container's client area by the align engine.
class TPadding : public TPersistent {
public:
    Integer Left() const { return left_; }
    Integer Top() const { return top_; }
    Integer Right() const { return right_; }
    Integer Bottom() const { return bottom_; }
    void SetLeft(Integer v);
    void SetTop(Integer v);
    void SetRight(Integer v);
    void SetBottom(Integer v);
    void SetBounds(Integer left, Integer top, Integer right, Integer bottom);
    void Assign(TPersistent* Source) override;

    TNotifyEvent OnChange;

private:
    Integer left_ = 0;
    Integer top_ = 0;
    Integer right_ = 0;
    Integer bottom_ = 0;
};

// ------------------------------------------------------------ control canvas

// A canvas bound to a control: measures with the control's resolution at
// any time, draws only while the control paints (the widget's paint event).
class TControlCanvas : public TCanvas {
public:
    TControl* Control() const { return control_; }
    void SetControl(TControl* control) { control_ = control; }

private:
    TControl* control_ = nullptr;
};

// ------------------------------------------------------------ TControl

class TControl : public TComponent {
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    // ---- parent and widget
    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* AParent);
    // The control's widget, created on demand together with its parent's;
    // EInvalidOperation ("Control '<name>' has no parent window") when no
    // form or parent widget can be made.
    QWidget* Handle();
    bool HandleAllocated() const { return widget_ != nullptr; }
    void HandleNeeded() { Handle(); }
    // The widget when it exists (nil otherwise); never creates it.
    QWidget* Widget() const { return widget_; }

    // ---- bounds (pixels in the parent's client area)
    Integer Left() const { return left_; }
    Integer Top() const { return top_; }
    Integer Width() const { return width_; }
    Integer Height() const { return height_; }
    void SetLeft(Integer v) { SetBounds(v, top_, width_, height_); }
    void SetTop(Integer v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(Integer v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(Integer v) { SetBounds(left_, top_, width_, v); }
    // Applies constraints and OnCanResize, stores, moves the widget, aligns
    // the children and then the siblings, and raises OnResize on a change.
    virtual void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight);
    TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    // The client area: the control less its border (BorderInsets).
    virtual TRect ClientRect() const;
    Integer ClientWidth() const { return ClientRect().Width(); }
    Integer ClientHeight() const { return ClientRect().Height(); }
    void SetClientWidth(Integer v);
    void SetClientHeight(Integer v);
    void SetClientSize(Integer width, Integer height);
    // Screen position of the client area's top left corner.
    TPoint ClientOrigin() const;
    TPoint ClientToScreen(const TPoint& p) const;
    TPoint ScreenToClient(const TPoint& p) const;
    // Between this control's client area and an ancestor's (nil: the parent).
    TPoint ClientToParent(const TPoint& p, TWinControl* AParent = nullptr) const;
    TPoint ParentToClient(const TPoint& p, TWinControl* AParent = nullptr) const;

    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors anchors);
    TSizeConstraints* Constraints() const { return constraints_.get(); }
    bool AutoSize() const { return autoSize_; }
    virtual void SetAutoSize(bool on);

    // ---- state
    bool Visible() const { return visible_; }
    void SetVisible(bool on);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and every parent up to a top window visible.
    virtual bool Showing() const;
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool on);

    TFont* Font() const { return font_.get(); }
    void SetFont(TFont* font) { font_->Assign(font); }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool on);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool on);

    // Caption and Text are one string; classes that keep it in their widget
    // (edit boxes) override GetText/SetText. A change performs CM_TEXTCHANGED.
    virtual QString GetText() const;
    virtual void SetText(const QString& text);
    QString Caption() const { return GetText(); }
    void SetCaption(const QString& text) { SetText(text); }
    QString Text() const { return GetText(); }

    // The text before a "|" shows as the control's tooltip while ShowHint is
    // set; with ParentShowHint (the default) ShowHint is the parent's, and
    // setting ShowHint clears ParentShowHint.
    const QString& Hint() const { return hint_; }
    void SetHint(const QString& hint) { hint_ = hint; }
    bool ShowHint() const;
    void SetShowHint(bool on);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool on) { parentShowHint_ = on; }
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);
    TControlStyle ControlStyle() const { return controlStyle_; }
    void SetControlStyle(TControlStyle style);
    TControlState ControlState() const { return controlState_; }
    void SetControlState(TControlState state) { controlState_ = state; }
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    virtual void SetPopupMenu(TPopupMenu* menu);
    // Reading order; with ParentBiDiMode (the default) the parent's, and
    // setting BiDiMode clears ParentBiDiMode.
    TBiDiMode BiDiMode() const { return biDiMode_; }
    void SetBiDiMode(TBiDiMode mode);
    bool ParentBiDiMode() const { return parentBiDiMode_; }
    void SetParentBiDiMode(bool on);
    // The action the control follows (ActnList.h); nil unlinks it.
    TBasicAction* Action() const;
    void SetAction(TBasicAction* action);
    // The linked action's update step (OnUpdate).
    void InitiateAction();

    // ---- dragging and docking inside the application (README.md)
    // dmAutomatic starts a drag (DragKind dkDrag) or a dock drag (dkDock)
    // on a left press; it begins once the mouse has moved DragThreshold.
    TDragMode DragMode() const { return dragMode_; }
    void SetDragMode(TDragMode mode) { dragMode_ = mode; }
    TDragKind DragKind() const { return dragKind_; }
    void SetDragKind(TDragKind kind) { dragKind_ = kind; }
    // Shown over a target that accepts the drop.
    TCursor DragCursor() const { return dragCursor_; }
    void SetDragCursor(TCursor cursor) { dragCursor_ = cursor; }
    static constexpr Integer DragThreshold = 5;
    // Threshold -1: DragThreshold. Without Immediate the targets are asked
    // once the mouse has moved that far; OnStartDrag runs at once.
    void BeginDrag(bool Immediate, Integer Threshold = -1);
    // Drops on the target when it accepts (Drop), else cancels.
    void EndDrag(bool Drop);
    bool Dragging() const;
    // The dock site holding the control (nil: placed normally).
    TWinControl* HostDockSite() const { return hostDockSite_; }
    // Docked in a floating tool window of its own.
    bool Floating() const;
    // OnUnDock of the old site may refuse (false); ControlSide alNone lets
    // the site's dock manager choose. A nil site floats the control.
    bool ManualDock(TWinControl* NewDockSite, TAlign ControlSide = alNone);
    // Moves the control into a floating tool window whose client area is
    // ScreenPos.
    bool ManualFloat(const TRect& ScreenPos);

    // ---- painting and z-order
    virtual void Invalidate();
    // Paints pending changes now (the platform's UpdateWindow).
    virtual void Update();
    virtual void Repaint();
    void Refresh() { Repaint(); }
    // Top or bottom of the siblings; windowless controls always stay under
    // windowed ones, as the platform paints them on the parent's surface.
    void BringToFront();
    void SendToBack();

    // ---- messages
    LRESULT Perform(Cardinal Msg, WPARAM WParam = 0, LPARAM LParam = 0);
    // Every message goes through here; the base dispatches the messages it
    // knows to the handlers below and the rest to DefaultHandler.
    virtual void WndProc(TMessage& Message);

    // OnClick, or without one the linked action.
    virtual void Click();

    // Keeps the control alive-check of a caller across handlers that may
    // free it (posted messages, the key pipeline).
    std::weak_ptr<TControl*> Guard() const { return self_; }

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnResize;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    // The wheel: OnMouseWheel first, then OnMouseWheelUp or Down by the
    // sign of the delta; a wheel nobody handles goes on to the parent.
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelUp;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TContextPopupEvent OnContextPopup;
    TCanResizeEvent OnCanResize;
    TConstrainedResizeEvent OnConstrainedResize;
    TMouseActivateEvent OnMouseActivate;
    TStartDragEvent OnStartDrag;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TEndDragEvent OnEndDrag;
    TStartDockEvent OnStartDock;
    TEndDragEvent OnEndDock;

protected:
    friend class TWinControl;
    friend class TControlWidgetLink;
    friend class TCustomForm;
    friend class TControlActionLink;
    friend struct DragManager;

    // ---- widget
    // Makes the control's widget under parent (nil for a top window); the
    // class decides the Qt class. The base makes a light windowless surface.
    virtual QWidget* CreateWidget(QWidget* parent);
    // Hands the control's state to a new widget.
    virtual void InitWidget();
    // Qt events of the widget; the base turns them into messages and calls.
    virtual bool WidgetEvent(TControlWidgetLink& link, QEvent* event);
    // A paint event of the widget; the base paints nothing.
    virtual void PaintWidget(TControlWidgetLink& link, QPaintEvent* event);
    // Width of the border around the client area (left, top, right, bottom).
    virtual TRect BorderInsets() const { return TRect(); }
    // Where the client area starts inside the control (or, for a form, its frame).
    virtual TPoint ClientOffset() const;
    // Offset of the client area inside the widget (a form's widget is its client area).
    TPoint widgetClientOffset() const;
    void DestroyWidget();

    // ---- overridable steps
    virtual void DblClick();
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    virtual void MouseMove(TShiftState Shift, Integer X, Integer Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    virtual void Resize();
    // True when the wheel was used here (MousePos on the screen).
    virtual bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos);
    virtual bool CanResize(Integer& NewWidth, Integer& NewHeight);
    virtual void ConstrainedResize(Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight);
    // New size for AutoSize; false keeps the size.
    virtual bool CanAutoSize(Integer& NewWidth, Integer& NewHeight);
    virtual void AdjustSize();
    virtual void DoContextPopup(TPoint MousePos, bool& Handled);
    // OnMouseActivate; maDefault lets the parent answer.
    virtual TMouseActivate MouseActivate(TMouseButton Button, TShiftState Shift, Integer X, Integer Y,
                                         Integer HitTest);
    // The drag steps: a drag starts (OnStartDrag may give the drag object),
    // a target is asked and dropped on, the drag ends (Target nil when it
    // was cancelled or refused). A target accepts only with OnDragOver.
    virtual void DoStartDrag(TDragObject*& DragObject);
    virtual void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept);
    virtual void DragDrop(TObject* Source, Integer X, Integer Y);
    virtual void DoEndDrag(TObject* Target, Integer X, Integer Y);
    virtual void DoStartDock(TDragDockObject*& DragObject);
    virtual void DoEndDock(TObject* Target, Integer X, Integer Y);
    // The parent realigns with this control first (it moved or resized).
    virtual void RequestAlign();
    // Takes the action's state (CheckDefaults: only where the control still
    // holds its own defaults, as while it is being loaded).
    virtual void ActionChange(TObject* Sender, bool CheckDefaults);
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // ---- message handlers (the component messages as hooks)
    virtual void DefaultHandler(TMessage& Message);
    virtual void CMFontChanged(TMessage& Message);
    virtual void CMTextChanged(TMessage& Message);
    virtual void CMColorChanged(TMessage& Message);
    virtual void CMEnabledChanged(TMessage& Message);
    virtual void CMVisibleChanged(TMessage& Message);
    virtual void CMMouseEnter(TMessage& Message);
    virtual void CMMouseLeave(TMessage& Message);
    virtual void CMDialogChar(TMessage& Message);
    virtual void CMDialogKey(TMessage& Message);
    virtual void CMParentFontChanged(TMessage& Message);
    virtual void CMParentColorChanged(TMessage& Message);
    virtual void CMSysColorChange(TMessage& Message);
    virtual void CMBiDiModeChanged(TMessage& Message);
    virtual void CMParentBiDiModeChanged(TMessage& Message);
    virtual void WMContextMenu(TMessage& Message);
    // MouseActivate, then (maDefault) the parent's answer; a form without
    // a parent activates (MA_ACTIVATE).
    virtual void WMMouseActivate(TMessage& Message);
    // The mouse messages: WParam MK_ flags, LParam the client point
    // (MakeLong of X, Y as 16-bit values).
    virtual void WMMouse(TMessage& Message);
    // WM_MOUSEWHEEL: DoMouseWheel, then the Qt class of the widget under the
    // mouse, then the parent; Result 1 when someone used it.
    virtual void WMMouseWheel(TMessage& Message);
    // The widget's own handling of the native event behind Message, then
    // the parent's.
    void OfferToWidgetThenParent(TMessage& Message);

    // Whether the text holds Key as its accelerator ("&x").
    static bool IsAccel(WideChar Key, const QString& text);

private:
    friend class TSizeConstraints;
    void fontChanged();
    void giveUpFocus();
    void constraintsChanged();
    void applyConstraints(Integer& width, Integer& height);
    bool checkNewSize(Integer& width, Integer& height);
    void updateAnchorRules();
    void anchorMove(TPoint parentSize);
    void placeWidget();
    void mouseDown(TMouseButton button, TShiftState shift, TPoint pos, bool dbl);
    void mouseUp(TMouseButton button, TShiftState shift, TPoint pos);

    std::shared_ptr<TControl*> self_;
    TWinControl* parent_ = nullptr;
    QWidget* widget_ = nullptr;
    TControlWidgetLink* link_ = nullptr;
    Integer left_ = 0;
    Integer top_ = 0;
    Integer width_ = 0;
    Integer height_ = 0;
    TAlign align_ = alNone;
    TAnchors anchors_{akLeft, akTop};
    TPoint anchorRules_;
    TPoint originalParentSize_;
    bool anchorMove_ = false;
    std::unique_ptr<TSizeConstraints> constraints_;
    bool autoSize_ = false;
    bool visible_ = true;
    bool enabled_ = true;
    std::unique_ptr<TFont> font_;
    bool parentFont_ = true;
    bool fontFromParent_ = false;
    TColor color_ = clWindow;
    bool parentColor_ = true;
    QString text_;
    QString hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    TCursor cursor_ = crDefault;
    TControlStyle controlStyle_;
    TControlState controlState_;
    TPopupMenu* popupMenu_ = nullptr;
    TDragMode dragMode_ = dmManual;
    TDragKind dragKind_ = dkDrag;
    TCursor dragCursor_ = crDrag;
    TWinControl* hostDockSite_ = nullptr;
    TPoint undockSize_;
    TBiDiMode biDiMode_ = bdLeftToRight;
    bool parentBiDiMode_ = true;
    std::unique_ptr<TControlActionLink> actionLink_;
};

// ------------------------------------------------------------ TWinControl

// A control that can hold others and take the focus.
class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    // ---- children, in z-order (insertion order until moved)
    Integer ControlCount() const { return Integer(controls_.size()); }
    TControl* Controls(Integer index) const;  // EListError out of range
    bool ContainsControl(const TControl* control) const;  // itself or a descendant
    TControl* FindChildControl(const QString& name) const;
    // Performs Message on every child control (not deeper).
    void Broadcast(TMessage& Message);
    void NotifyControls(Cardinal Msg);

    // ---- tab order and focus
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool on);
    Integer TabOrder() const;
    void SetTabOrder(Integer order);
    // The windowed descendants in tab order, each followed by its own.
    void GetTabOrderList(std::vector<TWinControl*>& list) const;
    // The next focusable control after current among the descendants
    // (current itself last); checkParent keeps to this control's children.
    TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop, bool checkParent) const;
    void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);
    // Visible and enabled up to its form.
    virtual bool CanFocus() const;
    virtual bool Focused() const;
    // Synchronous: the old control's exit and this one's entry have run when
    // it returns. EInvalidOperation ("Cannot focus a disabled or invisible
    // window") when the control or its form cannot take the focus.
    virtual void SetFocus();
    // A control that is one focus unit with its parent (a grid's cell
    // editor): ActiveControl reports the parent while it has the focus.
    bool FocusUnitPart() const { return focusUnitPart_; }
    void SetFocusUnitPart(bool on) { focusUnitPart_ = on; }

    // ---- align engine
    TPadding* Padding() const { return padding_.get(); }
    void DisableAlign();
    void EnableAlign();  // realigns when the count returns to 0
    bool AlignDisabled() const { return alignLevel_ > 0; }
    void Realign();
    // Lays the children out: alTop, alBottom, alLeft, alRight, alClient in
    // that order, each group ordered by position (AControl wins ties), then
    // moves the anchored ones.
    virtual void AlignControls(TControl* AControl, TRect& Rect);
    // The area the align engine fills: the client rectangle less Padding.
    virtual void AdjustClientRect(TRect& Rect);

    // ---- keys
    // The key pipeline's steps: DoKeyDown lets the form preview (KeyPreview)
    // then calls KeyDown; true means the key was used up (Key 0).
    bool DoKeyDown(Word& Key, TShiftState Shift);
    bool DoKeyPress(WideChar& Key);
    bool DoKeyUp(Word& Key, TShiftState Shift);

    TImeMode ImeMode() const { return imeMode_; }
    void SetImeMode(TImeMode mode);
    // The answer to the input method's question about the widget (native:
    // the Qt class's own): imClose and imDisable shut the input method out
    // and ask it for direct input of what the control takes.
    QVariant ImeQuery(Qt::InputMethodQuery query, const QVariant& native) const;
    const QString& ImeName() const { return imeName_; }
    void SetImeName(const QString& name) { imeName_ = name; }
    // With ParentCtl3D (the default) Ctl3D is the parent's; setting Ctl3D
    // clears ParentCtl3D.
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool on);
    bool ParentCtl3D() const { return parentCtl3D_; }
    void SetParentCtl3D(bool on);
    // With ParentDoubleBuffered (the default) the parent's; setting
    // DoubleBuffered clears ParentDoubleBuffered.
    bool DoubleBuffered() const {
        return parentDoubleBuffered_ && Parent() ? Parent()->DoubleBuffered() : doubleBuffered_;
    }
    void SetDoubleBuffered(bool on) {
        doubleBuffered_ = on;
        parentDoubleBuffered_ = false;
    }
    bool ParentDoubleBuffered() const { return parentDoubleBuffered_; }
    void SetParentDoubleBuffered(bool on) {
        doubleBuffered_ = DoubleBuffered();
        parentDoubleBuffered_ = on;
    }
    void WndProc(TMessage& Message) override;

    // Recreates the widget (the platform's RecreateWnd): CM_RECREATEWND.
    void RecreateWnd();

    // ---- docking (ControlsDock.cpp)
    // Whether dock drags can drop controls here.
    bool DockSite() const { return dockSite_; }
    void SetDockSite(bool on) { dockSite_ = on; }
    // The plain dock manager: the first client fills the site, the next
    // ones line up along the side they are dropped at.
    bool UseDockManager() const { return useDockManager_; }
    void SetUseDockManager(bool on) { useDockManager_ = on; }
    Integer DockClientCount() const { return Integer(dockClients_.size()); }
    TControl* DockClients(Integer index) const;  // EListError out of range

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TGetSiteInfoEvent OnGetSiteInfo;
    TDockOverEvent OnDockOver;
    TDockDropEvent OnDockDrop;
    TUnDockEvent OnUnDock;

protected:
    friend class TControl;
    friend class TCustomForm;
    friend struct KeyPipeline;
    friend struct DragManager;

    // What a control with the input method shut out takes: Latin text
    // unless the control says digits.
    virtual Qt::InputMethodHints ImeClosedHints() const;

    QWidget* CreateWidget(QWidget* parent) override;
    void InitWidget() override;
    bool WidgetEvent(TControlWidgetLink& link, QEvent* event) override;
    // Where child widgets go (a scroll area's contents); the widget itself.
    virtual QWidget* ClientWidget();
    // Whether a mouse press gives the control the focus (edit boxes, buttons).
    virtual bool TakesFocusOnClick() const { return false; }
    // The widget exists: the platform's CreateWnd hook point.
    virtual void CreateWnd() {}
    virtual void DestroyWnd() {}

    virtual void DoEnter();
    virtual void DoExit();
    // With AutoSize the client area takes the extent of the visible children.
    bool CanAutoSize(Integer& NewWidth, Integer& NewHeight) override;
    // The dock steps: the site's influence (its bounds and 10 pixels
    // around), the dock drag over it (accepted unless OnDockOver refuses),
    // the drop, and the old site letting a client go (OnUnDock).
    virtual void GetSiteInfo(TControl* Client, TRect& InfluenceRect, TPoint MousePos, bool& CanDock);
    virtual void DockOver(TDragDockObject* Source, Integer X, Integer Y, TDragState State, bool& Accept);
    virtual void DockDrop(TDragDockObject* Source, Integer X, Integer Y);
    virtual bool DoUnDock(TWinControl* NewTarget, TControl* Client);
    // CM_DOCKCLIENT: docks the source's control here, then DockDrop.
    virtual void CMDockClient(TMessage& Message);
    virtual void KeyDown(Word& Key, TShiftState Shift);
    virtual void KeyPress(WideChar& Key);
    virtual void KeyUp(Word& Key, TShiftState Shift);

    void CMFontChanged(TMessage& Message) override;
    void CMColorChanged(TMessage& Message) override;
    // Dialog keys and characters go on to every child until one takes them.
    void CMDialogKey(TMessage& Message) override;
    void CMDialogChar(TMessage& Message) override;
    // WM_SETFOCUS tells the form (SetFocusedControl); WM_KILLFOCUS nothing.
    virtual void WMSetFocus(TMessage& Message);
    virtual void WMKillFocus(TMessage& Message);
    // WM_SIZE: realigns the children and raises OnResize.
    virtual void WMSize(TMessage& Message);
    // Aligns what the loading bracket held back.
    void Loaded() override;

private:
    friend class TSizeConstraints;
    void insertControl(TControl* control);
    void removeControl(TControl* control);
    void restack();
    void alignControl(TControl* control);
    void alignGroup(TAlign align, TControl* AControl, TRect& Rect);
    void applyColors();
    void takeParentCtl3D();
    void destroyWidgetTree();

    std::vector<TControl*> controls_;
    std::vector<TWinControl*> tabList_;
    bool tabStop_ = false;
    bool focusUnitPart_ = false;
    std::unique_ptr<TPadding> padding_;
    Integer alignLevel_ = 0;
    bool alignPending_ = false;
    TImeMode imeMode_ = imDontCare;
    QString imeName_;
    bool ctl3D_ = true;
    bool parentCtl3D_ = true;
    bool doubleBuffered_ = false;
    bool parentDoubleBuffered_ = true;
    bool imeByClass_ = false;
    bool dockSite_ = false;
    bool useDockManager_ = false;
    bool makingChildren_ = false;  // InitWidget stacks the children once, when all are made
    std::vector<TControl*> dockClients_;
};

// ------------------------------------------------------------ painted controls

// A windowless control: it paints on its parent's surface, takes no focus
// and fills no background unless it is opaque and paints one.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    TCanvas* Canvas() const { return canvas_.get(); }

protected:
    virtual void Paint() {}
    void PaintWidget(TControlWidgetLink& link, QPaintEvent* event) override;

private:
    std::unique_ptr<TControlCanvas> canvas_;
};

// A windowed control that paints itself on its canvas.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    TCanvas* Canvas() const { return canvas_.get(); }

protected:
    virtual void Paint() {}
    void PaintWidget(TControlWidgetLink& link, QPaintEvent* event) override;
    // The border outside the client area (a panel's single line).
    virtual void PaintBorder(TCanvas* canvas) { (void)canvas; }

private:
    std::unique_ptr<TControlCanvas> canvas_;
};

// ------------------------------------------------------------ drag objects

// What a drag carries. The framework frees it when the drag ends, also one
// that OnStartDrag or OnStartDock made.
class TDragObject : public TObject {
public:
    // The mouse on the screen, and the control under it (nil: none).
    TPoint DragPos() const { return dragPos_; }
    TControl* DragTarget() const { return dragTarget_; }
    // The cursor over a target; the base: crDrag, or crNoDrop when the
    // target refuses.
    virtual TCursor GetDragCursor(bool Accepted, Integer X, Integer Y);

private:
    friend struct DragManager;
    TPoint dragPos_;
    TControl* dragTarget_ = nullptr;
};

// A drag of a control: the drag events get the control as Source, and its
// DragCursor shows over a target that accepts.
class TDragControlObject : public TDragObject {
public:
    explicit TDragControlObject(TControl* AControl) : control_(AControl) {}
    TControl* Control() const { return control_; }
    TCursor GetDragCursor(bool Accepted, Integer X, Integer Y) override;

private:
    TControl* control_;
};

// A dock drag: where the control would go (screen) and how it aligns.
class TDragDockObject : public TDragControlObject {
public:
    using TDragControlObject::TDragControlObject;
    TRect DockRect() const { return dockRect_; }
    void SetDockRect(const TRect& r) { dockRect_ = r; }
    TAlign DropAlign() const { return dropAlign_; }
    void SetDropAlign(TAlign align) { dropAlign_ = align; }

private:
    TRect dockRect_;
    TAlign dropAlign_ = alNone;
};

// ------------------------------------------------------------ routines

// The form a control sits on (the top of its parent chain), or nil.
TCustomForm* GetParentForm(const TControl* control);
// As GetParentForm, EInvalidOperation ("Control '<name>' has no parent
// window") when there is none.
TCustomForm* ValidParentForm(const TControl* control);
// The control owning a widget (its own or one inside a control's widget).
TControl* FindControl(const QWidget* widget);
// The control whose widget is under the screen point, or nil.
TControl* FindDragTarget(const TPoint& screenPos, bool allowDisabled);
// Whether the mouse pointer is over the control.
bool MouseOverControl(TControl* control);
// The accelerator of a caption: the character after a single "&", else 0.
WideChar GetHotkey(const QString& text);
// Removes the accelerator marks ("&&" becomes "&").
QString StripHotkey(const QString& text);
