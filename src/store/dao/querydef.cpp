#include "store/dao/querydef.h"

#include "store/dao/errors.h"
#include "store/dao/execution.h"
#include "store/dao/stored_queries.h"
#include "store/dao/values.h"

namespace albumcore::store::dao {

const std::string& Parameter::Name() const { return qd_->Translation().parameters.at(index_).name; }

com::Variant Parameter::Value() const {
  const auto& v = qd_->values_.at(index_);
  return v ? *v : com::Variant();
}

void Parameter::SetValue(const com::Variant& value) const {
  const auto& p = qd_->Translation().parameters.at(index_);
  qd_->values_.at(index_) = p.declaredType == jetsql::JetType::Unknown
                                ? value
                                : CoerceToColumn(value, p.declaredType, p.declaredSize, p.name, "parameter");
}

QueryDef::QueryDef(std::shared_ptr<Session> session, std::string name, std::string jet)
    : session_(std::move(session)), name_(std::move(name)), jet_(std::move(jet)) {}

QueryDef::QueryDef(std::shared_ptr<Session> session, std::string name, std::shared_ptr<StoredQuery> stored)
    : session_(std::move(session)), name_(std::move(name)), jet_(stored->text), stored_(std::move(stored)) {}

const jetsql::Translation& QueryDef::Translation() {
  if (!translation_) {
    translation_ = stored_ ? session_->Translate(*stored_) : session_->Translate(jet_);
    values_.assign(translation_->parameters.size(), std::nullopt);
  }
  return *translation_;
}

void QueryDef::SetSQL(std::string_view jet) {
  if (!name_.empty()) {
    UpdateStoredQuery(session_->db(), name_, jet);
    session_->ForgetTranslations();
  }
  jet_ = std::string(jet);
  stored_.reset();
  translation_.reset();
  values_.clear();
}

Parameter QueryDef::Parameters(std::string_view name) {
  if (name.size() >= 2 && name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
  const auto& params = Translation().parameters;
  for (size_t i = 0; i < params.size(); ++i)
    if (jetsql::SameName(params[i].name, name)) return Parameter(com::ComPtr<QueryDef>(this), i);
  ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: " + std::string(name));
}

Parameter QueryDef::Parameters(int index) {
  if (index < 0 || static_cast<size_t>(index) >= Translation().parameters.size())
    ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: " + std::to_string(index));
  return Parameter(com::ComPtr<QueryDef>(this), static_cast<size_t>(index));
}

int QueryDef::ParameterCount() { return static_cast<int>(Translation().parameters.size()); }

int QueryDef::Type() {
  switch (Translation().kind) {
    case jetsql::StatementKind::Select: return dbQSelect;
    case jetsql::StatementKind::Insert: return dbQAppend;
    case jetsql::StatementKind::Update: return dbQUpdate;
    case jetsql::StatementKind::Delete: return dbQDelete;
    case jetsql::StatementKind::SelectInto: return dbQMakeTable;
    case jetsql::StatementKind::CreateTable:
    case jetsql::StatementKind::AlterTable:
    case jetsql::StatementKind::DropTable:
    case jetsql::StatementKind::CreateIndex:
    case jetsql::StatementKind::DropIndex: return dbQDDL;
  }
  return dbQDDL;
}

std::vector<com::Variant> QueryDef::BoundValues() {
  const auto& t = Translation();
  size_t missing = 0;
  for (const auto& v : values_)
    if (!v) ++missing;
  if (missing > 0) ThrowJet(jeterr::kTooFewParameters, "Too few parameters. Expected " + std::to_string(missing) + ".");
  std::vector<com::Variant> values;
  values.reserve(t.parameters.size());
  for (const auto& v : values_) values.push_back(*v);
  return values;
}

com::ComPtr<Recordset> QueryDef::OpenRecordset(int type) {
  auto values = BoundValues();
  return OpenRows(session_, translation_, std::move(values), type);
}

int64_t QueryDef::Execute() {
  auto values = BoundValues();
  recordsAffected_ = RunAction(*session_, *translation_, std::move(values));
  return recordsAffected_;
}

}  // namespace albumcore::store::dao
