#include "store/jetsql/emitter.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "store/jetsql/jet_error.h"
#include "store/jetsql/jet_text.h"
#include "store/jetsql/emit/emitter_state.h"

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
  emit::Emitter emitter(catalog, out);
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
  if (!identity) {
    out.sql = RenumberParameters(out.sql, renumber);
    if (out.pivot) {
      for (std::string* piece : {&out.pivot->valuesSql, &out.pivot->head, &out.pivot->cell, &out.pivot->tail})
        *piece = RenumberParameters(*piece, renumber);
    }
  }
  return out;
}

std::string PivotStatement(const Translation& t, const std::vector<std::string>& names) {
  if (!t.pivot) throw com::ComError(com::E_UNEXPECTED, "not a crosstab");
  if (names.size() + t.columns.size() > kMaxQueryColumns) ThrowJet(jeterr::kTooManyFields, "Too many fields defined.");
  std::string sql = t.pivot->head;
  std::vector<int> valueNumber{0};
  for (size_t i = 0; i < names.size(); ++i) {
    valueNumber[0] = static_cast<int>(t.parameters.size() + 1 + i);
    sql += ", " + RenumberParameters(t.pivot->cell, valueNumber) + " AS " + QuoteIdentifier(names[i]);
  }
  return sql + t.pivot->tail;
}

}  // namespace albumcore::store::jetsql
