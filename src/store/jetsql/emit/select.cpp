// SELECT: cores, unions, TOP, ORDER BY, the FROM clause and stored queries
// named like tables.
#include "store/jetsql/emit/emitter_state.h"

#include <algorithm>

#include "store/jetsql/emitter.h"
#include "store/jetsql/parser.h"

namespace albumcore::store::jetsql::emit {

namespace {

// A column of a table; `writable` when rows of the table can be written back
// (a table of the main file, not a view).
Col TableColumn(const ColumnInfo& c, bool writable) {
  Col col;
  col.name = c.name;
  col.type = TyFromJet(c.type);
  col.collation = c.collation;
  col.textAffinity = c.textAffinity;
  col.jetType = c.type;
  col.size = c.size;
  col.exact = col.type == Ty::Text && c.collation == kBinaryCollation;
  if (writable) col.origin = c.name;
  if (col.type == Ty::Text && c.size > 0) col.maxLength = c.size;
  return col;
}

// The columns of a query used as a table: they show no table's column there.
std::vector<Col> DerivedColumns(std::vector<Col> outputs) {
  for (auto& c : outputs) c.origin.clear();
  return outputs;
}

}  // namespace

// Jet updates through a query that shows columns of one table of this file,
// one row of it per row of the result: no join, grouping, DISTINCT, union
// or aggregate, and no computed column (the adapter writes columns back by
// name).
bool Emitter::Updatable(const SelectCore& c, const Scope& scope, const std::vector<Col>& outputs) {
  if (Distinct(c) || !c.groupBy.empty() || c.having || scope.aggregates) return false;
  if (c.from.size() != 1 || scope.sources.size() != 1) return false;
  const Source& s = scope.sources.front();
  if (!s.baseTable || s.external || outputs.empty()) return false;
  return std::all_of(outputs.begin(), outputs.end(), [](const Col& o) { return !o.origin.empty(); });
}

SelectResult Emitter::EmitSelect(const SelectStmt& s, Scope* parent) {
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
    size_t itemsEnd = 0;
    result.sql = EmitCore(core, scope, result.outputs, &itemsEnd);
    if (core.top) result.sql = ApplyTop(core, std::move(result.sql), itemsEnd, s.orderBy, scope, result.outputs);
    else if (!s.orderBy.empty()) result.sql += " ORDER BY " + OrderBy(s.orderBy, &scope, result.outputs);
    if (Updatable(core, scope, result.outputs)) {
      result.baseTable = scope.sources.front().tableName;
      result.rowid = scope.sources.front().qualifier + ".rowid";
    }
    return result;
  }
  for (size_t i = 0; i < s.cores.size(); ++i) {
    Scope scope;
    scope.parent = parent;
    std::vector<Col> outputs;
    size_t itemsEnd = 0;
    std::string core = EmitCore(s.cores[i], scope, outputs, &itemsEnd);
    if (s.cores[i].top) core = "SELECT * FROM (" + ApplyTop(s.cores[i], core, itemsEnd, {}, scope, outputs) + ")";
    if (i == 0) {
      result.outputs = outputs;
      result.sql = core;
    } else {
      if (outputs.size() != result.outputs.size())
        ThrowJet(jeterr::kUnionColumns, "The number of columns in the two selected tables or queries of a union query do not match");
      result.sql += s.unionAll[i - 1] ? " UNION ALL " : " UNION ";
      result.sql += core;
    }
  }
  if (!s.orderBy.empty()) result.sql += " ORDER BY " + OrderBy(s.orderBy, nullptr, result.outputs);
  return result;
}

// TOP n without ORDER BY is the first n rows. With ORDER BY, Jet also
// returns the rows tied with the n-th on the ORDER BY values: those ranked
// at most n. TOP n PERCENT keeps the first ceil(count * n / 100) rows, ties
// too. The ranks are window functions over the core's rows.
//
// A core of plain rows stays a plain SELECT (so a recordset can still write
// its rows back), limited to the number of rows ranked in:
//
//   SELECT ... FROM f WHERE w ORDER BY keys LIMIT (SELECT count(*) FROM
//     (SELECT rank() OVER (ORDER BY keys) AS jet_rank, count(*) OVER () AS
//     jet_total FROM f WHERE w) WHERE jet_rank <= n)
//
// A core that groups or removes duplicates ranks the rows it gives, with the
// sort keys as columns of their own and the columns renamed by position (so
// names it repeats do not clash):
//
//   WITH jet_top_rows(jet_c1.., jet_k1..) AS (core with the keys),
//        jet_top_ranked AS (SELECT *, rank() ... FROM jet_top_rows)
//   SELECT jet_c1 AS name1, ... FROM jet_top_ranked WHERE jet_rank <= n ORDER BY jet_rank
std::string Emitter::ApplyTop(const SelectCore& core, std::string sql, size_t itemsEnd,
                              const std::vector<OrderItem>& orderBy, Scope& scope, const std::vector<Col>& outputs) {
  const double n = *core.top;
  if (!core.topPercent && orderBy.empty())
    return sql + " LIMIT " + std::to_string(static_cast<int64_t>(std::min(n, 9.2e18)));
  const std::string kept = core.topPercent
                               ? "(jet_rank - 1) * 100 < jet_total * " + FormatReal(std::min(n, 100.0))
                               : "jet_rank <= " + std::to_string(static_cast<int64_t>(std::min(n, 9.2e18)));
  bool byPosition = false;
  for (const auto& item : orderBy) byPosition = byPosition || item.expr->kind == ExprKind::Integer;
  if (!Distinct(core) && core.groupBy.empty() && !core.having && !byPosition) {
    const std::string keys = orderBy.empty() ? "" : OrderBy(orderBy, &scope, outputs);
    const std::string rank = keys.empty() ? "row_number() OVER ()" : "rank() OVER (ORDER BY " + keys + ")";
    const std::string rows = sql.substr(itemsEnd);  // FROM ... WHERE ...
    if (rows.size() > kMaxRepeatedSql) TooComplex();  // written twice
    return sql + (keys.empty() ? "" : " ORDER BY " + keys) + " LIMIT (SELECT count(*) FROM (SELECT " + rank +
           " AS jet_rank, count(*) OVER () AS jet_total" + rows + ") WHERE " + kept + ")";
  }
  std::string columns, keys, hidden;
  for (size_t i = 0; i < outputs.size(); ++i) columns += (i ? ", " : "") + std::string("jet_c") + std::to_string(i + 1);
  for (size_t i = 0; i < orderBy.size(); ++i) {
    const Expr& e = *orderBy[i].expr;
    std::string key;
    if (e.kind == ExprKind::Integer) {
      if (e.integer < 1 || static_cast<size_t>(e.integer) > outputs.size())
        ThrowJet(jeterr::kSyntax, "ORDER BY column number out of range");
      key = "jet_c" + std::to_string(e.integer);
    } else {
      key = "jet_k" + std::to_string(i + 1);
      hidden += ", " + Sorted(Val(e, scope));
      columns += ", " + key;
    }
    keys += (i ? ", " : "") + key + (orderBy[i].descending ? " DESC" : "");
  }
  sql.insert(itemsEnd, hidden);
  const std::string rank = keys.empty() ? "row_number() OVER ()" : "rank() OVER (ORDER BY " + keys + ")";
  std::string names;
  for (size_t i = 0; i < outputs.size(); ++i)
    names += (i ? ", " : "") + std::string("jet_c") + std::to_string(i + 1) + " AS " + QuoteIdentifier(outputs[i].name);
  return "WITH jet_top_rows(" + columns + ") AS (" + sql + "), jet_top_ranked AS (SELECT *, " + rank +
         " AS jet_rank, count(*) OVER () AS jet_total FROM jet_top_rows) SELECT " + names +
         " FROM jet_top_ranked WHERE " + kept + " ORDER BY jet_rank";
}

std::string Emitter::OrderBy(const std::vector<OrderItem>& items, Scope* scope, const std::vector<Col>& outputs) {
  std::string sql;
  for (const auto& item : items) {
    if (!sql.empty()) sql += ", ";
    const Expr& e = *item.expr;
    if (e.kind == ExprKind::Integer) {
      if (e.integer < 1 || static_cast<size_t>(e.integer) > outputs.size())
        ThrowJet(jeterr::kSyntax, "ORDER BY column number out of range");
      sql += std::to_string(e.integer);
    } else if (scope != nullptr) {
      sql += Sorted(Val(e, *scope));
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

std::string Emitter::EmitCore(const SelectCore& c, Scope& scope, std::vector<Col>& outputs, size_t* itemsEnd) {
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
    // A computed text column carries JETNOCASE, which DISTINCT, UNION, an
    // ORDER BY by position and a query selecting from this one then use.
    // Columns keep their own collation (and SQLite's metadata of them); a
    // bare parameter is one value for all rows.
    const bool folded = !v.column && v.parameter == 0 && !SortCollation(v).empty();
    items += (folded ? Sorted(v) : v.sql) + (needsAs ? " AS " + QuoteIdentifier(name) : "");
    Col out;
    out.name = name;
    out.type = v.type;
    out.collation = folded ? std::string(kNoCaseCollation) : v.collation;
    out.textAffinity = v.textAffinity;
    out.jetType = v.column ? v.jetType : JetType::Unknown;
    out.size = v.size;
    out.exact = v.exact;
    out.origin = v.origin;
    out.maxLength = v.maxLength;
    out.parameter = v.parameter;
    outputs.push_back(std::move(out));
    if (!item.alias.empty()) scope.aliases.emplace_back(item.alias, v);
  }
  std::string sql = "SELECT ";
  if (Distinct(c)) sql += "DISTINCT ";
  sql += items;
  if (itemsEnd != nullptr) *itemsEnd = sql.size();
  if (!from.empty()) sql += " FROM " + from;
  if (c.where) sql += " WHERE " + Cond(*c.where, scope).sql;
  if (!c.groupBy.empty()) {
    sql += " GROUP BY ";
    for (size_t i = 0; i < c.groupBy.size(); ++i) sql += (i ? ", " : "") + Sorted(Val(*c.groupBy[i], scope));
  }
  if (c.having) sql += " HAVING " + Cond(*c.having, scope).sql;
  return sql;
}

// DISTINCTROW drops rows repeated in the underlying tables; over one table
// (which has a key) that changes nothing, over a join DISTINCT on the
// selected columns is the approximation.
bool Emitter::Distinct(const SelectCore& c) {
  const bool singleTable = c.from.size() == 1 && c.from[0]->kind == TableSource::Kind::Table;
  return c.distinct || (c.distinctRow && !singleTable);
}

std::string Emitter::Star(const Expr& e, Scope& scope, std::vector<Col>& outputs) {
  if (!e.parts.empty()) {
    for (const auto& s : scope.sources) {
      if (!s.exposed.empty() && SameName(s.exposed, e.parts[0])) {
        outputs.insert(outputs.end(), s.columns.begin(), s.columns.end());
        return s.qualifier + ".*";
      }
    }
    ThrowJet(jeterr::kUnknownField, "The engine does not recognize '" + e.parts[0] + ".*' as a valid field name or expression");
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

std::string Emitter::EmitSource(const TableSource& t, Scope& scope) {
  switch (t.kind) {
    case TableSource::Kind::Table: {
      auto table = catalog_.FindTable(t.name, t.externalFile.value_or(""));
      if (!table && !t.externalFile) {
        if (auto text = catalog_.StoredQueryText(t.name)) return StoredQuery(t, *text, scope);
      }
      if (!table) UnknownTable(t.name);
      Source s;
      s.baseTable = true;
      s.external = t.externalFile.has_value();
      s.aliased = !t.alias.empty();
      s.exposed = t.alias.empty() ? table->name : t.alias;
      s.tableName = table->name;
      s.tableSql = (t.externalFile ? QuoteIdentifier(AttachSchema(*t.externalFile)) + "." : "") + QuoteIdentifier(table->name);
      for (const auto& c : table->columns) s.columns.push_back(TableColumn(c, !s.external && !table->view));
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
      s.columns = DerivedColumns(std::move(sub.outputs));
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
void Emitter::AddSource(Scope& scope, Source s) {
  for (const auto& other : scope.sources) {
    if (!s.exposed.empty() && SameName(other.exposed, s.exposed))
      ThrowJet(jeterr::kSyntaxFrom, "'" + s.exposed + "' appears twice in the FROM clause; give one an alias");
  }
  scope.sources.push_back(std::move(s));
}

std::string Emitter::StoredQuery(const TableSource& t, const std::string& text, Scope& scope) {
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
  s.columns = DerivedColumns(std::move(sub.outputs));
  AddSource(scope, std::move(s));
  return "(" + sub.sql + ") AS " + QuoteIdentifier(t.alias.empty() ? t.name : t.alias);
}

}  // namespace albumcore::store::jetsql::emit
