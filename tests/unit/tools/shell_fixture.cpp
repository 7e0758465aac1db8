#include "shell_fixture.h"

#include <sqlite3.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "store/jetsql/connection.h"

namespace albumcore::tools::testing {

void CatalogueCopyTest::SetUp() {
  char pattern[] = "/tmp/albumctl_test_XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  dir_ = pattern;
  path_ = (dir_ / "library.db").string();
  std::filesystem::copy_file(ALBUMCORE_TEMPLATE_DB, path_);
}

void CatalogueCopyTest::TearDown() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

std::string CatalogueCopyTest::Bytes() const {
  std::ifstream in(path_, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> CatalogueCopyTest::SideFiles() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir_))
    if (entry.path() != path_) names.push_back(entry.path().filename().string());
  return names;
}

namespace {
sqlite3* Open(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  store::jetsql::ConfigureConnection(db);
  return db;
}
}  // namespace

void CatalogueCopyTest::RawExec(const std::string& sql) const {
  sqlite3* db = Open(path_);
  char* error = nullptr;
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
  std::string message = error != nullptr ? error : "";
  sqlite3_free(error);
  sqlite3_close(db);
  if (rc != SQLITE_OK) throw std::runtime_error(message + " in " + sql);
}

std::string CatalogueCopyTest::RawScalar(const std::string& sql) const {
  sqlite3* db = Open(path_);
  sqlite3_stmt* s = nullptr;
  std::string out = "NULL";
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW &&
      sqlite3_column_type(s, 0) != SQLITE_NULL)
    out = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
  sqlite3_finalize(s);
  sqlite3_close(db);
  return out;
}

}  // namespace albumcore::tools::testing
