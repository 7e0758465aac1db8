// Building a catalogue file from layout scripts.
//
// A layout is a list of SQL scripts run in order on a new, empty SQLite
// database: the current layout is catalogue.sql then stored_queries.sql (the
// template every new library is copied from); frozen older layouts under
// old_layouts/ build the catalogues that upgrade tests start from.
//
// The builder links SQLite only. The layout declares name columns with the
// JETNOCASE collation, which the engine layer registers on its connections;
// while building, a placeholder of that name stands in so that the tables
// can be created. The placeholder must never compare two values (the order
// it would give is not the real collation's), so a layout that stores rows
// in a JETNOCASE-indexed column is refused.
//
// Single-threaded; each call owns its own connection. Every failure throws
// BuildError with a message that names the script, the line and the failing
// statement; the target is then left as it was.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace albumcore::store::schema {

// PRAGMA application_id of every catalogue file: "ALBC".
inline constexpr int32_t kCatalogueApplicationId = 0x414C4243;

// The installed template's file name (the registration writes it as DBName).
inline constexpr const char* kTemplateFileName = "CatalogueTemplate.db";

// The version a catalogue reports when its Misc table has no row.
inline constexpr int kVersionWithoutMiscRow = 1;

class BuildError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct LayoutScript {
  std::string name;  // shown in error messages, usually the file path
  std::string text;
};

// Reads one script file. Throws BuildError when it cannot be read.
LayoutScript ReadLayoutScript(const std::filesystem::path& path);

// Runs `scripts` in order on a new database, then sets PRAGMA application_id
// to kCatalogueApplicationId and PRAGMA user_version to Misc.Version
// (kVersionWithoutMiscRow when Misc is missing or empty), compacts the file
// and moves it to `target` atomically (temporary sibling, fsync, rename). The
// same scripts give the same bytes.
void BuildCatalogue(const std::vector<LayoutScript>& scripts, const std::filesystem::path& target);

}  // namespace albumcore::store::schema
