// The report label's line breaker: any text, any width from 0 up, with and
// without auto-size and word wrap, breaks into lines and returns. Input: a
// width byte, a switch byte, then the text as UTF-8.
// Invariants: without auto-size no line is wider than the control unless it
// is empty or, wrapping, holds one character; no line splits a surrogate
// pair or holds a return or line feed; wrapped or auto-sized, the lines
// hold every character of the text, else no more than the text.
#include "FuzzSupport.h"

#include "QRCtrls.h"

namespace {

// Zero-width units in the mix, as combining marks measure; plus one for
// every text, as the report measures.
Integer Measure(const QString& text) {
    Integer width = 1;
    for (QChar c : text) width += c.unicode() % 4 == 0 ? 0 : c.unicode() % 7;
    return width;
}

bool OneCharacter(const QString& line) {
    return line.size() == 1 || (line.size() == 2 && line[0].isHighSurrogate() && line[1].isLowSurrogate());
}

bool SplitsAPair(const QString& line) {
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i].isHighSurrogate() && (i + 1 == line.size() || !line[i + 1].isLowSurrogate())) return true;
        if (line[i].isLowSurrogate() && (i == 0 || !line[i - 1].isHighSurrogate())) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const Integer width = data[0] < 8 ? data[0] % 3 : data[0];
    const bool autoSize = data[1] & 1, wordWrap = data[1] & 2;
    const QString text = FuzzText(data + 2, size - 2);
    const QStringList lines = QRBreakLines(text, width, autoSize, wordWrap, Measure);
    QString joined;
    for (const QString& line : lines) {
        const bool mayOverflow = autoSize || line.isEmpty() || (wordWrap && OneCharacter(line));
        FUZZ_CHECK(mayOverflow || Measure(line) <= width, "width %d line of %d units", width, int(line.size()));
        FUZZ_CHECK(!SplitsAPair(line), "split pair in a line of %d units", int(line.size()));
        FUZZ_CHECK(!line.contains(u'\r') && !line.contains(u'\n'), "return or line feed kept");
        joined += line;
    }
    QString plain = text;
    plain.remove(u'\r').remove(u'\n');
    if (autoSize || wordWrap)
        FUZZ_CHECK(joined == plain, "%d characters kept out of %d", int(joined.size()), int(plain.size()));
    else
        FUZZ_CHECK(joined.size() <= plain.size(), "%d characters out of %d", int(joined.size()), int(plain.size()));
    return 0;
}
