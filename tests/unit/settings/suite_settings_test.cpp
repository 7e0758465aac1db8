// The settings component's two keys, and a user's key used for real in a
// hive file.
#include <gtest/gtest.h>

#include <unistd.h>

#include "components/settings/suite_settings.h"
#include "registry/key_names.h"
#include "registry/registry_store.h"
#include "server/config/config_keys.h"
#include "temp_dir.h"

namespace albumcore::components {
namespace {

TEST(SuiteSettings, ReportsTheRootAndAUsersKeyBelowIt) {
  SuiteSettings settings;
  EXPECT_EQ(settings.SuiteRegistryRoot(), "");
  settings.Initialise(config::kSuiteRootKey, config::kSuiteRootKey, "ana");
  EXPECT_EQ(settings.SuiteRegistryRoot(), "SOFTWARE\\Orvane\\Crestkit9");
  EXPECT_EQ(settings.PerUserConfigKey(), "SOFTWARE\\Orvane\\Crestkit9\\Users\\ana");
  settings.Initialise("SOFTWARE\\Machine\\", "SOFTWARE\\User\\", "ana");
  EXPECT_EQ(settings.PerUserConfigKey(), "SOFTWARE\\User\\Users\\ana");
}

TEST(SuiteSettings, TheCurrentUserHasAKeyTheHiveAccepts) {
  const std::string account = CurrentAccountKeyName();
  EXPECT_TRUE(registry::IsValidKeyName(account)) << account;
  SuiteSettings settings;
  settings.Initialise(config::kSuiteRootKey, config::kSuiteRootKey);
  EXPECT_EQ(settings.PerUserConfigKey(), std::string(config::kSuiteRootKey) + "\\Users\\" + account);

  testing::TempDir dir;
  registry::RegistryStore store(dir.file("machine.reg"));
  ASSERT_EQ(store.WriteDword(settings.PerUserConfigKey(), "OldDataMigrated", 1), registry::RegStatus::Ok);
  uint32_t migrated = 0;
  ASSERT_EQ(store.ReadDword(settings.PerUserConfigKey(), "OldDataMigrated", migrated), registry::RegStatus::Ok);
  EXPECT_EQ(migrated, 1u);
}

}  // namespace
}  // namespace albumcore::components
