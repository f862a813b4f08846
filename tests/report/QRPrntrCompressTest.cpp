// The page coder: the published vectors, bit packing, limits and round
// trips, checked against the reference coder in tools/splay_coder.py.
#include "QRPrntrTestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace {

QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

}  // namespace

TEST(QRCompress, CodesTheKnownVectors) {
    EXPECT_EQ(CompressBytes(QByteArray(1, '\0')), hex("80"));  // seven left steps, then right
    EXPECT_EQ(CompressBytes(QByteArray(1, '\xff')), hex("0000"));  // nine steps, second byte flushed
    EXPECT_EQ(CompressBytes(QByteArray(1, '\xfe')), hex("ff"));
    EXPECT_EQ(CompressBytes("abc"), hex("463d01"));
    EXPECT_EQ(CompressBytes(QByteArray(10, 'a')), hex("46c51f"));
    EXPECT_TRUE(CompressBytes(QByteArray()).isEmpty());
}

TEST(QRCompress, ExpandsTheKnownVectorsAndStopsAtTheStatedLength) {
    EXPECT_EQ(ExpandBytes(hex("463d01"), 3), QByteArray("abc"));
    EXPECT_EQ(ExpandBytes(hex("46c51f"), 10), QByteArray(10, 'a'));
    EXPECT_EQ(ExpandBytes(hex("0000"), 1), QByteArray(1, '\xff'));

    // Code bytes of the next record follow: the expander leaves them alone.
    TMemoryStream stream;
    stream.WriteBytes(hex("463d01") + "NEXT");
    stream.SetPosition(0);
    TQRCompress coder(stream, false);
    Byte out[3];
    coder.ExpandBytes(out, 3);
    coder.Finish();
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(out), 3), QByteArray("abc"));
    EXPECT_EQ(stream.Position(), 3);
    EXPECT_FALSE(coder.Overrun());
}

TEST(QRCompress, DestructorFlushesThePartlyFilledByte) {
    TMemoryStream code;
    {
        TQRCompress coder(code, true);
        coder.CompressByte('a');
        coder.CompressByte('b');
        EXPECT_EQ(code.Size(), 0);  // still buffered
    }
    const int bits = RunTool("splay_coder.py", {"bits"}, "ab").split('\n')[1].toInt();
    ASSERT_NE(bits % 8, 0);
    EXPECT_EQ(code.Size(), (bits + 7) / 8);
    EXPECT_EQ(code.Bytes(), CompressBytes("ab"));
    EXPECT_EQ(Byte(code.Bytes().back()) >> (bits % 8), 0);  // unused high bits are zero
}

TEST(QRCompress, CodeOfWholeBytesHasNoExtraByte) {
    std::mt19937 random(7);
    QByteArray data;
    for (int i = 0; i < 300; ++i) data += char(random() % 40 + 'A');
    const QList<QByteArray> totals = RunTool("splay_coder.py", {"bits"}, data).trimmed().split('\n');
    ASSERT_EQ(totals.size(), data.size());
    int found = 0;
    for (int n = 1; n <= data.size(); ++n) {
        const int bits = totals[n - 1].toInt();
        if (bits % 8 != 0) continue;
        ++found;
        const QByteArray prefix = data.left(n);
        const QByteArray code = CompressBytes(prefix);
        EXPECT_EQ(code.size(), bits / 8) << n;
        EXPECT_EQ(ExpandBytes(code, n), prefix);
    }
    EXPECT_GE(found, 3);
}

TEST(QRCompress, AgreesWithTheReferenceCoder) {
    std::mt19937 random(1234);
    QByteArray uniform(20000, '\0');
    for (auto& b : uniform) b = char(random());
    QByteArray skewed(20000, '\0');
    for (auto& b : skewed) b = char(random() % 7 == 0 ? random() : random() % 4);
    // Sweeps up and down the byte values push leaves 50 and more steps deep.
    QByteArray sweeps;
    for (int round = 0; round < 10; ++round)
        for (int i = 0; i < 512; ++i) sweeps += char(i < 256 ? i : 511 - i);
    for (const QByteArray& data : {uniform, skewed, sweeps, MakeReportLikePage(3, 300)}) {
        const QByteArray code = CompressBytes(data);
        EXPECT_EQ(code, RunTool("splay_coder.py", {"compress"}, data));
        EXPECT_EQ(ExpandBytes(code, Integer(data.size())), data);
    }
}

TEST(QRCompress, FrequentBytesSettleNearTheRoot) {
    const QByteArray code = CompressBytes(QByteArray(4000, 'x'));
    // The first x costs 8 bits; once splayed up it costs one or two.
    EXPECT_LT(code.size(), 4000 * 2 / 8 + 16);
    EXPECT_EQ(ExpandBytes(code, 4000), QByteArray(4000, 'x'));
}

TEST(QRCompress, RoundTripsRandomDataOfEverySmallLength) {
    std::mt19937 random(99);
    for (int n = 0; n < 300; ++n) {
        QByteArray data(n, '\0');
        for (auto& b : data) b = char(random() >> (random() % 24));
        ASSERT_EQ(ExpandBytes(CompressBytes(data), n), data) << n;
    }
}

TEST(QRCompress, ExpandingPastTheCodeYieldsZeroBitsAndSaysSo) {
    TMemoryStream stream;
    stream.WriteBytes(hex("463d01") + "ZZZZ");
    stream.SetPosition(0);
    TQRCompress coder(stream, false, 3);
    Byte out[40];
    coder.ExpandBytes(out, 3);
    EXPECT_FALSE(coder.Overrun());
    coder.ExpandBytes(out, 40);  // the limit keeps the coder off "ZZZZ"
    coder.Finish();
    EXPECT_TRUE(coder.Overrun());
    EXPECT_EQ(stream.Position(), 3);
    // With zero bits only the leftmost leaf is ever reached.
    const QByteArray expectedTail = ExpandBytes(hex("463d01") + QByteArray(40, '\0'), 43).mid(3);
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(out), 40), expectedTail);
}
