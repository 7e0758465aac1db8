// Where the machine hive file lives.
//
//   1. $ALBUMCORE_REGISTRY, when set and not empty, in either mode;
//   2. local-server mode: $XDG_CONFIG_HOME/albumcore/machine.reg, with
//      XDG_CONFIG_HOME defaulting to ~/.config (a relative value is ignored,
//      as the XDG base directory rules say);
//   3. service mode: /var/lib/albumcore/machine.reg.
#pragma once

#include <functional>
#include <string>

namespace albumcore::registry {

enum class RegistryMode { LocalServer, Service };

inline constexpr const char* kRegistryPathVariable = "ALBUMCORE_REGISTRY";
inline constexpr const char* kServiceRegistryPath = "/var/lib/albumcore/machine.reg";

// Looks an environment variable up; null when it is not set.
using EnvironmentLookup = std::function<const char*(const char* name)>;

// The path from the process environment.
std::string ResolveRegistryPath(RegistryMode mode);
// The path from the given environment. When neither XDG_CONFIG_HOME nor HOME
// is usable, the home directory comes from the password database.
std::string ResolveRegistryPath(RegistryMode mode, const EnvironmentLookup& environment);

}  // namespace albumcore::registry
