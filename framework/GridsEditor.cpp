// The in-place cell editor and the grid's side of it: creating, binding to
// the current cell, showing, hiding, keys and the text going into the cell.
#include "Grids.h"

#include "Forms.h"

#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>

// ------------------------------------------------------------ TInplaceEdit

TInplaceEdit::TInplaceEdit(TCustomGrid* Grid) : TCustomEdit(Grid), grid_(Grid) {
    SetParentCtl3D(false);
    SetCtl3D(false);
    SetTabStop(false);
    SetBorderStyle(bsNone);
    SetAutoSize(false);
    SetFocusUnitPart(true);
    SetVisible(false);
}

bool TInplaceEdit::Shown() const {
    return Visible();
}

void TInplaceEdit::Move(const TRect& rect) {
    if (rect.IsEmpty()) {
        Hide();
        return;
    }
    SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height());
    if (!Visible()) SetVisible(true);
    if (grid_->Focused() && CanFocus()) SetFocus();
}

void TInplaceEdit::Hide() {
    if (!Visible()) return;
    // The grid takes the focus before the window goes: Qt would otherwise
    // leave it on a hidden widget.
    if (Focused() && grid_->CanFocus()) grid_->SetFocus();
    SetVisible(false);
}

void TInplaceEdit::UpdateContents() {
    SetText(grid_->GetEditText(grid_->Col(), grid_->Row()));
    SetModified(false);
}

void TInplaceEdit::Deselect() {
    SetSelStart(Integer(Text().size()));
}

void TInplaceEdit::TypeChar(WideChar Key) {
    KeyPress(Key);
    if (Key.isNull()) return;
    if (Key == QLatin1Char('\b')) {
        if (QLineEdit* e = LineEdit()) e->backspace();
        return;
    }
    SetSelText(QString(Key));
    SetModified(true);
}

bool TInplaceEdit::caretAtStart() const {
    const Integer start = SelStart(), length = SelLength();
    return start == 0 && (length == 0 || length == Integer(Text().size()));
}

bool TInplaceEdit::caretAtEnd() const {
    const Integer start = SelStart(), length = SelLength();
    return (start == 0 || length == 0) && start + length == Integer(Text().size());
}

void TInplaceEdit::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        if (grid_->Options().Contains(goTabs)) Message.Result |= DLGC_WANTTAB;
        return;
    case WM_KILLFOCUS:
        // The grid learns that its focus comes from its own editor.
        if (QWidget* g = grid_->Widget(); g && QApplication::focusWidget() == g) grid_->focusFromEditor_ = true;
        TCustomEdit::WndProc(Message);
        return;
    default:
        TCustomEdit::WndProc(Message);
        return;
    }
}

void TInplaceEdit::KeyDown(Word& Key, TShiftState Shift) {
    auto toGrid = [&] {
        grid_->KeyDown(Key, Shift);
        Key = 0;
    };
    const bool forward = grid_->Options().Contains(goAlwaysShowEditor);
    const bool ctrl = Shift.Contains(ssCtrl);
    switch (Key) {
    case VK_UP: case VK_DOWN: case VK_PRIOR: case VK_NEXT: case VK_ESCAPE: toGrid(); break;
    case VK_TAB:
        if (!Shift.Contains(ssAlt)) toGrid();
        break;
    case VK_INSERT:
        if (Shift.Empty()) toGrid();
        else if (Shift == TShiftState{ssShift} && !grid_->CanEditModify()) Key = 0;
        break;
    case VK_LEFT: case VK_HOME:
        if (forward && (ctrl || caretAtStart())) toGrid();
        break;
    case VK_RIGHT: case VK_END:
        if (forward && (ctrl || caretAtEnd())) toGrid();
        break;
    case VK_DELETE:
        if (ctrl) toGrid();
        else if (!grid_->CanEditModify()) Key = 0;
        break;
    default: break;
    }
    if (Key == 0) return;
    // Keys the edit keeps still show in the grid's OnKeyDown.
    if (grid_->OnKeyDown) grid_->OnKeyDown(grid_, Key, Shift);
    if (Key != 0) TCustomEdit::KeyDown(Key, Shift);
}

void TInplaceEdit::KeyPress(WideChar& Key) {
    grid_->KeyPress(Key);
    switch (Key.unicode()) {
    case 0: return;
    case '\t': case 0x1B: Key = QChar(); return;
    case '\r':
        // An Enter the grid left alone toggles between all and none selected.
        if (SelStart() == 0 && SelLength() == Integer(Text().size())) Deselect();
        else SelectAll();
        Key = QChar();
        return;
    default: break;
    }
    const bool edits = Key == QLatin1Char('\b') || Key.unicode() == 0x16 || Key.unicode() == 0x18 || Key.unicode() >= 0x20;
    if (edits && !grid_->CanEditModify()) {
        Key = QChar();
        return;
    }
    TCustomEdit::KeyPress(Key);
}

void TInplaceEdit::KeyUp(Word& Key, TShiftState Shift) {
    grid_->KeyUp(Key, Shift);
}

void TInplaceEdit::Change() {
    grid_->Perform(WM_COMMAND, MakeLong(0, EN_CHANGE), LPARAM(reinterpret_cast<intptr_t>(this)));
    TCustomEdit::Change();
}

// ------------------------------------------------------------ the grid's side

TInplaceEdit* TCustomGrid::CreateEditor() {
    return new TInplaceEdit(this);
}

TInplaceEdit* TCustomGrid::EnsureEditor() {
    if (!inplaceEdit_) {
        inplaceEdit_ = CreateEditor();
        inplaceEdit_->SetParent(this);
    }
    return inplaceEdit_;
}

bool TCustomGrid::CanEditShow() const {
    return options_.Contains(goEditing) && !options_.Contains(goRowSelect) && editorMode_ && HandleAllocated() &&
           (options_.Contains(goAlwaysShowEditor) || IsActiveControl());
}

bool TCustomGrid::CanEditModify() const {
    return true;
}

QString TCustomGrid::GetEditText(Integer, Integer) {
    return QString();
}

void TCustomGrid::SetEditText(Integer, Integer, const QString&) {}

void TCustomGrid::SetEditorMode(bool on) {
    if (!on) {
        HideEditor();
        return;
    }
    ShowEditor();
    if (inplaceEdit_) inplaceEdit_->Deselect();
}

void TCustomGrid::ShowEditor() {
    editorMode_ = true;
    UpdateEdit();
}

void TCustomGrid::HideEditor() {
    editorMode_ = false;
    hideEdit();
}

void TCustomGrid::hideEdit() {
    if (!inplaceEdit_) return;
    UpdateText();
    inplaceCol_ = -1;
    inplaceRow_ = -1;
    inplaceEdit_->Hide();
}

void TCustomGrid::bindEditor() {
    inplaceCol_ = current_.X;
    inplaceRow_ = current_.Y;
    inplaceEdit_->UpdateContents();
    inplaceEdit_->SelectAll();
}

void TCustomGrid::UpdateEdit() {
    if (!CanEditShow()) return;
    if (!inplaceEdit_) {
        EnsureEditor();
        bindEditor();
    } else if (current_.X != inplaceCol_ || current_.Y != inplaceRow_) {
        hideEdit();
        bindEditor();
    }
    if (CanEditShow()) inplaceEdit_->Move(CellRect(current_.X, current_.Y));
}

void TCustomGrid::InvalidateEditor() {
    inplaceCol_ = -1;
    inplaceRow_ = -1;
    if (inplaceEdit_ && inplaceEdit_->Shown()) bindEditor();
}

void TCustomGrid::UpdateText() {
    if (inplaceEdit_ && inplaceCol_ >= 0 && inplaceRow_ >= 0)
        SetEditText(inplaceCol_, inplaceRow_, inplaceEdit_->Text());
}

void TCustomGrid::ShowEditorChar(WideChar Ch) {
    ShowEditor();
    if (inplaceEdit_ && inplaceEdit_->Shown()) inplaceEdit_->TypeChar(Ch);
}

void TCustomGrid::WMCommand(TMessage& Message) {
    if (inplaceEdit_ && Message.LParam == LPARAM(reinterpret_cast<intptr_t>(inplaceEdit_)) &&
        HiWord(Cardinal(Message.WParam)) == EN_CHANGE)
        UpdateText();
}

// Focus that comes from outside shows the editor again; focus handed over
// by the editor itself does not.
void TCustomGrid::WMSetFocus(TMessage& Message) {
    TCustomControl::WMSetFocus(Message);
    const bool fromEditor = focusFromEditor_;
    focusFromEditor_ = false;
    InvalidateCell(current_.X, current_.Y);
    if (!fromEditor) UpdateEdit();
}

void TCustomGrid::WMKillFocus(TMessage& Message) {
    TCustomControl::WMKillFocus(Message);
    InvalidateCell(current_.X, current_.Y);
}
