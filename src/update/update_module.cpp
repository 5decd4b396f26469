#include "update/update_module.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/file_facts.h"
#include "platform/paths.h"
#include "base/string_rows.h"
#include "platform/resources.h"
#include "base/text.h"
#include "platform/update_log.h"
#include "platform/files.h"
#include "platform/process.h"
#include "update/update_files.h"
#include "update/update_rules.h"

namespace qm {

namespace {

// The agent text: the program's name, its file name without extension.
std::wstring AgentName() {
  std::wstring name = CurrentPaths().ModuleFileName();
  const size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos && dot > 0) name.erase(dot);
  return name;
}

// The two log lines of an exception caught at a boundary of the update.
void LogException(const wchar_t* firstLine, const std::wstring& message) {
  WriteUpdateLog(firstLine);
  WriteUpdateLog(LoggedExceptionMessage(message));
}

std::wstring MessageOf(const std::exception& error) {
  if (auto* update = dynamic_cast<const UpdateException*>(&error)) return update->Message();
  return WideFromUtf8(error.what());
}

// Deletes the update log before a check once it has grown past its limit.
void CapUpdateLog() {
  std::error_code ec;
  const std::filesystem::path log = FsPath(CurrentPaths().UpdateLog());
  const std::uintmax_t size = std::filesystem::file_size(log, ec);
  if (!ec && UpdateLogTooLarge(size)) std::filesystem::remove(log, ec);
}

// Opens url, logs the status code and hands out the response when the server
// answered with a body to read; an error status closes it and gives nothing.
std::unique_ptr<HttpResponse> OpenLoggedResponse(HttpSession& session, const std::wstring& url) {
  std::unique_ptr<HttpResponse> response = session.OpenUrl(url);
  if (!response) return nullptr;
  const long status = response->StatusCode();
  WriteUpdateLog(LogStatusCode(status));
  if (status >= 400) {
    response->Close();
    return nullptr;
  }
  return response;
}

// Whether path holds a program this build can start and that carries a
// version record, as a launcher does. A body that is anything else (sent
// compressed, a portal's page of the right length) must not be handed over.
bool IsLauncherOfThisBuild(const std::wstring& path) {
  std::ifstream in(FsPath(path), std::ios::binary);
  std::string head(4096, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(in.gcount()));
  const bool windowsBuild = NativePathStyle().separator == L'\\';
  if (!(windowsBuild ? IsPeX64Image(head) : IsElfX64Executable(head))) return false;
  const std::wstring version = GetFileVersionText(path);
  return !version.empty() && version != kNoVersionText;
}

}  // namespace

UpdateEnvironment DefaultUpdateEnvironment() {
  UpdateEnvironment environment;
  environment.openSession = [] { return OpenHttpSession(AgentName()); };
  environment.startHandOver = StartHandOver;
  return environment;
}

void RunUpdateCheck() { RunUpdateCheck(DefaultUpdateEnvironment()); }

void RunUpdateCheck(const UpdateEnvironment& environment) {
  CapUpdateLog();
  CUpdateModule module(LoadStringRow(kRowUpdateFileName), CurrentPaths().InstallSubFolder(), environment);
  const std::wstring baseUrl = LoadStringRow(kRowVersionServer);
  const std::wstring queryPath = LoadStringRow(kRowVersionQuery);
  const std::wstring version = GetFileVersionText(QuerySystemFolders().modulePath);
  WriteUpdateLog(VersionRequestUrl(baseUrl, queryPath, version));
  if (module.CheckVersion(baseUrl, queryPath, version)) module.DownloadUpdate(module.m_downloadUrl);
}

CUpdateModule::CUpdateModule(const std::wstring& tempFileName, const std::wstring& subFolder,
                             UpdateEnvironment environment)
    : environment_(std::move(environment)) {
  const PathComposer paths = CurrentPaths();
  const std::wstring appData = paths.folders().appData;
  const std::wstring staging = paths.StagingFolder();
  if (!FolderExists(staging)) CreateFolder(staging);
  m_tempFile = JoinPath(staging, NativeSeparators(tempFileName));
  // An earlier download goes, unless this very run started from it (after a
  // hand-over whose copy failed): a running program's file stays, as it does
  // on Windows, and the download then cannot write over it.
  std::error_code ec;
  const bool running = std::filesystem::equivalent(FsPath(m_tempFile), FsPath(paths.folders().modulePath), ec);
  if (PathExists(m_tempFile) && !running) {
    std::error_code ignored;  // a file that cannot go is met by the download
    std::filesystem::remove(FsPath(m_tempFile), ignored);
  }
  m_subFolder = NativeSeparators(subFolder);
  m_installFile = JoinPath(JoinPath(appData, m_subFolder), paths.ModuleFileName());
}

bool CUpdateModule::CheckVersion(const std::wstring& baseUrl, const std::wstring& queryPath,
                                 const std::wstring& version) {
  m_checkUrl = VersionRequestUrl(baseUrl, queryPath, version);
  const std::wstring answer = RequestText();
  WriteUpdateLog(LogVersionAnswer(answer));
  // The log keeps the answer as it came; the rules read it trimmed.
  const std::wstring trimmed = TrimmedAnswer(answer);
  if (!AnswerMeansUpdate(trimmed)) {
    WriteUpdateLog(kLogFinishUpdate);
    WriteUpdateLog(kLogSeparator);
    return false;
  }
  m_downloadUrl = trimmed;
  return true;
}

std::wstring CUpdateModule::RequestText() {
  std::wstring result;
  std::unique_ptr<HttpSession> session;
  try {
    session = environment_.openSession();
    session->SetConnectTimeout(5000);
    if (std::unique_ptr<HttpResponse> response = OpenLoggedResponse(*session, m_checkUrl)) {
      // The whole body, however many pieces it comes in.
      std::string body;
      char buffer[1024];
      for (;;) {
        const size_t n = response->Read(buffer, sizeof buffer);
        if (n == 0) break;
        body.append(buffer, n);
      }
      const size_t zero = body.find('\0');
      if (zero != std::string::npos) body.resize(zero);
      result = WideFromNetworkText(body);
      response->Close();
    }
  } catch (const std::exception& error) {
    LogException(kLogDownloadException, MessageOf(error));
  }
  if (session) session->Close();
  return result;
}

void CUpdateModule::DownloadUpdate(const std::wstring& url) {
  std::unique_ptr<HttpSession> session;
  try {
    WriteUpdateLog(LogDownloadUrl(url));
    session = environment_.openSession();
    if (std::unique_ptr<HttpResponse> response = OpenLoggedResponse(*session, url)) {
      const std::int64_t total = LeadingNumber(response->ContentLengthText());
      WriteUpdateLog(LogContentLength(total));
      const std::int64_t existing = SizeWhenWritable(m_tempFile);
      if (existing == total) {
        WriteUpdateLog(kLogSizeAlreadyReached);
        response->Close();
      } else {
        // Kept for servers that look at the request: the response is
        // already open, so this header is never sent and the body below is
        // always the whole file.
        response->AddRequestHeader(RangeHeaderText(existing, total));
        response->ContentLengthText();
        DownloadFile file;
        if (!file.Open(m_tempFile)) {
          response->Close();
        } else {
          // The whole body replaces what the file held, so that bytes of
          // an earlier attempt can never make a complete-looking file.
          std::int64_t received = 0;
          char buffer[1024];
          for (;;) {
            const size_t n = response->Read(buffer, sizeof buffer);
            if (n == 0) break;
            file.Write(buffer, n);
            received += static_cast<std::int64_t>(n);
          }
          file.Close();
          response->Close();
          if (total > 0 && received == total) {
            WriteUpdateLog(LogFinishedSize(total));
            std::wstring digest;
            GetFileMd5(m_tempFile, digest);
            WriteUpdateLog(LogFinishedMd5(digest));
            session->Close();
            if (IsLauncherOfThisBuild(m_tempFile)) {
              environment_.startHandOver(m_tempFile, m_installFile);
            } else {
              // Nothing that cannot run stays in the staging folder.
              WriteUpdateLog(kLogNotAnExecutable);
              std::error_code ignored;
              std::filesystem::remove(FsPath(m_tempFile), ignored);
            }
          }
        }
      }
    }
  } catch (const std::exception& error) {
    LogException(kLogDownloadException, MessageOf(error));
  }
  if (session) session->Close();
}

void StartHandOver(const std::wstring& newExecutable, const std::wstring& installedExecutable) {
  if (StartProcess(newExecutable, L"-d " + installedExecutable)) ExitProcessNow(0);
}

}  // namespace qm
