// The library's operations on whole catalogue files that take long by
// nature (repairing a file, compacting one into another), handed out as
// jobs: each holds copies of everything it needs and touches nothing else,
// so the D-Bus binding can run it on a worker while the main loop goes on
// serving. The library's own RepairDatabase and CompactDatabase run the same
// job at once, on the caller's thread.
//
// A job answers what the slot would: S_OK, or the engine's status (3024 for
// a missing file, 3204 for a compaction target that exists, ...). Making a
// job runs on the main loop; the job itself runs on any one thread.
#pragma once

#include <functional>
#include <string_view>

#include "com/unknown.h"
#include "com/variant.h"

namespace albumcore::typelib {

class ILibraryFileJobs : public virtual com::IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "ILibraryFileJobs";
  using Job = std::function<com::HRESULT()>;

  virtual Job RepairJob(const com::Bstr& bstrName) = 0;
  virtual Job CompactJob(const com::Bstr& bstrSource, const com::Bstr& bstrTarget) = 0;
};

}  // namespace albumcore::typelib
