// Menus: menu items in a tree, pop-up menus shown with Qt and shortcuts.
#pragma once

#include "Classes.h"
#include "Controls.h"

#include <vector>

// A key with its modifiers: the virtual key plus scShift, scCtrl, scAlt.
using TShortCut = Word;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0;
TShortCut ShortCut(Word key, TShiftState shift);
void ShortCutToKey(TShortCut shortCut, Word& key, TShiftState& shift);

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption) { caption_ = caption; }
    bool Checked() const { return checked_; }
    // A checked radio item unchecks the others of its group.
    void SetChecked(bool on);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on) { enabled_ = on; }
    bool Visible() const { return visible_; }
    void SetVisible(bool on) { visible_ = on; }
    bool RadioItem() const { return radioItem_; }
    void SetRadioItem(bool on) { radioItem_ = on; }
    Byte GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(Byte index) { groupIndex_ = index; }
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut shortCut) { shortCut_ = shortCut; }

    // The sub-items (the item owns the ones added to it).
    Integer Count() const { return Integer(items_.size()); }
    TMenuItem* Items(Integer index) const;  // EListError out of range
    TMenuItem* Parent() const { return parent_; }
    Integer MenuIndex() const;
    void Add(TMenuItem* item);
    void Insert(Integer index, TMenuItem* item);
    void Remove(TMenuItem* item);
    void Delete(Integer index);
    void Clear();
    // The enabled, visible item (this one or below) with the shortcut.
    TMenuItem* FindShortCut(TShortCut shortCut);
    bool IsLine() const { return caption_ == QLatin1String("-"); }

    virtual void Click();
    TNotifyEvent OnClick;

private:
    QString caption_;
    bool checked_ = false;
    bool enabled_ = true;
    bool visible_ = true;
    bool radioItem_ = false;
    Byte groupIndex_ = 0;
    TShortCut shortCut_ = scNone;
    std::vector<TMenuItem*> items_;
    TMenuItem* parent_ = nullptr;
};

enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;

    TMenuItem* Items() const { return items_; }
    bool AutoPopup() const { return autoPopup_; }
    void SetAutoPopup(bool on) { autoPopup_ = on; }
    TComponent* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TComponent* component);
    TPopupAlignment Alignment() const { return alignment_; }
    void SetAlignment(TPopupAlignment alignment) { alignment_ = alignment; }

    // Shows the menu at the screen point and waits until it closes; the
    // chosen item is clicked afterwards. OnPopup comes first.
    virtual void Popup(Integer X, Integer Y);
    // A shortcut of an item: clicks it and answers true.
    bool IsShortCut(Word key, TShiftState shift);

    TNotifyEvent OnPopup;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TMenuItem* items_;
    bool autoPopup_ = true;
    TComponent* popupComponent_ = nullptr;
    TPopupAlignment alignment_ = paLeft;
};

// Tests replace how a pop-up menu is shown: the hook answers the chosen
// item (nil: none) instead of showing the menu.
using TPopupHook = std::function<TMenuItem*(TPopupMenu* Menu, TPoint ScreenPos)>;
void SetPopupHook(TPopupHook hook);
