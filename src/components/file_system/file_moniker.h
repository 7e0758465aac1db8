// The path a file moniker names.
//
// The component's operations take "file::/home/ana/a.jpg" or the plain
// absolute path: the path of a moniker, as the moniker splitter gives it.
// Another protocol's moniker, or what is not an absolute POSIX path (a relative or Windows-style one, an
// empty one, one longer than PATH_MAX or holding a NUL) names no file the
// component can reach: E_INVALIDARG, so that a wrong argument never becomes
// a lookup relative to the server's working folder.
#pragma once

#include <string>
#include <string_view>

#include "com/hresult.h"

namespace albumcore::file_system {

inline constexpr std::string_view kFileProtocol = "file::";

// The path of `moniker` into `path`; S_OK or E_INVALIDARG.
com::HRESULT PathOfFileMoniker(std::string_view moniker, std::string& path);

}  // namespace albumcore::file_system
