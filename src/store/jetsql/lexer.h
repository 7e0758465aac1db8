// Tokens of Jet SQL.
//
// Keywords are not told apart here: a keyword is an Identifier token whose
// text the parser recognises case-insensitively. [Bracketed] names are
// BracketName tokens and never keywords. Positions are byte offsets into the
// statement text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace albumcore::store::jetsql {

enum class TokenKind : uint8_t {
  Identifier,   // bare word: name or keyword
  BracketName,  // [name with anything but ]]
  String,       // "text" or 'text', quotes undoubled
  Date,         // #date#, value is the automation date
  Integer,      // decimal or &H/&O literal that fits 64 bits
  Real,         // decimal literal with fraction or exponent, or too big for 64 bits
  Symbol,       // operator or punctuation; text holds it (e.g. "<=")
  End,
};

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;  // name, undoubled string, symbol, or the number's source text
  int64_t integer = 0;
  double real = 0;   // Real and Date
  size_t pos = 0;
};

// Splits a statement into tokens; raises JetError(3075) with the position on
// an unterminated literal, a bad date or a character Jet SQL has no use for.
std::vector<Token> Tokenize(std::string_view text);

// Parses the text between the # signs of a date literal: M/D/YYYY, M/D/YY,
// YYYY-MM-DD, YYYY/M/D, optionally followed by a time H:MM[:SS] [AM|PM], or a
// time alone. Returns false when the text is not such a date.
bool ParseJetDateLiteral(std::string_view text, double& oaDate);

}  // namespace albumcore::store::jetsql
