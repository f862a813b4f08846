// The align engine: each alignment with several controls, their order by
// position, nesting, padding, anchors, constraints and hidden forms.
#include "FrameworkTestSupport.h"

#include <gtest/gtest.h>

namespace {

TRect R(const TControl* c) {
    return c->BoundsRect();
}

class AlignTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TForm>(nullptr);
        form->SetBorderStyle(bsNone);
        form->SetBounds(0, 0, 400, 300);
    }
    // A plain container of the form, placed on parent (the form itself
    // when nil) and aligned.
    TWinControl* Box(TAlign align, Integer l, Integer t, Integer w, Integer h, TWinControl* parent = nullptr) {
        auto* c = Place(new TWinControl(form.get()), parent ? parent : form.get(), l, t, w, h);
        c->SetAlign(align);
        return c;
    }
    std::unique_ptr<TForm> form;
};

TEST_F(AlignTest, TopControlsStackInTheOrderOfTheirTops) {
    // Placed together (as a form resource loads), they keep their order.
    form->DisableAlign();
    auto* b = Box(alTop, 0, 50, 10, 20);
    auto* a = Box(alTop, 0, 10, 10, 30);
    auto* c = Box(alTop, 0, 90, 10, 40);
    form->EnableAlign();
    EXPECT_EQ(R(a), TRect(0, 0, 400, 30));
    EXPECT_EQ(R(b), TRect(0, 30, 400, 50));
    EXPECT_EQ(R(c), TRect(0, 50, 400, 90));
}

TEST_F(AlignTest, BottomControlsStackUpFromTheBottom) {
    form->DisableAlign();
    auto* a = Box(alBottom, 0, 250, 10, 20);
    auto* b = Box(alBottom, 0, 100, 10, 30);
    form->EnableAlign();
    // The lowest bottom edge goes next to the parent's edge.
    EXPECT_EQ(R(a), TRect(0, 280, 400, 300));
    EXPECT_EQ(R(b), TRect(0, 250, 400, 280));
}

TEST_F(AlignTest, LeftRightAndClientShareTheRestInThePlatformOrder) {
    form->DisableAlign();
    auto* top = Box(alTop, 0, 0, 10, 40);
    auto* bottom = Box(alBottom, 0, 0, 10, 30);
    auto* left2 = Box(alLeft, 60, 0, 50, 10);
    auto* left1 = Box(alLeft, 0, 0, 20, 10);
    auto* right = Box(alRight, 0, 0, 70, 10);
    auto* client = Box(alClient, 0, 0, 10, 10);
    form->EnableAlign();
    EXPECT_EQ(R(top), TRect(0, 0, 400, 40));
    EXPECT_EQ(R(bottom), TRect(0, 270, 400, 300));
    EXPECT_EQ(R(left1), TRect(0, 40, 20, 270));
    EXPECT_EQ(R(left2), TRect(20, 40, 70, 270));
    EXPECT_EQ(R(right), TRect(330, 40, 400, 270));
    EXPECT_EQ(R(client), TRect(70, 40, 330, 270));
}

TEST_F(AlignTest, ControlsAlignedOneByOneStackInTheOrderTheyCame) {
    auto* b = Box(alTop, 0, 50, 10, 20);
    auto* a = Box(alTop, 0, 10, 10, 30);
    // b was placed at the top before a came.
    EXPECT_EQ(R(b), TRect(0, 0, 400, 20));
    EXPECT_EQ(R(a), TRect(0, 20, 400, 50));
}

TEST_F(AlignTest, AControlThatMovesIsPlacedByItsNewPosition) {
    auto* a = Box(alTop, 0, 0, 10, 30);
    auto* b = Box(alTop, 0, 40, 10, 20);
    EXPECT_EQ(R(a).Top, 0);
    // Moving b above a puts it first.
    b->SetTop(-5);
    EXPECT_EQ(R(b), TRect(0, 0, 400, 20));
    EXPECT_EQ(R(a), TRect(0, 20, 400, 50));
}

TEST_F(AlignTest, HiddenControlsTakeNoSpace) {
    auto* a = Box(alTop, 0, 0, 10, 30);
    auto* b = Box(alTop, 0, 40, 10, 20);
    a->Hide();
    EXPECT_EQ(R(b), TRect(0, 0, 400, 20));
    a->Show();
    EXPECT_EQ(R(b), TRect(0, 30, 400, 50));
}

TEST_F(AlignTest, NestedPanelsFollowAResizeOfAHiddenFormAtOnce) {
    ASSERT_FALSE(form->Visible());
    auto* header = Box(alTop, 0, 0, 10, 50);
    auto* body = Box(alClient, 0, 0, 10, 10);
    auto* side = Box(alRight, 0, 0, 80, 10, body);
    auto* inner = Box(alClient, 0, 0, 10, 10, body);
    int resizes = 0;
    inner->OnResize = [&](TObject*) { ++resizes; };
    form->SetWidth(form->Width() - 1);
    EXPECT_EQ(resizes, 1);
    EXPECT_EQ(R(header), TRect(0, 0, 399, 50));
    EXPECT_EQ(R(body), TRect(0, 50, 399, 300));
    EXPECT_EQ(R(side), TRect(319, 0, 399, 250));
    EXPECT_EQ(R(inner), TRect(0, 0, 319, 250));
    form->SetWidth(form->Width() + 1);
    EXPECT_EQ(resizes, 2);
    EXPECT_EQ(R(inner), TRect(0, 0, 320, 250));
    // No widget was needed for any of it.
    EXPECT_FALSE(form->HandleAllocated());
}

TEST_F(AlignTest, PaddingKeepsSpaceFree) {
    form->Padding()->SetBounds(5, 6, 7, 8);
    auto* client = Box(alClient, 0, 0, 10, 10);
    EXPECT_EQ(R(client), TRect(5, 6, 393, 292));
}

TEST_F(AlignTest, AControlThatRefusesTheSizeGivesTheSpaceBack) {
    auto* a = Box(alLeft, 0, 0, 50, 10);
    a->Constraints()->SetMaxWidth(30);
    auto* client = Box(alClient, 0, 0, 10, 10);
    EXPECT_EQ(R(a).Width(), 30);
    EXPECT_EQ(R(client), TRect(30, 0, 400, 300));
    auto* top = Box(alTop, 0, 0, 10, 20);
    top->Constraints()->SetMaxHeight(300);
    // alTop keeps its own height; alClient may be refused its height.
    client->Constraints()->SetMaxHeight(100);
    EXPECT_EQ(R(client), TRect(30, 20, 400, 120));
}

TEST_F(AlignTest, AnchorsKeepTheDistancesToTheParentsEdges) {
    auto* right = Box(alNone, 300, 250, 50, 20);
    right->SetAnchors({akRight, akBottom});
    auto* wide = Box(alNone, 10, 10, 380, 20);
    wide->SetAnchors({akLeft, akTop, akRight});
    auto* fixed = Box(alNone, 10, 40, 20, 20);
    form->SetBounds(0, 0, 500, 350);
    EXPECT_EQ(R(right), TRect(400, 300, 450, 320));
    EXPECT_EQ(R(wide), TRect(10, 10, 490, 30));
    EXPECT_EQ(R(fixed), TRect(10, 40, 30, 60));
}

TEST_F(AlignTest, OnResizeComesOnEachChangeButNotForAMove) {
    auto* c = Box(alNone, 0, 0, 50, 50);
    int resizes = 0;
    c->OnResize = [&](TObject*) { ++resizes; };
    c->SetWidth(60);
    c->SetHeight(70);
    c->SetLeft(5);
    c->SetBounds(5, 0, 60, 70);
    EXPECT_EQ(resizes, 2);
}

TEST_F(AlignTest, OnCanResizeMayChangeOrRefuseASizeAndOnConstrainedResizeTheLimits) {
    auto* c = Box(alNone, 0, 0, 50, 50);
    c->OnCanResize = [](TObject*, Integer& w, Integer&, bool& resize) {
        if (w > 200) resize = false;
        else w += 1;
    };
    c->SetWidth(60);
    EXPECT_EQ(R(c), TRect(0, 0, 61, 50));
    c->SetWidth(300);
    EXPECT_EQ(R(c).Width(), 61);
    c->Constraints()->SetMaxHeight(80);
    c->OnConstrainedResize = [](TObject*, Integer&, Integer& minH, Integer&, Integer& maxH) {
        minH = 20;
        maxH += 10;
    };
    c->SetHeight(150);
    EXPECT_EQ(R(c).Height(), 90);
    c->SetHeight(5);
    EXPECT_EQ(R(c).Height(), 20);
}

TEST_F(AlignTest, DisabledAlignIsCaughtUpWhenEnabled) {
    form->DisableAlign();
    auto* a = Box(alClient, 0, 0, 10, 10);
    EXPECT_EQ(R(a), TRect(0, 0, 10, 10));
    form->EnableAlign();
    EXPECT_EQ(R(a), TRect(0, 0, 400, 300));
}

TEST_F(AlignTest, AFormBuiltInsideTheLoadingBracketAlignsWhenLoaded) {
    form->BeginLoading();
    auto* a = Box(alTop, 0, 0, 10, 25);
    EXPECT_EQ(R(a), TRect(0, 0, 10, 25));
    form->EndLoading();
    EXPECT_EQ(R(a), TRect(0, 0, 400, 25));
}

}  // namespace
