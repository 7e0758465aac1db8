#include "client/lib_factory.h"

#include "IKivLibFactory_proxy.h"

namespace albumcore::client {

class LibFactory::Proxy final
    : public sdbus::ProxyInterfaces<::com::orvane::KIVALBUMCORELib::IKivLibFactory_proxy> {
 public:
  Proxy(Session& session, const std::string& path) : ProxyInterfaces(session.connection(), session.serverName(), path) {
    registerProxy();
  }
  ~Proxy() { unregisterProxy(); }
};

LibFactory::LibFactory(std::shared_ptr<Session> session) : session_(std::move(session)) {
  com::ThrowIfFailed(session_->CreateInstance("Zeph.TovLibFactory", &object_));
  proxy_ = std::make_unique<Proxy>(*session_, object_->path());
}

LibFactory::~LibFactory() = default;

com::HRESULT LibFactory::RegWriteToLocalMachine(const std::string& keyPath, const std::string& valueName,
                                                const com::Variant& value) {
  auto wire = dbus::EncodeVariant(value, &session_->marshaller());
  return static_cast<com::HRESULT>(
      CallServer(*session_, [&] { return proxy_->RegWriteToLocalMachine(keyPath, valueName, wire); }));
}

com::HRESULT LibFactory::RegReadFromLocalMachine(const std::string& keyPath, const std::string& valueName,
                                                 com::Variant& value) {
  auto wire = dbus::EncodeVariant(value, &session_->marshaller());
  auto [hr, out] =
      CallServer(*session_, [&] { return proxy_->RegReadFromLocalMachine(keyPath, valueName, wire); });
  value = dbus::DecodeVariant(out, &session_->marshaller());
  return static_cast<com::HRESULT>(hr);
}

com::HRESULT LibFactory::PauseWebSharesCleanup(bool pause) {
  return static_cast<com::HRESULT>(CallServer(*session_, [&] { return proxy_->PauseWebSharesCleanup(pause); }));
}

}  // namespace albumcore::client
