// The CP932 conversions on any bytes and any text: no crash, the sizes stay
// within one unit per byte and two bytes per unit, and a text that went
// through the code page once comes back from a second trip unchanged.
#include "FuzzSupport.h"
#include "Windows.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const AnsiString bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString wide = AnsiToWide(bytes);
    FUZZ_CHECK(wide.size() <= bytes.size(), "%lld bytes gave %lld units", static_cast<long long>(bytes.size()),
               static_cast<long long>(wide.size()));

    // The bytes as UTF-16 text (odd bytes dropped), lone surrogates included.
    const QString text(reinterpret_cast<const QChar*>(data), qsizetype(size / 2));
    const AnsiString once = WideToAnsi(text);
    FUZZ_CHECK(once.size() <= 2 * text.size(), "%lld units gave %lld bytes", static_cast<long long>(text.size()),
               static_cast<long long>(once.size()));
    const AnsiString twice = WideToAnsi(AnsiToWide(once));
    FUZZ_CHECK(twice == once, "second trip changed %s into %s", once.toHex().constData(), twice.toHex().constData());
    return 0;
}
