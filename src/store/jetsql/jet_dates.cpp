#include "store/jetsql/ascii.h"
#include "store/jetsql/jet_dates.h"

#include <chrono>
#include <cmath>
#include <cctype>
#include <ctime>

#include "com/oadate.h"

namespace albumcore::store::jetsql {

namespace {

constexpr int64_t kMsPerDay = 86400000;

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
int64_t FloorMod(int64_t a, int64_t b) { return a - FloorDiv(a, b) * b; }

// Days since 1899-12-30 of a calendar day; nullopt outside years 100..9999.
std::optional<int64_t> DayNumber(int y, int m, int d) {
  com::DateTime t;
  t.year = y;
  t.month = m;
  t.day = d;
  const auto oa = com::ToOaDate(t);
  if (!oa) return std::nullopt;
  return static_cast<int64_t>(*oa);
}

struct Broken {
  com::DateTime t;
  int64_t day = 0;  // days since 1899-12-30
  int64_t ms = 0;   // linear milliseconds
};

std::optional<Broken> Break(double date) {
  const auto ms = OaToLinearMs(date);
  if (!ms) return std::nullopt;
  const auto t = com::FromOaDate(date);
  if (!t) return std::nullopt;
  return Broken{*t, FloorDiv(*ms, kMsPerDay), *ms};
}

// Sunday = 1 .. Saturday = 7 of a day number (day 0 was a Saturday).
int SundayWeekday(int64_t day) { return static_cast<int>(FloorMod(day + 6, 7)) + 1; }

int NormalizeFirstDay(int firstDayOfWeek) { return firstDayOfWeek >= 1 && firstDayOfWeek <= 7 ? firstDayOfWeek : 1; }

// 0-based position of the day in its week starting on firstDayOfWeek.
int RelativeWeekday(int64_t day, int firstDayOfWeek) {
  return (SundayWeekday(day) - NormalizeFirstDay(firstDayOfWeek) + 7) % 7;
}

int64_t WeekOfYear(int year, int64_t day, int firstDayOfWeek, int firstWeekOfYear, int depth = 0) {
  const auto jan1 = DayNumber(year, 1, 1);
  if (!jan1) return 0;
  const int offset = RelativeWeekday(*jan1, firstDayOfWeek);
  const int64_t doy0 = day - *jan1;
  int64_t start = 0;  // day-of-year (0-based) where week 1 starts
  if (firstWeekOfYear == 2) start = offset <= 3 ? -offset : 7 - offset;
  else if (firstWeekOfYear == 3) start = (7 - offset) % 7;
  else start = -offset;
  if (doy0 < start) {
    if (depth > 0) return 0;
    return WeekOfYear(year - 1, day, firstDayOfWeek, firstWeekOfYear, depth + 1);
  }
  return (doy0 - start) / 7 + 1;
}

std::optional<double> AddMonths(const Broken& b, int64_t months) {
  const int64_t total = static_cast<int64_t>(b.t.year) * 12 + (b.t.month - 1) + months;
  const int64_t y = FloorDiv(total, 12);
  const int m = static_cast<int>(FloorMod(total, 12)) + 1;
  if (y < 100 || y > 9999) return std::nullopt;
  int d = b.t.day;
  while (d > 28 && !DayNumber(static_cast<int>(y), m, d)) --d;
  const auto day = DayNumber(static_cast<int>(y), m, d);
  if (!day) return std::nullopt;
  return LinearMsToOa(*day * kMsPerDay + FloorMod(b.ms, kMsPerDay));
}

bool ReadNumber(std::string_view s, size_t& i, int& value, int& digits) {
  value = 0;
  digits = 0;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])) && digits < 9) {
    value = value * 10 + (s[i] - '0');
    ++i;
    ++digits;
  }
  return digits > 0;
}

void SkipBlanks(std::string_view s, size_t& i) {
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
}

// H:MM[:SS[.fff]] [AM|PM]; ms of day.
bool ParseTime(std::string_view s, size_t& i, int64_t& msOfDay) {
  int h = 0, mi = 0, se = 0, ms = 0, digits = 0;
  if (!ReadNumber(s, i, h, digits) || digits > 2) return false;
  if (i >= s.size() || s[i] != ':') return false;
  ++i;
  if (!ReadNumber(s, i, mi, digits) || digits > 2) return false;
  if (i < s.size() && s[i] == ':') {
    ++i;
    if (!ReadNumber(s, i, se, digits) || digits > 2) return false;
    if (i < s.size() && s[i] == '.') {
      ++i;
      int frac = 0;
      if (!ReadNumber(s, i, frac, digits)) return false;
      while (digits > 3) {
        frac /= 10;
        --digits;
      }
      while (digits < 3) {
        frac *= 10;
        ++digits;
      }
      ms = frac;
    }
  }
  SkipBlanks(s, i);
  if (i < s.size()) {
    const std::string_view rest = s.substr(i);
    const bool am = rest.size() >= 2 && IEquals(rest.substr(0, 2), "AM");
    const bool pm = rest.size() >= 2 && IEquals(rest.substr(0, 2), "PM");
    if (am || pm) {
      if (h < 1 || h > 12) return false;
      if (am && h == 12) h = 0;
      if (pm && h != 12) h += 12;
      i += 2;
    }
  }
  if (h > 23 || mi > 59 || se > 59) return false;
  msOfDay = ((h * 60LL + mi) * 60 + se) * 1000 + ms;
  return true;
}

void AppendNumber(std::string& out, int64_t v, int width) {
  std::string digits = std::to_string(v < 0 ? -v : v);
  if (v < 0) out += '-';
  for (int k = static_cast<int>(digits.size()); k < width; ++k) out += '0';
  out += digits;
}

const char* const kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};
const char* const kDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

}  // namespace

std::optional<int64_t> OaToLinearMs(double oaDate) {
  const auto t = com::FromOaDate(oaDate);
  if (!t) return std::nullopt;
  const auto day = DayNumber(t->year, t->month, t->day);
  if (!day) return std::nullopt;
  return *day * kMsPerDay + ((t->hour * 60LL + t->minute) * 60 + t->second) * 1000 + t->millisecond;
}

std::optional<double> LinearMsToOa(int64_t ms) {
  const int64_t day = FloorDiv(ms, kMsPerDay);
  const double fraction = static_cast<double>(ms - day * kMsPerDay) / static_cast<double>(kMsPerDay);
  if (day < -657434 || day > 2958465) return std::nullopt;
  return day < 0 ? static_cast<double>(day) - fraction : static_cast<double>(day) + fraction;
}

std::optional<double> ParseDateText(std::string_view s) {
  size_t i = 0;
  SkipBlanks(s, i);
  int64_t day = 0;
  int64_t msOfDay = 0;
  const size_t start = i;
  int a = 0, b = 0, c = 0, da = 0, db = 0, dc = 0;
  bool haveDate = false;
  if (ReadNumber(s, i, a, da) && i < s.size() && (s[i] == '/' || s[i] == '-' || s[i] == '.')) {
    const char sep = s[i++];
    if (!ReadNumber(s, i, b, db) || db > 2) return std::nullopt;
    int y = 0, m = 0, d = 0;
    if (i < s.size() && s[i] == sep) {
      ++i;
      if (!ReadNumber(s, i, c, dc)) return std::nullopt;
      if (da == 4) {
        y = a, m = b, d = c;
        if (dc > 2) return std::nullopt;
      } else {
        if (da > 2 || (dc != 2 && dc != 4 && dc != 1 && dc != 3)) return std::nullopt;
        m = a, d = b, y = c;
        if (dc <= 2) y += y < 30 ? 2000 : 1900;
      }
    } else {
      // M/D of the current year.
      if (da > 2) return std::nullopt;
      const auto now = com::FromOaDate(NowLocal());
      m = a, d = b, y = now ? now->year : 2000;
    }
    const auto dn = DayNumber(y, m, d);
    if (!dn) return std::nullopt;
    day = *dn;
    haveDate = true;
    if (i < s.size() && (s[i] == 'T' || s[i] == 't')) ++i;
    SkipBlanks(s, i);
  } else {
    i = start;
  }
  if (i < s.size()) {
    if (!ParseTime(s, i, msOfDay)) return std::nullopt;
    SkipBlanks(s, i);
  } else if (!haveDate) {
    return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;
  return LinearMsToOa(day * kMsPerDay + msOfDay);
}

std::optional<int64_t> DatePart(std::string_view interval, double date, int firstDayOfWeek, int firstWeekOfYear) {
  const auto b = Break(date);
  if (!b) return std::nullopt;
  const auto& t = b->t;
  if (IEquals(interval, "yyyy")) return t.year;
  if (IEquals(interval, "q")) return (t.month - 1) / 3 + 1;
  if (IEquals(interval, "m")) return t.month;
  if (IEquals(interval, "y")) return b->day - *DayNumber(t.year, 1, 1) + 1;
  if (IEquals(interval, "d")) return t.day;
  if (IEquals(interval, "w")) return RelativeWeekday(b->day, firstDayOfWeek) + 1;
  if (IEquals(interval, "ww")) return WeekOfYear(t.year, b->day, firstDayOfWeek, firstWeekOfYear);
  if (IEquals(interval, "h")) return t.hour;
  if (IEquals(interval, "n")) return t.minute;
  if (IEquals(interval, "s")) return t.second;
  return std::nullopt;
}

std::optional<double> DateAdd(std::string_view interval, double number, double date) {
  const auto b = Break(date);
  if (!b || !std::isfinite(number) || std::fabs(number) > 1e9) return std::nullopt;
  const auto n = static_cast<int64_t>(std::nearbyint(number));
  if (IEquals(interval, "yyyy")) return AddMonths(*b, n * 12);
  if (IEquals(interval, "q")) return AddMonths(*b, n * 3);
  if (IEquals(interval, "m")) return AddMonths(*b, n);
  int64_t unit = 0;
  if (IEquals(interval, "y") || IEquals(interval, "d") || IEquals(interval, "w")) unit = kMsPerDay;
  else if (IEquals(interval, "ww")) unit = 7 * kMsPerDay;
  else if (IEquals(interval, "h")) unit = 3600000;
  else if (IEquals(interval, "n")) unit = 60000;
  else if (IEquals(interval, "s")) unit = 1000;
  else return std::nullopt;
  return LinearMsToOa(b->ms + n * unit);
}

std::optional<int64_t> DateDiff(std::string_view interval, double date1, double date2, int firstDayOfWeek) {
  const auto a = Break(date1);
  const auto b = Break(date2);
  if (!a || !b) return std::nullopt;
  if (IEquals(interval, "yyyy")) return b->t.year - a->t.year;
  if (IEquals(interval, "q"))
    return (b->t.year * 4LL + (b->t.month - 1) / 3) - (a->t.year * 4LL + (a->t.month - 1) / 3);
  if (IEquals(interval, "m")) return (b->t.year * 12LL + b->t.month) - (a->t.year * 12LL + a->t.month);
  if (IEquals(interval, "y") || IEquals(interval, "d")) return b->day - a->day;
  if (IEquals(interval, "w")) return (b->day - a->day) / 7;
  if (IEquals(interval, "ww")) {
    const int64_t wa = a->day - RelativeWeekday(a->day, firstDayOfWeek);
    const int64_t wb = b->day - RelativeWeekday(b->day, firstDayOfWeek);
    return (wb - wa) / 7;
  }
  int64_t unit = 0;
  if (IEquals(interval, "h")) unit = 3600000;
  else if (IEquals(interval, "n")) unit = 60000;
  else if (IEquals(interval, "s")) unit = 1000;
  else return std::nullopt;
  return FloorDiv(b->ms, unit) - FloorDiv(a->ms, unit);
}

std::optional<double> DateSerial(int64_t year, int64_t month, int64_t day) {
  if (year >= 0 && year < 30) year += 2000;
  else if (year >= 30 && year < 100) year += 1900;
  if (std::llabs(year) > 100000 || std::llabs(month) > 1200000 || std::llabs(day) > 40000000) return std::nullopt;
  const int64_t total = year * 12 + (month - 1);
  const int64_t y = FloorDiv(total, 12);
  const int m = static_cast<int>(FloorMod(total, 12)) + 1;
  if (y < 100 || y > 9999) return std::nullopt;
  const auto first = DayNumber(static_cast<int>(y), m, 1);
  if (!first) return std::nullopt;
  return LinearMsToOa((*first + day - 1) * kMsPerDay);
}

std::optional<double> TimeSerial(int64_t hour, int64_t minute, int64_t second) {
  if (std::llabs(hour) > 10000000 || std::llabs(minute) > 10000000 || std::llabs(second) > 1000000000)
    return std::nullopt;
  return LinearMsToOa(((hour * 60 + minute) * 60 + second) * 1000);
}

double NowLocal() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t secs = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&secs, &local);
  com::DateTime t;
  t.year = local.tm_year + 1900;
  t.month = local.tm_mon + 1;
  t.day = local.tm_mday;
  t.hour = local.tm_hour;
  t.minute = local.tm_min;
  t.second = local.tm_sec > 59 ? 59 : local.tm_sec;
  return com::ToOaDate(t).value_or(0.0);
}

std::string MonthName(int month, bool abbreviate) {
  const std::string name = kMonthNames[month - 1];
  return abbreviate ? name.substr(0, 3) : name;
}

std::string DayName(int day, bool abbreviate) {
  const std::string name = kDayNames[day - 1];
  return abbreviate ? name.substr(0, 3) : name;
}

std::string GeneralDate(double date) {
  const auto b = Break(date);
  if (!b) return {};
  const bool hasTime = FloorMod(b->ms, kMsPerDay) != 0;
  if (b->day == 0 && hasTime) return FormatDate(date, "h:nn:ss AM/PM");
  return FormatDate(date, hasTime ? "m/d/yyyy h:nn:ss AM/PM" : "m/d/yyyy");
}

std::string FormatDate(double date, std::string_view format) {
  const auto b = Break(date);
  if (!b) return {};
  if (IEquals(format, "General Date") || format.empty()) return GeneralDate(date);
  if (IEquals(format, "Long Date")) format = "dddd, mmmm d, yyyy";
  else if (IEquals(format, "Medium Date")) format = "d-mmm-yy";
  else if (IEquals(format, "Short Date")) format = "m/d/yyyy";
  else if (IEquals(format, "Long Time")) format = "h:nn:ss AM/PM";
  else if (IEquals(format, "Medium Time")) format = "hh:nn AM/PM";
  else if (IEquals(format, "Short Time")) format = "hh:nn";
  const auto& t = b->t;
  bool twelveHour = false;
  for (size_t k = 0; k + 1 < format.size(); ++k) {
    if (IEquals(format.substr(k, 5), "AM/PM") || IEquals(format.substr(k, 3), "A/P")) twelveHour = true;
  }
  std::string out;
  bool afterHour = false;
  size_t i = 0;
  while (i < format.size()) {
    const char ch = format[i];
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (ch == '"') {
      const size_t close = format.find('"', i + 1);
      const size_t end = close == std::string_view::npos ? format.size() : close;
      out.append(format.substr(i + 1, end - i - 1));
      i = end == format.size() ? end : end + 1;
      continue;
    }
    if (ch == '\\' && i + 1 < format.size()) {
      out += format[i + 1];
      i += 2;
      continue;
    }
    if (IEquals(format.substr(i, 5), "AM/PM")) {
      const bool upper = format[i] == 'A';
      out += t.hour < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
      i += 5;
      continue;
    }
    if (IEquals(format.substr(i, 3), "A/P")) {
      const bool upper = format[i] == 'A';
      out += t.hour < 12 ? (upper ? "A" : "a") : (upper ? "P" : "p");
      i += 3;
      continue;
    }
    if (std::string_view("dmyhnsqw").find(lower) == std::string_view::npos) {
      out += ch;
      ++i;
      continue;
    }
    size_t run = 1;
    while (i + run < format.size() && std::tolower(static_cast<unsigned char>(format[i + run])) == lower) ++run;
    i += run;
    switch (lower) {
      case 'd':
        if (run == 1) AppendNumber(out, t.day, 1);
        else if (run == 2) AppendNumber(out, t.day, 2);
        else out += DayName(SundayWeekday(b->day), run == 3);
        break;
      case 'm':
        if (afterHour && run <= 2) {
          AppendNumber(out, t.minute, static_cast<int>(run));
        } else if (run <= 2) {
          AppendNumber(out, t.month, static_cast<int>(run));
        } else {
          out += MonthName(t.month, run == 3);
        }
        break;
      case 'y':
        if (run == 1) AppendNumber(out, b->day - *DayNumber(t.year, 1, 1) + 1, 1);
        else if (run <= 3) AppendNumber(out, t.year % 100, 2);
        else AppendNumber(out, t.year, 4);
        break;
      case 'h': {
        int h = t.hour;
        if (twelveHour) h = h % 12 == 0 ? 12 : h % 12;
        AppendNumber(out, h, run >= 2 ? 2 : 1);
        break;
      }
      case 'n':
        AppendNumber(out, t.minute, run >= 2 ? 2 : 1);
        break;
      case 's':
        AppendNumber(out, t.second, run >= 2 ? 2 : 1);
        break;
      case 'q':
        AppendNumber(out, (t.month - 1) / 3 + 1, 1);
        break;
      case 'w':
        if (run == 1) AppendNumber(out, SundayWeekday(b->day), 1);
        else AppendNumber(out, WeekOfYear(t.year, b->day, 1, 1), 1);
        break;
      default:
        break;
    }
    afterHour = lower == 'h';
  }
  return out;
}

}  // namespace albumcore::store::jetsql
