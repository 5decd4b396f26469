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

std::wstring TrimmedAnswer(std::wstring_view answer) {
  auto isSpace = [](wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); };
  if (!answer.empty() && answer.front() == L'\xFEFF') answer.remove_prefix(1);
  while (!answer.empty() && isSpace(answer.front())) answer.remove_prefix(1);
  while (!answer.empty() && isSpace(answer.back())) answer.remove_suffix(1);
  return std::wstring(answer);
}

namespace {

std::uint32_t ReadLe(std::string_view bytes, size_t at, size_t width) {
  std::uint32_t value = 0;
  for (size_t i = 0; i < width; ++i) value |= std::uint32_t{static_cast<unsigned char>(bytes[at + i])} << (8 * i);
  return value;
}

}  // namespace

bool IsPeX64Image(std::string_view head) {
  constexpr std::uint32_t kMachineAmd64 = 0x8664;
  constexpr std::uint32_t kOptionalMagicPe32Plus = 0x20B;
  if (head.size() < 0x40 || head.substr(0, 2) != "MZ") return false;
  const std::uint32_t pe = ReadLe(head, 0x3C, 4);
  // Signature, file header (20 bytes) and the optional header's magic.
  if (pe > head.size() || head.size() - pe < 4 + 20 + 2) return false;
  if (head.substr(pe, 4) != std::string_view("PE\0\0", 4)) return false;
  return ReadLe(head, pe + 4, 2) == kMachineAmd64 && ReadLe(head, pe + 24, 2) == kOptionalMagicPe32Plus;
}

bool IsElfX64Executable(std::string_view head) {
  constexpr std::uint32_t kTypeExec = 2, kTypeDyn = 3, kMachineX86_64 = 62;
  if (head.size() < 64 || head.substr(0, 4) != "\x7F" "ELF") return false;
  if (head[4] != 2 || head[5] != 1) return false;  // 64-bit, little-endian
  const std::uint32_t type = ReadLe(head, 16, 2);
  return (type == kTypeExec || type == kTypeDyn) && ReadLe(head, 18, 2) == kMachineX86_64;
}

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
