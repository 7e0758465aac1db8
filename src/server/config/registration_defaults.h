// The configuration the server's registration command installs in the
// machine hive: the three item-type filters, the media-type table, the node
// plug-ins of the view tree, the template catalogue's location and the
// resource root of the string files.
//
// Defaults own their values and overwrite them; they never delete a value or
// key a person added, and the subkeys they create keep the order of the
// tables below. Running the registration twice gives the same file.
// Unregistration removes them again as owned entries (owned_entries.h): the
// values, and the keys left empty.
//
// Failure: the store's status (registry_store.h); on failure nothing at all
// is written, since the whole set is one edit of the hive.
#pragma once

#include <string>
#include <string_view>

#include "registry/hive.h"
#include "registry/registry_store.h"
#include "server/config/owned_entries.h"

namespace albumcore::config {

// Where the installed server keeps its data files.
struct InstallLocations {
  std::string templateFolder;  // the template catalogue's folder
  std::string templateName;    // its file name
  std::string resourceRoot;    // the folder of the per-language string folders
};

// The defaults as owned entries: what registration writes and
// unregistration removes. The install locations do not matter for removal.
OwnedEntries RegistrationDefaults(const InstallLocations& install);

// Writes the defaults in one atomic replacement of the hive file.
registry::RegStatus WriteRegistrationDefaults(registry::RegistryStore& store, const InstallLocations& install);

// The same changes applied to a hive, for callers that combine them with
// other edits inside RegistryStore::Edit.
registry::RegStatus ApplyRegistrationDefaults(registry::Hive& hive, const InstallLocations& install);

}  // namespace albumcore::config
