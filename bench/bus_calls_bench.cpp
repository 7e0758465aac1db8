// Calls per second over a real bus: the catalogue server against a bare
// D-Bus object that answers the same shapes of call and does nothing.
//
//   BM_CreateItem_Server   IKivItemCollection.CreateItem of a fresh moniker
//                          whose file does not exist (the record and the
//                          item object, no file reading)
//   BM_GetName_Server      IKivItem.get_Name of one item
//   BM_*_Bare              a method with the same arguments and reply on an
//                          object of a helper process, on the same bus
//
// The program starts a private dbus-daemon, registers and starts the server
// executable on it with a registry and a library in a temporary folder, and
// forks the bare helper before any thread exists; all of it goes when the
// program ends. Run it by hand from the build folder:
//
//   bench/bus_calls_bench --benchmark_repetitions=3
//
// After the report it prints each server rate over its bare twin's, from
// the fastest repetition in wall time (a round trip waits on two other
// processes, so CPU time of the caller says little).
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "IKivItemCollection_proxy.h"
#include "IKivItem_proxy.h"
#include "client/lib_factory.h"
#include "client/library.h"
#include "client/session.h"
#include "private_bus.h"

namespace {

using albumcore::testing::ChildProcess;
using albumcore::testing::PrivateBus;
using albumcore::dbus::WireVariant;
namespace ki = ::com::orvane::KIVALBUMCORELib;

constexpr const char* kServerName = "com.orvane.AlbumCore9";
constexpr const char* kBareName = "com.orvane.BusCallsBench.Bare";
constexpr const char* kBarePath = "/bare";
constexpr const char* kBareInterface = "com.orvane.BusCallsBench.Bare";
constexpr double kDay = 45000.0;  // an automation date

template <class Interface>
class Proxy final : public sdbus::ProxyInterfaces<Interface> {
 public:
  Proxy(sdbus::IConnection& connection, const std::string& destination, const std::string& path)
      : sdbus::ProxyInterfaces<Interface>(connection, destination, path) {
    this->registerProxy();
  }
  ~Proxy() { this->unregisterProxy(); }
};

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

// What every benchmark shares: the bus, the server with one library open,
// its item collection and one item, and the bare helper.
struct Setup {
  std::unique_ptr<PrivateBus> bus;
  pid_t bare = -1;
  std::unique_ptr<ChildProcess> server;
  std::shared_ptr<albumcore::client::Session> session;
  std::unique_ptr<albumcore::client::Library> library;
  std::unique_ptr<sdbus::IConnection> caller;
  std::unique_ptr<Proxy<ki::IKivItemCollection_proxy>> collection;
  std::unique_ptr<Proxy<ki::IKivItem_proxy>> item;
  std::unique_ptr<sdbus::IProxy> bareProxy;
  WireVariant date;
  int serial = 0;

  std::string NextMoniker() { return "file://" + bus->directory() + "/absent/" + std::to_string(++serial) + ".jpg"; }
};
Setup* setup = nullptr;

bool Fail(const std::string& what) {
  std::fprintf(stderr, "bus_calls_bench: %s\n", what.c_str());
  return false;
}

bool Start(Setup& s) {
  s.bus = std::make_unique<PrivateBus>();
  // The helper first, while this process has one thread.
  s.bare = fork();
  if (s.bare == 0) ServeBare(s.bus->address());
  const std::map<std::string, std::string> env = {{"DBUS_SESSION_BUS_ADDRESS", s.bus->address()},
                                                  {"ALBUMCORE_REGISTRY", s.bus->directory() + "/machine.reg"},
                                                  {"XDG_DATA_HOME", s.bus->directory()},
                                                  {"XDG_CACHE_HOME", s.bus->directory()}};
  ChildProcess registration({ALBUMCORE_SERVER, "/RegServer"}, env, true);
  const std::string said = registration.ReadAll();
  if (registration.WaitExitCode() != 0) return Fail("registration failed: " + said);
  s.server = std::make_unique<ChildProcess>(std::vector<std::string>{ALBUMCORE_SERVER}, env, true);
  if (!albumcore::testing::WaitForName(s.bus->address(), kServerName)) return Fail("the server did not start");
  if (!albumcore::testing::WaitForName(s.bus->address(), kBareName)) return Fail("the bare helper did not start");

  s.session = albumcore::client::Session::Connect(s.bus->address());
  albumcore::client::LibFactory factory(s.session);
  albumcore::com::ComPtr<albumcore::client::RemoteObject> object;
  if (factory.Open(s.bus->directory() + "/bench.db", &object) != albumcore::com::S_OK)
    return Fail("the library did not open");
  s.library = std::make_unique<albumcore::client::Library>(s.session, object);
  albumcore::com::ComPtr<albumcore::client::RemoteObject> collection;
  if (s.library->ItemCollection(collection) != albumcore::com::S_OK) return Fail("no item collection");

  // Both kinds of call go out on one connection of their own.
  s.caller = sdbus::createSessionBusConnectionWithAddress(s.bus->address());
  s.collection = std::make_unique<Proxy<ki::IKivItemCollection_proxy>>(*s.caller, kServerName, collection->path());
  s.date = albumcore::dbus::EncodeVariant(albumcore::com::Variant::Date(kDay), nullptr);
  auto [created, id] = s.collection->CreateItem(0, s.NextMoniker(), "", s.date, s.date, "bench item", 0, 0, "");
  if (created != 0) return Fail("CreateItem answered " + std::to_string(created));
  auto [instantiated, itemPath] = s.collection->InstantiateItem(id);
  if (instantiated != 0) return Fail("InstantiateItem answered " + std::to_string(instantiated));
  s.item = std::make_unique<Proxy<ki::IKivItem_proxy>>(*s.caller, kServerName, itemPath);
  s.bareProxy = sdbus::createProxy(*s.caller, kBareName, kBarePath);
  return true;
}

void Stop(Setup& s) {
  s.item.reset();
  s.collection.reset();
  s.bareProxy.reset();
  s.caller.reset();
  s.library.reset();
  s.session.reset();
  if (s.server) {
    s.server->Signal(SIGTERM);
    s.server->Wait();
  }
  if (s.bare > 0) {
    kill(s.bare, SIGTERM);
    waitpid(s.bare, nullptr, 0);
  }
  s.bus.reset();
}

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

BENCHMARK(BM_CreateItem_Server)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_CreateItem_Bare)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_GetName_Server)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_GetName_Bare)->UseRealTime()->MinTime(2.0);

// The console report, then each *_Server rate over its *_Bare twin's, from
// the fastest repetition in wall time.
class RateReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const auto& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const double time = run.GetAdjustedRealTime();
      auto [it, first] = times_.try_emplace(run.run_name.function_name, time);
      if (!first) it->second = std::min(it->second, time);
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nserver rate / bare rate (target 0.8 or more):\n");
    for (const auto& [name, time] : times_) {
      const auto at = name.find("_Server");
      if (at == std::string::npos) continue;
      auto twin = times_.find(name.substr(0, at) + "_Bare");
      if (twin == times_.end() || time <= 0) continue;
      std::printf("  %-12s %.2f  (%.0f vs %.0f calls/s)\n", name.substr(3, at - 3).c_str(), twin->second / time,
                  1e9 / time, 1e9 / twin->second);
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  Setup s;
  setup = &s;
  if (!Start(s)) {
    Stop(s);
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  RateReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  Stop(s);
  return 0;
}
