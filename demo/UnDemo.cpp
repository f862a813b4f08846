// Layout (client 781 x 493, "MS UI Gothic" 17 pixels). Each control stands
// under a caption panel 24 high:
//   left, x 4..384    the grid (y 28, 150 high, three columns), the two
//                     edit boxes (y 212), "伝票種別" and the two combo boxes
//                     (y 272), the texture panel with its label (y 306..430)
//   right, x 392..776 the QR code and the barcode (y 28, 150 high, the
//                     barcode under the even label "12種バーコード"), the
//                     shape, the rotated label and two even labels (y 186..)
// Below: the function-key bar (37 high, buttons 61 x 35) and the status bar.
#include "UnDemo.h"

#include "CBarCode.h"
#include "ComCtrls.h"
#include "DemoTextures.h"
#include "ExtCtrls.h"
#include "FnKeyBar.h"
#include "FormBuild.h"
#include "SBtn.h"
#include "SDBGrid.h"
#include "SEdit.h"
#include "StdCtrls.h"
#include "ZvFormUtils.h"
#include "ZvStdCtrls.h"

TFrmDemo* FrmDemo = nullptr;

namespace {

constexpr TColor kCaptionColor = TColor(0x00B0D0B0);
const QString kClose = QStringLiteral("閉じる");

// SBtnClick runs one click at a time.
bool busy = false;

}  // namespace

TFrmDemo::TFrmDemo(TComponent* AOwner) : TForm(AOwner) {
    BeginLoading();
    buildForm();
    EndLoading();
}

void TFrmDemo::buildForm() {
    SetName(QStringLiteral("FrmDemo"));
    SetCaption(QStringLiteral("コンポーネント一覧"));
    SetClientSize(781, 493);
    Font()->SetName(QStringLiteral("MS UI Gothic"));
    Font()->SetHeight(-17);
    SetKeyPreview(true);
    SetPosition(poScreenCenter);
    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnShow = [this](TObject* s) { FormShow(s); };
    OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
    OnKeyDown = [this](TObject* s, Word& k, TShiftState sh) { FormKeyDown(s, k, sh); };
    OnKeyUp = [this](TObject* s, Word& k, TShiftState sh) { FormKeyUp(s, k, sh); };

    buildGrid();
    buildCodes();
    buildLabels();
    buildBoxes();
    buildTexture();
    buildFnKeys();
    sb1 = MakeControl<TStatusBar>(this, this, QStringLiteral("sb1"), Bounds(0, 473, 781, 20));
    sb1->SetAlign(alBottom);
    sb1->Panels()->Add()->SetWidth(200);
    sb1->Panels()->Add()->SetWidth(200);
}

TPanel* TFrmDemo::captionPanel(const QString& name, const QString& caption, const TRect& bounds) {
    auto* panel = MakeControl<TPanel>(this, this, name, bounds);
    panel->SetCaption(caption);
    panel->SetColor(kCaptionColor);
    panel->SetParentBackground(false);
    panel->SetTag(1);
    return panel;
}

TPanel* TFrmDemo::hostPanel(const QString& name, const TRect& bounds) {
    auto* panel = MakeControl<TPanel>(this, this, name, bounds);
    panel->SetBevelOuter(bvLowered);
    panel->SetParentBackground(false);
    panel->SetTag(1);
    return panel;
}

void TFrmDemo::buildGrid() {
    captionPanel(QStringLiteral("Panel1"), QStringLiteral("書式／フォーカス制御 ストリング グリッド"), Bounds(4, 4, 380, 24));
    SDBGrid1 = MakeControl<TSDBGrid>(this, this, QStringLiteral("SDBGrid1"), Bounds(4, 28, 380, 150));
    SDBGrid1->SetColCount(4);
    SDBGrid1->SetFixedCols(1);
    SDBGrid1->SetRowCount(6);
    SDBGrid1->SetDefaultRowHeight(22);
    SDBGrid1->SetFixedColor(kCaptionColor);
    TGridColumns* columns = SDBGrid1->GridColumns();
    TGridColumn* c = columns->Items(0);
    c->SetText(QStringLiteral("行"));
    c->SetWidth(32);
    c->SetNumericType(ntgZeroFillInteger);
    c->SetMaxValue(99);
    c->SetAlignment(taCenter);
    c->SetAutoSequence(1);
    c = columns->Items(1);
    c->SetText(QStringLiteral("品名"));
    c->SetWidth(150);
    c = columns->Items(2);
    c->SetText(QStringLiteral("数量"));
    c->SetWidth(80);
    c->SetNumericType(ntgInteger);
    c->SetMaxValue(99999);
    c->SetAlignment(taRightJustify);
    c = columns->Items(3);
    c->SetText(QStringLiteral("日付"));
    c->SetWidth(110);
    c->SetNumericType(ntgDateymd);
}

void TFrmDemo::buildCodes() {
    captionPanel(QStringLiteral("Panel2"), QStringLiteral("QRコード モデル2 "), Bounds(392, 4, 180, 24));
    CQRImage1 = MakeControl<TCQRImage>(this, this, QStringLiteral("CQRImage1"), Bounds(392, 28, 180, 150));
    CQRImage1->SetCellSize(3);
    CQRImage1->SetText(QStringLiteral("祥Velmora"));
    CQRImage1->SetTag(1);
    ZvAVLabel1 = MakeControl<TZvAVLabel>(this, this, QStringLiteral("ZvAVLabel1"), Bounds(580, 4, 196, 24));
    ZvAVLabel1->SetAutoSize(false);
    ZvAVLabel1->SetTransparent(false);
    ZvAVLabel1->SetColor(kCaptionColor);
    ZvAVLabel1->SetAVPitch(true);
    ZvAVLabel1->SetLayout(tlCenter);
    ZvAVLabel1->SetCaption(QStringLiteral("12種バーコード"));
    ZvAVLabel1->SetTag(1);
    CBarImage1 = MakeControl<TCBarImage>(this, this, QStringLiteral("CBarImage1"), Bounds(580, 28, 196, 150));
    CBarImage1->SetText(QStringLiteral("123456789012"));
    CBarImage1->SetTag(1);
}

void TFrmDemo::buildLabels() {
    captionPanel(QStringLiteral("Panel3"), QStringLiteral("シェイプ・ラベル"), Bounds(392, 186, 384, 24));
    ZvShape1 = MakeControl<TZvShape>(this, this, QStringLiteral("ZvShape1"), Bounds(392, 214, 100, 100));
    ZvShape1->SetShape(TZvShapeType::stcLeftBottom);
    ZvShape1->Pen()->SetWidth(3);
    ZvShape1->Pen()->SetColor(clNavy);
    ZvShape1->SetTag(1);
    ZvVLabel1 = MakeControl<TZvVLabel>(this, this, QStringLiteral("ZvVLabel1"), Bounds(500, 214, 28, 100));
    ZvVLabel1->SetAutoSize(false);
    ZvVLabel1->SetAngle(TVLabelAngle::va90);
    ZvVLabel1->SetCaption(QStringLiteral("回転ラベル"));
    ZvVLabel1->SetTag(1);
    const TShadowType shadows[] = {TShadowType::stRightBottom, TShadowType::stLeftTop};
    TZvAVLabel** labels[] = {&ZvAVLabel2, &ZvAVLabel3};
    for (Integer i = 0; i < 2; ++i) {
        auto* label = MakeControl<TZvAVLabel>(this, this, QStringLiteral("ZvAVLabel%1").arg(i + 2),
                                              Bounds(540, 218 + 48 * i, 236, 40));
        label->SetAutoSize(false);
        label->SetAVPitch(i == 0);
        label->SetLayout(tlCenter);
        label->Font()->SetHeight(-22);
        label->Font()->SetColor(clNavy);
        label->SetShadowType(shadows[i]);
        label->SetShadowColor(clSilver);
        label->SetShadowWidth(2);
        label->SetCaption(QStringLiteral("均等ラベル"));
        label->SetTag(1);
        *labels[i] = label;
    }
}

void TFrmDemo::buildBoxes() {
    captionPanel(QStringLiteral("Panel4"), QStringLiteral("書式／フォーカス制御 エディット"), Bounds(4, 184, 380, 24));
    SEdit1 = MakeControl<TSEdit>(this, hostPanel(QStringLiteral("Panel5"), Bounds(4, 212, 186, 26)),
                                 QStringLiteral("SEdit1"), Bounds(1, 1, 184, 24));
    SEdit1->SetNumericType(ntCurrency);
    SEdit1->SetMaxValue(999999999);  // a limit of 0 refuses every amount and keeps the focus
    SEdit1->SetFitToParent(true);
    SEdit2 = MakeControl<TSEdit>(this, hostPanel(QStringLiteral("Panel6"), Bounds(198, 212, 186, 26)),
                                 QStringLiteral("SEdit2"), Bounds(1, 1, 184, 24));
    SEdit2->SetNumericType(ntDateymd);
    SEdit2->SetFitToParent(true);

    captionPanel(QStringLiteral("Panel7"), QStringLiteral("フォーカス制御 コンボボックス"), Bounds(4, 244, 380, 24));
    captionPanel(QStringLiteral("Panel8"), QStringLiteral("伝票種別"), Bounds(4, 272, 80, 26));
    TSComboBox** boxes[] = {&SComboBox1, &SComboBox2};
    for (Integer i = 0; i < 2; ++i) {
        TPanel* host = hostPanel(QStringLiteral("Panel%1").arg(9 + i), Bounds(88 + 150 * i, 272, 140, 26));
        auto* box = MakeControl<TSComboBox>(this, host, QStringLiteral("SComboBox%1").arg(i + 1), Bounds(1, 1, 138, 24));
        box->Items()->Add(QStringLiteral("売上"));
        box->Items()->Add(QStringLiteral("返品"));
        box->SetFitToParent(true);
        *boxes[i] = box;
    }
}

void TFrmDemo::buildTexture() {
    TexturePanel1 = MakeControl<TTexturePanel>(this, this, QStringLiteral("TexturePanel1"), Bounds(4, 306, 380, 124));
    TexturePanel1->SetAlignment(taLeftJustify);
    TexturePanel1->SetBevelInner(bvLowered);
    LoadDemoTexture(TexturePanel1->Texture(), QStringLiteral("weave"));
    TexturePanel1->SetCaption(QStringLiteral(" テクスチャ パネル"));
    TexturePanel1->SetTag(1);
    TextureLabel1 = MakeControl<TTextureLabel>(this, TexturePanel1, QStringLiteral("TextureLabel1"),
                                               Bounds(190, 80, 170, 28));
    TextureLabel1->SetTransparent(false);
    TextureLabel1->SetLayout(tlCenter);
    LoadDemoTexture(TextureLabel1->Texture(), QStringLiteral("sand"));
    TextureLabel1->SetCaption(QStringLiteral(" テクスチャ ラベル"));
    TextureLabel1->SetTag(1);
}

void TFrmDemo::buildFnKeys() {
    PnlMenu = MakeControl<TPanel>(this, this, QStringLiteral("PnlMenu"), Bounds(0, 436, 781, 37));
    PnlMenu->SetAlign(alBottom);
    PnlMenu->SetBevelOuter(bvNone);
    PnlMenu->SetTag(1);
    PnlMenu->OnResize = [this](TObject* s) { PnlMenuResize(s); };
    for (Integer n = 1; n <= 12; ++n) {
        auto* button = MakeControl<TSBtn>(this, PnlMenu, QStringLiteral("SBtn%1").arg(n), Bounds(61 * (n - 1), 1, 61, 35));
        button->SetAllowAllUp(true);
        if (n == 1) button->SetCaption(QStringLiteral("終了"));
        button->Font()->SetHeight(-17);
        button->Font()->SetName(QStringLiteral("ＭＳ Ｐゴシック"));
        button->SetLayout(blGlyphTop);
        button->SetGuide(QStringLiteral("F%1").arg(n));
        button->SetGuideFontHeight(-13);
        button->OnClick = [this](TObject* s) { SBtnClick(s); };
        SBtn[n - 1] = button;
    }
}

void TFrmDemo::FormCreate(TObject*) { InitFormControls(this); }

// A button held down by a key when the window last closed comes up again.
void TFrmDemo::FormShow(TObject*) { releaseButtons(); }

void TFrmDemo::FormClose(TObject*, TCloseAction&) { releaseButtons(); }

void TFrmDemo::releaseButtons() {
    for (TSBtn* button : SBtn) {
        button->SetGroupIndex(0);
        button->SetDown(false);
    }
}

void TFrmDemo::PnlMenuResize(TObject*) { LayoutFnKeyBar(PnlMenu, false, QStringLiteral("SBtn")); }

void TFrmDemo::SetFnCaptions(TObject*, Word&, TShiftState Shift) {
    const bool plain = !Shift.Contains(ssShift) && !Shift.Contains(ssCtrl);
    for (Integer n = 1; n <= 12; ++n) {
        FnButton(n)->SetCaption(plain && n == 1 ? kClose : QString());
        FnButton(n)->SetGuide(QStringLiteral("F%1").arg(n));
    }
    if (plain) announceFocused();
}

void TFrmDemo::announceFocused() {
    TWinControl* focused = ActiveControl();
    if (auto* grid = dynamic_cast<TSDBGrid*>(focused)) {
        if (!grid->OnSelectCell) return;
        bool canSelect = true;
        grid->OnSelectCell(grid, grid->Col(), grid->Row(), canSelect);
    } else if ((dynamic_cast<TSEdit*>(focused) || dynamic_cast<TSComboBox*>(focused)) && focused->OnEnter) {
        focused->OnEnter(focused);
    }
}

void TFrmDemo::FormKeyDown(TObject* Sender, Word& Key, TShiftState Shift) {
    FnBarKeyDown(this, SBtn, Key, [&] { SetFnCaptions(Sender, Key, Shift); }, [this](TSBtn* b) { SBtnClick(b); });
}

void TFrmDemo::FormKeyUp(TObject* Sender, Word& Key, TShiftState Shift) {
    FnBarKeyUp(SBtn, Key, [&] { SetFnCaptions(Sender, Key, Shift); });
}

void TFrmDemo::SBtnClick(TObject* Sender) {
    if (busy) return;
    busy = true;
    struct Finally {
        TFrmDemo* form;
        ~Finally() {
            busy = false;
            RefireKeyState(form);
            Screen->SetCursor(crDefault);
        }
    } finally{this};
    if (Screen->Cursor() != crDefault) return;
    auto* button = dynamic_cast<TSBtn*>(Sender);
    if (button && button->Caption() == kClose) Close();
}
