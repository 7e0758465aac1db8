// Setting up an SQLite connection for translated Jet statements.
#pragma once

struct sqlite3;

namespace albumcore::store::jetsql {

// Switches SQLite's double-quoted-string fallback off (so "x" is always a
// name and a mistyped column is an error, not a string), enables extended
// result codes and foreign keys, and registers the JETNOCASE collation,
// Jet's like() and the jet_ functions, and tracks @@IDENTITY (identity.h).
// Raises com::ComError on failure.
void ConfigureConnection(sqlite3* db);

}  // namespace albumcore::store::jetsql
