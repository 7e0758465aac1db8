// The Jet shell in process: one session, read-only until a write, named parameters, printable output.
#include "jet_shell.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <sstream>

#include "shell_fixture.h"
#include "store/jetsql/jet_error.h"

namespace albumcore::tools::testing {
namespace {

using store::jetsql::jeterr::kInvalidOperation;
using store::jetsql::jeterr::kItemNotFound;
using store::jetsql::jeterr::kTooFewParameters;

class JetShellTest : public CatalogueCopyTest {
 protected:
  // Runs the statements in one shell; what it printed.
  std::string Run(std::initializer_list<std::string_view> statements, RowFormat format = RowFormat::Table,
                  std::vector<NamedValue> params = {}) {
    std::ostringstream out;
    JetShell shell(path_, {}, format, std::move(params), out);
    for (auto s : statements) shell.Run(s);
    return out.str();
  }
  // The error `run` fails with; a status of 0 when it runs.
  static com::ComError Failure(const std::function<void()>& run) {
    try {
      run();
    } catch (const com::ComError& e) {
      return e;
    }
    return com::ComError(0);
  }
  std::string ItemCount() const { return RawScalar("SELECT count(*) FROM AlbumItems WHERE ItemType = 0"); }
};

constexpr const char* kAddItem =
    "INSERT INTO AlbumItems (ItemType, Name, ItemDataMoniker) VALUES (0, \"beach\", \"file::/home/ana/beach.jpg\")";

TEST_F(JetShellTest, TransactionsAndIdentitySpanStatementsAndTransactionsNestAsSavepoints) {
  std::ostringstream out;
  JetShell shell(path_, {}, RowFormat::Json, {}, out);
  shell.Run("BEGIN TRANSACTION");
  shell.Run(kAddItem);
  shell.Run("SELECT @@IDENTITY AS ID");
  shell.Run("begin");
  shell.Run("UPDATE AlbumItems SET Name = \"gone\" WHERE ItemType = 0");
  EXPECT_EQ(shell.openTransactions(), 2);
  shell.Run("ROLLBACK TRANSACTION");
  shell.Run("COMMIT WORK");
  EXPECT_EQ(shell.openTransactions(), 0);
  EXPECT_EQ(RawScalar("SELECT Name FROM AlbumItems WHERE ItemType = 0"), "beach");

  shell.Run("BEGIN");
  shell.Run("DELETE * FROM AlbumItems WHERE ItemType = 0");
  shell.RollbackAll();
  EXPECT_EQ(ItemCount(), "1");
  const std::string added = "{\"recordsAffected\": 1}\n";
  EXPECT_EQ(out.str(), added + "[\n {\"ID\": " + RawScalar("SELECT max(ItemID) FROM AlbumItems") + "}\n]\n" + added +
                           added);

  EXPECT_EQ(Failure([&] { shell.Run("COMMIT"); }).hr(), com::JetError(kInvalidOperation));
  // Words that merely start like one are statements.
  EXPECT_NE(Failure([&] { Run({"BEGIN SOMETHING"}); }).hr(), 0);
}

TEST_F(JetShellTest, AWriteThatEndsItsTransactionSaysSoAndLeavesNoLevelOpen) {
  RawExec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
          "INSERT INTO AlbumItems (ItemType, Name, ItemDataMoniker) SELECT 5, 'n' || i, 'm' || i FROM n");
  std::ostringstream out;
  JetShell shell(path_, {.statementBudget = std::chrono::milliseconds(1), .externalFiles = {}}, RowFormat::Table, {},
                 out);
  shell.Run("BEGIN TRANSACTION");
  shell.Run(kAddItem);
  // Nine million rows: stopped by the budget, which ends the transaction.
  const com::ComError e = Failure([&] {
    shell.Run("INSERT INTO AlbumItems (ItemType, Name, ItemDataMoniker) SELECT 6, a.Name, b.Name "
              "FROM AlbumItems AS a, AlbumItems AS b");
  });
  EXPECT_NE(e.detail().find("the transaction it ran in is rolled back"), std::string::npos) << e.detail();
  EXPECT_EQ(shell.openTransactions(), 0);
  EXPECT_EQ(ItemCount(), "0");
}

TEST_F(JetShellTest, ReadingLeavesTheFileAsItWasAndWritingReopensIt) {
  // The template is in rollback-journal mode; a session of reads keeps it so.
  const std::string pristine = Bytes();
  EXPECT_EQ(Run({"SELECT count(*) AS N FROM MSysQueries", "SELECT Name FROM AlbumItems WHERE ItemID = -1"}),
            "N\n--\n" + RawScalar("SELECT count(*) FROM MSysQueries") + "\n(1 row)\nName\n----\n(0 rows)\n");
  EXPECT_EQ(Bytes(), pristine);
  EXPECT_TRUE(SideFiles().empty());

  // A write later in the same session reopens the file read-write.
  Run({"SELECT count(*) FROM AlbumItems", kAddItem});
  EXPECT_EQ(ItemCount(), "1");
  const std::string written = Bytes();
  EXPECT_NE(written, pristine);

  // Now in WAL mode: reads still leave neither a change nor a -wal or -shm.
  std::ostringstream out;
  JetShell(path_, {}, RowFormat::Table, {{"item_id", com::Variant(-1)}}, out).RunStoredQuery("GetItemRecord");
  Run({"SELECT Name FROM AlbumItems"});
  EXPECT_EQ(Bytes(), written);
  EXPECT_TRUE(SideFiles().empty());
}

TEST_F(JetShellTest, ParametersBindByNameWithTheirTypes) {
  const std::vector<NamedValue> values = {{"name", com::Variant("dune")},
                                          {"taken", com::Variant::Date(45487.75)},
                                          {"unused", com::Variant(1)}};
  const std::string printed = Run(
      {"INSERT INTO AlbumItems (ItemType, Name, ItemDataMoniker, DateCreated) VALUES (0, [name], \"file::/d\", "
       "[Taken])",
       "SELECT Name, DateCreated FROM AlbumItems WHERE Name = [NAME]"},
      RowFormat::Json, values);
  EXPECT_EQ(printed, "{\"recordsAffected\": 1}\n[\n {\"Name\": \"dune\", \"DateCreated\": \"2024-07-14T18:00:00\"}\n]\n");

  // A statement left without a value names what it misses.
  const com::ComError e = Failure([&] { Run({"SELECT [a] + [b] AS S"}, RowFormat::Table, {{"b", com::Variant(2)}}); });
  EXPECT_EQ(e.hr(), com::JetError(kTooFewParameters));
  EXPECT_NE(e.detail().find("no value for a "), std::string::npos) << e.detail();
  // A stored query takes only values it names.
  std::ostringstream out;
  JetShell stored(path_, {}, RowFormat::Table, {{"item_id", com::Variant(1)}, {"itemid", com::Variant(1)}}, out);
  EXPECT_EQ(Failure([&] { stored.RunStoredQuery("GetItemRecord"); }).hr(), com::JetError(kItemNotFound));
}

TEST_F(JetShellTest, BytesThatAreNoUtf8AreShownNotPassedThrough) {
  RawExec("INSERT INTO AlbumItems (ItemType, Name, ItemDataMoniker) VALUES (0, CAST(X'43616678E9FF' AS TEXT), 'm')");
  const char* query = "SELECT Name FROM AlbumItems WHERE ItemType = 0";
  EXPECT_EQ(Run({query}), "Name\n------------\nCafx\\xE9\\xFF\n(1 row)\n");
  EXPECT_EQ(Run({query}, RowFormat::Json), "[\n {\"Name\": \"Cafx\xEF\xBF\xBD\xEF\xBF\xBD\"}\n]\n");
}

TEST_F(JetShellTest, FailureShowsTheStatementLineAndMarksThePosition) {
  const std::string statement = "SELECT Name\n  FROM AlbumItems\n\tWHERE Name = \"é\" AND = 3";
  const com::ComError e = Failure([&] { Run({statement}); });
  const ScriptStatement where{statement, 7};
  const std::string told = DescribeFailure(e, statement, &where, 4);
  EXPECT_EQ(told.rfind("statement 4 (line 7): ", 0), 0u) << told;
  // One mark per character before the position; tabs kept, so it lines up.
  const std::string marked = "\n  \tWHERE Name = \"é\" AND = 3\n  \t" + std::string(21, ' ') + "^\n";
  EXPECT_NE(told.find(marked), std::string::npos) << told;
}

}  // namespace
}  // namespace albumcore::tools::testing
