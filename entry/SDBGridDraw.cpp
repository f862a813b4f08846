// The entry grid's cells on the canvas.
#include "SDBGrid.h"

#include "SDBGridInternal.h"

void TSDBGrid::DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState) {
    const TGridColumn* column = Column(ACol);
    if (!column) return;
    TStringGrid::DrawCell(ACol, ARow, ARect, AState);
    TCanvas* canvas = Canvas();
    const bool fixed = AState.Contains(gdFixed);
    const bool selected = AState.Contains(gdSelected) && (focused_ || Options().Contains(goDrawFocusSelected));
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(fixed ? FixedColor() : selected ? selectedColor_ : column->CellColor());
    canvas->FillRect(ARect);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->SetColor(selected ? clHighlightText : column->CellFontColor());
    const TAlignment alignment = ARow < FixedRows() ? column->TitleAlignment() : column->Alignment();
    const Cardinal flags = alignment == taRightJustify ? DT_RIGHT : alignment == taCenter ? DT_CENTER : DT_LEFT;
    TRect r = ARect;
    r.Inflate(-2, 0);
    DrawText(canvas->Handle(), Cells(ACol, ARow), -1, r, flags | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}
