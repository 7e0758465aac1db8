// Finds every row a damaged database file still holds, by its pages rather
// than through its b-trees alone (page_reader.h reads the pages).
//
//   1. The schema comes from page 1's tree; when that tree is damaged, also
//      from lost pages whose rows are schema rows.
//   2. Each table's tree is walked from its root; every row it reaches goes
//      to that table. Index trees are walked for the rowids they list, which
//      tell how many rows of their table existed.
//   3. Table pages no tree reaches (and that are not free) are lost pages.
//      Lost interior pages gather the pages below them into one group,
//      since a subtree belongs to one table; the rows of a group go to the
//      table whose shape fits them best: field count, the INTEGER PRIMARY
//      KEY stored as NULL, value types against column affinities. Where two
//      tables fit equally, a table whose tree was damaged wins; where that
//      does not decide, the rows stay unplaced.
//
// Every walk is iterative and visits a page at most once, so a damaged file
// cannot make it loop or recurse.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/dao/page_reader.h"

namespace albumcore::store::dao {

struct SchemaRow {
  std::string type;   // table, index, view, trigger
  std::string name;
  std::string table;  // the table an index or trigger belongs to
  uint32_t root = 0;
  std::string sql;    // empty for indexes SQLite made for a constraint
};

enum class Affinity : uint8_t { Integer, Text, Blob, Real, Numeric };
// SQLite's rule for the affinity of a declared column type.
Affinity AffinityOf(std::string_view declaredType);

struct TableShape {
  std::string name;
  uint32_t root = 0;
  std::vector<Affinity> columns;
  int rowidColumn = -1;  // the INTEGER PRIMARY KEY, which records hold as NULL
};

// Where recovered rows go; `table` indexes the shapes given to Run.
// `partial`: values on lost overflow pages are NULL (page_reader.h).
class RowSink {
 public:
  virtual void Put(size_t table, int64_t rowid, const Record& values, bool partial) = 0;

 protected:
  ~RowSink() = default;
};

struct SalvageCounts {
  // Per table: every rowid its cells or its indexes show existed, sorted.
  std::vector<std::vector<int64_t>> knownRowids;
  int64_t unplacedRows = 0;  // rows of lost pages whose shape names no table
};

class PageSalvage {
 public:
  explicit PageSalvage(const PageReader& file);

  // Called first: the schema's pages are no lost pages.
  std::vector<SchemaRow> ReadSchema();

  // Hands every recoverable row to `sink`: first those the tables' trees
  // reach, then those of lost pages. `indexes` pairs an index root with the
  // table (in `tables`) it belongs to.
  SalvageCounts Run(const std::vector<TableShape>& tables, const std::vector<std::pair<uint32_t, size_t>>& indexes,
                    RowSink& sink);

 private:
  // Calls `onPage` for every page of the tree at `root` not seen before,
  // leaves in key order, marking each as seen; true when a page it should
  // reach did not read as one of its kind.
  template <class OnPage>
  bool WalkTree(uint32_t root, PageKind interior, PageKind leaf, OnPage&& onPage);
  void PlaceLostPages(const std::vector<TableShape>& tables, const std::vector<bool>& damaged, RowSink& sink,
                      SalvageCounts& counts);
  // The table (index into `tables`) the rows of these leaves fit best;
  // -1 when none or no single one does.
  int BestFit(const std::vector<uint32_t>& leaves, const std::vector<TableShape>& tables,
              const std::vector<bool>& damaged) const;

  const PageReader& file_;
  std::vector<bool> seen_;  // by page number
};

}  // namespace albumcore::store::dao
