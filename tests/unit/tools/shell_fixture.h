// A copy of the template catalogue in a temporary directory, and raw access to it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace albumcore::tools::testing {

class CatalogueCopyTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The file's bytes, to tell whether anything wrote it.
  std::string Bytes() const;
  // Files beside the catalogue (-wal, -shm, ...), by name.
  std::vector<std::string> SideFiles() const;
  // Runs SQLite SQL on a connection of its own.
  void RawExec(const std::string& sql) const;
  // The first column of the first row as text ("NULL" for null).
  std::string RawScalar(const std::string& sql) const;

  std::filesystem::path dir_;
  std::string path_;
};

}  // namespace albumcore::tools::testing
