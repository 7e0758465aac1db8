#include "store/dao/external_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <mutex>
#include <optional>

#include "store/dao/errors.h"

namespace albumcore::store::dao {

namespace {

// SQLite's file header: the magic text, and the application id as a 32-bit
// big-endian number at offset 68.
constexpr std::string_view kSqliteMagic{"SQLite format 3\0", 16};
constexpr size_t kApplicationIdOffset = 68;

std::mutex g_openMutex;
std::map<std::string, int>& OpenFolders() {
  static std::map<std::string, int> folders;
  return folders;
}

std::optional<std::string> RealPath(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::nullopt;
  std::string out(resolved);
  std::free(resolved);
  return out;
}

bool IsUnder(const std::string& file, const std::string& folder) {
  if (folder == "/") return true;
  return file.size() > folder.size() && file.compare(0, folder.size(), folder) == 0 && file[folder.size()] == '/';
}

bool UnderAllowedFolder(const ExternalFileRule& rule, const std::string& real) {
  for (const auto& folder : rule.folders)
    if (const auto resolved = RealPath(folder); resolved && IsUnder(real, *resolved)) return true;
  if (rule.openCatalogueFolders)
    for (const auto& folder : OpenCatalogueMark::Folders())
      if (IsUnder(real, folder)) return true;
  return false;
}

// Why the file is not a catalogue; nullopt when it is one.
std::optional<std::string> NotACatalogue(const std::string& real, int32_t applicationId) {
  const int fd = ::open(real.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return "cannot be opened";
  std::array<unsigned char, 100> header{};
  const ssize_t got = ::pread(fd, header.data(), header.size(), 0);
  ::close(fd);
  if (got != static_cast<ssize_t>(header.size()) ||
      std::string_view(reinterpret_cast<const char*>(header.data()), kSqliteMagic.size()) != kSqliteMagic)
    return "is not an SQLite database";
  uint32_t id = 0;
  for (size_t i = 0; i < 4; ++i) id = (id << 8) | header[kApplicationIdOffset + i];
  if (static_cast<int32_t>(id) != applicationId) return "is not a catalogue (application id " + std::to_string(id) + ")";
  return std::nullopt;
}

[[noreturn]] void Missing(const std::string& path) { ThrowJet(jeterr::kFileNotFound, "Could not find file '" + path + "'."); }

[[noreturn]] void Refuse(const std::string& path, const std::string& reason) {
  std::cerr << "external database \"" << path << "\" refused: " << reason << "\n";
  Missing(path);
}

}  // namespace

std::string ResolveExternalFile(const ExternalFileRule& rule, const std::string& path) {
  if (path.empty()) Missing(path);
  if (!rule.confined) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) Missing(path);
    return std::filesystem::absolute(path).lexically_normal().string();
  }
  const auto real = RealPath(path);
  if (!real) Refuse(path, "no such file");
  struct stat st {};
  if (::stat(real->c_str(), &st) != 0 || !S_ISREG(st.st_mode)) Refuse(path, "not a regular file");
  if (!UnderAllowedFolder(rule, *real)) Refuse(path, *real + " is outside the folders allowed to SQL text");
  if (const auto why = NotACatalogue(*real, rule.applicationId)) Refuse(path, *real + " " + *why);
  return *real;
}

OpenCatalogueMark::OpenCatalogueMark(const std::string& catalogue) {
  const auto real = RealPath(catalogue);
  if (!real) return;
  folder_ = std::filesystem::path(*real).parent_path().string();
  const std::lock_guard lock(g_openMutex);
  ++OpenFolders()[folder_];
}

OpenCatalogueMark::~OpenCatalogueMark() {
  if (folder_.empty()) return;
  const std::lock_guard lock(g_openMutex);
  auto& folders = OpenFolders();
  if (auto it = folders.find(folder_); it != folders.end() && --it->second == 0) folders.erase(it);
}

std::vector<std::string> OpenCatalogueMark::Folders() {
  const std::lock_guard lock(g_openMutex);
  std::vector<std::string> out;
  for (const auto& [folder, count] : OpenFolders()) out.push_back(folder);
  return out;
}

}  // namespace albumcore::store::dao
