// The classes the server creates for clients, with their class IDs and
// ProgIDs, and what the process hands every object it creates. Only the
// library factory is served so far.
#pragma once

#include <string>

#include "com/class_registry.h"
#include "server/config/filter_lists.h"
#include "server/config/sql_confinement.h"

namespace albumcore::server {

// Made once at process start, before any object exists; objects read it and
// never change it. Owned by the process entry and outliving every object.
struct ServerContext {
  std::string registryPath;     // the machine hive file
  config::FilterLists filters;  // the named item-type filters
  // How far clients' SQL text reaches; every catalogue engine the server
  // opens gets it as confined limits.
  config::SqlConfinementSettings sql;
};

void RegisterClasses(com::ClassRegistry& classes, const ServerContext& context);

}  // namespace albumcore::server
