#include "store/dao/database.h"

#include <cctype>

#include "store/dao/errors.h"
#include "store/dao/execution.h"
#include "store/dao/one_shot_statement.h"
#include "store/dao/stored_queries.h"

namespace albumcore::store::dao {

using com::ComPtr;

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && (std::isspace(static_cast<unsigned char>(s.back())) || s.back() == ';')) s.remove_suffix(1);
  return s;
}

// A bare or bracketed name rather than a statement.
std::optional<std::string_view> AsName(std::string_view s) {
  if (s.size() >= 2 && s.front() == '[' && s.back() == ']') return s.substr(1, s.size() - 2);
  for (char c : s)
    if (std::isspace(static_cast<unsigned char>(c)) || c == '(' || c == ',') return std::nullopt;
  if (s.empty()) return std::nullopt;
  return s;
}

// A table-type recordset lists rows in primary-key order; without a key, a
// scan of the table gives them in rowid order.
std::string KeyOrder(const jetsql::TableInfo& table) {
  std::string order;
  for (const auto& c : table.columns)
    if (c.primaryKey) order += (order.empty() ? " ORDER BY [" : ", [") + c.name + "]";
  return order;
}

}  // namespace

ComPtr<QueryDef> QueryDefCollection::Item(std::string_view name) const {
  auto query = session_->FindStoredQuery(name);
  if (!query) ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: " + std::string(name));
  return com::MakeObject<QueryDef>(session_, std::string(name), std::move(query));
}

int QueryDefCollection::Count() const { return static_cast<int>(Names().size()); }

std::vector<std::string> QueryDefCollection::Names() const { return StoredQueryNames(session_->db()); }

void QueryDefCollection::Delete(std::string_view name) const {
  DeleteStoredQuery(session_->db(), name);
  session_->ForgetTranslations();
}

int64_t Database::Execute(std::string_view jet) {
  auto t = session_->Translate(jet);
  recordsAffected_ = RunAction(*session_, *t, {});
  return recordsAffected_;
}

ComPtr<Recordset> Database::OpenRecordset(std::string_view source, int type) {
  const std::string_view text = Trim(source);
  const auto name = AsName(text);
  if (type == dbOpenTable) {
    auto table = name ? session_->catalog().FindTable(*name) : nullptr;
    if (!table) ThrowJet(jeterr::kObjectNotFound, "Could not find object '" + std::string(text) + "'.");
    return OpenRows(session_, session_->Translate("SELECT * FROM [" + table->name + "]" + KeyOrder(*table)), {}, type);
  }
  if (name) {
    if (session_->catalog().FindTable(*name))
      return OpenRows(session_, session_->Translate("SELECT * FROM [" + std::string(*name) + "]"), {}, type);
    if (auto stored = session_->FindStoredQuery(*name)) return OpenRows(session_, session_->Translate(*stored), {}, type);
  }
  return OpenRows(session_, session_->Translate(text), {}, type);
}

ComPtr<QueryDef> Database::CreateQueryDef(std::string_view name, std::string_view jet) {
  if (!name.empty()) {
    InsertStoredQuery(session_->db(), name, jet);
    session_->ForgetTranslations();
  }
  return com::MakeObject<QueryDef>(session_, std::string(name), std::string(jet));
}

std::vector<std::string> Database::IntegrityProblems(int maxProblems) {
  OneShotStatement check(session_->db(), "PRAGMA main.integrity_check(" + std::to_string(maxProblems) + ")");
  std::vector<std::string> problems;
  while (check.Step())
    if (std::string line = check.Text(0); line != "ok") problems.push_back(std::move(line));
  return problems;
}

}  // namespace albumcore::store::dao

namespace albumcore::store::dao {

com::ComPtr<TableDef> Database::CreateTableDef(std::string_view name) const {
  return com::MakeObject<TableDef>(session_, std::string(name), false);
}

com::ComPtr<Relation> Database::CreateRelation(std::string_view name, std::string_view table,
                                               std::string_view foreignTable, int attributes) const {
  return com::MakeObject<Relation>(std::string(name), std::string(table), std::string(foreignTable), attributes);
}

}  // namespace albumcore::store::dao
