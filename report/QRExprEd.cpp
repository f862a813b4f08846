#include "QRExprEd.h"

#include "Buttons.h"
#include "FormBuild.h"
#include "QRCtrls.h"
#include "QRExpBld.h"
#include "StdCtrls.h"
#include "StdCtrlsCombo.h"
#include "StdCtrlsEdit.h"

#include <memory>

namespace {
constexpr Integer MaskRow = 28;
}  // namespace

TCustomForm* QROwningForm(const TControl* control) {
    for (TControl* p = control ? control->Parent() : nullptr; p; p = p->Parent()) {
        if (auto* form = dynamic_cast<TCustomForm*>(p)) return form;
    }
    return nullptr;
}

// ------------------------------------------------------------ the dialog

TQRExprEditorForm::TQRExprEditorForm(TComponent* AOwner, TCustomForm* OwnerForm)
    : TQRLabelEditorForm(AOwner), ownerForm_(OwnerForm) {
    SetCaption(QStringLiteral("Expression settings"));
    ValueLabel->SetCaption(QStringLiteral("Expression"));
    Value->SetBounds(Value->Left(), Value->Top(), Value->Width() - 26, Value->Height());
    ShowExprBuilder =
        MakeControl<TSpeedButton>(this, PropertiesGB, QStringLiteral("ShowExprBuilder"), Bounds(252, 20, 22, 21));
    ShowExprBuilder->SetCaption(QStringLiteral("..."));
    ShowExprBuilder->OnClick = [this](TObject*) { BuildExpression(); };
    GrowProperties(MaskRow);
    const Integer top = PropertiesGB->Height() - MaskRow - 8;
    auto* maskLabel = MakeControl<TLabel>(this, PropertiesGB, QStringLiteral("MaskLabel"), Bounds(10, top + 4, 74, 16));
    maskLabel->SetCaption(QStringLiteral("Format mask"));
    Mask = MakeControl<TComboBox>(this, PropertiesGB, QStringLiteral("Mask"), Bounds(84, top, 190, 21));
    for (const char* mask : {"#,##0", "#,##0.00", "0.00", "yyyy/mm/dd"}) Mask->Items()->Add(QString::fromLatin1(mask));
}

void TQRExprEditorForm::BuildExpression() {
    QString expression = Value->Text();
    if (ExpressionBuilder(QString(), expression, ownerForm_, nullptr, nullptr)) Value->SetText(expression);
}

// ------------------------------------------------------------ the editor

const std::type_info& TQRExprEditor::ControlClass() const {
    return typeid(TQRExpr);
}

QString TQRExprEditor::Text() const {
    return static_cast<TQRExpr*>(Control())->Expression();
}

void TQRExprEditor::SetText(const QString& Value) {
    static_cast<TQRExpr*>(Control())->SetExpression(Value);
}

TQRLabelEditorForm* TQRExprEditor::CreateForm() const {
    return new TQRExprEditorForm(Application, QROwningForm(Control()));
}

void TQRExprEditor::LoadForm(TQRLabelEditorForm& form) const {
    TQRLabelEditor::LoadForm(form);
    static_cast<TQRExprEditorForm&>(form).Mask->SetText(static_cast<TQRExpr*>(Control())->Mask());
}

void TQRExprEditor::ApplyForm(const TQRLabelEditorForm& form, const TQRLabelSettings& settings) {
    TQRLabelEditor::ApplyForm(form, settings);
    static_cast<TQRExpr*>(Control())->SetMask(static_cast<const TQRExprEditorForm&>(form).Mask->Text());
}

// ------------------------------------------------------------ the control's answer

std::unique_ptr<TQRPrintableEditor> TQRExpr::CreateEditor() {
    return std::make_unique<TQRExprEditor>(this);
}
