#include <gtest/gtest.h>

#include <map>

#include "registry/registry_path.h"

namespace albumcore::registry {
namespace {

std::string Resolve(RegistryMode mode, std::map<std::string, std::string> env) {
  return ResolveRegistryPath(mode, [&](const char* name) -> const char* {
    auto it = env.find(name);
    return it == env.end() ? nullptr : it->second.c_str();
  });
}

TEST(RegistryPath, ExplicitVariableWinsInBothModes) {
  std::map<std::string, std::string> env = {{"ALBUMCORE_REGISTRY", "/srv/hive.reg"}, {"XDG_CONFIG_HOME", "/x"}};
  EXPECT_EQ(Resolve(RegistryMode::LocalServer, env), "/srv/hive.reg");
  EXPECT_EQ(Resolve(RegistryMode::Service, env), "/srv/hive.reg");
}

TEST(RegistryPath, Defaults) {
  EXPECT_EQ(Resolve(RegistryMode::Service, {{"HOME", "/home/ana"}}), "/var/lib/albumcore/machine.reg");
  EXPECT_EQ(Resolve(RegistryMode::LocalServer, {{"XDG_CONFIG_HOME", "/cfg"}, {"HOME", "/home/ana"}}),
            "/cfg/albumcore/machine.reg");
  // Empty or relative XDG_CONFIG_HOME and an empty override are ignored.
  EXPECT_EQ(Resolve(RegistryMode::LocalServer,
                    {{"ALBUMCORE_REGISTRY", ""}, {"XDG_CONFIG_HOME", "rel"}, {"HOME", "/home/ana"}}),
            "/home/ana/.config/albumcore/machine.reg");
  EXPECT_EQ(Resolve(RegistryMode::LocalServer, {{"XDG_CONFIG_HOME", ""}, {"HOME", "/home/ana"}}),
            "/home/ana/.config/albumcore/machine.reg");
}

}  // namespace
}  // namespace albumcore::registry
