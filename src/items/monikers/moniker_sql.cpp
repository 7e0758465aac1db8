#include "items/monikers/moniker_sql.h"

#include "com/error.h"
#include "sqltext/sql_literal.h"

namespace albumcore::items::monikers {

std::string MonikerSqlText(std::string_view moniker) { return sqltext::QuoteSqlString(moniker); }

std::string MonikerEqualsCondition(std::string_view column, std::string_view moniker) {
  if (column.empty() || column.find_first_of("[]") != std::string_view::npos)
    throw com::ComError(com::E_INVALIDARG, "not a column name: " + std::string(column));
  const std::string name = "[" + std::string(column) + "]";
  if (moniker.empty()) return "(" + name + " Is Null OR " + name + " = \"\")";
  return name + " = " + MonikerSqlText(moniker);
}

}  // namespace albumcore::items::monikers
