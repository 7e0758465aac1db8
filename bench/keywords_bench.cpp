// The keyword collections on a large catalogue: 100,000 items carrying four
// of 1,000 keywords each, made with raw inserts in one transaction.
//
//   bench/keywords_bench [--benchmark_repetitions=5]
//
// BM_CoAssigned_Adapter asks GetAllAssignedKeywords for the keywords
// co-assigned with three chosen ones (the nested IN statement, through the
// translator); BM_CoAssigned_Raw runs a hand-written SQLite query with the
// same answer on the same connection. The run ends with the ratio, in CPU
// time, of the fastest repetitions. BM_BindTenThousand times one Bind of a
// new keyword to 10,000 items (one statement, one OnKeywordsReBound).
//
// The copy of the catalogue is removed when the run ends.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <numeric>
#include <string>
#include <vector>

#include "ratio_reporter.h"
#include "events/subscription.h"
#include "store/dao/engine.h"
#include "tagging/keywords/lum_keywords_library.h"

namespace {

namespace ac = albumcore;
namespace fs = std::filesystem;
using ac::com::Variant;

constexpr int kItems = 100000;
constexpr int kKeywords = 1000;

// Item i carries keywords i % 10, 10 + i % 90, 100 + i % 900 and one more
// spread over 100..999 (IDs are these numbers + 1). The chosen three, 1,
// 11 and 101, meet on the 112 items with i % 900 == 0, which carry 113
// other keywords between them.
const std::vector<int32_t> kChosen = {1, 11, 101};

void Exec(sqlite3* db, const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    std::fprintf(stderr, "%s: %s\n", sql, error ? error : "?");
    sqlite3_free(error);
    std::exit(1);
  }
}

void Step(sqlite3* db, sqlite3_stmt* stmt) {
  if (sqlite3_step(stmt) != SQLITE_DONE) {
    std::fprintf(stderr, "populating: %s\n", sqlite3_errmsg(db));
    std::exit(1);
  }
  sqlite3_reset(stmt);
}

void Populate(sqlite3* db) {
  Exec(db, "BEGIN");
  sqlite3_stmt* item = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO AlbumItems (ItemID, ItemType, Name) VALUES (?1, ?2, ?3)", -1, &item, nullptr);
  for (int i = 0; i < kItems; ++i) {
    const std::string name = "Item " + std::to_string(i);
    sqlite3_bind_int(item, 1, i + 1);
    sqlite3_bind_int(item, 2, i % 3);
    sqlite3_bind_text(item, 3, name.c_str(), -1, SQLITE_TRANSIENT);
    Step(db, item);
  }
  sqlite3_finalize(item);
  sqlite3_stmt* keyword = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO Keywords (KeywordID, KeywordName) VALUES (?1, ?2)", -1, &keyword, nullptr);
  for (int k = 0; k < kKeywords; ++k) {
    const std::string name = "Keyword " + std::to_string((k * 7919) % kKeywords);
    sqlite3_bind_int(keyword, 1, k + 1);
    sqlite3_bind_text(keyword, 2, name.c_str(), -1, SQLITE_TRANSIENT);
    Step(db, keyword);
  }
  sqlite3_finalize(keyword);
  sqlite3_stmt* assign = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO AssignedKeywords (ItemID, KeywordID) VALUES (?1, ?2)", -1, &assign, nullptr);
  for (int i = 0; i < kItems; ++i) {
    for (int k : {i % 10, 10 + i % 90, 100 + i % 900, 100 + (i + i * 7 / 900) % 900}) {
      sqlite3_bind_int(assign, 1, i + 1);
      sqlite3_bind_int(assign, 2, k + 1);
      Step(db, assign);
    }
  }
  sqlite3_finalize(assign);
  Exec(db, "COMMIT");
}

std::string& CataloguePath() {
  static std::string path;
  return path;
}

ac::com::ComPtr<ac::store::dao::Database>& OpenCatalogue() {
  static ac::com::ComPtr<ac::store::dao::Database> db;
  return db;
}

// The populated catalogue, opened once for the whole run.
ac::com::ComPtr<ac::store::dao::Database> Catalogue() {
  auto& db = OpenCatalogue();
  if (db) return db;
  const fs::path path = fs::temp_directory_path() / ("albumcore-keywords-bench-" + std::to_string(getpid()) + ".db");
  fs::remove(path);
  fs::copy_file(ALBUMCORE_TEMPLATE_DB, path);
  CataloguePath() = path.string();
  db = ac::com::MakeObject<ac::store::dao::DBEngine>()->OpenDatabase(path.string());
  Populate(db->session()->db());
  return db;
}

void RemoveCatalogue() {
  OpenCatalogue().reset();
  std::error_code ignored;
  if (!CataloguePath().empty())
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(CataloguePath() + suffix, ignored);
}

ac::com::ComPtr<ac::tagging::keywords::LumKeywordsLibrary> Library() {
  auto library = ac::com::MakeObject<ac::tagging::keywords::LumKeywordsLibrary>();
  library->Connect(Catalogue().get(), 0, nullptr);
  return library;
}

Variant IdArray(std::vector<int32_t> ids) {
  return Variant(ac::com::SafeArray::FromVector(ac::com::VT_I4, std::move(ids)));
}

// ---- keywords co-assigned with three chosen ones --------------------------------

void BM_CoAssigned_Adapter(benchmark::State& state) {
  auto library = Library();
  size_t rows = 0;
  for (auto _ : state) {
    Variant ids = IdArray(kChosen), names;
    if (library->GetAllAssignedKeywords("0,1,2", &ids, &names) != ac::com::S_OK) {
      state.SkipWithError("GetAllAssignedKeywords failed");
      break;
    }
    rows = ids.array().size();
    benchmark::DoNotOptimize(names);
  }
  state.counters["rows"] = static_cast<double>(rows);
}

// What a program on SQLite alone would write: the items carrying all three
// as a join, their other keywords, by name.
constexpr const char* kCoAssignedSql =
    "SELECT k.KeywordID, k.KeywordName FROM Keywords k WHERE k.KeywordID IN ("
    " SELECT a.KeywordID FROM AssignedKeywords a WHERE a.ItemID IN ("
    "  SELECT a0.ItemID FROM AssignedKeywords a0"
    "  JOIN AssignedKeywords a1 ON a1.ItemID = a0.ItemID AND a1.KeywordID = ?2"
    "  JOIN AssignedKeywords a2 ON a2.ItemID = a0.ItemID AND a2.KeywordID = ?3"
    "  JOIN AlbumItems i ON i.ItemID = a0.ItemID"
    "  WHERE a0.KeywordID = ?1 AND i.ItemType IN (0,1,2))"
    " AND a.KeywordID NOT IN (?1, ?2, ?3))"
    " ORDER BY k.KeywordName";

void BM_CoAssigned_Raw(benchmark::State& state) {
  sqlite3* db = Catalogue()->session()->db();
  size_t rows = 0;
  for (auto _ : state) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, kCoAssignedSql, -1, &stmt, nullptr);
    for (int i = 0; i < 3; ++i) sqlite3_bind_int(stmt, i + 1, kChosen[static_cast<size_t>(i)]);
    std::vector<int32_t> ids;
    std::vector<std::string> names;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      ids.push_back(sqlite3_column_int(stmt, 0));
      names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)));
    }
    sqlite3_finalize(stmt);
    rows = ids.size();
    benchmark::DoNotOptimize(names);
  }
  state.counters["rows"] = static_cast<double>(rows);
}

// ---- one keyword bound to 10,000 items in one call ---------------------------------

class CountingSink final : public ac::typelib::AlbumCoreEventsSink {
 public:
  ac::com::HRESULT OnKeywordsReBound() override {
    ++rebound;
    return ac::com::S_OK;
  }
  int rebound = 0;
};

void BM_BindTenThousand(benchmark::State& state) {
  auto library = Library();
  auto sink = ac::com::MakeObject<CountingSink>();
  ac::events::Subscription listen(library.get(), "IKivAlbumCoreEvents", sink.get());
  std::vector<int32_t> items(10000);
  std::iota(items.begin(), items.end(), 50001);
  const Variant itemIds = IdArray(items);
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    int32_t keyword = -1;
    library->Create("Bench keyword " + std::to_string(n++), &keyword);
    const int before = sink->rebound;
    state.ResumeTiming();
    if (library->Bind(itemIds, IdArray({keyword})) != ac::com::S_OK || sink->rebound != before + 1) {
      state.SkipWithError("Bind failed or fired other than one event");
      break;
    }
  }
}

BENCHMARK(BM_CoAssigned_Adapter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CoAssigned_Raw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BindTenThousand)->Unit(benchmark::kMillisecond)->Iterations(20);


}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  RemoveCatalogue();
  return 0;
}
