// Connection points: how an object announces events to its subscribers.
//
// A source keeps one ConnectionPoint per outgoing interface. Sinks are kept
// in subscription order with their cookies (1, 2, ...). Fire() calls each
// sink in that order on a snapshot of the list, so a sink may unsubscribe
// from inside the call; a failing sink is skipped and the status of the last
// sink called is returned (S_OK with no sinks).
//
// A sink is any object offering the outgoing interface: a plain in-process
// object, or a proxy of the D-Bus binding standing for a client's sink.
// Sinks that can only answer later (a remote client) also offer
// IAsyncLivenessProbe, which ProbeAlive() uses instead of a blocking call.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "com/unknown.h"

namespace albumcore::com {

class IConnectionPoint : public virtual IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IConnectionPoint";
  // Name of the outgoing interface this point serves.
  virtual std::string_view interfaceName() const = 0;
  // CONNECT_E_CANNOTCONNECT when `sink` lacks the interface, E_POINTER for
  // a null sink or cookie.
  virtual HRESULT Advise(IUnknown* sink, uint32_t* cookie) = 0;
  // CONNECT_E_NOCONNECTION for a cookie not (or no longer) subscribed.
  virtual HRESULT Unadvise(uint32_t cookie) = 0;
};

class IConnectionPointContainer : public virtual IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IConnectionPointContainer";
  // E_NOINTERFACE (CONNECT_E_NOCONNECTION in COM's words) when the object
  // sources no such interface.
  virtual HRESULT FindConnectionPoint(std::string_view interfaceName, ComPtr<IConnectionPoint>* point) = 0;
};

// Offered by sinks whose liveness can only be learnt asynchronously. The
// callback runs later on the main thread with the probe's status.
class IAsyncLivenessProbe : public virtual IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IAsyncLivenessProbe";
  virtual void ProbeAlive(std::function<void(HRESULT)> done) = 0;
};

template <class Sink>
class ConnectionPoint final : public ComObject, public IConnectionPoint {
 public:
  std::string_view interfaceName() const override { return Sink::kInterfaceName; }

  HRESULT Advise(IUnknown* sink, uint32_t* cookie) override {
    if (sink == nullptr || cookie == nullptr) return E_POINTER;
    ComPtr<Sink> typed = QueryInterface<Sink>(sink);
    if (!typed) return CONNECT_E_CANNOTCONNECT;
    *cookie = nextCookie_++;
    sinks_.push_back({*cookie, std::move(typed)});
    return S_OK;
  }

  HRESULT Unadvise(uint32_t cookie) override {
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
      if (it->cookie == cookie) {
        sinks_.erase(it);
        return S_OK;
      }
    }
    return CONNECT_E_NOCONNECTION;
  }

  // Calls `call(Sink&)` -> HRESULT on every sink in subscription order.
  template <class Call>
  HRESULT Fire(Call&& call) {
    HRESULT last = S_OK;
    const auto snapshot = sinks_;
    for (const auto& entry : snapshot) {
      last = CallGuard([&] { return call(*entry.sink); });
    }
    return last;
  }

  // The subscribed sinks in order (for liveness probes and tests).
  std::vector<ComPtr<Sink>> Sinks() const {
    std::vector<ComPtr<Sink>> out;
    for (const auto& e : sinks_) out.push_back(e.sink);
    return out;
  }
  size_t size() const noexcept { return sinks_.size(); }

 private:
  struct Entry {
    uint32_t cookie;
    ComPtr<Sink> sink;
  };
  std::vector<Entry> sinks_;
  uint32_t nextCookie_ = 1;
};

}  // namespace albumcore::com
