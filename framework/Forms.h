// Forms (top windows with the per-form focus manager), the application
// object with its message loop and exception handling, the screen, and the
// scroll box.
//
// Outer and client size of a form: Width, Height, Left, Top and
// Constraints are the outer window, as on the platform; ClientWidth and
// ClientHeight the inside. The frame between them is a fixed convention
// (FormFrame), because an X11 program cannot choose its window frame: the
// Qt window is made client-sized and the window manager adds its own.
#pragma once

#include "Controls.h"

#include <exception>
#include <functional>
#include <vector>

class QEventLoop;
class QScrollBar;

using TModalResult = Integer;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6,
                       mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10, mrClose = 11;

enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TPosition {
    poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
    poMainFormCenter, poOwnerFormCenter
};
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = Set<TBorderIcon>;
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

// The frame of a form with the given border: left, top, right, bottom.
// Sizeable windows 4 px left, right and below and 13 above (760 x 463
// outside is 752 x 446 inside); fixed single, dialog and tool windows 3 px
// left, right and below and 29 above (254 x 356 outside is 248 x 324
// inside); no border none.
TRect FormFrame(TBorderStyle style);

// The frame a form asks the window manager for, as Motif window-manager
// hints: which functions (move, resize, minimise, maximise, close) and
// which decorations (border, title, menu and buttons) it has. Qt states
// only the functions, and window managers that go by the decorations then
// draw every button; a form states both.
struct TFrameHints {
    uint32_t Flags = 0;
    uint32_t Functions = 0;
    uint32_t Decorations = 0;
};
TFrameHints FrameHintsFor(TBorderStyle style, TBorderIcons icons);

// ------------------------------------------------------------ TCustomForm

class TCustomForm : public TWinControl {
public:
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;

    // Raises OnCreate, once; Application->CreateForm calls it right after
    // the form is built, Show and ShowModal when nobody did.
    void AfterConstruction();

    // Visible: OnShow (before the window appears, every time), then the
    // position, then the window is shown and activated.
    void Show();
    void Hide();
    // Runs a nested loop until ModalResult is set (Close sets mrCancel);
    // OnCloseQuery and OnClose may refuse; the form is hidden, not freed.
    // EInvalidOperation for a visible form.
    TModalResult ShowModal();
    // Non-modal: OnCloseQuery, OnClose, then by the action hide, free
    // (deferred) or, for the main form, end the program once the current
    // handler returns.
    void Close();
    // Frees the form once the current handlers have returned.
    void Release();
    virtual bool CloseQuery();

    bool Active() const { return active_; }
    bool Modal() const { return modal_; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result);
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool on) { keyPreview_ = on; }
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons icons);
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle style);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition position) { position_ = position; }
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState state);
    TCanvas* Canvas() const { return canvas_.get(); }

    // ---- the focus manager
    // The control with the focus (the grid, not its cell editor); kept
    // while the form is inactive. Setting it focuses it when the form is
    // active. EInvalidOperation for a control that cannot take the focus.
    TWinControl* ActiveControl() const;
    void SetActiveControl(TWinControl* Control);
    // The control the exit and entry steps last reached (raw).
    TWinControl* FocusedControl() const { return focusedControl_; }
    // Makes Control the focused control: DoExit from the old one up to the
    // common parent, then DoEnter down to Control. Stops (false) when a
    // step moved the focus elsewhere; a control whose exit step takes the
    // focus back keeps it without a second DoEnter.
    bool SetFocusedControl(TWinControl* Control);
    void FocusControl(TWinControl* Control);
    // Control is hidden, disabled or removed: the focus goes to the form,
    // or to the unit whose part Control is.
    void DefocusControl(TWinControl* Control, bool Removing);
    void SetFocus() override;

    // ---- actions (ActnList.h)
    // The update step of the form's action and of every visible control's
    // action, on a form that is showing.
    void UpdateActions();
    // A shortcut pressed in the form: the action lists the form owns.
    virtual bool IsShortCut(Word Key, TShiftState Shift);

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnPaint;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

protected:
    friend class TControl;
    friend class TApplication;

    QWidget* CreateWidget(QWidget* parent) override;
    void InitWidget() override;
    bool WidgetEvent(TControlWidgetLink& link, QEvent* event) override;
    void PaintWidget(TControlWidgetLink& link, QPaintEvent* event) override;
    TRect ClientRect() const override;
    TPoint ClientOffset() const override;
    void WndProc(TMessage& Message) override;
    void CMDialogKey(TMessage& Message) override;
    void CMTextChanged(TMessage& Message) override;
    void CMVisibleChanged(TMessage& Message) override;

    virtual void DoCreate();
    virtual void DoDestroy();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& Action);
    virtual void Activate();
    virtual void Deactivate();
    virtual void Paint();

private:
    void placeWindow();
    void applyWindowFlags();
    void applyFrameHints();
    void windowActivated();
    void windowDeactivated();
    void setWindowFocus();
    void showWindow();
    void closeModal();
    bool sendFocusMessage(TWinControl* control, Cardinal msg);

    bool created_ = false;
    bool active_ = false;
    bool modal_ = false;
    bool keyPreview_ = false;
    bool placing_ = false;
    TModalResult modalResult_ = mrNone;
    QEventLoop* modalLoop_ = nullptr;
    TBorderStyle borderStyle_ = bsSizeable;
    TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
    TFormStyle formStyle_ = fsNormal;
    TPosition position_ = poDesigned;
    TWindowState windowState_ = wsNormal;
    std::unique_ptr<TControlCanvas> canvas_;
    TWinControl* activeControl_ = nullptr;
    TWinControl* focusedControl_ = nullptr;
    Integer focusCount_ = 0;
    std::vector<TWinControl*> exiting_;
};

class TForm : public TCustomForm {
public:
    using TCustomForm::TCustomForm;
};

// ------------------------------------------------------------ TScrollBox

class TScrollBox;

// One scroll bar of a scroll box. Range is the extent of the contents;
// Position runs from 0 to Range less the client size.
class TControlScrollBar {
public:
    TControlScrollBar(TScrollBox& box, Qt::Orientation kind) : box_(box), kind_(kind) {}
    Integer Range() const;
    Integer Position() const;
    // Kept within 0..Range less the client size.
    void SetPosition(Integer value);
    // The step of the arrows and of ScrollBy callers (8 by default).
    Integer Increment() const { return increment_; }
    void SetIncrement(Integer value);
    // The contents follow the thumb while it is dragged.
    bool Tracking() const { return tracking_; }
    void SetTracking(bool on);

private:
    friend class TScrollBox;
    QScrollBar* Bar() const;
    void Apply();
    void Apply(QScrollBar* bar) const;
    TScrollBox& box_;
    Qt::Orientation kind_;
    Integer increment_ = 8;
    bool tracking_ = false;
};

// A container whose children scroll when they do not fit.
class TScrollBox : public TWinControl {
public:
    explicit TScrollBox(TComponent* AOwner);
    ~TScrollBox() override;
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    TControlScrollBar* HorzScrollBar() const { return horz_.get(); }
    TControlScrollBar* VertScrollBar() const { return vert_.get(); }

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    QWidget* ClientWidget() override;
    void InitWidget() override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void WMSize(TMessage& Message) override;

private:
    friend class TControlScrollBar;
    void updateRange();
    QWidget* contents_ = nullptr;
    std::unique_ptr<TControlScrollBar> horz_;
    std::unique_ptr<TControlScrollBar> vert_;
    TBorderStyle borderStyle_ = bsSingle;
};

// ------------------------------------------------------------ TScreen

class TScreen : public TComponent {
public:
    explicit TScreen(TComponent* AOwner);

    // crDefault lets every control show its own cursor; another value is
    // shown everywhere (an override cursor, removed again by crDefault).
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);
    // The primary screen (the system metrics' screen size).
    Integer Width() const;
    Integer Height() const;
    Integer PixelsPerInch() const { return 96; }
    Integer FormCount() const { return Integer(forms_.size()); }
    TCustomForm* Forms(Integer index) const;  // EListError out of range
    // The form whose window was activated last, and its active control.
    TCustomForm* ActiveCustomForm() const { return activeForm_; }
    TWinControl* ActiveControl() const;

private:
    friend class TCustomForm;
    std::vector<TCustomForm*> forms_;
    TCustomForm* activeForm_ = nullptr;
    TCursor cursor_ = crDefault;
};

// ------------------------------------------------------------ TApplication

using TExceptionEvent = std::function<void(TObject* Sender, const Exception& E)>;

class TApplication : public TComponent {
public:
    explicit TApplication(TComponent* AOwner);

    void Initialize();
    const QString& Title() const { return title_; }
    void SetTitle(const QString& title);
    QString ExeName() const;

    // Makes a form owned by the application; the first becomes MainForm.
    template <class T>
    void CreateForm(T*& reference) {
        reference = new T(this);
        formCreated(reference);
    }
    TCustomForm* MainForm() const { return mainForm_; }
    bool ShowMainForm() const { return showMainForm_; }
    void SetShowMainForm(bool on) { showMainForm_ = on; }

    // Shows the main form and runs the message loop until Terminate.
    void Run();
    // Ends Run (and every modal loop) once the current handler returns.
    void Terminate();
    bool Terminated() const { return terminated_; }
    void ProcessMessages();
    // Processes messages until done() holds (checked every
    // WaitCheckInterval ms, in a loop of its own) or the program ends:
    // a step of a window waiting for the user without spinning.
    void WaitUntil(const std::function<bool()>& done);
    static constexpr int WaitCheckInterval = 10;

    // Called in a catch block: OnException, else a message box with the
    // exception's text. Handlers never let an exception into Qt.
    void HandleException(TObject* Sender);
    void ShowException(const Exception& E);
    Integer MessageBox(const QString& Text, const QString& Caption, Cardinal Flags);

    TExceptionEvent OnException;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TCustomForm;
    void formCreated(TCustomForm* form);
    // The message loop ran dry: the actions of the shown forms that take
    // input update (a modal window leaves the others out).
    void installIdle();
    void idle();

    QString title_;
    TCustomForm* mainForm_ = nullptr;
    bool showMainForm_ = true;
    bool terminated_ = false;
    QEventLoop* mainLoop_ = nullptr;
    std::vector<QEventLoop*> modalLoops_;
    bool idling_ = false;
};

extern TApplication* Application;
extern TScreen* Screen;
