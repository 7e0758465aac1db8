// IKivItemCollection on the bus.
#pragma once

#include "IKivItemCollection_adaptor.h"
#include "dbus/stubs/typed_stub.h"
#include "typelib/kiv_item_collection.h"

namespace albumcore::dbus {

class ItemCollectionStub final : public TypedStub,
                                 public ::com::orvane::KIVALBUMCORELib::IKivItemCollection_adaptor {
 public:
  ItemCollectionStub(sdbus::IObject& object, ServerBinding& binding,
                     com::ComPtr<typelib::IKivItemCollection> target)
      : TypedStub(object, binding), IKivItemCollection_adaptor(object), target_(std::move(target)) {}

 private:
  using Path = sdbus::ObjectPath;
  using Number = std::tuple<uint32_t, int32_t>;
  using Object = std::tuple<uint32_t, Path>;
  using Out = com::ComPtr<com::IUnknown>;

  uint32_t Connect(const Path&, const Path&, const Path&, const Path&) override {
    return RefuseLifecycle("IKivItemCollection.Connect");
  }
  uint32_t Disconnect() override { return RefuseLifecycle("IKivItemCollection.Disconnect"); }
  Object InstantiateItem(const int32_t& lItemID) override {
    return ReplyObject([&](Out* item) { return target_->InstantiateItem(lItemID, item); });
  }
  Number CreateItem(const int32_t& ItemType, const std::string& bstrMoniker, const std::string& bstrThumbMoniker,
                    const WireVariant& varDateCreated, const WireVariant& varDateModified,
                    const std::string& bstrName, const int32_t& bigSize, const int32_t& size,
                    const std::string& bstrSoundMoniker) override {
    return ReplyNumber(
        [&](int32_t* id) {
          CallValues values = Values();
          return target_->CreateItem(ItemType, bstrMoniker, bstrThumbMoniker, values.In(varDateCreated),
                                     values.In(varDateModified), bstrName, bigSize, size, bstrSoundMoniker, id);
        },
        -1);
  }
  Number CreateItemEx(const int32_t& ItemType, const std::string& bstrMoniker, const std::string& bstrThumbMoniker,
                      const WireVariant& varDateCreated, const WireVariant& varDateModified,
                      const std::string& bstrName, const int32_t& bigSize, const int32_t& size,
                      const std::string& bstrSoundMoniker, const Path& pUnk) override {
    return ReplyNumber(
        [&](int32_t* id) {
          CallValues values = Values();
          auto from = values.Object(pUnk);
          return target_->CreateItemEx(ItemType, bstrMoniker, bstrThumbMoniker, values.In(varDateCreated),
                                       values.In(varDateModified), bstrName, bigSize, size, bstrSoundMoniker,
                                       from.get(), id);
        },
        -1);
  }
  uint32_t DestroyItem(const int32_t& lItemID) override {
    return Reply([&] { return target_->DestroyItem(lItemID); });
  }
  Number FindItemByMoniker(const std::string& bstrMoniker) override {
    return ReplyNumber([&](int32_t* id) { return target_->FindItemByMoniker(bstrMoniker, id); }, -1);
  }
  uint32_t GenerateThumbnail(const int32_t& lID) override {
    return Reply([&] { return target_->GenerateThumbnail(lID); });
  }
  Number ItemHasParents(const int32_t& lItemID) override {
    return ReplyNumber([&](int32_t* confirm) { return target_->ItemHasParents(lItemID, confirm); });
  }
  Number CreateItem2(const int32_t& ItemType, const std::string& bstrMoniker) override {
    return ReplyNumber([&](int32_t* id) { return target_->CreateItem2(ItemType, bstrMoniker, id); }, -1);
  }
  Object GetLibrary() override {
    return ReplyObject([&](Out* library) { return target_->GetLibrary(library); });
  }
  Object GetThumbnailGenerator() override {
    return ReplyObject([&](Out* generator) { return target_->GetThumbnailGenerator(generator); });
  }
  uint32_t SetNotify(const int32_t& bNotify) override {
    return Reply([&] { return target_->SetNotify(bNotify); });
  }

  Number CreateAlbum(const std::string& bstrCoverMoniker, const std::string& bstrName,
                     const int32_t& lParentAlbum) override {
    return ReplyNumber(
        [&](int32_t* id) { return target_->CreateAlbum(bstrCoverMoniker, bstrName, lParentAlbum, id); }, -1);
  }
  Number CreateAlbumCustom(const std::string& bstrCoverMoniker, const std::string& bstrName,
                           const int32_t& lParentAlbum, const int32_t& lAlbumType) override {
    return ReplyNumber(
        [&](int32_t* id) {
          return target_->CreateAlbumCustom(bstrCoverMoniker, bstrName, lParentAlbum, lAlbumType, id);
        },
        -1);
  }
  Number CreateAlbumUnique(const std::string& bstrCoverMoniker, const std::string& bstrName,
                           const int32_t& lParentAlbum, const int32_t& lAlbumType,
                           const std::string& bstrUniqueID) override {
    return ReplyNumber(
        [&](int32_t* id) {
          return target_->CreateAlbumUnique(bstrCoverMoniker, bstrName, lParentAlbum, lAlbumType, bstrUniqueID, id);
        },
        -1);
  }
  uint32_t CreateAlbumForItem(const int32_t& lItemID) override {
    return Reply([&] { return target_->CreateAlbumForItem(lItemID); });
  }
  uint32_t CreateAlbumForItemCustom(const int32_t& lItemID, const int32_t& lAlbumType) override {
    return Reply([&] { return target_->CreateAlbumForItemCustom(lItemID, lAlbumType); });
  }
  uint32_t DeleteAlbumForItem(const int32_t& lItemID) override {
    return Reply([&] { return target_->DeleteAlbumForItem(lItemID); });
  }
  uint32_t DestroyAlbum(const int32_t& lItemID) override {
    return Reply([&] { return target_->DestroyAlbum(lItemID); });
  }
  Object InstantiateAlbum(const int32_t& lAlbumID) override {
    return ReplyObject([&](Out* album) { return target_->InstantiateAlbum(lAlbumID, album); });
  }
  Object InstantiateAlbumCustom(const int32_t& lAlbumID, const int32_t& lAlbumType) override {
    return ReplyObject([&](Out* album) { return target_->InstantiateAlbumCustom(lAlbumID, lAlbumType, album); });
  }
  Number FindAlbumFromMoniker(const std::string& bstrAlbumMoniker) override {
    return ReplyNumber([&](int32_t* id) { return target_->FindAlbumFromMoniker(bstrAlbumMoniker, id); }, -1);
  }
  Number GetSpecialAlbumID(const int32_t& lType) override {
    return ReplyNumber([&](int32_t* id) { return target_->GetSpecialAlbumID(lType, id); }, -1);
  }
  Number GetMRUSection(const std::string& bstrSectionName) override {
    return ReplyNumber([&](int32_t* id) { return target_->GetMRUSection(bstrSectionName, id); }, -1);
  }
  Object get_Shoebox() override {
    return ReplyObject([&](Out* album) { return target_->get_Shoebox(album); });
  }
  Object get_SearchResults() override {
    return ReplyObject([&](Out* album) { return target_->get_SearchResults(album); });
  }
  Object get_AllFiles() override {
    return ReplyObject([&](Out* album) { return target_->get_AllFiles(album); });
  }
  Object get_AllAlbums() override {
    return ReplyObject([&](Out* album) { return target_->get_AllAlbums(album); });
  }

  com::ComPtr<typelib::IKivItemCollection> target_;
};

}  // namespace albumcore::dbus
