// The file-information record: what the catalogue learns about a media file
// (sizes, times, and for an image its dimensions, resolution, depth and
// colour space) in the 264-byte layout its callers read.
//
// The caller zeroes the record and sets `recordSize` to 264; bytes the
// component does not fill stay as the caller left them. Times are UTC.
// Image fields come from the file's header only (image_header.h): filling
// the record of a 12-megapixel JPEG costs a header read, not a decode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "com/hresult.h"

namespace albumcore::file_system {

// A calendar time in 16 bytes, fields in this order.
struct SystemTime {
  uint16_t year;
  uint16_t month;      // 1..12
  uint16_t dayOfWeek;  // 0 Sunday
  uint16_t day;
  uint16_t hour;
  uint16_t minute;
  uint16_t second;
  uint16_t milliseconds;
};
static_assert(sizeof(SystemTime) == 16);

struct FileInformationRecord {
  uint32_t recordSize;  // 264, set by the caller
  uint8_t unused4[4];
  int32_t width;   // pixels
  int32_t height;  // pixels
  uint8_t unused16[156];
  int32_t dpi;
  uint8_t unused176[4];
  int32_t bitDepth;  // bits per pixel
  uint8_t unused184[4];
  int32_t colorSpace;  // image_header.h ColorSpace
  uint32_t sizeLow;
  uint32_t sizeHigh;
  uint8_t unused200[4];
  int32_t isImage;  // 1 when the content is an image, whatever the extension
  SystemTime created;
  SystemTime modified;
  uint8_t unused240[24];
};

inline constexpr uint32_t kFileInformationRecordSize = 264;
static_assert(sizeof(FileInformationRecord) == kFileInformationRecordSize);
static_assert(offsetof(FileInformationRecord, width) == 8);
static_assert(offsetof(FileInformationRecord, height) == 12);
static_assert(offsetof(FileInformationRecord, dpi) == 172);
static_assert(offsetof(FileInformationRecord, bitDepth) == 180);
static_assert(offsetof(FileInformationRecord, colorSpace) == 188);
static_assert(offsetof(FileInformationRecord, sizeLow) == 192);
static_assert(offsetof(FileInformationRecord, sizeHigh) == 196);
static_assert(offsetof(FileInformationRecord, isImage) == 204);
static_assert(offsetof(FileInformationRecord, created) == 208);
static_assert(offsetof(FileInformationRecord, modified) == 224);

// Fills the record for the file a moniker names. S_OK; E_POINTER for a null
// record; E_INVALIDARG for a record whose size is not 264 or a moniker that
// names no absolute path; the file statuses of file_status.h (logged) when
// the file is missing or cannot be opened. A folder gets its times only. A
// file whose content is no image, or whose image header is broken (logged),
// gets sizes and times with the image fields left at zero.
com::HRESULT FillFileInformation(std::string_view moniker, FileInformationRecord* record);

// The calendar time (UTC) of a moment in seconds and nanoseconds since 1970;
// all zero outside the years 1601 to 30827 the record can hold.
SystemTime SystemTimeOf(int64_t seconds, int64_t nanoseconds);

}  // namespace albumcore::file_system
