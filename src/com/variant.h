// VARIANT and SAFEARRAY: the automation value types.
//
// A Variant is a type tag (VarType) and a value of that type. Copies are
// cheap: an array is shared between copies until one of them is changed
// (copy on write), so handing a listing's arrays around costs nothing.
//
// Accessors of a fixed type (i4(), bstr(), ...) raise DISP_E_TYPEMISMATCH on
// a variant of another type; the To...() conversions coerce the way
// VariantChangeType does for the types this system uses.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "com/text.h"
#include "com/unknown.h"

namespace albumcore::com {

enum VarType : uint16_t {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R8 = 5,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_UI1 = 17,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_ARRAY = 0x2000,
  VT_TYPEMASK = 0x0FFF,
};

using VARIANT_BOOL = int16_t;
inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

// True for the scalar types a Variant or an array element may have.
bool IsSupportedElementType(uint16_t vt);
const char* VarTypeName(uint16_t vt);

class SafeArray;
class Variant;

class Variant {
 public:
  Variant() = default;  // VT_EMPTY
  Variant(int32_t v) : vt_(VT_I4), value_(v) {}
  Variant(double v) : vt_(VT_R8), value_(v) {}
  Variant(Bstr v) : vt_(VT_BSTR), value_(std::move(v)) {}
  Variant(std::string v) : Variant(Bstr(std::move(v))) {}
  Variant(const char* v) : Variant(Bstr(v)) {}
  Variant(SafeArray array);

  static Variant Null() { return Variant(VT_NULL, std::monostate{}); }
  static Variant I2(int16_t v) { return Variant(VT_I2, v); }
  static Variant I8(int64_t v) { return Variant(VT_I8, v); }
  static Variant UI1(uint8_t v) { return Variant(VT_UI1, v); }
  static Variant UI4(uint32_t v) { return Variant(VT_UI4, v); }
  static Variant Bool(bool v) { return Variant(VT_BOOL, static_cast<int16_t>(v ? VARIANT_TRUE : VARIANT_FALSE)); }
  static Variant Date(double oaDate) { return Variant(VT_DATE, oaDate); }
  static Variant Error(HRESULT scode) { return Variant(VT_ERROR, scode); }
  // The marker of an omitted optional argument.
  static Variant Missing() { return Error(DISP_E_PARAMNOTFOUND); }
  static Variant Unknown(ComPtr<IUnknown> object) { return Variant(VT_UNKNOWN, std::move(object)); }
  static Variant Dispatch(ComPtr<IUnknown> object) { return Variant(VT_DISPATCH, std::move(object)); }

  uint16_t vt() const noexcept { return vt_; }
  bool isEmpty() const noexcept { return vt_ == VT_EMPTY; }
  bool isNull() const noexcept { return vt_ == VT_NULL; }
  bool isArray() const noexcept { return (vt_ & VT_ARRAY) != 0; }
  bool isMissing() const noexcept { return vt_ == VT_ERROR && std::get<int32_t>(value_) == DISP_E_PARAMNOTFOUND; }

  // Exact-type accessors; DISP_E_TYPEMISMATCH on another type.
  int16_t i2() const { return get<int16_t>(VT_I2); }
  int32_t i4() const { return get<int32_t>(VT_I4); }
  int64_t i8() const { return get<int64_t>(VT_I8); }
  uint8_t ui1() const { return get<uint8_t>(VT_UI1); }
  uint32_t ui4() const { return get<uint32_t>(VT_UI4); }
  double r8() const { return get<double>(VT_R8); }
  double date() const { return get<double>(VT_DATE); }
  VARIANT_BOOL boolVal() const { return get<int16_t>(VT_BOOL); }
  HRESULT scode() const { return get<int32_t>(VT_ERROR); }
  const Bstr& bstr() const { return get<Bstr>(VT_BSTR); }
  const ComPtr<IUnknown>& object() const;
  const SafeArray& array() const;
  SafeArray& mutableArray();  // unshares the array first

  // Coercions (VariantChangeType): DISP_E_TYPEMISMATCH or DISP_E_OVERFLOW
  // when the value has no such form.
  int32_t ToI4() const;
  double ToDouble() const;
  bool ToBool() const;
  std::string ToString() const;
  Variant ChangeType(uint16_t vt) const;

  // Same tag and same value; arrays compare element by element.
  friend bool operator==(const Variant& a, const Variant& b);

  // Human-readable form for tools and test failures: "VT_I4 42".
  std::string Describe() const;

 private:
  using Value = std::variant<std::monostate, int16_t, int32_t, int64_t, uint8_t, uint32_t, double, Bstr,
                             ComPtr<IUnknown>, std::shared_ptr<SafeArray>>;

  template <class T>
  Variant(uint16_t vt, T v) : vt_(vt), value_(std::move(v)) {}

  template <class T>
  const T& get(uint16_t vt) const {
    if (vt_ != vt) throw ComError(DISP_E_TYPEMISMATCH, std::string("expected ") + VarTypeName(vt) + ", have " + VarTypeName(vt_));
    return std::get<T>(value_);
  }

  uint16_t vt_ = VT_EMPTY;
  Value value_;
};

struct SafeArrayBound {
  uint32_t count = 0;
  int32_t lower = 0;
  friend bool operator==(const SafeArrayBound&, const SafeArrayBound&) = default;
};

// An array of one element type with one or more dimensions, each with its
// own lower bound. Elements are stored flat, the first dimension varying
// fastest (the SAFEARRAY layout).
class SafeArray {
 public:
  using Storage = std::variant<std::vector<int16_t>, std::vector<int32_t>, std::vector<int64_t>, std::vector<uint8_t>,
                               std::vector<uint32_t>, std::vector<double>, std::vector<Bstr>, std::vector<Variant>,
                               std::vector<ComPtr<IUnknown>>>;

  // A one-dimensional array of `count` default elements.
  SafeArray(uint16_t elementType, uint32_t count, int32_t lower = 0);
  SafeArray(uint16_t elementType, std::vector<SafeArrayBound> bounds);

  // One-dimensional array over existing elements; T must be the storage type
  // of `elementType` (int32_t for VT_I4, Bstr for VT_BSTR, ...).
  template <class T>
  static SafeArray FromVector(uint16_t elementType, std::vector<T> elements, int32_t lower = 0) {
    SafeArray a(elementType, 0, lower);
    a.bounds_[0].count = static_cast<uint32_t>(elements.size());
    a.elements<T>() = std::move(elements);
    return a;
  }

  uint16_t elementType() const noexcept { return elementType_; }
  uint32_t dimensions() const noexcept { return static_cast<uint32_t>(bounds_.size()); }
  const std::vector<SafeArrayBound>& bounds() const noexcept { return bounds_; }
  int32_t lowerBound(uint32_t dim = 0) const { return bound(dim).lower; }
  // Upper bound as SafeArrayGetUBound gives it: lower + count - 1.
  int32_t upperBound(uint32_t dim = 0) const {
    return static_cast<int32_t>(int64_t{bound(dim).lower} + int64_t{bound(dim).count} - 1);
  }
  size_t size() const noexcept;

  // Typed access to the flat storage; DISP_E_TYPEMISMATCH for the wrong T.
  template <class T>
  const std::vector<T>& elements() const {
    if (auto* v = std::get_if<std::vector<T>>(&storage_)) return *v;
    throw ComError(DISP_E_TYPEMISMATCH, "array element storage");
  }
  template <class T>
  std::vector<T>& elements() {
    if (auto* v = std::get_if<std::vector<T>>(&storage_)) return *v;
    throw ComError(DISP_E_TYPEMISMATCH, "array element storage");
  }
  const Storage& storage() const noexcept { return storage_; }

  // Element `index` of a one-dimensional array, by its SAFEARRAY index (so
  // between lowerBound() and upperBound()); DISP_E_BADINDEX outside.
  Variant get(int32_t index) const;
  void set(int32_t index, const Variant& value);  // coerced to the element type

  friend bool operator==(const SafeArray& a, const SafeArray& b);

 private:
  const SafeArrayBound& bound(uint32_t dim) const;
  size_t offset(int32_t index) const;

  uint16_t elementType_;
  std::vector<SafeArrayBound> bounds_;
  Storage storage_;
};

}  // namespace albumcore::com
