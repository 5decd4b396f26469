// The self-update: once per launcher run, ask the version server whether a
// newer client exists, download it into the staging folder and hand over to
// it. Everything runs on the calling thread and is recorded in update.log.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "update/http_access.h"

namespace qm {

// What the update reaches outside itself; the defaults are the real ones.
struct UpdateEnvironment {
  // Opens an HTTP session of this platform's client.
  std::function<std::unique_ptr<HttpSession>()> openSession;
  // Starts the downloaded executable in hand-over mode and ends this process;
  // returns only when it could not be started.
  std::function<void(const std::wstring& newExecutable, const std::wstring& installedExecutable)> startHandOver;
};

UpdateEnvironment DefaultUpdateEnvironment();

// The version check the login page's first completed document runs. Returns
// when no update is pending or the download did not complete; otherwise the
// hand-over ends the process with exit code 0.
void RunUpdateCheck();
void RunUpdateCheck(const UpdateEnvironment& environment);

class CUpdateModule {
 public:
  // tempFileName is row 118, subFolder row 119 + row 117 + "\". Creates the
  // staging folder when missing and deletes an earlier downloaded update.
  CUpdateModule(const std::wstring& tempFileName, const std::wstring& subFolder,
                UpdateEnvironment environment = DefaultUpdateEnvironment());

  // Asks the version server; true when an update is pending, with
  // m_downloadUrl set to the answer.
  bool CheckVersion(const std::wstring& baseUrl, const std::wstring& queryPath, const std::wstring& version);

  // The body of a GET of m_checkUrl as text; empty on any failure.
  std::wstring RequestText();

  // Fetches url into m_tempFile and, when it is complete, hands over.
  void DownloadUpdate(const std::wstring& url);

  std::wstring m_checkUrl;
  std::wstring m_tempFile;
  std::wstring m_installFile;
  std::wstring m_subFolder;
  std::wstring m_downloadUrl;

 private:
  UpdateEnvironment environment_;
};

// Starts newExecutable with the command line "-d " + installedExecutable and
// ends this process with exit code 0. Returns only when the process could
// not be started, so that the launcher goes on.
void StartHandOver(const std::wstring& newExecutable, const std::wstring& installedExecutable);

}  // namespace qm
