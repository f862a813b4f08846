// TQRCompress: the semi-splay-tree prefix coder of the page bodies. Code
// bits are packed from the least significant bit of each byte up, so a
// 64-bit word holds them in order; the stream sees whole chunks.
#include "QRPrntr.h"

#include <QtCore/QtEndian>

#include <algorithm>
#include <cstring>

// Loads through inline assembly are hidden from the address checker: the
// checked builds take the plain ones.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QR_CHECKED_BUILD
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define QR_CHECKED_BUILD
#endif

namespace {

// The tables hold byte offsets: entry i lies at offset i * kEntry.
constexpr Cardinal kEntry = sizeof(Cardinal);
constexpr Cardinal kPair = 2 * kEntry;
constexpr Cardinal kNodes = 513;
// child_ values at or above this one are leaves (the pairs of nodes 256..).
constexpr Cardinal kFirstLeaf = 512 * kEntry;
// The root's parent link: below kPair like the root's own entries, so a walk
// up stops there too, and no entry's offset.
constexpr Cardinal kAboveRoot = 1;
// Bits of a long path's code held per word while walking up: few codes
// are longer, and the sweeps of the tests reach several words.
constexpr int kSpillBits = 16;

Q_ALWAYS_INLINE Cardinal LeafPair(Byte c) { return (256 + Cardinal(c)) * kPair; }
Q_ALWAYS_INLINE quint64 SideOf(quint64 entry) { return entry / kEntry & 1; }

// The entry at `offset` bytes from `base`, a place in `table`. On x86-64
// the load adds the offset to the base itself, unscaled: left alone, the
// compiler folds a moved base into the offset, which puts an addition on
// the chain of loads that a walk through the tree is. Offsets are passed
// and returned 64 bits wide, so none is widened on the way.
template <std::size_t N>
Q_ALWAYS_INLINE quint64 LoadAt(const Cardinal (&table)[N], const char* base, quint64 offset) {
#if defined(__GNUC__) && defined(__x86_64__) && !defined(QR_CHECKED_BUILD)
    quint64 value;
    asm("movl (%1,%2,1), %k0" : "=r"(value) : "r"(base), "r"(offset), "m"(table));
    return value;
#else
    Q_UNUSED(table);
    Cardinal value;
    std::memcpy(&value, base + offset, sizeof value);
    return value;
#endif
}

Q_ALWAYS_INLINE Cardinal& EntryAt(Cardinal* table, Cardinal offset) {
    return *reinterpret_cast<Cardinal*>(reinterpret_cast<char*>(table) + offset);
}

// Both entries of a pair at once: a node's parent link is read through either.
Q_ALWAYS_INLINE void SetPair(Cardinal* table, Cardinal offset, Cardinal value) {
    const quint64 both = value * 0x0000000100000001ull;
    std::memcpy(reinterpret_cast<char*>(table) + offset, &both, sizeof both);
}

}  // namespace

TQRCompress::TQRCompress(TStream& stream, bool compress, Int64 codeLimit)
    : stream_(stream), compress_(compress), codeLeft_(std::max<Int64>(codeLimit, 0)) {
    // The complete tree: node m hangs in entry m - 1.
    for (Cardinal i = 0; i < 2 * 256; ++i) child_[i] = (i + 1) * kPair;
    if (!compress) return;
    up_[0] = up_[1] = kAboveRoot;
    for (Cardinal m = 1; m < kNodes; ++m) up_[2 * m] = up_[2 * m + 1] = (m - 1) * kEntry;
}

TQRCompress::~TQRCompress() {
    if (finished_) return;
    try {
        Finish();
    } catch (const std::exception&) {
        // Only reached while unwinding from another error: that one counts.
    }
}

void TQRCompress::Finish() {
    if (finished_) return;
    finished_ = true;
    if (compress_) {
        // The last partly filled byte goes out with its high bits 0.
        while (bitCount_ > 0) {
            buffer_[bufferEnd_++] = Byte(bits_);
            bits_ >>= 8;
            bitCount_ = std::max(bitCount_ - 8, 0);
            if (bufferEnd_ == kChunk) FlushOutput();
        }
        FlushOutput();
        return;
    }
    // Give back the code bytes read ahead and not begun: those still in the
    // buffer and the whole bytes among the bits at hand (zero bits made up
    // past the end of the code were never read).
    const Int64 unused = Int64(bufferEnd_ - bufferPos_) + (overrun_ ? 0 : bitCount_ / 8);
    if (unused > 0) stream_.Seek(-unused, soCurrent);
}

// ------------------------------------------------------------ compressing

void TQRCompress::FlushOutput() {
    if (bufferEnd_ == 0) return;
    stream_.WriteBuffer(buffer_, bufferEnd_);
    bufferEnd_ = 0;
}

// Appends codeBits (at most 64) bits to the word at hand; whole 64-bit
// words go to the buffer.
Q_ALWAYS_INLINE void TQRCompress::EmitBits(quint64 code, int codeBits, quint64& bits, int& count) {
    bits |= code << count;
    count += codeBits;
    if (count < 64) return;
    qToLittleEndian(bits, buffer_ + bufferEnd_);
    bufferEnd_ += 8;
    if (bufferEnd_ == kChunk) FlushOutput();
    count -= 64;
    const int taken = codeBits - count;
    bits = taken < 64 ? code >> taken : 0;
}

Q_ALWAYS_INLINE void TQRCompress::CodeByte(Byte c, quint64& bits, int& count) {
    // One walk up from the leaf splays: a swaps places with the sibling b of
    // its parent p. The sides passed are noted with the latest in the lowest
    // bit, as the code goes out from the root down; a deep path spills whole
    // words, sent after the rest.
    quint64 spilled[256 / kSpillBits + 1];
    int spills = 0;
    quint64 code = 0;
    int codeBits = 0;
    const char* up = reinterpret_cast<const char*>(up_);
    quint64 a = LeafPair(c);
    quint64 toA = LoadAt(up_, up, a);
    while (toA >= kPair) {
        const quint64 toP = LoadAt(up_, up, toA);
        const Cardinal toB = Cardinal(toP) ^ kEntry;
        const Cardinal b = EntryAt(child_, toB);
        EntryAt(child_, toB) = Cardinal(a);
        EntryAt(child_, Cardinal(toA)) = b;
        SetPair(up_, Cardinal(a), toB);
        SetPair(up_, b, Cardinal(toA));
        code = code << 2 | SideOf(toA) << 1 | SideOf(toP);
        codeBits += 2;
        if (codeBits == kSpillBits) {
            spilled[spills++] = code;
            code = 0;
            codeBits = 0;
        }
        a = toP & ~(kPair - 1);  // on from the grandparent
        toA = LoadAt(up_, up, toP);  // kAboveRoot once a is the root
    }
    // a is a child of the root, or the root itself
    const int last = toA == kAboveRoot ? 0 : 1;
    code = code << last | (toA & last * kEntry) / kEntry;
    codeBits += last;
    EmitBits(code, codeBits, bits, count);
    while (spills > 0) EmitBits(spilled[--spills], kSpillBits, bits, count);
}

void TQRCompress::CompressBytes(const Byte* data, Int64 count) {
    quint64 bits = bits_;
    int bitCount = bitCount_;
    for (Int64 i = 0; i < count;) {
        const Cardinal toA = EntryAt(up_, LeafPair(data[i]));
        if (toA >= kPair || count - i < 8) {
            CodeByte(data[i++], bits, bitCount);
            continue;
        }
        // A child of the root costs one bit and changes nothing: a run of it
        // goes out at once.
        const quint64 others = qFromLittleEndian<quint64>(data + i) ^ (data[i] * 0x0101010101010101ull);
        const int run = others ? qCountTrailingZeroBits(others) / 8 : 8;
        EmitBits(toA ? (1u << run) - 1 : 0, run, bits, bitCount);
        i += run;
    }
    bits_ = bits;
    bitCount_ = bitCount;
}

void TQRCompress::CompressByte(Byte c) { CompressBytes(&c, 1); }

// ------------------------------------------------------------ expanding

// Called with no bits left.
void TQRCompress::Refill() {
    if (bufferPos_ == bufferEnd_) {
        bufferPos_ = bufferEnd_ = 0;
        const Int64 want = std::min<Int64>(kChunk, codeLeft_);
        const Integer got = want > 0 ? std::max(stream_.Read(buffer_, Integer(want)), 0) : 0;
        bufferEnd_ = got;
        codeLeft_ = got < want ? 0 : codeLeft_ - got;  // a short read: the stream has ended
    }
    bits_ = 0;
    if (bufferPos_ == bufferEnd_) {
        // Past the end of the code: zero bits, as many as are asked for.
        overrun_ = true;
        bitCount_ = 64;
        return;
    }
    const int bytes = std::min(bufferEnd_ - bufferPos_, 8);
    if (bytes == 8) {
        bits_ = qFromLittleEndian<quint64>(buffer_ + bufferPos_);
    } else {
        for (int i = 0; i < bytes; ++i) bits_ |= quint64(buffer_[bufferPos_ + i]) << (8 * i);
    }
    bufferPos_ += bytes;
    bitCount_ = 8 * bytes;
}

// Swaps the nodes held in two entries.
Q_ALWAYS_INLINE void TQRCompress::Swap(Cardinal entry1, Cardinal entry2) {
    const Cardinal node1 = EntryAt(child_, entry1);
    EntryAt(child_, entry1) = EntryAt(child_, entry2);
    EntryAt(child_, entry2) = node1;
}

// Goes on below the root's child at `entry` (its side `first` taken
// already) and splays; returns the leaf's pair.
Q_ALWAYS_INLINE Cardinal TQRCompress::DescendAndSplay(Cardinal first, Cardinal entry, quint64& bits, int& count,
                                                       Cardinal& top0, Cardinal& top1) {
    // The descent notes the child_ entry it takes at each level; the splay
    // swaps them back two at a time from the bottom (the node in entry
    // taken[i] with the sibling of its parent, in the other entry of
    // taken[i - 1]'s pair), so expanding needs no parent links.
    Cardinal taken[256];
    taken[0] = first * kEntry;
    int depth = 1;
    const char* table = reinterpret_cast<const char*>(child_);
    quint64 next = entry;
    do {
        if (count == 0) {
            Refill();
            bits = bits_;
            count = bitCount_;
        }
        const quint64 side = (bits & 1) * kEntry;
        bits >>= 1;
        --count;
        taken[depth++] = Cardinal(next + side);
        next = LoadAt(child_, table + side, next);
    } while (next < kFirstLeaf);
    entry = Cardinal(next);
    int i = depth - 1;
    for (; i >= 2; i -= 2) Swap(taken[i], taken[i - 1] ^ kEntry);
    if (i == 1) {
        // The sibling of the path's first node is one of the root's pair.
        const Cardinal moved = EntryAt(child_, taken[1]);
        EntryAt(child_, taken[1]) = first ? top0 : top1;
        top0 = first ? moved : top0;
        top1 = first ? top1 : moved;
    }
    return entry;
}

void TQRCompress::ExpandBytes(Byte* data, Int64 count) {
    // The root's pair is read at every byte and rewritten at many: it stays
    // in registers here.
    quint64 bits = bits_;
    int bitCount = bitCount_;
    Cardinal top0 = child_[0];
    Cardinal top1 = child_[1];
    for (Int64 i = 0; i < count; ++i) {
        if (bitCount == 0) {
            Refill();
            bits = bits_;
            bitCount = bitCount_;
        }
        const Cardinal first = Cardinal(bits & 1);
        bits >>= 1;
        --bitCount;
        Cardinal entry = first ? top1 : top0;
        if (entry < kFirstLeaf) {
            entry = DescendAndSplay(first, entry, bits, bitCount, top0, top1);
        } else if (count - i >= 8) {
            // A child of the root changes nothing: every further bit equal
            // to this one among those at hand is the same byte again (at
            // most 7 more, as one word of 8 bytes is written).
            const quint64 others = (first ? ~bits : bits) | (bitCount < 7 ? ~0ull << bitCount : 1ull << 7);
            const int again = qCountTrailingZeroBits(others);
            qToUnaligned(quint64(entry / kPair - 256) * 0x0101010101010101ull, data + i);
            bits >>= again;
            bitCount -= again;
            i += again;
            continue;
        }
        data[i] = Byte(entry / kPair - 256);
    }
    bits_ = bits;
    bitCount_ = bitCount;
    child_[0] = top0;
    child_[1] = top1;
}

Byte TQRCompress::ExpandByte() {
    Byte c = 0;
    ExpandBytes(&c, 1);
    return c;
}
