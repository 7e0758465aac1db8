#include "server/config/sql_confinement.h"

#include <algorithm>
#include <iostream>

#include "server/config/config_keys.h"

namespace albumcore::config {

namespace {

using registry::RegStatus;

void Ignored(registry::RegistryStore& store, std::string_view value, RegStatus status) {
  std::cerr << "registry value " << kAlbumKey << "\\" << value << " ignored: " << registry::RegStatusName(status)
            << (store.lastError().empty() ? "" : " (" + store.lastError() + ")") << "\n";
}

std::vector<std::string> SplitFolders(const std::string& list) {
  std::vector<std::string> folders;
  size_t start = 0;
  while (start <= list.size()) {
    const size_t end = std::min(list.find(kFolderListSeparator, start), list.size());
    std::string folder = list.substr(start, end - start);
    if (!folder.empty() && folder.front() == '/') {
      folders.push_back(std::move(folder));
    } else if (!folder.empty()) {
      std::cerr << "registry value " << kAlbumKey << "\\" << kSqlFoldersValue << ": \"" << folder
                << "\" ignored: not an absolute path\n";
    }
    start = end + 1;
  }
  return folders;
}

}  // namespace

SqlConfinementSettings ReadSqlConfinement(registry::RegistryStore& store) {
  SqlConfinementSettings settings;
  std::string text;
  if (const RegStatus s = store.ReadString(kAlbumKey, kSqlFoldersValue, text); s == RegStatus::Ok) {
    settings.externalFolders = SplitFolders(text);
    settings.openLibraryFolders = false;
  } else if (s != RegStatus::NotFound) {
    Ignored(store, kSqlFoldersValue, s);
  }
  if (settings.openLibraryFolders) {
    if (const RegStatus s = store.ReadString(kAlbumKey, kDbLocationValue, text); s == RegStatus::Ok && !text.empty())
      settings.externalFolders.push_back(text);
    else if (s != RegStatus::NotFound)
      Ignored(store, kDbLocationValue, s);
  }
  uint32_t budget = 0;
  if (const RegStatus s = store.ReadDword(kAlbumKey, kSqlBudgetValue, budget); s == RegStatus::Ok)
    settings.statementBudget = std::chrono::milliseconds(budget);
  else if (s != RegStatus::NotFound)
    Ignored(store, kSqlBudgetValue, s);
  return settings;
}

}  // namespace albumcore::config
