// The full listing (GetAlbumItems3) of an album of 100,000 photo items,
// sorted by name, where a client meets it, in one run:
//
//   bench/album_bus_bench --benchmark_repetitions=5
//
// BM_Listing_InProcess  the album object in this process: the library opened
//                       through the table of open libraries, GetAlbum once,
//                       then GetAlbumItems3 into the fourteen arrays.
// BM_Listing_Raw        SQLite alone running the translation of the same Jet
//                       text on the same connection, reading the same
//                       columns into vectors.
// BM_Listing_Bus        the real server on a private bus: the client
//                       library's Album::Items, reply decoded into columns.
// BM_Transfer_Bus       the bare cost of moving the same arrays: a plain
//                       sd-bus method of a helper process answers the
//                       listing's wire values, encoded once, and the caller
//                       reads them as the generated proxy does.
//
// Each catalogue is a copy of its own. Times are wall-clock (the server and
// the helper are other processes). The run ends with in-process / raw and
// bus / (raw + transfer), over the fastest repetitions.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "albums/listing/listing.h"
#include "bus_bench_server.h"
#include "client/albums.h"
#include "components/file_system/file_system_component.h"
#include "library/library_table.h"
#include "listing_catalogue.h"
#include "ratio_reporter.h"
#include "store/dao/engine.h"
#include "typelib/kiv_album.h"
#include "typelib/kiv_library.h"

namespace {

namespace ac = albumcore;
namespace listing = ac::albums::listing;
namespace fs = std::filesystem;

constexpr int kItems = 100000;
constexpr int32_t kAlbumId = kItems + 1;
constexpr const char* kEchoName = "com.orvane.AlbumBusBench.Echo";
constexpr const char* kEchoPath = "/listing";
constexpr const char* kEchoInterface = "com.orvane.AlbumBusBench.Echo";

using Wire = ac::dbus::WireVariant;
using Columns = std::array<Wire, 14>;

const fs::path& Root() { return bench::ScratchRoot("album-bus-bench"); }

// The album in this process, from a catalogue copy of its own.
class LocalAlbum {
 public:
  explicit LocalAlbum(const std::string& catalogue) {
    ac::library::LibraryTableSettings settings;
    settings.library.registryPath = (Root() / ("local-" + std::to_string(getpid()) + ".reg")).string();
    settings.library.services.files = &files_;
    settings.templatePath = ALBUMCORE_TEMPLATE_DB;
    settings.files = &files_;
    table_ = std::make_unique<ac::library::LibraryTable>(settings);
    ac::com::ComPtr<ac::com::IUnknown> object, album, database;
    if (table_->Open(ac::com::Bstr(catalogue), false, &object) != ac::com::S_OK) return;
    auto library = ac::com::QueryInterface<ac::typelib::IKivLibrary>(object);
    if (!library) return;
    library->GetAlbum(kAlbumId, &album);
    library->get_Database(&database);
    album_ = ac::com::QueryInterface<ac::typelib::IKivAlbum>(album);
    database_ = ac::com::QueryInterface<ac::store::dao::Database>(database);
  }
  ~LocalAlbum() {
    album_.reset();
    database_.reset();
    table_.reset();
  }

  bool ok() const { return album_ && database_; }
  ac::store::dao::Database& database() { return *database_; }
  ac::com::HRESULT List(ac::typelib::ItemListingArrays& a, ac::com::Variant& readOnly) {
    return album_->GetAlbumItems3(ac::com::Bstr(""), listing::NAX_SORT_NAME, listing::NAX_SORT_ASCENDING, &a,
                                  &readOnly);
  }

 private:
  ac::file_system::FileSystemComponent files_;
  std::unique_ptr<ac::library::LibraryTable> table_;
  ac::com::ComPtr<ac::typelib::IKivAlbum> album_;
  ac::com::ComPtr<ac::store::dao::Database> database_;
};

// The helper process: lists its own copy once, encodes the arrays in the
// reply's order and answers them to every call until the bench ends.
[[noreturn]] void ServeEcho(const std::string& address, const std::string& catalogue) {
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  Columns columns;
  {
    LocalAlbum album(catalogue);
    ac::typelib::ItemListingArrays a;
    ac::com::Variant readOnly;
    if (!album.ok() || album.List(a, readOnly) != ac::com::S_OK) {
      std::fprintf(stderr, "echo helper: no listing of %s\n", catalogue.c_str());
      std::_Exit(1);
    }
    const ac::com::Variant* order[] = {&a.id,           &a.name,         &a.type,    &a.moniker, &a.dateCreated,
                                       &a.dateModified, &a.size,         &a.bigSize, &a.thumbMoniker,
                                       &a.rotation,     &a.soundMoniker, &a.notes,   &a.rating,  &readOnly};
    for (size_t i = 0; i < columns.size(); ++i) columns[i] = ac::dbus::EncodeVariant(*order[i], nullptr);
  }
  auto connection = sdbus::createSessionBusConnectionWithAddress(address);
  auto object = sdbus::createObject(*connection, kEchoPath);
  object->registerMethod("List").onInterface(kEchoInterface).implementedAs([&columns] {
    const auto& c = columns;
    return std::make_tuple(uint32_t{0}, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[9], c[10], c[11],
                           c[12], c[13]);
  });
  object->finishRegistration();
  connection->requestName(kEchoName);
  connection->enterEventLoop();
  std::_Exit(0);
}

// Everything the four benchmarks use, made before any of them runs.
struct Setup {
  pid_t echo = -1;
  std::unique_ptr<bench::BusServer> server;
  std::shared_ptr<ac::client::Session> session;
  std::unique_ptr<ac::client::LibFactory> factory;
  std::unique_ptr<ac::client::Album> album;
  std::unique_ptr<sdbus::IProxy> echoProxy;
  std::unique_ptr<LocalAlbum> local;
  std::string served;

  static bool Fail(const std::string& what) {
    std::fprintf(stderr, "album_bus_bench: %s\n", what.c_str());
    return false;
  }

  bool Start() {
    // One catalogue made, then copied: the album in process, the server's
    // and the helper's each open a file of their own.
    const std::string made = (Root() / "made.db").string();
    bench::MakeAlbumCatalogue(made, kItems, kAlbumId);
    served = (Root() / "served.db").string();
    const std::string echoed = (Root() / "echo.db").string(), own = (Root() / "local.db").string();
    for (const auto& copy : {served, echoed, own}) fs::copy_file(made, copy);

    // The helper is forked while this process has one thread.
    server = std::make_unique<bench::BusServer>([&](const std::string& address) {
      echo = fork();
      if (echo == 0) ServeEcho(address, echoed);
    });
    if (!server->ok()) return false;
    if (!ac::testing::WaitForName(server->address(), kEchoName)) return Fail("the echo helper did not start");

    session = ac::client::Session::Connect(server->address());
    factory = std::make_unique<ac::client::LibFactory>(session);
    ac::com::ComPtr<ac::client::RemoteObject> libraryObject, albumObject;
    if (factory->Open(served, &libraryObject) != ac::com::S_OK) return Fail("the server did not open " + served);
    ac::client::Library library(session, libraryObject);
    if (library.GetAlbum(kAlbumId, albumObject) != ac::com::S_OK || !albumObject)
      return Fail("the server hands out no album " + std::to_string(kAlbumId));
    album = std::make_unique<ac::client::Album>(session, albumObject);
    echoProxy = sdbus::createProxy(session->connection(), kEchoName, kEchoPath);
    echoProxy->finishRegistration();

    local = std::make_unique<LocalAlbum>(own);
    if (!local->ok()) return Fail("no album in process");
    return true;
  }

  ~Setup() {
    echoProxy.reset();
    album.reset();
    if (factory) factory->Close(served);
    factory.reset();
    session.reset();
    local.reset();
    // The helper before the bus, which it would otherwise see vanish.
    if (echo > 0) {
      kill(echo, SIGTERM);
      waitpid(echo, nullptr, 0);
    }
    server.reset();
    std::error_code ignored;
    fs::remove_all(Root(), ignored);
  }
};

Setup* setup = nullptr;

void BM_Listing_InProcess(benchmark::State& state) {
  size_t rows = 0;
  for (auto _ : state) {
    ac::typelib::ItemListingArrays a;
    ac::com::Variant readOnly;
    if (setup->local->List(a, readOnly) != ac::com::S_OK) return state.SkipWithError("GetAlbumItems3 failed");
    rows = a.id.array().size();
    benchmark::DoNotOptimize(a);
  }
  state.counters["rows"] = static_cast<double>(rows);
}

void BM_Listing_Raw(benchmark::State& state) {
  auto& db = setup->local->database();
  const std::string jet = listing::BuildListingQuery(listing::ListingKind::PlainAlbum, kAlbumId, -1, {},
                                                     listing::NAX_SORT_NAME, listing::NAX_SORT_ASCENDING);
  const std::string sql = db.session()->Translate(jet)->sql;
  size_t rows = 0;
  for (auto _ : state) {
    bench::RawListing l;
    if (!bench::ReadRawListing(db.session()->db(), sql, l)) return state.SkipWithError(sqlite3_errmsg(db.session()->db()));
    rows = l.id.size();
    benchmark::DoNotOptimize(l);
  }
  state.counters["rows"] = static_cast<double>(rows);
}

void BM_Listing_Bus(benchmark::State& state) {
  size_t rows = 0;
  for (auto _ : state) {
    ac::client::AlbumListing l;
    if (setup->album->Items(ac::client::ListingRequest(), l) != ac::com::S_OK) return state.SkipWithError("Items failed");
    rows = l.size();
    benchmark::DoNotOptimize(l);
  }
  state.counters["rows"] = static_cast<double>(rows);
}

void BM_Transfer_Bus(benchmark::State& state) {
  size_t rows = 0;
  for (auto _ : state) {
    uint32_t hr = 1;
    Columns w;
    setup->echoProxy->callMethod("List").onInterface(kEchoInterface).storeResultsTo(
        hr, w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7], w[8], w[9], w[10], w[11], w[12], w[13]);
    rows = w[0].get<1>().get<std::vector<int32_t>>().size();
    benchmark::DoNotOptimize(w);
  }
  state.counters["rows"] = static_cast<double>(rows);
}

BENCHMARK(BM_Listing_InProcess)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Listing_Raw)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Listing_Bus)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Transfer_Bus)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Setup s;
  setup = &s;
  if (!s.Start()) return 1;
  RatioReporter reporter({.ours = "_InProcess",
                          .twin = "_Raw",
                          .title = "in process / raw SQLite (target 1.5x or less):",
                          .realTime = true,
                          .asRates = false});
  benchmark::RunSpecifiedBenchmarks(&reporter);
  // In milliseconds, the benchmarks' unit.
  const double raw = reporter.Time("BM_Listing_Raw"), bus = reporter.Time("BM_Listing_Bus"),
               transfer = reporter.Time("BM_Transfer_Bus");
  if (raw > 0 && bus > 0 && transfer > 0)
    std::printf("over D-Bus / (raw + bare transfer) (target 1.5x or less):\n  Listing        %.2fx  (%.1f ms against "
                "%.1f + %.1f ms)\n",
                bus / (raw + transfer), bus, raw, transfer);
  benchmark::Shutdown();
  return 0;
}
