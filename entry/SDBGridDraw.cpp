// The entry grid's cells on the canvas: colours by the kind of cell, the
// application's share through OnDrawCellEx, titles on several lines,
// display patterns, lookup texts, zero shown blank, era dates, gradient
// fixed cells, striped rows, the selected cell, and the text placed by
// Layout and Gap.
#include "SDBGrid.h"

#include "SDBGridInternal.h"

// What one cell is drawn with.
struct TSDBGrid::CellLook {
    TAlignment alignment = taLeftJustify;
    TColor background = clWindow;
    TColor fontColor = clBlack;
    Integer fontHeight = -12;
    bool gradient = false;  // the fixed cell's gradient instead of the background
    bool selected = false;  // framed in the selected colour
    TColor selectedColor = clNone;
};

namespace {

// Data cells of the row the mouse holds in the fixed column.
constexpr TColor MouseRowColor = 0xC68582;

// A text cut at every break character, the pieces on lines of their own.
QString BrokenAt(const QString& text, QChar breakChar) {
    return text.split(breakChar).join(QStringLiteral("\r\n"));
}

}  // namespace

void TSDBGrid::DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState) {
    const TGridColumn* column = Column(ACol);
    if (!column) return;
    const CellLook noted = noteLook(column, ACol, ARow, AState);
    TStringGrid::DrawCell(ACol, ARow, ARect, AState);
    TSDrawAction need = daAll;
    if (OnDrawCellEx) OnDrawCellEx(this, ACol, ARow, ARect, AState, need);
    if (need != daNotBoth) {
        const bool title = ARow < FixedRows();
        CellLook look = title ? titleLook(column, noted) : dataLook(column, noted, ACol, ARow, AState);
        if (need == daTemp) {
            // The colours, alignment and font chosen before the event stand.
            look.alignment = noted.alignment;
            look.fontColor = noted.fontColor;
            look.fontHeight = noted.fontHeight;
            look.background = noted.background;
            look.gradient = title && gradient_;
            look.selectedColor = noted.background;
        }
        TCanvas* canvas = Canvas();
        if (need != daNotFill) {
            if (look.gradient) {
                paintGradient(ARect, ACol);
            } else {
                canvas->Brush()->SetStyle(bsSolid);
                canvas->Brush()->SetColor(look.background);
                canvas->FillRect(ARect);
            }
        }
        if (look.selected) {
            canvas->Pen()->SetWidth(1);
            canvas->Pen()->SetStyle(psSolid);
            canvas->Pen()->SetColor(look.selectedColor);
            canvas->Brush()->SetStyle(bsSolid);
            canvas->Brush()->SetColor(look.selectedColor);
            canvas->Rectangle(ARect);
        }
        if (need != daNotText) paintText(look, ARect, column, ARow);
    }
    resetCanvas();
}

// The colours the grid chooses before the application's event.
TSDBGrid::CellLook TSDBGrid::noteLook(const TGridColumn* column, Integer ACol, Integer ARow,
                                      TGridDrawState AState) const {
    CellLook look;
    if (ARow < FixedRows()) {
        look.alignment = column->TitleAlignment();
        look.background = FixedColor();
        look.fontColor = column->FontColor();
        look.fontHeight = column->FontHeight();
    } else {
        look.alignment = column->Alignment();
        const bool selected = AState.Contains(gdSelected) && (Options().Contains(goDrawFocusSelected) || focused_);
        look.background = selected ? selectedColor_ : column->CellColor();
        look.fontColor = selected ? clHighlightText : column->CellFontColor();
        look.fontHeight = column->CellFontHeight();
    }
    const bool fixed = ARow < FixedRows() || ACol < FixedCols();
    if (fixed && gradient_) {
        look.background = gradientStartColor_;
        look.gradient = true;
    }
    return look;
}

TSDBGrid::CellLook TSDBGrid::titleLook(const TGridColumn* column, const CellLook& noted) const {
    CellLook look = noted;
    look.alignment = column->TitleAlignment();
    look.fontHeight = column->FontHeight();
    look.fontColor = column->FontColor();
    // Without a gradient the title gets the fixed colour.
    look.gradient = gradient_;
    return look;
}

TSDBGrid::CellLook TSDBGrid::dataLook(const TGridColumn* column, const CellLook& noted, Integer ACol, Integer ARow,
                                      TGridDrawState AState) const {
    CellLook look = noted;
    look.alignment = column->Alignment();
    const bool fixedText = !column->Stay() && !Trim(column->FixedText()).isEmpty();
    look.fontHeight = fixedText ? column->FixedFontHeight() : column->CellFontHeight();
    look.fontColor = fixedText ? column->FixedFontColor() : column->CellFontColor();
    look.gradient = false;
    const bool fixed = ACol < FixedCols();
    if (fixed && ARow == highlightRow_) {
        look.background = MouseRowColor;
    } else if (fixed) {
        const TColor cell = column->CellColor();
        look.background = cell == FixedColor() || cell == clWindow ? FixedColor() : cell;
        look.gradient = gradient_;
    } else if (twoTone_ && ARow % 2 == 0) {
        look.background = column->CellColor() == Color() ? twoToneColor_ : noted.background;
    }
    look.selected = !fixed && AState.Contains(gdSelected) && focused_;
    look.selectedColor = selectedColor_;
    if (look.selected) look.fontColor = clHighlightText;
    return look;
}

// The text a cell shows: its title broken into lines, a display-only
// column's fixed text, a lookup item, a number or date by its pattern, an
// era date, or a zero left blank.
QString TSDBGrid::shownText(const TGridColumn* column, Integer ACol, Integer ARow) const {
    const QString cell = Cells(ACol, ARow);
    if (ARow < FixedRows()) return BrokenAt(cell, wordWrapChar_);
    if (!column->Stay() && !Trim(column->FixedText()).isEmpty()) return Trim(column->FixedText());
    Integer item = -1;
    TStrings* lookup = column->Lookup();
    if (lookup->Count() > 0 && !ComponentState().Contains(csDesigning) && TryStrToInt(Trim(cell), item) &&
        item >= 0 && item < lookup->Count())
        return BrokenAt(lookup->Get(item), wordWrapChar_);
    const TSNumericType kind = column->NumericType();
    const bool blank = Trim(cell).isEmpty();
    Extended value = 0;
    const bool number = column->IsNumeric() && !blank && CellNumber(cell, value);
    if (number && value == 0 && !column->ZeroDisp() && !column->Need()) return QString();
    const QString mask = column->Mask();
    if (kind == ntgWareki) return EraText(cell, mask.isEmpty() ? column->MaskOriginal() : mask);
    if (mask.isEmpty() || blank) return cell;
    if (number) return FormatFloat(mask, value);
    if (column->IsDateTime()) {
        QString read;
        const TDateTime d = GetDateTimeByName(column->Text(), ARow, read);
        if (read == QStringLiteral("Invalid Format") || (!IsTimeKind(kind) && d < 1000)) return QString();
        return FormatDateTime(mask, d);
    }
    return cell;
}

// Fixed cells: the corner and row headers by LeftTopGradientDirection, the
// titles top to bottom; dual gradients run to the end colour in the middle
// and back.
void TSDBGrid::paintGradient(const TRect& rect, Integer ACol) {
    TCanvas* canvas = Canvas();
    TGradientDirection direction = gdVertical;
    if (ACol < FixedCols()) {
        switch (leftTopGradientDirection_) {
        case ltgdHorizontal: direction = gdHorizontal; break;
        case ltgdVertical: direction = gdVertical; break;
        default: {
            const TColor plain = leftTopGradientDirection_ == ltgdStartColor ? gradientStartColor_
                                 : leftTopGradientDirection_ == ltgdEndColor ? gradientEndColor_
                                                                             : FixedColor();
            canvas->Brush()->SetStyle(bsSolid);
            canvas->Brush()->SetColor(plain);
            canvas->FillRect(rect);
            return;
        }
        }
    }
    TColor start = gradientStartColor_, end = gradientEndColor_;
    if (invertGradient_) std::swap(start, end);
    if (gradientType_ == gtNormal) {
        GradientFillCanvas(canvas, start, end, rect, direction);
        return;
    }
    TRect first = rect, second = rect;
    if (direction == gdVertical) first.Bottom = second.Top = rect.Top + rect.Height() / 2;
    else first.Right = second.Left = rect.Left + rect.Width() / 2;
    GradientFillCanvas(canvas, start, end, first, direction);
    GradientFillCanvas(canvas, end, start, second, direction);
}

// The text by Layout (a text lower than the cell moves to the middle or to
// the bottom less Gap) and alignment (Gap and the grid line from the edge).
void TSDBGrid::paintText(const CellLook& look, const TRect& rect, const TGridColumn* column, Integer ARow) {
    const QString text = shownText(column, column->Index(), ARow);
    if (text.isEmpty()) return;
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->SetHeight(look.fontHeight);
    canvas->Font()->SetColor(look.fontColor);
    const Cardinal wrap = column->WordWrap() ? DT_WORDBREAK : 0;
    TRect measured = rect;
    const Integer height = DrawText(canvas->Handle(), text, -1, measured, DT_CALCRECT | DT_NOPREFIX | wrap);
    TRect r = rect;
    if (height < rect.Height()) {
        if (column->Layout() == tlCenter) r.Top += (rect.Height() - height) / 2;
        else if (column->Layout() == tlBottom) r.Top = rect.Bottom - height - column->Gap();
    }
    const Integer inset = GridLineWidth() + column->Gap();
    if (look.alignment == taLeftJustify) r.Left += inset;
    else if (look.alignment == taRightJustify) r.Right -= inset;
    DrawText(canvas->Handle(), text, -1, r, DT_NOPREFIX | DrawTextAlignment(look.alignment) | wrap);
}

void TSDBGrid::resetCanvas() {
    TCanvas* canvas = Canvas();
    canvas->Font()->SetHeight(Font()->Height());
    canvas->Font()->SetColor(Font()->Color());
    canvas->Pen()->SetColor(Font()->Color());
    canvas->Pen()->SetStyle(psSolid);
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
}
