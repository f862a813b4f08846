// Docking on the drag model: a dock drag asks every dock site whose
// influence holds the mouse (OnGetSiteInfo), the site under it says whether
// it takes the control (OnDockOver), and the drop docks it there
// (CM_DOCKCLIENT, OnDockDrop) or floats it in a tool window of its own.
// The plain dock manager lets the first client fill its site and lines the
// next ones up along the side they are dropped at.
#include "Controls.h"

#include "ControlsDragInternal.h"
#include "ControlsWidget.h"
#include "Forms.h"

#include <QtGui/QPalette>
#include <QtWidgets/QWidget>

#include <algorithm>

namespace {

constexpr Integer InfluenceMargin = 10;

// The tool window a floating control lives in; it goes with its last client.
class TFloatingDockForm : public TCustomForm {
public:
    explicit TFloatingDockForm(TComponent* AOwner) : TCustomForm(AOwner) {
        SetBorderStyle(bsSizeToolWin);
        SetDockSite(true);
        SetUseDockManager(true);
    }
};

// The control's outer rectangle on the screen.
TRect ScreenBounds(const TControl& c) {
    const TPoint o = c.Parent() ? c.Parent()->ClientToScreen(TPoint(c.Left(), c.Top())) : TPoint(c.Left(), c.Top());
    return Bounds(o.X, o.Y, c.Width(), c.Height());
}

// The area a site aligns its clients in, on the screen.
TRect ScreenClientArea(TWinControl& site) {
    TRect r = site.ClientRect();
    site.AdjustClientRect(r);
    const TPoint o = site.ClientToScreen(TPoint(0, 0));
    r.Offset(o.X, o.Y);
    return r;
}

LPARAM PointParam(TPoint p) {
    return LPARAM(MakeLong(Word(SmallInt(p.X)), Word(SmallInt(p.Y))));
}

// The side of the area nearest to p.
TAlign NearestSide(const TRect& area, TPoint p) {
    const std::pair<Integer, TAlign> sides[] = {{p.Y - area.Top, alTop},
                                                {area.Bottom - p.Y, alBottom},
                                                {p.X - area.Left, alLeft},
                                                {area.Right - p.X, alRight}};
    return std::min_element(std::begin(sides), std::end(sides),
                            [](const auto& a, const auto& b) { return a.first < b.first; })
        ->second;
}

void CollectSites(TWinControl& parent, const TControl& client, std::vector<TWinControl*>& sites) {
    for (Integer i = 0; i < parent.ControlCount(); ++i) {
        auto* c = dynamic_cast<TWinControl*>(parent.Controls(i));
        // Nothing inside the dragged control can take it.
        if (!c || c == &client || !c->Visible() || !c->Enabled()) continue;
        if (c->DockSite()) sites.push_back(c);
        CollectSites(*c, client, sites);
    }
}

// The dock sites of the shown forms, parents before their children; the
// floating window of the client itself is no site for it.
std::vector<TWinControl*> DockSites(const TControl& client) {
    std::vector<TWinControl*> sites;
    for (Integer i = 0; i < Screen->FormCount(); ++i) {
        TCustomForm* form = Screen->Forms(i);
        if (form->Parent() || !form->Showing() || form == &client) continue;
        if (form->DockSite() && !(client.Floating() && client.HostDockSite() == form)) sites.push_back(form);
        CollectSites(*form, client, sites);
    }
    return sites;
}

// Places a form so that its client area is r on the screen, by the frame
// its window has (the conventional one until it shows).
void PlaceForm(TCustomForm& form, const TRect& r) {
    const TRect frame = FormFrame(form.BorderStyle());
    const TPoint origin = form.ClientOrigin();
    form.SetBounds(r.Left - (origin.X - form.Left()), r.Top - (origin.Y - form.Top()),
                   r.Width() + frame.Left + frame.Right, r.Height() + frame.Top + frame.Bottom);
}

void FloatAt(TControl& client, const TRect& r) {
    if (client.Floating()) {
        PlaceForm(*static_cast<TCustomForm*>(client.HostDockSite()), r);
        return;
    }
    TComponent* owner = GetParentForm(&client);
    auto* form = new TFloatingDockForm(owner ? owner : Application);
    PlaceForm(*form, r);
    DragManager::DockInto(client, *form, r, alClient);
    form->Show();
    PlaceForm(*form, r);
}

TDragDockObject& DockObject(DragSession& s) {
    return static_cast<TDragDockObject&>(*s.Object);
}

// Where the client floats when the mouse is at p.
TRect FloatRect(const DragSession& s, TPoint p) {
    return Bounds(p.X - s.Grab.X, p.Y - s.Grab.Y, s.FloatSize.X, s.FloatSize.Y);
}

}  // namespace

// The dock rectangle on the screen: four thin windows along its edges, so
// that the search for the control under the mouse sees through it.
class TDockFrame {
public:
    static constexpr Integer Thickness = 2;

    void Show(const TRect& r) {
        const Integer w = std::max(r.Width(), Thickness), h = std::max(r.Height(), Thickness);
        const QRect edges[] = {{r.Left, r.Top, w, Thickness},
                               {r.Left, r.Top + h - Thickness, w, Thickness},
                               {r.Left, r.Top, Thickness, h},
                               {r.Left + w - Thickness, r.Top, Thickness, h}};
        for (int i = 0; i < 4; ++i) {
            if (!edges_[i]) edges_[i] = makeEdge();
            edges_[i]->setGeometry(edges[i]);
            edges_[i]->show();
        }
    }

private:
    static std::unique_ptr<QWidget> makeEdge() {
        auto edge = std::make_unique<QWidget>(nullptr, Qt::ToolTip | Qt::FramelessWindowHint |
                                                           Qt::WindowTransparentForInput |
                                                           Qt::WindowDoesNotAcceptFocus);
        edge->setAttribute(Qt::WA_TransparentForMouseEvents);
        edge->setAttribute(Qt::WA_ShowWithoutActivating);
        edge->setAutoFillBackground(true);
        QPalette pal = edge->palette();
        pal.setColor(QPalette::Window, Qt::black);
        edge->setPalette(pal);
        return edge;
    }
    std::unique_ptr<QWidget> edges_[4];
};

DragSession::DragSession() = default;
DragSession::~DragSession() = default;

// ------------------------------------------------------------ the dock drag

TPoint DragManager::UndockSize(const TControl& client) {
    if (client.HostDockSite() && client.undockSize_.X > 0) return client.undockSize_;
    return TPoint(client.Width(), client.Height());
}

void DragManager::StartDock(DragSession& s) {
    const TRect b = ScreenBounds(*s.Source);
    s.FloatSize = UndockSize(*s.Source);
    s.Grab = TPoint(std::clamp(s.Origin.X - b.Left, 0, std::max(0, s.FloatSize.X - 1)),
                    std::clamp(s.Origin.Y - b.Top, 0, std::max(0, s.FloatSize.Y - 1)));
}

TWinControl* DragManager::FindDockSite(const Keep& keep, TPoint p, bool& alive) {
    TControl& client = *keep->Source;
    // A handler may free any site: each is held by its guard.
    std::vector<std::pair<TWinControl*, std::weak_ptr<TControl*>>> sites, hits;
    for (TWinControl* site : DockSites(client)) sites.emplace_back(site, site->Guard());
    for (const auto& [site, siteAlive] : sites) {
        if (siteAlive.expired()) continue;
        TRect influence;
        bool canDock = true;
        site->GetSiteInfo(&client, influence, p, canDock);
        alive = Still(keep);
        if (!alive) return nullptr;
        if (canDock && influence.Contains(p)) hits.emplace_back(site, siteAlive);
    }
    std::erase_if(hits, [](const auto& hit) { return hit.second.expired(); });
    if (hits.empty()) return nullptr;
    // The innermost site under the mouse wins, else the first that reaches it.
    for (TControl* c = FindDragTarget(p, false); c; c = c->Parent()) {
        for (const auto& hit : hits) {
            if (hit.first == c) return hit.first;
        }
    }
    return hits.front().first;
}

bool DragManager::AskSite(const Keep& keep, TControl* target, TDragState state, bool& accept) {
    auto* site = static_cast<TWinControl*>(target);
    const TPoint p = site->ScreenToClient(keep->Object->DragPos());
    accept = true;
    site->DockOver(&DockObject(*keep), p.X, p.Y, state, accept);
    return Still(keep);
}

void DragManager::DockMove(const Keep& keep, TPoint p) {
    DragSession& s = *keep;
    TDragDockObject& object = DockObject(s);
    bool alive = true;
    TWinControl* site = FindDockSite(keep, p, alive);
    if (!alive) return;
    if (site) PositionDockRect(*site, object, p, FloatRect(s, p), alNone);
    bool accept = false;
    if (!Retarget(keep, site, accept)) return;
    s.Accepted = accept && s.LiveTarget();
    if (!s.Accepted) {
        object.SetDropAlign(alNone);
        object.SetDockRect(FloatRect(s, p));
    }
    ShowDockFrame(s, object.DockRect());
}

void DragManager::ShowDockFrame(DragSession& s, const TRect& r) {
    if (!s.Frame) s.Frame = std::make_unique<TDockFrame>();
    s.Frame->Show(r);
}

TWinControl* DragManager::DockDrop(DragSession& s) {
    s.Frame.reset();
    TDragDockObject& object = DockObject(s);
    TControl& client = *s.Source;
    TWinControl* host = client.HostDockSite();
    // OnUnDock may refuse, and may free the client or the site.
    auto released = [&](TWinControl* target) {
        const auto siteAlive = target ? target->Guard() : std::weak_ptr<TControl*>();
        return (!host || host->DoUnDock(target, &client)) && !s.SourceAlive.expired() &&
               (!target || !siteAlive.expired());
    };
    if (auto* site = static_cast<TWinControl*>(s.Accepted ? s.LiveTarget() : nullptr)) {
        if (!released(site)) return nullptr;
        site->Perform(CM_DOCKCLIENT, WPARAM(&object), PointParam(site->ScreenToClient(object.DragPos())));
        return site;
    }
    if (!client.Floating() && !released(nullptr)) return nullptr;
    FloatAt(client, object.DockRect());
    return client.HostDockSite();
}

// ------------------------------------------------------------ the dock manager

void DragManager::PositionDockRect(TWinControl& site, TDragDockObject& object, TPoint p, const TRect& floatRect,
                                   TAlign side) {
    if (!site.UseDockManager()) {
        object.SetDropAlign(alNone);
        object.SetDockRect(floatRect);
        return;
    }
    const TControl& client = *object.Control();
    const TPoint size = UndockSize(client);
    const bool alone = std::all_of(site.dockClients_.begin(), site.dockClients_.end(),
                                   [&client](const TControl* c) { return c == &client; });
    const TRect area = ScreenClientArea(site);
    const TAlign align = side != alNone ? side : alone ? alClient : NearestSide(area, p);
    TRect r = area;
    switch (align) {
    case alTop: r.Bottom = std::min(r.Bottom, r.Top + size.Y); break;
    case alBottom: r.Top = std::max(r.Top, r.Bottom - size.Y); break;
    case alLeft: r.Right = std::min(r.Right, r.Left + size.X); break;
    case alRight: r.Left = std::max(r.Left, r.Right - size.X); break;
    default:
        // An empty site shows the client's own size, growing as the site
        // is aligned.
        if (r.Height() <= 0) {
            if (site.Align() == alBottom) r.Top = r.Bottom - size.Y;
            else r.Bottom = r.Top + size.Y;
        }
        if (r.Width() <= 0) {
            if (site.Align() == alRight) r.Left = r.Right - size.X;
            else r.Right = r.Left + size.X;
        }
        break;
    }
    object.SetDropAlign(align);
    object.SetDockRect(r);
}

void DragManager::DockInto(TControl& client, TWinControl& site, const TRect& screenRect, TAlign align) {
    if (!client.HostDockSite()) client.undockSize_ = TPoint(client.Width(), client.Height());
    const TPoint at = site.ScreenToClient(screenRect.TopLeft());
    client.SetParent(&site);
    client.hostDockSite_ = &site;
    site.dockClients_.push_back(&client);
    // The moved control wins ties among the clients of its side.
    client.SetBounds(at.X, at.Y, screenRect.Width(), screenRect.Height());
    client.SetAlign(site.UseDockManager() ? (align == alNone ? alClient : align) : alNone);
    client.RequestAlign();
    if (!client.Visible()) client.Show();
}

void DragManager::ClientRemoved(TWinControl& site, TControl& client) {
    if (client.hostDockSite_ != &site) return;
    client.hostDockSite_ = nullptr;
    auto& list = site.dockClients_;
    list.erase(std::remove(list.begin(), list.end(), &client), list.end());
    auto* floating = dynamic_cast<TFloatingDockForm*>(&site);
    if (floating && list.empty() && !floating->IsDestroying()) {
        floating->Hide();
        floating->Release();
    }
}

// ------------------------------------------------------------ TControl

bool TControl::Floating() const {
    return dynamic_cast<TFloatingDockForm*>(hostDockSite_) != nullptr;
}

bool TControl::ManualDock(TWinControl* NewDockSite, TAlign ControlSide) {
    const TPoint size = DragManager::UndockSize(*this);
    if (!NewDockSite) {
        const TRect b = ScreenBounds(*this);
        return ManualFloat(Bounds(b.Left, b.Top, size.X, size.Y));
    }
    if (hostDockSite_ && !hostDockSite_->DoUnDock(NewDockSite, this)) return false;
    TDragDockObject object(this);
    const TRect area = ScreenClientArea(*NewDockSite);
    const TPoint centre((area.Left + area.Right) / 2, (area.Top + area.Bottom) / 2);
    DragManager::PositionDockRect(*NewDockSite, object, centre,
                                  Bounds(centre.X - size.X / 2, centre.Y - size.Y / 2, size.X, size.Y), ControlSide);
    NewDockSite->Perform(CM_DOCKCLIENT, WPARAM(&object), PointParam(NewDockSite->ScreenToClient(centre)));
    return true;
}

bool TControl::ManualFloat(const TRect& ScreenPos) {
    if (hostDockSite_ && !Floating() && !hostDockSite_->DoUnDock(nullptr, this)) return false;
    FloatAt(*this, ScreenPos);
    return true;
}

// ------------------------------------------------------------ TWinControl

TControl* TWinControl::DockClients(Integer index) const {
    if (index < 0 || index >= DockClientCount())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return dockClients_[size_t(index)];
}

void TWinControl::GetSiteInfo(TControl* Client, TRect& InfluenceRect, TPoint MousePos, bool& CanDock) {
    InfluenceRect = ScreenBounds(*this);
    InfluenceRect.Inflate(InfluenceMargin, InfluenceMargin);
    if (OnGetSiteInfo) OnGetSiteInfo(this, Client, InfluenceRect, MousePos, CanDock);
}

void TWinControl::DockOver(TDragDockObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) {
    if (OnDockOver) OnDockOver(this, Source, X, Y, State, Accept);
}

void TWinControl::DockDrop(TDragDockObject* Source, Integer X, Integer Y) {
    if (OnDockDrop) OnDockDrop(this, Source, X, Y);
}

bool TWinControl::DoUnDock(TWinControl* NewTarget, TControl* Client) {
    bool allow = true;
    if (OnUnDock) OnUnDock(this, Client, NewTarget, allow);
    return allow;
}

void TWinControl::CMDockClient(TMessage& Message) {
    auto* source = reinterpret_cast<TDragDockObject*>(Message.WParam);
    const TPoint p(SmallInt(LoWord(Cardinal(Message.LParam))), SmallInt(HiWord(Cardinal(Message.LParam))));
    const auto guard = Guard();
    DragManager::DockInto(*source->Control(), *this, source->DockRect(), source->DropAlign());
    if (!guard.expired()) DockDrop(source, p.X, p.Y);
    Message.Result = 1;
}
