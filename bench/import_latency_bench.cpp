// How long a client waits for a property read while another client imports
// files into the same library, over a real bus with the real server.
//
//   bench/import_latency_bench [FILES] [--fill]
//
// The program writes one small JPEG with libvips and copies it to FILES
// files (default 10,000), starts a private bus and the server as
// bus_calls_bench does, and creates one item for the reader. Then, on
// connections of their own, the importer calls CreateItem once per file,
// one call after the other (as `albumctl item import` does; with --fill,
// CreateItemEx, which also reads each file's image header), while the
// reader calls get_Name on its item in a loop until the import is done.
// It prints the reader's latency before the import (the same loop alone)
// and during it: median, 99th and 99.9th percentile and the worst, and the
// importer's rate. A latency distribution under load is no Google
// Benchmark measurement, so this is a plain program.
#include <sys/stat.h>
#include <vips/vips.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "bus_bench_server.h"
#include "components/file_system/vips_runtime.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using albumcore::dbus::WireVariant;

constexpr double kDay = 45000.0;

[[noreturn]] void Die(const std::string& what) {
  std::fprintf(stderr, "import_latency_bench: %s\n", what.c_str());
  std::exit(1);
}

// `count` copies of one 160 x 120 JPEG in `folder`, as monikers.
std::vector<std::string> MakeFiles(const fs::path& folder, int count) {
  if (!albumcore::file_system::StartVips()) Die("libvips did not start");
  fs::create_directories(folder);
  const std::string first = (folder / "0.jpg").string();
  VipsImage* image = nullptr;
  if (vips_black(&image, 160, 120, "bands", 3, nullptr) != 0 ||
      vips_image_write_to_file(image, first.c_str(), nullptr) != 0)
    Die("libvips cannot write " + first + ": " + vips_error_buffer());
  g_object_unref(image);
  std::vector<std::string> monikers{"file::" + first};
  for (int i = 1; i < count; ++i) {
    const std::string path = (folder / (std::to_string(i) + ".jpg")).string();
    fs::copy_file(first, path);
    monikers.push_back("file::" + path);
  }
  return monikers;
}

struct Latencies {
  std::vector<double> ms;

  double At(double fraction) const {
    if (ms.empty()) return 0;
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    return sorted[std::min(sorted.size() - 1, static_cast<size_t>(fraction * static_cast<double>(sorted.size())))];
  }
  void Print(const char* what) const {
    std::printf("%-22s %7zu reads  median %.3f ms  p99 %.3f ms  p99.9 %.3f ms  worst %.3f ms\n", what, ms.size(),
                At(0.5), At(0.99), At(0.999), ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()));
  }
};

// get_Name on `item` until `done` (or `count` reads when `done` is null).
Latencies Read(bench::Proxy<bench::ki::IKivItem_proxy>& item, const std::atomic<bool>* done, size_t count) {
  Latencies result;
  while (done ? !done->load() : result.ms.size() < count) {
    const auto start = Clock::now();
    auto [hr, name] = item.get_Name();
    result.ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    if (hr != 0) Die("get_Name answered " + std::to_string(hr));
  }
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  int count = 10000;
  bool fill = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--fill") == 0)
      fill = true;
    else if (std::atoi(argv[i]) > 0)
      count = std::atoi(argv[i]);
    else
      Die(std::string("usage: import_latency_bench [FILES] [--fill]; not ") + argv[i]);
  }

  bench::BusServer server;
  if (!server.ok()) return 1;
  const auto made = Clock::now();
  const std::vector<std::string> files = MakeFiles(fs::path(server.directory()) / "photos", count);
  std::printf("%d files of %ju bytes written in %.1f s\n", count,
              static_cast<uintmax_t>(fs::file_size(fs::path(server.directory()) / "photos" / "0.jpg")),
              std::chrono::duration<double>(Clock::now() - made).count());

  const WireVariant date = bench::WireDate(kDay);
  auto readerConnection = server.Connect();
  bench::Proxy<bench::ki::IKivItemCollection_proxy> readerCollection(*readerConnection, server.collectionPath());
  auto [created, id] = readerCollection.CreateItem(0, "file::" + server.directory() + "/reader.jpg", "", date, date,
                                                   "read me", 0, 0, "");
  if (created != 0) Die("CreateItem answered " + std::to_string(created));
  auto [instantiated, itemPath] = readerCollection.InstantiateItem(id);
  if (instantiated != 0) Die("InstantiateItem answered " + std::to_string(instantiated));
  bench::Proxy<bench::ki::IKivItem_proxy> item(*readerConnection, itemPath);

  Read(item, nullptr, 2000).Print("reader alone");

  std::atomic<bool> done{false};
  double importSeconds = 0;
  int refused = 0;
  std::thread importer([&] {
    auto connection = server.Connect();
    bench::Proxy<bench::ki::IKivItemCollection_proxy> collection(*connection, server.collectionPath());
    const auto start = Clock::now();
    for (const std::string& moniker : files) {
      uint32_t hr = 0;
      if (fill) {
        hr = std::get<0>(collection.CreateItemEx(0, moniker, "", date, date, "", 0, 0, "", sdbus::ObjectPath("/")));
      } else {
        hr = std::get<0>(collection.CreateItem(0, moniker, "", date, date, "", 0, 0, ""));
      }
      if (hr != 0) ++refused;
    }
    importSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    done = true;
  });
  const Latencies during = Read(item, &done, 0);
  importer.join();
  during.Print(fill ? "reader, CreateItemEx" : "reader, CreateItem");
  std::printf("importer: %d files in %.1f s (%.0f files/s), %d not answered S_OK\n", count, importSeconds,
              count / importSeconds, refused);
  return refused == 0 ? 0 : 1;
}
