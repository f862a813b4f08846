// The edit box at work: entry and exit steps, the key-down moves, the
// key-press filter, Tab on key-up, the cut to MaxLength in display width,
// AutoSelect, and the reading of a finished input-method composition.
#include "SEdit.h"

#include "Ime.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QEvent>
#include <QtCore/QObject>

namespace {

// ---- the input method's result flag

// Counts key presses and focus arrivals, so that the flag knows when the
// next key has come and gone or the focus has moved.
struct ImeResultState {
    const TWinControl* receiver = nullptr;
    UInt64 keysAtSet = 0;
    UInt64 focusAtSet = 0;
    UInt64 keys = 0;
    UInt64 focus = 0;
};

ImeResultState& ImeResult() {
    static ImeResultState state;
    return state;
}

class ImeResultWatcher : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // A key reaches the window first and then its widget: widgets count.
        if (!watched->isWidgetType()) return false;
        switch (event->type()) {
        case QEvent::KeyPress: ++ImeResult().keys; break;
        case QEvent::FocusIn: ++ImeResult().focus; break;
        default: break;
        }
        return false;
    }
};

void WatchKeysAndFocus() {
    static bool installed = false;
    QCoreApplication* app = QCoreApplication::instance();
    if (installed || !app) return;
    installed = true;
    auto* watcher = new ImeResultWatcher;
    watcher->setParent(app);
    app->installEventFilter(watcher);
}

bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }

constexpr char16_t kBackspace = 8;
constexpr char16_t kEscape = 27;

}  // namespace

void SetImeResultFlag(TWinControl* Receiver) {
    WatchKeysAndFocus();
    ImeResultState& s = ImeResult();
    s.receiver = Receiver;
    s.keysAtSet = s.keys;
    s.focusAtSet = s.focus;
}

bool ImeResultFlag(const TWinControl* Control) {
    const ImeResultState& s = ImeResult();
    return Control && s.receiver == Control && s.focus == s.focusAtSet && s.keys <= s.keysAtSet + 1;
}

void ClearImeResultFlag() {
    ImeResult().receiver = nullptr;
}

// ------------------------------------------------------------ entry and exit

void TCEdit::DoEnter() {
    SetModified(false);
    SuppressExit = false;
    const auto guard = Guard();
    if (PassFocusOn()) {
        if (!guard.expired()) FocusColourStep(true, true);
        return;
    }
    if (guard.expired()) return;
    editingState(true);
    FocusColourStep(true, true);
    TCustomEdit::DoEnter();
}

// What the entry step leaves in the box: the editing form of a number (text
// that is no number stays), the caret, the input method's box.
void TCEdit::editingState(bool recordAccepted) {
    if (IsNumeric()) {
        Int64 value = 0;
        const bool readable = TryParseNumber(Text(), value);
        if (recordAccepted && (!zeroDisp_ || Trim(Text()).isEmpty())) SetAcceptedText(Text());
        if (readable) {
            const QString u = UnformatNumber(Text());
            SetText(rightAligned() && u == QStringLiteral("0") ? QString() : u);
        }
    } else if (recordAccepted) {
        SetAcceptedText(Text());
    }
    if (rightAligned() && !Text().isEmpty()) caretToEnd();
    ImeCurrentEdit = this;
}

void TCEdit::DoExit() {
    if (SuppressExit) return;
    ImeCurrentEdit = nullptr;
    const auto guard = Guard();
    errorType_ = Validate(this, false);
    const bool blankPasses = Text().isEmpty() && !(need_ && numericType_ != ntDontCare);
    bool keep = errorType_ != erNone && !blankPasses;
    if (keep) {
        if (OnEditError) OnEditError(this);
    } else {
        bool accept = true;
        if (!IsSameAsEntry()) {
            if (OnModified) OnModified(this);
            if (guard.expired()) return;
            if (OnModifyEx) OnModifyEx(this, accept);
        }
        if (guard.expired()) return;
        keep = !accept;
        if (accept) {
            SetEntryKey(0);
            SetAcceptedText(Text());
            TCustomEdit::DoExit();
        }
    }
    if (guard.expired()) return;
    if (keep) {
        // The box takes the focus back and is as on entry (so the first key
        // may clear it again), keeping the value accepted before.
        NoteExitRefused();
        SetModified(false);
        editingState(false);
        if (CanFocus()) SetFocus();
    }
    if (!guard.expired()) FocusColourStep(false, true);
}

// ------------------------------------------------------------ key-down

void TCEdit::KeyDown(Word& Key, TShiftState Shift) {
    const Word incoming = Key;
    const auto guard = Guard();
    switch (Key) {
    case VK_RETURN: {
        if (SelLength() != 0) {
            SetSelStart(SelStart());
            break;
        }
        Word v = 0;
        TWinControl* n = NeighbourOf(MoveReturn(), v);
        if (!ExitKeys().Contains(ekReturn) || MoveReturn() == mkNone) Validate(this, false);
        else MoveStep(n, v, true, Key);
        break;
    }
    case VK_LEFT:
    case VK_RIGHT:
        // Left always leaves a right-aligned box.
        ArrowStep(Key, Shift, SelStart(), SelLength(), Key == VK_LEFT && rightAligned());
        break;
    case VK_UP:
        if (ExitKeys().Contains(ekUp)) MoveStep(mvUp(), VK_UP, false, Key);
        break;
    case VK_DOWN:
        if (ExitKeys().Contains(ekDown)) MoveStep(mvDown(), VK_DOWN, false, Key);
        break;
    case VK_ESCAPE: escapeKey(); break;
    case VK_HOME:
        if (rightAligned()) Key = 0;
        break;
    case VK_DELETE:
        if (ReadOnly()) {
            Key = 0;
        } else if (rightAligned()) {
            SetText(QString());
            SetModified(true);
            Key = 0;
        }
        break;
    default: break;
    }
    if (guard.expired()) return;
    if (keyPreview_) Key = incoming;
    if (Key != 0) TCustomEdit::KeyDown(Key, Shift);
}

QString TCEdit::editingForm(const QString& text) const {
    const Int64 value = ParseNumber(text);
    if (rightAligned() && value == 0) return QString();
    return FloatToStr(Extended(value) / Currency::Scale);
}

// Esc: back to the accepted value.
void TCEdit::escapeKey() {
    SetText(plainNumber() ? editingForm(AcceptedText()) : AcceptedText());
    SetModified(false);
    if (rightAligned()) caretToEnd();
}

// ------------------------------------------------------------ key-press

void TCEdit::KeyPress(WideChar& Key) {
    TCustomEdit::KeyPress(Key);
    if (Key.isNull()) return;
    if (ReturnNext() && Key == u'\r') {
        Key = QChar();
        return;
    }
    if (numericType_ != ntDontCare) filterNumericKey(Key);
    else filterFreeKey(Key);
    // A read-only box types nothing, so nothing fills it or modifies it.
    if (Key.isNull() || ReadOnly()) return;
    // Esc leaves the box unmodified (its key-down went back to the value).
    if (Key != kEscape) SetModified(true);
    // Control characters (Backspace, Esc, Ctrl+V...) never fill the box.
    if (Key.unicode() >= 0x20 && Key != u'~') moveWhenFull(Key);
}

void TCEdit::firstPressClear() {
    if (!Modified() && rightAligned() && firstPressClear_ && !ReadOnly()) {
        SetText(QString());
        SetModified(true);
    }
}

void TCEdit::filterNumericKey(WideChar& Key) {
    const bool date = IsDateKind(numericType_);
    const bool time = IsTimeKind(numericType_);
    const QChar separator = date ? QChar(u'/') : time ? QChar(u':') : QChar();
    const QChar c = Key;
    if (IsDigit(c)) {
        firstPressClear();
        return;
    }
    if (c == u':' || c == u'/' || c == u'*' || c == u'+') {
        Key = separator;
        return;
    }
    if (c == u'.' || c == u'-') {
        if (date || time) {
            Key = separator;
            return;
        }
        if ((c == u'.' && !charTypes_.Contains(ctPeriod)) || (c == u'-' && !charTypes_.Contains(ctMinus))) {
            Key = QChar();
            return;
        }
        firstPressClear();
        if (Text().contains(c)) {
            Key = QChar();
            return;
        }
        if (c == u'-') {
            SetSelStart(SelStart());
            if (SelStart() != 0) Key = QChar();
        }
        return;
    }
    if (c == kBackspace) return;
    Key = QChar();
    return;
}

void TCEdit::filterFreeKey(WideChar& Key) {
    const QChar c = Key;
    if (c != kEscape && c != kBackspace) firstPressClear();
    const bool refused = (c == u'.' && !charTypes_.Contains(ctPeriod)) ||
                         (c == u',' && !charTypes_.Contains(ctConmma)) ||
                         (c == u'-' && !charTypes_.Contains(ctMinus)) ||
                         (c == u'"' && !charTypes_.Contains(ctDQuoted)) ||
                         (c == u'\'' && !charTypes_.Contains(ctQuoted));
    if (refused) Key = QChar();
    if (c == kEscape) SetModified(false);
}

// MoveFullChar: the character goes in at the caret (over the selection);
// when that fills the box, the box moves on as Enter would.
void TCEdit::moveWhenFull(WideChar& Key) {
    if (!moveFullChar_) return;
    const Integer start = SelStart();
    QString text = Text();
    text.replace(start, SelLength(), QString(Key));
    if (CodePointCount(text) < MaxLength()) return;
    SetText(text);
    SetSelStart(start + 1);
    SetModified(true);
    Key = QChar();
    MoveOnFull();
}

// ------------------------------------------------------------ key-up

void TCEdit::KeyUp(Word& Key, TShiftState Shift) {
    const Word incoming = Key;
    const auto guard = Guard();
    TabStep(Key, Shift);
    if (guard.expired()) return;
    if (keyPreview_) Key = incoming;
    if (Key != 0) TCustomEdit::KeyUp(Key, Shift);
}

// ------------------------------------------------------------ change

void TCEdit::Change() {
    // Shared by all boxes: a change made while the step runs (the cut
    // itself) does nothing at all.
    static bool changing = false;
    if (changing) return;
    TFlagScope guard(changing);
    TCustomEdit::Change();
    const QString text = Text();
    if (MaxLength() >= 1 && StrDisplayWidth(text) > MaxLength()) {
        SetText(CutToDisplayWidth(text, MaxLength()));
        caretToEnd();
    }
}

// ------------------------------------------------------------ mouse, focus, messages

void TCEdit::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (rightAligned() && !AutoSelect() && !Text().isEmpty()) caretToEnd();
    TCustomEdit::MouseUp(Button, Shift, X, Y);
}

void TCEdit::WMSetFocus(TMessage& Message) {
    TCustomEdit::WMSetFocus(Message);
    if (AutoSelect() && !mouseActivated_) SelectAll();
    mouseActivated_ = false;
}

void TCEdit::WMKillFocus(TMessage& Message) {
    mouseActivated_ = false;
    TCustomEdit::WMKillFocus(Message);
}

void TCEdit::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_MOUSEACTIVATE:
        mouseActivated_ = true;
        // A click: no key brought the focus, whatever an aborted move left.
        SetEntryKey(0);
        TCustomEdit::WndProc(Message);
        return;
    case WM_IME_COMPOSITION:
        TCustomEdit::WndProc(Message);
        compositionArrived(Message.LParam);
        return;
    case CM_FONTCHANGED:
    case CM_RECREATEWND:
        TCustomEdit::WndProc(Message);
        if (!IsLoading()) Layout();
        return;
    case WM_SIZE:
        TCustomEdit::WndProc(Message);
        if (!IsLoading()) Layout();
        return;
    default:
        TCustomEdit::WndProc(Message);
        return;
    }
}

// The reading goes to the box that entered last, which may not be the box
// that received the composition.
void TCEdit::compositionArrived(LPARAM parts) {
    auto* current = dynamic_cast<TCEdit*>(ImeCurrentEdit);
    if (!current) return;
    SetImeResultFlag(this);
    if (!(parts & GCS_RESULTREADSTR) || !current->OnCompositionStr) return;
    const HIMC context = ImmGetContext(current);
    QString reading = ImmGetCompositionString(context, GCS_RESULTREADSTR);
    ImmReleaseContext(current, context);
    while (reading.endsWith(QChar(0))) reading.chop(1);
    current->OnCompositionStr(current, reading);
}
