// TCollection and TCollectionItem.
#include "Classes.h"

#include <algorithm>

namespace {

[[noreturn]] void indexError(Integer index) {
    throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
}

}  // namespace

// ------------------------------------------------------------ TCollectionItem

TCollectionItem::TCollectionItem(TCollection* Collection) { SetCollection(Collection); }

TCollectionItem::~TCollectionItem() { SetCollection(nullptr); }

void TCollectionItem::SetCollection(TCollection* value) {
    if (value == collection_) return;
    if (collection_) collection_->removeItem(this);
    if (value) value->insertItem(this);
}

Integer TCollectionItem::Index() const {
    if (!collection_) return -1;
    const auto& items = collection_->items_;
    const auto it = std::find(items.begin(), items.end(), this);
    return it == items.end() ? -1 : Integer(it - items.begin());
}

void TCollectionItem::SetIndex(Integer value) {
    const Integer current = Index();
    if (current < 0 || current == value) return;
    auto& items = collection_->items_;
    if (value < 0 || value >= Integer(items.size())) indexError(value);
    items.erase(items.begin() + current);
    items.insert(items.begin() + value, this);
    Changed(true);
}

QString TCollectionItem::DisplayName() const { return ClassName(); }

TPersistent* TCollectionItem::GetOwner() const { return collection_; }

void TCollectionItem::Changed(bool AllItems) {
    if (collection_ && collection_->updateCount_ == 0) collection_->Update(AllItems ? nullptr : this);
}

// ------------------------------------------------------------ TCollection

TCollection::TCollection(ItemFactory factory) : factory_(std::move(factory)) {}

TCollection::~TCollection() {
    // Items leave quietly: the subclass that handled Update is gone already.
    updateCount_ = 1;
    Clear();
}

TCollectionItem* TCollection::Items(Integer index) const {
    if (index < 0 || index >= Count()) indexError(index);
    return items_[size_t(index)];
}

TCollectionItem* TCollection::Add() {
    // The item joins the list from its base constructor; the collection is
    // told once the whole item is built, so Update never meets a half-made
    // item.
    BeginUpdate();
    TCollectionItem* item = nullptr;
    try {
        item = factory_ ? factory_(this) : new TCollectionItem(this);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    return item;
}

TCollectionItem* TCollection::Insert(Integer index) {
    // Checked first, so a bad index adds nothing.
    if (index < 0 || index > Count()) indexError(index);
    TCollectionItem* item = Add();
    item->SetIndex(index);
    return item;
}

void TCollection::Delete(Integer index) { delete Items(index); }

void TCollection::Clear() {
    if (items_.empty()) return;
    BeginUpdate();
    while (!items_.empty()) delete items_.back();
    EndUpdate();
}

TCollectionItem* TCollection::FindItemID(Integer id) const {
    for (TCollectionItem* item : items_)
        if (item->id_ == id) return item;
    return nullptr;
}

void TCollection::BeginUpdate() { ++updateCount_; }

void TCollection::EndUpdate() {
    if (updateCount_ > 0) --updateCount_;
    Changed();
}

void TCollection::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TCollection*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    if (source == this) return;
    BeginUpdate();
    try {
        Clear();
        for (TCollectionItem* item : source->items_) Add()->Assign(item);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Changed() {
    if (updateCount_ == 0) Update(nullptr);
}

void TCollection::insertItem(TCollectionItem* item) {
    items_.push_back(item);
    item->collection_ = this;
    item->id_ = nextId_++;
    Changed();
}

void TCollection::removeItem(TCollectionItem* item) {
    items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
    item->collection_ = nullptr;
    Changed();
}
