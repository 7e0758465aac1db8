#include "store/jetsql/ascii.h"
#include "store/jetsql/emitter.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "store/jetsql/jet_error.h"
#include "store/jetsql/jet_text.h"
#include "store/jetsql/parser.h"

namespace albumcore::store::jetsql {

std::string QuoteIdentifier(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    out += c;
    if (c == '"') out += '"';
  }
  out += '"';
  return out;
}

std::string QuoteString(std::string_view text) {
  if (text.find('\0') != std::string_view::npos) {
    // SQLite stops reading statement text at a NUL: spell it in hex.
    static const char kHex[] = "0123456789ABCDEF";
    std::string out = "CAST(X'";
    for (unsigned char c : text) {
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
    return out + "' AS TEXT)";
  }
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  out += '\'';
  return out;
}

std::string FormatReal(double value) {
  if (!std::isfinite(value)) return "NULL";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g", value);
  std::string s = buf;
  if (s.find_first_of(".en") == std::string::npos) s += ".0";
  return s;
}

namespace {

// Static type of an emitted expression, as far as the schema tells.
enum class Ty : uint8_t { Unknown, Null, Bool, Integer, Real, Date, Text, Binary };

Ty TyFromJet(JetType t) {
  switch (t) {
    case JetType::YesNo: return Ty::Bool;
    case JetType::Byte:
    case JetType::Integer:
    case JetType::Long:
    case JetType::Counter: return Ty::Integer;
    case JetType::Currency:
    case JetType::Single:
    case JetType::Double: return Ty::Real;
    case JetType::Date: return Ty::Date;
    case JetType::Text:
    case JetType::Memo:
    case JetType::Guid: return Ty::Text;
    case JetType::Binary: return Ty::Binary;
    case JetType::Unknown: return Ty::Unknown;
  }
  return Ty::Unknown;
}

bool IsNumeric(Ty t) { return t == Ty::Bool || t == Ty::Integer || t == Ty::Real || t == Ty::Date; }

struct Col {
  std::string name;
  Ty type = Ty::Unknown;
  std::string collation;
  bool textAffinity = false;
  JetType jetType = JetType::Unknown;  // as declared, for table columns
};

JetType JetFromTy(Ty t) {
  switch (t) {
    case Ty::Bool: return JetType::YesNo;
    case Ty::Integer: return JetType::Long;
    case Ty::Real: return JetType::Double;
    case Ty::Date: return JetType::Date;
    case Ty::Text: return JetType::Memo;
    case Ty::Binary: return JetType::Binary;
    default: return JetType::Unknown;
  }
}

struct Source {
  std::string exposed;    // qualifier name in Jet text; empty for an unnamed derived table
  std::string qualifier;  // quoted qualifier in SQLite text (generated for an unnamed one)
  std::vector<Col> columns;
  bool baseTable = false;
  std::string tableSql;  // "schema"."table" of a base table
  bool aliased = false;
};

struct Emitted {
  std::string sql;
  Ty type = Ty::Unknown;
  std::string collation;
  bool predicate = false;  // a truth value in SQLite form (1/0), not Jet's -1/0
  bool column = false;
  bool textAffinity = false;
  std::optional<std::string> constText;  // the value, when it is constant text
  std::string columnName;
  JetType jetType = JetType::Unknown;  // a column's declared type
};

struct Scope {
  Scope* parent = nullptr;
  std::vector<Source> sources;
  std::vector<std::pair<std::string, Emitted>> aliases;
};

struct SelectResult {
  std::string sql;
  std::vector<Col> outputs;
};

enum class Ctx : uint8_t { Value, Condition };

const Col* FindCol(const Source& s, std::string_view name) {
  for (const auto& c : s.columns)
    if (SameName(c.name, name)) return &c;
  return nullptr;
}

// How a Jet function call becomes SQLite: an application function or SQLite
// built-in with the same arguments, and its result type.
struct FunctionSpec {
  std::string_view jet;
  std::string_view sqlite;
  int minArgs;
  int maxArgs;
  Ty result;  // Unknown: type of the first argument
};

constexpr FunctionSpec kFunctions[] = {
    {"LEN", "jet_len", 1, 1, Ty::Integer},          {"LEFT", "jet_left", 2, 2, Ty::Text},
    {"RIGHT", "jet_right", 2, 2, Ty::Text},         {"MID", "jet_mid", 2, 3, Ty::Text},
    {"UCASE", "jet_ucase", 1, 1, Ty::Text},         {"LCASE", "jet_lcase", 1, 1, Ty::Text},
    {"INSTR", "jet_instr", 2, 4, Ty::Integer},      {"VAL", "jet_val", 1, 1, Ty::Real},
    {"STR", "jet_str", 1, 1, Ty::Text},             {"CSTR", "jet_cstr", 1, 1, Ty::Text},
    {"CLNG", "jet_clng", 1, 1, Ty::Integer},        {"CINT", "jet_cint", 1, 1, Ty::Integer},
    {"CBYTE", "jet_cbyte", 1, 1, Ty::Integer},      {"CDBL", "jet_cdbl", 1, 1, Ty::Real},
    {"CSNG", "jet_cdbl", 1, 1, Ty::Real},           {"CCUR", "jet_ccur", 1, 1, Ty::Real},
    {"CDATE", "jet_cdate", 1, 1, Ty::Date},         {"CVDATE", "jet_cdate", 1, 1, Ty::Date},
    {"DATEVALUE", "jet_datevalue", 1, 1, Ty::Date}, {"CBOOL", "jet_cbool", 1, 1, Ty::Bool},
    {"INT", "jet_int", 1, 1, Ty::Unknown},          {"FIX", "jet_fix", 1, 1, Ty::Unknown},
    {"SGN", "jet_sgn", 1, 1, Ty::Integer},          {"ABS", "abs", 1, 1, Ty::Unknown},
    {"FORMAT", "jet_format", 1, 2, Ty::Text},       {"STRCOMP", "jet_strcomp", 2, 3, Ty::Integer},
    {"ASC", "jet_asc", 1, 1, Ty::Integer},          {"ASCW", "jet_asc", 1, 1, Ty::Integer},
    {"SPACE", "jet_space", 1, 1, Ty::Text},         {"STRING", "jet_string", 2, 2, Ty::Text},
    {"REPLACE", "replace", 3, 3, Ty::Text},         {"TRIM", "jet_trim", 1, 1, Ty::Text},
    {"LTRIM", "jet_ltrim", 1, 1, Ty::Text},         {"RTRIM", "jet_rtrim", 1, 1, Ty::Text},
    {"ROUND", "jet_round", 1, 2, Ty::Real},         {"SQR", "jet_sqr", 1, 1, Ty::Real},
    {"EXP", "jet_exp", 1, 1, Ty::Real},             {"LOG", "jet_log", 1, 1, Ty::Real},
    {"ISNUMERIC", "jet_isnumeric", 1, 1, Ty::Bool}, {"ISDATE", "jet_isdate", 1, 1, Ty::Bool},
    {"DATEPART", "jet_datepart", 2, 4, Ty::Integer}, {"DATEADD", "jet_dateadd", 3, 3, Ty::Date},
    {"DATEDIFF", "jet_datediff", 3, 4, Ty::Integer}, {"DATESERIAL", "jet_dateserial", 3, 3, Ty::Date},
    {"TIMESERIAL", "jet_timeserial", 3, 3, Ty::Date}, {"NOW", "jet_now", 0, 0, Ty::Date},
    {"DATE", "jet_date", 0, 0, Ty::Date},           {"TIME", "jet_time", 0, 0, Ty::Date},
    {"HEX", "jet_hex", 1, 1, Ty::Text},
};

// Date parts with a function of their own: Year(d) is DatePart("yyyy", d).
constexpr std::pair<std::string_view, std::string_view> kDatePartFunctions[] = {
    {"YEAR", "yyyy"}, {"MONTH", "m"}, {"DAY", "d"}, {"HOUR", "h"}, {"MINUTE", "n"}, {"SECOND", "s"}, {"WEEKDAY", "w"},
};

class Emitter {
 public:
  Emitter(SchemaCatalog& catalog, Translation& out) : catalog_(catalog), out_(out) {}

  void Run(const Statement& st) {
    for (const auto& p : st.parameters) {
      int64_t size = 0;
      const JetType t = JetTypeFromDeclared(p.type, false, &size);
      declared_.push_back(QueryParameter{p.name, t, p.size.value_or(size)});
      Parameter(p.name, 0);
    }
    std::visit([this](const auto& body) { Emit(body); }, st.body);
  }

 private:
  // ---------------- statements ----------------
  void Emit(const SelectStmt& s) {
    out_.kind = StatementKind::Select;
    SelectResult result = EmitSelect(s, nullptr);
    out_.sql = std::move(result.sql);
    for (const auto& c : result.outputs)
      out_.columns.push_back(ResultColumn{c.name, c.jetType != JetType::Unknown ? c.jetType : JetFromTy(c.type)});
  }

  void Emit(const InsertStmt& ins) {
    out_.kind = StatementKind::Insert;
    auto table = catalog_.FindTable(ins.table, ins.externalFile.value_or(""));
    if (!table) UnknownTable(ins.table);
    std::string target = ins.externalFile ? QuoteIdentifier(AttachSchema(*ins.externalFile)) + "." : "";
    target += QuoteIdentifier(table->name);
    std::vector<std::string> columns;
    for (const auto& c : ins.columns) columns.push_back(TargetColumn(*table, c));
    std::string body;
    if (ins.select) {
      SelectResult sel = EmitSelect(*ins.select, nullptr);
      if (columns.empty()) {
        // Jet appends by name: each output column goes to the field of that name.
        for (const auto& o : sel.outputs) columns.push_back(TargetColumn(*table, o.name));
      }
      if (columns.size() != sel.outputs.size())
        ThrowJet(jeterr::kValueCount, "Number of query values and destination fields are not the same");
      body = sel.sql;
    } else {
      Scope scope;
      std::string values;
      for (const auto& v : ins.values) {
        if (!values.empty()) values += ", ";
        values += Val(*v, scope).sql;
      }
      if (columns.empty())
        for (const auto& c : table->columns) columns.push_back(c.name);
      if (columns.size() != ins.values.size())
        ThrowJet(jeterr::kValueCount, "Number of query values and destination fields are not the same");
      body = "VALUES (" + values + ")";
    }
    std::string list;
    for (size_t i = 0; i < columns.size(); ++i) {
      for (size_t j = 0; j < i; ++j)
        if (columns[j] == columns[i])
          ThrowJet(jeterr::kSyntaxInsert, "Duplicate output destination '" + columns[i] + "'");
      list += (i ? ", " : "") + QuoteIdentifier(columns[i]);
    }
    out_.sql = "INSERT INTO " + target + " (" + list + ") " + body;
  }

  void Emit(const UpdateStmt& up) {
    out_.kind = StatementKind::Update;
    if (up.target->kind != TableSource::Kind::Table)
      ThrowJet(jeterr::kNotSupported, "UPDATE over a join or a query is not supported");
    Scope scope;
    EmitSource(*up.target, scope);
    const Source& src = scope.sources.front();
    if (!src.baseTable) ThrowJet(jeterr::kNotSupported, "UPDATE of a query is not supported");
    std::string sets;
    for (const auto& a : up.sets) {
      if (a.target.size() == 2 && !SameName(a.target[0], src.exposed))
        ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: '" + a.target[0] + "." + a.target[1] + "'");
      const Col* col = FindCol(src, a.target.back());
      if (col == nullptr) ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: '" + a.target.back() + "'");
      if (!sets.empty()) sets += ", ";
      sets += QuoteIdentifier(col->name) + " = " + Val(*a.value, scope).sql;
    }
    out_.sql = "UPDATE " + src.tableSql + (src.aliased ? " AS " + QuoteIdentifier(src.exposed) : "") + " SET " + sets;
    if (up.where) out_.sql += " WHERE " + Cond(*up.where, scope).sql;
  }

  void Emit(const DeleteStmt& del) {
    out_.kind = StatementKind::Delete;
    Scope scope;
    std::string from;
    for (const auto& s : del.from) from += (from.empty() ? "" : ", ") + EmitSource(*s, scope);
    const Source* target = nullptr;
    if (del.targetQualifier) {
      for (const auto& s : scope.sources)
        if (SameName(s.exposed, *del.targetQualifier)) target = &s;
    } else if (del.from.size() == 1 && del.from[0]->kind == TableSource::Kind::Table) {
      target = &scope.sources.front();
    }
    if (target == nullptr || !target->baseTable)
      ThrowJet(jeterr::kDeleteTarget, "Specify the table containing the records you want to delete");
    const std::string where = del.where ? " WHERE " + Cond(*del.where, scope).sql : "";
    if (del.from.size() == 1 && del.from[0]->kind == TableSource::Kind::Table) {
      out_.sql = "DELETE FROM " + target->tableSql + (target->aliased ? " AS " + QuoteIdentifier(target->exposed) : "") + where;
    } else {
      out_.sql = "DELETE FROM " + target->tableSql + " WHERE rowid IN (SELECT " + QuoteIdentifier(target->exposed) +
                 ".rowid FROM " + from + where + ")";
    }
  }

  static std::string SqliteType(const ColumnDef& c, bool& counter) {
    const std::string& t = c.type;
    counter = false;
    auto is = [&](std::initializer_list<std::string_view> words) {
      for (auto w : words)
        if (t == w) return true;
      return false;
    };
    if (is({"TEXT", "VARCHAR", "CHAR", "STRING", "ALPHANUMERIC", "NVARCHAR", "NCHAR", "CHARACTER"}))
      return "TEXT(" + std::to_string(c.size.value_or(255)) + ")";
    if (is({"MEMO", "LONGTEXT", "LONGCHAR", "NOTE", "NTEXT", "LONG TEXT"})) return "LONGTEXT";
    if (is({"LONG", "INTEGER", "INT", "INTEGER4"})) return "INTEGER";
    if (is({"SHORT", "SMALLINT", "INTEGER2"})) return "SHORT INTEGER";
    if (is({"BYTE", "TINYINT", "INTEGER1"})) return "BYTE INTEGER";
    if (is({"COUNTER", "AUTOINCREMENT", "IDENTITY"})) {
      counter = true;
      return "INTEGER PRIMARY KEY AUTOINCREMENT";
    }
    if (is({"DOUBLE", "FLOAT", "FLOAT8", "NUMBER", "NUMERIC", "DOUBLE PRECISION", "IEEEDOUBLE"})) return "DOUBLE";
    if (is({"SINGLE", "REAL", "FLOAT4", "IEEESINGLE"})) return "SINGLE REAL";
    if (is({"CURRENCY", "MONEY"})) return "CURRENCY REAL";
    if (is({"DATETIME", "DATE", "TIME", "TIMESTAMP"})) return "DATETIME DOUBLE";
    if (is({"YESNO", "BIT", "LOGICAL", "LOGICAL1", "BOOLEAN"})) return "YESNO INTEGER NOT NULL DEFAULT 0";
    if (is({"BINARY", "VARBINARY"})) return "BINARY BLOB";
    if (is({"LONGBINARY", "OLEOBJECT", "GENERAL", "IMAGE", "LONG BINARY"})) return "LONGBINARY BLOB";
    if (is({"GUID", "UNIQUEIDENTIFIER"})) return "GUID TEXT";
    ThrowJet(jeterr::kSyntaxDdl, "Syntax error in field definition: unknown type '" + t + "'");
  }

  static std::string ColumnSql(const ColumnDef& c) {
    bool counter = false;
    std::string sql = QuoteIdentifier(c.name) + " " + SqliteType(c, counter);
    if (!counter) {
      if (c.notNull && sql.find("NOT NULL") == std::string::npos) sql += " NOT NULL";
      if (c.primaryKey) sql += " PRIMARY KEY";
    }
    if (c.unique) sql += " UNIQUE";
    return sql;
  }

  void Emit(const CreateTableStmt& ct) {
    out_.kind = StatementKind::CreateTable;
    std::string sql = "CREATE TABLE " + QuoteIdentifier(ct.table) + " (";
    bool hasCounter = false;
    for (size_t i = 0; i < ct.columns.size(); ++i) {
      bool counter = false;
      SqliteType(ct.columns[i], counter);
      hasCounter = hasCounter || counter;
      sql += (i ? ", " : "") + ColumnSql(ct.columns[i]);
    }
    auto list = [](const std::vector<std::string>& names) {
      std::string s;
      for (const auto& n : names) s += (s.empty() ? "" : ", ") + QuoteIdentifier(n);
      return s;
    };
    for (const auto& pk : ct.primaryKeys)
      if (!hasCounter) sql += ", PRIMARY KEY (" + list(pk) + ")";
    for (const auto& u : ct.uniques) sql += ", UNIQUE (" + list(u) + ")";
    out_.sql = sql + ")";
  }

  void Emit(const AlterTableStmt& at) {
    out_.kind = StatementKind::AlterTable;
    auto table = catalog_.FindTable(at.table);
    if (!table) UnknownTable(at.table);
    const ColumnInfo* existing = table->FindColumn(at.column.name);
    const std::string tableSql = QuoteIdentifier(table->name);
    switch (at.action) {
      case AlterTableStmt::Action::AlterColumn: {
        if (existing == nullptr) ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: '" + at.column.name + "'");
        bool counter = false;
        const std::string newType = SqliteType(at.column, counter);
        // SQLite declared types do not limit lengths, so a change that keeps
        // the column's storage class (TEXT(50) to TEXT(255)) is already in
        // effect. Anything else would need the table rebuilt.
        if (!counter && HasTextAffinity(newType) == existing->textAffinity &&
            TyFromJet(JetTypeFromDeclared(newType, false)) == TyFromJet(existing->type)) {
          out_.sql.clear();
          return;
        }
        ThrowJet(jeterr::kNotSupported, "ALTER COLUMN can only widen a column of the same type");
      }
      case AlterTableStmt::Action::AddColumn: {
        if (existing != nullptr) ThrowJet(3191, "Cannot define field more than once: '" + at.column.name + "'");
        bool counter = false;
        SqliteType(at.column, counter);
        if (counter || at.column.primaryKey) ThrowJet(jeterr::kNotSupported, "Cannot add a key column to an existing table");
        out_.sql = "ALTER TABLE " + tableSql + " ADD COLUMN " + ColumnSql(at.column);
        return;
      }
      case AlterTableStmt::Action::DropColumn:
        if (existing == nullptr) ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: '" + at.column.name + "'");
        out_.sql = "ALTER TABLE " + tableSql + " DROP COLUMN " + QuoteIdentifier(existing->name);
        return;
    }
  }

  void Emit(const DropStmt& d) {
    if (d.index) {
      out_.kind = StatementKind::DropIndex;
      out_.sql = "DROP INDEX " + QuoteIdentifier(d.name);
      return;
    }
    out_.kind = StatementKind::DropTable;
    auto table = catalog_.FindTable(d.name);
    if (!table) UnknownTable(d.name);
    out_.sql = "DROP TABLE " + QuoteIdentifier(table->name);
  }

  void Emit(const CreateIndexStmt& ci) {
    out_.kind = StatementKind::CreateIndex;
    auto table = catalog_.FindTable(ci.table);
    if (!table) UnknownTable(ci.table);
    std::string cols;
    for (const auto& [name, desc] : ci.columns) {
      const ColumnInfo* c = table->FindColumn(name);
      if (c == nullptr) ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: '" + name + "'");
      cols += (cols.empty() ? "" : ", ") + QuoteIdentifier(c->name) + (desc ? " DESC" : "");
    }
    // WITH PRIMARY becomes a unique index: SQLite cannot add a primary key.
    out_.sql = std::string("CREATE ") + (ci.unique || ci.primary ? "UNIQUE " : "") + "INDEX " + QuoteIdentifier(ci.name) +
               " ON " + QuoteIdentifier(table->name) + " (" + cols + ")";
  }

  // ---------------- SELECT ----------------
  SelectResult EmitSelect(const SelectStmt& s, Scope* parent) {
    if (++nesting_ > kMaxNesting) ThrowJet(jeterr::kSyntax, "Query is too complex");
    struct Leave {
      int& n;
      ~Leave() { --n; }
    } leave{nesting_};
    SelectResult result;
    if (s.cores.size() == 1) {
      Scope scope;
      scope.parent = parent;
      const SelectCore& core = s.cores.front();
      result.sql = EmitCore(core, scope, result.outputs);
      if (!s.orderBy.empty()) result.sql += " ORDER BY " + OrderBy(s.orderBy, &scope, result.outputs);
      if (core.top) result.sql = ApplyTop(core, result.sql, scope);
      return result;
    }
    for (size_t i = 0; i < s.cores.size(); ++i) {
      Scope scope;
      scope.parent = parent;
      std::vector<Col> outputs;
      std::string core = EmitCore(s.cores[i], scope, outputs);
      if (s.cores[i].top) core = "SELECT * FROM (" + ApplyTop(s.cores[i], core, scope) + ")";
      if (i == 0) {
        result.outputs = outputs;
        result.sql = core;
      } else {
        if (outputs.size() != result.outputs.size())
          ThrowJet(3307, "The number of columns in the two selected tables or queries of a union query do not match");
        result.sql += s.unionAll[i - 1] ? " UNION ALL " : " UNION ";
        result.sql += core;
      }
    }
    if (!s.orderBy.empty()) result.sql += " ORDER BY " + OrderBy(s.orderBy, nullptr, result.outputs);
    return result;
  }

  std::string ApplyTop(const SelectCore& core, const std::string& sql, Scope&) {
    const double n = *core.top;
    if (!core.topPercent) {
      return sql + " LIMIT " + std::to_string(static_cast<int64_t>(std::min(n, 9.2e18)));
    }
    if (sql.size() > kMaxRepeatedSql) TooComplex();  // the statement is written twice
    const double pct = std::min(n, 100.0);
    return sql + " LIMIT (SELECT CAST((count(*) * " + FormatReal(pct) + " + 99.999999) / 100 AS INTEGER) FROM (" +
           sql + "))";
  }

  std::string OrderBy(const std::vector<OrderItem>& items, Scope* scope, const std::vector<Col>& outputs) {
    std::string sql;
    for (const auto& item : items) {
      if (!sql.empty()) sql += ", ";
      const Expr& e = *item.expr;
      if (e.kind == ExprKind::Integer) {
        if (e.integer < 1 || static_cast<size_t>(e.integer) > outputs.size())
          ThrowJet(jeterr::kSyntax, "ORDER BY column number out of range");
        sql += std::to_string(e.integer);
      } else if (scope != nullptr) {
        sql += Val(e, *scope).sql;
      } else {
        // A union sorts by its output columns.
        size_t ordinal = 0;
        if (e.kind == ExprKind::Name) {
          for (size_t i = 0; i < outputs.size() && ordinal == 0; ++i)
            if (SameName(outputs[i].name, e.parts.back())) ordinal = i + 1;
        }
        if (ordinal == 0) ThrowJet(jeterr::kSyntax, "ORDER BY of a union query must name one of its columns");
        sql += std::to_string(ordinal);
      }
      if (item.descending) sql += " DESC";
    }
    return sql;
  }

  std::string EmitCore(const SelectCore& c, Scope& scope, std::vector<Col>& outputs) {
    std::string from;
    for (const auto& s : c.from) from += (from.empty() ? "" : ", ") + EmitSource(*s, scope);
    std::string items;
    int exprNumber = 1000;
    for (const auto& item : c.items) {
      if (!items.empty()) items += ", ";
      const Expr& e = *item.expr;
      if (e.kind == ExprKind::Star) {
        items += Star(e, scope, outputs);
        continue;
      }
      Emitted v = Val(e, scope);
      std::string name;
      bool needsAs = true;
      if (!item.alias.empty()) {
        name = item.alias;
      } else if (v.column) {
        name = v.columnName;
        needsAs = false;
      } else {
        name = "Expr" + std::to_string(exprNumber++);
      }
      items += v.sql + (needsAs ? " AS " + QuoteIdentifier(name) : "");
      outputs.push_back(Col{name, v.type, v.collation, v.textAffinity, v.column ? v.jetType : JetType::Unknown});
      if (!item.alias.empty()) scope.aliases.emplace_back(item.alias, v);
    }
    std::string sql = "SELECT ";
    // DISTINCTROW drops rows repeated in the underlying tables; over one
    // table (which has a key) that changes nothing, over a join DISTINCT on
    // the selected columns is the approximation.
    const bool singleTable = c.from.size() == 1 && c.from[0]->kind == TableSource::Kind::Table;
    if (c.distinct || (c.distinctRow && !singleTable)) sql += "DISTINCT ";
    sql += items;
    if (!from.empty()) sql += " FROM " + from;
    if (c.where) sql += " WHERE " + Cond(*c.where, scope).sql;
    if (!c.groupBy.empty()) {
      sql += " GROUP BY ";
      for (size_t i = 0; i < c.groupBy.size(); ++i) sql += (i ? ", " : "") + Val(*c.groupBy[i], scope).sql;
    }
    if (c.having) sql += " HAVING " + Cond(*c.having, scope).sql;
    return sql;
  }

  std::string Star(const Expr& e, Scope& scope, std::vector<Col>& outputs) {
    if (!e.parts.empty()) {
      for (const auto& s : scope.sources) {
        if (!s.exposed.empty() && SameName(s.exposed, e.parts[0])) {
          outputs.insert(outputs.end(), s.columns.begin(), s.columns.end());
          return s.qualifier + ".*";
        }
      }
      ThrowJet(3070, "The engine does not recognize '" + e.parts[0] + ".*' as a valid field name or expression");
    }
    if (scope.sources.empty()) ThrowJet(jeterr::kSyntaxSelect, "SELECT * needs a FROM clause");
    // Columns of the same name in two tables are named table.column, as Jet
    // names them; otherwise * stays *.
    bool duplicates = false;
    for (size_t i = 0; i < scope.sources.size() && !duplicates; ++i)
      for (const auto& c : scope.sources[i].columns)
        for (size_t j = i + 1; j < scope.sources.size() && !duplicates; ++j)
          if (FindCol(scope.sources[j], c.name) != nullptr) duplicates = true;
    if (!duplicates) {
      for (const auto& s : scope.sources) outputs.insert(outputs.end(), s.columns.begin(), s.columns.end());
      return "*";
    }
    std::string sql;
    for (size_t i = 0; i < scope.sources.size(); ++i) {
      const Source& s = scope.sources[i];
      for (const auto& c : s.columns) {
        bool dup = false;
        for (size_t j = 0; j < scope.sources.size(); ++j)
          if (j != i && FindCol(scope.sources[j], c.name) != nullptr) dup = true;
        const std::string ref = s.qualifier + "." + QuoteIdentifier(c.name);
        Col out = c;
        if (dup) out.name = s.exposed + "." + c.name;
        sql += (sql.empty() ? "" : ", ") + ref + (dup ? " AS " + QuoteIdentifier(out.name) : "");
        outputs.push_back(std::move(out));
      }
    }
    return sql;
  }

  std::string EmitSource(const TableSource& t, Scope& scope) {
    switch (t.kind) {
      case TableSource::Kind::Table: {
        auto table = catalog_.FindTable(t.name, t.externalFile.value_or(""));
        if (!table && !t.externalFile) {
          if (auto text = catalog_.StoredQueryText(t.name)) return StoredQuery(t, *text, scope);
        }
        if (!table) UnknownTable(t.name);
        Source s;
        s.baseTable = true;
        s.aliased = !t.alias.empty();
        s.exposed = t.alias.empty() ? table->name : t.alias;
        s.tableSql = (t.externalFile ? QuoteIdentifier(AttachSchema(*t.externalFile)) + "." : "") + QuoteIdentifier(table->name);
        for (const auto& c : table->columns)
          s.columns.push_back(Col{c.name, TyFromJet(c.type), c.collation, c.textAffinity, c.type});
        s.qualifier = QuoteIdentifier(s.exposed);
        std::string sql = s.tableSql;
        if (s.aliased || t.externalFile) {
          sql += " AS " + QuoteIdentifier(s.exposed);
          s.aliased = true;
        }
        AddSource(scope, std::move(s));
        return sql;
      }
      case TableSource::Kind::Derived: {
        SelectResult sub = EmitSelect(*t.derived, scope.parent);
        Source s;
        s.exposed = t.alias;
        // An unnamed derived table still gets a name in SQLite, so that its
        // columns can always be qualified.
        s.qualifier = QuoteIdentifier(t.alias.empty() ? "jet_q" + std::to_string(++derivedCount_) : t.alias);
        s.columns = std::move(sub.outputs);
        const std::string qualifier = s.qualifier;
        AddSource(scope, std::move(s));
        return "(" + sub.sql + ") AS " + qualifier;
      }
      case TableSource::Kind::Join: {
        std::string left = EmitSource(*t.left, scope);
        std::string right = EmitSource(*t.right, scope);
        if (t.right->kind == TableSource::Kind::Join) right = "(" + right + ")";
        const char* kw = t.join == JoinType::Inner ? " INNER JOIN " : t.join == JoinType::Left ? " LEFT JOIN " : " RIGHT JOIN ";
        return left + kw + right + " ON " + Cond(*t.on, scope).sql;
      }
    }
    return {};
  }

  // Two tables of one FROM clause need different names.
  static void AddSource(Scope& scope, Source s) {
    for (const auto& other : scope.sources) {
      if (!s.exposed.empty() && SameName(other.exposed, s.exposed))
        ThrowJet(jeterr::kSyntaxFrom, "'" + s.exposed + "' appears twice in the FROM clause; give one an alias");
    }
    scope.sources.push_back(std::move(s));
  }

  std::string StoredQuery(const TableSource& t, const std::string& text, Scope& scope) {
    if (++storedDepth_ > 8) ThrowJet(jeterr::kSyntax, "Circular reference caused by query '" + t.name + "'");
    struct Leave {
      int& n;
      ~Leave() { --n; }
    } leave{storedDepth_};
    Statement st = ParseStatement(text);
    auto* select = std::get_if<SelectStmt>(&st.body);
    // Names of a stored query count as appearing where the query is named.
    const size_t savedBase = positionBase_;
    positionBase_ = t.pos + positionBase_;
    struct Restore {
      size_t& base;
      size_t saved;
      ~Restore() { base = saved; }
    } restore{positionBase_, savedBase};
    if (select == nullptr) UnknownTable(t.name);
    for (const auto& p : st.parameters) {
      int64_t size = 0;
      const JetType type = JetTypeFromDeclared(p.type, false, &size);
      declared_.push_back(QueryParameter{p.name, type, p.size.value_or(size)});
    }
    SelectResult sub = EmitSelect(*select, scope.parent);
    Source s;
    s.exposed = t.alias.empty() ? t.name : t.alias;
    s.qualifier = QuoteIdentifier(s.exposed);
    s.columns = std::move(sub.outputs);
    AddSource(scope, std::move(s));
    return "(" + sub.sql + ") AS " + QuoteIdentifier(t.alias.empty() ? t.name : t.alias);
  }

  // ---------------- expressions ----------------
  Emitted Val(const Expr& e, Scope& scope) { return Finish(Expression(e, scope, Ctx::Value), Ctx::Value); }
  Emitted Cond(const Expr& e, Scope& scope) { return Finish(Expression(e, scope, Ctx::Condition), Ctx::Condition); }

  static Emitted Finish(Emitted e, Ctx ctx) {
    if (ctx == Ctx::Value && e.predicate) {
      // Jet's true is -1.
      e.sql = "(-" + e.sql + ")";
      e.predicate = false;
      e.type = Ty::Bool;
      e.column = false;
    }
    return e;
  }

  static Emitted Literal(std::string sql, Ty type) {
    Emitted e;
    e.sql = std::move(sql);
    e.type = type;
    return e;
  }

  static std::string Signed(std::string number) { return number[0] == '-' ? "(" + number + ")" : number; }

  static Emitted TextLiteral(const std::string& text) {
    Emitted e = Literal(QuoteString(text), Ty::Text);
    e.constText = text;
    return e;
  }

  Emitted Expression(const Expr& e, Scope& scope, Ctx ctx) {
    switch (e.kind) {
      case ExprKind::Null:
        return Literal("NULL", Ty::Null);
      // Negative literals (&HFFFF, dates before 1899-12-30) are parenthesized:
      // after a minus sign, "--" would start an SQL comment.
      case ExprKind::Integer:
        return Literal(Signed(std::to_string(e.integer)), Ty::Integer);
      case ExprKind::Real:
        return Literal(Signed(FormatReal(e.real)), Ty::Real);
      case ExprKind::Date:
        return Literal(Signed(FormatReal(e.real)), Ty::Date);
      case ExprKind::Bool:
        return Literal(e.integer != 0 ? "-1" : "0", Ty::Bool);
      case ExprKind::String:
        return TextLiteral(e.text);
      case ExprKind::Name:
        return Name(e, scope);
      case ExprKind::Star:
        ThrowJet(jeterr::kSyntax, "Syntax error: '*' is not valid here (position " + std::to_string(e.pos) + ")");
      case ExprKind::Unary:
        return Unary(e, scope, ctx);
      case ExprKind::Binary:
        return Binary(e, scope, ctx);
      case ExprKind::Between: {
        Emitted v = Val(*e.args[0], scope);
        Emitted lo = Val(*e.args[1], scope);
        Emitted hi = Val(*e.args[2], scope);
        const bool nocase = v.collation == kNoCaseCollation;
        Emitted r;
        r.sql = "(" + v.sql + (nocase ? " COLLATE JETNOCASE" : "") + (e.negated ? " NOT" : "") + " BETWEEN " + lo.sql +
                " AND " + hi.sql + ")";
        r.predicate = true;
        return r;
      }
      case ExprKind::InList: {
        Emitted v = Val(*e.args[0], scope);
        std::string list;
        for (size_t i = 1; i < e.args.size(); ++i) list += (i > 1 ? ", " : "") + Val(*e.args[i], scope).sql;
        Emitted r;
        r.sql = "(" + v.sql + (v.collation == kNoCaseCollation ? " COLLATE JETNOCASE" : "") + (e.negated ? " NOT IN (" : " IN (") +
                list + "))";
        r.predicate = true;
        return r;
      }
      case ExprKind::InSelect: {
        Emitted v = Val(*e.args[0], scope);
        SelectResult sub = EmitSelect(*e.select, &scope);
        if (sub.outputs.size() != 1)
          ThrowJet(3306, "You have written a subquery that can return more than one field without using the EXISTS "
                         "reserved word in the main query's FROM clause");
        Emitted r;
        r.sql = "(" + v.sql + (v.collation == kNoCaseCollation ? " COLLATE JETNOCASE" : "") + (e.negated ? " NOT IN (" : " IN (") +
                sub.sql + "))";
        r.predicate = true;
        return r;
      }
      case ExprKind::IsNull: {
        Emitted v = Val(*e.args[0], scope);
        Emitted r;
        r.sql = "(" + v.sql + (e.negated ? " IS NOT NULL)" : " IS NULL)");
        r.predicate = true;
        return r;
      }
      case ExprKind::Like:
        return Like(e, scope);
      case ExprKind::Call:
        return Call(e, scope);
      case ExprKind::Exists: {
        SelectResult sub = EmitSelect(*e.select, &scope);
        Emitted r;
        r.sql = "(EXISTS (" + sub.sql + "))";
        r.predicate = true;
        return r;
      }
      case ExprKind::Subquery: {
        SelectResult sub = EmitSelect(*e.select, &scope);
        if (sub.outputs.size() != 1)
          ThrowJet(3306, "You have written a subquery that can return more than one field");
        Emitted r;
        r.sql = "(" + sub.sql + ")";
        r.type = sub.outputs[0].type;
        return r;
      }
    }
    ThrowJet(jeterr::kSyntax, "Syntax error in query expression");
  }

  Emitted ColumnRef(const Source& s, const Col& c) {
    Emitted e;
    e.sql = s.qualifier + "." + QuoteIdentifier(c.name);
    e.type = c.type;
    e.collation = c.collation;
    e.column = true;
    e.columnName = c.name;
    e.textAffinity = c.textAffinity;
    e.jetType = c.jetType;
    return e;
  }

  Emitted Name(const Expr& e, Scope& scope) {
    const auto& parts = e.parts;
    if (parts.size() == 1) {
      for (Scope* s = &scope; s != nullptr; s = s->parent) {
        const Source* found = nullptr;
        const Col* col = nullptr;
        for (const auto& src : s->sources) {
          if (const Col* c = FindCol(src, parts[0])) {
            if (found != nullptr)
              ThrowJet(jeterr::kAmbiguousField, "The specified field '" + parts[0] +
                                                    "' could refer to more than one table listed in the FROM clause");
            found = &src;
            col = c;
          }
        }
        if (found != nullptr) return ColumnRef(*found, *col);
        if (s == &scope) {
          for (const auto& [alias, value] : s->aliases) {
            if (SameName(alias, parts[0])) {
              // Each use repeats the aliased expression's text; aliases built
              // on aliases would otherwise grow it exponentially.
              if (value.sql.size() > kMaxRepeatedSql) TooComplex();
              Emitted v = value;
              v.sql = "(" + v.sql + ")";
              return v;
            }
          }
        }
      }
    } else if (parts.size() == 2) {
      for (Scope* s = &scope; s != nullptr; s = s->parent) {
        for (const auto& src : s->sources) {
          if (src.exposed.empty() || !SameName(src.exposed, parts[0])) continue;
          const Col* c = FindCol(src, parts[1]);
          if (c == nullptr)
            ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: '" + parts[0] + "." + parts[1] + "'");
          return ColumnRef(src, *c);
        }
      }
    }
    std::string name;
    for (const auto& p : parts) name += (name.empty() ? "" : ".") + p;
    return ParameterRef(name, e.pos + positionBase_);
  }

  Emitted ParameterRef(const std::string& name, size_t position) {
    Emitted e;
    const int n = Parameter(name, position);
    e.sql = "?" + std::to_string(n);
    e.type = TyFromJet(out_.parameters[static_cast<size_t>(n - 1)].declaredType);
    return e;
  }

  int Parameter(const std::string& name, size_t position) {
    const std::string key = FoldText(name);
    for (size_t i = 0; i < paramKeys_.size(); ++i) {
      if (paramKeys_[i] == key) {
        auto& p = out_.parameters[i];
        p.position = std::min(p.position, position);
        return p.number;
      }
    }
    QueryParameter p;
    p.name = name;
    p.position = position;
    p.number = static_cast<int>(paramKeys_.size()) + 1;
    for (const auto& d : declared_) {
      if (SameName(d.name, name)) {
        p.declaredType = d.declaredType;
        p.declaredSize = d.declaredSize;
        break;
      }
    }
    if (paramKeys_.size() >= 32000) ThrowJet(jeterr::kSyntax, "Query is too complex: too many parameters");
    paramKeys_.push_back(key);
    out_.parameters.push_back(std::move(p));
    return static_cast<int>(paramKeys_.size());
  }

  Emitted Unary(const Expr& e, Scope& scope, Ctx ctx) {
    Emitted r;
    switch (e.op) {
      case Op::Not: {
        if (ctx == Ctx::Condition) {
          Emitted v = Expression(*e.args[0], scope, Ctx::Condition);
          if (v.predicate) {
            r.sql = "(NOT " + v.sql + ")";
            r.predicate = true;
            return r;
          }
          r.sql = "(~" + v.sql + ")";
          r.type = Ty::Integer;
          return r;
        }
        // Jet's Not is bitwise on values: Not 0 = -1, Not -1 = 0.
        Emitted v = Val(*e.args[0], scope);
        r.sql = "(~" + v.sql + ")";
        r.type = v.type == Ty::Bool ? Ty::Bool : Ty::Integer;
        return r;
      }
      case Op::Neg: {
        Emitted v = Val(*e.args[0], scope);
        r.sql = "(- " + v.sql + ")";
        r.type = IsNumeric(v.type) ? (v.type == Ty::Bool ? Ty::Integer : v.type) : Ty::Unknown;
        return r;
      }
      case Op::Pos:
        return Val(*e.args[0], scope);
      default:
        break;
    }
    ThrowJet(jeterr::kSyntax, "Syntax error in query expression");
  }

  static const char* ComparisonSql(Op op) {
    switch (op) {
      case Op::Eq: return " = ";
      case Op::Ne: return " <> ";
      case Op::Lt: return " < ";
      case Op::Le: return " <= ";
      case Op::Gt: return " > ";
      case Op::Ge: return " >= ";
      default: return nullptr;
    }
  }

  // The text a value contributes to & concatenation.
  static std::string TextForm(const Emitted& v) {
    switch (v.type) {
      case Ty::Text:
      case Ty::Integer:
      case Ty::Bool:
      case Ty::Null:
        return v.sql;
      case Ty::Date:
        return "jet_datestr(" + v.sql + ")";
      default:
        return "jet_cstr(" + v.sql + ")";
    }
  }

  Emitted Binary(const Expr& e, Scope& scope, Ctx ctx) {
    Emitted r;
    if (const char* cmp = ComparisonSql(e.op)) {
      Emitted a = Val(*e.args[0], scope);
      Emitted b = Val(*e.args[1], scope);
      const bool nocase = a.collation == kNoCaseCollation || b.collation == kNoCaseCollation;
      r.sql = "(" + a.sql + cmp + b.sql + (nocase ? " COLLATE JETNOCASE" : "") + ")";
      r.predicate = true;
      return r;
    }
    switch (e.op) {
      case Op::And:
      case Op::Or: {
        const char* word = e.op == Op::And ? " AND " : " OR ";
        if (ctx == Ctx::Condition) {
          const std::string a = Cond(*e.args[0], scope).sql;
          const std::string b = Cond(*e.args[1], scope).sql;
          r.sql = "(" + a + word + b + ")";
          r.predicate = true;
          return r;
        }
        // As values, And and Or are bitwise, with Jet's rules for Null.
        Emitted a = Val(*e.args[0], scope);
        Emitted b = Val(*e.args[1], scope);
        r.sql = (e.op == Op::And ? "jet_and(" : "jet_or(") + a.sql + ", " + b.sql + ")";
        r.type = a.type == Ty::Bool && b.type == Ty::Bool ? Ty::Bool : Ty::Integer;
        return r;
      }
      case Op::Xor:
      case Op::Eqv:
      case Op::Imp: {
        Emitted a = Val(*e.args[0], scope);
        Emitted b = Val(*e.args[1], scope);
        const char* fn = e.op == Op::Xor ? "jet_xor(" : e.op == Op::Eqv ? "jet_eqv(" : "jet_imp(";
        r.sql = fn + a.sql + ", " + b.sql + ")";
        r.type = a.type == Ty::Bool && b.type == Ty::Bool ? Ty::Bool : Ty::Integer;
        return r;
      }
      case Op::Concat: {
        Emitted a = Val(*e.args[0], scope);
        Emitted b = Val(*e.args[1], scope);
        if (a.constText && b.constText) return TextLiteral(*a.constText + *b.constText);
        r.type = Ty::Text;
        if (a.constText || b.constText) {
          // One side is text: the result is never Null.
          r.sql = "(ifnull(" + TextForm(a) + ", '') || ifnull(" + TextForm(b) + ", ''))";
        } else {
          r.sql = "jet_concat(" + (a.type == Ty::Date ? TextForm(a) : a.sql) + ", " +
                  (b.type == Ty::Date ? TextForm(b) : b.sql) + ")";
        }
        return r;
      }
      case Op::Add: {
        Emitted a = Val(*e.args[0], scope);
        Emitted b = Val(*e.args[1], scope);
        if (a.constText && b.constText) return TextLiteral(*a.constText + *b.constText);
        if (a.type == Ty::Text && b.type == Ty::Text) {
          r.sql = "(" + a.sql + " || " + b.sql + ")";
          r.type = Ty::Text;
        } else if ((IsNumeric(a.type) || a.type == Ty::Null) && (IsNumeric(b.type) || b.type == Ty::Null)) {
          r.sql = "(" + a.sql + " + " + b.sql + ")";
          r.type = ArithmeticType(a.type, b.type, true);
        } else if ((a.type == Ty::Text && IsNumeric(b.type)) || (IsNumeric(a.type) && b.type == Ty::Text)) {
          r.sql = "(" + a.sql + " + " + b.sql + ")";
          r.type = Ty::Real;
        } else {
          // Decided per row: text + text concatenates, anything else adds.
          r.sql = "jet_add(" + a.sql + ", " + b.sql + ")";
          r.type = Ty::Unknown;
        }
        return r;
      }
      case Op::Sub:
      case Op::Mul: {
        Emitted a = Val(*e.args[0], scope);
        Emitted b = Val(*e.args[1], scope);
        r.sql = "(" + a.sql + (e.op == Op::Sub ? " - " : " * ") + b.sql + ")";
        if (e.op == Op::Sub && a.type == Ty::Date && b.type == Ty::Date) r.type = Ty::Real;
        else r.type = ArithmeticType(a.type, b.type, e.op == Op::Sub);
        return r;
      }
      case Op::Div: {
        Emitted a = Val(*e.args[0], scope);
        Emitted b = Val(*e.args[1], scope);
        r.sql = "(CAST(" + a.sql + " AS REAL) / " + b.sql + ")";
        r.type = Ty::Real;
        return r;
      }
      case Op::IntDiv:
      case Op::Mod:
      case Op::Pow: {
        Emitted a = Val(*e.args[0], scope);
        Emitted b = Val(*e.args[1], scope);
        const char* fn = e.op == Op::IntDiv ? "jet_idiv(" : e.op == Op::Mod ? "jet_mod(" : "jet_pow(";
        r.sql = fn + a.sql + ", " + b.sql + ")";
        r.type = e.op == Op::Pow ? Ty::Real : Ty::Integer;
        return r;
      }
      default:
        break;
    }
    ThrowJet(jeterr::kSyntax, "Syntax error in query expression");
  }

  static Ty ArithmeticType(Ty a, Ty b, bool dateKeeps) {
    if (a == Ty::Null || b == Ty::Null) return Ty::Null;
    if (dateKeeps && (a == Ty::Date || b == Ty::Date)) return Ty::Date;
    if ((a == Ty::Integer || a == Ty::Bool) && (b == Ty::Integer || b == Ty::Bool)) return Ty::Integer;
    if (IsNumeric(a) && IsNumeric(b)) return Ty::Real;
    return Ty::Unknown;
  }

  Emitted Like(const Expr& e, Scope& scope) {
    Emitted v = Val(*e.args[0], scope);
    Emitted p = Val(*e.args[1], scope);
    Emitted r;
    r.predicate = true;
    std::string like = v.sql + " LIKE " + p.sql;
    if (e.negated) {
      r.sql = "(NOT (" + like + "))";
      return r;
    }
    // Our like() replaces SQLite's, which switches off its LIKE index
    // optimisation; the literal prefix's range gives the planner the index
    // back. The range holds for every matching row, so it only narrows.
    if (p.constText && v.column && v.textAffinity &&
        (v.collation == "BINARY" || v.collation == kNoCaseCollation)) {
      const LikePattern pattern(*p.constText);
      const auto range =
          RangeForLike(pattern, v.collation == kNoCaseCollation ? RangeCollation::NoCase : RangeCollation::Binary);
      if (range) {
        like += " AND " + v.sql + " >= " + QuoteString(range->lower);
        if (range->upper) like += " AND " + v.sql + " < " + QuoteString(*range->upper);
      }
    }
    r.sql = "(" + like + ")";
    return r;
  }

  Emitted Call(const Expr& e, Scope& scope) {
    std::string name = Upper(e.text);
    if (!name.empty() && name.back() == '$') name.pop_back();
    const int argc = static_cast<int>(e.args.size());
    auto arity = [&](int lo, int hi) {
      if (argc < lo || argc > hi || (e.star && name != "COUNT"))
        ThrowJet(jeterr::kSyntax, "Wrong number of arguments used with function '" + e.text + "' in query expression");
    };
    auto args = [&](size_t from = 0) {
      std::string s;
      for (size_t i = from; i < e.args.size(); ++i) s += (i > from ? ", " : "") + Val(*e.args[i], scope).sql;
      return s;
    };
    Emitted r;
    if (name == "COUNT") {
      if (e.star) {
        r.sql = "count(*)";
      } else {
        arity(1, 1);
        r.sql = "count(" + args() + ")";
      }
      r.type = Ty::Integer;
      return r;
    }
    if (name == "SUM" || name == "AVG" || name == "MIN" || name == "MAX" || name == "FIRST" || name == "LAST") {
      arity(1, 1);
      Emitted v = Val(*e.args[0], scope);
      const std::string fn = name == "FIRST" ? "jet_first" : name == "LAST" ? "jet_last" : LowerAscii(name);
      r.sql = fn + "(" + v.sql + ")";
      r.type = name == "AVG" ? Ty::Real : v.type;
      if (name == "MIN" || name == "MAX" || name == "FIRST" || name == "LAST") r.collation = v.collation;
      return r;
    }
    if (name == "IIF") {
      arity(3, 3);
      Emitted c = Cond(*e.args[0], scope);
      Emitted a = Val(*e.args[1], scope);
      Emitted b = Val(*e.args[2], scope);
      r.sql = "(CASE WHEN " + c.sql + " THEN " + a.sql + " ELSE " + b.sql + " END)";
      r.type = a.type == b.type ? a.type : (b.type == Ty::Null ? a.type : (a.type == Ty::Null ? b.type : Ty::Unknown));
      return r;
    }
    if (name == "NZ") {
      arity(1, 2);
      Emitted v = Val(*e.args[0], scope);
      r.sql = "coalesce(" + v.sql + ", " + (argc == 2 ? Val(*e.args[1], scope).sql : std::string("''")) + ")";
      r.type = v.type;
      return r;
    }
    if (name == "ISNULL") {
      arity(1, 1);
      r.sql = "(" + Val(*e.args[0], scope).sql + " IS NULL)";
      r.predicate = true;
      return r;
    }
    if (name == "CHR" || name == "CHRW") {
      arity(1, 1);
      const Expr& a = *e.args[0];
      if (a.kind == ExprKind::Integer && a.integer > 0 && a.integer <= 0x10FFFF && !(a.integer >= 0xD800 && a.integer <= 0xDFFF)) {
        std::string text;
        AppendUtf8(text, static_cast<char32_t>(a.integer));
        return TextLiteral(text);
      }
      r.sql = "char(" + args() + ")";
      r.type = Ty::Text;
      return r;
    }
    for (const auto& [fn, part] : kDatePartFunctions) {
      if (name == fn) {
        arity(1, name == "WEEKDAY" ? 2 : 1);
        r.sql = "jet_datepart('" + std::string(part) + "', " + args() + ")";
        r.type = Ty::Integer;
        return r;
      }
    }
    for (const auto& f : kFunctions) {
      if (name == f.jet) {
        arity(f.minArgs, f.maxArgs);
        std::vector<Emitted> values;
        for (const auto& a : e.args) values.push_back(Val(*a, scope));
        std::string list;
        for (size_t i = 0; i < values.size(); ++i) list += (i ? ", " : "") + values[i].sql;
        r.sql = std::string(f.sqlite) + "(" + list + ")";
        r.type = f.result == Ty::Unknown && !values.empty() ? (IsNumeric(values[0].type) ? values[0].type : Ty::Unknown)
                                                            : f.result;
        return r;
      }
    }
    ThrowJet(jeterr::kUndefinedFunction, "Undefined function '" + e.text + "' in expression");
  }

  static std::string LowerAscii(std::string_view s) {
    std::string out(s);
    for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
  }

  // ---------------- helpers ----------------
  static constexpr size_t kMaxRepeatedSql = 64 * 1024;

  [[noreturn]] static void TooComplex() { ThrowJet(jeterr::kSyntax, "Query is too complex"); }

  [[noreturn]] static void UnknownTable(const std::string& name) {
    ThrowJet(jeterr::kUnknownTable,
             "The engine cannot find the input table or query '" + name + "'. Make sure it exists and that its name is "
             "spelled correctly");
  }

  static std::string TargetColumn(const TableInfo& table, const std::string& name) {
    const ColumnInfo* c = table.FindColumn(name);
    if (c == nullptr)
      ThrowJet(jeterr::kUnknownInsertField, "The INSERT INTO statement contains the following unknown field name: '" +
                                                name + "'");
    return c->name;
  }

  std::string AttachSchema(const std::string& file) {
    for (const auto& a : out_.attachments)
      if (a.file == file) return a.schema;
    if (out_.attachments.size() >= 8) ThrowJet(jeterr::kNotSupported, "Too many external databases in one statement");
    Attachment a;
    a.file = file;
    a.schema = "jet_ext" + std::to_string(out_.attachments.size() + 1);
    out_.attachments.push_back(a);
    return a.schema;
  }

  SchemaCatalog& catalog_;
  Translation& out_;
  std::vector<QueryParameter> declared_;
  std::vector<std::string> paramKeys_;
  int nesting_ = 0;
  int storedDepth_ = 0;
  size_t positionBase_ = 0;
  int derivedCount_ = 0;
};

}  // namespace

// Rewrites ?N placeholders of emitted SQL (outside its quoted literals and
// names) to ?renumber[N].
std::string RenumberParameters(const std::string& sql, const std::vector<int>& renumber) {
  std::string out;
  out.reserve(sql.size());
  size_t i = 0;
  while (i < sql.size()) {
    const char c = sql[i];
    if (c == '\'' || c == '"') {
      size_t j = i + 1;
      while (j < sql.size()) {
        if (sql[j] == c) {
          if (j + 1 < sql.size() && sql[j + 1] == c) {
            j += 2;
            continue;
          }
          break;
        }
        ++j;
      }
      out.append(sql, i, j + 1 - i);
      i = j + 1;
    } else if (c == '?' && i + 1 < sql.size() && std::isdigit(static_cast<unsigned char>(sql[i + 1]))) {
      size_t j = i + 1;
      size_t n = 0;
      while (j < sql.size() && std::isdigit(static_cast<unsigned char>(sql[j]))) n = n * 10 + static_cast<size_t>(sql[j++] - '0');
      out += '?';
      out += std::to_string(n < renumber.size() ? renumber[n] : static_cast<int>(n));
      i = j;
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

Translation EmitStatement(const Statement& statement, SchemaCatalog& catalog) {
  Translation out;
  Emitter emitter(catalog, out);
  emitter.Run(statement);
  // FROM is emitted before the select list: list the parameters as written
  // and number them in that order, so that parameters[i] is ?(i + 1).
  std::stable_sort(out.parameters.begin(), out.parameters.end(),
                   [](const QueryParameter& a, const QueryParameter& b) { return a.position < b.position; });
  std::vector<int> renumber(out.parameters.size() + 1, 0);
  bool identity = true;
  for (size_t i = 0; i < out.parameters.size(); ++i) {
    renumber[static_cast<size_t>(out.parameters[i].number)] = static_cast<int>(i) + 1;
    identity = identity && out.parameters[i].number == static_cast<int>(i) + 1;
    out.parameters[i].number = static_cast<int>(i) + 1;
  }
  if (!identity) out.sql = RenumberParameters(out.sql, renumber);
  return out;
}

}  // namespace albumcore::store::jetsql
