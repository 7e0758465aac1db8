// `albumctl library`: open, close and describe libraries (catalogue files)
// in the server. See library_session.h for what an open means across runs.
#pragma once

#include <CLI/CLI.hpp>

#include "library_session.h"

namespace albumcore::tools {

void AddLibraryCommands(CLI::App& app, const LibrarySession::Connect& connect);

// "12 345 678 bytes (11.8 MiB)".
std::string SizeText(uint64_t bytes);

}  // namespace albumcore::tools
