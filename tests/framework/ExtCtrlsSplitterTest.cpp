// The splitter: dragged with the real mouse, it resizes the control beside
// it within its limits, on each side it can be aligned to.
#include "ExtCtrls.h"
#include "FrameworkTestSupport.h"
#include "TestSupport.h"

#include <QtTest/QTest>
#include <QtWidgets/QWidget>

#include <gtest/gtest.h>

namespace {

class SplitterTest : public LoggedFormTest {
protected:
    SplitterTest() { form->SetBounds(0, 0, 400 + 8, 200 + 17); }
    TPanel* Panel(TAlign align, Integer size) {
        auto* p = new TPanel(form.get());
        p->SetParent(form.get());
        p->SetAlign(align);
        if (align == alLeft || align == alRight) p->SetWidth(size);
        else p->SetHeight(size);
        return p;
    }
    // A splitter placed where it belongs (beyond the control it resizes), then aligned.
    TSplitter* Splitter(TAlign align, Integer left, Integer top) {
        auto* s = new TSplitter(form.get());
        s->SetAlign(align);
        s->SetBounds(left, top, 3, 3);
        s->SetParent(form.get());
        s->OnMoved = [this](TObject*) { log.Add("Moved"); };
        return s;
    }
    // Presses in the middle of the splitter, moves by (dx, dy) in steps, releases.
    void Drag(TSplitter* s, int dx, int dy) {
        const QPoint start(s->Left() + s->Width() / 2, s->Top() + s->Height() / 2);
        MousePress(form.get(), start);
        for (int step = 1; step <= 4; ++step)
            QTest::mouseMove(WindowOf(form.get()), start + QPoint(dx * step / 4, dy * step / 4));
        MouseRelease(form.get(), start + QPoint(dx, dy));
    }
};

TEST_F(SplitterTest, DraggingResizesTheControlOnItsLeftWithinLimits) {
    TPanel* left = Panel(alLeft, 100);
    TSplitter* s = Splitter(alLeft, 101, 0);
    TPanel* rest = Panel(alClient, 0);
    ASSERT_EQ(form->ClientWidth(), 400);
    EXPECT_EQ(s->Left(), 100);
    EXPECT_EQ(s->Width(), 3);
    form->ShowActive();
    EXPECT_EQ(s->Handle()->cursor().shape(), Qt::SplitHCursor);

    Drag(s, 50, 7);
    EXPECT_EQ(left->Width(), 150);
    EXPECT_EQ(s->Left(), 150);
    EXPECT_EQ(rest->Left(), 153);
    EXPECT_EQ(rest->Width(), 247);
    EXPECT_EQ(log.With("Moved").size(), 1u);

    Drag(s, -140, 0);
    EXPECT_EQ(left->Width(), s->MinSize());
    Drag(s, 360, 0);  // the rest keeps MinSize: 400 - 3 - 30
    EXPECT_EQ(left->Width(), 367);
    EXPECT_EQ(rest->Width(), 30);

    // A drag that ends where it began changes nothing and moves nothing.
    log.Clear();
    Drag(s, 0, 20);
    EXPECT_EQ(left->Width(), 367);
    EXPECT_TRUE(log.With("Moved").empty());
    SaveTestImage(form->Handle()->grab().toImage(), "SplitterLeft");
}

TEST_F(SplitterTest, RightAndBottomSplittersResizeTheControlBeyondThem) {
    TPanel* right = Panel(alRight, 80);
    TSplitter* vertical = Splitter(alRight, 400 - 81, 0);
    TPanel* bottom = Panel(alBottom, 60);
    TSplitter* horizontal = Splitter(alBottom, 0, 200 - 61);
    Panel(alClient, 0);
    EXPECT_EQ(vertical->Left(), 400 - 80 - 3);
    EXPECT_EQ(horizontal->Top(), 200 - 60 - 3);
    form->ShowActive();
    EXPECT_EQ(horizontal->Handle()->cursor().shape(), Qt::SplitVCursor);

    Drag(vertical, -40, 0);  // moving left widens the right panel
    EXPECT_EQ(right->Width(), 120);
    Drag(horizontal, 0, -25);
    EXPECT_EQ(bottom->Height(), 85);
    EXPECT_EQ(horizontal->Top(), 200 - 85 - 3);
    Drag(horizontal, 0, 80);
    EXPECT_EQ(bottom->Height(), 30);
    EXPECT_EQ(log.With("Moved").size(), 3u);
}

TEST_F(SplitterTest, WithoutANeighbourNothingMoves) {
    TSplitter* s = Splitter(alTop, 0, 0);
    TPanel* rest = Panel(alClient, 0);
    form->ShowActive();
    Drag(s, 0, 40);
    EXPECT_EQ(s->Top(), 0);
    EXPECT_EQ(rest->Top(), 3);
    EXPECT_TRUE(log.With("Moved").empty());
}

}  // namespace
