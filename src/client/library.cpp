#include "client/library.h"

#include "IKivLibrary_proxy.h"
#include "ItemCollectionOwner_proxy.h"

namespace albumcore::client {

class Library::Proxy final
    : public sdbus::ProxyInterfaces<::com::orvane::KIVALBUMCORELib::IKivLibrary_proxy,
                                    ::com::orvane::AlbumCore9::ItemCollectionOwner_proxy> {
 public:
  Proxy(Session& session, const std::string& path) : ProxyInterfaces(session.connection(), session.serverName(), path) {
    registerProxy();
  }
  ~Proxy() { unregisterProxy(); }
};

Library::Library(std::shared_ptr<Session> session, com::ComPtr<RemoteObject> object)
    : session_(std::move(session)),
      object_(std::move(object)),
      proxy_(std::make_unique<Proxy>(*session_, object_->path())) {}

Library::~Library() = default;

namespace {

// An object reply: the status, and the object adopted when there is one.
com::HRESULT Adopted(Session& session, const std::tuple<uint32_t, sdbus::ObjectPath>& reply,
                     com::ComPtr<RemoteObject>& object) {
  object = session.Adopt(std::get<1>(reply));
  return static_cast<com::HRESULT>(std::get<0>(reply));
}

}  // namespace

com::HRESULT Library::Moniker(std::string& path) {
  auto [hr, text] = CallServer(*session_, [&] { return proxy_->get_LibMoniker(); });
  path = std::move(text);
  return static_cast<com::HRESULT>(hr);
}

com::HRESULT Library::TotalInfo(const std::string& typeList, int32_t& count, uint64_t& bytes) {
  auto [hr, n, high, low] = CallServer(*session_, [&] { return proxy_->GetTotalInfo(typeList); });
  count = n;
  bytes = (uint64_t{static_cast<uint32_t>(high)} << 32) | static_cast<uint32_t>(low);
  return static_cast<com::HRESULT>(hr);
}

com::HRESULT Library::DatabaseVersion(int32_t& version) {
  auto [hr, v] = CallServer(*session_, [&] { return proxy_->get_OpenDatabaseVersion(); });
  version = v;
  return static_cast<com::HRESULT>(hr);
}

com::HRESULT Library::FilesOfTypeExist(int32_t type, bool& exist) {
  auto [hr, answer] = CallServer(*session_, [&] { return proxy_->DoFilesOfTypeExist(type); });
  exist = answer != 0;
  return static_cast<com::HRESULT>(hr);
}

com::HRESULT Library::EnumerateFieldValues(const std::string& sql, com::Variant& values) {
  auto [hr, wire] = CallServer(*session_, [&] { return proxy_->EnumerateFieldValues(sql); });
  values = dbus::DecodeVariant(wire, &session_->marshaller());
  return static_cast<com::HRESULT>(hr);
}

com::HRESULT Library::IsAlive() {
  return static_cast<com::HRESULT>(CallServer(*session_, [&] { return proxy_->IsAlive(); }));
}

com::HRESULT Library::Keywords(com::ComPtr<RemoteObject>& keywords) {
  return Adopted(*session_, CallServer(*session_, [&] { return proxy_->get_Keywords(); }), keywords);
}

com::HRESULT Library::UserFields(com::ComPtr<RemoteObject>& userFields) {
  return Adopted(*session_, CallServer(*session_, [&] { return proxy_->get_UserFields(); }), userFields);
}

com::HRESULT Library::ItemCollection(com::ComPtr<RemoteObject>& collection) {
  return Adopted(*session_, CallServer(*session_, [&] { return proxy_->GetItemCollection(); }), collection);
}

com::HRESULT Library::GetItem(int32_t id, com::ComPtr<RemoteObject>& item) {
  return Adopted(*session_, CallServer(*session_, [&] { return proxy_->GetItem(id); }), item);
}

com::HRESULT Library::GetAlbum(int32_t id, com::ComPtr<RemoteObject>& album) {
  return Adopted(*session_, CallServer(*session_, [&] { return proxy_->GetAlbum(id); }), album);
}

com::HRESULT Library::SpecialAlbumId(int32_t type, int32_t& id) {
  auto [hr, value] = CallServer(*session_, [&] { return proxy_->GetSpecialAlbumID(type); });
  id = value;
  return static_cast<com::HRESULT>(hr);
}

com::HRESULT Library::CreateAlbum(const std::string& name, int32_t parent, int32_t& id) {
  auto [hr, value] = CallServer(*session_, [&] { return proxy_->CreateAlbum("", name, parent); });
  id = value;
  return static_cast<com::HRESULT>(hr);
}

}  // namespace albumcore::client
