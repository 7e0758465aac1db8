#include "store/schema/layout_database.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace albumcore::store::schema {

namespace {

constexpr const char* kNoCaseCollation = "JETNOCASE";
constexpr size_t kMaxQuotedStatement = 400;

struct FinalizeStmt {
  void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using StmtHandle = std::unique_ptr<sqlite3_stmt, FinalizeStmt>;

int PlaceholderCollation(void* used, int lenA, const void* a, int lenB, const void* b) {
  *static_cast<bool*>(used) = true;
  const int common = std::min(lenA, lenB);
  const int c = common > 0 ? std::memcmp(a, b, static_cast<size_t>(common)) : 0;
  return c != 0 ? c : lenA - lenB;
}

size_t SkipSpaceAndComments(const std::string& text, size_t pos) {
  while (pos < text.size()) {
    const char c = text[pos];
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      ++pos;
    } else if (text.compare(pos, 2, "--") == 0) {
      pos = text.find('\n', pos);
      if (pos == std::string::npos) return text.size();
    } else if (text.compare(pos, 2, "/*") == 0) {
      pos = text.find("*/", pos + 2);
      if (pos == std::string::npos) return text.size();
      pos += 2;
    } else {
      break;
    }
  }
  return pos;
}

int LineAt(const std::string& text, size_t pos) {
  return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(pos), '\n'));
}

[[noreturn]] void Fail(const std::string& where, const std::string& what, std::string statement) {
  std::string message = where + ": " + what;
  if (statement.size() > kMaxQuotedStatement) statement = statement.substr(0, kMaxQuotedStatement) + " ...";
  if (!statement.empty()) message += "\n  in statement: " + statement;
  throw BuildError(message);
}

}  // namespace

LayoutDatabase::LayoutDatabase(const std::string& path) : path_(path) {
  const int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc != SQLITE_OK) {
    const std::string what = db_ != nullptr ? sqlite3_errmsg(db_) : "cannot open";
    sqlite3_close_v2(db_);
    db_ = nullptr;
    Fail(path, what, {});
  }
  // As on the engine's connections: "x" is always a name, never a string.
  sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
  sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
  sqlite3_create_collation_v2(db_, kNoCaseCollation, SQLITE_UTF8, &collationUsed_, PlaceholderCollation, nullptr);
  Exec("PRAGMA foreign_keys = ON", path);
}

LayoutDatabase::~LayoutDatabase() { sqlite3_close_v2(db_); }

void LayoutDatabase::Exec(const std::string& sql, const std::string& where) {
  char* error = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string what = error != nullptr ? error : sqlite3_errmsg(db_);
    sqlite3_free(error);
    Fail(where, what, sql);
  }
}

void LayoutDatabase::Run(const std::vector<LayoutScript>& scripts) {
  for (const auto& script : scripts) {
    const std::string& text = script.text;
    size_t pos = SkipSpaceAndComments(text, 0);
    while (pos < text.size()) {
      const std::string where = script.name + ":" + std::to_string(LineAt(text, pos));
      sqlite3_stmt* raw = nullptr;
      const char* tail = nullptr;
      const int rc = sqlite3_prepare_v2(db_, text.c_str() + pos, static_cast<int>(text.size() - pos), &raw, &tail);
      StmtHandle stmt(raw);
      if (rc != SQLITE_OK) {
        const size_t end = text.find(';', pos);
        Fail(where, sqlite3_errmsg(db_),
             text.substr(pos, end == std::string::npos ? std::string::npos : end - pos + 1));
      }
      if (stmt) {
        int step;
        while ((step = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        }
        if (step != SQLITE_DONE) Fail(where, sqlite3_errmsg(db_), sqlite3_sql(stmt.get()));
      }
      pos = SkipSpaceAndComments(text, static_cast<size_t>(tail - text.c_str()));
    }
  }
}

void LayoutDatabase::Close() {
  sqlite3* db = db_;
  db_ = nullptr;
  if (sqlite3_close_v2(db) != SQLITE_OK) Fail(path_, "cannot close the database", {});
}

}  // namespace albumcore::store::schema
