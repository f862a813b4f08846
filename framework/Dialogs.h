// Message boxes and beeps. Every box and every beep goes through a hook
// that tests replace (and count); the real ones are a Qt message box with
// the platform's Japanese button captions and QApplication::beep.
#pragma once

#include "Controls.h"
#include "Forms.h"

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
