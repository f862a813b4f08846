// The expression builder's pages: functions with their arguments, data
// fields, variables, and the check of the expression.
#include "QRExpBld.h"

#include "Buttons.h"
#include "DB.h"
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "QREnvEd.h"
#include "QRExpr.h"
#include "StdCtrlsEdit.h"
#include "SysUtils.h"

namespace {

constexpr Integer RowPitch = 40;

QString ArgumentCaption(QChar kind, Integer number) {
    const char* text = "Argument %d - value";
    switch (kind.unicode()) {
    case u'B': text = "Argument %d - logical value"; break;
    case u'N': text = "Argument %d - numeric value"; break;
    case u'S': text = "Argument %d - text Value"; break;
    default: break;
    }
    return QString::fromLatin1(text).replace(QStringLiteral("%d"), QString::number(number));
}

// The value as the check shows it; an error has no text.
QString ResultText(const EvalResult& r) {
    switch (r.Kind) {
    case rkInteger: return QString::number(r.IntResult);
    case rkFloat: return FloatToStr(r.FloatResult);
    case rkString: return r.StrResult.Text();
    case rkBoolean: return QString::fromLatin1(r.BoolResult ? QRExprText::True : QRExprText::False);
    default: return QString();
    }
}

// Syntax before the first "|", help text after it.
void SplitDescription(const QString& description, QString& name, QString& help) {
    const qsizetype bar = description.indexOf(u'|');
    name = bar < 0 ? description : description.left(bar);
    help = bar < 0 ? QString() : description.mid(bar + 1);
}

// Prepares an environment for the length of a scope and leaves it as it
// was found: one that was not prepared is released, since the entries'
// own evaluators keep the global environment prepared otherwise.
class PreparedScope {
public:
    explicit PreparedScope(TQREvEnvironment* environment)
        : environment_(environment), wasPrepared_(environment && environment->Prepared()) {
        if (environment_) environment_->Prepare();
    }
    ~PreparedScope() {
        if (!environment_) return;
        environment_->Unprepare();
        if (!wasPrepared_) environment_->Release();
    }
    PreparedScope(const PreparedScope&) = delete;
    PreparedScope& operator=(const PreparedScope&) = delete;

private:
    TQREvEnvironment* environment_;
    bool wasPrepared_;
};

}  // namespace

// ------------------------------------------------------------ page protocol

void TQRExpressionBuilder::showPage(TPanel* page) {
    page->Show();
    page->BringToFront();
    for (TPanel* other : {MainPage, FunctionPage, FuncParamsPage, DataFieldPage, VariablePage}) {
        if (other != page) other->Hide();
    }
    currentPage_ = page;
}

void TQRExpressionBuilder::endPage(Integer& flag, TQRPageResult result) {
    flag = result;
}

TQRPageResult TQRExpressionBuilder::runPage(TPanel* page, Integer& flag, bool endsOnClose) {
    flag = prWaiting;
    MainPage->SetEnabled(false);
    page->SetEnabled(true);
    showPage(page);
    auto guard = Guard();
    Application->WaitUntil([&] {
        return guard.expired() || flag != prWaiting || (endsOnClose && closed_) || abandoned();
    });
    if (guard.expired()) return prCancel;
    const TQRPageResult result = flag == prOK ? prOK : prCancel;
    page->SetEnabled(false);
    MainPage->SetEnabled(true);
    showPage(MainPage);
    focusEdit();
    return result;
}

void TQRExpressionBuilder::InsertAtCursor(const QString& text) {
    ExprEdit->SetSelText(text);
    focusEdit();
}

// ------------------------------------------------------------ functions

void TQRExpressionBuilder::FillFunctionList(Integer category) {
    TStrings* items = AvailableFunc->Items();
    items->Clear();
    TQRFunctionLibrary* library = QRFunctionLibrary();
    for (Integer i = 0; library && i < library->EntryCount(); ++i) {
        TQRLibraryEntry* entry = library->GetEntry(i);
        if (category == 0 || entry->Data.left(1).toInt() == category) items->AddObject(entry->Name, entry);
    }
    ShowFunctionHelp(0);
}

void TQRExpressionBuilder::ShowFunctionHelp(Integer index) {
    TStrings* items = AvailableFunc->Items();
    QString name, help;
    if (index >= 0 && index < items->Count())
        SplitDescription(static_cast<TQRLibraryEntry*>(items->Objects(index))->Description, name, help);
    FuncName->SetCaption(name);
    FuncDescription->SetCaption(help);
}

void TQRExpressionBuilder::insertFunction() {
    if (runPage(FunctionPage, functionFlag_, false) != prOK) return;
    const Integer index = AvailableFunc->ItemIndex();
    if (index < 0) return;
    const auto* entry = static_cast<TQRLibraryEntry*>(AvailableFunc->Items()->Objects(index));
    QString result = entry->Name;
    if (entry->Data.size() > 1) {
        QString arguments;
        if (!runArguments(entry->Name, entry->Data.mid(1), arguments)) return;
        result += u'(' + arguments + u')';
    }
    InsertAtCursor(result);
}

bool TQRExpressionBuilder::runArguments(const QString& name, const QString& kinds, QString& arguments) {
    argumentFunction_ = name;
    CopyFuncName->SetCaption(FuncName->Caption());
    CopyFuncDescription->SetCaption(FuncDescription->Caption());
    for (Integer i = 0; i < Integer(kinds.size()); ++i) addArgumentRow(i, kinds[i]);
    const bool ok = runPage(FuncParamsPage, paramsFlag_, false) == prOK;
    if (ok) {
        QStringList texts;
        for (TEdit* edit : argEdits_) texts << edit->Text();
        arguments = texts.join(u',');
    }
    freeArgumentRows();
    return ok;
}

void TQRExpressionBuilder::addArgumentRow(Integer index, QChar kind) {
    const Integer top = RowPitch * index;
    const Integer boxWidth = FuncParamSB->Width();
    auto* label = new TLabel(nullptr);
    label->SetParent(FuncParamSB);
    label->SetBounds(10, top, boxWidth - 60, 15);
    label->SetCaption(ArgumentCaption(kind, index + 1));
    auto* edit = new TEdit(nullptr);
    edit->SetParent(FuncParamSB);
    edit->SetBounds(10, top + 15, boxWidth - 60, 21);
    edit->SetTag(index);
    auto* button = new TSpeedButton(nullptr);
    button->SetParent(FuncParamSB);
    button->SetBounds(boxWidth - 40, top + 15, 20, 20);
    button->SetCaption(QStringLiteral("..."));
    button->SetTag(index);
    button->OnClick = [this, index](TObject*) { editArgument(index); };
    argLabels_.push_back(label);
    argEdits_.push_back(edit);
    argButtons_.push_back(button);
}

void TQRExpressionBuilder::freeArgumentRows() {
    for (TSpeedButton* b : argButtons_) delete b;
    for (TEdit* e : argEdits_) delete e;
    for (TLabel* l : argLabels_) delete l;
    argButtons_.clear();
    argEdits_.clear();
    argLabels_.clear();
}

void TQRExpressionBuilder::editArgument(Integer index) {
    if (index < 0 || index >= Integer(argEdits_.size())) return;
    const QString title = QStringLiteral("Enter %1. parameter for %2").arg(index + 1).arg(argumentFunction_);
    QString text = argEdits_[size_t(index)]->Text();
    if (ExpressionBuilder(title, text, dataOwner_, environment_, this)) argEdits_[size_t(index)]->SetText(text);
    if (index >= Integer(argEdits_.size())) return;  // the page was left meanwhile
    showPage(FuncParamsPage);
    TEdit* edit = argEdits_[size_t(index)];
    if (edit->CanFocus()) edit->SetFocus();
    edit->SelectAll();
}

// ------------------------------------------------------------ data fields and variables

void TQRExpressionBuilder::FillLists() {
    TStrings* sets = AvailableDatasets->Items();
    sets->Clear();
    GetDataSetList(dataOwner_, true, sets);
    if (sets->Count() > 0) AvailableDatasets->SetItemIndex(0);
    listFields();

    TStrings* names = AvailableVariables->Items();
    names->Clear();
    if (environment_) {
        for (Integer i = 0; i < environment_->Count(); ++i) names->Add(environment_->Strings(i));
    }
    if (TQREvEnvironment* global = GlobalEnvironment()) {
        for (Integer i = 0; i < global->Count(); ++i) names->Add(global->Strings(i));
    }
    if (names->Count() > 0) AvailableVariables->SetItemIndex(0);
    showVariableValue();
}

void TQRExpressionBuilder::listFields() {
    TStrings* fields = AvailableFields->Items();
    fields->Clear();
    const Integer index = AvailableDatasets->ItemIndex();
    if (index < 0) return;
    const auto* dataSet = static_cast<TDataSet*>(AvailableDatasets->Items()->Objects(index));
    for (Integer i = 0; i < dataSet->FieldCount(); ++i) fields->Add(dataSet->Fields(i)->FieldName());
}

void TQRExpressionBuilder::insertDataField() {
    if (runPage(DataFieldPage, dataFieldFlag_, true) != prOK) return;
    const Integer set = AvailableDatasets->ItemIndex();
    const Integer field = AvailableFields->ItemIndex();
    if (set < 0 || field < 0) return;
    InsertAtCursor(AvailableDatasets->Items()->Strings(set) + u'.' + AvailableFields->Items()->Strings(field));
}

void TQRExpressionBuilder::showVariableValue() {
    const Integer index = AvailableVariables->ItemIndex();
    QString value;
    if (index >= 0) {
        const QString name = AvailableVariables->Items()->Strings(index);
        for (TQREvEnvironment* env : {environment_, GlobalEnvironment()}) {
            const Integer at = env ? env->IndexOf(name) : -1;
            if (at >= 0) {
                value = env->Entry(at)->Expression();
                break;
            }
        }
    }
    VariableValue->SetCaption(value);
}

void TQRExpressionBuilder::insertVariable() {
    if (runPage(VariablePage, variableFlag_, true) != prOK) return;
    const Integer index = AvailableVariables->ItemIndex();
    if (index >= 0) InsertAtCursor(AvailableVariables->Items()->Strings(index));
}

void TQRExpressionBuilder::modifyVariables() {
    EditEnvironment(environment_, true);
}

// ------------------------------------------------------------ checking

QString TQRExpressionBuilder::ValidationText() {
    EvalResult result;
    {
        PreparedScope global(GlobalEnvironment());
        PreparedScope local(environment_);
        TQRDataSetList sets;
        for (Integer i = 0; i < AvailableDatasets->Items()->Count(); ++i)
            sets.push_back(static_cast<TDataSet*>(AvailableDatasets->Items()->Objects(i)));
        TQREvaluator evaluator;
        evaluator.SetDataSets(&sets);
        evaluator.SetEnvironment(environment_);
        result = evaluator.Calculate(RemoveLineBreaks(ExprEdit->Text()));
        evaluator.SetDataSets(nullptr);
    }
    const QString text = ResultText(result);
    if (!text.isEmpty()) return QStringLiteral("There are no errors. The result is : ") + text;
    return QStringLiteral("ERROR: ") + result.Message();
}

void TQRExpressionBuilder::Validate() {
    ShowMessage(ValidationText());
}
