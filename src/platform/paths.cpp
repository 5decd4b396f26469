#include "platform/paths.h"

#include "platform/resources.h"

namespace qm {

PathComposer CurrentPaths() { return PathComposer(QuerySystemFolders(), LoadStringRow, NativePathStyle()); }

std::wstring GetDataFolder() {
  static std::wstring kept;
  if (kept.empty()) kept = CurrentPaths().DataFolder();
  return kept;
}

}  // namespace qm
