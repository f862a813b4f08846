// TMetafile: the record stream, its checks, its size and the bitmap
// encoding shared by the writer (MetafileWriter.cpp) and the player
// (MetafilePlayer.cpp).
#include "MetafileInternal.h"

#include <algorithm>

using namespace Emf;

namespace {

[[noreturn]] void invalid(const QString& what) {
    throw EInvalidGraphic(QStringLiteral("Invalid metafile: %1").arg(what));
}

void putU32(QByteArray& data, Int64 offset, Cardinal value) {
    const Cardinal le = qToLittleEndian(value);
    std::memcpy(data.data() + offset, &le, 4);
}

void appendU32(QByteArray& out, Cardinal value) {
    const Cardinal le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&le), 4);
}

}  // namespace

// ------------------------------------------------------------ checks

QByteArray Emf::Validate(QByteArrayView data) {
    const Int64 size = data.size();
    if (size < 8) invalid(QStringLiteral("%1 bytes are too short for a header record").arg(size));
    if (U32(data.data()) != EMR_HEADER) invalid(QStringLiteral("it does not begin with a header record"));
    const Int64 headerSize = U32(data.data() + 4);
    if (headerSize < MinHeaderSize || headerSize % 4 != 0)
        invalid(QStringLiteral("the header record has a bad size (%1)").arg(headerSize));
    if (headerSize > size) invalid(QStringLiteral("the header record is truncated"));
    if (U32(data.data() + OffSignature) != Signature) invalid(QStringLiteral("the header lacks the EMF signature"));
    const Int64 total = U32(data.data() + OffBytes);
    if (total < headerSize + 8 || total % 4 != 0)
        invalid(QStringLiteral("the header states a bad length (%1 bytes)").arg(total));
    if (total > size)
        invalid(QStringLiteral("truncated: the header states %1 bytes, only %2 are present").arg(total).arg(size));
    Int64 offset = headerSize;
    for (Integer index = 1;; ++index) {
        if (offset + 8 > total) invalid(QStringLiteral("the end record is missing"));
        const Cardinal type = U32(data.data() + offset);
        const Int64 length = U32(data.data() + offset + 4);
        if (length < 8 || length % 4 != 0 || length > total - offset)
            invalid(QStringLiteral("record %1 (type %2) at offset %3 has a bad size (%4)")
                        .arg(index).arg(type).arg(offset).arg(length));
        if (type == EMR_HEADER) invalid(QStringLiteral("a second header record at offset %1").arg(offset));
        offset += length;
        if (type == EMR_EOF) break;
    }
    if (offset != total) invalid(QStringLiteral("%1 bytes follow the end record").arg(total - offset));
    return data.first(total).toByteArray();
}

// ------------------------------------------------------------ TMetafile

TMetafile::TMetafile() = default;
TMetafile::~TMetafile() = default;

Integer TMetafile::Width() const {
    return MulDiv(mmWidth_, 96, 2540);
}

Integer TMetafile::Height() const {
    return MulDiv(mmHeight_, 96, 2540);
}

void TMetafile::SetWidth(Integer width) {
    SetMMWidth(MulDiv(width, 2540, 96));
}

void TMetafile::SetHeight(Integer height) {
    SetMMHeight(MulDiv(height, 2540, 96));
}

// The frame in the header follows the size, so that a saved file keeps it.
void TMetafile::SetMMWidth(Integer value) {
    if (value == mmWidth_) return;
    mmWidth_ = value;
    if (!data_.isEmpty()) putU32(data_, OffFrame + 8, U32(data_.data() + OffFrame) + Cardinal(value));
    Changed();
}

void TMetafile::SetMMHeight(Integer value) {
    if (value == mmHeight_) return;
    mmHeight_ = value;
    if (!data_.isEmpty()) putU32(data_, OffFrame + 12, U32(data_.data() + OffFrame + 4) + Cardinal(value));
    Changed();
}

void TMetafile::Clear() {
    if (data_.isEmpty()) return;
    data_.clear();
    Changed();
}

void TMetafile::SetData(const QByteArray& data) {
    if (data.isEmpty()) {
        Clear();
        return;
    }
    takeRecorded(Validate(data));
}

void TMetafile::takeRecorded(QByteArray data) {
    data_ = std::move(data);
    const TRect frame = RecordView(data_).Rect(OffFrame);
    mmWidth_ = Integer(std::clamp<Int64>(Int64(frame.Right) - frame.Left, 0, INT32_MAX));
    mmHeight_ = Integer(std::clamp<Int64>(Int64(frame.Bottom) - frame.Top, 0, INT32_MAX));
    Changed();
}

void TMetafile::Assign(TPersistent* Source) {
    if (!Source) {
        data_.clear();
        mmWidth_ = mmHeight_ = 0;
        Changed();
        return;
    }
    if (auto* other = dynamic_cast<TMetafile*>(Source)) {
        data_ = other->data_;
        mmWidth_ = other->mmWidth_;
        mmHeight_ = other->mmHeight_;
        Changed();
        return;
    }
    TGraphic::Assign(Source);
}

void TMetafile::Draw(TCanvas* canvas, const TRect& r) {
    if (canvas && !data_.isEmpty()) Play(data_, canvas, r);
}

// The header's length field says how much to read: nothing past it is
// touched, and a length beyond the stream is refused before reading.
void TMetafile::LoadFromStream(TStream& stream) {
    QByteArray head = stream.ReadBytes(OffRecords);
    if (head.size() < OffRecords) invalid(QStringLiteral("%1 bytes are too short for a header record").arg(head.size()));
    if (U32(head.data()) != EMR_HEADER) invalid(QStringLiteral("it does not begin with a header record"));
    if (U32(head.data() + OffSignature) != Signature) invalid(QStringLiteral("the header lacks the EMF signature"));
    const Int64 total = U32(head.data() + OffBytes);
    if (total > MaxBytes) invalid(QStringLiteral("the header states %1 bytes, more than a metafile may hold").arg(total));
    if (total < OffRecords) invalid(QStringLiteral("the header states a bad length (%1 bytes)").arg(total));
    const Int64 available = stream.Size() - stream.Position();
    if (total - OffRecords > available)
        invalid(QStringLiteral("truncated: the header states %1 bytes, only %2 are present")
                    .arg(total).arg(available + OffRecords));
    head.append(stream.ReadBytes(Integer(total - OffRecords)));
    takeRecorded(Validate(head));
}

void TMetafile::SaveToStream(TStream& stream) {
    if (!data_.isEmpty()) stream.WriteBuffer(data_.constData(), Integer(data_.size()));
}

void EnumMetafileRecords(const TMetafile& metafile, const std::function<bool(const TMetafileRecord&)>& f) {
    const QByteArray& data = metafile.Data();
    for (Int64 offset = 0; offset + 8 <= data.size();) {
        const Int64 length = U32(data.constData() + offset + 4);
        const TMetafileRecord record{U32(data.constData() + offset), QByteArrayView(data).sliced(offset, length)};
        if (!f(record) || record.Type == EMR_EOF) return;
        offset += length;
    }
}

// ------------------------------------------------------------ bitmaps

QByteArray Emf::EncodeDib(const QImage& image, QByteArray& bits) {
    const bool alpha = image.hasAlphaChannel();
    const QImage pixels = image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_BGR888);
    const Integer bitCount = alpha ? 32 : 24;
    const Integer w = pixels.width(), h = pixels.height();
    const Integer stride = (w * bitCount + 31) / 32 * 4;
    bits = QByteArray(Int64(stride) * h, '\0');
    for (Integer y = 0; y < h; ++y)
        std::memcpy(bits.data() + Int64(h - 1 - y) * stride, pixels.constScanLine(y), size_t(w * bitCount / 8));
    QByteArray info;
    for (Cardinal v : {40u, Cardinal(w), Cardinal(h), 1u | (Cardinal(bitCount) << 16), 0u, Cardinal(bits.size()),
                       3780u, 3780u, 0u, 0u})
        appendU32(info, v);
    return info;
}

namespace {

// Largest bitmap the player decodes, in pixels.
constexpr Int64 MaxDibPixels = Int64(40) * 1000 * 1000;

QImage decodeIndexed(const RecordView& info, Int64 paletteAt, QByteArrayView bits, Int64 stride, Integer w, Integer h,
                     Integer bitCount, Integer colours, bool bottomUp) {
    QImage image(w, h, QImage::Format_RGB32);
    for (Integer y = 0; y < h; ++y) {
        const char* row = bits.data() + (bottomUp ? Int64(h - 1 - y) : Int64(y)) * stride;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (Integer x = 0; x < w; ++x) {
            const Int64 bit = Int64(x) * bitCount;
            const Integer byte = Byte(row[bit / 8]);
            const Integer index = (byte >> (8 - bitCount - bit % 8)) & ((1 << bitCount) - 1);
            if (index >= colours) {
                out[x] = qRgb(0, 0, 0);
                continue;
            }
            const Int64 at = paletteAt + Int64(index) * 4;
            out[x] = qRgb(info.B(at + 2), info.B(at + 1), info.B(at));
        }
    }
    return image;
}

}  // namespace

QImage Emf::DecodeDib(QByteArrayView infoBytes, QByteArrayView bits, Cardinal usage) {
    const RecordView info(infoBytes);
    if (usage != 0 || !info.Has(0, 40)) return QImage();
    const Int64 headerSize = info.U(0);
    const Integer w = info.I(4), rawHeight = info.I(8);
    const Integer bitCount = info.W(14);
    const Cardinal compression = info.U(16);
    if (headerSize < 40 || !info.Has(0, headerSize) || compression != 0) return QImage();
    if (w <= 0 || rawHeight == 0 || rawHeight == INT32_MIN) return QImage();
    const Integer h = std::abs(rawHeight);
    if (Int64(w) * h > MaxDibPixels) return QImage();
    const bool bottomUp = rawHeight > 0;
    const Int64 stride = (Int64(w) * bitCount + 31) / 32 * 4;
    if (stride * h > bits.size()) return QImage();
    if (bitCount == 1 || bitCount == 4 || bitCount == 8) {
        const Integer used = Integer(std::min<Cardinal>(info.U(32), 256));
        const Integer colours = used > 0 ? used : 1 << bitCount;
        if (!info.Has(headerSize, Int64(colours) * 4)) return QImage();
        return decodeIndexed(info, headerSize, bits, stride, w, h, bitCount, colours, bottomUp);
    }
    if (bitCount != 24 && bitCount != 32) return QImage();
    QImage image(w, h, bitCount == 24 ? QImage::Format_BGR888 : QImage::Format_ARGB32);
    bool anyAlpha = false;
    for (Integer y = 0; y < h; ++y) {
        const char* row = bits.data() + (bottomUp ? Int64(h - 1 - y) : Int64(y)) * stride;
        std::memcpy(image.scanLine(y), row, size_t(w) * size_t(bitCount / 8));
        if (bitCount == 32)
            for (Integer x = 0; x < w && !anyAlpha; ++x) anyAlpha = row[x * 4 + 3] != 0;
    }
    // Writers that keep no alpha leave the fourth byte 0: such pixels are opaque.
    if (bitCount == 32 && !anyAlpha) return image.convertToFormat(QImage::Format_RGB32);
    return image;
}
