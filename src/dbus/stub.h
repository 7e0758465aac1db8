// Base of the server-side stubs: one stub serves one D-Bus interface of one
// exported object. A stub only unmarshals, calls the object and marshals the
// result; the status comes first in every reply.
#pragma once

#include <sdbus-c++/sdbus-c++.h>

#include <memory>
#include <string>

#include "com/unknown.h"

namespace albumcore::dbus {

class ServerBinding;

class Stub {
 public:
  Stub(sdbus::IObject& object, ServerBinding& binding) : dbusObject_(object), binding_(binding) {}
  virtual ~Stub() = default;

 protected:
  // Unique bus name of the client whose call is being served.
  std::string Caller() const;
  static uint32_t Wire(com::HRESULT hr) { return static_cast<uint32_t>(hr); }
  // Answers E_ACCESSDENIED to a client's Connect or Disconnect (`slot`, as
  // "IKivItem.Disconnect") and logs who tried. The server connects its
  // objects to a catalogue session that never leaves the process, and every
  // client shares them: one client's Disconnect would cut off all the others.
  uint32_t RefuseLifecycle(const char* slot) const;

  sdbus::IObject& dbusObject_;
  ServerBinding& binding_;
};

using StubMaker =
    std::function<std::unique_ptr<Stub>(sdbus::IObject&, ServerBinding&, const com::ComPtr<com::IUnknown>&)>;

}  // namespace albumcore::dbus
