#include "components/file_system/scratch_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace albumcore::file_system {

std::string ScratchFolder() { return ScratchFolder(std::getenv("XDG_CACHE_HOME"), std::getenv("HOME")); }

std::string ScratchFolder(const char* cacheHome, const char* home) {
  if (cacheHome != nullptr && cacheHome[0] == '/') return std::string(cacheHome) + "/albumcore";
  std::string base;
  if (home != nullptr && home[0] != '\0') {
    base = home;
  } else {
    const passwd* entry = ::getpwuid(::getuid());
    base = entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
  }
  if (base.empty() || base == "/") base = "";  // "//.cache" would name the same folder, but oddly
  return base + "/.cache/albumcore";
}

}  // namespace albumcore::file_system
