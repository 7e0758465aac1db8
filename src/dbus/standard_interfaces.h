// Registers the interfaces of the type library that the binding serves and
// the outgoing interfaces whose client sinks it can subscribe.
#pragma once

#include "dbus/server_binding.h"

namespace albumcore::dbus {

void RegisterStandardInterfaces(ServerBinding& binding);

}  // namespace albumcore::dbus
