// `albumctl reg`: read and write values of the machine registry through
// the server's library factory.
//
// The factory answers every failure with S_FALSE alone. After such an
// answer albumctl looks at the registry file itself (the one the server
// uses: ALBUMCORE_REGISTRY, else the XDG default) without writing it, and
// tells the real cause: a missing value, a value of the other type, a name or
// value past the registry's limits, a malformed file with its line, a file
// that cannot be read or written.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <memory>

#include "client/session.h"
#include "exit_status.h"

namespace albumcore::tools {

void AddRegCommands(CLI::App& app, std::function<std::shared_ptr<client::Session>()> connect);

}  // namespace albumcore::tools
