// Prints the rows of a recordset for people (an aligned table) or for
// programs (JSON: an array of objects with typed values).
#pragma once

#include <ostream>

#include "store/dao/recordset.h"

namespace albumcore::tools {

enum class RowFormat { Table, Json };

// Prints every row from the first; returns the number of rows.
size_t PrintRows(store::dao::Recordset& rows, RowFormat format, std::ostream& out);

}  // namespace albumcore::tools
