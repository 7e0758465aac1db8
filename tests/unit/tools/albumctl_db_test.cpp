// albumctl as a script runs it: piped statements, exit statuses, read-only commands writing nothing.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>

#include "exit_status.h"
#include "shell_fixture.h"
#include "test_images.h"

namespace albumcore::tools::testing {
namespace {

class AlbumctlDbTest : public CatalogueCopyTest {
 protected:
  struct Outcome {
    int status;
    std::string output;  // standard output and error
  };
  // Runs albumctl with `arguments` (shell words), `input` on standard input.
  Outcome Albumctl(const std::string& arguments, const std::string& input = "") {
    const std::string in = (dir_ / "input").string();
    std::ofstream(in) << input;
    const std::string command = std::string(ALBUMCORE_ALBUMCTL) + " " + arguments + " < " + in + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    Outcome outcome{-1, ""};
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) outcome.output.append(buffer, n);
    const int wait = ::pclose(pipe);
    outcome.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
    std::filesystem::remove(in);
    return outcome;
  }
  std::string Count() const { return RawScalar("SELECT count(*) FROM AlbumItems WHERE ItemType = 0"); }
};

const std::string kInsert = "INSERT INTO AlbumItems (ItemType, Name, ItemDataMoniker) VALUES (0, \"a\", \"file::/a\")";

TEST_F(AlbumctlDbTest, APipedScriptStopsAtItsFirstFailureAndRollsBackWhatIsOpen) {
  const auto run = Albumctl("db sql " + path_, kInsert + ";\nBEGIN TRANSACTION;\n" + kInsert +
                                                   ";\nSELECT Nope\n  FROM AlbumItems;\n" + kInsert + ";\nCOMMIT;\n");
  EXPECT_EQ(run.status, kExitFailure) << run.output;
  EXPECT_NE(run.output.find("statement 4 (line 4): "), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("rolled back"), std::string::npos) << run.output;
  EXPECT_EQ(Count(), "1");  // the statement before BEGIN committed by itself

  // A script that leaves its transaction open loses it, and says so.
  const auto open = Albumctl("db sql " + path_ + " --json", "BEGIN;\n" + kInsert + ";\n");
  EXPECT_EQ(open.status, kExitFailure);
  EXPECT_EQ(open.output.rfind("{\"recordsAffected\": 1}\n", 0), 0u) << open.output;
  EXPECT_NE(open.output.find("1 transaction left open at the end of the input, rolled back"), std::string::npos);
  EXPECT_EQ(Count(), "1");

  // Without any ";", one statement per line.
  const auto lines =
      Albumctl("db sql " + path_, "BEGIN\n" + kInsert + "\nCOMMIT\nSELECT count(*) AS N FROM AlbumItems WHERE ItemType = 0\n");
  EXPECT_EQ(lines.status, 0) << lines.output;
  EXPECT_EQ(lines.output, "1 row affected\nN\n-\n2\n(1 row)\n");
}

TEST_F(AlbumctlDbTest, CommandsThatOnlyReadLeaveTheFileByteForByte) {
  const std::string pristine = Bytes();
  for (const char* arguments : {"db version", "db check", "db sql --json", "db query"}) {
    std::string command = std::string(arguments) + " " + path_;
    if (command.find("sql") != std::string::npos) command += " 'SELECT Name FROM MSysQueries'";
    if (command.find("query") != std::string::npos) command += " GetItemRecord -p item_id=-1";
    const auto run = Albumctl(command);
    EXPECT_EQ(run.status, 0) << command << "\n" << run.output;
    EXPECT_EQ(Bytes(), pristine) << command;
    EXPECT_TRUE(SideFiles().empty()) << command;
  }
  EXPECT_EQ(Albumctl("db version " + path_).output, RawScalar("SELECT Version FROM Misc") + "\n");
}

TEST_F(AlbumctlDbTest, FileInfoShowsWhatTheServerReadsFromAFileAndWritesNothing) {
  const std::string image = (dir_ / "Harbour.JPG").string();
  file_system::testing::ImageSpec spec;
  spec.width = 320;
  spec.height = 200;
  spec.dpi = 300;
  ASSERT_TRUE(file_system::testing::WriteImage(image, spec));
  const auto before = std::filesystem::last_write_time(image);

  const auto run = Albumctl("file info " + image + " " + (dir_ / "missing.png").string());
  EXPECT_EQ(run.status, kExitFailure) << run.output;  // one of them cannot be read
  EXPECT_NE(run.output.find(image + "\n  item type   0\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("  image       320 x 200 pixels, 24 bits per pixel, 300 dpi\n"), std::string::npos);
  EXPECT_NE(run.output.find("missing.png\n  cannot be read: 0x80070002"), std::string::npos) << run.output;
  EXPECT_EQ(std::filesystem::last_write_time(image), before);
}

}  // namespace
}  // namespace albumcore::tools::testing
