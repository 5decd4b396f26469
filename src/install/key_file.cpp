#include "install/key_file.h"

namespace qm::keyfile {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::vector<Group> Parse(std::string_view text) {
  std::vector<Group> groups;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    line = Trim(line);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      groups.push_back({std::string(line.substr(1, line.size() - 2)), {}});
      continue;
    }
    const size_t equals = line.find('=');
    if (groups.empty() || equals == std::string_view::npos) continue;
    groups.back().entries.emplace_back(std::string(Trim(line.substr(0, equals))),
                                       UnescapeValue(Trim(line.substr(equals + 1))));
  }
  return groups;
}

std::string Format(const std::vector<Group>& groups) {
  std::string out;
  for (const Group& group : groups) {
    if (!out.empty()) out += '\n';
    out += '[' + group.name + "]\n";
    for (const auto& [key, value] : group.entries) out += key + '=' + EscapeValue(value) + '\n';
  }
  return out;
}

std::optional<std::string> Get(const std::vector<Group>& groups, std::string_view group, std::string_view key) {
  for (const Group& g : groups) {
    if (g.name != group) continue;
    for (const auto& [k, v] : g.entries) {
      if (k == key) return v;
    }
  }
  return std::nullopt;
}

void Set(std::vector<Group>& groups, std::string_view group, std::string_view key, std::string_view value) {
  for (Group& g : groups) {
    if (g.name != group) continue;
    for (auto& [k, v] : g.entries) {
      if (k == key) {
        v = value;
        return;
      }
    }
    g.entries.emplace_back(std::string(key), std::string(value));
    return;
  }
  groups.push_back({std::string(group), {{std::string(key), std::string(value)}}});
}

std::string EscapeValue(std::string_view value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c == '\r') out += "\\r";
    else if (c == ' ' && i == 0) out += "\\s";
    else out += c;
  }
  return out;
}

std::string UnescapeValue(std::string_view value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    const char next = value[++i];
    if (next == 's') out += ' ';
    else if (next == 'n') out += '\n';
    else if (next == 't') out += '\t';
    else if (next == 'r') out += '\r';
    else if (next == '\\') out += '\\';
    else {
      out += '\\';
      out += next;
    }
  }
  return out;
}

std::string QuoteExecArgument(std::string_view argument) {
  static constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
  std::string doubled;
  for (char c : argument) {
    doubled += c;
    if (c == '%') doubled += '%';
  }
  const bool quote = argument.empty() || argument.find_first_of(kReserved) != std::string_view::npos;
  if (!quote) return doubled;
  std::string out = "\"";
  for (char c : doubled) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
    out += c;
  }
  return out + '"';
}

std::vector<std::string> SplitExec(std::string_view exec) {
  std::vector<std::string> args;
  std::string current;
  bool inArgument = false, quoted = false;
  for (size_t i = 0; i < exec.size(); ++i) {
    const char c = exec[i];
    if (quoted) {
      if (c == '\\' && i + 1 < exec.size()) {
        current += exec[++i];
      } else if (c == '%' && i + 1 < exec.size() && exec[i + 1] == '%') {
        current += '%';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        current += c;
      }
      continue;
    }
    if (c == ' ' || c == '\t') {
      if (inArgument) args.push_back(current);
      current.clear();
      inArgument = false;
      continue;
    }
    if (c == '%' && i + 1 < exec.size()) {
      // A field code stands for nothing here; "%%" is a percent sign.
      if (exec[++i] == '%') {
        current += '%';
        inArgument = true;
      }
      continue;
    }
    inArgument = true;
    if (c == '"') {
      quoted = true;
    } else {
      current += c;
    }
  }
  if (inArgument) args.push_back(current);
  return args;
}

}  // namespace qm::keyfile
