// Rebuilding a damaged database file from what can still be read.
//
// The file is checked with integrity_check; when that reports damage, a new
// file beside it gets the schema and, table by table, every row that reads
// back: rows are copied in rowid order and, where reading fails, the copy
// probes further rowids (doubling the step, then narrowing down) for the
// next place the table reads again, so one damaged page costs only its own
// rows. Indexes and triggers are created after the rows; the new file then
// replaces the old one in a single rename.
#pragma once

#include <cstdint>
#include <string>

namespace albumcore::store::dao {

struct RepairReport {
  bool damaged = false;
  int64_t rowsCopied = 0;
  int64_t gapsSkipped = 0;  // places where unreadable rows were passed over
};

// 3024 when the file is missing, 3343 when it is no database at all, 3049
// when not even its schema can be read.
RepairReport RepairFile(const std::string& path);

}  // namespace albumcore::store::dao
