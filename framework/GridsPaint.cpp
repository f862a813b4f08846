// TCustomGrid on the screen: the Qt widget (a scroll area whose viewport is
// the client area and holds the cell editor) and the painting of cells and
// grid lines.
#include "Grids.h"

#include "GridsInternal.h"

#include "ControlsWidget.h"

#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>
#include <QtGui/QPaintEvent>
#include <QtGui/QPainter>
#include <QtWidgets/QAbstractScrollArea>
#include <QtWidgets/QScrollBar>

namespace {

// A scroll bar exactly as thick as the system metrics say, so that the
// viewport is the grid's client area.
class TGridScrollBar : public QScrollBar {
public:
    explicit TGridScrollBar(Qt::Orientation orientation) : QScrollBar(orientation) {}
    QSize sizeHint() const override {
        const QSize hint = QScrollBar::sizeHint();
        const int extent = GetSystemMetrics(SM_CXVSCROLL);
        return orientation() == Qt::Vertical ? QSize(extent, hint.height()) : QSize(hint.width(), extent);
    }
};

QAbstractScrollArea* AreaOf(QWidget* w) {
    return static_cast<QAbstractScrollArea*>(w);
}

}  // namespace

// The frame and the scroll bars are Qt's; the viewport's paint and mouse
// events go to the grid as its client area's.
class TGridWidget : public TControlWidget<QAbstractScrollArea> {
public:
    TGridWidget(TCustomGrid* grid, QWidget* parent) : TControlWidget<QAbstractScrollArea>(grid, parent) {
        setVerticalScrollBar(new TGridScrollBar(Qt::Vertical));
        setHorizontalScrollBar(new TGridScrollBar(Qt::Horizontal));
        viewport()->setMouseTracking(true);
        QObject::connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
                         [grid](int value) { grid->scrolledByBar(true, value); });
        QObject::connect(horizontalScrollBar(), &QScrollBar::valueChanged, this,
                         [grid](int value) { grid->scrolledByBar(false, value); });
    }

protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::Paint) return QAbstractScrollArea::event(e);
        return Forward(e);
    }
    bool viewportEvent(QEvent* e) override {
        switch (e->type()) {
        case QEvent::Paint:
        case QEvent::ContextMenu:
            return Forward(e);
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: {
            // In the scroll area's own coordinates, as its other events are.
            QMouseEvent mapped = ViewportMouseInArea(*static_cast<QMouseEvent*>(e), *viewport());
            mapped.setAccepted(false);
            Forward(&mapped);
            e->setAccepted(mapped.isAccepted());
            return true;
        }
        default:
            return QAbstractScrollArea::viewportEvent(e);
        }
    }
    // The grid moves its cells itself when the view scrolls, and keys
    // scroll only through the grid.
    void scrollContentsBy(int, int) override {}
    void keyPressEvent(QKeyEvent* e) override { e->ignore(); }
};

QWidget* TCustomGrid::CreateWidget(QWidget* parent) {
    return new TGridWidget(this, parent);
}

void TCustomGrid::InitWidget() {
    TCustomControl::InitWidget();
    applyFrame();
    updatingScroll_ = false;
    updateScrollRange();
    syncScrollBars();
}

QWidget* TCustomGrid::ClientWidget() {
    return AreaOf(Handle())->viewport();
}

void TCustomGrid::applyFrame() {
    auto* area = AreaOf(Widget());
    if (!area) return;
    switch (frameWidth()) {
    case 2: area->setFrameStyle(QFrame::WinPanel | QFrame::Sunken); break;
    case 1:
        area->setFrameStyle(QFrame::Box | QFrame::Plain);
        area->setLineWidth(1);
        break;
    default: area->setFrameStyle(QFrame::NoFrame); break;
    }
    area->setVerticalScrollBarPolicy(showVBar_ ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    area->setHorizontalScrollBarPolicy(showHBar_ ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

// ------------------------------------------------------------ invalidation

void TCustomGrid::Invalidate() {
    if (auto* area = AreaOf(Widget())) area->viewport()->update();
}

void TCustomGrid::Update() {
    auto* area = AreaOf(Widget());
    if (area && area->isVisible()) area->viewport()->repaint();
}

void TCustomGrid::InvalidateCell(Integer ACol, Integer ARow) {
    auto* area = AreaOf(Widget());
    if (!area) return;
    const TRect r = CellRect(ACol, ARow);
    if (r.IsEmpty()) return;
    // With the lines beside the cell.
    area->viewport()->update(QRect(r.Left, r.Top, r.Width() + gridLineWidth_, r.Height() + gridLineWidth_));
}

void TCustomGrid::InvalidateRow(Integer ARow) {
    for (Integer c = 0; c < colCount_; ++c) InvalidateCell(c, ARow);
}

// ------------------------------------------------------------ painting

void TCustomGrid::PaintWidget(TControlWidgetLink&, QPaintEvent* event) {
    auto* area = AreaOf(Widget());
    if (!area) return;
    QPainter painter(area->viewport());
    TCanvasBinding binding(*Canvas(), painter, *event);
    Paint();
}

void TCustomGrid::Paint() {
    const AxisView cols = colAxis(), rows = rowAxis();
    auto visible = [](const AxisView& a) {
        std::vector<std::pair<Integer, Integer>> cells;  // index, start
        Integer pos = 0;
        for (Integer i = 0; i < a.fixed && pos < a.extent; ++i) {
            cells.emplace_back(i, pos);
            pos += a.step(i);
        }
        for (Integer i = a.first; i < a.count && pos < a.extent; ++i) {
            cells.emplace_back(i, pos);
            pos += a.step(i);
        }
        return std::make_pair(cells, pos);
    };
    const auto [colCells, right] = visible(cols);
    const auto [rowCells, bottom] = visible(rows);
    for (const auto& [r, y] : rowCells) {
        for (const auto& [c, x] : colCells) {
            const TRect rect(x, y, x + cols.size(c), y + rows.size(r));
            const bool fixed = c < fixedCols_ || r < fixedRows_;
            paintCell(c, r, rect, fixed);
            paintLines(c, r, rect, fixed);
        }
    }
    // What the cells do not cover shows the grid's colour.
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    if (right < cols.extent) canvas->FillRect(TRect(right, 0, cols.extent, rows.extent));
    if (bottom < rows.extent) canvas->FillRect(TRect(0, bottom, std::min(right, cols.extent), rows.extent));
}

void TCustomGrid::paintCell(Integer c, Integer r, const TRect& rect, bool fixed) {
    TGridDrawState state;
    if (fixed) state << gdFixed;
    const bool focusedCell = c == current_.X && r == current_.Y && IsActiveControl();
    if (focusedCell) state << gdFocused;
    const TGridRect sel = options_.Contains(goEditing) ? TGridRect{current_.X, current_.Y, current_.X, current_.Y}
                                                       : Selection();
    if (!fixed && sel.Contains(c, r)) state << gdSelected;
    // The editor covers the current cell.
    if (focusedCell && options_.Contains(goEditing) && editorMode_ && inplaceEdit_ && inplaceEdit_->Shown()) return;
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(Font());
    canvas->Pen()->SetColor(Font()->Color());
    canvas->Pen()->SetStyle(psSolid);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(fixed ? fixedColor_ : Color());
    if (defaultDrawing_) {
        if (state.Contains(gdSelected) &&
            (!state.Contains(gdFocused) || options_.Contains(goDrawFocusSelected) || options_.Contains(goRowSelect))) {
            canvas->Brush()->SetColor(clHighlight);
            canvas->Font()->SetColor(clHighlightText);
        }
        canvas->FillRect(rect);
    }
    DrawCell(c, r, rect, state);
    if (!defaultDrawing_) return;
    if (fixed && Ctl3D()) {
        TRect edge = rect;
        DrawEdge(canvas->Handle(), edge, BDR_RAISEDINNER, BF_RECT);
    }
    if (state.Contains(gdFocused) && !options_.Contains(goRowSelect) &&
        !(options_.Contains(goEditing) && options_.Contains(goAlwaysShowEditor)))
        canvas->DrawFocusRect(rect);
}

// The line right of and below a cell, dark between fixed cells.
void TCustomGrid::paintLines(Integer c, Integer r, const TRect& rect, bool fixed) {
    const bool fixedCol = c < fixedCols_, fixedRow = r < fixedRows_;
    const Integer vertical = options_.Contains(fixedCol ? goFixedVertLine : goVertLine) ? gridLineWidth_ : 0;
    const Integer horizontal = options_.Contains(fixedRow ? goFixedHorzLine : goHorzLine) ? gridLineWidth_ : 0;
    if (vertical == 0 && horizontal == 0) return;
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(fixed ? clBlack : clSilver);
    if (vertical > 0) canvas->FillRect(TRect(rect.Right, rect.Top, rect.Right + vertical, rect.Bottom + horizontal));
    if (horizontal > 0) canvas->FillRect(TRect(rect.Left, rect.Bottom, rect.Right, rect.Bottom + horizontal));
}
