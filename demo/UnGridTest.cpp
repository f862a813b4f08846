#include "UnGridTest.h"

#include "Dialogs.h"
#include "ExtCtrls.h"
#include "SBtn.h"
#include "SDBGrid.h"
#include "SEdit.h"
#include "StdCtrls.h"
#include "UnCalc.h"

#include <functional>

TForm1* Form1 = nullptr;

namespace {

const QString kQuantity = QStringLiteral("数量");
const QString kPrice = QStringLiteral("単価");
const QString kAmount = QStringLiteral("金額");
const QString kKind = QStringLiteral("伝種");
const QString kRemarks = QStringLiteral("備考");

const QString kQuit = QStringLiteral("終了");
const QString kCancelSlip = QStringLiteral("ｷｬﾝｾﾙ");
const QString kCalculator = QStringLiteral("電卓");
const QString kRegister = QStringLiteral("登録");
const QString kChanged = QStringLiteral("変更");

// The demonstration's tax: kind 2 (tax added), rounding mode 1, 5 %.
constexpr Integer kTaxKind = 2;
constexpr Integer kTaxMode = 1;
constexpr Integer kTaxRate = 5;

// Shift+F6..F12 open the other demonstration windows, each shown modally.
// A window joins by giving its line a routine that shows it; a caption
// without one does nothing.
struct Launcher {
    const char16_t* caption;
    std::function<void()> open;
};
const Launcher kLaunchers[] = {
    {u"ｺﾝﾎﾟ", nullptr},      // component list, TFrmDemo (UnDemo)
    {u"ﾌｧｲﾙ", nullptr},      // folder tree, TForm2 (UnDirectoryView)
    {u"ｼｪｰﾌﾟ", nullptr},     // shapes, TForm3 (UnShape)
    {u"Vﾗﾍﾞﾙ", nullptr},     // rotated labels, TFrmZvVLabel (UnVLabel)
    {u"AVﾗﾍﾞﾙ", nullptr},    // even labels, TFrmZvAVLabel (UnAVLabel)
    {u"ｴﾃﾞｨｯﾄ", nullptr},    // edit boxes, TForm5 (UnSEdit), made for each run and freed after
    {u"ﾊﾞｰｺｰﾄﾞ", nullptr},   // barcodes, TForm6 (UnBarCode)
};

// Captions under Shift, F6..F12.
const char16_t* const kShiftCaptions[] = {u"ｺﾝﾎﾟ", u"ﾌｧｲﾙ", u"ｼｪｰﾌﾟ", u"Vﾗﾍﾞﾙ", u"AVﾗﾍﾞﾙ", u"ｴﾃﾞｨｯﾄ", u"ﾊﾞｰｺｰﾄﾞ"};

bool IsHeld(Word key) {
    TKeyboardState state{};
    GetKeyboardState(state);
    return (state[key] & 0x80) != 0;
}

// a / b rounded to the nearest whole number, halves to even (b > 0).
__int128 DivideHalfEven(__int128 a, __int128 b) {
    __int128 q = a / b;
    __int128 r = a % b;
    if (r < 0) {
        r += b;
        --q;
    }
    if (2 * r > b || (2 * r == b && (q & 1) != 0)) ++q;
    return q;
}

}  // namespace

// ------------------------------------------------------------ lines, totals, tax

Currency CalcTax(Integer Kind, Integer Mode, Currency Amount, Currency Rate) {
    if (Kind == 1 || Mode < 1 || Mode > 3) return Currency();
    const __int128 amount = Amount.Raw();
    const __int128 magnitude = amount < 0 ? -amount : amount;
    // In units of 1/10000: raw x raw / 10^4 is the product, / 100 the per cent.
    const __int128 t = DivideHalfEven(magnitude * Rate.Raw(), __int128(Currency::Scale) * 100);
    const __int128 scale = Currency::Scale;
    __int128 n = 0;
    switch (Mode) {
    case 1: n = DivideHalfEven(t + 1, scale); break;
    case 2: n = t / scale; break;
    default: n = DivideHalfEven(t + 4999, scale); break;
    }
    const __int128 raw = (amount < 0 ? -n : n) * scale;
    if (raw > INT64_MAX || raw < INT64_MIN) throw EOverflow(QStringLiteral("Floating point overflow"));
    return Currency::FromRaw(Int64(raw));
}

QString FormatAmount(const QString& S, Integer Decimals) {
    if (S.isEmpty()) return QStringLiteral("0");
    try {
        const Extended v = StrToFloatSafe(S);
        return Trim(Format(QStringLiteral("%15.") + IntToStr(Decimals) + QStringLiteral("n"), {v}));
    } catch (const Exception&) {
        return QStringLiteral("0");
    }
}

Extended StrToFloatSafe(const QString& S) {
    const QString t = Trim(S);
    if (t.isEmpty()) return 0;
    QString kept;
    for (QChar c : t) {
        if (c == u',') continue;
        const bool numeric = (c >= u'0' && c <= u'9') || c == u'.' || c == u'+' || c == u'-';
        if (!numeric) return 0;
        kept += c;
    }
    try {
        return StrToFloat(kept);
    } catch (const EConvertError&) {
        return 0;
    }
}

// ------------------------------------------------------------ status bar and voucher state

void SetupStatusBar(TControl* Owner) {
    auto* owner = dynamic_cast<TWinControl*>(Owner);
    if (!owner) return;
    TStatusBar* bar = nullptr;
    for (Integer i = 0; i < owner->ControlCount() && !bar; ++i) bar = dynamic_cast<TStatusBar*>(owner->Controls(i));
    if (!bar) return;
    bar->Font()->SetName(QStringLiteral("ＭＳ Ｐゴシック"));
    bar->Font()->SetSize(10);
    TCanvas* canvas = bar->Canvas();
    canvas->Font()->SetName(bar->Font()->Name());
    canvas->Font()->SetSize(bar->Font()->Size());
    const QString maker = QStringLiteral("Velmora");
    struct PanelSpec {
        Integer width;
        TStatusPanelStyle style;
        QString text;
    };
    const PanelSpec specs[] = {
        {80, psOwnerDraw, QString()},
        {112, psText, FormatDateTime(QStringLiteral("yyyy/mm/dd"), Date())},
        {50, psOwnerDraw, QString()},
        {140, psText, QString()},
        {canvas->TextWidth(maker) + 4, psText, maker},
        {100, psText, QString()},
    };
    bar->Panels()->Clear();
    for (const PanelSpec& spec : specs) {
        TStatusPanel* panel = bar->Panels()->Add();
        panel->SetWidth(spec.width);
        panel->SetStyle(spec.style);
        panel->SetAlignment(taCenter);
        panel->SetText(spec.text);
    }
}

void sb1DrawPanel(TStatusBar* StatusBar, TStatusPanel* Panel, const TRect& Rect) {
    TCanvas* canvas = StatusBar->Canvas();
    const QString text = Panel->Text();
    const bool highlight = text == QStringLiteral("読込中") || text == kChanged;
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(highlight ? clYellow : StatusBar->Color());
    canvas->FillRect(Rect);
    Cardinal flags = DT_VCENTER;
    if (Panel->Alignment() == taRightJustify) flags |= DT_RIGHT;
    else if (Panel->Alignment() == taCenter) flags |= DT_CENTER;
    // DT_VCENTER needs a single line, so the text is centred by hand.
    TRect measure = Rect;
    const Integer h = DrawTextW(canvas->Handle(), text, -1, measure, flags | DT_CALCRECT);
    TRect r = Rect;
    r.Top += (Rect.Bottom - Rect.Top - h) / 2;
    DrawTextW(canvas->Handle(), text, -1, r, flags);
}

void SetModified(TStatusBar* Bar, bool Value) {
    if (!Bar || !Bar->Owner()) return;
    Bar->Owner()->SetTag(Value ? 1 : 0);
    if (Bar->Panels()->Count() > 2) Bar->Panels()->Items(2)->SetText(Value ? kChanged : QString());
}

bool IsModified(TStatusBar* Bar) {
    return Bar && Bar->Owner() && (Bar->Owner()->Tag() & 0xFF) != 0;
}

bool ConfirmDiscard(TStatusBar* Bar, const QString& Msg) {
    if (!IsModified(Bar)) return true;
    auto* window = dynamic_cast<TWinControl*>(Bar->Owner());
    if (MessageBoxW(window, Msg, QStringLiteral("確認"), MB_YESNO) != IDYES) return false;
    SetModified(Bar, false);
    return true;
}

namespace {

// Clears an untagged box with its OnChange detached, then runs its exit
// handler and its update.
template <class Box>
void ClearBox(Box* box) {
    TNotifyEvent onChange = std::move(box->OnChange);
    box->OnChange = nullptr;
    box->Clear();
    box->OnChange = std::move(onChange);
    if (box->OnExit) box->OnExit(box);
    box->Update();
}

}  // namespace

void ClearSlip(TComponent* Owner) {
    if (!Owner) return;
    for (Integer i = 0; i < Owner->ComponentCount(); ++i) {
        TComponent* c = Owner->Components(i);
        if (auto* panel = dynamic_cast<TPanel*>(c)) {
            if (panel->Tag() == 0) panel->SetCaption(QString());
            if (panel->OnResize) panel->OnResize(panel);
        } else if (auto* label = dynamic_cast<TCustomLabel*>(c)) {
            if (label->Tag() == 0) label->SetCaption(QString());
            label->SetShowAccelChar(false);
        } else if (auto* box = dynamic_cast<TSEdit*>(c); box && box->Tag() == 0) {
            ClearBox(box);
        } else if (auto* edit = dynamic_cast<TEdit*>(c); edit && edit->Tag() == 0) {
            ClearBox(edit);
        }
        if (auto* control = dynamic_cast<TWinControl*>(c)) control->SetTabStop(false);
    }
}

// Every held Shift and Ctrl counts: the high bit tells, whatever the
// toggle bit says.
void RefireShiftCtrlState(TObject* Form) {
    auto* form = dynamic_cast<TForm*>(Form);
    if (!form || !form->OnKeyDown) return;
    TShiftState shift;
    if (IsHeld(VK_SHIFT)) shift << ssShift;
    if (IsHeld(VK_CONTROL)) shift << ssCtrl;
    Word key = 0;
    form->OnKeyDown(form, key, shift);
}
