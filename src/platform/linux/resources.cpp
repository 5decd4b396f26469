#include <cstring>

#include "base/string_rows.h"
#include "base/text.h"
#include "platform/linux/embedded_resources.h"
#include "platform/resources.h"

namespace qm {

std::optional<ResourceBytes> FindResourceBytes(const char* type, unsigned id) {
  for (const embedded::Resource* r = embedded::kResources; r->type; ++r) {
    if (r->id == id && std::strcmp(r->type, type) == 0) {
      return ResourceBytes{r->begin, static_cast<size_t>(r->end - r->begin)};
    }
  }
  return std::nullopt;
}

std::wstring LoadStringRow(unsigned row) {
  for (const embedded::StringRowText* s = embedded::kStringRows; s->row; ++s) {
    if (s->row == row) return WideFromUtf8(s->utf8);
  }
  return {};
}

}  // namespace qm
