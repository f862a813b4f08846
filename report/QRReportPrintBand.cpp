// Band printing: breaks, background, the passes over the band's controls,
// the frame and the move down the page.
#include "QRReport.h"
#include "QRCtrls.h"

#include "Controls.h"

#include <algorithm>
#include <cmath>

namespace {

Integer RoundToInt(Extended v) { return Integer(Round(v)); }

// Bands that never break a page or column.
bool NeverBreaks(TQRBandType type)
{
    return type == rbPageHeader || type == rbColumnHeader || type == rbOverlay || type == rbPageFooter;
}

// Marks every control of the band finished: what it had left is dropped.
void FinishControls(TQRCustomBand* band)
{
    for (Integer i = 0; i < band->ControlCount(); ++i)
        if (auto* p = dynamic_cast<TQRPrintable*>(band->Controls(i)))
            p->SetFinished(true);
}

// Bands that ignore ForceNewPage and ForceNewColumn.
bool IgnoresForcedBreaks(TQRBandType type)
{
    return type == rbTitle || type == rbPageHeader || type == rbPageFooter || type == rbOverlay;
}

// Bands whose printing leaves the "title just printed" flag as it is.
bool KeepsTitleFlag(TQRBandType type)
{
    return type == rbPageHeader || type == rbPageFooter || type == rbOverlay || type == rbChild;
}

}  // namespace

bool TCustomRazorUze::Fits(const TQRCustomBand* band, Extended extra) const
{
    return RoundToInt(band->NativeHeight() + band->expanded_ + extra) <= AvailableSpace();
}

bool TCustomRazorUze::ExpandBand(TQRCustomBand* band, Extended extra, Extended& newHeight, bool& done)
{
    if (!Fits(band, extra))
        return false;
    if (!done && extra < band->expanded_) {
        newHeight = band->expanded_;
        done = true;
        return true;
    }
    band->expanded_ += extra;
    newHeight = band->expanded_;
    done = true;
    return true;
}

Extended TCustomRazorUze::LinkedHeight(const TQRCustomBand* band, bool follow) const
{
    // LinkBand chains are acyclic: SetLinkBand refuses cycles.
    Extended height = band->NativeHeight();
    if (follow && band->LinkBand())
        height += LinkedHeight(band->LinkBand(), true);
    return height;
}

Extended TCustomRazorUze::ReservedFor(const TQRCustomBand* band) const
{
    const bool summaryUsesFooter = band->BandType() == rbSummary &&
                                   !options_.Contains(TRazorUzeortOption::LastPageFooter);
    return summaryUsesFooter ? 0 : reservedFooter_;
}

Integer TCustomRazorUze::SpaceFor(const TQRCustomBand* band) const { return SpaceWith(ReservedFor(band)); }

void TCustomRazorUze::AlignBandToBottom(const TQRCustomBand* band)
{
    const Extended reserved = ReservedFor(band);
    const Extended bottom = page_->RawValue(TQRPage::iBottomMargin);
    const Integer paper = PaperLengthForPrinting();
    if (RoundToInt(band->NativeHeight() + bottom + reserved) <= paper - currentY_)
        currentY_ = paper - RoundToInt(band->NativeHeight()) - RoundToInt(bottom + reserved);
}

void TCustomRazorUze::PrintBand(TQRCustomBand* band)
{
    if (!band)
        return;
    if (band->AlignToBottom() && qrPrinter_)
        AlignBandToBottom(band);
    PrintBandSelf(band);
}

void TCustomRazorUze::PrintChild(TQRCustomBand* band, bool before)
{
    TQRChildBand* child = ChildOf(band);
    if (!child)
        return;
    const TCBPrintOrder order = child->PrintOrder();
    if (order != cboBeforeAndAfter && (order == cboBeforeParent) != before)
        return;
    if (band->BandType() != rbPageFooter) {
        PrintBand(child);
        return;
    }
    child->SetBandTypeValue(rbPageFooter);
    try {
        PrintBand(child);
    } catch (...) {
        child->SetBandTypeValue(rbChild);
        throw;
    }
    child->SetBandTypeValue(rbChild);
}

void TCustomRazorUze::SpaceCheck(TQRCustomBand* band)
{
    const TQRBandType type = band->BandType();
    // Such a band may still be the first of the run: it opens page 1.
    if (NeverBreaks(type)) {
        if (pageNumber_ == 0)
            NewColumn();
        return;
    }
    // The footer keeps its place should a summary still break.
    const Integer space = SpaceFor(band);
    const Integer needed = RoundToInt(LinkedHeight(band, true));
    const Extended emptyPage = page_->RawValue(TQRPage::iLength) -
                               (page_->RawValue(TQRPage::iBottomMargin) + page_->RawValue(TQRPage::iTopMargin));
    if ((needed > space && needed <= emptyPage) || pageNumber_ == 0) {
        run_.InColumnBreak = type == rbDetail;
        NewColumn();
    } else if (type == rbDetail) {
        run_.InColumnBreak = false;
    }
}

void TCustomRazorUze::PrintBandSelf(TQRCustomBand* band)
{
    // Nested prints (headers on a new page) must not clear the caller's flag.
    const bool savedInColumnBreak = run_.InColumnBreak;
    bool printIt = band->Enabled();
    if (printIt && band->BeforePrint)
        band->BeforePrint(band, printIt);
    if (band->BandType() == rbSummary) {
        // As wide as the page, past column 1 it would print over the
        // columns to its left.
        if (printIt && currentColumn_ > 1 && pageNumber_ > 0)
            NewPageAfterColumns();
        currentX_ = RoundToInt(page_->LeftMargin());
    }
    // A disabled detail band still counts as printed for its clients.
    if (!band->Enabled() && band->NotifyController())
        band->NotifyController()->NotifyClients();
    if (printIt) {
        PrintChild(band, true);
        const TQRBandType type = band->BandType();
        const bool mayForce = !IgnoresForcedBreaks(type) && pageNumber_ > 0;
        bool broke = false;
        if (band->ForceNewPage() && !run_.InColumnBreak && mayForce) {
            broke = ForceNewPageStep();
            run_.InColumnBreak = false;
        } else if (band->ForceNewColumn() && mayForce) {
            broke = ForceNewColumnStep();
        }
        if (!broke)
            SpaceCheck(band);
        if (band->NotifyController())
            band->NotifyController()->NotifyClients();
        if (band->KeepOnOnePage() && RoundToInt(band->NativeHeight()) > AvailableSpace())
            NewColumn();
        PrintBandBody(band);
        if (type == rbTitle || type == rbColumnHeader)
            run_.TitleJustPrinted = true;
        else if (!KeepsTitleFlag(type))
            run_.TitleJustPrinted = false;
    }
    if (band->AfterPrint)
        band->AfterPrint(band, printIt);
    PrintChild(band, false);
    run_.InColumnBreak = savedInColumnBreak;
}

void TCustomRazorUze::PrintBandBody(TQRCustomBand* band)
{
    const Extended height = band->NativeHeight();
    const Extended width = band->NativeWidth();
    // Positions are 32-bit: a band reaching past them is refused, not wrapped.
    constexpr Extended farthest = 1e9L;
    if (!(std::fabs(currentY_ + height) < farthest && std::fabs(currentX_ + width) < farthest))
        throw EQRError(QStringLiteral("Band %1 is too large to print").arg(band->Name()));
    if (!band->TransparentBand()) {
        band->printRect_ = TRect(qrPrinter_->XPos(currentX_), qrPrinter_->YPos(currentY_),
                                 qrPrinter_->XPos(currentX_ + width), qrPrinter_->YPos(currentY_ + height));
        if (exportFilter_)
            ExportShape(TQRExportShapeKind::Rectangle, band->printRect_, band->Color(), 1, true);
    }
    const TQRBandPlaced placed{band, pageNumber_, currentColumn_, currentX_, currentY_, 0};
    band->expanded_ = 0;
    if (band->Height() != 0) {
        TCanvas* canvas = qrPrinter_->Canvas();
        if (drawOnCanvas_ && !band->TransparentBand() && canvas) {
            canvas->Brush()->SetStyle(bsSolid);
            canvas->Brush()->SetColor(band->Color());
            canvas->FillRect(band->printRect_);
        }
        PrintControls(band);
        currentY_ += RoundToInt(height + band->expanded_);
    }
    if (exportFilter_)
        exportFilter_->EndBand(band, band->expanded_, placed.X, placed.Y);
    if (OnBandPlaced) {
        TQRBandPlaced record = placed;
        record.Height = RoundToInt(height + band->expanded_);
        OnBandPlaced(record);
    }
}

void TCustomRazorUze::PrintControls(TQRCustomBand* band)
{
    const Extended height = band->NativeHeight();
    const Extended width = band->NativeWidth();
    for (int pass = 0;; ++pass) {
        if (pass == QRMaxBandPasses)
            throw EQRError(QStringLiteral("Band %1: a control did not finish printing in %2 columns")
                               .arg(band->Name())
                               .arg(QRMaxBandPasses));
        bool allFinished = true;
        Extended maxExpanded = 0;
        for (Integer i = 0; i < band->ControlCount(); ++i) {
            auto* p = dynamic_cast<TQRPrintable*>(band->Controls(i));
            if (!p || !p->Enabled())
                continue;
            band->expanded_ = 0;
            if (pass == 0 || !p->Finished())
                p->Print(currentX_, currentY_);
            allFinished = allFinished && p->Finished();
            maxExpanded = std::max(maxExpanded, band->expanded_);
        }
        band->expanded_ = maxExpanded;
        if (drawOnCanvas_ || exportFilter_) {
            band->printRect_ = TRect(qrPrinter_->XPos(currentX_), qrPrinter_->YPos(currentY_),
                                     qrPrinter_->XPos(currentX_ + width),
                                     qrPrinter_->YPos(currentY_ + height + band->expanded_ + 1.0L));
            PrintFrame(*band->Frame(), band->printRect_);
            PrintFullHeightLines(band, band->printRect_);
        }
        if (allFinished)
            return;
        // Such a band cannot go on in another column: the rest is cut.
        if (NeverBreaks(band->BandType())) {
            FinishControls(band);
            return;
        }
        run_.InColumnBreak = true;
        NewColumn();
        run_.InColumnBreak = false;
        band->expanded_ = 0;
    }
}

void TCustomRazorUze::PrintFullHeightLines(const TQRCustomBand* band, const TRect& rect)
{
    // Placed by the design width in pixels: a band without one has none.
    if (band->Width() <= 0)
        return;
    for (Integer i = 0; i < band->ControlCount(); ++i) {
        auto* shape = dynamic_cast<TQRShape*>(band->Controls(i));
        if (!shape || shape->Tag() != 1000 || shape->Shape() != qrsVertLine)
            continue;
        const Extended middle = shape->Left() + shape->Width() / 2;
        const Integer x = rect.Left + RoundToInt((rect.Right - rect.Left) * 1.0L * middle / band->Width());
        const Integer penWidth = shape->Pen()->Width();
        if (drawOnCanvas_ && qrPrinter_->Canvas()) {
            TPen* pen = qrPrinter_->Canvas()->Pen();
            pen->SetStyle(psSolid);
            pen->SetWidth(penWidth);
            pen->SetColor(shape->Pen()->Color());
            qrPrinter_->Canvas()->MoveTo(x, rect.Top);
            qrPrinter_->Canvas()->LineTo(x, rect.Bottom);
        }
        if (exportFilter_) {
            TQRExportShape line;
            line.Kind = TQRExportShapeKind::VertLine;
            line.Bounds = TRect(x, rect.Top, x + std::max(penWidth, 1), rect.Bottom);
            line.PenColor = shape->Pen()->Color();
            line.PenWidth = penWidth;
            line.BrushStyle = bsClear;
            exportFilter_->Shape(line);
        }
    }
}
