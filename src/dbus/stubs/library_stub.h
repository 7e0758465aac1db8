// IKivLibrary on the bus, and the library's item collection beside it.
//
// Most slots run on the main loop inside the call, as the library's own work
// is bounded (its statements have the engine's time budget). Three reply
// later: IsAlive waits for the library's remote sinks to answer the
// liveness probe, and repair and compaction of a whole file run as jobs on
// the binding's long worker. A slot the library does not serve yet answers
// its status (E_NOTIMPL) like any other.
#pragma once

#include <array>
#include <utility>

#include "IKivLibrary_adaptor.h"
#include "ItemCollectionOwner_adaptor.h"
#include "dbus/stubs/call_values.h"
#include "typelib/item_collection_owner.h"
#include "typelib/kiv_library.h"
#include "typelib/library_file_jobs.h"

namespace albumcore::dbus {

class LibraryStub final : public Stub, public ::com::orvane::KIVALBUMCORELib::IKivLibrary_adaptor {
 public:
  LibraryStub(sdbus::IObject& object, ServerBinding& binding, com::ComPtr<typelib::IKivLibrary> target)
      : Stub(object, binding), IKivLibrary_adaptor(object), target_(std::move(target)) {}

 private:
  using Library = typelib::IKivLibrary;
  using PathReply = std::tuple<uint32_t, sdbus::ObjectPath>;
  using TextReply = std::tuple<uint32_t, std::string>;
  using NumberReply = std::tuple<uint32_t, int32_t>;
  using VariantReply = std::tuple<uint32_t, WireVariant>;
  using W = WireVariant;
  using ListingReply = std::tuple<uint32_t, W, W, W, W, W, W, W, W, W, W, W, W, W>;
  using ListingReply2 = std::tuple<uint32_t, W, W, W, W, W, W, W, W, W, W, W, W, W, W>;

  // Identity and the shared objects.
  PathReply get_Shoebox() override { return Getter(&Library::get_Shoebox); }
  PathReply get_SearchResults() override { return Getter(&Library::get_SearchResults); }
  PathReply get_AllAlbumsAlbum() override { return Getter(&Library::get_AllAlbumsAlbum); }
  uint32_t Connect() override { return RefuseLifecycle("IKivLibrary.Connect"); }
  uint32_t Disconnect() override { return RefuseLifecycle("IKivLibrary.Disconnect"); }
  TextReply get_LibMoniker() override { return Text([&](com::Bstr* v) { return target_->get_LibMoniker(v); }); }
  uint32_t put_LibMoniker(const std::string& v) override { return Status([&] { return target_->put_LibMoniker(v); }); }
  TextReply get_Uid() override { return Text([&](com::Bstr* v) { return target_->get_Uid(v); }); }
  uint32_t put_Uid(const std::string& v) override { return Status([&] { return target_->put_Uid(v); }); }
  TextReply get_Pwd() override { return Text([&](com::Bstr* v) { return target_->get_Pwd(v); }); }
  uint32_t put_Pwd(const std::string& v) override { return Status([&] { return target_->put_Pwd(v); }); }
  PathReply get_UserFields() override { return Getter(&Library::get_UserFields); }
  PathReply get_Keywords() override { return Getter(&Library::get_Keywords); }
  PathReply get_Database() override { return Getter(&Library::get_Database); }
  PathReply GetThumbnailGenerator() override { return Getter(&Library::GetThumbnailGenerator); }

  // The file.
  void RepairDatabase(sdbus::Result<uint32_t>&& result, std::string name) override {
    RunFileJob(std::move(result), name.size(), [&](typelib::ILibraryFileJobs& jobs) { return jobs.RepairJob(name); },
               [&] { return target_->RepairDatabase(name); });
  }
  void CompactDatabase(sdbus::Result<uint32_t>&& result, std::string source, std::string target) override {
    RunFileJob(
        std::move(result), source.size() + target.size(),
        [&](typelib::ILibraryFileJobs& jobs) { return jobs.CompactJob(source, target); },
        [&] { return target_->CompactDatabase(source, target); });
  }
  NumberReply get_OpenDatabaseVersion() override {
    return Number([&](int32_t* v) { return target_->get_OpenDatabaseVersion(v); });
  }
  uint32_t CopyDataFromOldDatabase(const std::string& source, const std::string& target, const std::string& datSource,
                                   const std::string& datTarget) override {
    return Status([&] { return target_->CopyDataFromOldDatabase(source, target, datSource, datTarget); });
  }
  uint32_t MergeDatabase(const std::string& merge, const std::string& thumbnails) override {
    return Status([&] { return target_->MergeDatabase(merge, thumbnails); });
  }

  // Descriptors, plug-ins, thumbnails, enumerators.
  PathReply CreateObjectTypeDescriptor(const int32_t& type) override {
    return ObjectFrom([&](com::ComPtr<com::IUnknown>* o) { return target_->CreateObjectTypeDescriptor(type, o); });
  }
  PathReply CreateGenericTypeDescriptor() override { return Getter(&Library::CreateGenericTypeDescriptor); }
  uint32_t GenerateThumbnail(const int32_t& id) override {
    return Status([&] { return target_->GenerateThumbnail(id); });
  }
  PathReply GetDateEnumerator() override { return Getter(&Library::GetDateEnumerator); }
  uint32_t InitObject(const std::string& param, const std::string& guid) override {
    return Status([&] { return target_->InitObject(param, guid); });
  }
  PathReply CreateAlbumCorePlugin(const std::string& request) override {
    return ObjectFrom([&](com::ComPtr<com::IUnknown>* o) { return target_->CreateAlbumCorePlugin(request, o); });
  }

  // Items and albums.
  uint32_t UpdateItem(const std::string& moniker) override {
    return Status([&] { return target_->UpdateItem(moniker); });
  }
  PathReply GetItem(const int32_t& id) override {
    return ObjectFrom([&](com::ComPtr<com::IUnknown>* o) { return target_->GetItem(id, o); });
  }
  PathReply GetAlbum(const int32_t& id) override {
    return ObjectFrom([&](com::ComPtr<com::IUnknown>* o) { return target_->GetAlbum(id, o); });
  }
  PathReply GetUniqueAlbum(const std::string& uniqueId) override {
    return ObjectFrom([&](com::ComPtr<com::IUnknown>* o) { return target_->GetUniqueAlbum(uniqueId, o); });
  }
  NumberReply GetSpecialAlbumID(const int32_t& type) override {
    return Number([&](int32_t* id) { return target_->GetSpecialAlbumID(type, id); });
  }
  NumberReply CreateAlbum(const std::string& cover, const std::string& name, const int32_t& parent) override {
    return Number([&](int32_t* id) { return target_->CreateAlbum(cover, name, parent, id); });
  }
  NumberReply CreateAlbumCustom(const std::string& cover, const std::string& name, const int32_t& parent,
                                const int32_t& type) override {
    return Number([&](int32_t* id) { return target_->CreateAlbumCustom(cover, name, parent, type, id); });
  }
  NumberReply CreateAlbumUnique(const std::string& cover, const std::string& name, const int32_t& parent,
                                const int32_t& type, const std::string& uniqueId) override {
    return Number([&](int32_t* id) { return target_->CreateAlbumUnique(cover, name, parent, type, uniqueId, id); });
  }
  NumberReply CreateAlbumFromSearchResults(const std::string& cover, const std::string& name,
                                           const int32_t& parent) override {
    return Number([&](int32_t* id) { return target_->CreateAlbumFromSearchResults(cover, name, parent, id); });
  }
  NumberReply FindAlbumFromMoniker(const std::string& moniker) override {
    return Number([&](int32_t* id) { return target_->FindAlbumFromMoniker(moniker, id); });
  }
  uint32_t CreateAlbumForItem(const int32_t& id) override {
    return Status([&] { return target_->CreateAlbumForItem(id); });
  }
  uint32_t DeleteAlbumForItem(const int32_t& id) override {
    return Status([&] { return target_->DeleteAlbumForItem(id); });
  }
  uint32_t DeleteFilesStartedWith(const std::string& folder) override {
    return Status([&] { return target_->DeleteFilesStartedWith(folder); });
  }
  uint32_t RenameFilesStartedWith(const std::string& from, const std::string& to) override {
    return Status([&] { return target_->RenameFilesStartedWith(from, to); });
  }
  NumberReply DoFilesOfTypeExist(const int32_t& type) override {
    return Number([&](int32_t* exist) { return target_->DoFilesOfTypeExist(type, exist); });
  }
  std::tuple<uint32_t, int32_t, int32_t, int32_t> GetTotalInfo(const std::string& types) override {
    int32_t count = 0, bigSize = 0, size = 0;
    const com::HRESULT hr = com::CallGuard([&] { return target_->GetTotalInfo(types, &count, &bigSize, &size); });
    return {Wire(hr), count, bigSize, size};
  }
  VariantReply EnumerateFieldValues(const std::string& sql) override {
    return OneVariant([&](com::Variant* v) { return target_->EnumerateFieldValues(sql, v); });
  }

  // Recently used, clipboard.
  uint32_t SetMRULength(const int32_t& length) override {
    return Status([&] { return target_->SetMRULength(length); });
  }
  uint32_t AddToMRU(const std::string& album, const std::string& moniker) override {
    return Status([&] { return target_->AddToMRU(album, moniker); });
  }
  NumberReply GetMRUSection(const std::string& section) override {
    return Number([&](int32_t* id) { return target_->GetMRUSection(section, id); });
  }
  VariantReply GetMruSoundMonikerStrings() override {
    return OneVariant([&](com::Variant* v) { return target_->GetMruSoundMonikerStrings(v); });
  }
  uint32_t AddMruSoundMonikerString(const std::string& moniker) override {
    return Status([&] { return target_->AddMruSoundMonikerString(moniker); });
  }
  uint32_t CopyToClipboard(const WireVariant& items) override {
    return Status([&] { return target_->CopyToClipboard(CallValues(binding_, Caller()).In(items)); });
  }
  uint32_t PasteFromClipboard(const int32_t& parent) override {
    return Status([&] { return target_->PasteFromClipboard(parent); });
  }

  // The view tree and SQL listings.
  std::tuple<uint32_t, W, W, W> GetNodes(const std::string& request) override {
    std::array<com::Variant, 3> out;
    const com::HRESULT hr = com::CallGuard([&] { return target_->GetNodes(request, &out[0], &out[1], &out[2]); });
    auto wire = Wires<3>(hr, {&out[0], &out[1], &out[2]});
    return {Wire(wire.first), wire.second[0], wire.second[1], wire.second[2]};
  }
  TextReply GetNodeName(const std::string& request) override {
    return Text([&](com::Bstr* v) { return target_->GetNodeName(request, v); });
  }
  TextReply GetNodeNamePath(const std::string& request) override {
    return Text([&](com::Bstr* v) { return target_->GetNodeNamePath(request, v); });
  }
  TextReply GetParentID(const std::string& request) override {
    return Text([&](com::Bstr* v) { return target_->GetParentID(request, v); });
  }
  TextReply GetSmartViewIcon(const std::string& request) override {
    return Text([&](com::Bstr* v) { return target_->GetSmartViewIcon(request, v); });
  }
  TextReply GetSmartViewThumbnail(const std::string& request) override {
    return Text([&](com::Bstr* v) { return target_->GetSmartViewThumbnail(request, v); });
  }
  TextReply GetNodeItemsSQL(const std::string& request, const std::string& filter, const uint32_t& sortField,
                            const uint32_t& sortOrder, const int32_t& allFields) override {
    return Text([&](com::Bstr* v) {
      return target_->GetNodeItemsSQL(request, filter, sortField, sortOrder, allFields, v);
    });
  }
  NumberReply IsNodesItem(const std::string& request, const int32_t& id) override {
    return Number([&](int32_t* is) { return target_->IsNodesItem(request, id, is); });
  }
  NumberReply IsEmptyView(const std::string& sql) override {
    return Number([&](int32_t* is) { return target_->IsEmptyView(sql, is); });
  }
  VariantReply GetReadOnly(const std::string& request) override {
    return OneVariant([&](com::Variant* v) { return target_->GetReadOnly(request, v); });
  }
  VariantReply GetSQLItemsCustom(const std::string& sql) override {
    return OneVariant([&](com::Variant* v) { return target_->GetSQLItemsCustom(sql, v); });
  }
  ListingReply GetNodeItems(const std::string& request, const std::string& filter, const uint32_t& sortField,
                            const uint32_t& sortOrder) override {
    return Listing([&](typelib::ItemListingArrays* items, com::Variant*) {
      return target_->GetNodeItems(request, filter, sortField, sortOrder, items);
    });
  }
  ListingReply GetSQLItems(const std::string& sql, const std::string& filter) override {
    return Listing([&](typelib::ItemListingArrays* items, com::Variant*) {
      return target_->GetSQLItems(sql, filter, items);
    });
  }
  ListingReply2 GetNodeItems2(const std::string& request, const std::string& filter, const uint32_t& sortField,
                              const uint32_t& sortOrder) override {
    return ListingWithReadOnly([&](typelib::ItemListingArrays* items, com::Variant* readOnly) {
      return target_->GetNodeItems2(request, filter, sortField, sortOrder, items, readOnly);
    });
  }
  ListingReply2 GetSQLItems2(const std::string& sql, const std::string& filter) override {
    return ListingWithReadOnly([&](typelib::ItemListingArrays* items, com::Variant* readOnly) {
      return target_->GetSQLItems2(sql, filter, items, readOnly);
    });
  }

  // Liveness: remote sinks answer later, so the reply waits for the probe
  // and the loop goes on meanwhile.
  void IsAlive(sdbus::Result<uint32_t>&& result) override {
    auto probe = com::QueryInterface<com::IAsyncLivenessProbe>(target_);
    if (!probe) return result.returnResults(Status([&] { return target_->IsAlive(); }));
    auto reply = std::make_shared<sdbus::Result<uint32_t>>(std::move(result));
    probe->ProbeAlive([reply](com::HRESULT hr) { reply->returnResults(Wire(hr)); });
  }

  // The shapes of the replies.

  template <class Call>
  static uint32_t Status(Call&& call) {
    return Wire(com::CallGuard(std::forward<Call>(call)));
  }
  template <class Call>
  static TextReply Text(Call&& call) {
    com::Bstr text;
    const com::HRESULT hr = com::CallGuard([&] { return call(&text); });
    return {Wire(hr), text.str()};
  }
  template <class Call>
  static NumberReply Number(Call&& call) {
    int32_t number = 0;
    const com::HRESULT hr = com::CallGuard([&] { return call(&number); });
    return {Wire(hr), number};
  }
  // An object handed to the caller: its path, counting the caller's
  // reference ("/" for none).
  template <class Call>
  PathReply ObjectFrom(Call&& call) {
    sdbus::ObjectPath path("/");
    const com::HRESULT hr = com::CallGuard([&] {
      com::ComPtr<com::IUnknown> object;
      const com::HRESULT answered = call(&object);
      path = CallValues(binding_, Caller()).Path(object);
      return answered;
    });
    return {Wire(hr), path};
  }
  PathReply Getter(com::HRESULT (Library::*getter)(com::ComPtr<com::IUnknown>*)) {
    return ObjectFrom([&](com::ComPtr<com::IUnknown>* o) { return ((*target_).*getter)(o); });
  }
  template <class Call>
  VariantReply OneVariant(Call&& call) {
    com::Variant out;
    const com::HRESULT hr = com::CallGuard([&] { return call(&out); });
    auto wire = Wires<1>(hr, {&out});
    return {Wire(wire.first), std::move(wire.second[0])};
  }
  // Values as the object left them; all empty when one cannot travel, and
  // then that failure is the status.
  template <size_t N>
  std::pair<com::HRESULT, std::array<WireVariant, N>> Wires(com::HRESULT hr,
                                                            const std::array<const com::Variant*, N>& values) {
    std::array<WireVariant, N> wire;
    wire.fill(CallValues::Empty());
    const com::HRESULT encoded = com::CallGuard([&] {
      CheckReplyFits(values, binding_.maxReplyBytes(), "a library reply");
      CallValues out(binding_, Caller());
      std::array<WireVariant, N> all;
      for (size_t i = 0; i < N; ++i) all[i] = out.Out(*values[i]);
      wire = std::move(all);
    });
    return {com::Failed(encoded) ? encoded : hr, std::move(wire)};
  }

  // The thirteen arrays of an item listing, and the read-only flags after
  // them for the listings that have them.
  template <class Call>
  std::pair<com::HRESULT, std::array<WireVariant, 14>> ListingWires(Call&& call) {
    typelib::ItemListingArrays items;
    com::Variant readOnly;
    const com::HRESULT hr = com::CallGuard([&] { return call(&items, &readOnly); });
    return Wires<14>(hr, {&items.id, &items.name, &items.type, &items.moniker, &items.dateCreated,
                          &items.dateModified, &items.size, &items.bigSize, &items.thumbMoniker, &items.rotation,
                          &items.soundMoniker, &items.notes, &items.rating, &readOnly});
  }
  template <class Call>
  ListingReply Listing(Call&& call) {
    auto [hr, w] = ListingWires(std::forward<Call>(call));
    return {Wire(hr), w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7], w[8], w[9], w[10], w[11], w[12]};
  }
  template <class Call>
  ListingReply2 ListingWithReadOnly(Call&& call) {
    auto [hr, w] = ListingWires(std::forward<Call>(call));
    return {Wire(hr), w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7], w[8], w[9], w[10], w[11], w[12], w[13]};
  }

  // A file job on the long worker, replying when it is done; at once, with
  // E_FAIL, when the caller has too much waiting already. An object that
  // hands out no jobs runs the slot itself.
  template <class MakeJob, class Direct>
  void RunFileJob(sdbus::Result<uint32_t>&& result, size_t bytes, MakeJob&& make, Direct&& direct) {
    auto jobs = com::QueryInterface<typelib::ILibraryFileJobs>(target_);
    if (!jobs) return result.returnResults(Status(std::forward<Direct>(direct)));
    struct Call {
      typelib::ILibraryFileJobs::Job job;
      com::HRESULT hr = com::E_FAIL;
    };
    auto call = std::make_shared<Call>();
    call->job = make(*jobs);
    auto reply = std::make_shared<sdbus::Result<uint32_t>>(std::move(result));
    auto work = [call] { call->hr = call->job(); };
    auto complete = [call, reply] { reply->returnResults(Wire(call->hr)); };
    if (!binding_.longWork().Submit(Caller(), bytes, work, complete)) reply->returnResults(Wire(com::E_FAIL));
  }

  com::ComPtr<typelib::IKivLibrary> target_;
};

class ItemCollectionOwnerStub final : public Stub, public ::com::orvane::AlbumCore9::ItemCollectionOwner_adaptor {
 public:
  ItemCollectionOwnerStub(sdbus::IObject& object, ServerBinding& binding,
                          com::ComPtr<typelib::IItemCollectionOwner> target)
      : Stub(object, binding), ItemCollectionOwner_adaptor(object), target_(std::move(target)) {}

 private:
  std::tuple<uint32_t, sdbus::ObjectPath> GetItemCollection() override {
    sdbus::ObjectPath path("/");
    const com::HRESULT hr = com::CallGuard([&] {
      com::ComPtr<com::IUnknown> collection;
      const com::HRESULT answered = target_->GetItemCollection(&collection);
      path = CallValues(binding_, Caller()).Path(collection);
      return answered;
    });
    return {Wire(hr), path};
  }

  com::ComPtr<typelib::IItemCollectionOwner> target_;
};

}  // namespace albumcore::dbus
