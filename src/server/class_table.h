// The classes the server creates for clients, with their class IDs and
// ProgIDs, and what the process hands every object it creates. Only the
// library factory is served so far.
#pragma once

#include <string>

#include "com/class_registry.h"
#include "server/config/filter_lists.h"

namespace albumcore::server {

// Made once at process start, before any object exists; objects read it and
// never change it. Owned by the process entry and outliving every object.
struct ServerContext {
  std::string registryPath;     // the machine hive file
  config::FilterLists filters;  // the named item-type filters
};

void RegisterClasses(com::ClassRegistry& classes, const ServerContext& context);

}  // namespace albumcore::server
