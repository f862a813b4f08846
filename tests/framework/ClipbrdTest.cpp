// The clipboard: text and pictures through the system clipboard.
#include "Clipbrd.h"
#include "Metafile.h"
#include "MetafileTestSupport.h"

#include <QtCore/QMimeData>
#include <QtGui/QClipboard>
#include <QtGui/QGuiApplication>

#include <gtest/gtest.h>

namespace {

TEST(Clipboard, TextGoesThroughTheSystemClipboard) {
    Clipboard()->SetAsText(QStringLiteral("祥Velmora"));
    EXPECT_EQ(Clipboard()->AsText(), "祥Velmora");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "祥Velmora");
    EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
    EXPECT_TRUE(Clipboard()->HasFormat(CF_UNICODETEXT));
    QGuiApplication::clipboard()->setText(QStringLiteral("12345"));
    EXPECT_EQ(Clipboard()->AsText(), "12345");
    Clipboard()->Clear();
    EXPECT_FALSE(Clipboard()->HasFormat(CF_TEXT));
}

TEST(Clipboard, APictureIsCopiedAsAnImageAndPastedIntoABitmap) {
    TBitmap bitmap;
    bitmap.SetSize(12, 8);
    bitmap.Canvas()->Brush()->SetColor(clRed);
    bitmap.Canvas()->FillRect(TRect(0, 0, 6, 8));
    Clipboard()->Assign(&bitmap);
    EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
    EXPECT_TRUE(Clipboard()->HasFormat(CF_PICTURE));
    const QImage system = QGuiApplication::clipboard()->image();
    ASSERT_EQ(system.size(), QSize(12, 8));
    EXPECT_EQ(system.pixelColor(2, 2), QColor(255, 0, 0));
    EXPECT_EQ(system.pixelColor(9, 2), QColor(255, 255, 255));

    TPicture picture;
    picture.Assign(Clipboard());
    ASSERT_EQ(picture.Width(), 12);
    TBitmap pasted;
    pasted.Assign(Clipboard());
    EXPECT_EQ(pasted.Image().pixelColor(2, 2), QColor(255, 0, 0));
}

TEST(Clipboard, PastingWithoutAnImageIsAnError) {
    Clipboard()->SetAsText(QStringLiteral("text only"));
    TBitmap bitmap;
    EXPECT_THROW(bitmap.Assign(Clipboard()), EConvertError);
}

// A metafile goes as its records and as its image; pasting gives back the
// same records, or the image to a bitmap.
TEST(Clipboard, AMetafileIsCopiedAsRecordsWithItsImage) {
    auto metafile = RecordMetafile(40, 30, [](TCanvas* c) {
        c->Brush()->SetColor(clBlue);
        c->FillRect(TRect(0, 0, 20, 30));
        c->TextOut(22, 2, QStringLiteral("Z"));
    });
    Clipboard()->Assign(metafile.get());
    EXPECT_TRUE(Clipboard()->HasFormat(CF_ENHMETAFILE));
    EXPECT_TRUE(Clipboard()->HasFormat(CF_PICTURE));
    EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
    const QMimeData* system = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(system->data(QStringLiteral("image/emf")), metafile->Data());
    const QImage image = QGuiApplication::clipboard()->image();
    ASSERT_EQ(image.size(), QSize(40, 30));
    EXPECT_EQ(image.pixelColor(5, 5), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(30, 28), QColor(255, 255, 255));

    TMetafile pasted;
    pasted.Assign(Clipboard());
    EXPECT_EQ(pasted.Data(), metafile->Data());
    EXPECT_EQ(pasted.Width(), 40);
    TPicture picture;
    picture.Assign(Clipboard());
    auto* held = dynamic_cast<TMetafile*>(picture.Graphic());
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->Data(), metafile->Data());
    TBitmap bitmap;
    bitmap.Assign(Clipboard());
    EXPECT_EQ(bitmap.Image().pixelColor(5, 5), QColor(0, 0, 255));

    // A picture holding a metafile copies the same way.
    Clipboard()->Clear();
    Clipboard()->Assign(&picture);
    EXPECT_TRUE(Clipboard()->HasFormat(CF_ENHMETAFILE));

    // Text and bitmaps carry no metafile.
    Clipboard()->Assign(&bitmap);
    EXPECT_FALSE(Clipboard()->HasFormat(CF_ENHMETAFILE));
    EXPECT_THROW(pasted.Assign(Clipboard()), EConvertError);
}

TEST(Clipboard, DamagedMetafileRecordsFromAnotherProgramAreRefusedOnPaste) {
    auto metafile = RecordMetafile(10, 10, [](TCanvas* c) { c->Ellipse(0, 0, 10, 10); });
    auto* data = new QMimeData;
    data->setData(QStringLiteral("image/emf"), metafile->Data().left(60));
    QGuiApplication::clipboard()->setMimeData(data);
    EXPECT_TRUE(Clipboard()->HasFormat(CF_ENHMETAFILE));
    TMetafile target;
    target.Assign(metafile.get());
    EXPECT_THROW(target.Assign(Clipboard()), EInvalidGraphic);
    EXPECT_EQ(target.Data(), metafile->Data());
}

}  // namespace
