#include "tagging/user_fields/user_fields_album.h"

#include <algorithm>
#include <optional>
#include <set>

#include "tagging/user_fields/field_types.h"

namespace albumcore::tagging {

using com::HRESULT;
using typelib::IKivAlbumCoreEvents;

namespace {

// The special albums: shoebox, search results, all files, all albums.
bool IsSpecialAlbum(int32_t albumID) { return albumID >= -4 && albumID <= -1; }

}  // namespace

// Hears the library collection; holds the album by a pointer that Detach
// clears before the album goes.
class LumUserFieldsAlbum::LibrarySink final : public events::OwnerSink<LumUserFieldsAlbum> {
 public:
  using OwnerSink::OwnerSink;
  HRESULT OnUserFieldCreated(int32_t) override {
    return React("OnUserFieldCreated", [&] {
      if (LumUserFieldsAlbum* album = owner()) album->OnLibraryFieldCreated();
    });
  }
  HRESULT OnPreDestroyUserField(int32_t lFieldID) override {
    return React("OnPreDestroyUserField", [&] {
      if (LumUserFieldsAlbum* album = owner()) album->OnLibraryFieldDestroying(lFieldID);
    });
  }
};

void LumUserFieldsAlbum::Forget() {
  loaded_ = false;
  visible_.clear();
}

void LumUserFieldsAlbum::Load() {
  if (loaded_) return;
  Forget();
  store::dao::Database& database = db();
  // The special albums show every field of the library.
  auto rows = albumID_ < 0 ? OpenStored(database, "EnumUserFieldsInShoebox")
                           : OpenStored(database, "EnumUserFieldsInAlbum", {{"album_id", albumID_}});
  for (; !rows->IsEOF(); rows->MoveNext()) visible_.push_back(rows->GetValue(0).ToI4());
  loaded_ = true;
}

void LumUserFieldsAlbum::FireChanged() {
  FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnAlbumUserFieldsChanged(albumID_); });
}

HRESULT LumUserFieldsAlbum::Connect(com::IUnknown* pConnection, int32_t lID, com::IUnknown* pUserFieldsEvents) {
  return com::CallGuard([&]() -> HRESULT {
    const HRESULT hr = link_.Connect(pConnection, pUserFieldsEvents, com::MakeObject<LibrarySink>(this));
    if (com::Failed(hr)) return hr;
    Forget();
    albumID_ = lID;
    return com::S_OK;
  });
}

HRESULT LumUserFieldsAlbum::Disconnect() {
  return com::CallGuard([&] {
    link_.Reset();
    Forget();
  });
}

HRESULT LumUserFieldsAlbum::Count(int32_t* plCount) {
  return com::CallGuard([&] {
    int32_t& count = com::CheckOut(plCount);
    Load();
    count = static_cast<int32_t>(visible_.size());
  });
}

HRESULT LumUserFieldsAlbum::_NewEnum(com::ComPtr<com::IUnknown>*) { return com::E_NOTIMPL; }

HRESULT LumUserFieldsAlbum::EnumFieldIDs(int32_t lIndex, int32_t* plFieldID) {
  return com::CallGuard([&]() -> HRESULT {
    int32_t& fieldID = com::CheckOut(plFieldID);
    Load();
    if (lIndex < 0 || static_cast<size_t>(lIndex) >= visible_.size()) return com::E_INVALIDARG;
    fieldID = visible_[static_cast<size_t>(lIndex)];
    return com::S_OK;
  });
}

HRESULT LumUserFieldsAlbum::IsPresent(int32_t lFieldID) {
  return com::CallGuard([&]() -> HRESULT {
    Load();
    return std::ranges::find(visible_, lFieldID) != visible_.end() ? com::S_OK : com::S_FALSE;
  });
}

HRESULT LumUserFieldsAlbum::FieldName(int32_t lFieldID, com::Bstr* pbstrName) {
  return com::CallGuard([&] { return library().FieldName(lFieldID, &com::CheckOut(pbstrName)); });
}

HRESULT LumUserFieldsAlbum::FieldType(int32_t lFieldID, int32_t* pType) {
  return com::CallGuard([&] { return library().FieldType(lFieldID, &com::CheckOut(pType)); });
}

HRESULT LumUserFieldsAlbum::GetFieldIDFromName(const com::Bstr& bstrName, int32_t* plFieldID) {
  return com::CallGuard([&] { return library().GetFieldIDFromName(bstrName, &com::CheckOut(plFieldID)); });
}

HRESULT LumUserFieldsAlbum::MakeVisible(const com::Variant& fields) { return ChangeVisible(fields, true); }
HRESULT LumUserFieldsAlbum::MakeHidden(const com::Variant& fields) { return ChangeVisible(fields, false); }

// The writes share one transaction, so a failing one leaves the set as it
// was; the cache and the event follow the commit. Membership is checked in
// a set, so a long array costs its length times log of the set, not its
// square. Fields the library does not define are not shown: the album's
// listing joins the definitions and could never list them.
HRESULT LumUserFieldsAlbum::ChangeVisible(const com::Variant& fields, bool show) {
  return com::CallGuard([&]() -> HRESULT {
    store::dao::Database& database = db();
    const std::vector<int32_t> ids = ReadFieldIDs(fields);
    if (ids.empty()) return com::S_OK;
    Load();
    std::set<int32_t> visible(visible_.begin(), visible_.end());
    std::vector<int32_t> changed;
    std::optional<store::dao::Transaction> transaction;
    for (int32_t id : ids) {
      if (visible.contains(id) == show) continue;
      if (show && link_.hasLibrary() && com::ThrowIfFailed(library().IsPresent(id)) != com::S_OK) continue;
      if (!transaction) transaction.emplace(database);
      ExecuteStored(database, show ? "ShowUserField" : "HideUserField", {{"album_id", albumID_}, {"varFieldID", id}});
      if (show) visible.insert(id);
      else visible.erase(id);
      changed.push_back(id);
    }
    if (changed.empty()) return com::S_OK;
    transaction->Commit();
    if (show) {
      visible_.insert(visible_.end(), changed.begin(), changed.end());
      loaded_ = false;  // read again in FieldID order, as the listing gives it
    } else {
      std::erase_if(visible_, [&](int32_t id) { return !visible.contains(id); });
    }
    FireChanged();
    return com::S_OK;
  });
}

void LumUserFieldsAlbum::OnLibraryFieldCreated() {
  if (!IsSpecialAlbum(albumID_)) return;
  Forget();  // they show every field: the new one too
  FireChanged();
}

// Before the field goes, it leaves the set; the set is read first if need
// be, while the field's rows are still there to tell whether it was shown.
void LumUserFieldsAlbum::OnLibraryFieldDestroying(int32_t fieldID) {
  Load();
  if (std::erase(visible_, fieldID) > 0) FireChanged();
}

HRESULT LumUserFieldsAlbum::get_Value(int32_t, com::Variant*) { return com::CO_E_NOT_SUPPORTED; }
HRESULT LumUserFieldsAlbum::put_Value(int32_t, const com::Variant&) { return com::CO_E_NOT_SUPPORTED; }
HRESULT LumUserFieldsAlbum::Add(int32_t, const com::Variant&) { return com::CO_E_NOT_SUPPORTED; }
HRESULT LumUserFieldsAlbum::Remove(int32_t) { return com::CO_E_NOT_SUPPORTED; }
HRESULT LumUserFieldsAlbum::Create(const com::Bstr&, int32_t) { return com::CO_E_NOT_SUPPORTED; }
HRESULT LumUserFieldsAlbum::Destroy(int32_t) { return com::CO_E_NOT_SUPPORTED; }
HRESULT LumUserFieldsAlbum::get_Description(int32_t, com::Bstr*) { return com::CO_E_NOT_SUPPORTED; }
HRESULT LumUserFieldsAlbum::put_Description(int32_t, const com::Bstr&) { return com::CO_E_NOT_SUPPORTED; }

}  // namespace albumcore::tagging
