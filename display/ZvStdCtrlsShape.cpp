// The shape control: 24 figures from the control's size and pen width.
#include "ZvStdCtrls.h"

#include <algorithm>

using enum TZvShapeType;

TZvShape::TZvShape(TComponent* AOwner)
    : TGraphicControl(AOwner), pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>()) {
    SetControlStyle(ControlStyle() + csReplicatable);
    SetBounds(0, 0, 65, 65);
    pen_->OnChange = [this](TObject*) { Invalidate(); };
    brush_->OnChange = [this](TObject*) { Invalidate(); };
}

TZvShape::~TZvShape() = default;

void TZvShape::SetShape(TZvShapeType shape) {
    if (shape_ == shape) return;
    shape_ = shape;
    Invalidate();
}

void TZvShape::line(Integer x1, Integer y1, Integer x2, Integer y2) {
    Canvas()->MoveTo(x1, y1);
    Canvas()->LineTo(x2, y2);
}

// A quarter of an ellipse twice the control's size, centred on the corner
// opposite the named one; equal radial points give the whole ellipse,
// which the control clips. The C kinds add the two inner straight edges.
void TZvShape::paintSector(TZvShapeType kind, Integer w, Integer h, Integer pw) {
    TCanvas* c = Canvas();
    // Every pixel of the control lies within w + h of the outline: a wider
    // pen paints nothing more but takes Qt minutes to stroke.
    const Integer widest = 2 * (w + h);
    if (pw > widest) c->Pen()->SetWidth(widest);
    switch (kind) {
    case stcLTSector: case stcLTCSector: c->Pie(0, 0, 2 * w, 2 * h, 0, 0, 0, 0); break;
    case stcLBSector: case stcLBCSector: c->Pie(0, -h, 2 * w, h, 0, 0, 0, 0); break;
    case stcRTSector: case stcRTCSector: c->Pie(-w, 0, w, 2 * h, 0, 0, 0, 0); break;
    default: c->Pie(-w, -h, w, h, 0, 0, 0, 0); break;
    }
    c->Pen()->SetWidth(pen_->Width());
    auto edges = [c](TPoint a, TPoint b, TPoint d) {
        c->MoveTo(a.X, a.Y);
        c->LineTo(b.X, b.Y);
        c->LineTo(d.X, d.Y);
    };
    switch (kind) {
    case stcLTCSector: edges({0, h - pw}, {w - pw, h - pw}, {w - pw, 0}); break;
    case stcLBCSector: edges({0, 0}, {w - pw, 0}, {w - pw, h - pw}); break;
    case stcRTCSector: edges({0, 0}, {0, h - pw}, {w - pw, h - pw}); break;
    case stcRBCSector: edges({0, h - pw}, {0, 0}, {w - pw, 0}); break;
    default: break;
    }
}

void TZvShape::Paint() {
    TCanvas* c = Canvas();
    c->SetPen(pen_.get());
    c->SetBrush(brush_.get());
    const Integer pw = std::max(0, pen_->Width());
    const Integer W = Width(), H = Height();
    if (W <= 0 || H <= 0) return;
    Integer x = pw / 2, y = x;
    Integer w = W - pw + 1, h = H - pw + 1;
    if (pw == 0) {
        --w;
        --h;
    }
    const Integer s = std::min(w, h);
    const bool square = shape_ == stcSquare || shape_ == stcRoundSquare || shape_ == stcCircle;
    if (square) {
        x += (w - s) / 2;
        y += (h - s) / 2;
        w = s;
        h = s;
    }
    // A pen wider than the control leaves no room for a closed figure.
    const bool roomForFigure = w > 0 && h > 0;
    switch (shape_) {
    case stcRectangle: case stcSquare:
        if (roomForFigure) c->Rectangle(x, y, x + w, y + h);
        break;
    case stcRoundRect: case stcRoundSquare:
        if (roomForFigure) c->RoundRect(x, y, x + w, y + h, s / 4, s / 4);
        break;
    case stcEllipse: case stcCircle:
        if (roomForFigure) c->Ellipse(x, y, x + w, y + h);
        break;
    case stcVertLine: line(W / 2, 0, W / 2, H); break;
    case stcHorLine: line(0, H / 2, W, H / 2); break;
    case stcTopAndBottom:
        line(0, 0, W, 0);
        line(0, H - 1, W, H - 1);
        break;
    case stcRightAndLeft:
        line(0, 0, 0, H);
        line(W - 1, 0, W - 1, H);
        break;
    case stcLeftTop: line(0, 0, W, H); break;
    case stcLeftBottom: line(0, H, W, 0); break;
    case stcLeftLine: line(0, 0, 0, H); break;
    case stcTopLine: line(0, 0, W, 0); break;
    case stcRightLine: line(W - pw, 0, W - pw, H); break;
    case stcBottomLine: line(0, H - pw, W, H - pw); break;
    default: paintSector(shape_, W, H, pw); break;
    }
}
