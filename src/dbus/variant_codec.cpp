#include "dbus/variant_codec.h"

#include <climits>
#include <cstdint>
#include <tuple>

namespace albumcore::dbus {

using com::ComError;
using com::SafeArray;
using com::Variant;

namespace {

using Bounds = std::vector<sdbus::Struct<uint32_t, int32_t>>;

ComError Mismatch(const std::string& what) { return ComError(com::DISP_E_TYPEMISMATCH, what); }

ObjectMarshaller& Need(ObjectMarshaller* objects) {
  if (objects == nullptr) throw ComError(com::E_INVALIDARG, "objects cannot travel here");
  return *objects;
}

// ---- arrays -----------------------------------------------------------------

// The flat element vector in its wire form.
template <class Fn>
auto WithWireElements(const SafeArray& a, ObjectMarshaller* objects, Fn&& fn) {
  switch (a.elementType()) {
    case com::VT_I2:
    case com::VT_BOOL: return fn(a.elements<int16_t>());
    case com::VT_I4:
    case com::VT_ERROR: return fn(a.elements<int32_t>());
    case com::VT_I8: return fn(a.elements<int64_t>());
    case com::VT_UI1: return fn(a.elements<uint8_t>());
    case com::VT_UI4: return fn(a.elements<uint32_t>());
    case com::VT_R8:
    case com::VT_DATE: return fn(a.elements<double>());
    case com::VT_BSTR: {
      // The texts are appended where they are; a listing's hundred thousand
      // names are not copied first.
      std::vector<const char*> v;
      v.reserve(a.size());
      for (const auto& s : a.elements<com::Bstr>()) v.push_back(s.str().c_str());
      return fn(v);
    }
    case com::VT_VARIANT: {
      std::vector<WireVariant> v;
      v.reserve(a.size());
      for (const auto& e : a.elements<Variant>()) v.push_back(EncodeVariant(e, objects));
      return fn(v);
    }
    case com::VT_UNKNOWN:
    case com::VT_DISPATCH: {
      std::vector<sdbus::ObjectPath> v;
      v.reserve(a.size());
      for (const auto& o : a.elements<com::ComPtr<com::IUnknown>>()) v.push_back(Need(objects).PathOf(o));
      return fn(v);
    }
    default: throw Mismatch("no arrays of this element type");
  }
}

sdbus::Variant EncodeArray(const SafeArray& a, ObjectMarshaller* objects) {
  const bool plain = a.dimensions() == 1 && a.lowerBound(0) == 0;
  return WithWireElements(a, objects, [&](const auto& elements) {
    if (plain) return sdbus::Variant(elements);
    Bounds bounds;
    for (const auto& b : a.bounds()) bounds.emplace_back(b.count, b.lower);
    using Elements = std::decay_t<decltype(elements)>;
    return sdbus::Variant(sdbus::Struct<Bounds, Elements>(bounds, elements));
  });
}

// The shape a client sends must make sense before anything is allocated for
// it: a few dimensions, each with indexes that fit in 32 bits, whose counts
// multiply (checked, never wrapping) to exactly the elements the message
// carries.
std::vector<com::SafeArrayBound> CheckedShape(const Bounds& wire, size_t elementCount) {
  if (wire.empty() || wire.size() > kMaxArrayDimensions) {
    throw Mismatch("an array has 1 to " + std::to_string(kMaxArrayDimensions) + " dimensions, not " +
                   std::to_string(wire.size()));
  }
  std::vector<com::SafeArrayBound> bounds;
  bounds.reserve(wire.size());
  size_t total = 1;
  for (const auto& b : wire) {
    const uint32_t count = std::get<0>(b);
    const int32_t lower = std::get<1>(b);
    if (int64_t{lower} + int64_t{count} - 1 > INT32_MAX) throw Mismatch("array bounds past the largest index");
    if (count != 0 && total > elementCount / count) throw Mismatch("array bounds hold more than its elements");
    total *= count;
    bounds.push_back({count, lower});
  }
  if (total != elementCount) throw Mismatch("array bounds do not match its elements");
  return bounds;
}

template <class Wire>
std::pair<std::vector<com::SafeArrayBound>, std::vector<Wire>> ReadArray(const sdbus::Variant& v) {
  const std::string type = v.peekValueType();
  const std::string plain = sdbus::signature_of<std::vector<Wire>>::str();
  if (type == plain) {
    auto elements = v.get<std::vector<Wire>>();
    std::vector<com::SafeArrayBound> bounds{{static_cast<uint32_t>(elements.size()), 0}};
    return {std::move(bounds), std::move(elements)};
  }
  if (type == "(a(ui)" + plain + ")") {
    auto s = v.get<sdbus::Struct<Bounds, std::vector<Wire>>>();
    auto bounds = CheckedShape(std::get<0>(s), std::get<1>(s).size());
    return {std::move(bounds), std::move(std::get<1>(s))};
  }
  throw Mismatch("array of signature " + type);
}

template <class Wire, class Stored = Wire, class Convert>
SafeArray DecodeArrayAs(uint16_t elementType, const sdbus::Variant& v, Convert&& convert) {
  auto [bounds, wire] = ReadArray<Wire>(v);
  SafeArray a(elementType, std::move(bounds));
  auto& out = a.elements<Stored>();
  // The wire elements are this call's own: texts move instead of copying.
  for (size_t i = 0; i < wire.size(); ++i) out[i] = convert(std::move(wire[i]));
  return a;
}

Variant DecodeAt(const WireVariant& wire, ObjectMarshaller* objects, int depth);

SafeArray DecodeArray(uint16_t elementType, const sdbus::Variant& v, ObjectMarshaller* objects, int depth) {
  auto same = [](const auto& x) { return x; };
  switch (elementType) {
    case com::VT_I2: return DecodeArrayAs<int16_t>(elementType, v, same);
    case com::VT_BOOL:
      return DecodeArrayAs<int16_t>(elementType, v, [](int16_t b) -> int16_t { return b ? com::VARIANT_TRUE : 0; });
    case com::VT_I4:
    case com::VT_ERROR: return DecodeArrayAs<int32_t>(elementType, v, same);
    case com::VT_I8: return DecodeArrayAs<int64_t>(elementType, v, same);
    case com::VT_UI1: return DecodeArrayAs<uint8_t>(elementType, v, same);
    case com::VT_UI4: return DecodeArrayAs<uint32_t>(elementType, v, same);
    case com::VT_R8:
    case com::VT_DATE: return DecodeArrayAs<double>(elementType, v, same);
    case com::VT_BSTR:
      return DecodeArrayAs<std::string, com::Bstr>(elementType, v, [](std::string&& s) { return com::Bstr(std::move(s)); });
    case com::VT_VARIANT:
      return DecodeArrayAs<WireVariant, Variant>(elementType, v,
                                                 [&](const WireVariant& w) { return DecodeAt(w, objects, depth + 1); });
    case com::VT_UNKNOWN:
    case com::VT_DISPATCH:
      return DecodeArrayAs<sdbus::ObjectPath, com::ComPtr<com::IUnknown>>(
          elementType, v, [&](const sdbus::ObjectPath& p) { return Need(objects).ObjectAt(p); });
    default: throw Mismatch("no arrays of this element type");
  }
}

// ---- scalars ------------------------------------------------------------------

template <class T>
T Get(const sdbus::Variant& v) {
  if (!v.containsValueOfType<T>()) throw Mismatch("value of signature " + v.peekValueType());
  return v.get<T>();
}

}  // namespace

WireVariant EncodeVariant(const Variant& value, ObjectMarshaller* objects) {
  const uint16_t vt = value.vt();
  if (value.isArray()) return WireVariant(vt, EncodeArray(value.array(), objects));
  switch (vt) {
    case com::VT_EMPTY:
    case com::VT_NULL: return WireVariant(vt, sdbus::Variant(uint8_t{0}));
    case com::VT_I2: return WireVariant(vt, sdbus::Variant(value.i2()));
    case com::VT_I4: return WireVariant(vt, sdbus::Variant(value.i4()));
    case com::VT_I8: return WireVariant(vt, sdbus::Variant(value.i8()));
    case com::VT_UI1: return WireVariant(vt, sdbus::Variant(value.ui1()));
    case com::VT_UI4: return WireVariant(vt, sdbus::Variant(value.ui4()));
    case com::VT_ERROR: return WireVariant(vt, sdbus::Variant(value.scode()));
    case com::VT_R8: return WireVariant(vt, sdbus::Variant(value.r8()));
    case com::VT_DATE: return WireVariant(vt, sdbus::Variant(value.date()));
    case com::VT_BOOL: return WireVariant(vt, sdbus::Variant(value.boolVal() != 0));
    case com::VT_BSTR:
      if (value.bstr().isNull()) return WireVariant(vt, sdbus::Variant(uint8_t{0}));
      return WireVariant(vt, sdbus::Variant(value.bstr().str()));
    case com::VT_UNKNOWN:
    case com::VT_DISPATCH:
      return WireVariant(vt, sdbus::Variant(value.object() ? Need(objects).PathOf(value.object())
                                                            : sdbus::ObjectPath("/")));
    default: throw Mismatch(std::string("cannot send ") + com::VarTypeName(vt));
  }
}

Variant DecodeVariant(const WireVariant& wire, ObjectMarshaller* objects) { return DecodeAt(wire, objects, 0); }

namespace {

Variant DecodeAt(const WireVariant& wire, ObjectMarshaller* objects, int depth) {
  const uint16_t vt = std::get<0>(wire);
  const sdbus::Variant& v = std::get<1>(wire);
  if (v.isEmpty()) throw Mismatch("empty value");
  if (depth > kMaxVariantNesting) throw Mismatch("arrays of variants nested too deep");
  if (vt & com::VT_ARRAY) {
    const uint16_t element = vt & com::VT_TYPEMASK;
    if ((vt & ~(com::VT_ARRAY | com::VT_TYPEMASK)) != 0 || !com::IsSupportedElementType(element) ||
        element == com::VT_EMPTY || element == com::VT_NULL) {
      throw Mismatch("bad array type tag " + std::to_string(vt));
    }
    return Variant(DecodeArray(element, v, objects, depth));
  }
  switch (vt) {
    case com::VT_EMPTY: return Variant();
    case com::VT_NULL: return Variant::Null();
    case com::VT_I2: return Variant::I2(Get<int16_t>(v));
    case com::VT_I4: return Variant(Get<int32_t>(v));
    case com::VT_I8: return Variant::I8(Get<int64_t>(v));
    case com::VT_UI1: return Variant::UI1(Get<uint8_t>(v));
    case com::VT_UI4: return Variant::UI4(Get<uint32_t>(v));
    case com::VT_ERROR: return Variant::Error(Get<int32_t>(v));
    case com::VT_R8: return Variant(Get<double>(v));
    case com::VT_DATE: return Variant::Date(Get<double>(v));
    case com::VT_BOOL: return Variant::Bool(Get<bool>(v));
    case com::VT_BSTR:
      if (v.containsValueOfType<uint8_t>()) return Variant(com::Bstr::Null());
      return Variant(Get<std::string>(v));
    case com::VT_UNKNOWN: {
      auto path = Get<sdbus::ObjectPath>(v);
      return Variant::Unknown(path == "/" ? nullptr : Need(objects).ObjectAt(path));
    }
    case com::VT_DISPATCH: {
      auto path = Get<sdbus::ObjectPath>(v);
      return Variant::Dispatch(path == "/" ? nullptr : Need(objects).ObjectAt(path));
    }
    default: throw Mismatch("unknown type tag " + std::to_string(vt));
  }
}

}  // namespace

}  // namespace albumcore::dbus
