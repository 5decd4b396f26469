// Facts about files: the MD5 digest of a whole file and the file version from
// an executable's version record.
#pragma once

#include <string>

namespace qm {

// Appends the 32 lower-case hex digits of the file's MD5 to digest and
// returns true; on failure returns false and leaves digest unchanged.
bool GetFileMd5(const std::wstring& path, std::wstring& digest);

// The FileVersion string of each translation of the file's version record,
// joined in table order. Empty for a missing file, "None VerSion Supprot" for
// a file without a version record.
std::wstring GetFileVersionText(const std::wstring& path);

inline constexpr wchar_t kNoVersionText[] = L"None VerSion Supprot";

}  // namespace qm
