// TCustomGrid and the user: the default keys (cursor movement, paging,
// scrolling, the editor), the mouse (focus, cell choice, selection, column
// and row sizing, row and column moving).
#include "Grids.h"

#include "GridsInternal.h"

#include <QtWidgets/QAbstractScrollArea>

#include <algorithm>

// ------------------------------------------------------------ keys

void TCustomGrid::KeyDown(Word& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    TGridCoord target = current_;
    TGridCoord view = topLeft_;
    const Integer page = std::max(1, VisibleRowCount());
    const bool rowSelect = options_.Contains(goRowSelect);
    if (Shift.Contains(ssCtrl)) {
        switch (Key) {
        case VK_UP: --view.Y; break;
        case VK_DOWN: ++view.Y; break;
        case VK_LEFT: if (!rowSelect) --view.X; break;
        case VK_RIGHT: if (!rowSelect) ++view.X; break;
        case VK_PRIOR: target.Y = topLeft_.Y; break;
        case VK_NEXT: target.Y = topLeft_.Y + page - 1; break;
        case VK_HOME: target = TGridCoord{fixedCols_, fixedRows_}; break;
        case VK_END: target = TGridCoord{colCount_ - 1, rowCount_ - 1}; break;
        default: break;
        }
    } else {
        switch (Key) {
        case VK_UP: --target.Y; break;
        case VK_DOWN: ++target.Y; break;
        case VK_LEFT: if (rowSelect) --view.X; else --target.X; break;
        case VK_RIGHT: if (rowSelect) ++view.X; else ++target.X; break;
        case VK_NEXT:
            target.Y += page;
            view.Y += page;
            break;
        case VK_PRIOR:
            target.Y -= page;
            view.Y -= page;
            break;
        case VK_HOME:
            if (rowSelect) target.Y = fixedRows_;
            else target.X = fixedCols_;
            break;
        case VK_END:
            if (rowSelect) target.Y = rowCount_ - 1;
            else target.X = colCount_ - 1;
            break;
        case VK_TAB:
            if (!options_.Contains(goTabs) || Shift.Contains(ssAlt)) break;
            // Tab walks the row and wraps to the next (Shift: backwards).
            if (Shift.Contains(ssShift)) {
                if (--target.X < fixedCols_) {
                    target.X = colCount_ - 1;
                    if (--target.Y < fixedRows_) target.Y = rowCount_ - 1;
                }
                Shift.Exclude(ssShift);
            } else if (++target.X >= colCount_) {
                target.X = fixedCols_;
                if (++target.Y >= rowCount_) target.Y = fixedRows_;
            }
            break;
        case VK_F2: SetEditorMode(true); break;
        default: break;
        }
    }
    if (view.X != topLeft_.X || view.Y != topLeft_.Y) MoveTopLeft(view.X, view.Y);
    target.X = std::clamp(target.X, fixedCols_, colCount_ - 1);
    target.Y = std::clamp(target.Y, fixedRows_, rowCount_ - 1);
    if (target.X != current_.X || target.Y != current_.Y) FocusCell(target.X, target.Y, !Shift.Contains(ssShift));
}

void TCustomGrid::KeyPress(WideChar& Key) {
    // A character typed on the grid itself (not in its editor) shows the
    // editor and goes to it, so it passes the editor's key-press step once.
    const bool editable = options_.Contains(goEditing) && !options_.Contains(goRowSelect);
    const bool typed = Key == QLatin1Char('\b') || (Key.unicode() >= 0x20 && Key.unicode() != 0x7F);
    if (editable && typed && Focused() && !redirectingChar_) {
        redirectingChar_ = true;
        try {
            ShowEditorChar(Key);
        } catch (...) {
            redirectingChar_ = false;
            throw;
        }
        redirectingChar_ = false;
        if (inplaceEdit_ && inplaceEdit_->Shown()) {
            Key = QChar();
            return;
        }
    }
    TCustomControl::KeyPress(Key);
    if (!options_.Contains(goAlwaysShowEditor) && Key == QLatin1Char('\r')) {
        if (editorMode_) HideEditor();
        else ShowEditor();
        Key = QChar();
    }
}

// ------------------------------------------------------------ mouse

namespace {

// Pixels on either side of a line where a press starts sizing.
constexpr Integer SizingMargin = 3;

}  // namespace

// Sizing starts on a line between two cells of the fixed rows (columns) or
// the fixed columns (rows); index is the cell left of (above) the line.
TGridState TCustomGrid::sizingStateAt(Integer X, Integer Y, Integer& index, Integer& pos) const {
    const AxisView cols = colAxis(), rows = rowAxis();
    auto lineNear = [](const AxisView& a, Integer p, Integer& found) {
        Integer start = 0;
        auto test = [&](Integer i) {
            const Integer end = start + a.size(i);
            if (p >= end - SizingMargin && p <= end + SizingMargin) {
                found = i;
                return true;
            }
            start += a.step(i);
            return false;
        };
        for (Integer i = 0; i < a.fixed; ++i) {
            if (test(i)) return true;
        }
        for (Integer i = a.first; i < a.count && start < a.extent; ++i) {
            if (test(i)) return true;
        }
        return false;
    };
    if (options_.Contains(goColSizing) && Y < rows.fixedExtent() && lineNear(cols, X, index)) {
        pos = X;
        return gsColSizing;
    }
    if (options_.Contains(goRowSizing) && X < cols.fixedExtent() && lineNear(rows, Y, index)) {
        pos = Y;
        return gsRowSizing;
    }
    return gsNormal;
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    auto guard = Guard();
    if (CanFocus() && !IsActiveControl()) {
        SetFocus();
        if (guard.expired() || !IsActiveControl()) return;
    }
    if (Button == mbLeft && Shift.Contains(ssDouble)) {
        DblClick();
    } else if (Button == mbLeft) {
        gridState_ = sizingStateAt(X, Y, sizingIndex_, sizingPos_);
        if (gridState_ == gsNormal) {
            const TGridCoord hit = MouseCoord(X, Y);
            if (hit.X >= fixedCols_ && hit.Y >= fixedRows_) {
                if (options_.Contains(goEditing)) {
                    if (hit == current_) {
                        ShowEditor();
                    } else {
                        MoveCurrent(hit.X, hit.Y, true, true);
                        UpdateEdit();
                    }
                    if (guard.expired()) return;
                    Click();
                } else {
                    gridState_ = gsSelecting;
                    MoveCurrent(hit.X, hit.Y, !Shift.Contains(ssShift), true);
                    if (guard.expired()) return;
                    Click();
                }
            } else if (options_.Contains(goRowMoving) && hit.X >= 0 && hit.X < fixedCols_ && hit.Y >= fixedRows_) {
                gridState_ = gsRowMoving;
                moveIndex_ = movePos_ = hit.Y;
            } else if (options_.Contains(goColMoving) && hit.Y >= 0 && hit.Y < fixedRows_ && hit.X >= fixedCols_) {
                gridState_ = gsColMoving;
                moveIndex_ = movePos_ = hit.X;
            }
        }
    }
    if (guard.expired()) return;
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomGrid::MouseMove(TShiftState Shift, Integer X, Integer Y) {
    const TGridCoord hit = MouseCoord(X, Y);
    switch (gridState_) {
    case gsSelecting:
        if (hit.X >= fixedCols_ && hit.Y >= fixedRows_ && !(hit == current_)) MoveCurrent(hit.X, hit.Y, false, true);
        break;
    case gsColSizing: sizingPos_ = X; break;
    case gsRowSizing: sizingPos_ = Y; break;
    case gsRowMoving:
        if (hit.Y >= fixedRows_) movePos_ = hit.Y;
        break;
    case gsColMoving:
        if (hit.X >= fixedCols_) movePos_ = hit.X;
        break;
    default: {
        // The pointer tells where a press would size.
        Integer index = 0, pos = 0;
        const TGridState sizing = sizingStateAt(X, Y, index, pos);
        if (auto* area = static_cast<QAbstractScrollArea*>(Widget())) {
            QWidget* vp = area->viewport();
            if (sizing == gsColSizing) vp->setCursor(Qt::SplitHCursor);
            else if (sizing == gsRowSizing) vp->setCursor(Qt::SplitVCursor);
            else vp->unsetCursor();
        }
        break;
    }
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    const TGridState state = gridState_;
    gridState_ = gsNormal;
    switch (state) {
    case gsColSizing: {
        const Integer start = colAxis().start(sizingIndex_);
        if (start >= 0) SetColWidths(sizingIndex_, std::max(0, X - start));
        break;
    }
    case gsRowSizing: {
        const Integer start = rowAxis().start(sizingIndex_);
        if (start >= 0) SetRowHeights(sizingIndex_, std::max(0, Y - start));
        break;
    }
    case gsRowMoving: MoveRow(moveIndex_, movePos_); break;
    case gsColMoving: MoveColumn(moveIndex_, movePos_); break;
    default: break;
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}
