// IKivItem and IKivPhotoItem on the bus.
#pragma once

#include "IKivItem_adaptor.h"
#include "IKivPhotoItem_adaptor.h"
#include "dbus/stubs/typed_stub.h"
#include "typelib/kiv_item.h"

namespace albumcore::dbus {

class ItemStub final : public TypedStub, public ::com::orvane::KIVALBUMCORELib::IKivItem_adaptor {
 public:
  ItemStub(sdbus::IObject& object, ServerBinding& binding, com::ComPtr<typelib::IKivItem> target)
      : TypedStub(object, binding), IKivItem_adaptor(object), target_(std::move(target)) {}

 private:
  using Path = sdbus::ObjectPath;
  using Text = std::tuple<uint32_t, std::string>;
  using Number = std::tuple<uint32_t, int32_t>;
  using Value = std::tuple<uint32_t, WireVariant>;
  using Object = std::tuple<uint32_t, Path>;

  uint32_t Connect(const Path&, const int32_t&, const Path&, const Path&, const Path&) override {
    return RefuseLifecycle("IKivItem.Connect");
  }
  uint32_t Disconnect() override { return RefuseLifecycle("IKivItem.Disconnect"); }
  Number get_ID() override {
    return ReplyNumber([&](int32_t* v) { return target_->get_ID(v); });
  }
  Number get_Type() override {
    return ReplyNumber([&](int32_t* v) { return target_->get_Type(v); });
  }
  uint32_t put_Type(const int32_t& newVal) override {
    return Reply([&] { return target_->put_Type(newVal); });
  }
  Text get_Moniker() override {
    return ReplyText([&](com::Bstr* v) { return target_->get_Moniker(v); });
  }
  uint32_t put_Moniker(const std::string& newVal) override {
    return Reply([&] { return target_->put_Moniker(newVal); });
  }
  Text get_ThumbnailMoniker() override {
    return ReplyText([&](com::Bstr* v) { return target_->get_ThumbnailMoniker(v); });
  }
  uint32_t put_ThumbnailMoniker(const std::string& newVal) override {
    return Reply([&] { return target_->put_ThumbnailMoniker(newVal); });
  }
  Value get_DateCreated() override {
    return ReplyValue([&](com::Variant* v) { return target_->get_DateCreated(v); });
  }
  uint32_t put_DateCreated(const WireVariant& newVal) override {
    return Reply([&] { return target_->put_DateCreated(Values().In(newVal)); });
  }
  Value get_DateModified() override {
    return ReplyValue([&](com::Variant* v) { return target_->get_DateModified(v); });
  }
  uint32_t put_DateModified(const WireVariant& newVal) override {
    return Reply([&] { return target_->put_DateModified(Values().In(newVal)); });
  }
  Text get_Name() override {
    return ReplyText([&](com::Bstr* v) { return target_->get_Name(v); });
  }
  uint32_t put_Name(const std::string& newVal) override {
    return Reply([&] { return target_->put_Name(newVal); });
  }
  Text get_Note() override {
    return ReplyText([&](com::Bstr* v) { return target_->get_Note(v); });
  }
  uint32_t put_Note(const std::string& newVal) override {
    return Reply([&] { return target_->put_Note(newVal); });
  }
  Text get_SoundMoniker() override {
    return ReplyText([&](com::Bstr* v) { return target_->get_SoundMoniker(v); });
  }
  uint32_t put_SoundMoniker(const std::string& newVal) override {
    return Reply([&] { return target_->put_SoundMoniker(newVal); });
  }
  Number get_ReadOnly() override {
    return ReplyNumber([&](int32_t* v) { return target_->get_ReadOnly(v); });
  }
  uint32_t put_ReadOnly(const int32_t& newVal) override {
    return Reply([&] { return target_->put_ReadOnly(newVal); });
  }
  Number get_Protected() override {
    return ReplyNumber([&](int32_t* v) { return target_->get_Protected(v); });
  }
  uint32_t put_Protected(const int32_t& newVal) override {
    return Reply([&] { return target_->put_Protected(newVal); });
  }
  Number get_Hidden() override {
    return ReplyNumber([&](int32_t* v) { return target_->get_Hidden(v); });
  }
  uint32_t put_Hidden(const int32_t& newVal) override {
    return Reply([&] { return target_->put_Hidden(newVal); });
  }
  Number get_Playable() override {
    return ReplyNumber([&](int32_t* v) { return target_->get_Playable(v); });
  }
  uint32_t put_Playable(const int32_t& newVal) override {
    return Reply([&] { return target_->put_Playable(newVal); });
  }
  Value get_DataXML() override {
    return ReplyValue([&](com::Variant* v) { return target_->get_DataXML(v); });
  }
  uint32_t put_DataXML(const WireVariant& newVal) override {
    return Reply([&] { return target_->put_DataXML(Values().In(newVal)); });
  }
  Object get_UserFields() override {
    return ReplyObject([&](com::ComPtr<com::IUnknown>* v) { return target_->get_UserFields(v); });
  }
  Object get_Keywords() override {
    return ReplyObject([&](com::ComPtr<com::IUnknown>* v) { return target_->get_Keywords(v); });
  }
  uint32_t BeginBatchUpdate() override {
    return Reply([&] { return target_->BeginBatchUpdate(); });
  }
  uint32_t EndBatchUpdate() override {
    return Reply([&] { return target_->EndBatchUpdate(); });
  }
  Number IsAlbum() override {
    return ReplyNumber([&](int32_t* v) { return target_->IsAlbum(v); });
  }
  uint32_t FillFromMoniker(const int32_t& bInternalCall) override {
    return Reply([&] { return target_->FillFromMoniker(bInternalCall); });
  }
  uint32_t FillFromMonikerEx(const int32_t& bInternalCall, const Path& pUnk) override {
    return Reply([&] {
      auto from = Values().Object(pUnk);
      return target_->FillFromMonikerEx(bInternalCall, from.get());
    });
  }
  Number Compare(const Path& pItem, const int32_t& Type, const int32_t& filed) override {
    return ReplyNumber([&](int32_t* isLess) {
      auto other = Values().Object(pItem);
      return target_->Compare(other.get(), Type, filed, isLess);
    });
  }
  uint32_t UpdateThumbnailMoniker(const std::string& Moniker) override {
    return Reply([&] { return target_->UpdateThumbnailMoniker(Moniker); });
  }
  Text GetPropertyString() override {
    return ReplyText([&](com::Bstr* v) { return target_->GetPropertyString(v); });
  }
  Text GetAttributesString() override {
    return ReplyText([&](com::Bstr* v) { return target_->GetAttributesString(v); });
  }
  uint32_t RefreshThumbnailMoniker(const std::string& Moniker) override {
    return Reply([&] { return target_->RefreshThumbnailMoniker(Moniker); });
  }
  std::tuple<uint32_t, int32_t, int32_t> GetFileSize() override {
    int32_t bigSize = 0;
    int32_t size = 0;
    const com::HRESULT hr = com::CallGuard([&] { return target_->GetFileSize(&bigSize, &size); });
    return {Wire(hr), bigSize, size};
  }
  uint32_t PutFileSize(const int32_t& lBigSize, const int32_t& lSize) override {
    return Reply([&] { return target_->PutFileSize(lBigSize, lSize); });
  }
  Text get_FileUniqueID() override {
    return ReplyText([&](com::Bstr* v) { return target_->get_FileUniqueID(v); });
  }
  uint32_t put_FileUniqueID(const std::string& newVal) override {
    return Reply([&] { return target_->put_FileUniqueID(newVal); });
  }
  Number get_IsArchived() override {
    return ReplyNumber([&](int32_t* v) { return target_->get_IsArchived(v); });
  }
  uint32_t put_IsArchived(const int32_t& newVal) override {
    return Reply([&] { return target_->put_IsArchived(newVal); });
  }
  Number get_Rating() override {
    return ReplyNumber([&](int32_t* v) { return target_->get_Rating(v); });
  }
  uint32_t put_Rating(const int32_t& newVal) override {
    return Reply([&] { return target_->put_Rating(newVal); });
  }

  com::ComPtr<typelib::IKivItem> target_;
};

class PhotoItemStub final : public TypedStub, public ::com::orvane::KIVALBUMCORELib::IKivPhotoItem_adaptor {
 public:
  PhotoItemStub(sdbus::IObject& object, ServerBinding& binding, com::ComPtr<typelib::IKivPhotoItem> target)
      : TypedStub(object, binding), IKivPhotoItem_adaptor(object), target_(std::move(target)) {}

 private:
  using Text = std::tuple<uint32_t, std::string>;
  using Number = std::tuple<uint32_t, int32_t>;

  Number get_PhotoWidth() override {
    return ReplyNumber([&](int32_t* v) { return target_->get_PhotoWidth(v); });
  }
  uint32_t put_PhotoWidth(const int32_t& newVal) override {
    return Reply([&] { return target_->put_PhotoWidth(newVal); });
  }
  Number get_PhotoHeight() override {
    return ReplyNumber([&](int32_t* v) { return target_->get_PhotoHeight(v); });
  }
  uint32_t put_PhotoHeight(const int32_t& newVal) override {
    return Reply([&] { return target_->put_PhotoHeight(newVal); });
  }
  Number get_PhotoBitDepth() override {
    return ReplyNumber([&](int32_t* v) { return target_->get_PhotoBitDepth(v); });
  }
  uint32_t put_PhotoBitDepth(const int32_t& newVal) override {
    return Reply([&] { return target_->put_PhotoBitDepth(newVal); });
  }
  Number get_PhotoColorSpace() override {
    return ReplyNumber([&](int32_t* v) { return target_->get_PhotoColorSpace(v); });
  }
  uint32_t put_PhotoColorSpace(const int32_t& newVal) override {
    return Reply([&] { return target_->put_PhotoColorSpace(newVal); });
  }
  Number get_PhotoDPI() override {
    return ReplyNumber([&](int32_t* v) { return target_->get_PhotoDPI(v); });
  }
  uint32_t put_PhotoDPI(const int32_t& newVal) override {
    return Reply([&] { return target_->put_PhotoDPI(newVal); });
  }
  Number get_PhotoRotation() override {
    return ReplyNumber([&](int32_t* v) { return target_->get_PhotoRotation(v); });
  }
  uint32_t put_PhotoRotation(const int32_t& newVal) override {
    return Reply([&] { return target_->put_PhotoRotation(newVal); });
  }
  uint32_t FillFromThumbnail(const sdbus::ObjectPath& pThumb) override {
    return Reply([&] {
      auto image = Values().Object(pThumb);
      return target_->FillFromThumbnail(image.get());
    });
  }
  Text get_PhotoAuthor() override {
    return ReplyText([&](com::Bstr* v) { return target_->get_PhotoAuthor(v); });
  }
  uint32_t put_PhotoAuthor(const std::string& newVal) override {
    return Reply([&] { return target_->put_PhotoAuthor(newVal); });
  }
  Text get_PhotoGenre() override {
    return ReplyText([&](com::Bstr* v) { return target_->get_PhotoGenre(v); });
  }
  uint32_t put_PhotoGenre(const std::string& newVal) override {
    return Reply([&] { return target_->put_PhotoGenre(newVal); });
  }
  Text get_PhotoPlace() override {
    return ReplyText([&](com::Bstr* v) { return target_->get_PhotoPlace(v); });
  }
  uint32_t put_PhotoPlace(const std::string& newVal) override {
    return Reply([&] { return target_->put_PhotoPlace(newVal); });
  }
  Text get_PhotoEvent() override {
    return ReplyText([&](com::Bstr* v) { return target_->get_PhotoEvent(v); });
  }
  uint32_t put_PhotoEvent(const std::string& newVal) override {
    return Reply([&] { return target_->put_PhotoEvent(newVal); });
  }

  com::ComPtr<typelib::IKivPhotoItem> target_;
};

}  // namespace albumcore::dbus
