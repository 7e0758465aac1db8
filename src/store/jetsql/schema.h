// What the translator knows of the schema: tables, their columns with Jet
// types and collations. A bracketed or bare name that is no column of the
// tables in scope is a parameter, so name resolution needs this.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace albumcore::store::jetsql {

enum class JetType : uint8_t {
  Unknown,
  YesNo,
  Byte,
  Integer,   // 16-bit
  Long,      // 32-bit
  Currency,
  Single,
  Double,
  Date,
  Text,      // Text(n)
  Binary,
  Memo,
  Counter,   // auto-increment Long
  Guid,
};

const char* JetTypeName(JetType type);

// The collation whose comparisons ignore case (Unicode simple case folding):
// Jet's way with all text. Text columns declared with SQLite's exact
// kBinaryCollation (identity text: monikers, paths, GUIDs) are the exception.
inline constexpr std::string_view kNoCaseCollation = "JETNOCASE";
inline constexpr std::string_view kBinaryCollation = "BINARY";

struct ColumnInfo {
  std::string name;          // as declared
  JetType type = JetType::Unknown;
  int64_t size = 0;          // Text(n): n
  std::string declaredType;  // SQLite declared type
  std::string collation;     // "BINARY", "JETNOCASE", "NOCASE", ...
  bool textAffinity = false; // SQLite stores text values of this column as text
  bool notNull = false;
  bool primaryKey = false;  // of the primary key (declared, or an index made WITH PRIMARY)
};

// An index made WITH PRIMARY or WITH DISALLOW NULL refuses Nulls through two
// triggers named prefix + index name + "_ins" / "_upd"; the prefix tells
// which, and so marks the primary index of a table that SQLite knows only as
// a unique one.
inline constexpr std::string_view kPrimaryIndexGuardPrefix = "jet_primary_";
inline constexpr std::string_view kRequiredIndexGuardPrefix = "jet_notnull_";

struct TableInfo {
  std::string name;  // as declared
  bool view = false;  // a view: read like a table, never written
  std::vector<ColumnInfo> columns;
  // Field sets that identify a row: the primary key and each unique index.
  std::vector<std::vector<std::string>> uniqueKeys;
  // Case-insensitive lookup, as Jet names are.
  const ColumnInfo* FindColumn(std::string_view column) const;
};

class SchemaCatalog {
 public:
  virtual ~SchemaCatalog() = default;
  // The table or view `name` (any case) of the main database, or of the
  // database file `externalFile` when that is not empty; nullptr when there is
  // none. An external file that cannot be opened raises JetError(3024).
  virtual std::shared_ptr<const TableInfo> FindTable(std::string_view name, std::string_view externalFile = {}) = 0;
  // A value that changes whenever the main database's schema changes.
  virtual int64_t SchemaVersion() = 0;
  // The Jet SQL of a stored query of that name, which a FROM clause may name
  // like a table; nullopt when there is none.
  virtual std::optional<std::string> StoredQueryText(std::string_view /*name*/) { return std::nullopt; }
};

// The Jet type behind an SQLite declared type ("TEXT(255)", "DATETIME DOUBLE",
// "YESNO INTEGER", "LONGTEXT", "INTEGER" ...); `autoIncrement` marks a counter.
JetType JetTypeFromDeclared(std::string_view declaredType, bool autoIncrement, int64_t* size = nullptr);

// SQLite affinity rule: does this declared type store text as text?
bool HasTextAffinity(std::string_view declaredType);

// Case-insensitive ASCII-and-Unicode name equality used for every Jet name.
bool SameName(std::string_view a, std::string_view b);

}  // namespace albumcore::store::jetsql
