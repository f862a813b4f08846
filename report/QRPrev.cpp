// The preview control: the page image with its frame, shadow and links,
// the scroll box that zooms and centres it, and the link dispatcher.
#include "QRPrev.h"

#include "Metafile.h"
#include "QRPrgres.h"
#include "ShellAPI.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr Cardinal kProgressMessage = WM_USER;
constexpr Cardinal kPagesMessage = WM_USER + 1;
constexpr Integer kMinZoom = 2;
constexpr Integer kMaxZoom = 2000;
// Letter in millimetres, taken as pixels when there is no printer.
constexpr Extended kLetterWidth = 215.9L;
constexpr Extended kLetterLength = 279.4L;

Integer RoundInt(Extended value) {
    return Integer(Round(value));
}

struct THyperlinkHandlerEntry {
    QString Prefix;
    TQRHyperlinkHandler Handler;
};

std::vector<THyperlinkHandlerEntry>& HyperlinkHandlers() {
    static std::vector<THyperlinkHandlerEntry> handlers;
    return handlers;
}

// The first handler whose prefix begins the link gets the rest of it.
bool PassToHandlers(TObject* sender, const QString& link) {
    for (const THyperlinkHandlerEntry& entry : HyperlinkHandlers()) {
        if (link.startsWith(entry.Prefix, Qt::CaseSensitive)) {
            entry.Handler(sender, link.mid(entry.Prefix.size()));
            return true;
        }
    }
    return false;
}

void OpenWithShell(TWinControl* owner, const QString& target) {
    ShellExecute(owner, QStringLiteral("open"), target, QString(), QString(), SW_SHOW);
}

}  // namespace

// ------------------------------------------------------------ painting

void QRPaintPreviewPage(TCanvas* canvas, const TRect& r, TMetafile* page) {
    if (page) {
        canvas->Brush()->SetColor(clWhite);
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Pen()->SetColor(clWhite);
        canvas->Rectangle(r.Left + 1, r.Top + 1, r.Right - 3, r.Bottom - 3);
        canvas->StretchDraw(r, page);
    }
    canvas->Pen()->SetColor(clBlack);
    canvas->Pen()->SetWidth(1);
    canvas->Pen()->SetStyle(psSolid);
    canvas->MoveTo(r.Left, r.Top);
    canvas->LineTo(r.Left, r.Bottom - 3);
    canvas->LineTo(r.Right - 3, r.Bottom - 3);
    canvas->LineTo(r.Right - 3, r.Top);
    canvas->LineTo(r.Left, r.Top);
    canvas->Brush()->SetColor(clBlack);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(TRect(r.Right - 2, r.Top + 2, r.Right, r.Bottom));
    canvas->FillRect(TRect(r.Left + 2, r.Bottom - 2, r.Right, r.Bottom));
}

// ------------------------------------------------------------ TQRPreviewImage

TQRPreviewImage::TQRPreviewImage(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetBounds(0, 0, 100, 50);
}

TQRPreviewImage::~TQRPreviewImage() = default;

void TQRPreviewImage::SetPageNumber(Integer value) {
    pageNumber_ = value;
    page_.reset();
    if (printer_) page_ = printer_->GetPage(value);
    Invalidate();
}

void TQRPreviewImage::SetZoom(Integer value) {
    zoom_ = value;
    Invalidate();
}

void TQRPreviewImage::ForgetPrinter() {
    printer_ = nullptr;
    page_.reset();
    Invalidate();
}

void TQRPreviewImage::Paint() {
    QRPaintPreviewPage(Canvas(), TRect(0, 0, Width(), Height()), page_.get());
}

QString TQRPreviewImage::LinkAt(Integer X, Integer Y) {
    if (zoom_ <= 0) return QString();
    const Integer x = RoundInt(Extended(X) / zoom_ * 100);
    const Integer y = RoundInt(Extended(Y) / zoom_ * 100);
    for (const TQRHyperlinkArea& area : areas_) {
        const TRect& r = area.Area;
        if (r.Left <= x && x <= r.Right && r.Top <= y && y <= r.Bottom) {
            currentLink_ = area.Link;
            return area.Link;
        }
    }
    return QString();
}

void TQRPreviewImage::MouseMove(TShiftState Shift, Integer X, Integer Y) {
    TGraphicControl::MouseMove(Shift, X, Y);
    const QString link = LinkAt(X, Y);
    const bool over = !link.isEmpty();
    SetCursor(over ? crHandPoint : crDefault);
    if (over == overLink_) return;
    overLink_ = over;
    if (!OnHyperlink) return;
    bool handled = false;
    if (over)
        OnHyperlink(printer_, heCursorMoveOver, currentLink_, handled);
    else
        OnHyperlink(printer_, heCursorMoveAway, QString(), handled);
}

void TQRPreviewImage::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (LinkAt(X, Y).isEmpty() || !OnHyperlink) return;
    bool handled = false;
    const QString link = currentLink_;
    OnHyperlink(printer_, heGoto, link, handled);
    if (!handled) OpenHyperlink(Parent(), link);
}

// ------------------------------------------------------------ TQRPreview

TQRPreview::TQRPreview(TComponent* AOwner) : TScrollBox(AOwner), image_(new TQRPreviewImage(this)) {
    SetBounds(Left(), Top(), 250, 250);
    HorzScrollBar()->SetTracking(true);
    VertScrollBar()->SetTracking(true);
    SetTabStop(true);
    image_->SetParent(this);
    image_->SetBounds(0, 0, image_->Width(), image_->Height());
    const auto update = [this](TObject*) { UpdateZoom(); };
    OnResize = update;
    OnEnter = update;
}

TQRPreview::~TQRPreview() {
    ReleasePrinter();
}

// Told that its preview is closed, a printer may be freed by its report
// at once: nothing here touches it afterwards.
void TQRPreview::ReleasePrinter() {
    TQRPrinter* old = printer_;
    printer_ = nullptr;
    image_->ForgetPrinter();
    if (old && old->PreviewControl() == this) {
        old->SetPreviewControl(nullptr);
        old->ClosePreview();
    }
}

void TQRPreview::PrinterFreed(TQRPrinter* printer) {
    if (printer != printer_) return;
    printer_ = nullptr;
    image_->ForgetPrinter();
}

void TQRPreview::SetQRPrinter(TQRPrinter* printer) {
    ReleasePrinter();
    printer_ = printer;
    image_->SetQRPrinter(printer);
    if (printer) {
        printer->SetPreviewControl(this);
        printer->SetShowingPreview(true);
    }
    pageNumber_ = 1;
    image_->SetPageNumber(1);
    ApplyZoom();
    // Mouse and drag handlers of the preview act on the page as well.
    image_->OnMouseDown = OnMouseDown;
    image_->OnMouseMove = OnMouseMove;
    image_->OnMouseUp = OnMouseUp;
    image_->OnDragDrop = OnDragDrop;
    image_->OnDragOver = OnDragOver;
    image_->OnEndDrag = OnEndDrag;
    image_->OnClick = OnClick;
    image_->OnDblClick = OnDblClick;
}

void TQRPreview::SetOnHyperlink(TQRPreviewHyperlinkEvent handler) {
    image_->OnHyperlink = std::move(handler);
}

void TQRPreview::SetPageNumber(Integer value) {
    if (value == pageNumber_ && image_->PageMetafile()) return;
    if (value < 1 || !printer_ || value > printer_->PageCount()) return;
    image_->SetPageNumber(value);
    pageNumber_ = value;
    HorzScrollBar()->SetPosition(0);
    VertScrollBar()->SetPosition(0);
}

void TQRPreview::SetZoom(Integer value) {
    if (value < kMinZoom || value > kMaxZoom) return;
    zoom_ = value;
    zoomState_ = qrZoomOther;
    ApplyZoom();
}

// The paper in pixels at zoom 100 (the printer's factors), or Letter.
void TQRPreview::PaperPixels(Extended& width, Extended& height) const {
    if (printer_) {
        width = printer_->XSize(printer_->PaperWidth());
        height = printer_->YSize(printer_->PaperLength());
    } else {
        width = kLetterWidth;
        height = kLetterLength;
    }
}

void TQRPreview::ApplyZoom() {
    Integer width, height;
    if (printer_) {
        width = printer_->XSize(Extended(printer_->PaperWidth()) * zoom_ / 100);
        height = printer_->YSize(Extended(printer_->PaperLength()) * zoom_ / 100);
    } else {
        width = RoundInt(kLetterWidth * zoom_ / 100);
        height = RoundInt(kLetterLength * zoom_ / 100);
    }
    width += 4;
    height += 4;
    const Integer left = width < ClientWidth() ? (ClientWidth() - width) / 2 : 0;
    const Integer top = height < ClientHeight() ? (ClientHeight() - height) / 2 : 0;
    image_->SetBounds(left, top, width, height);
    HorzScrollBar()->SetPosition(0);
    VertScrollBar()->SetPosition(0);
    image_->SetZoom(zoom_);
}

// A paper without a size (no printer, a custom paper of 0) leaves the
// zoom as it is: there is nothing to fit.
void TQRPreview::ZoomToFit() {
    Extended pw, ph;
    PaperPixels(pw, ph);
    if (pw <= 0 || ph <= 0) return;
    zoom_ = std::min(RoundInt(ClientHeight() / ph * 95), RoundInt(ClientWidth() / pw * 95));
    zoomState_ = qrZoomToFit;
    ApplyZoom();
}

void TQRPreview::ZoomToWidth() {
    Extended pw, ph;
    PaperPixels(pw, ph);
    if (pw <= 0 || ph <= 0) return;
    zoom_ = RoundInt(ClientWidth() / pw * (printer_ ? 90 : 95));
    zoomState_ = qrZoomToWidth;
    ApplyZoom();
}

void TQRPreview::UpdateZoom() {
    if (zoomState_ == qrZoomToFit)
        ZoomToFit();
    else if (zoomState_ == qrZoomToWidth)
        ZoomToWidth();
    else
        ApplyZoom();
}

void TQRPreview::RefreshPage() {
    if (!printer_ || image_->PageMetafile() || image_->PageNumber() > printer_->AvailablePages()) return;
    const auto* report = dynamic_cast<const TCustomRazorUze*>(printer_->ParentReport());
    if (report && report->PreviewSettings().PrevInitialZoom == qrZoomToWidth) ZoomToWidth();
    image_->SetPageNumber(image_->PageNumber());
}

void TQRPreview::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        // The arrows scroll the page rather than move the focus.
        Message.Result = DLGC_WANTARROWS;
        return;
    case kProgressMessage:
        if (OnProgressUpdate) OnProgressUpdate(this, Integer(Message.WParam));
        return;
    case kPagesMessage: {
        const auto count = Integer(Message.WParam);
        if (count == pageNumber_) RefreshPage();
        if (OnPageAvailable) OnPageAvailable(this, count);
        return;
    }
    default:
        TScrollBox::WndProc(Message);
    }
}

// ------------------------------------------------------------ links

void AddQRHyperlinkHandler(const QString& prefix, TQRHyperlinkHandler handler) {
    HyperlinkHandlers().push_back({prefix, std::move(handler)});
}

void ClearQRHyperlinkHandlers() {
    HyperlinkHandlers().clear();
}

void OpenHyperlink(TWinControl* owner, const QString& Link) {
    const QString prefix = Link.left(4).toUpper();
    if (prefix == QLatin1String("EXT:")) {
        OpenWithShell(owner, Link.mid(4));
    } else if (prefix == QLatin1String("INT:")) {
        PassToHandlers(owner, Link.mid(4));
    } else if (!PassToHandlers(owner, Link)) {
        OpenWithShell(owner, Link);
    }
}

// ------------------------------------------------------------ start-up

namespace {

// The engine shows its pages and its printing progress in these windows;
// the report printer refers to this unit, so every program that prints
// has them.
const bool registered = [] {
    RegisterQRPreviewInterface(
        [](TComponent* owner) { return std::make_unique<TQRStandardPreviewInterface>(owner); });
    RegisterQRProgressForm([](TQRPrinter* printer) -> std::unique_ptr<TCustomForm> {
        return std::make_unique<TQRProgressForm>(Application, printer);
    });
    return true;
}();

}  // namespace
