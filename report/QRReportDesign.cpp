// The report at design time: its band list, the band switches, the design
// order and the top-down layout of the bands.
#include "QRReport.h"

#include "Controls.h"
#include "Metafile.h"
#include "Windows.h"

#include <algorithm>

namespace {

// Bands that span the printable width; the others are one column wide.
bool FullWidth(TQRBandType type)
{
    return type == rbTitle || type == rbPageHeader || type == rbPageFooter || type == rbSummary || type == rbOverlay;
}

Integer RoundToInt(Extended v) { return Integer(Round(v)); }

}  // namespace

// ------------------------------------------------------------ TRazorUzeBands

bool TRazorUzeBands::Has(TQRBandType type) const { return report_->BandOfType(type) != nullptr; }

TQRBand* CreateReportBand(TCustomRazorUze* report, TQRBandType type)
{
    TComponent* owner = report->Owner() ? report->Owner() : report;
    auto* created = new TQRBand(owner);
    created->SetName(UniqueName(owner, QRBandDefaultName(type)));
    created->SetBandType(type);
    created->SetParent(report);
    return created;
}

void TRazorUzeBands::SetHas(TQRBandType type, bool value)
{
    TQRCustomBand* band = report_->BandOfType(type);
    if (value && !band) {
        CreateReportBand(report_, type);
    } else if (!value && band) {
        delete band;
    }
}

// ------------------------------------------------------------ TCustomRazorUze

TCustomRazorUze::TCustomRazorUze(TComponent* AOwner)
    : TQRBasePanel(AOwner),
      controller_(std::make_unique<TQRCustomController>(this, this)),
      page_(std::make_unique<TQRPage>()),
      bands_(std::make_unique<TRazorUzeBands>(this)),
      functions_(std::make_unique<TQREvEnvironment>())
{
    functions_->AddFunction(QStringLiteral("PAGENUMBER"), QStringLiteral("0"));
    functions_->AddFunction(QStringLiteral("COLUMNNUMBER"), QStringLiteral("0"));
    functions_->AddFunction(QStringLiteral("REPORTTITLE"), QStringLiteral("''"));
    SetColor(clWhite);
    SetBounds(0, 0, Width(), Height());
    page_->SetParentReport(this);
    page_->SetPaperSize(DefaultPrinterPaperSize());
    // The framework's default font stays under a Japanese system locale.
    if ((GetSystemDefaultLCID() & 0x3FF) != 0x11) {
        Font()->SetName(QStringLiteral("Arial"));
        Font()->SetSize(10);
    }
}

TCustomRazorUze::~TCustomRazorUze()
{
    // The bands outlive this body (the panel frees its children later).
    for (TQRCustomBand* band : bandList_)
        band->parentReport_ = nullptr;
    bandList_.clear();
    printOrder_.clear();
}

void TCustomRazorUze::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
    // Taken first: the bands are laid out again as the control changes.
    if (page_ && !ComponentState().Contains(csLoading))
        page_->TakeBounds(AWidth, AHeight);
    TQRBasePanel::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TCustomRazorUze::SetUnits(TQRUnit value)
{
    page_->SetUnits(value);
    for (TQRCustomBand* band : bandList_) {
        band->Size()->SetUnits(value);
        for (Integer i = 0; i < band->ControlCount(); ++i)
            if (auto* printable = dynamic_cast<TQRPrintable*>(band->Controls(i)))
                printable->Size()->SetUnits(value);
        band->Invalidate();
    }
    for (Integer i = 0; i < ControlCount(); ++i)
        if (auto* printable = dynamic_cast<TQRPrintable*>(Controls(i)))
            printable->Size()->SetUnits(value);
}

void TCustomRazorUze::SetZoom(Integer value)
{
    if (value < 1 || value > 300)
        return;
    TQRBasePanel::SetZoom(value);
    page_->SetZoom(value);
    RebuildOrder();
}

TQRCustomBand* TCustomRazorUze::BandOfType(TQRBandType type) const
{
    for (TQRCustomBand* band : bandList_)
        if (band->BandType() == type)
            return band;
    return nullptr;
}

TQRChildBand* TCustomRazorUze::ChildOf(const TQRCustomBand* band) const
{
    for (TQRCustomBand* b : bandList_)
        if (auto* child = dynamic_cast<TQRChildBand*>(b); child && child->ParentBand() == band)
            return child;
    return nullptr;
}

const TQRCustomBand* TCustomRazorUze::TopOfChain(const TQRCustomBand* band) const
{
    // Parent chains are acyclic: SetParentBand refuses cycles.
    while (auto* child = dynamic_cast<const TQRChildBand*>(band)) {
        if (!child->ParentBand())
            break;
        band = child->ParentBand();
    }
    return band;
}

Integer TCustomRazorUze::PrintableWidth() const
{
    return RoundToInt(page_->RawValue(TQRPage::iWidth)) - RoundToInt(page_->RawValue(TQRPage::iLeftMargin)) -
           RoundToInt(page_->RawValue(TQRPage::iRightMargin));
}

Integer TCustomRazorUze::ColumnWidth() const
{
    const Integer columns = page_->Columns();
    return (PrintableWidth() - (columns - 1) * RoundToInt(page_->RawValue(TQRPage::iColumnSpace))) / columns;
}

void TCustomRazorUze::AddBand(TQRCustomBand* band)
{
    bandList_.push_back(band);
    band->SetParentReport(this);
    RebuildOrder();
}

void TCustomRazorUze::RemoveBand(TQRCustomBand* band)
{
    std::erase(bandList_, band);
    std::erase(printOrder_, band);
    band->parentReport_ = nullptr;
    RebuildOrder();
}

void TCustomRazorUze::AddWithChildren(std::vector<TQRCustomBand*>& order, TQRCustomBand* band) const
{
    // A child chain is acyclic, but a band is never listed twice either.
    for (; band && std::find(order.begin(), order.end(), band) == order.end(); band = ChildOf(band))
        order.push_back(band);
}

void TCustomRazorUze::AddControllerBands(std::vector<TQRCustomBand*>& order) const
{
    HandBandsToController();
    // A run keeps the lists it prepared.
    if (available_)
        controller_->Prepare();
    controller_->AddBands(order);
}

void TCustomRazorUze::SetController(std::unique_ptr<TQRCustomController> controller)
{
    controller_ = std::move(controller);
    RebuildOrder();
}

bool TCustomRazorUze::PrintIfEmpty() const { return controller_->PrintIfEmpty(); }

void TCustomRazorUze::SetPrintIfEmpty(bool value) { controller_->SetPrintIfEmpty(value); }

void TCustomRazorUze::AddNotifyClient(TQRPrintable* Printable) { controller_->AddNotifyClient(Printable); }

void TCustomRazorUze::RebuildOrder()
{
    if (ComponentState().Contains(csLoading))
        return;
    std::vector<TQRCustomBand*> order;
    auto addAll = [&](TQRBandType type) {
        for (TQRCustomBand* band : bandList_)
            if (band->BandType() == type)
                AddWithChildren(order, band);
    };
    addAll(rbPageHeader);
    if (TQRCustomBand* title = BandOfType(rbTitle))
        AddWithChildren(order, title);
    addAll(rbColumnHeader);
    AddControllerBands(order);
    addAll(rbPageFooter);
    for (TQRCustomBand* band : bandList_)
        if (band->BandType() != rbChild || !static_cast<TQRChildBand*>(band)->ParentBand())
            AddWithChildren(order, band);
    // Children whose parent band is not on this report come last.
    for (TQRCustomBand* band : bandList_)
        AddWithChildren(order, band);
    // The controller may still name a band that is leaving the report.
    std::erase_if(order, [this](const TQRCustomBand* band) {
        return std::find(bandList_.begin(), bandList_.end(), band) == bandList_.end();
    });
    printOrder_ = std::move(order);
    LayoutBands();
}

void TCustomRazorUze::Loaded()
{
    TQRBasePanel::Loaded();
    RebuildOrder();
}

void TCustomRazorUze::AlignControls(TControl* AControl, TRect& Rect)
{
    TQRBasePanel::AlignControls(AControl, Rect);
    LayoutBands();
}

void TCustomRazorUze::LayoutBands()
{
    if (layingOut_ || !page_)
        return;
    layingOut_ = true;
    const Extended toPixels = Extended(page_->ScreenPixelsPerInch()) / 254 * Zoom() / 100;
    const Integer left = RoundToInt(page_->RawValue(TQRPage::iLeftMargin) * toPixels);
    Integer y = RoundToInt(page_->RawValue(TQRPage::iTopMargin) * toPixels);
    for (TQRCustomBand* band : printOrder_) {
        const Integer nativeWidth = FullWidth(TopOfChain(band)->BandType()) ? PrintableWidth() : ColumnWidth();
        band->layingOut_ = true;
        {
            TQRUnitSwitch pixels(*band->Size(), TQRUnit::Pixels);
            band->Size()->SetWidth(band->Size()->FromNative(nativeWidth, true));
        }
        band->SetBounds(left, y, band->Width(), band->Height());
        band->layingOut_ = false;
        y += band->Height();
    }
    layingOut_ = false;
}
