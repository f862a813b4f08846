// Placement of edit and combo boxes inside a parent panel: the box sizes
// itself from DisplayWidth and its font, places itself by HorizontalAlign
// and VerticalAlign, and with FitToParent makes the panel fit around it.
#include "SEdit.h"

#include "ExtCtrls.h"

namespace {

// The panel's client area less padding, border width and bevels.
TRect UsableRect(TWinControl* control) {
    TRect r = control->ClientRect();
    control->AdjustClientRect(r);
    return r;
}

// What the box's own frame takes from its height and width.
TSize FrameOf(TCustomEdit* box) {
    TRect inner = UsableRect(box);
    if (box->BorderStyle() == bsSingle && !box->Ctl3D()) InflateRect(inner, -1, -1);
    return {box->Width() - inner.Width(), box->Height() - inner.Height()};
}

// The width of count letters "W" in the box's font set in the fixed-pitch
// face that display widths are counted in.
Integer LettersWidth(const TControl* box, Integer count) {
    TCanvas canvas;
    canvas.Font()->Assign(box->Font());
    canvas.Font()->SetName(QStringLiteral("ＭＳ ゴシック"));
    return canvas.TextWidth(QString(count, u'W'));
}

Integer TextHeightOf(const TControl* box) {
    TCanvas canvas;
    canvas.Font()->Assign(box->Font());
    return canvas.TextHeight(QStringLiteral("|"));
}

}  // namespace

void TCEdit::Layout() {
    // One run at a time for all edit boxes: placing the box or its panel
    // comes back here.
    static bool running = false;
    if (running || IsLoading() || ComponentState().Contains(csReading)) return;
    TFlagScope guard(running);
    placeInPanel();
}

void TCEdit::placeInPanel() {
    SetHostPanel(nullptr);
    auto* host = dynamic_cast<TPanel*>(Parent());
    if (!host) return;
    SetHostPanel(host);
    Integer requiredWidth = host->Width();
    Integer requiredHeight = host->Height();
    SetRequiredSize(requiredWidth, requiredHeight);
    if (FitToParent()) {
        if (host->AlignDisabled()) return;
        if (host->Align() != alNone && host->Parent()) host->Parent()->Realign();
    }
    const TSize frame = FrameOf(this);
    TRect r = UsableRect(host);
    if (VerticalAlign() == vaClient) {
        SetBounds(Left(), r.Top, Width(), r.Height());
    } else {
        if (AutoSize() && BorderStyle() == bsNone) SetHeight(TextHeightOf(this) + frame.cy);
        if (!FitToParent()) {
            requiredHeight = Height();
        } else {
            host->SetAutoSize(false);
            const Integer f = host->Height() - r.Height();
            const TAlign a = host->Align();
            if ((a == alNone || a == alTop || a == alBottom) && r.Height() != Height()) host->SetHeight(Height() + f);
            requiredHeight = f + Height();
        }
        r = UsableRect(host);
        switch (VerticalAlign()) {
        case vaTop: SetTop(r.Top); break;
        case vaCenter: SetTop(r.Top + (r.Height() - Height()) / 2); break;
        case vaBottom: SetTop(r.Bottom - Height()); break;
        default: break;
        }
    }
    if (HorizontalAlign() == haClient) {
        SetBounds(r.Left, Top(), r.Width(), Height());
    } else {
        if (displayWidth_ > 0)
            SetWidth(frame.cx + LettersWidth(this, displayWidth_) + 2 * GetSystemMetrics(SM_CXBORDER));
        if (!FitToParent()) {
            requiredWidth = Width();
        } else {
            host->SetAutoSize(false);
            const Integer f = host->Width() - r.Width();
            const TAlign a = host->Align();
            if ((a == alNone || a == alLeft || a == alRight) && r.Width() != Width()) host->SetWidth(Width() + f);
            requiredWidth = f + Width();
        }
        r = UsableRect(host);
        switch (HorizontalAlign()) {
        case haLeft: SetLeft(r.Left); break;
        case haCenter: SetLeft(r.Left + (r.Width() - Width()) / 2); break;
        case haRight: SetLeft(r.Right - Width()); break;
        default: break;
        }
    }
    SetRequiredSize(requiredWidth, requiredHeight);
    if (FitToParent()) host->SetColor(Color());
}

// ------------------------------------------------------------ combo box

void TSComboBox::Layout() {
    // Placing the box comes back here through RequestAlign and
    // ConstrainedResize: one run at a time.
    if (layingOut_) return;
    TFlagScope guard(layingOut_);
    placeInPanel();
}

// A flat box reaches h pixels past the usable area on the left and right
// and b pixels above or below it, so that the panel hides its frame; with
// HideButton the panel is narrower than the box by the button.
void TSComboBox::placeInPanel() {
    SetHostPanel(nullptr);
    auto* host = dynamic_cast<TPanel*>(Parent());
    if (!host) return;
    SetHostPanel(host);
    Integer requiredWidth = RequiredWidth();
    Integer requiredHeight = host->Height();
    TRect r = UsableRect(host);
    const Integer e = Width() - UsableRect(this).Width();
    const Integer insetWidth = host->Width() - r.Width();
    const Integer insetHeight = host->Height() - r.Height();
    const Integer h = Flat() ? e / 2 : 0;
    const Integer b = Flat() ? (Themed() ? e / 4 : e / 2) : 0;
    const Integer t = !Themed() ? 0 : Flat() ? 1 : -1;
    const Integer button = GetSystemMetrics(SM_CXHTHUMB);

    const TVerticalAlign va = VerticalAlign();
    if (va == vaClient) {
        SetTop(r.Top);
    } else if (va != vaNone && FitToParent()) {
        host->SetAutoSize(false);
        requiredHeight = Height() - 2 * b + insetHeight;
        const TAlign a = host->Align();
        if (a != alLeft && a != alRight && a != alClient) host->SetHeight(requiredHeight);
        r = UsableRect(host);
        if (va == vaTop) SetTop(r.Top - b);
        else if (va == vaCenter) SetTop(r.Top + (r.Height() - Height()) / 2);
        else SetTop(r.Bottom - Height() + b);
    }

    const THorizontalAlign ha = HorizontalAlign();
    if (ha == haClient) {
        SetBounds(r.Left, Top(), r.Width(), Height());
    } else if (ha != haNone && FitToParent()) {
        if (DisplayWidth() > 0) SetWidth(LettersWidth(this, DisplayWidth()) + button + e + 3);
        host->SetAutoSize(false);
        const Integer hidden = !HideButton() ? 0 : (DisplayWidth() > 0 && Flat()) ? button + 1 : button;
        requiredWidth = Width() - 2 * h + t + insetWidth - hidden;
        const TAlign a = host->Align();
        if (a != alTop && a != alBottom && a != alClient) host->SetWidth(requiredWidth);
        r = UsableRect(host);
        if (ha == haLeft) SetLeft(r.Left - h);
        else if (ha == haCenter) SetLeft(r.Left + (r.Width() - Width()) / 2);
        else SetLeft(r.Right - Width() + h);
    }
    SetRequiredSize(requiredWidth, requiredHeight);
}
