// The packaged archive (resource "ZIP" 269) with the files a fresh
// installation needs in its res folder: systemset.ini and uninstall.ico.
#pragma once

#include <cstddef>
#include <string>

namespace qm {

inline constexpr unsigned kPackagedArchiveId = 269;
inline constexpr int kStartMarker = 1001;

// Unpacks the packaged archive into dataFolder's res folder (dataFolder has no
// trailing separator and exists). Works once per data folder: afterwards the
// start marker in the settings file makes it return at once. Never overwrites
// an existing systemset.ini, rewrites the other files, deletes a leftover
// data.zip, and writes the marker even when the archive could not be read.
void ExtractPackagedFiles(const std::wstring& dataFolder);

// The same with the archive given as bytes (null: no archive).
void ExtractPackagedFilesFrom(const std::wstring& dataFolder, const void* archive, size_t size);

// A number as the settings store it: optional leading blanks and a sign, then
// decimal digits; 0 when there are none.
long ParseSettingNumber(const std::wstring& text);

}  // namespace qm
