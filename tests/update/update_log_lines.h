// Reads update.log back as its messages, the time stamp and tag cut off.
#pragma once

#include <string>
#include <vector>

#include "platform/paths.h"
#include "base/text.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace qm::test {

inline std::vector<std::wstring> UpdateLogMessages() {
  const std::wstring text = WideFromUtf16Le(ReadFileBytes(CurrentPaths().UpdateLog()).value_or(""));
  std::vector<std::wstring> messages;
  size_t start = 0;
  for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2) {
    const std::wstring line = text.substr(start, end - start);
    const size_t tag = line.find(L"\tUpdateModule\t");
    messages.push_back(tag == std::wstring::npos ? line : line.substr(tag + 14));
  }
  return messages;
}

// The user data area of this test program, the same for all its tests, as
// the data folder is looked up once per process. Each call empties the
// launcher's folders in it and creates the res folder, where the log goes.
inline void FreshUserData() {
  static IsolatedUserData user;
  std::error_code ec;
  const SystemFolders folders = QuerySystemFolders();
  const wchar_t sep = NativePathStyle().separator;
  std::filesystem::remove_all(FsPath(folders.appData + sep + L"korvo_v1"), ec);
  std::filesystem::remove_all(FsPath(folders.appData + sep + L"cache"), ec);
  std::filesystem::create_directories(FsPath(CurrentPaths().ResFolder()), ec);
}

}  // namespace qm::test
