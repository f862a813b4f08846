// The expression builder's window and its entry routine. The pages and
// what they insert are in QRExpBldPages.cpp.
#include "QRExpBld.h"

#include "DB.h"
#include "ExtCtrls.h"
#include "FormBuild.h"
#include "Graphics.h"
#include "QRExpr.h"
#include "StdCtrlsEdit.h"

#include <algorithm>
#include <memory>

namespace {

constexpr Integer ClientW = 381;
constexpr Integer TopH = 48;
constexpr Integer PageH = 300;
constexpr Integer ButtonW = 75;
constexpr Integer ButtonH = 25;
constexpr Integer ButtonTop = 262;

// The OK / Cancel pair at the bottom right of a page.
TRect OkBounds() { return Bounds(205, ButtonTop, ButtonW, ButtonH); }
TRect CancelBounds() { return Bounds(286, ButtonTop, ButtonW, ButtonH); }

void AddOwnedDataSets(TComponent* owner, TStrings* list, bool descend) {
    for (Integer i = 0; i < owner->ComponentCount(); ++i) {
        TComponent* c = owner->Components(i);
        if (auto* ds = dynamic_cast<TDataSet*>(c)) {
            if (list->IndexOfObject(ds) < 0) list->AddObject(ds->Name(), ds);
        } else if (descend && dynamic_cast<TWinControl*>(c)) {
            AddOwnedDataSets(c, list, true);
        }
    }
}

// The picture of the title panel: a small formula sheet.
void DrawPicture(TImage* image) {
    TCanvas* canvas = image->Canvas();
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(TRect(0, 0, 32, 32));
    canvas->Pen()->SetColor(clNavy);
    canvas->Brush()->SetColor(clWhite);
    canvas->Rectangle(3, 2, 29, 30);
    canvas->Font()->SetName(QStringLiteral("Arial"));
    canvas->Font()->SetHeight(-13);
    canvas->Font()->SetStyle({fsBold, fsItalic});
    canvas->Font()->SetColor(clNavy);
    canvas->Brush()->SetStyle(bsClear);
    canvas->TextOut(7, 8, QStringLiteral("fx"));
}

}  // namespace

TWordWrapEdit::TWordWrapEdit(TComponent* AOwner) : TCustomMemo(AOwner) {
    SetWordWrap(true);
    SetScrollBars(ssNone);
}

void GetDataSetList(TComponent* Owner, bool AllForms, TStrings* List) {
    if (Owner) AddOwnedDataSets(Owner, List, true);
    if (!AllForms || !Screen) return;
    for (Integer i = 0; i < Screen->FormCount(); ++i) AddOwnedDataSets(Screen->Forms(i), List, false);
}

QString RemoveLineBreaks(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') {
            ++i;  // the character after it goes too
            continue;
        }
        out += text[i];
    }
    return out;
}

// ------------------------------------------------------------ the window

TQRExpressionBuilder::TQRExpressionBuilder(TComponent* AOwner, TComponent* DataOwner,
                                           TQREvEnvironment* Environment)
    : TForm(AOwner), dataOwner_(DataOwner), environment_(Environment) {
    SetCaption(QStringLiteral("Expression Builder"));
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientSize(ClientW, TopH + PageH);
    buildWindow();
    FillFunctionList(0);
}

TQRExpressionBuilder::~TQRExpressionBuilder() {
    freeArgumentRows();
}

void TQRExpressionBuilder::buildWindow() {
    TopPanel = MakeControl<TPanel>(this, this, QStringLiteral("TopPanel"), Bounds(0, 0, ClientW, TopH));
    TopPanel->SetAlign(alTop);
    TopPanel->SetCaption(QString());
    Picture = MakeControl<TImage>(this, TopPanel, QStringLiteral("Picture"), Bounds(10, 8, 32, 32));
    DrawPicture(Picture);
    TitleLabel = MakeControl<TLabel>(this, TopPanel, QStringLiteral("TitleLabel"), Bounds(52, 14, 250, 20));
    TitleLabel->Font()->SetSize(12);
    TitleLabel->Font()->SetStyle({fsBold});
    TitleLabel->SetTransparent(true);
    TitleLabel->SetCaption(QStringLiteral("Expression Builder"));
    buildMainPage();
    buildFunctionPage();
    buildParamsPage();
    buildDataFieldPage();
    buildVariablePage();
    showPage(MainPage);
}

TPanel* TQRExpressionBuilder::makePage(const QString& name, const QString& caption) {
    auto* page = MakeControl<TPanel>(this, this, name, Bounds(0, TopH, ClientW, PageH));
    page->SetAlign(alClient);
    page->SetBevelOuter(bvNone);
    page->SetCaption(QString());
    if (!caption.isEmpty()) {
        auto* label = MakeControl<TLabel>(this, page, name + QStringLiteral("Label"), Bounds(10, 8, 361, 16));
        label->SetCaption(caption);
    }
    page->SetEnabled(false);
    return page;
}

TButton* TQRExpressionBuilder::makeButton(TWinControl* parent, const QString& name, const QString& caption,
                                          const TRect& bounds) {
    auto* button = MakeControl<TButton>(this, parent, name, bounds);
    button->SetCaption(caption);
    return button;
}

void TQRExpressionBuilder::buildMainPage() {
    MainPage = makePage(QStringLiteral("MainPage"), QString());
    MainPage->SetEnabled(true);
    Heading = MakeControl<TLabel>(this, MainPage, QStringLiteral("Heading"), Bounds(20, 14, 341, 16));
    Heading->SetCaption(QStringLiteral("Enter expression:"));
    ExprEdit = MakeControl<TWordWrapEdit>(this, MainPage, QStringLiteral("ExprEdit"), Bounds(20, 36, 341, 91));
    InsertGB = MakeControl<TGroupBox>(this, MainPage, QStringLiteral("InsertGB"), Bounds(20, 136, 341, 116));
    InsertGB->SetCaption(QStringLiteral("Insert at cursor position"));
    InsertDataFieldBtn = makeButton(InsertGB, QStringLiteral("InsertDataFieldBtn"), QStringLiteral("&Database field"),
                                    Bounds(10, 20, 105, ButtonH));
    InsertFunctionBtn = makeButton(InsertGB, QStringLiteral("InsertFunctionBtn"), QStringLiteral("&Function"),
                                   Bounds(118, 20, 105, ButtonH));
    InsertVariableBtn = makeButton(InsertGB, QStringLiteral("InsertVariableBtn"), QStringLiteral("&Variable"),
                                   Bounds(226, 20, 105, ButtonH));
    InsertDataFieldBtn->OnClick = [this](TObject*) { insertDataField(); };
    InsertFunctionBtn->OnClick = [this](TObject*) { insertFunction(); };
    InsertVariableBtn->OnClick = [this](TObject*) { insertVariable(); };
    buildOperators();

    ValidateBtn = makeButton(MainPage, QStringLiteral("ValidateBtn"), QStringLiteral("Valida&te"),
                             Bounds(20, ButtonTop, ButtonW, ButtonH));
    Clear = makeButton(MainPage, QStringLiteral("Clear"), QStringLiteral("&Clear"),
                       Bounds(101, ButtonTop, ButtonW, ButtonH));
    OK = makeButton(MainPage, QStringLiteral("OK"), QStringLiteral("OK"), OkBounds());
    OK->SetDefault(true);
    Cancel = makeButton(MainPage, QStringLiteral("Cancel"), QStringLiteral("Cancel"), CancelBounds());
    Cancel->SetCancel(true);
    ValidateBtn->OnClick = [this](TObject*) { Validate(); };
    Clear->OnClick = [this](TObject*) { ExprEdit->SetText(QString()); };
    // The buttons answer for this dialog, also when it is docked in another.
    OK->OnClick = [this](TObject*) { SetModalResult(mrOk); };
    Cancel->OnClick = [this](TObject*) { SetModalResult(mrCancel); };
}

void TQRExpressionBuilder::buildOperators() {
    struct Op {
        TButton* TQRExpressionBuilder::*member;
        const char* name;
        const char* caption;
    };
    static const Op ops[] = {
        {&TQRExpressionBuilder::AddPlus, "AddPlus", "+"},
        {&TQRExpressionBuilder::AddMinus, "AddMinus", "-"},
        {&TQRExpressionBuilder::AddMul, "AddMul", "*"},
        {&TQRExpressionBuilder::AddDiv, "AddDiv", "/"},
        {&TQRExpressionBuilder::AddEqual, "AddEqual", "="},
        {&TQRExpressionBuilder::AddSmaller, "AddSmaller", "<"},
        {&TQRExpressionBuilder::AddLarger, "AddLarger", ">"},
        {&TQRExpressionBuilder::AddNotEqual, "AddNotEqual", "<>"},
        {&TQRExpressionBuilder::AddLessEqual, "AddLessEqual", "<="},
        {&TQRExpressionBuilder::AddGreaterEqual, "AddGreaterEqual", ">="},
        {&TQRExpressionBuilder::AddNot, "AddNot", "Not"},
        {&TQRExpressionBuilder::AddAnd, "AddAnd", "And"},
        {&TQRExpressionBuilder::AddOr, "AddOr", "Or"},
    };
    constexpr Integer perRow = 7, pitch = 46, width = 41;
    for (Integer i = 0; i < Integer(std::size(ops)); ++i) {
        const TRect r = Bounds(10 + pitch * (i % perRow), 52 + 30 * (i / perRow), width, ButtonH);
        TButton* button = makeButton(InsertGB, QString::fromLatin1(ops[i].name),
                                     QString::fromLatin1(ops[i].caption), r);
        this->*ops[i].member = button;
        button->OnClick = [this, button](TObject*) { InsertAtCursor(u' ' + button->Caption() + u' '); };
    }
}

void TQRExpressionBuilder::buildFunctionPage() {
    FunctionPage = makePage(QStringLiteral("FunctionPage"), QStringLiteral("Select function"));
    Categories = MakeControl<TListBox>(this, FunctionPage, QStringLiteral("Categories"), Bounds(10, 28, 120, 160));
    for (Integer c = 0; c < 8; ++c) Categories->Items()->Add(QRFunctionCategoryName(c));
    Categories->SetItemIndex(0);
    Categories->OnClick = [this](TObject*) { FillFunctionList(std::max(Categories->ItemIndex(), Integer(0))); };
    AvailableFunc =
        MakeControl<TListBox>(this, FunctionPage, QStringLiteral("AvailableFunc"), Bounds(140, 28, 231, 160));
    AvailableFunc->OnClick = [this](TObject*) { ShowFunctionHelp(AvailableFunc->ItemIndex()); };
    FuncName = MakeControl<TLabel>(this, FunctionPage, QStringLiteral("FuncName"), Bounds(10, 198, 361, 16));
    FuncName->Font()->SetStyle({fsBold});
    FuncDescription =
        MakeControl<TLabel>(this, FunctionPage, QStringLiteral("FuncDescription"), Bounds(10, 218, 361, 36));
    FuncDescription->SetAutoSize(false);
    FuncDescription->SetWordWrap(true);
    FunctionOKBtn = makeButton(FunctionPage, QStringLiteral("FunctionOKBtn"), QStringLiteral("Continue"), OkBounds());
    FunctionCancelBtn =
        makeButton(FunctionPage, QStringLiteral("FunctionCancelBtn"), QStringLiteral("Cancel"), CancelBounds());
    FunctionOKBtn->OnClick = [this](TObject*) { endPage(functionFlag_, prOK); };
    FunctionCancelBtn->OnClick = [this](TObject*) { endPage(functionFlag_, prCancel); };
}

void TQRExpressionBuilder::buildParamsPage() {
    FuncParamsPage = makePage(QStringLiteral("FuncParamsPage"), QStringLiteral("Enter parameters for function"));
    CopyFuncName = MakeControl<TLabel>(this, FuncParamsPage, QStringLiteral("CopyFuncName"), Bounds(10, 28, 361, 16));
    CopyFuncName->Font()->SetStyle({fsBold});
    CopyFuncDescription =
        MakeControl<TLabel>(this, FuncParamsPage, QStringLiteral("CopyFuncDescription"), Bounds(10, 46, 361, 32));
    CopyFuncDescription->SetAutoSize(false);
    CopyFuncDescription->SetWordWrap(true);
    FuncParamSB = MakeControl<TScrollBox>(this, FuncParamsPage, QStringLiteral("FuncParamSB"), Bounds(10, 82, 361, 172));
    FuncParamOkBtn = makeButton(FuncParamsPage, QStringLiteral("FuncParamOkBtn"), QStringLiteral("OK"), OkBounds());
    FuncArgCancelBtn =
        makeButton(FuncParamsPage, QStringLiteral("FuncArgCancelBtn"), QStringLiteral("Cancel"), CancelBounds());
    FuncParamOkBtn->OnClick = [this](TObject*) { endPage(paramsFlag_, prOK); };
    FuncArgCancelBtn->OnClick = [this](TObject*) { endPage(paramsFlag_, prCancel); };
}

void TQRExpressionBuilder::buildDataFieldPage() {
    DataFieldPage =
        makePage(QStringLiteral("DataFieldPage"), QStringLiteral("Insert database field in expression"));
    AvailableDatasets =
        MakeControl<TListBox>(this, DataFieldPage, QStringLiteral("AvailableDatasets"), Bounds(10, 28, 170, 226));
    AvailableFields =
        MakeControl<TListBox>(this, DataFieldPage, QStringLiteral("AvailableFields"), Bounds(190, 28, 181, 226));
    AvailableDatasets->OnClick = [this](TObject*) { listFields(); };
    AvailableFields->OnDblClick = [this](TObject*) { endPage(dataFieldFlag_, prOK); };
    DataFieldOKBtn = makeButton(DataFieldPage, QStringLiteral("DataFieldOKBtn"), QStringLiteral("OK"), OkBounds());
    DataFieldCancelBtn =
        makeButton(DataFieldPage, QStringLiteral("DataFieldCancelBtn"), QStringLiteral("Cancel"), CancelBounds());
    DataFieldOKBtn->OnClick = [this](TObject*) { endPage(dataFieldFlag_, prOK); };
    DataFieldCancelBtn->OnClick = [this](TObject*) { endPage(dataFieldFlag_, prCancel); };
}

void TQRExpressionBuilder::buildVariablePage() {
    VariablePage = makePage(QStringLiteral("VariablePage"), QStringLiteral("Select variable"));
    AvailableVariables =
        MakeControl<TListBox>(this, VariablePage, QStringLiteral("AvailableVariables"), Bounds(10, 28, 361, 180));
    AvailableVariables->OnClick = [this](TObject*) { showVariableValue(); };
    AvailableVariables->OnDblClick = [this](TObject*) { endPage(variableFlag_, prOK); };
    auto* valueLabel = MakeControl<TLabel>(this, VariablePage, QStringLiteral("ValueLabel"), Bounds(10, 216, 48, 16));
    valueLabel->SetCaption(QStringLiteral("Value :"));
    VariableValue = MakeControl<TLabel>(this, VariablePage, QStringLiteral("VariableValue"), Bounds(60, 216, 311, 36));
    VariableValue->SetAutoSize(false);
    VariableValue->SetWordWrap(true);
    VariableValue->SetCaption(QString());
    ModifyVariables = makeButton(VariablePage, QStringLiteral("ModifyVariables"), QStringLiteral("&Modify variables"),
                                 Bounds(10, ButtonTop, 110, ButtonH));
    VariableOKBtn = makeButton(VariablePage, QStringLiteral("VariableOKBtn"), QStringLiteral("OK"), OkBounds());
    VariableCancelBtn =
        makeButton(VariablePage, QStringLiteral("VariableCancelBtn"), QStringLiteral("Cancel"), CancelBounds());
    ModifyVariables->OnClick = [this](TObject*) { modifyVariables(); };
    VariableOKBtn->OnClick = [this](TObject*) { endPage(variableFlag_, prOK); };
    VariableCancelBtn->OnClick = [this](TObject*) { endPage(variableFlag_, prCancel); };
}

// ------------------------------------------------------------ running

void TQRExpressionBuilder::Activate() {
    TForm::Activate();
    FillLists();
    focusEdit();
}

void TQRExpressionBuilder::DoClose(TCloseAction& Action) {
    functionFlag_ = paramsFlag_ = dataFieldFlag_ = variableFlag_ = prCancel;
    if (ModalResult() != mrOk) SetModalResult(mrCancel);
    closed_ = true;
    TForm::DoClose(Action);
}

void TQRExpressionBuilder::KeyPress(WideChar& Key) {
    if (Key == QChar(27) || Key == u' ') closed_ = true;
    TForm::KeyPress(Key);
}

bool TQRExpressionBuilder::abandoned() const {
    if (closed_ || ModalResult() != mrNone) return true;
    const TCustomForm* top = GetParentForm(this);
    return top != this && top && top->ModalResult() != mrNone;
}

void TQRExpressionBuilder::focusEdit() {
    if (MainPage->Enabled() && ExprEdit->CanFocus()) ExprEdit->SetFocus();
}

void TQRExpressionBuilder::RunDocked(TWinControl* parent) {
    docked_ = true;
    SetBorderStyle(bsNone);
    SetPosition(poDesigned);
    SetParent(parent);
    SetBounds(0, 0, Width(), Height());
    FillLists();
    Show();
    BringToFront();
    focusEdit();
    Application->WaitUntil([this] { return abandoned(); });
}

bool ExpressionBuilder(const QString& Title, QString& Expression, TComponent* Owner,
                       TQREvEnvironment* Environment, TWinControl* DockParent) {
    auto builder = std::make_unique<TQRExpressionBuilder>(Application, Owner, Environment);
    if (!Title.isEmpty()) builder->Heading->SetCaption(Title);
    builder->ExprEdit->SetText(Expression);
    builder->ExprEdit->SelectAll();
    if (DockParent) {
        // The host grows for the run when the dialog would not fit in it.
        TCustomForm* host = GetParentForm(DockParent);
        const Integer growW = std::max(Integer(0), builder->ClientWidth() - DockParent->ClientWidth());
        const Integer growH = std::max(Integer(0), builder->ClientHeight() - DockParent->ClientHeight());
        if (host) host->SetBounds(host->Left(), host->Top(), host->Width() + growW, host->Height() + growH);
        builder->RunDocked(DockParent);
        builder->Hide();
        if (host) host->SetBounds(host->Left(), host->Top(), host->Width() - growW, host->Height() - growH);
    } else {
        builder->ShowModal();
    }
    const bool ok = builder->ModalResult() == mrOk;
    Expression = ok ? RemoveLineBreaks(builder->ExprEdit->Text()) : QString();
    return ok;
}
