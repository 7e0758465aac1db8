// A connection that runs layout scripts: the way the template is built and
// the way the upgrade learns what the current layout declares.
//
// The connection is set up as the engine's are where it matters to the
// layout (double-quoted text is a name, never a string; foreign keys on).
// The layout declares columns with the JETNOCASE collation, which only the
// engine layer provides; a placeholder of that name stands in so that the
// tables can be created. The placeholder must never compare two values (its
// order is not the real collation's); collationUsed() tells whether it did.
//
// Links SQLite only. Every failure throws BuildError naming the script, the
// line and the failing statement.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "store/schema/layout_scripts.h"

struct sqlite3;

namespace albumcore::store::schema {

class BuildError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class LayoutDatabase {
 public:
  // Opens (creating) `path`; ":memory:" for a private in-memory database.
  explicit LayoutDatabase(const std::string& path);
  ~LayoutDatabase();
  LayoutDatabase(const LayoutDatabase&) = delete;
  LayoutDatabase& operator=(const LayoutDatabase&) = delete;

  sqlite3* get() const { return db_; }
  bool collationUsed() const { return collationUsed_; }

  // Runs every statement of every script, in order.
  void Run(const std::vector<LayoutScript>& scripts);
  // One statement or more without results; `where` names it in the error.
  void Exec(const std::string& sql, const std::string& where);
  // Closes the connection now; BuildError when SQLite cannot.
  void Close();

 private:
  std::string path_;
  sqlite3* db_ = nullptr;
  bool collationUsed_ = false;
};

}  // namespace albumcore::store::schema
