#include "platform/error_text.h"

#include <cstring>

#include "base/text.h"

namespace qm {

std::wstring SystemErrorText(unsigned long code) { return WideFromUtf8(std::strerror(static_cast<int>(code))); }

}  // namespace qm
