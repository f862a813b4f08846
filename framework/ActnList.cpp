#include "ActnList.h"

#include "Graphics.h"

#include <algorithm>

// ------------------------------------------------------------ TBasicActionLink

TBasicActionLink::~TBasicActionLink() {
    if (action_) action_->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* value) {
    if (value == action_) return;
    if (action_) action_->UnRegisterChanges(this);
    if (value) value->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* AComponent) {
    if (!action_) return false;
    TBasicAction* action = action_;
    action->SetActionComponent(AComponent);
    try {
        const bool done = action->Execute();
        action->SetActionComponent(nullptr);
        return done;
    } catch (...) {
        action->SetActionComponent(nullptr);
        throw;
    }
}

bool TBasicActionLink::Update() {
    return action_ && action_->Update();
}

void TBasicActionLink::Change() {
    if (OnChange) OnChange(action_);
}

// ------------------------------------------------------------ TBasicAction

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}

TBasicAction::~TBasicAction() {
    while (!clients_.empty()) {
        TBasicActionLink* link = clients_.back();
        clients_.pop_back();
        link->action_ = nullptr;
        link->ActionFreed();
    }
}

bool TBasicAction::Execute() {
    if (!OnExecute) return false;
    OnExecute(this);
    return true;
}

bool TBasicAction::Update() {
    if (!OnUpdate) return false;
    OnUpdate(this);
    return true;
}

void TBasicAction::RegisterChanges(TBasicActionLink* link) {
    link->action_ = this;
    clients_.push_back(link);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* link) {
    clients_.erase(std::remove(clients_.begin(), clients_.end(), link), clients_.end());
    if (link->action_ == this) link->action_ = nullptr;
}

// A link may unlink itself (or others) while it hears of the change.
void TBasicAction::Change() {
    const std::vector<TBasicActionLink*> links = clients_;
    for (TBasicActionLink* link : links) {
        if (std::find(clients_.begin(), clients_.end(), link) != clients_.end()) link->Change();
    }
}

// ------------------------------------------------------------ TContainedAction

TContainedAction::~TContainedAction() {
    SetActionList(nullptr);
}

void TContainedAction::SetActionList(TCustomActionList* list) {
    if (list == actionList_) return;
    if (actionList_) {
        auto& actions = actionList_->actions_;
        actions.erase(std::remove(actions.begin(), actions.end(), this), actions.end());
    }
    actionList_ = list;
    if (list) list->actions_.push_back(this);
}

Integer TContainedAction::Index() const {
    if (!actionList_) return -1;
    const auto& actions = actionList_->actions_;
    return Integer(std::find(actions.begin(), actions.end(), this) - actions.begin());
}

// ------------------------------------------------------------ TCustomAction

template <class T>
void TCustomAction::set(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Change();
}

void TCustomAction::SetCaption(const QString& caption) { set(caption_, caption); }
void TCustomAction::SetChecked(bool on) { set(checked_, on); }
void TCustomAction::SetEnabled(bool on) { set(enabled_, on); }
void TCustomAction::SetHint(const QString& hint) { set(hint_, hint); }
void TCustomAction::SetImageIndex(Integer index) { set(imageIndex_, index); }
void TCustomAction::SetShortCut(TShortCut shortCut) { set(shortCut_, shortCut); }
void TCustomAction::SetVisible(bool on) { set(visible_, on); }

bool TCustomAction::Execute() {
    Update();
    return enabled_ && TContainedAction::Execute();
}

// ------------------------------------------------------------ TCustomActionList

TCustomActionList::TCustomActionList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomActionList::~TCustomActionList() {
    if (images_) images_->RemoveFreeNotification(this);
    while (!actions_.empty()) delete actions_.back();
}

TContainedAction* TCustomActionList::Actions(Integer index) const {
    if (index < 0 || index >= ActionCount())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return actions_[size_t(index)];
}

void TCustomActionList::SetImages(TImageList* images) {
    if (images == images_) return;
    if (images_) images_->RemoveFreeNotification(this);
    images_ = images;
    if (images_) images_->FreeNotification(this);
    changeActions();
}

void TCustomActionList::changeActions() {
    const std::vector<TContainedAction*> actions = actions_;
    for (TContainedAction* action : actions) action->Change();
}

bool TCustomActionList::IsShortCut(Word key, TShiftState shift) {
    const TShortCut shortCut = ::ShortCut(key, shift);
    if (shortCut == scNone) return false;
    for (TContainedAction* action : actions_) {
        auto* custom = dynamic_cast<TCustomAction*>(action);
        if (custom && custom->ShortCut() == shortCut) return custom->HandleShortCut();
    }
    return false;
}

void TCustomActionList::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == images_) {
        images_ = nullptr;
        changeActions();
    }
}

// ------------------------------------------------------------ TControlActionLink

void TControlActionLink::Change() {
    TBasicActionLink::Change();
    client_->ActionChange(Action(), false);
}

void TControlActionLink::ActionFreed() {
    client_->SetAction(nullptr);
}
