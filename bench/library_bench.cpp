// Opening and closing a library of 100,000 items through the table of open
// libraries (the session, the three shared collections, the upgrade check
// and, at close, the compaction that replaces the file), beside raw SQLite
// opening the same file and writing it compacted with VACUUM INTO followed
// by the same rename, in the same run.
//
//   bench/library_bench [--benchmark_repetitions=3]
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "components/file_system/file_system_component.h"
#include "library/library_table.h"
#include "ratio_reporter.h"
#include "store/jetsql/connection.h"

namespace {

namespace ac = albumcore;
namespace fs = std::filesystem;

constexpr int kItems = 100000;

const fs::path& Root() {
  static const fs::path root = [] {
    fs::path p = fs::temp_directory_path() / ("albumcore-library-bench-" + std::to_string(getpid()));
    fs::remove_all(p);
    fs::create_directories(p);
    return p;
  }();
  return root;
}

void Exec(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::fprintf(stderr, "setup failed: %s\n  in %s\n", error ? error : "?", sql.c_str());
    std::exit(1);
  }
}

// A catalogue of kItems photo items with their photo rows, made once.
std::string Catalogue(const std::string& name) {
  const std::string path = (Root() / name).string();
  if (fs::exists(path)) return path;
  fs::copy_file(ALBUMCORE_TEMPLATE_DB, path);
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  ac::store::jetsql::ConfigureConnection(db);
  Exec(db, "BEGIN");
  Exec(db, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(kItems) +
               ") INSERT INTO AlbumItems (ItemID, ItemType, ItemDataMoniker, ItemThumbMoniker, Name, DateModified) "
               "SELECT i, 0, 'file::/photos/' || i || '.jpg', 'file::/photos/' || i || '.jpg', 'Photo ' || i, "
               "45000.5 FROM n");
  Exec(db, "INSERT INTO PhotoItem (ItemID, cx, cy) SELECT ItemID, 640, 480 FROM AlbumItems");
  Exec(db, "COMMIT");
  sqlite3_close_v2(db);
  return path;
}

void BM_OpenClose_Adapter(benchmark::State& state) {
  const std::string path = Catalogue("adapter.db");
  ac::file_system::FileSystemComponent files;
  ac::library::LibraryTableSettings settings;
  settings.library.registryPath = (Root() / "machine.reg").string();
  settings.library.services.files = &files;
  settings.templatePath = ALBUMCORE_TEMPLATE_DB;
  settings.files = &files;
  ac::library::LibraryTable table(settings);
  for (auto _ : state) {
    ac::com::ComPtr<ac::com::IUnknown> library;
    if (table.Open(ac::com::Bstr(path), false, &library) != ac::com::S_OK) {
      state.SkipWithError("Open failed");
      return;
    }
    library.reset();
    table.Close(ac::com::Bstr(path));
  }
}

void BM_OpenClose_Raw(benchmark::State& state) {
  const std::string path = Catalogue("raw.db");
  const std::string compacted = path + "1";
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    ac::store::jetsql::ConfigureConnection(db);
    Exec(db, "PRAGMA journal_mode=WAL");
    Exec(db, "SELECT count(*) FROM MSysQueries");
    sqlite3_close_v2(db);
    sqlite3_open(path.c_str(), &db);
    ac::store::jetsql::ConfigureConnection(db);  // the catalogue's collation
    Exec(db, "VACUUM INTO '" + compacted + "'");
    sqlite3_close_v2(db);
    fs::rename(compacted, path);
  }
}

BENCHMARK(BM_OpenClose_Adapter)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_OpenClose_Raw)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

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
