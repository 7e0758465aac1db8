// IKiTypePropertiesDescriptor and IKiGenericTypeDescriptor on the bus. Both
// descriptors hold nothing that can wait, so every call runs on the loop.
#pragma once

#include "IKiGenericTypeDescriptor_adaptor.h"
#include "IKiTypePropertiesDescriptor_adaptor.h"
#include "dbus/stubs/typed_stub.h"
#include "typelib/ki_type_descriptors.h"

namespace albumcore::dbus {

class TypePropertiesDescriptorStub final
    : public TypedStub,
      public ::com::orvane::KIVALBUMCORELib::IKiTypePropertiesDescriptor_adaptor {
 public:
  TypePropertiesDescriptorStub(sdbus::IObject& object, ServerBinding& binding,
                               com::ComPtr<typelib::IKiTypePropertiesDescriptor> target)
      : TypedStub(object, binding), IKiTypePropertiesDescriptor_adaptor(object), target_(std::move(target)) {}

 private:
  std::tuple<uint32_t, int32_t> GetPropertiesCount() override {
    return ReplyNumber([&](int32_t* count) { return target_->GetPropertiesCount(count); });
  }
  // Outside the table: the status, empty names and kinds 0.
  std::tuple<uint32_t, std::string, std::string, int32_t, int32_t> GetPropertyInfo(const int32_t& index) override {
    com::Bstr table;
    com::Bstr field;
    int32_t unit = 0;
    int32_t type = 0;
    const com::HRESULT hr =
        com::CallGuard([&] { return target_->GetPropertyInfo(index, &table, &field, &unit, &type); });
    return {Wire(hr), table.str(), field.str(), unit, type};
  }
  // The values and their names as the object left them; both empty when the
  // index names no enumeration or an answer cannot travel.
  std::tuple<uint32_t, WireVariant, WireVariant> GetEnumInfo(const int32_t& index) override {
    WireVariant values = CallValues::Empty();
    WireVariant names = CallValues::Empty();
    const com::HRESULT hr = com::CallGuard([&] {
      com::Variant v;
      com::Variant n;
      const com::HRESULT answered = target_->GetEnumInfo(index, &v, &n);
      CallValues out = Values();
      WireVariant wireValues = out.Out(v);
      WireVariant wireNames = out.Out(n);
      values = std::move(wireValues);
      names = std::move(wireNames);
      return answered;
    });
    return {Wire(hr), std::move(values), std::move(names)};
  }

  com::ComPtr<typelib::IKiTypePropertiesDescriptor> target_;
};

class GenericTypeDescriptorStub final : public TypedStub,
                                        public ::com::orvane::KIVALBUMCORELib::IKiGenericTypeDescriptor_adaptor {
 public:
  GenericTypeDescriptorStub(sdbus::IObject& object, ServerBinding& binding,
                            com::ComPtr<typelib::IKiGenericTypeDescriptor> target)
      : TypedStub(object, binding), IKiGenericTypeDescriptor_adaptor(object), target_(std::move(target)) {}

 private:
  std::tuple<uint32_t, int32_t> GetMediaTypesCount() override {
    return ReplyNumber([&](int32_t* count) { return target_->GetMediaTypesCount(count); });
  }
  std::tuple<uint32_t, std::string> GetMediaTypeName(const int32_t& index) override {
    return ReplyText([&](com::Bstr* name) { return target_->GetMediaTypeName(index, name); });
  }
  std::tuple<uint32_t, int32_t> GetCommonPropertiesCount() override {
    return ReplyNumber([&](int32_t* count) { return target_->GetCommonPropertiesCount(count); });
  }
  std::tuple<uint32_t, std::string, int32_t> GetCommonPropertyInfo(const int32_t& index) override {
    com::Bstr field;
    int32_t type = 0;
    const com::HRESULT hr = com::CallGuard([&] { return target_->GetCommonPropertyInfo(index, &field, &type); });
    return {Wire(hr), field.str(), type};
  }
  std::tuple<uint32_t, int32_t> GetMediaType(const int32_t& index) override {
    return ReplyNumber([&](int32_t* type) { return target_->GetMediaType(index, type); });
  }

  com::ComPtr<typelib::IKiGenericTypeDescriptor> target_;
};

}  // namespace albumcore::dbus
