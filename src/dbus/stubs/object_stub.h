// Reference counting of an exported object by its clients.
#pragma once

#include "Object_adaptor.h"
#include "dbus/server_binding.h"

namespace albumcore::dbus {

class ObjectStub final : public Stub, public ::com::orvane::AlbumCore9::Object_adaptor {
 public:
  ObjectStub(sdbus::IObject& object, ServerBinding& binding) : Stub(object, binding), Object_adaptor(object) {}

 private:
  uint32_t AddRef() override { return Wire(binding_.AddRef(dbusObject_.getObjectPath(), Caller())); }
  uint32_t Release() override { return Wire(binding_.Release(dbusObject_.getObjectPath(), Caller())); }
};

}  // namespace albumcore::dbus
