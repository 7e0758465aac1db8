// Schema statements: CREATE TABLE, ALTER TABLE, DROP, CREATE INDEX.
#include "store/jetsql/emit/emitter_state.h"

namespace albumcore::store::jetsql::emit {

std::string Emitter::SqliteType(const ColumnDef& c, bool& counter) {
  const std::string& t = c.type;
  counter = false;
  auto is = [&](std::initializer_list<std::string_view> words) {
    for (auto w : words)
      if (t == w) return true;
    return false;
  };
  if (is({"TEXT", "VARCHAR", "CHAR", "STRING", "ALPHANUMERIC", "NVARCHAR", "NCHAR", "CHARACTER"}))
    return "TEXT(" + std::to_string(c.size.value_or(255)) + ")";
  if (is({"MEMO", "LONGTEXT", "LONGCHAR", "NOTE", "NTEXT", "LONG TEXT"})) return "LONGTEXT";
  if (is({"LONG", "INTEGER", "INT", "INTEGER4"})) return "INTEGER";
  if (is({"SHORT", "SMALLINT", "INTEGER2"})) return "SHORT INTEGER";
  if (is({"BYTE", "TINYINT", "INTEGER1"})) return "BYTE INTEGER";
  if (is({"COUNTER", "AUTOINCREMENT", "IDENTITY"})) {
    counter = true;
    return "INTEGER PRIMARY KEY AUTOINCREMENT";
  }
  if (is({"DOUBLE", "FLOAT", "FLOAT8", "NUMBER", "NUMERIC", "DOUBLE PRECISION", "IEEEDOUBLE"})) return "DOUBLE";
  if (is({"SINGLE", "REAL", "FLOAT4", "IEEESINGLE"})) return "SINGLE REAL";
  if (is({"CURRENCY", "MONEY"})) return "CURRENCY REAL";
  if (is({"DATETIME", "DATE", "TIME", "TIMESTAMP"})) return "DATETIME DOUBLE";
  if (is({"YESNO", "BIT", "LOGICAL", "LOGICAL1", "BOOLEAN"})) return "YESNO INTEGER NOT NULL DEFAULT 0";
  if (is({"BINARY", "VARBINARY"})) return "BINARY BLOB";
  if (is({"LONGBINARY", "OLEOBJECT", "GENERAL", "IMAGE", "LONG BINARY"})) return "LONGBINARY BLOB";
  if (is({"GUID", "UNIQUEIDENTIFIER"})) return "GUID TEXT";
  ThrowJet(jeterr::kSyntaxDdl, "Syntax error in field definition: unknown type '" + t + "'");
}

const ColumnDef* Emitter::CounterOf(const CreateTableStmt& ct) {
  for (const auto& c : ct.columns) {
    bool counter = false;
    SqliteType(c, counter);
    if (counter) return &c;
  }
  return nullptr;
}

std::string Emitter::ColumnSql(const ColumnDef& c, bool adding, const CreateTableStmt* creating) {
  using Kind = Constraint::Kind;
  bool counter = false;
  std::string type = SqliteType(c, counter);
  // Whether the field alone is the primary key, and whether a key or a NOT
  // NULL of the table requires it.
  bool wholeKey = c.Has(Kind::PrimaryKey);
  bool required = c.notNull || wholeKey;
  const ColumnDef* tableCounter = nullptr;
  if (creating != nullptr) {
    tableCounter = CounterOf(*creating);
    for (const auto& k : creating->constraints) {
      if (k.kind != Kind::PrimaryKey && k.kind != Kind::NotNull) continue;
      for (const auto& name : k.columns) required = required || SameName(name, c.name);
      wholeKey = wholeKey || (k.kind == Kind::PrimaryKey && k.columns.size() == 1 && SameName(k.columns[0], c.name));
    }
  }
  // A field declared exactly INTEGER that is the whole primary key is
  // SQLite's rowid, which numbers rows inserted without it; Jet's key
  // refuses them instead.
  if (!counter && wholeKey && type == "INTEGER") type = "LONG INTEGER";
  std::string sql = QuoteIdentifier(c.name) + " " + type;
  // Jet compares the text of its fields ignoring case.
  if (HasTextAffinity(type)) sql += " COLLATE " + std::string(kNoCaseCollation);
  if (c.defaultValue) {
    // A yes/no column's own default gives way to the one written.
    if (const size_t own = sql.find(" DEFAULT "); own != std::string::npos) sql.erase(own);
  }
  // SQLite lets the fields of a primary key hold Null; Jet's never do.
  if (!counter && required && sql.find("NOT NULL") == std::string::npos) sql += " NOT NULL";
  if (c.defaultValue) sql += " DEFAULT " + DefaultSql(*c.defaultValue);
  for (const auto& k : c.constraints) {
    if (counter && k.kind == Kind::PrimaryKey) continue;  // the counter is the key already
    if (adding && k.kind == Kind::Unique) continue;
    // SQLite's counter is its table's primary key; a key on another field
    // keeps its meaning as a unique key whose fields refuse Null.
    Constraint key = k;
    if (k.kind == Kind::PrimaryKey && tableCounter != nullptr) key.kind = Kind::Unique;
    sql += " " + KeySql(key, {}, creating != nullptr ? creating->table : std::string(), creating);
  }
  return sql;
}

void Emitter::Emit(const CreateTableStmt& ct) {
  using Kind = Constraint::Kind;
  out_.kind = StatementKind::CreateTable;
  if (catalog_.FindTable(ct.table)) ThrowJet(jeterr::kTableExists, "Table '" + ct.table + "' already exists.");
  const ColumnDef* counter = CounterOf(ct);
  int primaryKeys = 0;
  for (size_t i = 0; i < ct.columns.size(); ++i) {
    const ColumnDef& c = ct.columns[i];
    for (size_t j = 0; j < i; ++j)
      if (SameName(ct.columns[j].name, c.name))
        ThrowJet(jeterr::kFieldExists, "Field '" + c.name + "' already exists in table '" + ct.table + "'.");
    bool isCounter = false;
    SqliteType(c, isCounter);
    if (isCounter && &c != counter) ThrowJet(jeterr::kNotSupported, "A table can have one counter field only");
    if (c.Has(Kind::PrimaryKey)) ++primaryKeys;
  }
  for (const auto& k : ct.constraints) {
    if (k.kind == Kind::PrimaryKey) ++primaryKeys;
    for (const auto& name : k.columns) {
      bool known = false;
      for (const auto& c : ct.columns) known = known || SameName(c.name, name);
      if (!known) ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: '" + name + "'");
    }
  }
  if (primaryKeys > 1) ThrowJet(jeterr::kPrimaryKeyExists, "Primary key already exists.");

  std::string sql = "CREATE TABLE " + QuoteIdentifier(ct.table) + " (";
  for (size_t i = 0; i < ct.columns.size(); ++i) sql += (i ? ", " : "") + ColumnSql(ct.columns[i], false, &ct);
  for (const auto& k : ct.constraints) {
    if (k.kind == Kind::NotNull) continue;  // on the fields already
    Constraint key = k;
    if (k.kind == Kind::PrimaryKey && counter != nullptr) {
      if (k.columns.size() == 1 && SameName(k.columns[0], counter->name)) continue;
      key.kind = Kind::Unique;  // as in ColumnSql
    }
    sql += ", " + KeySql(key, key.columns, ct.table, &ct);
  }
  out_.sql = sql + ")";
  if (counter != nullptr && (counter->seed || counter->step)) {
    if (counter->step.value_or(1) != 1) ThrowJet(jeterr::kNotSupported, "A counter can only count in steps of 1");
    if (counter->seed.value_or(1) < 1) ThrowJet(jeterr::kNotSupported, "A counter can only start at 1 or above");
    // The counter goes on from the highest value sqlite_sequence holds.
    if (*counter->seed > 1)
      out_.after.push_back("INSERT INTO sqlite_sequence (name, seq) VALUES (" + QuoteString(ct.table) + ", " +
                           std::to_string(*counter->seed - 1) + ")");
  }
}

void Emitter::Emit(const AlterTableStmt& at) {
  out_.kind = StatementKind::AlterTable;
  auto table = catalog_.FindTable(at.table);
  if (!table) UnknownTable(at.table);
  const ColumnInfo* existing = table->FindColumn(at.column.name);
  const std::string tableSql = QuoteIdentifier(table->name);
  switch (at.action) {
    case AlterTableStmt::Action::AlterColumn: {
      if (existing == nullptr)
        ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: '" + at.column.name + "'");
      bool counter = false;
      ColumnChange change;
      change.type = SqliteType(at.column, counter);
      // A field that becomes text compares as Jet's text does; one that was
      // text keeps the collation it was declared with.
      if (HasTextAffinity(change.type) && !existing->textAffinity)
        change.type += " COLLATE " + std::string(kNoCaseCollation);
      // A key cannot be given to a table that has rows.
      if (counter || at.column.Has(Constraint::Kind::PrimaryKey) || at.column.Has(Constraint::Kind::Unique))
        ThrowJet(jeterr::kNotSupported, "ALTER COLUMN cannot make '" + at.column.name + "' a key");
      change.table = table->name;
      change.column = existing->name;
      change.notNull = at.column.notNull;
      change.jetType = JetTypeFromDeclared(change.type, false, &change.size);
      out_.columnChange = std::move(change);
      return;
    }
    case AlterTableStmt::Action::AddColumn: {
      if (existing != nullptr) ThrowJet(jeterr::kFieldExists, "Cannot define field more than once: '" + at.column.name + "'");
      bool counter = false;
      SqliteType(at.column, counter);
      if (counter || at.column.Has(Constraint::Kind::PrimaryKey))
        ThrowJet(jeterr::kNotSupported, "Cannot add a key column to an existing table");
      out_.sql = "ALTER TABLE " + tableSql + " ADD COLUMN " + ColumnSql(at.column, true);
      // SQLite adds no UNIQUE column; an index does the same.
      for (const auto& k : at.column.constraints) {
        if (k.kind != Constraint::Kind::Unique) continue;
        const std::string index = k.name.empty() ? table->name + "_" + at.column.name : k.name;
        out_.after.push_back("CREATE UNIQUE INDEX " + QuoteIdentifier(index) + " ON " + tableSql + " (" +
                             QuoteIdentifier(at.column.name) + ")");
      }
      return;
    }
    case AlterTableStmt::Action::DropColumn:
      if (existing == nullptr) ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: '" + at.column.name + "'");
      out_.sql = "ALTER TABLE " + tableSql + " DROP COLUMN " + QuoteIdentifier(existing->name);
      return;
  }
}

void Emitter::Emit(const DropStmt& d) {
  if (d.index) {
    out_.kind = StatementKind::DropIndex;
    out_.sql = "DROP INDEX " + QuoteIdentifier(d.name);
    for (const auto prefix : {kPrimaryIndexGuardPrefix, kRequiredIndexGuardPrefix})
      for (const char* suffix : {"_ins", "_upd"})
        out_.after.push_back("DROP TRIGGER IF EXISTS " + QuoteIdentifier(std::string(prefix) + d.name + suffix));
    return;
  }
  out_.kind = StatementKind::DropTable;
  auto table = catalog_.FindTable(d.name);
  if (!table) UnknownTable(d.name);
  out_.sql = "DROP TABLE " + QuoteIdentifier(table->name);
}

void Emitter::Emit(const CreateIndexStmt& ci) {
  out_.kind = StatementKind::CreateIndex;
  auto table = catalog_.FindTable(ci.table);
  if (!table) UnknownTable(ci.table);
  if (ci.primary) {
    for (const auto& c : table->columns)
      if (c.primaryKey) ThrowJet(jeterr::kPrimaryKeyExists, "Primary key already exists.");
  }
  std::string cols, present;
  std::vector<std::string> names;
  for (const auto& [name, desc] : ci.columns) {
    const ColumnInfo* c = table->FindColumn(name);
    if (c == nullptr) ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: '" + name + "'");
    cols += (cols.empty() ? "" : ", ") + QuoteIdentifier(c->name) + (desc ? " DESC" : "");
    present += (present.empty() ? "" : " AND ") + QuoteIdentifier(c->name) + " IS NOT NULL";
    names.push_back(c->name);
  }
  // WITH PRIMARY becomes a unique index whose Nulls triggers refuse: SQLite
  // cannot add a primary key. IGNORE NULL leaves rows with a Null out.
  const bool refuseNulls = ci.primary || ci.disallowNull;
  out_.sql = std::string("CREATE ") + (ci.unique || ci.primary ? "UNIQUE " : "") + "INDEX " + QuoteIdentifier(ci.name) +
             " ON " + QuoteIdentifier(table->name) + " (" + cols + ")";
  if (ci.ignoreNull && !refuseNulls) out_.sql += " WHERE " + present;
  if (refuseNulls) GuardAgainstNulls(ci.name, table->name, names, ci.primary);
}

}  // namespace albumcore::store::jetsql::emit
