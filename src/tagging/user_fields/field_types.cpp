#include "tagging/user_fields/field_types.h"

#include <cstdio>

#include "typelib/kiv_user_fields.h"

namespace albumcore::tagging {

using namespace typelib;

const std::vector<FieldTypeInfo>& FieldTypes() noexcept {
  static const std::vector<FieldTypeInfo> kTypes = {
      {NAX_FIELD_TEXT, "AssignedFieldsText", "Text"},    {NAX_FIELD_INTEGER, "AssignedFieldsNumber", "Number"},
      {NAX_FIELD_DATE, "AssignedFieldsDate", "Date"},    {NAX_FIELD_YESNO, "AssignedFieldsYesNo", "YesNo"},
      {NAX_FIELD_ONOFF, "AssignedFieldsOnOff", "OnOff"}, {NAX_FIELD_MEMO, "AssignedFieldsMemo", "Memo"},
  };
  return kTypes;
}

const FieldTypeInfo* FindFieldType(int32_t type) noexcept {
  const auto& types = FieldTypes();
  if (type < 0 || static_cast<size_t>(type) >= types.size()) return nullptr;
  return &types[static_cast<size_t>(type)];
}

std::string FieldQueryName(std::string_view prefix, const FieldTypeInfo& type) {
  std::string name(prefix);
  name += type.querySuffix;
  return name;
}

std::vector<int32_t> ReadFieldIDs(const com::Variant& fields) {
  if (fields.isEmpty()) return {};
  if (fields.vt() == com::VT_I4) {
    if (fields.i4() < 0) throw com::ComError(com::E_INVALIDARG, "a negative field ID");
    return {fields.i4()};
  }
  if (fields.vt() != (com::VT_ARRAY | com::VT_I4)) {
    throw com::ComError(com::E_INVALIDARG, std::string("field IDs as ") + com::VarTypeName(fields.vt()));
  }
  const com::SafeArray& array = fields.array();
  if (array.dimensions() != 1) throw com::ComError(com::E_INVALIDARG, "field IDs in more than one dimension");
  // The array is already in memory; the result is never larger than it.
  std::vector<int32_t> ids;
  for (int32_t id : array.elements<int32_t>()) {
    if (id >= 0) ids.push_back(id);
  }
  return ids;
}

}  // namespace albumcore::tagging

namespace albumcore::tagging {

com::ComPtr<typelib::IKivUserFields> LibraryCollectionOf(com::IUnknown* userFieldsEvents) {
  if (userFieldsEvents == nullptr) return {};
  auto library = com::QueryInterface<typelib::IKivUserFields>(userFieldsEvents);
  if (!library) throw com::ComError(com::E_INVALIDARG, "the library collection is no IKivUserFields");
  return library;
}

void LogFailedReaction(const char* event, com::HRESULT hr) noexcept {
  std::fprintf(stderr, "user fields: reacting to %s failed: %s\n", event, com::DescribeHresult(hr).c_str());
}

}  // namespace albumcore::tagging
