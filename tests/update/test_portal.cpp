#include "update/test_portal.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/owners.h"
#else
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
extern char** environ;
#endif

#include <chrono>
#include <sstream>
#include <thread>

#include "base/text.h"
#include "update/http_access.h"

namespace qm::test {

namespace {

std::string Encode(const std::string& text) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out.push_back(static_cast<char>(c));
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

// One GET to the portal; nothing when it does not answer.
bool Get(const std::string& target, std::string& body) {
  try {
    auto session = OpenHttpSession(L"test");
    session->SetConnectTimeout(2000);
    auto response = session->OpenUrl(TestPortal::BaseUrl() + WideFromUtf8(target));
    if (!response || response->StatusCode() != 200) return false;
    char buffer[1024];
    size_t n;
    while ((n = response->Read(buffer, sizeof buffer)) > 0) body.append(buffer, n);
    return true;
  } catch (const UpdateException&) {
    return false;
  }
}

// Starts the native server with its arguments, without waiting.
long StartServer(const std::vector<std::string>& args) {
#ifdef _WIN32
  // Wine starts a native program from a command line whose first word is
  // the program itself.
  std::wstring line = L"demo_portal";
  for (const std::string& arg : args) line += L" " + WideFromUtf8(arg);
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  const std::wstring program = BuildFilePath(QM_DEMO_PORTAL);
  if (!CreateProcessW(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return -1;
  }
  // The server runs on by itself; its handles are not needed here.
  const UniqueHandle thread(info.hThread);
  const UniqueHandle process(info.hProcess);
  return 0;
#else
  std::vector<std::string> all{QM_DEMO_PORTAL};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  return posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
#endif
}

}  // namespace

int TestPortal::Port() { return QM_TEST_PORTAL_PORT; }

std::wstring TestPortal::BaseUrl() { return L"http://127.0.0.1:" + std::to_wstring(Port()); }

TestPortal::TestPortal(const std::string& filesDir, const std::string& latestVersion, const std::string& latestFile) {
  std::string ignored;
  if (Get("/control/quit", ignored)) {  // a server left over by an aborted run
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  // The server is a native program in both builds; it ends itself at the
  // latest after ten minutes should a test never stop it.
  std::vector<std::string> args{"--port", std::to_string(Port()), "--lifetime", "600"};
  if (!filesDir.empty()) args.insert(args.end(), {"--files", filesDir});
  if (!latestVersion.empty()) args.insert(args.end(), {"--latest-version", latestVersion, "--latest-file", latestFile});
  pid_ = StartServer(args);
  if (pid_ < 0) return;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    std::string body;
    if (Get("/control/requests", body)) {
      running_ = true;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

TestPortal::~TestPortal() {
  std::string ignored;
  Get("/control/quit", ignored);
  // Waits until the port is free again for the next test.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline && Get("/control/requests", ignored)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
#ifndef _WIN32
  if (pid_ > 0) {
    kill(static_cast<pid_t>(pid_), SIGKILL);  // ended already, unless it hangs
    waitpid(static_cast<pid_t>(pid_), nullptr, 0);
  }
#endif
}

void TestPortal::SetVersionAnswer(int status, const std::string& answer) {
  Control("/control/version-answer?status=" + std::to_string(status) + "&answer=" + Encode(answer));
}

std::vector<std::string> TestPortal::Requests() {
  std::istringstream in(Control("/control/requests"));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string TestPortal::Control(const std::string& target) {
  std::string body;
  Get(target, body);
  return body;
}

std::string PatternBytes(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i % 251);
  return bytes;
}

std::wstring BuildFilePath(const std::string& nativePath) {
#ifdef _WIN32
  // Under Wine the build tree is reached through the drive that maps the
  // Unix root.
  std::wstring path = L"Z:" + WideFromUtf8(nativePath);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
#else
  return WideFromUtf8(nativePath);
#endif
}

}  // namespace qm::test
