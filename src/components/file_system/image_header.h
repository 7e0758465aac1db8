// What the header of an image file says: size, resolution, depth and colour
// space, read through libvips without decoding a pixel.
//
// The file is sniffed by content, not by name, and only the loaders of
// pictures count (JPEG, PNG, GIF, TIFF, WebP, HEIF/AVIF, JPEG 2000, JPEG XL,
// SVG, the netpbm and Radiance formats, and what ImageMagick reads when its
// loader is installed): a table of numbers that libvips would also open
// (CSV, matrix files) is not an image. Headers are read with sequential
// access from a descriptor the caller opened, so nothing else is opened.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace albumcore::file_system {

// Colour spaces of the file-information record.
enum ColorSpace : int32_t {
  kColorSpaceUnknown = 0,
  kColorSpaceRgb = 1,
  kColorSpaceGrey = 2,
  kColorSpaceCmyk = 3,
  kColorSpaceLab = 4,
  kColorSpaceXyz = 5,
};

struct ImageHeader {
  int32_t width = 0;
  int32_t height = 0;
  int32_t dpi = 0;       // horizontal; 0 when the file does not say
  int32_t bitDepth = 0;  // bits per pixel, all bands
  int32_t colorSpace = kColorSpaceUnknown;
};

// The header of the image open at `fd` (the descriptor stays the caller's);
// nullopt when the file is no image libvips reads or its header is broken
// (`path` names it in what is logged).
std::optional<ImageHeader> ReadImageHeader(int fd, const std::string& path);

}  // namespace albumcore::file_system
