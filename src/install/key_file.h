// The freedesktop key-file format (groups of key=value lines, UTF-8), which
// the Linux build uses for its launcher files, its uninstall entry and its
// profile. Kept portable so the rules are tested on both builds.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm::keyfile {

struct Group {
  std::string name;
  std::vector<std::pair<std::string, std::string>> entries;  // unescaped values
};

// Groups in file order; comments, blank lines and lines outside a group are
// dropped, values are unescaped.
std::vector<Group> Parse(std::string_view text);
std::string Format(const std::vector<Group>& groups);

std::optional<std::string> Get(const std::vector<Group>& groups, std::string_view group, std::string_view key);
// Replaces the value in place, or appends the key (and the group).
void Set(std::vector<Group>& groups, std::string_view group, std::string_view key, std::string_view value);

// The value escapes of the format: \s (leading space), \n, \t, \r, \\.
std::string EscapeValue(std::string_view value);
std::string UnescapeValue(std::string_view value);

// One argument of an Exec line: quoted when it holds a reserved character,
// with ", `, $ and \ escaped inside the quotes; % doubled as field codes need.
std::string QuoteExecArgument(std::string_view argument);
// The arguments of an (unescaped) Exec value; field codes other than %% are dropped.
std::vector<std::string> SplitExec(std::string_view exec);

}  // namespace qm::keyfile
