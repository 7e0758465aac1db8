// VARIANT on the wire: a D-Bus struct (qv) of the type tag and a D-Bus
// variant holding the value.
//
//   VT_EMPTY, VT_NULL        y 0
//   VT_I2 n, VT_I4 i, VT_I8 x, VT_UI1 y, VT_UI4 u, VT_ERROR i
//   VT_R8 d, VT_DATE d, VT_BOOL b
//   VT_BSTR                  s, or y 0 for a null string
//   VT_UNKNOWN, VT_DISPATCH  o, "/" for a null object
//   VT_ARRAY | t             a one-dimensional array with lower bound 0 as a
//                            typed D-Bus array: an (I2, BOOL as -1/0), ai, ax,
//                            ay, au, ad, as, ao, a(qv) for VT_VARIANT; any
//                            other shape as (a(ui)A): the bounds (count,
//                            lower) of each dimension, then the flat array A.
//
// Bulk results therefore travel as typed arrays, never as arrays of (qv).
// A received array is refused (DISP_E_TYPEMISMATCH) before anything is
// allocated for it when its shape makes no sense: more than
// kMaxArrayDimensions dimensions, bounds past a 32-bit index, counts whose
// product is not exactly the number of elements carried, or arrays of
// variants nested more than kMaxVariantNesting deep.
// Objects are turned into paths and back by an ObjectMarshaller, which the
// server and the client library each provide.
#pragma once

#include <sdbus-c++/sdbus-c++.h>

#include "com/variant.h"

namespace albumcore::dbus {

using WireVariant = sdbus::Struct<uint16_t, sdbus::Variant>;

inline constexpr size_t kMaxArrayDimensions = 8;
inline constexpr int kMaxVariantNesting = 16;

class ObjectMarshaller {
 public:
  virtual ~ObjectMarshaller() = default;
  // Path under which the peer can reach `object` ("/" for null).
  virtual sdbus::ObjectPath PathOf(const com::ComPtr<com::IUnknown>& object) = 0;
  // Object standing for `path` ("/" gives null).
  virtual com::ComPtr<com::IUnknown> ObjectAt(const sdbus::ObjectPath& path) = 0;
};

// Raise ComError(DISP_E_TYPEMISMATCH) for a value the wire form cannot carry
// or a wire value that does not match its tag. `objects` may be null when no
// objects are expected (E_INVALIDARG then if one comes).
WireVariant EncodeVariant(const com::Variant& value, ObjectMarshaller* objects);
com::Variant DecodeVariant(const WireVariant& wire, ObjectMarshaller* objects);

}  // namespace albumcore::dbus
