// The QR code image: its bitmap, the redraw on every setter, the white area
// on failure, and zbar reading back the CP932 bytes of the caption.
#include "CBarCode.h"
#include "Forms.h"
#include "TestSupport.h"
#include "ZbarDecode.h"

#include <QtGui/QImage>
#include <QtTest/QTest>
#include <QtWidgets/QWidget>

#include <gtest/gtest.h>
#include <iconv.h>

#include <memory>
#include <random>

namespace {

// The caption's bytes in code page 932, by iconv itself.
QByteArray Cp932(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    iconv_t cd = iconv_open("CP932", "UTF-8");
    QByteArray out(utf8.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(utf8.constData());
    size_t inLeft = size_t(utf8.size());
    char* outPtr = out.data();
    size_t outLeft = size_t(out.size());
    const size_t done = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    EXPECT_NE(done, size_t(-1)) << "not in CP932: " << text.toStdString();
    out.truncate(out.size() - qsizetype(outLeft));
    return out;
}

// The standard engine, whose sequence is the same everywhere, so the
// corpus is too.
using Rng = std::mt19937;

int Below(Rng& rng, int n) { return int(rng() % uint32_t(n)); }

// Japanese business text: kanji, kana, full- and half-width forms, ASCII.
QString JapaneseText(int characters, Rng& rng) {
    static const QString pool = QStringLiteral(
        "日本語漢字東京都千代田区丸の内販売伝票商品番号数量単価金額合計消費税"
        "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん"
        "アイウエオカキクケコサシスセソタチツテト０１２３４５６７８９ＡＢＣ"
        "ｱｲｳｴｵｶｷｸｹｺ"
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 -./:$%*+");
    QString text;
    for (int i = 0; i < characters; ++i) text.append(pool[Below(rng, int(pool.size()))]);
    return text;
}

// A fresh QR image on no form: the tests look at its picture.
std::unique_ptr<TCQRImage> NewImage() { return std::make_unique<TCQRImage>(nullptr); }

const QImage& PictureImage(TCQRImage& image) { return image.Picture()->Bitmap()->Image(); }

bool IsBlack(const QImage& image, int x, int y) { return (image.pixel(x, y) & 0xFFFFFF) == 0; }
bool IsWhite(const QImage& image, int x, int y) { return (image.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF; }

// Every module square of the picture is wholly black or wholly white as the
// encoder's matrix says, and the quiet zone is white.
::testing::AssertionResult PaintsMatrix(const QImage& picture, const TCQRCode& code, int cell) {
    const int n = code.Size();
    if (picture.width() != cell * (n + 8) || picture.height() != cell * (n + 8))
        return ::testing::AssertionFailure() << "picture " << picture.width() << " x " << picture.height();
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const int mx = x / cell - 4;
            const int my = y / cell - 4;
            const bool dark = mx >= 0 && my >= 0 && mx < n && my < n && code.Modules(mx, my) == 1;
            if (dark ? !IsBlack(picture, x, y) : !IsWhite(picture, x, y))
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ")";
        }
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult ReadsBack(TCQRImage& image) {
    const std::vector<ZbarSymbol> symbols = ZbarDecode(PictureImage(image));
    if (symbols.size() != 1) return ::testing::AssertionFailure() << symbols.size() << " symbols read";
    if (symbols[0].type != QStringLiteral("QR-Code")) return ::testing::AssertionFailure() << "read as " << symbols[0].type.toStdString();
    const QByteArray expected = Cp932(image.Caption());
    if (symbols[0].data != expected)
        return ::testing::AssertionFailure() << "read " << symbols[0].data.size() << " bytes, expected " << expected.size();
    return ::testing::AssertionSuccess();
}

int VersionOfPicture(TCQRImage& image) { return (PictureImage(image).width() / image.CellSize() - 8 - 17) / 4; }

}  // namespace

TEST(QRCodeImage, StartsEmptyWithItsDefaults) {
    auto image = NewImage();
    EXPECT_EQ(image->Width(), 105);
    EXPECT_EQ(image->Height(), 105);
    EXPECT_EQ(image->Picture()->Graphic(), nullptr);
    EXPECT_TRUE(image->AutoExpand());
    EXPECT_EQ(image->CorrectLevel(), qrLevel1M);
    EXPECT_EQ(image->MaskingNo(), -1);
    EXPECT_EQ(image->CellSize(), 2);
    EXPECT_EQ(image->QRVersion(), 0);
    EXPECT_TRUE(image->Center());
    EXPECT_FALSE(image->Stretch());
    EXPECT_FALSE(image->AutoSize());
    EXPECT_EQ(image->TagA(), 0);
    EXPECT_EQ(image->TagFloatC(), 0);
    EXPECT_TRUE(image->TagStringB().isEmpty());
    // An empty caption draws nothing.
    image->SetCaption(QString());
    EXPECT_TRUE(image->Picture()->Bitmap()->Empty());
}

TEST(QRCodeImage, PaintsOneSquarePerModuleWithAQuietZone) {
    auto image = NewImage();
    image->SetCaption(QStringLiteral("HELLO"));
    const QImage& picture = PictureImage(*image);
    SaveTestImage(picture, QStringLiteral("qr_hello_cell2"));
    // Version 1: 2 x (21 + 8) pixels; the finder pattern starts at (8, 8).
    ASSERT_EQ(picture.width(), 58);
    ASSERT_EQ(picture.height(), 58);
    EXPECT_TRUE(IsWhite(picture, 7, 8));
    EXPECT_TRUE(IsWhite(picture, 8, 7));
    EXPECT_TRUE(IsBlack(picture, 8, 8));
    TCQRCode code;
    ASSERT_TRUE(code.Encode(qrLevel1M, 0, true, -1, QByteArray("HELLO")));
    EXPECT_TRUE(PaintsMatrix(picture, code, 2));
    EXPECT_TRUE(ReadsBack(*image));

    // The same symbol at twice the size.
    image->SetCellSize(4);
    EXPECT_TRUE(PaintsMatrix(PictureImage(*image), code, 4));
    // A cell size outside 1..20 is kept within it.
    image->SetCellSize(0);
    EXPECT_EQ(image->CellSize(), 1);
    EXPECT_TRUE(PaintsMatrix(PictureImage(*image), code, 1));
    image->SetCellSize(200);
    EXPECT_EQ(image->CellSize(), 20);
}

TEST(QRCodeImage, EverySetterRedraws) {
    auto image = NewImage();
    image->SetCaption(QStringLiteral("12345"));
    const QImage first = PictureImage(*image);
    image->Picture()->Bitmap()->SetSize(3, 3);
    // Setting a value the property already has draws the symbol again.
    image->SetCaption(image->Caption());
    EXPECT_EQ(PictureImage(*image), first);
    const std::vector<std::function<void()>> setters = {
        [&] { image->SetAutoExpand(true); },       [&] { image->SetCorrectLevel(qrLevel1M); },
        [&] { image->SetMaskingNo(-1); },          [&] { image->SetCellSize(2); },
        [&] { image->SetQRVersion(0); },
    };
    for (const auto& set : setters) {
        image->Picture()->Bitmap()->SetSize(3, 3);
        set();
        EXPECT_EQ(PictureImage(*image), first);
    }
    image->SetCorrectLevel(qrLevel3H);
    EXPECT_NE(PictureImage(*image), first);
    EXPECT_TRUE(ReadsBack(*image));
}

TEST(QRCodeImage, LeavesAWhiteAreaWhenTheTextDoesNotFit) {
    auto image = NewImage();
    image->SetCaption(QStringLiteral("short"));
    ASSERT_EQ(PictureImage(*image).width(), 58);
    image->SetAutoExpand(false);
    image->SetQRVersion(1);
    // 40 letters need version 3 at M.
    image->SetCaption(QString(40, QLatin1Char('a')));
    const QImage& blank = PictureImage(*image);
    ASSERT_EQ(blank.width(), 105);
    ASSERT_EQ(blank.height(), 105);
    for (int y = 0; y < 105; ++y) {
        for (int x = 0; x < 105; ++x) ASSERT_TRUE(IsWhite(blank, x, y)) << x << ", " << y;
    }
    EXPECT_FALSE(image->DrawQRCode());
    image->SetAutoExpand(true);
    EXPECT_EQ(VersionOfPicture(*image), 3);
    EXPECT_TRUE(ReadsBack(*image));

    // Nothing drawn before: nothing drawn now.
    auto fresh = NewImage();
    fresh->SetCaption(QString(3000, QLatin1Char('a')));
    EXPECT_TRUE(fresh->Picture()->Bitmap()->Empty());
}

TEST(QRCodeImage, ForcedMasksReadBack) {
    auto image = NewImage();
    image->SetCorrectLevel(qrLevel2Q);
    image->SetCaption(QStringLiteral("マスク番号のテスト MASK 0123456789"));
    std::vector<QImage> pictures;
    for (int mask = 0; mask < 8; ++mask) {
        image->SetMaskingNo(TMaskingNo(mask));
        TCQRCode code;
        ASSERT_TRUE(code.Encode(qrLevel2Q, 0, true, mask, Cp932(image->Caption())));
        EXPECT_TRUE(PaintsMatrix(PictureImage(*image), code, 2)) << "mask " << mask;
        EXPECT_TRUE(ReadsBack(*image)) << "mask " << mask;
        for (const QImage& other : pictures) EXPECT_NE(other, PictureImage(*image));
        pictures.push_back(PictureImage(*image));
    }
    image->SetMaskingNo(9);
    EXPECT_EQ(image->MaskingNo(), 7);
}

TEST(QRCodeImage, ReadsBackAtEveryVersionAndLevel) {
    Rng rng(932);
    auto image = NewImage();
    for (int version = 1; version <= 40; ++version) {
        for (int level = 0; level < 4; ++level) {
            // About half to four fifths of the version, 16 bits a character.
            const int bits = TCQRCode::DataCodewords(version, level) * 8;
            const int characters = std::max(1, bits / 16 * (5 + Below(rng, 4)) / 10);
            image->SetCorrectLevel(TQRLevel(level));
            image->SetQRVersion(TQRVersion(version));
            image->SetCaption(JapaneseText(characters, rng));
            ASSERT_GE(VersionOfPicture(*image), version);
            EXPECT_TRUE(ReadsBack(*image)) << "version " << version << " level " << level;
        }
    }
    SaveTestImage(PictureImage(*image), QStringLiteral("qr_v40_h"));
}

TEST(QRCodeImage, HoldsTheWholeOfVersion40AtLevelL) {
    auto image = NewImage();
    image->SetCorrectLevel(qrLevel0L);
    image->SetCaption(QString(2953, QLatin1Char('x')));
    EXPECT_EQ(VersionOfPicture(*image), 40);
    EXPECT_TRUE(ReadsBack(*image));
    image->SetCaption(QString(2954, QLatin1Char('x')));
    EXPECT_FALSE(image->DrawQRCode());
    EXPECT_EQ(PictureImage(*image).width(), 105);
}

TEST(QRCodeImage, ShowsAReadableSymbolOnAForm) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 260);
    form.SetColor(clSilver);
    auto* image = new TCQRImage(&form);
    image->SetParent(&form);
    image->SetBounds(20, 20, 200, 200);
    image->SetCellSize(3);
    image->SetCaption(QStringLiteral("伝票番号 12345 ｶﾀｶﾅ"));
    form.Show();
    form.Handle()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.Handle()));

    const QImage shot = form.Handle()->grab().toImage();
    SaveTestImage(shot, QStringLiteral("qr_on_form"));
    const int side = PictureImage(*image).width();
    const int left = 20 + (200 - side) / 2;
    // The picture is centred: white quiet zone from its corner, the control's
    // surroundings in the form's colour.
    EXPECT_EQ(shot.pixelColor(left, left), QColor(255, 255, 255));
    EXPECT_EQ(shot.pixelColor(left - 1, left), QColor(192, 192, 192));
    EXPECT_EQ(shot.pixelColor(left + 12, left + 12), QColor(0, 0, 0));
    const std::vector<ZbarSymbol> symbols = ZbarDecode(shot);
    ASSERT_EQ(symbols.size(), 1u);
    EXPECT_EQ(symbols[0].data, Cp932(image->Caption()));

    // A new caption shows on the form at once.
    image->SetCaption(QStringLiteral("次の伝票"));
    const std::vector<ZbarSymbol> again = ZbarDecode(form.Handle()->grab().toImage());
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].data, Cp932(QStringLiteral("次の伝票")));
}
