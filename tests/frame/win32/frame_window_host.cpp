// The real frame window, CLander_KVDlg, in a process of its own for the frame
// window tests: everything of the frame is the product's, only its outside
// is given here, as a test needs it (there is no HTML engine under Wine, so
// no login page could yield a game URL):
//   - the login yields the game URL of QM_FRAME_GAME_URL at once;
//   - the game process is the real game process command line, with the game
//     probe (QM_FRAME_GAME_PROGRAM) as its program;
//   - the prompts answer from QM_FRAME_ANSWERS ("ok,cancel,..." in order;
//     Cancel once they run out) instead of showing the message box; a "box"
//     in its place shows the real skinned box, which the test answers;
//   - starting the launcher anew is only recorded.
// What happens goes, one line each, into the UTF-8 file QM_FRAME_LOG:
// "frame pid <n>", "launch <command line>", "game started <pid>", "game ended",
// "prompt <title>|<text> -> <answer>",
// "restart", "DoModal <result>". After DoModal the frame object stays
// QM_FRAME_LINGER_MS milliseconds more (default 0), so that a test can see
// what the frame left behind before its window is destroyed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/text.h"
#include "frame/exit_prompts.h"
#include "frame/frame_window.h"
#include "frame/game_process.h"
#include "platform/process.h"

namespace qm {
namespace {

std::wstring Env(const wchar_t* name) {
  const wchar_t* value = _wgetenv(name);
  return value ? value : L"";
}

void Log(const std::wstring& line) {
  const std::wstring path = Env(L"QM_FRAME_LOG");
  if (path.empty()) return;
  if (FILE* file = _wfopen(path.c_str(), L"ab")) {
    const std::string bytes = Utf8FromWide(line) + "\n";
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
}

// The scripted answers, taken in order by every prompt of the frame.
class ScriptedAnswers {
 public:
  explicit ScriptedAnswers(const std::wstring& script) {
    std::size_t start = 0;
    while (start <= script.size() && !script.empty()) {
      const std::size_t comma = script.find(L',', start);
      answers_.push_back(script.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start));
      if (comma == std::wstring::npos) break;
      start = comma + 1;
    }
  }
  // The next answer: "ok", "cancel" or "box" (Cancel once they run out).
  std::wstring Next() {
    if (next_ >= answers_.size()) return L"cancel";
    return answers_[next_++];
  }

 private:
  std::vector<std::wstring> answers_;
  std::size_t next_ = 0;
};

int Run() {
  Log(L"frame pid " + std::to_wstring(GetCurrentProcessId()));
  const std::wstring gameUrl = Env(L"QM_FRAME_GAME_URL");
  const std::wstring gameProgram = Env(L"QM_FRAME_GAME_PROGRAM");
  ScriptedAnswers answers(Env(L"QM_FRAME_ANSWERS"));

  FrameEnvironment environment;
  environment.login = [gameUrl]() -> std::optional<FinishedLogin> { return FinishedLogin{gameUrl, nullptr}; };
  environment.launchGame = [gameProgram](WindowId frame, const std::wstring& url, ChildProcessWatch watch) {
    const std::wstring line = GameProcessCommandLine(gameProgram, frame, url);
    Log(L"launch " + line);
    // The game process's start and end go into the log as well, so that a
    // test that misses the game window can tell whether the process ran.
    ChildProcessWatch logged;
    logged.started = [forward = std::move(watch.started)](long processId) {
      Log(L"game started " + std::to_wstring(processId));
      if (forward) forward(processId);
    };
    logged.ended = [forward = std::move(watch.ended)] {
      Log(L"game ended");
      if (forward) forward();
    };
    return StartChildProcess(gameProgram, line, std::move(logged));
  };
  environment.prompts = [&answers](NativeWindow owner, MessageBoxWindowObserver observer) -> PromptRunner {
    return [&answers, owner, observer](const PromptTexts& texts) {
      const std::wstring next = answers.Next();
      const int answer = next == L"box" ? SkinnedPromptRunner(owner, observer)(texts) : next == L"ok" ? IDOK : IDCANCEL;
      Log(L"prompt " + texts.title + L"|" + texts.text + L" -> " + (answer == IDOK ? L"ok" : L"cancel"));
      return answer;
    };
  };
  environment.restartLauncher = [] { Log(L"restart"); };
  environment.engineDataFolder = Env(L"QM_FRAME_ENGINE_DATA");

  CLander_KVDlg frame(environment);
  const int result = frame.DoModal();
  Log(L"DoModal " + std::to_wstring(result));
  const int linger = _wtoi(Env(L"QM_FRAME_LINGER_MS").c_str());
  if (linger > 0) Sleep(static_cast<DWORD>(linger));
  return result;
}

}  // namespace
}  // namespace qm

int wmain() { return qm::Run(); }
