// The server's command line: switches introduced by "-" or "/", compared
// without regard to case. At most one action may be asked for (a switch may
// be repeated); anything else is reported, for a usage message.
#pragma once

#include <string>
#include <vector>

namespace albumcore::server {

enum class ServerAction { Run, RegServer, UnregServer, Service, Help };

struct CommandLine {
  ServerAction action = ServerAction::Run;
  std::vector<std::string> unknown;      // tokens that are no switch of ours
  std::vector<std::string> conflicting;  // switches asking for a second, different action
};

CommandLine ParseCommandLine(int argc, const char* const* argv);

}  // namespace albumcore::server
