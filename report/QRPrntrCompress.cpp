// TQRCompress: the semi-splay-tree prefix coder of the page bodies. Code
// bits are packed from the least significant bit of each byte up, so a
// 64-bit word holds them in order; the stream sees whole chunks.
#include "QRPrntr.h"

#include <algorithm>

namespace {

constexpr Word kRoot = 0;
constexpr Word kFirstLeaf = 256;
constexpr Word kLastNode = 512;

quint64 reverseBits(quint64 v) {
    v = __builtin_bswap64(v);
    v = ((v >> 4) & 0x0F0F0F0F0F0F0F0FULL) | ((v & 0x0F0F0F0F0F0F0F0FULL) << 4);
    v = ((v >> 2) & 0x3333333333333333ULL) | ((v & 0x3333333333333333ULL) << 2);
    return ((v >> 1) & 0x5555555555555555ULL) | ((v & 0x5555555555555555ULL) << 1);
}

}  // namespace

TQRCompress::TQRCompress(TStream& stream, bool compress, Int64 codeLimit)
    : stream_(stream), compress_(compress), codeLeft_(std::max<Int64>(codeLimit, 0)) {
    for (Word i = 1; i <= kLastNode; ++i) parent_[i] = Byte((i - 1) / 2);
    parent_[0] = 0;
    for (Word i = 0; i < kFirstLeaf; ++i) {
        child_[i][0] = Word(2 * i + 1);
        child_[i][1] = Word(2 * i + 2);
    }
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

void TQRCompress::EmitBits(quint64 bits, int count) {
    bits_ |= bits << bitCount_;
    bitCount_ += count;
    while (bitCount_ >= 8) {
        buffer_[bufferEnd_++] = Byte(bits_);
        bits_ >>= 8;
        bitCount_ -= 8;
        if (bufferEnd_ == kChunk) FlushOutput();
    }
}

void TQRCompress::CompressByte(Byte c) {
    // One walk up from the leaf notes the path (leaf first) and splays: each
    // splay step reads the sides of a and of its parent before moving them.
    quint64 upward[kLastNode / 64 + 1] = {};
    int depth = 0;
    auto note = [&](int side) {
        upward[depth >> 6] |= quint64(side) << (depth & 63);
        ++depth;
    };
    for (Word a = Word(kFirstLeaf + c); a != kRoot;) {
        const Word p = parent_[a];
        const int aSide = child_[p][1] == a;
        note(aSide);
        if (p == kRoot) break;
        const Word g = parent_[p];
        const int pSide = child_[g][1] == p;
        note(pSide);
        const Word b = child_[g][!pSide];
        child_[g][!pSide] = a;
        child_[p][aSide] = b;
        parent_[a] = Byte(g);
        parent_[b] = Byte(p);
        a = g;
    }
    // Sent from the root down.
    if (depth <= 64) {
        const quint64 downward = reverseBits(upward[0]) >> (64 - depth);
        EmitBits(downward & 0xFFFFFFFFu, std::min(depth, 32));
        if (depth > 32) EmitBits(downward >> 32, depth - 32);
        return;
    }
    for (int i = depth - 1; i >= 0; --i) EmitBits((upward[i >> 6] >> (i & 63)) & 1, 1);
}

void TQRCompress::CompressBytes(const Byte* data, Int64 count) {
    for (Int64 i = 0; i < count; ++i) CompressByte(data[i]);
}

// ------------------------------------------------------------ expanding

void TQRCompress::Refill() {
    if (bufferPos_ == bufferEnd_) {
        bufferPos_ = bufferEnd_ = 0;
        const Int64 want = std::min<Int64>(kChunk, codeLeft_);
        const Integer got = want > 0 ? std::max(stream_.Read(buffer_, Integer(want)), 0) : 0;
        bufferEnd_ = got;
        codeLeft_ = got < want ? 0 : codeLeft_ - got;  // a short read: the stream has ended
    }
    if (bufferPos_ == bufferEnd_) {
        // Past the end of the code: zero bits, as many as are asked for.
        overrun_ = true;
        bitCount_ = 64;
        bits_ = 0;
        return;
    }
    while (bitCount_ <= 56 && bufferPos_ < bufferEnd_) {
        bits_ |= quint64(buffer_[bufferPos_++]) << bitCount_;
        bitCount_ += 8;
        bitsRead_ += 8;
    }
}

Byte TQRCompress::ExpandByte() {
    // The descent notes its nodes and turns; the splay then walks them back
    // up two at a time, so expanding needs no parent links.
    Word path[kFirstLeaf + 1];
    Byte side[kFirstLeaf + 1];
    int depth = 0;
    Word a = kRoot;
    path[0] = kRoot;
    while (a < kFirstLeaf) {
        if (bitCount_ == 0) Refill();
        side[depth] = Byte(bits_ & 1);
        bits_ >>= 1;
        --bitCount_;
        a = child_[a][side[depth]];
        path[++depth] = a;
    }
    bitsUsed_ += depth;
    // a = path[i] swaps places with the sibling of its parent path[i - 1].
    for (int i = depth; i >= 2; i -= 2) {
        const Word g = path[i - 2];
        const int pSide = side[i - 2];
        const Word b = child_[g][!pSide];
        child_[g][!pSide] = path[i];
        child_[path[i - 1]][side[i - 1]] = b;
    }
    return Byte(a - kFirstLeaf);
}

void TQRCompress::ExpandBytes(Byte* data, Int64 count) {
    for (Int64 i = 0; i < count; ++i) data[i] = ExpandByte();
}
