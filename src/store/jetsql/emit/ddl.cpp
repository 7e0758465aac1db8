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

std::string Emitter::ColumnSql(const ColumnDef& c) {
  bool counter = false;
  std::string sql = QuoteIdentifier(c.name) + " " + SqliteType(c, counter);
  if (!counter) {
    if (c.notNull && sql.find("NOT NULL") == std::string::npos) sql += " NOT NULL";
    if (c.primaryKey) sql += " PRIMARY KEY";
  }
  if (c.unique) sql += " UNIQUE";
  return sql;
}

void Emitter::Emit(const CreateTableStmt& ct) {
  out_.kind = StatementKind::CreateTable;
  std::string sql = "CREATE TABLE " + QuoteIdentifier(ct.table) + " (";
  bool hasCounter = false;
  for (size_t i = 0; i < ct.columns.size(); ++i) {
    bool counter = false;
    SqliteType(ct.columns[i], counter);
    hasCounter = hasCounter || counter;
    sql += (i ? ", " : "") + ColumnSql(ct.columns[i]);
  }
  auto list = [](const std::vector<std::string>& names) {
    std::string s;
    for (const auto& n : names) s += (s.empty() ? "" : ", ") + QuoteIdentifier(n);
    return s;
  };
  for (const auto& pk : ct.primaryKeys)
    if (!hasCounter) sql += ", PRIMARY KEY (" + list(pk) + ")";
  for (const auto& u : ct.uniques) sql += ", UNIQUE (" + list(u) + ")";
  out_.sql = sql + ")";
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
      // A key cannot be given to a table that has rows.
      if (counter || at.column.primaryKey || at.column.unique)
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
      if (counter || at.column.primaryKey) ThrowJet(jeterr::kNotSupported, "Cannot add a key column to an existing table");
      out_.sql = "ALTER TABLE " + tableSql + " ADD COLUMN " + ColumnSql(at.column);
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
  std::string cols;
  for (const auto& [name, desc] : ci.columns) {
    const ColumnInfo* c = table->FindColumn(name);
    if (c == nullptr) ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: '" + name + "'");
    cols += (cols.empty() ? "" : ", ") + QuoteIdentifier(c->name) + (desc ? " DESC" : "");
  }
  // WITH PRIMARY becomes a unique index: SQLite cannot add a primary key.
  out_.sql = std::string("CREATE ") + (ci.unique || ci.primary ? "UNIQUE " : "") + "INDEX " + QuoteIdentifier(ci.name) +
             " ON " + QuoteIdentifier(table->name) + " (" + cols + ")";
}

}  // namespace albumcore::store::jetsql::emit
