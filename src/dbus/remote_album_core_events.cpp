#include "dbus/remote_album_core_events.h"

#include <chrono>

#include "IKivAlbumCoreEvents_proxy.h"
#include "dbus/variant_codec.h"

namespace albumcore::dbus {

using com::HRESULT;

namespace {

using GeneratedProxy = ::com::orvane::KIVALBUMCORELib::IKivAlbumCoreEvents_proxy;

constexpr auto kProbeTimeout = std::chrono::seconds(10);

// Arguments as the generated proxy takes them.
inline int32_t ToWire(int32_t v) { return v; }
inline uint32_t ToWire(uint32_t v) { return v; }
inline const std::string& ToWire(const com::Bstr& s) { return s.str(); }
inline WireVariant ToWire(const com::Variant& v) { return EncodeVariant(v, nullptr); }
inline WireVariant ToWire(const com::Variant* v) { return EncodeVariant(v ? *v : com::Variant(), nullptr); }

HRESULT ProbeStatus(const sdbus::Error* error, uint32_t answer) {
  if (error == nullptr) return static_cast<HRESULT>(answer);
  const std::string& name = error->getName();
  if (name == "org.freedesktop.DBus.Error.UnknownMethod" || name == "org.freedesktop.DBus.Error.UnknownObject" ||
      name == "org.freedesktop.DBus.Error.UnknownInterface") {
    return com::E_NOTIMPL;
  }
  return com::RPC_E_DISCONNECTED;
}

class RemoteSink final : public com::ComObject,
                         public typelib::IKivAlbumCoreEvents,
                         public com::IAsyncLivenessProbe,
                         private GeneratedProxy {
 public:
  RemoteSink(std::unique_ptr<sdbus::IProxy> proxy, std::shared_ptr<ClientState> client)
      : GeneratedProxy(*proxy), proxy_(std::move(proxy)), client_(std::move(client)) {}

#define KIV_SEND_EVENT(name, params, args) \
  HRESULT name params override { return Send([&] { CallGenerated(&GeneratedProxy::name KIV_ARGS_TAIL args); }); }
#define KIV_ARGS_TAIL(...) __VA_OPT__(, ) __VA_ARGS__
  KIV_ALBUM_CORE_EVENTS_ONE_WAY(KIV_SEND_EVENT)
#undef KIV_SEND_EVENT
#undef KIV_ARGS_TAIL

  HRESULT OnIsAlive() override { return client_->onBus ? com::S_OK : com::RPC_E_DISCONNECTED; }

  void ProbeAlive(std::function<void(HRESULT)> done) override {
    if (!client_->onBus) {
      done(com::RPC_E_DISCONNECTED);
      return;
    }
    try {
      proxy_->callMethodAsync("OnIsAlive")
          .onInterface(INTERFACE_NAME)
          .withTimeout(kProbeTimeout)
          .uponReplyInvoke([done](const sdbus::Error* error, uint32_t answer) { done(ProbeStatus(error, answer)); });
    } catch (const sdbus::Error&) {
      done(com::RPC_E_DISCONNECTED);
    }
  }

 private:
  template <class Method, class... Args>
  void CallGenerated(Method method, const Args&... args) {
    (static_cast<GeneratedProxy&>(*this).*method)(ToWire(args)...);
  }

  template <class Body>
  HRESULT Send(Body&& body) {
    if (!client_->onBus) return com::RPC_E_DISCONNECTED;
    try {
      body();
      return com::S_OK;
    } catch (const sdbus::Error&) {
      return com::RPC_E_DISCONNECTED;
    } catch (const com::ComError& e) {
      return e.hr();
    }
  }

  std::unique_ptr<sdbus::IProxy> proxy_;
  std::shared_ptr<ClientState> client_;
};

}  // namespace

com::ComPtr<com::IUnknown> MakeRemoteAlbumCoreEventsSink(ServerBinding& binding,
                                                         std::shared_ptr<ClientState> client,
                                                         const sdbus::ObjectPath& sinkPath) {
  auto proxy = sdbus::createProxy(binding.connection(), client->name, sinkPath);
  return com::MakeObject<RemoteSink>(std::move(proxy), std::move(client));
}

}  // namespace albumcore::dbus
