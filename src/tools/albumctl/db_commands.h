// `albumctl db`: offline maintenance of a catalogue file, in process and
// without the server. Runs Jet SQL and stored queries, checks, compacts,
// repairs and reports the version of a file.
#pragma once

#include <CLI/CLI.hpp>

namespace albumcore::tools {

void AddDbCommands(CLI::App& app);

}  // namespace albumcore::tools
