// Prints the rows of a recordset for people (an aligned table) or for
// programs (JSON: an array of objects with typed values), and the count of
// rows an action query changed. Text that is no valid UTF-8 is shown
// escaped (display_text.h), never passed through.
#pragma once

#include <cstdint>
#include <ostream>

#include "store/dao/recordset.h"

namespace albumcore::tools {

enum class RowFormat { Table, Json };

// Prints every row from the first; returns the number of rows.
size_t PrintRows(store::dao::Recordset& rows, RowFormat format, std::ostream& out);
// "3 rows affected", or {"recordsAffected": 3}.
void PrintRowsAffected(int64_t count, RowFormat format, std::ostream& out);

}  // namespace albumcore::tools
