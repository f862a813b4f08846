// The shape: nine figures drawn with the GDI rules, on the design surface
// and on the printed page.
#include "QRCtrls.h"

#include "Controls.h"
#include "Graphics.h"

#include <algorithm>
#include <cmath>

Integer QRShapeCorner(Integer width, Integer height, double factor)
{
    const double corner = std::trunc(double(width) * factor);
    // NaN fails every comparison: it falls to 0 with the negative values.
    if (!(corner > 0))
        return 0;
    return Integer(std::min(corner, double(std::max({width, height, 0}))));
}

void QRDrawShape(TCanvas& canvas, TQRShapeType shape, Integer left, Integer top, Integer width, Integer height,
                 Integer corner)
{
    if (width < 0 || height < 0)
        return;
    const Integer right = left + width, bottom = top + height;
    const auto line = [&](Integer x1, Integer y1, Integer x2, Integer y2) {
        canvas.MoveTo(x1, y1);
        canvas.LineTo(x2, y2);
    };
    switch (shape) {
    case qrsRectangle:
        canvas.Rectangle(left, top, right, bottom);
        break;
    case qrsCircle:
        canvas.Ellipse(left, top, right, bottom);
        break;
    case qrsVertLine:
        line(left + width / 2, top, left + width / 2, bottom);
        break;
    case qrsHorLine:
        line(left, top + height / 2, right, top + height / 2);
        break;
    case qrsTopAndBottom:
        line(left, top, right, top);
        line(left, bottom - 1, right, bottom - 1);
        break;
    case qrsRightAndLeft:
        line(left, top, left, bottom);
        line(right - 1, top, right - 1, bottom);
        break;
    case qrsRoundRect:
        canvas.RoundRect(left, top, right, bottom, corner, corner);
        break;
    case qrsLeftDiagonal:
        line(right, top, left, bottom);
        break;
    case qrsRightDiagonal:
        line(left, top, right, bottom);
        break;
    }
}

TQRShape::TQRShape(TComponent* AOwner) : TQRPrintable(AOwner)
{
    pen_ = std::make_unique<TPen>();
    brush_ = std::make_unique<TBrush>();
    pen_->OnChange = [this](TObject*) { Invalidate(); };
    brush_->OnChange = [this](TObject*) { Invalidate(); };
    SetBounds(Left(), Top(), 65, 65);
}

TQRShape::~TQRShape() = default;

void TQRShape::SetShape(TQRShapeType value)
{
    if (value == shape_)
        return;
    shape_ = value;
    Invalidate();
}

void TQRShape::SetRoundFactor(float value)
{
    // NaN never equals itself: compare bit for bit.
    if (value == roundFactor_ || (std::isnan(value) && std::isnan(roundFactor_)))
        return;
    roundFactor_ = value;
    Invalidate();
}

void TQRShape::Paint()
{
    if (IsPrinting())
        return;
    TQRPrintable::Paint();
    TCanvas* canvas = Canvas();
    canvas->SetPen(pen_.get());
    canvas->SetBrush(brush_.get());
    const Integer w = ClientWidth(), h = ClientHeight();
    QRDrawShape(*canvas, shape_, 0, 0, w, h, QRShapeCorner(w, h, roundFactor_));
}

void TQRShape::Print(Integer X, Integer Y)
{
    if (!TakesPart() || !ParentReport())
        return;
    TQRPrinter* printer = ParentReport()->QRPrinter();
    if (!printer)
        return;
    const Extended left = X + Size()->RawValue(TQRPrintableSize::iLeft);
    const Extended top = Y + Size()->RawValue(TQRPrintableSize::iTop);
    const Integer x = printer->XPos(left), y = printer->YPos(top);
    if (ParentReport()->Exporting())
        ParentReport()->ExportFilter()->AcceptControl(x, y, this);
    if (printer->Canvas() && ParentReport()->DrawOnCanvas()) {
        TCanvas& canvas = *printer->Canvas();
        canvas.SetBrush(brush_.get());
        canvas.SetPen(pen_.get());
        const Integer w = printer->XPos(left + Size()->RawValue(TQRPrintableSize::iWidth)) - x;
        const Integer h = printer->YPos(top + Size()->RawValue(TQRPrintableSize::iHeight)) - y;
        // The corner comes from the width on screen, as the design shows it.
        QRDrawShape(canvas, shape_, x, y, w, h, QRShapeCorner(Width(), Height(), roundFactor_));
    }
    TQRPrintable::Print(X, Y);
}
