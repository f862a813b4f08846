#include "Dialogs.h"

#include <QtWidgets/QApplication>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QPushButton>

#include <map>

namespace {

struct DialogHooks {
    TMessageBoxHook box;
    TBeepHook beep;
};

DialogHooks& Hooks() {
    static DialogHooks hooks;
    return hooks;
}

QMessageBox::Icon QtIcon(TMsgDlgType type) {
    switch (type) {
    case mtWarning: return QMessageBox::Warning;
    case mtError: return QMessageBox::Critical;
    case mtInformation: return QMessageBox::Information;
    case mtConfirmation: return QMessageBox::Question;
    default: return QMessageBox::NoIcon;
    }
}

QMessageBox::ButtonRole QtRole(Integer answer) {
    switch (answer) {
    case IDOK: case IDYES: case mrAll: case mrYesToAll: return QMessageBox::AcceptRole;
    case IDNO: case mrNoToAll: return QMessageBox::NoRole;
    case IDCANCEL: case IDABORT: return QMessageBox::RejectRole;
    default: return QMessageBox::ActionRole;
    }
}

TMsgDlgType TypeOfFlags(Cardinal flags) {
    switch (flags & 0xF0) {
    case MB_ICONSTOP: return mtError;
    case MB_ICONQUESTION: return mtConfirmation;
    case MB_ICONEXCLAMATION: return mtWarning;
    case MB_ICONASTERISK: return mtInformation;
    default: return mtCustom;
    }
}

// The Qt box, modal to the application, over the owner's form.
Integer ShowRealBox(const TMessageBoxRequest& r) {
    QWidget* parent = nullptr;
    if (TCustomForm* form = GetParentForm(r.Owner); form && form->HandleAllocated()) parent = form->Handle();
    QMessageBox box(QtIcon(r.Type), r.Caption, r.Text, QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    std::map<QAbstractButton*, Integer> answers;
    for (Integer answer : r.Buttons) {
        QPushButton* b = box.addButton(MessageButtonCaption(answer), QtRole(answer));
        answers[b] = answer;
        if (answer == r.DefaultButton) box.setDefaultButton(b);
        if (answer == r.EscapeButton) box.setEscapeButton(b);
    }
    QWidget* previous = QApplication::activeWindow();
    box.exec();
    // The window that was active gets the activation back, as on the platform.
    if (previous && previous->isVisible()) previous->activateWindow();
    auto it = answers.find(box.clickedButton());
    return it != answers.end() ? it->second : r.EscapeButton;
}

// The hook answers when there is one, else the real box.
Integer Ask(const TMessageBoxRequest& request) {
    return Hooks().box ? Hooks().box(request) : ShowRealBox(request);
}

TWinControl* ActiveForm() {
    return Screen ? Screen->ActiveCustomForm() : nullptr;
}

QString ApplicationTitle() {
    return Application ? Application->Title() : QString();
}

}  // namespace

void SetMessageBoxHook(TMessageBoxHook hook) {
    Hooks().box = std::move(hook);
}

void SetBeepHook(TBeepHook hook) {
    Hooks().beep = std::move(hook);
}

QString MessageButtonCaption(Integer answer) {
    switch (answer) {
    case IDOK: return QStringLiteral("OK");
    case IDCANCEL: return QStringLiteral("キャンセル");
    case IDABORT: return QStringLiteral("中止(&A)");
    case IDRETRY: return QStringLiteral("再試行(&R)");
    case IDIGNORE: return QStringLiteral("無視(&I)");
    case IDYES: return QStringLiteral("はい(&Y)");
    case IDNO: return QStringLiteral("いいえ(&N)");
    case mrAll: return QStringLiteral("すべて(&A)");
    case mrNoToAll: return QStringLiteral("すべていいえ(&O)");
    case mrYesToAll: return QStringLiteral("すべてはい(&L)");
    default: return QString();
    }
}

TMessageBoxRequest MessageBoxRequest(TWinControl* owner, const QString& text, const QString& caption, Cardinal flags) {
    TMessageBoxRequest r;
    r.Text = text;
    r.Caption = caption;
    r.Owner = owner;
    r.Type = TypeOfFlags(flags);
    switch (flags & 0x0F) {
    case MB_OKCANCEL: r.Buttons = {IDOK, IDCANCEL}; break;
    case MB_ABORTRETRYIGNORE: r.Buttons = {IDABORT, IDRETRY, IDIGNORE}; break;
    case MB_YESNOCANCEL: r.Buttons = {IDYES, IDNO, IDCANCEL}; break;
    case MB_YESNO: r.Buttons = {IDYES, IDNO}; break;
    case MB_RETRYCANCEL: r.Buttons = {IDRETRY, IDCANCEL}; break;
    default: r.Buttons = {IDOK}; break;
    }
    const size_t def = (flags & 0x0F00) >> 8;
    r.DefaultButton = r.Buttons[def < r.Buttons.size() ? def : 0];
    for (Integer b : r.Buttons) {
        if (b == IDCANCEL) r.EscapeButton = IDCANCEL;
    }
    if (r.EscapeButton == 0) {
        // No Cancel: Esc gives No, or OK for a single OK button.
        for (Integer b : r.Buttons) {
            if (b == IDNO || (b == IDOK && r.Buttons.size() == 1)) r.EscapeButton = b;
        }
    }
    return r;
}

Integer MessageBox(TWinControl* owner, const QString& text, const QString& caption, Cardinal flags) {
    return Ask(MessageBoxRequest(owner, text, caption, flags));
}

TModalResult MessageDlg(const QString& msg, TMsgDlgType type, TMsgDlgButtons buttons, Integer) {
    static const std::pair<TMsgDlgBtn, Integer> order[] = {
        {mbYes, mrYes}, {mbNo, mrNo}, {mbOK, mrOk}, {mbCancel, mrCancel}, {mbAbort, mrAbort},
        {mbRetry, mrRetry}, {mbIgnore, mrIgnore}, {mbAll, mrAll}, {mbNoToAll, mrNoToAll}, {mbYesToAll, mrYesToAll},
    };
    TMessageBoxRequest r;
    r.Text = msg;
    r.Type = type;
    switch (type) {
    case mtWarning: r.Caption = QStringLiteral("警告"); break;
    case mtError: r.Caption = QStringLiteral("エラー"); break;
    case mtInformation: r.Caption = QStringLiteral("情報"); break;
    case mtConfirmation: r.Caption = QStringLiteral("確認"); break;
    default: r.Caption = ApplicationTitle(); break;
    }
    for (const auto& [button, answer] : order) {
        if (buttons.Contains(button)) r.Buttons.push_back(answer);
    }
    if (r.Buttons.empty()) r.Buttons.push_back(mrOk);
    r.DefaultButton = buttons.Contains(mbOK) ? mrOk : buttons.Contains(mbYes) ? mrYes : r.Buttons.front();
    r.EscapeButton = buttons.Contains(mbCancel) ? mrCancel : buttons.Contains(mbNo) ? mrNo
                     : buttons.Contains(mbOK) ? mrOk : 0;
    r.Owner = ActiveForm();
    return Ask(r);
}

void ShowMessage(const QString& msg) {
    MessageBox(ActiveForm(), msg, ApplicationTitle(), MB_OK);
}

bool MessageBeep(Cardinal type) {
    if (Hooks().beep) Hooks().beep(type);
    else if (qobject_cast<QApplication*>(QCoreApplication::instance())) QApplication::beep();
    return true;
}

void Beep() {
    MessageBeep(0);
}
