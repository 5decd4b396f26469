// The installation that runs at every launcher start: data folder, packaged
// files, shortcuts, uninstall entry, profile copy and the installed copy of the
// executable. Repeating it is harmless; nothing is reported.
#pragma once

#include <string>

#include "base/paths.h"

namespace qm {

// The uninstall entry's and the profile section's name.
inline constexpr wchar_t kRegistryName[] = L"TarnwickQuellmoor";
inline constexpr wchar_t kProfileMissing[] = L"no find!";

void RunFirstStartInstall();

// The same with given system folders; folders.modulePath is the running
// executable that is installed.
void RunFirstStartInstall(const SystemFolders& folders);

// Saves folder + separator + linkName, a shortcut that starts target with
// arguments; withIcon gives it the res folder's uninstall.ico beside target.
bool CreateShortcut(const std::wstring& arguments, const std::wstring& target, const std::wstring& folder,
                    const std::wstring& linkName, bool withIcon);

// A file version text with every "." removed, read as a decimal integer
// (leading digits, 0 when there are none): "1.0.10.0" gives 10100.
long VersionNumber(const std::wstring& versionText);

}  // namespace qm
