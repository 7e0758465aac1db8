#include "components/file_system/vips_runtime.h"

#include <vips/vips.h>

#include <cstdio>

namespace albumcore::file_system {

bool StartVips() {
  static const bool started = [] {
    if (VIPS_INIT("albumcore") != 0) {
      std::fprintf(stderr, "albumcore: cannot start libvips: %s\n", vips_error_buffer());
      vips_error_clear();
      return false;
    }
    return true;
  }();
  return started;
}

}  // namespace albumcore::file_system
