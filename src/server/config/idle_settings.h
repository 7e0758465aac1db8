// When the server ends by itself, as the administrator set it in the
// machine hive under SOFTWARE\Orvane\Crestkit9\Album (DWORD values, in
// milliseconds):
//
//   IdleTickMs              period of the service's idle tick (default 20000)
//   LocalServerExitDelayMs  how long a local server goes on once no client
//                           holds any of its objects (default 30000)
//
// A value of another type or outside 10 ms to one day is reported on stderr
// and the default used; an unreadable hive gives the defaults. Reading never
// fails.
#pragma once

#include <chrono>

#include "registry/registry_store.h"

namespace albumcore::config {

inline constexpr std::chrono::milliseconds kDefaultIdleTick{20000};
inline constexpr std::chrono::milliseconds kDefaultLocalExitDelay{30000};
inline constexpr std::chrono::milliseconds kShortestIdlePeriod{10};
inline constexpr std::chrono::milliseconds kLongestIdlePeriod{24 * 3600 * 1000};

struct IdleSettings {
  std::chrono::milliseconds tick = kDefaultIdleTick;
  std::chrono::milliseconds localExitDelay = kDefaultLocalExitDelay;
};

IdleSettings ReadIdleSettings(registry::RegistryStore& store);

}  // namespace albumcore::config
