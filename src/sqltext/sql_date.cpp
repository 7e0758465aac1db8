#include "sqltext/sql_date.h"

#include <cstdio>
#include <optional>

#include "com/error.h"
#include "com/oadate.h"

namespace albumcore::sqltext {

std::string SqlDateText(double oaDate) {
  std::optional<com::DateTime> t = com::FromOaDate(oaDate);
  if (!t) throw com::ComError(com::E_INVALIDARG, "date outside the range SQL text can hold");
  char text[40];
  if (t->hour == 0 && t->minute == 0 && t->second == 0) {
    std::snprintf(text, sizeof text, "#%d/%d/%04d#", t->month, t->day, t->year);
  } else {
    std::snprintf(text, sizeof text, "#%d/%d/%04d %d:%02d:%02d#", t->month, t->day, t->year, t->hour, t->minute,
                  t->second);
  }
  return text;
}

}  // namespace albumcore::sqltext
