// `albumctl watch --library PATH`: prints every change to a library as the
// server announces it, one line per event, until interrupted (Ctrl-C,
// SIGTERM) or the server goes away.
#pragma once

#include <CLI/CLI.hpp>

#include "library_session.h"

namespace albumcore::tools {

void AddWatchCommand(CLI::App& app, const LibrarySession::Connect& connect);

}  // namespace albumcore::tools
