// DBEngine: opens catalogue files and maintains them as a whole.
//
// The engine's limits (sql_limits.h) hold for every database it opens: the
// server sets them from its registry values before opening anything; the
// default (a time budget, files reachable with the process's own rights)
// suits the offline tool.
#pragma once

#include <string>
#include <string_view>

#include "com/unknown.h"
#include "store/dao/database.h"
#include "store/dao/repair.h"
#include "store/dao/sql_limits.h"

namespace albumcore::store::dao {

class DBEngine final : public com::ComObject {
 public:
  static constexpr std::string_view kInterfaceName = "_DBEngine";

  // For databases opened from now on.
  void SetLimits(SqlLimits limits) { limits_ = std::move(limits); }
  const SqlLimits& limits() const { return limits_; }

  // Shared; read-write unless `access` says ReadOnly, which leaves the file
  // byte for byte as it was (writes then raise 3027). 3024 when the file
  // does not exist, 3343 when it is not a database.
  com::ComPtr<Database> OpenDatabase(const std::string& path, Access access = Access::ReadWrite);

  // The path under which a file a client named may be opened or attached,
  // checked as IN "file" in SQL text is (external_files.h): the server's
  // own operations over a client's file (copying from an old catalogue,
  // merging) ask this first. 3024 for a file the limits do not reach.
  std::string ReachableFile(const std::string& path) const;

  // Writes a compacted copy of `source` to `target`: a new file beside the
  // target, synced, then renamed into place, so `target` is either absent or
  // complete. 3204 when `target` exists (which includes target == source),
  // 3024 when `source` does not.
  void CompactDatabase(const std::string& source, const std::string& target);

  // Checks the file and, when it is damaged, rebuilds it from every row its
  // pages still hold, keeps the damaged original beside it and replaces the
  // file in one rename (repair.h). The report says what was kept.
  RepairReport RepairDatabase(const std::string& path);

 private:
  SqlLimits limits_;
};

}  // namespace albumcore::store::dao
