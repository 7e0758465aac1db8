// Reads an SQLite database file page by page, without SQLite, so that rows
// can be recovered from pages a damaged b-tree no longer leads to. It
// follows SQLite's documented file format: the 100-byte header, b-tree pages
// (table and index, interior and leaf), cells with their overflow chains,
// and records.
//
// Nothing read from the file is trusted: every offset, count and page number
// is checked before use, loops are bounded by the file's size, and damage
// gives nullopt (or a cell marked unreadable), never a crash or a runaway
// loop. Text is handed out as UTF-8 whatever the file's encoding.
//
// Not thread-safe; the file stays open for the reader's lifetime.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace albumcore::store::dao {

struct RecordValue {
  enum class Kind : uint8_t { Null, Integer, Real, Text, Blob };
  Kind kind = Kind::Null;
  int64_t integer = 0;
  double real = 0;
  std::string bytes;  // Text (UTF-8) and Blob
};

using Record = std::vector<RecordValue>;

enum class PageKind : uint8_t { IndexInterior = 2, TableInterior = 5, IndexLeaf = 10, TableLeaf = 13 };

struct Cell {
  uint32_t leftChild = 0;         // interior cells
  std::optional<int64_t> rowid;   // table cells, when it reads
  std::optional<Record> record;   // leaf and index cells, when the record's header reads
  // Some values lay on overflow pages that are lost (a broken chain, a page
  // of zeros where text or bytes should be); they read as NULL.
  bool partial = false;
};

struct BtreePage {
  PageKind kind = PageKind::TableLeaf;
  std::vector<uint32_t> children;  // interior pages: every child, the right-most last
  std::vector<Cell> cells;
};

struct FileHeader {
  uint32_t pageSize = 0;
  uint32_t usableSize = 0;   // page size less the reserved bytes
  uint32_t pageCount = 0;    // pages in the file
  uint8_t encoding = 1;      // 1 UTF-8, 2 UTF-16le, 3 UTF-16be
  bool autoVacuum = false;
  bool incrementalVacuum = false;
  uint32_t firstFreelistTrunk = 0;
  int32_t userVersion = 0;
  int32_t applicationId = 0;
};

class PageReader {
 public:
  // 3024 when the file cannot be opened, 3343 when it does not begin with
  // SQLite's header.
  explicit PageReader(const std::string& path);
  ~PageReader();
  PageReader(const PageReader&) = delete;
  PageReader& operator=(const PageReader&) = delete;

  const FileHeader& header() const { return header_; }

  // The b-tree page `pgno`; nullopt when it is out of range, cannot be read
  // or is no b-tree page.
  std::optional<BtreePage> ReadBtreePage(uint32_t pgno) const;

  // The kind of b-tree page `pgno` claims to be, from its first byte only.
  std::optional<PageKind> KindOf(uint32_t pgno) const;

  // Pages on the freelist (trunks and leaves), as far as the chain reads.
  std::vector<uint32_t> FreelistPages() const;

  // Pages that hold no b-tree whatever their first byte says (pointer maps
  // of auto-vacuum files, the page holding the lock bytes).
  bool IsReservedPage(uint32_t pgno) const;

 private:
  bool ReadPage(uint32_t pgno, std::string& out) const;
  std::optional<Cell> ReadCell(const std::string& page, size_t offset, PageKind kind) const;
  // The payload bytes of a cell whose local part starts at `offset`, as far
  // as they read: all `total` of them, or those before the first lost
  // overflow page.
  std::optional<std::string> ReadPayload(const std::string& page, size_t offset, uint64_t total, bool index) const;
  // A record of `total` bytes of which `payload` is what read; values beyond
  // it come back NULL and set `partial`.
  std::optional<Record> DecodeRecord(const std::string& payload, uint64_t total, bool& partial) const;
  std::string TextOf(std::string bytes) const;

  int fd_ = -1;
  FileHeader header_;
};

}  // namespace albumcore::store::dao
