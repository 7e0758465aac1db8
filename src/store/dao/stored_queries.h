// Where stored queries live inside a catalogue file: a table of name and Jet
// SQL text. The name lookup ignores case, as Jet's does.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace albumcore::store::dao {
class StatementCache;
}

namespace albumcore::store::dao {

inline constexpr const char* kStoredQueryTable = "MSysQueries";

// The stored text of query `name`; nullopt when there is none.
std::optional<std::string> ReadStoredQuery(sqlite3* db, std::string_view name);
// The same through statements kept prepared in `statements`: a session reads
// a query again after every commit of any connection, so the lookup must
// cost no prepare.
std::optional<std::string> ReadStoredQuery(StatementCache& statements, sqlite3* db, std::string_view name);
// How many times a stored query was added, changed or deleted in this
// process, through the three functions below (SQL text cannot write the
// table).
uint64_t StoredQueryEdits() noexcept;
// Adds a query (creating the table on first use); 3012 when one of that name exists.
void InsertStoredQuery(sqlite3* db, std::string_view name, std::string_view sql);
// Replaces the text of an existing query; 3265 when there is none.
void UpdateStoredQuery(sqlite3* db, std::string_view name, std::string_view sql);
void DeleteStoredQuery(sqlite3* db, std::string_view name);
std::vector<std::string> StoredQueryNames(sqlite3* db);

}  // namespace albumcore::store::dao
