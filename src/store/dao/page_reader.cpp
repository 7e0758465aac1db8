#include "store/dao/page_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "com/text.h"
#include "store/dao/errors.h"

namespace albumcore::store::dao {

namespace {

constexpr std::string_view kMagic{"SQLite format 3\0", 16};
constexpr size_t kHeaderSize = 100;
constexpr uint64_t kLockByteOffset = 0x40000000;  // the page holding it stores nothing

uint32_t Be(const std::string& s, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v = (v << 8) | static_cast<unsigned char>(s[at + static_cast<size_t>(i)]);
  return v;
}

// SQLite's variable-length integer: up to nine bytes, big-endian, seven
// bits a byte with the high bit set on all but the last (the ninth byte
// gives eight bits).
bool ReadVarint(const std::string& s, size_t& pos, size_t end, uint64_t& out) {
  out = 0;
  for (int i = 0; i < 9; ++i) {
    if (pos >= end) return false;
    const auto b = static_cast<unsigned char>(s[pos++]);
    if (i == 8) {
      out = (out << 8) | b;
      return true;
    }
    out = (out << 7) | (b & 0x7F);
    if ((b & 0x80) == 0) return true;
  }
  return false;
}

// Bytes a value of record serial type `type` occupies; nullopt for the two
// reserved types.
std::optional<uint64_t> ValueSize(uint64_t type) {
  static constexpr uint64_t kFixed[] = {0, 1, 2, 3, 4, 6, 8, 8, 0, 0};
  if (type < 10) return kFixed[type];
  if (type < 12) return std::nullopt;
  return (type - 12) / 2;
}

int64_t SignedBigEndian(const std::string& s, size_t at, uint64_t size) {
  uint64_t v = 0;
  for (uint64_t i = 0; i < size; ++i) v = (v << 8) | static_cast<unsigned char>(s[at + i]);
  const unsigned shift = static_cast<unsigned>(64 - 8 * size);
  return static_cast<int64_t>(v << shift) >> shift;
}

}  // namespace

PageReader::PageReader(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) ThrowJet(jeterr::kFileNotFound, "Could not open file '" + path + "'");
  std::string h(kHeaderSize, '\0');
  struct stat st {};
  const bool read = ::fstat(fd_, &st) == 0 && ::pread(fd_, h.data(), h.size(), 0) == static_cast<ssize_t>(h.size());
  if (!read || h.compare(0, kMagic.size(), kMagic) != 0) {
    ::close(fd_);
    ThrowJet(jeterr::kBadFormat, "Unrecognized database format '" + path + "'");
  }
  const uint32_t pageSize = Be(h, 16, 2) == 1 ? 65536 : Be(h, 16, 2);
  const uint32_t reserved = static_cast<unsigned char>(h[20]);
  if (pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0 || pageSize - reserved < 480) {
    ::close(fd_);
    ThrowJet(jeterr::kBadFormat, "Unrecognized database format '" + path + "': page size " + std::to_string(pageSize));
  }
  header_.pageSize = pageSize;
  header_.usableSize = pageSize - reserved;
  header_.pageCount = static_cast<uint32_t>(std::min<uint64_t>(static_cast<uint64_t>(st.st_size) / pageSize, UINT32_MAX));
  const uint32_t encoding = Be(h, 56, 4);
  header_.encoding = encoding == 2 || encoding == 3 ? static_cast<uint8_t>(encoding) : 1;
  header_.autoVacuum = Be(h, 52, 4) != 0;
  header_.incrementalVacuum = Be(h, 64, 4) != 0;
  header_.firstFreelistTrunk = Be(h, 32, 4);
  header_.userVersion = static_cast<int32_t>(Be(h, 60, 4));
  header_.applicationId = static_cast<int32_t>(Be(h, 68, 4));
}

PageReader::~PageReader() { ::close(fd_); }

bool PageReader::ReadPage(uint32_t pgno, std::string& out) const {
  if (pgno < 1 || pgno > header_.pageCount) return false;
  out.resize(header_.pageSize);
  const auto offset = static_cast<off_t>(pgno - 1) * header_.pageSize;
  return ::pread(fd_, out.data(), out.size(), offset) == static_cast<ssize_t>(out.size());
}

bool PageReader::IsReservedPage(uint32_t pgno) const {
  const uint32_t lockBytePage = static_cast<uint32_t>(kLockByteOffset / header_.pageSize) + 1;
  if (pgno == lockBytePage) return true;
  if (!header_.autoVacuum || pgno < 2) return false;
  // Where SQLite puts the pointer-map page that covers `pgno`.
  const uint32_t perMap = header_.usableSize / 5 + 1;
  uint32_t map = (pgno - 2) / perMap * perMap + 2;
  if (map == lockBytePage) ++map;
  return map == pgno;
}

std::optional<PageKind> PageReader::KindOf(uint32_t pgno) const {
  if (IsReservedPage(pgno) || pgno < 1 || pgno > header_.pageCount) return std::nullopt;
  unsigned char type = 0;
  const auto offset = static_cast<off_t>(pgno - 1) * header_.pageSize + (pgno == 1 ? kHeaderSize : 0);
  if (::pread(fd_, &type, 1, offset) != 1) return std::nullopt;
  if (type != 2 && type != 5 && type != 10 && type != 13) return std::nullopt;
  return static_cast<PageKind>(type);
}

std::optional<BtreePage> PageReader::ReadBtreePage(uint32_t pgno) const {
  std::string page;
  if (IsReservedPage(pgno) || !ReadPage(pgno, page)) return std::nullopt;
  const size_t usable = header_.usableSize;
  const size_t at = pgno == 1 ? kHeaderSize : 0;
  const auto type = static_cast<unsigned char>(page[at]);
  if (type != 2 && type != 5 && type != 10 && type != 13) return std::nullopt;
  BtreePage out;
  out.kind = static_cast<PageKind>(type);
  const bool interior = type == 2 || type == 5;
  const size_t headerSize = interior ? 12 : 8;
  if (at + headerSize > usable) return std::nullopt;
  const size_t count = Be(page, at + 3, 2);
  const size_t cellsEnd = at + headerSize + 2 * count;
  if (cellsEnd > usable) return std::nullopt;
  out.cells.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const size_t offset = Be(page, at + headerSize + 2 * i, 2);
    std::optional<Cell> cell;
    if (offset >= cellsEnd && offset < usable) cell = ReadCell(page, offset, out.kind);
    out.cells.push_back(cell ? std::move(*cell) : Cell{});
    if (interior && out.cells.back().leftChild != 0) out.children.push_back(out.cells.back().leftChild);
  }
  if (interior) out.children.push_back(Be(page, at + 8, 4));
  return out;
}

std::optional<Cell> PageReader::ReadCell(const std::string& page, size_t offset, PageKind kind) const {
  const size_t usable = header_.usableSize;
  Cell cell;
  size_t pos = offset;
  if (kind == PageKind::TableInterior || kind == PageKind::IndexInterior) {
    if (pos + 4 > usable) return std::nullopt;
    cell.leftChild = Be(page, pos, 4);
    pos += 4;
  }
  uint64_t value = 0;
  if (kind == PageKind::TableInterior) return ReadVarint(page, pos, usable, value) ? std::optional(cell) : std::nullopt;
  uint64_t payloadSize = 0;
  if (!ReadVarint(page, pos, usable, payloadSize)) return std::nullopt;
  if (kind == PageKind::TableLeaf) {
    if (!ReadVarint(page, pos, usable, value)) return std::nullopt;
    cell.rowid = static_cast<int64_t>(value);
  }
  if (auto payload = ReadPayload(page, pos, payloadSize, kind != PageKind::TableLeaf))
    cell.record = DecodeRecord(*payload, payloadSize, cell.partial);
  return cell;
}

std::optional<std::string> PageReader::ReadPayload(const std::string& page, size_t offset, uint64_t total,
                                                   bool index) const {
  const uint64_t usable = header_.usableSize;
  if (total > static_cast<uint64_t>(header_.pageCount) * usable) return std::nullopt;
  // How much of the payload stays on the page (the file format's rule).
  const uint64_t maxLocal = index ? (usable - 12) * 64 / 255 - 23 : usable - 35;
  const uint64_t minLocal = (usable - 12) * 32 / 255 - 23;
  uint64_t local = total;
  if (total > maxLocal) {
    const uint64_t k = minLocal + (total - minLocal) % (usable - 4);
    local = k <= maxLocal ? k : minLocal;
  }
  const bool overflows = local < total;
  if (offset + local + (overflows ? 4 : 0) > usable) return std::nullopt;
  std::string out = page.substr(offset, local);
  if (!overflows) return out;
  uint32_t next = Be(page, offset + local, 4);
  uint64_t remaining = total - local;
  std::string overflow;
  // The chain has exactly this many pages, which also bounds a cycle. A page
  // of nothing but zeros was wiped: only a value ending in a page's worth of
  // zero bytes would be written so, and a catalogue holds none.
  for (uint64_t pages = (remaining + usable - 5) / (usable - 4); pages > 0; --pages) {
    if (next < 2 || !ReadPage(next, overflow)) break;
    if (std::all_of(overflow.begin(), overflow.end(), [](char c) { return c == 0; })) break;
    const uint64_t take = std::min(remaining, usable - 4);
    out.append(overflow, 4, take);
    remaining -= take;
    next = Be(overflow, 0, 4);
  }
  return out;
}

std::optional<Record> PageReader::DecodeRecord(const std::string& payload, uint64_t total, bool& partial) const {
  size_t pos = 0;
  uint64_t headerSize = 0;
  if (!ReadVarint(payload, pos, payload.size(), headerSize) || headerSize < pos || headerSize > payload.size())
    return std::nullopt;
  std::vector<uint64_t> types;
  while (pos < headerSize) {
    uint64_t type = 0;
    if (!ReadVarint(payload, pos, headerSize, type)) return std::nullopt;
    types.push_back(type);
  }
  Record record;
  record.reserve(types.size());
  uint64_t body = headerSize;
  for (const uint64_t type : types) {
    const auto size = ValueSize(type);
    if (!size || *size > total - body) return std::nullopt;
    RecordValue v;
    if (body + *size > payload.size()) {
      partial = true;  // on a lost overflow page: NULL
    } else if (type == 0) {
      v.kind = RecordValue::Kind::Null;
    } else if (type <= 6 || type == 8 || type == 9) {
      v.kind = RecordValue::Kind::Integer;
      v.integer = type == 8 ? 0 : type == 9 ? 1 : SignedBigEndian(payload, body, *size);
    } else if (type == 7) {
      v.kind = RecordValue::Kind::Real;
      const auto bits = static_cast<uint64_t>(SignedBigEndian(payload, body, 8));
      std::memcpy(&v.real, &bits, sizeof v.real);
    } else {
      v.kind = type % 2 == 0 ? RecordValue::Kind::Blob : RecordValue::Kind::Text;
      v.bytes = payload.substr(body, *size);
      if (v.kind == RecordValue::Kind::Text) v.bytes = TextOf(std::move(v.bytes));
    }
    body += *size;
    record.push_back(std::move(v));
  }
  // SQLite writes records whose values fill the payload exactly.
  if (body != total) return std::nullopt;
  return record;
}

std::string PageReader::TextOf(std::string bytes) const {
  if (header_.encoding == 1) return bytes;
  std::u16string units(bytes.size() / 2, u'\0');
  const bool bigEndian = header_.encoding == 3;
  for (size_t i = 0; i < units.size(); ++i) {
    const auto a = static_cast<unsigned char>(bytes[2 * i]), b = static_cast<unsigned char>(bytes[2 * i + 1]);
    units[i] = static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
  }
  return com::ToUtf8(units);
}

std::vector<uint32_t> PageReader::FreelistPages() const {
  std::vector<uint32_t> pages;
  const uint32_t perTrunk = header_.usableSize / 4 - 2;
  std::string trunk;
  uint32_t next = header_.firstFreelistTrunk;
  for (uint32_t hops = 0; hops < header_.pageCount && ReadPage(next, trunk); ++hops) {
    pages.push_back(next);
    const uint32_t leaves = std::min(Be(trunk, 4, 4), perTrunk);
    for (uint32_t i = 0; i < leaves; ++i) {
      const uint32_t leaf = Be(trunk, 8 + 4 * static_cast<size_t>(i), 4);
      if (leaf >= 2 && leaf <= header_.pageCount) pages.push_back(leaf);
    }
    next = Be(trunk, 0, 4);
  }
  return pages;
}

}  // namespace albumcore::store::dao
