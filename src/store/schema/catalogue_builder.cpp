#include "store/schema/catalogue_builder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

namespace albumcore::store::schema {

namespace {

constexpr const char* kNoCaseCollation = "JETNOCASE";
constexpr size_t kMaxQuotedStatement = 400;

struct CloseDb {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using DbHandle = std::unique_ptr<sqlite3, CloseDb>;

struct FinalizeStmt {
  void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using StmtHandle = std::unique_ptr<sqlite3_stmt, FinalizeStmt>;

// Removes the temporary file unless the build got as far as renaming it.
class TempFile {
 public:
  explicit TempFile(std::string path) : path_(std::move(path)) {}
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    if (!path_.empty()) {
      ::unlink(path_.c_str());
      ::unlink((path_ + "-journal").c_str());
    }
  }
  const std::string& path() const { return path_; }
  void Release() { path_.clear(); }

 private:
  std::string path_;
};

// Stand-in for the engine layer's JETNOCASE while the layout is created;
// records that it was asked to compare anything.
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

std::string Quote(std::string statement) {
  if (statement.size() > kMaxQuotedStatement) statement = statement.substr(0, kMaxQuotedStatement) + " ...";
  return statement;
}

[[noreturn]] void Fail(const std::string& where, const std::string& what, const std::string& statement) {
  std::string message = where + ": " + what;
  if (!statement.empty()) message += "\n  in statement: " + Quote(statement);
  throw BuildError(message);
}

void Exec(sqlite3* db, const char* sql, const std::string& where) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string what = error != nullptr ? error : sqlite3_errmsg(db);
    sqlite3_free(error);
    Fail(where, what, sql);
  }
}

// Runs every statement of one script, stopping at the first error.
void RunScript(sqlite3* db, const LayoutScript& script) {
  const std::string& text = script.text;
  size_t pos = SkipSpaceAndComments(text, 0);
  while (pos < text.size()) {
    const std::string where = script.name + ":" + std::to_string(LineAt(text, pos));
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    const char* start = text.c_str() + pos;
    const int rc = sqlite3_prepare_v2(db, start, static_cast<int>(text.size() - pos), &raw, &tail);
    StmtHandle stmt(raw);
    if (rc != SQLITE_OK) {
      const size_t end = text.find(';', pos);
      Fail(where, sqlite3_errmsg(db), text.substr(pos, end == std::string::npos ? std::string::npos : end - pos + 1));
    }
    if (stmt) {
      int step;
      while ((step = sqlite3_step(stmt.get())) == SQLITE_ROW) {
      }
      if (step != SQLITE_DONE) Fail(where, sqlite3_errmsg(db), sqlite3_sql(stmt.get()));
    }
    pos = SkipSpaceAndComments(text, static_cast<size_t>(tail - text.c_str()));
  }
}

bool TableExists(sqlite3* db, const char* table) {
  sqlite3_stmt* raw = nullptr;
  sqlite3_prepare_v2(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1", -1, &raw, nullptr);
  StmtHandle stmt(raw);
  sqlite3_bind_text(stmt.get(), 1, table, -1, SQLITE_STATIC);
  return sqlite3_step(stmt.get()) == SQLITE_ROW;
}

int LayoutVersion(sqlite3* db) {
  if (!TableExists(db, "Misc")) return kVersionWithoutMiscRow;
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT Version FROM Misc LIMIT 1", -1, &raw, nullptr) != SQLITE_OK)
    Fail("Misc", sqlite3_errmsg(db), "SELECT Version FROM Misc LIMIT 1");
  StmtHandle stmt(raw);
  if (sqlite3_step(stmt.get()) != SQLITE_ROW) return kVersionWithoutMiscRow;
  return sqlite3_column_int(stmt.get(), 0);
}

void SyncPath(const std::string& path, int flags, const std::string& what) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) Fail(path, what + ": " + std::strerror(errno), {});
  const int rc = ::fsync(fd);
  const int savedErrno = errno;
  ::close(fd);
  if (rc != 0) Fail(path, what + ": " + std::strerror(savedErrno), {});
}

std::string MakeTempSibling(const std::filesystem::path& target) {
  std::string pattern = target.string() + ".XXXXXX";
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) Fail(target.string(), std::string("cannot create a temporary file: ") + std::strerror(errno), {});
  ::fchmod(fd, 0644);  // mkstemp's 0600 would follow the template into every new library
  ::close(fd);
  return pattern;
}

}  // namespace

LayoutScript ReadLayoutScript(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw BuildError(path.string() + ": cannot read the layout script");
  std::ostringstream text;
  text << in.rdbuf();
  return LayoutScript{path.string(), text.str()};
}

void BuildCatalogue(const std::vector<LayoutScript>& scripts, const std::filesystem::path& target) {
  const std::string where = target.string();
  TempFile temp(MakeTempSibling(target));
  {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(temp.path().c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    DbHandle db(raw);
    if (rc != SQLITE_OK) Fail(temp.path(), raw != nullptr ? sqlite3_errmsg(raw) : "cannot open", {});

    // As on the engine's connections: "x" is always a name, never a string.
    sqlite3_db_config(db.get(), SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    sqlite3_db_config(db.get(), SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    bool collationUsed = false;
    sqlite3_create_collation_v2(db.get(), kNoCaseCollation, SQLITE_UTF8, &collationUsed, PlaceholderCollation,
                                nullptr);

    Exec(db.get(), "PRAGMA page_size = 4096", where);
    Exec(db.get(), "PRAGMA foreign_keys = ON", where);
    Exec(db.get(), "BEGIN", where);
    for (const auto& script : scripts) RunScript(db.get(), script);
    const std::string pragmas = "PRAGMA application_id = " + std::to_string(kCatalogueApplicationId) +
                                "; PRAGMA user_version = " + std::to_string(LayoutVersion(db.get())) + ";";
    Exec(db.get(), pragmas.c_str(), where);
    Exec(db.get(), "COMMIT", where);
    Exec(db.get(), "VACUUM", where);
    if (collationUsed)
      Fail(where,
           "the layout stores rows in a JETNOCASE-indexed column; the build's placeholder collation "
           "cannot order them as the real one does",
           {});
    if (sqlite3_close_v2(db.release()) != SQLITE_OK) Fail(temp.path(), "cannot close the new catalogue", {});
  }
  SyncPath(temp.path(), O_RDONLY, "cannot flush the new catalogue");
  if (::rename(temp.path().c_str(), target.c_str()) != 0)
    Fail(where, std::string("cannot move the new catalogue into place: ") + std::strerror(errno), {});
  temp.Release();
  const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  SyncPath(dir.string(), O_RDONLY | O_DIRECTORY, "cannot flush the directory");
}

}  // namespace albumcore::store::schema
