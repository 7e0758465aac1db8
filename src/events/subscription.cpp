#include "events/subscription.h"

#include <cstdio>
#include <utility>

namespace albumcore::events {

Subscription::Subscription(com::IUnknown* source, std::string_view interfaceName, com::IUnknown* sink) {
  auto container = com::QueryInterface<com::IConnectionPointContainer>(source);
  if (!container) throw com::ComError(com::E_NOINTERFACE, "the object sources no events");
  com::ComPtr<com::IConnectionPoint> point;
  com::ThrowIfFailed(container->FindConnectionPoint(interfaceName, &point));
  com::ThrowIfFailed(point->Advise(sink, &cookie_));
  point_ = std::move(point);
}

Subscription::Subscription(Subscription&& other) noexcept
    : point_(std::move(other.point_)), cookie_(std::exchange(other.cookie_, 0)) {}

Subscription& Subscription::operator=(Subscription&& other) noexcept {
  if (this != &other) {
    reset();
    point_ = std::move(other.point_);
    cookie_ = std::exchange(other.cookie_, 0);
  }
  return *this;
}

void Subscription::reset() noexcept {
  if (auto point = std::move(point_)) {
    if (com::Failed(point->Unadvise(cookie_)))
      std::fprintf(stderr, "events: subscription %u to %.*s was already gone\n", cookie_,
                   static_cast<int>(point->interfaceName().size()), point->interfaceName().data());
  }
  cookie_ = 0;
}

}  // namespace albumcore::events
