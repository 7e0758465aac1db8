#include "server/config/idle_settings.h"

#include <iostream>

#include "server/config/config_keys.h"

namespace albumcore::config {

namespace {

using registry::RegStatus;

std::chrono::milliseconds ReadPeriod(registry::RegistryStore& store, std::string_view name,
                                     std::chrono::milliseconds fallback) {
  uint32_t ms = 0;
  const RegStatus s = store.ReadDword(kAlbumKey, name, ms);
  if (s == RegStatus::NotFound) return fallback;
  const std::chrono::milliseconds period(ms);
  if (s == RegStatus::Ok && period >= kShortestIdlePeriod && period <= kLongestIdlePeriod) return period;
  std::cerr << "registry value " << kAlbumKey << "\\" << name << " ignored ("
            << (s == RegStatus::Ok          ? std::to_string(ms) + " ms is out of range"
                : s == RegStatus::WrongType ? std::string("not a DWORD")
                                            : std::string(registry::RegStatusName(s)) + ": " + store.lastError())
            << "); using " << fallback.count() << " ms\n";
  return fallback;
}

}  // namespace

IdleSettings ReadIdleSettings(registry::RegistryStore& store) {
  IdleSettings settings;
  settings.tick = ReadPeriod(store, kIdleTickValue, kDefaultIdleTick);
  settings.localExitDelay = ReadPeriod(store, kLocalExitDelayValue, kDefaultLocalExitDelay);
  return settings;
}

}  // namespace albumcore::config
