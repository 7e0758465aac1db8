// The library's database session and the upgrade of older catalogues, on
// real files built from the layout scripts.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "store/catalogue/catalogue_session.h"
#include "store/catalogue/schema_upgrade.h"
#include "store/dao/querydef.h"
#include "store/dao/recordset.h"
#include "store/dao/relation.h"
#include "store/schema/catalogue_builder.h"

namespace albumcore::store::catalogue {
namespace {

namespace fs = std::filesystem;
using com::Variant;

class CatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("albumcore-catalogue-" + std::to_string(getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Build(const std::vector<std::string>& scripts, const std::string& name) {
    std::vector<schema::LayoutScript> layout;
    for (const auto& s : scripts) layout.push_back(schema::ReadLayoutScript(fs::path(ALBUMCORE_SCHEMA_DIR) / s));
    const fs::path path = dir_ / name;
    schema::BuildCatalogue(layout, path);
    return path.string();
  }
  std::string Current() { return Build({"catalogue.sql", "stored_queries.sql"}, "current.db"); }
  std::string OldLayout() { return Build({"old_layouts/v1.sql"}, "old.db"); }

  static std::unique_ptr<CatalogueSession> OpenSession(const std::string& path) {
    std::unique_ptr<CatalogueSession> session;
    EXPECT_EQ(CatalogueSession::Open(path, "Admin", "", &session), com::S_OK);
    return session;
  }

  // Every schema object and stored query, as text, to compare two states.
  static std::string SchemaDump(const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::string dump;
    for (const char* sql : {"SELECT type, name, sql FROM sqlite_schema ORDER BY name",
                            "SELECT Name, SQL FROM MSysQueries ORDER BY Name"}) {
      sqlite3_stmt* stmt = nullptr;
      sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
      while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
          const auto* text = sqlite3_column_text(stmt, c);
          dump += text ? reinterpret_cast<const char*>(text) : "NULL";
          dump += "|";
        }
        dump += "\n";
      }
      sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return dump;
  }

  static int64_t Count(dao::Database& db, const std::string& jet) {
    auto rs = db.OpenRecordset(jet);
    return rs->Fields(0).Value().ToI4();
  }

  fs::path dir_;
};

TEST_F(CatalogueTest, VersionIsTheLayoutsOrOneWithoutAMiscRow) {
  int32_t version = 0;
  {
    auto session = OpenSession(OldLayout());
    EXPECT_EQ(OpenDatabaseVersion(session->database(), &version), com::S_FALSE);
    EXPECT_EQ(version, 1);
    // The upgrade brings the layout, not a version number.
    EXPECT_TRUE(OpenTimeUpgrade(session->database()).ok());
    EXPECT_EQ(OpenDatabaseVersion(session->database(), &version), com::S_FALSE);
  }
  auto session = OpenSession(Current());
  EXPECT_EQ(OpenDatabaseVersion(session->database(), &version), com::S_OK);
  EXPECT_EQ(version, 9);
  EXPECT_EQ(OpenDatabaseVersion(session->database(), nullptr), com::E_POINTER);
  // The template's relation is known by name, with its cascading delete.
  EXPECT_EQ(session->database().Relations("Rel1")->Attributes(), 0x1000);
}

TEST_F(CatalogueTest, OpeningNeedsAnIdentityAndAFile) {
  const std::string path = Current();
  std::unique_ptr<CatalogueSession> session;
  EXPECT_EQ(CatalogueSession::Open(path, com::Bstr::Null(), "", &session), com::E_FAIL);
  EXPECT_EQ(CatalogueSession::Open(path, "Admin", com::Bstr::Null(), &session), com::E_FAIL);
  EXPECT_EQ(CatalogueSession::Open(com::Bstr::Null(), "Admin", "", &session), com::E_FAIL);
  EXPECT_FALSE(session);
  EXPECT_EQ(CatalogueSession::Open((dir_ / "missing.db").string(), "Admin", "", &session), com::JetError(3024));
  EXPECT_EQ(CatalogueSession::Open(path, "Admin", "", nullptr), com::E_POINTER);
  EXPECT_EQ(CatalogueSession::Open(path, "Admin", "", &session), com::S_OK);
  session->Close();
  EXPECT_THROW(session->database(), com::ComError);
}

TEST_F(CatalogueTest, CloseCompactsIntoTheSameFile) {
  const std::string path = Current();
  {
    auto session = OpenSession(path);
    auto& db = session->database();
    dao::Transaction trans(db);
    for (int i = 0; i < 2000; ++i) {
      db.Execute("INSERT INTO AlbumItems ( ItemType, Note ) SELECT 0, \"" + std::string(500, 'n') + "\";");
    }
    trans.Commit();
    db.Execute("DELETE * FROM AlbumItems WHERE ItemID > 10;");
  }  // closing compacts
  EXPECT_TRUE(fs::exists(path));
  EXPECT_FALSE(fs::exists(CatalogueSession::CompactionPath(path)));
  EXPECT_FALSE(fs::exists(path + "-wal"));
  EXPECT_LT(fs::file_size(path), 400u * 1024u);
  auto session = OpenSession(path);
  EXPECT_EQ(Count(session->database(), "SELECT Count(*) FROM AlbumItems"), 10);
}

TEST_F(CatalogueTest, FailedCompactionLeavesTheFileUntouched) {
  const std::string path = Current();
  {
    auto session = OpenSession(path);
    session->database().Execute("INSERT INTO AlbumItems ( ItemType, Name ) SELECT 0, \"kept\";");
  }
  const std::string before = SchemaDump(path);
  // Something that is not a file stands where the compacted copy would go.
  fs::create_directories(CatalogueSession::CompactionPath(path) + "/blocker");
  auto session = OpenSession(path);
  session->database().Execute("DELETE * FROM AlbumItems WHERE Name = \"nothing\";");
  ::testing::internal::CaptureStderr();
  session->Close();
  const std::string logged = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(logged.find("compacting " + path + " on close failed"), std::string::npos) << logged;  // not swallowed
  EXPECT_TRUE(fs::is_directory(CatalogueSession::CompactionPath(path) + "/blocker"));
  EXPECT_EQ(SchemaDump(path), before);
  session = OpenSession(path);
  EXPECT_EQ(Count(session->database(), "SELECT Count(*) FROM AlbumItems WHERE Name = \"kept\""), 1);
}

TEST_F(CatalogueTest, KillDuringCompactionLeavesAReadableCatalogue) {
  const std::string path = Current();
  {
    auto session = OpenSession(path);
    auto& db = session->database();
    dao::Transaction trans(db);
    for (int i = 0; i < 3000; ++i) {
      db.Execute("INSERT INTO AlbumItems ( ItemType, Note ) SELECT 0, \"" + std::string(300, 'k') + "\";");
    }
    trans.Commit();
  }
  // Kill a process that opens and closes (compacts) the catalogue over and
  // over, at moments spread over its work.
  for (int delayMs : {1, 3, 7, 12, 20, 35}) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (;;) {
        std::unique_ptr<CatalogueSession> s;
        CatalogueSession::Open(path, "Admin", "", &s);
        s.reset();
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    ASSERT_TRUE(fs::exists(path)) << "after " << delayMs << " ms";
    auto session = OpenSession(path);
    ASSERT_TRUE(session);
    EXPECT_EQ(Count(session->database(), "SELECT Count(*) FROM AlbumItems"), 3000) << "after " << delayMs << " ms";
  }
}

}  // namespace
}  // namespace albumcore::store::catalogue
