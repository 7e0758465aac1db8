// LumItem: the common item object, the automation view of one AlbumItems
// row. The item collection makes one per item it hands out (the class of the
// item's type derives from this one), connects it and keeps it.
//
// Reads answer from the record copy and never touch the database. A put
// writes the row first (the stored query "GetItemRecord", Edit, the
// field(s), Update), then changes the copy, then fires its event on
// IKivAlbumCoreEvents, unless a batch update is open; a failing write
// returns the engine's status, leaves the copy as it was and fires nothing.
//
// Events of the puts: OnItemChanged for Type, dates, Note, SoundMoniker,
// DataXML, Rating, PutFileSize and EndBatchUpdate; OnItemMonikerChanged;
// OnItemNameChanged; none for the four flags, IsArchived, FileUniqueID and
// BackedUp. The thumbnail-moniker put fires nothing itself: it asks the
// thumbnail generator for the image, whose arrival is announced there.
//
// Statuses: E_POINTER for a null out-pointer; E_FAIL for a put (or a record
// load) without a connection; CO_E_NOT_SUPPORTED for FillFromMonikerEx.
// Main loop only.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "com/unknown.h"
#include "events/event_source.h"
#include "events/subscription.h"
#include "items/item/item_record.h"
#include "items/item/item_services.h"
#include "store/dao/database.h"
#include "typelib/kiv_item.h"
#include "typelib/kiv_keywords.h"
#include "typelib/kiv_user_fields.h"
#include "typelib/kiv_thumbnail_generator.h"

namespace albumcore::items {

// The facts of a photo that the item's texts show; zeros for other items.
struct PhotoFacts {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bitDepth = 0;
  int32_t dpi = 0;
};

class LumItem : public com::ComObject, public typelib::IKivItem, public events::AlbumCoreEventsSource {
 public:
  explicit LumItem(ItemServices services) : services_(services) {}
  ~LumItem() override;

  com::HRESULT Connect(com::IUnknown* pConnection, int32_t lItemID, com::IUnknown* pLibUserFields,
                       com::IUnknown* pLibKeywords, com::IUnknown* pThumbnailCache) override;
  com::HRESULT Disconnect() override;
  com::HRESULT get_ID(int32_t* pVal) override;
  com::HRESULT get_Type(int32_t* pVal) override;
  com::HRESULT put_Type(int32_t newVal) override;
  com::HRESULT get_Moniker(com::Bstr* pVal) override;
  com::HRESULT put_Moniker(const com::Bstr& newVal) override;
  com::HRESULT get_ThumbnailMoniker(com::Bstr* pVal) override;
  com::HRESULT put_ThumbnailMoniker(const com::Bstr& newVal) override;
  com::HRESULT get_DateCreated(com::Variant* pVal) override;
  com::HRESULT put_DateCreated(const com::Variant& newVal) override;
  com::HRESULT get_DateModified(com::Variant* pVal) override;
  com::HRESULT put_DateModified(const com::Variant& newVal) override;
  com::HRESULT get_Name(com::Bstr* pVal) override;
  com::HRESULT put_Name(const com::Bstr& newVal) override;
  com::HRESULT get_Note(com::Bstr* pVal) override;
  com::HRESULT put_Note(const com::Bstr& newVal) override;
  com::HRESULT get_SoundMoniker(com::Bstr* pVal) override;
  com::HRESULT put_SoundMoniker(const com::Bstr& newVal) override;
  com::HRESULT get_ReadOnly(int32_t* pVal) override;
  com::HRESULT put_ReadOnly(int32_t newVal) override;
  com::HRESULT get_Protected(int32_t* pVal) override;
  com::HRESULT put_Protected(int32_t newVal) override;
  com::HRESULT get_Hidden(int32_t* pVal) override;
  com::HRESULT put_Hidden(int32_t newVal) override;
  com::HRESULT get_Playable(int32_t* pVal) override;
  com::HRESULT put_Playable(int32_t newVal) override;
  com::HRESULT get_DataXML(com::Variant* pVal) override;
  com::HRESULT put_DataXML(const com::Variant& newVal) override;
  com::HRESULT get_UserFields(com::ComPtr<com::IUnknown>* pVal) override;
  com::HRESULT get_Keywords(com::ComPtr<com::IUnknown>* pVal) override;
  com::HRESULT BeginBatchUpdate() override;
  com::HRESULT EndBatchUpdate() override;
  com::HRESULT IsAlbum(int32_t* plConfirm) override;
  com::HRESULT FillFromMoniker(int32_t bInternalCall) override;
  com::HRESULT FillFromMonikerEx(int32_t bInternalCall, com::IUnknown* pUnk) override;
  com::HRESULT Compare(com::IUnknown* pItem, int32_t Type, int32_t filed, int32_t* pbIsLess) override;
  com::HRESULT UpdateThumbnailMoniker(const com::Bstr& Moniker) override;
  com::HRESULT GetPropertyString(com::Bstr* pbstrProperties) override;
  com::HRESULT GetAttributesString(com::Bstr* pbstrAttributes) override;
  com::HRESULT RefreshThumbnailMoniker(const com::Bstr& Moniker) override;
  com::HRESULT GetFileSize(int32_t* pBigSize, int32_t* pSize) override;
  com::HRESULT PutFileSize(int32_t lBigSize, int32_t lSize) override;
  com::HRESULT get_FileUniqueID(com::Bstr* pVal) override;
  com::HRESULT put_FileUniqueID(const com::Bstr& newVal) override;
  com::HRESULT get_IsArchived(int32_t* pVal) override;
  com::HRESULT put_IsArchived(int32_t newVal) override;
  com::HRESULT get_Rating(int32_t* pVal) override;
  com::HRESULT put_Rating(int32_t newVal) override;

  // For the server's other objects, not clients.
  com::HRESULT PutBackedUp(bool backedUp);
  bool BackedUp() const noexcept { return record_.backedUp; }
  // An image the item already holds for its thumbnail: S_OK and the image,
  // or S_FALSE for none (what the common item answers).
  virtual com::HRESULT EmbeddedImage(com::ComPtr<com::IUnknown>* image);
  const ItemRecord& record() const noexcept { return record_; }

 protected:
  using ColumnValue = std::pair<std::string_view, com::Variant>;

  // Class steps around Connect and Disconnect (the photo item's record).
  virtual void AfterConnect() {}
  virtual void BeforeDisconnect() {}
  virtual PhotoFacts Facts() const { return {}; }

  bool connected() const noexcept { return db_ && record_.id >= 0; }
  // The database; E_FAIL (raised) when not connected.
  store::dao::Database& db() const;
  const ItemServices& services() const noexcept { return services_; }
  ItemRecord& mutableRecord() noexcept { return record_; }
  // Writes `values` into the item's row in one Edit/Update.
  void WriteItemColumns(std::initializer_list<ColumnValue> values);
  // Fires `call` unless a batch update is open.
  template <class Call>
  void Announce(Call&& call) {
    if (!batch_) FireCoreEvent(std::forward<Call>(call));
  }

 private:
  // Reads the record unless type and both monikers are known: S_OK read,
  // S_FALSE kept.
  com::HRESULT LoadRecord();
  void Forget() noexcept;
  // The put of a text column firing OnItemChanged.
  com::HRESULT PutChangedColumn(std::string_view column, com::Variant value, std::string ItemRecord::*field);
  com::HRESULT PutFlag(std::string_view column, int32_t value, bool ItemRecord::*field);
  com::HRESULT GetFlag(int32_t* out, bool ItemRecord::*field) const;
  // The thumbnail-moniker put and refresh, after the column is written.
  void RequestThumbnail(const std::string& moniker, bool alwaysOverride);
  template <class Collection>
  com::HRESULT OwnCollection(com::ComPtr<Collection>& own, events::Subscription& relay, com::IUnknown* library,
                             com::ComPtr<com::IUnknown>* out);

  ItemServices services_;
  ItemRecord record_;
  com::ComPtr<store::dao::Database> db_;
  com::ComPtr<com::IUnknown> libUserFields_;
  com::ComPtr<com::IUnknown> libKeywords_;
  com::ComPtr<typelib::IKivThumbnailGenerator> thumbnails_;
  com::ComPtr<typelib::IKivUserFields> userFields_;
  com::ComPtr<typelib::IKivKeywords> keywords_;
  events::Subscription userFieldsRelay_;
  events::Subscription keywordsRelay_;
  bool batch_ = false;
};

}  // namespace albumcore::items
