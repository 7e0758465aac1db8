// The settings component: where the suite keeps its configuration in the
// registry. The machine root holds the shared settings ("\Album" with the
// template location); the per-user key holds what belongs to one user
// account ("OldDataMigrated").
//
// The registry here is one hive file, so a user's key is a key of that
// hive: "<user root>\Users\<account>", the account being the user's login
// name, or the numeric user ID when the name cannot be a key name.
//
// Both keys are empty until Initialise; the class does no I/O of its own.
#pragma once

#include <string>
#include <string_view>

namespace albumcore::components {

inline constexpr std::string_view kSettingsClsid = "{08EF3A64-175D-466B-BF12-0C69633C5F83}";
inline constexpr std::string_view kUsersSubkey = "Users";

class SuiteSettings {
 public:
  // The machine root and the root below which users' keys lie, both
  // relative to the hive's root; the server passes its suite root for both.
  void Initialise(std::string_view machineRoot, std::string_view userRoot);
  // As above for a given account (tests; a server impersonating a client).
  void Initialise(std::string_view machineRoot, std::string_view userRoot, std::string_view account);

  const std::string& SuiteRegistryRoot() const noexcept { return machineRoot_; }
  const std::string& PerUserConfigKey() const noexcept { return userKey_; }

 private:
  std::string machineRoot_;
  std::string userKey_;
};

// The account name of the process's effective user, or its numeric ID when
// the name is unknown or cannot be a key name.
std::string CurrentAccountKeyName();

}  // namespace albumcore::components
