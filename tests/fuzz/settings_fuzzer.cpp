// libFuzzer target of the settings file: any bytes as the text of
// systemset.ini, read and written as the profile calls do, and the hotkey
// values read from it parsed as the frame parses them.
//
// Input: the file's bytes, then a zero byte, then a section, a key and a value
// (text as fuzz_text.h reads it: a reading byte first; the three separated by
// U+0000). Without the zero byte the whole input is the file and the key is
// [Setting] screentoggle with the value "Ctrl+Alt+Q".
#include <cstdint>
#include <string>
#include <string_view>

#include "base/ini_profile.h"
#include "base/text.h"
#include "frame/hotkeys.h"
#include "fuzz_text.h"

namespace qm {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f'; }

// A name or value the single-byte file can hold on a line of its own: every
// character a byte, no line break, no blank at either end.
bool FitsOnALine(const std::wstring& text) {
  for (wchar_t c : text) {
    if (c == L'\0' || c == L'\r' || c == L'\n' || static_cast<std::uint32_t>(c) > 0xFF) return false;
  }
  return text.empty() || (!IsBlank(text.front()) && !IsBlank(text.back()));
}

// Whether a write of value to key in section can be read back as written: the
// section's line is "[section]", the key's line "key=value" and nothing else.
bool Representable(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
  if (!FitsOnALine(section) || !FitsOnALine(key) || !FitsOnALine(value)) return false;
  if (section.find(L']') != std::wstring::npos) return false;
  // A key line must not read as a comment, a section line (a "]" may come
  // from the value) or a longer key.
  if (key.find(L'=') != std::wstring::npos) return false;
  if (!key.empty() && (key.front() == L';' || key.front() == L'[')) return false;
  // A value loses one pair of matching quotes around it and is cut to 259.
  if (value.size() > ini::kValueCapacity - 1) return false;
  if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front()) {
    return false;
  }
  return true;
}

// Sections and keys the launcher itself reads and writes, read before and
// after a write of another key.
struct Probe {
  const wchar_t* section;
  const wchar_t* key;
};
constexpr Probe kProbes[] = {
    {L"Info", L"code"},           {L"Info", L"rem"},          {L"Setting", L"soundoff"},
    {L"Setting", L"screentoggle"}, {L"Setting", L"fullscreen"}, {L"Setting", L"start"},
    {L"Start", L"firststart"},    {L"SETTING", L"FullScreen"},
};

const std::wstring kFallbackA = L"\x1fA";
const std::wstring kFallbackB = L"\x1f" L"B";

void CheckRead(const std::string& text, const std::wstring& section, const std::wstring& key) {
  const std::wstring a = ini::ReadFromText(text, section, key, kFallbackA);
  const std::wstring b = ini::ReadFromText(text, section, key, kFallbackB);
  fuzz::Check(a.size() <= ini::kValueCapacity - 1, "a value is cut to 259 characters", key);
  // A stored value does not depend on the default; a missing key gives it.
  fuzz::Check(a == b || (a == kFallbackA && b == kFallbackB), "the default is given only for a missing key", key);
}

void CheckWrite(const std::string& text, const std::wstring& section, const std::wstring& key,
                const std::wstring& value) {
  const std::string written = ini::WriteToText(text, section, key, value);
  if (!Representable(section, key, value)) return;
  fuzz::Check(ini::ReadFromText(written, section, key, kFallbackA) == value, "a written value reads back", value);
  fuzz::Check(ini::WriteToText(written, section, key, value) == written, "writing the same value again changes nothing",
              value);
  for (const Probe& probe : kProbes) {
    if (EqualsIgnoreCase(probe.section, section) && EqualsIgnoreCase(probe.key, key)) continue;
    fuzz::Check(ini::ReadFromText(written, probe.section, probe.key, kFallbackA) ==
                    ini::ReadFromText(text, probe.section, probe.key, kFallbackA),
                "a write leaves every other key as it was", probe.key);
  }
}

}  // namespace
}  // namespace qm

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t zero = input.find('\0');
  const std::string text(input.substr(0, zero));
  std::wstring section = L"Setting", key = L"screentoggle", value = L"Ctrl+Alt+Q";
  if (zero != std::string_view::npos) {
    const std::vector<std::wstring> fields = qm::fuzz::Fields(qm::fuzz::WideFromInput(data + zero + 1, size - zero - 1), 3);
    section = fields[0];
    key = fields[1];
    value = fields[2];
  }

  // The frame's two hotkeys as it reads them from this file.
  for (const qm::HotkeySetting& setting : qm::HotkeySettings()) {
    const std::wstring hotkey = qm::ini::ReadFromText(text, L"Setting", setting.key, setting.fallback);
    qm::HotkeyFromSettingText(hotkey);
  }
  for (const qm::Probe& probe : qm::kProbes) qm::CheckRead(text, probe.section, probe.key);
  qm::CheckRead(text, section, key);
  qm::CheckWrite(text, section, key, value);
  return 0;
}
