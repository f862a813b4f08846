// The page coder: the published vectors, bit packing, limits and round
// trips, checked against the reference coder in tools/splay_coder.py and
// against the plain coder below.
#include "QRPrntrTestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace {

QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

// The coder as plainly as it can be written: child and parent tables, one
// bit at a time through a bit position and a mask table, one byte at a time
// in and out. The coder under test keeps its tree and bits otherwise.
class PlainCoder {
public:
    PlainCoder() {
        for (int i = 1; i <= 512; ++i) parent_[i] = quint8((i - 1) / 2);
        for (int i = 0; i < 256; ++i) {
            left_[i] = quint16(2 * i + 1);
            right_[i] = quint16(2 * i + 2);
        }
    }

    static QByteArray Compress(const QByteArray& data) {
        PlainCoder coder;
        QByteArray out;
        for (char c : data) coder.compressByte(Byte(c), out);
        if (coder.bitPos_ != 0) out += char(coder.code_);
        return out;
    }

    static QByteArray Expand(const QByteArray& code, int count) {
        PlainCoder coder;
        coder.bitPos_ = 7;
        int next = 0;
        QByteArray out;
        for (int i = 0; i < count; ++i) {
            int a = 0;
            while (a < 256) {
                if (coder.bitPos_ == 7) {
                    coder.code_ = next < code.size() ? Byte(code[next++]) : 0;
                    coder.bitPos_ = 0;
                } else {
                    ++coder.bitPos_;
                }
                a = coder.code_ & kMask[coder.bitPos_] ? coder.right_[a] : coder.left_[a];
            }
            out += char(a - 256);
            coder.splay(a - 256);
        }
        return out;
    }

private:
    static constexpr Byte kMask[8] = {1, 2, 4, 8, 16, 32, 64, 128};

    void compressByte(Byte c, QByteArray& out) {
        bool path[256];
        int depth = 0;
        for (int a = 256 + c; a != 0; a = parent_[a]) path[depth++] = right_[parent_[a]] == a;
        while (depth > 0) {
            if (path[--depth]) code_ |= kMask[bitPos_];
            if (bitPos_ == 7) {
                out += char(code_);
                code_ = 0;
                bitPos_ = 0;
            } else {
                ++bitPos_;
            }
        }
        splay(c);
    }

    void splay(int c) {
        int a = 256 + c;
        while (a != 0) {
            const int p = parent_[a];
            if (p == 0) break;
            const int g = parent_[p];
            int b = left_[g];
            if (b == p) {
                b = right_[g];
                right_[g] = quint16(a);
            } else {
                left_[g] = quint16(a);
            }
            if (a == left_[p]) left_[p] = quint16(b);
            else right_[p] = quint16(b);
            parent_[a] = quint8(g);
            parent_[b] = quint8(p);
            a = g;
        }
    }

    quint16 left_[256];
    quint16 right_[256];
    quint8 parent_[513] = {};
    int bitPos_ = 0;
    Byte code_ = 0;
};

// Inputs of many shapes: uniform and skewed noise, runs, slowly drifting
// values, sweeps that drive leaves deep, and page-like bytes.
QList<QByteArray> VariedInputs(quint32 seed) {
    std::mt19937 random(seed);
    QList<QByteArray> inputs;
    for (int shape = 0; shape < 6; ++shape) {
        QByteArray data(int(random() % 6000), '\0');
        int level = 128;
        for (int i = 0; i < data.size(); ++i) {
            switch (shape) {
            case 0: data[i] = char(random()); break;
            case 1: data[i] = char(random() % 9 == 0 ? random() : random() % 3); break;
            case 2: data[i] = char(i / int(1 + random() % 40) % 5); break;
            case 3: data[i] = char(level += int(random() % 7) - 3); break;
            case 4: data[i] = char(i % 512 < 256 ? i % 256 : 511 - i % 512); break;
            default: data[i] = char(random() % 4 ? 0 : random() % 64); break;
            }
        }
        inputs << data;
    }
    inputs << MakeReportLikePage(seed, 60 + int(random() % 200)) << MakeEmfBytes(seed, 2000 + int(random() % 20000));
    return inputs;
}

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

TEST(QRCompress, MatchesThePlainCoderByteForByte) {
    // The plain coder itself must reproduce the published vectors first.
    EXPECT_EQ(PlainCoder::Compress("abc"), hex("463d01"));
    EXPECT_EQ(PlainCoder::Compress(QByteArray(10, 'a')), hex("46c51f"));
    EXPECT_EQ(PlainCoder::Compress(QByteArray(1, '\xff')), hex("0000"));
    for (quint32 seed = 1; seed <= 12; ++seed) {
        for (const QByteArray& data : VariedInputs(seed)) {
            const QByteArray code = CompressBytes(data);
            ASSERT_EQ(code, PlainCoder::Compress(data)) << "seed " << seed << ", " << data.size() << " bytes";
            ASSERT_EQ(ExpandBytes(code, Integer(data.size())), data);
            ASSERT_EQ(PlainCoder::Expand(code, int(data.size())), data);
        }
    }
}

TEST(QRCompress, ByteCallsAndBlockCallsMix) {
    // Single bytes and blocks share one tree and one bit stream, in both
    // directions, whatever the split.
    const QByteArray data = VariedInputs(77)[1] + MakeReportLikePage(5, 80);
    std::mt19937 random(3);
    TMemoryStream code;
    {
        TQRCompress coder(code, true);
        for (int at = 0; at < data.size();) {
            const int n = std::min(int(random() % 5), int(data.size()) - at);
            if (n == 0) coder.CompressByte(Byte(data[at++]));
            else coder.CompressBytes(reinterpret_cast<const Byte*>(data.constData()) + at, n), at += n;
        }
    }
    ASSERT_EQ(code.Bytes(), PlainCoder::Compress(data));
    code.SetPosition(0);
    TQRCompress expander(code, false, code.Size());
    QByteArray back(data.size(), '\0');
    for (int at = 0; at < back.size();) {
        const int n = std::min(int(random() % 5), int(back.size()) - at);
        if (n == 0) back[at++] = char(expander.ExpandByte());
        else expander.ExpandBytes(reinterpret_cast<Byte*>(back.data()) + at, n), at += n;
    }
    EXPECT_EQ(back, data);
    EXPECT_FALSE(expander.Overrun());
}

TEST(QRCompress, ExpanderWithoutLimitStopsRightAfterItsCode) {
    // A record's code followed by much more data: the bytes read ahead into
    // the coder's buffer go back to the stream.
    for (int tail : {1, 7, 8, 9, 100, 5000, 9000}) {
        const QByteArray data = MakeReportLikePage(quint32(tail), 40);
        const QByteArray code = CompressBytes(data);
        TMemoryStream stream;
        stream.WriteBytes(code + QByteArray(tail, 'T'));
        stream.SetPosition(0);
        QByteArray back(data.size(), '\0');
        TQRCompress coder(stream, false);
        coder.ExpandBytes(reinterpret_cast<Byte*>(back.data()), back.size());
        coder.Finish();
        EXPECT_EQ(back, data) << tail;
        EXPECT_EQ(stream.Position(), code.size()) << tail;
    }
}

TEST(QRCompress, RunsOfTheCommonestByteAtEveryLengthAndEnd) {
    // Once 0 sits next to the root its runs cost a bit a byte; runs of every
    // length, broken by other bytes, ending at every distance from the end
    // of the block and from the ends of the code's bit words.
    std::mt19937 random(11);
    QByteArray data(20, '\0');
    for (int run = 1; run <= 70; ++run) {
        data += QByteArray(run, '\0');
        data += char(1 + random() % (run % 3 ? 3 : 200));
    }
    for (int n = data.size() - 24; n <= data.size(); ++n) {
        const QByteArray part = data.left(n);
        const QByteArray code = CompressBytes(part);
        ASSERT_EQ(code, PlainCoder::Compress(part)) << n;
        ASSERT_EQ(ExpandBytes(code, n), part) << n;
    }
    for (int start = 0; start < 64; ++start) {
        const QByteArray shifted = QByteArray(start, 'q') + data;
        ASSERT_EQ(ExpandBytes(PlainCoder::Compress(shifted), Integer(shifted.size())), shifted) << start;
    }
}
