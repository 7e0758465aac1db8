#include "store/dao/table_sql.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <tuple>

#include "store/jetsql/ascii.h"
#include "store/jetsql/sql_quoting.h"

namespace albumcore::store::dao {

namespace {

struct Token {
  enum class Kind { Word, Name, String, Punct } kind;
  size_t begin, end;
  std::string normal;  // words and quoted names in upper case, strings as written
};

bool WordChar(unsigned char c) { return std::isalnum(c) || c == '_' || c == '$' || c >= 0x80; }

// The end of a quoted run starting at `pos` (the closing quote included); a
// doubled closing quote stands for itself. npos when unterminated.
size_t QuotedEnd(std::string_view s, size_t pos, char close) {
  for (size_t i = pos + 1; i < s.size(); ++i) {
    if (s[i] != close) continue;
    if (close != ']' && i + 1 < s.size() && s[i + 1] == close) {
      ++i;
      continue;
    }
    return i + 1;
  }
  return std::string_view::npos;
}

std::string Unquote(std::string_view quoted) {
  const char close = quoted.front() == '[' ? ']' : quoted.front();
  std::string out;
  for (size_t i = 1; i + 1 < quoted.size(); ++i) {
    out += quoted[i];
    if (quoted[i] == close && close != ']') ++i;
  }
  return out;
}

std::optional<std::vector<Token>> Tokenize(std::string_view s) {
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (std::isspace(c)) {
      ++i;
    } else if (s.compare(i, 2, "--") == 0) {
      i = s.find('\n', i);
      if (i == std::string_view::npos) i = s.size();
    } else if (s.compare(i, 2, "/*") == 0) {
      i = s.find("*/", i + 2);
      i = i == std::string_view::npos ? s.size() : i + 2;
    } else if (c == '\'' || c == '"' || c == '`' || c == '[') {
      const size_t end = QuotedEnd(s, i, c == '[' ? ']' : static_cast<char>(c));
      if (end == std::string_view::npos) return std::nullopt;
      const std::string_view text = s.substr(i, end - i);
      if (c == '\'') tokens.push_back({Token::Kind::String, i, end, std::string(text)});
      else tokens.push_back({Token::Kind::Name, i, end, jetsql::Upper(Unquote(text))});
      i = end;
    } else if (WordChar(c)) {
      size_t end = i;
      while (end < s.size() && WordChar(static_cast<unsigned char>(s[end]))) ++end;
      tokens.push_back({Token::Kind::Word, i, end, jetsql::Upper(s.substr(i, end - i))});
      i = end;
    } else {
      tokens.push_back({Token::Kind::Punct, i, i + 1, std::string(1, static_cast<char>(c))});
      ++i;
    }
  }
  return tokens;
}

bool IsWord(const Token& t, std::initializer_list<std::string_view> words) {
  return t.kind == Token::Kind::Word && std::find(words.begin(), words.end(), t.normal) != words.end();
}

bool IsPunct(const Token& t, char c) { return t.kind == Token::Kind::Punct && t.normal[0] == c; }

std::string Normal(const std::vector<Token>& tokens, size_t from, size_t to) {
  std::string out;
  for (size_t i = from; i < to; ++i) out += (out.empty() ? "" : " ") + tokens[i].normal;
  return out;
}

std::string NameOf(std::string_view text, const Token& t) {
  return t.kind == Token::Kind::Name ? Unquote(text.substr(t.begin, t.end - t.begin))
                                     : std::string(text.substr(t.begin, t.end - t.begin));
}

// Does token `i` of a column definition start a new column constraint?
// Keywords inside a constraint (NOT DEFERRABLE, SET NULL, SET DEFAULT,
// GENERATED ALWAYS AS) and the keyword after CONSTRAINT name do not.
bool StartsConstraint(const std::vector<Token>& t, size_t i, size_t first) {
  if (!IsWord(t[i], {"CONSTRAINT", "PRIMARY", "NOT", "NULL", "UNIQUE", "CHECK", "DEFAULT", "COLLATE", "REFERENCES",
                     "GENERATED", "AS"}))
    return false;
  const Token* prev = i > first ? &t[i - 1] : nullptr;
  if (i >= first + 2 && IsWord(t[i - 2], {"CONSTRAINT"})) return false;
  if (t[i].normal == "NOT") return i + 1 < t.size() && IsWord(t[i + 1], {"NULL"});
  if (t[i].normal == "NULL" || t[i].normal == "DEFAULT") return !(prev && IsWord(*prev, {"NOT", "SET"}));
  if (t[i].normal == "AS") return !(prev && IsWord(*prev, {"ALWAYS"}));
  return true;
}

std::string Span(std::string_view text, const std::vector<Token>& t, size_t from, size_t to) {
  return std::string(text.substr(t[from].begin, t[to - 1].end - t[from].begin));
}

bool ParseColumn(std::string_view text, const std::vector<Token>& t, size_t from, size_t to, TableSql::Column& c) {
  if (t[from].kind != Token::Kind::Word && t[from].kind != Token::Kind::Name) return false;
  c.name = NameOf(text, t[from]);
  c.nameText = Span(text, t, from, from + 1);
  c.definition = Span(text, t, from, to);
  c.normal = Normal(t, from, to);
  c.begin = t[from].begin;
  c.end = t[to - 1].end;
  int depth = 0;
  size_t constraintStart = to;
  for (size_t i = from + 1; i < to; ++i) {
    if (IsPunct(t[i], '(')) ++depth;
    if (IsPunct(t[i], ')')) --depth;
    if (depth != 0 || !StartsConstraint(t, i, from + 1)) continue;
    if (constraintStart == to) {
      if (i > from + 1) c.type = Span(text, t, from + 1, i);
    } else {
      c.constraints.push_back(Span(text, t, constraintStart, i));
    }
    constraintStart = i;
  }
  if (constraintStart == to) {
    if (to > from + 1) c.type = Span(text, t, from + 1, to);
  } else {
    c.constraints.push_back(Span(text, t, constraintStart, to));
  }
  return true;
}

}  // namespace

std::string NormalSql(std::string_view sql) {
  auto tokens = Tokenize(sql);
  if (!tokens) return std::string(sql);
  return Normal(*tokens, 0, tokens->size());
}

std::optional<TableSql> ParseCreateTable(std::string_view sql) {
  auto tokens = Tokenize(sql);
  if (!tokens) return std::nullopt;
  const auto& t = *tokens;
  size_t i = 0;
  auto word = [&](std::initializer_list<std::string_view> words) {
    if (i < t.size() && IsWord(t[i], words)) return ++i, true;
    return false;
  };
  if (!word({"CREATE"})) return std::nullopt;
  word({"TEMP", "TEMPORARY"});
  if (!word({"TABLE"})) return std::nullopt;
  if (word({"IF"}) && !(word({"NOT"}) && word({"EXISTS"}))) return std::nullopt;

  TableSql table;
  table.text = std::string(sql);
  if (i >= t.size() || IsPunct(t[i], '(')) return std::nullopt;
  table.nameBegin = t[i].begin;
  if (i + 2 < t.size() && IsPunct(t[i + 1], '.')) i += 2;  // schema.name
  table.name = NameOf(sql, t[i]);
  table.nameEnd = t[i].end;
  ++i;
  if (i >= t.size() || !IsPunct(t[i], '(')) return std::nullopt;  // e.g. AS SELECT

  int depth = 0;
  size_t part = ++i;
  for (; i < t.size(); ++i) {
    const bool close = IsPunct(t[i], ')');
    if (IsPunct(t[i], '(')) ++depth;
    if (close && depth > 0) {
      --depth;
      continue;
    }
    if (depth > 0 || !(close || IsPunct(t[i], ','))) continue;
    if (part == i) return std::nullopt;
    if (IsWord(t[part], {"CONSTRAINT", "PRIMARY", "UNIQUE", "CHECK", "FOREIGN"})) {
      table.constraints.push_back(Normal(t, part, i));
    } else {
      if (!table.constraints.empty()) return std::nullopt;  // columns come first
      TableSql::Column column;
      if (!ParseColumn(sql, t, part, i, column)) return std::nullopt;
      for (size_t k = part; k < i; ++k) table.autoIncrement = table.autoIncrement || IsWord(t[k], {"AUTOINCREMENT"});
      table.columns.push_back(std::move(column));
    }
    part = i + 1;
    if (close) break;
  }
  if (i >= t.size() || table.columns.empty()) return std::nullopt;
  size_t end = t.size();
  if (end > i + 1 && IsPunct(t[end - 1], ';')) --end;
  table.options = Normal(t, i + 1, end);
  return table;
}

const TableSql::Column* TableSql::FindColumn(std::string_view column) const {
  for (const auto& c : columns)
    if (jetsql::IEquals(c.name, column)) return &c;
  return nullptr;
}

bool TableSql::IsPrefixOf(const TableSql& file) const {
  if (file.columns.size() < columns.size() || file.constraints != constraints || file.options != options) return false;
  for (size_t i = 0; i < columns.size(); ++i)
    if (columns[i].normal != file.columns[i].normal) return false;
  for (size_t i = columns.size(); i < file.columns.size(); ++i)
    if (FindColumn(file.columns[i].name) != nullptr) return false;
  return true;
}

std::string TableSql::Rewrite(std::string_view newName, const std::map<size_t, std::string>& changed,
                              const std::vector<std::string>& added) const {
  std::vector<std::tuple<size_t, size_t, std::string>> edits;  // begin, end, replacement
  edits.emplace_back(nameBegin, nameEnd, jetsql::QuoteIdentifier(newName));
  for (const auto& [index, definition] : changed)
    if (index < columns.size()) edits.emplace_back(columns[index].begin, columns[index].end, definition);
  std::string tail;
  for (const auto& definition : added) tail += ", " + definition;
  if (!tail.empty()) edits.emplace_back(columns.back().end, columns.back().end, tail);
  std::sort(edits.begin(), edits.end(),
            [](const auto& a, const auto& b) { return std::get<0>(a) < std::get<0>(b); });
  std::string out;
  size_t at = 0;
  for (const auto& [begin, end, replacement] : edits) {
    out.append(text, at, begin - at);
    out += replacement;
    at = end;
  }
  return out + text.substr(at);
}

}  // namespace albumcore::store::dao
