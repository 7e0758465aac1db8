#include "client/albums.h"

#include "IKivAlbum_proxy.h"
#include "IKivItemEnumerator_proxy.h"
#include "com/error.h"

namespace albumcore::client {

namespace {

namespace glue = ::com::orvane::KIVALBUMCORELib;

com::HRESULT Status(uint32_t wire) { return static_cast<com::HRESULT>(wire); }

// An enumeration hands out no more IDs than a catalogue can hold items.
constexpr size_t kMostEnumeratedIds = size_t{1} << 31;

template <class Interface>
class GlueProxy final : public sdbus::ProxyInterfaces<Interface> {
 public:
  GlueProxy(Session& session, const std::string& path)
      : sdbus::ProxyInterfaces<Interface>(session.connection(), session.serverName(), path) {
    this->registerProxy();
  }
  ~GlueProxy() { this->unregisterProxy(); }
};

// One column of a listing as a vector; `into` stays empty when the server
// sent nothing, and a column of another type is DISP_E_TYPEMISMATCH.
template <class T, class Out>
void ReadColumn(const com::Variant& column, uint16_t elementType, Out& into) {
  into.clear();
  if (column.isEmpty()) return;
  if (!column.isArray() || column.array().elementType() != elementType || column.array().dimensions() != 1)
    throw com::ComError(com::DISP_E_TYPEMISMATCH, "listing column of type " + column.Describe());
  into.reserve(column.array().elements<T>().size());
  for (const T& e : column.array().elements<T>()) {
    if constexpr (std::is_same_v<T, com::Bstr>) {
      into.push_back(e.str());
    } else if constexpr (std::is_same_v<T, int16_t>) {
      into.push_back(e != 0);
    } else {
      into.push_back(e);
    }
  }
}

}  // namespace

class Album::Proxy final : public sdbus::ProxyInterfaces<glue::IKivAlbum_proxy> {
 public:
  Proxy(Session& session, const std::string& path) : ProxyInterfaces(session.connection(), session.serverName(), path) {
    registerProxy();
  }
  ~Proxy() { unregisterProxy(); }
};

Album::Album(std::shared_ptr<Session> session, com::ComPtr<RemoteObject> object)
    : session_(std::move(session)),
      object_(std::move(object)),
      proxy_(std::make_unique<Proxy>(*session_, object_->path())) {}

Album::~Album() = default;

com::HRESULT Album::Id(int32_t& id) {
  auto [hr, value] = CallServer(*session_, [&] { return proxy_->get_ID(); });
  id = value;
  return Status(hr);
}

com::HRESULT Album::Name(std::string& name) {
  auto [hr, value] = CallServer(*session_, [&] { return proxy_->get_Name(); });
  name = std::move(value);
  return Status(hr);
}

com::HRESULT Album::SetName(const std::string& name) {
  return Status(CallServer(*session_, [&] { return proxy_->put_Name(name); }));
}

com::HRESULT Album::Count(int32_t& count) {
  auto [hr, value] = CallServer(*session_, [&] { return proxy_->get_Count(); });
  count = value;
  return Status(hr);
}

com::HRESULT Album::CanRename(bool& may) {
  auto [hr, value] = CallServer(*session_, [&] { return proxy_->CanRename(); });
  may = value != 0;
  return Status(hr);
}

com::HRESULT Album::SpecialType(int32_t& type) {
  auto [hr, value, special] = CallServer(*session_, [&] { return proxy_->IsSpecialAlbum(); });
  type = special != 0 ? value : -1;
  return Status(hr);
}

com::HRESULT Album::Add(int32_t itemId) {
  return Status(CallServer(*session_, [&] { return proxy_->AddByItemID(itemId); }));
}

com::HRESULT Album::Remove(int32_t itemId) {
  return Status(CallServer(*session_, [&] { return proxy_->Remove(itemId); }));
}

com::HRESULT Album::IsInAlbum(int32_t itemId) {
  return Status(CallServer(*session_, [&] { return proxy_->IsInAlbum(itemId); }));
}

com::HRESULT Album::IsEligible(int32_t itemId) {
  return Status(CallServer(*session_, [&] { return proxy_->IsEligibleToAddItemToAlbum(itemId); }));
}

com::HRESULT Album::EmptyRecursively(bool destroyItems) {
  return Status(CallServer(*session_, [&] { return proxy_->EmptyAlbumRecursively(destroyItems ? 1 : 0); }));
}

template <class Start>
com::HRESULT Album::Walk(Start&& start, std::vector<int32_t>& ids) {
  ids.clear();
  auto [started, path] = CallServer(*session_, start);
  const com::ComPtr<RemoteObject> enumerator = session_->Adopt(path);
  if (com::Failed(Status(started))) return Status(started);
  if (!enumerator) return com::S_OK;  // nothing found
  GlueProxy<glue::IKivItemEnumerator_proxy> next(*session_, enumerator->path());
  while (ids.size() < kMostEnumeratedIds) {
    auto [hr, id] = CallServer(*session_, [&] { return next.NextItem(); });
    if (Status(hr) != com::S_OK) return com::Failed(Status(hr)) ? Status(hr) : com::S_OK;
    ids.push_back(id);
  }
  return com::S_OK;
}

com::HRESULT Album::ChildAlbums(std::vector<int32_t>& ids) {
  return Walk([&] { return proxy_->StartEnumerateChildAlbums(); }, ids);
}

com::HRESULT Album::ParentAlbums(std::vector<int32_t>& ids) {
  return Walk([&] { return proxy_->StartEnumerateParentAlbums(); }, ids);
}

com::HRESULT Album::ChildItems(std::vector<int32_t>& ids) {
  return Walk([&] { return proxy_->StartEnumerateChildItems(); }, ids);
}

com::HRESULT Album::Items(const ListingRequest& request, AlbumListing& listing) {
  listing = {};
  auto reply = CallServer(*session_, [&] {
    return proxy_->GetAlbumItems3(request.typeFilter, request.sortField,
                                  request.descending ? typelib::NAX_SORT_DESCENDING : typelib::NAX_SORT_ASCENDING);
  });
  const com::HRESULT hr = Status(std::get<0>(reply));
  return com::CallGuard([&] {
    auto column = [&](const dbus::WireVariant& wire) { return dbus::DecodeVariant(wire, &session_->marshaller()); };
    auto& [status, id, name, type, moniker, created, modified, size, bigSize, thumb, rotation, sound, notes, rating,
           readOnly] = reply;
    (void)status;
    AlbumListing l;
    ReadColumn<int32_t>(column(id), com::VT_I4, l.ids);
    ReadColumn<com::Bstr>(column(name), com::VT_BSTR, l.names);
    ReadColumn<int32_t>(column(type), com::VT_I4, l.types);
    ReadColumn<com::Bstr>(column(moniker), com::VT_BSTR, l.monikers);
    ReadColumn<double>(column(created), com::VT_DATE, l.dateCreated);
    ReadColumn<double>(column(modified), com::VT_DATE, l.dateModified);
    ReadColumn<int32_t>(column(size), com::VT_I4, l.sizes);
    ReadColumn<int32_t>(column(bigSize), com::VT_I4, l.bigSizes);
    ReadColumn<com::Bstr>(column(thumb), com::VT_BSTR, l.thumbnailMonikers);
    ReadColumn<int32_t>(column(rotation), com::VT_I4, l.rotations);
    ReadColumn<com::Bstr>(column(sound), com::VT_BSTR, l.soundMonikers);
    ReadColumn<com::Bstr>(column(notes), com::VT_BSTR, l.notes);
    ReadColumn<int32_t>(column(rating), com::VT_I4, l.ratings);
    ReadColumn<int16_t>(column(readOnly), com::VT_BOOL, l.readOnly);
    const size_t n = l.ids.size();
    for (size_t other : {l.names.size(), l.types.size(), l.monikers.size(), l.dateCreated.size(),
                         l.dateModified.size(), l.sizes.size(), l.bigSizes.size(), l.thumbnailMonikers.size(),
                         l.rotations.size(), l.soundMonikers.size(), l.notes.size(), l.ratings.size()})
      if (other != n) throw com::ComError(com::E_UNEXPECTED, "listing columns of different lengths");
    if (!l.readOnly.empty() && l.readOnly.size() != n)
      throw com::ComError(com::E_UNEXPECTED, "listing columns of different lengths");
    listing = std::move(l);
    return hr;
  });
}

}  // namespace albumcore::client
