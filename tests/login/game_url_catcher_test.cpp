#include "login/game_url_catcher.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(GameUrl, MarkerIsACaseSensitiveSubstringAnywhere) {
  struct Case {
    const wchar_t* url;
    bool game;
  };
  const Case cases[] = {
      {L"http://portal.test/qmr/play_gamecode/svname/s1/", true},
      {L"http://portal.test/start.php?to=play_gamecode&sv=1", true},
      {L"http://portal.test/#play_gamecode", true},
      {L"play_gamecode", true},
      {L"http://portal.test/PLAY_GAMECODE/", false},
      {L"http://portal.test/Play_GameCode/", false},
      {L"http://portal.test/play-gamecode/", false},
      {L"http://portal.test/play_game/", false},
      {L"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsGameUrl(c.url), c.game) << c.url;
}

TEST(GameUrl, OrdinaryNavigationsGoAheadAndOnlyReplaceTheLastUrl) {
  GameUrlCatcher catcher;
  EXPECT_EQ(catcher.lastNavigationUrl(), L"");
  for (const wchar_t* url : {L"http://portal.test/client/gamecode/qmr/skin/as/mac//", L"about:blank",
                             L"http://portal.test/PLAY_GAMECODE/"}) {
    const NavigationOutcome outcome = catcher.OnBeforeNavigate(url);
    EXPECT_FALSE(outcome.cancel) << url;
    EXPECT_FALSE(outcome.gameUrlCaught) << url;
    EXPECT_EQ(catcher.lastNavigationUrl(), url);
  }
  EXPECT_FALSE(catcher.caught());
  EXPECT_EQ(catcher.gameUrl(), L"");
}

TEST(GameUrl, FirstGameNavigationIsCancelledAndKeptWhole) {
  GameUrlCatcher catcher;
  catcher.OnBeforeNavigate(L"http://portal.test/login/");
  const std::wstring game = L"http://portal.test/qmr/play_gamecode/svname/%E4%B8%80%E5%8C%BA/?uid=a%20b&t=1#top";
  const NavigationOutcome outcome = catcher.OnBeforeNavigate(game);
  EXPECT_TRUE(outcome.cancel);
  EXPECT_TRUE(outcome.gameUrlCaught);
  EXPECT_TRUE(catcher.caught());
  EXPECT_EQ(catcher.gameUrl(), game);
  EXPECT_EQ(catcher.lastNavigationUrl(), game);
}

TEST(GameUrl, LaterGameNavigationsAreCancelledButKeepTheFirstGameUrl) {
  GameUrlCatcher catcher;
  const std::wstring first = L"http://portal.test/qmr/play_gamecode/svname/s1/";
  const std::wstring second = L"http://portal.test/qmr/play_gamecode/svname/s2/";
  EXPECT_TRUE(catcher.OnBeforeNavigate(first).gameUrlCaught);

  NavigationOutcome later = catcher.OnBeforeNavigate(second);
  EXPECT_TRUE(later.cancel);
  EXPECT_FALSE(later.gameUrlCaught);
  EXPECT_EQ(catcher.gameUrl(), first);
  EXPECT_EQ(catcher.lastNavigationUrl(), second);

  later = catcher.OnBeforeNavigate(L"http://portal.test/other/");
  EXPECT_FALSE(later.cancel);
  EXPECT_EQ(catcher.gameUrl(), first);
}

}  // namespace
}  // namespace qm
