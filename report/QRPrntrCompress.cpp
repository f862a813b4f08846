// TQRCompress: the semi-splay-tree prefix coder of the page bodies.
#include "QRPrntr.h"

#include <algorithm>

namespace {

constexpr Word kRoot = 0;
constexpr Word kFirstLeaf = 256;
constexpr Word kLastNode = 512;
constexpr qsizetype kChunk = 4096;
// A leaf of a tree of 257 leaves lies at most 256 steps below the root.
constexpr int kMaxDepth = 257;

}  // namespace

TQRCompress::TQRCompress(TStream& stream, bool compress, Int64 codeLimit)
    : stream_(stream), compress_(compress), bitPos_(compress ? 0 : 7), codeLeft_(std::max<Int64>(codeLimit, 0)) {
    for (Word i = 1; i <= kLastNode; ++i) parent_[i] = Byte((i - 1) / 2);
    parent_[0] = 0;
    for (Word i = 0; i < kFirstLeaf; ++i) {
        left_[i] = Word(2 * i + 1);
        right_[i] = Word(2 * i + 2);
    }
    if (compress_) buffer_.reserve(kChunk);
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
        if (bitPos_ != 0) buffer_.append(char(code_));
        FlushOutput();
    } else if (bufferPos_ < buffer_.size()) {
        // Give back the code bytes read ahead but not used.
        stream_.Seek(Int64(bufferPos_ - buffer_.size()), soCurrent);
        buffer_.clear();
        bufferPos_ = 0;
    }
}

// ------------------------------------------------------------ the tree

void TQRCompress::Splay(Byte c) {
    Word a = Word(kFirstLeaf + c);
    while (a != kRoot) {
        const Word p = parent_[a];
        if (p == kRoot) break;
        const Word g = parent_[p];
        Word b = left_[g];
        if (b == p) {
            b = right_[g];
            right_[g] = a;
        } else {
            left_[g] = a;
        }
        if (a == left_[p])
            left_[p] = b;
        else
            right_[p] = b;
        parent_[a] = Byte(g);
        parent_[b] = Byte(p);
        a = g;
    }
}

// ------------------------------------------------------------ compressing

void TQRCompress::EmitBit(bool bit) {
    if (bit) code_ |= Byte(1u << bitPos_);
    if (bitPos_ == 7) {
        buffer_.append(char(code_));
        if (buffer_.size() >= kChunk) FlushOutput();
        code_ = 0;
        bitPos_ = 0;
    } else {
        ++bitPos_;
    }
}

void TQRCompress::FlushOutput() {
    if (buffer_.isEmpty()) return;
    stream_.WriteBuffer(buffer_.constData(), Integer(buffer_.size()));
    buffer_.clear();
}

void TQRCompress::CompressByte(Byte c) {
    // The path is noted from the leaf up and sent from the root down.
    bool path[kMaxDepth];
    int depth = 0;
    for (Word a = Word(kFirstLeaf + c); a != kRoot; a = parent_[a]) path[depth++] = right_[parent_[a]] == a;
    while (depth > 0) EmitBit(path[--depth]);
    Splay(c);
}

void TQRCompress::CompressBytes(const Byte* data, Int64 count) {
    for (Int64 i = 0; i < count; ++i) CompressByte(data[i]);
}

// ------------------------------------------------------------ expanding

void TQRCompress::Refill() {
    buffer_.clear();
    bufferPos_ = 0;
    const Int64 want = std::min<Int64>(kChunk, codeLeft_);
    if (want <= 0) return;
    buffer_.resize(qsizetype(want));
    const Integer got = std::max(stream_.Read(buffer_.data(), Integer(want)), 0);
    buffer_.truncate(got);
    codeLeft_ -= got;
    if (got < want) codeLeft_ = 0;  // the stream has ended
}

bool TQRCompress::NextBit() {
    if (bitPos_ == 7) {
        if (bufferPos_ >= buffer_.size()) Refill();
        if (bufferPos_ < buffer_.size()) {
            code_ = Byte(buffer_[bufferPos_++]);
        } else {
            code_ = 0;
            overrun_ = true;
        }
        bitPos_ = 0;
    } else {
        ++bitPos_;
    }
    return (code_ >> bitPos_) & 1u;
}

Byte TQRCompress::ExpandByte() {
    Word a = kRoot;
    while (a < kFirstLeaf) a = NextBit() ? right_[a] : left_[a];
    const Byte c = Byte(a - kFirstLeaf);
    Splay(c);
    return c;
}

void TQRCompress::ExpandBytes(Byte* data, Int64 count) {
    for (Int64 i = 0; i < count; ++i) data[i] = ExpandByte();
}
