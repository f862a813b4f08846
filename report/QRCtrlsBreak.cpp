// Breaking a label's text into lines by measured width.
#include "QRCtrls.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace {

using Measure = std::function<Integer(const QString&)>;

// End of the code point starting at i: a surrogate pair is one character.
qsizetype CodePointEnd(QStringView s, qsizetype i)
{
    if (i + 1 < s.size() && s[i].isHighSurrogate() && s[i + 1].isLowSurrogate())
        return i + 2;
    return i + 1;
}

char32_t CodePointAt(QStringView s, qsizetype i)
{
    if (CodePointEnd(s, i) == i + 2)
        return QChar::surrogateToUcs4(s[i], s[i + 1]);
    return s[i].unicode();
}

QString Joined(const QString& line, QStringView word)
{
    QString joined = line;
    joined += word;
    return joined;
}

bool IsWordEnd(QChar c) { return c == u'\r' || c == u' ' || c == u'-'; }

// Ideographs, kana and full-width forms: Japanese text has no blanks, so a
// line may end between any two of these.
bool IsJapanese(char32_t c)
{
    return (c >= 0x2E80 && c <= 0x9FFF)      // radicals, punctuation, kana, ideographs
           || (c >= 0xF900 && c <= 0xFAFF)   // compatibility ideographs
           || (c >= 0xFE30 && c <= 0xFE4F)   // compatibility forms
           || (c >= 0xFF01 && c <= 0xFF9F)   // full-width forms, half-width katakana
           || (c >= 0xFFE0 && c <= 0xFFE6)   // full-width signs
           || (c >= 0x20000 && c <= 0x3FFFF);  // supplementary ideographs
}

bool Listed(std::u32string_view list, char32_t c) { return list.find(c) != std::u32string_view::npos; }

// Closing brackets, punctuation, the long-vowel and iteration marks and
// small kana never begin a line.
bool MayNotStartLine(char32_t c)
{
    static constexpr std::u32string_view list =
        U"、。，．・：；？！゛゜ヽヾゝゞ々〻ー゠〜～"
        U"ぁぃぅぇぉっゃゅょゎゕゖァィゥェォッャュョヮヵヶ"
        U"〉》」』】〕〗〙〛〞〟）］｝｠"
        U"｡｣､･ｧｨｩｪｫｬｭｮｯｰﾞﾟ\u3099\u309A";
    return Listed(list, c) || (c >= 0x31F0 && c <= 0x31FF);
}

// Opening brackets never end a line.
bool MayNotEndLine(char32_t c)
{
    static constexpr std::u32string_view list = U"〈《「『【〔〖〘〚〝（［｛｟｢";
    return Listed(list, c);
}

bool MayBreakBetween(char32_t before, char32_t after)
{
    return IsJapanese(before) && IsJapanese(after) && !MayNotEndLine(before) && !MayNotStartLine(after);
}

// End of the word starting at start: just past a blank, "-" or return,
// or, with Japanese breaks, where a line may end inside Japanese text.
qsizetype WordEnd(QStringView text, qsizetype start, bool japanese)
{
    qsizetype i = start;
    while (i < text.size()) {
        const qsizetype next = CodePointEnd(text, i);
        if (IsWordEnd(text[i]))
            return next;
        if (japanese && next < text.size() && MayBreakBetween(CodePointAt(text, i), CodePointAt(text, next)))
            return next;
        i = next;
    }
    return i;
}

// The length of the longest start of word that, added to line, keeps fits
// true. Grows from the front, so the work is bounded by what fits, not by
// the word.
qsizetype FittingLength(const QString& line, QStringView word, const std::function<bool(const QString&)>& fits)
{
    qsizetype taken = 0;
    while (taken < word.size()) {
        const qsizetype next = CodePointEnd(word, taken);
        if (!fits(Joined(line, word.left(next))))
            break;
        taken = next;
    }
    return taken;
}

// Every character lands on a line: a word wider than the control goes on
// from the last character that fits, one character a line at least.
void WrapParagraph(QStringView paragraph, Integer width, const Measure& measure, QStringList& lines)
{
    const auto fits = [&](const QString& t) { return measure(t) <= width; };
    QString line;
    for (qsizetype start = 0; start < paragraph.size();) {
        const qsizetype end = WordEnd(paragraph, start, true);
        QStringView word = paragraph.sliced(start, end - start);
        start = end;
        if (fits(Joined(line, word))) {
            line += word;
            continue;
        }
        if (!line.isEmpty())
            lines << std::exchange(line, QString());
        for (;;) {
            qsizetype taken = FittingLength(QString(), word, fits);
            if (taken == word.size()) {
                line = word.toString();
                break;
            }
            taken = std::max(taken, CodePointEnd(word, 0));
            lines << word.left(taken).toString();
            word = word.sliced(taken);
            if (word.isEmpty())
                break;
        }
    }
    // An empty paragraph is a blank line.
    if (!line.isEmpty() || paragraph.isEmpty())
        lines << line;
}

// Without word wrap a line is cut where a word overflows: the rest of an
// over-long word and the overflowing words are lost.
void CutParagraph(QStringView paragraph, Integer width, const Measure& measure, QStringList& lines)
{
    const auto narrower = [&](const QString& t) { return measure(t) < width; };
    const auto fitting = [&](const QString& t) { return measure(t) <= width; };
    const qsizetype before = lines.size();
    // Nothing of a word fits a control too narrow for any character: such
    // pieces make no lines of their own.
    const auto addLine = [&](const QString& line) {
        if (!line.isEmpty())
            lines << line;
    };
    QString line;
    bool cut = false;
    for (qsizetype start = 0; start < paragraph.size();) {
        const qsizetype end = WordEnd(paragraph, start, false);
        QString word = paragraph.sliced(start, end - start).toString();
        start = end;
        if (measure(line + word) > width) {
            if (line.isEmpty()) {
                line = word.left(FittingLength(QString(), word, narrower));
                word.clear();
            }
            addLine(line);
            line.clear();
            if (!word.isEmpty() && measure(word) > width)
                addLine(word.left(FittingLength(QString(), word, fitting)));
            word.clear();
            cut = true;
        }
        line += word;
    }
    // A cut word leaves no unfinished line behind.
    if (!cut && (!line.isEmpty() || lines.size() == before))
        lines << line;
}

}  // namespace

QStringList QRBreakLines(const QString& text, Integer width, bool autoSize, bool wordWrap,
                         const std::function<Integer(const QString&)>& measure)
{
    QString plain = text;
    plain.remove(u'\n');
    QStringList paragraphs = plain.split(u'\r');
    // A closing return ends the last paragraph; it does not begin one.
    if (plain.isEmpty() || plain.endsWith(u'\r'))
        paragraphs.removeLast();
    QStringList lines;
    for (const QString& paragraph : paragraphs) {
        if (autoSize)
            lines << paragraph;
        else if (wordWrap)
            WrapParagraph(paragraph, width, measure, lines);
        else
            CutParagraph(paragraph, width, measure, lines);
    }
    return lines;
}
