// IKivDeviceItem on the bus.
#pragma once

#include "IKivDeviceItem_adaptor.h"
#include "dbus/stubs/typed_stub.h"
#include "typelib/kiv_device_item.h"

namespace albumcore::dbus {

class DeviceItemStub final : public TypedStub, public ::com::orvane::KIVALBUMCORELib::IKivDeviceItem_adaptor {
 public:
  DeviceItemStub(sdbus::IObject& object, ServerBinding& binding, com::ComPtr<typelib::IKivDeviceItem> target)
      : TypedStub(object, binding), IKivDeviceItem_adaptor(object), target_(std::move(target)) {}

 private:
  using Text = std::tuple<uint32_t, std::string>;
  using Number = std::tuple<uint32_t, int32_t>;

  uint32_t Connect(const sdbus::ObjectPath&, const int32_t&) override {
    return RefuseLifecycle("IKivDeviceItem.Connect");
  }
  uint32_t Disconnect() override { return RefuseLifecycle("IKivDeviceItem.Disconnect"); }
  Number get_ID() override {
    return ReplyNumber([&](int32_t* v) { return target_->get_ID(v); }, -1);
  }
  Number get_ItemID() override {
    return ReplyNumber([&](int32_t* v) { return target_->get_ItemID(v); }, -1);
  }
  Number get_AlbumID() override {
    return ReplyNumber([&](int32_t* v) { return target_->get_AlbumID(v); }, -1);
  }
  Text get_TranscodedPath() override {
    return ReplyText([&](com::Bstr* v) { return target_->get_TranscodedPath(v); });
  }
  uint32_t put_TranscodedPath(const std::string& newVal) override {
    return Reply([&] { return target_->put_TranscodedPath(newVal); });
  }
  Text get_BackupPath() override {
    return ReplyText([&](com::Bstr* v) { return target_->get_BackupPath(v); });
  }
  uint32_t put_BackupPath(const std::string& newVal) override {
    return Reply([&] { return target_->put_BackupPath(newVal); });
  }
  std::tuple<uint32_t, WireVariant> get_SyncDate() override {
    return ReplyValue([&](com::Variant* v) { return target_->get_SyncDate(v); });
  }
  uint32_t put_SyncDate(const WireVariant& newVal) override {
    return Reply([&] { return target_->put_SyncDate(Values().In(newVal)); });
  }

  com::ComPtr<typelib::IKivDeviceItem> target_;
};

}  // namespace albumcore::dbus
