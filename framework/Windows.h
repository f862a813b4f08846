// Windows services the library relies on, provided on Linux: code pages and
// locale, integer helpers, virtual-key codes and the key-state tracker,
// window message numbers and system metrics. GDI drawing helpers live with
// the canvas (Graphics.h) and are declared at the end of this header.
#pragma once

#include "Types.h"

#include <QtCore/QByteArray>
#include <QtCore/QString>

// ------------------------------------------------------------ code pages

constexpr Cardinal CP_ACP = 0;
constexpr Cardinal CP_932 = 932;
constexpr Cardinal LOCALE_JAPANESE = 0x0411;

Cardinal GetACP();                // 932
Cardinal GetOEMCP();              // 932
Cardinal GetUserDefaultLCID();    // 0x0411
Cardinal GetSystemDefaultLCID();  // 0x0411

// UTF-16 to the ANSI code page (932) and back. A character the code page
// cannot hold becomes '?'; an undecodable byte becomes U+FFFD... except a
// trailing lone lead byte, which is kept as '?'.
AnsiString WideToAnsi(const QString& s);
QString AnsiToWide(const AnsiString& s);
bool IsDBCSLeadByte(Byte b);  // 0x81-0x9F, 0xE0-0xFC

// ------------------------------------------------------------ integer helpers

// (a * b) / c on 64 bits, halves away from zero; -1 when c is 0 or the result
// does not fit 32 bits.
Integer MulDiv(Integer a, Integer b, Integer c);
inline Word LoWord(Cardinal v) { return Word(v & 0xFFFF); }
inline Word HiWord(Cardinal v) { return Word(v >> 16); }
inline Cardinal MakeLong(Word lo, Word hi) { return Cardinal(lo) | (Cardinal(hi) << 16); }

// ------------------------------------------------------------ virtual keys

enum : Word {
    VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_CANCEL = 0x03, VK_MBUTTON = 0x04,
    VK_BACK = 0x08, VK_TAB = 0x09, VK_CLEAR = 0x0C, VK_RETURN = 0x0D,
    VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14,
    VK_KANA = 0x15, VK_KANJI = 0x19, VK_ESCAPE = 0x1B, VK_CONVERT = 0x1C, VK_NONCONVERT = 0x1D,
    VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24,
    VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28,
    VK_SELECT = 0x29, VK_PRINT = 0x2A, VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D, VK_DELETE = 0x2E,
    VK_HELP = 0x2F,
    VK_LWIN = 0x5B, VK_RWIN = 0x5C, VK_APPS = 0x5D,
    VK_NUMPAD0 = 0x60, VK_NUMPAD1, VK_NUMPAD2, VK_NUMPAD3, VK_NUMPAD4, VK_NUMPAD5,
    VK_NUMPAD6, VK_NUMPAD7, VK_NUMPAD8, VK_NUMPAD9,
    VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SEPARATOR = 0x6C, VK_SUBTRACT = 0x6D,
    VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F,
    VK_F1 = 0x70, VK_F2, VK_F3, VK_F4, VK_F5, VK_F6, VK_F7, VK_F8, VK_F9, VK_F10, VK_F11, VK_F12,
    VK_NUMLOCK = 0x90, VK_SCROLL = 0x91, VK_OEM_FJ_JISHO = 0x92,
    VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1, VK_LCONTROL = 0xA2, VK_RCONTROL = 0xA3,
    VK_LMENU = 0xA4, VK_RMENU = 0xA5,
    VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD,
    VK_OEM_PERIOD = 0xBE, VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB,
    VK_OEM_5 = 0xDC, VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE, VK_OEM_102 = 0xE2,
    VK_PROCESSKEY = 0xE5,
};

// ------------------------------------------------------------ key state

// The state of every virtual key as of the input processed so far: a held
// key reads with its high bit (0x80) set; bit 0x01 toggles on each press.
// Kept by an application-wide tracker of key presses and releases.
using TKeyboardState = Byte[256];
bool GetKeyboardState(TKeyboardState& state);
SmallInt GetKeyState(Integer vk);        // negative while held
SmallInt GetAsyncKeyState(Integer vk);
// The tracker; the framework's key pipeline (and tests) report to it.
void KeyStateSetDown(Word vk, bool down);
void KeyStateReset();

// ------------------------------------------------------------ messages

constexpr Cardinal WM_NULL = 0x0000;
constexpr Cardinal WM_SETFOCUS = 0x0007;
constexpr Cardinal WM_KILLFOCUS = 0x0008;
constexpr Cardinal WM_PAINT = 0x000F;
constexpr Cardinal WM_CLOSE = 0x0010;
constexpr Cardinal WM_KEYDOWN = 0x0100;
constexpr Cardinal WM_KEYUP = 0x0101;
constexpr Cardinal WM_CHAR = 0x0102;
constexpr Cardinal WM_SYSKEYDOWN = 0x0104;
constexpr Cardinal WM_IME_COMPOSITION = 0x010F;
constexpr Cardinal WM_USER = 0x0400;
constexpr Cardinal WM_APP = 0x8000;

using WPARAM = UInt64;
using LPARAM = Int64;
using LRESULT = Int64;

struct TMessage {
    Cardinal Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

// ------------------------------------------------------------ system metrics

enum : Integer {
    SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CXVSCROLL = 2, SM_CYHSCROLL = 3, SM_CYCAPTION = 4,
    SM_CXBORDER = 5, SM_CYBORDER = 6, SM_CXDLGFRAME = 7, SM_CYDLGFRAME = 8,
    SM_CYVTHUMB = 9, SM_CXHTHUMB = 10, SM_CXICON = 11, SM_CYICON = 12,
    SM_CXEDGE = 45, SM_CYEDGE = 46,
};
Integer GetSystemMetrics(Integer index);

// Milliseconds since an arbitrary start, as a 32-bit tick count.
Cardinal GetTickCount();
