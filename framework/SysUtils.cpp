#include "SysUtils.h"

namespace {
QChar asciiUpper(QChar c) {
    return (c >= u'a' && c <= u'z') ? QChar(c.unicode() - 32) : c;
}
}  // namespace

Integer CompareText(const QString& a, const QString& b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int d = int(asciiUpper(a[i]).unicode()) - int(asciiUpper(b[i]).unicode());
        if (d != 0) return d;
    }
    return Integer(a.size() - b.size());
}

bool SameText(const QString& a, const QString& b) { return CompareText(a, b) == 0; }
