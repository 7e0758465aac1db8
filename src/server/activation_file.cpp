#include "server/activation_file.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace albumcore::server {

namespace fs = std::filesystem;

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
  const fs::path path = ActivationFilePath(busName);
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  const fs::path temp = path.string() + ".tmp";
  {
    std::ofstream out(temp, std::ios::trunc);
    out << "[D-BUS Service]\nName=" << busName << "\nExec=" << executable << "\n";
    if (!out.flush()) {
      *error = "cannot write " + temp.string();
      return false;
    }
  }
  fs::rename(temp, path, ec);
  if (ec) {
    *error = "cannot install " + path.string() + ": " + ec.message();
    return false;
  }
  return true;
}

bool RemoveActivationFile(const std::string& busName, std::string* error) {
  std::error_code ec;
  fs::remove(ActivationFilePath(busName), ec);
  if (ec) {
    *error = ec.message();
    return false;
  }
  return true;
}

}  // namespace albumcore::server
