#include "tagging/keywords/id_arrays.h"

#include <string>

#include "sqltext/id_list.h"

namespace albumcore::tagging::keywords {

std::vector<int32_t> ReadIdArray(const com::Variant& ids) {
  if (!ids.isArray()) {
    throw com::ComError(com::E_INVALIDARG, std::string("an ID array was expected, not ") + com::VarTypeName(ids.vt()));
  }
  if (ids.array().size() > kMaxIdsPerArgument) {
    throw com::ComError(com::E_INVALIDARG, "more than " + std::to_string(kMaxIdsPerArgument) + " IDs in one array");
  }
  return sqltext::ReadIdList(ids.array());
}

com::Variant IdColumn(std::vector<int32_t> ids) {
  return com::Variant(com::SafeArray::FromVector(com::VT_I4, std::move(ids)));
}

com::Variant NameColumn(std::vector<com::Bstr> names) {
  return com::Variant(com::SafeArray::FromVector(com::VT_BSTR, std::move(names)));
}

com::Bstr TextOf(const com::Variant& value) {
  if (value.vt() == com::VT_BSTR) return value.bstr();
  if (value.isNull() || value.isEmpty()) return com::Bstr::Null();
  return com::Bstr(value.ToString());
}

}  // namespace albumcore::tagging::keywords
