// The entry grid of voucher lines: a string grid whose columns carry input
// rules (TGridColumn, in the collection TGridColumns). The grid filters the
// keys typed into a cell by its column's rule, cuts the text to the
// column's length in display width, validates and reformats a cell when it
// is left (an invalid value keeps the cursor and raises OnEditError; a
// changed one raises OnModified, which may refuse), passes over the
// display-only columns, numbers the rows, appends a row when the cursor
// runs past the last cell, and reports OnOutOfCells when the cursor cannot
// go on. Cells are also read and written by column title and row.
//
// Numbers are kept as text in the cells: grouped and with their decimals
// while shown, without grouping while a cell is edited.
#pragma once

#include "Classes.h"
#include "Grids.h"
#include "SBtn.h"  // TGradientType, the gradient kinds both units name
#include "ZvTags.h"
#include "ZvTypeDef.h"

#include <memory>
#include <optional>

class TDataSet;
class TGridColumn;
class TSDBGrid;

// How the top-left fixed cells are painted.
enum TLeftTopGradientDirection { ltgdHorizontal, ltgdVertical, ltgdStartColor, ltgdEndColor, ltgdFixedColor };

// ------------------------------------------------------------ TGridColumn

// One column: its title and width, colours and fonts, and the input rule of
// its cells. Setters that change what the grid shows signal the change to
// the collection, which refreshes the grid; the rule setters correct
// inconsistent values in place, announcing them with a plain message box.
class TGridColumn : public TCollectionItem, public TZvUserTags<Integer>, public TZvTagString {
public:
    explicit TGridColumn(TCollection* Collection);
    ~TGridColumn() override;

    // Copies the rule, the colours and the fonts from another column (the
    // title stays empty, AutoSize False); anything else the framework's way.
    void Assign(TPersistent* Source) override;
    QString DisplayName() const override;
    QString ClassName() const override { return QStringLiteral("TGridColumn"); }
    // The grid of the collection, or nil.
    TSDBGrid* Grid() const;

    // ---- title, size and placement
    const QString& Text() const { return text_; }
    void SetText(const QString& value);
    Integer Width() const { return width_; }
    void SetWidth(Integer value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    TAlignment TitleAlignment() const { return titleAlignment_; }
    void SetTitleAlignment(TAlignment value);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    Integer Gap() const { return gap_; }
    void SetGap(Integer value) { gap_ = value; }
    // Whether the cursor may stop in the column (False: display-only).
    bool Stay() const { return stay_; }
    void SetStay(bool value);
    bool AutoSize() const { return autoSize_; }
    // At most one column of a grid: setting it clears it on the others.
    void SetAutoSize(bool value);

    // ---- the input rule
    bool Need() const { return need_; }
    void SetNeed(bool value) { need_ = value; }
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool value) { autoSelect_ = value; }
    TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(TEditCharCase value) { charCase_ = value; }
    TImeMode ImeMode() const { return imeMode_; }
    void SetImeMode(TImeMode value) { imeMode_ = value; }
    TSNumericType NumericType() const { return numericType_; }
    void SetNumericType(TSNumericType value);
    TSCharTypes CharTypes() const { return charTypes_; }
    void SetCharTypes(TSCharTypes value);
    TSExitKeys ExitKeys() const { return exitKeys_; }
    void SetExitKeys(TSExitKeys value) { exitKeys_ = value; }
    TSExitKeys FixedKeys() const { return fixedKeys_; }
    void SetFixedKeys(TSExitKeys value) { fixedKeys_ = value; }
    Integer fpLength() const { return fpLength_; }
    void SetfpLength(Integer value);
    Extended MaxValue() const { return maxValue_; }
    void SetMaxValue(Extended value);
    Extended MinValue() const { return minValue_; }
    void SetMinValue(Extended value);
    Integer MaxLength() const { return maxLength_; }
    void SetMaxLength(Integer value);
    bool ZeroDisp() const { return zeroDisp_; }
    void SetZeroDisp(bool value) { zeroDisp_ = value; }
    bool SupressConmma() const { return supressConmma_; }
    void SetSupressConmma(bool value) { supressConmma_ = value; }
    Integer AutoSequence() const { return autoSequence_; }
    void SetAutoSequence(Integer value);
    bool TimeStamp() const { return timeStamp_; }
    void SetTimeStamp(bool value) { timeStamp_ = value; }
    // Number kinds: ntgInteger, ntgZeroFillInteger, ntgExtend, ntgCurrency.
    bool IsNumeric() const;
    // Date and time kinds, the era date among them.
    bool IsDateTime() const;

    // ---- display
    const QString& FixedText() const { return fixedText_; }
    void SetFixedText(const QString& value);
    TStrings* Lookup() const { return lookup_.get(); }
    void SetLookup(TStrings* value);
    const QString& Mask() const { return mask_; }
    void SetMask(const QString& value);
    // The pattern of an era date: name, year, mark, month, mark, day, mark.
    QString MaskOriginal() const { return QStringLiteral("%s%2d%s%2d%s%2d%s"); }

    // ---- colours and fonts (a height in pixels, the size derived from it)
    TColor FontColor() const { return fontColor_; }
    void SetFontColor(TColor value);
    Integer FontHeight() const { return fontHeight_; }
    void SetFontHeight(Integer value);
    Integer FontSize() const { return fontSize_; }
    void SetFontSize(Integer value);
    TColor CellColor() const { return cellColor_; }
    void SetCellColor(TColor value);
    TColor CellFontColor() const { return cellFontColor_; }
    void SetCellFontColor(TColor value);
    Integer CellFontHeight() const { return cellFontHeight_; }
    void SetCellFontHeight(Integer value);
    Integer CellFontSize() const { return cellFontSize_; }
    void SetCellFontSize(Integer value);
    // The fixed text's font; ignored while Stay is True.
    TColor FixedFontColor() const { return fixedFontColor_; }
    void SetFixedFontColor(TColor value);
    Integer FixedFontHeight() const { return fixedFontHeight_; }
    void SetFixedFontHeight(Integer value);
    Integer FixedFontSize() const { return fixedFontSize_; }
    void SetFixedFontSize(Integer value);

    // ---- stored for the form, read by nobody
    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* value) { dataSet_ = value; }
    const QString& FieldName() const { return fieldName_; }
    void SetFieldName(const QString& value) { fieldName_ = value; }
    Integer Tag() const { return tag_; }
    void SetTag(Integer value) { tag_ = value; }

private:
    friend class TSDBGrid;
    // The collection learns of the change (Update of this column).
    void signal() { Changed(false); }
    template <class T>
    void storeAndSignal(T& field, const T& value);
    void setHeight(Integer& height, Integer& size, Integer value);
    void setSize(Integer& height, Integer& size, Integer value);
    bool designing() const;
    // The range checks both range setters share; false when refused.
    bool rangeAccepted(Extended value) const;

    QString text_;
    Integer width_ = 64;
    TAlignment alignment_ = taLeftJustify;
    TAlignment titleAlignment_ = taCenter;
    TTextLayout layout_ = tlCenter;
    bool wordWrap_ = false;
    Integer gap_ = 0;
    bool stay_ = true;
    bool need_ = false;
    bool autoSelect_ = true;
    TEditCharCase charCase_ = ecNormal;
    TImeMode imeMode_ = imClose;
    TSNumericType numericType_ = ntgDontCare;
    TSCharTypes charTypes_{ctgPeriod, ctgMinus, ctgConmma, ctgQuoted, ctgDQuoted};
    TSExitKeys exitKeys_{ekgReturn, ekgRight, ekgLeft, ekgUp, ekgDown, ekgTab};
    TSExitKeys fixedKeys_{ekgReturn, ekgTab};
    Integer fpLength_ = 0;
    Extended maxValue_ = 0;
    Extended minValue_ = 0;
    Integer maxLength_ = 0;
    bool zeroDisp_ = false;
    bool supressConmma_ = true;
    Integer autoSequence_ = -1;
    bool autoSize_ = false;
    bool timeStamp_ = false;
    QString fixedText_;
    TColor fontColor_ = clBlack;
    Integer fontHeight_ = -17;
    Integer fontSize_ = 13;
    TColor cellColor_ = clWindow;
    TColor cellFontColor_ = clBlack;
    Integer cellFontHeight_ = -17;
    Integer cellFontSize_ = 13;
    TColor fixedFontColor_ = clBlack;
    Integer fixedFontHeight_ = -17;
    Integer fixedFontSize_ = 13;
    std::unique_ptr<TStringList> lookup_;
    QString mask_;
    TDataSet* dataSet_ = nullptr;
    QString fieldName_;
    Integer tag_ = 0;
};

// ------------------------------------------------------------ TGridColumns

class TGridColumns : public TCollection {
public:
    explicit TGridColumns(TSDBGrid* Grid);
    TSDBGrid* Grid() const { return grid_; }
    TGridColumn* Items(Integer Index) const { return static_cast<TGridColumn*>(TCollection::Items(Index)); }
    TGridColumn* Add() { return static_cast<TGridColumn*>(TCollection::Add()); }

protected:
    // The grid carries out the refresh (nil: the whole collection).
    void Update(TCollectionItem* Item) override;

private:
    TSDBGrid* grid_;
};

// ------------------------------------------------------------ TCellData

// One cell of a grid, reading and writing money values through the grid's
// routines by column title. A value of its own: two accessors never share
// a cell, so one cell's value can be assigned to another's.
class TCellData {
public:
    TCellData(TSDBGrid* Grid, Integer ACol, Integer ARow);
    // Outside the grid: -1, and the accessor reads 0 and writes nothing.
    Integer Col() const { return col_; }
    void SetCol(Integer value);
    Integer Row() const { return row_; }
    void SetRow(Integer value);
    Currency AsCurrency() const;
    void SetAsCurrency(Currency value);
    // Rounded to the nearest whole number; written as money.
    Integer AsInteger() const;
    void SetAsInteger(Integer value);

private:
    const TGridColumn* column() const;
    TSDBGrid* grid_;
    Integer col_ = -1;
    Integer row_ = -1;
};

// ------------------------------------------------------------ TSDBGrid

class TSDBGrid : public TStringGrid, public TZvUserTags<Integer>, public TZvTagString {
public:
    explicit TSDBGrid(TComponent* AOwner);
    ~TSDBGrid() override;
    QString ClassName() const override { return QStringLiteral("TSDBGrid"); }

    // ---- columns and rows
    TGridColumns* GridColumns() const { return columns_.get(); }
    void SetGridColumns(TGridColumns* value) { columns_->Assign(value); }
    // The column object of a grid column, or nil.
    TGridColumn* Column(Integer ACol) const;
    bool AutoAppendLine() const { return autoAppendLine_; }
    void SetAutoAppendLine(bool on) { autoAppendLine_ = on; }
    bool AppendIfNull() const { return appendIfNull_; }
    void SetAppendIfNull(bool on) { appendIfNull_ = on; }
    // Most data rows that auto-append makes.
    Integer MaxRows() const { return maxRows_; }
    void SetMaxRows(Integer value) { maxRows_ = value; }

    // ---- drawing settings
    bool TwoTone() const { return twoTone_; }
    void SetTwoTone(bool on);
    TColor TwoToneColor() const { return twoToneColor_; }
    void SetTwoToneColor(TColor color);
    TColor SelectedColor() const { return selectedColor_; }
    void SetSelectedColor(TColor color);
    WideChar WordWrapChar() const { return wordWrapChar_; }
    void SetWordWrapChar(WideChar c);
    bool Gradient() const { return gradient_; }
    void SetGradient(bool on);
    TColor GradientStartColor() const { return gradientStartColor_; }
    void SetGradientStartColor(TColor color);
    TColor GradientEndColor() const { return gradientEndColor_; }
    void SetGradientEndColor(TColor color);
    TGradientType GradientType() const { return gradientType_; }
    void SetGradientType(TGradientType type);
    bool InvertGradient() const { return invertGradient_; }
    void SetInvertGradient(bool on);
    TLeftTopGradientDirection LeftTopGradientDirection() const { return leftTopGradientDirection_; }
    void SetLeftTopGradientDirection(TLeftTopGradientDirection direction);

    // ---- the era table: "n=name", "nS=year before the first", "nG=first day", marks
    TStrings* GStrings() const { return gStrings_.get(); }
    void SetGStrings(TStrings* value) { gStrings_->Assign(value); }

    // ---- the edited cell
    // The text of the edited cell as it was when the cell was entered.
    const QString& OldData() const { return oldData_; }
    // The error of the last validation.
    TErrorType ErrorType() const { return lastError_; }
    // The direction of the last move.
    crDirection Direction() const { return direction_; }

    // ---- operations
    // Count data rows (at least one), emptied; ClearRows also empties the
    // fixed columns and numbers the rows again. The cursor goes to the
    // first data row.
    void ResetRows(Integer Count, bool ClearRows);
    // Empties one data row (-1: the current row).
    void ClearRow(Integer ARow);
    // One empty data row at the end, with the cursor in it.
    void AppendRow();
    // Whether a data row holds nothing (-1: the current row); numbers
    // count only when not zero.
    bool IsRowNull(Integer ARow);
    // Moves to the first (last) column from FixedCols on whose Stay is
    // True; the column when the cursor got there, else -1. Unchecked moves
    // run under the move lock and never move.
    Integer MoveToFirstStayColumn(bool Checked);
    Integer MoveToLastStayColumn(bool Checked);
    // Puts OldData back into the edited cell: the edit is dropped.
    void RestoreOldData();
    // Checks the current cell by its column's rule and reformats it;
    // Report makes an unreadable number an error rather than a zero.
    TErrorType ValidateCell(bool Report);

    // ---- cells by column title (case-insensitive; equal titles: the first)
    // Rows: -1 is the current row; title rows and rows past the end are
    // invalid. Failures leave "Invalid Row", "Invalid Field Name", "Invalid
    // Value Field", "Invalid Format", "Invalid Date Format" or "Invalid Time
    // Format" in the text and read 0.
    Integer FieldIndex(const QString& Name) const;
    // An accessor of the cell, or none for an unknown title.
    std::optional<TCellData> FieldByName(const QString& Name, Integer ARow);
    // The text without grouping (zero-filled numbers at their width).
    void GetTextByName(const QString& Name, Integer ARow, QString& Text) const;
    // Writes Text in the column's form; Res is the written text or the error.
    void SetTextByName(const QString& Name, Integer ARow, QString& Res, const QString& Text);
    Currency GetCurrencyByName(const QString& Name, Integer ARow, QString& Text);
    // Text brings the rounding ("ROUNDUP", "TRUNC", else to the nearest)
    // and takes an error back.
    Integer GetIntegerByName(const QString& Name, Integer ARow, QString& Text);
    void SetCurrencyByName(const QString& Name, Integer ARow, QString& Text, Currency Value);
    // Dates, times (the fraction of a day) and era dates (-1 when the code
    // names no date).
    TDateTime GetDateTimeByName(const QString& Name, Integer ARow, QString& Text) const;
    // What the last currency or integer reading left: the cell's text as
    // read, or the error.
    const QString& LastText() const { return lastText_; }

    // ---- era dates: a seven-digit code, era number, year of the era, month, day
    // The date of a code; false when the era is unknown or the date invalid.
    bool EraDate(const QString& Code, TDateTime& Date) const;
    // The era text of a code by pattern (name, year, mark, month, mark,
    // day, mark); the code itself when it names no date.
    QString EraText(const QString& Code, const QString& Pattern) const;

    // ---- conversions by column (Bad Column, Bad Format, "" for blank)
    // The date form of a date column's text ("yyyy/mm", "yyyy/mm/dd").
    QString ColumnDateText(Integer ACol, const QString& Text) const;
    // The time form of a time column's text ("hh:nn", "hh:nn:ss").
    QString ColumnTimeText(Integer ACol, const QString& Text) const;

    void Update() override;

    TOnModifyEvent OnModified;
    TOnColEvent OnEditError;
    TOnOutOfCellsEvent OnOutOfCells;
    TOnColEvent OnAutoAppended;
    TOnRowQueryEvent OnCheckRowIsNull;
    TOnColEvent OnChanged;
    TOnModifyEvent OnColWidthChanged;
    TOnColEvent OnSizeChanged;
    TOnDrawExEvent OnDrawCellEx;

protected:
    friend class TGridColumns;

    bool SelectCell(Integer ACol, Integer ARow) override;
    void DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState) override;
    void SizeChanged(Integer OldColCount, Integer OldRowCount) override;
    void ColWidthsChanged() override;
    void RowMoved(Integer FromIndex, Integer ToIndex) override;
    TInplaceEdit* CreateEditor() override;
    void WMCommand(TMessage& Message) override;
    void Resize() override;
    void DoEnter() override;
    void DoExit() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void KeyPress(WideChar& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
    Integer moveToColumn(Integer c, bool Checked);
    // Which key started a step: what the edge of the grid does differs.
    enum class StepKey { Enter, TabOrRight, Down };
    class MoveLock;
    // What one cell is drawn with (SDBGridDraw.cpp).
    struct CellLook;

    // ---- the collection's refresh
    void columnsUpdate(TGridColumn* column);
    void refreshAllColumns();
    void refreshColumn(TGridColumn* column);
    void fillGeneratedCells();
    // Whether the first, fixed column holds the row numbers.
    bool numbersRows() const;
    void resizeColumns();
    void setCell(Integer ACol, Integer ARow, const QString& text);
    void setHighlightRow(Integer ARow);
    // The era table's marks and era numbers, read again after every change.
    void reloadEras();

    // ---- cells
    TErrorType validateCell(Integer ACol, Integer ARow, bool report);
    void enterCell(Integer ACol, Integer ARow);
    bool leaveCurrent();
    bool valueChanged(const TGridColumn* column, const QString& now, const QString& before) const;
    void acceptTarget(Integer ACol, Integer ARow);
    void emptyRow(Integer ARow, Integer fromCol);
    void applyColumnToEditor(const TGridColumn* column);

    // ---- cells by title (SDBGridData.cpp)
    bool locate(const QString& name, Integer& row, const TGridColumn*& column, QString& error) const;
    void writeByName(const TGridColumn* column, Integer row, const QString& text);

    // ---- drawing (SDBGridDraw.cpp)
    CellLook noteLook(const TGridColumn* column, Integer ACol, Integer ARow, TGridDrawState AState) const;
    CellLook titleLook(const TGridColumn* column, const CellLook& noted) const;
    CellLook dataLook(const TGridColumn* column, const CellLook& noted, Integer ACol, Integer ARow,
                      TGridDrawState AState) const;
    QString shownText(const TGridColumn* column, Integer ACol, Integer ARow) const;
    void paintGradient(const TRect& rect, Integer ACol);
    void paintText(const CellLook& look, const TRect& rect, const TGridColumn* column, Integer ARow);
    void resetCanvas();

    // ---- movement (SDBGridKeys.cpp)
    void skip(Integer ACol, Integer ARow);
    void skipAtForwardEdge(crDirection dir);
    bool moveTo(Integer ACol, Integer ARow);
    void forwardStep(StepKey key);
    void backwardStep();
    void upMove();
    void downMove();
    void lastCell(StepKey key);
    bool appendAllowed();
    void outOfCells(crDirection dir);
    void stayAtEdge(crDirection dir);
    bool enterKeyDown(TShiftState Shift);
    void escapeKey();
    void deleteKeyUp(Word& Key);
    bool filterNumberKey(const TGridColumn* column, WideChar& Key);
    bool punctuationAccepted(const TGridColumn* column, WideChar Key, bool number);
    void reject(WideChar& Key);
    bool caretAllowsLeave(bool atStart) const;

    std::unique_ptr<TGridColumns> columns_;
    std::unique_ptr<TStringList> gStrings_;
    QStringList titles_;
    bool autoAppendLine_ = false;
    bool appendIfNull_ = true;
    Integer maxRows_ = 99;
    bool twoTone_ = true;
    TColor twoToneColor_ = 0xF8F8F8;
    TColor selectedColor_ = 0xD08080;
    WideChar wordWrapChar_ = QLatin1Char(';');
    bool gradient_ = true;
    TColor gradientStartColor_ = 0x80B080;
    TColor gradientEndColor_ = 0xFFFFFF;
    TGradientType gradientType_ = gtDual;
    bool invertGradient_ = false;
    TLeftTopGradientDirection leftTopGradientDirection_ = ltgdFixedColor;

    crDirection direction_ = crGoodCol;
    Integer editCol_ = -1;
    Integer editRow_ = -1;
    QString oldData_;
    QString typedText_;
    TErrorType lastError_ = erNone;
    bool moveLock_ = false;
    bool refreshingAll_ = false;
    bool refreshingOne_ = false;
    bool focused_ = false;
    // The cell being left passed its checks: the nested moves of skipping
    // do not check it again.
    bool leaving_ = false;
    // The last leave check refused the move.
    bool leaveRefused_ = false;
    Integer outOfCellsCount_ = 0;
    // One Enter moves once: set when the grid or its editor saw the
    // key-down (or its character), and when the key-down step acted.
    bool enterDownSeen_ = false;
    bool enterActed_ = false;
    Integer highlightRow_ = -1;
    QString lastText_;
    QString yearMark_;
    QString monthMark_;
    QString dayMark_;
    Integer firstEra_ = 0;
    Integer lastEra_ = 0;
    bool reloadingEras_ = false;

    // The first cell skipped by the move under way, (-1, -1) when none:
    // one for the whole program.
    static TGridCoord firstSkipped_;
};
