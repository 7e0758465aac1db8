// The in-process stand-in for an _IKivThumbnailGeneratorEvents sink that a
// client exported on its own connection.
//
// ThumbnailReady goes out as a one-way call, as the album core events do. Its
// image is handed to the client with one reference counted for it, which the
// client releases; when the call cannot be sent, that reference is dropped
// again at once, so a client that has gone holds nothing.
#pragma once

#include <sdbus-c++/sdbus-c++.h>

#include <memory>

#include "dbus/client_state.h"
#include "dbus/server_binding.h"

namespace albumcore::dbus {

com::ComPtr<com::IUnknown>
MakeRemoteThumbnailGeneratorEventsSink(ServerBinding &binding,
                                       std::shared_ptr<ClientState> client,
                                       const sdbus::ObjectPath &sinkPath);

} // namespace albumcore::dbus
