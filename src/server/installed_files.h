// Files the registration switches install for the bus and the service
// manager: written whole or not at all, and removed again.
#pragma once

#include <string>

namespace albumcore::server {

// Writes `text` to `path` with mode 0644 through a sibling that is flushed
// and renamed over it, creating missing folders; false with `error` set
// when it cannot.
bool WriteFileAtomically(const std::string& path, const std::string& text, std::string* error);
// Removes `path`; a file that is not there is no failure.
bool RemoveInstalledFile(const std::string& path, std::string* error);

}  // namespace albumcore::server
