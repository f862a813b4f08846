// The pop-up calculator ("電卓") that the voucher window opens under the
// current cell of its grid; the text the user takes back is written into
// that cell.
//
// A calculator keeps two operands: A, the first one, and B, the one on
// the display. An operator key settles any pending operation, lights its
// mark and lets the next digit start a new number; "＝" and "％" compute.
// The message line shows the previous operand while the second one is
// typed, and the calculator's messages.
#pragma once

#include "Forms.h"

class TLabel;
class TSBtn;
class TSEdit;
class TShape;

class TFrmCalc : public TForm {
public:
    explicit TFrmCalc(TComponent* AOwner);

    TShape* shMain;
    TShape* Shape3;
    TSEdit* edtShow;
    TLabel* lbMsg;
    TShape* sh1;
    TShape* sh2;
    TShape* sh3;
    TShape* sh4;
    TShape* sh5;
    TLabel* lb1;
    TLabel* lb2;
    TLabel* lb3;
    TLabel* lb4;
    TLabel* lb5;
    TSBtn* sbC1;
    TSBtn* sbC2;

    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    // The 22 keys "sb00".."sb21": the number in the name is the key code.
    void sbNumClick(TObject* Sender);
    // One decimal place more (up to 5) or fewer (down to 0).
    void sbC1Click(TObject* Sender);
    void sbC2Click(TObject* Sender);
    void edtShowKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
    void edtShowKeyPress(TObject* Sender, WideChar& Key);
    void edtShowKeyUp(TObject* Sender, Word& Key, TShiftState Shift);

    // The key of a code, "sb00".."sb21".
    TSBtn* Key(Integer Code) const;

private:
    // The decimal-place keys' font; longer captions get a smaller one.
    static constexpr Integer kDecimalsFontHeight = -11;

    void buildForm();
    void buildKeys();
    void setLimits();
    void caretToEnd();
    void startNumber();
    void digitKey(QChar Digit);
    void signKey();
    void pointKey();
    void operatorKey(Integer Code);
    void backKey();
    void clearKey();
    void takeResult();
    void cancel();
    void setDecimals(Integer Places);
    void showDecimals(Integer Places);
    // Whether the display may hold Text: a number within the limits.
    bool fits(const QString& Text) const;
    void CalcEvaluate(const QString& Mode);
    void showOutOfRange(Extended Value);
    void ResetOperatorMarks();
    void ToggleOperatorMark(TShape* Shape);
};

extern TFrmCalc* FrmCalc;

// Where the calculator goes for a control: below the anchor (the bottom
// left corner of the control or cell, in screen coordinates), above it
// when it would leave the screen at the bottom, its right edge on the
// cell's when it would leave it at the right, and never off the left or
// right edge.
TPoint CalculatorPlace(TPoint Anchor, TSize Cell, TSize Window, TSize ScreenSize);

// Opens the calculator next to Control (under a grid's current cell),
// starting from Text; Result is the text taken back, empty on cancel.
void ShowCalculator(TControl* Control, const QString& Text, QString& Result);
