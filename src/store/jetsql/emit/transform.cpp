// TRANSFORM value SELECT ... GROUP BY ... PIVOT pivot [IN (v1, v2 ...)]: a
// crosstab. The SELECT's items are the row headings, sorted unless the
// SELECT sorts them; each pivot value makes a column whose cells are the
// TRANSFORM aggregate over the rows of the group with that value:
//
//   SELECT headings, sum(x) FILTER (WHERE pivot IS v1) AS "v1", ...
//
// With IN the columns are the values listed, in that order. Without it they
// are the values the rows hold, in ascending order (Null first, as "<>"),
// which must be read before the statement can be written: the translation
// then carries a PivotPlan instead of its SQL.
#include "store/jetsql/emit/emitter_state.h"

#include "store/jetsql/emitter.h"
#include "store/jetsql/jet_dates.h"
#include "store/jetsql/jet_values.h"

namespace albumcore::store::jetsql::emit {

namespace {

// The name Jet gives the column of a value listed after IN.
std::string Heading(const Expr& e) {
  switch (e.kind) {
    case ExprKind::Null: return "<>";
    case ExprKind::String: return e.text;
    case ExprKind::Integer: return std::to_string(e.integer);
    case ExprKind::Real: return NumberText(e.real);
    case ExprKind::Date: return GeneralDate(e.real);
    case ExprKind::Bool: return e.integer != 0 ? "True" : "False";
    case ExprKind::Unary:
      if (e.op == Op::Neg && (e.args[0]->kind == ExprKind::Integer || e.args[0]->kind == ExprKind::Real))
        return "-" + Heading(*e.args[0]);
      break;
    default:
      break;
  }
  ThrowJet(jeterr::kSyntaxTransform, "The values after PIVOT ... IN must be constants");
}

}  // namespace

void Emitter::Emit(const TransformStmt& t) {
  out_.kind = StatementKind::Select;
  const SelectCore& core = t.select.cores.front();
  if (core.top) ThrowJet(jeterr::kNotSupported, "TOP is not supported in a crosstab query");
  Scope scope;
  std::vector<Col> outputs;
  size_t itemsEnd = 0;
  std::string sql = EmitCore(core, scope, outputs, &itemsEnd);
  const Emitted pivot = Val(*t.pivot, scope);
  const std::string collate = SortCollation(pivot);
  std::string order;
  if (!t.select.orderBy.empty()) {
    order = OrderBy(t.select.orderBy, &scope, outputs);
  } else {
    for (const auto& g : core.groupBy) order += (order.empty() ? "" : ", ") + Sorted(Val(*g, scope));
  }
  for (const auto& c : outputs) out_.columns.push_back(ResultColumn{c.name, JetTypeOf(c)});

  if (t.columns.empty()) {
    PivotPlan plan;
    Emitted cell = PivotCell(*t.value, "(" + pivot.sql + " IS ?0" + collate + ")", scope);
    plan.cellType = JetFromTy(cell.type);
    plan.cell = std::move(cell.sql);
    plan.head = sql.substr(0, itemsEnd);
    plan.tail = sql.substr(itemsEnd) + " ORDER BY " + order;
    plan.valuesSql = PivotValues(t);
    out_.pivot = std::move(plan);
    return;
  }
  if (outputs.size() + t.columns.size() > kMaxQueryColumns) ThrowJet(jeterr::kTooManyFields, "Too many fields defined.");
  std::string cells;
  for (const auto& value : t.columns) {
    const std::string heading = Heading(*value);
    const Emitted cell = PivotCell(*t.value, "(" + pivot.sql + " IS " + Val(*value, scope).sql + collate + ")", scope);
    cells += ", " + cell.sql + " AS " + QuoteIdentifier(heading);
    out_.columns.push_back(ResultColumn{heading, JetFromTy(cell.type)});
  }
  sql.insert(itemsEnd, cells);
  out_.sql = sql + " ORDER BY " + order;
}

// The pivot values of the rows FROM and WHERE give, one per group of equal
// values (as the pivot compares them), with the text of a value as its
// column's name.
std::string Emitter::PivotValues(const TransformStmt& t) {
  const SelectCore& core = t.select.cores.front();
  Scope scope;
  std::string from;
  for (const auto& s : core.from) from += (from.empty() ? "" : ", ") + EmitSource(*s, scope);
  const Emitted pivot = Val(*t.pivot, scope);
  const std::string collate = SortCollation(pivot);
  std::string sql = "SELECT " + pivot.sql + ", coalesce(" + TextForm(pivot) + ", '<>')";
  if (!from.empty()) sql += " FROM " + from;
  if (core.where) sql += " WHERE " + Cond(*core.where, scope).sql;
  return sql + " GROUP BY " + pivot.sql + collate + " ORDER BY " + pivot.sql + collate;
}

Emitted Emitter::PivotCell(const Expr& value, std::string match, Scope& scope) {
  pivotScope_ = &scope;
  pivotMatch_ = std::move(match);
  pivotAggregated_ = false;
  Emitted cell = Val(value, scope);
  pivotScope_ = nullptr;
  if (!pivotAggregated_)
    ThrowJet(jeterr::kNotAggregated, "You tried to execute a query that does not include the TRANSFORM value as part "
                                     "of an aggregate function.");
  if (cell.sql.size() > kMaxRepeatedSql) TooComplex();  // written once per column
  return cell;
}

std::string Emitter::CellRows(const Scope& scope) {
  if (&scope != pivotScope_) return {};
  pivotAggregated_ = true;
  return " FILTER (WHERE " + pivotMatch_ + ")";
}

}  // namespace albumcore::store::jetsql::emit
