// The shape control: every kind drawn on a real form and compared with the
// figure its size and pen width call for, worked out by hand; corners and
// edges checked pixel by pixel; the pop-up menu on a right click.
#include "Menus.h"
#include "ZvStdCtrls.h"
#include "ZvStdCtrlsTestSupport.h"

#include <QtCore/QElapsedTimer>
#include <QtTest/QTest>

#include <vector>

namespace {

using enum TZvShapeType;

const QRgb Black = 0x000000, Red = 0xFF0000, White = 0xFFFFFF;

QRgb At(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}

struct ShapeCase {
    const char* name;
    TZvShapeType kind;
    Integer w, h, pen;
    std::function<void(TCanvas*)> expected;
};

void Line(TCanvas* c, Integer x1, Integer y1, Integer x2, Integer y2) {
    c->MoveTo(x1, y1);
    c->LineTo(x2, y2);
}

void Path(TCanvas* c, TPoint a, TPoint b, TPoint d) {
    c->MoveTo(a.X, a.Y);
    c->LineTo(b.X, b.Y);
    c->LineTo(d.X, d.Y);
}

// Expected figures: x = y = pw div 2, w = W - pw + 1 (one less for pen 0),
// square kinds centred on the smaller side, corner ellipse s div 4.
std::vector<ShapeCase> Cases() {
    return {
        {"RectanglePen1", stcRectangle, 40, 30, 1, [](TCanvas* c) { c->Rectangle(0, 0, 40, 30); }},
        {"RectanglePen0", stcRectangle, 40, 30, 0, [](TCanvas* c) { c->Rectangle(0, 0, 40, 30); }},
        {"RectanglePen2", stcRectangle, 40, 30, 2, [](TCanvas* c) { c->Rectangle(1, 1, 40, 30); }},
        {"Square", stcSquare, 100, 60, 1, [](TCanvas* c) { c->Rectangle(20, 0, 80, 60); }},
        {"RoundRect", stcRoundRect, 65, 65, 1, [](TCanvas* c) { c->RoundRect(0, 0, 65, 65, 16, 16); }},
        {"RoundSquare", stcRoundSquare, 80, 50, 1, [](TCanvas* c) { c->RoundRect(15, 0, 65, 50, 12, 12); }},
        {"Ellipse", stcEllipse, 50, 30, 1, [](TCanvas* c) { c->Ellipse(0, 0, 50, 30); }},
        {"CirclePen3", stcCircle, 50, 30, 3, [](TCanvas* c) { c->Ellipse(11, 1, 39, 29); }},
        {"VertLine", stcVertLine, 41, 30, 1, [](TCanvas* c) { Line(c, 20, 0, 20, 30); }},
        {"HorLine", stcHorLine, 40, 31, 1, [](TCanvas* c) { Line(c, 0, 15, 40, 15); }},
        {"TopAndBottom", stcTopAndBottom, 40, 30, 1,
         [](TCanvas* c) {
             Line(c, 0, 0, 40, 0);
             Line(c, 0, 29, 40, 29);
         }},
        {"RightAndLeft", stcRightAndLeft, 40, 30, 1,
         [](TCanvas* c) {
             Line(c, 0, 0, 0, 30);
             Line(c, 39, 0, 39, 30);
         }},
        {"LeftTop", stcLeftTop, 40, 30, 1, [](TCanvas* c) { Line(c, 0, 0, 40, 30); }},
        {"LeftBottom", stcLeftBottom, 40, 30, 1, [](TCanvas* c) { Line(c, 0, 30, 40, 0); }},
        {"LTSector", stcLTSector, 40, 30, 1, [](TCanvas* c) { c->Ellipse(0, 0, 80, 60); }},
        {"LBSector", stcLBSector, 40, 30, 1, [](TCanvas* c) { c->Ellipse(0, -30, 80, 30); }},
        {"RTSector", stcRTSector, 40, 30, 1, [](TCanvas* c) { c->Ellipse(-40, 0, 40, 60); }},
        {"RBSector", stcRBSector, 40, 30, 1, [](TCanvas* c) { c->Ellipse(-40, -30, 40, 30); }},
        {"LTCSector", stcLTCSector, 40, 30, 1,
         [](TCanvas* c) {
             c->Ellipse(0, 0, 80, 60);
             Path(c, {0, 29}, {39, 29}, {39, 0});
         }},
        {"LBCSector", stcLBCSector, 40, 30, 1,
         [](TCanvas* c) {
             c->Ellipse(0, -30, 80, 30);
             Path(c, {0, 0}, {39, 0}, {39, 29});
         }},
        {"RTCSectorPen2", stcRTCSector, 40, 30, 2,
         [](TCanvas* c) {
             c->Ellipse(-40, 0, 40, 60);
             Path(c, {0, 0}, {0, 28}, {38, 28});
         }},
        {"RBCSector", stcRBCSector, 40, 30, 1,
         [](TCanvas* c) {
             c->Ellipse(-40, -30, 40, 30);
             Path(c, {0, 29}, {0, 0}, {39, 0});
         }},
        {"LeftLine", stcLeftLine, 40, 30, 1, [](TCanvas* c) { Line(c, 0, 0, 0, 30); }},
        {"TopLine", stcTopLine, 40, 30, 1, [](TCanvas* c) { Line(c, 0, 0, 40, 0); }},
        {"RightLinePen3", stcRightLine, 40, 30, 3, [](TCanvas* c) { Line(c, 37, 0, 37, 30); }},
        {"BottomLinePen2", stcBottomLine, 40, 30, 2, [](TCanvas* c) { Line(c, 0, 28, 40, 28); }},
    };
}

class ZvShapeTest : public DisplayFormTest {
protected:
    TZvShape* NewShape(TZvShapeType kind, Integer w, Integer h, Integer pen) {
        auto* shape = Place(new TZvShape(form.get()), 20, 20, w, h);
        shape->SetShape(kind);
        shape->Pen()->SetWidth(pen);
        shape->Brush()->SetColor(clRed);
        return shape;
    }
};

}  // namespace

TEST_F(ZvShapeTest, EveryKindDrawsTheFigureItsSizeAndPenCallFor) {
    for (const ShapeCase& k : Cases()) {
        SCOPED_TRACE(k.name);
        TZvShape* shape = NewShape(k.kind, k.w, k.h, k.pen);
        const QImage drawn = GrabControl(shape, QStringLiteral("ZvShape_%1").arg(QLatin1String(k.name)));
        const QImage expected = Reference(k.w, k.h, [&](TCanvas* c) {
            c->Pen()->SetWidth(k.pen);
            c->Brush()->SetColor(clRed);
            k.expected(c);
        });
        EXPECT_EQ(drawn, expected);
        EXPECT_NE(InkBox(drawn), TRect()) << "nothing drawn";
        delete shape;
    }
}

TEST_F(ZvShapeTest, RectangleAndSquareEdgesLieWhereThePenWidthPutsThem) {
    // Pens 0 and 1 outline the whole control.
    for (Integer pen : {0, 1}) {
        TZvShape* shape = NewShape(stcRectangle, 40, 30, pen);
        const QImage drawn = GrabControl(shape);
        EXPECT_EQ(InkBox(drawn), TRect(0, 0, 40, 30)) << pen;
        EXPECT_EQ(At(drawn, 0, 0), Black);
        EXPECT_EQ(At(drawn, 39, 29), Black);
        EXPECT_EQ(At(drawn, 20, 15), Red);
        delete shape;
    }
    // The square of a 100 x 60 control stands 60 wide from x = 20.
    TZvShape* square = NewShape(stcSquare, 100, 60, 1);
    const QImage drawn = GrabControl(square, QStringLiteral("ZvShape_square_edges"));
    EXPECT_EQ(InkBox(drawn), TRect(20, 0, 80, 60));
    EXPECT_EQ(At(drawn, 20, 30), Black);
    EXPECT_EQ(At(drawn, 79, 30), Black);
    EXPECT_EQ(At(drawn, 19, 30), White);
    EXPECT_EQ(At(drawn, 50, 30), Red);
}

TEST_F(ZvShapeTest, RoundRectCornersAreSixteenPixelEllipses) {
    TZvShape* shape = NewShape(stcRoundRect, 65, 65, 1);
    const QImage drawn = GrabControl(shape, QStringLiteral("ZvShape_roundrect_corner"));
    // The straight left edge begins where the 16-pixel corner ellipse ends.
    EXPECT_EQ(At(drawn, 0, 8), Black);
    EXPECT_EQ(At(drawn, 0, 32), Black);
    EXPECT_EQ(At(drawn, 0, 3), White);
    EXPECT_EQ(At(drawn, 1, 1), White);
    EXPECT_EQ(At(drawn, 8, 0), Black);
}

TEST_F(ZvShapeTest, RightLineStandsPenWidthInsideTheRightEdge) {
    TZvShape* shape = NewShape(stcRightLine, 40, 30, 3);
    const QImage drawn = GrabControl(shape);
    const TRect ink = InkBox(drawn);
    // A 3-pixel pen centred on x = W - 3 = 37.
    EXPECT_EQ(ink.Left + ink.Right, 2 * 37 + 1);
    EXPECT_EQ(At(drawn, 37, 15), Black);
    EXPECT_EQ(At(drawn, 39, 15), White);
}

TEST_F(ZvShapeTest, SectorsShowTheQuarterFacingTheirCornerWithoutRadialLines) {
    struct Corner {
        TZvShapeType kind;
        TPoint outside, inside, radial;
    };
    // 40 x 30: the far corner is inside the ellipse, the named one outside,
    // and the line from the centre to the named corner is not drawn.
    for (const Corner& k : {Corner{stcLTSector, {0, 0}, {39, 29}, {20, 15}},
                            Corner{stcLBSector, {0, 29}, {39, 0}, {20, 15}},
                            Corner{stcRTSector, {39, 0}, {0, 29}, {20, 15}},
                            Corner{stcRBSector, {39, 29}, {0, 0}, {20, 14}}}) {
        SCOPED_TRACE(int(k.kind));
        TZvShape* shape = NewShape(k.kind, 40, 30, 1);
        const QImage drawn = GrabControl(shape);
        EXPECT_EQ(At(drawn, k.outside.X, k.outside.Y), White);
        EXPECT_EQ(At(drawn, k.inside.X, k.inside.Y), Red);
        EXPECT_EQ(At(drawn, k.radial.X, k.radial.Y), Red);
        delete shape;
    }
}

TEST_F(ZvShapeTest, DegenerateSizesAndPensDrawNothingWrong) {
    // A pen wider than the control leaves no room for a closed figure.
    for (TZvShapeType kind : {stcRectangle, stcSquare, stcRoundRect, stcRoundSquare, stcEllipse, stcCircle}) {
        TZvShape* shape = NewShape(kind, 6, 6, 12);
        EXPECT_EQ(InkBox(GrabControl(shape)), TRect()) << int(kind);
        delete shape;
    }
    // No size at all: every kind paints without failing.
    for (int kind = 0; kind <= int(stcBottomLine); ++kind) {
        TZvShape* shape = NewShape(TZvShapeType(kind), 0, 0, 1);
        EXPECT_NO_THROW(Grab());
        delete shape;
    }
}

TEST_F(ZvShapeTest, ChangesOfPenBrushAndKindRepaint) {
    TZvShape* shape = NewShape(stcRectangle, 40, 30, 1);
    EXPECT_EQ(At(GrabControl(shape), 20, 15), Red);
    shape->Brush()->SetColor(clBlue);
    EXPECT_EQ(At(GrabControl(shape), 20, 15), 0x0000FFu);
    shape->Pen()->SetColor(clLime);
    EXPECT_EQ(At(GrabControl(shape), 0, 0), 0x00FF00u);
    shape->SetShape(stcTopLine);
    EXPECT_EQ(At(GrabControl(shape), 20, 15), White);
}

TEST_F(ZvShapeTest, RightClickPopsUpItsMenuUnlessContextPopupHandledIt) {
    TZvShape* shape = NewShape(stcRectangle, 60, 40, 1);
    auto* menu = new TPopupMenu(form.get());
    shape->SetPopupMenu(menu);
    int shown = 0;
    TPoint shownAt;
    SetPopupHook([&](TPopupMenu* m, TPoint at) -> TMenuItem* {
        if (m == menu) ++shown;
        shownAt = at;
        return nullptr;
    });
    Grab();
    MouseClick(form.get(), QPoint(30, 25), Qt::RightButton);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(menu->PopupComponent(), shape);
    EXPECT_EQ(shownAt, form->ClientToScreen(TPoint(30, 25)));

    TPoint offered(-5, -5);
    shape->OnContextPopup = [&](TObject*, TPoint pos, bool& handled) {
        offered = pos;
        handled = true;
    };
    MouseClick(form.get(), QPoint(35, 30), Qt::RightButton);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(offered, TPoint(15, 10));
    SetPopupHook(nullptr);

    // The menu going away clears the shape's reference.
    delete menu;
    EXPECT_EQ(shape->PopupMenu(), nullptr);
}

// A sector's pen far wider than the control covers all of it, and is drawn
// as quickly as a narrow one (Qt took seconds over it, minutes at 100000 pixels).
TEST_F(ZvShapeTest, SectorWithAPenWiderThanTheControlFillsItQuickly) {
    for (TZvShapeType kind : {stcLTSector, stcLBSector, stcRTSector, stcRBSector, stcLTCSector, stcLBCSector,
                              stcRTCSector, stcRBCSector}) {
        SCOPED_TRACE(int(kind));
        TZvShape* shape = NewShape(kind, 40, 30, 12000);
        QElapsedTimer clock;
        clock.start();
        const QImage drawn = GrabControl(shape);
        EXPECT_LT(clock.elapsed(), 1000);
        EXPECT_EQ(ColorBox(drawn, Black), TRect(0, 0, 40, 30));
        EXPECT_EQ(ColorBox(drawn, Red), TRect());
        EXPECT_EQ(ColorBox(drawn, White), TRect());
        delete shape;
    }
}
