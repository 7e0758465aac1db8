// Number and text conversions of Jet expressions (Val, Str, CStr, CLng,
// rounding, Format of numbers). Pure functions shared by the translator and
// the SQLite functions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace albumcore::store::jetsql {

// Round half to even, as CLng, CInt and the integer operators do.
double RoundHalfEven(double v);

// The text Jet gives a number: up to 15 significant digits, no trailing
// zeros, exponent as "1E+20".
std::string NumberText(double v);

// A whole text as a number (CDbl, CLng): blanks around, sign, decimals,
// exponent, &H/&O. nullopt when the text is not a number.
std::optional<double> ParseNumberText(std::string_view s);

// Val: the number at the start of the text, blanks inside ignored, 0 when
// there is none.
double ValText(std::string_view s);

// Format(number, fmt): named "General Number", "Fixed", "Standard",
// "Percent", "Currency", "Scientific", "Yes/No", "True/False", "On/Off", or a
// custom format of 0 # . , % and literal characters (one section).
std::string FormatNumber(double v, std::string_view format);

// Partition: the range of `interval` numbers from `start` that holds
// `number`, as "lower:upper" with each side padded with leading spaces to
// the width of the wider of start - 1 and stop + 1 (" 10: 19" for 0 to 100);
// ":start-1" below start, "stop+1:" above stop, the last range ending at
// stop. Expects 0 <= start < stop and interval >= 1.
std::string PartitionText(int64_t number, int64_t start, int64_t stop, int64_t interval);

}  // namespace albumcore::store::jetsql
