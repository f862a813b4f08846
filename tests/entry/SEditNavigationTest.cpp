// Neighbour links built from where boxes stand: reading order with rows
// by centre rounded down to multiples of 4, wrap-around in four
// directions, single rows and columns, boxes left out, links between
// groups, the trace to "MemLog", and the map driven by real arrow keys.
#include "EntryTestSupport.h"

#include "Classes.h"
#include "ExtCtrls.h"
#include "StdCtrls.h"

namespace {

class SEditNavigationTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TraceForm>();
        form->SetClientSize(600, 400);
    }
    TPanel* Group(const QString& name, Integer left, Integer top, Integer width, Integer height) {
        auto* p = new TPanel(form.get());
        p->SetName(name);
        p->SetParent(form.get());
        p->SetBounds(left, top, width, height);
        return p;
    }
    TSEdit* Box(TWinControl* parent, const QString& name, Integer left, Integer top, Integer height = 20) {
        auto* e = new TSEdit(form.get());
        if (!name.isEmpty()) e->SetName(name);
        e->SetParent(parent);
        e->SetBounds(left, top, 60, height);
        return e;
    }
    static void ExpectLinks(TEntryBox* box, TWinControl* left, TWinControl* right, TWinControl* up,
                            TWinControl* down) {
        EXPECT_EQ(box->mvLeft(), left);
        EXPECT_EQ(box->mvRight(), right);
        EXPECT_EQ(box->mvUp(), up);
        EXPECT_EQ(box->mvDown(), down);
    }

    std::unique_ptr<TraceForm> form;
};

TEST_F(SEditNavigationTest, OneRowLinksInReadingOrderAndWraps) {
    TPanel* g = Group("G", 20, 30, 400, 60);
    // Created out of order: the map follows the positions.
    TSEdit* c = Box(g, "c", 210, 10);
    TSEdit* a = Box(g, "a", 10, 10);
    TSEdit* b = Box(g, "b", 110, 10);
    EXPECT_EQ(BuildNavigationMap(g, 8, 8), c);
    ExpectLinks(a, c, b, a, a);
    ExpectLinks(b, a, c, a, a);
    ExpectLinks(c, b, a, a, a);
    EXPECT_FALSE(a->TabStop());
}

TEST_F(SEditNavigationTest, RowsAreDecidedByTheCentreRoundedToMultiplesOf4) {
    TPanel* g = Group("G", 0, 0, 500, 200);
    // Centres 20, 22, 23 share row 20; 24 starts row 24.
    TSEdit* r1a = Box(g, "r1a", 300, 10);
    TSEdit* r1b = Box(g, "r1b", 10, 12);
    TSEdit* r1c = Box(g, "r1c", 200, 13);
    TSEdit* r2 = Box(g, "r2", 100, 14);
    BuildNavigationMap(g, 8, 8);
    EXPECT_EQ(r1b->mvRight(), r1c);
    EXPECT_EQ(r1c->mvRight(), r1a);
    EXPECT_EQ(r1a->mvRight(), r2);
    EXPECT_EQ(r2->mvRight(), r1b);
    for (TSEdit* e : {r1a, r1b, r1c}) {
        EXPECT_EQ(e->mvDown(), r2);
        EXPECT_EQ(e->mvUp(), r2);
    }
    EXPECT_EQ(r2->mvDown(), r1b);
    EXPECT_EQ(r2->mvUp(), r1b);
}

TEST_F(SEditNavigationTest, AGridAtUnevenPlacesWrapsInAllFourDirections) {
    TPanel* g = Group("G", 15, 25, 500, 300);
    const Integer tops[] = {10, 42, 74};
    const Integer lefts[] = {13, 101, 199};
    TSEdit* box[3][3];
    for (int r = 0; r < 3; ++r) {
        for (int k = 0; k < 3; ++k) {
            // A pixel of jitter that stays inside the row's multiple of 4.
            box[r][k] = Box(g, QStringLiteral("b%1%2").arg(r).arg(k), lefts[k] + k, tops[r] + (k == 1 ? 1 : 0));
        }
    }
    EXPECT_EQ(BuildNavigationMap(g, 8, 8), box[2][2]);
    for (int r = 0; r < 3; ++r) {
        for (int k = 0; k < 3; ++k) {
            const int i = r * 3 + k;
            TSEdit* next = box[(i + 1) % 9 / 3][(i + 1) % 9 % 3];
            TSEdit* previous = box[(i + 8) % 9 / 3][(i + 8) % 9 % 3];
            ExpectLinks(box[r][k], previous, next, box[(r + 2) % 3][0], box[(r + 1) % 3][0]);
        }
    }
}

TEST_F(SEditNavigationTest, ASingleColumnAndASingleBox) {
    TPanel* g = Group("G", 0, 0, 200, 200);
    TSEdit* top = Box(g, "top", 10, 10);
    TSEdit* mid = Box(g, "mid", 12, 50);
    TSEdit* low = Box(g, "low", 8, 90);
    BuildNavigationMap(g, 8, 8);
    ExpectLinks(top, low, mid, low, mid);
    ExpectLinks(mid, top, low, top, low);
    ExpectLinks(low, mid, top, mid, top);
    TPanel* one = Group("One", 0, 210, 100, 40);
    TSEdit* only = Box(one, "only", 5, 5);
    EXPECT_EQ(BuildNavigationMap(one, 8, 8), only);
    ExpectLinks(only, only, only, only, only);
}

TEST_F(SEditNavigationTest, HiddenDisabledAndForeignBoxesAreLeftOutButUnnamedOnesTakePart) {
    TPanel* g = Group("G", 0, 0, 400, 100);
    TSEdit* a = Box(g, "a", 10, 10);
    TSEdit* hidden = Box(g, "hidden", 80, 10);
    hidden->SetVisible(false);
    TSEdit* off = Box(g, "off", 150, 10);
    off->SetEnabled(false);
    TSEdit* unnamed = Box(g, QString(), 220, 10);
    auto* plain = new TEdit(form.get());
    plain->SetParent(g);
    plain->SetBounds(290, 10, 50, 20);
    TSEdit* outside = Box(form.get(), "outside", 450, 10);
    BuildNavigationMap(g, 8, 8);
    ExpectLinks(a, unnamed, unnamed, a, a);
    ExpectLinks(unnamed, a, a, a, a);
    EXPECT_EQ(hidden->mvRight(), nullptr);
    EXPECT_EQ(off->mvRight(), nullptr);
    EXPECT_EQ(outside->mvLeft(), nullptr);
    EXPECT_EQ(BuildNavigationMap(nullptr, 8, 8), nullptr);
    EXPECT_EQ(BuildNavigationMap(Group("Empty", 0, 300, 50, 50), 8, 8), nullptr);
}

TEST_F(SEditNavigationTest, TheFormItselfAsContainerTakesAllItsBoxes) {
    TPanel* g = Group("G", 0, 100, 400, 100);
    TSEdit* inPanel = Box(g, "p", 10, 10);
    TSEdit* onForm = Box(form.get(), "f", 10, 10);
    BuildNavigationMap(form.get(), 8, 8);
    EXPECT_EQ(onForm->mvRight(), inPanel);
    EXPECT_EQ(inPanel->mvRight(), onForm);
}

// Two groups as the edge case of the builder: A (two rows) and B (one row).
class SEditGroupMapTest : public SEditNavigationTest {
protected:
    void SetUp() override {
        SEditNavigationTest::SetUp();
        ga = Group("GA", 0, 0, 300, 100);
        a1 = Box(ga, "a1", 10, 10);
        a2 = Box(ga, "a2", 100, 10);
        a3 = Box(ga, "a3", 10, 50);
        a4 = Box(ga, "a4", 100, 50);
        gb = Group("GB", 0, 120, 300, 60);
        b1 = Box(gb, "b1", 10, 10);
        b2 = Box(gb, "b2", 100, 10);
        b3 = Box(gb, "b3", 190, 10);
    }

    TPanel* ga = nullptr;
    TPanel* gb = nullptr;
    TSEdit *a1 = nullptr, *a2 = nullptr, *a3 = nullptr, *a4 = nullptr;
    TSEdit *b1 = nullptr, *b2 = nullptr, *b3 = nullptr;
};

TEST_F(SEditGroupMapTest, GroupsLinkLastToFirstAndRowsToTheNeighbourGroups) {
    TStringList groups;
    groups.SetText("\r\nGA\r\nGB\r\n\r\n");
    const QString before = groups.Text();
    EXPECT_EQ(BuildGroupNavigationMap(&groups, form.get(), 8, 8), a1);
    EXPECT_EQ(groups.Text(), before);
    // A's last box goes right to B's first, B's last to A's first.
    EXPECT_EQ(a4->mvRight(), b1);
    EXPECT_EQ(b3->mvRight(), a1);
    EXPECT_EQ(b1->mvLeft(), a4);
    EXPECT_EQ(a1->mvLeft(), b3);
    // A's bottom row goes down to B's first box; B's top row up to A's bottom-left box.
    EXPECT_EQ(a3->mvDown(), b1);
    EXPECT_EQ(a4->mvDown(), b1);
    for (TSEdit* e : {b1, b2, b3}) EXPECT_EQ(e->mvUp(), a3);
    // B is one row: its bottom row is that row, down to A's first box.
    for (TSEdit* e : {b1, b2, b3}) EXPECT_EQ(e->mvDown(), a1);
    // A's top row goes up to B's bottom-left box; A's inner links stay.
    EXPECT_EQ(a1->mvUp(), b1);
    EXPECT_EQ(a2->mvUp(), b1);
    EXPECT_EQ(a1->mvDown(), a3);
    EXPECT_EQ(a3->mvUp(), a1);
    EXPECT_EQ(a2->mvRight(), a3);
}

TEST_F(SEditGroupMapTest, GroupsWithoutBoxesTakeNoPart) {
    Group("Empty", 400, 0, 50, 50);
    TStringList groups;
    groups.SetText("GA\r\nEmpty\r\nNoSuchGroup\r\nGB");
    BuildGroupNavigationMap(&groups, form.get(), 8, 8);
    // A's next group has no box: A keeps its own wrap to the right.
    EXPECT_EQ(a4->mvRight(), a1);
    EXPECT_EQ(a3->mvDown(), a1);
    // B's previous group has no box either.
    EXPECT_EQ(b1->mvLeft(), b3);
    EXPECT_EQ(b3->mvRight(), a1);
    EXPECT_EQ(a1->mvLeft(), b3);
    EXPECT_EQ(BuildGroupNavigationMap(&groups, nullptr, 8, 8), nullptr);
}

TEST_F(SEditGroupMapTest, CombosTakePartLikeEditBoxes) {
    auto* combo = new TSComboBox(form.get());
    combo->SetName("k");
    combo->SetParent(gb);
    combo->SetBounds(270, 8, 20, 24);
    TStringList groups;
    groups.SetText("GA\r\nGB");
    BuildGroupNavigationMap(&groups, form.get(), 8, 8);
    EXPECT_EQ(b3->mvRight(), combo);
    EXPECT_EQ(combo->mvRight(), a1);
    EXPECT_EQ(combo->mvUp(), a3);
}

TEST_F(SEditGroupMapTest, TheTraceNamesTheLabelLeftOfEachFieldName) {
    auto* memo = new TMemo(form.get());
    memo->SetName("MemLog");
    memo->SetParent(form.get());
    memo->SetBounds(400, 200, 150, 150);
    auto* label = new TLabel(form.get());
    label->SetName("LblCode");
    label->SetParent(gb);
    label->SetBounds(0, 12, 9, 14);
    b2->SetFieldName(QStringLiteral("コード"));
    a1->SetFieldName(QStringLiteral("  "));
    TStringList groups;
    groups.SetText("GA\r\nGB");
    BuildGroupNavigationMap(&groups, form.get(), 8, 8);
    // b1 has no field name; b2's label point (left - 8, top + 8) falls on no label.
    EXPECT_EQ(memo->Lines()->Text(), "[GA]\r\n\r\n[GB]\r\n\r\n");
    b1->SetFieldName(QStringLiteral("コード"));
    BuildGroupNavigationMap(&groups, form.get(), 8, 8);
    EXPECT_EQ(memo->Lines()->Get(7), "ｺｰﾄﾞ=LblCode");
}

TEST_F(SEditGroupMapTest, ArrowKeysFollowTheMap) {
    TStringList groups;
    groups.SetText("GA\r\nGB");
    BuildGroupNavigationMap(&groups, form.get(), 8, 8);
    form->ShowActive();
    a1->SetFocus();
    const std::vector<std::pair<Qt::Key, TSEdit*>> path = {
        {Qt::Key_Right, a2}, {Qt::Key_Down, a3}, {Qt::Key_Right, a4}, {Qt::Key_Right, b1}, {Qt::Key_Right, b2},
        {Qt::Key_Up, a3},    {Qt::Key_Up, a1},   {Qt::Key_Up, b1},    {Qt::Key_Left, a4},  {Qt::Key_Down, b1},
        {Qt::Key_Down, a1},  {Qt::Key_Left, b3},
    };
    for (const auto& [key, expected] : path) {
        form->Key(key);
        EXPECT_TRUE(expected->Focused()) << Utf8(expected->Name());
    }
}

}  // namespace
