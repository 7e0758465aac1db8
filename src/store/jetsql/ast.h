// Syntax tree of Jet SQL statements as the parser builds them. Names are
// kept as written; the emitter resolves them against the schema.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace albumcore::store::jetsql {

struct SelectStmt;

enum class ExprKind : uint8_t {
  Null,
  Integer,
  Real,
  String,
  Date,
  Bool,      // True/False/Yes/No/On/Off
  Name,      // parts: [qualifier,] name
  Star,      // t.* or *, parts: [qualifier]
  Unary,     // op Not, Neg, Pos
  Binary,    // args[0] op args[1]
  Between,   // args: value, low, high; negated
  InList,    // args: value, items...; negated
  InSelect,  // args: value; select; negated
  IsNull,    // args: value; negated
  Like,      // args: value, pattern; negated
  Call,      // text: function name as written; args; star for Count(*)
  Exists,    // select
  Subquery,  // scalar (select)
  Quantified,  // args: value; op; select; all (> ALL) or not (> ANY, > SOME)
  Identity,  // @@IDENTITY
};

enum class Op : uint8_t {
  Imp, Eqv, Xor, Or, And, Not,
  Eq, Ne, Lt, Le, Gt, Ge,
  Concat, Add, Sub, Mod, IntDiv, Mul, Div, Neg, Pos, Pow,
};

struct Expr {
  ExprKind kind = ExprKind::Null;
  Op op = Op::Eq;
  bool negated = false;
  bool star = false;
  bool all = false;  // Quantified: ALL rather than ANY/SOME
  bool parenthesized = false;
  size_t pos = 0;
  int height = 1;
  int64_t integer = 0;
  double real = 0;  // Real and Date
  std::string text; // String value, function name
  std::vector<std::string> parts;
  std::vector<std::unique_ptr<Expr>> args;
  std::unique_ptr<SelectStmt> select;
};
using ExprPtr = std::unique_ptr<Expr>;

enum class JoinType : uint8_t { Inner, Left, Right };

struct TableSource {
  enum class Kind : uint8_t { Table, Derived, Join } kind = Kind::Table;
  size_t pos = 0;
  std::string name;                         // Table
  std::string alias;                        // Table, Derived
  std::optional<std::string> externalFile;  // Table: IN "file"
  std::unique_ptr<SelectStmt> derived;      // Derived
  JoinType join = JoinType::Inner;          // Join
  std::unique_ptr<TableSource> left, right;
  ExprPtr on;
};
using SourcePtr = std::unique_ptr<TableSource>;

struct SelectItem {
  ExprPtr expr;
  std::string alias;  // empty: none
};

struct OrderItem {
  ExprPtr expr;
  bool descending = false;
};

struct SelectCore {
  size_t pos = 0;
  bool distinct = false;
  bool distinctRow = false;
  std::optional<double> top;
  bool topPercent = false;
  std::vector<SelectItem> items;
  std::vector<SourcePtr> from;
  ExprPtr where;
  std::vector<ExprPtr> groupBy;
  ExprPtr having;
};

// SELECT ... INTO table [IN "file"]: the statement makes a new table.
struct IntoTarget {
  std::string table;
  std::optional<std::string> externalFile;
};

struct SelectStmt {
  std::vector<SelectCore> cores;  // joined by UNION
  std::vector<bool> unionAll;     // cores.size() - 1 entries
  std::vector<OrderItem> orderBy;
  std::optional<IntoTarget> into;  // statement level only
};

// TRANSFORM value SELECT ... GROUP BY ... PIVOT pivot [IN (columns)].
struct TransformStmt {
  ExprPtr value;  // the aggregate each cell shows
  SelectStmt select;
  ExprPtr pivot;
  std::vector<ExprPtr> columns;  // empty: one column per value the rows hold
};

struct InsertStmt {
  std::string table;
  std::optional<std::string> externalFile;
  std::vector<std::string> columns;  // empty: none given
  std::vector<ExprPtr> values;       // VALUES (...)
  std::unique_ptr<SelectStmt> select;
};

struct Assignment {
  std::vector<std::string> target;  // [qualifier,] column
  size_t pos = 0;
  ExprPtr value;
};

struct UpdateStmt {
  SourcePtr target;  // a table, or joins
  std::vector<Assignment> sets;
  ExprPtr where;
};

struct DeleteStmt {
  std::optional<std::string> targetQualifier;  // DELETE t.* FROM ...
  std::vector<SourcePtr> from;
  ExprPtr where;
};

// A key over columns: PRIMARY KEY, UNIQUE, NOT NULL or FOREIGN KEY ...
// REFERENCES, named by CONSTRAINT name or not. Written with a column, its
// `columns` are empty: the column itself.
struct Constraint {
  enum class Kind : uint8_t { PrimaryKey, Unique, NotNull, ForeignKey } kind = Kind::PrimaryKey;
  std::string name;  // empty: unnamed
  std::vector<std::string> columns;
  std::string referencedTable;               // ForeignKey
  std::vector<std::string> referencedColumns;  // empty: the referenced table's primary key
  std::string onDelete, onUpdate;            // "CASCADE", "SET NULL", "NO ACTION" or empty
};

struct ColumnDef {
  std::string name;
  std::string type;  // Jet type word as written, upper case
  std::optional<int64_t> size;
  std::optional<int64_t> seed, step;  // COUNTER(seed, step)
  bool notNull = false;
  ExprPtr defaultValue;  // DEFAULT literal
  std::vector<Constraint> constraints;
  size_t pos = 0;

  bool Has(Constraint::Kind kind) const {
    for (const auto& c : constraints)
      if (c.kind == kind) return true;
    return false;
  }
};

struct CreateTableStmt {
  std::string table;
  std::vector<ColumnDef> columns;
  std::vector<Constraint> constraints;  // written after the columns
};

struct AlterTableStmt {
  enum class Action : uint8_t { AlterColumn, AddColumn, DropColumn } action = Action::AddColumn;
  std::string table;
  ColumnDef column;
};

struct DropStmt {
  bool index = false;
  std::string name;
  std::string table;  // DROP INDEX i ON t
};

struct CreateIndexStmt {
  bool unique = false;
  std::string name;
  std::string table;
  std::vector<std::pair<std::string, bool>> columns;  // name, descending
  bool primary = false;
  bool disallowNull = false;
  bool ignoreNull = false;
};

struct ParameterDecl {
  std::string name;
  std::string type;
  std::optional<int64_t> size;
};

struct Statement {
  std::vector<ParameterDecl> parameters;
  std::variant<SelectStmt, InsertStmt, UpdateStmt, DeleteStmt, CreateTableStmt, AlterTableStmt, DropStmt,
               CreateIndexStmt, TransformStmt>
      body;
};

}  // namespace albumcore::store::jetsql
