// Labels, buttons, check boxes, radio buttons, group boxes, memos and list
// boxes.
#pragma once

#include "Classes.h"
#include "Controls.h"
#include "Forms.h"

#include <memory>

// ------------------------------------------------------------ label

// A windowless control showing its caption: alignment, layout, word wrap,
// an accelerator that focuses FocusControl, AutoSize. The framework's label
// is one; so are labels with other backgrounds that are not TCustomLabels.
class TCaptionControl : public TGraphicControl {
public:
    explicit TCaptionControl(TComponent* AOwner);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout layout);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool on);
    // Transparent: no background; false paints PaintBackground.
    bool Transparent() const { return !ControlStyle().Contains(csOpaque); }
    void SetTransparent(bool on);
    // "&x" underlines x and makes Alt+x focus FocusControl.
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool on);
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* control);
    // AutoSize sizes the control to its caption (keeping the right edge when
    // right-aligned), except while it is being loaded.
    void SetAutoSize(bool on) override;

protected:
    virtual QString GetLabelText() const;
    // Draws (or with DT_CALCRECT measures) the caption in Rect; a disabled
    // control draws it twice, in the highlight and then the shadow colour.
    virtual void DoDrawText(TRect& Rect, Cardinal Flags);
    virtual void AdjustBounds();
    // The background of an opaque control; the label fills it with Color.
    virtual void PaintBackground(TCanvas* canvas);
    void Paint() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CMTextChanged(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void CMDialogChar(TMessage& Message) override;

private:
    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    TWinControl* focusControl_ = nullptr;
};

class TCustomLabel : public TCaptionControl {
public:
    using TCaptionControl::TCaptionControl;
};

class TLabel : public TCustomLabel {
public:
    using TCustomLabel::TCustomLabel;
};

// ------------------------------------------------------------ buttons

// A windowed control that takes the focus on a click and is a tab stop.
class TButtonControl : public TWinControl {
public:
    explicit TButtonControl(TComponent* AOwner);

protected:
    bool TakesFocusOnClick() const override { return true; }
    // The caption goes onto the Qt button.
    void InitWidget() override;
    void CMTextChanged(TMessage& Message) override;

private:
    void showCaption();
};

class TButton : public TButtonControl {
public:
    explicit TButton(TComponent* AOwner);

    // Enter anywhere on the form clicks the default button (unless another
    // button has the focus); Esc clicks the cancel button.
    bool Default() const { return default_; }
    void SetDefault(bool on);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool on) { cancel_ = on; }
    // Copied into the form's ModalResult on a click.
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }
    void Click() override;

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    void WndProc(TMessage& Message) override;
    void CMDialogKey(TMessage& Message) override;
    void CMDialogChar(TMessage& Message) override;

private:
    bool active() const;
    bool default_ = false;
    bool cancel_ = false;
    TModalResult modalResult_ = mrNone;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

// A check box: OnClick on every change of its state, by the user or by code.
class TCustomCheckBox : public TButtonControl {
public:
    explicit TCustomCheckBox(TComponent* AOwner);

    bool Checked() const { return state_ == cbChecked; }
    void SetChecked(bool on) { SetState(on ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const { return state_; }
    void SetState(TCheckBoxState state);
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool on);
    // The caption's side: taRightJustify (default) puts it right of the box.
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    void InitWidget() override;
    void WndProc(TMessage& Message) override;
    void CMDialogChar(TMessage& Message) override;
    // The user's click: the next state in the cycle.
    virtual void Toggle();

private:
    void showState();
    TCheckBoxState state_ = cbUnchecked;
    bool allowGrayed_ = false;
    TAlignment alignment_ = taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
public:
    using TCustomCheckBox::TCustomCheckBox;
};

// A radio button: checking it unchecks the radio buttons of its parent;
// OnClick when it becomes checked.
class TRadioButton : public TButtonControl {
public:
    explicit TRadioButton(TComponent* AOwner);
    bool Checked() const { return checked_; }
    void SetChecked(bool on);

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    void InitWidget() override;
    void WndProc(TMessage& Message) override;
    void CMDialogChar(TMessage& Message) override;

private:
    bool checked_ = false;
};

// ------------------------------------------------------------ group box

class TCustomGroupBox : public TCustomControl {
public:
    explicit TCustomGroupBox(TComponent* AOwner);
    // Inside the frame and below the caption.
    void AdjustClientRect(TRect& Rect) override;

protected:
    void Paint() override;
    void CMTextChanged(TMessage& Message) override;
    void CMDialogChar(TMessage& Message) override;
};

class TGroupBox : public TCustomGroupBox {
public:
    using TCustomGroupBox::TCustomGroupBox;
};

// ------------------------------------------------------------ memo

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// Multi-line text on a Qt plain-text editor; Lines is the text by line.
class TCustomMemo : public TWinControl {
public:
    explicit TCustomMemo(TComponent* AOwner);
    ~TCustomMemo() override;

    TStrings* Lines() const { return lines_.get(); }
    void SetLines(TStrings* lines) { lines_->Assign(lines); }
    // The lines joined with CR LF.
    QString GetText() const override;
    void SetText(const QString& text) override;
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool on);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool on);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle style);
    bool WantTabs() const { return wantTabs_; }
    void SetWantTabs(bool on) { wantTabs_ = on; }
    bool WantReturns() const { return wantReturns_; }
    void SetWantReturns(bool on) { wantReturns_ = on; }
    void Clear();
    void SelectAll();

    // ---- selection and caret, in units of Text: a line break counts two
    // (CR LF), as the platform's edit control counts it.
    Integer SelStart() const;
    // Collapses the selection at start.
    void SetSelStart(Integer start);
    Integer SelLength() const;
    void SetSelLength(Integer length);
    QString SelText() const;
    // Replaces the selection (or inserts at the caret); CR LF breaks lines.
    void SetSelText(const QString& text);

    TNotifyEvent OnChange;

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    void InitWidget() override;
    bool TakesFocusOnClick() const override { return true; }
    void WndProc(TMessage& Message) override;
    virtual void Change();

private:
    void linesChanged();
    void widgetEdited();
    void applyOptions();

    // Positions of the editor (a line break is one unit) to and from Text's.
    Integer toTextPos(const QString& plain, Integer pos) const;
    Integer fromTextPos(const QString& plain, Integer pos) const;
    void selectPlain(Integer anchor, Integer position);

    std::unique_ptr<TStringList> lines_;
    // The selection while there is no editor, in Text's units.
    Integer selStart_ = 0;
    Integer selLength_ = 0;
    bool pendingSelection_ = false;
    bool readOnly_ = false;
    bool wordWrap_ = true;
    bool wantTabs_ = false;
    bool wantReturns_ = true;
    bool syncing_ = false;
    TScrollStyle scrollBars_ = ssNone;
};

class TMemo : public TCustomMemo {
public:
    using TCustomMemo::TCustomMemo;
};

// ------------------------------------------------------------ list box

class TCustomListBox : public TWinControl {
public:
    explicit TCustomListBox(TComponent* AOwner);
    ~TCustomListBox() override;

    TStrings* Items() const { return items_.get(); }
    void SetItems(TStrings* items) { items_->Assign(items); }
    Integer Count() const { return items_->Count(); }
    // -1 when nothing is selected; out of range selects nothing.
    Integer ItemIndex() const { return itemIndex_; }
    void SetItemIndex(Integer index);
    bool Sorted() const { return items_->Sorted(); }
    void SetSorted(bool on) { items_->SetSorted(on); }
    void Clear() { items_->Clear(); }

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    void InitWidget() override;
    bool TakesFocusOnClick() const override { return true; }
    void WndProc(TMessage& Message) override;

private:
    void itemsChanged();
    void userSelected(Integer row);

    std::unique_ptr<TStringList> items_;
    Integer itemIndex_ = -1;
    bool syncing_ = false;
};

class TListBox : public TCustomListBox {
public:
    using TCustomListBox::TCustomListBox;
};
