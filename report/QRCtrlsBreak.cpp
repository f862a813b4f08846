// Breaking a label's text into lines by measured width.
#include "QRCtrls.h"

namespace {

// End of the code point starting at i: a surrogate pair is one character.
qsizetype CodePointEnd(const QString& s, qsizetype i)
{
    if (i + 1 < s.size() && s[i].isHighSurrogate() && s[i + 1].isLowSurrogate())
        return i + 2;
    return i + 1;
}

bool IsWordEnd(QChar c) { return c == u'\r' || c == u' ' || c == u'-'; }

// Words of a paragraph, each running up to and including a break character.
QStringList SplitWords(const QString& paragraph)
{
    QStringList words;
    qsizetype start = 0;
    for (qsizetype i = 0; i < paragraph.size(); ++i)
        if (IsWordEnd(paragraph[i])) {
            words << paragraph.mid(start, i + 1 - start);
            start = i + 1;
        }
    if (start < paragraph.size())
        words << paragraph.mid(start);
    return words;
}

// The longest start of word that, added to line, keeps fits true. Grows
// from the front, so the work is bounded by what fits, not by the word.
QString FittingStart(const QString& line, const QString& word, const std::function<bool(const QString&)>& fits)
{
    qsizetype taken = 0;
    while (taken < word.size()) {
        const qsizetype next = CodePointEnd(word, taken);
        if (!fits(line + word.left(next)))
            break;
        taken = next;
    }
    return word.left(taken);
}

void BreakParagraph(const QString& paragraph, Integer width, bool wordWrap,
                    const std::function<Integer(const QString&)>& measure, QStringList& lines)
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
    for (QString word : SplitWords(paragraph)) {
        if (measure(line + word) > width) {
            if (line.isEmpty()) {
                // The rest of an over-long word is lost.
                line = FittingStart(QString(), word, narrower);
                word.clear();
            }
            addLine(line);
            line.clear();
            if (!word.isEmpty() && measure(word) > width) {
                addLine(FittingStart(QString(), word, fitting));
                word.clear();
            }
            if (!wordWrap) {
                word.clear();
                cut = true;
            }
        }
        line += word;
    }
    // An empty paragraph is a blank line; a cut word leaves none behind.
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
        else
            BreakParagraph(paragraph, width, wordWrap, measure, lines);
    }
    return lines;
}
