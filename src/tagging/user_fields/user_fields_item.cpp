#include "tagging/user_fields/user_fields_item.h"

#include <cstdio>

namespace albumcore::tagging {

using com::HRESULT;
using typelib::IKivAlbumCoreEvents;

namespace {

// Columns of "EnumItemUserFields<type>".
enum ValueColumn { kFieldID = 1, kFieldValue = 2 };

// Values Add writes with the assignment; any other (empty, null, a double,
// ...) leaves the new field without a value.
bool AssignsWithValue(const com::Variant& value) {
  switch (value.vt()) {
    case com::VT_BSTR:
    case com::VT_I4:
    case com::VT_DATE:
    case com::VT_BOOL: return true;
    default: return false;
  }
}

}  // namespace

// Hears the library collection; holds the item by a pointer that Detach
// clears before the item goes.
class LumUserFieldsItem::LibrarySink final : public events::OwnerSink<LumUserFieldsItem> {
 public:
  using OwnerSink::OwnerSink;
  // The values of the field go with it, so whether the item has it is read
  // while they are still there.
  HRESULT OnPreDestroyUserField(int32_t) override {
    return React("OnPreDestroyUserField", [&] {
      if (LumUserFieldsItem* item = owner()) item->Load();
    });
  }
  HRESULT OnUserFieldDestroyed(int32_t lFieldID) override {
    return React("OnUserFieldDestroyed", [&] {
      if (LumUserFieldsItem* item = owner()) item->OnLibraryFieldDestroyed(lFieldID);
    });
  }
};

void LumUserFieldsItem::Forget() {
  loaded_ = false;
  values_.clear();
}

void LumUserFieldsItem::Load() {
  if (loaded_) return;
  Forget();
  store::dao::Database& database = db();
  for (const FieldTypeInfo& type : FieldTypes()) {
    auto rows = OpenStored(database, FieldQueryName("EnumItemUserFields", type), {{"item_id", itemID_}});
    for (; !rows->IsEOF(); rows->MoveNext())
      values_.insert_or_assign(rows->GetValue(kFieldID).ToI4(), rows->GetValue(kFieldValue));
  }
  loaded_ = true;
}

const FieldTypeInfo& LumUserFieldsItem::TypeOf(int32_t fieldID) const {
  int32_t type = typelib::NAX_FIELD_ILLEGAL_TYPE;
  const HRESULT hr = library().FieldType(fieldID, &type);
  if (com::Failed(hr) || type == typelib::NAX_FIELD_ILLEGAL_TYPE) {
    // E_INVALIDARG is the library's plain "no such field"; anything else
    // hides a cause the caller's E_FAIL does not tell.
    if (com::Failed(hr) && hr != com::E_INVALIDARG)
      std::fprintf(stderr, "user fields: the type of field %d could not be read: %s\n", fieldID,
                   com::DescribeHresult(hr).c_str());
    throw com::ComError(com::E_FAIL, "the type of user field " + std::to_string(fieldID) + " is unknown");
  }
  const FieldTypeInfo* info = FindFieldType(type);
  if (info == nullptr) throw com::ComError(com::E_UNEXPECTED, "user field type " + std::to_string(type));
  return *info;
}

void LumUserFieldsItem::WriteValue(store::dao::Database& database, const FieldTypeInfo& type, int32_t fieldID,
                                   const com::Variant& value) const {
  if (itemID_ < 0 || fieldID < 0) throw com::ComError(com::E_FAIL, "a negative item or field ID");
  ExecuteStored(database, FieldQueryName("SetFieldValue", type),
                {{"varFieldValue", value}, {"item_id", itemID_}, {"varFieldID", fieldID}});
}

HRESULT LumUserFieldsItem::Connect(com::IUnknown* pConnection, int32_t lID, com::IUnknown* pUserFieldsEvents) {
  return com::CallGuard([&]() -> HRESULT {
    const HRESULT hr = link_.Connect(pConnection, pUserFieldsEvents, com::MakeObject<LibrarySink>(this));
    if (com::Failed(hr)) return hr;
    Forget();
    itemID_ = lID;
    return com::S_OK;
  });
}

HRESULT LumUserFieldsItem::Disconnect() {
  return com::CallGuard([&] {
    link_.Reset();
    Forget();
  });
}

HRESULT LumUserFieldsItem::Count(int32_t* plCount) {
  return com::CallGuard([&] {
    int32_t& count = com::CheckOut(plCount);
    Load();
    count = static_cast<int32_t>(values_.size());
  });
}

HRESULT LumUserFieldsItem::_NewEnum(com::ComPtr<com::IUnknown>*) { return com::E_NOTIMPL; }

HRESULT LumUserFieldsItem::IsPresent(int32_t lFieldID) {
  return com::CallGuard([&]() -> HRESULT {
    Load();
    return values_.contains(lFieldID) ? com::S_OK : com::S_FALSE;
  });
}

HRESULT LumUserFieldsItem::FieldName(int32_t lFieldID, com::Bstr* pbstrName) {
  return com::CallGuard([&] { return library().FieldName(lFieldID, &com::CheckOut(pbstrName)); });
}

HRESULT LumUserFieldsItem::FieldType(int32_t lFieldID, int32_t* pType) {
  return com::CallGuard([&] { return library().FieldType(lFieldID, &com::CheckOut(pType)); });
}

HRESULT LumUserFieldsItem::get_Value(int32_t lFieldID, com::Variant* pVal) {
  return com::CallGuard([&]() -> HRESULT {
    com::Variant& value = com::CheckOut(pVal);
    value = com::Variant();
    Load();
    auto it = values_.find(lFieldID);
    if (it == values_.end()) return com::TYPE_E_ELEMENTNOTFOUND;
    if (!it->second.isNull()) value = it->second;
    return com::S_OK;
  });
}

HRESULT LumUserFieldsItem::put_Value(int32_t lFieldID, const com::Variant& val) {
  return com::CallGuard([&]() -> HRESULT {
    if (lFieldID < 0) return com::E_FAIL;
    Load();
    auto it = values_.find(lFieldID);
    if (it == values_.end()) return com::TYPE_E_ELEMENTNOTFOUND;
    WriteValue(db(), TypeOf(lFieldID), lFieldID, val);
    it->second = val;
    FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnUserFieldValueChanged(itemID_, lFieldID, val); });
    return com::S_OK;
  });
}

// The assignment and its value are written together: a value the engine
// refuses leaves the field unassigned, as if Add had not been called.
HRESULT LumUserFieldsItem::Add(int32_t lFieldID, const com::Variant& val) {
  return com::CallGuard([&]() -> HRESULT {
    if (lFieldID < 0) return com::E_FAIL;
    const HRESULT present = IsPresent(lFieldID);
    if (present == com::S_OK) return put_Value(lFieldID, val);
    if (present != com::S_FALSE) return present;
    const FieldTypeInfo& type = TypeOf(lFieldID);
    const bool withValue = AssignsWithValue(val);
    store::dao::Database& database = db();
    store::dao::Transaction transaction(database);
    ExecuteStored(database, FieldQueryName("AssignUserField", type), {{"item_id", itemID_}, {"varFieldID", lFieldID}});
    if (withValue) WriteValue(database, type, lFieldID, val);
    transaction.Commit();
    Forget();
    if (withValue)
      FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnUserFieldValueChanged(itemID_, lFieldID, val); });
    FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnUserFieldAdded(itemID_, lFieldID); });
    return com::S_OK;
  });
}

HRESULT LumUserFieldsItem::Remove(int32_t lFieldID) {
  return com::CallGuard([&]() -> HRESULT {
    if (lFieldID < 0) return com::E_FAIL;
    const HRESULT present = IsPresent(lFieldID);
    if (present != com::S_OK) return present;
    ExecuteStored(db(), FieldQueryName("RemoveUserField", TypeOf(lFieldID)),
                  {{"item_id", itemID_}, {"varFieldID", lFieldID}});
    Forget();
    FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnUserFieldRemoved(itemID_, lFieldID); });
    return com::S_OK;
  });
}

void LumUserFieldsItem::OnLibraryFieldDestroyed(int32_t fieldID) {
  if (values_.erase(fieldID) == 0) return;
  Forget();
  FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnUserFieldRemoved(itemID_, fieldID); });
}

HRESULT LumUserFieldsItem::EnumFieldIDs(int32_t, int32_t*) { return com::CO_E_NOT_SUPPORTED; }
HRESULT LumUserFieldsItem::Create(const com::Bstr&, int32_t) { return com::CO_E_NOT_SUPPORTED; }
HRESULT LumUserFieldsItem::Destroy(int32_t) { return com::CO_E_NOT_SUPPORTED; }
HRESULT LumUserFieldsItem::get_Description(int32_t, com::Bstr*) { return com::CO_E_NOT_SUPPORTED; }
HRESULT LumUserFieldsItem::put_Description(int32_t, const com::Bstr&) { return com::CO_E_NOT_SUPPORTED; }
HRESULT LumUserFieldsItem::GetFieldIDFromName(const com::Bstr&, int32_t*) { return com::CO_E_NOT_SUPPORTED; }
HRESULT LumUserFieldsItem::MakeVisible(const com::Variant&) { return com::CO_E_NOT_SUPPORTED; }
HRESULT LumUserFieldsItem::MakeHidden(const com::Variant&) { return com::CO_E_NOT_SUPPORTED; }

}  // namespace albumcore::tagging
