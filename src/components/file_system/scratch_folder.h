// The folder of the server's scratch files: the "*.kxsf" and "*.dat" files
// left there are removed after a catalogue is created from its template.
//
// $XDG_CACHE_HOME/albumcore, with XDG_CACHE_HOME defaulting to ~/.cache (a
// relative value is ignored, as the XDG base directory rules say). A service
// account gets the same rule from its own environment. The folder may not
// exist; nothing here creates it.
#pragma once

#include <string>

namespace albumcore::file_system {

// From the process environment.
std::string ScratchFolder();
// From the given values (null when unset); `home` null or empty falls back to
// the password database.
std::string ScratchFolder(const char* cacheHome, const char* home);

}  // namespace albumcore::file_system
