#include "store/dao/stored_call.h"

#include "store/dao/querydef.h"

namespace albumcore::store::dao {

namespace {

com::ComPtr<QueryDef> Bound(Database& db, std::string_view name, std::initializer_list<QueryParameter> parameters) {
  com::ComPtr<QueryDef> query = db.QueryDefs(name);
  for (const auto& [parameter, value] : parameters) query->Parameters(parameter).SetValue(value);
  return query;
}

}  // namespace

void ExecuteStored(Database& db, std::string_view name, std::initializer_list<QueryParameter> parameters) {
  Bound(db, name, parameters)->Execute();
}

com::ComPtr<Recordset> OpenStored(Database& db, std::string_view name,
                                  std::initializer_list<QueryParameter> parameters) {
  return Bound(db, name, parameters)->OpenRecordset();
}

}  // namespace albumcore::store::dao
