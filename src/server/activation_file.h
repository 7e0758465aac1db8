// The D-Bus activation file that lets the session bus start the server on
// demand: $XDG_DATA_HOME/dbus-1/services/<bus name>.service.
#pragma once

#include <string>

namespace albumcore::server {

// Path of the activation file for the current user.
std::string ActivationFilePath(const std::string& busName);
// Writes it atomically, naming `executable` (an absolute path).
bool InstallActivationFile(const std::string& busName, const std::string& executable, std::string* error);
bool RemoveActivationFile(const std::string& busName, std::string* error);

}  // namespace albumcore::server
