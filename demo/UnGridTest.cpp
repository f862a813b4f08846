#include "UnGridTest.h"

#include "Dialogs.h"
#include "ExtCtrls.h"
#include "FnKeyBar.h"
#include "SBtn.h"
#include "SDBGrid.h"
#include "SEdit.h"
#include "StdCtrls.h"
#include "UnAVLabel.h"
#include "UnBarCode.h"
#include "UnCalc.h"
#include "UnDemo.h"
#include "UnDirectoryView.h"
#include "UnSEdit.h"
#include "UnShape.h"
#include "UnVLabel.h"

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

// Shift turns F6..F12, in this order, into launchers of the other
// demonstration windows, each shown modally. A window joins by giving its
// line a routine that shows it; a caption without one does nothing.
// The windows made at start-up; one that was not made opens nothing.
void OpenModal(TForm* form) {
    if (form) form->ShowModal();
}

struct Launcher {
    const char16_t* caption;
    std::function<void()> open;
};
const Launcher kLaunchers[] = {
    {u"ｺﾝﾎﾟ", [] { OpenModal(FrmDemo); }},
    {u"ﾌｧｲﾙ", [] { OpenModal(Form2); }},
    {u"ｼｪｰﾌﾟ", [] { OpenModal(Form3); }},
    {u"Vﾗﾍﾞﾙ", [] { OpenModal(FrmZvVLabel); }},
    {u"AVﾗﾍﾞﾙ", [] { OpenModal(FrmZvAVLabel); }},
    {u"ｴﾃﾞｨｯﾄ", ShowEditBoxWindow},
    {u"ﾊﾞｰｺｰﾄﾞ", [] { OpenModal(Form6); }},
};

// SBtnClick runs one click at a time.
bool busy = false;

// A cell's value by column title (0 for a title the grid lacks).
Currency CellCurrency(TSDBGrid* grid, const QString& title, Integer row) {
    const auto cell = grid->FieldByName(title, row);
    return cell ? cell->AsCurrency() : Currency();
}

Integer CellInteger(TSDBGrid* grid, const QString& title, Integer row) {
    const auto cell = grid->FieldByName(title, row);
    return cell ? cell->AsInteger() : 0;
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
    struct PanelLook {
        Integer width;
        TStatusPanelStyle style;
        QString text;
    };
    const PanelLook looks[] = {
        {80, psOwnerDraw, QString()},
        {112, psText, FormatDateTime(QStringLiteral("yyyy/mm/dd"), Date())},
        {50, psOwnerDraw, QString()},
        {140, psText, QString()},
        {canvas->TextWidth(maker) + 4, psText, maker},
        {100, psText, QString()},
    };
    bar->Panels()->Clear();
    for (const PanelLook& look : looks) {
        TStatusPanel* panel = bar->Panels()->Add();
        panel->SetWidth(look.width);
        panel->SetStyle(look.style);
        panel->SetAlignment(taCenter);
        panel->SetText(look.text);
    }
}

void sb1DrawPanel(TStatusBar* StatusBar, TStatusPanel* Panel, const TRect& Rect) {
    TCanvas* canvas = StatusBar->Canvas();
    const QString text = Panel->Text();
    const bool highlight = text == QStringLiteral("読込中") || text == kChanged;
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(highlight ? clYellow : StatusBar->Color());
    canvas->FillRect(Rect);
    const Cardinal flags = DT_VCENTER | DrawTextAlignment(Panel->Alignment());
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
    if (IsKeyHeld(VK_SHIFT)) shift << ssShift;
    if (IsKeyHeld(VK_CONTROL)) shift << ssCtrl;
    Word key = 0;
    form->OnKeyDown(form, key, shift);
}

// ------------------------------------------------------------ TForm1: showing

void TForm1::FormCreate(TObject*) {
    SDBGrid1->OnModified = [this](TObject* s, Integer c, Integer r, bool& a) { SDBGrid1Modified(s, c, r, a); };
    SDBGrid1->SetColCount(8);
    SDBGrid1->SetFixedCols(1);
    SDBGrid1->SetRowCount(10);
    SDBGrid1->SetFixedCols(1);
    setupColumns();
    SDBGrid1->SetAlign(alClient);
    SDBGrid1->SetCtl3D(false);
    SDBGrid1->SetDefaultDrawing(false);
    SDBGrid1->SetDefaultRowHeight(18);
    SDBGrid1->SetFixedColor(TColor(0x00B0D0B0));
    SDBGrid1->SetTwoToneColor(TColor(0x00F4F4F4));
    SDBGrid1->SetAlign(alClient);
    SetWidth(GetSystemMetrics(SM_CXSCREEN));
    SetHeight(GetSystemMetrics(SM_CYSCREEN));
    SDBGrid1->SetMaxRows(9);
    SDBGrid1->ResetRows(10, true);
    SDBGrid1->ResetRows(1, true);
    SDBGrid1->SetRow(SDBGrid1->FixedRows());
    SDBGrid1->MoveToFirstStayColumn(true);
    SDBGrid1->SetAutoAppendLine(true);
    SDBGrid1->SetAppendIfNull(true);
}

void TForm1::FormShow(TObject*) {
    SetWidth(760);
    SetHeight(463);
    Constraints()->SetMinWidth(760);
    Constraints()->SetMinHeight(463);
    for (Integer i = 0; i < ComponentCount(); ++i) {
        if (TEntryBox* box = TEntryBox::Of(dynamic_cast<TControl*>(Components(i)))) {
            box->SetmvLeft(nullptr);
            box->SetmvRight(nullptr);
            box->SetmvDown(nullptr);
            box->SetmvUp(nullptr);
        }
    }
    TStringList groups;
    groups.Add(Panel5->Name());
    BuildGroupNavigationMap(&groups, this, 8, 8);
    edtDenpyo->SetmvLeft(SDBGrid1);
    edtDenpyo->SetmvUp(SDBGrid1);
    edtDate->SetmvUp(SDBGrid1);
    edtJisyaTanto->SetmvUp(SDBGrid1);
    ScbSyubetu->SetmvUp(SDBGrid1);
    edtBiko1->SetmvRight(SDBGrid1);
    edtBiko1->SetmvDown(SDBGrid1);
    ClearSlip(this);
    SetupStatusBar(this);
    edtDate->SetAsDateTime(Date());
    RefireShiftCtrlState(this);
    SetCaption(QStringLiteral("Velmora・カスタムコンポーネント・デモ"));
}

// ------------------------------------------------------------ TForm1: function keys

void TForm1::SetFnCaptions(TObject*, Word&, TShiftState Shift) {
    const bool shift = Shift.Contains(ssShift);
    const bool ctrl = Shift.Contains(ssCtrl);
    std::array<QString, 12> captions;
    if (shift && !ctrl) {
        for (Integer i = 0; i < 7; ++i) captions[5 + i] = QString::fromUtf16(kLaunchers[i].caption);
    } else if (!shift && !ctrl) {
        captions[0] = kQuit;
        if (IsModified(sb1)) {
            captions[1] = kCancelSlip;
            captions[11] = kRegister;
        }
    }
    for (Integer n = 1; n <= 12; ++n) {
        FnButton(n)->SetCaption(captions[n - 1]);
        FitCaptionFont(FnButton(n), kFnFontHeight);
        FnButton(n)->SetGuide(QStringLiteral("F%1").arg(n));
    }
    if (!shift && !ctrl) announceFocused();
}

// A box's own F8 caption is the empty one just set; the grid's comes from
// its current column. Nothing else happens: a list is not dropped again.
void TForm1::announceFocused() {
    auto* grid = dynamic_cast<TSDBGrid*>(ActiveControl());
    if (!grid || !grid->OnSelectCell) return;
    bool canSelect = true;
    grid->OnSelectCell(grid, grid->Col(), grid->Row(), canSelect);
}

void TForm1::FormKeyDown(TObject* Sender, Word& Key, TShiftState Shift) {
    FnBarKeyDown(this, SBtn, Key, [&] { SetFnCaptions(Sender, Key, Shift); }, [this](TSBtn* b) { SBtnClick(b); });
}

void TForm1::FormKeyUp(TObject* Sender, Word& Key, TShiftState Shift) {
    FnBarKeyUp(SBtn, Key, [&] { SetFnCaptions(Sender, Key, Shift); });
}

void TForm1::SBtnClick(TObject* Sender) {
    if (busy) return;
    busy = true;
    // Whatever the click did, even when it raised: free for the next click,
    // captions for the keys held now, the default cursor.
    struct Finally {
        TForm1* form;
        std::weak_ptr<TControl*> guard;
        ~Finally() {
            busy = false;
            if (!guard.expired()) RefireShiftCtrlState(form);
            Screen->SetCursor(crDefault);
        }
    } finally{this, Guard()};
    if (Screen->Cursor() != crDefault) return;
    if (auto* button = dynamic_cast<TSBtn*>(Sender)) runButton(button);
}

void TForm1::runButton(TSBtn* Button) {
    const QString caption = Button->Caption();
    if (caption.isEmpty()) return;
    if (caption == kQuit) {
        if (ConfirmDiscard(sb1, QStringLiteral("内容が変更されていますが、終了してもよろしいですか？"))) Close();
        return;
    }
    if (caption == kCancelSlip) {
        cancelSlip();
        return;
    }
    for (const Launcher& launcher : kLaunchers) {
        if (caption != QString::fromUtf16(launcher.caption)) continue;
        if (launcher.open) launcher.open();
        return;
    }
    if (caption == kCalculator) calculatorFlow();
}

void TForm1::cancelSlip() {
    if (!ConfirmDiscard(sb1, QStringLiteral("内容が変更されていますが、よろしいですか？"))) return;
    ClearSlip(this);
    SDBGrid1->ResetRows(1, true);
    SetModified(sb1, false);
}

// F8 on the unit-price column: the calculator opens under the cell and its
// result goes into the cell; the line is recomputed without marking the
// voucher changed, and the cursor goes on to the remarks.
void TForm1::calculatorFlow() {
    const Integer col = SDBGrid1->Col();
    const Integer row = SDBGrid1->Row();
    TGridColumn* column = SDBGrid1->Column(col);
    if (!column) return;
    QString text;
    SDBGrid1->GetTextByName(column->Text(), row, text);
    QString result;
    ShowCalculator(SDBGrid1, text, result);
    if (Trim(result).isEmpty()) return;
    QString written;
    SDBGrid1->SetTextByName(column->Text(), row, written, result);
    if (SDBGrid1->OnModified) {
        bool accept = false;
        SDBGrid1->OnModified(SDBGrid1, col, row, accept);
    }
    SDBGrid1->SetCol(SDBGrid1->FieldIndex(kRemarks));
}

// Three groups of four buttons of the first button's size, the two gaps
// sharing the spare width.
void TForm1::PnlMenuResize(TObject*) {
    const Integer w = FnButton(1)->Width();
    const Integer h = FnButton(1)->Height();
    const Integer gap = (PnlMenu->ClientWidth() - 12 * w) / 2;
    const Integer top = (PnlMenu->ClientHeight() - h) / 2;
    Integer x = 0;
    for (Integer g = 0; g < 3; ++g) {
        for (Integer k = 1; k <= 4; ++k) {
            auto* button = dynamic_cast<TControl*>(FindComponent(QStringLiteral("SBtn%1").arg(4 * g + k)));
            if (button) button->SetBounds(x, top, w, h);
            x += w;
        }
        x += gap;
    }
}

// ------------------------------------------------------------ TForm1: boxes and grid

// An unchosen list drops down when its box is entered.
void TForm1::ControlEnter(TObject* Sender) {
    auto* combo = dynamic_cast<TSComboBox*>(Sender);
    if (combo && combo->ItemIndex() < 0) combo->SetDroppedDown(true);
    FnButton(8)->SetCaption(QString());
}

void TForm1::ControlExit(TObject*) {
    FnButton(8)->SetCaption(QString());
}

void TForm1::EditModifyEx(TObject*, bool&) {
    SetModified(sb1, true);
    RefireShiftCtrlState(this);
}

void TForm1::SDBGrid1SelectCell(TObject*, Integer ACol, Integer, bool&) {
    TGridColumn* column = SDBGrid1->Column(ACol);
    FnButton(8)->SetCaption(column && column->Text() == kPrice ? kCalculator : QString());
}

void TForm1::SDBGrid1OutOfCells(TObject*, crDirection Dir) {
    if (Dir == crFwd || Dir == crDown) edtDenpyo->SetFocus();
    else if (Dir == crRev || Dir == crUp) edtBiko1->SetFocus();
}

// ------------------------------------------------------------ TForm1: lines and totals

void TForm1::SDBGrid1Modified(TObject*, Integer ACol, Integer ARow, bool& Accept) {
    const auto guard = Guard();
    TGridColumn* column = SDBGrid1->Column(ACol);
    const bool computes = column && (column->Text() == kQuantity || column->Text() == kPrice);
    // An amount or a total that does not fit refuses the change.
    if (computes && !recomputeLine(ARow, column->Text() == kQuantity)) Accept = false;
    if (guard.expired()) return;
    if (Accept) SetModified(sb1, true);
    else SDBGrid1->RestoreOldData();
    RefireShiftCtrlState(this);
}

// The line is changed first (the amount is read back as the grid shows
// it); when a sum does not fit, the line's cells are put back. A quantity
// set to 0 clears the line; a price typed before any quantity keeps the
// line and leaves it without an amount.
bool TForm1::recomputeLine(Integer ARow, bool QuantityChanged) {
    QStringList before;
    for (Integer c = 0; c < SDBGrid1->ColCount(); ++c) before << SDBGrid1->Cells(c, ARow);
    const auto restore = [&] {
        for (Integer c = 0; c < SDBGrid1->ColCount(); ++c) SDBGrid1->SetCells(c, ARow, before[c]);
        return false;
    };
    const Integer qty = CellInteger(SDBGrid1, kQuantity, ARow);
    if (qty == 0 && QuantityChanged) {
        SDBGrid1->ClearRow(ARow);
    } else if (qty == 0) {
        SDBGrid1->SetCells(SDBGrid1->FieldIndex(kAmount), ARow, QString());
    } else {
        const Currency price = CellCurrency(SDBGrid1, kPrice, ARow);
        Currency amount;
        if (!Currency::TryMul(Currency(qty), price, amount)) return false;
        if (auto cell = SDBGrid1->FieldByName(kAmount, ARow)) cell->SetAsCurrency(amount);
        if (auto cell = SDBGrid1->FieldByName(kKind, ARow)) cell->SetAsInteger(qty > 0 ? 1 : 2);
    }
    return showTotals() || restore();
}

bool TForm1::showTotals() {
    Currency total;
    for (Integer r = SDBGrid1->FixedRows(); r < SDBGrid1->RowCount(); ++r) {
        if (!Currency::TryAdd(total, CellCurrency(SDBGrid1, kAmount, r), total)) return false;
    }
    Currency tax;
    Currency withTax;
    try {
        tax = CalcTax(kTaxKind, kTaxMode, total, Currency(kTaxRate));
    } catch (const EOverflow&) {
        return false;
    }
    if (!Currency::TryAdd(total, tax, withTax)) return false;
    LblGokei->SetCaption(FormatAmount(FloatToStr(total.ToExtended()), 0));
    LblSyohizei->SetCaption(FormatAmount(FloatToStr(tax.ToExtended()), 0));
    LblZGokei->SetCaption(FormatAmount(FloatToStr(withTax.ToExtended()), 0));
    return true;
}
