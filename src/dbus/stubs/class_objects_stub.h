// The entry point: creates objects by class ID or ProgID.
#pragma once

#include "ClassObjects_adaptor.h"
#include "dbus/server_binding.h"

namespace albumcore::dbus {

class ClassObjectsStub final : public Stub, public ::com::orvane::AlbumCore9::ClassObjects_adaptor {
 public:
  ClassObjectsStub(sdbus::IObject& object, ServerBinding& binding) : Stub(object, binding), ClassObjects_adaptor(object) {}

 private:
  std::tuple<uint32_t, sdbus::ObjectPath> CreateInstance(const std::string& classId) override {
    sdbus::ObjectPath path("/");
    const com::HRESULT hr = com::CallGuard([&] {
      com::ComPtr<com::IUnknown> created;
      const com::HRESULT created_hr = binding_.classes().CreateInstance(classId, nullptr, &created);
      if (com::Succeeded(created_hr)) path = binding_.HandOut(created, Caller());
      return created_hr;
    });
    return {Wire(hr), path};
  }
};

}  // namespace albumcore::dbus
