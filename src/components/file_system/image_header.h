// What the header of an image file says: size, resolution, depth and colour
// space, read through libvips without decoding a pixel.
//
// The format is told from the file's content, not its name, by the picture
// loaders only (JPEG, PNG, WebP, HEIF/AVIF, TIFF, GIF, JPEG XL, JPEG 2000,
// SVG, netpbm): a table of numbers libvips would also open (CSV, matrix) is
// no image, and no loader whose test reads a whole file is asked, so a 5 GB
// video costs a few small reads. The header is read by that loader with
// sequential access from the descriptor the caller opened; no pixel is
// decoded. BMP and other formats libvips reads only through ImageMagick are
// not recognised (ImageMagick would claim text and video too).
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
