#include "sqltext/sql_date.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include "com/error.h"
#include "com/oadate.h"

namespace albumcore::sqltext {

std::string SqlDateText(double oaDate) {
  // The whole days: before 1899-12-30 the fraction counts forward too, so
  // truncating toward zero keeps the day, and no time rounds into the next.
  std::optional<com::DateTime> t = com::FromOaDate(std::trunc(oaDate));
  if (!t) throw com::ComError(com::E_INVALIDARG, "date outside the range SQL text can hold");
  char text[24];
  std::snprintf(text, sizeof text, "#%d/%d/%04d#", t->month, t->day, t->year);
  return text;
}

}  // namespace albumcore::sqltext
