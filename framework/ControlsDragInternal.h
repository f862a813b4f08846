// The drag manager behind TControl's drag and dock API, shared by
// ControlsDrag.cpp (the drag itself) and ControlsDock.cpp (dock sites,
// the floating window and the dock rectangle). One drag at a time.
#pragma once

#include "Controls.h"

#include <memory>

class QKeyEvent;
class TDockFrame;

struct DragSession {
    TControl* Source = nullptr;
    std::weak_ptr<TControl*> SourceAlive;
    std::unique_ptr<TDragObject> Object;
    bool Dock = false;
    // Past the threshold: targets are asked from here on.
    bool Started = false;
    TPoint Origin;
    Integer Threshold = 0;
    // The control (or dock site) under the mouse that was asked last.
    TControl* Target = nullptr;
    std::weak_ptr<TControl*> TargetAlive;
    bool Accepted = false;
    // Dock drags: the mouse inside the control, the size it floats with
    // and the frame that shows the dock rectangle.
    TPoint Grab;
    TPoint FloatSize;
    std::unique_ptr<TDockFrame> Frame;

    TControl* LiveTarget() const { return TargetAlive.expired() ? nullptr : Target; }
    DragSession();
    ~DragSession();
};

struct DragManager {
    using Keep = std::shared_ptr<DragSession>;

    // ---- ControlsDrag.cpp
    static void Begin(TControl& source, bool immediate, Integer threshold);
    static void End(bool drop);
    static bool Active();
    static bool Dragging(const TControl& control);
    static void ControlDestroyed(TControl* control);
    // A key during a drag: Esc cancels it and neither its press nor its
    // release reaches a control; true when the key was taken.
    static bool TakeKey(const QKeyEvent& event);
    // The mouse moved to p (screen) during the drag.
    static void MoveTo(TPoint p);
    // Asks target about the drag; false when the session ended meanwhile.
    static bool AskTarget(const Keep& keep, TControl* target, TDragState state, bool& accept);
    // The mouse is over target now: the old one hears the drag leave, the
    // new one enter, the same one move; false when the session ended.
    static bool Retarget(const Keep& keep, TControl* target, bool& accept);
    static void DragTo(const Keep& keep, TPoint p);

    // The control under the mouse that is asked from now on (nil: none).
    static void SetTarget(DragSession& s, TControl* target);
    // Whether keep is still the drag in progress (a handler may end it).
    static bool Still(const Keep& keep);

    // ---- ControlsDock.cpp
    // The dock drag is about to start: where the control is held and the
    // size it floats with.
    static void StartDock(DragSession& s);
    // The mouse moved to p: the site under it is asked (enter, move, leave).
    static void DockMove(const Keep& keep, TPoint p);
    static TWinControl* FindDockSite(const Keep& keep, TPoint p, bool& alive);
    static bool AskSite(const Keep& keep, TControl* site, TDragState state, bool& accept);
    static void ShowDockFrame(DragSession& s, const TRect& r);
    // The drop: docks at the site that accepted, else floats; the target
    // for OnEndDock (nil when refused).
    static TWinControl* DockDrop(DragSession& s);
    // The size a control floats with: its size before it was first docked.
    static TPoint UndockSize(const TControl& client);
    // A control left site (any parent change): the dock bookkeeping.
    static void ClientRemoved(TWinControl& site, TControl& client);
    // Moves the control into site at the screen rectangle, aligned by the
    // site's dock manager.
    static void DockInto(TControl& client, TWinControl& site, const TRect& screenRect, TAlign align);
    // Where a client docked at p (screen) into site goes, and how it
    // aligns; a site without the dock manager takes it at floatRect.
    static void PositionDockRect(TWinControl& site, TDragDockObject& object, TPoint p, const TRect& floatRect,
                                 TAlign side);
};
