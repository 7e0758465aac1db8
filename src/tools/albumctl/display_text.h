// Text from a catalogue file made fit to print. Old files may hold bytes
// that are no UTF-8; they are shown, never passed through: as \xHH for a
// person (so the byte can be found and fixed), as U+FFFD in JSON (which
// must be valid UTF-8). Neither function fails.
#pragma once

#include <string>
#include <string_view>

namespace albumcore::tools {

// The text with each byte that is not part of valid UTF-8 written as \xHH,
// and control characters other than tab as \n, \r or \xHH, so one value
// stays on one line of a table.
std::string DisplayText(std::string_view text);

// The text as a JSON string literal, quotes included.
std::string JsonString(std::string_view text);

}  // namespace albumcore::tools
