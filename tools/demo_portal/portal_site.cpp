#include "portal_site.h"

#include <cstdio>
#include <mutex>
#include <random>

namespace portal {

const std::vector<GameServer>& GameServers() {
  static const std::vector<GameServer> servers = {
      {"烈焰一区", "火爆", "hot", true},  {"寒霜二区", "流畅", "smooth", true},
      {"雷鸣三区", "火爆", "hot", true},  {"龙腾四区", "流畅", "smooth", true},
      {"星辰五区", "新服", "new", true},  {"幽影六区", "维护", "down", false},
  };
  return servers;
}

const GameServer* FindGameServer(std::string_view name) {
  for (const GameServer& server : GameServers()) {
    if (name == server.name) return &server;
  }
  return nullptr;
}

namespace {

// Characters of UTF-8 text (continuation bytes are not counted).
size_t CharacterCount(std::string_view text) {
  size_t count = 0;
  for (unsigned char c : text) count += (c & 0xC0) != 0x80;
  return count;
}

bool HasSpaceOrControl(std::string_view text) {
  for (unsigned char c : text) {
    if (c <= 0x20 || c == 0x7F) return true;
  }
  // The ideographic space U+3000, which Chinese input methods type.
  return text.find("\xE3\x80\x80") != std::string_view::npos;
}

}  // namespace

std::string CheckLogin(const LoginForm& form) {
  if (form.account.empty()) return "请输入账号";
  if (HasSpaceOrControl(form.account)) return "账号不能包含空格";
  if (CharacterCount(form.account) > 32) return "账号不能超过32个字符";
  if (form.password.empty()) return "请输入密码";
  if (CharacterCount(form.password) > 64) return "密码不能超过64个字符";
  if (form.server.empty()) return "请选择服务器";
  const GameServer* server = FindGameServer(form.server);
  if (server == nullptr) return "没有这个服务器，请重新选择";
  if (!server->open) return std::string(server->name) + "正在维护，请选择其他服务器";
  return std::string();
}

std::string GamePath(const std::string& server, const std::string& account) {
  return "/qmr/play_gamecode/svname/" + EncodeUriComponent(server) + "/?uid=" + EncodeUriComponent(account);
}

std::optional<LoginForm> ParseAutoLogin(const std::string& text) {
  const size_t at = text.rfind('@');
  if (at == std::string::npos || at == 0 || at + 1 == text.size()) return std::nullopt;
  // The password is typed like the rest; any non-empty one logs in.
  return LoginForm{text.substr(0, at), "quellmoor", text.substr(at + 1)};
}

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    char escaped[8];
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == '<' || c == '>' || c == '&') {
      // "<" and ">" escaped so that "</script>" can never end the element.
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else if (c == 0xE2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80 &&
               (static_cast<unsigned char>(text[i + 2]) == 0xA8 || static_cast<unsigned char>(text[i + 2]) == 0xA9)) {
      // U+2028 and U+2029 end a line in older script engines.
      out += static_cast<unsigned char>(text[i + 2]) == 0xA8 ? "\\u2028" : "\\u2029";
      i += 2;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string EncodeUriComponent(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                            std::string_view("-_.!~*'()").find(static_cast<char>(c)) != std::string_view::npos;
    if (unreserved) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string PercentDecode(std::string_view text) {
  auto hex = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
      out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::map<std::string, std::string> ParseCookieHeader(std::string_view header) {
  std::map<std::string, std::string> cookies;
  auto trim = [](std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
  };
  while (!header.empty()) {
    const size_t end = header.find(';');
    const std::string_view pair = trim(header.substr(0, end));
    header = end == std::string_view::npos ? std::string_view() : header.substr(end + 1);
    const size_t eq = pair.find('=');
    if (eq == std::string_view::npos || eq == 0) continue;
    // The first of two cookies with one name is the more specific one.
    cookies.emplace(std::string(trim(pair.substr(0, eq))), std::string(trim(pair.substr(eq + 1))));
  }
  return cookies;
}

std::string FillTemplate(std::string_view text, const std::map<std::string, std::string>& values,
                         std::vector<std::string>* missing) {
  std::string out;
  out.reserve(text.size());
  for (;;) {
    const size_t open = text.find("{{");
    const size_t close = open == std::string_view::npos ? open : text.find("}}", open + 2);
    if (close == std::string_view::npos) {
      out += text;
      return out;
    }
    out += text.substr(0, open);
    const std::string key(text.substr(open + 2, close - open - 2));
    const auto value = values.find(key);
    if (value != values.end()) {
      out += value->second;
    } else if (missing != nullptr) {
      missing->push_back(key);
    }
    text.remove_prefix(close + 2);
  }
}

std::string NewSessionId() {
  // Handlers run on several threads; the generator is shared.
  static std::mutex mutex;
  static std::mt19937_64 generator{std::random_device{}()};
  std::lock_guard<std::mutex> lock(mutex);
  char id[33];
  std::snprintf(id, sizeof id, "%016llx%016llx", static_cast<unsigned long long>(generator()),
                static_cast<unsigned long long>(generator()));
  return id;
}

}  // namespace portal
