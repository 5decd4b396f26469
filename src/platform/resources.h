// The executable's own binary resources, found by type name and number: the
// resource section on Windows, the embedded table on Linux.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

struct ResourceBytes {
  const unsigned char* data;
  size_t size;
  std::string_view view() const { return {reinterpret_cast<const char*>(data), size}; }
};

// type is the resource type's name as in res/resources.txt ("PNG", "ZIP", ...).
std::optional<ResourceBytes> FindResourceBytes(const char* type, unsigned id);

// Loads a row of the executable's own string table (language 0x0804); an
// absent row is empty text. The rows are named in base/string_rows.h.
std::wstring LoadStringRow(unsigned row);

}  // namespace qm
