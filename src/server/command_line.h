// The server's command line: switches introduced by "-" or "/", compared
// without regard to case. At most one action may be asked for (a switch may
// be repeated); anything else is reported, for a usage message.
//
// Options take a value ("--root DIR" or "--root=DIR") and are introduced by
// "--" only, so that a path is never read as one:
//   --root DIR     where /Service and /UnregServer put and look for the
//                  service's files (default "/")
//   --group NAME   the group whose members may call the service (/Service)
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace albumcore::server {

enum class ServerAction { Run, RegServer, UnregServer, Service, Help };

struct CommandLine {
  ServerAction action = ServerAction::Run;
  std::optional<std::string> root;
  std::optional<std::string> group;
  std::vector<std::string> unknown;        // tokens that are no switch of ours
  std::vector<std::string> conflicting;    // switches asking for a second, different action
  std::vector<std::string> missingValue;   // options given without their value
};

CommandLine ParseCommandLine(int argc, const char* const* argv);

}  // namespace albumcore::server
