// The three named item-type filters, read once at process start from the
// machine hive and then used as constants wherever a listing is filtered by
// name.
//
// Each list is the names of the subkeys of "...\Album\Filters\<filter name>"
// in their stored order, joined by "," ("1,4,7,17"). A missing key, an
// unreadable or malformed hive gives an empty list: no registry failure stops
// the server, but the cause of one is handed back for the log. Subkey names
// longer than 10 characters cannot be item types and are skipped.
#pragma once

#include <string>
#include <string_view>

#include "registry/registry_store.h"

namespace albumcore::config {

inline constexpr size_t kMaxFilterItemNameUnits = 10;

struct FilterLists {
  std::string all;       // NAX_FILTER_ALL
  std::string projects;  // NAX_FILTER_PROJECTS
  std::string items;     // NAX_FILTER_ITEMS

  // The list of a filter name (compared exactly), or null for another name.
  const std::string* Find(std::string_view filterName) const;
};

// `problem`, when given, receives why the hive could not be read (empty when
// it could, missing keys included).
FilterLists LoadFilterLists(registry::RegistryStore& store, std::string* problem = nullptr);

}  // namespace albumcore::config
