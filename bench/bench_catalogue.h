// What the catalogue benchmarks share: a scratch folder of the run, plain
// SQL for setup, and catalogues filled with photo items by one statement.
#pragma once

#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "store/jetsql/connection.h"

namespace bench {

// A folder of this run, made empty on first use; the program removes it.
inline const std::filesystem::path& ScratchRoot(const std::string& name) {
  static const std::filesystem::path root = [&] {
    auto p = std::filesystem::temp_directory_path() / ("albumcore-" + name + "-" + std::to_string(getpid()));
    std::filesystem::remove_all(p);
    std::filesystem::create_directories(p);
    return p;
  }();
  return root;
}

inline void Exec(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::fprintf(stderr, "setup failed: %s\n  in %s\n", error ? error : "?", sql.c_str());
    std::exit(1);
  }
}

// Adds `items` photo items (IDs 1..items) to the catalogue at `path`, each
// with its photo row unless `photoRows` is false, in one transaction.
inline void FillWithPhotos(const std::string& path, int items, bool photoRows = true) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  albumcore::store::jetsql::ConfigureConnection(db);
  Exec(db, "BEGIN");
  Exec(db, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(items) +
               ") INSERT INTO AlbumItems (ItemID, ItemType, ItemDataMoniker, ItemThumbMoniker, Name, DateModified) "
               "SELECT i, 0, 'file::/photos/' || i || '.jpg', 'file::/photos/' || i || '.jpg', 'Photo ' || i, "
               "45000.5 FROM n");
  if (photoRows) Exec(db, "INSERT INTO PhotoItem (ItemID, cx, cy) SELECT ItemID, 640, 480 FROM AlbumItems");
  Exec(db, "COMMIT");
  sqlite3_close_v2(db);
}

}  // namespace bench
