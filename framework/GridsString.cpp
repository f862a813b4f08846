// TDrawGrid (the grid's hooks as events) and TStringGrid (a string per cell).
#include "Grids.h"

#include <algorithm>

// ------------------------------------------------------------ TDrawGrid

bool TDrawGrid::SelectCell(Integer ACol, Integer ARow) {
    bool can = true;
    if (OnSelectCell) OnSelectCell(this, ACol, ARow, can);
    return can;
}

void TDrawGrid::DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState) {
    if (OnDrawCell) OnDrawCell(this, ACol, ARow, ARect, AState);
}

QString TDrawGrid::GetEditText(Integer ACol, Integer ARow) {
    QString value;
    if (OnGetEditText) OnGetEditText(this, ACol, ARow, value);
    return value;
}

void TDrawGrid::SetEditText(Integer ACol, Integer ARow, const QString& Value) {
    if (OnSetEditText) OnSetEditText(this, ACol, ARow, Value);
}

void TDrawGrid::ColumnMoved(Integer FromIndex, Integer ToIndex) {
    if (OnColumnMoved) OnColumnMoved(this, FromIndex, ToIndex);
}

void TDrawGrid::RowMoved(Integer FromIndex, Integer ToIndex) {
    if (OnRowMoved) OnRowMoved(this, FromIndex, ToIndex);
}

void TDrawGrid::TopLeftChanged() {
    TCustomGrid::TopLeftChanged();
    if (OnTopLeftChanged) OnTopLeftChanged(this);
}

// ------------------------------------------------------------ TStringGrid

QString TStringGrid::Cells(Integer ACol, Integer ARow) const {
    if (ACol < 0 || ARow < 0 || ARow >= Integer(cells_.size())) return QString();
    const auto& row = cells_[size_t(ARow)];
    return ACol < Integer(row.size()) ? row[size_t(ACol)] : QString();
}

void TStringGrid::SetCells(Integer ACol, Integer ARow, const QString& Value) {
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) return;
    if (ARow >= Integer(cells_.size())) cells_.resize(size_t(ARow) + 1);
    auto& row = cells_[size_t(ARow)];
    if (ACol >= Integer(row.size())) row.resize(size_t(ACol) + 1);
    row[size_t(ACol)] = Value;
    InvalidateCell(ACol, ARow);
    if (editSync_ == 0 && ACol == Col() && ARow == Row()) InvalidateEditor();
}

void TStringGrid::DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState) {
    if (DefaultDrawing()) Canvas()->TextRect(ARect, ARect.Left + 2, ARect.Top + 2, Cells(ACol, ARow));
    TDrawGrid::DrawCell(ACol, ARow, ARect, AState);
}

QString TStringGrid::GetEditText(Integer ACol, Integer ARow) {
    QString value = Cells(ACol, ARow);
    if (OnGetEditText) OnGetEditText(this, ACol, ARow, value);
    return value;
}

// The editor's own text: stored without reloading the editor.
void TStringGrid::SetEditText(Integer ACol, Integer ARow, const QString& Value) {
    ++editSync_;
    try {
        if (Value != Cells(ACol, ARow)) SetCells(ACol, ARow, Value);
    } catch (...) {
        --editSync_;
        throw;
    }
    --editSync_;
    TDrawGrid::SetEditText(ACol, ARow, Value);
}

// Cells of removed rows and columns are gone for good.
void TStringGrid::SizeChanged(Integer OldColCount, Integer OldRowCount) {
    if (Integer(cells_.size()) > RowCount()) cells_.resize(size_t(RowCount()));
    for (auto& row : cells_) {
        if (Integer(row.size()) > ColCount()) row.resize(size_t(ColCount()));
    }
    TDrawGrid::SizeChanged(OldColCount, OldRowCount);
}

void TStringGrid::ColumnMoved(Integer FromIndex, Integer ToIndex) {
    for (auto& row : cells_) {
        row.resize(size_t(ColCount()));
        const QString v = row[size_t(FromIndex)];
        row.erase(row.begin() + FromIndex);
        row.insert(row.begin() + ToIndex, v);
    }
    TDrawGrid::ColumnMoved(FromIndex, ToIndex);
}

void TStringGrid::RowMoved(Integer FromIndex, Integer ToIndex) {
    cells_.resize(size_t(RowCount()));
    const std::vector<QString> v = cells_[size_t(FromIndex)];
    cells_.erase(cells_.begin() + FromIndex);
    cells_.insert(cells_.begin() + ToIndex, v);
    TDrawGrid::RowMoved(FromIndex, ToIndex);
}
