// Test helper: reads back the Jet string expressions the SQL text helpers
// write ("a" & chr(34) & "b"), strictly, so that a test can prove what text
// the engine would compute from them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace albumcore::sqltext::testing {

// One operand of the & chain: a literal's text, or a chr() code.
struct JetOperand {
  bool isChr = false;
  std::string literal;
  int code = 0;
};

// Operands of `"..." & chr(n) & "..."`; nullopt for any other shape, or a
// literal that holds a vertical bar (which the engine would take as a
// parameter marker).
inline std::optional<std::vector<JetOperand>> ParseJetStringExpression(std::string_view expr) {
  std::vector<JetOperand> operands;
  size_t i = 0;
  auto skipSpaces = [&] {
    while (i < expr.size() && expr[i] == ' ') ++i;
  };
  for (;;) {
    skipSpaces();
    JetOperand operand;
    if (i < expr.size() && expr[i] == '"') {
      size_t close = expr.find('"', i + 1);
      if (close == std::string_view::npos) return std::nullopt;
      operand.literal = std::string(expr.substr(i + 1, close - i - 1));
      if (operand.literal.find('|') != std::string::npos) return std::nullopt;
      i = close + 1;
    } else if (expr.substr(i, 4) == "chr(") {
      i += 4;
      size_t start = i;
      while (i < expr.size() && expr[i] >= '0' && expr[i] <= '9') ++i;
      if (i == start || i >= expr.size() || expr[i] != ')') return std::nullopt;
      operand.isChr = true;
      operand.code = std::stoi(std::string(expr.substr(start, i - start)));
      ++i;
    } else {
      return std::nullopt;
    }
    operands.push_back(std::move(operand));
    skipSpaces();
    if (i == expr.size()) return operands;
    if (expr[i] != '&') return std::nullopt;
    ++i;
  }
}

// The text the expression evaluates to.
inline std::optional<std::string> EvaluateJetStringExpression(std::string_view expr) {
  auto operands = ParseJetStringExpression(expr);
  if (!operands) return std::nullopt;
  std::string text;
  for (const JetOperand& o : *operands) {
    if (o.isChr) {
      text += static_cast<char>(o.code);
    } else {
      text += o.literal;
    }
  }
  return text;
}

// The same expression in SQLite's syntax: 'literal' || char(n).
inline std::optional<std::string> ToSqliteExpression(std::string_view expr) {
  auto operands = ParseJetStringExpression(expr);
  if (!operands) return std::nullopt;
  std::string sql;
  for (const JetOperand& o : *operands) {
    if (!sql.empty()) sql += " || ";
    if (o.isChr) {
      sql += "char(" + std::to_string(o.code) + ")";
      continue;
    }
    sql += '\'';
    for (char c : o.literal) sql += c == '\'' ? std::string("''") : std::string(1, c);
    sql += '\'';
  }
  return sql;
}

}  // namespace albumcore::sqltext::testing
