#include "components/file_system/image_header.h"

#include <vips/vips.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "components/file_system/vips_runtime.h"

namespace albumcore::file_system {

namespace {

// The libvips loaders whose files are pictures.
constexpr std::array<std::string_view, 12> kPictureLoaders{
    "jpegload_source", "pngload_source", "gifload_source", "tiffload_source", "webpload_source",
    "heifload_source", "jp2kload_source", "jxlload_source", "svgload_source", "ppmload_source",
    "radload_source",  "magickload_source"};

constexpr double kMillimetresPerInch = 25.4;

bool IsPictureLoader(const char* loader) {
  for (std::string_view name : kPictureLoaders) {
    if (name == loader) return true;
  }
  return false;
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
  const char* loader = vips_foreign_find_load_source(source.object);
  if (loader == nullptr || !IsPictureLoader(loader)) {
    vips_error_clear();  // "not a known format": an answer, not a failure
    return std::nullopt;
  }
  Unref<VipsImage> image{vips_image_new_from_source(source.object, "", "access", VIPS_ACCESS_SEQUENTIAL, nullptr)};
  if (image.object == nullptr) {
    std::fprintf(stderr, "albumcore file system: the image header of %s is unreadable: %s\n", path.c_str(),
                 vips_error_buffer());
    vips_error_clear();
    return std::nullopt;
  }
  VipsImage* im = image.object;
  ImageHeader header;
  header.width = vips_image_get_width(im);
  header.height = vips_image_get_height(im);
  const double pixelsPerMillimetre = vips_image_get_xres(im);
  if (pixelsPerMillimetre > 0 && pixelsPerMillimetre < 1e6) {
    header.dpi = static_cast<int32_t>(std::lround(pixelsPerMillimetre * kMillimetresPerInch));
  }
  header.bitDepth = vips_image_get_bands(im) * static_cast<int32_t>(vips_format_sizeof(vips_image_get_format(im))) * 8;
  header.colorSpace = ColorSpaceOf(vips_image_get_interpretation(im));
  return header;
}

}  // namespace albumcore::file_system
