#include "update/update_rules.h"

#include <limits>

namespace qm {

bool UpdateLogTooLarge(std::uint64_t size) { return size > kUpdateLogLimit; }

std::int64_t LeadingNumber(std::wstring_view text) {
  size_t i = 0;
  auto isSpace = [](wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); };
  while (i < text.size() && isSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  std::uint64_t value = 0;
  const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    const unsigned digit = static_cast<unsigned>(text[i] - L'0');
    value = (value > (limit - digit) / 10) ? limit : value * 10 + digit;
  }
  if (!negative) return static_cast<std::int64_t>(value);
  return value == limit ? std::numeric_limits<std::int64_t>::min() : -static_cast<std::int64_t>(value);
}

bool AnswerMeansUpdate(std::wstring_view answer) { return answer.size() > 5 && LeadingNumber(answer) >= 0; }

std::wstring VersionRequestUrl(std::wstring_view baseUrl, std::wstring_view queryPath, std::wstring_view version) {
  std::wstring url(baseUrl);
  url += L'/';
  url += queryPath;
  url += version;
  return url;
}

std::wstring RangeHeaderText(std::int64_t existing, std::int64_t total) {
  return L"Range: bytes=" + std::to_wstring(existing) + L"-" + std::to_wstring(total);
}

std::wstring LoggedExceptionMessage(std::wstring_view message) {
  return std::wstring(message.substr(0, 255));
}

std::wstring LogStatusCode(long status) { return L"Http QueryInfoStatusCode:" + std::to_wstring(status); }
std::wstring LogVersionAnswer(std::wstring_view answer) {
  return L"Server response check version msg:" + std::wstring(answer);
}
std::wstring LogDownloadUrl(std::wstring_view url) { return L"ExcuUpdate,URL=" + std::wstring(url); }
std::wstring LogContentLength(std::int64_t total) { return L"Content length:" + std::to_wstring(total); }
std::wstring LogFinishedSize(std::int64_t total) { return L"Finish download,file size=" + std::to_wstring(total); }
std::wstring LogFinishedMd5(std::wstring_view digest) { return L"Finish download,file md5=" + std::wstring(digest); }
std::wstring LogInstalledMd5(std::wstring_view digest) {
  return L"Finish download,current file md5=" + std::wstring(digest);
}
std::wstring LogUpdateSuccess(std::wstring_view version) {
  return L"Update success.Current Version:" + std::wstring(version);
}
std::wstring LogUpdateFailure(long errorCode) { return L"Update failure.Error Code:" + std::to_wstring(errorCode); }

}  // namespace qm
