#include "items/descriptors/photo_type_properties_descriptor.h"

#include <array>
#include <string_view>
#include <vector>

namespace albumcore::items {

using com::HRESULT;
using namespace typelib;

namespace {

constexpr std::string_view kPhotoTable = "PhotoItem";

struct PropertyRow {
  std::string_view field;
  DruSearchPropertyType type;
  DruSearchUnitType unit;
};

constexpr std::array<PropertyRow, 8> kRows = {{
    {"cx", SPT_INTEGER, SUT_PIXELS},
    {"cy", SPT_INTEGER, SUT_PIXELS},
    {"BitDepth", SPT_INTEGER, SUT_BITS},
    {"dpi", SPT_INTEGER, SUT_DPI},
    {"Test-Enum", SPT_ENUM, SUT_NONE},
    {"dpi", SPT_DURATION, SUT_NONE},
    {"dpi", SPT_DURATION, SUT_NONE},
    {"dpi", SPT_BOOLEAN, SUT_DPI},
}};

// Only these rows are offered to search screens; the rest answer by index.
constexpr int32_t kCountedRows = 4;

constexpr int32_t kEnumRow = 4;

}  // namespace

HRESULT LumPhotoTypePropertiesDescriptor::GetPropertiesCount(int32_t* pPropertiesCount) {
  return com::CallGuard([&] { com::CheckOut(pPropertiesCount) = kCountedRows; });
}

HRESULT LumPhotoTypePropertiesDescriptor::GetPropertyInfo(int32_t index, com::Bstr* pTableName, com::Bstr* pFieldName,
                                                          int32_t* pUnitType, int32_t* pType) {
  return com::CallGuard([&]() -> HRESULT {
    com::Bstr& table = com::CheckOut(pTableName);
    com::Bstr& field = com::CheckOut(pFieldName);
    int32_t& unit = com::CheckOut(pUnitType);
    int32_t& type = com::CheckOut(pType);
    if (index < 0 || static_cast<size_t>(index) >= kRows.size()) return com::E_INVALIDARG;
    const PropertyRow& row = kRows[static_cast<size_t>(index)];
    table = com::Bstr(kPhotoTable);
    field = com::Bstr(row.field);
    unit = row.unit;
    type = row.type;
    return com::S_OK;
  });
}

HRESULT LumPhotoTypePropertiesDescriptor::GetEnumInfo(int32_t index, com::Variant* pEnumValues,
                                                      com::Variant* pEnumNames) {
  return com::CallGuard([&]() -> HRESULT {
    com::Variant& values = com::CheckOut(pEnumValues);
    com::Variant& names = com::CheckOut(pEnumNames);
    if (index != kEnumRow) return com::E_INVALIDARG;
    values = com::SafeArray::FromVector<int32_t>(com::VT_I4, {7, 5, 3});
    names = com::SafeArray::FromVector<com::Bstr>(com::VT_BSTR, {"Choice 1", "Choice 2", "Choice 3"});
    return com::S_OK;
  });
}

}  // namespace albumcore::items
