#include "client/items.h"

#include "IKivItemCollection_proxy.h"
#include "IKivItem_proxy.h"
#include "IKivPhotoItem_proxy.h"

namespace albumcore::client {

namespace {

namespace glue = ::com::orvane::KIVALBUMCORELib;

com::HRESULT Status(uint32_t wire) { return static_cast<com::HRESULT>(wire); }

// The server answers a call on an interface the object does not serve with
// one of these.
bool NotServed(const sdbus::Error& error) {
  return error.getName() == "org.freedesktop.DBus.Error.UnknownInterface" ||
         error.getName() == "org.freedesktop.DBus.Error.UnknownMethod";
}

}  // namespace

class Item::Proxy final : public sdbus::ProxyInterfaces<glue::IKivItem_proxy, glue::IKivPhotoItem_proxy> {
 public:
  Proxy(Session& session, const std::string& path) : ProxyInterfaces(session.connection(), session.serverName(), path) {
    registerProxy();
  }
  ~Proxy() { unregisterProxy(); }
};

Item::Item(std::shared_ptr<Session> session, com::ComPtr<RemoteObject> object)
    : session_(std::move(session)),
      object_(std::move(object)),
      proxy_(std::make_unique<Proxy>(*session_, object_->path())) {}

Item::~Item() = default;

com::HRESULT Item::Id(int32_t& id) {
  auto [hr, value] = CallServer(*session_, [&] { return proxy_->get_ID(); });
  id = value;
  return Status(hr);
}

com::HRESULT Item::Type(int32_t& type) {
  auto [hr, value] = CallServer(*session_, [&] { return proxy_->get_Type(); });
  type = value;
  return Status(hr);
}

com::HRESULT Item::Moniker(std::string& moniker) {
  auto [hr, value] = CallServer(*session_, [&] { return proxy_->get_Moniker(); });
  moniker = std::move(value);
  return Status(hr);
}

com::HRESULT Item::Name(std::string& name) {
  auto [hr, value] = CallServer(*session_, [&] { return proxy_->get_Name(); });
  name = std::move(value);
  return Status(hr);
}

com::HRESULT Item::SetName(const std::string& name) {
  return Status(CallServer(*session_, [&] { return proxy_->put_Name(name); }));
}

com::HRESULT Item::Rating(int32_t& rating) {
  auto [hr, value] = CallServer(*session_, [&] { return proxy_->get_Rating(); });
  rating = value;
  return Status(hr);
}

com::HRESULT Item::SetRating(int32_t rating) {
  return Status(CallServer(*session_, [&] { return proxy_->put_Rating(rating); }));
}

com::HRESULT Item::PropertyString(std::string& text) {
  auto [hr, value] = CallServer(*session_, [&] { return proxy_->GetPropertyString(); });
  text = std::move(value);
  return Status(hr);
}

com::HRESULT Item::FillFromFile() {
  return Status(CallServer(*session_, [&] { return proxy_->FillFromMoniker(1); }));
}

com::HRESULT Item::Keywords(com::ComPtr<RemoteObject>& keywords) {
  auto [hr, path] = CallServer(*session_, [&] { return proxy_->get_Keywords(); });
  keywords = session_->Adopt(path);
  return Status(hr);
}

com::HRESULT Item::PhotoSize(int32_t& width, int32_t& height) {
  width = 0;
  height = 0;
  try {
    auto [widthRead, w] = proxy_->get_PhotoWidth();
    if (com::Failed(Status(widthRead))) return Status(widthRead);
    auto [heightRead, h] = proxy_->get_PhotoHeight();
    width = w;
    height = h;
    return Status(heightRead);
  } catch (const sdbus::Error& e) {
    if (NotServed(e)) return com::E_NOINTERFACE;
    RaiseTransportError(e, session_->serverName());
  }
}

class ItemCollection::Proxy final : public sdbus::ProxyInterfaces<glue::IKivItemCollection_proxy> {
 public:
  Proxy(Session& session, const std::string& path) : ProxyInterfaces(session.connection(), session.serverName(), path) {
    registerProxy();
  }
  ~Proxy() { unregisterProxy(); }
};

ItemCollection::ItemCollection(std::shared_ptr<Session> session, com::ComPtr<RemoteObject> object)
    : session_(std::move(session)),
      object_(std::move(object)),
      proxy_(std::make_unique<Proxy>(*session_, object_->path())) {}

ItemCollection::~ItemCollection() = default;

com::HRESULT ItemCollection::CreateItem(const NewItem& item, int32_t& id) {
  auto created = dbus::EncodeVariant(item.dateCreated, &session_->marshaller());
  auto modified = dbus::EncodeVariant(item.dateModified, &session_->marshaller());
  auto [hr, value] = CallServer(*session_, [&] {
    if (item.fillFromFile) {
      return proxy_->CreateItemEx(item.type, item.moniker, item.thumbnailMoniker, created, modified, item.name,
                                  item.bigSize, item.size, item.soundMoniker, sdbus::ObjectPath("/"));
    }
    return proxy_->CreateItem(item.type, item.moniker, item.thumbnailMoniker, created, modified, item.name,
                              item.bigSize, item.size, item.soundMoniker);
  });
  id = value;
  return Status(hr);
}

com::HRESULT ItemCollection::FindItemByMoniker(const std::string& moniker, int32_t& id) {
  auto [hr, value] = CallServer(*session_, [&] { return proxy_->FindItemByMoniker(moniker); });
  id = value;
  return Status(hr);
}

com::HRESULT ItemCollection::InstantiateItem(int32_t id, std::unique_ptr<Item>& item) {
  auto [hr, path] = CallServer(*session_, [&] { return proxy_->InstantiateItem(id); });
  com::ComPtr<RemoteObject> object = session_->Adopt(path);
  item = object ? std::make_unique<Item>(session_, std::move(object)) : nullptr;
  return Status(hr);
}

com::HRESULT ItemCollection::DestroyItem(int32_t id) {
  return Status(CallServer(*session_, [&] { return proxy_->DestroyItem(id); }));
}

}  // namespace albumcore::client
