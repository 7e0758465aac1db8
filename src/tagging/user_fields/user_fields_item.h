// LumUserFieldsItem: the user fields assigned to one item and their values.
// Connected with the library's database, the ItemID and the library-wide
// collection, which names and types the fields and whose events it hears.
//
// Cache: the item's values by FieldID, read from the six
// "EnumItemUserFields<type>" queries on first use. Value put changes it in
// place after the write; Add and Remove empty it (read again on next use).
//
// Events (after the write): OnUserFieldAdded, OnUserFieldRemoved,
// OnUserFieldValueChanged. When the library destroys a field the item has,
// OnUserFieldRemoved follows (the values are read, if need be, when the
// library announces the destruction, while they are still there).
//
// Statuses: S_OK; S_FALSE for a field not present (IsPresent, Remove);
// TYPE_E_ELEMENTNOTFOUND for the value of a field not assigned; E_POINTER
// for a null out-pointer or use before Connect; E_FAIL for a negative ID or
// a field whose type the library cannot tell; E_UNEXPECTED for a type
// outside the table; the engine's status when it refuses a value (the cache
// then stays as it was and nothing is fired); CO_E_NOT_SUPPORTED for what
// only the library or albums offer; E_NOTIMPL for _NewEnum. Main loop only.
#pragma once

#include <map>

#include "events/event_source.h"
#include "store/dao/database.h"
#include "tagging/user_fields/field_types.h"
#include "tagging/user_fields/library_link.h"
#include "typelib/kiv_user_fields.h"

namespace albumcore::tagging {

class LumUserFieldsItem final : public com::ComObject,
                                public typelib::IKivUserFields,
                                public events::AlbumCoreEventsSource {
 public:
  static constexpr std::string_view kClassName = "LumUserFieldsItem";

  LumUserFieldsItem() = default;

  com::HRESULT Connect(com::IUnknown* pConnection, int32_t lID, com::IUnknown* pUserFieldsEvents) override;
  com::HRESULT Disconnect() override;
  com::HRESULT Count(int32_t* plCount) override;
  com::HRESULT _NewEnum(com::ComPtr<com::IUnknown>* ppUnk) override;
  com::HRESULT EnumFieldIDs(int32_t lIndex, int32_t* plFieldID) override;
  com::HRESULT IsPresent(int32_t lFieldID) override;
  com::HRESULT FieldName(int32_t lFieldID, com::Bstr* pbstrName) override;
  com::HRESULT FieldType(int32_t lFieldID, int32_t* pType) override;
  com::HRESULT get_Value(int32_t lFieldID, com::Variant* pVal) override;
  com::HRESULT put_Value(int32_t lFieldID, const com::Variant& val) override;
  com::HRESULT Add(int32_t lFieldID, const com::Variant& val) override;
  com::HRESULT Remove(int32_t lFieldID) override;
  com::HRESULT Create(const com::Bstr& bstrName, int32_t Type) override;
  com::HRESULT Destroy(int32_t lFieldID) override;
  com::HRESULT get_Description(int32_t lFieldID, com::Bstr* pbstrDescription) override;
  com::HRESULT put_Description(int32_t lFieldID, const com::Bstr& bstrDescription) override;
  com::HRESULT GetFieldIDFromName(const com::Bstr& bstrName, int32_t* plFieldID) override;
  com::HRESULT MakeVisible(const com::Variant& fields) override;
  com::HRESULT MakeHidden(const com::Variant& fields) override;

 private:
  class LibrarySink;

  store::dao::Database& db() const { return link_.db(); }
  typelib::IKivUserFields& library() const { return link_.library(); }  // E_FAIL when none
  void Load();
  void Forget();
  // The type of `fieldID` as the library defines it.
  const FieldTypeInfo& TypeOf(int32_t fieldID) const;
  // Runs "SetFieldValue<type>" with `value` as given: the engine converts it
  // to the column's type or raises its status.
  void WriteValue(store::dao::Database& database, const FieldTypeInfo& type, int32_t fieldID,
                  const com::Variant& value) const;
  void OnLibraryFieldDestroyed(int32_t fieldID);

  LibraryLink<LumUserFieldsItem> link_{"the item's"};
  int32_t itemID_ = -1;
  bool loaded_ = false;
  std::map<int32_t, com::Variant> values_;
};

}  // namespace albumcore::tagging
