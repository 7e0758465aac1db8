#include "items/collection/item_classes.h"

#include <charconv>
#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

#include "com/guid.h"
#include "items/photo/lum_photo_item.h"
#include "registry/registry_store.h"
#include "server/class_ids.h"
#include "server/config/config_keys.h"

namespace albumcore::items {

namespace {

bool ParseType(const std::string& text, int32_t& type) {
  const char* end = text.data() + text.size();
  auto [p, ec] = std::from_chars(text.data(), end, type);
  return ec == std::errc() && p == end;
}

bool SameClass(const std::string& a, std::string_view b) {
  const std::optional<com::Guid> ga = com::Guid::Parse(a);
  const std::optional<com::Guid> gb = com::Guid::Parse(b);
  return ga && gb && *ga == *gb;
}

}  // namespace

const ItemClasses& ItemClasses::Of(const std::string& registryPath) {
  static std::mutex mutex;
  static std::map<std::string, std::unique_ptr<ItemClasses>> tables;
  std::lock_guard lock(mutex);
  auto& table = tables[registryPath];
  if (table) return *table;
  table = std::make_unique<ItemClasses>();
  registry::RegistryStore registry(registryPath);
  std::vector<std::string> types;
  if (registry.ListSubkeys(config::kFileMediaTypesKey, types) != registry::RegStatus::Ok) {
    std::fprintf(stderr, "item classes: the media-type table of %s cannot be read (%s); every item is a photo item\n",
                 registryPath.c_str(), registry.lastError().c_str());
    return *table;
  }
  for (const std::string& name : types) {
    int32_t type = 0;
    if (!ParseType(name, type)) continue;  // not a type: other software's key
    std::string classId;
    const std::string key = std::string(config::kFileMediaTypesKey) + "\\" + name;
    const registry::RegStatus status = registry.ReadString(key, config::kItemObjectClsidValue, classId);
    if (status == registry::RegStatus::Ok)
      table->classes_[type] = classId;
    else if (status != registry::RegStatus::NotFound)
      std::fprintf(stderr, "item classes: the class of type %d cannot be read: %s\n", type,
                   registry.lastError().c_str());
  }
  return *table;
}

const std::string& ItemClasses::ClassOf(int32_t type) const {
  static const std::string kDefault;
  auto it = classes_.find(type);
  return it == classes_.end() ? kDefault : it->second;
}

com::ComPtr<LumItem> MakeItemObject(const std::string& classId, const ItemServices& services) {
  if (classId.empty() || SameClass(classId, server::kNoClassClsid) || SameClass(classId, server::kLumPhotoItemClsid))
    return com::MakeObject<LumPhotoItem>(services);
  throw com::ComError(com::REGDB_E_CLASSNOTREG, "no item class " + classId);
}

}  // namespace albumcore::items
