// Internals shared by Metafile.cpp, MetafileWriter.cpp and
// MetafilePlayer.cpp: little-endian field access, the header layout, the
// reference device and the bitmap encoding. Not for use elsewhere.
#pragma once

#include "Metafile.h"

#include <QtCore/QtEndian>

#include <cstring>

namespace Emf {

// The reference device: the 96-dpi screen, sized so that its millimetres
// are whole (1920 px = 508 mm, 1440 px = 381 mm).
constexpr Integer DevicePixelsX = 1920, DevicePixelsY = 1440;
constexpr Integer DeviceMillimetersX = 508, DeviceMillimetersY = 381;

constexpr Cardinal Signature = 0x464D4520;  // " EMF"
constexpr Cardinal Version = 0x10000;
constexpr Integer HeaderSize = 108;
constexpr Integer MinHeaderSize = 88;
// Header fields.
constexpr Integer OffFrame = 24, OffSignature = 40, OffBytes = 48, OffRecords = 52, OffDevice = 72,
                  OffMillimeters = 80;
// A file larger than this is refused rather than read into memory.
constexpr Int64 MaxBytes = Int64(256) * 1024 * 1024;

// Stock objects.
constexpr Cardinal StockObject = 0x80000000;
constexpr Cardinal NullBrush = StockObject | 5, NullPen = StockObject | 8;

// Pen, brush and hatch styles.
constexpr Cardinal PS_SOLID = 0, PS_NULL = 5, PS_INSIDEFRAME = 6, PS_STYLE_MASK = 0xF;
constexpr Cardinal BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2, BS_DIBPATTERNPT = 6;
constexpr Cardinal PATCOPY = 0x00F00021, SRCCOPY = 0x00CC0020;
constexpr Cardinal GM_COMPATIBLE = 1;
constexpr Integer ExtTextOutSize = 76;  // up to the string
constexpr Integer LogFontSize = 92, LogFontPanoseSize = 320;

inline Cardinal U32(const char* p) {
    Cardinal v;
    std::memcpy(&v, p, 4);
    return qFromLittleEndian(v);
}
inline Integer I32(const char* p) { return Integer(U32(p)); }
inline Word U16(const char* p) {
    Word v;
    std::memcpy(&v, p, 2);
    return qFromLittleEndian(v);
}

// Reading the fields of one record, which the loader has checked to lie
// within the data; Has tells whether a field lies within the record.
class RecordView {
public:
    explicit RecordView(QByteArrayView bytes) : b_(bytes) {}
    Int64 Size() const { return b_.size(); }
    bool Has(Int64 offset, Int64 length) const { return offset >= 0 && length >= 0 && offset + length <= Size(); }
    Integer I(Int64 offset) const { return I32(b_.data() + offset); }
    Cardinal U(Int64 offset) const { return U32(b_.data() + offset); }
    Word W(Int64 offset) const { return U16(b_.data() + offset); }
    Byte B(Int64 offset) const { return Byte(b_[offset]); }
    TRect Rect(Int64 offset) const { return TRect(I(offset), I(offset + 4), I(offset + 8), I(offset + 12)); }
    TPoint Point(Int64 offset) const { return TPoint(I(offset), I(offset + 4)); }
    const char* Data(Int64 offset) const { return b_.data() + offset; }

private:
    QByteArrayView b_;
};

// Colours as the format keeps them (0x00BBGGRR, as TColor).
inline Cardinal ColorRef(TColor color) { return Cardinal(ColorToRGB(color)) & 0xFFFFFF; }

// A device-independent bitmap: BITMAPINFOHEADER and bottom-up rows of
// 24-bit pixels, or 32-bit ones with alpha for images that have it.
QByteArray EncodeDib(const QImage& image, QByteArray& bits);
// The image of a BITMAPINFO and its bits; a null image when they are
// malformed or do not hold the pixels they claim.
QImage DecodeDib(QByteArrayView info, QByteArrayView bits, Cardinal usage);

// Checks a record stream: the header, every record's size within the data,
// the end record last. Returns the stream cut to the header's length;
// raises EInvalidGraphic with what is wrong.
QByteArray Validate(QByteArrayView data);

// Draws checked records into r on canvas.
void Play(QByteArrayView data, TCanvas* canvas, const TRect& r);

}  // namespace Emf
