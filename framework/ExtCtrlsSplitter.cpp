#include "ExtCtrls.h"
#include "Windows.h"

#include <algorithm>

namespace {

bool Horizontal(TAlign align) {
    return align == alLeft || align == alRight;
}

}  // namespace

TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetBounds(0, 0, 3, 100);
    SetAlign(alLeft);
    SetCursor(crHSplit);
}

void TSplitter::SetMinSize(Integer size) { minSize_ = std::max(size, 1); }

void TSplitter::SetBeveled(bool on) {
    if (beveled_ == on) return;
    beveled_ = on;
    Invalidate();
}

void TSplitter::RequestAlign() {
    SetCursor(Horizontal(Align()) ? crHSplit : crVSplit);
    TGraphicControl::RequestAlign();
}

// The visible control with the splitter's alignment that touches the side
// the splitter is aligned to.
TControl* TSplitter::ResizedControl() const {
    TWinControl* parent = Parent();
    if (!parent) return nullptr;
    TPoint p;
    switch (Align()) {
    case alLeft: p = TPoint(Left() - 1, Top()); break;
    case alRight: p = TPoint(Left() + Width(), Top()); break;
    case alTop: p = TPoint(Left(), Top() - 1); break;
    case alBottom: p = TPoint(Left(), Top() + Height()); break;
    default: return nullptr;
    }
    for (Integer i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (c == this || !c->Visible() || c->Align() != Align()) continue;
        if (Horizontal(Align()) ? p.X >= c->Left() && p.X < c->Left() + c->Width()
                                : p.Y >= c->Top() && p.Y < c->Top() + c->Height())
            return c;
    }
    return nullptr;
}

// The largest size that leaves MinSize to the rest of the parent: the
// parent's extent less every other control aligned across the same axis.
Integer TSplitter::MaxSize(const TControl* resized) const {
    TWinControl* parent = Parent();
    const bool horizontal = Horizontal(Align());
    Integer free = horizontal ? parent->ClientWidth() : parent->ClientHeight();
    for (Integer i = 0; i < parent->ControlCount(); ++i) {
        const TControl* c = parent->Controls(i);
        if (c == resized || !c->Visible()) continue;
        const bool across = horizontal ? Horizontal(c->Align()) : c->Align() == alTop || c->Align() == alBottom;
        if (across) free -= horizontal ? c->Width() : c->Height();
    }
    return std::max(free - minSize_, minSize_);
}

Integer TSplitter::ParentPosition(Integer X, Integer Y) const {
    return Horizontal(Align()) ? Left() + X : Top() + Y;
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    resized_ = ResizedControl();
    if (!resized_) return;
    resizedGuard_ = resized_->Guard();
    downPosition_ = ParentPosition(X, Y);
    startSize_ = Horizontal(Align()) ? resized_->Width() : resized_->Height();
    maxSize_ = MaxSize(resized_);
}

void TSplitter::MouseMove(TShiftState Shift, Integer X, Integer Y) {
    TGraphicControl::MouseMove(Shift, X, Y);
    if (!resized_ || resizedGuard_.expired()) return;
    Integer delta = ParentPosition(X, Y) - downPosition_;
    if (Align() == alRight || Align() == alBottom) delta = -delta;
    const Integer size = std::clamp(startSize_ + delta, minSize_, maxSize_);
    if (Horizontal(Align())) resized_->SetWidth(size);
    else resized_->SetHeight(size);
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft || !resized_ || resizedGuard_.expired()) {
        resized_ = nullptr;
        return;
    }
    const Integer size = Horizontal(Align()) ? resized_->Width() : resized_->Height();
    resized_ = nullptr;
    if (size != startSize_ && OnMoved) OnMoved(this);
}

void TSplitter::Paint() {
    TCanvas* canvas = Canvas();
    TRect r(0, 0, Width(), Height());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(r);
    if (beveled_) DrawEdge(canvas, r, BDR_RAISEDINNER, BF_RECT);
}
