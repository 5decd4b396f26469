#include "login/game_url_catcher.h"

namespace qm {

bool IsGameUrl(std::wstring_view url) { return url.find(L"play_gamecode") != std::wstring_view::npos; }

NavigationOutcome GameUrlCatcher::OnBeforeNavigate(std::wstring_view url) {
  NavigationOutcome outcome;
  lastNavigationUrl_.assign(url);
  if (!IsGameUrl(url)) return outcome;
  outcome.cancel = true;
  if (!caught_) {
    caught_ = true;
    gameUrl_.assign(url);
    outcome.gameUrlCaught = true;
  }
  return outcome;
}

}  // namespace qm
