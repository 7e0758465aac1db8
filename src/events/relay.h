// The relay chain: an owner passes on, unchanged and exactly once, every
// IKivAlbumCoreEvents event of each object it owns (item keywords to item,
// item and album to item collection, the collections to the library).
//
// Each link is one Subscription of a relay sink to the owned object's point;
// the sink fires on the owner's point, which it holds, not on the owner, so
// nothing holds the owner in a cycle. An owner keeps the Subscription as
// long as it keeps the object, and so hears each of its events once; a
// client subscribed at the top hears every change once, however many links
// lie between.
#pragma once

#include "events/event_source.h"
#include "events/subscription.h"

namespace albumcore::events {

// Subscribes a relay from `owned`'s IKivAlbumCoreEvents point to `owner`'s.
Subscription RelayCoreEvents(com::IUnknown* owned, const AlbumCoreEventsSource& owner);

// A sink that hands the events it overrides to an owner it points to
// without holding it; the owner calls Detach before it goes, as a firing
// already under way may still hold the sink.
template <class Owner>
class OwnerSink : public typelib::AlbumCoreEventsSink {
 public:
  explicit OwnerSink(Owner* owner) : owner_(owner) {}
  void Detach() noexcept { owner_ = nullptr; }

 protected:
  Owner* owner() const noexcept { return owner_; }

 private:
  Owner* owner_;
};

}  // namespace albumcore::events
