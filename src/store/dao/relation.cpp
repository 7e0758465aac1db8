#include "store/dao/relation.h"

#include <sqlite3.h>

#include "store/dao/errors.h"
#include "store/dao/one_shot_statement.h"
#include "store/dao/stored_queries.h"
#include "store/jetsql/sqlite_catalog.h"
#include "store/jetsql/sql_quoting.h"

namespace albumcore::store::dao {

using com::ComPtr;

namespace {

constexpr char kListSeparator = '\t';

bool RegistryExists(sqlite3* db) { return jetsql::SqliteSchemaCatalog::ReadTable(db, "main", kRelationTable) != nullptr; }

std::vector<std::string> Split(const std::string& s) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    const size_t at = s.find(kListSeparator, start);
    out.push_back(s.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) return out;
    start = at + 1;
  }
}

std::string Join(const std::vector<std::string>& parts) {
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) out += (i ? std::string(1, kListSeparator) : "") + parts[i];
  return out;
}

const jetsql::ColumnInfo& RequireColumn(const jetsql::TableInfo& table, const std::string& name) {
  const jetsql::ColumnInfo* c = table.FindColumn(name);
  if (c == nullptr) ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: " + table.name + "." + name);
  return *c;
}

// A foreign key declared with the foreign table over the same fields.
bool DeclaredForeignKey(sqlite3* db, const jetsql::TableInfo& table, const jetsql::TableInfo& foreign,
                        const std::vector<std::string>& fields, const std::vector<std::string>& foreignFields) {
  OneShotStatement q(db, "SELECT id, \"table\", \"from\", \"to\" FROM pragma_foreign_key_list(?1) ORDER BY id, seq");
  q.Bind(1, foreign.name);
  struct Key {
    std::string table;
    std::vector<std::string> from, to;
  };
  std::vector<std::pair<int, Key>> keys;
  while (q.Step()) {
    const int id = static_cast<int>(q.Int(0));
    if (keys.empty() || keys.back().first != id) keys.push_back({id, Key{q.Text(1), {}, {}}});
    keys.back().second.from.push_back(q.Text(2));
    keys.back().second.to.push_back(q.Text(3));
  }
  std::string primaryKey;
  for (const auto& c : table.columns)
    if (c.primaryKey) primaryKey = c.name;
  for (const auto& [id, key] : keys) {
    if (!jetsql::SameName(key.table, table.name) || key.from.size() != fields.size()) continue;
    bool same = true;
    for (size_t i = 0; i < fields.size() && same; ++i) {
      const std::string& to = key.to[i].empty() ? primaryKey : key.to[i];
      same = jetsql::SameName(key.from[i], foreignFields[i]) && jetsql::SameName(to, fields[i]);
    }
    if (same) return true;
  }
  return false;
}

std::string Matches(const std::vector<std::string>& left, const std::string& leftRow,
                    const std::vector<std::string>& right, const std::string& rightRow) {
  std::string cond;
  for (size_t i = 0; i < left.size(); ++i)
    cond += (i ? " AND " : "") + leftRow + jetsql::QuoteIdentifier(left[i]) + " = " + rightRow + jetsql::QuoteIdentifier(right[i]);
  return cond;
}

}  // namespace

std::vector<std::string> RelationTriggerNames(std::string_view name) {
  const std::string base = "rel_" + std::string(name);
  return {base, base + "_ins", base + "_upd"};
}

ComPtr<FieldDef> Relation::CreateField(std::string_view name) const {
  return com::MakeObject<FieldDef>(std::string(name), 0, 0);
}

void Relation::AppendField(const ComPtr<FieldDef>& field) {
  if (appended_) ThrowJet(jeterr::kInvalidOperation, "Invalid operation: the relation is appended.");
  fields_.push_back(field);
}

ComPtr<Relation> RelationCollection::Item(std::string_view name) const {
  sqlite3* db = session_->db();
  if (RegistryExists(db)) {
    OneShotStatement q(db, "SELECT Name, TableName, ForeignTable, Fields, ForeignFields, Attributes FROM " +
                    jetsql::QuoteIdentifier(kRelationTable) + " WHERE Name = ?1 COLLATE NOCASE");
    q.Bind(1, name);
    if (q.Step()) {
      auto r = com::MakeObject<Relation>(q.Text(0), q.Text(1), q.Text(2), static_cast<int>(q.Int(5)));
      const auto fields = Split(q.Text(3));
      const auto foreign = Split(q.Text(4));
      for (size_t i = 0; i < fields.size() && i < foreign.size(); ++i) {
        auto f = r->CreateField(fields[i]);
        f->SetForeignName(foreign[i]);
        r->AppendField(f);
      }
      r->MarkAppended();
      return r;
    }
  }
  ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: " + std::string(name));
}

std::vector<std::string> RelationCollection::Names() const {
  std::vector<std::string> names;
  sqlite3* db = session_->db();
  if (!RegistryExists(db)) return names;
  OneShotStatement q(db, "SELECT Name FROM " + jetsql::QuoteIdentifier(kRelationTable) + " ORDER BY Name");
  while (q.Step()) names.push_back(q.Text(0));
  return names;
}

int RelationCollection::Count() const { return static_cast<int>(Names().size()); }

void RelationCollection::Append(const ComPtr<Relation>& relation) const {
  if (!relation) ThrowJet(jeterr::kInvalidArgument, "Invalid argument.");
  sqlite3* db = session_->db();
  const std::string& name = relation->Name();
  if (relation->Appended()) ThrowJet(jeterr::kObjectExists, "Object '" + name + "' already exists.");
  auto table = jetsql::SqliteSchemaCatalog::ReadTable(db, "main", relation->Table());
  auto foreign = jetsql::SqliteSchemaCatalog::ReadTable(db, "main", relation->ForeignTable());
  if (!table) ThrowJet(jeterr::kObjectNotFound, "Could not find object '" + relation->Table() + "'.");
  if (!foreign) ThrowJet(jeterr::kObjectNotFound, "Could not find object '" + relation->ForeignTable() + "'.");
  const auto list = relation->FieldList();
  if (list.empty()) ThrowJet(jeterr::kNoFieldDefined, "No field defined--cannot append Relation.");
  std::vector<std::string> fields, foreignFields;
  for (const auto& f : list) {
    fields.push_back(RequireColumn(*table, f->Name()).name);
    foreignFields.push_back(RequireColumn(*foreign, f->ForeignName().empty() ? f->Name() : f->ForeignName()).name);
  }

  bool exists = false;
  try {
    Item(name);
    exists = true;
  } catch (const com::ComError& e) {
    if (e.hr() != com::JetError(jeterr::kItemNotFound)) throw;
  }
  const auto triggers = RelationTriggerNames(name);
  {
    OneShotStatement q(db, "SELECT 1 FROM sqlite_schema WHERE type = 'trigger' AND name = ?1 COLLATE NOCASE");
    q.Bind(1, triggers[0]);
    exists = exists || q.Step();
  }
  if (exists || DeclaredForeignKey(db, *table, *foreign, fields, foreignFields))
    ThrowJet(jeterr::kObjectExists, "Object '" + name + "' already exists.");

  const int attributes = relation->Attributes();
  const bool enforce = (attributes & dbRelationDontEnforce) == 0;
  const std::string t = jetsql::QuoteIdentifier(table->name), ft = jetsql::QuoteIdentifier(foreign->name);
  std::vector<std::string> ddl;
  if ((attributes & dbRelationDeleteCascade) != 0) {
    ddl.push_back("CREATE TRIGGER " + jetsql::QuoteIdentifier(triggers[0]) + " AFTER DELETE ON " + t + " BEGIN DELETE FROM " + ft +
                  " WHERE " + Matches(foreignFields, "", fields, "OLD.") + "; END");
  } else if (enforce) {
    ddl.push_back("CREATE TRIGGER " + jetsql::QuoteIdentifier(triggers[0]) + " BEFORE DELETE ON " + t +
                  " WHEN EXISTS (SELECT 1 FROM " + ft + " WHERE " + Matches(foreignFields, "", fields, "OLD.") +
                  ") BEGIN SELECT RAISE(ABORT, " +
                  jetsql::QuoteString(jetsql::JetErrorTag(jeterr::kRelatedRecords) + "The record cannot be deleted or changed because table '" + foreign->name +
                             "' includes related records.") +
                  "); END");
  }
  if (enforce) {
    std::string present;
    for (size_t i = 0; i < foreignFields.size(); ++i)
      present += (i ? " AND " : "") + std::string("NEW.") + jetsql::QuoteIdentifier(foreignFields[i]) + " IS NOT NULL";
    const std::string body = " WHEN " + present + " AND NOT EXISTS (SELECT 1 FROM " + t + " WHERE " +
                             Matches(fields, "", foreignFields, "NEW.") + ") BEGIN SELECT RAISE(ABORT, " +
                             jetsql::QuoteString(jetsql::JetErrorTag(jeterr::kRelatedRequired) + "You cannot add or change a record because a related record is "
                                        "required in table '" + table->name + "'.") +
                             "); END";
    std::string columns;
    for (size_t i = 0; i < foreignFields.size(); ++i) columns += (i ? ", " : "") + jetsql::QuoteIdentifier(foreignFields[i]);
    ddl.push_back("CREATE TRIGGER " + jetsql::QuoteIdentifier(triggers[1]) + " BEFORE INSERT ON " + ft + body);
    ddl.push_back("CREATE TRIGGER " + jetsql::QuoteIdentifier(triggers[2]) + " BEFORE UPDATE OF " + columns + " ON " + ft +
                  body);
  }

  session_->Exec("SAVEPOINT dao_relation");
  try {
    session_->Exec("CREATE TABLE IF NOT EXISTS " + jetsql::QuoteIdentifier(kRelationTable) +
                   " (Name TEXT PRIMARY KEY COLLATE NOCASE, TableName TEXT NOT NULL, ForeignTable TEXT NOT NULL, "
                   "Fields TEXT NOT NULL, ForeignFields TEXT NOT NULL, Attributes INTEGER NOT NULL)");
    for (const auto& statement : ddl) session_->Exec(statement);
    OneShotStatement insert(db, "INSERT INTO " + jetsql::QuoteIdentifier(kRelationTable) +
                         " (Name, TableName, ForeignTable, Fields, ForeignFields, Attributes) VALUES (?1, ?2, ?3, ?4, "
                         "?5, " + std::to_string(attributes) + ")");
    insert.Bind(1, name);
    insert.Bind(2, table->name);
    insert.Bind(3, foreign->name);
    insert.Bind(4, Join(fields));
    insert.Bind(5, Join(foreignFields));
    insert.Step();
    session_->Exec("RELEASE dao_relation");
  } catch (...) {
    sqlite3_exec(db, "ROLLBACK TO dao_relation; RELEASE dao_relation", nullptr, nullptr, nullptr);
    throw;
  }
  relation->MarkAppended();
}

void RelationCollection::Delete(std::string_view name) const {
  auto r = Item(name);
  session_->Exec("SAVEPOINT dao_relation");
  try {
    for (const auto& trigger : RelationTriggerNames(r->Name()))
      session_->Exec("DROP TRIGGER IF EXISTS " + jetsql::QuoteIdentifier(trigger));
    OneShotStatement q(session_->db(), "DELETE FROM " + jetsql::QuoteIdentifier(kRelationTable) + " WHERE Name = ?1 COLLATE NOCASE");
    q.Bind(1, r->Name());
    q.Step();
    session_->Exec("RELEASE dao_relation");
  } catch (...) {
    sqlite3_exec(session_->db(), "ROLLBACK TO dao_relation; RELEASE dao_relation", nullptr, nullptr, nullptr);
    throw;
  }
}

}  // namespace albumcore::store::dao
