// What edit and combo boxes share: neighbour links, the walk over boxes
// that cannot take the focus, the pass-through of the entry step, the move
// step of a key, Tab on key-up, the group's current box, colours and the
// stamped refresh.
#include "SEdit.h"

#include "ExtCtrls.h"
#include "Forms.h"

#include <algorithm>
#include <vector>

namespace {

bool IsFocusable(const TWinControl* control) {
    return IsVisibleEnabledChain(control, false);
}

// The boxes one move has passed through: a move follows each box once, so
// a ring of links through boxes that cannot keep the focus ends.
struct MoveWalk {
    std::vector<const TWinControl*> visited;
    int depth = 0;
};

MoveWalk& Walk() {
    static MoveWalk walk;
    return walk;
}

class WalkScope {
public:
    explicit WalkScope(const TWinControl* origin) {
        MoveWalk& w = Walk();
        if (w.depth++ == 0) w.visited.clear();
        if (origin) w.visited.push_back(origin);
    }
    ~WalkScope() {
        if (--Walk().depth == 0) Walk().visited.clear();
    }
    WalkScope(const WalkScope&) = delete;
    WalkScope& operator=(const WalkScope&) = delete;
};

bool Visited(const TWinControl* box) {
    const auto& v = Walk().visited;
    return std::find(v.begin(), v.end(), box) != v.end();
}

}  // namespace

TEntryBox::TEntryBox(TWinControl& control) : control_(control) {}

TEntryBox::~TEntryBox() = default;

TEntryBox* TEntryBox::Of(TControl* control) {
    return dynamic_cast<TEntryBox*>(control);
}

// ------------------------------------------------------------ links

void TEntryBox::setNeighbour(TWinControl*& slot, TWinControl* control) {
    slot = control;
    if (!control) return;
    control_.SetTabStop(false);
    control_.FreeNotification(control);
}

TWinControl* TEntryBox::Neighbour(Word direction) const {
    switch (direction) {
    case VK_LEFT: return mvLeft_;
    case VK_UP: return mvUp_;
    case VK_RIGHT: case VK_RETURN: return mvRight_;
    case VK_DOWN: return mvDown_;
    default: return nullptr;
    }
}

TWinControl* TEntryBox::NeighbourOf(TMoveKey key, Word& direction) const {
    switch (key) {
    case mkLeft: direction = VK_LEFT; break;
    case mkUp: direction = VK_UP; break;
    case mkRight: direction = VK_RIGHT; break;
    case mkDown: direction = VK_DOWN; break;
    default: direction = 0; return nullptr;
    }
    return Neighbour(direction);
}

void TEntryBox::ForgetComponent(TComponent* component) {
    for (TWinControl** slot : {&mvLeft_, &mvRight_, &mvUp_, &mvDown_, &groupCurrent_}) {
        if (*slot && static_cast<TComponent*>(*slot) == component) *slot = nullptr;
    }
    if (hostPanel_ && static_cast<TComponent*>(hostPanel_) == component) hostPanel_ = nullptr;
}

void TEntryBox::SetGroupCurrent(TEntryBox* Box, TWinControl* C) {
    if (!Box || Box->groupCurrent_ == C) return;
    Box->groupCurrent_ = C;
    if (C) Box->control_.FreeNotification(C);
    const TWinControl* links[] = {Box->mvLeft_, Box->mvRight_, Box->mvUp_, Box->mvDown_};
    // Edit boxes first, then combo boxes.
    for (bool edits : {true, false}) {
        for (const TWinControl* n : links) {
            TEntryBox* b = Of(const_cast<TWinControl*>(n));
            if (b && (dynamic_cast<const TCEdit*>(n) != nullptr) == edits) SetGroupCurrent(b, C);
        }
    }
}

// ------------------------------------------------------------ moves

void TEntryBox::GiveFocus(TWinControl* N, Word V) {
    TEntryBox* box = Of(N);
    if (!box) {
        N->SetFocus();
        return;
    }
    const auto guard = N->Guard();
    box->entryKey_ = V;
    N->SetFocus();
    // A box the focus did not stay in keeps no arrival key.
    if (!guard.expired() && !N->Focused()) box->entryKey_ = 0;
}

void TEntryBox::MoveInDirection() {
    WalkScope scope(&control_);
    TWinControl* n = Neighbour(entryKey_);
    if (!n || Visited(n)) return;
    TEntryBox* box = Of(n);
    if (IsFocusable(n)) {
        if (box) GiveFocus(n, entryKey_);
        return;
    }
    if (!box) return;
    box->entryKey_ = entryKey_;
    box->MoveInDirection();
}

bool TEntryBox::PassFocusOn() {
    WalkScope scope(&control_);
    if (IsReadOnlyBox() || !IsFocusable(&control_)) {
        accepted_ = control_.Text();
        Word direction = 0;
        switch (entryKey_) {
        case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN: direction = entryKey_; break;
        case VK_RETURN: direction = VK_RIGHT; break;
        default: break;
        }
        TWinControl* target = direction ? Neighbour(direction) : groupCurrent_;
        if (!target || target == &control_ || Visited(target)) return true;
        TEntryBox* box = Of(target);
        if (IsFocusable(target)) {
            if (!direction && !box) return true;
            if (box && direction) {
                box->entryKey_ = entryKey_;
                SetGroupCurrent(box, groupCurrent_);
            }
            // This box is not validated while it passes the focus on.
            TFlagScope silent(SuppressExit);
            target->SetFocus();
        } else if (box) {
            box->entryKey_ = direction ? direction : Word(VK_RIGHT);
            box->MoveInDirection();
        }
        SuppressExit = false;
        return true;
    }
    if (!exitKeys_.Contains(ekMouse)) {
        TWinControl* g = groupCurrent_;
        if (entryKey_ == 0 && g && g != &control_ && IsFocusable(g) && Of(g)) {
            accepted_ = control_.Text();
            TFlagScope silent(SuppressExit);
            g->SetFocus();
            return true;
        }
        return false;
    }
    for (TWinControl* n : {mvLeft_, mvRight_, mvUp_, mvDown_}) {
        if (n && n->Visible()) SetGroupCurrent(Of(n), &control_);
    }
    return false;
}

void TEntryBox::RerunInPlace() {
    const auto guard = control_.Guard();
    const Word key = entryKey_;
    exitRefused_ = false;
    RunExitStep();
    if (guard.expired() || exitRefused_) return;
    // The focus did not move: the entry sees the key that brought it.
    entryKey_ = key;
    RunEntryStep();
}

void TEntryBox::MoveStep(TWinControl* N, Word V, bool forEnter, Word& Key) {
    WalkScope scope(&control_);
    const auto guard = control_.Guard();
    exitRefused_ = false;
    if (!N) {
        if (forEnter) {
            RerunInPlace();
        } else {
            Key = 0;
            if (OnMove) OnMove(&control_, V);
        }
        return;
    }
    if (IsFocusable(N)) {
        GiveFocus(N, V);
        Key = 0;
    } else if (TEntryBox* box = Of(N)) {
        if (!Visited(N)) {
            box->entryKey_ = V;
            box->MoveInDirection();
        }
        Key = 0;
    }
    if (guard.expired()) return;
    if (!control_.Focused()) {
        if (OnMove) OnMove(&control_, V);
    } else if (!exitRefused_) {
        // Refused moves raised their events once already.
        RerunInPlace();
    }
}

void TEntryBox::ArrowStep(Word& Key, TShiftState Shift, Integer selStart, Integer selLength, bool always) {
    const bool left = Key == VK_LEFT;
    if (!exitKeys_.Contains(left ? ekLeft : ekRight)) return;
    const Integer length = Integer(control_.Text().size());
    const bool atEnd = selLength == 0 && selStart == (left ? 0 : length);
    const bool allSelected = length > 0 && selLength == length && !Shift.Contains(ssShift);
    if (always || atEnd || allSelected) MoveStep(left ? mvLeft_ : mvRight_, Key, false, Key);
}

void TEntryBox::TabStep(Word& Key, TShiftState Shift) {
    if (Key != VK_TAB || !exitKeys_.Contains(ekTab)) return;
    if (control_.TabStop()) {
        Key = 0;
        return;
    }
    Word v = 0;
    TWinControl* n = NeighbourOf(Shift.Contains(ssShift) ? moveRevTab_ : moveFwdTab_, v);
    if (!n) return;
    WalkScope scope(&control_);
    const auto guard = control_.Guard();
    exitRefused_ = false;
    if (IsFocusable(n)) {
        GiveFocus(n, v);
        Key = 0;
        return;
    }
    TEntryBox* box = Of(n);
    if (!box) return;
    if (!Visited(n)) {
        box->entryKey_ = v;
        box->MoveInDirection();
    }
    Key = 0;
    if (!guard.expired() && control_.Focused() && !exitRefused_) RerunInPlace();
}

void TEntryBox::MoveOnFull() {
    Word v = 0;
    TWinControl* n = NeighbourOf(moveReturn_, v);
    if (!exitKeys_.Contains(ekReturn) || !n) {
        ValidateInPlace();
        return;
    }
    WalkScope scope(&control_);
    const auto guard = control_.Guard();
    exitRefused_ = false;
    if (IsFocusable(n)) {
        GiveFocus(n, v);
        return;
    }
    RerunInPlace();
    if (guard.expired() || exitRefused_) return;
    if (TEntryBox* box = Of(n)) {
        if (Visited(n)) return;
        box->entryKey_ = v;
        box->MoveInDirection();
    } else {
        ValidateInPlace();
    }
}

// ------------------------------------------------------------ colours

void TEntryBox::setColour(TColor color, bool withPanel) {
    control_.SetColor(color);
    if (withPanel && fitToParent_) {
        if (auto* panel = dynamic_cast<TPanel*>(control_.Parent())) panel->SetColor(color);
    }
}

void TEntryBox::FocusColourStep(bool entering, bool withPanel) {
    if (entering && control_.Focused()) setColour(activeColor_, withPanel);
    if (!entering && !control_.Focused()) setColour(inActiveColor_, withPanel);
}

void TEntryBox::UpdateColor() {
    TColor color = inActiveColor_;
    if (!IsVisibleEnabledChain(&control_, true)) color = disabledColor_;
    else if (control_.Focused()) color = activeColor_;
    control_.SetColor(color);
    if (fitToParent_ && hostPanel_) hostPanel_->SetColor(color);
}

void TEntryBox::SetActiveColor(TColor color) {
    activeColor_ = color;
    Layout();
    control_.Invalidate();
}

void TEntryBox::SetInActiveColor(TColor color) {
    inActiveColor_ = color;
    Layout();
}

void TEntryBox::SetDisabledColor(TColor color) {
    disabledColor_ = color;
    Layout();
}

// ------------------------------------------------------------ placement

void TEntryBox::SetFitToParent(bool on) {
    fitToParent_ = on;
    hostPanel_ = dynamic_cast<TPanel*>(control_.Parent());
    Layout();
}

void TEntryBox::SetHorizontalAlign(THorizontalAlign align) {
    horizontalAlign_ = align;
    Layout();
}

void TEntryBox::SetVerticalAlign(TVerticalAlign align) {
    verticalAlign_ = align;
    Layout();
}

// ------------------------------------------------------------ refresh

UInt64 TEntryBox::NextStamp() {
    // One counter for the whole program: a neighbour never skips a refresh
    // because its own stamp happens to match.
    static UInt64 counter = 0;
    return ++counter;
}

void TEntryBox::RefreshNeighbours(UInt64 stamp) {
    for (TWinControl* n : {mvLeft_, mvRight_, mvUp_, mvDown_}) {
        if (TEntryBox* box = Of(n)) box->StampedRefresh(stamp);
    }
}

// ------------------------------------------------------------ creation

void TEntryBox::DecideThemes() {
    // A scratch edit tells whether the edit control counts UTF-16 units.
    // It counts the same with or without a window, and making one would
    // make the windows of the whole form it stands on, long before the
    // form is shown (a program's hidden forms would all be built at start).
    TComponent* owner = control_.Owner();
    auto* scratch = new TEdit(owner);
    if (auto* parent = dynamic_cast<TWinControl*>(owner)) scratch->SetParent(parent);
    scratch->SetText(QStringLiteral("１２３"));
    scratch->SelectAll();
    runtimeThemes_ = scratch->SelLength() == 3;
    delete scratch;
    themed_ = true;
}
