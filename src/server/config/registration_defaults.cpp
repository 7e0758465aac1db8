#include "server/config/registration_defaults.h"

#include <array>
#include <span>
#include <string>

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
constexpr std::string_view kPhotoItemClsid = "{5DD9F375-56F8-4CB8-90C9-BB699ADE6493}";
constexpr std::string_view kPhotoDescriptorClsid = "{C4007307-BB92-4B86-B95A-818E4E3C41A9}";
constexpr std::string_view kGenericDescriptorClsid = "{5FFD49D2-F585-480D-B8C5-A050D1387041}";
constexpr std::string_view kMediaTypeNamePrefix = "stringRef:FileMediaTypes.FileMediaType-";
constexpr std::string_view kMediaTypeStringFile = "AlbumCoreStrings.XML";

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

RegStatus AddMediaType(Hive& hive, int type) {
  std::string key = KeyBelow(kFileMediaTypesKey, std::to_string(type));
  std::string nameId = std::string(kMediaTypeNamePrefix) + std::to_string(type);
  bool photo = type == kPhotoItemType;
  RegStatus s = hive.SetString(key, kMediaTypeNameIdValue, nameId);
  if (s == RegStatus::Ok) s = hive.SetString(key, kMediaTypeNameXmlValue, kMediaTypeStringFile);
  if (s == RegStatus::Ok && photo) s = hive.SetString(key, kItemObjectClsidValue, kPhotoItemClsid);
  if (s == RegStatus::Ok) {
    s = hive.SetString(key, kTypeDescriptorClsidValue, photo ? kPhotoDescriptorClsid : kGenericDescriptorClsid);
  }
  return s;
}

}  // namespace

RegStatus ApplyRegistrationDefaults(Hive& hive, std::string_view dbLocation, std::string_view dbName) {
  RegStatus s = hive.SetString(kAlbumKey, kDbLocationValue, dbLocation);
  if (s == RegStatus::Ok) s = hive.SetString(kAlbumKey, kDbNameValue, dbName);
  if (s == RegStatus::Ok) s = AddFilter(hive, kFilterAll, kAllTypes);
  if (s == RegStatus::Ok) s = AddFilter(hive, kFilterProjects, kProjectTypes);
  if (s == RegStatus::Ok) s = AddFilter(hive, kFilterItems, kItemTypes);
  if (s == RegStatus::Ok) s = hive.SetString(kFileMediaTypesKey, kUiOrderValue, JoinNumbers(kMediaTypeOrder));
  for (int type : kMediaTypeOrder) {
    if (s == RegStatus::Ok) s = AddMediaType(hive, type);
  }
  return s;
}

RegStatus WriteRegistrationDefaults(registry::RegistryStore& store, std::string_view dbLocation,
                                    std::string_view dbName) {
  return store.Edit([&](Hive& hive) { return ApplyRegistrationDefaults(hive, dbLocation, dbName); });
}

}  // namespace albumcore::config
