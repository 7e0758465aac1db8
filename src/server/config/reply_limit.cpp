#include "server/config/reply_limit.h"

#include <iostream>
#include <string>

#include "dbus/reply_size.h"
#include "server/config/config_keys.h"

namespace albumcore::config {

size_t ReadMaxReplyBytes(registry::RegistryStore& store) {
  uint32_t bytes = 0;
  const registry::RegStatus s = store.ReadDword(kAlbumKey, kMaxReplyBytesValue, bytes);
  if (s == registry::RegStatus::NotFound) return dbus::kDefaultMaxReplyBytes;
  if (s == registry::RegStatus::Ok && bytes >= kSmallestReplyLimit && bytes <= dbus::kProtocolMaxMessageBytes)
    return bytes;
  std::cerr << "registry value " << kAlbumKey << "\\" << kMaxReplyBytesValue << " ignored ("
            << (s == registry::RegStatus::Ok          ? std::to_string(bytes) + " bytes is out of range"
                : s == registry::RegStatus::WrongType ? std::string("not a DWORD")
                                                      : std::string(registry::RegStatusName(s)) + ": " + store.lastError())
            << "); using " << dbus::kDefaultMaxReplyBytes << " bytes\n";
  return dbus::kDefaultMaxReplyBytes;
}

}  // namespace albumcore::config
