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

RegStatus AddFilter(Hive& hive, std::string_view filterName, std::span<const int> types) {
  std::string filterKey = KeyBelow(kFiltersKey, filterName);
  for (int type : types) {
    if (RegStatus s = hive.CreateKey(KeyBelow(filterKey, std::to_string(type))); s != RegStatus::Ok) return s;
  }
  return hive.CreateKey(filterKey);  // present even if a table were empty
}

bool Contains(std::span<const int> types, int type) { return std::find(types.begin(), types.end(), type) != types.end(); }

RegStatus AddMediaType(Hive& hive, int type) {
  std::string key = KeyBelow(kFileMediaTypesKey, std::to_string(type));
  std::string nameId = std::string(kMediaTypeNamePrefix) + std::to_string(type);
  RegStatus s = hive.SetString(key, kMediaTypeNameIdValue, nameId);
  if (s == RegStatus::Ok) s = hive.SetString(key, kMediaTypeNameXmlValue, kMediaTypeStringFile);
  if (s == RegStatus::Ok && type == kPhotoItemType) s = hive.SetString(key, kItemObjectClsidValue, server::kLumPhotoItemClsid);
  if (s == RegStatus::Ok && Contains(kPhotoDescriptorTypes, type)) {
    s = hive.SetString(key, kTypeDescriptorClsidValue, server::kLumPhotoTypePropertiesDescriptorClsid);
  }
  if (s == RegStatus::Ok && Contains(kNoDescriptorTypes, type)) {
    s = hive.SetString(key, kTypeDescriptorClsidValue, server::kNoClassClsid);
  }
  return s;
}

}  // namespace

RegStatus ApplyRegistrationDefaults(Hive& hive, const InstallLocations& install) {
  RegStatus s = hive.SetString(kAlbumKey, kDbLocationValue, install.templateFolder);
  if (s == RegStatus::Ok) s = hive.SetString(kAlbumKey, kDbNameValue, install.templateName);
  if (s == RegStatus::Ok) s = hive.SetString(kResourcesKey, kResourceRootValue, install.resourceRoot);
  if (s == RegStatus::Ok) s = AddFilter(hive, kFilterAll, kAllTypes);
  if (s == RegStatus::Ok) s = AddFilter(hive, kFilterProjects, kProjectTypes);
  if (s == RegStatus::Ok) s = AddFilter(hive, kFilterItems, kItemTypes);
  if (s == RegStatus::Ok) s = hive.SetString(kFileMediaTypesKey, kUiOrderValue, JoinNumbers(kMediaTypeOrder));
  for (int type : kMediaTypeOrder) {
    if (s == RegStatus::Ok) s = AddMediaType(hive, type);
  }
  for (const server::NodePluginClass& plugin : server::kNodePluginClasses) {
    if (s == RegStatus::Ok) s = hive.SetString(kPluginsKey, plugin.prefix, plugin.clsid);
  }
  return s;
}

RegStatus WriteRegistrationDefaults(registry::RegistryStore& store, const InstallLocations& install) {
  return store.Edit([&](Hive& hive) { return ApplyRegistrationDefaults(hive, install); });
}

}  // namespace albumcore::config
