// Layout (client 600 x 344): the title band TexturePanel1 (alTop, 40 high,
// "weave" texture) with the texture label "バーコード・デモ"; the bottom band
// TexturePanel2 (alBottom, 44 high, "sand" texture) with its caption at the
// left and "閉じる" at the right; between them Panel1 (alClient):
//   y 4    captions "TCBarImage", "TImage", "TCQRImage"
//   y 22   the barcode 210 x 170, its stretched copy 210 x 170, the QR code 150 x 170
//   y 204  PnlData: "Caption" + SEdit1 (barcode data), "Caption" + SEdit2 (QR data)
//   y 232  PnlKind: "種類" + ScbBarType, "ｾﾙのﾄﾞｯﾄｻｲｽﾞ" + ScbCellSize, "ｱﾝｸﾞﾙ" + ScbAngle
// Each box sits in a host panel of its own on its row panel.
#include "UnBarCode.h"

#include "CBarCode.h"
#include "Classes.h"
#include "DemoTextures.h"
#include "ExtCtrls.h"
#include "FormBuild.h"
#include "SBtn.h"
#include "SEdit.h"
#include "StdCtrls.h"
#include "UnGridTest.h"
#include "ZvStdCtrls.h"

TForm6* Form6 = nullptr;

namespace {

// The symbology names, in the order of TBarType.
const char* const kBarTypeNames[] = {"btJAN", "btUPC",      "btCODE39", "btNW7",     "btITF",     "btCTF",
                                     "btIATA", "btMATRIX", "btNEC",    "btCUSTOMER", "btCODE128", "btCODE93"};

// Row panels take the height their boxes need when the window shows; their
// captions and host panels line up from the left (alLeft) at that height.
constexpr Integer kBoxHeight = 26;

// The number in Text, or Default when it is none.
Integer NumberOr(const QString& Text, Integer Default) {
    bool ok = false;
    const Integer n = Trim(Text).toInt(&ok);
    return ok ? n : Default;
}

}  // namespace

TForm6::TForm6(TComponent* AOwner) : TForm(AOwner) {
    BeginLoading();
    buildForm();
    EndLoading();
}

void TForm6::buildForm() {
    SetName(QStringLiteral("Form6"));
    SetCaption(QStringLiteral("Form6"));
    SetClientSize(600, 344);
    SetPosition(poScreenCenter);
    Font()->SetName(QStringLiteral("ＭＳ Ｐゴシック"));
    Font()->SetHeight(-13);
    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnShow = [this](TObject* s) { FormShow(s); };

    TexturePanel1 = MakeControl<TTexturePanel>(this, this, QStringLiteral("TexturePanel1"), Bounds(0, 0, 600, 40));
    TexturePanel1->SetAlign(alTop);
    LoadDemoTexture(TexturePanel1->Texture(), QStringLiteral("weave"));
    TextureLabel1 = MakeControl<TTextureLabel>(this, TexturePanel1, QStringLiteral("TextureLabel1"),
                                               Bounds(12, 8, 200, 24));
    TextureLabel1->Font()->SetHeight(-20);
    TextureLabel1->Font()->SetStyle({fsBold});
    TextureLabel1->Font()->SetColor(clNavy);
    LoadDemoTexture(TextureLabel1->Texture(), QStringLiteral("sand"));
    TextureLabel1->SetCaption(QStringLiteral("バーコード・デモ"));
    TextureLabel1->SetTag(1);

    TexturePanel2 = MakeControl<TTexturePanel>(this, this, QStringLiteral("TexturePanel2"), Bounds(0, 300, 600, 44));
    TexturePanel2->SetAlign(alBottom);
    TexturePanel2->SetAlignment(taLeftJustify);
    LoadDemoTexture(TexturePanel2->Texture(), QStringLiteral("sand"));
    TexturePanel2->SetCaption(QStringLiteral("ついでにTTexturePanel / TTextureLabel も使用しています。"));
    TexturePanel2->SetTag(1);
    SBtn1 = MakeControl<TSBtn>(this, TexturePanel2, QStringLiteral("SBtn1"), Bounds(500, 4, 92, 36));
    SBtn1->SetCaption(QStringLiteral("閉じる"));
    SBtn1->OnClick = [this](TObject* s) { SBtn1Click(s); };

    Panel1 = MakeControl<TPanel>(this, this, QStringLiteral("Panel1"), Bounds(0, 40, 600, 260));
    Panel1->SetAlign(alClient);
    Panel1->SetBevelOuter(bvNone);
    buildImages();
    buildBoxes();
}

TLabel* TForm6::caption(TWinControl* parent, const QString& name, const QString& text, const TRect& bounds) {
    auto* label = MakeControl<TLabel>(this, parent, name, bounds);
    label->SetCaption(text);
    label->SetTag(1);
    label->SetAutoSize(false);
    if (parent != Panel1) {
        label->SetAlign(alLeft);
        label->SetAlignment(taCenter);
    }
    return label;
}

TPanel* TForm6::host(TWinControl* parent, const QString& name, const TRect& bounds) {
    auto* panel = MakeControl<TPanel>(this, parent, name, bounds);
    panel->SetBevelOuter(bvNone);
    return panel;
}

template <class Box>
Box* TForm6::box(TWinControl* parent, const QString& name, const TRect& hostBounds) {
    TPanel* panel = host(parent, QStringLiteral("Pnl") + name, hostBounds);
    panel->SetAlign(alLeft);
    auto* b = MakeControl<Box>(this, panel, name, Bounds(0, 0, hostBounds.Width(), hostBounds.Height()));
    b->SetFitToParent(true);
    b->OnModifyEx = [this](TObject* s, bool& a) { ScbBarTypeModifyEx(s, a); };
    return b;
}

void TForm6::buildImages() {
    caption(Panel1, QStringLiteral("Label1"), QStringLiteral("TCBarImage"), Bounds(8, 4, 120, 16));
    caption(Panel1, QStringLiteral("Label2"), QStringLiteral("TImage"), Bounds(226, 4, 120, 16));
    caption(Panel1, QStringLiteral("Label3"), QStringLiteral("TCQRImage"), Bounds(440, 4, 120, 16));
    CBarImage1 = MakeControl<TCBarImage>(this, Panel1, QStringLiteral("CBarImage1"), Bounds(8, 22, 210, 170));
    CBarImage1->SetCaption("1234567890");
    Image1 = MakeControl<TImage>(this, Panel1, QStringLiteral("Image1"), Bounds(226, 22, 210, 170));
    Image1->SetStretch(true);
    CQRImage1 = MakeControl<TCQRImage>(this, Panel1, QStringLiteral("CQRImage1"), Bounds(440, 22, 150, 170));
    CQRImage1->SetCellSize(4);
    CQRImage1->SetText(QStringLiteral("Velmora"));
}

void TForm6::buildBoxes() {
    PnlData = host(Panel1, QStringLiteral("PnlData"), Bounds(8, 204, 584, kBoxHeight));
    caption(PnlData, QStringLiteral("Label4"), QStringLiteral("Caption"), Bounds(0, 0, 60, 14));
    SEdit1 = box<TSEdit>(PnlData, QStringLiteral("SEdit1"), Bounds(60, 0, 220, kBoxHeight));
    caption(PnlData, QStringLiteral("Label5"), QStringLiteral("Caption"), Bounds(280, 0, 80, 14));
    SEdit2 = box<TSEdit>(PnlData, QStringLiteral("SEdit2"), Bounds(360, 0, 220, kBoxHeight));

    PnlKind = host(Panel1, QStringLiteral("PnlKind"), Bounds(8, 234, 584, kBoxHeight));
    caption(PnlKind, QStringLiteral("Label6"), QStringLiteral("種類"), Bounds(0, 0, 60, 14));
    ScbBarType = box<TSComboBox>(PnlKind, QStringLiteral("ScbBarType"), Bounds(60, 0, 150, kBoxHeight));
    caption(PnlKind, QStringLiteral("Label7"), QStringLiteral("ｾﾙのﾄﾞｯﾄｻｲｽﾞ"), Bounds(210, 0, 114, 14));
    ScbCellSize = box<TSComboBox>(PnlKind, QStringLiteral("ScbCellSize"), Bounds(324, 0, 60, kBoxHeight));
    for (Integer n = 1; n <= 6; ++n) ScbCellSize->Items()->Add(QString::number(n));
    caption(PnlKind, QStringLiteral("Label8"), QStringLiteral("ｱﾝｸﾞﾙ"), Bounds(384, 0, 76, 14));
    ScbAngle = box<TSComboBox>(PnlKind, QStringLiteral("ScbAngle"), Bounds(460, 0, 70, kBoxHeight));
    for (const char* angle : {"0", "90", "180", "270"}) ScbAngle->Items()->Add(QString::fromLatin1(angle));
}

void TForm6::FormCreate(TObject*) {
    ClearSlip(this);
    for (const char* name : kBarTypeNames) ScbBarType->Items()->Add(QString::fromLatin1(name));
    ScbBarType->SetItemIndex(ScbBarType->Items()->IndexOf(QStringLiteral("btNW7")));
    SEdit1->SetAsString(CBarImage1->Text());
    SEdit2->SetAsString(CQRImage1->Text());
    ScbAngle->SetItemIndex(ScbAngle->Items()->IndexOf(QString::number(CBarImage1->Angle())));
    ScbCellSize->SetItemIndex(ScbCellSize->Items()->IndexOf(QString::number(CQRImage1->CellSize())));
}

void TForm6::FormShow(TObject*) {
    PnlKind->SetClientHeight(ScbBarType->RequiredHeight());
    PnlData->SetClientHeight(SEdit1->RequiredHeight());
    TStringList groups;
    groups.Add(Panel1->Name());
    BuildGroupNavigationMap(&groups, this, 8, 8);
    copyBarcode();
}

void TForm6::SBtn1Click(TObject*) { Close(); }

void TForm6::ScbBarTypeModifyEx(TObject* Sender, bool&) {
    if (Sender == SEdit1) {
        CBarImage1->SetText(SEdit1->AsString());
        copyBarcode();
    } else if (Sender == SEdit2) {
        CQRImage1->SetText(SEdit2->AsString());
    } else if (Sender == ScbBarType) {
        applyBarType();
    } else if (Sender == ScbAngle) {
        CBarImage1->SetAngle(NumberOr(ScbAngle->Text(), 0));
        copyBarcode();
    } else if (Sender == ScbCellSize) {
        applyCellSize();
    }
}

void TForm6::copyBarcode() { Image1->Picture()->Assign(CBarImage1->Picture()); }

// A name that is none of the twelve changes nothing.
void TForm6::applyBarType() {
    const Integer index = ScbBarType->Items()->IndexOf(ScbBarType->Text());
    if (index < 0) return;
    CBarImage1->SetBarType(TBarType(index));
    if (index != btCUSTOMER) CBarImage1->SetBarHeight(75);
    copyBarcode();
}

// Only a module size the QR code can take is stored: no empty picture,
// no picture thousands of pixels wide.
void TForm6::applyCellSize() {
    const Integer size = NumberOr(ScbCellSize->Text(), 0);
    if (size < 1 || size > 20) return;
    CQRImage1->SetCellSize(TCellSize(size));
}
