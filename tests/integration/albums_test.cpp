// Albums over a real bus: the real server, clients in this process and
// albumctl runs.
#include <filesystem>

#include "../unit/components/file_system/test_images.h"

#include "IKivAlbum_proxy.h"
#include "IKivDeviceAlbum_proxy.h"
#include "IKivDeviceItem_proxy.h"
#include "IKivLibrary_proxy.h"
#include "catalogue_server_fixture.h"
#include "client/albums.h"
#include "client/event_sink.h"
#include "client/items.h"
#include "client/library.h"
#include "dbus/variant_codec.h"
#include "registry/registry_store.h"
#include "server/config/config_keys.h"
#include "typelib/kiv_album.h"
#include "typelib/kiv_album_core_events.h"

namespace albumcore::testing {
namespace {

namespace fs = std::filesystem;
using com::HRESULT;
using AlbumProxy = ServerProxy<::com::orvane::KIVALBUMCORELib::IKivAlbum_proxy>;
using DeviceAlbumProxy = ServerProxy<::com::orvane::KIVALBUMCORELib::IKivDeviceAlbum_proxy>;
using DeviceItemProxy = ServerProxy<::com::orvane::KIVALBUMCORELib::IKivDeviceItem_proxy>;
using LibraryProxy = ServerProxy<::com::orvane::KIVALBUMCORELib::IKivLibrary_proxy>;


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
    ASSERT_EQ(library_->SpecialAlbumId(typelib::SAT_ROOT, root_), com::S_OK);
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
  EXPECT_EQ(type, typelib::SAT_ROOT);

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

// The virtual and special albums over the bus: found by their IDs, their
// counts kept in step by the server as another client creates, their names
// not for clients to change, the bin refusing albums.
TEST_F(AlbumBusTest, SpecialAlbumsKeepTheirRulesAcrossTheBus) {
  auto shoebox = GetAlbum(typelib::kShoeboxAlbumId);
  auto allAlbums = GetAlbum(typelib::kAllAlbumsAlbumId);
  ASSERT_TRUE(shoebox && allAlbums);
  std::string name;
  EXPECT_EQ(shoebox->Name(name), com::S_OK);
  EXPECT_EQ(name, "Shoebox");
  bool may = true;
  EXPECT_EQ(shoebox->CanRename(may), com::S_OK);
  EXPECT_FALSE(may);
  EXPECT_EQ(shoebox->SetName("Mine"), com::CO_E_NOT_SUPPORTED);
  int32_t items = -1, albums = -1;
  ASSERT_EQ(shoebox->Count(items), com::S_OK);
  ASSERT_EQ(allAlbums->Count(albums), com::S_OK);
  EXPECT_EQ(albums, 0);  // the special albums are not the client's

  const int32_t trips = Create("Trips", root_);
  int32_t now = -1;
  EXPECT_EQ(shoebox->Count(now), com::S_OK);
  EXPECT_EQ(now, items + 1);
  EXPECT_EQ(allAlbums->Count(now), com::S_OK);
  EXPECT_EQ(now, 1);
  EXPECT_EQ(allAlbums->IsInAlbum(trips), com::S_OK);

  int32_t bin = -1;
  ASSERT_EQ(library_->SpecialAlbumId(typelib::SAT_BIN, bin), com::S_OK);
  EXPECT_EQ(GetAlbum(bin)->Add(trips), com::S_FALSE);  // the bin takes no albums
  EXPECT_EQ(GetAlbum(bin)->SetName("Trash"), com::CO_E_NOT_SUPPORTED);
  // Removing from the all-albums album destroys the album.
  EXPECT_EQ(allAlbums->Remove(trips), com::S_OK);
  EXPECT_EQ(allAlbums->Count(now), com::S_OK);
  EXPECT_EQ(now, 0);
  EXPECT_EQ(shoebox->IsInAlbum(trips), com::S_FALSE);
}

// A device sub-album reached through the library answers its device side on
// the same path as its album side; a device album, which has no device
// rows, does not offer it. albumctl shows the devices below their album.
TEST_F(AlbumBusTest, ADeviceSubAlbumAnswersItsDeviceSideOverTheBus) {
  constexpr int32_t kMusicItemType = 2;
  LibraryProxy library(*session_, library_->object()->path());
  int32_t devices = -1;
  ASSERT_EQ(library_->SpecialAlbumId(typelib::SAT_DEVICES, devices), com::S_OK);
  const auto [madeDevice, device] = library.CreateAlbumCustom("skin::player.png", "Player", devices, typelib::CAT_DEVICE);
  ASSERT_EQ(madeDevice, com::S_OK);
  const auto [madeMusic, music] = library.CreateAlbumCustom("skin::music.png", "Music", device, typelib::CAT_DEVICE_MUSIC);
  ASSERT_EQ(madeMusic, com::S_OK);
  com::ComPtr<client::RemoteObject> collectionObject;
  ASSERT_EQ(library_->ItemCollection(collectionObject), com::S_OK);
  client::ItemCollection collection(session_, collectionObject);
  client::NewItem newSong;
  newSong.type = kMusicItemType;
  newSong.moniker = "file::/music/song.mp3";
  newSong.name = "song";
  newSong.dateCreated = newSong.dateModified = com::Variant::Date(45000.0);
  int32_t song = -1;
  ASSERT_EQ(collection.CreateItem(newSong, song), com::S_OK);
  auto album = GetAlbum(music);
  ASSERT_TRUE(album);
  ASSERT_EQ(album->Add(song), com::S_OK);

  DeviceAlbumProxy side(*session_, album->object()->path());
  const auto [status, rows, items, transcoded, backups, dates] = side.GetAllItemsData();
  ASSERT_EQ(status, com::S_OK);
  const com::Variant rowIds = dbus::DecodeVariant(rows, nullptr);
  ASSERT_EQ(rowIds.vt(), com::VT_ARRAY | com::VT_I4);
  ASSERT_EQ(rowIds.array().size(), 1u);
  EXPECT_EQ(dbus::DecodeVariant(items, nullptr).array().elements<int32_t>(), std::vector<int32_t>{song});
  EXPECT_TRUE(dbus::DecodeVariant(dates, nullptr).array().get(0).isNull());

  // The row's device item travels as an object of its own.
  const auto [found, itemPath] = side.get_DeviceItemByItemID(song);
  ASSERT_EQ(found, com::S_OK);
  auto held = session_->Adopt(itemPath);
  EXPECT_EQ(DeviceItemProxy(*session_, itemPath).get_AlbumID(), std::make_tuple(0u, music));

  auto deviceAlbum = GetAlbum(device);
  ASSERT_TRUE(deviceAlbum);
  DeviceAlbumProxy notOffered(*session_, deviceAlbum->object()->path());
  EXPECT_THROW(notOffered.GetAllItemsData(), sdbus::Error);

  ExpectAlbumctl({"album", "tree", "--library", path_}, 0,
                 "Devices  #" + std::to_string(devices) + "  1 member\n└─ Player  #" + std::to_string(device) +
                     "  1 member\n   └─ Music  #" + std::to_string(music) + "  1 member",
                 Env());
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
  ExpectAlbumctl({"album", "items", "Big", "--library", path_}, 4,
                 "\"Big\" (" + std::to_string(big) + ") holds too many items to list in one reply");
  ASSERT_EQ(album->Items({.typeFilter = "0", .sortField = typelib::NAX_SORT_NAME, .descending = false}, listing), com::S_OK);
  EXPECT_EQ(listing.size(), 0u);
}

// Lines albumctl printed until one holds `words`.
bool Printed(ChildProcess& child, const std::string& words) {
  for (std::string line = child.ReadLine(10000); !line.empty(); line = child.ReadLine(10000)) {
    if (line.find(words) != std::string::npos) return true;
  }
  return false;
}

// The number after `before` in albumctl's output.
std::string NumberAfter(const std::string& out, const std::string& before) {
  const size_t at = out.find(before);
  if (at == std::string::npos) return "";
  const size_t start = at + before.size();
  return out.substr(start, out.find_first_not_of("0123456789", start) - start);
}

TEST_F(AlbumBusTest, AlbumctlShowsAndChangesAlbumsAndAWatchHearsIt) {
  const std::string photos = bus_->directory() + "/photos";
  fs::create_directories(photos);
  ASSERT_TRUE(file_system::testing::WriteImage(photos + "/beach.jpg", {.width = 120, .height = 80}));
  ASSERT_TRUE(file_system::testing::WriteImage(photos + "/alps.png", {.width = 64, .height = 48}));
  auto env = Env();
  env["ALBUMCTL_LIBRARY"] = path_;
  auto run = [&](std::vector<std::string> args) { return Albumctl(std::move(args), env); };
  auto expect = [&](std::vector<std::string> args, int code, const std::string& says) {
    ExpectAlbumctl(std::move(args), code, says, env);
  };
  ASSERT_EQ(run({"item", "import", photos}).first, 0);
  com::Variant ids;
  ASSERT_EQ(library_->EnumerateFieldValues("SELECT ItemID FROM AlbumItems WHERE ItemType = 0 ORDER BY Name", ids),
            com::S_OK);
  const std::string alpsPhoto = ids.array().get(0).ToString(), beachPhoto = ids.array().get(1).ToString();

  auto watch = std::make_unique<ChildProcess>(
      std::vector<std::string>{ALBUMCORE_ALBUMCTL, "watch", "--library", path_}, Env(), true);
  ASSERT_TRUE(Printed(*watch, "watching"));

  // Albums made under the root and under a parent named by name; a second
  // "Alps" makes the bare name ambiguous, while paths and IDs still name one.
  auto [madeTrips, trips] = run({"album", "create", "Trips"});
  ASSERT_EQ(madeTrips, 0) << trips;
  const std::string tripsId = NumberAfter(trips, "created album ");
  auto [madeAlps, alps] = run({"album", "create", "Alps", "--parent", "Trips"});
  ASSERT_EQ(madeAlps, 0) << alps;
  const std::string alpsId = NumberAfter(alps, "created album ");
  EXPECT_NE(alps.find("in \"Trips\" (" + tripsId + ")"), std::string::npos) << alps;
  auto [madeOther, other] = run({"album", "create", "Alps"});
  ASSERT_EQ(madeOther, 0) << other;
  const std::string otherAlpsId = NumberAfter(other, "created album ");
  expect({"album", "items", "Alps"}, 3, "names 2 albums (IDs ");
  // An album never goes below itself, and a special album stays where the
  // library keeps it (taken out again it would be destroyed).
  expect({"album", "add", "Trips/Alps", tripsId}, 1, "it would hold itself");
  expect({"album", "add", "Trips/Alps", std::to_string(root_)}, 1, "it is a special album");

  // Items in, listed in the order asked for, filtered by type; the watch
  // hears each addition.
  expect({"album", "add", "Trips/Alps", beachPhoto, alpsPhoto, "99999"}, 0, "added 2, refused 1, failed 0");
  expect({"album", "add", "Trips/Alps", beachPhoto}, 1, "is already in \"Trips/Alps\"");
  EXPECT_TRUE(Printed(*watch, "OnItemAdded " + alpsId));
  auto [listed, list] = run({"album", "items", alpsId, "--sort", "name", "--desc"});
  ASSERT_EQ(listed, 0) << list;
  EXPECT_LT(list.find("beach.jpg"), list.find("alps.png")) << list;
  EXPECT_NE(list.find(photos + "/beach.jpg"), std::string::npos) << list;
  expect({"album", "items", "Trips/Alps", "--type", "video,audio"}, 0, "no items in \"Trips/Alps\"");
  expect({"album", "items", "Trips", "--type", "album"}, 0, "Alps");

  // Rename and move; the tree shows the result with IDs and counts.
  expect({"album", "rename", "Trips", "Journeys"}, 0, "renamed \"Trips\" (" + tripsId + ") to \"Journeys\"");
  EXPECT_TRUE(Printed(*watch, "OnAlbumNameChanged " + tripsId + " \"Journeys\""));
  expect({"album", "move", "Journeys/Alps", "--to", otherAlpsId}, 0,
         "moved \"Journeys/Alps\" (" + alpsId + ") into \"Alps\" (" + otherAlpsId + ")");
  expect({"album", "move", "Journeys", "--to", "Journeys"}, 1, "it would hold itself");
  expect({"album", "move", "Journeys", "--to", std::to_string(root_)}, 1, "is already in \"Albums\"");
  auto [shown, tree] = run({"album", "tree"});
  ASSERT_EQ(shown, 0) << tree;
  EXPECT_NE(tree.find("Journeys  #" + tripsId + "  0 members"), std::string::npos) << tree;
  EXPECT_NE(tree.find("└─ Alps  #" + alpsId + "  2 members"), std::string::npos) << tree;
  EXPECT_NE(tree.find("Bin  #"), std::string::npos) << tree;
  EXPECT_NE(tree.find("Shoebox  #-1"), std::string::npos) << tree;
  EXPECT_NE(tree.find("All Media  #-3  2 members"), std::string::npos) << tree;

  // Out again, and into the bin, which empties for good.
  expect({"album", "remove", "Alps/Alps", alpsPhoto}, 0, "removed 1, refused 0, failed 0");
  expect({"album", "remove", alpsId, alpsPhoto}, 1, "item " + alpsPhoto + " is not in");
  expect({"album", "add", "Bin", alpsPhoto}, 0, "added 1");
  expect({"album", "empty-bin"}, 0, "destroyed 1 item from the bin");
  expect({"item", "show", alpsPhoto}, 1, "no item " + alpsPhoto);
  // An album taken out of its only parent goes, and albumctl says so.
  expect({"album", "remove", otherAlpsId, alpsId}, 0, "destroyed album \"Alps/Alps\" (" + alpsId + ")");
  expect({"album", "items", alpsId}, 1, "no album " + alpsId);
  // What leaves the library's collections leaves the library.
  expect({"album", "remove", "All Media", beachPhoto}, 0, "destroyed 1, refused 0, failed 0");
  expect({"item", "show", beachPhoto}, 1, "no item " + beachPhoto);

  // Wrong input: unknown albums, names that cannot be, a special album's
  // name, a sort that does not exist, no library.
  expect({"album", "items", "Nowhere"}, 1, "no album named \"Nowhere\"");
  expect({"album", "items", "99999"}, 1, "no album 99999");
  expect({"album", "create", "a/b"}, 3, "cannot hold \"/\"");
  expect({"album", "rename", "Journeys", "  "}, 3, "an album needs a name");
  expect({"album", "rename", "Bin", "Trash"}, 1, "keeps its name");
  expect({"album", "items", "Journeys", "--sort", "colour"}, 3, "colour");
  expect({"album", "items", "Journeys", "--type", "sculpture"}, 3, "no item type \"sculpture\"");
  ExpectAlbumctl({"album", "tree", "--library", bus_->directory() + "/none.db"}, 5, "library not found");
  watch->Signal(SIGTERM);
  EXPECT_EQ(watch->WaitExitCode(), 0);
}

}  // namespace
}  // namespace albumcore::testing
