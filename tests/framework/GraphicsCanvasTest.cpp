// Pixel rules of the canvas figures, clipping, device-context state and
// binding to a painter.
#include "Graphics.h"
#include "GraphicsTestSupport.h"
#include "TestSupport.h"

#include <QtGui/QPainter>

#include <gtest/gtest.h>

namespace {

TEST(GraphicsCanvasLines, LineToLeavesOutItsEndPointInEveryDirection) {
    auto b = WhiteBitmap(12, 12);
    TCanvas* c = b->Canvas();
    c->MoveTo(0, 0);
    c->LineTo(5, 0);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(PixelAt(*b, x, 0), 0u) << x;
    EXPECT_EQ(PixelAt(*b, 5, 0), 0xFFFFFFu);
    EXPECT_EQ(c->PenPos(), TPoint(5, 0));

    c->MoveTo(0, 2);
    c->LineTo(5, 7);
    EXPECT_EQ(PixelAt(*b, 0, 2), 0u);
    EXPECT_EQ(PixelAt(*b, 4, 6), 0u);
    EXPECT_EQ(PixelAt(*b, 5, 7), 0xFFFFFFu);

    // Drawn backwards, the start is painted and the end left out.
    c->MoveTo(11, 2);
    c->LineTo(7, 6);
    EXPECT_EQ(PixelAt(*b, 11, 2), 0u);
    EXPECT_EQ(PixelAt(*b, 8, 5), 0u);
    EXPECT_EQ(PixelAt(*b, 7, 6), 0xFFFFFFu);
}

// Solid lines along an axis go as one run of pixels: the same pixels in
// every direction, clipped or not, and one rectangle for the painter.
TEST(GraphicsCanvasLines, SolidAxisLinesAreOneRunInEveryDirection) {
    auto b = WhiteBitmap(20, 20);
    TCanvas* c = b->Canvas();
    const auto line = [c](TPoint from, TPoint to) {
        c->MoveTo(from.X, from.Y);
        c->LineTo(to.X, to.Y);
    };
    line({2, 1}, {9, 1});      // right
    line({9, 3}, {2, 3});      // left
    line({12, 2}, {12, 9});    // down
    line({14, 9}, {14, 2});    // up
    line({-2000000000, 15}, {5, 15});  // from far outside, up to x 4
    line({19, 17}, {2000000000, 17});  // one pixel, the rest outside
    QImage expected(20, 20, QImage::Format_RGB32);
    expected.fill(Qt::white);
    for (int x = 2; x < 9; ++x) expected.setPixel(x, 1, 0);
    for (int x = 3; x <= 9; ++x) expected.setPixel(x, 3, 0);
    for (int y = 2; y < 9; ++y) expected.setPixel(12, y, 0);
    for (int y = 3; y <= 9; ++y) expected.setPixel(14, y, 0);
    for (int x = 0; x < 5; ++x) expected.setPixel(x, 15, 0);
    expected.setPixel(19, 17, 0);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(PixelAt(*b, x, y), expected.pixel(x, y) & 0xFFFFFF) << x << "," << y;

    TCountingDevice device(400, 100);
    TCanvas counted;
    counted.SetDevice(&device);
    counted.MoveTo(390, 10);
    counted.LineTo(10, 10);
    counted.MoveTo(20, 90);
    counted.LineTo(20, 5);
    EXPECT_EQ(device.Counted().Rects, 2);
}

TEST(GraphicsCanvasLines, PolylinePaintsEveryPointButTheLast) {
    auto b = WhiteBitmap(10, 10);
    b->Canvas()->Polyline({{0, 0}, {4, 0}, {4, 4}});
    EXPECT_EQ(PixelAt(*b, 0, 0), 0u);
    EXPECT_EQ(PixelAt(*b, 4, 0), 0u);  // a corner is painted once
    EXPECT_EQ(PixelAt(*b, 4, 3), 0u);
    EXPECT_EQ(PixelAt(*b, 4, 4), 0xFFFFFFu);
    EXPECT_EQ(InkCount(b->Image(), TRect(0, 0, 10, 10)), 8);
}

TEST(GraphicsCanvasLines, DottedPenPaintsThreeOnThreeOffAndGapsFollowTheBackgroundMode) {
    auto b = WhiteBitmap(20, 4);
    TCanvas* c = b->Canvas();
    c->Pen()->SetStyle(psDot);
    c->Brush()->SetStyle(bsClear);  // transparent background: gaps untouched
    c->MoveTo(0, 0);
    c->LineTo(12, 0);
    const std::string expected = "###...###...";
    for (int x = 0; x < 12; ++x) EXPECT_EQ(IsWhite(b->Image(), x, 0), expected[size_t(x)] == '.') << x;

    c->Brush()->SetColor(clRed);  // solid: opaque background in the brush colour
    c->MoveTo(0, 2);
    c->LineTo(12, 2);
    EXPECT_EQ(PixelAt(*b, 1, 2), 0u);
    EXPECT_EQ(PixelAt(*b, 4, 2), RgbOf(clRed));
}

TEST(GraphicsCanvasLines, WidePensDrawSolidWhateverTheStyle) {
    auto b = WhiteBitmap(40, 10);
    TCanvas* c = b->Canvas();
    c->Pen()->SetWidth(3);
    c->Pen()->SetStyle(psDash);
    c->MoveTo(2, 5);
    c->LineTo(37, 5);
    for (int x = 3; x < 36; ++x) EXPECT_EQ(PixelAt(*b, x, 5), 0u) << x;
    EXPECT_EQ(PixelAt(*b, 20, 4), 0u);
    EXPECT_EQ(PixelAt(*b, 20, 6), 0u);
    EXPECT_EQ(PixelAt(*b, 20, 8), 0xFFFFFFu);
}

TEST(GraphicsCanvasFigures, FillRectExcludesRightAndBottom) {
    auto b = WhiteBitmap(12, 12);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clBlue);
    c->FillRect(TRect(0, 0, 10, 10));
    EXPECT_EQ(PixelAt(*b, 9, 9), RgbOf(clBlue));
    EXPECT_EQ(PixelAt(*b, 10, 9), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(*b, 9, 10), 0xFFFFFFu);
    EXPECT_EQ(InkCount(b->Image(), TRect(0, 0, 12, 12)), 100);
}

TEST(GraphicsCanvasFigures, RectangleOutlinesColumnsZeroAndNine) {
    auto b = WhiteBitmap(12, 12);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clYellow);
    c->Rectangle(0, 0, 10, 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(PixelAt(*b, 0, i), 0u);
        EXPECT_EQ(PixelAt(*b, 9, i), 0u);
        EXPECT_EQ(PixelAt(*b, i, 0), 0u);
        EXPECT_EQ(PixelAt(*b, i, 9), 0u);
    }
    EXPECT_EQ(PixelAt(*b, 1, 1), RgbOf(clYellow));
    EXPECT_EQ(PixelAt(*b, 8, 8), RgbOf(clYellow));
    EXPECT_EQ(PixelAt(*b, 10, 5), 0xFFFFFFu);
}

TEST(GraphicsCanvasFigures, PenWidthZeroAndOneGiveTheSameRectangleAndWidthTwoGrowsOutward) {
    auto one = WhiteBitmap(20, 20), zero = WhiteBitmap(20, 20), two = WhiteBitmap(20, 20);
    one->Canvas()->Rectangle(0, 0, 20, 20);
    zero->Canvas()->Pen()->SetWidth(0);
    zero->Canvas()->Rectangle(0, 0, 20, 20);
    EXPECT_EQ(one->Image(), zero->Image());

    // A 2-pixel pen on Rectangle(1, 1, 20, 20) covers columns 0-1 and 18-19.
    two->Canvas()->Pen()->SetWidth(2);
    two->Canvas()->Rectangle(1, 1, 20, 20);
    EXPECT_EQ(PixelAt(*two, 0, 10), 0u);
    EXPECT_EQ(PixelAt(*two, 1, 10), 0u);
    EXPECT_EQ(PixelAt(*two, 2, 10), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(*two, 18, 10), 0u);
    EXPECT_EQ(PixelAt(*two, 19, 10), 0u);
    EXPECT_EQ(PixelAt(*two, 17, 10), 0xFFFFFFu);
}

TEST(GraphicsCanvasFigures, ClearPenFillsOnePixelLessOnTheRightAndBottom) {
    auto b = WhiteBitmap(12, 12);
    TCanvas* c = b->Canvas();
    c->Pen()->SetStyle(psClear);
    c->Brush()->SetColor(clGreen);
    c->Rectangle(0, 0, 10, 10);
    EXPECT_EQ(PixelAt(*b, 8, 8), RgbOf(clGreen));
    EXPECT_EQ(PixelAt(*b, 9, 8), 0xFFFFFFu);
    EXPECT_EQ(InkCount(b->Image(), TRect(0, 0, 12, 12)), 81);
}

TEST(GraphicsCanvasFigures, RoundRectTakesCornerDiameters) {
    auto b = WhiteBitmap(100, 100);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clAqua);
    c->RoundRect(0, 0, 100, 100, 50, 50);
    SaveTestImage(b->Image(), QStringLiteral("canvas-roundrect"));
    // Corner circle of radius 25 centred at (25, 25): its 45-degree point is
    // near (7.3, 7.3).
    EXPECT_EQ(PixelAt(*b, 4, 4), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(*b, 12, 12), RgbOf(clAqua));
    EXPECT_EQ(PixelAt(*b, 50, 0), 0u);
    EXPECT_EQ(PixelAt(*b, 0, 50), 0u);
    EXPECT_EQ(PixelAt(*b, 99, 50), 0u);
    EXPECT_EQ(PixelAt(*b, 50, 99), 0u);
    // The straight part of the top edge spans the middle between the corners.
    EXPECT_EQ(PixelAt(*b, 25, 0), 0u);
    EXPECT_EQ(PixelAt(*b, 74, 0), 0u);
    EXPECT_EQ(PixelAt(*b, 10, 0), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(*b, 89, 0), 0xFFFFFFu);
    // Four-fold symmetry.
    const QImage img = b->Image();
    EXPECT_EQ(img, img.mirrored(true, false));
    EXPECT_EQ(img, img.mirrored(false, true));
}

TEST(GraphicsCanvasFigures, EllipseIsSymmetricAndInsideItsBox) {
    auto b = WhiteBitmap(40, 30);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clRed);
    c->Ellipse(0, 0, 40, 30);
    const QImage img = b->Image();
    EXPECT_EQ(InkBox(img), TRect(0, 0, 40, 30));
    EXPECT_EQ(img, img.mirrored(true, true));
    EXPECT_EQ(PixelAt(*b, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(*b, 20, 15), RgbOf(clRed));
    EXPECT_EQ(PixelAt(*b, 20, 0), 0u);
}

TEST(GraphicsCanvasFigures, PieRunsCounterClockwiseAndEqualRadialsDrawTheWholeEllipse) {
    auto quarter = WhiteBitmap(41, 41);
    TCanvas* c = quarter->Canvas();
    c->Brush()->SetColor(clRed);
    // From the radial to the right counter-clockwise to the radial upward.
    c->Pie(0, 0, 41, 41, 40, 20, 20, 0);
    EXPECT_EQ(PixelAt(*quarter, 30, 10), RgbOf(clRed));
    EXPECT_EQ(PixelAt(*quarter, 10, 30), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(*quarter, 10, 10), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(*quarter, 20, 10), 0u);  // the upward radial line

    auto whole = WhiteBitmap(41, 41), ellipse = WhiteBitmap(41, 41);
    whole->Canvas()->Pie(0, 0, 41, 41, 0, 0, 0, 0);
    ellipse->Canvas()->Ellipse(0, 0, 41, 41);
    EXPECT_EQ(whole->Image(), ellipse->Image());
}

TEST(GraphicsCanvasFigures, ChordCutsAlongTheLineBetweenTheRadialPoints) {
    auto b = WhiteBitmap(41, 41);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clRed);
    // The upper half: from the right counter-clockwise to the left.
    c->Chord(0, 0, 41, 41, 40, 20, 0, 20);
    EXPECT_EQ(PixelAt(*b, 20, 10), RgbOf(clRed));
    EXPECT_EQ(PixelAt(*b, 20, 30), 0xFFFFFFu);
}

TEST(GraphicsCanvasFigures, PolygonFillsAndClosesItsOutline) {
    auto b = WhiteBitmap(20, 20);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clBlue);
    c->Polygon({{2, 2}, {15, 2}, {15, 15}, {2, 15}});
    EXPECT_EQ(PixelAt(*b, 2, 2), 0u);
    EXPECT_EQ(PixelAt(*b, 15, 15), 0u);
    EXPECT_EQ(PixelAt(*b, 2, 10), 0u);  // closing edge
    EXPECT_EQ(PixelAt(*b, 8, 8), RgbOf(clBlue));
    EXPECT_EQ(PixelAt(*b, 16, 8), 0xFFFFFFu);
}

TEST(GraphicsCanvasFigures, FrameRectUsesTheBrushAndFocusRectTwiceRestores) {
    auto b = WhiteBitmap(12, 12);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clRed);
    c->FrameRect(TRect(1, 1, 11, 11));
    EXPECT_EQ(PixelAt(*b, 1, 5), RgbOf(clRed));
    EXPECT_EQ(PixelAt(*b, 10, 5), RgbOf(clRed));
    EXPECT_EQ(PixelAt(*b, 5, 5), 0xFFFFFFu);

    const QImage before = b->Image();
    c->DrawFocusRect(TRect(0, 0, 12, 12));
    EXPECT_NE(b->Image(), before);
    EXPECT_EQ(PixelAt(*b, 0, 0), 0u);           // inverted white
    EXPECT_EQ(PixelAt(*b, 1, 0), 0xFFFFFFu);    // every other pixel
    c->DrawFocusRect(TRect(0, 0, 12, 12));
    EXPECT_EQ(b->Image(), before);
}

TEST(GraphicsCanvasFigures, GradientEndPixelsAreTheEndColours) {
    auto b = WhiteBitmap(11, 11);
    TCanvas* c = b->Canvas();
    c->GradientFill(TRect(0, 0, 11, 11), clRed, clBlue, gdVertical);
    EXPECT_EQ(PixelAt(*b, 5, 0), RgbOf(clRed));
    EXPECT_EQ(PixelAt(*b, 5, 10), RgbOf(clBlue));
    for (int y = 0; y < 11; ++y) {
        const QColor px(b->Image().pixel(3, y));
        EXPECT_NEAR(px.red(), 255 - 25.5 * y, 1.0) << y;
        EXPECT_NEAR(px.blue(), 25.5 * y, 1.0) << y;
        EXPECT_EQ(b->Image().pixel(0, y), b->Image().pixel(10, y));  // one colour per line
    }
    GradientFillCanvas(c, clBtnFace, clWhite, TRect(0, 0, 11, 11), gdHorizontal);
    EXPECT_EQ(PixelAt(*b, 0, 4), RgbOf(clBtnFace));
    EXPECT_EQ(PixelAt(*b, 10, 4), 0xFFFFFFu);
}

TEST(GraphicsCanvasFigures, FloodFillStopsAtOtherColours) {
    auto b = WhiteBitmap(20, 20);
    TCanvas* c = b->Canvas();
    c->Brush()->SetStyle(bsClear);
    c->Rectangle(5, 5, 15, 15);
    c->Brush()->SetColor(clLime);
    c->FloodFill(10, 10, clWhite, fsSurface);
    EXPECT_EQ(PixelAt(*b, 10, 10), RgbOf(clLime));
    EXPECT_EQ(PixelAt(*b, 2, 2), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(*b, 5, 10), 0u);
}

// Figures far larger than the target are worked out near the target only:
// the visible part is the same as on a target large enough to hold them.
TEST(GraphicsCanvasFigures, FiguresLargerThanTheTargetDrawTheirVisiblePartUnchanged) {
    auto draw = [](TCanvas* c, Integer shift) {
        c->Pen()->SetWidth(5);
        c->Pen()->SetColor(clNavy);
        c->Brush()->SetStyle(bsCross);
        c->Brush()->SetColor(clRed);
        c->Pie(shift - 300, shift - 20, shift + 60, shift + 400, shift + 60, shift + 100, shift - 300, shift - 20);
        c->Brush()->SetStyle(bsSolid);
        c->Ellipse(shift + 20, shift - 500, shift + 900, shift + 45);
        c->RoundRect(shift - 40, shift + 30, shift + 45, shift + 700, 80, 60);
    };
    auto small = WhiteBitmap(60, 60);
    draw(small->Canvas(), 0);
    auto large = WhiteBitmap(1400, 1400);
    draw(large->Canvas(), 600);
    const QImage crop = large->Image().copy(600, 600, 60, 60);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x)
            ASSERT_EQ(small->Image().pixel(x, y) & 0xFFFFFF, crop.pixel(x, y) & 0xFFFFFF) << x << "," << y;
    EXPECT_GT(InkCount(small->Image(), TRect(0, 0, 60, 60)), 1000);
}

// Lines are stepped near the target only: the visible pixels and dashes
// are those of the whole line drawn on a target large enough to hold it.
TEST(GraphicsCanvasLines, LinesLargerThanTheTargetKeepTheirPixelsAndDashes) {
    auto draw = [](TCanvas* c, Integer shift) {
        c->Pen()->SetStyle(psDashDot);
        c->Pen()->SetColor(clNavy);
        c->Brush()->SetColor(clYellow);
        c->MoveTo(shift - 500, shift - 130);
        c->LineTo(shift + 700, shift + 210);
        c->MoveTo(shift + 10, shift - 900);
        c->LineTo(shift + 47, shift + 300);
        c->MoveTo(shift + 700, shift + 50);
        c->LineTo(shift - 300, shift + 10);
        c->Polyline({{shift - 400, shift + 5}, {shift + 30, shift + 5}, {shift + 30, shift - 700}, {shift + 52, shift + 55}});
    };
    auto small = WhiteBitmap(60, 60);
    draw(small->Canvas(), 0);
    auto large = WhiteBitmap(1800, 1800);
    draw(large->Canvas(), 1000);
    const QImage crop = large->Image().copy(1000, 1000, 60, 60);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x)
            ASSERT_EQ(small->Image().pixel(x, y) & 0xFFFFFF, crop.pixel(x, y) & 0xFFFFFF) << x << "," << y;
    EXPECT_GT(InkCount(small->Image(), TRect(0, 0, 60, 60)), 150);
}

// A page frame at a zoom that reaches the end of the Integer range: only
// what lies on the target is worked out, with sizes past 32 bits.
TEST(GraphicsCanvasFigures, FiguresAcrossTheWholeIntegerRangeDrawTheirVisiblePart) {
    constexpr Integer low = INT32_MIN, high = INT32_MAX;
    auto b = WhiteBitmap(40, 40);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clBlue);
    c->Rectangle(2, 3, high, high);
    EXPECT_EQ(PixelAt(*b, 2, 10), 0u);
    EXPECT_EQ(PixelAt(*b, 10, 3), 0u);
    EXPECT_EQ(PixelAt(*b, 10, 10), RgbOf(clBlue));
    EXPECT_EQ(PixelAt(*b, 1, 10), 0xFFFFFFu);

    // Six times 357913941 above the target: the dots are in step at row 0.
    c->Pen()->SetStyle(psDot);
    c->Brush()->SetStyle(bsClear);
    c->MoveTo(1, -2147483646);
    c->LineTo(1, high);
    const std::string dots = "###...###...";
    for (int y = 0; y < 12; ++y) EXPECT_EQ(IsWhite(b->Image(), 1, y), dots[size_t(y)] == '.') << y;

    // The centre lies at (-0.5, -0.5): the target is inside, right of it.
    auto pie = WhiteBitmap(40, 40);
    pie->Canvas()->Brush()->SetColor(clLime);
    pie->Canvas()->Pie(low, low, high, high, 100, 100, 100, -100);
    EXPECT_EQ(PixelAt(*pie, 30, 5), RgbOf(clLime));
    EXPECT_EQ(PixelAt(*pie, 5, 30), 0xFFFFFFu);
    pie->Canvas()->Brush()->SetColor(clRed);
    pie->Canvas()->Ellipse(low, low, high, high);
    EXPECT_EQ(InkBox(pie->Image()), TRect(0, 0, 40, 40));
    EXPECT_EQ(PixelAt(*pie, 5, 30), RgbOf(clRed));

    // A gradient over the whole range is midway at zero.
    auto g = WhiteBitmap(20, 20);
    g->Canvas()->GradientFill(TRect(0, low, 10, high), clBlack, clWhite, gdVertical);
    g->Canvas()->GradientFill(TRect(10, 0, high, 20), clBlack, clWhite, gdHorizontal);
    EXPECT_EQ(PixelAt(*g, 5, 0), 0x808080u);
    EXPECT_EQ(PixelAt(*g, 5, 19), 0x808080u);
    EXPECT_EQ(PixelAt(*g, 10, 5), 0u);
    EXPECT_EQ(PixelAt(*g, 19, 5), 0u);
}

// A bitmap stretched wider and taller than a QRect holds still maps its
// corners onto the target's corners.
TEST(GraphicsCanvasTargets, BitmapStretchedPastTheIntegerRangeShowsTheRightPart) {
    TBitmap quarters;
    quarters.SetSize(2, 2);
    quarters.Canvas()->SetPixel(0, 0, clRed);
    quarters.Canvas()->SetPixel(1, 0, clLime);
    quarters.Canvas()->SetPixel(0, 1, clBlue);
    quarters.Canvas()->SetPixel(1, 1, clYellow);
    auto b = WhiteBitmap(20, 20);
    b->Canvas()->StretchDraw(TRect(-1, -1, INT32_MAX, INT32_MAX), &quarters);
    EXPECT_EQ(PixelAt(*b, 0, 0), RgbOf(clRed));
    EXPECT_EQ(PixelAt(*b, 19, 19), RgbOf(clRed));
    b->Canvas()->StretchDraw(TRect(INT32_MIN, INT32_MIN, 1, 1), &quarters);
    EXPECT_EQ(PixelAt(*b, 0, 0), RgbOf(clYellow));
    EXPECT_EQ(PixelAt(*b, 1, 1), RgbOf(clRed));
}

TEST(GraphicsCanvasState, BrushSetsTheBackgroundAndFontTheTextColour) {
    TCanvas c;
    c.Brush()->SetColor(clYellow);
    EXPECT_EQ(c.BkMode(), OPAQUE);
    EXPECT_EQ(c.BkColor(), clYellow);
    c.Brush()->SetStyle(bsClear);
    EXPECT_EQ(c.BkMode(), TRANSPARENT);
    c.Brush()->SetColor(clRed);  // a colour makes a clear brush solid again
    EXPECT_EQ(c.Brush()->Style(), bsSolid);
    EXPECT_EQ(c.BkMode(), OPAQUE);
    c.Font()->SetColor(clBtnShadow);
    EXPECT_EQ(c.TextColor(), ColorToRGB(clBtnShadow));
    EXPECT_EQ(c.SetBkMode(TRANSPARENT), OPAQUE);
    EXPECT_EQ(c.SetBkMode(7), 0);  // not a mode
    EXPECT_EQ(c.BkMode(), TRANSPARENT);
}

TEST(GraphicsCanvasState, ClipCallsNarrowAndSaveRestoreReturns) {
    auto b = WhiteBitmap(30, 30);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clRed);
    const Integer level = c->SaveDC();
    c->IntersectClipRect(TRect(10, 10, 20, 20));
    EXPECT_EQ(c->ClipRect(), TRect(10, 10, 20, 20));
    c->Brush()->SetColor(clBlue);
    c->FillRect(TRect(0, 0, 30, 30));
    EXPECT_EQ(InkBox(b->Image()), TRect(10, 10, 20, 20));
    EXPECT_TRUE(c->RestoreDC(level));
    EXPECT_EQ(c->Brush()->Color(), clRed);
    EXPECT_EQ(c->ClipRect(), TRect(0, 0, 30, 30));
    EXPECT_FALSE(c->RestoreDC(level));  // already restored
    c->FillRect(TRect(0, 0, 30, 30));
    EXPECT_EQ(InkBox(b->Image()), TRect(0, 0, 30, 30));

    c->ExcludeClipRect(TRect(0, 0, 15, 30));
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect(0, 0, 30, 30));
    EXPECT_EQ(InkBox(b->Image()), TRect(0, 0, 15, 30));
}

TEST(GraphicsCanvasTargets, ABoundPainterKeepsItsPaintAreaAndState) {
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QColor(Qt::green));
    TCanvas c;
    c.Bind(&painter, TRect(0, 0, 5, 5));
    EXPECT_TRUE(c.HandleAllocated());
    EXPECT_EQ(c.ClipRect(), TRect(0, 0, 5, 5));
    c.Brush()->SetColor(clBlack);
    c.FillRect(TRect(0, 0, 20, 20));
    EXPECT_EQ(c.Pixel(4, 4), clBlack);
    c.Unbind();
    EXPECT_FALSE(c.HandleAllocated());
    EXPECT_EQ(painter.pen().color(), QColor(Qt::green));
    EXPECT_FALSE(painter.hasClipping());
    painter.end();
    EXPECT_EQ(InkBox(image), TRect(0, 0, 5, 5));
}

TEST(GraphicsCanvasTargets, ACanvasWithoutTargetMeasuresAtNinetySixDpiAndDrawsNothing) {
    TCanvas bare;
    auto b = WhiteBitmap(10, 10);
    EXPECT_EQ(bare.PixelsPerInch(), 96);
    EXPECT_EQ(bare.TextWidth(QStringLiteral("アイウ")), b->Canvas()->TextWidth(QStringLiteral("アイウ")));
    EXPECT_EQ(bare.TextHeight(QStringLiteral("W")), b->Canvas()->TextHeight(QStringLiteral("W")));
    bare.FillRect(TRect(0, 0, 5, 5));
    bare.TextOut(0, 0, QStringLiteral("x"));
    EXPECT_EQ(bare.Painter(), nullptr);
    EXPECT_EQ(bare.Pixel(0, 0), -1);
    EXPECT_TRUE(bare.ClipRect().IsEmpty());
}

TEST(GraphicsCanvasTargets, DrawingOnABitmapCanvasRaisesChangeEvents) {
    auto b = WhiteBitmap(10, 10);
    int bitmapChanges = 0, canvasChanges = 0;
    b->OnChange = [&](TObject*) { ++bitmapChanges; };
    b->Canvas()->OnChange = [&](TObject*) { ++canvasChanges; };
    b->Canvas()->FillRect(TRect(0, 0, 3, 3));
    b->Canvas()->SetPixel(5, 5, clRed);
    EXPECT_EQ(canvasChanges, 2);
    EXPECT_EQ(bitmapChanges, 2);
    EXPECT_EQ(b->Canvas()->Pixel(5, 5), clRed);
}

TEST(GraphicsCanvasTargets, PatternBrushesTileFromTheBrushOrigin) {
    auto pattern = WhiteBitmap(2, 1);
    pattern->Canvas()->SetPixel(0, 0, clBlack);
    auto b = WhiteBitmap(8, 2);
    TCanvas* c = b->Canvas();
    c->Brush()->SetBitmap(pattern.get());
    c->FillRect(TRect(0, 0, 8, 1));
    EXPECT_EQ(PixelAt(*b, 0, 0), 0u);
    EXPECT_EQ(PixelAt(*b, 1, 0), 0xFFFFFFu);
    c->SetBrushOrigin(TPoint(1, 0));
    c->FillRect(TRect(0, 1, 8, 2));
    EXPECT_EQ(PixelAt(*b, 0, 1), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(*b, 1, 1), 0u);
}

TEST(GraphicsCanvasTargets, PenModeXorInverts) {
    auto b = WhiteBitmap(10, 3);
    TCanvas* c = b->Canvas();
    c->Pen()->SetColor(clWhite);
    c->Pen()->SetMode(pmXor);
    c->MoveTo(0, 1);
    c->LineTo(10, 1);
    EXPECT_EQ(PixelAt(*b, 3, 1), 0u);
    c->MoveTo(0, 1);
    c->LineTo(10, 1);
    EXPECT_EQ(PixelAt(*b, 3, 1), 0xFFFFFFu);
}

TEST(GraphicsCanvasGallery, SavesAPictureOfTheFigures) {
    auto b = WhiteBitmap(240, 120);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clInfoBk);
    c->Rectangle(5, 5, 55, 55);
    c->RoundRect(60, 5, 110, 55, 20, 20);
    c->Ellipse(115, 5, 165, 55);
    c->Pie(170, 5, 220, 55, 220, 30, 195, 5);
    c->Pen()->SetWidth(3);
    c->Ellipse(5, 65, 55, 115);
    c->Pen()->SetWidth(1);
    c->Pen()->SetStyle(psDash);
    c->Brush()->SetStyle(bsClear);
    c->Rectangle(60, 65, 110, 115);
    c->Pen()->SetStyle(psSolid);
    c->Brush()->SetColor(clRed);
    c->Chord(115, 65, 165, 115, 165, 90, 115, 90);
    c->Brush()->SetStyle(bsDiagCross);
    c->Polygon({{170, 115}, {195, 65}, {220, 115}});
    SaveTestImage(b->Image(), QStringLiteral("canvas-gallery"));
    EXPECT_EQ(PixelAt(*b, 5, 30), 0u);
}

}  // namespace
