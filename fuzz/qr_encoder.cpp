// The QR code encoder on any bytes: no crash, and every symbol it makes is
// well formed. The first byte picks level, mask and AutoExpand, the second
// the requested version; the rest is the text.
#include "CBarCode.h"
#include "FuzzSupport.h"

namespace {

constexpr int kLevelBits[4] = {1, 0, 3, 2};

// The format information near the upper left finder pattern, unmasked.
int FormatData(const TCQRCode& code) {
    int info = 0;
    for (int k = 0; k < 15; ++k) {
        int x = 8;
        int y = k <= 5 ? k : k + 1;
        if (k >= 8) {
            x = k == 8 ? 7 : 14 - k;
            y = 8;
        }
        info |= code.Modules(x, y) << k;
    }
    return (info ^ 0x5412) >> 10;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    static TCQRCode code;
    const int level = data[0] & 3;
    const int mask = ((data[0] >> 2) & 15) % 9 - 1;
    const bool autoExpand = (data[0] & 0x80) != 0;
    const int version = data[1] % 41;
    const QByteArray text(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2));
    if (!code.Encode(level, version, autoExpand, mask, text)) return 0;

    FUZZ_CHECK(code.Size() == 4 * code.Version() + 17, "size %d for version %d", code.Size(), code.Version());
    FUZZ_CHECK(version == 0 || code.Version() >= version || autoExpand, "version %d for %d", code.Version(), version);
    FUZZ_CHECK(mask < 0 ? code.Mask() >= 0 && code.Mask() <= 7 : code.Mask() == mask, "mask %d for %d", code.Mask(), mask);
    long bytes = 0;
    for (const TQRSegment& s : code.Segments()) {
        FUZZ_CHECK(s.Count > 0 && s.Mode <= 3 && (s.Mode != 3 || s.Count % 2 == 0), "segment %d of %d", s.Mode, s.Count);
        bytes += s.Count;
    }
    FUZZ_CHECK(bytes == text.size(), "segments hold %ld of %lld bytes", bytes, (long long)text.size());
    for (int x = 0; x < code.Size(); ++x) {
        for (int y = 0; y < code.Size(); ++y) FUZZ_CHECK(code.Modules(x, y) <= 1, "module (%d, %d)", x, y);
    }
    // The corner of the upper left finder pattern and the timing pattern.
    FUZZ_CHECK(code.Modules(0, 0) == 1 && code.Modules(1, 1) == 0 && code.Modules(3, 3) == 1, "finder pattern");
    for (int k = 8; k < code.Size() - 8; ++k) FUZZ_CHECK(code.Modules(k, 6) == (k % 2 == 0 ? 1 : 0), "timing at %d", k);
    FUZZ_CHECK(FormatData(code) == ((kLevelBits[level] << 3) | code.Mask()), "format information");
    return 0;
}
