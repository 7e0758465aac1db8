// IKivAlbum and IKivItemEnumerator on the bus.
//
// Every slot runs on the main loop inside the call: membership and
// properties are the album's own state, and the statements behind the
// enumerations and listings have the engine's time budget. A listing's
// arrays are counted before the reply is built (reply_size.h): one that
// would not fit in a message is answered E_MESSAGE_EXCEEDS_MAX_SIZE with
// empty arrays.
#pragma once

#include <array>

#include "IKivAlbum_adaptor.h"
#include "IKivItemEnumerator_adaptor.h"
#include "dbus/stubs/typed_stub.h"
#include "typelib/kiv_album.h"

namespace albumcore::dbus {

class AlbumStub final : public TypedStub, public ::com::orvane::KIVALBUMCORELib::IKivAlbum_adaptor {
 public:
  AlbumStub(sdbus::IObject& object, ServerBinding& binding, com::ComPtr<typelib::IKivAlbum> target)
      : TypedStub(object, binding), IKivAlbum_adaptor(object), target_(std::move(target)) {}

 private:
  using Path = sdbus::ObjectPath;
  using Number = std::tuple<uint32_t, int32_t>;
  using Text = std::tuple<uint32_t, std::string>;
  using Object = std::tuple<uint32_t, Path>;
  using Value = std::tuple<uint32_t, WireVariant>;
  using Out = com::ComPtr<com::IUnknown>;
  using W = WireVariant;
  using Short = std::tuple<uint32_t, W, W, W, W, W>;
  using Full = std::tuple<uint32_t, W, W, W, W, W, W, W, W, W, W, W, W, W>;
  using FullReadOnly = std::tuple<uint32_t, W, W, W, W, W, W, W, W, W, W, W, W, W, W>;

  // Membership.
  Number get_Count() override {
    return ReplyNumber([&](int32_t* v) { return target_->get_Count(v); });
  }
  Object get_Item(const int32_t& lItemID) override {
    return ReplyObject([&](Out* item) { return target_->get_Item(lItemID, item); });
  }
  Number Add(const int32_t& ItemType, const std::string& bstrMoniker, const std::string& bstrThumbMoniker,
             const W& varDateCreated, const W& varDateModified, const std::string& bstrName, const int32_t& bigSize,
             const int32_t& size, const std::string& bstrSoundMoniker) override {
    return ReplyNumber(
        [&](int32_t* id) {
          CallValues values = Values();
          return target_->Add(ItemType, bstrMoniker, bstrThumbMoniker, values.In(varDateCreated),
                              values.In(varDateModified), bstrName, bigSize, size, bstrSoundMoniker, id);
        },
        -1);
  }
  Number AddEx(const int32_t& ItemType, const std::string& bstrMoniker, const std::string& bstrThumbMoniker,
               const W& varDateCreated, const W& varDateModified, const std::string& bstrName, const int32_t& bigSize,
               const int32_t& size, const std::string& bstrSoundMoniker, const Path& pUnk) override {
    return ReplyNumber(
        [&](int32_t* id) {
          CallValues values = Values();
          auto from = values.Object(pUnk);
          return target_->AddEx(ItemType, bstrMoniker, bstrThumbMoniker, values.In(varDateCreated),
                                values.In(varDateModified), bstrName, bigSize, size, bstrSoundMoniker, from.get(), id);
        },
        -1);
  }
  Number Add2(const int32_t& ItemType, const std::string& bstrMoniker) override {
    return ReplyNumber([&](int32_t* id) { return target_->Add2(ItemType, bstrMoniker, id); }, -1);
  }
  uint32_t AddByItemID(const int32_t& id) override {
    return Reply([&] { return target_->AddByItemID(id); });
  }
  uint32_t AddByItemIDFast(const int32_t& id) override {
    return Reply([&] { return target_->AddByItemIDFast(id); });
  }
  uint32_t Remove(const int32_t& id) override {
    return Reply([&] { return target_->Remove(id); });
  }
  uint32_t Destroy(const int32_t& id) override {
    return Reply([&] { return target_->Destroy(id); });
  }
  uint32_t IsInAlbum(const int32_t& id) override {
    return Reply([&] { return target_->IsInAlbum(id); });
  }
  uint32_t IsInAlbumTree(const int32_t& id) override {
    return Reply([&] { return target_->IsInAlbumTree(id); });
  }
  uint32_t EmptyAlbumRecursively(const int32_t& bDestroyItems) override {
    return Reply([&] { return target_->EmptyAlbumRecursively(bDestroyItems); });
  }
  uint32_t PopulateFromSearchResults() override {
    return Reply([&] { return target_->PopulateFromSearchResults(); });
  }
  uint32_t ClearRecordset() override {
    return Reply([&] { return target_->ClearRecordset(); });
  }
  Number FindItemByMoniker(const std::string& moniker) override {
    return ReplyNumber([&](int32_t* id) { return target_->FindItemByMoniker(moniker, id); }, -1);
  }
  Number FindItemByName(const std::string& name) override {
    return ReplyNumber([&](int32_t* id) { return target_->FindItemByName(name, id); }, -1);
  }

  // Lifecycle: the server alone connects its albums.
  uint32_t Connect(const Path&, const int32_t&, const Path&, const Path&) override {
    return RefuseLifecycle("IKivAlbum.Connect");
  }
  uint32_t Disconnect() override { return RefuseLifecycle("IKivAlbum.Disconnect"); }

  // Properties.
  Number get_ID() override {
    return ReplyNumber([&](int32_t* v) { return target_->get_ID(v); }, -1);
  }
  Number get_Type() override {
    return ReplyNumber([&](int32_t* v) { return target_->get_Type(v); });
  }
  Text get_Name() override {
    return ReplyText([&](com::Bstr* v) { return target_->get_Name(v); });
  }
  uint32_t put_Name(const std::string& v) override {
    return Reply([&] { return target_->put_Name(v); });
  }
  Text get_CoverMoniker() override {
    return ReplyText([&](com::Bstr* v) { return target_->get_CoverMoniker(v); });
  }
  uint32_t put_CoverMoniker(const std::string& v) override {
    return Reply([&] { return target_->put_CoverMoniker(v); });
  }
  Text get_IconPath() override {
    return ReplyText([&](com::Bstr* v) { return target_->get_IconPath(v); });
  }
  Text get_AlbumIcon() override {
    return ReplyText([&](com::Bstr* v) { return target_->get_AlbumIcon(v); });
  }
  uint32_t put_AlbumIcon(const std::string& v) override {
    return Reply([&] { return target_->put_AlbumIcon(v); });
  }
  Text get_AlbumMoniker() override {
    return ReplyText([&](com::Bstr* v) { return target_->get_AlbumMoniker(v); });
  }
  uint32_t put_AlbumMoniker(const std::string& v) override {
    return Reply([&] { return target_->put_AlbumMoniker(v); });
  }
  Object get_UserFields() override {
    return ReplyObject([&](Out* fields) { return target_->get_UserFields(fields); });
  }
  Number CanRename() override {
    return ReplyNumber([&](int32_t* v) { return target_->CanRename(v); });
  }
  Value get_CustomSort() override {
    return ReplyValue([&](com::Variant* v) { return target_->get_CustomSort(v); });
  }
  uint32_t put_CustomSort(const W& v) override {
    return Reply([&] { return target_->put_CustomSort(Values().In(v)); });
  }
  std::tuple<uint32_t, int32_t, int32_t> IsSpecialAlbum() override {
    int32_t type = -1, confirm = 0;
    const com::HRESULT hr = com::CallGuard([&] { return target_->IsSpecialAlbum(&type, &confirm); });
    return {Wire(hr), type, confirm};
  }
  Number CanAddItem(const int32_t& lType) override {
    return ReplyNumber([&](int32_t* confirm) { return target_->CanAddItem(lType, confirm); });
  }
  Number GetAlbumItemType(const int32_t& lAlbumID) override {
    return ReplyNumber([&](int32_t* type) { return target_->GetAlbumItemType(lAlbumID, type); }, -1);
  }
  uint32_t IsEligibleToAddItemToAlbum(const int32_t& id) override {
    return Reply([&] { return target_->IsEligibleToAddItemToAlbum(id); });
  }
  uint32_t IsEligibleToPopulateFromSearchResults() override {
    return Reply([&] { return target_->IsEligibleToPopulateFromSearchResults(); });
  }
  Text GenerateUniqueAlbumName(const int32_t& bAcceptAsIs, const std::string& bstrName) override {
    com::Bstr name(bstrName);
    const com::HRESULT hr = com::CallGuard([&] { return target_->GenerateUniqueAlbumName(bAcceptAsIs, &name); });
    return {Wire(hr), name.str()};
  }

  // Enumerations: an enumerator object, or "/" when nothing was found.
  Object StartEnumerateParentAlbums() override {
    return ReplyObject([&](Out* e) { return target_->StartEnumerateParentAlbums(e); });
  }
  Object StartEnumerateChildAlbums() override {
    return ReplyObject([&](Out* e) { return target_->StartEnumerateChildAlbums(e); });
  }
  Object StartEnumerateChildItems() override {
    return ReplyObject([&](Out* e) { return target_->StartEnumerateChildItems(e); });
  }

  // Listings.
  Short GetAlbumItems(const std::string& filter, const uint32_t& sortField, const uint32_t& sortOrder) override {
    std::array<com::Variant, 5> out;
    const com::HRESULT hr = com::CallGuard([&] {
      return target_->GetAlbumItems(filter, sortField, sortOrder, &out[0], &out[1], &out[2], &out[3], &out[4]);
    });
    auto [status, w] = Encode<5>(hr, {&out[0], &out[1], &out[2], &out[3], &out[4]});
    return {Wire(status), w[0], w[1], w[2], w[3], w[4]};
  }
  Full GetAlbumItems2(const std::string& filter, const uint32_t& sortField, const uint32_t& sortOrder) override {
    typelib::ItemListingArrays items;
    const com::HRESULT hr =
        com::CallGuard([&] { return target_->GetAlbumItems2(filter, sortField, sortOrder, &items); });
    com::Variant none;
    auto [status, w] = Encode<14>(hr, Columns(items, none));
    return {Wire(status), w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7], w[8], w[9], w[10], w[11], w[12]};
  }
  FullReadOnly GetAlbumItems3(const std::string& filter, const uint32_t& sortField,
                              const uint32_t& sortOrder) override {
    typelib::ItemListingArrays items;
    com::Variant readOnly;
    const com::HRESULT hr =
        com::CallGuard([&] { return target_->GetAlbumItems3(filter, sortField, sortOrder, &items, &readOnly); });
    auto [status, w] = Encode<14>(hr, Columns(items, readOnly));
    return {Wire(status), w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7], w[8], w[9], w[10], w[11], w[12], w[13]};
  }

  static std::array<const com::Variant*, 14> Columns(const typelib::ItemListingArrays& i, const com::Variant& last) {
    return {&i.id,   &i.name,         &i.type,     &i.moniker,      &i.dateCreated, &i.dateModified, &i.size,
            &i.bigSize, &i.thumbMoniker, &i.rotation, &i.soundMoniker, &i.notes,       &i.rating,       &last};
  }
  template <size_t N>
  std::pair<com::HRESULT, std::array<W, N>> Encode(com::HRESULT hr, const std::array<const com::Variant*, N>& values) {
    return ReplyBounded(hr, values, "an album listing");
  }

  com::ComPtr<typelib::IKivAlbum> target_;
};

class ItemEnumeratorStub final : public TypedStub,
                                 public ::com::orvane::KIVALBUMCORELib::IKivItemEnumerator_adaptor {
 public:
  ItemEnumeratorStub(sdbus::IObject& object, ServerBinding& binding, com::ComPtr<typelib::IKivItemEnumerator> target)
      : TypedStub(object, binding), IKivItemEnumerator_adaptor(object), target_(std::move(target)) {}

 private:
  std::tuple<uint32_t, int32_t> NextItem() override {
    return ReplyNumber([&](int32_t* id) { return target_->NextItem(id); }, -1);
  }

  com::ComPtr<typelib::IKivItemEnumerator> target_;
};

}  // namespace albumcore::dbus
