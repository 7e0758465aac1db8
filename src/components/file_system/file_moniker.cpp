#include "components/file_system/file_moniker.h"

#include <climits>

namespace albumcore::file_system {

com::HRESULT PathOfFileMoniker(std::string_view moniker, std::string& path) {
  if (moniker.starts_with(kFileProtocol)) moniker.remove_prefix(kFileProtocol.size());
  if (moniker.empty() || moniker.front() != '/' || moniker.size() >= PATH_MAX ||
      moniker.find('\0') != std::string_view::npos) {
    return com::E_INVALIDARG;
  }
  path.assign(moniker);
  return com::S_OK;
}

}  // namespace albumcore::file_system
