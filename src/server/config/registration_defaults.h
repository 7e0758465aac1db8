// The configuration the server's registration command installs in the
// machine hive: the three item-type filters, the media-type table and the
// template catalogue's location.
//
// Defaults own their values and overwrite them; they never delete a value or
// key a person added, and the subkeys they create keep the order of the
// tables below. Running the registration twice gives the same file.
//
// Failure: the store's status (registry_store.h); on failure nothing at all
// is written, since the whole set is one edit of the hive.
#pragma once

#include <string_view>

#include "registry/hive.h"
#include "registry/registry_store.h"

namespace albumcore::config {

// Writes the defaults in one atomic replacement of the hive file.
// `dbLocation` is the template catalogue's folder, `dbName` its file name.
registry::RegStatus WriteRegistrationDefaults(registry::RegistryStore& store, std::string_view dbLocation,
                                              std::string_view dbName);

// The same changes applied to a hive, for callers that combine them with
// other edits inside RegistryStore::Edit.
registry::RegStatus ApplyRegistrationDefaults(registry::Hive& hive, std::string_view dbLocation,
                                              std::string_view dbName);

}  // namespace albumcore::config
