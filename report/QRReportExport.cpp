// The export path: a run whose bands, frames and backgrounds go to an
// export filter instead of the page canvas.
#include "QRReport.h"
#include "QRReportInternal.h"

#include "Controls.h"
#include "Forms.h"


// ------------------------------------------------------------ TQRExportFilter

void TQRExportFilter::SetReport(TCustomRazorUze* report, TQRPrinter* previousPrinter)
{
    report_ = report;
    previousPrinter_ = previousPrinter;
}

void TQRExportFilter::Start(Integer, Integer, TFont*) { started_ = true; }

void TQRExportFilter::EndBand(TQRCustomBand*, Extended, Integer, Integer) {}

void TQRExportFilter::AcceptControl(Extended, Extended, TQRPrintable*) {}

void TQRExportFilter::TextOut(Extended, Extended, TFont*, TColor, TAlignment, const QString&) {}

void TQRExportFilter::Shape(const TQRExportShape&) {}

// ------------------------------------------------------------ the report's export run

namespace {

// The progress form of an export, shown only when the report asks for it;
// it takes the printer's progress messages meanwhile.
std::unique_ptr<TCustomForm> ExportProgressForm(TQRPrinter& printer, bool show)
{
    std::unique_ptr<TCustomForm> form = NewQRProgressForm(&printer);
    if (!form)
        return nullptr;
    form->SetCaption(QStringLiteral("Exporting Progress"));
    printer.SetPreviewControl(form.get());
    if (show)
        form->Show();
    return form;
}

}  // namespace

void TCustomRazorUze::ExportToFilter(TQRExportFilter* filter)
{
    if (!filter || !available_)
        return;
    TQRPrinter* previous = qrPrinter_;
    filter->SetReport(this, previous);
    exportFilter_ = filter;
    drawOnCanvas_ = false;
    const std::unique_ptr<TQRPrinter> printer = NewQRPrinter();
    printer->ParentExporting = true;
    qrPrinter_ = printer.get();
    ScopeExit restore([&] {
        exportFilter_ = nullptr;
        drawOnCanvas_ = true;
        qrPrinter_ = previous;
    });
    std::unique_ptr<TCustomForm> progress = showProgress_ ? ExportProgressForm(*printer, true) : nullptr;
    CreateReport(false);
}

void TCustomRazorUze::ExportToFilter(TQRExportFilter* filter, TQRPrinter* printer)
{
    if (!filter || !printer || !available_)
        return;
    TQRPrinter* previous = qrPrinter_;
    filter->SetReport(this, previous);
    exportFilter_ = filter;
    drawOnCanvas_ = false;
    qrPrinter_ = printer;
    const bool wasExporting = printer->ParentExporting;
    printer->ParentExporting = true;
    TQRControlLink previousPreview;
    previousPreview.Set(printer->PreviewControl());
    ScopeExit restore([&] {
        printer->SetPreviewControl(previousPreview.Get());
        printer->ParentExporting = wasExporting;
        exportFilter_ = nullptr;
        drawOnCanvas_ = true;
        qrPrinter_ = previous;
    });
    std::unique_ptr<TCustomForm> progress = ExportProgressForm(*printer, showProgress_);
    CreateReport(true);
}

void TCustomRazorUze::ExportShape(TQRExportShapeKind kind, const TRect& bounds, TColor color, Integer penWidth,
                                  bool clearPen)
{
    TQRExportShape shape;
    shape.Kind = kind;
    shape.Bounds = bounds;
    shape.PenColor = color;
    shape.PenWidth = penWidth;
    shape.PenStyle = clearPen ? psClear : psSolid;
    shape.BrushColor = color;
    shape.BrushStyle = bsSolid;
    exportFilter_->Shape(shape);
}

void TCustomRazorUze::PrintFrame(const TQRFrame& frame, const TRect& rect, const TQRPrintable* control)
{
    if (!frame.AnyFrame() || !qrPrinter_)
        return;
    const Extended xFactor = qrPrinter_->XFactor();
    const Extended yFactor = qrPrinter_->YFactor();
    if (drawOnCanvas_ && qrPrinter_->Canvas())
        PaintFrame(frame, *qrPrinter_->Canvas(), rect, xFactor, yFactor);
    if (!exportFilter_)
        return;
    if (control && !control->Transparent())
        ExportShape(TQRExportShapeKind::Rectangle, rect, control->Color(), 1, true);
    const Integer w = frame.Thickness(xFactor);
    const Integer h = frame.Thickness(yFactor);
    const TColor color = frame.Color();
    using K = TQRExportShapeKind;
    if (frame.DrawTop())
        ExportShape(K::HorLine, TRect(rect.Left, rect.Top, rect.Right, rect.Top + h), color, h, false);
    if (frame.DrawBottom())
        ExportShape(K::HorLine, TRect(rect.Left, rect.Bottom - h, rect.Right, rect.Bottom), color, h, false);
    if (frame.DrawLeft())
        ExportShape(K::VertLine, TRect(rect.Left, rect.Top, rect.Left + w, rect.Bottom), color, w, false);
    if (frame.DrawRight())
        ExportShape(K::VertLine, TRect(rect.Right - w, rect.Top, rect.Right, rect.Bottom), color, w, false);
}
