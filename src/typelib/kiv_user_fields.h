// IKivUserFields: typed, user-defined fields: their definitions in a library,
// the fields and values of one item, or the fields one album shows. Each
// class answers CO_E_NOT_SUPPORTED for the operations of the others.
#pragma once

#include <cstdint>

#include "com/unknown.h"
#include "com/variant.h"

namespace albumcore::typelib {

using com::HRESULT;

// enumNaxFieldType
enum NaxFieldType : int32_t {
  NAX_FIELD_ILLEGAL_TYPE = -1,
  NAX_FIELD_TEXT = 0,
  NAX_FIELD_INTEGER = 1,
  NAX_FIELD_DATE = 2,
  NAX_FIELD_YESNO = 3,
  NAX_FIELD_ONOFF = 4,
  NAX_FIELD_MEMO = 5,
};

class IKivUserFields : public virtual com::IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IKivUserFields";

  // pConnection: the library's open database; lID: the item or album;
  // pUserFieldsEvents: the library-wide collection (item and album classes).
  virtual HRESULT Connect(com::IUnknown* pConnection, int32_t lID, com::IUnknown* pUserFieldsEvents) = 0;
  virtual HRESULT Disconnect() = 0;
  virtual HRESULT Count(int32_t* plCount) = 0;
  virtual HRESULT _NewEnum(com::ComPtr<com::IUnknown>* ppUnk) = 0;
  virtual HRESULT EnumFieldIDs(int32_t lIndex, int32_t* plFieldID) = 0;
  virtual HRESULT IsPresent(int32_t lFieldID) = 0;
  virtual HRESULT FieldName(int32_t lFieldID, com::Bstr* pbstrName) = 0;
  virtual HRESULT FieldType(int32_t lFieldID, int32_t* pType) = 0;
  virtual HRESULT get_Value(int32_t lFieldID, com::Variant* pVal) = 0;
  virtual HRESULT put_Value(int32_t lFieldID, const com::Variant& val) = 0;
  virtual HRESULT Add(int32_t lFieldID, const com::Variant& val) = 0;
  virtual HRESULT Remove(int32_t lFieldID) = 0;
  virtual HRESULT Create(const com::Bstr& bstrName, int32_t Type) = 0;
  virtual HRESULT Destroy(int32_t lFieldID) = 0;
  virtual HRESULT get_Description(int32_t lFieldID, com::Bstr* pbstrDescription) = 0;
  virtual HRESULT put_Description(int32_t lFieldID, const com::Bstr& bstrDescription) = 0;
  virtual HRESULT GetFieldIDFromName(const com::Bstr& bstrName, int32_t* plFieldID) = 0;
  virtual HRESULT MakeVisible(const com::Variant& fields) = 0;
  virtual HRESULT MakeHidden(const com::Variant& fields) = 0;
};

}  // namespace albumcore::typelib
