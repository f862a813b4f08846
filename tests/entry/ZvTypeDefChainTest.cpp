// Whether a control can take the focus through its parents, and whether it
// lies inside a container: panels, tab sheets and controls without owner.
#include "ZvTypeDef.h"

#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrlsEdit.h"

#include <gtest/gtest.h>

namespace {

class ChainTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TForm>(nullptr);
        panel = new TPanel(form.get());
        panel->SetParent(form.get());
        inner = new TPanel(form.get());
        inner->SetParent(panel);
        edit = new TEdit(form.get());
        edit->SetParent(inner);
        pages = new TPageControl(form.get());
        pages->SetParent(form.get());
        first = new TTabSheet(form.get());
        first->SetPageControl(pages);
        second = new TTabSheet(form.get());
        second->SetPageControl(pages);
        pages->SetActivePage(first);
        onSecond = new TEdit(form.get());
        onSecond->SetParent(second);
    }

    std::unique_ptr<TForm> form;
    TPanel* panel = nullptr;
    TPanel* inner = nullptr;
    TEdit* edit = nullptr;
    TPageControl* pages = nullptr;
    TTabSheet* first = nullptr;
    TTabSheet* second = nullptr;
    TEdit* onSecond = nullptr;
};

TEST_F(ChainTest, EveryParentUpToTheFormMustBeVisibleAndEnabled) {
    EXPECT_TRUE(IsVisibleEnabledChain(edit, false));
    panel->SetEnabled(false);
    EXPECT_FALSE(IsVisibleEnabledChain(edit, false));
    EXPECT_TRUE(edit->Enabled());
    panel->SetEnabled(true);
    inner->SetVisible(false);
    EXPECT_FALSE(IsVisibleEnabledChain(edit, true));
    inner->SetVisible(true);
    edit->SetEnabled(false);
    EXPECT_FALSE(IsVisibleEnabledChain(edit, false));
    // The form itself is not asked: it is hidden here.
    edit->SetEnabled(true);
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(IsVisibleEnabledChain(edit, false));
}

TEST_F(ChainTest, AHiddenTabSheetCountsOnlyWhenAskedFor) {
    EXPECT_FALSE(second->Visible());
    EXPECT_FALSE(IsVisibleEnabledChain(onSecond, false));
    EXPECT_TRUE(IsVisibleEnabledChain(onSecond, true));
    second->SetEnabled(false);
    EXPECT_FALSE(IsVisibleEnabledChain(onSecond, true));
    // Only a tab sheet is excused: a hidden panel is not.
    panel->SetVisible(false);
    EXPECT_FALSE(IsVisibleEnabledChain(edit, true));
}

TEST_F(ChainTest, AControlWithoutOwnerOrMissingIsNeverFocusable) {
    EXPECT_FALSE(IsVisibleEnabledChain(nullptr, true));
    TEdit loose(nullptr);
    EXPECT_FALSE(IsVisibleEnabledChain(&loose, false));
    TPanel holder(nullptr);
    auto* owned = new TEdit(&holder);
    owned->SetParent(&holder);
    // The parent has no owner either.
    EXPECT_FALSE(IsVisibleEnabledChain(owned, false));
}

TEST_F(ChainTest, InsideAContainerAtAnyDepth) {
    EXPECT_TRUE(IsInsideContainer(edit, inner));
    EXPECT_TRUE(IsInsideContainer(edit, panel));
    EXPECT_TRUE(IsInsideContainer(edit, form.get()));
    EXPECT_FALSE(IsInsideContainer(edit, pages));
    EXPECT_FALSE(IsInsideContainer(panel, panel));
    EXPECT_FALSE(IsInsideContainer(nullptr, panel));
    TEdit loose(nullptr);
    EXPECT_FALSE(IsInsideContainer(&loose, panel));
}

}  // namespace
