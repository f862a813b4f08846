// Actions: linked controls follow their action, clicks and shortcuts
// execute it, the idle step updates it, and freeing either side unlinks.
#include "ActnList.h"
#include "Buttons.h"
#include "ComCtrls.h"
#include "FrameworkTestSupport.h"
#include "StdCtrls.h"

#include <gtest/gtest.h>

namespace {

class ActnListTest : public LoggedFormTest {
protected:
    ActnListTest() {
        form->SetBounds(100, 100, 400, 200);
        list = new TActionList(form.get());
        action = NewAction("Save");
    }

    TAction* NewAction(const QString& caption) {
        auto* a = new TAction(form.get());
        a->SetActionList(list);
        a->SetCaption(caption);
        a->OnExecute = [this](TObject* s) {
            auto* sender = static_cast<TBasicAction*>(s);
            log.Add("Execute:" + Utf8(static_cast<TCustomAction*>(sender)->Caption()) + " by " +
                    (sender->ActionComponent() ? Utf8(sender->ActionComponent()->Name()) : "nobody"));
        };
        return a;
    }

    TButton* NewButton(const QString& name, Integer left) {
        auto* b = Place(new TButton(form.get()), form.get(), left, 10, 80, 25);
        b->SetName(name);
        return b;
    }

    TActionList* list;
    TAction* action;
};

TEST_F(ActnListTest, LinkedControlsTakeTheActionsStateAndFollowEveryChange) {
    action->SetHint("Saves the voucher");
    action->SetEnabled(false);
    auto* one = NewButton("one", 10);
    auto* two = NewButton("two", 100);
    one->SetAction(action);
    two->SetAction(action);
    for (TButton* b : {one, two}) {
        EXPECT_EQ(b->Caption(), "Save");
        EXPECT_EQ(b->Hint(), "Saves the voucher");
        EXPECT_FALSE(b->Enabled());
        EXPECT_TRUE(b->ControlStyle().Contains(csActionClient));
    }
    one->SetCaption("Own");
    action->SetEnabled(true);
    action->SetVisible(false);
    action->SetCaption("Store");
    for (TButton* b : {one, two}) {
        EXPECT_TRUE(b->Enabled());
        EXPECT_FALSE(b->Visible());
        EXPECT_EQ(b->Caption(), "Store") << "a change of the action is taken whole";
    }
}

TEST_F(ActnListTest, AControlBeingLoadedKeepsWhatItAlreadyHolds) {
    auto* named = NewButton("named", 10);
    named->SetCaption("named");
    auto* own = NewButton("own", 100);
    own->SetCaption("Own caption");
    own->SetHint("Own hint");
    own->SetEnabled(false);
    action->SetHint("Action hint");
    form->BeginLoading();
    named->SetAction(action);
    own->SetAction(action);
    form->EndLoading();
    EXPECT_EQ(named->Caption(), "Save") << "a caption equal to the name is a default";
    EXPECT_EQ(own->Caption(), "Own caption");
    EXPECT_EQ(own->Hint(), "Own hint");
    EXPECT_FALSE(own->Enabled());
}

TEST_F(ActnListTest, AClickExecutesTheActionUnlessTheControlHasItsOwnOnClick) {
    auto* linked = NewButton("linked", 10);
    auto* own = NewButton("own", 100);
    linked->SetAction(action);
    own->SetAction(action);
    own->OnClick = [this](TObject*) { log.Add("OnClick"); };
    form->ShowActive();
    log.Clear();
    ClickControl(linked);
    ClickControl(own);
    EXPECT_EQ(log.With("Execute:"), std::vector<std::string>{"Execute:Save by linked"});
    EXPECT_EQ(log.With("OnClick"), std::vector<std::string>{"OnClick"});
    EXPECT_EQ(action->ActionComponent(), nullptr) << "only while it executes";
}

TEST_F(ActnListTest, TheIdleStepUpdatesVisibleControlsOfShownFormsAndOnlyTheModalFormWhileOneIsUp) {
    TAction* hidden = NewAction("Hidden");
    NewButton("shown", 10)->SetAction(action);
    auto* invisible = NewButton("invisible", 100);
    invisible->SetAction(hidden);
    invisible->SetVisible(false);
    int updates = 0, hiddenUpdates = 0;
    action->OnUpdate = [&](TObject*) { ++updates; };
    hidden->OnUpdate = [&](TObject*) { ++hiddenUpdates; };

    RunEventLoop();
    EXPECT_EQ(updates, 0) << "the form is not shown";
    form->ShowActive();
    updates = 0;
    RunEventLoop();
    EXPECT_GT(updates, 0);
    EXPECT_EQ(hiddenUpdates, 0);

    TForm dialog(nullptr);
    dialog.SetBounds(150, 150, 200, 100);
    TAction modalAction(&dialog);
    Place(new TButton(&dialog), &dialog, 10, 10, 80, 25)->SetAction(&modalAction);
    int dialogUpdates = 0;
    modalAction.OnUpdate = [&](TObject*) { ++dialogUpdates; };
    WhenModalShown([&](QWidget*) {
        updates = 0;
        RunEventLoop();
        dialog.SetModalResult(mrOk);
    });
    dialog.ShowModal();
    EXPECT_GT(dialogUpdates, 0);
    EXPECT_EQ(updates, 0) << "a modal form leaves the other forms out";
}

TEST_F(ActnListTest, AShortcutExecutesTheEnabledActionOfTheFormsListInsteadOfReachingTheControl) {
    auto* edit = new TLineProbe(form.get(), log, "edit");
    Place(edit, form.get(), 10, 50, 100, 24);
    action->SetShortCut(ShortCut('S', {ssCtrl}));
    action->OnUpdate = [this](TObject*) { log.Add("Update"); };
    ShowWithFocus(edit);
    KeyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(log.With("Update"), std::vector<std::string>{"Update"}) << "before it executes";
    EXPECT_EQ(log.With("Execute:"), std::vector<std::string>{"Execute:Save by nobody"});
    EXPECT_TRUE(log.With("KeyDown:edit:83").empty());
    EXPECT_TRUE(log.With("FormKeyDown:83").empty());

    action->OnUpdate = [this](TObject*) { action->SetEnabled(false); };
    log.Clear();
    KeyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(log.With("Execute:").empty());
    EXPECT_EQ(log.With("KeyDown:edit:83").size(), 1u) << "a disabled action lets the key go on";

    action->OnUpdate = nullptr;
    action->SetEnabled(true);
    TLoggedForm other(log);
    other.SetBounds(300, 100, 200, 100);
    other.ShowActive();
    log.Clear();
    KeyClick(&other, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(log.With("FormKeyDown:83").size(), 1u) << "the other form has the key";
    EXPECT_TRUE(log.With("Execute:").empty()) << "only the form that owns the list";
}

TEST_F(ActnListTest, FreeingAnActionAControlTheImagesOrTheListUnlinksThem) {
    auto* gone = NewButton("gone", 10);
    auto* stays = NewButton("stays", 100);
    gone->SetAction(action);
    stays->SetAction(action);
    delete gone;
    action->SetCaption("After");
    EXPECT_EQ(stays->Caption(), "After");
    auto* images = new TImageList(form.get());
    list->SetImages(images);
    delete images;
    EXPECT_EQ(list->Images(), nullptr);

    delete action;
    EXPECT_EQ(stays->Action(), nullptr);
    EXPECT_FALSE(stays->ControlStyle().Contains(csActionClient));
    EXPECT_EQ(stays->Caption(), "After") << "it keeps its look";
    form->ShowActive();
    ClickControl(stays);
    EXPECT_TRUE(log.With("Execute:").empty());

    stays->SetAction(NewAction("Other"));
    const Integer components = form->ComponentCount();
    delete list;
    EXPECT_EQ(form->ComponentCount(), components - 2) << "the list frees its action";
    EXPECT_EQ(stays->Action(), nullptr);
}

TEST_F(ActnListTest, GroupedSpeedButtonsShowCheckedAndToolButtonsTheImage) {
    auto* loose = Place(new TSpeedButton(form.get()), form.get(), 10, 10, 40, 25);
    auto* grouped = Place(new TSpeedButton(form.get()), form.get(), 60, 10, 40, 25);
    grouped->SetGroupIndex(1);
    grouped->SetAllowAllUp(true);
    auto* bar = Place(new TToolBar(form.get()), form.get(), 0, 50, 400, 30);
    auto* tool = new TToolButton(form.get());
    tool->SetParent(bar);
    action->SetImageIndex(2);
    for (TControl* c : std::initializer_list<TControl*>{loose, grouped, tool}) c->SetAction(action);
    EXPECT_EQ(tool->ImageIndex(), 2);
    action->SetChecked(true);
    EXPECT_TRUE(grouped->Down());
    EXPECT_FALSE(loose->Down()) << "Down needs a group";
    action->SetChecked(false);
    EXPECT_FALSE(grouped->Down());
}

}  // namespace
