// Function calls: aggregates, IIf, Switch, Choose, Nz, Chr, and the Jet
// functions that map to jet_... application functions or SQLite built-ins.
#include "store/jetsql/emit/emitter_state.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "store/jetsql/ascii.h"
#include "store/jetsql/jet_text.h"

namespace albumcore::store::jetsql::emit {

namespace {

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
    {"HEX", "jet_hex", 1, 1, Ty::Text},             {"OCT", "jet_oct", 1, 1, Ty::Text},
    {"INSTRREV", "jet_instrrev", 2, 4, Ty::Integer}, {"STRREVERSE", "jet_strreverse", 1, 1, Ty::Text},
    {"MONTHNAME", "jet_monthname", 1, 2, Ty::Text}, {"WEEKDAYNAME", "jet_weekdayname", 1, 3, Ty::Text},
    {"TIMEVALUE", "jet_timevalue", 1, 1, Ty::Date}, {"PARTITION", "jet_partition", 4, 4, Ty::Text},
    {"ATN", "jet_atn", 1, 1, Ty::Real},             {"COS", "jet_cos", 1, 1, Ty::Real},
    {"SIN", "jet_sin", 1, 1, Ty::Real},             {"TAN", "jet_tan", 1, 1, Ty::Real},
};

// Aggregates of the spread of the values, each a jet_... aggregate.
constexpr std::string_view kSpreadAggregates[] = {"STDEV", "STDEVP", "VAR", "VARP"};

// The type of a value that is one of two: Null gives way to the other.
Ty EitherType(Ty a, Ty b) { return a == b ? a : (b == Ty::Null ? a : (a == Ty::Null ? b : Ty::Unknown)); }

// Date parts with a function of their own: Year(d) is DatePart("yyyy", d).
constexpr std::pair<std::string_view, std::string_view> kDatePartFunctions[] = {
    {"YEAR", "yyyy"}, {"MONTH", "m"}, {"DAY", "d"}, {"HOUR", "h"}, {"MINUTE", "n"}, {"SECOND", "s"}, {"WEEKDAY", "w"},
};


}  // namespace

Emitted Emitter::Call(const Expr& e, Scope& scope) {
  std::string name = Upper(e.text);
  if (!name.empty() && name.back() == '$') name.pop_back();
  const int argc = static_cast<int>(e.args.size());
  auto wrongCount = [&] {
    ThrowJet(jeterr::kSyntax, "Wrong number of arguments used with function '" + e.text + "' in query expression");
  };
  auto arity = [&](int lo, int hi) {
    if (argc < lo || argc > hi || (e.star && name != "COUNT")) wrongCount();
  };
  constexpr int kAny = std::numeric_limits<int>::max();
  auto args = [&](size_t from = 0) {
    std::string s;
    for (size_t i = from; i < e.args.size(); ++i) s += (i > from ? ", " : "") + Val(*e.args[i], scope).sql;
    return s;
  };
  Emitted r;
  if (name == "COUNT") {
    scope.aggregates = true;
    if (e.star) {
      r.sql = "count(*)" + CellRows(scope);
    } else {
      arity(1, 1);
      r.sql = "count(" + args() + ")" + CellRows(scope);
    }
    // A crosstab cell without rows is empty, not 0.
    if (&scope == pivotScope_) r.sql = "(CASE WHEN max(" + pivotMatch_ + ") THEN " + r.sql + " END)";
    r.type = Ty::Integer;
    return r;
  }
  if (name == "SUM" || name == "AVG" || name == "MIN" || name == "MAX" || name == "FIRST" || name == "LAST") {
    arity(1, 1);
    scope.aggregates = true;
    Emitted v = Val(*e.args[0], scope);
    const bool pick = name != "SUM" && name != "AVG";  // returns one of the values
    if (name == "FIRST" || name == "LAST") {
      r.sql = (name == "FIRST" ? "jet_first(" : "jet_last(") + v.sql + ")";
    } else {
      r.sql = LowerAscii(name) + "(" + (pick ? Sorted(v) : v.sql) + ")";  // Min and Max compare as Jet does
    }
    r.sql += CellRows(scope);
    r.type = name == "AVG" ? Ty::Real : (v.type == Ty::Bool && !pick ? Ty::Integer : v.type);
    if (pick) {
      r.exact = v.exact;
      r.maxLength = v.maxLength;
    }
    return r;
  }
  if (std::find(std::begin(kSpreadAggregates), std::end(kSpreadAggregates), name) != std::end(kSpreadAggregates)) {
    arity(1, 1);
    scope.aggregates = true;
    r.sql = "jet_" + LowerAscii(name) + "(" + Val(*e.args[0], scope).sql + ")" + CellRows(scope);
    r.type = Ty::Real;
    return r;
  }
  if (name == "IIF") {
    arity(3, 3);
    Emitted c = Cond(*e.args[0], scope);
    Emitted a = Val(*e.args[1], scope);
    Emitted b = Val(*e.args[2], scope);
    r.sql = "(CASE WHEN " + c.sql + " THEN " + a.sql + " ELSE " + b.sql + " END)";
    r.type = EitherType(a.type, b.type);
    return r;
  }
  if (name == "SWITCH") {
    // Pairs of condition and value; Null when no condition holds.
    arity(2, kAny);
    if (argc % 2 != 0) wrongCount();
    r.sql = "(CASE";
    r.type = Ty::Null;
    for (size_t i = 0; i < e.args.size(); i += 2) {
      r.sql += " WHEN " + Cond(*e.args[i], scope).sql;  // before its value: parameters in order
      Emitted v = Val(*e.args[i + 1], scope);
      r.sql += " THEN " + v.sql;
      r.type = EitherType(r.type, v.type);
    }
    r.sql += " END)";
    return r;
  }
  if (name == "CHOOSE") {
    // The index truncates as Fix does; Null when it names no value.
    arity(2, kAny);
    r.sql = "(CASE jet_fix(" + Val(*e.args[0], scope).sql + ")";
    r.type = Ty::Null;
    for (size_t i = 1; i < e.args.size(); ++i) {
      Emitted v = Val(*e.args[i], scope);
      r.sql += " WHEN " + std::to_string(i) + " THEN " + v.sql;
      r.type = EitherType(r.type, v.type);
    }
    r.sql += " END)";
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

std::string Emitter::LowerAscii(std::string_view s) {
  std::string out(s);
  for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace albumcore::store::jetsql::emit
