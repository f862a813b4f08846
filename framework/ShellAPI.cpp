#include "ShellAPI.h"

#include <QtCore/QUrl>
#include <QtGui/QDesktopServices>

namespace {

TShellOpenHook& Hook() {
    static TShellOpenHook hook;
    return hook;
}

}  // namespace

void SetShellOpenHook(TShellOpenHook hook) { Hook() = std::move(hook); }

Integer ShellExecute(TWinControl*, const QString& verb, const QString& file, const QString&,
                     const QString& directory, Integer) {
    if (!verb.isEmpty() && verb.compare(u"open", Qt::CaseInsensitive) != 0) return SE_ERR_NOASSOC;
    const QString target = file.trimmed();
    if (target.isEmpty()) return ERROR_FILE_NOT_FOUND;
    const QUrl url = QUrl::fromUserInput(target, directory, QUrl::AssumeLocalFile);
    if (!url.isValid()) return SE_ERR_NOASSOC;
    const bool opened = Hook() ? Hook()(url) : QDesktopServices::openUrl(url);
    return opened ? 42 : SE_ERR_NOASSOC;
}
