#include "dbus/remote_thumbnail_generator_events.h"

#include "IKivThumbnailGeneratorEvents_proxy.h"
#include "typelib/kiv_thumbnail_generator.h"

namespace albumcore::dbus {

using com::HRESULT;

namespace {

using GeneratedProxy =
    ::com::orvane::KIVALBUMCORELib::IKivThumbnailGeneratorEvents_proxy;

class RemoteSink final : public com::ComObject,
                         public typelib::IKivThumbnailGeneratorEvents,
                         private GeneratedProxy {
public:
  RemoteSink(ServerBinding &binding, std::unique_ptr<sdbus::IProxy> proxy,
             std::shared_ptr<ClientState> client)
      : GeneratedProxy(*proxy), binding_(binding), proxy_(std::move(proxy)),
        client_(std::move(client)) {}

  HRESULT ThumbnailReady(int32_t lID, const com::Bstr &Moniker,
                         com::IUnknown *pImage) override {
    if (!client_->onBus)
      return com::RPC_E_DISCONNECTED;
    const sdbus::ObjectPath image =
        binding_.HandOut(com::ComPtr<com::IUnknown>(pImage), client_->name);
    try {
      GeneratedProxy::ThumbnailReady(lID, Moniker.str(), image);
      return com::S_OK;
    } catch (const sdbus::Error &) {
      if (pImage != nullptr)
        binding_.Release(image, client_->name);
      return com::RPC_E_DISCONNECTED;
    }
  }

private:
  ServerBinding &binding_;
  std::unique_ptr<sdbus::IProxy> proxy_;
  std::shared_ptr<ClientState> client_;
};

} // namespace

com::ComPtr<com::IUnknown>
MakeRemoteThumbnailGeneratorEventsSink(ServerBinding &binding,
                                       std::shared_ptr<ClientState> client,
                                       const sdbus::ObjectPath &sinkPath) {
  auto proxy = sdbus::createProxy(binding.connection(), client->name, sinkPath);
  return com::MakeObject<RemoteSink>(binding, std::move(proxy),
                                     std::move(client));
}

} // namespace albumcore::dbus
