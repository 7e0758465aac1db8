// The server's command line: switches introduced by "-" or "/", compared
// without regard to case. The last registration switch wins; anything else
// is reported as unknown.
#pragma once

#include <string>
#include <vector>

namespace albumcore::server {

enum class ServerAction { Run, RegServer, UnregServer, Service, Help };

struct CommandLine {
  ServerAction action = ServerAction::Run;
  std::vector<std::string> unknown;
};

CommandLine ParseCommandLine(int argc, const char* const* argv);

}  // namespace albumcore::server
