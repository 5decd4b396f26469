// The portal's rules, apart from the HTTP server: the servers it offers, the
// login check, the game URL a login leads to, and the text helpers the pages
// are filled with.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace portal {

struct GameServer {
  const char* name;   // shown on the page, in the game URL and in the frame's caption
  const char* badge;  // the short state shown beside the name
  const char* style;  // CSS class of that state
  bool open;          // false: under maintenance, cannot be chosen
};

const std::vector<GameServer>& GameServers();
const GameServer* FindGameServer(std::string_view name);

// What the player sent from the login form.
struct LoginForm {
  std::string account;
  std::string password;
  std::string server;
};

// Empty when the login may go ahead, otherwise the message the page shows.
std::string CheckLogin(const LoginForm& form);

// "/qmr/play_gamecode/svname/<server>/?uid=<account>", both parts encoded as
// the page's script encodes them (encodeURIComponent), so the script and the
// server lead to the same URL.
std::string GamePath(const std::string& server, const std::string& account);

// "ACCOUNT@SERVER" split at its last "@"; nullopt when either part is empty.
std::optional<LoginForm> ParseAutoLogin(const std::string& text);

std::string HtmlEscape(std::string_view text);
// A JSON string literal that is also safe inside an HTML <script> element.
std::string JsonString(std::string_view text);
// Replaces every "%XY" by that byte; "+" stays as it is.
std::string PercentDecode(std::string_view text);
// Percent-encodes like the browser's encodeURIComponent (UTF-8, upper-case hex).
std::string EncodeUriComponent(std::string_view text);
// The name=value pairs of a Cookie request header.
std::map<std::string, std::string> ParseCookieHeader(std::string_view header);
// Replaces every "{{KEY}}" by its value; a key without a value is an error
// reported in missing (the placeholder is removed from the text).
std::string FillTemplate(std::string_view text, const std::map<std::string, std::string>& values,
                         std::vector<std::string>* missing = nullptr);

// A new random session id: 32 hex digits.
std::string NewSessionId();

}  // namespace portal
