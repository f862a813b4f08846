// Text on the canvas: placement by the cell's top, opaque backgrounds,
// measurement without kerning, alignment and escapement.
#include "Graphics.h"
#include "GraphicsTestSupport.h"
#include "TestSupport.h"
#include "Windows.h"

#include <gtest/gtest.h>

#include <QtGui/QPainter>

#include <algorithm>
#include <numeric>

namespace {

TEST(GraphicsText, TextOutPutsTheTopOfTheCellAtY) {
    auto b = WhiteBitmap(120, 60);
    TCanvas* c = b->Canvas();
    c->Font()->SetHeight(-20);
    c->Brush()->SetColor(clYellow);  // opaque: the whole cell is painted
    const TSize cell = c->TextExtent(QStringLiteral("Ag"));
    c->TextOut(10, 20, QStringLiteral("Ag"));
    EXPECT_EQ(InkBox(b->Image()), TRect(10, 20, 10 + cell.cx, 20 + cell.cy));
    EXPECT_EQ(c->PenPos(), TPoint(10 + cell.cx, 20));

    auto clear = WhiteBitmap(120, 60);
    TCanvas* t = clear->Canvas();
    t->Font()->SetHeight(-20);
    t->Brush()->SetStyle(bsClear);
    t->TextOut(10, 20, QStringLiteral("Ag"));
    const TRect ink = InkBox(clear->Image());
    SaveTestImage(clear->Image(), QStringLiteral("text-textout"));
    EXPECT_GE(ink.Top, 20);                  // nothing above the cell
    EXPECT_LE(ink.Top, 20 + cell.cy / 3);    // capitals start near its top
    EXPECT_LE(ink.Bottom, 20 + cell.cy);     // descender inside the cell
    EXPECT_GT(ink.Bottom, 20 + t->TextAscent());  // the g descends below the baseline
}

TEST(GraphicsText, WidthsAreSumsOfCharacterWidths) {
    TCanvas c;
    for (const QString& text : {QStringLiteral("AVAWaTo.,"), QStringLiteral("ｱｲｳ漢字かなABC"), QStringLiteral("r\u00E9sum\u00E9")}) {
        const std::vector<Integer> advances = c.CharAdvances(text);
        EXPECT_EQ(std::accumulate(advances.begin(), advances.end(), 0), c.TextWidth(text)) << text.toStdString();
        Integer sum = 0;
        for (QChar ch : text) sum += c.TextWidth(QString(ch));
        EXPECT_EQ(sum, c.TextWidth(text)) << text.toStdString();
    }
}

// A canvas keeps the Qt fonts of its last few fonts: switching among more
// fonts than it keeps, each differing in one thing only, every text must
// measure and draw as on a canvas that only ever had that font.
TEST(GraphicsText, SwitchingFontsBackAndForthDrawsAsAFreshCanvas) {
    auto set = [](TFont* f, int variant) {
        f->SetName(variant == 1 ? QStringLiteral("Courier New") : QStringLiteral("Arial"));
        f->SetHeight(variant == 2 ? -22 : variant == 5 ? 18 : -14);
        f->SetStyle(variant == 3 ? TFontStyles{fsBold} : TFontStyles{});
        f->SetPitch(variant == 4 ? fpFixed : fpDefault);
    };
    const QString text = QStringLiteral("Wim 1l0O");
    auto draw = [&](TCanvas* c, int variant) {
        set(c->Font(), variant);
        c->Brush()->SetStyle(bsClear);
        c->TextOut(4, 4, text);
        return c->TextExtent(text);
    };
    auto mixed = WhiteBitmap(160, 40);
    for (int variant : {0, 1, 2, 3, 4, 5, 0, 3, 5, 1}) {
        auto fresh = WhiteBitmap(160, 40);
        const TSize expected = draw(fresh->Canvas(), variant);
        mixed->Canvas()->Brush()->SetStyle(bsSolid);
        mixed->Canvas()->Brush()->SetColor(clWhite);
        mixed->Canvas()->FillRect(TRect(0, 0, 160, 40));
        EXPECT_EQ(draw(mixed->Canvas(), variant), expected) << variant;
        EXPECT_EQ(mixed->Image(), fresh->Image()) << variant;
        EXPECT_GT(InkCount(fresh->Image(), TRect(0, 0, 160, 40)), 20) << variant;
    }
}

// Canvases share the Qt fonts of recent fonts: whatever was measured
// before, on whichever canvas, a font that differs from a recent one in a
// single thing measures as its own Qt font does on a 96-dpi device.
TEST(GraphicsText, RecentFontsAreToldApartByEveryThingThatShapesThem) {
    auto set = [](TFont* f, int variant) {
        f->SetPixelsPerInch(variant == 6 ? 300 : 96);
        f->SetName(variant == 1 ? QStringLiteral("Courier New") : QStringLiteral("Arial"));
        f->SetHeight(variant == 2 ? -22 : variant == 5 ? 18 : variant == 6 || variant == 7 ? 0 : -14);
        f->SetStyle(variant == 3 ? TFontStyles{fsBold} : TFontStyles{});
        f->SetPitch(variant == 4 ? fpFixed : fpDefault);
    };
    QImage reference(1, 1, QImage::Format_RGB32);
    reference.setDotsPerMeterX(3780);
    reference.setDotsPerMeterY(3780);
    const QString text = QStringLiteral("Wim 1l0O 漢字");
    std::vector<TSize> seen;
    for (int variant : {0, 1, 2, 3, 4, 5, 6, 7, 0, 7, 6, 3, 5, 1, 2, 4}) {
        TFont font;
        set(&font, variant);
        const QFontMetrics fm(font.ToQFont(), &reference);
        TSize expected{0, fm.ascent() + fm.descent()};
        for (QChar ch : text) expected.cx += fm.horizontalAdvance(ch);
        TCanvas canvas;
        set(canvas.Font(), variant);
        EXPECT_EQ(canvas.TextExtent(text), expected) << variant;
        EXPECT_EQ(canvas.TextHeight(text), expected.cy) << variant;
        seen.push_back(expected);
    }
    // The variants do measure differently, so a mix-up would show.
    std::sort(seen.begin(), seen.end(), [](TSize a, TSize b) { return std::pair(a.cx, a.cy) < std::pair(b.cx, b.cy); });
    EXPECT_GE(std::unique(seen.begin(), seen.end()) - seen.begin(), 6);
}

// Plain text drawn as glyphs must put every pixel where Qt's own text
// layout puts it, in every face, size and style, on 24- and 32-bit images.
TEST(GraphicsText, PlainTextDrawsAsTheTextLayoutDoes) {
    struct Face {
        const char* name;
        Integer height;
        TFontStyles style;
    };
    const Face faces[] = {{"Arial", -12, {}},        {"Arial", -20, {fsBold}},      {"Courier New", -16, {fsItalic}},
                          {"ＭＳ Ｐゴシック", -14, {}}, {"Times New Roman", 24, {}}, {"Arial", -9, {fsBold, fsItalic}}};
    const QString texts[] = {QStringLiteral("0123456789"), QStringLiteral("Wim 1l0O"), QStringLiteral("AVAWaTo.,"),
                             QStringLiteral("*CODE-39*"), QStringLiteral("{}[]|~`^_"), QStringLiteral("ffi fl Tj")};
    for (TPixelFormat format : {pf24bit, pf32bit}) {
        for (const Face& face : faces) {
            for (const QString& text : texts) {
                auto ours = WhiteBitmap(260, 50);
                ours->SetPixelFormat(format);
                TCanvas* c = ours->Canvas();
                c->Font()->SetName(QString::fromUtf8(face.name));
                c->Font()->SetHeight(face.height);
                c->Font()->SetStyle(face.style);
                c->Font()->SetColor(clNavy);
                c->Brush()->SetStyle(bsClear);
                c->TextOut(5, 7, text);

                QImage layout = ours->Image();
                layout.fill(Qt::white);
                QPainter p(&layout);
                p.setRenderHint(QPainter::TextAntialiasing, false);
                p.setFont(c->Font()->ToQFont());
                p.setPen(ToQColor(clNavy));
                p.drawText(QPoint(5, 7 + c->TextAscent()), text);
                p.end();
                EXPECT_EQ(ours->Image(), layout) << face.name << " " << text.toStdString() << " " << format;
                EXPECT_GT(InkCount(layout, TRect(0, 0, 260, 50)), 10);
            }
        }
    }
}

TEST(GraphicsText, HalfWidthKatakanaIsNarrowerThanFullWidth) {
    TCanvas c;
    EXPECT_LT(c.TextWidth(QStringLiteral("ｱ")), c.TextWidth(QStringLiteral("ア")));
    EXPECT_EQ(c.TextWidth(QString()), 0);
    EXPECT_EQ(c.TextHeight(QStringLiteral("W")), c.TextAscent() + c.TextDescent());
}

TEST(GraphicsText, TextRectClipsAndPaintsTheRectangle) {
    auto b = WhiteBitmap(100, 40);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clAqua);
    c->TextRect(TRect(10, 10, 30, 30), 12, 12, QStringLiteral("WWWWWWWW"));
    EXPECT_EQ(InkBox(b->Image()), TRect(10, 10, 30, 30));
    EXPECT_EQ(b->Image().pixel(10, 10) & 0xFFFFFF, ToQColor(clAqua).rgb() & 0xFFFFFF);
}

TEST(GraphicsText, TextAlignPlacesTheReferencePoint) {
    auto b = WhiteBitmap(200, 60);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clBlack);
    const TSize cell = c->TextExtent(QStringLiteral("abc"));
    c->SetTextAlign(TA_RIGHT | TA_BASELINE);
    c->TextOut(100, 40, QStringLiteral("abc"));
    EXPECT_EQ(InkBox(b->Image()), TRect(100 - cell.cx, 40 - c->TextAscent(), 100, 40 - c->TextAscent() + cell.cy));

    auto centred = WhiteBitmap(200, 60);
    TCanvas* d = centred->Canvas();
    d->Brush()->SetColor(clBlack);
    d->SetTextAlign(TA_CENTER | TA_BOTTOM);
    d->TextOut(100, 40, QStringLiteral("abc"));
    EXPECT_EQ(InkBox(centred->Image()), TRect(100 - cell.cx / 2, 40 - cell.cy, 100 - cell.cx / 2 + cell.cx, 40));
}

TEST(GraphicsText, AdvanceArraysPlaceEachCharacter) {
    auto b = WhiteBitmap(200, 40);
    TCanvas* c = b->Canvas();
    c->Brush()->SetStyle(bsClear);
    const std::vector<Integer> dx = {40, 40, 40};
    c->ExtTextOut(0, 5, 0, nullptr, QStringLiteral("III"), dx.data());
    const QImage img = b->Image();
    EXPECT_GT(InkCount(img, TRect(0, 0, 40, 40)), 0);
    EXPECT_GT(InkCount(img, TRect(40, 0, 80, 40)), 0);
    EXPECT_GT(InkCount(img, TRect(80, 0, 120, 40)), 0);
    EXPECT_EQ(InkCount(img, TRect(20, 0, 40, 40)), 0);  // gaps between the I's
}

// A printer's painter writes every change of its state into the page:
// upright text, with advances or without, goes as one run of glyphs, and
// neither it nor taking away clipping that is not there changes the
// painter's transformation or clipping.
TEST(GraphicsText, UprightTextIsOneRunAndLeavesThePainterStateAlone) {
    TCountingDevice device(400, 300);
    TCanvas c;
    c.SetDevice(&device);
    c.TextOut(0, 0, QStringLiteral("first"));
    device.Counted() = {};
    const std::vector<Integer> dx = {30, 31, 29, 30, 40, 30};
    for (int i = 0; i < 10; ++i) {
        c.SetTextAlign(i % 2 ? TA_RIGHT : TA_LEFT);
        const QString line = QStringLiteral("Line %1").arg(i);
        if (i < 5)
            c.TextOut(200, 20 * i, line);
        else
            c.ExtTextOut(200, 20 * i, 0, nullptr, line, dx.data());
        SelectClipRgn(c.Handle(), nullptr);
    }
    EXPECT_EQ(device.Counted().Texts, 10);
    EXPECT_EQ(device.Counted().TransformChanges, 0);
    EXPECT_EQ(device.Counted().ClipChanges, 0);
}

TEST(GraphicsText, EscapementTurnsTextCounterClockwise) {
    const QString text = QStringLiteral("■Text");
    struct Case {
        Integer tenths;
        std::function<TRect(TSize)> cell;  // the cell for text at (100, 100)
    };
    const std::vector<Case> cases = {
        {0, [](TSize s) { return TRect(100, 100, 100 + s.cx, 100 + s.cy); }},
        {900, [](TSize s) { return TRect(100, 100 - s.cx, 100 + s.cy, 100); }},
        {1800, [](TSize s) { return TRect(100 - s.cx, 100 - s.cy, 100, 100); }},
        {2700, [](TSize s) { return TRect(100 - s.cy, 100, 100, 100 + s.cx); }},
    };
    for (const Case& k : cases) {
        auto b = WhiteBitmap(200, 200);
        TCanvas* c = b->Canvas();
        c->Font()->SetHeight(-16);
        const TSize size = c->TextExtent(text);
        c->Font()->SetOrientation(k.tenths);
        c->Brush()->SetColor(clBlack);  // the opaque cell shows where the text lies
        c->TextOut(100, 100, text);
        EXPECT_EQ(InkBox(b->Image()), k.cell(size)) << k.tenths;
    }

    // At 90 degrees the text runs from the bottom up: the first character
    // (a full block) lies at the bottom of the ink.
    auto b = WhiteBitmap(200, 200);
    TCanvas* c = b->Canvas();
    c->Font()->SetHeight(-16);
    const Integer blockWidth = c->TextWidth(QStringLiteral("■"));
    c->Font()->SetOrientation(900);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(100, 100, text);
    SaveTestImage(b->Image(), QStringLiteral("text-rotated-900"));
    const QImage img = b->Image();
    EXPECT_GT(InkCount(img, TRect(100, 100 - blockWidth, 120, 100)), blockWidth * 8);
    EXPECT_LT(InkCount(img, TRect(100, 100 - blockWidth, 120, 100)), blockWidth * 20);
    EXPECT_EQ(InkCount(img, TRect(0, 100, 200, 200)), 0);
    EXPECT_EQ(InkCount(img, TRect(0, 0, 100, 200)), 0);
}

TEST(GraphicsText, AnyAngleRotatesAroundTheStartPoint) {
    auto b = WhiteBitmap(200, 200);
    TCanvas* c = b->Canvas();
    c->Font()->SetOrientation(450);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(50, 150, QStringLiteral("WWWWWW"));
    const TRect ink = InkBox(b->Image());
    // Up and to the right of the start point, along the diagonal.
    EXPECT_GE(ink.Left, 50);
    EXPECT_LE(ink.Bottom, 150 + c->TextHeight(QStringLiteral("W")));
    EXPECT_LT(ink.Top, 150 - c->TextWidth(QStringLiteral("WWWWWW")) / 2);
}

}  // namespace

// A text wider than the Integer range measures and moves the pen to its
// end instead of wrapping round to the left.
TEST(GraphicsText, TextsWiderThanTheIntegerRangeEndAtItsEnd) {
    auto b = WhiteBitmap(40, 20);
    TCanvas* c = b->Canvas();
    c->Font()->SetHeight(-2000);
    const QString text(1500000, QLatin1Char('W'));
    ASSERT_GT(Int64(c->TextWidth(QStringLiteral("W"))) * text.size(), Int64(std::numeric_limits<Integer>::max()));
    EXPECT_EQ(c->TextWidth(text), std::numeric_limits<Integer>::max());
    EXPECT_EQ(c->TextCell(10, 0, text).Right, std::numeric_limits<Integer>::max());
    c->SetTextAlign(TA_UPDATECP);
    c->MoveTo(std::numeric_limits<Integer>::max() - 5, 0);
    c->TextOut(0, 0, text);
    EXPECT_EQ(c->PenPos().X, std::numeric_limits<Integer>::max());
}
