// The control core: parents and ownership, z-order, coordinates, messages,
// the mouse, parent font and colour, and painting through the canvas.
#include "FrameworkTestSupport.h"
#include "Menus.h"
#include "TestSupport.h"

#include <QtTest/QTest>
#include <QtWidgets/QApplication>

#include <gtest/gtest.h>

namespace {

using Log = std::vector<std::string>;

// A windowless control that logs its mouse steps and fills itself.
class TSpot : public TGraphicControl {
public:
    TSpot(TComponent* owner, EventLog& log, const QString& name, TColor fill)
        : TGraphicControl(owner), log_(log), fill_(fill) {
        SetName(name);
    }
    std::vector<TMessage> messages;

protected:
    void Paint() override {
        Canvas()->Brush()->SetColor(fill_);
        Canvas()->FillRect(ClientRect());
    }
    void MouseDown(TMouseButton, TShiftState s, Integer X, Integer Y) override {
        log_.Add("MouseDown:" + Utf8(Name()) + ":" + std::to_string(X) + "," + std::to_string(Y) +
                 (s.Contains(ssDouble) ? ":double" : ""));
    }
    void MouseUp(TMouseButton, TShiftState, Integer, Integer) override { log_.Add("MouseUp:" + Utf8(Name())); }
    void Click() override {
        log_.Add("Click:" + Utf8(Name()));
        TGraphicControl::Click();
    }
    void DblClick() override { log_.Add("DblClick:" + Utf8(Name())); }
    void WndProc(TMessage& m) override {
        if (m.Msg >= WM_USER && m.Msg < WM_USER + 0x100) {
            messages.push_back(m);
            m.Result = LRESULT(m.WParam + m.LParam);
            return;
        }
        TGraphicControl::WndProc(m);
    }

private:
    EventLog& log_;
    TColor fill_;
};

class TColoredPanel : public TCustomControl {
public:
    using TCustomControl::TCustomControl;

protected:
    void Paint() override {
        Canvas()->Brush()->SetColor(clYellow);
        Canvas()->FillRect(TRect(0, 0, 10, 10));
    }
};

class ControlsTest : public LoggedFormTest {
protected:
    void SetUp() override { form->OnClick = [this](TObject*) { log.Add("FormClick"); }; }
};

TEST_F(ControlsTest, AParentFreesItsChildrenWhoeverOwnsThem) {
    TComponent owner(nullptr);
    auto* box = new TWinControl(&owner);
    box->SetParent(form.get());
    auto* a = new TSpot(&owner, log, "a", clRed);
    auto* b = new TWinControl(&owner);
    a->SetParent(box);
    b->SetParent(box);
    ASSERT_EQ(box->ControlCount(), 2);
    EXPECT_EQ(box->Controls(0), a);
    EXPECT_EQ(box->Controls(1), b);
    EXPECT_EQ(box->FindChildControl(QStringLiteral("A")), a);
    EXPECT_TRUE(form->ContainsControl(a));
    EXPECT_EQ(GetParentForm(a), form.get());
    EXPECT_EQ(owner.ComponentCount(), 3);
    delete box;
    EXPECT_EQ(owner.ComponentCount(), 0);
    EXPECT_THROW(form->Controls(5), EListError);
}

TEST_F(ControlsTest, AControlCannotGoInsideItself) {
    auto* box = Place(new TWinControl(form.get()), form.get(), 0, 0, 100, 100);
    auto* inner = Place(new TWinControl(form.get()), box, 0, 0, 50, 50);
    auto* deepest = Place(new TWinControl(form.get()), inner, 0, 0, 10, 10);
    EXPECT_THROW(box->SetParent(box), EInvalidOperation);
    EXPECT_THROW(box->SetParent(deepest), EInvalidOperation);
    // Nothing moved.
    EXPECT_EQ(box->Parent(), form.get());
    EXPECT_EQ(deepest->Parent(), inner);
    EXPECT_EQ(GetParentForm(deepest), form.get());
    inner->SetParent(form.get());
    EXPECT_EQ(box->ControlCount(), 0);
}

TEST_F(ControlsTest, ZOrderKeepsWindowlessControlsUnderWindowedOnes) {
    auto* shape = Place(new TSpot(form.get(), log, "shape", clRed), form.get(), 10, 10, 50, 50);
    auto* label = Place(new TSpot(form.get(), log, "label", clBlue), form.get(), 20, 20, 50, 50);
    auto* panel = Place(new TWinControl(form.get()), form.get(), 40, 40, 50, 50);
    form->ShowActive();
    shape->BringToFront();
    EXPECT_EQ(form->Controls(form->ControlCount() - 1), shape);
    const auto children = form->Handle()->children();
    auto pos = [&](TControl* c) { return children.indexOf(c->Widget()); };
    EXPECT_LT(pos(label), pos(shape));  // shape above label now
    EXPECT_LT(pos(shape), pos(panel));  // windowed stays on top
    // The shape paints over the label where they overlap.
    const QImage image = form->Handle()->grab().toImage();
    EXPECT_EQ(image.pixelColor(30, 30), QColor(255, 0, 0));
    shape->SendToBack();
    EXPECT_EQ(form->Controls(0), shape);
    EXPECT_EQ(form->Handle()->grab().toImage().pixelColor(30, 30), QColor(0, 0, 255));
}

// Widgets made when the form is first shown are stacked once, after all of
// them: restacking after each would raise n * n / 2 widgets.
TEST_F(ControlsTest, AFormShownFirstStacksItsChildrenOnce) {
    constexpr int kEach = 12;
    std::vector<TControl*> windowless, windowed;
    for (int i = 0; i < kEach; ++i) {
        windowed.push_back(Place(new TWinControl(form.get()), form.get(), i * 20, 0, 10, 10));
        windowless.push_back(Place(new TSpot(form.get(), log, QStringLiteral("s%1").arg(i), clRed), form.get(),
                                   i * 20, 20, 10, 10));
    }
    struct Counter : QObject {
        int raised = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::ZOrderChange) ++raised;
            return false;
        }
    } counter;
    qApp->installEventFilter(&counter);
    form->ShowActive();
    qApp->removeEventFilter(&counter);
    EXPECT_LE(counter.raised, 2 * kEach);
    const auto children = form->Handle()->children();
    auto pos = [&](TControl* c) { return children.indexOf(c->Widget()); };
    for (int i = 1; i < kEach; ++i) {
        EXPECT_LT(pos(windowless[i - 1]), pos(windowless[i]));
        EXPECT_LT(pos(windowed[i - 1]), pos(windowed[i]));
    }
    EXPECT_LT(pos(windowless.back()), pos(windowed.front()));
}

TEST_F(ControlsTest, ClientCoordinatesMapThroughNestedParents) {
    form->SetBounds(100, 50, 400, 300);
    auto* outer = Place(new TWinControl(form.get()), form.get(), 20, 30, 200, 200);
    auto* inner = Place(new TWinControl(form.get()), outer, 5, 7, 100, 100);
    const TPoint origin = form->ClientOrigin();
    EXPECT_EQ(inner->ClientOrigin(), TPoint(origin.X + 25, origin.Y + 37));
    const TPoint p = inner->ClientToScreen(TPoint(3, 4));
    EXPECT_EQ(inner->ScreenToClient(p), TPoint(3, 4));
    EXPECT_EQ(inner->ClientToParent(TPoint(3, 4), form.get()), TPoint(28, 41));
    EXPECT_EQ(inner->ParentToClient(TPoint(28, 41), form.get()), TPoint(3, 4));
    form->ShowActive();
    // Once shown, the positions agree with where Qt put the widgets.
    const QPoint global = inner->Widget()->mapToGlobal(QPoint(3, 4));
    EXPECT_EQ(inner->ClientToScreen(TPoint(3, 4)), TPoint(global.x(), global.y()));
}

TEST_F(ControlsTest, PerformIsSynchronousAndPostedMessagesComeLater) {
    auto* spot = Place(new TSpot(form.get(), log, "spot", clRed), form.get(), 0, 0, 10, 10);
    EXPECT_EQ(spot->Perform(WM_USER + 1, 2, 3), 5);
    EXPECT_EQ(SendMessage(spot, WM_USER + 2, 4, 5), 9);
    ASSERT_TRUE(PostMessage(spot, WM_USER + 4, 7, 8));
    EXPECT_EQ(spot->messages.size(), 2u);
    QApplication::processEvents();
    ASSERT_EQ(spot->messages.size(), 3u);
    EXPECT_EQ(spot->messages[2].Msg, WM_USER + 4);
    EXPECT_EQ(spot->messages[2].WParam, 7u);
}

TEST_F(ControlsTest, AMessagePostedToAFreedControlIsDropped) {
    auto* spot = Place(new TSpot(form.get(), log, "spot", clRed), form.get(), 0, 0, 10, 10);
    PostMessage(spot, WM_USER, 1, 2);
    delete spot;
    QApplication::processEvents();  // nothing to crash on
    SUCCEED();
}

TEST_F(ControlsTest, AControlSwallowsClicksAndADisabledOnePassesThemOn) {
    auto* spot = Place(new TSpot(form.get(), log, "spot", clRed), form.get(), 10, 10, 50, 50);
    form->ShowActive();
    MouseClick(form.get(), QPoint(20, 25));
    EXPECT_EQ(log.Entries(), (Log{"MouseDown:spot:10,15", "Click:spot", "MouseUp:spot"}));
    log.Clear();
    spot->SetEnabled(false);
    MouseClick(form.get(), QPoint(20, 25));
    EXPECT_EQ(log.Entries(), (Log{"FormClick"}));
    log.Clear();
    MouseClick(form.get(), QPoint(200, 200));
    EXPECT_EQ(log.Entries(), (Log{"FormClick"}));
}

TEST_F(ControlsTest, AReleaseOutsideTheControlIsNoClick) {
    Place(new TSpot(form.get(), log, "spot", clRed), form.get(), 10, 10, 50, 50);
    form->ShowActive();
    MousePress(form.get(), QPoint(20, 20));
    MouseRelease(form.get(), QPoint(150, 150));
    EXPECT_EQ(log.Entries(), (Log{"MouseDown:spot:10,10", "MouseUp:spot"}));
}

TEST_F(ControlsTest, DoubleClickGivesDblClickAndASecondPress) {
    Place(new TSpot(form.get(), log, "spot", clRed), form.get(), 10, 10, 50, 50);
    form->ShowActive();
    MouseDClick(form.get(), QPoint(20, 20));
    EXPECT_EQ(log.Entries(), (Log{"MouseDown:spot:10,10", "Click:spot", "MouseUp:spot", "DblClick:spot",
                                  "MouseDown:spot:10,10:double", "MouseUp:spot"}));
}

TEST_F(ControlsTest, FontAndColorComeFromTheParentUntilSetOnTheChild) {
    auto* panel = Place(new TWinControl(form.get()), form.get(), 0, 0, 100, 100);
    auto* child = Place(new TWinControl(form.get()), panel, 0, 0, 50, 50);
    child->SetParentColor(true);
    form->Font()->SetName(QStringLiteral("ＭＳ ゴシック"));
    form->Font()->SetHeight(-15);
    EXPECT_EQ(child->Font()->Name(), "ＭＳ ゴシック");
    EXPECT_EQ(child->Font()->Height(), -15);
    EXPECT_TRUE(child->ParentFont());
    panel->SetColor(clAqua);
    EXPECT_EQ(child->Color(), clAqua);
    child->Font()->SetHeight(-20);
    EXPECT_FALSE(child->ParentFont());
    form->Font()->SetHeight(-11);
    EXPECT_EQ(child->Font()->Height(), -20);
    EXPECT_EQ(panel->Font()->Height(), -11);
    child->SetColor(clRed);
    EXPECT_FALSE(child->ParentColor());
    panel->SetColor(clLime);
    EXPECT_EQ(child->Color(), clRed);
}

TEST_F(ControlsTest, ReadingOrderComesFromTheParentUntilSetOnTheChild) {
    auto* panel = Place(new TWinControl(form.get()), form.get(), 0, 0, 100, 100);
    form->SetBiDiMode(bdRightToLeft);
    auto* child = Place(new TWinControl(form.get()), panel, 0, 0, 50, 50);
    EXPECT_EQ(child->BiDiMode(), bdRightToLeft);
    panel->SetBiDiMode(bdRightToLeftReadingOnly);
    EXPECT_FALSE(panel->ParentBiDiMode());
    EXPECT_EQ(child->BiDiMode(), bdRightToLeftReadingOnly);
    child->SetBiDiMode(bdLeftToRight);
    EXPECT_FALSE(child->ParentBiDiMode());
    panel->SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(child->BiDiMode(), bdLeftToRight);
    child->SetParentBiDiMode(true);
    EXPECT_EQ(child->BiDiMode(), bdRightToLeft);
}

TEST_F(ControlsTest, TheThreeDimensionalLookComesFromTheParentUntilSetOnTheChild) {
    auto* panel = Place(new TWinControl(form.get()), form.get(), 0, 0, 100, 100);
    auto* kept = Place(new TWinControl(form.get()), panel, 0, 0, 50, 50);
    form->SetCtl3D(false);
    EXPECT_FALSE(panel->Ctl3D());
    EXPECT_TRUE(panel->ParentCtl3D());
    EXPECT_FALSE(kept->Ctl3D());
    kept->SetCtl3D(true);
    EXPECT_FALSE(kept->ParentCtl3D());
    form->SetCtl3D(true);
    form->SetCtl3D(false);
    EXPECT_TRUE(kept->Ctl3D());
    auto* placed = Place(new TWinControl(form.get()), panel, 50, 0, 50, 50);
    EXPECT_FALSE(placed->Ctl3D()) << "a new child takes its parent's";
    kept->SetParentCtl3D(true);
    EXPECT_FALSE(kept->Ctl3D());
}

TEST_F(ControlsTest, ComponentMessagesReachTheHooks) {
    struct THooked : TControl {
        using TControl::TControl;
        Log seen;
        void CMFontChanged(TMessage& m) override {
            seen.push_back("font");
            TControl::CMFontChanged(m);
        }
        void CMTextChanged(TMessage& m) override {
            seen.push_back("text");
            TControl::CMTextChanged(m);
        }
        void CMEnabledChanged(TMessage& m) override {
            seen.push_back("enabled");
            TControl::CMEnabledChanged(m);
        }
        void CMColorChanged(TMessage& m) override {
            seen.push_back("color");
            TControl::CMColorChanged(m);
        }
    };
    THooked c(nullptr);
    c.Font()->SetSize(12);
    c.SetCaption(QStringLiteral("見出し"));
    c.SetCaption(QStringLiteral("見出し"));  // unchanged: no message
    c.SetEnabled(false);
    c.SetColor(clRed);
    EXPECT_EQ(c.seen, (Log{"font", "text", "enabled", "color"}));
    EXPECT_EQ(c.Text(), "見出し");
}

TEST_F(ControlsTest, ContextMenuOffersOnContextPopupThenShowsThePopupMenu) {
    auto* spot = Place(new TSpot(form.get(), log, "spot", clRed), form.get(), 10, 10, 50, 50);
    auto* menu = new TPopupMenu(form.get());
    auto* item = new TMenuItem(form.get());
    item->SetCaption(QStringLiteral("コピー"));
    item->OnClick = [this](TObject*) { log.Add("Copy"); };
    menu->Items()->Add(item);
    spot->SetPopupMenu(menu);
    TPoint shownAt;
    SetPopupHook([&](TPopupMenu* m, TPoint p) {
        shownAt = p;
        return m->Items()->Items(0);
    });
    form->ShowActive();
    const QPoint local(20, 20);
    QContextMenuEvent e(QContextMenuEvent::Mouse, local, form->Handle()->mapToGlobal(local));
    QApplication::sendEvent(spot->Widget(), &e);
    EXPECT_EQ(log.Entries(), (Log{"Copy"}));
    EXPECT_EQ(menu->PopupComponent(), spot);
    EXPECT_EQ(shownAt, TPoint(form->Handle()->mapToGlobal(local).x(), form->Handle()->mapToGlobal(local).y()));
    log.Clear();
    spot->OnContextPopup = [](TObject*, TPoint, bool& handled) { handled = true; };
    QApplication::sendEvent(spot->Widget(), &e);
    EXPECT_EQ(log.Entries(), Log{});
    SetPopupHook(nullptr);
    delete menu;
    EXPECT_EQ(spot->PopupMenu(), nullptr);  // told of the removal
}

TEST_F(ControlsTest, ACustomControlPaintsThroughItsCanvas) {
    auto* panel = Place(new TColoredPanel(form.get()), form.get(), 30, 40, 60, 60);
    panel->SetColor(clNavy);
    form->ShowActive();
    const QImage image = form->Handle()->grab().toImage();
    SaveTestImage(image, QStringLiteral("ControlsCustomControl"));
    EXPECT_EQ(image.pixelColor(35, 45), QColor(255, 255, 0));  // painted
    EXPECT_EQ(image.pixelColor(80, 90), QColor(0, 0, 128));    // its background colour
}

TEST_F(ControlsTest, AControlWithoutParentWindowHasNoWidget) {
    TWinControl orphan(nullptr);
    orphan.SetBounds(0, 0, 10, 10);
    EXPECT_FALSE(orphan.HandleAllocated());
    EXPECT_THROW(orphan.Handle(), EInvalidOperation);
    EXPECT_FALSE(orphan.CanFocus());
    orphan.SetName("orphan");
    try {
        orphan.SetFocus();
        ADD_FAILURE() << "SetFocus without a form";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), "Control 'orphan' has no parent window");
    }
    EXPECT_THROW(orphan.ClientToParent(TPoint(1, 1)), EInvalidOperation);
    EXPECT_THROW(orphan.ParentToClient(TPoint(1, 1)), EInvalidOperation);
    EXPECT_THROW(ValidParentForm(nullptr), EInvalidOperation);
}

TEST_F(ControlsTest, AcceleratorsOfCaptions) {
    EXPECT_EQ(GetHotkey(QStringLiteral("はい(&Y)")), QLatin1Char('Y'));
    EXPECT_EQ(GetHotkey(QStringLiteral("A && B")), QChar());
    EXPECT_EQ(StripHotkey(QStringLiteral("&File && &Edit")), "File & Edit");
}

}  // namespace
