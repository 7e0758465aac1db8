// Keys and string values that one installer step owns in the machine hive,
// listed once so that the same list writes them and takes them away again.
//
// Writing creates each key and sets each value in list order (a value set
// again is overwritten). Removing goes through the list backwards, deletes
// each value, and then deletes the entry's key and its ancestors for as long
// as they are left with neither values nor subkeys. So what a person added
// below or beside an owned key stays, with the keys that lead to it; a
// value a person changed after writing is removed all the same, and a key
// that stood empty before writing goes with the rest.
#pragma once

#include <string>
#include <vector>

#include "registry/hive.h"

namespace albumcore::config {

struct OwnedEntry {
  std::string key;
  bool isValue = false;  // false: the key alone
  std::string name;      // "" is the key's default value
  std::string text;
};

class OwnedEntries {
 public:
  void Key(std::string key) { entries_.push_back({std::move(key), false, {}, {}}); }
  void Value(std::string key, std::string name, std::string text) {
    entries_.push_back({std::move(key), true, std::move(name), std::move(text)});
  }
  void Append(const OwnedEntries& more) { entries_.insert(entries_.end(), more.entries_.begin(), more.entries_.end()); }

  const std::vector<OwnedEntry>& entries() const noexcept { return entries_; }

  // Stop at the first failure, with the hive's status.
  registry::RegStatus WriteTo(registry::Hive& hive) const;
  registry::RegStatus RemoveFrom(registry::Hive& hive) const;

 private:
  std::vector<OwnedEntry> entries_;
};

// Deletes `key` and then each ancestor while it has neither values nor
// subkeys; a missing key is no failure.
registry::RegStatus PruneEmptyKeys(registry::Hive& hive, std::string key);

}  // namespace albumcore::config
