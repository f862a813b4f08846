// Page controls, progress bars, status bars and tree views.
#include "ComCtrls.h"
#include "FrameworkTestSupport.h"
#include "Menus.h"
#include "TestSupport.h"

#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QTabBar>
#include <QtWidgets/QToolTip>
#include <QtWidgets/QTreeWidget>

#include <gtest/gtest.h>

namespace {

using Log = std::vector<std::string>;

QColor Q(TColor c) {
    return ToQColor(ColorToRGB(c));
}

class ComCtrlsTest : public LoggedFormTest {
protected:
    void SetUp() override {
        form->SetBorderStyle(bsNone);
        form->SetBounds(0, 0, 400, 300);
    }
    TTabSheet* Sheet(TPageControl* pages, const QString& caption) {
        auto* sheet = new TTabSheet(form.get());
        sheet->SetCaption(caption);
        sheet->SetPageControl(pages);
        return sheet;
    }
};

TEST_F(ComCtrlsTest, OnlyTheActivePageIsVisibleAndEveryPageFillsTheDisplayArea) {
    auto* pages = Place(new TPageControl(form.get()), form.get(), 10, 10, 300, 200);
    auto* first = Sheet(pages, QStringLiteral("一般"));
    auto* second = Sheet(pages, QStringLiteral("詳細"));
    EXPECT_EQ(pages->PageCount(), 2);
    EXPECT_EQ(pages->ActivePage(), first);
    EXPECT_TRUE(first->Visible());
    EXPECT_FALSE(second->Visible());
    EXPECT_EQ(first->BoundsRect(), TRect(2, TPageControl::TabHeight + 2, 298, 198));
    pages->SetActivePage(second);
    EXPECT_EQ(second->BoundsRect(), first->BoundsRect());
    EXPECT_FALSE(first->Visible());
    EXPECT_EQ(second->PageIndex(), 1);
    second->SetPageIndex(0);
    EXPECT_EQ(pages->Pages(0), second);
    EXPECT_EQ(pages->ActivePageIndex(), 0);
}

TEST_F(ComCtrlsTest, ChoosingATabAsksOnChangingThenRaisesOnChange) {
    auto* pages = Place(new TPageControl(form.get()), form.get(), 10, 10, 300, 200);
    Sheet(pages, QStringLiteral("一般"));
    auto* second = Sheet(pages, QStringLiteral("詳細"));
    bool allow = false;
    pages->OnChanging = [&](TObject*, bool& a) {
        log.Add("changing");
        a = allow;
    };
    pages->OnChange = [&](TObject*) { log.Add("change"); };
    form->ShowActive();
    auto* tabs = pages->Widget()->findChild<QTabBar*>();
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(1), "詳細");
    QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(1).center());
    EXPECT_EQ(pages->ActivePageIndex(), 0);
    EXPECT_EQ(tabs->currentIndex(), 0);
    allow = true;
    QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(1).center());
    EXPECT_EQ(pages->ActivePage(), second);
    EXPECT_EQ(log.Entries(), (Log{"changing", "changing", "change"}));
    // Choosing by code raises neither.
    pages->SetActivePageIndex(0);
    EXPECT_EQ(log.Entries().size(), 3u);
}

TEST_F(ComCtrlsTest, LeavingAPageMovesTheFocusOutOfIt) {
    auto* pages = Place(new TPageControl(form.get()), form.get(), 10, 10, 300, 200);
    auto* first = Sheet(pages, QStringLiteral("一般"));
    auto* second = Sheet(pages, QStringLiteral("詳細"));
    auto* edit = Place(new TLineProbe(form.get(), log, "edit"), first, 10, 10, 100, 24);
    form->ShowActive();
    edit->SetFocus();
    log.Clear();
    pages->SetActivePage(second);
    EXPECT_EQ(log.With("Exit:"), Log{"Exit:edit"});
    EXPECT_FALSE(edit->CanFocus());
}

TEST_F(ComCtrlsTest, HiddenTabsAndFreedPages) {
    auto* pages = Place(new TPageControl(form.get()), form.get(), 10, 10, 300, 200);
    auto* first = Sheet(pages, QStringLiteral("一般"));
    auto* second = Sheet(pages, QStringLiteral("詳細"));
    auto* third = Sheet(pages, QStringLiteral("履歴"));
    form->ShowActive();
    second->SetTabVisible(false);
    auto* tabs = pages->Widget()->findChild<QTabBar*>();
    EXPECT_EQ(tabs->count(), 2);
    EXPECT_EQ(pages->FindNextPage(first, true, true), third);
    EXPECT_EQ(pages->FindNextPage(first, false, true), third);
    delete first;
    EXPECT_EQ(pages->PageCount(), 2);
    EXPECT_NE(pages->ActivePage(), nullptr);
    EXPECT_TRUE(pages->ActivePage()->Visible());
}

TEST_F(ComCtrlsTest, ProgressBarKeepsItsPositionWithinTheRange) {
    auto* bar = Place(new TProgressBar(form.get()), form.get(), 10, 10, 200, 16);
    bar->SetMax(3);
    bar->StepIt();
    EXPECT_EQ(bar->Position(), 3);
    bar->SetStep(1);
    bar->SetPosition(0);
    bar->StepIt();
    bar->StepBy(1);
    form->ShowActive();
    EXPECT_EQ(static_cast<QProgressBar*>(bar->Widget())->value(), 2);
    bar->SetMin(5);
    EXPECT_EQ(bar->Position(), 5);
    EXPECT_EQ(bar->Max(), 5);
}

TEST_F(ComCtrlsTest, StatusBarPanelsAndOwnerDrawing) {
    auto* bar = new TStatusBar(form.get());
    bar->SetParent(form.get());
    EXPECT_EQ(bar->Align(), alBottom);
    EXPECT_EQ(bar->Top(), 300 - bar->Height());
    const Integer widths[] = {80, 112, 50};
    for (Integer w : widths) bar->Panels()->Add()->SetWidth(w);
    bar->Panels()->Items(0)->SetStyle(psOwnerDraw);
    bar->Panels()->Items(1)->SetText(QStringLiteral("2024/05/03"));
    bar->Panels()->Items(1)->SetAlignment(taCenter);
    EXPECT_EQ(bar->PanelRect(0).Left, 1);
    EXPECT_EQ(bar->PanelRect(1).Left, 81);
    // The last panel takes the rest of the bar.
    EXPECT_EQ(bar->PanelRect(2).Right, 399);
    std::vector<std::pair<Integer, TRect>> drawn;
    bar->OnDrawPanel = [&](TStatusBar* b, TStatusPanel* p, const TRect& r) {
        drawn.emplace_back(p->Index(), r);
        b->Canvas()->Brush()->SetColor(clYellow);
        b->Canvas()->FillRect(r);
    };
    form->ShowActive();
    QImage image = form->Handle()->grab().toImage();
    SaveTestImage(image, QStringLiteral("ComCtrlsStatusBar"));
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn.back().first, 0);
    EXPECT_EQ(drawn.back().second, bar->PanelRect(0));
    const TRect r0 = bar->PanelRect(0);
    EXPECT_EQ(image.pixelColor(r0.Left + 5, bar->Top() + r0.Top + 5), Q(clYellow));
    // A text change paints the panel again.
    drawn.clear();
    bar->Panels()->Items(0)->SetText(QStringLiteral("変更"));
    image = form->Handle()->grab().toImage();
    EXPECT_FALSE(drawn.empty());
}

}  // namespace

// ---- tree view

namespace {

class TreeViewTest : public LoggedFormTest {
protected:
    void SetUp() override {
        form->SetBounds(0, 0, 400, 300);
        tree = Place(new TTreeView(form.get()), form.get(), 10, 10, 300, 250);
        tree->OnChanging = [this](TObject*, TTreeNode* n, bool& allow) {
            log.Add("changing:" + (n ? Utf8(n->Text()) : std::string("nil")));
            allow = allowChange;
        };
        tree->OnChange = [this](TObject*, TTreeNode* n) { log.Add("change:" + (n ? Utf8(n->Text()) : std::string("nil"))); };
        tree->OnExpanding = [this](TObject*, TTreeNode* n, bool& allow) {
            log.Add("expanding:" + Utf8(n->Text()));
            if (n->Count() == 0) tree->Items()->AddChild(n, QStringLiteral("Windows"));
            allow = allowExpand;
        };
        c = tree->Items()->Add(nullptr, QStringLiteral("[/]"));
        c->SetHasChildren(true);
        d = tree->Items()->Add(nullptr, QStringLiteral("[/home]"));
    }
    QTreeWidget* Qt() const { return static_cast<QTreeWidget*>(tree->Widget()); }

    TTreeView* tree = nullptr;
    TTreeNode* c = nullptr;
    TTreeNode* d = nullptr;
    bool allowChange = true;
    bool allowExpand = true;
};

TEST_F(TreeViewTest, NodesKeepTheirTreeAndDepthFirstOrder) {
    auto* a = tree->Items()->AddChild(d, QStringLiteral("a"));
    auto* b = tree->Items()->AddChildFirst(d, QStringLiteral("b"));
    auto* e = tree->Items()->Insert(d, QStringLiteral("e"));
    EXPECT_EQ(tree->Items()->Count(), 5);
    EXPECT_EQ(tree->Items()->Item(0), c);
    EXPECT_EQ(tree->Items()->Item(1), e);
    EXPECT_EQ(tree->Items()->Item(3), b);
    EXPECT_EQ(a->Level(), 1);
    EXPECT_EQ(a->Parent(), d);
    EXPECT_EQ(b->getNextSibling(), a);
    EXPECT_EQ(a->getPrevSibling(), b);
    EXPECT_EQ(d->getFirstChild(), b);
    EXPECT_EQ(a->GetNext(), nullptr);
    EXPECT_THROW(d->Item(2), EListError);
    d->DeleteChildren();
    EXPECT_EQ(d->Count(), 0);
    EXPECT_EQ(tree->Items()->Count(), 3);
}

TEST_F(TreeViewTest, ExpandingFillsOnDemandAndARefusalLeavesQtCollapsed) {
    form->ShowActive();
    tree->SetFocus();
    tree->SetSelected(c);
    log.Clear();
    KeyClick(form.get(), Qt::Key_Right);
    EXPECT_TRUE(c->Expanded());
    EXPECT_EQ(c->Count(), 1);
    EXPECT_TRUE(Qt()->topLevelItem(0)->isExpanded());
    EXPECT_EQ(Qt()->topLevelItem(0)->childCount(), 1);
    EXPECT_EQ(log.With("expanding"), (Log{"expanding:[/]"}));
    allowExpand = false;
    tree->SetSelected(d);
    d->SetHasChildren(true);
    KeyClick(form.get(), Qt::Key_Right);
    EXPECT_FALSE(d->Expanded());
    EXPECT_FALSE(Qt()->topLevelItem(1)->isExpanded());
    d->SetExpanded(true);  // code asks too
    EXPECT_FALSE(d->Expanded());
}

TEST_F(TreeViewTest, SelectionAsksOnChangingAndARefusalKeepsTheOldNode) {
    form->ShowActive();
    tree->SetFocus();
    // The focus with nothing selected selects the first root.
    EXPECT_EQ(tree->Selected(), c);
    EXPECT_EQ(log.With("chang"), (Log{"changing:[/]", "change:[/]"}));
    log.Clear();
    allowChange = false;
    KeyClick(form.get(), Qt::Key_Down);
    EXPECT_EQ(tree->Selected(), c);
    EXPECT_EQ(Qt()->currentItem(), Qt()->topLevelItem(0));
    EXPECT_EQ(log.With("chang"), (Log{"changing:[/home]"}));
    allowChange = true;
    KeyClick(form.get(), Qt::Key_Down);
    EXPECT_EQ(tree->Selected(), d);
    EXPECT_TRUE(d->Selected());
}

// An opened branch leaves Qt in one step, every node is announced, and
// nothing is asked about a null node on the way.
TEST_F(TreeViewTest, ClearingAnOpenedBranchIsOneStepAnnouncesEveryNodeAndAsksNothing) {
    for (int i = 0; i < 50; ++i) {
        TTreeNode* folder = tree->Items()->AddChild(d, QStringLiteral("f%1").arg(i));
        for (int j = 0; j < 20; ++j) tree->Items()->AddChild(folder, QStringLiteral("g%1").arg(j));
        folder->Expand(false);
    }
    form->ShowActive();
    d->Expand(false);
    tree->SetSelected(d->Item(7)->Item(3));
    int removals = 0, deletions = 0;
    QObject::connect(Qt()->model(), &QAbstractItemModel::rowsAboutToBeRemoved, [&] { ++removals; });
    tree->OnDeletion = [&](TObject*, TTreeNode*) { ++deletions; };
    log.Clear();
    tree->Items()->Clear();
    EXPECT_EQ(removals, 2) << "one change of the model per root";
    EXPECT_EQ(deletions, 2 + 50 + 50 * 20);
    EXPECT_EQ(tree->Selected(), nullptr);
    EXPECT_EQ(tree->Items()->Count(), 0);
    EXPECT_EQ(Qt()->topLevelItemCount(), 0);
    EXPECT_EQ(log.With("changing"), Log{});
}

TEST_F(TreeViewTest, AlphaSortUsesTheLocalesOrderAndKeepsTheTreeState) {
    for (const char* name : {"Windows", "bin", "Apps"}) tree->Items()->AddChild(d, QString::fromLatin1(name));
    form->ShowActive();
    d->SetExpanded(true);
    tree->SetSelected(d->Item(1));
    d->AlphaSort();
    // A locale collation, not code-point order (which puts "bin" last).
    EXPECT_EQ(d->Item(0)->Text(), "Apps");
    EXPECT_EQ(d->Item(1)->Text(), "bin");
    EXPECT_EQ(d->Item(2)->Text(), "Windows");
    QTreeWidgetItem* q = Qt()->topLevelItem(1);
    EXPECT_EQ(q->child(0)->text(0), "Apps");
    EXPECT_TRUE(q->isExpanded());
    EXPECT_EQ(Qt()->currentItem()->text(0), "bin");
}

TEST_F(TreeViewTest, AlphaSortOfTheTreeOrdersRootsAndChildrenAndQtFollows) {
    tree->Items()->AddFirst(c, QStringLiteral("Apps"));
    for (const char* name : {"zeta", "Beta"}) tree->Items()->AddChild(d, QString::fromLatin1(name));
    form->ShowActive();
    tree->AlphaSort();
    // Punctuation goes before letters in the locale's order.
    EXPECT_EQ(tree->Items()->GetFirstNode(), c);
    EXPECT_EQ(c->getNextSibling(), d);
    EXPECT_EQ(d->getNextSibling()->Text(), "Apps");
    EXPECT_EQ(d->Item(0)->Text(), "Beta");
    EXPECT_EQ(d->Item(1)->Text(), "zeta");
    ASSERT_EQ(Qt()->topLevelItemCount(), 3);
    EXPECT_EQ(Qt()->topLevelItem(2)->text(0), "Apps");
    EXPECT_EQ(Qt()->topLevelItem(1)->child(0)->text(0), "Beta");
}

TEST_F(TreeViewTest, NodesAddedDuringAnUpdateReachQtInTheirPlaces) {
    form->ShowActive();
    tree->Items()->BeginUpdate();
    auto* x = tree->Items()->AddChild(d, QStringLiteral("x"));
    tree->Items()->AddChild(d, QStringLiteral("y"));
    tree->Items()->AddChild(x, QStringLiteral("x1"));       // below a node that has no Qt item yet
    tree->Items()->AddChildFirst(d, QStringLiteral("w"));  // before the others
    auto* gone = tree->Items()->AddChild(d, QStringLiteral("gone"));
    tree->Items()->AddChild(gone, QStringLiteral("gone1"));
    tree->Items()->Insert(c, QStringLiteral("top"));
    tree->Items()->Delete(gone);  // deleted before it ever reached Qt
    EXPECT_EQ(Qt()->topLevelItem(1)->childCount(), 0);
    tree->Items()->EndUpdate();
    ASSERT_EQ(Qt()->topLevelItemCount(), 3);
    EXPECT_EQ(Qt()->topLevelItem(0)->text(0), "top");
    QTreeWidgetItem* q = Qt()->topLevelItem(2);
    ASSERT_EQ(q->childCount(), 3);
    EXPECT_EQ(q->child(0)->text(0), "w");
    EXPECT_EQ(q->child(1)->text(0), "x");
    EXPECT_EQ(q->child(2)->text(0), "y");
    ASSERT_EQ(q->child(1)->childCount(), 1);
    EXPECT_EQ(q->child(1)->child(0)->text(0), "x1");
    // A long run of new last children goes to Qt in one piece, in order.
    tree->Items()->BeginUpdate();
    for (int i = 0; i < 500; ++i) tree->Items()->AddChild(x, QString::number(i));
    tree->Items()->EndUpdate();
    ASSERT_EQ(q->child(1)->childCount(), 501);
    EXPECT_EQ(q->child(1)->child(500)->text(0), "499");
    EXPECT_EQ(x->Item(500)->Text(), "499");
}

TEST_F(TreeViewTest, DeletingAllChildrenEmptiesQtAndTheSelectionWithThem) {
    for (const char* name : {"a", "b", "c"}) tree->Items()->AddChild(d, QString::fromLatin1(name));
    tree->Items()->AddChild(d->Item(1), QStringLiteral("b1"));
    form->ShowActive();
    d->Expand(true);
    tree->SetSelected(d->Item(1)->Item(0));
    log.Clear();
    d->DeleteChildren();
    EXPECT_EQ(d->Count(), 0);
    EXPECT_EQ(tree->Selected(), nullptr);
    EXPECT_EQ(Qt()->topLevelItem(1)->childCount(), 0);
    EXPECT_EQ(log.With("changing"), Log{});
    // New children get new Qt items.
    tree->Items()->AddChild(d, QStringLiteral("again"));
    ASSERT_EQ(Qt()->topLevelItem(1)->childCount(), 1);
    EXPECT_EQ(Qt()->topLevelItem(1)->child(0)->text(0), "again");
    tree->SetSelected(d->Item(0));
    EXPECT_EQ(Qt()->currentItem()->text(0), "again");
}

TEST_F(TreeViewTest, NodesShowTheImagesOfTheImageList) {
    TImageList images(16, 16);
    for (TColor color : {clRed, clBlue}) {
        TBitmap icon;
        icon.SetSize(16, 16);
        icon.Canvas()->Brush()->SetColor(color);
        icon.Canvas()->FillRect(TRect(0, 0, 16, 16));
        images.Add(&icon, nullptr);
    }
    form->ShowActive();
    tree->SetSelected(nullptr);  // the focus selected the first root
    tree->SetImages(&images);
    c->SetImageIndex(0);
    c->SetSelectedIndex(1);
    const auto imageColour = [&](int row) {
        const QRect r = Qt()->visualItemRect(Qt()->topLevelItem(row));
        return Qt()->viewport()->grab().toImage().pixelColor(r.left() + 8, r.top() + r.height() / 2);
    };
    EXPECT_EQ(imageColour(0), Q(clRed));
    EXPECT_EQ(imageColour(1), Q(clWindow));  // no image
    tree->SetSelected(c);
    EXPECT_EQ(imageColour(0), Q(clBlue));  // the selected image
    EXPECT_EQ(Qt()->visualItemRect(Qt()->topLevelItem(0)).height(), 18);  // the image and a pixel above and below
    // A larger font makes every row taller.
    tree->Font()->SetHeight(-24);
    QCoreApplication::processEvents();
    EXPECT_GT(Qt()->visualItemRect(Qt()->topLevelItem(1)).height(), 24);
}

// ---- tree view: drawing and the mouse

// Root (open) with Alpha and Beta (closed, holding Gamma), then Other; a
// node's points are in the viewport (the client area) unless said.
class TreeViewMouseTest : public LoggedFormTest {
protected:
    void SetUp() override {
        form->SetBounds(0, 0, 400, 300);
        tree = Place(new TTreeView(form.get()), form.get(), 10, 10, 300, 250);
        // Focused while still empty: no node is selected yet.
        form->ShowActive();
        tree->SetFocus();
        root = tree->Items()->Add(nullptr, QStringLiteral("Root"));
        alpha = tree->Items()->AddChild(root, QStringLiteral("Alpha"));
        beta = tree->Items()->AddChild(root, QStringLiteral("Beta"));
        tree->Items()->AddChild(beta, QStringLiteral("Gamma"));
        tree->Items()->Add(nullptr, QStringLiteral("Other"));
        tree->OnChanging = [this](TObject*, TTreeNode* n, bool&) { log.Add("changing:" + Utf8(n->Text())); };
        tree->OnChange = [this](TObject*, TTreeNode* n) { log.Add("change:" + Utf8(n->Text())); };
        root->Expand(false);
        log.Clear();
    }
    QTreeWidget* Qt() const { return static_cast<QTreeWidget*>(tree->Widget()); }
    QRect RowOf(TTreeNode* node) const {
        for (QTreeWidgetItemIterator it(Qt()); *it; ++it) {
            if ((*it)->text(0) == node->Text()) return Qt()->visualItemRect(*it);
        }
        ADD_FAILURE() << "no row for " << Utf8(node->Text());
        return {};
    }
    int Middle(TTreeNode* node) const { return RowOf(node).top() + RowOf(node).height() / 2; }
    // On the node's text (no images: the text starts 2 pixels into the row).
    QPoint TextOf(TTreeNode* node) const { return QPoint(RowOf(node).left() + 4, Middle(node)); }
    // The centre of the node's line-and-button column.
    QPoint ButtonOf(TTreeNode* node) const { return QPoint(RowOf(node).left() - 10, Middle(node)); }
    QPoint RightOf(TTreeNode* node) const { return QPoint(Qt()->viewport()->width() - 10, Middle(node)); }
    QPoint OnForm(QPoint viewportPoint) const { return Qt()->viewport()->mapTo(form->Handle(), viewportPoint); }
    void Click(QPoint p, Qt::MouseButton button = Qt::LeftButton) { MouseClick(form.get(), OnForm(p), button); }
    void Hover(QPoint p) { QTest::mouseMove(WindowOf(form.get()), OnForm(p)); }
    QImage Shot(const char* name) const {
        const QImage image = Qt()->viewport()->grab().toImage();
        SaveTestImage(image, QString::fromLatin1(name));
        return image;
    }
    // Pixels of a colour along a row of the image from x0 to x1.
    static int CountAcross(const QImage& image, int y, int x0, int x1, QColor color) {
        int n = 0;
        for (int x = x0; x <= x1; ++x) n += image.pixelColor(x, y) == color;
        return n;
    }
    static int CountDown(const QImage& image, int x, int y0, int y1, QColor color) {
        int n = 0;
        for (int y = y0; y <= y1; ++y) n += image.pixelColor(x, y) == color;
        return n;
    }

    TTreeView* tree = nullptr;
    TTreeNode* root = nullptr;
    TTreeNode* alpha = nullptr;
    TTreeNode* beta = nullptr;
};

TEST_F(TreeViewMouseTest, BorderStyleAndBorderWidthFrameTheRowsWhichStillTakeTheirClicks) {
    tree->SetColor(clYellow);
    tree->SetBorderWidth(5);
    EXPECT_EQ(tree->ClientRect(), Rect(0, 0, 300 - 14, 250 - 14));
    EXPECT_EQ(Qt()->viewport()->geometry().topLeft(), QPoint(7, 7));
    QImage control = Qt()->grab().toImage();
    SaveTestImage(control, QStringLiteral("tree_view_border_width"));
    EXPECT_NE(control.pixelColor(1, 100), Q(clYellow)) << "the sunken edge";
    EXPECT_EQ(control.pixelColor(2, 100), Q(clYellow)) << "the margin";
    EXPECT_EQ(control.pixelColor(6, 100), Q(clYellow));
    Click(TextOf(alpha));
    EXPECT_EQ(tree->Selected(), alpha);

    tree->SetBorderStyle(bsNone);
    tree->SetBorderWidth(0);
    EXPECT_EQ(tree->ClientRect(), Rect(0, 0, 300, 250));
    EXPECT_EQ(Qt()->viewport()->geometry().topLeft(), QPoint(0, 0));
    Click(TextOf(beta));
    EXPECT_EQ(tree->Selected(), beta);
}

TEST_F(TreeViewMouseTest, AClickOnTheSelectedTextEditsItEnterTakesTheTextAndEscKeepsTheOld) {
    Click(TextOf(alpha));
    RunEventLoop(QApplication::doubleClickInterval() + 100);
    EXPECT_FALSE(tree->IsEditing()) << "the click that selects edits nothing";
    Click(TextOf(alpha));
    ASSERT_TRUE(WaitFor([&] { return tree->IsEditing(); }));
    auto* editor = Qt()->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->hasFocus());
    EXPECT_EQ(editor->selectedText(), "Alpha");
    EXPECT_EQ(editor->geometry().topLeft(), QPoint(RowOf(alpha).left(), RowOf(alpha).top()));
    KeyClicks(form.get(), "Aleph");
    Shot("tree_view_label_editor");
    KeyClick(form.get(), Qt::Key_Return);
    EXPECT_FALSE(tree->IsEditing());
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(alpha->Text(), "Aleph");
    EXPECT_EQ(Qt()->currentItem()->text(0), "Aleph");
    EXPECT_TRUE(tree->Focused());

    // The tree hears the editor's keys.
    tree->OnKeyDown = [this](TObject*, Word& key, TShiftState) { log.Add("tree:" + KeyName(key)); };
    Click(TextOf(alpha));
    ASSERT_TRUE(WaitFor([&] { return tree->IsEditing(); }));
    KeyClicks(form.get(), "zz");
    KeyClick(form.get(), Qt::Key_Escape);
    EXPECT_FALSE(tree->IsEditing());
    EXPECT_EQ(alpha->Text(), "Aleph");
    EXPECT_EQ(log.With("tree:"), (Log{"tree:" + KeyName('Z'), "tree:" + KeyName('Z'), "tree:" + KeyName(VK_ESCAPE)}));
}

TEST_F(TreeViewMouseTest, ADoubleClickOrReadOnlyEditsNothingAndLeavingTheEditorTakesItsText) {
    Click(TextOf(alpha));
    MouseDClick(form.get(), OnForm(TextOf(alpha)));
    RunEventLoop(QApplication::doubleClickInterval() + 100);
    EXPECT_FALSE(tree->IsEditing());
    tree->SetReadOnly(true);
    Click(TextOf(alpha));
    RunEventLoop(QApplication::doubleClickInterval() + 100);
    EXPECT_FALSE(tree->IsEditing());

    auto* other = Place(new TLineProbe(form.get(), log, "other"), form.get(), 320, 10, 60, 24);
    tree->SetReadOnly(false);
    Click(TextOf(alpha));
    ASSERT_TRUE(WaitFor([&] { return tree->IsEditing(); }));
    KeyClicks(form.get(), "A1");
    // The editor is a part of the tree: the tree is left once, not entered again.
    tree->OnExit = [this](TObject*) { log.Add("tree:exit"); };
    tree->OnEnter = [this](TObject*) { log.Add("tree:enter"); };
    log.Clear();
    other->SetFocus();
    EXPECT_FALSE(tree->IsEditing());
    EXPECT_EQ(alpha->Text(), "A1");
    EXPECT_EQ(log.With("tree:"), Log{"tree:exit"});
    EXPECT_EQ(log.With("Enter:"), Log{"Enter:other"});
}

TEST_F(TreeViewMouseTest, WithAChangeDelayOnChangeComesOnceTheSelectionRestsAndNamesTheLastNode) {
    tree->SetChangeDelay(300);
    Click(TextOf(alpha));
    Click(TextOf(beta));
    EXPECT_EQ(log.With("change:"), Log{}) << "not at once";
    EXPECT_EQ(log.With("changing"), (Log{"changing:Alpha", "changing:Beta"}));
    ASSERT_TRUE(WaitFor([&] { return !log.With("change:").empty(); }));
    RunEventLoop(350);
    EXPECT_EQ(log.With("change:"), Log{"change:Beta"});
}

TEST_F(TreeViewMouseTest, DottedLinesJoinTheNodesAndBoxedButtonsShowWhetherTheyAreOpen) {
    const QColor grey = Q(clGrayText), black = Q(clWindowText), white = Q(clWindow);
    const QPoint b = ButtonOf(beta), r = ButtonOf(root);
    QImage image = Shot("tree_view_lines");
    // Alpha: from the root's line across to its text, every other pixel.
    const QPoint a = ButtonOf(alpha);
    EXPECT_EQ(CountAcross(image, a.y(), a.x(), a.x() + 9, grey), 5);
    EXPECT_EQ(CountAcross(image, a.y(), a.x() + 10, RowOf(alpha).left() + 40, grey), 0);
    // The roots' line runs on through Alpha's row to Other; the root's children's line ends at Beta.
    const QRect alphaRow = RowOf(alpha);
    EXPECT_EQ(CountDown(image, r.x(), alphaRow.top(), alphaRow.bottom(), grey), alphaRow.height() / 2);
    EXPECT_EQ(CountDown(image, b.x(), Middle(beta) + 6, RowOf(beta).bottom(), grey), 0);
    // Beta is closed: a plus in a grey box; the root is open: a minus.
    EXPECT_EQ(image.pixelColor(b.x() - 4, b.y()), grey);
    EXPECT_EQ(image.pixelColor(b.x() - 2, b.y()), black);
    EXPECT_EQ(image.pixelColor(b.x(), b.y() - 2), black);
    EXPECT_EQ(image.pixelColor(r.x() - 2, r.y()), black);
    EXPECT_EQ(image.pixelColor(r.x(), r.y() - 2), white);

    tree->SetShowLines(false);
    image = Shot("tree_view_no_lines");
    EXPECT_EQ(CountAcross(image, a.y(), a.x(), a.x() + 9, grey), 0);
    EXPECT_EQ(CountDown(image, r.x(), alphaRow.top(), alphaRow.bottom(), grey), 0);
    EXPECT_EQ(image.pixelColor(b.x(), b.y() - 2), black);  // the buttons stay
}

TEST_F(TreeViewMouseTest, AButtonOpensAndClosesTheTextSelectsAndTheRestOfTheRowDoesNothing) {
    std::vector<TPoint> downs;
    tree->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, Integer x, Integer y) { downs.push_back({x, y}); };
    Click(ButtonOf(beta));
    EXPECT_TRUE(beta->Expanded());
    EXPECT_EQ(tree->Selected(), nullptr);
    Click(ButtonOf(beta));
    EXPECT_FALSE(beta->Expanded());
    Click(RightOf(alpha));
    Click(QPoint(ButtonOf(alpha).x(), Middle(alpha)));  // a node without children has no button
    EXPECT_EQ(tree->Selected(), nullptr);
    EXPECT_EQ(log.With("chang"), Log{});
    Click(TextOf(alpha));
    EXPECT_EQ(tree->Selected(), alpha);
    EXPECT_EQ(log.With("chang"), (Log{"changing:Alpha", "change:Alpha"}));
    EXPECT_EQ(Qt()->currentItem()->text(0), "Alpha");
    // A double click on the text opens and closes as well.
    MouseDClick(form.get(), OnForm(TextOf(beta)));
    EXPECT_EQ(tree->Selected(), beta);
    EXPECT_TRUE(beta->Expanded());
    // The control has the mouse in its client coordinates.
    ASSERT_FALSE(downs.empty());
    EXPECT_EQ(downs.front(), TPoint(ButtonOf(beta).x(), ButtonOf(beta).y()));
}

TEST_F(TreeViewMouseTest, RowSelectFillsTheWholeRowAndTakesClicksAnywhereOnItButNotWithLines) {
    const QColor highlight = Q(clHighlight), white = Q(clWindow);
    tree->SetRowSelect(true);  // no effect while the lines show
    Click(RightOf(alpha));
    EXPECT_EQ(tree->Selected(), nullptr);
    Click(TextOf(alpha));
    QImage image = Shot("tree_view_label_selected");
    EXPECT_EQ(image.pixelColor(TextOf(alpha) - QPoint(3, 0)), highlight);
    EXPECT_EQ(image.pixelColor(RightOf(alpha)), white);

    tree->SetShowLines(false);
    image = Shot("tree_view_row_selected");
    EXPECT_EQ(image.pixelColor(RightOf(alpha)), highlight);
    EXPECT_EQ(image.pixelColor(1, Middle(alpha)), highlight);
    EXPECT_EQ(image.pixelColor(RightOf(beta)), white);
    Click(RightOf(beta));
    EXPECT_EQ(tree->Selected(), beta);
    Click(QPoint(2, Middle(alpha)));  // in the indentation
    EXPECT_EQ(tree->Selected(), alpha);
}

TEST_F(TreeViewMouseTest, TheSelectionIsGreyedWithoutTheFocusUnlessHideSelection) {
    auto* other = Place(new TTreeView(form.get()), form.get(), 320, 10, 60, 60);
    Click(TextOf(alpha));
    const QPoint inLabel = TextOf(alpha) - QPoint(3, 0);
    const QImage focused = Shot("tree_view_focused");
    EXPECT_EQ(focused.pixelColor(inLabel), Q(clHighlight));
    // The focus rectangle: every other pixel of the label's edge inverted.
    const QRect row = RowOf(alpha);
    const int x = row.left() + ((row.left() + row.top()) & 1);
    EXPECT_EQ(focused.pixelColor(x, row.top()), QColor(0xF5, 0xDB, 0x95));
    EXPECT_EQ(focused.pixelColor(x + 1, row.top()), Q(clHighlight));
    other->SetFocus();
    EXPECT_EQ(Shot("tree_view_hidden_selection").pixelColor(inLabel), Q(clWindow));
    tree->SetHideSelection(false);
    EXPECT_EQ(Shot("tree_view_greyed_selection").pixelColor(inLabel), Q(clBtnFace));
}

TEST_F(TreeViewMouseTest, HotTrackUnderlinesTheNodeUnderTheMouseInTheHotLightColour) {
    const QColor hot = Q(clHotLight);
    const int textWidth = Qt()->fontMetrics().horizontalAdvance(QStringLiteral("Alpha"));
    const auto hotPixels = [&](const char* name) {
        const QImage image = Shot(name);
        const QRect row = RowOf(alpha);
        int n = 0, widest = 0;
        for (int y = row.top(); y <= row.bottom(); ++y) {
            const int across = CountAcross(image, y, row.left(), row.left() + textWidth + 4, hot);
            n += across;
            widest = std::max(widest, across);
        }
        return std::pair{n, widest};
    };
    Hover(TextOf(alpha));
    EXPECT_EQ(hotPixels("tree_view_not_hot").first, 0);
    tree->SetHotTrack(true);
    Hover(TextOf(beta));
    Hover(TextOf(alpha));
    const auto [pixels, underline] = hotPixels("tree_view_hot");
    EXPECT_GT(pixels, 0);
    EXPECT_GE(underline, textWidth - 1);  // one unbroken line under the text
    Hover(RightOf(alpha));
    EXPECT_EQ(hotPixels("tree_view_hot_gone").first, 0);
}

TEST_F(TreeViewMouseTest, ANodeCutOffAtTheEdgeShowsItsWholeTextAsATooltip) {
    const QString longText = QStringLiteral("A folder with a name far too long for the width of this tree");
    TTreeNode* wide = tree->Items()->Add(nullptr, longText);
    tree->SetHint(QStringLiteral("the tree's hint"));
    tree->SetShowHint(true);
    const auto tipAfterHover = [&](TTreeNode* node) {
        QToolTip::hideText();
        EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }));
        Hover(TextOf(node == wide ? alpha : wide));
        Hover(TextOf(node));
        return QTest::qWaitFor([] { return QToolTip::isVisible(); }) ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tipAfterHover(wide), longText);
    // A node that fits has no tooltip of its own: the control's hint shows.
    EXPECT_EQ(tipAfterHover(alpha), "the tree's hint");
    tree->SetToolTips(false);
    EXPECT_EQ(tipAfterHover(wide), "the tree's hint");
    QToolTip::hideText();
}

TEST_F(TreeViewMouseTest, RightClickSelectSelectsTheNodeThePopUpMenuThenSees) {
    TPopupMenu menu(form.get());
    tree->SetPopupMenu(&menu);
    SetPopupHook([&](TPopupMenu*, TPoint) -> TMenuItem* {
        log.Add("popup:" + (tree->Selected() ? Utf8(tree->Selected()->Text()) : std::string("nil")));
        return nullptr;
    });
    Click(TextOf(beta), Qt::RightButton);
    EXPECT_EQ(tree->Selected(), nullptr);
    EXPECT_EQ(log.With("popup"), Log{"popup:nil"});
    tree->SetRightClickSelect(true);
    log.Clear();
    Click(TextOf(beta), Qt::RightButton);
    EXPECT_EQ(tree->Selected(), beta);
    EXPECT_EQ(log.Entries(), (Log{"changing:Beta", "change:Beta", "popup:Beta"}));
    log.Clear();
    Click(RightOf(alpha), Qt::RightButton);  // beside the text: no node
    EXPECT_EQ(tree->Selected(), beta);
    EXPECT_EQ(log.Entries(), Log{"popup:Beta"});
    SetPopupHook(nullptr);
}

TEST_F(TreeViewMouseTest, StarOpensTheSelectedNodeAndEveryNodeBelowIt) {
    std::vector<std::string> opened;
    tree->OnExpanding = [&](TObject*, TTreeNode* n, bool&) { opened.push_back(Utf8(n->Text())); };
    root->Collapse(false);
    Click(TextOf(root));
    KeyClick(form.get(), Qt::Key_Asterisk, Qt::KeypadModifier);
    EXPECT_EQ(opened, (std::vector<std::string>{"Root", "Beta"}));
    EXPECT_TRUE(root->Expanded());
    EXPECT_TRUE(beta->Expanded());
    EXPECT_TRUE(Qt()->topLevelItem(0)->child(1)->isExpanded());
}

}  // namespace

