// Keeps SQL text away from the tables the adapter and SQLite keep for
// themselves (MSys..., sqlite_...): SQLite's authorizer sees every table a
// statement would write, whatever syntax produced it (a trigger, a join, a
// SELECT INTO), and refuses writes to those tables unless the code running
// the statement holds the rights for it.
//
// Rights belong to the running code, so they are held per thread, in
// scopes: the adapter's own statements (stored queries, relations, schema
// changes through TableDefs) run inside an Adapter scope; schema statements
// of SQL text run with SchemaChange, which lets SQLite keep sqlite_sequence
// in step with a table dropped or renamed; everything else is ClientText.
//
// A refusal fails the prepare with SQLITE_AUTH, which the adapter reports as
// Jet's 3027 naming the object (LastRefusal()).
#pragma once

#include <string>
#include <string_view>

struct sqlite3;

namespace albumcore::store::dao {

enum class SqlRights {
  ClientText,    // system tables are read-only
  SchemaChange,  // and SQLite may maintain sqlite_sequence
  Adapter,       // anything
};

// Holds `rights` for statements prepared or stepped on this thread until it
// goes; scopes nest and restore what held before.
class RightsScope {
 public:
  explicit RightsScope(SqlRights rights) noexcept;
  ~RightsScope();
  RightsScope(const RightsScope&) = delete;
  RightsScope& operator=(const RightsScope&) = delete;

 private:
  SqlRights previous_;
};

// Installs the authorizer on a connection.
void ProtectSystemTables(sqlite3* db);

// "MSysQueries" and the like: the adapter's own tables and SQLite's.
bool IsSystemTable(std::string_view name);

// The message for the last write the authorizer refused on this thread.
std::string LastRefusal();

}  // namespace albumcore::store::dao
