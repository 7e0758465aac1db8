#include "store/schema/declared_layout.h"

#include <sqlite3.h>

#include <memory>

#include "store/schema/layout_database.h"

namespace albumcore::store::schema {

namespace {

// Prepared statement reading text columns; failures throw BuildError.
class Query {
 public:
  Query(sqlite3* db, const std::string& sql) {
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK)
      throw BuildError("the declared layout: " + std::string(sqlite3_errmsg(db)) + "\n  in statement: " + sql);
  }
  ~Query() { sqlite3_finalize(stmt_); }
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;

  bool Step() { return sqlite3_step(stmt_) == SQLITE_ROW; }
  std::string Text(int column) const {
    const auto* text = sqlite3_column_text(stmt_, column);
    return text != nullptr ? reinterpret_cast<const char*>(text) : "";
  }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

std::string Quote(const std::string& text, char quote) {
  std::string out(1, quote);
  for (char c : text) out += c == quote ? std::string(2, c) : std::string(1, c);
  return out + quote;
}
std::string QuoteName(const std::string& name) { return Quote(name, '"'); }

std::vector<DeclaredRow> ReadRows(sqlite3* db, const std::string& table) {
  std::vector<std::string> columns;
  {
    Query info(db, "SELECT name FROM pragma_table_info(" + Quote(table, '\'') + ") ORDER BY cid");
    while (info.Step()) columns.push_back(info.Text(0));
  }
  std::string select;
  for (const auto& c : columns) select += (select.empty() ? "" : ", ") + std::string("quote(") + QuoteName(c) + ")";
  for (const auto& c : columns) select += ", " + QuoteName(c);
  std::vector<DeclaredRow> rows;
  Query q(db, "SELECT " + select + " FROM " + QuoteName(table) + " ORDER BY rowid");
  while (q.Step()) {
    DeclaredRow row{columns, {}, {}};
    const int n = static_cast<int>(columns.size());
    for (int i = 0; i < n; ++i) row.literals.push_back(q.Text(i));
    for (int i = 0; i < n; ++i) row.texts.push_back(q.Text(n + i));
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace

DeclaredLayout::DeclaredLayout(const std::vector<LayoutScript>& scripts) {
  LayoutDatabase db(":memory:");
  db.Run(scripts);
  {
    Query q(db.get(),
            "SELECT type, name, tbl_name, sql FROM sqlite_schema "
            "WHERE sql IS NOT NULL AND name NOT GLOB 'sqlite_*' ORDER BY rowid");
    while (q.Step()) {
      const std::string type = q.Text(0);
      DeclaredObject object{q.Text(1), q.Text(2), q.Text(3)};
      if (type == "table") tables_.push_back(std::move(object));
      else if (type == "index") indexes_.push_back(std::move(object));
      else if (type == "trigger") triggers_.push_back(std::move(object));
      else throw BuildError("the declared layout: a " + type + " (" + object.name + ") is not an upgradable object");
    }
  }
  for (const auto& table : tables_) {
    auto rows = ReadRows(db.get(), table.name);
    if (!rows.empty()) rows_.emplace_back(table.name, std::move(rows));
  }
  if (!Rows(kStoredQueryTable).empty()) {
    Query q(db.get(), "SELECT Name, SQL FROM " + QuoteName(kStoredQueryTable) + " ORDER BY rowid");
    while (q.Step()) queries_.push_back({q.Text(0), q.Text(1)});
  }
}

const DeclaredLayout& DeclaredLayout::Current() {
  static const DeclaredLayout layout(CurrentLayoutScripts());
  return layout;
}

std::string DeclaredRow::Text(std::string_view column) const {
  for (size_t i = 0; i < columns.size(); ++i)
    if (sqlite3_stricmp(columns[i].c_str(), std::string(column).c_str()) == 0) return texts[i];
  return {};
}

std::vector<DeclaredRow> DeclaredLayout::Rows(std::string_view table) const {
  for (const auto& [name, rows] : rows_)
    if (sqlite3_stricmp(name.c_str(), std::string(table).c_str()) == 0) return rows;
  return {};
}

}  // namespace albumcore::store::schema
