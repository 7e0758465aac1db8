// The classes the server creates for clients, with their class IDs and
// ProgIDs. Only the library factory is served so far.
#pragma once

#include "com/class_registry.h"
#include "registry/registry_store.h"

namespace albumcore::server {

struct ServerContext {
  registry::RegistryStore& registry;
};

void RegisterClasses(com::ClassRegistry& classes, ServerContext& context);

}  // namespace albumcore::server
