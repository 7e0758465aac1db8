// What every object that announces catalogue changes has: a connection
// point container with one point per outgoing interface, the point of
// IKivAlbumCoreEvents among them.
//
// A class derives from com::ComObject, its interfaces and AlbumCoreEventsSource,
// and calls FireCoreEvent after the change it describes is written. Owners
// pass the events of what they own on through a Relay (relay.h).
#pragma once

#include <string_view>
#include <utility>
#include <vector>

#include "com/connection_point.h"
#include "typelib/kiv_album_core_events.h"

namespace albumcore::events {

class EventSource : public virtual com::IConnectionPointContainer {
 public:
  com::HRESULT FindConnectionPoint(std::string_view interfaceName, com::ComPtr<com::IConnectionPoint>* point) override;

 protected:
  EventSource() = default;
  // Called from the constructor of each source, once per interface.
  void AddConnectionPoint(com::ComPtr<com::IConnectionPoint> point) { points_.push_back(std::move(point)); }

 private:
  std::vector<com::ComPtr<com::IConnectionPoint>> points_;
};

class AlbumCoreEventsSource : public EventSource {
 public:
  typelib::AlbumCoreEventsPoint& coreEvents() const noexcept { return *coreEvents_; }

 protected:
  AlbumCoreEventsSource() : coreEvents_(com::MakeObject<typelib::AlbumCoreEventsPoint>()) {
    AddConnectionPoint(coreEvents_);
  }

  // `call(IKivAlbumCoreEvents&)` on every sink, in subscription order; the
  // sinks' failures are theirs: the change stands and the caller's status
  // is its own.
  template <class Call>
  void FireCoreEvent(Call&& call) {
    coreEvents_->Fire(std::forward<Call>(call));
  }

 private:
  com::ComPtr<typelib::AlbumCoreEventsPoint> coreEvents_;
};

}  // namespace albumcore::events
