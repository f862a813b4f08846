// The bitmap resampler against an independent reference scaler written in
// Python (resample_reference.py): the bytes must be the same.
#include "ComCtrls.h"
#include "Forms.h"
#include "DirectoryView.h"
#include "SysUtils.h"
#include "TestSupport.h"

#include <QtCore/QElapsedTimer>
#include <QtCore/QFile>
#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>
#include <QtGui/QImage>
#include <QtWidgets/QProgressBar>

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace {

// A 24-bit bitmap whose pixel (x, y) is paint(x, y) as B, G, R.
template <class F>
std::unique_ptr<TBitmap> MakeBitmap(Integer width, Integer height, F paint) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(width, height);
    for (Integer y = 0; y < height; ++y) {
        auto* row = static_cast<Byte*>(bitmap->ScanLine(y));
        for (Integer x = 0; x < width; ++x) {
            const std::array<Byte, 3> bgr = paint(x, y);
            std::copy(bgr.begin(), bgr.end(), row + x * 3);
        }
    }
    bitmap->Changed();
    return bitmap;
}

std::unique_ptr<TBitmap> NoiseBitmap(Integer width, Integer height, unsigned seed) {
    std::mt19937 rng(seed);
    return MakeBitmap(width, height, [&](Integer, Integer) {
        return std::array<Byte, 3>{Byte(rng()), Byte(rng()), Byte(rng())};
    });
}

QByteArray PixelBytes(TBitmap& bitmap) {
    QByteArray bytes;
    for (Integer y = 0; y < bitmap.Height(); ++y)
        bytes.append(static_cast<const char*>(bitmap.ScanLine(y)), bitmap.Width() * 3);
    return bytes;
}

// What the reference scaler makes of source at width x height.
QByteArray Reference(TBitmap& source, Integer width, Integer height) {
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.raw"));
    const QString out = dir.filePath(QStringLiteral("out.raw"));
    QFile file(in);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::number(source.Width()) + ' ' + QByteArray::number(source.Height()) + '\n');
    file.write(PixelBytes(source));
    file.close();
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral(VELMORA_SOURCE_DIR "/tests/display/resample_reference.py"), in, out,
                  QString::number(width), QString::number(height)});
    EXPECT_TRUE(python.waitForFinished(120000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    QFile result(out);
    EXPECT_TRUE(result.open(QIODevice::ReadOnly));
    return result.readAll();
}

QByteArray Ours(TBitmap& source, Integer width, Integer height) {
    std::unique_ptr<TBitmap> scaled(ResampleBitmap(&source, width, height, nullptr));
    EXPECT_EQ(scaled->Width(), width);
    EXPECT_EQ(scaled->Height(), height);
    EXPECT_EQ(scaled->PixelFormat(), pf24bit);
    return PixelBytes(*scaled);
}

void ExpectLikeReference(TBitmap& source, Integer width, Integer height) {
    const QByteArray expected = Reference(source, width, height);
    ASSERT_EQ(expected.size(), width * height * 3);
    const QByteArray actual = Ours(source, width, height);
    ASSERT_EQ(actual.size(), expected.size());
    for (qsizetype i = 0; i < actual.size(); ++i) {
        ASSERT_EQ(Byte(actual[i]), Byte(expected[i]))
            << source.Width() << "x" << source.Height() << " -> " << width << "x" << height << ", pixel "
            << i / 3 % width << "," << i / 3 / width << " channel " << i % 3;
    }
}

}  // namespace

TEST(ResampleBitmap, OneColourStaysThatColourAtEverySize) {
    auto source = MakeBitmap(7, 5, [](Integer, Integer) { return std::array<Byte, 3>{200, 17, 99}; });
    for (auto [w, h] : {std::pair{1, 1}, {3, 11}, {7, 5}, {16, 16}, {40, 2}}) {
        const QByteArray bytes = Ours(*source, w, h);
        for (qsizetype i = 0; i < bytes.size(); i += 3) {
            ASSERT_EQ(Byte(bytes[i]), 200);
            ASSERT_EQ(Byte(bytes[i + 1]), 17);
            ASSERT_EQ(Byte(bytes[i + 2]), 99);
        }
        ExpectLikeReference(*source, w, h);
    }
}

TEST(ResampleBitmap, OnePixelFillsTheWholeResult) {
    auto source = MakeBitmap(1, 1, [](Integer, Integer) { return std::array<Byte, 3>{1, 128, 255}; });
    const QByteArray bytes = Ours(*source, 8, 8);
    ASSERT_EQ(bytes.size(), 8 * 8 * 3);
    for (qsizetype i = 0; i < bytes.size(); i += 3)
        EXPECT_EQ(QByteArray(bytes.constData() + i, 3), QByteArray("\x01\x80\xff", 3));
}

TEST(ResampleBitmap, SameSizeSoftensWithTheEighthThreeQuarterKernel) {
    // A lone bright pixel on black spreads 3/4 x 3/4 on itself, 3/4 x 1/8 on
    // its four neighbours and 1/8 x 1/8 on the corners (the small excess of
    // the interval takes a hair off, so these land just below the exact value).
    auto source = MakeBitmap(5, 5, [](Integer x, Integer y) {
        const Byte v = x == 2 && y == 2 ? 128 : 0;
        return std::array<Byte, 3>{v, v, v};
    });
    std::unique_ptr<TBitmap> scaled(ResampleBitmap(source.get(), 5, 5, nullptr));
    const auto at = [&](Integer x, Integer y) { return static_cast<const Byte*>(scaled->ScanLine(y))[x * 3]; };
    EXPECT_EQ(at(2, 2), 72);  // 128 * 9/16
    EXPECT_EQ(at(1, 2), 12);  // 128 * 3/32
    EXPECT_EQ(at(2, 3), 12);
    EXPECT_EQ(at(1, 1), 2);   // 128 / 64
    EXPECT_EQ(at(0, 0), 0);
    ExpectLikeReference(*source, 5, 5);
    auto noise = NoiseBitmap(9, 6, 1);
    ExpectLikeReference(*noise, 9, 6);
}

TEST(ResampleBitmap, ShrinksAndEnlargesLikeTheReference) {
    auto noise = NoiseBitmap(32, 32, 7);
    ExpectLikeReference(*noise, 8, 8);
    ExpectLikeReference(*noise, 64, 64);
    ExpectLikeReference(*noise, 16, 48);
    auto wide = NoiseBitmap(37, 13, 11);
    ExpectLikeReference(*wide, 10, 29);
    ExpectLikeReference(*wide, 3, 1);
    ExpectLikeReference(*wide, 100, 7);
    auto gradient = MakeBitmap(32, 32, [](Integer x, Integer y) {
        return std::array<Byte, 3>{Byte(x * 8), Byte(y * 8), Byte((x + y) * 4)};
    });
    ExpectLikeReference(*gradient, 24, 24);
    ExpectLikeReference(*gradient, 33, 31);
}

TEST(ResampleBitmap, HalvesRoundToTheEvenNeighbour) {
    // Two columns 1 and 2 (and 3 and 4) averaged into one pixel come to
    // 1.5 and 3.5 but for the hair the interval leaves out at its end:
    // whatever side they land on, ours and the reference agree.
    auto pairs = MakeBitmap(4, 1, [](Integer x, Integer) {
        const Byte v = Byte(x + 1);
        return std::array<Byte, 3>{v, Byte(v * 2 + 1), Byte(255 - v)};
    });
    ExpectLikeReference(*pairs, 2, 1);
    ExpectLikeReference(*pairs, 1, 1);
    ExpectLikeReference(*pairs, 3, 2);
}

TEST(ResampleBitmap, LeavesTheSourceAsItWas) {
    auto source = NoiseBitmap(12, 9, 3);
    source->SetPixelFormat(pf32bit);
    const QImage before = source->Image().copy();
    std::unique_ptr<TBitmap> scaled(ResampleBitmap(source.get(), 5, 4, nullptr));
    EXPECT_EQ(source->Image(), before);
    EXPECT_EQ(source->PixelFormat(), pf32bit);
    EXPECT_EQ(scaled->PixelFormat(), pf24bit);
}

TEST(ResampleBitmap, RefusesAnEmptySourceAndSizesBelowOne) {
    TBitmap empty;
    try {
        delete ResampleBitmap(&empty, 8, 8, nullptr);
        FAIL() << "an empty source was scaled";
    } catch (const EAssertionFailed& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("アサートの失敗"));
    }
    EXPECT_THROW(delete ResampleBitmap(nullptr, 8, 8, nullptr), EAssertionFailed);
    auto source = NoiseBitmap(4, 4, 5);
    EXPECT_THROW(delete ResampleBitmap(source.get(), 0, 8, nullptr), EInvalidGraphic);
    EXPECT_THROW(delete ResampleBitmap(source.get(), 8, -1, nullptr), EInvalidGraphic);
}

TEST(ResampleBitmap, StepsTheProgressBarOncePerRow) {
    TForm form(nullptr);
    auto* bar = new TProgressBar(&form);
    bar->SetParent(&form);
    bar->SetMax(1000);
    bar->SetPosition(500);
    auto* qtBar = dynamic_cast<QProgressBar*>(bar->Handle());
    ASSERT_NE(qtBar, nullptr);
    std::vector<int> positions;
    QObject::connect(qtBar, &QProgressBar::valueChanged, [&](int v) { positions.push_back(v); });
    auto source = NoiseBitmap(20, 20, 9);
    std::unique_ptr<TBitmap> scaled(ResampleBitmap(source.get(), 6, 7, bar));
    // Back to 0 first, one step at the start of each of the 7 rows (the
    // last one held at the maximum of 6), then 0 again.
    EXPECT_EQ(positions, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 0}));
    EXPECT_EQ(bar->Min(), 0);
    EXPECT_EQ(bar->Max(), 6);
    EXPECT_EQ(bar->Step(), 1);
    EXPECT_EQ(bar->Position(), 0);
}


// A very wide picture shrunk to one pixel reads each source pixel about
// once (gathering its weights took seconds), and gives the colour's mean.
TEST(ResampleLimits, ShrinkingAVeryWidePictureIsQuickAndAverages) {
    auto wide = MakeBitmap(100000, 2, [](Integer x, Integer) { return std::array<Byte, 3>{Byte(x % 2 ? 40 : 20), 7, 9}; });
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<TBitmap> one(ResampleBitmap(wide.get(), 1, 1, nullptr));
    EXPECT_LT(clock.elapsed(), 2000);
    const Byte* p = static_cast<const Byte*>(one->ScanLine(0));
    EXPECT_EQ((std::array<int, 3>{p[0], p[1], p[2]}), (std::array<int, 3>{30, 7, 9}));
}

// A size no memory can hold is refused with an error, not written through
// a missing picture.
TEST(ResampleLimits, ASizeThatCannotBeMadeRaisesAnError) {
    auto one = MakeBitmap(1, 1, [](Integer, Integer) { return std::array<Byte, 3>{1, 2, 3}; });
    EXPECT_THROW(delete ResampleBitmap(one.get(), 100000, 100000, nullptr), EInvalidGraphic);
}
