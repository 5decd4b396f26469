// The address of the portal's login page: the base of string row 114 with the
// adapter part "mac/<MAC text>/" joined to it. The MAC text is the adapter's
// six bytes as "00-1A-2B-3C-4D-5E", or empty when no adapter answers.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

using MacBytes = std::array<unsigned char, 6>;

// The platform's adapter query: the MAC of the adapter that identifies this
// machine, or nothing when none can be read.
using AdapterMacQuery = std::function<std::optional<MacBytes>()>;

// "%02X-%02X-%02X-%02X-%02X-%02X" of the bytes, upper-case hex.
std::wstring FormatMacText(const MacBytes& mac);

// The MAC text from the query; empty when the query is missing or finds
// nothing.
std::wstring AdapterMacText(const AdapterMacQuery& query);

// Joins the adapter part to base:
//  - base ending in "/": base + "mac/" + mac + "/"
//  - else base with "?": "mac/" + mac + "/" inserted before the last "?"
//  - else: base + "/mac/" + mac + "/"
std::wstring ComposeLoginUrl(std::wstring_view base, std::wstring_view macText);

// The login URL of this build: string row 114 with the queried MAC text.
std::wstring BuildLoginUrl(const AdapterMacQuery& query);

}  // namespace qm
