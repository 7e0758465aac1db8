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

com::HRESULT LibFactory::Open(const std::string& path, com::ComPtr<RemoteObject>* library) {
  auto [hr, object] = CallServer(*session_, [&] { return proxy_->Open(path); });
  // The reply counted a reference for this client, even with a failure.
  com::ComPtr<RemoteObject> held = object == "/" ? nullptr : session_->Adopt(object);
  if (library != nullptr) *library = std::move(held);
  return static_cast<com::HRESULT>(hr);
}

com::HRESULT LibFactory::Close(const std::string& path) {
  return static_cast<com::HRESULT>(CallServer(*session_, [&] { return proxy_->Close(path); }));
}

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
