#include "Menus.h"

#include <QtGui/QAction>
#include <QtGui/QKeySequence>
#include <QtWidgets/QMenu>

#include <algorithm>
#include <map>

namespace {

TPopupHook& PopupHook() {
    static TPopupHook hook;
    return hook;
}

// Builds the Qt menu of an item's children; actions map back to items.
void BuildMenu(QMenu& menu, TMenuItem* item, std::map<QAction*, TMenuItem*>& actions) {
    for (Integer i = 0; i < item->Count(); ++i) {
        TMenuItem* child = item->Items(i);
        if (!child->Visible()) continue;
        if (child->IsLine()) {
            menu.addSeparator();
            continue;
        }
        if (child->Count() > 0) {
            QMenu* sub = menu.addMenu(child->Caption());
            sub->setEnabled(child->Enabled());
            BuildMenu(*sub, child, actions);
            continue;
        }
        QAction* a = menu.addAction(child->Caption());
        a->setEnabled(child->Enabled());
        a->setCheckable(child->Checked() || child->RadioItem());
        a->setChecked(child->Checked());
        actions[a] = child;
    }
}

}  // namespace

TShortCut ShortCut(Word key, TShiftState shift) {
    TShortCut s = TShortCut(key & 0xFF);
    if (shift.Contains(ssShift)) s |= scShift;
    if (shift.Contains(ssCtrl)) s |= scCtrl;
    if (shift.Contains(ssAlt)) s |= scAlt;
    return s;
}

void ShortCutToKey(TShortCut shortCut, Word& key, TShiftState& shift) {
    key = Word(shortCut & 0xFF);
    shift = TShiftState();
    if (shortCut & scShift) shift << ssShift;
    if (shortCut & scCtrl) shift << ssCtrl;
    if (shortCut & scAlt) shift << ssAlt;
}

// ------------------------------------------------------------ TMenuItem

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem() {
    Clear();
    if (parent_) parent_->Remove(this);
}

void TMenuItem::SetChecked(bool on) {
    checked_ = on;
    if (!on || !radioItem_ || !parent_) return;
    for (TMenuItem* sibling : parent_->items_) {
        if (sibling != this && sibling->radioItem_ && sibling->groupIndex_ == groupIndex_) sibling->checked_ = false;
    }
}

TMenuItem* TMenuItem::Items(Integer index) const {
    if (index < 0 || index >= Count()) throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return items_[size_t(index)];
}

Integer TMenuItem::MenuIndex() const {
    if (!parent_) return -1;
    auto it = std::find(parent_->items_.begin(), parent_->items_.end(), this);
    return Integer(it - parent_->items_.begin());
}

void TMenuItem::Add(TMenuItem* item) {
    Insert(Count(), item);
}

void TMenuItem::Insert(Integer index, TMenuItem* item) {
    if (!item) return;
    if (item->parent_) throw EInvalidOperation(QStringLiteral("Menu inserted twice"));
    for (const TMenuItem* p = this; p; p = p->parent_) {
        if (p == item) throw EInvalidOperation(QStringLiteral("A menu item cannot hold itself or its parent"));
    }
    if (index < 0 || index > Count()) throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
}

void TMenuItem::Remove(TMenuItem* item) {
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end()) return;
    items_.erase(it);
    item->parent_ = nullptr;
}

void TMenuItem::Delete(Integer index) {
    Remove(Items(index));
}

void TMenuItem::Clear() {
    while (!items_.empty()) delete items_.back();
}

TMenuItem* TMenuItem::FindShortCut(TShortCut shortCut) {
    if (!enabled_ || !visible_) return nullptr;
    if (shortCut_ != scNone && shortCut_ == shortCut) return this;
    for (TMenuItem* child : items_) {
        if (TMenuItem* found = child->FindShortCut(shortCut)) return found;
    }
    return nullptr;
}

void TMenuItem::Click() {
    if (!enabled_) return;
    if (OnClick) OnClick(this);
}

// ------------------------------------------------------------ TPopupMenu

TPopupMenu::TPopupMenu(TComponent* AOwner) : TComponent(AOwner), items_(new TMenuItem(nullptr)) {}

TPopupMenu::~TPopupMenu() {
    delete items_;
}

void TPopupMenu::SetPopupComponent(TComponent* component) {
    if (popupComponent_ == component) return;
    if (popupComponent_) popupComponent_->RemoveFreeNotification(this);
    popupComponent_ = component;
    if (component) component->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == popupComponent_) popupComponent_ = nullptr;
}

void TPopupMenu::Popup(Integer X, Integer Y) {
    if (OnPopup) OnPopup(this);
    TMenuItem* chosen = nullptr;
    if (PopupHook()) {
        chosen = PopupHook()(this, TPoint(X, Y));
    } else {
        QMenu menu;
        std::map<QAction*, TMenuItem*> actions;
        BuildMenu(menu, items_, actions);
        QAction* a = menu.exec(QPoint(X, Y));
        auto it = actions.find(a);
        if (it != actions.end()) chosen = it->second;
    }
    if (chosen) chosen->Click();
}

bool TPopupMenu::IsShortCut(Word key, TShiftState shift) {
    TMenuItem* item = items_->FindShortCut(ShortCut(key, shift));
    if (!item) return false;
    item->Click();
    return true;
}

void SetPopupHook(TPopupHook hook) {
    PopupHook() = std::move(hook);
}
