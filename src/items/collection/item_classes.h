// Which class an item object gets: the machine's media-type table names an
// item class per item type (kItemObjectClsidValue under the type's subkey
// of kFileMediaTypesKey). The table is read once per process (per hive
// file) when the first collection connects; a type without a class, or
// with the all-zero one, gets the photo item.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "com/unknown.h"
#include "items/item/item_services.h"
#include "items/item/lum_item.h"

namespace albumcore::items {

class ItemClasses {
 public:
  // The table of the hive at `registryPath`, read on the first call for it.
  // What cannot be read is reported on stderr and left out.
  static const ItemClasses& Of(const std::string& registryPath);

  // The class ID registered for `type`; empty for the default class.
  const std::string& ClassOf(int32_t type) const;
  size_t size() const noexcept { return classes_.size(); }

 private:
  std::map<int32_t, std::string> classes_;
};

// A new, unconnected item object of class `classId` (empty or all-zero: the
// photo item). REGDB_E_CLASSNOTREG (raised) for a class this server does
// not have.
com::ComPtr<LumItem> MakeItemObject(const std::string& classId, const ItemServices& services);

}  // namespace albumcore::items
