// The input method: the reading of a finished composition (the kana the
// user typed before conversion) as the platform's input-method manager
// reports it, in half-width katakana. Qt tells no reading, so it is rebuilt
// from what the input method showed while composing: the last preedit text
// that held only kana. The rebuilding sits behind TImeReadingSource, which
// tests replace.
#pragma once

#include "Types.h"
#include "Windows.h"

#include <QtCore/QString>

#include <functional>
#include <memory>

class QWidget;
class TWinControl;

// Parts of a composition named by WM_IME_COMPOSITION's LParam.
constexpr LPARAM GCS_COMPREADSTR = 0x0001;
constexpr LPARAM GCS_COMPSTR = 0x0008;
constexpr LPARAM GCS_CURSORPOS = 0x0080;
constexpr LPARAM GCS_RESULTREADSTR = 0x0200;
constexpr LPARAM GCS_RESULTSTR = 0x0800;

// Turns the texts an input method shows into the reading of its result.
class TImeReadingSource {
public:
    virtual ~TImeReadingSource() = default;
    // The composition as the input method shows it now.
    virtual void Preedit(const QString& text) = 0;
    // The composition ended with result; answers its reading and starts over.
    virtual QString Commit(const QString& result) = 0;
    // The composition was abandoned.
    virtual void Reset() = 0;
};

// The default: the last all-kana preedit (the result itself when it is
// kana), in half-width katakana; a Latin "n" after kana at the end of a
// preedit counts as ん.
class TKanaReadingSource : public TImeReadingSource {
public:
    void Preedit(const QString& text) override;
    QString Commit(const QString& result) override;
    void Reset() override;

private:
    QString lastKana_;
};

// Replaces the reading source (nil: the default again).
void SetImeReadingSource(std::unique_ptr<TImeReadingSource> source);
TImeReadingSource& ImeReadingSource();

// Hiragana and full-width katakana as half-width katakana, voiced and
// semi-voiced marks as separate characters ("だ" → "ﾀﾞ"); characters
// without a half-width form stay as they are.
QString ToHalfWidthKatakana(const QString& text);
// Whether text is not empty and holds only kana and the prolonged sound mark.
bool IsKanaText(const QString& text);

// The platform's input-context access: the context is shared by the
// program's windows, so any control reads the last result.
using HIMC = const TWinControl*;
HIMC ImmGetContext(const TWinControl* control);
bool ImmReleaseContext(const TWinControl* control, HIMC context);
// GCS_RESULTSTR: the last result; GCS_RESULTREADSTR: its reading; else "".
QString ImmGetCompositionString(HIMC context, LPARAM index);

// Called by the key pipeline as the input method works.
void ImeNotePreedit(const QString& preedit);
void ImeNoteCommit(const QString& result);
void ImeNoteReset();
// The widget whose composition is in progress (nil: none).
void ImeNoteComposing(QWidget* widget);

// Before the focus moves to next by program: a composition in progress in
// the focused widget is finished there, so that its result goes into the
// box it was typed in and nothing of it follows the focus.
void ImeCompleteComposition(const QWidget* next);
// What asks the input method to finish (by default Qt's input method);
// tests replace it (nil: the default again).
void SetImeCompleteHook(std::function<void()> hook);
// Some input methods (ibus) send a finished result once more after they
// were asked to finish, when the focus has moved: whether an input-method
// event with result and preedit is that echo. Any other result or preedit,
// and any key, ends the wait for it.
bool ImeTakeEcho(const QString& result, const QString& preedit);
void ImeNoteKey();
