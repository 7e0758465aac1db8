// Automation dates: days since 1899-12-30 as a double, the fraction being the
// time of day. Dates before 1899-12-30 keep a positive time fraction
// (-1.25 is 1899-12-29 06:00), so conversions never do plain arithmetic on
// the double.
#pragma once

#include <optional>
#include <string>

namespace albumcore::com {

struct DateTime {
  int year = 1899;
  int month = 12;  // 1..12
  int day = 30;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  friend bool operator==(const DateTime&, const DateTime&) = default;
};

// Broken-down time to automation date; nullopt for a field out of range.
std::optional<double> ToOaDate(const DateTime& t);
// Automation date to broken-down time, rounded to the millisecond; nullopt
// outside years 100..9999.
std::optional<DateTime> FromOaDate(double date);
// The current time in UTC.
double NowUtcOaDate();
// "2024-03-01 13:45:00" (the time is left out when it is midnight).
std::string FormatOaDate(double date);

}  // namespace albumcore::com
