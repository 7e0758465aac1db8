#include "sqltext/id_list.h"

#include <cmath>
#include <limits>

#include "com/error.h"

namespace albumcore::sqltext {

namespace {

int32_t CheckedId(int64_t v) {
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) {
    throw com::ComError(com::E_INVALIDARG, "ID outside the 32-bit range: " + std::to_string(v));
  }
  return static_cast<int32_t>(v);
}

int32_t IdOf(const com::Variant& element) {
  switch (element.vt()) {
    case com::VT_I4: return element.i4();
    case com::VT_I2: return element.i2();
    case com::VT_UI1: return element.ui1();
    case com::VT_UI4: return CheckedId(element.ui4());
    case com::VT_I8: return CheckedId(element.i8());
    case com::VT_R8: {
      double d = element.r8();
      if (!std::isfinite(d) || d != std::trunc(d) || std::fabs(d) > 4e9) {
        throw com::ComError(com::E_INVALIDARG, "ID list element is not a whole number");
      }
      return CheckedId(static_cast<int64_t>(d));
    }
    default:
      throw com::ComError(com::E_INVALIDARG, std::string("ID list element of type ") + com::VarTypeName(element.vt()));
  }
}

}  // namespace

std::vector<int32_t> ReadIdList(const com::SafeArray& ids) {
  if (ids.dimensions() != 1) throw com::ComError(com::E_INVALIDARG, "an ID list needs a one-dimensional array");
  // Counted rather than compared with upperBound(), which cannot be formed
  // for some bounds near the ends of the 32-bit range.
  const int64_t lower = ids.lowerBound();
  const uint32_t count = ids.bounds()[0].count;
  if (count != 0 && lower + count - 1 > std::numeric_limits<int32_t>::max()) {
    throw com::ComError(com::E_INVALIDARG, "array bounds outside the 32-bit range");
  }
  if (ids.elementType() == com::VT_I4) return ids.elements<int32_t>();  // the common shape, as it is
  std::vector<int32_t> out;
  out.reserve(count);
  for (uint32_t k = 0; k < count; ++k) out.push_back(IdOf(ids.get(static_cast<int32_t>(lower + k))));
  return out;
}

std::string FormatIdList(const com::SafeArray& ids) { return FormatIdList(ReadIdList(ids)); }

std::string FormatIdList(std::span<const int32_t> ids) {
  std::string text = "(";
  for (size_t i = 0; i < ids.size(); ++i) {
    if (i != 0) text += ',';
    text += std::to_string(ids[i]);
  }
  return text + ")";
}

}  // namespace albumcore::sqltext
