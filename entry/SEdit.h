// The validated edit box of the data-entry screens and what it shares with
// the combo box: neighbour links for keyboard navigation, the group's
// current box, focus colours, the accepted value and its change events.
//
// A box knows the kind of value it holds (NumericType), filters keys by
// that kind, validates and reformats its text whenever it is left or
// updated, reports errors through ErrorType and OnEditError (never a
// message, never a beep, and the focus stays), and hands the focus to the
// neighbours named by mvLeft, mvRight, mvUp and mvDown on Enter, the arrow
// keys and Tab. Numbers are kept in fixed point, as 64-bit counts of
// 1/10000.
#pragma once

#include "StdCtrlsCombo.h"
#include "StdCtrlsEdit.h"
#include "SysUtils.h"
#include "ZvTags.h"
#include "ZvTypeDef.h"

class TCEdit;
class TDataSet;
class TPanel;
class TStrings;

// ------------------------------------------------------------ unit state

// While set, the exit step of every edit and combo box does nothing at all
// (a box passing the focus on inside its own entry step is not validated).
extern bool SuppressExit;
// The edit box that last completed its entry step (the receiver of the
// input method's reading), nil after an exit step.
extern TWinControl* ImeCurrentEdit;
// The system's ANSI code page, recorded when the unit is initialised.
extern Cardinal SEditAnsiCodePage;

// The input method's result flag: set for the control that received a
// composition; it reads as set only for that control, and only until the
// focus moves or the next key after it has been handled.
void SetImeResultFlag(TWinControl* Receiver);
bool ImeResultFlag(const TWinControl* Control);
void ClearImeResultFlag();

// ------------------------------------------------------------ text routines

// A number as a count of 1/10000: blanks around are ignored, "," removed,
// the empty text is 0. False when the text is not a number or does not fit.
bool TryParseNumber(const QString& S, Int64& Value);
// As TryParseNumber, 0 for text that is not a number.
Int64 ParseNumber(const QString& S);
// The editing form of a number: the shortest float text without grouping
// ("0" for an empty or invalid text).
QString UnformatNumber(const QString& S);
// The number of S grouped by thousands with D decimals ("0" for an empty S).
QString FormatGrouped(const QString& S, Integer D);
// Splits S at every Sep into List (cleared first); text between double
// quotes is taken literally, without the quotes; the last piece is always
// added. Returns the count.
Integer SplitText(const QString& S, QChar Sep, TStrings* List);
// The date or year-month of S in the box's form ("yyyy/mm/dd", "yyyy/mm");
// empty when S is blank or names no existing date.
QString NormalizeDate(const TCEdit* Box, const QString& S);
// The time of S in the box's form ("hh:nn", "hh:nn:ss"); empty when S is
// blank or not a time.
QString NormalizeTime(const TCEdit* Box, const QString& S);
// Checks the box's text against its kind, MinValue, MaxValue and Need and
// reformats it. Text that cannot be read stays as typed.
TErrorType Validate(TCEdit* Box, bool ReportBadValue);

// ------------------------------------------------------------ shared box part

// What an edit box and a combo box share: the neighbours, the arrival key,
// the group's current box, the colours, the exit keys and moves, the
// accepted text and the update stamp, the change and move events, the
// panel placement and the tags. Both classes derive from it beside their
// framework control.
class TEntryBox : public TZvUserTags<Int64> {
public:
    virtual ~TEntryBox();
    TEntryBox(const TEntryBox&) = delete;
    TEntryBox& operator=(const TEntryBox&) = delete;

    // The box part of an edit or combo box; nil for any other control.
    static TEntryBox* Of(TControl* control);

    // ---- neighbours: setting one turns the box's TabStop off
    TWinControl* mvLeft() const { return mvLeft_; }
    TWinControl* mvRight() const { return mvRight_; }
    TWinControl* mvUp() const { return mvUp_; }
    TWinControl* mvDown() const { return mvDown_; }
    void SetmvLeft(TWinControl* control) { setNeighbour(mvLeft_, control); }
    void SetmvRight(TWinControl* control) { setNeighbour(mvRight_, control); }
    void SetmvUp(TWinControl* control) { setNeighbour(mvUp_, control); }
    void SetmvDown(TWinControl* control) { setNeighbour(mvDown_, control); }
    // The neighbour for a direction code: 37 left, 38 up, 39 (or 13) right,
    // 40 down; nil for any other code.
    TWinControl* Neighbour(Word direction) const;
    // The neighbour a move key names and its direction code (0 for mkNone).
    TWinControl* NeighbourOf(TMoveKey key, Word& direction) const;

    // The key that brought the focus (37..40, 13), 0 by mouse or program.
    Word EntryKey() const { return entryKey_; }
    void SetEntryKey(Word key) { entryKey_ = key; }
    TWinControl* GroupCurrent() const { return groupCurrent_; }
    // Sets the group's current box of Box and spreads it through the
    // neighbour links (edit boxes first, then combo boxes).
    static void SetGroupCurrent(TEntryBox* Box, TWinControl* C);
    // Moves the focus on from this box in the direction of its EntryKey,
    // stepping over boxes that cannot take the focus.
    void MoveInDirection();

    // ---- colours
    TColor ActiveColor() const { return activeColor_; }
    void SetActiveColor(TColor color);
    TColor InActiveColor() const { return inActiveColor_; }
    void SetInActiveColor(TColor color);
    TColor DisabledColor() const { return disabledColor_; }
    void SetDisabledColor(TColor color);
    // The colour for the state: disabled (hidden tab sheets count as
    // visible), focused or not; a host panel takes it too.
    void UpdateColor();

    // ---- keys and moves
    TExitKeys ExitKeys() const { return exitKeys_; }
    void SetExitKeys(TExitKeys keys) { exitKeys_ = keys; }
    TMoveKey MoveReturn() const { return moveReturn_; }
    void SetMoveReturn(TMoveKey key) { moveReturn_ = key; }
    TMoveKey MoveFwdTab() const { return moveFwdTab_; }
    void SetMoveFwdTab(TMoveKey key) { moveFwdTab_ = key; }
    TMoveKey MoveRevTab() const { return moveRevTab_; }
    void SetMoveRevTab(TMoveKey key) { moveRevTab_ = key; }
    // Enter is swallowed by the key-press step.
    bool ReturnNext() const { return returnNext_; }
    void SetReturnNext(bool on) { returnNext_ = on; }

    // The text at entry or after the last accepted change.
    const QString& AcceptedText() const { return accepted_; }

    // ---- placement in a parent panel
    bool FitToParent() const { return fitToParent_; }
    void SetFitToParent(bool on);
    THorizontalAlign HorizontalAlign() const { return horizontalAlign_; }
    void SetHorizontalAlign(THorizontalAlign align);
    TVerticalAlign VerticalAlign() const { return verticalAlign_; }
    void SetVerticalAlign(TVerticalAlign align);
    // The panel size the box needs, as the last layout found it.
    Integer RequiredWidth() const { return requiredWidth_; }
    Integer RequiredHeight() const { return requiredHeight_; }
    // The parent when it is a panel.
    TPanel* HostPanel() const { return hostPanel_; }

    // Decided at creation: the edit control counts UTF-16 characters, and
    // themes are on.
    bool RuntimeThemes() const { return runtimeThemes_; }
    bool Themed() const { return themed_; }

    TNotifyEvent OnModified;
    TOnModifyExEvent OnModifyEx;
    TOnMoveEvent OnMove;

protected:
    explicit TEntryBox(TWinControl& control);

    // ---- what each kind of box does its own way
    virtual bool IsReadOnlyBox() const = 0;
    virtual void RunEntryStep() = 0;
    virtual void RunExitStep() = 0;
    // The refresh that a neighbour's Update passes on.
    virtual void StampedRefresh(UInt64 stamp) = 0;
    // Places the box in its host panel.
    virtual void Layout() = 0;

    // ---- shared steps
    // Entry steps of a box that cannot keep the focus (read-only or
    // disabled: on in the arrival direction) or that was clicked without
    // ekMouse (back to the group's current box); true when the focus was
    // passed on. Otherwise spreads this box as the group's current box.
    bool PassFocusOn();
    // Gives the focus to neighbour N, arriving with key V.
    static void GiveFocus(TWinControl* N, Word V);
    // The move of a key to neighbour N with code V; Key becomes 0 when the
    // key was used. A move that did not happen and was not refused runs
    // the exit and entry steps in place; a move that happened raises OnMove.
    void MoveStep(TWinControl* N, Word V, bool forEnter, Word& Key);
    // Left and Right on key-down, with the box's selection: they leave the
    // box when the caret stands at that end with nothing selected, when the
    // whole text is selected (without Shift), or always when `always` is set.
    void ArrowStep(Word& Key, TShiftState Shift, Integer selStart, Integer selLength, bool always);
    // Tab and Shift+Tab on key-up.
    void TabStep(Word& Key, TShiftState Shift);
    // The move of a box that became full, as Enter would go (no OnMove).
    void MoveOnFull();
    // Validation where a move cannot go on (the edit box reformats).
    virtual void ValidateInPlace() {}
    // The exit step and, when it let the box go, the entry step again,
    // without the focus moving.
    void RerunInPlace();
    // The exit step took the focus back (error or refused change).
    void NoteExitRefused() { exitRefused_ = true; }
    // The colour step of entry and exit: ActiveColor while focused,
    // InActiveColor when not; withPanel lets a fitted parent panel follow.
    void FocusColourStep(bool entering, bool withPanel);
    // Passes a stamped refresh on to the neighbours.
    void RefreshNeighbours(UInt64 stamp);
    // A new program-wide update stamp.
    static UInt64 NextStamp();
    // A component goes away: references to it are cleared.
    void ForgetComponent(TComponent* component);
    void SetAcceptedText(const QString& text) { accepted_ = text; }
    void SetRequiredSize(Integer width, Integer height) {
        requiredWidth_ = width;
        requiredHeight_ = height;
    }
    void SetHostPanel(TPanel* panel) { hostPanel_ = panel; }
    // Decides RuntimeThemes and Themed with a scratch edit (at creation).
    void DecideThemes();

    UInt64 stamp_ = 0;

private:
    void setNeighbour(TWinControl*& slot, TWinControl* control);
    void setColour(TColor color, bool withPanel);

    TWinControl& control_;
    TWinControl* mvLeft_ = nullptr;
    TWinControl* mvRight_ = nullptr;
    TWinControl* mvUp_ = nullptr;
    TWinControl* mvDown_ = nullptr;
    TWinControl* groupCurrent_ = nullptr;
    Word entryKey_ = 0;
    bool exitRefused_ = false;
    QString accepted_;
    TColor activeColor_ = TColor(0x00F9E0D0);
    TColor inActiveColor_ = clWindow;
    TColor disabledColor_ = TColor(0x00F0FBFF);
    TExitKeys exitKeys_{ekReturn, ekRight, ekLeft, ekUp, ekDown, ekTab, ekMouse};
    TMoveKey moveReturn_ = mkRight;
    TMoveKey moveFwdTab_ = mkRight;
    TMoveKey moveRevTab_ = mkLeft;
    bool returnNext_ = true;
    bool fitToParent_ = false;
    THorizontalAlign horizontalAlign_ = haNone;
    TVerticalAlign verticalAlign_ = vaNone;
    Integer requiredWidth_ = 0;
    Integer requiredHeight_ = 0;
    TPanel* hostPanel_ = nullptr;
    bool runtimeThemes_ = true;
    bool themed_ = true;
};

// ------------------------------------------------------------ edit box

class TCEdit : public TCustomEdit, public TEntryBox {
public:
    explicit TCEdit(TComponent* AOwner);
    ~TCEdit() override;

    // ---- the kind of value and its rules (setters keep them consistent)
    TNumericType NumericType() const { return numericType_; }
    void SetNumericType(TNumericType type);
    TCharTypes CharTypes() const { return charTypes_; }
    void SetCharTypes(TCharTypes types);
    // Decimals shown, 0..10 (only with ctPeriod, for ntExtend and ntCurrency).
    Integer fpLength() const { return fpLength_; }
    void SetfpLength(Integer length);
    Int64 MaxValue() const { return maxValue_; }
    void SetMaxValue(Int64 value);
    Int64 MinValue() const { return minValue_; }
    void SetMinValue(Int64 value);
    bool Need() const { return need_; }
    void SetNeed(bool on) { need_ = on; }
    // A zero value is shown instead of a blank.
    bool ZeroDisp() const { return zeroDisp_; }
    void SetZeroDisp(bool on) { zeroDisp_ = on; }
    // AsString gives numbers without grouping commas.
    bool SupressConmma() const { return supressConmma_; }
    void SetSupressConmma(bool on) { supressConmma_ = on; }
    // Dates and times are exchanged as digit strings and integers.
    bool IntegerResult() const { return integerResult_; }
    void SetIntegerResult(bool on) { integerResult_ = on; }
    // AsString gives a date as month/day/year.
    bool LocalSQLDate() const { return localSQLDate_; }
    void SetLocalSQLDate(bool on) { localSQLDate_ = on; }
    // The first digit typed into an unmodified right-aligned box replaces
    // its text.
    bool FirstPressClear() const { return firstPressClear_; }
    void SetFirstPressClear(bool on) { firstPressClear_ = on; }
    // Moves on as Enter would once the box is full.
    bool MoveFullChar() const { return moveFullChar_; }
    void SetMoveFullChar(bool on) { moveFullChar_ = on; }
    // OnKeyDown and OnKeyUp also see the keys the box used.
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool on) { keyPreview_ = on; }
    // Stored with the form; the navigation-map trace logs FieldName.
    const QString& FieldName() const { return fieldName_; }
    void SetFieldName(const QString& name) { fieldName_ = name; }
    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* dataSet);

    // The result of the last validation.
    TErrorType ErrorType() const { return errorType_; }
    bool IsDateTime() const;
    bool IsNull() const;
    bool IsNumeric() const;

    // Setting it also sets AutoSelect (off for right alignment) and makes
    // the window again.
    void SetAlignment(TAlignment alignment) override;
    void SetAutoSize(bool on) override;
    // Width in half-width characters for the panel layout.
    Integer DisplayWidth() const { return displayWidth_; }
    void SetDisplayWidth(Integer width);

    // ---- typed values
    Currency AsCurrency() const;
    void SetAsCurrency(Currency value);
    Extended AsFloat() const;
    void SetAsFloat(Extended value);
    Int64 AsInteger() const;
    void SetAsInteger(Int64 value);
    TDateTime AsDateTime() const;
    void SetAsDateTime(TDateTime value);
    // Validates (and may reformat) the text first; empty on an error.
    QString AsString();
    void SetAsString(const QString& value);

    // After a value was set in code: validates, takes the text as
    // accepted, and refreshes every box reachable through the links once.
    void Update() override;
    // Text and accepted text become empty.
    void Clear() override;
    void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
    // Whether the value equals the accepted text.
    bool IsSameAsEntry() const;

    TNotifyEvent OnEditError;
    TCompositionStrEvent OnCompositionStr;

protected:
    friend TErrorType Validate(TCEdit* Box, bool ReportBadValue);

    // Number, date and time boxes ask for digits.
    Qt::InputMethodHints ImeClosedHints() const override;

    void Notification(TComponent* AComponent, TOperation Operation) override;
    void DoEnter() override;
    void DoExit() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(WideChar& Key) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void Change() override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void WndProc(TMessage& Message) override;
    void WMSetFocus(TMessage& Message) override;
    void WMKillFocus(TMessage& Message) override;
    void DoSetMaxLength(Integer Value) override;

    bool IsReadOnlyBox() const override { return ReadOnly(); }
    void RunEntryStep() override { DoEnter(); }
    void RunExitStep() override { DoExit(); }
    void StampedRefresh(UInt64 stamp) override;
    void Layout() override;
    void ValidateInPlace() override { Validate(this, false); }

private:
    bool rightAligned() const { return Alignment() == taRightJustify; }
    // The number kinds shown grouped and edited plain (not zero-filled).
    bool plainNumber() const;
    void caretToEnd();
    // The entry step's editing form, caret and input method's box; the
    // accepted text is recorded only when asked.
    void editingState(bool recordAccepted);
    // The accept step of the typed setters.
    void acceptText(const QString& text);
    void refreshValue();
    QString editingForm(const QString& text) const;
    void filterNumericKey(WideChar& Key);
    void filterFreeKey(WideChar& Key);
    void firstPressClear();
    void moveWhenFull(WideChar& Key);
    void escapeKey();
    void compositionArrived(LPARAM parts);
    void placeInPanel();
    Integer integerMaxLength() const;
    Integer numberMaxLength() const;
    QString dateTimeText(TDateTime value) const;
    void acceptDateTime(TDateTime value);
    void setDigitsText(Int64 digits);
    void setDigits(Extended value);

    TNumericType numericType_ = ntDontCare;
    TCharTypes charTypes_{ctPeriod, ctMinus, ctConmma, ctQuoted, ctDQuoted};
    Integer fpLength_ = 0;
    Int64 maxValue_ = 0;
    Int64 minValue_ = 0;
    bool need_ = false;
    bool zeroDisp_ = false;
    bool supressConmma_ = true;
    bool integerResult_ = false;
    bool localSQLDate_ = false;
    bool firstPressClear_ = false;
    bool moveFullChar_ = false;
    bool keyPreview_ = false;
    QString fieldName_;
    TDataSet* dataSet_ = nullptr;
    TErrorType errorType_ = erNone;
    Integer displayWidth_ = 0;
    bool mouseActivated_ = false;
};

// The published edit box.
class TSEdit : public TCEdit {
public:
    using TCEdit::TCEdit;
};

// ------------------------------------------------------------ combo box

// The combo box base: a display width for the panel layout and a length
// limit for the edit part.
class TCstomComboBox : public TCustomComboBox {
public:
    explicit TCstomComboBox(TComponent* AOwner);
    Integer DisplayWidth() const { return displayWidth_; }
    virtual void SetDisplayWidth(Integer width);
    Integer MaxLength() const { return maxLength_; }
    virtual void SetMaxLength(Integer length);

protected:
    void CreateWnd() override;

private:
    Integer displayWidth_ = 0;
    Integer maxLength_ = 0;
};

// The combo box of the data-entry screens: the edit box's navigation,
// colours and change events on a framework combo box, with a flat look, a
// button the host panel can hide, a read-only mode and item stepping with
// Shift and the arrow keys. It has no value kind and no validation.
class TSComboBox : public TCstomComboBox, public TEntryBox {
public:
    explicit TSComboBox(TComponent* AOwner);

    // Keys change no text (no typed character, no deleting, cutting or
    // pasting); the box still moves on.
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool on) { readOnly_ = on; }
    // The neighbour a click on an item moves to (with ekMouse).
    TMoveKey MoveOnClick() const { return moveOnClick_; }
    void SetMoveOnClick(TMoveKey key) { moveOnClick_ = key; }
    // A one-pixel black frame instead of the framework's look.
    bool Flat() const { return flat_; }
    void SetFlat(bool on);
    // The host panel leaves the drop-down button out.
    bool HideButton() const { return hideButton_; }
    void SetHideButton(bool on);

    void SetMaxLength(Integer length) override;
    void SetDisplayWidth(Integer width) override;
    // Repaints; raises neither Click nor Change.
    void SetItemIndex(Integer index) override;
    // Items, text and accepted text go.
    void Clear() override;
    // Takes the text as accepted and refreshes the linked boxes once.
    void Update() override;
    // A choice the user made; with ekMouse the focus moves on.
    void Click() override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void DoEnter() override;
    void DoExit() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(WideChar& Key) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void DropDown() override;
    void RequestAlign() override;
    void ConstrainedResize(Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight) override;
    void CMFontChanged(TMessage& Message) override;
    void PaintOver(TCanvas* Canvas) override;

    bool IsReadOnlyBox() const override { return readOnly_; }
    void RunEntryStep() override { DoEnter(); }
    void RunExitStep() override { DoExit(); }
    void StampedRefresh(UInt64 stamp) override;
    void Layout() override;

private:
    void upDownKey(Word& Key, TShiftState Shift);
    bool beyondParent() const;
    void placeInPanel();

    bool readOnly_ = false;
    TMoveKey moveOnClick_ = mkRight;
    bool flat_ = false;
    bool hideButton_ = false;
    bool layingOut_ = false;
};

// ------------------------------------------------------------ navigation maps

// Links the visible and enabled edit and combo boxes inside Container in
// reading order (rows by vertical centre, coordinates rounded down to
// multiples of 4; left to right in a row), each direction wrapping round:
// right and left through the order, down and up to the first box of the
// next and previous row. With a memo named "MemLog" on the form, each box
// with a field name (a combo box: its text) is logged with the label found
// DX pixels left of and DY pixels below its top left corner. Returns the
// last box in reading order (nil: no container or no box).
TWinControl* BuildNavigationMap(TWinControl* Container, Integer DX, Integer DY);
// Builds the map of each container named in Groups (one name a line, on
// Form), then links the groups in list order, wrapping round: a group's
// last box goes right, and its bottom row down, to the next group's first
// box; its first box goes left to the previous group's last box and its
// top row up to the previous group's bottom-left box. Groups without boxes
// take no part. Returns the first box of the first group.
TWinControl* BuildGroupNavigationMap(const TStrings* Groups, TComponent* Form, Integer, Integer);
