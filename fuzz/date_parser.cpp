// The date parser and FormatDateTime: no crash, and a parsed value formats
// and parses back to itself.
#include "FuzzSupport.h"
#include "SysUtils.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool clockFixed = [] {
        SetClockForTesting([] { return EncodeDate(2025, 6, 15) + 0.5; });
        return true;
    }();
    (void)clockFixed;
    const QString text = FuzzText(data, size);

    TDateTime d = 0;
    if (TryStrToDateTime(text, d)) {
        Word y, m, day;
        DecodeDate(d, y, m, day);
        FUZZ_CHECK(IsValidDate(y, m, day), "%s gave %f", qPrintable(text), d);
        const QString again = FormatDateTime(QStringLiteral("yyyy/mm/dd hh:nn:ss.zzz"), d);
        TDateTime back = 0;
        FUZZ_CHECK(TryStrToDateTime(again, back), "%s -> %s", qPrintable(text), qPrintable(again));
        FUZZ_CHECK(std::llround(back * 86400000.0) == std::llround(d * 86400000.0), "%s -> %s",
                   qPrintable(text), qPrintable(again));
    }
    TDateTime t = 0;
    TryStrToDate(text, t);
    TryStrToTime(text, t);

    // The text as a format, on a date with every field set and on odd values.
    const QString formatted = FormatDateTime(text, EncodeDate(2024, 5, 3) + EncodeTime(15, 4, 5, 6));
    FUZZ_CHECK(formatted.size() <= text.size() * 64 + 64, "format %s grew to %lld", qPrintable(text),
               static_cast<long long>(formatted.size()));
    FormatDateTime(text, -1.25);
    FormatDateTime(text, NAN);
    return 0;
}
