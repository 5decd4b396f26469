#include "platform/settings.h"

#include "platform/paths.h"
#include "base/string_rows.h"
#include "platform/resources.h"
#include "platform/profile_file.h"

namespace qm {

std::wstring SettingsFilePath() { return GetDataFolder() + LoadStringRow(kRowSettingsFile); }

std::wstring ReadSetting(const std::wstring& section, const std::wstring& key, const std::wstring& fallback) {
  return ReadProfileValue(SettingsFilePath(), section, key, fallback);
}

void WriteSetting(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
  WriteProfileValue(SettingsFilePath(), section, key, value);
}

}  // namespace qm
