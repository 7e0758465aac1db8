// Subscription of client sinks to an object's events.
#pragma once

#include "IConnectionPointContainer_adaptor.h"
#include "dbus/server_binding.h"

namespace albumcore::dbus {

class ConnectionPointStub final : public Stub,
                                  public ::com::orvane::KIVALBUMCORELib::IConnectionPointContainer_adaptor {
 public:
  ConnectionPointStub(sdbus::IObject& object, ServerBinding& binding,
                      com::ComPtr<com::IConnectionPointContainer> target)
      : Stub(object, binding), IConnectionPointContainer_adaptor(object), target_(std::move(target)) {}

 private:
  std::tuple<uint32_t, uint32_t> Advise(const std::string& interfaceName, const sdbus::ObjectPath& sink) override {
    uint32_t cookie = 0;
    const com::HRESULT hr = com::CallGuard(
        [&] { return binding_.Advise(com::ComPtr<com::IUnknown>(target_), interfaceName, sink, Caller(), &cookie); });
    return {Wire(hr), cookie};
  }
  uint32_t Unadvise(const std::string& interfaceName, const uint32_t& cookie) override {
    return Wire(com::CallGuard(
        [&] { return binding_.Unadvise(com::ComPtr<com::IUnknown>(target_), interfaceName, cookie, Caller()); }));
  }

  com::ComPtr<com::IConnectionPointContainer> target_;
};

}  // namespace albumcore::dbus
