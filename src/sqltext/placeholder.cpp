#include "sqltext/placeholder.h"

#include <charconv>
#include <cmath>

#include "com/error.h"
#include "sqltext/sql_date.h"
#include "sqltext/sql_literal.h"

namespace albumcore::sqltext {

namespace {

bool IsWordByte(char c) {
  auto b = static_cast<unsigned char>(c);
  return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '_' || b >= 0x80;
}

std::string DoubleText(double d) {
  if (!std::isfinite(d)) throw com::ComError(com::E_INVALIDARG, "a number that SQL text cannot hold");
  char text[32];
  auto [end, ec] = std::to_chars(text, text + sizeof text, d);
  return std::string(text, end);
}

}  // namespace

std::string SqlValueText(const com::Variant& value) {
  switch (value.vt()) {
    case com::VT_BSTR: return QuoteSqlString(value.bstr().str());
    case com::VT_I2: return std::to_string(value.i2());
    case com::VT_I4: return std::to_string(value.i4());
    case com::VT_I8: return std::to_string(value.i8());
    case com::VT_UI1: return std::to_string(value.ui1());
    case com::VT_UI4: return std::to_string(value.ui4());
    case com::VT_R8: return DoubleText(value.r8());
    case com::VT_BOOL: return value.boolVal() != com::VARIANT_FALSE ? "true" : "false";
    case com::VT_DATE: return SqlDateText(value.date());
    case com::VT_NULL: return "Null";
    default:
      throw com::ComError(com::DISP_E_TYPEMISMATCH,
                          std::string("no SQL text for a value of type ") + com::VarTypeName(value.vt()));
  }
}

size_t FindPlaceholder(std::string_view sql, std::string_view placeholder) {
  if (placeholder.empty()) return std::string_view::npos;
  char literalQuote = 0;  // the quote of the literal we are inside, or 0
  for (size_t i = 0; i < sql.size(); ++i) {
    char c = sql[i];
    if (literalQuote != 0) {
      if (c == literalQuote) literalQuote = 0;  // a doubled quote leaves and re-enters
      continue;
    }
    if (c == '"' || c == '\'') {
      literalQuote = c;
      continue;
    }
    if (sql.compare(i, placeholder.size(), placeholder) != 0) continue;
    bool wordStart = i == 0 || !IsWordByte(sql[i - 1]);
    size_t after = i + placeholder.size();
    bool wordEnd = after == sql.size() || !IsWordByte(sql[after]);
    if (wordStart && wordEnd) return i;
  }
  return std::string_view::npos;
}

std::string ReplacePlaceholderText(std::string sql, std::string_view placeholder, std::string_view sqlText) {
  if (placeholder.empty()) throw com::ComError(com::E_INVALIDARG, "empty placeholder");
  size_t at = FindPlaceholder(sql, placeholder);
  if (at != std::string::npos) sql.replace(at, placeholder.size(), sqlText);
  return sql;
}

std::string ReplacePlaceholder(std::string sql, std::string_view placeholder, const com::Variant& value) {
  return ReplacePlaceholderText(std::move(sql), placeholder, SqlValueText(value));
}

}  // namespace albumcore::sqltext
