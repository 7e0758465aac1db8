#include "store/dao/sql_text.h"

#include <cctype>
#include <cstring>
#include <vector>

namespace albumcore::store::dao {

namespace {

// Upper-cased bare words of the text, skipping literals and quoted names.
std::vector<std::string> Words(std::string_view sql) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < sql.size()) {
    const char c = sql[i];
    if (c == '\'' || c == '"' || c == '`' || c == '[') {
      const char close = c == '[' ? ']' : c;
      ++i;
      while (i < sql.size()) {
        if (sql[i] == close) {
          if (close != ']' && i + 1 < sql.size() && sql[i + 1] == close) {
            i += 2;
            continue;
          }
          break;
        }
        ++i;
      }
      ++i;
    } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      std::string w;
      while (i < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[i])) || sql[i] == '_'))
        w += static_cast<char>(std::toupper(static_cast<unsigned char>(sql[i++])));
      words.push_back(std::move(w));
    } else {
      ++i;
    }
  }
  return words;
}

}  // namespace

bool MayBeUpdatable(std::string_view sql) {
  const auto words = Words(sql);
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (w == "DISTINCT" || w == "UNION" || w == "INTERSECT" || w == "EXCEPT" || w == "HAVING") return false;
    if (w == "GROUP" && i + 1 < words.size() && words[i + 1] == "BY") return false;
  }
  return true;
}

std::optional<std::string> WithRowid(std::string_view sql) {
  size_t i = 0;
  while (i < sql.size() && std::isspace(static_cast<unsigned char>(sql[i]))) ++i;
  if (sql.size() - i < 7 || strncasecmp(sql.data() + i, "SELECT", 6) != 0 ||
      !std::isspace(static_cast<unsigned char>(sql[i + 6])))
    return std::nullopt;
  size_t rest = i + 6;
  while (rest < sql.size() && std::isspace(static_cast<unsigned char>(sql[rest]))) ++rest;
  auto startsWord = [&](const char* w) {
    const size_t n = std::strlen(w);
    return sql.size() - rest > n && strncasecmp(sql.data() + rest, w, n) == 0 &&
           !std::isalnum(static_cast<unsigned char>(sql[rest + n])) && sql[rest + n] != '_';
  };
  if (startsWord("DISTINCT")) return std::nullopt;
  if (startsWord("ALL")) rest += 3;
  return std::string(sql.substr(0, i)) + "SELECT rowid, " + std::string(sql.substr(rest));
}

std::string SingleBaseTable(sqlite3_stmt* stmt) {
  const int n = sqlite3_column_count(stmt);
  if (n < 2) return {};
  const char* base = sqlite3_column_table_name(stmt, 0);
  if (base == nullptr) return {};
  for (int i = 0; i < n; ++i) {
    const char* table = sqlite3_column_table_name(stmt, i);
    const char* schema = sqlite3_column_database_name(stmt, i);
    if (table == nullptr || schema == nullptr || std::strcmp(table, base) != 0 || std::strcmp(schema, "main") != 0)
      return {};
  }
  return base;
}

const std::string* UpdatableForms::Of(std::string_view sql) {
  auto it = forms_.find(sql);
  if (it == forms_.end()) {
    if (forms_.size() >= capacity_) forms_.clear();
    it = forms_.emplace(std::string(sql), MayBeUpdatable(sql) ? WithRowid(sql) : std::nullopt).first;
  }
  return it->second ? &*it->second : nullptr;
}

}  // namespace albumcore::store::dao
