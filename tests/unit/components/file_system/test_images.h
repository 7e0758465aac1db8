// Images written by libvips for the tests: a real file in a real format.
#pragma once

#include <vips/vips.h>

#include <string>

#include "components/file_system/vips_runtime.h"

namespace albumcore::file_system::testing {

struct ImageSpec {
  int width = 64;
  int height = 48;
  int bands = 3;
  double dpi = 72;  // 0: the file says none
  VipsBandFormat format = VIPS_FORMAT_UCHAR;
  VipsInterpretation interpretation = VIPS_INTERPRETATION_sRGB;
};

// Writes an image of `spec` to `path`; the format follows the suffix, and
// saver options may follow it in brackets ("a.jpg[Q=90]"). False (with the
// libvips message in `error`) when libvips cannot.
inline bool WriteImage(const std::string& path, const ImageSpec& spec, std::string* error = nullptr) {
  if (!StartVips()) return false;
  VipsImage* black = nullptr;
  VipsImage* cast = nullptr;
  VipsImage* image = nullptr;
  const double pixelsPerMillimetre = spec.dpi > 0 ? spec.dpi / 25.4 : 1.0;  // 1: libvips' "not said"
  bool ok = vips_black(&black, spec.width, spec.height, "bands", spec.bands, nullptr) == 0 &&
            vips_cast(black, &cast, spec.format, nullptr) == 0 &&
            vips_copy(cast, &image, "interpretation", spec.interpretation, "xres", pixelsPerMillimetre, "yres",
                      pixelsPerMillimetre, nullptr) == 0 &&
            vips_image_write_to_file(image, path.c_str(), nullptr) == 0;
  if (!ok && error != nullptr) *error = vips_error_buffer();
  vips_error_clear();
  for (VipsImage* im : {black, cast, image}) {
    if (im != nullptr) g_object_unref(im);
  }
  return ok;
}

}  // namespace albumcore::file_system::testing
