// The GDI routines on a canvas: DrawText rules, edges, frame controls,
// regions, clipping and system metrics.
#include "Graphics.h"
#include "GraphicsTestSupport.h"
#include "TestSupport.h"
#include "Windows.h"

#include <gtest/gtest.h>

namespace {

struct TextCanvas {
    std::unique_ptr<TBitmap> bitmap = WhiteBitmap(200, 100);
    TCanvas* c = bitmap->Canvas();
    TextCanvas() { c->Brush()->SetStyle(bsClear); }
    QImage Image() const { return bitmap->Image(); }
};

TEST(WindowsGdiDrawText, CalcRectReturnsTheWrappedHeight) {
    TextCanvas t;
    const Integer line = t.c->TextHeight(QStringLiteral("W"));
    const QString text = QStringLiteral("AAAA BBBB CCCC");
    TRect r(0, 0, t.c->TextWidth(QStringLiteral("AAAA BBBB")) - 1, 0);
    EXPECT_EQ(DrawText(t.c->Handle(), text, -1, r, DT_WORDBREAK | DT_CALCRECT), 3 * line);
    EXPECT_EQ(r.Bottom, 3 * line);
    const Integer widest = std::max({t.c->TextWidth(QStringLiteral("AAAA")), t.c->TextWidth(QStringLiteral("BBBB")),
                                     t.c->TextWidth(QStringLiteral("CCCC"))});
    EXPECT_EQ(r.Right, widest);
    EXPECT_EQ(InkBox(t.Image()), TRect());                       // nothing drawn

    TRect wide(0, 0, 1000, 0);
    EXPECT_EQ(DrawText(t.c->Handle(), text, -1, wide, DT_WORDBREAK | DT_CALCRECT), line);
    EXPECT_EQ(wide.Right, t.c->TextWidth(text));

    TRect lines(0, 0, 1000, 0);
    EXPECT_EQ(DrawText(t.c->Handle(), QStringLiteral("a\r\nb\nc\rd"), -1, lines, DT_CALCRECT), 4 * line);
    TRect single(0, 0, 1000, 0);
    EXPECT_EQ(DrawText(t.c->Handle(), QStringLiteral("a\r\nb"), -1, single, DT_CALCRECT | DT_SINGLELINE), line);
    TRect empty(0, 0, 50, 0);
    EXPECT_EQ(DrawText(t.c->Handle(), QString(), -1, empty, DT_CALCRECT), 0);
    EXPECT_EQ(empty.Right, 0);
}

TEST(WindowsGdiDrawText, AWordWiderThanTheLineStandsAloneAndWidensTheRectangle) {
    TextCanvas t;
    const Integer line = t.c->TextHeight(QStringLiteral("W"));
    TRect r(0, 0, t.c->TextWidth(QStringLiteral("AB CD")), 0);
    EXPECT_EQ(DrawText(t.c->Handle(), QStringLiteral("AB WWWWWWWWWW CD"), -1, r, DT_WORDBREAK | DT_CALCRECT), 3 * line);
    EXPECT_EQ(r.Right, t.c->TextWidth(QStringLiteral("WWWWWWWWWW")));
    // Blanks at a break vanish: "AB    CD" breaks into two lines.
    TRect s(0, 0, t.c->TextWidth(QStringLiteral("AB")), 0);
    EXPECT_EQ(DrawText(t.c->Handle(), QStringLiteral("AB    CD"), -1, s, DT_WORDBREAK | DT_CALCRECT), 2 * line);
    EXPECT_EQ(s.Right, std::max(t.c->TextWidth(QStringLiteral("AB")), t.c->TextWidth(QStringLiteral("CD"))));
}

TEST(WindowsGdiDrawText, JapaneseTextBreaksBetweenCharacters) {
    TextCanvas t;
    const Integer line = t.c->TextHeight(QStringLiteral("W"));
    const QString text = QStringLiteral("あいうえおかきくけこ");
    TRect r(0, 0, t.c->TextWidth(QStringLiteral("あいうえ")), 0);
    EXPECT_EQ(DrawText(t.c->Handle(), text, -1, r, DT_WORDBREAK | DT_CALCRECT), 3 * line);
    DrawText(t.c->Handle(), text, -1, r, DT_WORDBREAK | DT_CENTER);
    SaveTestImage(t.Image(), QStringLiteral("drawtext-japanese-wrap"));
    EXPECT_GT(InkBox(t.Image()).Bottom, 2 * line);  // three lines drawn
}

TEST(WindowsGdiDrawText, VerticalPlacementNeedsSingleLine) {
    const TRect box(0, 0, 200, 100);
    TextCanvas top, vcenterOnly, vcenter, bottom;
    TRect r = box;
    DrawText(top.c->Handle(), QStringLiteral("Text"), -1, r, DT_LEFT);
    r = box;
    DrawText(vcenterOnly.c->Handle(), QStringLiteral("Text"), -1, r, DT_VCENTER | DT_BOTTOM);
    EXPECT_EQ(vcenterOnly.Image(), top.Image());

    const Integer h = top.c->TextHeight(QStringLiteral("Text"));
    r = box;
    DrawText(vcenter.c->Handle(), QStringLiteral("Text"), -1, r, DT_VCENTER | DT_SINGLELINE);
    EXPECT_EQ(InkBox(vcenter.Image()).Top, InkBox(top.Image()).Top + (100 - h) / 2);
    r = box;
    DrawText(bottom.c->Handle(), QStringLiteral("Text"), -1, r, DT_BOTTOM | DT_SINGLELINE);
    EXPECT_EQ(InkBox(bottom.Image()).Top, InkBox(top.Image()).Top + 100 - h);
}

TEST(WindowsGdiDrawText, HorizontalAlignment) {
    TextCanvas left, centre, right;
    const Integer w = left.c->TextWidth(QStringLiteral("III"));
    TRect r(0, 0, 200, 100);
    DrawText(left.c->Handle(), QStringLiteral("III"), -1, r, DT_LEFT);
    DrawText(centre.c->Handle(), QStringLiteral("III"), -1, r, DT_CENTER);
    DrawText(right.c->Handle(), QStringLiteral("III"), -1, r, DT_RIGHT);
    const Integer inkLeft = InkBox(left.Image()).Left;
    EXPECT_EQ(InkBox(centre.Image()).Left, inkLeft + (200 - w) / 2);
    EXPECT_EQ(InkBox(right.Image()).Left, inkLeft + 200 - w);
}

TEST(WindowsGdiDrawText, PrefixesUnderlineUnlessNoPrefix) {
    TextCanvas prefixed, plain, doubled, reference;
    TRect r(0, 0, 200, 100);
    DrawText(prefixed.c->Handle(), QStringLiteral("&File"), -1, r, DT_LEFT);
    DrawText(plain.c->Handle(), QStringLiteral("&File"), -1, r, DT_NOPREFIX);
    EXPECT_EQ(InkBox(plain.Image()).Right - InkBox(prefixed.Image()).Right,
              plain.c->TextWidth(QStringLiteral("&File")) - plain.c->TextWidth(QStringLiteral("File")));
    // The underline: one row under the baseline, as wide as the F.
    const Integer row = prefixed.c->TextAscent() + 1;
    const Integer fWidth = prefixed.c->TextWidth(QStringLiteral("F"));
    EXPECT_EQ(InkCount(prefixed.Image(), TRect(0, row, fWidth, row + 1)), fWidth);
    SaveTestImage(prefixed.Image(), QStringLiteral("drawtext-prefix"));

    DrawText(doubled.c->Handle(), QStringLiteral("A&&B"), -1, r, DT_LEFT);
    reference.c->TextOut(0, 0, QStringLiteral("A&B"));
    EXPECT_EQ(doubled.Image(), reference.Image());
}

TEST(WindowsGdiDrawText, ClipsToTheRectangleUnlessNoClip) {
    TextCanvas clipped, free;
    TRect r(10, 10, 30, 30);
    DrawText(clipped.c->Handle(), QStringLiteral("WWWWWWWW"), -1, r, DT_LEFT);
    const TRect ink = InkBox(clipped.Image());
    EXPECT_GE(ink.Left, 10);
    EXPECT_LE(ink.Right, 30);
    DrawText(free.c->Handle(), QStringLiteral("WWWWWWWW"), -1, r, DT_LEFT | DT_NOCLIP);
    EXPECT_GT(InkBox(free.Image()).Right, 30);
}

TEST(WindowsGdiDrawText, TabsExpandToEightAverageCharacters) {
    TextCanvas t;
    TRect r(0, 0, 1000, 0);
    DrawText(t.c->Handle(), QStringLiteral("a\tb"), -1, r, DT_EXPANDTABS | DT_CALCRECT);
    EXPECT_EQ(r.Right, 8 * t.c->AverageCharWidth() + t.c->TextWidth(QStringLiteral("b")));
}

TEST(WindowsGdiDrawText, OpaqueBackgroundPaintsEachLineExtent) {
    auto b = WhiteBitmap(200, 100);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clYellow);
    TRect r(0, 0, 200, 100);
    DrawText(c->Handle(), QStringLiteral("ab"), -1, r, DT_LEFT);
    EXPECT_EQ(InkBox(b->Image()), TRect(0, 0, c->TextWidth(QStringLiteral("ab")), c->TextHeight(QStringLiteral("ab"))));
    SetBkMode(c->Handle(), TRANSPARENT);
    EXPECT_EQ(GetBkMode(c->Handle()), TRANSPARENT);
}

TEST(WindowsGdiDrawText, DisabledTextIsAHighlightCopyUnderAShadowCopy) {
    TextCanvas t;
    t.c->Brush()->SetStyle(bsSolid);
    t.c->Brush()->SetColor(clYellow);
    t.c->FillRect(TRect(0, 0, 200, 100));
    t.c->Brush()->SetStyle(bsClear);
    t.c->Font()->SetColor(clRed);
    DrawDisabledText(t.c, QStringLiteral("HI"), TRect(10, 10, 190, 90), DT_LEFT);
    EXPECT_EQ(t.c->Font()->Color(), clRed);
    const QImage image = t.Image();
    TRect light(200, 100, 0, 0), shadow(200, 100, 0, 0);
    auto grow = [](TRect& box, int x, int y) {
        box = TRect(std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1),
                    std::max(box.Bottom, y + 1));
    };
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y) & 0xFFFFFF;
            if (p == RgbOf(clBtnHighlight)) grow(light, x, y);
            else if (p == RgbOf(clBtnShadow)) grow(shadow, x, y);
            else EXPECT_EQ(p, RgbOf(clYellow)) << x << "," << y;
        }
    }
    ASSERT_FALSE(shadow.IsEmpty());
    EXPECT_GE(shadow.Left, 10);
    EXPECT_GE(shadow.Top, 10);
    // The highlight shows only where the shadow copy leaves it: its far edges
    // lie one pixel beyond the shadow's.
    EXPECT_EQ(light.Right, shadow.Right + 1);
    EXPECT_EQ(light.Bottom, shadow.Bottom + 1);
}

TEST(WindowsGdiEdges, RaisedInnerEdgeIsLightTopLeftAndDarkBottomRight) {
    auto b = WhiteBitmap(10, 10);
    TCanvas* c = b->Canvas();
    b->Canvas()->Brush()->SetColor(clRed);
    b->Canvas()->FillRect(TRect(0, 0, 10, 10));
    TRect r(0, 0, 10, 10);
    EXPECT_TRUE(DrawEdge(c->Handle(), r, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE | BF_ADJUST));
    EXPECT_EQ(PixelAt(*b, 0, 0), RgbOf(clBtnHighlight));
    EXPECT_EQ(PixelAt(*b, 8, 0), RgbOf(clBtnHighlight));
    EXPECT_EQ(PixelAt(*b, 9, 0), RgbOf(clBtnShadow));  // the dark side owns the corner
    EXPECT_EQ(PixelAt(*b, 0, 9), RgbOf(clBtnShadow));
    EXPECT_EQ(PixelAt(*b, 9, 9), RgbOf(clBtnShadow));
    EXPECT_EQ(PixelAt(*b, 5, 5), RgbOf(clBtnFace));
    EXPECT_EQ(r, TRect(1, 1, 9, 9));

    TRect s(0, 0, 10, 10);
    DrawEdge(c->Handle(), s, BDR_SUNKENOUTER, BF_RECT);
    EXPECT_EQ(PixelAt(*b, 0, 0), RgbOf(clBtnShadow));
    EXPECT_EQ(PixelAt(*b, 9, 9), RgbOf(clBtnHighlight));
    EXPECT_EQ(s, TRect(0, 0, 10, 10));  // no BF_ADJUST
}

TEST(WindowsGdiEdges, PushButtonFrameIsTwoPixels) {
    auto b = WhiteBitmap(20, 20);
    TCanvas* c = b->Canvas();
    TRect r(0, 0, 20, 20);
    EXPECT_TRUE(DrawFrameControl(c->Handle(), r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT));
    EXPECT_EQ(r, TRect(2, 2, 18, 18));
    EXPECT_EQ(PixelAt(*b, 10, 10), RgbOf(clBtnFace));
    EXPECT_EQ(PixelAt(*b, 19, 19), RgbOf(cl3DDkShadow));
    EXPECT_EQ(PixelAt(*b, 0, 0), RgbOf(clBtnHighlight));

    TRect pushed(0, 0, 20, 20);
    DrawFrameControl(c->Handle(), pushed, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED);
    EXPECT_EQ(PixelAt(*b, 0, 0), RgbOf(clBtnShadow));
    EXPECT_EQ(pushed, TRect(0, 0, 20, 20));

    TRect combo(0, 0, 17, 20);
    DrawFrameControl(c->Handle(), combo, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_FLAT);
    SaveTestImage(b->Image(), QStringLiteral("gdi-combo-button"));
    EXPECT_EQ(PixelAt(*b, 0, 0), RgbOf(clBtnShadow));
    EXPECT_EQ(PixelAt(*b, 8, 10), RgbOf(clBtnText));  // the arrow
    TRect other(0, 0, 20, 20);
    EXPECT_FALSE(DrawFrameControl(c->Handle(), other, DFC_CAPTION, 0));
}

TEST(WindowsGdiRegions, RoundRegionsFillAndFrame) {
    auto b = WhiteBitmap(40, 40);
    TCanvas* c = b->Canvas();
    HRGN region = CreateRoundRectRgn(0, 0, 40, 40, 20, 20);
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_TRUE(PtInRegion(region, 20, 0));
    EXPECT_FALSE(PtInRegion(region, 40, 20));
    HBRUSH red = CreateSolidBrush(clRed);
    HBRUSH black = CreateSolidBrush(clBlack);
    EXPECT_TRUE(FillRgn(c->Handle(), region, red));
    EXPECT_TRUE(FrameRgn(c->Handle(), region, black, 1, 1));
    EXPECT_EQ(PixelAt(*b, 20, 0), 0u);
    EXPECT_EQ(PixelAt(*b, 20, 1), RgbOf(clRed));
    EXPECT_EQ(PixelAt(*b, 0, 20), 0u);
    EXPECT_EQ(PixelAt(*b, 39, 20), 0u);
    EXPECT_EQ(PixelAt(*b, 1, 1), 0xFFFFFFu);
    const QImage img = b->Image();
    EXPECT_EQ(img, img.mirrored(true, true));

    HRGN square = CreateRectRgn(0, 0, 10, 10);
    HRGN both = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(both, region, square, RGN_DIFF), COMPLEXREGION);
    EXPECT_EQ(CombineRgn(both, square, nullptr, RGN_COPY), SIMPLEREGION);
    EXPECT_EQ(CombineRgn(both, square, square, RGN_XOR), NULLREGION);
    EXPECT_EQ(CombineRgn(nullptr, square, square, RGN_OR), ERROR);
    DeleteObject(both);
    DeleteObject(square);
    DeleteObject(region);
    DeleteObject(red);
    DeleteObject(black);
}

TEST(WindowsGdiRegions, CornersInAnyOrderMakeTheSameRegion) {
    const std::pair<HRGN, HRGN> pairs[] = {
        {CreateRectRgn(2, 3, 12, 9), CreateRectRgn(12, 9, 2, 3)},
        {CreateRoundRectRgn(0, 0, 20, 16, 6, 6), CreateRoundRectRgn(20, 0, 0, 16, -6, 6)},
        {CreateEllipticRgn(1, 1, 15, 11), CreateEllipticRgn(1, 11, 15, 1)},
    };
    HRGN difference = CreateRectRgn(0, 0, 0, 0);
    for (const auto& [normal, reversed] : pairs) {
        EXPECT_TRUE(PtInRegion(reversed, 7, 5));
        EXPECT_EQ(CombineRgn(difference, normal, reversed, RGN_XOR), NULLREGION);
        DeleteObject(normal);
        DeleteObject(reversed);
    }
    DeleteObject(difference);
}

TEST(WindowsGdiClipping, ClipRegionsSaveAndRestore) {
    auto b = WhiteBitmap(30, 30);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clBlack);
    const Integer saved = SaveDC(c->Handle());
    EXPECT_EQ(IntersectClipRect(c->Handle(), 0, 0, 10, 10), SIMPLEREGION);
    HRGN everything = CreateRectRgn(0, 0, 30, 30);
    c->FillRect(TRect(0, 0, 30, 30));
    EXPECT_EQ(InkBox(b->Image()), TRect(0, 0, 10, 10));
    EXPECT_TRUE(RestoreDC(c->Handle(), -1));
    EXPECT_FALSE(RestoreDC(c->Handle(), saved));
    EXPECT_EQ(SelectClipRgn(c->Handle(), everything), SIMPLEREGION);
    c->FillRect(TRect(0, 0, 30, 30));
    EXPECT_EQ(InkBox(b->Image()), TRect(0, 0, 30, 30));
    EXPECT_EQ(SelectClipRgn(c->Handle(), nullptr), SIMPLEREGION);
    DeleteObject(everything);
    EXPECT_EQ(GetDeviceCaps(c->Handle(), LOGPIXELSX), 96);
    EXPECT_EQ(GetDeviceCaps(c->Handle(), HORZRES), 30);
}

TEST(WindowsGdiText, TextAlignAndMetrics) {
    TCanvas c;
    EXPECT_EQ(SetTextAlign(c.Handle(), TA_RIGHT), TA_LEFT);
    EXPECT_EQ(GetTextAlign(c.Handle()), TA_RIGHT);
    TTextMetric m;
    c.Font()->SetHeight(-15);
    ASSERT_TRUE(GetTextMetrics(c.Handle(), m));
    EXPECT_EQ(m.tmHeight, m.tmAscent + m.tmDescent);
    EXPECT_EQ(m.tmHeight - m.tmInternalLeading, 15);
    TSize size;
    ASSERT_TRUE(GetTextExtentPoint32(c.Handle(), QStringLiteral("abcdef"), 3, size));
    EXPECT_EQ(size.cx, c.TextWidth(QStringLiteral("abc")));
    EXPECT_FALSE(GetTextMetrics(nullptr, m));
}

TEST(WindowsMetrics, ClassicThemeMetrics) {
    EXPECT_EQ(GetSystemMetrics(SM_CXBORDER), 1);
    EXPECT_EQ(GetSystemMetrics(SM_CYBORDER), 1);
    EXPECT_EQ(GetSystemMetrics(SM_CXHTHUMB), 17);
    EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 17);
    EXPECT_EQ(GetSystemMetrics(SM_CXEDGE), 2);
    EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
    EXPECT_EQ(GetSystemMetrics(9999), 0);
}

}  // namespace
