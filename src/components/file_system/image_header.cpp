#include "components/file_system/image_header.h"

#include <vips/vips.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "components/file_system/vips_runtime.h"

namespace albumcore::file_system {

namespace {

// The libvips loaders of pictures, asked in this order whether a file is
// theirs. Left out: the Radiance loader, whose test reads a whole file that
// is not its own (seconds for a large video); ImageMagick's, which claims
// text, documents and video through its delegates; CSV and matrix files.
constexpr std::array<const char*, 10> kPictureLoaders{
    "jpegload_source", "pngload_source", "webpload_source", "heifload_source", "tiffload_source",
    "gifload_source",  "jxlload_source", "jp2kload_source", "svgload_source",  "ppmload_source"};

constexpr double kMillimetresPerInch = 25.4;
constexpr const char* kPaletteBitDepth = "palette-bit-depth";
constexpr double kUnsaidPixelsPerMillimetre = 1.0;

// The loader of the picture in `source`, or null when it is none. A loader
// this libvips lacks answers no.
const char* PictureLoaderOf(VipsSource* source) {
  for (const char* loader : kPictureLoaders) {
    if (vips_foreign_is_a_source(loader, source)) return loader;
  }
  vips_error_clear();
  return nullptr;
}

int32_t ColorSpaceOf(VipsInterpretation interpretation) {
  switch (interpretation) {
    case VIPS_INTERPRETATION_sRGB:
    case VIPS_INTERPRETATION_RGB:
    case VIPS_INTERPRETATION_RGB16:
    case VIPS_INTERPRETATION_scRGB:
    case VIPS_INTERPRETATION_HSV: return kColorSpaceRgb;
    case VIPS_INTERPRETATION_B_W:
    case VIPS_INTERPRETATION_GREY16: return kColorSpaceGrey;
    case VIPS_INTERPRETATION_CMYK: return kColorSpaceCmyk;
    case VIPS_INTERPRETATION_LAB:
    case VIPS_INTERPRETATION_LABQ:
    case VIPS_INTERPRETATION_LABS:
    case VIPS_INTERPRETATION_LCH:
    case VIPS_INTERPRETATION_CMC: return kColorSpaceLab;
    case VIPS_INTERPRETATION_XYZ:
    case VIPS_INTERPRETATION_YXY: return kColorSpaceXyz;
    default: return kColorSpaceUnknown;
  }
}

// Drops a GObject reference on every way out.
template <class T>
struct Unref {
  T* object;
  ~Unref() {
    if (object != nullptr) g_object_unref(object);
  }
};

}  // namespace

std::optional<ImageHeader> ReadImageHeader(int fd, const std::string& path) {
  if (!StartVips()) return std::nullopt;
  Unref<VipsSource> source{vips_source_new_from_descriptor(fd)};
  if (source.object == nullptr) {
    std::fprintf(stderr, "albumcore file system: cannot read %s: %s\n", path.c_str(), vips_error_buffer());
    vips_error_clear();
    return std::nullopt;
  }
  const char* loader = PictureLoaderOf(source.object);
  if (loader == nullptr) return std::nullopt;
  VipsImage* opened = nullptr;
  if (vips_call(loader, source.object, &opened, "access", VIPS_ACCESS_SEQUENTIAL, nullptr) != 0) {
    const char* reason = vips_error_buffer();
    std::fprintf(stderr, "albumcore file system: the image header of %s is unreadable: %s\n", path.c_str(),
                 *reason != '\0' ? reason : "(libvips gives no reason)");
    vips_error_clear();
    return std::nullopt;
  }
  Unref<VipsImage> image{opened};
  VipsImage* im = image.object;
  ImageHeader header;
  header.width = vips_image_get_width(im);
  header.height = vips_image_get_height(im);
  const double pixelsPerMillimetre = vips_image_get_xres(im);
  // libvips answers 1 pixel per millimetre for a file that gives no
  // resolution (WebP, GIF, JPEG without density); 25 DPI is never a real one.
  if (pixelsPerMillimetre > 0 && pixelsPerMillimetre != kUnsaidPixelsPerMillimetre && pixelsPerMillimetre < 1e6) {
    header.dpi = static_cast<int32_t>(std::lround(pixelsPerMillimetre * kMillimetresPerInch));
  }
  // A palette image counts the bits of its indices, as it is stored, not of
  // the colours libvips expands it to.
  int paletteBits = 0;
  if (vips_image_get_typeof(im, kPaletteBitDepth) != 0 && vips_image_get_int(im, kPaletteBitDepth, &paletteBits) == 0 &&
      paletteBits > 0) {
    header.bitDepth = paletteBits;
    header.colorSpace = ColorSpaceOf(vips_image_get_interpretation(im));
    return header;
  }
  const int64_t bits = int64_t{vips_image_get_bands(im)} * vips_format_sizeof(vips_image_get_format(im)) * 8;
  header.bitDepth = static_cast<int32_t>(std::min<int64_t>(bits, INT32_MAX));
  header.colorSpace = ColorSpaceOf(vips_image_get_interpretation(im));
  return header;
}

}  // namespace albumcore::file_system
