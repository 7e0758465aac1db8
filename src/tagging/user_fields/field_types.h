// What the three user-field collections share: the table of field types
// (where each type keeps its values and which stored queries serve it), the
// reading of a field-ID argument, and stored-query calls with parameters
// bound by name in a given order.
//
// Failures are raised as com::ComError: E_INVALIDARG for an argument of the
// wrong shape, the engine's status for a failing query.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "com/variant.h"
#include "store/dao/database.h"
#include "store/dao/stored_call.h"
#include "typelib/kiv_user_fields.h"

namespace albumcore::tagging {

// One row of the field-type table: the table holding the values of fields
// of that type and the suffix of their stored queries
// ("EnumItemUserFields" + suffix, "AssignUserField" + suffix, ...).
struct FieldTypeInfo {
  int32_t type;
  std::string_view valueTable;
  std::string_view querySuffix;
};

// The row of `type`; null for a type outside 0 to 5 (NAX_FIELD_ILLEGAL_TYPE
// included).
const FieldTypeInfo* FindFieldType(int32_t type) noexcept;
// Every row, in type order (the order an item's values are read in).
const std::vector<FieldTypeInfo>& FieldTypes() noexcept;

// `prefix` + the type's suffix: the name of the type's stored query.
std::string FieldQueryName(std::string_view prefix, const FieldTypeInfo& type);

// The field IDs a show/hide argument names, in order: none for an empty
// variant; one VT_I4 (negative: E_INVALIDARG); or the elements of a
// one-dimensional VT_ARRAY|VT_I4 from its lower bound on, negative ones
// skipped. Anything else, a multi-dimensional array included, raises
// E_INVALIDARG.
std::vector<int32_t> ReadFieldIDs(const com::Variant& fields);

using store::dao::ExecuteStored;
using store::dao::OpenStored;
using store::dao::QueryParameter;

}  // namespace albumcore::tagging

namespace albumcore::tagging {

// The library-wide collection an item or album collection is connected
// with: null for null; E_INVALIDARG for an object that is no user-field
// collection.
com::ComPtr<typelib::IKivUserFields> LibraryCollectionOf(com::IUnknown* userFieldsEvents);

void LogFailedReaction(const char* event, com::HRESULT hr) noexcept;

// Runs a reaction to one of the library collection's events. The source
// ignores the status, so a failure is written to stderr as well.
template <class Body>
com::HRESULT React(const char* event, Body&& body) noexcept {
  const com::HRESULT hr = com::CallGuard(std::forward<Body>(body));
  if (com::Failed(hr)) LogFailedReaction(event, hr);
  return hr;
}

}  // namespace albumcore::tagging
