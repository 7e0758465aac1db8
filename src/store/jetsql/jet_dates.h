// Date rules of Jet expressions over automation dates (days since
// 1899-12-30; before that day the fraction still counts forward from
// midnight, see com/oadate.h). Pure functions shared by the translator and
// the SQLite functions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace albumcore::store::jetsql {

// "3/1/2024", "2024-03-01", "2024/3/1", "3/1/24", each optionally followed by
// "13:45", "13:45:10", "1:45 PM"; or a time alone (on 1899-12-30).
std::optional<double> ParseDateText(std::string_view text);

// Milliseconds since 1899-12-30 00:00 on a straight time line, and back.
std::optional<int64_t> OaToLinearMs(double oaDate);
std::optional<double> LinearMsToOa(int64_t ms);

// DatePart / DateAdd / DateDiff with intervals yyyy q m y d w ww h n s;
// firstDayOfWeek 1 = Sunday .. 7 = Saturday (0 means the default, Sunday);
// firstWeekOfYear 1 = the week of Jan 1, 2 = the first week with four days,
// 3 = the first full week. nullopt for an unknown interval or a date out of
// range.
std::optional<int64_t> DatePart(std::string_view interval, double date, int firstDayOfWeek = 1,
                                int firstWeekOfYear = 1);
std::optional<double> DateAdd(std::string_view interval, double number, double date);
std::optional<int64_t> DateDiff(std::string_view interval, double date1, double date2, int firstDayOfWeek = 1);
// Month and day overflow roll over (DateSerial(2024, 13, 0) is 2024-12-31);
// years 0..29 mean 2000..2029 and 30..99 mean 1930..1999.
std::optional<double> DateSerial(int64_t year, int64_t month, int64_t day);
std::optional<double> TimeSerial(int64_t hour, int64_t minute, int64_t second);

// Local wall-clock time as an automation date, and today's date (no time).
double NowLocal();

// Format(date, fmt) for date formats: named ("General Date", "Long Date",
// "Medium Date", "Short Date", "Long Time", "Medium Time", "Short Time") and
// custom ones made of d dd ddd dddd m mm mmm mmmm yy yyyy h hh n nn s ss
// AM/PM am/pm, q, w, y, quoted text and \-escaped characters.
std::string FormatDate(double date, std::string_view format);
// The general form: "3/1/2024", "3/1/2024 1:45:00 PM", "1:45:00 PM".
std::string GeneralDate(double date);

// English names (the system's locale), as Format's mmmm and dddd write them:
// month 1..12, day 1 = Sunday .. 7 = Saturday; abbreviated to three letters.
std::string MonthName(int month, bool abbreviate);
std::string DayName(int day, bool abbreviate);

}  // namespace albumcore::store::jetsql
