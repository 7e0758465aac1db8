// The largest reply the server sends, as the administrator set it in the
// machine hive: DWORD MaxReplyBytes under SOFTWARE\Orvane\Crestkit9\Album.
// Absent, the bus daemon's default for a message on a system bus. A bus
// configured for larger messages may be matched up to the protocol's own
// limit; a value outside 64 KiB to that limit, or of another type, is
// reported on stderr and the default used. Reading never fails.
#pragma once

#include <cstddef>

#include "registry/registry_store.h"

namespace albumcore::config {

inline constexpr size_t kSmallestReplyLimit = size_t{64} << 10;

size_t ReadMaxReplyBytes(registry::RegistryStore& store);

}  // namespace albumcore::config
