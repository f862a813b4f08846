// Number parsers: no crash; what they accept formats and parses back to the
// same text; the integer forms agree with each other.
#include "FuzzSupport.h"
#include "SysUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = FuzzText(data, size);

    Extended v = 0;
    if (TryStrToFloat(text, v)) {
        const QString shown = FloatToStr(v);
        Extended back = 0;
        if (TryStrToFloat(shown, back)) {
            FUZZ_CHECK(FloatToStr(back) == shown, "%s -> %s -> %s", qPrintable(text), qPrintable(shown),
                       qPrintable(FloatToStr(back)));
        }
        FUZZ_CHECK(StrToFloatDef(text, 1) == v || v != v, "%s", qPrintable(text));
    } else {
        FUZZ_CHECK(StrToFloatDef(text, 42) == 42, "%s", qPrintable(text));
    }

    Currency c;
    if (TryStrToCurr(text, c)) {
        const QString shown = CurrToStr(c);
        Currency back;
        FUZZ_CHECK(TryStrToCurr(shown, back) && back == c, "%s -> %s", qPrintable(text), qPrintable(shown));
    }

    Int64 i64 = 0;
    Integer i32 = 0;
    const bool ok64 = TryStrToInt64(text, i64);
    if (TryStrToInt(text, i32)) {
        FUZZ_CHECK(ok64, "%s read as 32 but not 64 bits", qPrintable(text));
        FUZZ_CHECK(StrToIntDef(text, 0) == i32, "%s", qPrintable(text));
    }
    if (ok64) FUZZ_CHECK(StrToInt64Def(text, 0) == i64, "%s", qPrintable(text));
    try {
        Round(v);
        Trunc(v);
    } catch (const EInvalidOp&) {
    }
    return 0;
}
