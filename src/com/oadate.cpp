#include "com/oadate.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace albumcore::com {

namespace {

constexpr double kMsPerDay = 86400000.0;

// Days from 1970-01-01 to y-m-d in the proleptic Gregorian calendar.
long DaysFromCivil(long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long>(doe) - 719468;
}

void CivilFromDays(long z, int& y, int& m, int& d) {
  z += 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long yy = static_cast<long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yy + (m <= 2));
}

const long kEpochDays = DaysFromCivil(1899, 12, 30);

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

}  // namespace

std::optional<double> ToOaDate(const DateTime& t) {
  if (t.year < 100 || t.year > 9999 || t.month < 1 || t.month > 12 || t.day < 1 ||
      t.day > DaysInMonth(t.year, t.month) || t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 ||
      t.second < 0 || t.second > 59 || t.millisecond < 0 || t.millisecond > 999) {
    return std::nullopt;
  }
  const double days = static_cast<double>(DaysFromCivil(t.year, t.month, t.day) - kEpochDays);
  const double fraction =
      ((t.hour * 60.0 + t.minute) * 60.0 + t.second + t.millisecond / 1000.0) * 1000.0 / kMsPerDay;
  // Before the epoch the time still counts forward from midnight.
  return days < 0 ? days - fraction : days + fraction;
}

std::optional<DateTime> FromOaDate(double date) {
  if (!std::isfinite(date) || date <= -657435.0 || date >= 2958466.0) return std::nullopt;
  double whole = std::trunc(date);
  double ms = std::round(std::fabs(date - whole) * kMsPerDay);
  if (ms >= kMsPerDay) {  // rounding reached the next midnight
    ms -= kMsPerDay;
    whole += 1;  // the time of day runs forward before the epoch too
    if (whole >= 2958466.0) return std::nullopt;
  }
  DateTime t;
  CivilFromDays(static_cast<long>(whole) + kEpochDays, t.year, t.month, t.day);
  auto msl = static_cast<long>(ms);
  t.millisecond = static_cast<int>(msl % 1000);
  msl /= 1000;
  t.second = static_cast<int>(msl % 60);
  msl /= 60;
  t.minute = static_cast<int>(msl % 60);
  t.hour = static_cast<int>(msl / 60);
  return t;
}

double NowUtcOaDate() {
  using namespace std::chrono;
  const auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  const double unixDays = static_cast<double>(ms) / kMsPerDay;
  return unixDays - static_cast<double>(kEpochDays);  // always after the epoch
}

std::string FormatOaDate(double date) {
  auto t = FromOaDate(date);
  if (!t) return "invalid date";
  char buf[40];
  if (t->hour == 0 && t->minute == 0 && t->second == 0 && t->millisecond == 0) {
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", t->year, t->month, t->day);
  } else {
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t->year, t->month, t->day, t->hour, t->minute,
                  t->second);
  }
  return buf;
}

}  // namespace albumcore::com
