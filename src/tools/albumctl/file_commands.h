// `albumctl file info PATH...`: what the server learns from a media file,
// read the way it reads it (the file-system component, in process): the
// item type its extension gives, its size and times, the image header's
// dimensions, resolution and depth, and the identifier attached to it.
// Nothing is written to the file.
#pragma once

#include <CLI/CLI.hpp>

namespace albumcore::tools {

void AddFileCommands(CLI::App& app);

}  // namespace albumcore::tools
