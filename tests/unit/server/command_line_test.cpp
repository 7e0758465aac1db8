// Switches and options of the server's command line.
#include <gtest/gtest.h>

#include <vector>

#include "server/command_line.h"

namespace albumcore::server {
namespace {

CommandLine Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "orvmediadb9");
  return ParseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(CommandLine, OptionsTakeTheirValueInEitherFormAndOnlyAfterTwoDashes) {
  CommandLine line = Parse({"/Service", "--root", "/srv/stage", "--GROUP=media"});
  EXPECT_EQ(line.action, ServerAction::Service);
  EXPECT_EQ(line.root, "/srv/stage");
  EXPECT_EQ(line.group, "media");
  EXPECT_TRUE(line.unknown.empty());

  // A value may look like a switch; it is still the value.
  EXPECT_EQ(Parse({"/UnregServer", "--root", "/Service"}).action, ServerAction::UnregServer);

  // "/root" is a path, not an option; "-root" neither.
  line = Parse({"/Service", "/root", "-root"});
  EXPECT_EQ(line.unknown, (std::vector<std::string>{"/root", "-root"}));
  EXPECT_FALSE(line.root);

  line = Parse({"/Service", "--group"});
  EXPECT_EQ(line.missingValue, std::vector<std::string>{"--group"});
  EXPECT_EQ(Parse({"--Service"}).action, ServerAction::Service);
}

}  // namespace
}  // namespace albumcore::server
