// The combo boxes of the data-entry screens: the edit-part limit and
// display width of the base, and the navigation, change events, item
// stepping and flat frame of TSComboBox.
#include "SEdit.h"

#include "Forms.h"

// ------------------------------------------------------------ TCstomComboBox

TCstomComboBox::TCstomComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}

void TCstomComboBox::SetDisplayWidth(Integer width) {
    displayWidth_ = std::max(0, width);
}

void TCstomComboBox::SetMaxLength(Integer length) {
    maxLength_ = std::max(0, length);
    if (HandleAllocated()) SetEditLimit(maxLength_);
}

void TCstomComboBox::CreateWnd() {
    TCustomComboBox::CreateWnd();
    SetEditLimit(maxLength_);
    SetDropDownCount(DropDownCount());
}

// ------------------------------------------------------------ TSComboBox: life

TSComboBox::TSComboBox(TComponent* AOwner) : TCstomComboBox(AOwner), TEntryBox(static_cast<TWinControl&>(*this)) {
    SetHorizontalAlign(haLeft);
    SetVerticalAlign(vaTop);
    DecideThemes();
}

void TSComboBox::Notification(TComponent* AComponent, TOperation Operation) {
    TCstomComboBox::Notification(AComponent, Operation);
    if (Operation == opRemove) ForgetComponent(AComponent);
}

void TSComboBox::SetFlat(bool on) {
    flat_ = on;
    Layout();
    Invalidate();
}

void TSComboBox::SetHideButton(bool on) {
    hideButton_ = on;
    Layout();
}

void TSComboBox::SetMaxLength(Integer length) {
    TCstomComboBox::SetMaxLength(length);
    if (DisplayWidth() == 0) SetDisplayWidth(MaxLength());
}

void TSComboBox::SetDisplayWidth(Integer width) {
    TCstomComboBox::SetDisplayWidth(width);
    Layout();
}

void TSComboBox::SetItemIndex(Integer index) {
    TCstomComboBox::SetItemIndex(index);
    Invalidate();
}

void TSComboBox::Clear() {
    TCstomComboBox::Clear();
    SetAcceptedText(QString());
}

void TSComboBox::Update() {
    stamp_ = NextStamp();
    SetAcceptedText(Text());
    RefreshNeighbours(stamp_);
    TCstomComboBox::Update();
}

void TSComboBox::StampedRefresh(UInt64 stamp) {
    if (stamp_ == stamp) return;
    stamp_ = stamp;
    SetAcceptedText(Text());
    RefreshNeighbours(stamp);
}

// ------------------------------------------------------------ entry and exit

void TSComboBox::DoEnter() {
    SuppressExit = false;
    const auto guard = Guard();
    PassFocusOn();
    if (guard.expired()) return;
    // Unlike the edit box, the entry completes also after passing on.
    SetAcceptedText(Text());
    TCstomComboBox::DoEnter();
    if (!guard.expired()) FocusColourStep(true, false);
}

void TSComboBox::DoExit() {
    if (SuppressExit) {
        FocusColourStep(false, false);
        return;
    }
    const auto guard = Guard();
    if (Text() != AcceptedText()) {
        bool accept = true;
        if (OnModified) OnModified(this);
        if (guard.expired()) return;
        if (OnModifyEx) OnModifyEx(this, accept);
        if (guard.expired()) return;
        if (!accept) {
            // The refusal holds: the text stays unaccepted and the box keeps the focus.
            NoteExitRefused();
            if (CanFocus()) SetFocus();
            if (!guard.expired()) FocusColourStep(false, false);
            return;
        }
    }
    SetAcceptedText(Text());
    Invalidate();
    TCstomComboBox::DoExit();
    if (!guard.expired()) FocusColourStep(false, false);
}

// ------------------------------------------------------------ keys

void TSComboBox::KeyDown(Word& Key, TShiftState Shift) {
    const auto guard = Guard();
    switch (Key) {
    case VK_RETURN: {
        if (IsEditable()) SetSelStart(SelStart());
        Word v = 0;
        TWinControl* n = NeighbourOf(MoveReturn(), v);
        if (ExitKeys().Contains(ekReturn) && MoveReturn() != mkNone) MoveStep(n, v, true, Key);
        break;
    }
    case VK_LEFT:
    case VK_RIGHT:
        // A list without an edit part has no caret to move.
        ArrowStep(Key, Shift, SelStart(), SelLength(), !IsEditable());
        break;
    case VK_UP:
    case VK_DOWN: upDownKey(Key, Shift); break;
    case VK_ESCAPE:
        SetText(AcceptedText());
        Key = 0;
        break;
    case VK_DELETE:
    case VK_INSERT:
        // The edit part of a read-only box keeps its text: the keys that
        // delete, cut or paste without typing a character are swallowed.
        if (readOnly_ && (Key == VK_DELETE || Shift.Contains(ssShift))) Key = 0;
        break;
    default: break;
    }
    if (!guard.expired() && Key != 0) TCstomComboBox::KeyDown(Key, Shift);
}

// Up and Down: with the list open or a modifier held they work the list,
// otherwise they move to a neighbour.
void TSComboBox::upDownKey(Word& Key, TShiftState Shift) {
    const bool down = Key == VK_DOWN;
    const bool shift = Shift.Contains(ssShift), ctrl = Shift.Contains(ssCtrl), alt = Shift.Contains(ssAlt);
    if (DroppedDown() || shift || ctrl || alt) {
        if (ctrl && !shift && !alt) {
            SetDroppedDown(!DroppedDown());
            Key = 0;
        } else if (shift && !alt) {
            const Integer index = ItemIndex();
            if (!down && index > 0) SetItemIndex(index - 1);
            if (down && index < Items()->Count() - 1) SetItemIndex(index + 1);
            Key = 0;
        } else if (alt && !shift) {
            Key = 0;
        }
        return;
    }
    if (ExitKeys().Contains(down ? ekDown : ekUp)) MoveStep(down ? mvDown() : mvUp(), Key, false, Key);
}

void TSComboBox::KeyPress(WideChar& Key) {
    // A read-only box takes no character, not even for the list's search.
    if (readOnly_) {
        TWinControl::KeyPress(Key);
        Key = QChar();
        return;
    }
    TCstomComboBox::KeyPress(Key);
    if (ReturnNext() && Key == u'\r') Key = QChar();
}

void TSComboBox::KeyUp(Word& Key, TShiftState Shift) {
    const auto guard = Guard();
    TabStep(Key, Shift);
    if (!guard.expired()) TCstomComboBox::KeyUp(Key, Shift);
}

// ------------------------------------------------------------ choice and list

void TSComboBox::Click() {
    if (DroppedDown()) return;
    const auto guard = Guard();
    TCstomComboBox::Click();
    if (guard.expired() || !ExitKeys().Contains(ekMouse)) return;
    Word v = 0;
    TWinControl* n = NeighbourOf(moveOnClick_, v);
    if (v == 0) return;
    Word key = v;
    MoveStep(n, v, false, key);
}

void TSComboBox::DropDown() {
    TCstomComboBox::DropDown();
    if (Screen) Screen->SetCursor(Cursor());
    if (Application) Application->ProcessMessages();
}

// ------------------------------------------------------------ layout triggers

void TSComboBox::RequestAlign() {
    TCstomComboBox::RequestAlign();
    if (!IsLoading()) Layout();
}

void TSComboBox::ConstrainedResize(Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight) {
    TCstomComboBox::ConstrainedResize(MinWidth, MinHeight, MaxWidth, MaxHeight);
    if (HostPanel()) Layout();
}

void TSComboBox::CMFontChanged(TMessage& Message) {
    TCstomComboBox::CMFontChanged(Message);
    if (!IsLoading()) Layout();
}

// ------------------------------------------------------------ painting

// Whether the box reaches past its parent's client area on every side, as
// the flat panel layout places it.
bool TSComboBox::beyondParent() const {
    const TWinControl* parent = Parent();
    if (!parent) return false;
    const TRect client = parent->ClientRect();
    return Left() < client.Left && Top() < client.Top && Left() + Width() > client.Right &&
           Top() + Height() > client.Bottom;
}

void TSComboBox::PaintOver(TCanvas* Canvas) {
    const TRect client = ClientRect();
    const Integer button = GetSystemMetrics(SM_CXHTHUMB);
    if (beyondParent() || flat_) {
        if (BevelKind() != bkNone) return;
        // The edit area (the client area without the button) framed in
        // black, a little inside the framework's own frame.
        const Integer inset = IsEditable() ? (Themed() ? 1 : 2) : (Themed() ? 1 : 3);
        TRect frame = client;
        frame.Right -= button;
        InflateRect(frame, -inset, -inset);
        Canvas->Brush()->SetColor(clBlack);
        Canvas->FrameRect(frame);
        return;
    }
    if (BevelKind() == bkNone) return;
    TRect r = client;
    Canvas->Brush()->SetColor(Color());
    Canvas->FrameRect(r);
    InflateRect(r, -1, -1);
    Canvas->FrameRect(r);
    InflateRect(r, 1, 1);
    Cardinal edge = 0;
    if (BevelOuter() == bvRaised) edge |= BDR_RAISEDOUTER;
    if (BevelOuter() == bvLowered) edge |= BDR_SUNKENOUTER;
    if (BevelInner() == bvRaised) edge |= BDR_RAISEDINNER;
    if (BevelInner() == bvLowered) edge |= BDR_SUNKENINNER;
    Cardinal flags = BF_ADJUST;
    if (BevelEdges().Contains(beLeft)) flags |= BF_LEFT;
    if (BevelEdges().Contains(beTop)) flags |= BF_TOP;
    if (BevelEdges().Contains(beRight)) flags |= BF_RIGHT;
    if (BevelEdges().Contains(beBottom)) flags |= BF_BOTTOM;
    if (BevelKind() == bkFlat) flags |= BF_FLAT;
    if (BevelKind() == bkSoft) flags |= BF_SOFT;
    if (!Ctl3D()) flags |= BF_MONO;
    DrawEdge(Canvas->Handle(), r, edge, flags);
    if (Style() != csSimple) {
        TRect arrow(r.Right - button, r.Top, r.Right, r.Bottom);
        DrawFrameControl(Canvas->Handle(), arrow, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_FLAT);
    }
}
