// Shared helpers of the layout tests: building catalogues from the layout
// sources and reading them back with plain SQLite.
#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "store/schema/catalogue_builder.h"

namespace albumcore::store::schema::test {

namespace fs = std::filesystem;

// A fresh directory, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

std::vector<LayoutScript> CurrentLayout();
std::vector<LayoutScript> OldLayoutV1();

// The current template and layout 1, each built once per test run; copy
// them before writing.
const fs::path& BuiltTemplate();
const fs::path& BuiltV1();

// Bracketed names of a Jet statement in order of first appearance (text in
// double-quoted literals skipped), compared ignoring ASCII case.
std::vector<std::string> BracketedNames(const std::string& jet);

// A stand-in for the translator, enough for the stored queries of the
// layout: "DELETE * FROM" becomes "DELETE FROM" and [name] becomes :name.
std::string SqliteFormOf(const std::string& jet);

struct ColumnInfo {
  std::string name;
  std::string declaredType;
  std::string collation;
  std::string defaultValue;  // as declared, empty when none
  bool notNull = false;
  bool primaryKey = false;
  bool autoIncrement = false;
};

// A connection with foreign keys on and a stand-in JETNOCASE (ASCII case
// folding is enough for these tests). Failures end the test with the
// statement and SQLite's message.
class Db {
 public:
  explicit Db(const fs::path& file);
  ~Db();
  Db(const Db&) = delete;
  Db& operator=(const Db&) = delete;
  sqlite3* get() const { return db_; }

  void Exec(const std::string& sql);
  // SQLite's message when `sql` fails, empty when it succeeds.
  std::string TryExec(const std::string& sql);
  // Every row, each value as text ("NULL" for null). Named parameters
  // (":name") take the given values, integers when the text is one.
  using Params = std::vector<std::pair<std::string, std::string>>;
  std::vector<std::vector<std::string>> Rows(const std::string& sql, const Params& params = {});
  // The first column of every row.
  std::vector<std::string> Column(const std::string& sql);
  long long Int(const std::string& sql);
  // Runs a stored query of the file (in its SQLite form) with named values.
  std::vector<std::vector<std::string>> RunStored(const std::string& name, const Params& params = {});

  std::vector<std::string> Tables();
  std::vector<ColumnInfo> Columns(const std::string& table);

 private:
  sqlite3* db_ = nullptr;
};

}  // namespace albumcore::store::schema::test
