// Typed search patterns: the list splitter and the wildcard matcher on any
// text, with no crash and no runaway matching.
#include "Classes.h"
#include "DirectoryView.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = FuzzText(data, size);
    TStringList patterns;
    const Integer count = SplitList(text, u';', &patterns);
    FUZZ_CHECK(count == patterns.Count() && count >= 1, "count %d for %d entries", count, patterns.Count());
    // Separators outside quotes cut the text: at most one entry more than separators.
    FUZZ_CHECK(count <= text.count(u';') + 1, "%d entries from %lld separators", count,
               static_cast<long long>(text.count(u';')));
    // Each pattern against the text itself and against every pattern.
    for (Integer i = 0; i < patterns.Count(); ++i) {
        const QString pattern = patterns.Get(i);
        MatchesWildcard(pattern, text);
        if (!pattern.isEmpty()) FUZZ_CHECK(MatchesWildcard(QStringLiteral("*.*"), pattern), "*.* missed %s", qPrintable(pattern));
        if (!pattern.isEmpty() && !pattern.contains(u'*') && !pattern.contains(u'?'))
            FUZZ_CHECK(MatchesWildcard(pattern, pattern), "%s does not match itself", qPrintable(pattern));
    }
    return 0;
}
