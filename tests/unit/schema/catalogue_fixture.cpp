#include "catalogue_fixture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace albumcore::store::schema::test {

namespace {

const fs::path kSources = ALBUMCORE_SCHEMA_SOURCE_DIR;

int AsciiNoCase(void*, int lenA, const void* a, int lenB, const void* b) {
  const int common = lenA < lenB ? lenA : lenB;
  const int c = sqlite3_strnicmp(static_cast<const char*>(a), static_cast<const char*>(b), common);
  return c != 0 ? c : lenA - lenB;
}

fs::path BuildOnce(const std::vector<LayoutScript>& layout, const char* fileName) {
  static TempDir dir;  // lives until the test run ends
  const fs::path file = dir.path() / fileName;
  BuildCatalogue(layout, file);
  return file;
}

std::string Text(sqlite3_stmt* stmt, int column) {
  const auto* text = sqlite3_column_text(stmt, column);
  return text != nullptr ? reinterpret_cast<const char*>(text) : "NULL";
}

}  // namespace

std::vector<std::string> BracketedNames(const std::string& jet) {
  std::vector<std::string> names;
  for (size_t i = 0; i < jet.size(); ++i) {
    if (jet[i] == '"') {
      i = jet.find('"', i + 1);
      if (i == std::string::npos) break;
    } else if (jet[i] == '[') {
      const size_t end = jet.find(']', i);
      if (end == std::string::npos) break;
      std::string name = jet.substr(i + 1, end - i - 1);
      const bool seen = std::any_of(names.begin(), names.end(), [&](const std::string& n) {
        return sqlite3_stricmp(n.c_str(), name.c_str()) == 0;
      });
      if (!seen) names.push_back(std::move(name));
      i = end;
    }
  }
  return names;
}

std::string SqliteFormOf(const std::string& jet) {
  std::string sql = jet;
  if (sql.rfind("DELETE * FROM", 0) == 0) sql.replace(0, 13, "DELETE FROM");
  for (size_t open = sql.find('['); open != std::string::npos; open = sql.find('[', open)) {
    const size_t close = sql.find(']', open);
    sql.replace(close, 1, "");
    sql.replace(open, 1, ":");
  }
  return sql;
}

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "albumcore-schema-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::vector<LayoutScript> CurrentLayout() {
  return {ReadLayoutScript(kSources / "catalogue.sql"), ReadLayoutScript(kSources / "stored_queries.sql")};
}

std::vector<LayoutScript> OldLayoutV1() { return {ReadLayoutScript(kSources / "old_layouts" / "v1.sql")}; }

const fs::path& BuiltTemplate() {
  static const fs::path file = BuildOnce(CurrentLayout(), kTemplateFileName);
  return file;
}

const fs::path& BuiltV1() {
  static const fs::path file = BuildOnce(OldLayoutV1(), "v1.db");
  return file;
}

Db::Db(const fs::path& file) {
  if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
    throw std::runtime_error("cannot open " + file.string());
  sqlite3_create_collation_v2(db_, "JETNOCASE", SQLITE_UTF8, nullptr, AsciiNoCase, nullptr);
  Exec("PRAGMA foreign_keys = ON");
  Exec("PRAGMA synchronous = OFF");  // throwaway files
}

Db::~Db() { sqlite3_close_v2(db_); }

std::string Db::TryExec(const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) == SQLITE_OK) return {};
  std::string message = error != nullptr ? error : "error";
  sqlite3_free(error);
  return message;
}

void Db::Exec(const std::string& sql) {
  const std::string error = TryExec(sql);
  if (!error.empty()) ADD_FAILURE() << error << "\n  in: " << sql;
}

std::vector<std::vector<std::string>> Db::Rows(const std::string& sql, const Params& params) {
  std::vector<std::vector<std::string>> rows;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << sqlite3_errmsg(db_) << "\n  in: " << sql;
    return rows;
  }
  for (const auto& [name, value] : params) {
    const int index = sqlite3_bind_parameter_index(stmt, (":" + name).c_str());
    if (index == 0) continue;  // not every statement uses every value
    char* end = nullptr;
    const long long number = std::strtoll(value.c_str(), &end, 10);
    if (!value.empty() && *end == '\0')
      sqlite3_bind_int64(stmt, index, number);
    else
      sqlite3_bind_text(stmt, index, value.c_str(), -1, SQLITE_TRANSIENT);
  }
  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    std::vector<std::string> row;
    for (int i = 0; i < sqlite3_column_count(stmt); ++i) row.push_back(Text(stmt, i));
    rows.push_back(std::move(row));
  }
  if (rc != SQLITE_DONE) ADD_FAILURE() << sqlite3_errmsg(db_) << "\n  in: " << sql;
  sqlite3_finalize(stmt);
  return rows;
}

std::vector<std::string> Db::Column(const std::string& sql) {
  std::vector<std::string> values;
  for (auto& row : Rows(sql)) values.push_back(row.empty() ? "" : row[0]);
  return values;
}

long long Db::Int(const std::string& sql) {
  const auto values = Column(sql);
  return values.empty() ? -1 : std::atoll(values[0].c_str());
}

std::vector<std::vector<std::string>> Db::RunStored(const std::string& name, const Params& params) {
  const auto sql = Column("SELECT SQL FROM MSysQueries WHERE Name = '" + name + "'");
  if (sql.size() != 1) {
    ADD_FAILURE() << "no stored query " << name;
    return {};
  }
  return Rows(SqliteFormOf(sql[0]), params);
}

std::vector<std::string> Db::Tables() {
  return Column(
      "SELECT name FROM sqlite_master WHERE type = 'table' AND name <> 'sqlite_sequence' ORDER BY name");
}

std::vector<ColumnInfo> Db::Columns(const std::string& table) {
  std::vector<ColumnInfo> columns;
  for (const auto& row : Rows("SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_info('" + table + "')")) {
    ColumnInfo c;
    c.name = row[0];
    c.declaredType = row[1];
    c.notNull = row[2] == "1";
    c.defaultValue = row[3] == "NULL" ? "" : row[3];
    c.primaryKey = row[4] != "0";
    const char* collation = nullptr;
    int autoIncrement = 0;
    sqlite3_table_column_metadata(db_, "main", table.c_str(), c.name.c_str(), nullptr, &collation, nullptr, nullptr,
                                  &autoIncrement);
    c.collation = collation != nullptr ? collation : "";
    c.autoIncrement = autoIncrement != 0;
    columns.push_back(std::move(c));
  }
  return columns;
}

}  // namespace albumcore::store::schema::test
