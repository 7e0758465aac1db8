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

struct SelectStmt {
  std::vector<SelectCore> cores;  // joined by UNION
  std::vector<bool> unionAll;     // cores.size() - 1 entries
  std::vector<OrderItem> orderBy;
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

struct ColumnDef {
  std::string name;
  std::string type;  // Jet type word as written, upper case
  std::optional<int64_t> size;
  bool notNull = false;
  bool primaryKey = false;
  bool unique = false;
  size_t pos = 0;
};

struct CreateTableStmt {
  std::string table;
  std::vector<ColumnDef> columns;
  std::vector<std::vector<std::string>> primaryKeys;  // table constraints
  std::vector<std::vector<std::string>> uniques;
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
               CreateIndexStmt>
      body;
};

}  // namespace albumcore::store::jetsql
