// The library object and the table of open libraries, in process, over
// real catalogue files made from the built template.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "components/file_system/file_system_component.h"
#include "events/subscription.h"
#include "library/library_table.h"
#include "recording_sink.h"
#include "typelib/kiv_album.h"
#include "typelib/kiv_album_enums.h"
#include "typelib/kiv_item_collection.h"

namespace albumcore::library {
namespace {

namespace fs = std::filesystem;
using albumcore::testing::RecordingSink;
using Strings = std::vector<std::string>;

class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("albumcore-library-" + std::to_string(getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    subscriptions_.clear();
    table_.reset();
    fs::remove_all(dir_);
  }

  LibraryTable& Table() {
    if (!table_) {
      LibraryTableSettings settings;
      settings.library.registryPath = (dir_ / "machine.reg").string();
      settings.library.services.files = &files_;
      settings.library.runLong = runLong_;
      settings.templatePath = ALBUMCORE_TEMPLATE_DB;
      settings.files = &files_;
      table_ = std::make_unique<LibraryTable>(settings);
    }
    return *table_;
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  com::ComPtr<LumLibrary> Open(const std::string& path, com::HRESULT expected = com::S_OK, bool passive = false) {
    com::ComPtr<com::IUnknown> object;
    EXPECT_EQ(Table().Open(com::Bstr(path), passive, &object), expected) << path;
    return com::ComPtr<LumLibrary>(dynamic_cast<LumLibrary*>(object.get()));
  }
  com::ComPtr<RecordingSink> Listen(com::IUnknown* source) {
    auto sink = com::MakeObject<RecordingSink>();
    subscriptions_.emplace_back(source, typelib::IKivAlbumCoreEvents::kInterfaceName, sink.get());
    return sink;
  }
  int32_t CreateItem(LumLibrary& library, const std::string& moniker, int32_t size = 0, int32_t bigSize = 0) {
    const com::Variant date = com::Variant::Date(45000.0);
    int32_t id = -1;
    EXPECT_EQ(library.itemCollection()->CreateItem(0, com::Bstr(moniker), com::Bstr(""), date, date, com::Bstr("n"),
                                                   bigSize, size, com::Bstr(""), &id),
              com::S_OK);
    return id;
  }

  fs::path dir_;
  file_system::FileSystemComponent files_;
  std::function<void(std::function<void()>)> runLong_;
  std::unique_ptr<LibraryTable> table_;
  std::vector<events::Subscription> subscriptions_;
};

TEST_F(LibraryTest, AMissingCatalogueIsMadeFromTheTemplateAndServesItems) {
  const std::string path = Path("new.db");
  auto library = Open(path);
  ASSERT_TRUE(library);
  EXPECT_TRUE(fs::exists(path));
  auto events = Listen(library.get());
  const int32_t id = CreateItem(*library, "file::/photos/a.jpg");
  // The item collection's event reaches the library's clients once.
  EXPECT_EQ(events->Take(), Strings{"OnItemCreated(" + std::to_string(id) + ")"});
  com::ComPtr<com::IUnknown> item;
  EXPECT_EQ(library->GetItem(id, &item), com::S_OK);
  int32_t version = 0;
  EXPECT_EQ(library->get_OpenDatabaseVersion(&version), com::S_OK);
}

TEST_F(LibraryTest, OpensAreCountedAndTheLastCloseDisconnectsAndCompacts) {
  const std::string path = Path("c.db");
  auto first = Open(path);
  auto second = Open(path);
  EXPECT_EQ(first, second);  // one object, one session
  Table().Close(com::Bstr(path));
  EXPECT_TRUE(first->connected());
  Table().Close(com::Bstr(path));
  EXPECT_FALSE(first->connected());
  EXPECT_EQ(Table().size(), 0u);
  EXPECT_FALSE(fs::exists(path + "1"));  // the compacted copy took the file's place
  EXPECT_FALSE(fs::exists(path + "-wal"));
  Table().Close(com::Bstr(path));  // nothing open: ignored

  // CloseEx closes whatever the count; a client holding it keeps a
  // disconnected object.
  auto again = Open(path);
  Open(path);
  Table().CloseEx(com::Bstr(path));
  EXPECT_FALSE(again->connected());
  com::ComPtr<com::IUnknown> fields;
  EXPECT_EQ(again->get_UserFields(&fields), com::E_FAIL);
  Table().Close(com::Bstr(path));
  EXPECT_EQ(Table().size(), 0u);
}

TEST_F(LibraryTest, PathsCompareExactly) {
  auto lower = Open(Path("cat.db"));
  auto upper = Open(Path("CAT.db"));
  EXPECT_NE(lower, upper);
  EXPECT_EQ(Table().size(), 2u);
}

TEST_F(LibraryTest, TheReaperClosesLibrariesWhoseClientsAreGone) {
  auto orphaned = Open(Path("a.db"));
  auto listened = Open(Path("b.db"));
  auto quiet = Open(Path("c.db"));  // no client subscribed: kept
  auto dead = Listen(orphaned.get());
  dead->answer = com::E_FAIL;  // its process has ended
  auto live = Listen(listened.get());
  bool anyOpen = false;
  Table().Reap([&](bool open) { anyOpen = open; });
  EXPECT_TRUE(anyOpen);
  EXPECT_EQ(Table().size(), 2u);
  EXPECT_EQ(Table().Find(Path("a.db")), nullptr);
  EXPECT_FALSE(orphaned->connected());

  Table().CloseEx(com::Bstr(Path("b.db")));
  Table().CloseEx(com::Bstr(Path("c.db")));
  Table().Reap([&](bool open) { anyOpen = open; });
  EXPECT_FALSE(anyOpen);
}

TEST_F(LibraryTest, ADamagedCatalogueIsRepairedAtOpen) {
  const std::string path = Path("d.db");
  fs::copy_file(ALBUMCORE_TEMPLATE_DB, path);
  {
    // The schema page after the file header: nothing opens it as it is.
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(100);
    const std::string garbage(3996, '\xA5');
    f.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
  }
  auto library = Open(path);
  ASSERT_TRUE(library);
  EXPECT_TRUE(library->connected());
  CreateItem(*library, "file::/photos/a.jpg");
  EXPECT_TRUE(fs::exists(path + ".damaged"));
}

TEST_F(LibraryTest, BadPathsFailWithoutDamage) {
  // A folder.
  fs::create_directories(Path("folder"));
  EXPECT_FALSE(Open(Path("folder"), com::E_INVALIDARG));
  // A file that is no catalogue stays as it was.
  const std::string text = Path("notes.txt");
  std::ofstream(text) << "not a catalogue at all, but long enough to be read as a header";
  const auto before = fs::file_size(text);
  EXPECT_FALSE(Open(text, com::JetError(3343)));
  EXPECT_EQ(fs::file_size(text), before);
  EXPECT_FALSE(fs::exists(text + ".damaged"));
  // A folder that does not exist: nothing is made.
  com::ComPtr<com::IUnknown> object;
  EXPECT_TRUE(com::Failed(Table().Open(com::Bstr(Path("missing/x.db")), false, &object)));
  EXPECT_FALSE(fs::exists(Path("missing")));
  EXPECT_EQ(Table().size(), 0u);
}

TEST_F(LibraryTest, CatalogueOperations) {
  auto library = Open(Path("ops.db"));
  const int32_t a = CreateItem(*library, "file::/photos/2024/a.jpg", -1, 0);  // 0xFFFFFFFF bytes
  CreateItem(*library, "file::/photos/2024/b.jpg", 1, 0);                     // carries into the high half
  CreateItem(*library, "file::/music/c.mp3", 5, 1);
  int32_t count = 0, big = 0, size = 0;
  ASSERT_EQ(library->GetTotalInfo(com::Bstr(""), &count, &big, &size), com::S_OK);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(big, 2);
  EXPECT_EQ(size, 5);
  ASSERT_EQ(library->GetTotalInfo(com::Bstr("2, 3"), &count, &big, &size), com::S_OK);  // all three are type 0
  EXPECT_EQ(count, 0);
  ASSERT_EQ(library->GetTotalInfo(com::Bstr("0"), &count, &big, &size), com::S_OK);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(library->GetTotalInfo(com::Bstr("0; DROP TABLE AlbumItems"), &count, &big, &size), com::E_INVALIDARG);

  int32_t exist = -1;
  ASSERT_EQ(library->DoFilesOfTypeExist(0, &exist), com::S_OK);
  EXPECT_EQ(exist, 1);
  ASSERT_EQ(library->DoFilesOfTypeExist(27, &exist), com::S_OK);
  EXPECT_EQ(exist, 0);

  com::Variant names;
  ASSERT_EQ(library->EnumerateFieldValues(com::Bstr("SELECT Name FROM AlbumItems WHERE ItemType = 0 ORDER BY ItemID"), &names),
            com::S_OK);
  EXPECT_EQ(names.array().size(), 3u);

  auto events = Listen(library.get());
  ASSERT_EQ(library->RenameFilesStartedWith(com::Bstr("file::/PHOTOS/2024/"), com::Bstr("file::/pictures/")),
            com::S_OK);
  com::ComPtr<com::IUnknown> object;
  library->GetItem(a, &object);
  com::Bstr moniker;
  com::QueryInterface<typelib::IKivItem>(object)->get_Moniker(&moniker);
  EXPECT_EQ(moniker, "file::/pictures/a.jpg");
  EXPECT_EQ(events->heard().size(), 4u);  // moniker and name of both items

  ASSERT_EQ(library->DeleteFilesStartedWith(com::Bstr("file::/pictures/")), com::S_OK);
  ASSERT_EQ(library->GetTotalInfo(com::Bstr(""), &count, &big, &size), com::S_OK);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(library->UpdateItem(com::Bstr("file::/nowhere.jpg")), com::S_OK);
}

TEST_F(LibraryTest, EachOpenMakesTheSpecialAlbumsAndEmptiesTheClipboard) {
  const std::string path = Path("clip.db");
  auto library = Open(path);
  int32_t clipboard = -1;
  ASSERT_EQ(library->GetSpecialAlbumID(typelib::SAT_CLIPBOARD, &clipboard), com::S_OK);
  const int32_t item = CreateItem(*library, "file::/photos/copied.jpg");
  com::ComPtr<com::IUnknown> object;
  ASSERT_EQ(library->GetAlbum(clipboard, &object), com::S_OK);
  ASSERT_EQ(com::QueryInterface<typelib::IKivAlbum>(object)->AddByItemID(item), com::S_OK);
  object.reset();
  Table().Close(com::Bstr(path));

  library = Open(path);
  int32_t again = -1;
  ASSERT_EQ(library->GetSpecialAlbumID(typelib::SAT_CLIPBOARD, &again), com::S_OK);
  EXPECT_EQ(again, clipboard);
  ASSERT_EQ(library->GetAlbum(clipboard, &object), com::S_OK);
  int32_t count = -1;
  EXPECT_EQ(com::QueryInterface<typelib::IKivAlbum>(object)->get_Count(&count), com::S_OK);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(library->GetItem(item, &object), com::S_OK);  // the copied item stays
}

TEST_F(LibraryTest, AFileMetAgainWithAnotherDateIsReadAgain) {
  auto library = Open(Path("u.db"));
  const std::string moniker = "file::/photos/a.jpg";  // no file: no identifier, found by moniker
  const int32_t id = CreateItem(*library, moniker);
  items::LumItemCollection& items = *library->itemCollection();
  auto thumbnailOf = [&] {
    com::ComPtr<com::IUnknown> object;
    library->GetItem(id, &object);
    com::Bstr thumbnail;
    com::QueryInterface<typelib::IKivItem>(object)->get_ThumbnailMoniker(&thumbnail);
    return thumbnail.str();
  };
  ASSERT_EQ(items.SetItemThumbnailMoniker(id, com::Bstr("storage::t|i1.jpg")), com::S_OK);
  int32_t again = -1;
  const com::Variant sameDate = com::Variant::Date(45000.0), newDate = com::Variant::Date(45001.0);
  auto create = [&](const com::Variant& date) {
    return items.CreateItem(0, com::Bstr(moniker), com::Bstr(""), date, date, com::Bstr("n"), 0, 0, com::Bstr(""),
                            &again);
  };
  EXPECT_EQ(create(sameDate), com::S_FALSE);
  EXPECT_EQ(thumbnailOf(), "storage::t|i1.jpg");
  EXPECT_EQ(create(newDate), com::S_FALSE);
  EXPECT_EQ(again, id);
  EXPECT_EQ(thumbnailOf(), moniker);  // its thumbnail is made again from the file
}

TEST_F(LibraryTest, CompactionRunsWhereTheContextSaysAndAReopenWaitsForIt) {
  std::vector<std::function<void()>> jobs;
  runLong_ = [&](std::function<void()> job) { jobs.push_back(std::move(job)); };
  const std::string path = Path("big.db");
  Open(path);
  Table().Close(com::Bstr(path));
  ASSERT_EQ(jobs.size(), 1u);
  // The job runs on another thread, but its closure lives on here, as a
  // work queue keeps it until its completion reaches the loop: the reopen
  // must not wait for the closure, only for the compaction.
  std::thread worker([&job = jobs.front()] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    job();
  });
  auto reopened = Open(path);  // waits for the compaction to end
  EXPECT_TRUE(reopened && reopened->connected());
  worker.join();
}

}  // namespace
}  // namespace albumcore::library
