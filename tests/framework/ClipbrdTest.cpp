// The clipboard: text and pictures through the system clipboard.
#include "Clipbrd.h"

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

}  // namespace
