#include "store/dao/result_shape.h"

#include "store/dao/sql_text.h"

namespace albumcore::store::dao {

namespace {

int Reprepares(sqlite3_stmt* stmt) { return sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_REPREPARE, 0); }

}  // namespace

std::shared_ptr<const ResultShape> ResultShape::Of(sqlite3_stmt* stmt, bool rowidFirst,
                                                  jetsql::SqliteSchemaCatalog& catalog) {
  auto shape = std::make_shared<ResultShape>();
  shape->reprepares = Reprepares(stmt);
  std::shared_ptr<const jetsql::TableInfo> table;
  if (rowidFirst) {
    shape->first = 1;
    shape->baseTable = SingleBaseTable(stmt);
    shape->oneTable = !shape->baseTable.empty();
    if (shape->oneTable) table = catalog.FindTable(shape->baseTable);
    if (!table) shape->baseTable.clear();
  }
  const int n = sqlite3_column_count(stmt);
  shape->columns.reserve(static_cast<size_t>(n > shape->first ? n - shape->first : 0));
  for (int i = shape->first; i < n; ++i) {
    Column c;
    const char* name = sqlite3_column_name(stmt, i);
    c.name = name != nullptr ? name : "";
    const char* declared = sqlite3_column_decltype(stmt, i);
    c.type = jetsql::JetTypeFromDeclared(declared != nullptr ? declared : "", false, &c.size);
    if (declared == nullptr) c.type = jetsql::JetType::Unknown;
    if (table) {
      const char* origin = sqlite3_column_origin_name(stmt, i);
      if (const jetsql::ColumnInfo* info = origin != nullptr ? table->FindColumn(origin) : nullptr) {
        c.origin = info->name;
        c.counter = info->type == jetsql::JetType::Counter;
        c.size = info->size;
      }
    }
    shape->columns.push_back(std::move(c));
  }
  return shape;
}

bool ResultShape::Current(sqlite3_stmt* stmt) const { return Reprepares(stmt) == reprepares; }

}  // namespace albumcore::store::dao
