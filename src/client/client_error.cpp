#include "client/client_error.h"

namespace albumcore::client {

void RaiseTransportError(const sdbus::Error& error, const std::string& serverName) {
  const std::string& name = error.getName();
  if (name == "org.freedesktop.DBus.Error.ServiceUnknown" || name == "org.freedesktop.DBus.Error.NameHasNoOwner") {
    throw TransportError("the catalogue server (" + serverName +
                         ") is not running on this bus and could not be started: start `orvmediadb9`, or run "
                         "`orvmediadb9 /RegServer` once so that the bus can start it on demand");
  }
  if (name == "org.freedesktop.DBus.Error.NoReply" || name == "org.freedesktop.DBus.Error.Timeout") {
    throw TransportError("the catalogue server (" + serverName + ") did not answer in time");
  }
  if (name == "org.freedesktop.DBus.Error.Disconnected") {
    throw TransportError("the connection to the bus was lost");
  }
  if (name == "org.freedesktop.DBus.Error.UnknownObject" || name == "org.freedesktop.DBus.Error.UnknownMethod") {
    throw TransportError("the catalogue server no longer knows this object: " + error.getMessage());
  }
  throw TransportError("D-Bus failure (" + name + "): " + error.getMessage());
}

}  // namespace albumcore::client
