#include "server/config/filter_lists.h"

#include <vector>

#include "com/text.h"
#include "server/config/config_keys.h"

namespace albumcore::config {

namespace {

std::string LoadFilter(registry::RegistryStore& store, std::string_view filterName, std::string* problem) {
  std::vector<std::string> names;
  const registry::RegStatus status = store.ListSubkeys(std::string(kFiltersKey) + "\\" + std::string(filterName), names);
  if (status != registry::RegStatus::Ok) {
    if (status != registry::RegStatus::NotFound && problem != nullptr) *problem = store.lastError();
    return {};
  }
  std::string list;
  for (const std::string& name : names) {
    if (com::Utf16Length(name) > kMaxFilterItemNameUnits) continue;
    if (!list.empty()) list += ',';
    list += name;
  }
  return list;
}

}  // namespace

const std::string* FilterLists::Find(std::string_view filterName) const {
  if (filterName == kFilterAll) return &all;
  if (filterName == kFilterProjects) return &projects;
  if (filterName == kFilterItems) return &items;
  return nullptr;
}

FilterLists LoadFilterLists(registry::RegistryStore& store, std::string* problem) {
  if (problem != nullptr) problem->clear();
  return FilterLists{LoadFilter(store, kFilterAll, problem), LoadFilter(store, kFilterProjects, problem),
                     LoadFilter(store, kFilterItems, problem)};
}

}  // namespace albumcore::config
