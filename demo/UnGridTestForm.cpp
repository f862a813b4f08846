// The voucher window's form resource, built in code: its controls and
// their settings in the order a form file holds them, set inside the
// loading bracket so that every setter behaves as when the form is read.
//
// Geometry (client 752 x 446). The header block Panel5 (151 high) holds
// five rows on a 28-pixel pitch from y 6: a caption panel 72 wide, then the
// panel that hosts a box (the box sizes it). The rows decide the keyboard
// order the navigation map derives from the positions:
//   row 1  売上番号 edtDenpyo, 売上日付 edtDate, 自社担当 edtJisyaTanto, 伝票種別 ScbSyubetu
//   row 2  ｺｰﾄﾞ edtHeaderCode, 名称 edtHeaderMei, and the Shift hint
//   row 3  部署 edtHeaderBusyo, 担当 edtHeaderTanto; 締日, 請求, 税区 at the right
//   row 4  備考 edtBiko1; 払日, 端数 at the right
//   row 5  伝票枚数, 登録数, 作成日, 更新日 (display only)
// Below: the grid (alClient), the totals row (28 high), the function-key
// bar (37 high, buttons 61 x 35) and the status bar.
#include "UnGridTest.h"

#include "ExtCtrls.h"
#include "FormBuild.h"
#include "SBtn.h"
#include "SDBGrid.h"
#include "SEdit.h"
#include "StdCtrls.h"

namespace {

constexpr TColor kCaptionColor = TColor(0x00B0D0B0);  // the grid's title colour
constexpr Integer kRowTop = 6;
constexpr Integer kRowPitch = 28;
constexpr Integer kRowHeight = 24;
constexpr Integer kCaptionWidth = 72;
constexpr Integer kInfoCaptionWidth = 44;
constexpr Integer kInfoValueWidth = 36;

constexpr Integer RowY(Integer row) { return kRowTop + kRowPitch * (row - 1); }
// The boxes size their host panels (an edit box 18 high, a combo box 26):
// hosts stand centred on the row's captions, so that every box of a row
// has the same vertical centre, which puts them in one row of the
// navigation map.
constexpr Integer kEditHostTop = 3;
constexpr Integer kComboHostTop = -1;

constexpr TRect EditHost(Integer x, Integer row, Integer width) {
    return Bounds(x, RowY(row) + kEditHostTop, width, 18);
}

}  // namespace

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) {
    BeginLoading();
    buildForm();
    EndLoading();
}

void TForm1::buildForm() {
    SetName(QStringLiteral("Form1"));
    SetCaption(QStringLiteral("カスタムコンポーネント・デモ"));
    SetClientSize(752, 446);
    Font()->SetHeight(-15);
    Font()->SetName(QStringLiteral("ＭＳ Ｐゴシック"));
    SetKeyPreview(true);
    SetPosition(poScreenCenter);
    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnKeyDown = [this](TObject* s, Word& k, TShiftState sh) { FormKeyDown(s, k, sh); };
    OnKeyUp = [this](TObject* s, Word& k, TShiftState sh) { FormKeyUp(s, k, sh); };
    OnShow = [this](TObject* s) { FormShow(s); };

    Panel5 = MakeControl<TPanel>(this, this, QStringLiteral("Panel5"), Bounds(0, 0, 752, 151));
    Panel5->SetAlign(alTop);
    Panel5->SetTag(1);
    buildHeader();
    buildHeaderInfo();
    buildTotals();
    buildFnKeys();
    sb1 = MakeControl<TStatusBar>(this, this, QStringLiteral("sb1"), Bounds(0, 427, 752, 19));
    sb1->OnDrawPanel = sb1DrawPanel;
    buildGrid();
    SetActiveControl(edtDenpyo);
}

// ------------------------------------------------------------ header

TPanel* TForm1::captionPanel(TWinControl* parent, const QString& name, const QString& caption, const TRect& bounds) {
    auto* panel = MakeControl<TPanel>(this, parent, name, bounds);
    panel->SetCaption(caption);
    panel->SetColor(kCaptionColor);
    panel->SetParentBackground(false);
    panel->SetTag(1);
    return panel;
}

TPanel* TForm1::valuePanel(TWinControl* parent, const QString& name, const TRect& bounds) {
    auto* panel = MakeControl<TPanel>(this, parent, name, bounds);
    panel->SetBevelOuter(bvLowered);
    panel->SetColor(clWindow);
    panel->SetParentBackground(false);
    return panel;
}

TPanel* TForm1::hostPanel(const QString& name, const TRect& bounds) {
    auto* panel = MakeControl<TPanel>(this, Panel5, name, bounds);
    panel->SetBevelOuter(bvLowered);
    panel->SetParentBackground(false);
    panel->SetTag(1);
    return panel;
}

// A header edit box, its caption to the left and the panel that hosts it.
// A setting left at its default here is not set at all; a digit box shows
// fixed-pitch digits, right-aligned, with no sign, point or separator.
struct TForm1::HeaderBox {
    TSEdit* TForm1::*box;
    const char16_t* stem;  // the box is "edt" + stem, its panels "PnlCap"/"Pnl" + stem
    const char16_t* caption;
    Integer x;      // of the caption; the host follows it
    Integer row;
    Integer width;  // of the host
    Integer maxLength;
    bool digits = false;
    TImeMode imeMode = imDontCare;
    Int64 maxValue = 0;
    bool moveFullChar = false;
    TNumericType numericType = ntDontCare;
    Integer tagC = 0;
    Integer displayWidth = 0;
};

namespace {

void FitCentred(TEntryBox* box) {
    box->SetFitToParent(true);
    box->SetHorizontalAlign(haCenter);
    box->SetVerticalAlign(vaCenter);
}

}  // namespace

// The settings every header box shares, framework properties first, then
// the box's own in their declared order.
void TForm1::headerEdit(const HeaderBox& b) {
    const QString stem = QString::fromUtf16(b.stem);
    captionPanel(Panel5, QStringLiteral("PnlCap") + stem, QString::fromUtf16(b.caption),
                 Bounds(b.x, RowY(b.row), kCaptionWidth, kRowHeight));
    TPanel* host = hostPanel(QStringLiteral("Pnl") + stem, EditHost(b.x + kCaptionWidth, b.row, b.width));
    auto* box = MakeControl<TSEdit>(this, host, QStringLiteral("edt") + stem,
                                    Bounds(1, 1, host->Width() - 2, host->Height() - 2));
    box->SetAutoSelect(false);
    box->SetTabStop(false);
    box->SetFirstPressClear(true);
    box->OnEnter = [this](TObject* s) { ControlEnter(s); };
    box->OnExit = [this](TObject* s) { ControlExit(s); };
    box->OnModifyEx = [this](TObject* s, bool& a) { EditModifyEx(s, a); };
    // The fixed-pitch face's digits are half a character wide, so the
    // width the layout gives a box for N characters holds N digits.
    if (b.digits) box->Font()->SetName(QStringLiteral("ＭＳ ゴシック"));
    if (b.imeMode != imDontCare) box->SetImeMode(b.imeMode);
    box->SetMaxLength(b.maxLength);
    if (b.digits) {
        box->SetAlignment(taRightJustify);
        box->SetCharTypes({});
    }
    if (b.maxValue != 0) box->SetMaxValue(b.maxValue);
    if (b.moveFullChar) box->SetMoveFullChar(true);
    if (b.numericType != ntDontCare) box->SetNumericType(b.numericType);
    if (b.tagC != 0) box->SetTagC(b.tagC);
    if (b.displayWidth != 0) box->SetDisplayWidth(b.displayWidth);
    FitCentred(box);
    this->*b.box = box;
}

// Row by row: the row's boxes, then what ends the row (the type list, the
// Shift hint).
void TForm1::buildHeader() {
    static constexpr HeaderBox kHeaderBoxes[] = {
        {.box = &TForm1::edtDenpyo, .stem = u"Denpyo", .caption = u"売上番号", .x = 6, .row = 1, .width = 60,
         .maxLength = 6, .digits = true, .imeMode = imClose, .maxValue = 999999, .moveFullChar = true,
         .numericType = ntZeroFillInteger, .tagC = 1, .displayWidth = 6},
        {.box = &TForm1::edtDate, .stem = u"Date", .caption = u"売上日付", .x = 150, .row = 1, .width = 96,
         .maxLength = 10, .digits = true, .imeMode = imClose, .numericType = ntDateymd, .tagC = 1,
         .displayWidth = 10},
        {.box = &TForm1::edtJisyaTanto, .stem = u"JisyaTanto", .caption = u"自社担当", .x = 330, .row = 1,
         .width = 30, .maxLength = 2, .digits = true, .imeMode = imClose, .maxValue = 99, .moveFullChar = true,
         .numericType = ntZeroFillInteger},
        {.box = &TForm1::edtHeaderCode, .stem = u"HeaderCode", .caption = u"ｺｰﾄﾞ", .x = 6, .row = 2, .width = 44,
         .maxLength = 4, .digits = true, .imeMode = imClose, .maxValue = 9999, .moveFullChar = true,
         .numericType = ntZeroFillInteger},
        {.box = &TForm1::edtHeaderMei, .stem = u"HeaderMei", .caption = u"名称", .x = 150, .row = 2, .width = 250,
         .maxLength = 30, .displayWidth = 30},
        {.box = &TForm1::edtHeaderBusyo, .stem = u"HeaderBusyo", .caption = u"部署", .x = 6, .row = 3,
         .width = 250, .maxLength = 30, .imeMode = imHira},
        {.box = &TForm1::edtHeaderTanto, .stem = u"HeaderTanto", .caption = u"担当", .x = 340, .row = 3,
         .width = 60, .maxLength = 6, .imeMode = imHira},
        {.box = &TForm1::edtBiko1, .stem = u"Biko1", .caption = u"備考", .x = 6, .row = 4, .width = 490,
         .maxLength = 60, .imeMode = imHira, .displayWidth = 60},
    };
    for (Integer row = 1; row <= 4; ++row) {
        for (const HeaderBox& b : kHeaderBoxes) {
            if (b.row == row) headerEdit(b);
        }
        if (row == 1) buildSyubetu();
        if (row == 2) buildShiftHint();
    }
}

void TForm1::buildSyubetu() {
    captionPanel(Panel5, QStringLiteral("PnlCapSyubetu"), QStringLiteral("伝票種別"),
                 Bounds(444, RowY(1), kCaptionWidth, kRowHeight));
    TPanel* syubetu = hostPanel(QStringLiteral("PnlSyubetu"), Bounds(516, RowY(1) + kComboHostTop, 80, 26));
    ScbSyubetu = MakeControl<TSComboBox>(this, syubetu, QStringLiteral("ScbSyubetu"), Bounds(1, 1, 78, 22));
    ScbSyubetu->SetImeMode(imClose);
    ScbSyubetu->Items()->Add(QStringLiteral("売上"));
    ScbSyubetu->Items()->Add(QStringLiteral("返品"));
    ScbSyubetu->SetStyle(csDropDownList);
    ScbSyubetu->SetTabStop(false);
    ScbSyubetu->SetFlat(true);
    ScbSyubetu->SetTagC(11);
    FitCentred(ScbSyubetu);
    ScbSyubetu->OnEnter = [this](TObject* s) { ControlEnter(s); };
    ScbSyubetu->OnExit = [this](TObject* s) { ControlExit(s); };
    ScbSyubetu->OnModifyEx = [this](TObject* s, bool& a) { EditModifyEx(s, a); };
}

void TForm1::buildShiftHint() {
    lblStatus = MakeControl<TLabel>(this, Panel5, QStringLiteral("lblStatus"), Bounds(500, RowY(2) + 4, 240, 18));
    lblStatus->SetCaption(QStringLiteral("Shihtｷｰを押してみてください"));
    lblStatus->Font()->SetColor(clRed);
    lblStatus->SetTag(1);
}

// Customer facts beside the boxes and the voucher's own facts below them:
// shown only, emptied when the window is prepared.
void TForm1::buildHeaderInfo() {
    struct Info {
        const char16_t* name;
        const char16_t* caption;
        Integer x;
        Integer row;
        Integer captionWidth;
        Integer valueWidth;
    };
    const Info infos[] = {
        {u"Simebi", u"締日", 500, 3, kInfoCaptionWidth, kInfoValueWidth},
        {u"Seikyu", u"請求", 584, 3, kInfoCaptionWidth, kInfoValueWidth},
        {u"Zeiku", u"税区", 668, 3, kInfoCaptionWidth, kInfoValueWidth},
        {u"Haraibi", u"払日", 584, 4, kInfoCaptionWidth, kInfoValueWidth},
        {u"Hasu", u"端数", 668, 4, kInfoCaptionWidth, kInfoValueWidth},
        {u"Maisu", u"伝票枚数", 6, 5, kCaptionWidth, 60},
        {u"Torokusu", u"登録数", 150, 5, kCaptionWidth, 60},
        {u"Sakuseibi", u"作成日", 330, 5, kCaptionWidth, 96},
        {u"Koshinbi", u"更新日", 514, 5, kCaptionWidth, 96},
    };
    for (const Info& info : infos) {
        const QString name = QString::fromUtf16(info.name);
        captionPanel(Panel5, QStringLiteral("PnlCap") + name, QString::fromUtf16(info.caption),
                     Bounds(info.x, RowY(info.row), info.captionWidth, kRowHeight));
        valuePanel(Panel5, QStringLiteral("Pnl") + name,
                   Bounds(info.x + info.captionWidth, RowY(info.row), info.valueWidth, kRowHeight));
    }
}

// ------------------------------------------------------------ totals, keys, grid

void TForm1::buildTotals() {
    PnlTotal = MakeControl<TPanel>(this, this, QStringLiteral("PnlTotal"), Bounds(0, 362, 752, 28));
    PnlTotal->SetAlign(alBottom);
    PnlTotal->SetTag(1);
    const auto total = [this](const QString& name, Integer x, Integer width) {
        TPanel* panel = valuePanel(PnlTotal, name, Bounds(x, 2, width, 24));
        panel->SetAlignment(taRightJustify);
        panel->Font()->SetStyle({fsBold});
        panel->Font()->SetColor(clNavy);
        return panel;
    };
    // Each box shows the widest total whole: 15 digits with their commas
    // and a minus for the total and the total with tax, 14 for the tax.
    captionPanel(PnlTotal, QStringLiteral("PnlCapGokei"), QStringLiteral("合計"), Bounds(2, 2, 60, 24));
    LblGokei = total(QStringLiteral("LblGokei"), 62, 184);
    captionPanel(PnlTotal, QStringLiteral("PnlCapSyohizei"), QStringLiteral("消費税"), Bounds(250, 2, 60, 24));
    LblSyohizei = total(QStringLiteral("LblSyohizei"), 310, 172);
    captionPanel(PnlTotal, QStringLiteral("PnlCapZGokei"), QStringLiteral("税込合計"), Bounds(486, 2, 72, 24));
    LblZGokei = total(QStringLiteral("LblZGokei"), 558, 184);
}

void TForm1::buildFnKeys() {
    PnlMenu = MakeControl<TPanel>(this, this, QStringLiteral("PnlMenu"), Bounds(0, 390, 752, 37));
    PnlMenu->SetAlign(alBottom);
    PnlMenu->SetBevelOuter(bvNone);
    PnlMenu->SetTag(1);
    PnlMenu->OnResize = [this](TObject* s) { PnlMenuResize(s); };
    for (Integer n = 1; n <= 12; ++n) {
        auto* button = MakeControl<TSBtn>(this, PnlMenu, QStringLiteral("SBtn%1").arg(n),
                                          Bounds(61 * (n - 1), 1, 61, 35));
        button->SetAllowAllUp(true);
        if (n == 1) button->SetCaption(QStringLiteral("終了"));
        button->Font()->SetHeight(kFnFontHeight);
        button->Font()->SetName(QStringLiteral("ＭＳ Ｐゴシック"));
        button->SetLayout(blGlyphTop);
        button->SetTransparent(false);
        button->SetGradientType(gtNormal);
        button->SetGradientEndColor(clBtnFace);
        button->SetGuide(QStringLiteral("F%1").arg(n));
        button->SetGuideFontHeight(-13);
        button->OnClick = [this](TObject* s) { SBtnClick(s); };
        SBtn[n - 1] = button;
    }
}

void TForm1::buildGrid() {
    SDBGrid1 = MakeControl<TSDBGrid>(this, this, QStringLiteral("SDBGrid1"), Bounds(0, 151, 752, 211));
    SDBGrid1->SetAlign(alClient);
    SDBGrid1->OnModified = [this](TObject* s, Integer c, Integer r, bool& a) { SDBGrid1Modified(s, c, r, a); };
    SDBGrid1->OnSelectCell = [this](TObject* s, Integer c, Integer r, bool& can) { SDBGrid1SelectCell(s, c, r, can); };
    SDBGrid1->OnOutOfCells = [this](TObject* s, crDirection d) { SDBGrid1OutOfCells(s, d); };
}

// The eight columns, each setting in turn; the kind comes before the
// limits because setting the kind resets them.
void TForm1::setupColumns() {
    TGridColumns* columns = SDBGrid1->GridColumns();
    const TSExitKeys allKeys{ekgReturn, ekgRight, ekgLeft, ekgUp, ekgDown, ekgTab};
    const TColor cream = TColor(0x00E0FBFE);
    const TColor blue = TColor(0x00FF0000);

    TGridColumn* c = columns->Items(0);
    c->SetText(QStringLiteral("行番"));
    c->SetWidth(32);
    c->SetNumericType(ntgZeroFillInteger);
    c->SetMaxValue(999);
    c->SetAlignment(taCenter);
    c->SetAutoSequence(1);

    c = columns->Items(1);
    c->SetText(QStringLiteral("伝種"));
    c->SetWidth(32);
    c->SetNumericType(ntgInteger);
    c->SetMinValue(0);
    c->SetMaxValue(2);
    c->SetAlignment(taCenter);
    c->SetStay(false);
    c->SetCellColor(cream);
    c->SetCellFontColor(blue);
    c->Lookup()->Clear();
    c->Lookup()->Add(QString());
    c->Lookup()->Add(QStringLiteral("売上"));
    c->Lookup()->Add(QStringLiteral("返品"));

    c = columns->Items(2);
    c->SetText(QStringLiteral("品番"));
    c->SetWidth(48);
    c->SetNumericType(ntgZeroFillInteger);
    c->SetAlignment(taRightJustify);
    c->SetCharTypes({});
    c->SetFixedKeys(allKeys);

    c = columns->Items(3);
    c->SetText(QStringLiteral("品名"));
    c->SetWidth(180);
    c->SetNumericType(ntgDontCare);
    c->SetfpLength(0);
    c->SetAlignment(taLeftJustify);
    c->SetCharTypes({ctgPeriod, ctgMinus});
    c->SetImeMode(imHira);
    c->SetFixedKeys(allKeys);

    c = columns->Items(4);
    c->SetText(QStringLiteral("数量"));
    c->SetWidth(64);
    c->SetNumericType(ntgInteger);
    c->SetAlignment(taRightJustify);
    c->SetCharTypes({ctgConmma});
    c->SetFixedKeys(allKeys);

    c = columns->Items(5);
    c->SetText(QStringLiteral("単価"));
    c->SetWidth(80);
    c->SetNumericType(ntgCurrency);
    // Grouping first: set after the decimals, it would take the period and
    // with it the decimal.
    c->SetCharTypes({ctgConmma});
    c->SetfpLength(1);
    c->SetAlignment(taRightJustify);

    c = columns->Items(6);
    c->SetText(QStringLiteral("金額"));
    c->SetWidth(120);
    c->SetNumericType(ntgCurrency);
    c->SetfpLength(0);
    c->SetAlignment(taRightJustify);
    c->SetCharTypes({ctgConmma});
    c->SetStay(false);
    c->SetCellColor(cream);
    c->SetCellFontColor(blue);

    c = columns->Items(7);
    c->SetText(QStringLiteral("備考"));
    c->SetNumericType(ntgDontCare);
    c->SetMaxLength(10);
    c->SetCharTypes({ctgMinus});
    c->SetAutoSize(true);
    c->SetImeMode(imHira);
    c->SetFixedKeys(allKeys);

    const Integer height = SDBGrid1->Font()->Height();
    for (Integer i = 0; i < columns->Count(); ++i) {
        columns->Items(i)->SetFontHeight(height);
        columns->Items(i)->SetCellFontHeight(height);
    }
}
