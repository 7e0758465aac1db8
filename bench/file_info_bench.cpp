// The file-information record of 1,000 photos of 12 megapixels: one
// 4000x3000 JPEG of noise (as large as a camera's), written by libvips and
// hard-linked 1,000 times, so the disk holds one file.
//
//   bench/file_info_bench [--benchmark_repetitions=5]
//
// BM_FillRecord fills the record of the 1,000 files, one per iteration, so
// its time is the time per file (sizes, times, the image header through
// libvips). BM_FullDecode decodes one of them completely (every pixel,
// averaged so none is skipped): what filling the record would cost if it
// decoded. The run ends with the ratio of the two.
//
// The files are removed when the run ends.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <vips/vips.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "components/file_system/file_information.h"
#include "components/file_system/vips_runtime.h"

namespace {

namespace fs = std::filesystem;
namespace fsys = albumcore::file_system;

constexpr int kFiles = 1000;
constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

void Die(const char* what) {
  std::fprintf(stderr, "file_info_bench: %s: %s\n", what, vips_error_buffer());
  std::exit(1);
}

class Photos {
 public:
  Photos() {
    if (!fsys::StartVips()) Die("libvips");
    char pattern[] = "/tmp/albumcore-file-info-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) Die("mkdtemp");
    folder_ = pattern;
    const std::string first = folder_ + "/photo0000.jpg";
    VipsImage* noise = nullptr;
    VipsImage* bytes = nullptr;
    VipsImage* rgb = nullptr;
    if (vips_gaussnoise(&noise, kWidth, kHeight, "mean", 128.0, "sigma", 30.0, nullptr) != 0 ||
        vips_cast(noise, &bytes, VIPS_FORMAT_UCHAR, nullptr) != 0 ||
        vips_bandjoin_const1(bytes, &rgb, 128.0, nullptr) != 0) {
      Die("making the image");
    }
    VipsImage* three = nullptr;
    if (vips_bandjoin_const1(rgb, &three, 64.0, nullptr) != 0 ||
        vips_image_write_to_file(three, first.c_str(), "Q", 90, nullptr) != 0) {
      Die("writing the JPEG");
    }
    for (VipsImage* im : {noise, bytes, rgb, three}) g_object_unref(im);
    paths_.push_back(first);
    for (int i = 1; i < kFiles; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "/photo%04d.jpg", i);
      paths_.push_back(folder_ + name);
      fs::create_hard_link(first, paths_.back());
    }
    std::printf("%d hard links to one %.1f MB JPEG of %dx%d\n", kFiles, fs::file_size(first) / 1e6, kWidth,
                kHeight);
  }
  ~Photos() {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }
  const std::vector<std::string>& paths() const { return paths_; }

 private:
  std::string folder_;
  std::vector<std::string> paths_;
};

const Photos& ThePhotos() {
  static const Photos photos;
  return photos;
}

double g_fillNs = 0;
double g_decodeNs = 0;

void BM_FillRecord(benchmark::State& state) {
  const std::vector<std::string>& paths = ThePhotos().paths();
  size_t next = 0;
  for (auto _ : state) {
    fsys::FileInformationRecord record;
    std::memset(&record, 0, sizeof record);
    record.recordSize = fsys::kFileInformationRecordSize;
    if (fsys::FillFileInformation("file::" + paths[next], &record) != 0 || record.width != kWidth) {
      state.SkipWithError("record not filled");
      break;
    }
    benchmark::DoNotOptimize(record);
    next = (next + 1) % paths.size();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FillRecord)->Iterations(kFiles)->Unit(benchmark::kMicrosecond);

void BM_FullDecode(benchmark::State& state) {
  const std::string& path = ThePhotos().paths().front();
  for (auto _ : state) {
    VipsImage* image = vips_image_new_from_file(path.c_str(), "access", VIPS_ACCESS_SEQUENTIAL, nullptr);
    double average = 0;
    if (image == nullptr || vips_avg(image, &average, nullptr) != 0) Die("decoding");
    benchmark::DoNotOptimize(average);
    g_object_unref(image);
  }
}
BENCHMARK(BM_FullDecode)->Unit(benchmark::kMillisecond);

// Collects the per-iteration times of both to print their ratio.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
      const double ns = run.real_accumulated_time * 1e9 / static_cast<double>(run.iterations);
      const std::string name = run.benchmark_name();
      if (name.starts_with("BM_FillRecord")) g_fillNs = g_fillNs == 0 ? ns : std::min(g_fillNs, ns);
      if (name.starts_with("BM_FullDecode")) g_decodeNs = g_decodeNs == 0 ? ns : std::min(g_decodeNs, ns);
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  if (g_fillNs > 0 && g_decodeNs > 0) {
    std::printf("record: %.1f us per file; full decode: %.1f ms; a decode costs %.0f records\n", g_fillNs / 1e3,
                g_decodeNs / 1e6, g_decodeNs / g_fillNs);
  }
  benchmark::Shutdown();
  return 0;
}
