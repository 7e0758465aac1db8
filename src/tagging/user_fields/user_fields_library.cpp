#include "tagging/user_fields/user_fields_library.h"

#include "store/jetsql/jet_text.h"
#include "tagging/user_fields/field_types.h"

namespace albumcore::tagging {

using com::HRESULT;
using typelib::IKivAlbumCoreEvents;

namespace {

// Columns of "EnumUserFieldsInLibrary".
enum LibraryColumn { kFieldID = 0, kFieldType = 1, kFieldName = 2, kDescription = 3 };

}  // namespace

store::dao::Database& LumUserFieldsLibrary::db() const {
  if (!db_) throw com::ComError(com::E_POINTER, "the user fields are not connected");
  return *db_;
}

void LumUserFieldsLibrary::Forget() {
  loaded_ = false;
  order_.clear();
  fields_.clear();
}

void LumUserFieldsLibrary::Load() {
  if (loaded_) return;
  Forget();
  com::ComPtr<store::dao::Recordset> rows = OpenStored(db(), "EnumUserFieldsInLibrary");
  if (!rows) throw com::ComError(com::E_FAIL, "EnumUserFieldsInLibrary returned no rows");
  for (; !rows->IsEOF(); rows->MoveNext()) {
    const int32_t id = rows->GetValue(kFieldID).ToI4();
    Definition field;
    field.type = rows->GetValue(kFieldType).ToI4();
    com::Variant name = rows->GetValue(kFieldName);
    if (name.vt() == com::VT_BSTR) field.name = name.bstr().str();
    com::Variant description = rows->GetValue(kDescription);
    if (description.vt() == com::VT_BSTR) field.description = description.bstr().str();
    order_.push_back(id);
    fields_.insert_or_assign(id, std::move(field));
  }
  loaded_ = true;
}

const LumUserFieldsLibrary::Definition& LumUserFieldsLibrary::Defined(int32_t fieldID) {
  Load();
  auto it = fields_.find(fieldID);
  if (it == fields_.end()) throw com::ComError(com::E_INVALIDARG, "no user field " + std::to_string(fieldID));
  return it->second;
}

HRESULT LumUserFieldsLibrary::Connect(com::IUnknown* pConnection, int32_t, com::IUnknown*) {
  return com::CallGuard([&]() -> HRESULT {
    auto db = com::QueryInterface<store::dao::Database>(pConnection);
    if (!db) return com::E_POINTER;
    Forget();
    db_ = std::move(db);
    return com::S_OK;
  });
}

HRESULT LumUserFieldsLibrary::Disconnect() {
  return com::CallGuard([&] {
    Forget();
    db_.reset();
  });
}

HRESULT LumUserFieldsLibrary::Count(int32_t* plCount) {
  return com::CallGuard([&] {
    int32_t& count = com::CheckOut(plCount);
    Load();
    count = static_cast<int32_t>(order_.size());
  });
}

HRESULT LumUserFieldsLibrary::_NewEnum(com::ComPtr<com::IUnknown>*) { return com::E_NOTIMPL; }

HRESULT LumUserFieldsLibrary::EnumFieldIDs(int32_t lIndex, int32_t* plFieldID) {
  return com::CallGuard([&]() -> HRESULT {
    int32_t& fieldID = com::CheckOut(plFieldID);
    Load();
    if (lIndex < 0 || static_cast<size_t>(lIndex) >= order_.size()) return com::E_INVALIDARG;
    fieldID = order_[static_cast<size_t>(lIndex)];
    return com::S_OK;
  });
}

HRESULT LumUserFieldsLibrary::IsPresent(int32_t lFieldID) {
  return com::CallGuard([&]() -> HRESULT {
    Load();
    return fields_.contains(lFieldID) ? com::S_OK : com::S_FALSE;
  });
}

HRESULT LumUserFieldsLibrary::FieldName(int32_t lFieldID, com::Bstr* pbstrName) {
  return com::CallGuard([&] {
    com::Bstr& name = com::CheckOut(pbstrName);
    name = com::Bstr(Defined(lFieldID).name);
  });
}

HRESULT LumUserFieldsLibrary::FieldType(int32_t lFieldID, int32_t* pType) {
  return com::CallGuard([&] {
    int32_t& type = com::CheckOut(pType);
    type = Defined(lFieldID).type;
  });
}

HRESULT LumUserFieldsLibrary::get_Description(int32_t lFieldID, com::Bstr* pbstrDescription) {
  return com::CallGuard([&] {
    com::Bstr& description = com::CheckOut(pbstrDescription);
    description = com::Bstr(Defined(lFieldID).description);
  });
}

// Names are unique ignoring case: the same folding as the JETNOCASE
// collation of the FieldName column, so the check and the store agree.
HRESULT LumUserFieldsLibrary::GetFieldIDFromName(const com::Bstr& bstrName, int32_t* plFieldID) {
  return com::CallGuard([&]() -> HRESULT {
    int32_t& fieldID = com::CheckOut(plFieldID);
    if (bstrName.isNull()) return com::E_POINTER;
    fieldID = -1;
    Load();
    for (const auto& [id, field] : fields_) {
      if (store::jetsql::CompareNoCase(field.name, bstrName.str()) == 0) {
        fieldID = id;
        return com::S_OK;
      }
    }
    return com::S_FALSE;
  });
}

HRESULT LumUserFieldsLibrary::Create(const com::Bstr& bstrName, int32_t Type) {
  return com::CallGuard([&]() -> HRESULT {
    int32_t existing = -1;
    const HRESULT found = GetFieldIDFromName(bstrName, &existing);
    if (found != com::S_FALSE) return found == com::S_OK ? com::S_FALSE : found;
    ExecuteStored(db(), "CreateUserField", {{"varFieldName", com::Variant(bstrName)}, {"varFieldType", Type}});
    Forget();  // the new ID is read with the next load
    FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnUserFieldCreated(-1); });
    return com::S_OK;
  });
}

HRESULT LumUserFieldsLibrary::Destroy(int32_t lFieldID) {
  return com::CallGuard([&]() -> HRESULT {
    if (lFieldID < 0) return com::E_FAIL;
    store::dao::Database& database = db();
    FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnPreDestroyUserField(lFieldID); });
    ExecuteStored(database, "DestroyUserField", {{"varFieldID", lFieldID}});
    fields_.erase(lFieldID);
    std::erase(order_, lFieldID);
    FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnUserFieldDestroyed(lFieldID); });
    return com::S_OK;
  });
}

HRESULT LumUserFieldsLibrary::put_Description(int32_t lFieldID, const com::Bstr& bstrDescription) {
  return com::CallGuard([&]() -> HRESULT {
    if (bstrDescription.isNull()) return com::E_POINTER;
    com::ComPtr<store::dao::Recordset> row = OpenStored(db(), "GetUserFieldRecord", {{"varFieldID", lFieldID}});
    row->Edit();  // 3021 when there is no such row
    row->Fields("Description").SetValue(com::Variant(bstrDescription));
    row->Update();
    if (loaded_) {
      auto it = fields_.find(lFieldID);
      if (it == fields_.end()) return com::E_INVALIDARG;  // written, but not a field this collection knows
      it->second.description = bstrDescription.str();
    }
    FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnUserFieldChanged(lFieldID); });
    return com::S_OK;
  });
}

HRESULT LumUserFieldsLibrary::get_Value(int32_t, com::Variant*) { return com::CO_E_NOT_SUPPORTED; }
HRESULT LumUserFieldsLibrary::put_Value(int32_t, const com::Variant&) { return com::CO_E_NOT_SUPPORTED; }
HRESULT LumUserFieldsLibrary::Add(int32_t, const com::Variant&) { return com::CO_E_NOT_SUPPORTED; }
HRESULT LumUserFieldsLibrary::Remove(int32_t) { return com::CO_E_NOT_SUPPORTED; }
HRESULT LumUserFieldsLibrary::MakeVisible(const com::Variant&) { return com::CO_E_NOT_SUPPORTED; }
HRESULT LumUserFieldsLibrary::MakeHidden(const com::Variant&) { return com::CO_E_NOT_SUPPORTED; }

}  // namespace albumcore::tagging
