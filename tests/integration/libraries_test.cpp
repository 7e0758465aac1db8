// Libraries over a real bus: the real server, clients in this process and
// albumctl runs.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "../unit/components/file_system/test_images.h"
#include "IKiGenericTypeDescriptor_proxy.h"
#include "IKiTypePropertiesDescriptor_proxy.h"
#include "IKivKeywords_proxy.h"
#include "IKivLibrary_proxy.h"
#include "catalogue_server_fixture.h"
#include "client/event_sink.h"
#include "client/library.h"
#include "typelib/ki_type_descriptors.h"
#include "typelib/kiv_album_core_events.h"

namespace albumcore::testing {
namespace {

namespace fs = std::filesystem;
using com::HRESULT;

using KeywordsProxy = ServerProxy<::com::orvane::KIVALBUMCORELib::IKivKeywords_proxy>;
using LibraryProxy = ServerProxy<::com::orvane::KIVALBUMCORELib::IKivLibrary_proxy>;
using PropertiesProxy = ServerProxy<::com::orvane::KIVALBUMCORELib::IKiTypePropertiesDescriptor_proxy>;
using MediaTypesProxy = ServerProxy<::com::orvane::KIVALBUMCORELib::IKiGenericTypeDescriptor_proxy>;

class KeywordSink final : public typelib::AlbumCoreEventsSink, public HeardLines {
 public:
  HRESULT OnKeywordCreated(int32_t id) override { return Add("OnKeywordCreated " + std::to_string(id)); }
};

class LibraryBusTest : public CatalogueServerFixture {
 protected:
  LibraryBusTest() { registered_ = true; }
  void SetUp() override {
    CatalogueServerFixture::SetUp();
    dir_ = bus_->directory() + "/libraries";
    fs::create_directories(dir_);
  }

  // Opens `path` through the fixture's factory; null when refused.
  std::unique_ptr<client::Library> Open(const std::string& path, HRESULT expected = com::S_OK) {
    com::ComPtr<client::RemoteObject> object;
    EXPECT_EQ(factory_->Open(path, &object), expected) << path;
    if (!object) return nullptr;
    return std::make_unique<client::Library>(session_, object);
  }
  // Lines albumctl printed until one holds `words`.
  static bool Printed(ChildProcess& child, const std::string& words) {
    for (std::string line = child.ReadLine(10000); !line.empty(); line = child.ReadLine(10000)) {
      if (line.find(words) != std::string::npos) return true;
    }
    return false;
  }

  std::string dir_;
};

TEST_F(LibraryBusTest, TwoClientsShareOneLibraryAndHearItsKeywords) {
  const std::string path = dir_ + "/pictures.db";
  auto first = Open(path);
  ASSERT_TRUE(first);
  ASSERT_TRUE(fs::exists(path));  // made from the template

  // A second client gets the same object, and with it the same session.
  auto otherSession = client::Session::Connect(bus_->address());
  client::LibFactory otherFactory(otherSession);
  com::ComPtr<client::RemoteObject> otherObject;
  ASSERT_EQ(otherFactory.Open(path, &otherObject), com::S_OK);
  EXPECT_EQ(otherObject->path(), first->object()->path());
  client::Library second(otherSession, otherObject);

  int32_t count = -1;
  uint64_t bytes = 1;
  EXPECT_EQ(second.TotalInfo("", count, bytes), com::S_OK);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(bytes, 0u);
  bool exist = true;
  EXPECT_EQ(second.FilesOfTypeExist(0, exist), com::S_OK);
  EXPECT_FALSE(exist);

  // The second client listens to the library; the first creates a keyword
  // in the library's own collection, which both reach by path.
  auto sink = com::MakeObject<KeywordSink>();
  client::EventSink exported(*otherSession, sink);
  client::Subscription subscription(second.object(), exported);
  ASSERT_EQ(subscription.status(), com::S_OK);
  com::ComPtr<client::RemoteObject> keywords, othersKeywords;
  ASSERT_EQ(first->Keywords(keywords), com::S_OK);
  ASSERT_EQ(second.Keywords(othersKeywords), com::S_OK);
  EXPECT_EQ(keywords->path(), othersKeywords->path());
  KeywordsProxy proxy(*session_, keywords->path());
  auto [created, id] = proxy.Create("Beach");
  ASSERT_EQ(created, com::S_OK);
  EXPECT_EQ(sink->WaitFor(1), std::vector<std::string>{"OnKeywordCreated " + std::to_string(id)});

  // The probe reaches the listening client and comes back.
  EXPECT_EQ(first->IsAlive(), com::S_OK);
  EXPECT_EQ(factory_->Close(path), com::S_OK);
  EXPECT_EQ(otherFactory.Close(path), com::S_OK);
}

TEST_F(LibraryBusTest, IsAliveFollowsTheClientsThatWatch) {
  const std::string path = dir_ + "/watched.db";
  auto library = Open(path);
  ASSERT_TRUE(library);
  com::ComPtr<client::RemoteObject> keywords;
  ASSERT_EQ(library->Keywords(keywords), com::S_OK);
  KeywordsProxy proxy(*session_, keywords->path());
  auto startWatch = [&] {
    auto watch = std::make_unique<ChildProcess>(
        std::vector<std::string>{ALBUMCORE_ALBUMCTL, "watch", "--library", path}, Env(), true);
    EXPECT_TRUE(Printed(*watch, "watching " + path));
    return watch;
  };

  // A watch prints what the library relays, and ends cleanly when asked:
  // its subscription goes with it.
  auto watch = startWatch();
  auto [created, id] = proxy.Create("Alps");
  ASSERT_EQ(created, com::S_OK);
  EXPECT_TRUE(Printed(*watch, "OnKeywordCreated " + std::to_string(id)));
  EXPECT_EQ(library->IsAlive(), com::S_OK);
  watch->Signal(SIGTERM);
  EXPECT_EQ(watch->WaitExitCode(), 0);
  EXPECT_EQ(library->IsAlive(), com::S_OK);  // nobody listens: nobody to miss

  // A watch that is killed leaves a sink that no longer answers.
  watch = startWatch();
  EXPECT_EQ(library->IsAlive(), com::S_OK);
  watch->Signal(SIGKILL);
  watch->Wait();
  EXPECT_TRUE(WaitUntil([&] { return library->IsAlive() == com::E_FAIL; }));
}

TEST_F(LibraryBusTest, HostilePathsAndArgumentsGetStatusesAndTheServerGoesOn) {
  EXPECT_FALSE(Open(dir_, com::E_INVALIDARG));  // a folder
  EXPECT_FALSE(Open("", com::E_INVALIDARG));
  com::ComPtr<client::RemoteObject> none;
  EXPECT_TRUE(com::Failed(factory_->Open(dir_ + "/missing/in.db", &none)));
  EXPECT_FALSE(none);
  EXPECT_FALSE(fs::exists(dir_ + "/missing"));
  const std::string text = dir_ + "/notes.db";
  std::ofstream(text) << "not a catalogue\n";
  EXPECT_TRUE(com::Failed(factory_->Open(text, &none)));
  EXPECT_EQ(fs::file_size(text), 16u);  // left as it was

  // The server still serves, and refuses bad arguments with statuses.
  const std::string path = dir_ + "/good.db";
  auto library = Open(path);
  ASSERT_TRUE(library);
  int32_t count = 0;
  uint64_t bytes = 0;
  EXPECT_EQ(library->TotalInfo("0; DROP TABLE AlbumItems", count, bytes), com::E_INVALIDARG);
  com::Variant values;
  EXPECT_TRUE(com::IsJetError(library->EnumerateFieldValues("SELECT FROM WHERE", values)));
  EXPECT_EQ(library->TotalInfo("0,2", count, bytes), com::S_OK);

  // A slot not served yet answers its status, with empty values.
  LibraryProxy raw(*session_, library->object()->path());
  auto nodes = raw.GetNodes("root");
  EXPECT_EQ(std::get<0>(nodes), static_cast<uint32_t>(com::E_NOTIMPL));
  EXPECT_EQ(dbus::DecodeVariant(std::get<1>(nodes), nullptr), com::Variant());
  auto listing = raw.GetSQLItems2("SELECT * FROM AlbumItems", "");
  EXPECT_EQ(std::get<0>(listing), static_cast<uint32_t>(com::E_NOTIMPL));
  EXPECT_EQ(dbus::DecodeVariant(std::get<14>(listing), nullptr), com::Variant());

  // albumctl says what is wrong, with a status a script can tell apart.
  ExpectAlbumctl({"library", "info", dir_}, 4, "is a folder");
  ExpectAlbumctl({"library", "info", dir_ + "/nothing.db"}, 5, "library not found");
  ExpectAlbumctl({"library", "open", dir_ + "/missing/in.db"}, 4, "does not exist");
  ExpectAlbumctl({"library", "info", text}, 4, "not a library catalogue");
  ExpectAlbumctl({"library", "info"}, 3, "path is required");
  EXPECT_FALSE(fs::exists(dir_ + "/nothing.db"));
  EXPECT_EQ(library->TotalInfo("", count, bytes), com::S_OK);
}

TEST_F(LibraryBusTest, TypeDescriptorsAnswerOverTheBus) {
  auto library = Open(dir_ + "/search.db");
  ASSERT_TRUE(library);
  LibraryProxy raw(*session_, library->object()->path());
  constexpr auto kInvalidArg = static_cast<uint32_t>(com::E_INVALIDARG);

  // Photos (type 0) are described by the photo descriptor.
  auto [madePhoto, photoPath] = raw.CreateObjectTypeDescriptor(0);
  ASSERT_EQ(madePhoto, com::S_OK);
  auto photoObject = session_->Adopt(photoPath);
  PropertiesProxy photo(*session_, photoPath);
  EXPECT_EQ(photo.GetPropertiesCount(), std::make_tuple(0u, 4));
  EXPECT_EQ(photo.GetPropertyInfo(0),
            std::make_tuple(0u, std::string("PhotoItem"), std::string("cx"), int32_t{typelib::SUT_PIXELS},
                            int32_t{typelib::SPT_INTEGER}));
  EXPECT_EQ(photo.GetPropertyInfo(8), std::make_tuple(kInvalidArg, std::string(), std::string(), 0, 0));
  // The enumeration's choices travel as typed arrays, pairwise.
  auto [listed, values, names] = photo.GetEnumInfo(4);
  ASSERT_EQ(listed, com::S_OK);
  EXPECT_EQ(dbus::DecodeVariant(values, nullptr).array().elements<int32_t>(), (std::vector<int32_t>{7, 5, 3}));
  const com::Variant choices = dbus::DecodeVariant(names, nullptr);
  ASSERT_EQ(choices.array().size(), 3u);
  EXPECT_EQ(choices.array().get(0).ToString(), "Choice 1");
  EXPECT_EQ(std::get<0>(photo.GetEnumInfo(0)), kInvalidArg);

  // The media types in display order: photos first, -1 past the end.
  auto [madeGeneric, genericPath] = raw.CreateGenericTypeDescriptor();
  ASSERT_EQ(madeGeneric, com::S_OK);
  auto genericObject = session_->Adopt(genericPath);
  MediaTypesProxy generic(*session_, genericPath);
  auto [counted, count] = generic.GetMediaTypesCount();
  ASSERT_EQ(counted, com::S_OK);
  EXPECT_GT(count, 1);
  EXPECT_EQ(generic.GetMediaType(0), std::make_tuple(0u, 0));
  EXPECT_EQ(generic.GetMediaType(count), std::make_tuple(0u, -1));
  EXPECT_EQ(generic.GetMediaTypeName(count), std::make_tuple(0u, std::string()));
  EXPECT_FALSE(std::get<1>(generic.GetMediaTypeName(0)).empty());
  EXPECT_EQ(generic.GetCommonPropertiesCount(), std::make_tuple(0u, 0));
}

TEST_F(LibraryBusTest, CompactionRepliesFromTheWorker) {
  const std::string path = dir_ + "/big.db";
  auto library = Open(path);
  ASSERT_TRUE(library);
  LibraryProxy raw(*session_, library->object()->path());
  const std::string copy = dir_ + "/copy.db";
  EXPECT_EQ(raw.CompactDatabase(path, copy), com::S_OK);
  EXPECT_TRUE(fs::exists(copy));
  EXPECT_EQ(raw.CompactDatabase(path, copy), static_cast<uint32_t>(com::JetError(3204)));  // the target exists
  EXPECT_EQ(raw.RepairDatabase(copy), com::S_OK);
  EXPECT_EQ(raw.RepairDatabase(dir_ + "/absent.db"), static_cast<uint32_t>(com::JetError(3024)));
}

TEST_F(LibraryBusTest, AlbumctlKeepsALibraryOpenBetweenOpenAndClose) {
  const std::string path = dir_ + "/kept.db";
  ExpectAlbumctl({"library", "open", path}, 0, "created " + path);
  // A library open in the server keeps its write-ahead log beside it.
  EXPECT_TRUE(fs::exists(path + "-wal"));
  auto [code, info] = Albumctl({"library", "info", path});
  EXPECT_EQ(code, 0) << info;
  EXPECT_NE(info.find("items    0\n"), std::string::npos) << info;
  EXPECT_NE(info.find("size     0 bytes\n"), std::string::npos) << info;
  EXPECT_NE(info.find("version  "), std::string::npos) << info;
  EXPECT_TRUE(fs::exists(path + "-wal"));  // info's own open was closed, `open`'s was not
  ExpectAlbumctl({"library", "close", path}, 0, "");
  EXPECT_TRUE(WaitUntil([&] { return !fs::exists(path + "-wal"); }));
}

TEST_F(LibraryBusTest, AlbumctlImportsListsShowsAndChangesItems) {
  const std::string path = dir_ + "/photos.db";
  ExpectAlbumctl({"library", "open", path}, 0, "created");
  const std::string photos = dir_ + "/photos";
  fs::create_directories(photos + "/2024");
  ASSERT_TRUE(file_system::testing::WriteImage(photos + "/beach.jpg", {.width = 120, .height = 80}));
  ASSERT_TRUE(file_system::testing::WriteImage(photos + "/2024/alps.png", {.width = 64, .height = 48}));
  std::ofstream(photos + "/notes.txt") << "no media\n";

  // A watch on the library hears each item made by another client.
  auto watch = std::make_unique<ChildProcess>(
      std::vector<std::string>{ALBUMCORE_ALBUMCTL, "watch", "--library", path}, Env(), true);
  ASSERT_TRUE(Printed(*watch, "watching"));

  // A folder is imported whole, files of no media type left out; the second
  // time everything is there already.
  ExpectAlbumctl({"item", "import", photos, "--library", path}, 0,
                 "created 2, already there 0, failed 0 (1 files of no media type left out)");
  EXPECT_TRUE(Printed(*watch, "OnItemCreated"));
  auto env = Env();
  env["ALBUMCTL_LIBRARY"] = path;
  ExpectAlbumctl({"item", "import", photos + "/beach.jpg", photos + "/gone.jpg"}, 4,
                 "created 0, already there 1, failed 1", env);

  // The list shows what the server read from the files: the sizes on disk.
  auto [listed, list] = Albumctl({"item", "list", "--library", path});
  ASSERT_EQ(listed, 0) << list;
  EXPECT_NE(list.find("alps.png"), std::string::npos) << list;
  EXPECT_NE(list.find(std::to_string(fs::file_size(photos + "/beach.jpg")) + "       0  beach.jpg"),
            std::string::npos)
      << list;
  int32_t count = 0;
  uint64_t bytes = 0;
  auto library = Open(path);
  ASSERT_TRUE(library);
  ASSERT_EQ(library->TotalInfo("", count, bytes), com::S_OK);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(bytes, fs::file_size(photos + "/beach.jpg") + fs::file_size(photos + "/2024/alps.png"));

  // Changes through albumctl are the item's, and announced.
  com::Variant ids;
  ASSERT_EQ(library->EnumerateFieldValues("SELECT ItemID FROM AlbumItems WHERE Name = 'beach.jpg'", ids), com::S_OK);
  const std::string id = ids.array().get(0).ToString();
  ExpectAlbumctl({"item", "set", id, "rating", "4", "--library", path}, 0, "");
  ExpectAlbumctl({"item", "set", id, "note", "low tide", "--library", path}, 0, "");
  EXPECT_TRUE(Printed(*watch, "OnItemChanged " + id));
  auto [shown, show] = Albumctl({"item", "show", id, "--library", path});
  ASSERT_EQ(shown, 0) << show;
  EXPECT_NE(show.find("rating    4\n"), std::string::npos) << show;
  EXPECT_NE(show.find("note      low tide\n"), std::string::npos) << show;
  EXPECT_NE(show.find("picture   120 x 80 pixels"), std::string::npos) << show;

  // Wrong input: a rating that is no number, an ID with no item, a field
  // that does not exist, a library that is not there.
  ExpectAlbumctl({"item", "set", id, "rating", "four", "--library", path}, 3, "whole number");
  ExpectAlbumctl({"item", "show", "99999", "--library", path}, 1, "no item 99999");
  ExpectAlbumctl({"item", "set", id, "colour", "red", "--library", path}, 3, "colour");
  ExpectAlbumctl({"item", "list", "--library", dir_ + "/none.db"}, 5, "library not found");
  watch->Signal(SIGTERM);
  EXPECT_EQ(watch->WaitExitCode(), 0);
}

}  // namespace
}  // namespace albumcore::testing
