#include "ZvTypeDef.h"

#include "ComCtrls.h"
#include "Controls.h"
#include "Forms.h"

#include <QtCore/QHash>

#include <algorithm>
#include <limits>

namespace {

// Look-alikes are escaped: U+3000 ideographic space, U+201D and U+2019 the
// typographic quotes standing for '"' and '\''.
constexpr char16_t kFullWidth[] =
    u"\u3000！\u201D＃＄％＆\u2019（）＊、＋－．／"
    u"０１２３４５６７８９：；＜＝＞？＠ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ［"
    u"￥"
    u"］＾＿｀ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ｛｜｝～"
    u"。「」、\u3000"
    u"ヲァィゥェォャュョッー"
    u"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン"
    u"゛゜"
    u"ガギグゲゴザジズゼゾダヂヅデドバビブベボ"
    u"パピプペポ";

// U+0020..U+007E with "," moved before "+" to pair with "、", the half-width
// block U+FF61..U+FF9F, then base letter and sound mark for each voiced and
// semi-voiced letter.
constexpr char16_t kHalfWidth[] =
    u" !\"#$%&'()*,+-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~"
    u"｡｢｣､･ｦｧｨｩｪｫｬｭｮｯｰｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝﾞﾟ"
    u"ｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞ"
    u"ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ";

constexpr qsizetype kSingleCount = 158;  // entries of one half-width character
static_assert(std::size(kFullWidth) - 1 == 183);
static_assert(std::size(kHalfWidth) - 1 == 208);
static_assert(kSingleCount + 2 * (183 - kSingleCount) == 208);

// Full-width unit -> half-width text; the first occurrence wins.
const QHash<char16_t, QString>& halfWidthMap() {
    static const QHash<char16_t, QString> map = [] {
        QHash<char16_t, QString> m;
        const QString& full = FullWidthTable();
        const QString& half = HalfWidthTable();
        for (qsizetype k = 0; k < full.size(); ++k) {
            const QString partner = k < kSingleCount ? half.mid(k, 1) : half.mid(kSingleCount + 2 * (k - kSingleCount), 2);
            if (!m.contains(full[k].unicode())) m.insert(full[k].unicode(), partner);
        }
        return m;
    }();
    return map;
}

bool isTerminator(const QString& s, qsizetype i) { return i >= s.size() || s[i].unicode() == 0; }

// Units of the character starting at i, as the range walk sees it: a high
// surrogate takes the next unit along, whatever it is, unless the text ends
// there.
qsizetype charLength(const QString& s, qsizetype i) {
    return IsHighSurrogate(s[i]) && !isTerminator(s, i + 1) ? 2 : 1;
}

Integer clampToInteger(Int64 v) {
    return Integer(std::clamp<Int64>(v, std::numeric_limits<Integer>::min(), std::numeric_limits<Integer>::max()));
}

bool isNarrow(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 0x0020 && u <= 0x007E) || (u >= 0xFF40 && u <= 0xFF9F);
}

// Width of the character of len units at i: a pair is never narrow.
Integer charWidth(const QString& s, qsizetype i, qsizetype len) {
    return len == 1 && isNarrow(s[i]) ? 1 : 2;
}

}  // namespace

bool IsHighSurrogate(QChar C) { return C.unicode() >= 0xD800 && C.unicode() <= 0xDBFF; }

bool IsLowSurrogate(QChar C) { return C.unicode() >= 0xDC00 && C.unicode() <= 0xDFFF; }

Integer CodePointCountBuf(const QChar* P) {
    if (!P) return 0;
    Integer n = 0;
    for (; P->unicode() != 0; ++P)
        if (!IsLowSurrogate(*P)) ++n;
    return n;
}

Integer CodePointCount(const QString& S) {
    if (S.isEmpty()) return 0;
    return CodePointCountBuf(reinterpret_cast<const QChar*>(S.utf16()));
}

void CodePointRange(const QString& S, Integer Start, Integer Count, TCodePointRange& R) {
    const Int64 lastChar = Int64(Start) + Count - 1;
    R = {Start, clampToInteger(lastChar), Count};
    if (S.isEmpty()) return;
    R = {};
    Int64 n = 0;
    qsizetype i = 0;
    while (!isTerminator(S, i) && R.Last == 0) {
        if (n - Start >= Count) break;
        ++n;
        const qsizetype len = charLength(S, i);
        if (n == Start) R.First = Integer(i + 1);
        if (n == lastChar) R.Last = Integer(i + len);
        i += len;
    }
    if (R.Last == 0 && n - Start < Count) R.Last = Integer(S.size());
    R.Len = R.Last - R.First + 1;
}

QString CopyCodePoints(const QString& S, Integer Start, Integer Count) {
    TCodePointRange r;
    CodePointRange(S, Start, Count, r);
    if (r.First < 1 || r.Len <= 0) return QString();
    return S.mid(r.First - 1, r.Len);
}

Integer StrDisplayWidth(const QString& S) {
    // The sum, over characters 1 .. CodePointCount(S), of the width of
    // CopyCodePoints(S, k, 1), walked once. Where a lone high surrogate
    // swallows the unit after it, the count runs past the walk; such a
    // character copies as "", which is not narrow.
    const Integer count = CodePointCount(S);
    Integer width = 0;
    qsizetype i = 0;
    for (Integer k = 0; k < count; ++k) {
        if (isTerminator(S, i)) {
            width += 2;
            continue;
        }
        const qsizetype len = charLength(S, i);
        width += charWidth(S, i, len);
        i += len;
    }
    return width;
}

QString CutToDisplayWidth(const QString& S, Integer Width) {
    qsizetype end = 0;
    Integer width = 0;
    while (!isTerminator(S, end)) {
        const qsizetype len = charLength(S, end);
        width += charWidth(S, end, len);
        if (width > Width) break;
        end += len;
    }
    return S.left(end);
}

QString ToHalfWidth(const QString& S) {
    const auto& map = halfWidthMap();
    QString out;
    out.reserve(S.size());
    for (QChar c : S) {
        const auto it = map.constFind(c.unicode());
        if (it == map.cend())
            out += c;
        else
            out += *it;
    }
    return out;
}

const QString& FullWidthTable() {
    static const QString table = QString::fromUtf16(kFullWidth, std::size(kFullWidth) - 1);
    return table;
}

const QString& HalfWidthTable() {
    static const QString table = QString::fromUtf16(kHalfWidth, std::size(kHalfWidth) - 1);
    return table;
}

bool IsVisibleEnabledChain(const TControl* Control, bool CountHiddenTabSheet) {
    for (const TControl* c = Control;; c = c->Parent()) {
        if (!c || !c->Owner()) return false;
        const bool shown = c->Visible() || (CountHiddenTabSheet && dynamic_cast<const TTabSheet*>(c));
        if (!shown || !c->Enabled()) return false;
        if (!c->Parent() || dynamic_cast<const TCustomForm*>(c->Parent())) return true;
    }
}

bool IsInsideContainer(const TControl* Control, const TWinControl* Container) {
    for (const TControl* c = Control; c && c->Owner() && c->Parent(); c = c->Parent()) {
        if (c->Parent() == Container) return true;
    }
    return false;
}
