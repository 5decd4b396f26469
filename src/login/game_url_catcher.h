// Watches the login page's navigations for the game URL. Every navigation
// whose URL contains "play_gamecode" (case-sensitive, anywhere in the URL) is
// cancelled, so the login browser never loads the game. The first of them is
// the game URL: kept whole and unchanged, query included, and reported once.
// Later ones (a second click, a frame of the page) are cancelled as well but
// leave the game URL as it is, so the login run ends with the page the player
// chose first.
#pragma once

#include <string>
#include <string_view>

namespace qm {

// True when url is a game URL: it contains "play_gamecode" in this case.
bool IsGameUrl(std::wstring_view url);

struct NavigationOutcome {
  bool cancel = false;          // the browser must not perform this navigation
  bool gameUrlCaught = false;   // this navigation yielded the game URL
};

class GameUrlCatcher {
 public:
  // One navigation about to start, of the page or of a frame inside it.
  NavigationOutcome OnBeforeNavigate(std::wstring_view url);

  // The URL of the most recent navigation, game URL or not.
  const std::wstring& lastNavigationUrl() const { return lastNavigationUrl_; }

  bool caught() const { return caught_; }
  // The game URL; empty until one has been caught.
  const std::wstring& gameUrl() const { return gameUrl_; }

 private:
  std::wstring lastNavigationUrl_;
  std::wstring gameUrl_;
  bool caught_ = false;
};

}  // namespace qm
