#include "store/catalogue/schema_upgrade.h"

#include <cstdio>
#include <exception>

#include "store/catalogue/upgrade_steps.h"
#include "store/dao/recordset.h"
#include "store/dao/relation.h"

namespace albumcore::store::catalogue {

namespace {

// The memo user fields: the objects every library connect makes sure of.
constexpr std::string_view kConnectTimeObjects[] = {"AssignedFieldsMemo", "EnumItemUserFieldsMemo",
                                                    "AssignUserFieldMemo", "RemoveUserFieldMemo",
                                                    "SetFieldValueMemo"};

using Wanted = bool (*)(std::string_view name);

bool Everything(std::string_view) { return true; }

bool ConnectTimeObject(std::string_view name) {
  for (auto object : kConnectTimeObjects)
    if (object == name) return true;
  return false;
}

std::vector<UpgradeStep> Plan(sqlite3* db, const schema::DeclaredLayout& layout, Wanted wanted) {
  const FileSchema file = FileSchema::Read(db);
  std::vector<UpgradeStep> steps;
  auto add = [&](std::optional<UpgradeStep> step) {
    if (step) steps.push_back(std::move(*step));
  };
  for (const auto& table : layout.tables())
    if (wanted(table.name)) add(TableStep(layout, table, file));
  for (const auto& trigger : layout.triggers())
    if (wanted(trigger.name)) add(TriggerStep(trigger, file));
  for (const auto& relation : layout.Rows(dao::kRelationTable))
    if (wanted(RelationName(relation))) add(RelationStep(db, layout, relation, file));
  for (const auto& query : layout.queries())
    if (wanted(query.name)) add(QueryStep(query, file));
  return steps;
}

// The failure in flight, for the report.
UpgradeFailure CurrentFailure(std::string step) {
  try {
    throw;
  } catch (const com::ComError& e) {
    return {std::move(step), e.hr(), e.detail()};
  } catch (const std::bad_alloc&) {
    return {std::move(step), com::E_OUTOFMEMORY, {}};
  } catch (const std::exception& e) {
    return {std::move(step), com::E_FAIL, e.what()};
  } catch (...) {
    return {std::move(step), com::E_UNEXPECTED, {}};
  }
}

UpgradeReport Upgrade(dao::Database& db, Wanted wanted) noexcept {
  UpgradeReport report;
  try {
    const auto& layout = schema::DeclaredLayout::Current();
    for (auto& step : Plan(db.session()->db(), layout, wanted)) {
      try {
        step.run(db);
        report.done.push_back(std::move(step.title));
      } catch (...) {
        report.failed.push_back(CurrentFailure(std::move(step.title)));
      }
    }
  } catch (...) {
    report.failed.push_back(CurrentFailure("comparing the file with the layout"));
  }
  for (const auto& failure : report.failed)
    std::fprintf(stderr, "albumcore: %s: upgrade step \"%s\" failed: %s [%s]\n", db.Name().c_str(),
                 failure.step.c_str(), failure.detail.c_str(), com::DescribeHresult(failure.status).c_str());
  return report;
}

}  // namespace

UpgradeReport ConnectTimeUpgrade(dao::Database& db) noexcept { return Upgrade(db, ConnectTimeObject); }

UpgradeReport OpenTimeUpgrade(dao::Database& db) noexcept { return Upgrade(db, Everything); }

com::HRESULT OpenDatabaseVersion(dao::Database& db, int32_t* version) {
  return com::CallGuard([&]() -> com::HRESULT {
    int32_t& out = com::CheckOut(version);
    out = 1;
    auto misc = db.OpenRecordset("Misc", dao::dbOpenTable);
    if (misc->IsEOF()) return com::S_FALSE;
    out = misc->Fields("Version").Value().ToI4();
    return com::S_OK;
  });
}

}  // namespace albumcore::store::catalogue
