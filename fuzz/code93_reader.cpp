// The CODE93 encoder on any caption: no crash; a caption is encoded exactly
// when its shift tokens read, and the symbol has nine modules per value,
// start, both checks and stop, and the termination bar.
#include "FuzzBarcode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TBarEncoding e;
    e.SymbolCdDisp = size > 0 && (data[0] & 1);
    e.Caption = AnsiString(reinterpret_cast<const char*>(data), qsizetype(size));
    std::vector<Integer> values;
    const bool read = ReadCode93Values(e.Caption, values);
    const AnsiString elements = EncodeCODE93(e);
    FUZZ_CHECK(read == !elements.isEmpty(), "reader and encoder disagree");
    if (!read) {
        FUZZ_CHECK(e.CheckValue == -1, "failure left a check value");
        return 0;
    }
    for (Integer v : values) FUZZ_CHECK(v >= 0 && v < 47, "value %d", v);
    FUZZ_CHECK(int(values.size()) <= int(e.Caption.size()), "more values than characters");
    const int modules = ElementModules(elements);
    FUZZ_CHECK(modules == 9 * int(values.size() + 4) + 1, "%d modules for %d values", modules, int(values.size()));
    FUZZ_CHECK(e.CheckValue % 100 < 47 && e.CheckValue / 100 < 47, "check %d", e.CheckValue);
    return 0;
}
