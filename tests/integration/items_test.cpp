// Items, the item collection, its thumbnail generator and device items over
// a real bus: the client library's proxies for what a client does, the
// generated ones for what a hostile client might send.
#include <unistd.h>

#include <filesystem>

#include "../unit/components/file_system/test_images.h"
#include "IConnectionPointContainer_proxy.h"
#include "IKivDeviceItem_proxy.h"
#include "IKivItemCollection_proxy.h"
#include "IKivItem_proxy.h"
#include "IKivKeywords_proxy.h"
#include "IKivPhotoItem_proxy.h"
#include "IKivThumbnailGenerator_proxy.h"
#include "client/event_sink.h"
#include "client/items.h"
#include "client/thumbnail_sink.h"
#include "test_server_fixture.h"
#include "test_source_client.h"

namespace albumcore::testing {
namespace {

namespace glue = ::com::orvane::KIVALBUMCORELib;
using com::HRESULT;
using com::Variant;
using ItemProxy = Remote<glue::IKivItem_proxy>;
using PhotoProxy = Remote<glue::IKivPhotoItem_proxy>;
using CollectionProxy = Remote<glue::IKivItemCollection_proxy>;
using KeywordsProxy = Remote<glue::IKivKeywords_proxy>;
using GeneratorProxy = Remote<glue::IKivThumbnailGenerator_proxy>;
using DeviceItemProxy = Remote<glue::IKivDeviceItem_proxy>;

constexpr double kDay = 45000.5;
const sdbus::ObjectPath kNull("/");
const sdbus::ObjectPath kNowhere("/com/orvane/AlbumCore9/objects/999");

uint32_t Wire(HRESULT hr) { return static_cast<uint32_t>(hr); }

class ItemSink final : public typelib::AlbumCoreEventsSink, public EventLog {
 public:
  HRESULT OnItemCreated(int32_t id) override { return Add("OnItemCreated " + std::to_string(id)); }
  HRESULT OnItemNameChanged(int32_t id, const com::Bstr& name) override {
    return Add("OnItemNameChanged " + std::to_string(id) + " " + name.str());
  }
  HRESULT OnKeywordAdded(int32_t id, int32_t keyword) override {
    return Add("OnKeywordAdded " + std::to_string(id) + " " + std::to_string(keyword));
  }
};

class ItemsOverBus : public TestServerFixture {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("albumcore-items-bus-" + std::to_string(getpid()) + "-" +
                                                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    std::filesystem::copy_file(ALBUMCORE_TEMPLATE_DB, dir_ / "catalogue.db");
    serverEnv_["ALBUMCORE_TEST_CATALOGUE"] = (dir_ / "catalogue.db").string();
    TestServerFixture::SetUp();
    ASSERT_EQ(session_->CreateInstance("Test.ItemCollection", &collectionObject_), com::S_OK);
    collection_ = std::make_unique<client::ItemCollection>(session_, collectionObject_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // A real 120 x 80 JPEG, and its moniker.
  std::string Photo(const std::string& name) {
    const std::string path = (dir_ / name).string();
    EXPECT_TRUE(file_system::testing::WriteImage(path, {.width = 120, .height = 80}));
    return "file::" + path;
  }
  client::NewItem Describe(const std::string& moniker, const std::string& name = "") {
    client::NewItem item;
    item.moniker = moniker;
    item.name = name;
    item.dateCreated = item.dateModified = Variant::Date(kDay);
    return item;
  }
  dbus::WireVariant Out(const Variant& value) { return dbus::EncodeVariant(value, &session_->marshaller()); }
  Variant In(const dbus::WireVariant& wire) { return dbus::DecodeVariant(wire, &session_->marshaller()); }

  std::filesystem::path dir_;
  com::ComPtr<client::RemoteObject> collectionObject_;
  std::unique_ptr<client::ItemCollection> collection_;
};

TEST_F(ItemsOverBus, AClientCreatesAnItemChangesItAndHearsEveryChange) {
  auto sink = com::MakeObject<ItemSink>();
  client::EventSink exported(*session_, sink);
  client::Subscription subscription(collectionObject_, exported);
  ASSERT_EQ(subscription.status(), com::S_OK);

  const std::string moniker = Photo("beach.jpg");
  int32_t id = -1;
  ASSERT_EQ(collection_->CreateItem(Describe(moniker, "beach"), id), com::S_OK);
  int32_t again = -1;
  EXPECT_EQ(collection_->CreateItem(Describe(moniker, "beach"), again), com::S_FALSE);
  EXPECT_EQ(again, id);

  std::unique_ptr<client::Item> item;
  ASSERT_EQ(collection_->InstantiateItem(id, item), com::S_OK);
  ASSERT_NE(item, nullptr);
  std::string name;
  EXPECT_EQ(item->Name(name), com::S_OK);
  EXPECT_EQ(name, "beach");
  EXPECT_EQ(item->SetName("shore"), com::S_OK);
  EXPECT_EQ(item->SetRating(4), com::S_OK);
  int32_t rating = 0;
  EXPECT_EQ(item->Rating(rating), com::S_OK);
  EXPECT_EQ(rating, 4);

  // The photo interface of the same object: the file's picture size, then a put.
  int32_t width = 0, height = 0;
  EXPECT_EQ(item->PhotoSize(width, height), com::S_OK);
  EXPECT_EQ(width, 0);  // CreateItem does not read the file
  EXPECT_EQ(item->FillFromFile(), com::S_OK);
  EXPECT_EQ(item->PhotoSize(width, height), com::S_OK);
  EXPECT_EQ(std::make_pair(width, height), std::make_pair(120, 80));
  PhotoProxy photo(*session_, item->object());
  EXPECT_EQ(photo.put_PhotoWidth(64), com::S_OK);
  EXPECT_EQ(photo.get_PhotoWidth(), std::make_tuple(Wire(com::S_OK), 64));

  // The item's keywords are an object of their own; what they fire reaches
  // the collection's sinks through the item.
  com::ComPtr<client::RemoteObject> libraryKeywordsObject;
  ASSERT_EQ(session_->CreateInstance("Test.Keywords", &libraryKeywordsObject), com::S_OK);
  auto [created, keyword] = KeywordsProxy(*session_, libraryKeywordsObject).Create("Sea");
  ASSERT_EQ(created, com::S_OK);
  com::ComPtr<client::RemoteObject> keywordsObject;
  ASSERT_EQ(item->Keywords(keywordsObject), com::S_OK);
  ASSERT_NE(keywordsObject, nullptr);
  KeywordsProxy keywords(*session_, keywordsObject);
  EXPECT_EQ(keywords.Add(keyword), com::S_OK);
  EXPECT_EQ(keywords.Count(), std::make_tuple(Wire(com::S_OK), 1));

  const std::string ids = std::to_string(id);
  const std::vector<std::string> expected = {"OnItemCreated " + ids, "OnItemNameChanged " + ids + " shore",
                                             "OnKeywordAdded " + ids + " " + std::to_string(keyword)};
  EXPECT_EQ(sink->WaitFor(expected.size()), expected);

  // Instantiated again, the item is the same object, as changed.
  std::unique_ptr<client::Item> same;
  ASSERT_EQ(collection_->InstantiateItem(id, same), com::S_OK);
  EXPECT_EQ(same->object()->path(), item->object()->path());
  EXPECT_EQ(same->Name(name), com::S_OK);
  EXPECT_EQ(name, "shore");
}

TEST_F(ItemsOverBus, TheCollectionAnswersHostileCallsWithStatusesAndRecordsNothing) {
  CollectionProxy raw(*session_, collectionObject_);
  const std::string moniker = Photo("a.jpg");

  // No record, a negative ID.
  EXPECT_EQ(raw.InstantiateItem(4242), std::make_tuple(Wire(com::S_FALSE), kNull));
  EXPECT_EQ(raw.InstantiateItem(-1), std::make_tuple(Wire(com::E_INVALIDARG), kNull));

  // An object path the server never exported.
  EXPECT_EQ(raw.CreateItemEx(0, moniker, "", Out(Variant::Date(kDay)), Out(Variant::Date(kDay)), "", 0, 0, "",
                             kNowhere),
            std::make_tuple(Wire(com::E_INVALIDARG), -1));

  // Dates: not dates, and a date tag over text.
  EXPECT_EQ(raw.CreateItem(0, moniker, "", Out(Variant::Null()), Out(Variant::Date(kDay)), "", 0, 0, ""),
            std::make_tuple(Wire(com::E_INVALIDARG), -1));
  const dbus::WireVariant forged(static_cast<uint16_t>(com::VT_DATE), sdbus::Variant(std::string("yesterday")));
  EXPECT_EQ(raw.CreateItem(0, moniker, "", forged, forged, "", 0, 0, ""),
            std::make_tuple(Wire(com::DISP_E_TYPEMISMATCH), -1));

  int32_t found = 0;
  EXPECT_EQ(collection_->FindItemByMoniker(moniker, found), com::S_FALSE);
  EXPECT_EQ(found, -1);

  // Still connected and serving: empty texts where a client has nothing to say.
  int32_t id = -1;
  ASSERT_EQ(collection_->CreateItem(Describe(moniker), id), com::S_OK);
  EXPECT_EQ(collection_->FindItemByMoniker(moniker, found), com::S_OK);
  EXPECT_EQ(found, id);
  EXPECT_EQ(collection_->DestroyItem(id), com::S_OK);
  std::unique_ptr<client::Item> gone;
  EXPECT_EQ(collection_->InstantiateItem(id, gone), com::S_FALSE);
  EXPECT_EQ(gone, nullptr);
}

TEST_F(ItemsOverBus, ItemsAndTheGeneratorRefuseObjectsTheyCannotUse) {
  const std::string moniker = Photo("b.jpg");
  int32_t id = -1;
  ASSERT_EQ(collection_->CreateItem(Describe(moniker, "b"), id), com::S_OK);
  std::unique_ptr<client::Item> item;
  ASSERT_EQ(collection_->InstantiateItem(id, item), com::S_OK);

  ItemProxy raw(*session_, item->object());
  EXPECT_EQ(raw.Compare(kNowhere, 0, 0), std::make_tuple(Wire(com::E_INVALIDARG), 0));
  EXPECT_TRUE(com::Failed(static_cast<HRESULT>(raw.put_DateCreated(Out(Variant("not a date"))))));
  auto [readDate, date] = raw.get_DateCreated();
  EXPECT_EQ(readDate, com::S_OK);
  EXPECT_EQ(In(date), Variant::Date(kDay));
  PhotoProxy photo(*session_, item->object());
  EXPECT_EQ(photo.FillFromThumbnail(kNull), Wire(com::E_FAIL));
  EXPECT_EQ(photo.FillFromThumbnail(collectionObject_->path()), Wire(com::E_FAIL));  // no image

  // The generator has no engine here: loads answer E_NOTIMPL and no image.
  auto [got, generatorPath] = CollectionProxy(*session_, collectionObject_).GetThumbnailGenerator();
  ASSERT_EQ(got, com::S_OK);
  auto generatorObject = session_->Adopt(generatorPath);
  GeneratorProxy generator(*session_, generatorObject);
  EXPECT_EQ(generator.LoadThumbnail(id, moniker, 96, 96), std::make_tuple(Wire(com::E_NOTIMPL), kNull));
  EXPECT_EQ(generator.SaveThumbnail(id, kNowhere, 1), Wire(com::E_INVALIDARG));
  EXPECT_EQ(generator.IsPending(id), std::make_tuple(Wire(com::S_OK), 0));
  EXPECT_EQ(generator.GetItemCountInQueue(), std::make_tuple(Wire(com::S_OK), 0));
}

TEST_F(ItemsOverBus, AGeneratorsSinkHearsThumbnailReadyAndHoldsTheImageUntilItLetsGo) {
  com::ComPtr<client::RemoteObject> generatorObject;
  ASSERT_EQ(session_->CreateInstance("Test.ThumbnailGenerator", &generatorObject), com::S_OK);
  EventLog heard;
  std::mutex imagesMutex;
  std::vector<com::ComPtr<client::RemoteObject>> images;
  client::ThumbnailSink sink(*session_, [&](int32_t id, const std::string& moniker,
                                            com::ComPtr<client::RemoteObject> image) {
    const std::string what = image ? " image" : " no image";
    std::lock_guard lock(imagesMutex);
    images.push_back(std::move(image));
    heard.Add(std::to_string(id) + " " + moniker + what);
  });
  client::Subscription subscription(generatorObject, sink.path(), client::kThumbnailEventsPoint);
  ASSERT_EQ(subscription.status(), com::S_OK);

  TestSource counts(*session_, pinned_);
  const uint32_t before = counts.ExportedCount();
  GeneratorProxy generator(*session_, generatorObject);
  EXPECT_EQ(generator.LoadThumbnail(7, "file::/pictures/a.jpg", 96, 96), std::make_tuple(Wire(com::S_OK), kNull));
  EXPECT_EQ(generator.LoadThumbnail(8, "file::/pictures/b.jpg", 96, 96), std::make_tuple(Wire(com::S_OK), kNull));
  EXPECT_EQ(heard.WaitFor(2), (std::vector<std::string>{"7 file::/pictures/a.jpg image", "8 file::/pictures/b.jpg image"}));

  // Each image stays exported while the client holds it, and goes when it lets go.
  EXPECT_EQ(counts.ExportedCount(), before + 2);
  {
    std::lock_guard lock(imagesMutex);
    images.clear();
  }
  EXPECT_TRUE(Eventually([&] { return counts.ExportedCount(); }, before));
}

TEST_F(ItemsOverBus, ThumbnailImagesForAClientThatLeftAreNotKept) {
  com::ComPtr<client::RemoteObject> generatorObject;
  ASSERT_EQ(session_->CreateInstance("Test.ThumbnailGenerator", &generatorObject), com::S_OK);
  TestSource counts(*session_, pinned_);
  const uint32_t before = counts.ExportedCount();
  {
    // A second client subscribes, then leaves the bus without ending its
    // subscription, before its image comes.
    auto other = client::Session::Connect(bus_->address(), kTestServerName);
    com::ComPtr<client::RemoteObject> same;
    ASSERT_EQ(other->CreateInstance("Test.ThumbnailGenerator", &same), com::S_OK);
    client::ThumbnailSink sink(*other, [](int32_t, const std::string&, com::ComPtr<client::RemoteObject>) {});
    Remote<glue::IConnectionPointContainer_proxy> container(*other, same);
    auto [advised, cookie] = container.Advise(client::kThumbnailEventsPoint, sdbus::ObjectPath(sink.path()));
    ASSERT_EQ(advised, Wire(com::S_OK));
  }
  EventLog heard;
  client::ThumbnailSink sink(*session_, [&](int32_t id, const std::string&, com::ComPtr<client::RemoteObject>) {
    heard.Add(std::to_string(id));
  });
  client::Subscription subscription(generatorObject, sink.path(), client::kThumbnailEventsPoint);
  ASSERT_EQ(subscription.status(), com::S_OK);
  GeneratorProxy generator(*session_, generatorObject);
  EXPECT_EQ(generator.LoadThumbnail(9, "file::/pictures/c.jpg", 96, 96), std::make_tuple(Wire(com::S_OK), kNull));
  EXPECT_EQ(heard.WaitFor(1), std::vector<std::string>{"9"});
  EXPECT_TRUE(Eventually([&] { return counts.ExportedCount(); }, before));
}

TEST_F(ItemsOverBus, ADeviceItemReadsAndWritesItsRow) {
  com::ComPtr<client::RemoteObject> object;
  ASSERT_EQ(session_->CreateInstance("Test.DeviceItem", &object), com::S_OK);
  DeviceItemProxy device(*session_, object);
  EXPECT_EQ(device.get_ItemID(), std::make_tuple(Wire(com::S_OK), 9001));
  EXPECT_EQ(device.get_AlbumID(), std::make_tuple(Wire(com::S_OK), 9002));
  EXPECT_EQ(device.get_TranscodedPath(), std::make_tuple(Wire(com::S_OK), std::string("/media/player/song.m4a")));

  auto [never, noDate] = device.get_SyncDate();
  EXPECT_EQ(never, com::S_OK);
  EXPECT_EQ(In(noDate), Variant::Null());
  EXPECT_EQ(device.put_SyncDate(Out(Variant::Date(kDay))), com::S_OK);
  EXPECT_EQ(device.put_BackupPath(""), com::S_OK);
  EXPECT_EQ(device.get_BackupPath(), std::make_tuple(Wire(com::S_OK), std::string()));

  // A refused write and a path that names nothing leave the row as it was.
  EXPECT_NE(device.put_SyncDate(Out(Variant("not a date"))), com::S_OK);
  auto [read, date] = device.get_SyncDate();
  EXPECT_EQ(read, com::S_OK);
  EXPECT_EQ(In(date), Variant::Date(kDay));
}

}  // namespace
}  // namespace albumcore::testing
