// Jet SQL to SQLite SQL.
//
// Translate() parses a Jet statement, resolves its names against the schema
// and emits SQLite SQL that means the same under the connection set up by
// ConfigureConnection() (connection.h). The result tells the caller what it
// needs to run the statement:
//
//   - sql: SQLite text; parameters[i] appears as ?(i + 1) (its `number`).
//     Empty for ALTER COLUMN, which SQLite cannot do in place: `columnChange`
//     then says what the adapter is to change by rebuilding the table. Empty
//     too for a crosstab whose columns are still to be read (`pivot`).
//   - before, after: statements that run around `sql` as one unit (a
//     savepoint), without parameters: the new table of SELECT INTO, the seed
//     of a counter, the checks and triggers that keep Nulls out of an index.
//   - parameters: Jet parameter names in order of first appearance (names
//     compare ignoring case), with the type a PARAMETERS clause declared and
//     the type a value must be converted to before it is bound. Binding
//     fewer than all of them is the caller's JetError(3061).
//   - attachments: database files that IN "file" clauses name, and the schema
//     alias each must be attached under (ATTACH before, DETACH after).
//   - kind: what the statement does; returnsRows() for SELECT.
//   - columns: for SELECT, the result columns with their Jet types (the
//     column's own, or the expression's: Now() is a Date, a comparison a
//     Yes/No), which is how the caller types the values it reads.
//   - baseTable, keyedSql: a SELECT that Jet can update through (every
//     column a plain column of one table of the main file; no join, union,
//     grouping, DISTINCT or aggregate) names that table, and keyedSql is
//     `sql` with the table's rowid as a hidden first column, by which the
//     caller writes rows back. Both empty for anything read-only.
//   - pivot: for TRANSFORM without IN (...), how to read the pivot values and
//     build the statement that has one column per value (PivotStatement).
//
// Translations are cached by statement text per schema version; statements
// naming external files and schema statements are translated anew each time.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/jetsql/schema.h"

namespace albumcore::store::jetsql {

enum class StatementKind : uint8_t {
  Select,
  Insert,
  Update,
  Delete,
  CreateTable,
  AlterTable,
  DropTable,
  CreateIndex,
  DropIndex,
  SelectInto,  // makes a table and fills it
};

struct QueryParameter {
  std::string name;           // as first written, without brackets
  JetType declaredType = JetType::Unknown;  // from PARAMETERS; Unknown when undeclared
  int64_t declaredSize = 0;
  int number = 0;             // its ?N in the SQLite text
  size_t position = 0;        // where it first appears in the Jet text
  // What a value is converted to before it is bound, as Jet converts it:
  // the declared type, else the type of the field the parameter is first
  // assigned to (SET c = [p], INSERT ... VALUES / SELECT [p]) or of what it
  // is first compared with (=, <, BETWEEN, IN). Unknown: bound as given.
  JetType type = JetType::Unknown;
  int64_t size = 0;        // the Text(n) a value must fit (declared, or the field assigned); 0: no limit
  bool criterion = false;  // typed by a comparison: a value without that type's form is 3464, not 3421
};

// A column a SELECT returns: its name (as Jet names it: the column's name,
// the alias, Expr1000.., or table.column for a name two tables share) and
// the Jet type the schema or the expression gives it.
struct ResultColumn {
  std::string name;
  JetType type = JetType::Unknown;
  int64_t size = 0;    // Text(n) of a table column
  std::string origin{};  // updatable statements: the column of baseTable it shows
};

struct Attachment {
  std::string file;    // path as the statement gives it
  std::string schema;  // jet_ext1, jet_ext2, ...
};

// ALTER TABLE t ALTER COLUMN c type: the column's new declared type.
struct ColumnChange {
  std::string table;     // as declared
  std::string column;    // as declared
  std::string type;      // SQLite declared type and what the Jet type implies ("YESNO INTEGER NOT NULL DEFAULT 0")
  bool notNull = false;  // NOT NULL given
  JetType jetType = JetType::Unknown;
  int64_t size = 0;      // Text(n): n
};

// A crosstab's columns are the distinct values of its pivot expression, so
// its statement is built once they are read: run `valuesSql` (with the
// statement's parameters); each row holds a value (column 0) and the name
// of its column (column 1), in column order. Then PivotStatement() gives the
// statement, which takes the values as parameters after the statement's own.
struct PivotPlan {
  std::string valuesSql;
  std::string head;  // SELECT and the row headings
  std::string cell;  // one value column, ?0 standing for its value
  std::string tail;  // FROM ... ORDER BY
  JetType cellType = JetType::Unknown;
};

// Jet's limit on the columns of a query (3190 beyond it).
inline constexpr size_t kMaxQueryColumns = 255;

struct Translation {
  StatementKind kind = StatementKind::Select;
  std::string sql;
  std::vector<QueryParameter> parameters;
  std::vector<Attachment> attachments;
  std::vector<ResultColumn> columns;  // SELECT only
  std::optional<ColumnChange> columnChange;  // ALTER COLUMN only
  std::vector<std::string> before, after;
  std::optional<PivotPlan> pivot;
  std::string baseTable;              // updatable SELECT only
  std::string keyedSql;               // updatable SELECT only: rowid first, then `columns`

  bool returnsRows() const { return kind == StatementKind::Select; }
  bool updatable() const { return !keyedSql.empty(); }
  bool changesSchema() const {
    return kind != StatementKind::Select && kind != StatementKind::Insert && kind != StatementKind::Update &&
           kind != StatementKind::Delete;
  }
  // Whether the rows `sql` changes are the statement's RecordsAffected.
  bool countsRows() const {
    return kind == StatementKind::Insert || kind == StatementKind::Update || kind == StatementKind::Delete ||
           kind == StatementKind::SelectInto;
  }
  // The ?N number of a Jet parameter name, if the statement has it.
  std::optional<int> ParameterNumber(std::string_view name) const;
};

// One statement, no cache. Raises com::ComError with a Jet status; 3001 for
// text that is not valid UTF-8.
Translation TranslateStatement(std::string_view jet, SchemaCatalog& catalog);

// The crosstab statement of `t.pivot` with one column per name, in order;
// the value of column i binds at parameter t.parameters.size() + 1 + i.
// 3190 when the columns would be more than kMaxQueryColumns.
std::string PivotStatement(const Translation& t, const std::vector<std::string>& names);

class Translator {
 public:
  explicit Translator(SchemaCatalog& catalog, size_t cacheCapacity = 256);

  std::shared_ptr<const Translation> Translate(std::string_view jet);

  void ClearCache();
  size_t cacheSize() const;
  uint64_t cacheHits() const { return hits_; }
  uint64_t cacheMisses() const { return misses_; }

 private:
  struct Entry {
    std::string key;
    int64_t version;
    std::shared_ptr<const Translation> translation;
  };

  SchemaCatalog& catalog_;
  size_t capacity_;
  mutable std::mutex mutex_;
  std::list<Entry> lru_;  // most recent first
  std::unordered_map<std::string_view, std::list<Entry>::iterator> index_;
  uint64_t hits_ = 0;
  uint64_t misses_ = 0;
};

}  // namespace albumcore::store::jetsql
