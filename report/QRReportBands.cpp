// The base panel, the printable base and the band classes.
#include "QRReport.h"
#include "QRReportInternal.h"

#include "Controls.h"

namespace {

struct BandName {
    const char* name;
    const char* caption;
};

constexpr BandName BandNames[] = {
    {"TitleBand", "Title"},
    {"PageHeaderBand", "Page Header"},
    {"DetailBand", "Detail"},
    {"PageFooterBand", "Page Footer"},
    {"SummaryBand", "Summary"},
    {"GroupHeaderBand", "Group Header"},
    {"GroupFooterBand", "Group Footer"},
    {"SubDetailBand", "Sub Detail"},
    {"ColumnHeaderBand", "Column Header"},
    {"OverlayBand", "Overlay"},
    {"WildBand", "Wild"},
    {"ChildBand", "Child"},
};

constexpr TColor DisabledPanelColor = 0xC0C0C0;
constexpr TColor DesignMarkColor = 0x808080;
constexpr Integer DesignBandHeight = 40;

}  // namespace

QString QRBandDefaultName(TQRBandType type) { return QString::fromLatin1(BandNames[type].name); }
QString QRBandCaption(TQRBandType type) { return QString::fromLatin1(BandNames[type].caption); }

// ------------------------------------------------------------ TQRBasePanel

TQRBasePanel::TQRBasePanel(TComponent* AOwner) : TCustomPanel(AOwner), frame_(std::make_unique<TQRFrame>(this)) {}

void TQRBasePanel::SetFrame(const TQRFrame& frame)
{
    frame_->SetColor(frame.Color());
    frame_->SetDrawTop(frame.DrawTop());
    frame_->SetDrawBottom(frame.DrawBottom());
    frame_->SetDrawLeft(frame.DrawLeft());
    frame_->SetDrawRight(frame.DrawRight());
    frame_->SetStyle(frame.Style());
    frame_->SetWidth(frame.Width());
    Invalidate();
}

void TQRBasePanel::SetZoom(Integer value)
{
    zoom_ = value;
    for (Integer i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (auto* printable = dynamic_cast<TQRPrintable*>(c))
            printable->SetZoom(value);
        else if (auto* panel = dynamic_cast<TQRBasePanel*>(c))
            panel->SetZoom(value);
    }
}

void TQRBasePanel::Paint()
{
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Enabled() ? Color() : DisabledPanelColor);
    canvas->FillRect(ClientRect());
    canvas->Brush()->SetStyle(bsClear);
}

// ------------------------------------------------------------ TQRPrintable

TQRPrintable::TQRPrintable(TComponent* AOwner) : TCustomControl(AOwner)
{
    size_ = std::make_unique<TQRPrintableSize>(this);
    frame_ = std::make_unique<TQRFrame>(this);
    SetColor(clWhite);
    SetBounds(Left(), Top(), 10, 10);
}

bool TQRPrintable::Transparent() const { return !ControlStyle().Contains(csOpaque); }

void TQRPrintable::SetTransparent(bool value)
{
    TControlStyle style = ControlStyle();
    if (value)
        style.Exclude(csOpaque);
    else
        style.Include(csOpaque);
    SetControlStyle(style);
    Invalidate();
}

void TQRPrintable::SetAlignToBand(bool value)
{
    alignToBand_ = value;
    ApplyAlignToBand();
}

void TQRPrintable::SetAlignment(TAlignment value)
{
    alignment_ = value;
    ApplyAlignToBand();
    Invalidate();
}

void TQRPrintable::JoinReport(TCustomRazorUze* report, TQRUnit unit)
{
    size_->SetUnits(unit);
    if (!report)
        return;
    parentReport_ = report;
    size_->SetParentReport(report);
    size_->SetZoom(report->Zoom());
}

void TQRPrintable::SetParent(TWinControl* AParent)
{
    TCustomControl::SetParent(AParent);
    if (auto* report = dynamic_cast<TCustomRazorUze*>(AParent))
        JoinReport(report, report->Units());
    else if (auto* band = dynamic_cast<TQRCustomBand*>(AParent))
        JoinReport(band->ParentReport(), band->Size() ? band->Size()->Units() : TQRUnit::MM);
}

void TQRPrintable::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
    TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (ComponentState().Contains(csLoading)) {
        const Integer given[4] = {ALeft, ATop, AWidth, AHeight};
        for (int i = 0; i < 4; ++i)
            if (given[i] != 0)
                designBounds_[i] = given[i];
    } else if (size_) {
        size_->TakeBounds(Left(), Top(), Width(), Height());
    }
    if (alignToBand_ && !aligning_)
        ApplyAlignToBand();
}

void TQRPrintable::SetZoom(Integer value)
{
    size_->SetZoom(value);
    size_->Update();
}

void TQRPrintable::Loaded()
{
    TCustomControl::Loaded();
    size_->Update();
    const Integer now[4] = {Left(), Top(), Width(), Height()};
    Integer bounds[4];
    for (int i = 0; i < 4; ++i)
        bounds[i] = now[i] == 0 ? designBounds_[i] : now[i];
    SetBounds(bounds[0], bounds[1], bounds[2], bounds[3]);
}

void TQRPrintable::Prepare()
{
    isPrinting_ = true;
    // A run that ended with an error may have left the control half printed.
    finished_ = true;
}

void TQRPrintable::Unprepare() { isPrinting_ = false; }

void TQRPrintable::Print(Integer X, Integer Y)
{
    TQRPrinter* printer = parentReport_ ? parentReport_->QRPrinter() : nullptr;
    if (!printer || !frame_->AnyFrame())
        return;
    const Extended left = X + size_->RawValue(TQRPrintableSize::iLeft);
    const Extended top = Y + size_->RawValue(TQRPrintableSize::iTop);
    const TRect r(printer->XPos(left), printer->YPos(top),
                  printer->XPos(left + size_->RawValue(TQRPrintableSize::iWidth)),
                  printer->YPos(top + size_->RawValue(TQRPrintableSize::iHeight)));
    parentReport_->PrintFrame(*frame_, r, this);
}

void TQRPrintable::Notify(TObject*, Integer Operation)
{
    if (Operation == 2)
        ApplyAlignToBand();
}

void TQRPrintable::ApplyAlignToBand()
{
    auto* band = dynamic_cast<TQRCustomBand*>(Parent());
    if (!alignToBand_ || !band)
        return;
    FlagGuard aligning(aligning_);
    Integer left = 0;
    if (alignment_ == taRightJustify)
        left = band->Width() - Width();
    else if (alignment_ == taCenter)
        left = (band->Width() - Width()) / 2;
    SetBounds(left, Top(), Width(), Height());
}

void TQRPrintable::Paint()
{
    if (isPrinting_)
        return;
    TCanvas* canvas = Canvas();
    const TRect r = ClientRect();
    if (!Transparent()) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(r);
    }
    // Corner marks, 3 pixels long, so an empty control can be found.
    canvas->Pen()->SetColor(DesignMarkColor);
    canvas->Pen()->SetWidth(1);
    const Integer xs[2] = {r.Left, r.Right - 1}, ys[2] = {r.Top, r.Bottom - 1};
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j) {
            const Integer dx = i == 0 ? 3 : -3, dy = j == 0 ? 3 : -3;
            canvas->MoveTo(xs[i], ys[j]);
            canvas->LineTo(xs[i] + dx, ys[j]);
            canvas->MoveTo(xs[i], ys[j]);
            canvas->LineTo(xs[i], ys[j] + dy);
        }
    const Extended factor = DesignFactor(size_->Zoom());
    PaintFrame(*frame_, *canvas, r, factor, factor);
}

// ------------------------------------------------------------ TQRCustomBand

TQRCustomBand::TQRCustomBand(TComponent* AOwner) : TQRBasePanel(AOwner)
{
    SetBevelOuter(bvNone);
    SetBevelInner(bvNone);
    SetCaption(QString());
    SetColor(clWhite);
    SetBounds(Left(), Top(), Width(), DesignBandHeight);
    // Created after the first bounds: the raw size defaults hold until the
    // band is sized.
    size_ = std::make_unique<TQRBandSize>(this);
}

TQRCustomBand::~TQRCustomBand()
{
    if (!parentReport_)
        return;
    // The report lays its bands out as this band leaves it, and again once
    // the control has left its parent, when this is no band any more: no
    // child may lead here through its chain by then.
    while (TQRChildBand* child = parentReport_->ChildOf(this))
        child->ForgetParentBand();
    parentReport_->RemoveBand(this);
}

void TQRCustomBand::SetParentReport(TCustomRazorUze* report)
{
    parentReport_ = report;
    size_->SetParentReport(report);
    if (report)
        size_->SetZoom(report->Zoom());
}

void TQRCustomBand::Paint()
{
    TQRBasePanel::Paint();
    TCanvas* canvas = Canvas();
    const TRect r = ClientRect();
    if (parentReport_ && parentReport_->Page()->Ruler())
        DrawQRRuler(*canvas, r, parentReport_->Units(), Zoom(), parentReport_->Font()->Size());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(DesignMarkColor);
    canvas->FrameRect(r);
    const Extended factor = DesignFactor(Zoom());
    PaintFrame(*Frame(), *canvas, r, factor, factor);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->SetName(QStringLiteral("Small Fonts"));
    canvas->Font()->SetSize(6);
    canvas->Font()->SetColor(bandType_ == rbChild ? clBlue : DesignMarkColor);
    const QString caption = QRBandCaption(bandType_);
    canvas->TextOut(r.Left + 2, r.Bottom - canvas->TextHeight(caption) - 1, caption);
}

void TQRCustomBand::SetEnabled(bool on)
{
    TQRBasePanel::SetEnabled(on);
    Invalidate();
}

void TQRCustomBand::SetParent(TWinControl* AParent)
{
    if (auto* band = dynamic_cast<TQRCustomBand*>(AParent))
        AParent = band->Parent();
    auto* oldReport = dynamic_cast<TCustomRazorUze*>(Parent());
    auto* newReport = dynamic_cast<TCustomRazorUze*>(AParent);
    TQRBasePanel::SetParent(AParent);
    if (oldReport == newReport)
        return;
    if (oldReport)
        oldReport->RemoveBand(this);
    if (newReport)
        newReport->AddBand(this);
}

void TQRCustomBand::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
    const bool resized = size_ && !layingOut_ && !ComponentState().Contains(csLoading);
    // Taken first: the report lays its bands out again while the control
    // changes, sizing every band from its Size.
    if (resized)
        size_->TakeBounds(AWidth, AHeight);
    TQRBasePanel::SetBounds(ALeft, ATop, AWidth, AHeight);
    // The layout has the last word on the width.
    if (resized)
        size_->TakeBounds(Width(), Height());
}

void TQRCustomBand::SetZoom(Integer value)
{
    TQRBasePanel::SetZoom(value);
    size_->SetZoom(value);
}

void TQRCustomBand::SetLinkBand(TQRCustomBand* band)
{
    for (TQRCustomBand* b = band; b; b = b->linkBand_)
        if (b == this)
            return;
    ReferTo(this, linkBand_, band);
}

TQRChildBand* TQRCustomBand::ChildBand() const { return parentReport_ ? parentReport_->ChildOf(this) : nullptr; }

void TQRCustomBand::SetHasChild(bool value)
{
    TQRChildBand* child = ChildBand();
    if (value && !child) {
        auto* created = new TQRChildBand(Owner());
        created->SetParent(Parent());
        created->SetParentBand(this);
    } else if (!value && child) {
        if (TQRChildBand* grandchild = parentReport_->ChildOf(child))
            grandchild->SetParentBand(this);
        delete child;
    }
}

void TQRCustomBand::Notification(TComponent* AComponent, TOperation Operation)
{
    TQRBasePanel::Notification(AComponent, Operation);
    ForgetIfRemoved(linkBand_, AComponent, Operation);
}

void TQRBand::SetBandType(TQRBandType type)
{
    SetBandTypeValue(type);
    if (ParentReport())
        ParentReport()->RebuildOrder();
}

// ------------------------------------------------------------ TQRChildBand

TQRChildBand::TQRChildBand(TComponent* AOwner) : TQRCustomBand(AOwner) { SetBandTypeValue(rbChild); }

void TQRChildBand::SetParentBand(TQRCustomBand* band)
{
    for (const TQRCustomBand* b = band; b;) {
        if (b == this)
            return;
        auto* child = dynamic_cast<const TQRChildBand*>(b);
        b = child ? child->parentBand_ : nullptr;
    }
    ReferTo(this, parentBand_, band);
    if (ParentReport())
        ParentReport()->RebuildOrder();
}

void TQRChildBand::ForgetParentBand() { ReferTo<TQRCustomBand>(this, parentBand_, nullptr); }

void TQRChildBand::Notification(TComponent* AComponent, TOperation Operation)
{
    TQRCustomBand::Notification(AComponent, Operation);
    ForgetIfRemoved(parentBand_, AComponent, Operation);
}
