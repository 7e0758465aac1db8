// Expressions: literals, names and parameters, operators with Jet's
// meaning, LIKE with its index range.
#include "store/jetsql/emit/emitter_state.h"

#include "com/text.h"
#include "store/jetsql/emitter.h"
#include "store/jetsql/jet_text.h"

namespace albumcore::store::jetsql::emit {

namespace {

// Values whose comparisons a collation can affect: text, and what may be
// text when the row runs (parameters, untyped expressions).
bool MayBeText(Ty t) { return t == Ty::Text || t == Ty::Unknown; }

bool FoldsOrOrders(const std::string& collation) { return !collation.empty() && collation != kBinaryCollation; }

const std::string kCollateNoCase = " COLLATE " + std::string(kNoCaseCollation);
const std::string kCollateBinary = " COLLATE " + std::string(kBinaryCollation);

// The column a subquery gives, as a value compared with.
Emitted SubqueryColumn(const Col& c, std::string sql) {
  Emitted e;
  e.sql = std::move(sql);
  e.type = c.type;
  e.collation = c.collation;
  e.exact = c.exact;
  e.jetType = c.jetType;
  return e;
}

}  // namespace

// Jet compares all text ignoring case; identity columns (declared BINARY)
// are this system's exception, and a comparison with one on either side is
// exact. Numbers get no collation, which would keep SQLite off their
// indexes. SQLite takes an explicit COLLATE first, then the left column's,
// then the right one's: exact comparisons need BINARY spelled out only
// when a side brings a collation of its own.
std::string Emitter::Collate(const Emitted& v, const std::vector<const Emitted*>& others) {
  if (!MayBeText(v.type)) return {};
  bool text = false, exact = v.exact, ownCollation = FoldsOrOrders(v.collation);
  for (const Emitted* o : others) {
    if (!MayBeText(o->type)) continue;
    text = true;
    exact = exact || o->exact;
    ownCollation = ownCollation || FoldsOrOrders(o->collation);
  }
  if (!text) return {};
  if (!exact) return kCollateNoCase;
  return ownCollation ? kCollateBinary : "";
}

std::string Emitter::SortCollation(const Emitted& v) {
  return MayBeText(v.type) && !v.exact && !FoldsOrOrders(v.collation) ? kCollateNoCase : std::string();
}

std::string Emitter::Sorted(const Emitted& v) { return v.sql + SortCollation(v); }

void Emitter::TypeParameter(const Emitted& parameter, const Emitted& other, bool criterion) {
  if (other.parameter != 0) return;
  TypeParameter(parameter, other.jetType != JetType::Unknown ? other.jetType : JetFromTy(other.type), 0, criterion);
}

void Emitter::TypeParameter(const Emitted& parameter, JetType type, int64_t size, bool criterion) {
  if (parameter.parameter == 0 || type == JetType::Unknown) return;
  QueryParameter& p = out_.parameters[static_cast<size_t>(parameter.parameter - 1)];
  if (p.type != JetType::Unknown) return;  // declared, or met before
  // A small integer field compared with a larger number is no error.
  if (criterion && (type == JetType::Byte || type == JetType::Integer)) type = JetType::Long;
  p.type = type;
  p.size = type == JetType::Text ? size : 0;
  p.criterion = criterion;
}

// Jet refuses text longer than a Text(n) field on every write. A parameter
// is converted and checked when it is bound, a value known to fit needs
// nothing; anything else is checked by jet_fieldsize as the row is written.
std::string Emitter::Assigned(const Emitted& v, JetType type, int64_t size) {
  TypeParameter(v, type, size, false);
  if (type != JetType::Text || size <= 0) return v.sql;
  int64_t longest = v.maxLength;
  if (v.parameter != 0) {
    const QueryParameter& p = out_.parameters[static_cast<size_t>(v.parameter - 1)];
    if (p.type == JetType::Text && p.size > 0) longest = p.size;
  }
  if (longest >= 0 && longest <= size) return v.sql;
  return "jet_fieldsize(" + v.sql + ", " + std::to_string(size) + ")";
}

Emitted Emitter::Finish(Emitted e, Ctx ctx) {
  if (ctx == Ctx::Value && e.predicate) {
    // Jet's true is -1.
    e.sql = "(-" + e.sql + ")";
    e.predicate = false;
    e.type = Ty::Bool;
    e.column = false;
  }
  return e;
}

Emitted Emitter::Literal(std::string sql, Ty type) {
  Emitted e;
  e.sql = std::move(sql);
  e.type = type;
  return e;
}

static std::string Signed(std::string number) { return number[0] == '-' ? "(" + number + ")" : number; }

Emitted Emitter::TextLiteral(const std::string& text) {
  Emitted e = Literal(QuoteString(text), Ty::Text);
  e.constText = text;
  e.maxLength = static_cast<int64_t>(com::Utf16Length(text));
  return e;
}

Emitted Emitter::Expression(const Expr& e, Scope& scope, Ctx ctx) {
  switch (e.kind) {
    case ExprKind::Null: {
      Emitted null = Literal("NULL", Ty::Null);
      null.maxLength = 0;
      return null;
    }
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
      for (const Emitted* bound : {&lo, &hi}) {
        TypeParameter(*bound, v, true);
        TypeParameter(v, *bound, true);
      }
      Emitted r;
      r.sql = "(" + v.sql + Collate(v, {&lo, &hi}) + (e.negated ? " NOT" : "") + " BETWEEN " + lo.sql + " AND " +
              hi.sql + ")";
      r.predicate = true;
      return r;
    }
    case ExprKind::InList: {
      Emitted v = Val(*e.args[0], scope);
      std::vector<Emitted> items;
      std::vector<const Emitted*> compared;
      std::string list;
      items.reserve(e.args.size());
      for (size_t i = 1; i < e.args.size(); ++i) {
        items.push_back(Val(*e.args[i], scope));
        TypeParameter(items.back(), v, true);
        TypeParameter(v, items.back(), true);
        compared.push_back(&items.back());
        list += (i > 1 ? ", " : "") + items.back().sql;
      }
      Emitted r;
      r.sql = "(" + v.sql + Collate(v, compared) + (e.negated ? " NOT IN (" : " IN (") + list + "))";
      r.predicate = true;
      return r;
    }
    case ExprKind::InSelect: {
      Emitted v = Val(*e.args[0], scope);
      SelectResult sub = EmitSelect(*e.select, &scope);
      if (sub.outputs.size() != 1)
        ThrowJet(jeterr::kSubqueryFields, "You have written a subquery that can return more than one field without using the EXISTS "
                       "reserved word in the main query's FROM clause");
      const Emitted column = SubqueryColumn(sub.outputs[0], sub.sql);
      TypeParameter(v, column, true);
      Emitted r;
      r.sql = "(" + v.sql + Collate(v, {&column}) + (e.negated ? " NOT IN (" : " IN (") + sub.sql + "))";
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
    case ExprKind::Quantified:
      return Quantified(e, scope);
    case ExprKind::Identity:
      return Literal("jet_identity()", Ty::Integer);
    case ExprKind::Subquery: {
      SelectResult sub = EmitSelect(*e.select, &scope);
      if (sub.outputs.size() != 1)
        ThrowJet(jeterr::kSubqueryFields, "You have written a subquery that can return more than one field");
      Emitted r;
      r.sql = "(" + sub.sql + ")";
      r.type = sub.outputs[0].type;
      r.exact = sub.outputs[0].exact;
      return r;
    }
  }
  ThrowJet(jeterr::kSyntax, "Syntax error in query expression");
}

Emitted Emitter::ColumnRef(const Source& s, const Col& c) {
  Emitted e;
  e.sql = s.qualifier + "." + QuoteIdentifier(c.name);
  e.type = c.type;
  e.collation = c.collation;
  e.exact = c.exact;
  e.column = true;
  e.columnName = c.name;
  e.origin = c.origin;
  e.textAffinity = c.textAffinity;
  e.jetType = c.jetType;
  e.size = c.size;
  e.maxLength = c.maxLength;
  e.parameter = c.parameter;
  return e;
}

Emitted Emitter::Name(const Expr& e, Scope& scope) {
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

Emitted Emitter::ParameterRef(const std::string& name, size_t position) {
  Emitted e;
  const int n = Parameter(name, position);
  e.sql = "?" + std::to_string(n);
  e.type = TyFromJet(out_.parameters[static_cast<size_t>(n - 1)].declaredType);
  e.parameter = n;
  return e;
}

int Emitter::Parameter(const std::string& name, size_t position) {
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
      p.declaredType = p.type = d.declaredType;
      p.declaredSize = p.size = d.declaredSize;
      break;
    }
  }
  if (paramKeys_.size() >= 32000) ThrowJet(jeterr::kSyntax, "Query is too complex: too many parameters");
  paramKeys_.push_back(key);
  out_.parameters.push_back(std::move(p));
  return static_cast<int>(paramKeys_.size());
}

Emitted Emitter::Unary(const Expr& e, Scope& scope, Ctx ctx) {
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

const char* Emitter::ComparisonSql(Op op) {
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
std::string Emitter::TextForm(const Emitted& v) {
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

Emitted Emitter::Binary(const Expr& e, Scope& scope, Ctx ctx) {
  Emitted r;
  if (const char* cmp = ComparisonSql(e.op)) {
    Emitted a = Val(*e.args[0], scope);
    Emitted b = Val(*e.args[1], scope);
    TypeParameter(a, b, true);
    TypeParameter(b, a, true);
    r.sql = "(" + a.sql + cmp + b.sql + Collate(a, {&b}) + ")";
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

Ty Emitter::ArithmeticType(Ty a, Ty b, bool dateKeeps) {
  if (a == Ty::Null || b == Ty::Null) return Ty::Null;
  if (dateKeeps && (a == Ty::Date || b == Ty::Date)) return Ty::Date;
  if ((a == Ty::Integer || a == Ty::Bool) && (b == Ty::Integer || b == Ty::Bool)) return Ty::Integer;
  if (IsNumeric(a) && IsNumeric(b)) return Ty::Real;
  return Ty::Unknown;
}

// x op ANY (S) holds when some row of S makes the comparison true, x op ALL
// (S) when none makes it false: over no rows ANY is false and ALL is true.
// When no row decides and a comparison was Null, the result is Null. One
// pass over S answers all three.
Emitted Emitter::Quantified(const Expr& e, Scope& scope) {
  Emitted v = Val(*e.args[0], scope);
  if (v.sql.size() > kMaxRepeatedSql) TooComplex();  // written twice
  SelectResult sub = EmitSelect(*e.select, &scope);
  if (sub.outputs.size() != 1)
    ThrowJet(jeterr::kSubqueryFields, "You have written a subquery that can return more than one field");
  const Emitted column = SubqueryColumn(sub.outputs[0], "jet_any." + QuoteIdentifier(sub.outputs[0].name));
  TypeParameter(v, column, true);
  const std::string comparison = "(" + v.sql + ComparisonSql(e.op) + column.sql + Collate(v, {&column}) + ")";
  const std::string decided = e.all ? "min(" + comparison + ") = 0 THEN 0" : "max(" + comparison + ") THEN 1";
  Emitted r;
  r.sql = "(SELECT CASE WHEN " + decided + " WHEN max(" + comparison + " IS NULL) THEN NULL ELSE " +
          (e.all ? "1" : "0") + " END FROM (" + sub.sql + ") AS jet_any)";
  r.predicate = true;
  return r;
}

Emitted Emitter::Like(const Expr& e, Scope& scope) {
  Emitted v = Val(*e.args[0], scope);
  Emitted p = Val(*e.args[1], scope);
  TypeParameter(p, JetType::Memo, 0, true);
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
      (v.collation == kBinaryCollation || v.collation == kNoCaseCollation)) {
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

}  // namespace albumcore::store::jetsql::emit
