// Calls per second over a real bus: the catalogue server against a bare
// D-Bus object that answers the same shapes of call and does nothing.
//
//   BM_CreateItem_Server   IKivItemCollection.CreateItem of a fresh moniker
//                          whose file does not exist (identity lookup, the
//                          record, the item object, its thumbnail moniker,
//                          OnItemCreated)
//   BM_GetName_Server      IKivItem.get_Name of one item
//   BM_*_Bare              a method with the same arguments and reply on an
//                          sd-bus object of a helper process, on the same bus
//
// The program starts a private dbus-daemon, registers and starts the server
// executable on it with a registry and a library in the bus's folder, and
// forks the bare helper before any thread exists; all of it goes when the
// program ends. Run it from the build folder:
//
//   bench/bus_calls_bench --benchmark_repetitions=3
//
// After the report it prints each server rate over its bare twin's, from
// the fastest repetition in wall time (a round trip waits on two other
// processes, so the caller's CPU time says little).
#include <benchmark/benchmark.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "bus_bench_server.h"
#include "ratio_reporter.h"

namespace {

using albumcore::dbus::WireVariant;

constexpr const char* kBareName = "com.orvane.BusCallsBench.Bare";
constexpr const char* kBarePath = "/bare";
constexpr const char* kBareInterface = "com.orvane.BusCallsBench.Bare";
constexpr double kDay = 45000.0;  // an automation date

// The helper process: the bare object, served until the bench ends.
[[noreturn]] void ServeBare(const std::string& address) {
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  auto connection = sdbus::createSessionBusConnectionWithAddress(address);
  auto object = sdbus::createObject(*connection, kBarePath);
  int32_t next = 0;
  object->registerMethod("CreateItem")
      .onInterface(kBareInterface)
      .implementedAs([&](int32_t, const std::string&, const std::string&, const WireVariant&, const WireVariant&,
                         const std::string&, int32_t, int32_t, const std::string&) {
        return std::make_tuple(uint32_t{0}, ++next);
      });
  object->registerMethod("get_Name").onInterface(kBareInterface).implementedAs([] {
    return std::make_tuple(uint32_t{0}, std::string("bench item"));
  });
  object->finishRegistration();
  connection->requestName(kBareName);
  connection->enterEventLoop();
  std::_Exit(0);
}

// The server with its library, the bare helper, and both kinds of call on
// one connection of their own.
struct Setup {
  pid_t bare = -1;
  std::unique_ptr<bench::BusServer> server;
  std::unique_ptr<sdbus::IConnection> caller;
  std::unique_ptr<bench::Proxy<bench::ki::IKivItemCollection_proxy>> collection;
  std::unique_ptr<bench::Proxy<bench::ki::IKivItem_proxy>> item;
  std::unique_ptr<sdbus::IProxy> bareProxy;
  WireVariant date = bench::WireDate(kDay);
  int serial = 0;

  std::string NextMoniker() { return "file::" + server->directory() + "/absent/" + std::to_string(++serial) + ".jpg"; }

  bool Start() {
    server = std::make_unique<bench::BusServer>([&](const std::string& address) {
      bare = fork();
      if (bare == 0) ServeBare(address);
    });
    if (!server->ok()) return false;
    if (!albumcore::testing::WaitForName(server->address(), kBareName)) return Fail("the bare helper did not start");
    caller = server->Connect();
    collection = std::make_unique<bench::Proxy<bench::ki::IKivItemCollection_proxy>>(*caller, server->collectionPath());
    auto [created, id] = collection->CreateItem(0, NextMoniker(), "", date, date, "bench item", 0, 0, "");
    if (created != 0) return Fail("CreateItem answered " + std::to_string(created));
    auto [instantiated, itemPath] = collection->InstantiateItem(id);
    if (instantiated != 0) return Fail("InstantiateItem answered " + std::to_string(instantiated));
    item = std::make_unique<bench::Proxy<bench::ki::IKivItem_proxy>>(*caller, itemPath);
    bareProxy = sdbus::createProxy(*caller, kBareName, kBarePath);
    return true;
  }

  ~Setup() {
    item.reset();
    collection.reset();
    bareProxy.reset();
    caller.reset();
    // The helper before the bus, which it would otherwise see vanish.
    if (bare > 0) {
      kill(bare, SIGTERM);
      waitpid(bare, nullptr, 0);
    }
    server.reset();
  }

  static bool Fail(const std::string& what) {
    std::fprintf(stderr, "bus_calls_bench: %s\n", what.c_str());
    return false;
  }
};
Setup* setup = nullptr;

void Count(benchmark::State& state) {
  state.counters["calls/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_CreateItem_Server(benchmark::State& state) {
  for (auto _ : state) {
    auto [hr, id] = setup->collection->CreateItem(0, setup->NextMoniker(), "", setup->date, setup->date, "", 0, 0, "");
    if (hr != 0) {
      state.SkipWithError("CreateItem failed");
      break;
    }
    benchmark::DoNotOptimize(id);
  }
  Count(state);
}

void BM_CreateItem_Bare(benchmark::State& state) {
  for (auto _ : state) {
    uint32_t hr = 0;
    int32_t id = 0;
    setup->bareProxy->callMethod("CreateItem")
        .onInterface(kBareInterface)
        .withArguments(int32_t{0}, setup->NextMoniker(), std::string(), setup->date, setup->date, std::string(),
                       int32_t{0}, int32_t{0}, std::string())
        .storeResultsTo(hr, id);
    benchmark::DoNotOptimize(id);
  }
  Count(state);
}

void BM_GetName_Server(benchmark::State& state) {
  for (auto _ : state) {
    auto [hr, name] = setup->item->get_Name();
    benchmark::DoNotOptimize(name);
  }
  Count(state);
}

void BM_GetName_Bare(benchmark::State& state) {
  for (auto _ : state) {
    uint32_t hr = 0;
    std::string name;
    setup->bareProxy->callMethod("get_Name").onInterface(kBareInterface).storeResultsTo(hr, name);
    benchmark::DoNotOptimize(name);
  }
  Count(state);
}

// Twins run back to back, so that both see the same neighbours.
BENCHMARK(BM_CreateItem_Server)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_CreateItem_Bare)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_GetName_Server)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_GetName_Bare)->UseRealTime()->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  Setup s;
  setup = &s;
  if (!s.Start()) return 1;
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter({.ours = "_Server",
                          .twin = "_Bare",
                          .title = "server rate / bare rate (target 0.8 or more):",
                          .realTime = true,
                          .asRates = true});
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
