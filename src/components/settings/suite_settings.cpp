#include "components/settings/suite_settings.h"

#include <pwd.h>
#include <unistd.h>

#include <vector>

#include "registry/key_names.h"

namespace albumcore::components {

namespace {

std::string Below(std::string_view parent, std::string_view name) {
  std::string key(parent);
  if (!key.empty() && key.back() != '\\') key += '\\';
  return key.append(name);
}

}  // namespace

void SuiteSettings::Initialise(std::string_view machineRoot, std::string_view userRoot) {
  Initialise(machineRoot, userRoot, CurrentAccountKeyName());
}

void SuiteSettings::Initialise(std::string_view machineRoot, std::string_view userRoot, std::string_view account) {
  machineRoot_ = machineRoot;
  userKey_ = Below(Below(userRoot, kUsersSubkey), account);
}

std::string CurrentAccountKeyName() {
  const uid_t uid = ::geteuid();
  long bufferSize = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(bufferSize > 0 && bufferSize < 65536 ? static_cast<size_t>(bufferSize) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      registry::IsValidKeyName(found->pw_name)) {
    return found->pw_name;
  }
  return std::to_string(uid);
}

}  // namespace albumcore::components
