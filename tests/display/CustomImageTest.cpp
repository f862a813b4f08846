// The picture image base: where the picture goes, the bitmap canvas and the
// control's reaction to picture changes.
#include "CBarCode.h"
#include "Forms.h"
#include "SysUtils.h"
#include "TestSupport.h"

#include <QtCore/QTemporaryDir>
#include <QtGui/QImage>
#include <QtTest/QTest>
#include <QtWidgets/QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

class ProbeImage : public CBarCode::TCustomImage {
public:
    ProbeImage() : TCustomImage(nullptr) {}
    using TCustomImage::CanAutoSize;
    using TCustomImage::DestRect;
};

// Puts a bitmap of the given size into the image's picture.
void SetBitmap(ProbeImage& image, int width, int height) {
    TBitmap bitmap;
    bitmap.SetSize(width, height);
    image.Picture()->SetGraphic(&bitmap);
}

}  // namespace

TEST(CustomImage, StartsAt105WithNothingToShow) {
    ProbeImage image;
    EXPECT_EQ(image.Width(), 105);
    EXPECT_EQ(image.Height(), 105);
    EXPECT_EQ(image.Picture()->Graphic(), nullptr);
    EXPECT_FALSE(image.Stretch() || image.Center() || image.Transparent() || image.Proportional() ||
                 image.IncrementalDisplay());
    EXPECT_TRUE(image.ControlStyle().Contains(csReplicatable));
    EXPECT_TRUE(image.ControlStyle().Contains(csPannable));
    EXPECT_EQ(image.DestRect(), Rect(0, 0, 0, 0));
}

TEST(CustomImage, PlacesThePictureAtItsOwnSizeOrCentred) {
    ProbeImage image;
    SetBitmap(image, 58, 58);
    EXPECT_EQ(image.DestRect(), Rect(0, 0, 58, 58));
    image.SetCenter(true);
    EXPECT_EQ(image.DestRect(), Rect(23, 23, 81, 81));
    // A larger picture is centred too, the offset truncated toward zero.
    SetBitmap(image, 200, 120);
    EXPECT_EQ(image.DestRect(), Rect(-47, -7, 153, 113));
    // Proportional alone leaves a smaller picture as it is.
    SetBitmap(image, 40, 20);
    image.SetProportional(true);
    EXPECT_EQ(image.DestRect(), Rect(32, 42, 72, 62));
}

TEST(CustomImage, StretchesWithOrWithoutProportion) {
    ProbeImage image;
    image.SetBounds(0, 0, 105, 105);
    SetBitmap(image, 40, 20);
    image.SetStretch(true);
    EXPECT_EQ(image.DestRect(), Rect(0, 0, 105, 105));
    // Wider than high: the width fills, the height follows (105 / 2 = 52.5).
    image.SetProportional(true);
    EXPECT_EQ(image.DestRect(), Rect(0, 0, 105, 52));
    image.SetCenter(true);
    EXPECT_EQ(image.DestRect(), Rect(0, 26, 105, 78));
    // Higher than wide.
    SetBitmap(image, 30, 120);
    EXPECT_EQ(image.DestRect(), Rect(39, 0, 65, 105));
    // A wide picture in a flat control: the height limits, the width follows.
    image.SetBounds(0, 0, 200, 50);
    SetBitmap(image, 300, 200);
    EXPECT_EQ(image.DestRect(), Rect(62, 0, 137, 50));
    // Proportional without Stretch shrinks a picture larger than the control.
    image.SetStretch(false);
    EXPECT_EQ(image.DestRect(), Rect(62, 0, 137, 50));
}

TEST(CustomImage, CanvasIsThePicturesBitmap) {
    ProbeImage image;
    image.SetBounds(0, 0, 30, 20);
    TCanvas* canvas = image.GetCanvas();
    ASSERT_NE(canvas, nullptr);
    auto* bitmap = dynamic_cast<TBitmap*>(image.Picture()->Graphic());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Width(), 30);
    EXPECT_EQ(bitmap->Height(), 20);
    canvas->Brush()->SetColor(clRed);
    canvas->FillRect(Rect(0, 0, 5, 5));
    EXPECT_EQ(bitmap->Image().pixel(2, 2) & 0xFFFFFF, 0xFF0000u);

    TIcon icon;
    QImage pixels(4, 4, QImage::Format_ARGB32);
    pixels.fill(Qt::blue);
    icon.SetImage(pixels);
    image.Picture()->SetGraphic(&icon);
    try {
        image.GetCanvas();
        FAIL() << "no exception";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("ビットマップを持っているときのみイメージの変更が可能です"));
    }
}

TEST(CustomImage, FollowsThePictureSizeWithAutoSize) {
    ProbeImage image;
    image.SetAutoSize(true);
    SetBitmap(image, 64, 48);
    EXPECT_EQ(image.Width(), 64);
    EXPECT_EQ(image.Height(), 48);
    Integer w = 10;
    Integer h = 10;
    image.SetAlign(alTop);
    EXPECT_TRUE(image.CanAutoSize(w, h));
    EXPECT_EQ(w, 10);
    EXPECT_EQ(h, 48);
    w = h = 10;
    image.SetAlign(alLeft);
    EXPECT_TRUE(image.CanAutoSize(w, h));
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 10);
}

TEST(CustomImage, IsOpaqueWhenAnOpaquePictureCoversIt) {
    ProbeImage image;
    image.SetBounds(0, 0, 50, 50);
    SetBitmap(image, 50, 50);
    EXPECT_TRUE(image.ControlStyle().Contains(csOpaque));
    image.SetTransparent(true);
    EXPECT_TRUE(image.Picture()->Graphic()->Transparent());
    EXPECT_FALSE(image.ControlStyle().Contains(csOpaque));
    image.SetTransparent(false);
    SetBitmap(image, 40, 50);
    EXPECT_FALSE(image.ControlStyle().Contains(csOpaque));
    image.SetStretch(true);
    EXPECT_TRUE(image.ControlStyle().Contains(csOpaque));
    image.Picture()->SetGraphic(nullptr);
    EXPECT_FALSE(image.ControlStyle().Contains(csOpaque));
}

TEST(CustomImage, PaintsThePictureOnItsForm) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 160);
    form.SetColor(clWhite);
    auto* image = new ProbeImage();
    image->SetParent(&form);
    image->SetBounds(10, 20, 105, 105);
    image->SetCenter(true);
    TBitmap bitmap;
    bitmap.SetSize(58, 58);
    bitmap.Canvas()->Brush()->SetColor(clRed);
    bitmap.Canvas()->FillRect(Rect(0, 0, 58, 58));
    image->Picture()->SetGraphic(&bitmap);
    form.Show();
    form.Handle()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.Handle()));

    QImage shot = form.Handle()->grab().toImage();
    SaveTestImage(shot, QStringLiteral("custom_image_centred"));
    // Centred: the 58 x 58 picture covers (33, 43) to (90, 100) of the form.
    EXPECT_EQ(shot.pixelColor(33, 43), QColor(255, 0, 0));
    EXPECT_EQ(shot.pixelColor(90, 100), QColor(255, 0, 0));
    EXPECT_EQ(shot.pixelColor(32, 43), QColor(255, 255, 255));
    EXPECT_EQ(shot.pixelColor(91, 100), QColor(255, 255, 255));

    // Stretched over the whole control once Stretch is set.
    image->SetStretch(true);
    shot = form.Handle()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(10, 20), QColor(255, 0, 0));
    EXPECT_EQ(shot.pixelColor(114, 124), QColor(255, 0, 0));
    EXPECT_EQ(shot.pixelColor(115, 124), QColor(255, 255, 255));
    delete image;
}

namespace {

class PaintCountingImage : public CBarCode::TCustomImage {
public:
    using TCustomImage::TCustomImage;
    int paints = 0;

protected:
    void Paint() override {
        ++paints;
        TCustomImage::Paint();
    }
};

struct ProgressSeen {
    TObject* sender;
    TProgressStage stage;
    int percent;
    bool redrawNow;
    TRect rect;
    int paintsSoFar;
};

}  // namespace

TEST(CustomImage, LoadingAPictureRaisesOnProgressAndWithIncrementalDisplayPaintsAtOnce) {
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("p.png")), bad = dir.filePath(QStringLiteral("bad.png"));
    QImage source(30, 20, QImage::Format_RGB32);
    source.fill(Qt::blue);
    ASSERT_TRUE(source.save(png, "PNG"));
    TStringList garbage;
    garbage.Add(QStringLiteral("not a picture"));
    garbage.SaveToFile(bad);

    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 160);
    auto* image = new PaintCountingImage(&form);
    image->SetParent(&form);
    std::vector<ProgressSeen> seen;
    image->OnProgress = [&](TObject* sender, TProgressStage stage, Byte percent, bool redrawNow, const TRect& r,
                            const QString& msg) {
        EXPECT_TRUE(msg.isEmpty());
        seen.push_back({sender, stage, percent, redrawNow, r, image->paints});
    };
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Handle()));

    image->Picture()->LoadFromFile(png);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].stage, psStarting);
    EXPECT_EQ(seen[0].percent, 0);
    EXPECT_FALSE(seen[0].redrawNow);
    EXPECT_EQ(seen[1].stage, psEnding);
    EXPECT_EQ(seen[1].percent, 100);
    EXPECT_TRUE(seen[1].redrawNow);
    EXPECT_EQ(seen[1].rect, Rect(0, 0, 30, 20));
    EXPECT_EQ(seen[1].sender, image->Picture()->Graphic()) << "the graphic that loads";
    EXPECT_EQ(seen[1].paintsSoFar, seen[0].paintsSoFar) << "without IncrementalDisplay nothing paints meanwhile";

    image->SetIncrementalDisplay(true);
    seen.clear();
    image->Picture()->LoadFromFile(png);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].paintsSoFar, seen[0].paintsSoFar + 1) << "painted before OnProgress hears of the end";

    seen.clear();
    EXPECT_THROW(image->Picture()->LoadFromFile(bad), EInvalidGraphic);
    ASSERT_EQ(seen.size(), 1u) << "a load that fails never ends";
    EXPECT_EQ(seen[0].stage, psStarting);
}
