// Device albums and their sub-albums over a real catalogue: the item types
// each sub-album takes, membership kept in DeviceItems and AlbumContents
// together, listings, the device side (IKivDeviceAlbum), names and icons,
// and destroying a device with what it holds.
#include <gtest/gtest.h>

#include "albums/listing/listing.h"
#include "albums_fixture.h"
#include "items/item/item_types.h"
#include "typelib/kiv_device_album.h"
#include "typelib/kiv_device_item.h"

namespace albumcore::items::testing {
namespace {

using typelib::IKivDeviceAlbum;
using typelib::IKivDeviceItem;
using namespace albums::listing;  // the sort fields and orders

constexpr int32_t kMusicType = 2, kPlaylistType = 22;

class DeviceAlbums : public Albums {
 protected:
  void SetUp() override {
    Albums::SetUp();
    device_ = NewAlbumOfType("Player", root_, albums::CAT_DEVICE);
  }
  int32_t NewAlbumOfType(const std::string& name, int32_t parent, int32_t type) {
    int32_t id = -1;
    EXPECT_EQ(collection_->CreateAlbumCustom(com::Bstr("skin::device.png"), com::Bstr(name), parent, type, &id),
              com::S_OK);
    return id;
  }
  int32_t NewSubAlbum(int32_t type) { return NewAlbumOfType("Sub " + N(type), device_, type); }
  com::ComPtr<IKivDeviceAlbum> DeviceSide(int32_t album) { return com::QueryInterface<IKivDeviceAlbum>(Album(album)); }
  bool Takes(IKivAlbum& album, int32_t type) {
    int32_t takes = -1;
    EXPECT_EQ(album.CanAddItem(type, &takes), com::S_OK);
    return takes == 1;
  }
  std::string Icon(IKivAlbum& album) {
    com::Bstr icon;
    EXPECT_EQ(album.get_IconPath(&icon), com::S_OK);
    return icon.str();
  }
  // DeviceItems and AlbumContents rows of the pair, as "device contents".
  std::string Rows(int32_t album, int32_t item) {
    const std::string pair = " WHERE AlbumID = " + N(album) + " AND ItemID = " + N(item);
    return Scalar("SELECT Count(*) FROM DeviceItems" + pair).substr(6) + " " +
           Scalar("SELECT Count(*) FROM AlbumContents" + pair).substr(6);
  }

  int32_t device_ = -1;
};

TEST_F(DeviceAlbums, EachSubAlbumTakesTheItemTypesOfItsAlbumType) {
  auto music = Album(NewSubAlbum(albums::CAT_DEVICE_MUSIC));
  EXPECT_TRUE(Takes(*music, kMusicType));
  EXPECT_TRUE(Takes(*music, kPlaylistType));
  EXPECT_FALSE(Takes(*music, kPhotoItemType));
  int32_t type = -1;
  music->get_Type(&type);
  EXPECT_EQ(type, albums::CAT_DEVICE_MUSIC);
  EXPECT_TRUE(Takes(*Album(NewSubAlbum(albums::CAT_DEVICE_SYNCH)), 1234));
  EXPECT_FALSE(Takes(*Album(device_), kPhotoItemType));  // the device itself takes nothing

  // AddByItemID asks the same rule and writes nothing when refused.
  const int32_t photo = NewItem("a.jpg");
  EXPECT_EQ(music->AddByItemID(photo), com::S_FALSE);
  EXPECT_EQ(Album(device_)->AddByItemID(photo), com::S_FALSE);
  EXPECT_EQ(Scalar("SELECT Count(*) FROM DeviceItems"), "VT_I4 0");

  // Asked for as a sub-album, a plain album keeps its stored type: it takes
  // nothing and shows the device icon.
  const int32_t plain = NewAlbum("Plain", root_);
  com::ComPtr<com::IUnknown> object;
  ASSERT_EQ(collection_->InstantiateAlbumCustom(plain, albums::CAT_DEVICE_MUSIC, &object), com::S_OK);
  auto forced = com::QueryInterface<IKivAlbum>(object);
  forced->get_Type(&type);
  EXPECT_EQ(type, albums::CAT_NORMAL);
  EXPECT_FALSE(Takes(*forced, kMusicType));
  EXPECT_EQ(Icon(*forced), "root:DeviceSync.ico");
}

TEST_F(DeviceAlbums, MembershipIsADeviceRowAndAnAlbumContentsRowTogether) {
  const int32_t sub = NewSubAlbum(albums::CAT_DEVICE_MUSIC);
  const int32_t song = NewItem("song.mp3", kMusicType);
  auto music = Album(sub);
  events_->Take();
  ASSERT_EQ(music->AddByItemID(song), com::S_OK);
  EXPECT_EQ(Rows(sub, song), "1 1");
  EXPECT_EQ(Count(*music), 1);
  EXPECT_EQ(music->AddByItemID(song), com::S_OK);  // already a member: no second row
  EXPECT_EQ(Rows(sub, song), "1 1");

  // A new item added through the album gets its row too.
  int32_t added = -1;
  const com::Variant date = com::Variant::Date(45000.0);
  ASSERT_EQ(music->Add(kMusicType, com::Bstr("file::/p/other.mp3"), com::Bstr(""), date, date, com::Bstr("other"), 0,
                       0, com::Bstr(""), &added),
            com::S_OK);
  EXPECT_EQ(Rows(sub, added), "1 1");

  ASSERT_EQ(music->Remove(song), com::S_OK);
  EXPECT_EQ(Rows(sub, song), "0 0");
  EXPECT_EQ(music->IsInAlbum(song), com::S_FALSE);
  EXPECT_EQ(Scalar("SELECT Count(*) FROM AlbumItems WHERE ItemID = " + N(song)), "VT_I4 1");  // unlinked only
  EXPECT_EQ(events_->Take(), (Strings{"OnItemAdded(" + N(sub) + ", " + N(song) + ")", "OnItemCreated(" + N(added) + ")",
                                      "OnItemAdded(" + N(sub) + ", " + N(added) + ")",
                                      "OnItemRemoved(" + N(sub) + ", " + N(song) + ")"}));
}

TEST_F(DeviceAlbums, TheDeviceListingHidesHiddenItemsWhileItsSubAlbumsShowThem) {
  const int32_t sub = NewSubAlbum(albums::CAT_DEVICE_SYNCH);
  const int32_t shown = NewItem("shown.jpg"), hidden = NewItem("hidden.jpg");
  db_->Execute("UPDATE AlbumItems SET Hidden = Yes WHERE ItemID = " + N(hidden));
  auto synch = Album(sub);
  auto device = Album(device_);
  for (int32_t id : {shown, hidden}) {
    ASSERT_EQ(synch->AddByItemID(id), com::S_OK);
    ASSERT_EQ(device->AddByItemIDFast(id), com::S_OK);  // no client rule checked on this path
  }
  auto listed = [](IKivAlbum& album) {
    typelib::ItemListingArrays arrays;
    EXPECT_EQ(album.GetAlbumItems3(com::Bstr(""), NAX_SORT_NAME, NAX_SORT_ASCENDING, &arrays, nullptr), com::S_OK);
    return arrays.id.vt() == com::VT_EMPTY ? std::vector<int32_t>{} : arrays.id.array().elements<int32_t>();
  };
  EXPECT_EQ(listed(*synch), (std::vector<int32_t>{hidden, shown}));
  EXPECT_EQ(listed(*device), (std::vector<int32_t>{shown, sub}));  // "Sub 7" sorts after "shown"
  EXPECT_EQ(Count(*device), 3);
  // Filtered by type: the sub-album's own rows.
  typelib::ItemListingArrays albumsOnly;
  ASSERT_EQ(device->GetAlbumItems3(com::Bstr("9"), NAX_SORT_NONE, NAX_SORT_ASCENDING, &albumsOnly, nullptr),
            com::S_OK);
  EXPECT_EQ(albumsOnly.id.array().elements<int32_t>(), std::vector<int32_t>{sub});
}

TEST_F(DeviceAlbums, TheDeviceSideReadsTheRowsOfItsAlbum) {
  const int32_t sub = NewSubAlbum(albums::CAT_DEVICE_MUSIC);
  const int32_t first = NewItem("first.mp3", kMusicType), second = NewItem("second.mp3", kMusicType);
  auto side = DeviceSide(sub);
  ASSERT_TRUE(side);
  EXPECT_FALSE(DeviceSide(device_));  // only sub-albums answer it
  EXPECT_FALSE(DeviceSide(root_));

  com::Variant rows, items, transcoded, backups, dates;
  ASSERT_EQ(side->GetAllItemsData(&rows, &items, &transcoded, &backups, &dates), com::S_OK);
  for (const com::Variant* v : {&rows, &items, &transcoded, &backups, &dates}) EXPECT_EQ(v->vt(), com::VT_EMPTY);

  ASSERT_EQ(Album(sub)->AddByItemID(first), com::S_OK);
  ASSERT_EQ(Album(sub)->AddByItemID(second), com::S_OK);
  com::ComPtr<com::IUnknown> object;
  ASSERT_EQ(side->get_DeviceItemByItemID(second, &object), com::S_OK);
  auto placed = com::QueryInterface<IKivDeviceItem>(object);
  ASSERT_TRUE(placed);
  int32_t rowId = -1, itemId = -1, albumId = -1;
  placed->get_ID(&rowId);
  placed->get_ItemID(&itemId);
  placed->get_AlbumID(&albumId);
  EXPECT_EQ(itemId, second);
  EXPECT_EQ(albumId, sub);
  ASSERT_EQ(placed->put_TranscodedPath(com::Bstr("/media/player/second.m4a")), com::S_OK);
  ASSERT_EQ(placed->put_SyncDate(com::Variant::Date(45413.5)), com::S_OK);

  ASSERT_EQ(side->GetAllItemsData(&rows, &items, &transcoded, &backups, &dates), com::S_OK);
  ASSERT_EQ(rows.vt(), com::VT_ARRAY | com::VT_I4);
  const auto& rowIds = rows.array().elements<int32_t>();
  ASSERT_EQ(rowIds.size(), 2u);
  EXPECT_EQ(rowIds[1], rowId);
  EXPECT_EQ(items.array().elements<int32_t>(), (std::vector<int32_t>{first, second}));
  EXPECT_EQ(transcoded.array().elements<com::Bstr>(),
            (std::vector<com::Bstr>{com::Bstr(""), com::Bstr("/media/player/second.m4a")}));
  EXPECT_EQ(backups.array().elements<com::Bstr>(), (std::vector<com::Bstr>{com::Bstr(""), com::Bstr("")}));
  ASSERT_EQ(dates.vt(), com::VT_ARRAY | com::VT_VARIANT);
  EXPECT_EQ(dates.array().elements<com::Variant>(),
            (std::vector<com::Variant>{com::Variant::Null(), com::Variant::Date(45413.5)}));

  // By row ID: any row; one that does not exist is the engine's status.
  ASSERT_EQ(side->get_DeviceItem(rowIds[0], &object), com::S_OK);
  com::QueryInterface<IKivDeviceItem>(object)->get_ItemID(&itemId);
  EXPECT_EQ(itemId, first);
  EXPECT_EQ(side->get_DeviceItem(424242, &object), com::JetError(3021));
  EXPECT_FALSE(object);
  // By item: only an item this album holds.
  EXPECT_EQ(side->get_DeviceItemByItemID(NewItem("stranger.mp3", kMusicType), &object), com::E_FAIL);
  EXPECT_EQ(side->GetAllItemsData(nullptr, &items, &transcoded, &backups, &dates), com::E_POINTER);

  collection_->Disconnect();
  EXPECT_EQ(side->GetAllItemsData(&rows, &items, &transcoded, &backups, &dates), com::E_FAIL);
  EXPECT_EQ(side->get_DeviceItemByItemID(first, &object), com::E_FAIL);
}

TEST_F(DeviceAlbums, ADeviceTakesANewNameButNothingElseIsPutOnThem) {
  const int32_t sub = NewSubAlbum(albums::CAT_DEVICE_VIDEOS);
  auto device = Album(device_);
  events_->Take();
  EXPECT_EQ(device->put_Name(com::Bstr("Phone")), com::S_OK);
  EXPECT_EQ(events_->Take(), (Strings{"OnItemNameChanged(" + N(device_) + ", \"Phone\")",
                                      "OnAlbumNameChanged(" + N(device_) + ", \"Phone\")"}));
  com::Bstr name;
  device->get_Name(&name);
  EXPECT_EQ(name, "Phone");
  EXPECT_EQ(device->put_CoverMoniker(com::Bstr("skin::x.png")), com::CO_E_NOT_SUPPORTED);
  EXPECT_EQ(device->put_AlbumMoniker(com::Bstr("album::x")), com::CO_E_NOT_SUPPORTED);
  for (auto album : {device, Album(sub)}) {
    int32_t rename = -1;
    album->CanRename(&rename);
    EXPECT_EQ(rename, 0);
  }
  auto videos = Album(sub);
  EXPECT_EQ(videos->put_Name(com::Bstr("x")), com::CO_E_NOT_SUPPORTED);
  EXPECT_EQ(videos->put_CoverMoniker(com::Bstr("x")), com::CO_E_NOT_SUPPORTED);
  EXPECT_EQ(videos->put_AlbumMoniker(com::Bstr("x")), com::CO_E_NOT_SUPPORTED);
  videos->get_Name(&name);
  EXPECT_EQ(name, "Sub 4");  // from the album item, as any album
  EXPECT_EQ(events_->Take(), Strings{});
}

TEST_F(DeviceAlbums, ASubAlbumShowsTheIconOfItsTypeAndADeviceItsStoredOne) {
  EXPECT_EQ(Icon(*Album(device_)), "root:Archive.ico");
  auto videos = Album(NewSubAlbum(albums::CAT_DEVICE_VIDEOS));
  EXPECT_EQ(Icon(*videos), "root:VideoSync.ico");
  ASSERT_EQ(videos->put_AlbumIcon(com::Bstr("file::/icons/custom.ico")), com::S_OK);
  EXPECT_EQ(Icon(*videos), "root:VideoSync.ico");  // whatever icon is stored
  // A device shows the icon stored with it, read when it connects.
  const int32_t other = NewAlbumOfType("Camera", root_, albums::CAT_DEVICE);
  db_->Execute("UPDATE Albums SET AlbumIcon = \"file::/icons/camera.ico\" WHERE AlbumID = " + N(other));
  EXPECT_EQ(Icon(*Album(other)), "file::/icons/camera.ico");
}

TEST_F(DeviceAlbums, DestroyingADeviceEmptiesItsSubAlbumsAndKeepsTheItems) {
  const int32_t sub = NewSubAlbum(albums::CAT_DEVICE_MUSIC);
  const int32_t song = NewItem("song.mp3", kMusicType);
  ASSERT_EQ(Album(sub)->AddByItemID(song), com::S_OK);
  events_->Take();
  ASSERT_EQ(collection_->DestroyAlbum(device_), com::S_OK);
  EXPECT_EQ(Scalar("SELECT Count(*) FROM AlbumItems WHERE ItemID IN (" + N(device_) + "," + N(sub) + ")"), "VT_I4 0");
  EXPECT_EQ(Scalar("SELECT Count(*) FROM DeviceItems"), "VT_I4 0");
  EXPECT_EQ(Scalar("SELECT Count(*) FROM AlbumContents WHERE ItemID = " + N(song)), "VT_I4 0");
  EXPECT_EQ(Scalar("SELECT Count(*) FROM AlbumItems WHERE ItemID = " + N(song)), "VT_I4 1");
  const Strings heard = events_->Take();
  EXPECT_NE(std::find(heard.begin(), heard.end(), "OnItemRemoved(" + N(sub) + ", " + N(song) + ")"), heard.end());
  EXPECT_NE(std::find(heard.begin(), heard.end(), "OnAlbumDestroyed(" + N(sub) + ")"), heard.end());
}

}  // namespace
}  // namespace albumcore::items::testing
