// IKivAlbumSpecificEvents: the item collection tells the albums it made that
// an item is gone, so that each album drops it from its membership.
#pragma once

#include <cstdint>

#include "com/connection_point.h"

namespace albumcore::typelib {

class IKivAlbumSpecificEvents : public virtual com::IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IKivAlbumSpecificEvents";
  virtual com::HRESULT ItemDestroyed(int32_t lItemID) = 0;
};

using AlbumSpecificEventsPoint = com::ConnectionPoint<IKivAlbumSpecificEvents>;

}  // namespace albumcore::typelib
