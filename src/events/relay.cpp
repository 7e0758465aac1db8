#include "events/relay.h"

namespace albumcore::events {

Subscription RelayCoreEvents(com::IUnknown* owned, const AlbumCoreEventsSource& owner) {
  auto relay = com::MakeObject<typelib::AlbumCoreEventsRelay>(com::ComPtr<typelib::AlbumCoreEventsPoint>(&owner.coreEvents()));
  return Subscription(owned, typelib::IKivAlbumCoreEvents::kInterfaceName, relay.get());
}

}  // namespace albumcore::events
