// The QR code encoder of unit CBarCode.
#include "CBarCode.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// Per version: [0] version, [1] total codewords, [2..5] data codewords for
// L, M, Q, H, [6] count of alignment coordinates other than 6, [7..12] those
// coordinates, [13..24] group 1 blocks per level (blocks, codewords per
// block, data codewords per block), [25..36] group 2 the same way.
constexpr SmallInt kVersionTable[41][37] = {
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {1, 26, 19, 16, 13, 9, 0, 0, 0, 0, 0, 0, 0, 1, 26, 19, 1, 26, 16, 1, 26, 13, 1, 26, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {2, 44, 34, 28, 22, 16, 1, 18, 0, 0, 0, 0, 0, 1, 44, 34, 1, 44, 28, 1, 44, 22, 1, 44, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {3, 70, 55, 44, 34, 26, 1, 22, 0, 0, 0, 0, 0, 1, 70, 55, 1, 70, 44, 2, 35, 17, 2, 35, 13, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {4, 100, 80, 64, 48, 36, 1, 26, 0, 0, 0, 0, 0, 1, 100, 80, 2, 50, 32, 2, 50, 24, 4, 25, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {5, 134, 108, 86, 62, 46, 1, 30, 0, 0, 0, 0, 0, 1, 134, 108, 2, 67, 43, 2, 33, 15, 2, 33, 11, 0, 0, 0, 0, 0, 0, 2, 34, 16, 2, 34, 12},
    {6, 172, 136, 108, 76, 60, 1, 34, 0, 0, 0, 0, 0, 2, 86, 68, 4, 43, 27, 4, 43, 19, 4, 43, 15, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {7, 196, 156, 124, 88, 66, 2, 22, 38, 0, 0, 0, 0, 2, 98, 78, 4, 49, 31, 2, 32, 14, 4, 39, 13, 0, 0, 0, 0, 0, 0, 4, 33, 15, 1, 40, 14},
    {8, 242, 194, 154, 110, 86, 2, 24, 42, 0, 0, 0, 0, 2, 121, 97, 2, 60, 38, 4, 40, 18, 4, 40, 14, 0, 0, 0, 2, 61, 39, 2, 41, 19, 2, 41, 15},
    {9, 292, 232, 182, 132, 100, 2, 26, 46, 0, 0, 0, 0, 2, 146, 116, 3, 58, 36, 4, 36, 16, 4, 36, 12, 0, 0, 0, 2, 59, 37, 4, 37, 17, 4, 37, 13},
    {10, 346, 274, 216, 154, 122, 2, 28, 50, 0, 0, 0, 0, 2, 86, 68, 4, 69, 43, 6, 43, 19, 6, 43, 15, 2, 87, 69, 1, 70, 44, 2, 44, 20, 2, 44, 16},
    {11, 404, 324, 254, 180, 140, 2, 30, 54, 0, 0, 0, 0, 4, 101, 81, 1, 80, 50, 4, 50, 22, 3, 36, 12, 0, 0, 0, 4, 81, 51, 4, 51, 23, 8, 37, 13},
    {12, 466, 370, 290, 206, 158, 2, 32, 58, 0, 0, 0, 0, 2, 116, 92, 6, 58, 36, 4, 46, 20, 7, 42, 14, 2, 117, 93, 2, 59, 37, 6, 47, 21, 4, 43, 15},
    {13, 532, 428, 334, 244, 180, 2, 34, 62, 0, 0, 0, 0, 4, 133, 107, 8, 59, 37, 8, 44, 20, 12, 33, 11, 0, 0, 0, 1, 60, 38, 4, 45, 21, 4, 34, 12},
    {14, 581, 461, 365, 261, 197, 3, 26, 46, 66, 0, 0, 0, 3, 145, 115, 4, 64, 40, 11, 36, 16, 11, 36, 12, 1, 146, 116, 5, 65, 41, 5, 37, 17, 5, 37, 13},
    {15, 655, 523, 415, 295, 223, 3, 26, 48, 70, 0, 0, 0, 5, 109, 87, 5, 65, 41, 5, 54, 24, 11, 36, 12, 1, 110, 88, 5, 66, 42, 7, 55, 25, 7, 37, 13},
    {16, 733, 589, 453, 325, 253, 3, 26, 50, 74, 0, 0, 0, 5, 122, 98, 7, 73, 45, 15, 43, 19, 3, 45, 15, 1, 123, 99, 3, 74, 46, 2, 44, 20, 13, 46, 16},
    {17, 815, 647, 507, 367, 283, 3, 30, 54, 78, 0, 0, 0, 1, 135, 107, 10, 74, 46, 1, 50, 22, 2, 42, 14, 5, 136, 108, 1, 75, 47, 15, 51, 23, 17, 43, 15},
    {18, 901, 721, 563, 397, 313, 3, 30, 56, 82, 0, 0, 0, 5, 150, 120, 9, 69, 43, 17, 50, 22, 2, 42, 14, 1, 151, 121, 4, 70, 44, 1, 51, 23, 19, 43, 15},
    {19, 991, 795, 627, 445, 341, 3, 30, 58, 86, 0, 0, 0, 3, 141, 113, 3, 70, 44, 17, 47, 21, 9, 39, 13, 4, 142, 114, 11, 71, 45, 4, 48, 22, 16, 40, 14},
    {20, 1085, 861, 669, 485, 385, 3, 34, 62, 90, 0, 0, 0, 3, 135, 107, 3, 67, 41, 15, 54, 24, 15, 43, 15, 5, 136, 108, 13, 68, 42, 5, 55, 25, 10, 44, 16},
    {21, 1156, 932, 714, 512, 406, 4, 28, 50, 72, 94, 0, 0, 4, 144, 116, 17, 68, 42, 17, 50, 22, 19, 46, 16, 4, 145, 117, 0, 0, 0, 6, 51, 23, 6, 47, 17},
    {22, 1258, 1006, 782, 568, 442, 4, 26, 50, 74, 98, 0, 0, 2, 139, 111, 17, 74, 46, 7, 54, 24, 34, 37, 13, 7, 140, 112, 0, 0, 0, 16, 55, 25, 0, 0, 0},
    {23, 1364, 1094, 860, 614, 464, 4, 30, 54, 78, 102, 0, 0, 4, 151, 121, 4, 75, 47, 11, 54, 24, 16, 45, 15, 5, 152, 122, 14, 76, 48, 14, 55, 25, 14, 46, 16},
    {24, 1474, 1174, 914, 664, 514, 4, 28, 54, 80, 106, 0, 0, 6, 147, 117, 6, 73, 45, 11, 54, 24, 30, 46, 16, 4, 148, 118, 14, 74, 46, 16, 55, 25, 2, 47, 17},
    {25, 1588, 1276, 1000, 718, 538, 4, 32, 58, 84, 110, 0, 0, 8, 132, 106, 8, 75, 47, 7, 54, 24, 22, 45, 15, 4, 133, 107, 13, 76, 48, 22, 55, 25, 13, 46, 16},
    {26, 1706, 1370, 1062, 754, 596, 4, 30, 58, 86, 114, 0, 0, 10, 142, 114, 19, 74, 46, 28, 50, 22, 33, 46, 16, 2, 143, 115, 4, 75, 47, 6, 51, 23, 4, 47, 17},
    {27, 1828, 1468, 1128, 808, 628, 4, 34, 62, 90, 118, 0, 0, 8, 152, 122, 22, 73, 45, 8, 53, 23, 12, 45, 15, 4, 153, 123, 3, 74, 46, 26, 54, 24, 28, 46, 16},
    {28, 1921, 1531, 1193, 871, 661, 5, 26, 50, 74, 98, 122, 0, 3, 147, 117, 3, 73, 45, 4, 54, 24, 11, 45, 15, 10, 148, 118, 23, 74, 46, 31, 55, 25, 31, 46, 16},
    {29, 2051, 1631, 1267, 911, 701, 5, 30, 54, 78, 102, 126, 0, 7, 146, 116, 21, 73, 45, 1, 53, 23, 19, 45, 15, 7, 147, 117, 7, 74, 46, 37, 54, 24, 26, 46, 16},
    {30, 2185, 1735, 1373, 985, 745, 5, 26, 52, 78, 104, 130, 0, 5, 145, 115, 19, 75, 47, 15, 54, 24, 23, 45, 15, 10, 146, 116, 10, 76, 48, 25, 55, 25, 25, 46, 16},
    {31, 2323, 1843, 1455, 1033, 793, 5, 30, 56, 82, 108, 134, 0, 13, 145, 115, 2, 74, 46, 42, 54, 24, 23, 45, 15, 3, 146, 116, 29, 75, 47, 1, 55, 25, 28, 46, 16},
    {32, 2465, 1955, 1541, 1115, 845, 5, 34, 60, 86, 112, 138, 0, 17, 145, 115, 10, 74, 46, 10, 54, 24, 19, 45, 15, 0, 0, 0, 23, 75, 47, 35, 55, 25, 35, 46, 16},
    {33, 2611, 2071, 1631, 1171, 901, 5, 30, 58, 86, 114, 142, 0, 17, 145, 115, 14, 74, 46, 29, 54, 24, 11, 45, 15, 1, 146, 116, 21, 75, 47, 19, 55, 25, 46, 46, 16},
    {34, 2761, 2191, 1725, 1231, 961, 5, 34, 62, 90, 118, 146, 0, 13, 145, 115, 14, 74, 46, 44, 54, 24, 59, 46, 16, 6, 146, 116, 23, 75, 47, 7, 55, 25, 1, 47, 17},
    {35, 2876, 2306, 1812, 1286, 986, 6, 30, 54, 78, 102, 126, 150, 12, 151, 121, 12, 75, 47, 39, 54, 24, 22, 45, 15, 7, 152, 122, 26, 76, 48, 14, 55, 25, 41, 46, 16},
    {36, 3034, 2434, 1914, 1354, 1054, 6, 24, 50, 76, 102, 128, 154, 6, 151, 121, 6, 75, 47, 46, 54, 24, 2, 45, 15, 14, 152, 122, 34, 76, 48, 10, 55, 25, 64, 46, 16},
    {37, 3196, 2566, 1992, 1426, 1096, 6, 28, 54, 80, 106, 132, 158, 17, 152, 122, 29, 74, 46, 49, 54, 24, 24, 45, 15, 4, 153, 123, 14, 75, 47, 10, 55, 25, 46, 46, 16},
    {38, 3362, 2702, 2102, 1502, 1142, 6, 32, 58, 84, 110, 136, 162, 4, 152, 122, 13, 74, 46, 48, 54, 24, 42, 45, 15, 18, 153, 123, 32, 75, 47, 14, 55, 25, 32, 46, 16},
    {39, 3532, 2812, 2216, 1582, 1222, 6, 26, 54, 82, 110, 138, 166, 20, 147, 117, 40, 75, 47, 43, 54, 24, 10, 45, 15, 4, 148, 118, 7, 76, 48, 22, 55, 25, 67, 46, 16},
    {40, 3706, 2956, 2334, 1666, 1276, 6, 30, 58, 86, 114, 142, 170, 19, 148, 118, 18, 75, 47, 34, 54, 24, 20, 45, 15, 6, 149, 119, 31, 76, 48, 34, 55, 25, 61, 46, 16},
};

// Count-indicator width by mode and size class.
constexpr Integer kCountBits[4][3] = {{10, 12, 14}, {9, 11, 13}, {8, 16, 16}, {8, 10, 12}};
constexpr Cardinal kModeIndicator[4] = {0x1, 0x2, 0x4, 0x8};
// Format information level bits in the order L, M, Q, H.
constexpr Cardinal kLevelBits[4] = {1, 0, 3, 2};

constexpr Byte kFinderRows[7] = {0x7F, 0x41, 0x5D, 0x5D, 0x5D, 0x41, 0x7F};
constexpr Byte kAlignmentRows[5] = {0x1F, 0x11, 0x15, 0x11, 0x1F};

// GF(256) over x^8 + x^4 + x^3 + x^2 + 1; the exponent table is doubled so
// that a sum of two logarithms needs no reduction.
struct GaloisField {
    Byte exp[512] = {};
    Byte log[256] = {};
};

constexpr GaloisField MakeGaloisField() {
    GaloisField f;
    Integer x = 1;
    for (Integer i = 0; i < 255; ++i) {
        f.exp[i] = Byte(x);
        f.exp[i + 255] = Byte(x);
        f.log[x] = Byte(i);
        x <<= 1;
        if (x & 0x100) x ^= 0x11D;
    }
    f.exp[510] = f.exp[0];
    f.exp[511] = f.exp[1];
    return f;
}

constexpr GaloisField kGF = MakeGaloisField();

// Generator polynomials (x - a^0)...(x - a^(e-1)) indexed by e, as the
// exponents of their coefficients below the leading 1.
struct GeneratorTable {
    Byte exponents[31][30] = {};
};

constexpr GeneratorTable MakeGenerators() {
    GeneratorTable t;
    for (Integer e : {7, 10, 13, 15, 16, 17, 18, 20, 22, 24, 26, 28, 30}) {
        Byte coef[31] = {1};  // coef[k] multiplies x^(degree - k)
        for (Integer i = 0; i < e; ++i) {
            // multiply by (x + a^i): coef[k] += a^i * coef[k-1]
            for (Integer k = i + 1; k >= 1; --k) {
                const Byte prev = coef[k - 1];
                const Byte product = prev ? kGF.exp[kGF.log[prev] + i] : Byte(0);
                coef[k] = Byte(coef[k] ^ product);
            }
        }
        for (Integer k = 0; k < e; ++k) t.exponents[e][k] = kGF.log[coef[k + 1]];
    }
    return t;
}

constexpr GeneratorTable kGenerators = MakeGenerators();

Integer SizeClassOf(Integer version) { return version < 10 ? 0 : version < 27 ? 1 : 2; }
constexpr Integer kClassFirst[3] = {1, 10, 27};
constexpr Integer kClassLast[3] = {9, 26, 40};

constexpr bool MaskCondition(Integer m, Integer i, Integer j) {
    switch (m) {
    case 0: return (i + j) % 2 == 0;
    case 1: return i % 2 == 0;
    case 2: return j % 3 == 0;
    case 3: return (i + j) % 3 == 0;
    case 4: return (i / 2 + j / 3) % 2 == 0;
    case 5: return (i * j) % 2 + (i * j) % 3 == 0;
    case 6: return ((i * j) % 2 + (i * j) % 3) % 2 == 0;
    default: return ((i * j) % 3 + (i + j) % 2) % 2 == 0;
    }
}

// Remainder of value * x^(generator degree) divided by the generator.
Cardinal BchRemainder(Cardinal value, Cardinal generator, Integer degree) {
    Cardinal r = value << degree;
    for (Integer bit = 31; bit >= degree; --bit) {
        if (r & (Cardinal(1) << bit)) r ^= generator << (bit - degree);
    }
    return r;
}

}  // namespace

// ------------------------------------------------------------ packed lines

// The score works on lines of modules packed into bits: module p of a row or
// column is bit p + 4 of a 256-bit line, so that the four modules before the
// first one and those after the last read as light, as outside modules do.
namespace {

constexpr Integer kPad = 4;

struct Line {
    uint64_t w[4] = {};

    constexpr void Set(Integer p) { w[(p + kPad) >> 6] |= uint64_t(1) << ((p + kPad) & 63); }
    friend constexpr Line operator&(Line a, const Line& b) {
        for (int k = 0; k < 4; ++k) a.w[k] &= b.w[k];
        return a;
    }
    friend constexpr Line operator|(Line a, const Line& b) {
        for (int k = 0; k < 4; ++k) a.w[k] |= b.w[k];
        return a;
    }
    friend constexpr Line operator^(Line a, const Line& b) {
        for (int k = 0; k < 4; ++k) a.w[k] ^= b.w[k];
        return a;
    }
    friend constexpr Line operator~(Line a) {
        for (int k = 0; k < 4; ++k) a.w[k] = ~a.w[k];
        return a;
    }
};

// Bit q of the result is bit q - k of a: looks k modules back.
template <int k>
inline Line Back(const Line& a) {
    return {{a.w[0] << k, (a.w[1] << k) | (a.w[0] >> (64 - k)), (a.w[2] << k) | (a.w[1] >> (64 - k)),
             (a.w[3] << k) | (a.w[2] >> (64 - k))}};
}

// Bit q of the result is bit q + k of a: looks k modules ahead.
template <int k>
inline Line Ahead(const Line& a) {
    return {{(a.w[0] >> k) | (a.w[1] << (64 - k)), (a.w[1] >> k) | (a.w[2] << (64 - k)),
             (a.w[2] >> k) | (a.w[3] << (64 - k)), a.w[3] >> k}};
}

inline Integer Count(const Line& a) {
    return __builtin_popcountll(a.w[0]) + __builtin_popcountll(a.w[1]) + __builtin_popcountll(a.w[2]) +
           __builtin_popcountll(a.w[3]);
}

// Modules first to last of a line.
constexpr Line Span(Integer first, Integer last) {
    Line l;
    for (Integer p = first; p <= last; ++p) l.Set(p);
    return l;
}

// Mask patterns: along a column they repeat with the column number modulo 6,
// along a row with the row number modulo 12.
struct MaskLines {
    Line column[8][6];
    Line row[8][12];
};

constexpr MaskLines MakeMaskLines() {
    MaskLines t;
    for (Integer m = 0; m < 8; ++m) {
        for (Integer p = 0; p < TCQRCode::MaxSize; ++p) {
            for (Integer r = 0; r < 6; ++r) {
                if (MaskCondition(m, p, r)) t.column[m][r].Set(p);
            }
            for (Integer r = 0; r < 12; ++r) {
                if (MaskCondition(m, r, p)) t.row[m][r].Set(p);
            }
        }
    }
    return t;
}

constexpr MaskLines kMaskLines = MakeMaskLines();

// Runs of five or more (3 + length - 5 each) and the finder-like pattern
// dark, light, dark x 3, light, dark with light neighbours and four light
// modules on one side (40 each). same holds the modules 1 to size-1.
Integer LineScore(const Line& dark, const Line& same) {
    const Line light = ~dark;
    const Line equal = ~(dark ^ Back<1>(dark)) & same;
    // Fifth and later modules of a run: each adds 1, each run 2 more.
    const Line deep = equal & Back<1>(equal) & Back<2>(equal) & Back<3>(equal);
    const Integer runs = Count(deep) + 2 * Count(deep & ~Back<1>(deep));
    const Line light4 = light & Back<1>(light) & Back<2>(light) & Back<3>(light);  // q-3..q light
    const Line finder = dark & Ahead<1>(light) & Ahead<2>(dark) & Ahead<3>(dark) & Ahead<4>(dark) & Ahead<5>(light) &
                        Ahead<6>(dark) & Ahead<7>(light) & Back<1>(light) & (Back<1>(light4) | Ahead<10>(light4));
    return runs + 40 * Count(finder);
}

}  // namespace

// Packed lines of the symbol in both directions, and the parts of the
// symbol that do not change with the mask.
struct TCQRCode::TQRLines {
    Line columns[MaxSize];
    Line rows[MaxSize];
    Line columnFunction[MaxSize], columnFunctionDark[MaxSize], columnData[MaxSize];
    Line rowFunction[MaxSize], rowFunctionDark[MaxSize], rowData[MaxSize];
};

// ------------------------------------------------------------ construction and tables

TCQRCode::TCQRCode() : lines_(std::make_unique<TQRLines>()) {
    units_.reserve(MaxDataCodewords + 1);
    segments_.reserve(MaxDataCodewords + 1);
}

TCQRCode::~TCQRCode() = default;

Integer TCQRCode::DataCodewords(Integer version, Integer level) {
    if (version < 0 || version > 40 || level < 0 || level > 3) return 0;
    return kVersionTable[version][2 + level];
}

Byte TCQRCode::Modules(Integer x, Integer y) const {
    return x >= 0 && y >= 0 && x < size_ && y < size_ ? modules_[x][y] : 0;
}

Integer TCQRCode::CountBits(Integer mode, Integer sizeClass) {
    if (mode < 0 || mode > 3 || sizeClass < 0 || sizeClass > 2) return 0;
    return kCountBits[mode][sizeClass];
}

// ------------------------------------------------------------ character tests

bool TCQRCode::IsAlphanumeric(Byte b) { return AlphanumericValue(b) >= 0; }

Integer TCQRCode::AlphanumericValue(Byte b) {
    if (b >= '0' && b <= '9') return b - '0';
    if (b >= 'A' && b <= 'Z') return b - 'A' + 10;
    switch (b) {
    case ' ': return 36;
    case '$': return 37;
    case '%': return 38;
    case '*': return 39;
    case '+': return 40;
    case '-': return 41;
    case '.': return 42;
    case '/': return 43;
    case ':': return 44;
    default: return -1;
    }
}

bool TCQRCode::IsKanjiPair(Byte first, Byte second) {
    if (!((first >= 0x81 && first <= 0x9F) || (first >= 0xE0 && first <= 0xEB)) || second < 0x40) return false;
    if (first == 0x9F && second > 0xFC) return false;
    return !(first == 0xEB && second > 0xBF);
}

Integer TCQRCode::KanjiValue(Byte first, Byte second) {
    Integer code = (first << 8) | second;
    code -= (code >= 0x8140 && code <= 0x9FFC) ? 0x8140 : 0xC140;
    return (code >> 8) * 0xC0 + (code & 0xFF);
}

// ------------------------------------------------------------ encoding

bool TCQRCode::Encode(Integer Level, Integer Version, bool AutoExpand, Integer Mask, const AnsiString& Data,
                      Integer Length) {
    // Arguments out of range fail rather than read or index past an end.
    if (Level < 0 || Level > 3 || Version < 0 || Version > 40 || Mask < -1 || Mask > 7 || Length > Data.size())
        return false;
    level_ = Level;
    mask_ = Mask;
    if (Length < 1) Length = Integer(Data.size());
    if (Length == 0) return false;
    text_ = reinterpret_cast<const Byte*>(Data.constData());
    textLength_ = Length;

    const Integer fitting = SelectVersion(Version);
    if (fitting == 0) return false;
    Integer version = fitting;
    if (Version != 0) {
        if (Version >= fitting)
            version = Version;
        else if (!AutoExpand)
            return false;
    }
    version_ = version;
    size_ = 4 * version + 17;
    FinishStream(DataCodewords(version, level_));
    Interleave();
    BuildMatrix();
    return true;
}

Integer TCQRCode::SelectVersion(Integer requested) {
    // No mode packs a byte into fewer bits than digits do (10 per 3): a text
    // longer than the 7,089 digits of 40-L never fits, and refusing it here
    // keeps the merge passes short.
    if (textLength_ > 7089) return 0;
    ClassifyUnits(text_, textLength_);
    for (Integer cls = SizeClassOf(requested); cls < 3; ++cls) {
        if (!Segment(cls)) continue;
        const Integer needed = (bitCount_ + 7) / 8;
        for (Integer v = kClassFirst[cls]; v <= kClassLast[cls]; ++v) {
            if (DataCodewords(v, level_) >= needed) return v;
        }
    }
    return 0;
}

// ------------------------------------------------------------ segmentation

Integer TCQRCode::SegmentCost(Integer mode, Integer n, Integer sizeClass) {
    const Integer head = 4 + kCountBits[mode][sizeClass];
    switch (mode) {
    case qmNumeric: return head + 10 * (n / 3) + (n % 3 == 1 ? 4 : n % 3 == 2 ? 7 : 0);
    case qmAlphanumeric: return head + 11 * (n / 2) + 6 * (n % 2);
    case qmByte: return head + 8 * n;
    default: return head + 13 * (n / 2);
    }
}

Integer TCQRCode::SegmentCostAt(Integer i, Integer sizeClass) const {
    return SegmentCost(segments_[i].Mode, segments_[i].Count, sizeClass);
}

void TCQRCode::ClassifyUnits(const Byte* data, Integer length) {
    units_.clear();
    for (Integer p = 0; p < length;) {
        Byte mode = qmByte;
        Integer n = 1;
        if (p + 1 < length && IsKanjiPair(data[p], data[p + 1])) {
            mode = qmKanji;
            n = 2;
        } else if (IsNumeric(data[p])) {
            mode = qmNumeric;
        } else if (IsAlphanumeric(data[p])) {
            mode = qmAlphanumeric;
        }
        if (!units_.empty() && units_.back().Mode == mode)
            units_.back().Count += n;
        else
            units_.push_back({mode, n});
        p += n;
    }
}

bool TCQRCode::Segment(Integer sizeClass) {
    segments_ = units_;
    MergeNumericAlphanumeric(sizeClass);
    MergeIntoByte(sizeClass);
    WriteSegments(sizeClass);
    return bitCount_ >= 0;
}

// Joins a numeric and an alphanumeric neighbour when one alphanumeric
// segment is shorter, or lets a byte neighbour absorb one of them.
void TCQRCode::MergeNumericAlphanumeric(Integer sizeClass) {
    auto& s = segments_;
    auto cost = [&](Integer i) { return SegmentCostAt(i, sizeClass); };
    auto byteCost = [&](Integer n) { return SegmentCost(qmByte, n, sizeClass); };
    Integer i = 0;
    while (i < Integer(s.size()) - 1) {
        const Byte a = s[i].Mode;
        const Byte b = s[i + 1].Mode;
        const bool mixed = (a == qmNumeric && b == qmAlphanumeric) || (a == qmAlphanumeric && b == qmNumeric);
        if (!mixed) {
            ++i;
            continue;
        }
        const Integer joined = SegmentCost(qmAlphanumeric, s[i].Count + s[i + 1].Count, sizeClass);
        if (cost(i) + cost(i + 1) <= joined) {
            ++i;
            continue;
        }
        bool left = i > 0 && s[i - 1].Mode == qmByte;
        const Integer leftCost = left ? byteCost(s[i - 1].Count + s[i].Count) + cost(i + 1) : 0;
        if (left && byteCost(s[i - 1].Count) + joined < leftCost) left = false;
        bool right = i + 2 < Integer(s.size()) && s[i + 2].Mode == qmByte;
        const Integer rightCost = right ? cost(i) + byteCost(s[i + 1].Count + s[i + 2].Count) : 0;
        if (right && byteCost(s[i + 2].Count) + joined < rightCost) right = false;
        if (left && right) left = leftCost < rightCost;

        if (left) {
            s[i - 1].Count += s[i].Count;
            s.erase(s.begin() + i);
        } else if (right) {
            s[i + 1].Mode = qmByte;
            s[i + 1].Count += s[i + 2].Count;
            s.erase(s.begin() + i + 2);
        } else {
            if (i + 2 < Integer(s.size()) && s[i + 2].Mode == qmAlphanumeric) {
                s[i + 1].Count += s[i + 2].Count;
                s.erase(s.begin() + i + 2);
            }
            s[i].Mode = qmAlphanumeric;
            s[i].Count += s[i + 1].Count;
            s.erase(s.begin() + i + 1);
            if (i > 0 && s[i - 1].Mode == qmAlphanumeric) {
                s[i - 1].Count += s[i].Count;
                s.erase(s.begin() + i);
            }
        }
    }
}

// Folds neighbours into one byte segment when that is shorter.
void TCQRCode::MergeIntoByte(Integer sizeClass) {
    auto& s = segments_;
    const Integer byteHead = kCountBits[qmByte][sizeClass] + 4;
    Integer i = 0;
    while (i < Integer(s.size()) - 1) {
        const bool byteBefore = i > 0 && s[i - 1].Mode == qmByte;
        const bool byteAfter = i + 2 < Integer(s.size()) && s[i + 2].Mode == qmByte;
        Integer joined = SegmentCost(qmByte, s[i].Count + s[i + 1].Count, sizeClass);
        if (byteBefore) joined -= byteHead;
        if (byteAfter) joined -= byteHead;
        if (SegmentCostAt(i, sizeClass) + SegmentCostAt(i + 1, sizeClass) <= joined) {
            ++i;
            continue;
        }
        const Integer first = byteBefore ? i - 1 : i;
        const Integer last = byteAfter ? i + 2 : i + 1;
        for (Integer k = first + 1; k <= last; ++k) s[first].Count += s[k].Count;
        s[first].Mode = qmByte;
        s.erase(s.begin() + first + 1, s.begin() + last + 1);
        i = std::max(first - 1, 0);
    }
}

// ------------------------------------------------------------ bit stream

void TCQRCode::PutBits(Cardinal value, Integer n) {
    if (bitCount_ < 0 || bitCount_ + n > MaxBits) {
        bitCount_ = -1;
        return;
    }
    for (Integer k = n - 1; k >= 0; --k) {
        if ((value >> k) & 1) stream_[bitCount_ >> 3] |= Byte(0x80 >> (bitCount_ & 7));
        ++bitCount_;
    }
}

void TCQRCode::WriteSegments(Integer sizeClass) {
    std::memset(stream_, 0, sizeof stream_);
    bitCount_ = 0;
    const Byte* p = text_;
    for (const TQRSegment& seg : segments_) {
        if (bitCount_ < 0) break;
        PutBits(kModeIndicator[seg.Mode], 4);
        PutBits(Cardinal(seg.Mode == qmKanji ? seg.Count / 2 : seg.Count), kCountBits[seg.Mode][sizeClass]);
        switch (seg.Mode) {
        case qmNumeric: WriteNumeric(p, seg.Count); break;
        case qmAlphanumeric: WriteAlphanumeric(p, seg.Count); break;
        case qmByte:
            for (Integer k = 0; k < seg.Count; ++k) PutBits(p[k], 8);
            break;
        default: WriteKanji(p, seg.Count); break;
        }
        p += seg.Count;
    }
}

void TCQRCode::WriteNumeric(const Byte* p, Integer n) {
    Integer k = 0;
    for (; k + 3 <= n; k += 3) PutBits(Cardinal((p[k] - '0') * 100 + (p[k + 1] - '0') * 10 + (p[k + 2] - '0')), 10);
    if (n - k == 2) PutBits(Cardinal((p[k] - '0') * 10 + (p[k + 1] - '0')), 7);
    if (n - k == 1) PutBits(Cardinal(p[k] - '0'), 4);
}

void TCQRCode::WriteAlphanumeric(const Byte* p, Integer n) {
    Integer k = 0;
    for (; k + 2 <= n; k += 2) PutBits(Cardinal(45 * AlphanumericValue(p[k]) + AlphanumericValue(p[k + 1])), 11);
    if (k < n) PutBits(Cardinal(AlphanumericValue(p[k])), 6);
}

void TCQRCode::WriteKanji(const Byte* p, Integer n) {
    for (Integer k = 0; k + 1 < n; k += 2) PutBits(Cardinal(KanjiValue(p[k], p[k + 1])), 13);
}

// Terminator, zero bits to the byte boundary, then pad codewords.
void TCQRCode::FinishStream(Integer dataCodewords) {
    Integer bits = bitCount_ + std::min(4, dataCodewords * 8 - bitCount_);
    bits = (bits + 7) / 8 * 8;
    Byte pad = 0xEC;
    for (Integer i = bits / 8; i < dataCodewords; ++i) {
        stream_[i] = pad;
        pad = pad == 0xEC ? 0x11 : 0xEC;
    }
    bitCount_ = dataCodewords * 8;
}

// ------------------------------------------------------------ error correction

void TCQRCode::ReedSolomon(const Byte* data, Integer n, Integer e, Byte* ecc) {
    const Byte* g = kGenerators.exponents[e];
    Byte work[30] = {};
    for (Integer i = 0; i < n; ++i) {
        const Byte a = Byte(data[i] ^ work[0]);
        if (a == 0) {
            std::memmove(work, work + 1, size_t(e - 1));
            work[e - 1] = 0;
            continue;
        }
        const Byte* shifted = kGF.exp + kGF.log[a];
        for (Integer j = 0; j < e - 1; ++j) work[j] = Byte(work[j + 1] ^ shifted[g[j]]);
        work[e - 1] = shifted[g[e - 1]];
    }
    std::memcpy(ecc, work, size_t(e));
}

void TCQRCode::Interleave() {
    const SmallInt* row = kVersionTable[version_];
    const Integer blocks1 = row[13 + 3 * level_];
    const Integer data1 = row[15 + 3 * level_];
    const Integer blocks2 = row[25 + 3 * level_];
    const Integer blocks = blocks1 + blocks2;
    const Integer e = row[14 + 3 * level_] - data1;

    Integer start[81] = {};
    Byte ecc[81][30];
    for (Integer b = 0, offset = 0; b < blocks; ++b) {
        const Integer length = b < blocks1 ? data1 : data1 + 1;
        start[b] = offset;
        ReedSolomon(stream_ + offset, length, e, ecc[b]);
        offset += length;
    }
    Integer out = 0;
    for (Integer j = 0; j < data1; ++j) {
        for (Integer b = 0; b < blocks; ++b) codewords_[out++] = stream_[start[b] + j];
    }
    for (Integer b = blocks1; b < blocks; ++b) codewords_[out++] = stream_[start[b] + data1];
    for (Integer j = 0; j < e; ++j) {
        for (Integer b = 0; b < blocks; ++b) codewords_[out++] = ecc[b][j];
    }
    codewordCount_ = out;
}

// ------------------------------------------------------------ matrix

void TCQRCode::BuildMatrix() {
    for (Integer x = 0; x < size_; ++x) std::memset(modules_[x], 0, size_t(size_));
    DrawFunctionPatterns();
    PlaceData();
    // Equal scores keep the lower mask number.
    if (mask_ < 0) mask_ = ChooseMask();
    ApplyMask(mask_);
    WriteFormatInfo(mask_);
    for (Integer x = 0; x < size_; ++x) {
        for (Integer y = 0; y < size_; ++y) modules_[x][y] = IsDark(x, y) ? 1 : 0;
    }
}

void TCQRCode::DrawFunctionPatterns() {
    const Integer n = size_;
    DrawFinderPattern(0, 0);
    DrawFinderPattern(n - 7, 0);
    DrawFinderPattern(0, n - 7);
    for (Integer k = 0; k <= 7; ++k) {
        SetFunction(k, 7, false);
        SetFunction(7, k, false);
        SetFunction(n - 8, k, false);
        SetFunction(n - 8 + k, 7, false);
        SetFunction(k, n - 8, false);
        SetFunction(7, n - 8 + k, false);
    }
    for (Integer k = 0; k <= 8; ++k) {
        SetFunction(k, 8, false);
        SetFunction(8, k, false);
    }
    for (Integer k = 0; k <= 7; ++k) {
        SetFunction(n - 8 + k, 8, false);
        SetFunction(8, n - 8 + k, false);
    }
    WriteVersionInfo();
    const SmallInt* row = kVersionTable[version_];
    const SmallInt* coords = row + 7;
    const Integer count = row[6];
    for (Integer k = 0; k < count; ++k) {
        DrawAlignmentPattern(coords[k], 6);
        DrawAlignmentPattern(6, coords[k]);
    }
    for (Integer a = 0; a < count; ++a) {
        for (Integer b = 0; b < count; ++b) DrawAlignmentPattern(coords[a], coords[b]);
    }
    for (Integer k = 8; k <= n - 9; ++k) {
        SetFunction(k, 6, k % 2 == 0);
        SetFunction(6, k, k % 2 == 0);
    }
}

void TCQRCode::DrawFinderPattern(Integer left, Integer top) {
    for (Integer dy = 0; dy < 7; ++dy) {
        for (Integer dx = 0; dx < 7; ++dx) SetFunction(left + dx, top + dy, (kFinderRows[dy] & (0x40 >> dx)) != 0);
    }
}

void TCQRCode::DrawAlignmentPattern(Integer cx, Integer cy) {
    if (IsFunction(cx, cy)) return;
    for (Integer dy = 0; dy < 5; ++dy) {
        for (Integer dx = 0; dx < 5; ++dx)
            SetFunction(cx - 2 + dx, cy - 2 + dy, (kAlignmentRows[dy] & (0x10 >> dx)) != 0);
    }
}

void TCQRCode::WriteVersionInfo() {
    if (version_ < 7) return;
    const Cardinal info = (Cardinal(version_) << 12) | BchRemainder(Cardinal(version_), 0x1F25, 12);
    for (Integer k = 0; k < 18; ++k) {
        const bool dark = (info >> k) & 1;
        SetFunction(size_ - 11 + k % 3, k / 3, dark);
        SetFunction(k / 3, size_ - 11 + k % 3, dark);
    }
}

namespace {

// The format information of a level and mask: 15 bits, BCH-protected, masked.
Cardinal FormatInfo(Integer level, Integer mask) {
    const Cardinal data = (kLevelBits[level] << 3) | Cardinal(mask);
    return ((data << 10) | BchRemainder(data, 0x537, 10)) ^ 0x5412;
}

// Calls put(x, y, dark) for both copies of the format information and for
// the module that is always dark.
template <typename F>
void ForEachFormatModule(Integer size, Cardinal info, F&& put) {
    for (Integer k = 0; k < 15; ++k) {
        const bool dark = (info >> k) & 1;
        if (k <= 5)
            put(8, k, dark);
        else if (k <= 7)
            put(8, k + 1, dark);
        else if (k == 8)
            put(7, 8, dark);
        else
            put(14 - k, 8, dark);
        if (k <= 7)
            put(size - 1 - k, 8, dark);
        else
            put(8, size - 15 + k, dark);
    }
    put(8, size - 8, true);
}

}  // namespace

void TCQRCode::WriteFormatInfo(Integer m) {
    ForEachFormatModule(size_, FormatInfo(level_, m), [this](Integer x, Integer y, bool dark) { SetFunction(x, y, dark); });
}

// Zigzag through two-column strips from the lower right corner.
void TCQRCode::PlaceData() {
    const Integer n = size_;
    const Integer totalBits = codewordCount_ * 8;
    Integer bit = 0;
    for (Integer right = n - 1; right >= 1; right -= 2) {
        if (right == 6) right = 5;
        const bool upward = ((right + 1) & 2) == 0;
        for (Integer step = 0; step < n; ++step) {
            const Integer y = upward ? n - 1 - step : step;
            for (Integer x = right; x >= right - 1; --x) {
                if (IsFunction(x, y) || bit >= totalBits) continue;
                if ((codewords_[bit >> 3] >> (7 - (bit & 7))) & 1) modules_[x][y] = mfData;
                ++bit;
            }
        }
    }
}

void TCQRCode::ApplyMask(Integer m) {
    for (Integer x = 0; x < size_; ++x) {
        for (Integer y = 0; y < size_; ++y) {
            Byte& b = modules_[x][y];
            if (b & mfFunction) continue;
            const bool dark = ((b & mfData) != 0) != MaskCondition(m, y, x);
            b = Byte((b & ~mfDark) | (dark ? mfDark : 0));
        }
    }
}

// ------------------------------------------------------------ mask scoring

// Penalty of the symbol held in columns and rows: runs, finder-like
// patterns, 2 x 2 blocks and the balance of light modules.
Integer TCQRCode::ScoreLines() const {
    const Integer n = size_;
    const Line same = Span(1, n - 1);
    const Line blockTops = Span(0, n - 2);
    Integer score = 0;
    Integer dark = 0;
    for (Integer k = 0; k < n; ++k) {
        score += LineScore(lines_->columns[k], same) + LineScore(lines_->rows[k], same);
        dark += Count(lines_->columns[k]);
    }
    for (Integer x = 0; x + 1 < n; ++x) {
        const Line& a = lines_->columns[x];
        const Line across = a ^ lines_->columns[x + 1];
        const Line blocks = ~across & ~Ahead<1>(across) & ~(a ^ Ahead<1>(a)) & blockTops;
        score += 3 * Count(blocks);
    }
    const Integer percent = 100 * (n * n - dark) / (n * n);
    return score + 10 * (std::abs(percent - 50) / 5);
}

Integer TCQRCode::Penalty() const {
    for (Integer k = 0; k < size_; ++k) lines_->columns[k] = lines_->rows[k] = Line();
    for (Integer x = 0; x < size_; ++x) {
        for (Integer y = 0; y < size_; ++y) {
            if (!IsDark(x, y)) continue;
            lines_->columns[x].Set(y);
            lines_->rows[y].Set(x);
        }
    }
    return ScoreLines();
}

// Scores the eight masks on packed lines, without touching the matrix:
// the same scores as applying each mask with its format information.
Integer TCQRCode::ChooseMask() {
    const Integer n = size_;
    TQRLines& l = *lines_;
    for (Integer k = 0; k < n; ++k) {
        l.columnFunction[k] = l.columnFunctionDark[k] = l.columnData[k] = Line();
        l.rowFunction[k] = l.rowFunctionDark[k] = l.rowData[k] = Line();
    }
    for (Integer x = 0; x < n; ++x) {
        for (Integer y = 0; y < n; ++y) {
            const Byte b = modules_[x][y];
            if (b & mfFunction) {
                l.columnFunction[x].Set(y);
                l.rowFunction[y].Set(x);
            }
            if (b & mfFunctionDark) {
                l.columnFunctionDark[x].Set(y);
                l.rowFunctionDark[y].Set(x);
            } else if (b & mfData) {
                l.columnData[x].Set(y);
                l.rowData[y].Set(x);
            }
        }
    }
    const Line inside = Span(0, n - 1);
    Integer best = 0;
    Integer bestScore = 0;
    for (Integer m = 0; m < 8; ++m) {
        for (Integer k = 0; k < n; ++k) {
            l.columns[k] = (l.columnFunctionDark[k] | ((l.columnData[k] ^ kMaskLines.column[m][k % 6]) & ~l.columnFunction[k])) & inside;
            l.rows[k] = (l.rowFunctionDark[k] | ((l.rowData[k] ^ kMaskLines.row[m][k % 12]) & ~l.rowFunction[k])) & inside;
        }
        ForEachFormatModule(n, FormatInfo(level_, m), [&l](Integer x, Integer y, bool dark) {
            if (!dark) return;
            l.columns[x].Set(y);
            l.rows[y].Set(x);
        });
        const Integer score = ScoreLines();
        if (m == 0 || score < bestScore) {
            best = m;
            bestScore = score;
        }
    }
    return best;
}
