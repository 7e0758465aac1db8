#include "server/activation_file.h"

#include <cstdlib>
#include <filesystem>

#include "server/installed_files.h"

namespace albumcore::server {

namespace fs = std::filesystem;

namespace {

// The executable as the bus splits an Exec line (shell rules): quoted when
// it holds anything but plain path characters.
std::string ExecWord(const std::string& path) {
  if (path.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/._+-") ==
      std::string::npos) {
    return path;
  }
  std::string quoted = "'";
  for (char c : path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

std::string ActivationFilePath(const std::string& busName) {
  fs::path base;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/') {
    base = data;
  } else {
    const char* home = std::getenv("HOME");
    base = fs::path(home != nullptr ? home : "/tmp") / ".local" / "share";
  }
  return (base / "dbus-1" / "services" / (busName + ".service")).string();
}

bool InstallActivationFile(const std::string& busName, const std::string& executable, std::string* error) {
  return WriteFileAtomically(ActivationFilePath(busName),
                             "[D-BUS Service]\nName=" + busName + "\nExec=" + ExecWord(executable) + "\n", error);
}

bool RemoveActivationFile(const std::string& busName, std::string* error) {
  return RemoveInstalledFile(ActivationFilePath(busName), error);
}

}  // namespace albumcore::server
