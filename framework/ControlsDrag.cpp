// Dragging inside the application, on the platform's own model: a drag
// object, and a drag manager that takes the mouse (an application filter
// behind Qt's implicit grab of the pressed widget) and asks the control
// under the cursor, in any form of the application, whether it accepts the
// drop. Docking builds on it (ControlsDock.cpp).
#include "Controls.h"

#include "ControlsDragInternal.h"
#include "ControlsWidget.h"
#include "Forms.h"

#include <QtCore/QCoreApplication>
#include <QtGui/QCursor>
#include <QtGui/QGuiApplication>
#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>

#include <cstdlib>

namespace {

DragManager::Keep current;
// The release of an Esc that cancelled a drag is not a control's either.
bool swallowEscapeRelease = false;

// The mouse belongs to the drag: moves ask the targets, a left release
// drops, a right release cancels, presses do nothing.
class DragMouseFilter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!watched->isWidgetType()) return false;
        switch (event->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            // An error of a handler never reaches Qt.
            try {
                mouse(*static_cast<QMouseEvent*>(event));
            } catch (...) {
                if (Application) Application->HandleException(nullptr);
            }
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return true;
        default:
            return false;
        }
    }

private:
    static void mouse(const QMouseEvent& event) {
        const QPoint p = event.globalPosition().toPoint();
        DragManager::MoveTo(TPoint(p.x(), p.y()));
        if (event.type() != QEvent::MouseButtonRelease) return;
        if (event.button() == Qt::LeftButton) DragManager::End(true);
        else if (event.button() == Qt::RightButton) DragManager::End(false);
    }
};

DragMouseFilter& MouseFilter() {
    static DragMouseFilter* filter = [] {
        auto* f = new DragMouseFilter;
        f->setParent(QCoreApplication::instance());
        return f;
    }();
    return *filter;
}

// What the drag events get as Source: the dragged control, or the drag
// object itself when it carries none.
TObject* SourceOf(TDragObject* object) {
    if (auto* control = dynamic_cast<TDragControlObject*>(object)) return control->Control();
    return object;
}

TCursor cursorShown = crDefault;

void ShowDragCursor(const DragSession& s, bool accepted) {
    const TPoint p = s.Object->DragPos();
    cursorShown = s.Object->GetDragCursor(accepted, p.X, p.Y);
    RefreshOverrideCursor();
}

// Ends the session: the mouse and the cursor are given back.
void Close() {
    current.reset();
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(&MouseFilter());
    cursorShown = crDefault;
    RefreshOverrideCursor();
}

// The mouse in the target's client area, or in the source's without one.
TPoint EndPoint(const DragSession& s, const TObject* target) {
    const auto* control = dynamic_cast<const TControl*>(target);
    if (!control) control = s.SourceAlive.expired() ? nullptr : s.Source;
    return control ? control->ScreenToClient(s.Object->DragPos()) : s.Object->DragPos();
}

}  // namespace

// ------------------------------------------------------------ the manager

bool DragManager::AskTarget(const Keep& keep, TControl* target, TDragState state, bool& accept) {
    const TPoint p = target->ScreenToClient(keep->Object->DragPos());
    accept = false;
    target->DragOver(SourceOf(keep->Object.get()), p.X, p.Y, state, accept);
    return Still(keep);
}

bool DragManager::Retarget(const Keep& keep, TControl* target, bool& accept) {
    DragSession& s = *keep;
    const auto ask = s.Dock ? AskSite : AskTarget;
    TControl* old = s.LiveTarget();
    accept = false;
    if (target == old) return !target || ask(keep, target, dsDragMove, accept);
    // A target whose handler fails is left all the same.
    SetTarget(s, nullptr);
    if (old && !ask(keep, old, dsDragLeave, accept)) return false;
    SetTarget(s, target);
    return !target || ask(keep, target, dsDragEnter, accept);
}

void DragManager::DragTo(const Keep& keep, TPoint p) {
    bool accept = false;
    if (!Retarget(keep, FindDragTarget(p, false), accept)) return;
    keep->Accepted = accept && keep->LiveTarget();
    ShowDragCursor(*keep, keep->Accepted);
}

void DragManager::MoveTo(TPoint p) {
    Keep keep = current;
    // Nothing to move before OnStartDrag has run.
    if (!keep || !keep->Object) return;
    DragSession& s = *keep;
    if (s.Started && p == s.Object->DragPos()) return;
    s.Object->dragPos_ = p;
    if (!s.Started) {
        if (std::abs(p.X - s.Origin.X) <= s.Threshold && std::abs(p.Y - s.Origin.Y) <= s.Threshold) return;
        s.Started = true;
    }
    if (s.Dock) DockMove(keep, p);
    else DragTo(keep, p);
}

void DragManager::SetTarget(DragSession& s, TControl* target) {
    s.Target = target;
    s.TargetAlive = target ? target->Guard() : std::weak_ptr<TControl*>();
    s.Accepted = false;
    s.Object->dragTarget_ = target;
}

bool DragManager::Still(const Keep& keep) {
    return current == keep;
}

bool DragManager::Active() {
    return current != nullptr;
}

bool DragManager::Dragging(const TControl& control) {
    return current && current->Source == &control;
}

void DragManager::Begin(TControl& source, bool immediate, Integer threshold) {
    if (current) return;
    auto keep = std::make_shared<DragSession>();
    keep->Source = &source;
    keep->SourceAlive = source.Guard();
    keep->Dock = source.DragKind() == dkDock;
    keep->Origin = LastMousePos();
    keep->Threshold = threshold < 0 ? TControl::DragThreshold : threshold;
    // The press that began it is no click.
    source.controlState_ >> csLButtonDown >> csClicked;
    current = keep;
    if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(&MouseFilter());
    try {
        if (keep->Dock) {
            TDragDockObject* object = nullptr;
            source.DoStartDock(object);
            keep->Object.reset(object ? object : new TDragDockObject(&source));
        } else {
            TDragObject* object = nullptr;
            source.DoStartDrag(object);
            keep->Object.reset(object ? object : new TDragControlObject(&source));
        }
    } catch (...) {
        if (Still(keep)) Close();
        throw;
    }
    if (!Still(keep)) return;
    keep->Object->dragPos_ = keep->Origin;
    if (keep->Dock) StartDock(*keep);
    if (!immediate) return;
    keep->Started = true;
    if (keep->Dock) DockMove(keep, keep->Origin);
    else DragTo(keep, keep->Origin);
}

void DragManager::End(bool drop) {
    Keep keep = current;
    if (!keep) return;
    DragSession& s = *keep;
    // Ended from OnStartDrag: it never began.
    if (!s.Object) {
        Close();
        return;
    }
    if (TControl* target = s.LiveTarget(); target && s.Started) {
        bool accept = false, still = false;
        try {
            still = (s.Dock ? AskSite : AskTarget)(keep, target, dsDragLeave, accept);
        } catch (...) {
            // The drag ends even when the handler fails.
            if (Still(keep)) Close();
            throw;
        }
        if (!still) return;
    }
    const bool dropping = drop && s.Started && s.Accepted;
    Close();
    TObject* endTarget = nullptr;
    if (s.Dock) {
        if (drop && s.Started) endTarget = DockDrop(s);
    } else if (TControl* target = s.LiveTarget(); target && dropping) {
        const TPoint p = target->ScreenToClient(s.Object->DragPos());
        target->DragDrop(SourceOf(s.Object.get()), p.X, p.Y);
        endTarget = s.LiveTarget();
    }
    if (s.SourceAlive.expired()) return;
    const TPoint p = EndPoint(s, endTarget);
    if (s.Dock) s.Source->DoEndDock(endTarget, p.X, p.Y);
    else s.Source->DoEndDrag(endTarget, p.X, p.Y);
}

void DragManager::ControlDestroyed(TControl* control) {
    Keep keep = current;
    if (!keep) return;
    DragSession& s = *keep;
    if (control == s.Source) {
        // Nothing may see a source that is going: the drag just stops.
        Close();
    } else if (control == s.LiveTarget()) {
        SetTarget(s, nullptr);
    }
}

bool DragManager::TakeKey(const QKeyEvent& event) {
    if (event.key() != Qt::Key_Escape) return false;
    if (event.type() == QEvent::KeyRelease) {
        if (!swallowEscapeRelease || event.isAutoRepeat()) return swallowEscapeRelease;
        swallowEscapeRelease = false;
        return true;
    }
    if (!current) return false;
    swallowEscapeRelease = true;
    End(false);
    return true;
}

void RefreshOverrideCursor() {
    static bool shown = false;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    TCursor wanted = Screen && Screen->Cursor() != crDefault ? Screen->Cursor() : cursorShown;
    if (wanted == crDefault) {
        if (shown) QGuiApplication::restoreOverrideCursor();
        shown = false;
        return;
    }
    const QCursor cursor(CursorShapeOf(wanted));
    if (shown) QGuiApplication::changeOverrideCursor(cursor);
    else QGuiApplication::setOverrideCursor(cursor);
    shown = true;
}

// ------------------------------------------------------------ drag objects

TCursor TDragObject::GetDragCursor(bool Accepted, Integer, Integer) {
    return Accepted ? crDrag : crNoDrop;
}

TCursor TDragControlObject::GetDragCursor(bool Accepted, Integer, Integer) {
    return Accepted ? control_->DragCursor() : crNoDrop;
}

// ------------------------------------------------------------ TControl

void TControl::BeginDrag(bool Immediate, Integer Threshold) {
    DragManager::Begin(*this, Immediate, Threshold);
}

void TControl::EndDrag(bool Drop) {
    if (Dragging()) DragManager::End(Drop);
}

bool TControl::Dragging() const {
    return DragManager::Dragging(*this);
}

void TControl::DoStartDrag(TDragObject*& DragObject) {
    if (OnStartDrag) OnStartDrag(this, DragObject);
}

void TControl::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) {
    Accept = false;
    if (!OnDragOver) return;
    Accept = true;
    OnDragOver(this, Source, X, Y, State, Accept);
}

void TControl::DragDrop(TObject* Source, Integer X, Integer Y) {
    if (OnDragDrop) OnDragDrop(this, Source, X, Y);
}

void TControl::DoEndDrag(TObject* Target, Integer X, Integer Y) {
    if (OnEndDrag) OnEndDrag(this, Target, X, Y);
}

void TControl::DoStartDock(TDragDockObject*& DragObject) {
    if (OnStartDock) OnStartDock(this, DragObject);
}

void TControl::DoEndDock(TObject* Target, Integer X, Integer Y) {
    if (OnEndDock) OnEndDock(this, Target, X, Y);
}
