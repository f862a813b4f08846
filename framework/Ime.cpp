#include "Ime.h"

#include <QtCore/QHash>
#include <QtCore/QPointer>
#include <QtGui/QGuiApplication>
#include <QtGui/QInputMethod>
#include <QtWidgets/QWidget>

namespace {

struct ImeState {
    std::unique_ptr<TImeReadingSource> source;
    QString lastResult;
    QString lastReading;
    UInt64 commits = 0;
    QPointer<QWidget> composing;
    // The result a completion brought, until its echo or the next key.
    QString completed;
    std::function<void()> complete;
};

ImeState& State() {
    static ImeState state;
    return state;
}

// Full-width katakana (and punctuation) → half-width form, from the
// compatibility mappings of the half-width block U+FF61..U+FF9F.
const QHash<char16_t, char16_t>& HalfWidthMap() {
    static const QHash<char16_t, char16_t> map = [] {
        QHash<char16_t, char16_t> m;
        for (char16_t u = 0xFF61; u <= 0xFF9F; ++u) {
            const QString full = QString(QChar(u)).normalized(QString::NormalizationForm_KC);
            if (full.size() == 1) m.insert(full[0].unicode(), u);
        }
        // The combining voiced marks have spacing twins.
        m.insert(0x3099, 0xFF9E);
        m.insert(0x309A, 0xFF9F);
        m.insert(0x309B, 0xFF9E);
        m.insert(0x309C, 0xFF9F);
        return m;
    }();
    return map;
}

bool IsKana(char16_t u) {
    return (u >= 0x3041 && u <= 0x309F) || (u >= 0x30A0 && u <= 0x30FF) || (u >= 0xFF65 && u <= 0xFF9F);
}

bool IsPendingN(QChar c) {
    const char16_t u = c.unicode();
    return u == u'n' || u == u'N' || u == u'ｎ' || u == u'Ｎ';
}

// The kana a preedit stands for, or "" when it is not kana. A romaji input
// method shows a final "n" as typed until the next key decides it; at
// conversion it is ん.
QString KanaOfPreedit(const QString& text) {
    if (text.size() >= 2 && IsPendingN(text.back()) && IsKanaText(text.chopped(1))) return text.chopped(1) + u'ん';
    return IsKanaText(text) ? text : QString();
}

}  // namespace

QString ToHalfWidthKatakana(const QString& text) {
    const auto& map = HalfWidthMap();
    QString out;
    out.reserve(text.size() * 2);
    for (QChar c : text) {
        char16_t u = c.unicode();
        if (u >= 0x3041 && u <= 0x3096) u = char16_t(u + 0x60);  // hiragana → katakana
        // Voiced kana split into the base and its mark.
        for (QChar d : QString(QChar(u)).normalized(QString::NormalizationForm_D)) {
            auto it = map.constFind(d.unicode());
            out += it == map.constEnd() ? d : QChar(it.value());
        }
    }
    return out;
}

bool IsKanaText(const QString& text) {
    if (text.isEmpty()) return false;
    for (QChar c : text) {
        if (!IsKana(c.unicode())) return false;
    }
    return true;
}

void TKanaReadingSource::Preedit(const QString& text) {
    const QString kana = KanaOfPreedit(text);
    if (!kana.isEmpty()) lastKana_ = kana;
}

QString TKanaReadingSource::Commit(const QString& result) {
    const QString own = KanaOfPreedit(result);
    const QString reading = own.isEmpty() ? lastKana_ : own;
    lastKana_.clear();
    return ToHalfWidthKatakana(reading);
}

void TKanaReadingSource::Reset() {
    lastKana_.clear();
}

void SetImeReadingSource(std::unique_ptr<TImeReadingSource> source) {
    State().source = std::move(source);
}

TImeReadingSource& ImeReadingSource() {
    auto& source = State().source;
    if (!source) source = std::make_unique<TKanaReadingSource>();
    return *source;
}

HIMC ImmGetContext(const TWinControl* control) {
    return control;
}

bool ImmReleaseContext(const TWinControl*, HIMC) {
    return true;
}

QString ImmGetCompositionString(HIMC, LPARAM index) {
    switch (index) {
    case GCS_RESULTSTR: return State().lastResult;
    case GCS_RESULTREADSTR: return State().lastReading;
    default: return QString();
    }
}

void ImeNotePreedit(const QString& preedit) {
    if (!preedit.isEmpty()) ImeReadingSource().Preedit(preedit);
}

void ImeNoteCommit(const QString& result) {
    ++State().commits;
    State().lastReading = ImeReadingSource().Commit(result);
    State().lastResult = result;
}

void ImeNoteReset() {
    ImeReadingSource().Reset();
    State().composing = nullptr;
}

void ImeNoteComposing(QWidget* widget) {
    State().composing = widget;
}

void ImeCompleteComposition(const QWidget* next) {
    ImeState& s = State();
    const QWidget* w = s.composing;
    if (!w || w == next || !w->hasFocus()) return;
    const UInt64 before = s.commits;
    if (s.complete) s.complete();
    else QGuiApplication::inputMethod()->commit();
    if (s.commits != before) s.completed = s.lastResult;
}

bool ImeTakeEcho(const QString& result, const QString& preedit) {
    QString& completed = State().completed;
    if (result.isEmpty() && preedit.isEmpty()) return false;
    const bool echo = !completed.isEmpty() && preedit.isEmpty() && result == completed;
    completed.clear();
    return echo;
}

void ImeNoteKey() {
    State().completed.clear();
}

void SetImeCompleteHook(std::function<void()> hook) {
    State().complete = std::move(hook);
}
