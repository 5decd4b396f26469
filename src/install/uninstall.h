// Uninstall in two runs: the confirmation run asks, starts a copy of the
// executable as the clean-up run and deletes the uninstall entry; the clean-up
// run removes the shortcuts, the installed executable, its res folder and the
// Start-menu folders left empty.
#pragma once

#include <functional>
#include <string>

#include "base/paths.h"
#include "ui/ui_ids.h"

namespace qm {

// Shows the question and returns the answer: kAnswerOk, or kAnswerCancel for
// Cancel and the close button. Any answer but kAnswerCancel goes ahead.
using AskUser = std::function<int(const std::wstring& title, const std::wstring& text)>;

// The confirmation run's body: asks in the skinned message box and, unless
// the answer is Cancel, starts the clean-up run from a copy of the executable.
int RunUninstallConfirmation();
// The clean-up run's body: removes the installation that installedExecutable
// belongs to.
int RunUninstallCleanUp(const std::wstring& installedExecutable);

int RunUninstallConfirmation(const AskUser& ask);
// The same with given system folders; folders.modulePath is the executable
// the uninstall entry started.
int RunUninstallConfirmation(const AskUser& ask, const SystemFolders& folders);

// The clean-up run with given system folders (the one-argument form, with this
// process's folders, is the launch mode's body).
int RunUninstallCleanUp(const std::wstring& installedPath, const SystemFolders& folders);

// Whether path names a file in the installation's folder (the data folder),
// which is where the uninstall entry's executable lives.
bool IsInstalledExecutablePath(const std::wstring& path, const PathComposer& paths);

// DeleteWithShell, and on success NotifyShellDeleted.
bool RemoveAndNotify(const std::wstring& path);

// True unless the folder lists an entry other than "." and ".."; also true
// when it cannot be listed, for instance because it is missing.
bool IsFolderEmpty(const std::wstring& folder);

}  // namespace qm
