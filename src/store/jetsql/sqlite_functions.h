// The SQLite side of Jet semantics: the JETNOCASE collation, Jet's LIKE (as
// the two-argument like() that SQLite's LIKE operator calls) and the jet_...
// application functions the translator emits. Also built into the loadable
// extension, so the sqlite3 shell can query a catalogue file.
//
// Runtime failures carry "[jet N]" in the SQLite error message; N is the
// status number MapSqliteError() (jet_error.h) turns them into.
#pragma once

struct sqlite3;

namespace albumcore::store::jetsql {

// Registers everything on the connection; an SQLite result code.
int RegisterJetFunctions(sqlite3* db);

}  // namespace albumcore::store::jetsql
