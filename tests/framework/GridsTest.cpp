// The string grid on a shown, active form: the one moving path with its
// SelectCell question (refusals and nested moves), the shape and the
// clamp after a shrink, column widths, the cell editor (binding, reload,
// key routing, typing with the editor hidden, one focus unit) and the
// painting of cells.
#include "FrameworkTestSupport.h"
#include "Grids.h"
#include "TestSupport.h"

#include <QtGui/QKeyEvent>
#include <QtTest/QTest>
#include <QtWidgets/QAbstractScrollArea>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>

#include <gtest/gtest.h>

namespace {

using Log = std::vector<std::string>;

// A string grid that writes its hooks to a log and lets a test decide.
class TProbeGrid : public TStringGrid {
public:
    TProbeGrid(TComponent* owner, EventLog& log) : TStringGrid(owner), log_(log) { SetName("grid"); }

    std::function<bool(Integer c, Integer r)> Select;
    Integer WidthChanges = 0;
    Integer SizeChanges = 0;

    using TCustomGrid::InplaceEditor;
    using TCustomGrid::MoveColRow;
    using TCustomGrid::ShowEditor;
    using TCustomGrid::HideEditor;

protected:
    bool SelectCell(Integer c, Integer r) override {
        log_.Add("Select:" + std::to_string(c) + "," + std::to_string(r));
        return Select ? Select(c, r) : TStringGrid::SelectCell(c, r);
    }
    void ColWidthsChanged() override {
        ++WidthChanges;
        TStringGrid::ColWidthsChanged();
    }
    void SizeChanged(Integer oldCols, Integer oldRows) override {
        ++SizeChanges;
        TStringGrid::SizeChanged(oldCols, oldRows);
    }
    void KeyDown(Word& Key, TShiftState Shift) override {
        log_.Add("GridKeyDown:" + KeyName(Key));
        TStringGrid::KeyDown(Key, Shift);
    }
    void KeyPress(WideChar& Key) override {
        log_.Add("GridKeyPress:" + CharName(Key));
        TStringGrid::KeyPress(Key);
    }
    void DoEnter() override {
        log_.Add("Enter:grid");
        TStringGrid::DoEnter();
    }
    void DoExit() override {
        log_.Add("Exit:grid");
        TStringGrid::DoExit();
    }

private:
    EventLog& log_;
};

class GridsTest : public LoggedFormTest {
protected:
    void SetUp() override {
        KeyStateReset();
        form->SetKeyPreview(false);
        grid = Place(new TProbeGrid(form.get(), log), form.get(), 10, 10, 360, 200);
        grid->SetDefaultRowHeight(20);
        other = Place(new TLineProbe(form.get(), log, "other"), form.get(), 10, 230, 120, 24);
        form->ShowActive();
    }

    // Editing with the editor always shown; the grid gets the focus and
    // hands it to the editor.
    void StartEditing() {
        other->SetFocus();
        grid->SetOptions(grid->Options() + goEditing + goAlwaysShowEditor);
        grid->SetFocus();
        log.Clear();
    }
    QLineEdit* EditorWidget() const {
        return grid->InplaceEditor() ? static_cast<QLineEdit*>(grid->InplaceEditor()->Widget()) : nullptr;
    }

    TProbeGrid* grid = nullptr;
    TLineProbe* other = nullptr;
};

// ------------------------------------------------------------ moving

TEST_F(GridsTest, SelectCellIsAskedWhileTheOldCellIsCurrentAndMayRefuse) {
    Integer colDuringQuestion = -1;
    grid->Select = [&](Integer c, Integer) {
        colDuringQuestion = grid->Col();
        return c != 3;
    };
    grid->SetCol(2);
    EXPECT_EQ(colDuringQuestion, 1);
    EXPECT_EQ(grid->Col(), 2);
    grid->SetCol(3);
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(grid->Row(), 1);
}

TEST_F(GridsTest, ANestedMoveInsideSelectCellStandsThoughTheOuterOneIsRefused) {
    grid->SetColCount(6);
    // Column 2 is passed over: the question moves the cursor on and refuses.
    grid->Select = [&](Integer c, Integer r) {
        if (c != 2) return true;
        grid->MoveColRow(3, r, true, true);
        return false;
    };
    grid->SetCol(2);
    EXPECT_EQ(grid->Col(), 3);
    EXPECT_EQ(log.With("Select:"), (Log{"Select:2,1", "Select:3,1"}));
}

TEST_F(GridsTest, FixedCellsReachSelectCellThroughMoveColRow) {
    grid->Select = [](Integer c, Integer) { return c != 0; };
    grid->MoveColRow(0, 2, true, true);
    EXPECT_EQ(log.With("Select:"), (Log{"Select:0,2"}));
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Row(), 1);
}

TEST_F(GridsTest, OutOfRangeMovesRaiseAClearError) {
    EXPECT_THROW(grid->SetCol(5), EInvalidGridOperation);
    EXPECT_THROW(grid->SetRow(-1), EInvalidGridOperation);
    EXPECT_THROW(grid->SetFixedCols(5), EInvalidGridOperation);
    EXPECT_EQ(grid->Col(), 1);
}

TEST_F(GridsTest, ShrinkingClampsTheCursorEvenWhenSelectCellRefuses) {
    grid->SetRowCount(8);
    grid->SetColCount(7);
    grid->SetRow(7);
    grid->SetCol(6);
    grid->SizeChanges = 0;
    grid->SetRowCount(4);
    EXPECT_EQ(grid->Row(), 3);
    grid->Select = [](Integer, Integer) { return false; };
    grid->SetColCount(3);
    grid->SetRowCount(2);
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(grid->SizeChanges, 3);
    // Cells of removed rows do not come back when the grid grows again.
    grid->Select = nullptr;
    grid->SetCells(1, 1, "kept");
    grid->SetRowCount(3);
    grid->SetCells(1, 2, "gone");
    grid->SetRowCount(2);
    grid->SetRowCount(3);
    EXPECT_EQ(grid->Cells(1, 1), "kept");
    EXPECT_EQ(grid->Cells(1, 2), "");
}

TEST_F(GridsTest, ShrinkingBelowTheFixedCountsLowersThem) {
    grid->SetColCount(1);
    EXPECT_EQ(grid->FixedCols(), 0);
    EXPECT_EQ(grid->ColCount(), 1);
    grid->SetRowCount(0);
    EXPECT_EQ(grid->RowCount(), 1);
    EXPECT_EQ(grid->FixedRows(), 0);
}

TEST_F(GridsTest, KeysMoveWithinTheScrollingCellsAndPageDownScrolls) {
    grid->SetRowCount(40);
    grid->SetFocus();
    KeyClick(form.get(), Qt::Key_Down);
    KeyClick(form.get(), Qt::Key_Right);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->Col(), 2);
    KeyClick(form.get(), Qt::Key_Home);
    EXPECT_EQ(grid->Col(), 1);
    KeyClick(form.get(), Qt::Key_Left);
    EXPECT_EQ(grid->Col(), 1);
    const Integer page = grid->VisibleRowCount();
    ASSERT_GT(page, 2);
    KeyClick(form.get(), Qt::Key_PageDown);
    EXPECT_EQ(grid->Row(), 2 + page);
    EXPECT_EQ(grid->TopRow(), 1 + page);
    KeyClick(form.get(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid->Row(), 39);
    EXPECT_EQ(grid->Col(), 4);
    const TRect last = grid->CellRect(4, 39);
    EXPECT_FALSE(last.IsEmpty());
    EXPECT_LE(last.Bottom, grid->ClientHeight());
    EXPECT_TRUE(grid->CellRect(4, 2).IsEmpty());
}

// A cell beyond the view is placed without walking the rows before it:
// writing or jumping to a far row costs what a row in view costs.
TEST_F(GridsTest, CellsFarFromTheViewAreFoundWithoutWalkingToThem) {
    grid->SetRowCount(5000);
    grid->SetFocus();
    const Integer page = grid->VisibleRowCount() + 2;
    qint64 before = TCustomGrid::AxisWalkSteps();
    EXPECT_TRUE(grid->CellRect(1, 4000).IsEmpty());
    grid->SetCells(1, 4999, "far");
    EXPECT_LE(TCustomGrid::AxisWalkSteps() - before, 2 * page);
    EXPECT_EQ(grid->Cells(1, 4999), "far");

    before = TCustomGrid::AxisWalkSteps();
    KeyClick(form.get(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_LE(TCustomGrid::AxisWalkSteps() - before, 10 * page);
    EXPECT_EQ(grid->Row(), 4999);
    // The view moved as little as it could: the last row shows whole, the
    // one above the view would not fit beside it.
    const TRect last = grid->CellRect(1, 4999);
    ASSERT_FALSE(last.IsEmpty());
    EXPECT_LE(last.Bottom, grid->ClientHeight());
    EXPECT_GT(last.Bottom + (last.Height() + 1), grid->ClientHeight());
    EXPECT_EQ(grid->TopRow(), 4999 - grid->VisibleRowCount() + 1);

    // Above the view: nothing to walk at all.
    before = TCustomGrid::AxisWalkSteps();
    grid->SetCells(1, 2, "near the top");
    EXPECT_TRUE(grid->CellRect(1, 2).IsEmpty());
    EXPECT_EQ(TCustomGrid::AxisWalkSteps() - before, 0);
}

// Paint events reaching one widget.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++count;
        return false;
    }
};

// A move by key only marks cells for painting: a burst of moves leaves one
// paint behind, not one each.
TEST_F(GridsTest, KeyMovesCoalesceIntoOnePaint) {
    grid->SetRowCount(200);
    grid->SetFocus();
    QApplication::processEvents();
    PaintCounter paints(static_cast<QAbstractScrollArea*>(grid->Widget())->viewport());
    for (int i = 0; i < 30; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(QApplication::focusWidget(), &press);
    }
    EXPECT_EQ(grid->Row(), 31);
    EXPECT_EQ(paints.count, 0);
    QApplication::processEvents();
    EXPECT_EQ(paints.count, 1);
}

// ------------------------------------------------------------ widths and geometry

TEST_F(GridsTest, ColumnWidthsCallColWidthsChangedFromProgramAndMouse) {
    grid->SetColWidths(2, 80);
    EXPECT_EQ(grid->WidthChanges, 1);
    grid->SetColWidths(2, 80);
    EXPECT_EQ(grid->WidthChanges, 1);
    EXPECT_EQ(grid->CellRect(3, 1).Left, 64 + 1 + 64 + 1 + 80 + 1);

    grid->SetOptions(grid->Options() + goColSizing);
    // Drag the line right of column 1 (x = 64 + 1 + 64) in the title row by 20 pixels.
    const QPoint offset = grid->Widget()->mapTo(form->Handle(), QPoint(2, 2));
    const QPoint press = offset + QPoint(64 + 1 + 64, 5);
    MousePress(form.get(), press);
    QTest::mouseMove(WindowOf(form.get()), press + QPoint(20, 0));
    MouseRelease(form.get(), press + QPoint(20, 0));
    EXPECT_EQ(grid->ColWidths(1), 84);
    EXPECT_EQ(grid->WidthChanges, 2);
}

TEST_F(GridsTest, ScrollBarsAppearWhenCellsDoNotFitAndNarrowTheClientArea) {
    const Integer wide = grid->ClientWidth();
    EXPECT_EQ(wide, 360 - 4);
    grid->SetRowCount(30);
    EXPECT_EQ(grid->ClientWidth(), 360 - 4 - GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(grid->ClientHeight(), 200 - 4);
    grid->SetColCount(8);
    EXPECT_EQ(grid->ClientHeight(), 200 - 4 - GetSystemMetrics(SM_CYHSCROLL));
    auto* viewport = static_cast<QAbstractScrollArea*>(grid->Widget())->viewport();
    EXPECT_EQ(viewport->width(), grid->ClientWidth());
    EXPECT_EQ(viewport->height(), grid->ClientHeight());
}

// Ctl3D set after the grid's window is made frames it as it would have
// framed a grid made afterwards: one flat line, the client area one pixel
// wider on each side, and back.
TEST_F(GridsTest, Ctl3DChangedOnAShownGridChangesItsFrame) {
    auto* area = static_cast<QFrame*>(grid->Widget());
    grid->SetCtl3D(false);
    EXPECT_EQ(grid->ClientWidth(), 360 - 2);
    EXPECT_EQ(grid->ClientHeight(), 200 - 2);
    EXPECT_EQ(area->frameWidth(), 1);
    EXPECT_EQ(area->frameShadow(), QFrame::Plain);
    EXPECT_EQ(static_cast<QAbstractScrollArea*>(area)->viewport()->width(), 360 - 2);
    grid->SetCtl3D(true);
    EXPECT_EQ(grid->ClientWidth(), 360 - 4);
    EXPECT_EQ(area->frameWidth(), 2);
    EXPECT_EQ(area->frameShadow(), QFrame::Sunken);
}

TEST_F(GridsTest, MouseToCellFindsTheCellUnderAPoint) {
    Integer c = 0, r = 0;
    grid->MouseToCell(64 + 1 + 10, 20 + 1 + 20 + 1 + 3, c, r);
    EXPECT_EQ(c, 1);
    EXPECT_EQ(r, 2);
    grid->MouseToCell(5 * 65 + 3, 5, c, r);
    EXPECT_EQ(c, -1);
    EXPECT_EQ(r, -1);
}

// ------------------------------------------------------------ the editor

TEST_F(GridsTest, TheEditorComesOnFirstNeedBoundToTheCurrentCell) {
    grid->SetCells(1, 1, "abc");
    EXPECT_EQ(grid->InplaceEditor(), nullptr);
    StartEditing();
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    EXPECT_TRUE(grid->InplaceEditor()->Shown());
    EXPECT_EQ(grid->InplaceEditor()->Text(), "abc");
    EXPECT_EQ(grid->InplaceEditor()->SelLength(), 3);
    EXPECT_TRUE(grid->InplaceEditor()->Focused());
    const TRect cell = grid->CellRect(1, 1);
    EXPECT_EQ(grid->InplaceEditor()->BoundsRect(), cell);
    // One focus unit: the form reports the grid, and no entry or exit ran.
    EXPECT_EQ(form->ActiveControl(), grid);
    EXPECT_TRUE(log.With("Enter:grid").empty());
    EXPECT_TRUE(log.With("Exit:grid").empty());
}

TEST_F(GridsTest, AShownEditorFollowsItsCellWhenColumnsRowsOrTheViewChange) {
    grid->SetColCount(12);
    grid->SetRowCount(30);
    StartEditing();
    TInplaceEdit* editor = grid->InplaceEditor();
    ASSERT_NE(editor, nullptr);
    grid->SetColWidths(0, 30);
    EXPECT_EQ(editor->BoundsRect(), grid->CellRect(1, 1));
    grid->SetRowHeights(1, 33);
    EXPECT_EQ(editor->BoundsRect(), grid->CellRect(1, 1));
    EXPECT_EQ(editor->Height(), 33);
    grid->MoveColRow(4, 20, true, true);
    grid->SetEditorMode(true);
    const TRect cell = grid->CellRect(4, 20);
    ASSERT_FALSE(cell.IsEmpty());
    EXPECT_EQ(editor->BoundsRect(), cell);
    grid->SetLeftCol(grid->LeftCol() + 1);
    EXPECT_EQ(editor->BoundsRect(), grid->CellRect(4, 20));
}

TEST_F(GridsTest, NegativeDefaultSizesCountAsZero) {
    grid->SetDefaultColWidth(-20);
    grid->SetDefaultRowHeight(-5);
    EXPECT_EQ(grid->DefaultColWidth(), 0);
    EXPECT_EQ(grid->ColWidths(2), 0);
    EXPECT_EQ(grid->RowHeights(2), 0);
    const TRect cell = grid->CellRect(2, 2);
    EXPECT_GE(cell.Right, cell.Left);
    EXPECT_GE(cell.Bottom, cell.Top);
}

TEST_F(GridsTest, TypingGoesIntoTheCellAndFollowsTheCursor) {
    StartEditing();
    KeyClicks(form.get(), "xy");
    EXPECT_EQ(grid->Cells(1, 1), "xy");
    KeyClick(form.get(), Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->InplaceEditor()->Text(), "");
    EXPECT_EQ(grid->InplaceEditor()->BoundsRect(), grid->CellRect(1, 2));
    EXPECT_TRUE(grid->InplaceEditor()->Focused());
    EXPECT_EQ(grid->Cells(1, 1), "xy");
}

TEST_F(GridsTest, ACellWriteReloadsAShownEditorButNotTheEditorsOwnText) {
    StartEditing();
    KeyClicks(form.get(), "ab");
    grid->SetCells(1, 1, "program");
    EXPECT_EQ(grid->InplaceEditor()->Text(), "program");
    EXPECT_EQ(grid->InplaceEditor()->SelLength(), 7);
    // A write elsewhere leaves the editor alone.
    grid->SetCells(2, 1, "other");
    EXPECT_EQ(grid->InplaceEditor()->Text(), "program");
    KeyClicks(form.get(), "z");
    EXPECT_EQ(grid->Cells(1, 1), "z");
    EXPECT_EQ(grid->InplaceEditor()->Text(), "z");
}

TEST_F(GridsTest, FocusBetweenGridAndEditorRaisesNoEntryOrExitButLeavingDoes) {
    StartEditing();
    grid->InplaceEditor()->Hide();
    EXPECT_TRUE(grid->Focused());
    grid->ShowEditor();
    EXPECT_TRUE(grid->InplaceEditor()->Focused());
    EXPECT_TRUE(log.With("Enter:grid").empty());
    EXPECT_TRUE(log.With("Exit:grid").empty());
    other->SetFocus();
    EXPECT_EQ(log.With("Exit:grid"), (Log{"Exit:grid"}));
    grid->SetFocus();
    EXPECT_EQ(log.With("Enter:grid"), (Log{"Enter:grid"}));
    // Focus from outside brings the editor back over the current cell.
    EXPECT_TRUE(grid->InplaceEditor()->Focused());
}

TEST_F(GridsTest, HideEditorPutsTheTextInItsCellAndLeavesEditorMode) {
    StartEditing();
    KeyClicks(form.get(), "q");
    grid->HideEditor();
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_FALSE(grid->InplaceEditor()->Shown());
    EXPECT_TRUE(grid->Focused());
    EXPECT_EQ(grid->Cells(1, 1), "q");
}

TEST_F(GridsTest, NavigationKeysInTheEditorGoToTheGrid) {
    grid->SetRowCount(30);
    StartEditing();
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_Escape}) {
        KeyClick(form.get(), key);
    }
    EXPECT_EQ(log.With("GridKeyDown:"),
              (Log{"GridKeyDown:40", "GridKeyDown:38", "GridKeyDown:34", "GridKeyDown:33", "GridKeyDown:27"}));
    EXPECT_EQ(grid->Row(), 1);
    // Tab goes to the grid when it keeps tabs, and walks the row.
    grid->SetOptions(grid->Options() + goTabs);
    log.Clear();
    KeyClick(form.get(), Qt::Key_Tab);
    EXPECT_EQ(log.With("GridKeyDown:"), (Log{"GridKeyDown:9"}));
    EXPECT_EQ(grid->Col(), 2);
}

TEST_F(GridsTest, LeftAndRightStayInTheTextUntilTheCaretReachesItsEdge) {
    grid->SetCells(2, 1, "abc");
    StartEditing();
    grid->SetCol(2);
    // All text selected: Right leaves the cell at once.
    log.Clear();
    KeyClick(form.get(), Qt::Key_Right);
    EXPECT_EQ(grid->Col(), 3);
    grid->SetCol(2);
    auto* edit = grid->InplaceEditor();
    edit->SetSelStart(2);
    log.Clear();
    KeyClick(form.get(), Qt::Key_Left);
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(edit->SelStart(), 1);
    EXPECT_TRUE(log.With("GridKeyDown:").empty());
    KeyClick(form.get(), Qt::Key_Left);
    EXPECT_EQ(edit->SelStart(), 0);
    KeyClick(form.get(), Qt::Key_Left);
    EXPECT_EQ(log.With("GridKeyDown:"), (Log{"GridKeyDown:37"}));
    EXPECT_EQ(grid->Col(), 1);
    // Without goAlwaysShowEditor the arrows stay in the text.
    grid->SetOptions(grid->Options() - goAlwaysShowEditor);
    grid->ShowEditor();
    grid->InplaceEditor()->SetSelStart(0);
    log.Clear();
    KeyClick(form.get(), Qt::Key_Left);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_TRUE(log.With("GridKeyDown:").empty());
}

TEST_F(GridsTest, ACharacterTypedWithTheEditorHiddenPassesTheGridsKeyPressOnce) {
    grid->SetOptions(grid->Options() + goEditing);
    grid->SetCells(1, 1, "old");
    grid->SetFocus();
    ASSERT_TRUE(grid->InplaceEditor() == nullptr || !grid->InplaceEditor()->Shown());
    log.Clear();
    KeyClick(form.get(), Qt::Key_7);
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    EXPECT_TRUE(grid->InplaceEditor()->Shown());
    EXPECT_EQ(grid->InplaceEditor()->Text(), "7");
    EXPECT_EQ(grid->Cells(1, 1), "7");
    // Once through the grid for the typed key (redirected), once more from
    // the editor: the second one is the only one that may change the key.
    Integer seen = 0;
    grid->OnKeyPress = [&](TObject*, WideChar& key) {
        ++seen;
        if (key == QLatin1Char('x')) key = QChar();
    };
    grid->HideEditor();
    KeyClick(form.get(), Qt::Key_X);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(grid->InplaceEditor()->Text(), "7");
    KeyClick(form.get(), Qt::Key_Backspace);
    EXPECT_EQ(seen, 2);
    EXPECT_EQ(grid->Cells(1, 1), "");
}

TEST_F(GridsTest, ACharacterTypedOnTheGridGoesIntoItsVisibleEditor) {
    StartEditing();
    // The grid takes the focus from its editor, which stays visible.
    grid->SetFocus();
    ASSERT_TRUE(grid->Focused());
    ASSERT_TRUE(grid->InplaceEditor()->Shown());
    KeyClicks(form.get(), "ab");
    EXPECT_TRUE(grid->InplaceEditor()->Focused());
    EXPECT_EQ(grid->Cells(1, 1), "ab");
}

TEST_F(GridsTest, EnterTogglesTheEditorWithoutAlwaysShowEditor) {
    grid->SetOptions(grid->Options() + goEditing);
    grid->SetFocus();
    KeyClick(form.get(), Qt::Key_Return);
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    EXPECT_TRUE(grid->EditorMode());
    EXPECT_TRUE(grid->InplaceEditor()->Shown());
    KeyClick(form.get(), Qt::Key_Return);
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_FALSE(grid->InplaceEditor()->Shown());
    EXPECT_TRUE(grid->Focused());
}

TEST_F(GridsTest, AClickFocusesTheGridAndChoosesTheCell) {
    other->SetFocus();
    const QPoint origin = grid->Widget()->mapTo(form->Handle(), QPoint(2, 2));
    const TRect target = grid->CellRect(3, 2);
    MouseClick(form.get(), origin + QPoint(target.Left + 5, target.Top + 5));
    EXPECT_TRUE(grid->Focused());
    EXPECT_EQ(grid->Col(), 3);
    EXPECT_EQ(grid->Row(), 2);
    // A fixed cell is never chosen.
    MouseClick(form.get(), origin + QPoint(5, target.Top + 5));
    EXPECT_EQ(grid->Col(), 3);
}

TEST_F(GridsTest, RowsMoveByMouseWithTheirCellsAndTheCursor) {
    grid->SetOptions(grid->Options() + goRowMoving);
    grid->SetCells(1, 1, "one");
    grid->SetCells(1, 3, "three");
    std::vector<std::pair<Integer, Integer>> moved;
    grid->OnRowMoved = [&](TObject*, Integer from, Integer to) { moved.push_back({from, to}); };
    const QPoint origin = grid->Widget()->mapTo(form->Handle(), QPoint(2, 2));
    const TRect from = grid->CellRect(0, 1), to = grid->CellRect(0, 3);
    MousePress(form.get(), origin + QPoint(10, from.Top + 5));
    QTest::mouseMove(WindowOf(form.get()), origin + QPoint(10, to.Top + 5));
    MouseRelease(form.get(), origin + QPoint(10, to.Top + 5));
    EXPECT_EQ(moved, (std::vector<std::pair<Integer, Integer>>{{1, 3}}));
    EXPECT_EQ(grid->Cells(1, 3), "one");
    EXPECT_EQ(grid->Cells(1, 2), "three");
    EXPECT_EQ(grid->Row(), 3);
}

// ------------------------------------------------------------ painting

TEST_F(GridsTest, CellsPaintThroughDrawCellWithTheirState) {
    grid->SetCells(1, 1, "A");
    grid->SetFocus();
    std::vector<std::pair<TGridCoord, TGridDrawState>> seen;
    grid->OnDrawCell = [&](TObject*, Integer c, Integer r, TRect, TGridDrawState s) { seen.push_back({{c, r}, s}); };
    const QImage image = grid->Widget()->grab().toImage();
    SaveTestImage(image, "grids-string-grid");
    ASSERT_FALSE(seen.empty());
    for (const auto& [cell, state] : seen) {
        const bool fixed = cell.X == 0 || cell.Y == 0;
        EXPECT_EQ(state.Contains(gdFixed), fixed);
        const bool current = cell == TGridCoord{1, 1};
        EXPECT_EQ(state.Contains(gdSelected), current);
        EXPECT_EQ(state.Contains(gdFocused), current);
    }
    // The fixed colour, the window colour and the dark fixed line.
    const QPoint vp(2, 2);
    EXPECT_EQ(FromQColor(image.pixelColor(vp + QPoint(30, 5))), ColorToRGB(clBtnFace));
    EXPECT_EQ(FromQColor(image.pixelColor(vp + QPoint(64, 5))), clBlack);
    EXPECT_EQ(FromQColor(image.pixelColor(vp + QPoint(140, 50))), ColorToRGB(clWindow));
    EXPECT_EQ(FromQColor(image.pixelColor(vp + QPoint(129, 50))), clSilver);
}

// The dotted frame inverts every other pixel of the current cell's edge.
TEST_F(GridsTest, TheFocusedCellShowsItsFocusRectangle) {
    grid->SetFocus();
    const QImage image = grid->Widget()->grab().toImage();
    SaveTestImage(image, "grids-focus-rectangle");
    const QPoint cell = QPoint(2, 2) + QPoint(65, 21);  // frame, then column 0 and row 0 with their lines
    const TColor inside = FromQColor(image.pixelColor(cell + QPoint(30, 10)));
    EXPECT_EQ(inside, ColorToRGB(clWindow));
    for (const QPoint at : {QPoint(0, 0), QPoint(2, 0), QPoint(0, 2), QPoint(63, 1), QPoint(1, 19)})
        EXPECT_EQ(FromQColor(image.pixelColor(cell + at)), inside ^ 0xFFFFFF) << at.x() << "," << at.y();
    for (const QPoint at : {QPoint(1, 0), QPoint(0, 1), QPoint(61, 0), QPoint(1, 1)})
        EXPECT_EQ(FromQColor(image.pixelColor(cell + at)), inside) << at.x() << "," << at.y();
}

}  // namespace
