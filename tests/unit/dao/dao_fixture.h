// A small catalogue in a temporary directory, opened through the adapter.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>

#include "com/error.h"
#include "store/dao/engine.h"

namespace albumcore::store::dao::testing {

// The HRESULT a callable raises as ComError (0 when it raises nothing).
template <class F>
int32_t StatusOf(F&& f) {
  try {
    f();
    return 0;
  } catch (const com::ComError& e) {
    return e.hr();
  }
}

inline constexpr int32_t Jet(uint16_t n) { return com::JetError(n); }

// Creates the catalogue tables and stored queries in a new file at `path`.
void CreateCatalogue(const std::string& path);

// Runs SQLite SQL on its own connection (setup and checks behind the adapter).
void RawExec(const std::string& path, const std::string& sql);
// The first column of the first row as text ("NULL" for null).
std::string RawScalar(const std::string& path, const std::string& sql);

class DaoTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
  // Adds an item through raw SQL; returns its ItemID.
  int AddItem(const std::string& name, int type = 1, const char* note = nullptr);

  std::filesystem::path dir_;
  std::string path_;
  com::ComPtr<DBEngine> engine_;
  com::ComPtr<Database> db_;
};

}  // namespace albumcore::store::dao::testing
