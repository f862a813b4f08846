// The frame: line thickness at any scale and the strips it paints.
#include "QRReport.h"

#include "ExtCtrls.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

// Device units per tenth of a millimetre at dpi.
long double Factor(int dpi) { return dpi / 254.0L; }

// Length of the run of colour c from (x, y) stepping by (dx, dy).
int ColourRun(TBitmap& bmp, int x, int y, int dx, int dy, TColor c)
{
    int n = 0;
    while (bmp.Canvas()->Pixel(x, y) == c) {
        ++n;
        x += dx;
        y += dy;
    }
    return n;
}

}  // namespace

TEST(QRFrame, ThicknessAtPrinterAndScreenScales)
{
    TQRFrame frame(nullptr);
    EXPECT_EQ(frame.Width(), 1);
    EXPECT_EQ(frame.Thickness(Factor(600)), 8);   // 600/72 = 8.33
    EXPECT_EQ(frame.Thickness(Factor(96)), 1);    // 1.33
    EXPECT_EQ(frame.Thickness(Factor(20)), 1) << "a 1-point line never vanishes";
    frame.SetWidth(3);
    EXPECT_EQ(frame.Thickness(Factor(600)), 25);  // 25.0
    EXPECT_EQ(frame.Thickness(Factor(96)), 4);
    frame.SetWidth(-1);
    EXPECT_EQ(frame.Thickness(Factor(600)), 1);
    EXPECT_EQ(frame.Thickness(Factor(1200)), 1);
    frame.SetWidth(0);
    EXPECT_EQ(frame.Thickness(Factor(600)), 0);
    // 9 points at 4 dpi: 0.5 rounds to 0 and is raised to 1.
    frame.SetWidth(9);
    EXPECT_EQ(frame.Thickness(Factor(4)), 1);
    // 45 points at 4 dpi: 2.5 goes to even.
    frame.SetWidth(45);
    EXPECT_EQ(frame.Thickness(Factor(4)), 2);
}

TEST(QRFrame, SettersRepaintTheOwnerAndAnyFrame)
{
    TCustomPanel owner(nullptr);
    TQRFrame frame(&owner);
    EXPECT_FALSE(frame.AnyFrame());
    frame.SetSide(3, true);
    EXPECT_TRUE(frame.DrawRight());
    EXPECT_TRUE(frame.AnyFrame());
    frame.SetDrawRight(false);
    frame.SetDrawBottom(true);
    EXPECT_TRUE(frame.AnyFrame());
    EXPECT_FALSE(frame.DrawTop());
    EXPECT_EQ(frame.Owner(), &owner);
}

TEST(QRFrame, FourSidesMeetAtTheCornersAt600Dpi)
{
    // A 10 mm square at 600 dpi: 236 device pixels, lines 8 thick.
    TBitmap bmp;
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(260, 260);
    bmp.Canvas()->Brush()->SetColor(clWhite);
    bmp.Canvas()->FillRect(TRect(0, 0, 260, 260));
    TQRFrame frame(nullptr);
    frame.SetColor(clRed);
    for (int side = 0; side < 4; ++side)
        frame.SetSide(side, true);
    const int side = int(Round(100 * Factor(600)));
    ASSERT_EQ(side, 236);
    const TRect r(10, 10, 10 + side, 10 + side);
    PaintFrame(frame, *bmp.Canvas(), r, Factor(600), Factor(600));
    SaveTestImage(bmp.Image(), "qrframe-600dpi");

    const int mid = 10 + side / 2;
    EXPECT_EQ(ColourRun(bmp, mid, 10, 0, 1, clRed), 8);                 // top
    EXPECT_EQ(ColourRun(bmp, mid, r.Bottom - 1, 0, -1, clRed), 8);      // bottom
    EXPECT_EQ(ColourRun(bmp, 10, mid, 1, 0, clRed), 8);                 // left
    EXPECT_EQ(ColourRun(bmp, r.Right - 1, mid, -1, 0, clRed), 8);       // right
    for (auto [x, y] : {std::pair{10, 10}, {r.Right - 1, 10}, {10, r.Bottom - 1}, {r.Right - 1, r.Bottom - 1}})
        EXPECT_EQ(bmp.Canvas()->Pixel(x, y), clRed) << x << "," << y;
    EXPECT_EQ(bmp.Canvas()->Pixel(9, 9), clWhite);
    EXPECT_EQ(bmp.Canvas()->Pixel(r.Right, r.Bottom), clWhite) << "right and bottom edges excluded";
    EXPECT_EQ(bmp.Canvas()->Pixel(mid, mid), clWhite);
}

TEST(QRFrame, OnlyTheChosenSidesAndTheXFactorForVerticalLines)
{
    TBitmap bmp;
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(100, 100);
    bmp.Canvas()->Brush()->SetColor(clWhite);
    bmp.Canvas()->FillRect(TRect(0, 0, 100, 100));
    TQRFrame frame(nullptr);
    frame.SetColor(clBlue);
    frame.SetDrawLeft(true);
    frame.SetWidth(2);
    // x at 600 dpi (16.67 -> 17), y at 96 dpi: the left line takes the x factor.
    PaintFrame(frame, *bmp.Canvas(), TRect(0, 0, 80, 80), Factor(600), Factor(96));
    EXPECT_EQ(ColourRun(bmp, 0, 40, 1, 0, clBlue), 17);
    EXPECT_EQ(bmp.Canvas()->Pixel(40, 0), clWhite) << "top not drawn";
    EXPECT_EQ(bmp.Canvas()->Pixel(79, 40), clWhite) << "right not drawn";
}
