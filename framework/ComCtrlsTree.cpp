// TCustomTreeView with its nodes: our own tree of nodes mirrored into a
// QTreeWidget. Qt reports expansion and selection after the fact, so a
// refusal by CanExpand, CanCollapse or CanChange puts Qt back as it was.
#include "ComCtrls.h"

#include "ControlsWidget.h"

#include <QtCore/QCollator>
#include <QtCore/QLocale>
#include <QtGui/QIcon>
#include <QtGui/QPixmap>
#include <QtWidgets/QTreeWidget>

#include <algorithm>

namespace {

// Runs f with the tree view's own changes to Qt not reported back.
template <class F>
void Quietly(bool& syncing, F&& f) {
    const bool was = syncing;
    syncing = true;
    try {
        f();
    } catch (...) {
        syncing = was;
        throw;
    }
    syncing = was;
}

// Nodes in the order of their texts (Japanese collation); equal texts keep their order.
void SortByText(std::vector<TTreeNode*>& nodes) {
    QCollator collator(QLocale(QLocale::Japanese, QLocale::Japan));
    std::stable_sort(nodes.begin(), nodes.end(),
                     [&](const TTreeNode* a, const TTreeNode* b) { return collator.compare(a->Text(), b->Text()) < 0; });
}

}  // namespace

// ------------------------------------------------------------ TTreeNode

TTreeNode::~TTreeNode() {
    for (TTreeNode* child : children_) delete child;
}

TCustomTreeView* TTreeNode::TreeView() const {
    return owner_->Owner();
}

void TTreeNode::SetText(const QString& text) {
    text_ = text;
    TreeView()->showNode(this);
}

void TTreeNode::SetImageIndex(Integer index) {
    imageIndex_ = index;
    TreeView()->showNode(this);
}

void TTreeNode::SetSelectedIndex(Integer index) {
    selectedIndex_ = index;
    TreeView()->showNode(this);
}

Integer TTreeNode::Level() const {
    Integer level = 0;
    for (TTreeNode* p = parent_; p; p = p->parent_) ++level;
    return level;
}

Integer TTreeNode::Index() const {
    // Nodes are mostly added and removed at the end: look there first.
    const auto& siblings = owner_->siblingsOf(parent_);
    if (!siblings.empty() && siblings.back() == this) return Integer(siblings.size()) - 1;
    return Integer(std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
}

TTreeNode* TTreeNode::Item(Integer index) const {
    if (index < 0 || index >= Count()) throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return children_[size_t(index)];
}

TTreeNode* TTreeNode::getNextSibling() const {
    const auto& siblings = owner_->siblingsOf(parent_);
    const Integer i = Index() + 1;
    return i < Integer(siblings.size()) ? siblings[size_t(i)] : nullptr;
}

TTreeNode* TTreeNode::getPrevSibling() const {
    const Integer i = Index();
    return i > 0 ? owner_->siblingsOf(parent_)[size_t(i - 1)] : nullptr;
}

TTreeNode* TTreeNode::GetNext() const {
    if (!children_.empty()) return children_.front();
    for (const TTreeNode* n = this; n; n = n->parent_) {
        if (TTreeNode* next = n->getNextSibling()) return next;
    }
    return nullptr;
}

void TTreeNode::SetHasChildren(bool on) {
    hasChildren_ = on;
    TreeView()->showNode(this);
}

void TTreeNode::SetExpanded(bool on) {
    TreeView()->expandNode(this, on);
}

void TTreeNode::Expand(bool recurse) {
    SetExpanded(true);
    if (!recurse) return;
    for (TTreeNode* child : std::vector<TTreeNode*>(children_)) child->Expand(true);
}

void TTreeNode::Collapse(bool recurse) {
    if (recurse) {
        for (TTreeNode* child : std::vector<TTreeNode*>(children_)) child->Collapse(true);
    }
    SetExpanded(false);
}

bool TTreeNode::Selected() const {
    return TreeView()->Selected() == this;
}

void TTreeNode::SetSelected(bool on) {
    if (on) TreeView()->SetSelected(this);
    else if (Selected()) TreeView()->SetSelected(nullptr);
}

void TTreeNode::Delete() {
    owner_->Delete(this);
}

void TTreeNode::DeleteChildren() {
    TreeView()->dropChildItems(this);
    while (!children_.empty()) owner_->Delete(children_.back());
    hasChildren_ = false;
    TreeView()->showNode(this);
}

bool TTreeNode::AlphaSort(bool recurse) {
    SortByText(children_);
    if (recurse) {
        for (TTreeNode* child : children_) child->AlphaSort(true);
    }
    if (item_) {
        Quietly(TreeView()->syncing_, [&] {
            item_->takeChildren();
            for (TTreeNode* child : children_) item_->addChild(child->item_);
        });
        TreeView()->restoreItems(this);
    }
    return true;
}

// ------------------------------------------------------------ TTreeNodes

TTreeNodes::~TTreeNodes() {
    for (TTreeNode* root : roots_) delete root;
}

Integer TTreeNodes::Count() const {
    Integer n = 0;
    for (TTreeNode* node = GetFirstNode(); node; node = node->GetNext()) ++n;
    return n;
}

TTreeNode* TTreeNodes::Item(Integer index) const {
    Integer i = 0;
    for (TTreeNode* node = GetFirstNode(); node; node = node->GetNext(), ++i) {
        if (i == index) return node;
    }
    throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
}

TTreeNode* TTreeNodes::insert(TTreeNode* parent, Integer index, const QString& text, void* data) {
    auto* node = new TTreeNode(this, parent);
    node->text_ = text;
    node->data_ = data;
    auto& siblings = siblingsOf(parent);
    index = std::clamp(index, 0, Integer(siblings.size()));
    siblings.insert(siblings.begin() + index, node);
    if (updateCount_ > 0 && view_->Widget()) pending_.push_back(node);
    else view_->makeItem(node);
    return node;
}

TTreeNode* TTreeNodes::Add(TTreeNode* sibling, const QString& text) {
    return AddObject(sibling, text, nullptr);
}

TTreeNode* TTreeNodes::AddObject(TTreeNode* sibling, const QString& text, void* data) {
    TTreeNode* parent = sibling ? sibling->parent_ : nullptr;
    return insert(parent, Integer(siblingsOf(parent).size()), text, data);
}

TTreeNode* TTreeNodes::AddFirst(TTreeNode* sibling, const QString& text) {
    return insert(sibling ? sibling->parent_ : nullptr, 0, text, nullptr);
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const QString& text) {
    return AddChildObject(parent, text, nullptr);
}

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* parent, const QString& text, void* data) {
    return insert(parent, Integer(siblingsOf(parent).size()), text, data);
}

TTreeNode* TTreeNodes::AddChildFirst(TTreeNode* parent, const QString& text) {
    return insert(parent, 0, text, nullptr);
}

TTreeNode* TTreeNodes::Insert(TTreeNode* sibling, const QString& text) {
    if (!sibling) return Add(nullptr, text);
    return insert(sibling->parent_, sibling->Index(), text, nullptr);
}

void TTreeNodes::Delete(TTreeNode* node) {
    if (!node) return;
    if (!pending_.empty()) {
        const auto within = [node](TTreeNode* n) {
            for (; n; n = n->parent_) {
                if (n == node) return true;
            }
            return false;
        };
        pending_.erase(std::remove_if(pending_.begin(), pending_.end(), within), pending_.end());
    }
    view_->nodeRemoved(node);
    auto& siblings = siblingsOf(node->parent_);
    siblings.erase(siblings.begin() + node->Index());
    TTreeNode* parent = node->parent_;
    delete node;
    if (parent) view_->showIndicator(parent);
}

void TTreeNodes::Clear() {
    while (!roots_.empty()) Delete(roots_.back());
}

void TTreeNodes::EndUpdate() {
    if (updateCount_ > 0) --updateCount_;
    if (updateCount_ > 0 || pending_.empty()) return;
    const std::vector<TTreeNode*> nodes = std::move(pending_);
    pending_.clear();
    view_->makeItems(nodes);
}

// ------------------------------------------------------------ TCustomTreeView

TCustomTreeView::TCustomTreeView(TComponent* AOwner)
    : TWinControl(AOwner), items_(std::make_unique<TTreeNodes>(this)) {
    SetBounds(0, 0, 121, 97);
    SetColor(clWindow);
    SetTabStop(true);
}

TCustomTreeView::~TCustomTreeView() {
    if (images_) images_->RemoveFreeNotification(this);
    // The nodes go before the widget; nothing is reported any more.
    syncing_ = true;
    selected_ = nullptr;
    items_.reset();
}

QWidget* TCustomTreeView::CreateWidget(QWidget* parent) {
    auto* tree = new TControlWidget<QTreeWidget>(this, parent);
    tree->setHeaderHidden(true);
    tree->setColumnCount(1);
    tree->setRootIsDecorated(showRoot_);
    tree->setItemsExpandable(showButtons_);
    QObject::connect(tree, &QTreeWidget::itemExpanded, tree, [this](QTreeWidgetItem* i) { userExpanded(i, true); });
    QObject::connect(tree, &QTreeWidget::itemCollapsed, tree, [this](QTreeWidgetItem* i) { userExpanded(i, false); });
    QObject::connect(tree, &QTreeWidget::currentItemChanged, tree, [this](QTreeWidgetItem* i) { userSelected(i); });
    return tree;
}

void TCustomTreeView::InitWidget() {
    TWinControl::InitWidget();
    Quietly(syncing_, [&] {
        for (TTreeNode* node = items_->GetFirstNode(); node; node = node->GetNext()) makeItem(node);
        for (TTreeNode* node = items_->GetFirstNode(); node; node = node->GetNext()) {
            if (node->item_) node->item_->setExpanded(node->expanded_);
        }
    });
    showSelection();
}

TTreeNode* TCustomTreeView::nodeOf(QTreeWidgetItem* item) const {
    if (!item) return nullptr;
    for (TTreeNode* node = items_->GetFirstNode(); node; node = node->GetNext()) {
        if (node->item_ == item) return node;
    }
    return nullptr;
}

// Gives a node its Qt item, in its place among its siblings.
void TCustomTreeView::makeItem(TTreeNode* node) {
    auto* tree = dynamic_cast<QTreeWidget*>(Widget());
    if (!tree || node->item_) return;
    if (node->parent_ && !node->parent_->item_) makeItem(node->parent_);
    Quietly(syncing_, [&] {
        node->item_ = new QTreeWidgetItem;
        const int index = qtIndexOf(node);
        if (node->parent_) node->parent_->item_->insertChild(index, node->item_);
        else tree->insertTopLevelItem(index, node->item_);
    });
    showNode(node);
    if (node->parent_) showIndicator(node->parent_);
}

// Where a node's item goes among the Qt items of its siblings: only the
// siblings that already have one count.
int TCustomTreeView::qtIndexOf(TTreeNode* node) const {
    const auto& siblings = items_->siblingsOf(node->parent_);
    int index = 0;
    if (siblings.back() == node) {
        const auto* tree = static_cast<const QTreeWidget*>(Widget());
        return node->parent_ ? node->parent_->item_->childCount() : tree->topLevelItemCount();
    }
    for (TTreeNode* sibling : siblings) {
        if (sibling == node) break;
        if (sibling->item_) ++index;
    }
    return index;
}

// Items for nodes added during an update: a run of new last children of one
// parent goes to Qt in one step, anything else one by one.
void TCustomTreeView::makeItems(const std::vector<TTreeNode*>& nodes) {
    auto* tree = dynamic_cast<QTreeWidget*>(Widget());
    if (!tree) return;
    for (size_t i = 0; i < nodes.size();) {
        TTreeNode* parent = nodes[i]->parent_;
        size_t end = i;
        while (end < nodes.size() && nodes[end]->parent_ == parent && !nodes[end]->item_) ++end;
        const auto& siblings = items_->siblingsOf(parent);
        const size_t count = end - i;
        const bool appended = count > 1 && (!parent || parent->item_) &&
                              std::equal(nodes.begin() + qsizetype(i), nodes.begin() + qsizetype(end),
                                         siblings.end() - qsizetype(count)) &&
                              size_t(parent ? parent->item_->childCount() : tree->topLevelItemCount()) ==
                                  siblings.size() - count;
        if (!appended) {
            makeItem(nodes[i++]);
            continue;
        }
        QList<QTreeWidgetItem*> made;
        made.reserve(qsizetype(count));
        for (size_t k = i; k < end; ++k) {
            nodes[k]->item_ = new QTreeWidgetItem;
            showNode(nodes[k]);
            made.append(nodes[k]->item_);
        }
        Quietly(syncing_, [&] {
            if (parent) parent->item_->addChildren(made);
            else tree->addTopLevelItems(made);
        });
        if (parent) showIndicator(parent);
        i = end;
    }
}

void TCustomTreeView::forgetItems(TTreeNode* node) {
    node->item_ = nullptr;
    for (TTreeNode* child : node->children_) forgetItems(child);
}

// Qt lets go of all the child rows at once (one change of its model instead
// of one per row); the nodes then forget their items.
void TCustomTreeView::dropChildItems(TTreeNode* node) {
    if (!node->item_ || node->children_.empty()) return;
    Quietly(syncing_, [&] {
        const QList<QTreeWidgetItem*> taken = node->item_->takeChildren();
        for (TTreeNode* child : node->children_) forgetItems(child);
        qDeleteAll(taken);
    });
}
void TCustomTreeView::showNode(TTreeNode* node) {
    QTreeWidgetItem* item = node->item_;
    if (!item) return;
    Quietly(syncing_, [&] {
        item->setText(0, node->text_);
        showIndicator(node);
        item->setIcon(0, iconOf(node));
    });
}

void TCustomTreeView::showIndicator(TTreeNode* node) {
    if (!node->item_) return;
    const auto policy =
        node->HasChildren() ? QTreeWidgetItem::ShowIndicator : QTreeWidgetItem::DontShowIndicatorWhenChildless;
    if (node->item_->childIndicatorPolicy() != policy)
        Quietly(syncing_, [&] { node->item_->setChildIndicatorPolicy(policy); });
}

// Nodes share one icon per pair of images (a large folder has thousands of
// nodes with the same two); an image that changes gets a new cache key.
QIcon TCustomTreeView::iconOf(TTreeNode* node) {
    const auto imageAt = [&](Integer index) -> const QImage* {
        return images_ && index >= 0 && index < images_->Count() ? &images_->Image(index) : nullptr;
    };
    const QImage* normal = imageAt(node->imageIndex_);
    const QImage* selected = imageAt(node->selectedIndex_);
    const std::pair<qint64, qint64> key{normal ? normal->cacheKey() : 0, selected ? selected->cacheKey() : 0};
    if (auto it = icons_.find(key); it != icons_.end()) return it->second;
    QIcon icon;
    if (normal) icon.addPixmap(QPixmap::fromImage(*normal), QIcon::Normal);
    if (selected) icon.addPixmap(QPixmap::fromImage(*selected), QIcon::Selected);
    if (icons_.size() > 256) icons_.clear();
    icons_.emplace(key, icon);
    return icon;
}

void TCustomTreeView::nodeRemoved(TTreeNode* node) {
    for (TTreeNode* child : std::vector<TTreeNode*>(node->children_)) nodeRemoved(child);
    Delete(node);
    for (TTreeNode* p = selected_; p; p = p->parent_) {
        if (p == node) {
            // The selection went with the node; no node is asked about it.
            selected_ = nullptr;
            break;
        }
    }
    dropItems(node);
}

void TCustomTreeView::dropItems(TTreeNode* node) {
    if (!node->item_) return;
    Quietly(syncing_, [&] {
        for (TTreeNode* n = node; n; n = n->GetNext()) {
            if (n != node && n->Level() <= node->Level()) break;
            if (n != node) n->item_ = nullptr;
        }
        delete node->item_;
        node->item_ = nullptr;
    });
}

void TCustomTreeView::SetImages(TImageList* images) {
    if (images_) images_->RemoveFreeNotification(this);
    images_ = images;
    icons_.clear();
    if (images) images->FreeNotification(this);
    for (TTreeNode* node = items_->GetFirstNode(); node; node = node->GetNext()) showNode(node);
}

void TCustomTreeView::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation != opRemove || AComponent != images_) return;
    images_ = nullptr;
    icons_.clear();
    for (TTreeNode* node = items_->GetFirstNode(); node; node = node->GetNext()) showNode(node);
}

// Items taken out of Qt and put back lose their expansion and the current
// item: the nodes give them back.
void TCustomTreeView::restoreItems(TTreeNode* below) {
    Quietly(syncing_, [&] {
        for (TTreeNode* n = below ? below->getFirstChild() : items_->GetFirstNode(); n; n = n->GetNext()) {
            if (below && n->Level() <= below->Level()) break;
            if (n->item_) n->item_->setExpanded(n->expanded_);
        }
    });
    showSelection();
}

void TCustomTreeView::SetShowButtons(bool on) {
    showButtons_ = on;
    if (auto* tree = dynamic_cast<QTreeWidget*>(Widget())) tree->setItemsExpandable(on);
}

void TCustomTreeView::SetShowRoot(bool on) {
    showRoot_ = on;
    if (auto* tree = dynamic_cast<QTreeWidget*>(Widget())) tree->setRootIsDecorated(on);
}

// ---- selection

bool TCustomTreeView::CanChange(TTreeNode* Node) {
    bool allow = true;
    if (OnChanging) OnChanging(this, Node, allow);
    return allow;
}

void TCustomTreeView::Change(TTreeNode* Node) {
    if (OnChange) OnChange(this, Node);
}

void TCustomTreeView::SetSelected(TTreeNode* node) {
    if (node == selected_) return;
    if (node && !CanChange(node)) return;
    selected_ = node;
    showSelection();
    Change(node);
}

void TCustomTreeView::showSelection() {
    auto* tree = dynamic_cast<QTreeWidget*>(Widget());
    if (!tree) return;
    Quietly(syncing_, [&] {
        if (selected_ && !selected_->item_) makeItem(selected_);
        tree->setCurrentItem(selected_ ? selected_->item_ : nullptr);
    });
}

void TCustomTreeView::userSelected(QTreeWidgetItem* item) {
    if (syncing_) return;
    TTreeNode* node = nodeOf(item);
    if (node == selected_) return;
    if (!node || !CanChange(node)) {
        showSelection();
        return;
    }
    selected_ = node;
    Change(node);
    if (autoExpand_ && selected_ == node) expandNode(node, true);
}

void TCustomTreeView::WMSetFocus(TMessage& Message) {
    // Qt makes the first item current on a focus-in; the tree keeps its own.
    Quietly(syncing_, [&] { TWinControl::WMSetFocus(Message); });
    showSelection();
}

// ---- expanding

bool TCustomTreeView::CanExpand(TTreeNode* Node) {
    bool allow = true;
    if (OnExpanding) OnExpanding(this, Node, allow);
    return allow;
}

bool TCustomTreeView::CanCollapse(TTreeNode* Node) {
    bool allow = true;
    if (OnCollapsing) OnCollapsing(this, Node, allow);
    return allow;
}

void TCustomTreeView::Expand(TTreeNode* Node) {
    if (OnExpanded) OnExpanded(this, Node);
}

void TCustomTreeView::Collapse(TTreeNode* Node) {
    if (OnCollapsed) OnCollapsed(this, Node);
}

void TCustomTreeView::Delete(TTreeNode* Node) {
    if (OnDeletion) OnDeletion(this, Node);
}

void TCustomTreeView::expandNode(TTreeNode* node, bool expand) {
    if (node->expanded_ == expand) return;
    if (expand && !node->HasChildren()) return;
    if (expand ? !CanExpand(node) : !CanCollapse(node)) return;
    node->expanded_ = expand;
    if (node->item_) Quietly(syncing_, [&] { node->item_->setExpanded(expand); });
    if (expand) Expand(node);
    else Collapse(node);
}

void TCustomTreeView::userExpanded(QTreeWidgetItem* item, bool expanded) {
    if (syncing_) return;
    TTreeNode* node = nodeOf(item);
    if (!node || node->expanded_ == expanded) return;
    if (expanded ? !CanExpand(node) : !CanCollapse(node)) {
        Quietly(syncing_, [&] { item->setExpanded(!expanded); });
        return;
    }
    node->expanded_ = expanded;
    if (expanded) Expand(node);
    else Collapse(node);
}

bool TCustomTreeView::AlphaSort(bool recurse) {
    auto& roots = items_->roots_;
    SortByText(roots);
    if (recurse) {
        for (TTreeNode* root : roots) root->AlphaSort(true);
    }
    if (auto* tree = dynamic_cast<QTreeWidget*>(Widget())) {
        Quietly(syncing_, [&] {
            while (tree->topLevelItemCount() > 0) tree->takeTopLevelItem(0);
            for (TTreeNode* root : roots) tree->addTopLevelItem(root->item_);
        });
        restoreItems(nullptr);
    }
    return true;
}

void TCustomTreeView::WndProc(TMessage& Message) {
    if (Message.Msg == WM_GETDLGCODE) {
        Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    }
    TWinControl::WndProc(Message);
}
