// TCustomTreeView with its nodes: our own tree of nodes mirrored into a
// QTreeWidget. Qt reports expansion and selection after the fact, so a
// refusal by CanExpand, CanCollapse or CanChange puts Qt back as it was.
// The rows are drawn and the mouse on them is handled as the platform's
// tree view does, not as Qt's.
#include "ComCtrls.h"

#include "ControlsWidget.h"
#include "Forms.h"
#include "StdCtrlsEdit.h"

#include <QtCore/QCollator>
#include <QtCore/QLocale>
#include <QtCore/QPersistentModelIndex>
#include <QtCore/QTimer>
#include <QtGui/QHelpEvent>
#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>
#include <QtWidgets/QApplication>
#include <QtWidgets/QStyledItemDelegate>
#include <QtWidgets/QToolTip>
#include <QtWidgets/QTreeWidget>

#include <algorithm>

namespace {

// A Qt row that knows its node.
class TTreeItem : public QTreeWidgetItem {
public:
    explicit TTreeItem(TTreeNode* node) : node_(node) {}
    TTreeNode* node_;
};

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

// Every row as high as the tree's rows are.
class TRowHeightDelegate : public QStyledItemDelegate {
public:
    TRowHeightDelegate(QObject* parent, std::function<int()> height)
        : QStyledItemDelegate(parent), height_(std::move(height)) {}
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return QSize(1, height_()); }

private:
    std::function<int()> height_;
};

constexpr int kIndent = 19;  // the width of one level
constexpr int kLabelMargin = 2;  // between the label's edge and its text

}  // namespace

// ------------------------------------------------------------ the widget

// The Qt side of a tree view. It draws the rows itself: dotted lines,
// boxed buttons, the image, the label highlighted (or the whole row with
// RowSelect), the hot node underlined. The mouse on the rows goes to the
// control first; its native handling is the platform's hit test: a button
// opens and closes, the image or text selects, the rest of the row only
// with RowSelect. Its viewport is the control's client area.
class TTreeViewWidget : public TControlWidget<QTreeWidget> {
public:
    TTreeViewWidget(TCustomTreeView* view, QWidget* parent) : TControlWidget<QTreeWidget>(view, parent) {
        setHeaderHidden(true);
        setColumnCount(1);
        setIndentation(kIndent);
        setUniformRowHeights(true);
        setExpandsOnDoubleClick(false);
        setItemDelegate(new TRowHeightDelegate(this, [this] { return rowHeight(); }));
        viewport()->setMouseTracking(true);
    }

protected:
    // Qt's tree view sets the viewport margins for its header each time;
    // the margin goes back on (the viewport moving calls this again).
    void updateGeometries() override {
        if (inGeometries_) return;
        inGeometries_ = true;
        QTreeWidget::updateGeometries();
        setViewportMargins(margin_, margin_, margin_, margin_);
        inGeometries_ = false;
    }

public:
    bool BaseEvent(QEvent* event) override {
        if (event == mouse_.mapped) {
            nativeMouse(mouse_.original);
            return true;
        }
        return TControlWidget<QTreeWidget>::BaseEvent(event);
    }

    // The edge (0, 1 or 2 pixels) and the margin inside it.
    void setBorder(int edge, int margin) {
        setFrameStyle(edge == 2 ? QFrame::WinPanel | QFrame::Sunken : edge == 1 ? QFrame::Box | QFrame::Plain
                                                                                : QFrame::NoFrame);
        setLineWidth(1);
        margin_ = margin;
        updateGeometries();
    }

    // Rows take a new height (the images changed; Qt sees a new font itself).
    void relayout() {
        scheduleDelayedItemsLayout();
        viewport()->update();
    }

    // Where a node's text lies in the viewport (scrolled into view first).
    QRect labelOf(QTreeWidgetItem* item) {
        scrollToItem(item);
        return rowOf(indexFromItem(item), TCustomTreeView::nodeOf(item)).label;
    }

protected:
    bool viewportEvent(QEvent* e) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    // Where the parts of a row lie, in viewport coordinates.
    struct Row {
        QRect row;        // across the whole viewport
        int column = -1;  // left of the node's own line-and-button column; -1 without one
        QRect image;      // empty without images
        QRect label;      // the text with its margin
    };
    struct Hit {
        TTreeNode* node = nullptr;
        Row row;
        bool onButton = false;
        bool onItem = false;  // selects
    };
    struct ForwardedMouse {
        QMouseEvent* mapped = nullptr;
        QMouseEvent* original = nullptr;
    };

    TCustomTreeView* view() const { return static_cast<TCustomTreeView*>(Control()); }
    TTreeNode* nodeAt(const QModelIndex& index) const {
        QTreeWidgetItem* item = index.isValid() ? itemFromIndex(index) : nullptr;
        return item ? TCustomTreeView::nodeOf(item) : nullptr;
    }
    bool rowSelect() const { return view()->rowSelect_ && !view()->showLines_; }
    int rowHeight() const;
    Row rowOf(const QModelIndex& index, TTreeNode* node) const;
    Hit hitAt(QPoint pos) const;
    bool forwardMouse(QMouseEvent* e);
    void nativeMouse(QMouseEvent* e);
    bool showCutText(QHelpEvent* e);
    void setHot(const QModelIndex& index);
    void paintLines(const QModelIndex& index, const Row& row) const;
    void paintButton(const Row& row, bool expanded) const;
    void paintItem(const Row& row, TTreeNode* node, bool hot) const;
    void dots(int x0, int y0, int x1, int y1, TColor color) const;
    void focusFrame(const QRect& r, TColor under) const;

    mutable TCanvas canvas_;
    QPersistentModelIndex hot_;
    // The row of a left press on the text of the node already selected.
    QPersistentModelIndex editPress_;
    ForwardedMouse mouse_;
    int margin_ = 0;
    bool inGeometries_ = false;
};

int TTreeViewWidget::rowHeight() const {
    TCustomTreeView* v = view();
    if (!v) return 16;
    canvas_.Font()->Assign(v->Font());
    const int image = v->images_ ? v->images_->Height() : 0;
    const int height = std::max(canvas_.TextHeight(QStringLiteral("W")), image) + 2;
    return height + (height & 1);  // even, so the dots run on from row to row
}

TTreeViewWidget::Row TTreeViewWidget::rowOf(const QModelIndex& index, TTreeNode* node) const {
    const QRect item = visualRect(index);  // starts after the indentation
    Row r;
    r.row = QRect(0, item.top(), viewport()->width(), item.height());
    if (item.left() - indentation() >= columnViewportPosition(0)) r.column = item.left() - indentation();
    int x = item.left();
    if (TImageList* images = view()->images_) {
        r.image = QRect(x, item.top() + (item.height() - images->Height()) / 2, images->Width(), images->Height());
        x += images->Width() + 1;
    }
    canvas_.Font()->Assign(view()->Font());
    r.label = QRect(x, item.top(), canvas_.TextWidth(node->Text()) + 2 * kLabelMargin, item.height());
    return r;
}

TTreeViewWidget::Hit TTreeViewWidget::hitAt(QPoint pos) const {
    Hit hit;
    const QModelIndex index = indexAt(pos);
    hit.node = nodeAt(index);
    if (!hit.node) return hit;
    hit.row = rowOf(index, hit.node);
    const Row& r = hit.row;
    hit.onButton = view()->showButtons_ && hit.node->HasChildren() && r.column >= 0 && pos.x() >= r.column &&
                   pos.x() < r.column + indentation();
    const int itemLeft = r.image.isEmpty() ? r.label.left() : r.image.left();
    hit.onItem = !hit.onButton && (rowSelect() || (pos.x() >= itemLeft && pos.x() <= r.label.right()));
    return hit;
}

// ---- mouse, tooltips and keys

bool TTreeViewWidget::viewportEvent(QEvent* e) {
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: return forwardMouse(static_cast<QMouseEvent*>(e));
    case QEvent::ContextMenu: return Forward(e);
    case QEvent::ToolTip: return showCutText(static_cast<QHelpEvent*>(e)) || Forward(e);
    case QEvent::Leave: setHot(QModelIndex()); break;
    default: break;
    }
    return QTreeWidget::viewportEvent(e);
}

// The control sees the mouse in its own coordinates (it subtracts the
// edge); its native handling gets the viewport's event back.
bool TTreeViewWidget::forwardMouse(QMouseEvent* e) {
    if (!view()) return QTreeWidget::viewportEvent(e);
    QMouseEvent mapped = ViewportMouseInArea(*e, *viewport());
    const ForwardedMouse outer = std::exchange(mouse_, ForwardedMouse{&mapped, e});
    Forward(&mapped);
    mouse_ = outer;
    e->accept();
    return true;
}

void TTreeViewWidget::nativeMouse(QMouseEvent* e) {
    TCustomTreeView* v = view();
    const Hit hit = hitAt(e->position().toPoint());
    const bool left = e->button() == Qt::LeftButton;
    switch (e->type()) {
    case QEvent::MouseMove: setHot(hit.onItem ? indexAt(e->position().toPoint()) : QModelIndex()); break;
    case QEvent::MouseButtonPress: {
        const bool onText = hit.node && hit.row.label.contains(e->position().toPoint());
        editPress_ = left && onText && hit.node == v->selected_ && !v->focusedByPress_
                         ? QPersistentModelIndex(indexAt(e->position().toPoint()))
                         : QPersistentModelIndex();
        v->focusedByPress_ = false;
        if (left && hit.onButton) v->expandNode(hit.node, !hit.node->Expanded());
        else if (hit.onItem && (left || (e->button() == Qt::RightButton && v->rightClickSelect_)))
            v->selectByUser(hit.node);
        break;
    }
    case QEvent::MouseButtonRelease:
        if (left && editPress_.isValid() && editPress_ == indexAt(e->position().toPoint()) &&
            hit.row.label.contains(e->position().toPoint()))
            v->editLater(hit.node);
        editPress_ = QPersistentModelIndex();
        break;
    case QEvent::MouseButtonDblClick:
        v->editLater(nullptr);
        if (left && (hit.onButton || hit.onItem)) v->expandNode(hit.node, !hit.node->Expanded());
        break;
    default: break;
    }
}

// The whole text of a node the viewport's edge cuts, over its label; any
// other place asks the control for its hint.
bool TTreeViewWidget::showCutText(QHelpEvent* e) {
    if (!view() || !view()->toolTips_) return false;
    const Hit hit = hitAt(e->pos());
    const QRect& label = hit.row.label;
    if (!hit.node || !label.contains(e->pos()) || label.right() < viewport()->width()) {
        QToolTip::hideText();
        return false;
    }
    QToolTip::showText(viewport()->mapToGlobal(label.topLeft()), hit.node->Text(), viewport(), label);
    return true;
}

void TTreeViewWidget::setHot(const QModelIndex& index) {
    if (index == hot_) return;
    hot_ = index;
    if (view() && view()->hotTrack_) viewport()->update();
}

void TTreeViewWidget::keyPressEvent(QKeyEvent* e) {
    if (e->key() != Qt::Key_Asterisk) {
        QTreeWidget::keyPressEvent(e);
        return;
    }
    e->accept();
    if (TCustomTreeView* v = view(); v && v->selected_) v->ExpandBranch(v->selected_);
}

// ---- drawing

void TTreeViewWidget::drawRow(QPainter* painter, const QStyleOptionViewItem&, const QModelIndex& index) const {
    TTreeNode* node = view() ? nodeAt(index) : nullptr;
    if (!node) return;
    const Row row = rowOf(index, node);
    TCanvasBinding binding(canvas_, *painter, TRect(row.row.left(), row.row.top(), row.row.right() + 1,
                                                    row.row.bottom() + 1));
    if (view()->showLines_) paintLines(index, row);
    if (view()->showButtons_ && node->HasChildren() && row.column >= 0) paintButton(row, node->Expanded());
    paintItem(row, node, view()->hotTrack_ && hot_ == index);
}

// Every other pixel of a line, on a fixed checkerboard so lines of
// neighbouring rows meet.
void TTreeViewWidget::dots(int x0, int y0, int x1, int y1, TColor color) const {
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            if (((x + y) & 1) == 0) canvas_.SetPixel(x, y, color);
}

// The platform's focus rectangle inverts every other pixel of the edge; on
// a widget the canvas cannot invert, but the colour under it is known.
void TTreeViewWidget::focusFrame(const QRect& r, TColor under) const {
    const TColor inverted = ColorToRGB(under) ^ 0xFFFFFF;
    dots(r.left(), r.top(), r.right(), r.top(), inverted);
    dots(r.left(), r.bottom(), r.right(), r.bottom(), inverted);
    dots(r.left(), r.top() + 1, r.left(), r.bottom() - 1, inverted);
    dots(r.right(), r.top() + 1, r.right(), r.bottom() - 1, inverted);
}

// From the node's button to its image, up to its parent and down to its
// next sibling; through the row, the lines of ancestors that have siblings
// still to come.
void TTreeViewWidget::paintLines(const QModelIndex& index, const Row& row) const {
    if (row.column < 0) return;
    const int top = row.row.top(), bottom = row.row.bottom(), middle = top + row.row.height() / 2;
    const int x = row.column + indentation() / 2;
    const bool firstRoot = !index.parent().isValid() && index.row() == 0;
    const bool more = index.sibling(index.row() + 1, 0).isValid();
    dots(x, firstRoot ? middle : top, x, more ? bottom : middle, clGrayText);
    dots(x, middle, row.column + indentation() - 1, middle, clGrayText);
    int column = row.column - indentation();
    for (QModelIndex a = index.parent(); a.isValid() && column >= columnViewportPosition(0);
         a = a.parent(), column -= indentation()) {
        const int line = column + indentation() / 2;
        if (a.sibling(a.row() + 1, 0).isValid()) dots(line, top, line, bottom, clGrayText);
    }
}

// A 9-pixel box with a minus, or a plus while closed.
void TTreeViewWidget::paintButton(const Row& row, bool expanded) const {
    const int x = row.column + indentation() / 2, y = row.row.top() + row.row.height() / 2;
    const TRect box(x - 4, y - 4, x + 5, y + 5);
    canvas_.Brush()->SetStyle(bsSolid);
    canvas_.Brush()->SetColor(view()->Color());
    canvas_.FillRect(box);
    canvas_.Brush()->SetColor(clGrayText);
    canvas_.FrameRect(box);
    canvas_.Pen()->SetColor(clWindowText);
    canvas_.Pen()->SetWidth(1);
    canvas_.MoveTo(x - 2, y);
    canvas_.LineTo(x + 3, y);
    if (expanded) return;
    canvas_.MoveTo(x, y - 2);
    canvas_.LineTo(x, y + 3);
}

// The image, then the label: highlighted when selected (greyed without the
// focus, or not at all under HideSelection), with a focus rectangle while
// the tree has the focus; a hot node's text is underlined in the hot-light
// colour.
void TTreeViewWidget::paintItem(const Row& row, TTreeNode* node, bool hot) const {
    TCustomTreeView* v = view();
    const bool selected = node == v->selected_;
    if (TImageList* images = v->images_) {
        images->Draw(&canvas_, row.image.left(), row.image.top(), selected ? node->SelectedIndex() : node->ImageIndex(),
                     isEnabled());
    }
    const bool focused = hasFocus();
    const bool marked = selected && (focused || !v->hideSelection_);
    const QRect& area = rowSelect() ? row.row : row.label;
    canvas_.Font()->Assign(v->Font());
    TColor text = FromQColor(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    if (marked) {
        canvas_.Brush()->SetStyle(bsSolid);
        canvas_.Brush()->SetColor(focused ? clHighlight : clBtnFace);
        canvas_.FillRect(TRect(area.left(), area.top(), area.right() + 1, area.bottom() + 1));
        text = focused ? clHighlightText : clBtnText;
    } else if (hot) {
        text = clHotLight;
    }
    if (hot) {
        TFontStyles style = canvas_.Font()->Style();
        canvas_.Font()->SetStyle(style << fsUnderline);
    }
    canvas_.Font()->SetColor(text);
    canvas_.SetBkMode(TRANSPARENT);
    canvas_.TextOut(row.label.left() + kLabelMargin, row.label.top() + (row.label.height() - canvas_.TextHeight(node->Text())) / 2,
                    node->Text());
    if (selected && focused) focusFrame(area, clHighlight);
}

// ------------------------------------------------------------ label editor

// The edit over a node's text. Its keys also reach the tree's key events,
// as the platform hands the keys of a tree's label editor to the tree;
// Enter takes the text, Esc keeps the old one, and so does the dialog.
class TTreeLabelEdit : public TCustomEdit {
public:
    explicit TTreeLabelEdit(TCustomTreeView* tree) : TCustomEdit(tree), tree_(tree) {
        SetParentCtl3D(false);
        SetCtl3D(false);
        SetTabStop(false);
        SetAutoSize(false);
        SetFocusUnitPart(true);
        SetVisible(false);
        SetParent(tree);
    }

protected:
    void WndProc(TMessage& Message) override {
        if (Message.Msg == WM_GETDLGCODE) {
            Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTALLKEYS;
            return;
        }
        TCustomEdit::WndProc(Message);
    }
    // Leaving the editor takes its text; a pop-up menu over it does not.
    void WMKillFocus(TMessage& Message) override {
        TCustomEdit::WMKillFocus(Message);
        if (!QApplication::activePopupWidget()) tree_->endEdit(true);
    }
    void KeyDown(Word& Key, TShiftState Shift) override {
        const auto guard = tree_->Guard();
        if (tree_->OnKeyDown) tree_->OnKeyDown(tree_, Key, Shift);
        if (guard.expired() || (Key != VK_RETURN && Key != VK_ESCAPE)) return;
        const bool accept = Key == VK_RETURN;
        Key = 0;
        tree_->endEdit(accept);
    }
    void KeyPress(WideChar& Key) override {
        if (tree_->OnKeyPress) tree_->OnKeyPress(tree_, Key);
        if (Key == u'\r' || Key == u'\x1b') Key = QChar();
    }
    void KeyUp(Word& Key, TShiftState Shift) override {
        if (tree_->OnKeyUp) tree_->OnKeyUp(tree_, Key, Shift);
    }

private:
    TCustomTreeView* tree_;
};

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

// A node without a row yet (added during an update) is drawn when it gets one.
void TTreeNode::SetImageIndex(Integer index) {
    imageIndex_ = index;
    if (item_) TreeView()->Invalidate();
}

void TTreeNode::SetSelectedIndex(Integer index) {
    selectedIndex_ = index;
    if (item_) TreeView()->Invalidate();
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
    editing_ = nullptr;
    editPending_ = nullptr;
    // The nodes go before the widget, their rows first; nothing is reported any more.
    syncing_ = true;
    selected_ = nullptr;
    if (auto* tree = dynamic_cast<QTreeWidget*>(Widget())) tree->clear();
    items_.reset();
}

QWidget* TCustomTreeView::CreateWidget(QWidget* parent) {
    auto* tree = new TTreeViewWidget(this, parent);
    tree->setRootIsDecorated(showRoot_);
    tree->setItemsExpandable(showButtons_);
    QObject::connect(tree, &QTreeWidget::itemExpanded, tree, [this](QTreeWidgetItem* i) { userExpanded(i, true); });
    QObject::connect(tree, &QTreeWidget::itemCollapsed, tree, [this](QTreeWidgetItem* i) { userExpanded(i, false); });
    QObject::connect(tree, &QTreeWidget::currentItemChanged, tree, [this](QTreeWidgetItem* i) { userSelected(i); });
    return tree;
}

void TCustomTreeView::InitWidget() {
    TWinControl::InitWidget();
    applyBorder();
    Quietly(syncing_, [&] {
        for (TTreeNode* node = items_->GetFirstNode(); node; node = node->GetNext()) makeItem(node);
        for (TTreeNode* node = items_->GetFirstNode(); node; node = node->GetNext()) {
            if (node->item_) node->item_->setExpanded(node->expanded_);
        }
    });
    showSelection();
}

TTreeNode* TCustomTreeView::nodeOf(QTreeWidgetItem* item) {
    auto* row = dynamic_cast<TTreeItem*>(item);
    return row ? row->node_ : nullptr;
}

QWidget* TCustomTreeView::ClientWidget() {
    return static_cast<QTreeWidget*>(Handle())->viewport();
}

void TCustomTreeView::Invalidate() {
    TWinControl::Invalidate();
    if (auto* tree = dynamic_cast<QTreeWidget*>(Widget())) tree->viewport()->update();
}

void TCustomTreeView::relayout() {
    if (auto* tree = dynamic_cast<TTreeViewWidget*>(Widget())) tree->relayout();
}

// Gives a node its Qt item, in its place among its siblings.
void TCustomTreeView::makeItem(TTreeNode* node) {
    auto* tree = dynamic_cast<QTreeWidget*>(Widget());
    if (!tree || node->item_) return;
    if (node->parent_ && !node->parent_->item_) makeItem(node->parent_);
    Quietly(syncing_, [&] {
        node->item_ = new TTreeItem(node);
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
            nodes[k]->item_ = new TTreeItem(nodes[k]);
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
    });
}

void TCustomTreeView::showIndicator(TTreeNode* node) {
    if (!node->item_) return;
    const auto policy =
        node->HasChildren() ? QTreeWidgetItem::ShowIndicator : QTreeWidgetItem::DontShowIndicatorWhenChildless;
    if (node->item_->childIndicatorPolicy() != policy)
        Quietly(syncing_, [&] { node->item_->setChildIndicatorPolicy(policy); });
}

// The node's row leaves Qt with its whole branch in one change of the
// model (row by row, a large opened branch takes minutes); then every node
// of the branch is announced, the children first.
void TCustomTreeView::nodeRemoved(TTreeNode* node) {
    dropItems(node);
    announceRemoval(node);
}

void TCustomTreeView::announceRemoval(TTreeNode* node) {
    for (TTreeNode* child : std::vector<TTreeNode*>(node->children_)) announceRemoval(child);
    if (editing_ == node) endEdit(false);
    if (editPending_ == node) editLater(nullptr);
    Delete(node);
    if (selected_ == node) {
        // The selection went with the node; no node is asked about it.
        selected_ = nullptr;
    }
}

void TCustomTreeView::dropItems(TTreeNode* node) {
    QTreeWidgetItem* item = node->item_;
    if (!item) return;
    Quietly(syncing_, [&] {
        forgetItems(node);
        delete item;
    });
}

void TCustomTreeView::SetImages(TImageList* images) {
    if (images_) images_->RemoveFreeNotification(this);
    images_ = images;
    if (images) images->FreeNotification(this);
    relayout();
}

void TCustomTreeView::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation != opRemove || AComponent != images_) return;
    images_ = nullptr;
    relayout();
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

void TCustomTreeView::SetShowLines(bool on) {
    showLines_ = on;
    Invalidate();
}

void TCustomTreeView::SetHideSelection(bool on) {
    hideSelection_ = on;
    Invalidate();
}

void TCustomTreeView::SetRowSelect(bool on) {
    rowSelect_ = on;
    Invalidate();
}

void TCustomTreeView::SetHotTrack(bool on) {
    hotTrack_ = on;
    Invalidate();
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
    selectionChanged();
}

void TCustomTreeView::showSelection() {
    auto* tree = dynamic_cast<QTreeWidget*>(Widget());
    if (!tree) return;
    Quietly(syncing_, [&] {
        if (selected_ && !selected_->item_) makeItem(selected_);
        tree->setCurrentItem(selected_ ? selected_->item_ : nullptr);
    });
    tree->viewport()->update();
}

void TCustomTreeView::userSelected(QTreeWidgetItem* item) {
    if (!syncing_) selectByUser(nodeOf(item));
}

// A node the user chose by key or mouse; Qt shows the selection that results.
void TCustomTreeView::selectByUser(TTreeNode* node) {
    if (node == selected_) return;
    if (!node || !CanChange(node)) {
        showSelection();
        return;
    }
    selected_ = node;
    showSelection();
    selectionChanged();
    if (autoExpand_ && selected_ == node) expandNode(node, true);
}

void TCustomTreeView::selectionChanged() {
    if (changeDelay_ <= 0) {
        Change(selected_);
        return;
    }
    if (!changeTimer_) {
        changeTimer_ = std::make_unique<QTimer>();
        changeTimer_->setSingleShot(true);
        QObject::connect(changeTimer_.get(), &QTimer::timeout, [this] {
            try {
                Change(selected_);
            } catch (...) {
                Application->HandleException(this);
            }
        });
    }
    changeTimer_->start(changeDelay_);
}

void TCustomTreeView::WMSetFocus(TMessage& Message) {
    focusedByPress_ = QGuiApplication::mouseButtons() != Qt::NoButton;
    // Qt makes the first item current on a focus-in; the tree keeps its own.
    Quietly(syncing_, [&] { TWinControl::WMSetFocus(Message); });
    // With nothing selected the focus selects the first root, asking and
    // announcing it as any other change of selection.
    if (!selected_ && items_->GetFirstNode()) SetSelected(items_->GetFirstNode());
    showSelection();
}

// ---- label editing

void TCustomTreeView::SetReadOnly(bool on) {
    readOnly_ = on;
    if (!on) return;
    editLater(nullptr);
    endEdit(false);
}

void TCustomTreeView::editLater(TTreeNode* node) {
    editPending_ = node;
    if (!node) {
        if (editTimer_) editTimer_->stop();
        return;
    }
    if (!editTimer_) {
        editTimer_ = std::make_unique<QTimer>();
        editTimer_->setSingleShot(true);
        QObject::connect(editTimer_.get(), &QTimer::timeout, [this] {
            TTreeNode* pending = std::exchange(editPending_, nullptr);
            try {
                if (pending && pending == selected_ && Focused()) beginEdit(pending);
            } catch (...) {
                Application->HandleException(this);
            }
        });
    }
    editTimer_->start(QApplication::doubleClickInterval());
}

void TCustomTreeView::beginEdit(TTreeNode* node) {
    auto* tree = dynamic_cast<TTreeViewWidget*>(Widget());
    if (readOnly_ || editing_ || !tree || !node->item_) return;
    const QRect label = tree->labelOf(node->item_);
    if (!editor_) editor_ = new TTreeLabelEdit(this);
    editing_ = node;
    editor_->SetText(node->Text());
    // Room for a few more characters, within the client area.
    const Integer width = std::min<Integer>(label.width() + 2 * label.height(), ClientWidth() - label.left());
    editor_->SetBounds(label.left(), label.top(), std::max<Integer>(width, label.height()), label.height());
    editor_->Show();
    editor_->SetFocus();
    editor_->SelectAll();
}

void TCustomTreeView::endEdit(bool accept) {
    TTreeNode* node = std::exchange(editing_, nullptr);
    if (!node) return;
    const QString text = editor_->Text();
    if (editor_->Focused() && CanFocus()) SetFocus();
    editor_->Hide();
    if (accept && text != node->Text()) node->SetText(text);
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

void TCustomTreeView::ExpandBranch(TTreeNode* Node) {
    Node->Expand(true);
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
    if (Message.Msg == CM_CTL3DCHANGED) applyBorder();
}

// ---- border

void TCustomTreeView::SetBorderStyle(TBorderStyle style) {
    if (style == borderStyle_) return;
    borderStyle_ = style;
    applyBorder();
}

void TCustomTreeView::SetBorderWidth(TBorderWidth width) {
    width = std::max<TBorderWidth>(width, 0);
    if (width == borderWidth_) return;
    borderWidth_ = width;
    applyBorder();
}

Integer TCustomTreeView::edgeWidth() const {
    if (borderStyle_ == bsNone) return 0;
    return Ctl3D() ? 2 : 1;
}

TRect TCustomTreeView::BorderInsets() const {
    const Integer b = edgeWidth() + borderWidth_;
    return TRect(b, b, b, b);
}

void TCustomTreeView::applyBorder() {
    if (auto* tree = dynamic_cast<TTreeViewWidget*>(Widget())) tree->setBorder(edgeWidth(), borderWidth_);
}
