// One sink subscribed to one connection point of a source, for as long as
// the Subscription lives: it unsubscribes when reset, moved over or
// destroyed. Owners keep one per object they listen to, so a source is
// never listened to twice by the same owner.
#pragma once

#include <cstdint>
#include <string_view>

#include "com/connection_point.h"

namespace albumcore::events {

class Subscription {
 public:
  Subscription() = default;
  // Subscribes `sink` to the point of `interfaceName` of `source`; raises
  // the source's status when it has no such point or refuses the sink.
  Subscription(com::IUnknown* source, std::string_view interfaceName, com::IUnknown* sink);
  ~Subscription() { reset(); }
  Subscription(Subscription&& other) noexcept;
  Subscription& operator=(Subscription&& other) noexcept;
  Subscription(const Subscription&) = delete;
  Subscription& operator=(const Subscription&) = delete;

  void reset() noexcept;
  explicit operator bool() const noexcept { return static_cast<bool>(point_); }

 private:
  com::ComPtr<com::IConnectionPoint> point_;
  uint32_t cookie_ = 0;
};

}  // namespace albumcore::events
