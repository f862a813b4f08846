// The main window of the demonstration: a sales-voucher entry screen with
// a header of validated boxes, a grid of voucher lines whose amounts,
// total, consumption tax and total with tax are computed as lines change,
// a status bar with the voucher's changed mark, and a bar of twelve
// function-key buttons that F1..F12 press. Holding Shift turns F6..F12
// into a launcher of the other demonstration windows; F8 opens the
// calculator on the unit-price column.
//
// The unit also holds the routines other windows share: the status bar
// and its owner-drawn panels, the changed mark and the discard question,
// the clearing of a window's boxes and captions, and the re-run of a
// window's key-down handler for the Shift and Ctrl keys held now.
#pragma once

#include "ComCtrls.h"
#include "Forms.h"
#include "ZvTypeDef.h"

#include <array>

class TLabel;
class TPanel;
class TSBtn;
class TSComboBox;
class TSDBGrid;
class TSEdit;

class TForm1 : public TForm {
public:
    explicit TForm1(TComponent* AOwner);

    // ---- the header block
    TPanel* Panel5;
    TSEdit* edtDenpyo;
    TSEdit* edtDate;
    TSEdit* edtJisyaTanto;
    TSComboBox* ScbSyubetu;
    TSEdit* edtHeaderCode;
    TSEdit* edtHeaderMei;
    TSEdit* edtHeaderBusyo;
    TSEdit* edtHeaderTanto;
    TSEdit* edtBiko1;
    TLabel* lblStatus;
    // ---- lines and totals
    TSDBGrid* SDBGrid1;
    TPanel* PnlTotal;
    TPanel* LblGokei;
    TPanel* LblSyohizei;
    TPanel* LblZGokei;
    // ---- function keys and status bar
    TPanel* PnlMenu;
    std::array<TSBtn*, 12> SBtn{};  // SBtn1..SBtn12
    TStatusBar* sb1;

    // The button of function key n (1..12).
    TSBtn* FnButton(Integer n) const { return SBtn[n - 1]; }

    // ---- event handlers
    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void FormKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
    void FormKeyUp(TObject* Sender, Word& Key, TShiftState Shift);
    void SBtnClick(TObject* Sender);
    void PnlMenuResize(TObject* Sender);
    void ControlEnter(TObject* Sender);
    void ControlExit(TObject* Sender);
    void EditModifyEx(TObject* Sender, bool& Accept);
    void SDBGrid1Modified(TObject* Sender, Integer ACol, Integer ARow, bool& Accept);
    void SDBGrid1SelectCell(TObject* Sender, Integer ACol, Integer ARow, bool& CanSelect);
    void SDBGrid1OutOfCells(TObject* Sender, crDirection Dir);

private:
    // The function keys' font; a caption too long for it gets a smaller one.
    static constexpr Integer kFnFontHeight = -17;

    // ---- the form resource (UnGridTestForm.cpp)
    void buildForm();
    void buildHeader();
    void buildHeaderInfo();
    void buildGrid();
    void buildTotals();
    void buildFnKeys();
    TPanel* captionPanel(TWinControl* parent, const QString& name, const QString& caption, const TRect& bounds);
    TPanel* valuePanel(TWinControl* parent, const QString& name, const TRect& bounds);
    TPanel* hostPanel(const QString& name, const TRect& bounds);
    struct HeaderBox;
    void headerEdit(const HeaderBox& b);
    void buildSyubetu();
    void buildShiftHint();
    void setupColumns();

    // ---- behaviour
    void SetFnCaptions(TObject* Sender, Word& Key, TShiftState Shift);
    // Brings the focused control's own F8 caption back.
    void announceFocused();
    void runButton(TSBtn* Button);
    void cancelSlip();
    void calculatorFlow();
    // Amount and kind of a changed line and the three totals; false, with
    // nothing changed, when a sum does not fit.
    bool recomputeLine(Integer ARow, bool QuantityChanged);
    bool showTotals();
};

extern TForm1* Form1;

// ------------------------------------------------------------ lines, totals, tax

// Consumption tax on Amount at Rate per cent: Kind 1 is tax-free (0);
// |Amount| x Rate / 100 is rounded to four places (halves to even), then
// Mode 1 rounds it (after adding 0.0001), Mode 2 truncates it, Mode 3
// rounds it after adding 0.4999 (halves to even); the sign of Amount is
// kept; any other mode gives 0. EOverflow when the tax does not fit.
Currency CalcTax(Integer Kind, Integer Mode, Currency Amount, Currency Rate);
// S as a number grouped by thousands with Decimals places (halves away
// from zero); "0" for an empty S or text that is not a number.
QString FormatAmount(const QString& S, Integer Decimals);
// The number in S: blanks around and "," are ignored; any character but
// digits, ".", "+" and "-", or text that does not read as a number, gives 0.
Extended StrToFloatSafe(const QString& S);

// ------------------------------------------------------------ status bar and voucher state

// Sets up the first status bar among Owner's child controls: six centred
// panels (two owner-drawn) with today's date and the maker's name.
void SetupStatusBar(TControl* Owner);
// Paints an owner-drawn panel: yellow under "読込中" and "変更", the bar's
// colour otherwise, the text centred vertically.
void sb1DrawPanel(TStatusBar* StatusBar, TStatusPanel* Panel, const TRect& Rect);
// The changed mark, kept in the Tag of the bar's owner and shown in panel 2.
void SetModified(TStatusBar* Bar, bool Value);
bool IsModified(TStatusBar* Bar);
// True when nothing is changed or the user answers Yes to Msg (which
// clears the mark); false when the user declines.
bool ConfirmDiscard(TStatusBar* Bar, const QString& Msg);
// Empties the untagged captions and edit boxes of the components Owner
// owns, re-lays out its panels (OnResize) and turns every tab stop off.
void ClearSlip(TComponent* Owner);
// Calls Form's OnKeyDown with Key 0 and the Shift and Ctrl keys held now.
void RefireShiftCtrlState(TObject* Form);
