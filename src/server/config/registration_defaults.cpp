#include "server/config/registration_defaults.h"

#include <algorithm>
#include <array>
#include <span>
#include <string>

#include "server/class_ids.h"
#include "server/config/config_keys.h"

namespace albumcore::config {

using registry::Hive;
using registry::RegStatus;

namespace {

// Item types of each filter, in the order their subkeys are created.
constexpr std::array kAllTypes = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 15, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29};
constexpr std::array kProjectTypes = {1, 4, 7, 17, 18, 19, 20, 23, 26, 27};
constexpr std::array kItemTypes = {0, 1, 2, 3, 4, 5, 6, 7, 8, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29};

// Media types in the order type descriptors are offered; also the order of
// their subkeys.
constexpr std::array kMediaTypeOrder = {0, 2, 3, 9, 1, 4, 15, 17, 18, 19, 20, 22, 23, 24, 25, 26, 27};

constexpr int kPhotoItemType = 0;

// The property descriptor class of a media type: photos and photo projects
// have the photo descriptor; the types below are registered with no class
// (an all-zero class ID); the others (2, 3, 15, 17) get no value, as their
// descriptors belong to other components of the suite.
constexpr std::array kPhotoDescriptorTypes = {0, 1};
constexpr std::array kNoDescriptorTypes = {4, 7, 9, 18, 19, 20, 22, 23, 24, 25, 26, 27};

std::string KeyBelow(std::string_view parent, std::string_view name) {
  return std::string(parent) + "\\" + std::string(name);
}

std::string JoinNumbers(std::span<const int> numbers) {
  std::string text;
  for (int n : numbers) text += (text.empty() ? "" : ",") + std::to_string(n);
  return text;
}

void AddFilter(OwnedEntries& entries, std::string_view filterName, std::span<const int> types) {
  std::string filterKey = KeyBelow(kFiltersKey, filterName);
  for (int type : types) entries.Key(KeyBelow(filterKey, std::to_string(type)));
  entries.Key(filterKey);  // present even if a table were empty
}

bool Contains(std::span<const int> types, int type) { return std::find(types.begin(), types.end(), type) != types.end(); }

void AddMediaType(OwnedEntries& entries, int type) {
  std::string key = KeyBelow(kFileMediaTypesKey, std::to_string(type));
  entries.Value(key, std::string(kMediaTypeNameIdValue), std::string(kMediaTypeNamePrefix) + std::to_string(type));
  entries.Value(key, std::string(kMediaTypeNameXmlValue), std::string(kMediaTypeStringFile));
  if (type == kPhotoItemType) {
    entries.Value(key, std::string(kItemObjectClsidValue), std::string(server::kLumPhotoItemClsid));
  }
  if (Contains(kPhotoDescriptorTypes, type)) {
    entries.Value(key, std::string(kTypeDescriptorClsidValue), std::string(server::kLumPhotoTypePropertiesDescriptorClsid));
  }
  if (Contains(kNoDescriptorTypes, type)) {
    entries.Value(key, std::string(kTypeDescriptorClsidValue), std::string(server::kNoClassClsid));
  }
}

}  // namespace

OwnedEntries RegistrationDefaults(const InstallLocations& install) {
  OwnedEntries entries;
  const std::string album(kAlbumKey);
  entries.Value(album, std::string(kDbLocationValue), install.templateFolder);
  entries.Value(album, std::string(kDbNameValue), install.templateName);
  entries.Value(std::string(kResourcesKey), std::string(kResourceRootValue), install.resourceRoot);
  AddFilter(entries, kFilterAll, kAllTypes);
  AddFilter(entries, kFilterProjects, kProjectTypes);
  AddFilter(entries, kFilterItems, kItemTypes);
  entries.Value(std::string(kFileMediaTypesKey), std::string(kUiOrderValue), JoinNumbers(kMediaTypeOrder));
  for (int type : kMediaTypeOrder) AddMediaType(entries, type);
  for (const server::NodePluginClass& plugin : server::kNodePluginClasses) {
    entries.Value(std::string(kPluginsKey), std::string(plugin.prefix), std::string(plugin.clsid));
  }
  return entries;
}

RegStatus ApplyRegistrationDefaults(Hive& hive, const InstallLocations& install) {
  return RegistrationDefaults(install).WriteTo(hive);
}

RegStatus WriteRegistrationDefaults(registry::RegistryStore& store, const InstallLocations& install) {
  return store.Edit([&](Hive& hive) { return ApplyRegistrationDefaults(hive, install); });
}

}  // namespace albumcore::config
