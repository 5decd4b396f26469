// libFuzzer target of the version server's answer and of what the update
// reads from the server: the body as the version check takes it (cut at its
// first zero, made text), trimmed and judged as a download URL or as no
// update; the leading number, also of a Content-Length text; and the same
// bytes as the head of a downloaded file for the executable check. See
// fuzz_text.h for how bytes become text.
#include <cstdint>
#include <cwchar>
#include <string>
#include <string_view>

#include "fuzz_text.h"
#include "update/update_rules.h"

namespace qm {
namespace {

bool IsSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

// LeadingNumber against the C library's wcstoll, which reads the same way
// once the white space is skipped (its own idea of white space depends on the
// locale, so that part is not left to it).
void CheckLeadingNumber(const std::wstring& text) {
  const std::int64_t number = LeadingNumber(text);
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  const std::wstring rest = text.substr(i);
  const wchar_t first = rest.empty() ? L'\0' : rest[0];
  if (first == L'+' || first == L'-' || (first >= L'0' && first <= L'9')) {
    const long long expected = std::wcstoll(rest.c_str(), nullptr, 10);
    fuzz::Check(number == expected, "LeadingNumber reads as wcstoll in base 10, saturating", text);
  } else {
    fuzz::Check(number == 0, "LeadingNumber is 0 without a sign or digit", text);
  }
}

void CheckAnswer(const std::wstring& answer) {
  fuzz::Check(LogVersionAnswer(answer) == L"Server response check version msg:" + answer,
              "the log keeps the answer as it came", answer);
  const std::wstring trimmed = TrimmedAnswer(answer);
  // Exactly the answer without one leading byte-order mark and without the
  // white space around what is left.
  std::wstring_view expected = answer;
  if (!expected.empty() && expected.front() == L'\xFEFF') expected.remove_prefix(1);
  while (!expected.empty() && IsSpace(expected.front())) expected.remove_prefix(1);
  while (!expected.empty() && IsSpace(expected.back())) expected.remove_suffix(1);
  fuzz::Check(trimmed == expected, "the answer loses one leading byte-order mark and its surrounding white space",
              answer);
  const bool update = AnswerMeansUpdate(trimmed);
  fuzz::Check(update == (trimmed.size() >= 6 && LeadingNumber(trimmed) >= 0),
              "an update is an answer of 6 characters or more whose number is not negative", answer);
  if (update) {
    // The download URL the update goes on with.
    fuzz::Check(LogDownloadUrl(trimmed) == L"ExcuUpdate,URL=" + trimmed, "the download URL is logged whole", answer);
  }
  CheckLeadingNumber(answer);
  CheckLeadingNumber(trimmed);
}

void CheckHead(std::string_view head) {
  const bool pe = IsPeX64Image(head);
  const bool elf = IsElfX64Executable(head);
  fuzz::Check(!(pe && elf), "no head is both a PE image and an ELF executable");
  fuzz::Check(!pe || head.substr(0, 2) == "MZ", "a PE image starts with MZ");
  fuzz::Check(!elf || head.substr(0, 4) == "\x7F" "ELF", "an ELF executable starts with its magic");
}

}  // namespace
}  // namespace qm

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // The body as RequestText takes it: up to its first zero byte (or zero
  // code unit), made text.
  std::wstring answer = qm::fuzz::WideFromInput(data, size);
  if (const size_t zero = answer.find(L'\0'); zero != std::wstring::npos) answer.resize(zero);
  qm::CheckAnswer(answer);
  // The executable check reads at most the first 4096 bytes of the file.
  qm::CheckHead(bytes.substr(0, 4096));
  return 0;
}
