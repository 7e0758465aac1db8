// DBEngine: opens catalogue files and maintains them as a whole.
#pragma once

#include <string>
#include <string_view>

#include "com/unknown.h"
#include "store/dao/database.h"

namespace albumcore::store::dao {

class DBEngine final : public com::ComObject {
 public:
  static constexpr std::string_view kInterfaceName = "_DBEngine";

  // Read-write, shared. 3024 when the file does not exist, 3343 when it is
  // not a database.
  com::ComPtr<Database> OpenDatabase(const std::string& path);

  // Writes a compacted copy of `source` to `target`: a new file beside the
  // target, synced, then renamed into place, so `target` is either absent or
  // complete. 3204 when `target` exists (which includes target == source),
  // 3024 when `source` does not.
  void CompactDatabase(const std::string& source, const std::string& target);

  // Checks the file and, when it is damaged, rebuilds it from every row
  // that can still be read, replacing the file in one rename.
  void RepairDatabase(const std::string& path);
};

}  // namespace albumcore::store::dao
