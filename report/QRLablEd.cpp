#include "QRLablEd.h"

#include "FormBuild.h"
#include "QRCtrls.h"
#include "StdCtrls.h"
#include "StdCtrlsEdit.h"
#include "SysUtils.h"

#include <memory>

namespace {
constexpr Integer ClientW = 300;
constexpr Integer GroupH = 120;
constexpr Integer ButtonW = 75;
constexpr Integer ButtonH = 25;
}  // namespace

// ------------------------------------------------------------ the dialog

TQRLabelEditorForm::TQRLabelEditorForm(TComponent* AOwner) : TForm(AOwner) {
    SetCaption(QStringLiteral("Text Settings"));
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientSize(ClientW, GroupH + 50);
    PropertiesGB = MakeControl<TGroupBox>(this, this, QStringLiteral("PropertiesGB"), Bounds(8, 8, 284, GroupH));
    PropertiesGB->SetCaption(QStringLiteral("Properties"));
    ValueLabel = MakeControl<TLabel>(this, PropertiesGB, QStringLiteral("ValueLabel"), Bounds(10, 24, 70, 16));
    ValueLabel->SetCaption(QStringLiteral("Text"));
    Value = MakeControl<TEdit>(this, PropertiesGB, QStringLiteral("Value"), Bounds(84, 20, 190, 21));
    auto* widthLabel = MakeControl<TLabel>(this, PropertiesGB, QStringLiteral("WidthLabel"), Bounds(10, 52, 70, 16));
    widthLabel->SetCaption(QStringLiteral("Width"));
    Width = MakeControl<TEdit>(this, PropertiesGB, QStringLiteral("Width"), Bounds(84, 48, 70, 21));
    auto* heightLabel = MakeControl<TLabel>(this, PropertiesGB, QStringLiteral("HeightLabel"), Bounds(10, 80, 70, 16));
    heightLabel->SetCaption(QStringLiteral("Height"));
    Height = MakeControl<TEdit>(this, PropertiesGB, QStringLiteral("Height"), Bounds(84, 76, 70, 21));
    AutoSize = MakeControl<TCheckBox>(this, PropertiesGB, QStringLiteral("AutoSize"), Bounds(170, 50, 104, 17));
    AutoSize->SetCaption(QStringLiteral("Autosize"));
    Stretch = MakeControl<TCheckBox>(this, PropertiesGB, QStringLiteral("Stretch"), Bounds(170, 70, 104, 17));
    Stretch->SetCaption(QStringLiteral("Stretch"));
    Transparent = MakeControl<TCheckBox>(this, PropertiesGB, QStringLiteral("Transparent"), Bounds(170, 90, 104, 17));
    Transparent->SetCaption(QStringLiteral("Transparent"));
    OKBtn = MakeControl<TButton>(this, this, QStringLiteral("OKBtn"), Bounds(136, GroupH + 16, ButtonW, ButtonH));
    OKBtn->SetCaption(QStringLiteral("OK"));
    OKBtn->SetDefault(true);
    OKBtn->SetModalResult(mrOk);
    Button4 = MakeControl<TButton>(this, this, QStringLiteral("Button4"), Bounds(217, GroupH + 16, ButtonW, ButtonH));
    Button4->SetCaption(QStringLiteral("Cancel"));
    Button4->SetCancel(true);
    Button4->SetModalResult(mrCancel);
}

void TQRLabelEditorForm::GrowProperties(Integer extra) {
    SetClientSize(ClientWidth(), ClientHeight() + extra);
    PropertiesGB->SetBounds(PropertiesGB->Left(), PropertiesGB->Top(), PropertiesGB->Width(),
                            PropertiesGB->Height() + extra);
    for (TButton* b : {OKBtn, Button4}) b->SetBounds(b->Left(), b->Top() + extra, b->Width(), b->Height());
}

// ------------------------------------------------------------ the editor

namespace {
// A size as the dialog shows it: two decimals at most.
QString SizeText(Extended value) {
    return FormatFloat(QStringLiteral("0.##"), value);
}
}  // namespace

Extended ParseQRSize(const QString& text) {
    const Extended value = StrToFloat(text);
    if (value < 0) throw EConvertError(QStringLiteral("'%1' is not a valid size").arg(text));
    return value;
}

TQRCustomLabel* TQRLabelEditor::Label() const {
    return static_cast<TQRCustomLabel*>(Control());
}

TColor TQRLabelEditor::Color() const {
    return Label()->Color();
}

TFont* TQRLabelEditor::Font() const {
    return Label()->Font();
}

const std::type_info& TQRLabelEditor::ControlClass() const {
    return typeid(TQRLabel);
}

QString TQRLabelEditor::Text() const {
    return Label()->Caption();
}

TAlignment TQRLabelEditor::Alignment() const {
    return Label()->Alignment();
}

void TQRLabelEditor::SetAlignment(TAlignment Value) {
    Label()->SetAlignment(Value);
}

void TQRLabelEditor::SetColor(TColor Value) {
    Label()->SetColor(Value);
}

void TQRLabelEditor::SetFont(TFont* Value) {
    Label()->SetFont(Value);
}

void TQRLabelEditor::SetText(const QString& Value) {
    Label()->SetCaption(Value);
}

TQRLabelEditorForm* TQRLabelEditor::CreateForm() const {
    return new TQRLabelEditorForm(Application);
}

void TQRLabelEditor::LoadForm(TQRLabelEditorForm& form) const {
    TQRCustomLabel* label = Label();
    form.Value->SetText(Text());
    form.Width->SetText(SizeText(label->Size()->Width()));
    form.Height->SetText(SizeText(label->Size()->Height()));
    form.AutoSize->SetChecked(label->AutoSize());
    form.Stretch->SetChecked(label->AutoStretch());
    form.Transparent->SetChecked(label->Transparent());
}

TQRLabelSettings TQRLabelEditor::ReadForm(const TQRLabelEditorForm& form) {
    TQRLabelSettings s;
    s.Text = form.Value->Text();
    s.Width = ParseQRSize(form.Width->Text());
    s.Height = ParseQRSize(form.Height->Text());
    s.AutoSize = form.AutoSize->Checked();
    s.Stretch = form.Stretch->Checked();
    s.Transparent = form.Transparent->Checked();
    return s;
}

void TQRLabelEditor::ApplyForm(const TQRLabelEditorForm&, const TQRLabelSettings& s) {
    TQRCustomLabel* label = Label();
    SetText(s.Text);
    label->Size()->SetWidth(s.Width);
    label->Size()->SetHeight(s.Height);
    label->SetAutoSize(s.AutoSize);
    label->SetAutoStretch(s.Stretch);
    label->SetTransparent(s.Transparent);
}

bool TQRLabelEditor::Edit() {
    std::unique_ptr<TQRLabelEditorForm> form(CreateForm());
    LoadForm(*form);
    const QString shownWidth = form->Width->Text(), shownHeight = form->Height->Text();
    if (form->ShowModal() != mrOk) return false;
    TQRLabelSettings settings = ReadForm(*form);
    // A size left as shown keeps its exact value, not the rounded one.
    if (form->Width->Text() == shownWidth) settings.Width = Label()->Size()->Width();
    if (form->Height->Text() == shownHeight) settings.Height = Label()->Size()->Height();
    ApplyForm(*form, settings);
    return true;
}

// ------------------------------------------------------------ the control's answer

std::unique_ptr<TQRPrintableEditor> TQRLabel::CreateEditor() {
    return std::make_unique<TQRLabelEditor>(this);
}
