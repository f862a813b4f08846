// Windows services the library relies on, provided on Linux: code pages and
// locale, integer helpers, virtual-key codes and the key-state tracker,
// window message numbers and system metrics. GDI drawing helpers live with
// the canvas (Graphics.h) and are declared at the end of this header.
#pragma once

#include "Types.h"

#include <QtCore/QByteArray>
#include <QtCore/QString>

// ------------------------------------------------------------ code pages

constexpr Cardinal CP_932 = 932;
constexpr Cardinal LOCALE_JAPANESE = 0x0411;

Cardinal GetACP();                // 932
Cardinal GetOEMCP();              // 932
Cardinal GetUserDefaultLCID();    // 0x0411
Cardinal GetSystemDefaultLCID();  // 0x0411

// UTF-16 to the ANSI code page (932) and back, through glibc's "CP932"
// table (U+301C and U+FF5E -> 0x8160, U+2212 -> 0x817C, U+00A5 -> 0x5C).
// Each code point the code page cannot hold becomes one '?' (a surrogate
// pair is one code point, a lone surrogate counts as one). An undefined
// byte, or a lead byte with its trail byte, becomes U+FFFD; a lead byte cut
// off at the end becomes '?'.
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

// Suspends the calling thread; no message is handled meanwhile, so no
// handler runs again or frees its window under the caller.
void Sleep(Cardinal milliseconds);

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

// The state of every virtual key as of the input read so far: a held
// key reads with its high bit (0x80) set; bit 0x01 toggles on each press.
// Kept by an application-wide tracker of key presses and releases.
using TKeyboardState = Byte[256];
bool GetKeyboardState(TKeyboardState& state);
SmallInt GetKeyState(Integer vk);  // negative while held
// The tracker; the framework's key pipeline (and tests) report to it.
void KeyStateSetDown(Word vk, bool down);
void KeyStateReset();

// ------------------------------------------------------------ messages

constexpr Cardinal WM_SETFOCUS = 0x0007;
constexpr Cardinal WM_KILLFOCUS = 0x0008;
constexpr Cardinal WM_PAINT = 0x000F;
constexpr Cardinal WM_KEYDOWN = 0x0100;
constexpr Cardinal WM_IME_COMPOSITION = 0x010F;
constexpr Cardinal WM_USER = 0x0400;

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
    SM_CYVTHUMB = 9, SM_CXHTHUMB = 10, SM_CXICON = 11, SM_CYICON = 12, SM_CYMENU = 15,
    SM_CXFULLSCREEN = 16, SM_CYFULLSCREEN = 17, SM_CXFRAME = 32, SM_CYFRAME = 33,
    SM_CXEDGE = 45, SM_CYEDGE = 46, SM_CXSMICON = 49, SM_CYSMICON = 50,
};
Integer GetSystemMetrics(Integer index);

// ------------------------------------------------------------ GDI
// Drawing routines that take a device context. The device context is the
// canvas itself (Graphics.h): pass Canvas()->Handle().

class TCanvas;
class TBrush;
struct TRegion;
using HDC = TCanvas*;
using HRGN = TRegion*;
using HBRUSH = TBrush*;
using TColor = Integer;

constexpr Cardinal DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4,
                   DT_BOTTOM = 0x8, DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40,
                   DT_NOCLIP = 0x100, DT_EXTERNALLEADING = 0x200, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800,
                   DT_RTLREADING = 0x20000, DT_HIDEPREFIX = 0x100000;

// Text in rect by format; returns the height of the text (0 for no text).
// Lines end at CR LF, CR or LF (not with DT_SINGLELINE); DT_WORDBREAK breaks
// at blanks and beside full-width characters; DT_VCENTER and DT_BOTTOM act
// only with DT_SINGLELINE; without DT_NOPREFIX "&x" underlines x and "&&"
// draws "&"; DT_EXPANDTABS puts tab stops every 8 average character widths;
// DT_CALCRECT draws nothing and sets rect's right and bottom to bound the
// text. Lines are clipped to rect unless DT_NOCLIP; an opaque background
// mode paints each line's extent in the background colour. count < 0: the
// whole text.
Integer DrawText(HDC dc, const QString& text, Integer count, TRect& rect, Cardinal format);
inline Integer DrawTextW(HDC dc, const QString& text, Integer count, TRect& rect, Cardinal format) {
    return DrawText(dc, text, count, rect, format);
}
// The DT_ flag that places text on its line as alignment says.
constexpr Cardinal DrawTextAlignment(TAlignment alignment) {
    return alignment == taRightJustify ? DT_RIGHT : alignment == taCenter ? DT_CENTER : DT_LEFT;
}

constexpr Cardinal BDR_RAISEDOUTER = 0x1, BDR_SUNKENOUTER = 0x2, BDR_RAISEDINNER = 0x4, BDR_SUNKENINNER = 0x8;
constexpr Cardinal BDR_OUTER = 0x3, BDR_INNER = 0xC, BDR_RAISED = 0x5, BDR_SUNKEN = 0xA;
constexpr Cardinal EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER, EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
                   EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER, EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
constexpr Cardinal BF_LEFT = 0x1, BF_TOP = 0x2, BF_RIGHT = 0x4, BF_BOTTOM = 0x8, BF_TOPLEFT = 0x3,
                   BF_BOTTOMRIGHT = 0xC, BF_RECT = 0xF, BF_MIDDLE = 0x800, BF_SOFT = 0x1000,
                   BF_ADJUST = 0x2000, BF_FLAT = 0x4000, BF_MONO = 0x8000;

// A 3-D edge of one or two 1-pixel rings: light on the top and left, dark
// on the bottom and right for raised parts (the dark side owns the
// top-right and bottom-left corners). BF_MIDDLE fills the inside with
// clBtnFace, BF_ADJUST shrinks rect by the edge.
bool DrawEdge(HDC dc, TRect& rect, Cardinal edge, Cardinal flags);

constexpr Cardinal DFC_CAPTION = 1, DFC_MENU = 2, DFC_SCROLL = 3, DFC_BUTTON = 4;
constexpr Cardinal DFCS_BUTTONPUSH = 0x10, DFCS_SCROLLUP = 0x0, DFCS_SCROLLDOWN = 0x1, DFCS_SCROLLLEFT = 0x2,
                   DFCS_SCROLLRIGHT = 0x3, DFCS_SCROLLCOMBOBOX = 0x5, DFCS_INACTIVE = 0x100,
                   DFCS_PUSHED = 0x200, DFCS_CHECKED = 0x400, DFCS_ADJUSTRECT = 0x2000, DFCS_FLAT = 0x4000,
                   DFCS_MONO = 0x8000;

// Push buttons (DFC_BUTTON, DFCS_BUTTONPUSH) and scroll arrows (DFC_SCROLL):
// a clBtnFace face inside a 2-pixel frame (raised, or sunken when
// DFCS_PUSHED; 1 pixel of clBtnShadow with DFCS_FLAT). DFCS_ADJUSTRECT
// shrinks rect to the face. False for other types.
bool DrawFrameControl(HDC dc, TRect& rect, Cardinal type, Cardinal state);

constexpr Cardinal TA_NOUPDATECP = 0, TA_UPDATECP = 1, TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6, TA_TOP = 0,
                   TA_BOTTOM = 8, TA_BASELINE = 24, TA_RTLREADING = 256;
constexpr Cardinal ETO_OPAQUE = 0x2, ETO_CLIPPED = 0x4, ETO_RTLREADING = 0x80;
constexpr Integer TRANSPARENT = 1, OPAQUE = 2;

Cardinal SetTextAlign(HDC dc, Cardinal align);  // returns the previous alignment
Cardinal GetTextAlign(HDC dc);
// dx: one advance per UTF-16 unit (nil: the font's own). count < 0: all.
bool ExtTextOut(HDC dc, Integer x, Integer y, Cardinal options, const TRect* rect, const QString& text,
                Integer count, const Integer* dx);
inline bool ExtTextOutW(HDC dc, Integer x, Integer y, Cardinal options, const TRect* rect, const QString& text,
                        Integer count, const Integer* dx) {
    return ExtTextOut(dc, x, y, options, rect, text, count, dx);
}
Integer SetBkMode(HDC dc, Integer mode);  // returns the previous mode
Integer GetBkMode(HDC dc);
TColor SetBkColor(HDC dc, TColor color);
TColor SetTextColor(HDC dc, TColor color);
bool GetTextExtentPoint32(HDC dc, const QString& text, Integer count, TSize& size);

struct TTextMetric {
    Integer tmHeight = 0;
    Integer tmAscent = 0;
    Integer tmDescent = 0;
    Integer tmInternalLeading = 0;
    Integer tmExternalLeading = 0;
    Integer tmAveCharWidth = 0;
    Integer tmMaxCharWidth = 0;
};
bool GetTextMetrics(HDC dc, TTextMetric& metric);

constexpr Integer ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3;
constexpr Integer RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5;

// Regions of whole pixels, right and bottom edges outside.
HRGN CreateRectRgn(Integer left, Integer top, Integer right, Integer bottom);
// Corner ellipses width x height (diameters).
HRGN CreateRoundRectRgn(Integer left, Integer top, Integer right, Integer bottom, Integer width, Integer height);
HRGN CreateEllipticRgn(Integer left, Integer top, Integer right, Integer bottom);
Integer CombineRgn(HRGN dest, HRGN a, HRGN b, Integer mode);
bool PtInRegion(HRGN region, Integer x, Integer y);
bool FillRgn(HDC dc, HRGN region, HBRUSH brush);
// A border width x height pixels thick just inside the region.
bool FrameRgn(HDC dc, HRGN region, HBRUSH brush, Integer width, Integer height);
HBRUSH CreateSolidBrush(TColor color);
bool DeleteObject(HRGN region);
bool DeleteObject(HBRUSH brush);
Integer FillRect(HDC dc, const TRect& rect, HBRUSH brush);

// Clipping: a nil region removes the clipping set by calls; the copy of
// region is kept. Return the kind of the clip region left.
Integer SelectClipRgn(HDC dc, HRGN region);
Integer IntersectClipRect(HDC dc, Integer left, Integer top, Integer right, Integer bottom);
Integer ExcludeClipRect(HDC dc, Integer left, Integer top, Integer right, Integer bottom);
Integer SaveDC(HDC dc);
bool RestoreDC(HDC dc, Integer savedDC);  // -1: the last saved state

constexpr Integer HORZRES = 8, VERTRES = 10, LOGPIXELSX = 88, LOGPIXELSY = 90, PHYSICALWIDTH = 110,
                  PHYSICALHEIGHT = 111, PHYSICALOFFSETX = 112, PHYSICALOFFSETY = 113;
// Resolution and size of the canvas's device (the 96-dpi reference without one).
Integer GetDeviceCaps(HDC dc, Integer index);
