// File steps of compaction and repair: a temporary sibling, fsync, rename.
#pragma once

#include <string>

namespace albumcore::store::dao {

bool PathExists(const std::string& path);
// A name beside `path` that does not exist yet.
std::string TemporarySibling(const std::string& path);
// Flushes the file to disk, renames it over `target` and flushes the
// directory; raises 3043 on failure (the temporary file is removed).
void SyncAndRename(const std::string& temporary, const std::string& target);
// Removes "-wal", "-shm" and "-journal" files left beside a database.
void RemoveSideFiles(const std::string& path);

}  // namespace albumcore::store::dao
