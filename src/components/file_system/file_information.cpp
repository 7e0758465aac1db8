#include "components/file_system/file_information.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <optional>
#include <string>

#include "components/file_system/file_moniker.h"
#include "components/file_system/file_status.h"
#include "components/file_system/unique_fd.h"
#include "components/file_system/image_header.h"

namespace albumcore::file_system {

namespace {

constexpr int kFirstYear = 1601;
constexpr int kLastYear = 30827;

// Birth time where the file system keeps one, else the last modification
// (the oldest time Linux is sure to know). Some file systems (overlays of
// container images) say they keep it and answer zero.
statx_timestamp CreationTime(const struct statx& st) {
  const bool born = (st.stx_mask & STATX_BTIME) != 0 && (st.stx_btime.tv_sec != 0 || st.stx_btime.tv_nsec != 0);
  return born ? st.stx_btime : st.stx_mtime;
}

}  // namespace

SystemTime SystemTimeOf(int64_t seconds, int64_t nanoseconds) {
  SystemTime out{};
  const time_t t = static_cast<time_t>(seconds);
  struct tm parts;
  if (::gmtime_r(&t, &parts) == nullptr) return out;
  const long long year = static_cast<long long>(parts.tm_year) + 1900;
  if (year < kFirstYear || year > kLastYear) return out;
  out.year = static_cast<uint16_t>(year);
  out.month = static_cast<uint16_t>(parts.tm_mon + 1);
  out.dayOfWeek = static_cast<uint16_t>(parts.tm_wday);
  out.day = static_cast<uint16_t>(parts.tm_mday);
  out.hour = static_cast<uint16_t>(parts.tm_hour);
  out.minute = static_cast<uint16_t>(parts.tm_min);
  out.second = static_cast<uint16_t>(parts.tm_sec);
  out.milliseconds = static_cast<uint16_t>(nanoseconds / 1000000);
  return out;
}

com::HRESULT FillFileInformation(std::string_view moniker, FileInformationRecord* record) {
  if (record == nullptr) return com::E_POINTER;
  if (record->recordSize != kFileInformationRecordSize) return com::E_INVALIDARG;
  std::string path;
  if (PathOfFileMoniker(moniker, path) != com::S_OK) return com::E_INVALIDARG;

  // O_NONBLOCK: a FIFO named by a moniker must not hang the call.
  UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) return LogFailure("cannot open", path, errno);
  struct statx st;
  if (::statx(file.get(), "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &st) != 0) {
    return LogFailure("cannot look at", path, errno);
  }

  const statx_timestamp created = CreationTime(st);
  record->created = SystemTimeOf(created.tv_sec, created.tv_nsec);
  record->modified = SystemTimeOf(st.stx_mtime.tv_sec, st.stx_mtime.tv_nsec);
  if (!S_ISREG(st.stx_mode)) return com::S_OK;
  record->sizeLow = static_cast<uint32_t>(st.stx_size);
  record->sizeHigh = static_cast<uint32_t>(st.stx_size >> 32);

  if (const std::optional<ImageHeader> header = ReadImageHeader(file.get(), path)) {
    record->width = header->width;
    record->height = header->height;
    record->dpi = header->dpi;
    record->bitDepth = header->bitDepth;
    record->colorSpace = header->colorSpace;
    record->isImage = 1;
  }
  return com::S_OK;
}

}  // namespace albumcore::file_system
