// Looking at translated SQLite text and prepared statements to decide how a
// recordset can identify its rows.
#pragma once

#include <sqlite3.h>

#include <optional>
#include <string>
#include <string_view>

namespace albumcore::store::dao {

// False when the statement groups, removes duplicates or combines queries
// (GROUP BY, DISTINCT, UNION, INTERSECT, EXCEPT outside literals and quoted
// names): such rows stand for no single table row.
bool MayBeUpdatable(std::string_view sql);

// The statement with the rowid put before its first result column
// ("SELECT rowid, ..."); nullopt when it is not a plain SELECT. The rowid
// only resolves when the FROM clause names one table, so preparing the
// result fails for joins.
std::optional<std::string> WithRowid(std::string_view sql);

// For a statement prepared from WithRowid(): the table of the main file all
// result columns come from; empty when some column is an expression or comes
// from another table or file.
std::string SingleBaseTable(sqlite3_stmt* stmt);

}  // namespace albumcore::store::dao
