// Calls of the catalogue's stored queries with named parameters: what every
// object over a catalogue does to read or write its rows.
#pragma once

#include <initializer_list>
#include <string_view>
#include <utility>

#include "com/variant.h"
#include "store/dao/database.h"
#include "store/dao/recordset.h"

namespace albumcore::store::dao {

// A stored-query parameter: its name and value.
using QueryParameter = std::pair<std::string_view, com::Variant>;

// Runs the action query `name` with `parameters` put in the order given.
void ExecuteStored(Database& db, std::string_view name, std::initializer_list<QueryParameter> parameters);
// Opens the rows of the query `name` (a dynaset, so that keyed forms can be
// edited).
com::ComPtr<Recordset> OpenStored(Database& db, std::string_view name,
                                  std::initializer_list<QueryParameter> parameters = {});

}  // namespace albumcore::store::dao
