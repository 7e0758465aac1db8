#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <set>
#include <thread>

#include "dao_fixture.h"

namespace albumcore::store::dao::testing {
namespace {

class MaintenanceTest : public DaoTest {
 protected:
  void FillItems(int count) {
    RawExec(path_,
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(count) +
                ") INSERT INTO AlbumItems (ItemID, ItemType, Name, Note) SELECT i, 1, 'item' || i, "
                "printf('%0300d', i) FROM n");
  }
};

TEST_F(MaintenanceTest, CompactIntoSecondFileKeepsEveryRow) {
  FillItems(500);
  db_->Execute("DELETE * FROM AlbumItems WHERE ItemID > 100");
  db_->Close();
  const std::string target = path_ + "1";
  engine_->CompactDatabase(path_, target);
  EXPECT_EQ(RawScalar(target, "SELECT count(*) || ',' || sum(ItemID) FROM AlbumItems"), "100,5050");
  EXPECT_EQ(RawScalar(target, "SELECT count(*) FROM MSysQueries"), "4");
  EXPECT_EQ(RawScalar(target, "PRAGMA integrity_check"), "ok");
  EXPECT_LT(std::filesystem::file_size(target), std::filesystem::file_size(path_));

  EXPECT_EQ(StatusOf([&] { engine_->CompactDatabase(path_, path_); }), Jet(3204));
  EXPECT_EQ(StatusOf([&] { engine_->CompactDatabase(path_, target); }), Jet(3204));
  EXPECT_EQ(StatusOf([&] { engine_->CompactDatabase(PathOf("none.db"), PathOf("x.db")); }), Jet(3024));
  EXPECT_FALSE(std::filesystem::exists(PathOf("x.db")));
  EXPECT_EQ(RawScalar(path_, "PRAGMA integrity_check"), "ok");
}

TEST_F(MaintenanceTest, KilledWriterLeavesEveryCommittedRow) {
  db_->Close();
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(fds[0]);
    try {
      auto engine = com::MakeObject<DBEngine>();
      auto db = engine->OpenDatabase(path_);
      auto rs = db->OpenRecordset("AlbumItems", dbOpenTable);
      for (int i = 0;; ++i) {
        rs->AddNew();
        rs->Fields("Name").SetValue("row" + std::to_string(i));
        rs->Fields("Note").SetValue(std::string(2000, 'n'));
        rs->Update();
        const int32_t id = rs->Fields("ItemID").Value().i4();
        if (::write(fds[1], &id, sizeof id) != sizeof id) ::_exit(2);
      }
    } catch (...) {
      ::_exit(1);
    }
  }
  ::close(fds[1]);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ::kill(child, SIGKILL);
  std::set<int32_t> committed;
  int32_t id;
  while (::read(fds[0], &id, sizeof id) == sizeof id) committed.insert(id);
  ::close(fds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  ASSERT_FALSE(committed.empty());

  auto db = engine_->OpenDatabase(path_);
  EXPECT_EQ(RawScalar(path_, "PRAGMA integrity_check"), "ok");
  std::set<int32_t> present;
  auto rs = db->OpenRecordset("SELECT ItemID FROM AlbumItems");
  for (; !rs->IsEOF(); rs->MoveNext()) present.insert(rs->Fields(0).Value().i4());
  for (int32_t c : committed) ASSERT_TRUE(present.count(c)) << "committed row " << c << " is missing";
}

}  // namespace
}  // namespace albumcore::store::dao::testing
