// Bitmaps (sizes, pixel formats, scan lines, streams, transparency),
// pictures and their graphic classes, and image lists.
#include "Graphics.h"
#include "GraphicsTestSupport.h"
#include "TestSupport.h"

#include <QtCore/QBuffer>
#include <QtCore/QDir>
#include <QtCore/QTemporaryDir>
#include <QtGui/QImageWriter>

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(GraphicsBitmap, NewBitmapIsEmptyAndASizeFillsItWhite) {
    TBitmap b;
    EXPECT_TRUE(b.Empty());
    int changes = 0;
    b.OnChange = [&](TObject*) { ++changes; };
    b.SetWidth(10);
    EXPECT_TRUE(b.Empty());  // no height yet
    b.SetHeight(5);
    EXPECT_FALSE(b.Empty());
    EXPECT_EQ(b.Width(), 10);
    EXPECT_EQ(b.Height(), 5);
    EXPECT_EQ(PixelAt(b, 9, 4), 0xFFFFFFu);
    EXPECT_EQ(changes, 2);

    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect(TRect(0, 0, 10, 5));
    b.SetSize(20, 20);  // an open painter is closed first; the new size is white
    EXPECT_EQ(PixelAt(b, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(b, 19, 19), 0xFFFFFFu);
    b.Canvas()->FillRect(TRect(0, 0, 1, 1));
    EXPECT_EQ(PixelAt(b, 0, 0), ToQColor(clRed).rgb() & 0xFFFFFF);
    b.SetSize(0, 0);
    EXPECT_TRUE(b.Empty());
}

// Sized for a caller that writes every pixel: size, format and palette as
// SetSize gives them, and what the caller writes is what the bitmap shows.
TEST(GraphicsBitmap, AnUnfilledSizeKeepsFormatAndPaletteForTheCallerToWrite) {
    for (TPixelFormat format : {pfDevice, pf24bit, pf8bit, pf1bit}) {
        TBitmap b;
        b.SetPixelFormat(format);
        int changes = 0;
        b.OnChange = [&](TObject*) { ++changes; };
        b.SetSizeUnfilled(9, 3);
        EXPECT_EQ(b.Width(), 9);
        EXPECT_EQ(b.Height(), 3);
        EXPECT_EQ(b.PixelFormat(), format);
        EXPECT_EQ(changes, 1);
        TBitmap filled;
        filled.SetPixelFormat(format);
        filled.SetSize(9, 3);
        EXPECT_EQ(b.Image().format(), filled.Image().format());
        EXPECT_EQ(b.Image().colorTable(), filled.Image().colorTable());
        for (int y = 0; y < 3; ++y) std::memcpy(b.ScanLine(y), filled.ScanLine(y), size_t(b.Image().bytesPerLine()));
        b.Canvas()->SetPixel(4, 1, clBlack);
        EXPECT_EQ(b.Canvas()->Pixel(4, 1), clBlack);
        EXPECT_EQ(b.Canvas()->Pixel(8, 2), clWhite);
    }
    TBitmap same;
    same.SetSize(2, 2);
    same.Canvas()->SetPixel(1, 1, clRed);
    same.SetSizeUnfilled(2, 2);  // the size it has: nothing changes
    EXPECT_EQ(same.Canvas()->Pixel(1, 1), clRed);
}

TEST(GraphicsBitmap, TwentyFourBitScanLinesAreBlueGreenRed) {
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(3, 2);
    b.Canvas()->SetPixel(0, 1, RGB(0x11, 0x22, 0x33));
    const auto* row = static_cast<const Byte*>(b.ScanLine(1));
    EXPECT_EQ(row[0], 0x33);
    EXPECT_EQ(row[1], 0x22);
    EXPECT_EQ(row[2], 0x11);
    auto* writable = static_cast<Byte*>(b.ScanLine(0));
    writable[3] = 0xFF;  // blue of pixel 1
    writable[4] = 0;
    writable[5] = 0;
    EXPECT_EQ(b.Canvas()->Pixel(1, 0), clBlue);
    EXPECT_THROW(b.ScanLine(2), EInvalidGraphicOperation);
    EXPECT_THROW(b.ScanLine(-1), EInvalidGraphicOperation);
}

TEST(GraphicsBitmap, PixelFormatsConvertAndIndexedBitmapsCanBeDrawnOn) {
    TBitmap b;
    b.SetSize(4, 4);
    EXPECT_EQ(b.PixelFormat(), pfDevice);
    b.Canvas()->SetPixel(1, 1, clRed);
    b.SetPixelFormat(pf32bit);
    EXPECT_EQ(static_cast<const Byte*>(b.ScanLine(1))[4 + 2], 0xFF);  // B, G, R, x
    b.SetPixelFormat(pf8bit);
    EXPECT_EQ(b.Canvas()->Pixel(1, 1), clRed);
    b.Canvas()->SetPixel(2, 2, clBlue);  // painted through an RGB copy
    EXPECT_EQ(b.Image().format(), QImage::Format_Indexed8);
    EXPECT_EQ(b.Canvas()->Pixel(2, 2), clBlue);
    b.SetPixelFormat(pf1bit);
    EXPECT_EQ(b.Canvas()->Pixel(0, 0), clWhite);
    EXPECT_EQ(static_cast<const Byte*>(b.ScanLine(0))[0] & 0x80, 0x80);  // first pixel white (1)
    EXPECT_THROW(b.SetPixelFormat(pf4bit), EInvalidGraphic);
    EXPECT_EQ(b.PixelFormat(), pf1bit);
}

TEST(GraphicsBitmap, StreamsRoundTripAsBmpAndKeepTheDepth) {
    auto b = WhiteBitmap(7, 3);
    b->Canvas()->SetPixel(6, 2, RGB(1, 2, 3));
    TMemoryStream stream;
    b->SaveToStream(stream);
    EXPECT_EQ(stream.Bytes().left(2), QByteArray("BM"));
    stream.WriteBytes(QByteArray("tail"));  // data after the bitmap stays unread
    stream.SetPosition(0);
    TBitmap copy;
    copy.LoadFromStream(stream);
    EXPECT_EQ(stream.Position(), stream.Size() - 4);
    EXPECT_EQ(copy.Width(), 7);
    EXPECT_EQ(copy.PixelFormat(), pf24bit);
    EXPECT_EQ(copy.Canvas()->Pixel(6, 2), RGB(1, 2, 3));

    TMemoryStream junk;
    junk.WriteBytes(QByteArray("BM\x10\x00\x00\x00 not a bitmap", 20));
    junk.SetPosition(0);
    EXPECT_THROW(copy.LoadFromStream(junk), EInvalidGraphic);
}

TEST(GraphicsBitmap, FilesLoadThroughQtReaders) {
    QTemporaryDir dir;
    QImage source(5, 4, QImage::Format_RGB32);
    source.fill(QColor(10, 20, 30));
    const QString bmp = dir.filePath(QStringLiteral("a.bmp")), png = dir.filePath(QStringLiteral("a.png"));
    ASSERT_TRUE(source.save(bmp, "BMP"));
    ASSERT_TRUE(source.save(png, "PNG"));
    TBitmap b;
    b.LoadFromFile(bmp);
    EXPECT_EQ(b.Canvas()->Pixel(4, 3), RGB(10, 20, 30));
    b.LoadFromFile(png);
    EXPECT_EQ(b.Height(), 4);
    EXPECT_THROW(b.LoadFromFile(dir.filePath(QStringLiteral("missing.bmp"))), EFOpenError);
    b.SaveToFile(dir.filePath(QStringLiteral("out.bmp")));
    EXPECT_FALSE(QImage(dir.filePath(QStringLiteral("out.bmp"))).isNull());
    EXPECT_THROW(b.LoadFromResourceName(0, QStringLiteral("NO_SUCH_RESOURCE")), EInvalidGraphic);
}

TEST(GraphicsBitmap, TransparentDrawingSkipsTheBottomLeftColour) {
    auto sprite = WhiteBitmap(4, 4);
    sprite->Canvas()->Brush()->SetColor(clFuchsia);
    sprite->Canvas()->FillRect(TRect(0, 0, 4, 4));
    sprite->Canvas()->SetPixel(1, 1, clBlue);
    sprite->SetTransparent(true);
    EXPECT_EQ(sprite->TransparentColor(), clFuchsia);
    auto target = WhiteBitmap(10, 10);
    target->Canvas()->Draw(2, 2, sprite.get());
    EXPECT_EQ(PixelAt(*target, 3, 3), ToQColor(clBlue).rgb() & 0xFFFFFF);
    EXPECT_EQ(PixelAt(*target, 2, 2), 0xFFFFFFu);
    EXPECT_EQ(InkBox(target->Image()), TRect(3, 3, 4, 4));

    sprite->SetTransparent(false);
    target->Canvas()->StretchDraw(TRect(0, 0, 8, 8), sprite.get());
    EXPECT_EQ(PixelAt(*target, 0, 0), ToQColor(clFuchsia).rgb() & 0xFFFFFF);
    EXPECT_EQ(PixelAt(*target, 2, 2), ToQColor(clBlue).rgb() & 0xFFFFFF);  // doubled pixel
    EXPECT_EQ(PixelAt(*target, 3, 3), ToQColor(clBlue).rgb() & 0xFFFFFF);
    EXPECT_EQ(PixelAt(*target, 4, 4), ToQColor(clFuchsia).rgb() & 0xFFFFFF);
}

TEST(GraphicsBitmap, CopyRectCopiesBetweenCanvases) {
    auto source = WhiteBitmap(10, 10);
    source->Canvas()->SetPixel(5, 5, clRed);
    auto dest = WhiteBitmap(10, 10);
    dest->Canvas()->CopyRect(TRect(0, 0, 2, 2), source->Canvas(), TRect(5, 5, 7, 7));
    EXPECT_EQ(dest->Canvas()->Pixel(0, 0), clRed);
    EXPECT_EQ(dest->Canvas()->Pixel(1, 1), clWhite);
}

TEST(GraphicsBitmap, AssignCopiesThePixels) {
    auto a = WhiteBitmap(3, 3);
    a->Canvas()->SetPixel(0, 0, clRed);
    TBitmap b;
    b.Assign(a.get());
    a->Canvas()->SetPixel(0, 0, clBlue);
    EXPECT_EQ(b.Canvas()->Pixel(0, 0), clRed);
    EXPECT_EQ(b.PixelFormat(), pf24bit);
    TPen pen;
    EXPECT_THROW(b.Assign(&pen), EConvertError);
}

TEST(GraphicsPicture, BitmapGetterReplacesOtherGraphics) {
    TPicture picture;
    int changes = 0;
    picture.OnChange = [&](TObject*) { ++changes; };
    EXPECT_EQ(picture.Graphic(), nullptr);
    TJPEGImage jpeg;
    QImage photo(6, 6, QImage::Format_RGB32);
    photo.fill(Qt::green);
    jpeg.SetImage(photo);
    picture.SetGraphic(&jpeg);
    EXPECT_NE(picture.Graphic(), &jpeg);  // a copy
    EXPECT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 6);
    TBitmap* bitmap = picture.Bitmap();
    EXPECT_TRUE(bitmap->Empty());
    EXPECT_EQ(picture.Graphic(), bitmap);
    const int before = changes;
    bitmap->SetSize(2, 2);  // changes of the graphic reach the picture
    EXPECT_GT(changes, before);
    EXPECT_EQ(picture.Bitmap(), bitmap);  // already a bitmap: kept
    picture.Assign(nullptr);
    EXPECT_EQ(picture.Graphic(), nullptr);
}

TEST(GraphicsPicture, AssignBetweenPicturesAndGraphics) {
    TPicture a, b;
    a.Bitmap()->SetSize(4, 5);
    b.Assign(&a);
    EXPECT_EQ(b.Height(), 5);
    EXPECT_NE(b.Graphic(), a.Graphic());
    TBitmap target;
    target.Assign(&b);  // a picture assigns its graphic
    EXPECT_EQ(target.Width(), 4);
    std::unique_ptr<TGraphic> clone = CloneGraphic(a.Graphic());
    EXPECT_NE(dynamic_cast<TBitmap*>(clone.get()), nullptr);
    EXPECT_EQ(CloneGraphic(nullptr), nullptr);
}

TEST(GraphicsPicture, LoadFromFileChoosesTheClassByExtension) {
    QTemporaryDir dir;
    QImage source(8, 6, QImage::Format_RGB32);
    source.fill(QColor(200, 100, 50));
    const QString jpg = dir.filePath(QStringLiteral("p.jpg")), jpeg = dir.filePath(QStringLiteral("p.JPEG"));
    const QString png = dir.filePath(QStringLiteral("p.png")), bmp = dir.filePath(QStringLiteral("p.bmp"));
    ASSERT_TRUE(source.save(jpg, "JPEG"));
    ASSERT_TRUE(source.save(jpeg, "JPEG"));
    ASSERT_TRUE(source.save(png, "PNG"));
    ASSERT_TRUE(source.save(bmp, "BMP"));
    TPicture picture;
    picture.LoadFromFile(jpg);
    EXPECT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 8);
    picture.LoadFromFile(jpeg);
    EXPECT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);
    picture.LoadFromFile(png);
    EXPECT_NE(dynamic_cast<TBitmap*>(picture.Graphic()), nullptr);
    picture.LoadFromFile(bmp);
    EXPECT_EQ(picture.Bitmap()->Canvas()->Pixel(7, 5), RGB(200, 100, 50));
    EXPECT_TRUE(TPicture::SupportsExtension(QStringLiteral("JPG")));
    EXPECT_THROW(picture.LoadFromFile(dir.filePath(QStringLiteral("p.xyz"))), EInvalidGraphic);
    EXPECT_NE(picture.Graphic(), nullptr);  // a failed load keeps the picture

    // A JPEG drawn into a bitmap keeps its colour within JPEG's loss.
    picture.LoadFromFile(jpg);
    TBitmap b;
    b.Assign(picture.Graphic());
    const QColor px(b.Image().pixel(4, 3));
    EXPECT_NEAR(px.red(), 200, 6);
    EXPECT_NEAR(px.green(), 100, 6);
    EXPECT_NEAR(px.blue(), 50, 6);
}

TEST(GraphicsPicture, RegisteredFormatsLoadWithTheirClass) {
    QTemporaryDir dir;
    QImage source(3, 3, QImage::Format_RGB32);
    source.fill(Qt::red);
    const QString path = dir.filePath(QStringLiteral("x.pic"));
    ASSERT_TRUE(source.save(path, "JPEG"));
    TPicture::RegisterFileFormat(QStringLiteral("PIC"), QStringLiteral("Test pictures"),
                                 [] { return new TJPEGImage; });
    TPicture picture;
    picture.LoadFromFile(path);
    EXPECT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);
}

TEST(GraphicsImageList, AddCutsPiecesAndMasksMakeThemTransparent) {
    TImageList list(4, 4);
    auto strip = WhiteBitmap(8, 4);
    strip->Canvas()->Brush()->SetColor(clRed);
    strip->Canvas()->FillRect(TRect(0, 0, 4, 4));
    strip->Canvas()->Brush()->SetColor(clBlue);
    strip->Canvas()->FillRect(TRect(4, 0, 8, 4));
    auto mask = WhiteBitmap(8, 4);
    mask->Canvas()->Brush()->SetColor(clBlack);
    mask->Canvas()->FillRect(TRect(1, 1, 8, 4));  // white = transparent row 0 and column 0
    EXPECT_EQ(list.Add(strip.get(), mask.get()), 0);
    EXPECT_EQ(list.Count(), 2);

    auto target = WhiteBitmap(10, 10);
    list.Draw(target->Canvas(), 0, 0, 0);
    EXPECT_EQ(target->Canvas()->Pixel(0, 0), clWhite);
    EXPECT_EQ(target->Canvas()->Pixel(2, 2), clRed);
    list.Draw(target->Canvas(), 5, 5, 1, false);
    const QColor grey(target->Image().pixel(7, 7));
    EXPECT_EQ(grey.red(), grey.blue());  // greyed when disabled
    EXPECT_GT(grey.red(), 128);

    EXPECT_EQ(list.AddMasked(strip.get(), clBlue), 2);
    EXPECT_EQ(qAlpha(list.Image(3).pixel(1, 1)), 0);
    EXPECT_EQ(qAlpha(list.Image(2).pixel(1, 1)), 255);
    list.Delete(0);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_THROW(list.Delete(5), EInvalidOperation);
    list.SetWidth(16);  // a new size empties the list
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Add(nullptr, nullptr), -1);
}

TEST(GraphicsImageList, SizesBelowOnePixelKeepTheDefaultSize) {
    TImageList list(0, -3);
    EXPECT_EQ(list.Width(), 16);
    EXPECT_EQ(list.Height(), 16);
    auto image = WhiteBitmap(32, 16);
    EXPECT_EQ(list.Add(image.get(), nullptr), 0);
    EXPECT_EQ(list.Count(), 2);
    list.SetWidth(0);
    EXPECT_EQ(list.Width(), 16);
}

TEST(GraphicsIcon, IconsAreAlwaysTransparentAndKeepTheirSize) {
    TIcon icon;
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    icon.SetImage(image);
    EXPECT_TRUE(icon.Transparent());
    EXPECT_EQ(icon.Width(), 16);
    EXPECT_THROW(icon.SetWidth(8), EInvalidGraphicOperation);
    TPicture picture;
    picture.SetGraphic(&icon);
    EXPECT_NE(dynamic_cast<TIcon*>(picture.Graphic()), nullptr);
}

}  // namespace

TEST(GraphicsPicture, EveryRasterGraphicReportsTheStartAndTheEndOfALoad) {
    QImage source(5, 4, QImage::Format_RGB32);
    source.fill(Qt::green);
    const std::pair<const char*, std::unique_ptr<TGraphic>> cases[] = {
        {"BMP", std::make_unique<TBitmap>()}, {"JPEG", std::make_unique<TJPEGImage>()},
        {"PNG", std::make_unique<TIcon>()}};
    for (const auto& [format, graphic] : cases) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(source.save(&buffer, format));
        TMemoryStream stream;
        stream.WriteBuffer(bytes.constData(), Integer(bytes.size()));
        stream.SetPosition(0);
        std::vector<std::pair<TProgressStage, TRect>> seen;
        // A structured binding is not captured: clang before 16 refuses it.
        TGraphic* const loaded = graphic.get();
        graphic->OnProgress = [&seen, loaded](TObject* sender, TProgressStage stage, Byte, bool, const TRect& r,
                                              const QString&) {
            EXPECT_EQ(sender, loaded);
            seen.emplace_back(stage, r);
        };
        graphic->LoadFromStream(stream);
        ASSERT_EQ(seen.size(), 2u) << format;
        EXPECT_EQ(seen[0].first, psStarting);
        EXPECT_EQ(seen[1].first, psEnding);
        EXPECT_EQ(seen[1].second, TRect(0, 0, 5, 4)) << format;
    }
}
