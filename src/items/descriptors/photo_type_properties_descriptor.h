// LumPhotoTypePropertiesDescriptor: the searchable properties of photos and
// photo projects, all columns of the PhotoItem table.
//
// The table has eight rows; the count names only the first four, the pixel,
// bit and DPI columns that search screens offer. Rows 4 to 7 still answer
// by index: an enumeration (its choices from GetEnumInfo(4)), two durations
// and a flag, the last three over the dpi column.
//
// Statuses: S_OK; E_POINTER for a null out-pointer; E_INVALIDARG for an
// index outside the table (GetEnumInfo: any index but the enumeration's).
// Holds no state; runs on the main loop.
#pragma once

#include "com/unknown.h"
#include "typelib/ki_type_descriptors.h"

namespace albumcore::items {

class LumPhotoTypePropertiesDescriptor final : public com::ComObject, public typelib::IKiTypePropertiesDescriptor {
 public:
  static constexpr std::string_view kClassName = "LumPhotoTypePropertiesDescriptor";

  com::HRESULT GetPropertiesCount(int32_t* pPropertiesCount) override;
  com::HRESULT GetPropertyInfo(int32_t index, com::Bstr* pTableName, com::Bstr* pFieldName, int32_t* pUnitType,
                               int32_t* pType) override;
  com::HRESULT GetEnumInfo(int32_t index, com::Variant* pEnumValues, com::Variant* pEnumNames) override;
};

}  // namespace albumcore::items
