// Docking by real presses, moves and releases: the order of the dock
// events, the site's influence and refusals, floating windows, the plain
// dock manager, and auto-sized containers.
#include "FrameworkTestSupport.h"

#include "ExtCtrls.h"

#include <QtTest/QTest>
#include <QtWidgets/QApplication>

namespace {

using Log = std::vector<std::string>;

std::string NameOf(const TObject* o) {
    const auto* c = dynamic_cast<const TComponent*>(o);
    if (!c) return o ? "object" : "nil";
    return c->Name().isEmpty() ? "floating" : Utf8(c->Name());
}

std::string StateName(TDragState state) {
    switch (state) {
    case dsDragEnter: return "enter";
    case dsDragLeave: return "leave";
    default: return "move";
    }
}

std::string At(Integer x, Integer y) {
    return QStringLiteral(" %1,%2").arg(x).arg(y).toStdString();
}

// The dock frame's windows that show now.
int FrameWindowsShown() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) n += w->isVisible() && w->windowType() == Qt::ToolTip;
    return n;
}

class DockTest : public ::testing::Test {
protected:
    DockTest() : form(WhiteForm(400, 200)) {
        site = NewSite("site", 200, 20, 150, 120);
        client = Place(new TPanel(form.get()), form.get(), 20, 20, 60, 30);
        client->SetName(QStringLiteral("client"));
        client->SetDragKind(dkDock);
        client->SetDragMode(dmAutomatic);
        client->OnStartDock = [this](TObject* s, TDragDockObject*&) { log.Add(NameOf(s) + ":startdock"); };
        client->OnEndDock = [this](TObject* s, TObject* target, Integer x, Integer y) {
            log.Add(NameOf(s) + ":enddock " + NameOf(target) + At(x, y));
        };
    }
    void TearDown() override {
        for (TCustomForm* f : {static_cast<TCustomForm*>(form.get()), Floating()}) {
            if (f && f->Visible()) QTest::mouseRelease(WindowOf(f), Qt::LeftButton);
        }
        form.reset();
        QApplication::processEvents();
    }

    TPanel* NewSite(const char* name, Integer l, Integer t, Integer w, Integer h) {
        auto* s = Place(new TPanel(form.get()), form.get(), l, t, w, h);
        s->SetName(QString::fromLatin1(name));
        s->SetDockSite(true);
        s->SetUseDockManager(true);
        s->OnGetSiteInfo = [this](TObject* sender, TControl*, TRect&, TPoint, bool&) {
            if (traceInfo) log.Add(NameOf(sender) + ":info");
        };
        s->OnDockOver = [this](TObject* sender, TDragDockObject* source, Integer x, Integer y, TDragState st, bool& a) {
            log.Add(NameOf(sender) + ":" + StateName(st) + At(x, y));
            dockRect = source->DockRect();
            dropAlign = source->DropAlign();
            a = accepting;
        };
        s->OnDockDrop = [this](TObject* sender, TDragDockObject* source, Integer x, Integer y) {
            log.Add(NameOf(sender) + ":drop " + NameOf(source->Control()) + At(x, y));
        };
        s->OnUnDock = [this](TObject* sender, TControl* c, TWinControl* target, bool& allow) {
            log.Add(NameOf(sender) + ":undock " + NameOf(c) + " " + NameOf(target));
            allow = undocking;
        };
        return s;
    }
    TCustomForm* Floating() const {
        return client && client->Floating() ? static_cast<TCustomForm*>(client->HostDockSite()) : nullptr;
    }
    // Pressed in one window, released over another (the form by default).
    void Drag(QPoint from, QPoint to, TCustomForm* pressIn = nullptr) {
        MousePress(pressIn ? pressIn : form.get(), from);
        QTest::mouseMove(WindowOf(form.get()), to);
        MouseRelease(form.get(), to);
    }

    std::unique_ptr<TForm> form;
    TPanel* site = nullptr;
    TPanel* client = nullptr;
    EventLog log;
    TRect dockRect;
    TAlign dropAlign = alNone;
    bool accepting = true;
    bool undocking = true;
    bool traceInfo = false;
};

TEST_F(DockTest, ADockDragAsksTheSiteShowsTheFrameAndDocksTheControlWhereItFillsTheSite) {
    traceInfo = true;
    ShowActive(form.get());
    MousePress(form.get(), QPoint(30, 30));
    QTest::mouseMove(WindowOf(form.get()), QPoint(260, 60));
    EXPECT_EQ(dockRect, TRect(201, 21, 349, 139)) << "where the control would go";
    EXPECT_EQ(dropAlign, alClient);
    EXPECT_EQ(FrameWindowsShown(), 4);
    QTest::mouseMove(WindowOf(form.get()), QPoint(265, 65));
    MouseRelease(form.get(), QPoint(265, 65));
    EXPECT_EQ(FrameWindowsShown(), 0);
    EXPECT_EQ(log.Entries(), (Log{"client:startdock", "site:info", "site:enter 60,40", "site:info", "site:move 65,45",
                                  "site:leave 65,45", "site:drop client 65,45", "client:enddock site 65,45"}));
    EXPECT_EQ(client->HostDockSite(), site);
    EXPECT_FALSE(client->Floating());
    ASSERT_EQ(site->DockClientCount(), 1);
    EXPECT_EQ(site->DockClients(0), client);
    EXPECT_EQ(client->Align(), alClient);
    EXPECT_EQ(client->BoundsRect(), TRect(1, 1, 149, 119));
}

TEST_F(DockTest, AnOnDockOverHandlerMovesTheDockRectangle) {
    site->OnDockOver = [](TObject*, TDragDockObject* source, Integer, Integer, TDragState, bool&) {
        source->SetDropAlign(alBottom);
        source->SetDockRect(TRect(201, 109, 349, 139));
    };
    ShowActive(form.get());
    Drag(QPoint(30, 30), QPoint(260, 60));
    EXPECT_EQ(client->Align(), alBottom);
    EXPECT_EQ(client->BoundsRect(), TRect(1, 89, 149, 119));
}

TEST_F(DockTest, ARefusedDockFloatsTheControlInAToolWindowOfItsOwn) {
    accepting = false;
    const Integer forms = Screen->FormCount();
    ShowActive(form.get());
    Drag(QPoint(30, 30), QPoint(260, 60));
    EXPECT_EQ(log.Entries(), (Log{"client:startdock", "site:enter 60,40", "site:leave 60,40",
                                  "client:enddock floating 10,10"}));
    ASSERT_TRUE(client->Floating());
    TCustomForm* window = Floating();
    EXPECT_EQ(Screen->FormCount(), forms + 1);
    EXPECT_EQ(window->BorderStyle(), bsSizeToolWin);
    EXPECT_TRUE(window->Visible());
    // Where the frame was: the mouse less where the control was held.
    EXPECT_EQ(window->ClientOrigin(), TPoint(250, 50));
    EXPECT_EQ(window->ClientWidth(), 60);
    EXPECT_EQ(window->ClientHeight(), 30);
    EXPECT_EQ(client->BoundsRect(), TRect(0, 0, 60, 30));
}

TEST_F(DockTest, AFloatingControlMovesItsWindowAndDocksBackWhichFreesTheWindow) {
    const Integer forms = Screen->FormCount();
    ASSERT_TRUE(client->ManualFloat(Bounds(20, 300, 60, 30)));
    TCustomForm* window = Floating();
    ASSERT_NE(window, nullptr);
    const auto alive = window->Guard();
    ShowActive(form.get());
    ShowActive(window);
    // Dragged within its own window: no site, the window follows.
    MousePress(window, QPoint(10, 10));
    QTest::mouseMove(WindowOf(window), QPoint(10, 40));
    MouseRelease(window, QPoint(10, 40));
    EXPECT_EQ(window->ClientOrigin(), TPoint(20, 330));
    EXPECT_EQ(log.Entries(), (Log{"client:startdock", "client:enddock floating 10,10"}));
    log.Clear();
    Drag(QPoint(10, 10), QPoint(260, 60), window);
    EXPECT_EQ(log.Entries(), (Log{"client:startdock", "site:enter 60,40", "site:leave 60,40",
                                  "site:drop client 60,40", "client:enddock site 60,40"}));
    EXPECT_EQ(client->HostDockSite(), site);
    // The emptied window frees itself by a posted message, which the
    // release may already have handled: only its guard is looked at.
    QApplication::processEvents();
    EXPECT_TRUE(alive.expired());
    EXPECT_EQ(Screen->FormCount(), forms);
}

TEST_F(DockTest, TheOldSiteMayRefuseToLetItsClientGo) {
    ASSERT_TRUE(client->ManualDock(site));
    undocking = false;
    ShowActive(form.get());
    Drag(QPoint(250, 60), QPoint(100, 150));
    EXPECT_EQ(log.Entries(), (Log{"site:drop client 75,60", "client:startdock", "site:undock client nil",
                                  "client:enddock nil -101,129"}));
    EXPECT_EQ(client->HostDockSite(), site);
    EXPECT_FALSE(client->ManualFloat(Bounds(0, 0, 60, 30)));
    EXPECT_EQ(client->HostDockSite(), site);
}

TEST_F(DockTest, TheInfluenceReachesTenPixelsAroundAndOnGetSiteInfoDecides) {
    ShowActive(form.get());
    Drag(QPoint(30, 30), QPoint(191, 60));
    EXPECT_EQ(client->HostDockSite(), site);
    ASSERT_TRUE(client->ManualFloat(Bounds(20, 300, 60, 30)));
    log.Clear();
    site->OnGetSiteInfo = [](TObject*, TControl*, TRect&, TPoint, bool& canDock) { canDock = false; };
    ShowActive(Floating());
    Drag(QPoint(10, 10), QPoint(260, 60), Floating());
    EXPECT_EQ(log.Entries(), (Log{"client:startdock", "client:enddock floating 10,10"}));
    EXPECT_TRUE(client->Floating());
}

TEST_F(DockTest, TheDockManagerLinesLaterClientsUpAlongTheSideTheyComeTo) {
    auto* second = Place(new TPanel(form.get()), form.get(), 20, 80, 50, 25);
    auto* third = Place(new TPanel(form.get()), form.get(), 20, 120, 40, 35);
    third->SetDragKind(dkDock);
    third->SetDragMode(dmAutomatic);
    ASSERT_TRUE(client->ManualDock(site));
    ASSERT_TRUE(second->ManualDock(site, alTop));
    EXPECT_EQ(second->Align(), alTop);
    EXPECT_EQ(second->BoundsRect(), TRect(1, 1, 149, 26));
    EXPECT_EQ(client->BoundsRect(), TRect(1, 26, 149, 119));
    ShowActive(form.get());
    // Near the site's left edge, inside it.
    Drag(QPoint(30, 130), QPoint(205, 100));
    EXPECT_EQ(third->HostDockSite(), site);
    EXPECT_EQ(third->Align(), alLeft);
    EXPECT_EQ(third->BoundsRect(), TRect(1, 26, 41, 119));
    EXPECT_EQ(client->BoundsRect(), TRect(41, 26, 149, 119));
    EXPECT_EQ(site->DockClientCount(), 3);
}

TEST_F(DockTest, WithoutTheDockManagerAClientKeepsItsSizeWhereItIsDropped) {
    site->SetUseDockManager(false);
    ShowActive(form.get());
    Drag(QPoint(30, 30), QPoint(260, 60));
    EXPECT_EQ(client->HostDockSite(), site);
    EXPECT_EQ(client->Align(), alNone);
    EXPECT_EQ(client->BoundsRect(), Bounds(50, 30, 60, 30));
}

TEST_F(DockTest, ManualFloatAndManualDockMoveTheControlWithoutTheMouse) {
    ASSERT_TRUE(client->ManualDock(site));
    EXPECT_EQ(log.Entries(), (Log{"site:drop client 75,60"}));
    ASSERT_TRUE(client->ManualFloat(Bounds(100, 120, 80, 40)));
    EXPECT_EQ(log.Entries(), (Log{"site:drop client 75,60", "site:undock client nil"}));
    EXPECT_EQ(site->DockClientCount(), 0);
    ASSERT_TRUE(client->Floating());
    EXPECT_EQ(Floating()->ClientOrigin(), TPoint(100, 120));
    EXPECT_EQ(client->BoundsRect(), TRect(0, 0, 80, 40));
    ASSERT_TRUE(client->ManualDock(nullptr));
    EXPECT_TRUE(client->Floating());
}

TEST_F(DockTest, EscCancelsADockDragWithoutDockingOrFloating) {
    ShowActive(form.get());
    MousePress(form.get(), QPoint(30, 30));
    QTest::mouseMove(WindowOf(form.get()), QPoint(260, 60));
    KeyClick(form.get(), Qt::Key_Escape);
    EXPECT_EQ(FrameWindowsShown(), 0);
    MouseRelease(form.get(), QPoint(260, 60));
    EXPECT_EQ(log.Entries(),
              (Log{"client:startdock", "site:enter 60,40", "site:leave 60,40", "client:enddock nil 240,40"}));
    EXPECT_EQ(client->HostDockSite(), nullptr);
    EXPECT_EQ(client->Parent(), form.get());
}

TEST_F(DockTest, AnAutoSizedContainerTakesTheExtentOfItsChildren) {
    auto* box = Place(new TPanel(form.get()), form.get(), 10, 10, 100, 100);
    box->SetBevelOuter(bvNone);
    Place(new TPanel(form.get()), box, 10, 30, 50, 20);
    auto* strip = Place(new TPanel(form.get()), box, 0, 0, 30, 15);
    strip->SetAlign(alTop);
    box->SetAutoSize(true);
    EXPECT_EQ(box->Width(), 60);
    EXPECT_EQ(box->Height(), 50);
    strip->SetHeight(60);
    EXPECT_EQ(box->Height(), 60);
    // Aligned to the top, only its height follows.
    box->SetAlign(alTop);
    EXPECT_EQ(box->Width(), form->ClientWidth());
    EXPECT_EQ(box->Height(), 60);
}

}  // namespace
