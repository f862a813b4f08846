// The frame that bands, the report and printable controls draw around
// themselves.
#include "QRReport.h"

#include "Controls.h"

void TQRFrame::Repaint() const
{
    if (owner_)
        owner_->Invalidate();
}

void TQRFrame::SetColor(TColor value)
{
    color_ = value;
    Repaint();
}

void TQRFrame::SetSide(int index, bool value)
{
    sides_[index] = value;
    Repaint();
}

void TQRFrame::SetStyle(TPenStyle value)
{
    style_ = value;
    Repaint();
}

void TQRFrame::SetWidth(Integer value)
{
    width_ = value;
    Repaint();
}

Integer TQRFrame::Thickness(Extended factor) const
{
    if (width_ == -1)
        return 1;
    const auto t = Integer(Round(factor * 254 / 72 * width_));
    return t < 1 && width_ >= 1 ? 1 : t;
}

void PaintFrame(const TQRFrame& frame, TCanvas& canvas, const TRect& rect, Extended xFactor, Extended yFactor)
{
    const Integer w = frame.Thickness(xFactor);
    const Integer h = frame.Thickness(yFactor);
    canvas.Brush()->SetColor(frame.Color());
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Pen()->SetWidth(1);
    canvas.Pen()->SetStyle(frame.Style());
    canvas.Pen()->SetColor(frame.Color());
    if (frame.DrawTop())
        canvas.FillRect(TRect(rect.Left, rect.Top, rect.Right, rect.Top + h));
    if (frame.DrawBottom())
        canvas.FillRect(TRect(rect.Left, rect.Bottom - h, rect.Right, rect.Bottom));
    if (frame.DrawLeft())
        canvas.FillRect(TRect(rect.Left, rect.Top, rect.Left + w, rect.Bottom));
    if (frame.DrawRight())
        canvas.FillRect(TRect(rect.Right - w, rect.Top, rect.Right, rect.Bottom));
}
