// @@IDENTITY: the last counter value a connection inserted.
//
// TrackIdentity() installs SQLite's update hook on the connection; every
// row inserted into a table whose key is a counter (INTEGER PRIMARY KEY
// AUTOINCREMENT) records its key, whichever statement, recordset or file
// (attached ones too) it came through. jet_identity() reads the value back:
// 0 until a counter row was inserted. Rows of tables without a counter leave
// it unchanged, as Jet's @@IDENTITY does. The state belongs to the
// connection and is freed when it closes.
#pragma once

struct sqlite3;

namespace albumcore::store::jetsql {

// An SQLite result code. Replaces any update hook the connection had.
int TrackIdentity(sqlite3* db);

}  // namespace albumcore::store::jetsql
