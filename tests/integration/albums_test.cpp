// Albums over a real bus: the real server, clients in this process and
// albumctl runs.
#include <filesystem>

#include "IKivAlbum_proxy.h"
#include "catalogue_server_fixture.h"
#include "client/albums.h"
#include "client/event_sink.h"
#include "client/library.h"
#include "registry/registry_store.h"
#include "server/config/config_keys.h"
#include "typelib/kiv_album_core_events.h"

namespace albumcore::testing {
namespace {

namespace fs = std::filesystem;
using com::HRESULT;
using AlbumProxy = ServerProxy<::com::orvane::KIVALBUMCORELib::IKivAlbum_proxy>;

constexpr int32_t kRootType = 1;

class AlbumSink final : public typelib::AlbumCoreEventsSink, public HeardLines {
 public:
  HRESULT OnAlbumNameChanged(int32_t id, const com::Bstr& name) override {
    return Add("OnAlbumNameChanged " + std::to_string(id) + " " + name.str());
  }
  HRESULT OnItemAdded(int32_t album, int32_t item) override {
    return Add("OnItemAdded " + std::to_string(album) + " " + std::to_string(item));
  }
  HRESULT OnItemRemoved(int32_t album, int32_t item) override {
    return Add("OnItemRemoved " + std::to_string(album) + " " + std::to_string(item));
  }
};

class AlbumBusTest : public CatalogueServerFixture {
 protected:
  AlbumBusTest() { registered_ = true; }
  void SetUp() override {
    CatalogueServerFixture::SetUp();
    path_ = bus_->directory() + "/albums.db";
    com::ComPtr<client::RemoteObject> object;
    ASSERT_EQ(factory_->Open(path_, &object), com::S_OK);
    library_ = std::make_unique<client::Library>(session_, object);
    ASSERT_EQ(library_->SpecialAlbumId(kRootType, root_), com::S_OK);
  }
  void TearDown() override {
    if (library_) {
      EXPECT_EQ(factory_->Close(path_), com::S_OK);
    }
  }

  std::unique_ptr<client::Album> GetAlbum(int32_t id) {
    com::ComPtr<client::RemoteObject> object;
    EXPECT_EQ(library_->GetAlbum(id, object), com::S_OK) << id;
    if (!object) return nullptr;
    return std::make_unique<client::Album>(session_, object);
  }
  int32_t Create(const std::string& name, int32_t parent) {
    int32_t id = -1;
    EXPECT_EQ(library_->CreateAlbum(name, parent, id), com::S_OK) << name;
    return id;
  }

  std::string path_;
  std::unique_ptr<client::Library> library_;
  int32_t root_ = -1;
};

TEST_F(AlbumBusTest, AlbumsTravelAsObjectsWithTheirTreeMembersAndEvents) {
  const int32_t trips = Create("Trips", root_);
  const int32_t alps = Create("Alps", trips);
  const int32_t coast = Create("Coast", trips);
  auto album = GetAlbum(trips);
  ASSERT_TRUE(album);

  // The same album object for every request, with its members and tree.
  auto again = GetAlbum(trips);
  EXPECT_EQ(again->object()->path(), album->object()->path());
  int32_t id = -1, count = -1;
  std::string name;
  EXPECT_EQ(album->Id(id), com::S_OK);
  EXPECT_EQ(id, trips);
  EXPECT_EQ(album->Name(name), com::S_OK);
  EXPECT_EQ(name, "Trips");
  EXPECT_EQ(album->Count(count), com::S_OK);
  EXPECT_EQ(count, 2);
  std::vector<int32_t> ids;
  EXPECT_EQ(album->ChildAlbums(ids), com::S_OK);
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(ids, (std::vector<int32_t>{alps, coast}));
  EXPECT_EQ(GetAlbum(alps)->ParentAlbums(ids), com::S_OK);
  EXPECT_EQ(ids, std::vector<int32_t>{trips});
  EXPECT_EQ(GetAlbum(alps)->ChildItems(ids), com::S_OK);  // no enumerator when nothing is found
  EXPECT_TRUE(ids.empty());
  int32_t type = 0;
  EXPECT_EQ(GetAlbum(root_)->SpecialType(type), com::S_OK);
  EXPECT_EQ(type, kRootType);

  // The listing, sorted by name both ways; a type filter that keeps nothing.
  client::AlbumListing listing;
  ASSERT_EQ(album->Items({.typeFilter = "", .sortField = typelib::NAX_SORT_NAME, .descending = true}, listing), com::S_OK);
  EXPECT_EQ(listing.names, (std::vector<std::string>{"Coast", "Alps"}));
  EXPECT_EQ(listing.types, (std::vector<int32_t>{9, 9}));
  EXPECT_EQ(listing.readOnly.size(), 2u);
  ASSERT_EQ(album->Items({.typeFilter = "0", .sortField = typelib::NAX_SORT_NAME, .descending = false}, listing), com::S_OK);
  EXPECT_EQ(listing.size(), 0u);

  // A subscriber of the album hears what another client changes.
  auto sink = com::MakeObject<AlbumSink>();
  client::EventSink exported(*session_, sink);
  client::Subscription subscription(album->object(), exported);
  ASSERT_EQ(subscription.status(), com::S_OK);
  auto otherSession = client::Session::Connect(bus_->address());
  client::LibFactory otherFactory(otherSession);
  com::ComPtr<client::RemoteObject> otherLibrary, otherObject;
  ASSERT_EQ(otherFactory.Open(path_, &otherLibrary), com::S_OK);
  ASSERT_EQ(client::Library(otherSession, otherLibrary).GetAlbum(trips, otherObject), com::S_OK);
  client::Album other(otherSession, otherObject);
  EXPECT_EQ(other.SetName("Journeys"), com::S_OK);
  const int32_t spare = Create("Spare", root_);
  EXPECT_EQ(other.Add(spare), com::S_OK);
  EXPECT_EQ(other.Remove(spare), com::S_OK);  // Spare keeps its root parent: only unlinked
  const std::vector<std::string> expected = {"OnAlbumNameChanged " + std::to_string(trips) + " Journeys",
                                             "OnItemAdded " + std::to_string(trips) + " " + std::to_string(spare),
                                             "OnItemRemoved " + std::to_string(trips) + " " + std::to_string(spare)};
  EXPECT_EQ(sink->WaitFor(expected.size()), expected);
  EXPECT_EQ(otherFactory.Close(path_), com::S_OK);

  // Refusals come back as statuses: an album in itself, a stranger's item;
  // no client connects or disconnects an album the server shares.
  EXPECT_EQ(album->IsEligible(trips), com::S_FALSE);
  EXPECT_EQ(album->Remove(424242), com::E_FAIL);
  AlbumProxy raw(*session_, album->object()->path());
  const auto denied = static_cast<uint32_t>(com::E_ACCESSDENIED);
  EXPECT_EQ(raw.Connect(sdbus::ObjectPath("/"), trips, sdbus::ObjectPath("/"), sdbus::ObjectPath("/")), denied);
  EXPECT_EQ(raw.Disconnect(), denied);
  EXPECT_EQ(album->Name(name), com::S_OK);
  EXPECT_EQ(name, "Journeys");
}

// A listing larger than the configured reply limit is refused with a status
// before anything is sent; the server stays on the bus and serves the next
// call, the same client's included.
TEST_F(AlbumBusTest, AListingPastTheReplyLimitIsRefusedAndTheConnectionLives) {
  EXPECT_EQ(factory_->Close(path_), com::S_OK);
  library_.reset();
  registry::RegistryStore registry(registryPath_);
  ASSERT_EQ(registry.WriteDword(config::kAlbumKey, config::kMaxReplyBytesValue, 64 << 10), registry::RegStatus::Ok);
  server_->Signal(SIGTERM);
  server_->WaitExitCode();
  server_ = StartServer();
  ASSERT_TRUE(WaitForName(bus_->address(), kCatalogueServerName));
  com::ComPtr<client::RemoteObject> object;
  ASSERT_EQ(factory_->Open(path_, &object), com::S_OK);
  library_ = std::make_unique<client::Library>(session_, object);

  const int32_t big = Create("Big", root_);
  const std::string longName(200, 'n');
  for (int i = 0; i < 300; ++i) Create(longName + std::to_string(i), big);
  auto album = GetAlbum(big);
  ASSERT_TRUE(album);
  client::AlbumListing listing;
  EXPECT_EQ(album->Items(client::ListingRequest(), listing), com::E_MESSAGE_EXCEEDS_MAX_SIZE);
  EXPECT_EQ(listing.size(), 0u);
  EXPECT_TRUE(ServerSaid("over the reply limit of 65536 bytes"));
  int32_t count = 0;
  EXPECT_EQ(album->Count(count), com::S_OK);
  EXPECT_EQ(count, 300);
  ASSERT_EQ(album->Items({.typeFilter = "0", .sortField = typelib::NAX_SORT_NAME, .descending = false}, listing), com::S_OK);
  EXPECT_EQ(listing.size(), 0u);
}

}  // namespace
}  // namespace albumcore::testing
