// QueryDef: a stored query by name, with its parameters bound by name; or,
// with an empty name, a temporary query of Jet SQL text stored nowhere.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "com/unknown.h"
#include "com/variant.h"
#include "store/dao/recordset.h"
#include "store/dao/session.h"
#include "store/jetsql/translator.h"

namespace albumcore::store::dao {

class QueryDef;

// What a query does (QueryDef.Type), by DAO's numbers.
enum QueryDefType : int {
  dbQSelect = 0,
  dbQDelete = 32,
  dbQUpdate = 48,
  dbQAppend = 64,
  dbQMakeTable = 80,
  dbQDDL = 96,
};

class Parameter {
 public:
  const std::string& Name() const;
  com::Variant Value() const;  // VT_EMPTY until put
  void SetValue(const com::Variant& value) const;

 private:
  friend class QueryDef;
  Parameter(com::ComPtr<QueryDef> qd, size_t index) : qd_(std::move(qd)), index_(index) {}
  com::ComPtr<QueryDef> qd_;
  size_t index_;
};

class QueryDef final : public com::ComObject {
 public:
  static constexpr std::string_view kInterfaceName = "QueryDef";

  QueryDef(std::shared_ptr<Session> session, std::string name, std::string jet);
  // A query as the session's cache of stored queries holds it; its
  // translation is shared with every other QueryDef of that entry.
  QueryDef(std::shared_ptr<Session> session, std::string name, std::shared_ptr<StoredQuery> stored);

  const std::string& Name() const { return name_; }
  const std::string& SQL() const { return jet_; }
  // Replaces the text (the stored one too, unless temporary); parameter
  // values already put are dropped.
  void SetSQL(std::string_view jet);
  // dbQSelect for a query that returns rows; raises the translator's error
  // for text that is no valid Jet SQL.
  int Type();

  // The parameter `name` (brackets optional, any case); 3265 when unknown.
  Parameter Parameters(std::string_view name);
  // The parameter at `index`, in order of first appearance; 3265 out of range.
  Parameter Parameters(int index);
  int ParameterCount();

  // Both raise 3061 "Too few parameters. Expected N." while parameters are unset.
  com::ComPtr<Recordset> OpenRecordset(int type = dbOpenDynaset);
  int64_t Execute();
  int64_t RecordsAffected() const { return recordsAffected_; }

 private:
  friend class Parameter;
  const jetsql::Translation& Translation();
  std::vector<com::Variant> BoundValues();

  std::shared_ptr<Session> session_;
  std::string name_;
  std::string jet_;
  std::shared_ptr<StoredQuery> stored_;  // null: jet_ is not (or no longer) the cached entry's text
  std::shared_ptr<const jetsql::Translation> translation_;
  std::vector<std::optional<com::Variant>> values_;
  int64_t recordsAffected_ = 0;
};

}  // namespace albumcore::store::dao
