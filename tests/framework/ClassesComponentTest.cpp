#include "Classes.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Records the notifications and Loaded calls it receives.
class Probe : public TComponent {
public:
    using TComponent::TComponent;
    std::vector<std::pair<TComponent*, TOperation>> notes;
    int loaded = 0;
    bool loadingWhenLoaded = true;
    TComponent* partner = nullptr;

protected:
    void Notification(TComponent* c, TOperation op) override {
        notes.emplace_back(c, op);
        if (op == opRemove && c == partner) partner = nullptr;
        TComponent::Notification(c, op);
    }
    void Loaded() override {
        TComponent::Loaded();
        ++loaded;
        loadingWhenLoaded = IsLoading();
    }
};

TEST(Component, OwnerKeepsCreationOrderAndFreesWhatItOwns) {
    auto* owner = new Probe(nullptr);
    auto* a = new Probe(owner);
    auto* b = new Probe(owner);
    a->SetName("Edit1");
    b->SetName("edit2");
    ASSERT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(owner->Components(0), a);
    EXPECT_EQ(owner->Components(1), b);
    EXPECT_EQ(owner->FindComponent("EDIT2"), b);
    EXPECT_EQ(owner->FindComponent(""), nullptr);
    EXPECT_EQ(b->ComponentIndex(), 1);
    EXPECT_THROW(b->SetName("EDIT1"), EComponentError);
    delete a;
    EXPECT_EQ(owner->ComponentCount(), 1);
    delete owner;  // frees b too; ASan/valgrind would catch a leak or double free
}

TEST(Component, SiblingsHearOfARemovalThroughTheOwner) {
    Probe owner(nullptr);
    auto* watcher = new Probe(&owner);
    auto* target = new Probe(&owner);
    watcher->partner = target;
    delete target;
    EXPECT_EQ(watcher->partner, nullptr);
}

TEST(Component, FreeNotificationAcrossOwners) {
    Probe left(nullptr);
    Probe right(nullptr);
    auto* watcher = new Probe(&left);
    auto* target = new Probe(&right);
    watcher->partner = target;
    watcher->FreeNotification(target);
    delete target;
    EXPECT_EQ(watcher->partner, nullptr);
    // Once the partner is gone, deleting the watcher must not touch it.
    delete watcher;
}

TEST(Component, LoadingBracketCallsLoadedInCreationOrder) {
    Probe form(nullptr);
    auto* first = new Probe(&form);
    form.BeginLoading();
    EXPECT_TRUE(first->IsLoading());
    auto* created = new Probe(&form);  // created inside the bracket
    EXPECT_TRUE(created->IsLoading());
    form.EndLoading();
    EXPECT_FALSE(form.IsLoading());
    EXPECT_EQ(form.loaded, 1);
    EXPECT_EQ(first->loaded, 1);
    EXPECT_EQ(created->loaded, 1);
    EXPECT_FALSE(created->loadingWhenLoaded);
}

TEST(Component, ClassNameIsTheBareClassName) {
    Probe p(nullptr);
    EXPECT_EQ(p.ClassName(), QStringLiteral("Probe"));
}

}  // namespace
