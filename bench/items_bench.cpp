// Items: creating them from real image files, instantiating them from a
// cold cache, and writing one property in a large catalogue, each beside
// raw SQLite running the same statements in the same run.
//
//   bench/items_bench [--benchmark_repetitions=3]
//   ALBUMCORE_BENCH_ITEMS=20000 bench/items_bench   (default 100000)
//
// Creation (BM_Create_*): one JPEG is written with libvips and copied to N
// files, which then sit in the page cache. BM_CreateAndRead_Adapter is what
// an import does per file: CreateItem (the identity check, the record, the
// item object, its thumbnail request) and FillFromMoniker (the file's
// header), with one sink subscribed to the collection. BM_Create_Adapter
// leaves the header out; BM_Create_Raw runs the same file-identity calls
// and the same SQL statements on a bare connection: the lookups by file
// identifier and by moniker, the insert, the type, the item record, the
// photo record with its insert, and the thumbnail-moniker write.
//
// Instantiation (BM_Instantiate_*): a catalogue of N photo items made with
// plain SQL; a new collection instantiates every item (type, item record,
// photo record, the cache, the relay); raw runs the three selects.
//
// The shoebox (BM_ShoeboxCount_*): a new collection makes the shoebox of
// the N-item catalogue and counts it, against raw SQLite reading the IDs of
// the same listing.
//
// Property write (BM_PutRating_*): put_Rating on one item of a catalogue
// of 1,000,000 items, against the bare SELECT and UPDATE of the row.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vips/vips.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "components/file_system/file_system_component.h"
#include "components/file_system/vips_runtime.h"
#include "events/subscription.h"
#include "albums/listing/listing.h"
#include "items/collection/lum_item_collection.h"
#include "items/photo/lum_photo_item.h"
#include "bench_catalogue.h"
#include "ratio_reporter.h"
#include "store/dao/engine.h"
#include "store/jetsql/connection.h"
#include "tagging/keywords/lum_keywords_library.h"
#include "tagging/user_fields/user_fields_library.h"
#include "typelib/kiv_album.h"

namespace {

namespace ac = albumcore;
namespace fs = std::filesystem;

int ItemCount() {
  static const int n = [] {
    const char* text = std::getenv("ALBUMCORE_BENCH_ITEMS");
    const int value = text ? std::atoi(text) : 0;
    return value > 0 ? value : 100000;
  }();
  return n;
}

const fs::path& Root() {
  static const fs::path& root = [] {
    fs::create_directories(bench::ScratchRoot("items-bench") / "files");
    return std::cref(bench::ScratchRoot("items-bench"));
  }();
  return root;
}

// N copies of one small JPEG; `set` names the copy (each benchmark takes
// its own files, as an identifier written into a file stays with it).
std::vector<std::string> Files(const std::string& name) {
  static int sets = 0;
  const std::string set = name + std::to_string(sets++);
  static bool vips = ac::file_system::StartVips();
  (void)vips;
  const fs::path folder = Root() / "files" / set;
  fs::create_directories(folder);
  const std::string first = (folder / "0.jpg").string();
  VipsImage* black = nullptr;
  if (vips_black(&black, 160, 120, "bands", 3, nullptr) != 0 ||
      vips_image_write_to_file(black, first.c_str(), nullptr) != 0) {
    std::fprintf(stderr, "libvips cannot write %s: %s\n", first.c_str(), vips_error_buffer());
    std::exit(1);
  }
  g_object_unref(black);
  std::vector<std::string> monikers{"file::" + first};
  for (int i = 1; i < ItemCount(); ++i) {
    const std::string path = (folder / (std::to_string(i) + ".jpg")).string();
    fs::copy_file(first, path);
    monikers.push_back("file::" + path);
  }
  return monikers;
}

std::string FreshCatalogue(const std::string& name) {
  const fs::path path = Root() / (name + ".db");
  for (const char* suffix : {"-wal", "-shm"}) fs::remove(path.string() + suffix);
  fs::copy_file(ALBUMCORE_TEMPLATE_DB, path, fs::copy_options::overwrite_existing);
  return path.string();
}

// Counts the events a client would hear.
class CountingSink final : public ac::typelib::AlbumCoreEventsSink {
 public:
  ac::com::HRESULT OnItemCreated(int32_t) override {
    ++created;
    return ac::com::S_OK;
  }
  int created = 0;
};

struct Library {
  explicit Library(const std::string& path)
      : db(ac::com::MakeObject<ac::store::dao::DBEngine>()->OpenDatabase(path)),
        userFields(ac::com::MakeObject<ac::tagging::LumUserFieldsLibrary>()),
        keywords(ac::com::MakeObject<ac::tagging::keywords::LumKeywordsLibrary>()),
        items(ac::com::MakeObject<ac::items::LumItemCollection>("/nonexistent/machine.reg",
                                                                ac::items::ItemServices{nullptr, &files})),
        sink(ac::com::MakeObject<CountingSink>()),
        subscription(items.get(), "IKivAlbumCoreEvents", sink.get()) {
    userFields->Connect(db.get(), 0, nullptr);
    keywords->Connect(db.get(), 0, nullptr);
    items->Connect(db.get(), userFields.get(), keywords.get(), nullptr);
  }
  ~Library() {
    subscription.reset();
    items->Disconnect();
    db->Close();
  }
  ac::file_system::FileSystemComponent files;
  ac::com::ComPtr<ac::store::dao::Database> db;
  ac::com::ComPtr<ac::tagging::LumUserFieldsLibrary> userFields;
  ac::com::ComPtr<ac::tagging::keywords::LumKeywordsLibrary> keywords;
  ac::com::ComPtr<ac::items::LumItemCollection> items;
  ac::com::ComPtr<CountingSink> sink;
  ac::events::Subscription subscription;
};

void Report(benchmark::State& state, int done) {
  state.counters["items/s"] = benchmark::Counter(done, benchmark::Counter::kIsRate);
}

void CreateThroughCollection(benchmark::State& state, const char* set, bool readHeader) {
  const std::vector<std::string> files = Files(set);
  Library library(FreshCatalogue(set));
  const ac::com::Variant date = ac::com::Variant::Date(45000.5);
  int done = 0;
  for (auto _ : state) {
    for (const std::string& moniker : files) {
      int32_t id = -1;
      if (library.items->CreateItem(0, ac::com::Bstr(moniker), ac::com::Bstr(""), date, date, ac::com::Bstr("n"), 0,
                                    0, ac::com::Bstr(""), &id) != ac::com::S_OK) {
        state.SkipWithError("CreateItem failed");
        return;
      }
      if (readHeader) {
        ac::com::ComPtr<ac::com::IUnknown> item;
        library.items->InstantiateItem(id, &item);
        ac::com::QueryInterface<ac::typelib::IKivItem>(item)->FillFromMoniker(1);
      }
      ++done;
    }
  }
  if (library.sink->created != done) state.SkipWithError("events missing");
  Report(state, done);
}

void BM_CreateAndRead_Adapter(benchmark::State& state) { CreateThroughCollection(state, "read", true); }
void BM_Create_Adapter(benchmark::State& state) { CreateThroughCollection(state, "create", false); }

// The statements of one CreateItem on a bare connection, prepared once.
class RawCreate {
 public:
  explicit RawCreate(const std::string& path) {
    sqlite3_open(path.c_str(), &db_);
    ac::store::jetsql::ConfigureConnection(db_);
    bench::Exec(db_, "PRAGMA journal_mode=WAL");
    bench::Exec(db_, "PRAGMA synchronous=NORMAL");
    byFileId_ = Prepare("SELECT * FROM AlbumItems WHERE FileUniqueID = ?");
    byMoniker_ = Prepare("SELECT * FROM AlbumItems WHERE ItemDataMoniker = ?");
    insert_ = Prepare(
        "INSERT INTO AlbumItems (ItemType, ItemDataMoniker, ItemThumbMoniker, Size, BigSize, DateCreated, "
        "DateModified, Name, SoundMoniker, FileUniqueID) VALUES (0, ?, '', 0, 0, 45000.5, 45000.5, 'n', '', ?)");
    typeOf_ = Prepare("SELECT DISTINCT ItemType FROM AlbumItems WHERE ItemID = ?");
    record_ = Prepare("SELECT * FROM AlbumItems WHERE ItemID = ?");
    photo_ = Prepare("SELECT * FROM PhotoItem WHERE ItemID = ?");
    photoInsert_ = Prepare("INSERT INTO PhotoItem (ItemID) VALUES (?)");
    thumbnail_ = Prepare("UPDATE AlbumItems SET ItemThumbMoniker = ? WHERE ItemID = ?");
  }
  ~RawCreate() {
    for (sqlite3_stmt* s : {byFileId_, byMoniker_, insert_, typeOf_, record_, photo_, photoInsert_, thumbnail_})
      sqlite3_finalize(s);
    sqlite3_close_v2(db_);
  }

  void Create(const std::string& moniker, const std::string& fileId) {
    Run(byFileId_, fileId);
    Run(byMoniker_, moniker);
    Run(byMoniker_, moniker);
    sqlite3_bind_text(insert_, 1, moniker.data(), static_cast<int>(moniker.size()), SQLITE_STATIC);
    sqlite3_bind_text(insert_, 2, fileId.data(), static_cast<int>(fileId.size()), SQLITE_STATIC);
    sqlite3_step(insert_);
    sqlite3_reset(insert_);
    const sqlite3_int64 id = sqlite3_last_insert_rowid(db_);
    Run(typeOf_, id);
    Run(record_, id);
    Run(photo_, id);
    Run(photoInsert_, id);
    Run(photo_, id);
    Run(record_, id);
    sqlite3_bind_text(thumbnail_, 1, moniker.data(), static_cast<int>(moniker.size()), SQLITE_STATIC);
    sqlite3_bind_int64(thumbnail_, 2, id);
    sqlite3_step(thumbnail_);
    sqlite3_reset(thumbnail_);
  }

  void Instantiate(sqlite3_int64 id) {
    Run(typeOf_, id);
    Run(record_, id);
    Run(photo_, id);
  }

 private:
  sqlite3_stmt* Prepare(const char* sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK) {
      std::fprintf(stderr, "prepare failed: %s\n", sqlite3_errmsg(db_));
      std::exit(1);
    }
    return s;
  }
  // Steps through every row, reading each column as the adapter would.
  static void Drain(sqlite3_stmt* s) {
    while (sqlite3_step(s) == SQLITE_ROW)
      for (int c = 0; c < sqlite3_column_count(s); ++c) benchmark::DoNotOptimize(sqlite3_column_value(s, c));
    sqlite3_reset(s);
  }
  static void Run(sqlite3_stmt* s, const std::string& text) {
    sqlite3_bind_text(s, 1, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
    Drain(s);
  }
  static void Run(sqlite3_stmt* s, sqlite3_int64 id) {
    sqlite3_bind_int64(s, 1, id);
    Drain(s);
  }

  sqlite3* db_ = nullptr;
  sqlite3_stmt *byFileId_, *byMoniker_, *insert_, *typeOf_, *record_, *photo_, *photoInsert_, *thumbnail_;
};

void BM_Create_Raw(benchmark::State& state) {
  const std::vector<std::string> files = Files("raw");
  RawCreate raw(FreshCatalogue("raw"));
  ac::file_system::FileSystemComponent component;
  int done = 0;
  for (auto _ : state) {
    for (const std::string& moniker : files) {
      ac::com::Bstr fileId;
      if (component.ReadFileUniqueID(moniker, &fileId) != ac::com::S_OK) component.AssignFileUniqueID(moniker, &fileId);
      raw.Create(moniker, fileId.str());
      ++done;
    }
  }
  Report(state, done);
}

// N photo items with their PhotoItem rows, made with plain SQL.
const std::string& FilledCatalogue() {
  static std::string path;
  if (!path.empty()) return path;
  path = FreshCatalogue("filled");
  bench::FillWithPhotos(path, ItemCount());
  return path;
}

void BM_Instantiate_Adapter(benchmark::State& state) {
  Library library(FilledCatalogue());
  int done = 0;
  for (auto _ : state) {
    state.PauseTiming();
    library.items->Disconnect();  // a cold cache
    library.items->Connect(library.db.get(), library.userFields.get(), library.keywords.get(), nullptr);
    state.ResumeTiming();
    for (int32_t id = 1; id <= ItemCount(); ++id) {
      ac::com::ComPtr<ac::com::IUnknown> item;
      if (library.items->InstantiateItem(id, &item) != ac::com::S_OK) {
        state.SkipWithError("InstantiateItem failed");
        return;
      }
      ++done;
    }
  }
  Report(state, done);
}

void BM_Instantiate_Raw(benchmark::State& state) {
  RawCreate raw(FilledCatalogue());
  int done = 0;
  for (auto _ : state) {
    for (int32_t id = 1; id <= ItemCount(); ++id) {
      raw.Instantiate(id);
      ++done;
    }
  }
  Report(state, done);
}

// The shoebox of the filled catalogue: a new collection makes it (its
// membership map read from the ID-only listing) and counts it; raw runs
// the translation of the same listing and keeps the IDs in a vector.
void BM_ShoeboxCount_Adapter(benchmark::State& state) {
  Library library(FilledCatalogue());
  int32_t count = 0;
  for (auto _ : state) {
    state.PauseTiming();
    library.items->Disconnect();  // the shoebox is made again
    library.items->Connect(library.db.get(), library.userFields.get(), library.keywords.get(), nullptr);
    state.ResumeTiming();
    ac::com::ComPtr<ac::com::IUnknown> object;
    auto shoebox = library.items->get_Shoebox(&object) == ac::com::S_OK
                       ? ac::com::QueryInterface<ac::typelib::IKivAlbum>(object)
                       : nullptr;
    if (!shoebox || shoebox->get_Count(&count) != ac::com::S_OK) {
      state.SkipWithError("the shoebox does not count");
      return;
    }
  }
  state.counters["items"] = count;
}

void BM_ShoeboxCount_Raw(benchmark::State& state) {
  Library library(FilledCatalogue());
  namespace listing = ac::albums::listing;
  const std::string sql =
      library.db->session()
          ->Translate(listing::BuildItemIdQuery(listing::ListingKind::Shoebox, ac::typelib::kShoeboxAlbumId, -1, {},
                                                listing::NAX_SORT_NONE, listing::NAX_SORT_ASCENDING))
          ->sql;
  size_t count = 0;
  for (auto _ : state) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(library.db->session()->db(), sql.c_str(), -1, &s, nullptr);
    std::vector<int32_t> ids;
    while (sqlite3_step(s) == SQLITE_ROW) ids.push_back(sqlite3_column_int(s, 0));
    sqlite3_finalize(s);
    count = ids.size();
  }
  state.counters["items"] = static_cast<double>(count);
}

constexpr int kLargeCatalogue = 1000000;

const std::string& LargeCatalogue() {
  static std::string path;
  if (!path.empty()) return path;
  path = FreshCatalogue("large");
  bench::FillWithPhotos(path, kLargeCatalogue, /*photoRows=*/false);
  return path;
}

void BM_PutRating_Adapter(benchmark::State& state) {
  auto db = ac::com::MakeObject<ac::store::dao::DBEngine>()->OpenDatabase(LargeCatalogue());
  auto item = ac::com::MakeObject<ac::items::LumPhotoItem>(ac::items::ItemServices{});
  item->Connect(db.get(), kLargeCatalogue / 2, nullptr, nullptr, nullptr);
  auto sink = ac::com::MakeObject<CountingSink>();
  ac::events::Subscription subscription(item.get(), "IKivAlbumCoreEvents", sink.get());
  int32_t rating = 0;
  for (auto _ : state) {
    if (item->put_Rating(++rating % 6) != ac::com::S_OK) {
      state.SkipWithError("put_Rating failed");
      break;
    }
  }
  subscription.reset();
  item->Disconnect();
  db->Close();
}

void BM_PutRating_Raw(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open(LargeCatalogue().c_str(), &db);
  ac::store::jetsql::ConfigureConnection(db);
  bench::Exec(db, "PRAGMA synchronous=NORMAL");
  sqlite3_stmt* select = nullptr;
  sqlite3_stmt* update = nullptr;
  sqlite3_prepare_v2(db, "SELECT * FROM AlbumItems WHERE ItemID = ?", -1, &select, nullptr);
  sqlite3_prepare_v2(db, "UPDATE AlbumItems SET Rating = ? WHERE ItemID = ?", -1, &update, nullptr);
  int32_t rating = 0;
  for (auto _ : state) {
    sqlite3_bind_int(select, 1, kLargeCatalogue / 2);
    while (sqlite3_step(select) == SQLITE_ROW) {
    }
    sqlite3_reset(select);
    sqlite3_bind_int(update, 1, ++rating % 6);
    sqlite3_bind_int(update, 2, kLargeCatalogue / 2);
    sqlite3_step(update);
    sqlite3_reset(update);
  }
  sqlite3_finalize(select);
  sqlite3_finalize(update);
  sqlite3_close_v2(db);
}

BENCHMARK(BM_CreateAndRead_Adapter)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Create_Adapter)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Create_Raw)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Instantiate_Adapter)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Instantiate_Raw)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ShoeboxCount_Adapter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShoeboxCount_Raw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PutRating_Adapter)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PutRating_Raw)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::error_code ignored;
  fs::remove_all(Root(), ignored);
  return 0;
}
