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
    running = true;
    try {
        placeInPanel();
    } catch (...) {
        running = false;
        throw;
    }
    running = false;
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
