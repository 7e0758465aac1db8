// The emitter's working state, shared by the files of emit/: static types of
// emitted expressions, the sources a FROM clause brings into scope, and the
// Emitter class whose members each file defines (statements.cpp, ddl.cpp,
// keys.cpp, make_table.cpp, transform.cpp, select.cpp, expressions.cpp,
// functions.cpp). Internal to the translator: translator.h is the contract.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/jetsql/ast.h"
#include "store/jetsql/jet_error.h"
#include "store/jetsql/schema.h"
#include "store/jetsql/sql_quoting.h"
#include "store/jetsql/translator.h"

namespace albumcore::store::jetsql::emit {

// Static type of an emitted expression, as far as the schema tells.
enum class Ty : uint8_t { Unknown, Null, Bool, Integer, Real, Date, Text, Binary };

Ty TyFromJet(JetType t);

inline bool IsNumeric(Ty t) { return t == Ty::Bool || t == Ty::Integer || t == Ty::Real || t == Ty::Date; }

// A column a FROM clause brings into scope, or one a SELECT returns.
struct Col {
  std::string name;
  Ty type = Ty::Unknown;
  std::string collation;  // the collation SQLite gives it by itself; empty for none
  bool textAffinity = false;
  JetType jetType = JetType::Unknown;  // as declared, for table columns
  int64_t size = 0;                    // Text(n) of a table column
  bool exact = false;                  // text that compares exactly (see Emitted::exact)
  std::string origin;                  // see Emitted::origin
  int64_t maxLength = -1;              // see Emitted::maxLength
  int parameter = 0;                   // see Emitted::parameter
};

JetType JetFromTy(Ty t);

struct Source {
  std::string exposed;    // qualifier name in Jet text; empty for an unnamed derived table
  std::string qualifier;  // quoted qualifier in SQLite text (generated for an unnamed one)
  std::vector<Col> columns;
  bool baseTable = false;
  bool external = false;  // a table of another file (IN "file")
  std::string tableName;  // a base table's name as declared
  std::string tableSql;   // "schema"."table" of a base table
  bool aliased = false;
};

struct Emitted {
  std::string sql;
  Ty type = Ty::Unknown;
  // The collation SQLite applies to it by itself: a column's declared one
  // (also through a derived table or an alias); empty for anything else.
  std::string collation;
  // Text that compares exactly: an identity column (text declared BINARY)
  // or a Min/Max/First/Last of one. All other text compares as JETNOCASE.
  bool exact = false;
  bool predicate = false;  // a truth value in SQLite form (1/0), not Jet's -1/0
  bool column = false;
  bool textAffinity = false;
  std::optional<std::string> constText;  // the value, when it is constant text
  std::string columnName;
  // A column of a table whose rows can be written back (of the main file,
  // not a view), directly in this scope: its name.
  std::string origin;
  JetType jetType = JetType::Unknown;  // a column's declared type
  int64_t size = 0;                    // a column's Text(n)
  // The longest text (UTF-16 units) it can be, when known: a Text(n)
  // column's n, a constant's length; -1 when unknown.
  int64_t maxLength = -1;
  int parameter = 0;  // a bare parameter: its index + 1 in Translation::parameters
};

struct Scope {
  Scope* parent = nullptr;
  std::vector<Source> sources;
  std::vector<std::pair<std::string, Emitted>> aliases;
  bool aggregates = false;  // an aggregate function was used at this level
};

struct SelectResult {
  std::string sql;
  std::vector<Col> outputs;
  // A SELECT Jet can update through: its one table and that table's rowid
  // as SQL; both empty otherwise.
  std::string baseTable;
  std::string rowid;
};

// Where an expression stands: a value (Jet's -1/0 truth) or a condition.
enum class Ctx : uint8_t { Value, Condition };

const Col* FindCol(const Source& s, std::string_view name);

// The Jet type a result column reports: a table column's declared type, else
// its expression's.
JetType JetTypeOf(const Col& c);

class Emitter {
 public:
  Emitter(SchemaCatalog& catalog, Translation& out) : catalog_(catalog), out_(out) {}

  void Run(const Statement& st);

 private:
  // ---------------- statements (statements.cpp) ----------------
  void Emit(const SelectStmt& s);
  void Emit(const InsertStmt& ins);
  void Emit(const UpdateStmt& up);
  void Emit(const DeleteStmt& del);
  void EmitJoinedUpdate(const UpdateStmt& up);

  // ---------------- schema statements (ddl.cpp) ----------------
  static std::string SqliteType(const ColumnDef& c, bool& counter);
  // `adding`: for ALTER TABLE ADD COLUMN, which cannot declare UNIQUE (the
  // index is made after the column instead).
  std::string ColumnSql(const ColumnDef& c, bool adding = false, const CreateTableStmt* creating = nullptr);
  static const ColumnDef* CounterOf(const CreateTableStmt& ct);
  void Emit(const CreateTableStmt& ct);
  void Emit(const AlterTableStmt& at);
  void Emit(const DropStmt& d);
  void Emit(const CreateIndexStmt& ci);

  // ---------------- keys, defaults, Null guards (keys.cpp) ----------------
  static std::string DefaultSql(const Expr& e);
  // A PRIMARY KEY, UNIQUE or FOREIGN KEY clause; column-level when `columns`
  // is empty. `creating`: the table being created, which a key may reference.
  std::string KeySql(const Constraint& k, const std::vector<std::string>& columns, const std::string& table,
                     const CreateTableStmt* creating);
  // What a FOREIGN KEY of `count` fields references: 3078 for an unknown
  // table, 3265 for an unknown field, 3173 when the fields are no key there.
  struct Reference {
    std::string table;
    std::vector<std::string> columns;
  };
  Reference Referenced(const Constraint& k, size_t count, const std::string& table, const CreateTableStmt* creating);
  // The statements that keep Nulls out of `columns` of `table` for index
  // `index`: a check of the rows there are (before), triggers (after).
  void GuardAgainstNulls(const std::string& index, const std::string& table, const std::vector<std::string>& columns,
                         bool primary);

  // ---------------- SELECT INTO (make_table.cpp), TRANSFORM (transform.cpp) ----------------
  void EmitSelectInto(const SelectStmt& s);
  void Emit(const TransformStmt& t);
  std::string PivotValues(const TransformStmt& t);
  Emitted PivotCell(const Expr& value, std::string match, Scope& scope);
  // What follows an aggregate inside a crosstab cell, so that only the cell's
  // rows count: a FILTER clause; nothing elsewhere.
  std::string CellRows(const Scope& scope);

  // ---------------- SELECT (select.cpp) ----------------
  SelectResult EmitSelect(const SelectStmt& s, Scope* parent);
  std::string ApplyTop(const SelectCore& core, std::string sql, size_t itemsEnd, const std::vector<OrderItem>& orderBy,
                       Scope& scope, const std::vector<Col>& outputs);
  std::string OrderBy(const std::vector<OrderItem>& items, Scope* scope, const std::vector<Col>& outputs);
  // `itemsEnd`, when given, receives where the select list ends in the text.
  std::string EmitCore(const SelectCore& c, Scope& scope, std::vector<Col>& outputs, size_t* itemsEnd = nullptr);
  static bool Distinct(const SelectCore& c);  // whether the core is SELECT DISTINCT
  static bool Updatable(const SelectCore& c, const Scope& scope, const std::vector<Col>& outputs);
  std::string Star(const Expr& e, Scope& scope, std::vector<Col>& outputs);
  std::string EmitSource(const TableSource& t, Scope& scope);
  static void AddSource(Scope& scope, Source s);
  std::string StoredQuery(const TableSource& t, const std::string& text, Scope& scope);

  // ---------------- expressions (expressions.cpp) ----------------
  Emitted Val(const Expr& e, Scope& scope) { return Finish(Expression(e, scope, Ctx::Value), Ctx::Value); }
  Emitted Cond(const Expr& e, Scope& scope) { return Finish(Expression(e, scope, Ctx::Condition), Ctx::Condition); }
  static Emitted Finish(Emitted e, Ctx ctx);
  // Jet's text comparison rule: the COLLATE clause (with its leading blank)
  // a comparison of `v` with each of `others` needs; empty for numbers and
  // where SQLite's own choice is already right.
  static std::string Collate(const Emitted& v, const std::vector<const Emitted*>& others);
  // `v` as it sorts, groups and de-duplicates in Jet: text that SQLite would
  // order exactly gets COLLATE JETNOCASE (SortCollation: that clause, or
  // nothing), identity columns excepted.
  static std::string SortCollation(const Emitted& v);
  static std::string Sorted(const Emitted& v);
  // Gives a bare parameter the type of what it meets, unless it has one.
  void TypeParameter(const Emitted& parameter, const Emitted& other, bool criterion);
  void TypeParameter(const Emitted& parameter, JetType type, int64_t size, bool criterion);
  // `v` as the value written to a field of type `type` and Text size `size`:
  // text that may not fit is checked when it is written (3163).
  std::string Assigned(const Emitted& v, JetType type, int64_t size);
  static Emitted Literal(std::string sql, Ty type);
  static Emitted TextLiteral(const std::string& text);
  Emitted Expression(const Expr& e, Scope& scope, Ctx ctx);
  Emitted ColumnRef(const Source& s, const Col& c);
  Emitted Name(const Expr& e, Scope& scope);
  Emitted ParameterRef(const std::string& name, size_t position);
  int Parameter(const std::string& name, size_t position);
  Emitted Unary(const Expr& e, Scope& scope, Ctx ctx);
  static const char* ComparisonSql(Op op);
  static std::string TextForm(const Emitted& v);
  Emitted Binary(const Expr& e, Scope& scope, Ctx ctx);
  static Ty ArithmeticType(Ty a, Ty b, bool dateKeeps);
  Emitted Like(const Expr& e, Scope& scope);
  Emitted Quantified(const Expr& e, Scope& scope);

  // ---------------- function calls (functions.cpp) ----------------
  Emitted Call(const Expr& e, Scope& scope);
  static std::string LowerAscii(std::string_view s);

  // ---------------- helpers (statements.cpp) ----------------
  // Longest SQL text the emitter writes more than once (aliases, TOP PERCENT).
  static constexpr size_t kMaxRepeatedSql = 64 * 1024;
  [[noreturn]] static void TooComplex() { ThrowJet(jeterr::kSyntax, "Query is too complex"); }
  [[noreturn]] static void UnknownTable(const std::string& name);
  static const ColumnInfo& TargetColumn(const TableInfo& table, const std::string& name);
  std::string AttachSchema(const std::string& file);

  SchemaCatalog& catalog_;
  Translation& out_;
  std::vector<QueryParameter> declared_;
  std::vector<std::string> paramKeys_;
  int nesting_ = 0;
  int storedDepth_ = 0;
  size_t positionBase_ = 0;
  int derivedCount_ = 0;
  // While a crosstab cell is emitted: the scope of its SELECT and the
  // condition that picks the cell's rows.
  const Scope* pivotScope_ = nullptr;
  std::string pivotMatch_;
  bool pivotAggregated_ = false;
};

}  // namespace albumcore::store::jetsql::emit
