#include "registry/registry_path.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace albumcore::registry {

namespace {

bool Usable(const char* value) { return value != nullptr && value[0] != '\0'; }

std::string HomeFromPasswordDatabase() {
  const passwd* entry = ::getpwuid(::getuid());
  return entry != nullptr && Usable(entry->pw_dir) ? entry->pw_dir : "/";
}

}  // namespace

std::string ResolveRegistryPath(RegistryMode mode) {
  return ResolveRegistryPath(mode, [](const char* name) { return std::getenv(name); });
}

std::string ResolveRegistryPath(RegistryMode mode, const EnvironmentLookup& environment) {
  if (const char* explicitPath = environment(kRegistryPathVariable); Usable(explicitPath)) return explicitPath;
  if (mode == RegistryMode::Service) return kServiceRegistryPath;

  std::string configHome;
  if (const char* xdg = environment("XDG_CONFIG_HOME"); Usable(xdg) && xdg[0] == '/') {
    configHome = xdg;
  } else {
    const char* home = environment("HOME");
    configHome = (Usable(home) ? std::string(home) : HomeFromPasswordDatabase()) + "/.config";
  }
  return configHome + "/albumcore/machine.reg";
}

}  // namespace albumcore::registry
