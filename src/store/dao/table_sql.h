// The pieces of an SQLite CREATE TABLE statement, for the two places that
// change a table SQLite cannot change in place: a column altered to another
// type, and a catalogue table brought to the layout's declaration.
//
// ParseCreateTable() splits the statement into the table's name, its column
// definitions and its table constraints, keeping the source text of each.
// Two definitions are compared in normal form: comments dropped, tokens
// separated by one space, names and keywords in upper case without quotes,
// string literals as written. So `"ItemID" integer` and `ItemID INTEGER`
// are the same column, while `TEXT(50)` and `TEXT(255)`, or a different
// COLLATE or ON CONFLICT clause, are not.
//
// Pure text work; no connection, no failure other than "cannot parse"
// (nullopt), e.g. for CREATE TABLE ... AS SELECT.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace albumcore::store::dao {

struct TableSql {
  struct Column {
    std::string name;        // unquoted
    std::string definition;  // source text, from the name to the last token
    std::string nameText;    // the name as written (quoted or not)
    std::string type;        // the type as written; empty when none is declared
    std::vector<std::string> constraints;  // each column constraint as written
    std::string normal;      // the definition in normal form
    size_t begin = 0, end = 0;  // span of `definition` in `text`
  };

  std::string text;  // the whole statement
  std::string name;  // unquoted, without a schema prefix
  std::vector<Column> columns;
  std::vector<std::string> constraints;  // table constraints in normal form
  std::string options;                   // what follows the column list, in normal form
  bool autoIncrement = false;            // some column is AUTOINCREMENT
  size_t nameBegin = 0, nameEnd = 0;     // span of the (schema-qualified) name in `text`

  const Column* FindColumn(std::string_view name) const;

  // True when `file` has this table's columns first, in this order and with
  // the same definitions, the same table constraints and options, and after
  // them only columns whose names this table does not have.
  bool IsPrefixOf(const TableSql& file) const;

  // The statement under `newName`, with the definitions of the columns in
  // `changed` (by position) replaced and `added` definitions put after the
  // last column; comments and layout of the rest stay as written.
  std::string Rewrite(std::string_view newName, const std::map<size_t, std::string>& changed,
                      const std::vector<std::string>& added) const;
};

std::optional<TableSql> ParseCreateTable(std::string_view sql);

// Any SQL text in the normal form described above.
std::string NormalSql(std::string_view sql);

}  // namespace albumcore::store::dao
