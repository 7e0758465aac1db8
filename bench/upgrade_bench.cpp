// What the upgrade of older catalogues costs at open, next to opening alone.
//
//   bench/upgrade_bench [--benchmark_filter=...]
//
// BM_Open                      opening a catalogue (the baseline)
// BM_Upgrade_Template          both upgrade passes on the template: the
//                              check every open pays on an up-to-date file
// BM_Upgrade_UpgradedV1        the same on a file of the first layout that
//                              was upgraded before (its rebuilt tables no
//                              longer have the declaration's exact text)
// BM_DeclaredLayout            reading the declaration from the embedded
//                              scripts, once per process
// BM_Upgrade_V1_10000Items     the one-time upgrade of a first-layout file
//                              holding 10,000 items
//
// The catalogue copies are removed when the run ends.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "store/catalogue/schema_upgrade.h"
#include "store/dao/engine.h"
#include "store/schema/catalogue_builder.h"
#include "store/schema/declared_layout.h"

namespace {

namespace ac = albumcore;
namespace fs = std::filesystem;
using ac::store::catalogue::ConnectTimeUpgrade;
using ac::store::catalogue::OpenTimeUpgrade;

const fs::path& Dir() {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / ("albumcore-upgrade-bench-" + std::to_string(getpid()));
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

std::string Copy(const fs::path& from) {
  static int n = 0;
  const fs::path to = Dir() / ("copy" + std::to_string(n++) + ".db");
  fs::copy_file(from, to);
  return to.string();
}

std::string FirstLayout(int items) {
  static int n = 0;
  const fs::path path = Dir() / ("v1-" + std::to_string(n++) + ".db");
  ac::store::schema::BuildCatalogue({ac::store::schema::ReadLayoutScript(ALBUMCORE_V1_LAYOUT)}, path);
  auto db = ac::com::MakeObject<ac::store::dao::DBEngine>()->OpenDatabase(path.string());
  ac::store::dao::Transaction trans(*db);
  for (int i = 0; i < items; ++i)
    db->Execute("INSERT INTO AlbumItems (ItemType, ItemDataMoniker, Name) VALUES (0, \"file::/p/" +
                std::to_string(i) + ".jpg\", \"Holiday " + std::to_string(i) + "\")");
  trans.Commit();
  return path.string();
}

void UpgradeBoth(ac::store::dao::Database& db) {
  if (!ConnectTimeUpgrade(db).ok() || !OpenTimeUpgrade(db).ok()) std::abort();
}

void BM_Open(benchmark::State& state) {
  const std::string path = Copy(ALBUMCORE_TEMPLATE_DB);
  for (auto _ : state) benchmark::DoNotOptimize(ac::com::MakeObject<ac::store::dao::DBEngine>()->OpenDatabase(path));
}

void UpgradeLoop(benchmark::State& state, const std::string& path) {
  auto db = ac::com::MakeObject<ac::store::dao::DBEngine>()->OpenDatabase(path);
  UpgradeBoth(*db);
  for (auto _ : state) UpgradeBoth(*db);
}

void BM_Upgrade_Template(benchmark::State& state) { UpgradeLoop(state, Copy(ALBUMCORE_TEMPLATE_DB)); }

void BM_Upgrade_UpgradedV1(benchmark::State& state) { UpgradeLoop(state, FirstLayout(0)); }

void BM_DeclaredLayout(benchmark::State& state) {
  const auto scripts = ac::store::schema::CurrentLayoutScripts();
  for (auto _ : state) ac::store::schema::DeclaredLayout layout(scripts);
}

void BM_Upgrade_V1_10000Items(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto db = ac::com::MakeObject<ac::store::dao::DBEngine>()->OpenDatabase(FirstLayout(10000));
    ac::store::schema::DeclaredLayout::Current();
    state.ResumeTiming();
    UpgradeBoth(*db);
  }
}

}  // namespace

BENCHMARK(BM_Open)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Upgrade_Template)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Upgrade_UpgradedV1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DeclaredLayout)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Upgrade_V1_10000Items)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  fs::remove_all(Dir(), ignored);
  return 0;
}
