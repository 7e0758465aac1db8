// A small catalogue in SQLite and a runner that translates Jet statements and
// returns the rows they produce, binding parameters by name and attaching
// external files the way the DAO adapter does.
#pragma once

#include <sqlite3.h>

#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "com/error.h"
#include "store/jetsql/sqlite_catalog.h"
#include "store/jetsql/translator.h"

namespace albumcore::store::jetsql::testing {

using Param = std::variant<std::nullptr_t, int64_t, double, std::string>;
using Params = std::map<std::string, Param>;
using Row = std::vector<std::string>;  // NULL is "NULL", reals in Jet's number text
using Rows = std::vector<Row>;

// Creates the catalogue tables (empty) on a configured connection.
void CreateCatalogueSchema(sqlite3* db);
// Adds the sample rows the row tests expect.
void InsertSampleRows(sqlite3* db);

class CatalogueDb {
 public:
  // In memory, or at `path` when given; the schema is created unless
  // `createSchema` is false (an existing file).
  explicit CatalogueDb(const std::string& path = ":memory:", bool withSamples = true, bool createSchema = true);
  ~CatalogueDb();
  CatalogueDb(const CatalogueDb&) = delete;
  CatalogueDb& operator=(const CatalogueDb&) = delete;

  Rows Query(std::string_view jet, const Params& params = {});
  // Runs a statement and returns the number of rows it changed.
  int Exec(std::string_view jet, const Params& params = {});
  // The single value of a one-row, one-column query.
  std::string Scalar(std::string_view jet, const Params& params = {});
  // Runs SQLite SQL directly (setup, checks).
  void Raw(const std::string& sql);
  Rows RawQuery(const std::string& sql);
  std::string Plan(std::string_view jet);

  std::shared_ptr<const Translation> Translate(std::string_view jet) { return translator_->Translate(jet); }
  sqlite3* db() const { return db_; }

 private:
  // Runs the statements before and after the main one too, as the adapter does.
  Rows Run(const Translation& t, const Params& params, int* changes);
  Rows RunMain(const Translation& t, const Params& params, int* changes);

  sqlite3* db_ = nullptr;
  std::unique_ptr<SqliteSchemaCatalog> catalog_;
  std::unique_ptr<Translator> translator_;
};

// The HRESULT a callable raises as ComError (0 when it raises nothing).
template <class F>
int32_t StatusOf(F&& f) {
  try {
    f();
  } catch (const com::ComError& e) {
    return e.hr();
  }
  return 0;
}

}  // namespace albumcore::store::jetsql::testing
