// Rebuilding a damaged database file from every row its pages still hold.
//
// The log is folded into the file and the file checked with integrity_check;
// an intact file is left alone. A damaged one is read page by page
// (page_salvage.h), not through its damaged b-trees, so rows whose tree was
// cut off (an overwritten root, a zeroed interior page) are found and, by
// their shape, given back to their table. A new file beside it gets the
// layout (tables and indexes first, so rows that now break a unique index are
// refused one by one rather than losing the index), then the rows, the
// AutoNumber counters (never lower than before), the views and triggers, and
// the header's user version and application id. The damaged original is
// kept as "<file>.damaged" (replacing the one an earlier repair kept), so a
// better tool can still read what this one could not; then the new file
// replaces the old one in a single rename.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace albumcore::store::dao {

struct TableRepair {
  std::string table;
  int64_t kept = 0;
  // Rows the file shows existed (their cells, their index entries) that the
  // repaired file does not hold.
  int64_t lost = 0;
  // Rows kept whose values on lost overflow pages are left empty (NULL).
  int64_t incomplete = 0;
};

struct RepairReport {
  bool damaged = false;  // false: the file was intact and left alone
  std::vector<TableRepair> tables;  // in the file's schema order
  int64_t unplacedRows = 0;  // rows of lost pages whose shape names no table
  std::vector<std::string> notRestored;  // schema objects that could not be made again, and why
  std::string damagedCopy;  // where the damaged original was kept

  int64_t rowsKept() const;
  int64_t rowsLost() const;
};

// 3024 when the file is missing, 3343 when it is no database at all, 3049
// when not even its schema can be read, 3043 when the new file cannot be
// written; the file is then left as it was.
RepairReport RepairFile(const std::string& path);

}  // namespace albumcore::store::dao
