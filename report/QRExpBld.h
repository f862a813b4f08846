// The expression builder: a dialog in which a report expression is typed
// or put together from data-set fields, library functions with their
// arguments and the named expressions of the environments, and checked by
// evaluating it once. Its steps are pages of one window: a page is brought
// to the front and the dialog waits until the page's flag says OK or
// cancel. A builder for one function argument runs docked inside the
// window that asked for it.
#pragma once

#include "Forms.h"
#include "StdCtrls.h"

#include <vector>

class TButton;
class TEdit;
class TGroupBox;
class TImage;
class TLabel;
class TListBox;
class TPanel;
class TQREvEnvironment;
class TScrollBox;
class TSpeedButton;
class TStrings;

// A multi-line edit box whose long lines wrap; Enter breaks the line.
class TWordWrapEdit : public TCustomMemo {
public:
    explicit TWordWrapEdit(TComponent* AOwner);
};

// Every data set owned by Owner, also those owned by its windowed controls,
// as (name, data set); with AllForms the data sets owned by each form of
// the screen as well. A data set already listed is not listed again.
void GetDataSetList(TComponent* Owner, bool AllForms, TStrings* List);

// The text with each carriage return removed together with the character
// after it, so that a line break of the edit box vanishes.
QString RemoveLineBreaks(const QString& text);

// Result flags of a page of the dialog.
enum TQRPageResult { prWaiting = 0, prOK = 1, prCancel = 2 };

class TQRExpressionBuilder : public TForm {
public:
    // Owner's data sets (and every form's) are offered; the local
    // environment may be nil, the global one is always offered.
    TQRExpressionBuilder(TComponent* AOwner, TComponent* DataOwner, TQREvEnvironment* Environment);
    ~TQRExpressionBuilder() override;

    TPanel* TopPanel;
    TImage* Picture;
    TLabel* TitleLabel;

    TPanel* MainPage;
    TLabel* Heading;
    TWordWrapEdit* ExprEdit;
    TGroupBox* InsertGB;
    TButton* InsertDataFieldBtn;
    TButton* InsertFunctionBtn;
    TButton* InsertVariableBtn;
    TButton* AddPlus;
    TButton* AddMinus;
    TButton* AddMul;
    TButton* AddDiv;
    TButton* AddEqual;
    TButton* AddSmaller;
    TButton* AddLarger;
    TButton* AddNotEqual;
    TButton* AddLessEqual;
    TButton* AddGreaterEqual;
    TButton* AddNot;
    TButton* AddAnd;
    TButton* AddOr;
    TButton* ValidateBtn;
    TButton* Clear;
    TButton* OK;
    TButton* Cancel;

    TPanel* FunctionPage;
    TListBox* Categories;
    TListBox* AvailableFunc;
    TLabel* FuncName;
    TLabel* FuncDescription;
    TButton* FunctionOKBtn;
    TButton* FunctionCancelBtn;

    TPanel* FuncParamsPage;
    TLabel* CopyFuncName;
    TLabel* CopyFuncDescription;
    TScrollBox* FuncParamSB;
    TButton* FuncParamOkBtn;
    TButton* FuncArgCancelBtn;

    TPanel* DataFieldPage;
    TListBox* AvailableDatasets;
    TListBox* AvailableFields;
    TButton* DataFieldOKBtn;
    TButton* DataFieldCancelBtn;

    TPanel* VariablePage;
    TListBox* AvailableVariables;
    TLabel* VariableValue;
    TButton* VariableOKBtn;
    TButton* VariableCancelBtn;
    TButton* ModifyVariables;

    // The argument rows of the function being inserted, while its page runs.
    const std::vector<TLabel*>& ArgumentLabels() const { return argLabels_; }
    const std::vector<TEdit*>& ArgumentEdits() const { return argEdits_; }
    const std::vector<TSpeedButton*>& ArgumentButtons() const { return argButtons_; }

    // The page in front, and whether the dialog's window was closed.
    TPanel* CurrentPage() const { return currentPage_; }
    bool ClosedFlag() const { return closed_; }

    // The text replaces the edit's selection; the caret follows it.
    void InsertAtCursor(const QString& text);
    // Category 0 lists every library function.
    void FillFunctionList(Integer category);
    void ShowFunctionHelp(Integer index);
    // The data-set list (first entry chosen, its fields listed) and the
    // variable list (local names, then global ones; first shown).
    void FillLists();
    // Evaluates the expression once: the result or the error, as shown.
    QString ValidationText();
    void Validate();

    // Runs the dialog docked in parent until its modal result is set or the
    // window closed.
    void RunDocked(TWinControl* parent);

protected:
    void Activate() override;
    void DoClose(TCloseAction& Action) override;
    void KeyPress(WideChar& Key) override;

private:
    void buildWindow();
    void buildMainPage();
    void buildOperators();
    void buildFunctionPage();
    void buildParamsPage();
    void buildDataFieldPage();
    void buildVariablePage();
    TPanel* makePage(const QString& name, const QString& caption);
    TButton* makeButton(TWinControl* parent, const QString& name, const QString& caption, const TRect& bounds);
    void endPage(Integer& flag, TQRPageResult result);

    // Brings page to the front and waits for its flag (or, with
    // endsOnClose, the closed flag); 0 counts as cancel.
    TQRPageResult runPage(TPanel* page, Integer& flag, bool endsOnClose);
    // The page comes to the front; the others are hidden behind it.
    void showPage(TPanel* page);
    // Stops every wait: the window or the one it is docked in was closed.
    bool abandoned() const;
    void focusEdit();

    void insertFunction();
    bool runArguments(const QString& name, const QString& kinds, QString& arguments);
    void addArgumentRow(Integer index, QChar kind);
    void freeArgumentRows();
    void editArgument(Integer index);
    void insertDataField();
    void listFields();
    void insertVariable();
    void showVariableValue();
    void modifyVariables();

    TComponent* dataOwner_;
    TQREvEnvironment* environment_;
    TPanel* currentPage_ = nullptr;
    Integer functionFlag_ = prWaiting;
    Integer paramsFlag_ = prWaiting;
    Integer dataFieldFlag_ = prWaiting;
    Integer variableFlag_ = prWaiting;
    bool closed_ = false;
    bool docked_ = false;
    QString argumentFunction_;
    std::vector<TLabel*> argLabels_;
    std::vector<TEdit*> argEdits_;
    std::vector<TSpeedButton*> argButtons_;
};

// Runs the builder for Expression with Title (empty keeps "Enter
// expression:"): docked in DockParent when given, else modal and centred.
// OK gives the text without its line breaks and true; otherwise Expression
// becomes empty and the answer is false.
bool ExpressionBuilder(const QString& Title, QString& Expression, TComponent* Owner,
                       TQREvEnvironment* Environment, TWinControl* DockParent);
