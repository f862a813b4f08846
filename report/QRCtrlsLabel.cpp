// The text label: caption and print text, breaking into lines by measured
// width, size adjustment, design-surface painting and printing with
// stretching over the next page.
#include "QRCtrls.h"
#include "QRReportInternal.h"

#include "Classes.h"
#include "Controls.h"
#include "Graphics.h"
#include "Windows.h"

#include <algorithm>

namespace {

// Integer value types of the component stream.
constexpr Byte vaInt8 = 2, vaInt16 = 3, vaInt32 = 4;

void WriteIntValue(TStream& stream, Integer value)
{
    if (value >= -128 && value <= 127) {
        const auto v = qint8(value);
        stream.WriteBuffer(&vaInt8, 1);
        stream.WriteBuffer(&v, 1);
    } else if (value >= -32768 && value <= 32767) {
        const auto v = qint16(value);
        stream.WriteBuffer(&vaInt16, 1);
        stream.WriteBuffer(&v, 2);
    } else {
        stream.WriteBuffer(&vaInt32, 1);
        stream.WriteBuffer(&value, 4);
    }
}

Integer ReadIntValue(TStream& stream)
{
    Byte type = 0;
    stream.ReadBuffer(&type, 1);
    if (type == vaInt8) {
        qint8 v = 0;
        stream.ReadBuffer(&v, 1);
        return v;
    }
    if (type == vaInt16) {
        qint16 v = 0;
        stream.ReadBuffer(&v, 2);
        return v;
    }
    if (type != vaInt32)
        throw EReadError("Invalid property value");
    Integer v = 0;
    stream.ReadBuffer(&v, 4);
    return v;
}

}  // namespace

// ------------------------------------------------------------ TQRCustomLabel

// Where one print of the label goes, in tenths of a millimetre on the page.
struct TQRCustomLabel::PrintArea {
    TCustomRazorUze* report;
    TQRPrinter* printer;
    TCanvas* canvas;
    Extended left, right, top, bottom;
    Extended y;
    Extended lineHeight;
    Integer x;  // device units, where the alignment anchors the text
    Cardinal options;
};

TQRCustomLabel::TQRCustomLabel(TComponent* AOwner) : TQRPrintable(AOwner) { SetTransparent(false); }

TQRCustomLabel::~TQRCustomLabel() = default;

void TQRCustomLabel::SetText(const QString& text)
{
    caption_ = text;
    printText_ = text;
    FormatLines();
    Invalidate();
}

void TQRCustomLabel::SetWidecaption(const QString& text)
{
    // Stored for the editors; the lines always come from the print text.
    wideCaption_ = text;
    FormatLines();
    Invalidate();
}

void TQRCustomLabel::SetAutoSize(bool on)
{
    autoSize_ = on;
    FormatLines();
    Invalidate();
}

void TQRCustomLabel::SetAutoStretch(bool on)
{
    autoStretch_ = on;
    Invalidate();
}

void TQRCustomLabel::SetWordWrap(bool on)
{
    wordWrap_ = on;
    Invalidate();
}

void TQRCustomLabel::SetName(const QString& name)
{
    if (caption_.isEmpty() || caption_ == Name())
        SetText(name);
    TQRPrintable::SetName(name);
}

void TQRCustomLabel::SetParent(TWinControl* AParent)
{
    TQRPrintable::SetParent(AParent);
    FormatLines();
}

void TQRCustomLabel::CMFontChanged(TMessage& Message)
{
    TQRPrintable::CMFontChanged(Message);
    FormatLines();
}

void TQRCustomLabel::WriteFontSize(TStream& stream) const { WriteIntValue(stream, Font()->Size()); }

void TQRCustomLabel::ReadFontSize(TStream& stream) { fontSize_ = ReadIntValue(stream); }

void TQRCustomLabel::Loaded()
{
    TQRPrintable::Loaded();
    if (fontSize_ > 0)
        Font()->SetSize(fontSize_);
}

void TQRCustomLabel::Prepare()
{
    TQRPrintable::Prepare();
    SetText(QString(caption_.constData(), caption_.size()));
}

void TQRCustomLabel::Unprepare() { TQRPrintable::Unprepare(); }

// ---- measuring

Integer TQRCustomLabel::TextWidth(TCanvas& measure, const QString& text) const
{
    if (!ParentReport())
        return measure.TextWidth(text);
    return MulDiv(measure.TextWidth(text) + 1, Size()->Zoom(), 100);
}

Integer TQRCustomLabel::LineHeight(TCanvas& measure) const
{
    return measure.TextHeight(QStringLiteral("W")) * Size()->Zoom() / 100 + 1;
}

Integer TQRCustomLabel::FrameInset(bool side) const
{
    if (!side)
        return 0;
    return Frame()->Thickness(DesignFactor(Size()->Zoom()));
}

TAlignment TQRCustomLabel::DrawnAlignment() const
{
    if (BiDiMode() != bdRightToLeft)
        return Alignment();
    if (Alignment() == taLeftJustify)
        return taRightJustify;
    return Alignment() == taRightJustify ? taLeftJustify : taCenter;
}

void TQRCustomLabel::FormatLines()
{
    if (!Parent())
        return;
    if (!measure_)
        measure_ = std::make_unique<TCanvas>();
    TCanvas& measure = *measure_;
    measure.SetFont(Font());
    lines_ = QRBreakLines(printText_, Width(), autoSize_, wordWrap_,
                          [&](const QString& text) { return TextWidth(measure, text); });
    linesText_ = printText_;
    if (ParentReport() && !layingOut_) {
        const Integer lineHeight = LineHeight(measure);
        if (Height() < lineHeight) {
            FlagGuard layout(layingOut_);
            SetHeight(lineHeight);
        }
        if (autoSize_)
            AutoSizeToLines(measure);
    }
}

void TQRCustomLabel::AutoSizeToLines(TCanvas& measure)
{
    FlagGuard layout(layingOut_);
    Integer width = 0;
    for (const QString& line : lines_)
        width = std::max(width, TextWidth(measure, line));
    width += FrameInset(Frame()->DrawLeft()) + FrameInset(Frame()->DrawRight());
    Integer left = Left();
    if (DrawnAlignment() == taRightJustify)
        left += Width() - width;
    else if (DrawnAlignment() == taCenter)
        left += (Width() - width) / 2;
    const Integer lineHeight = LineHeight(measure);
    Integer height = Height();
    if (!IsPrinting() && lines_.isEmpty())
        height = lineHeight;
    SetBounds(left, Top(), width, std::max(height, lineHeight));
}

// ---- design surface

void TQRCustomLabel::Paint()
{
    if (IsPrinting())
        return;
    TCanvas* canvas = Canvas();
    canvas->SetFont(Font());
    canvas->Font()->SetSize(Integer(Round(Extended(Font()->Size()) * Size()->Zoom() / 100)));
    // The base fills the background unless transparent, then draws the
    // corner marks and the frame on top.
    TQRPrintable::Paint();
    const Integer lineHeight = canvas->TextHeight(QStringLiteral("W"));
    FormatLines();
    const Integer y = FrameInset(Frame()->DrawTop());
    Integer x = FrameInset(Frame()->DrawLeft());
    Cardinal align = TA_LEFT;
    if (Alignment() == taRightJustify) {
        align = TA_RIGHT;
        x = ClientWidth();
    } else if (Alignment() == taCenter) {
        align = TA_CENTER;
        x = ClientWidth() / 2;
    }
    const Cardinal options = ReadsRightToLeft() ? ETO_RTLREADING : 0;
    SetTextAlign(canvas->Handle(), align | (ReadsRightToLeft() ? TA_RTLREADING : 0));
    SetBkMode(canvas->Handle(), TRANSPARENT);
    for (qsizetype i = 0; i < lines_.size(); ++i)
        if (!lines_[i].isEmpty())
            ExtTextOutW(canvas->Handle(), x, y + Integer(i) * lineHeight, options, nullptr, lines_[i], -1, nullptr);
    SetTextAlign(canvas->Handle(), TA_LEFT);
}

// ---- printing

Extended TQRCustomLabel::PrinterLineHeight(TCanvas& canvas, const TQRPrinter& printer) const
{
    canvas.SetFont(Font());
    return canvas.TextHeight(QStringLiteral("W")) / printer.YFactor();
}

TQRCustomLabel::PrintArea TQRCustomLabel::BeginPrint(Integer X, Integer Y)
{
    TCustomRazorUze* report = ParentReport();
    TQRPrinter* printer = report->QRPrinter();
    PrintArea area{};
    area.report = report;
    area.printer = printer;
    area.canvas = printer->Canvas();
    // Taken before the lines are formatted: an auto-sized control keeps its
    // right-aligned or centred text anchored where this print began.
    area.left = X + Size()->RawValue(TQRPrintableSize::iLeft);
    area.right = area.left + Size()->RawValue(TQRPrintableSize::iWidth);
    const auto inset = [](const TQRFrame& frame, bool side, Extended factor) {
        return side ? Extended(frame.Thickness(factor)) / factor : Extended(0);
    };
    const TQRFrame& frame = *Frame();
    Cardinal align = TA_LEFT;
    area.x = printer->XPos(area.left + inset(frame, frame.DrawLeft(), printer->XFactor()));
    if (Alignment() == taRightJustify) {
        align = TA_RIGHT;
        area.x = printer->XPos(area.right);
    } else if (Alignment() == taCenter) {
        align = TA_CENTER;
        area.x = printer->XPos((area.left + area.right) / 2);
    }
    area.options = ReadsRightToLeft() ? ETO_RTLREADING : 0;
    SetTextAlign(area.canvas->Handle(), align | (ReadsRightToLeft() ? TA_RTLREADING : 0));
    SetBkMode(area.canvas->Handle(), TRANSPARENT);
    area.top = Y + Size()->RawValue(TQRPrintableSize::iTop);
    area.y = area.top + inset(frame, frame.DrawTop(), printer->YFactor());
    return area;
}

void TQRCustomLabel::Print(Integer X, Integer Y)
{
    if (!TakesPart() || !ParentReport())
        return;
    if (!IsPrinting())
        Prepare();
    TQRPrinter* printer = ParentReport()->QRPrinter();
    if (!printer || !printer->Canvas())
        return;
    TCanvas& canvas = *printer->Canvas();
    Extended lineHeight = PrinterLineHeight(canvas, *printer);
    const QString before = printText_;
    ScopeExit restore([&] { printText_ = before; });
    if (OnPrint) {
        QString value = printText_;
        OnPrint(this, value);
        lineHeight = PrinterLineHeight(canvas, *printer);
        printText_ = value;
    }
    PrintArea area = BeginPrint(X, Y);
    area.lineHeight = lineHeight;
    // A continuation goes on with the lines it began: formatting a long
    // text again for every page would cost its length once per page.
    const bool continuing = !Finished();
    if (!continuing || printText_ != linesText_)
        FormatLines();
    // The background covers the control as formatted for this value, not
    // as it stood before (an auto-sized control may have shrunk beside a
    // neighbour printed already); the text stays anchored as it began.
    area.left = X + Size()->RawValue(TQRPrintableSize::iLeft);
    area.right = area.left + Size()->RawValue(TQRPrintableSize::iWidth);
    area.bottom = area.top + Size()->RawValue(TQRPrintableSize::iHeight);
    const TRect background(printer->XPos(area.left), printer->YPos(area.top), printer->XPos(area.right),
                           printer->YPos(area.bottom));
    if (ParentReport()->Exporting() && !Transparent() && Color() != clWhite)
        ExportBackground(background);
    if (ParentReport()->DrawOnCanvas() && !Transparent()) {
        canvas.Brush()->SetStyle(bsSolid);
        canvas.Brush()->SetColor(Color());
        canvas.FillRect(background);
    }
    if (!continuing)
        nextLine_ = 0;
    PrintLines(area, continuing);
    SetFinished(nextLine_ >= lines_.size() || !autoStretch_);
    SetTextAlign(canvas.Handle(), TA_LEFT);
    SelectClipRgn(canvas.Handle(), nullptr);
    TQRPrintable::Print(X, Y);
}

void TQRCustomLabel::PrintLines(PrintArea& area, bool continuing)
{
    auto* band = dynamic_cast<TQRCustomBand*>(Parent());
    const Integer first = nextLine_;
    bool done = false;
    Integer i = first;
    constexpr Extended slack = 1e-9L;
    for (; i < lines_.size(); ++i) {
        if (area.y + area.lineHeight > area.bottom + slack) {
            Extended newHeight = 0;
            if (!autoStretch_ || !band || !area.report->ExpandBand(band, area.lineHeight, newHeight, done))
                break;
            if (area.report->DrawOnCanvas() && !Transparent()) {
                area.canvas->Brush()->SetStyle(bsSolid);
                area.canvas->Brush()->SetColor(Color());
                area.canvas->FillRect(TRect(area.printer->XPos(area.left), area.printer->YPos(area.bottom),
                                            area.printer->XPos(area.right),
                                            area.printer->YPos(area.bottom + area.lineHeight)));
            }
            area.bottom += area.lineHeight;
        }
        DrawLine(area, lines_[i]);
        area.y += area.lineHeight;
    }
    // A continuation starts on an empty page or column: a line that does
    // not fit there never will.
    if (continuing && i == first && autoStretch_)
        throw EQRError(QStringLiteral("%1: a line of the text does not fit on an empty page").arg(Name()));
    nextLine_ = i;
}

void TQRCustomLabel::DrawLine(PrintArea& area, const QString& line)
{
    const Integer y = area.printer->YPos(area.y);
    if (area.report->Exporting())
        area.report->ExportFilter()->TextOut(area.x, y, Font(), Color(), Alignment(), line);
    if (!area.report->DrawOnCanvas() || line.isEmpty())
        return;
    area.canvas->Font()->Assign(Font());
    ExtTextOutW(area.canvas->Handle(), area.x, y, area.options, nullptr, line, -1, nullptr);
}

void TQRCustomLabel::ExportBackground(const TRect& rect) const
{
    TQRExportShape shape;
    shape.Bounds = rect;
    shape.PenStyle = psClear;
    shape.PenColor = Color();
    shape.BrushColor = Color();
    ParentReport()->ExportFilter()->Shape(shape);
}
