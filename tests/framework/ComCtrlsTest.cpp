// Page controls, progress bars and status bars.
#include "ComCtrls.h"
#include "FrameworkTestSupport.h"
#include "TestSupport.h"

#include <QtTest/QTest>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QTabBar>
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
    // The focus alone selects nothing.
    EXPECT_EQ(tree->Selected(), nullptr);
    EXPECT_EQ(log.With("chang"), Log{});
    tree->SetSelected(c);
    EXPECT_EQ(log.Entries(), (Log{"changing:[/]", "change:[/]"}));
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

TEST_F(TreeViewTest, ClearingWithANodeSelectedAsksNothingAboutANullNode) {
    form->ShowActive();
    tree->SetSelected(d);
    log.Clear();
    tree->Items()->Clear();
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
    TBitmap icon;
    icon.SetSize(16, 16);
    images.Add(&icon, nullptr);
    images.Add(&icon, nullptr);
    tree->SetImages(&images);
    c->SetImageIndex(0);
    c->SetSelectedIndex(1);
    form->ShowActive();
    EXPECT_FALSE(Qt()->topLevelItem(0)->icon(0).isNull());
    EXPECT_TRUE(Qt()->topLevelItem(1)->icon(0).isNull());
}

}  // namespace
