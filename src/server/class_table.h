// The classes the server creates for clients, with their class IDs and
// ProgIDs, and what the process hands every object it creates. Clients
// create the library factory; libraries and what they own come from it.
#pragma once

#include <functional>
#include <string>

#include "com/class_registry.h"
#include "components/file_system/file_system_component.h"
#include "components/settings/suite_settings.h"
#include "components/string_table/string_table.h"
#include "server/config/filter_lists.h"
#include "server/config/server_settings.h"
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
  // Paths and names from the registry: template catalogue, resource root,
  // language, sample folders.
  config::ServerSettings settings;
  // The suite's registry root and the user's key (the settings component).
  components::SuiteSettings suite;
  // Display texts of the installed language, loaded at start; owned by the
  // process entry. Never null once the server serves.
  const components::StringTable* strings = nullptr;
  // The file-system component, one for the process; owned by the process
  // entry. Never null once the server serves.
  const file_system::FileSystemComponent* files = nullptr;
  // Runs a job that takes long (the compaction of a closed catalogue) off
  // the main loop; null: at once.
  std::function<void(std::function<void()>)> runLong;
};

void RegisterClasses(com::ClassRegistry& classes, const ServerContext& context);

}  // namespace albumcore::server
