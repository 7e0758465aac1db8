// Layout scripts: SQL run in order on an empty database to make a catalogue
// of some layout. The current layout is catalogue.sql then
// stored_queries.sql; the build embeds both (embed_layout.cmake), so the
// template and the upgrade of older files start from the same text and there
// is no second copy of the layout to drift.
#pragma once

#include <string>
#include <vector>

namespace albumcore::store::schema {

struct LayoutScript {
  std::string name;  // shown in error messages, usually the file name
  std::string text;
};

// catalogue.sql and stored_queries.sql, byte for byte as the build found them.
std::vector<LayoutScript> CurrentLayoutScripts();

}  // namespace albumcore::store::schema
