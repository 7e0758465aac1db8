// The values of one call, turned from and into their wire form for the
// calling client: VARIANTs as (qv), objects as paths. Each conversion raises
// ComError, so it runs inside the CallGuard of the call it serves: a value a
// client sent that makes no sense becomes the call's status, never an
// exception out of a handler.
#pragma once

#include <memory>
#include <string>

#include "dbus/server_binding.h"

namespace albumcore::dbus {

class CallValues {
 public:
  CallValues(ServerBinding& binding, const std::string& client)
      : binding_(binding), client_(client), marshaller_(binding.MarshallerFor(client)) {}

  // What goes in a reply before the call has produced anything.
  static WireVariant Empty() { return EncodeVariant(com::Variant(), nullptr); }

  com::Variant In(const WireVariant& wire) { return DecodeVariant(wire, marshaller_.get()); }
  WireVariant Out(const com::Variant& value) { return EncodeVariant(value, marshaller_.get()); }

  // The object a client names by path: null for "/", E_INVALIDARG for a
  // path at which the server exported nothing (a client can name no other).
  com::ComPtr<com::IUnknown> Object(const sdbus::ObjectPath& path) {
    if (path == "/") return nullptr;
    return marshaller_->ObjectAt(path);
  }
  // Path of an object handed to the client, counting its reference; "/" for null.
  sdbus::ObjectPath Path(const com::ComPtr<com::IUnknown>& object) { return binding_.HandOut(object, client_); }

 private:
  ServerBinding& binding_;
  std::string client_;
  std::unique_ptr<ObjectMarshaller> marshaller_;
};

}  // namespace albumcore::dbus
