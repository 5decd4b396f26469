#include "login/login_url.h"

#include "base/string_rows.h"
#include "platform/resources.h"

namespace qm {

std::wstring FormatMacText(const MacBytes& mac) {
  static const wchar_t kHex[] = L"0123456789ABCDEF";
  std::wstring text;
  for (size_t i = 0; i < mac.size(); ++i) {
    if (i != 0) text += L'-';
    text += kHex[mac[i] >> 4];
    text += kHex[mac[i] & 0x0F];
  }
  return text;
}

std::wstring AdapterMacText(const AdapterMacQuery& query) {
  if (!query) return std::wstring();
  const std::optional<MacBytes> mac = query();
  return mac ? FormatMacText(*mac) : std::wstring();
}

std::wstring ComposeLoginUrl(std::wstring_view base, std::wstring_view macText) {
  std::wstring adapterPart = L"mac/";
  adapterPart.append(macText);
  adapterPart += L'/';
  std::wstring url;
  if (!base.empty() && base.back() == L'/') {
    url.assign(base);
    url += adapterPart;
  } else if (const size_t question = base.rfind(L'?'); question != std::wstring_view::npos) {
    url.assign(base.substr(0, question));
    url += adapterPart;
    url.append(base.substr(question));
  } else {
    url.assign(base);
    url += L'/';
    url += adapterPart;
  }
  return url;
}

std::wstring BuildLoginUrl(const AdapterMacQuery& query) {
  return ComposeLoginUrl(LoadStringRow(kRowLoginBaseUrl), AdapterMacText(query));
}

}  // namespace qm
