#include "store/dao/system_tables.h"

#include <sqlite3.h>

#include "store/jetsql/ascii.h"
#include "store/jetsql/jet_error.h"

namespace albumcore::store::dao {

namespace {

thread_local SqlRights t_rights = SqlRights::ClientText;
thread_local std::string t_refused;

bool StartsWithIgnoringCase(std::string_view name, std::string_view prefix) {
  return name.size() >= prefix.size() && jetsql::IEquals(name.substr(0, prefix.size()), prefix);
}

// SQLite writes its schema table for every CREATE, DROP and ALTER, each of
// which the authorizer sees under its own action code; a statement cannot
// write the schema table directly.
bool IsSchemaTable(std::string_view name) {
  for (std::string_view schema : {"sqlite_master", "sqlite_schema", "sqlite_temp_master", "sqlite_temp_schema"})
    if (jetsql::IEquals(name, schema)) return true;
  return false;
}

bool MayWrite(std::string_view table) {
  if (!IsSystemTable(table) || IsSchemaTable(table) || t_rights == SqlRights::Adapter) return true;
  // DROP TABLE and ALTER TABLE ... RENAME update the counter of the table
  // they change; a schema statement cannot name sqlite_sequence as a target.
  return t_rights == SqlRights::SchemaChange && jetsql::IEquals(table, "sqlite_sequence");
}

// The table a writing action touches; null for actions that write nothing.
const char* WrittenTable(int action, const char* first, const char* second) {
  switch (action) {
    case SQLITE_INSERT:
    case SQLITE_UPDATE:
    case SQLITE_DELETE:
    case SQLITE_CREATE_TABLE:
    case SQLITE_CREATE_TEMP_TABLE:
    case SQLITE_DROP_TABLE:
    case SQLITE_DROP_TEMP_TABLE:
    case SQLITE_CREATE_VIEW:
    case SQLITE_CREATE_TEMP_VIEW:
    case SQLITE_DROP_VIEW:
    case SQLITE_DROP_TEMP_VIEW:
      return first;
    case SQLITE_CREATE_INDEX:
    case SQLITE_CREATE_TEMP_INDEX:
    case SQLITE_DROP_INDEX:
    case SQLITE_DROP_TEMP_INDEX:
    case SQLITE_CREATE_TRIGGER:
    case SQLITE_CREATE_TEMP_TRIGGER:
    case SQLITE_DROP_TRIGGER:
    case SQLITE_DROP_TEMP_TRIGGER:
    case SQLITE_ALTER_TABLE:
      return second;
    default:
      return nullptr;
  }
}

int Authorize(void*, int action, const char* first, const char* second, const char*, const char*) {
  const char* table = WrittenTable(action, first, second);
  if (table == nullptr || MayWrite(table)) return SQLITE_OK;
  t_refused = std::string("Could not update; the object '") + table + "' is read-only.";
  return SQLITE_DENY;
}

}  // namespace

RightsScope::RightsScope(SqlRights rights) noexcept : previous_(t_rights) { t_rights = rights; }

RightsScope::~RightsScope() { t_rights = previous_; }

void ProtectSystemTables(sqlite3* db) {
  const int rc = sqlite3_set_authorizer(db, Authorize, nullptr);
  if (rc != SQLITE_OK) jetsql::ThrowSqliteError(db, rc);
}

bool IsSystemTable(std::string_view name) {
  return StartsWithIgnoringCase(name, "sqlite_") || StartsWithIgnoringCase(name, "msys");
}

std::string LastRefusal() { return t_refused.empty() ? "Could not update; the object is read-only." : t_refused; }

}  // namespace albumcore::store::dao
