// Monikers inside the Jet SQL text the server builds.
//
// A moniker goes in as a quoted Jet string expression (sqltext's
// QuoteSqlString: its quotes and bars travel as chr() terms). The catalogue's
// moniker columns compare bytes (COLLATE BINARY), so "=" is the exact,
// case-sensitive comparison monikers need.
#pragma once

#include <string>
#include <string_view>

namespace albumcore::items::monikers {

// The moniker as a Jet string expression.
std::string MonikerSqlText(std::string_view moniker);

// A condition true for the rows whose `column` holds exactly `moniker`. An
// empty moniker matches an empty or Null column, since an empty and a
// missing moniker are the same. `column` is a column name of the catalogue
// written by the caller, not user text; it is put in brackets. Raises
// ComError(E_INVALIDARG) for an empty name or one holding "[" or "]".
std::string MonikerEqualsCondition(std::string_view column, std::string_view moniker);

}  // namespace albumcore::items::monikers
