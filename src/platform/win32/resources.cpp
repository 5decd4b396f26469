#include <windows.h>

#include "base/string_rows.h"
#include "base/text.h"
#include "platform/resources.h"

namespace qm {

std::optional<ResourceBytes> FindResourceBytes(const char* type, unsigned id) {
  const std::wstring wideType = WideFromUtf8(type);
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), wideType.c_str());
  if (!found) return std::nullopt;
  HGLOBAL loaded = LoadResource(nullptr, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return std::nullopt;
  return ResourceBytes{static_cast<const unsigned char*>(data), SizeofResource(nullptr, found)};
}

std::wstring LoadStringRow(unsigned row) {
  // With a zero buffer size LoadStringW hands out a pointer into the resource.
  const wchar_t* text = nullptr;
  const int length = LoadStringW(GetModuleHandleW(nullptr), row, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

}  // namespace qm
