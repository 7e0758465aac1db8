// The in-process stand-in for an IKivAlbumCoreEvents sink that a client
// exported on its own connection.
//
// Events go out as one-way method calls: the server never waits for a
// client, so a slow or stuck client cannot stall it, and D-Bus keeps the
// calls to one client in the order they were sent. Once the client has left
// the bus every event fails at once with RPC_E_DISCONNECTED.
//
// OnIsAlive answers from what the bus has told us (non-blocking); ProbeAlive
// asks the client for real, asynchronously: a sink that is gone fails, one
// that does not implement the probe counts as alive (E_NOTIMPL).
#pragma once

#include <sdbus-c++/sdbus-c++.h>

#include <memory>

#include "dbus/client_state.h"
#include "dbus/server_binding.h"
#include "typelib/kiv_album_core_events.h"

namespace albumcore::dbus {

com::ComPtr<com::IUnknown>
MakeRemoteAlbumCoreEventsSink(ServerBinding &binding,
                              std::shared_ptr<ClientState> client,
                              const sdbus::ObjectPath &sinkPath);

} // namespace albumcore::dbus
