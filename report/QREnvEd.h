// The environment editor: the named expressions of a report's own
// environment or of the global one, listed in a grid of names and
// expressions, added, edited in place or through the expression builder,
// and deleted.
#pragma once

#include "Forms.h"

class TButton;
class TEdit;
class TGroupBox;
class TLabel;
class TQREvEnvironment;
class TRadioButton;
class TSpeedButton;
class TStringGrid;

class TQREnvironmentEditor : public TForm {
public:
    TQREnvironmentEditor(TComponent* AOwner, TQREvEnvironment* LocalEnvironment);

    TGroupBox* AvailableGB;
    TRadioButton* LocalCB;
    TRadioButton* GlobalCB;
    TStringGrid* UDFGrid;
    TGroupBox* NewEntryGB;
    TEdit* NameEdit;
    TEdit* ExpressionEdit;
    TSpeedButton* ExpressionBtn;
    TButton* NewOKBtn;
    TButton* NewCancelBtn;
    TButton* AddBtn;
    TButton* EditBtn;
    TButton* DeleteBtn;
    TButton* VariableOKBtn;

    // The local environment while LocalCB is checked, else the global one.
    TQREvEnvironment* CurrentEnvironment() const;
    // One row per entry under the header; an empty environment shows one
    // blank row that cannot be edited, so that the header stays fixed.
    void FillGrid();
    bool ClosedFlag() const { return closed_; }
    bool Adding() const { return adding_; }

    // A cell of the grid was edited: a name is stored upper case; an
    // expression replaces the entry unless the environment is prepared,
    // when the cell takes the entry's expression back and a message says why.
    void ApplyCellEdit(Integer ACol, Integer ARow, const QString& Value);
    // The selected entry through the expression builder.
    void EditEntry();
    // The new-entry step: waits for its OK or Cancel.
    void AddEntry();
    // Removes the selected entry; refused with a message while the
    // environment is prepared (prepared expressions still refer to it).
    void DeleteEntry();

protected:
    void DoClose(TCloseAction& Action) override;

private:
    void buildAvailable();
    void buildNewEntry();
    void buildButtons();
    TButton* makeButton(TWinControl* parent, const QString& name, const QString& caption, const TRect& bounds);
    // The entry index of a grid row; -1 for the header or a blank row.
    Integer entryOfRow(Integer row) const;
    void setMainButtonsVisible(bool on);
    void bringGroupToFront(TGroupBox* front, TGroupBox* back);
    void buildNewExpression();
    void refuseWhilePrepared(const QString& name, const QString& verb);

    TQREvEnvironment* local_;
    bool closed_ = false;
    bool adding_ = false;
    Integer newResult_ = 0;
};

// Shows the editor modally: on the local environment when there is one,
// else on the global one; switching to the global one only with AllowGlobal.
void EditEnvironment(TQREvEnvironment* LocalEnvironment, bool AllowGlobal);
