// The glyphs the barcode image draws its texts with: measured and drawn
// as a canvas measures and draws the same text, for the fonts that allow
// it, and refused for the others.
#include "CBarCodeText.h"
#include "TestSupport.h"

#include <QtGui/QImage>

#include <gtest/gtest.h>

using CBarCode::TBarGlyphs;

namespace {

struct TestFont {
    QString name;
    Integer height;
    TFontStyles style;
};

// text as a canvas draws it with a clear brush on white, at (x, y).
QImage CanvasText(TFont* font, const AnsiString& text, int x, int y, const QSize& size) {
    TBitmap bitmap;
    bitmap.SetSize(size.width(), size.height());
    TCanvas* canvas = bitmap.Canvas();
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->Assign(font);
    canvas->TextOut(x, y, AnsiToWide(text));
    return bitmap.Image().convertToFormat(QImage::Format_RGB32);
}

QImage GlyphText(const TBarGlyphs& glyphs, TFont* font, const AnsiString& text, int x, int y, const QSize& size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    glyphs.Draw(text, x, y, ToQColor(font->Color()).rgb(), reinterpret_cast<QRgb*>(image.bits()),
                image.bytesPerLine() / 4, image.width(), image.height());
    return image;
}

}  // namespace

TEST(BarcodeGlyphs, MeasureAndDrawAsTheCanvasDoes) {
    const TestFont fonts[] = {
        {DefaultFontName, DefaultFontHeight, {}},
        {QStringLiteral("Arial"), -17, TFontStyles() << fsBold << fsItalic},
        {QStringLiteral("ＭＳ 明朝"), -31, {}},
        {QStringLiteral("ＭＳ ゴシック"), 9, {}},
    };
    const AnsiString texts[] = {"*AB-12*", "a1234567890a", "Hi there!", " ~{}|`_^", "4901234567894", "WMW//ffi"};
    TBitmap target;
    target.SetSize(8, 8);
    for (const TestFont& face : fonts) {
        TFont font;
        font.SetName(face.name);
        font.SetHeight(face.height);
        font.SetStyle(face.style);
        font.SetColor(TColor(0x2040C0));
        TBarGlyphs glyphs;
        ASSERT_TRUE(glyphs.Select(target.Canvas(), &font)) << font.Name().toStdString();
        TCanvas* canvas = target.Canvas();
        canvas->Font()->Assign(&font);
        for (const AnsiString& text : texts) {
            ASSERT_TRUE(glyphs.Holds(text)) << text.constData();
            EXPECT_EQ(glyphs.Width(text), canvas->TextWidth(AnsiToWide(text))) << text.constData();
            EXPECT_EQ(glyphs.Height(), canvas->TextHeight(AnsiToWide(text)));
            const QSize size(glyphs.Width(text) + 10, glyphs.Height() + 6);
            // Pushed past the left and bottom edges too: only what lies
            // inside the picture is set.
            for (QPoint at : {QPoint(4, 2), QPoint(-5, 3), QPoint(3, 4 + glyphs.Height() / 2)}) {
                const QImage expected = CanvasText(&font, text, at.x(), at.y(), size);
                const QImage actual = GlyphText(glyphs, &font, text, at.x(), at.y(), size);
                if (actual != expected) SaveTestImage(actual, QStringLiteral("barcode_glyphs_%1").arg(text.constData()));
                EXPECT_EQ(actual, expected) << font.Name().toStdString() << ": " << text.constData();
            }
        }
    }
}

TEST(BarcodeGlyphs, LeaveOtherTextsAndFontsToTheCanvas) {
    TBitmap target;
    target.SetSize(8, 8);
    TBarGlyphs glyphs;
    TFont font;
    ASSERT_TRUE(glyphs.Select(target.Canvas(), &font));
    EXPECT_TRUE(glyphs.Holds(""));
    EXPECT_FALSE(glyphs.Holds("ABC\t"));
    EXPECT_FALSE(glyphs.Holds("\xB1\xB2"));          // half-width katakana
    EXPECT_FALSE(glyphs.Holds("\x83\x4B\x83\x43"));  // full-width kana
    const Integer small = glyphs.Width("ABC");

    // A new font is taken at the next selection; its colour alone changes nothing drawn.
    font.SetHeight(-30);
    ASSERT_TRUE(glyphs.Select(target.Canvas(), &font));
    EXPECT_GT(glyphs.Width("ABC"), small);
    font.SetColor(clRed);
    EXPECT_TRUE(glyphs.Select(target.Canvas(), &font));
    // Millions of characters in a large font are measured past Integer;
    // fonts taller than a few hundred pixels are left to the canvas (each
    // glyph would be taken on a picture some three heights square).
    TFont large;
    large.SetHeight(-200);
    ASSERT_TRUE(glyphs.Select(target.Canvas(), &large));
    EXPECT_EQ(glyphs.Width(AnsiString(1 << 24, 'W')), Int64(glyphs.Width("W")) << 24);
    large.SetHeight(-1000);
    EXPECT_FALSE(glyphs.Select(target.Canvas(), &large));

    // Underlined, struck out and turned text is drawn otherwise by the canvas.
    for (TFontStyle style : {fsUnderline, fsStrikeOut}) {
        TFont marked;
        marked.SetStyle(TFontStyles() << style);
        EXPECT_FALSE(glyphs.Select(target.Canvas(), &marked));
    }
    TFont turned;
    turned.SetOrientation(900);
    EXPECT_FALSE(glyphs.Select(target.Canvas(), &turned));
    EXPECT_TRUE(glyphs.Select(target.Canvas(), &font));
}
