#include "store/jetsql/lexer.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "store/jetsql/jet_dates.h"
#include "store/jetsql/jet_error.h"

namespace albumcore::store::jetsql {

namespace {

bool IsIdentStart(unsigned char c) { return std::isalpha(c) || c == '_' || c >= 0x80; }
bool IsIdentChar(unsigned char c) { return std::isalnum(c) || c == '_' || c >= 0x80; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

[[noreturn]] void Fail(std::string_view what, size_t pos) {
  ThrowJet(jeterr::kSyntax, std::string(what) + " in query expression" + AtPosition(pos));
}

}  // namespace

bool ParseJetDateLiteral(std::string_view text, double& oaDate) {
  const auto parsed = ParseDateText(text);
  if (!parsed) return false;
  oaDate = *parsed;
  return true;
}

std::vector<Token> Tokenize(std::string_view s) {
  std::vector<Token> out;
  size_t i = 0;
  const size_t n = s.size();
  while (true) {
    while (i < n && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n' || s[i] == '\f' || s[i] == '\v')) ++i;
    Token t;
    t.pos = i;
    if (i >= n) {
      out.push_back(std::move(t));
      return out;
    }
    const char c = s[i];
    if (IsIdentStart(static_cast<unsigned char>(c))) {
      size_t j = i;
      while (j < n && IsIdentChar(static_cast<unsigned char>(s[j]))) ++j;
      if (j < n && s[j] == '$') ++j;  // Left$, Mid$: the string forms of functions
      t.kind = TokenKind::Identifier;
      t.text.assign(s.substr(i, j - i));
      i = j;
    } else if (c == '@' && i + 2 < n && s[i + 1] == '@' && IsIdentStart(static_cast<unsigned char>(s[i + 2]))) {
      // @@IDENTITY and its kind: a name the parser knows or refuses.
      size_t j = i + 2;
      while (j < n && IsIdentChar(static_cast<unsigned char>(s[j]))) ++j;
      t.kind = TokenKind::Identifier;
      t.text.assign(s.substr(i, j - i));
      i = j;
    } else if (c == '[') {
      const size_t close = s.find(']', i + 1);
      if (close == std::string_view::npos) Fail("Unterminated bracketed name", i);
      t.kind = TokenKind::BracketName;
      t.text.assign(s.substr(i + 1, close - i - 1));
      if (t.text.empty()) Fail("Empty bracketed name", i);
      if (t.text.find('\0') != std::string::npos || t.text.find('[') != std::string::npos)
        Fail("Invalid bracketed name", i);
      i = close + 1;
    } else if (c == '"' || c == '\'') {
      size_t j = i + 1;
      std::string value;
      while (true) {
        if (j >= n) Fail("Syntax error in string", i);
        if (s[j] == c) {
          if (j + 1 < n && s[j + 1] == c) {
            value += c;
            j += 2;
            continue;
          }
          break;
        }
        value += s[j++];
      }
      t.kind = TokenKind::String;
      t.text = std::move(value);
      i = j + 1;
    } else if (c == '#') {
      const size_t close = s.find('#', i + 1);
      if (close == std::string_view::npos) Fail("Syntax error in date", i);
      double d = 0;
      if (!ParseJetDateLiteral(s.substr(i + 1, close - i - 1), d)) Fail("Syntax error in date", i);
      t.kind = TokenKind::Date;
      t.real = d;
      t.text.assign(s.substr(i, close - i + 1));
      i = close + 1;
    } else if (IsDigit(c) || (c == '.' && i + 1 < n && IsDigit(s[i + 1]))) {
      size_t j = i;
      bool real = false;
      while (j < n && IsDigit(s[j])) ++j;
      if (j < n && s[j] == '.') {
        real = true;
        ++j;
        while (j < n && IsDigit(s[j])) ++j;
      }
      if (j < n && (s[j] == 'e' || s[j] == 'E')) {
        size_t k = j + 1;
        if (k < n && (s[k] == '+' || s[k] == '-')) ++k;
        if (k < n && IsDigit(s[k])) {
          real = true;
          j = k;
          while (j < n && IsDigit(s[j])) ++j;
        }
      }
      t.text.assign(s.substr(i, j - i));
      if (!real) {
        errno = 0;
        char* end = nullptr;
        const long long v = std::strtoll(t.text.c_str(), &end, 10);
        if (errno == ERANGE) {
          real = true;
        } else {
          t.kind = TokenKind::Integer;
          t.integer = v;
        }
      }
      if (real) {
        t.kind = TokenKind::Real;
        t.real = std::strtod(t.text.c_str(), nullptr);
        if (!std::isfinite(t.real)) Fail("Numeric literal out of range", i);
      }
      i = j;
    } else if (c == '&' && i + 1 < n && i + 2 < n &&
               (((s[i + 1] == 'H' || s[i + 1] == 'h') && std::isxdigit(static_cast<unsigned char>(s[i + 2]))) ||
                ((s[i + 1] == 'O' || s[i + 1] == 'o') && s[i + 2] >= '0' && s[i + 2] <= '7'))) {
      // &H1F / &O17: the letter must be followed by a digit, so "a &Hidden"
      // style concatenations of names keep working only when separated by
      // a blank; Jet reads them the same way.
      const bool hex = s[i + 1] == 'H' || s[i + 1] == 'h';
      size_t j = i + 2;
      uint64_t v = 0;
      while (j < n && (hex ? std::isxdigit(static_cast<unsigned char>(s[j])) : (s[j] >= '0' && s[j] <= '7'))) {
        const int digit = IsDigit(s[j]) ? s[j] - '0' : (std::tolower(static_cast<unsigned char>(s[j])) - 'a' + 10);
        if (v > (UINT64_MAX >> (hex ? 4 : 3))) Fail("Numeric literal out of range", i);
        v = (v << (hex ? 4 : 3)) | static_cast<uint64_t>(digit);
        ++j;
      }
      if (j == i + 2) Fail("Invalid number", i);
      // Jet reads &HFFFF as a 16-bit and &HFFFFFFFF as a 32-bit signed value.
      int64_t value = static_cast<int64_t>(v);
      if (v <= 0xFFFF && j - i - 2 <= 4) value = static_cast<int16_t>(v);
      else if (v <= 0xFFFFFFFFu) value = static_cast<int32_t>(static_cast<uint32_t>(v));
      t.kind = TokenKind::Integer;
      t.integer = value;
      t.text.assign(s.substr(i, j - i));
      i = j;
    } else {
      static constexpr std::string_view kTwo[] = {"<=", ">=", "<>"};
      t.kind = TokenKind::Symbol;
      bool matched = false;
      for (auto op : kTwo) {
        if (s.substr(i, 2) == op) {
          t.text.assign(op);
          i += 2;
          matched = true;
          break;
        }
      }
      if (!matched) {
        static constexpr std::string_view kOne = "&+-*/\\^=<>,;().!";
        if (kOne.find(c) == std::string_view::npos) Fail("Invalid character", i);
        // Jet accepts ! as the qualifier separator (Table!Column).
        t.text.assign(1, c == '!' ? '.' : c);
        ++i;
      }
    }
    out.push_back(std::move(t));
  }
}

}  // namespace albumcore::store::jetsql
