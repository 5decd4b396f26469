// The demo portal's login and game pages, fetched over loopback from the
// native server started as a child process on a free port.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "base/text.h"
#include "frame/server_name.h"
#include "login/game_url_catcher.h"
#include "login/login_url.h"
#include "support/temp_dir.h"
#include "update/http_access.h"

extern char** environ;

namespace qm {
namespace {

struct Page {
  long status = 0;
  std::wstring text;
};

Page Fetch(const std::wstring& url) {
  Page page;
  auto session = OpenHttpSession(L"test");
  session->SetConnectTimeout(2000);
  auto response = session->OpenUrl(url);
  if (!response) return page;
  page.status = response->StatusCode();
  std::string body;
  char buffer[4096];
  size_t n;
  while ((n = response->Read(buffer, sizeof buffer)) > 0) body.append(buffer, n);
  page.text = WideFromUtf8(body);
  return page;
}

class PortalPages : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string portFile = dir_.path().string() + "/port";
    std::vector<std::string> args{QM_DEMO_PORTAL, "--port", "0", "--port-file", portFile, "--lifetime", "120"};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    ASSERT_EQ(posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ), 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int port = 0;
    while (port == 0 && std::chrono::steady_clock::now() < deadline) {
      std::ifstream(portFile) >> port;
      if (port == 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_NE(port, 0) << "the demo portal did not start";
    base_ = L"http://127.0.0.1:" + std::to_wstring(port);
  }

  void TearDown() override {
    if (pid_ <= 0) return;
    if (!base_.empty()) {
      try {
        Fetch(base_ + L"/control/quit");
      } catch (const UpdateException&) {
      }
    }
    int status = 0;
    for (int i = 0; i < 100 && waitpid(pid_, &status, WNOHANG) == 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (waitpid(pid_, &status, WNOHANG) == 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
    }
  }

  test::TempDir dir_;
  pid_t pid_ = -1;
  std::wstring base_;
};

TEST_F(PortalPages, LoginPageIsServedAtTheLoginUrl) {
  const std::wstring loginBase = base_ + L"/client/gamecode/qmr/skin/as/";
  for (const std::wstring& mac : {FormatMacText({0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}), std::wstring()}) {
    const std::wstring url = ComposeLoginUrl(loginBase, mac);
    const Page page = Fetch(url);
    EXPECT_EQ(page.status, 200) << Utf8FromWide(url);
    EXPECT_NE(page.text.find(L"进入游戏"), std::wstring::npos);
    EXPECT_NE(page.text.find(L"/qmr/play_gamecode/svname/"), std::wstring::npos);
    EXPECT_NE(page.text.find(L"width:690px;height:452px"), std::wstring::npos);
    if (!mac.empty()) {
      EXPECT_NE(page.text.find(mac), std::wstring::npos);
    }
    // Self-contained: nothing is loaded from another address.
    EXPECT_EQ(page.text.find(L"http"), std::wstring::npos);
  }
}

TEST_F(PortalPages, GamePageShowsTheServerNameTheFrameExtracts) {
  struct Case {
    std::wstring target;
    const wchar_t* server;
    const wchar_t* account;
  };
  const Case cases[] = {
      {L"/qmr/play_gamecode/svname/%E4%B8%80%E5%8C%BA/?uid=a%3Cb%3E", L"一区", L"a&lt;b&gt;"},
      {L"/qmr/play_gamecode?uid=hero&svname=%E4%BA%8C%E5%8C%BA", L"二区", L"hero"},
  };
  for (const Case& c : cases) {
    const std::wstring url = base_ + c.target;
    GameUrlCatcher catcher;
    EXPECT_TRUE(catcher.OnBeforeNavigate(url).gameUrlCaught);
    EXPECT_EQ(ExtractServerName(catcher.gameUrl()), c.server);
    const Page page = Fetch(url);
    EXPECT_EQ(page.status, 200) << Utf8FromWide(url);
    EXPECT_NE(page.text.find(std::wstring(L"[ ") + c.server + L" ]"), std::wstring::npos) << Utf8FromWide(url);
    EXPECT_NE(page.text.find(c.account), std::wstring::npos) << Utf8FromWide(url);
    EXPECT_EQ(page.text.find(L"<b>"), std::wstring::npos);
  }
}

TEST_F(PortalPages, VersionEndpointStillAnswers) {
  const Page page = Fetch(base_ + L"/getClientVersion.php?p=korvo&g=qmr&v=1.0.1.0");
  EXPECT_EQ(page.status, 200);
  EXPECT_EQ(page.text, L"-1");
}

}  // namespace
}  // namespace qm
