#include "store/dao/table_rebuild.h"

#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <optional>

#include "store/dao/errors.h"
#include "store/dao/one_shot_statement.h"
#include "store/jetsql/ascii.h"
#include "store/jetsql/sql_quoting.h"

namespace albumcore::store::dao {

namespace {

using jetsql::JetType;
using jetsql::QuoteIdentifier;

bool TableExists(sqlite3* db, const std::string& name) {
  OneShotStatement s(db, "SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = ?1 COLLATE NOCASE");
  s.Bind(1, name);
  return s.Step();
}

// Columns a row can be written to (generated columns cannot).
std::vector<std::string> WritableColumns(sqlite3* db, const std::string& table) {
  std::vector<std::string> names;
  OneShotStatement s(db, "SELECT name FROM pragma_table_xinfo(?1) WHERE hidden = 0 ORDER BY cid");
  s.Bind(1, table);
  while (s.Step()) names.push_back(s.Text(0));
  return names;
}

bool HasRowid(sqlite3* db, const std::string& table) {
  sqlite3_stmt* stmt = nullptr;
  const std::string sql = "SELECT rowid FROM " + QuoteIdentifier(table);
  const bool ok = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK;
  sqlite3_finalize(stmt);
  return ok;
}

bool ForeignKeysOn(sqlite3* db) {
  OneShotStatement s(db, "PRAGMA foreign_keys");
  return s.Step() && s.Int(0) != 0;
}

// Some table's foreign key names `table` as the parent.
bool ReferencedByForeignKey(sqlite3* db, const std::string& table) {
  OneShotStatement s(db,
                     "SELECT 1 FROM sqlite_schema AS t, pragma_foreign_key_list(t.name) AS f "
                     "WHERE t.type = 'table' AND f.\"table\" = ?1 COLLATE NOCASE LIMIT 1");
  s.Bind(1, table);
  return s.Step();
}

std::optional<int64_t> SequenceOf(sqlite3* db, const std::string& table) {
  if (!TableExists(db, "sqlite_sequence")) return std::nullopt;
  OneShotStatement s(db, "SELECT seq FROM sqlite_sequence WHERE name = ?1 COLLATE NOCASE");
  s.Bind(1, table);
  if (!s.Step()) return std::nullopt;
  return s.Int(0);
}

// An AUTOINCREMENT table never hands out a number it handed out before, so
// the rebuilt table continues from the old one's counter.
void RestoreSequence(sqlite3* db, const std::string& table, int64_t seq) {
  OneShotStatement update(db, "UPDATE sqlite_sequence SET seq = max(seq, ?2) WHERE name = ?1 COLLATE NOCASE");
  update.Bind(1, table).Bind(2, seq).Run();
  if (sqlite3_changes(db) > 0) return;
  OneShotStatement insert(db, "INSERT INTO sqlite_sequence (name, seq) VALUES (?1, ?2)");
  insert.Bind(1, table).Bind(2, seq).Run();
}

int64_t CountRows(sqlite3* db, const std::string& table) {
  OneShotStatement s(db, "SELECT count(*) FROM " + QuoteIdentifier(table));
  s.Step();
  return s.Int(0);
}

// Foreign keys off for the lifetime of the object (outside transactions
// only, where SQLite lets the setting change), restored after.
class ForeignKeysOff {
 public:
  ForeignKeysOff(Session& session, bool active) : session_(session), active_(active) {
    if (active_) session_.Exec("PRAGMA foreign_keys = OFF");
  }
  ~ForeignKeysOff() {
    if (active_ && !session_.closed())
      sqlite3_exec(session_.db(), "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr);
  }
  ForeignKeysOff(const ForeignKeysOff&) = delete;
  ForeignKeysOff& operator=(const ForeignKeysOff&) = delete;

 private:
  Session& session_;
  bool active_;
};

// Renaming the new table into place must not touch the other objects of the
// schema: triggers of other tables that name the old table (dropped a moment
// before) would otherwise make SQLite refuse the rename.
class LegacyRename {
 public:
  explicit LegacyRename(sqlite3* db) : db_(db) {
    sqlite3_db_config(db_, SQLITE_DBCONFIG_LEGACY_ALTER_TABLE, -1, &previous_);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_LEGACY_ALTER_TABLE, 1, nullptr);
  }
  ~LegacyRename() { sqlite3_db_config(db_, SQLITE_DBCONFIG_LEGACY_ALTER_TABLE, previous_, nullptr); }
  LegacyRename(const LegacyRename&) = delete;
  LegacyRename& operator=(const LegacyRename&) = delete;

 private:
  sqlite3* db_;
  int previous_ = 0;
};

void Replace(Session& session, const TableRebuild& r, bool checkForeignKeys) {
  sqlite3* db = session.db();
  std::string temp = r.table + "__rebuild";
  for (int n = 1; TableExists(db, temp); ++n) temp = r.table + "__rebuild" + std::to_string(n);

  std::vector<std::string> added;
  for (const auto& c : r.addedColumns) added.push_back(c.definition);
  session.Exec(r.definition.Rewrite(temp, r.changedColumns, added));

  const auto oldColumns = WritableColumns(db, r.table);
  std::string columns;
  for (const auto& name : WritableColumns(db, temp))
    for (const auto& old : oldColumns)
      if (jetsql::IEquals(name, old)) columns += (columns.empty() ? "" : ", ") + QuoteIdentifier(name);
  const int64_t rows = CountRows(db, r.table);
  if (rows > 0 && !columns.empty()) {
    // Rows keep their order, which tables without a key are read in.
    session.Exec("INSERT INTO " + QuoteIdentifier(temp) + " (" + columns + ") SELECT " + columns + " FROM " +
                 QuoteIdentifier(r.table) + (HasRowid(db, r.table) ? " ORDER BY rowid" : ""));
  }
  const int64_t copied = CountRows(db, temp);
  if (copied < rows)
    std::fprintf(stderr, "albumcore: %s: %lld rows of %s repeat a key of its new definition and were not kept\n",
                 session.path().c_str(), static_cast<long long>(rows - copied), r.table.c_str());

  for (const auto& rule : r.rules) {
    OneShotStatement s(db, "SELECT 1 FROM " + QuoteIdentifier(temp) + " WHERE " + rule.condition + " LIMIT 1");
    if (s.Step()) ThrowJet(rule.jetError, rule.message);
  }

  const auto sequence = SequenceOf(db, r.table);
  session.Exec("DROP TABLE " + QuoteIdentifier(r.table));
  session.Exec("ALTER TABLE " + QuoteIdentifier(temp) + " RENAME TO " + QuoteIdentifier(r.table));
  if (sequence && r.definition.autoIncrement) RestoreSequence(db, r.table, *sequence);
  for (const auto& statement : r.dependents) session.Exec(statement);

  if (checkForeignKeys) {
    OneShotStatement check(db, "PRAGMA foreign_key_check(" + QuoteIdentifier(r.table) + ")");
    int64_t broken = 0;
    while (check.Step()) ++broken;
    if (broken > 0)
      ThrowJet(jeterr::kRelatedRequired, std::to_string(broken) + " rows of table '" + r.table +
                                             "' refer to rows that do not exist; its new definition requires them.");
  }
}

}  // namespace

std::string TableSqlOf(sqlite3* db, const std::string& table) {
  OneShotStatement s(db, "SELECT sql FROM sqlite_schema WHERE type = 'table' AND name = ?1 COLLATE NOCASE");
  s.Bind(1, table);
  return s.Step() ? s.Text(0) : std::string();
}

std::vector<SchemaEntry> DependentsOf(sqlite3* db, const std::string& table) {
  std::vector<SchemaEntry> entries;
  OneShotStatement s(db,
                     "SELECT type, name, sql FROM sqlite_schema WHERE tbl_name = ?1 COLLATE NOCASE "
                     "AND type IN ('index', 'trigger') AND sql IS NOT NULL ORDER BY rowid");
  s.Bind(1, table);
  while (s.Step()) entries.push_back({s.Text(0), s.Text(1), s.Text(2)});
  return entries;
}

void RebuildTable(Session& session, const TableRebuild& rebuild) {
  sqlite3* db = session.db();
  const bool inTransaction = sqlite3_get_autocommit(db) == 0;
  const bool foreignKeys = ForeignKeysOn(db);
  if (inTransaction && foreignKeys && ReferencedByForeignKey(db, rebuild.table))
    ThrowJet(jeterr::kInvalidOperation, "Table '" + rebuild.table +
                                            "' cannot be changed inside a transaction: other tables refer to it.");
  ForeignKeysOff keysOff(session, foreignKeys && !inTransaction);
  LegacyRename legacyRename(db);
  session.ForgetStatements();
  session.BeginTrans();
  try {
    Replace(session, rebuild, foreignKeys);
    session.CommitTrans();
  } catch (...) {
    try {
      session.Rollback();
    } catch (const com::ComError& e) {
      std::fprintf(stderr, "albumcore: %s: rolling back the change of table %s failed: %s\n", session.path().c_str(),
                   rebuild.table.c_str(), e.detail().c_str());
    }
    session.ForgetStatements();
    throw;
  }
  session.ForgetStatements();
}

// ---- ALTER COLUMN ------------------------------------------------------------

namespace {

bool StartsWith(const std::string& s, std::string_view prefix) { return s.rfind(prefix, 0) == 0; }

// The column under its new type; constraints the new type brings itself
// (Yes/No's NOT NULL DEFAULT 0) replace the column's own.
std::string NewDefinition(const TableSql::Column& old, const jetsql::ColumnChange& change) {
  const std::string type = NormalSql(change.type);
  const bool typeHasNotNull = type.find("NOT NULL") != std::string::npos;
  const bool typeHasDefault = type.find("DEFAULT") != std::string::npos;
  std::string definition = old.nameText + " " + change.type;
  bool notNull = typeHasNotNull;
  for (const auto& constraint : old.constraints) {
    const std::string normal = NormalSql(constraint);
    const bool nullability = StartsWith(normal, "NOT NULL") || StartsWith(normal, "NULL");
    if ((typeHasNotNull && nullability) || (typeHasDefault && StartsWith(normal, "DEFAULT"))) continue;
    notNull = notNull || StartsWith(normal, "NOT NULL");
    definition += " " + constraint;
  }
  if (change.notNull && !notNull) definition += " NOT NULL";
  return definition;
}

// What the stored values must satisfy to stay what they were under the new type.
std::vector<RowRule> RulesFor(const jetsql::ColumnChange& change) {
  const std::string c = QuoteIdentifier(change.column);
  const std::string present = c + " IS NOT NULL AND ";
  const std::string conversion = "Data type conversion error: a value of field '" + change.column +
                                 "' cannot be held by the new type.";
  auto integral = [&](int64_t low, int64_t high) {
    return RowRule{present + "(typeof(" + c + ") <> 'integer' OR " + c + " NOT BETWEEN " + std::to_string(low) +
                       " AND " + std::to_string(high) + ")",
                   jeterr::kConversion, conversion};
  };
  switch (change.jetType) {
    case JetType::Text:
      if (change.size <= 0) return {};
      return {{"jet_len(" + c + ") > " + std::to_string(change.size), jeterr::kFieldTooSmall,
               "Field '" + change.column + "' is too small to accept the data: a value is longer than " +
                   std::to_string(change.size) + " characters."}};
    case JetType::Byte: return {integral(0, 255)};
    case JetType::Integer: return {integral(-32768, 32767)};
    case JetType::Long: return {integral(INT32_MIN, INT32_MAX)};
    case JetType::YesNo: return {{present + "typeof(" + c + ") <> 'integer'", jeterr::kConversion, conversion}};
    case JetType::Single:
    case JetType::Double:
    case JetType::Currency:
    case JetType::Date:
      return {{present + "typeof(" + c + ") NOT IN ('integer', 'real')", jeterr::kConversion, conversion}};
    default: return {};
  }
}

}  // namespace

void ChangeColumn(Session& session, const jetsql::ColumnChange& change) {
  sqlite3* db = session.db();
  const std::string sql = TableSqlOf(db, change.table);
  if (sql.empty()) ThrowJet(jeterr::kObjectNotFound, "Could not find object '" + change.table + "'.");
  auto table = ParseCreateTable(sql);
  if (!table) ThrowJet(jeterr::kNotSupported, "The columns of table '" + change.table + "' cannot be changed.");
  size_t index = 0;
  while (index < table->columns.size() && !jetsql::IEquals(table->columns[index].name, change.column)) ++index;
  if (index == table->columns.size())
    ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: '" + change.column + "'");
  const std::string definition = NewDefinition(table->columns[index], change);
  if (NormalSql(definition) == table->columns[index].normal) return;

  TableRebuild rebuild;
  rebuild.table = table->name;
  rebuild.changedColumns[index] = definition;
  for (auto& entry : DependentsOf(db, table->name)) rebuild.dependents.push_back(std::move(entry.sql));
  rebuild.rules = RulesFor(change);
  rebuild.definition = std::move(*table);
  RebuildTable(session, rebuild);
}

}  // namespace albumcore::store::dao
