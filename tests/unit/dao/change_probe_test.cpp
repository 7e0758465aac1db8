// The change probe sees every commit, by any connection, and this
// connection's own uncommitted changes, with and without a WAL index.
#include "store/dao/change_probe.h"

#include <gtest/gtest.h>

#include "dao_fixture.h"

namespace albumcore::store::dao::testing {
namespace {

class ChangeProbeTest : public DaoTest, public ::testing::WithParamInterface<bool> {
 protected:
  // A connection of its own, in WAL mode or in rollback-journal mode.
  void SetUp() override {
    DaoTest::SetUp();
    db_.reset();
    const bool wal = GetParam();
    RawExec(path_, wal ? "PRAGMA journal_mode=WAL" : "PRAGMA journal_mode=DELETE");
    ASSERT_EQ(sqlite3_open(path_.c_str(), &raw_), SQLITE_OK);
    Run("SELECT count(*) FROM MSysQueries");
    probe_ = std::make_unique<ChangeProbe>(raw_);
    EXPECT_EQ(probe_->WatchWalIndex(), wal);
  }
  void TearDown() override {
    probe_.reset();
    sqlite3_close(raw_);
    DaoTest::TearDown();
  }
  void Run(const char* sql) { ASSERT_EQ(sqlite3_exec(raw_, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql; }

  sqlite3* raw_ = nullptr;
  std::unique_ptr<ChangeProbe> probe_;
};

TEST_P(ChangeProbeTest, EveryChangeAnyConnectionCommitsOrThisOneMakesShows) {
  auto before = probe_->Read();
  EXPECT_EQ(probe_->Read(), before);

  RawExec(path_, "UPDATE MSysQueries SET SQL = SQL || ' ' WHERE Name = 'GetItemRecord'");  // another connection
  EXPECT_NE(probe_->Read(), before);
  before = probe_->Read();

  Run("INSERT INTO AlbumItems (Name) VALUES ('x')");  // this connection, committed
  EXPECT_NE(probe_->Read(), before);
  before = probe_->Read();

  Run("BEGIN");
  Run("UPDATE AlbumItems SET Name = 'y'");  // uncommitted: the file does not show it yet
  const auto changed = probe_->Read();
  EXPECT_NE(changed, before);
  Run("ROLLBACK");
  EXPECT_NE(probe_->Read(), changed);
}

INSTANTIATE_TEST_SUITE_P(Journal, ChangeProbeTest, ::testing::Bool(),
                         [](const auto& param) { return param.param ? "Wal" : "RollbackJournal"; });

}  // namespace
}  // namespace albumcore::store::dao::testing
