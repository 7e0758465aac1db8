// SQLite literal forms for names and text, shared by the translator and the
// engine adapter so that both quote the same way.
#pragma once

#include <string>
#include <string_view>

namespace albumcore::store::jetsql {

// "name" with embedded double quotes doubled.
std::string QuoteIdentifier(std::string_view name);
// 'text' with embedded single quotes doubled; text holding NUL is spelled in
// hex, since SQLite stops reading statement text at a NUL.
std::string QuoteString(std::string_view text);

}  // namespace albumcore::store::jetsql
