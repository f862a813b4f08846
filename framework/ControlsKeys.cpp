// Keys as the platform delivers them: virtual-key codes, the shift state,
// the characters of a key, the application-wide key-state tracker and the
// key pipeline of a windowed control (dialog keys, KeyPreview, KeyDown,
// KeyPress per character, native editing, key-up, input-method commits).
#include "Controls.h"

#include "ControlsDragInternal.h"
#include "ControlsWidget.h"
#include "Forms.h"
#include "Ime.h"
#include "Menus.h"

#include <QtCore/QAbstractNativeEventFilter>
#include <QtCore/QCoreApplication>
#include <QtGui/QGuiApplication>
#include <QtGui/QInputMethodEvent>
#include <QtGui/QKeyEvent>

#include <cstdint>

namespace {

bool NativeScanCodesAreX11() {
    static const bool xcb = QGuiApplication::platformName() == QLatin1String("xcb");
    return xcb;
}

// Virtual keys of X11 key codes (evdev numbering + 8), for the keys whose
// code does not depend on the layout or the shift state.
Word VkOfX11Keycode(quint32 code) {
    static const Word mainRow[] = {
        '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', VK_OEM_MINUS, VK_OEM_PLUS,  // 10-21
        VK_BACK, VK_TAB,                                                              // 22-23
        'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P', VK_OEM_4, VK_OEM_6,           // 24-35
        VK_RETURN, VK_CONTROL,                                                        // 36-37
        'A', 'S', 'D', 'F', 'G', 'H', 'J', 'K', 'L', VK_OEM_1, VK_OEM_7, VK_OEM_3,      // 38-49
        VK_SHIFT, VK_OEM_5,                                                           // 50-51
        'Z', 'X', 'C', 'V', 'B', 'N', 'M', VK_OEM_COMMA, VK_OEM_PERIOD, VK_OEM_2,       // 52-61
        VK_SHIFT, VK_MULTIPLY, VK_MENU, VK_SPACE, VK_CAPITAL,                          // 62-66
        VK_F1, VK_F2, VK_F3, VK_F4, VK_F5, VK_F6, VK_F7, VK_F8, VK_F9, VK_F10,          // 67-76
        VK_NUMLOCK, VK_SCROLL,                                                        // 77-78
        VK_NUMPAD7, VK_NUMPAD8, VK_NUMPAD9, VK_SUBTRACT, VK_NUMPAD4, VK_NUMPAD5,         // 79-84
        VK_NUMPAD6, VK_ADD, VK_NUMPAD1, VK_NUMPAD2, VK_NUMPAD3, VK_NUMPAD0, VK_DECIMAL,  // 85-91
    };
    if (code >= 10 && code <= 91) return mainRow[code - 10];
    switch (code) {
    case 94: return VK_OEM_102;
    case 95: return VK_F11;
    case 96: return VK_F12;
    case 97: return VK_OEM_102;
    case 100: return VK_CONVERT;
    case 101: return VK_KANA;
    case 102: return VK_NONCONVERT;
    case 104: return VK_RETURN;
    case 105: return VK_CONTROL;
    case 106: return VK_DIVIDE;
    case 107: return VK_SNAPSHOT;
    case 108: return VK_MENU;
    case 110: return VK_HOME;
    case 111: return VK_UP;
    case 112: return VK_PRIOR;
    case 113: return VK_LEFT;
    case 114: return VK_RIGHT;
    case 115: return VK_END;
    case 116: return VK_DOWN;
    case 117: return VK_NEXT;
    case 118: return VK_INSERT;
    case 119: return VK_DELETE;
    case 127: return VK_PAUSE;
    case 132: return VK_OEM_5;
    case 133: return VK_LWIN;
    case 134: return VK_RWIN;
    case 135: return VK_APPS;
    default: return 0;
    }
}

Word SideKeyOfX11Keycode(quint32 code) {
    switch (code) {
    case 50: return VK_LSHIFT;
    case 62: return VK_RSHIFT;
    case 37: return VK_LCONTROL;
    case 105: return VK_RCONTROL;
    case 64: return VK_LMENU;
    case 108: return VK_RMENU;
    default: return 0;
    }
}

// Keys of the main block that a layout can move: taken by physical key
// when the platform tells it.
bool IsMainBlockCharKey(Word vk) {
    return (vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z') || (vk >= VK_OEM_1 && vk <= VK_OEM_3) ||
           (vk >= VK_OEM_4 && vk <= VK_OEM_7) || vk == VK_OEM_102;
}

Word KeypadVirtualKey(int key) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return Word(VK_NUMPAD0 + (key - Qt::Key_0));
    switch (key) {
    case Qt::Key_Asterisk: return VK_MULTIPLY;
    case Qt::Key_Plus: return VK_ADD;
    case Qt::Key_Minus: return VK_SUBTRACT;
    case Qt::Key_Period: case Qt::Key_Comma: return VK_DECIMAL;
    case Qt::Key_Slash: return VK_DIVIDE;
    case Qt::Key_Enter: case Qt::Key_Return: return VK_RETURN;
    case Qt::Key_Equal: return VK_OEM_FJ_JISHO;
    case Qt::Key_Clear: return VK_CLEAR;
    default: return 0;
    }
}

// Shifted symbols of the US layout back to the key that makes them.
Word SymbolVirtualKey(int key) {
    switch (key) {
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_Asterisk: return '8';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_ParenRight: return '0';
    case Qt::Key_Minus: case Qt::Key_Underscore: return VK_OEM_MINUS;
    case Qt::Key_Equal: case Qt::Key_Plus: return VK_OEM_PLUS;
    case Qt::Key_Semicolon: case Qt::Key_Colon: return VK_OEM_1;
    case Qt::Key_Slash: case Qt::Key_Question: return VK_OEM_2;
    case Qt::Key_QuoteLeft: case Qt::Key_AsciiTilde: return VK_OEM_3;
    case Qt::Key_BracketLeft: case Qt::Key_BraceLeft: return VK_OEM_4;
    case Qt::Key_Backslash: case Qt::Key_Bar: case Qt::Key_yen: return VK_OEM_5;
    case Qt::Key_BracketRight: case Qt::Key_BraceRight: return VK_OEM_6;
    case Qt::Key_Apostrophe: case Qt::Key_QuoteDbl: return VK_OEM_7;
    case Qt::Key_Comma: case Qt::Key_Less: return VK_OEM_COMMA;
    case Qt::Key_Period: case Qt::Key_Greater: return VK_OEM_PERIOD;
    default: return 0;
    }
}

Word NamedVirtualKey(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return Word(key);
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return Word(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return Word(VK_F1 + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_Return: case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Tab: case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_Print: case Qt::Key_SysReq: return VK_SNAPSHOT;
    case Qt::Key_Clear: return VK_CLEAR;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: case Qt::Key_AltGr: return VK_MENU;
    case Qt::Key_Meta: case Qt::Key_Super_L: return VK_LWIN;
    case Qt::Key_Super_R: return VK_RWIN;
    case Qt::Key_CapsLock: return VK_CAPITAL;
    case Qt::Key_NumLock: return VK_NUMLOCK;
    case Qt::Key_ScrollLock: return VK_SCROLL;
    case Qt::Key_Menu: return VK_APPS;
    case Qt::Key_Help: return VK_HELP;
    case Qt::Key_Henkan: return VK_CONVERT;
    case Qt::Key_Muhenkan: return VK_NONCONVERT;
    case Qt::Key_Zenkaku_Hankaku: case Qt::Key_Kanji: return VK_KANJI;
    case Qt::Key_Hiragana_Katakana: case Qt::Key_Katakana: case Qt::Key_Hiragana: return VK_KANA;
    default: return SymbolVirtualKey(key);
    }
}

bool IsCharacterlessKey(int key) {
    switch (key) {
    case Qt::Key_Delete: case Qt::Key_Insert: case Qt::Key_Home: case Qt::Key_End:
    case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down:
    case Qt::Key_PageUp: case Qt::Key_PageDown: case Qt::Key_Clear: case Qt::Key_Pause:
    case Qt::Key_Print: case Qt::Key_SysReq: case Qt::Key_Shift: case Qt::Key_Control:
    case Qt::Key_Alt: case Qt::Key_AltGr: case Qt::Key_Meta: case Qt::Key_CapsLock:
    case Qt::Key_NumLock: case Qt::Key_ScrollLock: case Qt::Key_Menu:
        return true;
    default:
        return key >= Qt::Key_F1 && key <= Qt::Key_F35;
    }
}

// ---- the tracker of held keys

void TrackKey(Word vk, Word side, bool down) {
    if (vk != 0) KeyStateSetDown(vk, down);
    if (side != 0) KeyStateSetDown(side, down);
}

// Key events of windows a modal window blocks never reach Qt's filters;
// the tracker still needs their releases. X key events are tracked here
// only, in the order the server sent them: their Qt events come later, and
// a press delivered after its release was read would hold the key again
// (a quick Shift+F12 whose press opens a modal window would leave F12 and
// Shift held for good).
class NativeKeyFilter : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t" || !message) return false;
        const auto* bytes = static_cast<const uint8_t*>(message);
        const int responseType = bytes[0] & 0x7F;
        if (responseType == 2 || responseType == 3) {  // key press, key release
            const quint32 code = bytes[1];
            tracking_ = true;
            TrackKey(VkOfX11Keycode(code), SideKeyOfX11Keycode(code), responseType == 2);
        }
        return false;
    }
    // True once X key events come through here.
    static bool Tracking() { return tracking_; }

private:
    static inline bool tracking_ = false;
};

// Keys made by Qt or by the program itself (no X key code) are tracked as
// they are delivered.
class KeyStateFilter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const auto type = event->type();
        if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
            const auto* k = static_cast<const QKeyEvent*>(event);
            const bool fromX = NativeKeyFilter::Tracking() && k->nativeScanCode() != 0;
            if (!fromX && !(type == QEvent::KeyRelease && k->isAutoRepeat()))
                TrackKey(VirtualKeyOf(*k), SideKeyOf(*k), type == QEvent::KeyPress);
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

Word VirtualKeyOf(const QKeyEvent& event) {
    const int key = event.key();
    if (event.modifiers() & Qt::KeypadModifier) {
        if (Word vk = KeypadVirtualKey(key)) return vk;
    }
    if (NativeScanCodesAreX11() && event.nativeScanCode() != 0) {
        const Word vk = VkOfX11Keycode(event.nativeScanCode());
        if (IsMainBlockCharKey(vk)) return vk;
    }
    return NamedVirtualKey(key);
}

TShiftState ShiftStateOf(const QKeyEvent& event) {
    Qt::KeyboardModifiers mods = event.modifiers();
    const bool press = event.type() == QEvent::KeyPress;
    auto fix = [&](Qt::KeyboardModifier m) { mods = press ? (mods | m) : (mods & ~m); };
    switch (event.key()) {
    case Qt::Key_Shift: fix(Qt::ShiftModifier); break;
    case Qt::Key_Control: fix(Qt::ControlModifier); break;
    case Qt::Key_Alt: fix(Qt::AltModifier); break;
    default: break;
    }
    TShiftState s;
    if (mods & Qt::ShiftModifier) s << ssShift;
    if (mods & Qt::ControlModifier) s << ssCtrl;
    if (mods & Qt::AltModifier) s << ssAlt;
    if (event.key() == Qt::Key_Backtab) s << ssShift;
    return s;
}

QString KeyCharsOf(const QKeyEvent& event) {
    const int key = event.key();
    const auto mods = event.modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = mods & Qt::AltModifier;
    switch (key) {
    case Qt::Key_Return: case Qt::Key_Enter: return QStringLiteral("\r");
    case Qt::Key_Backspace: return QStringLiteral("\b");
    case Qt::Key_Escape: return QStringLiteral("\x1b");
    case Qt::Key_Tab: case Qt::Key_Backtab: return ctrl ? QString() : QStringLiteral("\t");
    default: break;
    }
    if (IsCharacterlessKey(key)) return QString();
    if (ctrl && !alt) {
        if (key >= Qt::Key_A && key <= Qt::Key_Z) return QString(QChar(char16_t(key - Qt::Key_A + 1)));
        switch (key) {
        case Qt::Key_BracketLeft: return QStringLiteral("\x1b");
        case Qt::Key_Backslash: return QStringLiteral("\x1c");
        case Qt::Key_BracketRight: return QStringLiteral("\x1d");
        case Qt::Key_Space: return QStringLiteral(" ");
        default: return QString();
        }
    }
    QString out;
    for (QChar c : event.text()) {
        if (c.unicode() >= 0x20 && c.unicode() != 0x7F) out += c;
    }
    return out;
}

Word SideKeyOf(const QKeyEvent& event) {
    if (NativeScanCodesAreX11() && event.nativeScanCode() != 0) return SideKeyOfX11Keycode(event.nativeScanCode());
    switch (event.nativeVirtualKey()) {
    case 0xFFE2: return VK_RSHIFT;
    case 0xFFE4: return VK_RCONTROL;
    case 0xFFEA: return VK_RMENU;
    default: break;
    }
    switch (event.key()) {
    case Qt::Key_Shift: return VK_LSHIFT;
    case Qt::Key_Control: return VK_LCONTROL;
    case Qt::Key_Alt: return VK_LMENU;
    default: return 0;
    }
}

void InstallKeyStateTracking() {
    static bool installed = false;
    QCoreApplication* app = QCoreApplication::instance();
    if (installed || !app) return;
    installed = true;
    auto* filter = new KeyStateFilter;
    filter->setParent(app);
    app->installEventFilter(filter);
    // Sees X events only: on other platforms it stays idle.
    static NativeKeyFilter nativeFilter;
    app->installNativeEventFilter(&nativeFilter);
}

// ------------------------------------------------------------ the pipeline

namespace {

// Dialog navigation first, as the platform's dialog manager does: true
// when the form (or a button) used the key.
bool DialogKey(TWinControl& control, Word vk, TShiftState shift) {
    const LPARAM keyData = ShiftStateToKeyData(shift);
    // Shortcuts of the pop-up menus of the control and its parents, then
    // of the form (its action lists).
    for (TControl* c = &control; c; c = c->Parent()) {
        if (c->PopupMenu() && c->PopupMenu()->IsShortCut(vk, shift)) return true;
    }
    if (TCustomForm* form = GetParentForm(&control); form && form->IsShortCut(vk, shift)) return true;
    if (control.Perform(CM_CHILDKEY, vk, LPARAM(reinterpret_cast<intptr_t>(&control))) != 0) return true;
    LRESULT mask = 0;
    switch (vk) {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN: case VK_ESCAPE: case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
    default: return false;
    }
    if (control.Perform(CM_WANTSPECIALKEY, vk, keyData) != 0) return false;
    if ((control.Perform(WM_GETDLGCODE) & mask) != 0) return false;
    TCustomForm* form = GetParentForm(&control);
    return form && form->Perform(CM_DIALOGKEY, vk, keyData) != 0;
}

// The characters of one key: returns them as the control let them pass
// (a used-up character is 0); Alt characters only go to dialog characters.
QString DeliverChars(TWinControl& control, const QString& chars, TShiftState shift, bool& alive) {
    const auto guard = control.Guard();
    const LPARAM keyData = ShiftStateToKeyData(shift);
    const bool sysChar = shift.Contains(ssAlt) && !shift.Contains(ssCtrl);
    QString out;
    for (QChar ch : chars) {
        TCustomForm* form = GetParentForm(&control);
        if (sysChar) {
            if (form) form->Perform(CM_DIALOGCHAR, ch.unicode(), keyData);
            out += QChar();
        } else if ((control.Perform(WM_GETDLGCODE) & DLGC_WANTCHARS) == 0 && form &&
                   form->Perform(CM_DIALOGCHAR, ch.unicode(), keyData) != 0) {
            out += QChar();
        } else {
            WideChar key = ch;
            control.DoKeyPress(key);
            out += key;
        }
        if (guard.expired()) {
            alive = false;
            return out;
        }
    }
    return out;
}

bool KeyPressed(TWinControl& control, TControlWidgetLink& link, QKeyEvent* e) {
    e->accept();
    ImeNoteKey();
    const QWidget* widget = link.Widget();
    const auto guard = control.Guard();
    const Word vk = VirtualKeyOf(*e);
    const TShiftState shift = ShiftStateOf(*e);
    const QString chars = KeyCharsOf(*e);
    bool keyUsed = false;
    if (vk != 0) {
        if (DialogKey(control, vk, shift)) return true;
        if (guard.expired()) return true;
        Word key = vk;
        keyUsed = control.DoKeyDown(key, shift);
        if (guard.expired()) return true;
    }
    // The native step needs the same widget still in place.
    auto sameWidget = [&] { return !guard.expired() && control.Widget() == widget; };
    if (chars.isEmpty()) {
        if (!keyUsed && sameWidget()) link.BaseEvent(e);
        // Keys never travel on to the parent widgets, used or not.
        e->accept();
        return true;
    }
    bool alive = true;
    const QString out = DeliverChars(control, chars, shift, alive);
    if (!alive || !sameWidget()) return true;
    if (shift.Contains(ssAlt) && !shift.Contains(ssCtrl)) return true;
    if (out == chars) {
        link.BaseEvent(e);
        e->accept();
        return true;
    }
    QString passed;
    for (QChar c : out) {
        if (!c.isNull()) passed += c;
    }
    if (!passed.isEmpty()) {
        QKeyEvent replaced(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, passed);
        link.BaseEvent(&replaced);
    }
    return true;
}

bool KeyReleased(TWinControl& control, TControlWidgetLink& link, QKeyEvent* e) {
    e->accept();
    // Auto-repeat gives repeated key-downs and a single key-up.
    if (e->isAutoRepeat()) return true;
    const QWidget* widget = link.Widget();
    const auto guard = control.Guard();
    Word key = VirtualKeyOf(*e);
    if (key == 0) {
        link.BaseEvent(e);
        e->accept();
        return true;
    }
    const bool used = control.DoKeyUp(key, ShiftStateOf(*e));
    if (!used && !guard.expired() && control.Widget() == widget) link.BaseEvent(e);
    e->accept();
    return true;
}

// A composition result arrives as one KeyPress per code point, the
// preedit goes to the widget as it is, and WM_IME_COMPOSITION follows.
bool InputMethod(TWinControl& control, TControlWidgetLink& link, QInputMethodEvent* e) {
    e->accept();
    const QWidget* widget = link.Widget();
    const auto guard = control.Guard();
    const QString commit = e->commitString();
    const QString preedit = e->preeditString();
    if (ImeTakeEcho(commit, preedit)) return true;
    ImeNotePreedit(preedit);
    ImeNoteComposing(preedit.isEmpty() ? nullptr : link.Widget());
    if (commit.isEmpty()) {
        link.BaseEvent(e);
        if (preedit.isEmpty()) ImeNoteReset();
        control.Perform(WM_IME_COMPOSITION, 0, GCS_COMPSTR);
        return true;
    }
    ImeNoteCommit(commit);
    QInputMethodEvent clear;
    clear.setCommitString(QString(), e->replacementStart(), e->replacementLength());
    link.BaseEvent(&clear);
    for (qsizetype i = 0; i < commit.size();) {
        const qsizetype n = commit[i].isHighSurrogate() && i + 1 < commit.size() ? 2 : 1;
        QString unit = commit.mid(i, n);
        i += n;
        bool passed = true;
        for (qsizetype k = 0; k < unit.size(); ++k) {
            WideChar key = unit[k];
            control.DoKeyPress(key);
            if (guard.expired() || control.Widget() != widget) return true;
            passed = passed && !key.isNull();
            unit[k] = key;
        }
        if (passed) {
            QInputMethodEvent insert;
            insert.setCommitString(unit);
            link.BaseEvent(&insert);
        }
    }
    if (!preedit.isEmpty()) {
        QInputMethodEvent rest(preedit, e->attributes());
        link.BaseEvent(&rest);
    }
    control.Perform(WM_IME_COMPOSITION, 0, GCS_RESULTSTR | GCS_RESULTREADSTR);
    return true;
}

}  // namespace

bool KeyPipeline::Handle(TWinControl& control, TControlWidgetLink& link, QEvent* event) {
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Keys always reach the control; there are no Qt shortcuts here.
        event->accept();
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        // A drag in progress has the first word (Esc cancels it).
        if (DragManager::TakeKey(*static_cast<QKeyEvent*>(event))) {
            event->accept();
            return true;
        }
        if (event->type() == QEvent::KeyRelease) return KeyReleased(control, link, static_cast<QKeyEvent*>(event));
        return KeyPressed(control, link, static_cast<QKeyEvent*>(event));
    case QEvent::InputMethod: return InputMethod(control, link, static_cast<QInputMethodEvent*>(event));
    default: return link.BaseEvent(event);
    }
}

void KeyPipeline::FocusArrived() {
    ImeNoteReset();
}
