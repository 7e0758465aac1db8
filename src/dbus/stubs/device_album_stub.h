// IKivDeviceAlbum on the bus. The rows of a device album grow with what is
// synchronised to the device, so GetAllItemsData counts them before the
// reply is built, as the album listings do.
#pragma once

#include "IKivDeviceAlbum_adaptor.h"
#include "dbus/stubs/typed_stub.h"
#include "typelib/kiv_device_album.h"

namespace albumcore::dbus {

class DeviceAlbumStub final : public TypedStub, public ::com::orvane::KIVALBUMCORELib::IKivDeviceAlbum_adaptor {
 public:
  DeviceAlbumStub(sdbus::IObject& object, ServerBinding& binding, com::ComPtr<typelib::IKivDeviceAlbum> target)
      : TypedStub(object, binding), IKivDeviceAlbum_adaptor(object), target_(std::move(target)) {}

 private:
  using W = WireVariant;
  using Out = com::ComPtr<com::IUnknown>;

  std::tuple<uint32_t, W, W, W, W, W> GetAllItemsData() override {
    com::Variant rows, items, transcoded, backups, dates;
    const com::HRESULT hr =
        com::CallGuard([&] { return target_->GetAllItemsData(&rows, &items, &transcoded, &backups, &dates); });
    auto [status, w] = ReplyBounded<5>(hr, {&rows, &items, &transcoded, &backups, &dates}, "a device album's rows");
    return {Wire(status), w[0], w[1], w[2], w[3], w[4]};
  }
  std::tuple<uint32_t, sdbus::ObjectPath> get_DeviceItem(const int32_t& lID) override {
    return ReplyObject([&](Out* item) { return target_->get_DeviceItem(lID, item); });
  }
  std::tuple<uint32_t, sdbus::ObjectPath> get_DeviceItemByItemID(const int32_t& lItemID) override {
    return ReplyObject([&](Out* item) { return target_->get_DeviceItemByItemID(lItemID, item); });
  }

  com::ComPtr<typelib::IKivDeviceAlbum> target_;
};

}  // namespace albumcore::dbus
