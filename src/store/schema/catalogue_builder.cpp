#include "store/schema/catalogue_builder.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

namespace albumcore::store::schema {

namespace {

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

[[noreturn]] void Fail(const std::string& where, const std::string& what) { throw BuildError(where + ": " + what); }

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
    Fail("Misc", sqlite3_errmsg(db));
  StmtHandle stmt(raw);
  if (sqlite3_step(stmt.get()) != SQLITE_ROW) return kVersionWithoutMiscRow;
  return sqlite3_column_int(stmt.get(), 0);
}

void SyncPath(const std::string& path, int flags, const std::string& what) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) Fail(path, what + ": " + std::strerror(errno));
  const int rc = ::fsync(fd);
  const int savedErrno = errno;
  ::close(fd);
  if (rc != 0) Fail(path, what + ": " + std::strerror(savedErrno));
}

std::string MakeTempSibling(const std::filesystem::path& target) {
  std::string pattern = target.string() + ".XXXXXX";
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) Fail(target.string(), std::string("cannot create a temporary file: ") + std::strerror(errno));
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
    LayoutDatabase db(temp.path());
    db.Exec("PRAGMA page_size = 4096", where);
    db.Exec("BEGIN", where);
    db.Run(scripts);
    db.Exec("PRAGMA application_id = " + std::to_string(kCatalogueApplicationId) +
                "; PRAGMA user_version = " + std::to_string(LayoutVersion(db.get())) + ";",
            where);
    db.Exec("COMMIT", where);
    db.Exec("VACUUM", where);
    if (db.collationUsed())
      Fail(where,
           "the layout stores rows in a JETNOCASE-indexed column; the build's placeholder collation "
           "cannot order them as the real one does");
    db.Close();
  }
  SyncPath(temp.path(), O_RDONLY, "cannot flush the new catalogue");
  if (::rename(temp.path().c_str(), target.c_str()) != 0)
    Fail(where, std::string("cannot move the new catalogue into place: ") + std::strerror(errno));
  temp.Release();
  const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  SyncPath(dir.string(), O_RDONLY | O_DIRECTORY, "cannot flush the directory");
}

}  // namespace albumcore::store::schema
