// What the server knows of one client connection: its unique bus name and
// whether it is still on the bus. Shared by everything that talks back to
// the client (its event sinks), so that once the client has left the bus
// they fail at once instead of sending into the void.
#pragma once

#include <string>

namespace albumcore::dbus {

struct ClientState {
  explicit ClientState(std::string uniqueName) : name(std::move(uniqueName)) {}
  const std::string name;
  bool onBus = true;
};

}  // namespace albumcore::dbus
