// LumUserFieldsLibrary: the user fields defined in one library (name, type,
// description), one collection per open library, connected with the
// library's database.
//
// Caches: the definitions, read together from "EnumUserFieldsInLibrary" on
// first use, in row order (FieldID order) and by FieldID. Create empties
// them (the new ID is not known); Destroy and Description put change them
// in place after their write succeeded.
//
// Events (IKivAlbumCoreEvents, on its own point, after the write):
// OnUserFieldCreated(-1), OnPreDestroyUserField and OnUserFieldDestroyed,
// OnUserFieldChanged. The item and album collections listen to them.
//
// Statuses: S_OK; S_FALSE for a negative answer (not present, not found, a
// name already defined); E_POINTER for a null out-pointer, a null name or
// description, or use before Connect; E_INVALIDARG for an index or an ID
// that is not defined; E_FAIL for a negative ID to destroy; the engine's
// status for a failing query; CO_E_NOT_SUPPORTED for what only items and
// albums offer; E_NOTIMPL for _NewEnum. Runs on the main loop.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "events/event_source.h"
#include "store/dao/database.h"
#include "typelib/kiv_user_fields.h"

namespace albumcore::tagging {

class LumUserFieldsLibrary final : public com::ComObject,
                                   public typelib::IKivUserFields,
                                   public events::AlbumCoreEventsSource {
 public:
  static constexpr std::string_view kClassName = "LumUserFieldsLibrary";

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
  struct Definition {
    std::string name;
    int32_t type = typelib::NAX_FIELD_ILLEGAL_TYPE;
    std::string description;  // empty when the stored one is no text
  };

  store::dao::Database& db() const;
  // Reads the definitions unless they are loaded.
  void Load();
  void Forget();
  // The cached definition of `fieldID`; E_INVALIDARG when there is none.
  const Definition& Defined(int32_t fieldID);

  com::ComPtr<store::dao::Database> db_;
  bool loaded_ = false;
  std::vector<int32_t> order_;
  std::map<int32_t, Definition> fields_;
};

}  // namespace albumcore::tagging
