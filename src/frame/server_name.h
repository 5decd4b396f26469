// The server name shown in the frame's caption strip, cut out of the game URL.
#pragma once

#include <string>
#include <string_view>

namespace qm {

// Replaces every "%XY" with two hex digits (either case) by that byte; a "%"
// without two hex digits after it stays as it is.
std::string PercentDecodeBytes(std::string_view bytes);

// The server name of a game URL: the URL is percent-decoded (as UTF-8), the
// name starts 7 characters after the first "svname" (the word and one
// separator, as in "svname=" or "svname/") and ends before the first "/",
// "&" or "#" after it, or at the end. Empty when there is no "svname".
std::wstring ExtractServerName(std::wstring_view gameUrl);

}  // namespace qm
