// Message boxes and beeps. Every box and every beep goes through a hook
// that tests replace (and count); the real ones are a Qt message box with
// the platform's Japanese button captions and QApplication::beep.
#pragma once

#include "Controls.h"
#include "Forms.h"

#include <QtCore/QStringList>

#include <functional>
#include <vector>

// Buttons, icons and default of MessageBox.
constexpr Cardinal MB_OK = 0x0000, MB_OKCANCEL = 0x0001, MB_ABORTRETRYIGNORE = 0x0002, MB_YESNOCANCEL = 0x0003,
                   MB_YESNO = 0x0004, MB_RETRYCANCEL = 0x0005, MB_ICONHAND = 0x0010, MB_ICONSTOP = 0x0010,
                   MB_ICONERROR = 0x0010, MB_ICONQUESTION = 0x0020, MB_ICONEXCLAMATION = 0x0030,
                   MB_ICONWARNING = 0x0030, MB_ICONASTERISK = 0x0040, MB_ICONINFORMATION = 0x0040,
                   MB_DEFBUTTON1 = 0x0000, MB_DEFBUTTON2 = 0x0100, MB_DEFBUTTON3 = 0x0200,
                   MB_APPLMODAL = 0x0000, MB_SYSTEMMODAL = 0x1000, MB_TASKMODAL = 0x2000;
// Answers of MessageBox.
constexpr Integer IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = Set<TMsgDlgBtn>;

// What a box asks: its buttons as the answers they give (IDYES... which
// equal mrYes...), in order, the default and the Esc answer (0: none).
struct TMessageBoxRequest {
    QString Text;
    QString Caption;
    TMsgDlgType Type = mtCustom;
    std::vector<Integer> Buttons;
    Integer DefaultButton = 0;
    Integer EscapeButton = 0;
    TWinControl* Owner = nullptr;
};

// Answers a box instead of showing it (nil: the real box again).
using TMessageBoxHook = std::function<Integer(const TMessageBoxRequest& Request)>;
void SetMessageBoxHook(TMessageBoxHook hook);
// Sounds a beep instead of the system (nil: the real beep again).
using TBeepHook = std::function<void(Cardinal Type)>;
void SetBeepHook(TBeepHook hook);

// The caption of the button giving answer ("はい(&Y)" for IDYES).
QString MessageButtonCaption(Integer answer);
// The request a MessageBox call makes (buttons, default, Esc).
TMessageBoxRequest MessageBoxRequest(TWinControl* owner, const QString& text, const QString& caption, Cardinal flags);

// Modal to owner's form (nil: the active form); Enter answers the
// default button; Esc answers Cancel, or No when there is no Cancel.
Integer MessageBox(TWinControl* owner, const QString& text, const QString& caption, Cardinal flags);
inline Integer MessageBoxW(TWinControl* owner, const QString& text, const QString& caption, Cardinal flags) {
    return MessageBox(owner, text, caption, flags);
}
// The framework's dialog: caption by type ("警告", "エラー", "情報", "確認",
// the application title for mtCustom); answers mrYes...
TModalResult MessageDlg(const QString& msg, TMsgDlgType type, TMsgDlgButtons buttons, Integer helpCtx);
// A plain box with the application title and an OK button.
void ShowMessage(const QString& msg);

bool MessageBeep(Cardinal type);
void Beep();

// ------------------------------------------------------------ file dialogs

enum class TFileDialogKind { Open, Save };

// What a file dialog asks; whoever answers sets FileName and FilterIndex.
struct TFileDialogRequest {
    TFileDialogKind Kind = TFileDialogKind::Open;
    QString Title;
    QStringList NameFilters;  // one "desc (patterns)" per filter line
    Integer FilterIndex = 1;  // 1-based
    QString InitialDir;
    QString FileName;
};

// Answers file dialogs instead of showing them: true when a file was
// chosen (nil: the real dialog again).
using TFileDialogHook = std::function<bool(TFileDialogRequest& Request)>;
void SetFileDialogHook(TFileDialogHook hook);

// The filter lines of "desc|mask|desc|mask...", a mask holding patterns
// separated by ";": "Reports (*.VOZ;*.TXT)" or "Reports|*.VOZ;*.TXT" both
// give "Reports (*.VOZ *.TXT)". Patterns match in any case.
QStringList FileDialogNameFilters(const QString& filter);

// Choosing a file to open; the name need not exist.
class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* AOwner);

    const QString& Title() const { return title_; }
    void SetTitle(const QString& title) { title_ = title; }
    const QString& Filter() const { return filter_; }
    void SetFilter(const QString& filter) { filter_ = filter; }
    // The filter line shown first, and after Execute the one chosen
    // (1-based; out of range shows the first).
    Integer FilterIndex() const { return filterIndex_; }
    void SetFilterIndex(Integer index) { filterIndex_ = index; }
    // Appended (after a ".") to a chosen name that has no extension.
    const QString& DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(const QString& ext);
    const QString& InitialDir() const { return initialDir_; }
    void SetInitialDir(const QString& dir) { initialDir_ = dir; }
    // The name proposed, and after Execute the name chosen (full path).
    const QString& FileName() const { return fileName_; }
    void SetFileName(const QString& name) { fileName_ = name; }

    // True when the user chose a file; Cancel changes nothing.
    bool Execute();

protected:
    virtual TFileDialogKind Kind() const { return TFileDialogKind::Open; }

private:
    QString title_;
    QString filter_;
    Integer filterIndex_ = 1;
    QString defaultExt_;
    QString initialDir_;
    QString fileName_;
};

// Choosing a name to save under; an existing file is not questioned.
class TSaveDialog : public TOpenDialog {
public:
    using TOpenDialog::TOpenDialog;

protected:
    TFileDialogKind Kind() const override { return TFileDialogKind::Save; }
};

// ------------------------------------------------------------ input boxes

struct TInputQueryRequest {
    QString Caption;
    QString Prompt;
    QString Value;  // in: the default; out: the text entered
};

// Answers input boxes instead of showing them: true for OK (nil: the real box).
using TInputQueryHook = std::function<bool(TInputQueryRequest& Request)>;
void SetInputQueryHook(TInputQueryHook hook);

// A box with the prompt above a one-line edit holding value (selected), OK
// and Cancel; true and the text in value for OK (or Enter), false and value
// unchanged for Cancel (or Esc).
bool InputQuery(const QString& caption, const QString& prompt, QString& value);
// The text entered, or defaultValue on Cancel.
QString InputBox(const QString& caption, const QString& prompt, const QString& defaultValue);
