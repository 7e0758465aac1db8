// Text placed inside the Jet SQL the server builds.
//
// A Jet string literal cannot hold its own double quote, and a vertical bar
// inside one is taken by the engine as a parameter marker, so both are written
// outside the literal as chr() concatenations:
//     a"b|c   ->   "a" & chr(34) & "b" & chr(124) & "c"
// The expression evaluates to the original text. All other bytes (including
// NUL and non-ASCII UTF-8) are copied unchanged. Neither function fails.
#pragma once

#include <string>
#include <string_view>

namespace albumcore::sqltext {

// The text as a double-quoted Jet string expression.
std::string QuoteSqlString(std::string_view text);

// The text for use inside a double-quoted LIKE pattern, matching itself
// literally where the pattern syntax would otherwise interfere: the quote and
// the bar as in QuoteSqlString, and "[" -> "[[]", "%" -> "[%]", "*" -> "[*]",
// "_" -> "[_]". The caller adds the surrounding quotes and any wildcards.
// Jet's "?" (any character) and "#" (any digit) are NOT escaped and keep
// their wildcard meaning in user text.
std::string EscapeLikeText(std::string_view text);

}  // namespace albumcore::sqltext
