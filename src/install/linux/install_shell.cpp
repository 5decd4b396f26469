// Linux: .desktop launchers, the freedesktop Trash, the machine-wide entry
// file and the per-user profile file.
#include "install/install_shell.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "base/text.h"
#include "install/key_file.h"
#include "platform/files.h"
#include "platform/linux/owners.h"
#include "platform/linux/xdg_folders.h"

namespace qm {

namespace fs = std::filesystem;

namespace {

bool g_denyMachineWide = false;

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Machine-wide: a folder only root may write. QM_UNINSTALL_ENTRY_ROOT moves it
// (the tests, which run as root, point it into their scratch area).
std::string EntryRoot() {
  const std::string dir = Env("QM_UNINSTALL_ENTRY_ROOT");
  return dir.empty() ? "/var/lib/quellmoor/uninstall" : dir;
}

std::string EntryFile(const std::wstring& name) { return EntryRoot() + "/" + Utf8FromWide(name) + ".entry"; }

std::string ProfileFile() { return XdgConfigHome() + "/Quellmoor/profile.conf"; }

std::vector<keyfile::Group> ReadGroups(const std::string& file) {
  const auto bytes = ReadFileBytes(WideFromUtf8(file));
  return bytes ? keyfile::Parse(*bytes) : std::vector<keyfile::Group>{};
}

bool SetInFile(const std::string& file, const std::string& group, const std::wstring& key, const std::wstring& value) {
  auto groups = ReadGroups(file);
  keyfile::Set(groups, group, Utf8FromWide(key), Utf8FromWide(value));
  return ReplaceFileBytes(WideFromUtf8(file), keyfile::Format(groups));
}

// The path with every byte outside the unreserved set percent-encoded, as
// .trashinfo records want it.
std::string PercentEncode(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string LocalTimestamp() {
  const time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  char text[32];
  strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

}  // namespace

bool SaveShortcut(const std::wstring& linkPath, const ShortcutFacts& facts) {
  // The launcher shows the file's name without its suffix, as a shortcut does.
  const std::string name = fs::path(Utf8FromWide(linkPath)).stem().string();
  std::string exec = keyfile::QuoteExecArgument(Utf8FromWide(facts.target));
  if (!facts.arguments.empty()) exec += " " + keyfile::QuoteExecArgument(Utf8FromWide(facts.arguments));
  std::vector<keyfile::Group> groups{{"Desktop Entry", {}}};
  auto& entries = groups.front().entries;
  entries = {{"Type", "Application"}, {"Version", "1.0"}, {"Name", name}, {"Exec", exec}};
  if (!facts.iconPath.empty()) entries.emplace_back("Icon", Utf8FromWide(facts.iconPath));
  entries.emplace_back("Terminal", "false");
  if (!ReplaceFileBytes(linkPath, keyfile::Format(groups))) return false;
  // Desktops start only launchers marked executable.
  chmod(Utf8FromWide(linkPath).c_str(), 0755);
  return true;
}

std::optional<ShortcutFacts> ReadShortcut(const std::wstring& linkPath) {
  const auto bytes = ReadFileBytes(linkPath);
  if (!bytes) return std::nullopt;
  const auto groups = keyfile::Parse(*bytes);
  const auto exec = keyfile::Get(groups, "Desktop Entry", "Exec");
  if (!exec) return std::nullopt;
  const auto args = keyfile::SplitExec(*exec);
  ShortcutFacts facts;
  if (!args.empty()) facts.target = WideFromUtf8(args[0]);
  for (size_t i = 1; i < args.size(); ++i) facts.arguments += (i > 1 ? L" " : L"") + WideFromUtf8(args[i]);
  if (const auto icon = keyfile::Get(groups, "Desktop Entry", "Icon")) facts.iconPath = WideFromUtf8(*icon);
  return facts;
}

bool DeleteWithShell(const std::wstring& path) {
  std::error_code ec;
  fs::path item = fs::absolute(fs::path(Utf8FromWide(path)), ec);
  if (ec || path.empty()) return false;
  item = item.lexically_normal();
  if (item.has_filename() == false) item = item.parent_path();
  struct stat info {};
  if (lstat(item.c_str(), &info) != 0 || item == item.root_path()) return false;

  // The Trash is private to its user.
  const fs::path trash = fs::path(XdgDataHome()) / "Trash";
  if (!fs::exists(trash)) {
    fs::create_directories(trash, ec);
    fs::permissions(trash, fs::perms::owner_all, fs::perm_options::replace, ec);
  }
  fs::create_directories(trash / "files", ec);
  fs::create_directories(trash / "info", ec);
  if (!fs::is_directory(trash / "files") || !fs::is_directory(trash / "info")) return false;

  // The record is reserved first, with a name no other item has taken.
  const std::string base = item.filename().string();
  std::string name;
  fs::path record;
  for (int n = 1; n < 10000; ++n) {
    name = n == 1 ? base : base + "." + std::to_string(n);
    record = trash / "info" / (name + ".trashinfo");
    UniqueFd fd(open(record.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd) {
      if (errno == EEXIST) continue;
      return false;
    }
    const std::string text =
        "[Trash Info]\nPath=" + PercentEncode(item.string()) + "\nDeletionDate=" + LocalTimestamp() + "\n";
    const bool written = write(fd.get(), text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
                         CloseReportingErrors(fd);
    if (!written) {
      unlink(record.c_str());
      return false;
    }
    const fs::path target = trash / "files" / name;
    if (rename(item.c_str(), target.c_str()) == 0) return true;
    if (errno == EXDEV) {
      // Another file system: copy into the trash, then remove the original.
      fs::copy(item, target, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
      if (!ec) {
        fs::remove_all(item, ec);
        if (!ec) return true;
      }
      fs::remove_all(target, ec);
    }
    unlink(record.c_str());
    return false;
  }
  return false;
}

// Desktops watch their folders themselves; there is nobody to tell.
// Linux deletes a file that a process runs from or holds; the retry is
// there for file systems that refuse it while busy.
bool DeleteFileWhenFree(const std::wstring& path) {
  const std::string native = Utf8FromWide(path);
  for (int attempt = 0;; ++attempt) {
    if (unlink(native.c_str()) == 0 || errno == ENOENT) return true;
    if ((errno != EBUSY && errno != ETXTBSY) || attempt >= 50) return false;
    usleep(100000);
  }
}

void NotifyShellDeleted(const std::wstring&) {}

struct UninstallEntry::Store {
  std::string file;  // the entry file
};

UninstallEntry::UninstallEntry(std::wstring name) : name_(std::move(name)) {}

UninstallEntry::~UninstallEntry() = default;

UninstallEntry::Opened UninstallEntry::CreateOrOpen() {
  if (g_denyMachineWide) return Opened::kFailed;
  std::error_code ec;
  fs::create_directories(EntryRoot(), ec);
  const std::string file = EntryFile(name_);
  if (const UniqueFd created(open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644)); created) {
    store_ = std::make_unique<Store>(Store{file});
    return Opened::kCreatedNew;
  }
  if (errno == EEXIST && access(file.c_str(), W_OK) == 0 && access(EntryRoot().c_str(), W_OK) == 0) {
    store_ = std::make_unique<Store>(Store{file});
    return Opened::kExisting;
  }
  return Opened::kFailed;
}

bool UninstallEntry::SetValue(const std::wstring& name, const std::wstring& value) {
  if (!store_) return false;
  return SetInFile(store_->file, Utf8FromWide(name_), name, value);
}

bool DeleteUninstallEntry(const std::wstring& name) {
  if (g_denyMachineWide) return false;
  return unlink(EntryFile(name).c_str()) == 0;
}

std::optional<std::map<std::wstring, std::wstring>> ReadUninstallEntry(const std::wstring& name) {
  const std::string file = EntryFile(name);
  if (!fs::exists(file)) return std::nullopt;
  std::map<std::wstring, std::wstring> values;
  for (const auto& group : ReadGroups(file)) {
    if (group.name != Utf8FromWide(name)) continue;
    for (const auto& [k, v] : group.entries) values[WideFromUtf8(k)] = WideFromUtf8(v);
  }
  return values;
}

void DenyMachineWideWritesForTesting(bool deny) { g_denyMachineWide = deny; }
bool MachineWideWritesDenied() { return g_denyMachineWide; }

std::wstring ReadApplicationProfile(const std::wstring& section, const std::wstring& key, const std::wstring& fallback) {
  const auto value = keyfile::Get(ReadGroups(ProfileFile()), Utf8FromWide(section), Utf8FromWide(key));
  return value ? WideFromUtf8(*value) : fallback;
}

bool WriteApplicationProfile(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
  std::error_code ec;
  fs::create_directories(fs::path(ProfileFile()).parent_path(), ec);
  return SetInFile(ProfileFile(), Utf8FromWide(section), key, value);
}

}  // namespace qm
