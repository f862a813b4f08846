// The entry grid's keyboard and cell movement: the forward, backward, up
// and down steps in voucher order, auto-append at the last cell, skipping
// of display-only cells with full-turn detection, OnOutOfCells, and the key
// filter that applies a column's rule to every typed character.
#include "SDBGrid.h"

#include "Dialogs.h"
#include "SDBGridInternal.h"
#include "SEdit.h"

namespace {

// The exit-key bit of a virtual key, or false when the key is none.
bool ExitKeyOf(Word key, TSExitKey& exitKey) {
    switch (key) {
    case VK_RETURN: exitKey = ekgReturn; return true;
    case VK_RIGHT: exitKey = ekgRight; return true;
    case VK_LEFT: exitKey = ekgLeft; return true;
    case VK_UP: exitKey = ekgUp; return true;
    case VK_DOWN: exitKey = ekgDown; return true;
    case VK_TAB: exitKey = ekgTab; return true;
    default: return false;
    }
}

bool IsFunctionKeyThatKeepsTheEditor(Word key) {
    return key == VK_F1 || (key >= VK_F3 && key <= VK_F12);
}

bool IsNavigationKey(Word key) {
    switch (key) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_HOME: case VK_END: case VK_PRIOR:
    case VK_NEXT: case VK_ESCAPE: case VK_SHIFT: case VK_CONTROL: case VK_MENU:
        return true;
    default:
        return false;
    }
}

}  // namespace

// ------------------------------------------------------------ skipping

// The target of a move cannot be entered: the cursor goes on in the
// direction of the last move, or, once it has come round to the first
// skipped cell again, stays and reports the edge. Without a direction (a
// click, a typed key before) the move is only refused: no skip starts, so
// none is recorded for the next move to mistake for a full turn.
void TSDBGrid::skip(Integer ACol, Integer ARow) {
    if (direction_ != crFwd && direction_ != crRev && direction_ != crUp && direction_ != crDown) return;
    const TGridCoord target{ACol, ARow};
    if (firstSkipped_.X < 0) {
        firstSkipped_ = target;
    } else if (firstSkipped_ == target) {
        stayAtEdge(direction_);
        return;
    }
    switch (direction_) {
    case crFwd:
        if (ACol < ColCount() - 1) MoveColRow(ACol + 1, ARow, true, true);
        else if (ARow < RowCount() - 1) MoveColRow(0, ARow + 1, true, true);
        else skipAtForwardEdge(crFwd);
        break;
    case crRev:
        if (ACol > FixedCols()) {
            MoveColRow(ACol - 1, ARow, true, true);
        } else if (ARow > FixedRows()) {
            MoveColRow(ColCount() - 1, ARow - 1, true, true);
        } else {
            stayAtEdge(crRev);
        }
        break;
    case crUp:
        if (ARow > FixedRows()) MoveColRow(ACol, ARow - 1, true, true);
        else stayAtEdge(crUp);
        break;
    case crDown:
        if (ARow < RowCount() - 1) MoveColRow(ACol, ARow + 1, true, true);
        else skipAtForwardEdge(crDown);
        break;
    default: break;
    }
}

// Skipping ran past the last cell: a new row when auto-append allows it,
// entered from its first column forwards (a downward skip that went on
// downwards would append again and again); else the edge is reported.
void TSDBGrid::skipAtForwardEdge(crDirection dir) {
    if (!appendAllowed()) {
        stayAtEdge(dir);
        return;
    }
    AppendRow();
    direction_ = crFwd;
    MoveColRow(0, RowCount() - 1, true, true);
    if (OnAutoAppended) OnAutoAppended(this, Col(), Row());
}

bool TSDBGrid::appendAllowed() {
    return autoAppendLine_ && (appendIfNull_ || !IsRowNull(Row())) && RowCount() < maxRows_ + FixedRows();
}

// The cursor stays where it is, at whatever edge skipping found: the skip
// under way ends, the cell is entered again with its edit as it stands (its
// value was checked and reported on the way, and a value reported as taken
// is never dropped afterwards) and the edge is reported.
void TSDBGrid::stayAtEdge(crDirection dir) {
    firstSkipped_ = TGridCoord{-1, -1};
    enterCell(Col(), Row());
    validateCell(Col(), Row(), false);
    outOfCells(dir);
    direction_ = crGoodCol;
}

void TSDBGrid::outOfCells(crDirection dir) {
    ++outOfCellsCount_;
    if (OnOutOfCells) OnOutOfCells(this, dir);
}

// ------------------------------------------------------------ steps

// One move through SelectCell; true when the cursor left its cell. A
// forward move that did not happen, for another reason than the cell's own
// check and without an edge reported on the way, reports the edge. (A cell
// that keeps the cursor for its value is no edge: the value is to be
// mended, not left behind.)
bool TSDBGrid::moveTo(Integer ACol, Integer ARow) {
    const TGridCoord before{Col(), Row()};
    const Integer reported = outOfCellsCount_;
    leaveRefused_ = false;
    if (ACol != Col()) SetCol(ACol);
    else if (ARow != Row()) SetRow(ARow);
    const bool moved = !(TGridCoord{Col(), Row()} == before);
    if (!moved && direction_ == crFwd && !leaveRefused_ && outOfCellsCount_ == reported) outOfCells(crFwd);
    return moved;
}

void TSDBGrid::forwardStep(StepKey key) {
    direction_ = crFwd;
    if (Col() < ColCount() - 1) {
        moveTo(Col() + 1, Row());
    } else if (Row() < RowCount() - 1) {
        // The first column of the row, then down: two moves, the second
        // only when the first was not refused.
        leaveRefused_ = false;
        MoveToFirstStayColumn(true);
        if (leaveRefused_) return;
        moveTo(Col(), Row() + 1);
    } else {
        lastCell(key);
    }
}

void TSDBGrid::backwardStep() {
    direction_ = crRev;
    if (Col() > FixedCols()) {
        moveTo(Col() - 1, Row());
    } else if (Row() > FixedRows()) {
        if (!moveTo(Col(), Row() - 1)) return;
        MoveToLastStayColumn(true);
    } else {
        RestoreOldData();
        outOfCells(crRev);
    }
}

void TSDBGrid::upMove() {
    direction_ = crUp;
    if (Row() > FixedRows()) {
        moveTo(Col(), Row() - 1);
    } else {
        RestoreOldData();
        outOfCells(crUp);
    }
}

void TSDBGrid::downMove() {
    direction_ = crDown;
    if (Row() < RowCount() - 1) moveTo(Col(), Row() + 1);
    else lastCell(StepKey::Down);
}

// The cursor is in the last cell (the last row for Down).
void TSDBGrid::lastCell(StepKey key) {
    const crDirection dir = key == StepKey::Down ? crDown : crFwd;
    if (!autoAppendLine_) {
        if (key == StepKey::Enter) {
            // The last cell is checked and reported; the cursor stays.
            if (SelectCell(Col(), Row()) && Options().Contains(goEditing) && InplaceEditor()) outOfCells(crFwd);
            UpdateEdit();
        } else {
            RestoreOldData();
            outOfCells(dir);
        }
        return;
    }
    if (!appendIfNull_ && IsRowNull(Row())) return;
    if (RowCount() >= maxRows_ + FixedRows()) {
        if (key != StepKey::Enter) {
            RestoreOldData();
            outOfCells(dir);
        }
        return;
    }
    // The edit of the last cell is checked and reported before the new row;
    // the cell keeps the form its check gave it.
    leaveRefused_ = false;
    if (!leaveCurrent()) return;
    AppendRow();
    MoveToFirstStayColumn(true);
    if (OnAutoAppended) OnAutoAppended(this, Col(), Row());
}

// ------------------------------------------------------------ key-down

void TSDBGrid::KeyDown(Word& Key, TShiftState Shift) {
    if (Key == 0) return;
    const TGridColumn* column = Column(Col());
    TInplaceEdit* editor = InplaceEditor();
    TSExitKey exitKey = ekgReturn;
    const bool isExitKey = ExitKeyOf(Key, exitKey);
    const bool leaves = column && isExitKey && column->ExitKeys().Contains(exitKey);
    if (column && isExitKey && !column->FixedKeys().Contains(exitKey)) RestoreOldData();
    direction_ = crGoodCol;
    switch (Key) {
    case VK_BACK:
        if (editor && editor->ReadOnly()) {
            RestoreOldData();
            Key = 0;
        }
        break;
    case VK_TAB:
        if (leaves && Options().Contains(goTabs)) {
            if (Shift.Contains(ssShift)) backwardStep();
            else forwardStep(StepKey::TabOrRight);
            Key = 0;
        }
        break;
    case VK_RETURN:
        enterDownSeen_ = true;
        enterActed_ = leaves && enterKeyDown(Shift);
        break;
    case VK_ESCAPE:
        escapeKey();
        Key = 0;
        break;
    case VK_LEFT:
        if (!leaves) break;
        direction_ = crRev;
        if (Col() > FixedCols()) moveTo(Col() - 1, Row());
        else if (Row() > FixedRows() && caretAllowsLeave(true)) backwardStep();
        else if (Row() <= FixedRows()) {
            RestoreOldData();
            outOfCells(crRev);
        } else break;
        Key = 0;
        break;
    case VK_UP:
        if (!leaves) break;
        upMove();
        Key = 0;
        break;
    case VK_RIGHT:
        if (!leaves) break;
        direction_ = crFwd;
        if (Col() < ColCount() - 1) moveTo(Col() + 1, Row());
        else if (caretAllowsLeave(false)) forwardStep(StepKey::TabOrRight);
        else break;
        Key = 0;
        break;
    case VK_DOWN:
        if (!leaves) break;
        downMove();
        Key = 0;
        break;
    case VK_DELETE:
        if (!Options().Contains(goEditing) || Options().Contains(goRowSelect) || (editor && editor->ReadOnly())) {
            RestoreOldData();
            Key = 0;
        }
        break;
    default: break;
    }
    typedText_ = Cells(Col(), Row());
    TStringGrid::KeyDown(Key, Shift);
}

// Enter on the grid itself; true when the key-down acted, so that its
// key-up does not act again.
bool TSDBGrid::enterKeyDown(TShiftState Shift) {
    TInplaceEdit* editor = InplaceEditor();
    if (ImeResultFlag(this) || (editor && editor->Shown())) return false;
    if (!Options().Contains(goEditing)) {
        if (!Shift.Contains(ssShift)) forwardStep(StepKey::Enter);
        return true;
    }
    const TGridColumn* column = Column(Col());
    if (editor && editor->SelLength() > 0) {
        editor->Deselect();
        return true;
    }
    if (editor && column && !column->AutoSelect() && !editor->Focused()) {
        ShowEditor();
        return true;
    }
    forwardStep(StepKey::Enter);
    return true;
}

void TSDBGrid::escapeKey() {
    TInplaceEdit* editor = InplaceEditor();
    if (Cells(Col(), Row()) != oldData_ || (editor && editor->Modified())) {
        if (OnChanged) OnChanged(this, Col(), Row());
    }
    RestoreOldData();
    if (editor) editor->UpdateContents();
}

// Whether an arrow may leave the cell past the row's edge: the editor is
// hidden or missing, all its text is selected, or the caret stands at the
// start (atStart) or the end.
bool TSDBGrid::caretAllowsLeave(bool atStart) const {
    const TInplaceEdit* editor = InplaceEditor();
    if (!editor || !editor->Shown()) return true;
    const Integer length = Integer(editor->Text().size());
    const Integer start = editor->SelStart(), selected = editor->SelLength();
    if (selected == length) return true;
    if (selected != 0) return false;
    return atStart ? start == 0 : start == length;
}

// ------------------------------------------------------------ key-up

void TSDBGrid::KeyUp(Word& Key, TShiftState Shift) {
    direction_ = crGoodCol;
    const TGridColumn* column = Column(Col());
    TInplaceEdit* editor = InplaceEditor();
    switch (Key) {
    case VK_BACK:
        if (Cells(Col(), Row()) != typedText_ || (editor && editor->Modified())) {
            if (OnChanged) OnChanged(this, Col(), Row());
        }
        break;
    case VK_TAB:
        if (!Options().Contains(goTabs) && column && column->ExitKeys().Contains(ekgTab)) {
            if (Shift.Contains(ssShift)) backwardStep();
            else forwardStep(StepKey::TabOrRight);
            Key = 0;
        }
        break;
    case VK_RETURN: {
        // One Enter, one move: the key-up acts only for an Enter the grid
        // saw go down and that its key-down did not carry out.
        const bool act = enterDownSeen_ && !enterActed_;
        enterDownSeen_ = false;
        enterActed_ = false;
        if (ImeResultFlag(this)) {
            ClearImeResultFlag();
            break;
        }
        direction_ = crFwd;
        if (!act || !column || !column->ExitKeys().Contains(ekgReturn)) break;
        if (!Options().Contains(goEditing) && Shift.Contains(ssShift)) {
            Key = 0;
            break;
        }
        forwardStep(StepKey::Enter);
        break;
    }
    case VK_DELETE: deleteKeyUp(Key); break;
    default:
        if (IsNavigationKey(Key)) break;
        if (!IsFunctionKeyThatKeepsTheEditor(Key) && editor && !EditorMode()) SetEditorMode(true);
        if (OnChanged) OnChanged(this, Col(), Row());
        break;
    }
    typedText_ = Cells(Col(), Row());
    TStringGrid::KeyUp(Key, Shift);
    if (TInplaceEdit* e = InplaceEditor()) e->SetModified(false);
}

void TSDBGrid::deleteKeyUp(Word& Key) {
    TInplaceEdit* editor = InplaceEditor();
    if (!Options().Contains(goEditing) || Options().Contains(goRowSelect) || (editor && editor->ReadOnly())) {
        RestoreOldData();
        Key = 0;
        return;
    }
    const TGridColumn* column = Column(Col());
    const bool editorFocused = editor && editor->Focused();
    const QString before = Cells(Col(), Row());
    if (!editorFocused || (column && column->Alignment() == taRightJustify)) setCell(Col(), Row(), QString());
    if (Cells(Col(), Row()) != before || (editor && editor->Modified())) {
        if (OnChanged) OnChanged(this, Col(), Row());
    }
}

// ------------------------------------------------------------ the key filter

void TSDBGrid::reject(WideChar& Key) {
    Key = QChar();
    MessageBeep(0);
}

void TSDBGrid::KeyPress(WideChar& Key) {
    if (Key == QLatin1Char('\r')) enterDownSeen_ = true;
    TStringGrid::KeyPress(Key);
    TInplaceEdit* editor = InplaceEditor();
    const TGridColumn* column = Column(Col());
    if (Key.isNull() || !editor || !column) return;
    if (Key == QLatin1Char('\b') || Key.unicode() == 0x1B) {
        editor->SetModified(false);
        return;
    }
    if (Key == QLatin1Char('\r') && column->ExitKeys().Contains(ekgReturn)) {
        Key = QChar();
        return;
    }
    const Integer limit = column->MaxLength() > 0 ? column->MaxLength() : 65535;
    if (Integer(editor->Text().size()) - editor->SelLength() >= limit) {
        reject(Key);
        return;
    }
    if (column->Alignment() == taRightJustify && editor->ReadOnly()) {
        Key = QChar();
        return;
    }
    const bool passed = column->NumericType() != ntgDontCare ? filterNumberKey(column, Key)
                                                              : punctuationAccepted(column, Key, false);
    if (!passed) reject(Key);
    if (!Key.isNull()) {
        if (OnChanged) OnChanged(this, Col(), Row());
        typedText_ += Key;
    }
    editor->SetModified(false);
}

// The keys of the number, date and time kinds: digits (not beyond the
// decimals), separators turned into the kind's own, one minus and one
// point. False rejects the key with a beep; a key consumed silently
// returns true with Key 0.
bool TSDBGrid::filterNumberKey(const TGridColumn* column, WideChar& Key) {
    const TSNumericType kind = column->NumericType();
    const TInplaceEdit* editor = InplaceEditor();
    const QString text = editor->Text();
    const char16_t c = Key.unicode();
    if (c >= u'0' && c <= u'9') {
        const Integer point = Integer(text.indexOf(QLatin1Char('.'))) + 1;
        if (point > 0 && point <= editor->SelStart() && Integer(text.size()) - point >= column->fpLength())
            Key = QChar();
        return true;
    }
    switch (c) {
    case u':':
        if (IsDateKind(kind)) Key = QLatin1Char('/');
        else if (!IsTimeKind(kind)) Key = QChar();
        return true;
    case u'/':
        if (!IsDateKind(kind)) Key = QChar();
        return true;
    case u'*': case u'+':
        if (IsTimeKind(kind)) Key = QLatin1Char(':');
        else if (IsDateKind(kind)) Key = QLatin1Char('/');
        else return false;
        return true;
    case u'-': case u'.':
        if (IsTimeKind(kind)) Key = QLatin1Char(':');
        else if (IsDateKind(kind)) Key = QLatin1Char('/');
        else return punctuationAccepted(column, Key, true);
        return true;
    case u'\t': case u'\b':
        return true;
    default:
        return false;
    }
}

// The punctuation a column allows. For numbers also: one of each, and the
// minus only in front (the selection collapses to its start). A whole text
// selected is replaced, so only the column's permission counts then.
bool TSDBGrid::punctuationAccepted(const TGridColumn* column, WideChar Key, bool number) {
    TSCharType needed;
    switch (Key.unicode()) {
    case u'"': needed = ctgDQuoted; break;
    case u'\'': needed = ctgQuoted; break;
    case u',': needed = ctgConmma; break;
    case u'-': needed = ctgMinus; break;
    case u'.': needed = ctgPeriod; break;
    default: return true;
    }
    if (!column->CharTypes().Contains(needed)) return false;
    if (!number) return true;
    TInplaceEdit* editor = InplaceEditor();
    const QString text = editor->Text();
    if (editor->SelLength() == Integer(text.size())) return true;
    if (text.contains(Key)) return false;
    if (Key == QLatin1Char('-')) {
        if (editor->SelStart() != 0) return false;
        editor->SetSelLength(0);
    }
    return true;
}
