#include "Classes.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// An item with a value set by its own constructor and copied by Assign.
class Column : public TCollectionItem {
public:
    explicit Column(TCollection* c, int* freed = nullptr) : TCollectionItem(c), width(64), freed_(freed) {}
    ~Column() override {
        if (freed_) ++*freed_;
    }
    void SetWidth(int w) {
        width = w;
        Changed(false);
    }
    void Assign(TPersistent* source) override {
        if (auto* other = dynamic_cast<Column*>(source)) {
            SetWidth(other->width);
            return;
        }
        TCollectionItem::Assign(source);
    }
    int width;

private:
    int* freed_;
};

// Records every Update: the item, or nullptr for the whole collection, and
// the widths it could read at that moment.
class Columns : public TCollection {
public:
    explicit Columns(int* freed = nullptr)
        : TCollection([freed](TCollection* c) { return new Column(c, freed); }) {}
    Column* At(Integer i) const { return static_cast<Column*>(Items(i)); }
    std::vector<TCollectionItem*> updates;
    std::vector<int> widthsSeen;
    using TCollection::Changed;

protected:
    void Update(TCollectionItem* item) override {
        updates.push_back(item);
        for (Integer i = 0; i < Count(); ++i) widthsSeen.push_back(At(i)->width);
    }
};

TEST(Collection, AddDeleteAndClearUpdateTheWholeCollection) {
    Columns cols;
    cols.Add();
    cols.Add();
    EXPECT_EQ(cols.updates, (std::vector<TCollectionItem*>{nullptr, nullptr}));
    cols.Delete(0);
    EXPECT_EQ(cols.updates.size(), 3u);
    EXPECT_EQ(cols.updates.back(), nullptr);
    EXPECT_EQ(cols.Count(), 1);
    cols.Add();
    cols.updates.clear();
    cols.Clear();
    EXPECT_EQ(cols.updates, (std::vector<TCollectionItem*>{nullptr}));  // once for the whole clear
    EXPECT_EQ(cols.Count(), 0);
    cols.Clear();
    EXPECT_EQ(cols.updates.size(), 1u);
}

TEST(Collection, UpdateNeverMeetsAHalfMadeItem) {
    Columns cols;
    cols.Add();
    // Every width the handler read was the constructor's, never garbage.
    ASSERT_EQ(cols.widthsSeen.size(), 1u);
    EXPECT_EQ(cols.widthsSeen[0], 64);
}

TEST(Collection, AChangedItemUpdatesItselfOnlyOutsideAnUpdate) {
    Columns cols;
    Column* a = static_cast<Column*>(cols.Add());
    cols.updates.clear();
    a->SetWidth(10);
    EXPECT_EQ(cols.updates, (std::vector<TCollectionItem*>{a}));

    cols.BeginUpdate();
    cols.BeginUpdate();
    a->SetWidth(20);
    cols.Add();
    cols.EndUpdate();
    EXPECT_EQ(cols.updates.size(), 1u);
    // The last EndUpdate always ends in one whole-collection update.
    cols.EndUpdate();
    EXPECT_EQ(cols.updates, (std::vector<TCollectionItem*>{a, nullptr}));

    // An update bracket with no change in it still ends that way.
    cols.BeginUpdate();
    cols.EndUpdate();
    EXPECT_EQ(cols.updates.size(), 3u);
    EXPECT_EQ(cols.updates.back(), nullptr);
    EXPECT_EQ(cols.UpdateCount(), 0);
}

TEST(Collection, IndexIdAndOwner) {
    Columns cols;
    TCollectionItem* a = cols.Add();
    TCollectionItem* b = cols.Add();
    TCollectionItem* c = cols.Add();
    EXPECT_EQ(a->ID(), 0);
    EXPECT_EQ(c->ID(), 2);
    cols.Delete(1);
    TCollectionItem* d = cols.Add();
    EXPECT_EQ(d->ID(), 3);  // IDs are never reused
    EXPECT_EQ(cols.FindItemID(2), c);
    EXPECT_EQ(cols.FindItemID(1), nullptr);
    (void)b;

    cols.updates.clear();
    d->SetIndex(0);
    EXPECT_EQ(cols.Items(0), d);
    EXPECT_EQ(a->Index(), 1);
    EXPECT_EQ(cols.updates, (std::vector<TCollectionItem*>{nullptr}));
    d->SetIndex(0);  // no move, no update
    EXPECT_EQ(cols.updates.size(), 1u);

    EXPECT_THROW(d->SetIndex(3), EListError);
    EXPECT_EQ(cols.Items(0), d);

    EXPECT_EQ(a->Collection(), &cols);
    EXPECT_EQ(a->GetOwner(), &cols);
    EXPECT_EQ(a->DisplayName(), QStringLiteral("Column"));
    TComponent owner(nullptr);
    cols.SetOwner(&owner);
    EXPECT_EQ(cols.GetOwner(), &owner);
}

TEST(Collection, InsertPlacesTheItemOrAddsNothing) {
    Columns cols;
    cols.Add();
    cols.Add();
    TCollectionItem* mid = cols.Insert(1);
    EXPECT_EQ(mid->Index(), 1);
    EXPECT_EQ(cols.Count(), 3);
    EXPECT_EQ(cols.Insert(3)->Index(), 3);
    EXPECT_THROW(cols.Insert(5), EListError);
    EXPECT_THROW(cols.Insert(-1), EListError);
    EXPECT_EQ(cols.Count(), 4);
}

TEST(Collection, BadIndexRaisesListError) {
    Columns cols;
    cols.Add();
    try {
        cols.Items(1);
        FAIL() << "no exception";
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("List index out of bounds (1)"));
    }
    EXPECT_THROW(cols.Delete(-1), EListError);
    EXPECT_EQ(cols.Count(), 1);
}

TEST(Collection, AssignCopiesItemsWithOneUpdate) {
    Columns source;
    static_cast<Column*>(source.Add())->SetWidth(5);
    static_cast<Column*>(source.Add())->SetWidth(7);
    Columns dest;
    dest.Add();
    dest.updates.clear();
    dest.Assign(&source);
    ASSERT_EQ(dest.Count(), 2);
    EXPECT_EQ(dest.At(0)->width, 5);
    EXPECT_EQ(dest.At(1)->width, 7);
    EXPECT_EQ(dest.updates, (std::vector<TCollectionItem*>{nullptr}));

    dest.Assign(&dest);  // to itself: unchanged
    EXPECT_EQ(dest.Count(), 2);
    TStringList notCollection;
    EXPECT_THROW(dest.Assign(&notCollection), EConvertError);
}

TEST(Collection, ItemsMoveBetweenCollectionsAndDieWithTheirs) {
    int freed = 0;
    auto* first = new Columns(&freed);
    Columns second;
    TCollectionItem* item = first->Add();
    first->Add();
    first->updates.clear();
    item->SetCollection(&second);
    EXPECT_EQ(first->Count(), 1);
    EXPECT_EQ(second.Items(0), item);
    EXPECT_EQ(first->updates, (std::vector<TCollectionItem*>{nullptr}));
    EXPECT_EQ(second.updates, (std::vector<TCollectionItem*>{nullptr}));
    delete first;
    EXPECT_EQ(freed, 1);
    delete item;  // leaves the second collection
    EXPECT_EQ(freed, 2);
    EXPECT_EQ(second.Count(), 0);
}

TEST(Collection, PlainItemsWithoutAFactory) {
    TCollection plain(nullptr);
    TCollectionItem* item = plain.Add();
    EXPECT_EQ(item->DisplayName(), QStringLiteral("TCollectionItem"));
    EXPECT_EQ(plain.Count(), 1);
}

}  // namespace
