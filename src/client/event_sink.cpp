#include "client/event_sink.h"

#include "IConnectionPointContainer_proxy.h"
#include "client/client_error.h"

namespace albumcore::client {

using com::HRESULT;
using typelib::IKivAlbumCoreEvents;

namespace {

constexpr const char* kEventsInterface = "com.orvane.KIVALBUMCORELib.IKivAlbumCoreEvents";

// The wire form of each parameter type of the events interface.
template <class P> struct Wire { using type = std::decay_t<P>; };
template <> struct Wire<const com::Bstr&> { using type = std::string; };
template <> struct Wire<const com::Variant&> { using type = dbus::WireVariant; };
template <> struct Wire<const com::Variant*> { using type = dbus::WireVariant; };

template <class P>
struct FromWire {
  static std::decay_t<P> Convert(const typename Wire<P>::type& v) { return v; }
};
template <> struct FromWire<const com::Bstr&> {
  static com::Bstr Convert(const std::string& v) { return com::Bstr(v); }
};
template <> struct FromWire<const com::Variant&> {
  static com::Variant Convert(const dbus::WireVariant& v) { return dbus::DecodeVariant(v, nullptr); }
};

// Pointer parameters need storage that lives through the call.
template <class P>
decltype(auto) Pass(const typename Wire<P>::type& v, std::optional<com::Variant>& storage) {
  if constexpr (std::is_same_v<P, const com::Variant*>) {
    storage = dbus::DecodeVariant(v, nullptr);
    return static_cast<const com::Variant*>(&*storage);
  } else {
    return FromWire<P>::Convert(v);
  }
}

template <class... P>
void RegisterEvent(sdbus::IObject& object, const char* name, const com::ComPtr<IKivAlbumCoreEvents>& handler,
                   HRESULT (IKivAlbumCoreEvents::*method)(P...)) {
  object.registerMethod(name)
      .onInterface(kEventsInterface)
      .implementedAs([handler, method](const typename Wire<P>::type&... args) {
        std::optional<com::Variant> storage;
        com::CallGuard([&] { return ((*handler).*method)(Pass<P>(args, storage)...); });
      })
      .withNoReply();
}

}  // namespace

EventSink::EventSink(Session& session, com::ComPtr<IKivAlbumCoreEvents> handler)
    : path_(session.NewLocalPath("sinks")), handler_(std::move(handler)) {
  object_ = sdbus::createObject(session.connection(), path_);
#define KIV_REGISTER_EVENT(name, params, args) RegisterEvent(*object_, #name, handler_, &IKivAlbumCoreEvents::name);
  KIV_ALBUM_CORE_EVENTS_ONE_WAY(KIV_REGISTER_EVENT)
#undef KIV_REGISTER_EVENT
  object_->registerMethod("OnIsAlive").onInterface(kEventsInterface).implementedAs([h = handler_]() {
    return static_cast<uint32_t>(com::CallGuard([&] { return h->OnIsAlive(); }));
  });
  object_->finishRegistration();
  session.EnsureEventLoop();
}

EventSink::~EventSink() { object_->unregister(); }

namespace {

class Container final : public sdbus::ProxyInterfaces<::com::orvane::KIVALBUMCORELib::IConnectionPointContainer_proxy> {
 public:
  Container(Session& session, const std::string& path)
      : ProxyInterfaces(session.connection(), session.serverName(), path) {
    registerProxy();
  }
  ~Container() { unregisterProxy(); }
};

}  // namespace

Subscription::Subscription(const com::ComPtr<RemoteObject>& source, const std::string& sinkPath,
                           std::string interfaceName)
    : source_(source), interfaceName_(std::move(interfaceName)) {
  auto [hr, cookie] = CallServer(source_->session(), [&] {
    Container container(source_->session(), source_->path());
    return container.Advise(interfaceName_, sdbus::ObjectPath(sinkPath));
  });
  status_ = static_cast<HRESULT>(hr);
  cookie_ = cookie;
}

HRESULT Subscription::Unadvise() {
  if (com::Failed(status_) || cookie_ == 0) return com::CONNECT_E_NOCONNECTION;
  const uint32_t cookie = std::exchange(cookie_, 0);
  return static_cast<HRESULT>(CallServer(source_->session(), [&] {
    Container container(source_->session(), source_->path());
    return container.Unadvise(interfaceName_, cookie);
  }));
}

Subscription::~Subscription() {
  try {
    if (cookie_ != 0) Unadvise();
  } catch (const TransportError&) {
    // The server is gone; so is the subscription.
  }
}

}  // namespace albumcore::client
