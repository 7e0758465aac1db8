// `albumctl item`: import files into a library, list its items, show one,
// change an item's name, rating or note. Every command names its library
// with --library (or ALBUMCTL_LIBRARY) and opens it for its own run (see
// library_session.h); items are created through the library's own item
// collection, so a `watch` on the library hears each of them.
#pragma once

#include <CLI/CLI.hpp>

#include "library_session.h"

namespace albumcore::tools {

void AddItemCommands(CLI::App& app, const LibrarySession::Connect& connect);

}  // namespace albumcore::tools
