#include "server/config/owned_entries.h"

namespace albumcore::config {

using registry::RegStatus;

RegStatus OwnedEntries::WriteTo(registry::Hive& hive) const {
  for (const OwnedEntry& e : entries_) {
    const RegStatus s = e.isValue ? hive.SetString(e.key, e.name, e.text) : hive.CreateKey(e.key);
    if (s != RegStatus::Ok) return s;
  }
  return RegStatus::Ok;
}

RegStatus OwnedEntries::RemoveFrom(registry::Hive& hive) const {
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
    if (it->isValue) {
      if (const RegStatus s = hive.DeleteValue(it->key, it->name); s != RegStatus::Ok && s != RegStatus::NotFound) {
        return s;
      }
    }
    if (const RegStatus s = PruneEmptyKeys(hive, it->key); s != RegStatus::Ok) return s;
  }
  return RegStatus::Ok;
}

RegStatus PruneEmptyKeys(registry::Hive& hive, std::string key) {
  while (!key.empty()) {
    const registry::RegKey* found = hive.FindKey(key);
    if (found == nullptr) {
      // Nothing here; an ancestor may still be an empty key left behind.
    } else if (!found->values().empty() || !found->subkeys().empty()) {
      return RegStatus::Ok;
    } else if (const RegStatus s = hive.DeleteKey(key); s != RegStatus::Ok) {
      return s;
    }
    const size_t cut = key.rfind('\\');
    key.resize(cut == std::string::npos ? 0 : cut);
  }
  return RegStatus::Ok;
}

}  // namespace albumcore::config
