// The settings component's two keys; the current user's key must be one the
// hive accepts.
#include <gtest/gtest.h>

#include "components/settings/suite_settings.h"
#include "registry/key_names.h"
#include "server/config/config_keys.h"

namespace albumcore::components {
namespace {

TEST(SuiteSettings, ReportsTheRootAndAUsersKeyBelowIt) {
  SuiteSettings settings;
  EXPECT_EQ(settings.SuiteRegistryRoot(), "");
  settings.Initialise("SOFTWARE\\Machine\\", "SOFTWARE\\User\\", "ana");
  EXPECT_EQ(settings.SuiteRegistryRoot(), "SOFTWARE\\Machine\\");
  EXPECT_EQ(settings.PerUserConfigKey(), "SOFTWARE\\User\\Users\\ana");

  const std::string account = CurrentAccountKeyName();
  EXPECT_TRUE(registry::IsValidKeyName(account)) << account;
  settings.Initialise(config::kSuiteRootKey, config::kSuiteRootKey);
  EXPECT_EQ(settings.PerUserConfigKey(), std::string(config::kSuiteRootKey) + "\\Users\\" + account);
}

}  // namespace
}  // namespace albumcore::components
