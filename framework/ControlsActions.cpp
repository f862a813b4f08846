// The control's side of the action link (ActnList.h).
#include "ActnList.h"
#include "Controls.h"

TBasicAction* TControl::Action() const {
    return actionLink_ ? actionLink_->Action() : nullptr;
}

void TControl::SetAction(TBasicAction* action) {
    if (!action) {
        actionLink_.reset();
        controlStyle_ >> csActionClient;
        return;
    }
    if (!actionLink_) actionLink_ = std::make_unique<TControlActionLink>(this);
    actionLink_->SetAction(action);
    controlStyle_ << csActionClient;
    ActionChange(action, IsLoading());
}

void TControl::InitiateAction() {
    if (actionLink_) actionLink_->Update();
}

void TControl::ActionChange(TObject* Sender, bool CheckDefaults) {
    auto* action = dynamic_cast<TCustomAction*>(Sender);
    if (!action) return;
    if (!CheckDefaults || Caption().isEmpty() || Caption() == Name()) SetCaption(action->Caption());
    if (!CheckDefaults || Enabled()) SetEnabled(action->Enabled());
    if (!CheckDefaults || hint_.isEmpty()) SetHint(action->Hint());
    if (!CheckDefaults || Visible()) SetVisible(action->Visible());
}
