// TQRCompress: the semi-splay-tree prefix coder of the page bodies. Code
// bits are packed from the least significant bit of each byte up, so a
// 64-bit word holds them in order; the stream sees whole chunks.
#include "QRPrntr.h"

#include <QtCore/QtEndian>

#include <algorithm>

namespace {

constexpr Word kRoot = 0;
constexpr Word kFirstLeaf = 256;
constexpr Word kLastNode = 512;
// Bits of a long path's code held per word while walking up: few codes
// are longer, and the sweeps of the tests reach several words.
constexpr int kSpillBits = 16;

}  // namespace

TQRCompress::TQRCompress(TStream& stream, bool compress, Int64 codeLimit)
    : stream_(stream), compress_(compress), codeLeft_(std::max<Int64>(codeLimit, 0)) {
    // The complete tree: node m hangs in entry m - 1.
    for (Word i = 0; i < kLastNode; ++i) child_[i] = Word(i + 1);
    for (Word i = 1; i <= kLastNode; ++i) up_[i] = Word(i - 1);
    up_[kRoot] = 0;
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
    // Give back the code bytes read ahead whose first bit was not used.
    const Int64 unused = bitsRead_ / 8 - (bitsUsed_ + 7) / 8;
    if (unused > 0) stream_.Seek(-unused, soCurrent);
}

// ------------------------------------------------------------ compressing

void TQRCompress::FlushOutput() {
    if (bufferEnd_ == 0) return;
    stream_.WriteBuffer(buffer_, bufferEnd_);
    bufferEnd_ = 0;
}

// Appends count (at most 64) bits; whole 64-bit words go to the buffer.
Q_ALWAYS_INLINE void TQRCompress::EmitBits(quint64 bits, int count) {
    bits_ |= bits << bitCount_;
    bitCount_ += count;
    if (bitCount_ < 64) return;
    qToLittleEndian(bits_, buffer_ + bufferEnd_);
    bufferEnd_ += 8;
    if (bufferEnd_ == kChunk) FlushOutput();
    bitCount_ -= 64;
    const int taken = count - bitCount_;
    bits_ = taken < 64 ? bits >> taken : 0;
}

Q_ALWAYS_INLINE void TQRCompress::CodeByte(Byte c) {
    // One walk up from the leaf splays: a swaps places with the sibling of
    // its parent. The sides passed are noted with the latest in the lowest
    // bit, as the code goes out from the root down; a deep path spills
    // whole words, sent after the rest.
    quint64 spilled[kFirstLeaf / kSpillBits + 1];
    int spills = 0;
    quint64 code = 0;
    int bits = 0;
    for (Word a = Word(kFirstLeaf + c); a != kRoot;) {
        const Word toA = up_[a];
        const Word p = toA >> 1;
        if (p == kRoot) {
            code = code << 1 | (toA & 1);
            ++bits;
            break;
        }
        const Word toP = up_[p];
        const Word toB = toP ^ 1;
        const Word g = toP >> 1;
        const Word b = child_[toB];
        child_[toB] = a;
        child_[toA] = b;
        up_[a] = toB;
        up_[b] = toA;
        code = code << 2 | (toA & 1) << 1 | (toP & 1);
        bits += 2;
        if (bits == kSpillBits) {
            spilled[spills++] = code;
            code = 0;
            bits = 0;
        }
        a = g;
    }
    EmitBits(code, bits);
    while (spills > 0) EmitBits(spilled[--spills], kSpillBits);
}

void TQRCompress::CompressBytes(const Byte* data, Int64 count) {
    for (Int64 i = 0; i < count; ++i) CodeByte(data[i]);
}

void TQRCompress::CompressByte(Byte c) { CodeByte(c); }

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
    bitsRead_ += 8 * bytes;
}

Q_ALWAYS_INLINE Byte TQRCompress::DecodeByte() {
    // The descent notes the child_ entry it takes at each level; the splay
    // then walks them back up two at a time, so expanding needs no parent
    // links. The bits stay in registers while the descent runs.
    Word taken[kFirstLeaf];
    quint64 bits = bits_;
    int count = bitCount_;
    int depth = 0;
    Word a = kRoot;
    while (a < kFirstLeaf) {
        if (count == 0) {
            Refill();
            bits = bits_;
            count = bitCount_;
        }
        const Word entry = Word(2 * a + (bits & 1));
        bits >>= 1;
        --count;
        taken[depth++] = entry;
        a = child_[entry];
    }
    bits_ = bits;
    bitCount_ = count;
    bitsUsed_ += depth;
    // The node in entry taken[i] swaps places with the sibling of its
    // parent, whose entry is the other one of taken[i - 1]'s node.
    for (int i = depth - 1; i >= 1; i -= 2) {
        const Word toB = taken[i - 1] ^ 1;
        const Word b = child_[toB];
        child_[toB] = child_[taken[i]];
        child_[taken[i]] = b;
    }
    return Byte(a - kFirstLeaf);
}

void TQRCompress::ExpandBytes(Byte* data, Int64 count) {
    for (Int64 i = 0; i < count; ++i) data[i] = DecodeByte();
}

Byte TQRCompress::ExpandByte() { return DecodeByte(); }
