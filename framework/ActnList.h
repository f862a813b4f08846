// Actions: one command with its caption, state, image and handlers, shared
// by every control linked to it, kept in an action list with the list's
// images and shortcuts.
//
// A control linked to an action (TControl::SetAction) takes the action's
// Caption, Enabled, Hint and Visible, and what its class shows of Checked
// and ImageIndex; any later change of the action reaches every linked
// control again; a click on a control without an OnClick of its own
// executes the action; freeing the action unlinks its controls (they keep
// what they show). OnUpdate runs when the application runs out of messages
// (for the actions of the visible controls of the shown forms) and before
// every execution; a shortcut pressed in a form executes the enabled action
// of an action list the form owns.
#pragma once

#include "Classes.h"
#include "Menus.h"

#include <vector>

class TBasicAction;
class TCustomActionList;
class TImageList;

// A client's tie to an action: the action tells its links when it changes
// and forgets them when it goes.
class TBasicActionLink : public TObject {
public:
    TBasicActionLink() = default;
    ~TBasicActionLink() override;
    TBasicActionLink(const TBasicActionLink&) = delete;
    TBasicActionLink& operator=(const TBasicActionLink&) = delete;

    TBasicAction* Action() const { return action_; }
    void SetAction(TBasicAction* value);
    // Executes the action with AComponent as its ActionComponent meanwhile.
    virtual bool Execute(TComponent* AComponent = nullptr);
    virtual bool Update();

    // The action changed (Sender: the action).
    TNotifyEvent OnChange;

protected:
    friend class TBasicAction;
    virtual void Change();
    // The action is being freed; the link no longer has one.
    virtual void ActionFreed() {}

private:
    TBasicAction* action_ = nullptr;
};

class TBasicAction : public TComponent {
public:
    explicit TBasicAction(TComponent* AOwner);
    ~TBasicAction() override;

    // OnExecute when assigned (true), else false.
    virtual bool Execute();
    // OnUpdate when assigned (true), else false.
    virtual bool Update();
    // The control that executes the action, while it does.
    TComponent* ActionComponent() const { return actionComponent_; }
    void SetActionComponent(TComponent* component) { actionComponent_ = component; }

    void RegisterChanges(TBasicActionLink* link);
    void UnRegisterChanges(TBasicActionLink* link);

    TNotifyEvent OnExecute;
    TNotifyEvent OnUpdate;

protected:
    friend class TCustomActionList;
    // Tells every link.
    virtual void Change();

private:
    std::vector<TBasicActionLink*> clients_;
    TComponent* actionComponent_ = nullptr;
};

// An action that belongs to an action list.
class TContainedAction : public TBasicAction {
public:
    explicit TContainedAction(TComponent* AOwner) : TBasicAction(AOwner) {}
    ~TContainedAction() override;

    TCustomActionList* ActionList() const { return actionList_; }
    void SetActionList(TCustomActionList* list);
    // Position in the list, -1 outside one.
    Integer Index() const;
    const QString& Category() const { return category_; }
    void SetCategory(const QString& category) { category_ = category; }

private:
    TCustomActionList* actionList_ = nullptr;
    QString category_;
};

class TCustomAction : public TContainedAction {
public:
    explicit TCustomAction(TComponent* AOwner) : TContainedAction(AOwner) {}

    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    bool Checked() const { return checked_; }
    void SetChecked(bool on);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    const QString& Hint() const { return hint_; }
    void SetHint(const QString& hint);
    // Index in the action list's Images (-1: none).
    Integer ImageIndex() const { return imageIndex_; }
    void SetImageIndex(Integer index);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut shortCut);
    bool Visible() const { return visible_; }
    void SetVisible(bool on);

    // Update first, then OnExecute while enabled.
    bool Execute() override;
    // A shortcut of the action was pressed: Execute.
    virtual bool HandleShortCut() { return Execute(); }

private:
    template <class T>
    void set(T& field, const T& value);

    QString caption_;
    bool checked_ = false;
    bool enabled_ = true;
    QString hint_;
    Integer imageIndex_ = -1;
    TShortCut shortCut_ = scNone;
    bool visible_ = true;
};

class TAction : public TCustomAction {
public:
    using TCustomAction::TCustomAction;
};

// The actions of a form, with the images they show. Freeing the list frees
// its actions.
class TCustomActionList : public TComponent {
public:
    explicit TCustomActionList(TComponent* AOwner);
    ~TCustomActionList() override;

    Integer ActionCount() const { return Integer(actions_.size()); }
    TContainedAction* Actions(Integer index) const;  // EListError out of range
    // Every action changes (its controls take a new image).
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* images);
    // The first action with the shortcut handles it; false when there is
    // none, or it is disabled or has no OnExecute.
    bool IsShortCut(Word key, TShiftState shift);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TContainedAction;
    void changeActions();

    std::vector<TContainedAction*> actions_;
    TImageList* images_ = nullptr;
};

class TActionList : public TCustomActionList {
public:
    using TCustomActionList::TCustomActionList;
};

// A control's link: a change of the action reaches the control's
// ActionChange; freeing the action unlinks the control.
class TControlActionLink : public TBasicActionLink {
public:
    explicit TControlActionLink(TControl* client) : client_(client) {}
    TControl* Client() const { return client_; }

protected:
    void Change() override;
    void ActionFreed() override;

private:
    TControl* client_;
};
