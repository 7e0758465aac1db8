#include "items/item/lum_item.h"

#include <cstdio>

#include "components/string_table/label_format.h"
#include "events/relay.h"
#include "items/item/item_texts.h"
#include "items/item/item_types.h"
#include "items/monikers/file_monikers.h"
#include "items/monikers/moniker_splitter.h"
#include "store/dao/stored_call.h"
#include "tagging/keywords/lum_keywords_item.h"
#include "tagging/user_fields/user_fields_item.h"

namespace albumcore::items {

using com::HRESULT;
using typelib::IKivAlbumCoreEvents;
namespace cols = item_columns;

namespace {

// The thumbnail size items ask the generator for.
constexpr int32_t kThumbnailSide = 384;

void LogGeneratorFailure(const char* what, int32_t id, HRESULT hr) {
  // Without an engine every request answers E_NOTIMPL; the generator says
  // so once.
  if (hr != com::E_NOTIMPL)
    std::fprintf(stderr, "item %d: %s failed: %s\n", id, what, com::DescribeHresult(hr).c_str());
}

// What the copy keeps of a date the engine accepted: the date it stored,
// whether it came as a date or as something the engine converted.
com::Variant CachedDate(const com::Variant& given) noexcept {
  if (given.vt() == com::VT_DATE) return StoredDate(given);
  try {
    return StoredDate(given.ChangeType(com::VT_DATE));
  } catch (...) {
    return com::Variant::Null();
  }
}

}  // namespace

LumItem::~LumItem() { Forget(); }

store::dao::Database& LumItem::db() const {
  if (!connected()) throw com::ComError(com::E_FAIL, "the item is not connected");
  return *db_;
}

void LumItem::Forget() noexcept {
  userFieldsRelay_.reset();
  keywordsRelay_.reset();
  if (userFields_) userFields_->Disconnect();
  if (keywords_) keywords_->Disconnect();
  userFields_.reset();
  keywords_.reset();
  libUserFields_.reset();
  libKeywords_.reset();
  thumbnails_.reset();
  db_.reset();
  // The whole copy goes, so that a later Connect reads its own row.
  record_ = ItemRecord{};
  batch_ = false;
}

HRESULT LumItem::LoadRecord() {
  if (!connected()) return com::E_FAIL;
  if (record_.type != -1 && !record_.dataMoniker.empty() && !record_.thumbMoniker.empty()) return com::S_FALSE;
  auto rows = store::dao::OpenStored(*db_, "GetItemRecord", {{"item_id", record_.id}});
  if (rows->IsEOF()) throw com::ComError(com::E_FAIL, "item " + std::to_string(record_.id) + " has no record");
  ReadItemRecord(*rows, record_);
  return com::S_OK;
}

void LumItem::WriteItemColumns(std::initializer_list<ColumnValue> values) {
  WriteRow(db(), "GetItemRecord", record_.id, values);
}

HRESULT LumItem::Connect(com::IUnknown* pConnection, int32_t lItemID, com::IUnknown* pLibUserFields,
                         com::IUnknown* pLibKeywords, com::IUnknown* pThumbnailCache) {
  return com::CallGuard([&]() -> HRESULT {
    if (db_) return com::S_OK;
    auto database = com::QueryInterface<store::dao::Database>(pConnection);
    if (!database) return com::E_POINTER;
    if (lItemID < 0) return com::E_INVALIDARG;
    db_ = std::move(database);
    record_.id = lItemID;
    libUserFields_ = com::ComPtr<com::IUnknown>(pLibUserFields);
    libKeywords_ = com::ComPtr<com::IUnknown>(pLibKeywords);
    thumbnails_ = com::QueryInterface<typelib::IKivThumbnailGenerator>(pThumbnailCache);
    const HRESULT hr = com::CallGuard([&] {
      LoadRecord();
      AfterConnect();
    });
    if (com::Failed(hr)) Forget();
    return hr;
  });
}

HRESULT LumItem::Disconnect() {
  return com::CallGuard([&] {
    if (db_) BeforeDisconnect();
    Forget();
  });
}

HRESULT LumItem::get_ID(int32_t* pVal) {
  return com::CallGuard([&] { com::CheckOut(pVal) = record_.id; });
}

HRESULT LumItem::get_Type(int32_t* pVal) {
  return com::CallGuard([&] { com::CheckOut(pVal) = record_.type; });
}

HRESULT LumItem::put_Type(int32_t newVal) {
  return com::CallGuard([&] {
    WriteItemColumns({{cols::kType, newVal}});
    record_.type = newVal;
    Announce([&](IKivAlbumCoreEvents& s) { return s.OnItemChanged(record_.id); });
  });
}

HRESULT LumItem::get_Moniker(com::Bstr* pVal) {
  return com::CallGuard([&] { com::CheckOut(pVal) = com::Bstr(record_.dataMoniker); });
}

HRESULT LumItem::put_Moniker(const com::Bstr& newVal) {
  return com::CallGuard([&] {
    const std::string fileName = monikers::FileNameOf(newVal);
    if (fileName.empty())
      WriteItemColumns({{cols::kDataMoniker, newVal.str()}});
    else
      WriteItemColumns({{cols::kDataMoniker, newVal.str()}, {cols::kFilename, fileName}});
    record_.dataMoniker = newVal.str();
    Announce([&](IKivAlbumCoreEvents& s) { return s.OnItemMonikerChanged(record_.id, newVal); });
  });
}

HRESULT LumItem::get_ThumbnailMoniker(com::Bstr* pVal) {
  return com::CallGuard([&] { com::CheckOut(pVal) = com::Bstr(record_.thumbMoniker); });
}

void LumItem::RequestThumbnail(const std::string& moniker, bool alwaysOverride) {
  const bool temporary = !moniker.empty() && moniker.find("temp::") != std::string::npos;
  const bool different = moniker != record_.dataMoniker;
  com::ComPtr<com::IUnknown> image;
  const bool hasImage = EmbeddedImage(&image) == com::S_OK && image;
  if (!temporary && !different && hasImage) {
    if (thumbnails_) {
      const HRESULT hr = thumbnails_->SaveThumbnail(record_.id, image.get(), 0);
      if (com::Failed(hr)) LogGeneratorFailure("saving its embedded thumbnail", record_.id, hr);
    }
    return;
  }
  record_.thumbMoniker = moniker;
  if (!thumbnails_) return;
  int32_t pending = 0;
  if (!alwaysOverride) {
    const HRESULT hr = thumbnails_->IsPending(record_.id, &pending);
    if (com::Failed(hr)) LogGeneratorFailure("asking for its pending thumbnail", record_.id, hr);
  }
  com::ComPtr<com::IUnknown> none;
  const HRESULT hr = alwaysOverride || pending != 0
                         ? thumbnails_->LoadThumbnailWithOverride(record_.id, com::Bstr(moniker), kThumbnailSide,
                                                                  kThumbnailSide, &none)
                         : thumbnails_->LoadThumbnail(record_.id, com::Bstr(moniker), kThumbnailSide,
                                                      kThumbnailSide, &none);
  if (com::Failed(hr)) LogGeneratorFailure("asking for its thumbnail", record_.id, hr);
}

HRESULT LumItem::put_ThumbnailMoniker(const com::Bstr& newVal) {
  return com::CallGuard([&] {
    WriteItemColumns({{cols::kThumbMoniker, newVal.str()}});
    RequestThumbnail(newVal.str(), /*alwaysOverride=*/false);
  });
}

HRESULT LumItem::RefreshThumbnailMoniker(const com::Bstr& Moniker) {
  return com::CallGuard([&] {
    WriteItemColumns({{cols::kThumbMoniker, Moniker.str()}});
    RequestThumbnail(Moniker.str(), /*alwaysOverride=*/true);
  });
}

HRESULT LumItem::get_DateCreated(com::Variant* pVal) {
  return com::CallGuard([&] { com::CheckOut(pVal) = record_.dateCreated; });
}

HRESULT LumItem::put_DateCreated(const com::Variant& newVal) {
  return com::CallGuard([&] {
    WriteItemColumns({{cols::kDateCreated, newVal}});
    record_.dateCreated = CachedDate(newVal);
    Announce([&](IKivAlbumCoreEvents& s) { return s.OnItemChanged(record_.id); });
  });
}

HRESULT LumItem::get_DateModified(com::Variant* pVal) {
  return com::CallGuard([&] { com::CheckOut(pVal) = record_.dateModified; });
}

HRESULT LumItem::put_DateModified(const com::Variant& newVal) {
  return com::CallGuard([&] {
    WriteItemColumns({{cols::kDateModified, newVal}});
    record_.dateModified = CachedDate(newVal);
    Announce([&](IKivAlbumCoreEvents& s) { return s.OnItemChanged(record_.id); });
  });
}

HRESULT LumItem::get_Name(com::Bstr* pVal) {
  return com::CallGuard([&] { com::CheckOut(pVal) = com::Bstr(record_.name); });
}

HRESULT LumItem::put_Name(const com::Bstr& newVal) {
  return com::CallGuard([&] {
    WriteItemColumns({{cols::kName, newVal.str()}});
    record_.name = newVal.str();
    Announce([&](IKivAlbumCoreEvents& s) { return s.OnItemNameChanged(record_.id, newVal); });
  });
}

HRESULT LumItem::PutChangedColumn(std::string_view column, com::Variant value, std::string ItemRecord::*field) {
  return com::CallGuard([&] {
    WriteItemColumns({{column, value}});
    record_.*field = value.bstr().str();
    Announce([&](IKivAlbumCoreEvents& s) { return s.OnItemChanged(record_.id); });
  });
}

HRESULT LumItem::get_Note(com::Bstr* pVal) {
  return com::CallGuard([&] { com::CheckOut(pVal) = com::Bstr(record_.note); });
}

HRESULT LumItem::put_Note(const com::Bstr& newVal) {
  return PutChangedColumn(cols::kNote, newVal.str(), &ItemRecord::note);
}

HRESULT LumItem::get_SoundMoniker(com::Bstr* pVal) {
  return com::CallGuard([&] { com::CheckOut(pVal) = com::Bstr(record_.soundMoniker); });
}

HRESULT LumItem::put_SoundMoniker(const com::Bstr& newVal) {
  return PutChangedColumn(cols::kSoundMoniker, newVal.str(), &ItemRecord::soundMoniker);
}

HRESULT LumItem::GetFlag(int32_t* out, bool ItemRecord::*field) const {
  return com::CallGuard([&] { com::CheckOut(out) = record_.*field ? 1 : 0; });
}

HRESULT LumItem::PutFlag(std::string_view column, int32_t value, bool ItemRecord::*field) {
  return com::CallGuard([&] {
    WriteItemColumns({{column, com::Variant::Bool(value != 0)}});
    record_.*field = value != 0;
  });
}

HRESULT LumItem::get_ReadOnly(int32_t* pVal) { return GetFlag(pVal, &ItemRecord::readOnly); }
HRESULT LumItem::put_ReadOnly(int32_t newVal) { return PutFlag(cols::kReadOnly, newVal, &ItemRecord::readOnly); }
HRESULT LumItem::get_Protected(int32_t* pVal) { return GetFlag(pVal, &ItemRecord::isProtected); }
HRESULT LumItem::put_Protected(int32_t newVal) { return PutFlag(cols::kProtected, newVal, &ItemRecord::isProtected); }
HRESULT LumItem::get_Hidden(int32_t* pVal) { return GetFlag(pVal, &ItemRecord::hidden); }
HRESULT LumItem::put_Hidden(int32_t newVal) { return PutFlag(cols::kHidden, newVal, &ItemRecord::hidden); }
HRESULT LumItem::get_Playable(int32_t* pVal) { return GetFlag(pVal, &ItemRecord::playable); }
HRESULT LumItem::put_Playable(int32_t newVal) { return PutFlag(cols::kPlayable, newVal, &ItemRecord::playable); }
HRESULT LumItem::get_IsArchived(int32_t* pVal) { return GetFlag(pVal, &ItemRecord::archived); }
HRESULT LumItem::put_IsArchived(int32_t newVal) { return PutFlag(cols::kArchived, newVal, &ItemRecord::archived); }
HRESULT LumItem::PutBackedUp(bool backedUp) { return PutFlag(cols::kBackedUp, backedUp, &ItemRecord::backedUp); }

HRESULT LumItem::get_DataXML(com::Variant* pVal) {
  return com::CallGuard([&] { com::CheckOut(pVal) = record_.dataXml; });
}

HRESULT LumItem::put_DataXML(const com::Variant& newVal) {
  return com::CallGuard([&] {
    WriteItemColumns({{cols::kDataXml, newVal}});
    record_.dataXml = newVal;
    Announce([&](IKivAlbumCoreEvents& s) { return s.OnItemChanged(record_.id); });
  });
}

template <class Collection>
HRESULT LumItem::OwnCollection(com::ComPtr<Collection>& own, events::Subscription& relay, com::IUnknown* library,
                               com::ComPtr<com::IUnknown>* out) {
  return com::CallGuard([&]() -> HRESULT {
    auto& result = com::CheckOut(out);
    if (!own) {
      if (!connected()) return com::E_FAIL;
      com::ComPtr<Collection> made;
      if constexpr (std::is_same_v<Collection, typelib::IKivUserFields>)
        made = com::MakeObject<tagging::LumUserFieldsItem>();
      else
        made = com::MakeObject<tagging::keywords::LumKeywordsItem>();
      const HRESULT hr = made->Connect(db_.get(), record_.id, library);
      if (com::Failed(hr)) return hr;
      relay = events::RelayCoreEvents(made.get(), *this);
      own = std::move(made);
    }
    result = own;
    return com::S_OK;
  });
}

HRESULT LumItem::get_UserFields(com::ComPtr<com::IUnknown>* pVal) {
  return OwnCollection(userFields_, userFieldsRelay_, libUserFields_.get(), pVal);
}

HRESULT LumItem::get_Keywords(com::ComPtr<com::IUnknown>* pVal) {
  return OwnCollection(keywords_, keywordsRelay_, libKeywords_.get(), pVal);
}

HRESULT LumItem::BeginBatchUpdate() {
  batch_ = true;
  return com::S_OK;
}

HRESULT LumItem::EndBatchUpdate() {
  return com::CallGuard([&] {
    batch_ = false;
    FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnItemChanged(record_.id); });
  });
}

HRESULT LumItem::IsAlbum(int32_t* plConfirm) {
  return com::CallGuard([&] {
    int32_t& confirm = com::CheckOut(plConfirm);
    if (record_.type == kAlbumItemType) {
      confirm = 1;
      return;
    }
    confirm = store::dao::OpenStored(db(), "IsAlbum", {{"item_id", record_.id}})->IsEOF() ? 0 : 1;
  });
}

HRESULT LumItem::FillFromMoniker(int32_t) { return com::S_OK; }

HRESULT LumItem::FillFromMonikerEx(int32_t, com::IUnknown*) { return com::CO_E_NOT_SUPPORTED; }

HRESULT LumItem::Compare(com::IUnknown*, int32_t, int32_t, int32_t* pbIsLess) {
  return com::CallGuard([&] { com::CheckOut(pbIsLess) = 0; });
}

HRESULT LumItem::UpdateThumbnailMoniker(const com::Bstr& Moniker) {
  return com::CallGuard([&] {
    record_.thumbMoniker = Moniker.str();
    Announce([&](IKivAlbumCoreEvents& s) { return s.OnRefreshThumbnail(Moniker); });
  });
}

HRESULT LumItem::GetPropertyString(com::Bstr* pbstrProperties) {
  return com::CallGuard([&] {
    com::Bstr& out = com::CheckOut(pbstrProperties);
    const PhotoFacts facts = Facts();
    const std::string size =
        SizeText(static_cast<uint32_t>(record_.size), static_cast<uint32_t>(record_.bigSize), services_.strings);
    const std::string extension = UpperExtensionOf(record_.dataMoniker);
    std::string line = components::FormatLabel("%s   %d X %d   %s   ",
                                               {size, int64_t{facts.width}, int64_t{facts.height}, extension});
    if (const std::string_view label = ItemTypeLabel(record_.type); !label.empty()) {
      line += Label(services_.strings, label);
      line += ' ';
    }
    line += Label(services_.strings, "stringRef:Core.Modified");
    line += ' ';
    line += LocalDateText(record_.dateModified);
    out = com::Bstr(std::move(line));
  });
}

HRESULT LumItem::GetAttributesString(com::Bstr* pbstrAttributes) {
  return com::CallGuard([&] {
    com::Bstr& out = com::CheckOut(pbstrAttributes);
    std::string text;
    if (record_.type == kPhotoItemType) {
      const PhotoFacts facts = Facts();
      const std::string separator = Label(services_.strings, "stringRef:Core.CommaSpace");
      auto add = [&](std::string part) {
        if (!text.empty()) text += separator;
        text += part;
      };
      using components::FormatLabel;
      if (facts.width != 0 && facts.height != 0)
        add(FormatLabel(Label(services_.strings, "stringRef:Core.Resolution"),
                        {int64_t{facts.width}, int64_t{facts.height}}));
      if (facts.bitDepth != 0)
        add(FormatLabel(Label(services_.strings, "stringRef:Core.ColorDepth"), {int64_t{facts.bitDepth}}));
      if (facts.dpi != 0) add(FormatLabel(Label(services_.strings, "stringRef:Core.DPI"), {int64_t{facts.dpi}}));
    } else if (const std::string_view label = ItemTypeLabel(record_.type); !label.empty()) {
      text = Label(services_.strings, label);
    }
    out = com::Bstr(std::move(text));
  });
}

HRESULT LumItem::GetFileSize(int32_t* pBigSize, int32_t* pSize) {
  return com::CallGuard([&] {
    int32_t& big = com::CheckOut(pBigSize);
    int32_t& size = com::CheckOut(pSize);
    big = record_.bigSize;
    size = record_.size;
  });
}

HRESULT LumItem::PutFileSize(int32_t lBigSize, int32_t lSize) {
  return com::CallGuard([&] {
    WriteItemColumns({{cols::kSize, lSize}, {cols::kBigSize, lBigSize}});
    record_.size = lSize;
    record_.bigSize = lBigSize;
    Announce([&](IKivAlbumCoreEvents& s) { return s.OnItemChanged(record_.id); });
  });
}

HRESULT LumItem::get_FileUniqueID(com::Bstr* pVal) {
  return com::CallGuard([&] { com::CheckOut(pVal) = com::Bstr(record_.fileUniqueId); });
}

HRESULT LumItem::put_FileUniqueID(const com::Bstr& newVal) {
  return com::CallGuard([&] {
    WriteItemColumns({{cols::kFileUniqueId, newVal.str()}});
    record_.fileUniqueId = newVal.str();
  });
}

HRESULT LumItem::get_Rating(int32_t* pVal) {
  return com::CallGuard([&] { com::CheckOut(pVal) = record_.rating; });
}

HRESULT LumItem::put_Rating(int32_t newVal) {
  return com::CallGuard([&] {
    WriteItemColumns({{cols::kRating, newVal}});
    record_.rating = newVal;
    Announce([&](IKivAlbumCoreEvents& s) { return s.OnItemChanged(record_.id); });
  });
}

HRESULT LumItem::EmbeddedImage(com::ComPtr<com::IUnknown>* image) {
  if (image) image->reset();
  return com::S_FALSE;
}

}  // namespace albumcore::items
