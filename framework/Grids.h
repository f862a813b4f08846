// The grids: TCustomGrid (cells in rows and columns painted by DrawCell,
// fixed rows and columns that do not scroll, a current cell, scrolling,
// sizing and moving by mouse, and the in-place cell editor), TDrawGrid
// (events for drawing, selecting and editing) and TStringGrid (a string per
// cell).
//
// The current cell changes only through MoveCurrent: Col and Row setters,
// keys, the mouse, MoveColRow and the clamp after a shrink. MoveCurrent asks
// SelectCell while Col and Row still hold the old cell; SelectCell may move
// the cursor itself (MoveColRow) and answer false, and that nested move
// stands. FocusCell is MoveCurrent followed by UpdateEdit and Click.
//
// The cell editor is created on first need and belongs to the grid as one
// focus unit: focus passing between them raises no exit or entry, and the
// form reports the grid as its ActiveControl while the editor has the
// focus. HideEditor leaves editor mode (the text goes into its cell);
// InplaceEditor()->Hide() only hides the window, keeping the mode and the
// binding, so that UpdateEdit shows it again.
#pragma once

#include "Controls.h"
#include "StdCtrls.h"
#include "StdCtrlsEdit.h"

#include <vector>

VELMORA_EXCEPTION(EInvalidGridOperation, Exception);

// The notification an edit box sends its parent (WM_COMMAND's high word)
// after every change of its text.
constexpr Word EN_CHANGE = 0x0300;

enum TGridOption {
    goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect, goDrawFocusSelected,
    goRowSizing, goColSizing, goRowMoving, goColMoving, goEditing, goTabs, goRowSelect,
    goAlwaysShowEditor, goThumbTracking
};
using TGridOptions = Set<TGridOption>;

enum TGridDrawStateValue { gdSelected, gdFocused, gdFixed };
using TGridDrawState = Set<TGridDrawStateValue>;

enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

struct TGridCoord {
    Integer X = 0;
    Integer Y = 0;
    constexpr bool operator==(const TGridCoord&) const = default;
};

// Inclusive on all sides: the cells Left..Right, Top..Bottom.
struct TGridRect {
    Integer Left = 0;
    Integer Top = 0;
    Integer Right = 0;
    Integer Bottom = 0;
    constexpr bool Contains(Integer c, Integer r) const { return c >= Left && c <= Right && r >= Top && r <= Bottom; }
    constexpr bool operator==(const TGridRect&) const = default;
};

using TSelectCellEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow, bool& CanSelect)>;
using TDrawCellEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, TRect Rect, TGridDrawState State)>;
using TGetEditEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow, QString& Value)>;
using TSetEditEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow, const QString& Value)>;
using TMovedEvent = std::function<void(TObject* Sender, Integer FromIndex, Integer ToIndex)>;

class TCustomGrid;

// ------------------------------------------------------------ the cell editor

// A borderless edit box over the current cell. Keys that move between
// cells go to the grid's KeyDown; the others raise only the grid's
// OnKeyDown and stay with the edit. Every character runs the grid's
// KeyPress first; every key-up goes to the grid's KeyUp.
class TInplaceEdit : public TCustomEdit {
public:
    explicit TInplaceEdit(TCustomGrid* Grid);
    TCustomGrid* Grid() const { return grid_; }

    // Shows the editor over rect (the grid's client coordinates; an empty
    // rect hides it) and gives it the focus when the grid has it.
    void Move(const TRect& rect);
    // Hides the window only; a focused editor gives the focus to the grid.
    void Hide();
    bool Shown() const;
    // Loads the text of the grid's current cell.
    void UpdateContents();
    // Collapses the selection to the end of the text.
    void Deselect();
    // A character typed on the grid while the editor was hidden: the
    // editor's key-press step, then the character goes into the text.
    void TypeChar(WideChar Key);

protected:
    void WndProc(TMessage& Message) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(WideChar& Key) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void Change() override;

private:
    bool caretAtStart() const;
    bool caretAtEnd() const;
    TCustomGrid* grid_;
};

// ------------------------------------------------------------ TCustomGrid

class TCustomGrid : public TCustomControl {
public:
    explicit TCustomGrid(TComponent* AOwner);
    ~TCustomGrid() override;

    // ---- shape (at least one column and row; shrinking lowers the fixed counts)
    Integer ColCount() const { return colCount_; }
    void SetColCount(Integer value);
    Integer RowCount() const { return rowCount_; }
    void SetRowCount(Integer value);
    // EInvalidGridOperation unless 0 <= value < ColCount (RowCount).
    Integer FixedCols() const { return fixedCols_; }
    void SetFixedCols(Integer value);
    Integer FixedRows() const { return fixedRows_; }
    void SetFixedRows(Integer value);
    // Negative sizes count as 0, for the defaults as for single cells.
    Integer DefaultColWidth() const { return defaultColWidth_; }
    void SetDefaultColWidth(Integer value);
    Integer DefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultRowHeight(Integer value);
    // Out of range reads DefaultColWidth and writes nothing.
    Integer ColWidths(Integer index) const;
    void SetColWidths(Integer index, Integer value);
    Integer RowHeights(Integer index) const;
    void SetRowHeights(Integer index, Integer value);
    Integer GridLineWidth() const { return gridLineWidth_; }
    void SetGridLineWidth(Integer value);
    TColor FixedColor() const { return fixedColor_; }
    void SetFixedColor(TColor color);
    TGridOptions Options() const { return options_; }
    void SetOptions(TGridOptions value);
    bool DefaultDrawing() const { return defaultDrawing_; }
    void SetDefaultDrawing(bool on);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle style);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);

    // ---- the current cell and the view
    Integer Col() const { return current_.X; }
    void SetCol(Integer value);
    Integer Row() const { return current_.Y; }
    void SetRow(Integer value);
    Integer TopRow() const { return topLeft_.Y; }
    void SetTopRow(Integer value);
    Integer LeftCol() const { return topLeft_.X; }
    void SetLeftCol(Integer value);
    // Scrolling cells wholly visible.
    Integer VisibleColCount() const;
    Integer VisibleRowCount() const;
    TGridRect Selection() const;
    bool EditorMode() const { return editorMode_; }
    void SetEditorMode(bool on);
    // The cell editor, or nil before it is first needed.
    TInplaceEdit* InplaceEditor() const { return inplaceEdit_; }
    TGridState GridState() const { return gridState_; }

    // ---- geometry (client coordinates)
    // The visible part of the cell, grid lines excluded; empty when the
    // cell is out of view.
    TRect CellRect(Integer ACol, Integer ARow) const;
    // Cells stepped over while placing cells on screen, all grids together:
    // lets a test check that a cell out of view is found without a walk.
    static qint64 AxisWalkSteps() { return axisWalkSteps_; }
    // The cell under a point; -1, -1 outside the cells.
    TGridCoord MouseCoord(Integer X, Integer Y) const;
    void MouseToCell(Integer X, Integer Y, Integer& ACol, Integer& ARow) const;

    void Invalidate() override;
    void Update() override;

protected:
    friend class TInplaceEdit;
    friend class TGridWidget;

    // ---- the moving core
    // Asks SelectCell, then makes (ACol, ARow) current; false when refused.
    // EInvalidGridOperation for a cell outside the grid.
    bool MoveCurrent(Integer ACol, Integer ARow, bool MoveAnchor, bool Show);
    // Makes the cell current without asking SelectCell.
    void ForceCurrent(Integer ACol, Integer ARow);
    void MoveColRow(Integer ACol, Integer ARow, bool MoveAnchor, bool Show) { MoveCurrent(ACol, ARow, MoveAnchor, Show); }
    void FocusCell(Integer ACol, Integer ARow, bool MoveAnchor);
    // Scrolls so that the cell shows.
    void ClampInView(const TGridCoord& coord);
    void MoveTopLeft(Integer ALeft, Integer ATop);
    void MoveColumn(Integer FromIndex, Integer ToIndex);
    void MoveRow(Integer FromIndex, Integer ToIndex);

    // ---- hooks
    virtual bool SelectCell(Integer ACol, Integer ARow);
    virtual void DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState) = 0;
    virtual void SizeChanged(Integer OldColCount, Integer OldRowCount);
    virtual void ColWidthsChanged();
    virtual void RowHeightsChanged();
    virtual void TopLeftChanged();
    virtual void ColumnMoved(Integer FromIndex, Integer ToIndex);
    virtual void RowMoved(Integer FromIndex, Integer ToIndex);
    virtual QString GetEditText(Integer ACol, Integer ARow);
    virtual void SetEditText(Integer ACol, Integer ARow, const QString& Value);
    virtual bool CanEditShow() const;
    virtual bool CanEditModify() const;
    virtual TInplaceEdit* CreateEditor();
    // WM_COMMAND; the base takes EN_CHANGE of the editor into its cell.
    virtual void WMCommand(TMessage& Message);

    // ---- the editor
    // Creates the editor (hidden, bound to no cell) when there is none.
    TInplaceEdit* EnsureEditor();
    void ShowEditor();
    void HideEditor();
    // Shows the editor and hands it the character.
    void ShowEditorChar(WideChar Ch);
    // Binds the editor to the current cell and shows it when it may show.
    void UpdateEdit();
    // The current cell's text changed behind the editor: a shown editor
    // reloads it, a hidden one forgets its binding.
    void InvalidateEditor();
    // The editor's text into its cell.
    void UpdateText();
    // Whether the form reports this grid as its active control.
    bool IsActiveControl() const;

    // ---- painting
    void InvalidateCell(Integer ACol, Integer ARow);
    void InvalidateRow(Integer ARow);
    void Paint() override;
    void PaintWidget(TControlWidgetLink& link, QPaintEvent* event) override;

    // ---- framework overrides
    QWidget* CreateWidget(QWidget* parent) override;
    void InitWidget() override;
    QWidget* ClientWidget() override;
    TRect BorderInsets() const override;
    void WndProc(TMessage& Message) override;
    void WMSetFocus(TMessage& Message) override;
    void WMKillFocus(TMessage& Message) override;
    void WMSize(TMessage& Message) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(WideChar& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
    struct AxisView;
    static inline qint64 axisWalkSteps_ = 0;
    AxisView colAxis() const;
    AxisView rowAxis() const;
    void applyFrame();
    void frameChanged();
    void changeSize(Integer newColCount, Integer newRowCount);
    void clampCurrent();
    void setCurrent(Integer ACol, Integer ARow, bool moveAnchor, bool show);
    void initializeCursor();
    void selectionMoved(const TGridRect& oldSel);
    void invalidateRect(const TGridRect& r);
    void updateScrollRange();
    void syncScrollBars();
    void scrolledByBar(bool vertical, int value);
    void notifyClientSize();
    void hideEdit();
    void bindEditor();
    void moveEditorToCell();
    Integer frameWidth() const;
    void paintCell(Integer c, Integer r, const TRect& rect, bool fixed);
    void paintLines(Integer c, Integer r, const TRect& rect, bool fixed);
    TGridState sizingStateAt(Integer X, Integer Y, Integer& index, Integer& pos) const;

    Integer colCount_ = 5;
    Integer rowCount_ = 5;
    Integer fixedCols_ = 1;
    Integer fixedRows_ = 1;
    Integer defaultColWidth_ = 64;
    Integer defaultRowHeight_ = 24;
    std::vector<Integer> colWidths_;
    std::vector<Integer> rowHeights_;
    Integer gridLineWidth_ = 1;
    TColor fixedColor_ = clBtnFace;
    TGridOptions options_{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
    bool defaultDrawing_ = true;
    TScrollStyle scrollBars_ = ssBoth;
    TBorderStyle borderStyle_ = bsSingle;
    TGridCoord current_{1, 1};
    TGridCoord anchor_{1, 1};
    TGridCoord topLeft_{1, 1};
    bool editorMode_ = false;
    TInplaceEdit* inplaceEdit_ = nullptr;
    Integer inplaceCol_ = -1;
    Integer inplaceRow_ = -1;
    bool focusFromEditor_ = false;
    bool redirectingChar_ = false;
    bool showVBar_ = false;
    bool showHBar_ = false;
    bool updatingScroll_ = false;
    TSize lastClient_;
    TGridState gridState_ = gsNormal;
    Integer sizingIndex_ = -1;
    Integer sizingPos_ = 0;
    Integer moveIndex_ = -1;
    Integer movePos_ = -1;
};

// ------------------------------------------------------------ TDrawGrid

class TDrawGrid : public TCustomGrid {
public:
    using TCustomGrid::TCustomGrid;

    TDrawCellEvent OnDrawCell;
    TSelectCellEvent OnSelectCell;
    TGetEditEvent OnGetEditText;
    TSetEditEvent OnSetEditText;
    TMovedEvent OnColumnMoved;
    TMovedEvent OnRowMoved;
    TNotifyEvent OnTopLeftChanged;

protected:
    bool SelectCell(Integer ACol, Integer ARow) override;
    void DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState) override;
    QString GetEditText(Integer ACol, Integer ARow) override;
    void SetEditText(Integer ACol, Integer ARow, const QString& Value) override;
    void ColumnMoved(Integer FromIndex, Integer ToIndex) override;
    void RowMoved(Integer FromIndex, Integer ToIndex) override;
    void TopLeftChanged() override;
};

// ------------------------------------------------------------ TStringGrid

class TStringGrid : public TDrawGrid {
public:
    using TDrawGrid::TDrawGrid;

    // Outside the grid reads "" and writes nothing. A write invalidates the
    // cell; a write to the current cell that is not the editor's own
    // reloads a shown editor.
    QString Cells(Integer ACol, Integer ARow) const;
    void SetCells(Integer ACol, Integer ARow, const QString& Value);

protected:
    void DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState) override;
    QString GetEditText(Integer ACol, Integer ARow) override;
    void SetEditText(Integer ACol, Integer ARow, const QString& Value) override;
    void SizeChanged(Integer OldColCount, Integer OldRowCount) override;
    void ColumnMoved(Integer FromIndex, Integer ToIndex) override;
    void RowMoved(Integer FromIndex, Integer ToIndex) override;

private:
    // Rows of cells, each as long as it needs to be.
    std::vector<std::vector<QString>> cells_;
    Integer editSync_ = 0;
};
