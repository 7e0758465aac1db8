// Dates inside Jet SQL text: "#3/1/2024#", "#3/1/2024 13:45:07#".
//
// The date is written in the US short form M/D/YYYY (no leading zeros for
// month and day, a four-digit year), which Jet reads unambiguously inside
// #...#, whatever the locale of the machine; a locale's own short date form
// could be misread (day and month swapped). A time of day other than
// midnight follows as " H:MM:SS" on the 24-hour clock; milliseconds are
// dropped.
#pragma once

#include <string>

namespace albumcore::sqltext {

// Raises ComError(E_INVALIDARG) for a date outside years 100 to 9999 or not
// a number.
std::string SqlDateText(double oaDate);

}  // namespace albumcore::sqltext
