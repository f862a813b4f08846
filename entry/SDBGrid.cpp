// TSDBGrid: construction, the refresh the column collection asks for, the
// edited cell (entry, validation, leaving through SelectCell), the row
// operations, focus, the size hooks with the AutoSize column, the width cut
// while typing and the mouse row highlight. Keys and cell movement are in
// SDBGridKeys.cpp, drawing in SDBGridDraw.cpp, cell access by title and
// era dates in SDBGridData.cpp.
#include "SDBGrid.h"

#include "Dialogs.h"
#include "Ime.h"
#include "SDBGridInternal.h"
#include "SEdit.h"

#include <algorithm>

namespace {

// Shared by every grid of the program, as the re-entry guards of the size
// hooks are.
bool FirstGridCreated = false;
bool WidthsChanging = false;
bool Resizing = false;

// The cell editor of the entry grid: a composition result marks the grid's
// input-method flag, so that the Enter confirming it does not move on.
class TSDBInplaceEdit : public TInplaceEdit {
public:
    using TInplaceEdit::TInplaceEdit;

protected:
    void WndProc(TMessage& Message) override {
        if (Message.Msg == WM_IME_COMPOSITION && (Message.LParam & GCS_RESULTSTR) != 0) SetImeResultFlag(Grid());
        TInplaceEdit::WndProc(Message);
    }
};

const char* const DefaultEras[] = {
    "1=明治", "2=大正", "3=昭和", "4=平成", "5=令和",
    "1S=1867", "2S=1911", "3S=1925", "4S=1988", "5S=2018",
    "1G=1868/09/08", "2G=1912/07/30", "3G=1926/12/25", "4G=1989/01/08", "5G=2019/05/01",
    "年=年", "月=月", "日=日"};

// The text of a row number: for a zero-fill column what Format writes with
// "%.<MaxLength>d", else plain digits. Row numbers are never negative, so
// zero-filling only pads the digits; a negative width is left to Format,
// which refuses the pattern.
QString RowNumber(Int64 n, const TGridColumn* first) {
    const QString digits = IntToStr(n);
    if (first->NumericType() != ntgZeroFillInteger) return digits;
    const Integer width = first->MaxLength();
    if (width < 0) return Format(QStringLiteral("%.") + IntToStr(width) + QStringLiteral("d"), {n});
    return digits.rightJustified(width, u'0');
}

}  // namespace

TGridCoord TSDBGrid::firstSkipped_{-1, -1};

// ------------------------------------------------------------ life

TSDBGrid::TSDBGrid(TComponent* AOwner)
    : TStringGrid(AOwner),
      columns_(std::make_unique<TGridColumns>(this)),
      gStrings_(std::make_unique<TStringList>()) {
    if (!FirstGridCreated) {
        FirstGridCreated = true;
        ClearImeResultFlag();
    }
    for (const char* line : DefaultEras) gStrings_->Add(QString::fromUtf8(line));
    gStrings_->OnChange = [this](TObject*) { reloadEras(); };
    reloadEras();
    SetDefaultDrawing(false);
    SetFixedColor(0xB0D0B0);
    for (int i = 0; i < 5; ++i) columns_->Add();
    SetFixedCols(1);
    SetFixedRows(1);
    direction_ = crGoodCol;
    SetOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect, goColSizing, goEditing,
                goAlwaysShowEditor, goThumbTracking});
    SetRowCount(2);
    SetColCount(2);
    SetRow(FixedRows());
    MoveToFirstStayColumn(true);
}

TSDBGrid::~TSDBGrid() {
    // The collection no longer refreshes a grid that is going.
    columns_->BeginUpdate();
}

TGridColumn* TSDBGrid::Column(Integer ACol) const {
    return ACol >= 0 && ACol < columns_->Count() ? columns_->Items(ACol) : nullptr;
}

// ------------------------------------------------------------ drawing settings

void TSDBGrid::SetTwoTone(bool on) { twoTone_ = on; Invalidate(); }
void TSDBGrid::SetTwoToneColor(TColor color) { twoToneColor_ = color; Invalidate(); }
void TSDBGrid::SetSelectedColor(TColor color) { selectedColor_ = color; Invalidate(); }
void TSDBGrid::SetWordWrapChar(WideChar c) { wordWrapChar_ = c; Invalidate(); }
void TSDBGrid::SetGradient(bool on) { gradient_ = on; Invalidate(); }
void TSDBGrid::SetGradientStartColor(TColor color) { gradientStartColor_ = color; Invalidate(); }
void TSDBGrid::SetGradientEndColor(TColor color) { gradientEndColor_ = color; Invalidate(); }
void TSDBGrid::SetGradientType(TGradientType type) { gradientType_ = type; Invalidate(); }
void TSDBGrid::SetInvertGradient(bool on) { invertGradient_ = on; Invalidate(); }
void TSDBGrid::SetLeftTopGradientDirection(TLeftTopGradientDirection direction) {
    leftTopGradientDirection_ = direction;
    Invalidate();
}

// ------------------------------------------------------------ the collection's refresh

void TSDBGrid::columnsUpdate(TGridColumn* column) {
    if (IsDestroying()) return;
    if (column) refreshColumn(column);
    else refreshAllColumns();
}

void TSDBGrid::refreshAllColumns() {
    if (refreshingAll_) return;
    TFlagScope all(refreshingAll_);
    TCollectionUpdate update(*columns_);
    SetColCount(columns_->Count());
    for (Integer i = 0; i < columns_->Count(); ++i) refreshColumn(columns_->Items(i));
    Resize();
    update.End();
    Invalidate();
}

void TSDBGrid::refreshColumn(TGridColumn* column) {
    if (refreshingOne_) return;
    TFlagScope one(refreshingOne_);
    TCollectionUpdate update(*columns_);
    const Integer index = column->Index();
    if (index >= 0 && index < ColCount()) {
        // A grid without title row keeps its first data row as it is.
        if (FixedRows() >= 1) setCell(index, 0, column->Text());
        const bool fixed = index < FixedCols();
        if (fixed) {
            column->SetStay(false);
            column->SetNeed(false);
            fillGeneratedCells();
        }
        if (!(index == 0 && fixed && column->AutoSequence() >= 0)) column->SetAutoSequence(-1);
        if (ColWidths(index) != column->Width()) SetColWidths(index, column->Width());
    }
    titles_.clear();
    for (Integer i = 0; i < columns_->Count(); ++i) titles_.append(UpperCase(columns_->Items(i)->Text()));
    update.End();
}

// Row numbers in the first, fixed column when it numbers the rows. The
// fixed texts of display-only columns are drawn, not stored in cells.
void TSDBGrid::fillGeneratedCells() {
    const TGridColumn* first = Column(0);
    if (FixedCols() < 1 || !first) return;
    TCollectionUpdate update(*columns_);
    if (first->AutoSequence() >= 0) {
        for (Integer r = FixedRows(); r < RowCount(); ++r)
            setCell(0, r, RowNumber(Int64(first->AutoSequence()) + (r - FixedRows()), first));
    }
    update.End();
}

bool TSDBGrid::numbersRows() const {
    const TGridColumn* first = Column(0);
    return FixedCols() >= 1 && first && first->AutoSequence() >= 0;
}

void TSDBGrid::Update() {
    TStringGrid::Update();
    if (FixedRows() >= 1) {
        for (Integer i = 0; i < columns_->Count() && i < ColCount(); ++i) setCell(i, 0, columns_->Items(i)->Text());
    }
    fillGeneratedCells();
}

void TSDBGrid::setCell(Integer ACol, Integer ARow, const QString& text) {
    if (Cells(ACol, ARow) != text) SetCells(ACol, ARow, text);
}

// ------------------------------------------------------------ size hooks

void TSDBGrid::SizeChanged(Integer OldColCount, Integer OldRowCount) {
    TStringGrid::SizeChanged(OldColCount, OldRowCount);
    if (refreshingAll_ || IsDestroying()) return;
    {
        MoveLock lock(*this);
        TFlagScope all(refreshingAll_);
        TFlagScope one(refreshingOne_);
        while (columns_->Count() > ColCount()) columns_->Delete(columns_->Count() - 1);
        while (columns_->Count() < ColCount()) columns_->Add();
    }
    fillGeneratedCells();
    if (OnSizeChanged) OnSizeChanged(this, OldColCount, OldRowCount);
}

void TSDBGrid::ColWidthsChanged() {
    if (WidthsChanging || IsDestroying()) {
        TStringGrid::ColWidthsChanged();
        return;
    }
    TFlagScope guard(WidthsChanging);
    bool refused = false;
    {
        MoveLock lock(*this);
        TCollectionUpdate update(*columns_);
        SetColCount(columns_->Count());
        for (Integer i = 0; i < columns_->Count() && i < ColCount(); ++i) {
            TGridColumn* column = columns_->Items(i);
            if (column->Width() == ColWidths(i)) continue;
            bool accept = true;
            if (OnColWidthChanged) OnColWidthChanged(this, i, Row(), accept);
            refused = !accept;
            if (accept) column->SetWidth(ColWidths(i));
            else SetColWidths(i, column->Width());
        }
        Resize();
        update.End();
    }
    if (!refused) TStringGrid::ColWidthsChanged();
}

void TSDBGrid::Resize() {
    if (Resizing) return;
    TFlagScope guard(Resizing);
    TStringGrid::Resize();
    resizeColumns();
}

// The AutoSize column takes the width the other columns leave, never less
// than nothing.
void TSDBGrid::resizeColumns() {
    const bool lines = Options().Contains(goFixedVertLine) || Options().Contains(goVertLine);
    const Integer line = lines ? GridLineWidth() : 0;
    TGridColumn* autoColumn = nullptr;
    Integer used = 0;
    for (Integer i = 0; i < columns_->Count(); ++i) {
        TGridColumn* column = columns_->Items(i);
        if (!autoColumn && column->AutoSize()) {
            autoColumn = column;
            continue;
        }
        used += column->Width() + line;
    }
    if (!autoColumn) return;
    const Integer width = std::max(0, ClientWidth() - used);
    autoColumn->SetWidth(width);
    // The grid follows at once, also while the collection holds its signals.
    if (ColWidths(autoColumn->Index()) != width) SetColWidths(autoColumn->Index(), width);
}

void TSDBGrid::RowMoved(Integer FromIndex, Integer ToIndex) {
    TStringGrid::RowMoved(FromIndex, ToIndex);
    MoveLock lock(*this);
    if (!numbersRows()) return;
    const QString from = Cells(0, FromIndex);
    SetCells(0, FromIndex, Cells(0, ToIndex));
    SetCells(0, ToIndex, from);
    enterCell(Col(), Row());
    Update();
}

// ------------------------------------------------------------ the edited cell

TErrorType TSDBGrid::ValidateCell(bool Report) {
    return validateCell(Col(), Row(), Report);
}

TErrorType TSDBGrid::validateCell(Integer ACol, Integer ARow, bool report) {
    const TGridColumn* column = Column(ACol);
    if (!column || ARow < 0 || ARow >= RowCount()) return erNone;
    const QString text = Cells(ACol, ARow);
    const bool blank = Trim(text).isEmpty();
    const Integer decimals = column->CharTypes().Contains(ctgPeriod) ? column->fpLength() : 0;
    switch (column->NumericType()) {
    case ntgInteger: case ntgExtend: case ntgCurrency: {
        Extended v = 0;
        if (!CellNumber(text, v)) {
            MessageBeep(0);
            setCell(ACol, ARow, FormatNumber(0, decimals, false));
            return report ? erNotValue : erNone;
        }
        if (v < column->MinValue()) return erMinValue;
        if (v > column->MaxValue()) return erMaxValue;
        if (blank && !column->ZeroDisp()) return erNone;
        setCell(ACol, ARow, FormatNumber(v, decimals, column->CharTypes().Contains(ctgConmma)));
        return erNone;
    }
    case ntgZeroFillInteger: {
        if (blank) return erNone;
        TErrorType result = erNone;
        Int64 n = 0;
        if (!TryStrToInt64(Trim(text), n)) {
            MessageBeep(0);
            if (report) result = erNotValue;
            n = 0;
        }
        if (Extended(n) < column->MinValue()) return erMinValue;
        if (Extended(n) > column->MaxValue()) return erMaxValue;
        setCell(ACol, ARow, ZeroFilled(n, column));
        return result;
    }
    case ntgDateym: case ntgDateymd: case ntgTimehm: case ntgTimehms: {
        const bool date = IsDateKind(column->NumericType());
        const QString r = date ? ColumnDateText(ACol, text) : ColumnTimeText(ACol, text);
        if (r.isEmpty() || r.contains(QStringLiteral("Bad"))) return date ? erDate : erTime;
        setCell(ACol, ARow, r);
        return erNone;
    }
    default: return erNone;
    }
}

void TSDBGrid::enterCell(Integer ACol, Integer ARow) {
    validateCell(Col(), Row(), false);
    oldData_ = Cells(ACol, ARow);
    editCol_ = ACol;
    editRow_ = ARow;
    typedText_ = oldData_;
    const TGridColumn* column = Column(ACol);
    if (!column || oldData_.isEmpty()) return;
    const TSNumericType kind = column->NumericType();
    if (kind == ntgInteger || kind == ntgExtend || kind == ntgCurrency) setCell(ACol, ARow, Unformatted(oldData_));
}

bool TSDBGrid::valueChanged(const TGridColumn* column, const QString& now, const QString& before) const {
    if (column->IsNumeric()) return CellValue(now) != CellValue(before);
    return now != before;
}

// The current cell is left: it must be valid, filled when needed, and a
// changed value must be accepted by OnModified.
bool TSDBGrid::leaveCurrent() {
    const Integer c = Col(), r = Row();
    const TGridColumn* column = Column(c);
    if (!column) return true;
    const TErrorType e = validateCell(c, r, false);
    const QString text = Cells(c, r);
    const bool blank = Trim(text).isEmpty();
    auto refuse = [&](TErrorType error) {
        lastError_ = error;
        leaveRefused_ = true;
        if (OnEditError) OnEditError(this, c, r);
        direction_ = crGoodCol;
        return false;
    };
    lastError_ = e;
    if (e != erNone && !blank) return refuse(e);
    if (blank && column->Need()) return refuse(erNeeded);
    const bool ours = c == editCol_ && r == editRow_;
    if (!ours || !valueChanged(column, text, oldData_)) return true;
    bool accept = true;
    if (OnModified) OnModified(this, c, r, accept);
    if (!accept) {
        leaveRefused_ = true;
        direction_ = crGoodCol;
    }
    return accept;
}

bool TSDBGrid::SelectCell(Integer ACol, Integer ARow) {
    if (moveLock_) return false;
    if (TInplaceEdit* editor = InplaceEditor()) {
        editor->SetSelLength(0);
        if (editor->Shown()) editor->Hide();
    }
    if (Options().Contains(goRowSelect)) {
        if (focused_) {
            enterCell(ACol, ARow);
            bool can = true;
            if (OnSelectCell) OnSelectCell(this, ACol, ARow, can);
            InvalidateRow(ARow);
        }
        return true;
    }
    // The cell being left is checked once per move, not again by the
    // nested moves of skipping.
    if (!leaving_) {
        leaveRefused_ = false;
        if (!leaveCurrent()) return false;
    }
    TFlagScope leaving(leaving_);
    const TGridColumn* target = Column(ACol);
    bool can = target && target->Stay();
    if (can && OnSelectCell) OnSelectCell(this, ACol, ARow, can);
    if (!can) {
        skip(ACol, ARow);
        return false;
    }
    acceptTarget(ACol, ARow);
    return true;
}

void TSDBGrid::acceptTarget(Integer ACol, Integer ARow) {
    firstSkipped_ = TGridCoord{-1, -1};
    enterCell(ACol, ARow);
    validateCell(Col(), Row(), false);
    const TGridColumn* column = Column(ACol);
    SetImeMode(column->ImeMode());
    if (TInplaceEdit* editor = InplaceEditor()) {
        editor->SetImeMode(column->ImeMode());
        if (focused_) applyColumnToEditor(column);
    }
}

void TSDBGrid::applyColumnToEditor(const TGridColumn* column) {
    TInplaceEdit* editor = InplaceEditor();
    // Bound to no cell while it changes, so nothing is written back.
    if (!editor->Shown()) InvalidateEditor();
    editor->SetColor(column->CellColor());
    editor->Font()->SetHeight(column->CellFontHeight());
    editor->Font()->SetColor(column->CellFontColor());
    editor->SetCharCase(column->CharCase());
}

void TSDBGrid::RestoreOldData() {
    if (editCol_ >= 0 && editRow_ >= 0 && editCol_ < ColCount() && editRow_ < RowCount())
        setCell(editCol_, editRow_, oldData_);
    typedText_ = oldData_;
}

// ------------------------------------------------------------ rows

void TSDBGrid::emptyRow(Integer ARow, Integer fromCol) {
    for (Integer c = fromCol; c < ColCount(); ++c) setCell(c, ARow, QString());
}

void TSDBGrid::ResetRows(Integer Count, bool ClearRows) {
    TGridColumn* column = Column(Col());
    const bool stay = column ? column->stay_ : false;
    const bool need = column ? column->need_ : false;
    {
        MoveLock lock(*this);
        if (column) {
            column->stay_ = true;
            column->need_ = false;
        }
        // Inside the lock the cursor is placed, never asked to move.
        ForceCurrent(Col(), FixedRows());
        SetRowCount(FixedRows() + std::max(Count, 1));
        // Row numbers are left to the numbering, which writes them again.
        const Integer from = !ClearRows ? FixedCols() : numbersRows() ? 1 : 0;
        for (Integer r = FixedRows(); r < RowCount(); ++r) emptyRow(r, from);
        if (ClearRows) fillGeneratedCells();
        enterCell(Col(), Row());
        moveLock_ = false;
        SelectCell(Col(), Row());
    }
    if (column && columns_->Count() > column->Index()) {
        column->stay_ = stay;
        column->need_ = need;
    }
    UpdateEdit();
}

void TSDBGrid::ClearRow(Integer ARow) {
    if (ARow < 0) ARow = Row();
    if (ARow < FixedRows() || ARow >= RowCount()) return;
    MoveLock lock(*this);
    emptyRow(ARow, 0);
    if (ARow == Row()) enterCell(Col(), Row());
    fillGeneratedCells();
}

void TSDBGrid::AppendRow() {
    {
        MoveLock lock(*this);
        SetRowCount(RowCount() + 1);
        ForceCurrent(Col(), RowCount() - 1);
        emptyRow(Row(), FixedCols());
        fillGeneratedCells();
        enterCell(Col(), Row());
        moveLock_ = false;
        SelectCell(Col(), Row());
    }
    UpdateEdit();
}

bool TSDBGrid::IsRowNull(Integer ARow) {
    if (OnCheckRowIsNull) {
        bool null = false;
        OnCheckRowIsNull(this, ARow, null);
        return null;
    }
    if (ARow < 0) ARow = Row();
    if (ARow < FixedRows() || ARow >= RowCount()) return false;
    for (Integer c = FixedCols(); c < ColCount(); ++c) {
        const TGridColumn* column = Column(c);
        if (!column) continue;
        const QString text = Cells(c, ARow);
        if (!column->Stay() && (column->TimeStamp() || Trim(text).isEmpty() || !column->FixedText().isEmpty()))
            continue;
        const bool filled = column->IsNumeric() ? CellValue(text) != 0 : !Trim(text).isEmpty();
        if (filled) return false;
    }
    return true;
}

// Unchecked, the move passes the cell checks by.
Integer TSDBGrid::moveToColumn(Integer c, bool Checked) {
    {
        MoveLock lock(*this, Checked ? moveLock_ : true);
        SetCol(c);
    }
    return Col() == c ? c : -1;
}

Integer TSDBGrid::MoveToFirstStayColumn(bool Checked) {
    for (Integer c = FixedCols(); c < ColCount(); ++c) {
        const TGridColumn* column = Column(c);
        if (column && column->Stay()) return moveToColumn(c, Checked);
    }
    return -1;
}

Integer TSDBGrid::MoveToLastStayColumn(bool Checked) {
    for (Integer c = ColCount() - 1; c >= FixedCols(); --c) {
        const TGridColumn* column = Column(c);
        if (column && column->Stay()) return moveToColumn(c, Checked);
    }
    return -1;
}

// ------------------------------------------------------------ focus

TInplaceEdit* TSDBGrid::CreateEditor() {
    return new TSDBInplaceEdit(this);
}

void TSDBGrid::DoEnter() {
    TStringGrid::DoEnter();
    TInplaceEdit* editor = EnsureEditor();
    const TGridColumn* column = Column(Col());
    if (column) {
        SetImeMode(column->ImeMode());
        editor->SetImeMode(column->ImeMode());
    }
    if (Options().Contains(goEditing))
        editor->SetColor(twoTone_ && Row() % 2 == 0 ? twoToneColor_ : Color());
    direction_ = crUp;
    focused_ = true;
    enterDownSeen_ = false;
    enterActed_ = false;
    if (editor->Shown()) editor->Hide();
    ImeCurrentEdit = this;
    SelectCell(Col(), Row());
}

void TSDBGrid::DoExit() {
    focused_ = false;
    TStringGrid::DoExit();
    if (ImeCurrentEdit == this) ImeCurrentEdit = nullptr;
    // An edit not confirmed by leaving its cell is dropped.
    RestoreOldData();
    if (TInplaceEdit* editor = InplaceEditor()) editor->Hide();
}

// ------------------------------------------------------------ typing

// Every change of the editor's text: it is cut to the column's length in
// display width, whole characters only, with the caret at the end.
void TSDBGrid::WMCommand(TMessage& Message) {
    TInplaceEdit* editor = InplaceEditor();
    const TGridColumn* column = Column(Col());
    if (editor && column && column->MaxLength() >= 1 && HiWord(Cardinal(Message.WParam)) == EN_CHANGE &&
        Message.LParam == LPARAM(reinterpret_cast<intptr_t>(editor))) {
        const QString text = editor->Text();
        if (StrDisplayWidth(text) > column->MaxLength()) {
            const QString cut = CutToDisplayWidth(text, column->MaxLength());
            editor->SetText(cut);
            editor->SetSelStart(Integer(cut.size()));
        }
    }
    TStringGrid::WMCommand(Message);
}

// ------------------------------------------------------------ mouse row highlight

void TSDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (Options().Contains(goRowMoving) && Button == mbLeft) {
        const TGridCoord hit = MouseCoord(X, Y);
        if (hit.X >= 0 && hit.X < FixedCols() && hit.Y >= FixedRows()) setHighlightRow(hit.Y);
    }
    TStringGrid::MouseDown(Button, Shift, X, Y);
}

void TSDBGrid::MouseMove(TShiftState Shift, Integer X, Integer Y) {
    if (highlightRow_ >= 0) {
        const TGridCoord hit = MouseCoord(X, Y);
        if (!Shift.Contains(ssLeft)) setHighlightRow(-1);
        else if (hit.Y >= FixedRows()) setHighlightRow(hit.Y);
    }
    TStringGrid::MouseMove(Shift, X, Y);
}

void TSDBGrid::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    setHighlightRow(-1);
    TStringGrid::MouseUp(Button, Shift, X, Y);
}

void TSDBGrid::setHighlightRow(Integer ARow) {
    if (ARow == highlightRow_) return;
    if (highlightRow_ >= 0) InvalidateRow(highlightRow_);
    highlightRow_ = ARow;
    if (ARow >= 0) InvalidateRow(ARow);
}
