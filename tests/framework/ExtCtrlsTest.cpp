// Panels, bevels, shapes, paint boxes and the picture control, drawn on
// real widgets and checked pixel by pixel.
#include "ExtCtrls.h"
#include "Metafile.h"
#include "FrameworkTestSupport.h"
#include "TestSupport.h"

#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

QColor Q(TColor c) {
    return ToQColor(ColorToRGB(c));
}

class ExtCtrlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TForm>(nullptr);
        form->SetBorderStyle(bsNone);
        form->SetBounds(0, 0, 300, 200);
        form->SetColor(clWhite);
    }
    QImage Grab() {
        form->Show();
        return form->Handle()->grab().toImage();
    }
    std::unique_ptr<TForm> form;
};

TEST(Frame3D, TheDarkSideOwnsTheTopRightAndBottomLeftCorners) {
    TBitmap bitmap;
    bitmap.SetSize(10, 8);
    TRect r(0, 0, 10, 8);
    Frame3D(bitmap.Canvas(), r, clRed, clBlue, 1);
    EXPECT_EQ(r, TRect(1, 1, 9, 7));
    const QImage& image = bitmap.Image();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(5, 0), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(0, 5), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(9, 0), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(0, 7), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(9, 7), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(5, 7), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(5, 5), QColor(255, 255, 255));  // inside untouched
}

TEST_F(ExtCtrlsTest, PanelPaintsItsBevelsBorderAndColour) {
    auto* panel = Place(new TPanel(form.get()), form.get(), 10, 10, 100, 60);
    panel->SetParentBackground(false);
    panel->SetColor(clAqua);
    panel->SetBevelInner(bvLowered);
    panel->SetBorderWidth(2);
    const QImage image = Grab();
    SaveTestImage(image, QStringLiteral("ExtCtrlsPanel"));
    // Outer raised bevel.
    EXPECT_EQ(image.pixelColor(10, 10), Q(clBtnHighlight));
    EXPECT_EQ(image.pixelColor(109, 69), Q(clBtnShadow));
    // Border strip in the panel's colour, then the lowered inner bevel.
    EXPECT_EQ(image.pixelColor(12, 30), Q(clAqua));
    EXPECT_EQ(image.pixelColor(13, 30), Q(clBtnShadow));
    EXPECT_EQ(image.pixelColor(106, 30), Q(clBtnHighlight));
    EXPECT_EQ(image.pixelColor(60, 25), Q(clAqua));
}

TEST_F(ExtCtrlsTest, ParentBackgroundLetsTheParentShowThrough) {
    auto* panel = Place(new TPanel(form.get()), form.get(), 10, 10, 100, 60);
    panel->SetBevelOuter(bvNone);
    panel->SetColor(clRed);
    ASSERT_TRUE(panel->ParentBackground());
    EXPECT_EQ(Grab().pixelColor(50, 30), Q(clWhite));
    panel->SetParentBackground(false);
    EXPECT_EQ(Grab().pixelColor(50, 30), Q(clRed));
}

TEST_F(ExtCtrlsTest, PanelCaptionIsCentredOnTheHeightOfW) {
    auto* panel = Place(new TPanel(form.get()), form.get(), 0, 0, 200, 100);
    panel->SetParentBackground(false);
    panel->SetBevelOuter(bvNone);
    panel->SetColor(clWhite);
    panel->Font()->SetName(QStringLiteral("ＭＳ Ｐゴシック"));
    panel->Font()->SetHeight(-15);
    panel->SetCaption(QStringLiteral("伝票種別"));
    const QImage image = Grab();
    SaveTestImage(image, QStringLiteral("ExtCtrlsPanelCaption"));
    TBitmap probe;
    probe.Canvas()->SetFont(panel->Font());
    const Integer h = probe.Canvas()->TextHeight(QStringLiteral("W"));
    const Integer w = probe.Canvas()->TextWidth(QStringLiteral("伝票種別"));
    // Ink only inside the centred text cell.
    const QRect cell((200 - w) / 2, (100 - h) / 2, w, h);
    int inside = 0, outside = 0;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 200; ++x) {
            if (image.pixelColor(x, y) == Q(clWhite)) continue;
            (cell.contains(x, y) ? inside : outside)++;
        }
    }
    EXPECT_GT(inside, 50);
    EXPECT_EQ(outside, 0);
}

TEST_F(ExtCtrlsTest, PanelUsableAreaLeavesBorderWidthBevelsAndPadding) {
    auto* panel = Place(new TPanel(form.get()), form.get(), 0, 0, 120, 80);
    panel->SetBevelInner(bvRaised);
    panel->SetBevelWidth(2);
    panel->SetBorderWidth(3);
    panel->Padding()->SetLeft(4);
    auto* child = Place(new TPanel(form.get()), panel, 0, 0, 10, 10);
    child->SetAlign(alClient);
    EXPECT_EQ(child->BoundsRect(), TRect(11, 7, 113, 73));
}

TEST_F(ExtCtrlsTest, SingleBorderTakesTheClientAreaInward) {
    auto* panel = Place(new TPanel(form.get()), form.get(), 20, 20, 100, 60);
    panel->SetBorderStyle(bsSingle);
    EXPECT_EQ(panel->ClientWidth(), 96);  // two sunken lines with Ctl3D
    panel->SetCtl3D(false);
    EXPECT_EQ(panel->ClientWidth(), 98);
    auto* child = Place(new TPanel(form.get()), panel, 0, 0, 10, 10);
    child->SetBevelOuter(bvNone);
    child->SetParentBackground(false);
    child->SetColor(clRed);
    const QImage image = Grab();
    // The child's (0, 0) is just inside the one-pixel border.
    EXPECT_EQ(image.pixelColor(21, 21), Q(clRed));
    EXPECT_EQ(image.pixelColor(20, 20), Q(clWindowFrame));
    EXPECT_EQ(child->ClientOrigin().X, panel->ClientOrigin().X);
    EXPECT_EQ(panel->ClientOrigin().X, form->ClientOrigin().X + 21);
}

TEST_F(ExtCtrlsTest, LoweredBoxBevelIsShadowAboveAndLightBelow) {
    auto* bevel = Place(new TBevel(form.get()), form.get(), 10, 10, 40, 30);
    (void)bevel;
    const QImage image = Grab();
    EXPECT_EQ(image.pixelColor(10, 10), Q(clBtnShadow));
    EXPECT_EQ(image.pixelColor(30, 10), Q(clBtnShadow));
    EXPECT_EQ(image.pixelColor(49, 39), Q(clBtnHighlight));
    EXPECT_EQ(image.pixelColor(49, 20), Q(clBtnHighlight));
    EXPECT_EQ(image.pixelColor(30, 25), Q(clWhite));
}

TEST(ShapeBox, PenWidthsZeroAndOneGiveTheSameRectangle) {
    const TShapeBox zero = ShapeBox(80, 50, 0, false);
    const TShapeBox one = ShapeBox(80, 50, 1, false);
    EXPECT_EQ(TRect(zero.X, zero.Y, zero.X + zero.W, zero.Y + zero.H), TRect(0, 0, 80, 50));
    EXPECT_EQ(TRect(one.X, one.Y, one.X + one.W, one.Y + one.H), TRect(0, 0, 80, 50));
    const TShapeBox two = ShapeBox(80, 50, 2, false);
    EXPECT_EQ(TRect(two.X, two.Y, two.X + two.W, two.Y + two.H), TRect(1, 1, 80, 50));
    const TShapeBox square = ShapeBox(100, 60, 1, true);
    EXPECT_EQ(square.X, 20);
    EXPECT_EQ(square.W, 60);
}

TEST_F(ExtCtrlsTest, ShapeDrawsItsFigureWithItsPenAndBrush) {
    auto* shape = Place(new TShape(form.get()), form.get(), 0, 0, 100, 60);
    shape->SetShape(stSquare);
    shape->Pen()->SetColor(clBlue);
    shape->Brush()->SetColor(clYellow);
    const QImage image = Grab();
    SaveTestImage(image, QStringLiteral("ExtCtrlsShape"));
    EXPECT_EQ(image.pixelColor(20, 30), Q(clBlue));   // left edge of the square
    EXPECT_EQ(image.pixelColor(79, 30), Q(clBlue));   // right edge
    EXPECT_EQ(image.pixelColor(50, 30), Q(clYellow)); // inside
    EXPECT_EQ(image.pixelColor(10, 30), Q(clWhite));  // outside
    // A clear brush leaves the inside to the parent.
    shape->Brush()->SetStyle(bsClear);
    EXPECT_EQ(Grab().pixelColor(50, 30), Q(clWhite));
}

TEST_F(ExtCtrlsTest, PaintBoxPaintsThroughOnPaint) {
    auto* box = Place(new TPaintBox(form.get()), form.get(), 10, 10, 50, 50);
    box->SetColor(clLime);
    int paints = 0;
    box->OnPaint = [&](TObject*) {
        ++paints;
        box->Canvas()->FillRect(TRect(0, 0, 20, 20));  // brush colour = Color
    };
    const QImage image = Grab();
    EXPECT_GT(paints, 0);
    EXPECT_EQ(image.pixelColor(15, 15), Q(clLime));
    EXPECT_EQ(image.pixelColor(40, 40), Q(clWhite));
}

// A widget's canvas combines pixels as a bitmap's does: an XOR pen inverts.
TEST_F(ExtCtrlsTest, PaintBoxCanvasDrawsWithPenModes) {
    auto* box = Place(new TPaintBox(form.get()), form.get(), 10, 10, 50, 50);
    box->OnPaint = [&](TObject*) {
        TCanvas* c = box->Canvas();
        c->Pen()->SetColor(clWhite);
        c->Pen()->SetMode(pmXor);
        c->MoveTo(0, 5);
        c->LineTo(40, 5);
    };
    const QImage image = Grab();
    EXPECT_EQ(image.pixelColor(20, 15), Q(clBlack));
    EXPECT_EQ(image.pixelColor(20, 16), Q(clWhite));
}

TEST(ImageDestRect, StretchCentreAndProportion) {
    // A 58 x 58 picture centred in 105 x 105 sits at (23, 23).
    EXPECT_EQ(ImageDestRect(58, 58, 105, 105, false, false, true), TRect(23, 23, 81, 81));
    EXPECT_EQ(ImageDestRect(58, 58, 105, 105, true, false, false), TRect(0, 0, 105, 105));
    EXPECT_EQ(ImageDestRect(200, 100, 100, 100, false, true, false), TRect(0, 0, 100, 50));
    EXPECT_EQ(ImageDestRect(200, 100, 100, 100, false, true, true), TRect(0, 25, 100, 75));
    EXPECT_EQ(ImageDestRect(50, 200, 100, 100, false, true, true), TRect(37, 0, 62, 100));
    // Proportional alone leaves a small picture as it is.
    EXPECT_EQ(ImageDestRect(20, 10, 100, 100, false, true, false), TRect(0, 0, 20, 10));
    // A picture larger than the control is centred too (negative offset).
    EXPECT_EQ(ImageDestRect(120, 120, 100, 100, false, false, true), TRect(-10, -10, 110, 110));
}

TEST_F(ExtCtrlsTest, ImageDrawsItsPictureAndHandsOutTheBitmapCanvas) {
    auto* image = Place(new TImage(form.get()), form.get(), 0, 0, 105, 105);
    image->SetCenter(true);
    TCanvas* canvas = image->Canvas();  // makes a bitmap of the control's size
    EXPECT_EQ(image->Picture()->Width(), 105);
    canvas->Brush()->SetColor(clRed);
    canvas->FillRect(TRect(0, 0, 105, 105));
    TBitmap small;
    small.SetSize(58, 58);
    small.Canvas()->Brush()->SetColor(clBlue);
    small.Canvas()->FillRect(TRect(0, 0, 58, 58));
    image->Picture()->SetGraphic(&small);
    const QImage shot = Grab();
    EXPECT_EQ(shot.pixelColor(22, 50), Q(clWhite));
    EXPECT_EQ(shot.pixelColor(23, 50), Q(clBlue));
    EXPECT_EQ(shot.pixelColor(80, 80), Q(clBlue));
    EXPECT_EQ(shot.pixelColor(81, 80), Q(clWhite));
    TIcon icon;
    icon.SetImage(QImage(4, 4, QImage::Format_ARGB32));
    image->Picture()->SetGraphic(&icon);
    try {
        image->Canvas();
        FAIL() << "a canvas of an icon";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), "ビットマップを持っているときのみイメージの変更が可能です");
    }
}

// A metafile leaves what it does not draw, so an image showing one never
// counts as opaque, whatever its own Transparent says.
TEST_F(ExtCtrlsTest, ImageWithAMetafileStaysTransparent) {
    auto* image = Place(new TImage(form.get()), form.get(), 0, 0, 40, 30);
    image->SetStretch(true);
    TMetafile metafile;
    metafile.SetWidth(40);
    metafile.SetHeight(30);
    {
        TMetafileCanvas canvas(&metafile);
        canvas.Ellipse(0, 0, 40, 30);
    }
    image->Picture()->SetGraphic(&metafile);
    EXPECT_TRUE(image->Picture()->Graphic()->Transparent());
    EXPECT_FALSE(image->ControlStyle().Contains(csOpaque));
    TBitmap bitmap;
    bitmap.SetSize(40, 30);
    image->Picture()->SetGraphic(&bitmap);
    EXPECT_TRUE(image->ControlStyle().Contains(csOpaque));
}

TEST_F(ExtCtrlsTest, AutoSizedImageTakesThePicturesSize) {
    auto* image = Place(new TImage(form.get()), form.get(), 0, 0, 105, 105);
    image->SetAutoSize(true);
    TBitmap bitmap;
    bitmap.SetSize(40, 30);
    image->Picture()->SetGraphic(&bitmap);
    EXPECT_EQ(image->Width(), 40);
    EXPECT_EQ(image->Height(), 30);
}

}  // namespace
