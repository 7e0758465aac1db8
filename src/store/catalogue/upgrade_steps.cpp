#include "store/catalogue/upgrade_steps.h"

#include "store/dao/errors.h"
#include "store/dao/one_shot_statement.h"
#include "store/dao/relation.h"
#include "store/dao/table_rebuild.h"
#include "store/dao/table_sql.h"
#include "store/jetsql/ascii.h"
#include "store/jetsql/sql_quoting.h"

namespace albumcore::store::catalogue {

namespace {

using jetsql::QuoteIdentifier;
using schema::DeclaredLayout;
using schema::DeclaredObject;

bool SameSql(const std::string& a, const std::string& b) {
  return a == b || dao::NormalSql(a) == dao::NormalSql(b);
}

dao::TableSql ParseDeclared(const DeclaredObject& table) {
  auto parsed = dao::ParseCreateTable(table.sql);
  if (!parsed)
    throw com::ComError(com::E_UNEXPECTED, "the layout's definition of table " + table.name + " cannot be read");
  return std::move(*parsed);
}

// The file's table has the declared columns first (as declared), the
// declared keys and options, and possibly columns of its own after them.
bool TableIsCurrent(const DeclaredObject& declared, const std::string& fileSql) {
  if (fileSql == declared.sql) return true;
  auto file = dao::ParseCreateTable(fileSql);
  return file && ParseDeclared(declared).IsPrefixOf(*file);
}

std::vector<const DeclaredObject*> DeclaredIndexes(const DeclaredLayout& layout, std::string_view table) {
  std::vector<const DeclaredObject*> out;
  for (const auto& index : layout.indexes())
    if (jetsql::IEquals(index.table, table)) out.push_back(&index);
  return out;
}

bool IsDeclaredIndex(const DeclaredLayout& layout, std::string_view name) {
  for (const auto& index : layout.indexes())
    if (jetsql::IEquals(index.name, name)) return true;
  return false;
}

dao::Session& SessionOf(dao::Database& db) { return *db.session(); }

// Runs SQLite text inside a transaction of its own.
void InTransaction(dao::Database& db, const std::function<void(dao::Session&)>& work) {
  dao::Transaction transaction(db);
  work(SessionOf(db));
  transaction.Commit();
  SessionOf(db).ForgetStatements();
}

void RebuildAsDeclared(dao::Database& db, const DeclaredLayout& layout, const DeclaredObject& table,
                       const FileObject& current) {
  auto file = dao::ParseCreateTable(current.sql);
  if (!file)
    dao::ThrowJet(dao::jeterr::kNotSupported,
                  "the file's definition of table " + current.name + " cannot be read, so its columns cannot be kept");
  dao::TableRebuild rebuild;
  rebuild.table = table.name;
  rebuild.definition = ParseDeclared(table);
  for (const auto& column : file->columns)
    if (rebuild.definition.FindColumn(column.name) == nullptr) rebuild.addedColumns.push_back(column);
  for (const auto* index : DeclaredIndexes(layout, table.name)) rebuild.dependents.push_back(index->sql);
  sqlite3* sqlite = SessionOf(db).db();
  for (auto& entry : dao::DependentsOf(sqlite, current.name))
    if (entry.type != "index" || !IsDeclaredIndex(layout, entry.name))
      rebuild.dependents.push_back(std::move(entry.sql));
  dao::RebuildTable(SessionOf(db), rebuild);
}

// Preparing the statements that fire a table's triggers compiles their
// bodies: a trigger naming a table or column the file lacks fails here, not
// in the first DestroyItem after the upgrade.
void CheckTriggersCompile(sqlite3* db, const std::string& table) {
  std::string columns, assignments;
  {
    dao::OneShotStatement info(db, "SELECT name FROM pragma_table_xinfo(?1) WHERE hidden = 0 ORDER BY cid");
    info.Bind(1, table);
    while (info.Step()) {
      const std::string c = QuoteIdentifier(info.Text(0));
      columns += (columns.empty() ? "" : ", ") + c;
      assignments += (assignments.empty() ? "" : ", ") + c + " = " + c;
    }
  }
  const std::string t = QuoteIdentifier(table);
  dao::OneShotStatement deleting(db, "DELETE FROM " + t + " WHERE 0");
  dao::OneShotStatement updating(db, "UPDATE " + t + " SET " + assignments + " WHERE 0");
  dao::OneShotStatement inserting(db,
                                  "INSERT INTO " + t + " (" + columns + ") SELECT " + columns + " FROM " + t + " WHERE 0");
}

std::string RowCondition(const schema::DeclaredRow& row) {
  std::string where;
  for (size_t i = 0; i < row.columns.size(); ++i)
    where += (i ? " AND " : "") + QuoteIdentifier(row.columns[i]) + " IS " + row.literals[i];
  return where;
}

bool RowPresent(sqlite3* db, const std::string& table, const schema::DeclaredRow& row) {
  dao::OneShotStatement s(db, "SELECT 1 FROM " + QuoteIdentifier(table) + " WHERE " + RowCondition(row));
  return s.Step();
}

// Columns of the relation registry (dao/relation.h): the relation's name,
// and the table whose foreign key the relation is.
constexpr const char* kRelationName = "Name";
constexpr const char* kRelationForeignTable = "ForeignTable";

// The declared foreign table carries the relation as its foreign key, so the
// triggers of an appended relation of the same name can go, and the
// registry gets the declared row.
void RecordRelation(dao::Session& session, const DeclaredLayout& layout, const schema::DeclaredRow& relation,
                    const std::vector<std::string>& leftovers) {
  sqlite3* db = session.db();
  const std::string name = RelationName(relation);
  const std::string foreignTable = relation.Text(kRelationForeignTable);
  const DeclaredObject* declared = nullptr;
  for (const auto& table : layout.tables())
    if (jetsql::IEquals(table.name, foreignTable)) declared = &table;
  const std::string current = dao::TableSqlOf(db, foreignTable);
  if (declared == nullptr || current.empty() || !TableIsCurrent(*declared, current))
    dao::ThrowJet(dao::jeterr::kInvalidOperation,
                  "table " + foreignTable + " does not carry the foreign key of relation " + name + " yet");
  for (const auto& trigger : leftovers) session.Exec("DROP TRIGGER IF EXISTS " + QuoteIdentifier(trigger));
  if (RowPresent(db, dao::kRelationTable, relation)) return;

  const std::string registry = QuoteIdentifier(dao::kRelationTable);
  dao::OneShotStatement remove(db, "DELETE FROM " + registry + " WHERE " + kRelationName + " = ?1 COLLATE NOCASE");
  remove.Bind(1, name).Run();
  std::string columns, values;
  for (size_t i = 0; i < relation.columns.size(); ++i) {
    columns += (i ? ", " : "") + QuoteIdentifier(relation.columns[i]);
    values += (i ? ", " : "") + relation.literals[i];
  }
  session.Exec("INSERT INTO " + registry + " (" + columns + ") VALUES (" + values + ")");
}

}  // namespace

std::string RelationName(const schema::DeclaredRow& relation) { return relation.Text(kRelationName); }

std::optional<UpgradeStep> TableStep(const DeclaredLayout& layout, const DeclaredObject& table, const FileSchema& file) {
  const std::string title = "table " + table.name;
  const FileObject* current = file.Find("table", table.name);
  if (current == nullptr) {
    return UpgradeStep{title, [&layout, &table](dao::Database& db) {
                         InTransaction(db, [&](dao::Session& session) {
                           session.Exec(table.sql);
                           for (const auto* index : DeclaredIndexes(layout, table.name)) session.Exec(index->sql);
                         });
                       }};
  }
  if (!TableIsCurrent(table, current->sql)) {
    return UpgradeStep{title, [&layout, &table, copy = *current](dao::Database& db) {
                         RebuildAsDeclared(db, layout, table, copy);
                       }};
  }
  std::vector<const DeclaredObject*> stale;
  for (const auto* index : DeclaredIndexes(layout, table.name)) {
    const FileObject* existing = file.Find("index", index->name);
    if (existing == nullptr || !SameSql(existing->sql, index->sql)) stale.push_back(index);
  }
  if (stale.empty()) return std::nullopt;
  return UpgradeStep{"indexes of " + title, [stale](dao::Database& db) {
                       InTransaction(db, [&](dao::Session& session) {
                         for (const auto* index : stale) {
                           session.Exec("DROP INDEX IF EXISTS " + QuoteIdentifier(index->name));
                           session.Exec(index->sql);
                         }
                       });
                     }};
}

std::optional<UpgradeStep> TriggerStep(const DeclaredObject& trigger, const FileSchema& file) {
  const FileObject* current = file.Find("trigger", trigger.name);
  if (current != nullptr && SameSql(current->sql, trigger.sql)) return std::nullopt;
  return UpgradeStep{"trigger " + trigger.name, [&trigger](dao::Database& db) {
                       InTransaction(db, [&](dao::Session& session) {
                         session.Exec("DROP TRIGGER IF EXISTS " + QuoteIdentifier(trigger.name));
                         session.Exec(trigger.sql);
                         CheckTriggersCompile(session.db(), trigger.table);
                       });
                     }};
}

std::optional<UpgradeStep> RelationStep(sqlite3* sqlite, const DeclaredLayout& layout,
                                        const schema::DeclaredRow& relation, const FileSchema& file) {
  const std::string name = RelationName(relation);
  std::vector<std::string> leftovers;
  for (const auto& trigger : dao::RelationTriggerNames(name))
    if (file.Find("trigger", trigger) != nullptr) leftovers.push_back(trigger);
  const bool registered =
      file.Find("table", dao::kRelationTable) != nullptr && RowPresent(sqlite, dao::kRelationTable, relation);
  if (registered && leftovers.empty()) return std::nullopt;

  return UpgradeStep{"relation " + name, [&layout, relation, leftovers](dao::Database& db) {
                       InTransaction(db, [&](dao::Session& session) { RecordRelation(session, layout, relation, leftovers); });
                     }};
}

std::optional<UpgradeStep> QueryStep(const schema::DeclaredQuery& query, const FileSchema& file) {
  if (file.HasQuery(query.name)) return std::nullopt;
  return UpgradeStep{"stored query " + query.name,
                     [&query](dao::Database& db) { db.CreateQueryDef(query.name, query.sql); }};
}

}  // namespace albumcore::store::catalogue
