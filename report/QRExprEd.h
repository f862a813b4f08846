// The quick editor of a report expression control and its "Expression
// settings" dialog: the label's settings plus the expression, built with
// the expression builder, and the format mask.
#pragma once

#include "QRLablEd.h"

class TComboBox;
class TSpeedButton;

class TQRExprEditorForm : public TQRLabelEditorForm {
public:
    // OwnerForm's data sets are offered by the builder (nil: none).
    TQRExprEditorForm(TComponent* AOwner, TCustomForm* OwnerForm);

    TSpeedButton* ShowExprBuilder;
    TComboBox* Mask;
    TCustomForm* OwnerForm() const { return ownerForm_; }

    // The expression builder on Value's text; OK puts its result there.
    void BuildExpression();

private:
    TCustomForm* ownerForm_;
};

class TQRExprEditor : public TQRLabelEditor {
public:
    explicit TQRExprEditor(TQRPrintable* Control) : TQRLabelEditor(Control) {}

    const std::type_info& ControlClass() const override;
    QString Text() const override;
    QString Identifier() const override { return QStringLiteral("QREXPR"); }
    QString Description() const override { return QStringLiteral("Expression Control"); }
    void SetText(const QString& Value) override;

protected:
    TQRLabelEditorForm* CreateForm() const override;
    void LoadForm(TQRLabelEditorForm& form) const override;
    void ApplyForm(const TQRLabelEditorForm& form, const TQRLabelSettings& settings) override;
};

// The first form among control's parents; nil when it sits on none.
TCustomForm* QROwningForm(const TControl* control);
