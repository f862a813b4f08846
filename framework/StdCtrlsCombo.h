// The framework's combo box on a Qt combo box.
//
// As on the platform: a choice the user makes (mouse, arrow keys or typed
// letters on a closed list) raises Click and then Select (OnSelect, or
// Change when there is none); typing in the edit part raises Change; an
// ItemIndex or Text set by the program raises neither. DropDown (OnDropDown)
// runs before the list opens, CloseUp (OnCloseUp) after it closed. Letters
// typed while the list is open reach the box as on a closed one. The
// list styles have no edit part; the height follows the font, for the
// owner-drawn styles the selection area's item height.
#pragma once

#include "Controls.h"
#include "StdCtrlsEdit.h"

#include <functional>
#include <memory>

class QComboBox;
class QKeyEvent;
class QPainter;
class QLineEdit;
class TStringList;
class TStrings;

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
// How an owner-drawn item stands; odComboBoxEdit marks the box's own
// selection area.
enum TOwnerDrawStateItem {
    odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight,
    odInactive, odNoAccel, odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit
};
using TOwnerDrawState = Set<TOwnerDrawStateItem>;
// Draws item Index (-1: none) into Rect on the control's Canvas.
using TDrawItemEvent = std::function<void(TWinControl* Control, Integer Index, TRect Rect, TOwnerDrawState State)>;
// The height of item Index (-1: the selection area), ItemHeight on entry.
using TMeasureItemEvent = std::function<void(TWinControl* Control, Integer Index, Integer& Height)>;
enum TBevelKind { bkNone, bkTile, bkSoft, bkFlat };
enum TBevelEdge { beLeft, beTop, beRight, beBottom };
using TBevelEdges = Set<TBevelEdge>;

class TCustomComboBox : public TWinControl {
public:
    explicit TCustomComboBox(TComponent* AOwner);
    ~TCustomComboBox() override;

    TStrings* Items() const;
    void SetItems(TStrings* items);
    // -1 when nothing is chosen; out of range chooses nothing.
    Integer ItemIndex() const { return itemIndex_; }
    virtual void SetItemIndex(Integer index);
    QString GetText() const override;
    // A list style chooses the item of that text (when there is one).
    void SetText(const QString& text) override;

    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle style);
    // The styles with an edit part: drop-down and simple.
    bool IsEditable() const { return style_ == csDropDown || style_ == csSimple; }
    bool DroppedDown() const { return droppedDown_; }
    void SetDroppedDown(bool on);
    Integer DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(Integer count);
    // The height of every item of csOwnerDrawFixed, and what csOwnerDrawVariable
    // hands OnMeasureItem first; the selection area takes it too.
    Integer ItemHeight() const { return itemHeight_; }
    void SetItemHeight(Integer height);
    bool Sorted() const;
    void SetSorted(bool on);
    TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(TEditCharCase charCase);
    // Typing completes to the first matching item; the list styles choose
    // the first item starting with the letters typed, which add up while
    // each follows the last within AutoCompleteDelay milliseconds.
    bool AutoComplete() const { return autoComplete_; }
    void SetAutoComplete(bool on);
    Cardinal AutoCompleteDelay() const { return autoCompleteDelay_; }
    void SetAutoCompleteDelay(Cardinal ms) { autoCompleteDelay_ = ms; }
    // An item chosen by typing into the open list closes it.
    bool AutoCloseUp() const { return autoCloseUp_; }
    void SetAutoCloseUp(bool on) { autoCloseUp_ = on; }
    // Typing a character opens the list.
    bool AutoDropDown() const { return autoDropDown_; }
    void SetAutoDropDown(bool on) { autoDropDown_ = on; }
    const QString& TextHint() const { return textHint_; }
    void SetTextHint(const QString& hint);
    // The bevel drawn round the box by the classes that paint one.
    TBevelKind BevelKind() const { return bevelKind_; }
    void SetBevelKind(TBevelKind kind);
    TBevelEdges BevelEdges() const { return bevelEdges_; }
    void SetBevelEdges(TBevelEdges edges);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut cut);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut cut);

    // ---- the edit part (UTF-16 units; nothing for the list styles)
    Integer SelStart() const;
    void SetSelStart(Integer start);
    Integer SelLength() const;
    void SetSelLength(Integer length);
    QString SelText() const;
    void SelectAll();
    // No items and no text.
    virtual void Clear();
    void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
    // What DrawItem draws on while an item is drawn: the list's or the box's.
    TCanvas* Canvas() const { return canvas_.get(); }

    TNotifyEvent OnChange;
    TNotifyEvent OnSelect;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;
    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

protected:
    friend class TComboWidget;
    friend class TComboItemDelegate;

    QWidget* CreateWidget(QWidget* parent) override;
    void InitWidget() override;
    void DestroyWnd() override;
    bool TakesFocusOnClick() const override { return true; }
    void WndProc(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void DoExit() override;
    void PaintWidget(TControlWidgetLink& link, QPaintEvent* event) override;
    // The platform's edit part ignores Enter; AutoDropDown, and the search
    // of the list styles under AutoComplete.
    void KeyPress(WideChar& Key) override;
    // Typing in the edit part.
    virtual void Change();
    // A choice the user made: OnSelect, else Change.
    virtual void Select();
    virtual void DropDown();
    virtual void CloseUp();
    // Draws over the framework's painting of the box.
    virtual void PaintOver(TCanvas* Canvas) { (void)Canvas; }
    // An owner-drawn item, the canvas set up with the font and the brush of
    // State: OnDrawItem, else the brush fills Rect and the item's text goes
    // 2 pixels in.
    virtual void DrawItem(Integer Index, const TRect& Rect, TOwnerDrawState State);
    // OnMeasureItem, asked by csOwnerDrawVariable only.
    virtual void MeasureItem(Integer Index, Integer& Height);
    // The length limit of the edit part (0: none).
    void SetEditLimit(Integer length);
    QComboBox* ComboWidget() const;
    // The height the font gives the list styles.
    Integer FontHeight() const;

private:
    // csOwnerDrawFixed and csOwnerDrawVariable: DrawItem draws the items.
    bool IsOwnerDrawn() const { return style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable; }
    QLineEdit* lineEdit() const;
    void itemsChanged();
    void showModel();
    void userChose(int index);
    // Keys that reach the open list; true when used up.
    bool listKeyPressed(QKeyEvent& event);
    bool listKeyReleased(QKeyEvent& event);
    void chooseHighlighted();
    // The list styles' search: Key added to the letters typed before.
    void searchItems(WideChar Key);
    void popupOpening();
    void popupClosed();
    // Owner drawing: an item with the canvas on painter, clipped to rect;
    // the height of an item (-1: the selection area); the box itself.
    void drawOwnerItem(QPainter& painter, Integer index, const TRect& rect, TOwnerDrawState state);
    Integer ownerItemHeight(Integer index);
    void paintOwnerDrawn(QPainter& painter);
    Integer boxHeight();

    std::unique_ptr<TStringList> items_;
    std::unique_ptr<TControlCanvas> canvas_;
    Integer itemIndex_ = -1;
    QString text_;
    TComboBoxStyle style_ = csDropDown;
    bool droppedDown_ = false;
    Integer dropDownCount_ = 8;
    Integer itemHeight_ = 16;
    TEditCharCase charCase_ = ecNormal;
    bool autoComplete_ = true;
    Cardinal autoCompleteDelay_ = 500;
    bool autoCloseUp_ = false;
    bool autoDropDown_ = false;
    QString textHint_;
    TBevelKind bevelKind_ = bkNone;
    TBevelEdges bevelEdges_{beLeft, beTop, beRight, beBottom};
    TBevelCut bevelInner_ = bvRaised;
    TBevelCut bevelOuter_ = bvLowered;
    Integer editLimit_ = 0;
    bool syncing_ = false;
    QString searchText_;
    Int64 lastSearch_ = 0;
};

class TComboBox : public TCustomComboBox {
public:
    using TCustomComboBox::TCustomComboBox;
};
