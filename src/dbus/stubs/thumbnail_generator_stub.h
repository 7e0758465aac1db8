// IKivThumbnailGenerator on the bus. Clients subscribe to its outgoing
// interface (_IKivThumbnailGeneratorEvents) through the connection point
// stub, like any other.
#pragma once

#include "IKivThumbnailGenerator_adaptor.h"
#include "dbus/stubs/typed_stub.h"
#include "typelib/kiv_thumbnail_generator.h"

namespace albumcore::dbus {

class ThumbnailGeneratorStub final : public TypedStub,
                                     public ::com::orvane::KIVALBUMCORELib::IKivThumbnailGenerator_adaptor {
 public:
  ThumbnailGeneratorStub(sdbus::IObject& object, ServerBinding& binding,
                         com::ComPtr<typelib::IKivThumbnailGenerator> target)
      : TypedStub(object, binding), IKivThumbnailGenerator_adaptor(object), target_(std::move(target)) {}

 private:
  using Path = sdbus::ObjectPath;
  using Out = com::ComPtr<com::IUnknown>;

  std::tuple<uint32_t, Path> LoadThumbnail(const int32_t& lID, const std::string& Moniker, const int32_t& cx,
                                           const int32_t& cy) override {
    return ReplyObject([&](Out* image) { return target_->LoadThumbnail(lID, Moniker, cx, cy, image); });
  }
  uint32_t SaveThumbnail(const int32_t& lID, const Path& pImage, const int32_t& bSync) override {
    return Reply([&] {
      auto image = Values().Object(pImage);
      return target_->SaveThumbnail(lID, image.get(), bSync);
    });
  }
  uint32_t DeleteThumbnail(const std::string& Moniker) override {
    return Reply([&] { return target_->DeleteThumbnail(Moniker); });
  }
  uint32_t PutLibrary(const Path& pLib) override {
    return Reply([&] {
      auto library = Values().Object(pLib);
      return target_->PutLibrary(library.get());
    });
  }
  std::tuple<uint32_t, Path> LoadThumbnailWithOverride(const int32_t& lID, const std::string& Moniker,
                                                       const int32_t& cx, const int32_t& cy) override {
    return ReplyObject(
        [&](Out* image) { return target_->LoadThumbnailWithOverride(lID, Moniker, cx, cy, image); });
  }
  std::tuple<uint32_t, int32_t> IsPending(const int32_t& lID) override {
    return ReplyNumber([&](int32_t* state) { return target_->IsPending(lID, state); });
  }
  std::tuple<uint32_t, int32_t> GetItemCountInQueue() override {
    return ReplyNumber([&](int32_t* count) { return target_->GetItemCountInQueue(count); });
  }
  uint32_t Pause() override {
    return Reply([&] { return target_->Pause(); });
  }
  uint32_t Resume() override {
    return Reply([&] { return target_->Resume(); });
  }
  uint32_t CancelAll() override {
    return Reply([&] { return target_->CancelAll(); });
  }

  com::ComPtr<typelib::IKivThumbnailGenerator> target_;
};

}  // namespace albumcore::dbus
