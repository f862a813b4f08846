// The report's design surface: the first page of the last run, the ruler,
// the margins, the column gaps and the frame.
#include "QRReport.h"
#include "QRReportInternal.h"

#include "Controls.h"
#include "Metafile.h"

#include <cmath>

namespace {

// A display without a palette answers -1 for its colour count, so the
// light design colours are used.
constexpr TColor kRulerLine = 0xF0F0F0;
constexpr TColor kRulerMajorLine = 0xF9F9F9;
constexpr TColor kRulerText = 0x707070;
constexpr TColor kMarginLine = 0xFF8080;
constexpr TColor kColumnLine = 0x606060;

Integer RoundToInt(Extended v) { return Integer(Round(v)); }

struct RulerSteps {
    Extended across;  // 0.1 mm between lines, left to right
    Extended down;    // 0.1 mm between lines, top to bottom
    int numberEvery;  // lines per number
    int numberStep;   // what the number grows by
};

bool StepsFor(TQRUnit unit, Integer fontSize, RulerSteps& steps)
{
    const Extended size = fontSize == 0 ? 10 : std::abs(fontSize);
    switch (unit) {
    case TQRUnit::MM: steps = {50, 50, 2, 1}; return true;
    case TQRUnit::Inches: steps = {63.5L, 63.5L, 4, 1}; return true;
    case TQRUnit::Characters:
        steps = {10 * 80 / size / 2.54L * 10, 10 * 145.3L / size / 2.54L * 10, 1, 10};
        return true;
    default: return false;
    }
}

void Line(TCanvas& canvas, Integer x1, Integer y1, Integer x2, Integer y2, TColor color)
{
    canvas.Pen()->SetColor(color);
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x2, y2);
}

}  // namespace

void DrawQRRuler(TCanvas& canvas, const TRect& rect, TQRUnit unit, Integer zoom, Integer fontSize)
{
    RulerSteps steps;
    if (!StepsFor(unit, fontSize, steps))
        return;
    const Extended scale = DesignFactor(zoom);
    canvas.Pen()->SetWidth(1);
    canvas.Pen()->SetStyle(psSolid);
    canvas.Brush()->SetStyle(bsClear);
    canvas.Font()->SetName(QStringLiteral("Small Fonts"));
    canvas.Font()->SetSize(6);
    canvas.Font()->SetColor(kRulerText);
    for (int i = 1;; ++i) {
        const Integer x = rect.Left + RoundToInt(i * steps.across * scale);
        if (x >= rect.Right)
            break;
        const bool major = i % steps.numberEvery == 0;
        Line(canvas, x, rect.Top, x, rect.Bottom, major ? kRulerMajorLine : kRulerLine);
        if (major)
            canvas.TextOut(x + 2, rect.Top + 2, QString::number(i / steps.numberEvery * steps.numberStep));
    }
    for (int i = 1;; ++i) {
        const Integer y = rect.Top + RoundToInt(i * steps.down * scale);
        if (y >= rect.Bottom)
            break;
        const bool major = i % steps.numberEvery == 0;
        Line(canvas, rect.Left, y, rect.Right, y, major ? kRulerMajorLine : kRulerLine);
        if (major)
            canvas.TextOut(rect.Left + 2, y + 2, QString::number(i / steps.numberEvery * steps.numberStep));
    }
}

void TCustomRazorUze::Paint()
{
    TQRBasePanel::Paint();
    TCanvas* canvas = Canvas();
    const TRect client = ClientRect();
    if (designPage_)
        canvas->StretchDraw(client, designPage_.get());
    if (page_->Ruler())
        DrawQRRuler(*canvas, client, Units(), Zoom(), Font()->Size());
    const Extended scale = DesignFactor(Zoom());
    const auto at = [&](TQRPage::Index index) { return RoundToInt(page_->RawValue(index) * scale); };
    const TRect margins(at(TQRPage::iLeftMargin), at(TQRPage::iTopMargin),
                        RoundToInt((page_->RawValue(TQRPage::iWidth) - page_->RawValue(TQRPage::iRightMargin)) * scale),
                        RoundToInt((page_->RawValue(TQRPage::iLength) - page_->RawValue(TQRPage::iBottomMargin)) *
                                   scale));
    canvas->Pen()->SetWidth(1);
    canvas->Pen()->SetStyle(psSolid);
    canvas->Pen()->SetColor(kMarginLine);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Rectangle(margins);
    // Each gap between two columns is shown by its two edges.
    const Integer space = RoundToInt(page_->RawValue(TQRPage::iColumnSpace));
    for (Integer c = 1; c < page_->Columns(); ++c) {
        const Integer gapStart = RoundToInt(page_->RawValue(TQRPage::iLeftMargin)) + c * ColumnWidth() + (c - 1) * space;
        for (const Integer x : {gapStart, gapStart + space}) {
            const Integer px = RoundToInt(x * scale);
            Line(*canvas, px, margins.Top, px, margins.Bottom, kColumnLine);
        }
    }
    PaintFrame(*Frame(), *canvas, margins, scale, scale);
    canvas->Brush()->SetStyle(bsClear);
}
