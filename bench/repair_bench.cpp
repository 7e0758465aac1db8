// Repair of a catalogue of 32,768 items (16 MB), timed from the damaged
// file to the repaired one in place: the check, the page-by-page salvage,
// the rebuild and the synced rename.
//
//   bench/repair_bench
//
// OverwrittenRoot: the AlbumItems root page is garbage, so every item is on
// a lost page and is placed by its shape. ZeroedPages: 200 pages chosen at
// random (outside the schema) are zeros.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "store/dao/engine.h"
#include "store/jetsql/connection.h"

namespace {

namespace fs = std::filesystem;
namespace ac = albumcore;

constexpr uint32_t kPageSize = 4096;

struct RawDb {
  explicit RawDb(const std::string& path) {
    sqlite3_open(path.c_str(), &db);
    ac::store::jetsql::ConfigureConnection(db);
  }
  ~RawDb() { sqlite3_close_v2(db); }
  uint32_t Number(const char* sql) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    const uint32_t n = sqlite3_step(s) == SQLITE_ROW ? static_cast<uint32_t>(sqlite3_column_int64(s, 0)) : 0;
    sqlite3_finalize(s);
    return n;
  }
  sqlite3* db = nullptr;
};

const fs::path& Filled() {
  static const fs::path path = [] {
    const fs::path p = fs::temp_directory_path() / ("albumcore-repair-bench-" + std::to_string(getpid()) + ".db");
    fs::copy_file(ALBUMCORE_TEMPLATE_DB, p, fs::copy_options::overwrite_existing);
    RawDb raw(p.string());
    sqlite3_exec(raw.db,
                 "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 32768) "
                 "INSERT INTO AlbumItems (ItemID, ItemType, ItemDataMoniker, Name, Note, DateCreated, DataXML) "
                 "SELECT i, i % 3, 'file::/photos/' || i || '.jpg', 'item ' || i, printf('%0200d', i), 45000.5 + i, "
                 "CASE WHEN i % 97 = 0 THEN hex(zeroblob(3000)) END FROM n;"
                 "INSERT INTO AlbumContents (AlbumID, ItemID) SELECT ItemID % 50 + 1, ItemID FROM AlbumItems;",
                 nullptr, nullptr, nullptr);
    return p;
  }();
  return path;
}

void WritePages(const std::string& path, const std::vector<uint32_t>& pages, char fill) {
  std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
  const std::string bytes(kPageSize, fill);
  for (const uint32_t pgno : pages) {
    f.seekp(static_cast<std::streamoff>(pgno - 1) * kPageSize);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
}

std::vector<uint32_t> RootOfItems() {
  RawDb raw(Filled().string());
  return {raw.Number("SELECT rootpage FROM sqlite_schema WHERE name = 'AlbumItems'")};
}

std::vector<uint32_t> ZeroedPages() {
  RawDb raw(Filled().string());
  std::vector<uint32_t> pages;
  sqlite3_stmt* s = nullptr;
  sqlite3_prepare_v2(raw.db, "SELECT pageno FROM dbstat WHERE name <> 'sqlite_schema'", -1, &s, nullptr);
  while (sqlite3_step(s) == SQLITE_ROW) pages.push_back(static_cast<uint32_t>(sqlite3_column_int64(s, 0)));
  sqlite3_finalize(s);
  std::mt19937 random(20240611);
  std::shuffle(pages.begin(), pages.end(), random);
  pages.resize(200);
  return pages;
}

void Repair(benchmark::State& state, const std::vector<uint32_t>& pages, char fill) {
  const std::string path = Filled().string() + ".work";
  auto engine = ac::com::MakeObject<ac::store::dao::DBEngine>();
  int64_t kept = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fs::copy_file(Filled(), path, fs::copy_options::overwrite_existing);
    WritePages(path, pages, fill);
    state.ResumeTiming();
    kept = engine->RepairDatabase(path).rowsKept();
  }
  state.counters["rows_kept"] = static_cast<double>(kept);
  for (const char* suffix : {"", ".damaged"}) fs::remove(path + suffix);
}

void BM_Repair_OverwrittenRoot(benchmark::State& state) { Repair(state, RootOfItems(), '\xA5'); }
void BM_Repair_ZeroedPages(benchmark::State& state) { Repair(state, ZeroedPages(), '\0'); }

BENCHMARK(BM_Repair_OverwrittenRoot)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Repair_ZeroedPages)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::remove(Filled());
  return 0;
}
