// Offered by the library for the item collection it owns: the one through
// which its items are created and instantiated, whose events the library
// relays. A client that creates items through this collection is heard by
// every sink subscribed to the library, which a collection of its own
// making would not be.
//
// Statuses: E_POINTER for a null out-pointer, E_FAIL while the library is
// not connected. Main loop only.
#pragma once

#include <string_view>

#include "com/unknown.h"

namespace albumcore::typelib {

class IItemCollectionOwner : public virtual com::IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "ItemCollectionOwner";

  virtual com::HRESULT GetItemCollection(com::ComPtr<com::IUnknown>* ppCollection) = 0;
};

}  // namespace albumcore::typelib
