// LumLibrary: one open catalogue, as a client holds it.
//
// Connect opens the catalogue session (the engine with the context's SQL
// limits), then connects the library-wide user fields, the library-wide
// keywords and the item collection, in that order, subscribing the
// library's relay to each, and runs the connect-time schema step.
// Disconnect undoes it in the order item collection, user fields,
// keywords, then releases the database and compacts the file through the
// context's runLong. A library can be connected again after.
//
// The relay passes every event of the three shared objects on, unchanged,
// on the library's own IKivAlbumCoreEvents point. IsAlive asks the
// library's sinks (ProbeAlive, offered as IAsyncLivenessProbe, waits for
// remote answers; IsAlive itself answers what the sinks in this process
// said, S_OK while a remote answer is still out).
//
// Beside IKivLibrary it offers its item collection (IItemCollectionOwner)
// and its repair and compaction as jobs that may run off the main loop
// (ILibraryFileJobs).
//
// Slots whose objects do not exist yet (node tree, MRU and clipboard,
// searches, date enumerator, copy and merge of catalogues, albums made from
// search results) answer E_NOTIMPL; docs/architecture.md lists them. Main
// loop only.
#pragma once

#include <memory>
#include <string>

#include "events/event_source.h"
#include "events/subscription.h"
#include "items/collection/lum_item_collection.h"
#include "library/library_context.h"
#include "server/class_ids.h"
#include "store/catalogue/catalogue_session.h"
#include "tagging/keywords/lum_keywords_library.h"
#include "tagging/user_fields/user_fields_library.h"
#include "typelib/item_collection_owner.h"
#include "typelib/kiv_library.h"
#include "typelib/library_file_jobs.h"

namespace albumcore::library {

class LumLibrary final : public com::ComObject,
                         public typelib::IKivLibrary,
                         public typelib::IItemCollectionOwner,
                         public typelib::ILibraryFileJobs,
                         public com::IAsyncLivenessProbe,
                         public events::AlbumCoreEventsSource {
 public:
  static constexpr std::string_view kClassName = "LumLibrary";
  static constexpr std::string_view kClassId = server::kLumLibraryClsid;

  explicit LumLibrary(LibraryContext context);
  ~LumLibrary() override;

  com::HRESULT get_Shoebox(com::ComPtr<com::IUnknown>* pVal) override;
  com::HRESULT get_SearchResults(com::ComPtr<com::IUnknown>* pVal) override;
  com::HRESULT get_AllAlbumsAlbum(com::ComPtr<com::IUnknown>* pVal) override;
  com::HRESULT Connect() override;
  com::HRESULT Disconnect() override;
  com::HRESULT get_LibMoniker(com::Bstr* pVal) override;
  com::HRESULT put_LibMoniker(const com::Bstr& newVal) override;
  com::HRESULT get_Uid(com::Bstr* pVal) override;
  com::HRESULT put_Uid(const com::Bstr& newVal) override;
  com::HRESULT get_Pwd(com::Bstr* pVal) override;
  com::HRESULT put_Pwd(const com::Bstr& newVal) override;
  com::HRESULT get_UserFields(com::ComPtr<com::IUnknown>* pVal) override;
  com::HRESULT get_Keywords(com::ComPtr<com::IUnknown>* pVal) override;
  com::HRESULT RepairDatabase(const com::Bstr& bstrName) override;
  com::HRESULT CompactDatabase(const com::Bstr& bstrSource, const com::Bstr& bstrTarget) override;
  com::HRESULT get_OpenDatabaseVersion(int32_t* pVal) override;
  com::HRESULT CopyDataFromOldDatabase(const com::Bstr& bstrSource, const com::Bstr& bstrTarget,
                                       const com::Bstr& bstrDATSource, const com::Bstr& bstrDATTarget) override;
  com::HRESULT GetSpecialAlbumID(int32_t lType, int32_t* plAlbumID) override;
  com::HRESULT CreateObjectTypeDescriptor(int32_t TypeID, com::ComPtr<com::IUnknown>* ppDescriptor) override;
  com::HRESULT CreateGenericTypeDescriptor(com::ComPtr<com::IUnknown>* ppDescriptor) override;
  com::HRESULT GenerateThumbnail(int32_t lID) override;
  com::HRESULT GetDateEnumerator(com::ComPtr<com::IUnknown>* ppEnumerator) override;
  com::HRESULT UpdateItem(const com::Bstr& bstrMoniker) override;
  com::HRESULT SetMRULength(int32_t lLength) override;
  com::HRESULT AddToMRU(const com::Bstr& bstrAlbumName, const com::Bstr& bstrMoniker) override;
  com::HRESULT GetMRUSection(const com::Bstr& bstrSectionName, int32_t* plAlbumID) override;
  com::HRESULT GetMruSoundMonikerStrings(com::Variant* pSoundMonikerStrings) override;
  com::HRESULT AddMruSoundMonikerString(const com::Bstr& SoundMonikerString) override;
  com::HRESULT InitObject(const com::Bstr& bstrInitParam, const com::Bstr& bstrGUID) override;
  com::HRESULT CopyToClipboard(const com::Variant& varClipboardItems) override;
  com::HRESULT PasteFromClipboard(int32_t lParentAlbum) override;
  com::HRESULT GetItem(int32_t lItemID, com::ComPtr<com::IUnknown>* ppItem) override;
  com::HRESULT GetAlbum(int32_t lAlbumID, com::ComPtr<com::IUnknown>* ppAlbum) override;
  com::HRESULT CreateAlbum(const com::Bstr& bstrCoverMoniker, const com::Bstr& bstrName, int32_t lParentAlbum,
                           int32_t* plAlbumID) override;
  com::HRESULT FindAlbumFromMoniker(const com::Bstr& bstrAlbumMoniker, int32_t* plAlbumID) override;
  com::HRESULT CreateAlbumForItem(int32_t lItemID) override;
  com::HRESULT DeleteAlbumForItem(int32_t lItemID) override;
  com::HRESULT CreateAlbumFromSearchResults(const com::Bstr& bstrCoverMoniker, const com::Bstr& bstrName,
                                            int32_t lParentAlbum, int32_t* plAlbumID) override;
  com::HRESULT CreateAlbumCorePlugin(const com::Bstr& bstrRequestID, com::ComPtr<com::IUnknown>* ppPlugin) override;
  com::HRESULT GetNodes(const com::Bstr& bstrRequestID, com::Variant* pvarID, com::Variant* pvarName,
                        com::Variant* pvarHasNodes) override;
  com::HRESULT GetNodeName(const com::Bstr& bstrRequestID, com::Bstr* pbstrName) override;
  com::HRESULT GetNodeNamePath(const com::Bstr& bstrRequestID, com::Bstr* pbstrName) override;
  com::HRESULT GetNodeItems(const com::Bstr& bstrRequestID, const com::Bstr& bstrFilter, uint32_t dwSortField,
                            uint32_t dwSortOrder, typelib::ItemListingArrays* pItems) override;
  com::HRESULT IsNodesItem(const com::Bstr& bstrRequestID, int32_t lItemID, int32_t* pbIsNodesItem) override;
  com::HRESULT IsEmptyView(const com::Bstr& bstrSQL, int32_t* pbIsEmptyView) override;
  com::HRESULT GetSQLItems(const com::Bstr& bstrSQL, const com::Bstr& bstrFilter,
                           typelib::ItemListingArrays* pItems) override;
  com::HRESULT GetSmartViewIcon(const com::Bstr& bstrRequestID, com::Bstr* pbstrIconPath) override;
  com::HRESULT GetSmartViewThumbnail(const com::Bstr& bstrRequestID, com::Bstr* pbstrThumbnailPath) override;
  com::HRESULT IsAlive() override;
  com::HRESULT EnumerateFieldValues(const com::Bstr& bstrSQL, com::Variant* pValues) override;
  com::HRESULT get_Database(com::ComPtr<com::IUnknown>* pVal) override;
  com::HRESULT MergeDatabase(const com::Bstr& bstrMerge, const com::Bstr& bstrThumbnails) override;
  com::HRESULT DoFilesOfTypeExist(int32_t lType, int32_t* pbExist) override;
  com::HRESULT GetNodeItemsSQL(const com::Bstr& bstrRequestID, const com::Bstr& bstrFilter, uint32_t dwSortField,
                               uint32_t dwSortOrder, int32_t bAllFields, com::Bstr* pbstrSQL) override;
  com::HRESULT DeleteFilesStartedWith(const com::Bstr& bstrDirMoniker) override;
  com::HRESULT RenameFilesStartedWith(const com::Bstr& bstrOldDirMoniker, const com::Bstr& bstrNewDirMoniker) override;
  com::HRESULT GetParentID(const com::Bstr& bstrRequestID, com::Bstr* pbstrParentRequestID) override;
  com::HRESULT GetSQLItemsCustom(const com::Bstr& bstrSQL, com::Variant* pvarItems) override;
  com::HRESULT CreateAlbumCustom(const com::Bstr& bstrCoverMoniker, const com::Bstr& bstrName, int32_t lParentAlbum,
                                 int32_t lAlbumType, int32_t* plAlbumID) override;
  com::HRESULT CreateAlbumUnique(const com::Bstr& bstrCoverMoniker, const com::Bstr& bstrName, int32_t lParentAlbum,
                                 int32_t lAlbumType, const com::Bstr& bstrUniqueID, int32_t* plAlbumID) override;
  com::HRESULT GetUniqueAlbum(const com::Bstr& bstrUniqueID, com::ComPtr<com::IUnknown>* ppAlbum) override;
  com::HRESULT GetNodeItems2(const com::Bstr& bstrRequestID, const com::Bstr& bstrFilter, uint32_t dwSortField,
                             uint32_t dwSortOrder, typelib::ItemListingArrays* pItems,
                             com::Variant* pvarReadOnly) override;
  com::HRESULT GetSQLItems2(const com::Bstr& bstrSQL, const com::Bstr& bstrFilter, typelib::ItemListingArrays* pItems,
                            com::Variant* pvarReadOnly) override;
  com::HRESULT GetTotalInfo(const com::Bstr& bstrItemTypeList, int32_t* pCount, int32_t* pBigSize,
                            int32_t* pSize) override;
  com::HRESULT GetReadOnly(const com::Bstr& bstrRequestID, com::Variant* pvarReadOnly) override;
  com::HRESULT GetThumbnailGenerator(com::ComPtr<com::IUnknown>* pGenerator) override;

  com::HRESULT GetItemCollection(com::ComPtr<com::IUnknown>* ppCollection) override;
  Job RepairJob(const com::Bstr& bstrName) override;
  Job CompactJob(const com::Bstr& bstrSource, const com::Bstr& bstrTarget) override;

  // Asks the subscribed clients whether one is still there (remote ones
  // answer later, on the main loop): S_OK, or E_FAIL when all are gone.
  void ProbeAlive(std::function<void(com::HRESULT)> done) override;
  bool connected() const noexcept { return static_cast<bool>(session_); }
  int32_t mruLength() const noexcept { return mruLength_; }
  items::LumItemCollection* itemCollection() const noexcept { return items_.get(); }

 private:
  // The item collection; E_FAIL (raised) when not connected.
  items::LumItemCollection& items() const;
  store::dao::Database& db() const;
  com::HRESULT Unconnected() const noexcept;
  // The IDs of the items whose moniker starts with `folder` (LIKE, escaped).
  std::vector<int32_t> ItemsUnder(const std::string& folder);
  com::HRESULT DisconnectShared() noexcept;

  LibraryContext context_;
  com::Bstr moniker_;
  com::Bstr uid_{"Admin"};
  com::Bstr pwd_{""};
  int32_t mruLength_ = 10;
  std::unique_ptr<store::catalogue::CatalogueSession> session_;
  com::ComPtr<tagging::LumUserFieldsLibrary> userFields_;
  com::ComPtr<tagging::keywords::LumKeywordsLibrary> keywords_;
  com::ComPtr<items::LumItemCollection> items_;
  events::Subscription itemsRelay_, userFieldsRelay_, keywordsRelay_;
};

}  // namespace albumcore::library
