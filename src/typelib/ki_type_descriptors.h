// IKiTypePropertiesDescriptor and IKiGenericTypeDescriptor: what the search
// screens of clients ask before they build a query. The first tells, for one
// media type, which columns can be searched, as what kind of value and in
// which unit; the second lists the media types and their display names in
// the order the screens show them.
//
// Enumeration values go out as VT_ARRAY|VT_I4 and their names as
// VT_ARRAY|VT_BSTR variants, pairwise.
#pragma once

#include <cstdint>

#include "com/unknown.h"
#include "com/variant.h"

namespace albumcore::typelib {

using com::HRESULT;

// DruSearchPropertyType: how a searchable property's value is read and
// compared. The numbers are ours; clients use the names.
enum DruSearchPropertyType : int32_t {
  SPT_NONE = 0,
  SPT_INTEGER = 1,
  SPT_FLOAT = 2,
  SPT_STRING = 3,
  SPT_DATE = 4,
  SPT_DURATION = 5,
  SPT_BOOLEAN = 6,
  SPT_ENUM = 7,  // one of the values GetEnumInfo lists
};

// DruSearchUnitType: the unit a property's value is shown in. The numbers
// are ours.
enum DruSearchUnitType : int32_t {
  SUT_NONE = 0,
  SUT_PIXELS = 1,
  SUT_BITS = 2,
  SUT_DPI = 3,
  SUT_BYTES = 4,
  SUT_SECONDS = 5,
};

class IKiTypePropertiesDescriptor : public virtual com::IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IKiTypePropertiesDescriptor";

  virtual HRESULT GetPropertiesCount(int32_t* pPropertiesCount) = 0;
  // pUnitType: a DruSearchUnitType; pType: a DruSearchPropertyType.
  virtual HRESULT GetPropertyInfo(int32_t index, com::Bstr* pTableName, com::Bstr* pFieldName, int32_t* pUnitType,
                                  int32_t* pType) = 0;
  // For a property of type SPT_ENUM: its values and their display names.
  virtual HRESULT GetEnumInfo(int32_t index, com::Variant* pEnumValues, com::Variant* pEnumNames) = 0;
};

class IKiGenericTypeDescriptor : public virtual com::IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IKiGenericTypeDescriptor";

  virtual HRESULT GetMediaTypesCount(int32_t* pCount) = 0;
  // index: a position in display order, 0 to count - 1.
  virtual HRESULT GetMediaTypeName(int32_t index, com::Bstr* pName) = 0;
  virtual HRESULT GetCommonPropertiesCount(int32_t* pCount) = 0;
  // pType: a DruSearchPropertyType.
  virtual HRESULT GetCommonPropertyInfo(int32_t index, com::Bstr* pFieldName, int32_t* pType) = 0;
  // The item type at that position.
  virtual HRESULT GetMediaType(int32_t index, int32_t* pMediaType) = 0;
};

}  // namespace albumcore::typelib
