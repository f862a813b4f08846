// The customer barcode on any caption: it never fails, always holds start,
// twenty data symbols, the check and stop (138 positions of the five
// heights), and its symbol sum is a multiple of 19.
#include "FuzzBarcode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TBarEncoding e;
    e.Caption = AnsiString(reinterpret_cast<const char*>(data), qsizetype(size));
    const AnsiString elements = EncodeCUSTOMER(e);
    FUZZ_CHECK(elements.size() == 138, "%d positions", int(elements.size()));
    for (char c : elements) FUZZ_CHECK(c == '0' || c == '2' || c == '3' || c == '6' || c == '7', "position %c", c);
    FUZZ_CHECK(e.CheckValue >= 0 && e.CheckValue < 19, "check %d", e.CheckValue);
    FUZZ_CHECK(e.Symbol.size() == e.Caption.size() + 1 && e.Symbol.startsWith(e.Caption), "symbol");
    return 0;
}
