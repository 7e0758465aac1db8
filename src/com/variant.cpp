#include "com/variant.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "com/oadate.h"

namespace albumcore::com {

bool IsSupportedElementType(uint16_t vt) {
  switch (vt) {
    case VT_EMPTY: case VT_NULL: case VT_I2: case VT_I4: case VT_R8: case VT_DATE: case VT_BSTR:
    case VT_DISPATCH: case VT_ERROR: case VT_BOOL: case VT_VARIANT: case VT_UNKNOWN: case VT_UI1:
    case VT_UI4: case VT_I8:
      return true;
    default:
      return false;
  }
}

const char* VarTypeName(uint16_t vt) {
  if (vt & VT_ARRAY) return "VT_ARRAY";
  switch (vt) {
    case VT_EMPTY: return "VT_EMPTY";
    case VT_NULL: return "VT_NULL";
    case VT_I2: return "VT_I2";
    case VT_I4: return "VT_I4";
    case VT_R8: return "VT_R8";
    case VT_DATE: return "VT_DATE";
    case VT_BSTR: return "VT_BSTR";
    case VT_DISPATCH: return "VT_DISPATCH";
    case VT_ERROR: return "VT_ERROR";
    case VT_BOOL: return "VT_BOOL";
    case VT_VARIANT: return "VT_VARIANT";
    case VT_UNKNOWN: return "VT_UNKNOWN";
    case VT_UI1: return "VT_UI1";
    case VT_UI4: return "VT_UI4";
    case VT_I8: return "VT_I8";
    default: return "VT_?";
  }
}

// ---- Variant -------------------------------------------------------------

Variant::Variant(SafeArray array)
    : vt_(static_cast<uint16_t>(VT_ARRAY | array.elementType())),
      value_(std::make_shared<SafeArray>(std::move(array))) {}

const ComPtr<IUnknown>& Variant::object() const {
  if (vt_ != VT_UNKNOWN && vt_ != VT_DISPATCH) throw ComError(DISP_E_TYPEMISMATCH, "expected an object");
  return std::get<ComPtr<IUnknown>>(value_);
}

const SafeArray& Variant::array() const {
  if (!isArray()) throw ComError(DISP_E_TYPEMISMATCH, "expected an array");
  return *std::get<std::shared_ptr<SafeArray>>(value_);
}

SafeArray& Variant::mutableArray() {
  if (!isArray()) throw ComError(DISP_E_TYPEMISMATCH, "expected an array");
  auto& shared = std::get<std::shared_ptr<SafeArray>>(value_);
  if (shared.use_count() > 1) shared = std::make_shared<SafeArray>(*shared);
  return *shared;
}

namespace {

bool ParseNumber(const std::string& text, double& out) {
  const char* begin = text.data();
  const char* end = text.data() + text.size();
  while (begin < end && *begin == ' ') ++begin;
  while (end > begin && end[-1] == ' ') --end;
  if (begin == end) return false;
  auto [ptr, ec] = std::from_chars(begin, end, out);
  return ec == std::errc() && ptr == end && std::isfinite(out);  // no "nan", "inf"
}

int32_t CheckedI4(double v) {
  double r = std::nearbyint(v);  // banker's rounding, as automation does
  if (!(r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max())) {
    throw ComError(DISP_E_OVERFLOW);
  }
  return static_cast<int32_t>(r);
}

std::string FormatDouble(double v) {
  char buf[32];
  auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, ptr);
}

}  // namespace

double Variant::ToDouble() const {
  switch (vt_) {
    case VT_EMPTY: return 0;
    case VT_I2: return std::get<int16_t>(value_);
    case VT_I4: return std::get<int32_t>(value_);
    case VT_I8: return static_cast<double>(std::get<int64_t>(value_));
    case VT_UI1: return std::get<uint8_t>(value_);
    case VT_UI4: return std::get<uint32_t>(value_);
    case VT_R8: case VT_DATE: return std::get<double>(value_);
    case VT_BOOL: return std::get<int16_t>(value_);
    case VT_BSTR: {
      double d;
      if (ParseNumber(bstr().str(), d)) return d;
      break;
    }
    default: break;
  }
  throw ComError(DISP_E_TYPEMISMATCH, std::string("cannot convert ") + VarTypeName(vt_) + " to a number");
}

int32_t Variant::ToI4() const {
  if (vt_ == VT_I4) return std::get<int32_t>(value_);
  return CheckedI4(ToDouble());
}

bool Variant::ToBool() const {
  if (vt_ == VT_BSTR) {
    const std::string& s = bstr().str();
    if (s == "True" || s == "true" || s == "Yes" || s == "yes" || s == "On" || s == "on") return true;
    if (s == "False" || s == "false" || s == "No" || s == "no" || s == "Off" || s == "off") return false;
  }
  return ToDouble() != 0;
}

std::string Variant::ToString() const {
  switch (vt_) {
    case VT_EMPTY: return {};
    case VT_BSTR: return bstr().str();
    case VT_BOOL: return std::get<int16_t>(value_) ? "True" : "False";
    case VT_DATE: return FormatOaDate(std::get<double>(value_));
    case VT_R8: return FormatDouble(std::get<double>(value_));
    case VT_I8: return std::to_string(std::get<int64_t>(value_));
    case VT_I2: case VT_I4: case VT_UI1: case VT_UI4:
      return std::to_string(static_cast<int64_t>(ToDouble()));
    default:
      throw ComError(DISP_E_TYPEMISMATCH, std::string("cannot convert ") + VarTypeName(vt_) + " to text");
  }
}

Variant Variant::ChangeType(uint16_t vt) const {
  if (vt == vt_) return *this;
  switch (vt) {
    case VT_EMPTY: return Variant();
    case VT_NULL: return Null();
    case VT_I2: {
      int32_t v = ToI4();
      if (v < INT16_MIN || v > INT16_MAX) throw ComError(DISP_E_OVERFLOW);
      return I2(static_cast<int16_t>(v));
    }
    case VT_I4: return Variant(ToI4());
    case VT_I8: {
      double v = std::nearbyint(ToDouble());
      if (!(v >= -0x1p63 && v < 0x1p63)) throw ComError(DISP_E_OVERFLOW);
      return I8(static_cast<int64_t>(v));
    }
    case VT_UI1: {
      int32_t v = ToI4();
      if (v < 0 || v > 255) throw ComError(DISP_E_OVERFLOW);
      return UI1(static_cast<uint8_t>(v));
    }
    case VT_UI4: {
      double v = std::nearbyint(ToDouble());
      if (!(v >= 0 && v <= UINT32_MAX)) throw ComError(DISP_E_OVERFLOW);  // NaN too
      return UI4(static_cast<uint32_t>(v));
    }
    case VT_R8: return Variant(ToDouble());
    case VT_DATE: return Date(ToDouble());
    case VT_BOOL: return Bool(ToBool());
    case VT_BSTR: return Variant(ToString());
    default: throw ComError(DISP_E_TYPEMISMATCH, std::string("cannot convert to ") + VarTypeName(vt));
  }
}

bool operator==(const Variant& a, const Variant& b) {
  if (a.vt_ != b.vt_) return false;
  if (a.isArray()) return a.array() == b.array();
  return a.value_ == b.value_;
}

std::string Variant::Describe() const {
  if (isArray()) {
    const SafeArray& arr = array();
    std::string s = std::string("VT_ARRAY|") + VarTypeName(arr.elementType()) + " [";
    for (size_t d = 0; d < arr.dimensions(); ++d) {
      s += (d ? "," : "") + std::to_string(arr.bounds()[d].lower) + ".." +
           std::to_string(arr.bounds()[d].lower + static_cast<int64_t>(arr.bounds()[d].count) - 1);
    }
    return s + "]";
  }
  switch (vt_) {
    case VT_EMPTY: case VT_NULL: return VarTypeName(vt_);
    case VT_BSTR: return bstr().isNull() ? "VT_BSTR null" : "VT_BSTR \"" + bstr().str() + "\"";
    case VT_ERROR: return "VT_ERROR " + DescribeHresult(scode());
    case VT_UNKNOWN: case VT_DISPATCH:
      return std::string(VarTypeName(vt_)) + (object() ? " object" : " null");
    default: return std::string(VarTypeName(vt_)) + " " + ToString();
  }
}

// ---- SafeArray -----------------------------------------------------------

namespace {

SafeArray::Storage StorageFor(uint16_t elementType) {
  switch (elementType) {
    case VT_I2: case VT_BOOL: return std::vector<int16_t>{};
    case VT_I4: case VT_ERROR: return std::vector<int32_t>{};
    case VT_I8: return std::vector<int64_t>{};
    case VT_UI1: return std::vector<uint8_t>{};
    case VT_UI4: return std::vector<uint32_t>{};
    case VT_R8: case VT_DATE: return std::vector<double>{};
    case VT_BSTR: return std::vector<Bstr>{};
    case VT_VARIANT: return std::vector<Variant>{};
    case VT_UNKNOWN: case VT_DISPATCH: return std::vector<ComPtr<IUnknown>>{};
    default: throw ComError(E_INVALIDARG, std::string("no arrays of ") + VarTypeName(elementType));
  }
}

}  // namespace

SafeArray::SafeArray(uint16_t elementType, uint32_t count, int32_t lower)
    : SafeArray(elementType, std::vector<SafeArrayBound>{{count, lower}}) {}

SafeArray::SafeArray(uint16_t elementType, std::vector<SafeArrayBound> bounds)
    : elementType_(elementType), bounds_(std::move(bounds)), storage_(StorageFor(elementType)) {
  if (bounds_.empty()) throw ComError(E_INVALIDARG, "an array needs a dimension");
  size_t n = 1;
  for (const auto& b : bounds_) n *= b.count;
  std::visit([n](auto& v) { v.resize(n); }, storage_);
}

size_t SafeArray::size() const noexcept {
  return std::visit([](const auto& v) { return v.size(); }, storage_);
}

const SafeArrayBound& SafeArray::bound(uint32_t dim) const {
  if (dim >= bounds_.size()) throw ComError(DISP_E_BADINDEX, "no such dimension");
  return bounds_[dim];
}

size_t SafeArray::offset(int32_t index) const {
  if (bounds_.size() != 1) throw ComError(DISP_E_BADINDEX, "element access needs one dimension");
  int64_t i = static_cast<int64_t>(index) - bounds_[0].lower;
  if (i < 0 || i >= static_cast<int64_t>(bounds_[0].count)) throw ComError(DISP_E_BADINDEX);
  return static_cast<size_t>(i);
}

Variant SafeArray::get(int32_t index) const {
  const size_t i = offset(index);
  switch (elementType_) {
    case VT_I2: return Variant::I2(elements<int16_t>()[i]);
    case VT_BOOL: return Variant::Bool(elements<int16_t>()[i] != 0);
    case VT_I4: return Variant(elements<int32_t>()[i]);
    case VT_ERROR: return Variant::Error(elements<int32_t>()[i]);
    case VT_I8: return Variant::I8(elements<int64_t>()[i]);
    case VT_UI1: return Variant::UI1(elements<uint8_t>()[i]);
    case VT_UI4: return Variant::UI4(elements<uint32_t>()[i]);
    case VT_R8: return Variant(elements<double>()[i]);
    case VT_DATE: return Variant::Date(elements<double>()[i]);
    case VT_BSTR: return Variant(elements<Bstr>()[i]);
    case VT_VARIANT: return elements<Variant>()[i];
    case VT_UNKNOWN: return Variant::Unknown(elements<ComPtr<IUnknown>>()[i]);
    case VT_DISPATCH: return Variant::Dispatch(elements<ComPtr<IUnknown>>()[i]);
    default: throw ComError(DISP_E_TYPEMISMATCH);
  }
}

void SafeArray::set(int32_t index, const Variant& value) {
  const size_t i = offset(index);
  if (elementType_ == VT_VARIANT) {
    elements<Variant>()[i] = value;
    return;
  }
  if (elementType_ == VT_UNKNOWN || elementType_ == VT_DISPATCH) {
    elements<ComPtr<IUnknown>>()[i] = value.object();
    return;
  }
  Variant v = value.ChangeType(elementType_);
  switch (elementType_) {
    case VT_I2: elements<int16_t>()[i] = v.i2(); break;
    case VT_BOOL: elements<int16_t>()[i] = v.boolVal(); break;
    case VT_I4: elements<int32_t>()[i] = v.i4(); break;
    case VT_ERROR: elements<int32_t>()[i] = v.scode(); break;
    case VT_I8: elements<int64_t>()[i] = v.i8(); break;
    case VT_UI1: elements<uint8_t>()[i] = v.ui1(); break;
    case VT_UI4: elements<uint32_t>()[i] = v.ui4(); break;
    case VT_R8: elements<double>()[i] = v.r8(); break;
    case VT_DATE: elements<double>()[i] = v.date(); break;
    case VT_BSTR: elements<Bstr>()[i] = v.bstr(); break;
    default: throw ComError(DISP_E_TYPEMISMATCH);
  }
}

bool operator==(const SafeArray& a, const SafeArray& b) {
  return a.elementType_ == b.elementType_ && a.bounds_ == b.bounds_ && a.storage_ == b.storage_;
}

}  // namespace albumcore::com
