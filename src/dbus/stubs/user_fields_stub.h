// IKivUserFields on the bus.
#pragma once

#include "IKivUserFields_adaptor.h"
#include "dbus/stubs/call_values.h"
#include "typelib/kiv_user_fields.h"

namespace albumcore::dbus {

class UserFieldsStub final : public Stub, public ::com::orvane::KIVALBUMCORELib::IKivUserFields_adaptor {
 public:
  UserFieldsStub(sdbus::IObject& object, ServerBinding& binding, com::ComPtr<typelib::IKivUserFields> target)
      : Stub(object, binding), IKivUserFields_adaptor(object), target_(std::move(target)) {}

 private:
  uint32_t Connect(const sdbus::ObjectPath&, const int32_t&, const sdbus::ObjectPath&) override {
    return RefuseLifecycle("IKivUserFields.Connect");
  }
  uint32_t Disconnect() override { return RefuseLifecycle("IKivUserFields.Disconnect"); }
  std::tuple<uint32_t, int32_t> Count() override {
    int32_t count = 0;
    const com::HRESULT hr = com::CallGuard([&] { return target_->Count(&count); });
    return {Wire(hr), count};
  }
  std::tuple<uint32_t, sdbus::ObjectPath> _NewEnum() override {
    sdbus::ObjectPath path("/");
    const com::HRESULT hr = com::CallGuard([&] {
      com::ComPtr<com::IUnknown> enumerator;
      const com::HRESULT made = target_->_NewEnum(&enumerator);
      path = CallValues(binding_, Caller()).Path(enumerator);
      return made;
    });
    return {Wire(hr), path};
  }
  std::tuple<uint32_t, int32_t> EnumFieldIDs(const int32_t& lIndex) override {
    int32_t id = 0;
    const com::HRESULT hr = com::CallGuard([&] { return target_->EnumFieldIDs(lIndex, &id); });
    return {Wire(hr), id};
  }
  uint32_t IsPresent(const int32_t& lFieldID) override {
    return Wire(com::CallGuard([&] { return target_->IsPresent(lFieldID); }));
  }
  std::tuple<uint32_t, std::string> FieldName(const int32_t& lFieldID) override {
    com::Bstr name;
    const com::HRESULT hr = com::CallGuard([&] { return target_->FieldName(lFieldID, &name); });
    return {Wire(hr), name.str()};
  }
  std::tuple<uint32_t, int32_t> FieldType(const int32_t& lFieldID) override {
    int32_t type = typelib::NAX_FIELD_ILLEGAL_TYPE;
    const com::HRESULT hr = com::CallGuard([&] { return target_->FieldType(lFieldID, &type); });
    return {Wire(hr), type};
  }
  std::tuple<uint32_t, WireVariant> get_Value(const int32_t& lFieldID) override {
    WireVariant out = CallValues::Empty();
    const com::HRESULT hr = com::CallGuard([&] {
      com::Variant value;
      const com::HRESULT got = target_->get_Value(lFieldID, &value);
      out = CallValues(binding_, Caller()).Out(value);
      return got;
    });
    return {Wire(hr), std::move(out)};
  }
  uint32_t put_Value(const int32_t& lFieldID, const WireVariant& val) override {
    return Wire(com::CallGuard([&] { return target_->put_Value(lFieldID, CallValues(binding_, Caller()).In(val)); }));
  }
  uint32_t Add(const int32_t& lFieldID, const WireVariant& val) override {
    return Wire(com::CallGuard([&] { return target_->Add(lFieldID, CallValues(binding_, Caller()).In(val)); }));
  }
  uint32_t Remove(const int32_t& lFieldID) override {
    return Wire(com::CallGuard([&] { return target_->Remove(lFieldID); }));
  }
  uint32_t Create(const std::string& bstrName, const int32_t& Type) override {
    return Wire(com::CallGuard([&] { return target_->Create(bstrName, Type); }));
  }
  uint32_t Destroy(const int32_t& lFieldID) override {
    return Wire(com::CallGuard([&] { return target_->Destroy(lFieldID); }));
  }
  std::tuple<uint32_t, std::string> get_Description(const int32_t& lFieldID) override {
    com::Bstr description;
    const com::HRESULT hr = com::CallGuard([&] { return target_->get_Description(lFieldID, &description); });
    return {Wire(hr), description.str()};
  }
  uint32_t put_Description(const int32_t& lFieldID, const std::string& bstrDescription) override {
    return Wire(com::CallGuard([&] { return target_->put_Description(lFieldID, bstrDescription); }));
  }
  std::tuple<uint32_t, int32_t> GetFieldIDFromName(const std::string& bstrName) override {
    int32_t id = 0;
    const com::HRESULT hr = com::CallGuard([&] { return target_->GetFieldIDFromName(bstrName, &id); });
    return {Wire(hr), id};
  }
  uint32_t MakeVisible(const WireVariant& fields) override {
    return Wire(com::CallGuard([&] { return target_->MakeVisible(CallValues(binding_, Caller()).In(fields)); }));
  }
  uint32_t MakeHidden(const WireVariant& fields) override {
    return Wire(com::CallGuard([&] { return target_->MakeHidden(CallValues(binding_, Caller()).In(fields)); }));
  }

  com::ComPtr<typelib::IKivUserFields> target_;
};

}  // namespace albumcore::dbus
