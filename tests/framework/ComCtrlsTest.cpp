// Page controls, progress bars and status bars.
#include "ComCtrls.h"
#include "FrameworkTestSupport.h"
#include "TestSupport.h"

#include <QtTest/QTest>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QTabBar>

#include <gtest/gtest.h>

namespace {

using Log = std::vector<std::string>;

QColor Q(TColor c) {
    return ToQColor(ColorToRGB(c));
}

class ComCtrlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TLoggedForm>(log);
        form->SetBorderStyle(bsNone);
        form->SetBounds(0, 0, 400, 300);
    }
    TTabSheet* Sheet(TPageControl* pages, const QString& caption) {
        auto* sheet = new TTabSheet(form.get());
        sheet->SetCaption(caption);
        sheet->SetPageControl(pages);
        return sheet;
    }
    EventLog log;
    std::unique_ptr<TLoggedForm> form;
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
