#include "components/file_system/file_moniker.h"

#include <climits>
#include <utility>

#include "items/monikers/file_monikers.h"
#include "items/monikers/moniker_protocols.h"
#include "items/monikers/moniker_splitter.h"

namespace albumcore::file_system {

com::HRESULT PathOfFileMoniker(std::string_view moniker, std::string& path) {
  namespace monikers = items::monikers;
  // Another protocol's moniker names no file, whatever its path looks like.
  const monikers::MonikerSplitter parts(moniker, monikers::kSplitAll);
  if (!parts.GetProtocol().empty() && parts.GetProtocol() != monikers::kFileProtocol) return com::E_INVALIDARG;
  std::string candidate = monikers::FileSystemPathOf(moniker);
  if (candidate.empty() || candidate.front() != '/' || candidate.size() >= PATH_MAX ||
      candidate.find('\0') != std::string::npos) {
    return com::E_INVALIDARG;
  }
  path = std::move(candidate);
  return com::S_OK;
}

}  // namespace albumcore::file_system
