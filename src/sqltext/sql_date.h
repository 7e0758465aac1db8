// Dates inside Jet SQL text: "#3/1/2024#".
//
// The date is written in the US short form M/D/YYYY (no leading zeros for
// month and day, a four-digit year) between #s, which Jet reads the same
// way whatever the locale of the machine; a locale's own short date form
// could be misread (day and month swapped). The short date has no time of
// day: the time part of the value is dropped, so a search "on or after
// #3/1/2024#" starts at midnight.
#pragma once

#include <string>

namespace albumcore::sqltext {

// Raises ComError(E_INVALIDARG) for a date outside years 100 to 9999 or not
// a number.
std::string SqlDateText(double oaDate);

}  // namespace albumcore::sqltext
