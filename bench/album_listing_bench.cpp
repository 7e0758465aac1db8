// The full listing of an album of 100,000 photo items, sorted by name.
//
//   bench/album_listing_bench [--benchmark_repetitions=5]
//
// BM_Listing_Adapter builds the album's full statement and reads it into
// the fourteen arrays (ReadListing: count, allocate once, one pass through
// the adapter). BM_Listing_Raw runs the translation of the same Jet text on
// the same connection with SQLite alone, reading the same columns into
// vectors as a program on SQLite would. BM_ListingUnsorted_* do the same
// without ORDER BY. The run ends with the ratio, in CPU time, of the
// fastest repetitions.
//
// The catalogue copy is removed when the run ends.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "albums/listing/listing.h"
#include "bench_catalogue.h"
#include "ratio_reporter.h"
#include "store/dao/engine.h"

namespace {

namespace ac = albumcore;
namespace listing = ac::albums::listing;
namespace fs = std::filesystem;

constexpr int kItems = 100000;
constexpr int32_t kAlbumId = kItems + 1;

ac::com::ComPtr<ac::store::dao::Database>& OpenCatalogue() {
  static ac::com::ComPtr<ac::store::dao::Database> db;
  return db;
}

// A copy of the template with the photos and one album holding them all,
// opened once for the run.
ac::store::dao::Database& Catalogue() {
  auto& db = OpenCatalogue();
  if (db) return *db;
  const fs::path path = bench::ScratchRoot("album-listing-bench") / "catalogue.db";
  fs::copy_file(ALBUMCORE_TEMPLATE_DB, path);
  bench::FillWithPhotos(path.string(), kItems);
  sqlite3* raw = nullptr;
  sqlite3_open(path.c_str(), &raw);
  ac::store::jetsql::ConfigureConnection(raw);
  bench::Exec(raw, "BEGIN");
  bench::Exec(raw, "INSERT INTO AlbumItems (ItemID, ItemType, Name) VALUES (" + std::to_string(kAlbumId) +
                       ", 9, 'Album')");
  bench::Exec(raw, "INSERT INTO AlbumContents (AlbumID, ItemID) SELECT " + std::to_string(kAlbumId) +
                       ", ItemID FROM AlbumItems WHERE ItemType = 0");
  bench::Exec(raw, "COMMIT");
  sqlite3_close_v2(raw);
  db = ac::com::MakeObject<ac::store::dao::DBEngine>()->OpenDatabase(path.string());
  return *db;
}

std::string ListingSql(uint32_t sortField) {
  return listing::BuildListingQuery(listing::ListingKind::PlainAlbum, kAlbumId, -1, {}, sortField,
                                    listing::NAX_SORT_ASCENDING);
}

void Adapter(benchmark::State& state, uint32_t sortField) {
  auto& db = Catalogue();
  size_t rows = 0;
  for (auto _ : state) {
    ac::typelib::ItemListingArrays arrays;
    ac::com::Variant readOnly;
    listing::ReadListing(db, ListingSql(sortField), &arrays, &readOnly);
    rows = arrays.id.array().size();
    benchmark::DoNotOptimize(arrays);
  }
  state.counters["rows"] = static_cast<double>(rows);
}

// The columns of the listing as a program on SQLite alone would keep them.
struct RawListing {
  std::vector<int32_t> id, type, size, bigSize, rotation, rating;
  std::vector<std::string> name, moniker, thumbMoniker, soundMoniker, notes;
  std::vector<double> dateCreated, dateModified;
  std::vector<bool> readOnly;
};

std::string Text(sqlite3_stmt* s, int c) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
  return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(s, c))) : std::string();
}

void Raw(benchmark::State& state, uint32_t sortField) {
  auto& db = Catalogue();
  // The translation's column order: ItemID, DateCreated, DateModified,
  // ItemType, Name, ItemDataMoniker, Size, BigSize, ItemThumbMoniker, Note,
  // SoundMoniker, Rating, ReadOnly, Rotation.
  const std::string sql = db.session()->Translate(ListingSql(sortField))->sql;
  sqlite3* raw = db.session()->db();
  size_t rows = 0;
  for (auto _ : state) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(raw, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
      state.SkipWithError(sqlite3_errmsg(raw));
      break;
    }
    RawListing l;
    while (sqlite3_step(s) == SQLITE_ROW) {
      l.id.push_back(sqlite3_column_int(s, 0));
      l.dateCreated.push_back(sqlite3_column_double(s, 1));
      l.dateModified.push_back(sqlite3_column_double(s, 2));
      l.type.push_back(sqlite3_column_int(s, 3));
      l.name.push_back(Text(s, 4));
      l.moniker.push_back(Text(s, 5));
      l.size.push_back(sqlite3_column_int(s, 6));
      l.bigSize.push_back(sqlite3_column_int(s, 7));
      l.thumbMoniker.push_back(Text(s, 8));
      l.notes.push_back(Text(s, 9));
      l.soundMoniker.push_back(Text(s, 10));
      l.rating.push_back(sqlite3_column_int(s, 11));
      l.readOnly.push_back(sqlite3_column_int(s, 12) != 0);
      l.rotation.push_back(sqlite3_column_int(s, 13));
    }
    sqlite3_finalize(s);
    rows = l.id.size();
    benchmark::DoNotOptimize(l);
  }
  state.counters["rows"] = static_cast<double>(rows);
}

void BM_Listing_Adapter(benchmark::State& state) { Adapter(state, listing::NAX_SORT_NAME); }
void BM_Listing_Raw(benchmark::State& state) { Raw(state, listing::NAX_SORT_NAME); }
void BM_ListingUnsorted_Adapter(benchmark::State& state) { Adapter(state, listing::NAX_SORT_NONE); }
void BM_ListingUnsorted_Raw(benchmark::State& state) { Raw(state, listing::NAX_SORT_NONE); }

BENCHMARK(BM_Listing_Adapter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Listing_Raw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListingUnsorted_Adapter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListingUnsorted_Raw)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  OpenCatalogue().reset();
  std::error_code ignored;
  fs::remove_all(bench::ScratchRoot("album-listing-bench"), ignored);
  return 0;
}
