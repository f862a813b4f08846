// Edit and combo boxes placing themselves in their host panel: every
// alignment in panels of several sizes and insets, fitting the panel
// round the box, panels the align engine sizes, and parents that are no
// panel. Expected places are worked out here from the panel's insets.
#include "EntryTestSupport.h"

#include "ExtCtrls.h"

namespace {

Integer LettersWidth(TControl* box, int count) {
    TCanvas canvas;
    canvas.Font()->Assign(box->Font());
    canvas.Font()->SetName(QStringLiteral("ＭＳ ゴシック"));
    return canvas.TextWidth(QString(count, u'W'));
}

Integer BarHeight(TControl* box) {
    TCanvas canvas;
    canvas.Font()->Assign(box->Font());
    return canvas.TextHeight("|");
}

class SEditLayoutTest : public ::testing::Test {
protected:
    void SetUp() override { form = std::make_unique<TForm>(nullptr); }

    // A panel with the given border width and bevels (width 1 each).
    TPanel* Panel(Integer width, Integer height, Integer borderWidth, TBevelCut outer, TBevelCut inner) {
        auto* p = new TPanel(form.get());
        p->SetParent(form.get());
        p->SetBounds(10, 10, width, height);
        p->SetBorderWidth(borderWidth);
        p->SetBevelOuter(outer);
        p->SetBevelInner(inner);
        return p;
    }
    TSEdit* Edit(TWinControl* parent, Integer width = 50) {
        auto* e = new TSEdit(form.get());
        e->SetParent(parent);
        e->SetBounds(0, 0, width, 20);
        return e;
    }

    std::unique_ptr<TForm> form;
};

TEST_F(SEditLayoutTest, AFittedPanelTakesTheBoxSizePlusItsInsetsAndCentresIt) {
    TPanel* p = Panel(300, 60, 2, bvRaised, bvNone);  // 3 pixels each side
    TSEdit* e = Edit(p);
    e->SetDisplayWidth(10);
    e->SetHorizontalAlign(haCenter);
    e->SetVerticalAlign(vaCenter);
    e->SetFitToParent(true);
    const Integer w = LettersWidth(e, 10) + 2;
    const Integer h = BarHeight(e);
    EXPECT_EQ(e->Width(), w);
    EXPECT_EQ(e->Height(), h);
    EXPECT_EQ(p->Width(), w + 6);
    EXPECT_EQ(p->Height(), h + 6);
    EXPECT_EQ(e->Left(), 3);
    EXPECT_EQ(e->Top(), 3);
    EXPECT_EQ(e->RequiredWidth(), w + 6);
    EXPECT_EQ(e->RequiredHeight(), h + 6);
    EXPECT_EQ(e->HostPanel(), p);
    EXPECT_EQ(p->Color(), e->Color());
}

TEST_F(SEditLayoutTest, EachAlignmentInsideTheUsableRectangle) {
    TPanel* p = Panel(199, 51, 4, bvLowered, bvRaised);  // 6 pixels each side: 187 x 39 usable
    TSEdit* e = Edit(p);
    const Integer h = BarHeight(e);
    struct Case {
        THorizontalAlign ha;
        TVerticalAlign va;
        Integer left, top;
    };
    const Case cases[] = {
        {haLeft, vaTop, 6, 6},
        {haRight, vaBottom, 193 - 50, 45 - h},
        {haCenter, vaCenter, 6 + (187 - 50) / 2, 6 + (39 - h) / 2},
    };
    for (const Case& c : cases) {
        e->SetHorizontalAlign(c.ha);
        e->SetVerticalAlign(c.va);
        EXPECT_EQ(e->Left(), c.left) << c.ha;
        EXPECT_EQ(e->Top(), c.top) << c.va;
        EXPECT_EQ(e->Width(), 50);
        EXPECT_EQ(e->RequiredWidth(), 50);
        EXPECT_EQ(e->RequiredHeight(), h);
    }
    // The panel was not touched, and a moved box goes back to its place.
    EXPECT_EQ(p->Width(), 199);
    e->SetLeft(0);
    EXPECT_EQ(e->Left(), 6 + (187 - 50) / 2);
}

TEST_F(SEditLayoutTest, ClientAlignmentsFillTheUsableRectangle) {
    TPanel* p = Panel(160, 44, 1, bvRaised, bvRaised);  // 3 pixels each side
    TSEdit* e = Edit(p);
    e->SetHorizontalAlign(haClient);
    e->SetVerticalAlign(vaClient);
    EXPECT_EQ(e->BoundsRect(), TRect(3, 3, 157, 41));
    p->SetWidth(200);
    e->Update();
    e->SetLeft(9);
    EXPECT_EQ(e->BoundsRect(), TRect(3, 3, 197, 41));
}

TEST_F(SEditLayoutTest, AHostWithABorderAndPaddingCountsBoth) {
    TPanel* p = Panel(120, 40, 0, bvNone, bvNone);
    p->SetBorderStyle(bsSingle);  // 2 pixels each side outside the client area
    p->Padding()->SetBounds(5, 1, 3, 2);
    TSEdit* e = Edit(p);
    e->SetDisplayWidth(4);
    e->SetHorizontalAlign(haLeft);
    e->SetVerticalAlign(vaTop);
    e->SetFitToParent(true);
    EXPECT_EQ(e->Left(), 5);
    EXPECT_EQ(e->Top(), 1);
    EXPECT_EQ(p->Width(), e->Width() + 4 + 8);
    EXPECT_EQ(p->Height(), e->Height() + 4 + 3);
}

TEST_F(SEditLayoutTest, AlignedPanelsKeepTheSideTheirParentGivesThem) {
    form->SetClientSize(400, 300);
    TPanel* top = Panel(100, 100, 0, bvNone, bvNone);
    top->SetAlign(alTop);
    TSEdit* e = Edit(top);
    e->SetDisplayWidth(6);
    e->SetHorizontalAlign(haLeft);
    e->SetVerticalAlign(vaTop);
    e->SetFitToParent(true);
    EXPECT_EQ(top->Width(), 400);
    EXPECT_EQ(top->Height(), e->Height());
    EXPECT_EQ(e->RequiredWidth(), e->Width());
    TPanel* client = Panel(100, 100, 0, bvNone, bvNone);
    client->SetAlign(alClient);
    TSEdit* f = Edit(client);
    f->SetDisplayWidth(6);
    f->SetFitToParent(true);
    EXPECT_EQ(client->BoundsRect(), TRect(0, top->Height(), 400, 300));
}

TEST_F(SEditLayoutTest, ABoxOutsideAPanelIsNeverPlaced) {
    TSEdit* e = Edit(form.get());
    e->SetBounds(33, 44, 70, 20);
    e->SetDisplayWidth(20);
    e->SetHorizontalAlign(haClient);
    e->SetFitToParent(true);
    EXPECT_EQ(e->BoundsRect(), TRect(33, 44, 103, 64));
    EXPECT_EQ(e->RequiredWidth(), 0);
    EXPECT_EQ(e->HostPanel(), nullptr);
}

TEST_F(SEditLayoutTest, AFlatComboHidesItsFrameAndTheHostCanHideTheButton) {
    TPanel* p = Panel(300, 60, 0, bvNone, bvNone);
    auto* c = new TSComboBox(form.get());
    c->SetParent(p);
    c->SetDisplayWidth(8);
    c->SetFlat(true);
    c->SetFitToParent(true);
    const Integer button = GetSystemMetrics(SM_CXHTHUMB);
    const Integer w = LettersWidth(c, 8) + button + 3;
    EXPECT_EQ(c->Width(), w);
    EXPECT_EQ(c->Left(), 0);
    EXPECT_EQ(c->Top(), 0);
    // Themed and flat: one pixel wider than the box.
    EXPECT_EQ(p->Width(), w + 1);
    EXPECT_EQ(p->Height(), c->Height());
    c->SetHideButton(true);
    EXPECT_EQ(p->Width(), w + 1 - (button + 1));
    c->SetFlat(false);
    EXPECT_EQ(p->Width(), w - 1 - button);
    c->SetHideButton(false);
    c->SetHorizontalAlign(haRight);
    EXPECT_EQ(c->Left(), p->Width() - w);
}

TEST_F(SEditLayoutTest, ComboClientAlignmentsKeepTheFontHeight) {
    TPanel* p = Panel(240, 80, 2, bvNone, bvNone);
    auto* c = new TSComboBox(form.get());
    c->SetParent(p);
    const Integer height = c->Height();
    c->SetHorizontalAlign(haClient);
    c->SetVerticalAlign(vaClient);
    EXPECT_EQ(c->BoundsRect(), TRect(2, 2, 238, 2 + height));
    EXPECT_EQ(p->Height(), 80);
}

}  // namespace
