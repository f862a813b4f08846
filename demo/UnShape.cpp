// Layout (client 756 x 374): the caption "TZvShape" at the top, then the 76
// shapes in a grid of 14 columns on a 53 x 42 pitch, each 45 x 36; shape n
// (from 0) is kind n mod 24 in setting n div 24:
//   0  black 1-pixel pen, white brush
//   1  navy 3-pixel pen, aqua brush
//   2  red 1-pixel pen, no brush
//   3  green 5-pixel pen, yellow brush (the first four kinds only)
// Below, the caption "TShape" and the framework's six kinds plus a
// rectangle with a 3-pixel pen on the same pitch.
#include "UnShape.h"

#include "ExtCtrls.h"
#include "FormBuild.h"
#include "StdCtrls.h"
#include "UnGridTest.h"
#include "ZvStdCtrls.h"

TForm3* Form3 = nullptr;

namespace {

constexpr Integer kColumns = 14;
constexpr Integer kPitchX = 53;
constexpr Integer kPitchY = 42;
constexpr Integer kShapeWidth = 45;
constexpr Integer kShapeHeight = 36;
constexpr Integer kLeft = 8;
constexpr Integer kZvTop = 24;
constexpr Integer kZvCount = 76;
constexpr Integer kKinds = 24;
constexpr Integer kShapeTop = 304;

struct Setting {
    TColor pen;
    Integer width;
    TColor brush;
    TBrushStyle style;
};
const Setting kSettings[] = {
    {clBlack, 1, clWhite, bsSolid},
    {clNavy, 3, clAqua, bsSolid},
    {clRed, 1, clWhite, bsClear},
    {clGreen, 5, clYellow, bsSolid},
};

TRect Cell(Integer top, Integer n) {
    return Bounds(kLeft + kPitchX * (n % kColumns), top + kPitchY * (n / kColumns), kShapeWidth, kShapeHeight);
}

template <class Shape>
void Apply(Shape* shape, const Setting& s) {
    shape->Pen()->SetColor(s.pen);
    shape->Pen()->SetWidth(s.width);
    shape->Brush()->SetColor(s.brush);
    shape->Brush()->SetStyle(s.style);
}

}  // namespace

TForm3::TForm3(TComponent* AOwner) : TForm(AOwner) {
    BeginLoading();
    buildForm();
    EndLoading();
}

void TForm3::buildForm() {
    SetName(QStringLiteral("Form3"));
    SetCaption(QStringLiteral("Form3"));
    SetClientSize(756, 374);
    SetPosition(poScreenCenter);
    Font()->SetName(QStringLiteral("ＭＳ Ｐゴシック"));
    Font()->SetHeight(-13);
    OnShow = [this](TObject* s) { FormShow(s); };
    OnClick = [this](TObject* s) { FormClick(s); };

    Label1 = MakeControl<TLabel>(this, this, QStringLiteral("Label1"), Bounds(kLeft, 4, 120, 16));
    Label1->SetCaption(QStringLiteral("TZvShape"));
    Label1->SetTag(1);
    buildZvShapes();
    Label2 = MakeControl<TLabel>(this, this, QStringLiteral("Label2"), Bounds(kLeft, kShapeTop - 20, 120, 16));
    Label2->SetCaption(QStringLiteral("TShape"));
    Label2->SetTag(1);
    buildShapes();
}

void TForm3::buildZvShapes() {
    for (Integer n = 0; n < kZvCount; ++n) {
        auto* shape = MakeControl<TZvShape>(this, this, QStringLiteral("ZvShape%1").arg(n + 1), Cell(kZvTop, n));
        shape->SetShape(TZvShapeType(n % kKinds));
        Apply(shape, kSettings[n / kKinds]);
        ZvShapes.push_back(shape);
    }
}

void TForm3::buildShapes() {
    const TShapeType kinds[] = {stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle, stRectangle};
    for (Integer n = 0; n < 7; ++n) {
        auto* shape = MakeControl<TShape>(this, this, QStringLiteral("Shape%1").arg(n + 1), Cell(kShapeTop, n));
        shape->SetShape(kinds[n]);
        Apply(shape, kSettings[n == 6 ? 1 : 0]);
        Shapes.push_back(shape);
    }
}

void TForm3::FormShow(TObject*) { ClearSlip(this); }

void TForm3::FormClick(TObject*) { Close(); }
