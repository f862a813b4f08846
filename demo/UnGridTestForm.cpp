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

// The settings every header box shares, framework properties first, then
// the box's own in their declared order.
TSEdit* TForm1::headerEdit(TPanel* host, const QString& name) {
    auto* box = MakeControl<TSEdit>(this, host, name, Bounds(1, 1, host->Width() - 2, host->Height() - 2));
    box->SetAutoSelect(false);
    box->SetTabStop(false);
    box->SetFirstPressClear(true);
    box->OnEnter = [this](TObject* s) { ControlEnter(s); };
    box->OnExit = [this](TObject* s) { ControlExit(s); };
    box->OnModifyEx = [this](TObject* s, bool& a) { EditModifyEx(s, a); };
    return box;
}

namespace {

// Digits in the fixed-pitch face: the width in half-width characters that
// the layout gives a box then holds them (the proportional face's digits
// are wider than half a character).
void DigitFont(TSEdit* box) {
    box->Font()->SetName(QStringLiteral("ＭＳ ゴシック"));
}

void FitCentred(TEntryBox* box) {
    box->SetFitToParent(true);
    box->SetHorizontalAlign(haCenter);
    box->SetVerticalAlign(vaCenter);
}

}  // namespace

void TForm1::buildHeader() {
    const auto caption = [this](const QString& name, const QString& text, Integer x, Integer row) {
        captionPanel(Panel5, name, text, Bounds(x, RowY(row), kCaptionWidth, kRowHeight));
    };

    caption(QStringLiteral("PnlCapDenpyo"), QStringLiteral("売上番号"), 6, 1);
    edtDenpyo = headerEdit(hostPanel(QStringLiteral("PnlDenpyo"), EditHost(78, 1, 60)),
                           QStringLiteral("edtDenpyo"));
    DigitFont(edtDenpyo);
    edtDenpyo->SetImeMode(imClose);
    edtDenpyo->SetMaxLength(6);
    edtDenpyo->SetAlignment(taRightJustify);
    edtDenpyo->SetCharTypes({});
    edtDenpyo->SetMaxValue(999999);
    edtDenpyo->SetMoveFullChar(true);
    edtDenpyo->SetNumericType(ntZeroFillInteger);
    edtDenpyo->SetTagC(1);
    edtDenpyo->SetDisplayWidth(6);
    FitCentred(edtDenpyo);

    caption(QStringLiteral("PnlCapDate"), QStringLiteral("売上日付"), 150, 1);
    edtDate = headerEdit(hostPanel(QStringLiteral("PnlDate"), EditHost(222, 1, 96)),
                         QStringLiteral("edtDate"));
    DigitFont(edtDate);
    edtDate->SetImeMode(imClose);
    edtDate->SetMaxLength(10);
    edtDate->SetAlignment(taRightJustify);
    edtDate->SetCharTypes({});
    edtDate->SetNumericType(ntDateymd);
    edtDate->SetTagC(1);
    edtDate->SetDisplayWidth(10);
    FitCentred(edtDate);

    caption(QStringLiteral("PnlCapJisyaTanto"), QStringLiteral("自社担当"), 330, 1);
    edtJisyaTanto = headerEdit(hostPanel(QStringLiteral("PnlJisyaTanto"), EditHost(402, 1, 30)),
                               QStringLiteral("edtJisyaTanto"));
    DigitFont(edtJisyaTanto);
    edtJisyaTanto->SetImeMode(imClose);
    edtJisyaTanto->SetMaxLength(2);
    edtJisyaTanto->SetAlignment(taRightJustify);
    edtJisyaTanto->SetCharTypes({});
    edtJisyaTanto->SetMaxValue(99);
    edtJisyaTanto->SetMoveFullChar(true);
    edtJisyaTanto->SetNumericType(ntZeroFillInteger);
    FitCentred(edtJisyaTanto);

    caption(QStringLiteral("PnlCapSyubetu"), QStringLiteral("伝票種別"), 444, 1);
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

    caption(QStringLiteral("PnlCapHeaderCode"), QStringLiteral("ｺｰﾄﾞ"), 6, 2);
    edtHeaderCode = headerEdit(hostPanel(QStringLiteral("PnlHeaderCode"), EditHost(78, 2, 44)),
                               QStringLiteral("edtHeaderCode"));
    DigitFont(edtHeaderCode);
    edtHeaderCode->SetImeMode(imClose);
    edtHeaderCode->SetMaxLength(4);
    edtHeaderCode->SetAlignment(taRightJustify);
    edtHeaderCode->SetCharTypes({});
    edtHeaderCode->SetMaxValue(9999);
    edtHeaderCode->SetMoveFullChar(true);
    edtHeaderCode->SetNumericType(ntZeroFillInteger);
    FitCentred(edtHeaderCode);

    caption(QStringLiteral("PnlCapHeaderMei"), QStringLiteral("名称"), 150, 2);
    edtHeaderMei = headerEdit(hostPanel(QStringLiteral("PnlHeaderMei"), EditHost(222, 2, 250)),
                              QStringLiteral("edtHeaderMei"));
    edtHeaderMei->SetMaxLength(30);
    edtHeaderMei->SetDisplayWidth(30);
    FitCentred(edtHeaderMei);

    lblStatus = MakeControl<TLabel>(this, Panel5, QStringLiteral("lblStatus"), Bounds(500, RowY(2) + 4, 240, 18));
    lblStatus->SetCaption(QStringLiteral("Shihtｷｰを押してみてください"));
    lblStatus->Font()->SetColor(clRed);
    lblStatus->SetTag(1);

    caption(QStringLiteral("PnlCapHeaderBusyo"), QStringLiteral("部署"), 6, 3);
    edtHeaderBusyo = headerEdit(hostPanel(QStringLiteral("PnlHeaderBusyo"), EditHost(78, 3, 250)),
                                QStringLiteral("edtHeaderBusyo"));
    edtHeaderBusyo->SetImeMode(imHira);
    edtHeaderBusyo->SetMaxLength(30);
    FitCentred(edtHeaderBusyo);

    caption(QStringLiteral("PnlCapHeaderTanto"), QStringLiteral("担当"), 340, 3);
    edtHeaderTanto = headerEdit(hostPanel(QStringLiteral("PnlHeaderTanto"), EditHost(412, 3, 60)),
                                QStringLiteral("edtHeaderTanto"));
    edtHeaderTanto->SetImeMode(imHira);
    edtHeaderTanto->SetMaxLength(6);
    FitCentred(edtHeaderTanto);

    caption(QStringLiteral("PnlCapBiko1"), QStringLiteral("備考"), 6, 4);
    edtBiko1 = headerEdit(hostPanel(QStringLiteral("PnlBiko1"), EditHost(78, 4, 490)),
                          QStringLiteral("edtBiko1"));
    edtBiko1->SetImeMode(imHira);
    edtBiko1->SetMaxLength(60);
    edtBiko1->SetDisplayWidth(60);
    FitCentred(edtBiko1);
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
    captionPanel(PnlTotal, QStringLiteral("PnlCapGokei"), QStringLiteral("合計"), Bounds(212, 2, 64, 24));
    LblGokei = total(QStringLiteral("LblGokei"), 276, 112);
    captionPanel(PnlTotal, QStringLiteral("PnlCapSyohizei"), QStringLiteral("消費税"), Bounds(392, 2, 64, 24));
    LblSyohizei = total(QStringLiteral("LblSyohizei"), 456, 96);
    captionPanel(PnlTotal, QStringLiteral("PnlCapZGokei"), QStringLiteral("税込合計"), Bounds(556, 2, 72, 24));
    LblZGokei = total(QStringLiteral("LblZGokei"), 628, 120);
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
        button->Font()->SetHeight(-17);
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
    c->SetfpLength(1);
    c->SetAlignment(taRightJustify);
    c->SetCharTypes({ctgConmma});

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
