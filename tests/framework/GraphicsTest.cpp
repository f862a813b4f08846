// Colours, fonts (face substitution and height rules), pens and brushes.
#include "Graphics.h"

#include <QtGui/QFontInfo>

#include <gtest/gtest.h>

namespace {

TEST(GraphicsColors, SystemColoursStaySymbolicUntilResolved) {
    EXPECT_LT(clBtnFace, 0);
    EXPECT_NE(clBtnFace, clBtnShadow);
    EXPECT_EQ(ColorToRGB(clWindow), clWhite);
    EXPECT_EQ(ColorToRGB(clWindowText), clBlack);
    EXPECT_EQ(ColorToRGB(clBtnShadow), clGray);
    EXPECT_EQ(ColorToRGB(clBtnHighlight), clWhite);
    EXPECT_EQ(ColorToRGB(clBtnFace), RGB(212, 208, 200));
    EXPECT_EQ(ColorToRGB(clInfoBk), RGB(255, 255, 225));
    EXPECT_EQ(ColorToRGB(clRed), clRed);
    EXPECT_EQ(ColorToRGB(TColor(clSystemColor | 200)), clBlack);  // no such system colour
}

TEST(GraphicsColors, TColorIsBlueGreenRed) {
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), 0x563412);
    EXPECT_EQ(GetRValue(clRed), 255);
    EXPECT_EQ(GetBValue(clBlue), 255);
    EXPECT_EQ(ToQColor(clRed), QColor(255, 0, 0));
    EXPECT_EQ(ToQColor(clBtnShadow), QColor(128, 128, 128));
    EXPECT_EQ(FromQColor(QColor(0, 0, 255)), clBlue);
    EXPECT_EQ(ToQColor(clNone).alpha(), 0);
}

TEST(GraphicsFonts, WindowsFaceNamesResolveToInstalledFaces) {
    const std::vector<std::pair<QString, QString>> faces = {
        {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic")},
        {QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic")},
        {QStringLiteral("MS UI Gothic"), QStringLiteral("IPAPGothic")},
        {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic")},
        {QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic")},
        {QStringLiteral("ＭＳ 明朝"), QStringLiteral("IPAMincho")},
        {QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho")},
        {QStringLiteral("Arial"), QStringLiteral("Liberation Sans")},
    };
    for (const auto& [windows, installed] : faces) {
        TFont font;
        font.SetName(windows);
        EXPECT_EQ(QFontInfo(font.ToQFont()).family(), installed) << windows.toStdString();
    }
    EXPECT_EQ(SubstituteFontFamily(QStringLiteral("DejaVu Sans")), QStringLiteral("DejaVu Sans"));
}

TEST(GraphicsFonts, DefaultFontIsThePGothicAtNinePoints) {
    TFont font;
    EXPECT_EQ(font.Name(), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(font.Height(), -12);
    EXPECT_EQ(font.Size(), 9);
    EXPECT_EQ(font.Color(), clWindowText);
}

TEST(GraphicsFonts, NegativeHeightIsTheCharacterHeightAndPositiveTheCell) {
    TFont font;
    font.SetHeight(-15);
    EXPECT_EQ(QFontInfo(font.ToQFont()).pixelSize(), 15);
    TCanvas c;
    c.Font()->SetHeight(-15);
    const Integer cell = c.TextHeight(QStringLiteral("W"));
    EXPECT_GT(cell, 15);  // the cell adds the internal leading
    // A positive height asks for that cell: the same font again.
    c.Font()->SetHeight(cell);
    EXPECT_EQ(c.TextHeight(QStringLiteral("W")), cell);
    EXPECT_EQ(QFontInfo(c.Font()->ToQFont()).pixelSize(), 15);
}

TEST(GraphicsFonts, SizeFollowsPixelsPerInch) {
    TFont font;
    font.SetSize(12);
    EXPECT_EQ(font.Height(), -16);
    TFont printer;
    printer.SetPixelsPerInch(600);
    printer.Assign(&font);  // keeps the points, scales the height
    EXPECT_EQ(printer.Size(), 12);
    EXPECT_EQ(printer.Height(), -100);
    TFont screen;
    screen.Assign(&font);
    EXPECT_EQ(screen.Height(), -16);
}

TEST(GraphicsFonts, StylesAndChangeEvents) {
    TFont font;
    int changes = 0;
    font.OnChange = [&](TObject*) { ++changes; };
    font.SetStyle(TFontStyles{fsBold, fsUnderline});
    font.SetStyle(TFontStyles{fsBold, fsUnderline});  // unchanged: no event
    font.SetColor(clRed);
    font.SetName(QStringLiteral("Arial"));
    font.SetName(QString());  // ignored
    EXPECT_EQ(changes, 3);
    const QFont q = font.ToQFont();
    EXPECT_TRUE(q.bold());
    EXPECT_TRUE(q.underline());
    EXPECT_FALSE(q.italic());
    EXPECT_FALSE(q.kerning());
    TFont copy;
    copy.Assign(&font);
    EXPECT_TRUE(copy == font);
    TPen pen;
    EXPECT_THROW(copy.Assign(&pen), EConvertError);
}

TEST(GraphicsPensBrushes, AssignCopiesAndChangesAreReported) {
    TPen pen;
    int penChanges = 0;
    pen.OnChange = [&](TObject*) { ++penChanges; };
    pen.SetWidth(3);
    pen.SetWidth(-1);  // refused
    pen.SetStyle(psDash);
    EXPECT_EQ(penChanges, 2);
    TPen other;
    other.Assign(&pen);
    EXPECT_EQ(other.Width(), 3);
    EXPECT_EQ(other.Style(), psDash);

    TBrush brush;
    EXPECT_EQ(brush.Color(), clWhite);
    EXPECT_EQ(brush.Style(), bsSolid);
    TBitmap pattern;
    pattern.SetSize(8, 8);
    brush.SetBitmap(&pattern);
    TBrush copy;
    copy.Assign(&brush);
    ASSERT_NE(copy.Bitmap(), nullptr);
    EXPECT_NE(copy.Bitmap(), brush.Bitmap());
    EXPECT_EQ(copy.Bitmap()->Width(), 8);
    brush.SetBitmap(nullptr);
    EXPECT_EQ(brush.Bitmap(), nullptr);
}

}  // namespace
