// The rows of the string table that the launcher reads. Each row is loaded at
// the moment of use (LoadStringRow, platform/resources.h); an absent row loads
// as empty text, never as an error.
#pragma once

#include <string>

namespace qm {

enum StringRow : unsigned {
  kRowGameTitle = 102,          // "Quellmoor"
  kRowPortalName = 105,         // Start-menu folder of the portal
  kRowLauncherTitle = 107,      // window titles, quit prompt
  kRowUninstallName = 109,      // uninstall shortcut, without extension
  kRowLoginBaseUrl = 114,       // login page base URL (deployment value)
  kRowCleaningText = 116,       // shown while the cache is cleaned
  kRowGameCode = 117,           // "qmr": last component of the data folder
  kRowUpdateFileName = 118,     // "\kvqmrtmp.exe"
  kRowDataParent = 119,         // "\korvo_v1\"
  kRowUninstallerCopy = 120,    // "\cache\kvtstmpu.exe"
  kRowDataParentName = 124,     // "korvo_v1"
  kRowPortalShortcutName = 125, // portal name in the desktop shortcut
  kRowVersionServer = 191,      // version server base URL (deployment value)
  kRowVersionQuery = 192,       // path and query of the version request
  kRowSettingsFile = 197,       // "res//systemset.ini"
};

}  // namespace qm
