#include "QREnvEd.h"

#include "Buttons.h"
#include "Dialogs.h"
#include "FormBuild.h"
#include "Grids.h"
#include "QRExpBld.h"
#include "QRExpr.h"
#include "StdCtrls.h"
#include "StdCtrlsEdit.h"
#include "SysUtils.h"

#include <algorithm>
#include <memory>

namespace {
constexpr Integer ButtonW = 75;
constexpr Integer ButtonH = 25;
const TRect GroupBounds = Bounds(6, 4, 358, 194);
}  // namespace

TQREnvironmentEditor::TQREnvironmentEditor(TComponent* AOwner, TQREvEnvironment* LocalEnvironment)
    : TForm(AOwner), local_(LocalEnvironment) {
    SetCaption(QStringLiteral("User Defined Functions Edtor"));
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetBounds(0, 0, 376, 269);
    // Under the list, in front only while an entry is added.
    buildNewEntry();
    buildAvailable();
    buildButtons();
}

TButton* TQREnvironmentEditor::makeButton(TWinControl* parent, const QString& name, const QString& caption,
                                          const TRect& bounds) {
    auto* button = MakeControl<TButton>(this, parent, name, bounds);
    button->SetCaption(caption);
    return button;
}

void TQREnvironmentEditor::buildAvailable() {
    AvailableGB = MakeControl<TGroupBox>(this, this, QStringLiteral("AvailableGB"), GroupBounds);
    AvailableGB->SetCaption(QStringLiteral("Available User Defined Functions"));
    LocalCB = MakeControl<TRadioButton>(this, AvailableGB, QStringLiteral("LocalCB"), Bounds(10, 18, 120, 17));
    LocalCB->SetCaption(QStringLiteral("&Local defines"));
    LocalCB->SetChecked(true);
    GlobalCB = MakeControl<TRadioButton>(this, AvailableGB, QStringLiteral("GlobalCB"), Bounds(140, 18, 130, 17));
    GlobalCB->SetCaption(QStringLiteral("&Global defines"));
    LocalCB->OnClick = [this](TObject*) { FillGrid(); };
    GlobalCB->OnClick = [this](TObject*) { FillGrid(); };

    UDFGrid = MakeControl<TStringGrid>(this, AvailableGB, QStringLiteral("UDFGrid"), Bounds(10, 40, 338, 146));
    UDFGrid->SetColCount(2);
    UDFGrid->SetRowCount(2);
    UDFGrid->SetFixedCols(0);
    UDFGrid->SetFixedRows(1);
    UDFGrid->SetColWidths(0, 123);
    UDFGrid->SetColWidths(1, 165);
    UDFGrid->SetDefaultRowHeight(20);
    UDFGrid->SetScrollBars(ssVertical);
    UDFGrid->SetCells(0, 0, QStringLiteral("Name"));
    UDFGrid->SetCells(1, 0, QStringLiteral("Expression"));
    UDFGrid->OnSetEditText = [this](TObject*, Integer c, Integer r, const QString& v) { ApplyCellEdit(c, r, v); };
    UDFGrid->OnDblClick = [this](TObject*) { EditEntry(); };
}

void TQREnvironmentEditor::buildNewEntry() {
    NewEntryGB = MakeControl<TGroupBox>(this, this, QStringLiteral("NewEntryGB"), GroupBounds);
    NewEntryGB->SetCaption(QStringLiteral("New entry"));
    NewEntryGB->Hide();
    auto* nameLabel = MakeControl<TLabel>(this, NewEntryGB, QStringLiteral("NameLabel"), Bounds(10, 30, 76, 16));
    nameLabel->SetCaption(QStringLiteral("Name :"));
    NameEdit = MakeControl<TEdit>(this, NewEntryGB, QStringLiteral("NameEdit"), Bounds(90, 26, 250, 21));
    auto* exprLabel = MakeControl<TLabel>(this, NewEntryGB, QStringLiteral("ExpressionLabel"), Bounds(10, 62, 76, 16));
    exprLabel->SetCaption(QStringLiteral("Expression :"));
    ExpressionEdit = MakeControl<TEdit>(this, NewEntryGB, QStringLiteral("ExpressionEdit"), Bounds(90, 58, 222, 21));
    ExpressionBtn = MakeControl<TSpeedButton>(this, NewEntryGB, QStringLiteral("ExpressionBtn"), Bounds(316, 58, 24, 21));
    ExpressionBtn->SetCaption(QStringLiteral("..."));
    ExpressionBtn->OnClick = [this](TObject*) { buildNewExpression(); };
    NewOKBtn = makeButton(NewEntryGB, QStringLiteral("NewOKBtn"), QStringLiteral("&OK"), Bounds(184, 156, ButtonW, ButtonH));
    NewCancelBtn = makeButton(NewEntryGB, QStringLiteral("NewCancelBtn"), QStringLiteral("&Cancel"),
                              Bounds(265, 156, ButtonW, ButtonH));
    NewOKBtn->OnClick = [this](TObject*) { newResult_ = 1; };
    NewCancelBtn->OnClick = [this](TObject*) { newResult_ = 2; };
}

void TQREnvironmentEditor::buildButtons() {
    AddBtn = makeButton(this, QStringLiteral("AddBtn"), QStringLiteral("&Add"), Bounds(6, 206, ButtonW, ButtonH));
    EditBtn = makeButton(this, QStringLiteral("EditBtn"), QStringLiteral("&Edit"), Bounds(87, 206, ButtonW, ButtonH));
    DeleteBtn =
        makeButton(this, QStringLiteral("DeleteBtn"), QStringLiteral("&Delete"), Bounds(168, 206, ButtonW, ButtonH));
    VariableOKBtn =
        makeButton(this, QStringLiteral("VariableOKBtn"), QStringLiteral("Close"), Bounds(289, 206, ButtonW, ButtonH));
    VariableOKBtn->SetDefault(true);
    AddBtn->OnClick = [this](TObject*) { AddEntry(); };
    EditBtn->OnClick = [this](TObject*) { EditEntry(); };
    DeleteBtn->OnClick = [this](TObject*) { DeleteEntry(); };
    VariableOKBtn->OnClick = [this](TObject*) {
        closed_ = true;
        SetModalResult(mrOk);
    };
}

void TQREnvironmentEditor::DoClose(TCloseAction& Action) {
    closed_ = true;
    newResult_ = 2;
    TForm::DoClose(Action);
}

// ------------------------------------------------------------ the grid

TQREvEnvironment* TQREnvironmentEditor::CurrentEnvironment() const {
    return LocalCB->Checked() ? local_ : GlobalEnvironment();
}

Integer TQREnvironmentEditor::entryOfRow(Integer row) const {
    const TQREvEnvironment* env = CurrentEnvironment();
    return env && row >= 1 && row <= env->Count() ? row - 1 : -1;
}

void TQREnvironmentEditor::FillGrid() {
    TQREvEnvironment* env = CurrentEnvironment();
    const Integer count = env ? env->Count() : 0;
    // One fixed row needs a row under it: an empty list keeps a blank one.
    UDFGrid->SetRowCount(std::max(count, Integer(1)) + 1);
    UDFGrid->SetFixedRows(1);
    const TGridOptions options = UDFGrid->Options();
    UDFGrid->SetOptions(count > 0 ? options + goEditing : options - goEditing);
    for (Integer r = 1; r < UDFGrid->RowCount(); ++r) {
        const bool entry = r <= count;
        UDFGrid->SetCells(0, r, entry ? env->Strings(r - 1) : QString());
        UDFGrid->SetCells(1, r, entry ? env->Entry(r - 1)->Expression() : QString());
    }
}

void TQREnvironmentEditor::ApplyCellEdit(Integer ACol, Integer ARow, const QString& Value) {
    TQREvEnvironment* env = CurrentEnvironment();
    const Integer index = entryOfRow(ARow);
    if (index < 0) return;
    if (ACol == 0) {
        env->Put(index, AnsiUpperCase(Value));
    } else if (ACol == 1) {
        if (env->Prepared()) {
            UDFGrid->SetCells(1, ARow, env->Entry(index)->Expression());
            refuseWhilePrepared(env->Strings(index), QStringLiteral("changed"));
            return;
        }
        std::unique_ptr<TQREvEmbeddedFunction> old(env->Entry(index));
        env->PutObject(index, new TQREvEmbeddedFunction(Value));
    }
}

// Prepared expressions hold the entries they were read with: a change
// under them would not reach them, so it is refused, saying so.
void TQREnvironmentEditor::refuseWhilePrepared(const QString& name, const QString& verb) {
    ShowMessage(QStringLiteral("%1 cannot be %2 while the defines are prepared for use.").arg(name, verb));
}

// ------------------------------------------------------------ the buttons

void TQREnvironmentEditor::EditEntry() {
    const Integer row = UDFGrid->Row();
    const Integer index = entryOfRow(row);
    if (index < 0) return;
    TQREvEnvironment* env = CurrentEnvironment();
    QString expression = env->Entry(index)->Expression();
    if (!ExpressionBuilder(env->Strings(index), expression, this, local_, this)) return;
    UDFGrid->SetCells(1, row, expression);
    ApplyCellEdit(1, row, expression);
}

void TQREnvironmentEditor::setMainButtonsVisible(bool on) {
    for (TButton* b : {AddBtn, EditBtn, DeleteBtn, VariableOKBtn}) b->SetVisible(on);
}

void TQREnvironmentEditor::AddEntry() {
    TQREvEnvironment* env = CurrentEnvironment();
    if (!env) return;
    setMainButtonsVisible(false);
    bringGroupToFront(NewEntryGB, AvailableGB);
    adding_ = true;
    newResult_ = 0;
    if (NameEdit->CanFocus()) NameEdit->SetFocus();
    auto guard = Guard();
    Application->WaitUntil([&] { return guard.expired() || newResult_ != 0 || ModalResult() != mrNone; });
    if (guard.expired()) return;
    adding_ = false;
    // An entry without a name could never be referred to.
    if (newResult_ == 1 && !Trim(NameEdit->Text()).isEmpty()) {
        env->AddFunction(Trim(NameEdit->Text()), ExpressionEdit->Text());
        FillGrid();
    }
    setMainButtonsVisible(true);
    bringGroupToFront(AvailableGB, NewEntryGB);
}

// The group behind is hidden: a group box does not paint over its sibling.
void TQREnvironmentEditor::bringGroupToFront(TGroupBox* front, TGroupBox* back) {
    front->Show();
    front->BringToFront();
    back->Hide();
}

void TQREnvironmentEditor::buildNewExpression() {
    QString expression = ExpressionEdit->Text();
    if (ExpressionBuilder(NameEdit->Text(), expression, this, local_, this)) ExpressionEdit->SetText(expression);
}

void TQREnvironmentEditor::DeleteEntry() {
    TQREvEnvironment* env = CurrentEnvironment();
    const Integer index = entryOfRow(UDFGrid->Row());
    if (index < 0) return;
    if (env->Prepared()) {
        refuseWhilePrepared(env->Strings(index), QStringLiteral("deleted"));
        return;
    }
    env->Delete(index);
    FillGrid();
}

void EditEnvironment(TQREvEnvironment* LocalEnvironment, bool AllowGlobal) {
    auto editor = std::make_unique<TQREnvironmentEditor>(Application, LocalEnvironment);
    if (!AllowGlobal) editor->GlobalCB->SetEnabled(false);
    if (!LocalEnvironment) {
        editor->LocalCB->SetEnabled(false);
        editor->GlobalCB->SetChecked(true);
    }
    editor->FillGrid();
    editor->ShowModal();
}
