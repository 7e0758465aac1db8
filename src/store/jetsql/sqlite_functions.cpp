#include "store/jetsql/sqlite_functions.h"

#ifdef ALBUMCORE_SQLITE_EXTENSION
#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT3
#else
#include <sqlite3.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <string_view>

#include "com/text.h"
#include "store/jetsql/jet_dates.h"
#include "store/jetsql/jet_error.h"
#include "store/jetsql/jet_text.h"
#include "store/jetsql/jet_values.h"

namespace albumcore::store::jetsql {

namespace {

constexpr int64_t kMaxBuiltText = 10'000'000;

// ---- errors ----
void Fail(sqlite3_context* ctx, uint16_t number, const char* message) {
  const std::string text = JetErrorTag(number) + message;
  sqlite3_result_error(ctx, text.c_str(), -1);
}
void Mismatch(sqlite3_context* ctx) { Fail(ctx, jeterr::kTypeMismatch, "Data type mismatch in criteria expression"); }
void InvalidCall(sqlite3_context* ctx) { Fail(ctx, jeterr::kInvalidProcedureCall, "Invalid procedure call or argument"); }
void Overflow(sqlite3_context* ctx) { Fail(ctx, jeterr::kOverflow, "Overflow"); }
void InvalidNull(sqlite3_context* ctx) { Fail(ctx, jeterr::kInvalidUseOfNull, "Invalid use of Null"); }
void DivisionByZero(sqlite3_context* ctx) { Fail(ctx, jeterr::kDivisionByZero, "Division by zero"); }

// ---- argument access ----
bool IsNull(sqlite3_value* v) { return sqlite3_value_type(v) == SQLITE_NULL; }

std::string_view Text(sqlite3_value* v) {
  const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
  if (p == nullptr) return {};
  return std::string_view(p, static_cast<size_t>(sqlite3_value_bytes(v)));
}

// The text Jet gives a value (CStr).
std::string TextOf(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_NULL: return {};
    case SQLITE_INTEGER: return std::to_string(sqlite3_value_int64(v));
    case SQLITE_FLOAT: return NumberText(sqlite3_value_double(v));
    default: return std::string(Text(v));
  }
}

bool ToNumber(sqlite3_value* v, double& out) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: out = static_cast<double>(sqlite3_value_int64(v)); return true;
    case SQLITE_FLOAT: out = sqlite3_value_double(v); return true;
    case SQLITE_TEXT: {
      const auto n = ParseNumberText(Text(v));
      if (!n) {
        const std::string_view t = Text(v);
        if (t == "True" || t == "true" || t == "TRUE") return out = -1, true;
        if (t == "False" || t == "false" || t == "FALSE") return out = 0, true;
        return false;
      }
      out = *n;
      return true;
    }
    default: return false;
  }
}

bool ToDate(sqlite3_value* v, double& out) {
  if (sqlite3_value_type(v) == SQLITE_TEXT) {
    if (auto d = ParseDateText(Text(v))) return out = *d, true;
  }
  return ToNumber(v, out);
}

// A whole number the way Jet rounds it (half to even), within int64.
bool ToInteger(sqlite3_value* v, int64_t& out, bool& overflow) {
  overflow = false;
  if (sqlite3_value_type(v) == SQLITE_INTEGER) return out = sqlite3_value_int64(v), true;
  double d = 0;
  if (!ToNumber(v, d)) return false;
  d = RoundHalfEven(d);
  if (!(d >= -9.2e18 && d <= 9.2e18)) {
    overflow = true;
    return false;
  }
  out = static_cast<int64_t>(d);
  return true;
}

void ResultText(sqlite3_context* ctx, const std::string& s) {
  sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

void ResultNumber(sqlite3_context* ctx, double d) {
  if (!std::isfinite(d)) return Overflow(ctx);
  sqlite3_result_double(ctx, d);
}

// Runs `body` with the context, turning allocation failure into SQLite's.
template <class Body>
void Guarded(sqlite3_context* ctx, Body&& body) {
  try {
    body();
  } catch (const std::bad_alloc&) {
    sqlite3_result_error_nomem(ctx);
  } catch (...) {
    Fail(ctx, jeterr::kSyntax, "Internal error in expression");
  }
}

#define JET_FN(name) void name(sqlite3_context* ctx, int argc, sqlite3_value** argv)
#define UNUSED_ARGS (void)argc; (void)argv

// ---- collation and LIKE ----
int NoCaseCompare(void*, int n1, const void* a, int n2, const void* b) {
  return CompareNoCase(std::string_view(static_cast<const char*>(a), static_cast<size_t>(n1)),
                       std::string_view(static_cast<const char*>(b), static_cast<size_t>(n2)));
}

void DeletePattern(void* p) { delete static_cast<LikePattern*>(p); }

JET_FN(Like) {
  UNUSED_ARGS;
  // SQLite calls like(pattern, text) for `text LIKE pattern`.
  if (IsNull(argv[0]) || IsNull(argv[1])) return;
  Guarded(ctx, [&] {
    auto* pattern = static_cast<LikePattern*>(sqlite3_get_auxdata(ctx, 0));
    if (pattern == nullptr) {
      auto fresh = std::make_unique<LikePattern>(Text(argv[0]));
      pattern = fresh.get();
      sqlite3_set_auxdata(ctx, 0, fresh.release(), DeletePattern);
      // set_auxdata may have freed it already when it could not be kept.
      pattern = static_cast<LikePattern*>(sqlite3_get_auxdata(ctx, 0));
      if (pattern == nullptr) {
        const LikePattern once(Text(argv[0]));
        sqlite3_result_int(ctx, once.Matches(TextOf(argv[1])) ? 1 : 0);
        return;
      }
    }
    sqlite3_result_int(ctx, pattern->Matches(TextOf(argv[1])) ? 1 : 0);
  });
}

// ---- operators ----
JET_FN(Concat) {
  UNUSED_ARGS;
  if (IsNull(argv[0]) && IsNull(argv[1])) return;
  Guarded(ctx, [&] { ResultText(ctx, TextOf(argv[0]) + TextOf(argv[1])); });
}

JET_FN(CStr) {
  UNUSED_ARGS;
  if (IsNull(argv[0])) return;
  if (sqlite3_value_type(argv[0]) == SQLITE_TEXT) return sqlite3_result_value(ctx, argv[0]);
  Guarded(ctx, [&] { ResultText(ctx, TextOf(argv[0])); });
}

// jet_fail(number, message) raises Jet error `number`: checks the
// translator writes as statements (rows that a new index would refuse).
// Not deterministic, so SQLite never evaluates it ahead of the rows.
JET_FN(FailWith) {
  UNUSED_ARGS;
  const int64_t n = sqlite3_value_int64(argv[0]);
  const std::string message(Text(argv[1]));
  Fail(ctx, n > 0 && n <= 65535 ? static_cast<uint16_t>(n) : jeterr::kInvalidProcedureCall, message.c_str());
}

JET_FN(DateStr) {
  UNUSED_ARGS;
  if (IsNull(argv[0])) return;
  if (sqlite3_value_type(argv[0]) == SQLITE_TEXT) return sqlite3_result_value(ctx, argv[0]);
  double d = 0;
  if (!ToNumber(argv[0], d)) return Mismatch(ctx);
  Guarded(ctx, [&] { ResultText(ctx, GeneralDate(d)); });
}

JET_FN(Add) {
  UNUSED_ARGS;
  if (IsNull(argv[0]) || IsNull(argv[1])) return;
  if (sqlite3_value_type(argv[0]) == SQLITE_TEXT && sqlite3_value_type(argv[1]) == SQLITE_TEXT)
    return Guarded(ctx, [&] { ResultText(ctx, std::string(Text(argv[0])) + std::string(Text(argv[1]))); });
  if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER && sqlite3_value_type(argv[1]) == SQLITE_INTEGER) {
    int64_t r = 0;
    if (!__builtin_add_overflow(sqlite3_value_int64(argv[0]), sqlite3_value_int64(argv[1]), &r))
      return sqlite3_result_int64(ctx, r);
  }
  double a = 0, b = 0;
  if (!ToNumber(argv[0], a) || !ToNumber(argv[1], b)) return Mismatch(ctx);
  ResultNumber(ctx, a + b);
}

enum class Logic { And, Or, Xor, Eqv, Imp };

void LogicOp(sqlite3_context* ctx, sqlite3_value** argv, Logic op) {
  const bool na = IsNull(argv[0]), nb = IsNull(argv[1]);
  int64_t a = 0, b = 0;
  bool overflow = false;
  if (!na && !ToInteger(argv[0], a, overflow)) return overflow ? Overflow(ctx) : Mismatch(ctx);
  if (!nb && !ToInteger(argv[1], b, overflow)) return overflow ? Overflow(ctx) : Mismatch(ctx);
  // A known 0 decides And, a known -1 decides Or, even beside Null.
  if (op == Logic::And) {
    if ((!na && a == 0) || (!nb && b == 0)) return sqlite3_result_int(ctx, 0);
    if (na || nb) return;
    return sqlite3_result_int64(ctx, a & b);
  }
  if (op == Logic::Or) {
    if ((!na && a == -1) || (!nb && b == -1)) return sqlite3_result_int(ctx, -1);
    if (na || nb) return;
    return sqlite3_result_int64(ctx, a | b);
  }
  if (op == Logic::Imp) {
    // False Imp anything and anything Imp True are True even beside Null.
    if (!na && a == 0) return sqlite3_result_int(ctx, -1);
    if (!nb && b == -1) return sqlite3_result_int(ctx, -1);
    if (na || nb) return;
    return sqlite3_result_int64(ctx, ~a | b);
  }
  if (na || nb) return;
  sqlite3_result_int64(ctx, op == Logic::Xor ? (a ^ b) : ~(a ^ b));
}

JET_FN(And) { UNUSED_ARGS; LogicOp(ctx, argv, Logic::And); }
JET_FN(Or) { UNUSED_ARGS; LogicOp(ctx, argv, Logic::Or); }
JET_FN(Xor) { UNUSED_ARGS; LogicOp(ctx, argv, Logic::Xor); }
JET_FN(Eqv) { UNUSED_ARGS; LogicOp(ctx, argv, Logic::Eqv); }
JET_FN(Imp) { UNUSED_ARGS; LogicOp(ctx, argv, Logic::Imp); }

void IntegerOp(sqlite3_context* ctx, sqlite3_value** argv, bool mod) {
  if (IsNull(argv[0]) || IsNull(argv[1])) return;
  int64_t a = 0, b = 0;
  bool overflow = false;
  if (!ToInteger(argv[0], a, overflow) || !ToInteger(argv[1], b, overflow)) return overflow ? Overflow(ctx) : Mismatch(ctx);
  if (b == 0) return DivisionByZero(ctx);
  if (a == std::numeric_limits<int64_t>::min() && b == -1) return mod ? sqlite3_result_int(ctx, 0) : Overflow(ctx);
  sqlite3_result_int64(ctx, mod ? a % b : a / b);
}

JET_FN(IntDiv) { UNUSED_ARGS; IntegerOp(ctx, argv, false); }
JET_FN(Mod) { UNUSED_ARGS; IntegerOp(ctx, argv, true); }

JET_FN(Pow) {
  UNUSED_ARGS;
  if (IsNull(argv[0]) || IsNull(argv[1])) return;
  double a = 0, b = 0;
  if (!ToNumber(argv[0], a) || !ToNumber(argv[1], b)) return Mismatch(ctx);
  const double r = std::pow(a, b);
  if (std::isnan(r)) return InvalidCall(ctx);
  ResultNumber(ctx, r);
}

// ---- text functions ----
JET_FN(Len) {
  UNUSED_ARGS;
  if (IsNull(argv[0])) return;
  if (sqlite3_value_type(argv[0]) == SQLITE_TEXT) return sqlite3_result_int64(ctx, static_cast<int64_t>(com::Utf16Length(Text(argv[0]))));
  Guarded(ctx, [&] { sqlite3_result_int64(ctx, static_cast<int64_t>(com::Utf16Length(TextOf(argv[0])))); });
}

// A whole-number argument within [lo, hi], rounded as Jet rounds; false
// once the call has failed (Null, no number, out of range).
bool WholeNumberIn(sqlite3_context* ctx, sqlite3_value* v, int64_t lo, int64_t hi, int64_t& n) {
  bool overflow = false;
  if (IsNull(v)) {
    InvalidNull(ctx);
    return false;
  }
  if (!ToInteger(v, n, overflow)) {
    overflow ? Overflow(ctx) : Mismatch(ctx);
    return false;
  }
  if (n < lo || n > hi) {
    InvalidCall(ctx);
    return false;
  }
  return true;
}

bool Count(sqlite3_context* ctx, sqlite3_value* v, int64_t& n) {
  return WholeNumberIn(ctx, v, 0, std::numeric_limits<int64_t>::max(), n);
}

JET_FN(Left) {
  UNUSED_ARGS;
  int64_t n = 0;
  if (!Count(ctx, argv[1], n) || IsNull(argv[0])) return;
  Guarded(ctx, [&] { ResultText(ctx, Utf16Left(TextOf(argv[0]), n)); });
}

JET_FN(Right) {
  UNUSED_ARGS;
  int64_t n = 0;
  if (!Count(ctx, argv[1], n) || IsNull(argv[0])) return;
  Guarded(ctx, [&] { ResultText(ctx, Utf16Right(TextOf(argv[0]), n)); });
}

JET_FN(Mid) {
  int64_t start = 0, n = 0;
  if (!Count(ctx, argv[1], start)) return;
  if (start < 1) return InvalidCall(ctx);
  if (argc == 3 && !IsNull(argv[2]) && !Count(ctx, argv[2], n)) return;
  if (IsNull(argv[0])) return;
  const std::optional<int64_t> length = argc == 3 && !IsNull(argv[2]) ? std::optional<int64_t>(n) : std::nullopt;
  Guarded(ctx, [&] { ResultText(ctx, Utf16Mid(TextOf(argv[0]), start, length)); });
}

JET_FN(UCase) {
  UNUSED_ARGS;
  if (IsNull(argv[0])) return;
  Guarded(ctx, [&] { ResultText(ctx, UpperCase(TextOf(argv[0]))); });
}

JET_FN(LCase) {
  UNUSED_ARGS;
  if (IsNull(argv[0])) return;
  Guarded(ctx, [&] { ResultText(ctx, LowerCase(TextOf(argv[0]))); });
}

void TrimOp(sqlite3_context* ctx, sqlite3_value* v, bool left, bool right) {
  if (IsNull(v)) return;
  Guarded(ctx, [&] {
    std::string s = TextOf(v);
    size_t b = 0, e = s.size();
    if (left)
      while (b < e && s[b] == ' ') ++b;
    if (right)
      while (e > b && s[e - 1] == ' ') --e;
    ResultText(ctx, s.substr(b, e - b));
  });
}

JET_FN(Trim) { UNUSED_ARGS; TrimOp(ctx, argv[0], true, true); }
JET_FN(LTrim) { UNUSED_ARGS; TrimOp(ctx, argv[0], true, false); }
JET_FN(RTrim) { UNUSED_ARGS; TrimOp(ctx, argv[0], false, true); }

JET_FN(InStr) {
  int64_t start = 1;
  int first = 0;
  bool binary = false;
  if (argc >= 3) {
    if (!Count(ctx, argv[0], start)) return;
    if (start < 1) return InvalidCall(ctx);
    first = 1;
  }
  if (argc == 4 && !IsNull(argv[3])) {
    int64_t compare = 0;
    if (!Count(ctx, argv[3], compare)) return;
    binary = compare == 0;
  }
  if (IsNull(argv[first]) || IsNull(argv[first + 1])) return;
  Guarded(ctx, [&] { sqlite3_result_int64(ctx, Utf16InStr(TextOf(argv[first]), TextOf(argv[first + 1]), start, binary)); });
}

JET_FN(InStrRev) {
  int64_t start = -1;  // the end
  bool binary = false;
  if (argc >= 3) {
    bool overflow = false;
    if (IsNull(argv[2])) return InvalidNull(ctx);
    if (!ToInteger(argv[2], start, overflow)) return overflow ? Overflow(ctx) : Mismatch(ctx);
    if (start == 0 || start < -1) return InvalidCall(ctx);
  }
  if (argc == 4 && !IsNull(argv[3])) {
    int64_t compare = 0;
    if (!Count(ctx, argv[3], compare)) return;
    binary = compare == 0;
  }
  if (IsNull(argv[0]) || IsNull(argv[1])) return;
  Guarded(ctx, [&] { sqlite3_result_int64(ctx, Utf16InStrRev(TextOf(argv[0]), TextOf(argv[1]), start, binary)); });
}

JET_FN(StrReverse) {
  UNUSED_ARGS;
  if (IsNull(argv[0])) return InvalidNull(ctx);  // unlike most text functions
  Guarded(ctx, [&] { ResultText(ctx, ReverseText(TextOf(argv[0]))); });
}

JET_FN(StrComp) {
  if (IsNull(argv[0]) || IsNull(argv[1])) return;
  bool binary = false;
  if (argc == 3 && !IsNull(argv[2])) {
    int64_t compare = 0;
    if (!Count(ctx, argv[2], compare)) return;
    binary = compare == 0;
  }
  Guarded(ctx, [&] {
    const std::string a = TextOf(argv[0]), b = TextOf(argv[1]);
    const int c = binary ? a.compare(b) : CompareNoCase(a, b);
    sqlite3_result_int(ctx, c < 0 ? -1 : c > 0 ? 1 : 0);
  });
}

JET_FN(Asc) {
  UNUSED_ARGS;
  if (IsNull(argv[0])) return InvalidNull(ctx);
  Guarded(ctx, [&] {
    const std::u16string u = com::ToUtf16(TextOf(argv[0]));
    if (u.empty()) return InvalidCall(ctx);
    sqlite3_result_int(ctx, u[0]);
  });
}

JET_FN(Space) {
  UNUSED_ARGS;
  int64_t n = 0;
  if (!Count(ctx, argv[0], n)) return;
  if (n > kMaxBuiltText) return Fail(ctx, jeterr::kOutOfMemory, "Out of memory");
  Guarded(ctx, [&] { ResultText(ctx, std::string(static_cast<size_t>(n), ' ')); });
}

JET_FN(String) {
  UNUSED_ARGS;
  int64_t n = 0;
  if (!Count(ctx, argv[0], n)) return;
  if (IsNull(argv[1])) return;
  Guarded(ctx, [&] {
    std::string unit;
    if (sqlite3_value_type(argv[1]) == SQLITE_TEXT) {
      const std::string_view t = Text(argv[1]);
      if (t.empty()) return InvalidCall(ctx);
      size_t i = 0;
      DecodeUtf8(t, i);
      unit.assign(t.substr(0, i));
    } else {
      int64_t code = 0;
      bool overflow = false;
      if (!ToInteger(argv[1], code, overflow)) return Mismatch(ctx);
      if (code < 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return InvalidCall(ctx);
      AppendUtf8(unit, static_cast<char32_t>(code));
    }
    if (static_cast<int64_t>(unit.size()) * n > kMaxBuiltText) return Fail(ctx, jeterr::kOutOfMemory, "Out of memory");
    std::string out;
    out.reserve(unit.size() * static_cast<size_t>(n));
    for (int64_t i = 0; i < n; ++i) out += unit;
    ResultText(ctx, out);
  });
}

// ---- writes ----
// jet_fieldsize(value, n): the value written to a Text(n) field, unchanged;
// error 3163 when its text is longer than n UTF-16 units.
JET_FN(FieldSize) {
  UNUSED_ARGS;
  const int type = sqlite3_value_type(argv[0]);
  if (type != SQLITE_NULL && type != SQLITE_BLOB) {
    const std::string_view text = Text(argv[0]);
    const int64_t size = sqlite3_value_int64(argv[1]);
    // A UTF-8 text has at least as many bytes as UTF-16 units.
    if (static_cast<int64_t>(text.size()) > size && static_cast<int64_t>(com::Utf16Length(text)) > size)
      return Fail(ctx, jeterr::kFieldTooSmall,
                  "The field is too small to accept the amount of data you attempted to add");
  }
  sqlite3_result_value(ctx, argv[0]);
}

// ---- conversions ----
JET_FN(Val) {
  UNUSED_ARGS;
  if (IsNull(argv[0])) return;
  const int t = sqlite3_value_type(argv[0]);
  if (t == SQLITE_INTEGER || t == SQLITE_FLOAT) return sqlite3_result_value(ctx, argv[0]);
  Guarded(ctx, [&] { ResultNumber(ctx, ValText(TextOf(argv[0]))); });
}

JET_FN(Str) {
  UNUSED_ARGS;
  if (IsNull(argv[0])) return;
  double d = 0;
  if (!ToNumber(argv[0], d)) return Mismatch(ctx);
  Guarded(ctx, [&] {
    const std::string s = sqlite3_value_type(argv[0]) == SQLITE_INTEGER ? std::to_string(sqlite3_value_int64(argv[0])) : NumberText(d);
    ResultText(ctx, d >= 0 ? " " + s : s);
  });
}

void ConvertInteger(sqlite3_context* ctx, sqlite3_value* v, int64_t lo, int64_t hi) {
  if (IsNull(v)) return InvalidNull(ctx);
  int64_t n = 0;
  bool overflow = false;
  if (!ToInteger(v, n, overflow)) return overflow ? Overflow(ctx) : Mismatch(ctx);
  if (n < lo || n > hi) return Overflow(ctx);
  sqlite3_result_int64(ctx, n);
}

JET_FN(CLng) { UNUSED_ARGS; ConvertInteger(ctx, argv[0], INT32_MIN, INT32_MAX); }
JET_FN(CInt) { UNUSED_ARGS; ConvertInteger(ctx, argv[0], INT16_MIN, INT16_MAX); }
JET_FN(CByte) { UNUSED_ARGS; ConvertInteger(ctx, argv[0], 0, 255); }

JET_FN(CDbl) {
  UNUSED_ARGS;
  if (IsNull(argv[0])) return InvalidNull(ctx);
  double d = 0;
  if (!ToNumber(argv[0], d)) return Mismatch(ctx);
  ResultNumber(ctx, d);
}

JET_FN(CCur) {
  UNUSED_ARGS;
  if (IsNull(argv[0])) return InvalidNull(ctx);
  double d = 0;
  if (!ToNumber(argv[0], d)) return Mismatch(ctx);
  ResultNumber(ctx, RoundHalfEven(d * 10000.0) / 10000.0);
}

JET_FN(CDate) {
  UNUSED_ARGS;
  if (IsNull(argv[0])) return InvalidNull(ctx);
  double d = 0;
  if (!ToDate(argv[0], d)) return Mismatch(ctx);
  ResultNumber(ctx, d);
}

JET_FN(DateValue) {
  UNUSED_ARGS;
  if (IsNull(argv[0])) return;
  double d = 0;
  if (!ToDate(argv[0], d)) return Mismatch(ctx);
  ResultNumber(ctx, std::trunc(d));
}

JET_FN(TimeValue) {
  UNUSED_ARGS;
  if (IsNull(argv[0])) return;
  double d = 0;
  if (!ToDate(argv[0], d)) return Mismatch(ctx);
  // Jet reads a date's time through its text, so to the whole second; the
  // fraction counts forward from midnight on both sides of day 0.
  const double seconds = std::round(std::fabs(d - std::trunc(d)) * 86400.0);
  ResultNumber(ctx, std::fmod(seconds, 86400.0) / 86400.0);
}

JET_FN(CBool) {
  UNUSED_ARGS;
  if (IsNull(argv[0])) return InvalidNull(ctx);
  double d = 0;
  if (sqlite3_value_type(argv[0]) == SQLITE_TEXT) {
    const std::string t = LowerCase(Text(argv[0]));
    if (t == "yes" || t == "on") return sqlite3_result_int(ctx, -1);
    if (t == "no" || t == "off") return sqlite3_result_int(ctx, 0);
  }
  if (!ToNumber(argv[0], d)) return Mismatch(ctx);
  sqlite3_result_int(ctx, d != 0 ? -1 : 0);
}

void Rounding(sqlite3_context* ctx, sqlite3_value* v, double (*fn)(double)) {
  if (IsNull(v)) return;
  if (sqlite3_value_type(v) == SQLITE_INTEGER) return sqlite3_result_value(ctx, v);
  double d = 0;
  if (!ToNumber(v, d)) return Mismatch(ctx);
  ResultNumber(ctx, fn(d));
}

JET_FN(Int) { UNUSED_ARGS; Rounding(ctx, argv[0], [](double d) { return std::floor(d); }); }
JET_FN(Fix) { UNUSED_ARGS; Rounding(ctx, argv[0], [](double d) { return std::trunc(d); }); }

JET_FN(Sgn) {
  UNUSED_ARGS;
  if (IsNull(argv[0])) return;
  double d = 0;
  if (!ToNumber(argv[0], d)) return Mismatch(ctx);
  sqlite3_result_int(ctx, d > 0 ? 1 : d < 0 ? -1 : 0);
}

JET_FN(Round) {
  if (IsNull(argv[0])) return;
  double d = 0;
  if (!ToNumber(argv[0], d)) return Mismatch(ctx);
  int64_t places = 0;
  bool overflow = false;
  if (argc == 2 && !IsNull(argv[1]) && !ToInteger(argv[1], places, overflow)) return Mismatch(ctx);
  if (places < 0 || places > 22) return InvalidCall(ctx);
  const double scale = std::pow(10.0, static_cast<double>(places));
  const double scaled = d * scale;
  ResultNumber(ctx, std::isfinite(scaled) ? RoundHalfEven(scaled) / scale : d);
}

void MathOp(sqlite3_context* ctx, sqlite3_value* v, double (*fn)(double), bool positiveOnly, bool nonNegative) {
  if (IsNull(v)) return;
  double d = 0;
  if (!ToNumber(v, d)) return Mismatch(ctx);
  if ((positiveOnly && d <= 0) || (nonNegative && d < 0)) return InvalidCall(ctx);
  ResultNumber(ctx, fn(d));
}

JET_FN(Sqr) { UNUSED_ARGS; MathOp(ctx, argv[0], [](double d) { return std::sqrt(d); }, false, true); }
JET_FN(Exp) { UNUSED_ARGS; MathOp(ctx, argv[0], [](double d) { return std::exp(d); }, false, false); }
JET_FN(Log) { UNUSED_ARGS; MathOp(ctx, argv[0], [](double d) { return std::log(d); }, true, false); }
JET_FN(Atn) { UNUSED_ARGS; MathOp(ctx, argv[0], [](double d) { return std::atan(d); }, false, false); }
JET_FN(Cos) { UNUSED_ARGS; MathOp(ctx, argv[0], [](double d) { return std::cos(d); }, false, false); }
JET_FN(Sin) { UNUSED_ARGS; MathOp(ctx, argv[0], [](double d) { return std::sin(d); }, false, false); }
JET_FN(Tan) { UNUSED_ARGS; MathOp(ctx, argv[0], [](double d) { return std::tan(d); }, false, false); }

JET_FN(IsNumeric) {
  UNUSED_ARGS;
  const int t = sqlite3_value_type(argv[0]);
  const bool yes = t == SQLITE_INTEGER || t == SQLITE_FLOAT || (t == SQLITE_TEXT && ParseNumberText(Text(argv[0])));
  sqlite3_result_int(ctx, yes ? -1 : 0);
}

JET_FN(IsDate) {
  UNUSED_ARGS;
  const bool yes = sqlite3_value_type(argv[0]) == SQLITE_TEXT && ParseDateText(Text(argv[0])).has_value();
  sqlite3_result_int(ctx, yes ? -1 : 0);
}

// Hex and Oct write a number that fits a Long as its 32 bits (Hex(-1) is
// FFFFFFFF), a larger one as 64.
void Digits(sqlite3_context* ctx, sqlite3_value* v, bool octal) {
  if (IsNull(v)) return;
  int64_t n = 0;
  bool overflow = false;
  if (!ToInteger(v, n, overflow)) return overflow ? Overflow(ctx) : Mismatch(ctx);
  char buf[32];
  if (n >= INT32_MIN && n <= INT32_MAX)
    std::snprintf(buf, sizeof buf, octal ? "%o" : "%X", static_cast<uint32_t>(static_cast<int32_t>(n)));
  else
    std::snprintf(buf, sizeof buf, octal ? "%llo" : "%llX", static_cast<unsigned long long>(n));
  ResultText(ctx, buf);
}

JET_FN(Hex) { UNUSED_ARGS; Digits(ctx, argv[0], false); }
JET_FN(Oct) { UNUSED_ARGS; Digits(ctx, argv[0], true); }

JET_FN(Partition) {
  UNUSED_ARGS;
  int64_t v[4];  // number, start, stop, interval: Longs
  for (int i = 0; i < 4; ++i) {
    if (IsNull(argv[i])) return;
    bool overflow = false;
    if (!ToInteger(argv[i], v[i], overflow)) return overflow ? Overflow(ctx) : Mismatch(ctx);
    if (v[i] < INT32_MIN || v[i] > INT32_MAX) return Overflow(ctx);
  }
  if (v[1] < 0 || v[2] <= v[1] || v[3] < 1) return InvalidCall(ctx);
  Guarded(ctx, [&] { ResultText(ctx, PartitionText(v[0], v[1], v[2], v[3])); });
}

bool IsDateFormat(std::string_view f) {
  static constexpr std::string_view kNamed[] = {"general date", "long date", "medium date", "short date",
                                                "long time",    "medium time", "short time"};
  const std::string lower = LowerCase(f);
  for (auto n : kNamed)
    if (lower == n) return true;
  bool quoted = false, dateLetters = false;
  for (char c : lower) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '0' || c == '#') return false;
    if (std::strchr("dmyhnsq", c) != nullptr && c != '\0') dateLetters = true;
  }
  return dateLetters;
}

JET_FN(Format) {
  if (IsNull(argv[0])) return;
  Guarded(ctx, [&] {
    if (argc < 2 || IsNull(argv[1])) return ResultText(ctx, TextOf(argv[0]));
    const std::string fmt = TextOf(argv[1]);
    double d = 0;
    if (IsDateFormat(fmt)) {
      if (!ToDate(argv[0], d)) return ResultText(ctx, TextOf(argv[0]));
      return ResultText(ctx, FormatDate(d, fmt));
    }
    if (!ToNumber(argv[0], d)) return ResultText(ctx, TextOf(argv[0]));
    ResultText(ctx, FormatNumber(d, fmt));
  });
}

// ---- dates ----
bool FirstDay(sqlite3_context* ctx, int argc, sqlite3_value** argv, int index, int& day) {
  day = 1;
  if (argc <= index || IsNull(argv[index])) return true;
  int64_t n = 0;
  bool overflow = false;
  if (!ToInteger(argv[index], n, overflow) || n < 0 || n > 7) {
    InvalidCall(ctx);
    return false;
  }
  day = n == 0 ? 1 : static_cast<int>(n);
  return true;
}

JET_FN(DatePartFn) {
  if (IsNull(argv[0])) return InvalidNull(ctx);
  if (IsNull(argv[1])) return;
  double d = 0;
  if (!ToDate(argv[1], d)) return Mismatch(ctx);
  int firstDay = 1, firstWeek = 1;
  if (!FirstDay(ctx, argc, argv, 2, firstDay)) return;
  if (argc == 4 && !IsNull(argv[3])) {
    int64_t n = 0;
    bool overflow = false;
    if (!ToInteger(argv[3], n, overflow) || n < 0 || n > 3) return InvalidCall(ctx);
    firstWeek = n == 0 ? 1 : static_cast<int>(n);
  }
  const auto part = DatePart(TextOf(argv[0]), d, firstDay, firstWeek);
  if (!part) return InvalidCall(ctx);
  sqlite3_result_int64(ctx, *part);
}

JET_FN(DateAddFn) {
  UNUSED_ARGS;
  if (IsNull(argv[0])) return InvalidNull(ctx);
  if (IsNull(argv[1]) || IsNull(argv[2])) return;
  double n = 0, d = 0;
  if (!ToNumber(argv[1], n) || !ToDate(argv[2], d)) return Mismatch(ctx);
  const auto r = DateAdd(TextOf(argv[0]), n, d);
  if (!r) return InvalidCall(ctx);
  sqlite3_result_double(ctx, *r);
}

JET_FN(DateDiffFn) {
  if (IsNull(argv[0])) return InvalidNull(ctx);
  if (IsNull(argv[1]) || IsNull(argv[2])) return;
  double a = 0, b = 0;
  if (!ToDate(argv[1], a) || !ToDate(argv[2], b)) return Mismatch(ctx);
  int firstDay = 1;
  if (!FirstDay(ctx, argc, argv, 3, firstDay)) return;
  const auto r = DateDiff(TextOf(argv[0]), a, b, firstDay);
  if (!r) return InvalidCall(ctx);
  sqlite3_result_int64(ctx, *r);
}

void Serial(sqlite3_context* ctx, sqlite3_value** argv, bool date) {
  int64_t v[3];
  for (int i = 0; i < 3; ++i) {
    if (IsNull(argv[i])) return;
    bool overflow = false;
    if (!ToInteger(argv[i], v[i], overflow)) return overflow ? Overflow(ctx) : Mismatch(ctx);
  }
  const auto r = date ? DateSerial(v[0], v[1], v[2]) : TimeSerial(v[0], v[1], v[2]);
  if (!r) return InvalidCall(ctx);
  sqlite3_result_double(ctx, *r);
}

JET_FN(DateSerialFn) { UNUSED_ARGS; Serial(ctx, argv, true); }
JET_FN(TimeSerialFn) { UNUSED_ARGS; Serial(ctx, argv, false); }
JET_FN(Now) { UNUSED_ARGS; sqlite3_result_double(ctx, NowLocal()); }
JET_FN(Today) { UNUSED_ARGS; sqlite3_result_double(ctx, std::trunc(NowLocal())); }
JET_FN(TimeNow) {
  UNUSED_ARGS;
  const double now = NowLocal();
  sqlite3_result_double(ctx, std::fabs(now - std::trunc(now)));
}

// A name's number, 1..last.
bool NameNumber(sqlite3_context* ctx, sqlite3_value* v, int64_t last, int64_t& n) {
  return WholeNumberIn(ctx, v, 1, last, n);
}

// An optional Boolean argument; omitted or Null it is False.
bool Flag(sqlite3_context* ctx, int argc, sqlite3_value** argv, int index, bool& flag) {
  flag = false;
  if (argc <= index || IsNull(argv[index])) return true;
  double d = 0;
  if (!ToNumber(argv[index], d)) {
    Mismatch(ctx);
    return false;
  }
  flag = d != 0;
  return true;
}

JET_FN(MonthNameFn) {
  int64_t month = 0;
  bool abbreviate = false;
  if (!NameNumber(ctx, argv[0], 12, month) || !Flag(ctx, argc, argv, 1, abbreviate)) return;
  Guarded(ctx, [&] { ResultText(ctx, MonthName(static_cast<int>(month), abbreviate)); });
}

JET_FN(WeekdayNameFn) {
  int64_t day = 0;
  bool abbreviate = false;
  int firstDay = 1;
  if (!NameNumber(ctx, argv[0], 7, day) || !Flag(ctx, argc, argv, 1, abbreviate) ||
      !FirstDay(ctx, argc, argv, 2, firstDay))
    return;
  // `day` counts from the first day of the week.
  const int sunday = static_cast<int>((day - 1 + firstDay - 1) % 7) + 1;
  Guarded(ctx, [&] { ResultText(ctx, DayName(sunday, abbreviate)); });
}

// ---- First / Last aggregates ----
struct Held {
  sqlite3_value* value;
};

void FirstLastStep(sqlite3_context* ctx, sqlite3_value* v, bool last) {
  auto* held = static_cast<Held*>(sqlite3_aggregate_context(ctx, sizeof(Held)));
  if (held == nullptr) return sqlite3_result_error_nomem(ctx);
  if (held->value != nullptr && !last) return;
  sqlite3_value* copy = sqlite3_value_dup(v);
  if (copy == nullptr) return sqlite3_result_error_nomem(ctx);
  sqlite3_value_free(held->value);
  held->value = copy;
}

JET_FN(FirstStep) { UNUSED_ARGS; FirstLastStep(ctx, argv[0], false); }
JET_FN(LastStep) { UNUSED_ARGS; FirstLastStep(ctx, argv[0], true); }

void FirstLastFinal(sqlite3_context* ctx) {
  auto* held = static_cast<Held*>(sqlite3_aggregate_context(ctx, 0));
  if (held == nullptr || held->value == nullptr) return;
  sqlite3_result_value(ctx, held->value);
  sqlite3_value_free(held->value);
  held->value = nullptr;
}

// ---- StDev / StDevP / Var / VarP aggregates ----
// Welford's running mean and sum of squared deviations: no cancellation
// when the values are large and close together.
struct Spread {
  int64_t count;
  double mean;
  double squares;
};

JET_FN(SpreadStep) {
  UNUSED_ARGS;
  if (IsNull(argv[0])) return;  // not counted
  double d = 0;
  if (!ToNumber(argv[0], d)) return Mismatch(ctx);
  auto* s = static_cast<Spread*>(sqlite3_aggregate_context(ctx, sizeof(Spread)));
  if (s == nullptr) return sqlite3_result_error_nomem(ctx);
  ++s->count;
  const double delta = d - s->mean;
  s->mean += delta / static_cast<double>(s->count);
  s->squares += delta * (d - s->mean);
}

// The sample (n - 1) or population (n) variance, or its root; Null when
// there are too few values for it.
void SpreadFinal(sqlite3_context* ctx, bool sample, bool root) {
  const auto* s = static_cast<Spread*>(sqlite3_aggregate_context(ctx, 0));
  const int64_t divisor = s == nullptr ? 0 : s->count - (sample ? 1 : 0);
  if (divisor < 1) return;
  const double variance = std::max(0.0, s->squares / static_cast<double>(divisor));
  ResultNumber(ctx, root ? std::sqrt(variance) : variance);
}

void StDevFinal(sqlite3_context* ctx) { SpreadFinal(ctx, true, true); }
void StDevPFinal(sqlite3_context* ctx) { SpreadFinal(ctx, false, true); }
void VarFinal(sqlite3_context* ctx) { SpreadFinal(ctx, true, false); }
void VarPFinal(sqlite3_context* ctx) { SpreadFinal(ctx, false, false); }

struct Scalar {
  const char* name;
  int args;  // -1: variable, checked by the function
  void (*fn)(sqlite3_context*, int, sqlite3_value**);
  bool deterministic;
};

const Scalar kScalars[] = {
    {"like", 2, Like, true},
    {"jet_concat", 2, Concat, true},
    {"jet_cstr", 1, CStr, true},
    {"jet_fieldsize", 2, FieldSize, true},
    {"jet_datestr", 1, DateStr, true},
    {"jet_fail", 2, FailWith, false},
    {"jet_add", 2, Add, true},
    {"jet_and", 2, And, true},
    {"jet_or", 2, Or, true},
    {"jet_xor", 2, Xor, true},
    {"jet_eqv", 2, Eqv, true},
    {"jet_imp", 2, Imp, true},
    {"jet_idiv", 2, IntDiv, true},
    {"jet_mod", 2, Mod, true},
    {"jet_pow", 2, Pow, true},
    {"jet_len", 1, Len, true},
    {"jet_left", 2, Left, true},
    {"jet_right", 2, Right, true},
    {"jet_mid", 2, Mid, true},
    {"jet_mid", 3, Mid, true},
    {"jet_ucase", 1, UCase, true},
    {"jet_lcase", 1, LCase, true},
    {"jet_trim", 1, Trim, true},
    {"jet_ltrim", 1, LTrim, true},
    {"jet_rtrim", 1, RTrim, true},
    {"jet_instr", 2, InStr, true},
    {"jet_instr", 3, InStr, true},
    {"jet_instr", 4, InStr, true},
    {"jet_instrrev", 2, InStrRev, true},
    {"jet_instrrev", 3, InStrRev, true},
    {"jet_instrrev", 4, InStrRev, true},
    {"jet_strreverse", 1, StrReverse, true},
    {"jet_strcomp", 2, StrComp, true},
    {"jet_strcomp", 3, StrComp, true},
    {"jet_asc", 1, Asc, true},
    {"jet_space", 1, Space, true},
    {"jet_string", 2, String, true},
    {"jet_val", 1, Val, true},
    {"jet_str", 1, Str, true},
    {"jet_clng", 1, CLng, true},
    {"jet_cint", 1, CInt, true},
    {"jet_cbyte", 1, CByte, true},
    {"jet_cdbl", 1, CDbl, true},
    {"jet_ccur", 1, CCur, true},
    {"jet_cdate", 1, CDate, true},
    {"jet_datevalue", 1, DateValue, true},
    {"jet_timevalue", 1, TimeValue, true},
    {"jet_cbool", 1, CBool, true},
    {"jet_int", 1, Int, true},
    {"jet_fix", 1, Fix, true},
    {"jet_sgn", 1, Sgn, true},
    {"jet_round", 1, Round, true},
    {"jet_round", 2, Round, true},
    {"jet_sqr", 1, Sqr, true},
    {"jet_exp", 1, Exp, true},
    {"jet_log", 1, Log, true},
    {"jet_atn", 1, Atn, true},
    {"jet_cos", 1, Cos, true},
    {"jet_sin", 1, Sin, true},
    {"jet_tan", 1, Tan, true},
    {"jet_isnumeric", 1, IsNumeric, true},
    {"jet_isdate", 1, IsDate, true},
    {"jet_hex", 1, Hex, true},
    {"jet_oct", 1, Oct, true},
    {"jet_partition", 4, Partition, true},
    {"jet_format", 1, Format, true},
    {"jet_format", 2, Format, true},
    {"jet_datepart", 2, DatePartFn, true},
    {"jet_datepart", 3, DatePartFn, true},
    {"jet_datepart", 4, DatePartFn, true},
    {"jet_dateadd", 3, DateAddFn, true},
    {"jet_datediff", 3, DateDiffFn, true},
    {"jet_datediff", 4, DateDiffFn, true},
    {"jet_dateserial", 3, DateSerialFn, true},
    {"jet_timeserial", 3, TimeSerialFn, true},
    {"jet_monthname", 1, MonthNameFn, true},
    {"jet_monthname", 2, MonthNameFn, true},
    {"jet_weekdayname", 1, WeekdayNameFn, true},
    {"jet_weekdayname", 2, WeekdayNameFn, true},
    {"jet_weekdayname", 3, WeekdayNameFn, true},
    {"jet_now", 0, Now, false},
    {"jet_date", 0, Today, false},
    {"jet_time", 0, TimeNow, false},
};

struct Aggregate {
  const char* name;
  void (*step)(sqlite3_context*, int, sqlite3_value**);
  void (*final)(sqlite3_context*);
};

const Aggregate kAggregates[] = {
    {"jet_first", FirstStep, FirstLastFinal}, {"jet_last", LastStep, FirstLastFinal},
    {"jet_stdev", SpreadStep, StDevFinal},    {"jet_stdevp", SpreadStep, StDevPFinal},
    {"jet_var", SpreadStep, VarFinal},        {"jet_varp", SpreadStep, VarPFinal},
};

}  // namespace

int RegisterJetFunctions(sqlite3* db) {
  int rc = sqlite3_create_collation_v2(db, "JETNOCASE", SQLITE_UTF8, nullptr, NoCaseCompare, nullptr);
  if (rc != SQLITE_OK) return rc;
  for (const auto& s : kScalars) {
    const int flags = SQLITE_UTF8 | (s.deterministic ? SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS : 0);
    rc = sqlite3_create_function_v2(db, s.name, s.args, flags, nullptr, s.fn, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return rc;
  }
  for (const auto& a : kAggregates) {
    rc = sqlite3_create_function_v2(db, a.name, 1, SQLITE_UTF8 | SQLITE_INNOCUOUS, nullptr, nullptr, a.step, a.final,
                                    nullptr);
    if (rc != SQLITE_OK) return rc;
  }
  return SQLITE_OK;
}

}  // namespace albumcore::store::jetsql
