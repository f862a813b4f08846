#include "UnCalc.h"

#include "Dialogs.h"
#include "ExtCtrls.h"
#include "FnKeyBar.h"
#include "FormBuild.h"
#include "Grids.h"
#include "SBtn.h"
#include "SEdit.h"
#include "StdCtrls.h"

#include <QtWidgets/QWidget>

#include <array>
#include <cstdio>
#include <string>

TFrmCalc* FrmCalc = nullptr;

namespace {

// One calculator at a time: its operands and flags outlive the window, the
// text handed in and out among them.
struct CalcState {
    QString resultText;
    Extended A = 0;
    Extended B = 0;
    QString op;          // "+", "-", "*", "/" or empty
    bool newEntry = false;  // the next digit starts a new number
    bool cleared = false;   // the next digit first empties message and display
};
CalcState calc;

constexpr Int64 kMaxValue = 999999999999;
constexpr Int64 kMinValue = -999999999999;

// Key codes (the number in a key's name).
constexpr Integer kSign = 10, kPoint = 11, kPlus = 12, kDivide = 15, kEquals = 16, kPercent = 17, kBack = 18,
                  kClear = 19, kCancel = 20, kTakeBack = 21;

struct KeyFace {
    const char16_t* caption;
    const char16_t* guide;
    Integer col;  // column and row on the key pad; the last row has two wide keys
    Integer row;
};
// Indexed by key code.
constexpr KeyFace kKeys[] = {
    {u"0", u"", 0, 4},   {u"１", u"", 0, 3},  {u"2", u"", 1, 3},  {u"3", u"", 2, 3},  {u"4", u"", 0, 2},
    {u"5", u"", 1, 2},   {u"6", u"", 2, 2},   {u"7", u"", 0, 1},  {u"8", u"", 1, 1},  {u"9", u"", 2, 1},
    {u"+/-", u"", 2, 4}, {u"･", u"", 1, 4},   {u"＋", u"", 3, 3}, {u"－", u"", 3, 2}, {u"×", u"", 3, 1},
    {u"÷", u"", 3, 0},   {u"＝", u"", 3, 4},  {u"％", u"", 2, 0}, {u"→", u"", 1, 0},  {u"Ｃ", u"", 0, 0},
    {u"キャンセル", u"ESC", 0, 5}, {u"結果を持って帰る", u"Enter", 2, 5},
};

// Key pad geometry: four columns of 58-pixel keys on a 60-pixel pitch, six
// rows of 35-pixel keys on a 37-pixel pitch below the display and marks.
constexpr Integer kPadLeft = 4, kPadTop = 100, kKeyWidth = 58, kKeyHeight = 35, kColPitch = 60, kRowPitch = 37;

// Main-row digit keys and the keypad's digits and decimal point start a
// number; Shift turns a main-row digit into another character.
bool IsDigitKey(Word key, TShiftState shift) {
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return true;
    return !shift.Contains(ssShift) && key >= '0' && key <= '9';
}

bool StartsNumber(Word key, TShiftState shift) {
    return IsDigitKey(key, shift) || key == VK_DECIMAL || (key == VK_OEM_PERIOD && !shift.Contains(ssShift));
}

// The operator key a keypad key stands for, or 0.
Integer KeypadOperator(Word key) {
    switch (key) {
    case VK_MULTIPLY: return 14;
    case VK_ADD: return 12;
    case VK_SUBTRACT: return 13;
    case VK_DIVIDE: return 15;
    default: return 0;
    }
}

// The pending operator of the keys "＋", "－", "×", "÷" (codes 12..15) and
// of the marks sh1..sh4.
const QString kOperators[] = {QStringLiteral("+"), QStringLiteral("-"), QStringLiteral("*"), QStringLiteral("/")};

QString DecimalsCaption(Integer places, const QString& arrow) {
    return Format(QStringLiteral("%.%1f ").arg(places) + arrow, {0.0});
}

// A value in plain digits, never in exponent form, with at most the given
// decimals.
QString PlainDigits(Extended value, Integer places) {
    std::string buffer(std::size_t(std::snprintf(nullptr, 0, "%.*Lf", int(places), value)) + 1, '\0');
    std::snprintf(buffer.data(), buffer.size(), "%.*Lf", int(places), value);
    QString t = QString::fromLatin1(buffer.c_str());
    if (t.contains(u'.')) {
        while (t.endsWith(u'0')) t.chop(1);
        if (t.endsWith(u'.')) t.chop(1);
    }
    return t;
}

}  // namespace

// ------------------------------------------------------------ the form

TFrmCalc::TFrmCalc(TComponent* AOwner) : TForm(AOwner) {
    BeginLoading();
    buildForm();
    EndLoading();
}

void TFrmCalc::buildForm() {
    SetName(QStringLiteral("FrmCalc"));
    SetBorderIcons({});
    SetBorderStyle(bsDialog);
    SetCaption(QStringLiteral("電卓"));
    SetClientSize(248, 324);
    Constraints()->SetMaxHeight(356);
    Constraints()->SetMaxWidth(256);
    Constraints()->SetMinHeight(356);
    Constraints()->SetMinWidth(254);
    Font()->SetName(QStringLiteral("ＭＳ Ｐゴシック"));
    Font()->SetHeight(-15);
    SetFormStyle(fsStayOnTop);
    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnShow = [this](TObject* s) { FormShow(s); };

    shMain = MakeControl<TShape>(this, this, QStringLiteral("shMain"), Bounds(0, 0, 248, 324));
    shMain->Brush()->SetColor(TColor(0x00E8EEF2));
    shMain->Pen()->SetColor(clGray);

    edtShow = MakeControl<TSEdit>(this, this, QStringLiteral("edtShow"), Bounds(4, 4, 240, 44));
    edtShow->Font()->SetName(QStringLiteral("Arial"));
    edtShow->Font()->SetHeight(32);
    edtShow->Font()->SetStyle({fsBold});
    edtShow->SetMaxLength(12);
    edtShow->SetAlignment(taRightJustify);
    edtShow->SetExitKeys({});
    edtShow->SetNumericType(ntCurrency);
    edtShow->OnKeyDown = [this](TObject* s, Word& k, TShiftState sh) { edtShowKeyDown(s, k, sh); };
    edtShow->OnKeyPress = [this](TObject* s, WideChar& k) { edtShowKeyPress(s, k); };
    edtShow->OnKeyUp = [this](TObject* s, Word& k, TShiftState sh) { edtShowKeyUp(s, k, sh); };

    lbMsg = MakeControl<TLabel>(this, this, QStringLiteral("lbMsg"), Bounds(8, 52, 232, 18));
    lbMsg->SetAutoSize(false);
    lbMsg->SetAlignment(taRightJustify);
    lbMsg->SetTransparent(true);
    lbMsg->Font()->SetColor(clNavy);

    // The strip of operator marks; its colour is the colour of an unlit mark.
    Shape3 = MakeControl<TShape>(this, this, QStringLiteral("Shape3"), Bounds(4, 72, 102, 24));
    Shape3->Brush()->SetColor(TColor(0x00C8D4DC));
    Shape3->Pen()->SetColor(clGray);
    const char16_t* signs[] = {u"+", u"-", u"×", u"÷"};
    TLabel** labels[] = {&lb1, &lb2, &lb3, &lb4};
    TShape** marks[] = {&sh1, &sh2, &sh3, &sh4};
    for (Integer i = 0; i < 4; ++i) {
        const QString n = QString::number(i + 1);
        *labels[i] = MakeControl<TLabel>(this, this, QStringLiteral("lb") + n, Bounds(8 + 24 * i, 74, 20, 20));
        (*labels[i])->SetCaption(QString::fromUtf16(signs[i]));
        (*labels[i])->SetAlignment(taCenter);
        (*labels[i])->SetLayout(tlCenter);
        *marks[i] = MakeControl<TShape>(this, this, QStringLiteral("sh") + n, Bounds(7 + 24 * i, 74, 22, 20));
    }
    // The caption of the decimal-place keys, framed like a mark.
    lb5 = MakeControl<TLabel>(this, this, QStringLiteral("lb5"), Bounds(113, 72, 36, 24));
    lb5->SetCaption(QStringLiteral("小数"));
    lb5->SetAlignment(taCenter);
    lb5->SetLayout(tlCenter);
    sh5 = MakeControl<TShape>(this, this, QStringLiteral("sh5"), Bounds(112, 72, 36, 24));
    sh5->Brush()->SetStyle(bsClear);
    sh5->Pen()->SetColor(clGray);
    sbC1 = MakeControl<TSBtn>(this, this, QStringLiteral("sbC1"), Bounds(151, 74, 46, 22));
    sbC2 = MakeControl<TSBtn>(this, this, QStringLiteral("sbC2"), Bounds(198, 74, 46, 22));
    for (TSBtn* b : {sbC1, sbC2}) b->SetGradientType(gtNormal);
    showDecimals(2);
    sbC1->OnClick = [this](TObject* s) { sbC1Click(s); };
    sbC2->OnClick = [this](TObject* s) { sbC2Click(s); };
    buildKeys();
}

void TFrmCalc::buildKeys() {
    for (Integer code = 0; code <= kTakeBack; ++code) {
        const KeyFace& face = kKeys[code];
        const bool wide = face.row == 5;
        const Integer width = wide ? kKeyWidth + kColPitch : kKeyWidth;
        const TRect r = Bounds(kPadLeft + kColPitch * face.col, kPadTop + kRowPitch * face.row, width, kKeyHeight);
        auto* key = MakeControl<TSBtn>(this, this, QStringLiteral("sb%1").arg(code, 2, 10, QLatin1Char('0')), r);
        key->SetCaption(QString::fromUtf16(face.caption));
        key->SetGuide(QString::fromUtf16(face.guide));
        if (wide) {
            key->Font()->SetHeight(-13);
            key->SetLayout(blGlyphTop);  // the caption below the guide
        }
        if (code >= kPlus && code <= kPercent) key->SetGradientEndColor(TColor(0x00D8F0FF));
        key->OnClick = [this](TObject* s) { sbNumClick(s); };
    }
}

TSBtn* TFrmCalc::Key(Integer Code) const {
    return dynamic_cast<TSBtn*>(FindComponent(QStringLiteral("sb%1").arg(Code, 2, 10, QLatin1Char('0'))));
}

// ------------------------------------------------------------ creation and showing

void TFrmCalc::setLimits() {
    edtShow->SetMaxValue(kMaxValue);
    edtShow->SetMinValue(kMinValue);
    edtShow->SetCharTypes(edtShow->CharTypes() + TCharTypes{ctPeriod, ctMinus, ctConmma});
}

void TFrmCalc::caretToEnd() {
    edtShow->SetSelStart(Integer(edtShow->Text().size()));
}

void TFrmCalc::FormCreate(TObject*) {
    shMain->SetBounds(0, 0, ClientWidth(), ClientHeight());
    ResetOperatorMarks();
    calc.A = 0;
    calc.B = 0;
    edtShow->SetfpLength(2);
    setLimits();
    edtShow->SetText(calc.resultText);
    lbMsg->SetCaption(QString());
    // Each sign label lies under its mark, which shows it only when lit.
    for (Integer i = 1;; ++i) {
        auto* shape = dynamic_cast<TShape*>(FindComponent(QStringLiteral("sh%1").arg(i)));
        auto* label = dynamic_cast<TLabel*>(FindComponent(QStringLiteral("lb%1").arg(i)));
        if (!shape || !label) break;
        label->SetBounds(shape->Left() + 1, shape->Top(), shape->Width(), shape->Height());
        label->SetTransparent(true);
        shape->BringToFront();
    }
    caretToEnd();
    calc.cleared = true;
    calc.newEntry = false;
}

// A new run starts with nothing pending: an operator left from a cancelled
// run would otherwise act, unlit, on the next "＝".
void TFrmCalc::FormShow(TObject*) {
    ResetOperatorMarks();
    calc.op.clear();
    calc.A = 0;
    edtShow->SetfpLength(2);
    setLimits();
    edtShow->SetText(calc.resultText);
    calc.B = edtShow->AsFloat();
    lbMsg->SetCaption(QString());
    caretToEnd();
    SetActiveControl(edtShow);
    calc.cleared = false;
    calc.newEntry = true;
}

// ------------------------------------------------------------ operator marks

void TFrmCalc::ResetOperatorMarks() {
    for (TShape* s : {sh1, sh2, sh3, sh4}) {
        s->Brush()->SetStyle(bsSolid);
        s->Brush()->SetColor(Shape3->Brush()->Color());
        s->Pen()->SetColor(clWhite);
    }
}

void TFrmCalc::ToggleOperatorMark(TShape* Shape) {
    if (Shape->Pen()->Color() != clBlack) {
        Shape->Brush()->SetStyle(bsClear);
        Shape->Pen()->SetColor(clBlack);
        calc.newEntry = true;
        const Integer n = Shape->Name().mid(2).toInt();
        calc.op = n >= 1 && n <= 4 ? kOperators[n - 1] : QStringLiteral("Invalid");
    } else {
        Shape->Brush()->SetStyle(bsSolid);
        Shape->Brush()->SetColor(Shape3->Brush()->Color());
        Shape->Pen()->SetColor(clWhite);
        calc.newEntry = false;
    }
}

// ------------------------------------------------------------ keys

bool TFrmCalc::fits(const QString& Text) const {
    Int64 v = 0;
    return TryParseNumber(Text, v) && v <= kMaxValue * Currency::Scale && v >= kMinValue * Currency::Scale;
}

void TFrmCalc::startNumber() {
    if (calc.cleared) {
        lbMsg->SetCaption(QString());
        edtShow->SetText(QString());
        ResetOperatorMarks();
        calc.cleared = false;
    } else if (calc.newEntry) {
        lbMsg->SetCaption(edtShow->Text());
        calc.A = calc.B;
        edtShow->SetText(QString());
        calc.newEntry = false;
    }
}

// The typed text stays as typed ("1.05"); only a lone leading zero gives
// way. A digit past the decimals or past the limits is ignored.
void TFrmCalc::digitKey(QChar Digit) {
    startNumber();
    QString t = edtShow->Text();
    const auto dot = t.indexOf(u'.');
    if (dot >= 0 && t.size() - dot - 1 >= edtShow->fpLength()) return;
    if (t == QStringLiteral("0")) t.clear();
    else if (t == QStringLiteral("-0")) t = QStringLiteral("-");
    t += Digit;
    if (!fits(t)) return;
    edtShow->SetText(t);
    calc.B = edtShow->AsFloat();
}

void TFrmCalc::signKey() {
    calc.B = edtShow->AsFloat();
    edtShow->SetAsFloat(-calc.B);
    calc.B = edtShow->AsFloat();
}

void TFrmCalc::pointKey() {
    startNumber();
    if (!edtShow->Text().contains(u'.')) edtShow->SetText(edtShow->Text() + u'.');
}

void TFrmCalc::operatorKey(Integer Code) {
    if (Trim(edtShow->Text()).isEmpty() && Trim(lbMsg->Caption()).isEmpty()) return;
    CalcEvaluate(QString());
    // Pending whether the toggle lights the mark or puts it out.
    calc.op = kOperators[Code - kPlus];
    TShape* mark = (std::array<TShape*, 4>{sh1, sh2, sh3, sh4})[Code - kPlus];
    ToggleOperatorMark(mark);
    if (mark->Pen()->Color() == clWhite) ResetOperatorMarks();
}

void TFrmCalc::backKey() {
    QString t = edtShow->Text();
    if (t.size() < 2) t.clear();
    else t.chop(1);
    edtShow->SetText(t);
    calc.B = edtShow->AsFloat();
}

void TFrmCalc::clearKey() {
    ResetOperatorMarks();
    calc.op.clear();
    edtShow->SetText(QString());
    lbMsg->SetCaption(QString());
    calc.A = 0;
    calc.B = 0;
    calc.newEntry = false;
    calc.cleared = true;
}

// A display that holds an error (a result past the limits) gives nothing
// back: the window stays open with a beep.
void TFrmCalc::takeResult() {
    edtShow->Update();
    if (edtShow->ErrorType() != erNone) {
        MessageBeep(0);
        return;
    }
    calc.resultText = edtShow->Text();
    SetModalResult(mrOk);
}

void TFrmCalc::cancel() {
    calc.resultText.clear();
    SetModalResult(mrCancel);
}

void TFrmCalc::sbNumClick(TObject* Sender) {
    auto* key = dynamic_cast<TSBtn*>(Sender);
    if (!key) return;
    bool ok = false;
    const Integer code = key->Name().mid(2, 2).toInt(&ok);
    if (!ok) return;
    if (code >= 0 && code <= 9) digitKey(QChar(u'0' + code));
    else if (code == kSign) signKey();
    else if (code == kPoint) pointKey();
    else if (code >= kPlus && code <= kDivide) operatorKey(code);
    else if (code == kEquals) CalcEvaluate(QString());
    else if (code == kPercent) CalcEvaluate(QStringLiteral("%"));
    else if (code == kBack) backKey();
    else if (code == kClear) clearKey();
    else if (code == kCancel) cancel();
    else if (code == kTakeBack) takeResult();
    caretToEnd();
}

void TFrmCalc::setDecimals(Integer Places) {
    edtShow->SetfpLength(Places);
    showDecimals(Places);
    setLimits();
    edtShow->SetText(FloatToStr(calc.B));
    edtShow->Update();
}

// The captions of the decimal-place keys, in a font small enough for the
// longest of them.
void TFrmCalc::showDecimals(Integer Places) {
    sbC1->SetCaption(DecimalsCaption(Places, QStringLiteral("→")));
    sbC2->SetCaption(DecimalsCaption(Places, QStringLiteral("←")));
    for (TSBtn* b : {sbC1, sbC2}) FitCaptionFont(b, kDecimalsFontHeight);
}

void TFrmCalc::sbC1Click(TObject*) {
    if (edtShow->fpLength() < 5) setDecimals(edtShow->fpLength() + 1);
}

void TFrmCalc::sbC2Click(TObject*) {
    if (edtShow->fpLength() > 0) setDecimals(edtShow->fpLength() - 1);
}

// A minus that will be typed as a sign begins a number as a digit does.
void TFrmCalc::edtShowKeyDown(TObject*, Word& Key, TShiftState Shift) {
    const bool empty = Trim(edtShow->Text()).isEmpty();
    const Integer op = KeypadOperator(Key);
    if (op != 0 && !empty) {
        operatorKey(op);
        return;
    }
    const bool sign = (Key == VK_OEM_MINUS && !Shift.Contains(ssShift)) || Key == VK_SUBTRACT;
    if (StartsNumber(Key, Shift) || sign) startNumber();
    if (op != 0) Key = 0;
}

// "%" and "=" compute whichever key typed them; a digit that would take
// the display past its limits is dropped.
void TFrmCalc::edtShowKeyPress(TObject*, WideChar& Key) {
    if (Key == u'%' || Key == u'=') {
        CalcEvaluate(Key == u'%' ? QStringLiteral("%") : QString());
        Key = QChar();
        caretToEnd();
        return;
    }
    if (Key < u'0' || Key > u'9') return;
    QString t = edtShow->Text();
    t.replace(edtShow->SelStart(), edtShow->SelLength(), QString(Key));
    if (!fits(t)) Key = QChar();
}

void TFrmCalc::edtShowKeyUp(TObject*, Word& Key, TShiftState Shift) {
    if (IsDigitKey(Key, Shift)) {
        if (calc.newEntry) return;
        calc.B = edtShow->AsFloat();
        QString t = edtShow->Text();
        const auto dot = t.indexOf(u'.');
        if (dot < 0) edtShow->SetText(FloatToStr(calc.B));
        else if (t.size() - dot - 1 > edtShow->fpLength()) edtShow->SetText(t.left(t.size() - 1));
        caretToEnd();
        return;
    }
    switch (Key) {
    case VK_RETURN: takeResult(); break;
    case VK_ESCAPE: cancel(); break;
    case VK_END: case VK_SEPARATOR: CalcEvaluate(QStringLiteral("%")); break;
    case VK_HOME: clearKey(); break;
    default: return;
    }
    caretToEnd();
}

// ------------------------------------------------------------ evaluation

// B is read from the display first. A result outside the display's
// limits is shown in plain digits beside the message that says why; the
// next digit starts afresh.
void TFrmCalc::CalcEvaluate(const QString& Mode) {
    calc.B = edtShow->AsFloat();
    if (Trim(lbMsg->Caption()).isEmpty() || Trim(edtShow->Text()).isEmpty() || Trim(calc.op).isEmpty()) return;
    const bool percent = Mode == QStringLiteral("%");
    const Extended A = calc.A;
    Extended& B = calc.B;
    switch (calc.op.at(0).unicode()) {
    case u'*': B = percent ? A * B * 0.01L : A * B; break;
    case u'+': B = percent ? A + A * B * 0.01L : A + B; break;
    case u'-': B = percent ? A - A * B * 0.01L : A - B; break;
    case u'/':
        if (percent) {
            lbMsg->SetCaption(QStringLiteral("入力エラー"));
            return;
        }
        if (edtShow->AsFloat() == 0) {
            lbMsg->SetCaption(QStringLiteral("分母がゼロです"));
            return;
        }
        B = A / B;
        break;
    default: break;
    }
    const bool tooLarge = !(B <= kMaxValue);  // NaN counts as too large
    const bool tooSmall = B < kMinValue;
    if (tooLarge || tooSmall) showOutOfRange(B);
    else edtShow->SetText(FloatToStr(B));
    edtShow->Update();
    ResetOperatorMarks();
    calc.op.clear();
    calc.A = 0;
    calc.newEntry = false;
    if (tooLarge || tooSmall) calc.cleared = true;
    if (tooLarge || edtShow->ErrorType() == erMaxValue) lbMsg->SetCaption(QStringLiteral("結果が大きすぎます"));
    else if (tooSmall || edtShow->ErrorType() == erMinValue) lbMsg->SetCaption(QStringLiteral("結果が小さすぎます"));
    else lbMsg->SetCaption(QString());
}

// All the digits, past the display's length limit too: a cut would show
// another number.
void TFrmCalc::showOutOfRange(Extended Value) {
    const Integer limit = edtShow->MaxLength();
    edtShow->SetMaxLength(0);
    edtShow->SetText(PlainDigits(Value, edtShow->fpLength()));
    edtShow->SetMaxLength(limit);
}

// ------------------------------------------------------------ opening

TPoint CalculatorPlace(TPoint Anchor, TSize Cell, TSize Window, TSize ScreenSize) {
    Integer top = Anchor.Y + 1;
    if (Anchor.Y + Window.cy > ScreenSize.cy) top = Anchor.Y - Window.cy - Cell.cy - 1;
    Integer left = Anchor.X + 1;
    if (Anchor.X + Window.cx > ScreenSize.cx) left = Anchor.X + Cell.cx - Window.cx - 1;
    if (left < 0) left = 0;
    if (left + Window.cx > ScreenSize.cx) left = ScreenSize.cx - Window.cx;
    return {left, top};
}

namespace {

void PlaceCalculator(TControl* control) {
    if (!control || !FrmCalc) return;
    TPoint anchor;
    TSize cell;
    if (auto* grid = dynamic_cast<TDrawGrid*>(control)) {
        const TRect r = grid->CellRect(grid->Col(), grid->Row());
        anchor = grid->ClientToScreen(TPoint(r.Left, r.Bottom));
        cell = {r.Width(), r.Height()};
    } else {
        anchor = control->ClientToScreen(TPoint(0, control->Height()));
        cell = {control->Width(), control->Height()};
    }
    // The outer size is the real frame's once the window shows; before,
    // the framework's guess of it.
    TSize window{FrmCalc->Width(), FrmCalc->Height()};
    if (const QWidget* w = FrmCalc->Widget(); w && w->isVisible())
        window = {w->frameGeometry().width(), w->frameGeometry().height()};
    const TPoint p = CalculatorPlace(anchor, cell, window, {Screen->Width(), Screen->Height()});
    FrmCalc->SetBounds(p.X, p.Y, FrmCalc->Width(), FrmCalc->Height());
}

}  // namespace

void ShowCalculator(TControl* Control, const QString& Text, QString& Result) {
    if (!FrmCalc) FrmCalc = new TFrmCalc(Application);
    calc.resultText = Text;
    PlaceCalculator(Control);
    // Placed again by its real frame once the window manager has framed it.
    FrmCalc->OnActivate = [Control, placed = false](TObject*) mutable {
        if (placed) return;
        placed = true;
        PlaceCalculator(Control);
    };
    TModalResult answer = mrCancel;
    try {
        answer = FrmCalc->ShowModal();
    } catch (...) {
        FreeAndNil(FrmCalc);
        throw;
    }
    // A window closed any other way than by its keys counts as cancelled.
    Result = answer == mrOk ? calc.resultText : QString();
    FreeAndNil(FrmCalc);
}
