// Building a catalogue file from layout scripts (layout_scripts.h): the
// template every new library is copied from, and in tests the catalogues of
// frozen older layouts (old_layouts/) that upgrades start from.
//
// The scripts run on a LayoutDatabase; a layout that stores rows in a
// JETNOCASE-indexed column is refused, since the build's placeholder
// collation cannot order them as the real one does.
//
// Single-threaded; each call owns its own connection. Every failure throws
// BuildError with a message that names the script, the line and the failing
// statement; the target is then left as it was.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "store/schema/layout_database.h"
#include "store/schema/layout_scripts.h"

namespace albumcore::store::schema {

// PRAGMA application_id of every catalogue file: "ALBC".
inline constexpr int32_t kCatalogueApplicationId = 0x414C4243;

// The installed template's file name (the registration writes it as DBName).
inline constexpr const char* kTemplateFileName = "CatalogueTemplate.db";

// The version a catalogue reports when its Misc table has no row.
inline constexpr int kVersionWithoutMiscRow = 1;

// Reads one script file. Throws BuildError when it cannot be read.
LayoutScript ReadLayoutScript(const std::filesystem::path& path);

// Runs `scripts` in order on a new database, then sets PRAGMA application_id
// to kCatalogueApplicationId and PRAGMA user_version to Misc.Version
// (kVersionWithoutMiscRow when Misc is missing or empty), compacts the file
// and moves it to `target` atomically (temporary sibling, fsync, rename). The
// same scripts give the same bytes.
void BuildCatalogue(const std::vector<LayoutScript>& scripts, const std::filesystem::path& target);

}  // namespace albumcore::store::schema
