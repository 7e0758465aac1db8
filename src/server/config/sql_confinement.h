// How far SQL text from clients may reach, as the administrator set it in
// the machine hive: the folders whose catalogue files an IN "file" clause
// may attach, and the time one statement run may take. The server hands
// these to the catalogue store's engines.
//
// Without a folder list the template catalogue's folder and the folders of
// the open libraries are allowed. Values that cannot be used (a DWORD where
// text belongs, a relative folder) are reported on stderr and ignored; an
// unreadable hive gives the defaults. Reading never fails.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "registry/registry_store.h"

namespace albumcore::config {

inline constexpr char kFolderListSeparator = ':';

struct SqlConfinementSettings {
  std::vector<std::string> externalFolders;
  bool openLibraryFolders = true;  // no list given: the open libraries' folders count too
  std::optional<std::chrono::milliseconds> statementBudget;  // absent: the store's default
};

SqlConfinementSettings ReadSqlConfinement(registry::RegistryStore& store);

}  // namespace albumcore::config
