// The single-line edit box of the framework on a Qt line edit.
//
// As on the platform: MaxLength 0 means no limit, and the limit only stops
// what the user types or pastes (text set by the program is never cut);
// Modified is set by the user's edits and cleared by setting Text; Change
// (OnChange) follows every change of the text, the user's and the
// program's; selections and the caret count UTF-16 units.
#pragma once

#include "Controls.h"

class QLineEdit;
class TEditLimit;

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
// text in the character case (ecNormal leaves it as it is).
QString ApplyCharCase(const QString& text, TEditCharCase charCase);

class TCustomEdit : public TWinControl {
public:
    explicit TCustomEdit(TComponent* AOwner);
    ~TCustomEdit() override;

    QString GetText() const override;
    void SetText(const QString& text) override;

    Integer MaxLength() const { return maxLength_; }
    void SetMaxLength(Integer length);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool on);
    bool Modified() const;
    void SetModified(bool on);
    // Keyboard entry selects the whole text.
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool on) { autoSelect_ = on; }
    // The height follows the font (text height + 8 with Ctl3D, + 6 without).
    void SetAutoSize(bool on) override;
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    TAlignment Alignment() const { return alignment_; }
    virtual void SetAlignment(TAlignment alignment);
    // A non-zero character hides the text (the input is shown masked).
    WideChar PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(WideChar c);
    TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(TEditCharCase charCase);
    // The selection outlives the focus; without the focus it shows only
    // when HideSelection is off.
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool on);
    // What the user types or pastes goes through the OEM code page and back
    // (932 here): a character it cannot hold becomes "?".
    bool OEMConvert() const { return oemConvert_; }
    void SetOEMConvert(bool on) { oemConvert_ = on; }

    // ---- selection and caret (UTF-16 units, from 0)
    // The start of the selection, or the caret when nothing is selected;
    // setting it collapses the selection there.
    Integer SelStart() const;
    void SetSelStart(Integer start);
    Integer SelLength() const;
    // Selects SelLength units from SelStart.
    void SetSelLength(Integer length);
    QString SelText() const;
    // Replaces the selection (or inserts at the caret).
    void SetSelText(const QString& text);
    void SelectAll();
    void ClearSelection();
    void CopyToClipboard();
    void PasteFromClipboard();
    virtual void Clear();

    TNotifyEvent OnChange;

protected:
    friend class TEditLimit;

    QWidget* CreateWidget(QWidget* parent) override;
    void InitWidget() override;
    void DestroyWnd() override;
    bool TakesFocusOnClick() const override { return true; }
    TRect BorderInsets() const override;
    void WndProc(TMessage& Message) override;
    // Qt drops the selection when the focus leaves: it is kept here.
    void WMKillFocus(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void DoEnter() override;
    // OnChange.
    virtual void Change();
    // The limit reaches the widget.
    virtual void DoSetMaxLength(Integer Value);
    // Sizes the height to the font when AutoSize is set.
    void AdjustHeight();
    // AutoSize follows the font (AdjustHeight), not the children.
    bool CanAutoSize(Integer&, Integer&) override { return false; }
    // The widget, or nil before it exists.
    QLineEdit* LineEdit() const;

private:
    void widgetTextChanged(const QString& text);
    void applyWidgetOptions();
    QString limitInput(const QString& input, int& pos) const;
    QString throughOemCodePage(const QString& input, int& pos) const;
    // The selection of an unfocused box under HideSelection waits in
    // selStart_ and selLength_ instead of the widget, which shows none.
    bool selectionInWidget() const { return LineEdit() && !parked_; }
    void park(Integer start, Integer length);
    void unpark();

    QString text_;
    Integer maxLength_ = 0;
    bool readOnly_ = false;
    bool modified_ = false;
    bool autoSelect_ = true;
    TBorderStyle borderStyle_ = bsSingle;
    TAlignment alignment_ = taLeftJustify;
    WideChar passwordChar_;
    TEditCharCase charCase_ = ecNormal;
    bool hideSelection_ = true;
    bool oemConvert_ = false;
    Integer selStart_ = 0;
    Integer selLength_ = 0;
    bool settingText_ = false;
    // The widget is taking an input the limit changed.
    bool reEdited_ = false;
    bool parked_ = false;
    TEditLimit* limit_ = nullptr;
};

class TEdit : public TCustomEdit {
public:
    using TCustomEdit::TCustomEdit;
};
