// The CODE128 encoder on any caption: no crash, and a symbol it makes has
// eleven modules per token, start and check, and the stop's thirteen. The
// first byte picks the start set and SymbolCdDisp.
#include "FuzzBarcode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    TBarEncoding e;
    e.StartChar = "ABCDabcd"[data[0] % 8];
    e.SymbolCdDisp = data[0] & 8;
    e.Caption = AnsiString(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const std::vector<AnsiString> tokens = ReadCode128Tokens(e.Caption);
    const AnsiString elements = EncodeCODE128(e);
    // Any start but A, B or C is read as set A, and StartChar says so.
    FUZZ_CHECK(e.Caption.isEmpty() || e.StartChar == 'A' || e.StartChar == 'B' || e.StartChar == 'C' || e.StartChar == 'a' ||
                   e.StartChar == 'b' || e.StartChar == 'c',
               "start %c", e.StartChar);
    if (elements.isEmpty()) {
        FUZZ_CHECK(e.CheckValue == -1 && e.Symbol.isEmpty(), "failure left results");
        return 0;
    }
    FUZZ_CHECK(!tokens.empty(), "a symbol without tokens");
    const int modules = ElementModules(elements);
    FUZZ_CHECK(modules == 11 * int(tokens.size() + 2) + 13, "%d modules for %d tokens", modules, int(tokens.size()));
    FUZZ_CHECK(e.CheckValue >= 0 && e.CheckValue < 103, "check %d", e.CheckValue);
    FUZZ_CHECK(e.Symbol.startsWith(e.SymbolCdDisp ? AnsiString(1, e.StartChar) + e.Caption : e.Caption),
               "symbol does not hold the caption");
    return 0;
}
