#include "store/dao/page_salvage.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "store/jetsql/ascii.h"

namespace albumcore::store::dao {

namespace {

using Kind = RecordValue::Kind;

// type, name, tbl_name, rootpage, sql: a row of sqlite_schema.
std::optional<SchemaRow> AsSchemaRow(const Record& r) {
  if (r.size() != 5 || r[0].kind != Kind::Text || r[1].kind != Kind::Text || r[2].kind != Kind::Text) return std::nullopt;
  if (r[3].kind != Kind::Integer && r[3].kind != Kind::Null) return std::nullopt;
  if (r[4].kind != Kind::Text && r[4].kind != Kind::Null) return std::nullopt;
  const std::string& type = r[0].bytes;
  if (type != "table" && type != "index" && type != "view" && type != "trigger") return std::nullopt;
  if (r[3].integer < 0 || r[3].integer > UINT32_MAX) return std::nullopt;
  return SchemaRow{type, r[1].bytes, r[2].bytes, static_cast<uint32_t>(r[3].integer), r[4].bytes};
}

// How well a record fits a table: whether it can be one of its rows at all,
// whether it has all of its columns, and how many values have the storage
// class the column's affinity gives (text in a TEXT column, numbers in an
// INTEGER one).
struct Fit {
  bool fits = false;
  bool exact = false;
  int strong = 0;
};

Fit FitOf(const Record& record, const TableShape& table) {
  Fit fit;
  if (record.empty() || record.size() > table.columns.size()) return fit;
  for (size_t i = 0; i < record.size(); ++i) {
    const Kind kind = record[i].kind;
    if (static_cast<int>(i) == table.rowidColumn) {
      if (kind != Kind::Null) return fit;
      continue;
    }
    const Affinity affinity = table.columns[i];
    switch (kind) {
      case Kind::Null:
        break;
      case Kind::Integer:
      case Kind::Real:
        // A TEXT column turns every number it is given into text.
        if (affinity == Affinity::Text) return fit;
        fit.strong += affinity != Affinity::Blob ? 1 : 0;
        break;
      case Kind::Text:
        fit.strong += affinity == Affinity::Text ? 1 : 0;
        break;
      case Kind::Blob:
        fit.strong += affinity == Affinity::Blob ? 1 : 0;
        break;
    }
  }
  fit.fits = true;
  fit.exact = record.size() == table.columns.size();
  return fit;
}

bool Contains(std::string_view haystack, std::string_view needle) { return haystack.find(needle) != std::string_view::npos; }

}  // namespace

Affinity AffinityOf(std::string_view declaredType) {
  const std::string type = jetsql::Upper(declaredType);
  if (Contains(type, "INT")) return Affinity::Integer;
  if (Contains(type, "CHAR") || Contains(type, "CLOB") || Contains(type, "TEXT")) return Affinity::Text;
  if (type.empty() || Contains(type, "BLOB")) return Affinity::Blob;
  if (Contains(type, "REAL") || Contains(type, "FLOA") || Contains(type, "DOUB")) return Affinity::Real;
  return Affinity::Numeric;
}

PageSalvage::PageSalvage(const PageReader& file) : file_(file), seen_(file.header().pageCount + size_t{1}, false) {}

template <class OnPage>
bool PageSalvage::WalkTree(uint32_t root, PageKind interior, PageKind leaf, OnPage&& onPage) {
  bool damaged = false;
  std::vector<uint32_t> pending{root};
  while (!pending.empty()) {
    const uint32_t pgno = pending.back();
    pending.pop_back();
    if (pgno < 1 || pgno >= seen_.size() || seen_[pgno]) {
      damaged = true;
      continue;
    }
    auto page = file_.ReadBtreePage(pgno);
    if (!page || (page->kind != interior && page->kind != leaf)) {
      damaged = true;  // left unseen: it may be a lost page of another tree
      continue;
    }
    seen_[pgno] = true;
    if (page->kind == interior) {
      damaged = damaged || page->children.size() != page->cells.size() + 1;
      // Leftmost child on top, so leaves come in key order.
      pending.insert(pending.end(), page->children.rbegin(), page->children.rend());
    }
    onPage(*page);
  }
  return damaged;
}

std::vector<SchemaRow> PageSalvage::ReadSchema() {
  std::vector<SchemaRow> entries;
  std::set<std::string> names;
  const auto take = [&](const Record& record) {
    auto entry = AsSchemaRow(record);
    if (entry && names.insert(jetsql::Upper(entry->name)).second) entries.push_back(std::move(*entry));
  };
  const bool damaged = WalkTree(1, PageKind::TableInterior, PageKind::TableLeaf, [&](const BtreePage& page) {
    for (const auto& cell : page.cells)
      if (cell.record) take(*cell.record);
  });
  if (!damaged) return entries;
  // The schema's own tree lost pages: look for its rows anywhere else.
  for (uint32_t pgno = 2; pgno < seen_.size(); ++pgno) {
    if (seen_[pgno] || file_.KindOf(pgno) != PageKind::TableLeaf) continue;
    const auto page = file_.ReadBtreePage(pgno);
    if (!page) continue;
    bool schemaRows = false;
    for (const auto& cell : page->cells) {
      if (!cell.record) continue;
      if (!AsSchemaRow(*cell.record)) {
        schemaRows = false;
        break;
      }
      schemaRows = true;
    }
    if (!schemaRows) continue;
    seen_[pgno] = true;
    for (const auto& cell : page->cells)
      if (cell.record) take(*cell.record);
  }
  return entries;
}

SalvageCounts PageSalvage::Run(const std::vector<TableShape>& tables,
                               const std::vector<std::pair<uint32_t, size_t>>& indexes, RowSink& sink) {
  SalvageCounts counts;
  counts.knownRowids.resize(tables.size());
  std::vector<bool> damaged(tables.size(), false);
  for (size_t t = 0; t < tables.size(); ++t) {
    damaged[t] = WalkTree(tables[t].root, PageKind::TableInterior, PageKind::TableLeaf, [&](const BtreePage& page) {
      for (const auto& cell : page.cells) {
        if (!cell.rowid) continue;
        counts.knownRowids[t].push_back(*cell.rowid);
        if (cell.record) sink.Put(t, *cell.rowid, *cell.record, cell.partial);
      }
    });
  }
  // An index entry ends with the rowid of its row, in interior cells too.
  for (const auto& [root, t] : indexes) {
    WalkTree(root, PageKind::IndexInterior, PageKind::IndexLeaf, [&, t = t](const BtreePage& page) {
      for (const auto& cell : page.cells)
        if (cell.record && !cell.record->empty() && cell.record->back().kind == Kind::Integer)
          counts.knownRowids[t].push_back(cell.record->back().integer);
    });
  }
  for (const uint32_t pgno : file_.FreelistPages())
    if (pgno < seen_.size()) seen_[pgno] = true;
  PlaceLostPages(tables, damaged, sink, counts);
  for (auto& rowids : counts.knownRowids) {
    std::sort(rowids.begin(), rowids.end());
    rowids.erase(std::unique(rowids.begin(), rowids.end()), rowids.end());
  }
  return counts;
}

void PageSalvage::PlaceLostPages(const std::vector<TableShape>& tables, const std::vector<bool>& damaged,
                                 RowSink& sink, SalvageCounts& counts) {
  // Lost interior pages, and which lost pages hang below another one.
  std::vector<uint32_t> interiors;
  std::vector<bool> below(seen_.size(), false);
  for (uint32_t pgno = 1; pgno < seen_.size(); ++pgno) {
    if (seen_[pgno] || file_.KindOf(pgno) != PageKind::TableInterior) continue;
    const auto page = file_.ReadBtreePage(pgno);
    if (!page) continue;
    interiors.push_back(pgno);
    for (const uint32_t child : page->children)
      if (child < below.size()) below[child] = true;
  }
  const auto place = [&](const std::vector<uint32_t>& leaves) {
    const int t = BestFit(leaves, tables, damaged);
    for (const uint32_t pgno : leaves) {
      const auto page = file_.ReadBtreePage(pgno);
      if (!page) continue;
      for (const auto& cell : page->cells) {
        if (!cell.rowid) continue;
        if (t < 0 || (cell.record && !FitOf(*cell.record, tables[static_cast<size_t>(t)]).fits)) {
          ++counts.unplacedRows;
          continue;
        }
        counts.knownRowids[static_cast<size_t>(t)].push_back(*cell.rowid);
        if (cell.record) sink.Put(static_cast<size_t>(t), *cell.rowid, *cell.record, cell.partial);
      }
    }
  };
  // Subtrees first, from their highest surviving page (the pages of a cycle
  // are all "below" one another, so a second sweep takes what is left).
  for (const bool topsOnly : {true, false}) {
    for (const uint32_t top : interiors) {
      if (seen_[top] || (topsOnly && below[top])) continue;
      std::vector<uint32_t> leaves;
      std::vector<uint32_t> pending{top};
      while (!pending.empty()) {
        const uint32_t pgno = pending.back();
        pending.pop_back();
        if (pgno < 1 || pgno >= seen_.size() || seen_[pgno]) continue;
        const auto kind = file_.KindOf(pgno);
        if (kind == PageKind::TableLeaf) {
          seen_[pgno] = true;
          leaves.push_back(pgno);
        } else if (kind == PageKind::TableInterior) {
          const auto page = file_.ReadBtreePage(pgno);
          if (!page) continue;
          seen_[pgno] = true;
          pending.insert(pending.end(), page->children.rbegin(), page->children.rend());
        }
      }
      place(leaves);
    }
  }
  for (uint32_t pgno = 1; pgno < seen_.size(); ++pgno) {
    if (seen_[pgno] || file_.KindOf(pgno) != PageKind::TableLeaf) continue;
    seen_[pgno] = true;
    place({pgno});
  }
}

int PageSalvage::BestFit(const std::vector<uint32_t>& leaves, const std::vector<TableShape>& tables,
                         const std::vector<bool>& damaged) const {
  using Score = std::tuple<int64_t, int64_t, int64_t>;  // rows with every column, rows that fit, strong values
  std::vector<Score> scores(tables.size(), Score{0, 0, 0});
  for (const uint32_t pgno : leaves) {
    const auto page = file_.ReadBtreePage(pgno);
    if (!page) continue;
    for (const auto& cell : page->cells) {
      if (!cell.record) continue;
      for (size_t t = 0; t < tables.size(); ++t) {
        const Fit fit = FitOf(*cell.record, tables[t]);
        if (!fit.fits) continue;
        auto& [exact, fits, strong] = scores[t];
        exact += fit.exact ? 1 : 0;
        fits += 1;
        strong += fit.strong;
      }
    }
  }
  int best = -1;
  bool tied = false;
  for (size_t t = 0; t < tables.size(); ++t) {
    if (std::get<1>(scores[t]) == 0) continue;
    if (best < 0 || scores[t] > scores[static_cast<size_t>(best)]) {
      best = static_cast<int>(t);
      tied = false;
    } else if (scores[t] == scores[static_cast<size_t>(best)]) {
      // Lost pages come from a damaged tree.
      const bool bestDamaged = damaged[static_cast<size_t>(best)];
      if (damaged[t] && !bestDamaged) {
        best = static_cast<int>(t);
        tied = false;
      } else if (damaged[t] == bestDamaged) {
        tied = true;
      }
    }
  }
  return tied ? -1 : best;
}

}  // namespace albumcore::store::dao
