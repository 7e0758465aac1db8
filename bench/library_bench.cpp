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
#include "bench_catalogue.h"
#include "ratio_reporter.h"
#include "store/jetsql/connection.h"

namespace {

namespace ac = albumcore;
namespace fs = std::filesystem;

constexpr int kItems = 100000;

const fs::path& Root() { return bench::ScratchRoot("library-bench"); }

// A catalogue of kItems photo items with their photo rows, made once.
std::string Catalogue(const std::string& name) {
  const std::string path = (Root() / name).string();
  if (fs::exists(path)) return path;
  fs::copy_file(ALBUMCORE_TEMPLATE_DB, path);
  bench::FillWithPhotos(path, kItems);
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
    bench::Exec(db, "PRAGMA journal_mode=WAL");
    bench::Exec(db, "SELECT count(*) FROM MSysQueries");
    sqlite3_close_v2(db);
    sqlite3_open(path.c_str(), &db);
    ac::store::jetsql::ConfigureConnection(db);  // the catalogue's collation
    bench::Exec(db, "VACUUM INTO '" + compacted + "'");
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
