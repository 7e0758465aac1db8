// `albumctl album`: show the album tree and an album's items, make, rename
// and move albums, put items in and take them out, empty the bin. Every
// command names its library with --library (or ALBUMCTL_LIBRARY) and opens
// it for its own run (see library_session.h); an album is named by its ID,
// its name or its path of names (album_tree.h).
#pragma once

#include <CLI/CLI.hpp>

#include "library_session.h"

namespace albumcore::tools {

void AddAlbumCommands(CLI::App& app, const LibrarySession::Connect& connect);

}  // namespace albumcore::tools
