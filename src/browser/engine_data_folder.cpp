#include "browser/web_view.h"
#include "platform/paths.h"

namespace qm {

std::wstring WebEngineDataFolder() { return GetDataFolder() + L"browser"; }

}  // namespace qm
