// The QR code encoder against libqrencode (matrices module for module, mask
// chosen) and the segmentation, capacity and version rules.
#include "CBarCode.h"

#include <gtest/gtest.h>
#include <qrencode.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

// Exported by the library though not declared in its header: encoding with
// a fixed mask. Weak, so a build of the library without it skips those cases.
extern "C" QRcode* QRcode_encodeMask(QRinput* input, int mask) __attribute__((weak));

namespace {

// Reaches the encoder's steps to score hand-made matrices.
class ProbeQRCode : public TCQRCode {
public:
    using TCQRCode::Penalty;
    void SetMatrix(const std::vector<std::string>& rows) {
        size_ = Integer(rows.size());
        for (Integer y = 0; y < size_; ++y) {
            for (Integer x = 0; x < size_; ++x) modules_[x][y] = rows[size_t(y)][size_t(x)] == '#' ? 1 : 0;
        }
    }
};

// The standard engine, whose sequence is the same everywhere, so the
// corpus is too.
using Rng = std::mt19937;

Integer Below(Rng& rng, Integer n) { return Integer(rng() % uint32_t(n)); }

struct QrencodeMatrix {
    int version = 0;
    int width = 0;
    std::vector<unsigned char> modules;  // row by row, 1 dark
    bool Dark(int x, int y) const { return modules[size_t(y * width + x)] != 0; }
};

// libqrencode's symbol for the same segments, version and level as the
// encoder's last call; mask -1 lets libqrencode choose.
bool EncodeWithQrencode(const TCQRCode& ours, const QByteArray& text, int mask, QrencodeMatrix& out) {
    static const QRencodeMode kModes[4] = {QR_MODE_NUM, QR_MODE_AN, QR_MODE_8, QR_MODE_KANJI};
    QRinput* input = QRinput_new2(ours.Version(), QRecLevel(ours.Level()));
    if (!input) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(text.constData());
    for (const TQRSegment& seg : ours.Segments()) {
        if (QRinput_append(input, kModes[seg.Mode], seg.Count, p) != 0) {
            QRinput_free(input);
            return false;
        }
        p += seg.Count;
    }
    QRcode* code = mask < 0 ? QRcode_encodeInput(input) : QRcode_encodeMask(input, mask);
    QRinput_free(input);
    if (!code) return false;
    out.version = code->version;
    out.width = code->width;
    out.modules.resize(size_t(code->width * code->width));
    for (size_t i = 0; i < out.modules.size(); ++i) out.modules[i] = code->data[i] & 1;
    QRcode_free(code);
    return true;
}

// The mask number read back from the format information near the upper left finder.
int MaskOfMatrix(const QrencodeMatrix& m) {
    int info = 0;
    for (int k = 0; k < 15; ++k) {
        int x = 8;
        int y = k;
        if (k == 6 || k == 7) y = k + 1;
        if (k >= 8) {
            x = k == 8 ? 7 : 14 - k;
            y = 8;
        }
        if (m.Dark(x, y)) info |= 1 << k;
    }
    return ((info ^ 0x5412) >> 10) & 7;
}

// Compares a symbol with libqrencode's: version, mask and every module.
::testing::AssertionResult SameMatrix(const TCQRCode& ours, const QrencodeMatrix& ref) {
    if (ref.version != ours.Version() || ref.width != ours.Size())
        return ::testing::AssertionFailure() << "version " << ours.Version() << " vs qrencode " << ref.version;
    if (MaskOfMatrix(ref) != ours.Mask())
        return ::testing::AssertionFailure() << "mask " << ours.Mask() << " vs qrencode " << MaskOfMatrix(ref);
    for (int y = 0; y < ref.width; ++y) {
        for (int x = 0; x < ref.width; ++x) {
            if (ref.Dark(x, y) != (ours.Modules(x, y) == 1))
                return ::testing::AssertionFailure() << "module (" << x << ", " << y << ") differs, version "
                                                     << ours.Version() << " level " << ours.Level();
        }
    }
    return ::testing::AssertionSuccess();
}

// The encoder's last symbol against libqrencode's for the same input; mask
// -1 lets libqrencode choose its own.
::testing::AssertionResult MatchesQrencode(const TCQRCode& ours, const QByteArray& text, int mask = -1) {
    QrencodeMatrix ref;
    if (!EncodeWithQrencode(ours, text, mask, ref)) return ::testing::AssertionFailure() << "qrencode refused the input";
    return SameMatrix(ours, ref);
}

// ------------------------------------------------------------ corpus

enum class TextKind { Numeric, Alphanumeric, Byte, Kanji, Mixed };

const char kAlphanumericSet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";

void AppendKanji(QByteArray& text, Rng& rng) {
    const Integer lead = Below(rng, 2) == 0 ? 0x81 + Below(rng, 0x9F - 0x81 + 1) : 0xE0 + Below(rng, 0xEB - 0xE0);
    text.append(char(lead));
    text.append(char(0x40 + Below(rng, 0xFC - 0x40 + 1)));
}

// Characters for a text of the kind; a kanji counts as one character.
QByteArray MakeText(TextKind kind, Integer characters, Rng& rng) {
    QByteArray text;
    for (Integer i = 0; i < characters; ++i) {
        switch (kind) {
        case TextKind::Numeric: text.append(char('0' + Below(rng, 10))); break;
        case TextKind::Alphanumeric: text.append(kAlphanumericSet[Below(rng, 45)]); break;
        case TextKind::Byte: text.append(char(Below(rng, 256))); break;
        case TextKind::Kanji: AppendKanji(text, rng); break;
        case TextKind::Mixed: {
            // Runs of one class, so that the merge passes have work to do.
            const Integer run = 1 + Below(rng, 12);
            const Integer pick = Below(rng, 4);
            for (Integer k = 0; k < run && i < characters; ++k, ++i) {
                if (pick == 0) text.append(char('0' + Below(rng, 10)));
                if (pick == 1) text.append(kAlphanumericSet[10 + Below(rng, 35)]);
                if (pick == 2) text.append(char('a' + Below(rng, 26)));
                if (pick == 3) AppendKanji(text, rng);
            }
            --i;
            break;
        }
        }
    }
    return text;
}

// Roughly the characters that fill a version at a level in one mode.
Integer Capacity(TextKind kind, Integer version, Integer level) {
    const Integer bits = TCQRCode::DataCodewords(version, level) * 8 - 24;
    switch (kind) {
    case TextKind::Numeric: return bits * 3 / 10;
    case TextKind::Alphanumeric: return bits * 2 / 11;
    case TextKind::Kanji: return bits / 13;
    case TextKind::Mixed: return bits / 12;
    default: return bits / 8;
    }
}

const char* KindName(TextKind kind) {
    static const char* names[] = {"numeric", "alphanumeric", "byte", "kanji", "mixed"};
    return names[int(kind)];
}

// ------------------------------------------------------------ penalty reference

// The four scoring rules, computed directly on a 0/1 matrix.
Integer ReferencePenalty(const std::vector<std::vector<int>>& dark) {
    const Integer n = Integer(dark.size());
    auto at = [&](Integer x, Integer y, bool vertical) { return vertical ? dark[size_t(x)][size_t(y)] : dark[size_t(y)][size_t(x)]; };
    Integer score = 0;
    for (int direction = 0; direction < 2; ++direction) {
        const bool vertical = direction == 0;
        for (Integer line = 0; line < n; ++line) {
            auto get = [&](Integer p) { return at(line, p, vertical); };
            auto light = [&](Integer p) { return p < 0 || p >= n || get(p) == 0; };
            for (Integer p = 0; p < n;) {
                Integer q = p;
                while (q < n && get(q) == get(p)) ++q;
                if (q - p >= 5) score += 3 + (q - p - 5);
                p = q;
            }
            for (Integer p = 0; p <= n - 7; ++p) {
                const bool pattern = get(p) && !get(p + 1) && get(p + 2) && get(p + 3) && get(p + 4) && !get(p + 5) &&
                                     get(p + 6);
                if (!pattern || !light(p - 1) || !light(p + 7)) continue;
                const bool before = light(p - 1) && light(p - 2) && light(p - 3) && light(p - 4);
                const bool after = light(p + 7) && light(p + 8) && light(p + 9) && light(p + 10);
                if (before || after) score += 40;
            }
        }
    }
    Integer light = 0;
    for (Integer x = 0; x < n; ++x) {
        for (Integer y = 0; y < n; ++y) {
            light += dark[size_t(x)][size_t(y)] == 0;
            if (x + 1 < n && y + 1 < n) {
                const int d = dark[size_t(x)][size_t(y)];
                if (dark[size_t(x + 1)][size_t(y)] == d && dark[size_t(x)][size_t(y + 1)] == d &&
                    dark[size_t(x + 1)][size_t(y + 1)] == d)
                    score += 3;
            }
        }
    }
    return score + 10 * (std::abs(100 * light / (n * n) - 50) / 5);
}

std::vector<std::vector<int>> MatrixOf(const TCQRCode& code) {
    std::vector<std::vector<int>> m(size_t(code.Size()), std::vector<int>(size_t(code.Size())));
    for (Integer x = 0; x < code.Size(); ++x) {
        for (Integer y = 0; y < code.Size(); ++y) m[size_t(x)][size_t(y)] = code.Modules(x, y);
    }
    return m;
}

std::vector<TQRSegment> SegmentsOf(const char* text, Integer level = qrLevel1M) {
    TCQRCode code;
    EXPECT_TRUE(code.Encode(level, 0, true, -1, QByteArray(text)));
    return code.Segments();
}

}  // namespace

// ------------------------------------------------------------ against libqrencode

// libqrencode also scores the finder-like pattern scaled up (2:2:6:2:2 and
// so on), which the rule here does not, so now and then it picks another
// mask. Then the symbol must still be libqrencode's with the mask forced,
// and our choice must be the lower score by our rules.
TEST(QRCodeEncoder, MatchesQrencodeOverVersionsLevelsAndModes) {
    Rng rng(20240611);
    ProbeQRCode code;
    ProbeQRCode other;
    Integer compared = 0;
    Integer otherMask = 0;
    for (TextKind kind : {TextKind::Numeric, TextKind::Alphanumeric, TextKind::Byte, TextKind::Kanji, TextKind::Mixed}) {
        for (Integer version = 1; version <= 40; ++version) {
            for (Integer level = 0; level < 4; ++level) {
                const Integer most = Capacity(kind, version, level);
                const Integer least = version == 1 ? 1 : Capacity(kind, version - 1, level) + 1;
                const Integer characters = least + Below(rng, std::max(1, most - least + 1));
                const QByteArray text = MakeText(kind, std::max(1, characters), rng);
                // Every other case asks for the version and lets it grow.
                const Integer requested = (version + level) % 2 == 0 ? version : 0;
                SCOPED_TRACE(testing::Message() << KindName(kind) << " v" << version << " level " << level);
                ASSERT_TRUE(code.Encode(level, requested, true, -1, text));
                ++compared;
                QrencodeMatrix chosen;
                ASSERT_TRUE(EncodeWithQrencode(code, text, -1, chosen));
                const int theirs = MaskOfMatrix(chosen);
                if (theirs == code.Mask()) {
                    EXPECT_TRUE(SameMatrix(code, chosen));
                    continue;
                }
                ++otherMask;
                ASSERT_TRUE(other.Encode(level, code.Version(), false, theirs, text));
                EXPECT_TRUE(SameMatrix(other, chosen));
                EXPECT_LT(code.Penalty(), other.Penalty());
                if (QRcode_encodeMask) {
                    EXPECT_TRUE(MatchesQrencode(code, text, code.Mask()));
                }
            }
        }
    }
    EXPECT_EQ(compared, 800);
    EXPECT_LE(otherMask, compared / 50) << "libqrencode chose another mask too often";
}

TEST(QRCodeEncoder, ForcedMasksMatchQrencode) {
    if (!QRcode_encodeMask) GTEST_SKIP() << "libqrencode without QRcode_encodeMask";
    Rng rng(7);
    TCQRCode code;
    for (Integer version : {1, 2, 7, 14, 27, 40}) {
        const QByteArray text = MakeText(TextKind::Mixed, Capacity(TextKind::Mixed, version, 2), rng);
        for (Integer mask = 0; mask < 8; ++mask) {
            ASSERT_TRUE(code.Encode(qrLevel2Q, version, true, mask, text));
            EXPECT_EQ(code.Mask(), mask);
            EXPECT_TRUE(MatchesQrencode(code, text, mask)) << "v" << version << " mask " << mask;
        }
    }
}

TEST(QRCodeEncoder, CapacityEdgesMatchQrencode) {
    TCQRCode code;
    // 34 digits fill the 128 bits of 1-M exactly: no terminator, no pad.
    const QByteArray digits34 = QByteArray("0123456789012345678901234567890123");
    ASSERT_TRUE(code.Encode(qrLevel1M, 0, false, -1, digits34));
    EXPECT_EQ(code.Version(), 1);
    EXPECT_TRUE(MatchesQrencode(code, digits34));
    ASSERT_TRUE(code.Encode(qrLevel1M, 0, false, -1, digits34 + "5"));
    EXPECT_EQ(code.Version(), 2);

    // Versions 6 and 7, without and with version information.
    Rng rng(3);
    const QByteArray text = MakeText(TextKind::Byte, 100, rng);
    for (Integer version : {6, 7}) {
        ASSERT_TRUE(code.Encode(qrLevel0L, version, false, -1, text));
        EXPECT_TRUE(MatchesQrencode(code, text)) << "v" << version;
    }

    // The whole of 40-L in byte mode.
    const QByteArray full(2953, 'a');
    ASSERT_TRUE(code.Encode(qrLevel0L, 0, false, -1, full));
    EXPECT_EQ(code.Version(), 40);
    EXPECT_TRUE(MatchesQrencode(code, full));
}

// ------------------------------------------------------------ segmentation

TEST(QRCodeEncoder, SegmentsNumericAndAlphanumericTexts) {
    using S = std::vector<TQRSegment>;
    TCQRCode code;
    ASSERT_TRUE(code.Encode(qrLevel1M, 0, true, -1, QByteArray("01234567")));
    EXPECT_EQ(code.Segments(), (S{{TCQRCode::qmNumeric, 8}}));
    EXPECT_EQ(code.Version(), 1);
    EXPECT_EQ(SegmentsOf("HELLO WORLD"), (S{{TCQRCode::qmAlphanumeric, 11}}));
    // Joined: 52 bits against 34 + 19.
    EXPECT_EQ(SegmentsOf("123456A"), (S{{TCQRCode::qmAlphanumeric, 7}}));
    // Long digit runs stay numeric beside letters.
    EXPECT_EQ(SegmentsOf("ABCDEF1234567890123"),
              (S{{TCQRCode::qmAlphanumeric, 6}, {TCQRCode::qmNumeric, 13}}));
}

TEST(QRCodeEncoder, SegmentsBytesAroundDigitsAndKanji) {
    using S = std::vector<TQRSegment>;
    EXPECT_EQ(SegmentsOf("abc123def"), (S{{TCQRCode::qmByte, 9}}));
    EXPECT_EQ(SegmentsOf("abc1234def"), (S{{TCQRCode::qmByte, 10}}));
    EXPECT_EQ(SegmentsOf("ab123456789"), (S{{TCQRCode::qmByte, 2}, {TCQRCode::qmNumeric, 9}}));
    // Ten letters, 123 and one kanji: one byte segment, no byte lost.
    EXPECT_EQ(SegmentsOf("abcdefghij123\x88\x9f"), (S{{TCQRCode::qmByte, 15}}));
    EXPECT_EQ(SegmentsOf("\x88\x9f\x88\xa0\x88\xa1"), (S{{TCQRCode::qmKanji, 6}}));

    TCQRCode code;
    for (const char* text : {"ab123456789", "abcdefghij123\x88\x9f", "HELLO 12345678901234 world"}) {
        ASSERT_TRUE(code.Encode(qrLevel1M, 0, true, -1, QByteArray(text)));
        EXPECT_TRUE(MatchesQrencode(code, QByteArray(text))) << text;
    }
}

TEST(QRCodeEncoder, RecognisesKanjiPairsByTheirRanges) {
    using S = std::vector<TQRSegment>;
    // A lead byte at the very end is a byte.
    EXPECT_EQ(SegmentsOf("1234567890\x88"), (S{{TCQRCode::qmNumeric, 10}, {TCQRCode::qmByte, 1}}));
    // Pairs past the kanji ranges are bytes.
    EXPECT_EQ(SegmentsOf("\x9f\xfd"), (S{{TCQRCode::qmByte, 2}}));
    EXPECT_EQ(SegmentsOf("\xeb\xc0"), (S{{TCQRCode::qmByte, 2}}));
    EXPECT_EQ(SegmentsOf("\xec\x40"), (S{{TCQRCode::qmByte, 2}}));
    EXPECT_EQ(SegmentsOf("\x88\x3f"), (S{{TCQRCode::qmByte, 2}}));
    // The first and last codes of both ranges are kanji, and encode as qrencode does.
    TCQRCode code;
    for (const char* pair : {"\x81\x40", "\x9f\xfc", "\xe0\x40", "\xeb\xbf"}) {
        ASSERT_TRUE(code.Encode(qrLevel0L, 0, true, -1, QByteArray(pair)));
        EXPECT_EQ(code.Segments(), (S{{TCQRCode::qmKanji, 2}}));
        EXPECT_TRUE(MatchesQrencode(code, QByteArray(pair)));
    }
}

TEST(QRCodeEncoder, LongAlternatingTextGrowsTheSegmentList) {
    // 4,000 bytes alternate digit and letter: 4,000 units before merging,
    // folded into one alphanumeric segment that fits version 40.
    QByteArray text;
    for (int i = 0; i < 2000; ++i) text.append("1A");
    TCQRCode code;
    ASSERT_TRUE(code.Encode(qrLevel0L, 0, true, -1, text));
    EXPECT_EQ(code.Segments(), (std::vector<TQRSegment>{{TCQRCode::qmAlphanumeric, 4000}}));
    EXPECT_TRUE(MatchesQrencode(code, text));
}

// ------------------------------------------------------------ versions, limits, failures

TEST(QRCodeEncoder, ChoosesAndExpandsVersions) {
    TCQRCode code;
    const QByteArray v2text(20, 'a');  // 20 bytes: version 2 at M
    ASSERT_TRUE(code.Encode(qrLevel1M, 0, false, -1, v2text));
    EXPECT_EQ(code.Version(), 2);
    ASSERT_TRUE(code.Encode(qrLevel1M, 5, false, -1, v2text));
    EXPECT_EQ(code.Version(), 5);
    EXPECT_EQ(code.Size(), 37);
    EXPECT_TRUE(MatchesQrencode(code, v2text));
    ASSERT_TRUE(code.Encode(qrLevel1M, 12, false, -1, QByteArray("A")));
    EXPECT_EQ(code.Version(), 12);
    EXPECT_TRUE(MatchesQrencode(code, QByteArray("A")));

    const QByteArray v4text(60, 'a');  // 60 bytes: version 4 at M
    EXPECT_FALSE(code.Encode(qrLevel1M, 2, false, -1, v4text));
    EXPECT_EQ(code.Version(), 12) << "a failed call keeps the last symbol";
    ASSERT_TRUE(code.Encode(qrLevel1M, 2, true, -1, v4text));
    EXPECT_EQ(code.Version(), 4);
    // A request below 10 whose text needs the next size class.
    const QByteArray v10text(200, 'a');
    EXPECT_FALSE(code.Encode(qrLevel1M, 9, false, -1, v10text));
    ASSERT_TRUE(code.Encode(qrLevel1M, 9, true, -1, v10text));
    EXPECT_EQ(code.Version(), 10);
    EXPECT_TRUE(MatchesQrencode(code, v10text));
}

TEST(QRCodeEncoder, RefusesWhatDoesNotFit) {
    TCQRCode code;
    EXPECT_FALSE(code.Encode(qrLevel1M, 0, true, -1, QByteArray()));
    EXPECT_EQ(code.Size(), 0);
    EXPECT_TRUE(code.Encode(qrLevel0L, 0, true, -1, QByteArray(2953, 'a')));
    EXPECT_FALSE(code.Encode(qrLevel0L, 0, true, -1, QByteArray(2954, 'a')));
    EXPECT_FALSE(code.Encode(qrLevel3H, 0, true, -1, QByteArray(1274, 'a')));
    EXPECT_TRUE(code.Encode(qrLevel3H, 0, true, -1, QByteArray(1273, 'a')));
    EXPECT_FALSE(code.Encode(qrLevel0L, 0, true, -1, QByteArray(7090, '7')));
    EXPECT_TRUE(code.Encode(qrLevel0L, 0, true, -1, QByteArray(7089, '7')));
    EXPECT_EQ(code.Version(), 40);
    EXPECT_FALSE(code.Encode(qrLevel0L, 0, true, -1, QByteArray(30000, 'x')));
}

TEST(QRCodeEncoder, LengthSelectsLeadingBytesAndBadArgumentsFail) {
    TCQRCode code;
    ASSERT_TRUE(code.Encode(qrLevel1M, 0, true, -1, QByteArray("12345abc"), 5));
    EXPECT_EQ(code.Segments(), (std::vector<TQRSegment>{{TCQRCode::qmNumeric, 5}}));
    EXPECT_TRUE(MatchesQrencode(code, QByteArray("12345")));
    EXPECT_FALSE(code.Encode(qrLevel1M, 0, true, -1, QByteArray("123"), 4));
    EXPECT_FALSE(code.Encode(4, 0, true, -1, QByteArray("123")));
    EXPECT_FALSE(code.Encode(-1, 0, true, -1, QByteArray("123")));
    EXPECT_FALSE(code.Encode(qrLevel1M, 41, true, -1, QByteArray("123")));
    EXPECT_FALSE(code.Encode(qrLevel1M, -1, true, -1, QByteArray("123")));
    EXPECT_FALSE(code.Encode(qrLevel1M, 0, true, 8, QByteArray("123")));
    EXPECT_FALSE(code.Encode(qrLevel1M, 0, true, -2, QByteArray("123")));
}

TEST(QRCodeEncoder, ReadsOutsideTheSymbolAndTheTablesAsNothing) {
    TCQRCode code;
    // A large symbol first: its modules must not show through a smaller one.
    ASSERT_TRUE(code.Encode(qrLevel0L, 40, false, 0, QByteArray("1")));
    ASSERT_EQ(code.Modules(30, 6), 1) << "timing pattern, dark at even columns";
    ASSERT_TRUE(code.Encode(qrLevel0L, 1, false, 0, QByteArray("1")));
    EXPECT_EQ(code.Modules(20, 0), 1) << "corner of the upper right finder";
    EXPECT_EQ(code.Modules(21, 0), 0);
    EXPECT_EQ(code.Modules(30, 6), 0);
    EXPECT_EQ(code.Modules(0, 21), 0);
    EXPECT_EQ(code.Modules(-1, 0), 0);
    EXPECT_EQ(code.Modules(0, -1), 0);
    EXPECT_EQ(code.Modules(100000, 100000), 0);
    // Count-indicator widths of the standard; nothing for what it lacks.
    EXPECT_EQ(TCQRCode::CountBits(TCQRCode::qmByte, 1), 16);
    EXPECT_EQ(TCQRCode::CountBits(TCQRCode::qmKanji, 2), 12);
    EXPECT_EQ(TCQRCode::CountBits(4, 0), 0);
    EXPECT_EQ(TCQRCode::CountBits(-1, 0), 0);
    EXPECT_EQ(TCQRCode::CountBits(0, 3), 0);
    EXPECT_EQ(TCQRCode::CountBits(0, -1), 0);
}

// ------------------------------------------------------------ matrix layout and masks

TEST(QRCodeEncoder, PlacesAlignmentPatterns) {
    TCQRCode code;
    ASSERT_TRUE(code.Encode(qrLevel1M, 2, false, 0, QByteArray("1")));
    const char* ring[5] = {"#####", "#...#", "#.#.#", "#...#", "#####"};
    for (Integer dy = 0; dy < 5; ++dy) {
        for (Integer dx = 0; dx < 5; ++dx)
            EXPECT_EQ(code.Modules(16 + dx, 16 + dy), ring[dy][dx] == '#' ? 1 : 0) << dx << "," << dy;
    }
}

TEST(QRCodeEncoder, AutomaticMaskIsTheFirstLowestScore) {
    ProbeQRCode code;
    Rng rng(11);
    for (Integer version : {1, 3, 10, 25}) {
        const QByteArray text = MakeText(TextKind::Mixed, Capacity(TextKind::Byte, version, 0) / 2, rng);
        Integer scores[8];
        for (Integer mask = 0; mask < 8; ++mask) {
            ASSERT_TRUE(code.Encode(qrLevel0L, version, false, mask, text));
            scores[mask] = code.Penalty();
            EXPECT_EQ(scores[mask], ReferencePenalty(MatrixOf(code))) << "v" << version << " mask " << mask;
        }
        Integer best = 0;
        for (Integer mask = 1; mask < 8; ++mask) {
            if (scores[mask] < scores[best]) best = mask;
        }
        ASSERT_TRUE(code.Encode(qrLevel0L, version, false, -1, text));
        EXPECT_EQ(code.Mask(), best) << "v" << version;
    }
}

TEST(QRCodeEncoder, ScoresHandMadeMatrices) {
    ProbeQRCode code;
    const std::string light(21, '.');
    std::vector<std::string> rows(21, light);
    code.SetMatrix(rows);
    // 42 runs of 21 (19 each), 400 blocks, 100 % light.
    EXPECT_EQ(code.Penalty(), 42 * 19 + 400 * 3 + 100);

    // light, dark, light, dark, dark, dark, light, dark, then four light: the
    // finder-like rule counts, in a row and in a column alike.
    rows[10] = ".....#.###.#.........";
    code.SetMatrix(rows);
    const Integer withRow = code.Penalty();
    std::vector<std::vector<int>> m(21, std::vector<int>(21, 0));
    for (Integer x = 0; x < 21; ++x) m[size_t(x)][10] = rows[10][size_t(x)] == '#';
    EXPECT_EQ(withRow, ReferencePenalty(m));
    std::vector<std::string> columns(21, light);
    for (Integer y = 0; y < 21; ++y) columns[size_t(y)][10] = rows[10][size_t(y)];
    code.SetMatrix(columns);
    EXPECT_EQ(code.Penalty(), withRow);

    // A dark module right after the pattern spoils it: no 40.
    rows[10] = ".....#.###.##........";
    code.SetMatrix(rows);
    for (Integer x = 0; x < 21; ++x) m[size_t(x)][10] = rows[10][size_t(x)] == '#';
    EXPECT_EQ(code.Penalty(), ReferencePenalty(m));

    Rng rng(5);
    for (int round = 0; round < 50; ++round) {
        const Integer n = 21 + 4 * Below(rng, 40);
        std::vector<std::string> random(size_t(n), std::string(size_t(n), '.'));
        std::vector<std::vector<int>> r(size_t(n), std::vector<int>(size_t(n), 0));
        const Integer density = 1 + Below(rng, 9);
        for (Integer y = 0; y < n; ++y) {
            for (Integer x = 0; x < n; ++x) {
                if (Below(rng, 10) < density) {
                    random[size_t(y)][size_t(x)] = '#';
                    r[size_t(x)][size_t(y)] = 1;
                }
            }
        }
        code.SetMatrix(random);
        EXPECT_EQ(code.Penalty(), ReferencePenalty(r)) << "size " << n;
    }
}
