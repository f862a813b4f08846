// What every data-entry control shares: the enumerations, sets and event
// types that describe an input rule, and the text routines that count, cut
// and measure strings by character and by display width.
//
// The edit box's own sets and events (TCharTypes, TExitKeys, the alignment
// enumerations, TOnModifyExEvent, TOnMoveEvent, TCompositionStrEvent) are
// declared here too, so the edit unit and the grid include one header.
#pragma once

#include "Grids.h"  // TGridDrawState, the cell state of the grid events
#include "Types.h"

#include <QtCore/QString>

#include <functional>

class TControl;
class TObject;
class TWinControl;

// ------------------------------------------------------------ input rules

enum TNumericType {
    ntDontCare, ntInteger, ntZeroFillInteger, ntExtend, ntCurrency,
    ntDateym, ntDateymd, ntTimehm, ntTimehms
};
enum TCharType { ctPeriod, ctMinus, ctConmma, ctQuoted, ctDQuoted };
enum TExitKey { ekReturn, ekRight, ekLeft, ekUp, ekDown, ekTab, ekMouse };
enum TMoveKey { mkNone, mkRight, mkLeft, mkUp, mkDown };
enum TErrorType { erNone, erLength, erMaxValue, erMinValue, erDate, erTime, erNotValue, erNeeded };

using TCharTypes = Set<TCharType>;
using TExitKeys = Set<TExitKey>;

// The grid's variants.
enum TSNumericType {
    ntgDontCare, ntgInteger, ntgZeroFillInteger, ntgExtend, ntgCurrency,
    ntgDateym, ntgDateymd, ntgTimehm, ntgTimehms, ntgWareki
};
enum TSCharType { ctgPeriod, ctgMinus, ctgConmma, ctgQuoted, ctgDQuoted };
enum TSExitKey { ekgReturn, ekgRight, ekgLeft, ekgUp, ekgDown, ekgTab };

using TSCharTypes = Set<TSCharType>;
using TSExitKeys = Set<TSExitKey>;

// The date kinds ("yyyy/mm", "yyyy/mm/dd") and the time kinds ("hh:nn",
// "hh:nn:ss") of a box and of a grid column.
inline bool IsDateKind(TNumericType kind) { return kind == ntDateym || kind == ntDateymd; }
inline bool IsTimeKind(TNumericType kind) { return kind == ntTimehm || kind == ntTimehms; }
inline bool IsDateKind(TSNumericType kind) { return kind == ntgDateym || kind == ntgDateymd; }
inline bool IsTimeKind(TSNumericType kind) { return kind == ntgTimehm || kind == ntgTimehms; }

// What the grid still draws after its cell-drawing event.
enum TSDrawAction { daAll, daNotFill, daNotText, daNotBoth, daTemp };

// The direction of the grid's last cell movement.
enum crDirection {
    crFwd, crRev, crUp, crDown, crStatic, crGoodCol,
    crLeft, crRight, crTop, crBottom, crTopMost, crBottomMost
};

// Placement of an edit box inside its parent panel.
enum THorizontalAlign { haNone, haLeft, haCenter, haRight, haClient };
enum TVerticalAlign { vaNone, vaTop, vaCenter, vaBottom, vaClient };

// The identifiers, as form resources store them.
inline constexpr const char* NumericTypeNames[] = {
    "ntDontCare", "ntInteger", "ntZeroFillInteger", "ntExtend", "ntCurrency",
    "ntDateym", "ntDateymd", "ntTimehm", "ntTimehms"};
inline constexpr const char* CharTypeNames[] = {"ctPeriod", "ctMinus", "ctConmma", "ctQuoted", "ctDQuoted"};
inline constexpr const char* AlignmentNames[] = {"taLeftJustify", "taRightJustify", "taCenter"};

// The corrections the range setters of the edit box and of the grid
// column announce.
inline const QString MaxBelowMinMessage = QStringLiteral("最大値が最小値を下回っています");
inline const QString MinAboveMaxMessage = QStringLiteral("最小値が最大値を上回っています");
inline const QString NoMinusInZeroFillMessage = QStringLiteral("ZeroFillInteger にはマイナスは使えません");

// ------------------------------------------------------------ events

// Edit and combo boxes.
using TOnModifyExEvent = std::function<void(TObject* Sender, bool& Accept)>;
using TOnMoveEvent = std::function<void(TObject* Sender, Word Direction)>;
using TCompositionStrEvent = std::function<void(TObject* Sender, const QString& Value)>;

// The grid.
using TOnModifyEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow, bool& Accept)>;
using TOnColEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow)>;
using TOnRowQueryEvent = std::function<void(TObject* Sender, Integer ARow, bool& Null)>;
using TOnDrawExEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow, TRect Rect,
                                          TGridDrawState State, TSDrawAction& Need)>;
using TOnOutOfCellsEvent = std::function<void(TObject* Sender, crDirection Dir)>;

// ------------------------------------------------------------ text routines

// A character is one UTF-16 unit, or a high surrogate together with the unit
// after it. Positions are 1-based, as in the framework's strings.

bool IsHighSurrogate(QChar C);  // U+D800..U+DBFF
bool IsLowSurrogate(QChar C);   // U+DC00..U+DFFF

// Characters up to the terminating zero: every unit but a low surrogate
// counts, so a pair counts once and a lone low surrogate not at all.
Integer CodePointCountBuf(const QChar* P);
Integer CodePointCount(const QString& S);

// UTF-16 positions of characters Start .. Start+Count-1: First is the first
// unit of character Start (0 when S has no such character), Last the last
// unit of the last character (the end of S when the range runs past it).
struct TCodePointRange {
    Integer First = 0;
    Integer Last = 0;
    Integer Len = 0;  // Last - First + 1
};
void CodePointRange(const QString& S, Integer Start, Integer Count, TCodePointRange& R);

// Characters Start .. Start+Count-1 of S, a surrogate pair kept whole; empty
// when Start lies beyond the end or Count is 0.
QString CopyCodePoints(const QString& S, Integer Start, Integer Count);

// Width in half-width cells: 1 for a character in U+0020..U+007E or
// U+FF40..U+FF9F (full-width lower-case letters included), 2 for any other,
// control characters and surrogate pairs included.
Integer StrDisplayWidth(const QString& S);
// The longest run of whole characters from the start of S whose display
// width does not exceed Width: the cut of a box or cell to its length.
QString CutToDisplayWidth(const QString& S, Integer Width);

// S with every unit found in the full-width table replaced by its half-width
// partner (voiced and semi-voiced letters by two characters, base letter and
// sound mark); other units stay as they are.
QString ToHalfWidth(const QString& S);

// The two conversion tables, read in parallel: position k (0-based) of the
// full-width table pairs with position k of the half-width table for the
// first 158 characters; the 25 voiced and semi-voiced letters that follow
// pair with the two-character entries at the end of the half-width table.
// A character listed twice converts to its first partner.
const QString& FullWidthTable();  // 183 units
const QString& HalfWidthTable();  // 208 units

// ------------------------------------------------------------ re-entry guards

// Sets a flag for a scope and puts its old value back, also when an error
// leaves the scope: the guard of a step that must not run inside itself.
class TFlagScope {
public:
    explicit TFlagScope(bool& flag, bool value = true) : flag_(flag), saved_(flag) { flag_ = value; }
    ~TFlagScope() { flag_ = saved_; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& flag_;
    bool saved_;
};

// ------------------------------------------------------------ control chains

// Whether Control and its parents up to the form (the form itself not
// tested) are visible and enabled: whether a neighbour can take the focus.
// A hidden tab sheet counts as visible when CountHiddenTabSheet is set. A
// missing control, or one without an owner, yields false.
bool IsVisibleEnabledChain(const TControl* Control, bool CountHiddenTabSheet);
// Whether Container is Control's parent, grand-parent and so on (false for
// a missing control, or one without owner or parent).
bool IsInsideContainer(const TControl* Control, const TWinControl* Container);
