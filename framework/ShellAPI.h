// The desktop shell: opening a document, a folder or an address with the
// program the desktop has for it.
#pragma once

#include "Controls.h"

#include <functional>

constexpr Integer SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOW = 5;
// Failures of ShellExecute (success answers a value above 32).
constexpr Integer ERROR_FILE_NOT_FOUND = 2, SE_ERR_NOASSOC = 31;

// Opens a target instead of the desktop (tests count what would have been
// opened); answers whether it was opened. Nil: the desktop again.
using TShellOpenHook = std::function<bool(const QUrl& Target)>;
void SetShellOpenHook(TShellOpenHook hook);

// Verb "open" (or empty): file, an address or a path (relative ones from
// directory), is handed to the desktop, never run as a program with
// parameters. Answers 42 when opened, ERROR_FILE_NOT_FOUND for an empty
// target and SE_ERR_NOASSOC when the desktop cannot open it or for any
// other verb.
Integer ShellExecute(TWinControl* owner, const QString& verb, const QString& file, const QString& parameters,
                     const QString& directory, Integer showCmd);
