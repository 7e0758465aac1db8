// The catalogue store against raw SQLite, on the same file and the same
// work: each adapter benchmark has a raw twin, and the run ends with the
// ratios adapter / raw, in CPU time (the machine may be shared).
//
//   bench/store_bench [--benchmark_filter=...] [--benchmark_repetitions=5]
//
// The stored-query pair: the contract looks a stored query up by name and
// binds its parameters by name on every call, so that a query just changed
// is seen at once. The raw twin does what a program on SQLite alone needs
// for that: it reads the query's text from MSysQueries with a prepared
// statement, keeps its own prepared statement while the text stays the
// same, and binds the parameter by name. BM_StoredQueryNoLookup_Raw runs the
// bare prepared statement only; the run also prints the stored-query call
// against it, which is what a stored-query call costs over doing the work.
//
// The copies of the catalogue are removed when the run ends.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ratio_reporter.h"
#include "store/dao/engine.h"
#include "store/dao/querydef.h"
#include "store/jetsql/connection.h"

namespace {

namespace ac = albumcore;
namespace fs = std::filesystem;

constexpr int kRows = 100000;

std::vector<fs::path>& Copies() {
  static std::vector<fs::path> copies;
  return copies;
}

// A fresh copy of the template catalogue per benchmark.
std::string FreshCatalogue() {
  static int n = 0;
  const fs::path path = fs::temp_directory_path() / ("albumcore-bench-" + std::to_string(getpid()) + "-" +
                                                     std::to_string(n++) + ".db");
  fs::remove(path);
  fs::copy_file(ALBUMCORE_TEMPLATE_DB, path);
  Copies().push_back(path);
  return path.string();
}

void RemoveCopies() {
  std::error_code ignored;
  for (const auto& path : Copies())
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(path.string() + suffix, ignored);
}

struct RawDb {
  explicit RawDb(const std::string& path) {
    sqlite3_open(path.c_str(), &db);
    ac::store::jetsql::ConfigureConnection(db);
  }
  ~RawDb() { sqlite3_close_v2(db); }
  sqlite3* db = nullptr;
};

void RawExec(sqlite3* db, const char* sql) { sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

// Inserts kRows rows with one prepared statement inside one transaction.
void RawInsertRows(sqlite3* db) {
  RawExec(db, "BEGIN");
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db,
                     "INSERT INTO AlbumItems (ItemType, ItemDataMoniker, Name, DateCreated, Rating) "
                     "VALUES (?1, ?2, ?3, ?4, ?5)",
                     -1, &insert, nullptr);
  for (int i = 0; i < kRows; ++i) {
    const std::string moniker = "file::/home/ana/Pictures/img" + std::to_string(i) + ".jpg";
    const std::string name = "Holiday " + std::to_string(i);
    sqlite3_bind_int(insert, 1, i % 3);
    sqlite3_bind_text(insert, 2, moniker.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(insert, 3, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_double(insert, 4, 45000.0 + i / 100.0);
    sqlite3_bind_int(insert, 5, i % 5);
    sqlite3_step(insert);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  RawExec(db, "COMMIT");
}

// A catalogue holding kRows items (for the read benchmarks).
std::string PopulatedCatalogue() {
  static std::string path;
  if (!path.empty()) return path;
  path = FreshCatalogue();
  RawDb raw(path);
  RawInsertRows(raw.db);
  return path;
}

// ---- insert 100,000 rows ------------------------------------------------------

void BM_Insert_Adapter(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    const std::string path = FreshCatalogue();
    auto db = ac::com::MakeObject<ac::store::dao::DBEngine>()->OpenDatabase(path);
    state.ResumeTiming();
    ac::store::dao::Transaction trans(*db);
    auto rs = db->OpenRecordset("AlbumItems", ac::store::dao::dbOpenTable);
    const int type = rs->FindField("ItemType"), moniker = rs->FindField("ItemDataMoniker"),
              name = rs->FindField("Name"), created = rs->FindField("DateCreated"), rating = rs->FindField("Rating");
    for (int i = 0; i < kRows; ++i) {
      rs->AddNew();
      rs->SetValue(type, ac::com::Variant(i % 3));
      rs->SetValue(moniker, ac::com::Variant("file::/home/ana/Pictures/img" + std::to_string(i) + ".jpg"));
      rs->SetValue(name, ac::com::Variant("Holiday " + std::to_string(i)));
      rs->SetValue(created, ac::com::Variant::Date(45000.0 + i / 100.0));
      rs->SetValue(rating, ac::com::Variant(i % 5));
      rs->Update();
    }
    trans.Commit();
  }
}

void BM_Insert_Raw(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    const std::string path = FreshCatalogue();
    RawDb raw(path);
    state.ResumeTiming();
    RawInsertRows(raw.db);
  }
}

// ---- read 100,000 rows back ----------------------------------------------------

constexpr const char* kReadSql = "SELECT ItemID, ItemType, ItemDataMoniker, Name, DateCreated, Rating FROM AlbumItems";

void BM_Read_Adapter(benchmark::State& state) {
  auto db = ac::com::MakeObject<ac::store::dao::DBEngine>()->OpenDatabase(PopulatedCatalogue());
  for (auto _ : state) {
    auto rs = db->OpenRecordset(kReadSql);
    int64_t sum = 0;
    size_t chars = 0;
    for (; !rs->IsEOF(); rs->MoveNext()) {
      sum += rs->GetValue(0).i4() + rs->GetValue(1).i4() + rs->GetValue(5).i4();
      chars += rs->GetValue(2).bstr().str().size() + rs->GetValue(3).bstr().str().size();
      benchmark::DoNotOptimize(rs->GetValue(4).date());
    }
    benchmark::DoNotOptimize(sum + static_cast<int64_t>(chars));
  }
}

void BM_Read_Raw(benchmark::State& state) {
  RawDb raw(PopulatedCatalogue());
  for (auto _ : state) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(raw.db, kReadSql, -1, &stmt, nullptr);
    int64_t sum = 0;
    size_t chars = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      sum += sqlite3_column_int(stmt, 0) + sqlite3_column_int(stmt, 1) + sqlite3_column_int(stmt, 5);
      chars += std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2))).size() +
               std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 3))).size();
      benchmark::DoNotOptimize(sqlite3_column_double(stmt, 4));
    }
    sqlite3_finalize(stmt);
    benchmark::DoNotOptimize(sum + static_cast<int64_t>(chars));
  }
}

// ---- a stored query with a bound parameter, 100,000 times ------------------------

void BM_StoredQuery_Adapter(benchmark::State& state) {
  auto db = ac::com::MakeObject<ac::store::dao::DBEngine>()->OpenDatabase(PopulatedCatalogue());
  for (auto _ : state) {
    int64_t sum = 0;
    for (int i = 1; i <= kRows; ++i) {
      auto query = db->QueryDefs("GetItemRecord");
      query->Parameters("item_id").SetValue(ac::com::Variant(i));
      auto rs = query->OpenRecordset();
      if (!rs->IsEOF()) sum += rs->Fields("ItemType").Value().i4();
    }
    benchmark::DoNotOptimize(sum);
  }
}

void BM_StoredQuery_Raw(benchmark::State& state) {
  RawDb raw(PopulatedCatalogue());
  sqlite3_stmt* lookup = nullptr;
  sqlite3_prepare_v2(raw.db, "SELECT SQL FROM MSysQueries WHERE Name = ?1 COLLATE NOCASE", -1, &lookup, nullptr);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(raw.db, "SELECT * FROM AlbumItems WHERE ItemID = :item_id", -1, &stmt, nullptr);
  std::string preparedFor;  // the stored text `stmt` stands for
  for (auto _ : state) {
    int64_t sum = 0;
    for (int i = 1; i <= kRows; ++i) {
      sqlite3_bind_text(lookup, 1, "GetItemRecord", -1, SQLITE_STATIC);
      if (sqlite3_step(lookup) != SQLITE_ROW) {
        state.SkipWithError("no stored query GetItemRecord");
        break;
      }
      const std::string_view text(reinterpret_cast<const char*>(sqlite3_column_text(lookup, 0)),
                                  static_cast<size_t>(sqlite3_column_bytes(lookup, 0)));
      // A changed text would be prepared anew here (it is Jet SQL, which
      // only the adapter translates; in this run it never changes).
      if (text != preparedFor) preparedFor = text;
      sqlite3_reset(lookup);
      sqlite3_bind_int(stmt, sqlite3_bind_parameter_index(stmt, ":item_id"), i);
      if (sqlite3_step(stmt) == SQLITE_ROW) sum += sqlite3_column_int(stmt, 1);
      sqlite3_reset(stmt);
    }
    benchmark::DoNotOptimize(sum);
  }
  sqlite3_finalize(stmt);
  sqlite3_finalize(lookup);
}

void BM_StoredQueryNoLookup_Raw(benchmark::State& state) {
  RawDb raw(PopulatedCatalogue());
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(raw.db, "SELECT * FROM AlbumItems WHERE ItemID = ?1", -1, &stmt, nullptr);
  for (auto _ : state) {
    int64_t sum = 0;
    for (int i = 1; i <= kRows; ++i) {
      sqlite3_bind_int(stmt, 1, i);
      if (sqlite3_step(stmt) == SQLITE_ROW) sum += sqlite3_column_int(stmt, 1);
      sqlite3_reset(stmt);
    }
    benchmark::DoNotOptimize(sum);
  }
  sqlite3_finalize(stmt);
}

// ---- list rows matching a LIKE pattern ----------------------------------------------

void BM_Like_Adapter(benchmark::State& state) {
  auto db = ac::com::MakeObject<ac::store::dao::DBEngine>()->OpenDatabase(PopulatedCatalogue());
  for (auto _ : state) {
    auto rs = db->OpenRecordset("SELECT ItemID, Name FROM AlbumItems WHERE Name LIKE \"*day 9*\"");
    int64_t n = 0;
    for (; !rs->IsEOF(); rs->MoveNext()) n += rs->GetValue(0).i4();
    benchmark::DoNotOptimize(n);
  }
}

void BM_Like_Raw(benchmark::State& state) {
  RawDb raw(PopulatedCatalogue());
  for (auto _ : state) {
    sqlite3_stmt* stmt = nullptr;
    // SQLite's own case-insensitive LIKE, before the connection replaced it.
    sqlite3_prepare_v2(raw.db, "SELECT ItemID, Name FROM AlbumItems WHERE Name GLOB '*day 9*'", -1, &stmt, nullptr);
    int64_t n = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) n += sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    benchmark::DoNotOptimize(n);
  }
}

BENCHMARK(BM_Insert_Adapter)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Insert_Raw)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Read_Adapter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Read_Raw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoredQuery_Adapter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoredQuery_Raw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoredQueryNoLookup_Raw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Like_Adapter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Like_Raw)->Unit(benchmark::kMillisecond);

// Adds the cost of a stored query looked up by name over the bare statement.
class StoreReporter : public RatioReporter {
 public:
  void Finalize() override {
    RatioReporter::Finalize();
    const double call = Time("BM_StoredQuery_Adapter"), bare = Time("BM_StoredQueryNoLookup_Raw");
    if (call > 0 && bare > 0) std::printf("stored-query call / bare statement: %.2fx\n", call / bare);
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  StoreReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  RemoveCopies();
  return 0;
}
