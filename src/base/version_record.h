// The version record that the Linux build embeds in its executable, in place
// of a Windows version resource. It is text, one entry a line:
//   QMVERSION 1
//   Translation=0804 03a8            (language and code page, hex; several pairs allowed)
//   080403a8\FileVersion=1.0.1.0     (a string of one translation's table)
#pragma once

#include <string>
#include <string_view>

namespace qm {

inline constexpr char kVersionSectionName[] = ".qm_version";

// The FileVersion of each translation in table order, joined; empty when the
// record lists no translation.
std::wstring VersionTextFromRecord(std::string_view record);

}  // namespace qm
