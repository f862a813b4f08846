// The tool bar: layout in one row, check buttons and groups clicked with the
// real mouse, gaps, images and the pressed face, and hints.
#include "ComCtrls.h"
#include "FrameworkTestSupport.h"
#include "GraphicsTestSupport.h"
#include "TestSupport.h"

#include <QtGui/QHelpEvent>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QToolTip>

#include <gtest/gtest.h>

namespace {

class ToolBarTest : public LoggedFormTest {
protected:
    ToolBarTest() {
        form->SetBounds(0, 0, 400, 200);
        bar = new TToolBar(form.get());
        bar->SetParent(form.get());
    }
    TToolButton* Add(const QString& name, TToolButtonStyle style, bool grouped = false) {
        auto* b = new TToolButton(form.get());
        b->SetName(name);
        b->SetStyle(style);
        b->SetGrouped(grouped);
        b->SetParent(bar);
        b->OnClick = [this](TObject* s) { log.Add("Click:" + Utf8(static_cast<TComponent*>(s)->Name())); };
        return b;
    }
    // Three zoom buttons in a group, a gap, two plain buttons, a divider and a toggle.
    void Build() {
        fit = Add("Fit", tbsCheck, true);
        width = Add("Width", tbsCheck, true);
        full = Add("Full", tbsCheck, true);
        Add("Gap", tbsSeparator);
        first = Add("First", tbsButton);
        next = Add("Next", tbsButton);
        Add("Line", tbsDivider);
        toggle = Add("Toggle", tbsCheck);
    }
    QImage Grab(TControl* c) {
        const QPoint at = c->Handle()->mapTo(form->Handle(), QPoint(0, 0));
        return form->Handle()->grab(QRect(at, QSize(c->Width(), c->Height()))).toImage();
    }
    TToolBar* bar;
    TToolButton *fit, *width, *full, *first, *next, *toggle;
};

TEST_F(ToolBarTest, ButtonsLineUpInOneRowAtTheTop) {
    Build();
    EXPECT_EQ(bar->Align(), alTop);
    EXPECT_EQ(bar->Width(), form->ClientWidth());
    EXPECT_EQ(bar->ButtonCount(), 8);
    const Integer lefts[] = {0, 23, 46, 69, 77, 100, 123, 131};
    for (Integer i = 0; i < bar->ButtonCount(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(bar->Buttons(i)->Left(), lefts[i]);
        EXPECT_EQ(bar->Buttons(i)->Top(), 2);
        EXPECT_EQ(bar->Buttons(i)->Height(), 22);
    }
    EXPECT_THROW(bar->Buttons(8), EListError);
    // A hidden button leaves no hole; wider buttons move the rest.
    width->SetVisible(false);
    EXPECT_EQ(full->Left(), 23);
    bar->SetButtonWidth(30);
    EXPECT_EQ(full->Left(), 30);
    EXPECT_EQ(toggle->Left(), 30 * 4 + 8 + 8);
}

TEST_F(ToolBarTest, GroupedCheckButtonsKeepOneDownAndAToggleFlips) {
    Build();
    form->ShowActive();
    ClickControl(width);
    EXPECT_TRUE(width->Down());
    ClickControl(fit);
    EXPECT_TRUE(fit->Down());
    EXPECT_FALSE(width->Down());
    EXPECT_FALSE(full->Down());
    ClickControl(fit);  // the last one down stays down
    EXPECT_TRUE(fit->Down());
    for (TToolButton* b : {fit, width, full}) b->SetAllowAllUp(true);
    ClickControl(fit);
    EXPECT_FALSE(fit->Down());

    ClickControl(toggle);
    EXPECT_TRUE(toggle->Down());
    ClickControl(full);
    EXPECT_TRUE(toggle->Down()) << "outside the group";
    ClickControl(toggle);
    EXPECT_FALSE(toggle->Down());

    ClickControl(first);
    EXPECT_FALSE(first->Down());
    EXPECT_EQ(log.With("Click:"), (std::vector<std::string>{"Click:Width", "Click:Fit", "Click:Fit", "Click:Fit",
                                                             "Click:Toggle", "Click:Full", "Click:Toggle",
                                                             "Click:First"}));
}

TEST_F(ToolBarTest, GapsAndDisabledButtonsTakeNoClicks) {
    Build();
    form->ShowActive();
    ClickControl(bar->Buttons(3));
    ClickControl(bar->Buttons(6));
    next->SetEnabled(false);
    ClickControl(next);
    EXPECT_TRUE(log.With("Click:").empty());
    // A gap between grouped buttons splits the group.
    auto* other = Add("Other", tbsCheck, true);
    form->Handle();
    ClickControl(other);
    ClickControl(fit);
    EXPECT_TRUE(other->Down());
    EXPECT_TRUE(fit->Down());
    // A check button turned into a plain one goes up.
    other->SetStyle(tbsButton);
    EXPECT_FALSE(other->Down());
}

TEST_F(ToolBarTest, ImagesAndThePressedFaceAreDrawn) {
    TImageList images(16, 16);
    auto strip = std::make_unique<TBitmap>();
    strip->SetPixelFormat(pf24bit);
    strip->SetSize(32, 16);
    strip->Canvas()->Brush()->SetColor(clRed);
    strip->Canvas()->FillRect(TRect(0, 0, 16, 16));
    strip->Canvas()->Brush()->SetColor(clBlue);
    strip->Canvas()->FillRect(TRect(16, 0, 32, 16));
    images.Add(strip.get(), nullptr);
    Build();
    bar->SetImages(&images);
    fit->SetImageIndex(0);
    width->SetImageIndex(1);
    width->SetCaption("hidden");
    form->ShowActive();
    fit->SetDown(true);
    const QImage down = Grab(fit);
    const QImage up = Grab(width);
    SaveTestImage(down, "ToolButtonDown");
    SaveTestImage(up, "ToolButtonUp");
    // The 16 x 16 image sits in the middle of 23 x 22 (at 3, 3), one pixel further when down.
    EXPECT_EQ(up.pixelColor(3, 3), QColor(0, 0, 255));
    EXPECT_EQ(up.pixelColor(18, 18), QColor(0, 0, 255));
    EXPECT_NE(up.pixelColor(2, 2), QColor(0, 0, 255));
    EXPECT_EQ(down.pixelColor(4, 4), QColor(255, 0, 0));
    EXPECT_NE(down.pixelColor(3, 3), QColor(255, 0, 0));
    // Down shows a sunken edge: dark at the top left, light at the bottom right.
    EXPECT_EQ(down.pixelColor(0, 0), ToQColor(ColorToRGB(clBtnShadow)));
    EXPECT_EQ(down.pixelColor(22, 21), ToQColor(ColorToRGB(clBtnHighlight)));
    EXPECT_EQ(up.pixelColor(0, 0), up.pixelColor(1, 10)) << "a flat button up shows no edge";
    // No caption is painted: outside the image the face is plain.
    for (int x = 0; x < 3; ++x) EXPECT_EQ(up.pixelColor(x, 20), up.pixelColor(1, 1));
    // Freeing the list leaves the buttons without images.
    bar->SetImages(nullptr);
    EXPECT_EQ(bar->Images(), nullptr);
}

TEST_F(ToolBarTest, HintsShowWhereTheFormOrTheBarAsksForThem) {
    Build();
    fit->SetHint("Zoom to fit|Shows the whole page");
    first->SetHint("First page");
    form->ShowActive();
    // The tip shown after the mouse rests on the control; a control that
    // shows none leaves the tip shown before in place.
    const auto tip = [&](TControl* c) {
        const QPoint global = c->Handle()->mapToGlobal(QPoint(5, 5));
        QToolTip::showText(global, "(none)");
        QHelpEvent event(QEvent::ToolTip, QPoint(5, 5), global);
        QApplication::sendEvent(c->Handle(), &event);
        return QToolTip::text() == "(none)" ? QString() : QToolTip::text();
    };
    EXPECT_EQ(tip(fit), QString());
    form->SetShowHint(true);
    EXPECT_TRUE(fit->ShowHint());
    EXPECT_EQ(tip(fit), "Zoom to fit");
    EXPECT_EQ(tip(first), "First page");
    first->SetShowHint(false);
    EXPECT_FALSE(first->ParentShowHint());
    EXPECT_EQ(tip(first), QString());
    bar->SetShowHint(false);
    EXPECT_EQ(tip(fit), QString());
    QToolTip::hideText();
}

}  // namespace
