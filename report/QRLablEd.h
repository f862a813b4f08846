// The quick editor of a report text control and its "Text Settings"
// dialog: text, size in the report's units, autosize, stretch and
// transparency.
#pragma once

#include "Forms.h"
#include "QRReport.h"

class TButton;
class TCheckBox;
class TEdit;
class TGroupBox;
class TLabel;
class TQRCustomLabel;

class TQRLabelEditorForm : public TForm {
public:
    explicit TQRLabelEditorForm(TComponent* AOwner);

    TGroupBox* PropertiesGB;
    TLabel* ValueLabel;
    TEdit* Value;
    TEdit* Width;
    TEdit* Height;
    TCheckBox* AutoSize;
    TCheckBox* Stretch;
    TCheckBox* Transparent;
    TButton* OKBtn;
    TButton* Button4;

protected:
    // Room for more rows in the group, which moves the buttons down.
    void GrowProperties(Integer extra);
};

// The settings of the dialog, read and checked before any is applied.
struct TQRLabelSettings {
    QString Text;
    Extended Width = 0;
    Extended Height = 0;
    bool AutoSize = false;
    bool Stretch = false;
    bool Transparent = false;
};

// A size typed in the dialog: a decimal number of at least 0;
// EConvertError otherwise.
Extended ParseQRSize(const QString& text);

class TQRLabelEditor : public TQRPrintableEditor {
public:
    explicit TQRLabelEditor(TQRPrintable* Control) : TQRPrintableEditor(Control) {}

    TColor Color() const override;
    TFont* Font() const override;
    const std::type_info& ControlClass() const override;
    QString Text() const override;
    QString Identifier() const override { return QStringLiteral("QRLABEL"); }
    QString Description() const override { return QStringLiteral("Text Control"); }
    TAlignment Alignment() const override;
    void SetAlignment(TAlignment Value) override;
    void SetColor(TColor Value) override;
    void SetFont(TFont* Value) override;
    void SetText(const QString& Value) override;
    // Shows the dialog; on OK every value is checked first (a size that is
    // not a number raises EConvertError and nothing changes), then applied.
    bool Edit() override;

protected:
    TQRCustomLabel* Label() const;
    virtual TQRLabelEditorForm* CreateForm() const;
    // The control's values into the dialog, and the checked ones back.
    virtual void LoadForm(TQRLabelEditorForm& form) const;
    virtual void ApplyForm(const TQRLabelEditorForm& form, const TQRLabelSettings& settings);

private:
    static TQRLabelSettings ReadForm(const TQRLabelEditorForm& form);
};
