// Layout (client 560 x 400, fixed): the tree at the left (8, 8, 300 x 384);
// at the right the three drive-type check boxes, then "ｻｰﾁﾌｧｲﾙ名" over the
// name to search, "見つかったﾌｧｲﾙ名" over the name found and the folder
// found, and the two buttons at the bottom.
#include "UnDirectoryView.h"

#include "DirectoryView.h"
#include "FormBuild.h"
#include "SBtn.h"
#include "SEdit.h"
#include "StdCtrls.h"
#include "UnGridTest.h"

TForm2* Form2 = nullptr;

namespace {

const QString kBack = QStringLiteral("戻る");

// The edit box's accept step: the text becomes the accepted one and the
// box shows it.
void Accept(TSEdit* box, const QString& text) {
    box->SetText(text);
    box->Update();
}

}  // namespace

TForm2::TForm2(TComponent* AOwner) : TForm(AOwner) {
    BeginLoading();
    buildForm();
    EndLoading();
}

void TForm2::buildForm() {
    SetName(QStringLiteral("Form2"));
    SetCaption(QStringLiteral("DirectoryViewの例"));
    SetClientSize(560, 400);
    SetPosition(poScreenCenter);
    Font()->SetName(QStringLiteral("ＭＳ Ｐゴシック"));
    Font()->SetHeight(-13);
    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnShow = [this](TObject* s) { FormShow(s); };
    OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };

    DirectoryView1 = MakeControl<TDirectoryView>(this, this, QStringLiteral("DirectoryView1"), Bounds(8, 8, 300, 384));
    DirectoryView1->SetAttributes({atReadOnly, atDirectory, atArchive});
    DirectoryView1->SetDriveType({dtDRIVE_FIXED, dtDRIVE_REMOTE});
    DirectoryView1->OnFind = [this](TObject* s, const QString& d, const QString& f) { DirectoryView1Find(s, d, f); };
    DirectoryView1->OnChange = [this](TObject* s, TTreeNode* n) { DirectoryView1Change(s, n); };
    DirectoryView1->OnChanging = [this](TObject* s, TTreeNode* n, bool& a) { DirectoryView1Changing(s, n, a); };

    CbxCD = checkBox(QStringLiteral("CbxCD"), QStringLiteral("CD-ROM"), Bounds(320, 8, 120, 20));
    CbxRem = checkBox(QStringLiteral("CbxRem"), QStringLiteral("Removable"), Bounds(320, 32, 120, 20));
    CbxNet = checkBox(QStringLiteral("CbxNet"), QStringLiteral("Network"), Bounds(320, 56, 120, 20));

    caption(QStringLiteral("Label1"), QStringLiteral("ｻｰﾁﾌｧｲﾙ名"), Bounds(320, 92, 232, 16));
    EdtName = MakeControl<TSEdit>(this, this, QStringLiteral("EdtName"), Bounds(320, 110, 232, 22));
    EdtName->OnModifyEx = [this](TObject* s, bool& a) { EdtNameModifyEx(s, a); };
    caption(QStringLiteral("Label2"), QStringLiteral("見つかったﾌｧｲﾙ名"), Bounds(320, 148, 232, 16));
    EdtFName = MakeControl<TSEdit>(this, this, QStringLiteral("EdtFName"), Bounds(320, 166, 232, 22));
    EdtPath = MakeControl<TSEdit>(this, this, QStringLiteral("EdtPath"), Bounds(320, 196, 232, 22));

    SBtn1 = MakeControl<TSBtn>(this, this, QStringLiteral("SBtn1"), Bounds(320, 344, 110, 48));
    SBtn1->SetCaption(QStringLiteral("戻らない"));
    SBtn1->SetGuide(QStringLiteral("Not Found"));
    SBtn1->OnClick = [this](TObject* s) { SBtn1Click(s); };
    SBtn2 = MakeControl<TSBtn>(this, this, QStringLiteral("SBtn2"), Bounds(442, 344, 110, 48));
    SBtn2->SetCaption(kBack);
    SBtn2->SetGuide(QStringLiteral("ｷｬﾝｾﾙ"));
    SBtn2->OnClick = [this](TObject* s) { SBtn1Click(s); };
}

TLabel* TForm2::caption(const QString& name, const QString& text, const TRect& bounds) {
    auto* label = MakeControl<TLabel>(this, this, name, bounds);
    label->SetCaption(text);
    label->SetTag(1);
    return label;
}

TCheckBox* TForm2::checkBox(const QString& name, const QString& text, const TRect& bounds) {
    auto* box = MakeControl<TCheckBox>(this, this, name, bounds);
    box->SetCaption(text);
    box->OnClick = [this](TObject* s) { CbxCDClick(s); };
    return box;
}

void TForm2::FormCreate(TObject*) {
    Constraints()->SetMinWidth(Width());
    Constraints()->SetMaxWidth(Width());
    Constraints()->SetMinHeight(Height());
    Constraints()->SetMaxHeight(Height());
}

void TForm2::selectDrives() {
    if (DirectoryView1->DriveListBuilt()) DirectoryView1->BuildDriveList(false);
    TDriveTypes types{dtDRIVE_FIXED};
    if (CbxCD->Checked()) types << dtDRIVE_CDROM;
    if (CbxNet->Checked()) types << dtDRIVE_REMOTE;
    if (CbxRem->Checked()) types << dtDRIVE_REMOVABLE;
    DirectoryView1->SetDriveType(types);
    DirectoryView1->BuildDriveList(true);
}

void TForm2::FormShow(TObject*) {
    ClearSlip(this);
    clearFind();  // a find of the last opening no longer holds
    selectDrives();
    const QString own = ExtractFileName(Application->ExeName());
    DirectoryView1->SetSearchFile(own);
    Accept(EdtName, own);
}

void TForm2::FormClose(TObject*, TCloseAction&) { DirectoryView1->BuildDriveList(false); }

void TForm2::DirectoryView1Changing(TObject*, TTreeNode*, bool&) { clearFind(); }

void TForm2::clearFind() {
    for (TSEdit* box : {EdtPath, EdtFName}) {
        box->Clear();
        box->SetColor(clWhite);
    }
    SBtn1->SetCaption(QStringLiteral("戻らない"));
    SBtn1->SetGuide(QStringLiteral("Not Found"));
}

void TForm2::DirectoryView1Change(TObject*, TTreeNode*) { Accept(EdtPath, DirectoryView1->Directory()); }

void TForm2::DirectoryView1Find(TObject*, const QString& Directory, const QString& FileName) {
    EdtPath->SetColor(clAqua);
    EdtFName->SetColor(clAqua);
    Accept(EdtPath, Directory);
    Accept(EdtFName, FileName);
    SBtn1->SetCaption(kBack);
    SBtn1->SetGuide(QStringLiteral("Found !!"));
}

// "戻らない" does not hold "戻る": only a found file or the cancel button closes.
void TForm2::SBtn1Click(TObject* Sender) {
    if (static_cast<TSBtn*>(Sender)->Caption().contains(kBack)) Close();
}

void TForm2::EdtNameModifyEx(TObject*, bool&) { DirectoryView1->SetSearchFile(EdtName->Text()); }

void TForm2::CbxCDClick(TObject*) {
    selectDrives();
    DirectoryView1->SetFocus();
}
