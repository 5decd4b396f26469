#include "platform/error_text.h"

#include <windows.h>
#include <wininet.h>

#include "platform/win32/owners.h"

namespace qm {

// WinInet's codes have their texts in its own module, every other code in
// the system's message table.
std::wstring SystemErrorText(unsigned long code) {
  const bool internet = code >= INTERNET_ERROR_BASE && code <= INTERNET_ERROR_LAST;
  const DWORD source = internet ? FORMAT_MESSAGE_FROM_HMODULE : FORMAT_MESSAGE_FROM_SYSTEM;
  wchar_t* text = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | source,
                     internet ? GetModuleHandleW(L"wininet.dll") : nullptr, code, 0, reinterpret_cast<wchar_t*>(&text),
                     0, nullptr);
  const UniqueLocalMemory owned(text);
  std::wstring message = length ? std::wstring(text, length) : std::wstring();
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
    message.pop_back();
  }
  return message;
}

}  // namespace qm
