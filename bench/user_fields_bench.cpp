// Setting a user-field value on one item of a 1,000,000-item catalogue,
// through LumUserFieldsItem::put_Value (stored query looked up by name,
// parameters bound by name, the item's cache, the event to a subscribed
// sink), against the bare prepared UPDATE on the same file.
//
//   bench/user_fields_bench [--benchmark_repetitions=5]
//
// The catalogue is built once per run with plain SQL in one transaction
// (a recursive CTE makes the items; every item has the number field) and
// removed when the run ends.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "events/subscription.h"
#include "recording_sink.h"
#include "store/dao/engine.h"
#include "store/jetsql/connection.h"
#include "tagging/user_fields/user_fields_item.h"
#include "tagging/user_fields/user_fields_library.h"

namespace {

namespace ac = albumcore;
namespace fs = std::filesystem;

constexpr int kItems = 1000000;
constexpr int kTargetItem = kItems / 2;

const fs::path& CataloguePath() {
  static const fs::path path = fs::temp_directory_path() / ("albumcore-userfields-bench-" + std::to_string(getpid()) + ".db");
  return path;
}

void RemoveCatalogue() {
  std::error_code ignored;
  for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(CataloguePath().string() + suffix, ignored);
}

void Exec(sqlite3* db, const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    std::fprintf(stderr, "setup failed: %s\n  in %s\n", error ? error : "?", sql);
    std::exit(1);
  }
}

// The field is FieldID 1, a number; every item has it.
const std::string& Catalogue() {
  static std::string path;
  if (!path.empty()) return path;
  RemoveCatalogue();
  fs::copy_file(ALBUMCORE_TEMPLATE_DB, CataloguePath());
  path = CataloguePath().string();
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  ac::store::jetsql::ConfigureConnection(db);
  Exec(db, "BEGIN");
  Exec(db,
       "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000000) "
       "INSERT INTO AlbumItems (ItemID, ItemType, Name) SELECT i, 0, 'Holiday ' || i FROM n");
  Exec(db, "INSERT INTO UserFields (FieldID, FieldType, FieldName) VALUES (1, 1, 'Weight')");
  Exec(db, "INSERT INTO AssignedFieldsNumber (ItemID, FieldID, FieldValue) SELECT ItemID, 1, 0 FROM AlbumItems");
  Exec(db, "COMMIT");
  sqlite3_close_v2(db);
  return path;
}

void BM_PutValue_Item(benchmark::State& state) {
  auto db = ac::com::MakeObject<ac::store::dao::DBEngine>()->OpenDatabase(Catalogue());
  auto library = ac::com::MakeObject<ac::tagging::LumUserFieldsLibrary>();
  auto item = ac::com::MakeObject<ac::tagging::LumUserFieldsItem>();
  library->Connect(db.get(), 0, nullptr);
  item->Connect(db.get(), kTargetItem, library.get());
  auto sink = ac::com::MakeObject<ac::testing::RecordingSink>();
  ac::events::Subscription subscription(item.get(), "IKivAlbumCoreEvents", sink.get());
  int32_t value = 0;
  for (auto _ : state) {
    if (item->put_Value(1, ac::com::Variant(++value)) != ac::com::S_OK) {
      state.SkipWithError("put_Value failed");
      break;
    }
    if (sink->Take().size() != 1) {
      state.SkipWithError("no event");
      break;
    }
  }
  item->Disconnect();
  library->Disconnect();
}

void BM_PutValue_Raw(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open(Catalogue().c_str(), &db);
  ac::store::jetsql::ConfigureConnection(db);
  // The durability the adapter's sessions run with, so that both pay the
  // same commit.
  Exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL");
  sqlite3_stmt* update = nullptr;
  sqlite3_prepare_v2(db, "UPDATE AssignedFieldsNumber SET FieldValue = ?1 WHERE ItemID = ?2 AND FieldID = ?3", -1,
                     &update, nullptr);
  int32_t value = 0;
  for (auto _ : state) {
    sqlite3_bind_int(update, 1, ++value);
    sqlite3_bind_int(update, 2, kTargetItem);
    sqlite3_bind_int(update, 3, 1);
    if (sqlite3_step(update) != SQLITE_DONE || sqlite3_changes(db) != 1) {
      state.SkipWithError(sqlite3_errmsg(db));
      break;
    }
    sqlite3_reset(update);
  }
  sqlite3_finalize(update);
  sqlite3_close_v2(db);
}

BENCHMARK(BM_PutValue_Item)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PutValue_Raw)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Catalogue();  // outside the timings
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  RemoveCatalogue();
  return 0;
}
