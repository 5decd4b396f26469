// The only access to systemset.ini. Each call locates the file anew: the data
// folder followed by string row 197.
#pragma once

#include <string>

namespace qm {

// The value of key in section, or fallback when the file, section or key is
// missing. Names match without regard to case; the value is cut to 259
// characters.
std::wstring ReadSetting(const std::wstring& section, const std::wstring& key, const std::wstring& fallback);

// Sets key in section. Reports nothing: a write that cannot reach the file,
// for instance before the res folder exists, changes nothing.
void WriteSetting(const std::wstring& section, const std::wstring& key, const std::wstring& value);

// The settings file's path as the two operations compose it.
std::wstring SettingsFilePath();

}  // namespace qm
