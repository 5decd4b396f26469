#include "base/ini_profile.h"

#include <optional>
#include <string_view>
#include <vector>

#include "base/text.h"

namespace qm::ini {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// One line of the file, kept with its original bytes and its line end.
struct Line {
  std::string_view body;  // without the line end
  std::string_view end;   // "\r\n", "\n", "\r" or empty for a last unterminated line
};

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t stop = text.find_first_of("\r\n", pos);
    if (stop == std::string_view::npos) {
      lines.push_back({text.substr(pos), {}});
      break;
    }
    size_t endLen = (text[stop] == '\r' && stop + 1 < text.size() && text[stop + 1] == '\n') ? 2 : 1;
    lines.push_back({text.substr(pos, stop - pos), text.substr(stop, endLen)});
    pos = stop + endLen;
  }
  return lines;
}

// "[name]" gives the trimmed name; anything else, "[name" without its
// bracket included, is not a section line.
std::optional<std::string_view> SectionName(std::string_view body) {
  std::string_view t = Trim(body);
  if (t.empty() || t.front() != '[') return std::nullopt;
  size_t close = t.find(']');
  // Without its "]" the line is an ordinary line of the current section, as
  // the system's profile functions read it.
  if (close == std::string_view::npos) return std::nullopt;
  std::string_view name = t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
  return Trim(name);
}

struct KeyLine {
  std::string_view name;
  std::string_view value;
};

// "key=value" with blanks around both; a line without '=' names a key with no
// value; blank lines and comments (';') carry no key.
std::optional<KeyLine> ParseKey(std::string_view body) {
  std::string_view t = Trim(body);
  if (t.empty() || t.front() == ';') return std::nullopt;
  size_t eq = t.find('=');
  if (eq == std::string_view::npos) return KeyLine{t, {}};
  return KeyLine{Trim(t.substr(0, eq)), Trim(t.substr(eq + 1))};
}

bool NameEquals(std::string_view stored, const std::wstring& wanted) {
  return EqualsIgnoreCase(WideFromSingleByte(stored), wanted);
}

// Where a section starts and ends within the line list.
struct SectionSpan {
  size_t header;    // index of the "[name]" line
  size_t end;       // one past the section's last line
  size_t lastKey;   // index of the last key line, or header when none
};

std::optional<SectionSpan> FindSection(const std::vector<Line>& lines, const std::wstring& section) {
  for (size_t i = 0; i < lines.size(); ++i) {
    auto name = SectionName(lines[i].body);
    if (!name || !NameEquals(*name, section)) continue;
    SectionSpan span{i, lines.size(), i};
    for (size_t j = i + 1; j < lines.size(); ++j) {
      if (SectionName(lines[j].body)) {
        span.end = j;
        break;
      }
      if (ParseKey(lines[j].body)) span.lastKey = j;
    }
    return span;
  }
  return std::nullopt;
}

std::wstring Unquote(std::wstring value) {
  if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// A default loses its trailing blanks only, as the profile calls treat it.
std::wstring TrimTrailing(std::wstring value) {
  while (!value.empty() && value.back() < 0x80 && IsBlank(static_cast<char>(value.back()))) value.pop_back();
  return value;
}

std::wstring Capped(std::wstring value) {
  if (value.size() > kValueCapacity - 1) value.resize(kValueCapacity - 1);
  return value;
}

}  // namespace

std::wstring ReadFromText(const std::string& text, const std::wstring& section, const std::wstring& key,
                          const std::wstring& fallback) {
  const std::vector<Line> lines = SplitLines(text);
  if (auto span = FindSection(lines, section)) {
    for (size_t j = span->header + 1; j < span->end; ++j) {
      auto parsed = ParseKey(lines[j].body);
      if (parsed && NameEquals(parsed->name, key)) {
        return Capped(Unquote(WideFromSingleByte(parsed->value)));
      }
    }
  }
  return Capped(TrimTrailing(fallback));
}

std::string WriteToText(const std::string& text, const std::wstring& section, const std::wstring& key,
                        const std::wstring& value) {
  const std::vector<Line> lines = SplitLines(text);
  const std::string keyLine = SingleByteFromWide(key) + "=" + SingleByteFromWide(value);
  std::string out;
  out.reserve(text.size() + keyLine.size() + section.size() + 8);
  auto appendLine = [&](const Line& line) {
    out.append(line.body);
    out.append(line.end);
  };
  auto appendNew = [&](std::string_view body) {
    // A new line follows a last line that had no line end of its own.
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') out.append("\r\n");
    out.append(body);
    out.append("\r\n");
  };

  auto span = FindSection(lines, section);
  if (!span) {
    for (const Line& line : lines) appendLine(line);
    appendNew("[" + SingleByteFromWide(section) + "]");
    appendNew(keyLine);
    return out;
  }
  for (size_t j = span->header + 1; j < span->end; ++j) {
    auto parsed = ParseKey(lines[j].body);
    if (parsed && NameEquals(parsed->name, key)) {
      for (size_t i = 0; i < lines.size(); ++i) {
        if (i == j) {
          // The stored spelling of the key name stays.
          out.append(std::string(parsed->name) + "=" + SingleByteFromWide(value));
          out.append(lines[i].end.empty() ? std::string_view("\r\n") : lines[i].end);
        } else {
          appendLine(lines[i]);
        }
      }
      return out;
    }
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    appendLine(lines[i]);
    if (i == span->lastKey) appendNew(keyLine);
  }
  return out;
}



}  // namespace qm::ini
