// File dialogs and input boxes: Qt's own dialogs (the same on every
// desktop), or the hooks tests put in their place.
#include "Dialogs.h"

#include <QtCore/QFileInfo>
#include <QtGui/QFontMetrics>
#include <QtWidgets/QApplication>
#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QVBoxLayout>

namespace {

TFileDialogHook& FileHook() {
    static TFileDialogHook hook;
    return hook;
}

TInputQueryHook& InputHook() {
    static TInputQueryHook hook;
    return hook;
}

// The active form's window, so that a dialog stays over it.
QWidget* DialogParent() {
    TCustomForm* form = Screen ? Screen->ActiveCustomForm() : nullptr;
    return form && form->HandleAllocated() ? form->Handle() : nullptr;
}

// Runs a modal dialog and gives the activation back to the window that had it.
int RunModal(QDialog& dialog) {
    QWidget* previous = QApplication::activeWindow();
    const int result = dialog.exec();
    if (previous && previous->isVisible()) previous->activateWindow();
    return result;
}

QString NameFilter(const QString& description, const QString& mask) {
    QStringList patterns;
    for (const QString& p : mask.split(u';', Qt::SkipEmptyParts)) patterns << p.trimmed();
    if (patterns.isEmpty()) patterns << QStringLiteral("*");
    const QString shown = u'(' + patterns.join(u' ') + u')';
    QString desc = description.trimmed();
    // A description that already names its mask keeps one copy of it.
    const QString named = u'(' + mask.trimmed() + u')';
    if (desc.endsWith(named, Qt::CaseInsensitive)) desc.chop(named.size());
    desc = desc.trimmed();
    return desc.isEmpty() ? shown : desc + u' ' + shown;
}

bool RealFileDialog(TFileDialogRequest& r) {
    QFileDialog dialog(DialogParent(), r.Title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::AnyFile);
    const bool save = r.Kind == TFileDialogKind::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!r.NameFilters.isEmpty()) {
        dialog.setNameFilters(r.NameFilters);
        dialog.selectNameFilter(r.NameFilters[r.FilterIndex - 1]);
    }
    const QFileInfo proposed(r.FileName);
    if (!r.InitialDir.isEmpty()) dialog.setDirectory(r.InitialDir);
    else if (proposed.path() != u".") dialog.setDirectory(proposed.path());
    if (!r.FileName.isEmpty()) dialog.selectFile(proposed.fileName());
    if (RunModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    r.FileName = dialog.selectedFiles().constFirst();
    r.FilterIndex = Integer(r.NameFilters.indexOf(dialog.selectedNameFilter())) + 1;
    return true;
}

// Room the title bar takes beside its caption: the window's icon and its
// buttons.
constexpr int kTitleBarRoom = 120;

// Wide enough that the window manager shows the whole caption, which it
// writes in bold.
void FitCaption(QDialog& dialog, const QString& caption) {
    QFont bold = dialog.font();
    bold.setBold(true);
    dialog.setMinimumWidth(QFontMetrics(bold).horizontalAdvance(caption) + kTitleBarRoom);
}

bool RealInputQuery(TInputQueryRequest& r) {
    QDialog dialog(DialogParent());
    dialog.setWindowTitle(r.Caption);
    FitCaption(dialog, r.Caption);
    auto* layout = new QVBoxLayout(&dialog);
    auto* prompt = new QLabel(r.Prompt, &dialog);
    prompt->setTextFormat(Qt::PlainText);
    auto* edit = new QLineEdit(r.Value, &dialog);
    edit->selectAll();
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* ok = buttons->addButton(MessageButtonCaption(IDOK), QDialogButtonBox::AcceptRole);
    buttons->addButton(MessageButtonCaption(IDCANCEL), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(prompt);
    layout->addWidget(edit);
    layout->addWidget(buttons);
    edit->setFocus();
    if (RunModal(dialog) != QDialog::Accepted) return false;
    r.Value = edit->text();
    return true;
}

}  // namespace

// ------------------------------------------------------------ file dialogs

void SetFileDialogHook(TFileDialogHook hook) { FileHook() = std::move(hook); }

QStringList FileDialogNameFilters(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList lines;
    if (filter.isEmpty()) return lines;
    for (qsizetype i = 0; i < parts.size(); i += 2)
        lines << NameFilter(parts[i], i + 1 < parts.size() ? parts[i + 1] : QString());
    return lines;
}

TOpenDialog::TOpenDialog(TComponent* AOwner) : TComponent(AOwner) {}

void TOpenDialog::SetDefaultExt(const QString& ext) {
    defaultExt_ = ext.startsWith(u'.') ? ext.mid(1) : ext;
}

bool TOpenDialog::Execute() {
    TFileDialogRequest r;
    r.Kind = Kind();
    r.Title = title_;
    r.NameFilters = FileDialogNameFilters(filter_);
    r.FilterIndex = filterIndex_ >= 1 && filterIndex_ <= r.NameFilters.size() ? filterIndex_ : 1;
    r.InitialDir = initialDir_;
    r.FileName = fileName_;
    const bool chosen = FileHook() ? FileHook()(r) : RealFileDialog(r);
    if (!chosen || r.FileName.isEmpty()) return false;
    if (!defaultExt_.isEmpty() && QFileInfo(r.FileName).suffix().isEmpty())
        r.FileName += u'.' + defaultExt_;
    fileName_ = r.FileName;
    if (r.FilterIndex >= 1 && r.FilterIndex <= r.NameFilters.size()) filterIndex_ = r.FilterIndex;
    return true;
}

// ------------------------------------------------------------ input boxes

void SetInputQueryHook(TInputQueryHook hook) { InputHook() = std::move(hook); }

bool InputQuery(const QString& caption, const QString& prompt, QString& value) {
    TInputQueryRequest r{caption, prompt, value};
    const bool ok = InputHook() ? InputHook()(r) : RealInputQuery(r);
    if (ok) value = r.Value;
    return ok;
}

QString InputBox(const QString& caption, const QString& prompt, const QString& defaultValue) {
    QString value = defaultValue;
    InputQuery(caption, prompt, value);
    return value;
}
