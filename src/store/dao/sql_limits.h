// How far SQL text run on a session may reach: the time one statement run
// may take and the files an IN "file" clause may name. The engine hands its
// limits to every session it opens; the server fills them from its registry
// values, the offline tool from its options (and keeps the user's own rights
// over files).
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "store/schema/catalogue_builder.h"

namespace albumcore::store::dao {

inline constexpr std::chrono::milliseconds kDefaultStatementBudget{5000};

// Files that IN "file" (and the server's own statements over a client's
// file) may reach.
struct ExternalFileRule {
  // False: any file the process can open.
  bool confined = false;
  // When confined: SQLite files with this application id, under one of
  // `folders` or, with `openCatalogueFolders`, under the folder of a
  // catalogue this process has open.
  std::vector<std::string> folders;
  bool openCatalogueFolders = false;
  int32_t applicationId = schema::kCatalogueApplicationId;
};

struct SqlLimits {
  // One statement run (an Execute, a cursor move, a FindFirst); zero: none.
  std::chrono::milliseconds statementBudget = kDefaultStatementBudget;
  ExternalFileRule externalFiles;
};

}  // namespace albumcore::store::dao
