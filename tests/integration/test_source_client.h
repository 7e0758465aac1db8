// The test interface of the test event server, as a client calls it.
#pragma once

#include "ITestSource_proxy.h"
#include "client/session.h"
#include "com/variant.h"

namespace albumcore::testing {

class TestSource final : public sdbus::ProxyInterfaces<::com::orvane::AlbumCore9Test::ITestSource_proxy> {
 public:
  TestSource(client::Session& session, const com::ComPtr<client::RemoteObject>& object)
      : ProxyInterfaces(session.connection(), session.serverName(), object->path()), session_(session) {
    registerProxy();
  }
  ~TestSource() { unregisterProxy(); }

  // Sends `value` and returns what came back, with the status.
  std::pair<com::HRESULT, com::Variant> RoundTrip(const com::Variant& value, com::HRESULT status = com::S_OK) {
    auto [hr, out] = EchoStatus(static_cast<uint32_t>(status), dbus::EncodeVariant(value, &session_.marshaller()));
    return {static_cast<com::HRESULT>(hr), dbus::DecodeVariant(out, &session_.marshaller())};
  }

 private:
  client::Session& session_;
};

}  // namespace albumcore::testing
