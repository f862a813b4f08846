// FormatFloat / FormatCurr masks and Format strings: no crash, bounded
// output, only EConvertError out of Format, and fixed masks agree with the
// matching Format specifiers.
#include "FuzzSupport.h"
#include "SysUtils.h"

#include <cmath>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8) return 0;
    double value = 0;
    Int64 raw = 0;
    std::memcpy(&value, data, 8);
    std::memcpy(&raw, data, 8);
    const QString mask = FuzzText(data + 8, size - 8);
    const qsizetype limit = mask.size() * 32 + 400;

    const QString a = FormatFloat(mask, value);
    FUZZ_CHECK(a.size() <= limit, "mask %s on %g gave %lld chars", qPrintable(mask), value,
               static_cast<long long>(a.size()));
    const QString b = FormatCurr(mask, Currency::FromRaw(raw));
    FUZZ_CHECK(b.size() <= limit, "mask %s on raw %lld", qPrintable(mask), static_cast<long long>(raw));
    FormatFloat(mask, static_cast<long double>(value) / 3);

    if (!(std::fabs(value) >= 1e18)) {
        const int places = data[8 % size] % 19;
        const QString zeros(places, u'0');
        const QString viaMask = FormatFloat(places ? QStringLiteral("0.") + zeros : QStringLiteral("0"), value);
        const QString viaFormat = Format(QStringLiteral("%.*f"), {places, value});
        FUZZ_CHECK(viaMask == viaFormat, "%.17g: %s vs %s", value, qPrintable(viaMask), qPrintable(viaFormat));
        const QString grouped = FormatFloat(QStringLiteral("#,##0.00"), value);
        FUZZ_CHECK(grouped == Format(QStringLiteral("%.2n"), {value}), "%.17g: %s", value, qPrintable(grouped));
    }

    try {
        const QString c = Format(mask, {value, raw, QStringLiteral("s"), Currency::FromRaw(raw)});
        (void)c;
    } catch (const EConvertError&) {
    }
    return 0;
}
