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
#include "listing_catalogue.h"
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
  bench::MakeAlbumCatalogue(path.string(), kItems, kAlbumId);
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

void Raw(benchmark::State& state, uint32_t sortField) {
  auto& db = Catalogue();
  const std::string sql = db.session()->Translate(ListingSql(sortField))->sql;
  size_t rows = 0;
  for (auto _ : state) {
    bench::RawListing l;
    if (!bench::ReadRawListing(db.session()->db(), sql, l)) {
      state.SkipWithError(sqlite3_errmsg(db.session()->db()));
      break;
    }
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
