// TCustomGrid: the shape of the grid, the geometry of its cells, the
// current cell and its one moving path, and scrolling. Painting and the Qt
// widget are in GridsPaint.cpp, keys and the mouse in GridsInput.cpp, the
// cell editor in GridsEditor.cpp, TDrawGrid and TStringGrid in
// GridsString.cpp.
#include "Grids.h"

#include "Forms.h"
#include "GridsInternal.h"

#include <QtWidgets/QAbstractScrollArea>
#include <QtWidgets/QScrollBar>

#include <algorithm>

namespace {

const QString IndexOutOfRange = QStringLiteral("Grid index out of range");
const QString FixedColTooBig = QStringLiteral("Fixed column count must be less than column count");
const QString FixedRowTooBig = QStringLiteral("Fixed row count must be less than row count");

// Width of a scroll bar, as the system metrics give it.
Integer ScrollBarExtent() {
    return GetSystemMetrics(SM_CXVSCROLL);
}

}  // namespace

TCustomGrid::AxisView TCustomGrid::colAxis() const {
    const TRect c = ClientRect();
    return AxisView{colWidths_, colCount_, fixedCols_, topLeft_.X, c.Width(),
                options_.Contains(goFixedVertLine) ? gridLineWidth_ : 0,
                options_.Contains(goVertLine) ? gridLineWidth_ : 0};
}

TCustomGrid::AxisView TCustomGrid::rowAxis() const {
    const TRect c = ClientRect();
    return AxisView{rowHeights_, rowCount_, fixedRows_, topLeft_.Y, c.Height(),
                options_.Contains(goFixedHorzLine) ? gridLineWidth_ : 0,
                options_.Contains(goHorzLine) ? gridLineWidth_ : 0};
}

// ------------------------------------------------------------ life

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle({csCaptureMouse, csOpaque, csDoubleClicks});
    colWidths_.assign(size_t(colCount_), defaultColWidth_);
    rowHeights_.assign(size_t(rowCount_), defaultRowHeight_);
    SetParentColor(false);
    SetColor(clWindow);
    SetTabStop(true);
    initializeCursor();
    SetBounds(0, 0, 320, 120);
}

TCustomGrid::~TCustomGrid() = default;

void TCustomGrid::initializeCursor() {
    topLeft_ = TGridCoord{fixedCols_, fixedRows_};
    current_ = topLeft_;
    anchor_ = current_;
    if (options_.Contains(goRowSelect)) anchor_.X = colCount_ - 1;
}

// ------------------------------------------------------------ shape

void TCustomGrid::SetColCount(Integer value) {
    value = std::max(value, 1);
    if (value == colCount_) return;
    changeSize(value, rowCount_);
}

void TCustomGrid::SetRowCount(Integer value) {
    value = std::max(value, 1);
    if (value == rowCount_) return;
    changeSize(colCount_, value);
}

void TCustomGrid::changeSize(Integer newColCount, Integer newRowCount) {
    const Integer oldColCount = colCount_, oldRowCount = rowCount_;
    colCount_ = newColCount;
    rowCount_ = newRowCount;
    fixedCols_ = std::min(fixedCols_, colCount_ - 1);
    fixedRows_ = std::min(fixedRows_, rowCount_ - 1);
    colWidths_.resize(size_t(colCount_), defaultColWidth_);
    rowHeights_.resize(size_t(rowCount_), defaultRowHeight_);
    topLeft_.X = std::clamp(topLeft_.X, fixedCols_, colCount_ - 1);
    topLeft_.Y = std::clamp(topLeft_.Y, fixedRows_, rowCount_ - 1);
    anchor_.X = std::min(anchor_.X, colCount_ - 1);
    anchor_.Y = std::min(anchor_.Y, rowCount_ - 1);
    clampCurrent();
    updateScrollRange();
    Invalidate();
    SizeChanged(oldColCount, oldRowCount);
}

// A shrink that removed the current cell: the cursor goes to the nearest
// cell through SelectCell, and is placed there anyway when refused, so it
// never stays outside the grid.
void TCustomGrid::clampCurrent() {
    const TGridCoord target{std::min(current_.X, colCount_ - 1), std::min(current_.Y, rowCount_ - 1)};
    if (target == current_) return;
    MoveCurrent(target.X, target.Y, true, true);
    if (current_.X >= colCount_ || current_.Y >= rowCount_) setCurrent(target.X, target.Y, true, true);
}

void TCustomGrid::SetFixedCols(Integer value) {
    if (value == fixedCols_) return;
    if (value < 0) throw EInvalidGridOperation(IndexOutOfRange);
    if (value >= colCount_) throw EInvalidGridOperation(FixedColTooBig);
    fixedCols_ = value;
    initializeCursor();
    updateScrollRange();
    Invalidate();
}

void TCustomGrid::SetFixedRows(Integer value) {
    if (value == fixedRows_) return;
    if (value < 0) throw EInvalidGridOperation(IndexOutOfRange);
    if (value >= rowCount_) throw EInvalidGridOperation(FixedRowTooBig);
    fixedRows_ = value;
    initializeCursor();
    updateScrollRange();
    Invalidate();
}

void TCustomGrid::SetDefaultColWidth(Integer value) {
    value = std::max(value, 0);
    defaultColWidth_ = value;
    colWidths_.assign(size_t(colCount_), value);
    ColWidthsChanged();
    Invalidate();
}

void TCustomGrid::SetDefaultRowHeight(Integer value) {
    value = std::max(value, 0);
    defaultRowHeight_ = value;
    rowHeights_.assign(size_t(rowCount_), value);
    RowHeightsChanged();
    Invalidate();
}

Integer TCustomGrid::ColWidths(Integer index) const {
    return index >= 0 && index < colCount_ ? colWidths_[size_t(index)] : defaultColWidth_;
}

void TCustomGrid::SetColWidths(Integer index, Integer value) {
    if (index < 0 || index >= colCount_ || colWidths_[size_t(index)] == value) return;
    colWidths_[size_t(index)] = std::max(value, 0);
    ColWidthsChanged();
    Invalidate();
}

Integer TCustomGrid::RowHeights(Integer index) const {
    return index >= 0 && index < rowCount_ ? rowHeights_[size_t(index)] : defaultRowHeight_;
}

void TCustomGrid::SetRowHeights(Integer index, Integer value) {
    if (index < 0 || index >= rowCount_ || rowHeights_[size_t(index)] == value) return;
    rowHeights_[size_t(index)] = std::max(value, 0);
    RowHeightsChanged();
    Invalidate();
}

void TCustomGrid::SetGridLineWidth(Integer value) {
    if (value == gridLineWidth_) return;
    gridLineWidth_ = std::max(value, 0);
    updateScrollRange();
    Invalidate();
}

void TCustomGrid::SetFixedColor(TColor color) {
    if (color == fixedColor_) return;
    fixedColor_ = color;
    Invalidate();
}

void TCustomGrid::SetOptions(TGridOptions value) {
    if (value == options_) return;
    if (value.Contains(goRowSelect)) value.Exclude(goAlwaysShowEditor);
    options_ = value;
    if (!editorMode_) {
        if (value.Contains(goAlwaysShowEditor)) ShowEditor();
        else HideEditor();
    }
    if (value.Contains(goRowSelect)) MoveCurrent(Col(), Row(), true, false);
    updateScrollRange();
    Invalidate();
}

void TCustomGrid::SetDefaultDrawing(bool on) {
    if (on == defaultDrawing_) return;
    defaultDrawing_ = on;
    Invalidate();
}

void TCustomGrid::SetScrollBars(TScrollStyle style) {
    if (style == scrollBars_) return;
    scrollBars_ = style;
    updateScrollRange();
}

void TCustomGrid::SetBorderStyle(TBorderStyle style) {
    if (style == borderStyle_) return;
    borderStyle_ = style;
    frameChanged();
}

// The frame's width (by BorderStyle and Ctl3D) takes from the client area.
void TCustomGrid::frameChanged() {
    applyFrame();
    updateScrollRange();
    notifyClientSize();
}

// ------------------------------------------------------------ geometry

Integer TCustomGrid::frameWidth() const {
    if (borderStyle_ == bsNone) return 0;
    return Ctl3D() ? 2 : 1;
}

TRect TCustomGrid::BorderInsets() const {
    const Integer f = frameWidth();
    return TRect(f, f, f + (showVBar_ ? ScrollBarExtent() : 0), f + (showHBar_ ? ScrollBarExtent() : 0));
}

TRect TCustomGrid::CellRect(Integer ACol, Integer ARow) const {
    if (ACol < 0 || ARow < 0 || ACol >= colCount_ || ARow >= rowCount_) return TRect();
    const AxisView cols = colAxis(), rows = rowAxis();
    const Integer x = cols.start(ACol), y = rows.start(ARow);
    if (x < 0 || y < 0 || x >= cols.extent || y >= rows.extent) return TRect();
    return TRect(x, y, std::min(x + cols.size(ACol), cols.extent), std::min(y + rows.size(ARow), rows.extent));
}

TGridCoord TCustomGrid::MouseCoord(Integer X, Integer Y) const {
    const Integer c = colAxis().cellAt(X), r = rowAxis().cellAt(Y);
    if (c < 0 || r < 0) return TGridCoord{-1, -1};
    return TGridCoord{c, r};
}

void TCustomGrid::MouseToCell(Integer X, Integer Y, Integer& ACol, Integer& ARow) const {
    const TGridCoord c = MouseCoord(X, Y);
    ACol = c.X;
    ARow = c.Y;
}

Integer TCustomGrid::VisibleColCount() const {
    const AxisView a = colAxis();
    return std::max(0, a.lastFullVisible() - a.first + 1);
}

Integer TCustomGrid::VisibleRowCount() const {
    const AxisView a = rowAxis();
    return std::max(0, a.lastFullVisible() - a.first + 1);
}

// ------------------------------------------------------------ the current cell

TGridRect TCustomGrid::Selection() const {
    return TGridRect{std::min(anchor_.X, current_.X), std::min(anchor_.Y, current_.Y), std::max(anchor_.X, current_.X),
                     std::max(anchor_.Y, current_.Y)};
}

bool TCustomGrid::MoveCurrent(Integer ACol, Integer ARow, bool MoveAnchor, bool Show) {
    if (ACol < 0 || ARow < 0 || ACol >= colCount_ || ARow >= rowCount_)
        throw EInvalidGridOperation(IndexOutOfRange);
    if (!SelectCell(ACol, ARow)) return false;
    setCurrent(ACol, ARow, MoveAnchor, Show);
    return true;
}

void TCustomGrid::setCurrent(Integer ACol, Integer ARow, bool moveAnchor, bool show) {
    const TGridRect old = Selection();
    current_ = TGridCoord{ACol, ARow};
    if (!options_.Contains(goAlwaysShowEditor)) HideEditor();
    if (moveAnchor || !options_.Contains(goRangeSelect)) {
        anchor_ = current_;
        if (options_.Contains(goRowSelect)) anchor_.X = colCount_ - 1;
    }
    if (options_.Contains(goRowSelect)) current_.X = fixedCols_;
    if (show) ClampInView(current_);
    selectionMoved(old);
}

void TCustomGrid::ForceCurrent(Integer ACol, Integer ARow) {
    if (ACol < 0 || ARow < 0 || ACol >= colCount_ || ARow >= rowCount_)
        throw EInvalidGridOperation(IndexOutOfRange);
    setCurrent(ACol, ARow, true, true);
}

void TCustomGrid::FocusCell(Integer ACol, Integer ARow, bool MoveAnchor) {
    MoveCurrent(ACol, ARow, MoveAnchor, true);
    UpdateEdit();
    Click();
}

void TCustomGrid::SetCol(Integer value) {
    if (value != current_.X) FocusCell(value, current_.Y, true);
}

void TCustomGrid::SetRow(Integer value) {
    if (value != current_.Y) FocusCell(current_.X, value, true);
}

bool TCustomGrid::SelectCell(Integer, Integer) {
    return true;
}

void TCustomGrid::selectionMoved(const TGridRect& oldSel) {
    invalidateRect(oldSel);
    invalidateRect(Selection());
}

void TCustomGrid::invalidateRect(const TGridRect& r) {
    if (r.Top == r.Bottom) {
        for (Integer c = r.Left; c <= r.Right; ++c) InvalidateCell(c, r.Top);
        return;
    }
    Invalidate();
}

// ------------------------------------------------------------ scrolling

void TCustomGrid::SetTopRow(Integer value) {
    MoveTopLeft(topLeft_.X, value);
}

void TCustomGrid::SetLeftCol(Integer value) {
    MoveTopLeft(value, topLeft_.Y);
}

void TCustomGrid::MoveTopLeft(Integer ALeft, Integer ATop) {
    ALeft = std::clamp(ALeft, fixedCols_, std::max(fixedCols_, colAxis().maxFirst()));
    ATop = std::clamp(ATop, fixedRows_, std::max(fixedRows_, rowAxis().maxFirst()));
    if (ALeft == topLeft_.X && ATop == topLeft_.Y) return;
    topLeft_ = TGridCoord{ALeft, ATop};
    syncScrollBars();
    Invalidate();
    TopLeftChanged();
}

void TCustomGrid::TopLeftChanged() {
    moveEditorToCell();
}

// A shown editor follows its cell when the cells move or change size.
void TCustomGrid::moveEditorToCell() {
    if (editorMode_ && inplaceEdit_ && inplaceEdit_->Shown()) inplaceEdit_->Move(CellRect(Col(), Row()));
}

void TCustomGrid::ClampInView(const TGridCoord& coord) {
    MoveTopLeft(colAxis().firstShowing(coord.X), rowAxis().firstShowing(coord.Y));
}

// Shows the scroll bars the cells need and takes the view back within the
// new range; a client area that changed size is announced.
void TCustomGrid::updateScrollRange() {
    if (updatingScroll_) return;
    updatingScroll_ = true;
    const bool wantV = scrollBars_ == ssVertical || scrollBars_ == ssBoth;
    const bool wantH = scrollBars_ == ssHorizontal || scrollBars_ == ssBoth;
    auto needs = [this](bool vertical) {
        const AxisView a = vertical ? rowAxis() : colAxis();
        return a.maxFirst() > a.fixed;
    };
    // Each bar narrows the other direction: vertical alone, horizontal
    // beside it, then vertical again beside the horizontal one.
    showVBar_ = false;
    showHBar_ = false;
    showVBar_ = wantV && needs(true);
    showHBar_ = wantH && needs(false);
    showVBar_ = wantV && needs(true);
    if (auto* area = static_cast<QAbstractScrollArea*>(Widget())) {
        area->setVerticalScrollBarPolicy(showVBar_ ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        area->setHorizontalScrollBarPolicy(showHBar_ ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    }
    const Integer maxLeft = std::max(fixedCols_, colAxis().maxFirst());
    const Integer maxTop = std::max(fixedRows_, rowAxis().maxFirst());
    if (topLeft_.X > maxLeft || topLeft_.Y > maxTop) MoveTopLeft(std::min(topLeft_.X, maxLeft), std::min(topLeft_.Y, maxTop));
    syncScrollBars();
    updatingScroll_ = false;
    notifyClientSize();
}

void TCustomGrid::syncScrollBars() {
    auto* area = static_cast<QAbstractScrollArea*>(Widget());
    if (!area) return;
    auto sync = [this](QScrollBar* bar, const AxisView& a, Integer page) {
        const QSignalBlocker block(bar);
        bar->setRange(a.fixed, std::max(a.fixed, a.maxFirst()));
        bar->setPageStep(std::max(1, page));
        bar->setSingleStep(1);
        bar->setValue(a.first);
        bar->setTracking(options_.Contains(goThumbTracking));
    };
    sync(area->verticalScrollBar(), rowAxis(), VisibleRowCount());
    sync(area->horizontalScrollBar(), colAxis(), VisibleColCount());
}

void TCustomGrid::scrolledByBar(bool vertical, int value) {
    if (vertical) MoveTopLeft(topLeft_.X, value);
    else MoveTopLeft(value, topLeft_.Y);
}

// The client area is announced once per new size: the align engine and
// Resize (OnResize), whether the grid or its scroll bars changed it.
void TCustomGrid::notifyClientSize() {
    const TRect c = ClientRect();
    const TSize size{c.Width(), c.Height()};
    if (size == lastClient_) return;
    lastClient_ = size;
    Realign();
    if (!IsLoading()) Resize();
    moveEditorToCell();
}

void TCustomGrid::WMSize(TMessage&) {
    updateScrollRange();
    notifyClientSize();
}

// ------------------------------------------------------------ hooks

void TCustomGrid::SizeChanged(Integer, Integer) {}

void TCustomGrid::ColWidthsChanged() {
    updateScrollRange();
    moveEditorToCell();
}

void TCustomGrid::RowHeightsChanged() {
    updateScrollRange();
    moveEditorToCell();
}

void TCustomGrid::ColumnMoved(Integer, Integer) {}

void TCustomGrid::RowMoved(Integer, Integer) {}

namespace {

// Where a cell index goes when the line from..to moves to to.
void MoveAdjust(Integer& pos, Integer from, Integer to) {
    if (pos == from) {
        pos = to;
        return;
    }
    const Integer lo = std::min(from, to), hi = std::max(from, to);
    if (pos >= lo && pos <= hi) pos += from > to ? 1 : -1;
}

void MoveExtent(std::vector<Integer>& sizes, Integer from, Integer to) {
    const Integer v = sizes[size_t(from)];
    sizes.erase(sizes.begin() + from);
    sizes.insert(sizes.begin() + to, v);
}

}  // namespace

void TCustomGrid::MoveColumn(Integer FromIndex, Integer ToIndex) {
    if (FromIndex == ToIndex) return;
    if (FromIndex < 0 || ToIndex < 0 || FromIndex >= colCount_ || ToIndex >= colCount_)
        throw EInvalidGridOperation(IndexOutOfRange);
    MoveExtent(colWidths_, FromIndex, ToIndex);
    MoveAdjust(current_.X, FromIndex, ToIndex);
    MoveAdjust(anchor_.X, FromIndex, ToIndex);
    if (inplaceCol_ >= 0) MoveAdjust(inplaceCol_, FromIndex, ToIndex);
    ColumnMoved(FromIndex, ToIndex);
    Invalidate();
}

void TCustomGrid::MoveRow(Integer FromIndex, Integer ToIndex) {
    if (FromIndex == ToIndex) return;
    if (FromIndex < 0 || ToIndex < 0 || FromIndex >= rowCount_ || ToIndex >= rowCount_)
        throw EInvalidGridOperation(IndexOutOfRange);
    MoveExtent(rowHeights_, FromIndex, ToIndex);
    MoveAdjust(current_.Y, FromIndex, ToIndex);
    MoveAdjust(anchor_.Y, FromIndex, ToIndex);
    if (inplaceRow_ >= 0) MoveAdjust(inplaceRow_, FromIndex, ToIndex);
    RowMoved(FromIndex, ToIndex);
    Invalidate();
}

bool TCustomGrid::IsActiveControl() const {
    const TCustomForm* form = GetParentForm(this);
    return form && form->ActiveControl() == this;
}

void TCustomGrid::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS;
        if (options_.Contains(goTabs)) Message.Result |= DLGC_WANTTAB;
        if (options_.Contains(goEditing)) Message.Result |= DLGC_WANTCHARS;
        return;
    case WM_COMMAND: WMCommand(Message); return;
    case CM_CTL3DCHANGED:
        TCustomControl::WndProc(Message);
        frameChanged();
        return;
    default: TCustomControl::WndProc(Message); return;
    }
}
